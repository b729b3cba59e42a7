// Skinned combo box, list box and check list box.
#include "themes/SkinEditors.h"

#include "themes/SkinControls.h"

namespace {

// The hover timer's period: how soon the frame notices that the mouse has left.
constexpr UINT hoverPeriod = 125;

TRect inflated(const TRect& R, int D) { return {R.Left - D, R.Top - D, R.Right + D, R.Bottom + D}; }

// A control canvas borrowing a window's DC for the time of one painting.
class TWindowCanvas {
 public:
  TWindowCanvas(HWND Wnd, bool WholeWindow)
      : dc_(WholeWindow ? TWholeWindowDC(Wnd) : TWindowDC(Wnd)), saved_(dc_.Get()) {
    canvas_.SetHandle(dc_.Get());
  }
  ~TWindowCanvas() { canvas_.SetHandle(nullptr); }
  TCanvas* operator->() { return &canvas_; }
  TCanvas* Get() { return &canvas_; }
  HDC DC() const { return dc_.Get(); }

 private:
  TWindowDC dc_;
  TSaveDC saved_;
  TCanvas canvas_;
};

}  // namespace

// ---- TSkinComboBox ----

TSkinComboBox::TSkinComboBox(TComponent* AOwner) : TUcComboBox(AOwner) {
  SetDoubleBuffered(true);
  RegisterThemeListener(this);
}

TSkinComboBox::~TSkinComboBox() {
  StopTimer();
  UnregisterThemeListener(this);
}

void TSkinComboBox::SetHotTrack(bool Value) {
  if (Value == hotTrack_) return;
  hotTrack_ = Value;
  RepaintFrame();
}

void TSkinComboBox::SetThemeType(TSkinThemeType Value) {
  if (Value == themeType_) return;
  themeType_ = Value;
  if (HandleAllocated()) RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
}

int TSkinComboBox::ButtonWidth() const { return Style() == csSimple ? 0 : GetSystemMetrics(SM_CXVSCROLL); }

void TSkinComboBox::DoDrawBackground(TCanvas* ACanvas, TRect ARect, TSkinPaintStage PaintStage, bool& PaintDefault) {
  if (OnDrawBackground) OnDrawBackground(this, ACanvas, ARect, PaintStage, PaintDefault);
}

void TSkinComboBox::RepaintFrame() {
  if (HandleAllocated()) PaintFrame();
}

void TSkinComboBox::StopTimer() { hoverTimer_.reset(); }

bool TSkinComboBox::CursorOverWindow() {
  if (!HandleAllocated()) return false;
  RECT r;
  GetWindowRect(Handle(), &r);
  POINT p;
  GetCursorPos(&p);
  return PtInRect(&r, p) != 0;
}

void TSkinComboBox::SetInside(bool Value) {
  if (Value == mouseInside_) return;
  mouseInside_ = Value;
  RepaintFrame();
}

void TSkinComboBox::WatchHover() {
  if (!hoverTimer_) {
    hoverTimer_ = std::make_unique<TTimer>(nullptr);
    hoverTimer_->SetInterval(hoverPeriod);
    hoverTimer_->OnTimer = TNotifyEvent(this, &TSkinComboBox::HoverTick);
  }
  hoverTimer_->SetEnabled(true);
}

void TSkinComboBox::HoverTick(TObject*) {
  if (CursorOverWindow() || (HandleAllocated() && DroppedDown())) return;
  // Stopped, not freed: this runs inside the timer's own tick.
  hoverTimer_->SetEnabled(false);
  overButton_ = false;
  // The focus, if it is here, still keeps the frame hot when it is painted.
  SetInside(false);
}

void TSkinComboBox::PaintFrame() {
  if (!HandleAllocated()) return;
  TWindowCanvas canvas(Handle(), false);
  TRect client = ClientRect();
  int button = ButtonWidth();
  // Only the border ring and the button are ours; the system's text stays.
  TRect inner = inflated(client, -2);
  if (button > 0) inner.Right = client.Right - button - 2;
  if (!inner.IsEmpty()) ExcludeClipRect(canvas.DC(), inner.Left, inner.Top, inner.Right, inner.Bottom);
  bool paintDefault = true;
  DoDrawBackground(canvas.Get(), client, pstPrePaint, paintDefault);
  TSkinThemeType skin = GetSkinType(themeType_);
  if (paintDefault && skin == thtWindows) {
    HTHEME h = UiThemeHandle(ucComboBox);
    if (h && UxTheme().DrawThemeBackground) {
      RECT r = ToRECT(client);
      if (button < client.Width()) UxTheme().DrawThemeBackground(h, canvas.DC(), 0, 0, &r, nullptr);
      if (button > 0) {
        int state = !Enabled() ? 4 : DroppedDown() ? 3 : overButton_ ? 2 : 1;
        RECT b = ToRECT(inflated(client, -1));
        b.left = b.right - button;
        UxTheme().DrawThemeBackground(h, canvas.DC(), 1, state, &b, nullptr);
      }
    }
  } else if (paintDefault && skin == thtUi && CurrentTheme) {
    bool dropped = DroppedDown();
    bool hot = hotTrack_ ? (mouseInside_ || Focused() || (EditHandle() && GetFocus() == EditHandle())) : dropped;
    DrawParentBackground(this, canvas.DC(), client);
    TUiEditFrameInfo frame;
    frame.ButtonWidth = button;
    frame.ButtonKind = 1;
    frame.ButtonState = !Enabled() ? 1 : dropped ? 4 : hot ? 2 : 0;
    TUiItemInfo info = SkinControlItemInfo(Enabled(), hot, dropped);
    frame.FrameState = GetStateFlags(info);
    CurrentTheme->PaintEditFrame(canvas.Get(), client, info, frame);
  }
  DoDrawBackground(canvas.Get(), client, pstPostPaint, paintDefault);
}

void TSkinComboBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_PAINT:
      inherited::Dispatch(Message);
      PaintFrame();
      return;
    case CM_MOUSEENTER:
      inherited::Dispatch(Message);
      SetInside(true);
      WatchHover();
      return;
    case WM_MOUSEMOVE:
      inherited::Dispatch(Message);
      if (GetSkinType(themeType_) == thtWindows && ButtonWidth() > 0) {
        int x = static_cast<short>(LOWORD(Message.LParam));
        bool over = x >= ClientWidth() - ButtonWidth();
        if (over != overButton_) {
          overButton_ = over;
          RepaintFrame();
        }
      }
      return;
    case CM_ENTER:
      inherited::Dispatch(Message);
      SetInside(true);
      return;
    case CM_EXIT:
      inherited::Dispatch(Message);
      SetInside(false);
      return;
    case UM_THEMECHANGE:
      if (Message.WParam == 3 && HandleAllocated()) Invalidate();
      return;
    default: break;
  }
  inherited::Dispatch(Message);
}

HV_PUBLISH(TSkinComboBox) {
  PublishComboBox(p);
  p.Prop("HotTrack", &T::HotTrack, &T::SetHotTrack).Default(1);
  p.Prop("ThemeType", &T::ThemeType, &T::SetThemeType).Default(thtUi);
  p.Event("OnDrawBackground", &T::OnDrawBackground);
}

// ---- the list boxes ----

template <class Base>
TSkinListBase<Base>::TSkinListBase(TComponent* AOwner) : Base(AOwner) {
  Base::SetStyle(lbOwnerDrawFixed);
  RegisterThemeListener(this);
}

template <class Base>
TSkinListBase<Base>::~TSkinListBase() {
  UnregisterThemeListener(this);
}

template <class Base>
void TSkinListBase<Base>::SetHotTrack(bool Value) {
  hotTrack_ = Value;
}

template <class Base>
void TSkinListBase<Base>::SetThemeType(TSkinThemeType Value) {
  if (Value == themeType_) return;
  themeType_ = Value;
  RedrawWithFrame();
}

template <class Base>
void TSkinListBase<Base>::CreateParams(TCreateParams& Params) {
  Base::CreateParams(Params);
  // Always owner-drawn, whatever style a form file gave.
  if (!(Params.Style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE))) Params.Style |= LBS_OWNERDRAWFIXED;
}

template <class Base>
void TSkinListBase<Base>::RedrawWithFrame() {
  if (this->HandleAllocated()) RedrawWindow(this->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
}

template <class Base>
void TSkinListBase<Base>::SetHot(bool Value) {
  if (Value == hot_) return;
  hot_ = Value;
  RedrawWithFrame();
}

template <class Base>
void TSkinListBase<Base>::DrawItemBackground(int Index, const TRect& Rect, TOwnerDrawState State) {
  if (OnDrawItemBackground) {
    OnDrawItemBackground(this, Index, Rect, State);
    return;
  }
  DrawSkinListItem(this->Canvas(), Rect, State.Contains(odSelected), GetSkinType(themeType_), State.Contains(odFocused),
                   false);
}

template <class Base>
void TSkinListBase<Base>::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) {
  if (this->OnDrawItem) {
    this->OnDrawItem(this, Index, Rect, State);
    return;
  }
  if (Index < 0 || Index >= this->Items()->Count()) return;
  TCanvas* canvas = this->Canvas();
  TRect r = Rect;
  r.Left += 2;
  canvas->Brush()->SetStyle(bsClear);
  canvas->DrawText(r, this->Items()->Strings(Index), DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

template <class Base>
void TSkinListBase<Base>::OwnerDraw(TMessage& Message) {
  auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
  DrawOwnerItem(this, this->Canvas(), *dis, [&](int Index, const TRect& Rect, TOwnerDrawState State) {
    if (Index < 0 || Index >= this->Items()->Count()) {
      this->Canvas()->FillRect(Rect);
      return;
    }
    DrawItemBackground(Index, Rect, State);
    // Controls here read left to right: the text moves right.
    TRect r = Rect;
    r.Left += TextIndent(Index) + 1;
    DrawItem(Index, r, State);
  });
  Message.Result = TRUE;
}

template <class Base>
void TSkinListBase<Base>::PaintBorder() {
  TSkinThemeType skin = GetSkinType(themeType_);
  if (skin == thtNone || !this->HandleAllocated()) return;
  TWindowCanvas canvas(this->Handle(), true);
  RECT w;
  GetWindowRect(this->Handle(), &w);
  TRect r(0, 0, w.right - w.left, w.bottom - w.top);
  // Only the two-pixel border is ours.
  ExcludeClipRect(canvas.DC(), r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2);
  DrawParentBackground(this, canvas.DC(), r);
  DrawSkinEditFrame(canvas.Get(), r, this->Enabled(), hot_, skin, true);
}

template <class Base>
void TSkinListBase<Base>::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_DRAWITEM: OwnerDraw(Message); return;
    case WM_NCPAINT:
      Base::Dispatch(Message);
      PaintBorder();
      return;
    case CM_MOUSEENTER:
      Base::Dispatch(Message);
      if (hotTrack_) SetHot(true);
      return;
    case CM_MOUSELEAVE:
      Base::Dispatch(Message);
      if (hotTrack_ && !this->Focused()) SetHot(false);
      return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      Base::Dispatch(Message);
      if (hotTrack_) SetHot(Message.Msg == WM_SETFOCUS);
      return;
    case UM_THEMECHANGE:
      if (Message.WParam == 3) RedrawWithFrame();
      return;
    default: break;
  }
  Base::Dispatch(Message);
}

template class TSkinListBase<TUcListBox>;
template class TSkinListBase<TUcCheckListBox>;

HV_PUBLISH(TSkinListBox) {
  PublishListBox(p);
  p.Prop("Style", &T::Style, &T::SetStyle).Default(lbOwnerDrawFixed);
  p.Prop("HotTrack", &T::HotTrack, &T::SetHotTrack).Default(1);
  p.Prop("ThemeType", &T::ThemeType, &T::SetThemeType).Default(thtUi);
  p.Event("OnDrawItemBackground", &T::OnDrawItemBackground);
}

int TSkinCheckListBox::TextIndent(int) { return CheckWidth(); }

void TSkinCheckListBox::DrawItemBackground(int Index, const TRect& Rect, TOwnerDrawState State) {
  if (OnDrawItemBackground) {
    OnDrawItemBackground(this, Index, Rect, State);
    return;
  }
  TCanvas* canvas = Canvas();
  if (Header(Index)) {
    canvas->Brush()->SetColor(clInfoBk);
    canvas->Font()->SetColor(clInfoText);
    canvas->FillRect(Rect);
    if (State.Contains(odFocused)) {
      SetTextColor(canvas->Handle(), 0);
      SetBkColor(canvas->Handle(), 0xFFFFFF);
      canvas->DrawFocusRect(Rect);
    }
    return;
  }
  int check = CheckWidth();
  TRect box = Rect;
  box.Right = box.Left + check;
  TRect text = Rect;
  text.Left = box.Right;
  // The box stands on the list's background, a square centred beside the text.
  canvas->Brush()->SetColor(Color());
  canvas->FillRect(box);
  int top = box.Top + (box.Height() - check) / 2;
  TRect square = inflated(TRect{box.Left, top, box.Left + check, top + check}, -1);
  TSkinThemeType skin = GetSkinType(ThemeType());
  DrawSkinCheckBox(canvas, square, ItemEnabled(Index) && Enabled(), skin, false, false, false,
                   TCheckListBox::State(Index));
  PrepareItemCanvas(canvas, this, State);
  DrawSkinListItem(canvas, text, State.Contains(odSelected), skin, State.Contains(odFocused), false);
}

HV_PUBLISH(TSkinCheckListBox) {
  PublishListBox(p);
  p.Prop("Style", &T::Style, &T::SetStyle).Default(lbOwnerDrawFixed);
  p.Prop("AllowGrayed", &T::AllowGrayed, &T::SetAllowGrayed).Default(0);
  p.Prop("HotTrack", &T::HotTrack, &T::SetHotTrack).Default(1);
  p.Prop("ThemeType", &T::ThemeType, &T::SetThemeType).Default(thtUi);
  p.Event("OnDrawItemBackground", &T::OnDrawItemBackground);
  p.Event("OnClickCheck", &T::OnClickCheck);
}

namespace {
const bool registered = [] {
  RegisterClass(TSkinComboBox::StaticClassInfo());
  RegisterClass(TSkinListBox::StaticClassInfo());
  RegisterClass(TSkinCheckListBox::StaticClassInfo());
  return true;
}();
}  // namespace
