// The adapter's identity as each place spells it: the PCI vendor ID, its INF spellings,
// the network class, the NT 4.0 setup script's marks and the INF file name's ending.
// String literals are macros so that patterns can be built from them at compile time.
// No windows.h here: built natively too.
#pragma once
#include <stdint.h>

enum : uint16_t { ADAPTER_VENDOR_ID = 0x1106 };
enum : uint8_t { NETWORK_BASE_CLASS = 0x02, ETHERNET_SUBCLASS = 0x00 };

// ADAPTER_VENDOR_ID as a device INF names it in a hardware ID.
#define ADAPTER_VENDOR_MARK "VEN_1106"
// What precedes a device ID in a hardware ID, and in the presence check's probe.
#define DEVICE_ID_MARK "DEV_"
// ADAPTER_VENDOR_ID in decimal, as the NT 4.0 setup script's VendorID line writes it.
#define ADAPTER_VENDOR_DECIMAL "4358"
// The network adapter class of device INF files.
#define NET_CLASS_GUID "{4d36e972-e325-11ce-bfc1-08002be10318}"

// The NT 4.0 setup script's marks: "OptionType = NetAdapter" says it installs a network
// adapter, "VendorID = 4358" names the vendor.
#define NT4_CLASS_KEY "OptionType"
#define NT4_CLASS_VALUE "NetAdapter"
#define NT4_VENDOR_KEY "VendorID"
// The name NT 4.0's setup always gives the adapter's setup script.
#define NT4_INF_FILE "oemsetup.inf"

#define INF_EXTENSION ".inf"
