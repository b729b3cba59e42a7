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
    canvas_.SetHandle(page_.DC());
  }
  ~PrintTest() override { canvas_.SetHandle(nullptr); }
  // Page `n` laid out and drawn on page_.
  void Render(int n) {
    print_.LayoutOnCanvas(&canvas_);
    print_.PrintToCanvas(&canvas_, n);
  }
  void SetMargins(double left, double right, double top, double bottom) {
    print_.Margins()->SetLeft(left);
    print_.Margins()->SetRight(right);
    print_.Margins()->SetTop(top);
    print_.Margins()->SetBottom(bottom);
  }
  void SetLines(const std::vector<std::string>& list) {
    TStringList lines;
    for (const auto& s : list) lines.Add(s);
    print_.SetLines(&lines);
  }
  void SetText(int count) {
    std::vector<std::string> list;
    for (int i = 0; i < count; ++i) list.push_back("line " + std::to_string(i + 1));
    SetLines(list);
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
  TTestPicture page_{800, 1130};
  TCanvas canvas_;
  std::vector<std::string> events_;
  std::vector<std::pair<int, int>> lines_;
  int abortAt_ = 0;
};

TEST_F(PrintTest, EmptyDocumentHasOnePageWithItsBands) {
  SetText(0);
  print_.Header()->Add("head", nullptr, taLeftJustify, 1);
  print_.Print();
  EXPECT_EQ(events_, (std::vector<std::string>{"begin 1", "page 1", "end 1"}));
  EXPECT_EQ(printer_.Log, (std::vector<std::string>{"B:", "E"}));
  EXPECT_GT(printer_.Surface().Width() * printer_.Surface().Height() - printer_.Surface().Count(0xFFFFFF), 0);
}

TEST_F(PrintTest, WrappedRowsAreReservedAndALineTallerThanAPageBreaksBetweenThem) {
  const int perPage = RowsPerPage(), m = print_.MaxCol();
  ASSERT_GT(m, 20);
  // A line without break characters three rows long, after lines filling all but three rows.
  TStringList lines;
  for (int i = 0; i < perPage - 3; ++i) lines.Add("x");
  lines.Add(std::string(static_cast<size_t>(3 * m), 'a'));
  print_.SetLines(&lines);
  EXPECT_EQ(print_.PageCount(), 1);
  lines.Add("next");
  print_.SetLines(&lines);
  EXPECT_EQ(print_.PageCount(), 2);
  SetLines({"first", std::string(static_cast<size_t>(m * (2 * perPage + 3)), 'w'), "last"});
  EXPECT_EQ(print_.PageCount(), 3);
  EXPECT_EQ(print_.Pages()[1].FirstRow, perPage - 1);
  print_.Print();
  // The long line is reported once, on the page where its last row is printed.
  EXPECT_EQ(lines_, (std::vector<std::pair<int, int>>{{1, 1}, {2, 3}, {3, 3}}));
}

TEST_F(PrintTest, ATextAreaNarrowerThanACharacterStillEnds) {
  SetMargins(150, 150, 200, 200);
  SetLines({std::string(50, 'a'), "b c d e f"});
  const int pages = print_.PageCount();
  EXPECT_EQ(pages, 50 + 9);  // one character a row, one row a page
  print_.PrintRange(1, 2);
  EXPECT_EQ(events_.back(), "end 2");
}

TEST_F(PrintTest, SelectionModes) {
  SetLines({"0123456789", "abcdefghij", "ABCDEFGHIJ", "klmnopqrst"});
  print_.SetSelectedOnly(true);
  print_.Print();  // without a selection: nothing at all
  EXPECT_TRUE(events_.empty() && printer_.Log.empty());
  struct Case {
    TTxtSelectionMode mode;
    std::vector<std::string> texts;
  } cases[] = {
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

TEST_F(PrintTest, RangesAndCopies) {
  const int perPage = RowsPerPage();
  SetText(3 * perPage);
  ASSERT_EQ(print_.PageCount(), 3);
  struct Case {
    int first, last, copies;
    std::vector<std::string> events;
    int sheets;
  } cases[] = {
      {2, 3, 2, {"begin 2", "page 2", "page 3", "page 2", "page 3", "end 3"}, 4},
      {1, -1, 1, {"begin 1", "page 1", "page 2", "page 3", "end 3"}, 3},
      {0, 99, 1, {"begin 0", "page 1", "page 2", "page 3", "end 3"}, 3},
      {5, -1, 1, {"begin 5", "page 3", "end 3"}, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    events_.clear(), printer_.Log.clear();
    print_.SetCopies(c.copies);
    print_.PrintRange(c.first, c.last);
    EXPECT_EQ(events_, c.events);
    EXPECT_EQ(std::count(printer_.Log.begin(), printer_.Log.end(), "N"), c.sheets - 1);
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
  EXPECT_TRUE(!printer_.Printing() && printer_.Aborted() && !print_.Printing());
}

TEST_F(PrintTest, AFailingJobIsThrownAwayAndPrintingCanStartAgain) {
  SetText(3 * RowsPerPage());
  printer_.FailNewPage = true;
  EXPECT_THROW(print_.Print(), EPrinter);
  EXPECT_TRUE(!printer_.Printing() && !print_.Printing());
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
  canvas_.Font()->SetPixelsPerInch(100);
  canvas_.Font()->Assign(print_.Font());
  EXPECT_EQ(print_.Margins()->PLeft - plain, canvas_.TextWidth(AnsiString("10: ")));
  print_.SetLineOffset(990);
  print_.PageCount();
  EXPECT_EQ(print_.Margins()->PLeft - plain, canvas_.TextWidth(AnsiString("1000: ")));
}

TEST_F(PrintTest, BackgroundFollowsThePagesOwnMirroredLayout) {
  SetText(2 * RowsPerPage());
  print_.Margins()->SetMirrorMargins(true);
  print_.Margins()->SetGutter(20);
  print_.SetColor(TColor(0x00FFFF));
  Render(2);
  const auto* m = print_.Margins();
  const int y = m->PBottom - 3;
  print_.PrintToCanvas(&canvas_, 7);  // clamped to the last page
  EXPECT_EQ(events_, (std::vector<std::string>{"page 2", "page 2"}));
  EXPECT_EQ((std::vector<uint32_t>{page_.Pixel(m->PLeft - 2, y), page_.Pixel(m->PLeft + 2, y),
                                   page_.Pixel(m->PRight - 2, y), page_.Pixel(m->PRight + 2, y)}),
            (std::vector<uint32_t>{0xFFFFFF, 0x00FFFF, 0x00FFFF, 0xFFFFFF}));
}

TEST_F(PrintTest, PiecesLongerThanAThousandCharactersAreDrawnWhole) {
  TFakePrinter wide(1, {4200, 600, 4100, 500, 0, 0, 100});
  print_.SetPrinterObject(&wide);
  SetMargins(5, 5, 5, 5);
  print_.Font()->SetSize(2);
  print_.SetFont(print_.Font());
  print_.SetWrap(false);
  SetLines({std::string(3000, '#')});
  print_.LayoutOnCanvas(wide.Canvas());
  ASSERT_GT(print_.MaxCol(), 1500);
  print_.PrintToCanvas(wide.Canvas(), 1);
  const int x = print_.Margins()->PLeft + 1400 * print_.CharWidth(), w = 40 * print_.CharWidth();
  EXPECT_LT(wide.Surface().Count(0xFFFFFF, x, 0, x + w, 100), w * 100);
}

// The preview lays out once and then draws each paint on a canvas of its own: the text of the
// second canvas is as tall as the first's, not drawn in that canvas's default font.
TEST_F(PrintTest, APageDrawnOnAFreshCanvasUsesTheLayoutsFont) {
  SetLines({std::string(20, '#'), std::string(20, '#')});
  Render(1);
  const auto* m = print_.Margins();
  const int rows = print_.LineHeight() * 2, cols = print_.CharWidth() * 20;
  const int inked = page_.Count(0xFFFFFF, m->PLeft, m->PTop, m->PLeft + cols, m->PTop + rows);
  TTestPicture second{800, 1130};
  TCanvas fresh;
  fresh.SetHandle(second.DC());
  print_.PrintToCanvas(&fresh, 1);
  fresh.SetHandle(nullptr);
  EXPECT_EQ(second.Count(0xFFFFFF, m->PLeft, m->PTop, m->PLeft + cols, m->PTop + rows), inked);
}

TEST_F(PrintTest, HighlightedTokensUseTheirColoursOnlyWithColors) {
  TTestHighlighter hl(nullptr);
  print_.SetHighlighter(&hl);
  SetLines({"if x /* open", "still comment */ while"});
  Render(1);
  EXPECT_EQ(page_.Count(TTestHighlighter::KeywordColor), 0);
  print_.SetColors(true);
  print_.PrintToCanvas(&canvas_, 1);
  const auto* m = print_.Margins();
  const int lh = print_.LineHeight(), cw = print_.CharWidth();
  // Line 2 starts inside the comment the first line opened.
  EXPECT_GT(page_.Count(TTestHighlighter::CommentColor, m->PLeft, m->PTop + lh, m->PLeft + 5 * cw, m->PTop + 2 * lh),
            0);
  EXPECT_GT(page_.Count(TTestHighlighter::KeywordColor, m->PLeft, m->PTop, m->PLeft + 2 * cw, m->PTop + lh), 0);
}

TEST(PrintNoPrinter, LaysOutOnA4At300DpiWithAnEmptyPrinterList) {
  TFakePrinter none(0);
  TPrinter* previous = ReplacePrinter(&none);
  TTxtEditPrint print(nullptr);
  EXPECT_EQ(print.PageCount(), 1);
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
  ASSERT_EQ(print.Lines()->Count(), 3);
  print.SetSelectedOnly(true);
  const AnsiString all = print.Lines()->Strings(0) + "|" + print.SelectedText(0) + "|" + print.SelectedText(1);
  EXPECT_EQ(all + "|" + print.SelectedText(2), "a   bcdef|bcdef|xyz|    l");
}

}  // namespace
