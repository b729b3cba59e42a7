// The hot-key field: key capture rules apart from the window, then painting and the caret.
#include "app/NSHotKey.h"

#include "framework/Forms.h"
#include "framework/GdiHandles.h"
#include "framework/Graphics.h"
#include "framework/Messages.h"
#include "framework/Screen.h"

HV_PUBLISH(TNSHotKey) {
  p.Prop("NoneStr", &T::NoneStr, &T::SetNoneStr);
  p.Prop("HotKey", &T::HotKey, &T::SetHotKey).Default(0);
  p.Prop("InvalidKeys", &T::InvalidKeys, &T::SetInvalidKeys).Default(THKInvalidKeys{});
  p.Prop("Modifiers", &T::Modifiers, &T::SetModifiers).Default(THKModifiers{});
  p.Prop("BorderStyle", &T::BorderStyle, &T::SetBorderStyle).Default(bsSingle);
}

THKInvalidKey ShiftClass(TShiftState Shift) {
  const int bits =
      (Shift.Contains(ssShift) ? 1 : 0) | (Shift.Contains(ssCtrl) ? 2 : 0) | (Shift.Contains(ssAlt) ? 4 : 0);
  static const THKInvalidKey classes[8] = {hcNone, hcShift,    hcCtrl,    hcShiftCtrl,
                                           hcAlt,  hcShiftAlt, hcCtrlAlt, hcShiftCtrlAlt};
  return classes[bits];
}

bool IsAcceptedHotKey(Word Key) {
  return Key == 8 || Key == 9 || Key == 13 || Key == 27 || (Key >= 32 && Key <= 40) || Key == 45 || Key == 46 ||
         (Key >= 48 && Key <= 57) || (Key >= 65 && Key <= 90) || Key == 106 || Key == 107 ||
         (Key >= 109 && Key <= 135) || (Key >= 186 && Key <= 190) || Key == 192 || (Key >= 219 && Key <= 222);
}

WideString ShortCutDisplayText(Word Key, TShiftState Shift, const WideString& NoneStr) {
  WideString text;
  if (Shift.Contains(ssCtrl)) text += L"Ctrl+";
  if (Shift.Contains(ssShift)) text += L"Shift+";
  if (Shift.Contains(ssAlt)) text += L"Alt+";
  if (Key) text += ShortCutKeyName(Key);
  return text.empty() ? NoneStr : text;
}

namespace {

TShiftState modifierShift(TShiftState Shift, THKInvalidKeys InvalidKeys, THKModifiers Modifiers) {
  TShiftState only;
  if (Shift.Contains(ssShift)) only.Include(ssShift);
  if (Shift.Contains(ssCtrl)) only.Include(ssCtrl);
  if (Shift.Contains(ssAlt)) only.Include(ssAlt);
  if (!InvalidKeys.Contains(ShiftClass(only))) return only;
  TShiftState replaced;
  if (Modifiers.Contains(hkShift)) replaced.Include(ssShift);
  if (Modifiers.Contains(hkCtrl)) replaced.Include(ssCtrl);
  if (Modifiers.Contains(hkAlt)) replaced.Include(ssAlt);
  return replaced;
}

}  // namespace

THotKeyCapture CaptureHotKey(Word Key, TShiftState Shift, THKInvalidKeys InvalidKeys, THKModifiers Modifiers,
                             const WideString& NoneStr) {
  THotKeyCapture r;
  r.ModifierOnly = (Key == VK_SHIFT && Shift.Contains(ssShift)) || (Key == VK_CONTROL && Shift.Contains(ssCtrl)) ||
                   (Key == VK_MENU && Shift.Contains(ssAlt));
  Shift = modifierShift(Shift, InvalidKeys, Modifiers);
  if (r.ModifierOnly) {
    Key = 0;
  } else if (ShiftClass(Shift) == hcNone) {
    if (Key == VK_TAB) r.NextControl = true;
    if (Key == VK_ESCAPE || (Key >= VK_F1 && Key <= VK_F24))
      r.HotKey = ShortCut(Key, Shift);
    else
      Key = 0;
  } else if (IsAcceptedHotKey(Key)) {
    r.HotKey = ShortCut(Key, Shift);
  } else {
    Key = 0;
  }
  if (!r.ModifierOnly && !IsAcceptedHotKey(Key))
    r.Text = NoneStr;
  else
    r.Text = ShortCutDisplayText(Key, Shift, NoneStr);
  return r;
}

TNSHotKey::TNSHotKey(TComponent* AOwner) : TCustomControl(AOwner) {
  SetParentColor(false);
  SetColor(clWindow);
  SetTabStop(true);
  SetBounds(Left(), Top(), 121, 25);
  AdjustHeight();
}

int TNSHotKey::FontTextHeight() const {
  const TWindowDC screen;
  const TSelectObject font(screen.Get(), Font()->Handle());
  TEXTMETRICW metrics{};
  if (!GetTextMetricsW(screen.Get(), &metrics)) return std::abs(Font()->Height());
  return metrics.tmHeight;
}

void TNSHotKey::AdjustHeight() {
  // The sunken 3-D edge takes two border widths more than the flat frame.
  SetHeight(FontTextHeight() + (Ctl3D() ? 8 : 6) * GetSystemMetrics(SM_CYBORDER));
}

void TNSHotKey::SetHotKey(TShortCut Value) {
  Word key = 0;
  TShiftState shift;
  ShortCutToKey(Value, key, shift);
  shift = modifierShift(shift, invalidKeys_, modifiers_);
  hotKey_ = key ? ShortCut(key, shift) : TShortCut(0);
  ShowText(ShortCutDisplayText(key, shift, noneStr_));
}

void TNSHotKey::SetInvalidKeys(THKInvalidKeys Value) {
  invalidKeys_ = Value;
  SetHotKey(hotKey_);
}

void TNSHotKey::SetModifiers(THKModifiers Value) {
  modifiers_ = Value;
  SetHotKey(hotKey_);
}

void TNSHotKey::SetNoneStr(const WideString& Value) {
  if (Value == noneStr_) return;
  noneStr_ = Value;
  ShowText(Value);
}

void TNSHotKey::SetBorderStyle(TBorderStyle Value) {
  if (Value == borderStyle_) return;
  borderStyle_ = Value;
  if (HandleAllocated()) RecreateWnd();
  AdjustHeight();
}

void TNSHotKey::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
  Params.Style |= WS_CLIPCHILDREN;
  // A 3-D control draws a sunken client edge instead of the flat border.
  if (borderStyle_ == bsSingle) {
    if (Ctl3D())
      Params.ExStyle |= WS_EX_CLIENTEDGE;
    else
      Params.Style |= WS_BORDER;
  }
}

void TNSHotKey::ShowText(const WideString& Text) {
  text_ = Text;
  Invalidate();
  PlaceCaret();
}

void TNSHotKey::PlaceCaret() {
  if (!HandleAllocated() || GetFocus() != Handle()) return;
  // The client area already lies inside the border.
  Canvas()->SetFont(Font());
  SetCaretPos(1 + Canvas()->TextWidth(text_), 1);
}

void TNSHotKey::Paint() {
  TRect r = ClientRect();
  Canvas()->Brush()->SetColor(Color());
  Canvas()->Brush()->SetStyle(bsSolid);
  Canvas()->FillRect(r);
  Canvas()->SetFont(Font());
  Canvas()->TextOut(1, 1, text_);
}

void TNSHotKey::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETDLGCODE: Message.Result = DLGC_WANTARROWS | DLGC_WANTTAB; return;
    case WM_SETFOCUS:
      TCustomControl::WndProc(Message);
      CreateCaret(Handle(), nullptr, 1, 2 - Font()->Height());
      PlaceCaret();
      ShowCaret(Handle());
      return;
    case WM_KILLFOCUS:
      DestroyCaret();
      TCustomControl::WndProc(Message);
      return;
    case CM_FONTCHANGED:
      TCustomControl::WndProc(Message);
      AdjustHeight();
      return;
    case CM_CTL3DCHANGED:
      TCustomControl::WndProc(Message);
      if (borderStyle_ == bsSingle) {
        // The frame's style changes with the look: a new window first, then its height.
        if (HandleAllocated()) RecreateWnd();
        AdjustHeight();
      }
      return;
    default: TCustomControl::WndProc(Message);
  }
}

void TNSHotKey::KeyDown(Word& Key, TShiftState Shift) {
  const THotKeyCapture capture = CaptureHotKey(Key, Shift, invalidKeys_, modifiers_, noneStr_);
  modifierOnly_ = capture.ModifierOnly;
  if (capture.NextControl && Screen->ActiveForm()) PostMessageW(Screen->ActiveForm()->Handle(), WM_NEXTDLGCTL, 0, 0);
  hotKey_ = capture.HotKey;
  ShowText(capture.Text);
  TCustomControl::KeyDown(Key, Shift);
}

void TNSHotKey::KeyUp(Word& Key, TShiftState Shift) {
  if (modifierOnly_ && Key != VK_ESCAPE) ShowText(noneStr_);
  TCustomControl::KeyUp(Key, Shift);
}

void TNSHotKey::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  SetFocus();
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TNSHotKey::DoExit() {
  if (modifierOnly_) ShowText(noneStr_);
  TCustomControl::DoExit();
}
