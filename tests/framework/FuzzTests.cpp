// Seeded fuzzing of what reads outside input: form files, INI documents, streams, Format and the
// number conversions. Each case ends in a result or an error of the framework's family without
// hanging (no case near ten seconds, even on a loaded machine), and a second pass over the same
// cases leaves no more blocks behind than the first.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "AllocationCount.h"
#include "framework/Conversions.h"
#include "framework/FileRoutines.h"
#include "framework/Format.h"
#include "framework/FormFiles.h"
#include "framework/IniFiles.h"
#include "framework/Streams.h"

extern std::vector<std::string> gLoaded;  // what the form-file test classes record

namespace {

using TBody = std::function<void(const std::string& input, uint32_t random)>;

// One to four edits: a byte changed, a token put in, a range cut out or doubled, now and then a
// run of 200,000 digits.
std::string Mutate(std::string s, uint32_t& r, const std::vector<std::string>& tokens) {
  auto below = [&](size_t n) { return ((r = r * 1664525u + 1013904223u) >> 8) % (n ? n : 1); };
  for (int edits = 1 + static_cast<int>(below(4)); edits > 0; --edits) {
    size_t at = below(s.size() + 1), kind = below(6);
    if (kind == 0 && at < s.size()) s[at] = static_cast<char>(below(256));
    if (kind == 1 || kind == 2) s.insert(at, tokens[below(tokens.size())]);
    if (kind == 3) s.erase(at, 1 + below(12));
    if (kind == 4) s.insert(at, s.substr(at, 1 + below(40)));
    if (kind == 5 && below(40) == 0) s.insert(at, std::string(200000, static_cast<char>('0' + below(10))));
  }
  return s;
}

// Two passes over the same cases: the first settles what is made once (registries, caches).
void Fuzz(const char* what, const std::vector<std::string>& seeds, const std::vector<std::string>& tokens, int count,
          const TBody& body) {
  double slowest = 0;
  int results = 0;
  std::ptrdiff_t before = 0;
  for (int pass = 0; pass < 2; ++pass) {
    if (pass == 1) before = LiveAllocations();
    uint32_t r = 20261206;
    for (int i = 0; i < count; ++i) {
      const std::string input = Mutate(seeds[r % seeds.size()], r, tokens);
      LARGE_INTEGER start, end, frequency;
      QueryPerformanceCounter(&start);
      try {
        body(input, r);
        results += pass;
      } catch (const Exception&) {  // the clear error the input deserves
      }
      QueryPerformanceCounter(&end);
      QueryPerformanceFrequency(&frequency);
      slowest = std::max(slowest, static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart);
    }
  }
  EXPECT_EQ(LiveAllocations(), before) << what << ": blocks left behind by the second pass";
  EXPECT_LT(slowest, 10.0) << what << ": a case that takes this long is a hang, not a slow machine";
  EXPECT_GT(results, count / 25) << what << ": too few cases get past the first error";
}

std::string Bytes(TStream& s) {
  std::string bytes(static_cast<size_t>(s.Size()), '\0');
  s.SetPosition(0);
  if (!bytes.empty()) s.ReadBuffer(bytes.data(), static_cast<int>(bytes.size()));
  return bytes;
}

std::string Lines(TMemIniFile& ini) {
  TStringList lines;
  ini.GetStrings(&lines);
  return lines.Text();
}

}  // namespace

// A form that reads is written, and what is written reads back to the same text.
TEST(Fuzz, FormFiles) {
  TResourceStream resource(GetModuleHandleW(nullptr), L"TFfForm", RT_RCDATA);
  Fuzz("form files",
       {Bytes(resource),
        "object F: TFfForm\n object L: TFfLinks\n  Links = <\n   item\n    Target = W\n   end>\n end\n"
        " object W: TFfWidget\n  Buddy = Other.W\n  Ratio = 1.5\n  Scale = 2.5e3\n end\nend\n"},
       {"end\n",
        "object X: TFfWidget\n",
        "inline ",
        "inherited ",
        " = ",
        "'",
        "#",
        "+",
        "(",
        ")",
        "[",
        "]",
        "<",
        ">",
        "{",
        "}",
        "item\n",
        "99999999999999999999",
        "1e4000",
        "-",
        "$FFFFFFFF",
        ".",
        "Links = <>\n",
        "\xC3"},
       3000, [](const std::string& text, uint32_t) {
         std::unique_ptr<TComponent> root(ReadComponentFromText(text, nullptr, "fuzz"));
         const std::string written = WriteComponentToText(root.get());
         std::unique_ptr<TComponent> again(ReadComponentFromText(written, nullptr, "written"));
         EXPECT_EQ(WriteComponentToText(again.get()), written) << text;
         again.reset();
         root.reset();
         std::vector<std::string>().swap(gLoaded);
       });
}

// A document that is understood writes back what it read; one that is not is never written
// over; a value is stored exactly or refused.
TEST(Fuzz, IniDocuments) {
  TTempDirectory dir(L"hvfuzz");
  const WideString file = dir.File(L"fuzz.ini");
  Fuzz("INI documents",
       {"[Main]\r\nWidth=640\r\nCaption=Caf\xE9\r\n; note\r\n[Other]\r\nx = 1 \r\n",
        "\xEF\xBB\xBF[S]\r\nk=\xC3\xA9\r\nk=2\r\n", std::string("\xFF\xFE[\0S\0]\0\r\0\n\0k\0=\0v\0", 18),
        std::string("\xFE\xFF\0[\0S\0]\0\r\0\n\0k\0=\0v", 18)},
       {"[", "]", "=", ";", "\r\n", "\n", " ", "\t", "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF", "\xC3\xA9", "\xE9",
        std::string(1, '\0')},
       500, [&](const std::string& bytes, uint32_t r) {
         {
           TFileStream out(file, fmCreate);
           if (!bytes.empty()) out.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
         }
         TMemIniFile ini(file), copy(L"");
         TStringList lines;
         ini.GetStrings(&lines);
         copy.SetStrings(&lines);
         EXPECT_TRUE(!ini.Understood() || Lines(copy) == Lines(ini)) << Lines(ini);
         const std::string value = bytes.substr(r % (bytes.size() + 1), r % 5);
         try {
           ini.WriteString("S", "k", value);
           EXPECT_EQ(ini.ReadString("S", "k", "?"), value);
         } catch (const EIniFileException&) {}
         if (!ini.Understood()) {
           EXPECT_THROW(ini.UpdateFile(), EIniFileException);
           TMemoryStream kept;
           kept.LoadFromFile(file);
           EXPECT_EQ(Bytes(kept), bytes);
           return;
         }
         ini.UpdateFile();
         // Whatever the document holds is written in a form that reads back as it was.
         TMemIniFile back(file);
         EXPECT_TRUE(back.Understood()) << Lines(ini);
         EXPECT_EQ(Lines(back), Lines(ini));
       });
}

// Seeks, writes, reads and size changes at any position end in a result or a stream error.
TEST(Fuzz, Streams) {
  Fuzz("streams", {"hello world", std::string(40, 'x')}, {"\xFF\xFF\xFF\x7F", "\xFE\xFF\xFF\xFF\xFF\xFF\xFF\x7F"}, 1000,
       [](const std::string& data, uint32_t r) {
         char block[32] = {};
         struct TView : TCustomMemoryStream {
           TView(void* p, int64_t n) { SetPointer(p, n); }
         } view(block, sizeof block);
         TMemoryStream memory;
         TStringStream text(data);
         TStream* streams[] = {&view, &memory, &text};
         const int64_t spots[] = {0, 5, 31, 100, 0x7FFFFFFE, 0x7FFFFFFF, INT64_MAX - 3, INT64_MAX, -1, INT64_MIN};
         for (size_t op = 0; op + 8 < data.size(); op += 4) {
           TStream* s = streams[data[op] % 3u];
           const int64_t where = spots[static_cast<uint8_t>(data[op + 1]) % std::size(spots)];
           std::string buffer(static_cast<uint8_t>(data[op + 3]) + 1u, 'q');
           try {
             if (r % 4 == 0) s->Seek(where, static_cast<TSeekOrigin>(op % 3));
             if (r % 4 == 1) s->WriteBuffer(buffer.data(), static_cast<int>(buffer.size()));
             if (r % 4 == 2) s->Read(buffer.data(), static_cast<int>(buffer.size()));
             if (r % 4 == 3) s->SetSize(where);
           } catch (const EStreamError&) {}
           r = r * 69069u + 1;
           EXPECT_TRUE(s->Size() >= 0 && view.Size() <= 32);
         }
       });
}

// Format with any directive over arguments of every kind, narrow and wide.
TEST(Fuzz, Format) {
  Fuzz("Format", {"%d|%5.2f|%s|%-8s|%x", "%1:s %0:d %*d %.*f", "%u%%%p%e%g%n%m"},
       {"%", "*", ".", "-", ":", "9999999", "2147483647", "1048576", "d", "s", "f", "x", "\xE4"}, 3000,
       [](const std::string& format, uint32_t r) {
         const int width = static_cast<int>(r >> (r % 31 + 1));
         EXPECT_LE(Format(format, width, 2.5, "text", L"wide", 7LL, nullptr).size(), (format.size() << 21) + 64);
         WideString wide = AnsiToWide(format, 1252);
         if (r % 3 == 0) wide += r % 2 ? L"%\u0144" : L"%\u0173";
         WideFormat(wide, width, 2.5, "text", L"wide", 7LL, nullptr);
       });
}

// Texts of numbers, pictures of numbers and values in every format.
TEST(Fuzz, NumberConversions) {
  Fuzz("number conversions", {"-12.5e3", "0.000123", "$7FFFFFFF", "0x1F", "1e-5000", "#,##0.00;(#);zero", " +1.0E+10 "},
       {"e", "E", "-", "+", ".", ",", "$", "0x", "9999999999", "#", "0", ";", "\"", " "}, 4000,
       [](const std::string& text, uint32_t r) {
         long double x = 0, back = 0;
         double d = 0;
         int i = 0;
         long long big = 0;
         EXPECT_TRUE(!TryStrToFloat(text, x) || TryStrToFloat(FloatToStrF(x, ffGeneral, 18, 0), back)) << text;
         TryStrToFloat(text, d);
         TryStrToInt(text, i);
         TryStrToInt64(text, big);
         FormatFloat(text.substr(0, 200), static_cast<long double>(r) / 7.0L);
         FloatToStrF(x, static_cast<TFloatFormat>(r % 5), static_cast<int>(r % 30), static_cast<int>(r % 29));
         StrToFloat(text);
       });
}
