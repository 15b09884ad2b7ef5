// The adapter's INF file as text: the validity marks of each INF dialect, and the
// hardware IDs read from its pieces (see infpieces.h) into the list that the presence
// check matches.  No windows.h here: built natively too.
#pragma once
#include <stdint.h>
#include <stdio.h>

#include "infscan.h"

enum InfDialect {
    INF_DEVICE,       // device INF of Windows 95/98/Me and 2000/XP/2003
    INF_NT4_SCRIPT    // NT 4.0 setup-script INF
};

enum {
    // The list's size in bytes must fit a 32-bit size; a larger count cannot be
    // allocated anyway, so counting saturates here.
    HWID_MAX_ENTRIES = 0x7FFFFFFF / HWID_ENTRY_CAPACITY
};

typedef char HwidEntry[HWID_ENTRY_CAPACITY];
typedef void (*InfLogFn)(const char* szFormat, ...);

// True when the file holds both validity marks of the dialect.  False when it cannot
// be opened.
bool bInfFileIsValid(const char* szPath, InfDialect eDialect);

// Both passes are one walk over the pieces from the current position, which classifies
// each piece the same way and hands those that matter to the pass's own visitor: so
// the passes count and store the same pieces.

// Sizing pass: the number of entries that the pieces from the current position yield
// (at most HWID_MAX_ENTRIES).  Logs each counted configuration ID (NT 4.0).
int iCountHardwareIDs(FILE* pFile, InfDialect eDialect, InfLogFn pfnLog);

// Filling pass: stores the entries in file order into aszEntries[0 ..], never more
// than iCapacity, and logs what the NT 4.0 dialect logs.  Returns the number stored.
int iFillHardwareIDs(FILE* pFile, InfDialect eDialect, InfLogFn pfnLog, HwidEntry* aszEntries,
                     int iCapacity);

// The list: iCount entries, allocated once by vReadHardwareIDs and never released
// (it lives as long as the process).  Entries that the filling pass did not reach
// stay empty.
struct HwidList {
    int iCount;
    HwidEntry* aszEntries;   // nullptr when iCount is 0
};

// Sizing pass, allocation, filling pass.  A file that cannot be opened, or a list
// that cannot be allocated, gives an empty list.
void vReadHardwareIDs(const char* szPath, InfDialect eDialect, InfLogFn pfnLog, HwidList* pList);
