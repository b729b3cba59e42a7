// The header and footer bands of printed pages: text items with their own fonts, alignments
// and band lines, page-number, title, date and time macros, and an optional frame.
#pragma once

#include <memory>
#include <vector>

#include "editor/TxtEditPrinterInfo.h"
#include "framework/Graphics.h"
#include "framework/Persistent.h"
#include "framework/Alignment.h"

HV_ENUM(TFrameType, ftLine, ftBox, ftShaded)
using TFrameTypes = TSet<TFrameType>;
HV_ENUM(THeaderFooterType, hftHeader, hftFooter)

class THeaderFooterItem {
 public:
  THeaderFooterItem();
  ~THeaderFooterItem();

  const AnsiString& Text() const { return text_; }
  void SetText(const AnsiString& Value) { text_ = Value; }
  TFont* Font() const { return font_.get(); }
  void SetFont(TFont* Value);  // copies
  // The item's line: as given until the band is prepared, then the 1-based index of its line
  // among the band's lines.
  int LineNumber() const { return bandLine_; }
  void SetLineNumber(int Value) { lineNumber_ = bandLine_ = Value; }
  // The line as given, which orders the items at every preparation: renumbering must not
  // move an item added later for an earlier line behind the ones already numbered.
  int RequestedLineNumber() const { return lineNumber_; }
  int BandLine() const { return bandLine_; }
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value) { alignment_ = Value; }
  // The item's position in the list when it was added.
  int Index() const { return index_; }

  // The text with its macros replaced.
  AnsiString ExpandText(int PageCount, int PageNum, bool Roman, const AnsiString& Title, const AnsiString& ATime,
                        const AnsiString& ADate) const;

 private:
  friend class THeaderFooter;
  AnsiString text_;
  std::unique_ptr<TFont> font_;
  int lineNumber_ = 1;
  int bandLine_ = 1;
  TAlignment alignment_ = taLeftJustify;
  int index_ = 0;
};

struct TLineInfo {
  int LineHeight = 0;
  int MaxBaseDist = 0;  // the greatest ascent of the line's fonts
};

class THeaderFooter : public TPersistent {
  HV_CLASS(THeaderFooter, TPersistent)
 public:
  explicit THeaderFooter(THeaderFooterType Type = hftHeader);
  ~THeaderFooter() override;

  // Copies the kind, frame, colours, items (replacing this band's), default font and options.
  void Assign(TPersistent* Source) override;

  // A new item whose font is a copy of `AFont`, or of DefaultFont when null; its index.
  int Add(const AnsiString& Text, TFont* AFont, TAlignment Alignment, int LineNumber);
  void Delete(int Index);
  void Clear();
  int Count() const { return static_cast<int>(items_.size()); }
  THeaderFooterItem* Get(int Index) const;

  void SetPixelsPerInch(int Value);  // every item font's resolution, keeping its point size
  void SetItemFontsResolution(int Value) { SetPixelsPerInch(Value); }

  // Sorts and numbers the band lines, measures them and takes the date and time once.
  void PrepareForPrint(TCanvas* ACanvas, int PageCount, TTxtEditPrintMargins* Margins, const AnsiString& Title);
  // Paints the frame and items of page `PageNum` (after PrepareForPrint).
  void PaintBand(TCanvas* ACanvas, int PageNum);

  THeaderFooterType Type() const { return type_; }
  TFrameTypes FrameTypes() const { return frameTypes_; }
  void SetFrameTypes(TFrameTypes Value) { frameTypes_ = Value; }
  TColor ShadedColor() const { return shadedColor_; }
  void SetShadedColor(TColor Value) { shadedColor_ = Value; }
  TColor LineColor() const { return lineColor_; }
  void SetLineColor(TColor Value) { lineColor_ = Value; }
  TFont* DefaultFont() const { return defaultFont_.get(); }
  void SetDefaultFont(TFont* Value) { defaultFont_->Assign(Value); }
  bool RomanNumbers() const { return romanNumbers_; }
  void SetRomanNumbers(bool Value) { romanNumbers_ = Value; }
  bool MirrorPosition() const { return mirrorPosition_; }
  void SetMirrorPosition(bool Value) { mirrorPosition_ = Value; }

  // Results of the last preparation: frame height in pixels (-1 without items), the band's
  // lines, and the date and time texts the macros show.
  int FrameHeight() const { return frameHeight_; }
  int LineCount() const { return static_cast<int>(lineInfo_.size()); }
  const TLineInfo& LineInfo(int Index) const { return lineInfo_.at(static_cast<size_t>(Index)); }
  const AnsiString& DateText() const { return date_; }
  const AnsiString& TimeText() const { return time_; }

 private:
  void DrawFrame(TCanvas* ACanvas);
  void SaveFontPenBrush(TCanvas* ACanvas);
  void RestoreFontPenBrush(TCanvas* ACanvas);

  THeaderFooterType type_;
  TFrameTypes frameTypes_{ftLine};
  TColor shadedColor_ = clSilver;
  TColor lineColor_ = clBlack;
  std::vector<std::unique_ptr<THeaderFooterItem>> items_;
  std::unique_ptr<TFont> defaultFont_;
  AnsiString date_, time_;
  int pageCount_ = 0;
  AnsiString title_;
  TTxtEditPrintMargins* margins_ = nullptr;
  int frameHeight_ = -1;
  TFont oldFont_;
  TPen oldPen_;
  TBrush oldBrush_;
  bool romanNumbers_ = false;
  std::vector<TLineInfo> lineInfo_;
  bool mirrorPosition_ = false;
};

class THeader : public THeaderFooter {
  HV_CLASS(THeader, THeaderFooter)
 public:
  THeader() : THeaderFooter(hftHeader) {}
};

class TFooter : public THeaderFooter {
  HV_CLASS(TFooter, THeaderFooter)
 public:
  TFooter() : THeaderFooter(hftFooter) {}
};

// A font's resolution changed with its point size kept.
void SetFontPixelsPerInch(TFont* Font, int PixelsPerInch);
