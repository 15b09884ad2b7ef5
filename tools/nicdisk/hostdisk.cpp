#include "hostdisk.h"

#include "infread.h"
#include "textutil.h"

#include <dirent.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>

namespace {

const char* gszHostFolder = "";
const char* gszCurrentFolder = DISK_ROOT;
InfDialect geDialect = INF_DEVICE;

bool bIsDirectory(const char* szHost)
{
    struct stat st;
    return stat(szHost, &st) == 0 && S_ISDIR(st.st_mode);
}

// Appends the entry of folder szHost whose name equals szName without regard to case.
bool bAppendEntry(char* szHost, const char* szName)
{
    DIR* pDir = opendir(szHost);
    if (pDir == nullptr)
        return false;
    bool bFound = false;
    while (struct dirent* pEntry = readdir(pDir)) {
        if (strcasecmp(pEntry->d_name, szName) == 0) {
            bFound = bAppendText(szHost, HOST_PATH_CAPACITY, "/") &&
                     bAppendText(szHost, HOST_PATH_CAPACITY, pEntry->d_name);
            break;
        }
    }
    closedir(pDir);
    return bFound;
}

// Walks the parts of szRest (backslash-separated, "." and ".." understood) from the
// disk folder szHost.
bool bWalk(char* szHost, const char* szRest)
{
    char szPart[HOST_PATH_CAPACITY];
    while (*szRest != '\0') {
        size_t uLength = strcspn(szRest, "\\");
        if (uLength >= sizeof szPart)
            return false;
        memcpy(szPart, szRest, uLength);
        szPart[uLength] = '\0';
        szRest += uLength;
        if (*szRest == '\\')
            ++szRest;
        if (uLength == 0 || strcmp(szPart, ".") == 0)
            continue;
        if (strcmp(szPart, "..") == 0) {
            // Never above the disk's root.
            char* szLast = strrchr(szHost, '/');
            if (szLast != nullptr && strlen(szHost) > strlen(gszHostFolder))
                *szLast = '\0';
            continue;
        }
        if (!bIsDirectory(szHost) || !bAppendEntry(szHost, szPart))
            return false;
    }
    return true;
}

bool bIsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool bHostExists(const char* szPath)
{
    char szHost[HOST_PATH_CAPACITY];
    return bHostPath(szPath, szHost);
}

// The launcher's searches are for one pattern, a folder and "*" with an ending.
bool bListHost(const char* szPattern, ListedNameVisitor pfnVisit, void* pSearch)
{
    const char* szLast = strrchr(szPattern, '\\');
    char szFolder[HOST_PATH_CAPACITY] = "";
    const char* szNamePattern = szPattern;
    if (szLast != nullptr) {
        size_t uLength = static_cast<size_t>(szLast - szPattern) + 1;
        if (uLength >= sizeof szFolder)
            return false;
        memcpy(szFolder, szPattern, uLength);
        szFolder[uLength] = '\0';
        szNamePattern = szLast + 1;
    }
    const char* szEnding = szNamePattern[0] == '*' ? szNamePattern + 1 : szNamePattern;
    char szHost[HOST_PATH_CAPACITY];
    if (!bHostPath(szFolder, szHost))
        return false;
    struct dirent** apEntries = nullptr;
    // In name order, so that reports do not depend on the host's directory order.
    int iCount = scandir(szHost, &apEntries, nullptr, alphasort);
    if (iCount < 0)
        return false;
    bool bAny = false;
    bool bGoOn = true;
    for (int i = 0; i < iCount; ++i) {
        const char* szName = apEntries[i]->d_name;
        if (bGoOn && strcmp(szName, ".") != 0 && strcmp(szName, "..") != 0 &&
            bEndsWithNoCase(szName, szEnding)) {
            bAny = true;
            bGoOn = pfnVisit(pSearch, szName);
        }
        free(apEntries[i]);
    }
    free(apEntries);
    return bAny;
}

bool bHostIsValidInf(const char* szFolder, const char* szFile)
{
    char szPath[PATH_CAPACITY];
    char szHost[HOST_PATH_CAPACITY];
    return bJoinPathOrLog(kHostDisk.pfnLog, INF_VALIDITY_OPERATION, szFolder, szFile, szPath) && bHostPath(szPath, szHost) &&
           !bIsDirectory(szHost) && bInfFileIsValid(szHost, geDialect);
}

void vNoLog(const char*, ...) {}

}  // namespace

const DiskAccess kHostDisk = { bHostExists, bListHost, bHostIsValidInf, vNoLog };

void vSetDialect(InfDialect eDialect) { geDialect = eDialect; }

void vMountDisk(const char* szHostFolder, const char* szCurrentFolder)
{
    gszHostFolder = szHostFolder;
    gszCurrentFolder = szCurrentFolder;
}

bool bHostPath(const char* szPath, char szHost[HOST_PATH_CAPACITY])
{
    if (!bCopyText(szHost, HOST_PATH_CAPACITY, gszHostFolder))
        return false;
    if (bIsDriveLetter(szPath[0]) && szPath[1] == ':') {
        if (szPath[0] != 'A' && szPath[0] != 'a')
            return false;
        // "A:" without a backslash is the current folder of drive A:.
        if (szPath[2] != '\\' && !bWalk(szHost, gszCurrentFolder + 3))
            return false;
        return bWalk(szHost, szPath + 2);
    }
    if (szPath[0] != '\\' && !bWalk(szHost, gszCurrentFolder + 3))
        return false;
    return bWalk(szHost, szPath);
}
