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
       dialog is, not when the process ends. */
    fflush(stdout);
}
