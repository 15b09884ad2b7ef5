/* Between the C entry point and the C++ main flow. */
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

/* Runs the launcher on the full process command line; returns the exit code. */
int iLauncherMain(const char* szCommandLine);

#ifdef __cplusplus
}
#endif
