// The print layout: pagination, wrapped rows, tokens in fixed cells, bands, jobs and events.
#include "editor/TxtEditPrint.h"

#include <algorithm>
#include <climits>

#include "editor/TxtEdit.h"
#include "editor/TxtEditPrintPreview.h"
#include "editor/TxtEditTabs.h"
#include "framework/CodePages.h"
#include "framework/Printers.h"

HV_PUBLISH(TTxtEditPrint) {
  p.Prop("Copies", &T::Copies, &T::SetCopies).Default(1);
  p.Prop("Header", &T::Header, &T::SetHeader);
  p.Prop("Footer", &T::Footer, &T::SetFooter);
  p.Prop("Margins", &T::Margins, &T::SetMargins);
  p.Prop("Lines", &T::Lines, &T::SetLines);
  p.Prop("Font", &T::Font, &T::SetFont);
  p.Prop("Title", &T::Title, &T::SetTitle);
  p.Prop("DocTitle", &T::DocTitle, &T::SetDocTitle);
  p.Prop("Wrap", &T::Wrap, &T::SetWrap).Default(true);
  p.Prop("Highlight", &T::Highlight, &T::SetHighlight).Default(true);
  p.Prop("SelectedOnly", &T::SelectedOnly, &T::SetSelectedOnly).Default(false);
  p.Prop("Colors", &T::Colors, &T::SetColors).Default(false);
  p.Prop("LineNumbers", &T::LineNumbers, &T::SetLineNumbers).Default(false);
  p.Prop("LineOffset", &T::LineOffset, &T::SetLineOffset).Default(0);
  p.Prop("PageOffset", &T::PageOffset, &T::SetPageOffset).Default(0);
  p.Event("OnPrintLine", &T::OnPrintLine);
  p.Event("OnPrintStatus", &T::OnPrintStatus);
  p.Prop("Highlighter", &T::Highlighter, &T::SetHighlighter);
  p.Prop("LineNumbersInMargin", &T::LineNumbersInMargin, &T::SetLineNumbersInMargin).Default(false);
  p.Prop("TabWidth", &T::TabWidth, &T::SetTabWidth).Default(8);
  p.Prop("Color", &T::Color, &T::SetColor).Default(clWhite);
}

void RegisterTxtEditPrintClasses() {
  RegisterClasses({&TTxtEditPrint::StaticClassInfo(), &TTxtEditPrintPreview::StaticClassInfo()});
}

namespace {
const TTxtCharSet& PrintBreakChars() {
  static const TTxtCharSet set = [] {
    TTxtCharSet s;
    for (unsigned char c : std::string_view("\t !\"'()*+,-./:;=?[\\]^{|}")) s.Include(c);
    return s;
  }();
  return set;
}

// The display column (1-based) of a buffer position on a line, tabs expanded.
int DisplayColumn(const AnsiString& line, int Char, int tabWidth) {
  const int before = std::max(0, Char - 1);
  const int inLine = std::min(before, static_cast<int>(line.size()));
  const AnsiString head =
      GetBestConvertTabsProc(tabWidth)(std::string_view(line).substr(0, static_cast<size_t>(inLine)), tabWidth);
  return static_cast<int>(head.size()) + (before - inLine) + 1;
}

// Lets go of a borrowed canvas however the layout ends.
struct TScreenCanvas {
  TScreenCanvas() { canvas.SetHandle(dc.Get()); }
  ~TScreenCanvas() { canvas.SetHandle(nullptr); }
  TWindowDC dc;
  TCanvas canvas;
};
}  // namespace

TTxtEditPrint::TTxtEditPrint(TComponent* AOwner)
    : TComponent(AOwner),
      header_(std::make_unique<THeader>()),
      footer_(std::make_unique<TFooter>()),
      margins_(std::make_unique<TTxtEditPrintMargins>()),
      lines_(std::make_unique<TStringList>()),
      font_(std::make_unique<TFont>()) {
  pages_.push_back({});
}

TTxtEditPrint::~TTxtEditPrint() = default;

TPrinter* TTxtEditPrint::Printer() const { return printer_ ? printer_ : ::Printer(); }

void TTxtEditPrint::SetPrinterObject(TPrinter* Value) {
  printer_ = Value;
  printerInfo_.SetPrinterObject(Value);
  pagesCounted_ = false;
}

void TTxtEditPrint::SetTxtEdit(TCustomTxtEdit* Value) {
  SetHighlighter(Value->Highlighter());
  SetFont(Value->Font());
  SetTabWidth(Value->TabWidth());
  SetLines(Value->Lines());
  TBufferCoord bb = Value->BlockBegin(), be = Value->BlockEnd();
  TTxtEditStringList* lines = Value->Lines();
  auto display = [&](TBufferCoord c) {
    const AnsiString line = c.Line >= 1 && c.Line <= lines->Count() ? lines->Strings(c.Line - 1) : AnsiString();
    return BufferCoord(DisplayColumn(line, c.Char, tabWidth_), c.Line);
  };
  SetSelection(Value->SelAvail(), display(bb), display(be), Value->ActiveSelectionMode());
}

void TTxtEditPrint::SetSelection(bool Available, TBufferCoord BlockBegin, TBufferCoord BlockEnd,
                                 TTxtSelectionMode Mode) {
  selAvail_ = Available;
  blockBegin_ = BlockBegin;
  blockEnd_ = BlockEnd;
  if (blockEnd_.Line < blockBegin_.Line || (blockEnd_.Line == blockBegin_.Line && blockEnd_.Char < blockBegin_.Char))
    std::swap(blockBegin_, blockEnd_);
  selMode_ = Mode;
  pagesCounted_ = false;
}

void TTxtEditPrint::SetLines(TStrings* Value) {
  const TConvertTabsProc convert = GetBestConvertTabsProc(tabWidth_);
  lines_->BeginUpdate();
  lines_->Clear();
  for (int i = 0; i < Value->Count(); ++i) {
    AnsiString line = convert(Value->Strings(i), tabWidth_);
    std::replace(line.begin(), line.end(), '\t', ' ');
    lines_->Add(line);
  }
  lines_->EndUpdate();
  ranges_.clear();
  rangesOK_ = false;
  pagesCounted_ = false;
}

void TTxtEditPrint::SetFont(TFont* Value) {
  font_->Assign(Value);
  pagesCounted_ = false;
}

void TTxtEditPrint::SetWrap(bool Value) {
  wrap_ = Value;
  pagesCounted_ = false;
}

void TTxtEditPrint::SetSelectedOnly(bool Value) {
  selectedOnly_ = Value;
  pagesCounted_ = false;
}

void TTxtEditPrint::SetLineNumbers(bool Value) {
  lineNumbers_ = Value;
  pagesCounted_ = false;
}

void TTxtEditPrint::SetLineOffset(int Value) {
  lineOffset_ = Value;
  pagesCounted_ = false;
}

void TTxtEditPrint::SetLineNumbersInMargin(bool Value) {
  lineNumbersInMargin_ = Value;
  pagesCounted_ = false;
}

void TTxtEditPrint::SetHighlighter(TTxtCustomHighlighter* Value) {
  if (Value == highlighter_) return;
  if (highlighter_) highlighter_->RemoveFreeNotification(this);
  highlighter_ = Value;
  if (highlighter_) highlighter_->FreeNotification(this);
  rangesOK_ = false;
  pagesCounted_ = false;
}

void TTxtEditPrint::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == highlighter_) {
    highlighter_ = nullptr;
    rangesOK_ = false;
    pagesCounted_ = false;
  }
}

void TTxtEditPrint::DoPrintStatus(TTxtPrintStatus Status, int PageNumber, bool& Abort) {
  Abort = false;
  if (OnPrintStatus) OnPrintStatus(this, Status, PageNumber, Abort);
  if (Abort && printing_ && Printer()->Printing()) Printer()->Abort();
}

void TTxtEditPrint::DoPrintLine(int LineNumber, int PageNumber) {
  if (OnPrintLine) OnPrintLine(this, LineNumber, PageNumber);
}

// ---- layout ----

int TTxtEditPrint::LastLineNumber() const {
  // The number printed on the last line is its index + 1 + LineOffset.
  return lines_->Count() + lineOffset_;
}

void TTxtEditPrint::LineRange(int& First, int& Last) const {
  First = 0;
  Last = lines_->Count() - 1;
  if (selectedOnly_) {
    First = std::max(First, blockBegin_.Line - 1);
    Last = std::min(Last, blockEnd_.Line - 1);
  }
}

AnsiString TTxtEditPrint::SelectedText(int Index) const {
  AnsiString s = lines_->Strings(Index);
  if (!selectedOnly_ || selMode_ == smLine) return s;
  auto cut = [&s](int from, int to) {  // columns from..to-1, 1-based
    from = std::max(from, 1);
    if (to <= from || from > static_cast<int>(s.size())) return AnsiString();
    return s.substr(static_cast<size_t>(from - 1), static_cast<size_t>(to - from));
  };
  if (selMode_ == smColumn)
    return cut(std::min(blockBegin_.Char, blockEnd_.Char), std::max(blockBegin_.Char, blockEnd_.Char));
  const int from = Index == blockBegin_.Line - 1 ? blockBegin_.Char : 1;
  const int to = Index == blockEnd_.Line - 1 ? blockEnd_.Char : INT_MAX;
  return cut(from, to);
}

std::vector<TWrapPos> TTxtEditPrint::WrapPositions(std::string_view Text) const {
  std::vector<TWrapPos> found;
  const int len = static_cast<int>(Text.size());
  const int m = std::max(1, maxCol_);
  if (len <= m) return found;
  if (!WrapRowByBreakChars(Text, PrintBreakChars(), m, found)) {
    for (int p = m; len - p > 0; p += m)
      if (len - p > 0 && p < len) found.push_back(p);
    return found;
  }
  // Rows the break characters left longer than a row are cut at the row's end, so that no
  // character is drawn beyond the right margin or dropped.
  std::vector<TWrapPos> rows;
  int start = 0;
  found.push_back(len);
  for (int cut : found) {
    if (cut <= start) continue;
    while (cut - start > m) {
      start += m;
      rows.push_back(start);
    }
    if (cut < len) rows.push_back(cut);
    start = cut;
  }
  return rows;
}

int TTxtEditPrint::RowCount(const AnsiString& Text) const {
  if (!wrap_ || static_cast<int>(Text.size()) <= maxCol_) return 1;
  return static_cast<int>(WrapPositions(Text).size()) + 1;
}

void TTxtEditPrint::SetCanvas(TCanvas* ACanvas) { canvas_ = ACanvas; }

void TTxtEditPrint::InitRanges() {
  const int count = lines_->Count();
  ranges_.assign(static_cast<size_t>(count), nullptr);
  if (count > 0) {
    highlighter_->ResetRange();
    ranges_[0] = highlighter_->GetRange();
    for (int i = 1; i < count; ++i) {
      highlighter_->SetLine(lines_->Strings(i - 1), i - 1);
      highlighter_->NextToEol();
      ranges_[static_cast<size_t>(i)] = highlighter_->GetRange();
    }
  }
  rangesOK_ = true;
}

void TTxtEditPrint::PrepareLayout() {
  fontColor_ = font_->Color();
  // Fonts measure in printer pixels wherever the layout is made, so that the screen's and the
  // preview's layouts are the printer's.
  const int ppi = printerInfo_.YPixPrInch();
  SetFontPixelsPerInch(font_.get(), ppi);
  header_->SetPixelsPerInch(ppi);
  footer_->SetPixelsPerInch(ppi);
  SetFontPixelsPerInch(canvas_->Font(), ppi);
  canvas_->Font()->Assign(font_.get());
  const TFontStyles style = canvas_->Font()->Style();
  canvas_->Font()->SetStyle({fsBold, fsItalic, fsUnderline, fsStrikeOut});
  TEXTMETRICW metrics{};
  GetTextMetricsW(canvas_->Handle(), &metrics);
  charWidth_ = std::max(1, static_cast<int>(metrics.tmAveCharWidth));
  lineHeight_ = std::max(1, static_cast<int>(metrics.tmHeight + metrics.tmExternalLeading));
  canvas_->Font()->SetStyle(style);
  margins_->LayoutPage(canvas_, 1, printerInfo_, lineNumbers_, lineNumbersInMargin_, LastLineNumber());
  Paginate();
  header_->PrepareForPrint(canvas_, pageCount_, margins_.get(), title_);
  footer_->PrepareForPrint(canvas_, pageCount_, margins_.get(), title_);
  hlOK_ = highlight_ && highlighter_ && lines_->Count() > 0;
}

void TTxtEditPrint::Paginate() {
  if (highlighter_ && !rangesOK_ && lines_->Count() > 0) InitRanges();
  maxWidth_ = std::max(1, margins_->PRight - margins_->PLeft);
  // Columns: as many "W"s as stay narrower than the text area, and at least one, so that
  // every row takes a character and wrapping always ends.
  const int wWidth = std::max(1, canvas_->TextWidth(AnsiString("W")));
  int m = std::max(1, (maxWidth_ - 1) / wWidth);
  while (m > 1 && canvas_->TextWidth(AnsiString(static_cast<size_t>(m), 'W')) >= maxWidth_) --m;
  while (canvas_->TextWidth(AnsiString(static_cast<size_t>(m + 1), 'W')) < maxWidth_) ++m;
  maxCol_ = m;
  maxWidth_ = canvas_->TextWidth(AnsiString(static_cast<size_t>(m), 'W'));

  int first, last;
  LineRange(first, last);
  pages_.assign(1, TPageLine{std::max(0, std::min(first, lines_->Count())), 0});
  const int top = margins_->PTop, bottom = margins_->PBottom;
  int y = top;
  for (int i = first; i <= last; ++i) {
    const int rows = RowCount(SelectedText(i));
    for (int r = 0; r < rows; ++r) {
      // A page that already holds a row ends when the next one does not fit; an empty page
      // takes one row even when it is too short for it.
      if (y + lineHeight_ > bottom && y > top) {
        pages_.push_back({i, r});
        y = top;
      }
      y += lineHeight_;
    }
  }
  pageCount_ = static_cast<int>(pages_.size());
  pagesCounted_ = true;
}

int TTxtEditPrint::PageCount() {
  if (!pagesCounted_) {
    TScreenCanvas screen;
    canvas_ = &screen.canvas;
    try {
      PrepareLayout();
    } catch (...) {
      canvas_ = nullptr;
      throw;
    }
    canvas_ = nullptr;
  }
  return pageCount_;
}

void TTxtEditPrint::LayoutOnCanvas(TCanvas* ACanvas) {
  SetCanvas(ACanvas);
  printerInfo_.ReadPrinterMetrics();
  PrepareLayout();
}

// ---- drawing ----

void TTxtEditPrint::DrawPiece(std::string_view Text, int X, int Y, TColor Fore, TColor Back) {
  if (Text.empty()) return;
  canvas_->Font()->SetColor(Fore);
  canvas_->Brush()->SetColor(Back);
  HDC dc = canvas_->Handle();
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, ColorToRGB(Back));
  SetTextColor(dc, ColorToRGB(Fore));
  // One advance per character, however long the piece.
  std::vector<INT> dx(Text.size(), charWidth_);
  ExtTextOutA(dc, X, Y, 0, nullptr, Text.data(), static_cast<UINT>(Text.size()), dx.data());
}

void TTxtEditPrint::PrintLineRows(int Index, const AnsiString& Text, int FirstRow, int EndRow) {
  const std::vector<TWrapPos> cuts = wrap_ ? WrapPositions(Text) : std::vector<TWrapPos>();
  const int len = static_cast<int>(Text.size());
  const int rowCount = static_cast<int>(cuts.size()) + 1;
  EndRow = std::min(EndRow, rowCount);
  auto rowStart = [&](int k) { return k == 0 ? 0 : cuts[static_cast<size_t>(k - 1)]; };
  // Without wrapping a row shows what fits in its columns.
  auto rowEnd = [&](int k) {
    return std::min(k < rowCount - 1 ? cuts[static_cast<size_t>(k)] : len, rowStart(k) + maxCol_);
  };

  if (lineNumbers_ && FirstRow == 0) {
    const TFontStyles style = canvas_->Font()->Style();
    const TColor color = canvas_->Font()->Color();
    const AnsiString number = std::to_string(Index + 1 + lineOffset_) + ": ";
    canvas_->Font()->SetStyle({});
    canvas_->Font()->SetColor(clBlack);
    canvas_->Brush()->SetColor(color_);
    canvas_->TextOut(margins_->PLeft - canvas_->TextWidth(number), yPos_, number);
    canvas_->Font()->SetStyle(style);
    canvas_->Font()->SetColor(color);
  }

  // Draws the characters [from, to) of the line in every row of this page they fall into.
  auto drawSpan = [&](int from, int to, TColor fore, TColor back) {
    for (int k = FirstRow; k < EndRow; ++k) {
      const int rs = rowStart(k), re = rowEnd(k);
      if (rs >= to) break;
      const int a = std::max(from, rs), b = std::min(to, re);
      if (a >= b) continue;
      DrawPiece(std::string_view(Text).substr(static_cast<size_t>(a), static_cast<size_t>(b - a)),
                margins_->PLeft + (a - rs) * charWidth_, yPos_ + (k - FirstRow) * lineHeight_, fore, back);
    }
  };

  if (hlOK_) {
    const TFontStyles savedStyle = canvas_->Font()->Style();
    highlighter_->SetRange(static_cast<size_t>(Index) < ranges_.size() ? ranges_[static_cast<size_t>(Index)] : nullptr);
    highlighter_->SetLine(Text, Index);
    while (!highlighter_->GetEol()) {
      const int p = highlighter_->GetTokenPos();
      const int n = static_cast<int>(highlighter_->GetToken().size());
      TColor fore = fontColor_, back = color_;
      if (TTxtHighlighterAttributes* attr = highlighter_->GetTokenAttribute()) {
        canvas_->Font()->SetStyle(attr->Style());
        if (colors_) {
          if (attr->Foreground() != clNone) fore = attr->Foreground();
          if (attr->Background() != clNone && attr->Background() != clWindow) back = attr->Background();
        }
      }
      drawSpan(p, p + n, fore, back);
      highlighter_->Next();
    }
    canvas_->Font()->SetStyle(savedStyle);
  } else {
    drawSpan(0, len, fontColor_, color_);
  }
  yPos_ += (EndRow - FirstRow) * lineHeight_;
}

void TTxtEditPrint::PrintPage(int Num) {
  bool aborted = false;
  DoPrintStatus(psNewPage, Num, aborted);
  abort_ = aborted;
  if (abort_) return;
  // This page's own layout first: mirrored margins move the text area on even pages.
  margins_->LayoutPage(canvas_, Num, printerInfo_, lineNumbers_, lineNumbersInMargin_, LastLineNumber());
  canvas_->Brush()->SetColor(color_);
  canvas_->FillRect(TRect{margins_->PLeft, margins_->PTop, margins_->PRight, margins_->PBottom});
  header_->PaintBand(canvas_, Num + pageOffset_);
  yPos_ = margins_->PTop;
  const TPageLine begin = pages_[static_cast<size_t>(Num - 1)];
  const TPageLine end =
      static_cast<size_t>(Num) < pages_.size() ? pages_[static_cast<size_t>(Num)] : TPageLine{lines_->Count(), 0};
  int first, last;
  LineRange(first, last);
  for (int i = std::max(begin.FirstLine, first); i <= last; ++i) {
    if (i > end.FirstLine || (i == end.FirstLine && end.FirstRow == 0)) break;
    const int firstRow = i == begin.FirstLine ? begin.FirstRow : 0;
    const int endRow = i == end.FirstLine ? end.FirstRow : INT_MAX;
    PrintLineRows(i, SelectedText(i), firstRow, endRow);
    if (endRow == INT_MAX) DoPrintLine(i + 1, Num);
  }
  footer_->PaintBand(canvas_, Num + pageOffset_);
}

void TTxtEditPrint::PrintToCanvas(TCanvas* ACanvas, int PageNumber) {
  abort_ = false;
  printing_ = false;
  SetCanvas(ACanvas);
  if (!pagesCounted_) {
    LayoutOnCanvas(ACanvas);
  } else {
    // A canvas of its own (the preview makes one per paint) draws in the layout's font too.
    SetFontPixelsPerInch(canvas_->Font(), printerInfo_.YPixPrInch());
    canvas_->Font()->Assign(font_.get());
  }
  PrintPage(std::clamp(PageNumber, 1, pageCount_));
}

void TTxtEditPrint::Print() { PrintRange(1, -1); }

void TTxtEditPrint::PrintRange(int StartPage, int EndPage) {
  if (selectedOnly_ && !selAvail_) return;
  TPrinter* printer = Printer();
  printing_ = true;
  abort_ = false;
  printer->SetTitle(AnsiToWide(docTitle_.empty() ? title_ : docTitle_));
  try {
    printer->BeginDoc();
    bool aborted = false;
    DoPrintStatus(psBegin, StartPage, aborted);
    abort_ = aborted;
    int last = EndPage;
    if (!abort_) {
      LayoutOnCanvas(printer->Canvas());
      last = EndPage < 1 || EndPage > pageCount_ ? pageCount_ : EndPage;
      const int first = std::clamp(StartPage, 1, last);
      for (int copy = 1; copy <= copies_ && !abort_; ++copy)
        for (int page = first; page <= last && !abort_; ++page) {
          PrintPage(page);
          if (!abort_ && (page < last || copy < copies_)) printer->NewPage();
        }
    }
    if (!abort_) {
      DoPrintStatus(psEnd, last, aborted);
      abort_ = aborted;
      if (!abort_) printer->EndDoc();
    }
  } catch (...) {
    // A failing job is thrown away, and the next layout is not made as if still printing.
    printing_ = false;
    abort_ = false;
    if (printer->Printing()) {
      try {
        printer->Abort();
      } catch (...) {}
    }
    canvas_ = nullptr;
    throw;
  }
  printing_ = false;
  canvas_ = nullptr;
}
