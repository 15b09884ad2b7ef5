// The help viewer's command line: the system directory, "\winhlp32 ", then the help
// argument exactly as the INF script gave it (no quotes added).
// No windows.h here: built natively too.
#pragma once
#include "capacities.h"
#include "uistring.h"

// *pCommand = the command line.  The help argument may have any length.  False when
// the directory and "\winhlp32 " together do not fit SYSTEM_PATH_CAPACITY, or memory
// runs out: the viewer is then not started, rather than a cut-off program path.
bool BuildHelpCommand(const char* szSystemDirectory, const char* szHelpFile, UiString* pCommand);
