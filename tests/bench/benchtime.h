// What the bench programs share: the run count from the command line, a clock, a run of
// a program with nothing of the bench running meanwhile, and the
// lines that scripts/bench reads ("operation <seconds>" and "floor <seconds>", one pair per
// run; it takes the fastest of each).  Test code: never shipped.
#pragma once
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

namespace bench {

const int kDefaultRuns = 25;
// An exit code for the stand-in setup program that the launcher leaves unreported, so
// that a timed launcher run shows no message box.
const char kSetupFailure[] = "7";

inline int Runs(int argc, char** argv)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (strcmp(argv[i], "--runs") == 0)
            return atoi(argv[i + 1]);
    return kDefaultRuns;
}

inline double Seconds()
{
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// One run of a program while this process only waits: true when it started and ended
// in time.  The program must show no message box: nothing answers it.
inline bool RunAlone(const std::string& commandLine, const char* szFolder)
{
    const DWORD dwTimeoutMs = 60000;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, szFolder, &startup, &process))
        return false;
    bool bEnded = WaitForSingleObject(process.hProcess, dwTimeoutMs) == WAIT_OBJECT_0;
    if (!bEnded)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return bEnded;
}

inline void Report(const char* label, double seconds)
{
    printf("%s %.6f\n", label, seconds);
    fflush(stdout);
}

// A reason the measurement cannot be made; scripts/bench shows it.
inline int Unmeasurable(const char* reason)
{
    printf("unmeasurable %s\n", reason);
    fflush(stdout);
    return 1;
}

}  // namespace bench
