#include "quotedlist.h"

#include <string.h>

namespace {

const char kQuote = '"';
const char kFieldSeparator = ',';

// The walk over quotes shared by every list operation.  Quotes alternately open and
// close an item; there is no escape, so an item never holds a quote, and a last quote
// without a partner opens an item that is never counted.
struct QuoteWalk {
    const char* szList;
    size_t uNext;     // where the search for the next quote starts
    bool bInside;
    size_t uOpen;     // the quote that opened the current or last item
    size_t uClose;    // the quote that closed the last complete item
    int iCount;       // complete items so far
};

QuoteWalk StartWalk(const char* szList)
{
    QuoteWalk walk = { szList, 0, false, 0, 0, 0 };
    return walk;
}

// Moves to the next quote; false at the end of the list.
bool bNextQuote(QuoteWalk* pWalk)
{
    const char* pQuote = strchr(pWalk->szList + pWalk->uNext, kQuote);
    if (pQuote == nullptr)
        return false;
    size_t uAt = static_cast<size_t>(pQuote - pWalk->szList);
    if (pWalk->bInside) {
        pWalk->uClose = uAt;
        ++pWalk->iCount;
    } else {
        pWalk->uOpen = uAt;
    }
    pWalk->bInside = !pWalk->bInside;
    pWalk->uNext = uAt + 1;
    return true;
}

// True right after a quote that closed an item.
bool bAtClosingQuote(const QuoteWalk& walk)
{
    return !walk.bInside;
}

TextSpan LastItem(const QuoteWalk& walk)
{
    TextSpan span = { walk.uOpen + 1, walk.uClose - walk.uOpen - 1 };
    return span;
}

}  // namespace

int FindListItem(const char* szList, const char* szText)
{
    size_t uLength = strlen(szText);
    QuoteWalk walk = StartWalk(szList);
    while (bNextQuote(&walk)) {
        if (!bAtClosingQuote(walk))
            continue;
        TextSpan item = LastItem(walk);
        if (item.uLength == uLength && memcmp(szList + item.uStart, szText, uLength) == 0)
            break;
    }
    return walk.iCount;
}

bool bLocateListItem(const char* szList, int iItem, TextSpan* pSpan)
{
    if (iItem < 1)
        return false;
    QuoteWalk walk = StartWalk(szList);
    while (bNextQuote(&walk)) {
        if (bAtClosingQuote(walk) && walk.iCount == iItem) {
            *pSpan = LastItem(walk);
            return true;
        }
    }
    return false;
}

bool bCopySpan(const char* szText, const TextSpan& span, char* szOut, size_t uCapacity)
{
    if (uCapacity == 0)
        return false;
    if (span.uLength >= uCapacity) {
        szOut[0] = '\0';
        return false;
    }
    memmove(szOut, szText + span.uStart, span.uLength);
    szOut[span.uLength] = '\0';
    return true;
}

bool GetListItem(const char* szList, int iItem, char* szItem, size_t uCapacity)
{
    TextSpan span = { 0, 0 };
    bLocateListItem(szList, iItem, &span);
    return bCopySpan(szList, span, szItem, uCapacity);
}

size_t uSetListItemSize(const char* szList, int iItem, const char* szValue)
{
    size_t uList = strlen(szList);
    TextSpan span;
    if (!bLocateListItem(szList, iItem, &span))
        return uList + 1;
    return uList - span.uLength + strlen(szValue) + 1;
}

bool SetListItem(const char* szList, int iItem, const char* szValue, char* szOut, size_t uCapacity)
{
    if (uCapacity == 0)
        return false;
    if (uSetListItemSize(szList, iItem, szValue) > uCapacity) {
        szOut[0] = '\0';
        return false;
    }
    size_t uList = strlen(szList);
    TextSpan span;
    if (!bLocateListItem(szList, iItem, &span)) {
        memmove(szOut, szList, uList + 1);
        return true;
    }
    size_t uValue = strlen(szValue);
    size_t uTail = span.uStart + span.uLength;
    // The value goes first into a buffer that may be the list itself, so the tail is
    // moved before the value is written over it.
    memmove(szOut, szList, span.uStart);
    memmove(szOut + span.uStart + uValue, szList + uTail, uList - uTail + 1);
    memmove(szOut + span.uStart, szValue, uValue);
    return true;
}

bool bLocateField(const char* szItem, int iField, TextSpan* pSpan)
{
    if (iField < 0)
        return false;
    size_t uLength = strlen(szItem);
    size_t uStart = 0;
    for (int k = 0; uStart < uLength; ++k) {
        const char* pComma = strchr(szItem + uStart, kFieldSeparator);
        size_t uEnd = pComma != nullptr ? static_cast<size_t>(pComma - szItem) : uLength;
        if (k == iField) {
            pSpan->uStart = uStart;
            pSpan->uLength = uEnd - uStart;
            return true;
        }
        uStart = uEnd + 1;
    }
    return false;
}

void vSplitRange(const char* szItem, TextSpan* pLower, TextSpan* pUpper)
{
    size_t uLength = strlen(szItem);
    const char* pComma = strchr(szItem, kFieldSeparator);
    size_t uComma = pComma != nullptr ? static_cast<size_t>(pComma - szItem) : uLength;
    pLower->uStart = 0;
    pLower->uLength = uComma;
    pUpper->uStart = pComma != nullptr ? uComma + 1 : uLength;
    pUpper->uLength = uLength - pUpper->uStart;
}
