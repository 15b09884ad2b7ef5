#include "infpieces.h"

#include <string.h>

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
    FILE* pFile = fopen(szPath, "r");
    if (pFile == nullptr)
        return false;
    bool bBoth = bFileHasBothMarks(pFile, markA, markB);
    fclose(pFile);
    return bBoth;
}
