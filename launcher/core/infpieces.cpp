#include "infpieces.h"

#include "identity.h"
#include "textutil.h"

#include <string.h>

namespace {

// Names that Windows takes for devices in every folder, whatever extension follows ...
const char* const kDeviceNames[] = { "CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$" };
// ... and these three letters followed by one digit 1-9.
const char* const kNumberedDeviceNames[] = { "COM", "LPT" };
const size_t kNumberedDeviceLength = 4;

char cUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// True when the uLength characters at szText are szUpper, letters compared without
// regard to case.
bool bIsNoCase(const char* szText, size_t uLength, const char* szUpper)
{
    if (uLength != strlen(szUpper))
        return false;
    for (size_t i = 0; i < uLength; ++i)
        if (cUpper(szText[i]) != szUpper[i])
            return false;
    return true;
}

}  // namespace

bool bNamesDevice(const char* szPath)
{
    const char* szName = szPath;
    for (const char* p = szPath; *p != '\0'; ++p)
        if (*p == '\\' || *p == '/')
            szName = p + 1;
    // The device is named by what stands before the extension (or before a colon, as
    // in "COM1:"), trailing blanks not counted.
    size_t uLength = strcspn(szName, ".:");
    while (uLength > 0 && szName[uLength - 1] == ' ')
        --uLength;
    for (const char* szDevice : kDeviceNames)
        if (bIsNoCase(szName, uLength, szDevice))
            return true;
    for (const char* szDevice : kNumberedDeviceNames)
        if (uLength == kNumberedDeviceLength && bIsNoCase(szName, uLength - 1, szDevice) &&
            szName[uLength - 1] >= '1' && szName[uLength - 1] <= '9')
            return true;
    return false;
}

bool bIsInfName(const char* szName)
{
    return bEndsWithNoCase(szName, INF_EXTENSION);
}

FILE* pOpenInfText(const char* szPath)
{
    if (bNamesDevice(szPath))
        return nullptr;
    return fopen(szPath, "r");
}

bool bPieceHasMark(const char* szPiece, const InfMark& mark)
{
    if (strstr(szPiece, mark.szFirst) == nullptr)
        return false;
    return mark.szSecond == nullptr || strstr(szPiece, mark.szSecond) != nullptr;
}

bool bFileHasBothMarks(FILE* pFile, const InfMark& markA, const InfMark& markB)
{
    char szPiece[INF_PIECE_CAPACITY];
    bool bSeenA = false;
    bool bSeenB = false;
    while (fgets(szPiece, sizeof szPiece, pFile) != nullptr) {
        bSeenA = bSeenA || bPieceHasMark(szPiece, markA);
        bSeenB = bSeenB || bPieceHasMark(szPiece, markB);
        if (bSeenA && bSeenB)
            return true;
    }
    return false;
}

bool bPathHasBothMarks(const char* szPath, const InfMark& markA, const InfMark& markB)
{
    FILE* pFile = pOpenInfText(szPath);
    if (pFile == nullptr)
        return false;
    bool bBoth = bFileHasBothMarks(pFile, markA, markB);
    fclose(pFile);
    return bBoth;
}
