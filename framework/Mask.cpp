// The masked edit.
#include "framework/Mask.h"

HV_PUBLISH(TCustomMaskEdit) {}

HV_PUBLISH(TMaskEdit) {
  p.Prop("AutoSelect", &T::AutoSelect, &T::SetAutoSelect).Default(1);
  p.Prop("BorderStyle", &T::BorderStyle, &T::SetBorderStyle).Default(bsSingle);
  p.Prop("EditMask", &T::EditMask, &T::SetEditMask);
  p.Prop("MaxLength", &T::MaxLength, &T::SetMaxLength).Default(0);
  p.Prop("ReadOnly", &T::ReadOnly, &T::SetReadOnly).Default(0);
  p.Prop("Text", &T::Text, &T::SetText);
  p.Event("OnChange", &T::OnChange);
}
