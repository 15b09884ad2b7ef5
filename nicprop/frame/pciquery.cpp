// GetSubID and GetRevID: register and start the cfgread driver service, send its device
// one request naming a PCI function, read back that function's 64-byte configuration
// header, and give one field of it as decimal text.  ReadPciHeader is the shared body.
#include "capacities.h"
#include "convention.h"
#include "decimal.h"
#include "exports.h"

#include <stdint.h>
#include <string.h>

namespace {

const char kFailText[] = "ERROR_GET_SUBID_FAIL";
const char kWriteFailText[] = "ERROR_GET_SUBID_WRITE_DEVICE_FAIL";
const char kReadFailText[] = "ERROR_GET_SUBID_READ_DEVICE_FAIL";

const char kServiceName[] = "CFGREAD";
const char kDevicePath[] = "\\\\.\\CFGREAD";
const char kDriverFile[] = "\\DRIVERS\\cfgread.sys";   // under the system directory

const DWORD kPciHeaderSize = 64;
const uint32_t kRequestNumbers = 3;
const size_t kRevisionIdOffset = 0x08;
const size_t kSubsystemOffset = 0x2C;   // Subsystem Vendor ID, then Subsystem ID

// What the driver's device expects in one write: three little-endian 32-bit numbers.
struct PciHeaderRequest {
    int32_t aiNumber[kRequestNumbers];
};
static_assert(sizeof(PciHeaderRequest) == 12, "the driver reads exactly 12 bytes");

// The first 64 bytes of the named function's PCI configuration space.
struct PciHeaderReply {
    uint8_t abyHeader[kPciHeaderSize];
};

// The result texts of the last successful call of each export.
char SubIdText[12];
char RevIdText[5];

// GetSystemDirectoryA gives the length without NUL, or the size it would need when the
// buffer is too small, or 0 on failure: each but a fitting length refuses the path.
bool GetDriverPath(char szPath[SYSTEM_PATH_CAPACITY])
{
    UINT uLength = GetSystemDirectoryA(szPath, SYSTEM_PATH_CAPACITY);
    if (uLength == 0 || uLength >= SYSTEM_PATH_CAPACITY ||
        uLength + sizeof kDriverFile > SYSTEM_PATH_CAPACITY)
        return false;
    lstrcatA(szPath, kDriverFile);
    return true;
}

const char* ExchangeWithDevice(const PciHeaderRequest& request, PciHeaderReply* pReply)
{
    HANDLE hDevice = CreateFileA(kDevicePath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    if (hDevice == INVALID_HANDLE_VALUE)
        return kFailText;
    const char* szFailure = nullptr;
    DWORD dwDone = 0;
    if (!WriteFile(hDevice, &request, sizeof request, &dwDone, nullptr))
        szFailure = kWriteFailText;
    else if (!ReadFile(hDevice, pReply->abyHeader, kPciHeaderSize, &dwDone, nullptr))
        szFailure = kReadFailText;
    CloseHandle(hDevice);
    return szFailure;
}

// The service stays registered and running after the call: a later call finds it
// registered (1073) and running (1056) and uses it as it is.
SC_HANDLE OpenDriverService(SC_HANDLE hManager, const char* szDriverPath)
{
    SC_HANDLE hService = CreateServiceA(hManager, kServiceName, kServiceName, SERVICE_ALL_ACCESS,
                                        SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START,
                                        SERVICE_ERROR_NORMAL, szDriverPath, nullptr, nullptr,
                                        nullptr, nullptr, nullptr);
    if (hService == nullptr && GetLastError() == ERROR_SERVICE_EXISTS)
        hService = OpenServiceA(hManager, kServiceName, SERVICE_ALL_ACCESS);
    return hService;
}

const char* ReadThroughService(SC_HANDLE hManager, const char* szDriverPath,
                               const PciHeaderRequest& request, PciHeaderReply* pReply)
{
    SC_HANDLE hService = OpenDriverService(hManager, szDriverPath);
    if (hService == nullptr)
        return kFailText;
    const char* szFailure = kFailText;
    if (StartServiceA(hService, 0, nullptr) || GetLastError() == ERROR_SERVICE_ALREADY_RUNNING)
        szFailure = ExchangeWithDevice(request, pReply);
    CloseServiceHandle(hService);
    return szFailure;
}

uint32_t LittleEndian32(const uint8_t* pbyAt)
{
    return static_cast<uint32_t>(pbyAt[0]) | static_cast<uint32_t>(pbyAt[1]) << 8 |
           static_cast<uint32_t>(pbyAt[2]) << 16 | static_cast<uint32_t>(pbyAt[3]) << 24;
}

// A driver that cannot be started or opened is reported like the other failures to set
// up the driver, and the INF script goes on; ending the host process here would take
// the whole INF interpreter down with it.  Reads the header of the function that
// argument entries 0, 1 and 2 name; gives null on success, else the failure text to
// return, with every handle it opened closed.
const char* ReadPciHeader(DWORD dwCount, LPSTR aszArgs[], PciHeaderReply* pReply)
{
    PciHeaderRequest request;
    for (uint32_t i = 0; i < kRequestNumbers; ++i)
        request.aiNumber[i] = DecimalToInt(ArgumentText(dwCount, aszArgs, i));
    // A short reply leaves the rest of the header zero, not stack leftovers.
    memset(pReply, 0, sizeof *pReply);

    char szDriverPath[SYSTEM_PATH_CAPACITY];
    if (!GetDriverPath(szDriverPath))
        return kFailText;
    SC_HANDLE hManager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (hManager == nullptr)
        return kFailText;
    const char* szFailure = ReadThroughService(hManager, szDriverPath, request, pReply);
    CloseServiceHandle(hManager);
    return szFailure;
}

}  // namespace

BOOL WINAPI GetSubID(DWORD dwCount, LPSTR aszArgs[], LPSTR* pszResult)
{
    PciHeaderReply reply;
    const char* szFailure = ReadPciHeader(dwCount, aszArgs, &reply);
    if (szFailure != nullptr)
        return ReturnText(pszResult, szFailure, FALSE);
    UnsignedToDecimal(LittleEndian32(reply.abyHeader + kSubsystemOffset), SubIdText, sizeof SubIdText);
    return ReturnText(pszResult, SubIdText, TRUE);
}

BOOL WINAPI GetRevID(DWORD dwCount, LPSTR aszArgs[], LPSTR* pszResult)
{
    PciHeaderReply reply;
    const char* szFailure = ReadPciHeader(dwCount, aszArgs, &reply);
    if (szFailure != nullptr)
        return ReturnText(pszResult, szFailure, FALSE);
    IntToDecimal(reply.abyHeader[kRevisionIdOffset], RevIdText, sizeof RevIdText);
    return ReturnText(pszResult, RevIdText, TRUE);
}
