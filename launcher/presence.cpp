// The adapter presence check: before the setup program runs, prove that a vendor-0x1106
// Ethernet controller whose device ID the INF file lists sits at function 0 of bus 0-7.
// Windows 9x reads the configuration ports itself; the NT family cannot, so it installs
// and starts the pcipeek driver and asks it for each function's configuration space.
#include "launcher.h"

#include "core/presence.h"
#include "core/setuplog.h"
#include "ntcalls.h"

static_assert(sizeof *gState.aszInfModalID == HWID_ENTRY_CAPACITY, "the matcher walks the launcher's own list");
static_assert(sizeof gState.szSetupFolder == PATH_CAPACITY, "the driver's source is joined to the setup folder");

namespace {

const WORD kPortAddress = 0xCF8;
const WORD kPortData = 0xCFC;
const BYTE kRegisterIds = 0x00;     // device ID in bits 31-16, vendor ID in bits 15-0
const BYTE kRegisterClass = 0x08;   // base class in bits 31-24, subclass in bits 23-16
const DWORD kCheckedFunction = 0;
const char kServiceName[] = "PCIPEEK";
const char kDevicePath[] = "\\\\.\\PCIPEEK";

void vLogListEntry(int iCount, const char* szEntry, const char* szProbe)
{
    vWriteLog("bCheckDevice iIMIDsize %d %s %s", iCount, szEntry, szProbe);
}

// Copies the driver from the disk into the system folder, registers it (or opens the
// registration of an earlier run) and starts it.  True when the driver runs.
bool bStartDriver()
{
    char szSystem[PATH_CAPACITY] = "";
    char szSource[PATH_CAPACITY];
    char szTarget[PATH_CAPACITY];
    UINT uSystem = GetSystemDirectoryA(szSystem, sizeof szSystem);
    // A path cut to fit would delete, copy or register some other file.
    if (uSystem == 0 || uSystem >= sizeof szSystem ||
        !bBuildDriverPaths(gState.szSetupFolder, szSystem, szSource, szTarget))
        return false;

    // A missing or unreadable source is not reported here: the start then fails,
    // unless an earlier run left the driver running.
    DeleteFileA(szTarget);
    CopyFileA(szSource, szTarget, FALSE);

    SC_HANDLE hManager = NtOpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (hManager == nullptr)
        return false;
    SC_HANDLE hService = NtCreateServiceA(hManager, kServiceName, kServiceName, SERVICE_ALL_ACCESS,
                                          SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                          szTarget, nullptr, nullptr, nullptr, nullptr, nullptr);
    if (hService == nullptr && GetLastError() == ERROR_SERVICE_EXISTS)
        hService = NtOpenServiceA(hManager, kServiceName, SERVICE_ALL_ACCESS);
    bool bStarted = false;
    DWORD dwStartError = 0;
    if (hService != nullptr) {
        bStarted = NtStartServiceA(hService, 0, nullptr) != FALSE;
        dwStartError = GetLastError();
        NtCloseServiceHandle(hService);
    }
    NtCloseServiceHandle(hManager);
    return bStarted || dwStartError == ERROR_SERVICE_ALREADY_RUNNING;
}

bool bScanWithDriver(HANDLE hDevice, DWORD dwFunction)
{
    for (unsigned uBus = 0; uBus < SCAN_BUSES; uBus++) {
        for (unsigned uDevice = 0; uDevice < SCAN_DEVICES; uDevice++) {
            ConfigReadRequest request;
            vFillConfigRequest(&request, uPackSlot(uBus, uDevice, dwFunction));
            BYTE abyReply[PCI_CONFIG_SPACE];
            DWORD dwDone = 0;
            WriteFile(hDevice, &request, sizeof request, &dwDone, nullptr);
            // Only a whole configuration space counts; a failed read returns no bytes.
            dwDone = 0;
            ReadFile(hDevice, abyReply, sizeof abyReply, &dwDone, nullptr);
            if (dwDone != sizeof abyReply)
                continue;
            PciIdentity identity = IdentityFromConfig(abyReply);
            if (!bIsAdapterClass(identity))
                continue;
            vWriteLog("bCheckDevice uBus %d uDevice %d byBaseClass %X bySubClass %X", static_cast<int>(uBus),
                      static_cast<int>(uDevice), static_cast<unsigned>(identity.byBaseClass),
                      static_cast<unsigned>(identity.bySubClass));
            if (gState.bUninstall)
                return true;
            char szDeviceIDTemp[DEVICE_PROBE_CAPACITY];
            vFormatDeviceProbe(szDeviceIDTemp, identity.uDeviceId);
            if (bListHasProbe(gState.aszInfModalID, gState.iIMIDsize, szDeviceIDTemp, vLogListEntry))
                return true;
        }
    }
    return false;
}

void vReadPciConfig(WORD busDevFn, BYTE byRegister, DWORD* pdwValue)
{
    DWORD dwValue;
    __asm__ __volatile__("outl %0, %w1" : : "a"(dwConfigAddress(busDevFn, byRegister)), "Nd"(kPortAddress));
    __asm__ __volatile__("inl %w1, %0" : "=a"(dwValue) : "Nd"(kPortData));
    *pdwValue = dwValue;
}

bool bCheckDevice9X(WORD busDevFn)
{
    DWORD dwIds = 0;
    vReadPciConfig(busDevFn, kRegisterIds, &dwIds);
    PciIdentity identity = {};
    identity.uVendorId = LOWORD(dwIds);
    identity.uDeviceId = HIWORD(dwIds);
    vWriteLog("PCI_REG_VENDOR_ID %X %X", static_cast<unsigned>(identity.uDeviceId),
              static_cast<unsigned>(identity.uVendorId));
    if (identity.uVendorId != ADAPTER_VENDOR_ID)
        return false;

    DWORD dwClass = 0;
    vReadPciConfig(busDevFn, kRegisterClass, &dwClass);
    identity.byBaseClass = HIBYTE(HIWORD(dwClass));
    identity.bySubClass = LOBYTE(HIWORD(dwClass));
    vWriteLog("PCI_REG_CLASS_CODE %X %X", static_cast<unsigned>(identity.byBaseClass),
              static_cast<unsigned>(identity.bySubClass));
    if (!bIsAdapterClass(identity))
        return false;
    if (gState.bUninstall)
        return true;
    char szDeviceIDTemp[DEVICE_PROBE_CAPACITY];
    vFormatDeviceProbe(szDeviceIDTemp, identity.uDeviceId);
    vWriteLog("bCheckDevice9X szDeviceIDTemp %s", szDeviceIDTemp);
    return bListHasProbe(gState.aszInfModalID, gState.iIMIDsize, szDeviceIDTemp, nullptr);
}

bool bCheckDevice(DWORD dwFunction)
{
    if (!bStartDriver())
        return false;
    HANDLE hDevice = CreateFileA(kDevicePath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    if (hDevice == INVALID_HANDLE_VALUE)
        return false;
    bool bFound = bScanWithDriver(hDevice, dwFunction);
    CloseHandle(hDevice);
    return bFound;
}

}  // namespace

bool bCheckAdapter()
{
    if (gState.pFamily->ePresence == PRESENCE_BY_DRIVER)
        return bCheckDevice(kCheckedFunction);
    for (unsigned uBus = 0; uBus < SCAN_BUSES; uBus++)
        for (unsigned uDevice = 0; uDevice < SCAN_DEVICES; uDevice++)
            if (bCheckDevice9X(uPackSlot(uBus, uDevice, kCheckedFunction)))
                return true;
    return false;
}
