/* What the simulated PCI bus doubles and the tests that set them up agree on: the
   layout of a bus description, the registry values that steer the driver double, and
   the layout of its request log.  Plain C, fixed-width types, little-endian. */
#pragma once
#include <stdint.h>

/* A bus description is a sequence of records, one per present function:
   a 32-bit slot (bus * 256 + device * 8 + function) and its 256 configuration bytes.
   A slot that no record names reads as all ones, as an empty slot does. */
enum {
    PCIBUS_CONFIG_SIZE = 256,
    PCIBUS_RECORD_SIZE = 4 + PCIBUS_CONFIG_SIZE,
    PCIBUS_MAX_BUS = 255,
    PCIBUS_MAX_DEVICE = 31,
    PCIBUS_MAX_FUNCTION = 7
};

/* Values under HKLM\System\CurrentControlSet\Services\<service name>.  The driver reads
   all but the log each time its device is opened, so a test can change the bus and the
   failures without restarting the driver. */
#define PCIBUS_VALUE_BUS "Bus"               /* REG_BINARY: bus records */
#define PCIBUS_VALUE_BUS_FILE "BusFile"      /* REG_SZ: Windows path of a file of bus records,
                                                read after the Bus value's records */
#define PCIBUS_VALUE_FAIL_WRITE "FailWrite"  /* REG_DWORD: number of the write, counted from 1
                                                since the open, that fails; PCIBUS_EVERY for all */
#define PCIBUS_VALUE_FAIL_READ "FailRead"    /* REG_DWORD: the same for reads */
#define PCIBUS_VALUE_SHORT_READ "ShortRead"  /* REG_DWORD: the same; that read returns one byte
                                                less than the reply holds */
#define PCIBUS_VALUE_LOG "RequestLog"        /* REG_BINARY, written by the driver: log entries,
                                                appended at every close; tests delete it */
#define PCIBUS_VALUE_OPENS "Opens"           /* REG_DWORD, counted up by the driver at every
                                                open; tests reset it with the log.  Wine sends
                                                the close after CloseHandle has returned, so a
                                                test waits until the log holds as many closes */
#define PCIBUS_EVERY 0xFFFFFFFFu

/* The two protocols, told apart by the length of the write. */
enum {
    PCIPEEK_REQUEST_SIZE = 20,   /* code (2), slot (2), -, offset (2), -, count (4), - */
    PCIPEEK_CODE_READ_CONFIG = 1,
    CFGREAD_REQUEST_SIZE = 12,   /* three 32-bit signed numbers: bus, device, function */
    CFGREAD_REPLY_SIZE = 64
};

/* One log entry; `stored` bytes of the written request follow it directly. */
enum {
    PCIBUS_LOG_OPEN = 1,
    PCIBUS_LOG_WRITE = 2,
    PCIBUS_LOG_READ = 3,
    PCIBUS_LOG_CLOSE = 4,
    PCIBUS_LOG_MAX_STORED = 64
};

struct PciBusLogEntry {
    uint16_t kind;
    uint16_t stored;     /* request bytes that follow (writes only) */
    uint32_t length;     /* bytes the caller wrote, or asked to read */
    uint32_t done;       /* bytes taken or returned; 0 for a failed request */
    uint32_t status;     /* NTSTATUS the request completed with */
    uint64_t microseconds;   /* performance counter, in microseconds */
};
