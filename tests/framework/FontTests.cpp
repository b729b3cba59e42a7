// Fonts, pens and brushes: properties, change notification, handles and their release.
#include <gtest/gtest.h>

#include "framework/Graphics.h"
#include "tests/framework/Raised.h"

namespace {

struct ChangeCounter {
  int changes = 0;
  TObject* sender = nullptr;
  void Changed(TObject* Sender) {
    ++changes;
    sender = Sender;
  }
};

LOGFONTW ObjectLogFont(HFONT font) {
  LOGFONTW lf{};
  GetObjectW(font, sizeof lf, &lf);
  return lf;
}

}  // namespace

TEST(Font, SizeAndHeightFollowTheResolution) {
  TFont font;
  font.SetPixelsPerInch(96);
  font.SetSize(10);
  EXPECT_EQ(font.Height(), -13);
  font.SetHeight(-16);
  EXPECT_EQ(font.Size(), 12);
  font.SetHeight(16);  // a cell height reads as a negative size
  EXPECT_EQ(font.Size(), -12);
  font.SetPixelsPerInch(72);
  font.SetHeight(-20);
  EXPECT_EQ(font.Size(), 20);
  font.SetPixelsPerInch(0);  // refused
  EXPECT_EQ(font.PixelsPerInch(), 72);
}

TEST(Font, HandleIsMadeAgainAfterAChange) {
  TFont font;
  font.SetName(L"Courier New");
  font.SetSize(10);
  HFONT first = font.Handle();
  EXPECT_EQ(font.Handle(), first);  // kept while nothing changes
  EXPECT_EQ(ObjectLogFont(first).lfWeight, FW_NORMAL);

  font.SetStyle({fsBold, fsUnderline});
  LOGFONTW bold = ObjectLogFont(font.Handle());
  EXPECT_EQ(bold.lfWeight, FW_BOLD);
  EXPECT_TRUE(bold.lfUnderline);
  EXPECT_EQ(bold.lfHeight, font.Height());
  EXPECT_STREQ(bold.lfFaceName, L"Courier New");

  // The colour is not part of the font's handle.
  HFONT before = font.Handle();
  font.SetColor(clBlue);
  EXPECT_EQ(font.Handle(), before);
}

TEST(Font, AssignCopiesEverythingWithOneChange) {
  TFont source;
  source.SetName(L"Courier New");
  source.SetSize(14);
  source.SetStyle({fsBold});
  source.SetColor(clMaroon);
  source.SetCharset(ANSI_CHARSET);
  source.SetPitch(fpFixed);
  TFont target;
  ChangeCounter counter;
  target.OnChange = TNotifyEvent(&counter, &ChangeCounter::Changed);
  target.Assign(&source);
  EXPECT_EQ(counter.changes, 1);
  EXPECT_EQ(target.Name(), L"Courier New");
  EXPECT_EQ(target.Height(), source.Height());
  EXPECT_EQ(target.Style(), TFontStyles{fsBold});
  EXPECT_EQ(target.Color(), clMaroon);
  EXPECT_EQ(target.Pitch(), fpFixed);
  target.Assign(&source);  // nothing differs
  EXPECT_EQ(counter.changes, 1);

  // A font measured for a printer keeps its point size on the screen.
  TFont printer;
  printer.SetPixelsPerInch(600);
  printer.SetSize(10);
  TFont screen;
  screen.SetPixelsPerInch(96);
  screen.Assign(&printer);
  EXPECT_EQ(screen.Size(), 10);

  TPen pen;
  EXPECT_EQ(Raised<EConvertError>([&] { target.Assign(&pen); }), "Cannot assign a TPen to a TFont");
}

TEST(Font, HandlesAreReleasedAfterAThousandCycles) {
  int base = GdiObjectCount();
  for (int i = 0; i < 1000; ++i) {
    TFont font;
    font.Handle();
    font.SetSize(8 + i % 5);
    font.Handle();
    font.SetStyle({fsBold});
    font.Handle();
    TFont copy;
    copy.Assign(&font);
    copy.Handle();
  }
  EXPECT_EQ(GdiObjectCount(), base);
}

TEST(PenAndBrush, PropertiesHandlesAndChanges) {
  int base = GdiObjectCount();
  {
    TPen pen;
    ChangeCounter counter;
    pen.OnChange = TNotifyEvent(&counter, &ChangeCounter::Changed);
    pen.SetWidth(0);  // below 1 counts as 1: no change
    pen.SetColor(clRed);
    pen.SetWidth(3);
    pen.SetMode(pmXor);
    EXPECT_EQ(counter.changes, 3);
    LOGPEN lp{};
    GetObjectW(pen.Handle(), sizeof lp, &lp);
    EXPECT_EQ(lp.lopnColor, RGB(255, 0, 0));

    TBrush brush;
    brush.SetColor(clBtnFace);
    LOGBRUSH lb{};
    GetObjectW(brush.Handle(), sizeof lb, &lb);
    EXPECT_EQ(lb.lbColor, GetSysColor(COLOR_BTNFACE));
    brush.SetStyle(bsClear);
    EXPECT_EQ(brush.Handle(), GetStockObject(NULL_BRUSH));
    // Giving a clear brush a colour makes it solid again.
    brush.SetColor(clBtnFace);
    EXPECT_EQ(brush.Style(), bsSolid);
    brush.SetStyle(bsCross);
    GetObjectW(brush.Handle(), sizeof lb, &lb);
    EXPECT_EQ(lb.lbStyle, static_cast<UINT>(BS_HATCHED));
    EXPECT_EQ(lb.lbHatch, static_cast<ULONG_PTR>(HS_CROSS));
  }
  EXPECT_EQ(GdiObjectCount(), base);
}
