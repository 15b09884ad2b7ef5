// What the bench programs share: the run count from the command line, a clock, and the
// lines that scripts/bench reads ("operation <seconds>" and "floor <seconds>", one pair per
// run; it takes the median of each).  Test code: never shipped.
#pragma once
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace bench {

const int kDefaultRuns = 9;

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
