/* Test double of the PCI configuration drivers: a kernel driver that serves a simulated
   PCI bus instead of the real configuration space.  One image serves both services,
   PCIPEEK (the launcher's driver) and CFGREAD (the property library's driver); its
   device takes the service's name, and the length of each write says which protocol
   the caller speaks:

   - 20 bytes, the launcher's request: code (16 bits, must be 1), slot (16 bits,
     bus * 256 + device * 8 + function), 4 reserved bytes, first offset (16 bits),
     2 reserved bytes, byte count (32 bits), 4 reserved bytes.  The next read returns
     the configuration bytes from that offset on, at most the count and at most up to
     the end of the 256-byte space.
   - 12 bytes, the library's request: three 32-bit signed numbers, in this order the
     bus (0-255), the device (0-31) and the function (0-7).  The next read returns the
     first 64 configuration bytes.  A number out of its range names no function.

   A function that the bus description does not name reads as all ones.  What the bus
   holds and which requests fail is read from the service key each time the device is
   opened (pcibus_protocol.h); every open, request and close is logged there too. */
#include <ntddk.h>

#include "pcibus_protocol.h"

#define POOL_TAG 0x73756250u   /* "Pbus" in a pool dump */

enum {
    REGISTRY_PATH_CHARS = 256,
    NAME_PATH_CHARS = 96,
    LOG_CAPACITY = 256 * 1024,
    MICROSECONDS = 1000000
};

typedef struct {
    WCHAR awKey[REGISTRY_PATH_CHARS];   /* the service key, \Registry\Machine\... */
    UNICODE_STRING usKey;
    WCHAR awLink[NAME_PATH_CHARS];
    UNICODE_STRING usLink;
    UCHAR* pbyBus;                      /* bus records */
    ULONG uBusSize;
    ULONG uFailWrite, uFailRead, uShortRead;
    ULONG uWrites, uReads;
    UCHAR abyReply[PCIBUS_CONFIG_SIZE];
    ULONG uReplySize;
    UCHAR* pbyLog;
    ULONG uLogSize;
} BusDevice;

static ULONG64 uMicroseconds(void)
{
    LARGE_INTEGER liFrequency;
    LARGE_INTEGER liNow = KeQueryPerformanceCounter(&liFrequency);
    ULONG64 uCount = (ULONG64)liNow.QuadPart, uRate = (ULONG64)liFrequency.QuadPart;
    return uCount / uRate * MICROSECONDS + uCount % uRate * MICROSECONDS / uRate;
}

static void vLog(BusDevice* pBus, USHORT uKind, const UCHAR* pbyRequest, ULONG uLength,
                 ULONG uDone, NTSTATUS status)
{
    struct PciBusLogEntry entry;
    USHORT uStored = 0;
    if (uKind == PCIBUS_LOG_WRITE && pbyRequest != NULL)
        uStored = (USHORT)(uLength < PCIBUS_LOG_MAX_STORED ? uLength : PCIBUS_LOG_MAX_STORED);
    if (pBus->uLogSize + sizeof entry + uStored > LOG_CAPACITY)
        return;
    entry.kind = uKind;
    entry.stored = uStored;
    entry.length = uLength;
    entry.done = uDone;
    entry.status = (uint32_t)status;
    entry.microseconds = uMicroseconds();
    RtlCopyMemory(pBus->pbyLog + pBus->uLogSize, &entry, sizeof entry);
    RtlCopyMemory(pBus->pbyLog + pBus->uLogSize + sizeof entry, pbyRequest, uStored);
    pBus->uLogSize += sizeof entry + uStored;
}

static HANDLE hOpenServiceKey(BusDevice* pBus)
{
    OBJECT_ATTRIBUTES oa;
    HANDLE hKey = NULL;
    InitializeObjectAttributes(&oa, &pBus->usKey, OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE, NULL, NULL);
    if (!NT_SUCCESS(ZwOpenKey(&hKey, KEY_READ | KEY_SET_VALUE, &oa)))
        return NULL;
    return hKey;
}

/* The value's data in a pool block of its own (freed by the caller), or NULL. */
static KEY_VALUE_PARTIAL_INFORMATION* pQueryValue(HANDLE hKey, const WCHAR* wszName)
{
    UNICODE_STRING usName;
    ULONG uSize = 0;
    RtlInitUnicodeString(&usName, wszName);
    NTSTATUS status = ZwQueryValueKey(hKey, &usName, KeyValuePartialInformation, NULL, 0, &uSize);
    if (status != STATUS_BUFFER_TOO_SMALL && status != STATUS_BUFFER_OVERFLOW)
        return NULL;
    KEY_VALUE_PARTIAL_INFORMATION* pInfo = ExAllocatePoolWithTag(NonPagedPool, uSize, POOL_TAG);
    if (pInfo == NULL)
        return NULL;
    if (!NT_SUCCESS(ZwQueryValueKey(hKey, &usName, KeyValuePartialInformation, pInfo, uSize, &uSize))) {
        ExFreePoolWithTag(pInfo, POOL_TAG);
        return NULL;
    }
    return pInfo;
}

static ULONG uQueryDword(HANDLE hKey, const WCHAR* wszName)
{
    ULONG uValue = 0;
    KEY_VALUE_PARTIAL_INFORMATION* pInfo = pQueryValue(hKey, wszName);
    if (pInfo == NULL)
        return 0;
    if (pInfo->Type == REG_DWORD && pInfo->DataLength == sizeof uValue)
        RtlCopyMemory(&uValue, pInfo->Data, sizeof uValue);
    ExFreePoolWithTag(pInfo, POOL_TAG);
    return uValue;
}

/* Appends bytes to the bus description. */
static void vAddBusBytes(BusDevice* pBus, const UCHAR* pbyData, ULONG uSize)
{
    if (uSize == 0)
        return;
    UCHAR* pbyNew = ExAllocatePoolWithTag(NonPagedPool, pBus->uBusSize + uSize, POOL_TAG);
    if (pbyNew == NULL)
        return;
    if (pBus->pbyBus != NULL) {
        RtlCopyMemory(pbyNew, pBus->pbyBus, pBus->uBusSize);
        ExFreePoolWithTag(pBus->pbyBus, POOL_TAG);
    }
    RtlCopyMemory(pbyNew + pBus->uBusSize, pbyData, uSize);
    pBus->pbyBus = pbyNew;
    pBus->uBusSize += uSize;
}

/* The file value holds a Windows path such as C:\dir\bus.bin. */
static void vAddBusFile(BusDevice* pBus, const KEY_VALUE_PARTIAL_INFORMATION* pPath)
{
    static const WCHAR wszPrefix[] = L"\\??\\";
    WCHAR awPath[REGISTRY_PATH_CHARS];
    UNICODE_STRING usPath = { 0, sizeof awPath, awPath };
    UNICODE_STRING usGiven;
    if (pPath->Type != REG_SZ || pPath->DataLength < sizeof(WCHAR))
        return;
    usGiven.Buffer = (WCHAR*)pPath->Data;
    usGiven.Length = (USHORT)(pPath->DataLength - sizeof(WCHAR));
    usGiven.MaximumLength = usGiven.Length;
    if (!NT_SUCCESS(RtlAppendUnicodeToString(&usPath, wszPrefix)) ||
        !NT_SUCCESS(RtlAppendUnicodeStringToString(&usPath, &usGiven)))
        return;

    OBJECT_ATTRIBUTES oa;
    IO_STATUS_BLOCK iosb;
    HANDLE hFile = NULL;
    InitializeObjectAttributes(&oa, &usPath, OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE, NULL, NULL);
    if (!NT_SUCCESS(ZwCreateFile(&hFile, GENERIC_READ | SYNCHRONIZE, &oa, &iosb, NULL,
                                 FILE_ATTRIBUTE_NORMAL, FILE_SHARE_READ, FILE_OPEN,
                                 FILE_SYNCHRONOUS_IO_NONALERT | FILE_NON_DIRECTORY_FILE, NULL, 0)))
        return;
    FILE_STANDARD_INFORMATION info;
    if (NT_SUCCESS(ZwQueryInformationFile(hFile, &iosb, &info, sizeof info, FileStandardInformation)) &&
        info.EndOfFile.QuadPart > 0 && info.EndOfFile.QuadPart < MAXLONG) {
        ULONG uSize = (ULONG)info.EndOfFile.QuadPart;
        UCHAR* pbyData = ExAllocatePoolWithTag(NonPagedPool, uSize, POOL_TAG);
        if (pbyData != NULL) {
            if (NT_SUCCESS(ZwReadFile(hFile, NULL, NULL, NULL, &iosb, pbyData, uSize, NULL, NULL)))
                vAddBusBytes(pBus, pbyData, (ULONG)iosb.Information);
            ExFreePoolWithTag(pbyData, POOL_TAG);
        }
    }
    ZwClose(hFile);
}

/* Also counts the open, before its request completes. */
static void vLoadSettings(BusDevice* pBus)
{
    if (pBus->pbyBus != NULL)
        ExFreePoolWithTag(pBus->pbyBus, POOL_TAG);
    pBus->pbyBus = NULL;
    pBus->uBusSize = 0;
    pBus->uFailWrite = pBus->uFailRead = pBus->uShortRead = 0;
    HANDLE hKey = hOpenServiceKey(pBus);
    if (hKey == NULL)
        return;
    KEY_VALUE_PARTIAL_INFORMATION* pInfo = pQueryValue(hKey, L"" PCIBUS_VALUE_BUS);
    if (pInfo != NULL) {
        if (pInfo->Type == REG_BINARY)
            vAddBusBytes(pBus, pInfo->Data, pInfo->DataLength);
        ExFreePoolWithTag(pInfo, POOL_TAG);
    }
    pInfo = pQueryValue(hKey, L"" PCIBUS_VALUE_BUS_FILE);
    if (pInfo != NULL) {
        vAddBusFile(pBus, pInfo);
        ExFreePoolWithTag(pInfo, POOL_TAG);
    }
    UNICODE_STRING usOpens;
    ULONG uOpens = uQueryDword(hKey, L"" PCIBUS_VALUE_OPENS) + 1;
    RtlInitUnicodeString(&usOpens, L"" PCIBUS_VALUE_OPENS);
    ZwSetValueKey(hKey, &usOpens, 0, REG_DWORD, &uOpens, sizeof uOpens);
    pBus->uFailWrite = uQueryDword(hKey, L"" PCIBUS_VALUE_FAIL_WRITE);
    pBus->uFailRead = uQueryDword(hKey, L"" PCIBUS_VALUE_FAIL_READ);
    pBus->uShortRead = uQueryDword(hKey, L"" PCIBUS_VALUE_SHORT_READ);
    ZwClose(hKey);
}

/* Appends this open's log entries to the log value. */
static void vFlushLog(BusDevice* pBus)
{
    HANDLE hKey = hOpenServiceKey(pBus);
    if (hKey == NULL)
        return;
    KEY_VALUE_PARTIAL_INFORMATION* pOld = pQueryValue(hKey, L"" PCIBUS_VALUE_LOG);
    ULONG uOld = pOld != NULL && pOld->Type == REG_BINARY ? pOld->DataLength : 0;
    UCHAR* pbyAll = ExAllocatePoolWithTag(NonPagedPool, uOld + pBus->uLogSize + 1, POOL_TAG);
    if (pbyAll != NULL) {
        UNICODE_STRING usName;
        RtlInitUnicodeString(&usName, L"" PCIBUS_VALUE_LOG);
        if (uOld > 0)
            RtlCopyMemory(pbyAll, pOld->Data, uOld);
        RtlCopyMemory(pbyAll + uOld, pBus->pbyLog, pBus->uLogSize);
        ZwSetValueKey(hKey, &usName, 0, REG_BINARY, pbyAll, uOld + pBus->uLogSize);
        ExFreePoolWithTag(pbyAll, POOL_TAG);
    }
    if (pOld != NULL)
        ExFreePoolWithTag(pOld, POOL_TAG);
    ZwClose(hKey);
    pBus->uLogSize = 0;
}

/* The configuration space of one slot: a record's bytes, or all ones. */
static void vReadSlot(const BusDevice* pBus, ULONG uSlot, UCHAR abyConfig[PCIBUS_CONFIG_SIZE])
{
    RtlFillMemory(abyConfig, PCIBUS_CONFIG_SIZE, 0xFF);
    for (ULONG uAt = 0; uAt + PCIBUS_RECORD_SIZE <= pBus->uBusSize; uAt += PCIBUS_RECORD_SIZE) {
        uint32_t uRecordSlot;
        RtlCopyMemory(&uRecordSlot, pBus->pbyBus + uAt, sizeof uRecordSlot);
        if (uRecordSlot == uSlot) {
            RtlCopyMemory(abyConfig, pBus->pbyBus + uAt + sizeof uRecordSlot, PCIBUS_CONFIG_SIZE);
            return;
        }
    }
}

static USHORT uWordAt(const UCHAR* pby, ULONG uOffset)
{
    return (USHORT)(pby[uOffset] | pby[uOffset + 1] << 8);
}

static ULONG uDwordAt(const UCHAR* pby, ULONG uOffset)
{
    return (ULONG)uWordAt(pby, uOffset) | (ULONG)uWordAt(pby, uOffset + 2) << 16;
}

static NTSTATUS PreparePeekReply(BusDevice* pBus, const UCHAR* pbyRequest)
{
    enum { CODE = 0, SLOT = 2, OFFSET = 8, COUNT = 12 };
    if (uWordAt(pbyRequest, CODE) != PCIPEEK_CODE_READ_CONFIG)
        return STATUS_INVALID_PARAMETER;
    UCHAR abyConfig[PCIBUS_CONFIG_SIZE];
    vReadSlot(pBus, uWordAt(pbyRequest, SLOT), abyConfig);
    ULONG uOffset = uWordAt(pbyRequest, OFFSET);
    ULONG uCount = uDwordAt(pbyRequest, COUNT);
    if (uOffset > PCIBUS_CONFIG_SIZE)
        uOffset = PCIBUS_CONFIG_SIZE;
    if (uCount > PCIBUS_CONFIG_SIZE - uOffset)
        uCount = PCIBUS_CONFIG_SIZE - uOffset;
    RtlCopyMemory(pBus->abyReply, abyConfig + uOffset, uCount);
    pBus->uReplySize = uCount;
    return STATUS_SUCCESS;
}

static NTSTATUS PrepareCfgReadReply(BusDevice* pBus, const UCHAR* pbyRequest)
{
    LONG iBus = (LONG)uDwordAt(pbyRequest, 0);
    LONG iDevice = (LONG)uDwordAt(pbyRequest, 4);
    LONG iFunction = (LONG)uDwordAt(pbyRequest, 8);
    if (iBus < 0 || iBus > PCIBUS_MAX_BUS || iDevice < 0 || iDevice > PCIBUS_MAX_DEVICE ||
        iFunction < 0 || iFunction > PCIBUS_MAX_FUNCTION)
        RtlFillMemory(pBus->abyReply, CFGREAD_REPLY_SIZE, 0xFF);
    else
        vReadSlot(pBus, (ULONG)(iBus * 256 + iDevice * 8 + iFunction), pBus->abyReply);
    pBus->uReplySize = CFGREAD_REPLY_SIZE;
    return STATUS_SUCCESS;
}

static BOOLEAN bFailsNow(ULONG uSelected, ULONG uNumber)
{
    return uSelected == PCIBUS_EVERY || (uSelected != 0 && uSelected == uNumber);
}

static NTSTATUS Complete(PIRP pIrp, NTSTATUS status, ULONG_PTR uInformation)
{
    pIrp->IoStatus.Status = status;
    pIrp->IoStatus.Information = uInformation;
    IoCompleteRequest(pIrp, IO_NO_INCREMENT);
    return status;
}

static NTSTATUS NTAPI DispatchCreate(PDEVICE_OBJECT pDevice, PIRP pIrp)
{
    BusDevice* pBus = pDevice->DeviceExtension;
    vLoadSettings(pBus);
    pBus->uWrites = pBus->uReads = 0;
    pBus->uReplySize = 0;
    vLog(pBus, PCIBUS_LOG_OPEN, NULL, 0, 0, STATUS_SUCCESS);
    return Complete(pIrp, STATUS_SUCCESS, 0);
}

/* Wine never sends a clean-up request; Windows does, before the close. */
static NTSTATUS NTAPI DispatchCleanup(PDEVICE_OBJECT pDevice, PIRP pIrp)
{
    (void)pDevice;
    return Complete(pIrp, STATUS_SUCCESS, 0);
}

static NTSTATUS NTAPI DispatchClose(PDEVICE_OBJECT pDevice, PIRP pIrp)
{
    BusDevice* pBus = pDevice->DeviceExtension;
    vLog(pBus, PCIBUS_LOG_CLOSE, NULL, 0, 0, STATUS_SUCCESS);
    vFlushLog(pBus);
    return Complete(pIrp, STATUS_SUCCESS, 0);
}

static NTSTATUS NTAPI DispatchWrite(PDEVICE_OBJECT pDevice, PIRP pIrp)
{
    BusDevice* pBus = pDevice->DeviceExtension;
    ULONG uLength = IoGetCurrentIrpStackLocation(pIrp)->Parameters.Write.Length;
    const UCHAR* pbyRequest = pIrp->AssociatedIrp.SystemBuffer;
    NTSTATUS status;
    pBus->uReplySize = 0;
    if (bFailsNow(pBus->uFailWrite, ++pBus->uWrites))
        status = STATUS_IO_DEVICE_ERROR;
    else if (uLength == PCIPEEK_REQUEST_SIZE)
        status = PreparePeekReply(pBus, pbyRequest);
    else if (uLength == CFGREAD_REQUEST_SIZE)
        status = PrepareCfgReadReply(pBus, pbyRequest);
    else
        status = STATUS_INVALID_PARAMETER;
    ULONG uDone = NT_SUCCESS(status) ? uLength : 0;
    vLog(pBus, PCIBUS_LOG_WRITE, pbyRequest, uLength, uDone, status);
    return Complete(pIrp, status, uDone);
}

static NTSTATUS NTAPI DispatchRead(PDEVICE_OBJECT pDevice, PIRP pIrp)
{
    BusDevice* pBus = pDevice->DeviceExtension;
    ULONG uLength = IoGetCurrentIrpStackLocation(pIrp)->Parameters.Read.Length;
    ULONG uNumber = ++pBus->uReads;
    if (bFailsNow(pBus->uFailRead, uNumber)) {
        vLog(pBus, PCIBUS_LOG_READ, NULL, uLength, 0, STATUS_IO_DEVICE_ERROR);
        return Complete(pIrp, STATUS_IO_DEVICE_ERROR, 0);
    }
    ULONG uDone = pBus->uReplySize;
    if (bFailsNow(pBus->uShortRead, uNumber) && uDone > 0)
        uDone--;
    if (uDone > uLength)
        uDone = uLength;
    RtlCopyMemory(pIrp->AssociatedIrp.SystemBuffer, pBus->abyReply, uDone);
    pBus->uReplySize = 0;
    vLog(pBus, PCIBUS_LOG_READ, NULL, uLength, uDone, STATUS_SUCCESS);
    return Complete(pIrp, STATUS_SUCCESS, uDone);
}

static void NTAPI DriverUnload(PDRIVER_OBJECT pDriver)
{
    PDEVICE_OBJECT pDevice = pDriver->DeviceObject;
    if (pDevice == NULL)
        return;
    BusDevice* pBus = pDevice->DeviceExtension;
    IoDeleteSymbolicLink(&pBus->usLink);
    if (pBus->pbyBus != NULL)
        ExFreePoolWithTag(pBus->pbyBus, POOL_TAG);
    if (pBus->pbyLog != NULL)
        ExFreePoolWithTag(pBus->pbyLog, POOL_TAG);
    IoDeleteDevice(pDevice);
}

/* The last component of the service key is the service name. */
static void vServiceName(PCUNICODE_STRING pusKey, UNICODE_STRING* pusName)
{
    USHORT uChars = pusKey->Length / sizeof(WCHAR), uStart = uChars;
    while (uStart > 0 && pusKey->Buffer[uStart - 1] != L'\\')
        uStart--;
    pusName->Buffer = pusKey->Buffer + uStart;
    pusName->Length = (USHORT)((uChars - uStart) * sizeof(WCHAR));
    pusName->MaximumLength = pusName->Length;
}

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT pDriver, PUNICODE_STRING pusRegistryPath)
{
    WCHAR awDevice[NAME_PATH_CHARS];
    UNICODE_STRING usDevice = { 0, sizeof awDevice, awDevice };
    UNICODE_STRING usName;
    PDEVICE_OBJECT pDevice = NULL;

    vServiceName(pusRegistryPath, &usName);
    if (!NT_SUCCESS(RtlAppendUnicodeToString(&usDevice, L"\\Device\\")) ||
        !NT_SUCCESS(RtlAppendUnicodeStringToString(&usDevice, &usName)))
        return STATUS_NAME_TOO_LONG;
    NTSTATUS status = IoCreateDevice(pDriver, sizeof(BusDevice), &usDevice, FILE_DEVICE_UNKNOWN, 0,
                                     FALSE, &pDevice);
    if (!NT_SUCCESS(status))
        return status;
    BusDevice* pBus = pDevice->DeviceExtension;
    RtlZeroMemory(pBus, sizeof *pBus);
    pBus->usKey.Buffer = pBus->awKey;
    pBus->usKey.MaximumLength = sizeof pBus->awKey;
    pBus->usLink.Buffer = pBus->awLink;
    pBus->usLink.MaximumLength = sizeof pBus->awLink;
    pBus->pbyLog = ExAllocatePoolWithTag(NonPagedPool, LOG_CAPACITY, POOL_TAG);
    if (pBus->pbyLog == NULL ||
        !NT_SUCCESS(RtlAppendUnicodeStringToString(&pBus->usKey, pusRegistryPath)) ||
        !NT_SUCCESS(RtlAppendUnicodeToString(&pBus->usLink, L"\\DosDevices\\")) ||
        !NT_SUCCESS(RtlAppendUnicodeStringToString(&pBus->usLink, &usName))) {
        if (pBus->pbyLog != NULL)
            ExFreePoolWithTag(pBus->pbyLog, POOL_TAG);
        IoDeleteDevice(pDevice);
        return STATUS_INSUFFICIENT_RESOURCES;
    }
    status = IoCreateSymbolicLink(&pBus->usLink, &usDevice);
    if (!NT_SUCCESS(status)) {
        ExFreePoolWithTag(pBus->pbyLog, POOL_TAG);
        IoDeleteDevice(pDevice);
        return status;
    }
    pDevice->Flags |= DO_BUFFERED_IO;
    pDevice->Flags &= ~DO_DEVICE_INITIALIZING;

    pDriver->MajorFunction[IRP_MJ_CREATE] = DispatchCreate;
    pDriver->MajorFunction[IRP_MJ_CLEANUP] = DispatchCleanup;
    pDriver->MajorFunction[IRP_MJ_CLOSE] = DispatchClose;
    pDriver->MajorFunction[IRP_MJ_READ] = DispatchRead;
    pDriver->MajorFunction[IRP_MJ_WRITE] = DispatchWrite;
    pDriver->DriverUnload = DriverUnload;
    return STATUS_SUCCESS;
}
