// nicstart's restart at the end of a run, end to end under wine: which runs restart,
// the platform calls and their arguments on each Windows family (from wine's relay
// trace, and the enabled privilege from the wineserver's request trace), and the wait
// between the log's end entry and the restart.  ExitWindowsEx ends the processes of the
// prefix it runs in, so this program runs only in a throw-away copy of the test prefix
// (tests/e2e/run-in-prefix-copy), never in the shared one.
#include "faults.h"
#include "harness.h"
#include "launcher_texts.h"
#include "nicdisk.h"

#include <gtest/gtest.h>

#include <tlhelp32.h>

#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

using namespace launcher_texts;

const char kLogInfReading[] = "GetHardwareID ";

// The functions whose calls the relay trace shows, and the channels for nicstart.
const char kRelayInclude[] = "kernel32.Sleep;advapi32.OpenProcessToken;advapi32.LookupPrivilegeValueA;"
                             "advapi32.AdjustTokenPrivileges;kernel32.CloseHandle;user32.ExitWindowsEx;"
                             "crtdll.fopen;kernel32.LoadLibraryA";
const char kTraceChannels[] = "+pid,+timestamp,+relay,+server";

const char kSleepBeforeRestart[] = "00001388";          // 5000 ms
const char kShutdownPrivilegeLuid[] = "0000000000000013";  // SE_SHUTDOWN_PRIVILEGE
// Wine's trace timestamps advance in steps of about 16 ms.
const double kRestartDelayMinMs = 4950;
const double kRestartDelayMaxMs = 6500;
const int kEndSessionPolls = 200;
const DWORD kEndSessionPollMs = 50;

std::string Environment(const char* name)
{
    const char* value = getenv(name);
    return value == nullptr ? "" : value;
}

// One "Call dll.Function(arguments)" line of the relay trace.
struct Call {
    unsigned long process = 0;
    unsigned long thread = 0;
    double ms = 0;
    std::string function;                // in lower case: "advapi32.openprocesstoken"
    std::vector<std::string> arguments;  // as traced: hex, with "string" after pointers
};

// "943.661:0120:0124:Call KERNEL32.Sleep(00001388) ret=140001b07"
bool ParseCall(const std::string& line, Call& call)
{
    size_t marker = line.find(":Call ");
    size_t open = line.find('(', marker);
    size_t close = line.rfind(") ret=");
    if (marker == std::string::npos || open == std::string::npos || close == std::string::npos || close < open)
        return false;
    char* end = nullptr;
    call.ms = strtod(line.c_str(), &end) * 1000;
    if (*end != ':')
        return false;
    call.process = strtoul(end + 1, &end, 16);
    if (*end != ':')
        return false;
    call.thread = strtoul(end + 1, &end, 16);
    if (end != line.c_str() + marker)
        return false;
    call.function = line.substr(marker + 6, open - marker - 6);
    for (char& c : call.function)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    std::string list = line.substr(open + 1, close - open - 1);
    call.arguments.clear();
    for (size_t start = 0, quoted = 0, i = 0; i <= list.size(); ++i) {
        if (i < list.size() && list[i] == '"')
            quoted ^= 1;
        if (i == list.size() || (list[i] == ',' && !quoted)) {
            call.arguments.push_back(list.substr(start, i - start));
            start = i + 1;
        }
    }
    return true;
}

// A DWORD argument: the relay trace of a 64-bit program shows the whole register, whose
// upper half can hold garbage.
unsigned long Dword(const Call& call, size_t index)
{
    if (index >= call.arguments.size())
        return 0xBAD0BAD0;
    return static_cast<unsigned long>(strtoull(call.arguments[index].c_str(), nullptr, 16) & 0xFFFFFFFFu);
}

// A text file that grows during the run: the part appended after a remembered size.
class GrowingFile {
public:
    explicit GrowingFile(std::string path) : path_(std::move(path)), start_(harness::ReadFileText(path_).size()) {}
    std::vector<std::string> NewLines() const
    {
        return harness::SplitLines(harness::ReadFileText(path_).substr(start_));
    }

private:
    std::string path_;
    size_t start_;
};

struct Traced {
    std::vector<Call> calls;                    // nicstart's own, fopen of other files left out
    std::vector<std::string> privilegeRequests; // nicstart's adjust_token_privileges requests
    double lastLogOpenMs = -1;                  // the log's last fopen before the restart
    int advapiLoads = 0;                        // LoadLibraryA calls for advapi32
};

enum Restart { NO_RESTART, RESTART_9X, RESTART_NT };

struct Case {
    const char* version;
    const char* program;
    const char* arguments;
    unsigned setupExitCode;
    std::vector<int> answers;
    const char* message;        // the one box shown, or nullptr
    Restart restart;
    const char* faults = nullptr;   // nicstart's calls made to fail (harness::FailImports)
};

class Restarts : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\Debug", 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr), ERROR_SUCCESS);
        RegSetValueExA(key, "RelayInclude", 0, REG_SZ, reinterpret_cast<const BYTE*>(kRelayInclude),
                       sizeof kRelayInclude);
        RegCloseKey(key);
    }

    void SetUp() override
    {
        root = "C:\\nictest\\Restarts";
        harness::RemoveTree(root);
        disk = root + "\\disk\\";
        harness::MakeDirs(disk);
        harness::CopyFileOrDie(harness::BuildDir() + "\\launcher\\nicstart.exe", disk + "nicstart.exe");
        for (const char* inf : { "NIC.INF", "oemsetup.inf" })
            harness::CopyFileOrDie(harness::SourceDir() + "\\tests\\fixtures\\sample-disk\\" + inf, disk + inf);
        harness::InstallPcipeek(disk);
    }

    void TearDown() override { harness::RemoveTree(root); }

    harness::RunResult RunNicstart(const Case& c, Traced& traced)
    {
        harness::CopyFileOrDie(harness::BuildDir() + "\\tests\\doubles\\setupprog.exe", disk + c.program);
        DeleteFileA(kLogPath);
        DeleteFileA((root + "\\record.txt").c_str());
        harness::SetWindowsVersion("nicstart.exe", c.version);
        GrowingFile relay(Environment("NICTEST_RELAY_TRACE"));
        GrowingFile server(Environment("NICTEST_SERVER_TRACE"));

        harness::RunOptions options;
        options.commandLine = disk + "nicstart.exe" + (*c.arguments ? " " : "") + c.arguments;
        options.environment = { { "NICTEST_RECORD", root + "\\record.txt" },
                                { "NICTEST_EXIT", std::to_string(c.setupExitCode) },
                                { "WINEDEBUG", kTraceChannels } };
        options.answers = c.answers;
        if (c.faults != nullptr)
            harness::FailImports(options, c.faults);
        harness::RunResult result = harness::RunOnBus(c.version, options, harness::PciBus().Add(harness::PciFunction()));
        EXPECT_TRUE(result.started && !result.timedOut);
        WaitForEndSession();

        unsigned long mainThread = 0;
        for (const std::string& line : relay.NewLines()) {
            Call call;
            if (!ParseCall(line, call) || call.process != result.processId)
                continue;
            mainThread = call.thread;
            // Handles closed before the restart's wait are the run's, not the restart's.
            bool restarting = !traced.calls.empty() && traced.calls.back().function != "user32.exitwindowsex";
            if (call.function == "kernel32.closehandle" && !restarting)
                continue;
            if (call.function == "kernel32.loadlibrarya") {
                if (call.arguments.size() == 1 && call.arguments[0].find("advapi32") != std::string::npos)
                    traced.advapiLoads++;
            } else if (call.function != "crtdll.fopen") {
                traced.calls.push_back(call);
            } else if (call.arguments.size() == 2 && call.arguments[0].find("_nicstart.log") != std::string::npos &&
                       traced.calls.empty()) {
                traced.lastLogOpenMs = call.ms;
            }
        }
        // "0024: adjust_token_privileges( handle=0018, ..., privileges={{luid=...,attrs=2}} )"
        char prefix[32];
        snprintf(prefix, sizeof prefix, "%04lx: adjust_token_privileges( ", mainThread);
        for (const std::string& line : server.NewLines())
            if (line.rfind(prefix, 0) == 0)
                traced.privilegeRequests.push_back(line.substr(strlen(prefix)));
        return result;
    }

    // ExitWindowsEx hands the restart to "wineboot --end-session", which closes the
    // windows of the prefix; the next case's message box must not meet it.
    static void WaitForEndSession()
    {
        for (int i = 0; i < kEndSessionPolls && ProcessRunning("wineboot.exe"); ++i)
            Sleep(kEndSessionPollMs);
    }

    static bool ProcessRunning(const char* exeName)
    {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        PROCESSENTRY32 entry = {};
        entry.dwSize = sizeof entry;
        bool found = false;
        for (BOOL more = Process32First(snapshot, &entry); more && !found; more = Process32Next(snapshot, &entry))
            found = lstrcmpiA(entry.szExeFile, exeName) == 0;
        CloseHandle(snapshot);
        return found;
    }

    std::string root;
    std::string disk;
};

void ExpectRestartCalls(const Case& c, const Traced& traced)
{
    // The log's fopen calls show that the trace of this run was read at all, so that
    // "no restart calls" means something.
    ASSERT_GE(traced.lastLogOpenMs, 0) << "no fopen of the log in nicstart's relay trace";
    std::vector<std::string> expected;
    if (c.restart != NO_RESTART)
        expected.push_back("kernel32.sleep");
    if (c.restart == RESTART_NT)
        expected.insert(expected.end(), { "advapi32.openprocesstoken", "advapi32.lookupprivilegevaluea",
                                          "advapi32.adjusttokenprivileges", "kernel32.closehandle" });
    if (c.restart != NO_RESTART)
        expected.push_back("user32.exitwindowsex");
    std::vector<std::string> got;
    for (const Call& call : traced.calls)
        got.push_back(call.function);
    ASSERT_EQ(got, expected);
    if (c.restart == NO_RESTART)
        return;

    const Call& sleep = traced.calls.front();
    const Call& exitWindows = traced.calls.back();
    EXPECT_EQ(sleep.arguments, std::vector<std::string>{ kSleepBeforeRestart });
    EXPECT_EQ(Dword(exitWindows, 0), static_cast<unsigned long>(EWX_REBOOT)) << "ExitWindowsEx flags";
    EXPECT_EQ(Dword(exitWindows, 1), 0ul) << "ExitWindowsEx reserved";
    double delay = exitWindows.ms - traced.lastLogOpenMs;
    EXPECT_TRUE(traced.lastLogOpenMs >= 0 && delay >= kRestartDelayMinMs && delay <= kRestartDelayMaxMs)
        << "got " << delay << " ms from the end entry to ExitWindowsEx, expected about 5000";
    printf("    %s %s: end entry to ExitWindowsEx %.0f ms\n", c.version, c.arguments, delay);
    if (c.restart != RESTART_NT)
        return;

    const Call& open = traced.calls[1];
    const Call& lookup = traced.calls[2];
    const Call& adjust = traced.calls[3];
    const Call& close = traced.calls[4];
    EXPECT_EQ(open.arguments.size() == 3 ? open.arguments[0] : "", "ffffffffffffffff") << "the current process";
    EXPECT_EQ(Dword(open, 1), static_cast<unsigned long>(TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY)) << "token access";
    ASSERT_EQ(lookup.arguments.size(), 3u);
    EXPECT_EQ(Dword(lookup, 0), 0ul) << "the local system";
    EXPECT_NE(lookup.arguments[1].find(" \"SeShutdownPrivilege\""), std::string::npos) << lookup.arguments[1];
    ASSERT_EQ(adjust.arguments.size(), 6u);
    EXPECT_EQ(Dword(adjust, 1), 0ul) << "DisableAllPrivileges";
    EXPECT_EQ(Dword(adjust, 3), 0ul) << "previous state buffer length";
    EXPECT_EQ(Dword(adjust, 4), 0ul) << "previous state";
    EXPECT_EQ(Dword(adjust, 5), 0ul) << "return length";
    EXPECT_EQ(close.arguments, std::vector<std::string>{ adjust.arguments[0] }) << "the token is closed";
    ASSERT_EQ(traced.privilegeRequests.size(), 1u) << "adjust_token_privileges requests of nicstart";
    char handle[16];
    snprintf(handle, sizeof handle, "%04lx", Dword(adjust, 0));
    EXPECT_EQ(traced.privilegeRequests[0], std::string("handle=") + handle +
                                               ", disable_all=0, get_modified_state=0, privileges={{luid=" +
                                               kShutdownPrivilegeLuid + ",attrs=" +
                                               std::to_string(SE_PRIVILEGE_ENABLED) + "}} )");
}

TEST_F(Restarts, WhichRunsRestartAndHow)
{
    const Case cases[] = {
        { "win98", "INST9X.EXE", "-b", 0, {}, nullptr, RESTART_9X },
        { "nt40", "INSTNT4.EXE", "-b", 0, {}, nullptr, RESTART_NT },
        { "win2k", "INST2K.EXE", "-b -x", 0, {}, nullptr, RESTART_NT },
        { "winxp", "INST2K.EXE", "-b", 0, {}, nullptr, RESTART_NT },
        { "win2k", "INST2K.EXE", "-b", 3, {}, nullptr, NO_RESTART },
        { "win98", "INST9X.EXE", "", 0, { IDYES }, kAskInstall, RESTART_9X },
        { "win98", "INST9X.EXE", "", 0, { IDNO }, kAskInstall, NO_RESTART },
        { "nt40", "INSTNT4.EXE", "-r", 0, { IDYES }, kAskRemove, RESTART_NT },
        { "win2k", "INST2K.EXE", "", 0, {}, kMsgInstalled, NO_RESTART },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.version) + " \"" + c.arguments + "\" exit code " +
                     std::to_string(c.setupExitCode) + (c.answers.empty() ? "" : c.answers[0] == IDYES ? " Yes" : " No"));
        Traced traced;
        harness::RunResult result = RunNicstart(c, traced);
        EXPECT_EQ(result.exitCode, 0u);
        ASSERT_EQ(result.boxes.size(), c.message ? 1u : 0u);
        if (c.message) {
            EXPECT_EQ(result.boxes[0].text, c.message);
        }
        ExpectRestartCalls(c, traced);
        // The Windows 95 family never loads advapi32; the NT family looks its calls up once.
        EXPECT_EQ(traced.advapiLoads, std::string(c.version) == "win98" ? 0 : 1) << "LoadLibraryA of advapi32";

        // The frame of the run; the INF reading's and the presence check's own entries are
        // not this test's concern.
        std::vector<std::string> log;
        for (const std::string& line : harness::SplitLines(harness::ReadFileText(kLogPath)))
            if (line.rfind(kLogInfReading, 0) != 0 && !IsPresenceEntry(line))
                log.push_back(line);
        std::vector<std::string> expected = { kLogStart, kLogCreateProcess, kLogEnd };
        if (std::string(c.arguments) == "-r")
            expected.insert(expected.begin() + 2, { kLogCleanupStart, kLogCleanupEnd });
        EXPECT_EQ(log, expected);

        // -b is the launcher's own option: the setup program receives blanks instead.
        std::string received = c.arguments;
        if (received.rfind("-b", 0) == 0)
            received.replace(0, 2, "  ");
        std::vector<std::string> record = harness::SplitLines(harness::ReadFileText(root + "\\record.txt"));
        EXPECT_EQ(record.empty() ? "" : record[0], "cmdline=" + disk + c.program + " " + received);
    }
}

// A token call that is refused, or missing from advapi32, is not reported: the restart is
// still asked for, and the run ends as it would have (on a real machine ExitWindowsEx then
// fails without the privilege).  The calls after the failed one are left out; an opened
// token is closed.
TEST_F(Restarts, RefusedTokenCallStillAsksForTheRestart)
{
    struct TokenCase {
        Case run;
        std::vector<std::string> calls;   // from the wait to ExitWindowsEx; a failed call does not show
    } cases[] = {
        { { "nt40", "INSTNT4.EXE", "-b", 0, {}, nullptr, RESTART_NT, "OpenProcessToken=5" },
          { "kernel32.sleep", "user32.exitwindowsex" } },
        { { "win2k", "INST2K.EXE", "-b", 0, {}, nullptr, RESTART_NT, "LookupPrivilegeValueA=1313" },
          { "kernel32.sleep", "advapi32.openprocesstoken", "kernel32.closehandle", "user32.exitwindowsex" } },
        { { "winxp", "INST2K.EXE", "-b", 0, {}, nullptr, RESTART_NT, "AdjustTokenPrivileges=5" },
          { "kernel32.sleep", "advapi32.openprocesstoken", "advapi32.lookupprivilegevaluea", "kernel32.closehandle",
            "user32.exitwindowsex" } },
        { { "nt40", "INSTNT4.EXE", "-b", 0, {}, nullptr, RESTART_NT, "OpenProcessToken=missing" },
          { "kernel32.sleep", "user32.exitwindowsex" } },
        { { "win2k", "INST2K.EXE", "-b", 0, {}, nullptr, RESTART_NT, "AdjustTokenPrivileges=missing" },
          { "kernel32.sleep", "advapi32.openprocesstoken", "advapi32.lookupprivilegevaluea", "kernel32.closehandle",
            "user32.exitwindowsex" } },
    };
    for (const TokenCase& c : cases) {
        SCOPED_TRACE(std::string(c.run.version) + " " + c.run.faults);
        Traced traced;
        harness::RunResult result = RunNicstart(c.run, traced);
        EXPECT_EQ(result.exitCode, 0u);
        EXPECT_TRUE(result.boxes.empty());
        std::vector<std::string> got;
        for (const Call& call : traced.calls)
            got.push_back(call.function);
        ASSERT_EQ(got, c.calls);
        EXPECT_EQ(Dword(traced.calls.back(), 0), static_cast<unsigned long>(EWX_REBOOT)) << "ExitWindowsEx flags";
        EXPECT_TRUE(traced.privilegeRequests.empty());
        EXPECT_NE(harness::ReadFileText(kLogPath).find(kLogEnd), std::string::npos);
    }
}

}  // namespace

// Refuses to run anywhere but in the throw-away prefix that run-in-prefix-copy made.
int main(int argc, char** argv)
{
    std::string throwaway = Environment("NICTEST_THROWAWAY_PREFIX");
    if (throwaway.empty() || throwaway != Environment("WINEPREFIX")) {
        fprintf(stderr, "restart_e2e_test: run me through tests/e2e/run-in-prefix-copy: nicstart's restart "
                        "would end the processes of this prefix\n");
        return 2;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
