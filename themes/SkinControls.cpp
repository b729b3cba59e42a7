// Skinned panel and group box, and the item state every skinned control paints its face with.
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

void TSkinCustomPanel::DrawBackground(TCanvas* ACanvas, const TRect& ARect, TSkinPanelBorder Border) {
  bool paintDefault = true;
  DoDrawBackground(ACanvas, ARect, pstPrePaint, paintDefault);
  HDC dc = ACanvas->Handle();
  if (paintDefault) switch (GetSkinType(themeType_)) {
      case thtNone:
        if (!borders_) break;
        if (Border == pbrFramed) {
          ACanvas->Brush()->SetColor(clBtnFace);
          ACanvas->FrameRect(ARect);
        } else {
          RECT r = ToRECT(ARect);
          DrawEdge(dc, &r, panelEdges[Border], BF_RECT);
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

void TSkinCustomPanel::Paint() { DrawBackground(Canvas(), ClientRect(), borderType_); }

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

void TSkinCustomPanel::SetHot(bool Value) {
  bool hot = Value && hotTrack_ && GetSkinType(themeType_) != thtWindows;
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
      // Leaving keeps the panel hot while one of its children has the focus.
      SetHot(Message.Msg == CM_MOUSEENTER || ChildFocused());
      return;
    case CM_FOCUSCHANGED: {
      inherited::Dispatch(Message);
      // The focus going to a child makes the panel hot; going anywhere else ends it, mouse or not.
      auto* focused = reinterpret_cast<TControl*>(Message.LParam);
      SetHot(focused && focused->Parent() == this);
      return;
    }
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
    if (!caption.IsEmpty()) ExcludeClipRect(canvas->Handle(), caption.Left, caption.Top, caption.Right, caption.Bottom);
    // A group box's frame is always the etched line, whatever border a panel would have.
    DrawBackground(canvas, frame, pbrEtched);
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

namespace {
const bool registered = [] {
  RegisterClass(TSkinPanel::StaticClassInfo());
  RegisterClass(TSkinGroupBox::StaticClassInfo());
  // Registered here, where every skinned control's face comes from, so that a form file finds
  // any of them as soon as one is used.
  RegisterClass(TSkinLabel::StaticClassInfo());
  RegisterClass(TSkinCheckBox::StaticClassInfo());
  RegisterClass(TSkinButton::StaticClassInfo());
  return true;
}();
}  // namespace
