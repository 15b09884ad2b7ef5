// The calling convention that the INF script's LibraryProcedure imposes on every export:
// a count, an array of argument texts and a place for the result text.  These helpers
// read the arguments and hand back the result the same way in all three exports.
// No windows.h here: built natively too.
#pragma once
#include <stdint.h>

// Argument uIndex as a text.  An entry at or beyond the count, a null entry and a null
// array all read as the empty text, so a short array is never read past its end.
const char* ArgumentText(uint32_t uCount, char* const* aszArgs, uint32_t uIndex);

// Stores the result text for the caller and gives back iResult.  The text must outlive
// the call: a fixed text or one of the library's own result buffers.
int ReturnText(char** pszResult, const char* szText, int iResult);
