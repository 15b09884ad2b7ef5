// What the presence check accepts, apart from how it reads the bus: slot and register
// addresses, the driver's request bytes, the identity test, the "DEV_%X" probe and its
// search in the hardware-ID list, and the driver paths at the edge of their buffers.
#include "presence.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

namespace {

TEST(AdapterMatch, SlotsAndConfigurationAddresses)
{
    struct Case { unsigned bus, device, function; uint16_t slot; uint8_t reg; uint32_t address; } cases[] = {
        { 0, 0, 0, 0x0000, 0x00, 0x80000000u },
        { 0, 0, 1, 0x0001, 0x00, 0x80000100u },
        { 0, 1, 0, 0x0008, 0x08, 0x80000808u },
        { 7, 31, 0, 0x07F8, 0x08, 0x8007F808u },
        { 8, 0, 0, 0x0800, 0x00, 0x80080000u },
        { 0, 0, 0, 0x0000, 0x0B, 0x80000008u },   // the register's two low bits are cleared
        { 255, 31, 7, 0xFFFF, 0xFF, 0x80FFFFFCu },
    };
    for (const Case& c : cases) {
        uint16_t slot = uPackSlot(c.bus, c.device, c.function);
        EXPECT_EQ(slot, c.slot) << c.bus << "/" << c.device << "/" << c.function;
        EXPECT_EQ(dwConfigAddress(slot, c.reg), c.address) << "slot " << slot << " register " << +c.reg;
    }
}

TEST(AdapterMatch, RequestTravelsAsTwentyLittleEndianBytes)
{
    ConfigReadRequest request;
    memset(&request, 0xCC, sizeof request);
    vFillConfigRequest(&request, 0x07F8);
    const uint8_t expected[20] = { 0x01, 0x00, 0xF8, 0x07, 0, 0, 0, 0, 0x00, 0x00,
                                   0, 0, 0x00, 0x01, 0x00, 0x00, 0, 0, 0, 0 };
    uint8_t bytes[sizeof request];
    memcpy(bytes, &request, sizeof request);
    for (size_t i = 0; i < sizeof expected; i++)
        EXPECT_EQ(bytes[i], expected[i]) << "byte " << i;
}

TEST(AdapterMatch, IdentityAndClass)
{
    struct Case { uint16_t vendor, device; uint8_t baseClass, subClass; bool adapter; } cases[] = {
        { 0x1106, 0xA0B1, 0x02, 0x00, true },
        { 0x1106, 0x0001, 0x02, 0x00, true },
        { 0x1106, 0xA0B1, 0x02, 0x80, false },   // other network controller
        { 0x1106, 0xA0B1, 0x02, 0x01, false },
        { 0x1106, 0xA0B1, 0x03, 0x00, false },   // display controller
        { 0x1107, 0xA0B1, 0x02, 0x00, false },
        { 0x0611, 0xA0B1, 0x02, 0x00, false },   // byte-swapped vendor
        { 0xFFFF, 0xFFFF, 0xFF, 0xFF, false },   // empty slot
    };
    for (const Case& c : cases) {
        uint8_t config[PCI_CONFIG_SPACE] = {};
        config[0x00] = static_cast<uint8_t>(c.vendor);
        config[0x01] = static_cast<uint8_t>(c.vendor >> 8);
        config[0x02] = static_cast<uint8_t>(c.device);
        config[0x03] = static_cast<uint8_t>(c.device >> 8);
        config[0x0A] = c.subClass;
        config[0x0B] = c.baseClass;
        PciIdentity identity = IdentityFromConfig(config);
        EXPECT_EQ(identity.uVendorId, c.vendor);
        EXPECT_EQ(identity.uDeviceId, c.device);
        EXPECT_EQ(bIsAdapterClass(identity), c.adapter)
            << std::hex << c.vendor << " class " << +c.baseClass << "/" << +c.subClass;
    }
}

TEST(AdapterMatch, ProbeIsUpperCaseHexWithoutLeadingZeros)
{
    struct Case { uint16_t device; const char* probe; } cases[] = {
        { 0xA0B1, "DEV_A0B1" }, { 0x0A0B, "DEV_A0B" }, { 0x00AB, "DEV_AB" },
        { 0x0000, "DEV_0" }, { 0xFFFF, "DEV_FFFF" }, { 0x3106, "DEV_3106" },
    };
    for (const Case& c : cases) {
        char probe[DEVICE_PROBE_CAPACITY];
        vFormatDeviceProbe(probe, c.device);
        EXPECT_STREQ(probe, c.probe) << std::hex << c.device;
    }
}

std::vector<std::string> gVisited;

void RecordVisit(int iCount, const char* szEntry, const char* szProbe)
{
    gVisited.push_back(std::to_string(iCount) + " " + szEntry + " " + szProbe);
}

TEST(AdapterMatch, ProbeIsACaseSensitiveSubstringOfAnEntry)
{
    struct Case {
        const char* name;
        std::vector<std::string> entries;
        int count;
        const char* probe;
        bool found;
        size_t visited;
    } cases[] = {
        { "listed", { "PCI\\VEN_1106&DEV_A0B1" }, 1, "DEV_A0B1", true, 1 },
        { "not listed", { "PCI\\VEN_1106&DEV_A0B2" }, 1, "DEV_A0B1", false, 1 },
        { "lower-case entry", { "pci\\ven_1106&dev_a0b1" }, 1, "DEV_A0B1", false, 1 },
        { "lower-case digits", { "PCI\\VEN_1106&DEV_a0b1" }, 1, "DEV_A0B1", false, 1 },
        { "lower-case prefix", { "PCI\\VEN_1106&dev_A0B1" }, 1, "DEV_A0B1", false, 1 },
        { "several IDs", { "PCI\\VEN_1106&DEV_A0B2,PCI\\VEN_1106&DEV_A0B1" }, 1, "DEV_A0B1", true, 1 },
        { "below 0x1000", { "DEV_0A0B" }, 1, "DEV_A0B", false, 1 },
        { "prefix of a longer ID", { "PCI\\VEN_1106&DEV_A0B1" }, 1, "DEV_A0B", true, 1 },
        { "empty list", {}, 0, "DEV_A0B1", false, 0 },
        { "stops at the first match", { "x", "DEV_A0B1", "DEV_A0B1", "y" }, 4, "DEV_A0B1", true, 2 },
        { "only the counted entries", { "x", "DEV_A0B1" }, 1, "DEV_A0B1", false, 1 },
    };
    for (const Case& c : cases) {
        std::vector<char> storage((c.entries.size() + 1) * HWID_ENTRY_CAPACITY, '\0');
        auto list = reinterpret_cast<char (*)[HWID_ENTRY_CAPACITY]>(storage.data());
        for (size_t i = 0; i < c.entries.size(); i++)
            strncpy(list[i], c.entries[i].c_str(), HWID_ENTRY_CAPACITY - 1);
        gVisited.clear();
        EXPECT_EQ(bListHasProbe(list, c.count, c.probe, RecordVisit), c.found) << c.name;
        EXPECT_EQ(bListHasProbe(list, c.count, c.probe, nullptr), c.found) << c.name;
        ASSERT_EQ(gVisited.size(), c.visited) << c.name;
        for (size_t i = 0; i < c.visited; i++)
            EXPECT_EQ(gVisited[i], std::to_string(c.count) + " " + c.entries[i] + " " + c.probe) << c.name;
    }
}

TEST(AdapterMatch, DriverPathsNeverOverrunTheirBuffers)
{
    // "pcipeek.sys" adds 11 characters to the folder, "\pcipeek.sys" 12 to the system
    // folder; 259 characters fit a 260-byte buffer.
    struct Case { size_t setupFolder, systemFolder; bool ok; } cases[] = {
        { 3, 19, true }, { 248, 19, true }, { 249, 19, false }, { 259, 19, false }, { 400, 19, false },
        { 3, 247, true }, { 3, 248, false }, { 3, 300, false },
    };
    for (const Case& c : cases) {
        std::string setupFolder = "A:" + std::string(c.setupFolder - 3, 'd') + "\\";
        std::string systemFolder = "C:" + std::string(c.systemFolder - 2, 's');
        char source[PATH_CAPACITY], target[PATH_CAPACITY];
        memset(source, 'x', sizeof source);
        memset(target, 'x', sizeof target);
        EXPECT_EQ(bBuildDriverPaths(setupFolder.c_str(), systemFolder.c_str(), source, target), c.ok)
            << c.setupFolder << "/" << c.systemFolder;
        EXPECT_EQ(std::string(source), c.ok ? setupFolder + "pcipeek.sys" : "") << c.setupFolder;
        EXPECT_EQ(std::string(target), c.ok ? systemFolder + "\\pcipeek.sys" : "") << c.systemFolder;
    }
}

}  // namespace
