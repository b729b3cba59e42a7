// The canvas: fills, frames, lines, clipping and text drawn into a memory bitmap and read back
// pixel by pixel; selection of its objects and their release.
#include <gtest/gtest.h>

#include <thread>

#include "framework/Graphics.h"
#include "tests/framework/Raised.h"
#include "tests/framework/GraphicsTestSupport.h"

namespace {

constexpr uint32_t white = 0xFFFFFF;
constexpr uint32_t red = 0x0000FF;
constexpr uint32_t blue = 0xFF0000;
constexpr uint32_t yellow = 0x00FFFF;

struct CanvasEvents {
  std::string log;
  void Changing(TObject*) { log += "<"; }
  void Changed(TObject*) { log += ">"; }
};

// A graphic that records where it is asked to draw.
class TRecordingGraphic : public TGraphic {
 public:
  bool Empty() const override { return width_ == 0; }
  int Width() const override { return width_; }
  void SetWidth(int v) override { width_ = v; }
  int Height() const override { return height_; }
  void SetHeight(int v) override { height_ = v; }
  void LoadFromStream(TStream*) override {}
  void SaveToStream(TStream*) override {}
  TRect drawnAt;
  int draws = 0;

 protected:
  void Draw(TCanvas*, const TRect& rect) override {
    drawnAt = rect;
    ++draws;
  }

 private:
  int width_ = 0;
  int height_ = 0;
};

}  // namespace

TEST(Canvas, FillRectPaintsExactlyTheRectangle) {
  TTestPicture surface(20, 20);
  TCanvas& canvas = *surface.Canvas();
  canvas.Brush()->SetColor(clRed);
  canvas.FillRect(Rect(5, 5, 15, 10));
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) {
      bool inside = x >= 5 && x < 15 && y >= 5 && y < 10;
      ASSERT_EQ(surface.Pixel(x, y), inside ? red : white) << x << "," << y;
    }
}

TEST(Canvas, RectangleFrameAndInterior) {
  TTestPicture surface(12, 12);
  TCanvas& canvas = *surface.Canvas();
  canvas.Pen()->SetColor(clBlue);
  canvas.Brush()->SetColor(clYellow);
  canvas.Rectangle(Rect(2, 3, 9, 10));
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 12; ++x) {
      uint32_t expected = white;
      if (x >= 2 && x < 9 && y >= 3 && y < 10) expected = (x == 2 || x == 8 || y == 3 || y == 9) ? blue : yellow;
      ASSERT_EQ(surface.Pixel(x, y), expected) << x << "," << y;
    }
  // FrameRect draws one pixel in the brush.
  surface.Fill(white);
  canvas.Brush()->SetColor(clRed);
  canvas.FrameRect(Rect(1, 1, 5, 5));
  EXPECT_EQ(surface.Count(red), 12);
}

TEST(Canvas, CopyRectBetweenCanvases) {
  TTestPicture from(10, 10), to(10, 10);
  TCanvas source, dest;
  source.SetHandle(from.DC());
  dest.SetHandle(to.DC());
  source.Brush()->SetColor(clBlue);
  source.FillRect(Rect(0, 0, 5, 5));
  dest.CopyRect(Rect(5, 5, 10, 10), &source, Rect(0, 0, 5, 5));
  EXPECT_EQ(to.Count(blue, 5, 5, 10, 10), 25);
  // Stretched to twice the size.
  to.Fill(white);
  dest.CopyRect(Rect(0, 0, 10, 10), &source, Rect(0, 0, 5, 5));
  EXPECT_EQ(to.Count(blue), 100);
}

TEST(Canvas, TextWithOpaqueAndClearBrush) {
  TTestPicture surface(120, 40);
  TCanvas& canvas = *surface.Canvas();
  canvas.Font()->SetName(L"Tahoma");
  canvas.Font()->SetSize(12);
  canvas.Font()->SetColor(clBlack);
  canvas.Brush()->SetColor(clYellow);
  TSize extent = canvas.TextExtent(L"Hello");
  ASSERT_GT(extent.cx, 0);
  ASSERT_GT(extent.cy, 0);
  canvas.TextOut(3, 2, L"Hello");
  int inside = extent.cx * extent.cy;
  // The box behind the text is painted, glyphs darken part of it, nothing lies outside it.
  EXPECT_GT(surface.Count(yellow, 3, 2, 3 + extent.cx, 2 + extent.cy), inside / 2);
  EXPECT_LT(surface.Count(yellow, 3, 2, 3 + extent.cx, 2 + extent.cy), inside);
  EXPECT_EQ(surface.Count(white), 120 * 40 - inside);

  surface.Fill(white);
  canvas.Brush()->SetStyle(bsClear);
  canvas.TextOut(3, 2, L"Hello");
  EXPECT_EQ(surface.Count(yellow), 0);
  EXPECT_LT(surface.Count(white, 3, 2, 3 + extent.cx, 2 + extent.cy), inside);

  // ANSI text converts from the code page: the same width as the wide text.
  EXPECT_EQ(canvas.TextWidth(AnsiString("Hello")), extent.cx);
}

TEST(Canvas, TextRectClipsAndFillsItsRectangle) {
  TTestPicture surface(100, 30);
  TCanvas& canvas = *surface.Canvas();
  canvas.Font()->SetColor(clBlack);
  canvas.Brush()->SetColor(clYellow);
  TRect box = Rect(10, 5, 30, 20);
  canvas.TextRect(box, 12, 6, L"WWWWWWWWWWWWWW");
  EXPECT_EQ(surface.Count(white), 100 * 30 - box.Width() * box.Height());
  EXPECT_GT(surface.Count(yellow, 10, 5, 30, 20), 0);

  TRect measure = Rect(0, 0, 0, 0);
  int height = canvas.DrawText(measure, L"Two\nlines", DT_CALCRECT | DT_NOPREFIX);
  EXPECT_EQ(height, 2 * canvas.TextHeight(L"Two"));
}

TEST(Canvas, ChangedObjectsAreTakenOutOfTheDCBeforeTheyAreFreed) {
  TTestPicture surface(40, 20);
  int base = GdiObjectCount();
  {
    TCanvas canvas;
    canvas.SetHandle(surface.DC());
    HGDIOBJ originalFont = GetCurrentObject(surface.DC(), OBJ_FONT);
    for (int i = 0; i < 1000; ++i) {
      canvas.Font()->SetSize(8 + i % 7);
      canvas.Pen()->SetColor(TColor(i));
      canvas.Brush()->SetColor(TColor(i * 3));
      canvas.TextOut(0, 0, L"x");
      canvas.LineTo(i % 40, 10);
      canvas.FillRect(Rect(0, 15, 5, 20));
    }
    EXPECT_EQ(GetCurrentObject(surface.DC(), OBJ_FONT), canvas.Font()->Handle());
    canvas.SetHandle(nullptr);
    EXPECT_EQ(GetCurrentObject(surface.DC(), OBJ_FONT), originalFont);
  }
  EXPECT_EQ(GdiObjectCount(), base);
}

TEST(Canvas, WithoutADCDrawingIsRefused) {
  TCanvas canvas;
  EXPECT_EQ(Raised<EInvalidOperation>([&] { canvas.FillRect(Rect(0, 0, 1, 1)); }), "Canvas does not allow drawing");
  EXPECT_THROW(canvas.TextWidth(L"x"), EInvalidOperation);
}

TEST(Canvas, DrawAndStretchDrawHandTheRectangleToTheGraphic) {
  TTestPicture surface(4, 4);
  TCanvas& canvas = *surface.Canvas();
  TRecordingGraphic graphic;
  canvas.Draw(1, 1, &graphic);  // empty: not drawn
  canvas.Draw(1, 1, nullptr);
  EXPECT_EQ(graphic.draws, 0);
  graphic.SetWidth(5);
  graphic.SetHeight(7);
  canvas.Draw(3, 4, &graphic);
  EXPECT_EQ(graphic.drawnAt, Rect(3, 4, 8, 11));
  canvas.StretchDraw(Rect(0, 0, 50, 60), &graphic);
  EXPECT_EQ(graphic.drawnAt, Rect(0, 0, 50, 60));
  EXPECT_EQ(graphic.draws, 2);
}

TEST(Canvas, LockSerialisesThreads) {
  TCanvas canvas;
  canvas.Lock();
  canvas.Lock();
  EXPECT_EQ(canvas.LockCount(), 2);
  bool otherGotIt = true;
  std::thread other([&] {
    otherGotIt = canvas.TryLock();
    if (otherGotIt) canvas.Unlock();
  });
  other.join();
  EXPECT_FALSE(otherGotIt);
  canvas.Unlock();
  canvas.Unlock();
  EXPECT_EQ(canvas.LockCount(), 0);
  std::thread again([&] {
    otherGotIt = canvas.TryLock();
    if (otherGotIt) canvas.Unlock();
  });
  again.join();
  EXPECT_TRUE(otherGotIt);
}
