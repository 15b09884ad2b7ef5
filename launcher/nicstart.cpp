// The launcher's main flow: find the setup program for this Windows family, resolve the
// adapter's INF file, check that the adapter is present, run the setup program, clean
// up after an uninstall, and report or restart.  One thread, one straight pass.
#include "launcher.h"

#include "entry.h"
#include "format.h"
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

// A step that ends the run shows its message box and exits.
void vStopIf(LaunchStep eStep)
{
    if (eStep == STEP_GO_ON)
        return;
    char szText[STOP_TEXT_CAPACITY];
    unsigned uExit = uStopMessage(eStep, gState.szSetupProgram, szText);
    vFatal(szText, uExit);
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
    vStopIf(eLocateSetupProgram(kWindowsDisk, szModule, gState.szSetupProgram, gState.szSetupFolder));
}

void vFormatCommandLine(const char* szArguments)
{
    vStopIf(eFormatCommandLine(gState.szSetupFolder, gState.szSetupProgram, szArguments,
                               gState.szApplicationPath, gState.szCommandLine));
}

void vResolveInfOptions(const char* szArguments)
{
    vStopIf(eResolveInfOptions(szArguments, *gState.pFamily, gState.szSetupFolder,
                               gState.szInfFolder, gState.szInfFile));
}

void vResolveInfFile()
{
    int iTry = INF_TRY_NAMED;
    vStopIf(eResolveInfFile(kWindowsDisk, gState.szInfFolder, gState.szInfFile, &iTry));
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
