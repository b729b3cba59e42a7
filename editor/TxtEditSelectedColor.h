// The colours of selected text in the editor.
#pragma once

#include "framework/Colors.h"
#include "framework/Delegate.h"
#include "framework/Persistent.h"

// The colours of selected text.
class TTxtSelectedColor : public TPersistent {
  HV_CLASS(TTxtSelectedColor, TPersistent)
 public:
  TTxtSelectedColor() = default;
  // From another selection colour: both values, then one OnChange.
  void Assign(TPersistent* Source) override;

  TColor Background() const { return background_; }
  void SetBackground(TColor Value);
  TColor Foreground() const { return foreground_; }
  void SetForeground(TColor Value);

  TNotifyEvent OnChange;

 private:
  void Changed();
  TColor background_ = clHighlight;
  TColor foreground_ = clHighlightText;
};
