// Printing an editor's text: pagination, wrapping, selections, page ranges and copies, events,
// abort and failing jobs, line numbers and the page background, on a printer of the tests.
#include <gtest/gtest.h>

#include "editor/TxtEditPrint.h"
#include "tests/editor/PrintTestSupport.h"
#include "tests/editor/TestHighlighter.h"

namespace {

class PrintTest : public ::testing::Test {
 protected:
  PrintTest() : print_(nullptr) {
    print_.SetPrinterObject(&printer_);
    TFont font;
    font.SetName(L"Courier New");
    font.SetSize(10);
    print_.SetFont(&font);
    print_.OnPrintStatus = TPrintStatusEvent(this, &PrintTest::Status);
    print_.OnPrintLine = TPrintLineEvent(this, &PrintTest::Line);
  }
  void SetText(int count) {
    TStringList lines;
    for (int i = 0; i < count; ++i) lines.Add("line " + std::to_string(i + 1));
    print_.SetLines(&lines);
  }
  void SetLines(std::initializer_list<std::string> list) {
    TStringList lines;
    for (const auto& s : list) lines.Add(s);
    print_.SetLines(&lines);
  }
  // Rows that fit on one page of the current layout.
  int RowsPerPage() {
    print_.PageCount();
    const auto* m = print_.Margins();
    return std::max(1, (m->PBottom - m->PTop) / print_.LineHeight());
  }
  void Status(TObject*, TTxtPrintStatus s, int page, bool& abort) {
    events_.push_back((s == psBegin ? "begin " : s == psNewPage ? "page " : "end ") + std::to_string(page));
    if (s == psNewPage && page == abortAt_) abort = true;
  }
  void Line(TObject*, int line, int page) { lines_.emplace_back(line, page); }

  TFakePrinter printer_;
  TTxtEditPrint print_;
  std::vector<std::string> events_;
  std::vector<std::pair<int, int>> lines_;
  int abortAt_ = 0;
};

TEST_F(PrintTest, EmptyDocumentHasOnePageWithItsBands) {
  SetText(0);
  print_.Header()->Add("head", nullptr, taLeftJustify, 1);
  EXPECT_EQ(print_.PageCount(), 1);
  print_.Print();
  EXPECT_EQ(events_, (std::vector<std::string>{"begin 1", "page 1", "end 1"}));
  EXPECT_EQ(printer_.Log, (std::vector<std::string>{"B:", "E"}));
  EXPECT_GT(printer_.Surface().Width() * printer_.Surface().Height() - printer_.Surface().Count(0xFFFFFF), 0);
}

TEST_F(PrintTest, PagesBreakWhenTheNextRowDoesNotFit) {
  const int perPage = RowsPerPage();
  ASSERT_GT(perPage, 10);
  SetText(perPage);
  EXPECT_EQ(print_.PageCount(), 1);
  SetText(perPage + 1);
  EXPECT_EQ(print_.PageCount(), 2);
  EXPECT_EQ(print_.Pages()[1].FirstLine, perPage);
  SetText(3 * perPage + 1);
  EXPECT_EQ(print_.PageCount(), 4);
}

TEST_F(PrintTest, WrappedRowsAreReservedAndDrawn) {
  print_.PageCount();
  const int m = print_.MaxCol();
  ASSERT_GT(m, 20);
  const int perPage = RowsPerPage();
  // A line without break characters three rows long, after lines filling all but three rows.
  TStringList lines;
  for (int i = 0; i < perPage - 3; ++i) lines.Add("x");
  lines.Add(std::string(static_cast<size_t>(3 * m), 'a'));
  print_.SetLines(&lines);
  EXPECT_EQ(print_.PageCount(), 1);
  lines.Add("next");
  print_.SetLines(&lines);
  EXPECT_EQ(print_.PageCount(), 2);
  print_.SetWrap(false);
  EXPECT_EQ(print_.PageCount(), 1);
}

TEST_F(PrintTest, ALineTallerThanAPageBreaksBetweenItsRows) {
  print_.PageCount();
  const int m = print_.MaxCol();
  const int perPage = RowsPerPage();
  SetLines({"first", std::string(static_cast<size_t>(m * (2 * perPage + 3)), 'w'), "last"});
  EXPECT_EQ(print_.PageCount(), 3);
  EXPECT_EQ(print_.Pages()[1].FirstLine, 1);
  EXPECT_EQ(print_.Pages()[1].FirstRow, perPage - 1);
  print_.Print();
  // The long line is reported once, on the page where its last row is printed.
  EXPECT_EQ(lines_, (std::vector<std::pair<int, int>>{{1, 1}, {2, 3}, {3, 3}}));
}

TEST_F(PrintTest, ATextAreaNarrowerThanACharacterStillEnds) {
  print_.Margins()->SetLeft(150);
  print_.Margins()->SetRight(150);
  print_.Margins()->SetTop(200);
  print_.Margins()->SetBottom(200);
  SetLines({std::string(50, 'a'), "b c d e f"});
  const int pages = print_.PageCount();
  EXPECT_EQ(print_.MaxCol(), 1);
  EXPECT_EQ(pages, 50 + 9);  // one character a row, one row a page
  print_.PrintRange(1, 2);
  EXPECT_EQ(events_.back(), "end 2");
}

TEST_F(PrintTest, SelectionModes) {
  SetLines({"0123456789", "abcdefghij", "ABCDEFGHIJ", "klmnopqrst"});
  print_.SetSelectedOnly(true);
  struct Case { TTxtSelectionMode mode; std::vector<std::string> texts; } cases[] = {
      {smNormal, {"", "defghij", "ABCDEFGHIJ", "k"}},
      {smLine, {"", "abcdefghij", "ABCDEFGHIJ", "klmnopqrst"}},
      {smColumn, {"", "bc", "BC", "lm"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.mode));
    // From column 4 of line 2 to before column 2 of line 4 (a column block of columns 2..3).
    print_.SetSelection(true, BufferCoord(4, 2), BufferCoord(2, 4), c.mode);
    for (int i = 1; i < 4; ++i) EXPECT_EQ(print_.SelectedText(i), c.texts[static_cast<size_t>(i)]) << i;
      lines_.clear();
    print_.Print();
    EXPECT_EQ(lines_, (std::vector<std::pair<int, int>>{{2, 1}, {3, 1}, {4, 1}}));
  }
  // Line mode with the end at the start of a line still prints whole lines.
  print_.SetSelection(true, BufferCoord(1, 2), BufferCoord(1, 3), smLine);
  EXPECT_EQ(print_.SelectedText(2), "ABCDEFGHIJ");
}

TEST_F(PrintTest, SelectedOnlyWithoutSelectionPrintsNothing) {
  SetText(5);
  print_.SetSelectedOnly(true);
  print_.Print();
  EXPECT_TRUE(events_.empty());
  EXPECT_TRUE(printer_.Log.empty());
}

TEST_F(PrintTest, RangesAndCopies) {
  const int perPage = RowsPerPage();
  SetText(3 * perPage);
  ASSERT_EQ(print_.PageCount(), 3);
  struct Case { int first, last, copies; std::vector<std::string> events; int sheets; } cases[] = {
      {2, 3, 2, {"begin 2", "page 2", "page 3", "page 2", "page 3", "end 3"}, 4},
      {1, -1, 1, {"begin 1", "page 1", "page 2", "page 3", "end 3"}, 3},
      {0, 99, 1, {"begin 0", "page 1", "page 2", "page 3", "end 3"}, 3},
      {5, -1, 1, {"begin 5", "page 3", "end 3"}, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    events_.clear();
    printer_.Log.clear();
    print_.SetCopies(c.copies);
      print_.PrintRange(c.first, c.last);
    EXPECT_EQ(events_, c.events);
    EXPECT_EQ(std::count(printer_.Log.begin(), printer_.Log.end(), "N"), c.sheets - 1);
    EXPECT_EQ(printer_.Log.back(), "E");
  }
}

TEST_F(PrintTest, AbortFromTheStatusEventEndsTheJob) {
  const int perPage = RowsPerPage();
  SetText(3 * perPage);
  print_.SetTitle("Title");
  print_.SetDocTitle("Job");
  abortAt_ = 2;
  print_.Print();
  EXPECT_EQ(events_, (std::vector<std::string>{"begin 1", "page 1", "page 2"}));
  EXPECT_EQ(printer_.Log, (std::vector<std::string>{"B:Job", "N", "A"}));
  EXPECT_FALSE(printer_.Printing());
  EXPECT_TRUE(printer_.Aborted());
  EXPECT_FALSE(print_.Printing());
}

TEST_F(PrintTest, AFailingJobIsThrownAwayAndPrintingCanStartAgain) {
  SetText(3 * RowsPerPage());
  printer_.FailNewPage = true;
  EXPECT_THROW(print_.Print(), EPrinter);
  EXPECT_FALSE(printer_.Printing());
  EXPECT_FALSE(print_.Printing());
  EXPECT_EQ(printer_.Log.back(), "A");
  printer_.FailNewPage = false;
  printer_.Log.clear();
  print_.Print();
  EXPECT_EQ(printer_.Log, (std::vector<std::string>{"B:", "N", "N", "E"}));
}

TEST_F(PrintTest, LineNumberIndentFitsTheLargestPrintedNumber) {
  SetText(10);
  print_.PageCount();
  const int plain = print_.Margins()->PLeft;
  print_.SetLineNumbers(true);
  print_.PageCount();
  TCanvas canvas;
  canvas.SetHandle(printer_.Surface().DC());
  canvas.Font()->SetPixelsPerInch(100);
  canvas.Font()->Assign(print_.Font());
  EXPECT_EQ(print_.Margins()->PLeft - plain, canvas.TextWidth(AnsiString("10: ")));
  print_.SetLineOffset(990);
  print_.PageCount();
  EXPECT_EQ(print_.Margins()->PLeft - plain, canvas.TextWidth(AnsiString("1000: ")));
  canvas.SetHandle(nullptr);
}

TEST_F(PrintTest, BackgroundFollowsThePagesOwnMirroredLayout) {
  SetText(2 * RowsPerPage());
  print_.Margins()->SetMirrorMargins(true);
  print_.Margins()->SetGutter(20);
  print_.SetColor(TColor(0x00FFFF));
  TTestSurface page(800, 1130);
  TCanvas canvas;
  canvas.SetHandle(page.DC());
  print_.LayoutOnCanvas(&canvas);
  print_.PrintToCanvas(&canvas, 2);
  const auto* m = print_.Margins();
  const int y = m->PBottom - 3;
  EXPECT_EQ(page.Pixel(m->PLeft + 2, y), 0x00FFFFu);
  EXPECT_EQ(page.Pixel(m->PRight - 2, y), 0x00FFFFu);
  EXPECT_EQ(page.Pixel(m->PRight + 2, y), 0xFFFFFFu);
  EXPECT_EQ(page.Pixel(m->PLeft - 2, y), 0xFFFFFFu);
  canvas.SetHandle(nullptr);
}

TEST_F(PrintTest, PrintToCanvasClampsThePageNumber) {
  SetText(2 * RowsPerPage());
  TTestSurface page(800, 1130);
  TCanvas canvas;
  canvas.SetHandle(page.DC());
  print_.PrintToCanvas(&canvas, 7);
  print_.PrintToCanvas(&canvas, -1);
  EXPECT_EQ(events_, (std::vector<std::string>{"page 2", "page 1"}));
  canvas.SetHandle(nullptr);
}

TEST_F(PrintTest, PiecesLongerThanAThousandCharactersAreDrawnWhole) {
  TFakePrinter wide(1, {4200, 600, 4100, 500, 0, 0, 100});
  print_.SetPrinterObject(&wide);
  print_.Margins()->SetLeft(5);
  print_.Margins()->SetRight(5);
  print_.Margins()->SetTop(5);
  print_.Margins()->SetBottom(5);
  TFont tiny;
  tiny.SetName(L"Courier New");
  tiny.SetSize(2);
  print_.SetFont(&tiny);
  print_.SetWrap(false);
  SetLines({std::string(3000, '#')});
  TTestSurface page(4100, 100);
  TCanvas canvas;
  canvas.SetHandle(page.DC());
  print_.LayoutOnCanvas(&canvas);
  ASSERT_GT(print_.MaxCol(), 1500);
  print_.PrintToCanvas(&canvas, 1);
  const int x = print_.Margins()->PLeft + 1400 * print_.CharWidth();
  EXPECT_LT(page.Count(0xFFFFFF, x, 0, x + 40 * print_.CharWidth(), 100), 40 * print_.CharWidth() * 100);
  canvas.SetHandle(nullptr);
}

TEST_F(PrintTest, HighlightedTokensUseTheirColoursOnlyWithColors) {
  TTestHighlighter hl(nullptr);
  print_.SetHighlighter(&hl);
  SetLines({"if x /* open", "still comment */ while"});
  TTestSurface page(800, 1130);
  TCanvas canvas;
  canvas.SetHandle(page.DC());
  print_.LayoutOnCanvas(&canvas);
  print_.PrintToCanvas(&canvas, 1);
  EXPECT_EQ(page.Count(TTestHighlighter::KeywordColor), 0);
  print_.SetColors(true);
  print_.PrintToCanvas(&canvas, 1);
  const auto* m = print_.Margins();
  const int lh = print_.LineHeight();
  // Line 2 starts inside the comment the first line opened.
  EXPECT_GT(page.Count(TTestHighlighter::CommentColor, m->PLeft, m->PTop + lh, m->PLeft + 5 * print_.CharWidth(), m->PTop + 2 * lh), 0);
  EXPECT_GT(page.Count(TTestHighlighter::KeywordColor, m->PLeft, m->PTop, m->PLeft + 2 * print_.CharWidth(), m->PTop + lh), 0);
  canvas.SetHandle(nullptr);
  print_.SetHighlighter(nullptr);
}

TEST(PrintNoPrinter, LaysOutOnA4At300DpiWithAnEmptyPrinterList) {
  TFakePrinter none(0);
  TPrinter* previous = ReplacePrinter(&none);
  TTxtEditPrint print(nullptr);
  TStringList lines;
  for (int i = 0; i < 100; ++i) lines.Add("text");
  print.SetLines(&lines);
  EXPECT_GE(print.PageCount(), 1);
  EXPECT_EQ(print.PrinterInfo().PhysicalWidth(), 2481);
  EXPECT_EQ(print.Margins()->PRight, 2358 - print.PrinterInfo().RightMmToPixels(15));
  ReplacePrinter(previous);
}

}  // namespace

#include "tests/editor/EditTestSupport.h"

namespace {

TEST(PrintFromEditor, TakesLinesSelectionAndTabWidth) {
  TEditorHost host;
  TTxtEdit& edit = host.Edit();
  edit.SetTabWidth(4);
  edit.SetTextA("a\tbcdef\r\nxyz\r\n\tlast line");
  edit.SetBlockBegin(BufferCoord(3, 1));  // "b", at display column 5
  edit.SetBlockEnd(BufferCoord(3, 3));    // before "a", at display column 6
  TTxtEditPrint print(nullptr);
  print.SetTxtEdit(&edit);
  EXPECT_EQ(print.TabWidth(), 4);
  ASSERT_EQ(print.Lines()->Count(), 3);
  EXPECT_EQ(print.Lines()->Strings(0), "a   bcdef");
  print.SetSelectedOnly(true);
  EXPECT_EQ(print.SelectedText(0), "bcdef");
  EXPECT_EQ(print.SelectedText(1), "xyz");
  EXPECT_EQ(print.SelectedText(2), "    l");
}

}  // namespace
