// The PNG codec on files built byte by byte: exceptions and their messages, damaged lengths and
// headers, ancillary chunks, data split over chunks, and what the writer produces.
#include <gtest/gtest.h>

#include <functional>

#include "PngTestSupport.h"

using namespace png_test;

namespace {

// A 4 x 2 8-bit grey image: samples 0, 85, 170, 255 on both rows.
std::string GreyRows() { return std::string("\0\x00\x55\xAA\xFF\0\x00\x55\xAA\xFF", 10); }
std::string GreyFile(std::initializer_list<std::string> before = {}, std::initializer_list<std::string> after = {}) {
  std::string out = Signature() + Ihdr(4, 2, 8, 0);
  for (const auto& c : before) out += c;
  out += Idat(GreyRows());
  for (const auto& c : after) out += c;
  return out + Iend();
}

std::string Inflate(const std::string& data) {
  std::string out(1 << 20, '\0');
  uLongf size = static_cast<uLongf>(out.size());
  uncompress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
             static_cast<uLong>(data.size()));
  out.resize(size);
  return out;
}

// The names of the chunks of a file, and the inflated image data of all its IDAT chunks.
std::vector<std::string> ChunkNames(const std::string& file, std::string* imageData = nullptr) {
  std::vector<std::string> names;
  std::string idat;
  for (size_t p = 8; p + 12 <= file.size();) {
    auto* b = reinterpret_cast<const uint8_t*>(file.data()) + p;
    uint32_t n = uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3];
    names.push_back(file.substr(p + 4, 4));
    if (names.back() == "IDAT") idat += file.substr(p + 8, n);
    p += 12 + n;
  }
  if (imageData) *imageData = Inflate(idat);
  return names;
}

struct TRefusal {
  const char* what;
  std::function<void()> run;
  std::string message;
};

}  // namespace

TEST(PngCodec, EveryFaultRaisesItsExceptionWithItsExactMessage) {
  const std::string png = "\"Portable Network Graphics\"";
  std::string compressed = Deflate(std::string(10000, '\0'));
  const TRefusal cases[] = {
      {"bad signature", [] { Load("\x89PNG\r\n\x1A\x0B" + Ihdr(1, 1, 8, 0)); },
       "The file being readed is not a valid " + png +
           " image because it contains an invalid header. This file may be corruped, try obtaining it again."},
      {"header not first",
       [] {
         Load(File({Chunk("tEXt", "a"), Ihdr(1, 1, 8, 0)}));
       },
       "This " + png + " image is not supported or it might be invalid.\r\n(IHDR chunk is not the first)"},
      {"cut file", [] { Load(GreyFile().substr(0, 40)); },
       "This " + png + " image is invalid because the decoder found an unexpected end of the file."},
      {"unknown critical chunk", [] { Load(GreyFile({Chunk("ABCD", "x")})); },
       "This " + png + " image contains an unknown critical part which could not be decoded."},
      {"no image data",
       [] {
         Load(File({Ihdr(1, 1, 8, 0), Iend()}));
       },
       "This " + png + " image contains no data."},
      {"bad CRC",
       [] {
         std::string f = GreyFile();
         f[32] ^= 1;
         Load(f);
       },
       "This " + png + " image is not valid because it contains invalid pieces of data (crc error)"},
      {"short header",
       [] {
         Load(File({Chunk("IHDR", std::string(12, '\1')), Iend()}));
       },
       "The " + png + " image could not be loaded because one of its main piece of data (ihdr) might be corrupted"},
      {"too wide",
       [] {
         Load(File({Ihdr(65536, 1, 8, 0), Iend()}));
       },
       "This " + png +
           " image is not supported because either it's width or height exceeds the maximum size, which is 65535 "
           "pixels length."},
      {"compression 1",
       [] {
         Load(File({Chunk("IHDR", BigEndian(1) + BigEndian(1) + std::string("\x08\0\x01\0\0", 5)), Iend()}));
       },
       "This " + png + " image is encoded with an unknown compression scheme which could not be decoded."},
      {"interlace 2",
       [] {
         Load(File({Ihdr(1, 1, 8, 0, 2), Iend()}));
       },
       "This " + png + " image uses an unknown interlace scheme which could not be decoded."},
      {"image data cut by another chunk",
       [&] {
         Load(File({Ihdr(100, 100, 8, 0), Chunk("IDAT", compressed.substr(0, 10)), Chunk("tEXt", "a\0b"),
                    Chunk("IDAT", compressed.substr(10)), Iend()}));
       },
       "This " + png + " image is invalid because it has missing image parts."},
      {"garbage image data",
       [] {
         Load(File({Ihdr(4, 2, 8, 0), Chunk("IDAT", "garbage!"), Iend()}));
       },
       "Could not decompress the image because it contains invalid compressed data.\r\n Description: data error"},
      {"palette of 4 bytes",
       [] {
         Load(File({Ihdr(1, 1, 8, 3), Chunk("PLTE", "abcd"), Iend()}));
       },
       "The " + png + " image contains an invalid palette."},
      {"header of an empty image",
       [] {
         TPngGraphic p;
         p.Header();
       },
       "This operation is not valid because the current image contains no valid header."},
      {"resizing", [] { Load(GreyFile())->SetWidth(5); },
       "The " + png +
           " image can not be resize by changing width and height properties. Try assigning the image from a "
           "bitmap."},
      {"adding a header", [] { Load(GreyFile())->AddChunk(TChunkIHDR::StaticClassInfo()); },
       "The program tried to add a existent critical chunk to the current image which is not allowed."},
      {"adding a second gamma",
       [] { Load(GreyFile({Chunk("gAMA", BigEndian(45455))}))->AddChunk(TChunkgAMA::StaticClassInfo()); },
       "The program tried to add a existent critical chunk to the current image which is not allowed."},
      {"adding to an empty image",
       [] {
         TPngGraphic p;
         p.AddChunk(TChunktEXt::StaticClassInfo());
       },
       "It's not allowed to add a new chunk because the current image is invalid."},
      {"assigning another chunk to a header",
       [] {
         auto p = Load(GreyFile());
         TChunkIEND end(p.get());
         p->Header()->Assign(&end);
       },
       "The chunks must be compatible to be assigned."},
  };
  for (const TRefusal& c : cases) EXPECT_EQ(Raised<Exception>(c.run), c.message) << c.what;
}

TEST(PngCodec, LengthsAndHeadersFromOutsideAreCheckedBeforeUse) {
  struct {
    const char* what;
    std::string file;
    const std::type_info& raised;
  } cases[] = {
      {"length 0xFFFFFFFF", Signature() + BigEndian(0xFFFFFFFFu) + "IHDR" + std::string(20, '\0'),
       typeid(EPngUnexpectedEnd)},
      {"cut inside a name", Signature() + BigEndian(13) + "IH", typeid(EPngUnexpectedEnd)},
      {"empty stream", "", typeid(EPNGInvalidFileHeader)},
      {"width 0", File({Ihdr(0, 1, 8, 0), Iend()}), typeid(EPngInvalidIHDR)},
      {"height 2^31", File({Ihdr(1, 0x80000000u, 8, 0), Iend()}), typeid(EPNGSizeExceeds)},
      {"colour type 1", File({Ihdr(1, 1, 8, 1), Iend()}), typeid(EPngInvalidIHDR)},
      {"colour type 7", File({Ihdr(1, 1, 8, 7), Iend()}), typeid(EPngInvalidIHDR)},
      {"RGB at 4 bits", File({Ihdr(1, 1, 4, 2), Iend()}), typeid(EPngInvalidIHDR)},
      {"palette at 16 bits", File({Ihdr(1, 1, 16, 3), Iend()}), typeid(EPngInvalidIHDR)},
      {"60000 x 60000 RGBA", File({Ihdr(60000, 60000, 8, 6), Idat("\0"), Iend()}), typeid(EPNGOutMemory)},
      {"stream ending early", File({Ihdr(4, 2, 8, 0), Idat(GreyRows().substr(0, 6)), Iend()}), typeid(EPNGZLIBError)},
  };
  for (auto& c : cases) {
    const char* got = "nothing";
    try {
      Load(c.file);
    } catch (const Exception& e) {
      got = typeid(e).name();
      EXPECT_EQ(typeid(e), c.raised) << c.what;
    }
    EXPECT_STRNE(got, "nothing") << c.what;
  }
}

TEST(PngCodec, WidthOf65535IsAcceptedAndSplitImageDataDecodes) {
  std::string row = std::string(1, '\0') + std::string(8192, '\xFF');
  EXPECT_EQ(Rgb(Load(File({Ihdr(65535, 1, 1, 0), Idat(row), Iend()}))->Pixels(65534, 0)), 0xFFFFFFu);

  // The zlib trailer alone in a last chunk, an empty chunk after it, then more chunks.
  std::string z = Deflate(GreyRows());
  auto split = Load(File({Ihdr(4, 2, 8, 0), Chunk("IDAT", z.substr(0, 3)), Chunk("IDAT", z.substr(3, z.size() - 7)),
                          Chunk("IDAT", z.substr(z.size() - 4)), Chunk("IDAT", ""),
                          Chunk("tEXt", std::string("Key\0Value", 9)), Iend()}));
  EXPECT_EQ(Rgb(split->Pixels(2, 1)), 0xAAAAAAu);

  // An image data chunk after another chunk is dropped.
  auto interrupted = Load(GreyFile({}, {Chunk("tEXt", std::string("a\0b", 3)), Chunk("IDAT", "junk")}));
  EXPECT_EQ(ChunkNames(Save(*interrupted)), (std::vector<std::string>{"IHDR", "IDAT", "tEXt", "IEND"}));
}

TEST(PngCodec, TextTimeAndGammaChunksReadWhatIsThereAndNoMore) {
  std::string bomb = Deflate(std::string(2u << 20, 'x'));
  auto png =
      Load(GreyFile({Chunk("gAMA", "\0\1\2")}, {Chunk("tEXt", "NoTerminator"), Chunk("zTXt", std::string("Key\0", 4)),
                                                Chunk("zTXt", std::string("Bomb\0\0", 6) + bomb),
                                                Chunk("tIME", "\x07\xE6\x05"), Chunk("teSt", "kept")}));
  auto& chunks = *png->Chunks();
  EXPECT_EQ(chunks.ItemFromClass<TChunktEXt>()->Keyword + "|" + chunks.ItemFromClass<TChunktEXt>()->Text,
            "NoTerminator|");
  int ztxt = 0;
  for (int i = 0; i < chunks.Count(); ++i)
    if (auto* z = dynamic_cast<TChunkzTXt*>(chunks.Item(i))) {
      EXPECT_EQ(z->Text, "") << z->Keyword;  // no method byte; over the size limit
      ++ztxt;
    }
  EXPECT_EQ(ztxt, 2);
  EXPECT_EQ(chunks.ItemFromClass<TChunktIME>()->Year, 0);
  EXPECT_EQ(Rgb(png->Pixels(1, 0)), 0x555555u);  // the malformed gamma is ignored
  EXPECT_EQ(ChunkNames(Save(*png)).at(7), "teSt");

  // A gamma after the image data leaves the pixels, and what is written of them, alone.
  auto late = Load(GreyFile({}, {Chunk("gAMA", BigEndian(20000))}));
  EXPECT_EQ(Rgb(Load(Save(*late))->Pixels(1, 0)), 0x555555u);
}

// A palette image with a gamma before or after its palette, transparency and data: what is
// read is what is written, and writing what was read back gives the same file.
TEST(PngCodec, GammaAnywhereKeepsThePalettesColoursThroughASave) {
  const std::string palette("\x80\x40\xC0\x10\xF0\x00", 6),
      gama = Chunk("gAMA", BigEndian(100000)), plte = Chunk("PLTE", palette),
      trns = Chunk("tRNS", std::string("\xFF\x80", 2)), idat = Idat(std::string("\0\x40", 2));
  const struct {
    const char* Order;
    std::vector<std::string> Chunks;
  } cases[] = {
      {"gAMA PLTE tRNS IDAT", {gama, plte, trns, idat}},
      {"PLTE gAMA tRNS IDAT", {plte, gama, trns, idat}},
      {"PLTE tRNS gAMA IDAT", {plte, trns, gama, idat}},
      {"PLTE tRNS IDAT gAMA", {plte, trns, idat, gama}},
      {"PLTE gAMA IDAT", {plte, gama, idat}},
  };
  for (const auto& c : cases) {
    std::string bytes = Signature() + Ihdr(2, 1, 1, 3);
    for (const std::string& chunk : c.Chunks) bytes += chunk;
    auto png = Load(bytes + Iend());
    const uint32_t first = Rgb(png->Pixels(0, 0)), second = Rgb(png->Pixels(1, 0));
    const std::string saved = Save(*png);
    auto again = Load(saved);
    EXPECT_EQ(Rgb(again->Pixels(0, 0)), first) << c.Order;
    EXPECT_EQ(Rgb(again->Pixels(1, 0)), second) << c.Order;
    EXPECT_EQ(Save(*again), saved) << c.Order;
    EXPECT_NE(Save(*again).find(palette), std::string::npos) << c.Order << ": the palette's bytes as read";
  }
}

TEST(PngCodec, AddedChunksGoToTheirPlaces) {
  std::string palette = "\0\0\0\xFF\xFF\xFF";
  auto png = Load(File({Ihdr(2, 1, 1, 3), Chunk("PLTE", palette), Idat(std::string("\0\x40", 2)), Iend()}));
  png->AddChunk(TChunktEXt::StaticClassInfo());
  png->AddChunk(TChunkgAMA::StaticClassInfo());
  png->AddChunk(TChunktRNS::StaticClassInfo());
  EXPECT_EQ(ChunkNames(Save(*png)), (std::vector<std::string>{"IHDR", "gAMA", "PLTE", "tRNS", "IDAT", "tEXt", "IEND"}));
  auto grey = Load(GreyFile());
  grey->AddChunk(TChunktRNS::StaticClassInfo());
  EXPECT_EQ(ChunkNames(Save(*grey)), (std::vector<std::string>{"IHDR", "tRNS", "IDAT", "IEND"}));
}

TEST(PngCodec, TwoBitGreyShowsItsTrueLevelsAndIsSavedAtItsDepth) {
  auto png = Load(File({Ihdr(4, 1, 2, 0), Idat(std::string("\0\x1B", 2)), Iend()}));  // samples 0, 1, 2, 3
  for (int x = 0; x < 4; ++x) EXPECT_EQ(Rgb(png->Pixels(x, 0)), 0x555555u * x);
  png->SetWriteFilters(TFilters{});
  std::string data, saved = Save(*png);
  ChunkNames(saved, &data);
  EXPECT_TRUE(saved[24] == 2 && data == std::string("\0\x1B", 2));  // the header's bit depth, the samples
}

TEST(PngCodec, PaletteTransparencyIsSingleColourOnlyForOneClearEntry) {
  std::string palette = std::string("\x10\x20\x30\x40\x50\x60\x70\x80\x90", 9);
  auto make = [&](const std::string& alpha) {
    return Load(File(
        {Ihdr(3, 1, 8, 3), Chunk("PLTE", palette), Chunk("tRNS", alpha), Idat(std::string("\0\0\1\2", 4)), Iend()}));
  };
  auto single = make(std::string("\xFF\x00\xFF", 3));
  EXPECT_TRUE(single->TransparencyMode() == ptmBit && Rgb(single->TransparentColor()) == 0x605040u);
  EXPECT_EQ(make(std::string("\x00\x00", 2))->TransparencyMode(), ptmPartial);
  auto rgb = Load(File(
      {Ihdr(1, 1, 8, 2), Chunk("tRNS", std::string("\0\1\0\2\0\3", 6)), Idat(std::string("\0\1\2\3", 4)), Iend()}));
  EXPECT_TRUE(rgb->TransparencyMode() == ptmBit && Rgb(rgb->TransparentColor()) == 0x030201u);
  EXPECT_EQ(Load(File({Ihdr(1, 1, 8, 4), Idat(std::string("\0\1\2", 3)), Iend()}))->TransparencyMode(), ptmPartial);
}

TEST(PngCodec, UnknownFilterTypesLeaveTheRowAsItIs) {
  auto png = Load(File({Ihdr(4, 2, 8, 0), Idat(std::string("\x09\x01\x02\x03\x04\xFF\x05\x06\x07\x08", 10)), Iend()}));
  EXPECT_TRUE(Rgb(png->Pixels(3, 0)) == 0x040404u && Rgb(png->Pixels(0, 1)) == 0x050505u);
}

TEST(PngCodec, TheWriterChoosesFiltersAndSplitsTheImageData) {
  // Each row steps evenly (Sub repeats itself) and equals the row above (Up and Paeth give zeros;
  // the lower type wins the tie).
  std::string rows;
  for (int y = 0; y < 4; ++y) {
    rows += '\0';
    for (int x = 0; x < 4; ++x) rows += std::string{char(x * 10), char(x * 10 + 1), char(x * 10 + 2)};
  }
  auto png = Load(File({Ihdr(4, 4, 8, 2), Idat(rows), Iend()}));
  struct {
    TFilters filters;
    std::string expected;
  } cases[] = {{TFilters{}, std::string(4, '\0')},
               {TFilters{pfNone}, std::string(4, '\0')},
               {TFilters{pfPaeth}, "\4\4\4\4"},
               {TFilters{pfNone, pfSub}, "\1\1\1\1"},
               {TFilters{pfNone, pfSub, pfUp, pfAverage, pfPaeth}, "\1\2\2\2"}};
  for (auto& c : cases) {
    png->SetWriteFilters(c.filters);
    std::string data;
    ChunkNames(Save(*png), &data);
    ASSERT_EQ(data.size(), 52u);
    EXPECT_EQ((std::string{data[0], data[13], data[26], data[39]}), c.expected);
    EXPECT_EQ(Load(Save(*png))->Pixels(3, 3), png->Pixels(3, 3));
  }

  // A large image of noise is written in chunks of at most MaxIdatChunkSize bytes.
  std::string noise;
  uint32_t seed = 1;
  for (int y = 0; y < 200; ++y) {
    noise += '\0';
    for (int x = 0; x < 600; ++x) noise += char((seed = seed * 1103515245 + 12345) >> 16);
  }
  auto big = Load(File({Ihdr(200, 200, 8, 2), Idat(noise), Iend()}));
  big->SetInterlacing(1);
  std::string saved = Save(*big);
  EXPECT_TRUE(ChunkNames(saved).size() >= 4u && saved[28] == 1);  // split, interlaced
  auto back = Load(saved);
  for (int i = 0; i < 200; i += 7) ASSERT_EQ(back->Pixels(i, 199 - i), big->Pixels(i, 199 - i)) << i;
}

TEST(PngCodec, ZlibTakesTheVersionAndRecordSizeTheCodecPasses) {
  z_stream z{};
  EXPECT_EQ(inflateInit_(&z, "1.2.2", 56), Z_OK);
  inflateEnd(&z);
}
