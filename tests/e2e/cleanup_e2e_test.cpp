// nicstart's uninstall clean-up end to end under wine: which stored INF copies it
// deletes from the INF store of each Windows family and which it leaves, what it logs,
// and names whose path reaches the end of the path buffer.  Runs in the shared test
// prefix, so every run makes the setup program fail: no restart question is asked.
#include "harness.h"
#include "disktest.h"
#include "launcher_texts.h"
#include "nicdisk.h"

#include <gtest/gtest.h>

#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace launcher_texts;

const std::string kLogExamined = "vDeleteInfFile----------";
const std::string kLogDeleted = "vDeleteInfFile DeleteFile----------";
const size_t kLogMessageMax = 257;
const size_t kPathMax = 259;          // characters of the launcher's 260-byte path buffer
const int kNotDeleted = -1;
const int kSharingViolation = 32;
const unsigned kSetupFails = 1;       // no completion box, so never a restart

const std::string kNetGuid = "{4d36e972-e325-11ce-bfc1-08002be10318}";
const std::string kDisplayGuid = "{4d36e968-e325-11ce-bfc1-08002be10318}";

const char* const kStoreFolders[] = { "C:\\windows\\inf\\other\\", "C:\\windows\\system32\\",
                                      "C:\\windows\\inf\\", "C:\\windows\\" };

struct Family {
    const char* version;
    const char* program;
    std::string store;      // ends in a backslash
    std::string prefix;     // prefix + anything + ".inf" is found by the family's search
    std::string unmatched;  // a name in the store that the search does not return
    bool nt4;
    bool logsFiles;         // NT 5.x logs each examined file and each deletion
};

const Family kFamilies[] = {
    { "win98", "INST9X.EXE", "C:\\windows\\inf\\other\\", "nic", "nic20.txt", false, false },
    { "nt40", "INSTNT4.EXE", "C:\\windows\\system32\\", "oemnad", "oem20.inf", true, false },
    { "win2k", "INST2K.EXE", "C:\\windows\\inf\\", "oem", "nic20.inf", false, true },
};

std::string Nt4Script(const std::string& optionType, const std::string& vendorLine)
{
    return "[Identification]\r\n    OptionType = " + optionType + "\r\n[PlatformsSupported]\r\n    PCI\r\n"
           "[FileConstants]\r\n" + vendorLine + "\r\n    ProductSoftwareName = \"NIC\"\r\n";
}

std::string DeviceInf(const std::string& guid, const std::string& hardwareIdLine)
{
    return "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Net\r\nClassGUID=" + guid +
           "\r\n\r\n[Manufacturer]\r\n%V% = MODELS\r\n\r\n[MODELS]\r\n" + hardwareIdLine + "\r\n";
}

std::string Adapter(const Family& f)
{
    return f.nt4 ? Nt4Script("NetAdapter", "    VendorID = 4358")
                 : DeviceInf(kNetGuid, "%NIC% = NIC.ndi, PCI\\VEN_1106&DEV_0A01");
}

std::string OtherVendor(const Family& f)
{
    return f.nt4 ? Nt4Script("NetAdapter", "    VendorID = 4332")
                 : DeviceInf(kNetGuid, "%NIC% = NIC.ndi, PCI\\VEN_ABCD&DEV_0001");
}

std::string OtherClass(const Family& f)
{
    return f.nt4 ? Nt4Script("VIDEO", "    VendorID = 4358")
                 : DeviceInf(kDisplayGuid, "%VGA% = VGA.ndi, PCI\\VEN_1106&DEV_0B01");
}

// The vendor mark starts 4 characters before the end of the first 127-character piece.
std::string SplitAcrossPieces(const Family& f)
{
    std::string mark = f.nt4 ? "VendorID = 4358" : "PCI\\VEN_1106&DEV_0A01";
    size_t column = f.nt4 ? 123 : 123 - 4;   // "PCI\" comes before VEN_1106
    std::string line = std::string(column, ' ') + mark;
    return f.nt4 ? Nt4Script("NetAdapter", line) : DeviceInf(kNetGuid, line);
}

// Files go through the wide functions with a \\?\ path: names long enough to test the
// launcher's path buffer exceed what the harness's ANSI calls accept.
std::wstring Wide(const std::string& path)
{
    return L"\\\\?\\" + std::wstring(path.begin(), path.end());
}

void WriteStored(const std::string& path, const std::string& content, DWORD attributes)
{
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << "cannot create " << path << ", error " << GetLastError();
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
    if (attributes == FILE_ATTRIBUTE_NORMAL)
        return;
    ASSERT_TRUE(SetFileAttributesW(Wide(path).c_str(), attributes)) << path;
    ASSERT_EQ(GetFileAttributesW(Wide(path).c_str()) & attributes, attributes) << path;
}

std::string ReadStored(const std::string& path)
{
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "(missing)";
    std::string content;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        content.append(buffer, got);
    CloseHandle(file);
    return content;
}

void RemoveStored(const std::string& path)
{
    SetFileAttributesW(Wide(path).c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(Wide(path).c_str());
}

struct StoredFile {
    std::string path;
    std::string content;
    bool deleted;                                // by an uninstall run without -k
    DWORD attributes = FILE_ATTRIBUTE_NORMAL;
    bool heldOpen = false;                       // open without delete sharing during the run
};

std::vector<std::string> RealInfNames()
{
    std::vector<std::string> names;
    if (std::string(NIC_REAL_INFS_DIR).empty())
        return names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((std::string(NIC_REAL_INFS_DIR) + "\\*.inf").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

// Every file laid out for one family: the cases that must go, the ones that must stay,
// the same adapter INF in the other families' stores, and other vendors' real INF files
// as stored copies.
std::vector<StoredFile> StoreLayout(const Family& f)
{
    const std::string own = f.store + f.prefix;
    std::vector<StoredFile> files = {
        { own + "11.inf", Adapter(f), true },
        { own + "12.inf", Adapter(f), true,
          FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM },
        { own + "13.inf", OtherVendor(f), false },
        { own + "14.inf", OtherClass(f), false },
        { own + "15.inf", SplitAcrossPieces(f), false },
        { own + "16.info", Adapter(f), false },     // its short name (OEM16~1.INF) is found
        { own + "17.inf", Adapter(f), false, FILE_ATTRIBUTE_NORMAL, true },
        { f.store + f.unmatched, Adapter(f), false },
    };
    if (f.nt4)
        files.push_back({ own + "18.inf", Nt4Script("NetAdapter", "    VendorID =\r\n    4358"), false });
    for (const char* folder : kStoreFolders)
        if (f.store != folder)
            files.push_back({ folder + f.prefix + "19.inf", Adapter(f), false });

    // The longest name whose path fits goes; one character more is passed over, and so
    // is the file that its path cut to the buffer would name.
    size_t fits = kPathMax - f.store.size() - f.prefix.size() - 4;
    files.push_back({ own + std::string(fits, 'f') + ".inf", Adapter(f), true });
    std::string tooLong = own + std::string(fits + 1, 'l') + ".inf";
    files.push_back({ tooLong, Adapter(f), false });
    files.push_back({ tooLong.substr(0, kPathMax), Adapter(f), false });

    int index = 80;
    for (const std::string& name : RealInfNames())
        files.push_back({ own + std::to_string(index++) + ".inf",
                          harness::ReadFileText(std::string(NIC_REAL_INFS_DIR) + "\\" + name), false });
    return files;
}

class Cleanup : public harness::DiskTest {
protected:
    void SetUp() override
    {
        DiskTest::SetUp();
        harness::MakeDirs(kStoreFolders[0]);
    }

    void TearDown() override
    {
        RemoveLayout();
        RemoveDirectoryA(kStoreFolders[0]);
        DiskTest::TearDown();
    }

    void LayOut(const Family& f)
    {
        RemoveLayout();
        files = StoreLayout(f);
        for (const StoredFile& file : files)
            WriteStored(file.path, file.content, file.attributes);
        harness::CopyFileOrDie(harness::BuildDir() + "\\launcher\\nicstart.exe", disk + "nicstart.exe");
        harness::CopyFileOrDie(harness::BuildDir() + "\\tests\\doubles\\setupprog.exe", disk + f.program);
        harness::InstallPcipeek(disk);
    }

    void RemoveLayout()
    {
        for (const StoredFile& file : files)
            RemoveStored(file.path);
        files.clear();
    }

    void RunUninstall(const Family& f, const std::string& arguments)
    {
        std::vector<HANDLE> held;
        for (const StoredFile& file : files)
            if (file.heldOpen) {
                held.push_back(CreateFileW(Wide(file.path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                           OPEN_EXISTING, 0, nullptr));
                EXPECT_NE(held.back(), INVALID_HANDLE_VALUE) << file.path;
            }
        DeleteFileA(kLogPath);
        harness::SetWindowsVersion("nicstart.exe", f.version);
        harness::RunOptions options;
        options.commandLine = disk + "nicstart.exe " + arguments;
        options.environment = { { "NICTEST_RECORD", root + "\\record.txt" },
                                { "NICTEST_EXIT", std::to_string(kSetupFails) } };
        harness::RunResult result = harness::RunOnBus(f.version, options, harness::PciBus().Add(harness::PciFunction()));
        for (HANDLE handle : held)
            CloseHandle(handle);
        EXPECT_TRUE(result.started && !result.timedOut);
        EXPECT_EQ(result.exitCode, 0u);
        EXPECT_TRUE(result.boxes.empty());
    }

    std::vector<StoredFile> files;
};

// The files that the family's search returns and whose path fits the launcher's buffer.
bool Examined(const Family& f, const std::string& path)
{
    if (path.rfind(f.store + f.prefix, 0) != 0 || path.size() > kPathMax)
        return false;
    std::string name = path.substr(f.store.size());
    return name.find('\\') == std::string::npos && name.compare(name.size() - 4, 4, ".inf") == 0;
}

// The entries between the two clean-up frame entries: each examined path with the
// error code logged after its deletion, or kNotDeleted.
std::map<std::string, int> CleanupEntries(const std::vector<std::string>& log)
{
    std::map<std::string, int> entries;
    std::string last;
    for (size_t i = 3; i + 2 < log.size(); ++i) {
        if (log[i].rfind(kLogDeleted, 0) == 0 && !last.empty() && entries[last] == kNotDeleted)
            entries[last] = std::stoi(log[i].substr(kLogDeleted.size()));
        else if (log[i].rfind(kLogExamined, 0) == 0 && entries.count(log[i]) == 0)
            entries[last = log[i]] = kNotDeleted;
        else
            ADD_FAILURE() << "unexpected or repeated entry: " << log[i];
    }
    return entries;
}

TEST_F(Cleanup, DeletionMatrixOnEachFamily)
{
    if (std::string(NIC_REAL_INFS_DIR).empty())
        std::cout << "[  SKIPPED ] the real INF files of other vendors: the shared folder is absent\n";
    else
        ASSERT_FALSE(RealInfNames().empty()) << "no real INF files in " << NIC_REAL_INFS_DIR;
    for (const Family& f : kFamilies) {
        for (const char* arguments : { "-r -k", "-r" }) {
            SCOPED_TRACE(std::string(f.version) + " " + arguments);
            bool cleans = arguments == std::string("-r");
            LayOut(f);
            RunUninstall(f, arguments);

            std::map<std::string, int> expected;
            for (const StoredFile& file : files) {
                bool gone = cleans && file.deleted;
                std::string content = ReadStored(file.path);
                EXPECT_EQ(content == "(missing)", gone) << file.path.substr(0, 60) << "... ("
                                                        << file.path.size() << " characters)";
                if (!gone) {
                    EXPECT_EQ(content, file.content) << file.path;
                }
                if (Examined(f, file.path))
                    expected[(kLogExamined + file.path).substr(0, kLogMessageMax)] =
                        file.deleted ? 0 : file.heldOpen ? kSharingViolation : kNotDeleted;
            }

            std::vector<std::string> log;
            for (const std::string& line : harness::SplitLines(harness::ReadFileText(kLogPath)))
                if (!IsPresenceEntry(line))
                    log.push_back(line);
            if (!cleans) {
                EXPECT_EQ(log, (std::vector<std::string>{ kLogStart, kLogCreateProcess, kLogEnd }));
                continue;
            }
            ASSERT_GE(log.size(), 5u);
            EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 3),
                      (std::vector<std::string>{ kLogStart, kLogCreateProcess, kLogCleanupStart }));
            EXPECT_EQ(std::vector<std::string>(log.end() - 2, log.end()),
                      (std::vector<std::string>{ kLogCleanupEnd, kLogEnd }));
            std::map<std::string, int> logged = CleanupEntries(log);
            if (!f.logsFiles)
                expected.clear();
            for (const auto& entry : expected)
                EXPECT_EQ(logged.count(entry.first) ? logged[entry.first] : -2, entry.second)
                    << "logged error code (-1: examined, not deleted; -2: not logged) of " << entry.first;
            EXPECT_EQ(logged.size(), expected.size()) << "examined files logged";
        }
    }
}

}  // namespace
