// PENDING-MERGE
#include "themes/SkinPending.h"
HV_PUBLISH(TFontSettings) {}
HV_PUBLISH(TUiControlMargins) {}
HV_PUBLISH(TUiTextObject) {}
