// Bounded printf-style formatting through the C library's own printf family (crtdll's
// on Windows).  Kept in a C file: in C++ a libstdc++ header would switch the calls to
// MinGW's replacement, which is larger and uses instructions that a 486 lacks.
#pragma once
#include <stdarg.h>
#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

// Formats into dest, which always ends up NUL-terminated.  Returns the length written,
// or -1 when the text did not fit (dest then holds its first uCapacity - 1 characters).
int iFormatText(char* szDest, size_t uCapacity, const char* szFormat, ...);
int iFormatTextV(char* szDest, size_t uCapacity, const char* szFormat, va_list args);

#ifdef __cplusplus
}
#endif
