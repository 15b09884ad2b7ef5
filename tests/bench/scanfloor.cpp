// The floor of the scan bench (scanbench.cpp): 256 write and read pairs on the PCIPEEK
// device, the same request for every slot as the launcher writes it (code 1, the slot,
// offset 0 and the whole configuration space), and nothing else.  A windowless program
// like the launcher, so that both start alike.
#include <windows.h>

#include <stdint.h>

namespace {

const char kDevicePath[] = "\\\\.\\PCIPEEK";
const unsigned kSlots = 256;   // bus 0-7, device 0-31, function 0
const unsigned kSlotsPerBus = 32;
const DWORD kReplySize = 256;

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    HANDLE hDevice = CreateFileA(kDevicePath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 0, nullptr);
    if (hDevice == INVALID_HANDLE_VALUE)
        return 1;
    for (unsigned uSlot = 0; uSlot < kSlots; ++uSlot) {
        uint8_t abyRequest[20] = {};
        uint16_t uBusDevFn = static_cast<uint16_t>((uSlot / kSlotsPerBus) * 256 + (uSlot % kSlotsPerBus) * 8);
        abyRequest[0] = 1;
        abyRequest[2] = static_cast<uint8_t>(uBusDevFn);
        abyRequest[3] = static_cast<uint8_t>(uBusDevFn >> 8);
        abyRequest[12] = static_cast<uint8_t>(kReplySize);
        abyRequest[13] = static_cast<uint8_t>(kReplySize >> 8);
        uint8_t abyReply[kReplySize];
        DWORD dwDone = 0;
        WriteFile(hDevice, abyRequest, sizeof abyRequest, &dwDone, nullptr);
        ReadFile(hDevice, abyReply, sizeof abyReply, &dwDone, nullptr);
    }
    CloseHandle(hDevice);
    return 0;
}
