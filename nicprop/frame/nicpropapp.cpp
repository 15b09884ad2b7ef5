#include "nicpropapp.h"

namespace {

NicPropApp gApp;

}  // namespace

// Dialog controls would need a request for three-dimensional drawing only before
// Windows 4.0; every system this library runs on draws them so itself.
bool NicPropApp::InitInstance()
{
    return true;
}
