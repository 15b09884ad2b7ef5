// PropertyDialog: the adapter's Advanced property dialog (template 4000).  It lists the
// properties in the list box's sorted order, shows the one selected with the value
// editor of its type (enum: combo; int: up-down; edit: 12 hex digits or Not Present),
// and writes each change into its copy of the value list at once.
#pragma once
#include "uidialog.h"
#include "uistring.h"

#include <windows.h>

class PropertyDialog : public UiDialog {
public:
    PropertyDialog();

    // The five parallel quoted lists and the help argument of ShowProp.
    UiString PropList;
    UiString KeyValueList;      // the working copy the editors rewrite; handed back on OK
    UiString ComboKeyList;
    UiString ComboTextList;
    UiString DisplayTypeList;
    UiString HelpFile;

    // The property on screen.
    UiString PrevProp;
    UiString PrevPropType;
    int PrevListIndex;
    int SpinMax;
    int SpinMin;
    int PropIdx;

protected:
    void OnOK() override;
    const UiNotifyEntry* NotifyTable() const override;

private:
    HWND PropListWnd;
    HWND ValueComboWnd;
    HWND HexEditWnd;
    HWND NotPresentLabelWnd;
    HWND SpinEditWnd;
    HWND SpinWnd;
    HWND PresentRadioWnd;
    HWND NotPresentRadioWnd;

    void OnPaint(UiMessage& message);
    void OnShowWindow(UiMessage& message);
    void OnSelchangePropList(UiMessage& message);
    void OnSelchangeValueCombo(UiMessage& message);
    void OnPresentClicked(UiMessage& message);
    void OnNotPresentClicked(UiMessage& message);
    void OnChangeHexEdit(UiMessage& message);
    void OnDeltaposSpin(UiMessage& message);
    void OnHelp(UiMessage& message);

    void FillPropertyList();
    void ShowEditor(const char* szType);
    void HideEditors();
    void LoadSelectedProperty(bool bTrace);
    void LoadEditValue(const char* szValue);
    void LoadIntRange(const char* szKeyItem, const char* szValue, bool bTrace);
    void LoadEnumChoices(const char* szKeyItem, const char* szValue);
    bool SaveTypedInt();
    void StoreValue(const char* szValue);
    void ReadHexValue(char* szText, size_t uCapacity);
};
