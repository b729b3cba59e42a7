// Fonts, pens, brushes, the canvas and the graphic base.
#include "framework/Graphics.h"

#include <cwchar>
#include <vector>

#include "framework/Bitmap.h"
#include "framework/CodePages.h"
#include "framework/Streams.h"

HV_PUBLISH(TGraphicsObject) {}

void TGraphicsObject::Changed() {
  if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------------------------------------
// TFont

HV_PUBLISH(TFont) {
  p.Prop("Charset", &T::Charset, &T::SetCharset).Default(DEFAULT_CHARSET);
  p.Prop("Color", &T::Color, &T::SetColor);
  p.Prop("Height", &T::Height, &T::SetHeight);
  p.Prop("Name", &T::Name, &T::SetName);
  p.Prop("Orientation", &T::Orientation, &T::SetOrientation).Default(0);
  p.Prop("Pitch", &T::Pitch, &T::SetPitch).Default(fpDefault);
  p.Prop("Size", &T::Size, &T::SetSize).Stored(false);
  p.Prop("Style", &T::Style, &T::SetStyle).Default(TFontStyles{});
}

int TFont::ScreenPixelsPerInch() {
  static const int ppi = [] {
    TWindowDC screen;
    int value = screen ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
    return value > 0 ? value : 96;
  }();
  return ppi;
}

TFont::TFont()
    : name_(L"Tahoma"), color_(clWindowText), charset_(DEFAULT_CHARSET), pixelsPerInch_(ScreenPixelsPerInch()) {
  height_ = -MulDiv(8, pixelsPerInch_, 72);
}

TFont::~TFont() = default;

// The old handle is freed only after the change was announced: a canvas that has it selected
// takes it out of its DC in its OnChange handler.
void TFont::HandleChanged() {
  TFontHandle old = std::move(handle_);
  Changed();
}

void TFont::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TFont*>(Source);
  if (!source) {
    TGraphicsObject::Assign(Source);
    return;
  }
  int height = source->height_;
  if (source->pixelsPerInch_ != pixelsPerInch_) height = -MulDiv(source->Size(), pixelsPerInch_, 72);
  bool handleDiffers = name_ != source->name_ || height_ != height || !(style_ == source->style_) ||
                       charset_ != source->charset_ || pitch_ != source->pitch_ || orientation_ != source->orientation_;
  bool colorDiffers = color_ != source->color_;
  if (!handleDiffers && !colorDiffers) return;
  name_ = source->name_;
  height_ = height;
  style_ = source->style_;
  charset_ = source->charset_;
  pitch_ = source->pitch_;
  orientation_ = source->orientation_;
  color_ = source->color_;
  if (handleDiffers)
    HandleChanged();
  else
    Changed();
}

void TFont::SetName(const TFontName& value) {
  if (value.empty() || value == name_) return;
  name_ = value;
  HandleChanged();
}

int TFont::Size() const { return -MulDiv(height_, 72, pixelsPerInch_); }

void TFont::SetSize(int value) { SetHeight(-MulDiv(value, pixelsPerInch_, 72)); }

void TFont::SetHeight(int value) {
  if (value == height_) return;
  height_ = value;
  HandleChanged();
}

void TFont::SetStyle(TFontStyles value) {
  if (value == style_) return;
  style_ = value;
  HandleChanged();
}

void TFont::SetColor(TColor value) {
  if (value == color_) return;
  color_ = value;
  Changed();  // the colour is the canvas's text colour, not part of the handle
}

void TFont::SetCharset(TFontCharset value) {
  if (value == charset_) return;
  charset_ = value;
  HandleChanged();
}

void TFont::SetPitch(TFontPitch value) {
  if (value == pitch_) return;
  pitch_ = value;
  HandleChanged();
}

void TFont::SetOrientation(int value) {
  if (value == orientation_) return;
  orientation_ = value;
  HandleChanged();
}

void TFont::SetPixelsPerInch(int value) {
  if (value > 0) pixelsPerInch_ = value;
}

LOGFONTW TFont::LogFont() const {
  LOGFONTW lf{};
  lf.lfHeight = height_;
  lf.lfEscapement = orientation_;
  lf.lfOrientation = orientation_;
  lf.lfWeight = style_.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = style_.Contains(fsItalic);
  lf.lfUnderline = style_.Contains(fsUnderline);
  lf.lfStrikeOut = style_.Contains(fsStrikeOut);
  lf.lfCharSet = charset_;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  switch (pitch_) {
    case fpVariable: lf.lfPitchAndFamily = VARIABLE_PITCH; break;
    case fpFixed:
      // Without a family the font mapper hands out a proportional face for unknown names.
      lf.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
      break;
    default: lf.lfPitchAndFamily = DEFAULT_PITCH; break;
  }
  size_t n = name_.size() < LF_FACESIZE - 1 ? name_.size() : LF_FACESIZE - 1;
  std::wmemcpy(lf.lfFaceName, name_.data(), n);
  return lf;
}

void TFont::SetLogFont(const LOGFONTW& record) {
  TFontName name(record.lfFaceName, wcsnlen(record.lfFaceName, LF_FACESIZE));
  TFontStyles style;
  if (record.lfWeight >= FW_BOLD) style.Include(fsBold);
  if (record.lfItalic) style.Include(fsItalic);
  if (record.lfUnderline) style.Include(fsUnderline);
  if (record.lfStrikeOut) style.Include(fsStrikeOut);
  TFontPitch pitch = fpDefault;
  if ((record.lfPitchAndFamily & 3) == FIXED_PITCH) pitch = fpFixed;
  if ((record.lfPitchAndFamily & 3) == VARIABLE_PITCH) pitch = fpVariable;
  if (name == name_ && record.lfHeight == height_ && style == style_ && record.lfCharSet == charset_ &&
      pitch == pitch_ && record.lfEscapement == orientation_)
    return;
  if (!name.empty()) name_ = name;
  height_ = record.lfHeight;
  style_ = style;
  charset_ = record.lfCharSet;
  pitch_ = pitch;
  orientation_ = record.lfEscapement;
  HandleChanged();
}

HFONT TFont::Handle() {
  if (!handle_) {
    LOGFONTW lf = LogFont();
    handle_.Reset(CreateFontIndirectW(&lf));
    if (!handle_) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  }
  return handle_.Get();
}

// ---------------------------------------------------------------------------------------------
// TPen

HV_PUBLISH(TPen) {
  p.Prop("Color", &T::Color, &T::SetColor).Default(clBlack);
  p.Prop("Mode", &T::Mode, &T::SetMode).Default(pmCopy);
  p.Prop("Style", &T::Style, &T::SetStyle).Default(psSolid);
  p.Prop("Width", &T::Width, &T::SetWidth).Default(1);
}

void TPen::HandleChanged() {
  TPenHandle old = std::move(handle_);
  Changed();
}

void TPen::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TPen*>(Source);
  if (!source) {
    TGraphicsObject::Assign(Source);
    return;
  }
  bool handleDiffers = color_ != source->color_ || width_ != source->width_ || style_ != source->style_;
  if (!handleDiffers && mode_ == source->mode_) return;
  color_ = source->color_;
  width_ = source->width_;
  style_ = source->style_;
  mode_ = source->mode_;
  if (handleDiffers)
    HandleChanged();
  else
    Changed();
}

void TPen::SetColor(TColor value) {
  if (value == color_) return;
  color_ = value;
  HandleChanged();
}

void TPen::SetWidth(int value) {
  if (value < 1) value = 1;
  if (value == width_) return;
  width_ = value;
  HandleChanged();
}

void TPen::SetStyle(TPenStyle value) {
  if (value == style_) return;
  style_ = value;
  HandleChanged();
}

void TPen::SetMode(TPenMode value) {
  if (value == mode_) return;
  mode_ = value;
  Changed();
}

HPEN TPen::Handle() {
  if (!handle_) {
    static const int styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
    handle_.Reset(CreatePen(styles[style_], width_, ColorToRGB(color_)));
    if (!handle_) return static_cast<HPEN>(GetStockObject(BLACK_PEN));
  }
  return handle_.Get();
}

// ---------------------------------------------------------------------------------------------
// TBrush

HV_PUBLISH(TBrush) {
  p.Prop("Color", &T::Color, &T::SetColor).Default(clWhite);
  p.Prop("Style", &T::Style, &T::SetStyle).Default(bsSolid);
}

void TBrush::HandleChanged() {
  TBrushHandle old = std::move(handle_);
  Changed();
}

void TBrush::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TBrush*>(Source);
  if (!source) {
    TGraphicsObject::Assign(Source);
    return;
  }
  if (color_ == source->color_ && style_ == source->style_ && bitmap_ == source->bitmap_) return;
  color_ = source->color_;
  style_ = source->style_;
  bitmap_ = source->bitmap_;
  HandleChanged();
}

void TBrush::SetColor(TColor value) {
  if (value == color_ && style_ != bsClear) return;
  color_ = value;
  if (style_ == bsClear) style_ = bsSolid;
  HandleChanged();
}

void TBrush::SetStyle(TBrushStyle value) {
  if (value == style_) return;
  style_ = value;
  HandleChanged();
}

void TBrush::SetBitmap(TBitmap* value) {
  if (value == bitmap_) return;
  bitmap_ = value;
  HandleChanged();
}

HBRUSH TBrush::Handle() {
  if (style_ == bsClear && !bitmap_) return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  if (!handle_) {
    COLORREF rgb = ColorToRGB(color_);
    if (bitmap_ && !bitmap_->Empty()) {
      handle_.Reset(CreatePatternBrush(bitmap_->Handle()));
    } else if (style_ == bsSolid || style_ == bsClear) {
      handle_.Reset(CreateSolidBrush(rgb));
    } else {
      static const int hatches[] = {0,        0,           HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL, HS_BDIAGONAL,
                                    HS_CROSS, HS_DIAGCROSS};
      handle_.Reset(CreateHatchBrush(hatches[style_], rgb));
    }
    if (!handle_) return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  }
  return handle_.Get();
}

// ---------------------------------------------------------------------------------------------
// TCanvas

HV_PUBLISH(TCanvas) {}

TCanvas::TCanvas()
    : font_(std::make_unique<TFont>()), pen_(std::make_unique<TPen>()), brush_(std::make_unique<TBrush>()) {
  InitializeCriticalSection(&lock_);
  font_->OnChange = TNotifyEvent(this, &TCanvas::FontChanged);
  pen_->OnChange = TNotifyEvent(this, &TCanvas::PenChanged);
  brush_->OnChange = TNotifyEvent(this, &TCanvas::BrushChanged);
}

TCanvas::~TCanvas() {
  SetHandle(nullptr);
  DeleteCriticalSection(&lock_);
}

HDC TCanvas::Handle() {
  Changing();
  RequiredState(csAllValid);
  Changed();
  return dc_;
}

void TCanvas::SetHandle(HDC dc) {
  if (dc == dc_) return;
  DeselectHandles();
  dc_ = dc;
  state_ = dc ? unsigned(csHandleValid) : 0u;
}

void TCanvas::DeselectHandles() {
  fontSelection_.Restore();
  penSelection_.Restore();
  brushSelection_.Restore();
  state_ &= ~(csFontValid | csPenValid | csBrushValid);
}

void TCanvas::RequiredState(unsigned state) {
  unsigned missing = state & ~state_;
  if (!missing) return;
  if (missing & csHandleValid) {
    CreateHandle();
    if (!dc_) throw EInvalidOperation("Canvas does not allow drawing");
    state_ |= csHandleValid;
  }
  if (missing & csFontValid) {
    fontSelection_.Select(dc_, font_->Handle());
    SetTextColor(dc_, ColorToRGB(font_->Color()));
    state_ |= csFontValid;
  }
  if (missing & csPenValid) {
    penSelection_.Select(dc_, pen_->Handle());
    static const int rops[] = {R2_BLACK,       R2_WHITE,      R2_NOP,         R2_NOT,
                               R2_COPYPEN,     R2_NOTCOPYPEN, R2_MERGEPENNOT, R2_MASKPENNOT,
                               R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN,    R2_NOTMERGEPEN,
                               R2_MASKPEN,     R2_NOTMASKPEN, R2_XORPEN,      R2_NOTXORPEN};
    SetROP2(dc_, rops[pen_->Mode()]);
    state_ |= csPenValid;
  }
  if (missing & csBrushValid) {
    brushSelection_.Select(dc_, brush_->Handle());
    SetBkColor(dc_, ColorToRGB(brush_->Color()));
    SetBkMode(dc_, brush_->Style() == bsSolid ? OPAQUE : TRANSPARENT);
    state_ |= csBrushValid;
  }
}

void TCanvas::FontChanged(TObject*) {
  if (state_ & csFontValid) {
    fontSelection_.Restore();
    state_ &= ~csFontValid;
  }
}

void TCanvas::PenChanged(TObject*) {
  if (state_ & csPenValid) {
    penSelection_.Restore();
    state_ &= ~csPenValid;
  }
}

void TCanvas::BrushChanged(TObject*) {
  if (state_ & csBrushValid) {
    brushSelection_.Restore();
    state_ &= ~csBrushValid;
  }
}

void TCanvas::Refresh() { DeselectHandles(); }

void TCanvas::Changing() {
  if (OnChanging) OnChanging(this);
}

void TCanvas::Changed() {
  if (OnChange) OnChange(this);
}

TPoint TCanvas::PenPos() {
  RequiredState(csHandleValid);
  POINT p{};
  GetCurrentPositionEx(dc_, &p);
  return ToTPoint(p);
}

TRect TCanvas::ClipRect() {
  RequiredState(csHandleValid);
  RECT r{};
  GetClipBox(dc_, &r);
  return ToTRect(r);
}

TCanvasOrientation TCanvas::CanvasOrientation() {
  if (dc_ && (GetTextAlign(dc_) & TA_RTLREADING)) return coRightToLeft;
  return coLeftToRight;
}

void TCanvas::FillRect(const TRect& rect) {
  Changing();
  RequiredState(csHandleValid | csBrushValid);
  RECT r = ToRECT(rect);
  ::FillRect(dc_, &r, brush_->Handle());
  Changed();
}

void TCanvas::FrameRect(const TRect& rect) {
  Changing();
  RequiredState(csHandleValid | csBrushValid);
  RECT r = ToRECT(rect);
  ::FrameRect(dc_, &r, brush_->Handle());
  Changed();
}

void TCanvas::DrawFocusRect(const TRect& rect) {
  Changing();
  RequiredState(csHandleValid | csBrushValid);
  RECT r = ToRECT(rect);
  ::DrawFocusRect(dc_, &r);
  Changed();
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  ::Rectangle(dc_, x1, y1, x2, y2);
  Changed();
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int cornerWidth, int cornerHeight) {
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  ::RoundRect(dc_, x1, y1, x2, y2, cornerWidth, cornerHeight);
  Changed();
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  ::Ellipse(dc_, x1, y1, x2, y2);
  Changed();
}

void TCanvas::MoveTo(int x, int y) {
  RequiredState(csHandleValid);
  MoveToEx(dc_, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  ::LineTo(dc_, x, y);
  Changed();
}

namespace {
std::vector<POINT> ToPOINTs(std::span<const TPoint> points) {
  std::vector<POINT> result;
  result.reserve(points.size());
  for (const TPoint& p : points) result.push_back(ToPOINT(p));
  return result;
}
}  // namespace

void TCanvas::Polyline(std::span<const TPoint> points) {
  if (points.empty()) return;
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  std::vector<POINT> pts = ToPOINTs(points);
  ::Polyline(dc_, pts.data(), static_cast<int>(pts.size()));
  Changed();
}

void TCanvas::Polygon(std::span<const TPoint> points) {
  if (points.empty()) return;
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  std::vector<POINT> pts = ToPOINTs(points);
  ::Polygon(dc_, pts.data(), static_cast<int>(pts.size()));
  Changed();
}

void TCanvas::TextOut(int x, int y, const WideString& text) {
  Changing();
  RequiredState(csHandleValid | csFontValid | csBrushValid);
  if (CanvasOrientation() == coRightToLeft) x += TextWidth(text) + 1;
  ExtTextOutW(dc_, x, y, static_cast<UINT>(textFlags_), nullptr, text.c_str(), static_cast<UINT>(text.size()), nullptr);
  MoveTo(x + TextWidth(text), y);
  Changed();
}

void TCanvas::TextOut(int x, int y, const AnsiString& text) { TextOut(x, y, AnsiToWide(text)); }

void TCanvas::TextRect(const TRect& rect, int x, int y, const WideString& text) {
  Changing();
  RequiredState(csHandleValid | csFontValid | csBrushValid);
  UINT options = ETO_CLIPPED | static_cast<UINT>(textFlags_);
  if (brush_->Style() != bsClear) options |= ETO_OPAQUE;
  if ((textFlags_ & ETO_RTLREADING) && CanvasOrientation() == coRightToLeft) x += TextWidth(text) + 1;
  RECT r = ToRECT(rect);
  ExtTextOutW(dc_, x, y, options, &r, text.c_str(), static_cast<UINT>(text.size()), nullptr);
  Changed();
}

void TCanvas::TextRect(const TRect& rect, int x, int y, const AnsiString& text) {
  TextRect(rect, x, y, AnsiToWide(text));
}

int TCanvas::DrawText(TRect& rect, const WideString& text, unsigned format) {
  Changing();
  RequiredState(csHandleValid | csFontValid | csBrushValid);
  RECT r = ToRECT(rect);
  int height = DrawTextW(dc_, text.c_str(), static_cast<int>(text.size()), &r, format);
  rect = ToTRect(r);
  Changed();
  return height;
}

TSize TCanvas::TextExtent(const WideString& text) {
  RequiredState(csHandleValid | csFontValid);
  SIZE size{0, 0};
  GetTextExtentPoint32W(dc_, text.c_str(), static_cast<int>(text.size()), &size);
  return TSize{size.cx, size.cy};
}

TSize TCanvas::TextExtent(const AnsiString& text) { return TextExtent(AnsiToWide(text)); }

void TCanvas::Draw(int x, int y, TGraphic* graphic) {
  if (!graphic || graphic->Empty()) return;
  Changing();
  RequiredState(csAllValid);
  SetBkColor(dc_, ColorToRGB(brush_->Color()));
  SetTextColor(dc_, ColorToRGB(font_->Color()));
  graphic->Draw(this, Bounds(x, y, graphic->Width(), graphic->Height()));
  Changed();
}

void TCanvas::StretchDraw(const TRect& rect, TGraphic* graphic) {
  if (!graphic || graphic->Empty()) return;
  Changing();
  RequiredState(csAllValid);
  graphic->Draw(this, rect);
  Changed();
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* source, const TRect& sourceRect) {
  if (!source) return;
  Changing();
  RequiredState(csHandleValid | csFontValid | csBrushValid);
  source->RequiredState(csHandleValid | csBrushValid);
  StretchBlt(dc_, dest.Left, dest.Top, dest.Width(), dest.Height(), source->dc_, sourceRect.Left, sourceRect.Top,
             sourceRect.Width(), sourceRect.Height(), copyMode_);
  Changed();
}

TColor TCanvas::Pixels(int x, int y) {
  RequiredState(csHandleValid);
  COLORREF c = GetPixel(dc_, x, y);
  return c == CLR_INVALID ? clNone : TColor(static_cast<int32_t>(c));
}

void TCanvas::SetPixels(int x, int y, TColor color) {
  Changing();
  RequiredState(csHandleValid | csPenValid);
  SetPixel(dc_, x, y, ColorToRGB(color));
  Changed();
}

void TCanvas::Lock() {
  EnterCriticalSection(&lock_);
  ++lockCount_;
}

void TCanvas::Unlock() {
  --lockCount_;
  LeaveCriticalSection(&lock_);
}

bool TCanvas::TryLock() {
  if (!TryEnterCriticalSection(&lock_)) return false;
  ++lockCount_;
  return true;
}

// ---------------------------------------------------------------------------------------------
// TGraphic

HV_PUBLISH(TGraphic) {}

void TGraphic::SetTransparent(bool value) {
  if (value == transparent_) return;
  transparent_ = value;
  Changed(this);
}

void TGraphic::SetModified(bool value) {
  if (value)
    Changed(this);
  else
    modified_ = false;
}

void TGraphic::Changed(TObject*) {
  modified_ = true;
  if (OnChange) OnChange(this);
}

void TGraphic::LoadFromFile(const WideString& FileName) {
  TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream);
}

void TGraphic::SaveToFile(const WideString& FileName) {
  TFileStream stream(FileName, fmCreate);
  SaveToStream(&stream);
}

void TGraphic::LoadFromClipboardFormat(UINT, HANDLE, HPALETTE) {
  throw EInvalidGraphic("Unsupported clipboard format");
}

void TGraphic::SaveToClipboardFormat(UINT&, HANDLE&, HPALETTE&) {
  throw EInvalidGraphic("Unsupported clipboard format");
}
