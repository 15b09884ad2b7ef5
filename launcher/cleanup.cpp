// Uninstall clean-up: deletes the copies of this adapter's INF files that Windows kept
// in its INF store when the adapter was installed, so that a later install starts from
// the disk again.  Driver files are left alone.
#include "launcher.h"

#include "core/cleanup.h"
#include "core/setuplog.h"
#include "core/infpieces.h"

namespace {

bool bReadBaseFolder(InfStoreBase eBase, char* szBase, UINT uCapacity)
{
    UINT uLength = eBase == STORE_IN_SYSTEM_FOLDER ? GetSystemDirectoryA(szBase, uCapacity)
                                                   : GetWindowsDirectoryA(szBase, uCapacity);
    return uLength != 0 && uLength < uCapacity;
}

void vDeleteStoredInf(const char* szPath)
{
    // A stored copy may be read-only, hidden or system, and DeleteFileA refuses a
    // read-only file.
    SetFileAttributesA(szPath, FILE_ATTRIBUTE_NORMAL);
    // A successful DeleteFileA leaves the last error as it was; cleared first, the log
    // shows 0 for a deletion that worked instead of some earlier call's failure.
    SetLastError(ERROR_SUCCESS);
    DeleteFileA(szPath);
    DWORD dwError = GetLastError();
    if (gState.pFamily->bCleanupLogs)
        vWriteLog("vDeleteInfFile DeleteFile----------%d", static_cast<int>(dwError));
}

// A name whose path does not fit the buffer is passed over: its shortened path would
// name another file.
void vCleanFoundFile(const InfStore& store, const char* szBase, const char* szName)
{
    char szPath[PATH_CAPACITY];
    if (!bIsInfName(szName) ||
        !bStoredInfPath(szPath, sizeof szPath, store, szBase, szName))
        return;
    if (gState.pFamily->bCleanupLogs)
        vWriteLog("vDeleteInfFile----------%s", szPath);
    if (bStoredInfMatches(store, szPath))
        vDeleteStoredInf(szPath);
}

}  // namespace

void vDeleteInfFile()
{
    const InfStore& store = gState.pFamily->store;
    char szBase[PATH_CAPACITY];
    char szPattern[PATH_CAPACITY];
    if (!bReadBaseFolder(store.eBase, szBase, sizeof szBase) ||
        !bStorePattern(szPattern, sizeof szPattern, store, szBase))
        return;

    WIN32_FIND_DATAA fdFound;
    HANDLE hFind = FindFirstFileA(szPattern, &fdFound);
    if (hFind == INVALID_HANDLE_VALUE)
        return;
    do {
        vCleanFoundFile(store, szBase, fdFound.cFileName);
    } while (FindNextFileA(hFind, &fdFound));
    FindClose(hFind);
}
