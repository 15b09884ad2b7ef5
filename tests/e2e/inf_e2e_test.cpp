// nicstart.exe end to end under wine: which INF file it takes from the driver disk,
// which folders it searches, what it logs while reading the hardware IDs, and how it
// copes with hostile, locked, huge and over-long INF files and real INF files of other
// vendors.
#include "harness.h"
#include "disktest.h"
#include "launcher_texts.h"
#include "nicdisk.h"

#include <gtest/gtest.h>

#include <stdio.h>

#include <random>
#include <string>
#include <vector>

using harness::RunResult;
using Lines = std::vector<std::string>;

namespace {

using namespace launcher_texts;

const size_t kLogMessageMax = 257;
const char kDriveRootInf[] = "C:\\NICROOT.INF";   // the drive root of the test disk

struct Family {
    const char* version;
    const char* program;
    const char* done;   // what a successful install run shows
    bool nt4;
};
const Family kWin98 = { "win98", "INST9X.EXE", kAskInstall, false };
const Family kNt40 = { "nt40", "INSTNT4.EXE", kAskInstall, true };
const Family kWin2k = { "win2k", "INST2K.EXE", kMsgInstalled, false };
const Family* const kFamilies[] = { &kWin98, &kNt40, &kWin2k };

std::string Hex(unsigned value, int digits)
{
    char text[16];
    snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

std::string CfidLog(unsigned cfid) { return "GetHardwareID dwDeviceCFID " + Hex(cfid, 8) + " ----------"; }
std::string EntryLog(unsigned device) { return "GetHardwareID szInfModalID DEV_" + Hex(device, 4) + " ----------"; }
std::string TooLongLog(const char* function, const std::string& path)
{
    return (std::string(function) + " path too long ----------" + path).substr(0, kLogMessageMax);
}

// An INF file valid for both dialects: one model line and one configuration ID of the
// device (an NT 4.0 run logs the ID and so shows which file it read).
std::string ValidInf(unsigned device)
{
    unsigned cfid = device << 16 | 0x1106;
    return "[Version]\r\nClassGUID={4d36e972-e325-11ce-bfc1-08002be10318}\r\n"
           "[MANUF]\r\n%NIC% = NIC.ndi, PCI\\VEN_1106&DEV_" + Hex(device, 4) + "\r\n"
           "[Identification]\r\nOptionType = NetAdapter\r\n"
           "[Options]\r\nVendorID = 4358\r\nVT" + Hex(device, 4) + "CFID = " + std::to_string(cfid) + "\r\n";
}

const std::string kInvalidInf = "[Version]\r\nClass=Net\r\n[MANUF]\r\n%NIC% = NIC.ndi, PCI\\VEN_1106&DEV_3065\r\n";

// The log of an install run that read an INF file with these devices.
Lines InstallLog(const Family& family, const std::vector<unsigned>& devices)
{
    Lines log = { kLogStart, kLogHardwareID };
    if (family.nt4) {
        for (unsigned device : devices)
            log.push_back(CfidLog(device << 16 | 0x1106));
        for (unsigned device : devices) {
            log.push_back(CfidLog(device << 16 | 0x1106));
            log.push_back(EntryLog(device));
        }
    }
    log.push_back(kLogCreateProcess);
    log.push_back(kLogEnd);
    return log;
}

std::string Show(const Lines& lines)
{
    std::string shown;
    for (const std::string& line : lines)
        shown += "\n  " + line;
    return shown;
}

enum Outcome { DONE, TWO_VALID, NO_INF };

// The machine's adapters, so that a run that reads one of these tests' INF files gets
// past the presence check: the devices they name, and device 0, whose probe "DEV_0"
// occurs in every ID below 0x1000 written with four digits.  3065 comes first, so that
// the run that lists it a million times matches at the first entry.
harness::PciBus AdaptersOfTheseInfs()
{
    harness::PciBus bus;
    const uint16_t devices[] = { 0x3065, 0x3106, 0x3107, 0x0000 };
    for (unsigned i = 0; i < sizeof devices / sizeof devices[0]; ++i) {
        harness::PciFunction adapter;
        adapter.device = i;
        adapter.deviceId = devices[i];
        bus.Add(adapter);
    }
    return bus;
}

// The disk folder of DiskTest, and an INF file at the drive root that some cases put there.
class InfE2e : public harness::DiskTest {
protected:
    void SetUp() override
    {
        DiskTest::SetUp();
        DeleteFileA(kDriveRootInf);
    }

    void TearDown() override
    {
        DiskTest::TearDown();
        DeleteFileA(kDriveRootInf);
    }

    void Clean()
    {
        ResetDisk();
        DeleteFileA(kDriveRootInf);
    }

    void LayOutDisk(const Family& family)
    {
        harness::CopyFileOrDie(harness::BuildDir() + "\\launcher\\nicstart.exe", disk + "nicstart.exe");
        harness::CopyFileOrDie(harness::BuildDir() + "\\tests\\doubles\\setupprog.exe", disk + family.program);
        harness::InstallPcipeek(disk);
    }

    RunResult RunNicstart(const Family& family, const std::string& arguments, DWORD timeoutMs = 60000)
    {
        harness::SetWindowsVersion("nicstart.exe", family.version);
        harness::RunOptions options;
        options.commandLine = disk + "nicstart.exe" + (arguments.empty() ? "" : " " + arguments);
        options.environment = { { "NICTEST_RECORD", root + "\\record.txt" }, { "NICTEST_EXIT", "0" } };
        options.timeoutMs = timeoutMs;
        RunResult result = harness::RunOnBus(family.version, options, AdaptersOfTheseInfs());
        EXPECT_TRUE(result.started) << "error " << result.startError;
        EXPECT_FALSE(result.timedOut);
        return result;
    }

    // The run ended the way the outcome says, with one message box and its log.
    void ExpectOutcome(const RunResult& result, const Family& family, Outcome outcome, const Lines& log,
                       const std::string& name)
    {
        const char* text = outcome == DONE ? family.done : outcome == TWO_VALID ? kMsgTwoValid : kMsgNoInf;
        EXPECT_EQ(result.exitCode, outcome == TWO_VALID ? 1u : 0u) << name;
        ASSERT_EQ(result.boxes.size(), 1u) << name << ": expected the box \"" << text << "\"";
        EXPECT_EQ(result.boxes[0].caption, "NicStart") << name;
        EXPECT_EQ(result.boxes[0].text, text) << name;
        EXPECT_EQ(result.boxes[0].Buttons(), outcome == DONE && family.done == kAskInstall ? "YesNo" : "OK") << name;
        EXPECT_EQ(Recorded("cmdline") != "(not run)", outcome == DONE) << name;
        Lines got = LogLines();
        EXPECT_EQ(got, log) << name << ": got" << Show(got) << "\nexpected" << Show(log);
    }

    // What the stand-in setup program recorded: "cmdline", "cwd" or "exit".
    std::string Recorded(const std::string& key)
    {
        return launcher_texts::Recorded(root + "\\record.txt", key);
    }

    // The log without the presence check's entries, which presence_e2e_test checks.
    static Lines LogLines() { return launcher_texts::LogWithoutPresenceEntries(); }
};

struct InfFile {
    std::string path;   // under the test root, or a full path from C:\ ;
    unsigned device;    // 0: not valid
};

TEST_F(InfE2e, Discovery)
{
    const std::string deep = "-d {root}\\l1\\l2\\l3";
    struct Case {
        const char* name;
        const Family* family;
        std::vector<InfFile> files;
        std::string arguments;   // {root} stands for the test root
        Outcome outcome;
        std::vector<unsigned> devices;   // of the INF file read
    } cases[] = {
        { "X.INF taken, x.info dropped", &kWin2k, { { "disk\\X.INF", 0x3065 }, { "disk\\x.info", 0x3106 } }, "", DONE, { 0x3065 } },
        { "X.INF taken, x.info dropped", &kNt40, { { "disk\\X.INF", 0x3065 }, { "disk\\x.info", 0x3106 } }, "", DONE, { 0x3065 } },
        { "x.info alone", &kWin98, { { "disk\\x.info", 0x3106 } }, "", NO_INF, {} },
        { "x.info alone", &kNt40, { { "disk\\x.info", 0x3106 } }, "", NO_INF, {} },
        { "two valid, third invalid", &kWin2k, { { "disk\\A.INF", 1 }, { "disk\\B.INF", 2 }, { "disk\\C.INF", 0 } }, "", TWO_VALID, {} },
        { "two valid, invalid between", &kWin2k, { { "disk\\A.INF", 1 }, { "disk\\B.INF", 0 }, { "disk\\C.INF", 2 } }, "", TWO_VALID, {} },
        { "two valid, first invalid", &kWin2k, { { "disk\\A.INF", 0 }, { "disk\\B.INF", 1 }, { "disk\\C.INF", 2 } }, "", TWO_VALID, {} },
        { "two valid, third invalid", &kNt40, { { "disk\\A.INF", 1 }, { "disk\\B.INF", 2 }, { "disk\\C.INF", 0 } }, "", TWO_VALID, {} },
        { "two valid, first invalid", &kNt40, { { "disk\\A.INF", 0 }, { "disk\\B.INF", 1 }, { "disk\\C.INF", 2 } }, "", TWO_VALID, {} },
        { "two valid, invalid between", &kWin98, { { "disk\\A.INF", 1 }, { "disk\\B.INF", 0 }, { "disk\\C.INF", 2 } }, "", TWO_VALID, {} },
        { "named valid INF, no listing", &kWin2k, { { "disk\\NIC.INF", 0x3065 }, { "disk\\OTHER.INF", 0x3106 } }, "-f NIC.INF", DONE, { 0x3065 } },
        { "named valid INF, no listing", &kWin98, { { "disk\\NIC.INF", 0x3065 }, { "disk\\OTHER.INF", 0x3106 } }, "-f NIC.INF", DONE, { 0x3065 } },
        { "named INF invalid, listing", &kWin2k, { { "disk\\BAD.INF", 0 }, { "disk\\GOOD.INF", 0x3065 } }, "-f BAD.INF", DONE, { 0x3065 } },
        { "named INF missing, listing", &kWin2k, { { "disk\\GOOD.INF", 0x3065 } }, "-f NONE.INF", DONE, { 0x3065 } },
        { "oemsetup.inf wins over -f", &kNt40, { { "disk\\oemsetup.inf", 0x3065 }, { "disk\\OTHER.INF", 0x3106 } }, "-f OTHER.INF", DONE, { 0x3065 } },
        { "-f ignored on NT 4.0", &kNt40, { { "disk\\oemsetup.inf", 0 }, { "disk\\OTHER.INF", 0x3106 }, { "disk\\THIRD.INF", 0x3107 } }, "-f OTHER.INF", TWO_VALID, {} },
        { "INF in the -d folder", &kNt40, { { "l1\\l2\\l3\\NIC.INF", 0x0003 } }, deep, DONE, { 0x0003 } },
        { "one level up", &kNt40, { { "l1\\l2\\NIC.INF", 0x0012 } }, deep, DONE, { 0x0012 } },
        { "two levels up", &kNt40, { { "l1\\NIC.INF", 0x0001 } }, deep, DONE, { 0x0001 } },
        { "two levels up", &kWin2k, { { "l1\\NIC.INF", 0x0001 } }, deep, DONE, { 0x0001 } },
        { "nearest level first", &kNt40, { { "l1\\NIC.INF", 0x0001 }, { "l1\\l2\\NIC.INF", 0x0012 } }, deep, DONE, { 0x0012 } },
        { "three levels up", &kNt40, { { "NIC.INF", 0x0100 } }, deep, NO_INF, {} },
        { "three levels up", &kWin2k, { { "NIC.INF", 0x0100 } }, deep, NO_INF, {} },
        { "drive root", &kNt40, { { kDriveRootInf, 0x0C00 } }, deep, DONE, { 0x0C00 } },
        { "drive root", &kWin98, { { kDriveRootInf, 0x0C00 } }, deep, DONE, { 0x0C00 } },
        { "no INF", &kWin98, {}, "", NO_INF, {} },
        { "no INF", &kNt40, {}, "", NO_INF, {} },
        { "no INF", &kWin2k, {}, "", NO_INF, {} },
    };
    for (const Case& c : cases) {
        std::string name = std::string(c.name) + " on " + c.family->version;
        Clean();
        LayOutDisk(*c.family);
        for (const InfFile& file : c.files) {
            std::string path = file.path.rfind("C:\\", 0) == 0 ? file.path : root + "\\" + file.path;
            harness::MakeDirs(path.substr(0, path.rfind('\\')));
            harness::WriteFileText(path, file.device == 0 ? kInvalidInf : ValidInf(file.device));
        }
        std::string arguments = c.arguments;
        if (arguments.find("{root}") != std::string::npos)
            arguments.replace(arguments.find("{root}"), 6, root);
        RunResult result = RunNicstart(*c.family, arguments);
        ExpectOutcome(result, *c.family, c.outcome, c.outcome == DONE ? InstallLog(*c.family, c.devices) : Lines{ kLogStart },
                      name);
        if (c.outcome == DONE) {
            EXPECT_EQ(Recorded("cmdline"), disk + c.family->program + " " + arguments) << name;
        }
    }
}

// Wine's listing of "*.inf" returns x.info by its short alias, so the case above is live.
TEST_F(InfE2e, ListingReturnsShortAliasMatches)
{
    harness::WriteFileText(disk + "x.info", "");
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((disk + "*.inf").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_STREQ(found.cFileName, "x.info");
    FindClose(search);
}

TEST_F(InfE2e, HardwareIdLogEntries)
{
    const std::string nt4 = "[Identification]\r\nOptionType = NetAdapter\r\n[Options]\r\nVendorID = 4358\r\n"
                            "VT3065CFID = 811929862\r\n"      // 0x30651106
                            "VTOtherCFID = 305430662\r\n"     // 0x12348086, another vendor
                            "VTHexCFID = 0x30651106\r\n"      // reads as 0
                            ";VT3065CFID = 811929862\r\n"     // a comment
                            "[Other]\r\nVT0053CFID = 5443846\r\n"   // 0x00531106, any section
                            "VT3065CFID = 811929862\r\n";
    LayOutDisk(kNt40);
    harness::WriteFileText(disk + "oemsetup.inf", nt4);
    RunResult result = RunNicstart(kNt40, "");
    ExpectOutcome(result, kNt40, DONE,
                  { kLogStart, kLogHardwareID, CfidLog(0x30651106), CfidLog(0x00531106), CfidLog(0x30651106),
                    CfidLog(0x30651106), EntryLog(0x3065), CfidLog(0x12348086), CfidLog(0), CfidLog(0x00531106),
                    EntryLog(0x0053), CfidLog(0x30651106), EntryLog(0x3065), kLogCreateProcess, kLogEnd },
                  "NT 4.0 dialect");
}

TEST_F(InfE2e, HostileFiles)
{
    std::mt19937 random(1106);
    std::string bytes;
    for (int i = 0; i < 512 * 1024; ++i) {
        bytes += static_cast<char>(random() & 0xFF);
        if (i % 8192 == 0)
            bytes += "\n" + ValidInf(0x3065);
    }
    std::string noMarks;
    for (int i = 0; i < 512 * 1024; ++i)
        noMarks += static_cast<char>(random() & 0x7F);
    // The marks start a piece of their own, so that no piece boundary splits them.
    const std::string noLineFeed = std::string(127 * 8192, 'x') + " OptionType NetAdapter VendorID 4358 VEN_1106 "
                                   "{4d36e972-e325-11ce-bfc1-08002be10318} [MANUF] VTCFID = 811929862";
    // The file without line feeds is valid but names no hardware ID, so no adapter can
    // match and the run ends at the presence check.
    struct Case { const char* name; const std::string* content; bool valid; bool names; } cases[] = {
        { "random bytes with NULs and marks", &bytes, true, true },
        { "random bytes without marks", &noMarks, false, false },
        { "no line feed", &noLineFeed, true, false },
    };
    for (const Case& c : cases)
        for (const Family* family : { &kNt40, &kWin2k }) {
            std::string name = std::string(c.name) + " on " + family->version;
            Clean();
            LayOutDisk(*family);
            harness::WriteFileText(disk + (family->nt4 ? "oemsetup.inf" : "NIC.INF"), *c.content);
            RunResult result = RunNicstart(*family, "");
            EXPECT_EQ(result.exitCode, 0u) << name;
            ASSERT_EQ(result.boxes.size(), 1u) << name;
            EXPECT_EQ(result.boxes[0].text, !c.valid ? kMsgNoInf : c.names ? family->done : kMsgNoAdapter) << name;
            Lines log = LogLines();
            ASSERT_GE(log.size(), 1u) << name;
            if (c.valid) {
                ASSERT_GE(log.size(), 2u) << name;
                EXPECT_EQ(log[1], kLogHardwareID) << name;
                bool ran = log.size() >= 4 && log[log.size() - 2] == kLogCreateProcess && log.back() == kLogEnd;
                EXPECT_EQ(ran, c.names) << name;
            } else {
                EXPECT_EQ(log, Lines{ kLogStart }) << name;
            }
        }
}

// A file that another program holds open without sharing counts as not valid.
TEST_F(InfE2e, InfFileThatCannotBeOpened)
{
    struct Case { const char* name; bool otherValid; Outcome outcome; } cases[] = {
        { "only INF locked", false, NO_INF },
        { "locked valid INF beside another valid one", true, DONE },
    };
    for (const Case& c : cases) {
        Clean();
        LayOutDisk(kWin2k);
        harness::WriteFileText(disk + "LOCKED.INF", ValidInf(0x3065));
        if (c.otherValid)
            harness::WriteFileText(disk + "NIC.INF", ValidInf(0x3106));
        HANDLE lock = CreateFileA((disk + "LOCKED.INF").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(lock, INVALID_HANDLE_VALUE);
        RunResult result = RunNicstart(kWin2k, "-f LOCKED.INF");
        CloseHandle(lock);
        ExpectOutcome(result, kWin2k, c.outcome, c.outcome == DONE ? InstallLog(kWin2k, {}) : Lines{ kLogStart },
                      c.name);
    }
}

// A listed INF name whose path beside its folder exceeds 259 characters is refused
// whole, never shortened, and the refusal is logged.  (The other limits lie beyond what
// a command line of 255 characters can name; the unit tests of infread.cpp call the
// operations directly.)
TEST_F(InfE2e, ListedNameAtThePathLimit)
{
    auto nameOfLength = [](size_t length) { return std::string(length - 4, 'n') + ".inf"; };
    const std::string name259 = nameOfLength(259 - disk.size());
    const std::string name260 = nameOfLength(260 - disk.size());
    struct Case { const char* name; const Family* family; std::string file; Outcome outcome; Lines log; } cases[] = {
        { "path of 259", &kWin98, name259, DONE, InstallLog(kWin98, {}) },
        { "path of 259", &kNt40, name259, DONE, InstallLog(kNt40, { 0x3065 }) },
        { "path of 260", &kNt40, name260, NO_INF, { kLogStart, TooLongLog("bIsValidInf", disk + name260) } },
        { "path of 260", &kWin2k, name260, NO_INF, { kLogStart, TooLongLog("bIsValidInf", disk + name260) } },
    };
    for (const Case& c : cases) {
        std::string name = std::string(c.name) + " on " + c.family->version;
        Clean();
        LayOutDisk(*c.family);
        harness::WriteFileText(disk + c.file, ValidInf(0x3065));
        RunResult result = RunNicstart(*c.family, "");
        ExpectOutcome(result, *c.family, c.outcome, c.log, name);
    }
}

// The 50 MB INF file: read three times (validity test, sizing, filling) one piece at
// a time, so the run's memory grows by the list alone.
TEST_F(InfE2e, FiftyMegabyteInf)
{
    const size_t kSize = 50u << 20;
    const std::string header = "[Version]\r\nClassGUID={4d36e972-e325-11ce-bfc1-08002be10318}\r\n"
                               "[Identification]\r\nOptionType = NetAdapter\r\n[Options]\r\nVendorID = 4358\r\n"
                               "[MANUF]\r\n";
    const std::string filler = "%OTHER% = Other.ndi, PCI\\VEN_8086&DEV_1229 ; " + std::string(60, '-') + "\r\n";
    struct Case { const Family* family; int entryEvery; } cases[] = {
        { &kWin2k, 1000 },
        { &kNt40, 1000 },
        { &kWin2k, 1 },   // every line an entry: the list is several times the file
    };
    for (const Case& c : cases) {
        const Family& family = *c.family;
        std::string name = "50 MB on " + std::string(family.version) + ", an entry every " +
                           std::to_string(c.entryEvery) + " lines";
        Clean();
        LayOutDisk(family);
        const std::string file = disk + (family.nt4 ? "oemsetup.inf" : "NIC.INF");
        harness::WriteFileText(file, header);
        RunResult small = RunNicstart(family, "");
        ASSERT_EQ(small.exitCode, 0u);

        const std::string entry = family.nt4 ? "VT3065CFID = 811929862\r\n" : "%NIC% = NIC.ndi, PCI\\VEN_1106&DEV_3065\r\n";
        std::string text = header;
        text.reserve(kSize + 256);
        int entries = 0;
        for (int line = 0; text.size() < kSize; ++line) {
            bool isEntry = line % c.entryEvery == 0;
            text += isEntry ? entry : filler;
            entries += isEntry;
        }
        harness::WriteFileText(file, text);
        DeleteFileA(kLogPath);
        DWORD started = GetTickCount();
        RunResult big = RunNicstart(family, "", 120000);
        DWORD elapsed = GetTickCount() - started;
        ASSERT_EQ(big.boxes.size(), 1u) << name;
        EXPECT_EQ(big.boxes[0].text, family.done) << name;
        EXPECT_LT(elapsed, 30000u) << name;
        SIZE_T list = static_cast<SIZE_T>(entries) * 256;
        SIZE_T grown = big.peakWorkingSetBytes > small.peakWorkingSetBytes
                           ? big.peakWorkingSetBytes - small.peakWorkingSetBytes : 0;
        EXPECT_LT(grown, list + (8u << 20)) << name;
        if (list > (64u << 20)) {
            EXPECT_GT(grown, list / 2) << name << ": the list was not built";
        }
        EXPECT_EQ(LogLines().size(), 4 + (family.nt4 ? 3u * entries : 0u)) << name;
        // SIZE_T is unsigned long on i686 and unsigned long long on x86_64; the sizes in
        // KB fit an unsigned long on both.
        printf("%s: %zu bytes, %d entries (list %lu KB), %lu ms, peak working set %lu KB (header only: %lu KB)\n",
               name.c_str(), text.size(), entries, static_cast<unsigned long>(list >> 10), elapsed,
               static_cast<unsigned long>(big.peakWorkingSetBytes >> 10),
               static_cast<unsigned long>(small.peakWorkingSetBytes >> 10));
    }
}

// Real INF files of other vendors: as the named INF and as the only INF of a disk,
// on each Windows family, none is taken.
TEST_F(InfE2e, RealInfFilesOfOtherVendors)
{
    if (std::string(NIC_REAL_INFS_DIR).empty())
        GTEST_SKIP() << "the shared folder with the real INF files is absent";
    const std::string realInfs = NIC_REAL_INFS_DIR "\\";
    Lines names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((realInfs + "*.inf").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE) << realInfs;
    do
        names.push_back(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    EXPECT_GE(names.size(), 10u);

    for (const std::string& inf : names)
        for (const Family* family : kFamilies)
            for (bool named : { true, false }) {
                std::string name = inf + (named ? " named" : " alone") + " on " + family->version;
                Clean();
                LayOutDisk(*family);
                std::string arguments;
                if (!named)
                    harness::CopyFileOrDie(realInfs + inf, disk + inf);
                else if (family->nt4)
                    harness::CopyFileOrDie(realInfs + inf, disk + "oemsetup.inf");
                else
                    arguments = "-d " + realInfs + " -f " + inf;
                RunResult result = RunNicstart(*family, arguments);
                ExpectOutcome(result, *family, NO_INF, { kLogStart }, name);
            }
}

}  // namespace
