// nicprop's windows.h-free pieces: the decimal helpers with their wrap-around
// arithmetic, the reading of export arguments, and the reference-counted string.
#include "convention.h"
#include "decimal.h"
#include "uistring.h"

#include <gtest/gtest.h>

#include <stdint.h>
#include <string.h>

#include <string>

namespace {

TEST(Decimal, PowerOfTenWrapsModulo2To32)
{
    struct Case { int32_t n; int32_t power; } cases[] = {
        { -5, 1 }, { 0, 1 }, { 1, 10 }, { 9, 1000000000 },
        { 10, 1410065408 },          // 10^10 mod 2^32
        { 11, 1215752192 },
        { 12, -727379968 },          // wrapped past 2^31: negative
        { 31, -2147483648LL },       // only the factor 2^31 is left
        { 32, 0 }, { 1000, 0 }, { INT32_MAX, 0 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(PowerOfTen(c.n), c.power) << "PowerOfTen(" << c.n << ")";
}

TEST(Decimal, DecimalToIntChecksNoDigit)
{
    struct Case { const char* text; int32_t value; } cases[] = {
        { "0", 0 }, { "17", 17 }, { "007", 7 }, { "", 0 },
        { "12a", 169 },              // 'a' counts as 49
        { "-5", -25 },               // '-' counts as -3, times ten
        { "2147483647", 2147483647 },
        { "2147483648", INT32_MIN },         // wraps
        { "4294967295", -1 },
        { "4294967296", 0 },
        { "99999999999", 1215752191 },       // 11 digits, wrapping powers
        { "\xff", -49 },             // the code is a signed byte
        { " 1", -159 },              // a blank is -16, times ten
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecimalToInt(c.text), c.value) << "DecimalToInt(\"" << c.text << "\")";
    EXPECT_EQ(DecimalToInt(nullptr), 0);
}

TEST(Decimal, DecimalToIntOfLongTextsStaysDefined)
{
    // Positions 32 and more places before the end add nothing: 10^32 wraps to 0.
    std::string text(40, '9');
    EXPECT_EQ(DecimalToInt(text.c_str()), DecimalToInt(text.c_str() + 8));
    std::string huge(100000, '7');
    DecimalToInt(huge.c_str());
}

TEST(Decimal, IntToDecimal)
{
    struct Case { int32_t value; const char* text; } cases[] = {
        { 0, "0" }, { 7, "7" }, { 9, "9" }, { 10, "10" }, { 16, "16" }, { 255, "255" },
        { 32767, "32767" }, { 999999999, "999999999" }, { 1000000000, "1000000000" },
        { 1410065407, "1410065407" }, { 1410065408, "1410065408" },
        { INT32_MAX, "2147483647" },
        { -1, "" }, { -25, "" }, { INT32_MIN, "" },
    };
    for (const Case& c : cases) {
        char szText[11];
        memset(szText, 'x', sizeof szText);
        EXPECT_TRUE(IntToDecimal(c.value, szText, sizeof szText)) << c.value;
        EXPECT_STREQ(szText, c.text) << "IntToDecimal(" << c.value << ")";
    }
}

TEST(Decimal, UnsignedToDecimal)
{
    struct Case { uint32_t value; const char* text; } cases[] = {
        { 0, "0" }, { 69894, "69894" }, { 305402118, "305402118" },
        { 0x80001106u, "2147488006" },     // a subsystem ID of 0x8000 or more
        { 1410065408u, "1410065408" }, { 4294967295u, "4294967295" },
    };
    for (const Case& c : cases) {
        char szText[11];
        EXPECT_TRUE(UnsignedToDecimal(c.value, szText, sizeof szText)) << c.value;
        EXPECT_STREQ(szText, c.text) << "UnsignedToDecimal(" << c.value << ")";
    }
}

TEST(Decimal, DigitsThatDoNotFitAreRefused)
{
    char szText[6] = "junk";
    EXPECT_TRUE(IntToDecimal(32767, szText, sizeof szText));
    EXPECT_STREQ(szText, "32767");
    EXPECT_FALSE(IntToDecimal(100000, szText, sizeof szText));
    EXPECT_STREQ(szText, "");
    char szByte[4] = "";
    EXPECT_TRUE(IntToDecimal(255, szByte, sizeof szByte));
    EXPECT_FALSE(UnsignedToDecimal(1000, szByte, sizeof szByte));
    EXPECT_STREQ(szByte, "");
    char cGuard = 'g';
    EXPECT_FALSE(IntToDecimal(5, &cGuard, 0));
    EXPECT_EQ(cGuard, 'g');
}

TEST(Convention, ArgumentsAtOrBeyondTheCountAndNullEntriesAreEmpty)
{
    char szZero[] = "0", szSeventeen[] = "17", szBeyond[] = "99";
    char* aszArgs[] = { szZero, nullptr, szSeventeen, szBeyond };
    struct Case { uint32_t count; uint32_t index; const char* text; } cases[] = {
        { 3, 0, "0" }, { 3, 1, "" }, { 3, 2, "17" },
        { 3, 3, "" },                // present in the array, but beyond the count
        { 0, 0, "" }, { 1, 2, "" }, { 4, 3, "99" },
        { 3, 0xFFFFFFFF, "" },
    };
    for (const Case& c : cases)
        EXPECT_STREQ(ArgumentText(c.count, aszArgs, c.index), c.text) << "count " << c.count << " index " << c.index;
    EXPECT_STREQ(ArgumentText(3, nullptr, 0), "");
    EXPECT_EQ(DecimalToInt(ArgumentText(3, aszArgs, 1)), 0);
}

TEST(Convention, ReturnTextStoresTheTextAndGivesTheResult)
{
    char* szResult = nullptr;
    EXPECT_EQ(ReturnText(&szResult, "ERROR_GET_SUBID_FAIL", 0), 0);
    EXPECT_STREQ(szResult, "ERROR_GET_SUBID_FAIL");
    EXPECT_EQ(ReturnText(nullptr, "ignored", 1), 1);
}

TEST(UiString, CopiesShareTheTextAndChangesLeaveOtherCopiesAlone)
{
    UiString first;
    EXPECT_STREQ(first.Text(), "");
    EXPECT_TRUE(first.IsEmpty());
    ASSERT_TRUE(first.Assign("{\"a\",\"b\"}"));
    UiString second(first);
    EXPECT_EQ(second.Text(), first.Text());            // one buffer
    const char* szHandedOut = second.Text();
    ASSERT_TRUE(first.Append(",\"c\""));
    EXPECT_STREQ(first.Text(), "{\"a\",\"b\"},\"c\"");
    EXPECT_STREQ(szHandedOut, "{\"a\",\"b\"}");         // still valid and unchanged
    EXPECT_EQ(second.Length(), 9u);
    second = first;
    UiString& same = second;
    second = same;
    EXPECT_TRUE(second.Equals(first.Text()));
    first.Clear();
    EXPECT_STREQ(first.Text(), "");
    EXPECT_STREQ(second.Text(), "{\"a\",\"b\"},\"c\"");
}

TEST(UiString, AssignAndAppendFromItsOwnText)
{
    UiString text;
    ASSERT_TRUE(text.Assign("abcdef"));
    ASSERT_TRUE(text.Assign(text.Text() + 2, 3));
    EXPECT_STREQ(text.Text(), "cde");
    ASSERT_TRUE(text.Append(text.Text()));
    EXPECT_STREQ(text.Text(), "cdecde");
    ASSERT_TRUE(text.Assign(nullptr));
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_TRUE(text.Equals(""));
    EXPECT_TRUE(text.Equals(nullptr));
}

TEST(UiString, ASizeThatCannotBeAllocatedLeavesItEmptyAndSaysSo)
{
    UiString text;
    ASSERT_TRUE(text.Assign("kept until the failure"));
    UiString copy(text);
    EXPECT_FALSE(text.Assign("x", SIZE_MAX - 2));
    EXPECT_STREQ(text.Text(), "");
    EXPECT_EQ(text.Length(), 0u);
    EXPECT_STREQ(copy.Text(), "kept until the failure");
}

}  // namespace
