// A test DLL built on nicprop's UI layer, with an application object and a dialog whose
// notification table routes every kind of notification the layer knows.  It records
// what happened into a log that the loading test program exports as gUiProbeLog.
#pragma once

#define UIPROBE_DIALOG 100
#define UIPROBE_PRESS 10
#define UIPROBE_EDIT 11
#define UIPROBE_SPIN_EDIT 12
#define UIPROBE_SPIN 13
#define UIPROBE_CAPTION "UiProbe"

#ifndef RC_INVOKED
enum UiProbeEvent {
    kProbeShow = 1,
    kProbePaint,
    kProbePress,
    kProbeEditChange,
    kProbeDeltapos,
    kProbeOK,
};

const int kProbeMaxEvents = 64;

struct UiProbeLog {
    int iStartups;
    int iExits;
    int iDestroyed;          // application objects destroyed
    bool bFailStartup;       // the next start-up step reports failure
    int iRefuseOK;           // OK presses to turn down before ending the dialog
    long lDeltaposResult;    // what the up-down handler answers
    int iEvents;
    int aiEvents[kProbeMaxEvents];
};
#endif
