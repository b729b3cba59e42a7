// TPngGraphic: PNG files read and written as a framework graphic. The image lives as a DIB
// (bottom-up rows, palette for grey and palette images) with a separate alpha plane.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>
#include "framework/Graphics.h"
#include "framework/Sets.h"

class TPngGraphic;
class TBitmap;

HV_DECLARE_EXCEPTION(EPNGInvalidFileHeader, Exception);
HV_DECLARE_EXCEPTION(EPNGIHDRNotFirst, Exception);
HV_DECLARE_EXCEPTION(EPngUnexpectedEnd, Exception);
HV_DECLARE_EXCEPTION(EPNGUnknownCriticalChunk, Exception);
HV_DECLARE_EXCEPTION(EPNGNoImageData, Exception);
HV_DECLARE_EXCEPTION(EPngInvalidCRC, Exception);
HV_DECLARE_EXCEPTION(EPngInvalidIHDR, Exception);
HV_DECLARE_EXCEPTION(EPNGSizeExceeds, Exception);
HV_DECLARE_EXCEPTION(EPNGUnknownCompression, Exception);
HV_DECLARE_EXCEPTION(EPNGUnknownInterlace, Exception);
HV_DECLARE_EXCEPTION(EPNGMissingMultipleIDAT, Exception);
HV_DECLARE_EXCEPTION(EPNGZLIBError, Exception);
HV_DECLARE_EXCEPTION(EPNGInvalidPalette, Exception);
HV_DECLARE_EXCEPTION(EPNGHeaderNotPresent, Exception);
HV_DECLARE_EXCEPTION(EPNGOutMemory, Exception);
HV_DECLARE_EXCEPTION(EPngError, Exception);

// The messages of EPngError.
extern const char* const EPngErrorExistentCritical;
extern const char* const EPngErrorInvalidImage;
extern const char* const EPngErrorIncompatibleChunks;
extern const char* const EPngErrorNoPaletteEntry;
extern const char* const EPngErrorCannotResize;

HV_ENUM(TFilter, pfNone, pfSub, pfUp, pfAverage, pfPaeth)
using TFilters = TSet<TFilter>;
HV_ENUM(TPNGTransparencyMode, ptmNone, ptmBit, ptmPartial)

// The CRC-32 of PNG chunks: update from `crc` over `length` bytes (no pre or post inversion).
uint32_t UpdateCrc(uint32_t Crc, const uint8_t* Bytes, size_t Length);

// One chunk: its name and data. Chunks of unknown names are kept as plain TChunk.
class TChunk : public TObject {
  HV_CLASS(TChunk, TObject)
 public:
  explicit TChunk(TPngGraphic* Owner);
  // The name that a class stands for ("" for the plain class, which takes any name).
  virtual const char* ClassChunkName() const { return ""; }
  virtual void Assign(TChunk* Source);
  // Reads `size` data bytes and the CRC; false stops the loading loop.
  virtual bool LoadFromStream(TStream* Stream, const char* ChunkName, uint32_t Size);
  virtual bool SaveToStream(TStream* Stream);
  const char* Name() const { return name_; }
  void SetName(const char* Value);
  std::vector<uint8_t>& Data() { return data_; }
  uint32_t DataSize() const { return static_cast<uint32_t>(data_.size()); }
  TPngGraphic* Owner() const { return owner_; }

 protected:
  // Reads the data and checks the CRC (EPngInvalidCRC).
  void ReadCheckedData(TStream* Stream, uint32_t Size);
  // Writes length, name, `data` and CRC.
  void WriteChunk(TStream* Stream, const uint8_t* AData, size_t Size);

 private:
  std::vector<uint8_t> data_;
  TPngGraphic* owner_;
  char name_[5] = {};
};

// The header: size, depth and colour type, and the DIB the image lives in.
class TChunkIHDR : public TChunk {
  HV_CLASS(TChunkIHDR, TChunk)
 public:
  explicit TChunkIHDR(TPngGraphic* Owner);
  ~TChunkIHDR() override;
  const char* ClassChunkName() const override { return "IHDR"; }
  void Assign(TChunk* Source) override;
  bool LoadFromStream(TStream* Stream, const char* ChunkName, uint32_t Size) override;
  bool SaveToStream(TStream* Stream) override;

  uint32_t Width = 0, Height = 0;
  uint8_t BitDepth = 0, ColorType = 0, CompressionMethod = 0, FilterMethod = 0, InterlaceMethod = 0;

  // Builds a zeroed DIB (and alpha plane) for the header's values; EPNGOutMemory when it
  // cannot be had.
  void PrepareImageData();
  // The DIB section and a memory DC holding it, made on first use (the pixels then move into
  // the section; rows fetched before are no longer valid). EPNGOutMemory when they cannot be
  // had.
  HBITMAP ImageHandle();
  HDC ImageDC();
  BITMAPINFO* BitmapInfo() { return reinterpret_cast<BITMAPINFO*>(&info_); }
  RGBQUAD* PaletteEntries() { return info_.colors; }
  int BitCount() const { return info_.header.biBitCount; }
  int BytesPerRow() const { return bytesPerRow_; }
  uint8_t* ImageData() const { return bits_; }
  uint8_t* ImageAlpha() { return alpha_.get(); }
  void CreateAlpha();  // an alpha plane of 255 where there is none
  // The grey levels of grey images, through the owner's gamma table.
  void BuildGreyPalette();
  // Hands the palette entries over to the DIB after they were changed.
  void ApplyPalette();
  bool HasPalette() const { return hasPalette_; }
  // The DIB row of image row `row` (0 at the top) and its alpha row (null without alpha).
  uint8_t* ImageRow(int Row) const { return bits_ + static_cast<size_t>(Height - 1 - Row) * bytesPerRow_; }
  uint8_t* AlphaRow(int Row) { return alpha_ ? alpha_.get() + static_cast<size_t>(Row) * Width : nullptr; }

 private:
  void FreeImageData();
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
  } info_{};
  TCreatedDC dc_;
  TBitmapHandle dib_;
  TSelectObject selection_;  // the section in the DC, undone before either is freed
  uint8_t* bits_ = nullptr;
  // The pixels until a section is made: most images are only drawn through StretchDIBits,
  // and a section with its DC costs more than decoding a small icon.
  struct TFreeBlock {
    void operator()(uint8_t* P) const { std::free(P); }
  };
  std::unique_ptr<uint8_t, TFreeBlock> block_;
  std::unique_ptr<uint8_t, TFreeBlock> alpha_;  // width x height, top row first
  bool hasPalette_ = false;
  int bytesPerRow_ = 0;
};

class TChunkPLTE : public TChunk {
  HV_CLASS(TChunkPLTE, TChunk)
 public:
  using TChunk::TChunk;
  const char* ClassChunkName() const override { return "PLTE"; }
  bool LoadFromStream(TStream* Stream, const char* ChunkName, uint32_t Size) override;
  bool SaveToStream(TStream* Stream) override;
  int Count() const { return count_; }
  void SetCount(int Value) { count_ = Value; }
  // A palette image's colours from the chunk's entries through the gamma table now in force.
  void ApplyEntries();

 private:
  int count_ = 0;
};

class TChunkgAMA : public TChunk {
  HV_CLASS(TChunkgAMA, TChunk)
 public:
  explicit TChunkgAMA(TPngGraphic* Owner);
  const char* ClassChunkName() const override { return "gAMA"; }
  bool LoadFromStream(TStream* Stream, const char* ChunkName, uint32_t Size) override;
  // Gamma x 100000.
  uint32_t Gamma() const;
  void SetGamma(uint32_t Value);
};

class TChunktRNS : public TChunk {
  HV_CLASS(TChunktRNS, TChunk)
 public:
  explicit TChunktRNS(TPngGraphic* Owner);
  const char* ClassChunkName() const override { return "tRNS"; }
  void Assign(TChunk* Source) override;
  bool LoadFromStream(TStream* Stream, const char* ChunkName, uint32_t Size) override;
  bool SaveToStream(TStream* Stream) override;
  // One colour fully transparent, the rest opaque.
  bool BitTransparency = false;
  // Palette images: the alpha of each entry.
  uint8_t PaletteValues[256];
  // The colour drawn transparently (ptmBit), or the colour to make transparent.
  TColor TransparentColor();
  void SetTransparentColor(TColor Value);
};

class TChunkIDAT : public TChunk {
  HV_CLASS(TChunkIDAT, TChunk)
 public:
  using TChunk::TChunk;
  const char* ClassChunkName() const override { return "IDAT"; }
  // Reads the whole run of IDAT chunks into the header's DIB.
  bool LoadFromStream(TStream* Stream, const char* ChunkName, uint32_t Size) override;
  // Writes the image as one or more IDAT chunks.
  bool SaveToStream(TStream* Stream) override;
};

class TChunktIME : public TChunk {
  HV_CLASS(TChunktIME, TChunk)
 public:
  using TChunk::TChunk;
  const char* ClassChunkName() const override { return "tIME"; }
  void Assign(TChunk* Source) override;
  bool LoadFromStream(TStream* Stream, const char* ChunkName, uint32_t Size) override;
  bool SaveToStream(TStream* Stream) override;
  uint16_t Year = 0;
  uint8_t Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;
};

class TChunktEXt : public TChunk {
  HV_CLASS(TChunktEXt, TChunk)
 public:
  using TChunk::TChunk;
  const char* ClassChunkName() const override { return "tEXt"; }
  void Assign(TChunk* Source) override;
  bool LoadFromStream(TStream* Stream, const char* ChunkName, uint32_t Size) override;
  bool SaveToStream(TStream* Stream) override;
  AnsiString Keyword, Text;
};

class TChunkzTXt : public TChunktEXt {
  HV_CLASS(TChunkzTXt, TChunktEXt)
 public:
  using TChunktEXt::TChunktEXt;
  const char* ClassChunkName() const override { return "zTXt"; }
  bool LoadFromStream(TStream* Stream, const char* ChunkName, uint32_t Size) override;
  bool SaveToStream(TStream* Stream) override;
  // Texts that would inflate beyond this many bytes are left empty.
  static constexpr size_t MaxTextSize = 1u << 20;
};

class TChunkIEND : public TChunk {
  HV_CLASS(TChunkIEND, TChunk)
 public:
  using TChunk::TChunk;
  const char* ClassChunkName() const override { return "IEND"; }
};

// An owning list of chunks.
class TPNGPointerList : public TObject {
  HV_CLASS(TPNGPointerList, TObject)
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  TChunk* Item(int Index) const { return items_[static_cast<size_t>(Index)].get(); }

 protected:
  std::vector<std::unique_ptr<TChunk>> items_;
};

class TPNGList : public TPNGPointerList {
  HV_CLASS(TPNGList, TPNGPointerList)
 public:
  explicit TPNGList(TPngGraphic* Owner) : owner_(Owner) {}
  TPngGraphic* Owner() const { return owner_; }
  void Clear() { items_.clear(); }
  TChunk* Add(std::unique_ptr<TChunk> Chunk);
  TChunk* Insert(int Index, std::unique_ptr<TChunk> Chunk);
  // Frees the chunk.
  void Remove(TChunk* Chunk);
  // The first chunk of that class, or null.
  template <class C>
  C* ItemFromClass() const {
    for (auto& c : items_)
      if (auto* found = dynamic_cast<C*>(c.get())) return found;
    return nullptr;
  }
  int IndexOf(const TChunk* Chunk) const;

 private:
  TPngGraphic* owner_;
};

class TPngGraphic : public TGraphic {
  HV_CLASS(TPngGraphic, TGraphic)
 public:
  TPngGraphic();
  ~TPngGraphic() override;

  void AssignTo(TPersistent* Dest) override;
  void Assign(TPersistent* Source) override;
  bool Empty() const override { return chunks_->Count() == 0; }
  int Width() const override;
  int Height() const override;
  void SetWidth(int Value) override;
  void SetHeight(int Value) override;
  bool Transparent() const override { return TransparencyMode() != ptmNone; }
  HPALETTE Palette() const override;
  void SetPalette(HPALETTE Value) override;
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;
  void LoadFromClipboardFormat(UINT Format, HANDLE Data, HPALETTE APalette) override;
  void SaveToClipboardFormat(UINT& Format, HANDLE& Data, HPALETTE& APalette) override;
  // The colour at (X, Y) (0 outside); writing ignores points outside the image.
  virtual TColor Pixels(int X, int Y);
  virtual void SetPixels(int X, int Y, TColor Value);

  // The first chunk when it is the header, else EPNGHeaderNotPresent.
  TChunkIHDR* Header() const;
  TPNGList* Chunks() const { return chunks_.get(); }
  TPNGTransparencyMode TransparencyMode() const;
  TColor TransparentColor() const;
  void SetTransparentColor(TColor Value);
  // Row `row` (0 at the top) of the DIB and of the alpha plane (null without one).
  uint8_t* Scanline(int Row) const;
  uint8_t* AlphaScanline(int Row) const;
  // Gives an RGB image an alpha plane (255); other colour types are left alone.
  void CreateAlpha();
  // Adds a chunk of the class after the rules of where each kind goes.
  TChunk* AddChunk(const TClassInfo& ChunkClass);
  // Makes an empty image of a size and kind (header, palette when needed, image data, end).
  void CreateBlank(int ColorType, int BitDepth, int AWidth, int AHeight);
  // Drops every chunk and resets the gamma tables.
  void ClearChunks();

  TFilters WriteFilters() const { return writeFilters_; }
  void SetWriteFilters(TFilters Value) { writeFilters_ = Value; }
  uint8_t DeflateLevel() const { return deflateLevel_; }
  void SetDeflateLevel(uint8_t Value) { deflateLevel_ = Value > 9 ? 9 : Value; }
  int MaxIdatChunkSize() const { return maxIdatSize_; }
  void SetMaxIdatChunkSize(int Value) { maxIdatSize_ = Value < 65535 ? 65535 : Value; }
  uint8_t Interlacing() const { return interlacing_; }
  void SetInterlacing(uint8_t Value) { interlacing_ = Value ? 1 : 0; }

  // Image samples go through GammaTable on reading and InverseGamma on writing.
  uint8_t GammaTable[256];
  uint8_t InverseGamma[256];
  // Fills both tables for a gamma x 100000 (identity for 0).
  void InitializeGamma(uint32_t Gamma = 0);
  // Forgets the cached logical palette (after the DIB palette changed).
  void FreePalette();

  // The image stored in form files as "Data": the bytes of a PNG file.
  void DefineProperties(TFiler* Filer) override;

 protected:
  void Draw(TCanvas* Canvas, const TRect& Rect) override;

 private:
  void AssignFromBitmap(TBitmap* Source);
  void AssignToBitmap(TBitmap* Dest);
  void DrawOpaque(HDC Dc, const TRect& Rect);
  void DrawBitTransparent(HDC Dc, const TRect& Rect);
  void DrawPartial(HDC Dc, const TRect& Rect);
  std::unique_ptr<TPNGList> chunks_;
  mutable TPaletteHandle palette_;
  TFilters writeFilters_{pfSub};
  uint8_t deflateLevel_ = 7;
  int maxIdatSize_ = 65535;
  uint8_t interlacing_ = 0;
};
