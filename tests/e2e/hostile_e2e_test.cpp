// The hostile-input matrix of nicstart.exe, run through the real program under wine
// against a simulated bus: INF files, command lines, folders, the setup log and the INF
// store.  Each case is a row with the outcome decided for it: the exit code, the one
// message box, what the setup program received (or that it never ran), the log, and the
// files deleted or kept.  Every run is time-limited; none may hang, crash, delete a
// file it should keep, or report a failure as success.  No run restarts Windows: a row
// whose arguments hold -b makes the setup program fail, and questions are answered No.
//
// Cases of the matrix that other tests already check, with the same outcome:
//   inf_e2e_test        INF files of random bytes with NULs (with and without marks),
//                       with no line feed, of 50 MB; an INF file held open without
//                       sharing (named and alone); INF paths of 259 and 260 characters
//   launcher_e2e_test   arguments of 10,000 characters, -d of 1,000 and -f of 300
//                       characters, -d with no value, quotes and tabs passed on exactly,
//                       disk folders up to a launcher path of 259 characters (setup
//                       program beside it), no TEMP folder under the Windows folder
//   cleanup_e2e_test    read-only (hidden, system) stored INF files, a stored file held
//                       open without delete sharing, stored paths of 259 and 260
//   hostile_nicprop_test  the library's rows: quoted lists, long lists, 100 properties,
//                       1,000-digit texts, short argument arrays
#include "harness.h"
#include "disktest.h"
#include "launcher_texts.h"
#include "nicdisk.h"

#include <gtest/gtest.h>

#include <stdio.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

using harness::RunResult;
using Lines = std::vector<std::string>;

namespace {

using namespace launcher_texts;

const std::string kLogExamined = "vDeleteInfFile----------";
const std::string kLogDeleted = "vDeleteInfFile DeleteFile----------";
const int kNotDeleted = -1;

const char kTempFolder[] = "C:\\windows\\temp";
const char kTempAway[] = "C:\\windows\\temp.hostile";
const char kInfStore[] = "C:\\windows\\inf\\";
const std::string kNetGuid = "{4d36e972-e325-11ce-bfc1-08002be10318}";

const uint16_t kOnTheBus = harness::kSampleDeviceId;   // the simulated bus's adapter
const uint16_t kNotOnTheBus = 0x3106;
const unsigned kSetupFails = 3;       // after this exit code nothing restarts or asks
const DWORD kRunLimitMs = 20000;      // a run takes about a second; more is a hang

struct Family {
    const char* version;
    const char* program;
    bool nt4;
    const char* done;          // what a successful install run shows
    const char* doneButtons;
};
const Family kWin2k = { "win2k", "INST2K.EXE", false, kMsgInstalled, "OK" };
const Family kNt40 = { "nt40", "INSTNT4.EXE", true, kAskInstall, "YesNo" };

// How a run ends.  Each has one exit code and at most one message box.
enum Outcome {
    DONE,              // the setup program ran and succeeded: the family's completion box
    UNINSTALLED,       // the same after -r (Windows 2000)
    NO_BOX,            // the setup program ran and failed: no box
    NO_INF,            // "Can not find any inf files!", exit code 0, nothing ran
    NO_ADAPTER,        // "Can not find proper NIC ...", exit code 0, nothing ran
    TWO_VALID,         // "There are more than two Valid INF files! ...", exit code 1
    COMMAND_TOO_LONG,  // refused with exit code 3 before anything ran
    FOLDER_TOO_LONG,   // the same
};

struct Decided {
    DWORD exitCode;
    const char* box;           // nullptr: no box
    const char* buttons;
    bool runs;                 // the setup program is started
};

Decided Decide(Outcome outcome, const Family& family)
{
    switch (outcome) {
    case DONE: return { 0, family.done, family.doneButtons, true };
    case UNINSTALLED: return { 0, kMsgUninstalled, "OK", true };
    case NO_BOX: return { 0, nullptr, "", true };
    case NO_INF: return { 0, kMsgNoInf, "OK", false };
    case NO_ADAPTER: return { 0, kMsgNoAdapter, "OK", false };
    case TWO_VALID: return { 1, kMsgTwoValid, "OK", false };
    case COMMAND_TOO_LONG: return { 3, kMsgCommandTooLong, "OK", false };
    case FOLDER_TOO_LONG: return { 3, kMsgFolderTooLong, "OK", false };
    }
    return {};
}

std::string Hex4(unsigned value)
{
    char text[8];
    snprintf(text, sizeof text, "%04X", value);
    return text;
}

// A valid INF file of the family that names one adapter.
std::string AdapterInf(const Family& family, uint16_t device)
{
    if (family.nt4)
        return harness::Nt4Inf({ static_cast<uint32_t>(device) << 16 | 0x1106 });
    return harness::DeviceInf({ "PCI\\VEN_1106&DEV_" + Hex4(device) });
}

std::string Utf16WithBom(const std::string& text)
{
    std::string wide = "\xFF\xFE";
    for (char c : text) {
        wide += c;
        wide += '\0';
    }
    return wide;
}

const std::string kMegabyteLine = std::string(1 << 20, 'x') + "\r\n";
const std::string kCtrlZ = "\x1A";
const std::string kUtf8Bom = "\xEF\xBB\xBF";
std::string Nuls(size_t count) { return std::string(count, '\0'); }

// What lies on the disk or in the store, and what another program does with it during
// the run.
enum ItemKind {
    PLAIN_FILE,
    FOLDER,
    NOT_SHARED,     // held open without any sharing
};

struct Item {
    std::string path;   // under the test root, or in the INF store
    std::string content;
    ItemKind kind = PLAIN_FILE;
};

void Place(const std::string& path, const Item& item)
{
    if (item.kind == FOLDER) {
        harness::MakeDirs(path);
        return;
    }
    harness::MakeDirs(path.substr(0, path.rfind('\\')));
    harness::WriteFileText(path, item.content);
}

// The handles that "another program" holds on items while nicstart runs.  Byte-range
// locks (LockFile) are left out: Wine does not enforce them against another process's
// reads and writes, so such a row would not show what Windows does.
class Holds {
public:
    ~Holds() { Release(); }

    void Take(const std::string& path, ItemKind kind)
    {
        if (kind != NOT_SHARED)
            return;
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE) << path << ": error " << GetLastError();
        handles_.push_back(file);
    }

    void Release()
    {
        for (HANDLE file : handles_)
            CloseHandle(file);
        handles_.clear();
    }

private:
    std::vector<HANDLE> handles_;
};

bool Writable(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// A folder of exactly `length` characters under `root`, ending in a backslash.
std::string FolderOfLength(const std::string& root, size_t length)
{
    std::string folder = root + "\\";
    while (folder.size() < length) {
        size_t remaining = length - folder.size();
        size_t part = remaining <= 61 ? remaining - 1 : std::min<size_t>(60, remaining - 3);
        folder += std::string(part, 'L') + "\\";
    }
    return folder;
}

// One run of nicstart.exe on a disk laid out by the row.  {root} and {disk} in the
// arguments stand for the test's root folder and the disk folder (with its backslash).
struct DiskCase {
    const char* name;
    const Family* family;
    std::vector<Item> items;      // paths under the test root
    std::string arguments;
    Outcome outcome;
    const char* received = nullptr;   // the setup program's arguments; nullptr: as given
    unsigned setupExit = 0;
    bool cleansUp = false;            // the uninstall clean-up runs after the setup program
};

class Hostile : public harness::DiskTest {
protected:
    // nicstart.exe in the disk folder; the setup program and the PCI driver in `sub`.
    void LayOutDisk(const Family& family, const std::string& sub = "")
    {
        harness::MakeDirs(disk + sub);
        harness::CopyFileOrDie(harness::BuildDir() + "\\launcher\\nicstart.exe", disk + "nicstart.exe");
        harness::CopyFileOrDie(harness::BuildDir() + "\\tests\\doubles\\setupprog.exe", disk + sub + family.program);
        harness::InstallPcipeek(disk + sub);
    }

    RunResult RunNicstart(const Family& family, const std::string& arguments, unsigned setupExit = 0)
    {
        if (arguments.find("-b") != std::string::npos && setupExit == 0) {
            ADD_FAILURE() << "a run with -b and exit code 0 would restart Windows: not in this prefix";
            return RunResult();
        }
        DeleteFileA((root + "\\record.txt").c_str());
        harness::SetWindowsVersion("nicstart.exe", family.version);
        harness::RunOptions options;
        options.commandLine = disk + "nicstart.exe" + (arguments.empty() ? "" : " " + arguments);
        options.environment = { { "NICTEST_RECORD", root + "\\record.txt" },
                                { "NICTEST_EXIT", std::to_string(setupExit) } };
        options.timeoutMs = kRunLimitMs;
        RunResult result = harness::RunOnBus(family.version, options, harness::PciBus().Add(harness::PciFunction()));
        EXPECT_TRUE(result.started) << "error " << result.startError;
        EXPECT_FALSE(result.timedOut) << "the run hung";
        return result;
    }

    // The run ended as decided: exit code, its one box (or none), and whether the setup
    // program ran, with `received` as its arguments.  The log agrees: a run that started
    // the setup program has its CreateProcess entry and ends with the end entry, and its
    // clean-up entries when the clean-up ran; any other run has none of them.
    void ExpectOutcome(const RunResult& result, const Family& family, Outcome outcome, const std::string& received,
                       bool cleansUp, const std::string& name)
    {
        Decided decided = Decide(outcome, family);
        EXPECT_EQ(result.exitCode, decided.exitCode) << name;
        if (decided.box == nullptr) {
            EXPECT_TRUE(result.boxes.empty()) << name << ": got the box \""
                                              << (result.boxes.empty() ? "" : result.boxes[0].text) << "\"";
        } else if (result.boxes.size() != 1) {
            ADD_FAILURE() << name << ": got " << result.boxes.size() << " boxes, expected \"" << decided.box << "\"";
        } else {
            EXPECT_EQ(result.boxes[0].caption, "NicStart") << name;
            EXPECT_EQ(result.boxes[0].text, decided.box) << name;
            EXPECT_EQ(result.boxes[0].Buttons(), decided.buttons) << name;
        }
        EXPECT_EQ(Recorded("cmdline"), decided.runs ? disk + family.program + " " + received : "(not run)") << name;
        Lines log = LogLines();
        bool created = std::find(log.begin(), log.end(), kLogCreateProcess) != log.end();
        EXPECT_EQ(created, decided.runs) << name << ": CreateProcess entry";
        EXPECT_EQ(!log.empty() && log.back() == kLogEnd, decided.runs) << name << ": end entry";
        bool cleaned = std::find(log.begin(), log.end(), kLogCleanupStart) != log.end();
        EXPECT_EQ(cleaned, cleansUp) << name << ": clean-up entries";
        EXPECT_TRUE(!log.empty() && log.front() == kLogStart) << name << ": start entry";
    }

    void RunDiskCases(const std::vector<DiskCase>& cases)
    {
        for (const DiskCase& c : cases) {
            std::string name = std::string(c.name) + " on " + c.family->version;
            ResetDisk();
            LayOutDisk(*c.family);
            Holds holds;
            for (const Item& item : c.items) {
                Place(root + "\\" + item.path, item);
                holds.Take(root + "\\" + item.path, item.kind);
            }
            std::string arguments = Replaced(Replaced(c.arguments, "{disk}", disk), "{root}", root);
            RunResult result = RunNicstart(*c.family, arguments, c.setupExit);
            holds.Release();
            ExpectOutcome(result, *c.family, c.outcome, c.received != nullptr ? c.received : arguments, c.cleansUp,
                          name);
        }
    }

    // What the stand-in setup program recorded: "cmdline", "cwd" or "exit".
    std::string Recorded(const std::string& key)
    {
        return launcher_texts::Recorded(root + "\\record.txt", key);
    }

    // The log without the presence check's entries, which presence_e2e_test checks.
    static Lines LogLines() { return launcher_texts::LogWithoutPresenceEntries(); }
};

// INF text is 8-bit text read in 127-character pieces in text mode: a Ctrl-Z ends it,
// UTF-16 is not read as INF text, and no line length or byte value upsets the reading.
// Folders, locked files and device names are never taken for INF files.
TEST_F(Hostile, InfFiles)
{
    const std::string marksOnly = "; PCI\\VEN_1106 " + kNetGuid + "\r\n";
    const std::string valid = AdapterInf(kWin2k, kOnTheBus);
    RunDiskCases({
        { "a 1 MB line before the INF text", &kWin2k, { { "disk\\NIC.INF", kMegabyteLine + valid } }, "", DONE },
        { "a 1 MB line before the INF text", &kNt40,
          { { "disk\\oemsetup.inf", kMegabyteLine + AdapterInf(kNt40, kOnTheBus) } }, "", DONE },
        { "a 1 MB line inside the model section", &kWin2k,
          { { "disk\\NIC.INF",
              harness::DeviceInf({ std::string(1 << 20, 'x'), "PCI\\VEN_1106&DEV_" + Hex4(kOnTheBus) }) } },
          "", DONE },
        { "Ctrl-Z before the INF text", &kWin2k, { { "disk\\NIC.INF", kCtrlZ + valid } }, "", NO_INF },
        { "Ctrl-Z between the marks and the model section", &kWin2k,
          { { "disk\\NIC.INF", marksOnly + kCtrlZ + valid } }, "", NO_ADAPTER },
        { "Ctrl-Z between the marks and the configuration ID", &kNt40,
          { { "disk\\oemsetup.inf", harness::Nt4Inf({}) + kCtrlZ + AdapterInf(kNt40, kOnTheBus) } }, "", NO_ADAPTER },
        { "a second INF whose marks follow a Ctrl-Z", &kWin2k,
          { { "disk\\A.INF", valid }, { "disk\\B.INF", kCtrlZ + AdapterInf(kWin2k, kNotOnTheBus) } }, "", DONE },
        { "binary bytes after a Ctrl-Z", &kWin2k, { { "disk\\NIC.INF", valid + kCtrlZ + Nuls(64) + "\xFF[\n" } },
          "", DONE },
        { "UTF-16 with a byte-order mark", &kWin2k, { { "disk\\NIC.INF", Utf16WithBom(valid) } }, "", NO_INF },
        { "UTF-16 with a byte-order mark", &kNt40,
          { { "disk\\oemsetup.inf", Utf16WithBom(AdapterInf(kNt40, kOnTheBus)) } }, "", NO_INF },
        { "UTF-8 with a byte-order mark", &kWin2k, { { "disk\\NIC.INF", kUtf8Bom + valid } }, "", DONE },
        { "an empty INF file", &kWin2k, { { "disk\\NIC.INF", "" } }, "", NO_INF },
        { "a folder named NIC.INF", &kWin2k, { { "disk\\NIC.INF", "", FOLDER } }, "", NO_INF },
        { "a folder named oemsetup.inf", &kNt40, { { "disk\\oemsetup.inf", "", FOLDER } }, "", NO_INF },
        { "a folder named A.INF beside a valid B.INF", &kWin2k,
          { { "disk\\A.INF", "", FOLDER }, { "disk\\B.INF", valid } }, "", DONE },
        { "-f names a folder x.inf", &kWin2k, { { "disk\\x.inf", "", FOLDER }, { "disk\\NIC.INF", valid } },
          "-f x.inf", DONE },
        { "-f COM1 (a serial port)", &kWin2k, { { "disk\\NIC.INF", valid } }, "-f COM1", DONE },
        { "-f aux.inf (a device with an extension)", &kWin2k, { { "disk\\NIC.INF", valid } }, "-f aux.inf", DONE },
        { "-f *.INF with two valid INF files", &kWin2k,
          { { "disk\\A.INF", valid }, { "disk\\B.INF", valid } }, "-f *.INF", TWO_VALID },
        { "-d names the INF file itself", &kWin2k, { { "disk\\NIC.INF", valid } }, "-d {disk}NIC.INF", DONE },
    });
}

// Options are plain substrings, and only the first occurrence of each counts, for its
// value and for blanking.  Quotes and tabs are ordinary characters of a value.
TEST_F(Hostile, CommandLines)
{
    const std::string valid = AdapterInf(kWin2k, kOnTheBus);
    const Item inDisk = { "disk\\NIC.INF", valid };
    const Item inSubFolder = { "disk\\inf\\NIC.INF", valid };
    std::string options32k;
    while (options32k.size() < 32000)
        options32k += "-r -b -k -d -f ";
    options32k.resize(32000);
    RunDiskCases({
        { "-r twice", &kWin2k, {}, "-r -r", UNINSTALLED, nullptr, 0, true },
        { "-k twice in an uninstall run: the first blanked", &kWin2k, {}, "-r -k -k", UNINSTALLED, "-r    -k" },
        { "-b twice: the first blanked", &kWin2k, { inDisk }, "-b -b", NO_BOX, "   -b", kSetupFails },
        { "-d twice: the first counts", &kWin2k, { { "disk\\inb\\NIC.INF", valid } },
          "-d {disk}ina -d {disk}inb", NO_INF },
        { "-f twice: the first counts", &kWin2k,
          { { "disk\\A.INF", valid }, { "disk\\B.INF", AdapterInf(kWin2k, kNotOnTheBus) } },
          "-f A.INF -f B.INF", DONE },
        { "-f twice: the first counts", &kWin2k,
          { { "disk\\A.INF", valid }, { "disk\\B.INF", AdapterInf(kWin2k, kNotOnTheBus) } },
          "-f B.INF -f A.INF", NO_ADAPTER },
        { "-f with no value", &kWin2k, { inDisk }, "-f", DONE },
        { "-f whose value is -d", &kWin2k, { inSubFolder }, "-f -d {disk}inf", DONE },
        { "-d whose value is -f", &kWin2k, { inDisk }, "-d -f NIC.INF", NO_INF },
        { "32,000 characters of options", &kWin2k, { inDisk }, options32k, COMMAND_TOO_LONG, nullptr, kSetupFails },
        { "a quoted -d folder holding a blank", &kWin2k, { { "with blank\\NIC.INF", valid } },
          "-d \"{root}\\with blank\"", NO_INF },
        { "a quoted -f name", &kWin2k, { inDisk }, "-f \"NIC.INF\"", DONE },
        { "a tab after -d", &kWin2k, { inSubFolder }, "-d\t{disk}inf", NO_INF },
        { "a tab after -f", &kWin2k, { inDisk }, "-f\tNIC.INF", DONE },
        { "options glued together", &kWin2k, {}, "-rx-ky", UNINSTALLED, "-rx  y" },
        { "an uninstall run with hostile -d and -f", &kWin2k, {}, "-r -f COM1 -d \"", UNINSTALLED, nullptr, 0, true },
    });
}

// The setup program only in the sub-folder "nicstart": its folder, path and command
// line grow by that folder's name.  A path that does not fit is refused with the folder
// message, whichever buffer it overflows first.
TEST_F(Hostile, SetupProgramInTheSubFolderOfALongDiskFolder)
{
    struct Case { size_t diskLength; Outcome outcome; } cases[] = {
        { 235, DONE },               // command line of 255 characters
        { 236, COMMAND_TOO_LONG },   // 256
        { 240, FOLDER_TOO_LONG },    // the program's path of 259 no longer fits 255
        { 241, FOLDER_TOO_LONG },    // 260: no longer fits a path either, so it is not looked for
    };
    for (const Case& c : cases) {
        std::string name = "disk folder of " + std::to_string(c.diskLength) + " characters";
        ResetDisk(FolderOfLength(root, c.diskLength));
        ASSERT_EQ(disk.size(), c.diskLength);
        LayOutDisk(kWin2k, "nicstart\\");
        harness::WriteFileText(disk + "nicstart\\NIC.INF", AdapterInf(kWin2k, kOnTheBus));
        ASSERT_TRUE(harness::FileExists(disk + "nicstart\\" + kWin2k.program)) << name;
        RunResult result = RunNicstart(kWin2k, "");
        Decided decided = Decide(c.outcome, kWin2k);
        EXPECT_EQ(result.exitCode, decided.exitCode) << name;
        ASSERT_EQ(result.boxes.size(), 1u) << name;
        EXPECT_EQ(result.boxes[0].text, decided.box) << name;
        EXPECT_EQ(Recorded("cmdline"), decided.runs ? disk + "nicstart\\" + kWin2k.program + " " : "(not run)") << name;
        if (decided.runs) {
            EXPECT_EQ(Recorded("cwd"), disk + "nicstart") << name;
        }
    }
}

// A log that cannot be written costs its entries and nothing else: the run goes on
// unchanged, and whatever stands in the log's place is left as it was.
TEST_F(Hostile, LogThatCannotBeWritten)
{
    const std::string kOldLog = "an entry of an earlier run\r\n";
    enum Obstacle { TEMP_IS_A_FILE, READ_ONLY_LOG, LOG_NOT_SHARED, LOG_IS_A_FOLDER };
    struct Case { const char* name; Obstacle obstacle; } cases[] = {
        { "TEMP under the Windows folder is a file", TEMP_IS_A_FILE },
        { "a read-only log file", READ_ONLY_LOG },
        { "a log file held open without sharing", LOG_NOT_SHARED },
        { "a folder in the log file's place", LOG_IS_A_FOLDER },
    };
    LayOutDisk(kWin2k);
    harness::WriteFileText(disk + "NIC.INF", AdapterInf(kWin2k, kOnTheBus));
    for (const Case& c : cases) {
        DeleteFileA(kLogPath);
        Holds holds;
        bool readOnlyHolds = true;
        switch (c.obstacle) {
        case TEMP_IS_A_FILE:
            ASSERT_TRUE(MoveFileA(kTempFolder, kTempAway));
            harness::WriteFileText(kTempFolder, kOldLog);
            break;
        case LOG_IS_A_FOLDER:
            ASSERT_TRUE(CreateDirectoryA(kLogPath, nullptr));
            break;
        default:
            harness::WriteFileText(kLogPath, kOldLog);
            if (c.obstacle == READ_ONLY_LOG) {
                ASSERT_TRUE(SetFileAttributesA(kLogPath, FILE_ATTRIBUTE_READONLY));
                readOnlyHolds = !Writable(kLogPath);
            }
            holds.Take(kLogPath, c.obstacle == LOG_NOT_SHARED ? NOT_SHARED : PLAIN_FILE);
            break;
        }
        RunResult result = RunNicstart(kWin2k, "-k");
        holds.Release();

        // What stands in the log's place now; then the prefix is put right again before
        // anything is checked.
        std::string left;
        if (c.obstacle == TEMP_IS_A_FILE) {
            left = harness::ReadFileText(kTempFolder);
            DeleteFileA(kTempFolder);
            ASSERT_TRUE(MoveFileA(kTempAway, kTempFolder));
        } else if (c.obstacle == LOG_IS_A_FOLDER) {
            left = RemoveDirectoryA(kLogPath) ? "(an empty folder)" : "(not an empty folder)";
        } else {
            SetFileAttributesA(kLogPath, FILE_ATTRIBUTE_NORMAL);
            left = harness::ReadFileText(kLogPath);
        }
        if (c.obstacle == READ_ONLY_LOG && !readOnlyHolds)
            printf("%s: this prefix lets its owner write a read-only file (wine run as root), so only "
                   "the run's outcome is checked\n", c.name);
        else
            EXPECT_EQ(left, c.obstacle == LOG_IS_A_FOLDER ? "(an empty folder)" : kOldLog) << c.name;
        ASSERT_EQ(result.boxes.size(), 1u) << c.name;
        EXPECT_EQ(result.boxes[0].text, kMsgInstalled) << c.name;
        EXPECT_EQ(result.exitCode, 0u) << c.name;
        EXPECT_EQ(Recorded("cmdline"), disk + kWin2k.program + " -k") << c.name;
    }
    DeleteFileA(kLogPath);
}

// The uninstall clean-up deletes a stored file only when it has read both markers in
// it: what cannot be opened, read or recognised as 8-bit text stays, and a file's name
// reaches the log as text, never as a format.
TEST_F(Hostile, InfStore)
{
    const std::string adapter = AdapterInf(kWin2k, kOnTheBus);
    struct Case { const char* name; Item item; bool deleted; } cases[] = {
        { "held open without any sharing", { "oem92.inf", adapter, NOT_SHARED }, false },
        { "a folder", { "oem93.inf", "", FOLDER }, false },
        { "Ctrl-Z before the vendor marker",
          { "oem94.inf", "ClassGUID=" + kNetGuid + "\r\n" + kCtrlZ + adapter }, false },
        { "UTF-16 with a byte-order mark", { "oem95.inf", Utf16WithBom(adapter) }, false },
        { "markers after a 1 MB line", { "oem96.inf", kMegabyteLine + adapter }, true },
        { "NULs before the markers in their line",
          { "oem97.inf", Nuls(3) + " " + kNetGuid + " PCI\\VEN_1106\r\n" }, false },
        { "a line of NULs before the markers", { "oem98.inf", Nuls(64) + "\r\n" + adapter }, true },
        { "empty", { "oem99.inf", "" }, false },
        { "printf conversions in the name", { "oem%s%n%x.inf", adapter }, true },
    };
    LayOutDisk(kWin2k);
    Holds holds;
    std::map<std::string, int> expected;
    for (const Case& c : cases) {
        std::string path = kInfStore + c.item.path;
        Place(path, c.item);
        holds.Take(path, c.item.kind);
        expected[path] = c.deleted ? 0 : kNotDeleted;
    }
    RunResult result = RunNicstart(kWin2k, "-r", kSetupFails);
    holds.Release();
    ExpectOutcome(result, kWin2k, NO_BOX, "-r", true, "uninstall run");

    // Each examined file's entry, with the error code logged after its deletion.
    std::map<std::string, int> logged;
    std::string last;
    for (const std::string& line : LogLines()) {
        if (line.rfind(kLogDeleted, 0) == 0 && !last.empty())
            logged[last] = std::stoi(line.substr(kLogDeleted.size()));
        else if (line.rfind(kLogExamined, 0) == 0)
            logged[last = line.substr(kLogExamined.size())] = kNotDeleted;
    }
    for (const Case& c : cases) {
        std::string path = kInfStore + c.item.path;
        DWORD attributes = GetFileAttributesA(path.c_str());
        EXPECT_EQ(attributes == INVALID_FILE_ATTRIBUTES, c.deleted) << c.name;
        if (!c.deleted && c.item.kind != FOLDER) {
            EXPECT_EQ(harness::ReadFileText(path), c.item.content) << c.name;
        }
        EXPECT_EQ(logged.count(path) ? logged[path] : -2, expected[path])
            << c.name << ": logged error code (-1: examined, not deleted; -2: not logged)";
        if (c.item.kind == FOLDER)
            RemoveDirectoryA(path.c_str());
        else
            DeleteFileA(path.c_str());
    }
    EXPECT_EQ(logged, expected) << "every examined file, once";
}

}  // namespace
