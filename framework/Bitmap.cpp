// Device-independent bitmaps: the DIB section and its canvas, BMP files and bitmap resources,
// and drawing with a transparent colour.
#include "framework/Bitmap.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#include "framework/Streams.h"

namespace bitmap_detail {
// One bottom-up DIB section and what describes it.
struct TDibImage {
  TBitmapHandle handle;
  uint8_t* bits = nullptr;
  int width = 0;
  int height = 0;
  TPixelFormat format = pf24bit;
  std::vector<RGBQUAD> palette;  // 2^bits entries for 1, 4 and 8 bits, else none
};
}  // namespace bitmap_detail

using bitmap_detail::TDibImage;

namespace {

const wchar_t invalidBitmap[] = L"Bitmap image is not valid";

// The largest image accepted: 65535 pixels a side and 1 GB of pixels.
constexpr int maxSide = 65535;
constexpr int64_t maxImageBytes = int64_t(1) << 30;

constexpr DWORD masks565[3] = {0xF800, 0x07E0, 0x001F};
constexpr DWORD masks555[3] = {0x7C00, 0x03E0, 0x001F};
constexpr DWORD masks888[3] = {0xFF0000, 0x00FF00, 0x0000FF};

[[noreturn]] void Invalid() { throw EInvalidGraphic(invalidBitmap); }

int BitsPerPixel(TPixelFormat format) {
  switch (format) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit:
    case pf16bit: return 16;
    case pf32bit: return 32;
    default: return 24;
  }
}

int64_t Stride(int width, int bitsPerPixel) { return (int64_t(width) * bitsPerPixel + 31) / 32 * 4; }

RGBQUAD Quad(uint8_t r, uint8_t g, uint8_t b) { return RGBQUAD{b, g, r, 0}; }

// Black and white; the 16 standard colours; those, a 6x6x6 colour cube and 24 greys.
std::vector<RGBQUAD> DefaultPalette(TPixelFormat format) {
  std::vector<RGBQUAD> p;
  if (format == pf1bit) return {Quad(0, 0, 0), Quad(255, 255, 255)};
  if (format != pf4bit && format != pf8bit) return p;
  const uint8_t standard[16][3] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                   {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                                   {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                   {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
  for (auto& c : standard) p.push_back(Quad(c[0], c[1], c[2]));
  if (format == pf4bit) return p;
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b) p.push_back(Quad(uint8_t(r * 51), uint8_t(g * 51), uint8_t(b * 51)));
  for (int i = 1; i <= 24; ++i) {
    uint8_t v = uint8_t(i * 255 / 25);
    p.push_back(Quad(v, v, v));
  }
  return p;
}

// A BITMAPINFO with room for 256 colours (or the three masks).
struct TDibInfo {
  BITMAPINFOHEADER header{};
  RGBQUAD colors[256]{};
  BITMAPINFO* Get() { return reinterpret_cast<BITMAPINFO*>(this); }
};

TDibInfo MakeInfo(int width, int height, TPixelFormat format, const std::vector<RGBQUAD>& palette) {
  TDibInfo info;
  int bpp = BitsPerPixel(format);
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = width;
  info.header.biHeight = height;
  info.header.biPlanes = 1;
  info.header.biBitCount = static_cast<WORD>(bpp);
  info.header.biCompression = format == pf16bit ? BI_BITFIELDS : BI_RGB;
  info.header.biSizeImage = static_cast<DWORD>(Stride(width, bpp) * height);
  if (format == pf16bit) std::memcpy(info.colors, masks565, sizeof masks565);
  if (bpp <= 8) {
    info.header.biClrUsed = static_cast<DWORD>(palette.size());
    std::memcpy(info.colors, palette.data(), palette.size() * sizeof(RGBQUAD));
  }
  return info;
}

// A new image; a zero size gives an empty one. Its pixels are zero.
TDibImage MakeDib(int width, int height, TPixelFormat format, std::vector<RGBQUAD> palette) {
  TDibImage image;
  image.format = format;
  int bpp = BitsPerPixel(format);
  if (bpp <= 8) {
    size_t n = size_t(1) << bpp;
    if (palette.size() != n) {
      std::vector<RGBQUAD> standard = DefaultPalette(format);
      if (palette.empty()) palette = standard;
      palette.resize(n, Quad(0, 0, 0));
    }
    image.palette = std::move(palette);
  }
  if (width <= 0 || height <= 0) return image;
  if (width > maxSide || height > maxSide || Stride(width, bpp) * height > maxImageBytes)
    throw EOutOfResources("Out of system resources");
  TDibInfo info = MakeInfo(width, height, format, image.palette);
  void* bits = nullptr;
  image.handle.Reset(CreateDIBSection(nullptr, info.Get(), DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!image.handle) throw EOutOfResources("Out of system resources");
  image.bits = static_cast<uint8_t*>(bits);
  image.width = width;
  image.height = height;
  return image;
}

// Copies the top-left part of one bitmap onto another (neither may be selected elsewhere);
// GDI converts between the formats.
void Blit(HBITMAP dest, HBITMAP source, int width, int height, bool whiteFirst, int destWidth, int destHeight) {
  TCreatedDC destDC(CreateCompatibleDC(nullptr));
  TSelectObject destSelection(destDC.Get(), dest);
  if (whiteFirst) {
    RECT all{0, 0, destWidth, destHeight};
    FillRect(destDC.Get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
  if (!source) return;
  TCreatedDC sourceDC(CreateCompatibleDC(nullptr));
  TSelectObject sourceSelection(sourceDC.Get(), source);
  BitBlt(destDC.Get(), 0, 0, width, height, sourceDC.Get(), 0, 0, SRCCOPY);
}

uint32_t Read32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }
uint16_t Read16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }

// What the header of a packed DIB says, checked against the bytes there are.
struct TDibLayout {
  int width = 0;
  int height = 0;  // negative: rows top-down
  int bpp = 0;
  uint32_t compression = BI_RGB;
  uint32_t masks[3] = {};
  size_t colorOffset = 0;
  size_t colorEntrySize = 4;
  size_t colorCount = 0;
  size_t pixelOffset = 0;
  size_t pixelBytes = 0;
};

TDibLayout ReadLayout(const uint8_t* data, size_t size, size_t pixelOffset) {
  TDibLayout d;
  if (size < 12) Invalid();
  uint32_t headerSize = Read32(data);
  bool core = headerSize == 12;
  if (!core && headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 108 && headerSize != 124)
    Invalid();
  if (size < headerSize) Invalid();
  int planes;
  uint32_t sizeImage = 0, colorsUsed = 0;
  if (core) {
    d.width = Read16(data + 4);
    d.height = Read16(data + 6);
    planes = Read16(data + 8);
    d.bpp = Read16(data + 10);
    d.colorEntrySize = 3;
  } else {
    d.width = static_cast<int32_t>(Read32(data + 4));
    d.height = static_cast<int32_t>(Read32(data + 8));
    planes = Read16(data + 12);
    d.bpp = Read16(data + 14);
    d.compression = Read32(data + 16);
    sizeImage = Read32(data + 20);
    colorsUsed = Read32(data + 32);
  }
  int rows = d.height < 0 ? -d.height : d.height;
  if (planes != 1 || d.width <= 0 || d.height == 0 || d.width > maxSide || rows > maxSide) Invalid();
  if (d.bpp != 1 && d.bpp != 4 && d.bpp != 8 && d.bpp != 16 && d.bpp != 24 && d.bpp != 32) Invalid();
  bool rle = d.compression == BI_RLE8 || d.compression == BI_RLE4;
  if (d.compression == BI_RLE8 && d.bpp != 8) Invalid();
  if (d.compression == BI_RLE4 && d.bpp != 4) Invalid();
  if (d.compression == BI_BITFIELDS && d.bpp != 16 && d.bpp != 32) Invalid();
  if (d.compression != BI_RGB && d.compression != BI_BITFIELDS && !rle) Invalid();
  if (rle && d.height < 0) Invalid();

  d.colorOffset = headerSize;
  if (d.compression == BI_BITFIELDS) {
    if (headerSize == 40) {
      if (size < 52) Invalid();
      d.colorOffset += 12;
    }
    for (int i = 0; i < 3; ++i) d.masks[i] = Read32(data + 40 + 4 * i);
  }
  if (d.bpp <= 8) {
    size_t most = size_t(1) << d.bpp;
    d.colorCount = colorsUsed == 0 || colorsUsed > most ? most : colorsUsed;
  }
  // Some writers leave the colour count at 0 ("all of them") but store fewer: the pixel offset
  // of the file tells how many there are.
  if (pixelOffset && pixelOffset >= d.colorOffset && d.colorOffset + d.colorCount * d.colorEntrySize > pixelOffset)
    d.colorCount = (pixelOffset - d.colorOffset) / d.colorEntrySize;
  size_t colorsEnd = d.colorOffset + d.colorCount * d.colorEntrySize;
  d.pixelOffset = pixelOffset ? pixelOffset : colorsEnd;
  if (colorsEnd > d.pixelOffset || d.pixelOffset > size) Invalid();
  int64_t rowsBytes = Stride(d.width, d.bpp) * rows;
  if (rowsBytes > maxImageBytes) Invalid();
  d.pixelBytes = rle ? sizeImage : static_cast<size_t>(rowsBytes);
  if (d.pixelBytes == 0 || d.pixelBytes > size - d.pixelOffset) Invalid();
  return d;
}

bool MasksAre(const uint32_t* masks, const DWORD* expected) {
  return masks[0] == expected[0] && masks[1] == expected[1] && masks[2] == expected[2];
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The canvas of a bitmap: a memory DC made when first needed, with the image selected.

class TBitmap::TBitmapCanvas : public TCanvas {
 public:
  explicit TBitmapCanvas(TBitmap* owner) : owner_(owner) {}
  ~TBitmapCanvas() override { FreeContext(); }

  void FreeContext() {
    if (!dc_) return;
    SetHandle(nullptr);
    selection_.Restore();
    dc_.Reset();
  }
  // The DC without announcing a change (the bitmap only reads from it).
  HDC SourceDC() {
    RequiredState(csHandleValid);
    return dc_.Get();
  }

 protected:
  void CreateHandle() override {
    TCreatedDC dc(CreateCompatibleDC(nullptr));
    if (!dc) return;
    if (owner_->handle_) selection_.Select(dc.Get(), owner_->handle_.Get());
    dc_ = std::move(dc);
    SetHandle(dc_.Get());
  }

 private:
  TBitmap* owner_;
  TCreatedDC dc_;
  TSelectObject selection_;
};

// ---------------------------------------------------------------------------------------------
// TBitmap

HV_PUBLISH(TBitmap) {}

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() { FreeContext(); }

TCanvas* TBitmap::Canvas() {
  if (!canvas_) {
    canvas_ = std::make_unique<TBitmapCanvas>(this);
    canvas_->OnChange = TNotifyEvent(this, &TBitmap::CanvasChanged);
  }
  return canvas_.get();
}

void TBitmap::CanvasChanged(TObject*) { Changed(this); }

void TBitmap::FreeContext() {
  if (canvas_) canvas_->FreeContext();
}

HDC TBitmap::SourceDC() {
  Canvas();
  return canvas_->SourceDC();
}

HBITMAP TBitmap::Handle() {
  FreeContext();
  return handle_.Get();
}

void TBitmap::ReplaceImage(TDibImage&& image) {
  FreeContext();
  handle_ = std::move(image.handle);
  bits_ = image.bits;
  width_ = image.width;
  height_ = image.height;
  pixelFormat_ = image.format;
  palette_ = std::move(image.palette);
  Changed(this);
}

void TBitmap::Assign(TPersistent* Source) {
  if (!Source) {
    ReplaceImage(MakeDib(0, 0, pixelFormat_, palette_));
    return;
  }
  auto* source = dynamic_cast<TBitmap*>(Source);
  if (!source) {
    TGraphic::Assign(Source);
    return;
  }
  if (source == this) return;
  TDibImage image = MakeDib(source->width_, source->height_, source->pixelFormat_, source->palette_);
  if (image.bits) {
    GdiFlush();
    std::memcpy(image.bits, source->bits_, static_cast<size_t>(source->ScanLineSize()) * source->height_);
  }
  transparentColor_ = source->transparentColor_;
  SetTransparent(source->Transparent());
  ReplaceImage(std::move(image));
}

void TBitmap::SetSize(int width, int height) {
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  if (width == width_ && height == height_) return;
  TDibImage image = MakeDib(width, height, pixelFormat_, palette_);
  if (image.handle) {
    FreeContext();
    Blit(image.handle.Get(), handle_.Get(), std::min(width, width_), std::min(height, height_), true, width, height);
  }
  ReplaceImage(std::move(image));
}

void TBitmap::SetPixelFormat(TPixelFormat value) {
  if (value == pfDevice) value = pf24bit;
  if (value == pfCustom) throw EInvalidGraphic("Invalid pixel format");
  if (value == pixelFormat_) return;
  TDibImage image = MakeDib(width_, height_, value, {});
  if (image.handle) {
    FreeContext();
    Blit(image.handle.Get(), handle_.Get(), width_, height_, false, width_, height_);
  }
  ReplaceImage(std::move(image));
}

int TBitmap::ScanLineSize() const { return static_cast<int>(Stride(width_, BitsPerPixel(pixelFormat_))); }

void* TBitmap::ScanLine(int row) {
  if (row < 0 || row >= height_) throw EInvalidGraphicOperation("Scan line index out of range");
  GdiFlush();
  return bits_ + static_cast<size_t>(height_ - 1 - row) * ScanLineSize();
}

void TBitmap::SetHandle(HBITMAP bitmap) {
  TBitmapHandle owned(bitmap);
  CopyFromHandle(owned.Get());
}

void TBitmap::CopyFromHandle(HBITMAP bitmap) {
  if (!bitmap) {
    ReplaceImage(MakeDib(0, 0, pixelFormat_, palette_));
    return;
  }
  DIBSECTION ds{};
  int got = GetObjectW(bitmap, sizeof ds, &ds);
  if (got < static_cast<int>(sizeof(BITMAP))) throw EInvalidGraphic(invalidBitmap);
  const BITMAP& bm = ds.dsBm;
  TPixelFormat format = pf24bit;
  switch (bm.bmBitsPixel) {
    case 1: format = pf1bit; break;
    case 4: format = pf4bit; break;
    case 8: format = pf8bit; break;
    case 16:
      format = got == static_cast<int>(sizeof ds) && ds.dsBmih.biCompression == BI_BITFIELDS &&
                       ds.dsBitfields[1] == masks565[1]
                   ? pf16bit
                   : pf15bit;
      break;
    case 32: format = pf32bit; break;
    default: break;
  }
  int height = bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight;
  // GetDIBits hands out the pixels in the format asked for, and the colours of a paletted one.
  TDibInfo info = MakeInfo(bm.bmWidth, height, format, DefaultPalette(format));
  std::vector<uint8_t> pixels(static_cast<size_t>(Stride(bm.bmWidth, BitsPerPixel(format)) * height));
  TWindowDC screen;
  if (!GetDIBits(screen.Get(), bitmap, 0, static_cast<UINT>(height), pixels.data(), info.Get(), DIB_RGB_COLORS))
    throw EInvalidGraphic(invalidBitmap);
  std::vector<RGBQUAD> palette;
  if (BitsPerPixel(format) <= 8) palette.assign(info.colors, info.colors + (size_t(1) << BitsPerPixel(format)));
  TDibImage image = MakeDib(bm.bmWidth, height, format, palette);
  if (image.bits) std::memcpy(image.bits, pixels.data(), pixels.size());
  ReplaceImage(std::move(image));
}

TColor TBitmap::TransparentColor() {
  if (transparentColor_ != clDefault) return transparentColor_;
  if (Empty()) return clDefault;
  return Canvas()->Pixels(0, height_ - 1);
}

void TBitmap::SetTransparentColor(TColor value) {
  if (value == transparentColor_) return;
  transparentColor_ = value;
  Changed(this);
}

void TBitmap::SetTransparentMode(TTransparentMode value) {
  if (value == TransparentMode()) return;
  if (value == tmAuto)
    SetTransparentColor(clDefault);
  else
    SetTransparentColor(TransparentColor());
}

// ---- BMP files and resources ----

void TBitmap::LoadDib(const uint8_t* data, size_t size, size_t pixelOffset) {
  TDibLayout d = ReadLayout(data, size, pixelOffset);
  int rows = d.height < 0 ? -d.height : d.height;
  bool direct = d.compression == BI_RGB;
  TPixelFormat format = pf24bit;
  switch (d.bpp) {
    case 1: format = pf1bit; break;
    case 4: format = pf4bit; break;
    case 8: format = pf8bit; break;
    case 16:
      format = pf15bit;
      if (d.compression == BI_BITFIELDS) {
        direct = MasksAre(d.masks, masks555) || MasksAre(d.masks, masks565);
        format = MasksAre(d.masks, masks565) ? pf16bit : direct ? pf15bit : pf24bit;
      }
      break;
    case 32:
      format = pf32bit;
      if (d.compression == BI_BITFIELDS) direct = MasksAre(d.masks, masks888);
      break;
    default: break;
  }
  std::vector<RGBQUAD> palette;
  for (size_t i = 0; i < d.colorCount; ++i) {
    const uint8_t* c = data + d.colorOffset + i * d.colorEntrySize;
    palette.push_back(RGBQUAD{c[0], c[1], c[2], 0});
  }
  if (!palette.empty()) palette.resize(size_t(1) << d.bpp, Quad(0, 0, 0));
  TDibImage image = MakeDib(d.width, rows, format, palette);
  const uint8_t* pixels = data + d.pixelOffset;
  if (direct) {
    size_t stride = static_cast<size_t>(Stride(d.width, d.bpp));
    for (int row = 0; row < rows; ++row) {
      // Our rows are bottom-up; a top-down file has its first row at the top.
      int sourceRow = d.height < 0 ? rows - 1 - row : row;
      std::memcpy(image.bits + static_cast<size_t>(row) * stride, pixels + static_cast<size_t>(sourceRow) * stride,
                  stride);
    }
  } else {
    // Run-length encoded rows and unusual bit masks are decoded by GDI.
    TDibInfo info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = d.width;
    info.header.biHeight = d.height;
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<WORD>(d.bpp);
    info.header.biCompression = d.compression;
    info.header.biSizeImage = static_cast<DWORD>(d.pixelBytes);
    if (d.compression == BI_BITFIELDS) std::memcpy(info.colors, d.masks, sizeof d.masks);
    if (!palette.empty()) {
      info.header.biClrUsed = static_cast<DWORD>(palette.size());
      std::memcpy(info.colors, palette.data(), palette.size() * sizeof(RGBQUAD));
    }
    TWindowDC screen;
    if (!SetDIBits(screen.Get(), image.handle.Get(), 0, static_cast<UINT>(rows), pixels, info.Get(), DIB_RGB_COLORS))
      Invalid();
  }
  ReplaceImage(std::move(image));
}

void TBitmap::LoadFromStream(TStream* Stream) {
  int64_t start = Stream->Position();
  int64_t available = Stream->Size() - start;
  if (available <= 0) {
    ReplaceImage(MakeDib(0, 0, pixelFormat_, palette_));
    return;
  }
  uint8_t fileHeader[14 + 4];
  if (available < static_cast<int64_t>(sizeof fileHeader) ||
      Stream->Read(fileHeader, sizeof fileHeader) != sizeof fileHeader)
    Invalid();
  if (fileHeader[0] != 'B' || fileHeader[1] != 'M') Invalid();
  uint32_t offBits = Read32(fileHeader + 10);
  uint32_t headerSize = Read32(fileHeader + 14);
  if (headerSize < 12 || headerSize > 124) Invalid();
  size_t pixelOffset = 0;
  if (offBits) {
    if (offBits < 14 + headerSize) Invalid();
    pixelOffset = offBits - 14;
  }
  // The header (and the masks that may follow it) tell how many bytes belong to the image.
  std::vector<uint8_t> dib(headerSize + 12, 0);
  std::memcpy(dib.data(), fileHeader + 14, 4);
  size_t got = headerSize;
  if (available - 14 < static_cast<int64_t>(got)) Invalid();
  Stream->ReadBuffer(dib.data() + 4, static_cast<int>(got - 4));
  if (headerSize == 40 && Read32(dib.data() + 16) == BI_BITFIELDS) {
    if (available - 14 < static_cast<int64_t>(got + 12)) Invalid();
    Stream->ReadBuffer(dib.data() + got, 12);
    got += 12;
  }
  TDibLayout d = ReadLayout(dib.data(), SIZE_MAX / 2, pixelOffset);
  size_t used = d.pixelOffset + d.pixelBytes;
  if (static_cast<int64_t>(used) > available - 14 || used < got) Invalid();
  dib.resize(used);
  Stream->ReadBuffer(dib.data() + got, static_cast<int>(used - got));
  LoadDib(dib.data(), used, d.pixelOffset);
  Stream->SetPosition(start + 14 + static_cast<int64_t>(used));
}

void TBitmap::SaveToStream(TStream* Stream) {
  if (Empty()) return;
  TDibInfo info = MakeInfo(width_, height_, pixelFormat_, palette_);
  size_t extra = pixelFormat_ == pf16bit ? 3 * sizeof(DWORD) : palette_.size() * sizeof(RGBQUAD);
  size_t imageBytes = static_cast<size_t>(ScanLineSize()) * height_;
  uint32_t offBits = static_cast<uint32_t>(14 + sizeof(BITMAPINFOHEADER) + extra);
  uint32_t fileSize = static_cast<uint32_t>(offBits + imageBytes);
  uint8_t fileHeader[14] = {'B', 'M'};
  std::memcpy(fileHeader + 2, &fileSize, 4);
  std::memcpy(fileHeader + 10, &offBits, 4);
  Stream->WriteBuffer(fileHeader, sizeof fileHeader);
  Stream->WriteBuffer(&info.header, sizeof info.header);
  Stream->WriteBuffer(info.colors, static_cast<int>(extra));
  GdiFlush();
  Stream->WriteBuffer(bits_, static_cast<int>(imageBytes));
}

void TBitmap::LoadFromResourceName(HINSTANCE instance, const WideString& name) {
  TResourceStream resource(instance, name, RT_BITMAP);
  LoadDib(static_cast<const uint8_t*>(resource.Memory()), static_cast<size_t>(resource.Size()), 0);
}

void TBitmap::LoadFromResourceID(HINSTANCE instance, int id) {
  TResourceStream resource(instance, id, RT_BITMAP);
  LoadDib(static_cast<const uint8_t*>(resource.Memory()), static_cast<size_t>(resource.Size()), 0);
}

void TBitmap::LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE) {
  if (format != CF_BITMAP || !data) throw EInvalidGraphic("Unsupported clipboard format");
  CopyFromHandle(static_cast<HBITMAP>(data));  // the clipboard keeps its own bitmap
}

void TBitmap::SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) {
  format = CF_BITMAP;
  palette = nullptr;
  data = Empty() ? nullptr : CopyImage(Handle(), IMAGE_BITMAP, 0, 0, 0);
}

// ---- drawing ----

void TBitmap::Draw(TCanvas* canvas, const TRect& rect) {
  if (Empty()) return;
  HDC source = SourceDC();
  HDC dest = canvas->Handle();
  int oldMode = SetStretchBltMode(dest, COLORONCOLOR);
  if (Transparent())
    DrawTransparent(dest, rect, source);
  else
    StretchBlt(dest, rect.Left, rect.Top, rect.Width(), rect.Height(), source, 0, 0, width_, height_,
               canvas->CopyMode());
  SetStretchBltMode(dest, oldMode);
}

// A monochrome mask marks the pixels of the transparent colour; the image is put on the
// destination with two XORs around an AND with the mask, so those pixels come out unchanged.
void TBitmap::DrawTransparent(HDC dest, const TRect& rect, HDC source) {
  COLORREF key = ColorToRGB(TransparentColor()) & 0xFFFFFF;
  TCreatedDC maskDC(CreateCompatibleDC(source));
  TBitmapHandle mask(CreateBitmap(width_, height_, 1, 1, nullptr));
  if (!maskDC || !mask) throw EOutOfResources("Out of system resources");
  TSelectObject maskSelection(maskDC.Get(), mask.Get());
  COLORREF oldBack = SetBkColor(source, key);
  BitBlt(maskDC.Get(), 0, 0, width_, height_, source, 0, 0, SRCCOPY);
  SetBkColor(source, oldBack);

  TSaveDC saved(dest);
  SetTextColor(dest, RGB(0, 0, 0));
  SetBkColor(dest, RGB(255, 255, 255));
  int x = rect.Left, y = rect.Top, w = rect.Width(), h = rect.Height();
  StretchBlt(dest, x, y, w, h, source, 0, 0, width_, height_, SRCINVERT);
  StretchBlt(dest, x, y, w, h, maskDC.Get(), 0, 0, width_, height_, SRCAND);
  StretchBlt(dest, x, y, w, h, source, 0, 0, width_, height_, SRCINVERT);
}
