#include "hwid.h"

#include "format.h"
#include "infpieces.h"

#include <stdlib.h>
#include <string.h>

namespace {

const InfMark kDeviceVendorMark = { "VEN_1106", nullptr };
const InfMark kDeviceClassMark = { "{4d36e972-e325-11ce-bfc1-08002be10318}", nullptr };
const InfMark kNt4ClassMark = { "OptionType", "NetAdapter" };
const InfMark kNt4VendorMark = { "VendorID", "4358" };   // 0x1106 in decimal

const char kCommentStart = ';';
const char kModelSectionHeader[] = "[MANUF]";
const char kSectionStart[] = "[";
const char kModelVendor[] = "VEN_1106";
// A model line must be longer than this, its line feed counted, to be read.
const size_t kShortestModelPiece = 10;
const char kCfidFirst[] = "VT";
const char kCfidSecond[] = "CFID";
const uint32_t kAdapterVendorID = 0x1106;

const char kLogCFID[] = "GetHardwareID dwDeviceCFID %08X ----------";
const char kLogEntry[] = "GetHardwareID szInfModalID %s ----------";

uint16_t wVendorOf(uint32_t dwDeviceCFID) { return static_cast<uint16_t>(dwDeviceCFID & 0xFFFF); }
uint16_t wDeviceOf(uint32_t dwDeviceCFID) { return static_cast<uint16_t>(dwDeviceCFID >> 16); }

HwidPieceKind eClassifyDevicePiece(HwidScan* pScan, const char* szPiece)
{
    if (!pScan->bInModelSection) {
        pScan->bInModelSection = strstr(szPiece, kModelSectionHeader) != nullptr;
        return HWID_PIECE_IGNORED;
    }
    if (strstr(szPiece, kSectionStart) != nullptr)
        return HWID_PIECE_END;
    if (strlen(szPiece) > kShortestModelPiece && strstr(szPiece, kModelVendor) != nullptr)
        return HWID_PIECE_ENTRY;
    return HWID_PIECE_IGNORED;
}

HwidPieceKind eClassifyNt4Piece(const char* szPiece, uint32_t* pdwDeviceCFID)
{
    if (strstr(szPiece, kCfidFirst) == nullptr || strstr(szPiece, kCfidSecond) == nullptr)
        return HWID_PIECE_IGNORED;
    *pdwDeviceCFID = dwScanDeviceCFID(szPiece);
    return wVendorOf(*pdwDeviceCFID) == kAdapterVendorID ? HWID_PIECE_ENTRY : HWID_PIECE_FOREIGN_CFID;
}

void vFormatEntry(InfDialect eDialect, const char* szPiece, uint32_t dwDeviceCFID, char* szEntry)
{
    if (eDialect == INF_NT4_SCRIPT)
        iFormatText(szEntry, HWID_ENTRY_CAPACITY, "%s%04X", "DEV_", wDeviceOf(dwDeviceCFID));
    else
        vScanFourthWord(szPiece, szEntry);
}

}  // namespace

bool bInfFileIsValid(const char* szPath, InfDialect eDialect)
{
    if (eDialect == INF_NT4_SCRIPT)
        return bPathHasBothMarks(szPath, kNt4ClassMark, kNt4VendorMark);
    return bPathHasBothMarks(szPath, kDeviceVendorMark, kDeviceClassMark);
}

HwidPieceKind eClassifyPiece(HwidScan* pScan, const char* szPiece, uint32_t* pdwDeviceCFID)
{
    *pdwDeviceCFID = 0;
    if (szPiece[0] == kCommentStart)
        return HWID_PIECE_IGNORED;
    if (pScan->eDialect == INF_NT4_SCRIPT)
        return eClassifyNt4Piece(szPiece, pdwDeviceCFID);
    return eClassifyDevicePiece(pScan, szPiece);
}

int iCountHardwareIDs(FILE* pFile, InfDialect eDialect, InfLogFn pfnLog)
{
    HwidScan scan = { eDialect, false };
    char szPiece[INF_PIECE_CAPACITY];
    int iCount = 0;
    while (fgets(szPiece, sizeof szPiece, pFile) != nullptr) {
        uint32_t dwDeviceCFID;
        HwidPieceKind eKind = eClassifyPiece(&scan, szPiece, &dwDeviceCFID);
        if (eKind == HWID_PIECE_END)
            break;
        if (eKind != HWID_PIECE_ENTRY)
            continue;
        if (eDialect == INF_NT4_SCRIPT)
            pfnLog(kLogCFID, dwDeviceCFID);
        if (iCount < HWID_MAX_ENTRIES)
            ++iCount;
    }
    return iCount;
}

int iFillHardwareIDs(FILE* pFile, InfDialect eDialect, InfLogFn pfnLog, HwidEntry* aszEntries,
                     int iCapacity)
{
    HwidScan scan = { eDialect, false };
    char szPiece[INF_PIECE_CAPACITY];
    int iStored = 0;
    while (fgets(szPiece, sizeof szPiece, pFile) != nullptr) {
        uint32_t dwDeviceCFID;
        HwidPieceKind eKind = eClassifyPiece(&scan, szPiece, &dwDeviceCFID);
        if (eKind == HWID_PIECE_END)
            break;
        if (eKind == HWID_PIECE_IGNORED)
            continue;
        if (eDialect == INF_NT4_SCRIPT)
            pfnLog(kLogCFID, dwDeviceCFID);
        // The file is read again and may have grown since it was counted.
        if (eKind != HWID_PIECE_ENTRY || iStored >= iCapacity)
            continue;
        vFormatEntry(eDialect, szPiece, dwDeviceCFID, aszEntries[iStored]);
        if (eDialect == INF_NT4_SCRIPT)
            pfnLog(kLogEntry, aszEntries[iStored]);
        ++iStored;
    }
    return iStored;
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
