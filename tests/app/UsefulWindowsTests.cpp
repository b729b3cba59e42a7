// The routines on editors and canvases: the word and byte at the caret, marks, links handed to
// the shell, fonts, the clipboard, and the gradients and arrows read back by pixels.
#include <gtest/gtest.h>

#include <random>

#include "app/Useful.h"
#include "app/UsefulWindows.h"
#include "framework/Clipboard.h"
#include "framework/FrameworkClasses.h"

namespace {

std::vector<WideString> opened;
void RecordOpen(const WideString& FileName, const WideString&, const WideString&) { opened.push_back(FileName); }

TEST(UsefulWindows, WordAndByteAtTheCaret) {
  TTxtEdit edit(nullptr);
  edit.Lines()->SetText("see www.example.org/a?b=1, ok\r\n\r\nend");
  edit.SetCaretXY({8, 1});
  EXPECT_EQ(GetWordAtCaret(&edit), "www.example.org/a?b=1");
  EXPECT_EQ(CharAtCaret(&edit), '.');
  edit.SetCaretXY({4, 1});  // just behind "see"
  EXPECT_EQ(GetWordAtCaret(&edit), "see");
  TTxtCharSet letters;
  for (char c = 'a'; c <= 'z'; ++c) letters.Include(static_cast<unsigned char>(c));
  EXPECT_EQ(GetWordAt(&edit, {10, 1}, letters, true), "example");
  EXPECT_EQ(GetWordAt(&edit, {30, 1}, letters, true), "ok");
  EXPECT_EQ(GetWordAt(&edit, {31, 1}, letters, true), "");
  EXPECT_EQ(GetWordAt(&edit, {1, 2}, letters, true), "");
  EXPECT_EQ(GetWordAt(&edit, {1, 4}, letters, true), "");
  edit.SetCaretXY({1, 2});
  EXPECT_EQ(CharAtCaret(&edit), -1);
  edit.SetCaretXY({4, 3});
  EXPECT_EQ(CharAtCaret(&edit), -1);

  EXPECT_FALSE(LineHasMark(3, &edit));
  auto* mark = new TTxtEditMark;
  mark->SetLine(3);
  edit.Marks()->Add(mark);
  EXPECT_TRUE(LineHasMark(3, &edit));
  EXPECT_FALSE(LineHasMark(1, &edit));

  SetEditorOption(&edit, eoTabsToSpaces, true);
  EXPECT_TRUE(edit.Options().Contains(eoTabsToSpaces));
  SetEditorOption(&edit, eoTabsToSpaces, false);
  EXPECT_FALSE(edit.Options().Contains(eoTabsToSpaces));
}

TEST(UsefulWindows, OnlyAddressesReachTheShell) {
  TShellOpenHandler previous = SetShellOpenHandler(RecordOpen);
  opened.clear();
  EXPECT_TRUE(OpenLink("www.setup.exe"));
  EXPECT_FALSE(OpenLink("setup.exe"));
  EXPECT_FALSE(OpenLink("www.x\" /c calc"));
  EXPECT_TRUE(OpenLink("mailto:a@b.c"));
  ShellOpen(L"C:\\file.txt", L"", L"");
  EXPECT_EQ(opened, (std::vector<WideString>{L"http://www.setup.exe", L"mailto:a@b.c", L"C:\\file.txt"}));
  SetShellOpenHandler(previous);
}

TEST(UsefulWindows, FontsPrintersAndClipboard) {
  EXPECT_TRUE(IsMonospacedFont(L"Courier New"));
  EXPECT_TRUE(IsMonospacedFont(L"DejaVu Sans Mono"));
  EXPECT_FALSE(IsMonospacedFont(L"DejaVu Sans"));
  EXPECT_GE(PrinterInfoSize(), 0);
  CopyWideTextToClipboard(L"\u0416\u00e9 x");
  EXPECT_EQ(Clipboard()->AsWideText(), L"\u0416\u00e9 x");
  CopyWideTextToClipboard(L"");
  EXPECT_EQ(Clipboard()->AsWideText(), L"\u0416\u00e9 x");
}

// A 31 x 10 picture in memory with a canvas on it.
class TPicture {
 public:
  TPicture() {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 31, -10, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
    canvas_.SetHandle(dc_);
  }
  ~TPicture() {
    canvas_.SetHandle(nullptr);
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  TCanvas* Canvas() { return &canvas_; }

 private:
  HDC dc_ = CreateCompatibleDC(nullptr);
  HBITMAP bitmap_;
  HGDIOBJ old_;
  TCanvas canvas_;
};

COLORREF Pixel(TPicture& P, int X, int Y) { return GetPixel(P.Canvas()->Handle(), X, Y); }

TEST(UsefulWindows, GradientsAndArrowsByPixels) {
  EXPECT_EQ(RGBClamped(-5, 300, 128), TColor(0x80FF00));
  int r, g, b;
  GetRGB(TColor(0x123456), r, g, b);
  EXPECT_EQ(r * 10000 + g * 100 + b, 0x56 * 10000 + 0x34 * 100 + 0x12);

  TPicture bitmap;
  TCanvas* canvas = bitmap.Canvas();
  canvas->Brush()->SetColor(clBlue);
  GradientBand(canvas, TRect{0, 0, 31, 10}, 0, 10, 10, TColor(0x000000), TColor(0x0000FF), false);
  EXPECT_EQ(Pixel(bitmap, 0, 5), RGB(0, 0, 0));
  EXPECT_EQ(Pixel(bitmap, 5, 5), RGB(127, 0, 0));
  EXPECT_EQ(Pixel(bitmap, 10, 9), RGB(255, 0, 0));
  EXPECT_EQ(canvas->Brush()->Color(), clBlue);
  // Steps 0 counts as 1: the second column already reaches the end colour, the rest clamps.
  GradientBand(canvas, TRect{0, 0, 31, 10}, 0, 3, 0, TColor(0x000000), TColor(0x00FF00), true);
  EXPECT_EQ(Pixel(bitmap, 20, 0), RGB(0, 0, 0));
  EXPECT_EQ(Pixel(bitmap, 20, 1), RGB(0, 255, 0));
  EXPECT_EQ(Pixel(bitmap, 20, 3), RGB(0, 255, 0));

  // Width 31: extent 30, bands of 10 through white, red, green and blue.
  FourColorGradient(canvas, TRect{0, 0, 31, 10}, clWhite, clRed, clLime, clBlue, false);
  EXPECT_EQ(Pixel(bitmap, 0, 0), RGB(255, 255, 255));
  EXPECT_EQ(Pixel(bitmap, 10, 0), RGB(255, 0, 0));
  EXPECT_EQ(Pixel(bitmap, 20, 0), RGB(0, 255, 0));
  EXPECT_EQ(Pixel(bitmap, 30, 0), RGB(0, 0, 255));
  EXPECT_EQ(Pixel(bitmap, 15, 0), RGB(128, 127, 0));

  canvas->Brush()->SetColor(clWhite);
  canvas->FillRect(TRect{0, 0, 31, 10});
  DrawSmallArrow(canvas->Handle(), 10, 4, false, true);
  const COLORREF text = ColorToRGB(clWindowText);
  EXPECT_EQ(Pixel(bitmap, 8, 4), text);
  EXPECT_EQ(Pixel(bitmap, 10, 5), text);
  EXPECT_EQ(Pixel(bitmap, 10, 3), RGB(255, 255, 255));
  DrawSmallArrow(canvas->Handle(), 20, 4, true, false);
  EXPECT_EQ(Pixel(bitmap, 20, 2), ColorToRGB(clHighlightText));
  EXPECT_EQ(Pixel(bitmap, 19, 4), RGB(255, 255, 255));
}

}  // namespace
