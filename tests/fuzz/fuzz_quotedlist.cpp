// Fuzzes the quoted lists and item fields with INF-script text of any shape: the input
// is split at its first NUL into a list and a value.  Beyond the sanitizers it checks
// that an item written is read back whole and that nothing outside it changes.
#include "propvalue.h"
#include "quotedlist.h"

#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>

namespace {

void vCheck(bool bHolds)
{
    if (!bHolds)
        abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string input(reinterpret_cast<const char*>(data), size);
    size_t uSplit = input.find('\0');
    std::string list = input.substr(0, uSplit);
    std::string value = uSplit == std::string::npos ? "" : input.substr(uSplit + 1);
    value = value.substr(0, value.find('"'));   // items never hold a quote
    value = value.substr(0, value.find('\0'));

    int iCount = FindListItem(list.c_str(), "");
    for (int iItem = -1; iItem <= iCount + 1; ++iItem) {
        UiString item, edited;
        vCheck(GetListItem(list.c_str(), iItem, &item));
        vCheck(edited.Assign(list.c_str()) && SetListItem(&edited, iItem, value.c_str()));
        TextSpan span;
        if (bLocateListItem(list.c_str(), iItem, &span)) {
            UiString readBack;
            vCheck(GetListItem(edited.Text(), iItem, &readBack) && readBack.Equals(value.c_str()));
            vCheck(edited.Length() == list.size() - span.uLength + value.size());
            vCheck(memcmp(edited.Text(), list.data(), span.uStart) == 0);
            vCheck(FindListItem(list.c_str(), item.Text()) <= iItem);
        } else {
            vCheck(item.IsEmpty() && edited.Equals(list.c_str()));
        }
        UiString field, enumValue;
        for (int k = 0; GetField(item.Text(), k, &field); ++k)
            vCheck(strchr(field.Text(), ',') == nullptr);
        bEnumValueForKey(value.c_str(), item.Text(), 0, &enumValue);
        TextSpan lower, upper;
        vSplitRange(item.Text(), &lower, &upper);
        vCheck(lower.uStart + lower.uLength <= item.Length() && upper.uStart + upper.uLength <= item.Length());
    }
    return 0;
}
