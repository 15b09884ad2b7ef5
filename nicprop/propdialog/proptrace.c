#include "proptrace.h"

#include <stdarg.h>
#include <stdio.h>

void TraceLine(const char* szFormat, ...)
{
    va_list args;
    va_start(args, szFormat);
    vprintf(szFormat, args);
    va_end(args);
    /* Redirected standard output is fully buffered; a line should be there when the
       dialog is, not when the process ends.  All streams are flushed, as the library
       writes to no other: naming stdout would need a helper of MinGW's msvcrt library. */
    fflush(NULL);
}
