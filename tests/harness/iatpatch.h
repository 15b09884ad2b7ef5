// Import patching for in-process tests of a loaded DLL: replaces the address that the
// module's import table holds for one function, so that a test can watch every call
// the module makes to it (with its arguments) or make it fail, without changing the
// module.  Only the patched module sees the replacement.
#pragma once
#include <windows.h>

namespace harness {

// Points hModule's import of szFunction (imported by name from szDll, compared without
// regard to case) at pReplacement.  Gives the address the import held before, or null
// when the module does not import that function.
void* PatchImport(HMODULE hModule, const char* szDll, const char* szFunction, void* pReplacement);

}  // namespace harness
