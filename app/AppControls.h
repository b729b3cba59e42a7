// The application's small controls: a tile that is one radio button among its sibling tiles
// and is painted by its owner, and a group caption followed by an etched line.
#pragma once

#include <utility>
#include <vector>

#include "framework/CustomControls.h"
#include "framework/StdCtrls.h"

// A square tile: checking it unchecks every other tile of the same parent.
class TNSInfoBar : public TCustomControl {
  HV_CLASS(TNSInfoBar, TCustomControl)
 public:
  explicit TNSInfoBar(TComponent* AOwner);

  bool Checked() const { return checked_; }
  // A change repaints, moves the tab stop with it and, when the tile becomes checked, unchecks
  // its siblings and tells OnChange.
  void SetChecked(bool Value);
  void Click() override;

  // Told when the tile becomes checked.
  TNotifyEvent OnChange;
  // Paints the tile (canvas font and brush set from the tile).
  TNotifyEvent OnPaint;

 protected:
  void Paint() override;
  void KeyPress(wchar_t& Key) override;
  void Dispatch(TMessage& Message) override;

 private:
  bool checked_ = false;
};

// A caption followed by an etched line (the group captions of the dialogs).
class TNSBvLabel : public TCustomLabel {
  HV_CLASS(TNSBvLabel, TCustomLabel)
 public:
  explicit TNSBvLabel(TComponent* AOwner);

  // Pixels between the caption and the line.
  int Offset() const { return offset_; }
  void SetOffset(int Value);

  // The stretches [from, to) the line covers on a label Width wide whose caption (with the
  // offset) takes TextWidth pixels.
  static std::vector<std::pair<int, int>> LineSegments(int Width, int TextWidth, TAlignment Alignment);

 protected:
  void Paint() override;

 private:
  int offset_ = 4;
};
