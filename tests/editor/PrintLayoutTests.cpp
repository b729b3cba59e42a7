// Printer figures, margin units and page layout, wrap positions, Roman numerals, and the
// header and footer macros and bands.
#include <gtest/gtest.h>

#include <vector>

#include "editor/TxtEditPrint.h"
#include "editor/TxtEditPrintHeaderFooter.h"
#include "editor/TxtEditPrintPreview.h"
#include "editor/TxtEditPrinterInfo.h"
#include "framework/DateTime.h"
#include "tests/editor/PrintTestSupport.h"
#include "tests/framework/PublishedDefaults.h"

namespace {

// What a form file leaves out: each value a new object starts with, declared as its default.
TEST(PrintDefaults, PublishedDefaultsOfThePrintClasses) {
  THeader header;
  TFooter footer;
  for (THeaderFooter* band : {static_cast<THeaderFooter*>(&header), static_cast<THeaderFooter*>(&footer)}) {
    ExpectPublishedSetDefaults(band, {{"FrameTypes", "ftLine"}});
    ExpectPublishedDefaults(
        band, {{"ShadedColor", clSilver}, {"LineColor", clBlack}, {"RomanNumbers", 0}, {"MirrorPosition", 0}});
  }
  TTxtEditPrintMargins margins;
  ExpectPublishedDefaults(&margins, {{"UnitSystem", usMM}, {"MirrorMargins", 0}});
  TTxtEditPrint print(nullptr);
  ExpectPublishedDefaults(&print, {{"Copies", 1},
                                   {"Wrap", 1},
                                   {"Highlight", 1},
                                   {"SelectedOnly", 0},
                                   {"Colors", 0},
                                   {"LineNumbers", 0},
                                   {"LineOffset", 0},
                                   {"PageOffset", 0},
                                   {"LineNumbersInMargin", 0},
                                   {"TabWidth", 8},
                                   {"Color", clWhite}});
  TTxtEditPrintPreview preview(nullptr);
  ExpectPublishedDefaults(&preview, {{"Align", alClient},
                                     {"BorderStyle", bsSingle},
                                     {"Color", clAppWorkSpace},
                                     {"PageBGColor", clWhite},
                                     {"ScaleMode", pscUserScaled},
                                     {"ScalePercent", 100},
                                     {"ShowScrollHint", 1},
                                     {"Width", 200},
                                     {"Height", 120}});
}

TEST(PrinterInfo, NoPrinterOrAUselessOneGivesA4At300Dpi) {
  TFakePrinter none(0), useless(1, {0, 0, 0, 0, 0, 0, 0});
  for (TFakePrinter* printer : {&none, &useless}) {
    TTxtEditPrinterInfo info(printer);
    EXPECT_EQ((std::vector<int>{info.PhysicalWidth(), info.PhysicalHeight(), info.PrintableWidth(),
                                info.PrintableHeight(), info.LeftGutter(), info.RightGutter(), info.TopGutter(),
                                info.BottomGutter(), info.XPixPrInch(), info.YPixPrInch()}),
              (std::vector<int>{2481, 3507, 2358, 3407, 65, 58, 50, 50, 300, 300}));
    EXPECT_FLOAT_EQ(info.XPixPrmm(), 300 / 25.4f);
  }
}

TEST(PrinterInfo, DotsPerMillimetreAreTheDpiOver25Point4KeptInSinglePrecision) {
  // At these resolutions a division in single precision lands one step away.
  for (int dpi : {7, 17, 47, 300}) {
    TFakePrinter printer(1, {2000, 3000, 1900, 2900, 45, 35, dpi});
    TTxtEditPrinterInfo info(&printer);
    EXPECT_EQ(info.XPixPrmm(), static_cast<float>(dpi / 25.4)) << dpi;
    EXPECT_EQ(info.YPixPrmm(), static_cast<float>(dpi / 25.4)) << dpi;
  }
}

TEST(PrinterInfo, MillimetresToPixelsRoundHalfToEven) {
  // 1 inch = 25.4 mm; at 254 DPI one millimetre is exactly 10 pixels, so halves are exact.
  TFakePrinter printer(1, {2000, 3000, 1900, 2900, 45, 35, 254});
  TTxtEditPrinterInfo info(&printer);
  struct Case {
    double mm;
    int left, top;
  } cases[] = {
      {0, -45, -35}, {1, -35, -25}, {5.0, 5, 15}, {4.5, 0, 10}, {4.56, 1, 11}, {4.44, -1, 9},
  };
  for (const auto& c : cases)
    EXPECT_EQ(std::make_pair(info.LeftMmToPixels(c.mm), info.TopMmToPixels(c.mm)), std::pair(c.left, c.top)) << c.mm;
  // The right and bottom borders are what the paper leaves beside the printable area.
  EXPECT_EQ(std::make_pair(info.RightMmToPixels(10), info.BottomMmToPixels(10)), std::make_pair(100 - 55, 100 - 65));
  struct Half {
    double value;
    int rounded;
  } halves[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {3.5, 4}, {-2.5, -2}, {2.51, 3}};
  for (const auto& h : halves) EXPECT_EQ(RoundHalfEven(h.value), h.rounded) << h.value;
}

TEST(PrintMargins, UnitsConvertOnReadAndWriteOnly) {
  TTxtEditPrintMargins m, copy;
  m.SetUnitSystem(usInch);
  m.SetLeft(1);
  m.SetMirrorMargins(true);
  struct Case {
    TUnitSystem unit;
    double left;
  } cases[] = {{usInch, 1}, {usMM, 25.4}, {usCM, 2.54}, {muThousandthsOfInches, 1000}};
  for (const auto& c : cases) {
    m.SetUnitSystem(c.unit);
    EXPECT_NEAR(m.Left(), c.left, 1e-9) << c.unit;
  }
  copy.Assign(&m);
  EXPECT_TRUE(copy.UnitSystem() == muThousandthsOfInches && copy.MirrorMargins());
  EXPECT_NEAR(copy.Left(), 1000, 1e-9);
}

TEST(PrintMargins, LayoutMirrorsMarginsAndGutterOnEvenPages) {
  TFakePrinter none(0);
  TTxtEditPrinterInfo info(&none);
  TTxtEditPrintMargins m;
  m.SetGutter(10);
  m.SetMirrorMargins(true);
  // A4 at 300 DPI: left 25 + 10 mm, right 15 mm on odd pages; swapped on even ones.
  m.LayoutPage(nullptr, 1, info, false, false, 0);
  EXPECT_EQ((std::vector<int>{m.PLeft, m.PRight, m.PTop, m.PBottom, m.PHeader, m.PFooter, m.PGutter,
                              m.PHFInternalMargin, m.PLeftHFTextIndent, m.PRightHFTextIndent}),
            (std::vector<int>{348, 2239, 245, 3162, 127, 3280, 118, 6, 372, 2215}));
  m.LayoutPage(nullptr, 2, info, false, false, 0);
  EXPECT_EQ(m.PLeft, 112);
  EXPECT_EQ(m.PRight, 2003);
  m.SetMirrorMargins(false);
  m.LayoutPage(nullptr, 2, info, false, false, 0);
  EXPECT_EQ(m.PLeft, 348);
}

TEST(WrapRowByBreakChars, Cases) {
  struct Case {
    const char* text;
    int m;
    bool result;
    std::vector<int> positions;
  } cases[] = {
      {"short", 10, true, {}},
      {"exactly10!", 10, true, {}},
      {"nobreakcharacterhere", 10, false, {}},
      {"aaaa bbbb cccc dddd", 10, true, {10}},
      {"aaaa bbbb cccc dddd eeee", 10, true, {10, 20}},
      {"ab cdefghijklmnopqrstuvwxyz", 10, true, {3}},
      {"aaaaaaaaaaaaaaa bbb ccccc", 10, true, {16}},
      {"one-two three", 8, true, {8}},
  };
  TTxtCharSet breaks;
  breaks.Include(' ');
  breaks.Include('-');
  for (const auto& c : cases) {
    std::vector<int> positions;
    EXPECT_EQ(WrapRowByBreakChars(c.text, breaks, c.m, positions), c.result) << c.text;
    EXPECT_EQ(positions, c.positions) << c.text;
  }
}

TEST(IntToRoman, Numerals) {
  struct Case {
    int n;
    const char* roman;
  } cases[] = {{0, ""},    {-5, ""},   {1, "I"},    {4, "IV"},         {9, "IX"},           {14, "XIV"},
               {40, "XL"}, {90, "XC"}, {400, "CD"}, {1994, "MCMXCIV"}, {3999, "MMMCMXCIX"}, {5000, "MMMMM"}};
  for (const auto& c : cases) EXPECT_EQ(IntToRoman(c.n), c.roman) << c.n;
}

AnsiString Expand(const AnsiString& text, int page, int count, bool roman = false) {
  THeaderFooter band;
  band.Add(text, nullptr, taLeftJustify, 1);
  return band.Get(0)->ExpandText(count, page, roman, "Report", "12:30:00", "06/12/2026");
}

TEST(HeaderFooterMacros, Expansion) {
  struct Case {
    const char* text;
    bool roman;
    const char* expected;
  } cases[] = {
      {"Page $PAGENUM$ of $PAGECOUNT$", false, "Page 3 of 12"},
      {"Page $PAGENUM$ of $PAGECOUNT$", true, "Page III of XII"},
      {"$pagenum$/$PageCount$", false, "3/12"},
      {"$TITLE$: $DATE$ $TIME$", false, "Report: 06/12/2026 12:30:00"},
      {"$DATETIME$|$TIMEDATE$", false, "06/12/2026 12:30:00|12:30:00 06/12/2026"},
      {"$UNKNOWN$ $5", false, "$UNKNOWN$ $5"},
      {"cost $5 $PAGENUM$", false, "cost $5 3"},
      {"$$PAGENUM$$", false, "$3$"},
      {"   ", false, ""},
      {" \t\r\n\x01", false, ""},
      {"", false, ""},
      {"no macros", false, "no macros"},
  };
  for (const auto& c : cases) EXPECT_EQ(Expand(c.text, 3, 12, c.roman), c.expected) << c.text;
}

struct TFixedClock : TClock {
  TDateTime Now() const override { return EncodeDate(2026, 3, 4) + EncodeTime(5, 6, 7, 0); }
};

class BandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    canvas_.SetHandle(surface_.DC());
    previousClock_ = SetClock(&clock_);
    margins_.LayoutPage(&canvas_, 1, info_, false, false, 0);
  }
  void TearDown() override {
    SetClock(previousClock_);
    canvas_.SetHandle(nullptr);
  }
  TTestPicture surface_{2358, 600};
  TCanvas canvas_;
  TFixedClock clock_;
  TClock* previousClock_ = nullptr;
  TFakePrinter printer_{0};
  TTxtEditPrinterInfo info_{&printer_};
  TTxtEditPrintMargins margins_;
};

TEST_F(BandTest, PreparationKeepsRequestedLinesAndSortsStably) {
  THeader header;
  header.Add("b9", nullptr, taLeftJustify, 9);
  header.Add("a5", nullptr, taLeftJustify, 5);
  header.Add("c5", nullptr, taRightJustify, 5);
  header.PrepareForPrint(&canvas_, 1, &margins_, "T");
  ASSERT_EQ(header.LineCount(), 2);
  auto order = [&] {
    std::string s;
    for (int i = 0; i < header.Count(); ++i)
      s += header.Get(i)->Text() + ":" + std::to_string(header.Get(i)->BandLine()) + " ";
    return s;
  };
  EXPECT_EQ(order(), "a5:1 c5:1 b9:2 ");
  EXPECT_EQ(header.Get(2)->LineNumber(), 2);
  EXPECT_EQ(header.Get(2)->RequestedLineNumber(), 9);
  // An item added later for line 3 goes first, not after the renumbered ones.
  header.Add("z3", nullptr, taCenter, 3);
  header.PrepareForPrint(&canvas_, 1, &margins_, "T");
  EXPECT_EQ(order(), "z3:1 a5:2 c5:2 b9:3 ");
  canvas_.Font()->Assign(header.DefaultFont());
  EXPECT_EQ(header.FrameHeight(), 3 * canvas_.TextHeight(AnsiString("W")) + 2 * margins_.PHFInternalMargin);
  EXPECT_EQ(header.DateText(), DateToStr(clock_.Now()));
  EXPECT_EQ(header.TimeText(), TimeToStr(clock_.Now()));
}

TEST_F(BandTest, AssigningABandReplacesItsItems) {
  THeader source, target;
  source.Add("one", nullptr, taLeftJustify, 1);
  source.Add("two", nullptr, taRightJustify, 2);
  source.SetRomanNumbers(true);
  target.Add("old", nullptr, taCenter, 1);
  for (int round = 0; round < 2; ++round) {
    target.Assign(&source);
    ASSERT_EQ(target.Count(), 2) << round;
    EXPECT_EQ(target.Get(0)->Text() + target.Get(1)->Text(), "onetwo");
    EXPECT_TRUE(target.RomanNumbers());
  }
  target.Assign(&target);
  EXPECT_EQ(target.Count(), 2);
}

TEST_F(BandTest, PreparedItemsCarryTheirBandLine) {
  struct TCase {
    std::vector<int> requested;  // in the order the items are added
    int lines;                   // band lines after preparation
    std::vector<int> shown;      // LineNumber of the items, in their sorted order
  };
  const TCase cases[] = {
      {{5, 5, 9}, 2, {1, 1, 2}},
      {{9, 5, 5}, 2, {1, 1, 2}},
      {{3}, 1, {1}},
      {{0, -4, 7, 7, 100}, 4, {1, 2, 3, 3, 4}},
  };
  for (const TCase& c : cases) {
    THeader header;
    for (int line : c.requested) header.Add("x", nullptr, taLeftJustify, line);
    EXPECT_EQ(header.Get(0)->LineNumber(), c.requested[0]);  // as given until prepared
    header.PrepareForPrint(&canvas_, 1, &margins_, "");
    EXPECT_EQ(header.LineCount(), c.lines);
    std::vector<int> shown;
    for (int i = 0; i < header.Count(); ++i) shown.push_back(header.Get(i)->LineNumber());
    EXPECT_EQ(shown, c.shown);
    // Preparing again gives the same lines.
    header.PrepareForPrint(&canvas_, 1, &margins_, "");
    EXPECT_EQ(header.LineCount(), c.lines);
  }
}

TEST_F(BandTest, EmptyBandPaintsNothing) {
  THeader header;
  header.SetFrameTypes({ftLine, ftBox, ftShaded});
  header.PrepareForPrint(&canvas_, 1, &margins_, "");
  EXPECT_EQ(header.FrameHeight(), -1);
  header.PaintBand(&canvas_, 1);
  EXPECT_EQ(surface_.Count(0xFFFFFF), surface_.Width() * surface_.Height());
  // A band that had items and was cleared has none again, before it is prepared anew.
  header.Add("gone", nullptr, taLeftJustify, 1);
  header.PrepareForPrint(&canvas_, 1, &margins_, "");
  ASSERT_GT(header.FrameHeight(), 0);
  header.Clear();
  EXPECT_EQ(header.FrameHeight(), -1);
  header.Add("later", nullptr, taLeftJustify, 5);
  header.PaintBand(&canvas_, 1);
  EXPECT_EQ(surface_.Count(0xFFFFFF), surface_.Width() * surface_.Height());
}

TEST_F(BandTest, FramesAndMirroredAlignment) {
  TFooter footer;
  footer.SetFrameTypes({ftShaded});
  footer.SetShadedColor(TColor(0x00FF00));
  footer.Add("RIGHT", nullptr, taRightJustify, 1);
  footer.SetMirrorPosition(true);
  margins_.PFooter = 100;  // near the top of this small surface
  footer.PrepareForPrint(&canvas_, 2, &margins_, "");
  const int fh = footer.FrameHeight(), mid = (margins_.PLeft + margins_.PRight) / 2;
  ASSERT_GT(fh, 0);
  // Shaded inside the frame; the text (less green) on the right on odd pages, left on even.
  for (int page : {1, 2}) {
    surface_.Fill(0xFFFFFF);
    footer.PaintBand(&canvas_, page);
    EXPECT_EQ(surface_.Pixel(margins_.PLeft + 3, 100 + 2), 0x00FF00u);
    const int left = surface_.Count(0x00FF00, margins_.PLeft, 100, mid, 100 + fh);
    const int right = surface_.Count(0x00FF00, mid, 100, margins_.PRight, 100 + fh);
    EXPECT_EQ(right < left, page == 1);
  }
  // A header's rule lies on the header line.
  surface_.Fill(0xFFFFFF);
  THeader header;
  header.Add("x", nullptr, taCenter, 1);
  header.SetLineColor(TColor(0x0000FF));
  margins_.PHeader = 300;
  header.PrepareForPrint(&canvas_, 1, &margins_, "");
  header.PaintBand(&canvas_, 1);
  EXPECT_EQ(surface_.Pixel(margins_.PLeft + 1, 300), 0x0000FFu);
  EXPECT_EQ(surface_.Pixel(margins_.PLeft + 1, 299), 0xFFFFFFu);
}

}  // namespace
