// Thousands of damaged PNG files, made from valid ones by a seeded generator: each must end
// in an image or in one of the codec's exceptions, never a crash, a hang or a huge allocation.
#include <gtest/gtest.h>

#include <random>

#include "PngTestSupport.h"

using namespace png_test;

namespace {

// Valid seeds of several kinds: palette, grey with alpha, interlaced RGBA, text and time.
std::vector<std::string> Seeds() {
  std::string rgbaRows, greyRows, paletteRows;
  for (int y = 0; y < 9; ++y) {
    greyRows += char(y % 5);
    for (int x = 0; x < 9 * 2; ++x) greyRows += char(x * 31 + y);
    paletteRows += '\0';
    for (int x = 0; x < 3; ++x) paletteRows += char(x * 0x21 + y);
  }
  for (int i = 0; i < 343; ++i) rgbaRows += char(i % 41 == 0 ? 1 : i * 7);  // the seven passes of 9 x 9
  std::string palette;
  for (int i = 0; i < 4; ++i) palette += std::string{char(i * 60), char(255 - i * 60), char(i * 20)};
  return {
      File({Ihdr(9, 9, 8, 6, 1), Chunk("gAMA", BigEndian(45455)), Idat(rgbaRows), Iend()}),
      File({Ihdr(9, 9, 8, 4), Chunk("tEXt", std::string("Title\0Fuzz", 10)),
            Chunk("zTXt", std::string("Note\0\0", 6) + Deflate(std::string(600, 'z'))), Idat(greyRows), Iend()}),
      File({Ihdr(9, 9, 2, 3), Chunk("PLTE", palette), Chunk("tRNS", std::string("\xFF\x00\x80", 3)),
            Chunk("tIME", std::string("\x07\xE6\x01\x02\x03\x04\x05", 7)), Idat(paletteRows), Iend()}),
      // A gamma after the palette: what is read of the palette is what is written.
      File({Ihdr(9, 9, 2, 3), Chunk("PLTE", palette), Chunk("gAMA", BigEndian(100000)),
            Chunk("tRNS", std::string("\xFF\x00\x80", 3)), Idat(paletteRows), Iend()}),
  };
}

// Overwrites, inserts, deletes or cuts bytes; sometimes rewrites a length field.
std::string Mutate(std::string bytes, std::mt19937& random) {
  int edits = 1 + static_cast<int>(random() % 4);
  for (int e = 0; e < edits && !bytes.empty(); ++e) {
    size_t at = random() % bytes.size();
    switch (random() % 6) {
      case 0: bytes[at] = static_cast<char>(random()); break;
      case 1: bytes[at] = static_cast<char>(bytes[at] ^ (1 << (random() % 8))); break;
      case 2: bytes.insert(at, 1 + random() % 8, static_cast<char>(random())); break;
      case 3: bytes.erase(at, 1 + random() % 8); break;
      case 4: bytes.resize(at); break;
      default:
        if (at + 4 <= bytes.size()) bytes.replace(at, 4, BigEndian(random() % 2 ? 0xFFFFFFFFu : random()));
    }
  }
  return bytes;
}

// Gives every chunk whose length still fits a correct CRC, so that damage inside the data
// reaches the decoder instead of stopping at the checksum.
std::string RepairCrcs(std::string bytes) {
  size_t p = 8;
  while (p + 12 <= bytes.size()) {
    auto* b = reinterpret_cast<const uint8_t*>(bytes.data()) + p;
    uint32_t n = uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3];
    if (n > bytes.size() - p - 12) break;
    uint32_t crc = static_cast<uint32_t>(crc32(0, b + 4, n + 4));
    bytes.replace(p + 8 + n, 4, BigEndian(crc));
    p += 12 + n;
  }
  return bytes;
}

}  // namespace

TEST(PngFuzz, DamagedFilesEndInAnImageOrACodecException) {
  std::mt19937 random(20261206);
  std::vector<std::string> seeds = Seeds();
  for (const std::string& seed : seeds) ASSERT_NO_THROW(Load(seed));
  int images = 0, refused = 0;
  for (int round = 0; round < 5000; ++round) {
    std::string bytes = Mutate(seeds[round % seeds.size()], random);
    if (round % 2) bytes = RepairCrcs(bytes);
    try {
      auto png = Load(bytes);
      ++images;
      // Whatever was read can be used and written again; a palette image reads back the
      // colours it showed.
      if (!png->Empty() && png->Width() > 0) {
        const TColor corner = png->Pixels(png->Width() - 1, png->Height() - 1);
        const std::string saved = Save(*png);
        if (png->Header()->ColorType == 3) {
          auto again = Load(saved);
          ASSERT_EQ(Rgb(again->Pixels(png->Width() - 1, png->Height() - 1)), Rgb(corner)) << round;
        }
      }
    } catch (const Exception&) {
      ++refused;
    }
  }
  EXPECT_EQ(images + refused, 5000);
  EXPECT_GT(images, 50);  // the mutations leave some files whole enough to read
  EXPECT_GT(refused, 2000);
}
