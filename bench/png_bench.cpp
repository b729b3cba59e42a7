// PNG codec benchmark: decoding and encoding a 2048 x 2048 RGBA image (plain and Adam7) and
// a set of 200 16 x 16 icons, each against its floor measured in the same run: zlib's inflate
// of the same image data alone (decoding) and deflate of the same filtered rows alone
// (encoding, at the codec's level). Prints medians in ms and the ratios.
//
//   png_bench
#include <zlib.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "controls/PngGraphic.h"
#include "framework/Streams.h"

namespace {

constexpr int kRuns = 5;

// An RGBA image with smooth gradients, a little noise and a soft alpha edge, like artwork.
std::string MakeImage(int w, int h, int interlace, uint32_t seed) {
  TPngGraphic png;
  png.SetInterlacing(static_cast<uint8_t>(interlace));
  png.CreateBlank(6, 8, w, h);
  for (int y = 0; y < h; ++y) {
    uint8_t* row = png.Scanline(y);
    uint8_t* alpha = png.AlphaScanline(y);
    for (int x = 0; x < w; ++x) {
      seed = seed * 1103515245 + 12345;
      int noise = static_cast<int>((seed >> 16) & 7);
      row[x * 3] = static_cast<uint8_t>(x * 255 / w + noise);
      row[x * 3 + 1] = static_cast<uint8_t>(y * 255 / h);
      row[x * 3 + 2] = static_cast<uint8_t>((x + y) * 127 / (w + h) + noise);
      alpha[x] = static_cast<uint8_t>(x < w / 8 ? x * 255 / (w / 8) : 255);
    }
  }
  TMemoryStream stream;
  png.SaveToStream(&stream);
  return std::string(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

// The zlib stream of a file's IDAT chunks.
std::string ImageData(const std::string& file) {
  std::string data;
  for (size_t p = 8; p + 12 <= file.size();) {
    auto* b = reinterpret_cast<const uint8_t*>(file.data()) + p;
    uint32_t n = uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3];
    if (file.compare(p + 4, 4, "IDAT") == 0) data.append(file, p + 8, n);
    p += 12 + n;
  }
  return data;
}

std::string Inflate(const std::string& data, size_t rawSize) {
  std::string out(rawSize, '\0');
  uLongf size = static_cast<uLongf>(rawSize);
  uncompress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
             static_cast<uLong>(data.size()));
  out.resize(size);
  return out;
}

size_t Deflate(const std::string& raw, std::vector<uint8_t>& out) {
  z_stream z{};
  deflateInit(&z, 7);
  out.resize(deflateBound(&z, static_cast<uLong>(raw.size())));
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(raw.data()));
  z.avail_in = static_cast<uInt>(raw.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  size_t size = z.total_out;
  deflateEnd(&z);
  return size;
}

struct TCase {
  const char* name;
  std::vector<std::string> files;
};

void Measure(const TCase& c) {
  std::vector<std::string> data, raw;
  for (const std::string& f : c.files) {
    data.push_back(ImageData(f));
    auto* h = reinterpret_cast<const uint8_t*>(f.data()) + 16;
    size_t w = size_t(h[2]) << 8 | h[3], ht = size_t(h[6]) << 8 | h[7];
    raw.push_back(Inflate(data.back(), (w * 4 + 8) * ht * 2));
  }
  std::vector<std::unique_ptr<TMemoryStream>> streams;
  for (const std::string& f : c.files) {
    streams.push_back(std::make_unique<TMemoryStream>());
    streams.back()->WriteBuffer(f.data(), static_cast<int>(f.size()));
  }
  std::vector<std::unique_ptr<TPngGraphic>> images(c.files.size());
  for (auto& image : images) image = std::make_unique<TPngGraphic>();

  double decode = Median(
      kRuns,
      [&] {
        for (auto& s : streams) s->SetPosition(0);
      },
      [&] {
        for (size_t i = 0; i < images.size(); ++i) images[i]->LoadFromStream(streams[i].get());
      });
  std::vector<std::string> inflated = raw;  // the output buffers, made before the timing
  double inflateFloor = Median(
      kRuns, [] {},
      [&] {
        for (size_t i = 0; i < data.size(); ++i) {
          uLongf size = static_cast<uLongf>(inflated[i].size());
          uncompress(reinterpret_cast<Bytef*>(inflated[i].data()), &size,
                     reinterpret_cast<const Bytef*>(data[i].data()), static_cast<uLong>(data[i].size()));
        }
      });

  TMemoryStream out;
  double encode = Median(
      kRuns, [&] { out.SetSize(0); },
      [&] {
        for (auto& image : images) image->SaveToStream(&out);
      });
  std::vector<uint8_t> packed;
  double deflateFloor = Median(
      kRuns, [] {},
      [&] {
        for (const std::string& r : raw) Deflate(r, packed);
      });

  std::printf("%-28s decode %8.2f ms  inflate floor %8.2f ms  ratio %.2f\n", c.name, decode, inflateFloor,
              decode / inflateFloor);
  std::printf("%-28s encode %8.2f ms  deflate floor %8.2f ms  ratio %.2f\n", c.name, encode, deflateFloor,
              encode / deflateFloor);
}

}  // namespace

int wmain(int, wchar_t**) {
  std::vector<std::string> icons;
  for (int i = 0; i < 200; ++i) icons.push_back(MakeImage(16, 16, 0, static_cast<uint32_t>(i + 1)));
  Measure({"2048 x 2048 RGBA", {MakeImage(2048, 2048, 0, 7)}});
  Measure({"2048 x 2048 RGBA Adam7", {MakeImage(2048, 2048, 1, 7)}});
  Measure({"200 icons 16 x 16 RGBA", icons});
  return 0;
}
