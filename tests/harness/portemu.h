// Runs a program of the Windows 9x path against a simulated PCI bus: the port emulator
// DLL is loaded into the program before it starts, and its in and out instructions on
// the configuration ports then read the bus (configuration mechanism #1).
#pragma once
#include "harness.h"
#include "pcibus.h"

#include <stdint.h>

#include <string>
#include <vector>

namespace harness {

struct PortAccess {
    bool out = false;
    unsigned size = 0;      // bytes: 1, 2 or 4
    unsigned port = 0;
    uint32_t value = 0;
};

// The built emulator DLL, as a Windows path.
std::string PortEmulatorImage();

// harness::Run with the emulator serving `bus`.  When `accesses` is given, it receives
// every port access the program made, in order.  A beforeResume that `options` holds
// runs after the emulator is loaded.
RunResult RunWithPortEmulator(RunOptions options, const PciBus& bus,
                              std::vector<PortAccess>* accesses = nullptr);

// Loads a DLL into a process created suspended, by a remote thread that calls
// LoadLibraryA.  False when it did not load.
bool InjectDll(const PROCESS_INFORMATION& process, const std::string& dllPath);

}  // namespace harness
