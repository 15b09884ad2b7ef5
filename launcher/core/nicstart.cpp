#include "nicstart.h"

#include "format.h"
#include "identity.h"
#include "infpieces.h"
#include "options.h"
#include "textutil.h"

#include <string.h>

namespace {

const char kInfPattern[] = "*" INF_EXTENSION;

bool bFileExists(const DiskAccess& disk, const char* szFolder, const char* szName)
{
    char szPath[PATH_CAPACITY];
    return szName[0] != '\0' && bJoinText(szPath, sizeof szPath, szFolder, szName) &&
           disk.pfnFileExists(szPath);
}

struct InfListing {
    const DiskAccess* pDisk;
    const char* szFolder;
    char* szFound;
    bool bTwoValid;
};

// One listed entry: skipped unless it is an INF name and a valid INF file.  A second
// valid one ends the search.
bool bConsiderListedFile(void* pSearch, const char* szName)
{
    InfListing* pListing = static_cast<InfListing*>(pSearch);
    if (!bIsInfName(szName) || !pListing->pDisk->pfnIsValidInf(pListing->szFolder, szName))
        return true;
    if (pListing->szFound[0] != '\0') {
        pListing->bTwoValid = true;
        return false;
    }
    bCopyText(pListing->szFound, PATH_CAPACITY, szName);
    return true;
}

}  // namespace

bool bJoinPathOrLog(void (*pfnLog)(const char* szFormat, ...), const char* szOperation, const char* szFolder,
                    const char* szFile, char szPath[PATH_CAPACITY])
{
    if (bJoinText(szPath, PATH_CAPACITY, szFolder, szFile))
        return true;
    pfnLog(kLogPathTooLong, szOperation, szFolder, szFile);
    return false;
}

unsigned uStopMessage(LaunchStep eStop, const char* szSetupProgram, char szText[STOP_TEXT_CAPACITY])
{
    const char* szMessage = "";
    unsigned uExit = EXIT_DONE;
    switch (eStop) {
    case STEP_GO_ON:
        break;
    case STOP_FOLDER_TOO_LONG:
        szMessage = kMsgFolderTooLong;
        uExit = EXIT_TEXT_TOO_LONG;
        break;
    case STOP_NO_SETUP_PROGRAM:
        iFormatText(szText, STOP_TEXT_CAPACITY, "%s %s", kMsgNoSetupProgram, szSetupProgram);
        return EXIT_DONE;
    case STOP_COMMAND_TOO_LONG:
        szMessage = kMsgCommandTooLong;
        uExit = EXIT_TEXT_TOO_LONG;
        break;
    case STOP_INF_OPTION_TOO_LONG:
        szMessage = kMsgInfOptionTooLong;
        uExit = EXIT_TEXT_TOO_LONG;
        break;
    case STOP_NO_INF:
        szMessage = kMsgNoInf;
        break;
    case STOP_TWO_VALID_INFS:
        szMessage = kMsgTwoValidInfs;
        uExit = EXIT_TWO_VALID_INFS;
        break;
    }
    bCopyText(szText, STOP_TEXT_CAPACITY, szMessage);
    return uExit;
}

LaunchStep eLocateSetupProgram(const DiskAccess& disk, const char* szModuleFolder,
                               const char* szSetupProgram, char* szSetupFolder)
{
    if (bFileExists(disk, szModuleFolder, szSetupProgram)) {
        bCopyText(szSetupFolder, PATH_CAPACITY, szModuleFolder);
        return STEP_GO_ON;
    }
    // A program whose path in the sub-folder does not fit a path cannot be looked for,
    // let alone started: that is the folder's length, not a missing file.
    if (!bJoinText(szSetupFolder, PATH_CAPACITY, szModuleFolder, kSetupSubFolder) ||
        strlen(szSetupFolder) + strlen(szSetupProgram) >= PATH_CAPACITY)
        return STOP_FOLDER_TOO_LONG;
    return bFileExists(disk, szSetupFolder, szSetupProgram) ? STEP_GO_ON : STOP_NO_SETUP_PROGRAM;
}

LaunchStep eFormatCommandLine(const char* szSetupFolder, const char* szSetupProgram,
                              const char* szArguments, char* szApplicationPath, char* szCommandLine)
{
    if (iFormatText(szApplicationPath, NAME_CAPACITY, "%s%s", szSetupFolder, szSetupProgram) < 0)
        return STOP_FOLDER_TOO_LONG;
    if (iFormatText(szCommandLine, NAME_CAPACITY, "%s%s %s", szSetupFolder, szSetupProgram,
                    szArguments) < 0)
        return STOP_COMMAND_TOO_LONG;
    return STEP_GO_ON;
}

LaunchStep eResolveInfOptions(const char* szArguments, const WindowsFamily& family,
                              const char* szSetupFolder, char* szInfFolder, char* szInfFile)
{
    if (bHasOption(szArguments, "-d")) {
        if (!bOptionValue(szArguments, "-d", szInfFolder, PATH_CAPACITY))
            return STOP_INF_OPTION_TOO_LONG;
        size_t uLength = strlen(szInfFolder);
        if ((uLength == 0 || szInfFolder[uLength - 1] != '\\') &&
            !bAppendText(szInfFolder, PATH_CAPACITY, "\\"))
            return STOP_INF_OPTION_TOO_LONG;
    } else {
        bCopyText(szInfFolder, PATH_CAPACITY, szSetupFolder);
    }
    if (bHasOption(szArguments, "-f") &&
        !bOptionValue(szArguments, "-f", szInfFile, PATH_CAPACITY))
        return STOP_INF_OPTION_TOO_LONG;
    if (family.szInfFile != nullptr)
        bCopyText(szInfFile, PATH_CAPACITY, family.szInfFile);
    return STEP_GO_ON;
}

// The pattern and a found name have the room of the folder texts, so that every folder
// the launcher holds can be searched and every name beside it that fits a path is seen.
// The whole listing is read, so that a second valid file is noticed in any order.
InfSearch eFindInfFile(const DiskAccess& disk, const char* szFolder, char* szFound)
{
    szFound[0] = '\0';
    char szPattern[PATH_CAPACITY];
    if (!bJoinPathOrLog(disk.pfnLog, "bFindInfFile", szFolder, kInfPattern, szPattern))
        return INF_SEARCH_NONE;
    InfListing listing = { &disk, szFolder, szFound, false };
    if (!disk.pfnListFiles(szPattern, bConsiderListedFile, &listing))
        return INF_SEARCH_NONE;
    if (listing.bTwoValid)
        return INF_SEARCH_TWO_VALID;
    return szFound[0] != '\0' ? INF_SEARCH_FOUND : INF_SEARCH_NONE;
}

LaunchStep eResolveInfFile(const DiskAccess& disk, char* szInfFolder, char* szInfFile, int* piTry)
{
    *piTry = INF_TRY_NAMED;
    if (szInfFile[0] != '\0' && disk.pfnIsValidInf(szInfFolder, szInfFile))
        return STEP_GO_ON;
    for (int iTry = 0; iTry < INF_TRIES; ++iTry) {
        if (iTry > 0)
            vNextInfTryFolder(szInfFolder, iTry);
        char szFound[PATH_CAPACITY];
        InfSearch eFound = eFindInfFile(disk, szInfFolder, szFound);
        if (eFound == INF_SEARCH_TWO_VALID)
            return STOP_TWO_VALID_INFS;
        if (eFound == INF_SEARCH_FOUND && bCopyText(szInfFile, PATH_CAPACITY, szFound)) {
            *piTry = iTry;
            return STEP_GO_ON;
        }
    }
    return STOP_NO_INF;
}
