// Stand-in for nicprop.dll in the fitness check's tests: the three exports with the INF
// script's convention, a function-local static and a C runtime call.  The check's tests
// build it good and bad.
#include <windows.h>

#include <string.h>

namespace {

struct Version {
    Version() : dwValue(GetVersion()) {}
    DWORD dwValue;
};

DWORD dwVersion()
{
    static Version version;
    return version.dwValue;
}

// Returned by address, so the DLL needs relocations.
char szResult[12] = "TINY";

}  // namespace

#ifdef TINY_AUTO_IMPORT
// The C runtime's stream table used without dllimport and at an offset: the linker can reach it
// only through a runtime pseudo-relocation.
extern "C" char _iob[];
#define REVISION_TEXT (_iob + 40)
#else
#define REVISION_TEXT (szResult + 1)
#endif

extern "C" BOOL WINAPI ShowProp(DWORD dwCount, char** ppszArgs, char** ppszResult)
{
    if (dwCount > 0 && strchr(ppszArgs[0], '"') != nullptr)
        return FALSE;
#ifdef TINY_THROW
    // A throw that would have to unwind through the INF interpreter's frames.
    if (dwCount == 0)
        throw dwCount;
#endif
    *ppszResult = szResult;
    return TRUE;
}

extern "C" BOOL WINAPI GetSubID(DWORD, char**, char** ppszResult)
{
    szResult[0] = (char)('0' + dwVersion() % 10);
    *ppszResult = szResult;
    return TRUE;
}

extern "C" BOOL WINAPI GetRevID(DWORD, char**, char** ppszResult)
{
    *ppszResult = REVISION_TEXT;
    return TRUE;
}

extern "C" BOOL WINAPI UiDllEntry(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}
