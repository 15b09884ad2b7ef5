// nicdisk check over driver disks that the tests lay out: the report's details, its
// warnings, the summary lines and the exit code.
#include "diskcheck.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string kDeviceInf =
    "[Version]\nClass = Net\nClassGUID = {4d36e972-e325-11ce-bfc1-08002be10318}\n"
    "[MANUF]\n%A% = A.ndi, PCI\\VEN_1106&DEV_5AB0\n%B% = B.ndi, PCI\\VEN_1106&DEV_5AB1\n[A.ndi]\n";
const std::string kNt4Script =
    "[Identification]\n    OptionType = NetAdapter\n[FileConstants]\n    VendorID = 4358\n"
    "    NICPCI_VTCFID = 1521488134\n";

typedef std::map<std::string, std::string> Files;   // path on the disk (with /) -> content

// The sample disk's layout: every setup program and the driver beside nicstart.exe.
Files ReadyDisk()
{
    return { { "INST9X.EXE", "x" }, { "INSTNT4.EXE", "x" }, { "INST2K.EXE", "x" },
             { "PCIPEEK.SYS", "x" }, { "NIC.INF", kDeviceInf }, { "oemsetup.inf", kNt4Script } };
}

Files With(Files files, const std::string& path, const std::string& content)
{
    files[path] = content;
    return files;
}

Files Without(Files files, const std::string& path)
{
    files.erase(path);
    return files;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    text.replace(text.find(from), from.size(), to);
    return text;
}

struct Report {
    int iExit;
    std::string text;
};

class DiskFolder {
public:
    explicit DiskFolder(const Files& files)
    {
        char szTemplate[] = "/tmp/nicdisk-test-XXXXXX";
        root_ = mkdtemp(szTemplate);
        for (const auto& [path, content] : files) {
            fs::path target = fs::path(root_) / path;
            fs::create_directories(target.parent_path());
            std::ofstream(target, std::ios::binary) << content;
        }
    }
    ~DiskFolder() { fs::remove_all(root_); }
    const std::string& Path() const { return root_; }

private:
    std::string root_;
};

Report Check(const std::string& folder, std::vector<std::string> extra = {})
{
    std::vector<std::string> args = { "nicdisk", "check", folder };
    args.insert(args.end(), extra.begin(), extra.end());
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    char* pText = nullptr;
    size_t uSize = 0;
    FILE* pOut = open_memstream(&pText, &uSize);
    int iExit = iNicdiskMain(static_cast<int>(argv.size()), argv.data(), pOut, pOut);
    fclose(pOut);
    Report report = { iExit, std::string(pText, uSize) };
    free(pText);
    return report;
}

struct DiskCase {
    const char* szName;
    Files files;
    std::vector<std::string> args;
    int iExit;
    std::vector<std::string> expected;   // lines (or parts of lines) the report holds
};

}  // namespace

TEST(NicdiskCheck, ReportsWhatEachFamilyWouldDo)
{
    const std::string upperGuid = Replaced(kDeviceInf, "4d36e972-e325-11ce-bfc1-08002be10318",
                                           "4D36E972-E325-11CE-BFC1-08002BE10318");
    const DiskCase kCases[] = {
        { "ready disk", ReadyDisk(), {}, 0,
          { "95/98/Me: ready", "NT 4.0: ready", "2000/XP/2003: ready",
            "  command line: \"A:\\INST2K.EXE \"", "  INF file: NIC.INF (found by try 1 of 4: the INF folder)",
            "    PCI\\VEN_1106&DEV_5AB1\n", "  INF file: oemsetup.inf (the name this family always uses)",
            "    DEV_5AB0\n", "  pcipeek.sys: in the setup folder" } },
        { "names in any letter case", With(With(Without(Without(ReadyDisk(), "NIC.INF"), "INST9X.EXE"),
                                                "nic.inf", kDeviceInf), "inst9x.exe", "x"),
          {}, 0, { "95/98/Me: ready", "INF file: nic.inf" } },
        { "class GUID in upper case", With(ReadyDisk(), "NIC.INF", upperGuid), {}, 1,
          { "95/98/Me: not ready: the launcher stops with \"Can not find any inf files!\"",
            "  message box: \"Can not find any inf files!\"\n  exit code: 0", "NT 4.0: ready" } },
        { "model section header in another letter case",
          With(ReadyDisk(), "NIC.INF", Replaced(kDeviceInf, "[MANUF]", "[Manuf]")), {}, 1,
          { "  hardware IDs: 0", "2000/XP/2003: not ready: the hardware-ID list is empty" } },
        { "a model line of ten characters",
          With(ReadyDisk(), "NIC.INF", kDeviceInf + "[MANUF]\nVEN_1106_\n"), {}, 0, { "  hardware IDs: 2" } },
        { "an ID written dev_ in lower case",
          With(ReadyDisk(), "NIC.INF", Replaced(Replaced(kDeviceInf, "DEV_5AB0", "dev_5ab0"), "DEV_5AB1", "DEV_x")),
          {}, 1,
          { "warning: hardware ID \"PCI\\VEN_1106&dev_5ab0\" can never match an adapter",
            "95/98/Me: not ready: no hardware ID can match an adapter" } },
        { "a second valid INF file", With(ReadyDisk(), "OTHER.INF", kDeviceInf), {}, 1,
          { "  message box: \"There are more than two Valid INF files! \\nProgram exit!\"\n  exit code: 1",
            "NT 4.0: ready" } },
        { "pcipeek.sys in the wrong folder", With(Without(ReadyDisk(), "PCIPEEK.SYS"), "DRIVERS/PCIPEEK.SYS", "x"),
          {}, 1,
          { "95/98/Me: ready", "NT 4.0: not ready: pcipeek.sys is not in the setup folder A:\\",
            "  pcipeek.sys: missing from the setup folder" } },
        { "no setup program", Without(ReadyDisk(), "INST2K.EXE"), {}, 1,
          { "2000/XP/2003: not ready: the launcher stops with \"Can not find target files : INST2K.EXE\"" } },
        { "NT 4.0 disk without oemsetup.inf", Without(ReadyDisk(), "oemsetup.inf"), {}, 1,
          { "NT 4.0: not ready: the launcher stops with \"Can not find any inf files!\"", "95/98/Me: ready" } },
        { "a name that is not 8.3", With(ReadyDisk(), "README.TEXT", "x"), {}, 0,
          { "warning: A:\\README.TEXT is not an 8.3 name" } },
        { "a disk larger than a floppy", With(ReadyDisk(), "BIG.CAB", std::string(1474560, 'x')), {}, 0,
          { "bytes, more than the 1457664 of a 1.44 MB floppy" } },
        { "the sub-folder layout",
          { { "nicstart/INST9X.EXE", "x" }, { "nicstart/INSTNT4.EXE", "x" }, { "nicstart/INST2K.EXE", "x" },
            { "nicstart/PCIPEEK.SYS", "x" }, { "NIC.INF", kDeviceInf }, { "nicstart/oemsetup.inf", kNt4Script } },
          {}, 0,
          { "  setup program: INST9X.EXE in A:\\nicstart\\ (in nicstart\\)",
            "  command line: \"A:\\nicstart\\INST9X.EXE \"", "  INF folder: A:\\\n",
            "  INF file: NIC.INF (found by try 2 of 4: one level up)", "2000/XP/2003: ready" } },
        { "-d and -f through the arguments", With(Without(ReadyDisk(), "NIC.INF"), "DRV/WIN/MY.INF", kDeviceInf),
          { "--", "-d", "A:\\DRV\\WIN", "-f", "MY.INF" }, 0,
          { "== 95/98/Me: A:\\nicstart.exe -d A:\\DRV\\WIN -f MY.INF",
            "  command line: \"A:\\INST9X.EXE -d A:\\DRV\\WIN -f MY.INF\"", "  INF folder: A:\\DRV\\WIN\\\n",
            "  INF file: MY.INF (named with -f)", "NT 4.0: ready" } },
        { "an uninstall run reads no INF", Without(ReadyDisk(), "NIC.INF"), { "--", "-r" }, 0,
          { "  uninstall run (-r): no INF file is read", "95/98/Me: ready" } },
        { "one family", ReadyDisk(), { "--family", "nt4" }, 0, { "NT 4.0: ready\n" } },
    };
    for (const DiskCase& c : kCases) {
        DiskFolder disk(c.files);
        Report report = Check(disk.Path(), c.args);
        EXPECT_EQ(report.iExit, c.iExit) << c.szName << "\n" << report.text;
        for (const std::string& part : c.expected)
            EXPECT_NE(report.text.find(part), std::string::npos) << c.szName << ": no \"" << part << "\" in\n"
                                                                 << report.text;
    }
}

TEST(NicdiskCheck, WarnsOfAnInfThatOnlyOneFamilyTakes)
{
    Files files = With(Without(ReadyDisk(), "INST9X.EXE"), "nicstart/INST9X.EXE", "x");
    files = With(Without(files, "NIC.INF"), "nicstart/NIC.INF", kDeviceInf);
    DiskFolder disk(files);
    Report report = Check(disk.Path());
    EXPECT_EQ(report.iExit, 1);
    EXPECT_NE(report.text.find("warning: A:\\nicstart\\NIC.INF is valid for 95/98/Me but not taken by "
                               "2000/XP/2003"), std::string::npos) << report.text;
    EXPECT_NE(report.text.find("2000/XP/2003: not ready"), std::string::npos) << report.text;
}

TEST(NicdiskCheck, SummaryIsOneLinePerFamilyAtTheEnd)
{
    DiskFolder disk(ReadyDisk());
    std::string text = Check(disk.Path()).text;
    EXPECT_EQ(text.substr(text.size() - 50), "95/98/Me: ready\nNT 4.0: ready\n2000/XP/2003: ready\n");
    std::string one = Check(disk.Path(), { "--family", "9x" }).text;
    EXPECT_EQ(one.find("NT 4.0"), std::string::npos) << one;
}

TEST(NicdiskCheck, UsageErrors)
{
    EXPECT_EQ(Check("/nonexistent/folder").iExit, 2);
    DiskFolder disk(ReadyDisk());
    EXPECT_EQ(Check(disk.Path(), { "--family", "nt6" }).iExit, 2);
    EXPECT_EQ(Check(disk.Path() + "/NIC.INF").iExit, 2);
}

// Other vendors' INF files, each on a disk of its own with everything else in place.
TEST(NicdiskCheck, RealInfFilesOfOtherVendorsAreNeverReady)
{
    if (std::string(NIC_REAL_INFS_DIR).empty())
        GTEST_SKIP() << "the shared folder with the real INF files is absent";
    int disks = 0;
    for (const auto& found : fs::directory_iterator(NIC_REAL_INFS_DIR)) {
        if (found.path().extension() != ".inf")
            continue;
        std::ifstream in(found.path(), std::ios::binary);
        std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        Files files = Without(Without(ReadyDisk(), "NIC.INF"), "oemsetup.inf");
        files[found.path().filename().string()] = content;
        files["oemsetup.inf"] = content;
        DiskFolder disk(files);
        Report report = Check(disk.Path());
        ++disks;
        EXPECT_EQ(report.iExit, 1) << found.path();
        EXPECT_EQ(report.text.find(": ready"), std::string::npos) << found.path() << "\n" << report.text;
    }
    EXPECT_GT(disks, 0);
}

// The rules nicdisk image refuses a disk by: names, room and root entries, each at its
// edge.  A 1.44 MB floppy holds 2847 clusters of 512 bytes and 224 root entries.
Files RootEntries(int iCount)
{
    Files files;
    for (int i = 0; i < iCount; ++i)
        files["F" + std::to_string(i) + ".TXT"] = "x";
    return files;
}

TEST(NicdiskCheck, ImageRules)
{
    const long kFloppyBytes = 2847L * 512;
    const DiskCase cases[] = {
        { "ready disk with a sub-folder", With(ReadyDisk(), "NICSTART/INST9X.EXE", "x"), {}, 0, {} },
        { "long file name", With(ReadyDisk(), "README.TEXT", "x"), {}, 1,
          { "warning: A:\\README.TEXT is not an 8.3 name" } },
        { "long folder name", With(ReadyDisk(), "NT4DRIVERS/PCIPEEK.SYS", "x"), {}, 1,
          { "warning: A:\\NT4DRIVERS is not an 8.3 name" } },
        { "files that fill the floppy", { { "BIG.BIN", std::string(kFloppyBytes - 512, 'x') },
                                          { "NIC.INF", kDeviceInf } }, {}, 0, {} },
        { "one byte more", { { "BIG.BIN", std::string(kFloppyBytes - 512 + 1, 'x') },
                             { "NIC.INF", kDeviceInf } }, {}, 1,
          { "warning: the disk needs 1458176 bytes, more than the 1457664 of a 1.44 MB floppy" } },
        { "a sub-folder's own cluster counts", { { "BIG.BIN", std::string(kFloppyBytes - 512, 'x') },
                                                 { "SUB/A.TXT", "x" } }, {}, 1,
          { "warning: the disk needs 1458176 bytes" } },
        { "224 root entries", RootEntries(224), {}, 0, {} },
        { "225 root entries", RootEntries(225), {}, 1,
          { "warning: the disk's root holds 225 entries, more than the 224 of a 1.44 MB floppy" } },
    };
    for (const DiskCase& c : cases) {
        SCOPED_TRACE(c.szName);
        DiskFolder disk(c.files);
        Report report = Check(disk.Path(), { "--image-rules" });
        EXPECT_EQ(report.iExit, c.iExit) << report.text;
        if (c.expected.empty())
            EXPECT_EQ(report.text, "");
        for (const std::string& line : c.expected)
            EXPECT_NE(report.text.find(line), std::string::npos) << report.text;
    }
    EXPECT_EQ(Check("/nonexistent/folder", { "--image-rules" }).iExit, 2);
}
