// The colour square and the drop button.
#include "controls/ApColorBox.h"

#include "framework/Menus.h"

HV_PUBLISH(TApColorSquare) {
  p.Prop("BorderStyle", &T::BorderStyle, &T::SetBorderStyle).Default(bsSingle);
  p.Event("OnChange", &T::OnChange);
  p.Event("OnColorClick", &T::OnColorClick);
}

HV_PUBLISH(TApCustomDropButton) {}

namespace {

// One 1-pixel frame inside Rect (top-left and bottom-right colours); Rect shrinks by it.
void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopLeft, TColor BottomRight) {
  TPen* pen = Canvas->Pen();
  pen->SetStyle(psSolid);
  pen->SetWidth(1);
  pen->SetColor(TopLeft);
  Canvas->MoveTo(Rect.Left, Rect.Bottom - 1);
  Canvas->LineTo(Rect.Left, Rect.Top);
  Canvas->LineTo(Rect.Right - 1, Rect.Top);
  pen->SetColor(BottomRight);
  Canvas->LineTo(Rect.Right - 1, Rect.Bottom - 1);
  Canvas->LineTo(Rect.Left - 1, Rect.Bottom - 1);
  Rect = TRect{Rect.Left + 1, Rect.Top + 1, Rect.Right - 1, Rect.Bottom - 1};
}

}  // namespace

// ---- the colour square ----

TApColorSquare::TApColorSquare(TComponent* AOwner) : inherited(AOwner) {
  TControlStyle style = ControlStyle();
  style.Include(csClickEvents);
  style.Include(csOpaque);
  style.Include(csCaptureMouse);
  SetControlStyle(style);
  SetParentColor(false);
  SetColor(TColor(0xFFFFFF));
  SetBounds(Left(), Top(), 18, 18);
}

void TApColorSquare::SetBorderStyle(TBorderStyle Value) {
  if (Value == borderStyle_) return;
  borderStyle_ = Value;
  Invalidate();
}

void TApColorSquare::Paint() {
  TCanvas* canvas = Canvas();
  TRect r = ClientRect();
  if (borderStyle_ == bsSingle) {
    Frame3D(canvas, r, clBtnFace, clBtnFace);
    Frame3D(canvas, r, clBtnShadow, clBtnHighlight);
    Frame3D(canvas, r, cl3DDkShadow, clBtnFace);
  }
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(Color());
  canvas->FillRect(r);
  if (hot_ && Enabled()) {
    TRect hot = ClientRect();
    Frame3D(canvas, hot, cl3DDkShadow, cl3DDkShadow);
    Frame3D(canvas, hot, clBtnHighlight, clBtnHighlight);
    Frame3D(canvas, hot, cl3DDkShadow, cl3DDkShadow);
  }
}

void TApColorSquare::MouseEnter(TControl* AControl) {
  inherited::MouseEnter(AControl);
  if (AControl != this) return;
  hot_ = true;
  Invalidate();
}

void TApColorSquare::MouseLeave(TControl* AControl) {
  inherited::MouseLeave(AControl);
  if (AControl != this) return;
  hot_ = false;
  Invalidate();
}

void TApColorSquare::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  inherited::MouseUp(Button, Shift, X, Y);
  if (OnColorClick) OnColorClick(this, Button, Color(), Shift);
}

void TApColorSquare::CMColorChanged(TMessage& Message) {
  inherited::CMColorChanged(Message);
  Invalidate();
  if (OnChange) OnChange(this);
}

// ---- the drop button ----

TApCustomDropButton::TApCustomDropButton(TComponent* AOwner) : inherited(AOwner) {
  TControlStyle style = ControlStyle();
  style.Include(csSetCaption);
  SetControlStyle(style);
  IncludeThemeStyle(this, tsfNeedsBorderPaint);
  SetBounds(Left(), Top(), 42, 21);
}

void TApCustomDropButton::SetDropDown(TComponent* Value) {
  if (Value == dropDown_) return;
  if (dropDown_) dropDown_->RemoveFreeNotification(this);
  dropDown_ = Value;
  if (dropDown_) dropDown_->FreeNotification(this);
}

void TApCustomDropButton::SetArrowWidth(int Value) {
  if (Value == arrowWidth_) return;
  arrowWidth_ = Value;
  Invalidate();
}

void TApCustomDropButton::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == dropDown_) dropDown_ = nullptr;
}

void TApCustomDropButton::Paint() {
  TCanvas* canvas = Canvas();
  TRect client = ClientRect();
  DrawThemedButtonFace(this, canvas, client, 1, pressed_, Focused(), ThemesActive() && MouseOver());
  if (arrowWidth_ <= 0) return;
  int x = client.Right - arrowWidth_;
  canvas->Pen()->SetStyle(psSolid);
  canvas->Pen()->SetColor(clBtnShadow);
  canvas->MoveTo(x, client.Top + 4);
  canvas->LineTo(x, client.Bottom - 4);
  canvas->Pen()->SetColor(clBtnHighlight);
  canvas->MoveTo(x + 1, client.Top + 4);
  canvas->LineTo(x + 1, client.Bottom - 4);
  // The triangle: shrinking lines, 7, 5, 3 and 1 pixels wide.
  canvas->Pen()->SetColor(Enabled() ? clWindowText : clBtnShadow);
  int cx = x + 1 + (arrowWidth_ - 1) / 2, cy = client.Height() / 2 - 1;
  for (int i = 0; i < 4; ++i) {
    canvas->MoveTo(cx - 3 + i, cy + i);
    canvas->LineTo(cx + 4 - i, cy + i);
  }
}

void TApCustomDropButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  pressed_ = true;
  Invalidate();
  inherited::MouseDown(Button, Shift, X, Y);
}

void TApCustomDropButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  pressed_ = false;
  Invalidate();
  inherited::MouseUp(Button, Shift, X, Y);
  PopupDropDown(ClientToScreen(TPoint{0, Height()}));
}

void TApCustomDropButton::CloseUp(TModalResult) {
  pressed_ = false;
  Invalidate();
}

void TApCustomDropButton::PopupDropDown(TPoint ScreenPos) {
  if (auto* menu = dynamic_cast<TPopupMenu*>(dropDown_))
    menu->Popup(ScreenPos.X, ScreenPos.Y);
  else if (auto* popup = dynamic_cast<IApPopup*>(dropDown_))
    popup->Popup(ScreenPos.X, ScreenPos.Y);
}

void TApCustomDropButton::MouseEnter(TControl* AControl) {
  inherited::MouseEnter(AControl);
  if (ThemesActive() && Enabled()) Invalidate();
}

void TApCustomDropButton::MouseLeave(TControl* AControl) {
  inherited::MouseLeave(AControl);
  if (ThemesActive() && Enabled()) Invalidate();
}

void TApCustomDropButton::Click() {
  inherited::Click();
  Invalidate();
}

void TApCustomDropButton::CMVisibleChanged(TMessage& Message) {
  inherited::CMVisibleChanged(Message);
  Invalidate();
}

void TApCustomDropButton::CMEnabledChanged(TMessage& Message) {
  inherited::CMEnabledChanged(Message);
  Invalidate();
}
