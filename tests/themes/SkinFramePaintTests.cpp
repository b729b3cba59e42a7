// The window frame and caption strip painted in bitmaps, and the system caption.
#include <gtest/gtest.h>

#include "tests/themes/SkinPictureSupport.h"
#include "framework/Forms.h"
#include "themes/SkinFramePaint.h"
#include "themes/SkinTitleBar.h"
#include "themes/Ui.h"
#include "themes/UiDefaultTheme.h"
#include "themes/UiUtils.h"

namespace {

constexpr COLORREF Brush = 0x123456;
constexpr COLORREF DockFill = 0x00C0FF;

// A theme of another name whose dock is one flat colour.
class TStripesTheme : public TUiDefaultTheme {
 public:
  using TUiDefaultTheme::TUiDefaultTheme;
  void PaintDock(TCanvas* Canvas, const TRect&, const TRect& DockRect, int) override {
    Canvas->Brush()->SetColor(static_cast<TColor>(DockFill));
    Canvas->FillRect(DockRect);
  }
};

struct TPicture : TSkinPicture {
  TPicture(int W, int H) : TSkinPicture(W, H, 0xFFFFFF, Brush) {}
};

// The theme's own frame and caption, as a floating window of W x H shows them.
void themeBorder(TPicture& P, int W, int H, TPoint Border, int Parts) {
  TUiFloatingBorderInfo info;
  info.ViewType = 0x1C01;
  info.BorderSize = Border;
  info.ShowCaption = true;
  info.Active = true;
  info.PaintParts = Parts;
  P.Canvas()->FillRect(TRect(0, 0, W, H));
  CurrentTheme->PaintFloatingBorder(P.Canvas(), TRect(0, 0, W, H), info);
}

struct TThemes {
  TThemes() { UiStartUp(); }
  ~TThemes() {
    UiShutDown();
    ClearThemeRegistry();
    UiStartUp();
  }
};

}  // namespace

TEST(SkinFramePaint, FrameAndCaptionStrip) {
  TThemes themes;
  const int w = 120, h = 80, strip = GetSystemMetrics(SM_CYSMCAPTION) - 1;
  TPicture frameOnly(w, h), tall(w, h + 100);
  themeBorder(frameOnly, w, h, {GetSystemMetrics(SM_CXFRAME), GetSystemMetrics(SM_CYFRAME)}, 1);
  themeBorder(tall, w, h + 100, {0, 0}, 3);
  struct {
    int CaptionWidth, CaptionHeight;
    bool Frame;       // the theme's frame around the edge
    bool PlainStrip;  // the caption strip is the theme's caption, unstretched
  } cases[] = {{0, 0, true, false}, {0, 20, true, false}, {w, strip, true, true}, {w, h, false, false}};
  for (auto& c : cases) {
    TPicture p(w + 20, h + 20);
    PaintWindowFrame(nullptr, p.Canvas(), TRect(10, 10, 10 + w, 10 + h), c.CaptionWidth, c.CaptionHeight, false);
    SCOPED_TRACE(testing::Message() << c.CaptionWidth << " x " << c.CaptionHeight);
    // Only ARect is painted.
    EXPECT_EQ(p.Count(TRect(0, 0, w + 20, 10), clWhite), (w + 20) * 10);
    EXPECT_EQ(p.Count(TRect(0, h + 10, w + 20, h + 20), clWhite), (w + 20) * 10);
    // The frame's bottom row is the theme's, or the brush when no frame is painted.
    int same = 0;
    for (int x = 0; x < w; ++x) same += p.At(10 + x, 9 + h) == frameOnly.At(x, h - 1);
    if (c.Frame) {
      EXPECT_EQ(same, w);
    } else {
      EXPECT_EQ(p.Count(TRect(10, 10, 10 + w, 10 + h), Brush), 0);
    }
    if (c.Frame && c.CaptionHeight < h) {
      EXPECT_EQ(p.At(10 + w / 2, 10 + h - 20), Brush);
    }
    if (c.PlainStrip) {
      int stripSame = 0;
      for (int y = 0; y < strip; ++y)
        for (int x = 0; x < w; ++x) stripSame += p.At(10 + x, 10 + y) == tall.At(x, y);
      EXPECT_EQ(stripSame, w * strip);
    }
    if (c.CaptionHeight == 0) {
      EXPECT_EQ(p.At(10 + w / 2, 10 + h / 2), Brush);
    }
  }
}

TEST(SkinFramePaint, ThemeNameDecidesStripAndDockBackground) {
  TThemes themes;
  RegisterTheme("Stripes", UiThemeClassOf<TStripesTheme>());
  struct {
    const char* Theme;
    bool DockStyle;
    bool DockPainted;
  } cases[] = {{"Default", true, false}, {"Stripes", false, false}, {"Stripes", true, true}};
  for (auto& c : cases) {
    SetCurrentThemeByName(c.Theme);
    TPicture p(100, 60);
    PaintWindowFrame(nullptr, p.Canvas(), TRect(0, 0, 100, 60), 0, 0, c.DockStyle);
    SCOPED_TRACE(testing::Message() << c.Theme << " " << c.DockStyle);
    EXPECT_EQ(p.At(50, 30) == DockFill, c.DockPainted);
  }
  // The gradient strip of these themes: light at the top, darker below, a shadow line last.
  TPicture p(100, 60);
  PaintWindowFrame(nullptr, p.Canvas(), TRect(0, 0, 100, 60), 70, 18, false);
  EXPECT_EQ(p.At(5, 0), ColorToRGB(ShiftColorChannels(clBtnFace, 12)));
  EXPECT_EQ(p.At(69, 17), ColorToRGB(clBtnShadow));
  EXPECT_NE(p.At(70, 17), ColorToRGB(clBtnShadow));
}

TEST(SkinFramePaint, SystemCaption) {
  TPicture active(140, 40), inactive(140, 40);
  PaintSystemCaption(active.Canvas(), TRect(10, 10, 130, 30), true);
  PaintSystemCaption(inactive.Canvas(), TRect(10, 10, 130, 30), false);
  EXPECT_EQ(active.Count(TRect(0, 0, 140, 10), clWhite), 1400);
  EXPECT_EQ(active.Count(TRect(10, 10, 130, 30), clWhite), 0);
  EXPECT_NE(active.At(12, 28), inactive.At(12, 28));
}

TEST(SkinFramePaint, TitleBarBackground) {
  TThemes themes;
  TForm form(nullptr, CreateNew);
  form.SetBounds(50, 50, 300, 200);
  auto* bar = new TSkinTitleBar(&form);
  bar->SetParent(&form);
  struct TStages : TObject {
    std::string Log;
    void Draw(TObject*, TCanvas*, TRect, TSkinPaintStage S, bool&) { Log += S == pstPrePaint ? "pre;" : "post;"; }
  } stages;
  bar->OnDrawBackground = TSkinDrawEvent(&stages, &TStages::Draw);
  form.Show();
  auto erase = [&](TPicture& P) { SendMessageW(bar->Handle(), WM_ERASEBKGND, WPARAM(P.Canvas()->Handle()), 0); };
  // The frame looks the same with and without the dock background under the theme "Default".
  TPicture plain(bar->Width(), bar->Height()), styled(bar->Width(), bar->Height());
  erase(plain);
  bar->SetUiStyleBackground(true);
  erase(styled);
  EXPECT_TRUE(styled.Matches(plain, false));
  // Inactive, the client is filled with the bar's colour, and both stages still fire.
  bar->SetActive(false);
  bar->SetColor(static_cast<TColor>(Brush));
  TPicture filled(bar->Width(), bar->Height());
  stages.Log.clear();
  erase(filled);
  EXPECT_EQ(filled.Count(TRect(0, 0, filled.W, filled.H), Brush), filled.W * filled.H);
  EXPECT_EQ(stages.Log, "pre;post;");
  if (!ThemesUsable) return;
  // The cached system caption follows the size of the dock it covers, with the frame around.
  bar->SetActive(true);
  TPicture dock(bar->Dock()->Width(), bar->Dock()->Height());
  bool paintDefault = true;
  bar->Dock()->OnDrawBackground(bar->Dock(), dock.Canvas(), bar->Dock()->ClientRect(), pstPrePaint, paintDefault);
  ASSERT_NE(bar->CaptionCache(), nullptr);
  EXPECT_EQ(bar->CaptionCache()->Width(), bar->Dock()->Width() + 2 * GetSystemMetrics(SM_CYFRAME));
  EXPECT_FALSE(paintDefault);
}
