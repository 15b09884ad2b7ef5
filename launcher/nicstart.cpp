// The launcher's main flow: find the setup program for this Windows family, resolve the
// adapter's INF file, check that the adapter is present, run the setup program, clean
// up after an uninstall, and report or restart.  One thread, one straight pass.
#include "launcher.h"

#include "entry.h"
#include "format.h"
#include "core/identity.h"
#include "core/nicstart.h"
#include "core/options.h"
#include "core/setuplog.h"
#include "core/textutil.h"

#include <string.h>

LauncherState gState;

namespace {

const DWORD kRestartDelayMs = 5000;

void vMessage(const char* szText, UINT uType, int* piAnswer = nullptr)
{
    int iAnswer = MessageBoxA(nullptr, szText, NICSTART_CAPTION, uType);
    if (piAnswer != nullptr)
        *piAnswer = iAnswer;
}

bool bFileExists(const char* szFolder, const char* szName)
{
    char szPath[PATH_CAPACITY];
    if (szName[0] == '\0' || !bJoinText(szPath, sizeof szPath, szFolder, szName))
        return false;
    WIN32_FIND_DATAA fdFound;
    HANDLE hFind = FindFirstFileA(szPath, &fdFound);
    if (hFind == INVALID_HANDLE_VALUE)
        return false;
    FindClose(hFind);
    return true;
}

void vLocateSetupProgram()
{
    char szModule[PATH_CAPACITY] = {};
    DWORD dwLength = GetModuleFileNameA(nullptr, szModule, sizeof szModule);
    if (dwLength == 0 || dwLength >= sizeof szModule)
        vFatal(kMsgFolderTooLong, EXIT_TEXT_TOO_LONG);
    char* szLastBackslash = strrchr(szModule, '\\');
    if (szLastBackslash != nullptr)
        szLastBackslash[1] = '\0';

    if (bFileExists(szModule, gState.szSetupProgram)) {
        bCopyText(gState.szSetupFolder, sizeof gState.szSetupFolder, szModule);
        return;
    }
    // A program whose path in the sub-folder does not fit a path cannot be looked for,
    // let alone started: that is the folder's length, not a missing file.
    if (!bJoinText(gState.szSetupFolder, sizeof gState.szSetupFolder, szModule, kSetupSubFolder) ||
        strlen(gState.szSetupFolder) + strlen(gState.szSetupProgram) >= PATH_CAPACITY)
        vFatal(kMsgFolderTooLong, EXIT_TEXT_TOO_LONG);
    if (bFileExists(gState.szSetupFolder, gState.szSetupProgram))
        return;

    char szText[NAME_CAPACITY + sizeof kMsgNoSetupProgram];
    iFormatText(szText, sizeof szText, "%s %s", kMsgNoSetupProgram, gState.szSetupProgram);
    vFatal(szText, EXIT_DONE);
}

// The setup program's path and command line.  The program path is not quoted: the
// setup programs were written against exactly this command line.
void vFormatCommandLine(const char* szArguments)
{
    if (iFormatText(gState.szApplicationPath, sizeof gState.szApplicationPath, "%s%s",
                    gState.szSetupFolder, gState.szSetupProgram) < 0)
        vFatal(kMsgFolderTooLong, EXIT_TEXT_TOO_LONG);
    if (iFormatText(gState.szCommandLine, sizeof gState.szCommandLine, "%s%s %s",
                    gState.szSetupFolder, gState.szSetupProgram, szArguments) < 0)
        vFatal(kMsgCommandTooLong, EXIT_TEXT_TOO_LONG);
}

// The INF folder (-d, else the setup folder, always ending in a backslash) and the INF
// file name (-f, unless the family always uses one name: NT 4.0's "oemsetup.inf").
void vResolveInfOptions(const char* szArguments)
{
    if (bHasOption(szArguments, "-d")) {
        if (!bOptionValue(szArguments, "-d", gState.szInfFolder, sizeof gState.szInfFolder))
            vFatal(kMsgInfOptionTooLong, EXIT_TEXT_TOO_LONG);
        size_t uLength = strlen(gState.szInfFolder);
        if ((uLength == 0 || gState.szInfFolder[uLength - 1] != '\\') &&
            !bAppendText(gState.szInfFolder, sizeof gState.szInfFolder, "\\"))
            vFatal(kMsgInfOptionTooLong, EXIT_TEXT_TOO_LONG);
    } else {
        bCopyText(gState.szInfFolder, sizeof gState.szInfFolder, gState.szSetupFolder);
    }
    if (bHasOption(szArguments, "-f") &&
        !bOptionValue(szArguments, "-f", gState.szInfFile, sizeof gState.szInfFile))
        vFatal(kMsgInfOptionTooLong, EXIT_TEXT_TOO_LONG);
    if (gState.pFamily->szInfFile != nullptr)
        bCopyText(gState.szInfFile, sizeof gState.szInfFile, gState.pFamily->szInfFile);
}

// A named valid INF file is used as it is; otherwise discovery tries the INF folder,
// one and two levels up, and the drive root.  The folder keeps the text of the try
// that succeeded.
void vResolveInfFile()
{
    if (gState.szInfFile[0] != '\0' && bIsValidInf(gState.szInfFolder, gState.szInfFile))
        return;
    for (int iTry = 0; iTry < INF_TRIES; ++iTry) {
        if (iTry > 0)
            vNextInfTryFolder(gState.szInfFolder, iTry);
        if (bFindInfFile(gState.szInfFolder))
            return;
    }
    vFatal(kMsgNoInf, EXIT_DONE);
}

void vRunSetupProgram()
{
    vWriteLog(kLogCreateProcess);
    if (!CreateProcessA(gState.szApplicationPath, gState.szCommandLine, nullptr, nullptr, FALSE, 0,
                        nullptr, gState.szSetupFolder, &gState.siSetup, &gState.piSetup)) {
        // Nothing ran, so nothing may be reported as completed, cleaned up or restarted.
        DWORD dwError = GetLastError();
        vWriteLog("CreateProcess %s failed, error %lu", gState.szApplicationPath, dwError);
        char szText[NAME_CAPACITY + 64];
        iFormatText(szText, sizeof szText, kMsgSetupNotStarted, gState.szApplicationPath, dwError);
        vFatal(szText, EXIT_SETUP_NOT_STARTED);
    }
    WaitForSingleObject(gState.piSetup.hProcess, INFINITE);
    GetExitCodeProcess(gState.piSetup.hProcess, &gState.dwExitCode);
    CloseHandle(gState.piSetup.hProcess);
    CloseHandle(gState.piSetup.hThread);
}

void vReportCompletion()
{
    if (gState.pFamily->eAfterSetup == AFTER_SETUP_BOX) {
        vMessage(gState.bUninstall ? kMsgUninstalled : kMsgInstalled, MB_OK);
        return;
    }
    int iAnswer = 0;
    vMessage(gState.bUninstall ? kAskAfterRemove : kAskAfterInstall, MB_YESNO, &iAnswer);
    if (iAnswer == IDYES)
        gState.bRestart = true;
}

int iRunLauncher(const char* szArguments)
{
    vWriteLog(kLogStart);
    memset(&gState.siSetup, 0, sizeof gState.siSetup);
    gState.siSetup.cb = sizeof gState.siSetup;  // 68 in the shipped 32-bit build
    memset(&gState.piSetup, 0, sizeof gState.piSetup);

    int iOsType = iOsTypeFromVersion(GetVersion());
    gState.bWin9x = iOsType == OS_WIN9X;
    gState.bWinNT4 = iOsType == OS_WINNT4;
    gState.bWin2K = iOsType == OS_WIN2K;
    gState.pFamily = pFindFamily(iOsType);
    // An unknown family has no setup program, so the run ends at its search, before any
    // part reads the family's row.
    if (gState.pFamily != nullptr)
        bCopyText(gState.szSetupProgram, sizeof gState.szSetupProgram, gState.pFamily->szSetupProgram);

    vLocateSetupProgram();
    vFormatCommandLine(szArguments);
    SetCurrentDirectoryA(gState.szSetupFolder);

    if (bHasOption(szArguments, "-r")) {
        gState.bUninstall = true;
    } else {
        vResolveInfOptions(szArguments);
        vResolveInfFile();
        GetHardwareID(gState.szInfFolder, gState.szInfFile);
    }

    if (!bCheckAdapter())
        vFatal(kMsgNoAdapter, EXIT_DONE);

    // Launcher-only options are blanked in the argument part of the command line only.
    char* szArgumentPart = gState.szCommandLine + strlen(gState.szSetupFolder) +
                           strlen(gState.szSetupProgram) + 1;
    if (bHasOption(szArguments, "-b")) {
        vBlankOption(szArgumentPart, "-b");
        gState.bRestart = true;
    }
    if (gState.bUninstall) {
        if (bHasOption(szArguments, "-k"))
            vBlankOption(szArgumentPart, "-k");
        else
            gState.bDeleteInf = true;
    }

    vRunSetupProgram();

    if (gState.bDeleteInf) {
        vWriteLog(kLogCleanupStart);
        vDeleteInfFile();
        vWriteLog(kLogCleanupEnd);
    }
    if (!gState.bRestart && gState.dwExitCode == 0)
        vReportCompletion();
    vWriteLog(kLogEnd);
    if (gState.bRestart && gState.dwExitCode == 0) {
        Sleep(kRestartDelayMs);
        vRestartWindows();
    }
    return EXIT_DONE;
}

}  // namespace

void vFatal(const char* szText, UINT uExitCode)
{
    vMessage(szText, MB_OK);
    ExitProcess(uExitCode);
}

int iLauncherMain(const char* szCommandLine)
{
    return iRunLauncher(pszArgumentText(szCommandLine));
}
