// The glyph painters of the skinned controls by their pixels and theme calls, the parent
// background, window placement, rectangle texts and the task-bar query.
#include <gtest/gtest.h>

#include <random>

#include "controls/ApThemes.h"
#include "framework/Bitmap.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Graphics.h"
#include "framework/Screen.h"
#include "framework/ImageList.h"
#include "tests/themes/SkinTestSupport.h"
#include "tests/themes/ThemeTestSupport.h"
#include "themes/SkinPainters.h"

namespace {

// A green picture, the colour no painter uses.
struct TPaintPicture : TTestPicture {
  explicit TPaintPicture(int W = 60, int H = 40, COLORREF Fill = 0x00FF00) : TTestPicture(W, H, Fill) {}
};

TEST(SkinPainters, ArrowTrianglePointsRightOrDown) {
  const struct {
    bool Down;
    TPoint Inside, Tip, Outside;
  } cases[] = {{false, {21, 20}, {24, 20}, {19, 20}}, {true, {20, 21}, {20, 24}, {20, 19}}};
  for (const auto& c : cases) {
    TTestPicture pic(40, 40);
    DrawArrowTriangle(pic.DC(), 20, 20, 4, c.Down, clRed);
    EXPECT_EQ(pic.At(c.Inside.X, c.Inside.Y), 0x0000FFu) << c.Down;
    EXPECT_EQ(pic.At(c.Tip.X, c.Tip.Y), 0x0000FFu) << c.Down;
    EXPECT_EQ(pic.At(c.Outside.X, c.Outside.Y), 0xFFFFFFu) << c.Down;
    EXPECT_EQ(pic.Count({0, 0, 40, 40}, 0x0000FF),
              c.Down ? pic.Count({16, 20, 25, 25}, 0x0000FF) : pic.Count({20, 16, 25, 25}, 0x0000FF));
  }
}

TEST(SkinPainters, ThemedCheckBoxHandsItsFlagsToTheTheme) {
  TSkinThemeScope scope;
  const struct {
    bool Enabled, Focused, Pushed, Hot;
    TCheckBoxState State;
    int Flags;
  } cases[] = {{true, false, false, false, cbChecked, 1},
               {true, true, true, true, cbGrayed, 2 | 8 | 16 | 32},
               {false, true, true, true, cbChecked, 4 | 1}};
  for (const auto& c : cases) {
    TPaintPicture p;
    DrawSkinCheckBox(p.Canvas(), {0, 0, 13, 13}, c.Enabled, thtUi, c.Focused, c.Pushed, c.Hot, c.State);
    EXPECT_EQ(TSkinRecordingTheme::Log().back().Op + std::to_string(TSkinRecordingTheme::Log().back().Extra),
              "FrameControl" + std::to_string(c.Flags));
  }
}

TEST(SkinPainters, ClassicButtonFrames) {
  const struct {
    bool Pushed, Checked, Default;
    TColor Corner, Inner;  // pixel (0, 0) and pixel (1, 1)
  } cases[] = {{true, false, false, clBtnShadow, clBtnFace}, {false, true, true, clWindowFrame, clBtnShadow}};
  for (const auto& c : cases) {
    TPaintPicture p(40, 20);
    DrawSkinButton(p.Canvas(), {0, 0, 40, 20}, true, c.Pushed, false, c.Checked, c.Default, thtNone, SkinButtonFace);
    EXPECT_EQ(std::tuple(p.At(0, 0), p.At(1, 1), p.At(20, 10)),
              std::tuple(Sys(c.Corner), Sys(c.Inner), Sys(clBtnFace)));
  }
}

TEST(SkinPainters, ThemedButtonsGoToTheThemeAndHotOnesAreBlended) {
  TSkinThemeScope scope;
  TPaintPicture idle(40, 20), hot(40, 20);
  DrawSkinButton(idle.Canvas(), {0, 0, 40, 20}, true, true, false, false, false, thtUi, SkinButtonFace);
  ASSERT_EQ(TSkinRecordingTheme::Ops(), "Button");
  const TUiItemInfo& i = TSkinRecordingTheme::Log()[0].Info;
  EXPECT_EQ(std::tuple(i.ViewType, i.ItemOptions, i.HoverKind, i.Pushed, i.Selected),
            std::tuple(0x1001, 0x21u, uint8_t(2), uint8_t(1), uint8_t(1)));
  TSkinRecordingTheme::Log().clear();
  DrawSkinButton(hot.Canvas(), {0, 0, 40, 20}, true, false, true, false, false, thtUi, SkinButtonFace);
  ASSERT_EQ(TSkinRecordingTheme::Ops(), "Button");
  EXPECT_EQ(TSkinRecordingTheme::Log()[0].Info.Pushed, 0);
  // What the theme painted is blended towards white; the untouched green stays.
  TPaintPicture plain(40, 20);
  TUiItemInfo info = TSkinRecordingTheme::Log()[0].Info;
  CurrentTheme->PaintButton(plain.Canvas(), {0, 0, 40, 20}, info);
  int blended = 0, kept = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 40; ++x) {
      uint32_t a = plain.At(x, y), b = hot.At(x, y);
      if (a == 0x00FF00)
        kept += b == 0x00FF00;
      else
        blended += (b & 0xFF) >= (a & 0xFF) && b != a;
    }
  EXPECT_GT(blended, 0);
  EXPECT_EQ(kept, plain.Count({0, 0, 40, 20}, 0x00FF00));
  TSkinRecordingTheme::Log().clear();
  DrawSkinButton(hot.Canvas(), {0, 0, 40, 20}, true, false, false, false, false, thtUi, SkinButtonDockBackground);
  EXPECT_EQ(TSkinRecordingTheme::Ops() + std::to_string(TSkinRecordingTheme::Log()[0].Extra), "Dock1");
}

TEST(SkinPainters, EditFrameKeepsItsInsideWhenAsked) {
  TSkinThemeScope scope;
  for (bool hot : {false, true}) {
    TSkinRecordingTheme::Log().clear();
    TPaintPicture p(40, 20);
    DrawSkinEditFrame(p.Canvas(), {0, 0, 40, 20}, true, hot, thtUi, true);
    EXPECT_EQ(TSkinRecordingTheme::Log()[0].Op + char('0' + TSkinRecordingTheme::Log()[0].Info.HoverKind),
              hot ? "EditFrame2" : "EditFrame0");
    int inset = hot ? 1 : 2;
    EXPECT_EQ(p.Count({inset, inset, 40 - inset, 20 - inset}, 0x00FF00), (40 - 2 * inset) * (20 - 2 * inset));
    EXPECT_NE(p.At(0, 0), 0x00FF00u);
  }
}

TEST(SkinPainters, ListItems) {
  TPaintPicture sel(40, 16);
  DrawSkinListItem(sel.Canvas(), {0, 0, 40, 16}, true, thtNone, true, false);
  EXPECT_EQ(sel.At(20, 8), Sys(clHighlight));
  EXPECT_EQ(sel.Canvas()->Font()->Color(), clHighlightText);
  EXPECT_LT(sel.Count({0, 0, 40, 1}, Sys(clHighlight)), 30);  // the dotted focus frame
  TSkinThemeScope scope;
  DrawSkinListItem(sel.Canvas(), {0, 0, 40, 16}, true, thtUi, false, false);
  DrawSkinListItem(sel.Canvas(), {0, 0, 40, 16}, false, thtUi, true, true);
  EXPECT_EQ(TSkinRecordingTheme::Ops(), "Button");  // only the selected one
}

TEST(SkinPainters, ImageWithShadowStandsAboveItsShadow) {
  TImageList list(nullptr);  // a blue square (2..5) on a transparent 8 x 8 ground
  list.SetWidth(8);
  list.SetHeight(8);
  TBitmap bmp;
  bmp.SetSize(8, 8);
  bmp.Canvas()->FillRect({0, 0, 8, 8});
  bmp.Canvas()->Brush()->SetColor(clBlue);
  bmp.Canvas()->FillRect({2, 2, 6, 6});
  list.AddMasked(&bmp, clWhite);
  TPaintPicture p(20, 20, 0xFFFFFF);
  DrawImageWithShadow(p.Canvas(), {6, 6, 14, 14}, &list, 0);
  EXPECT_EQ(p.At(7, 7), 0xFF0000u);  // the image, one up and left: (5..9)
  uint32_t shadow = p.At(12, 12);    // the second shadow, one down and right: grey
  EXPECT_TRUE(shadow != 0xFFFFFFu && (shadow & 0xFF) == ((shadow >> 8) & 0xFF));
}

TEST(SkinPainters, ParentBackgroundComesFromTheParent) {
  TPaintPicture orphan(10, 10);
  DrawParentBackground(nullptr, orphan.DC(), {0, 0, 10, 10});
  EXPECT_EQ(orphan.At(5, 5), Sys(clBtnFace));

  auto form = std::make_unique<TForm>(nullptr, CreateNew);
  form->SetColor(clRed);
  auto* child = new TPanel(form.get());
  child->SetParent(form.get());
  child->HandleNeeded();
  TPaintPicture p(40, 30);
  DrawParentBackground(child, p.DC(), {0, 0, 40, 30});
  EXPECT_EQ(p.At(10, 10), 0x0000FFu);  // the form erased in its own red
}

TEST(SkinPainters, WindowPlacementRoundTrip) {
  TRect r{1, 2, 3, 4};
  EXPECT_EQ(GetWindowPlacementState(nullptr, r), 0);
  EXPECT_TRUE(r.IsEmpty());

  auto form = std::make_unique<TForm>(nullptr, CreateNew);
  form->HandleNeeded();
  SetWindowPlacementState(form.get(), 0, {40, 50, 300, 200});
  EXPECT_EQ(GetWindowPlacementState(form.get(), r), 0);
  EXPECT_EQ(r, TRect(40, 50, 300, 200));
  SetWindowPlacementState(form.get(), 2, {});  // an empty rectangle keeps the restored bounds
  TRect after;
  EXPECT_EQ(GetWindowPlacementState(form.get(), after), 2);
  EXPECT_EQ(after, r);
}

TEST(SkinPainters, RectanglesAsText) {
  EXPECT_EQ(RectToText({1, -2, 300, 4}), L"1, -2, 300, 4");
  const struct {
    const wchar_t* Text;
    bool Ok;
    TRect R;
  } cases[] = {{L"1, 2, 3, 4", true, {1, 2, 3, 4}},
               {L" -5 ,6,7 , 8 ", true, {-5, 6, 7, 8}},
               {L"1, 2, 3", false, {}},
               {L"1, 2, 3, 4, 5", false, {}},
               {L"1,, 3, 4", false, {}},
               {L"99999999999, 2, 3, 4", false, {}}};
  for (const auto& c : cases) {
    TRect r{9, 9, 9, 9};
    EXPECT_EQ(TextToRect(c.Text, r), c.Ok) << c.Text;
    EXPECT_EQ(r, c.R) << c.Text;
  }
  TRect back;
  ASSERT_TRUE(TextToRect(RectToText({-7, 0, 12, 2147483647}), back));
  EXPECT_EQ(back, TRect(-7, 0, 12, 2147483647));
}

// Rectangle texts come from settings files a user may edit.
TEST(SkinPainters, FuzzedRectangleTexts) {
  std::mt19937 rng(6135);
  const WideString alphabet = L"0123456789 ,-+$x\t\x00A0";
  for (int i = 0; i < 5000; ++i) {
    WideString s = RectToText({int(rng()), int(rng() % 100), -int(rng() % 1000), 5});
    for (int e = 1 + rng() % 4; e > 0; --e) {
      size_t at = s.empty() ? 0 : rng() % (s.size() + 1);
      if (rng() % 2 && at < s.size())
        s.erase(at, 1);
      else
        s.insert(at, 1, alphabet[rng() % alphabet.size()]);
    }
    TRect r{1, 1, 1, 1};
    if (TextToRect(s, r)) {
      TRect again;
      ASSERT_TRUE(TextToRect(RectToText(r), again));
      ASSERT_EQ(again, r);
    } else {
      ASSERT_EQ(r, TRect{});
    }
  }
}

TEST(SkinShared, GlyphsAndCursorsAreEmbedded) {
  ASSERT_EQ(SkinGlyphs()->Count(), 4);
  for (int i = 0; i < 4; ++i) {  // black pixels on a transparent ground
    TTestPicture pic(16, 16, 0x00FF00);
    ImageList_Draw(SkinGlyphs()->Handle(), i, pic.DC(), 0, 0, ILD_NORMAL);
    EXPECT_EQ(pic.Count({0, 0, 16, 16}, 0) + pic.Count({0, 0, 16, 16}, 0x00FF00), 256) << i;
  }
  RegisterSkinCursors();
  EXPECT_NE(Screen->Cursors(crSkinItemMove), Screen->Cursors(crDefault));
  EXPECT_NE(Screen->Cursors(crSkinItemCancel), Screen->Cursors(crSkinItemMove));
}

}  // namespace
