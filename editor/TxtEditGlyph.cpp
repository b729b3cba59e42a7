// The word-wrap glyph and the shared strips of built-in images.
#include "editor/TxtEditGlyph.h"

#include <algorithm>
#include <vector>

#include "editor/TxtEditTypes.h"
#include "framework/StrRoutines.h"

HV_PUBLISH(TTxtGlyph) {
  p.Prop("Glyph", &T::Glyph, &T::SetGlyph);
  p.Prop("MaskColor", &T::MaskColor, &T::SetMaskColor).Default(clNone);
  p.Prop("Visible", &T::Visible, &T::SetVisible).Default(true);
}

HV_PUBLISH(TTxtInternalImage) {}

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
  if (TxtEditReplace(maskColor_, Value)) Changed();
}

void TTxtGlyph::SetVisible(bool Value) {
  if (TxtEditReplace(visible_, Value)) Changed();
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
