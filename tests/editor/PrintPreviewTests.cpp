// The print preview in a shown form: the sample sheet, the scale modes and the sheet size,
// paging by buttons, wheel and scroll box with its hint, scrolling, and what the sheet shows.
#include <gtest/gtest.h>

#include <fstream>

#include "editor/TxtEditPrint.h"
#include "editor/TxtEditPrintPreview.h"
#include "framework/Forms.h"
#include "framework/HintWindow.h"
#include "tests/editor/PrintTestSupport.h"

namespace {

class PreviewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = std::make_unique<TForm>(nullptr, CreateNew);
    form_->SetBounds(0, 0, 520, 640);
    preview_ = new TTxtEditPrintPreview(form_.get());
    preview_->SetParent(form_.get());
    preview_->OnPreviewPage = TPreviewPageEvent(this, &PreviewTest::Page);
    preview_->OnScaleChange = TNotifyEvent(this, &PreviewTest::Scale);
    print_ = std::make_unique<TTxtEditPrint>(nullptr);
    print_->SetPrinterObject(&printer_);
    TFont font;
    font.SetName(L"Courier New");
    font.SetSize(10);
    print_->SetFont(&font);
    print_->Header()->Add("HEADER $PAGENUM$", nullptr, taLeftJustify, 1);
    form_->Show();
    Settle();
  }
  void TearDown() override {
    form_.reset();
    print_.reset();
  }
  void SetPages(int pages) {
    print_->PageCount();
    const auto* m = print_->Margins();
    const int perPage = (m->PBottom - m->PTop) / print_->LineHeight();
    TStringList lines;
    for (int i = 0; i < perPage * (pages - 1) + 1; ++i) lines.Add("Preview line " + std::to_string(i + 1));
    print_->SetLines(&lines);
    ASSERT_EQ(print_->PageCount(), pages);
  }
  void Attach(int pages) {
    SetPages(pages);
    preview_->SetTxtEditPrint(print_.get());
    preview_->UpdatePreview();
    Settle();
    pages_.clear();
    scales_ = 0;
  }
  void Settle() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    UpdateWindow(preview_->Handle());
  }
  std::unique_ptr<TTestSurface> Capture() {
    Settle();
    RECT client{};
    GetClientRect(preview_->Handle(), &client);
    auto s = std::make_unique<TTestSurface>(client.right, client.bottom, 0x123456);
    HDC dc = GetDC(preview_->Handle());
    BitBlt(s->DC(), 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    ReleaseDC(preview_->Handle(), dc);
    return s;
  }
  void Send(UINT msg, WPARAM w) {
    SendMessageW(preview_->Handle(), msg, w, 0);
    Settle();
  }
  void Page(TObject*, int page) { pages_.push_back(page); }
  void Scale(TObject*) { ++scales_; }

  TFakePrinter printer_;
  std::unique_ptr<TTxtEditPrint> print_;
  std::unique_ptr<TForm> form_;
  TTxtEditPrintPreview* preview_ = nullptr;
  std::vector<int> pages_;
  int scales_ = 0;
};

TEST_F(PreviewTest, WithoutPrintObjectShowsTheSampleSheet) {
  auto shot = Capture();
  const uint32_t workspace = ColorToRGB(clAppWorkSpace);
  const uint32_t swapped = ((workspace & 0xFF) << 0) | (workspace & 0xFF00) | ((workspace >> 16) & 0xFF) << 16;
  EXPECT_EQ(shot->Pixel(5, 5), swapped);
  EXPECT_EQ(shot->Pixel(25, 30), 0xFFFFFFu);
  EXPECT_EQ(shot->Pixel(50, 70), swapped);
}

TEST_F(PreviewTest, WholePageKeepsProportionsAndIsCentred) {
  Attach(3);
  preview_->SetScaleMode(pscWholePage);
  const TRect r = preview_->SheetRect();
  const int w = r.Right - r.Left, h = r.Bottom - r.Top;
  EXPECT_NEAR(static_cast<double>(h) / w, 1169.0 / 827, 0.01);
  const int cw = preview_->ClientWidth(), ch = preview_->ClientHeight();
  EXPECT_TRUE(h == ch - 26 || w == cw - 26);
  EXPECT_NEAR(r.Left, cw - r.Right - 2, 1);  // centred: the shadow's 2 pixels on the right
  EXPECT_EQ(scales_, 1);
}

TEST_F(PreviewTest, UserScaleIsTheTrueSizeOnTheScreen) {
  TFakePrinter a4At600(1, {4961, 7016, 4800, 6800, 80, 100, 600});
  print_->SetPrinterObject(&a4At600);
  Attach(1);
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  const TRect r = preview_->SheetRect();
  if (dpi == 96) {
    EXPECT_EQ(r.Right - r.Left, 794);
  }
  EXPECT_EQ(r.Right - r.Left, MulDiv(4961, dpi, 600));
  preview_->SetScalePercent(50);
  EXPECT_EQ(preview_->SheetRect().Right - preview_->SheetRect().Left, MulDiv(MulDiv(4961, dpi, 600), 50, 100));
  preview_->SetScalePercent(-5);
  EXPECT_EQ(preview_->ScalePercent(), 1);
}

TEST_F(PreviewTest, SamePercentInWholePageSwitchesModeAndSignalsTwice) {
  Attach(2);
  preview_->SetScaleMode(pscWholePage);
  scales_ = 0;
  preview_->SetScalePercent(preview_->ScalePercent());
  EXPECT_EQ(preview_->ScaleMode(), pscUserScaled);
  EXPECT_EQ(scales_, 2);
}

TEST_F(PreviewTest, PageButtonsStayWithinThePages) {
  Attach(3);
  preview_->LastPage();
  preview_->NextPage();
  EXPECT_EQ(preview_->PageNumber(), 3);
  preview_->FirstPage();
  preview_->PreviousPage();
  EXPECT_EQ(pages_, (std::vector<int>{3, 3, 1, 1}));
  preview_->SetPageNumber(99);
  EXPECT_EQ(preview_->PageNumber(), 3);
}

TEST_F(PreviewTest, WheelAndScrollBoxFlipPagesInWholePageMode) {
  Attach(6);
  preview_->SetScaleMode(pscWholePage);
  preview_->SetPageNumber(5);
  for (int i = 0; i < 3; ++i) Send(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA));
  EXPECT_EQ(preview_->PageNumber(), 2);
  // Half notches add up.
  Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-60)));
  EXPECT_EQ(preview_->PageNumber(), 2);
  Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-60)));
  EXPECT_EQ(preview_->PageNumber(), 3);
  Send(WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 5));
  EXPECT_EQ(preview_->PageNumber(), 5);
  ASSERT_NE(preview_->ScrollHint(), nullptr);
  EXPECT_EQ(preview_->ScrollHint()->Caption(), L"Page: 5");
  EXPECT_TRUE(IsWindowVisible(preview_->ScrollHint()->Handle()));
  Send(WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0));
  Send(WM_VSCROLL, MAKEWPARAM(SB_BOTTOM, 0));
  EXPECT_EQ(preview_->PageNumber(), 6);
  Send(WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0));
  EXPECT_EQ(preview_->PageNumber(), 6);
  Send(WM_VSCROLL, MAKEWPARAM(SB_TOP, 0));
  Send(WM_VSCROLL, MAKEWPARAM(SB_PAGEUP, 0));
  EXPECT_EQ(preview_->PageNumber(), 1);
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  GetScrollInfo(preview_->Handle(), SB_VERT, &si);
  EXPECT_EQ(si.nMax, 6);
  EXPECT_EQ(si.nPos, 1);
}

TEST_F(PreviewTest, ScrollingInUserScale) {
  Attach(1);
  preview_->SetScalePercent(200);
  const int h = preview_->ClientHeight(), w = preview_->ClientWidth();
  Send(WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0));
  EXPECT_EQ(preview_->ScrollPosition().Y, -(h / 10));
  Send(WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0));
  EXPECT_EQ(preview_->ScrollPosition().Y, -(h / 10) - h / 2);
  Send(WM_VSCROLL, MAKEWPARAM(SB_BOTTOM, 0));
  EXPECT_EQ(preview_->ScrollPosition().Y, h - preview_->VirtualSize().cy);
  Send(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 30));
  EXPECT_EQ(preview_->ScrollPosition().X, -30);
  Send(WM_HSCROLL, MAKEWPARAM(SB_RIGHT, 0));
  EXPECT_EQ(preview_->ScrollPosition().X, w - preview_->VirtualSize().cx);
  Send(WM_VSCROLL, MAKEWPARAM(SB_TOP, 0));
  Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)));
  EXPECT_EQ(preview_->ScrollPosition().Y, -WHEEL_DELTA);
  const TRect r = preview_->SheetRect();
  EXPECT_EQ(r.Top, 12 - WHEEL_DELTA);
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  GetScrollInfo(preview_->Handle(), SB_VERT, &si);
  EXPECT_EQ(si.nPos, WHEEL_DELTA);
}

TEST_F(PreviewTest, UpdateKeepsThePageWithinAShrunkenText) {
  Attach(5);
  preview_->LastPage();
  SetPages(2);
  preview_->UpdatePreview();
  EXPECT_EQ(preview_->PageNumber(), 2);
  EXPECT_EQ(pages_.back(), 2);
  preview_->SetBounds(0, 0, 3, 3);
  preview_->SetScaleMode(pscWholePage);
  Settle();
  EXPECT_GE(preview_->SheetRect().Right - preview_->SheetRect().Left, 1);
}

TEST_F(PreviewTest, TheSheetShowsShadowHeaderAndText) {
  Attach(2);
  preview_->SetScaleMode(pscWholePage);
  auto shot = Capture();
  const TRect r = preview_->SheetRect();
  // The shadow, darker than the background, and the white sheet.
  EXPECT_NE(shot->Pixel(r.Right + 1, r.Bottom + 1), shot->Pixel(r.Right + 1, r.Top));
  EXPECT_EQ(shot->Pixel(r.Left + 3, r.Top + 3), 0xFFFFFFu);
  // Ink in the header band and in the text area, none in the left margin.
  const int w = r.Right - r.Left, h = r.Bottom - r.Top;
  const int ink = w * h - shot->Count(0xFFFFFF, r.Left + 1, r.Top + 1, r.Right, r.Bottom);
  EXPECT_GT(ink, 0);
  const int marginRight = r.Left + w * 20 / 210;
  EXPECT_EQ(shot->Count(0xFFFFFF, r.Left + 1, r.Top + 1, marginRight, r.Bottom),
            (marginRight - r.Left - 1) * (r.Bottom - r.Top - 1));
  if (const char* path = std::getenv("VERDAN_PREVIEW_SHOT")) {
    // A picture of the control for a person to look at.
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << shot->Width() << " " << shot->Height() << "\n255\n";
    for (int y = 0; y < shot->Height(); ++y)
      for (int x = 0; x < shot->Width(); ++x) {
        const uint32_t c = shot->Pixel(x, y);
        out.put(static_cast<char>(c & 0xFF)).put(static_cast<char>((c >> 8) & 0xFF)).put(static_cast<char>((c >> 16) & 0xFF));
      }
  }
}

TEST_F(PreviewTest, DestroyingThePrintObjectDetachesIt) {
  Attach(2);
  print_.reset();
  EXPECT_EQ(preview_->TxtEditPrint(), nullptr);
  auto shot = Capture();
  EXPECT_EQ(shot->Pixel(25, 30), 0xFFFFFFu);
}

}  // namespace
