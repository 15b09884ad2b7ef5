#include "uidialog.h"

#include "uiapp.h"

namespace {

const UiNotifyEntry kEmptyTable[] = {
    { 0, 0, 0, nullptr },
};

}  // namespace

UiDialog::UiDialog(int iTemplateId, HWND hParent)
    : TemplateId(iTemplateId), ParentWnd(hParent), DialogWnd(nullptr), PassToDefault(false)
{
}

UiDialog::~UiDialog() {}

INT_PTR UiDialog::DoModal()
{
    INT_PTR iResult = DialogBoxParamA(UiApp::Instance(), MAKEINTRESOURCEA(TemplateId), ParentWnd,
                                      DialogProc, reinterpret_cast<LPARAM>(this));
    DialogWnd = nullptr;
    return iResult;
}

HWND UiDialog::Window() const
{
    return DialogWnd;
}

HWND UiDialog::Control(int iControlId) const
{
    return GetDlgItem(DialogWnd, iControlId);
}

void UiDialog::OnOK()
{
    EndModal(IDOK);
}

void UiDialog::OnCancel()
{
    EndModal(IDCANCEL);
}

void UiDialog::EndModal(INT_PTR iResult)
{
    EndDialog(DialogWnd, iResult);
}

const UiNotifyEntry* UiDialog::NotifyTable() const
{
    return kEmptyTable;
}

// DefDlgProcA calls this dialog's procedure first; the flag makes that one call answer
// "not handled", so the dialog manager goes on with its own processing.
LRESULT UiDialog::Default(const UiMessage& message)
{
    PassToDefault = true;
    LRESULT lResult = DefDlgProcA(DialogWnd, message.uMessage, message.wParam, message.lParam);
    PassToDefault = false;
    return lResult;
}

const UiNotifyEntry* UiDialog::FindEntry(UINT uMessage, UINT uCode, int iControlId) const
{
    for (const UiNotifyEntry* pEntry = NotifyTable(); pEntry->uMessage != 0; ++pEntry)
        if (pEntry->uMessage == uMessage && pEntry->uCode == uCode && pEntry->iControlId == iControlId)
            return pEntry;
    return nullptr;
}

// TRUE when a handler (or OK or Cancel) took the message.
INT_PTR UiDialog::Dispatch(UINT uMessage, WPARAM wParam, LPARAM lParam)
{
    UINT uCode = 0;
    int iControlId = 0;
    switch (uMessage) {
    case WM_COMMAND:
        uCode = HIWORD(wParam);
        iControlId = LOWORD(wParam);
        break;
    case WM_NOTIFY: {
        const NMHDR* pHeader = reinterpret_cast<const NMHDR*>(lParam);
        uCode = pHeader->code;
        iControlId = static_cast<int>(pHeader->idFrom);
        break;
    }
    case WM_SHOWWINDOW:
    case WM_PAINT:
        break;
    default:
        return FALSE;
    }
    const UiNotifyEntry* pEntry = FindEntry(uMessage, uCode, iControlId);
    if (pEntry != nullptr) {
        UiMessage message = { uMessage, wParam, lParam, 0 };
        (this->*pEntry->pHandler)(message);
        if (uMessage == WM_NOTIFY)
            SetWindowLongPtrA(DialogWnd, DWLP_MSGRESULT, message.lResult);
        return TRUE;
    }
    // Enter and Escape arrive as WM_COMMAND with IDOK and IDCANCEL and code 0, as the
    // buttons' clicks do; closing the window from its system menu comes as IDCANCEL too.
    if (uMessage == WM_COMMAND && uCode == BN_CLICKED && (iControlId == IDOK || iControlId == IDCANCEL)) {
        if (iControlId == IDOK)
            OnOK();
        else
            OnCancel();
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK UiDialog::DialogProc(HWND hWnd, UINT uMessage, WPARAM wParam, LPARAM lParam)
{
    if (uMessage == WM_INITDIALOG) {
        UiDialog* pDialog = reinterpret_cast<UiDialog*>(lParam);
        pDialog->DialogWnd = hWnd;
        SetWindowLongPtrA(hWnd, DWLP_USER, lParam);
        return TRUE;
    }
    // Messages before WM_INITDIALOG (WM_SETFONT, ...) find no dialog object yet.
    UiDialog* pDialog = reinterpret_cast<UiDialog*>(GetWindowLongPtrA(hWnd, DWLP_USER));
    if (pDialog == nullptr)
        return FALSE;
    if (pDialog->PassToDefault) {
        pDialog->PassToDefault = false;
        return FALSE;
    }
    return pDialog->Dispatch(uMessage, wParam, lParam);
}
