// nicdisk check: what nicstart.exe, started from the root of a driver disk with given
// arguments, would do on each Windows family up to the presence check, found by the
// launcher's own decisions (core/nicstart.h) on the disk folder.
#pragma once
#include <stdio.h>

// Which families the report covers: all, or one (--family 9x, nt4, nt5).
enum FamilyChoice { FAMILIES_ALL, FAMILY_9X, FAMILY_NT4, FAMILY_NT5 };

// Exit codes of the check.
enum { CHECK_READY = 0, CHECK_NOT_READY = 1, CHECK_USAGE = 2 };

// Writes the report on szHostFolder to pOut and returns CHECK_READY when every family
// covered is ready, CHECK_NOT_READY otherwise.  CHECK_USAGE, with a message on pErr,
// when the folder cannot be read.
int iCheckDisk(const char* szHostFolder, const char* szArguments, FamilyChoice eChoice, FILE* pOut,
               FILE* pErr);

// Whether the folder can become a 1.44 MB FAT12 floppy as it is: every name 8.3, the
// files and sub-folders within its clusters and its root entries.  Writes a warning for
// each rule broken to pOut; CHECK_READY when none is, CHECK_USAGE as iCheckDisk.
int iCheckImageRules(const char* szHostFolder, FILE* pOut, FILE* pErr);

// The command line: check DIR [--family 9x|nt4|nt5] [-- ARGUMENTS...], or
// check DIR --image-rules.
int iNicdiskMain(int argc, char** argv, FILE* pOut, FILE* pErr);

#include "hostdisk.h"
#include "infread.h"

// What one family's run would do, up to the presence check.
struct RunPrediction {
    const WindowsFamily* pFamily;
    LaunchStep eStop;                        // STEP_GO_ON when the run reaches the check
    char szStopText[STOP_TEXT_CAPACITY];     // the message box of the stop
    unsigned uExit;                          // the exit code where the run ends there
    char szSetupFolder[PATH_CAPACITY];
    char szApplicationPath[NAME_CAPACITY];
    char szCommandLine[NAME_CAPACITY];
    bool bUninstall;
    char szInfFolder[PATH_CAPACITY];
    char szInfFile[PATH_CAPACITY];
    int iInfTry;                             // INF_TRY_NAMED or the try that found it
    HwidList ids;
    bool bDriverOnDisk;                      // NT family: pcipeek.sys in the setup folder
    bool bReady;
    char szReason[STOP_TEXT_CAPACITY + 64];  // why not, when not ready
};

// The run of family iOsType from the root of the disk in szHostFolder.  The list in
// pRun->ids is the caller's, freed by vFreePrediction.
void vPredictRun(const char* szHostFolder, const char* szArguments, int iOsType, RunPrediction* pRun);
void vFreePrediction(RunPrediction* pRun);
