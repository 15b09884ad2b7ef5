// The launcher's text handling: option recognition, -d/-f values, blanking, the
// argument text, folder cutting, bounded copies and the log line.
#include "options.h"
#include "setuplog.h"
#include "textutil.h"

#include <gtest/gtest.h>

#include <stdarg.h>
#include <string.h>

#include <string>

namespace {

TEST(Options, RecognitionIsAPlainCaseSensitiveSubstring)
{
    struct Case { const char* args; const char* option; int at; } cases[] = {
        { "-r", "-r", 0 },
        { "-rx", "-r", 0 },            // no word boundaries
        { "a-r", "-r", 1 },
        { "-R", "-r", -1 },            // upper case is no option
        { "", "-r", -1 },
        { "-b -b", "-b", 0 },          // the first occurrence counts
        { "-dA:\\-b", "-b", 5 },       // even inside another option's value
        { "- r", "-r", -1 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(iFindOption(c.args, c.option), c.at) << "args \"" << c.args << "\" option " << c.option;
}

TEST(Options, ValuesOfDAndF)
{
    struct Case { const char* args; const char* option; bool ok; const char* value; } cases[] = {
        { "-dA:\\INF", "-d", true, "A:\\INF" },
        { "-d A:\\INF", "-d", true, "A:\\INF" },
        { "-d     A:\\INF -b", "-d", true, "A:\\INF" },
        { "-d", "-d", true, "" },                       // last argument: empty value
        { "-d   ", "-d", true, "" },
        { "-f OTHER.INF -r", "-f", true, "OTHER.INF" },
        { "-f\tX.INF", "-f", true, "\tX.INF" },          // a tab is an ordinary character
        { "-f \"a b\"", "-f", true, "\"a" },             // quotes do not group
        { "-dX -dY", "-d", true, "X" },                  // first occurrence only
        { "-b", "-d", false, "" },                       // absent
    };
    for (const Case& c : cases) {
        char szValue[64] = "junk";
        EXPECT_EQ(bOptionValue(c.args, c.option, szValue, sizeof szValue), c.ok) << c.args;
        EXPECT_STREQ(szValue, c.value) << c.args;
    }
}

TEST(Options, ValueThatDoesNotFitIsRefusedWhole)
{
    std::string args = "-d " + std::string(1000, 'x') + " -b";
    char szValue[260];
    EXPECT_FALSE(bOptionValue(args.c_str(), "-d", szValue, sizeof szValue));
    EXPECT_STREQ(szValue, "");

    std::string exact = "-d" + std::string(259, 'y');
    EXPECT_TRUE(bOptionValue(exact.c_str(), "-d", szValue, sizeof szValue));
    EXPECT_EQ(strlen(szValue), 259u);
    std::string over = "-d" + std::string(260, 'y');
    EXPECT_FALSE(bOptionValue(over.c_str(), "-d", szValue, sizeof szValue));
}

TEST(Options, BlankingWritesTwoBlanksOverTheFirstOccurrenceOnly)
{
    struct Case { const char* text; const char* option; const char* result; } cases[] = {
        { "-r -k", "-k", "-r   " },
        { "-b -b", "-b", "   -b" },
        { "x-by", "-b", "x  y" },
        { "-B", "-b", "-B" },
        { "", "-b", "" },
    };
    for (const Case& c : cases) {
        char szText[32];
        strcpy(szText, c.text);
        vBlankOption(szText, c.option);
        EXPECT_STREQ(szText, c.result) << c.text;
    }
}

TEST(Options, ArgumentTextSkipsTheProgramNameAndBlanks)
{
    struct Case { const char* line; const char* args; } cases[] = {
        { "nicstart.exe -r -k", "-r -k" },
        { "A:\\nicstart.exe", "" },
        { "\"C:\\my disk\\nicstart.exe\"   -b", "-b" },
        { "\"C:\\x.exe\"-b", "-b" },
        { "x.exe \t -d A:\\ ", "-d A:\\ " },   // trailing blanks stay
        { "\"unclosed", "" },
        { "", "" },
    };
    for (const Case& c : cases)
        EXPECT_STREQ(pszArgumentText(c.line), c.args) << c.line;
}

TEST(Options, CutLastFolder)
{
    struct Case { const char* folder; const char* result; } cases[] = {
        { "D:\\DRV\\WIN\\", "D:\\DRV\\" },
        { "D:\\DRV\\", "D:\\" },
        { "D:\\", "D:\\" },
        { "\\", "\\" },
        { "", "" },
        { "D:\\DRV", "D:\\" },
        { "\\\\srv\\share\\", "\\\\srv\\" },
        { "..\\..\\X\\", "..\\..\\" },
        { "DRV\\", ".\\" },        // relative, no inner backslash: the current folder
        { "DRIVERS", ".\\" },
    };
    for (const Case& c : cases) {
        char szFolder[32];
        strcpy(szFolder, c.folder);
        vCutLastFolder(szFolder);
        EXPECT_STREQ(szFolder, c.result) << c.folder;
    }
}

TEST(TextUtil, BoundedCopiesRefuseWhatDoesNotFit)
{
    char szDest[8] = "old";
    EXPECT_TRUE(bCopyText(szDest, sizeof szDest, "1234567"));
    EXPECT_STREQ(szDest, "1234567");
    EXPECT_FALSE(bCopyText(szDest, sizeof szDest, "12345678"));
    EXPECT_STREQ(szDest, "");

    EXPECT_TRUE(bJoinText(szDest, sizeof szDest, "abc", "defg"));
    EXPECT_STREQ(szDest, "abcdefg");
    EXPECT_FALSE(bJoinText(szDest, sizeof szDest, "abcd", "efgh"));
    EXPECT_STREQ(szDest, "");

    strcpy(szDest, "abc");
    EXPECT_TRUE(bAppendText(szDest, sizeof szDest, "defg"));
    EXPECT_FALSE(bAppendText(szDest, sizeof szDest, "h"));
    EXPECT_STREQ(szDest, "abcdefg");
}

TEST(TextUtil, EndsWithNoCase)
{
    EXPECT_TRUE(bEndsWithNoCase("X.INF", ".inf"));
    EXPECT_TRUE(bEndsWithNoCase("x.InF", ".inf"));
    EXPECT_FALSE(bEndsWithNoCase("x.info", ".inf"));
    EXPECT_FALSE(bEndsWithNoCase("inf", ".inf"));
}

std::string BuildLine(const char* szFormat, ...)
{
    char szLine[LOG_LINE_CAPACITY];
    memset(szLine, 'Z', sizeof szLine);
    va_list args;
    va_start(args, szFormat);
    size_t uLength = uBuildLogLine(szLine, szFormat, args);
    va_end(args);
    EXPECT_EQ(uLength, strlen(szLine));
    return szLine;
}

TEST(LogLine, FormatsAndEndsInCrLf)
{
    EXPECT_EQ(BuildLine("bCheckDevice uBus %d uDevice %d byBaseClass %X bySubClass %X", 1, 31, 2, 0),
              "bCheckDevice uBus 1 uDevice 31 byBaseClass 2 bySubClass 0\r\n");
    EXPECT_EQ(BuildLine("GetHardwareID dwDeviceCFID %08X ----------", 0x30431106u),
              "GetHardwareID dwDeviceCFID 30431106 ----------\r\n");
    EXPECT_EQ(BuildLine(""), "\r\n");
}

TEST(LogLine, LongMessageIsCutAt257Characters)
{
    std::string exact(257, 'a');
    EXPECT_EQ(BuildLine("%s", exact.c_str()), exact + "\r\n");
    std::string longer(5000, 'b');
    EXPECT_EQ(BuildLine("%s", longer.c_str()), std::string(257, 'b') + "\r\n");
}

}  // namespace
