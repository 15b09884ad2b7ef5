// Operations of the launcher that are not built yet.  Each keeps the run going the way
// the finished operation would for a disk with one matching INF file and adapter.
#include "launcher.h"

#include "options.h"
#include "textutil.h"

#include <stdio.h>

bool bIsValidInf(const char* szFolder, const char* szFile)
{
    char szPath[PATH_CAPACITY];
    if (!bJoinText(szPath, sizeof szPath, szFolder, szFile))
        return false;
    FILE* pFile = fopen(szPath, "r");
    if (pFile == nullptr)
        return false;
    fclose(pFile);
    return true;
}

bool bFindInfFile(const char* szFolder)
{
    char szPattern[PATH_CAPACITY];
    if (!bJoinText(szPattern, sizeof szPattern, szFolder, "*.inf"))
        return false;
    WIN32_FIND_DATAA fdFound;
    HANDLE hFind = FindFirstFileA(szPattern, &fdFound);
    if (hFind == INVALID_HANDLE_VALUE)
        return false;
    FindClose(hFind);
    return bCopyText(gState.szInfFile, sizeof gState.szInfFile, fdFound.cFileName);
}

// The list that the test disk's INF file gives: one adapter, device A0B1.  The NT 4.0
// dialect stores "DEV_" and four digits, the other dialect the whole hardware ID.
void GetHardwareID(const char*, const char*)
{
    static char aszList[1][HWID_CAPACITY];
    bCopyText(aszList[0], sizeof aszList[0], gState.bWinNT4 ? "DEV_A0B1" : "PCI\\VEN_1106&DEV_A0B1");
    gState.aszInfModalID = aszList;
    gState.iIMIDsize = 1;
}

void vDeleteInfFile()
{
}

void vRestartWindows()
{
}
