// PENDING-MERGE
#include "themes/SkinPending.h"
HV_PUBLISH(TUiControlMargins) {}
HV_PUBLISH(TUiTextObject) {}
