// A focusable field that captures one key combination as a shortcut and shows it as text,
// modifiers in the order "Ctrl+Shift+Alt+", with a caret of its own.
#pragma once

#include "framework/CustomControls.h"
#include "framework/ShortCuts.h"

// Classes of modifier combinations a shortcut may not use alone.
HV_ENUM(THKInvalidKey, hcNone, hcShift, hcCtrl, hcAlt, hcShiftCtrl, hcShiftAlt, hcCtrlAlt, hcShiftCtrlAlt)
using THKInvalidKeys = TSet<THKInvalidKey>;
// The modifiers put in place of an invalid combination.
HV_ENUM(THKModifier, hkShift, hkCtrl, hkAlt, hkExt)
using THKModifiers = TSet<THKModifier>;

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

  TShortCut hotKey_{};
  THKInvalidKeys invalidKeys_;
  THKModifiers modifiers_;
  WideString noneStr_ = L"(None)";
  WideString text_ = L"(None)";
  TBorderStyle borderStyle_ = bsSingle;
  bool modifierOnly_ = false;
};
