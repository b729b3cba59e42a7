// Building PNG files byte by byte for the codec's tests, independent of the codec's writer.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <memory>
#include <string>

#include "controls/PngGraphic.h"
#include "framework/Streams.h"
#include "tests/framework/GraphicsTestSupport.h"
#include "tests/framework/Raised.h"

namespace png_test {

inline std::string BigEndian(uint32_t v) { return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; }

inline std::string Chunk(const std::string& name, const std::string& data) {
  std::string body = name + data;
  uint32_t crc =
      static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size())));
  return BigEndian(static_cast<uint32_t>(data.size())) + body + BigEndian(crc);
}

inline std::string Ihdr(uint32_t w, uint32_t h, int depth, int colorType, int interlace = 0) {
  return Chunk("IHDR", BigEndian(w) + BigEndian(h) + char(depth) + char(colorType) + '\0' + '\0' + char(interlace));
}

inline std::string Deflate(const std::string& raw) {
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  std::string out(size, '\0');
  compress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(raw.data()),
           static_cast<uLong>(raw.size()));
  out.resize(size);
  return out;
}

inline std::string Idat(const std::string& rawRows) { return Chunk("IDAT", Deflate(rawRows)); }
inline std::string Iend() { return Chunk("IEND", ""); }

inline const std::string& Signature() {
  static const std::string s("\x89PNG\r\n\x1A\n", 8);
  return s;
}

inline std::string File(std::initializer_list<std::string> chunks) {
  std::string out = Signature();
  for (const std::string& c : chunks) out += c;
  return out;
}

inline std::unique_ptr<TPngGraphic> Load(const std::string& bytes) {
  TMemoryStream stream;
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
  stream.SetPosition(0);
  auto png = std::make_unique<TPngGraphic>();
  png->LoadFromStream(&stream);
  return png;
}

inline std::string Save(TPngGraphic& png) {
  TMemoryStream stream;
  png.SaveToStream(&stream);
  return std::string(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

inline uint32_t Rgb(TColor c) { return static_cast<uint32_t>(c) & 0xFFFFFF; }

}  // namespace png_test
