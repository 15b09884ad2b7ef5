// The launcher's command line: the argument text after the program name, the options
// found in it by plain case-sensitive substring search, the values of -d and -f, the
// blanking of launcher-only options, and cutting folder levels off the INF folder.
// No windows.h here: built natively too.
#pragma once
#include <stddef.h>

// The argument text of a full process command line: the program name (quoted or not)
// and the blanks and tabs after it skipped, as WinMain receives it.
const char* pszArgumentText(const char* szCommandLine);

// Offset of the first occurrence of the two-character option, or -1 when absent.  An
// option counts anywhere in the text, word boundaries or not: "-rx" holds "-r".
int iFindOption(const char* szArguments, const char* szOption);
bool bHasOption(const char* szArguments, const char* szOption);

// The value of -d or -f: right after the option, past any blanks that follow it, up to
// the next blank or the end.  An option with nothing after it has an empty value.
// Returns false, with an empty value, when the option is absent or its value does not
// fit uCapacity.
bool bOptionValue(const char* szArguments, const char* szOption, char* szValue, size_t uCapacity);

// Writes two blanks over the first occurrence of the option in text, if any.
void vBlankOption(char* szText, const char* szOption);

// Removes the last folder level, keeping a trailing backslash: D:\DRV\WIN\ becomes
// D:\DRV\ and D:\ stays.  A relative folder with no inner backslash (DRV\) has no level
// left to cut inside its text, so it becomes ".\", the current folder, its parent.
void vCutLastFolder(char* szFolder);

// INF discovery searches up to INF_TRIES folders: the INF folder, one and two levels up
// (vCutLastFolder), then its drive root (the first three characters, "D:\").
enum { INF_TRIES = 4 };
// Turns the folder of try iTry - 1 into the folder of try iTry (1 to INF_TRIES - 1).
void vNextInfTryFolder(char* szFolder, int iTry);
