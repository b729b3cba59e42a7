// Seeded fuzzing of the scheme readers: mutated files of each format end in a highlighter that
// scans text with tokens covering each line, or in a clear error that leaves the highlighter as
// it was; never a crash or a hang.
#include <gtest/gtest.h>

#include <random>

#include "highlighting/TxtXmlBundledSchemes.h"
#include "tests/highlighting/HighlightTestSupport.h"

namespace {

// One to four edits: a byte replaced by any byte or by one of XML's own, a span deleted or
// copied elsewhere, the text cut short, or a special byte inserted.
AnsiString Mutate(AnsiString Text, std::mt19937& Rng) {
  static const char kSpecial[] = "<>\"&/;=#!?[]\0\r\n\t \xFF";
  auto pick = [&](size_t n) { return n ? std::uniform_int_distribution<size_t>(0, n - 1)(Rng) : 0; };
  for (int e = 1 + static_cast<int>(pick(4)); e > 0 && !Text.empty(); --e) {
    const size_t at = pick(Text.size()), len = 1 + pick(std::min<size_t>(Text.size() - at, 40));
    const char special = kSpecial[pick(sizeof kSpecial - 1)];
    switch (pick(6)) {
      case 0: Text[at] = static_cast<char>(pick(256)); break;
      case 1: Text[at] = special; break;
      case 2: Text.erase(at, len); break;
      case 3: Text.insert(at, Text.substr(pick(Text.size()), len)); break;
      case 4: Text.resize(at); break;
      default: Text.insert(at, 1, special);
    }
  }
  return Text;
}

void FuzzFormat(const AnsiString& Seed, unsigned SeedValue, int Rounds) {
  std::mt19937 rng(SeedValue);
  TTxtXmlHighlighter h(nullptr);
  LoadText(TTxtXmlFormatNativeXmlAuto::Instance(), &h, Seed);
  const std::vector<AnsiString> lines = {"int main() { /* x */ return \"s\\\"\" + 'c'; } // end", "",
                                         "<a b=\"c\">&amp;<!-- d --></a>", "[k]\r=v ; c", AnsiString("#\0x", 3)};
  int loaded = 0;
  for (int round = 0; round < Rounds; ++round) {
    const AnsiString before = h.Info()->General.Name;
    const int rulesBefore = h.MainRules()->RangeCount();
    try {
      LoadText(TTxtXmlFormatNativeXmlAuto::Instance(), &h, Mutate(Seed, rng));
      ++loaded;
    } catch (const Exception&) {
      ASSERT_EQ(h.Info()->General.Name, before) << "round " << round;
      ASSERT_EQ(h.MainRules()->RangeCount(), rulesBefore) << "round " << round;
    }
    void* state = nullptr;
    for (const AnsiString& line : lines) {
      // The tokens cover the line: joined without separators they give it back.
      AnsiString joined;
      for (const TTok& t : Scan(h, line, state)) joined += t.Text;
      ASSERT_EQ(joined, line) << "round " << round;
    }
  }
  // The mutations are mild enough that many files still load.
  EXPECT_GT(loaded, Rounds / 25);
}

}  // namespace

TEST(SchemeFuzz, Format20) { FuzzFormat(BundledSchemeText(L"CLIKE"), 20u, 4000); }
TEST(SchemeFuzz, Format18) { FuzzFormat(BundledSchemeText(L"CLIKE18", L"OLDSCHEME"), 18u, 4000); }
TEST(SchemeFuzz, Format15) { FuzzFormat(BundledSchemeText(L"CLIKE15", L"OLDSCHEME"), 15u, 4000); }
