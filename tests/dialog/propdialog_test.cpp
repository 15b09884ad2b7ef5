// The Advanced property dialog, driven through ShowProp of the real nicprop.dll: the
// template, set-up and switching, the three value editors, OK and Cancel.
#include "dialogdriver.h"
#include "iatpatch.h"
#include "propdialog_ids.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using dialogtest::DialogSession;
using dialogtest::QuotedList;

namespace {

const char kNotPresent[] = "000000000000";
const char kCancelled[] = "PROPERTY_UI_USER_CANCEL";

struct Property {
    std::string name, value, keys, texts, type;
};

std::vector<std::string> ShowPropArgs(const std::vector<Property>& properties, const std::string& help = "")
{
    std::vector<std::string> names, values, keys, texts, types;
    for (const Property& p : properties) {
        names.push_back(p.name);
        values.push_back(p.value);
        keys.push_back(p.keys);
        texts.push_back(p.texts);
        types.push_back(p.type);
    }
    return { QuotedList(names), QuotedList(values), QuotedList(keys), QuotedList(texts), QuotedList(types), help };
}

// The value controls, in one order, and which of them are visible.
const int kValueControls[] = { IDC_VALUE_COMBO, IDC_HEX_EDIT, IDC_NOT_PRESENT_LABEL, IDC_PRESENT_RADIO,
                               IDC_NOT_PRESENT_RADIO, IDC_SPIN_EDIT, IDC_SPIN };

std::string VisibleControls(const DialogSession& dialog)
{
    std::string shown;
    for (int id : kValueControls)
        shown += dialog.Visible(id) ? '1' : '0';
    return shown;
}

std::vector<std::string> TraceLines(const std::string& trace, const std::string& prefix)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < trace.size()) {
        size_t end = trace.find('\n', start);
        if (end == std::string::npos)
            end = trace.size();
        std::string line = trace.substr(start, end - start);
        if (line.compare(0, prefix.size(), prefix) == 0)
            lines.push_back(line.substr(prefix.size()));
        start = end + 1;
    }
    return lines;
}

// --- Template ---------------------------------------------------------------------

// Reads a DLGTEMPLATE's string-or-ordinal field.
std::string ReadSzOrOrd(const WORD*& p)
{
    if (*p == 0xFFFF) {
        std::string ordinal = "#" + std::to_string(p[1]);
        p += 2;
        return ordinal;
    }
    std::string text;
    while (*p != 0)
        text += static_cast<char>(*p++);
    ++p;
    return text;
}

TEST(PropertyDialogTemplate, ControlsInTemplateOrder)
{
    ASSERT_NE(dialogtest::LoadShowProp(), nullptr);
    HMODULE hLibrary = GetModuleHandleA("nicprop.dll");
    HRSRC hResource = FindResourceA(hLibrary, MAKEINTRESOURCEA(IDD_PROPERTY_DIALOG), MAKEINTRESOURCEA(5));
    ASSERT_NE(hResource, nullptr);
    const BYTE* pTemplate = static_cast<const BYTE*>(LockResource(LoadResource(hLibrary, hResource)));
    const DLGTEMPLATE* pDialog = reinterpret_cast<const DLGTEMPLATE*>(pTemplate);
    EXPECT_EQ(pDialog->style, 0x90C000C2u);
    EXPECT_EQ(pDialog->cx, 222);
    EXPECT_EQ(pDialog->cy, 161);
    const WORD* p = reinterpret_cast<const WORD*>(pDialog + 1);
    EXPECT_EQ(ReadSzOrOrd(p), "");                  // no menu
    EXPECT_EQ(ReadSzOrOrd(p), "");                  // the standard dialog class
    EXPECT_EQ(ReadSzOrOrd(p), "Windows NT Setup");
    EXPECT_EQ(*p++, 8);
    EXPECT_EQ(ReadSzOrOrd(p), "MS Sans Serif");

    const char kIntro[] = "The following properties are available for this network adapter. Click the "
                          "property you want to change on the left, and then select its value on the right.";
    struct Item { int id; const char* cls; const char* text; short x, y, cx, cy; DWORD style; } items[] = {
        { 0xFFFF, "STATIC", kIntro, 5, 5, 210, 25, 0x50020000 },
        { 0xFFFF, "STATIC", "Property:", 5, 40, 35, 10, 0x50020000 },
        { 4000, "LISTBOX", "", 5, 50, 90, 80, 0x50A10103 },
        { 0xFFFF, "STATIC", "Value:", 115, 40, 25, 10, 0x50020000 },
        { 4001, "COMBOBOX", "", 115, 50, 100, 73, 0x40210003 },
        { 4006, "STATIC", "Not Present", 116, 70, 65, 10, 0x40020000 },
        { 4003, "EDIT", "", 115, 50, 100, 12, 0x40810080 },
        { 4008, "EDIT", "", 115, 50, 100, 13, 0x40810080 },
        { 4007, "MSCTLS_UPDOWN32", "Spin1", 205, 140, 11, 12, 0x400100B6 },
        { 1, "BUTTON", "OK", 30, 140, 50, 15, 0x50010001 },
        { 2, "BUTTON", "Cancel", 85, 140, 50, 15, 0x50010000 },
        { 9, "BUTTON", "Help", 140, 140, 50, 15, 0x50010000 },
        { 4010, "BUTTON", "", 105, 50, 10, 14, 0x50000009 },
        { 4011, "BUTTON", "", 105, 67, 11, 15, 0x50000009 },
    };
    ASSERT_EQ(pDialog->cdit, sizeof items / sizeof items[0]);
    for (const Item& want : items) {
        p = reinterpret_cast<const WORD*>((reinterpret_cast<ULONG_PTR>(p) + 3) & ~ULONG_PTR(3));
        const DLGITEMTEMPLATE* pItem = reinterpret_cast<const DLGITEMTEMPLATE*>(p);
        p = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(pItem) + 18);
        std::string cls = ReadSzOrOrd(p);
        std::string text = ReadSzOrOrd(p);
        p += 1 + *p / sizeof(WORD);
        EXPECT_EQ(pItem->id, want.id) << want.text;
        EXPECT_STRCASEEQ(cls.c_str(), want.cls) << "id " << want.id;
        EXPECT_EQ(text, want.text) << "id " << want.id;
        EXPECT_EQ(pItem->style, want.style) << "id " << want.id;
        EXPECT_EQ(pItem->x, want.x) << "id " << want.id;
        EXPECT_EQ(pItem->y, want.y) << "id " << want.id;
        EXPECT_EQ(pItem->cx, want.cx) << "id " << want.id;
        EXPECT_EQ(pItem->cy, want.cy) << "id " << want.id;
    }
}

// --- Set-up and switching ------------------------------------------------------------

TEST(PropertyDialog, SortedListFirstEntryOnScreenAndSetUpTrace)
{
    DialogSession dialog(ShowPropArgs({
        { "Zeta", "1", "0,1", "Off,On", "enum" },
        { "Alpha", "5", "1,64", "", "int" },
        { "Mid", kNotPresent, "", "", "edit" },
    }));
    ASSERT_TRUE(dialog.Open());
    EXPECT_EQ(dialog.ListEntries(), (std::vector<std::string>{ "Alpha", "Mid", "Zeta" }));
    EXPECT_EQ(dialog.ListSelection(), 0);
    EXPECT_EQ(VisibleControls(dialog), "0000011");
    EXPECT_EQ(dialog.Text(IDC_SPIN_EDIT), "5");
    EXPECT_EQ(SendMessageA(dialog.Item(IDC_HEX_EDIT), EM_GETLIMITTEXT, 0, 0), 12);
    EXPECT_EQ(SendMessageA(dialog.Item(IDC_SPIN_EDIT), EM_GETLIMITTEXT, 0, 0), 6);

    dialog.SelectProperty(1);                  // switching writes no trace lines
    dialog.SelectProperty(2);
    EXPECT_EQ(VisibleControls(dialog), "1000000");
    dialog.Finish(IDCANCEL);
    EXPECT_EQ(dialog.Trace(),
              "PrevProp = Alpha\nPropIdx = 2\nPrevListIndex = 0\nCurrent Display Type = int\n"
              "PrevPropType = int\nCurrent Key Value = 5\nCombo Key List = 1,64\nSpin Min = 1\nSpin Max = 64\n");
}

TEST(PropertyDialog, DuplicateNamesBothShowTheFirst)
{
    DialogSession dialog(ShowPropArgs({
        { "Speed", "3", "0,10", "", "int" },
        { "Speed", "7", "0,10", "", "int" },
    }));
    ASSERT_TRUE(dialog.Open());
    EXPECT_EQ(dialog.ListEntries(), (std::vector<std::string>{ "Speed", "Speed" }));
    dialog.SelectProperty(1);
    EXPECT_EQ(dialog.Text(IDC_SPIN_EDIT), "3");
    dialog.SpinKey(VK_UP);
    dialog.Finish(IDOK);
    EXPECT_TRUE(dialog.Result());
    EXPECT_EQ(dialog.ResultText(), "{\"4\",\"7\"}");
}

TEST(PropertyDialog, ControlsShownEnabledAndCheckedPerType)
{
    struct Case { Property property; const char* visible; bool hexEnabled, present, notPresent; } cases[] = {
        { { "P", "1", "0,1", "Off,On", "enum" }, "1000000", false, false, false },
        { { "P", "5", "1,64", "", "int" }, "0000011", false, false, false },
        { { "P", "00A0C9000001", "", "", "edit" }, "0111100", true, true, false },
        { { "P", kNotPresent, "", "", "edit" }, "0111100", false, false, true },
    };
    for (const Case& c : cases) {
        DialogSession dialog(ShowPropArgs({ c.property }));
        ASSERT_TRUE(dialog.Open()) << c.property.type;
        EXPECT_EQ(VisibleControls(dialog), c.visible) << c.property.type << " " << c.property.value;
        if (c.property.type == "edit") {
            EXPECT_EQ(dialog.Enabled(IDC_HEX_EDIT), c.hexEnabled) << c.property.value;
            EXPECT_EQ(dialog.Checked(IDC_PRESENT_RADIO), c.present) << c.property.value;
            EXPECT_EQ(dialog.Checked(IDC_NOT_PRESENT_RADIO), c.notPresent) << c.property.value;
        }
        dialog.Finish(IDCANCEL);
        EXPECT_EQ(dialog.ResultText(), kCancelled);
    }
}

// A type the dialog does not know, or none at all (a short type list), shows no editor
// of its own: the previous property's controls stay as they were.
TEST(PropertyDialog, UnknownOrMissingTypeLeavesPreviousControls)
{
    DialogSession dialog({ QuotedList({ "A", "B", "C" }), QuotedList({ "00A0C9000001", "x", "y" }), "{}", "{}",
                           QuotedList({ "edit", "bool" }), "" });
    ASSERT_TRUE(dialog.Open());
    for (int entry : { 1, 2 }) {
        dialog.SelectProperty(entry);
        EXPECT_EQ(VisibleControls(dialog), "0111100") << "entry " << entry;
        EXPECT_EQ(dialog.Text(IDC_HEX_EDIT), "00A0C9000001") << "entry " << entry;
        EXPECT_TRUE(dialog.Enabled(IDC_HEX_EDIT)) << "entry " << entry;
        EXPECT_TRUE(dialog.Checked(IDC_PRESENT_RADIO)) << "entry " << entry;
    }
    dialog.Finish(IDOK);
    EXPECT_EQ(dialog.ResultText(), "{\"00A0C9000001\",\"x\",\"y\"}");
}

// --- enum ---------------------------------------------------------------------------------

TEST(PropertyDialog, EnumEntriesSelectionAndWrittenKey)
{
    DialogSession dialog(ShowPropArgs({
        { "1 Speed", "2", "0,1,2", "Auto,10,100", "enum" },
        { "2 Mode", "q", "x,y,", "A,B,", "enum" },
        { "3 Wide", "10", "5x,6", "Five,Six", "enum" },
    }));
    ASSERT_TRUE(dialog.Open());
    EXPECT_EQ(dialog.ComboEntries(), (std::vector<std::string>{ "Auto", "10", "100" }));
    EXPECT_EQ(dialog.ComboSelection(), 2);
    dialog.SelectChoice(0);

    dialog.SelectProperty(1);
    EXPECT_EQ(dialog.ComboEntries(), (std::vector<std::string>{ "A", "B" }));
    EXPECT_EQ(dialog.ComboSelection(), -1);            // no key equals "q"
    dialog.SelectChoice(1);

    dialog.SelectProperty(2);
    dialog.SelectChoice(0);                            // key "5x": its first character only
    dialog.Finish(IDOK);
    EXPECT_EQ(dialog.ResultText(), "{\"0\",\"y\",\"50\"}");
}

// An empty enum value takes the chosen key whole; an empty key field or a missing key
// item leaves the value alone.  The list's quotes stay intact either way.
TEST(PropertyDialog, EnumEmptyValueMissingOrEmptyKey)
{
    DialogSession dialog({ QuotedList({ "1", "2", "3" }), QuotedList({ "", "", "v" }),
                           QuotedList({ "0,1", ",1" }), QuotedList({ "Off,On", "None,One", "X,Y" }),
                           QuotedList({ "enum", "enum", "enum" }), "" });
    ASSERT_TRUE(dialog.Open());
    dialog.SelectChoice(1);
    dialog.SelectProperty(1);
    dialog.SelectChoice(0);
    dialog.SelectProperty(2);
    EXPECT_EQ(dialog.ComboEntries(), (std::vector<std::string>{ "X", "Y" }));
    dialog.SelectChoice(1);
    dialog.Finish(IDOK);
    EXPECT_EQ(dialog.ResultText(), "{\"1\",\"\",\"v\"}");
}

// --- edit ---------------------------------------------------------------------------------

TEST(PropertyDialog, HexEditTypingRadiosAndCase)
{
    DialogSession dialog(ShowPropArgs({ { "Address", kNotPresent, "", "", "edit" } }));
    ASSERT_TRUE(dialog.Open());
    dialog.Click(IDC_PRESENT_RADIO);                   // empty hex edit: nothing to store
    EXPECT_TRUE(dialog.Checked(IDC_PRESENT_RADIO));
    EXPECT_FALSE(dialog.Checked(IDC_NOT_PRESENT_RADIO));
    EXPECT_TRUE(dialog.Enabled(IDC_HEX_EDIT));
    dialog.Type(IDC_HEX_EDIT, "00A0C900000b");         // one change per keystroke
    EXPECT_EQ(dialog.Text(IDC_HEX_EDIT), "00A0C900000b");
    dialog.SetText(IDC_HEX_EDIT, "00A0C900000G");
    dialog.SetText(IDC_HEX_EDIT, "00a0c9fffffe");
    dialog.Click(IDC_NOT_PRESENT_RADIO);
    EXPECT_FALSE(dialog.Enabled(IDC_HEX_EDIT));
    EXPECT_EQ(dialog.Text(IDC_HEX_EDIT), "00a0c9fffffe");
    dialog.Finish(IDOK);
    EXPECT_EQ(dialog.ResultText(), "{\"000000000000\"}");

    std::vector<std::string> stored = TraceLines(dialog.Trace(), "New Reg = ");
    std::vector<std::string> expected(11, "{\"000000000000\"}");
    expected.push_back("{\"00A0C900000b\"}");
    expected.push_back("{\"000000000000\"}");       // G is no hexadecimal digit
    expected.push_back("{\"00a0c9fffffe\"}");       // stored as typed, lower case kept
    EXPECT_EQ(stored, expected);
}

TEST(PropertyDialog, HexNotPresentThenPresentStoresTheTextAgain)
{
    DialogSession dialog(ShowPropArgs({ { "Address", "00A0C9000001", "", "", "edit" } }));
    ASSERT_TRUE(dialog.Open());
    dialog.Click(IDC_NOT_PRESENT_RADIO);
    dialog.Click(IDC_PRESENT_RADIO);
    EXPECT_TRUE(dialog.Enabled(IDC_HEX_EDIT));
    dialog.Finish(IDOK);
    EXPECT_EQ(dialog.ResultText(), "{\"00A0C9000001\"}");
}

// Shown values are normalised at once: 5 digits become NOT_PRESENT, 14 are cut to the
// first 12, and a NOT_PRESENT property leaves the previous text in the disabled edit,
// which the present radio then stores for it.
TEST(PropertyDialog, HexLoadNormalisation)
{
    DialogSession dialog(ShowPropArgs({
        { "A", "12345", "", "", "edit" },
        { "B", "00A0C9000001FF", "", "", "edit" },
        { "C", kNotPresent, "", "", "edit" },
    }));
    ASSERT_TRUE(dialog.Open());
    EXPECT_TRUE(dialog.Checked(IDC_PRESENT_RADIO));
    EXPECT_EQ(dialog.Text(IDC_HEX_EDIT), "12345");
    dialog.SelectProperty(1);
    EXPECT_EQ(dialog.Text(IDC_HEX_EDIT), "00A0C9000001FF");
    dialog.SelectProperty(2);
    EXPECT_TRUE(dialog.Checked(IDC_NOT_PRESENT_RADIO));
    EXPECT_FALSE(dialog.Enabled(IDC_HEX_EDIT));
    EXPECT_EQ(dialog.Text(IDC_HEX_EDIT), "00A0C9000001FF");
    dialog.Click(IDC_PRESENT_RADIO);
    dialog.Finish(IDOK);
    EXPECT_EQ(dialog.ResultText(), "{\"000000000000\",\"00A0C9000001\",\"00A0C9000001\"}");
}

// --- int ----------------------------------------------------------------------------------

TEST(PropertyDialog, IntArrowsBoundsAndShownValues)
{
    DialogSession dialog(ShowPropArgs({
        { "a", "64", "1,64", "", "int" },
        { "b", "0", "0,10", "", "int" },
        { "c", "100", "1,64", "", "int" },
        { "d", "007", "0,10", "", "int" },
    }));
    ASSERT_TRUE(dialog.Open());
    dialog.SpinKey(VK_UP);                   // held at the upper bound
    EXPECT_EQ(dialog.Text(IDC_SPIN_EDIT), "64");
    dialog.SpinKey(VK_DOWN);
    EXPECT_EQ(dialog.Text(IDC_SPIN_EDIT), "63");
    dialog.SelectProperty(1);
    dialog.SpinKey(VK_DOWN);                 // held at the lower bound
    EXPECT_EQ(dialog.Text(IDC_SPIN_EDIT), "0");
    dialog.SelectProperty(2);
    EXPECT_EQ(dialog.Text(IDC_SPIN_EDIT), "64");
    dialog.SelectProperty(3);
    EXPECT_EQ(dialog.Text(IDC_SPIN_EDIT), "7");
    dialog.Finish(IDOK);
    EXPECT_EQ(dialog.ResultText(), "{\"63\",\"0\",\"64\",\"7\"}");
}

TEST(PropertyDialog, IntTypedValueCheckedWhenLeavingAndAtOK)
{
    DialogSession dialog(ShowPropArgs({
        { "a", "5", "1,64", "", "int" },
        { "b", "00A0C9000001", "", "", "edit" },
    }));
    ASSERT_TRUE(dialog.Open());
    dialog.SetText(IDC_SPIN_EDIT, "65");
    dialog.PostSelectProperty(1);
    dialogtest::BoxSeen box = dialog.AnswerBox();
    EXPECT_TRUE(box.shown);
    EXPECT_EQ(box.caption, "Error");
    EXPECT_EQ(box.text, "The value is out of range. The valid range is from 1 to 64.\n");
    EXPECT_EQ(dialog.ListSelection(), 0);
    EXPECT_EQ(VisibleControls(dialog), "0000011");
    EXPECT_EQ(dialog.Text(IDC_SPIN_EDIT), "65");

    dialog.SetText(IDC_SPIN_EDIT, "1a");         // counts as 59: in range, but no number
    dialog.SelectProperty(1);
    EXPECT_EQ(VisibleControls(dialog), "0111100");
    dialog.SelectProperty(0);
    EXPECT_EQ(dialog.Text(IDC_SPIN_EDIT), "5");

    dialog.SetText(IDC_SPIN_EDIT, "0");
    dialog.PostClick(IDOK);
    box = dialog.AnswerBox();
    EXPECT_EQ(box.text, "The value is out of range. The valid range is from 1 to 64.\n");
    EXPECT_TRUE(dialog.Open());
    dialog.SetText(IDC_SPIN_EDIT, "12");
    dialog.Finish(IDOK);
    EXPECT_TRUE(dialog.Result());
    EXPECT_EQ(dialog.ResultText(), "{\"12\",\"00A0C9000001\"}");
}

TEST(PropertyDialog, IntEmptyTextWithLowerBoundZero)
{
    DialogSession dialog(ShowPropArgs({ { "a", "4", "0,10", "", "int" } }));
    ASSERT_TRUE(dialog.Open());
    dialog.SetText(IDC_SPIN_EDIT, "");
    dialog.Finish(IDOK);
    EXPECT_EQ(dialog.ResultText(), "{\"\"}");
}

// "64" has no comma: lower bound 64, upper bound 0, so no value passes.
TEST(PropertyDialog, IntRangeWithoutCommaRefusesEveryValue)
{
    DialogSession dialog(ShowPropArgs({ { "a", "64", "64", "", "int" } }));
    ASSERT_TRUE(dialog.Open());
    dialog.PostClick(IDOK);
    EXPECT_EQ(dialog.AnswerBox().text, "The value is out of range. The valid range is from 64 to 0.\n");
    dialog.Finish(IDCANCEL);
    EXPECT_TRUE(dialog.Result());
    EXPECT_EQ(dialog.ResultText(), kCancelled);
}

// A missing range item reads as empty: both bounds 0, so only 0 passes.
TEST(PropertyDialog, IntMissingRangeItemAllowsOnlyZero)
{
    DialogSession dialog({ "{\"a\"}", "{\"5\"}", "{}", "{}", "{\"int\"}", "" });
    ASSERT_TRUE(dialog.Open());
    EXPECT_EQ(dialog.Text(IDC_SPIN_EDIT), "0");
    dialog.SetText(IDC_SPIN_EDIT, "1");
    dialog.PostClick(IDOK);
    EXPECT_EQ(dialog.AnswerBox().text, "The value is out of range. The valid range is from 0 to 0.\n");
    dialog.SetText(IDC_SPIN_EDIT, "0");
    dialog.Finish(IDOK);
    EXPECT_EQ(dialog.ResultText(), "{\"0\"}");
}

// Bounds outside 0..32767 do not survive the up-down control's 16 signed bits; they are
// held at the nearest valid bound, so the range stays ordered and no position is
// negative.
TEST(PropertyDialog, IntBoundsBeyondTheUpDownRangeAreHeld)
{
    DialogSession dialog(ShowPropArgs({
        { "a", "5", "0,40000", "", "int" },
        { "b", "1", "-5,10", "", "int" },
    }));
    ASSERT_TRUE(dialog.Open());
    dialog.SetText(IDC_SPIN_EDIT, "40000");
    dialog.PostSelectProperty(1);
    EXPECT_EQ(dialog.AnswerBox().text, "The value is out of range. The valid range is from 0 to 32767.\n");
    dialog.SetText(IDC_SPIN_EDIT, "32767");
    dialog.SelectProperty(1);
    dialog.SpinKey(VK_DOWN);
    dialog.SpinKey(VK_DOWN);
    EXPECT_EQ(dialog.Text(IDC_SPIN_EDIT), "0");
    dialog.Finish(IDOK);
    EXPECT_EQ(dialog.ResultText(), "{\"32767\",\"0\"}");
}

// --- OK and Cancel --------------------------------------------------------------------------

TEST(PropertyDialog, OkWithoutChangesAndCancelAfterChanges)
{
    std::vector<std::string> args = ShowPropArgs({
        { "b", "007", "0,10", "", "int" },             // never on screen: kept as given
        { "a", "1", "0,1", "Off,On", "enum" },
        { "c", "00A0C9000001", "", "", "edit" },
    }, "nic.hlp");
    {
        DialogSession dialog(args);
        ASSERT_TRUE(dialog.Open());
        dialog.Finish(IDOK);
        EXPECT_TRUE(dialog.Result());
        EXPECT_EQ(dialog.ResultText(), args[1]);
    }
    DialogSession dialog(args);
    ASSERT_TRUE(dialog.Open());
    dialog.SelectChoice(0);
    dialog.SelectProperty(2);
    dialog.Click(IDC_NOT_PRESENT_RADIO);
    dialog.Finish(IDCANCEL);
    EXPECT_TRUE(dialog.Result());
    EXPECT_EQ(dialog.ResultText(), kCancelled);
}

// No properties (here: no arguments at all, the count honoured): the dialog opens with
// an empty list and no value control, and OK hands the value list back unchanged.
TEST(PropertyDialog, EmptyPropertyList)
{
    struct Case { std::vector<std::string> args; const char* result; } cases[] = {
        { {}, "" },
        { { "{}", "{\"x\"}", "{}", "{}", "{\"int\"}", "" }, "{\"x\"}" },
    };
    for (const Case& c : cases) {
        DialogSession dialog(c.args);
        ASSERT_TRUE(dialog.Open()) << c.args.size() << " arguments";
        EXPECT_TRUE(dialog.ListEntries().empty());
        EXPECT_EQ(VisibleControls(dialog), "0000000") << c.args.size() << " arguments";
        dialog.Finish(IDOK);
        EXPECT_TRUE(dialog.Result());
        EXPECT_EQ(dialog.ResultText(), c.result);
    }
}

INT_PTR gDialogFailure;

INT_PTR WINAPI FailingDialogBoxParamA(HINSTANCE, LPCSTR, HWND, DLGPROC, LPARAM)
{
    return gDialogFailure;
}

// A dialog that cannot be created (DialogBoxParamA gives -1, or 0 for an invalid owner)
// never ran: ShowProp fails with the text by which the INF script knows it, and neither
// the list nor a cancel comes back.
TEST(PropertyDialog, DialogThatCannotBeCreatedFailsWithItsText)
{
    dialogtest::ShowPropFn pfnShowProp = dialogtest::LoadShowProp();
    ASSERT_NE(pfnShowProp, nullptr);
    HMODULE hLibrary = GetModuleHandleA("nicprop.dll");
    std::vector<std::string> args = ShowPropArgs({ { "a", "1", "0,1", "Off,On", "enum" } });
    std::vector<char*> argPointers;
    for (std::string& arg : args)
        argPointers.push_back(&arg[0]);
    for (INT_PTR failure : { static_cast<INT_PTR>(-1), static_cast<INT_PTR>(0) }) {
        SCOPED_TRACE(failure);
        gDialogFailure = failure;
        void* pReal = harness::PatchImport(hLibrary, "user32.dll", "DialogBoxParamA",
                                           reinterpret_cast<void*>(FailingDialogBoxParamA));
        ASSERT_NE(pReal, nullptr);
        LPSTR pszResult = nullptr;
        BOOL bResult = pfnShowProp(static_cast<DWORD>(argPointers.size()), argPointers.data(), &pszResult);
        harness::PatchImport(hLibrary, "user32.dll", "DialogBoxParamA", pReal);
        EXPECT_FALSE(bResult);
        ASSERT_NE(pszResult, nullptr);
        EXPECT_STREQ(pszResult, "ERROR_SHOW_PROPERTY_UI");
    }
    // With the real call back in place, the dialog opens again.
    DialogSession dialog(args);
    ASSERT_TRUE(dialog.Open());
    dialog.Finish(IDCANCEL);
    EXPECT_EQ(dialog.ResultText(), kCancelled);
}

}  // namespace
