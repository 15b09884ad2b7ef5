// The INF script's quoted lists: one text whose items are the stretches between pairs of
// double quotes, numbered from 1, with comma-separated fields inside an item, numbered
// from 0.  Results are strings sized to their text: no list or item is too long.
// No windows.h here: built natively too.
#pragma once
#include "uistring.h"

#include <stddef.h>

// Where a stretch of a text starts and how many characters it has.
struct TextSpan {
    size_t uStart;
    size_t uLength;
};

// Position of the first item equal to szText (an empty text matches the first empty
// item); when no item is equal, the number of complete items in the list.
int FindListItem(const char* szList, const char* szText);

// Where the text of item iItem lies.  False when the list has no such complete item:
// iItem below 1, beyond the last item, or an item whose closing quote is missing.
bool LocateListItem(const char* szList, int iItem, TextSpan* pSpan);

// *pItem = the text of item iItem; a missing item gives empty text.  False only when
// memory runs out (*pItem is then empty).
bool GetListItem(const char* szList, int iItem, UiString* pItem);

// Replaces the text of item iItem of *pList by szValue; everything outside that item is
// kept as it was, and a missing item leaves the list unchanged.  False when memory runs
// out: the list is then unchanged too, never half-made.
bool SetListItem(UiString* pList, int iItem, const char* szValue);

// Field iField of an item: a field ends at a comma or at the end of the item, so empty
// fields between commas count, a final comma opens no further field, and an empty item
// has none.  False when the item has no such field.
bool LocateField(const char* szItem, int iField, TextSpan* pSpan);

// An int property's range item "min,max": the lower bound is the text before the first
// comma (the whole item without one), the upper bound everything after it (empty
// without one).
void SplitRange(const char* szItem, TextSpan* pLower, TextSpan* pUpper);

// *pField = field iField of the item.  False when the item has no such field or memory
// runs out (*pField is then empty).
bool GetField(const char* szItem, int iField, UiString* pField);
