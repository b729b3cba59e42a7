// Painting of the editor control's gutter and text rows.
#include "editor/TxtEditPaint.h"

#include <algorithm>
#include <climits>

#include "editor/TxtEdit.h"
#include "editor/TxtEditCoords.h"
#include "framework/ImageList.h"
#include "framework/ScopeGuards.h"

namespace {

constexpr char SpaceGlyph = '\xB7';      // middle dot
constexpr char TabGlyph = '\xBB';        // right-pointing double angle quotation mark
constexpr char LineBreakGlyph = '\xB6';  // pilcrow
constexpr char TabFill = '\t';           // what a tab expands to

HINSTANCE ModuleInstance() { return GetModuleHandleW(nullptr); }

}  // namespace

// ---- helpers ----

int TTxtEditPainter::ColumnToX(int Column) const {
  return TxtClampToInt(int64_t(Column - 1) * ed_.charWidth_ + ed_.View().TextOffset());
}

bool TTxtEditPainter::IsBlank(const char* Token, int Length) const {
  for (int i = 0; i < Length; ++i)
    if (Token[i] != ' ' && Token[i] != TabFill) return false;
  return true;
}

void TTxtEditPainter::DrawGradient(TCanvas& Canvas, TColor StartColor, TColor EndColor, int Steps, const TRect& ARect,
                                   bool Horizontal) {
  Steps = TxtGradientSteps(Steps);
  const TColor startRGB = TColor(static_cast<int32_t>(ColorToRGB(StartColor)));
  const TColor endRGB = TColor(static_cast<int32_t>(ColorToRGB(EndColor)));
  for (int i = 0; i < Steps; ++i) {
    TRect band = ARect;
    if (Horizontal)
      TxtGradientBand(i, Steps, ARect.Left, ARect.Width(), band.Left, band.Right);
    else
      TxtGradientBand(i, Steps, ARect.Top, ARect.Height(), band.Top, band.Bottom);
    if (band.IsEmpty()) continue;
    Canvas.Brush()->SetColor(TxtGradientColor(startRGB, endRGB, i, Steps));
    Canvas.FillRect(band);
  }
}

// ---- the gutter ----

void TTxtEditPainter::PaintGutter(TCanvas& Canvas, const TRect& AClip, int FirstRow, int LastRow) {
  TTxtGutter& gutter = *ed_.Gutter();
  const int firstLine = ed_.RowToLine(FirstRow);
  const int lastLine = ed_.RowToLine(LastRow);
  const bool rows = FirstRow <= LastRow;
  if (gutter.Gradient())
    DrawGradient(Canvas, gutter.GradientStartColor(), gutter.GradientEndColor(), gutter.GradientSteps(),
                 {0, 0, ed_.gutterWidth_, ed_.ClientHeight()}, true);
  Canvas.Brush()->SetColor(gutter.Color());
  if (gutter.ShowLineNumbers())
    PaintGutterNumbers(Canvas, AClip, rows ? firstLine : 1, rows ? lastLine : 0);
  else if (!gutter.Gradient())
    Canvas.FillRect(AClip);
  if (ed_.WordWrap() && ed_.WordWrapGlyph()->Visible() && rows) PaintWrapGlyphs(Canvas, FirstRow, LastRow);
  PaintGutterBorder(Canvas, AClip);
  std::vector<int> offsets(rows ? static_cast<size_t>(LastRow - FirstRow + 1) : 0, 0);
  if (rows) PaintMarks(Canvas, FirstRow, firstLine, lastLine, offsets);
  if (ed_.OnGutterPaint && rows) {
    for (int line = firstLine; line <= lastLine; ++line) {
      const int row = ed_.LineToRow(line);
      const int x = row >= FirstRow && row <= LastRow ? offsets[static_cast<size_t>(row - FirstRow)] : 0;
      ed_.OnGutterPaint(&ed_, line, x, (row - ed_.topLine_) * ed_.textHeight_);
    }
  }
}

void TTxtEditPainter::PaintGutterNumbers(TCanvas& Canvas, const TRect& AClip, int FirstLine, int LastLine) {
  TTxtGutter& gutter = *ed_.Gutter();
  TheTextDrawer& drawer = *ed_.TextDrawer();
  const int th = ed_.textHeight_;
  const bool gradient = gutter.Gradient();
  if (gutter.UseFontStyle())
    drawer.SetBaseFont(gutter.Font());
  else
    drawer.SetStyle({});
  HDC dc = Canvas.Handle();
  drawer.BeginDrawing(dc);
  TScopeExit endDrawing([&] {
    drawer.EndDrawing();
    if (gutter.UseFontStyle()) drawer.SetBaseFont(ed_.Font());
  });
  drawer.SetForeColor(gutter.UseFontStyle() ? gutter.Font()->Color() : ed_.Font()->Color());
  drawer.SetBackColor(gutter.Color());
  TRect rcLine{AClip.Left, 0, std::max(AClip.Right, ed_.gutterWidth_ - 2), 0};
  int filledTo = INT_MIN;  // bottom of the last number's row
  auto fill = [&](int top, int bottom) {
    if (bottom > top) drawer.ExtTextOut(rcLine.Left, top, ETO_OPAQUE, {rcLine.Left, top, rcLine.Right, bottom}, "", 0);
  };
  for (int line = FirstLine; line <= LastLine; ++line) {
    const int top = (ed_.LineToRow(line) - ed_.topLine_) * th;
    // The rows that continue the line above are empty.
    if (ed_.WordWrap() && !gradient && filledTo != INT_MIN) fill(filledTo, top);
    rcLine.Top = top;
    rcLine.Bottom = top + th;
    AnsiString text = gutter.FormatLineNumber(line);
    if (ed_.OnGutterGetText) ed_.OnGutterGetText(&ed_, line, text);
    SIZE size{};
    GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
    const int y = top + (th - size.cy) / 2;
    const bool tenth = !text.empty() && text.back() == '0';
    if (!gutter.NumberAllLines() && !gradient && !tenth && line != ed_.caretY_) {
      const char dot = SpaceGlyph;
      drawer.ExtTextOut(ed_.gutterWidth_ - ed_.charWidth_ - gutter.RightOffset(), y, ETO_OPAQUE, rcLine, &dot, 1);
    } else {
      const int x = ed_.gutterWidth_ - gutter.RightOffset() - 2 - size.cx;
      if (gradient) {
        const int mode = SetBkMode(dc, TRANSPARENT);
        drawer.ExtTextOut(x, y, 0, rcLine, text.data(), static_cast<int>(text.size()));
        SetBkMode(dc, mode);
      } else {
        drawer.ExtTextOut(x, y, ETO_OPAQUE, rcLine, text.data(), static_cast<int>(text.size()));
      }
    }
    filledTo = rcLine.Bottom;
  }
  if (!gradient) fill(filledTo == INT_MIN ? AClip.Top : filledTo, AClip.Bottom);
}

void TTxtEditPainter::PaintWrapGlyphs(TCanvas& Canvas, int FirstRow, int LastRow) {
  TTxtGlyph& glyph = *ed_.WordWrapGlyph();
  const int x = ed_.gutterWidth_ - ed_.Gutter()->RightOffset() - 2 - glyph.Width();
  for (int row = FirstRow; row <= LastRow; ++row) {
    if (ed_.LineToRow(ed_.RowToLine(row)) == row) continue;
    glyph.Draw(&Canvas, x, (row - ed_.topLine_) * ed_.textHeight_, ed_.textHeight_);
  }
}

void TTxtEditPainter::PaintGutterBorder(TCanvas& Canvas, const TRect& AClip) {
  TTxtGutter& gutter = *ed_.Gutter();
  const int gw = ed_.gutterWidth_;
  if (gutter.BorderStyle() == gbsNone || AClip.Right < gw - 2) return;
  TPen& pen = *Canvas.Pen();
  pen.SetColor(gutter.BorderColor());
  pen.SetWidth(1);
  if (gutter.BorderStyle() == gbsMiddle) {
    Canvas.MoveTo(gw - 2, AClip.Top);
    Canvas.LineTo(gw - 2, AClip.Bottom);
    pen.SetColor(gutter.Color());
  }
  Canvas.MoveTo(gw - 1, AClip.Top);
  Canvas.LineTo(gw - 1, AClip.Bottom);
}

void TTxtEditPainter::PaintMarks(TCanvas& Canvas, int FirstRow, int FirstLine, int LastLine,
                                 std::vector<int>& Offsets) {
  TTxtBookMarkOpt& options = *ed_.BookMarkOptions();
  TTxtEditMarkList& marks = *ed_.Marks();
  if (!options.GlyphsVisible() || marks.Count() == 0 || LastLine < FirstLine || Offsets.empty()) return;
  const int th = ed_.textHeight_;
  TCustomImageList* images = options.BookmarkImages();
  const bool bookmarksFirst = options.DrawBookmarksFirst();

  auto draw = [&](TTxtEditMark* mark, bool firstKind, int rowIndex, int row) {
    int& offset = Offsets[static_cast<size_t>(rowIndex)];
    const int y = (row - ed_.topLine_) * th;
    if (!mark->InternalImage() && images && mark->ImageIndex() >= 0 && mark->ImageIndex() < images->Count()) {
      if (firstKind)
        offset = 0;
      else if (offset == 0)
        offset = options.Xoffset();
      images->Draw(&Canvas, options.LeftMargin() + offset, y, mark->ImageIndex());
      offset += options.Xoffset();
    } else if (mark->InternalImage() && mark->ImageIndex() >= 0 && mark->ImageIndex() <= 9) {
      // A mark without a glyph of the strip takes no room beside the others.
      if (offset == 0) {
        if (!ed_.internalImage_)
          ed_.internalImage_ = std::make_unique<TTxtInternalImage>(ModuleInstance(), L"TxtEditInternalImages", 10);
        ed_.internalImage_->Draw(&Canvas, mark->ImageIndex(), options.LeftMargin() + offset, y, th);
      }
      offset += options.Xoffset();
    }
  };

  // Offsets[0] belongs to the first painted row; a mark shows on its line's first row only.
  const int lastPaintedRow = FirstRow + static_cast<int>(Offsets.size()) - 1;
  bool otherKind = false;
  for (int pass = 0; pass < 2; ++pass) {
    for (int i = 0; i < marks.Count(); ++i) {
      TTxtEditMark* mark = marks.Items(i);
      if (!mark->Visible() || mark->Line() < FirstLine || mark->Line() > LastLine) continue;
      const bool drawnFirst = mark->IsBookmark() == bookmarksFirst;
      if (pass == 0 && !drawnFirst) {
        otherKind = true;
        continue;
      }
      if (pass == 1 && drawnFirst) continue;
      const int row = ed_.LineToRow(mark->Line());
      if (row < FirstRow || row > lastPaintedRow) continue;
      draw(mark, drawnFirst, row - FirstRow, row);
    }
    if (!otherKind) break;
  }
}

// ---- the text ----

void TTxtEditPainter::PaintTextLines(TCanvas& Canvas, const TRect& AClip, int FirstRow, int LastRow, int FirstCol,
                                     int LastCol) {
  firstCol_ = FirstCol;
  lastCol_ = LastCol;
  TRect clip = AClip;
  const int gw = ed_.gutterWidth_;
  const int th = ed_.textHeight_;
  const int topLine = ed_.topLine_;
  const int firstLine = ed_.RowToLine(FirstRow);
  const int lastLine = ed_.RowToLine(LastRow);
  const int64_t edgeX = int64_t(ed_.rightEdge_) * ed_.charWidth_ + ed_.View().TextOffset();
  const bool doRightEdge = ed_.rightEdge_ > 0 && edgeX >= clip.Left && edgeX <= clip.Right;
  if (doRightEdge) {
    Canvas.Pen()->SetColor(ed_.rightEdgeColor_);
    Canvas.Pen()->SetWidth(1);
  }
  HDC dc = Canvas.Handle();
  dc_ = dc;
  auto rightEdge = [&](int top, int bottom) {
    if (!doRightEdge) return;
    MoveToEx(dc, static_cast<int>(edgeX), top, nullptr);
    LineTo(dc, static_cast<int>(edgeX), bottom);
  };
  TheTextDrawer& drawer = *ed_.TextDrawer();
  drawer.SetStyle(ed_.Font()->Style());
  drawer.BeginDrawing(dc);
  TScopeExit endDrawing([&] { drawer.EndDrawing(); });
  // The blank parts take the background of no range: a range left over from the last line
  // painted or scanned would colour them as that line's end state.
  auto blankBackground = [&] {
    if (TTxtCustomHighlighter* highlighter = ed_.PaintingHighlighter()) highlighter->ResetRange();
    return ed_.EditorBackground(0);
  };
  if (clip.Left < gw + 2) {
    drawer.SetBackColor(blankBackground());
    const TRect gap{std::max(clip.Left, gw), clip.Top, gw + 2, clip.Bottom};
    if (!gap.IsEmpty()) drawer.ExtTextOut(gap.Left, gap.Top, ETO_OPAQUE, gap, "", 0);
    clip.Left = gw + 2;
  }
  int rowsBottom = clip.Top;
  if (firstLine <= lastLine && FirstRow <= LastRow) {
    ComputeSelection();
    for (int line = firstLine; line <= lastLine; ++line) {
      // A highlighter reads the whole expanded line; without one only the visible columns are
      // expanded, which keeps rows of megabyte lines cheap.
      TTxtCustomHighlighter* highlighter = ed_.PaintingHighlighter();
      const std::string expanded = highlighter ? ed_.Lines()->GetExpandedString(line - 1) : std::string();
      row_.Line = line;
      row_.CurrentLine = line == ed_.caretY_;
      row_.FG = ed_.Font()->Color();
      row_.BG = ed_.EditorBackground(line);
      row_.SpecialLine = ed_.DoOnSpecialLineColors(line, row_.FG, row_.BG);
      if (row_.SpecialLine) {
        row_.SelFG = row_.BG;
        row_.SelBG = row_.FG;
      } else {
        row_.SelFG = ed_.SelectedColor()->Foreground();
        row_.SelBG = ed_.SelectedColor()->Background();
      }
      const int startRow = std::max(ed_.LineToRow(line), FirstRow);
      const int endRow = std::min(ed_.WordWrap() ? ed_.LineToRow(line + 1) - 1 : line, LastRow);
      for (int row = startRow; row <= endRow; ++row) {
        int firstChar = FirstCol, lastChar = LastCol;
        if (ITxtEditBufferPlugin* wrap = ed_.WordWrapPlugin()) {
          firstChar = wrap->DisplayToBufferPos({FirstCol, row}).Char;
          lastChar = wrap->DisplayToBufferPos({LastCol, row}).Char;
        }
        row_.Row = row;
        row_.RcLine = {clip.Left, (row - topLine) * th, clip.Right, (row - topLine + 1) * th};
        SelectRowColumns();
        if (highlighter) {
          PaintRowWithHighlighter(expanded, firstChar, lastChar);
        } else {
          ExpandColumns(line - 1, firstChar, lastChar);
          PaintRowWithoutHighlighter(segment_, ed_.Lines()->GetExpandedStringLength(line - 1), firstChar, lastChar);
        }
        rightEdge(row_.RcLine.Top, row_.RcLine.Bottom + 1);
        rowsBottom = row_.RcLine.Bottom;
      }
    }
  }
  if (rowsBottom < clip.Bottom) {
    drawer.SetBackColor(blankBackground());
    const TRect rest{clip.Left, rowsBottom, clip.Right, clip.Bottom};
    drawer.ExtTextOut(rest.Left, rest.Top, ETO_OPAQUE, rest, "", 0);
    rightEdge(rowsBottom, clip.Bottom);
  }
}

void TTxtEditPainter::ComputeSelection() {
  anySelection_ = ed_.SelAvail() && !(ed_.HideSelection() && !ed_.Focused());
  if (!anySelection_) return;
  selMode_ = ed_.ActiveSelectionMode();
  selStart_ = ed_.BufferToDisplayPos(ed_.BlockBegin());
  selEnd_ = ed_.BufferToDisplayPos(ed_.BlockEnd());
  if (selMode_ == smColumn && selStart_.Column > selEnd_.Column) std::swap(selStart_.Column, selEnd_.Column);
}

void TTxtEditPainter::SelectRowColumns() {
  row_.LineSelStart = row_.LineSelEnd = 0;
  row_.ComplexLine = false;
  if (anySelection_ && row_.Row >= selStart_.Row && row_.Row <= selEnd_.Row) {
    int start = firstCol_, end = lastCol_ + 1;
    bool complex = false, none = false;
    const bool column = selMode_ == smColumn;
    if (column || (selMode_ == smNormal && row_.Row == selStart_.Row)) {
      if (selStart_.Column > lastCol_) {
        none = true;
      } else if (selStart_.Column > firstCol_) {
        start = selStart_.Column;
        complex = true;
      }
    }
    if (!none && (column || (selMode_ == smNormal && row_.Row == selEnd_.Row))) {
      if (selEnd_.Column < firstCol_) {
        none = true;
      } else if (selEnd_.Column < lastCol_) {
        end = selEnd_.Column;
        complex = true;
      }
    }
    if (!none) {
      row_.LineSelStart = start;
      row_.LineSelEnd = end;
      row_.ComplexLine = complex;
    }
    // A column edge on the second byte of a double-byte character moves past it: the
    // character is drawn whole on one side of the edge.
    if (!none && column && TxtEditLeadByteTest()) {
      auto pastTrail = [&](int col) {
        return std::max(col, ed_.BufferToDisplayPos(ed_.DisplayToBufferPos({col, row_.Row})).Column);
      };
      if (start > firstCol_) row_.LineSelStart = pastTrail(start);
      if (end <= lastCol_) row_.LineSelEnd = pastTrail(end);
    }
  }
  row_.LineSelected = !row_.ComplexLine && row_.LineSelStart > 0;
}

void TTxtEditPainter::SetDrawingColors(bool Selected) {
  TheTextDrawer& drawer = *ed_.TextDrawer();
  drawer.SetForeColor(Selected ? row_.SelFG : runFG_);
  drawer.SetBackColor(Selected ? row_.SelBG : runBG_);
}

void TTxtEditPainter::ExpandColumns(int Index, int First, int Last) {
  segment_.clear();
  const std::string_view raw = ed_.Lines()->LineView(Index);
  const int tabWidth = std::max(ed_.tabWidth_, 1);
  if (Last <= First || raw.empty()) return;
  // Start at the character that covers column First (inside a tab, part of its cells show).
  const int firstChar = TxtColumnToChar(raw, First, tabWidth);
  if (static_cast<size_t>(firstChar) > raw.size()) return;
  int64_t column = TxtCharToColumn(raw, firstChar, tabWidth);
  for (size_t i = static_cast<size_t>(firstChar - 1); i < raw.size() && column < Last; ++i) {
    if (raw[i] == TabFill) {
      const int64_t next = ((column - 1) / tabWidth + 1) * tabWidth + 1;
      for (int64_t c = std::max<int64_t>(column, First); c < std::min<int64_t>(next, Last); ++c) segment_ += TabFill;
      column = next;
    } else {
      if (column >= First) segment_ += raw[i];
      ++column;
    }
  }
}

void TTxtEditPainter::PaintRowWithoutHighlighter(const std::string& Visible, int ExpandedLength, int FirstChar,
                                                 int LastChar) {
  // Visible holds the line's columns FirstChar .. LastChar - 1, as far as the line reaches.
  std::string& token = segment_;
  if (&token != &Visible) token = Visible;
  const int size = ExpandedLength;
  if (ed_.options_.Contains(eoShowSpecialChars) && size < LastChar && size + 1 >= FirstChar) token += LineBreakGlyph;
  const int length = static_cast<int>(token.size());
  const int charsBefore = firstCol_ - 1;
  runFG_ = row_.FG;
  runBG_ = row_.BG;
  TheTextDrawer& drawer = *ed_.TextDrawer();
  drawer.SetStyle(ed_.Font()->Style());
  const TRect& line = row_.RcLine;
  auto part = [&](int first, int last, bool selected) {
    SetDrawingColors(selected);
    row_.RcToken = {std::max(line.Left, ColumnToX(first)), line.Top, std::min(line.Right, ColumnToX(last)),
                    line.Bottom};
    PaintToken(token.data(), length, charsBefore, first, last);
  };
  if (row_.ComplexLine) {
    part(firstCol_, row_.LineSelStart, false);
    part(row_.LineSelEnd, lastCol_ + 1, false);
    part(row_.LineSelStart, row_.LineSelEnd, true);
  } else {
    part(firstCol_, lastCol_ + 1, row_.LineSelected);
  }
}

void TTxtEditPainter::PaintRowWithHighlighter(const std::string& Expanded, int FirstChar, int LastChar) {
  TTxtCustomHighlighter& hl = *ed_.PaintingHighlighter();
  TTxtEditStringList& lines = *ed_.Lines();
  const int index = row_.Line - 1;
  if (index <= 0 || index > lines.Count())
    hl.ResetRange();
  else
    hl.SetRange(lines.GetRange(index - 1));
  hl.SetLine(Expanded, index);
  run_.Text.clear();
  const int shift = FirstChar - firstCol_;  // characters of the line before the row's first column
  int tokenEnd = 0;
  while (!hl.GetEol()) {
    const AnsiString token = hl.GetToken();
    const int pos = hl.GetTokenPos();
    int length = static_cast<int>(token.size());
    tokenEnd = pos + length;
    if (pos + length >= FirstChar) {
      if (pos + length >= LastChar) {
        if (pos + 1 >= LastChar) break;
        length = LastChar - pos - 1;
      }
      AddToken(token.data(), length, pos - shift, hl.GetTokenAttribute());
    }
    hl.Next();
  }
  const int size = static_cast<int>(Expanded.size());
  if (hl.GetEol() && tokenEnd < LastChar) {
    // What the highlighter left uncovered is painted in the line's colours.
    const int from = std::max(tokenEnd, FirstChar - 1);
    const int to = std::min(size, LastChar - 1);
    if (to > from) AddToken(Expanded.data() + from, to - from, from - shift, nullptr);
    if (ed_.options_.Contains(eoShowSpecialChars) && size < LastChar && size + 1 >= FirstChar) {
      const char glyph = LineBreakGlyph;
      AddToken(&glyph, 1, size - shift, nullptr);
    }
  }
  PaintRun(true);
}

void TTxtEditPainter::AddToken(const char* Token, int Length, int CharsBefore, TTxtHighlighterAttributes* Attr) {
  if (Length <= 0) return;
  TColor fg = Attr ? Attr->Foreground() : row_.FG;
  TColor bg = Attr ? Attr->Background() : row_.BG;
  const TFontStyles style = Attr ? Attr->Style() : ed_.Font()->Style();
  if (bg == clNone || (row_.CurrentLine && ed_.activeLineColor_ != clNone)) bg = ed_.EditorBackground(row_.Line);
  if (fg == clNone) fg = ed_.Font()->Color();
  if (!run_.Text.empty()) {
    const bool blank = IsBlank(Token, Length);
    const bool adjacent = CharsBefore == run_.CharsBefore + static_cast<int>(run_.Text.size());
    const bool styleFits =
        style == run_.Style || (!style.Contains(fsUnderline) && !run_.Style.Contains(fsUnderline) && blank);
    const bool colorsFit = (row_.SpecialLine && !ed_.options_.Contains(eoSpecialLineDefaultFg)) || row_.LineSelected ||
                           (bg == run_.BG && (fg == run_.FG || (blank && !ed_.options_.Contains(eoShowSpecialChars))));
    if (adjacent && styleFits && colorsFit) {
      run_.Text.append(Token, static_cast<size_t>(Length));
      return;
    }
    PaintRun(false);
  }
  if (run_.Text.capacity() < static_cast<size_t>(Length)) run_.Text.reserve(static_cast<size_t>(Length) + 32);
  run_.Text.assign(Token, static_cast<size_t>(Length));
  run_.CharsBefore = CharsBefore;
  run_.FG = fg;
  run_.BG = bg;
  run_.Style = style;
}

void TTxtEditPainter::PaintRun(bool FillToEnd) {
  TheTextDrawer& drawer = *ed_.TextDrawer();
  const int length = static_cast<int>(run_.Text.size());
  const bool specialDefaultFg = ed_.options_.Contains(eoSpecialLineDefaultFg);
  int fillFrom = row_.RcLine.Left;
  if (length > 0) {
    const int c1 = std::max(firstCol_, run_.CharsBefore + 1);
    const int c2 = std::min(lastCol_ + 1, run_.CharsBefore + length + 1);
    if (!row_.SpecialLine) {
      runFG_ = run_.FG;
      runBG_ = run_.BG;
    } else if (specialDefaultFg) {
      runFG_ = run_.FG;
      runBG_ = row_.BG;
    } else {
      runFG_ = row_.FG;
      runBG_ = row_.BG;
    }
    drawer.SetStyle(run_.Style);
    if (c2 > c1) {
      if (row_.ComplexLine) {
        PaintRunPart(c1, std::min(c2, row_.LineSelStart), false);
        PaintRunPart(std::max(c1, row_.LineSelStart), std::min(c2, row_.LineSelEnd), true);
        PaintRunPart(std::max(c1, row_.LineSelEnd), c2, false);
      } else {
        PaintRunPart(c1, c2, row_.LineSelected);
      }
      fillFrom = std::max(fillFrom, ColumnToX(c2));
    } else if (c1 > lastCol_) {
      fillFrom = row_.RcLine.Right;
    } else {
      fillFrom = std::max(fillFrom, ColumnToX(c1));
    }
  }
  if (FillToEnd) {
    FillRowRest(fillFrom);
    if (length > 0 && !run_.Style.Empty()) RedrawOverhang();
  }
  if (length > 0) run_.Text.clear();
}

// A slanted or bold last glyph reaches into the filled rest of the row: it is drawn again,
// transparently, so that the fill does not cut it.
void TTxtEditPainter::RedrawOverhang() {
  const int length = static_cast<int>(run_.Text.size());
  const int column = run_.CharsBefore + length;  // the run's last character
  if (column < firstCol_ || column > lastCol_) return;
  char ch = run_.Text.back();
  if (ch == TabFill) return;
  if (ch == ' ') {
    if (!ed_.options_.Contains(eoShowSpecialChars)) return;
    ch = SpaceGlyph;
  }
  if (Overhang(ch) <= 0) return;
  const bool selected = row_.ComplexLine ? column >= row_.LineSelStart && column < row_.LineSelEnd : row_.LineSelected;
  SetDrawingColors(selected);
  const int x = ColumnToX(column);
  const int mode = SetBkMode(dc_, TRANSPARENT);
  ed_.TextDrawer()->ExtTextOut(x, row_.RcLine.Top, ETO_CLIPPED,
                               {x, row_.RcLine.Top, row_.RcLine.Right, row_.RcLine.Bottom}, &ch, 1);
  SetBkMode(dc_, mode);
}

void TTxtEditPainter::PaintRunPart(int First, int Last, bool Selected) {
  if (Last <= First) return;
  SetDrawingColors(Selected);
  row_.RcToken = {std::max(row_.RcLine.Left, ColumnToX(First)), row_.RcLine.Top,
                  std::min(row_.RcLine.Right, ColumnToX(Last)), row_.RcLine.Bottom};
  PaintToken(run_.Text.data(), static_cast<int>(run_.Text.size()), run_.CharsBefore, First, Last);
}

int TTxtEditPainter::Overhang(char Ch) {
  ABC abc{};
  if (!GetCharABCWidthsA(dc_, static_cast<unsigned char>(Ch), static_cast<unsigned char>(Ch), &abc)) return 0;
  const int total = abc.abcA + static_cast<int>(abc.abcB) + std::max(abc.abcC, 0);
  return std::max(0, total - ed_.charWidth_);
}

void TTxtEditPainter::FillRowRest(int FromX) {
  runBG_ = row_.SpecialLine ? row_.BG : ed_.EditorBackground(row_.Line);
  const int right = row_.RcLine.Right;
  if (FromX >= right) return;
  if (row_.ComplexLine) {
    FillPart(FromX, ColumnToX(row_.LineSelStart), false);
    FillPart(std::max(FromX, ColumnToX(row_.LineSelStart)), ColumnToX(row_.LineSelEnd), true);
    FillPart(std::max(FromX, ColumnToX(row_.LineSelEnd)), right, false);
  } else {
    FillPart(FromX, right, row_.LineSelected);
  }
}

void TTxtEditPainter::FillPart(int Left, int Right, bool Selected) {
  Left = std::max(Left, row_.RcLine.Left);
  Right = std::min(Right, row_.RcLine.Right);
  if (Right <= Left) return;
  SetDrawingColors(Selected);
  const TRect r{Left, row_.RcLine.Top, Right, row_.RcLine.Bottom};
  ed_.TextDrawer()->ExtTextOut(Left, r.Top, ETO_OPAQUE, r, "", 0);
}

void TTxtEditPainter::PaintToken(const char* Token, int Length, int CharsBefore, int First, int Last) {
  TheTextDrawer& drawer = *ed_.TextDrawer();
  TRect& rc = row_.RcToken;
  if (Last > First && !rc.IsEmpty()) {
    const int y = row_.RcLine.Top;
    int start = First - CharsBefore - 1;  // 0-based index of the first character drawn
    if (start >= Length) {
      drawer.ExtTextOut(rc.Left, y, ETO_OPAQUE, rc, "", 0);
    } else {
      start = std::max(start, 0);
      int x = ColumnToX(CharsBefore + start + 1);
      if (start > 0 && TxtIsTrailByte(std::string_view(Token, static_cast<size_t>(Length)), start + 1)) {
        --start;
        x -= ed_.charWidth_;
      }
      const int end = std::min(Last - CharsBefore - 1, Length);
      const int count = std::max(end - start, 0);
      const bool special = ed_.options_.Contains(eoShowSpecialChars);
      display_.assign(Token + start, static_cast<size_t>(count));
      for (char& c : display_) {
        if (c == TabFill)
          c = ' ';
        else if (special && c == ' ')
          c = SpaceGlyph;
      }
      drawer.ExtTextOut(x, y, ETO_OPAQUE | ETO_CLIPPED, rc, display_.data(), count);
      if (special) {
        // One glyph in the middle of each tab's run of cells, counted to its stop also where this
        // part ends before it (the glyph may then fall outside the part, clipped away).
        const int tabWidth = ed_.tabWidth_;
        for (int i = start; i < end;) {
          if (Token[i] != TabFill) {
            ++i;
            continue;
          }
          const int column0 = CharsBefore + i;  // 0-based display column of the fill character
          const int run = tabWidth - column0 % tabWidth;
          const int glyphColumn = CharsBefore + i + run / 2;
          const int gx = ColumnToX(glyphColumn) + (run % 2 == 0 ? ed_.charWidth_ / 2 : ed_.charWidth_);
          TRect cell{std::max(gx, rc.Left), rc.Top, std::min(gx + ed_.charWidth_, rc.Right), rc.Bottom};
          if (!cell.IsEmpty()) {
            const char glyph = TabGlyph;
            drawer.ExtTextOut(gx, y, ETO_OPAQUE | ETO_CLIPPED, cell, &glyph, 1);
          }
          i += run;
        }
      }
    }
  }
  rc.Left = rc.Right;
}
