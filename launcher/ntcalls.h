// The launcher's NT-only calls into advapi32: the service manager calls of the presence
// check and the token calls of the restart.  They are looked up at run time, at the first
// call, so that nicstart.exe imports nothing from advapi32: the Windows 95 family never
// loads it, and its stubs of these functions are never relied on.  A function that cannot
// be found fails like a refused call: a null handle or FALSE, with ERROR_PROC_NOT_FOUND.
// Each takes the arguments of the advapi32 function of the same name.
#pragma once
#include <windows.h>

SC_HANDLE NtOpenSCManagerA(LPCSTR szMachine, LPCSTR szDatabase, DWORD dwAccess);
SC_HANDLE NtCreateServiceA(SC_HANDLE hManager, LPCSTR szName, LPCSTR szDisplayName, DWORD dwAccess,
                           DWORD dwType, DWORD dwStart, DWORD dwErrorControl, LPCSTR szBinaryPath,
                           LPCSTR szLoadOrderGroup, LPDWORD pdwTagId, LPCSTR szDependencies,
                           LPCSTR szStartName, LPCSTR szPassword);
SC_HANDLE NtOpenServiceA(SC_HANDLE hManager, LPCSTR szName, DWORD dwAccess);
BOOL NtStartServiceA(SC_HANDLE hService, DWORD dwArgs, LPCSTR* pszArgs);
BOOL NtCloseServiceHandle(SC_HANDLE hHandle);
BOOL NtOpenProcessToken(HANDLE hProcess, DWORD dwAccess, PHANDLE phToken);
BOOL NtLookupPrivilegeValueA(LPCSTR szSystem, LPCSTR szName, PLUID pLuid);
BOOL NtAdjustTokenPrivileges(HANDLE hToken, BOOL bDisableAll, PTOKEN_PRIVILEGES pNewState, DWORD dwLength,
                             PTOKEN_PRIVILEGES pPrevious, PDWORD pdwReturnLength);
