#include "propvalue.h"

#include "quotedlist.h"

#include <string.h>

const char NOT_PRESENT[HEX_VALUE_LENGTH + 1] = "000000000000";

namespace {

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

}  // namespace

bool IsHexValue(const char* szText)
{
    if (strlen(szText) != HEX_VALUE_LENGTH)
        return false;
    for (size_t i = 0; i < HEX_VALUE_LENGTH; ++i)
        if (!IsHexDigit(szText[i]))
            return false;
    return true;
}

const char* HexValueToStore(const char* szText)
{
    return IsHexValue(szText) ? szText : NOT_PRESENT;
}

bool AllDigits(const char* szText)
{
    for (const char* p = szText; *p != '\0'; ++p)
        if (*p < '0' || *p > '9')
            return false;
    return true;
}

bool EnumValueForKey(const char* szValue, const char* szKeyItem, int iField, UiString* pValue)
{
    TextSpan key;
    if (!LocateField(szKeyItem, iField, &key) || key.uLength == 0)
        return false;
    const char* szRest = szValue[0] != '\0' ? szValue + 1 : "";
    return pValue->Assign(szKeyItem + key.uStart, 1) && pValue->Append(szRest);
}
