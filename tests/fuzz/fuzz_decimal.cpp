// Fuzzes the library's decimal and hex helpers: DecimalToInt over texts of any bytes and
// length, PowerOfTen, IntToDecimal and UnsignedToDecimal over the whole 32-bit range and
// every small buffer, and the checks of a hex or digit text.  The wrapping arithmetic
// must match the same sums taken modulo 2^32 another way, without tripping UBSan.
#include "fuzzcheck.h"

#include "decimal.h"
#include "propvalue.h"

#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// The buffers the library formats into: GetRevID's and GetSubID's result texts and the
// dialog's number text.
const size_t kRevIdCapacity = 5;
const size_t kSubIdCapacity = 12;
const size_t kNumberCapacity = 12;
const size_t kLargestTried = 13;

int32_t FromBits(uint32_t uBits)
{
    int32_t iValue;
    memcpy(&iValue, &uBits, sizeof iValue);
    return iValue;
}

// The digit sum taken by Horner's rule, modulo 2^32 at every step.
uint32_t uHornerValue(const std::string& text)
{
    uint32_t uSum = 0;
    for (char c : text)
        uSum = uSum * 10u + (static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(c))) - 48u);
    return uSum;
}

// 10^n modulo 2^32: 2^n divides 10^n, so from n = 32 on it is 0.
uint32_t uPowerOfTen(int32_t n)
{
    uint32_t uPower = 1;
    for (int32_t i = 0; i < std::min(n, int32_t(32)); ++i)
        uPower *= 10u;
    return n >= 32 ? 0 : uPower;
}

void vCheckText(const std::string& text)
{
    vFuzzAssert(static_cast<uint32_t>(DecimalToInt(text.c_str())) == uHornerValue(text),
           "DecimalToInt is the digit sum modulo 2^32");
    bool bDigits = std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    vFuzzAssert(AllDigits(text.c_str()) == bDigits, "AllDigits accepts digits only");
    bool bHex = text.size() == HEX_VALUE_LENGTH &&
                std::all_of(text.begin(), text.end(), [](char c) { return c != '\0' && strchr("0123456789ABCDEFabcdef", c) != nullptr; });
    vFuzzAssert(IsHexValue(text.c_str()) == bHex, "a hex value is 12 hex digits");
    const char* szStored = HexValueToStore(text.c_str());
    vFuzzAssert(szStored == (bHex ? text.c_str() : NOT_PRESENT), "a hex edit stores its text or NOT_PRESENT");
    vFuzzAssert(IsHexValue(szStored), "what a hex edit stores is always a hex value");
}

// Every buffer size from none to more than enough: the digits and their NUL, or a
// refusal that leaves an empty text.
template <typename Value>
void vCheckFormat(bool (*pfnFormat)(Value, char*, size_t), Value value, const std::string& expected)
{
    char chUntouched = 'x';
    vFuzzAssert(!pfnFormat(value, &chUntouched, 0) && chUntouched == 'x', "no buffer, nothing written");
    for (size_t uCapacity = 1; uCapacity <= kLargestTried; ++uCapacity) {
        std::vector<char> text(uCapacity, 'x');   // on the heap, so ASan sees its end
        bool bFits = expected.size() < uCapacity;
        vFuzzAssert(pfnFormat(value, text.data(), uCapacity) == bFits, "the text is refused exactly when it does not fit");
        vFuzzAssert(text.data() == (bFits ? expected : std::string()), "the digits, or an empty text when refused");
    }
}

void vCheckNumber(uint32_t uBits)
{
    int32_t iValue = FromBits(uBits);
    vFuzzAssert(static_cast<uint32_t>(PowerOfTen(iValue)) == (iValue <= 0 ? 1u : uPowerOfTen(iValue)),
           "PowerOfTen wraps modulo 2^32");

    std::string digits = iValue >= 0 ? std::to_string(iValue) : "";
    vCheckFormat(IntToDecimal, iValue, digits);
    if (iValue >= 0)
        vFuzzAssert(DecimalToInt(digits.c_str()) == iValue, "IntToDecimal's digits read back as the value");

    std::string unsignedDigits = std::to_string(uBits);
    vCheckFormat(UnsignedToDecimal, uBits, unsignedDigits);
    vFuzzAssert(static_cast<uint32_t>(DecimalToInt(unsignedDigits.c_str())) == uBits,
           "UnsignedToDecimal's digits read back as the value");

    char szRevId[kRevIdCapacity], szSubId[kSubIdCapacity], szNumber[kNumberCapacity];
    vFuzzAssert(IntToDecimal(static_cast<int32_t>(uBits & 0xFF), szRevId, sizeof szRevId), "a revision ID always fits");
    vFuzzAssert(UnsignedToDecimal(uBits, szSubId, sizeof szSubId), "a subsystem identity always fits");
    vFuzzAssert(IntToDecimal(iValue, szNumber, sizeof szNumber), "any int fits the dialog's number text");
}

}  // namespace

// The input up to its first NUL is a text; its first four bytes are also a number, and
// so is the text's own value.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    text = text.substr(0, text.find('\0'));
    vCheckText(text);
    vFuzzAssert(DecimalToInt(nullptr) == 0, "no text gives 0");

    uint32_t uBits = 0;
    for (size_t i = 0; i < std::min(size, sizeof uBits); ++i)
        uBits |= static_cast<uint32_t>(data[i]) << (8 * i);
    vCheckNumber(uBits);
    vCheckNumber(static_cast<uint32_t>(DecimalToInt(text.c_str())));
    return 0;
}
