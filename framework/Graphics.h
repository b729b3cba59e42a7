// Drawing objects and the canvas: TFont, TPen and TBrush with their lazily made GDI handles,
// TCanvas over a device context, and the abstract TGraphic that a canvas draws.
//
// Each drawing object owns its handle and makes a new one after any change that needs it; the
// old handle lives until the change has been announced (OnChange), so that a canvas can take
// it out of its DC first. A canvas selects its font, pen and brush into the DC only when a
// drawing operation needs them, and puts the DC's own objects back when it lets go of the DC.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "framework/Colors.h"
#include "framework/GdiHandles.h"
#include "framework/Persistent.h"
#include "framework/Win.h"

class TCanvas;
class TGraphic;
class TBitmap;
class TStream;

HV_DECLARE_EXCEPTION(EInvalidGraphic, Exception);
HV_DECLARE_EXCEPTION(EInvalidGraphicOperation, Exception);

HV_ENUM(TFontStyle, fsBold, fsItalic, fsUnderline, fsStrikeOut)
using TFontStyles = TSet<TFontStyle>;
HV_ENUM(TFontPitch, fpDefault, fpVariable, fpFixed)
using TFontCharset = uint8_t;
using TFontName = WideString;

HV_ENUM(TPenStyle, psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame)
HV_ENUM(TPenMode, pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot, pmMergeNotPen,
        pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor)
HV_ENUM(TBrushStyle, bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross)
HV_ENUM(TCanvasOrientation, coLeftToRight, coRightToLeft)

// Base of fonts, pens and brushes: one OnChange per change.
class TGraphicsObject : public TPersistent {
  HV_CLASS(TGraphicsObject, TPersistent)
 public:
  TNotifyEvent OnChange;

 protected:
  virtual void Changed();
};

class TFont : public TGraphicsObject {
  HV_CLASS(TFont, TGraphicsObject)
 public:
  // "Tahoma", 8 points, the window-text colour, the default character set.
  TFont();
  ~TFont() override;

  // Copies a font; a source measured at another resolution keeps its point size.
  void Assign(TPersistent* Source) override;

  const TFontName& Name() const { return name_; }
  void SetName(const TFontName& value);  // an empty name is ignored
  // Points; negative when Height is positive (a cell height rather than a character height).
  int Size() const;
  void SetSize(int value);
  // Pixels: negative for the character height, positive for the cell height.
  int Height() const { return height_; }
  void SetHeight(int value);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles value);
  TColor Color() const { return color_; }
  void SetColor(TColor value);
  TFontCharset Charset() const { return charset_; }
  void SetCharset(TFontCharset value);
  TFontPitch Pitch() const { return pitch_; }
  void SetPitch(TFontPitch value);
  // Angle of the text in tenths of a degree.
  int Orientation() const { return orientation_; }
  void SetOrientation(int value);
  // The resolution that relates Size and Height (the screen's unless set).
  int PixelsPerInch() const { return pixelsPerInch_; }
  void SetPixelsPerInch(int value);

  // The font's GDI handle, made on first use from LogFont(). The font owns it; it stays valid
  // until the next change of the font.
  HFONT Handle();
  bool HandleAllocated() const { return static_cast<bool>(handle_); }
  // The logical-font record the handle is made from; every byte after the face name's end is
  // zero, so that two records compare equal byte for byte when they describe the same font.
  LOGFONTW LogFont() const;
  // Takes face, height, weight (bold from 700 on), italic, underline, strike-out, character set,
  // pitch and orientation from a record (the system's own fonts, for example); one change.
  void SetLogFont(const LOGFONTW& record);

  // The vertical resolution of the screen.
  static int ScreenPixelsPerInch();

 private:
  void HandleChanged();

  TFontName name_;
  int height_;
  TFontStyles style_;
  TColor color_;
  TFontCharset charset_;
  TFontPitch pitch_ = fpDefault;
  int orientation_ = 0;
  int pixelsPerInch_;
  TFontHandle handle_;
};

class TPen : public TGraphicsObject {
  HV_CLASS(TPen, TGraphicsObject)
 public:
  // A solid black pen one pixel wide that copies.
  TPen() = default;
  void Assign(TPersistent* Source) override;

  TColor Color() const { return color_; }
  void SetColor(TColor value);
  int Width() const { return width_; }
  void SetWidth(int value);  // below 1 counts as 1
  TPenStyle Style() const { return style_; }
  void SetStyle(TPenStyle value);
  // The raster operation with which the pen draws (applied by the canvas).
  TPenMode Mode() const { return mode_; }
  void SetMode(TPenMode value);

  HPEN Handle();

 private:
  void HandleChanged();

  TColor color_ = clBlack;
  int width_ = 1;
  TPenStyle style_ = psSolid;
  TPenMode mode_ = pmCopy;
  TPenHandle handle_;
};

class TBrush : public TGraphicsObject {
  HV_CLASS(TBrush, TGraphicsObject)
 public:
  // A solid white brush.
  TBrush() = default;
  void Assign(TPersistent* Source) override;

  TColor Color() const { return color_; }
  void SetColor(TColor value);  // a clear brush becomes solid
  // bsClear paints nothing and makes text and hatches transparent.
  TBrushStyle Style() const { return style_; }
  void SetStyle(TBrushStyle value);

  // A pattern to paint with instead of the colour and style (not owned; null for none). The
  // brush takes the bitmap's image when its handle is made.
  TBitmap* Bitmap() const { return bitmap_; }
  void SetBitmap(TBitmap* value);

  // The brush's handle (the stock null brush, not owned, when clear).
  HBRUSH Handle();

 private:
  void HandleChanged();

  TColor color_ = clWhite;
  TBrushStyle style_ = bsSolid;
  TBitmap* bitmap_ = nullptr;
  TBrushHandle handle_;
};

class TCanvas : public TPersistent {
  HV_CLASS(TCanvas, TPersistent)
 public:
  TCanvas();
  ~TCanvas() override;

  // The DC with the canvas's font, pen and brush selected. A canvas without a DC asks
  // CreateHandle for one and raises EInvalidOperation "Canvas does not allow drawing" when
  // there is none.
  HDC Handle();
  // Draws on `dc` from now on (borrowed, not freed); the previous DC gets its own objects back.
  void SetHandle(HDC dc);
  bool HandleAllocated() const { return dc_ != nullptr; }

  // The canvas owns these three; the Set functions copy (Assign). Their OnChange belongs to
  // the canvas.
  TFont* Font() const { return font_.get(); }
  void SetFont(TFont* value) { font_->Assign(value); }
  TPen* Pen() const { return pen_.get(); }
  void SetPen(TPen* value) { pen_->Assign(value); }
  TBrush* Brush() const { return brush_.get(); }
  void SetBrush(TBrush* value) { brush_->Assign(value); }

  TPoint PenPos();
  void SetPenPos(const TPoint& value) { MoveTo(value.X, value.Y); }
  // Raster operation of CopyRect (SRCCOPY by default).
  DWORD CopyMode() const { return copyMode_; }
  void SetCopyMode(DWORD value) { copyMode_ = value; }
  // ETO_ flags added to every TextOut and TextRect (ETO_RTLREADING, for example).
  int TextFlags() const { return textFlags_; }
  void SetTextFlags(int value) { textFlags_ = value; }
  // The bounds of the DC's clip region.
  TRect ClipRect();
  // Right to left when the DC reads text right to left.
  TCanvasOrientation CanvasOrientation();

  void FillRect(const TRect& rect);
  void FrameRect(const TRect& rect);  // one pixel in the brush
  void DrawFocusRect(const TRect& rect);
  void Rectangle(int x1, int y1, int x2, int y2);
  void Rectangle(const TRect& rect) { Rectangle(rect.Left, rect.Top, rect.Right, rect.Bottom); }
  void RoundRect(int x1, int y1, int x2, int y2, int cornerWidth, int cornerHeight);
  void Ellipse(int x1, int y1, int x2, int y2);
  void Ellipse(const TRect& rect) { Ellipse(rect.Left, rect.Top, rect.Right, rect.Bottom); }
  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  void Polyline(std::span<const TPoint> points);
  void Polygon(std::span<const TPoint> points);

  // Text in the font, on the brush (transparent with a clear brush); the pen position moves to
  // the end of the text. The ANSI forms convert from the ANSI code page.
  void TextOut(int x, int y, const WideString& text);
  void TextOut(int x, int y, const AnsiString& text);
  // As TextOut, clipped to `rect`, which is filled with the brush unless it is clear.
  void TextRect(const TRect& rect, int x, int y, const WideString& text);
  void TextRect(const TRect& rect, int x, int y, const AnsiString& text);
  // DrawTextW with DT_ flags; with DT_CALCRECT `rect` receives the size. Returns the height.
  int DrawText(TRect& rect, const WideString& text, unsigned format);
  TSize TextExtent(const WideString& text);
  TSize TextExtent(const AnsiString& text);
  int TextWidth(const WideString& text) { return TextExtent(text).cx; }
  int TextWidth(const AnsiString& text) { return TextExtent(text).cx; }
  int TextHeight(const WideString& text) { return TextExtent(text).cy; }
  int TextHeight(const AnsiString& text) { return TextExtent(text).cy; }

  // A graphic at its own size / stretched into a rectangle (nothing for null or empty ones).
  void Draw(int x, int y, TGraphic* graphic);
  void StretchDraw(const TRect& rect, TGraphic* graphic);
  // Copies (stretching) a rectangle of another canvas here with CopyMode.
  void CopyRect(const TRect& dest, TCanvas* source, const TRect& sourceRect);

  // The colour of a pixel (clNone outside the clip region) / sets it.
  TColor Pixels(int x, int y);
  void SetPixels(int x, int y, TColor color);

  // Selects the font, pen and brush again on the next use (after the DC was changed behind
  // the canvas's back).
  void Refresh();

  // Serialises drawing from several threads; nests.
  void Lock();
  void Unlock();
  bool TryLock();
  int LockCount() const { return lockCount_; }

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  enum : unsigned { csHandleValid = 1, csFontValid = 2, csPenValid = 4, csBrushValid = 8, csAllValid = 15 };

  // Subclasses that make their own DC do it here (SetHandle); the base has none to make.
  virtual void CreateHandle() {}
  virtual void Changing();
  virtual void Changed();
  void RequiredState(unsigned state);
  // Takes the canvas's objects out of the DC and puts the DC's own back.
  void DeselectHandles();

 private:
  void FontChanged(TObject* Sender);
  void PenChanged(TObject* Sender);
  void BrushChanged(TObject* Sender);

  HDC dc_ = nullptr;
  unsigned state_ = 0;
  std::unique_ptr<TFont> font_;
  std::unique_ptr<TPen> pen_;
  std::unique_ptr<TBrush> brush_;
  TSelectObject fontSelection_;
  TSelectObject penSelection_;
  TSelectObject brushSelection_;
  DWORD copyMode_ = SRCCOPY;
  int textFlags_ = 0;
  CRITICAL_SECTION lock_;
  int lockCount_ = 0;
};

// A picture a canvas can draw: bitmaps, icons, PNG images.
class TGraphic : public TPersistent {
  HV_CLASS(TGraphic, TPersistent)
 public:
  virtual bool Empty() const = 0;
  virtual int Width() const = 0;
  virtual void SetWidth(int value) = 0;
  virtual int Height() const = 0;
  virtual void SetHeight(int value) = 0;
  // Whether some pixels let the background show through when drawn.
  virtual bool Transparent() const { return transparent_; }
  virtual void SetTransparent(bool value);
  virtual HPALETTE Palette() const { return nullptr; }
  virtual void SetPalette(HPALETTE) {}
  // Set by every change.
  bool Modified() const { return modified_; }
  void SetModified(bool value);

  // The picture in its file format, from and to the stream's position.
  virtual void LoadFromStream(TStream* Stream) = 0;
  virtual void SaveToStream(TStream* Stream) = 0;
  // The file is opened for reading, denying others write access / created anew.
  virtual void LoadFromFile(const WideString& FileName);
  virtual void SaveToFile(const WideString& FileName);
  // Clipboard data; the base knows no format and raises EInvalidGraphic "Unsupported
  // clipboard format". Saving hands the data (and palette) over to the caller.
  virtual void LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette);
  virtual void SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette);

  TNotifyEvent OnChange;

 protected:
  friend class TCanvas;
  // Draws the picture stretched into `rect`.
  virtual void Draw(TCanvas* canvas, const TRect& rect) = 0;
  // Marks the picture modified and fires OnChange.
  virtual void Changed(TObject* Sender);

 private:
  bool transparent_ = false;
  bool modified_ = false;
};
