// Fuzzes the INF validity marks and the hardware-ID reading of both INF dialects,
// through real files read with the C library as the launcher reads them.  Each result
// is compared with the reading rules applied to the same text cut into 127-character
// pieces; the filling pass of a file that changed after it was counted must stay
// inside the counted entries.
#include "fuzzcheck.h"

#include "presence.h"
#include "infread.h"

#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

int gLogLines;

void CountLog(const char*, ...)
{
    ++gLogLines;
}

const char* const kWhitespace = " \t\n\v\f\r";

// What the rules say a text yields: the validity of the file, the entries in file
// order, and the log lines of each pass.
struct RuleReading {
    bool bValid = false;
    std::vector<std::string> entries;
    int iSizingLogLines = 0;
    int iFillingLogLines = 0;
};

bool bHolds(const char* szPiece, const char* szText)
{
    return strstr(szPiece, szText) != nullptr;
}

std::string FourthWord(const char* szPiece)
{
    std::string piece = szPiece;
    size_t uAt = 0;
    for (int iWord = 0; iWord < 4; ++iWord) {
        size_t uStart = piece.find_first_not_of(kWhitespace, uAt);
        if (uStart == std::string::npos)
            return "";
        uAt = piece.find_first_of(kWhitespace, uStart);
        if (iWord == 3)
            return piece.substr(uStart, uAt - uStart);
    }
    return "";
}

RuleReading ReadByRules(const std::string& text, InfDialect eDialect)
{
    RuleReading reading;
    bool bSeenA = false, bSeenB = false, bInModels = false;
    for (const std::string& piece : PiecesOf(text)) {
        const char* s = piece.c_str();
        if (eDialect == INF_NT4_SCRIPT) {
            bSeenA = bSeenA || (bHolds(s, "OptionType") && bHolds(s, "NetAdapter"));
            bSeenB = bSeenB || (bHolds(s, "VendorID") && bHolds(s, "4358"));
        } else {
            bSeenA = bSeenA || bHolds(s, "VEN_1106");
            bSeenB = bSeenB || bHolds(s, "{4d36e972-e325-11ce-bfc1-08002be10318}");
        }
    }
    reading.bValid = bSeenA && bSeenB;

    for (const std::string& piece : PiecesOf(text)) {
        const char* s = piece.c_str();
        if (s[0] == ';')
            continue;
        if (eDialect == INF_NT4_SCRIPT) {
            if (!bHolds(s, "VT") || !bHolds(s, "CFID"))
                continue;
            uint32_t dwCFID = dwScanDeviceCFID(s);
            ++reading.iFillingLogLines;
            if ((dwCFID & 0xFFFF) != 0x1106)
                continue;
            char szEntry[16];
            snprintf(szEntry, sizeof szEntry, "DEV_%04X", static_cast<unsigned>(dwCFID >> 16));
            reading.entries.push_back(szEntry);
            ++reading.iSizingLogLines;
            ++reading.iFillingLogLines;
        } else if (!bInModels) {
            bInModels = bHolds(s, "[MANUF]");
        } else if (bHolds(s, "[")) {
            break;
        } else if (strlen(s) > 10 && bHolds(s, "VEN_1106")) {
            reading.entries.push_back(FourthWord(s));
        }
    }
    return reading;
}

void vCheckEntries(const HwidEntry* aszEntries, int iStored, const std::vector<std::string>& expected,
                   const char* szProperty)
{
    for (int i = 0; i < iStored; ++i) {
        vFuzzAssert(strnlen(aszEntries[i], HWID_ENTRY_CAPACITY) < HWID_ENTRY_CAPACITY, "an entry ends inside its buffer");
        vFuzzAssert(i < static_cast<int>(expected.size()) && expected[i] == aszEntries[i], szProperty);
    }
}

// The whole reading of one file, as GetHardwareID does it; then the presence check's
// probe walks the list.
void vCheckWholeFile(const FuzzFile& file, const std::string& text, InfDialect eDialect)
{
    RuleReading rules = ReadByRules(text, eDialect);
    vFuzzAssert(bInfFileIsValid(file.Path(), eDialect) == rules.bValid, "the file is valid when both marks are in it");

    gLogLines = 0;
    HwidList list;
    vReadHardwareIDs(file.Path(), eDialect, CountLog, &list);
    vFuzzAssert(list.iCount == static_cast<int>(rules.entries.size()), "the count is the number of entry pieces");
    vFuzzAssert((list.iCount == 0) == (list.aszEntries == nullptr), "a list has room exactly when it has entries");
    vCheckEntries(list.aszEntries, list.iCount, rules.entries, "the entries are those of the pieces, in file order");
    vFuzzAssert(gLogLines == rules.iSizingLogLines + rules.iFillingLogLines, "each pass logs what its dialect logs");

    char szProbe[DEVICE_PROBE_CAPACITY];
    vFormatDeviceProbe(szProbe, 0x3065);
    bListHasProbe(list.aszEntries, list.iCount, szProbe, nullptr);
    free(list.aszEntries);
}

// A file that changed between the sizing and the filling pass: the room is what the
// first text counted, the entries come from the second.
void vCheckChangedFile(const FuzzFile& counted, const FuzzFile& filled, const std::string& filledText,
                       InfDialect eDialect)
{
    FILE* pFile = counted.OpenRead();
    int iCount = iCountHardwareIDs(pFile, eDialect, CountLog);
    fclose(pFile);
    std::vector<HwidEntry> room(static_cast<size_t>(iCount));   // exactly the counted room
    pFile = filled.OpenRead();
    int iStored = iFillHardwareIDs(pFile, eDialect, CountLog, room.data(), iCount);
    fclose(pFile);
    std::vector<std::string> expected = ReadByRules(filledText, eDialect).entries;
    vFuzzAssert(iStored == std::min(iCount, static_cast<int>(expected.size())),
           "the filling pass stores what it finds, never more than counted");
    vCheckEntries(room.data(), iStored, expected, "a changed file's entries are its first ones");
}

}  // namespace

// The whole input is one INF file.  Its first byte also splits the rest into a text that
// is counted and a text that is filled after it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const FuzzFile whole("whole.inf"), counted("counted.inf"), filled("filled.inf");
    if (size < 1)
        return 0;
    whole.Write(data, size);
    const std::string text(reinterpret_cast<const char*>(data), size);
    size_t uSplit = 1 + data[0] * (size - 1) / 256;
    counted.Write(data + 1, uSplit - 1);
    filled.Write(data + uSplit, size - uSplit);
    for (InfDialect eDialect : { INF_DEVICE, INF_NT4_SCRIPT }) {
        vCheckWholeFile(whole, text, eDialect);
        vCheckChangedFile(counted, filled, text.substr(uSplit), eDialect);
    }
    return 0;
}
