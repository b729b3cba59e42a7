// Small pictures drawn centred on a line: the word-wrap glyph and the strips of built-in
// images (the bookmark numbers).
#pragma once

#include <memory>

#include "framework/Bitmap.h"
#include "framework/Delegate.h"
#include "framework/Graphics.h"

// A small picture drawn centred on a line (the word-wrap marker), with one colour transparent:
// the user's Glyph when there is one, else the built-in picture.
class TTxtGlyph : public TPersistent {
  HV_CLASS(TTxtGlyph, TPersistent)
 public:
  // The built-in picture comes from the bitmap resource of that name (none for an empty name;
  // a missing resource raises the bitmap's resource error).
  TTxtGlyph(HINSTANCE AModule, const WideString& AName, TColor AMaskColor);
  ~TTxtGlyph() override;
  // From another glyph: both pictures, the mask colours and Visible, then one OnChange.
  void Assign(TPersistent* Source) override;

  void Draw(TCanvas* ACanvas, int AX, int AY, int ALineHeight);
  // The width of the picture drawn (0 without any).
  int Width() const;

  TBitmap* Glyph() const { return glyph_.get(); }
  // Copies the picture into the glyph's own bitmap.
  void SetGlyph(TBitmap* Value);
  TColor MaskColor() const { return maskColor_; }
  void SetMaskColor(TColor Value);
  bool Visible() const { return visible_; }
  void SetVisible(bool Value);
  TBitmap* InternalGlyph() const { return internalGlyph_.get(); }
  TColor InternalMaskColor() const { return internalMaskColor_; }

  TNotifyEvent OnChange;

 private:
  void Changed();
  void GlyphChanged(TObject* Sender);

  bool visible_ = true;
  std::unique_ptr<TBitmap> internalGlyph_;
  std::unique_ptr<TBitmap> glyph_;
  TColor internalMaskColor_ = clNone;
  TColor maskColor_ = clNone;
};

// A strip of equal-width images cut from one bitmap resource (the built-in bookmark numbers).
// Strips of the same resource share one bitmap.
class TTxtInternalImage : public TObject {
  HV_CLASS(TTxtInternalImage, TObject)
 public:
  // The resource name is compared without regard to case; a missing resource raises the
  // bitmap's resource error.
  TTxtInternalImage(HINSTANCE AModule, const WideString& Name, int Count);
  ~TTxtInternalImage() override;
  TTxtInternalImage(const TTxtInternalImage&) = delete;
  TTxtInternalImage& operator=(const TTxtInternalImage&) = delete;

  // Image Number, centred on a line of LineHeight pixels; nothing outside 0..Count-1.
  void Draw(TCanvas* ACanvas, int Number, int X, int Y, int LineHeight);
  int Width() const { return width_; }
  int Height() const { return height_; }
  int Count() const { return count_; }
  TBitmap* Images() const { return images_; }
  // The number of distinct bitmaps shared by all strips (for tests of the sharing).
  static int CachedBitmaps();

 private:
  TBitmap* images_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  int count_ = 0;
};
