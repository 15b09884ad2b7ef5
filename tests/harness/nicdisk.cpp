#include "nicdisk.h"

#include <stdio.h>

namespace harness {

bool IsWin9xVersion(const std::string& version)
{
    return version == "win95" || version == "win98" || version == "winme";
}

std::string DeviceInf(const std::vector<std::string>& hardwareIds)
{
    std::string text =
        "; Test adapter\r\n"
        "[Version]\r\n"
        "Signature = \"$Windows NT$\"\r\n"
        "Class = Net\r\n"
        "ClassGUID = {4d36e972-e325-11ce-bfc1-08002be10318}\r\n"
        "\r\n"
        "[Manufacturer]\r\n"
        "%Maker% = MANUF\r\n"
        "\r\n"
        "[MANUF]\r\n";
    for (const std::string& id : hardwareIds)
        text += "%NIC.DeviceDesc% = NIC.ndi, " + id + "\r\n";
    text +=
        "\r\n"
        "[NIC.ndi]\r\n"
        "AddReg = NIC.reg\r\n"
        "\r\n"
        "[Strings]\r\n"
        "Maker = \"Test maker\"\r\n"
        "NIC.DeviceDesc = \"Test Fast Ethernet adapter\"\r\n";
    return text;
}

std::string Nt4Inf(const std::vector<uint32_t>& configIds)
{
    std::string text =
        "[Identification]\r\n"
        "    OptionType = NetAdapter\r\n"
        "\r\n"
        "[Options]\r\n"
        "    NIC\r\n"
        "\r\n"
        "[Detect]\r\n"
        "    VendorID = 4358\r\n";
    for (uint32_t id : configIds)
        text += "    VTCFID = " + std::to_string(id) + "\r\n";
    return text;
}

std::string StandardInfName(const std::string& version)
{
    return version == "nt40" ? "oemsetup.inf" : "NIC.INF";
}

std::string StandardInf(const std::string& version)
{
    if (version == "nt40")
        return Nt4Inf({ static_cast<uint32_t>(kDiskDeviceId) << 16 | 0x1106 });
    char id[32];
    snprintf(id, sizeof id, "PCI\\VEN_1106&DEV_%04X", kDiskDeviceId);
    return DeviceInf({ id });
}

RunResult RunOnBus(const std::string& version, const RunOptions& options, const PciBus& bus,
                   const DriverFailures& failures, std::vector<PortAccess>* accesses)
{
    if (IsWin9xVersion(version))
        return RunWithPortEmulator(options, bus, accesses);
    SetDriverBus(kPcipeek, bus, failures);
    return Run(options);
}

}  // namespace harness
