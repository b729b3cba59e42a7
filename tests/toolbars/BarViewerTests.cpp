// Item viewers: hit tests, what a viewer shows, hints, measuring, roles and plain painting.
#include <gtest/gtest.h>

#include "framework/Application.h"
#include "framework/Bitmap.h"
#include "framework/ImageList.h"
#include "tests/toolbars/BarTestSupport.h"
#include "toolbars/BarChevron.h"
#include "toolbars/BarCommon.h"

namespace {

COLORREF Rgb(TColor C) { return ColorToRGB(C); }

}  // namespace

TEST(BarViewer, SplitButtonHasAnArrowPartOfElevenPixelsOnToolbars) {
  TBarRootItem root(nullptr);
  TSizedItem split(60, 22, tbisHasSubmenu | tbisSplitButton), plain(20, 22), menu(20, 22, tbisHasSubmenu);
  for (TBarCustomItem* i : {&split, &plain, &menu}) root.Add(i);
  TTestView toolbar(&root, true);
  toolbar.UpdatePositions();
  EXPECT_TRUE(toolbar.Viewers(0)->InButtonPart(48, 5));
  EXPECT_FALSE(toolbar.Viewers(0)->InButtonPart(49, 5));
  EXPECT_TRUE(toolbar.Viewers(1)->InButtonPart(19, 5));
  EXPECT_FALSE(toolbar.Viewers(2)->InButtonPart(0, 5));
  TTestView popup(&root, false);
  popup.UpdatePositions();
  int check = GetSystemMetrics(SM_CXMENUCHECK);
  EXPECT_TRUE(popup.Viewers(0)->InButtonPart(60 - check - 1, 5));
  EXPECT_FALSE(popup.Viewers(0)->InButtonPart(60 - check, 5));
  for (TBarCustomItem* i : {&split, &plain, &menu}) root.Remove(i);
}

TEST(BarViewer, CaptionAndImageShownByDisplayModeAndPlace) {
  TImageList images(nullptr);
  TBarRootItem root(nullptr);
  TBarCustomItem item(nullptr);
  item.SetCaption(L"&Print\tCtrl+P");
  item.SetImages(&images);
  root.Add(&item);
  TTestView toolbar(&root, true), popup(&root, false);
  const struct {
    bool Toolbar;
    int Image;
    TBarItemDisplayMode Mode;
    bool Caption, Picture;
  } cases[] = {
      {true, -1, nbdmDefault, true, false},         {true, 0, nbdmDefault, false, true},
      {true, 0, nbdmImageAndText, true, true},      {true, 0, nbdmTextOnly, true, false},
      {true, 0, nbdmTextOnlyInMenus, false, true},  {false, 0, nbdmDefault, true, true},
      {false, 0, nbdmTextOnlyInMenus, true, false}, {false, 0, nbdmTextOnly, true, false},
  };
  for (const auto& c : cases) {
    item.SetImageIndex(c.Image);
    item.SetDisplayMode(c.Mode);
    TBarItemViewer* v = (c.Toolbar ? toolbar : popup).Viewers(0);
    EXPECT_EQ(v->CaptionShown(), c.Caption) << c.Toolbar << c.Image << c.Mode;
    EXPECT_EQ(v->ImageVisible(), c.Picture) << c.Toolbar << c.Image << c.Mode;
  }
  EXPECT_EQ(popup.Viewers(0)->CaptionBeforeTab(), L"&Print");
  EXPECT_EQ(popup.Viewers(0)->GetImageList(), &images);
  root.Remove(&item);
}

TEST(BarViewer, HintComesFromTheHintOrTheCaption) {
  TBarRootItem root(nullptr);
  TBarCustomItem item(nullptr);
  TSizedItem parent(10, 10, tbisHasSubmenu);
  root.Add(&item);
  root.Add(&parent);
  TTestView toolbar(&root, true);
  TBarItemViewer* v = toolbar.Viewers(0);
  bool old = Application->HintShortCuts();
  Application->SetHintShortCuts(false);
  item.SetCaption(L"&Save As...\tCtrl+S");
  item.SetHint(L"Save|Saves the file");
  EXPECT_EQ(v->GetHintText(), L"Save");
  item.SetHint(L"");
  EXPECT_EQ(v->GetHintText(), L"Save As");
  Application->SetHintShortCuts(true);
  EXPECT_EQ(v->GetHintText(), L"Save As (Ctrl+S)");
  item.SetCaption(L"&Save As...");  // no shortcut: no empty brackets
  EXPECT_EQ(v->GetHintText(), L"Save As");
  Application->SetHintShortCuts(old);
  // A menu parent whose caption shows gets no hint from it.
  parent.SetCaption(L"&File");
  EXPECT_EQ(toolbar.Viewers(1)->GetHintText(), L"");
  parent.SetImageIndex(0);  // a toolbar shows only the image: the caption becomes the hint
  EXPECT_EQ(toolbar.Viewers(1)->GetHintText(), L"File");
  item.SetOptions({tboNoAutoHint});
  EXPECT_EQ(v->GetHintText(), L"");
  root.Remove(&item);
  root.Remove(&parent);
}

TEST(BarViewer, MenuItemIsMeasuredWithItsShortCutAndArrowRoom) {
  TBarRootItem root(nullptr);
  TBarCustomItem item(nullptr);
  TBarSeparatorItem separator(nullptr);
  item.SetCaption(L"&Word\tCtrl+W");
  root.Add(&item);
  root.Add(&separator);
  TTestView popup(&root, false), toolbar(&root, true);
  TMenuPicture p(10, 10);
  TEXTMETRICW tm{};
  GetTextMetricsW(p.Canvas()->Handle(), &tm);
  int h = tm.tmHeight + tm.tmExternalLeading + 4;
  int text = p.Canvas()->TextWidth(WideString(L"Word")), shortcut = p.Canvas()->TextWidth(WideString(L"Ctrl+W"));
  int w = 0, hh = 0;
  popup.Viewers(0)->CalcSize(p.Canvas(), w, hh);
  EXPECT_EQ(hh, h);
  EXPECT_EQ(w, text + h + 6 + shortcut + h - 6 + h);
  popup.Viewers(1)->CalcSize(p.Canvas(), w, hh);
  EXPECT_EQ(w, 0);
  EXPECT_EQ(hh, DivRoundUp(tm.tmHeight * 2, 3));
  toolbar.Viewers(1)->CalcSize(p.Canvas(), w, hh);
  EXPECT_EQ(TPoint(w, hh), (TPoint{6, 6}));
  toolbar.Viewers(0)->CalcSize(p.Canvas(), w, hh);
  EXPECT_EQ(TPoint(w, hh), (TPoint{6 + text + 6, 6 + tm.tmHeight}));
  root.Remove(&item);
  root.Remove(&separator);
}

TEST(BarViewer, AccessibilityRoleByKindAndPlace) {
  TBarRootItem root(nullptr);
  TBarControlItem control(nullptr);
  TBarSeparatorItem separator(nullptr);
  TSizedItem button(10, 10), menu(10, 10, tbisHasSubmenu);
  for (TBarCustomItem* i : std::initializer_list<TBarCustomItem*>{&control, &separator, &button, &menu}) root.Add(i);
  TTestView toolbar(&root, true), popup(&root, false), bar(&root, true);
  bar.SetStyle({vsyMenuBar});
  const int expected[3][4] = {{10, 21, 43, 57}, {10, 21, 12, 12}, {10, 21, 12, 12}};
  TTestView* views[3] = {&toolbar, &popup, &bar};
  for (int v = 0; v < 3; ++v)
    for (int i = 0; i < 4; ++i) EXPECT_EQ(views[v]->Viewers(i)->GetAccRole(), expected[v][i]) << v << i;
  while (root.Count()) root.Delete(0);
}

TEST(BarViewer, CheckedMenuItemDrawsTheCheckMarkOrTheRadioDot) {
  TBarRootItem root(nullptr);
  TBarCustomItem item(nullptr);
  item.SetCaption(L"Wrap");
  item.SetChecked(true);
  root.Add(&item);
  TTestView popup(&root, false);
  for (bool radio : {false, true}) {
    item.SetRadioItem(radio);
    TMenuPicture p(100, 20);
    popup.Viewers(0)->Paint(p.Canvas(), {0, 0, 100, 20}, false, false, false);
    // The column is 20 wide; checked contents move one pixel: the mark centres on (11, 11).
    if (radio) {
      for (TPoint at : {TPoint{10, 10}, TPoint{11, 11}, TPoint{12, 10}}) EXPECT_EQ(p.At(at.X, at.Y), Rgb(clBtnText));
    } else {
      for (TPoint at : {TPoint{9, 12}, TPoint{11, 10}, TPoint{13, 8}, TPoint{7, 11}})
        EXPECT_EQ(p.At(at.X, at.Y), Rgb(clBtnText));
      EXPECT_NE(p.At(11, 12), Rgb(clBtnText));
    }
    EXPECT_EQ(p.At(0, 0), Rgb(clBtnShadow));  // the sunken frame of the checked column
  }
  root.Remove(&item);
}

TEST(BarViewer, SplitButtonPushesItsButtonPartOnlyWhileTracked) {
  TBarRootItem root(nullptr);
  TSizedItem split(60, 22, tbisHasSubmenu | tbisSplitButton);
  root.Add(&split);
  TTestView toolbar(&root, true);
  for (bool tracking : {true, false}) {
    toolbar.SetMouseTracking(tracking);
    TMenuPicture p(60, 22);
    toolbar.Viewers(0)->Paint(p.Canvas(), {0, 0, 60, 22}, true, true, false);
    EXPECT_EQ(p.At(0, 0), Rgb(tracking ? clBtnShadow : clBtnHighlight)) << tracking;
    EXPECT_EQ(p.At(49, 0), Rgb(tracking ? clBtnHighlight : clBtnShadow)) << tracking;
    // The arrow: a triangle five pixels wide in the middle of the arrow part.
    for (int x = 52; x < 57; ++x) EXPECT_EQ(p.At(x, 9), Rgb(clBtnText)) << x;
    EXPECT_EQ(p.At(54, 11), Rgb(clBtnText));
    EXPECT_NE(p.At(52, 11), Rgb(clBtnText));
  }
  root.Remove(&split);
}

TEST(BarViewer, SubmenuArrowSitsAtTheRightEdgeInTheFontColour) {
  TBarRootItem root(nullptr);
  TSizedItem item(120, 24, tbisHasSubmenu, L"More");
  root.Add(&item);
  TTestView popup(&root, false);
  TMenuPicture p(120, 24);
  p.Canvas()->Font()->SetColor(TColor(RGB(255, 0, 0)));
  popup.Viewers(0)->Paint(p.Canvas(), {0, 0, 120, 24}, false, false, false);
  int cx = GetSystemMetrics(SM_CXMENUCHECK);
  int arrow = p.Count({120 - cx, 0, 120, 24}, RGB(255, 0, 0));
  EXPECT_GT(arrow, 3);
  EXPECT_EQ(p.Count({60, 0, 120, 24}, RGB(255, 0, 0)), arrow);
  root.Remove(&item);
}

TEST(BarViewer, ChevronGlyphSitsInItsOwnViewerOnAnyRow) {
  TBarRootItem root(nullptr);
  TBarChevronItem chevron(nullptr);
  EXPECT_EQ(chevron.Caption(), L"More Buttons");
  chevron.SetChevronHint(L"A&B|long");
  EXPECT_EQ(chevron.Caption(), L"A&&B");
  root.Add(&chevron);
  TTestView toolbar(&root, true);
  for (bool vertical : {false, true}) {
    toolbar.SetOrientation(vertical ? orVertical : orHorizontal);
    TMenuPicture p(40, 60);
    toolbar.Viewers(0)->Paint(p.Canvas(), {10, 30, 22, 52}, false, false, false);
    // Rows "CC" then "66" (horizontal) or "88" then "D8" (vertical) from the viewer's corner.
    TPoint at = vertical ? TPoint{22 - 9, 32} : TPoint{12, 34};
    EXPECT_EQ(p.At(at.X, at.Y), Rgb(clBtnText)) << vertical;
    EXPECT_NE(p.At(at.X + (vertical ? 1 : 2), at.Y), Rgb(clBtnText)) << vertical;
    EXPECT_EQ(p.At(at.X + 1, at.Y + 1), Rgb(clBtnText)) << vertical;
    EXPECT_EQ(p.Count({0, 0, 40, 30}, Rgb(clBtnText)), 0) << vertical;
  }
  root.Remove(&chevron);
}

// A designed toolbar button is drawn raised even when idle, so that a designer sees every
// button; running, an idle button has no edge. Menus draw no edges either way.
TEST(BarViewer, DesignedToolbarButtonsShowTheirEdgesWhenIdle) {
  TBarRootItem root(nullptr);
  TSizedItem item(30, 22);
  root.Add(&item);
  TTestView toolbar(&root, true), popup(&root, false);
  const struct {
    bool Designing;
    TTestView* View;
    uint32_t TopLeft, BottomRight;
  } cases[] = {
      {false, &toolbar, 0xFFFFFF, 0xFFFFFF},
      {true, &toolbar, Rgb(clBtnHighlight), Rgb(clBtnShadow)},
      {true, &popup, 0xFFFFFF, 0xFFFFFF},
  };
  for (const auto& c : cases) {
    item.SetDesigning(c.Designing);
    TMenuPicture p(30, 22);
    c.View->Viewers(0)->Paint(p.Canvas(), {0, 0, 30, 22}, false, false, false);
    EXPECT_EQ(p.At(0, 0), c.TopLeft) << c.Designing;
    EXPECT_EQ(p.At(29, 21), c.BottomRight) << c.Designing;
    EXPECT_EQ(p.At(15, 0), c.TopLeft) << c.Designing;
  }
  root.Remove(&item);
}

// A press on a disabled item ends a root toolbar's menus, customizing too; a popup's leaves them open.
TEST(BarViewer, PressOnADisabledItemEndsTheMenusOfARootToolbar) {
  TBarRootItem root(nullptr);
  TSizedItem item(30, 22);
  root.Add(&item);
  const std::tuple<bool, bool, bool, int, bool> cases[] = {
      {false, false, true, tbdaCancel, false},
      {false, true, true, tbdaCancel, false},
      {false, true, false, tbdaNone, false},
      {true, true, true, tbdaNone, true},
  };
  for (auto [enabled, customizing, toolbar, done, tracking] : cases) {
    item.SetEnabled(enabled);
    TTestView view(&root, toolbar, nullptr, nullptr, nullptr, customizing);
    view.UpdatePositions();
    bool onMenu = false;
    view.Viewers(0)->MouseDown({ssLeft}, 5, 5, onMenu);
    EXPECT_EQ(std::tuple(int(view.DoneActionData().DoneAction), view.MouseTracking()), std::tuple(done, tracking))
        << enabled << customizing << toolbar;
  }
  root.Remove(&item);
}

namespace {

// An item on a root, with a list of one 16 x 16 red image.
struct TRedImageItem {
  TRedImageItem() {
    TBitmap bmp;
    bmp.SetSize(16, 16);
    bmp.Canvas()->Brush()->SetColor(TColor(RGB(255, 0, 0)));
    bmp.Canvas()->FillRect({0, 0, 16, 16});
    Images.AddMasked(&bmp, clNone);
    Root.Add(&Item);
  }
  ~TRedImageItem() { Item.SetImages(nullptr), Root.Remove(&Item); }
  TImageList Images{nullptr};
  TBarRootItem Root{nullptr};
  TBarCustomItem Item{nullptr};
};

}  // namespace

// A selected enabled menu item frames its check column raised, a checked one sunken; a disabled one does not.
TEST(BarViewer, SelectedEnabledOrCheckedMenuItemFramesItsCheckColumn) {
  TRedImageItem f;
  f.Item.SetCaption(L"Wrap");
  TTestView popup(&f.Root, false);
  const uint32_t selection = RGB(0, 128, 0), white = 0xFFFFFF;
  const uint32_t light = Rgb(clBtnHighlight), face = Rgb(clBtnFace), shadow = Rgb(clBtnShadow);
  const std::tuple<bool, bool, bool, bool, uint32_t, uint32_t> cases[] = {
      {false, true, false, true, light, face},           {true, true, false, true, light, face},
      {false, false, false, true, selection, selection}, {false, true, true, false, shadow, 0},
      {false, true, false, false, white, white},
  };
  for (auto [image, enabled, checked, selected, corner, inside] : cases) {
    f.Item.SetImages(image ? &f.Images : nullptr);
    f.Item.SetImageIndex(image ? 0 : -1);
    f.Item.SetEnabled(enabled);
    f.Item.SetChecked(checked);
    TMenuPicture p(100, 20);
    p.Canvas()->Brush()->SetColor(TColor(selection));
    popup.Viewers(0)->Paint(p.Canvas(), {0, 0, 100, 20}, selected, false, false);
    EXPECT_EQ(p.At(0, 0), corner) << image << enabled << checked;
    EXPECT_TRUE(!inside || p.At(1, 1) == inside) << image << enabled << checked;
  }
}

// A toolbar image takes the leading image size + 2 pixels, and the caption is centred in the rest past size + 1.
TEST(BarViewer, ToolbarImageTakesTheLeadingStripAndTheCaptionTheRest) {
  const uint32_t red = RGB(255, 0, 0), blue = RGB(0, 0, 255);
  TRedImageItem f;
  f.Item.SetImages(&f.Images);
  f.Item.SetImageIndex(0);
  f.Item.SetDisplayMode(nbdmImageAndText);
  TTestView toolbar(&f.Root, true);
  const std::tuple<const wchar_t*, bool, bool, int, int, TRect, RECT> cases[] = {
      {L"", false, false, 40, 22, {1, 3, 17, 19}, {}},
      {L"Go", false, false, 60, 22, {1, 3, 17, 19}, {17, 0, 60, 22}},
      {L"Go", true, false, 40, 40, {12, 1, 28, 17}, {0, 17, 40, 40}},
      {L"", false, true, 22, 40, {3, 1, 19, 17}, {}},
  };
  for (auto [caption, above, vertical, w, h, image, text] : cases) {
    f.Item.SetCaption(caption);
    f.Item.SetOptions(above ? TBarItemOptions{tboImageAboveCaption} : TBarItemOptions{});
    toolbar.SetOrientation(vertical ? orVertical : orHorizontal);
    TMenuPicture p(w, h), expected(w, h);
    p.Canvas()->Font()->SetColor(TColor(blue));
    toolbar.Viewers(0)->Paint(p.Canvas(), {0, 0, w, h}, false, false, false);
    EXPECT_EQ(p.BoundsOf(red, {0, 0, w, h}), image) << w << "x" << h;
    if (!*caption) continue;
    // The caption as the system centres it in its rectangle.
    HDC dc = expected.Canvas()->Handle();
    TSelectObject font(dc, expected.Canvas()->Font()->Handle());
    SetTextColor(dc, blue);
    DrawTextW(dc, caption, -1, &text, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    EXPECT_EQ(p.BoundsOf(blue, {0, 0, w, h}), expected.BoundsOf(blue, {0, 0, w, h})) << w << "x" << h;
  }
  toolbar.SetOrientation(orHorizontal);
}
