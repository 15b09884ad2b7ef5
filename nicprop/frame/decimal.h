// Decimal text to and from 32-bit numbers, shared by the PCI identity queries and the
// property dialog.  The arithmetic is 32-bit and wraps, and DecimalToInt checks no
// digit, because INF scripts already rely on these exact results (callers that need
// digits check them first).  No windows.h here: built natively too.
#pragma once
#include <stddef.h>
#include <stdint.h>

// 10 to the power n, wrapping modulo 2^32 (n = 10 gives 1410065408); 1 for n <= 0.
int32_t PowerOfTen(int32_t n);

// Sum over the characters of (code as a signed byte - '0') * 10^(places after it),
// wrapping: "12a" gives 169, "-5" gives -25, "" and null give 0.
int32_t DecimalToInt(const char* szText);

// The decimal digits of iValue, at most 10; "0" for zero; "" for a negative value.
// False (and "") when the digits and NUL do not fit uCapacity, which 11 always fits.
bool IntToDecimal(int32_t iValue, char* szDest, size_t uCapacity);

// The same digits for the whole unsigned 32-bit range (4294967295 is ten digits).
bool UnsignedToDecimal(uint32_t uValue, char* szDest, size_t uCapacity);
