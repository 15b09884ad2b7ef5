// The property dialog's trace lines on standard output, printf-style.  Nothing reads
// them; they show what the dialog loaded and stored.  Kept in a C file so that the
// calls go to the C runtime's own printf (see common/format.h).
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

void TraceLine(const char* szFormat, ...);

#ifdef __cplusplus
}
#endif
