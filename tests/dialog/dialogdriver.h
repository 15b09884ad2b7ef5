// Drives the real Advanced property dialog from inside the test process: ShowProp runs
// on a worker thread of its own, as the INF interpreter's thread would run it, while
// the test thread finds the dialog and sends it the messages a user's actions produce.
// Standard output is captured meanwhile, so the dialog's trace lines can be checked.
// Every wait is bounded; a session left open is cancelled when it ends.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace dialogtest {

// ShowProp of nicprop.dll from the build folder.
typedef BOOL(WINAPI* ShowPropFn)(DWORD, LPSTR*, LPSTR*);
ShowPropFn LoadShowProp();

struct BoxSeen {
    bool shown = false;
    std::string caption;
    std::string text;
};

class DialogSession {
public:
    // Calls ShowProp with the texts (a count of args.size()) and waits for the dialog.
    explicit DialogSession(const std::vector<std::string>& args);
    ~DialogSession();

    HWND Dialog() const { return m_hDialog; }
    HWND Item(int id) const { return GetDlgItem(m_hDialog, id); }

    // What a user does.
    void SelectProperty(int index);          // click on a list entry
    void PostSelectProperty(int index);      // the same, when it may show a message box
    void SelectChoice(int index);            // pick a combo entry
    void Click(int id);                      // a button or radio
    void PostClick(int id);                  // the same, when it may show a message box
    void SpinKey(int virtualKey);            // VK_UP or VK_DOWN on the spin edit
    void SetText(int id, const std::string& text);
    void Type(int id, const std::string& characters);   // one WM_CHAR per character

    // What the user sees.
    std::string Text(int id) const;
    std::vector<std::string> ListEntries() const;
    std::vector<std::string> ComboEntries() const;
    int ListSelection() const;
    int ComboSelection() const;
    bool Visible(int id) const;
    bool Enabled(int id) const;
    bool Checked(int id) const;
    bool Open() const;

    // Waits for a message box of the dialog's thread, reads it and answers OK.
    BoxSeen AnswerBox();

    // Posts a click on OK or Cancel and waits for ShowProp to return.
    void Finish(int button);
    bool Returned() const { return m_bReturned; }
    BOOL Result() const { return m_bResult; }
    std::string ResultText() const { return m_resultText; }
    std::string Trace() const { return m_trace; }   // standard output while the dialog ran

private:
    std::vector<std::string> m_args;
    std::vector<char*> m_argPointers;
    ShowPropFn m_showProp = nullptr;
    HANDLE m_hThread = nullptr;
    DWORD m_threadId = 0;
    HWND m_hDialog = nullptr;
    bool m_bReturned = false;
    BOOL m_bResult = FALSE;
    const char* m_pszResult = nullptr;
    std::string m_resultText;
    std::string m_trace;
    int m_savedStdout = -1;
    std::string m_tracePath;

    static DWORD WINAPI Worker(LPVOID param);
    void StartCapture();
    void StopCapture();
    bool WaitForReturn(DWORD timeoutMs);
    void Abandon();
};

// Quoted list from items: {"a","b"}.
std::string QuotedList(const std::vector<std::string>& items);

}  // namespace dialogtest
