// What a nicstart end-to-end test puts on a driver disk and in the machine: valid INF
// files of both dialects naming chosen adapters, and a run of nicstart.exe against a
// simulated PCI bus, through the port emulator on the Windows 9x family and through
// the PCIPEEK driver double on the NT family.
#pragma once
#include "harness.h"
#include "pcibus.h"
#include "portemu.h"

#include <stdint.h>

#include <string>
#include <vector>

namespace harness {

// The adapter of the standard test disk: its INF files name this device ID.
const uint16_t kDiskDeviceId = 0xA0B1;

// True for the versions of the Windows 9x family ("win95", "win98", "winme").
bool IsWin9xVersion(const std::string& version);

// A valid device INF (Windows 9x, 2000 and later) with one model line under [MANUF]
// per hardware ID, written "%NIC.DeviceDesc% = NIC.ndi, <id>".
std::string DeviceInf(const std::vector<std::string>& hardwareIds);
// A valid NT 4.0 setup-script INF with one "VTCFID = <decimal>" line per configuration
// ID (device ID in the high 16 bits, vendor ID in the low).
std::string Nt4Inf(const std::vector<uint32_t>& configIds);
// The standard disk's INF file for a version: its name and its text, naming kDiskDeviceId.
std::string StandardInfName(const std::string& version);
std::string StandardInf(const std::string& version);

// Runs a program as `version` sees it, against `bus`.  On the 9x family the port
// emulator serves the bus (and `accesses` receives the port accesses); on the NT
// family the PCIPEEK driver double serves it from its next open, with `failures`.
RunResult RunOnBus(const std::string& version, const RunOptions& options, const PciBus& bus,
                   const DriverFailures& failures = {}, std::vector<PortAccess>* accesses = nullptr);

}  // namespace harness
