// The masked edit: an edit whose EditMask describes the text it accepts. The mask is kept and
// stored; the text is edited as in a plain edit.
#pragma once

#include "framework/StdCtrls.h"

class TCustomMaskEdit : public TCustomEdit {
  HV_CLASS(TCustomMaskEdit, TCustomEdit)
 public:
  explicit TCustomMaskEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}

  const WideString& EditMask() const { return editMask_; }
  void SetEditMask(const WideString& Value) { editMask_ = Value; }
  // The text: a masked edit has no literal characters of its own to strip.
  WideString EditText() { return Text(); }

 private:
  WideString editMask_;
};

class TMaskEdit : public TCustomMaskEdit {
  HV_CLASS(TMaskEdit, TCustomMaskEdit)
 public:
  explicit TMaskEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner) {}
};
