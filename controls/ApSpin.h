// The spin edit: a numeric edit (integer, float or hexadecimal) with limits, stepping by the
// arrow keys, the wheel and buttons beside the text: the common up-down control, or our own
// two-part graphic button split along the diagonal or across the middle, whose faces are drawn
// once per size and look and shared.
#pragma once

#include <memory>
#include <vector>

#include "controls/ApExMask.h"
#include "framework/Bitmap.h"
#include "framework/ComCtrls.h"

class TTimer;

HV_ENUM(TValueType, vtInteger, vtFloat, vtHex)
HV_ENUM(TSpinButtonKind, bkStandard, bkDiagonal, bkClassic)
HV_ENUM(TApSpinButtonStyle, sbsDefault, sbsClassic)
HV_ENUM(TApCheckOption, coCheckOnChange, coCheckOnExit, coCropBeyondLimit)
using TApCheckOptions = TSet<TApCheckOption>;

// The six faces of a spin button.
HV_ENUM(TSpinButtonFace, sfTopPressed, sfBottomPressed, sfNormal, sfDisabled, sfTopHot, sfBottomHot)

// The face a button shows: pressed, else hot (visual styles only), else normal; disabled apart.
TSpinButtonFace ChooseSpinButtonFace(bool Enabled, int PressedPart, bool HotTop, bool HotBottom, bool Themed);

// The repeat of a held spin button: Start (re)starts the ticks with an interval in ms, each tick
// fires OnTimer. The default one runs on a window timer; tests put in their own clock.
class TApSpinRepeatTimer {
 public:
  virtual ~TApSpinRepeatTimer() = default;
  virtual void Start(unsigned Interval) = 0;
  virtual void Stop() = 0;
  TNotifyEvent OnTimer;
};

class TApSpinButton;

// The faces of all spin buttons of one size and look.
class TSpinButtonBitmaps {
 public:
  struct TKey {
    int Width, Height;
    TApSpinButtonStyle Style;
    bool CustomGlyphs;
    auto operator<=>(const TKey&) const = default;
  };
  explicit TSpinButtonBitmaps(const TKey& Key) : key_(Key) {}
  const TKey& Key() const { return key_; }
  // Draws the faces when they were never drawn or the visual style changed since.
  void Prepare(TApSpinButton* Button);
  TBitmap* Face(TSpinButtonFace Face) const { return faces_[Face].get(); }
  bool Themed() const { return themed_; }

 private:
  void DrawClassic(TApSpinButton* Button);
  bool DrawThemed(TApSpinButton* Button);

  TKey key_;
  std::unique_ptr<TBitmap> faces_[6];
  bool drawn_ = false;
  bool themed_ = false;
  unsigned generation_ = 0;
};

// The shared cache of faces, sorted by key; made on first use and freed with its last user.
class TSpinButtonBitmapsManager {
 public:
  static TSpinButtonBitmapsManager* Acquire();
  void Release();
  // The current manager, or null when no spin button exists.
  static TSpinButtonBitmapsManager* Instance();
  TSpinButtonBitmaps* WantBitmaps(int Width, int Height, TApSpinButtonStyle Style, bool CustomGlyphs);
  int Count() const { return static_cast<int>(list_.size()); }
  int Users() const { return users_; }

 private:
  TSpinButtonBitmapsManager() = default;
  std::vector<std::unique_ptr<TSpinButtonBitmaps>> list_;
  int users_ = 0;
};

class TApSpinButton : public TApExGraphicControl {
  HV_CLASS(TApSpinButton, TApExGraphicControl)
 public:
  explicit TApSpinButton(TComponent* AOwner);
  ~TApSpinButton() override;

  TApSpinButtonStyle ButtonStyle() const { return buttonStyle_; }
  void SetButtonStyle(TApSpinButtonStyle Value);
  // Arrows of one's own instead of the built-in ones (the colour of the bottom-left pixel is
  // transparent).
  TBitmap* UpGlyph() const { return upGlyph_.get(); }
  void SetUpGlyph(TBitmap* Value) { upGlyph_->Assign(Value); }
  TBitmap* DownGlyph() const { return downGlyph_.get(); }
  void SetDownGlyph(TBitmap* Value) { downGlyph_->Assign(Value); }
  TWinControl* FocusControl() const { return focusControl_; }
  void SetFocusControl(TWinControl* Value);
  // 0 none, 1 the top (up) part, 2 the bottom (down) part.
  int PressedPart() const { return pressed_; }
  int PartAt(int X, int Y) const;
  TSpinButtonFace CurrentFace() const;
  TSpinButtonBitmaps* Bitmaps() const { return bitmaps_; }
  // Puts in the repeat timer (tests use one with their own clock).
  void SetRepeatTimer(std::unique_ptr<TApSpinRepeatTimer> Timer);
  TApSpinRepeatTimer* RepeatTimer() const { return timer_.get(); }

  TNotifyEvent OnTopClick;
  TNotifyEvent OnBottomClick;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseLeave(TControl* AControl) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void TimerExpired(TObject* Sender);
  void FirePart(int Part);
  void GlyphChanged(TObject* Sender);
  bool HasCustomGlyphs() const { return !upGlyph_->Empty() || !downGlyph_->Empty(); }

  int pressed_ = 0;
  bool mouseDown_ = false;
  bool hotTop_ = false, hotBottom_ = false;
  std::unique_ptr<TBitmap> upGlyph_, downGlyph_;
  TSpinButtonBitmapsManager* manager_ = nullptr;
  TSpinButtonBitmaps* bitmaps_ = nullptr;
  std::unique_ptr<TApSpinRepeatTimer> timer_;
  int lastPressed_ = 0;
  TWinControl* focusControl_ = nullptr;
  TApSpinButtonStyle buttonStyle_ = sbsDefault;
};

// The common up-down control, as wide as a scroll bar (at most 15 pixels); its arrows only
// report clicks, the position never changes.
class TApUpDown : public TCustomUpDown {
  HV_CLASS(TApUpDown, TCustomUpDown)
 public:
  explicit TApUpDown(TComponent* AOwner);
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  static int DefaultWidth();

 protected:
  void Dispatch(TMessage& Message) override;
};

class TApCustomSpinEdit : public TApExCustomMaskEdit {
  HV_CLASS(TApCustomSpinEdit, TApExCustomMaskEdit)
 public:
  explicit TApCustomSpinEdit(TComponent* AOwner);
  ~TApCustomSpinEdit() override;

  virtual long double GetValue() = 0;
  virtual void SetValue(long double Value) = 0;
  long double Value() { return GetValue(); }
  // The value within the limits that are checked.
  long double CheckValue(long double Value) const;

  TApCheckOptions CheckOptions() const { return checkOptions_; }
  void SetCheckOptions(TApCheckOptions Value) { checkOptions_ = Value; }
  bool CheckMinValue() const { return checkMinValue_; }
  void SetCheckMinValue(bool Value);
  bool CheckMaxValue() const { return checkMaxValue_; }
  void SetCheckMaxValue(bool Value);
  long double MinValue() const { return minValue_; }
  void SetMinValue(long double Value);
  long double MaxValue() const { return maxValue_; }
  void SetMaxValue(long double Value);
  long double Increment() const { return increment_; }
  void SetIncrement(long double Value) { increment_ = Value; }
  Byte Decimal() const { return decimal_; }
  void SetDecimal(Byte Value);
  const AnsiString& DisplayFormat() const { return displayFormat_; }
  void SetDisplayFormat(const AnsiString& Value);
  bool IsDisplayFormatStored() { return displayFormat_ != DefaultDisplayFormat(); }
  TValueType ValueType() const { return valueType_; }
  void SetValueType(TValueType Value);
  bool Thousands() const { return thousands_; }
  void SetThousands(bool Value);
  bool ArrowKeys() const { return arrowKeys_; }
  void SetArrowKeys(bool Value) { arrowKeys_ = Value; }
  bool EditorEnabled() const { return editorEnabled_; }
  void SetEditorEnabled(bool Value) { editorEnabled_ = Value; }
  bool ShowButton() const { return showButton_; }
  void SetShowButton(bool Value);
  TSpinButtonKind ButtonKind() const { return buttonKind_; }
  void SetButtonKind(TSpinButtonKind Value);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value);
  // Set when the focus leaves the edit and cleared when it comes back: while it is set, a float
  // with a display format shows its plain digits rather than the display format.
  bool ShowFormatted() const { return showFormatted_; }

  // The buttons that exist now (at most one kind).
  TApSpinButton* Button() const { return button_; }
  TApUpDown* UpDown() const { return upDown_; }
  TWinControl* ButtonContainer() const { return container_; }

  virtual void DownClick(TObject* Sender);
  virtual void UpClick(TObject* Sender);

  TNotifyEvent OnTopClick;
  TNotifyEvent OnBottomClick;

 protected:
  // Writes the value again in the form the focus asks for.
  virtual void Reformat();
  virtual AnsiString DefaultDisplayFormat() const { return ",0.##"; }
  virtual bool IsValidChar(wchar_t Key);
  // "0" with Decimal optional digits: the form a value is edited in.
  AnsiString PlainFormat() const;

  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Change() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(wchar_t& Key) override;
  bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
  void DoSetFocus(HWND FocusedWnd) override;
  void DoKillFocus(HWND FocusedWnd) override;
  void BoundsChanged() override;
  bool CommandAllowed(TApClipboardCommand Command) override;
  void Dispatch(TMessage& Message) override;

  bool changing_ = false;  // the value is being written by the edit itself

 private:
  void RecreateButton();
  void PlaceButton();
  void ApplyMargins();
  void RepaintButtons();
  void Step(long double Delta);
  int ButtonWidth() const;
  void UpDownClick(TObject* Sender, TUDBtnType Button);

  bool showButton_ = true;
  bool checkMaxValue_ = false, checkMinValue_ = false;
  TApCheckOptions checkOptions_{coCheckOnChange, coCheckOnExit, coCropBeyondLimit};
  AnsiString displayFormat_;
  bool showFormatted_ = false;
  TAlignment alignment_ = taLeftJustify;
  long double minValue_ = 0, maxValue_ = 0, increment_ = 1.0L;
  Byte decimal_ = 2;
  long double lastChecked_ = 0;
  bool editorEnabled_ = true;
  TValueType valueType_ = vtInteger;
  TApSpinButton* button_ = nullptr;
  TWinControl* container_ = nullptr;
  TApUpDown* upDown_ = nullptr;
  bool arrowKeys_ = true;
  bool thousands_ = false;
  TSpinButtonKind buttonKind_ = bkDiagonal;
};

class TApSpinEdit : public TApCustomSpinEdit {
  HV_CLASS(TApSpinEdit, TApCustomSpinEdit)
 public:
  explicit TApSpinEdit(TComponent* AOwner);
  long double GetValue() override;
  void SetValue(long double Value) override;
};
