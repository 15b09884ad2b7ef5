// Command-line access to the simulated PCI bus, for scripts such as the demo (run it
// under wine in the prefix that nicstart.exe will use):
//
//   pcibusctl set SERVICE [FUNCTION ...]   the bus of PCIPEEK or CFGREAD from its next open
//       FUNCTION is BUS:DEVICE.FUNCTION=VENDOR:DEVICE[:BASECLASS:SUBCLASS[:REVISION[:SUBVENDOR:SUBSYSTEM]]],
//       all hexadecimal; base class and subclass default to 02:00 (Ethernet)
//   pcibusctl install-pcipeek FOLDER       pcipeek.sys into a disk folder
//   pcibusctl install-cfgread              cfgread.sys into system32\drivers
//   pcibusctl log SERVICE                  the requests the driver received, one per line
//   pcibusctl remove SERVICE               stops the driver and deletes its service
#include "pcibus.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

namespace {

int Usage()
{
    fprintf(stderr,
            "usage: pcibusctl set SERVICE [BUS:DEVICE.FUNCTION=VENDOR:DEVICE[:CLASS:SUBCLASS[:REV[:SUBVEN:SUBSYS]]] ...]\n"
            "       pcibusctl install-pcipeek FOLDER | install-cfgread\n"
            "       pcibusctl log SERVICE | remove SERVICE\n");
    return 2;
}

bool ParseFunction(const char* text, harness::PciFunction& function)
{
    unsigned bus = 0, device = 0, number = 0;
    int consumed = 0;
    if (sscanf(text, "%x:%x.%x=%n", &bus, &device, &number, &consumed) != 3 || consumed == 0)
        return false;
    // vendor, device, base class, subclass, revision, subsystem vendor, subsystem
    unsigned fields[7] = { 0, 0, 0x02, 0x00, 0, 0, 0 };
    size_t count = 0;
    for (const char* at = text + consumed; *at != '\0' && count < 7; count++) {
        char* end = nullptr;
        fields[count] = static_cast<unsigned>(strtoul(at, &end, 16));
        if (end == at || (*end != ':' && *end != '\0'))
            return false;
        at = *end == ':' ? end + 1 : end;
    }
    if (count != 2 && count != 4 && count != 5 && count != 7)
        return false;
    function.bus = bus;
    function.device = device;
    function.function = number;
    function.vendorId = static_cast<uint16_t>(fields[0]);
    function.deviceId = static_cast<uint16_t>(fields[1]);
    function.baseClass = static_cast<uint8_t>(fields[2]);
    function.subClass = static_cast<uint8_t>(fields[3]);
    function.revision = static_cast<uint8_t>(fields[4]);
    function.subsystemVendorId = static_cast<uint16_t>(fields[5]);
    function.subsystemId = static_cast<uint16_t>(fields[6]);
    return bus <= 255 && device <= 31 && number <= 7;
}

void PrintLog(const std::string& service)
{
    static const char* const kinds[] = { "?", "open", "write", "read", "close" };
    for (const harness::DriverLogEntry& entry : harness::DriverLog(service)) {
        printf("%10llu us %-5s length %u done %u", static_cast<unsigned long long>(entry.microseconds),
               kinds[entry.kind >= 1 && entry.kind <= 4 ? entry.kind : 0], entry.length, entry.done);
        for (size_t i = 0; i < entry.request.size(); i++)
            printf("%s%02X", i == 0 ? "  " : " ", entry.request[i]);
        printf("\n");
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return Usage();
    std::string command = argv[1];
    if (command == "set" && argc >= 3) {
        harness::PciBus bus;
        for (int i = 3; i < argc; i++) {
            harness::PciFunction function;
            if (!ParseFunction(argv[i], function)) {
                fprintf(stderr, "pcibusctl: bad function \"%s\"\n", argv[i]);
                return Usage();
            }
            bus.Add(function);
        }
        harness::SetDriverBus(argv[2], bus);
        return 0;
    }
    if (command == "install-pcipeek" && argc == 3) {
        std::string folder = argv[2];
        if (folder.empty() || folder.back() != '\\')
            folder += '\\';
        harness::InstallPcipeek(folder);
        return 0;
    }
    if (command == "install-cfgread" && argc == 2) {
        harness::InstallCfgread();
        return 0;
    }
    if (command == "log" && argc == 3) {
        PrintLog(argv[2]);
        return 0;
    }
    if (command == "remove" && argc == 3) {
        harness::RemoveDriver(argv[2]);
        return 0;
    }
    return Usage();
}
