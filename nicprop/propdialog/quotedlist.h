// The INF script's quoted lists: one text whose items are the stretches between pairs of
// double quotes, numbered from 1, with comma-separated fields inside an item, numbered
// from 0.  Results go into the caller's buffer, which may be sized to the text: nothing
// here has a fixed limit.  No windows.h here: built natively too.
#pragma once
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
bool bLocateListItem(const char* szList, int iItem, TextSpan* pSpan);

// Copies item iItem into szItem; a missing item gives empty text.  An item is never
// longer than its list, so strlen(szList) + 1 is always capacity enough.  When the item
// does not fit, szItem becomes empty and the answer is false.
bool GetListItem(const char* szList, int iItem, char* szItem, size_t uCapacity);

// Capacity (terminator included) of the list that SetListItem builds.
size_t uSetListItemSize(const char* szList, int iItem, const char* szValue);

// szOut = the list with the text of item iItem replaced by szValue; everything outside
// that item is copied unchanged, and a missing item leaves the list as it is.  When the
// result does not fit uCapacity, szOut becomes empty and the answer is false.  szOut may
// be szList itself.
bool SetListItem(const char* szList, int iItem, const char* szValue, char* szOut, size_t uCapacity);

// Field iField of an item: a field ends at a comma or at the end of the item, so empty
// fields between commas count, a final comma opens no further field, and an empty item
// has none.  False when the item has no such field.
bool bLocateField(const char* szItem, int iField, TextSpan* pSpan);

// An int property's range item "min,max": the lower bound is the text before the first
// comma (the whole item without one), the upper bound everything after it (empty
// without one).
void vSplitRange(const char* szItem, TextSpan* pLower, TextSpan* pUpper);

// szOut = the text of the span of szText.  False, with szOut empty, when it does not fit.
bool bCopySpan(const char* szText, const TextSpan& span, char* szOut, size_t uCapacity);
