// GetSubID and GetRevID of nicprop.dll under wine, against the PCI driver double serving
// the CFGREAD service: the request as the driver receives it, the texts, the result
// buffers, the 1073 and 1056 branches of later calls, and the failures.  The DLL is
// loaded into this test program with its service, file and device imports watched
// (and, case by case, made to fail), so that every platform call, its arguments and
// the closing of every handle can be checked.
#include "harness.h"
#include "iatpatch.h"
#include "pcibus.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

using harness::DriverFailures;
using harness::PciBus;
using harness::PciFunction;

namespace {

const char kFail[] = "ERROR_GET_SUBID_FAIL";
const char kWriteFail[] = "ERROR_GET_SUBID_WRITE_DEVICE_FAIL";
const char kReadFail[] = "ERROR_GET_SUBID_READ_DEVICE_FAIL";

typedef BOOL(WINAPI* ExportProc)(DWORD, LPSTR*, LPSTR*);

// ---- Watching the DLL's platform calls ------------------------------------------------

struct Call {
    std::string name;
    std::vector<ULONG_PTR> args;    // pointers as they are, DWORDs widened
    std::string text;               // the text argument, where there is one
    std::vector<uint8_t> bytes;     // what WriteFile was given
    ULONG_PTR result = 0;
};

std::vector<Call> gCalls;

// One injected failure at a time: the named function fails with the error, uncalled.
struct Fault {
    std::string name;
    DWORD error = 0;
} gFault;

enum SystemDirMode { kRealSystemDir, kFakeSystemDir, kSystemDirFails };
SystemDirMode gSystemDirMode = kRealSystemDir;
std::string gFakeSystemDir;

bool Faulted(const char* szName)
{
    if (gFault.name != szName)
        return false;
    SetLastError(gFault.error);
    return true;
}

ULONG_PTR P(const void* p)
{
    return reinterpret_cast<ULONG_PTR>(p);
}

void Record(const char* szName, std::vector<ULONG_PTR> args, ULONG_PTR result, const char* szText = nullptr)
{
    DWORD dwError = GetLastError();
    Call call;
    call.name = szName;
    call.args = std::move(args);
    call.result = result;
    if (szText != nullptr)
        call.text = szText;
    gCalls.push_back(call);
    SetLastError(dwError);
}

struct Real {
    decltype(&GetSystemDirectoryA) GetSystemDirectoryA;
    decltype(&lstrcatA) lstrcatA;
    decltype(&OpenSCManagerA) OpenSCManagerA;
    decltype(&CreateServiceA) CreateServiceA;
    decltype(&GetLastError) GetLastError;
    decltype(&OpenServiceA) OpenServiceA;
    decltype(&StartServiceA) StartServiceA;
    decltype(&CreateFileA) CreateFileA;
    decltype(&WriteFile) WriteFile;
    decltype(&ReadFile) ReadFile;
    decltype(&CloseHandle) CloseHandle;
    decltype(&CloseServiceHandle) CloseServiceHandle;
} gReal;

UINT WINAPI SpyGetSystemDirectoryA(LPSTR szBuffer, UINT uSize)
{
    UINT uResult = 0;
    if (gSystemDirMode == kRealSystemDir) {
        uResult = gReal.GetSystemDirectoryA(szBuffer, uSize);
    } else if (gSystemDirMode == kFakeSystemDir) {
        // As the system does: the length when it fits, else the size it would need.
        uResult = static_cast<UINT>(gFakeSystemDir.size());
        if (uResult < uSize)
            memcpy(szBuffer, gFakeSystemDir.c_str(), uResult + 1);
        else
            uResult += 1;
    } else {
        SetLastError(ERROR_INVALID_PARAMETER);
    }
    Record("GetSystemDirectoryA", { P(szBuffer), uSize }, uResult);
    return uResult;
}

LPSTR WINAPI SpyLstrcatA(LPSTR szFirst, LPCSTR szSecond)
{
    LPSTR szResult = gReal.lstrcatA(szFirst, szSecond);
    Record("lstrcatA", { P(szFirst), P(szSecond) }, P(szResult), szSecond);
    return szResult;
}

SC_HANDLE WINAPI SpyOpenSCManagerA(LPCSTR szMachine, LPCSTR szDatabase, DWORD dwAccess)
{
    SC_HANDLE hResult = Faulted("OpenSCManagerA") ? nullptr : gReal.OpenSCManagerA(szMachine, szDatabase, dwAccess);
    Record("OpenSCManagerA", { P(szMachine), P(szDatabase), dwAccess }, P(hResult));
    return hResult;
}

SC_HANDLE WINAPI SpyCreateServiceA(SC_HANDLE hManager, LPCSTR szName, LPCSTR szDisplay, DWORD dwAccess,
                                   DWORD dwType, DWORD dwStart, DWORD dwErrorControl, LPCSTR szPath,
                                   LPCSTR szGroup, LPDWORD pdwTag, LPCSTR szDependencies, LPCSTR szAccount,
                                   LPCSTR szPassword)
{
    SC_HANDLE hResult = Faulted("CreateServiceA")
        ? nullptr
        : gReal.CreateServiceA(hManager, szName, szDisplay, dwAccess, dwType, dwStart, dwErrorControl, szPath,
                               szGroup, pdwTag, szDependencies, szAccount, szPassword);
    Record("CreateServiceA",
           { P(hManager), P(szName), P(szDisplay), dwAccess, dwType, dwStart, dwErrorControl, P(szPath),
             P(szGroup), P(pdwTag), P(szDependencies), P(szAccount), P(szPassword) },
           P(hResult), szPath);
    gCalls.back().text = std::string(szName) + "|" + szDisplay + "|" + szPath;
    return hResult;
}

DWORD WINAPI SpyGetLastError()
{
    DWORD dwResult = gReal.GetLastError();
    Record("GetLastError", {}, dwResult);
    return dwResult;
}

SC_HANDLE WINAPI SpyOpenServiceA(SC_HANDLE hManager, LPCSTR szName, DWORD dwAccess)
{
    SC_HANDLE hResult = Faulted("OpenServiceA") ? nullptr : gReal.OpenServiceA(hManager, szName, dwAccess);
    Record("OpenServiceA", { P(hManager), P(szName), dwAccess }, P(hResult), szName);
    return hResult;
}

BOOL WINAPI SpyStartServiceA(SC_HANDLE hService, DWORD dwArgs, LPCSTR* aszArgs)
{
    BOOL bResult = Faulted("StartServiceA") ? FALSE : gReal.StartServiceA(hService, dwArgs, aszArgs);
    Record("StartServiceA", { P(hService), dwArgs, P(aszArgs) }, bResult);
    return bResult;
}

HANDLE WINAPI SpyCreateFileA(LPCSTR szName, DWORD dwAccess, DWORD dwShare, LPSECURITY_ATTRIBUTES pSecurity,
                             DWORD dwDisposition, DWORD dwFlags, HANDLE hTemplate)
{
    HANDLE hResult = Faulted("CreateFileA")
        ? INVALID_HANDLE_VALUE
        : gReal.CreateFileA(szName, dwAccess, dwShare, pSecurity, dwDisposition, dwFlags, hTemplate);
    Record("CreateFileA", { P(szName), dwAccess, dwShare, P(pSecurity), dwDisposition, dwFlags, P(hTemplate) },
           P(hResult), szName);
    return hResult;
}

BOOL WINAPI SpyWriteFile(HANDLE hFile, LPCVOID pBuffer, DWORD dwSize, LPDWORD pdwDone, LPOVERLAPPED pOverlapped)
{
    BOOL bResult = gReal.WriteFile(hFile, pBuffer, dwSize, pdwDone, pOverlapped);
    Record("WriteFile", { P(hFile), P(pBuffer), dwSize, P(pdwDone), P(pOverlapped) }, bResult);
    const uint8_t* pbyBuffer = static_cast<const uint8_t*>(pBuffer);
    gCalls.back().bytes.assign(pbyBuffer, pbyBuffer + dwSize);
    return bResult;
}

BOOL WINAPI SpyReadFile(HANDLE hFile, LPVOID pBuffer, DWORD dwSize, LPDWORD pdwDone, LPOVERLAPPED pOverlapped)
{
    BOOL bResult = gReal.ReadFile(hFile, pBuffer, dwSize, pdwDone, pOverlapped);
    Record("ReadFile", { P(hFile), P(pBuffer), dwSize, P(pdwDone), P(pOverlapped) }, bResult);
    return bResult;
}

BOOL WINAPI SpyCloseHandle(HANDLE hObject)
{
    BOOL bResult = gReal.CloseHandle(hObject);
    Record("CloseHandle", { P(hObject) }, bResult);
    return bResult;
}

BOOL WINAPI SpyCloseServiceHandle(SC_HANDLE hObject)
{
    BOOL bResult = gReal.CloseServiceHandle(hObject);
    Record("CloseServiceHandle", { P(hObject) }, bResult);
    return bResult;
}

template <typename F>
void Watch(HMODULE hModule, const char* szDll, const char* szName, F* pReal, F spy)
{
    void* pOld = harness::PatchImport(hModule, szDll, szName, reinterpret_cast<void*>(spy));
    ASSERT_NE(pOld, nullptr) << "nicprop.dll does not import " << szName << " from " << szDll;
    *pReal = reinterpret_cast<F>(pOld);
}

void WatchAll(HMODULE h)
{
    Watch(h, "kernel32.dll", "GetSystemDirectoryA", &gReal.GetSystemDirectoryA, &SpyGetSystemDirectoryA);
    Watch(h, "kernel32.dll", "lstrcatA", &gReal.lstrcatA, &SpyLstrcatA);
    Watch(h, "advapi32.dll", "OpenSCManagerA", &gReal.OpenSCManagerA, &SpyOpenSCManagerA);
    Watch(h, "advapi32.dll", "CreateServiceA", &gReal.CreateServiceA, &SpyCreateServiceA);
    Watch(h, "kernel32.dll", "GetLastError", &gReal.GetLastError, &SpyGetLastError);
    Watch(h, "advapi32.dll", "OpenServiceA", &gReal.OpenServiceA, &SpyOpenServiceA);
    Watch(h, "advapi32.dll", "StartServiceA", &gReal.StartServiceA, &SpyStartServiceA);
    Watch(h, "kernel32.dll", "CreateFileA", &gReal.CreateFileA, &SpyCreateFileA);
    Watch(h, "kernel32.dll", "WriteFile", &gReal.WriteFile, &SpyWriteFile);
    Watch(h, "kernel32.dll", "ReadFile", &gReal.ReadFile, &SpyReadFile);
    Watch(h, "kernel32.dll", "CloseHandle", &gReal.CloseHandle, &SpyCloseHandle);
    Watch(h, "advapi32.dll", "CloseServiceHandle", &gReal.CloseServiceHandle, &SpyCloseServiceHandle);
}

std::vector<std::string> CallNames()
{
    std::vector<std::string> names;
    for (const Call& call : gCalls)
        names.push_back(call.name);
    return names;
}

const Call* Find(const char* szName)
{
    for (const Call& call : gCalls)
        if (call.name == szName)
            return &call;
    return nullptr;
}

// The handles the call opened, each closed once, in the order device, service, manager.
void ExpectAllClosed(const std::string& context)
{
    std::vector<ULONG_PTR> opened;
    for (const char* szOpen : { "CreateFileA", "CreateServiceA", "OpenServiceA", "OpenSCManagerA" }) {
        const Call* pCall = nullptr;
        for (const Call& call : gCalls)
            if (call.name == szOpen && call.result != 0 && call.result != P(INVALID_HANDLE_VALUE))
                pCall = &call;
        if (pCall != nullptr)
            opened.push_back(pCall->result);
    }
    std::vector<ULONG_PTR> closed;
    for (const Call& call : gCalls)
        if (call.name == "CloseHandle" || call.name == "CloseServiceHandle")
            closed.push_back(call.args[0]);
    EXPECT_EQ(closed, opened) << context << ": handles closed, in order";
}

// ---- The tests -----------------------------------------------------------------------

const unsigned kAdapter = 17;      // device numbers on bus 0 of the test bus
const unsigned kOtherBoard = 1;
const unsigned kAllOnes = 2;
const unsigned kHighSubsystem = 3;
const unsigned kEmptySlot = 30;

PciBus TestBus()
{
    PciBus bus;
    PciFunction adapter;
    adapter.device = kAdapter;
    adapter.subsystemVendorId = 0x1106;
    adapter.subsystemId = 0x0001;
    adapter.revision = 0x10;
    bus.Add(adapter);
    PciFunction other = adapter;
    other.device = kOtherBoard;
    other.subsystemId = 0x1234;
    other.revision = 0;
    bus.Add(other);
    PciFunction ones = adapter;
    ones.device = kAllOnes;
    ones.subsystemVendorId = 0xFFFF;
    ones.subsystemId = 0xFFFF;
    ones.revision = 0xFF;
    bus.Add(ones);
    PciFunction high = adapter;
    high.device = kHighSubsystem;
    high.subsystemId = 0x8000;
    bus.Add(high);
    return bus;
}

class PciIdentity : public ::testing::Test {
protected:
    static HMODULE hNicprop;
    static ExportProc pfnGetSubID;
    static ExportProc pfnGetRevID;

    static void SetUpTestSuite()
    {
        harness::RemoveDriver(harness::kCfgread);
        harness::InstallCfgread();
        hNicprop = LoadLibraryA((harness::BuildDir() + "\\nicprop\\nicprop.dll").c_str());
        ASSERT_NE(hNicprop, nullptr) << "error " << GetLastError();
        pfnGetSubID = reinterpret_cast<ExportProc>(reinterpret_cast<void*>(GetProcAddress(hNicprop, "GetSubID")));
        pfnGetRevID = reinterpret_cast<ExportProc>(reinterpret_cast<void*>(GetProcAddress(hNicprop, "GetRevID")));
        WatchAll(hNicprop);
    }

    static void TearDownTestSuite() { FreeLibrary(hNicprop); }

    void SetUp() override
    {
        gFault = Fault();
        gSystemDirMode = kRealSystemDir;
        harness::SetDriverBus(harness::kCfgread, TestBus());
    }

    // Calls an export with these entries (null for a null entry) and count, after
    // forgetting earlier platform calls.
    static BOOL Query(ExportProc pfnExport, std::vector<const char*> entries, std::string* pResult,
                      LPSTR* pszPointer = nullptr, DWORD dwCount = 0xFFFFFFFF)
    {
        std::vector<std::string> storage(entries.size());
        std::vector<LPSTR> args(entries.size());
        for (size_t i = 0; i < entries.size(); ++i) {
            if (entries[i] != nullptr) {
                storage[i] = entries[i];
                args[i] = &storage[i][0];
            }
        }
        if (dwCount == 0xFFFFFFFF)
            dwCount = static_cast<DWORD>(entries.size());
        gCalls.clear();
        LPSTR szResult = nullptr;
        BOOL bResult = pfnExport(dwCount, args.empty() ? nullptr : args.data(), &szResult);
        *pResult = szResult != nullptr ? szResult : "(no result text)";
        if (pszPointer != nullptr)
            *pszPointer = szResult;
        return bResult;
    }

    static BOOL SubId(unsigned device, std::string* pResult, LPSTR* pszPointer = nullptr)
    {
        std::string slot = std::to_string(device);
        return Query(pfnGetSubID, { "0", slot.c_str(), "0" }, pResult, pszPointer);
    }

    static BOOL RevId(unsigned device, std::string* pResult, LPSTR* pszPointer = nullptr)
    {
        std::string slot = std::to_string(device);
        return Query(pfnGetRevID, { "0", slot.c_str(), "0" }, pResult, pszPointer);
    }
};

HMODULE PciIdentity::hNicprop;
ExportProc PciIdentity::pfnGetSubID;
ExportProc PciIdentity::pfnGetRevID;

std::string SystemDir()
{
    char szSystem[MAX_PATH] = "";
    GetSystemDirectoryA(szSystem, sizeof szSystem);
    return szSystem;
}

TEST_F(PciIdentity, FirstCallRegistersAndStartsTheDriverLaterCallsFindItRunning)
{
    std::string text;
    ASSERT_TRUE(SubId(kAdapter, &text));
    EXPECT_EQ(text, "69894");
    std::vector<std::string> first = { "GetSystemDirectoryA", "lstrcatA", "OpenSCManagerA", "CreateServiceA",
                                       "StartServiceA", "CreateFileA", "WriteFile", "ReadFile",
                                       "CloseHandle", "CloseServiceHandle", "CloseServiceHandle" };
    EXPECT_EQ(CallNames(), first);
    EXPECT_EQ(gCalls[0].args[1], 256u) << "GetSystemDirectoryA size";
    EXPECT_EQ(gCalls[1].text, "\\DRIVERS\\cfgread.sys");
    EXPECT_EQ(gCalls[2].args, (std::vector<ULONG_PTR>{ 0, 0, 0xF003F })) << "OpenSCManagerA";
    const Call& create = gCalls[3];
    EXPECT_EQ(create.args[0], gCalls[2].result);
    EXPECT_EQ(create.text, "CFGREAD|CFGREAD|" + SystemDir() + "\\DRIVERS\\cfgread.sys");
    EXPECT_EQ(std::vector<ULONG_PTR>(create.args.begin() + 3, create.args.begin() + 7),
              (std::vector<ULONG_PTR>{ 0xF01FF, 1, 3, 1 })) << "access, type, start, error control";
    EXPECT_EQ(std::vector<ULONG_PTR>(create.args.begin() + 8, create.args.end()),
              (std::vector<ULONG_PTR>{ 0, 0, 0, 0, 0 })) << "group, tag, dependencies, account, password";
    EXPECT_EQ(gCalls[4].args[0], create.result);
    EXPECT_EQ(gCalls[4].args[1], 0u);
    EXPECT_EQ(gCalls[4].args[2], 0u);
    EXPECT_EQ(gCalls[5].text, "\\\\.\\CFGREAD");
    EXPECT_EQ(std::vector<ULONG_PTR>(gCalls[5].args.begin() + 1, gCalls[5].args.end()),
              (std::vector<ULONG_PTR>{ 0xC0000000, 1, 0, 3, 0, 0 })) << "CreateFileA";
    EXPECT_EQ(gCalls[6].args[2], 12u) << "WriteFile size";
    EXPECT_EQ(gCalls[6].args[4], 0u) << "WriteFile is synchronous";
    EXPECT_EQ(gCalls[7].args[2], 64u) << "ReadFile size";
    EXPECT_EQ(gCalls[7].args[4], 0u) << "ReadFile is synchronous";
    ExpectAllClosed("first call");
    EXPECT_TRUE(harness::DriverRunning(harness::kCfgread));

    for (ExportProc pfnExport : { pfnGetSubID, pfnGetRevID }) {
        ASSERT_TRUE(Query(pfnExport, { "0", "17", "0" }, &text));
        EXPECT_EQ(text, pfnExport == pfnGetSubID ? "69894" : "16");
        std::vector<std::string> later = { "GetSystemDirectoryA", "lstrcatA", "OpenSCManagerA", "CreateServiceA",
                                           "GetLastError", "OpenServiceA", "StartServiceA", "GetLastError",
                                           "CreateFileA", "WriteFile", "ReadFile",
                                           "CloseHandle", "CloseServiceHandle", "CloseServiceHandle" };
        EXPECT_EQ(CallNames(), later);
        EXPECT_EQ(gCalls[4].result, static_cast<ULONG_PTR>(ERROR_SERVICE_EXISTS));
        EXPECT_EQ(gCalls[5].text, "CFGREAD");
        EXPECT_EQ(gCalls[5].args[2], 0xF01FFu) << "OpenServiceA access";
        EXPECT_EQ(gCalls[7].result, static_cast<ULONG_PTR>(ERROR_SERVICE_ALREADY_RUNNING));
        ExpectAllClosed("later call");
    }
}

TEST_F(PciIdentity, RequestNumbersAsTheDriverReceivesThem)
{
    struct Case { std::vector<const char*> entries; DWORD count; std::vector<uint8_t> request; } cases[] = {
        { { "0", "17", "0" }, 3, { 0, 0, 0, 0, 17, 0, 0, 0, 0, 0, 0, 0 } },
        { { "007", "12a", "-5" }, 3, { 7, 0, 0, 0, 169, 0, 0, 0, 0xE7, 0xFF, 0xFF, 0xFF } },
        { { "", nullptr, "3" }, 3, { 0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0 } },
        { { "1", "2", "3" }, 1, { 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 } },     // count honoured
        { { "4294967295", "2147483648", "0" }, 3, { 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0x80, 0, 0, 0, 0 } },
        { {}, 0, std::vector<uint8_t>(12, 0) },                                 // no array at all
    };
    for (const Case& c : cases) {
        std::string context = "entries";
        for (const char* szEntry : c.entries)
            context += std::string(" ") + (szEntry != nullptr ? "\"" + std::string(szEntry) + "\"" : "null");
        context += " count " + std::to_string(c.count);
        harness::SetDriverBus(harness::kCfgread, TestBus());
        std::string text;
        EXPECT_TRUE(Query(pfnGetSubID, c.entries, &text, nullptr, c.count)) << context << ": " << text;
        std::vector<harness::DriverLogEntry> writes = harness::DriverWrites(harness::kCfgread);
        ASSERT_EQ(writes.size(), 1u) << context;
        EXPECT_EQ(writes[0].length, 12u) << context;
        EXPECT_EQ(writes[0].request, c.request) << context;
    }
}

TEST_F(PciIdentity, TextsOfBothExports)
{
    struct Case { ExportProc* ppfnExport; const char* name; unsigned device; const char* text; } cases[] = {
        { &pfnGetSubID, "GetSubID", kAdapter, "69894" },
        { &pfnGetSubID, "GetSubID", kOtherBoard, "305402118" },
        { &pfnGetSubID, "GetSubID", kAllOnes, "4294967295" },
        { &pfnGetSubID, "GetSubID", kHighSubsystem, "2147488006" },   // subsystem ID 0x8000
        { &pfnGetSubID, "GetSubID", kEmptySlot, "4294967295" },
        { &pfnGetRevID, "GetRevID", kOtherBoard, "0" },
        { &pfnGetRevID, "GetRevID", kAdapter, "16" },
        { &pfnGetRevID, "GetRevID", kAllOnes, "255" },
    };
    for (const Case& c : cases) {
        std::string slot = std::to_string(c.device);
        std::string text;
        EXPECT_TRUE(Query(*c.ppfnExport, { "0", slot.c_str(), "0" }, &text)) << c.name << " device " << c.device;
        EXPECT_EQ(text, c.text) << c.name << " device " << c.device;
    }
}

TEST_F(PciIdentity, EachExportHasItsOwnBufferAndALaterCallOverwritesIt)
{
    std::string text;
    LPSTR szSub = nullptr, szRev = nullptr, szSubAgain = nullptr;
    ASSERT_TRUE(SubId(kAdapter, &text, &szSub));
    ASSERT_TRUE(RevId(kAllOnes, &text, &szRev));
    EXPECT_NE(szSub, szRev);
    EXPECT_STREQ(szSub, "69894") << "GetRevID left GetSubID's text alone";
    ASSERT_TRUE(SubId(kOtherBoard, &text, &szSubAgain));
    EXPECT_EQ(szSubAgain, szSub) << "the same buffer";
    EXPECT_STREQ(szSub, "305402118") << "the first pointer shows the newer text";
    EXPECT_STREQ(szRev, "255") << "GetSubID left GetRevID's text alone";
}

TEST_F(PciIdentity, WriteAndReadFailuresCloseAllThreeHandles)
{
    DriverFailures writeFails;
    writeFails.failWrite = harness::kEveryRequest;
    DriverFailures readFails;
    readFails.failRead = harness::kEveryRequest;
    struct Case { ExportProc* ppfnExport; const char* name; DriverFailures failures; const char* text; } cases[] = {
        { &pfnGetSubID, "GetSubID write", writeFails, kWriteFail },
        { &pfnGetRevID, "GetRevID write", writeFails, kWriteFail },
        { &pfnGetSubID, "GetSubID read", readFails, kReadFail },
        { &pfnGetRevID, "GetRevID read", readFails, kReadFail },
    };
    for (const Case& c : cases) {
        harness::SetDriverBus(harness::kCfgread, TestBus(), c.failures);
        std::string text;
        EXPECT_FALSE(Query(*c.ppfnExport, { "0", "17", "0" }, &text)) << c.name;
        EXPECT_EQ(text, c.text) << c.name;
        ExpectAllClosed(c.name);
    }
}

TEST_F(PciIdentity, FailuresToReachTheDriverReturnWithWhatWasOpenedClosed)
{
    std::string text;
    ASSERT_TRUE(SubId(kAdapter, &text)) << "the driver is registered and running: " << text;
    std::vector<std::string> head = { "GetSystemDirectoryA", "lstrcatA", "OpenSCManagerA" };
    std::vector<std::string> registered = { "CreateServiceA", "GetLastError", "OpenServiceA" };
    struct Case { const char* fault; DWORD error; std::vector<std::string> after; } cases[] = {
        { "OpenSCManagerA", ERROR_ACCESS_DENIED, {} },
        { "CreateServiceA", ERROR_ACCESS_DENIED, { "CreateServiceA", "GetLastError", "CloseServiceHandle" } },
        { "OpenServiceA", ERROR_ACCESS_DENIED, { "CreateServiceA", "GetLastError", "OpenServiceA", "CloseServiceHandle" } },
        { "StartServiceA", ERROR_FILE_NOT_FOUND,
          { "CreateServiceA", "GetLastError", "OpenServiceA", "StartServiceA", "GetLastError",
            "CloseServiceHandle", "CloseServiceHandle" } },
        { "CreateFileA", ERROR_FILE_NOT_FOUND,
          { "CreateServiceA", "GetLastError", "OpenServiceA", "StartServiceA", "GetLastError", "CreateFileA",
            "CloseServiceHandle", "CloseServiceHandle" } },
    };
    for (const Case& c : cases) {
        for (ExportProc pfnExport : { pfnGetSubID, pfnGetRevID }) {
            std::string context = std::string(c.fault) + (pfnExport == pfnGetSubID ? " GetSubID" : " GetRevID");
            gFault.name = c.fault;
            gFault.error = c.error;
            EXPECT_FALSE(Query(pfnExport, { "0", "17", "0" }, &text)) << context;
            EXPECT_EQ(text, kFail) << context;
            std::vector<std::string> expected = head;
            expected.insert(expected.end(), c.after.begin(), c.after.end());
            EXPECT_EQ(CallNames(), expected) << context;
            ExpectAllClosed(context);
        }
    }
}

TEST_F(PciIdentity, SystemDirectoryThatLeavesNoRoomForTheDriverPath)
{
    std::string text;
    ASSERT_TRUE(SubId(kAdapter, &text)) << "the driver is registered and running: " << text;
    struct Case { const char* name; SystemDirMode mode; size_t length; bool ok; } cases[] = {
        { "235 characters", kFakeSystemDir, 235, true },     // with the 20 appended: 255
        { "236 characters", kFakeSystemDir, 236, false },
        { "longer than the buffer", kFakeSystemDir, 300, false },
        { "GetSystemDirectoryA fails", kSystemDirFails, 0, false },
    };
    for (const Case& c : cases) {
        gSystemDirMode = c.mode;
        gFakeSystemDir = "C:" + std::string(c.length - (c.length > 2 ? 2 : 0), 'd');
        gFakeSystemDir.resize(c.length);
        BOOL bResult = Query(pfnGetSubID, { "0", "17", "0" }, &text);
        EXPECT_EQ(bResult != FALSE, c.ok) << c.name << ": " << text;
        if (c.ok) {
            EXPECT_EQ(text, "69894") << c.name;
            const Call* pCreate = Find("CreateServiceA");
            ASSERT_NE(pCreate, nullptr) << c.name;
            EXPECT_EQ(pCreate->text, "CFGREAD|CFGREAD|" + gFakeSystemDir + "\\DRIVERS\\cfgread.sys") << c.name;
        } else {
            EXPECT_EQ(text, kFail) << c.name;
            EXPECT_EQ(CallNames(), std::vector<std::string>{ "GetSystemDirectoryA" })
                << c.name << ": no lstrcatA and nothing opened";
        }
    }
}

TEST_F(PciIdentity, MissingDriverFileIsAReturnedFailureAndTheCallerGoesOn)
{
    std::string driverFile = SystemDir() + "\\drivers\\cfgread.sys";
    harness::RemoveDriver(harness::kCfgread);
    ASSERT_TRUE(DeleteFileA(driverFile.c_str())) << "error " << GetLastError();
    std::string text;
    for (ExportProc pfnExport : { pfnGetSubID, pfnGetRevID }) {
        EXPECT_FALSE(Query(pfnExport, { "0", "17", "0" }, &text));
        EXPECT_EQ(text, kFail);
        const Call* pStart = Find("StartServiceA");
        ASSERT_NE(pStart, nullptr);
        EXPECT_FALSE(pStart->result);
        EXPECT_EQ(Find("CreateFileA"), nullptr);
        ExpectAllClosed("missing driver file");
    }
    harness::InstallCfgread();
    harness::SetDriverBus(harness::kCfgread, TestBus());   // the removal took the settings along
    EXPECT_TRUE(SubId(kAdapter, &text)) << "once the file is back: " << text;
    EXPECT_EQ(text, "69894");
}

}  // namespace
