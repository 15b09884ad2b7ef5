// The three exports that the adapter's NT 4.0 INF script calls by name through
// LibraryProcedure (ordinals 1 to 3 in nicprop.def).  Each takes the argument count, the
// argument texts and a place for the result text, which the library owns and keeps
// valid at least until the next call of the same export.
#pragma once
#include <windows.h>

extern "C" {
BOOL WINAPI ShowProp(DWORD dwCount, LPSTR aszArgs[], LPSTR* pszResult);
BOOL WINAPI GetSubID(DWORD dwCount, LPSTR aszArgs[], LPSTR* pszResult);
BOOL WINAPI GetRevID(DWORD dwCount, LPSTR aszArgs[], LPSTR* pszResult);
}
