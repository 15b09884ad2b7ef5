// The library's own entry point, in place of MinGW's DLL start-up code: that code needs
// msvcrt.dll and holds instructions that a 486 lacks.  It keeps the load and unload
// sequence of a C++ DLL.  At process attach: the static objects are constructed (the
// application object among them), then the application's start-up step runs.  At
// detach: the exit step runs, then the static objects are destroyed in the reverse order
// of their construction.  A failed start-up destroys them again and fails the load.
#include "uiapp.h"

#include <stdlib.h>

// Laid out by the linker: a -1 word, the constructor addresses, a 0 word.
extern "C" void (*__CTOR_LIST__[])();

namespace {

// The compiler registers each static object's destructor through atexit while it
// constructs the object; the table holds a few more than the library has.
const int kMaxDestructors = 8;
void (*gapfnDestructor[kMaxDestructors])();
int giDestructors = 0;
bool gbDestructorsLost = false;   // a registration did not fit: the load fails

void ConstructStatics()
{
    int iLast = 0;
    while (__CTOR_LIST__[iLast + 1] != nullptr)
        ++iLast;
    // The list's later entries are the ones to run first, as the compiler orders it.
    for (int i = iLast; i >= 1; --i)
        __CTOR_LIST__[i]();
}

void DestroyStatics()
{
    while (giDestructors > 0)
        gapfnDestructor[--giDestructors]();
}

}  // namespace

// A DLL's atexit registers with the DLL, not with the process: these destructors run
// when the library is unloaded.
extern "C" int atexit(void (*pfnDestructor)())
{
    if (giDestructors == kMaxDestructors) {
        gbDestructorsLost = true;
        return -1;
    }
    gapfnDestructor[giDestructors++] = pfnDestructor;
    return 0;
}

// The deleting destructors of classes with virtual destructors refer to it (unsized:
// shipped code is built with -fno-sized-deallocation); the library never allocates with new.
void operator delete(void* pBlock) noexcept
{
    free(pBlock);
}

extern "C" BOOL WINAPI UiDllEntry(HINSTANCE hInstance, DWORD dwReason, LPVOID)
{
    if (dwReason == DLL_PROCESS_ATTACH) {
        ConstructStatics();
        if (!gbDestructorsLost && UiApp::AttachModule(hInstance))
            return TRUE;
        DestroyStatics();
        return FALSE;
    }
    if (dwReason == DLL_PROCESS_DETACH) {
        UiApp::DetachModule();
        DestroyStatics();
    }
    return TRUE;
}
