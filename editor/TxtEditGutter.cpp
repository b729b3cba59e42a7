// The gutter's settings and its line-number formatting.
#include "editor/TxtEditGutter.h"

#include <algorithm>
#include <string>

#include "editor/TxtEditTypes.h"

HV_PUBLISH(TTxtGutter) {
  p.Prop("AutoSize", &T::AutoSize, &T::SetAutoSize).Default(false);
  p.Prop("BorderStyle", &T::BorderStyle, &T::SetBorderStyle).Default(gbsMiddle);
  p.Prop("Color", &T::Color, &T::SetColor).Default(clBtnFace);
  p.Prop("BorderColor", &T::BorderColor, &T::SetBorderColor).Default(clWindow);
  p.Prop("Cursor", &T::Cursor, &T::SetCursor).Default(0);
  p.Prop("DigitCount", &T::DigitCount, &T::SetDigitCount).Default(4);
  p.Prop("Font", &T::Font, &T::SetFont);
  p.Prop("LeadingZeros", &T::LeadingZeros, &T::SetLeadingZeros).Default(false);
  p.Prop("LeftOffset", &T::LeftOffset, &T::SetLeftOffset).Default(16);
  p.Prop("RightOffset", &T::RightOffset, &T::SetRightOffset).Default(2);
  p.Prop("ShowLineNumbers", &T::ShowLineNumbers, &T::SetShowLineNumbers).Default(false);
  // The stored default is the value a new gutter has: with true as the default a gutter that
  // numbers all lines wrote nothing and came back numbering only some.
  p.Prop("NumberAllLines", &T::NumberAllLines, &T::SetNumberAllLines).Default(false);
  p.Prop("UseFontStyle", &T::UseFontStyle, &T::SetUseFontStyle).Default(true);
  p.Prop("Visible", &T::Visible, &T::SetVisible).Default(true);
  p.Prop("Width", &T::Width, &T::SetWidth).Default(30);
  p.Prop("ZeroStart", &T::ZeroStart, &T::SetZeroStart).Default(false);
  p.Prop("LineNumberStart", &T::LineNumberStart, &T::SetLineNumberStart).Default(1);
  p.Prop("Gradient", &T::Gradient, &T::SetGradient).Default(false);
  p.Prop("GradientStartColor", &T::GradientStartColor, &T::SetGradientStartColor).Default(clWindow);
  p.Prop("GradientEndColor", &T::GradientEndColor, &T::SetGradientEndColor).Default(clBtnFace);
  p.Prop("GradientSteps", &T::GradientSteps, &T::SetGradientSteps).Default(48);
}

TTxtGutter::TTxtGutter() : font_(std::make_unique<TFont>()) {
  font_->SetName(L"Courier New");
  font_->SetSize(8);
  font_->SetStyle(TFontStyles{});
  font_->OnChange = TNotifyEvent(this, &TTxtGutter::FontChanged);
}

TTxtGutter::~TTxtGutter() { font_->OnChange = nullptr; }

void TTxtGutter::Changed() {
  if (OnChange) OnChange(this);
}

void TTxtGutter::FontChanged(TObject*) { Changed(); }

template <class V>
void TTxtGutter::Store(V& Field, V Value) {
  if (TxtEditReplace(Field, Value)) Changed();
}

void TTxtGutter::SetAutoSize(bool Value) { Store(autoSize_, Value); }

void TTxtGutter::SetBorderStyle(TTxtGutterBorderStyle Value) {
  borderStyle_ = Value;
  Changed();
}

void TTxtGutter::SetColor(TColor Value) { Store(color_, Value); }
void TTxtGutter::SetBorderColor(TColor Value) { Store(borderColor_, Value); }

void TTxtGutter::SetDigitCount(int Value) {
  Value = std::clamp(Value, 2, 12);
  if (Value == digitCount_) return;
  digitCount_ = Value;
  autoSizeDigitCount_ = Value;
  Changed();
}

void TTxtGutter::SetFont(TFont* Value) { font_->Assign(Value); }
void TTxtGutter::SetLeadingZeros(bool Value) { Store(leadingZeros_, Value); }
void TTxtGutter::SetLeftOffset(int Value) { Store(leftOffset_, std::max(Value, 0)); }
void TTxtGutter::SetRightOffset(int Value) { Store(rightOffset_, std::max(Value, 0)); }
void TTxtGutter::SetShowLineNumbers(bool Value) { Store(showLineNumbers_, Value); }
void TTxtGutter::SetNumberAllLines(bool Value) { Store(numberAllLines_, Value); }
void TTxtGutter::SetUseFontStyle(bool Value) { Store(useFontStyle_, Value); }
void TTxtGutter::SetVisible(bool Value) { Store(visible_, Value); }
void TTxtGutter::SetWidth(int Value) { Store(width_, std::max(Value, 0)); }
void TTxtGutter::SetZeroStart(bool Value) { Store(zeroStart_, Value); }

void TTxtGutter::SetLineNumberStart(int Value) {
  Value = std::max(Value, 0);
  if (Value == lineNumberStart_) return;
  lineNumberStart_ = Value;
  zeroStart_ = Value == 0;
  Changed();
}

void TTxtGutter::SetGradient(bool Value) { Store(gradient_, Value); }
void TTxtGutter::SetGradientStartColor(TColor Value) { Store(gradientStartColor_, Value); }
void TTxtGutter::SetGradientEndColor(TColor Value) { Store(gradientEndColor_, Value); }
void TTxtGutter::SetGradientSteps(int Value) { Store(gradientSteps_, std::max(Value, 2)); }

int TTxtGutter::RealGutterWidth(int CharWidth) const {
  if (!visible_) return 0;
  if (showLineNumbers_) return leftOffset_ + rightOffset_ + autoSizeDigitCount_ * CharWidth + 2;
  return width_;
}

int TTxtGutter::LineNumberShown(int Line) const {
  if (zeroStart_) return Line - 1;
  if (lineNumberStart_ > 1) return Line + lineNumberStart_ - 1;
  return Line;
}

void TTxtGutter::AutoSizeDigitCount(int LinesCount) {
  if (!(visible_ && autoSize_ && showLineNumbers_)) {
    autoSizeDigitCount_ = digitCount_;
    return;
  }
  int digits = std::max(static_cast<int>(std::to_string(LineNumberShown(LinesCount)).size()), digitCount_);
  if (digits == autoSizeDigitCount_) return;
  autoSizeDigitCount_ = digits;
  Changed();
}

AnsiString TTxtGutter::FormatLineNumber(int Line) const {
  std::string number = std::to_string(LineNumberShown(Line));
  size_t width = static_cast<size_t>(autoSizeDigitCount_);
  if (number.size() >= width) return number;
  std::string result(width - number.size(), leadingZeros_ ? '0' : ' ');
  return result + number;
}

// The font is copied with its own notification held back, so that the whole assignment
// reports one change.
void TTxtGutter::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TTxtGutter*>(Source);
  if (!src) {
    inherited::Assign(Source);
    return;
  }
  font_->OnChange = nullptr;
  font_->Assign(src->font_.get());
  font_->OnChange = TNotifyEvent(this, &TTxtGutter::FontChanged);
  useFontStyle_ = src->useFontStyle_;
  color_ = src->color_;
  visible_ = src->visible_;
  width_ = src->width_;
  showLineNumbers_ = src->showLineNumbers_;
  numberAllLines_ = src->numberAllLines_;
  leadingZeros_ = src->leadingZeros_;
  zeroStart_ = src->zeroStart_;
  leftOffset_ = src->leftOffset_;
  digitCount_ = src->digitCount_;
  rightOffset_ = src->rightOffset_;
  autoSize_ = src->autoSize_;
  autoSizeDigitCount_ = src->autoSizeDigitCount_;
  lineNumberStart_ = src->lineNumberStart_;
  borderColor_ = src->borderColor_;
  borderStyle_ = src->borderStyle_;
  gradient_ = src->gradient_;
  gradientStartColor_ = src->gradientStartColor_;
  gradientEndColor_ = src->gradientEndColor_;
  gradientSteps_ = src->gradientSteps_;
  Changed();
}
