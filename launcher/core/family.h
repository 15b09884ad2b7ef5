// One row per Windows family: everything in which a run on the Windows 95 family, on
// NT 4.0 and on the NT 5 family (2000, XP, Server 2003) differs.  The main flow finds the
// running family's row once, from the OS type, and every part reads its field there;
// supporting another family is one more row.  No windows.h here: built natively too.
#pragma once
#include "cleanup.h"
#include "infread.h"

#include <stdint.h>

enum OsType { OS_UNKNOWN = 0, OS_WIN9X = 1, OS_WINNT4 = 2, OS_WIN2K = 3 };

// What follows a successful setup run without -b.
enum AfterSetup {
    AFTER_SETUP_BOX,        // "The installation is Completed" (or uninstallation), OK only
    AFTER_SETUP_QUESTION    // the restart question, Yes or No
};

// How the presence check reaches the PCI configuration space.
enum PresencePath {
    PRESENCE_BY_PORTS,      // the configuration ports, read by the launcher itself
    PRESENCE_BY_DRIVER      // the pcipeek driver, installed and started as a service
};

struct WindowsFamily {
    OsType eOsType;
    const char* szSetupProgram;   // looked for beside the launcher, then in nicstart\ .
    InfDialect eDialect;
    const char* szInfFile;        // the INF name the family always uses, or nullptr for -f
    InfStore store;               // where the uninstall clean-up looks
    AfterSetup eAfterSetup;
    bool bRestartNeedsPrivilege;  // the shutdown privilege must be enabled first
    bool bCleanupLogs;            // the clean-up logs each file it examines and deletes
    PresencePath ePresence;
};

// The OS type that GetVersion's answer names: the Windows 95 family from major version
// 4 up, NT 4.0, or the NT family of major version 5; anything else is unknown.
int iOsTypeFromVersion(uint32_t dwVersion);

// The row of a family; nullptr for OS_UNKNOWN, which has no setup program.
const WindowsFamily* pFindFamily(int iOsType);
