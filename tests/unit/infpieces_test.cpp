// Marks in INF text read in 127-character pieces.
#include "infpieces.h"

#include <gtest/gtest.h>

#include <stdio.h>

#include <string>

namespace {

const InfMark kVendor = { "VEN_1106", nullptr };
const InfMark kNetClass = { "{4d36e972-e325-11ce-bfc1-08002be10318}", nullptr };
const InfMark kNt4Vendor = { "VendorID", "4358" };

bool HasBoth(const std::string& text, const InfMark& a, const InfMark& b)
{
    FILE* file = tmpfile();
    fwrite(text.data(), 1, text.size(), file);
    rewind(file);
    bool both = bFileHasBothMarks(file, a, b);
    fclose(file);
    return both;
}

TEST(InfPieces, BothMarksInAnyOrderOrOnePiece)
{
    const std::string guid = "{4d36e972-e325-11ce-bfc1-08002be10318}";
    struct Case { std::string text; const InfMark* a; const InfMark* b; bool both; } cases[] = {
        { "Class=" + guid + "\nPCI\\VEN_1106&DEV_3043\n", &kVendor, &kNetClass, true },
        { "PCI\\VEN_1106\nClassGUID=" + guid + "\n", &kVendor, &kNetClass, true },
        { "VEN_1106 " + guid + "\n", &kVendor, &kNetClass, true },
        { "VEN_1106\n{4D36E972-E325-11CE-BFC1-08002BE10318}\n", &kVendor, &kNetClass, false },
        { "ven_1106\n" + guid + "\n", &kVendor, &kNetClass, false },
        { "VEN_1106\n", &kVendor, &kNetClass, false },
        { "", &kVendor, &kNetClass, false },
        { "NetAdapter\nVendorID = 4358\n", &kNt4Vendor, &kNetClass, false },
        { "VendorID = 4358\n" + guid, &kNt4Vendor, &kNetClass, true },        // no final line feed
        { "VendorID\n4358\n" + guid + "\n", &kNt4Vendor, &kNetClass, false },  // two texts, two pieces
    };
    for (const Case& c : cases)
        EXPECT_EQ(HasBoth(c.text, *c.a, *c.b), c.both) << "text: " << c.text;
}

TEST(InfPieces, LongLinesSplitIntoPiecesOf127)
{
    // The vendor mark starts at column 124 and so crosses the first piece boundary.
    std::string crossing = std::string(123, 'x') + "VEN_1106 tail\n";
    EXPECT_FALSE(HasBoth(crossing + "{4d36e972-e325-11ce-bfc1-08002be10318}\n", kVendor, kNetClass));
    // Inside the second piece it is found again.
    std::string second = std::string(130, 'x') + "VEN_1106\n";
    EXPECT_TRUE(HasBoth(second + "{4d36e972-e325-11ce-bfc1-08002be10318}\n", kVendor, kNetClass));
}

// A name that Windows takes for a device is never opened as an INF file.
TEST(InfPieces, DeviceNamesAreNeverOpened)
{
    struct Case { const char* path; bool device; } cases[] = {
        { "COM1", true }, { "C:\\disk\\com9.inf", true }, { "A:\\aux", true },
        { "C:\\disk\\Lpt1.INF", true }, { "C:\\disk\\CON", true }, { "prn.x.y", true },
        { "nul", true }, { "C:\\disk\\COM1 .inf", true }, { "COM1:", true },
        { "C:/disk/conin$", true }, { "CLOCK$.inf", true },
        { "COM0", false }, { "COM10", false }, { "COMX", false }, { "LPT", false },
        { "C:\\CON\\NIC.INF", false },   // a folder of that name is no device
        { "CONSOLE.INF", false }, { "xcon.inf", false }, { "NIC.INF", false }, { "", false },
        { "C:\\disk\\", false },
    };
    for (const Case& c : cases)
        EXPECT_EQ(bNamesDevice(c.path), c.device) << "path: " << c.path;
    EXPECT_EQ(pOpenInfText("NUL"), nullptr);
}

}  // namespace
