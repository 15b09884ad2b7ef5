#include "diskcheck.h"

#include "format.h"
#include "options.h"
#include "presence.h"
#include "textutil.h"

#include <dirent.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>

namespace {

// A 1.44 MB floppy's FAT12 layout: 2880 sectors of 512 bytes, of which the boot sector,
// two FATs of 9 sectors and a root folder of 224 entries (14 sectors) leave 2847
// one-sector clusters for files and sub-folders.
const long kClusterBytes = 512;
const long kFloppyClusters = 2847;
const int kRootEntries = 224;
const long kDirEntryBytes = 32;

struct FamilyName {
    int iOsType;
    const char* szName;
    FamilyChoice eChoice;
};
const FamilyName kFamilyNames[] = {
    { OS_WIN9X, "95/98/Me", FAMILY_9X },
    { OS_WINNT4, "NT 4.0", FAMILY_NT4 },
    { OS_WIN2K, "2000/XP/2003", FAMILY_NT5 },
};
const int kFamilyCount = 3;

const char* kTryNames[INF_TRIES] = { "the INF folder", "one level up", "two levels up", "the drive root" };

// A message box's text on one line: its line breaks written as \n.
void vPrintQuoted(FILE* pOut, const char* szText)
{
    fputc('"', pOut);
    for (const char* p = szText; *p != '\0'; ++p) {
        if (*p == '\n')
            fputs("\\n", pOut);
        else
            fputc(*p, pOut);
    }
    fputc('"', pOut);
}

void vStop(RunPrediction* pRun, LaunchStep eStop)
{
    pRun->eStop = eStop;
    pRun->uExit = uStopMessage(eStop, pRun->pFamily->szSetupProgram, pRun->szStopText);
    iFormatText(pRun->szReason, sizeof pRun->szReason, "the launcher stops with \"%s\"",
                pRun->szStopText);
    for (char* p = pRun->szReason; *p != '\0'; ++p)
        if (*p == '\n')
            *p = ' ';
}

void vReadIds(RunPrediction* pRun)
{
    char szPath[PATH_CAPACITY];
    char szHost[HOST_PATH_CAPACITY];
    if (bJoinText(szPath, sizeof szPath, pRun->szInfFolder, pRun->szInfFile) && bHostPath(szPath, szHost))
        vReadHardwareIDs(szHost, pRun->pFamily->eDialect, kHostDisk.pfnLog, &pRun->ids);
}

void vJudge(RunPrediction* pRun)
{
    if (pRun->pFamily->ePresence == PRESENCE_BY_DRIVER && !pRun->bDriverOnDisk) {
        iFormatText(pRun->szReason, sizeof pRun->szReason, "pcipeek.sys is not in the setup folder %s",
                    pRun->szSetupFolder);
        return;
    }
    if (!pRun->bUninstall) {
        bool bCanMatch = false;
        for (int i = 0; i < pRun->ids.iCount; ++i)
            bCanMatch = bCanMatch || bEntryCanMatch(pRun->ids.aszEntries[i]);
        if (!bCanMatch) {
            bCopyText(pRun->szReason, sizeof pRun->szReason,
                      pRun->ids.iCount == 0 ? "the hardware-ID list is empty"
                                            : "no hardware ID can match an adapter");
            return;
        }
    }
    pRun->bReady = true;
}

const char* szFamilyName(const WindowsFamily* pFamily)
{
    for (const FamilyName& name : kFamilyNames)
        if (name.iOsType == pFamily->eOsType)
            return name.szName;
    return "";
}

void vReportRun(FILE* pOut, const RunPrediction& run, const char* szArguments)
{
    fprintf(pOut, "== %s: A:\\nicstart.exe%s%s\n", szFamilyName(run.pFamily), szArguments[0] != '\0' ? " " : "",
            szArguments);
    if (run.szSetupFolder[0] != '\0' && run.eStop != STOP_NO_SETUP_PROGRAM &&
        run.eStop != STOP_FOLDER_TOO_LONG) {
        fprintf(pOut, "  setup program: %s in %s (%s)\n", run.pFamily->szSetupProgram, run.szSetupFolder,
                strcmp(run.szSetupFolder, DISK_ROOT) == 0 ? "beside nicstart.exe" : "in nicstart\\");
        if (run.szCommandLine[0] != '\0')
            fprintf(pOut, "  command line: \"%s\"\n", run.szCommandLine);
    }
    if (run.bUninstall)
        fputs("  uninstall run (-r): no INF file is read\n", pOut);
    if (run.szInfFile[0] != '\0' && run.eStop == STEP_GO_ON && !run.bUninstall) {
        fprintf(pOut, "  INF folder: %s\n", run.szInfFolder);
        if (run.iInfTry == INF_TRY_NAMED)
            fprintf(pOut, "  INF file: %s (%s)\n", run.szInfFile,
                    run.pFamily->szInfFile != nullptr ? "the name this family always uses" : "named with -f");
        else
            fprintf(pOut, "  INF file: %s (found by try %d of %d: %s)\n", run.szInfFile, run.iInfTry + 1,
                    INF_TRIES, kTryNames[run.iInfTry]);
        fprintf(pOut, "  dialect: %s\n",
                run.pFamily->eDialect == INF_NT4_SCRIPT ? "NT 4.0 setup script" : "device INF");
        fprintf(pOut, "  hardware IDs: %d\n", run.ids.iCount);
        for (int i = 0; i < run.ids.iCount; ++i)
            fprintf(pOut, "    %s\n", run.ids.aszEntries[i]);
        for (int i = 0; i < run.ids.iCount; ++i)
            if (!bEntryCanMatch(run.ids.aszEntries[i]))
                fprintf(pOut, "  warning: hardware ID \"%s\" can never match an adapter (no DEV_ followed "
                              "by upper-case hexadecimal digits)\n",
                        run.ids.aszEntries[i]);
    }
    if (run.eStop != STEP_GO_ON) {
        fputs("  message box: ", pOut);
        vPrintQuoted(pOut, run.szStopText);
        fprintf(pOut, "\n  exit code: %u (the run ends before the presence check)\n", run.uExit);
        return;
    }
    if (run.pFamily->ePresence == PRESENCE_BY_DRIVER)
        fprintf(pOut, "  pcipeek.sys: %s\n", run.bDriverOnDisk ? "in the setup folder" : "missing from the setup folder");
    fputs("  message boxes before the presence check: none\n", pOut);
}

// The disk's own rules, whatever runs from it: 8.3 names and the floppy's room.
struct DiskWalk {
    FILE* pOut;
    long lClusters;
    int iRootEntries;
    bool bLongName;
};

bool bIsShortNameChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           (c != '\0' && strchr("!#$%&'()-@^_`{}~", c) != nullptr);
}

bool bIsShortName(const char* szName)
{
    const char* szDot = strchr(szName, '.');
    size_t uBase = szDot == nullptr ? strlen(szName) : static_cast<size_t>(szDot - szName);
    size_t uExtension = szDot == nullptr ? 0 : strlen(szDot + 1);
    if (uBase == 0 || uBase > 8 || uExtension > 3 || (szDot != nullptr && uExtension == 0))
        return false;
    for (const char* p = szName; *p != '\0'; ++p)
        if (p != szDot && !bIsShortNameChar(*p))
            return false;
    return true;
}

long lClustersOf(long lBytes) { return (lBytes + kClusterBytes - 1) / kClusterBytes; }

void vWalkFolder(DiskWalk* pWalk, const char* szHost, const char* szDiskPath, bool bRoot)
{
    struct dirent** apEntries = nullptr;
    int iCount = scandir(szHost, &apEntries, nullptr, alphasort);
    if (iCount < 0)
        return;
    int iEntries = 0;
    for (int i = 0; i < iCount; ++i) {
        const char* szName = apEntries[i]->d_name;
        char szChild[HOST_PATH_CAPACITY];
        char szChildDisk[HOST_PATH_CAPACITY];
        struct stat st;
        if (strcmp(szName, ".") != 0 && strcmp(szName, "..") != 0 &&
            iFormatText(szChild, sizeof szChild, "%s/%s", szHost, szName) >= 0 &&
            iFormatText(szChildDisk, sizeof szChildDisk, "%s%s", szDiskPath, szName) >= 0 &&
            stat(szChild, &st) == 0) {
            ++iEntries;
            if (!bIsShortName(szName)) {
                fprintf(pWalk->pOut, "warning: %s is not an 8.3 name\n", szChildDisk);
                pWalk->bLongName = true;
            }
            if (S_ISDIR(st.st_mode)) {
                char szSubDisk[HOST_PATH_CAPACITY];
                iFormatText(szSubDisk, sizeof szSubDisk, "%s\\", szChildDisk);
                vWalkFolder(pWalk, szChild, szSubDisk, false);
            } else {
                pWalk->lClusters += lClustersOf(st.st_size);
            }
        }
        free(apEntries[i]);
    }
    free(apEntries);
    if (bRoot)
        pWalk->iRootEntries = iEntries;
    else
        pWalk->lClusters += lClustersOf((iEntries + 2) * kDirEntryBytes);
}

// Writes a warning for each rule the disk breaks; true when it breaks none.
bool bCheckDiskRules(const char* szHostFolder, FILE* pOut)
{
    DiskWalk walk = { pOut, 0, 0, false };
    vWalkFolder(&walk, szHostFolder, DISK_ROOT, true);
    if (walk.lClusters > kFloppyClusters)
        fprintf(pOut, "warning: the disk needs %ld bytes, more than the %ld of a 1.44 MB floppy\n",
                walk.lClusters * kClusterBytes, kFloppyClusters * kClusterBytes);
    if (walk.iRootEntries > kRootEntries)
        fprintf(pOut, "warning: the disk's root holds %d entries, more than the %d of a 1.44 MB floppy\n",
                walk.iRootEntries, kRootEntries);
    return !walk.bLongName && walk.lClusters <= kFloppyClusters && walk.iRootEntries <= kRootEntries;
}

// A family of one dialect took an INF file that another family of that dialect did not.
void vCheckInfAgreement(FILE* pOut, const RunPrediction* aRuns, const bool* abCovered)
{
    for (int i = 0; i < kFamilyCount; ++i) {
        const RunPrediction& took = aRuns[i];
        if (!abCovered[i] || took.eStop != STEP_GO_ON || took.bUninstall)
            continue;
        for (int j = 0; j < kFamilyCount; ++j) {
            const RunPrediction& other = aRuns[j];
            if (j == i || !abCovered[j] || other.pFamily->eDialect != took.pFamily->eDialect || other.bUninstall)
                continue;
            bool bSame = other.eStop == STEP_GO_ON && strcasecmp(other.szInfFolder, took.szInfFolder) == 0 &&
                         strcasecmp(other.szInfFile, took.szInfFile) == 0;
            if (!bSame)
                fprintf(pOut, "warning: %s%s is valid for %s but not taken by %s\n", took.szInfFolder,
                        took.szInfFile, szFamilyName(took.pFamily), szFamilyName(other.pFamily));
        }
    }
}

}  // namespace

void vPredictRun(const char* szHostFolder, const char* szArguments, int iOsType, RunPrediction* pRun)
{
    memset(pRun, 0, sizeof *pRun);
    pRun->pFamily = pFindFamily(iOsType);
    pRun->iInfTry = INF_TRY_NAMED;
    vMountDisk(szHostFolder, DISK_ROOT);
    vSetDialect(pRun->pFamily->eDialect);

    LaunchStep eStep = eLocateSetupProgram(kHostDisk, DISK_ROOT, pRun->pFamily->szSetupProgram,
                                           pRun->szSetupFolder);
    if (eStep == STEP_GO_ON)
        eStep = eFormatCommandLine(pRun->szSetupFolder, pRun->pFamily->szSetupProgram, szArguments,
                                   pRun->szApplicationPath, pRun->szCommandLine);
    if (eStep != STEP_GO_ON)
        return vStop(pRun, eStep);
    // The launcher makes the setup folder its current folder before it reads the INF.
    vMountDisk(szHostFolder, pRun->szSetupFolder);
    pRun->bUninstall = bHasOption(szArguments, "-r");
    if (!pRun->bUninstall) {
        eStep = eResolveInfOptions(szArguments, *pRun->pFamily, pRun->szSetupFolder, pRun->szInfFolder,
                                   pRun->szInfFile);
        if (eStep == STEP_GO_ON)
            eStep = eResolveInfFile(kHostDisk, pRun->szInfFolder, pRun->szInfFile, &pRun->iInfTry);
        if (eStep != STEP_GO_ON)
            return vStop(pRun, eStep);
        vReadIds(pRun);
    }
    // The driver's source on the disk is joined as the launcher joins it; the system
    // folder only completes the call, no target is looked at.
    char szSource[PATH_CAPACITY];
    char szTarget[PATH_CAPACITY];
    pRun->bDriverOnDisk = bBuildDriverPaths(pRun->szSetupFolder, "C:\\WINDOWS\\system32", szSource, szTarget) &&
                          kHostDisk.pfnFileExists(szSource);
    vJudge(pRun);
}

void vFreePrediction(RunPrediction* pRun)
{
    free(pRun->ids.aszEntries);
    pRun->ids.aszEntries = nullptr;
    pRun->ids.iCount = 0;
}

namespace {

bool bReadableFolder(const char* szHostFolder, FILE* pErr)
{
    struct stat st;
    DIR* pDir = opendir(szHostFolder);
    bool bReadable = stat(szHostFolder, &st) == 0 && S_ISDIR(st.st_mode) && pDir != nullptr;
    if (pDir != nullptr)
        closedir(pDir);
    if (!bReadable)
        fprintf(pErr, "nicdisk: %s is not a readable folder\n", szHostFolder);
    return bReadable;
}

}  // namespace

int iCheckImageRules(const char* szHostFolder, FILE* pOut, FILE* pErr)
{
    if (!bReadableFolder(szHostFolder, pErr))
        return CHECK_USAGE;
    return bCheckDiskRules(szHostFolder, pOut) ? CHECK_READY : CHECK_NOT_READY;
}

int iCheckDisk(const char* szHostFolder, const char* szArguments, FamilyChoice eChoice, FILE* pOut, FILE* pErr)
{
    if (!bReadableFolder(szHostFolder, pErr))
        return CHECK_USAGE;

    RunPrediction aRuns[kFamilyCount];
    bool abCovered[kFamilyCount];
    for (int i = 0; i < kFamilyCount; ++i) {
        abCovered[i] = eChoice == FAMILIES_ALL || eChoice == kFamilyNames[i].eChoice;
        vPredictRun(szHostFolder, szArguments, kFamilyNames[i].iOsType, &aRuns[i]);
        if (abCovered[i])
            vReportRun(pOut, aRuns[i], szArguments);
    }
    bCheckDiskRules(szHostFolder, pOut);
    vCheckInfAgreement(pOut, aRuns, abCovered);

    int iResult = CHECK_READY;
    for (int i = 0; i < kFamilyCount; ++i) {
        if (abCovered[i]) {
            if (aRuns[i].bReady) {
                fprintf(pOut, "%s: ready\n", kFamilyNames[i].szName);
            } else {
                fprintf(pOut, "%s: not ready: %s\n", kFamilyNames[i].szName, aRuns[i].szReason);
                iResult = CHECK_NOT_READY;
            }
        }
        vFreePrediction(&aRuns[i]);
    }
    return iResult;
}

int iNicdiskMain(int argc, char** argv, FILE* pOut, FILE* pErr)
{
    const char kUsage[] = "usage: nicdisk check DIR [--family 9x|nt4|nt5] [-- ARGUMENTS...]\n"
                          "       nicdisk check DIR --image-rules\n";
    if (argc < 3 || strcmp(argv[1], "check") != 0) {
        fputs(kUsage, pErr);
        return CHECK_USAGE;
    }
    const char* szFolder = nullptr;
    FamilyChoice eChoice = FAMILIES_ALL;
    bool bImageRules = false;
    char szArguments[NAME_CAPACITY] = "";
    for (int i = 2; i < argc; ++i) {
        if (strcmp(argv[i], "--") == 0) {
            // The arguments as WinMain would receive them: joined by single blanks.
            for (int j = i + 1; j < argc; ++j)
                if ((j > i + 1 && !bAppendText(szArguments, sizeof szArguments, " ")) ||
                    !bAppendText(szArguments, sizeof szArguments, argv[j])) {
                    fputs("nicdisk: the arguments are longer than a command line\n", pErr);
                    return CHECK_USAGE;
                }
            break;
        }
        if (strcmp(argv[i], "--family") == 0 && i + 1 < argc) {
            const char* szChoice = argv[++i];
            eChoice = strcmp(szChoice, "9x") == 0 ? FAMILY_9X : strcmp(szChoice, "nt4") == 0 ? FAMILY_NT4
                     : strcmp(szChoice, "nt5") == 0 ? FAMILY_NT5 : FAMILIES_ALL;
            if (eChoice == FAMILIES_ALL) {
                fputs(kUsage, pErr);
                return CHECK_USAGE;
            }
        } else if (strcmp(argv[i], "--image-rules") == 0) {
            bImageRules = true;
        } else if (szFolder == nullptr && argv[i][0] != '-') {
            szFolder = argv[i];
        } else {
            fputs(kUsage, pErr);
            return CHECK_USAGE;
        }
    }
    if (szFolder == nullptr) {
        fputs(kUsage, pErr);
        return CHECK_USAGE;
    }
    if (bImageRules)
        return iCheckImageRules(szFolder, pOut, pErr);
    return iCheckDisk(szFolder, szArguments, eChoice, pOut, pErr);
}
