// Fuzzes the uninstall clean-up's view of the INF store: the marker scan of a stored INF
// file, read through a real file, for each Windows family, and the search pattern and
// file paths built from a base folder and a found name.  A stored file matches exactly
// when its 127-character pieces carry both markers of the family; a path that does not
// fit its buffer is refused whole, so that no shortened path can name another file.
#include "fuzzcheck.h"

#include "cleanup.h"
#include "family.h"

#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

const size_t kPathCapacity = 260;   // the clean-up's path and pattern buffers

struct FamilyMarkers {
    OsType eOsType;
    const char* szClass;
    const char* szVendor;
    const char* szVendorToo;   // NT 4.0 names the vendor in decimal beside VendorID
};

const FamilyMarkers kFamilies[] = {
    { OS_WIN9X, "{4d36e972-e325-11ce-bfc1-08002be10318}", "VEN_1106", "" },
    { OS_WINNT4, "NetAdapter", "VendorID", "4358" },
    { OS_WIN2K, "{4d36e972-e325-11ce-bfc1-08002be10318}", "VEN_1106", "" },
};

bool bMatchesByRules(const std::string& text, const FamilyMarkers& family)
{
    bool bClass = false, bVendor = false;
    for (const std::string& piece : PiecesOf(text)) {
        const char* s = piece.c_str();
        bClass = bClass || strstr(s, family.szClass) != nullptr;
        bVendor = bVendor || (strstr(s, family.szVendor) != nullptr && strstr(s, family.szVendorToo) != nullptr);
    }
    return bClass && bVendor;
}

// The text of the input's line iLine (from 0), without its line feed.
std::string LineOf(const std::string& text, int iLine)
{
    size_t uStart = 0;
    for (int i = 0; i < iLine && uStart != std::string::npos; ++i) {
        uStart = text.find('\n', uStart);
        uStart = uStart == std::string::npos ? uStart : uStart + 1;
    }
    if (uStart == std::string::npos)
        return "";
    std::string line = text.substr(uStart, text.find('\n', uStart) - uStart);
    return line.substr(0, line.find('\0'));
}

// Refused texts are empty; accepted ones are exactly the expected text.
void vCheckBuilt(bool bBuilt, const std::vector<char>& built, const std::string& expected, const char* szProperty)
{
    vFuzzAssert(strnlen(built.data(), built.size()) < built.size(), "a built text ends inside its buffer");
    vFuzzAssert(bBuilt == (expected.size() < built.size()), "a text is refused exactly when it does not fit");
    vFuzzAssert(built.data() == (bBuilt ? expected : std::string()), szProperty);
}

void vCheckPaths(const InfStore& store, const std::string& base, const std::string& name)
{
    std::vector<char> text(kPathCapacity, 'x');   // on the heap, so ASan sees its end
    vCheckBuilt(bStorePattern(text.data(), text.size(), store, base.c_str()), text, base + store.szPattern,
                "the pattern is the base folder and the store's pattern");

    const std::string format = store.szPathFormat;
    size_t uFirst = format.find("%s");
    size_t uSecond = format.find("%s", uFirst + 2);
    vFuzzAssert(uFirst == 0 && uSecond != std::string::npos && uSecond + 2 == format.size(), "a path format is %s...%s");
    std::string expected = base + format.substr(2, uSecond - 2) + name;
    std::fill(text.begin(), text.end(), 'x');
    vCheckBuilt(bStoredInfPath(text.data(), text.size(), store, base.c_str(), name.c_str()), text, expected,
                "the path is the base folder, the store's folder and the name");
}

}  // namespace

// The whole input is one stored INF file; its first line is also taken as the base
// folder and its second as a found file name.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const FuzzFile stored("oem1.inf");
    stored.Write(data, size);
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string base = LineOf(text, 0);
    const std::string name = LineOf(text, 1);
    for (const FamilyMarkers& family : kFamilies) {
        const WindowsFamily* pFamily = pFindFamily(family.eOsType);
        vFuzzAssert(pFamily != nullptr, "every family has a store");
        const InfStore* pStore = &pFamily->store;
        vFuzzAssert(bStoredInfMatches(*pStore, stored.Path()) == bMatchesByRules(text, family),
               "a stored file matches when its pieces carry both markers");
        vCheckPaths(*pStore, base, name);
    }
    return 0;
}
