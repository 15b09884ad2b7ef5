// The adapter presence check of nicstart.exe end to end, on the Windows 9x path (port
// I/O, served by the port emulator) and on the NT path (the PCIPEEK driver, served by
// the driver double): which adapters it accepts, its log entries, the exact requests
// and port accesses it makes, the driver service's life across runs, and its cost.
#include "faults.h"
#include "harness.h"
#include "disktest.h"
#include "launcher_texts.h"
#include "nicdisk.h"
#include "pcibus.h"
#include "portemu.h"
#include "relay.h"
#include "relay_expect.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

using harness::DriverFailures;
using harness::DriverLogEntry;
using harness::ExpectedCall;
using harness::PciBus;
using harness::PciFunction;
using harness::RunResult;

namespace {

using launcher_texts::kLogPath;
using launcher_texts::kMsgNoAdapter;
const char kSystemDriver[] = "C:\\windows\\system32\\pcipeek.sys";
const char* const kNtVersions[] = { "nt40", "win2k", "winxp" };
const char* const kAllVersions[] = { "win98", "nt40", "win2k", "winxp" };

PciFunction Adapter(unsigned bus, unsigned device, uint16_t deviceId = harness::kSampleDeviceId)
{
    PciFunction function;
    function.bus = bus;
    function.device = device;
    function.deviceId = deviceId;
    return function;
}

PciBus BusOf(const std::vector<PciFunction>& functions)
{
    PciBus bus;
    for (const PciFunction& function : functions)
        bus.Add(function);
    return bus;
}

std::string Hex4(uint16_t id)
{
    char text[8];
    snprintf(text, sizeof text, "%04X", id);
    return text;
}

std::string DeviceHardwareId(uint16_t id)
{
    return "PCI\\VEN_1106&DEV_" + Hex4(id);
}

uint32_t ConfigId(uint16_t id)
{
    return static_cast<uint32_t>(id) << 16 | 0x1106;
}

class Presence : public harness::DiskTest {
protected:

    // nicstart.exe, the version's setup program, pcipeek.sys and an INF file (the
    // sample disk's when `inf` is empty).
    void LayOutDisk(const std::string& version, const std::string& inf = "", bool withDriver = true)
    {
        harness::CopyFileOrDie(harness::BuildDir() + "\\launcher\\nicstart.exe", disk + "nicstart.exe");
        std::string program = harness::IsWin9xVersion(version) ? "INST9X.EXE"
                              : version == "nt40"              ? "INSTNT4.EXE"
                                                               : "INST2K.EXE";
        harness::CopyFileOrDie(harness::BuildDir() + "\\tests\\doubles\\setupprog.exe", disk + program);
        if (inf.empty())
            harness::PutSampleInf(disk, version);
        else
            harness::WriteFileText(disk + (version == "nt40" ? "oemsetup.inf" : "NIC.INF"), inf);
        if (withDriver)
            harness::InstallPcipeek(disk);
    }

    RunResult RunNicstart(const std::string& version, const std::string& arguments, const PciBus& bus,
                          const DriverFailures& failures = {}, std::vector<harness::PortAccess>* accesses = nullptr)
    {
        DeleteFileA(Record().c_str());
        harness::SetWindowsVersion("nicstart.exe", version);
        harness::RunOptions options;
        options.commandLine = disk + "nicstart.exe" + (arguments.empty() ? "" : " " + arguments);
        options.environment = { { "NICTEST_RECORD", Record() }, { "NICTEST_EXIT", "0" } };
        if (relay != nullptr)
            relay->Prepare(options);
        if (!faults.empty())
            harness::FailImports(options, faults);
        RunResult result = harness::RunOnBus(version, options, bus, failures, accesses);
        EXPECT_TRUE(result.started) << "error " << result.startError;
        EXPECT_FALSE(result.timedOut);
        EXPECT_EQ(result.exitCode, 0u);
        return result;
    }

    // Whether the run got past the check: the setup program ran and no box said
    // "Can not find proper NIC".
    bool FoundAdapter(const RunResult& result)
    {
        bool setupRan = harness::FileExists(Record());
        bool refused = result.boxes.size() == 1 && result.boxes[0].text == kMsgNoAdapter &&
                       result.boxes[0].caption == "NicStart" && result.boxes[0].Buttons() == "OK";
        EXPECT_NE(setupRan, refused) << "either the setup program runs or the check refuses";
        return setupRan;
    }

    // The check's own entries of the setup log.
    static std::vector<std::string> PresenceLog()
    {
        std::vector<std::string> lines;
        for (const std::string& line : harness::SplitLines(harness::ReadFileText(kLogPath)))
            if (launcher_texts::IsPresenceEntry(line))
                lines.push_back(line);
        return lines;
    }

    std::string Record() const { return root + "\\record.txt"; }
    void RunInstallCases(bool ownInf);

    harness::RelayTrace* relay = nullptr;
    std::string faults;   // calls of nicstart made to fail, for harness::FailImports
};

struct InstallCase {
    const char* name;
    std::vector<PciFunction> bus;
    std::vector<std::string> hardwareIds;   // the device INF's model lines; none: the sample disk
    std::vector<uint32_t> configIds;        // the NT 4.0 INF's CFID lines; none: the sample disk
    bool deviceDialectOnly;
    bool found;
};

std::vector<InstallCase> InstallCases()
{
    PciFunction subclass = Adapter(0, 6), baseClass = Adapter(0, 6), function1 = Adapter(0, 4);
    subclass.subClass = 0x80;
    baseClass.baseClass = 0x03;
    function1.function = 1;
    const uint16_t low = 0x05AB, other = 0x5AB2, ours = harness::kSampleDeviceId;
    return {
        { "matching adapter", { Adapter(2, 5) }, {}, {}, false, true },
        { "matching adapter on bus 7, device 31", { Adapter(7, 31) }, {}, {}, false, true },
        { "device ID not in the list", { Adapter(0, 3, other) }, {}, {}, false, false },
        { "subclass not 0", { subclass }, {}, {}, false, false },
        { "base class not 2", { baseClass }, {}, {}, false, false },
        { "adapter at function 1", { function1 }, {}, {}, false, false },
        { "adapter on bus 8", { Adapter(8, 0) }, {}, {}, false, false },
        { "first listed adapter after an unlisted one", { Adapter(0, 1, other), Adapter(5, 2) }, {}, {}, false, true },
        { "second list entry", { Adapter(3, 3, harness::kSampleDeviceIdB) }, {}, {}, false, true },
        { "no device at all", {}, {}, {}, false, false },
        // DEV_5AB, the probe of device 0x05AB, begins the listed DEV_5AB0.
        { "probe that begins a listed ID", { Adapter(1, 1, low) }, {}, {}, false, true },
        { "device ID below 0x1000", { Adapter(1, 1, low) }, { DeviceHardwareId(low) }, { ConfigId(low) }, false, false },
        { "third list entry", { Adapter(1, 1) },
          { DeviceHardwareId(other), DeviceHardwareId(0x1234), DeviceHardwareId(ours) },
          { ConfigId(other), ConfigId(0x1234), ConfigId(ours) }, false, true },
        // "VEN_1106" stays upper case: without it the line would be no model line at all.
        { "lower-case DEV_ prefix", { Adapter(1, 1) }, { "PCI\\VEN_1106&dev_5AB0" }, {}, true, false },
        { "lower-case hex digits", { Adapter(1, 1) }, { "PCI\\VEN_1106&DEV_5ab0" }, {}, true, false },
        { "entry that names several IDs", { Adapter(1, 1) },
          { DeviceHardwareId(other) + "," + DeviceHardwareId(ours) }, {}, true, true },
    };
}

// Install runs of every family against the cases whose INF file is the sample disk's
// (ownInf false) or one of their own.
void Presence::RunInstallCases(bool ownInf)
{
    for (const char* version : kAllVersions) {
        bool nt4 = std::string(version) == "nt40";
        for (const InstallCase& c : InstallCases()) {
            if ((nt4 && c.deviceDialectOnly) || c.hardwareIds.empty() == ownInf)
                continue;
            SCOPED_TRACE(std::string(version) + ": " + c.name);
            ResetDisk();
            LayOutDisk(version, !ownInf ? "" : nt4 ? harness::Nt4Inf(c.configIds) : harness::DeviceInf(c.hardwareIds));
            RunResult result = RunNicstart(version, "", BusOf(c.bus));
            EXPECT_EQ(FoundAdapter(result), c.found);
        }
    }
}

TEST_F(Presence, InstallRunAcceptsOnlyAListedEthernetAdapterAtFunctionZeroOfBusZeroToSeven)
{
    RunInstallCases(false);
}

TEST_F(Presence, InstallRunMatchesTheProbeInTheInfFilesEntries)
{
    RunInstallCases(true);
}

TEST_F(Presence, UninstallRunTakesAnyEthernetAdapterOfTheVendorWithAnEmptyList)
{
    PciFunction subclass = Adapter(1, 2, 0xBEEF), otherVendor = Adapter(1, 2, 0xBEEF);
    subclass.subClass = 0x01;
    otherVendor.vendorId = 0x1234;
    struct Case { const char* name; std::vector<PciFunction> bus; bool found; } cases[] = {
        { "adapter in no list", { Adapter(1, 2, 0xBEEF) }, true },
        { "device ID below 0x1000", { Adapter(1, 2, 0x0001) }, true },
        { "subclass not 0", { subclass }, false },
        { "other vendor", { otherVendor }, false },
        { "adapter on bus 8", { Adapter(8, 2) }, false },
    };
    for (const char* version : kAllVersions) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(version) + ": " + c.name);
            ResetDisk();
            LayOutDisk(version);
            RunResult result = RunNicstart(version, "-r -k", BusOf(c.bus));
            EXPECT_EQ(FoundAdapter(result), c.found);
        }
    }
}

TEST_F(Presence, LogEntriesOfBothPaths)
{
    // The sample disk lists 5AB0 and 5AB1; 5AB2 is of the vendor but not listed.
    PciFunction display = Adapter(0, 2, 0x1234);
    display.baseClass = 0x03;
    PciBus bus = BusOf({ Adapter(0, 1, 0x5AB2), display, Adapter(0, 3, harness::kSampleDeviceIdB), Adapter(0, 4) });

    const std::vector<std::string> win9x = {
        "PCI_REG_VENDOR_ID FFFF FFFF",   // the empty slot 0/0
        "PCI_REG_VENDOR_ID 5AB2 1106",
        "PCI_REG_CLASS_CODE 2 0",
        "bCheckDevice9X szDeviceIDTemp DEV_5AB2",
        "PCI_REG_VENDOR_ID 1234 1106",
        "PCI_REG_CLASS_CODE 3 0",
        "PCI_REG_VENDOR_ID 5AB1 1106",
        "PCI_REG_CLASS_CODE 2 0",
        "bCheckDevice9X szDeviceIDTemp DEV_5AB1",
    };
    struct Case { const char* version; const char* arguments; std::vector<std::string> expected; } cases[] = {
        { "win98", "", win9x },
        { "win2k", "", {
            "bCheckDevice uBus 0 uDevice 1 byBaseClass 2 bySubClass 0",
            "bCheckDevice iIMIDsize 2 PCI\\VEN_1106&DEV_5AB0 DEV_5AB2",
            "bCheckDevice iIMIDsize 2 PCI\\VEN_1106&DEV_5AB1 DEV_5AB2",
            "bCheckDevice uBus 0 uDevice 3 byBaseClass 2 bySubClass 0",
            "bCheckDevice iIMIDsize 2 PCI\\VEN_1106&DEV_5AB0 DEV_5AB1",
            "bCheckDevice iIMIDsize 2 PCI\\VEN_1106&DEV_5AB1 DEV_5AB1" } },
        { "nt40", "", {
            "bCheckDevice uBus 0 uDevice 1 byBaseClass 2 bySubClass 0",
            "bCheckDevice iIMIDsize 2 DEV_5AB0 DEV_5AB2",
            "bCheckDevice iIMIDsize 2 DEV_5AB1 DEV_5AB2",
            "bCheckDevice uBus 0 uDevice 3 byBaseClass 2 bySubClass 0",
            "bCheckDevice iIMIDsize 2 DEV_5AB0 DEV_5AB1",
            "bCheckDevice iIMIDsize 2 DEV_5AB1 DEV_5AB1" } },
        { "win98", "-r", { "PCI_REG_VENDOR_ID FFFF FFFF", "PCI_REG_VENDOR_ID 5AB2 1106", "PCI_REG_CLASS_CODE 2 0" } },
        { "winxp", "-r", { "bCheckDevice uBus 0 uDevice 1 byBaseClass 2 bySubClass 0" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.version) + " " + c.arguments);
        ResetDisk();
        LayOutDisk(c.version);
        RunResult result = RunNicstart(c.version, c.arguments, bus);
        EXPECT_TRUE(FoundAdapter(result));
        EXPECT_EQ(PresenceLog(), c.expected);
    }
}

TEST_F(Presence, NtScanAsksForEverySlotOnceInBusMajorOrder)
{
    for (const char* version : kNtVersions) {
        SCOPED_TRACE(version);
        ResetDisk();
        LayOutDisk(version);
        RunResult result = RunNicstart(version, "", BusOf({ Adapter(8, 0) }));
        EXPECT_FALSE(FoundAdapter(result));
        EXPECT_TRUE(PresenceLog().empty());

        std::vector<DriverLogEntry> log = harness::DriverLog(harness::kPcipeek);
        ASSERT_EQ(log.size(), 2u + 2 * 256);
        EXPECT_EQ(log.front().kind, DriverLogEntry::Open);
        EXPECT_EQ(log.back().kind, DriverLogEntry::Close);
        for (unsigned slot = 0; slot < 256; slot++) {
            unsigned busDevFn = (slot / 32) * 256 + (slot % 32) * 8;
            const std::vector<uint8_t> expected = {
                0x01, 0x00, static_cast<uint8_t>(busDevFn), static_cast<uint8_t>(busDevFn >> 8), 0, 0, 0, 0,
                0x00, 0x00, 0, 0, 0x00, 0x01, 0x00, 0x00, 0, 0, 0, 0 };
            const DriverLogEntry& write = log[1 + 2 * slot];
            const DriverLogEntry& read = log[2 + 2 * slot];
            EXPECT_EQ(write.kind, DriverLogEntry::Write) << "slot " << slot;
            EXPECT_EQ(write.request, expected) << "slot " << slot;
            EXPECT_EQ(read.kind, DriverLogEntry::Read) << "slot " << slot;
            EXPECT_EQ(read.length, 256u) << "slot " << slot;
        }
    }
}

TEST_F(Presence, Win9xScanReadsEachSlotThroughTheConfigurationPorts)
{
    LayOutDisk("win98");
    std::vector<harness::PortAccess> accesses;
    PciFunction display = Adapter(0, 1, 0x1234);
    display.baseClass = 0x03;
    RunResult result = RunNicstart("win98", "", BusOf({ display, Adapter(8, 0) }), {}, &accesses);
    EXPECT_FALSE(FoundAdapter(result));

    // Slot 0/1 is of the vendor, so its class register is read as well.
    struct Expected { bool out; unsigned port; uint32_t value; };
    std::vector<Expected> expected;
    for (unsigned slot = 0; slot < 256; slot++) {
        uint32_t address = 0x80000000u + (slot / 32) * 0x10000 + (slot % 32) * 0x800;
        expected.push_back({ true, 0xCF8, address });
        expected.push_back({ false, 0xCFC, slot == 1 ? 0x12341106u : 0xFFFFFFFFu });
        if (slot == 1) {
            expected.push_back({ true, 0xCF8, address + 8 });
            expected.push_back({ false, 0xCFC, 0x03000000u });
        }
    }
    ASSERT_EQ(accesses.size(), expected.size());
    for (size_t i = 0; i < expected.size(); i++) {
        EXPECT_EQ(accesses[i].out, expected[i].out) << "access " << i;
        EXPECT_EQ(accesses[i].size, 4u) << "access " << i;
        EXPECT_EQ(accesses[i].port, expected[i].port) << "access " << i;
        EXPECT_EQ(accesses[i].value, expected[i].value) << "access " << i;
    }
    std::vector<std::string> log = PresenceLog();
    ASSERT_EQ(log.size(), 257u);
    EXPECT_EQ(log[0], "PCI_REG_VENDOR_ID FFFF FFFF");
    EXPECT_EQ(log[1], "PCI_REG_VENDOR_ID 1234 1106");
    EXPECT_EQ(log[2], "PCI_REG_CLASS_CODE 3 0");
    EXPECT_EQ(log[256], "PCI_REG_VENDOR_ID FFFF FFFF");
}

TEST_F(Presence, NtSlotWithAFailedOrShortReplyIsSkipped)
{
    // Slot 0/2 is the third request of the scan, 0/5 the sixth.
    DriverFailures failWrite, failRead, shortRead, everyRead;
    failWrite.failWrite = 3;
    failRead.failRead = 3;
    shortRead.shortRead = 3;
    everyRead.failRead = harness::kEveryRequest;
    struct Case { const char* name; DriverFailures failures; bool found; std::vector<std::string> log; } cases[] = {
        { "no failure", {}, true, { "bCheckDevice uBus 0 uDevice 2 byBaseClass 2 bySubClass 0",
                                    "bCheckDevice iIMIDsize 2 PCI\\VEN_1106&DEV_5AB0 DEV_5AB0" } },
        { "failed write", failWrite, true, { "bCheckDevice uBus 0 uDevice 5 byBaseClass 2 bySubClass 0",
                                             "bCheckDevice iIMIDsize 2 PCI\\VEN_1106&DEV_5AB0 DEV_5AB0" } },
        { "failed read", failRead, true, { "bCheckDevice uBus 0 uDevice 5 byBaseClass 2 bySubClass 0",
                                           "bCheckDevice iIMIDsize 2 PCI\\VEN_1106&DEV_5AB0 DEV_5AB0" } },
        { "255-byte reply", shortRead, true, { "bCheckDevice uBus 0 uDevice 5 byBaseClass 2 bySubClass 0",
                                               "bCheckDevice iIMIDsize 2 PCI\\VEN_1106&DEV_5AB0 DEV_5AB0" } },
        { "every read fails", everyRead, false, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetDisk();
        LayOutDisk("win2k");
        RunResult result = RunNicstart("win2k", "", BusOf({ Adapter(0, 2), Adapter(0, 5) }), c.failures);
        EXPECT_EQ(FoundAdapter(result), c.found);
        EXPECT_EQ(PresenceLog(), c.log);
    }
}

TEST_F(Presence, SecondNtRunFindsTheServiceRegisteredAndRunning)
{
    harness::RemoveDriver(harness::kPcipeek);
    PciBus bus = BusOf({ Adapter(0, 9) });
    for (int run = 1; run <= 2; run++) {
        SCOPED_TRACE(run);
        ResetDisk();
        LayOutDisk("win2k");
        EXPECT_EQ(harness::DriverRunning(harness::kPcipeek), run == 2);
        EXPECT_TRUE(FoundAdapter(RunNicstart("win2k", "", bus)));
        EXPECT_TRUE(harness::DriverRunning(harness::kPcipeek));
        EXPECT_EQ(harness::DriverWrites(harness::kPcipeek).size(), 10u);
    }

    // What the second run met: the same calls fail with 1073 and then 1056.
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    ASSERT_NE(manager, nullptr);
    SetLastError(0xdeadbeef);
    SC_HANDLE created = CreateServiceA(manager, "PCIPEEK", "PCIPEEK", SERVICE_ALL_ACCESS, SERVICE_KERNEL_DRIVER,
                                       SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, kSystemDriver, nullptr, nullptr,
                                       nullptr, nullptr, nullptr);
    EXPECT_EQ(created, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_EXISTS));
    SC_HANDLE service = OpenServiceA(manager, "PCIPEEK", SERVICE_ALL_ACCESS);
    ASSERT_NE(service, nullptr);
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(StartServiceA(service, 0, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_ALREADY_RUNNING));
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
}

TEST_F(Presence, NtPathPlatformCallsOnAFirstAndASecondRun)
{
    harness::RelayTrace trace("kernel32.GetSystemDirectoryA;kernel32.DeleteFileA;kernel32.CopyFileA;"
                              "advapi32.OpenSCManagerA;advapi32.CreateServiceA;advapi32.OpenServiceA;"
                              "advapi32.StartServiceA;advapi32.CloseServiceHandle;kernel32.CreateFileA;"
                              "kernel32.WriteFile;kernel32.ReadFile;kernel32.CloseHandle");
    if (!trace.Available())
        GTEST_SKIP() << "no relay trace outside CTest's wine-run wrapper";
    relay = &trace;
    harness::RemoveDriver(harness::kPcipeek);
    DeleteFileA(kSystemDriver);
    const std::string target = kSystemDriver;
    for (int run = 1; run <= 2; run++) {
        SCOPED_TRACE(run);
        ResetDisk();
        LayOutDisk("win2k");
        EXPECT_TRUE(FoundAdapter(RunNicstart("win2k", "", BusOf({ Adapter(0, 1) }))));
        std::vector<ExpectedCall> expected = {
            { "GetSystemDirectoryA", { "*", "104" }, "13" },
            // A second run may find the file of the running driver locked.
            { "DeleteFileA", { target }, run == 1 ? "0" : "*" },
            { "CopyFileA", { disk + "pcipeek.sys", target, "0" }, run == 1 ? "1" : "*" },
            { "OpenSCManagerA", { "0", "0", "F003F" }, "$manager" },
            { "CreateServiceA", { "$manager", "PCIPEEK", "PCIPEEK", "F01FF", "1", "3", "1", target, "0", "0", "0", "0", "0" },
              run == 1 ? "$service" : "0" },
        };
        if (run == 2)   // 1073: the service exists, so it is opened; 1056: it runs already
            expected.push_back({ "OpenServiceA", { "$manager", "PCIPEEK", "F01FF" }, "$service" });
        const std::vector<ExpectedCall> rest = {
            { "StartServiceA", { "$service", "0", "0" }, run == 1 ? "1" : "0" },
            { "CloseServiceHandle", { "$service" }, "1" },
            { "CloseServiceHandle", { "$manager" }, "1" },
            { "CreateFileA", { "\\\\.\\PCIPEEK", "C0000000", "1", "0", "3", "0", "0" }, "$device" },
            { "WriteFile", { "$device", "*", "14", "*", "0" }, "1" },
            { "ReadFile", { "$device", "*", "100", "*", "0" }, "1" },
            { "WriteFile", { "$device", "*", "14", "*", "0" }, "1" },
            { "ReadFile", { "$device", "*", "100", "*", "0" }, "1" },
            { "CloseHandle", { "$device" }, "1" },
        };
        expected.insert(expected.end(), rest.begin(), rest.end());
        ExpectCalls(harness::RelayTrace::OwnCalls(trace.Calls()), expected);
    }
    relay = nullptr;
}

// A driver service that cannot be set up or opened fails the check, even with a
// matching adapter in the machine and the driver left running by an earlier run; what
// was opened is closed, and nothing is asked of the device.  A service manager function
// missing from advapi32 fails as a refused call does.  A call made to fail does not
// show in the trace.
TEST_F(Presence, DriverThatCannotBeReachedFailsTheCheck)
{
    harness::RelayTrace trace("advapi32.OpenSCManagerA;advapi32.CreateServiceA;advapi32.OpenServiceA;"
                              "advapi32.StartServiceA;advapi32.CloseServiceHandle;kernel32.CreateFileA;"
                              "kernel32.WriteFile;kernel32.ReadFile;kernel32.CloseHandle");
    if (!trace.Available())
        GTEST_SKIP() << "no relay trace outside CTest's wine-run wrapper";
    const PciBus bus = BusOf({ Adapter(0, 1) });
    LayOutDisk("win2k");
    ASSERT_TRUE(FoundAdapter(RunNicstart("win2k", "", bus)));
    ASSERT_TRUE(harness::DriverRunning(harness::kPcipeek));

    const ExpectedCall openManager = { "OpenSCManagerA", { "0", "0", "F003F" }, "$manager" };
    const ExpectedCall serviceExists = { "CreateServiceA", { "$manager", "*", "*", "*", "*", "*", "*", "*", "*", "*",
                                                             "*", "*", "*" }, "0" };
    const ExpectedCall openService = { "OpenServiceA", { "$manager", "PCIPEEK", "F01FF" }, "$service" };
    const ExpectedCall closeService = { "CloseServiceHandle", { "$service" }, "1" };
    const ExpectedCall closeManager = { "CloseServiceHandle", { "$manager" }, "1" };
    const ExpectedCall alreadyRunning = { "StartServiceA", { "$service", "0", "0" }, "0" };
    struct Case {
        const char* faults;
        std::vector<ExpectedCall> calls;
    } cases[] = {
        { "OpenSCManagerA=5", {} },
        { "CreateServiceA=5", { openManager, closeManager } },
        { "StartServiceA=5", { openManager, serviceExists, openService, closeService, closeManager } },
        { "CreateFileA=2", { openManager, serviceExists, openService, alreadyRunning, closeService, closeManager } },
        { "OpenSCManagerA=missing", {} },
        { "StartServiceA=missing", { openManager, serviceExists, openService, closeService, closeManager } },
    };
    relay = &trace;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.faults);
        ResetDisk();
        LayOutDisk("win2k");
        trace.Calls();
        faults = c.faults;
        EXPECT_FALSE(FoundAdapter(RunNicstart("win2k", "", bus)));
        faults.clear();
        EXPECT_TRUE(PresenceLog().empty());
        std::vector<harness::RelayCall> calls = harness::RelayTrace::OwnCalls(trace.Calls());
        EXPECT_EQ(calls.size(), c.calls.size());
        ExpectCalls(calls, c.calls);
    }
    relay = nullptr;
}

TEST_F(Presence, DriverMissingFromTheDisk)
{
    PciBus bus = BusOf({ Adapter(0, 0) });
    // With no driver running, the stale system copy is deleted and the start fails.
    harness::StopDriver(harness::kPcipeek);
    LayOutDisk("win2k", "", false);
    harness::WriteFileText(kSystemDriver, "stale");
    EXPECT_FALSE(FoundAdapter(RunNicstart("win2k", "", bus)));
    EXPECT_FALSE(harness::FileExists(kSystemDriver));
    EXPECT_FALSE(harness::DriverRunning(harness::kPcipeek));
    EXPECT_TRUE(PresenceLog().empty());

    // A driver that an earlier run left running is used as it is.
    ResetDisk();
    LayOutDisk("win2k");
    EXPECT_TRUE(FoundAdapter(RunNicstart("win2k", "", bus)));
    ResetDisk();
    LayOutDisk("win2k", "", false);
    EXPECT_TRUE(FoundAdapter(RunNicstart("win2k", "", bus)));
}

TEST_F(Presence, CostOfAFullScan)
{
    PciBus empty = BusOf({ Adapter(8, 0) });
    LARGE_INTEGER frequency, started, ended;
    QueryPerformanceFrequency(&frequency);

    // NT path: the scan's span in the driver's own clock, against a bare loop of 256
    // round trips on the same device.
    LayOutDisk("win2k");
    QueryPerformanceCounter(&started);
    EXPECT_FALSE(FoundAdapter(RunNicstart("win2k", "", empty)));
    QueryPerformanceCounter(&ended);
    double ntRunMs = (ended.QuadPart - started.QuadPart) * 1000.0 / frequency.QuadPart;
    std::vector<DriverLogEntry> log = harness::DriverLog(harness::kPcipeek);
    ASSERT_EQ(log.size(), 2u + 2 * 256);
    double scanMs = (log[log.size() - 2].microseconds - log[1].microseconds) / 1000.0;

    harness::ClearDriverLog(harness::kPcipeek);
    HANDLE device = CreateFileA("\\\\.\\PCIPEEK", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(device, INVALID_HANDLE_VALUE);
    const uint8_t request[20] = { 1 };
    uint8_t reply[256];
    QueryPerformanceCounter(&started);
    for (int i = 0; i < 256; i++) {
        DWORD done = 0;
        WriteFile(device, request, sizeof request, &done, nullptr);
        ReadFile(device, reply, sizeof reply, &done, nullptr);
    }
    QueryPerformanceCounter(&ended);
    CloseHandle(device);
    double loopMs = (ended.QuadPart - started.QuadPart) * 1000.0 / frequency.QuadPart;
    log = harness::DriverLog(harness::kPcipeek);
    ASSERT_EQ(log.size(), 2u + 2 * 256);
    double loopDriverMs = (log[log.size() - 2].microseconds - log[1].microseconds) / 1000.0;

    // 9x path: one log entry per slot, each written by opening and closing the log.
    ResetDisk();
    LayOutDisk("win98");
    QueryPerformanceCounter(&started);
    EXPECT_FALSE(FoundAdapter(RunNicstart("win98", "", empty)));
    QueryPerformanceCounter(&ended);
    double win9xRunMs = (ended.QuadPart - started.QuadPart) * 1000.0 / frequency.QuadPart;
    size_t win9xEntries = PresenceLog().size();
    EXPECT_EQ(win9xEntries, 256u);

    printf("cost: NT scan %.1f ms (driver clock), bare 256 round trips %.1f ms (caller) / %.1f ms (driver clock), "
           "whole NT run %.0f ms\n",
           scanMs, loopMs, loopDriverMs, ntRunMs);
    printf("cost: 9x scan %zu log entries, whole 9x run %.0f ms\n", win9xEntries, win9xRunMs);
    RecordProperty("nt_scan_ms", std::to_string(scanMs));
    RecordProperty("nt_bare_loop_ms", std::to_string(loopMs));
    RecordProperty("win9x_run_ms", std::to_string(win9xRunMs));
    // Generous bounds: a scan that costs far more than its round trips has grown work.
    EXPECT_LT(scanMs, 10 * loopDriverMs + 500);
    EXPECT_LT(win9xRunMs, 20000);
}

}  // namespace
