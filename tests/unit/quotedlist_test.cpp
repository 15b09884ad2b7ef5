// Quoted lists: finding, reading and rewriting items, fields inside an item, and lists
// and items longer than any fixed work area.
#include "quotedlist.h"

#include <gtest/gtest.h>

#include <limits.h>

#include <string>

namespace {

std::string Get(const std::string& list, int item)
{
    UiString text;
    text.Assign("junk");
    EXPECT_TRUE(GetListItem(list.c_str(), item, &text)) << "list " << list << " item " << item;
    return text.Text();
}

std::string Set(const std::string& list, int item, const std::string& value)
{
    UiString text;
    text.Assign(list.c_str());
    EXPECT_TRUE(SetListItem(&text, item, value.c_str())) << "list " << list << " item " << item;
    return text.Text();
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

// Lists and items far beyond the 256 and 512 bytes of a fixed work area are handled
// whole.
TEST(QuotedList, LongTextsAreNeverCut)
{
    std::string big(2000, 'v');
    std::string list = "{\"" + big + "\",\"b\"}";
    EXPECT_EQ(Get(list, 1), big);

    std::string longer = Set(list, 2, std::string(700, 'w'));
    EXPECT_EQ(longer, "{\"" + big + "\",\"" + std::string(700, 'w') + "\"}");
    EXPECT_EQ(Set(longer, 1, "a"), "{\"a\",\"" + std::string(700, 'w') + "\"}");
    EXPECT_EQ(FindListItem(longer.c_str(), big.c_str()), 1);
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
        UiString field;
        field.Assign("junk");
        EXPECT_EQ(GetField(c.item, c.field, &field), c.text != nullptr)
            << "item " << c.item << " field " << c.field;
        EXPECT_STREQ(field.Text(), c.text != nullptr ? c.text : "")
            << "item " << c.item << " field " << c.field;
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
        SplitRange(c.item, &lower, &upper);
        EXPECT_EQ(std::string(c.item + lower.uStart, lower.uLength), c.lower) << "item " << c.item;
        EXPECT_EQ(std::string(c.item + upper.uStart, upper.uLength), c.upper) << "item " << c.item;
    }
}

}  // namespace
