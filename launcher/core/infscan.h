/* The two readings of an INF piece done with the C library's scanf family.  Kept in
   a C file so that the C runtime's own sscanf (crtdll's) does the reading on Windows
   (see common/format.h).
   No windows.h here: built natively too. */
#pragma once
#include "capacities.h"

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The third whitespace-separated word read as an unsigned decimal number, the way
   "%s %s %lu" reads it: "0x1106" gives 0, "12ab" gives 12.  A piece with no number
   there gives 0, which no vendor test accepts. */
uint32_t dwScanDeviceCFID(const char* szPiece);

/* The fourth whitespace-separated word, the way "%s %s %s %s" reads it.  szWord is
   left empty when the piece has fewer than four words. */
void vScanFourthWord(const char* szPiece, char szWord[HWID_ENTRY_CAPACITY]);

#ifdef __cplusplus
}
#endif
