// Times ShowProp of nicprop.dll from its call until its dialog is ready - set up and
// shown - against DialogBoxParamA of the same template 4000 with a procedure that does
// nothing: the floor holds the cost of the template's controls, so the ratio is what
// ShowProp itself adds.  A hook on this thread notes the moment the top-level dialog has
// handled its WM_SHOWWINDOW, then cancels it.  Also timed, for information: an empty
// template of the same size and style, which shows what the controls alone cost.
#include "benchtime.h"
#include "harness.h"

#include <string>
#include <vector>

namespace {

const int kEmptyTemplate = 1;   // dialogbench.rc
const int kPropertyTemplate = 4000;   // nicprop.dll's dialog
const char kDialogClass[] = "#32770";

typedef BOOL(WINAPI* ShowPropFn)(DWORD dwCount, LPSTR aszArgs[], LPSTR* pszResult);

HHOOK ghHook;
double gdReady;

LRESULT CALLBACK AfterMessage(int iCode, WPARAM wParam, LPARAM lParam)
{
    const CWPRETSTRUCT* pMessage = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    char szClass[16] = "";
    if (iCode == HC_ACTION && pMessage->message == WM_SHOWWINDOW && pMessage->wParam &&
        GetAncestor(pMessage->hwnd, GA_ROOT) == pMessage->hwnd &&
        GetClassNameA(pMessage->hwnd, szClass, sizeof szClass) > 0 && lstrcmpA(szClass, kDialogClass) == 0 &&
        gdReady == 0) {
        gdReady = bench::Seconds();
        PostMessageA(pMessage->hwnd, WM_COMMAND, IDCANCEL, 0);
    }
    return CallNextHookEx(ghHook, iCode, wParam, lParam);
}

INT_PTR CALLBACK EmptyDialogProc(HWND hDialog, UINT uMessage, WPARAM wParam, LPARAM)
{
    if (uMessage == WM_INITDIALOG)
        return TRUE;
    if (uMessage == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        EndDialog(hDialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

std::string QuotedList(const std::vector<std::string>& items)
{
    std::string list = "{";
    for (size_t i = 0; i < items.size(); ++i)
        list += (i > 0 ? ",\"" : "\"") + items[i] + "\"";
    return list + "}";
}

// The properties of a typical adapter: choices, numbers and a network address.
std::vector<std::string> AdapterProperties()
{
    return {
        QuotedList({ "Connection Type", "Flow Control", "Link Speed Check", "Receive Buffers",
                     "Transmit Buffers", "Network Address", "Early Receive", "Wake On LAN" }),
        QuotedList({ "0", "1", "1", "64", "32", "000000000000", "0", "1" }),
        QuotedList({ "0,1,2,3,4", "0,1", "0,1", "16,256", "8,128", "", "0,1", "0,1" }),
        QuotedList({ "Auto,10Mbps/Half,10Mbps/Full,100Mbps/Half,100Mbps/Full", "Off,On", "Off,On", "", "", "",
                     "Off,On", "Off,On" }),
        QuotedList({ "enum", "enum", "enum", "int", "int", "edit", "enum", "enum" }),
        "nicprop.hlp",
    };
}

// Seconds from the call until the dialog is ready; negative when it never was.
template <typename Call>
double SecondsUntilReady(Call call)
{
    gdReady = 0;
    double dStart = bench::Seconds();
    call();
    return gdReady > 0 ? gdReady - dStart : -1.0;
}

}  // namespace

int main(int argc, char** argv)
{
    int iRuns = bench::Runs(argc, argv);
    HMODULE hLibrary = LoadLibraryA((harness::BuildDir() + "\\nicprop\\nicprop.dll").c_str());
    ShowPropFn pfnShowProp =
        hLibrary ? reinterpret_cast<ShowPropFn>(reinterpret_cast<void*>(GetProcAddress(hLibrary, "ShowProp"))) : nullptr;
    if (pfnShowProp == nullptr)
        return bench::Unmeasurable("nicprop.dll or its ShowProp cannot be loaded");
    ghHook = SetWindowsHookExA(WH_CALLWNDPROCRET, AfterMessage, nullptr, GetCurrentThreadId());

    std::vector<std::string> args = AdapterProperties();
    std::vector<LPSTR> argPointers;
    for (std::string& arg : args)
        argPointers.push_back(&arg[0]);
    auto showProp = [&] {
        LPSTR pszResult = nullptr;
        pfnShowProp(static_cast<DWORD>(argPointers.size()), argPointers.data(), &pszResult);
    };
    auto emptyDialog = [] {
        DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kEmptyTemplate), nullptr, EmptyDialogProc, 0);
    };
    auto templateOnly = [&] {
        DialogBoxParamA(hLibrary, MAKEINTRESOURCEA(kPropertyTemplate), nullptr, EmptyDialogProc, 0);
    };
    // One of each first: the first dialog of a process loads what every later one shares.
    if (SecondsUntilReady(showProp) < 0 || SecondsUntilReady(templateOnly) < 0)
        return bench::Unmeasurable("ShowProp or the bare template 4000 never showed a dialog");
    for (int iRun = 0; iRun < iRuns; ++iRun) {
        double dOperation = SecondsUntilReady(showProp);
        double dFloor = SecondsUntilReady(templateOnly);
        double dEmpty = SecondsUntilReady(emptyDialog);
        if (dOperation < 0 || dFloor < 0)
            return bench::Unmeasurable("ShowProp or the bare template 4000 never showed a dialog");
        bench::Report("operation", dOperation);
        bench::Report("floor", dFloor);
        if (dEmpty > 0)
            bench::Report("empty-template", dEmpty);
    }
    UnhookWindowsHookEx(ghHook);
    return 0;
}
