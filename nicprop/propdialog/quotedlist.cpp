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
bool NextQuote(QuoteWalk* pWalk)
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
bool AtClosingQuote(const QuoteWalk& walk)
{
    return !walk.bInside;
}

TextSpan LastItem(const QuoteWalk& walk)
{
    TextSpan span = { walk.uOpen + 1, walk.uClose - walk.uOpen - 1 };
    return span;
}

// *pText = the span of szText, or the empty text when there is no span to take.
bool CopySpan(const char* szText, bool bFound, const TextSpan& span, UiString* pText)
{
    if (!bFound) {
        pText->Clear();
        return true;
    }
    return pText->Assign(szText + span.uStart, span.uLength);
}

}  // namespace

int FindListItem(const char* szList, const char* szText)
{
    size_t uLength = strlen(szText);
    QuoteWalk walk = StartWalk(szList);
    while (NextQuote(&walk)) {
        if (!AtClosingQuote(walk))
            continue;
        TextSpan item = LastItem(walk);
        if (item.uLength == uLength && memcmp(szList + item.uStart, szText, uLength) == 0)
            break;
    }
    return walk.iCount;
}

bool LocateListItem(const char* szList, int iItem, TextSpan* pSpan)
{
    if (iItem < 1)
        return false;
    QuoteWalk walk = StartWalk(szList);
    while (NextQuote(&walk)) {
        if (AtClosingQuote(walk) && walk.iCount == iItem) {
            *pSpan = LastItem(walk);
            return true;
        }
    }
    return false;
}

bool GetListItem(const char* szList, int iItem, UiString* pItem)
{
    TextSpan span = { 0, 0 };
    return CopySpan(szList, LocateListItem(szList, iItem, &span), span, pItem);
}

bool SetListItem(UiString* pList, int iItem, const char* szValue)
{
    const char* szList = pList->Text();
    TextSpan span;
    if (!LocateListItem(szList, iItem, &span))
        return true;
    UiString result;
    if (!result.Assign(szList, span.uStart) || !result.Append(szValue) ||
        !result.Append(szList + span.uStart + span.uLength))
        return false;
    *pList = result;
    return true;
}

bool LocateField(const char* szItem, int iField, TextSpan* pSpan)
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

void SplitRange(const char* szItem, TextSpan* pLower, TextSpan* pUpper)
{
    size_t uLength = strlen(szItem);
    const char* pComma = strchr(szItem, kFieldSeparator);
    size_t uComma = pComma != nullptr ? static_cast<size_t>(pComma - szItem) : uLength;
    pLower->uStart = 0;
    pLower->uLength = uComma;
    pUpper->uStart = pComma != nullptr ? uComma + 1 : uLength;
    pUpper->uLength = uLength - pUpper->uStart;
}

bool GetField(const char* szItem, int iField, UiString* pField)
{
    TextSpan span = { 0, 0 };
    bool bFound = LocateField(szItem, iField, &span);
    return CopySpan(szItem, bFound, span, pField) && bFound;
}
