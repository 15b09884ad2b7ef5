#include "cleanup.h"

#include "format.h"
#include "textutil.h"

bool bStorePattern(char* szPattern, size_t uCapacity, const InfStore& store, const char* szBase)
{
    return bJoinText(szPattern, uCapacity, szBase, store.szPattern);
}

bool bStoredInfPath(char* szPath, size_t uCapacity, const InfStore& store, const char* szBase,
                    const char* szName)
{
    if (iFormatText(szPath, uCapacity, store.szPathFormat, szBase, szName) >= 0)
        return true;
    if (uCapacity > 0)
        szPath[0] = '\0';
    return false;
}

bool bStoredInfMatches(const InfStore& store, const char* szPath)
{
    return bPathHasBothMarks(szPath, store.markClass, store.markVendor);
}
