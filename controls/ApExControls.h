// The extended control bases: a hint colour that may follow the parent, mouse enter and leave
// with a mouse-over flag, a parent-colour event and overridable operations for the messages
// descendants care about; windowed ones add focus, erase, size and dialog-code operations, and
// the custom control and the form the flat "highlight" frame.
#pragma once

#include "controls/ApThemes.h"
#include "framework/Application.h"
#include "framework/Controls.h"
#include "framework/GdiHandles.h"

// The message a control answers 1 to when it supports the extended interface query.
constexpr UINT CM_APEXQUERYINTERFACE = CM_BASE + 2000;

// The key data of CM_DIALOGCHAR rebuilt from a shift state.
LPARAM ShiftStateToKeyData(TShiftState Shift);
// The hint colour a control with HintColor shows: clNone gives the application's hint colour,
// clDefault the colour the parent answers (the application's when there is no parent), any
// other value itself.
TColor ResolveHintColor(TControl* Control, TColor HintColor, const THintInfo& Info);

// What every extended base adds to Base (a TControl descendant).
template <class Base>
class TApExControlBase : public Base, public IApThemeStyled {
 public:
  using Base::Base;

  TColor HintColor() const { return hintColor_; }
  void SetHintColor(TColor Value) { hintColor_ = Value; }
  // Whether the mouse is over the control (between its enter and leave).
  bool MouseOver() const { return mouseOver_; }
  uint32_t& ThemeStyleFlags() override { return themeStyle_; }

  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TNotifyEvent OnParentColorChange;

 protected:
  // The operations; each default does what the control did without the base.
  virtual void TextChanged() { InheritedPerform(CM_TEXTCHANGED, 0, 0); }
  virtual bool WantKey(int Key, TShiftState Shift, const WideString& KeyText) {
    (void)KeyText;
    return InheritedPerform(CM_DIALOGCHAR, static_cast<WPARAM>(Key), ShiftStateToKeyData(Shift)) != 0;
  }
  virtual bool HitTest(int X, int Y) {
    return InheritedPerform(CM_HITTEST, 0, MAKELPARAM(static_cast<WORD>(X), static_cast<WORD>(Y))) != 0;
  }
  // The mouse entered or left AControl (this control, or a child telling its parents).
  virtual void MouseEnter(TControl* AControl) {
    if (IsSelf(AControl)) {
      mouseOver_ = true;
      if (OnMouseEnter) OnMouseEnter(this);
    }
    InheritedPerform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(AControl == this ? nullptr : AControl));
  }
  virtual void MouseLeave(TControl* AControl) {
    if (IsSelf(AControl)) mouseOver_ = false;
    InheritedPerform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(AControl == this ? nullptr : AControl));
    if (IsSelf(AControl) && OnMouseLeave) OnMouseLeave(this);
  }
  // The parent's colour changed: the inherited handling, then OnParentColorChange.
  virtual void ParentColorChanged(WPARAM WParam, LPARAM LParam) {
    InheritedPerform(CM_PARENTCOLORCHANGED, WParam, LParam);
    if (OnParentColorChange) OnParentColorChange(this);
  }
  // A hint is about to show: its colour follows HintColor; true refuses the hint.
  virtual bool HintShow(THintInfo& Info) {
    Info.HintColor = ResolveHintColor(this, hintColor_, Info);
    return InheritedPerform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&Info)) != 0;
  }
  // The notifications of a change; each default hands its message on as it came, so that a
  // descendant replaces only what it overrides.
  virtual void FocusChanged(TMessage& Message) { Base::Dispatch(Message); }
  virtual void ParentFontChanged(TMessage& Message) { Base::Dispatch(Message); }
  virtual void VisibleChanged(TMessage& Message) { Base::Dispatch(Message); }
  virtual void EnabledChanged(TMessage& Message) { Base::Dispatch(Message); }
  virtual void ColorChanged(TMessage& Message) { Base::Dispatch(Message); }
  virtual void FontChanged(TMessage& Message) { Base::Dispatch(Message); }
  virtual void ParentShowHintChanged(TMessage& Message) { Base::Dispatch(Message); }

  void Dispatch(TMessage& Message) override {
    switch (Message.Msg) {
      case CM_DIALOGCHAR: {
        wchar_t text[2] = {static_cast<wchar_t>(Message.WParam), 0};
        Message.Result = WantKey(static_cast<int>(LOWORD(Message.WParam)), KeyDataToShiftState(Message.LParam), text);
        return;
      }
      case CM_HITTEST:
        Message.Result =
            HitTest(static_cast<short>(LOWORD(Message.LParam)), static_cast<short>(HIWORD(Message.LParam)));
        return;
      case CM_TEXTCHANGED: TextChanged(); return;
      case CM_MOUSEENTER: MouseEnter(Message.LParam ? reinterpret_cast<TControl*>(Message.LParam) : this); return;
      case CM_MOUSELEAVE: MouseLeave(Message.LParam ? reinterpret_cast<TControl*>(Message.LParam) : this); return;
      case CM_PARENTCOLORCHANGED: ParentColorChanged(Message.WParam, Message.LParam); return;
      case CM_HINTSHOW: Message.Result = HintShow(*reinterpret_cast<THintInfo*>(Message.LParam)); return;
      case CM_FOCUSCHANGED: FocusChanged(Message); return;
      case CM_PARENTFONTCHANGED: ParentFontChanged(Message); return;
      case CM_VISIBLECHANGED: VisibleChanged(Message); return;
      case CM_ENABLEDCHANGED: EnabledChanged(Message); return;
      case CM_COLORCHANGED: ColorChanged(Message); return;
      case CM_FONTCHANGED: FontChanged(Message); return;
      case CM_PARENTSHOWHINTCHANGED: ParentShowHintChanged(Message); return;
      case CM_APEXQUERYINTERFACE: Message.Result = 0; return;
      default: Base::Dispatch(Message);
    }
  }

  // Sends a message to the handling the control had without this base.
  LRESULT InheritedPerform(UINT Msg, WPARAM WParam, LPARAM LParam) {
    TMessage message{};
    message.Msg = Msg;
    message.WParam = WParam;
    message.LParam = LParam;
    Base::Dispatch(message);
    return message.Result;
  }

 private:
  bool IsSelf(TControl* AControl) const { return AControl == this; }

  TColor hintColor_ = clDefault;
  bool mouseOver_ = false;
  uint32_t themeStyle_ = 0;
};

// What the windowed extended bases add.
template <class Base>
class TApExWindowedBase : public TApExControlBase<Base> {
  using ExBase = TApExControlBase<Base>;

 public:
  using ExBase::ExBase;

 protected:
  // The window's size changed (after the inherited handling).
  virtual void BoundsChanged() {}
  // The dialog code the window answers (after the inherited handling).
  virtual void GetDlgCode(LRESULT& Code) { (void)Code; }
  virtual void DoSetFocus(HWND FocusedWnd) {
    this->InheritedPerform(WM_SETFOCUS, reinterpret_cast<WPARAM>(FocusedWnd), 0);
  }
  virtual void DoKillFocus(HWND FocusedWnd) {
    this->InheritedPerform(WM_KILLFOCUS, reinterpret_cast<WPARAM>(FocusedWnd), 0);
  }
  // Erases the background on Canvas; true when it is erased.
  virtual bool DoEraseBackground(TCanvas* Canvas, LPARAM Param) {
    return this->InheritedPerform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(Canvas->Handle()), Param) != 0;
  }
  // The notifications only a windowed control gets; each default hands its message on.
  virtual void CursorChanged(TMessage& Message) { Base::Dispatch(Message); }
  virtual void ShowingChanged(TMessage& Message) { Base::Dispatch(Message); }
  virtual void ShowHintChanged(TMessage& Message) { Base::Dispatch(Message); }
  // A child joined or left the control's list (WParam the child, LParam whether it joined).
  virtual void ControlListChange(TMessage& Message) { Base::Dispatch(Message); }
  virtual void ControlChange(TMessage& Message) { Base::Dispatch(Message); }

  void Dispatch(TMessage& Message) override {
    switch (Message.Msg) {
      case WM_SETFOCUS: DoSetFocus(reinterpret_cast<HWND>(Message.WParam)); return;
      case WM_KILLFOCUS: DoKillFocus(reinterpret_cast<HWND>(Message.WParam)); return;
      case WM_ERASEBKGND: {
        HDC dc = reinterpret_cast<HDC>(Message.WParam);
        TSaveDC save(dc);
        TCanvas canvas;
        canvas.SetHandle(dc);
        Message.Result = DoEraseBackground(&canvas, Message.LParam);
        canvas.SetHandle(nullptr);
        return;
      }
      case WM_SIZE:
        ExBase::Dispatch(Message);
        BoundsChanged();
        return;
      case WM_GETDLGCODE:
        ExBase::Dispatch(Message);
        GetDlgCode(Message.Result);
        return;
      case CM_CURSORCHANGED: CursorChanged(Message); return;
      case CM_SHOWINGCHANGED: ShowingChanged(Message); return;
      case CM_SHOWHINTCHANGED: ShowHintChanged(Message); return;
      case CM_CONTROLLISTCHANGE: ControlListChange(Message); return;
      case CM_CONTROLCHANGE: ControlChange(Message); return;
      default: ExBase::Dispatch(Message); return;
    }
  }
};

// The windowed bases of custom controls and forms: the operations and a flat frame.
template <class Base>
class TApExWinControlBase : public TApExWindowedBase<Base> {
  using WinBase = TApExWindowedBase<Base>;

 public:
  using WinBase::WinBase;

  // A flat frame: grey, or blue while focused or under the mouse.
  bool DotNetHighlighting() const { return dotNetHighlighting_; }
  void SetDotNetHighlighting(bool Value) {
    if (Value == dotNetHighlighting_) return;
    dotNetHighlighting_ = Value;
    if (this->HandleAllocated())
      SetWindowPos(this->Handle(), nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

 protected:
  void Dispatch(TMessage& Message) override {
    WinBase::Dispatch(Message);
    switch (Message.Msg) {
      case WM_SETFOCUS:
      case WM_KILLFOCUS:
      case WM_NCPAINT:
      case CM_MOUSEENTER:
      case CM_MOUSELEAVE: PaintFlatFrame(Message.Msg == CM_MOUSELEAVE); break;
      default: break;
    }
  }

 private:
  // Not at design time: a designed control shows its plain bounds.
  void PaintFlatFrame(bool InvalidateRing) {
    if (!dotNetHighlighting_ || !this->HandleAllocated() || this->ComponentState().Contains(csDesigning)) return;
    HWND wnd = this->Handle();
    bool hot = this->Focused() || this->MouseOver();
    RECT r;
    GetWindowRect(wnd, &r);
    OffsetRect(&r, -r.left, -r.top);
    if (TWholeWindowDC owner(wnd); HDC dc = owner.Get()) {
      TBrushHandle outer(CreateSolidBrush(hot ? 0x733800 : 0x808080));
      FrameRect(dc, &r, outer.Get());
      if (!hot) {
        RECT inner = r;
        InflateRect(&inner, -1, -1);
        TBrushHandle fill(CreateSolidBrush(ColorToRGB(this->Color())));
        FrameRect(dc, &inner, fill.Get());
      }
    }
    if (InvalidateRing) {
      RECT outer;
      GetWindowRect(wnd, &outer);
      MapWindowPoints(nullptr, wnd, reinterpret_cast<POINT*>(&outer), 2);
      RECT inner = outer;
      InflateRect(&inner, -2, -2);
      TRegionHandle ring(CreateRectRgnIndirect(&outer));
      TRegionHandle hole(CreateRectRgnIndirect(&inner));
      CombineRgn(ring.Get(), ring.Get(), hole.Get(), RGN_DIFF);
      RedrawWindow(wnd, nullptr, ring.Get(), RDW_INVALIDATE | RDW_FRAME);
    }
  }

  bool dotNetHighlighting_ = false;
};

class TApExCustomControl : public TApExWinControlBase<TCustomControl> {
  HV_CLASS(TApExCustomControl, TApExWinControlBase<TCustomControl>)
 public:
  explicit TApExCustomControl(TComponent* AOwner) : inherited(AOwner) {}
};

class TApExGraphicControl : public TApExControlBase<TGraphicControl> {
  HV_CLASS(TApExGraphicControl, TApExControlBase<TGraphicControl>)
 public:
  explicit TApExGraphicControl(TComponent* AOwner) : inherited(AOwner) {}
};
