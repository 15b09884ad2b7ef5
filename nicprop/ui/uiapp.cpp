#include "uiapp.h"

namespace {

UiApp* gpApp = nullptr;
HINSTANCE ghInstance = nullptr;
bool gbStarted = false;          // the start-up step succeeded: the exit step is owed

bool bAttach(HINSTANCE hInstance)
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

// MinGW's DLL start-up code calls DllMain again for detach when the attach failed, so
// the exit step runs only after a start-up that succeeded.
void vDetach()
{
    if (gbStarted && gpApp != nullptr)
        gpApp->ExitInstance();
    gbStarted = false;
    ghInstance = nullptr;
}

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

// The runtime has constructed the static objects (the application object among them)
// before this runs at attach, and destroys them after this runs at detach.
extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID)
{
    if (dwReason == DLL_PROCESS_ATTACH)
        return bAttach(hInstance) ? TRUE : FALSE;
    if (dwReason == DLL_PROCESS_DETACH)
        vDetach();
    return TRUE;
}
