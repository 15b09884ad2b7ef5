// An INF store, in which Windows keeps its copies of installed adapters' INF files, and
// the marks by which a stored copy of this adapter's INF file is known; each family's
// store is a field of its row (family.h).  The uninstall clean-up deletes the copies
// found here.
// No windows.h here: built natively too.
#pragma once
#include "infpieces.h"

#include <stddef.h>

enum InfStoreBase { STORE_IN_WINDOWS_FOLDER, STORE_IN_SYSTEM_FOLDER };

struct InfStore {
    InfStoreBase eBase;
    const char* szPattern;      // appended to the base folder for the file search
    const char* szPathFormat;   // "%s...%s": the base folder and a found name
    InfMark markClass;
    InfMark markVendor;
};

// The search pattern and the path of one found file.  Text that does not fit the
// capacity is refused (false, empty result) rather than shortened: a shortened path
// could name another file, which the clean-up would then delete.
bool bStorePattern(char* szPattern, size_t uCapacity, const InfStore& store, const char* szBase);
bool bStoredInfPath(char* szPath, size_t uCapacity, const InfStore& store, const char* szBase,
                    const char* szName);

// True when the file at the path carries both marks of the store's family.
bool bStoredInfMatches(const InfStore& store, const char* szPath);
