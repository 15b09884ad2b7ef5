// Quoted lists: finding, reading and rewriting items, fields inside an item, and lists
// and items longer than any fixed work area.
#include "quotedlist.h"

#include <gtest/gtest.h>

#include <limits.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

std::string Get(const std::string& list, int item)
{
    std::vector<char> buffer(list.size() + 1, 'x');
    EXPECT_TRUE(GetListItem(list.c_str(), item, buffer.data(), buffer.size()))
        << "list " << list << " item " << item;
    return buffer.data();
}

std::string Set(const std::string& list, int item, const std::string& value)
{
    size_t uSize = uSetListItemSize(list.c_str(), item, value.c_str());
    std::vector<char> buffer(uSize, 'x');
    EXPECT_TRUE(SetListItem(list.c_str(), item, value.c_str(), buffer.data(), buffer.size()))
        << "list " << list << " item " << item;
    EXPECT_EQ(strlen(buffer.data()) + 1, uSize) << "list " << list << " item " << item;
    return buffer.data();
}

TEST(QuotedList, GetListItem)
{
    struct Case { const char* list; int item; const char* text; } cases[] = {
        { "{\"a\",\"b\"}", 1, "a" },
        { "{\"a\",\"b\"}", 2, "b" },
        { "{\"a\",\"b\"}", 0, "" },
        { "{\"a\",\"b\"}", 3, "" },
        { "{\"a\",\"b\"}", -1, "" },
        { "{\"a\",\"b\"}", INT_MIN, "" },
        { "{\"a\",\"b\"}", INT_MAX, "" },
        { "{ \"a\" , \"b\" }", 2, "b" },
        { "{\"a\",\"\",\"c\"}", 2, "" },
        { "{\"a\",\"\",\"c\"}", 3, "c" },
        { "{\"a\",\"b", 1, "a" },                 // the last quote has no partner
        { "{\"a\",\"b", 2, "" },
        { "\"x\"junk\"y\"", 2, "y" },             // text between items is not an item
        { "{\"Auto,10,100\"}", 1, "Auto,10,100" },
        { "", 1, "" },
        { "", 0, "" },
        { "no quotes", 1, "" },
        { "\"", 1, "" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(Get(c.list, c.item), c.text) << "list " << c.list << " item " << c.item;
}

TEST(QuotedList, FindListItem)
{
    struct Case { const char* list; const char* text; int found; } cases[] = {
        { "{\"a\",\"b\",\"a\"}", "a", 1 },        // the first of two equal names
        { "{\"a\",\"b\",\"a\"}", "b", 2 },
        { "{\"a\",\"b\",\"a\"}", "c", 3 },        // none: the number of complete items
        { "{\"a\",\"b\",\"a\"}", "", 3 },
        { "{\"a\",\"\",\"b\"}", "", 2 },          // an empty text finds the first empty item
        { "{\"ab\",\"a\"}", "a", 2 },             // whole items only, not prefixes
        { "{\"Ab\",\"ab\"}", "ab", 2 },           // case counts
        { "{\"a\",\"b", "b", 1 },                 // an unclosed item is never found
        { "{\"a\",\"b", "zz", 1 },
        { "", "a", 0 },
        { "", "", 0 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindListItem(c.list, c.text), c.found) << "list " << c.list << " text " << c.text;
}

TEST(QuotedList, SetListItem)
{
    struct Case { const char* list; int item; const char* value; const char* result; } cases[] = {
        { "{ \"a\" , \"b\" }", 2, "x", "{ \"a\" , \"x\" }" },
        { "{\"a\",\"\"}", 2, "5", "{\"a\",\"5\"}" },
        { "{\"1\",\"2\"}", 1, "12345", "{\"12345\",\"2\"}" },
        { "{\"abc\",\"2\"}", 1, "", "{\"\",\"2\"}" },
        { "{\"a\",\"b\"}", 3, "x", "{\"a\",\"b\"}" },      // no such item: unchanged
        { "{\"a\",\"b\"}", 0, "x", "{\"a\",\"b\"}" },
        { "{\"a\",\"b\"}", -1, "x", "{\"a\",\"b\"}" },
        { "{\"a\",\"b", 2, "x", "{\"a\",\"b" },            // unclosed last item
        { "{\"a\",\"b", 1, "x", "{\"x\",\"b" },
        { "", 1, "x", "" },
        { "\"x\"junk\"y\"", 2, "z", "\"x\"junk\"z\"" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(Set(c.list, c.item, c.value), c.result) << "list " << c.list << " item " << c.item;
}

// Lists and items far beyond 256 and 512 bytes are handled whole, and a target that is
// too small gets nothing rather than a cut-off list.
TEST(QuotedList, LongTextsAreNeverCut)
{
    std::string big(2000, 'v');
    std::string list = "{\"" + big + "\",\"b\"}";
    EXPECT_EQ(Get(list, 1), big);

    std::string longer = Set(list, 2, std::string(700, 'w'));
    EXPECT_EQ(longer, "{\"" + big + "\",\"" + std::string(700, 'w') + "\"}");
    EXPECT_EQ(Set(longer, 1, "a"), "{\"a\",\"" + std::string(700, 'w') + "\"}");

    char szSmall[512];
    memset(szSmall, 'x', sizeof szSmall);
    EXPECT_FALSE(GetListItem(list.c_str(), 1, szSmall, sizeof szSmall));
    EXPECT_STREQ(szSmall, "");

    char szList[256];
    memset(szList, 'x', sizeof szList);
    EXPECT_FALSE(SetListItem("{\"a\"}", 1, big.c_str(), szList, sizeof szList));
    EXPECT_STREQ(szList, "");

    // Exactly full: the terminator is the last byte.
    char szExact[6];
    EXPECT_TRUE(SetListItem("\"a\"", 1, "xyz", szExact, sizeof szExact));
    EXPECT_STREQ(szExact, "\"xyz\"");
    EXPECT_FALSE(SetListItem("\"a\"", 1, "wxyz", szExact, sizeof szExact));
}

TEST(QuotedList, SetListItemInPlace)
{
    struct Case { const char* list; int item; const char* value; const char* result; } cases[] = {
        { "{\"1\",\"22\",\"3\"}", 2, "4444", "{\"1\",\"4444\",\"3\"}" },   // grows
        { "{\"1\",\"4444\",\"3\"}", 2, "5", "{\"1\",\"5\",\"3\"}" },        // shrinks
    };
    for (const auto& c : cases) {
        char szList[32];
        strcpy(szList, c.list);
        EXPECT_TRUE(SetListItem(szList, c.item, c.value, szList, sizeof szList)) << c.list;
        EXPECT_STREQ(szList, c.result) << c.list;
    }
}

TEST(QuotedList, Fields)
{
    const char* none = nullptr;
    struct Case { const char* item; int field; const char* text; } cases[] = {
        { "Auto,10,100", 0, "Auto" },
        { "Auto,10,100", 2, "100" },
        { "Auto,10,100", 3, none },
        { "A,B,", 1, "B" },
        { "A,B,", 2, none },               // a final comma opens no field
        { ",x", 0, "" },
        { ",x", 1, "x" },
        { "a,,b", 1, "" },
        { "a,,b", 2, "b" },
        { "", 0, none },                   // an empty item has no fields
        { "a", 0, "a" },
        { "a", -1, none },
    };
    for (const auto& c : cases) {
        TextSpan span = { 99, 99 };
        bool found = bLocateField(c.item, c.field, &span);
        EXPECT_EQ(found, c.text != nullptr) << "item " << c.item << " field " << c.field;
        if (found && c.text != nullptr) {
            EXPECT_EQ(std::string(c.item + span.uStart, span.uLength), c.text)
                << "item " << c.item << " field " << c.field;
        }
    }
}

TEST(QuotedList, RangeItem)
{
    struct Case { const char* item; const char* lower; const char* upper; } cases[] = {
        { "1,64", "1", "64" },
        { "64", "64", "" },
        { ",5", "", "5" },
        { "1,", "1", "" },
        { "1,64,5", "1", "64,5" },          // everything after the first comma
        { "", "", "" },
    };
    for (const auto& c : cases) {
        TextSpan lower, upper;
        vSplitRange(c.item, &lower, &upper);
        char szLower[16], szUpper[16];
        ASSERT_TRUE(bCopySpan(c.item, lower, szLower, sizeof szLower));
        ASSERT_TRUE(bCopySpan(c.item, upper, szUpper, sizeof szUpper));
        EXPECT_STREQ(szLower, c.lower) << "item " << c.item;
        EXPECT_STREQ(szUpper, c.upper) << "item " << c.item;
    }
}

}  // namespace
