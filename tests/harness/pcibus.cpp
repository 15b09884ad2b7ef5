#include "pcibus.h"

#include "harness.h"
#include "pcibus_protocol.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>

namespace harness {

namespace {

const char kServicesKey[] = "System\\CurrentControlSet\\Services\\";
const DWORD kStopWaitMs = 10000;
const DWORD kCloseWaitMs = 5000;
const DWORD kPollMs = 20;

// Header offsets of the standard configuration space.
enum {
    kVendorId = 0x00, kDeviceId = 0x02, kRevision = 0x08, kSubClass = 0x0A, kBaseClass = 0x0B,
    kSubsystemVendorId = 0x2C, kSubsystemId = 0x2E
};

[[noreturn]] void Die(const std::string& what)
{
    fprintf(stderr, "harness: %s (error %lu)\n", what.c_str(), GetLastError());
    abort();
}

void PutWord(std::vector<uint8_t>& config, size_t offset, uint16_t value)
{
    config[offset] = static_cast<uint8_t>(value);
    config[offset + 1] = static_cast<uint8_t>(value >> 8);
}

HKEY OpenServiceKey(const std::string& service)
{
    HKEY key = nullptr;
    std::string path = kServicesKey + service;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        Die("cannot open HKLM\\" + path);
    return key;
}

void SetDword(HKEY key, const char* name, DWORD value)
{
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

void EmptyLog(HKEY key)
{
    RegDeleteValueA(key, PCIBUS_VALUE_LOG);
    SetDword(key, PCIBUS_VALUE_OPENS, 0);
}

DWORD GetDword(HKEY key, const char* name)
{
    DWORD value = 0, size = sizeof value;
    if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
        return 0;
    return value;
}

std::vector<uint8_t> GetBinary(HKEY key, const char* name)
{
    std::vector<uint8_t> data;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS && size > 0) {
        data.resize(size);
        RegQueryValueExA(key, name, nullptr, nullptr, data.data(), &size);
        data.resize(size);
    }
    return data;
}

std::vector<DriverLogEntry> ParseLog(const std::vector<uint8_t>& data)
{
    std::vector<DriverLogEntry> entries;
    for (size_t at = 0; at + sizeof(PciBusLogEntry) <= data.size();) {
        PciBusLogEntry raw;
        memcpy(&raw, data.data() + at, sizeof raw);
        at += sizeof raw;
        DriverLogEntry entry;
        entry.kind = raw.kind;
        entry.length = raw.length;
        entry.done = raw.done;
        entry.status = raw.status;
        entry.microseconds = raw.microseconds;
        size_t stored = std::min<size_t>(raw.stored, data.size() - at);
        entry.request.assign(data.begin() + at, data.begin() + at + stored);
        at += stored;
        entries.push_back(entry);
    }
    return entries;
}

size_t CountKind(const std::vector<DriverLogEntry>& entries, int kind)
{
    size_t count = 0;
    for (const DriverLogEntry& entry : entries)
        count += entry.kind == kind;
    return count;
}

void SetSettings(HKEY key, const DriverFailures& failures)
{
    SetDword(key, PCIBUS_VALUE_FAIL_WRITE, failures.failWrite);
    SetDword(key, PCIBUS_VALUE_FAIL_READ, failures.failRead);
    SetDword(key, PCIBUS_VALUE_SHORT_READ, failures.shortRead);
    EmptyLog(key);
}

void InstallDriverFile(const std::string& target)
{
    if (CopyFileA(PciDriverImage().c_str(), target.c_str(), FALSE))
        return;
    if (GetLastError() != ERROR_SHARING_VIOLATION)
        Die("cannot copy the driver double to " + target);
}

struct ServiceHandles {
    SC_HANDLE manager = nullptr;
    SC_HANDLE service = nullptr;
    ~ServiceHandles()
    {
        if (service != nullptr)
            CloseServiceHandle(service);
        if (manager != nullptr)
            CloseServiceHandle(manager);
    }
};

// False when the service is not registered.
bool OpenDriverService(const std::string& service, ServiceHandles& handles)
{
    handles.manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (handles.manager == nullptr)
        Die("cannot open the service manager");
    handles.service = OpenServiceA(handles.manager, service.c_str(), SERVICE_ALL_ACCESS);
    return handles.service != nullptr;
}

DWORD ServiceState(SC_HANDLE service)
{
    SERVICE_STATUS status = {};
    if (!QueryServiceStatus(service, &status))
        return SERVICE_STOPPED;
    return status.dwCurrentState;
}

}  // namespace

unsigned PciBus::Slot(unsigned bus, unsigned device, unsigned function)
{
    return bus * 256 + device * 8 + function;
}

PciBus& PciBus::Add(const PciFunction& f)
{
    std::vector<uint8_t> config(kSubsystemId + 2, 0);
    PutWord(config, kVendorId, f.vendorId);
    PutWord(config, kDeviceId, f.deviceId);
    config[kRevision] = f.revision;
    config[kSubClass] = f.subClass;
    config[kBaseClass] = f.baseClass;
    PutWord(config, kSubsystemVendorId, f.subsystemVendorId);
    PutWord(config, kSubsystemId, f.subsystemId);
    return AddRaw(Slot(f.bus, f.device, f.function), config);
}

PciBus& PciBus::AddRaw(unsigned slot, const std::vector<uint8_t>& config)
{
    uint8_t record[PCIBUS_RECORD_SIZE] = {};
    uint32_t slot32 = slot;
    memcpy(record, &slot32, sizeof slot32);
    memcpy(record + sizeof slot32, config.data(), std::min<size_t>(config.size(), PCIBUS_CONFIG_SIZE));
    records_.append(reinterpret_cast<const char*>(record), sizeof record);
    return *this;
}

void PciBus::WriteTo(const std::string& path) const
{
    WriteFileText(path, records_);
}

std::string PciDriverImage()
{
    return BuildDir() + "\\tests\\doubles\\pcibus\\pcibus.sys";
}

void InstallPcipeek(const std::string& folder)
{
    InstallDriverFile(folder + "pcipeek.sys");
}

void InstallCfgread()
{
    char szSystem[MAX_PATH] = "";
    GetSystemDirectoryA(szSystem, sizeof szSystem);
    std::string folder = std::string(szSystem) + "\\drivers\\";
    MakeDirs(folder);
    InstallDriverFile(folder + "cfgread.sys");
}

void SetDriverBus(const std::string& service, const PciBus& bus, const DriverFailures& failures)
{
    HKEY key = OpenServiceKey(service);
    const std::string& records = bus.Records();
    RegSetValueExA(key, PCIBUS_VALUE_BUS, 0, REG_BINARY, reinterpret_cast<const BYTE*>(records.data()),
                   static_cast<DWORD>(records.size()));
    RegDeleteValueA(key, PCIBUS_VALUE_BUS_FILE);
    SetSettings(key, failures);
    RegCloseKey(key);
}

void SetDriverBusFile(const std::string& service, const std::string& path, const DriverFailures& failures)
{
    HKEY key = OpenServiceKey(service);
    RegDeleteValueA(key, PCIBUS_VALUE_BUS);
    RegSetValueExA(key, PCIBUS_VALUE_BUS_FILE, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                   static_cast<DWORD>(path.size() + 1));
    SetSettings(key, failures);
    RegCloseKey(key);
}

std::vector<DriverLogEntry> DriverLog(const std::string& service)
{
    HKEY key = OpenServiceKey(service);
    std::vector<DriverLogEntry> entries;
    DWORD started = GetTickCount();
    for (;;) {
        entries = ParseLog(GetBinary(key, PCIBUS_VALUE_LOG));
        if (CountKind(entries, DriverLogEntry::Close) >= GetDword(key, PCIBUS_VALUE_OPENS))
            break;
        if (GetTickCount() - started > kCloseWaitMs)
            Die("the " + service + " driver was opened but its log lacks the close");
        Sleep(kPollMs);
    }
    RegCloseKey(key);
    return entries;
}

std::vector<DriverLogEntry> DriverWrites(const std::string& service)
{
    std::vector<DriverLogEntry> writes;
    for (const DriverLogEntry& entry : DriverLog(service))
        if (entry.kind == DriverLogEntry::Write)
            writes.push_back(entry);
    return writes;
}

void ClearDriverLog(const std::string& service)
{
    HKEY key = OpenServiceKey(service);
    EmptyLog(key);
    RegCloseKey(key);
}

bool DriverRunning(const std::string& service)
{
    ServiceHandles handles;
    return OpenDriverService(service, handles) && ServiceState(handles.service) == SERVICE_RUNNING;
}

void StopDriver(const std::string& service)
{
    ServiceHandles handles;
    if (!OpenDriverService(service, handles) || ServiceState(handles.service) == SERVICE_STOPPED)
        return;
    SERVICE_STATUS status = {};
    ControlService(handles.service, SERVICE_CONTROL_STOP, &status);
    DWORD started = GetTickCount();
    while (ServiceState(handles.service) != SERVICE_STOPPED) {
        if (GetTickCount() - started > kStopWaitMs)
            Die("the " + service + " driver does not stop");
        Sleep(kPollMs);
    }
}

void RemoveDriver(const std::string& service)
{
    StopDriver(service);
    ServiceHandles handles;
    if (OpenDriverService(service, handles) && !DeleteService(handles.service))
        Die("cannot delete the service " + service);
}

}  // namespace harness
