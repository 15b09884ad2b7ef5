#include "uistring.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

// One allocation: the header, then the text and its NUL.  The library runs on one
// thread, so a plain count is enough.
struct UiString::Buffer {
    size_t uRefs;
    size_t uLength;
    char szText[1];
};

UiString::UiString() : Buf(nullptr) {}

UiString::UiString(const UiString& other) : Buf(other.Buf)
{
    if (Buf != nullptr)
        ++Buf->uRefs;
}

UiString::~UiString()
{
    Release();
}

UiString& UiString::operator=(const UiString& other)
{
    Buffer* pShared = other.Buf;   // other may be this string itself
    if (pShared != nullptr)
        ++pShared->uRefs;
    Release();
    Buf = pShared;
    return *this;
}

bool UiString::Assign(const char* szText)
{
    return Assign(szText, szText != nullptr ? strlen(szText) : 0);
}

bool UiString::Assign(const char* pchText, size_t uLength)
{
    return Replace(pchText, uLength, "", 0);
}

bool UiString::Append(const char* szText)
{
    if (szText == nullptr)
        return true;
    return Replace(Text(), Length(), szText, strlen(szText));
}

void UiString::Clear()
{
    Release();
}

const char* UiString::Text() const
{
    return Buf != nullptr ? Buf->szText : "";
}

size_t UiString::Length() const
{
    return Buf != nullptr ? Buf->uLength : 0;
}

bool UiString::IsEmpty() const
{
    return Length() == 0;
}

bool UiString::Equals(const char* szText) const
{
    return strcmp(Text(), szText != nullptr ? szText : "") == 0;
}

// The new buffer is filled before the old one is let go, so either source may point
// into this string's own text.
bool UiString::Replace(const char* pchFirst, size_t uFirst, const char* pchSecond, size_t uSecond)
{
    const size_t uHeader = offsetof(Buffer, szText);
    if (uFirst > SIZE_MAX - uHeader - 1 || uSecond > SIZE_MAX - uHeader - 1 - uFirst) {
        Release();
        return false;
    }
    size_t uLength = uFirst + uSecond;
    if (uLength == 0) {
        Release();
        return true;
    }
    Buffer* pNew = static_cast<Buffer*>(malloc(uHeader + uLength + 1));
    if (pNew == nullptr) {
        Release();
        return false;
    }
    pNew->uRefs = 1;
    pNew->uLength = uLength;
    memcpy(pNew->szText, pchFirst, uFirst);
    memcpy(pNew->szText + uFirst, pchSecond, uSecond);
    pNew->szText[uLength] = '\0';
    Release();
    Buf = pNew;
    return true;
}

void UiString::Release()
{
    if (Buf != nullptr && --Buf->uRefs == 0)
        free(Buf);
    Buf = nullptr;
}
