#include "options.h"

#include <string.h>

namespace {

const size_t kDriveRootLength = 3;   // "D:\"

}  // namespace

const char* pszArgumentText(const char* szCommandLine)
{
    const char* p = szCommandLine;
    if (*p == '"') {
        ++p;
        while (*p != '\0' && *p != '"')
            ++p;
        if (*p == '"')
            ++p;
    } else {
        while (*p != '\0' && *p != ' ' && *p != '\t')
            ++p;
    }
    while (*p == ' ' || *p == '\t')
        ++p;
    return p;
}

int iFindOption(const char* szArguments, const char* szOption)
{
    const char* szFound = strstr(szArguments, szOption);
    return szFound == nullptr ? -1 : static_cast<int>(szFound - szArguments);
}

bool bHasOption(const char* szArguments, const char* szOption)
{
    return iFindOption(szArguments, szOption) >= 0;
}

bool bOptionValue(const char* szArguments, const char* szOption, char* szValue, size_t uCapacity)
{
    szValue[0] = '\0';
    int iAt = iFindOption(szArguments, szOption);
    if (iAt < 0)
        return false;
    const char* szStart = szArguments + iAt + strlen(szOption);
    while (*szStart == ' ')
        ++szStart;
    size_t uLength = strcspn(szStart, " ");
    if (uLength >= uCapacity)
        return false;
    memcpy(szValue, szStart, uLength);
    szValue[uLength] = '\0';
    return true;
}

void vBlankOption(char* szText, const char* szOption)
{
    char* szFound = strstr(szText, szOption);
    if (szFound != nullptr)
        memset(szFound, ' ', strlen(szOption));
}

void vCutLastFolder(char* szFolder)
{
    size_t uLength = strlen(szFolder);
    if (uLength <= 3)
        return;
    if (szFolder[uLength - 1] == '\\')
        szFolder[--uLength] = '\0';
    char* szLast = strrchr(szFolder, '\\');
    if (szLast == nullptr) {
        szFolder[0] = '.';
        szFolder[1] = '\\';
        szFolder[2] = '\0';
        return;
    }
    szLast[1] = '\0';
}

void vNextInfTryFolder(char* szFolder, int iTry)
{
    if (iTry < INF_TRIES - 1) {
        vCutLastFolder(szFolder);
        return;
    }
    if (strlen(szFolder) > kDriveRootLength)
        szFolder[kDriveRootLength] = '\0';
}
