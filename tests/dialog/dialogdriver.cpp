#include "dialogdriver.h"

#include "harness.h"

#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <sys/stat.h>

namespace dialogtest {

namespace {

const char kDialogTitle[] = "Windows NT Setup";
const DWORD kWaitMs = 10000;
const DWORD kPollMs = 20;

struct WindowSearch {
    const char* szTitle;      // null: any #32770 but the property dialog
    HWND hFound;
};

BOOL CALLBACK FindDialogWindow(HWND hWnd, LPARAM param)
{
    WindowSearch* search = reinterpret_cast<WindowSearch*>(param);
    char szClass[32] = "", szTitle[128] = "";
    GetClassNameA(hWnd, szClass, sizeof szClass);
    GetWindowTextA(hWnd, szTitle, sizeof szTitle);
    if (lstrcmpA(szClass, "#32770") != 0 || !IsWindowVisible(hWnd))
        return TRUE;
    bool match = search->szTitle != nullptr ? lstrcmpA(szTitle, search->szTitle) == 0
                                            : lstrcmpA(szTitle, kDialogTitle) != 0;
    if (match) {
        search->hFound = hWnd;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForWindow(DWORD threadId, const char* szTitle, DWORD timeoutMs)
{
    for (DWORD waited = 0; waited < timeoutMs; waited += kPollMs) {
        WindowSearch search = { szTitle, nullptr };
        EnumThreadWindows(threadId, FindDialogWindow, reinterpret_cast<LPARAM>(&search));
        if (search.hFound != nullptr)
            return search.hFound;
        Sleep(kPollMs);
    }
    return nullptr;
}

std::string WindowText(HWND hWnd)
{
    int length = GetWindowTextLengthA(hWnd);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    int copied = GetWindowTextA(hWnd, &text[0], length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

std::string ReadWholeFile(const std::string& path)
{
    return harness::ReadFileText(path);
}

}  // namespace

ShowPropFn LoadShowProp()
{
    static HMODULE hLibrary = LoadLibraryA((harness::BuildDir() + "\\nicprop\\nicprop.dll").c_str());
    if (hLibrary == nullptr)
        return nullptr;
    return reinterpret_cast<ShowPropFn>(reinterpret_cast<void*>(GetProcAddress(hLibrary, "ShowProp")));
}

std::string QuotedList(const std::vector<std::string>& items)
{
    std::string list = "{";
    for (size_t i = 0; i < items.size(); ++i)
        list += (i > 0 ? ",\"" : "\"") + items[i] + "\"";
    return list + "}";
}

DialogSession::DialogSession(const std::vector<std::string>& args) : m_args(args)
{
    for (std::string& arg : m_args)
        m_argPointers.push_back(&arg[0]);
    // Loaded here, as the INF interpreter loads it before its first call: a first load
    // on the worker, while this thread polls for windows, can deadlock in wine's loader.
    m_showProp = LoadShowProp();
    if (m_showProp == nullptr)
        return;
    StartCapture();
    m_hThread = CreateThread(nullptr, 0, Worker, this, 0, &m_threadId);
    if (m_hThread != nullptr)
        m_hDialog = WaitForWindow(m_threadId, kDialogTitle, kWaitMs);
}

DialogSession::~DialogSession()
{
    if (m_hThread != nullptr && !m_bReturned)
        Abandon();
    StopCapture();
    if (m_hThread != nullptr)
        CloseHandle(m_hThread);
}

DWORD WINAPI DialogSession::Worker(LPVOID param)
{
    DialogSession* session = static_cast<DialogSession*>(param);
    session->m_bResult = session->m_showProp(static_cast<DWORD>(session->m_argPointers.size()),
                                  session->m_argPointers.data(), const_cast<LPSTR*>(&session->m_pszResult));
    return 0;
}

// The library writes its trace through its own C runtime, crtdll.dll, whose file
// descriptors are its own: that runtime's descriptor 1 goes to a file for the session.
// Both runtimes of this process took the process's standard output handle for their
// descriptor 1, so while the library's is redirected that handle is protected from
// closing: the test's own output keeps going to it.
namespace {

struct LibraryRuntime {
    int (*pfnDup)(int);
    int (*pfnDup2)(int, int);
    int (*pfnOpen)(const char*, int, ...);
    int (*pfnClose)(int);
    int (*pfnFlush)(FILE*);
    intptr_t (*pfnOsHandle)(int);
};

template <typename Function>
void Bind(HMODULE hRuntime, const char* szName, Function*& pfn)
{
    pfn = reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(hRuntime, szName)));
}

bool BindLibraryRuntime(LibraryRuntime& runtime)
{
    HMODULE hRuntime = GetModuleHandleA("crtdll.dll");
    if (hRuntime == nullptr)
        return false;
    Bind(hRuntime, "_dup", runtime.pfnDup);
    Bind(hRuntime, "_dup2", runtime.pfnDup2);
    Bind(hRuntime, "_open", runtime.pfnOpen);
    Bind(hRuntime, "_close", runtime.pfnClose);
    Bind(hRuntime, "fflush", runtime.pfnFlush);
    Bind(hRuntime, "_get_osfhandle", runtime.pfnOsHandle);
    return runtime.pfnDup && runtime.pfnDup2 && runtime.pfnOpen && runtime.pfnClose && runtime.pfnFlush &&
           runtime.pfnOsHandle;
}

}  // namespace

void DialogSession::StartCapture()
{
    LibraryRuntime runtime;
    if (!BindLibraryRuntime(runtime))
        return;
    char szTemp[MAX_PATH] = "", szFile[MAX_PATH] = "";
    GetTempPathA(sizeof szTemp, szTemp);
    GetTempFileNameA(szTemp, "dlg", 0, szFile);
    m_tracePath = szFile;
    runtime.pfnFlush(nullptr);
    m_savedStdout = runtime.pfnDup(1);
    int fd = runtime.pfnOpen(szFile, _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd >= 0) {
        HANDLE hShared = reinterpret_cast<HANDLE>(runtime.pfnOsHandle(1));
        SetHandleInformation(hShared, HANDLE_FLAG_PROTECT_FROM_CLOSE, HANDLE_FLAG_PROTECT_FROM_CLOSE);
        runtime.pfnDup2(fd, 1);
        SetHandleInformation(hShared, HANDLE_FLAG_PROTECT_FROM_CLOSE, 0);
        runtime.pfnClose(fd);
    }
}

void DialogSession::StopCapture()
{
    LibraryRuntime runtime;
    if (m_savedStdout < 0 || !BindLibraryRuntime(runtime))
        return;
    runtime.pfnFlush(nullptr);
    runtime.pfnDup2(m_savedStdout, 1);
    runtime.pfnClose(m_savedStdout);
    m_savedStdout = -1;
    m_trace = ReadWholeFile(m_tracePath);
    DeleteFileA(m_tracePath.c_str());
}

bool DialogSession::WaitForReturn(DWORD timeoutMs)
{
    if (m_hThread == nullptr || WaitForSingleObject(m_hThread, timeoutMs) != WAIT_OBJECT_0)
        return false;
    m_bReturned = true;
    // Read only now, after the dialog object is gone: the text must outlive it.
    m_resultText = m_pszResult != nullptr ? m_pszResult : "(null)";
    StopCapture();
    return true;
}

// A test that failed half-way leaves the dialog open: answer its boxes and cancel it.
void DialogSession::Abandon()
{
    for (int attempt = 0; attempt < 5 && !m_bReturned; ++attempt) {
        HWND hBox = WaitForWindow(m_threadId, nullptr, 0);
        if (hBox != nullptr)
            PostMessageA(hBox, WM_COMMAND, IDOK, 0);
        if (m_hDialog != nullptr)
            PostMessageA(m_hDialog, WM_COMMAND, IDCANCEL, 0);
        WaitForReturn(kWaitMs / 5);
    }
    if (!m_bReturned)
        TerminateThread(m_hThread, 1);
}

void DialogSession::SelectProperty(int index)
{
    SendMessageA(Item(4000), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(m_hDialog, WM_COMMAND, MAKEWPARAM(4000, LBN_SELCHANGE), reinterpret_cast<LPARAM>(Item(4000)));
}

void DialogSession::PostSelectProperty(int index)
{
    SendMessageA(Item(4000), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    PostMessageA(m_hDialog, WM_COMMAND, MAKEWPARAM(4000, LBN_SELCHANGE), reinterpret_cast<LPARAM>(Item(4000)));
}

void DialogSession::SelectChoice(int index)
{
    SendMessageA(Item(4001), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(m_hDialog, WM_COMMAND, MAKEWPARAM(4001, CBN_SELCHANGE), reinterpret_cast<LPARAM>(Item(4001)));
}

void DialogSession::Click(int id)
{
    SendMessageA(Item(id), BM_CLICK, 0, 0);
}

void DialogSession::PostClick(int id)
{
    PostMessageA(Item(id), BM_CLICK, 0, 0);
}

void DialogSession::SpinKey(int virtualKey)
{
    SendMessageA(Item(4008), WM_KEYDOWN, static_cast<WPARAM>(virtualKey), 1);
    SendMessageA(Item(4008), WM_KEYUP, static_cast<WPARAM>(virtualKey), 0xC0000001);
}

void DialogSession::SetText(int id, const std::string& text)
{
    SendMessageA(Item(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void DialogSession::Type(int id, const std::string& characters)
{
    for (char c : characters)
        SendMessageA(Item(id), WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(c)), 1);
}

std::string DialogSession::Text(int id) const
{
    return WindowText(Item(id));
}

std::vector<std::string> DialogSession::ListEntries() const
{
    std::vector<std::string> entries;
    int count = static_cast<int>(SendMessageA(Item(4000), LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        int length = static_cast<int>(SendMessageA(Item(4000), LB_GETTEXTLEN, static_cast<WPARAM>(i), 0));
        std::string entry(static_cast<size_t>(length) + 1, '\0');
        SendMessageA(Item(4000), LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&entry[0]));
        entry.resize(static_cast<size_t>(length));
        entries.push_back(entry);
    }
    return entries;
}

std::vector<std::string> DialogSession::ComboEntries() const
{
    std::vector<std::string> entries;
    int count = static_cast<int>(SendMessageA(Item(4001), CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        int length = static_cast<int>(SendMessageA(Item(4001), CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0));
        std::string entry(static_cast<size_t>(length) + 1, '\0');
        SendMessageA(Item(4001), CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&entry[0]));
        entry.resize(static_cast<size_t>(length));
        entries.push_back(entry);
    }
    return entries;
}

int DialogSession::ListSelection() const
{
    return static_cast<int>(SendMessageA(Item(4000), LB_GETCURSEL, 0, 0));
}

int DialogSession::ComboSelection() const
{
    return static_cast<int>(SendMessageA(Item(4001), CB_GETCURSEL, 0, 0));
}

bool DialogSession::Visible(int id) const
{
    return IsWindowVisible(Item(id)) != FALSE;
}

bool DialogSession::Enabled(int id) const
{
    return IsWindowEnabled(Item(id)) != FALSE;
}

bool DialogSession::Checked(int id) const
{
    return IsDlgButtonChecked(m_hDialog, id) == BST_CHECKED;
}

bool DialogSession::Open() const
{
    return !m_bReturned && m_hDialog != nullptr && IsWindow(m_hDialog) && IsWindowVisible(m_hDialog);
}

BoxSeen DialogSession::AnswerBox()
{
    BoxSeen seen;
    HWND hBox = WaitForWindow(m_threadId, nullptr, kWaitMs);
    if (hBox == nullptr)
        return seen;
    seen.shown = true;
    seen.caption = WindowText(hBox);
    seen.text = WindowText(GetDlgItem(hBox, 0xFFFF));
    SendMessageA(GetDlgItem(hBox, IDOK), BM_CLICK, 0, 0);
    for (DWORD waited = 0; IsWindow(hBox) && waited < kWaitMs; waited += kPollMs)
        Sleep(kPollMs);
    return seen;
}

void DialogSession::Finish(int button)
{
    PostClick(button);
    WaitForReturn(kWaitMs);
}

}  // namespace dialogtest
