// The value texts that the property editors store.
#include "propvalue.h"

#include <gtest/gtest.h>

#include <string.h>

namespace {

TEST(PropValue, HexValues)
{
    struct Case { const char* text; bool hex; } cases[] = {
        { "00A0C9000001", true },
        { "00a0c9fFfFfF", true },          // either case
        { "000000000000", true },
        { "00A0C9", false },               // too short
        { "", false },
        { "00A0C900000G", false },
        { "00A0C9 00001", false },
        { "00A0C90000012", false },        // 13 characters
    };
    for (const auto& c : cases) {
        EXPECT_EQ(bIsHexValue(c.text), c.hex) << c.text;
        EXPECT_STREQ(szHexValueToStore(c.text), c.hex ? c.text : "000000000000") << c.text;
    }
    EXPECT_STREQ(NOT_PRESENT, "000000000000");
}

TEST(PropValue, Digits)
{
    struct Case { const char* text; bool digits; } cases[] = {
        { "", true }, { "007", true }, { "32767", true },
        { "1a", false }, { "-5", false }, { " 5", false }, { "5 ", false },
    };
    for (const auto& c : cases)
        EXPECT_EQ(bAllDigits(c.text), c.digits) << "\"" << c.text << "\"";
}

TEST(PropValue, EnumKeys)
{
    const char* unchanged = nullptr;
    struct Case { const char* value; const char* keys; int field; const char* result; } cases[] = {
        { "2", "0,1,2", 0, "0" },
        { "2", "0,1,2", 2, "2" },
        { "10", "5x,6", 0, "50" },          // first character over first character
        { "", "0,1", 1, "1" },              // an empty value takes the key
        { "2", "0,1", 2, unchanged },       // no such key
        { "2", "0,1", -1, unchanged },      // no selection
        { "2", ",1", 0, unchanged },        // an empty key has no character to write
        { "2", "", 0, unchanged },          // no key item
    };
    for (const auto& c : cases) {
        char szOut[8] = "same";
        bool written = bEnumValueForKey(c.value, c.keys, c.field, szOut, sizeof szOut);
        EXPECT_EQ(written, c.result != nullptr) << c.value << " " << c.keys << " " << c.field;
        EXPECT_STREQ(szOut, c.result != nullptr ? c.result : "same") << c.value << " " << c.keys;
    }
    char szTiny[2];
    EXPECT_FALSE(bEnumValueForKey("12", "3", 0, szTiny, sizeof szTiny));
}

}  // namespace
