// Icons: owned handles, resources, .ico files and drawing.
#include "framework/Icon.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "framework/Streams.h"

namespace {

const wchar_t invalidIcon[] = L"Icon image is not valid";

[[noreturn]] void Invalid() { throw EInvalidGraphic(invalidIcon); }

uint32_t Read32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }
uint16_t Read16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }

int64_t Stride(int width, int bitsPerPixel) { return (int64_t(width) * bitsPerPixel + 31) / 32 * 4; }

struct TIconEntry {
  int width;
  int height;
  int bitCount;
  uint32_t bytes;
  uint32_t offset;
};

// An image of an .ico file: PNG data, or a DIB of twice the icon's height whose colour and
// mask rows fit in its bytes.
bool PlausibleImage(const uint8_t* data, size_t size) {
  static const uint8_t png[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (size >= 8 && std::memcmp(data, png, 8) == 0) return true;
  if (size < 40 || Read32(data) != 40) return false;
  int width = static_cast<int32_t>(Read32(data + 4));
  int height = static_cast<int32_t>(Read32(data + 8));
  int planes = Read16(data + 12), bpp = Read16(data + 14);
  uint32_t compression = Read32(data + 16), used = Read32(data + 32);
  if (width <= 0 || width > 1024 || height <= 0 || height > 2048 || planes != 1 || compression != BI_RGB) return false;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
  int64_t colors = bpp <= 8 ? (used && used <= (1u << bpp) ? used : (1u << bpp)) : 0;
  int rows = height / 2;
  int64_t need = 40 + colors * 4 + Stride(width, bpp) * rows + Stride(width, 1) * rows;
  return need <= static_cast<int64_t>(size);
}

// The entry of the system's icon size with the most colours, else the largest.
const TIconEntry* ChooseEntry(const std::vector<TIconEntry>& entries) {
  int wanted = GetSystemMetrics(SM_CXICON);
  const TIconEntry* best = nullptr;
  for (const TIconEntry& e : entries)
    if (e.width == wanted && e.height == wanted && (!best || e.bitCount > best->bitCount)) best = &e;
  if (best) return best;
  for (const TIconEntry& e : entries)
    if (!best || e.width * e.height > best->width * best->height ||
        (e.width * e.height == best->width * best->height && e.bitCount > best->bitCount))
      best = &e;
  return best;
}

void Put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, uint16_t(v));
  Put16(out, uint16_t(v >> 16));
}

}  // namespace

HV_PUBLISH(TIcon) {}

TIcon::TIcon() = default;
TIcon::~TIcon() = default;

void TIcon::Adopt(TIconHandle icon) {
  int width = 0, height = 0;
  if (icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon.Get(), &info)) throw EInvalidGraphic(invalidIcon);
    TBitmapHandle color(info.hbmColor), mask(info.hbmMask);
    BITMAP bm{};
    if (color) {
      GetObjectW(color.Get(), sizeof bm, &bm);
      width = bm.bmWidth;
      height = bm.bmHeight;
    } else {
      GetObjectW(mask.Get(), sizeof bm, &bm);
      width = bm.bmWidth;
      height = bm.bmHeight / 2;  // a monochrome icon's mask holds both halves
    }
  }
  handle_ = std::move(icon);
  width_ = width;
  height_ = height;
  Changed(this);
}

void TIcon::Assign(TPersistent* Source) {
  if (!Source) {
    Adopt(TIconHandle());
    return;
  }
  auto* source = dynamic_cast<TIcon*>(Source);
  if (!source) {
    TGraphic::Assign(Source);
    return;
  }
  if (source == this) return;
  Adopt(TIconHandle(source->handle_ ? CopyIcon(source->handle_.Get()) : nullptr));
}

void TIcon::SetWidth(int value) {
  if (value != width_) throw EInvalidGraphicOperation("Cannot change the size of an icon");
}

void TIcon::SetHeight(int value) {
  if (value != height_) throw EInvalidGraphicOperation("Cannot change the size of an icon");
}

void TIcon::SetHandle(HICON icon) { Adopt(TIconHandle(icon)); }

HICON TIcon::ReleaseHandle() {
  HICON icon = handle_.Release();
  width_ = height_ = 0;
  Changed(this);
  return icon;
}

void TIcon::LoadFromResourceName(HINSTANCE instance, const WideString& name) {
  HICON icon = static_cast<HICON>(LoadImageW(instance, name.c_str(), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
  if (!icon) throw EResNotFound(L"Resource " + name + L" not found");
  Adopt(TIconHandle(icon));
}

void TIcon::LoadFromResourceID(HINSTANCE instance, int id) {
  HICON icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
  if (!icon) throw EResNotFound(L"Resource " + std::to_wstring(id) + L" not found");
  Adopt(TIconHandle(icon));
}

void TIcon::LoadFromStream(TStream* Stream) {
  int64_t start = Stream->Position();
  int64_t available = Stream->Size() - start;
  if (available <= 0) {
    Adopt(TIconHandle());
    return;
  }
  uint8_t dir[6];
  if (available < 6 || Stream->Read(dir, 6) != 6) Invalid();
  int count = Read16(dir + 4);
  if (Read16(dir) != 0 || Read16(dir + 2) != 1 || count == 0 || available < 6 + 16 * count) Invalid();
  std::vector<uint8_t> table(static_cast<size_t>(16 * count));
  Stream->ReadBuffer(table.data(), static_cast<int>(table.size()));
  std::vector<TIconEntry> entries;
  int64_t end = 6 + 16 * count;
  for (int i = 0; i < count; ++i) {
    const uint8_t* e = table.data() + 16 * i;
    TIconEntry entry{e[0] ? e[0] : 256, e[1] ? e[1] : 256, Read16(e + 6), Read32(e + 8), Read32(e + 12)};
    if (entry.bytes == 0 || entry.offset < 6u + 16u * count ||
        static_cast<int64_t>(entry.offset) + entry.bytes > available)
      Invalid();
    end = std::max<int64_t>(end, static_cast<int64_t>(entry.offset) + entry.bytes);
    entries.push_back(entry);
  }
  const TIconEntry* chosen = ChooseEntry(entries);
  std::vector<uint8_t> image(chosen->bytes);
  Stream->SetPosition(start + chosen->offset);
  Stream->ReadBuffer(image.data(), static_cast<int>(image.size()));
  if (!PlausibleImage(image.data(), image.size())) Invalid();
  TIconHandle icon(CreateIconFromResourceEx(image.data(), static_cast<DWORD>(image.size()), TRUE, 0x00030000, 0, 0,
                                            LR_DEFAULTCOLOR));
  if (!icon) Invalid();
  Adopt(std::move(icon));
  Stream->SetPosition(start + end);
}

void TIcon::SaveToStream(TStream* Stream) {
  if (!handle_) return;
  ICONINFO info{};
  if (!GetIconInfo(handle_.Get(), &info)) throw EInvalidGraphic(invalidIcon);
  TBitmapHandle color(info.hbmColor), mask(info.hbmMask);
  int w = width_, h = height_;
  size_t pixels = static_cast<size_t>(w) * h;
  std::vector<uint32_t> argb(pixels, 0);
  size_t maskStride = static_cast<size_t>(Stride(w, 1));
  int maskRows = color ? h : 2 * h;
  std::vector<uint8_t> maskBits(maskStride * maskRows, 0);

  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colors[2];
  } bi{};
  bi.header.biSize = sizeof bi.header;
  bi.header.biWidth = w;
  bi.header.biPlanes = 1;
  bi.header.biCompression = BI_RGB;
  TWindowDC screen;
  bi.header.biHeight = maskRows;
  bi.header.biBitCount = 1;
  GetDIBits(screen.Get(), mask.Get(), 0, static_cast<UINT>(maskRows), maskBits.data(),
            reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS);
  // Rows are bottom-up: a monochrome icon's AND half is the upper half, so its last rows here.
  const uint8_t* andRows = maskBits.data() + (color ? 0 : maskStride * h);
  auto transparent = [&](int x, int row) { return (andRows[row * maskStride + x / 8] >> (7 - x % 8)) & 1; };
  if (color) {
    bi.header.biHeight = h;
    bi.header.biBitCount = 32;
    GetDIBits(screen.Get(), color.Get(), 0, static_cast<UINT>(h), argb.data(), reinterpret_cast<BITMAPINFO*>(&bi),
              DIB_RGB_COLORS);
  } else {
    for (int row = 0; row < h; ++row)
      for (int x = 0; x < w; ++x)
        if ((maskBits[row * maskStride + x / 8] >> (7 - x % 8)) & 1) argb[row * w + x] = 0xFFFFFF;
  }
  // Without alpha of its own the image gets it from the mask, so that readers that go by alpha
  // see the same shape.
  bool hasAlpha = false;
  for (uint32_t p : argb) hasAlpha = hasAlpha || (p >> 24) != 0;
  if (!hasAlpha)
    for (int row = 0; row < h; ++row)
      for (int x = 0; x < w; ++x)
        if (!transparent(x, row)) argb[row * w + x] |= 0xFF000000u;

  uint32_t xorBytes = static_cast<uint32_t>(pixels * 4), andBytes = static_cast<uint32_t>(maskStride * h);
  std::vector<uint8_t> out;
  Put16(out, 0);
  Put16(out, 1);
  Put16(out, 1);
  out.push_back(uint8_t(w < 256 ? w : 0));
  out.push_back(uint8_t(h < 256 ? h : 0));
  out.push_back(0);
  out.push_back(0);
  Put16(out, 1);
  Put16(out, 32);
  Put32(out, 40 + xorBytes + andBytes);
  Put32(out, 22);
  Put32(out, 40);
  Put32(out, static_cast<uint32_t>(w));
  Put32(out, static_cast<uint32_t>(2 * h));
  Put16(out, 1);
  Put16(out, 32);
  Put32(out, BI_RGB);
  Put32(out, xorBytes + andBytes);
  for (int i = 0; i < 4; ++i) Put32(out, 0);
  for (uint32_t p : argb) Put32(out, p);
  out.insert(out.end(), andRows, andRows + andBytes);
  Stream->WriteBuffer(out.data(), static_cast<int>(out.size()));
}

void TIcon::Draw(TCanvas* canvas, const TRect& rect) {
  if (!handle_) return;
  DrawIconEx(canvas->Handle(), rect.Left, rect.Top, handle_.Get(), rect.Width(), rect.Height(), 0, nullptr, DI_NORMAL);
}
