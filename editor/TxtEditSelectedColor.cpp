// The selection colours: each change is reported through OnChange.
#include "editor/TxtEditSelectedColor.h"

#include "editor/TxtEditTypes.h"

HV_PUBLISH(TTxtSelectedColor) {
  p.Prop("Background", &T::Background, &T::SetBackground).Default(clHighlight);
  p.Prop("Foreground", &T::Foreground, &T::SetForeground).Default(clHighlightText);
}

void TTxtSelectedColor::Changed() {
  if (OnChange) OnChange(this);
}

void TTxtSelectedColor::SetBackground(TColor Value) {
  if (TxtEditReplace(background_, Value)) Changed();
}

void TTxtSelectedColor::SetForeground(TColor Value) {
  if (TxtEditReplace(foreground_, Value)) Changed();
}

void TTxtSelectedColor::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TTxtSelectedColor*>(Source);
  if (!src) {
    inherited::Assign(Source);
    return;
  }
  background_ = src->background_;
  foreground_ = src->foreground_;
  Changed();
}
