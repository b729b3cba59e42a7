// The text object the skinned label, check box and buttons share: caption layout and drawing,
// images, link text, glow and the accelerator.
#include "themes/SkinControls.h"

#include <algorithm>

#include "framework/Application.h"
#include "framework/Bitmap.h"
#include "framework/Forms.h"
#include "framework/GdiHandles.h"
#include "framework/ImageListLink.h"
#include "framework/Mnemonics.h"
#include "framework/ScopeGuards.h"
#include "themes/UiStatusBars.h"

namespace {

TRect inflated(const TRect& R, int D) { return {R.Left - D, R.Top - D, R.Right + D, R.Bottom + D}; }

}  // namespace

// ---- TSkinTextObject ----

TSkinShellOpen& SkinShellOpen() {
  static TSkinShellOpen open = [](const WideString& File, const WideString& Parameters) {
    HWND owner = Application ? Application->Handle() : nullptr;
    ShellExecuteW(owner, L"open", File.c_str(), Parameters.empty() ? nullptr : Parameters.c_str(), nullptr,
                  SW_SHOWNORMAL);
  };
  return open;
}

namespace {

TRect offset(const TRect& R, int DX, int DY) { return {R.Left + DX, R.Top + DY, R.Right + DX, R.Bottom + DY}; }

}  // namespace

TSkinTextObject::TSkinTextObject(TComponent* AOwner) : TUiTextObject(AOwner), linkFont_(std::make_unique<TFont>()) {
  SetControlStyle(ControlStyle() - csAcceptsControls + csDoubleClicks + csCaptureMouse + csClickEvents);
  SetTabStop(true);
  SetDoubleBuffered(true);
  linkFont_->SetColor(TColor(0xFF0000));
  linkFont_->SetStyle(linkFont_->Style() + fsUnderline);
  RegisterThemeListener(this);
}

TSkinTextObject::~TSkinTextObject() {
  UnregisterThemeListener(this);
  SetImages(nullptr);
}

void TSkinTextObject::SetCaptionGlow(TSpGlowDirection Value) {
  if (Value == captionGlow_) return;
  captionGlow_ = Value;
  Invalidate();
}

void TSkinTextObject::SetCaptionGlowColor(TColor Value) {
  if (Value == captionGlowColor_) return;
  captionGlowColor_ = Value;
  Invalidate();
}

void TSkinTextObject::SetDrawPushedCaption(bool Value) {
  if (Value == drawPushedCaption_) return;
  drawPushedCaption_ = Value;
  Invalidate();
}

void TSkinTextObject::SetImageIndex(int Value) {
  if (Value == imageIndex_) return;
  imageIndex_ = Value;
  if (!images_) return;
  AdjustBounds();
  Invalidate();
}

void TSkinTextObject::SetImages(TCustomImageList* Value) {
  if (!LinkImageList(images_, Value, TNotifyEvent(this, &TSkinTextObject::ImagesChanged), this)) return;
  AdjustBounds();
  Invalidate();
}

void TSkinTextObject::ImagesChanged(TObject*) {
  AdjustBounds();
  Invalidate();
}

void TSkinTextObject::SetThemeType(TSkinThemeType Value) {
  if (Value == themeType_) return;
  themeType_ = Value;
  if (HandleAllocated()) RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TSkinTextObject::SetLinkText(const WideString& Value) {
  if (Value == linkText_) return;
  linkText_ = Value;
  AdjustBounds();
  Invalidate();
}

void TSkinTextObject::DoSetChecked(bool Value) {
  if (Value == checked_) return;
  checked_ = Value;
  Invalidate();
}

UINT TSkinTextObject::CaptionFormat() const {
  // Right-to-left reading mirrors the alignment.
  bool rtl = RightToLeftReading();
  UINT format = Alignment() == taCenter ? DT_CENTER : (Alignment() == taRightJustify) != rtl ? DT_RIGHT : DT_LEFT;
  if (rtl) format |= DT_RTLREADING;
  switch (Wrapping()) {
    case twEndEllipsis: format |= DT_SINGLELINE | DT_END_ELLIPSIS; break;
    case twPathEllipsis: format |= DT_SINGLELINE | DT_PATH_ELLIPSIS; break;
    case twWrap: format |= DT_WORDBREAK; break;
    default: format |= DT_SINGLELINE;
  }
  format |= DT_EXPANDTABS;
  if (!ShowAccelChar()) format |= DT_NOPREFIX;
  return format;
}

TRect TSkinTextObject::GetTextRect() {
  TRect r = ClientRect();
  TUiControlMargins* m = Margins();
  return {r.Left + m->Left(), r.Top + m->Top(), r.Right - m->Right(), r.Bottom - m->Bottom()};
}

void TSkinTextObject::GetImage(TCustomImageList*& AImageList, int& AImageIndex) {
  AImageList = images_;
  AImageIndex = images_ ? imageIndex_ : -1;
  if (OnGetImageIndex) OnGetImageIndex(this, AImageList, AImageIndex);
}

void TSkinTextObject::CalcLayout(TCanvas* Canvas, TRect& ImageRect, TRect& CaptionRect) {
  TCustomImageList* list = nullptr;
  int index = -1;
  GetImage(list, index);
  bool image = list && index >= 0;
  TRect text = GetTextRect();
  WideString caption = Caption();
  bool pushed = drawPushedCaption_ && Pushed();
  CalcCaptionLayout(Canvas, text, caption, 0, ImageRect, CaptionRect, pushed, false, image ? list->Height() : 0,
                    image ? list->Width() : 0, CaptionFormat(), Alignment());
  if (!caption.empty() || !image) return;
  // An image alone (a check box without caption) still takes its place.
  int w = list->Width();
  int h = list->Height();
  int left = Alignment() == taRightJustify ? text.Right - w
             : Alignment() == taCenter     ? (text.Left + text.Right - w) / 2
                                           : text.Left;
  ImageRect = Bounds(left + pushed, (text.Top + text.Bottom - h) / 2 + pushed, w, h);
}

void TSkinTextObject::AdjustBounds() {
  if (!AutoSize() || IsLoading() || IsDestroying()) return;
  TWindowDC screen;
  TCanvas canvas;
  canvas.SetHandle(screen.Get());
  canvas.Font()->Assign(!linkText_.empty() && Enabled() ? linkFont_.get() : Font());
  TRect image, caption;
  CalcLayout(&canvas, image, caption);
  TRect box = caption;
  if (box.IsEmpty()) box = Bounds(caption.Left, caption.Top, 0, canvas.TextHeight(WideString(L" ")));
  if (!image.IsEmpty())
    box = {std::min(box.Left, image.Left), std::min(box.Top, image.Top), std::max(box.Right, image.Right),
           std::max(box.Bottom, image.Bottom)};
  canvas.SetHandle(nullptr);
  TRect client = ClientRect();
  TRect text = GetTextRect();
  TSize extra = AutoSizeExtra();
  int w = box.Width() + client.Width() - text.Width() + extra.cx;
  int h = box.Height() + client.Height() - text.Height() + extra.cy;
  // Wrapped text keeps the width it was given and takes the height it needs.
  if (Wrapping() == twWrap) w = Width();
  if (w != Width() || h != Height()) SetBounds(Left(), Top(), w, h);
}

TColor TSkinTextObject::CaptionColor() {
  return !linkText_.empty() && Enabled() ? linkFont_->Color() : Font()->Color();
}

void TSkinTextObject::PaintBackground(TCanvas*, const TRect&) {}

void TSkinTextObject::Paint() {
  TCanvas* canvas = Canvas();
  TRect client = ClientRect();
  bool paintDefault = true;
  if (OnDraw) OnDraw(this, canvas, client, pstPrePaint, paintDefault);
  if (paintDefault) PaintBackground(canvas, client);
  if (OnDraw) OnDraw(this, canvas, client, pstPostPaint, paintDefault);
  PaintCaption(canvas);
}

void TSkinTextObject::PaintCaption(TCanvas* ACanvas) {
  ACanvas->Font()->Assign(!linkText_.empty() && Enabled() ? linkFont_.get() : Font());
  ACanvas->Font()->SetColor(CaptionColor());
  ACanvas->Brush()->SetStyle(bsClear);
  TRect imageRect, captionRect;
  CalcLayout(ACanvas, imageRect, captionRect);
  WideString caption = Caption();
  Cardinal format = CaptionFormat();
  TRect client = ClientRect();
  bool paintDefault = true;
  if (OnDrawCaption)
    OnDrawCaption(this, ACanvas, client, caption, captionRect, format, false, pstPrePaint, paintDefault);
  if (paintDefault) {
    TCustomImageList* list = nullptr;
    int index = -1;
    GetImage(list, index);
    if (Enabled()) {
      TRect r = captionRect;
      DrawWideText(ACanvas, caption, r, 0, captionGlowColor_, captionGlow_, format);
    } else {
      // Embossed in the classic look; greyed in the others.
      if (GetSkinType(themeType_) == thtNone) {
        TRect r = offset(captionRect, 1, 1);
        ACanvas->Font()->SetColor(clBtnHighlight);
        DrawWideText(ACanvas, caption, r, 0, clNone, gldNone, format);
      }
      TRect r = captionRect;
      ACanvas->Font()->SetColor(clBtnShadow);
      DrawWideText(ACanvas, caption, r, 0, clNone, gldNone, format);
    }
    if (list && index >= 0) list->Draw(ACanvas, imageRect.Left, imageRect.Top, index, Enabled() || list != images_);
  }
  if (OnDrawCaption)
    OnDrawCaption(this, ACanvas, client, caption, captionRect, format, false, pstPostPaint, paintDefault);
  if (paintDefault && Focused() && !caption.empty()) {
    TRect text = GetTextRect();
    TRect focus = inflated(captionRect, 1);
    focus = {std::max(focus.Left, text.Left), std::max(focus.Top, text.Top), std::min(focus.Right, text.Right),
             std::min(focus.Bottom, text.Bottom)};
    HDC dc = ACanvas->Handle();
    SetTextColor(dc, 0);
    SetBkColor(dc, 0xFFFFFF);
    RECT r = ToRECT(focus);
    DrawFocusRect(dc, &r);
  }
}

void TSkinTextObject::Click() {
  inherited::Click();
  if (!linkText_.empty() && SkinShellOpen()) SkinShellOpen()(linkText_, linkTextParams_);
}

bool TSkinTextObject::DialogChar(wchar_t Key) {
  if (!PushOnSpace() || !ShowAccelChar() || !Enabled() || !IsAccelChar(Key, Caption()) || !CanFocus()) return false;
  SetFocus();
  Click();
  return true;
}

void TSkinTextObject::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && Enabled()) {
    // A click moves the focus here, as a push button or check box does.
    if (PushOnSpace() && CanFocus() && !Focused()) SetFocus();
    SetPushed(true);
  }
  inherited::MouseDown(Button, Shift, X, Y);
}

void TSkinTextObject::MouseMove(TShiftState Shift, int X, int Y) {
  if (Shift.Contains(ssLeft) && MouseCapture()) SetPushed(ClientRect().Contains({X, Y}));
  inherited::MouseMove(Shift, X, Y);
}

void TSkinTextObject::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == images_) {
    images_ = nullptr;
    AdjustBounds();
    Invalidate();
  }
}

void TSkinTextObject::CMEnabledChanged(TMessage& Message) {
  inherited::CMEnabledChanged(Message);
  if (!Enabled()) {
    mouseInside_ = false;
    SetPushed(false);
  }
  Invalidate();
}

void TSkinTextObject::CMHintShow(TMessage& Message) {
  inherited::CMHintShow(Message);
  if (!OnDrawHint || Message.Result != 0) return;
  auto& info = *reinterpret_cast<THintInfo*>(Message.LParam);
  WideString text = info.HintStr.empty() ? Hint() : info.HintStr;
  // The bitmap as the items prepare theirs: the status font, info colours, text size + (8, 4).
  TBitmap* bitmap = SkinHintBitmap();
  TCanvas* canvas = bitmap->Canvas();
  canvas->Font()->Assign(StatusBarSystemFont());
  canvas->Font()->SetColor(clInfoText);
  canvas->Brush()->SetColor(clInfoBk);
  TRect size{0, 0, 1, 1};
  DrawWideText(canvas, text, size, SkinTextHorizontal, clNone, gldNone, DT_CALCRECT | DT_NOPREFIX);
  bitmap->SetSize(size.Width() + 8, size.Height() + 4);
  canvas->FillRect({0, 0, bitmap->Width(), bitmap->Height()});
  TRect r = Bounds(4, 2, size.Width(), size.Height());
  DrawWideText(canvas, text, r, SkinTextHorizontal, clNone, gldNone, DT_NOPREFIX);
  bool paintDefault = true;
  OnDrawHint(this, bitmap, text, paintDefault);
  if (paintDefault) return;
  info.HintStr = text;
  info.HintWindowClass = &TBitmapHint::StaticClassInfo();
  info.HintData = bitmap;
}

void TSkinTextObject::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE: {
      inherited::Dispatch(Message);
      bool inside = Message.Msg == CM_MOUSEENTER && Enabled();
      if (inside == mouseInside_) return;
      // The panel object's own hover tracking fires OnMouseEnter and OnMouseLeave.
      mouseInside_ = inside;
      Invalidate();
      return;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      inherited::Dispatch(Message);
      // A Space press does not outlive the focus.
      if (Message.Msg == WM_KILLFOCUS && !MouseCapture()) SetPushed(false);
      Invalidate();
      return;
    case WM_SETCURSOR:
      // A link shows the system's hand; the control's own cursor only where the system has none.
      if (!linkText_.empty() && Enabled() && LOWORD(Message.LParam) == HTCLIENT)
        if (HCURSOR hand = SkinHandCursor()) {
          ::SetCursor(hand);
          Message.Result = 1;
          return;
        }
      break;
    case CM_DIALOGCHAR:
      if (DialogChar(static_cast<wchar_t>(Message.WParam))) {
        Message.Result = 1;
        return;
      }
      break;
    case UM_THEMECHANGE:
      if (Message.WParam == 3) Invalidate();
      return;
    default: break;
  }
  inherited::Dispatch(Message);
}

void TSkinTextObject::ActionChange(TObject* Sender, bool CheckDefaults) {
  inherited::ActionChange(Sender, CheckDefaults);
  UcControl_ActionChange(this, Sender, CheckDefaults);
  auto* action = dynamic_cast<TCustomAction*>(Sender);
  if (!action) return;
  if (!CheckDefaults || !Checked()) SetChecked(action->Checked());
  if (!CheckDefaults || imageIndex_ == -1) SetImageIndex(action->ImageIndex());
}

TControlActionLink* TSkinTextObject::CreateActionLink() { return new TSkinTextObjectActionLink(this); }

bool TSkinTextObjectActionLink::IsCheckedLinked() {
  auto* action = dynamic_cast<TCustomAction*>(Action());
  return inherited::IsCheckedLinked() && action && object_->Checked() == action->Checked();
}

bool TSkinTextObjectActionLink::IsImageIndexLinked() {
  auto* action = dynamic_cast<TCustomAction*>(Action());
  return inherited::IsImageIndexLinked() && action && object_->ImageIndex() == action->ImageIndex();
}

void TSkinTextObjectActionLink::SetChecked(bool Value) {
  if (IsCheckedLinked()) object_->SetChecked(Value);
}

void TSkinTextObjectActionLink::SetImageIndex(int Value) {
  if (IsImageIndexLinked()) object_->SetImageIndex(Value);
}

HV_PUBLISH(TSkinTextObjectActionLink) {}

HV_PUBLISH(TSkinTextObject) {}
