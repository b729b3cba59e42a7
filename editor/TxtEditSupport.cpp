// Selection colours, gutter settings, the callback chain, the mark list and the search-engine
// interface.
#include "editor/TxtEditSupport.h"

#include <algorithm>
#include <string>

#include "framework/StrRoutines.h"

HV_PUBLISH(TTxtBookMarkOpt) {
  p.Prop("BookmarkImages", &T::BookmarkImages, &T::SetBookmarkImages);
  p.Prop("DrawBookmarksFirst", &T::DrawBookmarksFirst, &T::SetDrawBookmarksFirst).Default(true);
  p.Prop("EnableKeys", &T::EnableKeys, &T::SetEnableKeys).Default(true);
  p.Prop("GlyphsVisible", &T::GlyphsVisible, &T::SetGlyphsVisible).Default(true);
  p.Prop("LeftMargin", &T::LeftMargin, &T::SetLeftMargin).Default(2);
  p.Prop("Xoffset", &T::Xoffset, &T::SetXoffset).Default(12);
}

HV_PUBLISH(TTxtGlyph) {
  p.Prop("Glyph", &T::Glyph, &T::SetGlyph);
  p.Prop("MaskColor", &T::MaskColor, &T::SetMaskColor).Default(clNone);
  p.Prop("Visible", &T::Visible, &T::SetVisible).Default(true);
}

HV_PUBLISH(TTxtInternalImage) {}

HV_PUBLISH(TTxtSelectedColor) {
  p.Prop("Background", &T::Background, &T::SetBackground).Default(clHighlight);
  p.Prop("Foreground", &T::Foreground, &T::SetForeground).Default(clHighlightText);
}

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
  // The stored default differs from the value a new gutter has, so that false is written.
  p.Prop("NumberAllLines", &T::NumberAllLines, &T::SetNumberAllLines).Default(true);
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

HV_PUBLISH(TTxtMethodChain) {}
HV_PUBLISH(TTxtNotifyEventChain) {}
HV_PUBLISH(TTxtEditMark) {}
HV_PUBLISH(TTxtEditMarkList) {}
HV_PUBLISH(TTxtEditSearchCustom) {}

namespace {

// Stores a setter's value and tells whether it differed: the option groups report a change
// only then.
template <class V>
bool Replace(V& field, const V& value) {
  if (field == value) return false;
  field = value;
  return true;
}

}  // namespace

// ---- TTxtSelectedColor ----

void TTxtSelectedColor::Changed() {
  if (OnChange) OnChange(this);
}

void TTxtSelectedColor::SetBackground(TColor Value) {
  if (Replace(background_, Value)) Changed();
}

void TTxtSelectedColor::SetForeground(TColor Value) {
  if (Replace(foreground_, Value)) Changed();
}

void TTxtSelectedColor::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TTxtSelectedColor*>(Source);
  if (!src) {
    inherited::Assign(Source);
    return;
  }
  background_ = src->background_;
  foreground_ = src->foreground_;
  Changed();
}

// ---- TTxtGutter ----

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
void TTxtGutter::Store(V& field, V value) {
  if (Replace(field, value)) Changed();
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

// ---- TTxtBookMarkOpt ----

void TTxtBookMarkOpt::Changed() {
  if (OnChange) OnChange(this);
}

void TTxtBookMarkOpt::SetBookmarkImages(TCustomImageList* Value) {
  if (Value == bookmarkImages_) return;
  bookmarkImages_ = Value;
  if (Value && owner_) Value->FreeNotification(owner_);
  Changed();
}

void TTxtBookMarkOpt::SetDrawBookmarksFirst(bool Value) {
  if (Replace(drawBookmarksFirst_, Value)) Changed();
}

void TTxtBookMarkOpt::SetGlyphsVisible(bool Value) {
  if (Replace(glyphsVisible_, Value)) Changed();
}

void TTxtBookMarkOpt::SetLeftMargin(int Value) {
  if (Replace(leftMargin_, Value)) Changed();
}

void TTxtBookMarkOpt::SetXoffset(int Value) {
  if (Replace(xoffset_, Value)) Changed();
}

void TTxtBookMarkOpt::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TTxtBookMarkOpt*>(Source);
  if (!src) {
    inherited::Assign(Source);
    return;
  }
  bookmarkImages_ = src->bookmarkImages_;
  if (bookmarkImages_ && owner_) bookmarkImages_->FreeNotification(owner_);
  drawBookmarksFirst_ = src->drawBookmarksFirst_;
  enableKeys_ = src->enableKeys_;
  glyphsVisible_ = src->glyphsVisible_;
  leftMargin_ = src->leftMargin_;
  xoffset_ = src->xoffset_;
  Changed();
}

// ---- TTxtGlyph ----

namespace {

// Where a picture of Height rows goes on a line: the middle band of a taller picture, or the
// whole picture centred vertically.
void PlaceOnLine(int height, int y, int lineHeight, int& destTop, int& sourceTop, int& rows) {
  if (height > lineHeight) {
    destTop = y;
    sourceTop = (height - lineHeight) / 2;
    rows = lineHeight;
  } else {
    destTop = y + (lineHeight - height) / 2;
    sourceTop = 0;
    rows = height;
  }
}

}  // namespace

TTxtGlyph::TTxtGlyph(HINSTANCE AModule, const WideString& AName, TColor AMaskColor)
    : glyph_(std::make_unique<TBitmap>()) {
  if (!AName.empty()) {
    internalGlyph_ = std::make_unique<TBitmap>();
    internalGlyph_->LoadFromResourceName(AModule, AName);
    internalMaskColor_ = AMaskColor;
  }
  glyph_->OnChange = TNotifyEvent(this, &TTxtGlyph::GlyphChanged);
}

TTxtGlyph::~TTxtGlyph() { glyph_->OnChange = nullptr; }

void TTxtGlyph::Changed() {
  if (OnChange) OnChange(this);
}

void TTxtGlyph::GlyphChanged(TObject*) { Changed(); }

void TTxtGlyph::SetGlyph(TBitmap* Value) { glyph_->Assign(Value); }

void TTxtGlyph::SetMaskColor(TColor Value) {
  if (Replace(maskColor_, Value)) Changed();
}

void TTxtGlyph::SetVisible(bool Value) {
  if (Replace(visible_, Value)) Changed();
}

int TTxtGlyph::Width() const {
  if (!glyph_->Empty()) return glyph_->Width();
  return internalGlyph_ ? internalGlyph_->Width() : 0;
}

void TTxtGlyph::Draw(TCanvas* ACanvas, int AX, int AY, int ALineHeight) {
  TBitmap* picture = glyph_.get();
  TColor mask = maskColor_;
  if (picture->Empty()) {
    picture = internalGlyph_.get();
    mask = internalMaskColor_;
  }
  if (!picture || picture->Empty()) return;
  int destTop, sourceTop, rows;
  PlaceOnLine(picture->Height(), AY, ALineHeight, destTop, sourceTop, rows);
  int width = picture->Width();
  HDC source = picture->Canvas()->Handle();
  HDC dest = ACanvas->Handle();
  if (mask == clNone)
    BitBlt(dest, AX, destTop, width, rows, source, 0, sourceTop, SRCCOPY);
  else
    TransparentBlt(dest, AX, destTop, width, rows, source, 0, sourceTop, width, rows, ColorToRGB(mask));
}

// The pictures are copied into this glyph's own bitmaps, which it keeps owning.
void TTxtGlyph::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TTxtGlyph*>(Source);
  if (!src) {
    inherited::Assign(Source);
    return;
  }
  if (src->internalGlyph_) {
    if (!internalGlyph_) internalGlyph_ = std::make_unique<TBitmap>();
    internalGlyph_->Assign(src->internalGlyph_.get());
  } else {
    internalGlyph_.reset();
  }
  glyph_->OnChange = nullptr;
  glyph_->Assign(src->glyph_.get());
  glyph_->OnChange = TNotifyEvent(this, &TTxtGlyph::GlyphChanged);
  internalMaskColor_ = src->internalMaskColor_;
  visible_ = src->visible_;
  maskColor_ = src->maskColor_;
  Changed();
}

// ---- TTxtInternalImage ----

namespace {

struct TCachedStrip {
  int RefCount = 0;
  WideString Name;  // upper case
  std::unique_ptr<TBitmap> Bitmap;
};

// Made with the first strip, freed with the last.
std::vector<std::unique_ptr<TCachedStrip>>* stripCache = nullptr;

}  // namespace

TTxtInternalImage::TTxtInternalImage(HINSTANCE AModule, const WideString& Name, int Count) {
  WideString key = WideUpperCase(Name);
  if (stripCache)
    for (auto& entry : *stripCache)
      if (entry->Name == key) {
        ++entry->RefCount;
        images_ = entry->Bitmap.get();
      }
  if (!images_) {
    auto entry = std::make_unique<TCachedStrip>();
    entry->Name = key;
    entry->Bitmap = std::make_unique<TBitmap>();
    entry->Bitmap->LoadFromResourceName(AModule, Name);
    entry->RefCount = 1;
    images_ = entry->Bitmap.get();
    if (!stripCache) stripCache = new std::vector<std::unique_ptr<TCachedStrip>>();
    stripCache->push_back(std::move(entry));
  }
  count_ = std::max(Count, 1);
  width_ = (images_->Width() + count_ / 2) / count_;
  height_ = images_->Height();
  count_ = Count;
}

TTxtInternalImage::~TTxtInternalImage() {
  if (!stripCache) return;
  for (size_t i = 0; i < stripCache->size(); ++i) {
    TCachedStrip& entry = *(*stripCache)[i];
    if (entry.Bitmap.get() != images_) continue;
    if (--entry.RefCount == 0) stripCache->erase(stripCache->begin() + static_cast<std::ptrdiff_t>(i));
    break;
  }
  if (stripCache->empty()) {
    delete stripCache;
    stripCache = nullptr;
  }
}

int TTxtInternalImage::CachedBitmaps() { return stripCache ? static_cast<int>(stripCache->size()) : 0; }

void TTxtInternalImage::Draw(TCanvas* ACanvas, int Number, int X, int Y, int LineHeight) {
  if (Number < 0 || Number >= count_) return;
  int destTop, sourceTop, rows;
  PlaceOnLine(height_, Y, LineHeight, destTop, sourceTop, rows);
  BitBlt(ACanvas->Handle(), X, destTop, width_, rows, images_->Canvas()->Handle(), Number * width_, sourceTop, SRCCOPY);
}

// ---- TTxtMethodChain ----

void TTxtMethodChain::Add(const TMethod& AEvent) {
  if (!AEvent.Assigned())
    throw ETxtMethodChain(ClassName() + ".Entry : the parameter `AEvent' must be specified.");
  entries_.push_back(AEvent);
}

void TTxtMethodChain::Remove(const TMethod& AEvent) {
  if (!AEvent.Assigned())
    throw ETxtMethodChain(ClassName() + ".Remove: the parameter `AEvent' must be specified.");
  for (size_t i = entries_.size(); i-- > 0;)
    if (entries_[i] == AEvent) entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
}

void TTxtMethodChain::Fire() {
  // By index and by copy: a callback may add entries and so move the vector.
  for (size_t i = 0; i < entries_.size(); ++i) {
    TMethod entry = entries_[i];
    try {
      DoFire(entry);
    } catch (Exception& e) {
      if (!DoHandleException(e)) break;
    }
  }
}

bool TTxtMethodChain::DoHandleException(Exception& E) {
  if (!OnException) throw;
  bool goOn = true;
  try {
    OnException(this, E, goOn);
  } catch (...) {
    throw ETxtMethodChain(ClassName() + ".DoHandleException : MUST NOT occur any kind of exception in ExceptionHandler");
  }
  return goOn;
}

void TTxtNotifyEventChain::DoFire(const TMethod& AEvent) {
  TNotifyEvent e = TNotifyEvent::FromMethod(AEvent);
  if (e) e(sender_);
}

// ---- TTxtEditMarkList ----

TTxtEditMarkList::~TTxtEditMarkList() {
  OnChange = nullptr;
  while (Count() > 0) Delete(0);
}

void TTxtEditMarkList::DoChange() {
  if (OnChange) OnChange(this);
}

int TTxtEditMarkList::Add(TTxtEditMark* Item) {
  int index = list_.Add(Item);
  DoChange();
  return index;
}

void TTxtEditMarkList::Delete(int Index) {
  auto* mark = Items(Index);
  list_.Delete(Index);
  delete mark;
}

int TTxtEditMarkList::Remove(TTxtEditMark* Item) {
  int index = list_.IndexOf(Item);
  Delete(index);
  DoChange();
  return index;
}

void TTxtEditMarkList::Clear() {
  while (Count() > 0) Delete(0);
  DoChange();
}

void TTxtEditMarkList::GetMarksForLine(int Line, TTxtEditMarks& Marks) const {
  Marks.fill(nullptr);
  size_t found = 0;
  for (int i = 0; i < Count() && found < Marks.size(); ++i) {
    TTxtEditMark* mark = Items(i);
    if (mark->Line() == Line) Marks[found++] = mark;
  }
}
