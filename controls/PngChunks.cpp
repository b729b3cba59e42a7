// The chunks of a PNG file other than the image data: reading with CRC checks, writing, and
// the header's DIB.
#include <zlib.h>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include "controls/PngGraphic.h"
#include "controls/PngStreamIO.h"
#include "framework/Streams.h"

HV_PUBLISH(TChunk) {}
HV_PUBLISH(TChunkIHDR) {}
HV_PUBLISH(TChunkPLTE) {}
HV_PUBLISH(TChunkgAMA) {}
HV_PUBLISH(TChunktRNS) {}
HV_PUBLISH(TChunkIDAT) {}
HV_PUBLISH(TChunktIME) {}
HV_PUBLISH(TChunktEXt) {}
HV_PUBLISH(TChunkzTXt) {}
HV_PUBLISH(TChunkIEND) {}

uint32_t UpdateCrc(uint32_t Crc, const uint8_t* Bytes, size_t Length) {
  static const auto table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  for (size_t i = 0; i < Length; ++i) Crc = table[(Crc ^ Bytes[i]) & 0xFF] ^ (Crc >> 8);
  return Crc;
}

// ---- TChunk ----

TChunk::TChunk(TPngGraphic* Owner) : owner_(Owner) {}

void TChunk::SetName(const char* Value) {
  std::memset(name_, 0, sizeof name_);
  std::memcpy(name_, Value, std::min<size_t>(4, std::strlen(Value)));
}

void TChunk::Assign(TChunk* Source) {
  SetName(Source->Name());
  data_ = Source->data_;
}

void TChunk::ReadCheckedData(TStream* Stream, uint32_t Size) {
  data_.assign(Size, 0);
  png_io::ReadExact(Stream, data_.data(), Size);
  uint32_t stored = png_io::ReadBigEndian(Stream);
  uint32_t crc = UpdateCrc(0xFFFFFFFFu, reinterpret_cast<const uint8_t*>(name_), 4);
  crc = ~UpdateCrc(crc, data_.data(), data_.size());
  if (crc != stored) throw EPngInvalidCRC(png_io::msgInvalidCrc);
}

bool TChunk::LoadFromStream(TStream* Stream, const char* ChunkName, uint32_t Size) {
  SetName(ChunkName);
  ReadCheckedData(Stream, Size);
  return true;
}

void TChunk::WriteChunk(TStream* Stream, const uint8_t* AData, size_t Size) {
  png_io::WriteBigEndian(Stream, static_cast<uint32_t>(Size));
  Stream->WriteBuffer(name_, 4);
  if (Size) Stream->WriteBuffer(AData, static_cast<int>(Size));
  uint32_t crc = UpdateCrc(0xFFFFFFFFu, reinterpret_cast<const uint8_t*>(name_), 4);
  png_io::WriteBigEndian(Stream, ~UpdateCrc(crc, AData, Size));
}

bool TChunk::SaveToStream(TStream* Stream) {
  WriteChunk(Stream, data_.data(), data_.size());
  return true;
}

// ---- IHDR ----

TChunkIHDR::TChunkIHDR(TPngGraphic* Owner) : TChunk(Owner) { SetName("IHDR"); }

TChunkIHDR::~TChunkIHDR() { FreeImageData(); }

void TChunkIHDR::FreeImageData() {
  selection_.Restore();
  dib_.Reset();
  dc_.Reset();
  bits_ = nullptr;
  block_.reset();
  alpha_.reset();
}

namespace {
bool ValidDepth(uint8_t colorType, uint8_t depth) {
  switch (colorType) {
    case 0: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2:
    case 4:
    case 6: return depth == 8 || depth == 16;
    default: return false;
  }
}

// Images whose DIB and alpha plane would take more than this are refused as out of memory.
constexpr uint64_t maxImageBytes = 512ull << 20;
}  // namespace

bool TChunkIHDR::LoadFromStream(TStream* Stream, const char* ChunkName, uint32_t Size) {
  TChunk::LoadFromStream(Stream, ChunkName, Size);
  const uint8_t* d = Data().data();
  if (Size < 13) throw EPngInvalidIHDR(png_io::msgInvalidIhdr);
  uint32_t width = png_io::BigEndian(d), height = png_io::BigEndian(d + 4);
  if (width >= 65536 || height >= 65536) throw EPNGSizeExceeds(png_io::msgSizeExceeds);
  if (width == 0 || height == 0 || !ValidDepth(d[9], d[8])) throw EPngInvalidIHDR(png_io::msgInvalidIhdr);
  if (d[10] != 0) throw EPNGUnknownCompression(png_io::msgUnknownCompression);
  if (d[12] > 1) throw EPNGUnknownInterlace(png_io::msgUnknownInterlace);
  Width = width;
  Height = height;
  BitDepth = d[8];
  ColorType = d[9];
  CompressionMethod = d[10];
  FilterMethod = d[11];
  InterlaceMethod = d[12];
  Owner()->SetInterlacing(InterlaceMethod);
  PrepareImageData();
  return true;
}

bool TChunkIHDR::SaveToStream(TStream* Stream) {
  uint8_t d[13];
  png_io::PutBigEndian(d, Width);
  png_io::PutBigEndian(d + 4, Height);
  d[8] = BitDepth;
  d[9] = ColorType;
  d[10] = CompressionMethod;
  d[11] = FilterMethod;
  d[12] = Owner()->Interlacing();
  Data().assign(d, d + 13);
  WriteChunk(Stream, d, 13);
  return true;
}

void TChunkIHDR::PrepareImageData() {
  FreeImageData();
  int bitCount = 24;
  if (ColorType == 0 || ColorType == 3 || ColorType == 4) bitCount = BitDepth == 2 ? 4 : BitDepth == 16 ? 8 : BitDepth;
  hasPalette_ = bitCount <= 8;
  uint64_t rowBytes = ((static_cast<uint64_t>(bitCount) * Width + 31) & ~uint64_t(31)) / 8;
  bool withAlpha = ColorType == 4 || ColorType == 6;
  uint64_t total = rowBytes * Height + (withAlpha ? static_cast<uint64_t>(Width) * Height : 0);
  if (total > maxImageBytes) throw EPNGOutMemory(png_io::msgOutMemory);
  bytesPerRow_ = static_cast<int>(rowBytes);

  std::memset(&info_.header, 0, sizeof info_.header);
  info_.header.biSize = sizeof(BITMAPINFOHEADER);
  info_.header.biWidth = static_cast<LONG>(Width);
  info_.header.biHeight = static_cast<LONG>(Height);
  info_.header.biPlanes = 1;
  info_.header.biBitCount = static_cast<WORD>(bitCount);
  info_.header.biCompression = BI_RGB;
  if (hasPalette_) info_.header.biClrUsed = 1u << bitCount;
  std::memset(info_.colors, 0, sizeof info_.colors);
  BuildGreyPalette();
  if (withAlpha) {
    alpha_.reset(static_cast<uint8_t*>(std::calloc(static_cast<size_t>(Width) * Height, 1)));
    if (!alpha_) throw EPNGOutMemory(png_io::msgOutMemory);
  }
  // calloc: large blocks come as fresh zeroed pages, without a pass over them.
  block_.reset(static_cast<uint8_t*>(std::calloc(static_cast<size_t>(rowBytes * Height), 1)));
  if (!block_) {
    FreeImageData();
    throw EPNGOutMemory(png_io::msgOutMemory);
  }
  bits_ = block_.get();
  Owner()->FreePalette();
}

HDC TChunkIHDR::ImageDC() {
  if (dc_ || !bits_) return dc_.Get();
  TCreatedDC dc(CreateCompatibleDC(nullptr));
  void* bits = nullptr;
  TBitmapHandle dib(dc ? CreateDIBSection(dc.Get(), BitmapInfo(), DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr);
  if (!dc || !dib || !bits) throw EPNGOutMemory(png_io::msgOutMemory);
  std::memcpy(bits, bits_, static_cast<size_t>(bytesPerRow_) * Height);
  dc_ = std::move(dc);
  dib_ = std::move(dib);
  selection_.Select(dc_.Get(), dib_.Get());
  bits_ = static_cast<uint8_t*>(bits);
  block_.reset();
  return dc_.Get();
}

HBITMAP TChunkIHDR::ImageHandle() {
  ImageDC();
  return dib_.Get();
}

void TChunkIHDR::BuildGreyPalette() {
  if (ColorType != 0 && ColorType != 4) return;
  int levels = 1 << BitCount();
  for (int i = 0; i < levels; ++i) {
    uint8_t v = Owner()->GammaTable[i * 255 / (levels - 1)];
    info_.colors[i] = RGBQUAD{v, v, v, 0};
  }
}

void TChunkIHDR::ApplyPalette() {
  if (dc_ && hasPalette_) SetDIBColorTable(dc_.Get(), 0, 1u << BitCount(), info_.colors);
  Owner()->FreePalette();
}

void TChunkIHDR::CreateAlpha() {
  if (alpha_) return;
  alpha_.reset(static_cast<uint8_t*>(std::malloc(static_cast<size_t>(Width) * Height)));
  if (!alpha_) throw EPNGOutMemory(png_io::msgOutMemory);
  std::memset(alpha_.get(), 255, static_cast<size_t>(Width) * Height);
}

void TChunkIHDR::Assign(TChunk* Source) {
  auto* source = dynamic_cast<TChunkIHDR*>(Source);
  if (!source) throw EPngError(EPngErrorIncompatibleChunks);
  TChunk::Assign(Source);
  Width = source->Width;
  Height = source->Height;
  BitDepth = source->BitDepth;
  ColorType = source->ColorType;
  CompressionMethod = source->CompressionMethod;
  FilterMethod = source->FilterMethod;
  InterlaceMethod = source->InterlaceMethod;
  PrepareImageData();
  if (source->bits_) std::memcpy(bits_, source->bits_, static_cast<size_t>(bytesPerRow_) * Height);
  if (source->alpha_) {
    CreateAlpha();
    std::memcpy(alpha_.get(), source->alpha_.get(), static_cast<size_t>(Width) * Height);
  } else {
    alpha_.reset();
  }
  std::memcpy(info_.colors, source->info_.colors, sizeof info_.colors);
  ApplyPalette();
}

// ---- PLTE ----

bool TChunkPLTE::LoadFromStream(TStream* Stream, const char* ChunkName, uint32_t Size) {
  TChunk::LoadFromStream(Stream, ChunkName, Size);
  if (Size % 3 != 0 || Size / 3 > 256) throw EPNGInvalidPalette(png_io::msgInvalidPalette);
  count_ = static_cast<int>(Size / 3);
  ApplyEntries();
  return true;
}

void TChunkPLTE::ApplyEntries() {
  TChunkIHDR* header = Owner()->Header();
  if (header->ColorType != 3) return;  // only a suggestion for other images
  const uint8_t* gamma = Owner()->GammaTable;
  for (int i = 0; i < count_ && static_cast<size_t>(i) * 3 + 2 < Data().size(); ++i) {
    const uint8_t* e = Data().data() + i * 3;
    header->PaletteEntries()[i] = RGBQUAD{gamma[e[2]], gamma[e[1]], gamma[e[0]], 0};
  }
  header->ApplyPalette();
}

bool TChunkPLTE::SaveToStream(TStream* Stream) {
  TChunkIHDR* header = Owner()->Header();
  if (header->ColorType == 3) {
    const uint8_t* inverse = Owner()->InverseGamma;
    Data().resize(static_cast<size_t>(count_) * 3);
    for (int i = 0; i < count_; ++i) {
      RGBQUAD q = header->PaletteEntries()[i];
      uint8_t* e = Data().data() + i * 3;
      e[0] = inverse[q.rgbRed];
      e[1] = inverse[q.rgbGreen];
      e[2] = inverse[q.rgbBlue];
    }
  }
  return TChunk::SaveToStream(Stream);
}

// ---- gAMA ----

TChunkgAMA::TChunkgAMA(TPngGraphic* Owner) : TChunk(Owner) {
  SetName("gAMA");
  SetGamma(1);
}

uint32_t TChunkgAMA::Gamma() const {
  auto& data = const_cast<TChunkgAMA*>(this)->Data();
  return data.size() == 4 ? png_io::BigEndian(data.data()) : 0;
}

void TChunkgAMA::SetGamma(uint32_t Value) {
  Data().resize(4);
  png_io::PutBigEndian(Data().data(), Value);
}

bool TChunkgAMA::LoadFromStream(TStream* Stream, const char* ChunkName, uint32_t Size) {
  TChunk::LoadFromStream(Stream, ChunkName, Size);
  // A malformed value is ignored: taken as gamma 0.00001 it would blacken the whole image.
  // A gamma after the image data comes too late: the pixels were read without it, and tables
  // changed now would alter them when they are written.
  if (Size != 4 || Gamma() == 0 || Owner()->Chunks()->ItemFromClass<TChunkIDAT>()) return true;
  Owner()->InitializeGamma(Gamma());
  // The grey levels, and the colours of a palette read before, were made with the tables of
  // before: the palette is written back through the new ones.
  TChunkIHDR* header = Owner()->Header();
  header->BuildGreyPalette();
  header->ApplyPalette();
  if (auto* palette = Owner()->Chunks()->ItemFromClass<TChunkPLTE>()) palette->ApplyEntries();
  return true;
}

// ---- tRNS ----

TChunktRNS::TChunktRNS(TPngGraphic* Owner) : TChunk(Owner) {
  SetName("tRNS");
  std::memset(PaletteValues, 255, sizeof PaletteValues);
}

void TChunktRNS::Assign(TChunk* Source) {
  TChunk::Assign(Source);
  if (auto* source = dynamic_cast<TChunktRNS*>(Source)) {
    BitTransparency = source->BitTransparency;
    std::memcpy(PaletteValues, source->PaletteValues, sizeof PaletteValues);
  }
}

bool TChunktRNS::LoadFromStream(TStream* Stream, const char* ChunkName, uint32_t Size) {
  TChunk::LoadFromStream(Stream, ChunkName, Size);
  if (Size > 256) throw EPNGInvalidPalette(png_io::msgInvalidPalette);
  std::memset(PaletteValues, 255, sizeof PaletteValues);
  std::memcpy(PaletteValues, Data().data(), Size);
  switch (Owner()->Header()->ColorType) {
    case 0: BitTransparency = Size >= 2; break;
    case 2: BitTransparency = Size >= 6; break;
    case 3: {
      // One colour is transparent only when exactly one entry is clear and the rest opaque;
      // anything else (a half-transparent entry, say) needs partial transparency.
      int clear = 0, opaque = 0;
      for (uint32_t i = 0; i < Size; ++i) {
        clear += PaletteValues[i] == 0;
        opaque += PaletteValues[i] == 255;
      }
      BitTransparency = clear == 1 && clear + opaque == static_cast<int>(Size);
      break;
    }
    default: BitTransparency = false;
  }
  return true;
}

bool TChunktRNS::SaveToStream(TStream* Stream) {
  if (Owner()->Header()->ColorType == 3 && DataSize() <= 256) std::memcpy(Data().data(), PaletteValues, DataSize());
  return TChunk::SaveToStream(Stream);
}

TColor TChunktRNS::TransparentColor() {
  TChunkIHDR* header = Owner()->Header();
  const uint8_t* gamma = Owner()->GammaTable;
  const uint8_t* d = Data().data();
  switch (header->ColorType) {
    case 0: {
      if (DataSize() < 2) return clNone;
      // The DIB holds the high byte of 16-bit samples and 2-bit samples times five.
      int sample = header->BitDepth == 16 ? d[0] : d[1] & ((1 << header->BitDepth) - 1);
      if (header->BitDepth == 2) sample *= 5;
      RGBQUAD q = header->PaletteEntries()[sample];
      return static_cast<TColor>(RGB(q.rgbRed, q.rgbGreen, q.rgbBlue));
    }
    case 2: {
      if (DataSize() < 6) return clNone;
      int at = header->BitDepth == 16 ? 0 : 1;
      return static_cast<TColor>(RGB(gamma[d[at]], gamma[d[at + 2]], gamma[d[at + 4]]));
    }
    case 3:
      for (uint32_t i = 0; i < DataSize(); ++i)
        if (PaletteValues[i] == 0) {
          RGBQUAD q = header->PaletteEntries()[i];
          return static_cast<TColor>(RGB(q.rgbRed, q.rgbGreen, q.rgbBlue));
        }
      return clNone;
    default: return clNone;
  }
}

void TChunktRNS::SetTransparentColor(TColor Value) {
  TChunkIHDR* header = Owner()->Header();
  uint32_t rgb = ColorToRGB(Value);
  uint8_t r = GetRValue(rgb), g = GetGValue(rgb), b = GetBValue(rgb);
  const uint8_t* inverse = Owner()->InverseGamma;
  switch (header->ColorType) {
    case 0:
      Data() = {0, r};
      BitTransparency = true;
      break;
    case 2:
      Data() = {0, inverse[r], 0, inverse[g], 0, inverse[b]};
      BitTransparency = true;
      break;
    case 3: {
      int count = 1 << header->BitCount();
      for (int i = 0; i < count; ++i) {
        RGBQUAD q = header->PaletteEntries()[i];
        if (q.rgbRed == r && q.rgbGreen == g && q.rgbBlue == b) {
          std::memset(PaletteValues, 255, sizeof PaletteValues);
          PaletteValues[i] = 0;
          Data().assign(PaletteValues, PaletteValues + i + 1);
          BitTransparency = true;
          break;
        }
      }
      break;
    }
    default: break;
  }
}

// ---- tIME ----

void TChunktIME::Assign(TChunk* Source) {
  TChunk::Assign(Source);
  if (auto* s = dynamic_cast<TChunktIME*>(Source)) {
    Year = s->Year;
    Month = s->Month;
    Day = s->Day;
    Hour = s->Hour;
    Minute = s->Minute;
    Second = s->Second;
  }
}

bool TChunktIME::LoadFromStream(TStream* Stream, const char* ChunkName, uint32_t Size) {
  TChunk::LoadFromStream(Stream, ChunkName, Size);
  if (Size != 7) return true;  // a time of another size is kept as data but not read
  const uint8_t* d = Data().data();
  Year = static_cast<uint16_t>(d[0] << 8 | d[1]);
  Month = d[2];
  Day = d[3];
  Hour = d[4];
  Minute = d[5];
  Second = d[6];
  return true;
}

bool TChunktIME::SaveToStream(TStream* Stream) {
  Data() = {static_cast<uint8_t>(Year >> 8), static_cast<uint8_t>(Year), Month, Day, Hour, Minute, Second};
  return TChunk::SaveToStream(Stream);
}

// ---- tEXt and zTXt ----

void TChunktEXt::Assign(TChunk* Source) {
  TChunk::Assign(Source);
  if (auto* s = dynamic_cast<TChunktEXt*>(Source)) {
    Keyword = s->Keyword;
    Text = s->Text;
  }
}

namespace {
// Splits keyword NUL rest; without a NUL everything is the keyword. Gives the rest's start.
size_t SplitKeyword(const std::vector<uint8_t>& data, AnsiString& keyword) {
  auto nul = std::find(data.begin(), data.end(), uint8_t(0));
  keyword.assign(data.begin(), nul);
  return nul == data.end() ? data.size() : static_cast<size_t>(nul - data.begin()) + 1;
}
}  // namespace

bool TChunktEXt::LoadFromStream(TStream* Stream, const char* ChunkName, uint32_t Size) {
  TChunk::LoadFromStream(Stream, ChunkName, Size);
  Keyword.clear();
  Text.clear();
  if (Size < 3) return true;
  size_t rest = SplitKeyword(Data(), Keyword);
  Text.assign(Data().begin() + static_cast<std::ptrdiff_t>(rest), Data().end());
  return true;
}

bool TChunktEXt::SaveToStream(TStream* Stream) {
  Data().assign(Keyword.begin(), Keyword.end());
  Data().push_back(0);
  Data().insert(Data().end(), Text.begin(), Text.end());
  return TChunk::SaveToStream(Stream);
}

bool TChunkzTXt::LoadFromStream(TStream* Stream, const char* ChunkName, uint32_t Size) {
  TChunk::LoadFromStream(Stream, ChunkName, Size);
  Keyword.clear();
  Text.clear();
  if (Size < 4) return true;
  size_t rest = SplitKeyword(Data(), Keyword);
  if (rest >= Data().size() || Data()[rest] != 0) return true;  // no method byte, or unknown
  AnsiString text;
  if (png_io::InflateBounded(Data().data() + rest + 1, Data().size() - rest - 1, MaxTextSize, text)) Text = text;
  return true;
}

bool TChunkzTXt::SaveToStream(TStream* Stream) {
  const AnsiString text = Text.empty() ? AnsiString(" ") : Text;
  std::vector<uint8_t> packed;
  png_io::DeflateAll(reinterpret_cast<const uint8_t*>(text.data()), text.size(), Owner()->DeflateLevel(), packed);
  Data().assign(Keyword.begin(), Keyword.end());
  Data().push_back(0);
  Data().push_back(0);
  Data().insert(Data().end(), packed.begin(), packed.end());
  return TChunk::SaveToStream(Stream);
}
