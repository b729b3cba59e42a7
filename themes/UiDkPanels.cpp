// Control margins, the multi-dock, the themed panel and text objects, and the page scroller's
// position arithmetic.
#include "themes/UiDkPanels.h"

#include <algorithm>

#include "framework/GdiHandles.h"
#include "framework/Format.h"
#include "framework/Timer.h"

const char* const SUiMultiDockCannotInsert = "Cannot insert %s into TUiMultiDock";

HV_PUBLISH(TUiControlMargins) {
  p.Prop("Left", &T::Left, &T::SetLeft).Default(0);
  p.Prop("Top", &T::Top, &T::SetTop).Default(0);
  p.Prop("Right", &T::Right, &T::SetRight).Default(0);
  p.Prop("Bottom", &T::Bottom, &T::SetBottom).Default(0);
}
HV_PUBLISH(TUiMultiDock) {}
HV_PUBLISH(TUiPanelObject) {
  p.Event("OnMouseEnter", &T::OnMouseEnter);
  p.Event("OnMouseLeave", &T::OnMouseLeave);
}
HV_PUBLISH(TUiTextObject) {
  p.Prop("Margins", &T::Margins, &T::SetMargins);
  p.Prop("Alignment", &T::Alignment, &T::SetAlignment).Default(taLeftJustify);
  p.Prop("Wrapping", &T::Wrapping, &T::SetWrapping).Default(twNone);
  p.Prop("ShowAccelChar", &T::ShowAccelChar, &T::SetShowAccelChar).Default(true);
  p.Prop("AutoSize", &T::AutoSize, &T::SetAutoSize).Default(true);
}

// ---- margins ----

void TUiControlMargins::Changed() {
  if (OnChange) OnChange(this);
}

void TUiControlMargins::Assign(TPersistent* Source) {
  auto* other = dynamic_cast<TUiControlMargins*>(Source);
  if (!other) {
    TPersistent::Assign(Source);
    return;
  }
  left_ = other->left_;
  top_ = other->top_;
  right_ = other->right_;
  bottom_ = other->bottom_;
  Changed();
}

// ---- the multi-dock ----

TUiMultiDock::TUiMultiDock(TComponent* AOwner) : TBarDock(AOwner) {}

bool TUiMultiDock::AcceptsChild(TControl*) { return false; }

void TUiMultiDock::WndProc(TMessage& Message) {
  if (Message.Msg == CM_CONTROLCHANGE && Message.LParam) {
    auto* control = reinterpret_cast<TControl*>(Message.WParam);
    if (control && !AcceptsChild(control)) {
      // Taken out again before the refusal, so the control is left without a parent.
      RemoveControl(control);
      throw EInvalidOperation(Format(SUiMultiDockCannotInsert, control->ClassName()));
    }
  }
  TBarDock::WndProc(Message);
}

void TUiMultiDock::Paint() {
  TBarDock::Paint();
  if (!ComponentState().Contains(csDesigning)) return;
  TCanvas* c = Canvas();
  c->Brush()->SetColor(clBtnHighlight);
  c->Brush()->SetStyle(bsFDiagonal);
  c->FrameRect({0, 0, Width(), Height()});
}

// ---- panel objects ----

namespace {
struct THoverState {
  int live = 0;
  std::unique_ptr<TTimer> timer;
  TUiPanelObject* hover = nullptr;
  TUiPanelObject::TControlAtCursorProc controlAtCursor = nullptr;
};
THoverState& hoverState() {
  static THoverState state;
  return state;
}

TControl* systemControlAtCursor() {
  POINT p{};
  GetCursorPos(&p);
  return FindDragTarget({p.x, p.y}, true);
}

TControl* controlAtCursor() {
  THoverState& s = hoverState();
  return s.controlAtCursor ? s.controlAtCursor() : systemControlAtCursor();
}

struct THoverTicker : TObject {
  void Tick(TObject*) { TUiPanelObject::HoverTick(); }
} hoverTicker;
}  // namespace

TUiPanelObject::TControlAtCursorProc TUiPanelObject::SetControlAtCursorProc(TControlAtCursorProc Proc) {
  TControlAtCursorProc old = hoverState().controlAtCursor;
  hoverState().controlAtCursor = Proc;
  return old;
}

TUiPanelObject* TUiPanelObject::HoverControl() { return hoverState().hover; }
bool TUiPanelObject::HoverTimerRunning() { return hoverState().timer && hoverState().timer->Enabled(); }
int TUiPanelObject::LiveCount() { return hoverState().live; }

TUiPanelObject::TUiPanelObject(TComponent* AOwner) : TCustomControl(AOwner) {
  TControlStyle style = ControlStyle();
  style.Include(csAcceptsControls);
  style.Include(csClickEvents);
  style.Include(csDoubleClicks);
  style.Exclude(csOpaque);
  SetControlStyle(style);
  SetColor(clNone);
  SetParentColor(false);
  THoverState& s = hoverState();
  if (s.live++ == 0) {
    s.timer = std::make_unique<TTimer>(nullptr);
    s.timer->SetEnabled(false);
    s.timer->SetInterval(125);
    s.timer->OnTimer = TNotifyEvent(&hoverTicker, &THoverTicker::Tick);
  }
  RegisterThemeListener(this);
}

TUiPanelObject::~TUiPanelObject() {
  UnregisterThemeListener(this);
  THoverState& s = hoverState();
  if (s.hover == this) {
    s.hover = nullptr;
    if (s.timer) s.timer->SetEnabled(false);
  }
  if (--s.live == 0) s.timer.reset();
}

void TUiPanelObject::DoMouseEnter() {
  if (OnMouseEnter) OnMouseEnter(this);
}

void TUiPanelObject::DoMouseLeave() {
  if (OnMouseLeave) OnMouseLeave(this);
}

void TUiPanelObject::BeginHover() {
  THoverState& s = hoverState();
  if (s.hover == this) return;
  if (s.hover) s.hover->EndHover();
  s.hover = this;
  if (s.timer) s.timer->SetEnabled(true);
  mouseIn_ = true;
  DoMouseEnter();
  Invalidate();
}

void TUiPanelObject::EndHover() {
  THoverState& s = hoverState();
  if (s.hover == this) {
    s.hover = nullptr;
    if (s.timer) s.timer->SetEnabled(false);
  }
  if (!mouseIn_) return;
  mouseIn_ = false;
  DoMouseLeave();
  Invalidate();
}

void TUiPanelObject::HoverTick() {
  THoverState& s = hoverState();
  if (!s.hover) {
    if (s.timer) s.timer->SetEnabled(false);
    return;
  }
  if (controlAtCursor() != s.hover) s.hover->EndHover();
}

void TUiPanelObject::MouseMove(TShiftState Shift, int X, int Y) {
  if (Enabled() && controlAtCursor() == this) BeginHover();
  TCustomControl::MouseMove(Shift, X, Y);
}

void TUiPanelObject::CMMouseLeave(TMessage& Message) {
  TCustomControl::CMMouseLeave(Message);
  if (MouseCapture()) EndHover();
}

void TUiPanelObject::CMEnabledChanged(TMessage& Message) {
  TCustomControl::CMEnabledChanged(Message);
  if (!Enabled()) EndHover();
}

void TUiPanelObject::SetPushed(bool Value) {
  if (pushed_ == Value) return;
  pushed_ = Value;
  Invalidate();
}

void TUiPanelObject::KeyDown(Word& Key, TShiftState Shift) {
  if (pushOnSpace_ && Key == VK_SPACE) SetPushed(true);
  TCustomControl::KeyDown(Key, Shift);
}

void TUiPanelObject::KeyUp(Word& Key, TShiftState Shift) {
  if (pushOnSpace_ && Key == VK_SPACE && pushed_) {
    SetPushed(false);
    Click();
  }
  TCustomControl::KeyUp(Key, Shift);
}

void TUiPanelObject::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  SetPushed(false);
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TUiPanelObject::WMCaptureChanged(TMessage& Message) {
  SetPushed(false);
  TCustomControl::WMCaptureChanged(Message);
}

void TUiPanelObject::WMEraseBkgnd(TMessage& Message) {
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  TColor color = Color() == clNone ? GetParentBackgroundColor(Parent()) : Color();
  RECT r{0, 0, Width(), Height()};
  TBrushHandle brush(CreateSolidBrush(ColorToRGB(color)));
  FillRect(dc, &r, brush.Get());
  Message.Result = 1;
}

void TUiPanelObject::WndProc(TMessage& Message) {
  if (Message.Msg == UM_THEMECHANGE) {
    if (Message.WParam == 3) Invalidate();
    return;
  }
  TCustomControl::WndProc(Message);
}

// ---- text objects ----

TUiTextObject::TUiTextObject(TComponent* AOwner)
    : TUiPanelObject(AOwner), margins_(std::make_unique<TUiControlMargins>()) {
  margins_->OnChange = TNotifyEvent(this, &TUiTextObject::MarginsChanged);
  SetDoubleBuffered(true);
  SetWidth(100);
}

TUiTextObject::~TUiTextObject() = default;

void TUiTextObject::MarginsChanged(TObject*) {
  AdjustBounds();
  Invalidate();
}

void TUiTextObject::SetAlignment(TAlignment Value) {
  if (alignment_ == Value) return;
  alignment_ = Value;
  Invalidate();
}

void TUiTextObject::SetWrapping(TTextWrapping Value) {
  if (wrapping_ == Value) return;
  wrapping_ = Value;
  AdjustBounds();
  Invalidate();
}

void TUiTextObject::SetShowAccelChar(bool Value) {
  if (showAccelChar_ == Value) return;
  showAccelChar_ = Value;
  AdjustBounds();
  Invalidate();
}

void TUiTextObject::SetAutoSize(bool Value) {
  // Only stored: the next change that fits the size (text, font, margins and the like, or the
  // end of loading) takes it into account.
  autoSize_ = Value;
}

void TUiTextObject::SetRightToLeftReading(bool Value) {
  if (rightToLeft_ == Value) return;
  rightToLeft_ = Value;
  Invalidate();
}

TRect TUiTextObject::GetTextMargins() { return {}; }

WideString TUiTextObject::GetCaptionText() { return Caption(); }

void TUiTextObject::PaintStage(TCanvas*, int) {}

UINT TUiTextObject::TextFlags() {
  UINT flags = DT_EXPANDTABS;
  TAlignment a = alignment_;
  if (rightToLeft_ && a != taCenter) a = a == taLeftJustify ? taRightJustify : taLeftJustify;
  flags |= a == taRightJustify ? DT_RIGHT : a == taCenter ? DT_CENTER : DT_LEFT;
  switch (wrapping_) {
    case twNone: flags |= DT_SINGLELINE; break;
    case twEndEllipsis: flags |= DT_SINGLELINE | DT_END_ELLIPSIS; break;
    case twPathEllipsis: flags |= DT_SINGLELINE | DT_PATH_ELLIPSIS; break;
    case twWrap: flags |= DT_WORDBREAK; break;
  }
  if (!showAccelChar_) flags |= DT_NOPREFIX;
  return flags;
}

void TUiTextObject::DoDrawText(TCanvas* Canvas, TRect& ARect, UINT Flags) {
  WideString text = GetCaptionText();
  // An empty caption or a lone accelerator sign still takes a line's height.
  if ((Flags & DT_CALCRECT) && (text.empty() || (text == L"&" && showAccelChar_))) text = L" ";
  HDC dc = Canvas->Handle();
  HGDIOBJ oldFont = SelectObject(dc, Canvas->Font()->Handle());
  RECT r{ARect.Left, ARect.Top, ARect.Right, ARect.Bottom};
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorToRGB(Canvas->Font()->Color()));
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, Flags);
  SelectObject(dc, oldFont);
  ARect = {r.left, r.top, r.right, r.bottom};
}

TRect TUiTextObject::GetCaptionRect() {
  TRect tm = GetTextMargins();
  TRect r{margins_->Left() + tm.Left, margins_->Top() + tm.Top, Width() - margins_->Right() - tm.Right,
          Height() - margins_->Bottom() - tm.Bottom};
  TCanvas* c = Canvas();
  c->Font()->Assign(Font());
  TRect measured = r;
  DoDrawText(c, measured, TextFlags() | DT_CALCRECT);
  int h = measured.Height();
  int top = r.Top + (r.Height() - h) / 2;
  return {r.Left, top, r.Right, top + h};
}

void TUiTextObject::Paint() {
  TCanvas* c = Canvas();
  c->Font()->Assign(Font());
  TRect r = GetCaptionRect();
  PaintStage(c, 0);
  if (Focused()) {
    SetTextColor(c->Handle(), 0);
    SetBkColor(c->Handle(), 0xFFFFFF);
    RECT f{r.Left, r.Top, r.Right, r.Bottom};
    DrawFocusRect(c->Handle(), &f);
  }
  UINT flags = TextFlags();
  if (Enabled()) {
    DoDrawText(c, r, flags);
  } else {
    TRect shifted{r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1};
    c->Font()->SetColor(clBtnHighlight);
    DoDrawText(c, shifted, flags);
    c->Font()->SetColor(clBtnShadow);
    DoDrawText(c, r, flags);
  }
  PaintStage(c, 1);
}

TSize TUiTextObject::MeasureCaption() {
  // Measured on a screen-compatible memory context, so that a control without a window yet
  // (being built, or not placed) has a size too.
  TCreatedDC memory(CreateCompatibleDC(nullptr));
  TUiDCCanvas measuring(memory.Get());
  TCanvas* c = &measuring.Canvas;
  c->Font()->Assign(Font());
  TRect tm = GetTextMargins();
  int horizontal = margins_->Left() + margins_->Right() + tm.Left + tm.Right;
  int vertical = margins_->Top() + margins_->Bottom() + tm.Top + tm.Bottom;
  // Wrapped text keeps the current width; other text takes the width it needs.
  TRect r{0, 0, wrapping_ == twWrap ? std::max(Width() - horizontal, 1) : 0x7FFF, 0};
  DoDrawText(c, r, (TextFlags() & ~static_cast<UINT>(DT_END_ELLIPSIS | DT_PATH_ELLIPSIS)) | DT_CALCRECT);
  return {r.Width() + horizontal, r.Height() + vertical};
}

void TUiTextObject::AdjustBounds() {
  if (!autoSize_ || adjusting_ || ComponentState().Contains(csLoading) || ComponentState().Contains(csReading)) return;
  adjusting_ = true;
  try {
    TSize s = MeasureCaption();
    SetBounds(Left(), Top(), s.cx, s.cy);
  } catch (...) {
    adjusting_ = false;
    throw;
  }
  adjusting_ = false;
}

void TUiTextObject::Loaded() {
  TUiPanelObject::Loaded();
  AdjustBounds();
}

void TUiTextObject::WMEraseBkgnd(TMessage& Message) {
  // Only the buffered paint's own erase (WParam = LParam) paints; the window's erase would
  // flicker under it.
  if (Message.WParam != static_cast<WPARAM>(Message.LParam)) {
    Message.Result = 1;
    return;
  }
  TUiPanelObject::WMEraseBkgnd(Message);
}

void TUiTextObject::CMFontChanged(TMessage& Message) {
  TUiPanelObject::CMFontChanged(Message);
  AdjustBounds();
}

void TUiTextObject::CMTextChanged(TMessage& Message) {
  TUiPanelObject::CMTextChanged(Message);
  AdjustBounds();
  Invalidate();
}

// ---- the page scroller ----

int PageScrollRange(int TotalSize, int VisibleSize) { return std::max(TotalSize - VisibleSize, 0); }

int ClampPageScrollPosition(int Position, int TotalSize, int VisibleSize) {
  return std::clamp(Position, 0, PageScrollRange(TotalSize, VisibleSize));
}

int PageScrollChildDelta(int OldPosition, int NewPosition, int ButtonSize) {
  auto place = [&](int P) { return P > 0 ? P + ButtonSize : 0; };
  return place(OldPosition) - place(NewPosition);
}

TUiPageScrollButtons PageScrollButtonsShown(int Position, int TotalSize, int VisibleSize, int ButtonSize) {
  TUiPageScrollButtons b;
  if (VisibleSize <= 3 * ButtonSize) return b;
  b.Back = Position > 0;
  b.Forward = TotalSize - Position > VisibleSize;
  return b;
}

int PageScrollPositionFor(int ChildStart, int ChildSize, int Position, int TotalSize, int VisibleSize) {
  if (ChildStart >= Position && ChildStart + ChildSize <= Position + VisibleSize) return Position;
  return ClampPageScrollPosition(ChildStart + ChildSize / 2 - VisibleSize / 2, TotalSize, VisibleSize);
}
