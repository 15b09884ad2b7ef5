#include "textutil.h"

#include <string.h>

bool bCopyText(char* szDest, size_t uCapacity, const char* szSource)
{
    return bJoinText(szDest, uCapacity, szSource, "");
}

bool bJoinText(char* szDest, size_t uCapacity, const char* szFirst, const char* szSecond)
{
    if (uCapacity == 0)
        return false;
    size_t uFirst = strlen(szFirst);
    size_t uSecond = strlen(szSecond);
    if (uFirst >= uCapacity || uSecond >= uCapacity - uFirst) {
        szDest[0] = '\0';
        return false;
    }
    memmove(szDest, szFirst, uFirst);
    memmove(szDest + uFirst, szSecond, uSecond);
    szDest[uFirst + uSecond] = '\0';
    return true;
}

bool bAppendText(char* szDest, size_t uCapacity, const char* szSource)
{
    // A destination with no terminator within its capacity counts as full.  memchr, as
    // crtdll.dll, the shipped files' C runtime, has no strnlen.
    const char* pEnd = static_cast<const char*>(memchr(szDest, '\0', uCapacity));
    size_t uUsed = pEnd != nullptr ? static_cast<size_t>(pEnd - szDest) : uCapacity;
    size_t uMore = strlen(szSource);
    if (uUsed >= uCapacity || uMore >= uCapacity - uUsed)
        return false;
    memmove(szDest + uUsed, szSource, uMore + 1);
    return true;
}

static char cLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool bEndsWithNoCase(const char* szText, const char* szSuffix)
{
    size_t uText = strlen(szText);
    size_t uSuffix = strlen(szSuffix);
    if (uSuffix > uText)
        return false;
    const char* szTail = szText + uText - uSuffix;
    for (size_t i = 0; i < uSuffix; ++i)
        if (cLower(szTail[i]) != cLower(szSuffix[i]))
            return false;
    return true;
}
