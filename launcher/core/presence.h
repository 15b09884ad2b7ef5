// What the adapter presence check looks for, apart from how it reaches the PCI
// configuration space: slot and register addresses, the driver's read request, the
// test of a function's identity, and the "DEV_%X" probe in the hardware-ID list.
// No windows.h here: built natively too.
#pragma once
#include "capacities.h"
#include "identity.h"

#include <stddef.h>
#include <stdint.h>

enum {
    SCAN_BUSES = 8,                  // bus 0-7
    SCAN_DEVICES = 32,               // device 0-31
    PCI_CONFIG_SPACE = 256           // bytes of one function's configuration space
};

// The fields the check reads from a configuration header.
struct PciIdentity {
    uint16_t uVendorId;
    uint16_t uDeviceId;
    uint8_t bySubClass;
    uint8_t byBaseClass;
};

// The 20-byte request that asks the configuration-space driver for one function's
// bytes, little-endian as it travels.
#pragma pack(push, 1)
struct ConfigReadRequest {
    uint16_t uCode;
    uint16_t uBusDevFn;
    uint32_t dwReserved1;
    uint16_t uFirstOffset;
    uint16_t uReserved2;
    uint32_t dwByteCount;
    uint32_t dwReserved3;
};
#pragma pack(pop)
static_assert(sizeof(ConfigReadRequest) == 20, "the driver takes exactly 20 bytes");
static_assert(offsetof(ConfigReadRequest, uFirstOffset) == 8 && offsetof(ConfigReadRequest, dwByteCount) == 12,
              "field offsets of the driver's request");

// bus * 256 + device * 8 + function: bus in bits 15-8, device 7-3, function 2-0.
uint16_t uPackSlot(unsigned uBus, unsigned uDevice, unsigned uFunction);

// Configuration mechanism #1: enable bit, slot in bits 23-8, register in bits 7-2.
uint32_t dwConfigAddress(uint16_t uBusDevFn, uint8_t byRegister);

// A request for the whole configuration space of one function, reserved bytes zero.
void vFillConfigRequest(ConfigReadRequest* pRequest, uint16_t uBusDevFn);

// The identity fields of a configuration space read from offset 0.
PciIdentity IdentityFromConfig(const uint8_t abyConfig[PCI_CONFIG_SPACE]);

// Vendor 0x1106, base class network controller, subclass Ethernet.
bool bIsAdapterClass(const PciIdentity& identity);

// "DEV_" and the device ID in upper-case hexadecimal without leading zeros.
void vFormatDeviceProbe(char szProbe[DEVICE_PROBE_CAPACITY], uint16_t uDeviceId);

// Walks the list from entry 0 and answers whether an entry holds the probe as a
// case-sensitive substring.  pfnVisit, when given, sees each entry before its test.
typedef void (*ListEntryVisitor)(int iCount, const char* szEntry, const char* szProbe);
bool bListHasProbe(const char (*aszList)[HWID_ENTRY_CAPACITY], int iCount, const char* szProbe,
                   ListEntryVisitor pfnVisit);

// True when some device's probe can be found in the entry: it holds "DEV_" followed by
// an upper-case hexadecimal digit.  Any other entry can never match an adapter.
bool bEntryCanMatch(const char* szEntry);

// The driver's source on the disk and its copy in the system folder.  False, with
// both texts empty, when either does not fit its buffer of PATH_CAPACITY bytes.
bool bBuildDriverPaths(const char* szSetupFolder, const char* szSystemFolder,
                       char szSource[PATH_CAPACITY], char szTarget[PATH_CAPACITY]);
