// Seeded fuzzing of what reads outside input: form files, INI documents, streams, Format and the
// number conversions. Every mutated case ends in a result or an error of the framework's family
// within a second, and a second pass over the same cases leaves no more blocks behind than the
// first one did.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
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
#include "framework/StringLists.h"
#include "framework/Win.h"

namespace {

class TRandom {
 public:
  explicit TRandom(uint32_t seed) : state_(seed) {}
  uint32_t Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return state_ >> 7;
  }
  size_t Below(size_t n) { return n ? Next() % n : 0; }

 private:
  uint32_t state_;
};

// One to four edits: a byte changed, a token put in, a range cut out or doubled, now and then a
// run of 200,000 digits.
std::string Mutate(std::string s, TRandom& r, const std::vector<std::string>& tokens) {
  for (int edits = 1 + static_cast<int>(r.Below(4)); edits > 0; --edits) {
    size_t at = r.Below(s.size() + 1), len = 1 + r.Below(12);
    switch (r.Below(6)) {
      case 0:
        if (at < s.size()) s[at] = static_cast<char>(r.Next());
        break;
      case 1:
      case 2:
        s.insert(at, tokens[r.Below(tokens.size())]);
        break;
      case 3:
        s.erase(at, len);
        break;
      case 4:
        s.insert(at, s.substr(at, 4 * len));
        break;
      default:
        if (r.Below(40) == 0) s.insert(at, std::string(200000, static_cast<char>('0' + r.Below(10))));
    }
  }
  return s;
}

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct TPass {
  int results = 0;
  double slowest = 0;
  std::array<char, 120> slowestCase{};
};

template <class F>
TPass RunPass(const std::vector<std::string>& seeds, const std::vector<std::string>& tokens, int count, F& body) {
  TPass pass;
  TRandom r(20261206);
  for (int i = 0; i < count; ++i) {
    const std::string input = Mutate(seeds[r.Below(seeds.size())], r, tokens);
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    try {
      body(input, r);
      ++pass.results;
    } catch (const Exception&) {
      // the clear error the input deserves
    }
    QueryPerformanceCounter(&end);
    if (double s = Seconds(start, end); s > pass.slowest) {
      pass.slowest = s;
      std::strncpy(pass.slowestCase.data(), input.c_str(), pass.slowestCase.size() - 1);
    }
  }
  return pass;
}

// Two passes over the same cases: the first settles what is made once (registries, caches).
template <class F>
void Fuzz(const char* what, const std::vector<std::string>& seeds, const std::vector<std::string>& tokens, int count,
          F body) {
  RunPass(seeds, tokens, count, body);
  const std::ptrdiff_t before = LiveAllocations();
  const TPass pass = RunPass(seeds, tokens, count, body);
  const std::ptrdiff_t after = LiveAllocations();
  EXPECT_LT(pass.slowest, 1.0) << what << ": " << pass.slowestCase.data();
  EXPECT_GT(pass.results, count / 10) << what << ": too few cases get past the first error";
  EXPECT_EQ(after, before) << what << ": blocks left behind by the second pass";
}

std::string Resource(const wchar_t* name) {
  TResourceStream s(GetModuleHandleW(nullptr), name, RT_RCDATA);
  return std::string(static_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
}

void PutBytes(const WideString& name, const std::string& bytes) {
  TFileStream f(name, fmCreate);
  if (!bytes.empty()) f.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
}

std::string GetBytes(const WideString& name) {
  TMemoryStream m;
  m.LoadFromFile(name);
  return std::string(static_cast<const char*>(m.Memory()), static_cast<size_t>(m.Size()));
}

std::string Lines(TMemIniFile& ini) {
  TStringList lines;
  ini.GetStrings(&lines);
  return lines.Text();
}

}  // namespace

// A form that reads is written, and what is written reads back to the same text.
TEST(Fuzz, FormFiles) {
  const std::vector<std::string> seeds = {
      Resource(L"TFfForm"), Resource(L"TFfHost"), Resource(L"TFfForm2"),
      "object F: TFfForm\n object L: TFfLinks\n  Links = <\n   item\n    Target = W\n   end>\n end\n"
      " object W: TFfWidget\n  Buddy = Other.Target\n  Ratio = 1.5\n  Scale = 2.5e3\n end\nend\n"};
  const std::vector<std::string> tokens = {"end\n", "object X: TFfWidget\n", "inline ", "inherited ", " = ", "'",
                                           "''", "#", "#$", "+", "(", ")", "[", "]", "<", ">", "{", "}", "item\n",
                                           "99999999999999999999", "1e4000", "-", "$FFFFFFFF", ".", "Links = <>\n",
                                           "\xC3", "\x00", "nil", "Buddy = F\n", "Target = L\n"};
  Fuzz("form files", seeds, tokens, 3000, [](const std::string& text, TRandom&) {
    std::unique_ptr<TComponent> root(ReadComponentFromText(text, nullptr, "fuzz"));
    const std::string written = WriteComponentToText(root.get());
    std::unique_ptr<TComponent> again(ReadComponentFromText(written, nullptr, "written"));
    EXPECT_EQ(WriteComponentToText(again.get()), written) << text;
  });
}

// A document that is understood writes what it read; one that is not is never written over;
// a value is stored exactly or refused.
TEST(Fuzz, IniDocuments) {
  TTempDirectory dir(L"hvfuzz");
  const WideString file = dir.File(L"fuzz.ini");
  const std::vector<std::string> seeds = {
      "[Main]\r\nWidth=640\r\nCaption=Caf\xE9\r\n; note\r\n[Other]\r\nx = 1 \r\n",
      "\xEF\xBB\xBF[S]\r\nk=\xC3\xA9\r\nk=dup\r\n",
      std::string("\xFF\xFE[\0S\0]\0\r\0\n\0k\0=\0v\0", 18),
      std::string("\xFE\xFF\0[\0S\0]\0\r\0\n\0k\0=\0v", 18),
      "top=1\n[A]\nb\n=c\n[a]\nd=e=f\n"};
  const std::vector<std::string> tokens = {"[", "]", "=", ";", "\r\n", "\n", "\r", " ", "\t", "\xEF\xBB\xBF",
                                           "\xFF\xFE", "\xFE\xFF", "\xC3\xA9", "\xE9", std::string(1, '\0'),
                                           "\xD8", "\xDC"};
  Fuzz("INI documents", seeds, tokens, 800, [&](const std::string& bytes, TRandom& r) {
    PutBytes(file, bytes);
    TMemIniFile ini(file);
    TMemIniFile copy(L"");
    TStringList lines;
    ini.GetStrings(&lines);
    copy.SetStrings(&lines);
    EXPECT_EQ(Lines(copy), Lines(ini)) << "the document's own text reads back the same";
    std::string value;
    for (size_t n = r.Below(6); n > 0; --n) value += static_cast<char>(r.Below(4) ? 'a' + r.Below(26) : r.Next());
    try {
      ini.WriteString("S", "k", value);
      EXPECT_EQ(ini.ReadString("S", "k", "?"), value);
    } catch (const EIniFileException&) {
    }
    if (!ini.Understood()) {
      EXPECT_THROW(ini.UpdateFile(), EIniFileException);
      EXPECT_EQ(GetBytes(file), bytes) << "a file not understood stays as it was";
      return;
    }
    ini.UpdateFile();
    TMemIniFile back(file);
    if (back.Encoding() == ini.Encoding()) {
      EXPECT_EQ(Lines(back), Lines(ini));
    }
  });
}

// Any sequence of seeks, writes, reads and size changes, at any position, ends in a result or
// a stream error, and the memory streams stay consistent.
TEST(Fuzz, Streams) {
  const std::vector<std::string> seeds = {"hello world", std::string(64, 'x'), ""};
  const std::vector<std::string> tokens = {"\xFF\xFF\xFF\x7F", "\x00", "\xFE\xFF\xFF\xFF\xFF\xFF\xFF\x7F"};
  Fuzz("streams", seeds, tokens, 3000, [](const std::string& data, TRandom& r) {
    char block[32] = {};
    struct TView : TCustomMemoryStream {
      TView(void* p, int64_t n) { SetPointer(p, n); }
    } view(block, sizeof block);
    TMemoryStream memory;
    TStringStream text(data);
    TStream* streams[] = {&view, &memory, &text};
    const int64_t spots[] = {0, 1, 31, 32, 1000, 0x7FFFFFFE, 0x7FFFFFFF, INT64_MAX - 3, INT64_MAX, -1, INT64_MIN};
    for (int op = 0; op < 12; ++op) {
      TStream* s = streams[r.Below(3)];
      int64_t where = r.Below(2) ? spots[r.Below(std::size(spots))] : static_cast<int64_t>(r.Below(100));
      std::string buffer(1 + r.Below(data.size() + 8), 'q');
      try {
        switch (r.Below(4)) {
          case 0: s->Seek(where, static_cast<TSeekOrigin>(r.Below(3))); break;
          case 1: s->WriteBuffer(buffer.data(), static_cast<int>(buffer.size())); break;
          case 2: s->Read(buffer.data(), static_cast<int>(buffer.size())); break;
          default: s->SetSize(r.Below(2) ? where : static_cast<int64_t>(r.Below(64)));
        }
      } catch (const EStreamError&) {
      }
      EXPECT_GE(s->Size(), 0);
      EXPECT_LE(view.Size(), 32);
    }
  });
}

// Format with any directive over arguments of every kind, narrow and wide.
TEST(Fuzz, Format) {
  const std::vector<std::string> seeds = {"%d|%5.2f|%s|%-8s|%x", "%1:s %0:d %*d %.*f", "%u%%%p%e%g%n%m", "a%3:sb"};
  const std::vector<std::string> tokens = {"%", "*", ".", "-", ":", "9999999", "2147483647", "1048576",
                                           "d", "s", "f", "x", "\xE4", "%%"};
  Fuzz("Format", seeds, tokens, 3000, [](const std::string& format, TRandom& r) {
    const int width = static_cast<int>(r.Next()) >> (r.Below(31) + 1);
    const AnsiString narrow = Format(format, width, 2.5, "text", L"wide", 7LL, nullptr, 3);
    EXPECT_LT(narrow.size(), format.size() * (2u << 20) + 64);
    WideString wide = AnsiToWide(format, 1252);
    if (!wide.empty()) wide[r.Below(wide.size())] = static_cast<wchar_t>(r.Below(2) ? 0x0144 : 0x0173);
    WideFormat(wide, width, 2.5, "text", L"wide", 7LL, nullptr, 3);
  });
}

// Texts of numbers, pictures of numbers and values in every format.
TEST(Fuzz, NumberConversions) {
  const std::vector<std::string> seeds = {"-12.5e3", "0.000123", "$7FFFFFFF", "0x1F", "1e-5000", "#,##0.00;(#);zero",
                                          "9007199254740993", " +1.0E+10 "};
  const std::vector<std::string> tokens = {"e", "E", "-", "+", ".", ",", "$", "0x", "9999999999", "#", "0", ";",
                                           "\"", "'", " "};
  Fuzz("number conversions", seeds, tokens, 4000, [](const std::string& text, TRandom& r) {
    long double x = 0;
    double d = 0;
    int i = 0;
    long long big = 0;
    if (TryStrToFloat(text, x)) {
      // A value that was read writes a text that reads back to it.
      long double back = 0;
      EXPECT_TRUE(TryStrToFloat(FloatToStrF(x, ffGeneral, 18, 0), back)) << text;
    }
    TryStrToFloat(text, d);
    TryStrToInt(text, i);
    TryStrToInt64(text, big);
    FormatFloat(text.substr(0, 200), static_cast<long double>(r.Next()) / 7.0L);
    FloatToStrF(x, static_cast<TFloatFormat>(r.Below(5)), static_cast<int>(r.Below(30)), static_cast<int>(r.Below(30)));
    StrToFloat(text);
  });
}
