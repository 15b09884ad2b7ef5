#include "format.h"

#include <stdio.h>
#include <string.h>

int iFormatTextV(char* szDest, size_t uCapacity, const char* szFormat, va_list args)
{
    if (uCapacity == 0)
        return -1;
    memset(szDest, 0, uCapacity);
#ifdef _WIN32
    /* msvcrt's _vsnprintf (present since NT 4.0 and Windows 95) returns -1 when the
       text does not fit and then writes no terminator; the cleared last byte stays 0. */
    int iWritten = _vsnprintf(szDest, uCapacity - 1, szFormat, args);
    if (iWritten < 0 || (size_t)iWritten >= uCapacity)
        return -1;
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
