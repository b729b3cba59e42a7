// The speed button and the bitmap button.
#include "framework/Buttons.h"

#include <algorithm>

#include "framework/Win.h"

HV_PUBLISH(TSpeedButton) {
  p.Prop("AllowAllUp", &T::AllowAllUp, &T::SetAllowAllUp).Default(0);
  p.Prop("GroupIndex", &T::GroupIndex, &T::SetGroupIndex).Default(0);
  p.Prop("Down", &T::Down, &T::SetDown).Default(0);
  p.Prop("Caption", &T::Caption, &T::SetCaption).Stored(&T::IsCaptionStored);
  p.Prop("Flat", &T::Flat, &T::SetFlat).Default(0);
  p.Prop("Glyph", &T::Glyph, &T::SetGlyph);
  p.Prop("Layout", &T::Layout, &T::SetLayout).Default(blGlyphLeft);
  p.Prop("Margin", &T::Margin, &T::SetMargin).Default(-1);
  p.Prop("NumGlyphs", &T::NumGlyphs, &T::SetNumGlyphs).Default(1);
  p.Prop("Spacing", &T::Spacing, &T::SetSpacing).Default(4);
}

HV_PUBLISH(TBitBtn) {}

TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner), glyph_(std::make_unique<TBitmap>()) {
  glyph_->OnChange = TNotifyEvent(this, &TSpeedButton::GlyphChanged);
  SetBounds(Left(), Top(), 23, 22);
  SetControlStyle(TControlStyle{csCaptureMouse, csDoubleClicks});
  SetParentColor(false);
  SetColor(clBtnFace);
}

TSpeedButton::~TSpeedButton() = default;

void TSpeedButton::GlyphChanged(TObject*) { Invalidate(); }

void TSpeedButton::Paint() {
  TCanvas* canvas = Canvas();
  TRect r = ClientRect();
  canvas->Brush()->SetColor(Color());
  canvas->Brush()->SetStyle(bsSolid);
  canvas->FillRect(r);
  bool pressed = state_ == bsDown || state_ == bsExclusive;
  RECT edge = ToRECT(r);
  if (!flat_)
    DrawEdge(canvas->Handle(), &edge, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  else if (pressed || (mouseInControl_ && Enabled()))
    DrawEdge(canvas->Handle(), &edge, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
  int offset = pressed ? 1 : 0;
  // The glyph's part for the state, then the caption beside it.
  int gw = 0, gh = 0;
  if (!glyph_->Empty()) {
    gw = glyph_->Width() / std::max(numGlyphs_, 1);
    gh = glyph_->Height();
  }
  WideString text = Caption();
  canvas->Font()->Assign(Font());
  // "&" marks the hot key, as on every other button.
  TSize ts{};
  if (!text.empty()) {
    TRect calc{0, 0, 0, 0};
    canvas->DrawText(calc, text, DT_CALCRECT | DT_SINGLELINE);
    ts = TSize{calc.Width(), calc.Height()};
  }
  bool horizontal = layout_ == blGlyphLeft || layout_ == blGlyphRight;
  int gap = (gw && !text.empty()) ? spacing_ : 0;
  int total = horizontal ? gw + gap + ts.cx : gh + gap + ts.cy;
  int start = margin_ >= 0 ? margin_ : ((horizontal ? r.Width() : r.Height()) - total) / 2;
  int gx, gy, tx, ty;
  if (horizontal) {
    gy = (r.Height() - gh) / 2;
    ty = (r.Height() - ts.cy) / 2;
    gx = layout_ == blGlyphLeft ? start : start + ts.cx + gap;
    tx = layout_ == blGlyphLeft ? start + gw + gap : start;
  } else {
    gx = (r.Width() - gw) / 2;
    tx = (r.Width() - ts.cx) / 2;
    gy = layout_ == blGlyphTop ? start : start + ts.cy + gap;
    ty = layout_ == blGlyphTop ? start + gh + gap : start;
  }
  if (gw) {
    int part = 0;
    if (state_ == bsDisabled && numGlyphs_ > 1) part = 1;
    if (state_ == bsDown && numGlyphs_ > 2) part = 2;
    if (state_ == bsExclusive && numGlyphs_ > 3) part = 3;
    TRect src(part * gw, 0, part * gw + gw, gh);
    TRect dst(gx + offset, gy + offset, gx + offset + gw, gy + offset + gh);
    canvas->CopyRect(dst, glyph_->Canvas(), src);
  }
  if (!text.empty()) {
    canvas->Brush()->SetStyle(bsClear);
    if (!Enabled()) canvas->Font()->SetColor(clGrayText);
    TRect place{tx + offset, ty + offset, tx + offset + ts.cx, ty + offset + ts.cy};
    canvas->DrawText(place, text, DT_SINGLELINE);
  }
}

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  inherited::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !Enabled()) return;
  if (!down_) {
    state_ = bsDown;
    Invalidate();
  }
  dragging_ = true;
}

void TSpeedButton::MouseMove(TShiftState Shift, int X, int Y) {
  inherited::MouseMove(Shift, X, Y);
  if (!dragging_) return;
  TButtonState next = down_ ? bsExclusive : bsUp;
  if (X >= 0 && X < Width() && Y >= 0 && Y < Height()) next = down_ ? bsExclusive : bsDown;
  if (next != state_) {
    state_ = next;
    Invalidate();
  }
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  inherited::MouseUp(Button, Shift, X, Y);
  if (!dragging_) return;
  dragging_ = false;
  bool inside = X >= 0 && X < Width() && Y >= 0 && Y < Height();
  if (groupIndex_ == 0) {
    state_ = bsUp;
    Invalidate();
    if (inside) Click();
  } else if (inside) {
    SetDown(!down_);
    state_ = down_ ? bsExclusive : bsUp;
    Invalidate();
  } else {
    state_ = down_ ? bsExclusive : bsUp;
    Invalidate();
  }
}

void TSpeedButton::CMMouseEnter(TMessage& Message) {
  inherited::CMMouseEnter(Message);
  mouseInControl_ = true;
  if (flat_) Invalidate();
}

void TSpeedButton::CMMouseLeave(TMessage& Message) {
  inherited::CMMouseLeave(Message);
  mouseInControl_ = false;
  if (flat_) Invalidate();
}

void TSpeedButton::CMTextChanged(TMessage& Message) {
  inherited::CMTextChanged(Message);
  Invalidate();
}

void TSpeedButton::CMEnabledChanged(TMessage& Message) {
  inherited::CMEnabledChanged(Message);
  state_ = !Enabled() ? bsDisabled : (down_ ? bsExclusive : bsUp);
  Invalidate();
}

void TSpeedButton::UpdateExclusive() {
  if (groupIndex_ == 0 || !Parent() || !down_) return;
  for (int i = 0; i < Parent()->ControlCount(); ++i)
    if (auto* other = dynamic_cast<TSpeedButton*>(Parent()->Controls(i));
        other && other != this && other->groupIndex_ == groupIndex_ && other->down_) {
      other->down_ = false;
      other->state_ = bsUp;
      other->Invalidate();
    }
}

void TSpeedButton::SetDown(bool Value) {
  if (groupIndex_ == 0) Value = false;
  if (Value == down_) return;
  // The last button of a group stays down unless the group allows all up.
  if (down_ && !Value && !allowAllUp_) return;
  down_ = Value;
  state_ = Value ? bsExclusive : bsUp;
  Invalidate();
  UpdateExclusive();
  if (Value || allowAllUp_) {
    if (!IsLoading()) Click();
  }
}

void TSpeedButton::SetAllowAllUp(bool Value) { allowAllUp_ = Value; }

void TSpeedButton::SetGroupIndex(int Value) {
  if (groupIndex_ == Value) return;
  groupIndex_ = Value;
  UpdateExclusive();
}

void TSpeedButton::SetFlat(bool Value) {
  if (flat_ == Value) return;
  flat_ = Value;
  Invalidate();
}

void TSpeedButton::SetNumGlyphs(int Value) {
  Value = std::clamp(Value, 1, 4);
  if (numGlyphs_ == Value) return;
  numGlyphs_ = Value;
  Invalidate();
}

void TSpeedButton::SetLayout(TButtonLayout Value) {
  if (layout_ == Value) return;
  layout_ = Value;
  Invalidate();
}

void TSpeedButton::SetMargin(int Value) {
  if (margin_ == Value || Value < -1) return;
  margin_ = Value;
  Invalidate();
}

void TSpeedButton::SetSpacing(int Value) {
  if (spacing_ == Value) return;
  spacing_ = Value;
  Invalidate();
}
