// Import failures: a DLL that the harness loads into a program started suspended, so
// that chosen platform calls of the program fail the way a refused right or a missing
// device makes them fail on a real machine, without changing the binary.  Wine runs
// everything with full rights, so these failures cannot be had otherwise.
//
// NICTEST_FAULTS lists the calls and the error each leaves behind, separated by blanks:
// "OpenSCManagerA=5 CreateFileA=2".  Only the program's own imports are replaced; the
// system DLLs keep the real functions.  A function that the program does not import is
// replaced in what the program's GetProcAddress answers for it, as the launcher looks its
// advapi32 calls up at run time; "Name=missing" makes the answer null instead, with
// ERROR_PROC_NOT_FOUND, as for a function that Windows lacks.  An unknown name, or a
// function the program does not import when it imports no GetProcAddress either, fails
// the load, so that a test never runs without its fault.
#include "iatpatch.h"

#include <stdlib.h>
#include <string.h>

namespace {

enum FaultId {
    FAULT_OPEN_SC_MANAGER,
    FAULT_CREATE_SERVICE,
    FAULT_START_SERVICE,
    FAULT_CREATE_FILE,
    FAULT_OPEN_PROCESS_TOKEN,
    FAULT_LOOKUP_PRIVILEGE,
    FAULT_ADJUST_PRIVILEGES,
    FAULT_COUNT
};

DWORD gadwError[FAULT_COUNT];
bool gabLookedUp[FAULT_COUNT];   // served through the program's GetProcAddress
bool gabMissing[FAULT_COUNT];    // and answered there as absent
FARPROC(WINAPI* gpfnGetProcAddress)(HMODULE, LPCSTR) = nullptr;

void vFail(FaultId eFault)
{
    SetLastError(gadwError[eFault]);
}

SC_HANDLE WINAPI FailOpenSCManagerA(LPCSTR, LPCSTR, DWORD)
{
    vFail(FAULT_OPEN_SC_MANAGER);
    return nullptr;
}

SC_HANDLE WINAPI FailCreateServiceA(SC_HANDLE, LPCSTR, LPCSTR, DWORD, DWORD, DWORD, DWORD, LPCSTR, LPCSTR,
                                    LPDWORD, LPCSTR, LPCSTR, LPCSTR)
{
    vFail(FAULT_CREATE_SERVICE);
    return nullptr;
}

BOOL WINAPI FailStartServiceA(SC_HANDLE, DWORD, LPCSTR*)
{
    vFail(FAULT_START_SERVICE);
    return FALSE;
}

HANDLE WINAPI FailCreateFileA(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE)
{
    vFail(FAULT_CREATE_FILE);
    return INVALID_HANDLE_VALUE;
}

BOOL WINAPI FailOpenProcessToken(HANDLE, DWORD, PHANDLE)
{
    vFail(FAULT_OPEN_PROCESS_TOKEN);
    return FALSE;
}

BOOL WINAPI FailLookupPrivilegeValueA(LPCSTR, LPCSTR, PLUID)
{
    vFail(FAULT_LOOKUP_PRIVILEGE);
    return FALSE;
}

BOOL WINAPI FailAdjustTokenPrivileges(HANDLE, BOOL, PTOKEN_PRIVILEGES, DWORD, PTOKEN_PRIVILEGES, PDWORD)
{
    vFail(FAULT_ADJUST_PRIVILEGES);
    return FALSE;
}

struct Fault {
    const char* szDll;
    const char* szFunction;
    void* pStub;
};

const Fault kFaults[FAULT_COUNT] = {
    { "advapi32.dll", "OpenSCManagerA", reinterpret_cast<void*>(FailOpenSCManagerA) },
    { "advapi32.dll", "CreateServiceA", reinterpret_cast<void*>(FailCreateServiceA) },
    { "advapi32.dll", "StartServiceA", reinterpret_cast<void*>(FailStartServiceA) },
    { "kernel32.dll", "CreateFileA", reinterpret_cast<void*>(FailCreateFileA) },
    { "advapi32.dll", "OpenProcessToken", reinterpret_cast<void*>(FailOpenProcessToken) },
    { "advapi32.dll", "LookupPrivilegeValueA", reinterpret_cast<void*>(FailLookupPrivilegeValueA) },
    { "advapi32.dll", "AdjustTokenPrivileges", reinterpret_cast<void*>(FailAdjustTokenPrivileges) },
};

// The program's GetProcAddress: the stand-in or nothing for a function with a fault.
FARPROC WINAPI FaultGetProcAddress(HMODULE hModule, LPCSTR szName)
{
    for (int i = 0; i < FAULT_COUNT && !IS_INTRESOURCE(szName); ++i) {
        if (!gabLookedUp[i] || strcmp(szName, kFaults[i].szFunction) != 0 ||
            hModule != GetModuleHandleA(kFaults[i].szDll))
            continue;
        if (gabMissing[i]) {
            SetLastError(ERROR_PROC_NOT_FOUND);
            return nullptr;
        }
        return reinterpret_cast<FARPROC>(kFaults[i].pStub);
    }
    return gpfnGetProcAddress(hModule, szName);
}

// Puts the fault of kFaults[i] in place: in the program's import of the function, or else
// in what its GetProcAddress answers.
bool bPlaceFault(int i, bool bMissing)
{
    HMODULE hProgram = GetModuleHandleA(nullptr);
    if (!bMissing &&
        harness::PatchImport(hProgram, kFaults[i].szDll, kFaults[i].szFunction, kFaults[i].pStub) != nullptr)
        return true;
    if (gpfnGetProcAddress == nullptr) {
        void* pReal = harness::PatchImport(hProgram, "kernel32.dll", "GetProcAddress",
                                           reinterpret_cast<void*>(FaultGetProcAddress));
        if (pReal == nullptr)
            return false;
        gpfnGetProcAddress = reinterpret_cast<FARPROC(WINAPI*)(HMODULE, LPCSTR)>(pReal);
    }
    gabLookedUp[i] = true;
    gabMissing[i] = bMissing;
    return true;
}

// One "Name=error" or "Name=missing" word: records the error and places the fault.
bool bInstallFault(const char* szWord, size_t uLength)
{
    static const char kMissing[] = "missing";
    for (int i = 0; i < FAULT_COUNT; ++i) {
        size_t uName = strlen(kFaults[i].szFunction);
        if (uLength <= uName + 1 || strncmp(szWord, kFaults[i].szFunction, uName) != 0 || szWord[uName] != '=')
            continue;
        const char* szValue = szWord + uName + 1;
        size_t uValue = uLength - uName - 1;
        bool bMissing = uValue == sizeof kMissing - 1 && strncmp(szValue, kMissing, uValue) == 0;
        gadwError[i] = bMissing ? ERROR_PROC_NOT_FOUND : strtoul(szValue, nullptr, 10);
        return bPlaceFault(i, bMissing);
    }
    return false;
}

bool bInstallFaults()
{
    char szList[1024];
    DWORD dwLength = GetEnvironmentVariableA("NICTEST_FAULTS", szList, sizeof szList);
    if (dwLength == 0 || dwLength >= sizeof szList)
        return false;
    for (const char* p = szList; *p != '\0';) {
        size_t uLength = strcspn(p, " ");
        if (uLength > 0 && !bInstallFault(p, uLength))
            return false;
        p += uLength;
        p += strspn(p, " ");
    }
    return true;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD dwReason, LPVOID)
{
    return dwReason != DLL_PROCESS_ATTACH || bInstallFaults();
}
