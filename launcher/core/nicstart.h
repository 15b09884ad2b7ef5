// What nicstart shows, logs and returns, and where it looks for the setup program: the
// texts of its message boxes and of the main flow's log entries, and its exit codes.
// The texts are kept letter for letter, typos included.  No windows.h here: built
// natively too.
#pragma once

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
