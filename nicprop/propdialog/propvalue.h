// The value texts that the property editors store: the hex value of an edit property
// (or NOT_PRESENT), the digits of an int property, the one-character key of an enum
// property.  No windows.h here: built natively too.
#pragma once
#include <stddef.h>

enum { HEX_VALUE_LENGTH = 12 };

// The stored value of an edit property that has no value.
extern const char NOT_PRESENT[HEX_VALUE_LENGTH + 1];

// True for exactly 12 characters, each 0-9, A-F or a-f.
bool bIsHexValue(const char* szText);

// The text to store for what the hex edit holds: the text itself when it is a hex
// value, NOT_PRESENT otherwise.
const char* szHexValueToStore(const char* szText);

// True when every character is a decimal digit; an empty text passes.
bool bAllDigits(const char* szText);

// szOut = the enum value after choosing field iField of the key item: szValue with its
// first character replaced by the key's first character, its length kept.  An empty
// value becomes the one-character key.  False, with szOut untouched, when the key item
// has no such field or the field is empty: the value is then to be left as it is.
// strlen(szValue) + 2 is always capacity enough.
bool bEnumValueForKey(const char* szValue, const char* szKeyItem, int iField, char* szOut,
                      size_t uCapacity);
