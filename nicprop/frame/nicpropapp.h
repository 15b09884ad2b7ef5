// NicPropApp: nicprop's application object, one static instance per process, made when
// the INF script loads the library and destroyed when it frees it.  It handles no
// commands; its start-up step only has to succeed.
#pragma once
#include "uiapp.h"

class NicPropApp : public UiApp {
public:
    bool InitInstance() override;
};
