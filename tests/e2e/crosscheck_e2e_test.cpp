// nicdisk check against the launcher itself.  For each row of crosscheck-cases, the
// native nicdisk has written its report on the row's disk folder beforehand
// (predict-then-run); here the wine build's nicstart.exe runs from that same disk,
// laid out as drive A:, as the row's Windows version sees it.  The report holds when
// the launcher showed exactly the predicted box and exit code, or else reached the
// presence check with no box before it, with the predicted hardware-ID list, and gave
// the setup program the predicted command line once an adapter of that list was there.
//
// The list is seen from outside in three ways: on the NT family the presence check logs
// every entry it compares with an adapter that matches none; on every family an adapter
// whose ID the list holds gets the setup program run, and one whose ID it lacks gets
// "Can not find proper NIC".  Each INF file on these disks names adapters of its own,
// so the list also shows which INF file the launcher took.
#include "harness.h"
#include "launcher_texts.h"
#include "nicdisk.h"
#include "testroot.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

using harness::RunResult;

namespace {

using namespace launcher_texts;

const char kDrive[] = "A:\\";

bool StartsWith(const std::string& text, const std::string& start) { return text.rfind(start, 0) == 0; }

// One row of crosscheck-cases.
struct Row {
    std::string disk, version, arguments;
};

std::vector<Row> ReadRows(const std::string& path)
{
    std::vector<Row> rows;
    for (const std::string& line : harness::SplitLines(harness::ReadFileText(path))) {
        std::vector<std::string> words;
        size_t at = line.find_first_not_of(' ');
        while (at != std::string::npos) {
            size_t end = line.find(' ', at);
            words.push_back(line.substr(at, end == std::string::npos ? end : end - at));
            at = line.find_first_not_of(' ', end == std::string::npos ? line.size() : end);
        }
        if (words.size() < 2 || words[0][0] == '#')
            continue;
        Row row = { words[0], words[1], "" };
        for (size_t i = 2; i < words.size(); ++i)
            row.arguments += (i > 2 ? " " : "") + words[i];
        rows.push_back(row);
    }
    return rows;
}

// What nicdisk's report on one family says the run does.
struct Prediction {
    bool reachesCheck = false;   // no box before the presence check
    std::string box;             // else the one box of the stop
    unsigned exitCode = 0;       //   and the exit code after it
    std::string setupFolder;
    std::string commandLine;
    std::vector<std::string> ids;
    bool ready = false;
};

// The text between the first and the last double quote.
std::string Quoted(const std::string& line)
{
    size_t first = line.find('"'), last = line.rfind('"');
    return first < last ? line.substr(first + 1, last - first - 1) : "";
}

// A message box's text, its line breaks written back from the report's \n.
std::string BoxText(const std::string& line)
{
    std::string text = Quoted(line);
    for (size_t at = text.find("\\n"); at != std::string::npos; at = text.find("\\n", at + 1))
        text.replace(at, 2, "\n");
    return text;
}

Prediction ParseReport(const std::string& report)
{
    Prediction p;
    std::vector<std::string> lines = harness::SplitLines(report);
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (StartsWith(line, "  setup program: ")) {
            size_t in = line.find(" in "), open = line.rfind(" (");
            p.setupFolder = line.substr(in + 4, open - in - 4);
        } else if (StartsWith(line, "  command line: ")) {
            p.commandLine = Quoted(line);
        } else if (StartsWith(line, "  hardware IDs: ")) {
            int count = atoi(line.c_str() + strlen("  hardware IDs: "));
            for (int k = 0; k < count && i + 1 < lines.size(); ++k)
                p.ids.push_back(lines[++i].substr(4));
        } else if (StartsWith(line, "  message box: ")) {
            p.box = BoxText(line);
        } else if (StartsWith(line, "  exit code: ")) {
            p.exitCode = static_cast<unsigned>(atoi(line.c_str() + strlen("  exit code: ")));
        } else if (line == "  message boxes before the presence check: none") {
            p.reachesCheck = true;
        } else if (line.find(": ready") != std::string::npos && !StartsWith(line, " ")) {
            p.ready = true;
        }
    }
    return p;
}

std::string Probe(unsigned deviceId)
{
    char probe[16];
    snprintf(probe, sizeof probe, "DEV_%X", deviceId);
    return probe;
}

bool ListHolds(const std::vector<std::string>& ids, const std::string& probe)
{
    return std::any_of(ids.begin(), ids.end(),
                       [&](const std::string& id) { return id.find(probe) != std::string::npos; });
}

// A device ID that no entry of the list matches.
unsigned UnlistedDevice(const std::vector<std::string>& ids)
{
    unsigned device = 0xFFFE;
    while (ListHolds(ids, Probe(device)))
        --device;
    return device;
}

// The device IDs (at most two) of adapters that entries of the list match: the digits
// after an entry's DEV_, where the launcher's own probe of them occurs in the entry.
std::vector<unsigned> ListedDevices(const std::vector<std::string>& ids)
{
    std::vector<unsigned> devices;
    for (const std::string& id : ids) {
        size_t at = id.find("DEV_");
        if (at == std::string::npos)
            continue;
        unsigned device = static_cast<unsigned>(strtoul(id.substr(at + 4, 4).c_str(), nullptr, 16));
        if (id.find(Probe(device)) != std::string::npos && devices.size() < 2 &&
            std::find(devices.begin(), devices.end(), device) == devices.end())
            devices.push_back(device);
    }
    return devices;
}

// The entries that the NT family's presence check logged while it compared the list
// with an adapter that matches none: "bCheckDevice iIMIDsize N <entry> <probe>".  A
// line with another count or probe is kept whole, in brackets, to show in the failure.
std::vector<std::string> LoggedEntries(const std::string& probe, size_t count)
{
    std::string start = "bCheckDevice iIMIDsize " + std::to_string(count) + " ";
    std::string end = " " + probe;
    std::vector<std::string> entries;
    for (const std::string& line : harness::SplitLines(harness::ReadFileText(kLogPath)))
        if (StartsWith(line, "bCheckDevice iIMIDsize "))
            entries.push_back(StartsWith(line, start) && line.size() >= start.size() + end.size()
                                  ? line.substr(start.size(), line.size() - start.size() - end.size())
                                  : "(" + line + ")");
    return entries;
}

bool IsSetupProgram(const std::string& name)
{
    for (const char* program : { "INST9X.EXE", "INSTNT4.EXE", "INST2K.EXE" })
        if (_stricmp(name.c_str(), program) == 0)
            return true;
    return false;
}

// Copies a fixture disk onto the drive, the stand-ins replaced by what they stand for:
// the setup programs by the recording setup program, PCIPEEK.SYS by the driver double.
void CopyDisk(const std::string& from, const std::string& to)
{
    harness::MakeDirs(to);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((from + "*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE) << "no fixture disk at " << from;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            CopyDisk(from + name + "\\", to + name + "\\");
        else if (IsSetupProgram(name))
            harness::CopyFileOrDie(harness::BuildDir() + "\\tests\\doubles\\setupprog.exe", to + name);
        else if (_stricmp(name.c_str(), "PCIPEEK.SYS") == 0)
            harness::InstallPcipeek(to);
        else
            harness::CopyFileOrDie(from + name, to + name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

class CrossCheck : public ::testing::Test {
protected:
    void SetUp() override
    {
        cases = harness::Environment("NICTEST_CASES");
        reports = harness::Environment("NICTEST_REPORTS");
        if (cases.empty() || reports.empty())
            GTEST_SKIP() << "no reports of nicdisk check outside CTest's predict-then-run wrapper";
        root = harness::TestRoot();
    }

    void TearDown() override
    {
        harness::RemoveTree(root);
        // Emptied, never removed: that would remove the folder the drive stands for.
        harness::EmptyFolder(kDrive);
    }

    // Runs A:\nicstart.exe with the row's version and arguments, one adapter with the
    // device ID on the bus; a fresh setup log and record.
    RunResult RunNicstart(const Row& row, unsigned deviceId)
    {
        harness::RemoveTree(root);
        harness::MakeDirs(root);
        DeleteFileA(kLogPath);
        harness::SetWindowsVersion("nicstart.exe", row.version);
        harness::RunOptions options;
        options.commandLine = std::string(kDrive) + "nicstart.exe" + (row.arguments.empty() ? "" : " " + row.arguments);
        options.environment = { { "NICTEST_RECORD", root + "\\record.txt" } };
        harness::PciFunction adapter;
        adapter.deviceId = static_cast<uint16_t>(deviceId);
        RunResult result = harness::RunOnBus(row.version, options, harness::PciBus().Add(adapter));
        EXPECT_TRUE(result.started) << "error " << result.startError;
        EXPECT_FALSE(result.timedOut);
        return result;
    }

    std::string Recorded(const std::string& key) { return launcher_texts::Recorded(root + "\\record.txt", key); }

    std::string cases, reports, root;
};

std::vector<std::string> BoxTexts(const RunResult& result)
{
    std::vector<std::string> texts;
    for (const harness::MessageBoxSeen& box : result.boxes)
        texts.push_back(box.text + " [" + box.Buttons() + "]");
    return texts;
}

TEST_F(CrossCheck, LauncherDoesWhatNicdiskPredicted)
{
    std::vector<Row> rows = ReadRows(cases);
    ASSERT_FALSE(rows.empty()) << "no rows in " << cases;
    int ready = 0, runs = 0;
    for (size_t n = 0; n < rows.size(); ++n) {
        const Row& row = rows[n];
        std::string report = harness::ReadFileText(reports + "\\" + std::to_string(n + 1) + ".txt");
        SCOPED_TRACE("row " + std::to_string(n + 1) + ": " + row.disk + " as " + row.version + " \"" +
                     row.arguments + "\"; nicdisk's report:\n" + report);
        ASSERT_FALSE(report.empty());
        Prediction p = ParseReport(report);
        ready += p.ready ? 1 : 0;

        harness::EmptyFolder(kDrive);
        std::string fixture = harness::SourceDir() + "\\tests\\fixtures\\" + row.disk + "\\";
        std::replace(fixture.begin(), fixture.end(), '/', '\\');
        CopyDisk(fixture, kDrive);
        harness::CopyFileOrDie(harness::BuildDir() + "\\launcher\\nicstart.exe", std::string(kDrive) + "nicstart.exe");

        // An adapter that no entry matches: the stop's box, or the check's own.
        unsigned unlisted = UnlistedDevice(p.ids);
        RunResult result = RunNicstart(row, unlisted);
        ++runs;
        if (!p.reachesCheck) {
            EXPECT_EQ(BoxTexts(result), std::vector<std::string>{ p.box + " [OK]" });
            EXPECT_EQ(result.exitCode, p.exitCode);
            EXPECT_EQ(Recorded("cmdline"), "(not run)");
            continue;
        }
        EXPECT_EQ(BoxTexts(result), std::vector<std::string>{ std::string(kMsgNoAdapter) + " [OK]" });
        EXPECT_EQ(Recorded("cmdline"), "(not run)");
        if (!harness::IsWin9xVersion(row.version)) {
            EXPECT_EQ(LoggedEntries(Probe(unlisted), p.ids.size()), p.ids) << "the list the launcher compared";
        }

        // Each listed adapter gets the setup program, with the predicted command line and
        // the setup folder as its current folder.
        std::vector<unsigned> listed = ListedDevices(p.ids);
        EXPECT_EQ(!listed.empty(), p.ready) << "nicdisk's ready is a list that some adapter matches";
        for (unsigned device : listed) {
            SCOPED_TRACE("adapter " + Probe(device));
            result = RunNicstart(row, device);
            ++runs;
            std::vector<std::string> boxes = BoxTexts(result);
            EXPECT_EQ(std::count(boxes.begin(), boxes.end(), std::string(kMsgNoAdapter) + " [OK]"), 0);
            EXPECT_EQ(Recorded("cmdline"), p.commandLine);
            // The current folder is written without the backslash that ends the setup
            // folder, except at the root.
            std::string cwd = Recorded("cwd");
            EXPECT_EQ(cwd == kDrive ? cwd : cwd + "\\", p.setupFolder);
        }
    }
    printf("crosscheck: %zu rows, %d of them ready, %d runs of nicstart.exe\n", rows.size(), ready, runs);
    // The rows cover both answers.
    EXPECT_GT(ready, 0);
    EXPECT_LT(ready, static_cast<int>(rows.size()));
}

}  // namespace
