// Painting of the editor control, checked by pixels on the screen under Xvfb: the gutter with
// its numbers, border, gradient and bookmark glyphs; selection, active-line and special-line
// colours; the right edge; visible blanks; tokens coloured by a highlighter; scrolling.
#include <gtest/gtest.h>

#include "editor/TxtEdit.h"
#include "editor/TxtEditPaint.h"
#include "tests/editor/EditTestSupport.h"
#include "tests/editor/EditingTestSupport.h"
#include "tests/editor/TestHighlighter.h"

namespace {

const uint32_t White = 0xFFFFFF;

// The middle of a cell, where its background shows in every row the glyph leaves free: the
// top row of a cell is above every glyph of these fonts.
uint32_t CellBackground(const TTestPicture& S, const TRect& Cell) {
  return S.Pixel(Cell.Left + (Cell.Right - Cell.Left) / 2, Cell.Top);
}

// The x range of the ink in a band of rows (Left = Right = -1 without ink).
std::pair<int, int> InkColumns(const TTestPicture& S, int Left, int Top, int Right, int Bottom, uint32_t Background) {
  int first = -1, last = -1;
  for (int x = Left; x < Right; ++x)
    for (int y = Top; y < Bottom; ++y)
      if (S.Pixel(x, y) != Background) {
        if (first < 0) first = x;
        last = x;
        break;
      }
  return {first, last};
}

struct TGutterPaints {
  void Paint(TObject*, int Line, int X, int Y) { calls.push_back({Line, X, Y}); }
  struct TCall {
    int Line, X, Y;
  };
  std::vector<TCall> calls;
};

struct TSpecialLine {
  void Colors(TObject*, int Line, bool& Special, TColor& FG, TColor& BG) {
    if (Line != line) return;
    Special = true;
    FG = fg;
    BG = bg;
  }
  int line = 3;
  TColor fg = clWhite;
  TColor bg = clNavy;
};

}  // namespace

TEST(EditPaint, GutterWidthAndNumberPositions) {
  TEditorHost host(NumberedLines(30));
  TTxtEdit& edit = host.Edit();
  edit.Gutter()->SetShowLineNumbers(true);
  TTxtGutter& gutter = *edit.Gutter();
  const int gutterCell = TheTextDrawer(TFontStyles{}, gutter.Font()).GetCharWidth();
  const int gw = gutter.LeftOffset() + gutter.RightOffset() + 4 * gutterCell + 2;
  EXPECT_EQ(edit.GutterWidth(), gw);
  EXPECT_EQ(edit.TextOffset(), gw + 2);
  const int th = edit.TextHeight();
  auto shot = host.Capture();
  const uint32_t face = RGBOf(gutter.Color());
  // Line 10 carries its number, right-aligned against the right offset.
  auto ten = InkColumns(*shot, 0, 9 * th, gw - 2, 10 * th, face);
  ASSERT_GE(ten.first, 0);
  EXPECT_LE(ten.second, gw - gutter.RightOffset() - 2 - 1);
  EXPECT_GE(ten.second, gw - gutter.RightOffset() - 2 - gutterCell);
  EXPECT_LT(ten.first, gw - gutter.RightOffset() - 2 - gutterCell);  // two digits
  // The middle border: a line in the border colour, then one in the gutter's colour.
  EXPECT_EQ(shot->Pixel(gw - 2, th / 2), RGBOf(gutter.BorderColor()));
  EXPECT_EQ(shot->Pixel(gw - 1, th / 2), face);
}

TEST(EditPaint, EveryTenthLineAndTheCaretLineCarryNumbers) {
  TEditorHost host(400, 600);
  TTxtEdit& edit = host.Edit();
  edit.SetTextA(NumberedLines(30));
  edit.Gutter()->SetShowLineNumbers(true);
  const int gw = edit.GutterWidth(), th = edit.TextHeight();
  const uint32_t face = RGBOf(edit.Gutter()->Color());
  auto width = [&](const TTestPicture& s, int line) {
    auto ink = InkColumns(s, 0, (line - 1) * th, gw - 2, line * th, face);
    return ink.first < 0 ? 0 : ink.second - ink.first + 1;
  };
  auto shot = host.Capture();
  const int dot = width(*shot, 3);
  EXPECT_GT(dot, 0);
  EXPECT_GT(width(*shot, 10), dot);
  EXPECT_EQ(width(*shot, 11), dot);
  // The number follows the caret.
  edit.SetCaretXY({1, 17});
  shot = host.Capture();
  EXPECT_GT(width(*shot, 17), dot);
}

TEST(EditPaint, SelectionColours) {
  TEditorHost host("abcdef\r\nghijkl\r\nmnopqr");
  TTxtEdit& edit = host.Edit();
  const uint32_t selBack = RGBOf(edit.SelectedColor()->Background());
  edit.SetBlockBegin({2, 1});
  edit.SetBlockEnd({4, 1});  // b and c: three parts of one row
  auto shot = host.Capture();
  for (int col = 1; col <= 4; ++col)
    EXPECT_EQ(CellBackground(*shot, host.Cell(col, 1)), col == 2 || col == 3 ? selBack : White) << col;
  // Over three lines: the middle row is selected to the window's edge, the last to its end.
  edit.SetBlockEnd({3, 3});
  shot = host.Capture();
  EXPECT_EQ(CellBackground(*shot, host.Cell(30, 1)), selBack);
  EXPECT_EQ(CellBackground(*shot, host.Cell(30, 2)), selBack);
  EXPECT_EQ(CellBackground(*shot, host.Cell(2, 3)), selBack);
  EXPECT_EQ(CellBackground(*shot, host.Cell(3, 3)), White);
  edit.SelectedColor()->SetBackground(clLime);
  // Line mode selects whole rows; column mode a rectangle.
  edit.SetSelectionMode(smLine);
  edit.SetBlockBegin({2, 1});
  edit.SetBlockEnd({2, 2});
  shot = host.Capture();
  EXPECT_EQ(CellBackground(*shot, host.Cell(1, 1)), 0x00FF00u);
  EXPECT_EQ(CellBackground(*shot, host.Cell(40, 2)), 0x00FF00u);
  edit.SetSelectionMode(smColumn);
  edit.SetBlockBegin({2, 1});
  edit.SetBlockEnd({4, 3});
  shot = host.Capture();
  for (int row = 1; row <= 3; ++row)
    for (int col = 1; col <= 4; ++col)
      EXPECT_EQ(CellBackground(*shot, host.Cell(col, row)), col == 2 || col == 3 ? 0x00FF00u : White) << row;
}

// On a system with double-byte characters, a column block whose edge falls on a character's
// second byte takes the character whole outside (left edge) or inside (right edge) the block.
TEST(EditPaint, ColumnEdgesPassTheSecondByteOfACharacter) {
  const TTxtLeadByteTest saved = TxtEditLeadByteTest();
  SetTxtEditLeadByteTest([](unsigned char b) { return b >= 0x81 && b <= 0x9F; });
  TEditorHost host(
      "abcdef\r\na\x81\x40"
      "bcd\r\nabc\x81\x40"
      "d");
  TTxtEdit& edit = host.Edit();
  const uint32_t selBack = RGBOf(edit.SelectedColor()->Background());
  Select(edit, {3, 3}, {5, 1}, smColumn);  // columns 3 and 4
  auto shot = host.Capture();
  SetTxtEditLeadByteTest(saved);
  const char* const selected[] = {"..##..", "...#..", "..###."};
  for (int row = 1; row <= 3; ++row)
    for (int col = 1; col <= 6; ++col)
      EXPECT_EQ(CellBackground(*shot, host.Cell(col, row)), selected[row - 1][col - 1] == '#' ? selBack : White)
          << row << "," << col;
}

TEST(EditPaint, RightEdgeLine) {
  TEditorHost host("a\r\nb");
  TTxtEdit& edit = host.Edit();
  edit.SetRightEdge(10);
  const int x = 10 * edit.CharWidth() + edit.TextOffset();
  auto shot = host.Capture();
  const uint32_t silver = RGBOf(clSilver);
  EXPECT_EQ(shot->Pixel(x, 1), silver);
  EXPECT_EQ(shot->Pixel(x, host.Height() - 2), silver);  // below the text too
  edit.SetRightEdgeColor(clRed);
  shot = host.Capture();
  EXPECT_EQ(shot->Pixel(x, 1), RGBOf(clRed));
  edit.SetRightEdge(0);
  shot = host.Capture();
  EXPECT_EQ(shot->Pixel(x, 1), White);
}

TEST(EditPaint, ActiveLineColour) {
  TEditorHost host("one\r\ntwo\r\nthree");
  TTxtEdit& edit = host.Edit();
  edit.SetActiveLineColor(clYellow);
  edit.SetCaretXY({1, 2});
  auto shot = host.Capture();
  const uint32_t yellow = RGBOf(clYellow);
  EXPECT_EQ(CellBackground(*shot, host.Cell(1, 2)), yellow);
  EXPECT_EQ(CellBackground(*shot, host.Cell(1, 1)), White);
  // It moves with the caret.
  edit.SetCaretXY({1, 3});
  shot = host.Capture();
  EXPECT_EQ(CellBackground(*shot, host.Cell(1, 2)), White);
  EXPECT_EQ(CellBackground(*shot, host.Cell(20, 3)), yellow);
  // The token backgrounds of a highlighter give way to it on the caret line.
  TTestHighlighter h(nullptr);
  edit.SetHighlighter(&h);
  edit.SetTextA("12\r\n12");
  edit.SetCaretXY({1, 2});
  shot = host.Capture();
  EXPECT_EQ(CellBackground(*shot, host.Cell(1, 1)), RGBOf(TTestHighlighter::NumberBack));
  EXPECT_EQ(CellBackground(*shot, host.Cell(1, 2)), yellow);
  edit.SetHighlighter(nullptr);
}

TEST(EditPaint, SpecialLineColoursAndInvertedSelection) {
  TEditorHost host("aaaa\r\nbbbb\r\ncccc\r\ndddd");
  TTxtEdit& edit = host.Edit();
  TSpecialLine special;
  edit.OnSpecialLineColors = TSpecialLineColorsEvent(&special, &TSpecialLine::Colors);
  auto shot = host.Capture();
  const uint32_t navy = RGBOf(clNavy);
  EXPECT_EQ(CellBackground(*shot, host.Cell(1, 3)), navy);
  EXPECT_GT(CountIn(*shot, host.Cell(1, 3), White), 0);  // the text in the line's colour
  // On a special line the selection shows inverted: background in the line's text colour.
  edit.SetBlockBegin({2, 3});
  edit.SetBlockEnd({3, 3});
  shot = host.Capture();
  EXPECT_EQ(CellBackground(*shot, host.Cell(2, 3)), White);
  EXPECT_GT(CountIn(*shot, host.Cell(2, 3), navy), 0);
  EXPECT_EQ(CellBackground(*shot, host.Cell(3, 3)), navy);
}

TEST(EditPaint, VisibleWhitespaceGlyphs) {
  TEditorHost host;
  TTxtEdit& edit = host.Edit();
  edit.SetTabWidth(8);
  edit.SetTextA("a b\t\r\n\r\nx");
  auto plain = host.Capture();
  for (int col = 4; col <= 10; ++col) EXPECT_EQ(InkIn(*plain, host.Cell(col, 1), White), 0) << col;
  edit.SetOptions(edit.Options() + eoShowSpecialChars);
  auto shot = host.Capture();
  EXPECT_GT(InkIn(*shot, host.Cell(2, 1), White), 0);  // the space's middle dot
  // The tab covers columns 4 to 8, its glyph in the middle one; the pilcrow follows the line.
  for (int col = 4; col <= 10; ++col)
    EXPECT_EQ(InkIn(*shot, host.Cell(col, 1), White) > 0, col == 6 || col == 9) << col;
  // An empty line shows only its pilcrow.
  EXPECT_GT(InkIn(*shot, host.Cell(1, 2), White), 0);
  EXPECT_EQ(InkIn(*shot, host.Cell(2, 2), White), 0);
  // The same with a highlighter.
  TTestHighlighter h(nullptr);
  edit.SetHighlighter(&h);
  shot = host.Capture();
  for (int col = 4; col <= 10; ++col)
    EXPECT_EQ(InkIn(*shot, host.Cell(col, 1), White) > 0, col == 6 || col == 9) << col;
  EXPECT_GT(InkIn(*shot, host.Cell(1, 2), White), 0);
  edit.SetHighlighter(nullptr);
  // A column block that ends inside the tab: the glyph stays in the middle of the tab's run
  // (outside the block), not in the middle of the block's part of it.
  edit.SetTextA("a b\t\r\n0123456789");
  Select(edit, {4, 1}, {6, 2}, smColumn);  // columns 4 and 5
  shot = host.Capture();
  const uint32_t selBack = RGBOf(edit.SelectedColor()->Background());
  for (int col = 4; col <= 5; ++col) EXPECT_EQ(InkIn(*shot, host.Cell(col, 1), selBack), 0) << col;
}

TEST(EditPaint, ALineEndLeftOfTheWindowShowsNoPilcrow) {
  for (const bool highlighted : {false, true}) {
    TEditorHost host("ab\r\n" + std::string(60, 'x'));
    TTestHighlighter h(nullptr);
    if (highlighted) host.Edit().SetHighlighter(&h);
    host.Edit().SetOptions(host.Edit().Options() + eoShowSpecialChars);
    host.Edit().SetLeftChar(10);
    auto shot = host.Capture();
    EXPECT_EQ(InkIn(*shot, host.Cell(10, 1), White), 0) << highlighted;
    EXPECT_EQ(InkIn(*shot, host.Cell(11, 1), White), 0) << highlighted;
    host.Edit().SetLeftChar(3);  // the end of "ab" in the first column shown
    shot = host.Capture();
    EXPECT_GT(InkIn(*shot, host.Cell(3, 1), White), 0) << highlighted;
  }
}

TEST(EditPaint, AHighlighterColoursTokens) {
  TEditorHost host;
  TTxtEdit& edit = host.Edit();
  TTestHighlighter h(nullptr);
  edit.SetTextA("if 12 x /* note\r\nstill */ y");
  edit.SetHighlighter(&h);
  auto shot = host.Capture();
  EXPECT_GT(CountIn(*shot, host.Cell(1, 1), RGBOf(TTestHighlighter::KeywordColor)), 0);
  EXPECT_EQ(CellBackground(*shot, host.Cell(4, 1)), RGBOf(TTestHighlighter::NumberBack));
  EXPECT_GT(CountIn(*shot, host.Cell(4, 1), RGBOf(TTestHighlighter::NumberColor)), 0);
  EXPECT_EQ(CellBackground(*shot, host.Cell(6, 1)), White);
  // The comment carries over to the next line.
  EXPECT_GT(CountIn(*shot, host.Cell(1, 2), RGBOf(TTestHighlighter::CommentColor)), 0);
  EXPECT_EQ(CountIn(*shot, host.Cell(10, 2), RGBOf(TTestHighlighter::CommentColor)), 0);
  EXPECT_GT(InkIn(*shot, host.Cell(10, 2), White), 0);  // "y" in the font's colour
  // The whitespace attribute's background fills the empty space.
  h.Space()->SetBackground(clAqua);
  shot = host.Capture();
  EXPECT_EQ(CellBackground(*shot, host.Cell(3, 1)), RGBOf(clAqua));
  h.Space()->SetBackground(clNavy);  // would hide the text drawn in the font's colour
  // A disabled highlighter paints nothing of its own.
  h.SetEnabled(false);
  shot = host.Capture();
  EXPECT_EQ(CellBackground(*shot, host.Cell(4, 1)), White);
  EXPECT_EQ(CellBackground(*shot, host.Cell(3, 1)), White);
  EXPECT_EQ(shot->Pixel(host.Width() - 2, host.Height() - 2), White);
  EXPECT_EQ(CountIn(*shot, host.Cell(1, 1), RGBOf(TTestHighlighter::KeywordColor)), 0);
  edit.SetHighlighter(nullptr);
}

TEST(EditPaint, BlankPartsTakeTheBackgroundOfNoRange) {
  // Blanks tell the range they are asked in: inside a comment the keywords' yellow, else aqua.
  struct TRangeBlanks : TTestHighlighter {
    using TTestHighlighter::TTestHighlighter;
    TTxtHighlighterAttributes* GetDefaultAttribute(int Index) const override {
      return Index == 4 && GetRange() ? Keyword() : TTestHighlighter::GetDefaultAttribute(Index);
    }
  } h(nullptr);
  h.Space()->SetBackground(clAqua);
  h.Keyword()->SetBackground(clYellow);
  // The text ends inside an open comment, the range the last line leaves behind.
  TEditorHost host("a\r\n/* open\r\nstill");
  TTxtEdit& edit = host.Edit();
  edit.SetHighlighter(&h);
  auto shot = host.Capture();
  const int gap = edit.GutterWidth();
  // The gap beside the first row and beside a comment row, below the last row and far right.
  for (auto [x, y] : {std::pair{gap, host.Cell(1, 1).Top + 1},
                      {gap + 1, host.Cell(1, 2).Top + 1},
                      {host.Cell(5, 5).Left + 1, host.Cell(5, 5).Top + 1},
                      {host.Width() - 2, host.Height() - 2}})
    EXPECT_EQ(shot->Pixel(x, y), RGBOf(clAqua)) << x << "," << y;
  EXPECT_EQ(CellBackground(*shot, host.Cell(20, 3)), RGBOf(clYellow));  // the comment's own row
}

TEST(EditPaint, TokensScrolledPastTheLeftEdgeAreCut) {
  TEditorHost host;
  TTxtEdit& edit = host.Edit();
  TTestHighlighter h(nullptr);
  edit.SetTextA("ab 123456 cd");
  edit.SetHighlighter(&h);
  edit.SetLeftChar(6);
  auto shot = host.Capture();
  // Column 6 shows "3456" from the number token, then a blank and "cd".
  EXPECT_EQ(CellBackground(*shot, host.Cell(6, 1)), RGBOf(TTestHighlighter::NumberBack));
  EXPECT_EQ(CellBackground(*shot, host.Cell(9, 1)), RGBOf(TTestHighlighter::NumberBack));
  EXPECT_EQ(CellBackground(*shot, host.Cell(10, 1)), White);
  edit.SetHighlighter(nullptr);
}

TEST(EditPaint, FarToTheRightOfAVeryLongLine) {
  TEditorHost host;
  TTxtEdit& edit = host.Edit();
  TTestHighlighter h(nullptr);
  // 300,000 blanks, a number, blanks, a tab, a number: the cells far right still show what is
  // there, with the tab expanded from the start of the line.
  AnsiString line(300000, ' ');
  line += "12345   \t678";
  edit.SetTextA(line);
  edit.SetHighlighter(&h);
  edit.SetOptions(edit.Options() + eoAutoSizeMaxScrollWidth);
  edit.SetLeftChar(299998);
  ASSERT_EQ(edit.LeftChar(), 299998);
  const int tabEnd = (300008 / 8 + 1) * 8;  // the column after the tab
  auto shot = host.Capture();
  const uint32_t number = RGBOf(TTestHighlighter::NumberBack);
  const std::pair<int, uint32_t> cells[] = {{300000, White},      {300001, number},   {300005, number},
                                            {300006, White},      {tabEnd, White},    {tabEnd + 1, number},
                                            {tabEnd + 3, number}, {tabEnd + 4, White}};
  for (auto [col, color] : cells) EXPECT_EQ(CellBackground(*shot, host.Cell(col, 1)), color) << col;
  // The caret at the end of the line converts to the same column and back.
  edit.SetCaretXY({static_cast<int>(line.size()) + 1, 1});
  EXPECT_EQ(edit.DisplayX(), tabEnd + 4);
  EXPECT_EQ(edit.DisplayToBufferPos({tabEnd + 4, 1}), (TBufferCoord{static_cast<int>(line.size()) + 1, 1}));
  edit.SetHighlighter(nullptr);
}

TEST(EditPaint, ScrollingShowsWhatAFullPaintShows) {
  TEditorHost host;
  TTxtEdit& edit = host.Edit();
  edit.Gutter()->SetShowLineNumbers(true);
  AnsiString text;
  for (int i = 1; i <= 200; ++i)
    text += "line " + std::to_string(i) + " " + AnsiString(static_cast<size_t>(i % 37), '=') + "\r\n";
  edit.SetTextA(text);
  edit.SetOptions(edit.Options() + eoShowSpecialChars);
  host.Settle();
  auto compare = [&](const char* what) {
    auto scrolled = host.Capture();
    edit.Invalidate();
    auto full = host.Capture();
    int differing = 0;
    for (int y = 0; y < full->Height(); ++y)
      for (int x = 0; x < full->Width(); ++x)
        if (scrolled->Pixel(x, y) != full->Pixel(x, y)) ++differing;
    EXPECT_EQ(differing, 0) << what;
  };
  edit.SetTopLine(4);
  compare("down 3");
  edit.SetTopLine(2);
  compare("up 2");
  edit.SetLeftChar(5);
  compare("right 4");
  // Repaints still pending when the window scrolls move with it.
  edit.SetActiveLineColor(clYellow);
  edit.SetCaretXY({1, edit.TopLine()});
  host.Settle();
  edit.SetCaretXY({1, edit.TopLine() + edit.LinesInWindow() + 1});
  compare("caret below the window");
  edit.BeginUpdate();
  edit.Lines()->SetStrings(edit.TopLine() + 2, "changed while locked");
  edit.SetTopLine(edit.TopLine() - 2);
  edit.EndUpdate();
  compare("a change, then a scroll");
  // Inside the buffer's own bracket the gathered rectangle moves with the scroll.
  edit.Lines()->BeginUpdate();
  edit.Lines()->SetStrings(edit.TopLine() + 1, "changed inside the bracket");
  edit.SetTopLine(edit.TopLine() + 3);
  edit.Lines()->EndUpdate();
  compare("a change inside the buffer's bracket, then a scroll");
}

TEST(EditPaint, BookmarkGlyphsInTheGutter) {
  TEditorHost host(NumberedLines(10));
  TTxtEdit& edit = host.Edit();
  TGutterPaints paints;
  edit.OnGutterPaint = TGutterPaintEvent(&paints, &TGutterPaints::Paint);
  auto* mark = new TTxtEditMark();
  mark->SetLine(2);
  mark->SetImage(3);
  mark->SetInternalImage(true);
  mark->SetBookmarkNumber(3);
  mark->SetVisible(true);
  edit.Marks()->Add(mark);
  auto shot = host.Capture();
  const int th = edit.TextHeight();
  const uint32_t face = RGBOf(edit.Gutter()->Color());
  const int left = edit.BookMarkOptions()->LeftMargin();
  // The glyph's frame is navy and it sits in the second row only.
  EXPECT_GT(CountIn(*shot, {left, th, left + 12, 2 * th}, 0x800000), 0);
  EXPECT_EQ(InkIn(*shot, {0, 0, edit.GutterWidth() - 2, th}, face), 0);
  EXPECT_EQ(InkIn(*shot, {0, 2 * th, edit.GutterWidth() - 2, 3 * th}, face), 0);
  // The gutter-paint event reports every line, with the mark's offset on line 2.
  bool line2 = false;
  for (const auto& c : paints.calls)
    if (c.Line == 2) {
      line2 = true;
      EXPECT_EQ(c.X, edit.BookMarkOptions()->Xoffset());
      EXPECT_EQ(c.Y, th);
    }
  EXPECT_TRUE(line2);
  // Hidden glyphs are not drawn.
  edit.BookMarkOptions()->SetGlyphsVisible(false);
  shot = host.Capture();
  EXPECT_EQ(CountIn(*shot, {left, th, left + 12, 2 * th}, 0x800000), 0);
}

TEST(EditPaint, InternalMarksWithoutAGlyphTakeNoRoom) {
  // The images of line 2's internal marks in list order, the offset in steps of Xoffset, a glyph.
  const std::tuple<std::vector<int>, int, bool> cases[] = {
      {{3}, 1, true}, {{12}, 0, false}, {{-1}, 0, false}, {{12, 3}, 1, true}, {{3, 4}, 2, true}};
  for (const auto& [images, steps, glyph] : cases) {
    TEditorHost host(NumberedLines(10));
    TTxtEdit& edit = host.Edit();
    TGutterPaints paints;
    edit.OnGutterPaint = TGutterPaintEvent(&paints, &TGutterPaints::Paint);
    for (int image : images) {
      auto* mark = new TTxtEditMark();
      mark->SetLine(2);
      mark->SetImage(image);
      mark->SetInternalImage(true);
      mark->SetVisible(true);
      edit.Marks()->Add(mark);
    }
    auto shot = host.Capture();
    const int th = edit.TextHeight(), left = edit.BookMarkOptions()->LeftMargin();
    EXPECT_EQ(CountIn(*shot, {left, th, left + 12, 2 * th}, 0x800000) > 0, glyph) << images[0] << images.back();
    int offset = -1;
    for (const auto& call : paints.calls)
      if (call.Line == 2) offset = call.X;
    EXPECT_EQ(offset, steps * edit.BookMarkOptions()->Xoffset()) << images[0] << images.back();
  }
}

TEST(EditPaint, GutterGradient) {
  TEditorHost host(NumberedLines(5));
  TTxtEdit& edit = host.Edit();
  TTxtGutter& gutter = *edit.Gutter();
  gutter.SetGradientStartColor(TColor(0x000000));
  gutter.SetGradientEndColor(TColor(0xFF0000));
  gutter.SetGradientSteps(2);
  gutter.SetBorderStyle(gbsNone);
  gutter.SetGradient(true);
  auto shot = host.Capture();
  const int gw = edit.GutterWidth();
  EXPECT_EQ(shot->Pixel(0, host.Height() - 1), 0x000000u);
  EXPECT_EQ(shot->Pixel(gw - 1, host.Height() - 1), RGBOf(TColor(0xFF0000)));
  EXPECT_EQ(shot->Pixel(gw / 2 - 1, 3), 0x000000u);
  EXPECT_EQ(shot->Pixel(gw / 2, 3), RGBOf(TColor(0xFF0000)));
}

TEST(EditPaint, AnItalicLastTokenKeepsItsOverhang) {
  TEditorHost host;
  TTxtEdit& edit = host.Edit();
  TTestHighlighter h(nullptr);
  h.Comment()->SetStyle({fsItalic});
  edit.SetHighlighter(&h);
  const int cw = edit.CharWidth(), th = edit.TextHeight();
  // Find a letter whose slanted glyph really inks past its cell, drawn freely on a surface.
  char best = 0;
  int reach = 0;
  for (char c : std::string("fWTVYKXZ")) {
    TTestPicture free(4 * cw, th, White);
    TheTextDrawer& drawer = *edit.TextDrawer();
    drawer.SetStyle({fsItalic});
    drawer.BeginDrawing(free.DC());
    drawer.SetForeColor(clBlack);
    drawer.SetBackColor(clWhite);
    SetBkMode(free.DC(), TRANSPARENT);
    drawer.ExtTextOut(cw, 0, 0, {0, 0, 4 * cw, th}, &c, 1);
    drawer.EndDrawing();
    const int ink = InkIn(free, {2 * cw, 0, 3 * cw, th}, White);
    if (ink > reach) {
      reach = ink;
      best = c;
    }
  }
  if (reach == 0) GTEST_SKIP() << "no slanted letter of this font inks past its cell";
  edit.SetTextA(AnsiString("/*") + best);
  auto shot = host.Capture();
  EXPECT_GT(InkIn(*shot, host.Cell(4, 1), White), 0);
  edit.SetHighlighter(nullptr);
}
