// The setup log: a plain-text trail of each run, one entry per line ending in CR LF,
// appended to the Windows folder followed by "\TEMP\_nicstart.log".  The file is opened
// and closed for every entry; an entry that cannot be written is dropped silently.
// The line is built here (no windows.h: built natively too); the file is written by
// launcher/setuplog.c.
#pragma once
#include "capacities.h"

#include <stdarg.h>
#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

enum { LOG_MESSAGE_MAX = LOG_LINE_CAPACITY - 3 };   // 257 characters of message

#define LOG_FILE_SUFFIX "\\TEMP\\_nicstart.log"

// Appends one printf-style entry.  Never reports a failure.
void vWriteLog(const char* szFormat, ...);

// Builds one log line: the formatted message, cut after LOG_MESSAGE_MAX characters when
// longer, then CR LF.  Returns the line's length.
size_t uBuildLogLine(char szLine[LOG_LINE_CAPACITY], const char* szFormat, va_list args);

#ifdef __cplusplus
}
#endif
