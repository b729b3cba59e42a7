// The settings of the editor's gutter and the numbers it shows for lines.
#pragma once

#include <memory>

#include "framework/Colors.h"
#include "framework/Delegate.h"
#include "framework/Graphics.h"
#include "framework/TypeInfo.h"

HV_ENUM(TTxtGutterBorderStyle, gbsNone, gbsMiddle, gbsRight)

// The gutter's settings and its line-number formatting.
class TTxtGutter : public TPersistent {
  HV_CLASS(TTxtGutter, TPersistent)
 public:
  TTxtGutter();
  ~TTxtGutter() override;
  // From another gutter: every setting but the cursor, then one OnChange.
  void Assign(TPersistent* Source) override;

  // Pixels: 0 when hidden; with line numbers, the offsets, the digits and 2; else Width.
  int RealGutterWidth(int CharWidth) const;
  // Fits the digit count to the number shown for the last line (when the gutter is visible,
  // sizes itself and shows numbers); otherwise takes DigitCount.
  void AutoSizeDigitCount(int LinesCount);
  // The number shown for a 1-based line, right-aligned in AutoSizeDigitCount characters.
  AnsiString FormatLineNumber(int Line) const;
  // The number shown for a 1-based line.
  int LineNumberShown(int Line) const;

  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool Value);
  TTxtGutterBorderStyle BorderStyle() const { return borderStyle_; }
  // Notifies even when the value does not change.
  void SetBorderStyle(TTxtGutterBorderStyle Value);
  TColor Color() const { return color_; }
  void SetColor(TColor Value);
  TColor BorderColor() const { return borderColor_; }
  void SetBorderColor(TColor Value);
  int Cursor() const { return cursor_; }
  void SetCursor(int Value) { cursor_ = Value; }
  int DigitCount() const { return digitCount_; }
  // 2..12; the auto-sized count follows.
  void SetDigitCount(int Value);
  int AutoSizeDigitCount() const { return autoSizeDigitCount_; }
  TFont* Font() const { return font_.get(); }
  // Copies the settings of Value into the gutter's own font.
  void SetFont(TFont* Value);
  bool LeadingZeros() const { return leadingZeros_; }
  void SetLeadingZeros(bool Value);
  int LeftOffset() const { return leftOffset_; }
  void SetLeftOffset(int Value);
  int RightOffset() const { return rightOffset_; }
  void SetRightOffset(int Value);
  bool ShowLineNumbers() const { return showLineNumbers_; }
  void SetShowLineNumbers(bool Value);
  bool NumberAllLines() const { return numberAllLines_; }
  void SetNumberAllLines(bool Value);
  bool UseFontStyle() const { return useFontStyle_; }
  void SetUseFontStyle(bool Value);
  bool Visible() const { return visible_; }
  void SetVisible(bool Value);
  int Width() const { return width_; }
  void SetWidth(int Value);
  bool ZeroStart() const { return zeroStart_; }
  void SetZeroStart(bool Value);
  int LineNumberStart() const { return lineNumberStart_; }
  // Negative values become 0; ZeroStart follows whether the value is 0.
  void SetLineNumberStart(int Value);
  bool Gradient() const { return gradient_; }
  void SetGradient(bool Value);
  TColor GradientStartColor() const { return gradientStartColor_; }
  void SetGradientStartColor(TColor Value);
  TColor GradientEndColor() const { return gradientEndColor_; }
  void SetGradientEndColor(TColor Value);
  int GradientSteps() const { return gradientSteps_; }
  void SetGradientSteps(int Value);

  TNotifyEvent OnChange;

 private:
  void Changed();
  void FontChanged(TObject* Sender);
  template <class V>
  void Store(V& Field, V Value);

  bool autoSize_ = false;
  TTxtGutterBorderStyle borderStyle_ = gbsMiddle;
  TColor color_ = clBtnFace;
  TColor borderColor_ = clWindow;
  int cursor_ = 0;
  int digitCount_ = 4;
  int autoSizeDigitCount_ = 4;
  std::unique_ptr<TFont> font_;
  bool leadingZeros_ = false;
  int leftOffset_ = 16;
  int rightOffset_ = 2;
  bool showLineNumbers_ = false;
  bool numberAllLines_ = false;
  bool useFontStyle_ = true;
  bool visible_ = true;
  int width_ = 30;
  bool zeroStart_ = false;
  int lineNumberStart_ = 1;
  bool gradient_ = false;
  TColor gradientStartColor_ = clWindow;
  TColor gradientEndColor_ = clBtnFace;
  int gradientSteps_ = 48;
};
