// What nicstart shows, logs and returns, and where it looks for the setup program: the
// texts of its message boxes and of the main flow's log entries, and its exit codes.
// The texts are kept letter for letter, typos included.  No windows.h here: built
// natively too.
#pragma once
#include "capacities.h"
#include "family.h"

#include <stddef.h>

#define NICSTART_CAPTION "NicStart"

// The setup program is looked for beside the launcher, then in this sub-folder.
const char kSetupSubFolder[] = "nicstart\\";

// The launcher's exit codes.  Every message box it shows ends the process except the
// completion message and the restart question.
enum {
    EXIT_DONE = 0,               // a run that ended normally, or one of the original messages
    EXIT_TWO_VALID_INFS = 1,     // one folder held two valid INF files
    EXIT_SETUP_NOT_STARTED = 2,  // the setup program was found but could not be started
    EXIT_TEXT_TOO_LONG = 3       // a path or the command line exceeded its buffer
};

const char kLogStart[] = "//--------------------Start--------------------//";
const char kLogCreateProcess[] = "//--------------------CreateProcess";
const char kLogCleanupStart[] = "Auto delete driver and inf file while uninstall NIC.";
const char kLogCleanupEnd[] = "Finish delete driver and inf file while uninstall NIC.";
const char kLogEnd[] = "//---------------------End---------------------//";

// A path that does not fit is refused whole, never shortened: the operation and the
// two parts it could not join.
const char kLogPathTooLong[] = "%s path too long ----------%s%s";

const char kMsgNoSetupProgram[] = "Can not find target files :";
const char kMsgNoInf[] = "Can not find any inf files!";
const char kMsgNoAdapter[] = "Can not find proper NIC, click OK to exit program.";
const char kMsgInstalled[] = "The installation is Completed";
const char kMsgUninstalled[] = "The uninstallation is Completed";
const char kAskAfterInstall[] =
    "It's recommended to reboot your system after install NIC driver.\n"
    "Do you want ot restart your system now?";
const char kAskAfterRemove[] =
    "It's recommended to reboot your system after remove NIC driver.\n"
    "Do you want ot restart your system now?";
const char kMsgFolderTooLong[] =
    "The folder of the setup program is too long. Copy the driver disk to a shorter path.";
const char kMsgCommandTooLong[] =
    "The command line is too long. The setup program accepts at most 255 characters.";
const char kMsgInfOptionTooLong[] = "The value of -d or -f is too long.";
const char kMsgTwoValidInfs[] = "There are more than two Valid INF files! \nProgram exit!";
// The setup program's path and the error code of CreateProcessA.
const char kMsgSetupNotStarted[] = "Can not start the setup program %s (error %lu).";

// The main flow's decisions up to the presence check, on a disk seen through DiskAccess:
// Windows' own file calls in nicstart, a host folder standing for a drive in nicdisk.
// Every path here is a Windows path, as the launcher holds it.

// Lists the names that match a pattern (a folder and "*.inf"), handing each to the
// visitor until it answers false.  False when the search finds nothing.
typedef bool (*ListedNameVisitor)(void* pSearch, const char* szName);
struct DiskAccess {
    bool (*pfnFileExists)(const char* szPath);
    bool (*pfnListFiles)(const char* szPattern, ListedNameVisitor pfnVisit, void* pSearch);
    // The validity test of one INF file for the running family (bIsValidInf).
    bool (*pfnIsValidInf)(const char* szFolder, const char* szFile);
    void (*pfnLog)(const char* szFormat, ...);
};

// A folder and a name joined into a path; one that does not fit is refused whole and
// logged (kLogPathTooLong) under the name of the operation that needed it.
bool bJoinPathOrLog(void (*pfnLog)(const char* szFormat, ...), const char* szOperation, const char* szFolder,
                    const char* szFile, char szPath[PATH_CAPACITY]);
// The path of an INF file that the validity test reads.
#define INF_VALIDITY_OPERATION "bIsValidInf"

// Where a step ends the run: each stop is one message box and one exit code.
enum LaunchStep {
    STEP_GO_ON,
    STOP_FOLDER_TOO_LONG,
    STOP_NO_SETUP_PROGRAM,
    STOP_COMMAND_TOO_LONG,
    STOP_INF_OPTION_TOO_LONG,
    STOP_NO_INF,
    STOP_TWO_VALID_INFS
};

enum { STOP_TEXT_CAPACITY = NAME_CAPACITY + sizeof kMsgNoSetupProgram };

// The text of the stop's message box (the setup program's name completes the one for a
// missing program) and the exit code that follows it.
unsigned uStopMessage(LaunchStep eStop, const char* szSetupProgram, char szText[STOP_TEXT_CAPACITY]);

// The setup program beside the launcher (szModuleFolder, ending in a backslash), else in
// its nicstart\ sub-folder: szSetupFolder (PATH_CAPACITY) is the folder that holds it.
LaunchStep eLocateSetupProgram(const DiskAccess& disk, const char* szModuleFolder,
                               const char* szSetupProgram, char* szSetupFolder);

// The setup program's path and command line (NAME_CAPACITY each).  The program path is
// not quoted: the setup programs were written against exactly this command line.
LaunchStep eFormatCommandLine(const char* szSetupFolder, const char* szSetupProgram,
                              const char* szArguments, char* szApplicationPath, char* szCommandLine);

// The INF folder (-d, else the setup folder, always ending in a backslash) and the INF
// file name (-f, unless the family always uses one name: NT 4.0's "oemsetup.inf"),
// both PATH_CAPACITY.
LaunchStep eResolveInfOptions(const char* szArguments, const WindowsFamily& family,
                              const char* szSetupFolder, char* szInfFolder, char* szInfFile);

// How the INF file was found: named and valid, or by one of the INF_TRIES searches.
enum { INF_TRY_NAMED = -1 };

// The search of one folder for its one valid INF file; szFound (PATH_CAPACITY) gets the
// name.  A second valid one makes the disk ambiguous.
enum InfSearch { INF_SEARCH_NONE, INF_SEARCH_FOUND, INF_SEARCH_TWO_VALID };
InfSearch eFindInfFile(const DiskAccess& disk, const char* szFolder, char* szFound);

// A named valid INF file is used as it is; otherwise discovery tries the INF folder,
// one and two levels up, and the drive root.  The folder keeps the text of the try
// that succeeded, *piTry says which (or INF_TRY_NAMED).
LaunchStep eResolveInfFile(const DiskAccess& disk, char* szInfFolder, char* szInfFile, int* piTry);
