// The main window of the editor.
#include "app/MainFrm.h"

TMainForm* MainForm = nullptr;

HV_PUBLISH(TMainForm) {}
