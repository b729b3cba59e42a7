// The image data of a PNG file: inflating a run of IDAT chunks row by row, undoing the
// filters, Adam7 passes and the conversion into the DIB; and the way back when writing.
#include <zlib.h>
#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include "controls/PngGraphic.h"
#include "controls/PngStreamIO.h"
#include "framework/Streams.h"

namespace {

struct TPass {
  int rowStart, colStart, rowStep, colStep;
};
constexpr TPass adam7[7] = {{0, 0, 8, 8}, {0, 4, 8, 8}, {4, 0, 8, 4}, {0, 2, 4, 4},
                            {2, 0, 4, 2}, {0, 1, 2, 2}, {1, 0, 2, 1}};
constexpr TPass wholeImage = {0, 0, 1, 1};

int SamplesPerPixel(int colorType) {
  switch (colorType) {
    case 2: return 3;
    case 4: return 2;
    case 6: return 4;
    default: return 1;
  }
}

// Bytes of one row of `pixels` pixels, without the filter byte.
size_t RowBytes(const TChunkIHDR& h, uint32_t pixels) {
  return (static_cast<size_t>(pixels) * h.BitDepth * SamplesPerPixel(h.ColorType) + 7) / 8;
}

// The distance to the corresponding byte of the pixel before, for the filters.
int FilterBytesPerPixel(const TChunkIHDR& h) {
  int bits = h.BitDepth * SamplesPerPixel(h.ColorType);
  return bits < 8 ? 1 : bits / 8;
}

uint32_t PassSize(uint32_t size, int start, int step) {
  return size > static_cast<uint32_t>(start) ? (size - start + step - 1) / step : 0;
}

inline uint8_t Paeth(int a, int b, int c) {
  int p = a + b - c;
  int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return static_cast<uint8_t>(a);
  return static_cast<uint8_t>(pb <= pc ? b : c);
}

// Undoes a filter in place; an unknown filter type leaves the row as it is.
void Unfilter(uint8_t type, uint8_t* row, const uint8_t* prev, size_t n, size_t bpp) {
  switch (type) {
    case 1:
      if (bpp == 4) {  // four lanes at once, without carries between them
        for (size_t i = 4; i + 4 <= n; i += 4) {
          uint32_t a, b;
          std::memcpy(&a, row + i, 4);
          std::memcpy(&b, row + i - 4, 4);
          uint32_t sum = ((a & 0x7F7F7F7Fu) + (b & 0x7F7F7F7Fu)) ^ ((a ^ b) & 0x80808080u);
          std::memcpy(row + i, &sum, 4);
        }
        break;
      }
      for (size_t i = bpp; i < n; ++i) row[i] = static_cast<uint8_t>(row[i] + row[i - bpp]);
      break;
    case 2:
      for (size_t i = 0; i < n; ++i) row[i] = static_cast<uint8_t>(row[i] + prev[i]);
      break;
    case 3:
      for (size_t i = 0; i < std::min(bpp, n); ++i) row[i] = static_cast<uint8_t>(row[i] + prev[i] / 2);
      for (size_t i = bpp; i < n; ++i) row[i] = static_cast<uint8_t>(row[i] + (row[i - bpp] + prev[i]) / 2);
      break;
    case 4:
      for (size_t i = 0; i < std::min(bpp, n); ++i) row[i] = static_cast<uint8_t>(row[i] + prev[i]);
      for (size_t i = bpp; i < n; ++i)
        row[i] = static_cast<uint8_t>(row[i] + Paeth(row[i - bpp], prev[i], prev[i - bpp]));
      break;
    default: break;
  }
}

void Filter(int type, const uint8_t* row, const uint8_t* prev, uint8_t* out, size_t n, size_t bpp) {
  for (size_t i = 0; i < n; ++i) {
    int left = i >= bpp ? row[i - bpp] : 0, upLeft = i >= bpp ? prev[i - bpp] : 0;
    int predictor = 0;
    switch (type) {
      case 1: predictor = left; break;
      case 2: predictor = prev[i]; break;
      case 3: predictor = (left + prev[i]) / 2; break;
      case 4: predictor = Paeth(left, prev[i], upLeft); break;
      default: break;
    }
    out[i] = static_cast<uint8_t>(row[i] - predictor);
  }
}

inline void SetIndex(uint8_t* dibRow, uint32_t x, int bitCount, int value) {
  switch (bitCount) {
    case 1: {
      uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
      dibRow[x >> 3] = static_cast<uint8_t>(value ? dibRow[x >> 3] | bit : dibRow[x >> 3] & ~bit);
      break;
    }
    case 4: {
      uint8_t& b = dibRow[x >> 1];
      b = (x & 1) ? static_cast<uint8_t>((b & 0xF0) | (value & 15)) : static_cast<uint8_t>((b & 0x0F) | (value << 4));
      break;
    }
    default: dibRow[x] = static_cast<uint8_t>(value);
  }
}

inline int GetIndex(const uint8_t* dibRow, uint32_t x, int bitCount) {
  switch (bitCount) {
    case 1: return (dibRow[x >> 3] >> (7 - (x & 7))) & 1;
    case 4: return (x & 1) ? dibRow[x >> 1] & 15 : dibRow[x >> 1] >> 4;
    default: return dibRow[x];
  }
}

inline int GetSample(const uint8_t* row, uint32_t i, int depth) {
  switch (depth) {
    case 1: return (row[i >> 3] >> (7 - (i & 7))) & 1;
    case 2: return (row[i >> 2] >> (6 - 2 * (i & 3))) & 3;
    case 4: return (i & 1) ? row[i >> 1] & 15 : row[i >> 1] >> 4;
    case 16: return row[2 * i];
    default: return row[i];
  }
}

inline void PutSample(uint8_t* row, uint32_t i, int depth, int value) {
  switch (depth) {
    case 1: row[i >> 3] = static_cast<uint8_t>(row[i >> 3] | (value & 1) << (7 - (i & 7))); break;
    case 2: row[i >> 2] = static_cast<uint8_t>(row[i >> 2] | (value & 3) << (6 - 2 * (i & 3))); break;
    case 4: row[i >> 1] = static_cast<uint8_t>(row[i >> 1] | ((i & 1) ? value & 15 : (value & 15) << 4)); break;
    case 16: row[2 * i] = row[2 * i + 1] = static_cast<uint8_t>(value); break;
    default: row[i] = static_cast<uint8_t>(value);
  }
}

// Puts one decoded row (pixels x0, x0 + dx, ...) into the DIB and alpha plane.
void StoreRow(TChunkIHDR& h, const uint8_t* gamma, bool identity, const uint8_t* src, uint32_t y, uint32_t x0,
              uint32_t dx, uint32_t pixels) {
  uint8_t* dib = h.ImageRow(static_cast<int>(y));
  uint8_t* alpha = h.AlphaRow(static_cast<int>(y));
  const int depth = h.BitDepth;
  switch (h.ColorType) {
    case 2:
    case 6: {
      const bool withAlpha = h.ColorType == 6;
      const size_t step = (withAlpha ? 4 : 3) * (depth / 8);
      const size_t sampleStep = depth / 8;
      uint8_t* out = dib + x0 * 3;
      if (identity && depth == 8) {  // the common case, without table look-ups
        const size_t outStep = static_cast<size_t>(dx) * 3;
        if (withAlpha && dx == 1) {
          uint8_t* a = alpha + x0;
          for (uint32_t i = 0; i < pixels; ++i) {
            out[i * 3] = src[i * 4 + 2];
            out[i * 3 + 1] = src[i * 4 + 1];
            out[i * 3 + 2] = src[i * 4];
            a[i] = src[i * 4 + 3];
          }
        } else if (withAlpha) {
          for (uint32_t i = 0, x = x0; i < pixels; ++i, src += 4, out += outStep, x += dx) {
            out[0] = src[2];
            out[1] = src[1];
            out[2] = src[0];
            alpha[x] = src[3];
          }
        } else {
          for (uint32_t i = 0; i < pixels; ++i, src += 3, out += outStep) {
            out[0] = src[2];
            out[1] = src[1];
            out[2] = src[0];
          }
        }
        break;
      }
      for (uint32_t i = 0; i < pixels; ++i, src += step, out += dx * 3) {
        out[0] = gamma[src[2 * sampleStep]];
        out[1] = gamma[src[sampleStep]];
        out[2] = gamma[src[0]];
        if (withAlpha) alpha[x0 + i * dx] = src[3 * sampleStep];
      }
      break;
    }
    case 4: {
      const size_t sampleStep = depth / 8;
      for (uint32_t i = 0; i < pixels; ++i, src += 2 * sampleStep) {
        dib[x0 + i * dx] = src[0];
        alpha[x0 + i * dx] = src[sampleStep];
      }
      break;
    }
    default: {
      const int bitCount = h.BitCount();
      if (dx == 1 && bitCount == depth) {
        std::memcpy(dib, src, RowBytes(h, pixels));
        break;
      }
      // Two-bit grey samples take every fifth of the sixteen grey levels: 0, 85, 170, 255.
      const int scale = depth == 2 && h.ColorType == 0 ? 5 : 1;
      for (uint32_t i = 0; i < pixels; ++i) SetIndex(dib, x0 + i * dx, bitCount, GetSample(src, i, depth) * scale);
    }
  }
}

// Builds one raw row (before filtering) from the DIB and alpha plane; `out` is zeroed.
void LoadRow(TChunkIHDR& h, const uint8_t* inverse, uint8_t* out, uint32_t y, uint32_t x0, uint32_t dx,
             uint32_t pixels) {
  const uint8_t* dib = h.ImageRow(static_cast<int>(y));
  const uint8_t* alpha = h.AlphaRow(static_cast<int>(y));
  const int depth = h.BitDepth;
  switch (h.ColorType) {
    case 2:
    case 6: {
      const bool withAlpha = h.ColorType == 6;
      const int bytes = depth / 8;
      const uint8_t* in = dib + x0 * 3;
      for (uint32_t i = 0; i < pixels; ++i, in += dx * 3) {
        uint8_t v[4] = {inverse[in[2]], inverse[in[1]], inverse[in[0]], withAlpha ? alpha[x0 + i * dx] : uint8_t(0)};
        for (int s = 0; s < (withAlpha ? 4 : 3); ++s)
          for (int b = 0; b < bytes; ++b) *out++ = v[s];  // 16-bit samples repeat the byte
      }
      break;
    }
    case 4: {
      const int bytes = depth / 8;
      for (uint32_t i = 0; i < pixels; ++i) {
        uint32_t x = x0 + i * dx;
        for (int b = 0; b < bytes; ++b) *out++ = dib[x];
        for (int b = 0; b < bytes; ++b) *out++ = alpha[x];
      }
      break;
    }
    default: {
      const int bitCount = h.BitCount();
      const bool twoBitGrey = depth == 2 && h.ColorType == 0;
      for (uint32_t i = 0; i < pixels; ++i) {
        int index = GetIndex(dib, x0 + i * dx, bitCount);
        if (twoBitGrey) index = std::min(3, (index + 2) / 5);
        PutSample(out, i, depth, index);
      }
    }
  }
}

// Feeds inflate from the IDAT chunks of one run, checking each chunk's CRC.
class TIdatReader {
 public:
  TIdatReader(TStream* stream, uint32_t firstSize) : stream_(stream) {
    StartChunk(firstSize);
    if (png_io::InflateInit(&z_) != Z_OK) throw EPNGOutMemory(png_io::msgOutMemory);
  }
  ~TIdatReader() { inflateEnd(&z_); }
  TIdatReader(const TIdatReader&) = delete;
  TIdatReader& operator=(const TIdatReader&) = delete;

  // Rows are inflated in batches of up to `capacity` bytes (fewer calls, and zlib copies less
  // into its window); never more than the image's `total` bytes are asked for, so that a
  // stream without its end still gives the whole image.
  void SetBatch(size_t capacity, uint64_t total) {
    batch_.reset(new uint8_t[capacity]);
    capacity_ = capacity;
    wanted_ = total;
  }

  // The next `length` bytes. The `keep` bytes before them (the row above) stay where they are.
  uint8_t* NextRow(size_t length, size_t keep) {
    if (end_ - begin_ < length) Refill(length, keep);
    uint8_t* row = batch_.get() + begin_;
    begin_ += length;
    return row;
  }

  // Passes over what is left of the run (the zlib trailer, empty or surplus chunks), checking
  // every CRC, and leaves the stream at the chunk after the run.
  void Finish() {
    SkipRest();
    for (;;) {
      if (png_io::Remaining(stream_) < 8) return;
      uint8_t head[8];
      png_io::ReadExact(stream_, head, 8);
      if (std::memcmp(head + 4, "IDAT", 4) != 0) {
        stream_->Seek(-8, soCurrent);
        return;
      }
      CheckLength(png_io::BigEndian(head));
      StartChunk(png_io::BigEndian(head));
      SkipRest();
    }
  }

 private:
  static constexpr uint32_t inputSize = 65535;

  void Refill(size_t length, size_t keep) {
    size_t from = begin_ - std::min(keep, begin_);
    std::memmove(batch_.get(), batch_.get() + from, end_ - from);
    begin_ -= from;
    end_ -= from;
    while (end_ - begin_ < length) {
      size_t room = static_cast<size_t>(std::min<uint64_t>(capacity_ - end_, wanted_));
      size_t got = Inflate(batch_.get() + end_, room);
      if (got == 0) png_io::RaiseZlibError(Z_BUF_ERROR);  // the stream ended before the image
      end_ += got;
      wanted_ -= got;
    }
  }

  // Inflates up to `count` bytes; gives how many came (fewer only at the stream's end).
  size_t Inflate(uint8_t* out, size_t count) {
    z_.next_out = out;
    z_.avail_out = static_cast<uInt>(count);
    while (z_.avail_out > 0 && !ended_) {
      if (z_.avail_in == 0) {
        while (left_ == 0) NextChunk();
        uint32_t take = Take();
        png_io::ReadExact(stream_, input_.data(), take);
        crc_ = UpdateCrc(crc_, input_.data(), take);
        left_ -= take;
        z_.next_in = input_.data();
        z_.avail_in = take;
      }
      int result = inflate(&z_, Z_NO_FLUSH);
      if (result == Z_STREAM_END) {
        ended_ = true;
      } else if (result != Z_OK && !(result == Z_BUF_ERROR && z_.avail_in == 0)) {
        png_io::RaiseZlibError(result == Z_NEED_DICT ? Z_DATA_ERROR : result);
      }
    }
    return count - z_.avail_out;
  }

  // The bytes to read next; the buffer grows to what the chunks need, up to inputSize (small
  // images have small chunks).
  uint32_t Take() {
    uint32_t take = std::min<uint32_t>(left_, inputSize);
    if (input_.size() < take) input_.resize(take);
    return take;
  }

  void CheckLength(uint32_t size) {
    if (size > 0x7FFFFFFFu || static_cast<int64_t>(size) + 4 > png_io::Remaining(stream_))
      throw EPngUnexpectedEnd(png_io::msgUnexpectedEnd);
  }
  void StartChunk(uint32_t size) {
    crc_ = UpdateCrc(0xFFFFFFFFu, reinterpret_cast<const uint8_t*>("IDAT"), 4);
    left_ = size;
  }
  void CheckCrc() {
    if (png_io::ReadBigEndian(stream_) != ~crc_) throw EPngInvalidCRC(png_io::msgInvalidCrc);
  }
  void SkipRest() {
    while (left_ > 0) {
      uint32_t take = Take();
      png_io::ReadExact(stream_, input_.data(), take);
      crc_ = UpdateCrc(crc_, input_.data(), take);
      left_ -= take;
    }
    CheckCrc();
  }
  void NextChunk() {
    CheckCrc();
    uint8_t head[8];
    png_io::ReadExact(stream_, head, 8);
    if (std::memcmp(head + 4, "IDAT", 4) != 0) throw EPNGMissingMultipleIDAT(png_io::msgMissingMultipleIdat);
    CheckLength(png_io::BigEndian(head));
    StartChunk(png_io::BigEndian(head));
  }

  TStream* stream_;
  std::vector<uint8_t> input_;
  std::unique_ptr<uint8_t[]> batch_;
  size_t capacity_ = 0, begin_ = 0, end_ = 0;
  uint64_t wanted_ = 0;
  z_stream z_{};
  uint32_t crc_ = 0;
  uint32_t left_ = 0;
  bool ended_ = false;
};

// Collects deflated bytes and writes them as IDAT chunks of at most `chunkSize` bytes.
class TIdatWriter {
 public:
  TIdatWriter(int level, int chunkSize, std::function<void(const uint8_t*, size_t)> put)
      : output_(static_cast<size_t>(chunkSize)), put_(std::move(put)) {
    if (png_io::DeflateInit(&z_, level) != Z_OK) throw EPNGOutMemory(png_io::msgOutMemory);
    z_.next_out = output_.data();
    z_.avail_out = static_cast<uInt>(output_.size());
  }
  ~TIdatWriter() { deflateEnd(&z_); }
  TIdatWriter(const TIdatWriter&) = delete;
  TIdatWriter& operator=(const TIdatWriter&) = delete;

  void Write(const uint8_t* data, size_t count, int flush = Z_NO_FLUSH) {
    z_.next_in = const_cast<Bytef*>(data);
    z_.avail_in = static_cast<uInt>(count);
    for (;;) {
      int result = deflate(&z_, flush);
      if (z_.avail_out == 0) Flush();
      if (flush == Z_FINISH ? result == Z_STREAM_END : z_.avail_in == 0 && z_.avail_out > 0) break;
    }
    if (flush == Z_FINISH && z_.avail_out < output_.size()) Flush();
  }

 private:
  void Flush() {
    put_(output_.data(), output_.size() - z_.avail_out);
    z_.next_out = output_.data();
    z_.avail_out = static_cast<uInt>(output_.size());
  }
  std::vector<uint8_t> output_;
  std::function<void(const uint8_t*, size_t)> put_;
  z_stream z_{};
};

// The filter of a row: the one whose result repeats one of the two bytes before most often.
int ChooseFilter(TFilters filters, uint8_t* const candidates[5], size_t n) {
  int only = -1, count = 0;
  for (int t = 0; t < 5; ++t)
    if (filters.Contains(static_cast<TFilter>(t))) {
      only = t;
      ++count;
    }
  if (count == 0) return 0;
  if (count == 1) return only;
  int best = 0, bestScore = 0;
  for (int t = 0; t < 5; ++t) {
    if (!filters.Contains(static_cast<TFilter>(t))) continue;
    const uint8_t* f = candidates[t];
    int score = 0;
    for (size_t i = 2; i < n; ++i) score += f[i] == f[i - 1] || f[i] == f[i - 2];
    if (score > bestScore) {
      best = t;
      bestScore = score;
    }
  }
  return best;
}

}  // namespace

bool TChunkIDAT::LoadFromStream(TStream* Stream, const char* ChunkName, uint32_t Size) {
  SetName(ChunkName);
  TChunkIHDR& h = *Owner()->Header();
  const uint8_t* gamma = Owner()->GammaTable;
  bool identity = true;
  for (int i = 0; i < 256; ++i) identity = identity && gamma[i] == i;
  TIdatReader reader(Stream, Size);
  const size_t bpp = static_cast<size_t>(FilterBytesPerPixel(h));
  const size_t maxRow = RowBytes(h, h.Width) + 1;
  const bool interlaced = h.InterlaceMethod == 1;
  const int passes = interlaced ? 7 : 1;
  uint64_t total = 0;
  for (int p = 0; p < passes; ++p) {
    const TPass& pass = interlaced ? adam7[p] : wholeImage;
    uint32_t pw = PassSize(h.Width, pass.colStart, pass.colStep);
    if (pw) total += static_cast<uint64_t>(PassSize(h.Height, pass.rowStart, pass.rowStep)) * (RowBytes(h, pw) + 1);
  }
  reader.SetBatch(std::max<size_t>(static_cast<size_t>(std::min<uint64_t>(total, 256u << 10)), 2 * maxRow), total);
  const std::vector<uint8_t> zeros(maxRow, 0);  // the row above the first of a pass
  for (int p = 0; p < passes; ++p) {
    const TPass& pass = interlaced ? adam7[p] : wholeImage;
    uint32_t pw = PassSize(h.Width, pass.colStart, pass.colStep);
    uint32_t ph = PassSize(h.Height, pass.rowStart, pass.rowStep);
    if (pw == 0 || ph == 0) continue;
    size_t n = RowBytes(h, pw);
    for (uint32_t r = 0; r < ph; ++r) {
      uint8_t* cur = reader.NextRow(n + 1, r > 0 ? n + 1 : 0);
      const uint8_t* prev = r > 0 ? cur - (n + 1) : zeros.data();
      Unfilter(cur[0], cur + 1, prev + 1, n, bpp);
      StoreRow(h, gamma, identity, cur + 1, pass.rowStart + r * pass.rowStep, pass.colStart, pass.colStep, pw);
    }
  }
  reader.Finish();
  return true;
}

bool TChunkIDAT::SaveToStream(TStream* Stream) {
  TChunkIHDR& h = *Owner()->Header();
  const uint8_t* inverse = Owner()->InverseGamma;
  TFilters filters = Owner()->WriteFilters();
  TIdatWriter writer(Owner()->DeflateLevel(), Owner()->MaxIdatChunkSize(),
                     [&](const uint8_t* data, size_t size) { WriteChunk(Stream, data, size); });
  const size_t bpp = static_cast<size_t>(FilterBytesPerPixel(h));
  const size_t maxRow = RowBytes(h, h.Width);
  std::vector<uint8_t> raw(2 * maxRow + 2), work(5 * (maxRow + 1));
  uint8_t* cur = raw.data();
  uint8_t* prev = raw.data() + maxRow + 1;
  uint8_t* candidates[5];
  for (int t = 0; t < 5; ++t) candidates[t] = work.data() + t * (maxRow + 1);
  const bool interlaced = Owner()->Interlacing() == 1;
  for (int p = 0; p < (interlaced ? 7 : 1); ++p) {
    const TPass& pass = interlaced ? adam7[p] : wholeImage;
    uint32_t pw = PassSize(h.Width, pass.colStart, pass.colStep);
    uint32_t ph = PassSize(h.Height, pass.rowStart, pass.rowStep);
    if (pw == 0 || ph == 0) continue;
    size_t n = RowBytes(h, pw);
    std::memset(prev, 0, n);
    for (uint32_t r = 0; r < ph; ++r) {
      std::memset(cur, 0, n);
      LoadRow(h, inverse, cur, pass.rowStart + r * pass.rowStep, pass.colStart, pass.colStep, pw);
      int chosen;
      if (filters.Contains(pfNone) + filters.Contains(pfSub) + filters.Contains(pfUp) + filters.Contains(pfAverage) +
              filters.Contains(pfPaeth) >
          1) {
        for (int t = 0; t < 5; ++t)
          if (filters.Contains(static_cast<TFilter>(t))) Filter(t, cur, prev, candidates[t] + 1, n, bpp);
        uint8_t* shifted[5];
        for (int t = 0; t < 5; ++t) shifted[t] = candidates[t] + 1;
        chosen = ChooseFilter(filters, shifted, n);
        if (!filters.Contains(static_cast<TFilter>(chosen))) Filter(chosen, cur, prev, candidates[chosen] + 1, n, bpp);
      } else {
        chosen = ChooseFilter(filters, nullptr, n);
        Filter(chosen, cur, prev, candidates[chosen] + 1, n, bpp);
      }
      candidates[chosen][0] = static_cast<uint8_t>(chosen);
      writer.Write(candidates[chosen], n + 1);
      std::swap(cur, prev);
    }
  }
  writer.Write(nullptr, 0, Z_FINISH);
  return true;
}
