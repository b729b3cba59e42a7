// The speed button: a flat or raised button painted on its parent, with a glyph and a
// caption, that stays down as a member of a group (GroupIndex) or clicks like a push button;
// and the bitmap button, a push button of its own kind for the action links.
#pragma once

#include <memory>

#include "framework/Bitmap.h"
#include "framework/Controls.h"
#include "framework/StdCtrls.h"

HV_ENUM(TButtonLayout, blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom)
HV_ENUM(TButtonState, bsUp, bsDisabled, bsDown, bsExclusive)

class TSpeedButton : public TGraphicControl {
  HV_CLASS(TSpeedButton, TGraphicControl)
 public:
  explicit TSpeedButton(TComponent* AOwner);
  ~TSpeedButton() override;

  bool AllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool Value);
  // Buttons of one parent with the same GroupIndex above 0: at most one is down.
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int Value);
  bool Down() const { return down_; }
  void SetDown(bool Value);
  bool Flat() const { return flat_; }
  void SetFlat(bool Value);
  TBitmap* Glyph() const { return glyph_.get(); }
  void SetGlyph(TBitmap* Value) { glyph_->Assign(Value); }
  // How many images the glyph holds side by side: up, disabled, down, exclusive.
  int NumGlyphs() const { return numGlyphs_; }
  void SetNumGlyphs(int Value);
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout Value);
  int Margin() const { return margin_; }
  void SetMargin(int Value);
  int Spacing() const { return spacing_; }
  void SetSpacing(int Value);
  // The state the button is painted in.
  TButtonState State() const { return state_; }
  bool MouseInControl() const { return mouseInControl_; }

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;
  void CMTextChanged(TMessage& Message) override;
  void CMEnabledChanged(TMessage& Message) override;

 private:
  void UpdateExclusive();
  void GlyphChanged(TObject* Sender);

  bool allowAllUp_ = false;
  int groupIndex_ = 0;
  bool down_ = false;
  bool flat_ = false;
  std::unique_ptr<TBitmap> glyph_;
  int numGlyphs_ = 1;
  TButtonLayout layout_ = blGlyphLeft;
  int margin_ = -1;
  int spacing_ = 4;
  TButtonState state_ = bsUp;
  bool dragging_ = false;
  bool mouseInControl_ = false;
};

// A push button that its action links treat as a bitmap button: the button keeps its own
// picture, so an action's image never reaches it.
class TBitBtn : public TButton {
  HV_CLASS(TBitBtn, TButton)
 public:
  explicit TBitBtn(TComponent* AOwner) : TButton(AOwner) {}
};
