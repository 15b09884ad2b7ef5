#include "format.h"
#include "setuplog.h"

#include <string.h>

size_t uBuildLogLine(char szLine[LOG_LINE_CAPACITY], const char* szFormat, va_list args)
{
    /* A longer message is cut rather than dropped: the entry still shows where the run
       was, and every entry stays one line. */
    iFormatTextV(szLine, LOG_MESSAGE_MAX + 1, szFormat, args);
    size_t uLength = strlen(szLine);
    memcpy(szLine + uLength, "\r\n", 3);
    return uLength + 2;
}
