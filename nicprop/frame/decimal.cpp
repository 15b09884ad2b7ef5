#include "decimal.h"

#include <string.h>

namespace {

const int32_t kMaxDigits = 10;    // 10^10 no longer fits: PowerOfTen(10) has wrapped
const size_t kExponentAllZero = 32;  // 10^n holds the factor 2^n: from n = 32 on it wraps to 0

// Two's-complement view of a wrapped 32-bit result, written out so that no signed
// overflow (undefined in C++) happens on the way.
int32_t FromBits(uint32_t uBits)
{
    return uBits <= INT32_MAX ? static_cast<int32_t>(uBits)
                              : -static_cast<int32_t>(~uBits) - 1;
}

// The leading digit's exponent: the count of powers of ten not greater than the value,
// stopping at 10, minus one.  Signed, a negative value gives -1 at once: no digits.
int32_t LeadingExponent(uint32_t uValue, bool bSigned)
{
    int32_t k = 0;
    while (k < kMaxDigits) {
        int32_t iPower = PowerOfTen(k);
        bool bNotGreater = bSigned ? iPower <= FromBits(uValue)
                                   : static_cast<uint32_t>(iPower) <= uValue;
        if (!bNotGreater)
            break;
        ++k;
    }
    return k - 1;
}

bool WriteDigits(uint32_t uValue, int32_t iExponent, char* szDest, size_t uCapacity)
{
    if (uCapacity == 0)
        return false;
    size_t uDigits = static_cast<size_t>(iExponent + 1);
    if (uDigits + 1 > uCapacity) {
        szDest[0] = '\0';
        return false;
    }
    size_t uAt = 0;
    for (int32_t e = iExponent; e >= 0; --e) {
        uint32_t uPower = static_cast<uint32_t>(PowerOfTen(e));
        uint32_t uDigit = uValue / uPower;
        szDest[uAt++] = static_cast<char>('0' + uDigit);
        uValue -= uDigit * uPower;
    }
    szDest[uAt] = '\0';
    return true;
}

}  // namespace

int32_t PowerOfTen(int32_t n)
{
    uint32_t uResult = 1;
    for (int32_t i = 0; i < n && uResult != 0; ++i)
        uResult *= 10u;
    return FromBits(uResult);
}

int32_t DecimalToInt(const char* szText)
{
    if (szText == nullptr)
        return 0;
    size_t uLength = strlen(szText);
    uint32_t uSum = 0;
    for (size_t i = 0; i < uLength; ++i) {
        size_t uPlaces = uLength - 1 - i;
        int32_t iExponent = static_cast<int32_t>(uPlaces < kExponentAllZero ? uPlaces : kExponentAllZero);
        int32_t iCode = static_cast<signed char>(szText[i]);
        uint32_t uDigit = static_cast<uint32_t>(iCode) - 48u;
        uSum += uDigit * static_cast<uint32_t>(PowerOfTen(iExponent));
    }
    return FromBits(uSum);
}

bool IntToDecimal(int32_t iValue, char* szDest, size_t uCapacity)
{
    if (iValue == 0)
        return WriteDigits(0, 0, szDest, uCapacity);
    uint32_t uValue = static_cast<uint32_t>(iValue);
    return WriteDigits(uValue, LeadingExponent(uValue, true), szDest, uCapacity);
}

bool UnsignedToDecimal(uint32_t uValue, char* szDest, size_t uCapacity)
{
    if (uValue == 0)
        return WriteDigits(0, 0, szDest, uCapacity);
    return WriteDigits(uValue, LeadingExponent(uValue, false), szDest, uCapacity);
}
