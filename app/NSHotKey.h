// A focusable field that captures one key combination as a shortcut and shows it as text,
// modifiers in the order "Ctrl+Shift+Alt+", with a caret of its own.
#pragma once

#include "framework/CustomControls.h"
#include "framework/ExtCtrls.h"
#include "framework/ShortCuts.h"

// Classes of modifier combinations a shortcut may not use alone.
HV_ENUM(THKInvalidKey, hcNone, hcShift, hcCtrl, hcAlt, hcShiftCtrl, hcShiftAlt, hcCtrlAlt, hcShiftCtrlAlt)
using THKInvalidKeys = TSet<THKInvalidKey>;
// The modifiers put in place of an invalid combination.
HV_ENUM(THKModifier, hkShift, hkCtrl, hkAlt, hkExt)
using THKModifiers = TSet<THKModifier>;

// A bevel drawn round the field inside its frame: none, or the look of its edges.
HV_ENUM(TBevelKind, bkNone, bkTile, bkSoft, bkFlat)
// The sides that carry the bevel.
HV_ENUM(TBevelEdge, beLeft, beTop, beRight, beBottom)
using TBevelEdges = TSet<TBevelEdge>;
// The reading order of the text: the right-to-left modes read it from the right.
HV_ENUM(TBiDiMode, bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly)

// The keyboard layout of the input method editor of that description; null for none (and for an
// empty name).
HKL FindImeLayout(const WideString& ImeName);

// The class of the modifiers held (mouse buttons ignored).
THKInvalidKey ShiftClass(TShiftState Shift);
// Keys a shortcut with modifiers may end in.
bool IsAcceptedHotKey(Word Key);
// "Ctrl+", "Shift+", "Alt+" as held, then the key's name; NoneStr when all of it is empty.
WideString ShortCutDisplayText(Word Key, TShiftState Shift, const WideString& NoneStr);

// What one key press makes of the field.
struct THotKeyCapture {
  TShortCut HotKey{};
  WideString Text;
  bool ModifierOnly = false;  // only a modifier key is held: the text waits for the key
  bool NextControl = false;   // a plain Tab moves the focus on
};
THotKeyCapture CaptureHotKey(Word Key, TShiftState Shift, THKInvalidKeys InvalidKeys, THKModifiers Modifiers,
                             const WideString& NoneStr);

class TNSHotKey : public TCustomControl {
  HV_CLASS(TNSHotKey, TCustomControl)
 public:
  explicit TNSHotKey(TComponent* AOwner);

  TShortCut HotKey() const { return hotKey_; }
  void SetHotKey(TShortCut Value);
  THKInvalidKeys InvalidKeys() const { return invalidKeys_; }
  void SetInvalidKeys(THKInvalidKeys Value);
  THKModifiers Modifiers() const { return modifiers_; }
  void SetModifiers(THKModifiers Value);
  const WideString& NoneStr() const { return noneStr_; }
  void SetNoneStr(const WideString& Value);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle Value);
  // The text shown.
  const WideString& Text() const { return text_; }

  // The bevel: each of the two cuts that is not bvNone takes BevelWidth pixels on every side of
  // BevelEdges, once BevelKind is not bkNone.
  TBevelEdges BevelEdges() const { return bevelEdges_; }
  void SetBevelEdges(TBevelEdges Value);
  TPanelBevel BevelInner() const { return bevelInner_; }
  void SetBevelInner(TPanelBevel Value);
  TPanelBevel BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TPanelBevel Value);
  TBevelKind BevelKind() const { return bevelKind_; }
  void SetBevelKind(TBevelKind Value);
  int BevelWidth() const { return bevelWidth_; }
  // At least 1.
  void SetBevelWidth(int Value);
  int BevelSize() const;
  TBiDiMode BiDiMode() const { return biDiMode_; }
  void SetBiDiMode(TBiDiMode Value);
  // The input method editor switched on while the field has the focus (its description).
  const WideString& ImeName() const { return imeName_; }
  void SetImeName(const WideString& Value) { imeName_ = Value; }

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void WndProc(TMessage& Message) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void DoExit() override;

 private:
  void ShowText(const WideString& Text);
  void PlaceCaret();
  void AdjustHeight();
  int FontTextHeight() const;
  void FrameChanged();
  template <class V>
  void SetFrameField(V& Field, const V& Value) {
    if (Field == Value) return;
    Field = Value;
    FrameChanged();
  }
  // Moves the bevelled sides of R inwards by By pixels (outwards when By is negative).
  void MoveBevelEdges(RECT& R, int By) const;
  void PaintBevel();

  TShortCut hotKey_{};
  THKInvalidKeys invalidKeys_;
  THKModifiers modifiers_;
  WideString noneStr_ = L"(None)";
  WideString text_ = L"(None)";
  TBorderStyle borderStyle_ = bsSingle;
  bool modifierOnly_ = false;
  TBevelEdges bevelEdges_{beLeft, beTop, beRight, beBottom};
  TPanelBevel bevelInner_ = bvRaised;
  TPanelBevel bevelOuter_ = bvLowered;
  TBevelKind bevelKind_ = bkNone;
  int bevelWidth_ = 1;
  TBiDiMode biDiMode_ = bdLeftToRight;
  WideString imeName_;
  HKL layoutBeforeIme_ = nullptr;  // the layout to give back when the focus leaves
};
