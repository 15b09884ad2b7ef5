#include "infread.h"

#include "format.h"
#include "identity.h"
#include "infpieces.h"

#include <stdlib.h>
#include <string.h>

namespace {

const InfMark kDeviceVendorMark = { ADAPTER_VENDOR_MARK, nullptr };
const InfMark kDeviceClassMark = { NET_CLASS_GUID, nullptr };
const InfMark kNt4ClassMark = { NT4_CLASS_KEY, NT4_CLASS_VALUE };
const InfMark kNt4VendorMark = { NT4_VENDOR_KEY, ADAPTER_VENDOR_DECIMAL };

const char kCommentStart = ';';
const char kModelSectionHeader[] = "[MANUF]";
const char kSectionStart[] = "[";
// A model line must be longer than this, its line feed counted, to be read.
const size_t kShortestModelPiece = 10;
// NT 4.0: a configuration ID line ("VTCFID = 1493176582") holds both texts.
const InfMark kCfidMark = { "VT", "CFID" };

const char kLogCFID[] = "GetHardwareID dwDeviceCFID %08X ----------";
const char kLogEntry[] = "GetHardwareID szInfModalID %s ----------";

uint16_t wVendorOf(uint32_t dwDeviceCFID) { return static_cast<uint16_t>(dwDeviceCFID & 0xFFFF); }
uint16_t wDeviceOf(uint32_t dwDeviceCFID) { return static_cast<uint16_t>(dwDeviceCFID >> 16); }

void vFormatEntry(InfDialect eDialect, const char* szPiece, uint32_t dwDeviceCFID, char* szEntry)
{
    if (eDialect == INF_NT4_SCRIPT)
        iFormatText(szEntry, HWID_ENTRY_CAPACITY, DEVICE_ID_MARK "%04X", wDeviceOf(dwDeviceCFID));
    else
        vScanFourthWord(szPiece, szEntry);
}

// What one piece of INF text is to the hardware-ID reading.
enum PieceKind {
    PIECE_IGNORED,
    PIECE_FOREIGN_CFID,   // NT 4.0: a configuration ID of another vendor
    PIECE_ENTRY,          // yields one entry of the list
    PIECE_END             // device INF: the model section ends, and the pass
};

// Where a walk stands in the file: the device INF's model section is open between
// "[MANUF]" and the next piece that holds "[".
struct PieceScan {
    InfDialect eDialect;
    bool bInModelSection;
};

PieceKind eClassifyDevicePiece(PieceScan* pScan, const char* szPiece)
{
    if (!pScan->bInModelSection) {
        pScan->bInModelSection = strstr(szPiece, kModelSectionHeader) != nullptr;
        return PIECE_IGNORED;
    }
    if (strstr(szPiece, kSectionStart) != nullptr)
        return PIECE_END;
    if (strlen(szPiece) > kShortestModelPiece && strstr(szPiece, ADAPTER_VENDOR_MARK) != nullptr)
        return PIECE_ENTRY;
    return PIECE_IGNORED;
}

PieceKind eClassifyNt4Piece(const char* szPiece, uint32_t* pdwDeviceCFID)
{
    if (!bPieceHasMark(szPiece, kCfidMark))
        return PIECE_IGNORED;
    *pdwDeviceCFID = dwScanDeviceCFID(szPiece);
    return wVendorOf(*pdwDeviceCFID) == ADAPTER_VENDOR_ID ? PIECE_ENTRY : PIECE_FOREIGN_CFID;
}

PieceKind eClassifyPiece(PieceScan* pScan, const char* szPiece, uint32_t* pdwDeviceCFID)
{
    *pdwDeviceCFID = 0;
    if (szPiece[0] == kCommentStart)
        return PIECE_IGNORED;
    if (pScan->eDialect == INF_NT4_SCRIPT)
        return eClassifyNt4Piece(szPiece, pdwDeviceCFID);
    return eClassifyDevicePiece(pScan, szPiece);
}

// One piece that a pass sees: an entry or another vendor's configuration ID.
struct Piece {
    PieceKind eKind;
    const char* szText;
    uint32_t dwDeviceCFID;   // NT 4.0 only
};
typedef void (*PieceVisitor)(const Piece& piece, void* pPass);

// Reads pieces until the file or the model section ends and shows each entry and
// foreign configuration ID to the visitor.
void vWalkPieces(FILE* pFile, InfDialect eDialect, PieceVisitor pfnVisit, void* pPass)
{
    PieceScan scan = { eDialect, false };
    char szPiece[INF_PIECE_CAPACITY];
    while (fgets(szPiece, sizeof szPiece, pFile) != nullptr) {
        Piece piece = { PIECE_IGNORED, szPiece, 0 };
        piece.eKind = eClassifyPiece(&scan, szPiece, &piece.dwDeviceCFID);
        if (piece.eKind == PIECE_END)
            break;
        if (piece.eKind != PIECE_IGNORED)
            pfnVisit(piece, pPass);
    }
}

struct CountPass {
    InfDialect eDialect;
    InfLogFn pfnLog;
    int iCount;
};

// Counts entries and logs their configuration IDs; other vendors' are not logged here.
void vCountPiece(const Piece& piece, void* pPass)
{
    CountPass* pCount = static_cast<CountPass*>(pPass);
    if (piece.eKind != PIECE_ENTRY)
        return;
    if (pCount->eDialect == INF_NT4_SCRIPT)
        pCount->pfnLog(kLogCFID, piece.dwDeviceCFID);
    if (pCount->iCount < HWID_MAX_ENTRIES)
        ++pCount->iCount;
}

struct FillPass {
    InfDialect eDialect;
    InfLogFn pfnLog;
    HwidEntry* aszEntries;
    int iCapacity;
    int iStored;
};

// Logs every configuration ID it sees and stores the entries that fit.
void vFillPiece(const Piece& piece, void* pPass)
{
    FillPass* pFill = static_cast<FillPass*>(pPass);
    bool bNt4 = pFill->eDialect == INF_NT4_SCRIPT;
    if (bNt4)
        pFill->pfnLog(kLogCFID, piece.dwDeviceCFID);
    // The file is read again and may have grown since it was counted.
    if (piece.eKind != PIECE_ENTRY || pFill->iStored >= pFill->iCapacity)
        return;
    char* szEntry = pFill->aszEntries[pFill->iStored];
    vFormatEntry(pFill->eDialect, piece.szText, piece.dwDeviceCFID, szEntry);
    if (bNt4)
        pFill->pfnLog(kLogEntry, szEntry);
    ++pFill->iStored;
}

}  // namespace

bool bInfFileIsValid(const char* szPath, InfDialect eDialect)
{
    if (eDialect == INF_NT4_SCRIPT)
        return bPathHasBothMarks(szPath, kNt4ClassMark, kNt4VendorMark);
    return bPathHasBothMarks(szPath, kDeviceVendorMark, kDeviceClassMark);
}

int iCountHardwareIDs(FILE* pFile, InfDialect eDialect, InfLogFn pfnLog)
{
    CountPass pass = { eDialect, pfnLog, 0 };
    vWalkPieces(pFile, eDialect, vCountPiece, &pass);
    return pass.iCount;
}

int iFillHardwareIDs(FILE* pFile, InfDialect eDialect, InfLogFn pfnLog, HwidEntry* aszEntries,
                     int iCapacity)
{
    FillPass pass = { eDialect, pfnLog, aszEntries, iCapacity, 0 };
    vWalkPieces(pFile, eDialect, vFillPiece, &pass);
    return pass.iStored;
}

void vReadHardwareIDs(const char* szPath, InfDialect eDialect, InfLogFn pfnLog, HwidList* pList)
{
    pList->iCount = 0;
    pList->aszEntries = nullptr;
    FILE* pFile = pOpenInfText(szPath);
    if (pFile == nullptr)
        return;
    pList->iCount = iCountHardwareIDs(pFile, eDialect, pfnLog);
    fclose(pFile);

    if (pList->iCount > 0) {
        pList->aszEntries = static_cast<HwidEntry*>(calloc(static_cast<size_t>(pList->iCount), sizeof(HwidEntry)));
        if (pList->aszEntries == nullptr)
            pList->iCount = 0;
    }
    // Even with no entry to store, the filling pass logs the NT 4.0 dialect's
    // configuration IDs of other vendors.
    pFile = pOpenInfText(szPath);
    if (pFile == nullptr)
        return;
    iFillHardwareIDs(pFile, eDialect, pfnLog, pList->aszEntries, pList->iCount);
    fclose(pFile);
}
