// nicstart: the state that every part of the launcher reads and writes, and the
// operations that the main flow calls.  One instance of the state lives for the run.
#pragma once
#include "capacities.h"
#include "core/nicstart.h"

#include <windows.h>

// The three flags name the running family in the record's own terms; what the parts do
// differently on that family they read from its row, pFamily.
struct LauncherState {
    bool bWin9x;
    bool bWinNT4;
    bool bWin2K;
    const WindowsFamily* pFamily;           // the running family's row; null when unknown
    char szSetupProgram[NAME_CAPACITY];
    char szSetupFolder[PATH_CAPACITY];
    char szApplicationPath[NAME_CAPACITY];
    char szCommandLine[NAME_CAPACITY];
    char szInfFolder[PATH_CAPACITY];
    char szInfFile[PATH_CAPACITY];
    bool bUninstall;
    bool bRestart;
    bool bDeleteInf;
    DWORD dwExitCode;
    STARTUPINFOA siSetup;
    PROCESS_INFORMATION piSetup;
    int iIMIDsize;                          // entries in aszInfModalID
    char (*aszInfModalID)[HWID_ENTRY_CAPACITY];   // hardware-ID list, read from the INF file
};

extern LauncherState gState;

// Main flow.
void vFatal(const char* szText, UINT uExitCode);

// INF discovery and hardware-ID reading, and the disk as Windows' file calls see it.
extern const DiskAccess kWindowsDisk;
bool bIsValidInf(const char* szFolder, const char* szFile);
bool bFindInfFile(const char* szFolder);
void GetHardwareID(const char* szFolder, const char* szFile);

// Adapter presence check.
bool bCheckAdapter();

// Uninstall clean-up of the stored INF copies.
void vDeleteInfFile();

// Restart of Windows.
void vRestartWindows();
