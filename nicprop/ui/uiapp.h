// UiApp: the library's application object.  The one static instance is made by the
// library's entry point (uientry.cpp) when the DLL is loaded; the entry point then records
// the module's instance handle, so that dialog templates are found in the DLL's own
// resources, and runs the start-up step; at unload it runs the exit step.  Both steps run
// under the loader lock.
#pragma once
#include <windows.h>

class UiApp {
public:
    UiApp();                         // becomes the module's application object
    virtual ~UiApp();

    // Start-up step, once per load.  False fails the load (after the exit step runs).
    virtual bool InitInstance();
    // Exit step, once per load that started up.
    virtual void ExitInstance();

    static HINSTANCE Instance();     // the module's own instance handle

    // For the entry point: records the instance handle and runs the start-up step (false:
    // it failed, and the exit step has run); at unload, the exit step that is owed.
    static bool AttachModule(HINSTANCE hInstance);
    static void DetachModule();

private:
    UiApp(const UiApp&) = delete;
    UiApp& operator=(const UiApp&) = delete;
};
