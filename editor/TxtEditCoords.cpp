// Geometry of the editor: columns of a line, cells and pixels, scroll limits and scroll bars.
#include "editor/TxtEditCoords.h"

#include <climits>
#include <cmath>
#include <cstring>

#include "framework/Win.h"

// ---- small routines ----

TBufferCoord MinBufferCoord(const TBufferCoord& P1, const TBufferCoord& P2) {
  if (P1.Line < P2.Line || (P1.Line == P2.Line && P1.Char < P2.Char)) return P1;
  return P2;
}

TBufferCoord MaxBufferCoord(const TBufferCoord& P1, const TBufferCoord& P2) {
  return MinBufferCoord(P1, P2) == P1 ? P2 : P1;
}

const char* GetEOL(const char* Line, const char* End) {
  while (Line < End && *Line != 0 && *Line != '\n' && *Line != '\r') ++Line;
  return Line;
}

int TxtClampToInt(int64_t V) {
  if (V > INT_MAX) return INT_MAX;
  if (V < INT_MIN) return INT_MIN;
  return static_cast<int>(V);
}

int TxtMulDiv(int64_t A, int64_t B, int64_t C) {
  if (C == 0) return 0;
  return TxtClampToInt(A * B / C);
}

// ---- double-byte characters ----

namespace {

bool SystemLeadByte(unsigned char B) { return IsDBCSLeadByte(B) != FALSE; }

TTxtLeadByteTest InitialLeadByteTest() { return GetSystemMetrics(SM_DBCSENABLED) ? &SystemLeadByte : nullptr; }

TTxtLeadByteTest& LeadByteTest() {
  static TTxtLeadByteTest test = InitialLeadByteTest();
  return test;
}

bool IsLead(TTxtLeadByteTest Test, std::string_view Line, size_t I) {
  return I + 1 < Line.size() && Test(static_cast<unsigned char>(Line[I]));
}

}  // namespace

TTxtLeadByteTest TxtEditLeadByteTest() { return LeadByteTest(); }
void SetTxtEditLeadByteTest(TTxtLeadByteTest Test) { LeadByteTest() = Test; }

bool TxtIsTrailByte(std::string_view Line, int Index) {
  TTxtLeadByteTest test = LeadByteTest();
  if (!test || Index < 2 || static_cast<size_t>(Index) > Line.size()) return false;
  // Character boundaries are known only from the line's start.
  size_t i = 0;
  const size_t target = static_cast<size_t>(Index - 1);
  while (i < target) {
    if (IsLead(test, Line, i)) {
      if (i + 1 == target) return true;
      i += 2;
    } else {
      ++i;
    }
  }
  return false;
}

int StrScanForCharInSet(std::string_view Line, int Start, const TSet<unsigned char>& Chars) {
  if (Start < 1 || static_cast<size_t>(Start) > Line.size()) return 0;
  TTxtLeadByteTest test = LeadByteTest();
  size_t i = static_cast<size_t>(Start - 1);
  if (test && TxtIsTrailByte(Line, Start)) ++i;
  while (i < Line.size()) {
    if (Chars.Contains(static_cast<unsigned char>(Line[i]))) return static_cast<int>(i + 1);
    i += (test && IsLead(test, Line, i)) ? 2 : 1;
  }
  return 0;
}

int StrRScanForCharInSet(std::string_view Line, int Start, const TSet<unsigned char>& Chars) {
  if (Start < 1 || static_cast<size_t>(Start) > Line.size()) return 0;
  TTxtLeadByteTest test = LeadByteTest();
  if (test) {
    int found = 0;
    for (size_t i = 0; i < static_cast<size_t>(Start);) {
      if (Chars.Contains(static_cast<unsigned char>(Line[i]))) found = static_cast<int>(i + 1);
      i += IsLead(test, Line, i) ? 2 : 1;
    }
    return found;
  }
  for (int i = Start; i >= 1; --i)
    if (Chars.Contains(static_cast<unsigned char>(Line[static_cast<size_t>(i - 1)]))) return i;
  return 0;
}

int StrScanForMultiByteChar(std::string_view Line, int Start) {
  TTxtLeadByteTest test = LeadByteTest();
  if (!test || Start < 1 || static_cast<size_t>(Start) > Line.size()) return 0;
  size_t i = static_cast<size_t>(Start - 1);
  if (TxtIsTrailByte(Line, Start)) ++i;
  while (i < Line.size()) {
    if (IsLead(test, Line, i)) return static_cast<int>(i + 1);
    ++i;
  }
  return 0;
}

int StrRScanForMultiByteChar(std::string_view Line, int Start) {
  TTxtLeadByteTest test = LeadByteTest();
  if (!test || Start < 1) return 0;
  int found = 0;
  const size_t end = static_cast<size_t>(Start) < Line.size() ? static_cast<size_t>(Start) : Line.size();
  for (size_t i = 0; i < end;) {
    if (IsLead(test, Line, i)) {
      found = static_cast<int>(i + 1);
      i += 2;
    } else {
      ++i;
    }
  }
  return found;
}

// ---- one line ----

int TxtCharToColumn(std::string_view Line, int Char, int TabWidth) {
  if (Char <= 1) return Char;
  return TxtCharToColumnFrom(Line, 1, 1, Char, TabWidth);
}

int TxtCharToColumnFrom(std::string_view Line, int FromChar, int FromColumn, int Char, int TabWidth) {
  if (Char <= FromChar) return FromColumn - (FromChar - Char);
  if (TabWidth < 1) TabWidth = 1;
  const size_t from = static_cast<size_t>(FromChar - 1);
  const size_t chars = static_cast<size_t>(Char - 1);
  const size_t inLine = chars < Line.size() ? chars : Line.size();
  int64_t col = FromColumn - 1;  // columns taken by the characters before p
  const char* p = Line.data() + std::min(from, Line.size());
  const char* end = Line.data() + inLine;
  while (p < end) {
    const char* tab = static_cast<const char*>(std::memchr(p, '\t', static_cast<size_t>(end - p)));
    if (!tab) {
      col += end - p;
      break;
    }
    col += tab - p;
    col += TabWidth - col % TabWidth;
    p = tab + 1;
  }
  col += static_cast<int64_t>(chars - std::max(inLine, from));
  return TxtClampToInt(col + 1);
}

int TxtColumnToChar(std::string_view Line, int Column, int TabWidth) {
  if (Column <= 1) return 1;
  return TxtColumnToCharFrom(Line, 1, 1, Column, TabWidth);
}

int TxtColumnToCharFrom(std::string_view Line, int FromChar, int FromColumn, int Column, int TabWidth) {
  if (Column <= FromColumn) return FromChar;
  if (TabWidth < 1) TabWidth = 1;
  int64_t col = FromColumn - 1;  // columns taken by the characters before p
  const char* begin = Line.data();
  const char* p = begin + std::min(static_cast<size_t>(FromChar - 1), Line.size());
  const char* end = begin + Line.size();
  int64_t index = FromChar - 1;  // 0-based index of p, also past the line's end
  while (p < end) {
    const char* tab = static_cast<const char*>(std::memchr(p, '\t', static_cast<size_t>(end - p)));
    const char* runEnd = tab ? tab : end;
    if (col + (runEnd - p) >= Column) return static_cast<int>((p - begin) + (Column - col));
    col += runEnd - p;
    if (!tab) break;
    col += TabWidth - col % TabWidth;
    if (col >= Column) return static_cast<int>(tab - begin) + 1;
    p = tab + 1;
  }
  index = std::max<int64_t>(index, static_cast<int64_t>(Line.size()));
  return TxtClampToInt(index + (Column - col));
}

int CharIndex2CaretPos(int Index, int TabWidth, std::string_view Line) {
  if (Index <= 1) return 1;
  if (TabWidth <= 1) return Index;
  return TxtCharToColumn(Line, Index, TabWidth);
}

// ---- the visible window ----

TPoint TxtRowColumnToPixels(const TTxtEditView& View, const TDisplayCoord& RowCol) {
  const int64_t x = int64_t(RowCol.Column - 1) * View.CharWidth + View.TextOffset();
  const int64_t y = int64_t(RowCol.Row - View.TopLine) * View.TextHeight;
  return {TxtClampToInt(x), TxtClampToInt(y)};
}

TDisplayCoord TxtPixelsToRowColumn(const TTxtEditView& View, int X, int Y) {
  const int cw = View.CharWidth > 0 ? View.CharWidth : 1;
  const int th = View.TextHeight > 0 ? View.TextHeight : 1;
  const int64_t col = (int64_t(X) - View.GutterWidth - 2) / cw + View.LeftChar;
  const int64_t row = int64_t(Y) / th + View.TopLine;
  return {TxtClampToInt(col < 1 ? 1 : col), TxtClampToInt(row < 1 ? 1 : row)};
}

TDisplayCoord TxtPixelsToNearestRowColumn(const TTxtEditView& View, int X, int Y) {
  const int cw = View.CharWidth > 0 ? View.CharWidth : 1;
  const int th = View.TextHeight > 0 ? View.TextHeight : 1;
  // Halves go to the even neighbour, as the caret placement has always done.
  const double cells = std::nearbyint(static_cast<double>(int64_t(X) - View.GutterWidth - 2) / cw);
  const int64_t col = View.LeftChar + static_cast<int64_t>(cells);
  const int64_t maxY = int64_t(View.LinesInWindow) * th - 1;
  int64_t y = Y;
  if (y > maxY) y = maxY;
  if (y < 0) y = 0;
  const int64_t row = View.TopLine + y / th;
  return {TxtClampToInt(col < 1 ? 1 : col), TxtClampToInt(row < 1 ? 1 : row)};
}

int TxtMaxTopLine(int DisplayLineCount, int LinesInWindow, bool ScrollPastEof) {
  return ScrollPastEof ? DisplayLineCount : DisplayLineCount - LinesInWindow + 1;
}

int TxtClampTopLine(int Value, int DisplayLineCount, int LinesInWindow, bool ScrollPastEof) {
  return MinMax(Value, 1, TxtMaxTopLine(DisplayLineCount, LinesInWindow, ScrollPastEof));
}

int TxtMaxLeftChar(const TTxtEditorOptions& Options, int MaxScrollWidth, int LongestLineLength, int CharsInWindow) {
  if (Options.Contains(eoScrollPastEol)) {
    if (Options.Contains(eoAutoSizeMaxScrollWidth)) return INT_MAX - CharsInWindow;
    return MaxScrollWidth - CharsInWindow + 1;
  }
  return LongestLineLength > CharsInWindow ? LongestLineLength - CharsInWindow + 1 : 1;
}

TTxtPaintRange TxtPaintRange(const TTxtEditView& View, const TRect& Clip, int DisplayLineCount) {
  const int cw = View.CharWidth > 0 ? View.CharWidth : 1;
  const int th = View.TextHeight > 0 ? View.TextHeight : 1;
  const int textLeft = View.GutterWidth + 2;
  TTxtPaintRange r;
  r.FirstCol = View.LeftChar;
  if (Clip.Left > textLeft) r.FirstCol += (Clip.Left - textLeft) / cw;
  r.LastCol = View.LeftChar + (Clip.Right - textLeft + cw - 1) / cw;
  r.FirstRow = View.TopLine + Clip.Top / th;
  if (r.FirstRow < View.TopLine) r.FirstRow = View.TopLine;
  r.LastRow = MinMax(View.TopLine + (Clip.Bottom + th - 1) / th, 1, DisplayLineCount);
  return r;
}

// ---- scroll bars ----

namespace {

void ScaleInto(TTxtScrollBarSetup& Bar, int64_t Range, int Page, int Pos) {
  if (Range <= TxtMaxScrollRange) {
    Bar.Min = 1;
    Bar.Max = Range > 1 ? static_cast<int>(Range) : 1;
    Bar.Page = Page;
    Bar.Pos = Pos;
  } else {
    Bar.Scaled = true;
    Bar.Min = 0;
    Bar.Max = TxtMaxScrollRange;
    Bar.Page = TxtMulDiv(Page, TxtMaxScrollRange, Range);
    Bar.Pos = TxtMulDiv(Pos, TxtMaxScrollRange, Range);
  }
}

}  // namespace

int64_t TxtVertScrollRange(int DisplayLineCount, int LinesInWindow, bool ScrollPastEof) {
  int64_t h = DisplayLineCount;
  if (ScrollPastEof) h += LinesInWindow - 1;
  return h;
}

TTxtScrollBarSetup TxtVertScrollBar(int DisplayLineCount, int LinesInWindow, int TopLine,
                                    const TTxtEditorOptions& Options) {
  TTxtScrollBarSetup bar;
  const int64_t h = TxtVertScrollRange(DisplayLineCount, LinesInWindow, Options.Contains(eoScrollPastEof));
  ScaleInto(bar, h, LinesInWindow, TopLine);
  bar.Visible = !(Options.Contains(eoHideShowScrollbars) && !bar.Scaled && h <= LinesInWindow);
  if (!Options.Contains(eoDisableScrollArrows) && h > LinesInWindow)
    bar.Arrows = saBothEnabled;
  else if (TopLine <= 1 && h <= LinesInWindow)
    bar.Arrows = saBothDisabled;
  else if (TopLine <= 1)
    bar.Arrows = saFirstDisabled;
  else if (h - TopLine - LinesInWindow + 1 <= 0)
    // Measured against the bar's range, so that the arrow stays usable while rows past the
    // end can still scroll up.
    bar.Arrows = saSecondDisabled;
  return bar;
}

TTxtScrollBarSetup TxtHorzScrollBar(int Width, int CharsInWindow, int LeftChar, const TTxtEditorOptions& Options) {
  TTxtScrollBarSetup bar;
  ScaleInto(bar, Width, CharsInWindow, LeftChar);
  bar.Visible = !(Options.Contains(eoHideShowScrollbars) && !bar.Scaled && Width <= CharsInWindow);
  if (Options.Contains(eoDisableScrollArrows) || Width <= CharsInWindow) {
    const bool atRight = int64_t(Width) <= int64_t(LeftChar) + CharsInWindow - 1;
    if (LeftChar <= 1 && atRight)
      bar.Arrows = saBothDisabled;
    else if (LeftChar <= 1)
      bar.Arrows = saFirstDisabled;
    else if (atRight)
      bar.Arrows = saSecondDisabled;
  }
  return bar;
}

int TxtThumbToTopLine(int Position, int DisplayLineCount, int LinesInWindow, bool ScrollPastEof) {
  if (TxtVertScrollRange(DisplayLineCount, LinesInWindow, ScrollPastEof) <= TxtMaxScrollRange) return Position;
  return TxtMulDiv(int64_t(DisplayLineCount) + LinesInWindow - 1, Position, TxtMaxScrollRange);
}

int TxtThumbToLeftChar(int Position, int Width) {
  if (Width <= TxtMaxScrollRange) return Position;
  return TxtMulDiv(Width, Position, TxtMaxScrollRange);
}

// ---- gutter gradient ----

int TxtGradientSteps(int Steps) { return MinMax(Steps, 2, 256); }

void TxtGradientBand(int Index, int Steps, int Start, int Size, int& BandStart, int& BandEnd) {
  BandStart = Start + TxtMulDiv(Index, Size, Steps);
  BandEnd = Start + TxtMulDiv(Index + 1, Size, Steps);
}

TColor TxtGradientColor(TColor StartRGB, TColor EndRGB, int Index, int Steps) {
  auto channel = [&](int shift) {
    const int s = (static_cast<uint32_t>(StartRGB) >> shift) & 0xFF;
    const int e = (static_cast<uint32_t>(EndRGB) >> shift) & 0xFF;
    return static_cast<uint32_t>(s + Index * (e - s) / (Steps - 1)) & 0xFF;
  };
  return TColor(static_cast<int32_t>(channel(0) | (channel(8) << 8) | (channel(16) << 16)));
}
