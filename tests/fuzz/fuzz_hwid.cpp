// Fuzzes the hardware-ID reading of both INF dialects: the sizing and the filling pass
// over the same text must agree, and over different texts (a file that changed between
// the passes) the filling pass must stay inside the counted entries.
#include "hwid.h"

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include <vector>

namespace {

void IgnoreLog(const char*, ...) {}

int Count(const uint8_t* data, size_t size, InfDialect dialect)
{
    FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "r");
    int count = iCountHardwareIDs(file, dialect, IgnoreLog);
    fclose(file);
    return count;
}

int Fill(const uint8_t* data, size_t size, InfDialect dialect, std::vector<HwidEntry>& room)
{
    FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "r");
    int stored = iFillHardwareIDs(file, dialect, IgnoreLog, room.data(), static_cast<int>(room.size()));
    fclose(file);
    return stored;
}

}  // namespace

// The first byte splits the rest into the text counted and a second text filled after
// the first; both are also filled against their own count.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    size_t split = 1 + data[0] * (size - 1) / 256;
    const uint8_t* first = data + 1;
    size_t firstSize = split - 1;
    const uint8_t* second = data + split;
    size_t secondSize = size - split;
    for (InfDialect dialect : { INF_DEVICE, INF_NT4_SCRIPT }) {
        int count = Count(first, firstSize, dialect);
        std::vector<HwidEntry> room(count);
        if (Fill(first, firstSize, dialect, room) != count)
            abort();
        if (Fill(second, secondSize, dialect, room) > count)
            abort();
    }
    return 0;
}
