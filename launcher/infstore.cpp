#include "infstore.h"

#include "format.h"
#include "textutil.h"

namespace {

const char kNetClassGuid[] = "{4d36e972-e325-11ce-bfc1-08002be10318}";

// One row per Windows family: where its INF store lies and how a stored copy of this
// adapter's INF file is known.  NT 4.0's setup-script INF files name the vendor in
// decimal (4358 is 0x1106), and only in a line that also says VendorID.
enum { ROW_WIN9X, ROW_WINNT4, ROW_WIN2K };
const InfStore kStores[] = {
    { STORE_IN_WINDOWS_FOLDER, "\\inf\\other\\*.inf", "%s\\inf\\other\\%s",
      { kNetClassGuid, nullptr }, { "VEN_1106", nullptr } },
    { STORE_IN_SYSTEM_FOLDER, "\\oemnad*.inf", "%s\\%s",
      { "NetAdapter", nullptr }, { "VendorID", "4358" } },
    { STORE_IN_WINDOWS_FOLDER, "\\inf\\oem*.inf", "%s\\inf\\%s",
      { kNetClassGuid, nullptr }, { "VEN_1106", nullptr } },
};

}  // namespace

const InfStore* pFindInfStore(bool bWin9x, bool bWinNT4, bool bWin2K)
{
    if (bWin9x)
        return &kStores[ROW_WIN9X];
    if (bWinNT4)
        return &kStores[ROW_WINNT4];
    return bWin2K ? &kStores[ROW_WIN2K] : nullptr;
}

bool bStorePattern(char* szPattern, size_t uCapacity, const InfStore& store, const char* szBase)
{
    return bJoinText(szPattern, uCapacity, szBase, store.szPattern);
}

bool bStoredInfPath(char* szPath, size_t uCapacity, const InfStore& store, const char* szBase,
                    const char* szName)
{
    if (iFormatText(szPath, uCapacity, store.szPathFormat, szBase, szName) >= 0)
        return true;
    if (uCapacity > 0)
        szPath[0] = '\0';
    return false;
}

bool bStoredInfMatches(const InfStore& store, const char* szPath)
{
    return bPathHasBothMarks(szPath, store.markClass, store.markVendor);
}
