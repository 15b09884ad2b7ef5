// The value texts that the property editors store, and the help command line.
#include "helpcommand.h"
#include "propvalue.h"

#include <gtest/gtest.h>

#include <string>

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
        EXPECT_EQ(IsHexValue(c.text), c.hex) << c.text;
        EXPECT_STREQ(HexValueToStore(c.text), c.hex ? c.text : "000000000000") << c.text;
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
        EXPECT_EQ(AllDigits(c.text), c.digits) << "\"" << c.text << "\"";
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
        UiString value;
        bool written = EnumValueForKey(c.value, c.keys, c.field, &value);
        EXPECT_EQ(written, c.result != nullptr) << c.value << " " << c.keys << " " << c.field;
        if (written && c.result != nullptr) {
            EXPECT_STREQ(value.Text(), c.result) << c.value << " " << c.keys << " " << c.field;
        }
    }
}

TEST(HelpCommand, DirectoryViewerAndHelpArgumentOfAnyLength)
{
    const std::string dir = "C:\\WINNT\\system32";
    const std::string longHelp(1000, 'h');
    const std::string dir245 = "C:\\" + std::string(242, 'd');    // 245 characters: just fits
    struct Case { std::string dir, help; bool built; std::string command; } cases[] = {
        { dir, "nic.hlp", true, dir + "\\winhlp32 nic.hlp" },
        { dir, "", true, dir + "\\winhlp32 " },
        { dir, "my help.hlp", true, dir + "\\winhlp32 my help.hlp" },
        { dir, longHelp, true, dir + "\\winhlp32 " + longHelp },
        { dir245, "x", true, dir245 + "\\winhlp32 x" },
        { dir245 + "d", "x", false, "" },
    };
    for (const auto& c : cases) {
        UiString command;
        command.Assign("junk");
        EXPECT_EQ(BuildHelpCommand(c.dir.c_str(), c.help.c_str(), &command), c.built)
            << "directory of " << c.dir.size() << ", help " << c.help.substr(0, 20);
        EXPECT_EQ(command.Text(), c.command) << "directory of " << c.dir.size();
    }
}

}  // namespace
