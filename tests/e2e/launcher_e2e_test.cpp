// nicstart.exe end to end under wine: the Windows family it sees, where it finds the
// setup program, the command line and folder that program receives, the messages and
// their buttons, the exit code, and the setup log.
#include "harness.h"
#include "disktest.h"
#include "launcher_texts.h"
#include "nicdisk.h"
#include "relay.h"
#include "relay_expect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using harness::RunResult;

namespace {

using namespace launcher_texts;

const char* const kLogSampleNt4IDs[] = {
    "GetHardwareID dwDeviceCFID 5AB01106 ----------", "GetHardwareID dwDeviceCFID 5AB11106 ----------",
    "GetHardwareID dwDeviceCFID 5AB01106 ----------", "GetHardwareID szInfModalID DEV_5AB0 ----------",
    "GetHardwareID dwDeviceCFID 5AB11106 ----------", "GetHardwareID szInfModalID DEV_5AB1 ----------",
};

class Launcher : public harness::DiskTest {
protected:
    // Lays out a driver disk: nicstart.exe in `disk`, the stand-in setup program under
    // `program` in `disk` + `subFolder`, and beside it the sample INF file `inf` and the
    // PCI driver, whose simulated bus holds the sample disk's adapter.
    void LayOutDisk(const std::string& program, const std::string& subFolder = "",
                    const std::string& inf = "NIC.INF")
    {
        harness::MakeDirs(disk);
        harness::CopyFileOrDie(harness::BuildDir() + "\\launcher\\nicstart.exe", disk + "nicstart.exe");
        if (!program.empty()) {
            harness::MakeDirs(disk + subFolder);
            harness::CopyFileOrDie(harness::BuildDir() + "\\tests\\doubles\\setupprog.exe",
                                   disk + subFolder + program);
        }
        if (!inf.empty())
            PutInf(disk + subFolder, inf);
        harness::MakeDirs(disk + subFolder);
        harness::InstallPcipeek(disk + subFolder);
    }

    // Copies a sample INF: NIC.INF (device INF) or oemsetup.inf (NT 4.0 setup script).
    static void PutInf(const std::string& folder, const std::string& name)
    {
        std::string sample = name == "oemsetup.inf" ? "oemsetup.inf" : "NIC.INF";
        harness::MakeDirs(folder);
        harness::CopyFileOrDie(harness::SourceDir() + "\\tests\\fixtures\\sample-disk\\" + sample,
                               folder + name);
    }

    RunResult RunNicstart(const std::string& version, const std::string& arguments,
                          unsigned setupExitCode = 0, std::vector<int> answers = {})
    {
        harness::SetWindowsVersion("nicstart.exe", version);
        harness::RunOptions options;
        options.commandLine = disk + "nicstart.exe" + (arguments.empty() ? "" : " " + arguments);
        options.environment = { { "NICTEST_RECORD", root + "\\record.txt" },
                                { "NICTEST_EXIT", std::to_string(setupExitCode) } };
        options.answers = answers;
        if (relay != nullptr)
            relay->Prepare(options);
        RunResult result = harness::RunOnBus(version, options, harness::PciBus().Add(harness::PciFunction()));
        EXPECT_TRUE(result.started) << "error " << result.startError;
        EXPECT_FALSE(result.timedOut);
        return result;
    }

    // What the stand-in setup program recorded: "cmdline", "cwd" or "exit".
    std::string Recorded(const std::string& key)
    {
        return launcher_texts::Recorded(root + "\\record.txt", key);
    }

    // The log without the presence check's entries, which presence_e2e_test checks.
    static std::vector<std::string> LogLines() { return launcher_texts::LogWithoutPresenceEntries(); }

    harness::RelayTrace* relay = nullptr;
};

void ExpectOneBox(const RunResult& result, const std::string& text, const std::string& buttons)
{
    ASSERT_EQ(result.boxes.size(), 1u) << "expected the box \"" << text << "\"";
    EXPECT_EQ(result.boxes[0].caption, "NicStart");
    EXPECT_EQ(result.boxes[0].text, text);
    EXPECT_EQ(result.boxes[0].Buttons(), buttons);
}

TEST_F(Launcher, EachWindowsFamilyRunsItsOwnSetupProgram)
{
    struct Case { const char* version; const char* program; const char* inf; const char* message; const char* buttons; };
    const Case cases[] = {
        { "win95", "INST9X.EXE", "NIC.INF", kAskInstall, "YesNo" },
        { "win98", "INST9X.EXE", "NIC.INF", kAskInstall, "YesNo" },
        { "winme", "INST9X.EXE", "NIC.INF", kAskInstall, "YesNo" },
        { "nt40", "INSTNT4.EXE", "oemsetup.inf", kAskInstall, "YesNo" },
        { "win2k", "INST2K.EXE", "NIC.INF", kMsgInstalled, "OK" },
        { "winxp", "INST2K.EXE", "NIC.INF", kMsgInstalled, "OK" },
        { "win2003", "INST2K.EXE", "NIC.INF", kMsgInstalled, "OK" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        ResetDisk();
        LayOutDisk(c.program, "", c.inf);
        RunResult result = RunNicstart(c.version, "");
        EXPECT_EQ(result.exitCode, 0u);
        ExpectOneBox(result, c.message, c.buttons);
        EXPECT_EQ(Recorded("cmdline"), disk + c.program + " ");
        EXPECT_EQ(Recorded("cwd") + "\\", disk);
        std::vector<std::string> log = { kLogStart, kLogHardwareID, kLogCreateProcess, kLogEnd };
        if (c.inf == std::string("oemsetup.inf"))   // the sample's two configuration IDs
            log.insert(log.begin() + 2, kLogSampleNt4IDs, kLogSampleNt4IDs + 6);
        EXPECT_EQ(LogLines(), log);
    }
}

// The exact calls behind the box and the program start: no owner window and no icon;
// no inherited handles, no creation flags, the launcher's own environment, and the
// setup folder as the program's current folder.
TEST_F(Launcher, MessageBoxAndSetupProgramStartArguments)
{
    harness::RelayTrace trace("user32.MessageBoxA;kernel32.CreateProcessA");
    if (!trace.Available())
        GTEST_SKIP() << "no relay trace outside CTest's wine-run wrapper";
    relay = &trace;
    struct Case { const char* version; const char* program; int answer; const char* text; const char* type; const char* result; };
    const Case cases[] = {
        { "win2k", "INST2K.EXE", IDOK, kMsgInstalled, "0", "1" },
        { "win98", "INST9X.EXE", IDNO, kAskInstall, "4", "7" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        harness::RemoveTree(root);
        LayOutDisk(c.program);
        trace.Calls();
        RunResult result = RunNicstart(c.version, "", 0, { c.answer });
        EXPECT_EQ(result.exitCode, 0u);
        std::vector<harness::RelayCall> calls = harness::RelayTrace::OwnCalls(trace.Calls());
        EXPECT_EQ(calls.size(), 2u);
        const std::string program = disk + c.program;
        ExpectCalls(calls, {
            { "CreateProcessA", { program, program + " ", "0", "0", "0", "0", "0", disk, "*", "*" }, "1" },
            { "MessageBoxA", { "0", c.text, "NicStart", c.type }, c.result },
        });
    }
    relay = nullptr;
}

// NT 3.51, NT major version 6 and later, and Win32s (Wine's "win31": GetVersion gives
// 80000A03, the 95 family's bit 31 with major version 3).
TEST_F(Launcher, UnrecognisedWindowsFindsNoSetupProgram)
{
    for (const char* version : { "vista", "win7", "nt351", "win31" }) {
        SCOPED_TRACE(version);
        DeleteFileA(kLogPath);
        LayOutDisk("INST2K.EXE");
        RunResult result = RunNicstart(version, "");
        EXPECT_EQ(result.exitCode, 0u);
        ExpectOneBox(result, "Can not find target files : ", "OK");
        EXPECT_EQ(Recorded("cmdline"), "(not run)");
        EXPECT_EQ(LogLines(), (std::vector<std::string>{ kLogStart }));
    }
}

TEST_F(Launcher, MissingSetupProgramIsNamedInTheMessage)
{
    LayOutDisk("INST9X.EXE");   // the wrong family's program
    RunResult result = RunNicstart("win2k", "");
    EXPECT_EQ(result.exitCode, 0u);
    ExpectOneBox(result, "Can not find target files : INST2K.EXE", "OK");
    EXPECT_EQ(LogLines(), (std::vector<std::string>{ kLogStart }));
}

TEST_F(Launcher, SetupProgramInTheNicstartSubFolder)
{
    LayOutDisk("INST2K.EXE", "nicstart\\");
    RunResult result = RunNicstart("win2k", "");
    ExpectOneBox(result, kMsgInstalled, "OK");
    EXPECT_EQ(Recorded("cmdline"), disk + "nicstart\\INST2K.EXE ");
    EXPECT_EQ(Recorded("cwd"), disk + "nicstart");
}

TEST_F(Launcher, CommandLineAndBlanking)
{
    struct Case { const char* version; const char* program; const char* arguments; const char* received; };
    const Case cases[] = {
        { "win98", "INST9X.EXE", "-r -k", "-r   " },            // -k blanked in an uninstall run
        { "win2k", "INST2K.EXE", "-k", "-k" },                   // -k alone reaches the program
        { "win2k", "INST2K.EXE", "-R -x", "-R -x" },             // upper case is no option
        { "win2k", "INST2K.EXE", "-d . -f NIC.INF", "-d . -f NIC.INF" },  // relative -d
        { "win2k", "INST2K.EXE", "a  -k\t\"q\"", "a  -k\t\"q\"" },  // passed exactly
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        LayOutDisk(c.program);
        RunNicstart(c.version, c.arguments);
        EXPECT_EQ(Recorded("cmdline"), disk + c.program + " " + c.received);
    }
}

TEST_F(Launcher, RemoveRunOnWindows98AsksTheRemoveQuestionAndKeepsInfFilesWithK)
{
    LayOutDisk("INST9X.EXE");
    RunResult result = RunNicstart("win98", "-r -k");
    ExpectOneBox(result, kAskRemove, "YesNo");
    EXPECT_EQ(LogLines(), (std::vector<std::string>{ kLogStart, kLogCreateProcess, kLogEnd }));
}

TEST_F(Launcher, RemoveRunCleansUpWhateverTheExitCode)
{
    LayOutDisk("INST2K.EXE", "", "");   // an uninstall run reads no INF file
    for (unsigned code : { 0u, 5u }) {
        SCOPED_TRACE(code);
        DeleteFileA(kLogPath);
        RunResult result = RunNicstart("win2k", "-r", code);
        EXPECT_EQ(result.exitCode, 0u);
        if (code == 0)
            ExpectOneBox(result, kMsgUninstalled, "OK");
        else
            EXPECT_TRUE(result.boxes.empty());
        EXPECT_EQ(LogLines(), (std::vector<std::string>{ kLogStart, kLogCreateProcess, kLogCleanupStart,
                                                         kLogCleanupEnd, kLogEnd }));
    }
}

TEST_F(Launcher, NonZeroExitCodeShowsNothing)
{
    LayOutDisk("INST9X.EXE");
    RunResult result = RunNicstart("win98", "", 7);
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_TRUE(result.boxes.empty());
    EXPECT_EQ(LogLines(), (std::vector<std::string>{ kLogStart, kLogHardwareID, kLogCreateProcess, kLogEnd }));
}

// Runs that end in a restart (-b or Yes after exit code 0) are in restart_e2e_test, in a
// throw-away prefix: ExitWindowsEx would end the processes of this shared one.
TEST_F(Launcher, OptionBMeansNoMessageAndIsBlanked)
{
    LayOutDisk("INST2K.EXE");
    DWORD started = GetTickCount();
    RunResult result = RunNicstart("win2k", "-b -x", 3);
    DWORD elapsed = GetTickCount() - started;
    EXPECT_TRUE(result.boxes.empty());
    EXPECT_EQ(Recorded("cmdline"), disk + "INST2K.EXE    -x");
    EXPECT_EQ(LogLines(), (std::vector<std::string>{ kLogStart, kLogHardwareID, kLogCreateProcess, kLogEnd }));
    EXPECT_LT(elapsed, 4000u) << "no restart wait after a non-zero exit code";
}

TEST_F(Launcher, RestartQuestionAnsweredNo)
{
    LayOutDisk("INST9X.EXE");
    DWORD started = GetTickCount();
    RunResult result = RunNicstart("win98", "", 0, { IDNO });
    DWORD elapsed = GetTickCount() - started;
    ExpectOneBox(result, kAskInstall, "YesNo");
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_LT(elapsed, 4000u);
}

TEST_F(Launcher, TwoRunsAppendTwoBlocks)
{
    LayOutDisk("INST2K.EXE");
    RunNicstart("win2k", "");
    RunNicstart("win2k", "");
    EXPECT_EQ(LogLines(), (std::vector<std::string>{ kLogStart, kLogHardwareID, kLogCreateProcess, kLogEnd,
                                                     kLogStart, kLogHardwareID, kLogCreateProcess, kLogEnd }));
    EXPECT_EQ(harness::ReadFileText(kLogPath).find("\r\r"), std::string::npos) << "one CR per entry";
}

TEST_F(Launcher, MissingTempFolderChangesNothingAndWritesNoLog)
{
    LayOutDisk("INST2K.EXE");
    ASSERT_TRUE(MoveFileA("C:\\windows\\temp", "C:\\windows\\temp.away"));
    RunResult result = RunNicstart("win2k", "-k");
    MoveFileA("C:\\windows\\temp.away", "C:\\windows\\temp");
    EXPECT_EQ(result.exitCode, 0u);
    ExpectOneBox(result, kMsgInstalled, "OK");
    EXPECT_EQ(Recorded("cmdline"), disk + "INST2K.EXE -k");
    EXPECT_FALSE(harness::FileExists(kLogPath));
}

TEST_F(Launcher, SetupProgramThatCannotStart)
{
    LayOutDisk("");
    harness::WriteFileText(disk + "INST2K.EXE", "not a program");
    RunResult result = RunNicstart("win2k", "-r");
    EXPECT_EQ(result.exitCode, 2u);
    ASSERT_EQ(result.boxes.size(), 1u);
    EXPECT_EQ(result.boxes[0].text.rfind("Can not start the setup program " + disk + "INST2K.EXE (error ", 0), 0u)
        << result.boxes[0].text;
    std::vector<std::string> log = LogLines();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[1], kLogCreateProcess);
    EXPECT_EQ(log[2].rfind("CreateProcess " + disk + "INST2K.EXE failed, error ", 0), 0u) << log[2];
}

TEST_F(Launcher, InfFolderTries)
{
    // The disk lies three levels below the test's root folder; the INF folder tries are
    // the disk, one and two levels up, then the drive root.
    struct Case { const char* infFolder; bool found; } cases[] = {
        { "a\\b\\disk\\", true },
        { "a\\b\\", true },
        { "a\\", true },      // two levels up: the third try
        { "", false },        // three levels up: never searched
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.infFolder);
        harness::RemoveTree(root);
        disk = root + "\\a\\b\\disk\\";
        LayOutDisk("INST2K.EXE", "", "");
        PutInf(root + "\\" + c.infFolder, "NIC.INF");
        RunResult result = RunNicstart("win2k", "");
        ExpectOneBox(result, c.found ? kMsgInstalled : kMsgNoInf, "OK");
        EXPECT_EQ(result.exitCode, 0u);
        EXPECT_EQ(Recorded("cmdline"), c.found ? disk + "INST2K.EXE " : "(not run)");
    }
}

TEST_F(Launcher, InfFolderOption)
{
    // The sample INF lies only in the disk's sub-folder "inf".
    struct Case { std::string arguments; } cases[] = {
        { "-d" + disk + "inf" },
        { "-d   " + disk + "inf -k" },
        { "-d " + disk + "inf\\" },
        { "-d inf" },                 // relative to the setup folder
    };
    LayOutDisk("INST2K.EXE", "", "");
    PutInf(disk + "inf\\", "NIC.INF");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        RunResult result = RunNicstart("win2k", c.arguments);
        ExpectOneBox(result, kMsgInstalled, "OK");
        EXPECT_EQ(Recorded("cmdline"), disk + "INST2K.EXE " + c.arguments);
    }
}

TEST_F(Launcher, BareInfFolderOptionMeansTheDriveRoot)
{
    LayOutDisk("INST2K.EXE", "", "");
    RunResult result = RunNicstart("win2k", "-d");
    ExpectOneBox(result, kMsgNoInf, "OK");
    PutInf("C:\\", "NICROOT.INF");
    result = RunNicstart("win2k", "-d");
    DeleteFileA("C:\\NICROOT.INF");
    ExpectOneBox(result, kMsgInstalled, "OK");
}

// Texts longer than the launcher's buffers are refused whole, with a message and exit
// code 3, before anything runs: a shortened command line or path would make the setup
// program act on something the user did not ask for.
TEST_F(Launcher, OverlongInputIsRefused)
{
    struct Case { std::string arguments; } cases[] = {
        { std::string(10000, 'x') },
        { "-d " + std::string(1000, 'd') },
        { "-f " + std::string(300, 'f') },
    };
    LayOutDisk("INST2K.EXE");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.substr(0, 8));
        DeleteFileA(kLogPath);
        RunResult result = RunNicstart("win2k", c.arguments);
        EXPECT_EQ(result.exitCode, 3u);
        ExpectOneBox(result, kMsgCommandTooLong, "OK");
        EXPECT_EQ(Recorded("cmdline"), "(not run)");
        EXPECT_EQ(LogLines(), (std::vector<std::string>{ kLogStart }));
    }
}

TEST_F(Launcher, LongDiskFolders)
{
    // The longest disk folder whose command line (folder, "INST2K.EXE" and a blank)
    // still fits 255 characters, and longer ones up to the longest Windows can start from.
    struct Case { size_t folderLength; const char* message; } cases[] = {
        { 244, kMsgInstalled },
        { 245, kMsgCommandTooLong },
        { 246, kMsgFolderTooLong },      // "INST2K.EXE" no longer fits the 255-character path
        { 247, kMsgFolderTooLong },      // nicstart.exe's own path at 259 characters, the most Windows starts
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folderLength);
        harness::RemoveTree(root);
        std::string folder = root + "\\";
        while (folder.size() < c.folderLength) {
            size_t part = std::min<size_t>(60, c.folderLength - folder.size() - 1);
            folder += std::string(part == 0 ? 1 : part, 'L');
            if (folder.size() < c.folderLength)
                folder += "\\";
        }
        ASSERT_EQ(folder.size(), c.folderLength);
        disk = folder;
        LayOutDisk("INST2K.EXE");
        RunResult result = RunNicstart("win2k", "");
        ExpectOneBox(result, c.message, "OK");
        EXPECT_EQ(result.exitCode, c.message == kMsgFolderTooLong || c.message == kMsgCommandTooLong ? 3u : 0u);
    }
}

}  // namespace
