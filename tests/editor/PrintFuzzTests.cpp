// Seeded fuzzing of what printing takes from the user: lines, margins and fonts that the layout
// must break into pages and rows without losing a character or running forever.
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
    TTxtEditPrintMargins* m = print.Margins();
    for (auto set : {&TTxtEditPrintMargins::SetLeft, &TTxtEditPrintMargins::SetRight, &TTxtEditPrintMargins::SetTop,
                     &TTxtEditPrintMargins::SetBottom, &TTxtEditPrintMargins::SetGutter})
      (m->*set)(static_cast<double>(static_cast<int>(rng() % 400) - 50));
    m->SetMirrorMargins((rng() & 1) != 0);
    print.Font()->SetSize(1 + static_cast<int>(rng() % 60));
    print.SetFont(print.Font());
    print.SetWrap((rng() & 3) != 0);
    print.SetLineNumbers((rng() & 1) != 0);
    const int pages = print.PageCount();
    ASSERT_GE(pages, 1);
    ASSERT_GE(print.MaxCol(), 1);
    // Whatever the margins, the text area stays on the printable area (280 x 380).
    ASSERT_TRUE(0 <= m->PLeft && m->PLeft < m->PRight && m->PRight <= 280 && m->PHeader >= 0);
    ASSERT_TRUE(0 <= m->PTop && m->PTop < m->PBottom && m->PBottom <= 380 && m->PFooter <= 380);
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
