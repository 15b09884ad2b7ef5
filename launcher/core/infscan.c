#include "infscan.h"

#include <stdio.h>

uint32_t dwScanDeviceCFID(const char* szPiece)
{
    unsigned long ulDeviceCFID = 0;
    if (sscanf(szPiece, "%*s %*s %lu", &ulDeviceCFID) != 1)
        return 0;
    /* unsigned long is 64 bits on a native 64-bit build; on Windows it is 32 bits. */
    return (uint32_t)ulDeviceCFID;
}

void vScanFourthWord(const char* szPiece, char szWord[HWID_ENTRY_CAPACITY])
{
    szWord[0] = '\0';
    /* A piece holds at most 127 characters, so the width never cuts a word; it bounds
       the write by the entry's size all the same. */
    sscanf(szPiece, "%*s %*s %*s %255s", szWord);
}
