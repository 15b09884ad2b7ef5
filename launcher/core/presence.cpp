#include "presence.h"

#include "format.h"
#include "textutil.h"

#include <string.h>

namespace {

const uint32_t kConfigEnable = 0x80000000u;
const uint8_t kRegisterMask = 0xFC;
const uint16_t kReadConfigCode = 1;
const char kDriverFile[] = "pcipeek.sys";
const char kDriverInSystemFolder[] = "\\pcipeek.sys";
const char kProbePrefix[] = DEVICE_ID_MARK;

enum { kVendorAt = 0x00, kDeviceAt = 0x02, kSubClassAt = 0x0A, kBaseClassAt = 0x0B };

uint16_t uWordAt(const uint8_t* pbyConfig, size_t uOffset)
{
    return static_cast<uint16_t>(pbyConfig[uOffset] | pbyConfig[uOffset + 1] << 8);
}

}  // namespace

uint16_t uPackSlot(unsigned uBus, unsigned uDevice, unsigned uFunction)
{
    return static_cast<uint16_t>(uBus * 256 + uDevice * 8 + uFunction);
}

uint32_t dwConfigAddress(uint16_t uBusDevFn, uint8_t byRegister)
{
    return kConfigEnable + (static_cast<uint32_t>(uBusDevFn) << 8) + (byRegister & kRegisterMask);
}

void vFillConfigRequest(ConfigReadRequest* pRequest, uint16_t uBusDevFn)
{
    memset(pRequest, 0, sizeof *pRequest);
    pRequest->uCode = kReadConfigCode;
    pRequest->uBusDevFn = uBusDevFn;
    pRequest->uFirstOffset = 0;
    pRequest->dwByteCount = PCI_CONFIG_SPACE;
}

PciIdentity IdentityFromConfig(const uint8_t abyConfig[PCI_CONFIG_SPACE])
{
    PciIdentity identity;
    identity.uVendorId = uWordAt(abyConfig, kVendorAt);
    identity.uDeviceId = uWordAt(abyConfig, kDeviceAt);
    identity.bySubClass = abyConfig[kSubClassAt];
    identity.byBaseClass = abyConfig[kBaseClassAt];
    return identity;
}

bool bIsAdapterClass(const PciIdentity& identity)
{
    return identity.uVendorId == ADAPTER_VENDOR_ID && identity.byBaseClass == NETWORK_BASE_CLASS &&
           identity.bySubClass == ETHERNET_SUBCLASS;
}

void vFormatDeviceProbe(char szProbe[DEVICE_PROBE_CAPACITY], uint16_t uDeviceId)
{
    iFormatText(szProbe, DEVICE_PROBE_CAPACITY, "%s%X", kProbePrefix, static_cast<unsigned>(uDeviceId));
}

bool bEntryCanMatch(const char* szEntry)
{
    for (const char* p = strstr(szEntry, kProbePrefix); p != nullptr; p = strstr(p + 1, kProbePrefix)) {
        char c = p[sizeof kProbePrefix - 1];
        if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))
            return true;
    }
    return false;
}

bool bListHasProbe(const char (*aszList)[HWID_ENTRY_CAPACITY], int iCount, const char* szProbe,
                   ListEntryVisitor pfnVisit)
{
    for (int i = 0; i < iCount; i++) {
        if (pfnVisit != nullptr)
            pfnVisit(iCount, aszList[i], szProbe);
        if (strstr(aszList[i], szProbe) != nullptr)
            return true;
    }
    return false;
}

bool bBuildDriverPaths(const char* szSetupFolder, const char* szSystemFolder,
                       char szSource[PATH_CAPACITY], char szTarget[PATH_CAPACITY])
{
    if (bJoinText(szSource, PATH_CAPACITY, szSetupFolder, kDriverFile) &&
        bJoinText(szTarget, PATH_CAPACITY, szSystemFolder, kDriverInSystemFolder))
        return true;
    szSource[0] = '\0';
    szTarget[0] = '\0';
    return false;
}
