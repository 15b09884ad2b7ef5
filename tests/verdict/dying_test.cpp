// Planted test programs for tests/gtest-verdict: one GoogleTest program that, as told by
// NICTEST_DIE, passes, fails a case, leaves in the middle of its first case with exit
// status 0, or is terminated there by another process (as a forced restart does it).
// planted-verdicts runs it in each way and checks the verdict and its reason.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <unistd.h>
#endif

#include <string>

namespace {

const char kTerminate[] = "--terminate";
const unsigned kWaitForTheEndMs = 30000;

std::string Mode()
{
    const char* mode = getenv("NICTEST_DIE");
    return mode == nullptr ? "" : mode;
}

// Leaves the process at once, with status 0 and without returning to GoogleTest.
void LeaveNow()
{
#ifdef _WIN32
    ExitProcess(0);
#else
    _exit(0);
#endif
}

// Has another process end this one, then waits for the end.
void TerminatedFromOutside(const char* argv0)
{
#ifdef _WIN32
    // Another copy of this program ends us with TerminateProcess and exit code 0, the
    // way wine's forced end of session ends every process of the prefix.
    char szCommand[MAX_PATH + 32];
    snprintf(szCommand, sizeof szCommand, "\"%s\" %s %lu", argv0, kTerminate, GetCurrentProcessId());
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessA(nullptr, szCommand, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
    Sleep(kWaitForTheEndMs);
#else
    (void)argv0;
    if (fork() == 0) {
        kill(getppid(), SIGKILL);
        _exit(0);
    }
    sleep(kWaitForTheEndMs / 1000);
#endif
}

const char* gArgv0;

TEST(Planted, First)
{
    std::string mode = Mode();
    if (mode == "exit")
        LeaveNow();
    if (mode == "kill")
        TerminatedFromOutside(gArgv0);
    EXPECT_NE(mode, "fail") << "the planted failure";
}

TEST(Planted, Second)
{
    SUCCEED();
}

}  // namespace

int main(int argc, char** argv)
{
#ifdef _WIN32
    if (argc == 3 && strcmp(argv[1], kTerminate) == 0) {
        HANDLE hProcess = OpenProcess(PROCESS_TERMINATE, FALSE, strtoul(argv[2], nullptr, 10));
        return hProcess != nullptr && TerminateProcess(hProcess, 0) ? 0 : 1;
    }
#endif
    gArgv0 = argv[0];
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
