#include "uiapp.h"

namespace {

UiApp* gpApp = nullptr;
HINSTANCE ghInstance = nullptr;
bool gbStarted = false;          // the start-up step succeeded: the exit step is owed

}  // namespace

UiApp::UiApp()
{
    gpApp = this;
}

UiApp::~UiApp()
{
    if (gpApp == this)
        gpApp = nullptr;
}

bool UiApp::InitInstance()
{
    return true;
}

void UiApp::ExitInstance() {}

HINSTANCE UiApp::Instance()
{
    return ghInstance;
}

bool UiApp::AttachModule(HINSTANCE hInstance)
{
    ghInstance = hInstance;
    if (gpApp == nullptr)
        return true;
    if (!gpApp->InitInstance()) {
        gpApp->ExitInstance();
        ghInstance = nullptr;
        return false;
    }
    gbStarted = true;
    return true;
}

void UiApp::DetachModule()
{
    if (gbStarted && gpApp != nullptr)
        gpApp->ExitInstance();
    gbStarted = false;
    ghInstance = nullptr;
}
