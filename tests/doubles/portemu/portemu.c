/* Port-I/O emulator: a DLL that the harness loads into a program started suspended, so
   that the program's in and out instructions reach a simulated PCI bus instead of
   faulting.  Under wine64 every such instruction raises a privileged-instruction
   exception at the instruction; a vectored handler decodes it, carries it out against
   configuration mechanism #1 (address latch at 0xCF8, data at 0xCFC-0xCFF), and steps
   over it.

   NICTEST_PCIBUS names the file of bus records (pcibus_protocol.h); a slot that no record
   names reads as all ones.  NICTEST_PORTLOG, when set, names a file that receives one
   line per access when the program ends: "out 4 0CF8 80000800" or "in 4 0CFC FFFFFFFF"
   (direction, size in bytes, port, value, all hexadecimal). */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "pcibus_protocol.h"

enum {
    PORT_ADDRESS = 0xCF8,
    PORT_DATA = 0xCFC,
    DATA_PORTS = 4,
    ADDRESS_ENABLE = 0x80000000u,
    OPERAND_SIZE_PREFIX = 0x66,
    MAX_ACCESSES = 1 << 16
};

struct Access {
    BOOL bOut;
    unsigned uSize;
    unsigned uPort;
    DWORD dwValue;
};

static unsigned char* g_pbyBus;
static size_t g_uBusSize;
static DWORD g_dwAddress;                      /* the latch at 0xCF8 */
static struct Access* g_pAccesses;
static size_t g_uAccesses;
static char g_szLogPath[MAX_PATH];

static void vLoadBus(void)
{
    char szPath[MAX_PATH];
    DWORD dwLength = GetEnvironmentVariableA("NICTEST_PCIBUS", szPath, sizeof szPath);
    if (dwLength == 0 || dwLength >= sizeof szPath)
        return;
    FILE* pFile = fopen(szPath, "rb");
    if (pFile == NULL)
        return;
    unsigned char abyChunk[PCIBUS_RECORD_SIZE];
    size_t uGot;
    while ((uGot = fread(abyChunk, 1, sizeof abyChunk, pFile)) == sizeof abyChunk) {
        unsigned char* pbyMore = realloc(g_pbyBus, g_uBusSize + uGot);
        if (pbyMore == NULL)
            break;
        memcpy(pbyMore + g_uBusSize, abyChunk, uGot);
        g_pbyBus = pbyMore;
        g_uBusSize += uGot;
    }
    fclose(pFile);
}

static unsigned char byConfigByte(DWORD dwSlot, unsigned uOffset)
{
    for (size_t uAt = 0; uAt + PCIBUS_RECORD_SIZE <= g_uBusSize; uAt += PCIBUS_RECORD_SIZE) {
        uint32_t uRecordSlot;
        memcpy(&uRecordSlot, g_pbyBus + uAt, sizeof uRecordSlot);
        if (uRecordSlot == dwSlot)
            return g_pbyBus[uAt + sizeof uRecordSlot + uOffset];
    }
    return 0xFF;
}

/* Mechanism #1: bus in bits 23-16, device 15-11, function 10-8, register 7-2 of the
   latch; the data port's low two bits pick the byte within the register. */
static DWORD dwReadData(unsigned uPort, unsigned uSize)
{
    if (!(g_dwAddress & ADDRESS_ENABLE))
        return 0xFFFFFFFFu;
    DWORD dwSlot = (g_dwAddress >> 8) & 0xFFFF;
    unsigned uOffset = (g_dwAddress & 0xFC) + (uPort - PORT_DATA);
    DWORD dwValue = 0;
    for (unsigned i = 0; i < uSize; i++)
        dwValue |= (DWORD)byConfigByte(dwSlot, (uOffset + i) & 0xFF) << (8 * i);
    return dwValue;
}

static DWORD dwPortIn(unsigned uPort, unsigned uSize)
{
    if (uPort == PORT_ADDRESS && uSize == 4)
        return g_dwAddress;
    if (uPort >= PORT_DATA && uPort < PORT_DATA + DATA_PORTS)
        return dwReadData(uPort, uSize);
    return 0xFFFFFFFFu;
}

/* Only a 32-bit write reaches the latch: byte writes to 0xCF8 belong to other devices. */
static void vPortOut(unsigned uPort, unsigned uSize, DWORD dwValue)
{
    if (uPort == PORT_ADDRESS && uSize == 4)
        g_dwAddress = dwValue;
}

static void vRecord(BOOL bOut, unsigned uSize, unsigned uPort, DWORD dwValue)
{
    if (g_pAccesses == NULL || g_uAccesses >= MAX_ACCESSES)
        return;
    struct Access access = { bOut, uSize, uPort, dwValue };
    g_pAccesses[g_uAccesses++] = access;
}

static DWORD dwSizeMask(unsigned uSize)
{
    return uSize == 4 ? 0xFFFFFFFFu : ((DWORD)1 << (8 * uSize)) - 1;
}

/* The registers the emulated instructions use, in either word size. */
#ifdef _WIN64
#define CONTEXT_IP(p) ((p)->Rip)
#define CONTEXT_AX(p) ((p)->Rax)
#define CONTEXT_DX(p) ((p)->Rdx)
#else
#define CONTEXT_IP(p) ((p)->Eip)
#define CONTEXT_AX(p) ((p)->Eax)
#define CONTEXT_DX(p) ((p)->Edx)
#endif

static LONG CALLBACK lEmulatePortIo(EXCEPTION_POINTERS* pException)
{
    if (pException->ExceptionRecord->ExceptionCode != STATUS_PRIVILEGED_INSTRUCTION)
        return EXCEPTION_CONTINUE_SEARCH;
    CONTEXT* pContext = pException->ContextRecord;
    const unsigned char* pbyCode = (const unsigned char*)CONTEXT_IP(pContext);
    unsigned uLength = 0, uSize = 4, uPort;
    if (pbyCode[0] == OPERAND_SIZE_PREFIX) {
        uSize = 2;
        uLength = 1;
    }
    unsigned char byOpcode = pbyCode[uLength++];
    switch (byOpcode) {
    case 0xE4: case 0xE5: case 0xE6: case 0xE7:   /* port in an immediate byte */
        uPort = pbyCode[uLength++];
        break;
    case 0xEC: case 0xED: case 0xEE: case 0xEF:   /* port in DX */
        uPort = (unsigned)(CONTEXT_DX(pContext) & 0xFFFF);
        break;
    default:
        return EXCEPTION_CONTINUE_SEARCH;
    }
    if (!(byOpcode & 1))
        uSize = 1;
    BOOL bOut = (byOpcode & 2) != 0;
    if (bOut) {
        DWORD dwValue = (DWORD)CONTEXT_AX(pContext) & dwSizeMask(uSize);
        vPortOut(uPort, uSize, dwValue);
        vRecord(TRUE, uSize, uPort, dwValue);
    } else {
        DWORD dwValue = dwPortIn(uPort, uSize);
        if (uSize == 4)   /* a 32-bit register write clears the upper half */
            CONTEXT_AX(pContext) = dwValue;
        else
            CONTEXT_AX(pContext) = (CONTEXT_AX(pContext) & ~(DWORD_PTR)dwSizeMask(uSize)) | dwValue;
        vRecord(FALSE, uSize, uPort, dwValue);
    }
    CONTEXT_IP(pContext) += uLength;
    return EXCEPTION_CONTINUE_EXECUTION;
}

static void vWriteAccessLog(void)
{
    if (g_szLogPath[0] == '\0' || g_pAccesses == NULL)
        return;
    FILE* pFile = fopen(g_szLogPath, "wb");
    if (pFile == NULL)
        return;
    for (size_t i = 0; i < g_uAccesses; i++)
        fprintf(pFile, "%s %u %04X %08lX\n", g_pAccesses[i].bOut ? "out" : "in", g_pAccesses[i].uSize,
                g_pAccesses[i].uPort, (unsigned long)g_pAccesses[i].dwValue);
    fclose(pFile);
}

BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID pReserved)
{
    (void)hInstance;
    (void)pReserved;
    if (dwReason == DLL_PROCESS_ATTACH) {
        vLoadBus();
        DWORD dwLength = GetEnvironmentVariableA("NICTEST_PORTLOG", g_szLogPath, sizeof g_szLogPath);
        if (dwLength == 0 || dwLength >= sizeof g_szLogPath)
            g_szLogPath[0] = '\0';
        else
            g_pAccesses = malloc(MAX_ACCESSES * sizeof *g_pAccesses);
        return AddVectoredExceptionHandler(1, lEmulatePortIo) != NULL;
    }
    if (dwReason == DLL_PROCESS_DETACH)
        vWriteAccessLog();
    return TRUE;
}
