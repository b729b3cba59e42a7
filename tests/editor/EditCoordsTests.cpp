// The editor's geometry without a window: option bits, caret shapes, columns of a line with
// tabs, cells and pixels, scroll limits, scroll bars of short and huge texts, paint ranges.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "editor/TxtEditCoords.h"

TEST(EditOptions, DefaultSetIsTheStoredValue) {
  EXPECT_EQ(TxtEditOptionsToBits(TxtEditDefaultOptions), 0x026C0192u);
  EXPECT_EQ(TxtEditOptionsFromBits(0x026C0192u), TxtEditDefaultOptions);
  // Bits above the last option are dropped, not wrapped onto other options.
  EXPECT_EQ(TxtEditOptionsToBits(TxtEditOptionsFromBits(0xFFFFFFFFu)), 0x07FFFFFFu);
}

TEST(EditOptions, CaretShapes) {
  EXPECT_EQ(TxtEditCaretShape(ctVerticalLine, 8, 16), (TTxtCaretShape{2, 14, -1, 0}));
  EXPECT_EQ(TxtEditCaretShape(ctHorizontalLine, 8, 16), (TTxtCaretShape{8, 2, 0, 14}));
  EXPECT_EQ(TxtEditCaretShape(ctHalfBlock, 8, 16), (TTxtCaretShape{8, 7, 0, 7}));
  EXPECT_EQ(TxtEditCaretShape(ctBlock, 8, 16), (TTxtCaretShape{8, 14, 0, 0}));
  // A line of one pixel still gets a caret that can be created.
  EXPECT_EQ(TxtEditCaretShape(ctBlock, 8, 1).Height, 1);
  EXPECT_EQ(TxtEditCaretShape(ctHalfBlock, 8, 1).Height, 1);
}

TEST(EditCoords, ColumnsPastTheLineEnd) {
  const std::string line = "a\tb";
  // Past the end every character takes one column, tabs or not.
  EXPECT_EQ(TxtCharToColumn(line, 10, 4), 12);
  EXPECT_EQ(TxtColumnToChar(line, 12, 4), 10);
  EXPECT_EQ(TxtColumnToChar(line, 0, 4), 1);
}

TEST(EditCoords, ColumnsRoundTripForEveryTabWidth) {
  const std::string line = "\tab\t\tc d\t e\t";
  for (int tw : {1, 2, 3, 4, 5, 8, 13, 256}) {
    int expected = 1;
    for (int ch = 1; ch <= static_cast<int>(line.size()) + 3; ++ch) {
      EXPECT_EQ(TxtCharToColumn(line, ch, tw), expected) << "tab width " << tw << " char " << ch;
      EXPECT_EQ(TxtColumnToChar(line, expected, tw), ch) << "tab width " << tw << " char " << ch;
      const bool tab = ch <= static_cast<int>(line.size()) && line[static_cast<size_t>(ch - 1)] == '\t';
      const int next = tab ? ((expected - 1) / tw + 1) * tw + 1 : expected + 1;
      // Every column a tab covers maps back to the tab.
      for (int col = expected; col < next; ++col) EXPECT_EQ(TxtColumnToChar(line, col, tw), ch);
      expected = next;
    }
  }
  // A width of 0 counts as 1 instead of dividing by zero.
  EXPECT_EQ(TxtCharToColumn("\t\tx", 3, 0), 3);
  EXPECT_EQ(TxtColumnToChar("\t\tx", 3, 0), 3);
}

TEST(EditCoords, WalksResumeFromAKnownPlace) {
  const std::string line = "ab\tc\t\tdef\tg";
  for (int tw : {1, 3, 4, 8}) {
    for (int from = 1; from <= static_cast<int>(line.size()) + 3; ++from) {
      const int fromColumn = TxtCharToColumn(line, from, tw);
      for (int ch = from; ch <= static_cast<int>(line.size()) + 5; ++ch)
        EXPECT_EQ(TxtCharToColumnFrom(line, from, fromColumn, ch, tw), TxtCharToColumn(line, ch, tw))
            << tw << " " << from << " " << ch;
      for (int col = fromColumn; col <= fromColumn + 40; ++col)
        EXPECT_EQ(TxtColumnToCharFrom(line, from, fromColumn, col, tw), TxtColumnToChar(line, col, tw))
            << tw << " " << from << " " << col;
    }
  }
}

TEST(EditCoords, CharIndex2CaretPos) {
  EXPECT_EQ(CharIndex2CaretPos(0, 8, "\tx"), 1);
  EXPECT_EQ(CharIndex2CaretPos(1, 8, "\tx"), 1);
  EXPECT_EQ(CharIndex2CaretPos(2, 8, "\tx"), 9);
  EXPECT_EQ(CharIndex2CaretPos(2, 1, "\tx"), 2);
  EXPECT_EQ(CharIndex2CaretPos(3, 8, "ab\t"), 3);
  EXPECT_EQ(CharIndex2CaretPos(6, 4, "a\t"), 8);
}

TEST(EditCoords, HugeColumnsDoNotOverflow) {
  const std::string tabs(1000, '\t');
  EXPECT_EQ(TxtCharToColumn(tabs, 1001, 256), 256001);
  EXPECT_EQ(TxtCharToColumn(tabs, INT_MAX, 256), INT_MAX);
  EXPECT_EQ(TxtColumnToChar(tabs, INT_MAX, 256), INT_MAX - 255000);
}

namespace {

// Acts as a system whose lead bytes are 0x81..0x9F, as in the Japanese code page.
bool TestLeadByte(unsigned char b) { return b >= 0x81 && b <= 0x9F; }

class DoubleByteSystem {
 public:
  DoubleByteSystem() : saved_(TxtEditLeadByteTest()) { SetTxtEditLeadByteTest(&TestLeadByte); }
  ~DoubleByteSystem() { SetTxtEditLeadByteTest(saved_); }

 private:
  TTxtLeadByteTest saved_;
};

TSet<unsigned char> Chars(const char* s) {
  TSet<unsigned char> v;
  for (; *s; ++s) v.Include(static_cast<unsigned char>(*s));
  return v;
}

}  // namespace

TEST(EditCoords, DoubleByteScansNeverSplitACharacter) {
  // "a", a double-byte character whose trail byte is "x", "x", " ".
  const std::string line = "a\x82xx ";
  {
    DoubleByteSystem dbcs;
    EXPECT_FALSE(TxtIsTrailByte(line, 2));
    EXPECT_TRUE(TxtIsTrailByte(line, 3));
    EXPECT_FALSE(TxtIsTrailByte(line, 4));
    EXPECT_EQ(StrScanForCharInSet(line, 1, Chars("x")), 4);
    EXPECT_EQ(StrScanForCharInSet(line, 3, Chars("x")), 4);
    EXPECT_EQ(StrScanForCharInSet(line, 6, Chars("x")), 0);
    EXPECT_EQ(StrRScanForCharInSet(line, 3, Chars("x")), 0);
    EXPECT_EQ(StrRScanForCharInSet(line, 5, Chars("x")), 4);
    EXPECT_EQ(StrScanForMultiByteChar(line, 1), 2);
    EXPECT_EQ(StrScanForMultiByteChar(line, 3), 0);
    EXPECT_EQ(StrRScanForMultiByteChar(line, 5), 2);
    // A lead byte at the very end has no trail byte.
    EXPECT_FALSE(TxtIsTrailByte("ab\x82", 3));
  }
  const TTxtLeadByteTest saved = TxtEditLeadByteTest();
  SetTxtEditLeadByteTest(nullptr);
  EXPECT_FALSE(TxtIsTrailByte(line, 3));
  EXPECT_EQ(StrScanForCharInSet(line, 1, Chars("x")), 3);
  EXPECT_EQ(StrRScanForCharInSet(line, 5, Chars("a")), 1);
  EXPECT_EQ(StrScanForMultiByteChar(line, 1), 0);
  SetTxtEditLeadByteTest(saved);
}

namespace {

// Visibility, scaling, range, page and position of a scroll bar in one text.
std::string Bar(const TTxtScrollBarSetup& S) {
  return std::string(S.Visible ? "shown" : "hidden") + (S.Scaled ? " scaled " : " ") + std::to_string(S.Min) + ".." +
         std::to_string(S.Max) + " page " + std::to_string(S.Page) + " at " + std::to_string(S.Pos);
}

// Columns and rows of a paint range.
std::string Cells(const TTxtPaintRange& R) {
  return std::to_string(R.FirstCol) + ".." + std::to_string(R.LastCol) + " x " + std::to_string(R.FirstRow) + ".." +
         std::to_string(R.LastRow);
}

TTxtEditView View() {
  TTxtEditView v;
  v.GutterWidth = 30;
  v.CharWidth = 8;
  v.TextHeight = 16;
  v.LeftChar = 1;
  v.TopLine = 1;
  v.CharsInWindow = 40;
  v.LinesInWindow = 20;
  return v;
}

}  // namespace

TEST(EditCoords, CellsAndPixels) {
  TTxtEditView v = View();
  EXPECT_EQ(TxtRowColumnToPixels(v, {1, 1}), (TPoint{32, 0}));
  EXPECT_EQ(TxtRowColumnToPixels(v, {3, 2}), (TPoint{48, 16}));
  v.LeftChar = 5;
  v.TopLine = 10;
  EXPECT_EQ(TxtRowColumnToPixels(v, {5, 10}), (TPoint{32, 0}));
  EXPECT_EQ(TxtRowColumnToPixels(v, {1, 9}), (TPoint{0, -16}));
  EXPECT_EQ(TxtPixelsToRowColumn(v, 32, 0), (TDisplayCoord{5, 10}));
  EXPECT_EQ(TxtPixelsToRowColumn(v, 47, 31), (TDisplayCoord{6, 11}));
  // Far off the left and the top the cell is still at least (1, 1).
  v.LeftChar = 1;
  v.TopLine = 1;
  EXPECT_EQ(TxtPixelsToRowColumn(v, -500, -500), (TDisplayCoord{1, 1}));
  // Columns far to the right saturate instead of wrapping around.
  EXPECT_EQ(TxtRowColumnToPixels(v, {INT_MAX, 1}).X, INT_MAX);
}

TEST(EditCoords, NearestCellBoundaryForTheCaret) {
  const TTxtEditView v = View();
  // The right half of a cell places the caret after the character.
  EXPECT_EQ(TxtPixelsToNearestRowColumn(v, 32 + 3, 5).Column, 1);
  EXPECT_EQ(TxtPixelsToNearestRowColumn(v, 32 + 5, 5).Column, 2);
  // An exact half goes to the even neighbour.
  EXPECT_EQ(TxtPixelsToNearestRowColumn(v, 32 + 4, 5).Column, 1);
  EXPECT_EQ(TxtPixelsToNearestRowColumn(v, 32 + 12, 5).Column, 3);
  // Below the window the last whole row is taken; above it the first.
  EXPECT_EQ(TxtPixelsToNearestRowColumn(v, 40, 5000).Row, 20);
  EXPECT_EQ(TxtPixelsToNearestRowColumn(v, 40, -50).Row, 1);
  EXPECT_EQ(TxtPixelsToNearestRowColumn(v, 0, 0).Column, 1);
}

TEST(EditCoords, TopLineLimits) {
  // 100 lines, 20 rows visible.
  EXPECT_EQ(TxtClampTopLine(1000, 100, 20, false), 81);
  EXPECT_EQ(TxtClampTopLine(1000, 100, 20, true), 100);
  EXPECT_EQ(TxtClampTopLine(-3, 100, 20, false), 1);
  // A text shorter than the window cannot scroll at all without eoScrollPastEof.
  EXPECT_EQ(TxtClampTopLine(5, 10, 20, false), 1);
  EXPECT_EQ(TxtClampTopLine(5, 10, 20, true), 5);
  EXPECT_EQ(TxtClampTopLine(5, 0, 20, true), 1);
}

TEST(EditCoords, LeftCharLimits) {
  TTxtEditorOptions pastEol{eoScrollPastEol};
  EXPECT_EQ(TxtMaxLeftChar(pastEol, 1024, 10, 40), 985);
  EXPECT_EQ(TxtMaxLeftChar(pastEol + eoAutoSizeMaxScrollWidth, 1024, 10, 40), INT_MAX - 40);
  EXPECT_EQ(TxtMaxLeftChar({}, 1024, 100, 40), 61);
  EXPECT_EQ(TxtMaxLeftChar({}, 1024, 30, 40), 1);
  EXPECT_EQ(TxtMaxLeftChar({}, 1024, 40, 40), 1);
}

TEST(EditScrollBars, ShortTextFitsTheWindow) {
  EXPECT_EQ(Bar(TxtVertScrollBar(10, 20, 1, TxtEditDefaultOptions)), "shown 1..10 page 20 at 1");  // disabled
  EXPECT_FALSE(TxtVertScrollBar(10, 20, 1, {eoHideShowScrollbars}).Visible);
  // An empty text still has a valid range.
  EXPECT_EQ(TxtVertScrollBar(0, 20, 1, {}).Max, 1);
  // With eoScrollPastEof the range grows by a window less one.
  TTxtScrollBarSetup past = TxtVertScrollBar(10, 20, 1, {eoScrollPastEof});
  EXPECT_EQ(past.Max, 29);
  EXPECT_EQ(past.Arrows, saBothEnabled);
}

TEST(EditScrollBars, VerticalArrows) {
  const TTxtEditorOptions arrows{eoDisableScrollArrows};
  EXPECT_EQ(TxtVertScrollBar(100, 20, 1, arrows).Arrows, saFirstDisabled);
  EXPECT_EQ(TxtVertScrollBar(100, 20, 40, arrows).Arrows, saBothEnabled);
  EXPECT_EQ(TxtVertScrollBar(100, 20, 81, arrows).Arrows, saSecondDisabled);
  // Past the end: the down arrow stays usable until the last row is at the top.
  EXPECT_EQ(TxtVertScrollBar(100, 20, 81, arrows + eoScrollPastEof).Arrows, saBothEnabled);
  EXPECT_EQ(TxtVertScrollBar(100, 20, 100, arrows + eoScrollPastEof).Arrows, saSecondDisabled);
}

TEST(EditScrollBars, LongTextsAreScaledWithoutOverflow) {
  // 40000 lines: scaled, thumb in proportion.
  EXPECT_EQ(Bar(TxtVertScrollBar(40000, 20, 20000, {})), "shown scaled 0..32767 page 16 at 16383");
  // 70,000 and 10,000,000 lines overflow a 32-bit product; the thumb must still be where the
  // top line is.
  EXPECT_EQ(Bar(TxtVertScrollBar(70000, 40, 35000, {})), "shown scaled 0..32767 page 18 at 16383");
  EXPECT_EQ(TxtVertScrollBar(10000000, 40, 9000000, {}).Pos, 29490);
  EXPECT_EQ(Bar(TxtVertScrollBar(10000000, 40, 10000000 - 39, {})), "shown scaled 0..32767 page 0 at 32766");
  EXPECT_TRUE(TxtVertScrollBar(70000, 40, 1, {eoHideShowScrollbars}).Visible);
}

TEST(EditScrollBars, ThumbPositionsMapBackOntoTheWholeText) {
  EXPECT_EQ(TxtThumbToTopLine(500, 10000, 40, false), 500);
  // Scaled: the middle of the bar is the middle of the text, the bottom reaches the end.
  EXPECT_EQ(TxtThumbToTopLine(16383, 70000, 40, false), int((70000LL + 39) * 16383 / 32767));
  const int bottom = 32767 - TxtVertScrollBar(10000000, 40, 1, {}).Page;
  EXPECT_GE(TxtThumbToTopLine(bottom, 10000000, 40, false), TxtMaxTopLine(10000000, 40, false));
  EXPECT_EQ(TxtThumbToTopLine(16383, 10000000, 40, false), int((10000000LL + 39) * 16383 / 32767));
  // A text just under the limit is scaled once eoScrollPastEof lengthens it; the thumb then
  // scales too.
  EXPECT_TRUE(TxtVertScrollBar(32760, 40, 1, {eoScrollPastEof}).Scaled);
  EXPECT_EQ(TxtThumbToTopLine(32767, 32760, 40, true), 32760 + 39);
  EXPECT_EQ(TxtThumbToLeftChar(100, 1024), 100);
  EXPECT_EQ(TxtThumbToLeftChar(32767, 2147483646), 2147483646);
}

TEST(EditScrollBars, Horizontal) {
  TTxtScrollBarSetup h = TxtHorzScrollBar(1024, 40, 1, TxtEditDefaultOptions);
  EXPECT_EQ(Bar(h), "shown 1..1024 page 40 at 1");
  EXPECT_EQ(h.Arrows, saBothEnabled);
  EXPECT_EQ(TxtHorzScrollBar(1024, 40, 1, {eoDisableScrollArrows}).Arrows, saFirstDisabled);
  EXPECT_EQ(TxtHorzScrollBar(1024, 40, 985, {eoDisableScrollArrows}).Arrows, saSecondDisabled);
  EXPECT_EQ(TxtHorzScrollBar(30, 40, 1, {}).Arrows, saBothDisabled);
  EXPECT_FALSE(TxtHorzScrollBar(30, 40, 1, {eoHideShowScrollbars}).Visible);
  // The largest scroll width: position and page scaled in 64 bits.
  EXPECT_EQ(Bar(TxtHorzScrollBar(2147483646, 40, 1073741823, {})), "shown scaled 0..32767 page 0 at 16383");
}

TEST(EditCoords, PaintRangeOfAClip) {
  TTxtEditView v = View();
  v.LeftChar = 3;
  v.TopLine = 5;
  EXPECT_EQ(Cells(TxtPaintRange(v, {0, 0, 352, 320}, 100)), "3..43 x 5..25");
  // A clip inside the text area starts at its own column and row.
  EXPECT_EQ(Cells(TxtPaintRange(v, {32 + 17, 33, 32 + 24, 40}, 100)), "5..6 x 7..8");
  // The rows end with the text.
  EXPECT_EQ(TxtPaintRange(v, {0, 0, 352, 320}, 12).LastRow, 12);
}

TEST(EditCoords, GradientBands) {
  EXPECT_EQ(TxtGradientSteps(1), 2);
  EXPECT_EQ(TxtGradientSteps(1000), 256);
  int s = 0, e = 0;
  TxtGradientBand(0, 3, 0, 10, s, e);
  EXPECT_EQ(std::pair(s, e), std::pair(0, 3));
  TxtGradientBand(2, 3, 0, 10, s, e);
  EXPECT_EQ(std::pair(s, e), std::pair(6, 10));
  EXPECT_EQ(TxtGradientColor(TColor(0x000000), TColor(0xFF8040), 0, 3), TColor(0x000000));
  EXPECT_EQ(TxtGradientColor(TColor(0x000000), TColor(0xFF8040), 2, 3), TColor(0xFF8040));
  EXPECT_EQ(TxtGradientColor(TColor(0x000000), TColor(0xFF8040), 1, 3), TColor(0x7F4020));
  // Falling channels too.
  EXPECT_EQ(TxtGradientColor(TColor(0xFFFFFF), TColor(0x000000), 1, 3), TColor(0x808080));
}
