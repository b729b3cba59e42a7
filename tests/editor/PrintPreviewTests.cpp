// The print preview in a shown form: the sample sheet, the scale modes and the sheet size,
// paging by buttons, wheel and scroll box with its hint, scrolling, and what the sheet shows.
#include <gtest/gtest.h>

#include <climits>

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
    print_->Header()->Add("HEADER $PAGENUM$", nullptr, taLeftJustify, 1);
    form_->Show();
    Settle();
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
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    UpdateWindow(preview_->Handle());
  }
  std::unique_ptr<TTestPicture> Capture() {  // what the screen shows of the client area
    Settle();
    auto s = std::make_unique<TTestPicture>(preview_->ClientWidth(), preview_->ClientHeight());
    HDC dc = GetDC(preview_->Handle());
    BitBlt(s->DC(), 0, 0, s->Width(), s->Height(), dc, 0, 0, SRCCOPY);
    ReleaseDC(preview_->Handle(), dc);
    return s;
  }
  SCROLLINFO VScroll() {
    SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(preview_->Handle(), SB_VERT, &si);
    return si;
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
  // Also once the print object shown is destroyed.
  Attach(2);
  print_.reset();
  EXPECT_EQ(preview_->TxtEditPrint(), nullptr);
  preview_->Invalidate();
  auto shot = Capture();
  const uint32_t workspace = ColorToRGB(clAppWorkSpace);
  EXPECT_EQ((std::vector<uint32_t>{shot->Pixel(5, 5), shot->Pixel(25, 30), shot->Pixel(50, 70)}),
            (std::vector<uint32_t>{workspace, 0xFFFFFF, workspace}));
}

TEST_F(PreviewTest, ADesignedPreviewShowsTheSampleSheetWhateverItIsGiven) {
  Attach(2);
  const uint32_t workspace = ColorToRGB(clAppWorkSpace);
  for (bool designing : {false, true}) {
    preview_->SetDesigning(designing);
    preview_->Invalidate();
    auto shot = Capture();
    // The sample sheet ends at (42, 55); the page of a print object reaches further.
    EXPECT_EQ(shot->Pixel(25, 30), 0xFFFFFFu) << designing;
    EXPECT_EQ(shot->Pixel(50, 70) == workspace, designing) << designing;
  }
}

TEST_F(PreviewTest, WholePageKeepsProportionsAndIsCentred) {
  Attach(3);
  preview_->SetScaleMode(pscWholePage);
  const TRect r = preview_->SheetRect();
  const int w = r.Right - r.Left, h = r.Bottom - r.Top, cw = preview_->ClientWidth(), ch = preview_->ClientHeight();
  EXPECT_NEAR(static_cast<double>(h) / w, 1169.0 / 827, 0.01);
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
  auto width = [&] { return preview_->SheetRect().Right - preview_->SheetRect().Left; };
  EXPECT_EQ(width(), dpi == 96 ? 794 : MulDiv(4961, dpi, 600));
  preview_->SetScalePercent(50);
  EXPECT_EQ(width(), MulDiv(MulDiv(4961, dpi, 600), 50, 100));
  // A percentage is taken as given up to 10000: a million times the page's size hung the drawing.
  for (int percent : {-5, 0, 10000, 10001, 150000000, INT_MAX}) {
    preview_->SetScalePercent(percent);
    EXPECT_EQ(preview_->ScalePercent(), std::min(percent, 10000)) << percent;
    EXPECT_EQ(width(), percent <= 0 ? 1 : MulDiv(MulDiv(4961, dpi, 600), 10000, 100)) << percent;
    Capture();
  }
  // The same percentage in whole-page mode switches the mode and signals twice.
  preview_->SetScaleMode(pscWholePage);
  scales_ = 0;
  preview_->SetScalePercent(10000);
  EXPECT_EQ(preview_->ScaleMode(), pscUserScaled);
  EXPECT_EQ(scales_, 2);
}

TEST_F(PreviewTest, PageButtonsStayWithinThePages) {
  Attach(3);
  preview_->LastPage();
  preview_->NextPage();
  preview_->FirstPage();
  preview_->PreviousPage();
  EXPECT_EQ(pages_, (std::vector<int>{3, 3, 1, 1}));
  preview_->SetPageNumber(99);
  EXPECT_EQ(preview_->PageNumber(), 3);
}

struct TStep {
  UINT msg;
  WPARAM w;
  int expected;
};

TEST_F(PreviewTest, WheelAndScrollBoxFlipPagesInWholePageMode) {
  Attach(6);
  preview_->SetScaleMode(pscWholePage);
  preview_->SetPageNumber(5);
  const WPARAM notch = MAKEWPARAM(0, WHEEL_DELTA), half = MAKEWPARAM(0, static_cast<WORD>(-60));
  const TStep steps[] = {{WM_MOUSEWHEEL, notch, 4},
                         {WM_MOUSEWHEEL, notch, 3},
                         {WM_MOUSEWHEEL, notch, 2},
                         {WM_MOUSEWHEEL, half, 2},
                         {WM_MOUSEWHEEL, half, 3},
                         {WM_VSCROLL, SB_BOTTOM, 6},
                         {WM_VSCROLL, SB_LINEDOWN, 6},
                         {WM_VSCROLL, SB_TOP, 1},
                         {WM_VSCROLL, SB_PAGEUP, 1},
                         {WM_VSCROLL, SB_PAGEDOWN, 2},
                         {WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 5), 5}};
  for (const auto& step : steps) {
    SendMessageW(preview_->Handle(), step.msg, step.w, 0);
    EXPECT_EQ(preview_->PageNumber(), step.expected) << step.msg << " " << step.w;
  }
  EXPECT_EQ(VScroll().nPos, 5);
  EXPECT_EQ(VScroll().nMax, 6);
  ASSERT_NE(preview_->ScrollHint(), nullptr);
  EXPECT_EQ(preview_->ScrollHint()->Caption(), L"Page: 5");
  EXPECT_TRUE(IsWindowVisible(preview_->ScrollHint()->Handle()));
}

TEST_F(PreviewTest, EveryPagingActionReportsThePage) {
  Attach(4);
  preview_->SetScaleMode(pscWholePage);
  preview_->SetPageNumber(2);
  const std::pair<WPARAM, int> cases[] = {{SB_LINEDOWN, 3},  {MAKEWPARAM(SB_THUMBTRACK, 4), 4},
                                          {SB_ENDSCROLL, 4}, {SB_PAGEUP, 3},
                                          {SB_ENDSCROLL, 3}, {SB_TOP, 1}};
  for (const auto& [code, page] : cases) {
    Settle();
    pages_.clear();
    SendMessageW(preview_->Handle(), WM_VSCROLL, code, 0);
    EXPECT_EQ(pages_, std::vector<int>{page}) << code;
    EXPECT_EQ(VScroll().nPos, page) << code;
    EXPECT_EQ(preview_->ScrollPosition().Y, -(page - 1)) << code;
    EXPECT_TRUE(GetUpdateRect(preview_->Handle(), nullptr, FALSE)) << code;
  }
  ASSERT_NE(preview_->ScrollHint(), nullptr);
  EXPECT_FALSE(IsWindowVisible(preview_->ScrollHint()->Handle()));
}

TEST_F(PreviewTest, ScrollingInUserScale) {
  Attach(1);
  preview_->SetScalePercent(200);
  const int h = preview_->ClientHeight(), w = preview_->ClientWidth();
  const int bottom = h - preview_->VirtualSize().cy, right = w - preview_->VirtualSize().cx;
  const TStep steps[] = {{WM_VSCROLL, SB_LINEDOWN, -(h / 10)},
                         {WM_VSCROLL, SB_PAGEDOWN, -(h / 10) - h / 2},
                         {WM_VSCROLL, SB_BOTTOM, bottom},
                         {WM_VSCROLL, SB_TOP, 0},
                         {WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), -WHEEL_DELTA},
                         {WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 30), -30},
                         {WM_HSCROLL, SB_RIGHT, right}};
  for (const auto& step : steps) {
    SendMessageW(preview_->Handle(), step.msg, step.w, 0);
    const TPoint pos = preview_->ScrollPosition();
    EXPECT_EQ(step.msg == WM_HSCROLL ? pos.X : pos.Y, step.expected) << step.msg << " " << step.w;
  }
  EXPECT_EQ(preview_->SheetRect().Top, 12 - WHEEL_DELTA);
  EXPECT_EQ(VScroll().nPos, WHEEL_DELTA);
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
  EXPECT_GT(w * h - shot->Count(0xFFFFFF, r.Left + 1, r.Top + 1, r.Right, r.Bottom), 0);
  const int marginRight = r.Left + w * 20 / 210;
  EXPECT_EQ(shot->Count(0xFFFFFF, r.Left + 1, r.Top + 1, marginRight, r.Bottom),
            (marginRight - r.Left - 1) * (r.Bottom - r.Top - 1));
}

}  // namespace
