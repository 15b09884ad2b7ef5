#include "family.h"

#include "identity.h"

namespace {

const uint32_t kWin9xFamilyBit = 0x80000000u;   // set by the Windows 95 family only

// Stored copies of device INF files are known by the network class and the vendor's
// hardware-ID mark; NT 4.0's setup scripts name the vendor in decimal, and only in a
// line that also says VendorID.
const WindowsFamily kFamilies[] = {
    { OS_WIN9X, "INST9X.EXE", INF_DEVICE, nullptr,
      { STORE_IN_WINDOWS_FOLDER, "\\inf\\other\\*" INF_EXTENSION, "%s\\inf\\other\\%s",
        { NET_CLASS_GUID, nullptr }, { ADAPTER_VENDOR_MARK, nullptr } },
      AFTER_SETUP_QUESTION, false, false, PRESENCE_BY_PORTS },
    { OS_WINNT4, "INSTNT4.EXE", INF_NT4_SCRIPT, NT4_INF_FILE,
      { STORE_IN_SYSTEM_FOLDER, "\\oemnad*" INF_EXTENSION, "%s\\%s",
        { NT4_CLASS_VALUE, nullptr }, { NT4_VENDOR_KEY, ADAPTER_VENDOR_DECIMAL } },
      AFTER_SETUP_QUESTION, true, false, PRESENCE_BY_DRIVER },
    { OS_WIN2K, "INST2K.EXE", INF_DEVICE, nullptr,
      { STORE_IN_WINDOWS_FOLDER, "\\inf\\oem*" INF_EXTENSION, "%s\\inf\\%s",
        { NET_CLASS_GUID, nullptr }, { ADAPTER_VENDOR_MARK, nullptr } },
      AFTER_SETUP_BOX, true, true, PRESENCE_BY_DRIVER },
};

}  // namespace

int iOsTypeFromVersion(uint32_t dwVersion)
{
    uint32_t dwMajor = dwVersion & 0xFF;
    if (dwVersion & kWin9xFamilyBit)
        return dwMajor >= 4 ? OS_WIN9X : OS_UNKNOWN;
    if (dwMajor == 4)
        return OS_WINNT4;
    return dwMajor == 5 ? OS_WIN2K : OS_UNKNOWN;
}

const WindowsFamily* pFindFamily(int iOsType)
{
    for (const WindowsFamily& family : kFamilies)
        if (family.eOsType == iOsType)
            return &family;
    return nullptr;
}
