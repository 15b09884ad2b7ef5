// UiDialog: a modal dialog built from a dialog template in the module's own resources.
// A derived dialog lists its handlers in a static notification table (message,
// notification code, control id, member handler), which routes WM_COMMAND, WM_NOTIFY,
// WM_SHOWWINDOW and WM_PAINT to them; OK and Cancel end the dialog with 1 and 2 unless
// the derived dialog overrides OnOK or OnCancel.
#pragma once
#include <windows.h>

class UiDialog;

// What a handler sees of one message.  A WM_NOTIFY handler sets lResult, which the
// dialog hands back to the control (for UDN_DELTAPOS, 0 lets the change go ahead).
struct UiMessage {
    UINT uMessage;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT lResult;
};

typedef void (UiDialog::*UiHandler)(UiMessage& message);

// A derived class's handler, as the table stores it.
#define UI_HANDLER(memberFunction) static_cast<UiHandler>(&memberFunction)

// One row of a notification table.  WM_COMMAND rows match the notification code and the
// control id of wParam, WM_NOTIFY rows the code and idFrom of the NMHDR; WM_SHOWWINDOW
// and WM_PAINT rows come from the dialog itself and give code 0 and id 0.  A table ends
// with a row whose message is 0.
struct UiNotifyEntry {
    UINT uMessage;
    UINT uCode;              // UINT as in NMHDR: UDN_DELTAPOS and its kind are negative
    int iControlId;
    UiHandler pHandler;
};

class UiDialog {
public:
    // The template is looked up in the application's module (UiApp::Instance()).
    UiDialog(int iTemplateId, HWND hParent);
    virtual ~UiDialog();

    // Runs the dialog modally: the value given to EndDialog (1 for OK, 2 for Cancel), or
    // -1 (or 0) when the dialog cannot be created, as DialogBoxParamA reports it.
    INT_PTR DoModal();

    HWND Window() const;             // null outside DoModal
    HWND Control(int iControlId) const;

protected:
    virtual void OnOK();             // ends the modal run with 1
    virtual void OnCancel();         // ends the modal run with 2
    void EndModal(INT_PTR iResult);

    // The derived dialog's table; the default is empty.
    virtual const UiNotifyEntry* NotifyTable() const;

    // Lets the dialog manager do its own processing of the message being handled, now,
    // from inside a handler (for example before a set-up that relies on it).
    LRESULT Default(const UiMessage& message);

private:
    int TemplateId;
    HWND ParentWnd;
    HWND DialogWnd;
    bool PassToDefault;           // the next message goes to the dialog manager only

    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT uMessage, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT uMessage, WPARAM wParam, LPARAM lParam);
    const UiNotifyEntry* FindEntry(UINT uMessage, UINT uCode, int iControlId) const;

    UiDialog(const UiDialog&) = delete;
    UiDialog& operator=(const UiDialog&) = delete;
};
