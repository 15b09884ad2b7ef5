// Bounded text helpers for the launcher's fixed-capacity buffers.  Every copy and join
// names the capacity of its target (terminator included) and reports text that does
// not fit instead of writing past the end.  No windows.h here: built natively too.
#pragma once
#include <stddef.h>

// dest = src.  When src does not fit, dest becomes empty and the answer is false, so
// that a shortened path can never be used by mistake.
bool bCopyText(char* szDest, size_t uCapacity, const char* szSource);

// dest = first followed by second, with the same rule as bCopyText.
bool bJoinText(char* szDest, size_t uCapacity, const char* szFirst, const char* szSecond);

// Appends src to dest.  When the result does not fit, dest is left unchanged.
bool bAppendText(char* szDest, size_t uCapacity, const char* szSource);

// True when text ends in suffix, letters compared without regard to case.
bool bEndsWithNoCase(const char* szText, const char* szSuffix);
