// Skinned panel, group box, label, check box and push button.
#include "themes/SkinControls.h"

#include <algorithm>

#include "framework/Application.h"
#include "framework/Bitmap.h"
#include "framework/Forms.h"
#include "framework/GdiHandles.h"
#include "framework/Mnemonics.h"
#include "framework/ScopeGuards.h"
#include "themes/UiStatusBars.h"

TUiItemInfo SkinControlItemInfo(bool Enabled, bool Hot, bool Pushed) {
  TUiItemInfo info;
  info.ViewType = VT_PLAINTOOLBAR;
  info.ItemOptions = IO_TOOLBARSTYLE | IO_APPACTIVE;
  info.Enabled = Enabled;
  info.HoverKind = Hot ? 2 : 0;
  info.Pushed = Pushed;
  return info;
}

namespace {

TRect inflated(const TRect& R, int D) { return {R.Left - D, R.Top - D, R.Right + D, R.Bottom + D}; }

// The edge DrawEdge draws for each border type but the framed one.
const UINT panelEdges[] = {BDR_RAISEDINNER, EDGE_RAISED, BDR_SUNKENOUTER, EDGE_SUNKEN, EDGE_BUMP, EDGE_ETCHED};

}  // namespace

// ---- TSkinCustomPanel ----

TSkinCustomPanel::TSkinCustomPanel(TComponent* AOwner)
    : TCustomControl(AOwner), margins_(std::make_unique<TUiControlMargins>()) {
  SetControlStyle(ControlStyle() + csAcceptsControls);
  if (!ParentColor()) SetColor(clNone);
  margins_->OnChange = TNotifyEvent(this, &TSkinCustomPanel::MarginsChanged);
  RegisterThemeListener(this);
}

TSkinCustomPanel::~TSkinCustomPanel() { UnregisterThemeListener(this); }

void TSkinCustomPanel::MarginsChanged(TObject*) { Realign(); }

void TSkinCustomPanel::SetBorders(bool Value) {
  if (Value == borders_) return;
  borders_ = Value;
  Invalidate();
}

void TSkinCustomPanel::SetBorderType(TSkinPanelBorder Value) {
  if (Value == borderType_) return;
  borderType_ = Value;
  Invalidate();
}

void TSkinCustomPanel::SetUiStyleBackground(bool Value) {
  if (Value == uiStyleBackground_) return;
  uiStyleBackground_ = Value;
  Invalidate();
}

void TSkinCustomPanel::SetThemeType(TSkinThemeType Value) {
  if (Value == themeType_) return;
  themeType_ = Value;
  RepaintWithChildren();
}

void TSkinPanel::SetHotTrack(bool Value) {
  if (Value == hotTrack_) return;
  hotTrack_ = Value;
  Invalidate();
}

void TSkinCustomPanel::DoDrawBackground(TCanvas* ACanvas, TRect ARect, TSkinPaintStage PaintStage, bool& PaintDefault) {
  if (OnDrawBackground) OnDrawBackground(this, ACanvas, ARect, PaintStage, PaintDefault);
}

void TSkinCustomPanel::DrawBackground(TCanvas* ACanvas, const TRect& ARect) {
  bool paintDefault = true;
  DoDrawBackground(ACanvas, ARect, pstPrePaint, paintDefault);
  HDC dc = ACanvas->Handle();
  if (paintDefault) switch (GetSkinType(themeType_)) {
      case thtNone:
        if (!borders_) break;
        if (borderType_ == pbrFramed) {
          ACanvas->Brush()->SetColor(clBtnFace);
          ACanvas->FrameRect(ARect);
        } else {
          RECT r = ToRECT(ARect);
          DrawEdge(dc, &r, panelEdges[borderType_], BF_RECT);
        }
        break;
      case thtWindows:
        if (HTHEME h = UiThemeHandle(ucButton); h && borders_ && UxTheme().DrawThemeBackground) {
          RECT r = ToRECT(ARect);
          UxTheme().DrawThemeBackground(h, dc, 4 /* group box */, Enabled() ? 1 : 2, &r, nullptr);
        }
        break;
      case thtUi:
        if (!CurrentTheme) break;
        if (uiStyleBackground_ && GetCurrentThemeName() != "Default") {
          CurrentTheme->PaintButton(ACanvas, ARect, SkinControlItemInfo(Enabled(), false, false));
        } else if (borders_) {
          TSaveDC saved(dc);
          TRect inner = inflated(ARect, -2);
          ExcludeClipRect(dc, inner.Left, inner.Top, inner.Right, inner.Bottom);
          CurrentTheme->PaintFrame(ACanvas, ARect, SkinControlItemInfo(Enabled(), hot_, false));
        }
        break;
    }
  DoDrawBackground(ACanvas, ARect, pstPostPaint, paintDefault);
}

void TSkinCustomPanel::Paint() { DrawBackground(Canvas(), ClientRect()); }

void TSkinCustomPanel::AdjustClientRect(TRect& Rect) {
  inherited::AdjustClientRect(Rect);
  Rect.Left += margins_->Left();
  Rect.Top += margins_->Top();
  Rect.Right -= margins_->Right();
  Rect.Bottom -= margins_->Bottom();
}

void TSkinCustomPanel::RepaintWithChildren() {
  if (!HandleAllocated()) return;
  RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (dynamic_cast<TSkinCustomPanel*>(c)) continue;
    TRect bounds = c->BoundsRect();
    c->Perform(UM_SKINPARENTREPAINT, 0, reinterpret_cast<LPARAM>(&bounds));
  }
}

bool TSkinCustomPanel::ChildFocused() const {
  TWinControl* focused = FindControl(GetFocus());
  return focused && focused->Parent() == this;
}

void TSkinCustomPanel::UpdateHot() {
  bool hot = hotTrack_ && GetSkinType(themeType_) != thtWindows && (mouseIn_ || ChildFocused());
  if (hot == hot_) return;
  hot_ = hot;
  RepaintWithChildren();
}

void TSkinCustomPanel::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_ERASEBKGND:
      if (Color() == clNone) {
        TRect r = ClientRect();
        DrawParentBackground(this, reinterpret_cast<HDC>(Message.WParam), r);
        Message.Result = 1;
        return;
      }
      break;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      inherited::Dispatch(Message);
      mouseIn_ = Message.Msg == CM_MOUSEENTER;
      UpdateHot();
      return;
    case CM_FOCUSCHANGED:
      inherited::Dispatch(Message);
      UpdateHot();
      return;
    case UM_THEMECHANGE:
      if (Message.WParam == 3) RepaintWithChildren();
      return;
    default: break;
  }
  inherited::Dispatch(Message);
}

HV_PUBLISH(TSkinCustomPanel) {}

template <class T>
void PublishSkinPanel(TPublisher<T>& p) {
  p.Prop("Caption", &T::Caption, &T::SetCaption);
  p.Prop("Borders", &T::Borders, &T::SetBorders).Default(1);
  p.Prop("BorderType", &T::BorderType, &T::SetBorderType).Default(pbrEtched);
  p.Prop("Margins", &T::Margins, &T::SetMargins);
  p.Prop("UiStyleBackground", &T::UiStyleBackground, &T::SetUiStyleBackground).Default(0);
  p.Prop("ThemeType", &T::ThemeType, &T::SetThemeType).Default(thtUi);
  p.Event("OnDrawBackground", &T::OnDrawBackground);
}

HV_PUBLISH(TSkinPanel) {
  PublishSkinPanel(p);
  p.Prop("HotTrack", &T::HotTrack, &T::SetHotTrack).Default(0);
}

// ---- TSkinCustomGroupBox ----

TSkinCustomGroupBox::TSkinCustomGroupBox(TComponent* AOwner) : TSkinCustomPanel(AOwner) {}

TRect TSkinCustomGroupBox::CaptionRect() {
  WideString caption = Caption();
  if (caption.empty()) return {};
  TCanvas canvas;
  TWindowDC screen;
  canvas.SetHandle(screen.Get());
  canvas.Font()->Assign(Font());
  TRect r(0, 0, 1, 1);
  HTHEME h = UiThemeHandle(ucButton);
  RECT extent{};
  // Visual styles measure with their own text routine, as they draw.
  if (GetSkinType(ThemeType()) == thtWindows && h && UxTheme().GetThemeTextExtent &&
      SUCCEEDED(UxTheme().GetThemeTextExtent(h, screen.Get(), 4, Enabled() ? 1 : 2, caption.c_str(),
                                             static_cast<int>(caption.size()), DT_SINGLELINE, nullptr, &extent)))
    r = ToTRect(extent);
  else
    DrawWideText(&canvas, caption, r, 0, clNone, gldNone, DT_SINGLELINE | DT_CALCRECT);
  canvas.SetHandle(nullptr);
  return Bounds(8, 0, r.Width(), r.Height());
}

void TSkinCustomGroupBox::Paint() {
  TCanvas* canvas = Canvas();
  TRect caption = CaptionRect();
  TRect frame = ClientRect();
  // The frame's top line runs through the middle of the caption.
  frame.Top += caption.Height() / 2;
  {
    TSaveDC saved(canvas->Handle());
    if (!caption.IsEmpty())
      ExcludeClipRect(canvas->Handle(), caption.Left - 2, caption.Top, caption.Right + 2, caption.Bottom);
    DrawBackground(canvas, frame);
  }
  if (caption.IsEmpty()) return;
  canvas->Font()->Assign(Font());
  WideString text = Caption();
  HTHEME h = UiThemeHandle(ucButton);
  if (GetSkinType(ThemeType()) == thtWindows && h && UxTheme().DrawThemeText) {
    canvas->TextWidth(WideString());  // makes the canvas select its font
    RECT r = ToRECT(caption);
    UxTheme().DrawThemeText(h, canvas->Handle(), 4, Enabled() ? 1 : 2, text.c_str(), static_cast<int>(text.size()),
                            DT_SINGLELINE, 0, &r);
    return;
  }
  if (!Enabled()) canvas->Font()->SetColor(clGrayText);
  DrawWideText(canvas, text, caption, 0, clNone, gldNone, DT_SINGLELINE);
}

void TSkinCustomGroupBox::AdjustClientRect(TRect& Rect) {
  inherited::AdjustClientRect(Rect);
  Rect.Top += CaptionRect().Height();
}

void TSkinCustomGroupBox::CMTextChanged(TMessage& Message) {
  inherited::CMTextChanged(Message);
  Invalidate();
  Realign();
}

void TSkinCustomGroupBox::CMFontChanged(TMessage& Message) {
  inherited::CMFontChanged(Message);
  Realign();
}

HV_PUBLISH(TSkinCustomGroupBox) {}

HV_PUBLISH(TSkinGroupBox) { PublishSkinPanel(p); }

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
  if (Value == images_) return;
  TNotifyEvent link(this, &TSkinTextObject::ImagesChanged);
  if (images_) {
    images_->UnRegisterChanges(link);
    images_->RemoveFreeNotification(this);
  }
  images_ = Value;
  if (images_) {
    images_->RegisterChanges(link);
    images_->FreeNotification(this);
  }
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
      // A link shows the hand unless the control has a cursor of its own.
      if (!linkText_.empty() && Enabled() && Cursor() == crDefault && LOWORD(Message.LParam) == HTCLIENT) {
        ::SetCursor(LoadCursorW(nullptr, IDC_HAND));
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

template <class T>
void PublishTextObject(TPublisher<T>& p) {
  p.Prop("Caption", &T::Caption, &T::SetCaption);
  p.Prop("Alignment", &T::Alignment, &T::SetAlignment);
  p.Prop("AutoSize", &T::AutoSize, &T::SetAutoSize).Default(1);
  p.Prop("CaptionGlow", &T::CaptionGlow, &T::SetCaptionGlow).Default(gldNone);
  p.Prop("CaptionGlowColor", &T::CaptionGlowColor, &T::SetCaptionGlowColor).Default(65535);
  p.Prop("ImageIndex", &T::ImageIndex, &T::SetImageIndex).Default(-1);
  p.Prop("Images", &T::Images, &T::SetImages);
  p.Prop("LinkFont", &T::LinkFont, &T::SetLinkFont);
  p.Prop("LinkText", &T::LinkText, &T::SetLinkText);
  p.Prop("LinkTextParams", &T::LinkTextParams, &T::SetLinkTextParams);
  p.Prop("Margins", &T::Margins, &T::SetMargins);
  p.Prop("ShowAccelChar", &T::ShowAccelChar, &T::SetShowAccelChar).Default(1);
  p.Prop("Wrapping", &T::Wrapping, &T::SetWrapping).Default(twNone);
  p.Event("OnDraw", &T::OnDraw);
  p.Event("OnDrawCaption", &T::OnDrawCaption);
  p.Event("OnDrawHint", &T::OnDrawHint);
  p.Event("OnGetImageIndex", &T::OnGetImageIndex);
  p.Event("OnMouseEnter", &T::OnMouseEnter);
  p.Event("OnMouseLeave", &T::OnMouseLeave);
}

// ---- TSkinCustomLabel ----

TSkinCustomLabel::TSkinCustomLabel(TComponent* AOwner) : TSkinTextObject(AOwner) {
  // A label is read, not visited: the keyboard reaches it through its accelerator only.
  SetTabStop(false);
  SetParentColor(false);
  SetColor(clNone);
  AdjustBounds();
}

void TSkinCustomLabel::SetFocusControl(TWinControl* Value) {
  if (Value == focusControl_) return;
  if (focusControl_) focusControl_->RemoveFreeNotification(this);
  focusControl_ = Value;
  if (focusControl_) focusControl_->FreeNotification(this);
}

void TSkinCustomLabel::SetUnderline(bool Value) {
  if (Value == underline_) return;
  underline_ = Value;
  AdjustBounds();
  Invalidate();
}

void TSkinCustomLabel::SetUnderlineColor(TColor Value) {
  if (Value == underlineColor_) return;
  underlineColor_ = Value;
  Invalidate();
}

void TSkinCustomLabel::PaintBackground(TCanvas* ACanvas, const TRect& ARect) {
  if (Color() == clNone) {
    DrawParentBackground(this, ACanvas->Handle(), ARect);
  } else {
    ACanvas->Brush()->SetStyle(bsSolid);
    ACanvas->Brush()->SetColor(Color());
    ACanvas->FillRect(ARect);
  }
  if (underline_) {
    ACanvas->Brush()->SetStyle(bsSolid);
    ACanvas->Brush()->SetColor(underlineColor_);
    ACanvas->FillRect(TRect{ARect.Left, ARect.Bottom - 1, ARect.Right, ARect.Bottom});
  }
}

bool TSkinCustomLabel::DialogChar(wchar_t Key) {
  if (!focusControl_ || !Enabled() || !ShowAccelChar() || !IsAccelChar(Key, Caption()) || !focusControl_->CanFocus())
    return false;
  focusControl_->SetFocus();
  return true;
}

void TSkinCustomLabel::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == focusControl_) focusControl_ = nullptr;
}

HV_PUBLISH(TSkinCustomLabel) {}

HV_PUBLISH(TSkinLabel) {
  PublishTextObject(p);
  p.Prop("Color", &T::Color, &T::SetColor).Default(clNone);
  p.Prop("ParentColor", &T::ParentColor, &T::SetParentColor).Default(0);
  p.Prop("FocusControl", &T::FocusControl, &T::SetFocusControl);
  p.Prop("Underline", &T::Underline, &T::SetUnderline).Default(0);
  p.Prop("UnderlineColor", &T::UnderlineColor, &T::SetUnderlineColor).Default(clBtnShadow);
}

// ---- TSkinButtonControl ----

TSkinButtonControl::TSkinButtonControl(TComponent* AOwner) : TSkinTextObject(AOwner) { SetPushOnSpace(true); }

void TSkinButtonControl::SetGroupIndex(int Value) {
  if (Value == groupIndex_) return;
  groupIndex_ = Value;
  GroupChecked();
}

void TSkinButtonControl::GroupChecked() {
  if (!Checked() || groupIndex_ == 0 || !Parent()) return;
  TWinControl* parent = Parent();
  for (int i = 0; i < parent->ControlCount(); ++i)
    parent->Controls(i)->Perform(UM_SKINGROUPCHECK, static_cast<WPARAM>(groupIndex_), reinterpret_cast<LPARAM>(this));
}

void TSkinButtonControl::DoSetChecked(bool Value) {
  if (Value == Checked()) return;
  inherited::DoSetChecked(Value);
  GroupChecked();
}

void TSkinButtonControl::Dispatch(TMessage& Message) {
  if (Message.Msg == UM_SKINGROUPCHECK) {
    auto* sender = reinterpret_cast<TSkinButtonControl*>(Message.LParam);
    if (sender != this && static_cast<int>(Message.WParam) == groupIndex_ && &sender->ClassInfo() == &ClassInfo() &&
        Checked())
      SetChecked(false);
    return;
  }
  inherited::Dispatch(Message);
}

HV_PUBLISH(TSkinButtonControl) {}

// ---- TSkinCustomCheckBox ----

namespace {

// The glyph of the check box being painted, as image 0.
TCustomImageList* glyphList() {
  static const std::unique_ptr<TCustomImageList> list = [] {
    auto l = std::make_unique<TCustomImageList>(nullptr);
    l->SetWidth(13);
    l->SetHeight(13);
    return l;
  }();
  return list.get();
}

}  // namespace

TSkinCustomCheckBox::TSkinCustomCheckBox(TComponent* AOwner) : TSkinButtonControl(AOwner) { AdjustBounds(); }

void TSkinCustomCheckBox::GetImage(TCustomImageList*& AImageList, int& AImageIndex) {
  TBitmap glyph;
  glyph.SetSize(13, 13);
  glyph.Canvas()->Brush()->SetColor(TColor(0xFF00FF));
  glyph.Canvas()->FillRect(TRect{0, 0, 13, 13});
  DrawSkinCheckBox(glyph.Canvas(), TRect{0, 0, 13, 13}, Enabled(), GetSkinType(ThemeType()), Focused(), Pushed(),
                   MouseInside(), state_);
  TCustomImageList* list = glyphList();
  list->Clear();
  list->AddMasked(&glyph, TColor(0xFF00FF));
  AImageList = list;
  AImageIndex = 0;
}

void TSkinCustomCheckBox::SetState(TCheckBoxState Value) {
  if (Value == state_) return;
  state_ = Value;
  Invalidate();
  GroupChecked();
  // The change is a click for OnClick, without toggling again.
  settingState_ = true;
  try {
    Click();
  } catch (...) {
    settingState_ = false;
    throw;
  }
  settingState_ = false;
}

void TSkinCustomCheckBox::Click() {
  if (settingState_) {
    inherited::Click();
    return;
  }
  switch (state_) {
    case cbUnchecked: SetState(allowGrayed_ ? cbGrayed : cbChecked); break;
    case cbChecked: SetState(cbUnchecked); break;
    default: SetState(cbChecked);
  }
}

HV_PUBLISH(TSkinCustomCheckBox) {}

HV_PUBLISH(TSkinCheckBox) {
  PublishTextObject(p);
  p.Prop("AllowGrayed", &T::AllowGrayed, &T::SetAllowGrayed).Default(0);
  p.Prop("Checked", &T::Checked, &T::SetChecked).Default(0);
  p.Prop("GroupIndex", &T::GroupIndex, &T::SetGroupIndex).Default(0);
  p.Prop("State", &T::State, &T::SetState).Default(cbUnchecked);
  p.Prop("ThemeType", &T::ThemeType, &T::SetThemeType).Default(thtUi);
}

// ---- TSkinCustomButton ----

TSkinCustomButton::TSkinCustomButton(TComponent* AOwner)
    : TSkinButtonControl(AOwner), bitmap_(std::make_unique<TBitmap>()) {
  bitmap_->OnChange = TNotifyEvent(this, &TSkinCustomButton::BitmapChanged);
  SetDrawPushedCaption(true);
  SetAlignment(taCenter);
  SetThemeType(thtWindows);
  SetAutoSize(false);
  SetBounds(Left(), Top(), 75, 25);
}

TSkinCustomButton::~TSkinCustomButton() { StopRepeatTimer(); }

void TSkinCustomButton::BitmapChanged(TObject*) { Invalidate(); }

void TSkinCustomButton::SetBitmap(TBitmap* Value) {
  bitmap_->Assign(Value);
  Invalidate();
}

void TSkinCustomButton::SetBitmapTransparent(bool Value) {
  if (Value == bitmapTransparent_) return;
  bitmapTransparent_ = Value;
  Invalidate();
}

void TSkinCustomButton::SetDefault(bool Value) {
  if (Value == default_) return;
  default_ = Value;
  Invalidate();
}

void TSkinCustomButton::SetDropDownArrow(bool Value) {
  if (Value == dropDownArrow_) return;
  dropDownArrow_ = Value;
  Invalidate();
}

void TSkinCustomButton::SetDropDownMenu(TPopupMenu* Value) {
  if (Value == dropDownMenu_) return;
  if (dropDownMenu_) dropDownMenu_->RemoveFreeNotification(this);
  dropDownMenu_ = Value;
  if (dropDownMenu_) dropDownMenu_->FreeNotification(this);
  Invalidate();
}

void TSkinCustomButton::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == dropDownMenu_) dropDownMenu_ = nullptr;
}

int TSkinCustomButton::BitmapFrame() const {
  if (bitmap_->Empty() || bitmap_->Height() % 4 != 0) return -1;
  if (!Enabled()) return 3;
  if (Pushed() || Checked() || droppedDown_) return 2;
  return MouseInside() ? 1 : 0;
}

TRect TSkinCustomButton::GetTextRect() {
  TRect r = inflated(ClientRect(), GetSkinType(ThemeType()) == thtNone ? -4 : -3);
  TUiControlMargins* m = Margins();
  int right = 8;
  if (dropDownArrow_ && dropDownMenu_ && CurrentTheme) right += CurrentTheme->GetIntegerMetrics(20) + 1;
  return {r.Left + 8 + m->Left(), r.Top + 2 + m->Top(), r.Right - right - m->Right(), r.Bottom - 2 - m->Bottom()};
}

void TSkinCustomButton::PaintBackground(TCanvas* ACanvas, const TRect& ARect) {
  int frame = BitmapFrame();
  bool pushed = Pushed() || droppedDown_;
  if (frame >= 0) {
    int h = bitmap_->Height() / 4;
    HDC dc = ACanvas->Handle();
    HDC source = bitmap_->Canvas()->Handle();
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    if (bitmapTransparent_)
      TransparentBlt(dc, ARect.Left, ARect.Top, ARect.Width(), ARect.Height(), source, 0, frame * h, bitmap_->Width(),
                     h, ColorToRGB(bitmap_->TransparentColor()));
    else
      StretchBlt(dc, ARect.Left, ARect.Top, ARect.Width(), ARect.Height(), source, 0, frame * h, bitmap_->Width(), h,
                 SRCCOPY);
  } else {
    TSkinThemeType skin = GetSkinType(ThemeType());
    bool isDefault = skin != thtUi && (default_ || Focused());
    DrawParentBackground(this, ACanvas->Handle(), ARect);
    DrawSkinButton(ACanvas, ARect, Enabled(), pushed, MouseInside(), Checked(), isDefault, skin, SkinButtonFace);
  }
  if (dropDownArrow_ && dropDownMenu_ && CurrentTheme) {
    int w = CurrentTheme->GetIntegerMetrics(20);
    TRect text = GetTextRect();
    TRect arrow{text.Right + 1, ARect.Top, text.Right + 1 + w, ARect.Bottom};
    TUiItemInfo info = SkinControlItemInfo(Enabled(), MouseInside(), pushed);
    CurrentTheme->PaintDropDownArrow(ACanvas, arrow, info);
  }
}

TColor TSkinCustomButton::CaptionColor() {
  if (GetSkinType(ThemeType()) != thtUi || !CurrentTheme) return inherited::CaptionColor();
  TUiItemInfo info = SkinControlItemInfo(Enabled(), MouseInside(), Pushed() || droppedDown_);
  info.Selected = Checked();
  return CurrentTheme->GetItemTextColor(info);
}

void TSkinCustomButton::Click() {
  // From the keyboard (Space, Enter, Alt+letter) a drop-down button opens its menu too.
  if (dropDownMenu_) {
    if (!droppedDown_) DropDown();
    return;
  }
  if (GroupIndex() != 0) SetChecked(true);
  if (modalResult_ != mrNone)
    if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(modalResult_);
  inherited::Click();
}

void TSkinCustomButton::DropDown() {
  TPoint below = ClientToScreen({0, Height()});
  droppedDown_ = true;
  Repaint();
  TScopeExit done([&] {
    droppedDown_ = false;
    SetPushed(false);
    SetMouseCapture(false);
    Invalidate();
  });
  dropDownMenu_->SetPopupComponent(this);
  dropDownMenu_->Popup(below.X, below.Y);
  // The click that closed the menu must not press the button again.
  MSG msg;
  while (PeekMessageW(&msg, nullptr, WM_LBUTTONDOWN, WM_MBUTTONDBLCLK, PM_REMOVE)) {}
  if (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) PostQuitMessage(static_cast<int>(msg.wParam));
}

void TSkinCustomButton::StartRepeatTimer(UINT Interval) {
  if (!repeatTimer_) {
    repeatTimer_ = std::make_unique<TTimer>(nullptr);
    repeatTimer_->OnTimer = TNotifyEvent(this, &TSkinCustomButton::RepeatTick);
  }
  repeatTimer_->SetInterval(Interval);
  repeatTimer_->SetEnabled(true);
}

void TSkinCustomButton::StopRepeatTimer() { repeatTimer_.reset(); }

void TSkinCustomButton::RepeatTick(TObject*) {
  if (!Pushed() || !Enabled()) {
    // Stopped, not freed: this runs inside the timer's own tick.
    if (repeatTimer_) repeatTimer_->SetEnabled(false);
    return;
  }
  StartRepeatTimer(100);
  Click();
}

void TSkinCustomButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  inherited::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !Enabled()) return;
  // These presses act at once; the release that follows is no click.
  if (dropDownMenu_ || repeating_) SetControlState(ControlState() - csClicked);
  if (dropDownMenu_) {
    DropDown();
    return;
  }
  if (repeating_) {
    Click();
    StartRepeatTimer(400);
  }
}

void TSkinCustomButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && repeating_) StopRepeatTimer();
  inherited::MouseUp(Button, Shift, X, Y);
}

void TSkinCustomButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_MOUSELEAVE:
      inherited::Dispatch(Message);
      if (repeating_ && !MouseCapture()) StopRepeatTimer();
      return;
    case CM_DIALOGKEY: {
      auto key = static_cast<Word>(Message.WParam);
      bool plain = (KeyDataToShiftState(Message.LParam) * TShiftState{ssAlt, ssCtrl, ssShift}).Empty();
      if (plain && CanFocus() && (key == VK_RETURN || key == VK_ESCAPE)) {
        TWinControl* focused = FindControl(GetFocus());
        bool take = key == VK_ESCAPE ? cancel_ : Focused() || (default_ && !dynamic_cast<TSkinCustomButton*>(focused));
        if (take) {
          Click();
          Message.Result = 1;
          return;
        }
      }
      break;
    }
    default: break;
  }
  inherited::Dispatch(Message);
}

HV_PUBLISH(TSkinCustomButton) {}

HV_PUBLISH(TSkinButton) {
  PublishTextObject(p);
  p.Prop("Bitmap", &T::Bitmap, &T::SetBitmap);
  p.Prop("BitmapTransparent", &T::BitmapTransparent, &T::SetBitmapTransparent).Default(1);
  p.Prop("Cancel", &T::Cancel, &T::SetCancel).Default(0);
  p.Prop("Checked", &T::Checked, &T::SetChecked).Default(0);
  p.Prop("Default", &T::Default, &T::SetDefault).Default(0);
  p.Prop("DropDownArrow", &T::DropDownArrow, &T::SetDropDownArrow).Default(1);
  p.Prop("DropDownMenu", &T::DropDownMenu, &T::SetDropDownMenu);
  p.Prop("GroupIndex", &T::GroupIndex, &T::SetGroupIndex).Default(0);
  p.Prop("ModalResult", &T::ModalResult, &T::SetModalResult).Default(0);
  p.Prop("Repeating", &T::Repeating, &T::SetRepeating).Default(0);
  p.Prop("ThemeType", &T::ThemeType, &T::SetThemeType).Default(thtWindows);
}

namespace {
const bool registered = [] {
  RegisterClass(TSkinPanel::StaticClassInfo());
  RegisterClass(TSkinGroupBox::StaticClassInfo());
  RegisterClass(TSkinLabel::StaticClassInfo());
  RegisterClass(TSkinCheckBox::StaticClassInfo());
  RegisterClass(TSkinButton::StaticClassInfo());
  return true;
}();
}  // namespace
