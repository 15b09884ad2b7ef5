// Times the launcher's presence scan on the NT family - 256 slots through the PCIPEEK
// driver - against a bare loop of 256 write and read pairs on the same driver double
// (scanfloor.exe).  Both are timed by the driver's own request log, from the first
// write to the last read, so process start-up and the driver's start stay out of both
// figures; and both run in a fresh process started the same way, with nothing of this
// program running meanwhile: it waits for the process to end, and the launcher shows no
// message box to be answered (its setup program ends with a failure, which it does not
// report).
#include "benchtime.h"
#include "harness.h"
#include "pcibus.h"

#include <stdint.h>

#include <string>
#include <vector>

namespace {

const char kDisk[] = "C:\\nicbench\\scan\\";
const unsigned kSlots = 256;               // bus 0-7, device 0-31, function 0

harness::PciFunction Function(unsigned uBus, unsigned uDevice, uint16_t uVendor, uint16_t uDeviceId,
                              uint8_t byBaseClass, uint8_t bySubClass)
{
    harness::PciFunction function;
    function.bus = uBus;
    function.device = uDevice;
    function.vendorId = uVendor;
    function.deviceId = uDeviceId;
    function.baseClass = byBaseClass;
    function.subClass = bySubClass;
    return function;
}

// A small machine (host bridge, ISA bridge, display) whose adapter sits in the last slot
// scanned, so that the launcher reads all 256 before it finds it.
harness::PciBus BenchBus()
{
    harness::PciBus bus;
    bus.Add(Function(0, 0, 0x8086, 0x1237, 0x06, 0x00));
    bus.Add(Function(0, 7, 0x8086, 0x7000, 0x06, 0x01));
    bus.Add(Function(1, 0, 0x10DE, 0x0020, 0x03, 0x00));
    bus.Add(Function(7, 31, 0x1106, 0x3065, 0x02, 0x00));
    return bus;
}

const char kInf[] =
    "[Version]\r\n"
    "Signature=\"$Windows NT$\"\r\n"
    "Class=Net\r\n"
    "ClassGUID={4d36e972-e325-11ce-bfc1-08002be10318}\r\n"
    "\r\n"
    "[MANUF]\r\n"
    "%NIC.DeviceDesc% = NIC.ndi, PCI\\VEN_1106&DEV_3065\r\n"
    "\r\n"
    "[Strings]\r\n"
    "NIC.DeviceDesc = \"Fast Ethernet Adapter\"\r\n";

void LayOutDisk()
{
    harness::RemoveTree(kDisk);
    harness::MakeDirs(kDisk);
    harness::CopyFileOrDie(harness::BuildDir() + "\\launcher\\nicstart.exe", std::string(kDisk) + "nicstart.exe");
    harness::CopyFileOrDie(harness::BuildDir() + "\\tests\\doubles\\setupprog.exe", std::string(kDisk) + "INST2K.EXE");
    harness::WriteFileText(std::string(kDisk) + "NIC.INF", kInf);
    harness::InstallPcipeek(kDisk);
}

// Seconds from the first write to the last read in the driver's log; 0 without them.
double ScanSeconds(const std::vector<harness::DriverLogEntry>& log, unsigned* puPairs)
{
    uint64_t uFirstWrite = 0, uLastRead = 0;
    bool bWritten = false;
    *puPairs = 0;
    for (const harness::DriverLogEntry& entry : log) {
        if (entry.kind == harness::DriverLogEntry::Write && !bWritten) {
            uFirstWrite = entry.microseconds;
            bWritten = true;
        }
        if (entry.kind == harness::DriverLogEntry::Read) {
            uLastRead = entry.microseconds;
            ++*puPairs;
        }
    }
    return bWritten && uLastRead > uFirstWrite ? static_cast<double>(uLastRead - uFirstWrite) / 1e6 : 0.0;
}

// Seconds of the scan of one run of a program, and whether it read all 256 slots.
bool TimeScan(const std::string& commandLine, const harness::PciBus& bus, double* pdSeconds)
{
    harness::SetDriverBus(harness::kPcipeek, bus);
    if (!bench::RunAlone(commandLine, kDisk))
        return false;
    unsigned uPairs = 0;
    *pdSeconds = ScanSeconds(harness::DriverLog(harness::kPcipeek), &uPairs);
    return uPairs == kSlots;
}

}  // namespace

int main(int argc, char** argv)
{
    int iRuns = bench::Runs(argc, argv);
    LayOutDisk();
    harness::SetWindowsVersion("nicstart.exe", "win2k");
    SetEnvironmentVariableA("NICTEST_EXIT", bench::kSetupFailure);
    harness::PciBus bus = BenchBus();
    const std::string launcher = std::string("\"") + kDisk + "nicstart.exe\"";
    const std::string floor = "\"" + harness::BuildDir() + "\\tests\\bench\\scanfloor.exe\"";
    double dOperation = 0, dFloor = 0;
    // Run -1 is not reported: the launcher's first run starts the driver, and both
    // programs' files are then in the cache.
    for (int iRun = -1; iRun < iRuns; ++iRun) {
        if (!TimeScan(launcher, bus, &dOperation))
            return bench::Unmeasurable("nicstart.exe did not read all 256 slots through PCIPEEK");
        if (!TimeScan(floor, bus, &dFloor))
            return bench::Unmeasurable("scanfloor.exe could not use PCIPEEK");
        if (iRun >= 0) {
            bench::Report("operation", dOperation);
            bench::Report("floor", dFloor);
        }
    }
    harness::RemoveTree(kDisk);
    return 0;
}
