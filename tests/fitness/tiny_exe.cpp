// Stand-in for nicstart.exe in the fitness check's tests: the launcher's own kind of entry
// point, a function-local static and a C runtime call.  The check's tests build it good
// and bad.
#include <windows.h>

#include <string.h>

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

#ifdef TINY_ADVAPI
// An NT-only call imported, not looked up at run time.
#define ARGUMENTS (OpenSCManagerA(NULL, NULL, 0) ? "manager" : GetCommandLineA())
#else
#define ARGUMENTS GetCommandLineA()
#endif

}  // namespace

extern "C" void nicstart_entry(void)
{
    const char* szBlank = strchr(ARGUMENTS, ' ');
    int iAnswer = MessageBoxA(NULL, szBlank != NULL ? szBlank : "", "tiny", MB_OK);
    ExitProcess((UINT)PICK(iAnswer, (int)(dwVersion() & 0xFF)));
}
