// What the print layout needs to know of the paper: the printer's page figures, the user's
// margins and their pixel positions on one page, and two small helpers of the layout (word-wrap
// positions for a printed row, Roman numerals for page numbers).
#pragma once

#include <string_view>
#include <vector>

#include "editor/TxtEditHighlighter.h"
#include "editor/TxtEditTypes.h"
#include "framework/Graphics.h"
#include "framework/Persistent.h"

class TPrinter;

HV_ENUM(TUnitSystem, usMM, usCM, usInch, muThousandthsOfInches)

// Rounds to the nearest integer, halves to the even one.
int RoundHalfEven(double Value);

// The paper, printable area, unprintable borders and resolution of a printer, in its pixels.
class TTxtEditPrinterInfo {
 public:
  // Reads from `printer` (not owned; null for the program's printer, Printer()).
  explicit TTxtEditPrinterInfo(TPrinter* APrinter = nullptr) : printer_(APrinter) {}

  // Reads the printer's figures now; with no printer installed, an A4 sheet at 300 DPI.
  void ReadPrinterMetrics();
  TPrinter* Printer() const { return printer_; }
  void SetPrinterObject(TPrinter* Value);

  int PhysicalWidth() { return Get(physicalWidth_); }
  int PhysicalHeight() { return Get(physicalHeight_); }
  int PrintableWidth() { return Get(printableWidth_); }
  int PrintableHeight() { return Get(printableHeight_); }
  int LeftGutter() { return Get(leftGutter_); }
  int RightGutter() { return Get(rightGutter_); }
  int TopGutter() { return Get(topGutter_); }
  int BottomGutter() { return Get(bottomGutter_); }
  int XPixPrInch() { return Get(xPixPrInch_); }
  int YPixPrInch() { return Get(yPixPrInch_); }
  // Worked out in double and kept in single precision.
  float XPixPrmm() { return static_cast<float>(Get(xPixPrInch_) / 25.4); }
  float YPixPrmm() { return static_cast<float>(Get(yPixPrInch_) / 25.4); }
  bool IsUpdated() const { return isUpdated_; }

  // Millimetres from the paper's edge to pixels from the printable area's edge.
  int LeftMmToPixels(double Mm);
  int RightMmToPixels(double Mm);
  int TopMmToPixels(double Mm);
  int BottomMmToPixels(double Mm);

 private:
  int Get(const int& Field) {
    if (!isUpdated_) ReadPrinterMetrics();
    return Field;
  }
  void SetDefaults();

  TPrinter* printer_;
  int physicalWidth_ = 0, physicalHeight_ = 0;
  int printableWidth_ = 0, printableHeight_ = 0;
  int leftGutter_ = 0, rightGutter_ = 0, topGutter_ = 0, bottomGutter_ = 0;
  int xPixPrInch_ = 0, yPixPrInch_ = 0;
  bool isUpdated_ = false;
};

// The user's margins, kept in millimetres and shown in a unit of choice, and their pixel
// positions for one page.
class TTxtEditPrintMargins : public TPersistent {
  HV_CLASS(TTxtEditPrintMargins, TPersistent)
 public:
  TTxtEditPrintMargins() = default;
  void Assign(TPersistent* Source) override;

  TUnitSystem UnitSystem() const { return unitSystem_; }
  void SetUnitSystem(TUnitSystem Value) { unitSystem_ = Value; }
  double Left() const { return FromMM(left_); }
  void SetLeft(double V) { left_ = ToMM(V); }
  double Right() const { return FromMM(right_); }
  void SetRight(double V) { right_ = ToMM(V); }
  double Top() const { return FromMM(top_); }
  void SetTop(double V) { top_ = ToMM(V); }
  double Bottom() const { return FromMM(bottom_); }
  void SetBottom(double V) { bottom_ = ToMM(V); }
  double Header() const { return FromMM(header_); }
  void SetHeader(double V) { header_ = ToMM(V); }
  double Footer() const { return FromMM(footer_); }
  void SetFooter(double V) { footer_ = ToMM(V); }
  double LeftHFTextIndent() const { return FromMM(leftHFTextIndent_); }
  void SetLeftHFTextIndent(double V) { leftHFTextIndent_ = ToMM(V); }
  double RightHFTextIndent() const { return FromMM(rightHFTextIndent_); }
  void SetRightHFTextIndent(double V) { rightHFTextIndent_ = ToMM(V); }
  double HFInternalMargin() const { return FromMM(hfInternalMargin_); }
  void SetHFInternalMargin(double V) { hfInternalMargin_ = ToMM(V); }
  double Gutter() const { return FromMM(gutter_); }
  void SetGutter(double V) { gutter_ = ToMM(V); }
  bool MirrorMargins() const { return mirrorMargins_; }
  void SetMirrorMargins(bool V) { mirrorMargins_ = V; }

  // Computes the pixel positions below for page `PageNum` (1-based). Positions that would fall
  // outside the printable area are kept inside it, and the text area keeps at least one pixel
  // of width and height.
  void LayoutPage(TCanvas* ACanvas, int PageNum, TTxtEditPrinterInfo& PrinterInfo, bool LineNumbers,
                  bool LineNumbersInMargin, int MaxLineNum);

  // Printable-area pixels of the page laid out last.
  int PLeft = 0, PRight = 0, PTop = 0, PBottom = 0;
  int PHeader = 0, PFooter = 0;
  int PLeftHFTextIndent = 0, PRightHFTextIndent = 0;
  int PHFInternalMargin = 0, PGutter = 0;

 private:
  double ToMM(double V) const;
  double FromMM(double Mm) const;

  TUnitSystem unitSystem_ = usMM;
  double left_ = 25, right_ = 15, top_ = 25, bottom_ = 25, header_ = 15, footer_ = 15;
  double leftHFTextIndent_ = 2, rightHFTextIndent_ = 2, hfInternalMargin_ = 0.5, gutter_ = 0;
  bool mirrorMargins_ = false;
};

// The 1-based index of the character after which a printed row ends.
using TWrapPos = int;

// Appends to `Positions` where `Text` may be broken into rows of at most `MaxCol` characters
// at the characters of `BreakChars`; true when the text fits or a break was found.
bool WrapRowByBreakChars(std::string_view Text, const TTxtCharSet& BreakChars, int MaxCol,
                         std::vector<TWrapPos>& Positions);

// The Roman numeral of N; empty for 0 and below.
AnsiString IntToRoman(int N);
