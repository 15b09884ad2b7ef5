#include "convention.h"

const char* ArgumentText(uint32_t uCount, char* const* aszArgs, uint32_t uIndex)
{
    if (aszArgs == nullptr || uIndex >= uCount || aszArgs[uIndex] == nullptr)
        return "";
    return aszArgs[uIndex];
}

// The convention's result parameter is a non-const text pointer; the caller only reads
// through it.  A caller that passes no place for the result still gets the BOOL.
int ReturnText(char** pszResult, const char* szText, int iResult)
{
    if (pszResult != nullptr)
        *pszResult = const_cast<char*>(szText);
    return iResult;
}
