// The hostile-input rows of nicprop.dll, through its exports called by this program:
// ShowProp with malformed and very long lists and with 100 properties, driven by a
// user's actions through to OK or Cancel; GetSubID and GetRevID with texts of 1,000
// digits and without a place for their result, against the CFGREAD driver double.
// Each row is decided: the BOOL, the text handed back, and for the PCI queries the
// request the driver received.  The launcher's rows and the list of cases that other
// tests already cover are in tests/e2e/hostile_e2e_test.cpp; here, besides:
//   propdialog_test      no arguments at all, a short type list, 14-digit hex values,
//                        int bounds beyond the up-down range
//   nicprop_pci_test     null entries, a count below three, no argument array
//   quotedlist_test      the list operations on unbalanced quotes (host build, sanitizers)
#include "dialogdriver.h"
#include "harness.h"
#include "pcibus.h"
#include "propdialog_ids.h"

#include <gtest/gtest.h>

#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

using dialogtest::DialogSession;
using dialogtest::QuotedList;

namespace {

const char kCancelled[] = "PROPERTY_UI_USER_CANCEL";
const char kNotPresent[] = "000000000000";

// Where the first difference lies, instead of two texts of 10,000 characters.
std::string Difference(const std::string& got, const std::string& expected)
{
    size_t at = 0;
    while (at < got.size() && at < expected.size() && got[at] == expected[at])
        ++at;
    return "got " + std::to_string(got.size()) + " characters, expected " + std::to_string(expected.size()) +
           "; first difference at " + std::to_string(at) + ": got \"" + got.substr(at, 40) + "\", expected \"" +
           expected.substr(at, 40) + "\"";
}

// --- ShowProp -------------------------------------------------------------------------

struct Step {
    enum Kind { SELECT, CHOOSE, SPIN_UP, CLICK } kind;
    int arg;   // list entry, combo entry or control id
};

void Perform(DialogSession& dialog, const Step& step)
{
    switch (step.kind) {
    case Step::SELECT: dialog.SelectProperty(step.arg); break;
    case Step::CHOOSE: dialog.SelectChoice(step.arg); break;
    case Step::SPIN_UP: dialog.SpinKey(VK_UP); break;
    case Step::CLICK: dialog.Click(step.arg); break;
    }
}

struct ShowCase {
    std::string name;
    std::vector<std::string> args;   // their number is the count ShowProp gets
    std::vector<Step> steps;
    int button;                      // IDOK or IDCANCEL
    size_t entries;                  // in the property list
    std::string result;              // handed back with TRUE
};

// 100 properties of the three types in turn, named so that the list box's order is the
// lists' order.  The steps visit each one and change its value.
ShowCase HundredProperties(int button)
{
    std::vector<std::string> names, values, keys, texts, types, changed;
    std::vector<Step> steps;
    for (int i = 0; i < 100; ++i) {
        char name[8];
        snprintf(name, sizeof name, "p%03d", i);
        names.push_back(name);
        steps.push_back({ Step::SELECT, i });
        switch (i % 3) {
        case 0:
            values.push_back("0"), keys.push_back("0,1"), texts.push_back("Off,On"), types.push_back("enum");
            steps.push_back({ Step::CHOOSE, 1 });
            changed.push_back("1");
            break;
        case 1:
            values.push_back("5"), keys.push_back("0,9"), texts.push_back(""), types.push_back("int");
            steps.push_back({ Step::SPIN_UP, 0 });
            changed.push_back("6");
            break;
        default:
            values.push_back("00A0C9000001"), keys.push_back(""), texts.push_back(""), types.push_back("edit");
            steps.push_back({ Step::CLICK, IDC_NOT_PRESENT_RADIO });
            changed.push_back(kNotPresent);
            break;
        }
    }
    return { button == IDOK ? "100 properties, each changed, then OK" : "100 properties, each changed, then Cancel",
             { QuotedList(names), QuotedList(values), QuotedList(keys), QuotedList(texts), QuotedList(types), "" },
             steps, button, 100, button == IDOK ? QuotedList(changed) : kCancelled };
}

std::vector<std::string> OneProperty(const std::string& name, const std::string& value, const std::string& keys,
                                     const std::string& texts, const std::string& type)
{
    return { QuotedList({ name }), QuotedList({ value }), QuotedList({ keys }), QuotedList({ texts }),
             QuotedList({ type }), "" };
}

// Lists are read by their quotes alone: an item without its closing quote is no item,
// so it is neither shown nor ever written; no list is too long, and every change keeps
// the rest of a list as it was.
TEST(HostileShowProp, ListsAndProperties)
{
    const std::string tenThousandX(9999, 'x');
    const std::string hexValue = "00A0C9000001" + std::string(9988, 'F');
    std::string choices, choiceKeys;
    for (int i = 0; i < 2000; ++i) {
        char text[8];
        snprintf(text, sizeof text, "c%04d", i);
        choices += (i > 0 ? "," : "") + std::string(text);
        choiceKeys += (i > 0 ? "," : "") + std::string(1, static_cast<char>('A' + i % 26));
    }
    const ShowCase cases[] = {
        { "property list with an unclosed last item",
          { "{\"b\",\"a}", "{\"1\",\"2\"}", "{\"0,9\",\"0,9\"}", "{}", "{\"int\",\"int\"}", "" },
          { { Step::SPIN_UP, 0 } }, IDOK, 1, "{\"2\",\"2\"}" },
        { "value list with an unclosed last item",
          { "{\"a\",\"b\"}", "{\"5\",\"7}", "{\"0,9\",\"0,9\"}", "{}", "{\"int\",\"int\"}", "" },
          { { Step::SELECT, 1 }, { Step::SPIN_UP, 0 } }, IDOK, 2, "{\"5\",\"7}" },
        { "type list with an unclosed item", { "{\"a\"}", "{\"5\"}", "{\"0,9\"}", "{}", "{\"int}", "" },
          {}, IDOK, 1, "{\"5\"}" },
        { "edit value with an unclosed item", { "{\"a\"}", "{\"00A0C9000001}", "{}", "{}", "{\"edit\"}", "" },
          { { Step::CLICK, IDC_PRESENT_RADIO } }, IDOK, 1, "{\"00A0C9000001}" },
        { "a lone quote in every argument", { "\"", "\"", "\"", "\"", "\"", "\"" }, {}, IDOK, 0, "\"" },
        { "items with no braces or commas between them",
          { "\"a\"\"b\"", "\"1\"\"2\"", "\"0,9\"\"0,9\"", "", "\"int\"\"int\"", "" },
          { { Step::SPIN_UP, 0 } }, IDOK, 2, "\"2\"\"2\"" },
        { "enum value of 10,000 characters", OneProperty("a", "1" + tenThousandX, "0,1", "Off,On", "enum"),
          { { Step::CHOOSE, 0 } }, IDOK, 1, QuotedList({ "0" + tenThousandX }) },
        { "edit value of 10,000 hexadecimal digits", OneProperty("a", hexValue, "", "", "edit"),
          {}, IDOK, 1, QuotedList({ "00A0C9000001" }) },
        { "property name of 10,000 characters", OneProperty(std::string(10000, 'N'), "3", "0,9", "", "int"),
          {}, IDOK, 1, QuotedList({ "3" }) },
        { "2,000 choices in 12,000 characters", OneProperty("a", "A", choiceKeys, choices, "enum"),
          { { Step::CHOOSE, 1999 } }, IDOK, 1, QuotedList({ "X" }) },
        { "int value of 1,000 digits", OneProperty("a", std::string(998, '0') + "42", "0,100", "", "int"),
          {}, IDOK, 1, QuotedList({ "42" }) },
        // 10^1000 - 1 wraps to -1, which the range holds at 0.
        { "upper bound of 1,000 nines", OneProperty("a", "5", "0," + std::string(1000, '9'), "", "int"),
          {}, IDOK, 1, QuotedList({ "0" }) },
        { "two arguments only", { "{\"a\"}", "{\"1\"}" }, {}, IDOK, 1, "{\"1\"}" },
        HundredProperties(IDOK),
        HundredProperties(IDCANCEL),
    };
    for (const ShowCase& c : cases) {
        DialogSession dialog(c.args);
        ASSERT_TRUE(dialog.Open()) << c.name;
        EXPECT_EQ(dialog.ListEntries().size(), c.entries) << c.name;
        for (const Step& step : c.steps)
            Perform(dialog, step);
        dialog.Finish(c.button);
        ASSERT_TRUE(dialog.Returned()) << c.name << ": ShowProp did not return";
        EXPECT_EQ(dialog.Result(), TRUE) << c.name;
        EXPECT_TRUE(dialog.ResultText() == c.result) << c.name << ": " << Difference(dialog.ResultText(), c.result);
    }
}

// --- GetSubID and GetRevID ------------------------------------------------------------

typedef BOOL(WINAPI* ExportProc)(DWORD, LPSTR*, LPSTR*);

const unsigned kAdapterDevice = 17;   // on bus 0 of the simulated bus

harness::PciBus AdapterBus()
{
    harness::PciFunction adapter;
    adapter.device = kAdapterDevice;
    adapter.subsystemVendorId = 0x1106;
    adapter.subsystemId = 0x0001;    // GetSubID: 69894
    adapter.revision = 0x10;         // GetRevID: 16
    return harness::PciBus().Add(adapter);
}

std::vector<uint8_t> RequestBytes(const std::vector<int32_t>& numbers)
{
    std::vector<uint8_t> bytes;
    for (int32_t number : numbers)
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(static_cast<uint8_t>(static_cast<uint32_t>(number) >> shift));
    return bytes;
}

// A decimal text wraps in 32 bits, so a 1,000-digit text names a number the driver can
// take; one that names no function reads as all ones, as an empty slot does.  A caller
// with no place for the result still gets the BOOL.
TEST(HostilePciQueries, ThousandDigitTextsAndNoPlaceForTheResult)
{
    harness::InstallCfgread();
    ASSERT_NE(dialogtest::LoadShowProp(), nullptr);
    HMODULE hLibrary = GetModuleHandleA("nicprop.dll");
    ExportProc pfnGetSubID =
        reinterpret_cast<ExportProc>(reinterpret_cast<void*>(GetProcAddress(hLibrary, "GetSubID")));
    ExportProc pfnGetRevID =
        reinterpret_cast<ExportProc>(reinterpret_cast<void*>(GetProcAddress(hLibrary, "GetRevID")));
    ASSERT_TRUE(pfnGetSubID != nullptr && pfnGetRevID != nullptr);

    const std::string zeros(1000, '0');
    const std::string nines(1000, '9');
    struct Case {
        const char* name;
        ExportProc* ppfnExport;
        std::vector<std::string> args;
        bool placeForResult;
        const char* text;               // handed back with TRUE
        std::vector<int32_t> request;   // as the driver received it
    } cases[] = {
        { "leading zeros", &pfnGetSubID, { "0", zeros.substr(2) + "17", "0" }, true, "69894", { 0, 17, 0 } },
        { "1 and 999 zeros: 10^999 wraps to 0", &pfnGetSubID, { "1" + zeros.substr(1), "17", "0" }, true, "69894",
          { 0, 17, 0 } },
        { "1,000 nines: wraps to -1, no such bus", &pfnGetSubID, { nines, "17", "0" }, true, "4294967295",
          { -1, 17, 0 } },
        { "1,000 nines: no such function", &pfnGetRevID, { "0", "17", nines }, true, "255", { 0, 17, -1 } },
        { "1,000 digits in every argument", &pfnGetRevID, { zeros, zeros.substr(2) + "17", zeros }, true, "16",
          { 0, 17, 0 } },
        { "no place for the result", &pfnGetSubID, { "0", "17", "0" }, false, nullptr, { 0, 17, 0 } },
        { "no place for the result, no arguments", &pfnGetRevID, {}, false, nullptr, { 0, 0, 0 } },
    };
    for (const Case& c : cases) {
        std::string name = std::string(c.ppfnExport == &pfnGetSubID ? "GetSubID, " : "GetRevID, ") + c.name;
        harness::SetDriverBus(harness::kCfgread, AdapterBus());
        std::vector<std::string> storage = c.args;
        std::vector<LPSTR> args;
        for (std::string& arg : storage)
            args.push_back(&arg[0]);
        LPSTR szResult = nullptr;
        BOOL bResult = (*c.ppfnExport)(static_cast<DWORD>(args.size()), args.empty() ? nullptr : args.data(),
                                       c.placeForResult ? &szResult : nullptr);
        EXPECT_EQ(bResult, TRUE) << name;
        if (c.placeForResult) {
            EXPECT_STREQ(szResult, c.text) << name;
        }
        std::vector<harness::DriverLogEntry> writes = harness::DriverWrites(harness::kCfgread);
        ASSERT_EQ(writes.size(), 1u) << name;
        EXPECT_EQ(writes[0].request, RequestBytes(c.request)) << name;
    }
}

}  // namespace
