// nicstart's restart at the end of a run, end to end under wine: which runs restart,
// the platform calls and their arguments on each Windows family (from wine's relay
// trace, and the enabled privilege from the wineserver's request trace), and the wait
// between the log's end entry and the restart.  ExitWindowsEx ends the processes of the
// prefix it runs in, so this program runs only in a throw-away copy of the test prefix
// (tests/e2e/run-in-prefix-copy), never in the shared one, and in two phases: with
// --run-cases it runs every case and leaves what each run showed in NICTEST_RUN_DIR;
// a forced restart may end it there, as it ends every process of the prefix.  Run
// again without it, it judges what the first phase left, so that a wrong restart is
// reported as such, however the first phase ended.
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

#include <map>
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

const char kRunCasesOption[] = "--run-cases";
const char kCameBack[] = "came-back";

std::string RunDir()
{
    return harness::Environment("NICTEST_RUN_DIR");
}

// Box texts hold line breaks; the run files hold one value per line.
std::string OneLine(const std::string& text)
{
    std::string line;
    for (char c : text)
        line += c == '\n' ? std::string("\\n") : c == '\r' ? std::string("\\r") : std::string(1, c);
    return line;
}

size_t FileSize(const std::string& path)
{
    return harness::ReadFileText(path).size();
}

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

// The cases of WhichRunsRestartAndHow.
const Case kRunCases[] = {
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

// The cases of RefusedTokenCallStillAsksForTheRestart, with the calls from the wait to
// ExitWindowsEx; a failed call does not show.
struct TokenCase {
    Case run;
    std::vector<std::string> calls;
};
const TokenCase kTokenCases[] = {
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

// Where one case's run leaves its files: ID.txt (trace offsets, then the harness's
// result), ID.log (the setup log) and ID.record (the setup program's record).
std::string RunFile(const std::string& id, const char* extension)
{
    return RunDir() + "\\" + id + extension;
}

const char kRoot[] = "C:\\nictest\\Restarts";

std::string Disk()
{
    return std::string(kRoot) + "\\disk\\";
}

// ExitWindowsEx hands the restart to "wineboot --end-session", which closes the
// windows of the prefix; the next case's message box must not meet it.
bool ProcessRunning(const char* exeName)
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

void WaitForEndSession()
{
    for (int i = 0; i < kEndSessionPolls && ProcessRunning("wineboot.exe"); ++i)
        Sleep(kEndSessionPollMs);
}

// The first phase: one case, run. The trace offsets are written before the run, so
// that the judging phase finds this case's part of the traces even when the run never
// comes back.
void RunCase(const Case& c, const std::string& id)
{
    std::string root = kRoot;
    std::string disk = Disk();
    harness::RemoveTree(root);
    harness::MakeDirs(disk);
    harness::CopyFileOrDie(harness::BuildDir() + "\\launcher\\nicstart.exe", disk + "nicstart.exe");
    for (const char* inf : { "NIC.INF", "oemsetup.inf" })
        harness::CopyFileOrDie(harness::SourceDir() + "\\tests\\fixtures\\sample-disk\\" + inf, disk + inf);
    harness::InstallPcipeek(disk);
    harness::CopyFileOrDie(harness::BuildDir() + "\\tests\\doubles\\setupprog.exe", disk + c.program);
    DeleteFileA(kLogPath);
    harness::SetWindowsVersion("nicstart.exe", c.version);
    std::string offsets =
        "relay=" + std::to_string(FileSize(harness::Environment("NICTEST_RELAY_TRACE"))) + "\n" +
        "server=" + std::to_string(FileSize(harness::Environment("NICTEST_SERVER_TRACE"))) + "\n";
    harness::WriteFileText(RunFile(id, ".txt"), offsets);

    harness::RunOptions options;
    options.commandLine = disk + "nicstart.exe" + (*c.arguments ? " " : "") + c.arguments;
    options.environment = { { "NICTEST_RECORD", root + "\\record.txt" },
                            { "NICTEST_EXIT", std::to_string(c.setupExitCode) },
                            { "WINEDEBUG", kTraceChannels } };
    options.answers = c.answers;
    if (c.faults != nullptr)
        harness::FailImports(options, c.faults);
    harness::RunResult result = harness::RunOnBus(c.version, options, harness::PciBus().Add(harness::PciFunction()));
    WaitForEndSession();

    std::string run = offsets + kCameBack + "=1\n" + "started=" + std::to_string(result.started) + "\n" +
                      "timed-out=" + std::to_string(result.timedOut) + "\n" +
                      "exit-code=" + std::to_string(result.exitCode) + "\n";
    for (const harness::MessageBoxSeen& box : result.boxes)
        run += "box=" + OneLine(box.text) + "\n";
    harness::WriteFileText(RunFile(id, ".txt"), run);
    harness::WriteFileText(RunFile(id, ".log"), harness::ReadFileText(kLogPath));
    harness::WriteFileText(RunFile(id, ".record"), harness::ReadFileText(root + "\\record.txt"));
    harness::RemoveTree(root);
}

int RunCases()
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\Debug", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return 1;
    RegSetValueExA(key, "RelayInclude", 0, REG_SZ, reinterpret_cast<const BYTE*>(kRelayInclude),
                   sizeof kRelayInclude);
    RegCloseKey(key);
    harness::MakeDirs(RunDir());
    for (size_t i = 0; i < sizeof kRunCases / sizeof kRunCases[0]; ++i)
        RunCase(kRunCases[i], "which-" + std::to_string(i));
    for (size_t i = 0; i < sizeof kTokenCases / sizeof kTokenCases[0]; ++i)
        RunCase(kTokenCases[i].run, "token-" + std::to_string(i));
    return 0;
}

// What the first phase left of one case.
struct CaseRun {
    std::map<std::string, std::string> values;   // ID.txt; "box" holds the last box
    std::vector<std::string> boxes;
    std::string log;
    std::string record;
    Traced traced;
};

// The part of a trace file from `from` to the next case's start (`to`, or the end).
std::string Slice(const std::string& text, const std::string& from, const std::string& to)
{
    size_t begin = strtoul(from.c_str(), nullptr, 10);
    size_t end = to.empty() ? text.size() : strtoul(to.c_str(), nullptr, 10);
    return begin <= end && end <= text.size() ? text.substr(begin, end - begin) : "";
}

// nicstart's calls in its part of the relay trace: nicstart is the process that opens
// the setup log (the setup program opens only its record).
Traced ReadTraces(const std::string& relay, const std::string& server)
{
    Traced traced;
    unsigned long process = 0, mainThread = 0;
    for (const std::string& line : harness::SplitLines(relay)) {
        Call call;
        if (!ParseCall(line, call))
            continue;
        bool logOpen = call.function == "crtdll.fopen" && call.arguments.size() == 2 &&
                       call.arguments[0].find("_nicstart.log") != std::string::npos;
        if (process == 0 && logOpen)
            process = call.process;
        if (call.process != process || process == 0)
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
        } else if (logOpen && traced.calls.empty()) {
            traced.lastLogOpenMs = call.ms;
        }
    }
    // "0024: adjust_token_privileges( handle=0018, ..., privileges={{luid=...,attrs=2}} )"
    char prefix[32];
    snprintf(prefix, sizeof prefix, "%04lx: adjust_token_privileges( ", mainThread);
    for (const std::string& line : harness::SplitLines(server))
        if (mainThread != 0 && line.rfind(prefix, 0) == 0)
            traced.privilegeRequests.push_back(line.substr(strlen(prefix)));
    return traced;
}

// Reads one case's run; `next` is the id of the case run after it, or "".  Reports a
// case that never ran or whose run never came back, and answers whether it did.
bool ReadRun(const std::string& id, const std::string& next, CaseRun& run)
{
    std::vector<std::string> lines = harness::SplitLines(harness::ReadFileText(RunFile(id, ".txt")));
    if (lines.empty()) {
        ADD_FAILURE() << "this case never ran: the first phase ended before it (see the case before)";
        return false;
    }
    for (const std::string& line : lines) {
        size_t equals = line.find('=');
        std::string key = line.substr(0, equals), value = equals == std::string::npos ? "" : line.substr(equals + 1);
        run.values[key] = value;
        if (key == "box")
            run.boxes.push_back(value);
    }
    std::map<std::string, std::string> following;
    for (const std::string& line : harness::SplitLines(harness::ReadFileText(RunFile(next, ".txt"))))
        following[line.substr(0, line.find('='))] = line.substr(line.find('=') + 1);
    std::string relay = harness::ReadFileText(harness::Environment("NICTEST_RELAY_TRACE"));
    std::string server = harness::ReadFileText(harness::Environment("NICTEST_SERVER_TRACE"));
    run.traced = ReadTraces(Slice(relay, run.values["relay"], next.empty() ? "" : following["relay"]),
                            Slice(server, run.values["server"], next.empty() ? "" : following["server"]));
    run.log = harness::ReadFileText(RunFile(id, ".log"));
    run.record = harness::ReadFileText(RunFile(id, ".record"));
    if (run.values.count(kCameBack) == 0) {
        ADD_FAILURE() << "the run of this case never came back: the test program was ended during it, "
                         "as a forced restart ends every process";
        return false;
    }
    EXPECT_EQ(run.values["started"], "1");
    EXPECT_EQ(run.values["timed-out"], "0");
    return true;
}

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

TEST(Restarts, WhichRunsRestartAndHow)
{
    const size_t count = sizeof kRunCases / sizeof kRunCases[0];
    for (size_t i = 0; i < count; ++i) {
        const Case& c = kRunCases[i];
        SCOPED_TRACE(std::string(c.version) + " \"" + c.arguments + "\" exit code " +
                     std::to_string(c.setupExitCode) + (c.answers.empty() ? "" : c.answers[0] == IDYES ? " Yes" : " No"));
        CaseRun run;
        bool cameBack = ReadRun("which-" + std::to_string(i), i + 1 < count ? "which-" + std::to_string(i + 1) : "token-0", run);
        if (run.values.empty())
            continue;
        ExpectRestartCalls(c, run.traced);
        // The Windows 95 family never loads advapi32; the NT family looks its calls up once.
        EXPECT_EQ(run.traced.advapiLoads, std::string(c.version) == "win98" ? 0 : 1) << "LoadLibraryA of advapi32";
        if (!cameBack)
            continue;
        EXPECT_EQ(run.values["exit-code"], "0");
        ASSERT_EQ(run.boxes.size(), c.message ? 1u : 0u);
        if (c.message) {
            EXPECT_EQ(run.boxes[0], OneLine(c.message));
        }

        // The frame of the run; the INF reading's and the presence check's own entries are
        // not this test's concern.
        std::vector<std::string> log;
        for (const std::string& line : harness::SplitLines(run.log))
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
        std::vector<std::string> record = harness::SplitLines(run.record);
        EXPECT_EQ(record.empty() ? "" : record[0], "cmdline=" + Disk() + c.program + " " + received);
    }
}

// A token call that is refused, or missing from advapi32, is not reported: the restart is
// still asked for, and the run ends as it would have (on a real machine ExitWindowsEx then
// fails without the privilege).  The calls after the failed one are left out; an opened
// token is closed.
TEST(Restarts, RefusedTokenCallStillAsksForTheRestart)
{
    const size_t count = sizeof kTokenCases / sizeof kTokenCases[0];
    for (size_t i = 0; i < count; ++i) {
        const TokenCase& c = kTokenCases[i];
        SCOPED_TRACE(std::string(c.run.version) + " " + c.run.faults);
        CaseRun run;
        bool cameBack = ReadRun("token-" + std::to_string(i), i + 1 < count ? "token-" + std::to_string(i + 1) : "", run);
        if (run.values.empty())
            continue;
        std::vector<std::string> got;
        for (const Call& call : run.traced.calls)
            got.push_back(call.function);
        ASSERT_EQ(got, c.calls);
        EXPECT_EQ(Dword(run.traced.calls.back(), 0), static_cast<unsigned long>(EWX_REBOOT)) << "ExitWindowsEx flags";
        EXPECT_TRUE(run.traced.privilegeRequests.empty());
        if (!cameBack)
            continue;
        EXPECT_EQ(run.values["exit-code"], "0");
        EXPECT_TRUE(run.boxes.empty());
        EXPECT_NE(run.log.find(kLogEnd), std::string::npos);
    }
}

}  // namespace

// --run-cases runs only in the throw-away prefix that run-in-prefix-copy made; judging
// needs the folder that the first phase wrote.
int main(int argc, char** argv)
{
    if (RunDir().empty()) {
        fprintf(stderr, "restart_e2e_test: run me through tests/e2e/run-in-prefix-copy\n");
        return 2;
    }
    if (argc == 2 && strcmp(argv[1], kRunCasesOption) == 0) {
        std::string throwaway = harness::Environment("NICTEST_THROWAWAY_PREFIX");
        if (throwaway.empty() || throwaway != harness::Environment("WINEPREFIX")) {
            fprintf(stderr, "restart_e2e_test: %s runs only in the prefix copy of run-in-prefix-copy: nicstart's "
                            "restart would end the processes of this prefix\n", kRunCasesOption);
            return 2;
        }
        return RunCases();
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
