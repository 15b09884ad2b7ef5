// Restart of Windows at the end of a run.  On the NT family a process may restart
// Windows only with the shutdown privilege enabled in its own token; the Windows 95
// family has no tokens, and the token calls are made on the NT family only.
#include "launcher.h"

#include "ntcalls.h"

namespace {

const char kShutdownPrivilege[] = "SeShutdownPrivilege";

void vEnableShutdownPrivilege()
{
    HANDLE hToken = nullptr;
    if (!NtOpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &hToken))
        return;
    TOKEN_PRIVILEGES tpShutdown = {};
    tpShutdown.PrivilegeCount = 1;
    tpShutdown.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (NtLookupPrivilegeValueA(nullptr, kShutdownPrivilege, &tpShutdown.Privileges[0].Luid))
        NtAdjustTokenPrivileges(hToken, FALSE, &tpShutdown, 0, nullptr, nullptr);
    CloseHandle(hToken);
}

}  // namespace

// A refused privilege or restart is not reported: ExitWindowsEx then fails, and the run
// ends as it would have without the restart.  No EWX_FORCE, so running programs are
// asked to close in the ordinary way.
void vRestartWindows()
{
    if (gState.pFamily->bRestartNeedsPrivilege)
        vEnableShutdownPrivilege();
    ExitWindowsEx(EWX_REBOOT, 0);
}
