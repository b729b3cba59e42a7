// Seeded fuzzing of what printing takes from the user: header and footer texts with macros,
// and lines, margins and fonts that the layout must break into pages and rows without losing
// a character or running forever.
#include <gtest/gtest.h>

#include <random>

#include "editor/TxtEditPrint.h"
#include "tests/editor/PrintTestSupport.h"

namespace {

std::string Random(std::mt19937& rng, const char* alphabet, int maxLen) {
  const size_t n = std::strlen(alphabet);
  std::string s(static_cast<size_t>(rng() % static_cast<unsigned>(maxLen + 1)), ' ');
  for (char& c : s) c = alphabet[rng() % n];
  return s;
}

TEST(PrintFuzz, MacroExpansionKeepsEveryPlainCharacter) {
  std::mt19937 rng(1511);
  THeaderFooter band;
  const char* alphabet = "$$$PAGENUMCOUTIDERXYpagenum ab";
  for (int i = 0; i < 5000; ++i) {
    band.Clear();
    const std::string text = Random(rng, alphabet, 40);
    band.Add(text, nullptr, taLeftJustify, 1);
    const AnsiString out = band.Get(0)->ExpandText(7, 3, (i & 1) != 0, "", "", "");
    // Macros only replace "$NAME$"; with empty title, date and time texts nothing grows beyond
    // the page numbers, and a text without "$" comes back as it is (or empty when blank).
    if (text.find('$') == std::string::npos) {
      EXPECT_TRUE(out == text || text.find_first_not_of(' ') == std::string::npos);
    }
    EXPECT_LE(out.size(), text.size() + 4 * 8);
  }
}

TEST(PrintFuzz, LayoutEndsAndKeepsEveryCharacter) {
  std::mt19937 rng(2026);
  TFakePrinter printer(1, {300, 400, 280, 380, 10, 10, 40});
  TTxtEditPrint print(nullptr);
  print.SetPrinterObject(&printer);
  const char* alphabet = "ab \t-.,;xyzWW";
  for (int round = 0; round < 60; ++round) {
    TStringList lines;
    const int count = static_cast<int>(rng() % 12);
    for (int i = 0; i < count; ++i) lines.Add(Random(rng, alphabet, 120));
    print.SetTabWidth(1 + static_cast<int>(rng() % 16));
    print.SetLines(&lines);
    auto mm = [&] { return static_cast<double>(static_cast<int>(rng() % 400) - 50); };
    print.Margins()->SetLeft(mm());
    print.Margins()->SetRight(mm());
    print.Margins()->SetTop(mm());
    print.Margins()->SetBottom(mm());
    print.Margins()->SetGutter(mm());
    print.Margins()->SetMirrorMargins((rng() & 1) != 0);
    TFont font;
    font.SetName(L"Courier New");
    font.SetSize(1 + static_cast<int>(rng() % 60));
    print.SetFont(&font);
    print.SetWrap((rng() & 3) != 0);
    print.SetLineNumbers((rng() & 1) != 0);
    const int pages = print.PageCount();
    ASSERT_GE(pages, 1);
    ASSERT_GE(print.MaxCol(), 1);
    // Every row of every line fits its columns, and the rows hold the whole line.
    int rows = 0;
    for (int i = 0; i < lines.Count(); ++i) {
      const AnsiString text = print.Lines()->Strings(i);
      const auto cuts = print.WrapPositions(text);
      int start = 0;
      for (int cut : cuts) {
        ASSERT_GT(cut, start);
        ASSERT_LE(cut - start, print.MaxCol());
        start = cut;
      }
      ASSERT_LE(static_cast<int>(text.size()) - start, print.MaxCol());
      rows += print.Wrap() ? static_cast<int>(cuts.size()) + 1 : 1;
    }
    ASSERT_LE(pages, std::max(1, rows));
    if (round % 10 == 0) print.PrintRange(1, 2);
    ASSERT_FALSE(printer.Printing());
  }
}

}  // namespace
