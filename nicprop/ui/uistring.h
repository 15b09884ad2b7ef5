// UiString: the library's small reference-counted 8-bit text.  Copies share one
// buffer; every change builds a new buffer, so a text handed out stays as it was.  When
// memory runs out a change reports false and leaves the string empty, never half-made.
// No windows.h here: built natively too.
#pragma once
#include <stddef.h>

class UiString {
public:
    UiString();
    UiString(const UiString& other);
    ~UiString();
    UiString& operator=(const UiString& other);

    // Both give false when memory runs out; the string is then empty.
    bool Assign(const char* szText);                  // a null text counts as empty
    bool Assign(const char* pchText, size_t uLength); // uLength bytes, no NUL needed
    bool Append(const char* szText);

    void Clear();
    const char* Text() const;     // never null; valid while this string is unchanged
    size_t Length() const;
    bool IsEmpty() const;
    bool Equals(const char* szText) const;

private:
    struct Buffer;
    Buffer* Buf;            // null for the empty text

    bool Replace(const char* pchFirst, size_t uFirst, const char* pchSecond, size_t uSecond);
    void Release();
};
