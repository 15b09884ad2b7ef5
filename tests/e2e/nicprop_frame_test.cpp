// nicprop.dll's frame under wine: the exports by name and by ordinal, repeated loading
// and freeing, and the UI layer it is built on (through the uiprobe test DLL): start-up
// and exit steps per load, the module's own resources, and the notification table.
#include "harness.h"
#include "uiprobe.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

extern "C" __declspec(dllexport) UiProbeLog gUiProbeLog;
UiProbeLog gUiProbeLog;

namespace {

const int kLoads = 1000;
const DWORD kWindowWaitMs = 10000;

std::string NicpropPath()
{
    return harness::BuildDir() + "\\nicprop\\nicprop.dll";
}

std::string UiprobePath()
{
    return harness::BuildDir() + "\\tests\\e2e\\uiprobe\\uiprobe.dll";
}

// Bytes in use on every heap of the process: grows with anything a load leaves behind.
SIZE_T BusyHeapBytes()
{
    HANDLE aHeaps[256];
    DWORD dwHeaps = GetProcessHeaps(256, aHeaps);
    SIZE_T uBusy = 0;
    for (DWORD i = 0; i < dwHeaps && i < 256; ++i) {
        HeapLock(aHeaps[i]);
        PROCESS_HEAP_ENTRY entry = {};
        while (HeapWalk(aHeaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                uBusy += entry.cbData;
        HeapUnlock(aHeaps[i]);
    }
    return uBusy;
}

// The value a new handle gets: the lowest free slot, so it moves up by as many handles
// as are left open in between (wine's GetProcessHandleCount gives no count to compare).
ULONG_PTR NextHandleValue()
{
    HANDLE hEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    CloseHandle(hEvent);
    return reinterpret_cast<ULONG_PTR>(hEvent);
}

void LoadAndFree(const std::string& path, int iTimes)
{
    for (int i = 0; i < iTimes; ++i) {
        HMODULE hModule = LoadLibraryA(path.c_str());
        ASSERT_NE(hModule, nullptr) << path << " load " << i << " error " << GetLastError();
        ASSERT_TRUE(FreeLibrary(hModule)) << "free " << i;
    }
}

TEST(NicpropExports, EachExportByNameIsTheOneByOrdinal)
{
    HMODULE hModule = LoadLibraryA(NicpropPath().c_str());
    ASSERT_NE(hModule, nullptr) << "error " << GetLastError();
    struct Case { const char* name; WORD ordinal; } cases[] = {
        { "ShowProp", 1 }, { "GetSubID", 2 }, { "GetRevID", 3 },
    };
    for (const Case& c : cases) {
        FARPROC byName = GetProcAddress(hModule, c.name);
        FARPROC byOrdinal = GetProcAddress(hModule, MAKEINTRESOURCEA(c.ordinal));
        EXPECT_NE(byName, nullptr) << c.name;
        EXPECT_EQ(byName, byOrdinal) << c.name << " by name and by ordinal " << c.ordinal;
    }
    EXPECT_EQ(GetProcAddress(hModule, MAKEINTRESOURCEA(4)), nullptr);
    EXPECT_EQ(GetProcAddress(hModule, "_ShowProp@12"), nullptr);
    EXPECT_EQ(GetProcAddress(hModule, "ShowProp@12"), nullptr);

    const BYTE* pbyImage = reinterpret_cast<const BYTE*>(hModule);
    const IMAGE_NT_HEADERS* pNt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        pbyImage + reinterpret_cast<const IMAGE_DOS_HEADER*>(pbyImage)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& exportDir = pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    const IMAGE_EXPORT_DIRECTORY* pExports =
        reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(pbyImage + exportDir.VirtualAddress);
    EXPECT_EQ(pExports->Base, 1u);
    EXPECT_EQ(pExports->NumberOfFunctions, 3u);
    EXPECT_EQ(pExports->NumberOfNames, 3u);
    EXPECT_EQ(pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_TLS].VirtualAddress, 0u);
    FreeLibrary(hModule);
}

TEST(NicpropLoad, ThousandLoadsLeaveNoHandlesOrMemoryBehind)
{
    LoadAndFree(NicpropPath(), 20);   // whatever the loader keeps after a first load
    ULONG_PTR uNextHandle = NextHandleValue();
    SIZE_T uBusy = BusyHeapBytes();
    LoadAndFree(NicpropPath(), kLoads);
    EXPECT_EQ(NextHandleValue(), uNextHandle);
    // Less than one byte per load: any leak of the library's own shows up whole.
    EXPECT_LT(BusyHeapBytes(), uBusy + kLoads) << "before " << uBusy;
}

class UiProbe : public ::testing::Test {
protected:
    // Kept loaded, so that each probe load does not load and free comctl32 as well.
    static void SetUpTestSuite() { LoadLibraryA("comctl32.dll"); }
    void SetUp() override { gUiProbeLog = UiProbeLog(); }
};

TEST_F(UiProbe, StartUpAndExitRunOncePerLoad)
{
    for (int i = 0; i < kLoads; ++i) {
        HMODULE hModule = LoadLibraryA(UiprobePath().c_str());
        ASSERT_NE(hModule, nullptr) << "load " << i << " error " << GetLastError();
        ASSERT_EQ(gUiProbeLog.iStartups, i + 1) << "load " << i;
        ASSERT_EQ(gUiProbeLog.iExits, i) << "load " << i;
        FreeLibrary(hModule);
        ASSERT_EQ(gUiProbeLog.iExits, i + 1) << "load " << i;
        ASSERT_EQ(gUiProbeLog.iDestroyed, i + 1) << "load " << i;
    }
}

TEST_F(UiProbe, FailedStartUpFailsTheLoadAfterOneExitStep)
{
    gUiProbeLog.bFailStartup = true;
    SetLastError(0xdeadbeef);
    EXPECT_EQ(LoadLibraryA(UiprobePath().c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DLL_INIT_FAILED));
    EXPECT_EQ(gUiProbeLog.iStartups, 1);
    EXPECT_EQ(gUiProbeLog.iExits, 1);
    EXPECT_EQ(gUiProbeLog.iDestroyed, 1);
}

typedef INT_PTR (*RunDialogProc)(int);
typedef HINSTANCE (*InstanceProc)();

template <typename Proc>
Proc Export(HMODULE hModule, const char* szName)
{
    return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(hModule, szName)));
}

HWND WaitForProbeDialog()
{
    for (DWORD dwWaited = 0; dwWaited < kWindowWaitMs; dwWaited += 10) {
        HWND hDialog = FindWindowA("#32770", UIPROBE_CAPTION);
        if (hDialog != nullptr && IsWindowVisible(hDialog))
            return hDialog;
        Sleep(10);
    }
    return nullptr;
}

// Runs the probe dialog on this thread while pfnDrive works it from another one.
INT_PTR RunDriven(HMODULE hProbe, void (*pfnDrive)(HWND))
{
    struct Driver {
        void (*pfnDrive)(HWND);
        static DWORD WINAPI Main(LPVOID pParam)
        {
            HWND hDialog = WaitForProbeDialog();
            if (hDialog != nullptr)
                static_cast<Driver*>(pParam)->pfnDrive(hDialog);
            return 0;
        }
    } driver = { pfnDrive };
    HANDLE hThread = CreateThread(nullptr, 0, Driver::Main, &driver, 0, nullptr);
    RunDialogProc pfnRun = Export<RunDialogProc>(hProbe, "ProbeRunDialog");
    INT_PTR iResult = pfnRun(UIPROBE_DIALOG);
    WaitForSingleObject(hThread, kWindowWaitMs);
    CloseHandle(hThread);
    return iResult;
}

std::vector<int> EventsWithoutPaint()
{
    std::vector<int> events;
    for (int i = 0; i < gUiProbeLog.iEvents; ++i)
        if (gUiProbeLog.aiEvents[i] != kProbePaint)
            events.push_back(gUiProbeLog.aiEvents[i]);
    return events;
}

int Count(int iEvent)
{
    int iCount = 0;
    for (int i = 0; i < gUiProbeLog.iEvents; ++i)
        iCount += gUiProbeLog.aiEvents[i] == iEvent;
    return iCount;
}

TEST_F(UiProbe, TheTemplateComesFromTheDllsOwnResources)
{
    HMODULE hProbe = LoadLibraryA(UiprobePath().c_str());
    ASSERT_NE(hProbe, nullptr);
    InstanceProc pfnInstance = Export<InstanceProc>(hProbe, "ProbeInstance");
    EXPECT_EQ(pfnInstance(), hProbe);
    RunDialogProc pfnRun = Export<RunDialogProc>(hProbe, "ProbeRunDialog");
    EXPECT_EQ(pfnRun(UIPROBE_DIALOG + 1), -1) << "a template that the module does not hold";
    FreeLibrary(hProbe);
}

TEST_F(UiProbe, TheTableRoutesEachNotificationToItsHandler)
{
    HMODULE hProbe = LoadLibraryA(UiprobePath().c_str());
    ASSERT_NE(hProbe, nullptr);
    gUiProbeLog.iRefuseOK = 1;
    gUiProbeLog.lDeltaposResult = 1;   // nonzero: the up-down control must not move
    static LRESULT lRefusedPos, lAcceptedPos;
    static BOOL bStillOpen, bPaintPending;
    INT_PTR iResult = RunDriven(hProbe, [](HWND hDialog) {
        SendDlgItemMessageA(hDialog, UIPROBE_PRESS, BM_CLICK, 0, 0);
        SetDlgItemTextA(hDialog, UIPROBE_EDIT, "x");
        HWND hSpin = GetDlgItem(hDialog, UIPROBE_SPIN);
        HWND hSpinEdit = GetDlgItem(hDialog, UIPROBE_SPIN_EDIT);
        SendMessageA(hSpin, UDM_SETRANGE32, 0, 10);
        SendMessageA(hSpin, UDM_SETPOS32, 0, 5);
        SendMessageA(hSpinEdit, WM_KEYDOWN, VK_UP, 0);
        SendMessageA(hSpinEdit, WM_KEYUP, VK_UP, 0);
        lRefusedPos = SendMessageA(hSpin, UDM_GETPOS32, 0, 0);
        gUiProbeLog.lDeltaposResult = 0;
        SendMessageA(hSpinEdit, WM_KEYDOWN, VK_UP, 0);
        SendMessageA(hSpinEdit, WM_KEYUP, VK_UP, 0);
        lAcceptedPos = SendMessageA(hSpin, UDM_GETPOS32, 0, 0);
        InvalidateRect(hDialog, nullptr, TRUE);
        UpdateWindow(hDialog);
        RECT rect;
        bPaintPending = GetUpdateRect(hDialog, &rect, FALSE);
        SendMessageA(hDialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(hDialog, IDOK)));
        bStillOpen = IsWindow(hDialog);
        SendDlgItemMessageA(hDialog, IDOK, BM_CLICK, 0, 0);
    });
    EXPECT_EQ(iResult, IDOK);
    std::vector<int> expected = { kProbeShow, kProbePress, kProbeEditChange, kProbeDeltapos,
                                  kProbeDeltapos, kProbeOK, kProbeOK };
    EXPECT_EQ(EventsWithoutPaint(), expected);
    EXPECT_EQ(lRefusedPos, 5) << "UDN_DELTAPOS answered 1 must stop the move";
    EXPECT_EQ(lAcceptedPos, 6) << "UDN_DELTAPOS answered 0 lets it go ahead";
    EXPECT_GE(Count(kProbePaint), 1);
    EXPECT_FALSE(bPaintPending) << "the paint handler validated the region";
    EXPECT_TRUE(bStillOpen) << "an OnOK that does not end the dialog keeps it open";
    FreeLibrary(hProbe);
}

TEST_F(UiProbe, CancelAndClosingEndTheDialogWithTwo)
{
    HMODULE hProbe = LoadLibraryA(UiprobePath().c_str());
    ASSERT_NE(hProbe, nullptr);
    struct Case { const char* name; void (*pfnDrive)(HWND); INT_PTR result; } cases[] = {
        { "Cancel button", [](HWND h) { SendDlgItemMessageA(h, IDCANCEL, BM_CLICK, 0, 0); }, IDCANCEL },
        { "Escape", [](HWND h) { SendMessageA(h, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0); }, IDCANCEL },
        { "close box", [](HWND h) { SendMessageA(h, WM_CLOSE, 0, 0); }, IDCANCEL },
        { "OK button", [](HWND h) { SendDlgItemMessageA(h, IDOK, BM_CLICK, 0, 0); }, IDOK },
    };
    for (const Case& c : cases) {
        gUiProbeLog = UiProbeLog();
        EXPECT_EQ(RunDriven(hProbe, c.pfnDrive), c.result) << c.name;
        EXPECT_EQ(Count(kProbeShow), 1) << c.name;
    }
    FreeLibrary(hProbe);
}

}  // namespace
