// Fuzzes the quoted lists and item fields with INF-script text of any shape: the input
// is split at its first NUL into a list and a value.  Every result is compared with the
// list cut at its quotes; an item written must read back whole, and every other item
// and all text outside it must stay as it was.
#include "fuzzcheck.h"

#include "propvalue.h"
#include "quotedlist.h"

#include <string.h>

#include <string>
#include <vector>

namespace {

// The complete items of a list and where each starts: the stretches between the first
// and second quote, the third and fourth, and so on.
struct ListItems {
    std::vector<std::string> texts;
    std::vector<size_t> starts;
};

ListItems ItemsOf(const std::string& list)
{
    ListItems items;
    size_t uOpen = list.find('"');
    while (uOpen != std::string::npos) {
        size_t uClose = list.find('"', uOpen + 1);
        if (uClose == std::string::npos)
            break;
        items.texts.push_back(list.substr(uOpen + 1, uClose - uOpen - 1));
        items.starts.push_back(uOpen + 1);
        uOpen = list.find('"', uClose + 1);
    }
    return items;
}

// Fields end at a comma; a final comma opens none and an empty item has none.
std::vector<std::string> FieldsOf(const std::string& item)
{
    std::vector<std::string> fields;
    size_t uStart = 0;
    while (uStart < item.size()) {
        size_t uComma = item.find(',', uStart);
        size_t uEnd = uComma == std::string::npos ? item.size() : uComma;
        fields.push_back(item.substr(uStart, uEnd - uStart));
        uStart = uEnd + 1;
    }
    return fields;
}

int FindByItems(const ListItems& items, const std::string& text)
{
    for (size_t i = 0; i < items.texts.size(); ++i)
        if (items.texts[i] == text)
            return static_cast<int>(i + 1);
    return static_cast<int>(items.texts.size());
}

void vCheckSet(const std::string& list, const ListItems& items, int iItem, const std::string& value)
{
    UiString edited;
    vFuzzAssert(edited.Assign(list.c_str()) && SetListItem(&edited, iItem, value.c_str()), "SetListItem succeeds");
    if (iItem < 1 || iItem > static_cast<int>(items.texts.size())) {
        vFuzzAssert(edited.Equals(list.c_str()), "setting a missing item leaves the list as it was");
        return;
    }
    size_t uIndex = static_cast<size_t>(iItem - 1);
    size_t uStart = items.starts[uIndex];
    size_t uOldEnd = uStart + items.texts[uIndex].size();
    std::string result = edited.Text();
    vFuzzAssert(result.size() == list.size() - items.texts[uIndex].size() + value.size(), "only the item changes length");
    vFuzzAssert(result.compare(0, uStart, list, 0, uStart) == 0, "the text before the item stays");
    vFuzzAssert(result.compare(uStart, value.size(), value) == 0, "the item holds the value");
    vFuzzAssert(result.compare(uStart + value.size(), std::string::npos, list, uOldEnd, std::string::npos) == 0,
           "the text after the item stays");
    ListItems after = ItemsOf(result);
    vFuzzAssert(after.texts.size() == items.texts.size(), "the list keeps its number of items");
    for (size_t i = 0; i < items.texts.size(); ++i)
        vFuzzAssert(after.texts[i] == (i == uIndex ? value : items.texts[i]), "every other item stays");
    UiString readBack;
    vFuzzAssert(GetListItem(edited.Text(), iItem, &readBack) && readBack.Equals(value.c_str()), "the item reads back whole");
}

void vCheckFields(const std::string& item, const std::string& value)
{
    std::vector<std::string> fields = FieldsOf(item);
    UiString field;
    const int iFields = static_cast<int>(fields.size());
    for (int k : { -1, 0, 1, iFields / 2, iFields - 1, iFields }) {
        bool bHas = k >= 0 && k < iFields;
        vFuzzAssert(GetField(item.c_str(), k, &field) == bHas, "a field exists exactly when the item has it");
        vFuzzAssert(field.Equals(bHas ? fields[static_cast<size_t>(k)].c_str() : ""), "a field is the text between commas");

        UiString chosen;
        if (EnumValueForKey(value.c_str(), item.c_str(), k, &chosen)) {
            vFuzzAssert(bHas && !fields[static_cast<size_t>(k)].empty(), "a choice needs a non-empty key");
            std::string expected = fields[static_cast<size_t>(k)].substr(0, 1) + (value.empty() ? "" : value.substr(1));
            vFuzzAssert(chosen.Equals(expected.c_str()), "a choice replaces the value's first character by the key's");
        } else {
            vFuzzAssert(!bHas || fields[static_cast<size_t>(k)].empty(), "a non-empty key is always taken");
        }
    }
    TextSpan lower, upper;
    SplitRange(item.c_str(), &lower, &upper);
    size_t uComma = item.find(',');
    vFuzzAssert(lower.uStart == 0 && lower.uLength == (uComma == std::string::npos ? item.size() : uComma),
           "the lower bound is the text before the first comma");
    vFuzzAssert(upper.uStart + upper.uLength == item.size() &&
               upper.uStart == (uComma == std::string::npos ? item.size() : uComma + 1),
           "the upper bound is the text after the first comma");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string input(reinterpret_cast<const char*>(data), size);
    size_t uSplit = input.find('\0');
    std::string list = input.substr(0, uSplit);
    std::string value = uSplit == std::string::npos ? "" : input.substr(uSplit + 1);
    value = value.substr(0, value.find('"'));   // the dialog stores no quote in an item
    value = value.substr(0, value.find('\0'));

    ListItems items = ItemsOf(list);
    int iCount = static_cast<int>(items.texts.size());
    vFuzzAssert(FindListItem(list.c_str(), "\"") == iCount, "the count of complete items");
    vFuzzAssert(FindListItem(list.c_str(), value.c_str()) == FindByItems(items, value), "the first equal item is found");
    // Each check walks the whole list, so a few items are tried per input (and a few
    // fields per item): the edges, the middle and one that the value's length picks.
    for (int iItem : { -1, 0, 1, 2, iCount / 2, iCount, iCount + 1, 1 + static_cast<int>(value.size()) }) {
        bool bHas = iItem >= 1 && iItem <= iCount;
        UiString item;
        vFuzzAssert(GetListItem(list.c_str(), iItem, &item), "GetListItem succeeds");
        vFuzzAssert(item.Equals(bHas ? items.texts[static_cast<size_t>(iItem - 1)].c_str() : ""),
               "an item is the text between its quotes; a missing one is empty");
        if (bHas)
            vFuzzAssert(FindListItem(list.c_str(), item.Text()) == FindByItems(items, item.Text()),
                   "an item is found at its first equal");
        vCheckSet(list, items, iItem, value);
        vCheckFields(item.Text(), value);
    }
    return 0;
}
