// The adapter's INF file on the driver disk: the validity test of one file, discovery
// of the one valid INF file in a folder, and reading its hardware IDs into the list
// that the presence check matches.  The text rules live in core/infread.cpp.
#include "launcher.h"

#include "core/infread.h"
#include "core/setuplog.h"
#include "core/textutil.h"

static_assert(sizeof gState.szInfFile == PATH_CAPACITY && sizeof gState.szInfFolder == PATH_CAPACITY,
              "a found name and its folder are joined and copied with the path capacity");

namespace {

const char kLogHardwareID[] = "GetHardwareID ----------";
bool bPathExists(const char* szPath)
{
    WIN32_FIND_DATAA fdFound;
    HANDLE hFind = FindFirstFileA(szPath, &fdFound);
    if (hFind == INVALID_HANDLE_VALUE)
        return false;
    FindClose(hFind);
    return true;
}

bool bListFiles(const char* szPattern, ListedNameVisitor pfnVisit, void* pSearch)
{
    WIN32_FIND_DATAA fdEntry;
    HANDLE hSearch = FindFirstFileA(szPattern, &fdEntry);
    if (hSearch == INVALID_HANDLE_VALUE)
        return false;
    do {
        if (!pfnVisit(pSearch, fdEntry.cFileName))
            break;
    } while (FindNextFileA(hSearch, &fdEntry));
    FindClose(hSearch);
    return true;
}

}  // namespace

const DiskAccess kWindowsDisk = { bPathExists, bListFiles, bIsValidInf, vWriteLog };

bool bIsValidInf(const char* szFolder, const char* szFile)
{
    char szPath[PATH_CAPACITY];
    return bJoinPathOrLog(vWriteLog, INF_VALIDITY_OPERATION, szFolder, szFile, szPath) &&
           bInfFileIsValid(szPath, gState.pFamily->eDialect);
}

bool bFindInfFile(const char* szFolder)
{
    char szFound[PATH_CAPACITY];
    InfSearch eFound = eFindInfFile(kWindowsDisk, szFolder, szFound);
    if (eFound == INF_SEARCH_TWO_VALID)
        vFatal(kMsgTwoValidInfs, EXIT_TWO_VALID_INFS);
    return eFound == INF_SEARCH_FOUND && bCopyText(gState.szInfFile, sizeof gState.szInfFile, szFound);
}

// The path is joined in as much room as the validity test had, so that every file it
// accepted is read here too.
void GetHardwareID(const char* szFolder, const char* szFile)
{
    vWriteLog(kLogHardwareID);
    gState.iIMIDsize = 0;
    char szPath[PATH_CAPACITY];
    if (!bJoinPathOrLog(vWriteLog, "GetHardwareID", szFolder, szFile, szPath))
        return;
    HwidList list;
    vReadHardwareIDs(szPath, gState.pFamily->eDialect, vWriteLog, &list);
    gState.iIMIDsize = list.iCount;
    gState.aszInfModalID = list.aszEntries;
}
