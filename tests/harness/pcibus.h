// A simulated PCI bus for end-to-end tests.  Describe the bus once, then hand it to the
// driver double (the NT family: services PCIPEEK and CFGREAD) or to the port emulator
// (the Windows 9x family: see portemu.h), make chosen requests fail, and read back the
// requests the driver received.
#pragma once
#include <windows.h>

#include <stdint.h>

#include <string>
#include <vector>

namespace harness {

const char kPcipeek[] = "PCIPEEK";   // the launcher's driver service
const char kCfgread[] = "CFGREAD";   // the property library's driver service

// One present function, by its standard configuration header fields.  Everything else
// in its 256 configuration bytes is 0.
struct PciFunction {
    unsigned bus = 0, device = 0, function = 0;
    uint16_t vendorId = 0x1106;
    uint16_t deviceId = 0x3065;
    uint8_t revision = 0;
    uint8_t subClass = 0x00;
    uint8_t baseClass = 0x02;
    uint16_t subsystemVendorId = 0;
    uint16_t subsystemId = 0;
};

class PciBus {
public:
    static unsigned Slot(unsigned bus, unsigned device, unsigned function);   // bus*256+device*8+function

    PciBus& Add(const PciFunction& function);
    // Configuration bytes from offset 0 (at most 256); the rest of the space is 0.
    PciBus& AddRaw(unsigned slot, const std::vector<uint8_t>& config);

    // The binary description both doubles read: per function a 32-bit slot and its
    // 256 configuration bytes.  Empty slots are not listed; they read as all ones.
    const std::string& Records() const { return records_; }
    void WriteTo(const std::string& path) const;

private:
    std::string records_;
};

// Requests to make fail, counted from 1 since the device was opened; 0 for none,
// kEveryRequest for all.  A short read returns one byte less than the reply holds.
const DWORD kEveryRequest = 0xFFFFFFFF;
struct DriverFailures {
    DWORD failWrite = 0;
    DWORD failRead = 0;
    DWORD shortRead = 0;
};

// The built driver double, as a Windows path.
std::string PciDriverImage();

// Puts the double where each side expects its driver: "pcipeek.sys" in a disk folder
// (ending in a backslash), or "cfgread.sys" in the prefix's system32\drivers.  A copy
// over a driver that is loaded fails with a sharing violation; the loaded file is the
// same double, so that case is accepted.
void InstallPcipeek(const std::string& folder);
void InstallCfgread();

// Sets the bus and the failures that the service's driver serves from its next open
// on, and empties its request log.  Works before the service exists and while it runs.
void SetDriverBus(const std::string& service, const PciBus& bus, const DriverFailures& failures = {});
// The same, with the bus read from a file of records instead (Windows path).
void SetDriverBusFile(const std::string& service, const std::string& path,
                      const DriverFailures& failures = {});

// What the driver saw, in order, since the log was last emptied.  The driver writes its
// log when the device is closed, which Wine does after CloseHandle (or the process
// exit) has returned, so this waits (bounded) until every open has its close.
struct DriverLogEntry {
    enum Kind { Open = 1, Write = 2, Read = 3, Close = 4 };
    int kind = 0;
    uint32_t length = 0;              // bytes written, or asked for by a read
    uint32_t done = 0;                // bytes taken or returned; 0 when failed
    uint32_t status = 0;              // the request's NTSTATUS
    uint64_t microseconds = 0;        // when the driver handled it
    std::vector<uint8_t> request;     // a write's bytes (at most 64)
};
std::vector<DriverLogEntry> DriverLog(const std::string& service);
std::vector<DriverLogEntry> DriverWrites(const std::string& service);   // writes only
void ClearDriverLog(const std::string& service);

// Service state, for tests that need the driver stopped or never registered.
bool DriverRunning(const std::string& service);
void StopDriver(const std::string& service);      // no-op when not running
void RemoveDriver(const std::string& service);    // stops and deletes the service

}  // namespace harness
