#include "core/setuplog.h"

#include <stdio.h>
#include <string.h>
#include <windows.h>

void vWriteLog(const char* szFormat, ...)
{
    char szLine[LOG_LINE_CAPACITY];
    char szPath[PATH_CAPACITY];
    memset(szLine, 0, sizeof szLine);
    memset(szPath, 0, sizeof szPath);

    va_list args;
    va_start(args, szFormat);
    size_t uLength = uBuildLogLine(szLine, szFormat, args);
    va_end(args);

    UINT uFolder = GetWindowsDirectoryA(szPath, sizeof szPath);
    if (uFolder == 0 || uFolder >= sizeof szPath)
        return;
    size_t uSuffix = sizeof LOG_FILE_SUFFIX - 1;
    if (uFolder + uSuffix >= sizeof szPath)
        return;
    memcpy(szPath + uFolder, LOG_FILE_SUFFIX, uSuffix + 1);

    /* Binary append: the line already carries its CR LF, which text mode would turn
       into CR CR LF.  Every write goes to the end, whatever other runs wrote. */
    FILE* pLog = fopen(szPath, "a+b");
    if (pLog == NULL)
        return;
    fwrite(szLine, 1, uLength, pLog);
    fclose(pLog);
}
