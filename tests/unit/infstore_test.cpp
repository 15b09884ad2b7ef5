// The INF store of each Windows family: its search pattern and paths, the marks of a
// stored copy of this adapter's INF file, and paths at the edge of the path buffer.
#include "cleanup.h"
#include "family.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <string>

namespace {

enum Family { WIN9X, WINNT4, WIN2K };

const InfStore* Store(Family family)
{
    static const OsType kOsTypes[] = { OS_WIN9X, OS_WINNT4, OS_WIN2K };
    const WindowsFamily* pFamily = pFindFamily(kOsTypes[family]);
    return pFamily != nullptr ? &pFamily->store : nullptr;
}

const char* Name(Family family)
{
    static const char* const names[] = { "win9x", "nt4", "win2k" };
    return names[family];
}

const std::string kGuid = "{4d36e972-e325-11ce-bfc1-08002be10318}";

TEST(InfStore, EachFamilyHasItsOwnStore)
{
    struct Case { Family family; InfStoreBase base; const char* pattern; const char* path; } cases[] = {
        { WIN9X, STORE_IN_WINDOWS_FOLDER, "C:\\W\\inf\\other\\*.inf", "C:\\W\\inf\\other\\a.inf" },
        { WINNT4, STORE_IN_SYSTEM_FOLDER, "C:\\W\\oemnad*.inf", "C:\\W\\a.inf" },
        { WIN2K, STORE_IN_WINDOWS_FOLDER, "C:\\W\\inf\\oem*.inf", "C:\\W\\inf\\a.inf" },
    };
    for (const Case& c : cases) {
        const InfStore* store = Store(c.family);
        ASSERT_NE(store, nullptr) << Name(c.family);
        char text[260];
        EXPECT_EQ(store->eBase, c.base) << Name(c.family);
        EXPECT_TRUE(bStorePattern(text, sizeof text, *store, "C:\\W"));
        EXPECT_STREQ(text, c.pattern) << Name(c.family);
        EXPECT_TRUE(bStoredInfPath(text, sizeof text, *store, "C:\\W", "a.inf"));
        EXPECT_STREQ(text, c.path) << Name(c.family);
    }
    EXPECT_EQ(pFindFamily(OS_UNKNOWN), nullptr);
}

class StoredInf : public ::testing::Test {
protected:
    void TearDown() override { remove(kPath); }

    bool Matches(Family family, const std::string& text)
    {
        FILE* file = fopen(kPath, "wb");
        EXPECT_NE(file, nullptr);
        fwrite(text.data(), 1, text.size(), file);
        fclose(file);
        return bStoredInfMatches(*Store(family), kPath);
    }

    static constexpr const char* kPath = "infstore_test.tmp";
};

TEST_F(StoredInf, MarksOfEachFamily)
{
    const std::string nt4Class = "OptionType = NetAdapter\n";
    const std::string longLine = std::string(123, ';') + "VEN_1106\n";   // crosses piece 1 and 2
    struct Case { Family family; std::string text; bool matches; } cases[] = {
        { WIN2K, "Class=Net\nClassGUID=" + kGuid + "\nPCI\\VEN_1106&DEV_0A01\n", true },
        { WIN2K, "PCI\\VEN_1106&DEV_0A01\r\nClassGUID=" + kGuid + "\r\n", true },
        { WIN9X, "ClassGUID=" + kGuid + "\nPCI\\VEN_1106&DEV_0A01\n", true },
        { WIN2K, "ClassGUID={4D36E972-E325-11CE-BFC1-08002BE10318}\nVEN_1106\n", false },
        { WIN2K, "ClassGUID={4d36e968-e325-11ce-bfc1-08002be10318}\nVEN_1106\n", false },  // display
        { WIN2K, "ClassGUID=" + kGuid + "\nPCI\\VEN_ABCD&DEV_0001\n", false },
        { WIN9X, "ClassGUID=" + kGuid + "\n" + longLine, false },
        { WIN2K, nt4Class + "VendorID = 4358\n", false },
        { WINNT4, nt4Class + "VendorID = 4358\n", true },
        { WINNT4, "4358 is the VendorID\n" + nt4Class, true },
        { WINNT4, nt4Class + "VendorID =\n4358\n", false },
        { WINNT4, nt4Class + "VENDORID = 4358\n", false },
        { WINNT4, "OptionType = VIDEO\nVendorID = 4358\n", false },
        { WINNT4, "ClassGUID=" + kGuid + "\nVEN_1106\n", false },
        { WINNT4, nt4Class + std::string(120, ' ') + "VendorID = 4358\n", false },  // split
    };
    for (const Case& c : cases)
        EXPECT_EQ(Matches(c.family, c.text), c.matches) << Name(c.family) << ", text: " << c.text;
    remove(kPath);
    EXPECT_FALSE(bStoredInfMatches(*Store(WIN2K), kPath)) << "a missing file";
}

// Text one character longer than the buffer is refused whole, never shortened into the
// name of another file, and nothing is written past the buffer.
TEST(InfStore, PathsAtTheEdgeOfTheBuffer)
{
    const size_t capacity = 260;
    const size_t guard = 16;
    for (Family family : { WIN9X, WINNT4, WIN2K }) {
        const InfStore& store = *Store(family);
        char probe[capacity];
        bStorePattern(probe, sizeof probe, store, "");
        size_t patternLength = strlen(probe);
        bStoredInfPath(probe, sizeof probe, store, "", "");
        size_t pathLength = strlen(probe);
        for (size_t total : { capacity - 1, capacity, capacity + 40 }) {
            bool fits = total < capacity;
            char buffer[capacity + guard];
            memset(buffer, 'G', sizeof buffer);
            std::string base(total - patternLength, 'b');
            EXPECT_EQ(bStorePattern(buffer, capacity, store, base.c_str()), fits)
                << Name(family) << " pattern of " << total;
            EXPECT_EQ(strlen(buffer), fits ? total : 0u) << Name(family) << " pattern of " << total;

            memset(buffer, 'G', sizeof buffer);
            std::string name(total - pathLength - 3, 'n');
            EXPECT_EQ(bStoredInfPath(buffer, capacity, store, "C:\\", name.c_str()), fits)
                << Name(family) << " path of " << total;
            EXPECT_EQ(strlen(buffer), fits ? total : 0u) << Name(family) << " path of " << total;
            EXPECT_EQ(std::string(buffer + capacity, guard), std::string(guard, 'G'))
                << Name(family) << " wrote past the buffer, path of " << total;
        }
    }
}

}  // namespace
