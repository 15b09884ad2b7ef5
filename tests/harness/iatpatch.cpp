#include "iatpatch.h"

namespace harness {

namespace {

template <typename T>
T* At(HMODULE hModule, DWORD dwRva)
{
    return reinterpret_cast<T*>(reinterpret_cast<BYTE*>(hModule) + dwRva);
}

void* ReplaceSlot(IMAGE_THUNK_DATA* pSlot, void* pReplacement)
{
    void* pOld = reinterpret_cast<void*>(pSlot->u1.Function);
    DWORD dwProtect = 0;
    VirtualProtect(&pSlot->u1.Function, sizeof pSlot->u1.Function, PAGE_READWRITE, &dwProtect);
    pSlot->u1.Function = reinterpret_cast<ULONG_PTR>(pReplacement);
    VirtualProtect(&pSlot->u1.Function, sizeof pSlot->u1.Function, dwProtect, &dwProtect);
    return pOld;
}

}  // namespace

void* PatchImport(HMODULE hModule, const char* szDll, const char* szFunction, void* pReplacement)
{
    const IMAGE_NT_HEADERS* pNt = At<IMAGE_NT_HEADERS>(hModule, At<IMAGE_DOS_HEADER>(hModule, 0)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0)
        return nullptr;
    for (IMAGE_IMPORT_DESCRIPTOR* pDll = At<IMAGE_IMPORT_DESCRIPTOR>(hModule, imports.VirtualAddress);
         pDll->Name != 0; ++pDll) {
        if (lstrcmpiA(At<char>(hModule, pDll->Name), szDll) != 0)
            continue;
        IMAGE_THUNK_DATA* pName = At<IMAGE_THUNK_DATA>(hModule, pDll->OriginalFirstThunk);
        IMAGE_THUNK_DATA* pSlot = At<IMAGE_THUNK_DATA>(hModule, pDll->FirstThunk);
        for (; pName->u1.AddressOfData != 0; ++pName, ++pSlot) {
            if (IMAGE_SNAP_BY_ORDINAL(pName->u1.Ordinal))
                continue;
            const IMAGE_IMPORT_BY_NAME* pByName =
                At<IMAGE_IMPORT_BY_NAME>(hModule, static_cast<DWORD>(pName->u1.AddressOfData));
            if (lstrcmpA(reinterpret_cast<const char*>(pByName->Name), szFunction) == 0)
                return ReplaceSlot(pSlot, pReplacement);
        }
    }
    return nullptr;
}

}  // namespace harness
