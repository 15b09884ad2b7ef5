#include "convention.h"
#include "exports.h"

// Placeholder until the property dialog arrives: no dialog can be shown yet.
BOOL WINAPI ShowProp(DWORD, LPSTR*, LPSTR* pszResult)
{
    return ReturnText(pszResult, "ERROR_SHOW_PROPERTY_UI", FALSE);
}
