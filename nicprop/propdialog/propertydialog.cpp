#include "propertydialog.h"

#include "decimal.h"
#include "format.h"
#include "helpcommand.h"
#include "propdialog_ids.h"
#include "proptrace.h"
#include "propvalue.h"
#include "quotedlist.h"

#include <commctrl.h>
#include <stdlib.h>
#include <string.h>

namespace {

const char kTypeEnum[] = "enum";
const char kTypeInt[] = "int";
const char kTypeEdit[] = "edit";

const WPARAM kHexEditLimit = HEX_VALUE_LENGTH;
const WPARAM kSpinEditLimit = 6;
const WORD kHexReadLength = HEX_VALUE_LENGTH;
const WORD kSpinReadLength = 8;
enum { LINE_CAPACITY = 16, RANGE_MESSAGE_CAPACITY = 80, NUMBER_CAPACITY = 12 };

// The up-down control keeps its range in 16 signed bits; bounds outside 0..32767 would
// come back with another value or sign, so they are held at the nearest of these.
const int32_t kLowestBound = 0;
const int32_t kHighestBound = 32767;

const char kRangeMessage[] = "The value is out of range. The valid range is from %d to %d.\n";
const char kRangeCaption[] = "Error";

// Which value controls each type shows, in the order of PropertyDialog::ShowEditor.
enum { VALUE_CONTROLS = 7 };
struct EditorLayout {
    const char* szType;
    bool abShow[VALUE_CONTROLS];   // combo, hex edit, label, present, not present, spin edit, up-down
};
const EditorLayout kEditorLayouts[] = {
    { kTypeEnum, { true, false, false, false, false, false, false } },
    { kTypeInt, { false, false, false, false, false, true, true } },
    { kTypeEdit, { false, true, true, true, true, false, false } },
};

// Line 0 of an edit control, at most uMaxLength characters.  EM_GETLINE takes the
// buffer's size in its first WORD and copies without a terminator, so the count it
// returns is all that can be trusted.
void ReadEditLine(HWND hEdit, WORD wMaxLength, char* szText, size_t uCapacity)
{
    if (uCapacity <= wMaxLength || uCapacity < sizeof(WORD)) {
        szText[0] = '\0';
        return;
    }
    memcpy(szText, &wMaxLength, sizeof wMaxLength);
    LRESULT lCopied = SendMessageA(hEdit, EM_GETLINE, 0, reinterpret_cast<LPARAM>(szText));
    if (lCopied < 0 || lCopied > wMaxLength)
        lCopied = 0;
    szText[lCopied] = '\0';
}

// The text of one list box entry, read through a buffer sized to it.
bool ReadListEntry(HWND hList, int iIndex, UiString* pText)
{
    LRESULT lLength = SendMessageA(hList, LB_GETTEXTLEN, static_cast<WPARAM>(iIndex), 0);
    if (lLength == LB_ERR)
        return false;
    char* szEntry = static_cast<char*>(malloc(static_cast<size_t>(lLength) + 1));
    if (szEntry == nullptr)
        return false;
    LRESULT lCopied = SendMessageA(hList, LB_GETTEXT, static_cast<WPARAM>(iIndex),
                                   reinterpret_cast<LPARAM>(szEntry));
    bool bRead = lCopied != LB_ERR && pText->Assign(szEntry, static_cast<size_t>(lCopied));
    free(szEntry);
    return bRead;
}

int32_t HeldBound(int32_t iBound)
{
    if (iBound < kLowestBound)
        return kLowestBound;
    return iBound > kHighestBound ? kHighestBound : iBound;
}

void SetCheck(HWND hButton, bool bChecked)
{
    SendMessageA(hButton, BM_SETCHECK, bChecked ? BST_CHECKED : BST_UNCHECKED, 0);
}

}  // namespace

PropertyDialog::PropertyDialog()
    : UiDialog(IDD_PROPERTY_DIALOG, nullptr),
      PrevListIndex(-1), SpinMax(0), SpinMin(0), PropIdx(0),
      PropListWnd(nullptr), ValueComboWnd(nullptr), HexEditWnd(nullptr), NotPresentLabelWnd(nullptr),
      SpinEditWnd(nullptr), SpinWnd(nullptr), PresentRadioWnd(nullptr), NotPresentRadioWnd(nullptr)
{
}

const UiNotifyEntry* PropertyDialog::NotifyTable() const
{
    static const UiNotifyEntry kTable[] = {
        { WM_PAINT, 0, 0, UI_HANDLER(PropertyDialog::OnPaint) },
        { WM_SHOWWINDOW, 0, 0, UI_HANDLER(PropertyDialog::OnShowWindow) },
        { WM_COMMAND, LBN_SELCHANGE, IDC_PROP_LIST, UI_HANDLER(PropertyDialog::OnSelchangePropList) },
        { WM_COMMAND, CBN_SELCHANGE, IDC_VALUE_COMBO, UI_HANDLER(PropertyDialog::OnSelchangeValueCombo) },
        { WM_COMMAND, BN_CLICKED, IDC_HELP_BUTTON, UI_HANDLER(PropertyDialog::OnHelp) },
        { WM_COMMAND, BN_CLICKED, IDC_PRESENT_RADIO, UI_HANDLER(PropertyDialog::OnPresentClicked) },
        { WM_COMMAND, BN_CLICKED, IDC_NOT_PRESENT_RADIO, UI_HANDLER(PropertyDialog::OnNotPresentClicked) },
        { WM_COMMAND, EN_CHANGE, IDC_HEX_EDIT, UI_HANDLER(PropertyDialog::OnChangeHexEdit) },
        { WM_NOTIFY, UDN_DELTAPOS, IDC_SPIN, UI_HANDLER(PropertyDialog::OnDeltaposSpin) },
        { 0, 0, 0, nullptr },
    };
    return kTable;
}

// The template's controls draw themselves; the dialog only has to validate the region.
void PropertyDialog::OnPaint(UiMessage&)
{
    PAINTSTRUCT ps;
    BeginPaint(Window(), &ps);
    EndPaint(Window(), &ps);
}

void PropertyDialog::OnShowWindow(UiMessage& message)
{
    Default(message);
    PropListWnd = Control(IDC_PROP_LIST);
    ValueComboWnd = Control(IDC_VALUE_COMBO);
    HexEditWnd = Control(IDC_HEX_EDIT);
    NotPresentLabelWnd = Control(IDC_NOT_PRESENT_LABEL);
    SpinEditWnd = Control(IDC_SPIN_EDIT);
    SpinWnd = Control(IDC_SPIN);
    PresentRadioWnd = Control(IDC_PRESENT_RADIO);
    NotPresentRadioWnd = Control(IDC_NOT_PRESENT_RADIO);
    SendMessageA(HexEditWnd, EM_LIMITTEXT, kHexEditLimit, 0);
    SendMessageA(SpinEditWnd, EM_LIMITTEXT, kSpinEditLimit, 0);
    FillPropertyList();
    SendMessageA(PropListWnd, LB_SETCURSEL, 0, 0);
    LoadSelectedProperty(true);
}

void PropertyDialog::FillPropertyList()
{
    TextSpan span;
    UiString name;
    for (int i = 1; LocateListItem(PropList.Text(), i, &span); ++i) {
        if (!name.Assign(PropList.Text() + span.uStart, span.uLength))
            return;
        SendMessageA(PropListWnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.Text()));
    }
}

void PropertyDialog::ShowEditor(const char* szType)
{
    for (const EditorLayout& layout : kEditorLayouts) {
        if (strcmp(layout.szType, szType) != 0)
            continue;
        HWND ahControls[VALUE_CONTROLS] = { ValueComboWnd, HexEditWnd, NotPresentLabelWnd,
                                            PresentRadioWnd, NotPresentRadioWnd, SpinEditWnd, SpinWnd };
        for (int i = 0; i < VALUE_CONTROLS; ++i)
            ShowWindow(ahControls[i], layout.abShow[i] ? SW_SHOW : SW_HIDE);
    }
}

// With no property to show, no value control is shown either, the radios included.
void PropertyDialog::HideEditors()
{
    HWND ahControls[VALUE_CONTROLS] = { ValueComboWnd, HexEditWnd, NotPresentLabelWnd,
                                        PresentRadioWnd, NotPresentRadioWnd, SpinEditWnd, SpinWnd };
    for (HWND hControl : ahControls)
        ShowWindow(hControl, SW_HIDE);
}

void PropertyDialog::LoadSelectedProperty(bool bTrace)
{
    int iSelected = static_cast<int>(SendMessageA(PropListWnd, LB_GETCURSEL, 0, 0));
    if (iSelected == LB_ERR || !ReadListEntry(PropListWnd, iSelected, &PrevProp)) {
        HideEditors();
        return;
    }
    PropIdx = FindListItem(PropList.Text(), PrevProp.Text());
    PrevListIndex = static_cast<int>(SendMessageA(PropListWnd, LB_GETCURSEL, 0, 0));
    UiString type;
    GetListItem(DisplayTypeList.Text(), PropIdx, &type);
    PrevPropType = type;
    UiString value;
    GetListItem(KeyValueList.Text(), PropIdx, &value);
    if (bTrace) {
        TraceLine("PrevProp = %s\n", PrevProp.Text());
        TraceLine("PropIdx = %d\n", PropIdx);
        TraceLine("PrevListIndex = %d\n", PrevListIndex);
        TraceLine("Current Display Type = %s\n", type.Text());
        TraceLine("PrevPropType = %s\n", PrevPropType.Text());
        TraceLine("Current Key Value = %s\n", value.Text());
    }
    if (type.Equals(kTypeEdit)) {
        LoadEditValue(value.Text());
    } else {
        UiString keyItem;
        GetListItem(ComboKeyList.Text(), PropIdx, &keyItem);
        if (bTrace)
            TraceLine("Combo Key List = %s\n", keyItem.Text());
        if (type.Equals(kTypeInt))
            LoadIntRange(keyItem.Text(), value.Text(), bTrace);
        else if (type.Equals(kTypeEnum))
            LoadEnumChoices(keyItem.Text(), value.Text());
    }
    ShowEditor(PrevPropType.Text());
}

// Setting the text raises the hex edit's change notification, which checks the value
// and stores it again: a shown value is normalised as soon as it is on screen.
void PropertyDialog::LoadEditValue(const char* szValue)
{
    bool bPresent = strcmp(szValue, NOT_PRESENT) != 0;
    SetCheck(NotPresentRadioWnd, !bPresent);
    SetCheck(PresentRadioWnd, bPresent);
    if (bPresent)
        SetWindowTextA(HexEditWnd, szValue);
    EnableWindow(HexEditWnd, bPresent ? TRUE : FALSE);
}

void PropertyDialog::LoadIntRange(const char* szKeyItem, const char* szValue, bool bTrace)
{
    TextSpan lower, upper;
    SplitRange(szKeyItem, &lower, &upper);
    UiString lowerText, upperText;
    lowerText.Assign(szKeyItem + lower.uStart, lower.uLength);
    upperText.Assign(szKeyItem + upper.uStart, upper.uLength);
    if (bTrace) {
        TraceLine("Spin Min = %s\n", lowerText.Text());
        TraceLine("Spin Max = %s\n", upperText.Text());
    }
    int32_t iLower = HeldBound(DecimalToInt(lowerText.Text()));
    int32_t iUpper = HeldBound(DecimalToInt(upperText.Text()));
    SendMessageA(SpinWnd, UDM_SETRANGE, 0, MAKELPARAM(iUpper, iLower));
    SendMessageA(SpinWnd, UDM_SETPOS, 0, MAKELPARAM(LOWORD(DecimalToInt(szValue)), 0));
    LRESULT lRange = SendMessageA(SpinWnd, UDM_GETRANGE, 0, 0);
    SpinMin = static_cast<short>(HIWORD(lRange));
    SpinMax = static_cast<short>(LOWORD(lRange));
}

void PropertyDialog::LoadEnumChoices(const char* szKeyItem, const char* szValue)
{
    UiString textItem;
    GetListItem(ComboTextList.Text(), PropIdx, &textItem);
    SendMessageA(ValueComboWnd, CB_RESETCONTENT, 0, 0);
    UiString field;
    for (int k = 0; GetField(textItem.Text(), k, &field); ++k)
        SendMessageA(ValueComboWnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(field.Text()));
    for (int k = 0; GetField(szKeyItem, k, &field); ++k) {
        if (field.Equals(szValue)) {
            SendMessageA(ValueComboWnd, CB_SETCURSEL, static_cast<WPARAM>(k), 0);
            break;
        }
    }
}

// Stores a number typed into the spin edit of the int property on screen.  False when
// it is out of range: the message is shown and the property stays on screen.
bool PropertyDialog::SaveTypedInt()
{
    if (!PrevPropType.Equals(kTypeInt))
        return true;
    char szText[LINE_CAPACITY];
    ReadEditLine(SpinEditWnd, kSpinReadLength, szText, sizeof szText);
    int32_t iValue = DecimalToInt(szText);
    if (iValue < SpinMin || iValue > SpinMax) {
        SendMessageA(PropListWnd, LB_SETCURSEL, static_cast<WPARAM>(PrevListIndex), 0);
        char szMessage[RANGE_MESSAGE_CAPACITY];
        iFormatText(szMessage, sizeof szMessage, kRangeMessage, SpinMin, SpinMax);
        MessageBoxA(Window(), szMessage, kRangeCaption, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (AllDigits(szText))
        StoreValue(szText);
    return true;
}

// When memory runs out the list stays as it was.
void PropertyDialog::StoreValue(const char* szValue)
{
    SetListItem(&KeyValueList, PropIdx, szValue);
}

void PropertyDialog::ReadHexValue(char* szText, size_t uCapacity)
{
    ReadEditLine(HexEditWnd, kHexReadLength, szText, uCapacity);
}

void PropertyDialog::OnSelchangePropList(UiMessage&)
{
    if (SaveTypedInt())
        LoadSelectedProperty(false);
}

void PropertyDialog::OnSelchangeValueCombo(UiMessage&)
{
    UiString keyItem, value, chosen;
    GetListItem(ComboKeyList.Text(), PropIdx, &keyItem);
    int iChoice = static_cast<int>(SendMessageA(ValueComboWnd, CB_GETCURSEL, 0, 0));
    GetListItem(KeyValueList.Text(), PropIdx, &value);
    if (EnumValueForKey(value.Text(), keyItem.Text(), iChoice, &chosen))
        StoreValue(chosen.Text());
}

void PropertyDialog::OnPresentClicked(UiMessage&)
{
    SetCheck(NotPresentRadioWnd, false);
    SetCheck(PresentRadioWnd, true);
    EnableWindow(HexEditWnd, TRUE);
    char szText[LINE_CAPACITY];
    ReadHexValue(szText, sizeof szText);
    StoreValue(HexValueToStore(szText));
}

void PropertyDialog::OnNotPresentClicked(UiMessage&)
{
    SetCheck(NotPresentRadioWnd, true);
    SetCheck(PresentRadioWnd, false);
    EnableWindow(HexEditWnd, FALSE);
    StoreValue(NOT_PRESENT);
}

void PropertyDialog::OnChangeHexEdit(UiMessage&)
{
    char szText[LINE_CAPACITY];
    ReadHexValue(szText, sizeof szText);
    StoreValue(HexValueToStore(szText));
    TraceLine("New Reg = %s\n", KeyValueList.Text());
}

// The position comes from the notification, not from the spin edit's text; the control
// writes its new position into the spin edit itself once the handler lets it go ahead.
void PropertyDialog::OnDeltaposSpin(UiMessage& message)
{
    const NMUPDOWN* pChange = reinterpret_cast<const NMUPDOWN*>(message.lParam);
    LRESULT lRange = SendMessageA(SpinWnd, UDM_GETRANGE, 0, 0);
    int iLower = static_cast<short>(HIWORD(lRange));
    int iUpper = static_cast<short>(LOWORD(lRange));
    int iPosition = pChange->iPos + pChange->iDelta;
    if (iPosition < iLower)
        iPosition = iLower;
    if (iPosition > iUpper)
        iPosition = iUpper;
    char szText[NUMBER_CAPACITY];
    IntToDecimal(iPosition, szText, sizeof szText);
    StoreValue(szText);
    message.lResult = 0;
}

void PropertyDialog::OnOK()
{
    if (SaveTypedInt())
        UiDialog::OnOK();
}

// The viewer runs on its own; whether it could be started is not reported.
void PropertyDialog::OnHelp(UiMessage&)
{
    char szDirectory[SYSTEM_PATH_CAPACITY];
    UINT uLength = GetSystemDirectoryA(szDirectory, sizeof szDirectory);
    if (uLength == 0 || uLength >= sizeof szDirectory)
        return;
    UiString command;
    if (BuildHelpCommand(szDirectory, HelpFile.Text(), &command))
        WinExec(command.Text(), SW_SHOW);
}
