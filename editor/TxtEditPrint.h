// Printing an editor's text: pagination for the printer's page and margins, word-wrapped rows,
// line numbers, highlighted tokens in fixed character cells, header and footer bands, selection
// and page-range printing, copies, progress events and abort. The print preview draws single
// pages of the same layout on its own canvas.
#pragma once

#include <memory>
#include <vector>

#include "editor/TxtEditHighlighter.h"
#include "editor/TxtEditPrintHeaderFooter.h"
#include "editor/TxtEditPrinterInfo.h"
#include "editor/TxtEditTypes.h"
#include "framework/Component.h"
#include "framework/Delegate.h"

class TCustomTxtEdit;
class TPrinter;

HV_ENUM(TTxtPrintStatus, psBegin, psNewPage, psEnd)
using TPrintLineEvent = TEvent<void(TObject* Sender, int LineNumber, int PageNumber)>;
using TPrintStatusEvent = TEvent<void(TObject* Sender, TTxtPrintStatus Status, int PageNumber, bool& Abort)>;

// Makes the print object and the preview known to form files.
void RegisterTxtEditPrintClasses();

// Where a page begins: a source line (0-based) and the row of that line (0 unless a wrapped
// line taller than the page was broken between its rows).
struct TPageLine {
  int FirstLine = 0;
  int FirstRow = 0;
};

class TTxtEditPrint : public TComponent {
  HV_CLASS(TTxtEditPrint, TComponent)
 public:
  explicit TTxtEditPrint(TComponent* AOwner);
  ~TTxtEditPrint() override;

  // Takes the editor's highlighter, font, tab width, lines and selection.
  void SetTxtEdit(TCustomTxtEdit* Value);

  // Prints every page / pages First..Last (-1: the last page), clamped to the pages there are.
  void Print();
  void PrintRange(int StartPage, int EndPage);
  // The number of pages, laid out on the screen at the printer's resolution when stale.
  int PageCount();
  // Reads the printer's figures again and lays the document out on the canvas.
  void LayoutOnCanvas(TCanvas* ACanvas);
  // Prints one page on the canvas (the preview); the page number is clamped to the pages.
  void PrintToCanvas(TCanvas* ACanvas, int PageNumber);

  int Copies() const { return copies_; }
  void SetCopies(int Value) { copies_ = std::max(1, Value); }
  THeader* Header() const { return header_.get(); }
  void SetHeader(THeader* Value) { header_->Assign(Value); }
  TFooter* Footer() const { return footer_.get(); }
  void SetFooter(TFooter* Value) { footer_->Assign(Value); }
  TTxtEditPrintMargins* Margins() const { return margins_.get(); }
  void SetMargins(TTxtEditPrintMargins* Value) { margins_->Assign(Value); }
  // The lines as printed (tabs expanded).
  TStrings* Lines() const { return lines_.get(); }
  void SetLines(TStrings* Value);
  TFont* Font() const { return font_.get(); }
  void SetFont(TFont* Value);
  const AnsiString& Title() const { return title_; }
  void SetTitle(const AnsiString& Value) { title_ = Value; }
  const AnsiString& DocTitle() const { return docTitle_; }
  void SetDocTitle(const AnsiString& Value) { docTitle_ = Value; }
  bool Wrap() const { return wrap_; }
  void SetWrap(bool Value);
  bool Highlight() const { return highlight_; }
  void SetHighlight(bool Value) { highlight_ = Value; }
  bool SelectedOnly() const { return selectedOnly_; }
  void SetSelectedOnly(bool Value);
  bool Colors() const { return colors_; }
  void SetColors(bool Value) { colors_ = Value; }
  bool LineNumbers() const { return lineNumbers_; }
  void SetLineNumbers(bool Value);
  int LineOffset() const { return lineOffset_; }
  void SetLineOffset(int Value);
  int PageOffset() const { return pageOffset_; }
  void SetPageOffset(int Value) { pageOffset_ = Value; }
  TTxtCustomHighlighter* Highlighter() const { return highlighter_; }
  void SetHighlighter(TTxtCustomHighlighter* Value);
  bool LineNumbersInMargin() const { return lineNumbersInMargin_; }
  void SetLineNumbersInMargin(bool Value);
  int TabWidth() const { return tabWidth_; }
  void SetTabWidth(int Value) { tabWidth_ = std::clamp(Value, 1, 256); }
  TColor Color() const { return color_; }
  void SetColor(TColor Value) { color_ = Value; }

  // The selection printed with SelectedOnly: block begin and end as display column and line,
  // both 1-based, and the selection mode.
  void SetSelection(bool Available, TBufferCoord BlockBegin, TBufferCoord BlockEnd, TTxtSelectionMode Mode);

  // The printer printed on (not owned; null for the program's printer) and its figures.
  TPrinter* Printer() const;
  void SetPrinterObject(TPrinter* Value);
  TTxtEditPrinterInfo& PrinterInfo() { return printerInfo_; }

  // The layout made last: columns per row, character cell, line height, and the pages.
  int MaxCol() const { return maxCol_; }
  int CharWidth() const { return charWidth_; }
  int LineHeight() const { return lineHeight_; }
  const std::vector<TPageLine>& Pages() const { return pages_; }
  bool Printing() const { return printing_; }

  // Where a line of `Text` breaks into rows of at most MaxCol() characters (1-based positions
  // of the last character of each row but the last); no character is left beyond a row.
  std::vector<TWrapPos> WrapPositions(std::string_view Text) const;
  // The part of line `Index` (0-based) that is printed.
  AnsiString SelectedText(int Index) const;

  TPrintLineEvent OnPrintLine;
  TPrintStatusEvent OnPrintStatus;

 protected:
  virtual void DoPrintStatus(TTxtPrintStatus Status, int PageNumber, bool& Abort);
  virtual void DoPrintLine(int LineNumber, int PageNumber);
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  struct TPiece;
  void SetCanvas(TCanvas* ACanvas);
  void PrepareLayout();
  void InitRanges();
  void Paginate();
  int RowCount(const AnsiString& Text) const;
  void PrintPage(int Num);
  void PrintLineRows(int Index, const AnsiString& Text, int FirstRow, int EndRow);
  void DrawPiece(std::string_view Text, int X, int Y, TColor Fore, TColor Back);
  void LineRange(int& First, int& Last) const;
  int LastLineNumber() const;

  int copies_ = 1;
  std::unique_ptr<THeader> header_;
  std::unique_ptr<TFooter> footer_;
  std::unique_ptr<TTxtEditPrintMargins> margins_;
  std::unique_ptr<TStringList> lines_;
  std::vector<void*> ranges_;
  std::unique_ptr<TFont> font_;
  AnsiString title_, docTitle_;
  bool wrap_ = true, highlight_ = true, selectedOnly_ = false, colors_ = false;
  bool lineNumbers_ = false, lineNumbersInMargin_ = false;
  int lineOffset_ = 0, pageOffset_ = 0;
  TTxtCustomHighlighter* highlighter_ = nullptr;
  int tabWidth_ = 8;
  TColor color_ = clWhite;

  TPrinter* printer_ = nullptr;
  TTxtEditPrinterInfo printerInfo_;
  std::vector<TPageLine> pages_;
  int pageCount_ = 1;
  TCanvas* canvas_ = nullptr;
  int charWidth_ = 1, lineHeight_ = 1, yPos_ = 0, maxWidth_ = 1, maxCol_ = 1;
  TColor fontColor_ = clBlack;
  bool rangesOK_ = false, pagesCounted_ = false, printing_ = false, abort_ = false, hlOK_ = false;
  bool selAvail_ = false;
  TBufferCoord blockBegin_, blockEnd_;
  TTxtSelectionMode selMode_ = smNormal;
};
