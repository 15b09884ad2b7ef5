#include "format.h"

#include <stdio.h>
#include <string.h>

int iFormatTextV(char* szDest, size_t uCapacity, const char* szFormat, va_list args)
{
    if (uCapacity == 0)
        return -1;
    memset(szDest, 0, uCapacity);
#ifdef _WIN32
    /* crtdll's _vsnprintf (the C runtime of every target) writes at most the count it is
       given and returns -1 when the text is longer.  A text of exactly the count is
       written without a terminator; the answer then is its length (Wine's crtdll) and
       may be -1 in other releases.  With the whole capacity as the count, only a length
       below it is a text that fits, whatever the answer to the exact case; otherwise
       the last byte is made the terminator. */
    int iWritten = _vsnprintf(szDest, uCapacity, szFormat, args);
    if (iWritten < 0 || (size_t)iWritten >= uCapacity) {
        szDest[uCapacity - 1] = '\0';
        return -1;
    }
    return iWritten;
#else
    int iWritten = vsnprintf(szDest, uCapacity, szFormat, args);
    if (iWritten < 0 || (size_t)iWritten >= uCapacity)
        return -1;
    return iWritten;
#endif
}

int iFormatText(char* szDest, size_t uCapacity, const char* szFormat, ...)
{
    va_list args;
    va_start(args, szFormat);
    int iWritten = iFormatTextV(szDest, uCapacity, szFormat, args);
    va_end(args);
    return iWritten;
}
