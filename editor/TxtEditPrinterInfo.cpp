// Printer figures, margins and their page layout, and the small helpers of printing.
#include "editor/TxtEditPrinterInfo.h"

#include <algorithm>
#include <cmath>

#include "framework/Printers.h"

HV_PUBLISH(TTxtEditPrintMargins) {
  p.Prop("UnitSystem", &T::UnitSystem, &T::SetUnitSystem).Default(usMM);
  p.Prop("Left", &T::Left, &T::SetLeft);
  p.Prop("Right", &T::Right, &T::SetRight);
  p.Prop("Top", &T::Top, &T::SetTop);
  p.Prop("Bottom", &T::Bottom, &T::SetBottom);
  p.Prop("Header", &T::Header, &T::SetHeader);
  p.Prop("Footer", &T::Footer, &T::SetFooter);
  p.Prop("LeftHFTextIndent", &T::LeftHFTextIndent, &T::SetLeftHFTextIndent);
  p.Prop("RightHFTextIndent", &T::RightHFTextIndent, &T::SetRightHFTextIndent);
  p.Prop("HFInternalMargin", &T::HFInternalMargin, &T::SetHFInternalMargin);
  p.Prop("Gutter", &T::Gutter, &T::SetGutter);
  p.Prop("MirrorMargins", &T::MirrorMargins, &T::SetMirrorMargins).Default(false);
}

int RoundHalfEven(double Value) {
  // The default rounding mode of the floating-point unit rounds halves to even.
  return static_cast<int>(std::nearbyint(Value));
}

// ---- TTxtEditPrinterInfo ----

void TTxtEditPrinterInfo::SetPrinterObject(TPrinter* Value) {
  printer_ = Value;
  isUpdated_ = false;
}

void TTxtEditPrinterInfo::SetDefaults() {
  physicalWidth_ = 2481;
  physicalHeight_ = 3507;
  printableWidth_ = 2358;
  printableHeight_ = 3407;
  leftGutter_ = 65;
  rightGutter_ = 58;
  topGutter_ = 50;
  bottomGutter_ = 50;
  xPixPrInch_ = 300;
  yPixPrInch_ = 300;
}

void TTxtEditPrinterInfo::ReadPrinterMetrics() {
  TPrinter* printer = printer_ ? printer_ : ::Printer();
  bool read = false;
  if (printer->PrinterCount() > 0) {
    try {
      physicalWidth_ = printer->DeviceCaps(PHYSICALWIDTH);
      physicalHeight_ = printer->DeviceCaps(PHYSICALHEIGHT);
      printableWidth_ = printer->DeviceCaps(HORZRES);
      printableHeight_ = printer->DeviceCaps(VERTRES);
      leftGutter_ = printer->DeviceCaps(PHYSICALOFFSETX);
      topGutter_ = printer->DeviceCaps(PHYSICALOFFSETY);
      xPixPrInch_ = printer->DeviceCaps(LOGPIXELSX);
      yPixPrInch_ = printer->DeviceCaps(LOGPIXELSY);
      rightGutter_ = physicalWidth_ - printableWidth_ - leftGutter_;
      bottomGutter_ = physicalHeight_ - printableHeight_ - topGutter_;
      // A driver that reports nothing usable is treated as no printer: every division by
      // these figures stays defined.
      read = physicalWidth_ > 0 && physicalHeight_ > 0 && printableWidth_ > 0 && printableHeight_ > 0 &&
             xPixPrInch_ > 0 && yPixPrInch_ > 0;
    } catch (const EPrinter&) {
      read = false;
    }
  }
  if (!read) SetDefaults();
  isUpdated_ = true;
}

int TTxtEditPrinterInfo::LeftMmToPixels(double Mm) { return RoundHalfEven(Mm * XPixPrmm() - LeftGutter()); }

int TTxtEditPrinterInfo::RightMmToPixels(double Mm) { return RoundHalfEven(Mm * XPixPrmm() - RightGutter()); }

int TTxtEditPrinterInfo::TopMmToPixels(double Mm) { return RoundHalfEven(Mm * YPixPrmm() - TopGutter()); }

int TTxtEditPrinterInfo::BottomMmToPixels(double Mm) { return RoundHalfEven(Mm * YPixPrmm() - BottomGutter()); }

// ---- TTxtEditPrintMargins ----

void TTxtEditPrintMargins::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TTxtEditPrintMargins*>(Source)) {
    left_ = src->left_;
    right_ = src->right_;
    top_ = src->top_;
    bottom_ = src->bottom_;
    header_ = src->header_;
    footer_ = src->footer_;
    leftHFTextIndent_ = src->leftHFTextIndent_;
    rightHFTextIndent_ = src->rightHFTextIndent_;
    hfInternalMargin_ = src->hfInternalMargin_;
    gutter_ = src->gutter_;
    mirrorMargins_ = src->mirrorMargins_;
    unitSystem_ = src->unitSystem_;
    return;
  }
  inherited::Assign(Source);
}

double TTxtEditPrintMargins::ToMM(double V) const {
  switch (unitSystem_) {
    case usCM: return V * 10;
    case usInch: return V * 25.4;
    case muThousandthsOfInches: return V * 25.4 / 1000;
    default: return V;
  }
}

double TTxtEditPrintMargins::FromMM(double Mm) const {
  switch (unitSystem_) {
    case usCM: return Mm / 10;
    case usInch: return Mm / 25.4;
    case muThousandthsOfInches: return Mm * 1000 / 25.4;
    default: return Mm;
  }
}

void TTxtEditPrintMargins::LayoutPage(TCanvas* ACanvas, int PageNum, TTxtEditPrinterInfo& PrinterInfo, bool LineNumbers,
                                      bool LineNumbersInMargin, int MaxLineNum) {
  const int w = std::max(2, PrinterInfo.PrintableWidth());
  const int h = std::max(2, PrinterInfo.PrintableHeight());
  if (mirrorMargins_ && PageNum % 2 == 0) {
    PLeft = PrinterInfo.LeftMmToPixels(right_);
    PRight = w - PrinterInfo.RightMmToPixels(left_ + gutter_);
  } else {
    PLeft = PrinterInfo.LeftMmToPixels(left_ + gutter_);
    PRight = w - PrinterInfo.RightMmToPixels(right_);
  }
  if (LineNumbers && !LineNumbersInMargin && ACanvas) PLeft += ACanvas->TextWidth(std::to_string(MaxLineNum) + ": ");
  PTop = PrinterInfo.TopMmToPixels(top_);
  PBottom = h - PrinterInfo.BottomMmToPixels(bottom_);
  PHeader = PrinterInfo.TopMmToPixels(header_);
  PFooter = h - PrinterInfo.BottomMmToPixels(footer_);
  // Margins inside the unprintable border, or wider than the paper, would put text where the
  // printer cannot reach: keep everything on the printable area with a text area of at least
  // one pixel.
  PLeft = std::clamp(PLeft, 0, w - 1);
  PRight = std::clamp(PRight, PLeft + 1, w);
  PTop = std::clamp(PTop, 0, h - 1);
  PBottom = std::clamp(PBottom, PTop + 1, h);
  PHeader = std::clamp(PHeader, 0, h);
  PFooter = std::clamp(PFooter, 0, h);
  PHFInternalMargin = RoundHalfEven(PrinterInfo.YPixPrmm() * hfInternalMargin_);
  PGutter = RoundHalfEven(PrinterInfo.XPixPrmm() * gutter_);
  PRightHFTextIndent = PRight - RoundHalfEven(PrinterInfo.XPixPrmm() * rightHFTextIndent_);
  PLeftHFTextIndent = PLeft + RoundHalfEven(PrinterInfo.XPixPrmm() * leftHFTextIndent_);
}

// ---- helpers ----

bool WrapRowByBreakChars(std::string_view Text, const TTxtCharSet& BreakChars, int MaxCol,
                         std::vector<TWrapPos>& Positions) {
  const int len = static_cast<int>(Text.size());
  if (len <= MaxCol) return true;
  int candidate = 0;
  int lastCut = 0;
  bool found = false;
  for (int i = 1; i <= len; ++i) {
    if (i - lastCut > MaxCol && candidate > 0) {
      Positions.push_back(candidate);
      found = true;
      lastCut = candidate;
      if (len - lastCut > MaxCol && i != len)
        candidate = 0;
      else
        break;
    } else if (BreakChars.Contains(static_cast<unsigned char>(Text[static_cast<size_t>(i - 1)]))) {
      candidate = i;
    }
  }
  return found;
}

AnsiString IntToRoman(int N) {
  static const struct {
    int value;
    const char* text;
  } table[] = {{1000, "M"}, {900, "CM"}, {500, "D"}, {400, "CD"}, {100, "C"}, {90, "XC"}, {50, "L"},
               {40, "XL"},  {10, "X"},   {9, "IX"},  {5, "V"},    {4, "IV"},  {1, "I"}};
  AnsiString result;
  for (const auto& entry : table)
    while (N >= entry.value) {
      result += entry.text;
      N -= entry.value;
    }
  return result;
}
