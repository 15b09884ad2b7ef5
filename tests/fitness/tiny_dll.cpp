// Stand-in for nicprop.dll in the fitness check's tests: the three exports with the INF
// script's convention and a function-local static.  The check's tests build it good and bad.
#include <windows.h>

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
// msvcrt's stream table used without dllimport and at an offset: the linker can reach it
// only through a runtime pseudo-relocation.
extern "C" char _iob[];
#define REVISION_TEXT (_iob + 40)
#else
#define REVISION_TEXT (szResult + 1)
#endif

extern "C" BOOL WINAPI ShowProp(DWORD dwCount, char**, char** ppszResult)
{
#ifdef TINY_THROW
    // A throw that would have to unwind through the INF interpreter's frames.
    if (dwCount == 0)
        throw dwCount;
#else
    (void)dwCount;
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

extern "C" BOOL WINAPI DllEntry(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}
