// TPngGraphic: loading and saving the chunk list, transparency, drawing, pixels and the
// conversions to and from bitmaps.
#include "controls/PngGraphic.h"
#include <algorithm>
#include <cmath>
#include <cstring>
#include "controls/PngStreamIO.h"
#include "framework/Bitmap.h"
#include "framework/Picture.h"
#include "framework/Streams.h"

const char* const EPngErrorExistentCritical =
    "The program tried to add a existent critical chunk to the current image which is not allowed.";
const char* const EPngErrorInvalidImage = "It's not allowed to add a new chunk because the current image is invalid.";
const char* const EPngErrorIncompatibleChunks = "The chunks must be compatible to be assigned.";
const char* const EPngErrorNoPaletteEntry = "There is no such palette entry.";
const char* const EPngErrorCannotResize =
    "The \"Portable Network Graphics\" image can not be resize by changing width and height properties. Try "
    "assigning the image from a bitmap.";

HV_PUBLISH(TPNGPointerList) {}
HV_PUBLISH(TPNGList) {}
HV_PUBLISH(TPngGraphic) {}

namespace {

constexpr uint8_t signature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};

using TChunkFactory = std::unique_ptr<TChunk> (*)(TPngGraphic*);
struct TChunkClass {
  const char* name;
  const TClassInfo& (*info)();
  TChunkFactory make;
};
template <class C>
std::unique_ptr<TChunk> Make(TPngGraphic* owner) {
  return std::make_unique<C>(owner);
}
// The chunk classes, in the order they are looked up.
const TChunkClass chunkClasses[] = {
    {"IEND", &TChunkIEND::StaticClassInfo, &Make<TChunkIEND>},
    {"IHDR", &TChunkIHDR::StaticClassInfo, &Make<TChunkIHDR>},
    {"IDAT", &TChunkIDAT::StaticClassInfo, &Make<TChunkIDAT>},
    {"PLTE", &TChunkPLTE::StaticClassInfo, &Make<TChunkPLTE>},
    {"gAMA", &TChunkgAMA::StaticClassInfo, &Make<TChunkgAMA>},
    {"tRNS", &TChunktRNS::StaticClassInfo, &Make<TChunktRNS>},
    {"tIME", &TChunktIME::StaticClassInfo, &Make<TChunktIME>},
    {"tEXt", &TChunktEXt::StaticClassInfo, &Make<TChunktEXt>},
    {"zTXt", &TChunkzTXt::StaticClassInfo, &Make<TChunkzTXt>},
};

std::unique_ptr<TChunk> CreateChunk(TPngGraphic* owner, const char* name) {
  for (const TChunkClass& c : chunkClasses)
    if (std::memcmp(c.name, name, 4) == 0) {
      auto chunk = c.make(owner);
      chunk->SetName(c.name);
      return chunk;
    }
  auto chunk = std::make_unique<TChunk>(owner);
  chunk->SetName(name);
  return chunk;
}

std::unique_ptr<TChunk> CreateChunk(TPngGraphic* owner, const TClassInfo& cls) {
  for (const TChunkClass& c : chunkClasses)
    if (&c.info() == &cls) return CreateChunk(owner, c.name);
  return std::make_unique<TChunk>(owner);
}

const bool registered = [] {
  TPicture::RegisterFileFormat(L"PNG", L"Portable Network Graphics", TPngGraphic::StaticClassInfo());
  return true;
}();

TColor ColorOf(RGBQUAD q) { return static_cast<TColor>(RGB(q.rgbRed, q.rgbGreen, q.rgbBlue)); }

}  // namespace

// ---- lists ----

TChunk* TPNGList::Add(std::unique_ptr<TChunk> Chunk) {
  items_.push_back(std::move(Chunk));
  return items_.back().get();
}

TChunk* TPNGList::Insert(int Index, std::unique_ptr<TChunk> Chunk) {
  Index = std::clamp(Index, 0, Count());
  return items_.insert(items_.begin() + Index, std::move(Chunk))->get();
}

void TPNGList::Remove(TChunk* Chunk) {
  int index = IndexOf(Chunk);
  if (index >= 0) items_.erase(items_.begin() + index);
}

int TPNGList::IndexOf(const TChunk* Chunk) const {
  for (int i = 0; i < Count(); ++i)
    if (Item(i) == Chunk) return i;
  return -1;
}

// ---- the graphic ----

TPngGraphic::TPngGraphic() : chunks_(std::make_unique<TPNGList>(this)) {
  (void)registered;
  InitializeGamma();
}

TPngGraphic::~TPngGraphic() {
  chunks_->Clear();
  FreePalette();
}

void TPngGraphic::InitializeGamma(uint32_t Gamma) {
  for (int i = 0; i < 256; ++i) GammaTable[i] = InverseGamma[i] = static_cast<uint8_t>(i);
  if (Gamma == 0) return;
  double exponent = 1.0 / (Gamma / 100000.0 * 2.2);
  for (int i = 0; i < 256; ++i)
    GammaTable[i] = static_cast<uint8_t>(std::lround(255.0 * std::pow(i / 255.0, exponent)));
  // Every value gets the sample whose corrected value is nearest (the last of equals), so that
  // saving and loading again gives back the values shown, and values no sample reaches still
  // land near their place.
  for (int v = 0; v < 256; ++v) {
    int best = 0, bestDistance = 256;
    for (int i = 0; i < 256; ++i) {
      int d = std::abs(GammaTable[i] - v);
      if (d <= bestDistance) {
        best = i;
        bestDistance = d;
      }
    }
    InverseGamma[v] = static_cast<uint8_t>(best);
  }
}

void TPngGraphic::ClearChunks() {
  chunks_->Clear();
  FreePalette();
  InitializeGamma();
}

void TPngGraphic::FreePalette() { palette_.Reset(); }

TChunkIHDR* TPngGraphic::Header() const {
  TChunkIHDR* header = chunks_->Count() > 0 ? dynamic_cast<TChunkIHDR*>(chunks_->Item(0)) : nullptr;
  if (!header || !header->ImageData()) throw EPNGHeaderNotPresent(png_io::msgHeaderNotPresent);
  return header;
}

namespace {
TChunkIHDR* HeaderOrNull(const TPNGList& chunks) {
  auto* header = chunks.Count() > 0 ? dynamic_cast<TChunkIHDR*>(chunks.Item(0)) : nullptr;
  return header && header->ImageData() ? header : nullptr;
}
}  // namespace

int TPngGraphic::Width() const {
  TChunkIHDR* h = HeaderOrNull(*chunks_);
  return h ? static_cast<int>(h->Width) : 0;
}

int TPngGraphic::Height() const {
  TChunkIHDR* h = HeaderOrNull(*chunks_);
  return h ? static_cast<int>(h->Height) : 0;
}

void TPngGraphic::SetWidth(int) { throw EPngError(EPngErrorCannotResize); }
void TPngGraphic::SetHeight(int) { throw EPngError(EPngErrorCannotResize); }

uint8_t* TPngGraphic::Scanline(int Row) const { return Header()->ImageRow(Row); }
uint8_t* TPngGraphic::AlphaScanline(int Row) const { return Header()->AlphaRow(Row); }

// ---- reading and writing ----

void TPngGraphic::LoadFromStream(TStream* Stream) {
  ClearChunks();
  uint8_t head[8];
  if (Stream->Read(head, 8) != 8 || std::memcmp(head, signature, 8) != 0)
    throw EPNGInvalidFileHeader(png_io::msgInvalidFileHeader);
  bool idatSeen = false;
  for (;;) {
    uint8_t length[4];
    png_io::ReadExact(Stream, length, 4);
    uint32_t size = png_io::BigEndian(length);
    char name[5] = {};
    png_io::ReadExact(Stream, name, 4);
    // A length the stream cannot hold is a cut file, not a reason to allocate.
    if (size > 0x7FFFFFFFu || static_cast<int64_t>(size) + 4 > png_io::Remaining(Stream))
      throw EPngUnexpectedEnd(png_io::msgUnexpectedEnd);
    bool first = chunks_->Count() == 0;
    if (first && std::memcmp(name, "IHDR", 4) != 0) throw EPNGIHDRNotFirst(png_io::msgIhdrNotFirst);
    bool skip = std::memcmp(name, "cHRM", 4) == 0 || (idatSeen && std::memcmp(name, "IDAT", 4) == 0) ||
                (!first && std::memcmp(name, "IHDR", 4) == 0);
    if (skip) {
      Stream->Seek(static_cast<int64_t>(size) + 4, soCurrent);
      continue;
    }
    std::unique_ptr<TChunk> chunk = CreateChunk(this, name);
    if (typeid(*chunk) == typeid(TChunk) && !(name[0] & 0x20))
      throw EPNGUnknownCriticalChunk(png_io::msgUnknownCriticalChunk);
    bool isIdat = dynamic_cast<TChunkIDAT*>(chunk.get()) != nullptr;
    bool isEnd = dynamic_cast<TChunkIEND*>(chunk.get()) != nullptr;
    bool go;
    if (isIdat) {
      // A partly decoded image stays: the chunk joins the list before its rows are read.
      idatSeen = true;
      go = chunks_->Add(std::move(chunk))->LoadFromStream(Stream, name, size);
    } else {
      go = chunk->LoadFromStream(Stream, name, size);
      chunks_->Add(std::move(chunk));
    }
    if (!go || isEnd) break;
  }
  if (!idatSeen) throw EPNGNoImageData(png_io::msgNoImageData);
  Changed(this);
}

void TPngGraphic::SaveToStream(TStream* Stream) {
  Stream->WriteBuffer(signature, 8);
  for (int i = 0; i < chunks_->Count(); ++i) chunks_->Item(i)->SaveToStream(Stream);
}

void TPngGraphic::DefineProperties(TFiler* Filer) {
  Filer->DefineBinaryProperty(
      "Data", [this](TStream& stream) { LoadFromStream(&stream); }, [this](TStream& stream) { SaveToStream(&stream); },
      !Empty());
}

// ---- building ----

TChunk* TPngGraphic::AddChunk(const TClassInfo& ChunkClass) {
  for (const TClassInfo* c : {&TChunkIHDR::StaticClassInfo(), &TChunkIDAT::StaticClassInfo(),
                              &TChunkPLTE::StaticClassInfo(), &TChunkIEND::StaticClassInfo()})
    if (&ChunkClass == c) throw EPngError(EPngErrorExistentCritical);
  bool isGamma = &ChunkClass == &TChunkgAMA::StaticClassInfo();
  bool isTrns = &ChunkClass == &TChunktRNS::StaticClassInfo();
  if ((isGamma && chunks_->ItemFromClass<TChunkgAMA>()) || (isTrns && chunks_->ItemFromClass<TChunktRNS>()))
    throw EPngError(EPngErrorExistentCritical);
  TChunk* end = chunks_->ItemFromClass<TChunkIEND>();
  TChunk* header = chunks_->ItemFromClass<TChunkIHDR>();
  if (!end || !header) throw EPngError(EPngErrorInvalidImage);
  std::unique_ptr<TChunk> chunk = CreateChunk(this, ChunkClass);
  int at;
  if (isGamma) {
    at = chunks_->IndexOf(header) + 1;
  } else if (isTrns) {
    if (TChunk* plte = chunks_->ItemFromClass<TChunkPLTE>())
      at = chunks_->IndexOf(plte) + 1;
    else if (TChunk* idat = chunks_->ItemFromClass<TChunkIDAT>())
      at = chunks_->IndexOf(idat);
    else
      at = chunks_->IndexOf(header) + 1;
  } else {
    at = chunks_->IndexOf(end);
  }
  return chunks_->Insert(at, std::move(chunk));
}

void TPngGraphic::CreateBlank(int ColorType, int BitDepth, int AWidth, int AHeight) {
  ClearChunks();
  auto header = std::make_unique<TChunkIHDR>(this);
  header->Width = static_cast<uint32_t>(AWidth);
  header->Height = static_cast<uint32_t>(AHeight);
  header->ColorType = static_cast<uint8_t>(ColorType);
  header->BitDepth = static_cast<uint8_t>(BitDepth);
  header->InterlaceMethod = interlacing_;
  if (AWidth <= 0 || AHeight <= 0 || AWidth > 65535 || AHeight > 65535) throw EPngInvalidIHDR(png_io::msgInvalidIhdr);
  header->PrepareImageData();
  chunks_->Add(std::move(header));
  if (ColorType == 3) {
    std::unique_ptr<TChunk> plte = CreateChunk(this, "PLTE");
    static_cast<TChunkPLTE*>(plte.get())->SetCount(1 << Header()->BitCount());
    chunks_->Add(std::move(plte));
  }
  chunks_->Add(CreateChunk(this, "IDAT"));
  chunks_->Add(CreateChunk(this, "IEND"));
}

void TPngGraphic::CreateAlpha() {
  TChunkIHDR* h = Header();
  if (h->ColorType != 2) return;
  h->ColorType = 6;
  h->CreateAlpha();
}

// ---- transparency ----

TPNGTransparencyMode TPngGraphic::TransparencyMode() const {
  TChunkIHDR* h = HeaderOrNull(*chunks_);
  if (!h) return ptmNone;
  if (h->ColorType == 4 || h->ColorType == 6) return ptmPartial;
  auto* trns = chunks_->ItemFromClass<TChunktRNS>();
  if (!trns) return ptmNone;
  if (h->ColorType == 3) return trns->BitTransparency ? ptmBit : ptmPartial;
  return trns->BitTransparency ? ptmBit : ptmNone;
}

TColor TPngGraphic::TransparentColor() const {
  auto* trns = chunks_->ItemFromClass<TChunktRNS>();
  return trns && HeaderOrNull(*chunks_) ? trns->TransparentColor() : clNone;
}

void TPngGraphic::SetTransparentColor(TColor Value) {
  Header();
  auto* trns = chunks_->ItemFromClass<TChunktRNS>();
  if (!trns) trns = static_cast<TChunktRNS*>(AddChunk(TChunktRNS::StaticClassInfo()));
  trns->SetTransparentColor(Value);
  Changed(this);
}

// ---- palette and pixels ----

HPALETTE TPngGraphic::Palette() const {
  TChunkIHDR* h = HeaderOrNull(*chunks_);
  if (!h || (h->ColorType != 0 && h->ColorType != 3)) return nullptr;
  if (!palette_) {
    struct {
      WORD version, count;
      PALETTEENTRY entries[256];
    } log{0x300, 256, {}};
    for (int i = 0; i < 256; ++i) {
      RGBQUAD q = h->PaletteEntries()[i];
      log.entries[i] = PALETTEENTRY{q.rgbRed, q.rgbGreen, q.rgbBlue, 0};
    }
    palette_.Reset(CreatePalette(reinterpret_cast<LOGPALETTE*>(&log)));
  }
  return palette_.Get();
}

void TPngGraphic::SetPalette(HPALETTE Value) {
  TChunkIHDR* h = HeaderOrNull(*chunks_);
  if (!h || !Value) return;
  PALETTEENTRY entries[256];
  UINT count = GetPaletteEntries(Value, 0, 256, entries);
  for (UINT i = 0; i < count; ++i)
    h->PaletteEntries()[i] = RGBQUAD{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
  h->ApplyPalette();
  Changed(this);
}

TColor TPngGraphic::Pixels(int X, int Y) {
  TChunkIHDR* h = HeaderOrNull(*chunks_);
  if (!h || X < 0 || Y < 0 || X >= static_cast<int>(h->Width) || Y >= static_cast<int>(h->Height)) return TColor(0);
  const uint8_t* row = h->ImageRow(Y);
  switch (h->BitCount()) {
    case 1: return ColorOf(h->PaletteEntries()[(row[X >> 3] >> (7 - (X & 7))) & 1]);
    case 4: return ColorOf(h->PaletteEntries()[(X & 1) ? row[X >> 1] & 15 : row[X >> 1] >> 4]);
    case 8: return ColorOf(h->PaletteEntries()[row[X]]);
    default: return static_cast<TColor>(RGB(row[X * 3 + 2], row[X * 3 + 1], row[X * 3]));
  }
}

void TPngGraphic::SetPixels(int X, int Y, TColor Value) {
  TChunkIHDR* h = HeaderOrNull(*chunks_);
  if (!h || X < 0 || Y < 0 || X >= static_cast<int>(h->Width) || Y >= static_cast<int>(h->Height)) return;
  uint32_t rgb = ColorToRGB(Value);
  int r = GetRValue(rgb), g = GetGValue(rgb), b = GetBValue(rgb);
  uint8_t* row = h->ImageRow(Y);
  if (h->BitCount() == 24) {
    row[X * 3] = static_cast<uint8_t>(b);
    row[X * 3 + 1] = static_cast<uint8_t>(g);
    row[X * 3 + 2] = static_cast<uint8_t>(r);
  } else {
    int count = 1 << h->BitCount(), best = 0, bestDistance = INT32_MAX;
    for (int i = 0; i < count; ++i) {
      RGBQUAD q = h->PaletteEntries()[i];
      int d = (q.rgbRed - r) * (q.rgbRed - r) + (q.rgbGreen - g) * (q.rgbGreen - g) + (q.rgbBlue - b) * (q.rgbBlue - b);
      if (d < bestDistance) {
        best = i;
        bestDistance = d;
      }
    }
    switch (h->BitCount()) {
      case 1: row[X >> 3] = static_cast<uint8_t>((row[X >> 3] & ~(0x80 >> (X & 7))) | (best << (7 - (X & 7)))); break;
      case 4:
        row[X >> 1] = (X & 1) ? static_cast<uint8_t>((row[X >> 1] & 0xF0) | best)
                              : static_cast<uint8_t>((row[X >> 1] & 0x0F) | (best << 4));
        break;
      default: row[X] = static_cast<uint8_t>(best);
    }
  }
  Changed(this);
}

// ---- drawing ----

void TPngGraphic::Draw(TCanvas* Canvas, const TRect& Rect) {
  if (!HeaderOrNull(*chunks_)) return;
  HDC dc = Canvas->Handle();
  switch (TransparencyMode()) {
    case ptmNone: DrawOpaque(dc, Rect); break;
    case ptmBit: DrawBitTransparent(dc, Rect); break;
    case ptmPartial: DrawPartial(dc, Rect); break;
  }
}

void TPngGraphic::DrawOpaque(HDC Dc, const TRect& Rect) {
  TChunkIHDR* h = Header();
  int oldMode = SetStretchBltMode(Dc, COLORONCOLOR);
  StretchDIBits(Dc, Rect.Left, Rect.Top, Rect.Right - Rect.Left, Rect.Bottom - Rect.Top, 0, 0,
                static_cast<int>(h->Width), static_cast<int>(h->Height), h->ImageData(), h->BitmapInfo(),
                DIB_RGB_COLORS, SRCCOPY);
  SetStretchBltMode(Dc, oldMode);
}

// Pixels of the transparent colour leave the destination as it was: the destination is cut
// out through a mask and the image, black where transparent, painted into the hole.
void TPngGraphic::DrawBitTransparent(HDC Dc, const TRect& Rect) {
  TChunkIHDR* h = Header();
  const int w = static_cast<int>(h->Width), ht = static_cast<int>(h->Height);
  TCreatedDC maskDC(CreateCompatibleDC(Dc)), colorDC(CreateCompatibleDC(Dc)), notDC(CreateCompatibleDC(Dc));
  TBitmapHandle mask(CreateBitmap(w, ht, 1, 1, nullptr)), notMask(CreateBitmap(w, ht, 1, 1, nullptr));
  TBitmapHandle color(CreateCompatibleBitmap(Dc, w, ht));
  if (!maskDC || !colorDC || !notDC || !mask || !notMask || !color) throw EPNGOutMemory(png_io::msgOutMemory);
  TSelectObject selMask(maskDC.Get(), mask.Get()), selNot(notDC.Get(), notMask.Get()),
      selColor(colorDC.Get(), color.Get());
  COLORREF oldBk = SetBkColor(h->ImageDC(), ColorToRGB(TransparentColor()));
  BitBlt(maskDC.Get(), 0, 0, w, ht, h->ImageDC(), 0, 0, SRCCOPY);  // white where transparent
  SetBkColor(h->ImageDC(), oldBk);
  BitBlt(notDC.Get(), 0, 0, w, ht, maskDC.Get(), 0, 0, NOTSRCCOPY);
  BitBlt(colorDC.Get(), 0, 0, w, ht, h->ImageDC(), 0, 0, SRCCOPY);
  SetBkColor(colorDC.Get(), RGB(255, 255, 255));
  SetTextColor(colorDC.Get(), RGB(0, 0, 0));
  BitBlt(colorDC.Get(), 0, 0, w, ht, notDC.Get(), 0, 0, SRCAND);
  COLORREF destBk = SetBkColor(Dc, RGB(255, 255, 255));
  COLORREF destText = SetTextColor(Dc, RGB(0, 0, 0));
  int oldMode = SetStretchBltMode(Dc, COLORONCOLOR);
  const int dw = Rect.Right - Rect.Left, dh = Rect.Bottom - Rect.Top;
  StretchBlt(Dc, Rect.Left, Rect.Top, dw, dh, maskDC.Get(), 0, 0, w, ht, SRCAND);
  StretchBlt(Dc, Rect.Left, Rect.Top, dw, dh, colorDC.Get(), 0, 0, w, ht, SRCPAINT);
  SetStretchBltMode(Dc, oldMode);
  SetBkColor(Dc, destBk);
  SetTextColor(Dc, destText);
}

// Blends every pixel over the destination at the image's own size.
void TPngGraphic::DrawPartial(HDC Dc, const TRect& Rect) {
  TChunkIHDR* h = Header();
  const int w = static_cast<int>(h->Width), ht = static_cast<int>(h->Height);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -ht;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  TCreatedDC work(CreateCompatibleDC(Dc));
  TBitmapHandle section(work ? CreateDIBSection(work.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr);
  if (!work || !section || !bits) throw EPNGOutMemory(png_io::msgOutMemory);
  TSelectObject selected(work.Get(), section.Get());
  BitBlt(work.Get(), 0, 0, w, ht, Dc, Rect.Left, Rect.Top, SRCCOPY);
  GdiFlush();
  auto* trns = chunks_->ItemFromClass<TChunktRNS>();
  const RGBQUAD* palette = h->PaletteEntries();
  for (int y = 0; y < ht; ++y) {
    auto* out = static_cast<uint8_t*>(bits) + static_cast<size_t>(y) * w * 4;
    const uint8_t* row = h->ImageRow(y);
    const uint8_t* alphaRow = h->AlphaRow(y);
    for (int x = 0; x < w; ++x, out += 4) {
      int b, g, r, a;
      if (h->BitCount() == 24) {
        b = row[x * 3];
        g = row[x * 3 + 1];
        r = row[x * 3 + 2];
        a = alphaRow ? alphaRow[x] : 255;
      } else {
        int index = h->BitCount() == 8   ? row[x]
                    : h->BitCount() == 4 ? ((x & 1) ? row[x >> 1] & 15 : row[x >> 1] >> 4)
                                         : (row[x >> 3] >> (7 - (x & 7))) & 1;
        b = palette[index].rgbBlue;
        g = palette[index].rgbGreen;
        r = palette[index].rgbRed;
        a = alphaRow ? alphaRow[x] : trns && h->ColorType == 3 ? trns->PaletteValues[index] : 255;
      }
      out[0] = static_cast<uint8_t>((b * a + 255 + (255 - a) * out[0]) / 256);
      out[1] = static_cast<uint8_t>((g * a + 255 + (255 - a) * out[1]) / 256);
      out[2] = static_cast<uint8_t>((r * a + 255 + (255 - a) * out[2]) / 256);
    }
  }
  BitBlt(Dc, Rect.Left, Rect.Top, w, ht, work.Get(), 0, 0, SRCCOPY);
}

// ---- assigning ----

void TPngGraphic::Assign(TPersistent* Source) {
  if (!Source) {
    ClearChunks();
    Changed(this);
    return;
  }
  if (auto* png = dynamic_cast<TPngGraphic*>(Source)) {
    if (png == this) return;
    ClearChunks();
    interlacing_ = png->interlacing_;
    maxIdatSize_ = png->maxIdatSize_;
    deflateLevel_ = png->deflateLevel_;
    writeFilters_ = png->writeFilters_;
    std::memcpy(GammaTable, png->GammaTable, sizeof GammaTable);
    std::memcpy(InverseGamma, png->InverseGamma, sizeof InverseGamma);
    for (int i = 0; i < png->chunks_->Count(); ++i) {
      TChunk* source = png->chunks_->Item(i);
      std::unique_ptr<TChunk> copy = CreateChunk(this, source->ClassInfo());
      copy->Assign(source);
      chunks_->Add(std::move(copy));
    }
    Changed(this);
    return;
  }
  if (auto* bitmap = dynamic_cast<TBitmap*>(Source)) {
    AssignFromBitmap(bitmap);
    Changed(this);
    return;
  }
  TGraphic::Assign(Source);
}

void TPngGraphic::AssignTo(TPersistent* Dest) {
  if (auto* bitmap = dynamic_cast<TBitmap*>(Dest)) {
    AssignToBitmap(bitmap);
    return;
  }
  TGraphic::AssignTo(Dest);
}

void TPngGraphic::AssignFromBitmap(TBitmap* Source) {
  int bits;
  switch (Source->PixelFormat()) {
    case pf1bit: bits = 1; break;
    case pf4bit: bits = 4; break;
    case pf8bit: bits = 8; break;
    default: bits = 24;
  }
  if (Source->Empty()) {
    ClearChunks();
    return;
  }
  CreateBlank(bits < 16 ? 3 : 2, bits < 16 ? bits : 8, Source->Width(), Source->Height());
  TChunkIHDR* h = Header();
  TWindowDC screen;
  GetDIBits(screen.Get(), Source->Handle(), 0, h->Height, h->ImageData(), h->BitmapInfo(), DIB_RGB_COLORS);
  h->BitmapInfo()->bmiHeader.biClrUsed = bits < 16 ? 1u << bits : 0;
  h->ApplyPalette();
  if (Source->Transparent()) SetTransparentColor(Source->TransparentColor());
}

void TPngGraphic::AssignToBitmap(TBitmap* Dest) {
  TChunkIHDR* h = HeaderOrNull(*chunks_);
  if (!h) {
    Dest->Assign(nullptr);
    return;
  }
  void* bits = nullptr;
  HBITMAP copy = CreateDIBSection(nullptr, h->BitmapInfo(), DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!copy || !bits) throw EPNGOutMemory(png_io::msgOutMemory);
  std::memcpy(bits, h->ImageData(), static_cast<size_t>(h->BytesPerRow()) * h->Height);
  Dest->SetHandle(copy);
  if (TransparencyMode() == ptmBit) {
    Dest->SetTransparentColor(TransparentColor());
    Dest->SetTransparent(true);
  }
}

void TPngGraphic::LoadFromClipboardFormat(UINT Format, HANDLE Data, HPALETTE APalette) {
  TBitmap bitmap;
  bitmap.LoadFromClipboardFormat(Format, Data, APalette);
  Assign(&bitmap);
}

void TPngGraphic::SaveToClipboardFormat(UINT& Format, HANDLE& Data, HPALETTE& APalette) {
  TBitmap bitmap;
  AssignTo(&bitmap);
  bitmap.SaveToClipboardFormat(Format, Data, APalette);
}
