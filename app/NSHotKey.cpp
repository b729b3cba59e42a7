// The hot-key field: key capture rules apart from the window, then painting and the caret.
#include "app/NSHotKey.h"

#include <algorithm>
#include <vector>

#include "framework/Forms.h"
#include "framework/GdiHandles.h"
#include "framework/Graphics.h"
#include "framework/Messages.h"
#include "framework/Screen.h"
#include "framework/SystemHandles.h"

HV_PUBLISH(TNSHotKey) {
  p.Prop("NoneStr", &T::NoneStr, &T::SetNoneStr);
  p.Prop("HotKey", &T::HotKey, &T::SetHotKey).Default(0);
  p.Prop("InvalidKeys", &T::InvalidKeys, &T::SetInvalidKeys).Default(THKInvalidKeys{});
  p.Prop("Modifiers", &T::Modifiers, &T::SetModifiers).Default(THKModifiers{});
  p.Prop("BorderStyle", &T::BorderStyle, &T::SetBorderStyle).Default(bsSingle);
  p.Prop("BevelEdges", &T::BevelEdges, &T::SetBevelEdges).Default(TBevelEdges{beLeft, beTop, beRight, beBottom});
  p.Prop("BevelInner", &T::BevelInner, &T::SetBevelInner).Default(bvRaised);
  p.Prop("BevelOuter", &T::BevelOuter, &T::SetBevelOuter).Default(bvLowered);
  p.Prop("BevelKind", &T::BevelKind, &T::SetBevelKind).Default(bkNone);
  p.Prop("BevelWidth", &T::BevelWidth, &T::SetBevelWidth).Default(1);
  p.Prop("BiDiMode", &T::BiDiMode, &T::SetBiDiMode).Default(bdLeftToRight);
  p.Prop("ImeName", &T::ImeName, &T::SetImeName);
}

HKL FindImeLayout(const WideString& ImeName) {
  if (ImeName.empty()) return nullptr;
  // The input method library is there only where input method editors are.
  static const TModuleHandle imm(L"imm32.dll");
  using TGetDescription = UINT(WINAPI*)(HKL, LPWSTR, UINT);
  const auto getDescription = imm.Proc<TGetDescription>("ImmGetDescriptionW");
  if (!getDescription) return nullptr;
  const int count = GetKeyboardLayoutList(0, nullptr);
  if (count <= 0) return nullptr;
  std::vector<HKL> layouts(static_cast<size_t>(count));
  layouts.resize(static_cast<size_t>(std::max(GetKeyboardLayoutList(count, layouts.data()), 0)));
  for (HKL layout : layouts) {
    wchar_t description[256] = {};
    const UINT length = getDescription(layout, description, 255);
    if (length > 0 && ImeName == WideString(description, std::min<UINT>(length, 255))) return layout;
  }
  return nullptr;
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

void TNSHotKey::SetBevelEdges(TBevelEdges Value) { SetFrameField(bevelEdges_, Value); }
void TNSHotKey::SetBevelInner(TPanelBevel Value) { SetFrameField(bevelInner_, Value); }
void TNSHotKey::SetBevelOuter(TPanelBevel Value) { SetFrameField(bevelOuter_, Value); }
void TNSHotKey::SetBevelKind(TBevelKind Value) { SetFrameField(bevelKind_, Value); }
void TNSHotKey::SetBevelWidth(int Value) { SetFrameField(bevelWidth_, std::max(Value, 1)); }

int TNSHotKey::BevelSize() const {
  if (bevelKind_ == bkNone) return 0;
  return ((bevelInner_ != bvNone ? 1 : 0) + (bevelOuter_ != bvNone ? 1 : 0)) * bevelWidth_;
}

void TNSHotKey::SetBiDiMode(TBiDiMode Value) {
  if (Value == biDiMode_) return;
  biDiMode_ = Value;
  if (HandleAllocated()) RecreateWnd();
  Invalidate();
}

void TNSHotKey::MoveBevelEdges(RECT& R, int By) const {
  if (bevelEdges_.Contains(beLeft)) R.left += By;
  if (bevelEdges_.Contains(beTop)) R.top += By;
  if (bevelEdges_.Contains(beRight)) R.right -= By;
  if (bevelEdges_.Contains(beBottom)) R.bottom -= By;
}

// The bevel lies in the frame: the client area is measured and the frame drawn again.
void TNSHotKey::FrameChanged() {
  if (!HandleAllocated()) return;
  SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  Invalidate();
}

void TNSHotKey::PaintBevel() {
  const int size = BevelSize();
  if (size == 0) return;
  // The client rectangle in the window's own co-ordinates, then the ring round it.
  RECT window{}, client{};
  GetWindowRect(Handle(), &window);
  ::GetClientRect(Handle(), &client);
  POINT origin{0, 0};
  ::ClientToScreen(Handle(), &origin);
  OffsetRect(&client, origin.x - window.left, origin.y - window.top);
  RECT ring = client;
  MoveBevelEdges(ring, -size);
  const TWholeWindowDC dc(Handle());
  if (!dc) return;
  const TSaveDC saved(dc.Get());
  ExcludeClipRect(dc.Get(), client.left, client.top, client.right, client.bottom);
  const TBrushHandle face(CreateSolidBrush(ColorToRGB(Color())));
  FillRect(dc.Get(), &ring, face.Get());
  UINT sides = (bevelEdges_.Contains(beLeft) ? BF_LEFT : 0) | (bevelEdges_.Contains(beTop) ? BF_TOP : 0) |
               (bevelEdges_.Contains(beRight) ? BF_RIGHT : 0) | (bevelEdges_.Contains(beBottom) ? BF_BOTTOM : 0);
  if (bevelKind_ == bkFlat) sides |= BF_FLAT;
  if (bevelKind_ == bkSoft) sides |= BF_SOFT;
  // The outer cut first, each as many one-pixel rings as the width, then the inner one.
  const struct {
    TPanelBevel Cut;
    UINT Raised, Sunken;
  } cuts[] = {{bevelOuter_, BDR_RAISEDOUTER, BDR_SUNKENOUTER}, {bevelInner_, BDR_RAISEDINNER, BDR_SUNKENINNER}};
  for (const auto& cut : cuts) {
    if (cut.Cut == bvNone) continue;
    for (int i = 0; i < bevelWidth_; ++i) {
      if (cut.Cut != bvSpace) {
        RECT edge = ring;
        DrawEdge(dc.Get(), &edge, cut.Cut == bvRaised ? cut.Raised : cut.Sunken, sides);
      }
      if (sides & BF_LEFT) ++ring.left;
      if (sides & BF_TOP) ++ring.top;
      if (sides & BF_RIGHT) --ring.right;
      if (sides & BF_BOTTOM) --ring.bottom;
    }
  }
}

void TNSHotKey::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
  Params.Style |= WS_CLIPCHILDREN;
  if (biDiMode_ != bdLeftToRight) Params.ExStyle |= WS_EX_RTLREADING;
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
  Canvas()->SetTextFlags(biDiMode_ != bdLeftToRight ? ETO_RTLREADING : 0);
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
      if (HKL ime = FindImeLayout(imeName_)) {
        const HKL current = GetKeyboardLayout(0);
        if (current != ime && ActivateKeyboardLayout(ime, 0)) layoutBeforeIme_ = current;
      }
      return;
    case WM_KILLFOCUS:
      DestroyCaret();
      if (layoutBeforeIme_) ActivateKeyboardLayout(std::exchange(layoutBeforeIme_, nullptr), 0);
      TCustomControl::WndProc(Message);
      return;
    case WM_NCCALCSIZE: {
      TCustomControl::WndProc(Message);
      const int size = BevelSize();
      if (size == 0) return;
      // Both forms of the message start with the rectangle that becomes the client area.
      auto* r = reinterpret_cast<RECT*>(Message.LParam);
      MoveBevelEdges(*r, size);
      r->right = std::max(r->right, r->left);
      r->bottom = std::max(r->bottom, r->top);
      return;
    }
    case WM_NCPAINT:
      TCustomControl::WndProc(Message);
      PaintBevel();
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
