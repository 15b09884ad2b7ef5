/* Stand-in for the per-OS setup programs INST9X.EXE, INSTNT4.EXE and INST2K.EXE.  It
   records the command line and current folder it was given, and the exit code it is
   about to return, into the file named by NICTEST_RECORD, then exits with the code in
   NICTEST_EXIT (default 0). */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevious, LPSTR szArguments, int iShow)
{
    char szRecord[MAX_PATH] = "";
    char szExit[32] = "";
    char szFolder[MAX_PATH] = "";
    (void)hInstance; (void)hPrevious; (void)szArguments; (void)iShow;

    GetCurrentDirectoryA(sizeof szFolder, szFolder);
    GetEnvironmentVariableA("NICTEST_EXIT", szExit, sizeof szExit);
    unsigned long uExit = strtoul(szExit, NULL, 10);
    if (GetEnvironmentVariableA("NICTEST_RECORD", szRecord, sizeof szRecord) > 0) {
        FILE* pRecord = fopen(szRecord, "wb");
        if (pRecord != NULL) {
            fprintf(pRecord, "cmdline=%s\ncwd=%s\nexit=%lu\n", GetCommandLineA(), szFolder, uExit);
            fclose(pRecord);
        }
    }
    return (int)uExit;
}
