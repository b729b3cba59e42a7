// The extended control bases: the parts that are not templates.
#include "controls/ApExControls.h"

HV_PUBLISH(TApExCustomControl) {}
HV_PUBLISH(TApExGraphicControl) {}

LPARAM ShiftStateToKeyData(TShiftState Shift) {
  LPARAM data = 0;
  if (Shift.Contains(ssAlt)) data += 0x20000000;
  if (Shift.Contains(ssCtrl)) data += 0x10000000;
  if (Shift.Contains(ssShift)) data += 0x08000000;
  return data;
}

TColor ResolveHintColor(TControl* Control, TColor HintColor, const THintInfo& Info) {
  TColor application = Application ? Application->HintColor() : clInfoBk;
  if (HintColor == clNone) return application;
  if (HintColor != clDefault) return HintColor;
  // A form has no parent to ask: the application's colour stands.
  TWinControl* parent = Control->Parent();
  if (!parent) return application;
  THintInfo copy = Info;
  copy.HintColor = application;
  parent->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&copy));
  return copy.HintColor;
}
