// The PCI driver double itself, driven the way the launcher and the property library
// drive their drivers: both protocols, settings taken at each open, the injected
// failures, a bus read from a file, and the request log.  The end-to-end tests of both
// deliverables rely on exactly these answers.
#include "harness.h"
#include "pcibus.h"

#include <gtest/gtest.h>

#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

using harness::DriverFailures;
using harness::DriverLogEntry;
using harness::PciBus;
using harness::PciFunction;

namespace {

const char kService[] = "PCIBUSTEST";   // a service of its own: the others keep their state
const char kDevice[] = "\\\\.\\PCIBUSTEST";

std::vector<uint8_t> PeekRequest(uint16_t code, unsigned slot, uint16_t offset, uint32_t count)
{
    std::vector<uint8_t> request(20, 0xCC);
    memcpy(&request[0], &code, 2);
    uint16_t slot16 = static_cast<uint16_t>(slot);
    memcpy(&request[2], &slot16, 2);
    memcpy(&request[8], &offset, 2);
    memcpy(&request[12], &count, 4);
    return request;
}

std::vector<uint8_t> CfgReadRequest(int32_t bus, int32_t device, int32_t function)
{
    std::vector<uint8_t> request(12);
    memcpy(&request[0], &bus, 4);
    memcpy(&request[4], &device, 4);
    memcpy(&request[8], &function, 4);
    return request;
}

std::vector<uint8_t> Pattern(size_t size, uint8_t seed)
{
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; i++)
        bytes[i] = static_cast<uint8_t>(seed + i);
    return bytes;
}

class PciBusDouble : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        char szSystem[MAX_PATH] = "";
        GetSystemDirectoryA(szSystem, sizeof szSystem);
        image = std::string(szSystem) + "\\drivers\\pcibustest.sys";
        harness::RemoveDriver(kService);
        harness::CopyFileOrDie(harness::PciDriverImage(), image);
        SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
        ASSERT_NE(manager, nullptr);
        SC_HANDLE service = CreateServiceA(manager, kService, kService, SERVICE_ALL_ACCESS,
                                           SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                           image.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(service, nullptr) << "error " << GetLastError();
        EXPECT_TRUE(StartServiceA(service, 0, nullptr)) << "error " << GetLastError();
        CloseServiceHandle(service);
        CloseServiceHandle(manager);
    }

    static void TearDownTestSuite()
    {
        harness::RemoveDriver(kService);
        DeleteFileA(image.c_str());
    }

    void SetUp() override { ASSERT_TRUE(harness::DriverRunning(kService)); }

    HANDLE Open()
    {
        HANDLE device = CreateFileA(kDevice, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(device, INVALID_HANDLE_VALUE) << "error " << GetLastError();
        return device;
    }

    // One write and one read; the reply holds what was read, and `error` the failure.
    static bool Exchange(HANDLE device, const std::vector<uint8_t>& request, DWORD replySize,
                         std::vector<uint8_t>& reply, DWORD& error)
    {
        DWORD done = 0;
        reply.clear();
        error = 0;
        SetLastError(0xdeadbeef);
        if (!WriteFile(device, request.data(), static_cast<DWORD>(request.size()), &done, nullptr)) {
            error = GetLastError();
            return false;
        }
        reply.assign(replySize, 0);
        SetLastError(0xdeadbeef);
        if (!ReadFile(device, reply.data(), replySize, &done, nullptr)) {
            error = GetLastError();
            reply.clear();
            return false;
        }
        reply.resize(done);
        return true;
    }

    static std::string image;
};

std::string PciBusDouble::image;

TEST_F(PciBusDouble, ServesBothProtocolsFromOneBus)
{
    PciFunction adapter;
    adapter.bus = 3;
    adapter.device = 17;
    adapter.deviceId = 0x3106;
    adapter.revision = 0x7C;
    adapter.subsystemVendorId = 0x1106;
    adapter.subsystemId = 0x0001;
    std::vector<uint8_t> raw = Pattern(256, 0x40);
    unsigned rawSlot = PciBus::Slot(255, 31, 7);
    harness::SetDriverBus(kService, PciBus().Add(adapter).AddRaw(rawSlot, raw));

    std::vector<uint8_t> adapterSpace(256, 0);
    const uint8_t header[] = { 0x06, 0x11, 0x06, 0x31, 0, 0, 0, 0, 0x7C, 0, 0x00, 0x02 };
    memcpy(adapterSpace.data(), header, sizeof header);
    adapterSpace[0x2C] = 0x06;
    adapterSpace[0x2D] = 0x11;
    adapterSpace[0x2E] = 0x01;
    std::vector<uint8_t> empty(256, 0xFF);
    unsigned adapterSlot = PciBus::Slot(3, 17, 0);

    struct Case {
        const char* name;
        std::vector<uint8_t> request;
        DWORD readSize;
        std::vector<uint8_t> expected;
    };
    const Case cases[] = {
        { "peek adapter", PeekRequest(1, adapterSlot, 0, 256), 256, adapterSpace },
        { "peek raw slot", PeekRequest(1, rawSlot, 0, 256), 256, raw },
        { "peek empty slot", PeekRequest(1, PciBus::Slot(3, 17, 1), 0, 256), 256, empty },
        { "peek offset 8 count 4", PeekRequest(1, rawSlot, 8, 4), 256, Pattern(4, 0x48) },
        { "peek past the end", PeekRequest(1, rawSlot, 250, 100), 256, Pattern(6, static_cast<uint8_t>(0x40 + 250)) },
        { "peek read smaller than reply", PeekRequest(1, adapterSlot, 0, 256), 12,
          std::vector<uint8_t>(header, header + sizeof header) },
        { "cfgread adapter", CfgReadRequest(3, 17, 0), 64,
          std::vector<uint8_t>(adapterSpace.begin(), adapterSpace.begin() + 64) },
        { "cfgread raw slot", CfgReadRequest(255, 31, 7), 64, Pattern(64, 0x40) },
        { "cfgread read of 256", CfgReadRequest(3, 17, 0), 256,
          std::vector<uint8_t>(adapterSpace.begin(), adapterSpace.begin() + 64) },
        { "cfgread negative bus", CfgReadRequest(-5, 17, 0), 64, std::vector<uint8_t>(64, 0xFF) },
        { "cfgread device 32", CfgReadRequest(3, 32, 0), 64, std::vector<uint8_t>(64, 0xFF) },
        { "cfgread function 8", CfgReadRequest(3, 17, 8), 64, std::vector<uint8_t>(64, 0xFF) },
        { "cfgread bus 256", CfgReadRequest(256, 17, 0), 64, std::vector<uint8_t>(64, 0xFF) },
    };
    HANDLE device = Open();
    for (const Case& c : cases) {
        std::vector<uint8_t> reply;
        DWORD error = 0;
        EXPECT_TRUE(Exchange(device, c.request, c.readSize, reply, error)) << c.name << ": error " << error;
        EXPECT_EQ(reply, c.expected) << c.name;
    }
    CloseHandle(device);
}

TEST_F(PciBusDouble, RefusesOtherRequestsAndReadsNothingWithoutOne)
{
    harness::SetDriverBus(kService, PciBus().Add(PciFunction()));
    HANDLE device = Open();
    struct Case { const char* name; std::vector<uint8_t> request; };
    const Case cases[] = {
        { "code 2", PeekRequest(2, 0, 0, 256) },
        { "13 bytes", std::vector<uint8_t>(13, 0) },
        { "19 bytes", std::vector<uint8_t>(19, 0) },
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> reply;
        DWORD error = 0;
        EXPECT_FALSE(Exchange(device, c.request, 256, reply, error)) << c.name;
        EXPECT_EQ(error, static_cast<DWORD>(ERROR_INVALID_PARAMETER)) << c.name;
    }
    // A read with no request before it returns nothing, and a reply is read only once.
    uint8_t buffer[256];
    DWORD done = 1234;
    EXPECT_TRUE(ReadFile(device, buffer, sizeof buffer, &done, nullptr));
    EXPECT_EQ(done, 0u);
    std::vector<uint8_t> reply;
    DWORD error = 0;
    EXPECT_TRUE(Exchange(device, PeekRequest(1, 0, 0, 256), 256, reply, error));
    EXPECT_EQ(reply.size(), 256u);
    EXPECT_TRUE(ReadFile(device, buffer, sizeof buffer, &done, nullptr));
    EXPECT_EQ(done, 0u);
    CloseHandle(device);
}

TEST_F(PciBusDouble, FailuresAreCountedPerOpen)
{
    struct Case {
        const char* name;
        DriverFailures failures;
        std::vector<bool> succeeds;     // per exchange
        std::vector<size_t> sizes;      // bytes read per exchange
        DWORD error;
    };
    DriverFailures writeTwo, readEvery, shortOne;
    writeTwo.failWrite = 2;
    readEvery.failRead = harness::kEveryRequest;
    shortOne.shortRead = 1;
    const Case cases[] = {
        { "second write fails", writeTwo, { true, false, true }, { 256, 0, 256 }, ERROR_IO_DEVICE },
        { "every read fails", readEvery, { false, false, false }, { 0, 0, 0 }, ERROR_IO_DEVICE },
        { "first read is short", shortOne, { true, true, true }, { 255, 256, 256 }, 0 },
    };
    for (const Case& c : cases) {
        harness::SetDriverBus(kService, PciBus().Add(PciFunction()), c.failures);
        for (int open = 0; open < 2; open++) {
            HANDLE device = Open();
            for (size_t i = 0; i < c.succeeds.size(); i++) {
                std::vector<uint8_t> reply;
                DWORD error = 0;
                bool ok = Exchange(device, PeekRequest(1, 0, 0, 256), 256, reply, error);
                EXPECT_EQ(ok, c.succeeds[i]) << c.name << ", open " << open << ", exchange " << i;
                EXPECT_EQ(reply.size(), c.sizes[i]) << c.name << ", open " << open << ", exchange " << i;
                if (!ok) {
                    EXPECT_EQ(error, c.error) << c.name;
                }
            }
            CloseHandle(device);
        }
    }
}

TEST_F(PciBusDouble, BusChangesAtTheNextOpenAndComesFromAFile)
{
    PciFunction first, second;
    second.deviceId = 0x1234;
    std::string file = "C:\\windows\\temp\\pcibus-test.bin";
    PciBus().Add(second).WriteTo(file);

    struct Step { const char* name; bool fromFile; PciFunction function; uint16_t expected; };
    const Step steps[] = {
        { "registry value", false, first, 0x3065 },
        { "file", true, first, 0x1234 },
        { "registry again", false, second, 0x1234 },
    };
    for (const Step& s : steps) {
        if (s.fromFile)
            harness::SetDriverBusFile(kService, file);
        else
            harness::SetDriverBus(kService, PciBus().Add(s.function));
        HANDLE device = Open();
        std::vector<uint8_t> reply;
        DWORD error = 0;
        EXPECT_TRUE(Exchange(device, PeekRequest(1, 0, 0, 256), 256, reply, error)) << s.name;
        ASSERT_EQ(reply.size(), 256u) << s.name;
        EXPECT_EQ(reply[2] | reply[3] << 8, s.expected) << s.name;
        CloseHandle(device);
    }
    DeleteFileA(file.c_str());
}

TEST_F(PciBusDouble, LogHoldsEveryRequestInOrder)
{
    DriverFailures failures;
    failures.failRead = 2;
    harness::SetDriverBus(kService, PciBus().Add(PciFunction()), failures);
    HANDLE device = Open();
    std::vector<uint8_t> reply;
    DWORD error = 0;
    std::vector<uint8_t> peek = PeekRequest(1, 0x0708, 0, 256);
    std::vector<uint8_t> cfg = CfgReadRequest(-5, 0, 1);
    Exchange(device, peek, 256, reply, error);
    Exchange(device, cfg, 64, reply, error);
    CloseHandle(device);

    struct Expected { int kind; uint32_t length, done; std::vector<uint8_t> request; };
    const Expected expected[] = {
        { DriverLogEntry::Open, 0, 0, {} },
        { DriverLogEntry::Write, 20, 20, peek },
        { DriverLogEntry::Read, 256, 256, {} },
        { DriverLogEntry::Write, 12, 12, cfg },
        { DriverLogEntry::Read, 64, 0, {} },
        { DriverLogEntry::Close, 0, 0, {} },
    };
    std::vector<DriverLogEntry> log = harness::DriverLog(kService);
    ASSERT_EQ(log.size(), sizeof expected / sizeof expected[0]);
    for (size_t i = 0; i < log.size(); i++) {
        EXPECT_EQ(log[i].kind, expected[i].kind) << "entry " << i;
        EXPECT_EQ(log[i].length, expected[i].length) << "entry " << i;
        EXPECT_EQ(log[i].done, expected[i].done) << "entry " << i;
        EXPECT_EQ(log[i].request, expected[i].request) << "entry " << i;
        if (i > 0) {
            EXPECT_GE(log[i].microseconds, log[i - 1].microseconds) << "entry " << i;
        }
    }
    EXPECT_EQ(cfg[0], 0xFB);   // -5 travels as FB FF FF FF
    EXPECT_EQ(harness::DriverWrites(kService).size(), 2u);

    // A second open appends; clearing empties.
    CloseHandle(Open());
    EXPECT_EQ(harness::DriverLog(kService).size(), log.size() + 2);
    harness::ClearDriverLog(kService);
    EXPECT_TRUE(harness::DriverLog(kService).empty());
}

}  // namespace
