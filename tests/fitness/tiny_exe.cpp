// Stand-in for nicstart.exe in the fitness check's tests: the launcher's own kind of entry
// point and a function-local static.  The check's tests build it good and bad.
#include <windows.h>

extern "C" int iPick(int iLeft, int iRight);

namespace {

struct Version {
    Version() : dwValue(GetVersion()) {}
    DWORD dwValue;
};

// Guarded at first use; the posix thread model guards it through winpthreads.
DWORD dwVersion()
{
    static Version version;
    return version.dwValue;
}

#ifdef TINY_PICK_BY_POINTER
// Reached only through a pointer in data, as window and dialog procedures are.
int (*volatile pfnPick)(int, int) = iPick;
#define PICK pfnPick
#else
#define PICK iPick
#endif

}  // namespace

extern "C" void nicstart_entry(void)
{
    int iAnswer = MessageBoxA(NULL, GetCommandLineA(), "tiny", MB_OK);
    ExitProcess((UINT)PICK(iAnswer, (int)(dwVersion() & 0xFF)));
}
