// The editor's geometry as plain arithmetic: character indexes and display columns of one line,
// cells and client pixels, the limits of TopLine and LeftChar, the scroll-bar settings and the
// rows and columns a paint covers. Nothing here needs a window, so all of it is tested directly.
#pragma once

#include <cstdint>
#include <string_view>

#include "editor/TxtEditOptions.h"
#include "editor/TxtEditTypes.h"
#include "framework/Colors.h"
#include "framework/Sets.h"
#include "framework/Types.h"

// ---- small routines ----

inline int MinMax(int X, int Lo, int Hi) {
  if (X > Hi) X = Hi;
  return X < Lo ? Lo : X;
}
inline void SwapInt(int& L, int& R) {
  int t = L;
  L = R;
  R = t;
}
// The earlier of two positions, by line and then by character.
TBufferCoord MinBufferCoord(const TBufferCoord& P1, const TBufferCoord& P2);
TBufferCoord MaxBufferCoord(const TBufferCoord& P1, const TBufferCoord& P2);
// The first byte of Line that is 0, LF or CR, or Line's end.
const char* GetEOL(const char* Line, const char* End);

// A * B / C with the product taken in 64 bits, the result limited to the int range.
int TxtMulDiv(int64_t A, int64_t B, int64_t C);
// The int nearest to V.
int TxtClampToInt(int64_t V);

// ---- double-byte characters ----

// The lead-byte test of the system's code page, or null on a system without double-byte
// characters. Tests replace it to act as a double-byte system.
using TTxtLeadByteTest = bool (*)(unsigned char);
TTxtLeadByteTest TxtEditLeadByteTest();
void SetTxtEditLeadByteTest(TTxtLeadByteTest Test);

// True when the 1-based Index is the second byte of a double-byte character of Line.
bool TxtIsTrailByte(std::string_view Line, int Index);

// Scans forward from Start (1-based) for a byte in Chars, never stopping on a trail byte; 0
// when none (or Start is outside the line).
int StrScanForCharInSet(std::string_view Line, int Start, const TSet<unsigned char>& Chars);
// The last index at or before Start whose byte is in Chars; 0 when none.
int StrRScanForCharInSet(std::string_view Line, int Start, const TSet<unsigned char>& Chars);
// The first lead byte at or after Start / the last at or before it; 0 when none.
int StrScanForMultiByteChar(std::string_view Line, int Start);
int StrRScanForMultiByteChar(std::string_view Line, int Start);

// ---- one line: character indexes and display columns ----

// The conversions below, continued from a known place: character FromChar (1-based) starts at
// display column FromColumn. Characters before FromChar are not looked at, so walking along a
// long line can resume where it stopped. Column must not lie before FromColumn.
int TxtCharToColumnFrom(std::string_view Line, int FromChar, int FromColumn, int Char, int TabWidth);
int TxtColumnToCharFrom(std::string_view Line, int FromChar, int FromColumn, int Column, int TabWidth);

// The display column of the 1-based character Char: tabs inside the line reach the next
// multiple of TabWidth, every other character (also past the line's end) takes one column.
int TxtCharToColumn(std::string_view Line, int Char, int TabWidth);
// The smallest character whose expanded end reaches Column; every column of a tab maps to the
// tab. Columns past the line's end map one to one.
int TxtColumnToChar(std::string_view Line, int Column, int TabWidth);
// The display column of Index for callers that pass the tab width: 1 for Index <= 1, else as
// TxtCharToColumn.
int CharIndex2CaretPos(int Index, int TabWidth, std::string_view Line);

// ---- the visible window ----

// What the conversions between cells and pixels need to know of the control.
struct TTxtEditView {
  int GutterWidth = 0;
  int CharWidth = 1;
  int TextHeight = 1;
  int LeftChar = 1;
  int TopLine = 1;
  int CharsInWindow = 0;
  int LinesInWindow = 0;
  // The client x of display column 1.
  int64_t TextOffset() const { return GutterWidth + 2 - int64_t(LeftChar - 1) * CharWidth; }
};

// The top-left client pixel of a cell (limited to the int range for columns far to the right).
TPoint TxtRowColumnToPixels(const TTxtEditView& View, const TDisplayCoord& RowCol);
// The cell that holds a pixel (column and row at least 1).
TDisplayCoord TxtPixelsToRowColumn(const TTxtEditView& View, int X, int Y);
// The cell boundary nearest to a pixel, for placing the caret; Y is kept inside the window.
TDisplayCoord TxtPixelsToNearestRowColumn(const TTxtEditView& View, int X, int Y);

// The last TopLine: the last row may scroll to the top only with eoScrollPastEof.
int TxtMaxTopLine(int DisplayLineCount, int LinesInWindow, bool ScrollPastEof);
int TxtClampTopLine(int Value, int DisplayLineCount, int LinesInWindow, bool ScrollPastEof);
// The last LeftChar for the options, the scroll width and the longest line's expanded length.
int TxtMaxLeftChar(const TTxtEditorOptions& Options, int MaxScrollWidth, int LongestLineLength, int CharsInWindow);

// Display columns and rows that a clip rectangle covers; LastRow is below FirstRow when the
// clip shows no row of text.
struct TTxtPaintRange {
  int FirstCol = 0;
  int LastCol = 0;
  int FirstRow = 0;
  int LastRow = 0;
};
TTxtPaintRange TxtPaintRange(const TTxtEditView& View, const TRect& Clip, int DisplayLineCount);

// ---- scroll bars ----

// The system's scroll positions are 16-bit: larger ranges are scaled down to 0..32767.
inline constexpr int TxtMaxScrollRange = 32767;

HV_ENUM(TTxtScrollArrows, saBothEnabled, saBothDisabled, saFirstDisabled, saSecondDisabled)

struct TTxtScrollBarSetup {
  bool Visible = true;  // false: hidden; true: shown, disabled by the system when it cannot scroll
  bool Scaled = false;  // the range is 0..32767 standing for the whole text
  int Min = 0;
  int Max = 0;
  int Page = 0;
  int Pos = 0;
  TTxtScrollArrows Arrows = saBothEnabled;
  bool operator==(const TTxtScrollBarSetup&) const = default;
};

// The vertical bar's full range in rows: the rows, plus a window less one with eoScrollPastEof.
int64_t TxtVertScrollRange(int DisplayLineCount, int LinesInWindow, bool ScrollPastEof);
TTxtScrollBarSetup TxtVertScrollBar(int DisplayLineCount, int LinesInWindow, int TopLine,
                                    const TTxtEditorOptions& Options);
// Width: the horizontal range in columns (the scroll width or the longest line).
TTxtScrollBarSetup TxtHorzScrollBar(int Width, int CharsInWindow, int LeftChar, const TTxtEditorOptions& Options);
// The TopLine / LeftChar a 16-bit thumb position stands for.
int TxtThumbToTopLine(int Position, int DisplayLineCount, int LinesInWindow, bool ScrollPastEof);
int TxtThumbToLeftChar(int Position, int Width);

// ---- gutter gradient ----

// Band Index of Steps over Size pixels from Start: its first pixel and the one after its last.
void TxtGradientBand(int Index, int Steps, int Start, int Size, int& BandStart, int& BandEnd);
// The colour of band Index of Steps between two plain RGB colours.
TColor TxtGradientColor(TColor StartRGB, TColor EndRGB, int Index, int Steps);
// Gradient steps are limited to 2..256.
int TxtGradientSteps(int Steps);
