// Times the launcher's INF work on a 10 MB INF file - the validity test of INF discovery
// and GetHardwareID's two passes - against three plain fgets passes over the same file.
// The launcher's share is the difference between the fastest runs of nicstart.exe from
// two disks that differ only in the INF file's size (the difference of each pair of runs
// would take the noise of both), each run timed from its start to its first request to
// the driver, so that the presence check, the setup program and the process's end stay
// out of it; the floor is timed here, with the launcher's 128-byte pieces.
#include "benchtime.h"
#include "harness.h"
#include "pcibus.h"

#include <stdio.h>

#include <string>

namespace {

const char kSetupLog[] = "C:\\windows\\temp\\_nicstart.log";
const char kHardwareIdEntry[] = "GetHardwareID ----------";   // logged as the reading starts
const char kBigDisk[] = "C:\\nicbench\\infbig\\";
const char kSmallDisk[] = "C:\\nicbench\\infsmall\\";
const size_t kBigSize = 10 * 1024 * 1024;
const int kPiece = 128;   // the launcher reads INF text in pieces of this size
const int kPasses = 3;
// One model line in this many names the adapter's vendor.
const int kAdapterLineEvery = 64;
const uint16_t kAdapterDeviceId = 0x3065;   // the first model line's DEV_3065

const char kHead[] =
    "[Version]\r\n"
    "Signature=\"$Windows NT$\"\r\n"
    "Class=Net\r\n"
    "\r\n"
    "[MANUF]\r\n"
    "%NIC.DeviceDesc% = NIC.ndi, PCI\\VEN_1106&DEV_3065\r\n";
// The class GUID comes last, so that the validity test reads the whole file, as the two
// hardware-ID passes read the whole model section.
const char kTail[] =
    "\r\n"
    "[Strings]\r\n"
    "NIC.DeviceDesc = \"Fast Ethernet Adapter\"\r\n"
    "ClassGUID = {4d36e972-e325-11ce-bfc1-08002be10318}\r\n";

// Model lines of many adapters, a few of them this vendor's, up to about uSize bytes.
std::string ModelLines(size_t uSize)
{
    std::string text;
    char szLine[96];
    for (int i = 0; text.size() < uSize; ++i) {
        const char* szVendor = i % kAdapterLineEvery == 0 ? "1106" : "10EC";
        snprintf(szLine, sizeof szLine, "%%Model%06d.DeviceDesc%% = NIC%06d.ndi, PCI\\VEN_%s&DEV_%04X\r\n", i, i,
                 szVendor, i & 0xFFFF);
        text += szLine;
    }
    return text;
}

void LayOutDisk(const char* szDisk, const std::string& inf)
{
    harness::RemoveTree(szDisk);
    harness::MakeDirs(szDisk);
    harness::CopyFileOrDie(harness::BuildDir() + "\\launcher\\nicstart.exe", std::string(szDisk) + "nicstart.exe");
    harness::CopyFileOrDie(harness::BuildDir() + "\\tests\\doubles\\setupprog.exe", std::string(szDisk) + "INST2K.EXE");
    harness::WriteFileText(std::string(szDisk) + "NIC.INF", inf);
    harness::InstallPcipeek(szDisk);
}

// Seconds from the start of a run of the launcher from a disk to its first request to
// the driver (whose log has the same clock); negative when it did not finish.
double RunSeconds(const char* szDisk)
{
    harness::ClearDriverLog(harness::kPcipeek);
    double dStart = bench::Seconds();
    if (!bench::RunAlone(std::string("\"") + szDisk + "nicstart.exe\"", szDisk))
        return -1.0;
    for (const harness::DriverLogEntry& entry : harness::DriverLog(harness::kPcipeek))
        if (entry.kind == harness::DriverLogEntry::Write)
            return static_cast<double>(entry.microseconds) / 1e6 - dStart;
    return -1.0;
}

double FgetsPasses(const std::string& path)
{
    double dStart = bench::Seconds();
    for (int iPass = 0; iPass < kPasses; ++iPass) {
        FILE* pFile = fopen(path.c_str(), "r");
        if (pFile == nullptr)
            return -1.0;
        char szPiece[kPiece];
        while (fgets(szPiece, sizeof szPiece, pFile) != nullptr) {
        }
        fclose(pFile);
    }
    return bench::Seconds() - dStart;
}

}  // namespace

int main(int argc, char** argv)
{
    int iRuns = bench::Runs(argc, argv);
    LayOutDisk(kBigDisk, kHead + ModelLines(kBigSize) + kTail);
    LayOutDisk(kSmallDisk, std::string(kHead) + kTail);
    harness::SetWindowsVersion("nicstart.exe", "win2k");
    // The adapter is there and the setup program ends with a failure, which the launcher
    // does not report: both disks' runs end the same way, without a message box, so
    // nothing but the launcher runs while they are timed.
    harness::PciFunction adapter;
    adapter.deviceId = kAdapterDeviceId;
    harness::SetDriverBus(harness::kPcipeek, harness::PciBus().Add(adapter));
    SetEnvironmentVariableA("NICTEST_EXIT", bench::kSetupFailure);
    std::string bigInf = std::string(kBigDisk) + "NIC.INF";
    // One run of each first, so that both files are in the cache and the driver is loaded.
    DeleteFileA(kSetupLog);
    if (RunSeconds(kBigDisk) < 0 || RunSeconds(kSmallDisk) < 0 || FgetsPasses(bigInf) < 0)
        return bench::Unmeasurable("nicstart.exe or the floor did not run to its end");
    if (harness::ReadFileText(kSetupLog).find(kHardwareIdEntry) == std::string::npos)
        return bench::Unmeasurable("nicstart.exe does not read hardware IDs from the INF file yet");
    double dFastestBig = 0, dFastestSmall = 0;
    for (int iRun = 0; iRun < iRuns; ++iRun) {
        double dBig = RunSeconds(kBigDisk);
        double dSmall = RunSeconds(kSmallDisk);
        double dFloor = FgetsPasses(bigInf);
        if (dBig < 0 || dSmall < 0 || dFloor < 0)
            return bench::Unmeasurable("nicstart.exe or the floor did not run to its end");
        if (iRun == 0 || dBig < dFastestBig)
            dFastestBig = dBig;
        if (iRun == 0 || dSmall < dFastestSmall)
            dFastestSmall = dSmall;
        bench::Report("floor", dFloor);
    }
    bench::Report("operation", dFastestBig - dFastestSmall);
    harness::RemoveTree(kBigDisk);
    harness::RemoveTree(kSmallDisk);
    return 0;
}
