// The INF operations of the launcher called directly (wine build): paths of 259
// characters are used, one character more is refused whole and logged.  The main flow
// cannot reach every limit: its command line holds 255 characters.  (Wine, unlike
// Windows, creates files with paths of 260 characters, so the refused ones exist.)
#include "launcher.h"

#include "harness.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

LauncherState gState;

namespace {

const char kRoot[] = "C:\\nictest\\infread\\";
const char kLogPath[] = "C:\\windows\\temp\\_nicstart.log";
const size_t kLogMessageMax = 257;
const std::string kValidInf = "ClassGUID={4d36e972-e325-11ce-bfc1-08002be10318}\n"
                              "[MANUF]\n%NIC% = NIC.ndi, PCI\\VEN_1106&DEV_3065\n";

int gFatalCalls;

// A folder under kRoot of exactly this length, ending in a backslash.
std::string FolderOfLength(size_t length)
{
    std::string first = kRoot + std::string(60, 'a') + "\\";
    return first + std::string(length - first.size() - 1, 'b') + "\\";
}

std::string NameOfLength(size_t length)
{
    return std::string(length - 4, 'n') + ".inf";
}

std::string TooLongLog(const char* function, const std::string& path)
{
    return (std::string(function) + " path too long ----------" + path).substr(0, kLogMessageMax);
}

class InfRead : public ::testing::Test {
protected:
    void SetUp() override
    {
        harness::RemoveTree(kRoot);
        DeleteFileA(kLogPath);
        gState = LauncherState();
        gState.bWin2K = true;
        gState.pFamily = pFindFamily(OS_WIN2K);   // a device-INF family
        gFatalCalls = 0;
    }
    void TearDown() override
    {
        harness::RemoveTree(kRoot);
        EXPECT_EQ(gFatalCalls, 0);
    }

    // Lays out folder + name with a valid INF file.
    static void LayOut(const std::string& folder, const std::string& name)
    {
        harness::MakeDirs(folder);
        harness::WriteFileText(folder + name, kValidInf);
        ASSERT_NE(GetFileAttributesA((folder + name).c_str()), INVALID_FILE_ATTRIBUTES) << folder + name;
    }

    static std::vector<std::string> LogLines()
    {
        std::vector<std::string> lines;
        std::string text = harness::ReadFileText(kLogPath);
        for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
            lines.push_back(text.substr(start, end - start));
        return lines;
    }
};

TEST_F(InfRead, ValidityTestPathOf259)
{
    for (size_t length : { 259u, 260u }) {
        std::string folder = FolderOfLength(200);
        std::string name = NameOfLength(length - folder.size());
        // Over capacity, the path shortened to 259 characters would name this file.
        LayOut(folder, name.substr(0, length == 260 ? name.size() - 1 : name.size()));
        DeleteFileA(kLogPath);
        bool valid = bIsValidInf(folder.c_str(), name.c_str());
        if (length == 259) {
            EXPECT_TRUE(valid);
            EXPECT_TRUE(LogLines().empty());
        } else {
            EXPECT_FALSE(valid);
            EXPECT_EQ(LogLines(), std::vector<std::string>{ TooLongLog("bIsValidInf", folder + name) });
        }
        harness::RemoveTree(kRoot);
    }
}

TEST_F(InfRead, SearchPatternOf259)
{
    for (size_t length : { 259u, 260u }) {
        std::string folder = FolderOfLength(length - 5);
        LayOut(folder, "a.inf");
        DeleteFileA(kLogPath);
        gState.szInfFile[0] = '\0';
        bool found = bFindInfFile(folder.c_str());
        EXPECT_EQ(found, length == 259) << length;
        EXPECT_STREQ(gState.szInfFile, length == 259 ? "a.inf" : "") << length;
        if (length == 260) {
            EXPECT_EQ(LogLines(), std::vector<std::string>{ TooLongLog("bFindInfFile", folder + "*.inf") });
        }
        harness::RemoveTree(kRoot);
    }
}

// A listed name that does not fit a path beside its folder is refused by the validity
// test, never shortened.
TEST_F(InfRead, ListedNameAtThePathLimit)
{
    std::string folder = FolderOfLength(100);
    for (size_t length : { 259u, 260u }) {
        std::string name = NameOfLength(length - folder.size());
        LayOut(folder, name);
        DeleteFileA(kLogPath);
        gState.szInfFile[0] = '\0';
        bool found = bFindInfFile(folder.c_str());
        EXPECT_EQ(found, length == 259) << length;
        EXPECT_EQ(std::string(gState.szInfFile), length == 259 ? name : "") << length;
        if (length == 260) {
            EXPECT_EQ(LogLines(), std::vector<std::string>{ TooLongLog("bIsValidInf", folder + name) });
        }
        harness::RemoveTree(kRoot);
    }
}

// Every path that the validity test accepts is read; one more character gives an
// empty list.
TEST_F(InfRead, HardwareIdPathOf259)
{
    for (size_t length : { 259u, 260u }) {
        std::string folder = FolderOfLength(247);
        std::string name = NameOfLength(length - folder.size());
        // Over capacity, the path shortened to 259 characters would name this file.
        LayOut(folder, name.substr(0, length == 260 ? name.size() - 1 : name.size()));
        DeleteFileA(kLogPath);
        gState.iIMIDsize = -1;
        GetHardwareID(folder.c_str(), name.c_str());
        if (length == 259) {
            ASSERT_EQ(gState.iIMIDsize, 1);
            EXPECT_STREQ(gState.aszInfModalID[0], "PCI\\VEN_1106&DEV_3065");
            EXPECT_EQ(LogLines(), std::vector<std::string>{ "GetHardwareID ----------" });
            free(gState.aszInfModalID);
        } else {
            EXPECT_EQ(gState.iIMIDsize, 0);
            EXPECT_EQ(LogLines(), (std::vector<std::string>{ "GetHardwareID ----------",
                                                             TooLongLog("GetHardwareID", folder + name) }));
        }
        harness::RemoveTree(kRoot);
    }
}

}  // namespace

void vFatal(const char*, UINT)
{
    ++gFatalCalls;
}
