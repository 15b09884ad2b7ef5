// The adapter's INF file on the driver disk: the validity test of one file, discovery
// of the one valid INF file in a folder, and reading its hardware IDs into the list
// that the presence check matches.  The text rules live in core/infread.cpp.
#include "launcher.h"

#include "core/identity.h"
#include "core/infpieces.h"
#include "core/infread.h"
#include "core/setuplog.h"
#include "core/textutil.h"

static_assert(sizeof gState.szInfFile == PATH_CAPACITY && sizeof gState.szInfFolder == PATH_CAPACITY,
              "a found name and its folder are joined and copied with the path capacity");

namespace {

const char kInfPattern[] = "*" INF_EXTENSION;

const char kLogHardwareID[] = "GetHardwareID ----------";
// A path that does not fit is refused whole, never shortened.
const char kLogTooLong[] = "%s path too long ----------%s%s";

// One listed entry: skipped unless it is an INF name and a valid INF file.  A second
// valid one ends the run, since the disk is then ambiguous.
void vConsiderListedFile(const char* szFolder, const char* szName, char* szFound, HANDLE hSearch)
{
    if (!bIsInfName(szName) || !bIsValidInf(szFolder, szName))
        return;
    if (szFound[0] != '\0') {
        FindClose(hSearch);
        vFatal(kMsgTwoValidInfs, EXIT_TWO_VALID_INFS);
    }
    bCopyText(szFound, PATH_CAPACITY, szName);
}

}  // namespace

bool bIsValidInf(const char* szFolder, const char* szFile)
{
    char szPath[PATH_CAPACITY];
    if (!bJoinText(szPath, sizeof szPath, szFolder, szFile)) {
        vWriteLog(kLogTooLong, "bIsValidInf", szFolder, szFile);
        return false;
    }
    return bInfFileIsValid(szPath, gState.pFamily->eDialect);
}

// The pattern and a found name have the room of the folder texts, so that every folder
// the launcher holds can be searched and every name beside it that fits a path is seen.
bool bFindInfFile(const char* szFolder)
{
    char szPattern[PATH_CAPACITY];
    if (!bJoinText(szPattern, sizeof szPattern, szFolder, kInfPattern)) {
        vWriteLog(kLogTooLong, "bFindInfFile", szFolder, kInfPattern);
        return false;
    }
    WIN32_FIND_DATAA fdEntry;
    HANDLE hSearch = FindFirstFileA(szPattern, &fdEntry);
    if (hSearch == INVALID_HANDLE_VALUE)
        return false;
    // The whole listing is read, so that a second valid file is noticed in any order.
    char szFound[PATH_CAPACITY] = "";
    do {
        vConsiderListedFile(szFolder, fdEntry.cFileName, szFound, hSearch);
    } while (FindNextFileA(hSearch, &fdEntry));
    FindClose(hSearch);
    return szFound[0] != '\0' && bCopyText(gState.szInfFile, sizeof gState.szInfFile, szFound);
}

// The path is joined in as much room as the validity test had, so that every file it
// accepted is read here too.
void GetHardwareID(const char* szFolder, const char* szFile)
{
    char szPath[PATH_CAPACITY];
    bool bFits = bJoinText(szPath, sizeof szPath, szFolder, szFile);
    vWriteLog(kLogHardwareID);
    gState.iIMIDsize = 0;
    if (!bFits) {
        vWriteLog(kLogTooLong, "GetHardwareID", szFolder, szFile);
        return;
    }
    HwidList list;
    vReadHardwareIDs(szPath, gState.pFamily->eDialect, vWriteLog, &list);
    gState.iIMIDsize = list.iCount;
    gState.aszInfModalID = list.aszEntries;
}
