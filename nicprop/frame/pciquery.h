// GetSubID and GetRevID: register and start the cfgread driver service, send its device
// one request naming a PCI function, read back that function's 64-byte configuration
// header, and give one field of it as decimal text.  ReadPciHeader is the shared body.
#pragma once
#include <windows.h>
#include <stdint.h>

const DWORD kPciHeaderSize = 64;

// The first 64 bytes of the named function's PCI configuration space.
struct PciHeaderReply {
    uint8_t abyHeader[kPciHeaderSize];
};

// Reads the header of the function that argument entries 0, 1 and 2 name.  Gives null
// on success, else the failure text to return; every handle it opened is closed.
const char* ReadPciHeader(DWORD dwCount, LPSTR aszArgs[], PciHeaderReply* pReply);
