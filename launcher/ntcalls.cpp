#include "ntcalls.h"

namespace {

enum NtCall {
    NT_OPEN_SC_MANAGER,
    NT_CREATE_SERVICE,
    NT_OPEN_SERVICE,
    NT_START_SERVICE,
    NT_CLOSE_SERVICE_HANDLE,
    NT_OPEN_PROCESS_TOKEN,
    NT_LOOKUP_PRIVILEGE_VALUE,
    NT_ADJUST_TOKEN_PRIVILEGES,
    NT_CALL_COUNT
};

// The one table: each function's export name and, once looked up, its address.
struct NtEntry {
    const char* szName;
    FARPROC pfnCall;
};

NtEntry gaNtCalls[NT_CALL_COUNT] = {
    { "OpenSCManagerA", nullptr },
    { "CreateServiceA", nullptr },
    { "OpenServiceA", nullptr },
    { "StartServiceA", nullptr },
    { "CloseServiceHandle", nullptr },
    { "OpenProcessToken", nullptr },
    { "LookupPrivilegeValueA", nullptr },
    { "AdjustTokenPrivileges", nullptr },
};
bool gbLookedUp = false;

// The address of one call, looking all of them up at the first; null when advapi32 or
// the function is missing, with ERROR_PROC_NOT_FOUND as the call's error.  advapi32
// stays loaded for the rest of the run.
void* pNtCall(NtCall eCall)
{
    if (!gbLookedUp) {
        gbLookedUp = true;
        HMODULE hAdvapi = LoadLibraryA("advapi32.dll");
        for (NtEntry& entry : gaNtCalls)
            entry.pfnCall = hAdvapi != nullptr ? GetProcAddress(hAdvapi, entry.szName) : nullptr;
    }
    if (gaNtCalls[eCall].pfnCall == nullptr)
        SetLastError(ERROR_PROC_NOT_FOUND);
    return reinterpret_cast<void*>(gaNtCalls[eCall].pfnCall);
}

}  // namespace

SC_HANDLE NtOpenSCManagerA(LPCSTR szMachine, LPCSTR szDatabase, DWORD dwAccess)
{
    auto pfn = reinterpret_cast<decltype(&OpenSCManagerA)>(pNtCall(NT_OPEN_SC_MANAGER));
    return pfn != nullptr ? pfn(szMachine, szDatabase, dwAccess) : nullptr;
}

SC_HANDLE NtCreateServiceA(SC_HANDLE hManager, LPCSTR szName, LPCSTR szDisplayName, DWORD dwAccess,
                           DWORD dwType, DWORD dwStart, DWORD dwErrorControl, LPCSTR szBinaryPath,
                           LPCSTR szLoadOrderGroup, LPDWORD pdwTagId, LPCSTR szDependencies,
                           LPCSTR szStartName, LPCSTR szPassword)
{
    auto pfn = reinterpret_cast<decltype(&CreateServiceA)>(pNtCall(NT_CREATE_SERVICE));
    return pfn != nullptr ? pfn(hManager, szName, szDisplayName, dwAccess, dwType, dwStart, dwErrorControl,
                                szBinaryPath, szLoadOrderGroup, pdwTagId, szDependencies, szStartName, szPassword)
                          : nullptr;
}

SC_HANDLE NtOpenServiceA(SC_HANDLE hManager, LPCSTR szName, DWORD dwAccess)
{
    auto pfn = reinterpret_cast<decltype(&OpenServiceA)>(pNtCall(NT_OPEN_SERVICE));
    return pfn != nullptr ? pfn(hManager, szName, dwAccess) : nullptr;
}

BOOL NtStartServiceA(SC_HANDLE hService, DWORD dwArgs, LPCSTR* pszArgs)
{
    auto pfn = reinterpret_cast<decltype(&StartServiceA)>(pNtCall(NT_START_SERVICE));
    return pfn != nullptr ? pfn(hService, dwArgs, pszArgs) : FALSE;
}

BOOL NtCloseServiceHandle(SC_HANDLE hHandle)
{
    auto pfn = reinterpret_cast<decltype(&CloseServiceHandle)>(pNtCall(NT_CLOSE_SERVICE_HANDLE));
    return pfn != nullptr ? pfn(hHandle) : FALSE;
}

BOOL NtOpenProcessToken(HANDLE hProcess, DWORD dwAccess, PHANDLE phToken)
{
    auto pfn = reinterpret_cast<decltype(&OpenProcessToken)>(pNtCall(NT_OPEN_PROCESS_TOKEN));
    return pfn != nullptr ? pfn(hProcess, dwAccess, phToken) : FALSE;
}

BOOL NtLookupPrivilegeValueA(LPCSTR szSystem, LPCSTR szName, PLUID pLuid)
{
    auto pfn = reinterpret_cast<decltype(&LookupPrivilegeValueA)>(pNtCall(NT_LOOKUP_PRIVILEGE_VALUE));
    return pfn != nullptr ? pfn(szSystem, szName, pLuid) : FALSE;
}

BOOL NtAdjustTokenPrivileges(HANDLE hToken, BOOL bDisableAll, PTOKEN_PRIVILEGES pNewState, DWORD dwLength,
                             PTOKEN_PRIVILEGES pPrevious, PDWORD pdwReturnLength)
{
    auto pfn = reinterpret_cast<decltype(&AdjustTokenPrivileges)>(pNtCall(NT_ADJUST_TOKEN_PRIVILEGES));
    return pfn != nullptr ? pfn(hToken, bDisableAll, pNewState, dwLength, pPrevious, pdwReturnLength) : FALSE;
}
