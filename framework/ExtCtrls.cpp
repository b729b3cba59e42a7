// Panels, bevels and images.
#include "framework/ExtCtrls.h"

#include <algorithm>

#include "framework/Win.h"

namespace {

// One 3-D frame of a panel or bevel, drawn inside Rect, which shrinks by Width.
void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopLeft, TColor BottomRight, int Width) {
  for (int i = 0; i < Width; ++i) {
    --Rect.Right;
    --Rect.Bottom;
    Canvas->Pen()->SetColor(TopLeft);
    TPoint tl[] = {{Rect.Left, Rect.Bottom}, {Rect.Left, Rect.Top}, {Rect.Right, Rect.Top}};
    Canvas->Polyline(tl);
    Canvas->Pen()->SetColor(BottomRight);
    TPoint br[] = {{Rect.Right, Rect.Top}, {Rect.Right, Rect.Bottom}, {Rect.Left - 1, Rect.Bottom}};
    Canvas->Polyline(br);
    ++Rect.Left;
    ++Rect.Top;
  }
}

}  // namespace

// ---- TCustomPanel ----

HV_PUBLISH(TCustomPanel) {}

HV_PUBLISH(TPanel) {
  p.Prop("Alignment", &T::Alignment, &T::SetAlignment).Default(taCenter);
  p.Prop("BevelInner", &T::BevelInner, &T::SetBevelInner).Default(bvNone);
  p.Prop("BevelOuter", &T::BevelOuter, &T::SetBevelOuter).Default(bvRaised);
  p.Prop("BevelWidth", &T::BevelWidth, &T::SetBevelWidth).Default(1);
  p.Prop("BorderStyle", &T::BorderStyle, &T::SetBorderStyle).Default(bsNone);
  p.Prop("Caption", &T::Caption, &T::SetCaption).Stored(&T::IsCaptionStored);
}

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner) {
  SetControlStyle(TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csOpaque,
                                csDoubleClicks, csReplicatable});
  SetBounds(Left(), Top(), 185, 41);
  SetParentColor(false);
  SetColor(clBtnFace);
}

void TCustomPanel::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  if (borderStyle_ == bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
}

int TCustomPanel::BevelSize() const {
  return BorderWidth() + (bevelOuter_ != bvNone ? bevelWidth_ : 0) + (bevelInner_ != bvNone ? bevelWidth_ : 0);
}

void TCustomPanel::AdjustClientRect(TRect& Rect) {
  inherited::AdjustClientRect(Rect);
  int size = BevelSize() - BorderWidth();
  Rect.Left += size;
  Rect.Top += size;
  Rect.Right -= size;
  Rect.Bottom -= size;
}

void TCustomPanel::Paint() {
  TCanvas* canvas = Canvas();
  TRect r = ClientRect();
  canvas->Brush()->SetColor(Color());
  canvas->Brush()->SetStyle(bsSolid);
  canvas->FillRect(r);
  auto frame = [&](TPanelBevel bevel) {
    if (bevel == bvNone) return;
    if (bevel == bvSpace) {
      r.Left += bevelWidth_;
      r.Top += bevelWidth_;
      r.Right -= bevelWidth_;
      r.Bottom -= bevelWidth_;
      return;
    }
    bool raised = bevel == bvRaised;
    Frame3D(canvas, r, raised ? clBtnHighlight : clBtnShadow, raised ? clBtnShadow : clBtnHighlight, bevelWidth_);
  };
  frame(bevelOuter_);
  r.Left += BorderWidth();
  r.Top += BorderWidth();
  r.Right -= BorderWidth();
  r.Bottom -= BorderWidth();
  frame(bevelInner_);
  WideString text = Caption();
  if (text.empty()) return;
  canvas->Font()->Assign(Font());
  canvas->Brush()->SetStyle(bsClear);
  unsigned flags = DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS;
  if (alignment_ == taCenter) flags |= DT_CENTER;
  if (alignment_ == taRightJustify) flags |= DT_RIGHT;
  canvas->DrawText(r, text, flags);
}

void TCustomPanel::CMTextChanged(TMessage& Message) {
  inherited::CMTextChanged(Message);
  Invalidate();
}

void TCustomPanel::SetAlignment(TAlignment Value) {
  if (alignment_ == Value) return;
  alignment_ = Value;
  Invalidate();
}

void TCustomPanel::SetBevelInner(TPanelBevel Value) {
  if (bevelInner_ == Value) return;
  bevelInner_ = Value;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBevelOuter(TPanelBevel Value) {
  if (bevelOuter_ == Value) return;
  bevelOuter_ = Value;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBevelWidth(int Value) {
  if (bevelWidth_ == Value || Value < 1) return;
  bevelWidth_ = Value;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBorderStyle(TBorderStyle Value) {
  if (borderStyle_ == Value) return;
  borderStyle_ = Value;
  RecreateWnd();
}

// ---- TBevel ----

HV_PUBLISH(TBevel) {
  p.Prop("Shape", &T::Shape, &T::SetShape).Default(bsBox);
  p.Prop("Style", &T::Style, &T::SetStyle).Default(bsLowered);
}

TBevel::TBevel(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetControlStyle(ControlStyle() + csReplicatable);
  SetBounds(Left(), Top(), 50, 50);
}

void TBevel::SetShape(TBevelShape Value) {
  if (shape_ == Value) return;
  shape_ = Value;
  Invalidate();
}

void TBevel::SetStyle(TBevelStyle Value) {
  if (style_ == Value) return;
  style_ = Value;
  Invalidate();
}

void TBevel::Paint() {
  TCanvas* canvas = Canvas();
  TColor first = style_ == bsLowered ? clBtnShadow : clBtnHighlight;
  TColor second = style_ == bsLowered ? clBtnHighlight : clBtnShadow;
  TRect r = ClientRect();
  int w = r.Width(), h = r.Height();
  auto line = [&](TColor c, int x1, int y1, int x2, int y2) {
    canvas->Pen()->SetColor(c);
    canvas->MoveTo(x1, y1);
    canvas->LineTo(x2, y2);
  };
  switch (shape_) {
    case bsBox: Frame3D(canvas, r, first, second, 1); break;
    case bsFrame: {
      TRect outer(0, 0, w - 1, h - 1);
      Frame3D(canvas, outer, first, first, 1);
      TRect inner(1, 1, w, h);
      Frame3D(canvas, inner, second, second, 1);
      break;
    }
    case bsTopLine:
      line(first, 0, 0, w, 0);
      line(second, 0, 1, w, 1);
      break;
    case bsBottomLine:
      line(first, 0, h - 2, w, h - 2);
      line(second, 0, h - 1, w, h - 1);
      break;
    case bsLeftLine:
      line(first, 0, 0, 0, h);
      line(second, 1, 0, 1, h);
      break;
    case bsRightLine:
      line(first, w - 2, 0, w - 2, h);
      line(second, w - 1, 0, w - 1, h);
      break;
    case bsSpacer: break;
  }
}

// ---- TImage ----

HV_PUBLISH(TImage) {
  p.Prop("AutoSize", &T::AutoSize, &T::SetAutoSize).Default(0);
  p.Prop("Center", &T::Center, &T::SetCenter).Default(0);
  p.Prop("Picture", &T::Picture, &T::SetPicture);
  p.Prop("Proportional", &T::Proportional, &T::SetProportional).Default(0);
  p.Prop("Stretch", &T::Stretch, &T::SetStretch).Default(0);
}

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), picture_(std::make_unique<TPicture>()) {
  picture_->OnChange = TNotifyEvent(this, &TImage::PictureChanged);
  SetBounds(Left(), Top(), 105, 105);
}

TImage::~TImage() = default;

void TImage::PictureChanged(TObject*) {
  if (autoSize_ && picture_->Width() > 0 && picture_->Height() > 0)
    SetBounds(Left(), Top(), picture_->Width(), picture_->Height());
  Invalidate();
}

TRect TImage::DestRect() {
  int pw = picture_->Width(), ph = picture_->Height();
  int cw = ClientWidth(), ch = ClientHeight();
  int w = pw, h = ph;
  if (pw > 0 && ph > 0 && (stretch_ || (proportional_ && (pw > cw || ph > ch)))) {
    if (proportional_) {
      // The largest size of the picture's shape that fits.
      if (static_cast<long long>(cw) * ph <= static_cast<long long>(ch) * pw) {
        w = cw;
        h = static_cast<int>(static_cast<long long>(ph) * cw / pw);
      } else {
        h = ch;
        w = static_cast<int>(static_cast<long long>(pw) * ch / ph);
      }
    } else {
      w = cw;
      h = ch;
    }
  }
  int x = center_ ? (cw - w) / 2 : 0;
  int y = center_ ? (ch - h) / 2 : 0;
  return TRect(x, y, x + w, y + h);
}

void TImage::Paint() {
  if (!picture_->Graphic()) return;
  Canvas()->StretchDraw(DestRect(), picture_->Graphic());
}

void TImage::SetAutoSize(bool Value) {
  autoSize_ = Value;
  PictureChanged(this);
}

void TImage::SetCenter(bool Value) {
  if (center_ == Value) return;
  center_ = Value;
  Invalidate();
}

void TImage::SetProportional(bool Value) {
  if (proportional_ == Value) return;
  proportional_ = Value;
  Invalidate();
}

void TImage::SetStretch(bool Value) {
  if (stretch_ == Value) return;
  stretch_ = Value;
  Invalidate();
}
