// The size limits of a control.
#include "framework/SizeConstraints.h"

#include <algorithm>

#include "framework/Controls.h"

HV_PUBLISH(TSizeConstraints) {
  p.Prop("MaxHeight", &T::MaxHeight, &T::SetMaxHeight).Default(0);
  p.Prop("MaxWidth", &T::MaxWidth, &T::SetMaxWidth).Default(0);
  p.Prop("MinHeight", &T::MinHeight, &T::SetMinHeight).Default(0);
  p.Prop("MinWidth", &T::MinWidth, &T::SetMinWidth).Default(0);
}

void TSizeConstraints::Assign(TPersistent* Source) {
  auto* other = dynamic_cast<TSizeConstraints*>(Source);
  if (!other) {
    inherited::Assign(Source);
    return;
  }
  maxHeight_ = other->maxHeight_;
  maxWidth_ = other->maxWidth_;
  minHeight_ = other->minHeight_;
  minWidth_ = other->minWidth_;
  Change();
}

// A maximum below the minimum pulls the minimum down with it, and the other way round.
void TSizeConstraints::SetMaxHeight(int Value) {
  Value = std::max(Value, 0);
  if (Value == maxHeight_) return;
  maxHeight_ = Value;
  if (maxHeight_ > 0 && maxHeight_ < minHeight_) minHeight_ = maxHeight_;
  Change();
}

void TSizeConstraints::SetMaxWidth(int Value) {
  Value = std::max(Value, 0);
  if (Value == maxWidth_) return;
  maxWidth_ = Value;
  if (maxWidth_ > 0 && maxWidth_ < minWidth_) minWidth_ = maxWidth_;
  Change();
}

void TSizeConstraints::SetMinHeight(int Value) {
  Value = std::max(Value, 0);
  if (Value == minHeight_) return;
  minHeight_ = Value;
  if (maxHeight_ > 0 && minHeight_ > maxHeight_) maxHeight_ = minHeight_;
  Change();
}

void TSizeConstraints::SetMinWidth(int Value) {
  Value = std::max(Value, 0);
  if (Value == minWidth_) return;
  minWidth_ = Value;
  if (maxWidth_ > 0 && minWidth_ > maxWidth_) maxWidth_ = minWidth_;
  Change();
}

void TSizeConstraints::Constrain(int& Width, int& Height) const {
  if (maxWidth_ > 0 && Width > maxWidth_) Width = maxWidth_;
  if (minWidth_ > 0 && Width < minWidth_) Width = minWidth_;
  if (maxHeight_ > 0 && Height > maxHeight_) Height = maxHeight_;
  if (minHeight_ > 0 && Height < minHeight_) Height = minHeight_;
}

TPersistent* TSizeConstraints::GetOwner() { return control_; }

void TSizeConstraints::Change() {
  if (OnChange) OnChange(this);
}
