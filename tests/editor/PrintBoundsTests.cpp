// The bounds of printing: a text area exactly N rows high holds N rows, and a header or footer
// item asked for outside the band names its index.
#include <gtest/gtest.h>

#include "editor/TxtEditPrint.h"
#include "tests/editor/PrintTestSupport.h"
#include "tests/framework/Raised.h"

TEST(PrintPages, ATextAreaOfExactlyNRowsHoldsNRows) {
  TFakePrinter printer;
  TTxtEditPrint print(nullptr);
  print.SetPrinterObject(&printer);
  TFont font;
  font.SetName(L"Courier New");
  font.SetSize(10);
  print.SetFont(&font);
  auto setLines = [&](int count) {
    TStringList lines;
    for (int i = 0; i < count; ++i) lines.Add("line " + std::to_string(i + 1));
    print.SetLines(&lines);
  };
  // Move the bottom margin until the text area is a whole number of rows high.
  int rows = 0;
  for (int tenths = 100; tenths < 400 && rows == 0; ++tenths) {
    print.Margins()->SetBottom(tenths / 10.0);
    setLines(1);
    ASSERT_EQ(print.PageCount(), 1);
    const int area = print.Margins()->PBottom - print.Margins()->PTop;
    if (area % print.LineHeight() == 0) rows = area / print.LineHeight();
  }
  ASSERT_GT(rows, 2);
  setLines(rows);
  EXPECT_EQ(print.PageCount(), 1);
  setLines(rows + 1);
  EXPECT_EQ(print.PageCount(), 2);
  EXPECT_EQ(print.Pages()[1].FirstLine, rows);
  setLines(2 * rows);
  EXPECT_EQ(print.PageCount(), 2);
  setLines(2 * rows + 1);
  EXPECT_EQ(print.PageCount(), 3);
}

TEST(PrintBands, AnItemOutsideTheBandNamesItsIndex) {
  TTxtEditPrint print(nullptr);
  THeaderFooter* bands[] = {print.Header(), print.Footer()};
  for (THeaderFooter* band : bands) {
    band->Add("first", nullptr, taLeftJustify, 1);
    band->Add("second", nullptr, taRightJustify, 2);
    EXPECT_EQ(band->Get(1)->Text(), "second");
    for (int index : {-1, 2, 100}) {
      const std::string text = "List index out of bounds (" + std::to_string(index) + ")";
      EXPECT_EQ(Raised<EListError>([&] { band->Get(index); }), text);
      EXPECT_EQ(Raised<EListError>([&] { band->Delete(index); }), text);
    }
    EXPECT_EQ(band->Count(), 2);
    band->Delete(0);
    EXPECT_EQ(band->Get(0)->Text(), "second");
    band->Clear();
    EXPECT_EQ(Raised<EListError>([&] { band->Get(0); }), "List index out of bounds (0)");
  }
}
