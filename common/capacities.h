/* The fixed text capacities of both deliverables, each in bytes with its terminator,
   with what it must hold and why it is that size.  Every fixed buffer is declared with
   one of these, and code that hands a buffer to another module ties the two with a
   static_assert.  Text that does not fit is refused, never shortened (see the callers).
   No windows.h here: built natively too. */
#pragma once

enum {
    /* A folder or file path: MAX_PATH, the most that the ANSI file calls of every target
       Windows take.  Also the launcher's INF folder and name, the driver paths and the
       setup log's path. */
    PATH_CAPACITY = 260,

    /* The setup program's name, its path and its command line: the setup programs were
       written for at most 255 characters of command line. */
    NAME_CAPACITY = 256,

    /* One entry of the hardware-ID list: the fourth word of a model line (a piece holds
       at most 127 characters, so it always fits) or "DEV_" and four hex digits. */
    HWID_ENTRY_CAPACITY = 256,

    /* The "DEV_%X" probe matched against the list entries (szDeviceIDTemp); it needs 9,
       and keeps the path-sized buffer it always had. */
    DEVICE_PROBE_CAPACITY = 260,

    /* One piece of INF text as fgets reads it: 127 characters and the terminator.  A
       longer line yields several pieces, each taken as a line of its own, which the INF
       files on real disks were written for. */
    INF_PIECE_CAPACITY = 128,

    /* One setup log line: at most 257 characters of message, CR LF and the terminator. */
    LOG_LINE_CAPACITY = 260,

    /* nicprop's system-folder texts: the cfgread driver's path, and the help viewer's
       path before its argument.  255 characters, as the library always allowed. */
    SYSTEM_PATH_CAPACITY = 256
};
