// The value texts that the property editors store: the hex value of an edit property
// (or NOT_PRESENT), the digits of an int property, the one-character key of an enum
// property.  No windows.h here: built natively too.
#pragma once
#include "uistring.h"

enum { HEX_VALUE_LENGTH = 12 };

// The stored value of an edit property that has no value.
extern const char NOT_PRESENT[HEX_VALUE_LENGTH + 1];

// True for exactly 12 characters, each 0-9, A-F or a-f.
bool IsHexValue(const char* szText);

// The text to store for what the hex edit holds: the text itself when it is a hex
// value, NOT_PRESENT otherwise.
const char* HexValueToStore(const char* szText);

// True when every character is a decimal digit; an empty text passes.
bool AllDigits(const char* szText);

// *pValue = the enum value after choosing field iField of the key item: szValue with
// its first character replaced by the key's first character, its length kept.  An
// empty value becomes the one-character key, so the item's closing quote is never
// written over.  False when the key item has no such field, the field is empty or
// memory runs out: the value is then to be left as it is.
bool EnumValueForKey(const char* szValue, const char* szKeyItem, int iField, UiString* pValue);
