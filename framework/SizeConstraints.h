// The size limits of a control, published with it and applied to every way of sizing it.
#pragma once

#include "framework/Delegate.h"
#include "framework/Persistent.h"

class TControl;

// The size limits of a control; 0 means none.
class TSizeConstraints : public TPersistent {
  HV_CLASS(TSizeConstraints, TPersistent)
 public:
  explicit TSizeConstraints(TControl* Control) : control_(Control) {}
  void Assign(TPersistent* Source) override;

  int MaxHeight() const { return maxHeight_; }
  void SetMaxHeight(int Value);
  int MaxWidth() const { return maxWidth_; }
  void SetMaxWidth(int Value);
  int MinHeight() const { return minHeight_; }
  void SetMinHeight(int Value);
  int MinWidth() const { return minWidth_; }
  void SetMinWidth(int Value);
  // Applies the limits to a width and a height.
  void Constrain(int& Width, int& Height) const;

  TNotifyEvent OnChange;

 protected:
  TPersistent* GetOwner() override;

 private:
  void Change();
  TControl* control_;
  int maxHeight_ = 0, maxWidth_ = 0, minHeight_ = 0, minWidth_ = 0;
};
