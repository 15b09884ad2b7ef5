#include "uiprobe.h"

#include "uiapp.h"
#include "uidialog.h"

#include <commctrl.h>

namespace {

UiProbeLog* ProbeLog()
{
    static UiProbeLog fallback;
    FARPROC pLog = GetProcAddress(GetModuleHandleA(nullptr), "gUiProbeLog");
    return pLog != nullptr ? reinterpret_cast<UiProbeLog*>(pLog) : &fallback;
}

void vRecord(int iEvent)
{
    UiProbeLog* pLog = ProbeLog();
    if (pLog->iEvents < kProbeMaxEvents)
        pLog->aiEvents[pLog->iEvents++] = iEvent;
}

class ProbeApp : public UiApp {
public:
    ~ProbeApp() override { ++ProbeLog()->iDestroyed; }
    bool InitInstance() override
    {
        ++ProbeLog()->iStartups;
        return !ProbeLog()->bFailStartup;
    }
    void ExitInstance() override { ++ProbeLog()->iExits; }
};

ProbeApp gApp;

class ProbeDialog : public UiDialog {
public:
    explicit ProbeDialog(int iTemplateId) : UiDialog(iTemplateId, nullptr) {}

protected:
    const UiNotifyEntry* NotifyTable() const override { return kTable; }
    void OnOK() override
    {
        vRecord(kProbeOK);
        UiProbeLog* pLog = ProbeLog();
        if (pLog->iRefuseOK > 0)
            --pLog->iRefuseOK;
        else
            UiDialog::OnOK();
    }

private:
    static const UiNotifyEntry kTable[];

    void OnShowWindow(UiMessage& message)
    {
        Default(message);
        vRecord(kProbeShow);
    }
    void OnPaint(UiMessage&)
    {
        ValidateRect(Window(), nullptr);
        vRecord(kProbePaint);
    }
    void OnPress(UiMessage&) { vRecord(kProbePress); }
    void OnEditChange(UiMessage&) { vRecord(kProbeEditChange); }
    void OnDeltapos(UiMessage& message)
    {
        vRecord(kProbeDeltapos);
        message.lResult = ProbeLog()->lDeltaposResult;
    }
};

const UiNotifyEntry ProbeDialog::kTable[] = {
    { WM_SHOWWINDOW, 0, 0, UI_HANDLER(ProbeDialog::OnShowWindow) },
    { WM_PAINT, 0, 0, UI_HANDLER(ProbeDialog::OnPaint) },
    { WM_COMMAND, BN_CLICKED, UIPROBE_PRESS, UI_HANDLER(ProbeDialog::OnPress) },
    { WM_COMMAND, EN_CHANGE, UIPROBE_EDIT, UI_HANDLER(ProbeDialog::OnEditChange) },
    { WM_NOTIFY, UDN_DELTAPOS, UIPROBE_SPIN, UI_HANDLER(ProbeDialog::OnDeltapos) },
    { 0, 0, 0, nullptr },
};

}  // namespace

extern "C" __declspec(dllexport) INT_PTR ProbeRunDialog(int iTemplateId)
{
    InitCommonControls();
    ProbeDialog dialog(iTemplateId);
    return dialog.DoModal();
}

extern "C" __declspec(dllexport) HINSTANCE ProbeInstance()
{
    return UiApp::Instance();
}
