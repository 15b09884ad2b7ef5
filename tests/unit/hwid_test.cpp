// The adapter's INF file as text: validity marks and hardware IDs of both dialects,
// read through real files in text mode (under wine, the test program's msvcrt: CR LF and
// Ctrl-Z; the shipped files' crtdll reads them so in the end-to-end tests).
#include "infread.h"

#include <gtest/gtest.h>

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

const char kFixture[] = "hwid_fixture.inf";
const char kFixtureGrown[] = "hwid_fixture_grown.inf";
const std::string kGuid = "{4d36e972-e325-11ce-bfc1-08002be10318}";

Lines gLog;

void CaptureLog(const char* format, ...)
{
    char line[512];
    va_list args;
    va_start(args, format);
    vsnprintf(line, sizeof line, format, args);
    va_end(args);
    gLog.push_back(line);
}

void WriteFile(const char* path, const std::string& content)
{
    FILE* file = fopen(path, "wb");
    ASSERT_NE(file, nullptr) << path;
    fwrite(content.data(), 1, content.size(), file);
    fclose(file);
}

// The list read from the text, one string per entry, and what was logged.
struct Reading {
    Lines entries;
    Lines log;
};

Reading Read(const std::string& text, InfDialect dialect)
{
    WriteFile(kFixture, text);
    gLog.clear();
    HwidList list;
    vReadHardwareIDs(kFixture, dialect, CaptureLog, &list);
    remove(kFixture);
    Reading reading;
    for (int i = 0; i < list.iCount; ++i)
        reading.entries.push_back(list.aszEntries[i]);
    reading.log = gLog;
    free(list.aszEntries);   // the launcher keeps its list until it ends
    return reading;
}

std::string Show(const Lines& lines)
{
    std::string shown = "{";
    for (const std::string& line : lines)
        shown += " \"" + line + "\"";
    return shown + " }";
}

bool IsValid(const std::string& text, InfDialect dialect)
{
    WriteFile(kFixture, text);
    bool valid = bInfFileIsValid(kFixture, dialect);
    remove(kFixture);
    return valid;
}

std::string CfidLog(const char* hex) { return std::string("GetHardwareID dwDeviceCFID ") + hex + " ----------"; }
std::string EntryLog(const char* entry) { return std::string("GetHardwareID szInfModalID ") + entry + " ----------"; }

// Each case is read as written and, where the C library reads text mode, with CR LF
// line ends, which must change nothing.
#ifdef _WIN32
std::string WithCrLf(const std::string& text)
{
    std::string converted;
    for (char c : text) {
        if (c == '\n')
            converted += '\r';
        converted += c;
    }
    return converted;
}
#endif

template <typename Check>
void ForEachLineEnd(const std::string& text, Check check)
{
    check(text, "LF");
#ifdef _WIN32
    check(WithCrLf(text), "CR LF");
#endif
}

TEST(InfValidity, MarksOfEachDialect)
{
    const std::string padding(120, 'x');
    struct Case { const char* name; InfDialect dialect; std::string text; bool valid; } cases[] = {
        { "vendor, then class", INF_DEVICE, "PCI\\VEN_1106&DEV_3065\nClass=" + kGuid + "\n", true },
        { "class, then vendor", INF_DEVICE, "ClassGUID=" + kGuid + "\n; VEN_1106\n", true },
        { "both in one line", INF_DEVICE, "VEN_1106 " + kGuid + "\n", true },
        { "no final line feed", INF_DEVICE, "VEN_1106\n" + kGuid, true },
        { "upper-case GUID", INF_DEVICE, "VEN_1106\n{4D36E972-E325-11CE-BFC1-08002BE10318}\n", false },
        { "vendor, no GUID", INF_DEVICE, "PCI\\VEN_1106&DEV_3065\n", false },
        { "lower-case vendor", INF_DEVICE, "ven_1106\n" + kGuid + "\n", false },
        { "vendor across a piece boundary", INF_DEVICE, std::string(123, 'x') + "VEN_1106\n" + kGuid + "\n", false },
        { "vendor in a second piece", INF_DEVICE, padding + "xxxxxxxxVEN_1106\n" + kGuid + "\n", true },
        { "NT 4.0 marks", INF_NT4_SCRIPT, "OptionType = NetAdapter\nVendorID = 4358\n", true },
        { "NT 4.0 marks reversed", INF_NT4_SCRIPT, "VendorID = 4358\nOptionType = NetAdapter\n", true },
        { "NT 4.0 marks in one line", INF_NT4_SCRIPT, "OptionType NetAdapter VendorID 4358\n", true },
        { "NT 4.0 mark split over lines", INF_NT4_SCRIPT, "OptionType\nNetAdapter\nVendorID = 4358\n", false },
        { "NT 4.0 other class", INF_NT4_SCRIPT, "OptionType = VIDEO\nVendorID = 4358\n", false },
        { "device marks on NT 4.0", INF_NT4_SCRIPT, "VEN_1106 " + kGuid + "\n", false },
        { "NT 4.0 marks on a device INF", INF_DEVICE, "OptionType = NetAdapter\nVendorID = 4358\n", false },
    };
    for (const Case& c : cases)
        ForEachLineEnd(c.text, [&](const std::string& text, const char* ends) {
            EXPECT_EQ(IsValid(text, c.dialect), c.valid) << c.name << " (" << ends << ")";
        });
    EXPECT_FALSE(bInfFileIsValid(kFixture, INF_DEVICE)) << "missing file";
}

TEST(HardwareIDs, DeviceInfModelSection)
{
    const std::string line = "%NIC% = NIC.ndi, PCI\\VEN_1106&DEV_3065\n";
    // A 300-character comment line: its second piece is no comment.
    const std::string longComment = ";" + std::string(126, 'c') + " A = B, PCI\\VEN_1106&DEV_3106 " +
                                    std::string(173 - 30, 'c') + "\n";
    // A 300-character model line whose vendor mark crosses the first piece boundary.
    const std::string crossing = "A = B, PCI\\" + std::string(112, 'p') + "VEN_1106&DEV_3065" +
                                 std::string(300 - 11 - 112 - 17, 'q') + "\n";
    struct Case { const char* name; std::string text; Lines entries; } cases[] = {
        { "one model line", "[MANUF]\n" + line, { "PCI\\VEN_1106&DEV_3065" } },
        { "more IDs on the line", "[MANUF]\nA = B, PCI\\VEN_1106&DEV_3065, PCI\\VEN_1106&DEV_3106\n",
          { "PCI\\VEN_1106&DEV_3065," } },
        { "same ID twice", "[MANUF]\n" + line + line, { "PCI\\VEN_1106&DEV_3065", "PCI\\VEN_1106&DEV_3065" } },
        { "lines before the section", line + "[Strings]\n" + line + "[MANUF]\n" + line,
          { "PCI\\VEN_1106&DEV_3065" } },
        { "header inside a line", "x [MANUF] y\n" + line, { "PCI\\VEN_1106&DEV_3065" } },
        { "[Manuf]", "[Manuf]\n" + line, {} },
        { "[Manufacturer]", "[Manufacturer]\n" + line, {} },
        { "no section", line, {} },
        { "commented header", ";[MANUF]\n" + line, {} },
        { "next section ends it", "[MANUF]\n" + line + "[NIC.ndi]\n" + line, { "PCI\\VEN_1106&DEV_3065" } },
        { "a bracket in a model line ends it", "[MANUF]\nA = B, PCI\\VEN_1106&DEV_1[0]\n" + line, {} },
        { "commented bracket", "[MANUF]\n;[x]\n" + line, { "PCI\\VEN_1106&DEV_3065" } },
        { "comment", "[MANUF]\n;" + line, {} },
        { "blank before ;", "[MANUF]\n ;A = B, PCI\\VEN_1106&DEV_3065\n", { "PCI\\VEN_1106&DEV_3065" } },
        { "10 characters", "[MANUF]\nxVEN_1106\n", {} },
        { "11 characters, fewer than four words", "[MANUF]\nxyVEN_1106\n", { "" } },
        { "10 characters with no line feed", "[MANUF]\nxyVEN_1106", {} },
        { "three words", "[MANUF]\nA = PCI\\VEN_1106&DEV_3065\n", { "" } },
        { "tabs separate words", "[MANUF]\nA\t=\tB,\tPCI\\VEN_1106&DEV_3065\n", { "PCI\\VEN_1106&DEV_3065" } },
        { "other vendor", "[MANUF]\nA = B, PCI\\VEN_1234&DEV_3065\n", {} },
        { "long comment, continued", "[MANUF]\n" + longComment, { "PCI\\VEN_1106&DEV_3106" } },
        { "mark across a piece boundary", "[MANUF]\n" + crossing + line, { "PCI\\VEN_1106&DEV_3065" } },
        { "header across a piece boundary", std::string(123, 'x') + "[MANUF]\n" + line, {} },
#ifdef _WIN32
        { "Ctrl-Z ends the file", "[MANUF]\n" + line + "\x1a" + line, { "PCI\\VEN_1106&DEV_3065" } },
#endif
    };
    for (const Case& c : cases)
        ForEachLineEnd(c.text, [&](const std::string& text, const char* ends) {
            Reading got = Read(text, INF_DEVICE);
            EXPECT_EQ(got.entries, c.entries) << c.name << " (" << ends << "): got " << Show(got.entries)
                                              << ", expected " << Show(c.entries);
            EXPECT_TRUE(got.log.empty()) << c.name << ": logged " << Show(got.log);
        });
}

TEST(HardwareIDs, Nt4ConfigurationIDs)
{
    const std::string entry = "VT3065CFID = 811929862\n";   // 0x30651106
    const Lines entryLog = { CfidLog("30651106"), CfidLog("30651106"), EntryLog("DEV_3065") };
    struct Case { const char* name; std::string text; Lines entries; Lines log; } cases[] = {
        { "one ID", entry, { "DEV_3065" }, entryLog },
        { "any section, comment lines skipped", "[Other]\n;VT3065CFID = 811929862\n" + entry + "[x]\n",
          { "DEV_3065" }, entryLog },
        { "device ID below 0x1000", "VTCFID = 5443846\n", { "DEV_0053" },
          { CfidLog("00531106"), CfidLog("00531106"), EntryLog("DEV_0053") } },
        { "same ID twice", entry + entry, { "DEV_3065", "DEV_3065" },
          { CfidLog("30651106"), CfidLog("30651106"), CfidLog("30651106"), EntryLog("DEV_3065"),
            CfidLog("30651106"), EntryLog("DEV_3065") } },
        { "other vendor: logged when filling", "VT1CFID = 305430662\n", {}, { CfidLog("12348086") } },
        { "written with 0x", "VTCFID = 0x30651106\n", {}, { CfidLog("00000000") } },
        { "no number", "VTCFID = none\n", {}, { CfidLog("00000000") } },
        { "fewer than three words", "VTCFID =\n", {}, { CfidLog("00000000") } },
        { "number runs into letters", "VTCFID = 811929862abc\n", { "DEV_3065" }, entryLog },
        { "VT without CFID", "VT = 811929862\n", {}, {} },
        { "CFID without VT", "CFID = 811929862\n", {}, {} },
        { "case counts", "vtcfid = 811929862\n", {}, {} },
        { "blank before ;", " ;VTCFID = 811929862\n", { "DEV_3065" }, entryLog },
        { "no final line feed", "VT3065CFID = 811929862", { "DEV_3065" }, entryLog },
        { "other vendor between", entry + "VT1CFID = 305430662\n" + entry, { "DEV_3065", "DEV_3065" },
          { CfidLog("30651106"), CfidLog("30651106"), CfidLog("30651106"), EntryLog("DEV_3065"),
            CfidLog("12348086"), CfidLog("30651106"), EntryLog("DEV_3065") } },
    };
    for (const Case& c : cases)
        ForEachLineEnd(c.text, [&](const std::string& text, const char* ends) {
            Reading got = Read(text, INF_NT4_SCRIPT);
            EXPECT_EQ(got.entries, c.entries) << c.name << " (" << ends << "): got " << Show(got.entries)
                                              << ", expected " << Show(c.entries);
            EXPECT_EQ(got.log, c.log) << c.name << " (" << ends << "): got " << Show(got.log) << ", expected "
                                      << Show(c.log);
        });
}

TEST(HardwareIDs, MissingFileGivesAnEmptyList)
{
    gLog.clear();
    HwidList list;
    vReadHardwareIDs(kFixture, INF_NT4_SCRIPT, CaptureLog, &list);
    EXPECT_EQ(list.iCount, 0);
    EXPECT_EQ(list.aszEntries, nullptr);
    EXPECT_TRUE(gLog.empty());
}

// The filling pass reads the file again; whatever it finds then, it stores no more
// entries than were counted, and the rest of the list stays empty.
TEST(HardwareIDs, FileChangedBetweenThePasses)
{
    const std::string device = "[MANUF]\nA = B, PCI\\VEN_1106&DEV_3065\n";
    const std::string deviceMore = "A = B, PCI\\VEN_1106&DEV_3106\n";
    const std::string nt4 = "VTCFID = 811929862\n";
    struct Case { const char* name; InfDialect dialect; std::string counted, filled; Lines entries; } cases[] = {
        { "device INF grew", INF_DEVICE, device, device + deviceMore + deviceMore, { "PCI\\VEN_1106&DEV_3065" } },
        { "device INF shrank", INF_DEVICE, device + deviceMore, "[MANUF]\n", { "", "" } },
        { "NT 4.0 INF grew", INF_NT4_SCRIPT, nt4, "VTCFID = 822481158\n" + nt4 + nt4, { "DEV_3106" } },
        { "NT 4.0 INF grew from nothing", INF_NT4_SCRIPT, "", nt4, {} },
    };
    const char kCanary = '#';
    for (const Case& c : cases) {
        WriteFile(kFixture, c.counted);
        WriteFile(kFixtureGrown, c.filled);
        gLog.clear();
        FILE* file = fopen(kFixture, "r");
        int count = iCountHardwareIDs(file, c.dialect, CaptureLog);
        fclose(file);
        ASSERT_EQ(count, static_cast<int>(c.entries.size())) << c.name;

        std::vector<HwidEntry> room(count + 1);
        for (HwidEntry& entry : room)
            entry[0] = '\0';
        room[count][0] = kCanary;
        file = fopen(kFixtureGrown, "r");
        int stored = iFillHardwareIDs(file, c.dialect, CaptureLog, room.data(), count);
        fclose(file);
        EXPECT_LE(stored, count) << c.name;
        EXPECT_EQ(room[count][0], kCanary) << c.name << ": wrote past the counted entries";
        for (int i = 0; i < count; ++i)
            EXPECT_EQ(std::string(room[i]), c.entries[i]) << c.name << ", entry " << i;
    }
    remove(kFixture);
    remove(kFixtureGrown);
}

// Each pass over the same text agrees, whatever the text is.
void ExpectPassesAgree(const char* name, const std::string& text)
{
    for (InfDialect dialect : { INF_DEVICE, INF_NT4_SCRIPT }) {
        WriteFile(kFixture, text);
        bInfFileIsValid(kFixture, dialect);
        gLog.clear();
        FILE* file = fopen(kFixture, "r");
        int count = iCountHardwareIDs(file, dialect, CaptureLog);
        fclose(file);
        std::vector<HwidEntry> room(count > 0 ? count : 1);
        file = fopen(kFixture, "r");
        int stored = iFillHardwareIDs(file, dialect, CaptureLog, room.data(), count);
        fclose(file);
        EXPECT_EQ(stored, count) << name << ", dialect " << dialect;
    }
    remove(kFixture);
}

TEST(HardwareIDs, HostileText)
{
    std::mt19937 random(1106);
    std::string bytes;
    for (int i = 0; i < 256 * 1024; ++i) {
        bytes += static_cast<char>(random() & 0xFF);
        if (i % 4096 == 0)
            bytes += "[MANUF]\nA = B, PCI\\VEN_1106&DEV_3065\nVTCFID = 811929862\n";
    }
    ExpectPassesAgree("random bytes with NULs", bytes);
    ExpectPassesAgree("no line feed", std::string(1 << 20, 'x') + "VTCFID = 811929862 [MANUF] VEN_1106");
    ExpectPassesAgree("only NULs", std::string(4096, '\0'));
    ExpectPassesAgree("empty", "");
    std::string manyWords = "[MANUF]\n";
    for (int i = 0; i < 100; ++i)
        manyWords += std::string(120, 'w') + " = B, VEN_1106 " + std::string(120, 'z') + "\n";
    ExpectPassesAgree("words of a whole piece", manyWords);
}

TEST(HardwareIDs, ScanningReadsWholeWordsAndNumbers)
{
    char word[HWID_ENTRY_CAPACITY];
    std::string piece = "a b c " + std::string(121, 'w');   // 127 characters
    vScanFourthWord(piece.c_str(), word);
    EXPECT_EQ(std::string(word), std::string(121, 'w'));
    EXPECT_EQ(dwScanDeviceCFID("VTCFID = 4294967295"), 0xFFFFFFFFu);
    EXPECT_EQ(dwScanDeviceCFID(""), 0u);
}

// Other vendors' INF files: none is valid for either dialect, none yields an entry.
TEST(HardwareIDs, RealInfFilesOfOtherVendors)
{
    if (std::string(NIC_REAL_INFS_DIR).empty())
        GTEST_SKIP() << "the shared folder with the real INF files is absent";
    int files = 0;
    for (const auto& found : std::filesystem::directory_iterator(NIC_REAL_INFS_DIR)) {
        std::string path = found.path().string();
        if (found.path().extension() != ".inf")
            continue;
        ++files;
        for (InfDialect dialect : { INF_DEVICE, INF_NT4_SCRIPT }) {
            EXPECT_FALSE(bInfFileIsValid(path.c_str(), dialect)) << path << ", dialect " << dialect;
            gLog.clear();
            HwidList list;
            vReadHardwareIDs(path.c_str(), dialect, CaptureLog, &list);
            EXPECT_EQ(list.iCount, 0) << path << ", dialect " << dialect;
            for (const std::string& line : gLog)
                EXPECT_EQ(line.find("szInfModalID"), std::string::npos) << path << ": " << line;
            free(list.aszEntries);
        }
    }
    EXPECT_GE(files, 10) << "real INF files in " << NIC_REAL_INFS_DIR;
}

}  // namespace
