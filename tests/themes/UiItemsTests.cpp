// Themed items and viewers: font settings, measuring, the order of theme calls in painting,
// separators and the chevron.
#include <gtest/gtest.h>

#include "framework/ImageList.h"
#include "tests/themes/UiItemsTestSupport.h"

namespace {

struct TNoticeCount {
  int Count = 0;
  void Handler(TObject*) { ++Count; }
};

struct TItemNotices {
  std::vector<TBarItemChangedAction> Actions;
  void Handler(TBarCustomItem*, bool, TBarItemChangedAction Action, int, TBarCustomItem*) { Actions.push_back(Action); }
};

// An item on a root, seen by a toolbar view or a menu view without windows.
struct TViewFixture {
  explicit TViewFixture(bool Toolbar) : view(nullptr, nullptr, &root, nullptr, Toolbar, false, false) {}
  ~TViewFixture() {
    for (int i = root.Count(); i-- > 0;) root.Delete(i);
  }
  TUiItemViewer* Add(TBarCustomItem* Item) {
    root.Add(Item);
    return dynamic_cast<TUiItemViewer*>(view.Find(Item));
  }
  TBarRootItem root{nullptr};
  TBarView view;
};

}  // namespace

TEST(FontSettings, SizeIsAPercentOfTheFontRoundedToNearest) {
  const struct {
    int Base, Percent, Expected;
  } cases[] = {{8, 150, 12}, {8, 100, 8}, {8, 50, 4}, {10, 125, 13}, {9, 105, 9}, {8, 119, 10}};
  for (const auto& c : cases) {
    TFont font;
    font.SetSize(c.Base);
    TFontSettings s;
    s.SetSize(c.Percent);
    s.Apply(&font);
    EXPECT_EQ(font.Size(), c.Expected) << c.Base << " at " << c.Percent;
  }
}

TEST(FontSettings, TriStatesAddRemoveOrLeaveStyles) {
  TFont font;
  font.SetStyle(TFontStyles{fsItalic, fsUnderline});
  font.SetColor(clRed);
  font.SetName(L"Tahoma");
  TFontSettings s;
  s.SetBold(tsTrue);
  s.SetItalic(tsFalse);
  s.Apply(&font);
  EXPECT_EQ(font.Style(), (TFontStyles{fsBold, fsUnderline}));
  EXPECT_EQ(font.Color(), clRed);  // clNone leaves the colour
  EXPECT_EQ(font.Name(), L"Tahoma");
  s.SetColor(clBlue);
  s.SetName(L"Arial");
  s.SetUnderline(tsFalse);
  s.SetStrikeOut(tsTrue);
  s.Apply(&font);
  EXPECT_EQ(font.Style(), (TFontStyles{fsBold, fsStrikeOut}));
  EXPECT_EQ(font.Color(), clBlue);
  EXPECT_EQ(font.Name(), L"Arial");
}

TEST(FontSettings, NotifiesOnlyOnRealChangesAndAssignOnce) {
  TNoticeCount n;
  TFontSettings s(TNotifyEvent(&n, &TNoticeCount::Handler));
  s.SetBold(tsDefault);
  s.SetSize(100);
  s.SetColor(clNone);
  EXPECT_EQ(n.Count, 0);
  s.SetSize(120);
  EXPECT_EQ(n.Count, 1);
  TFontSettings other;
  other.SetBold(tsTrue);
  other.SetItalic(tsTrue);
  other.SetName(L"Tahoma");
  s.Assign(&other);
  EXPECT_EQ(n.Count, 2);
  EXPECT_TRUE(s == other);
  s.Assign(&other);
  EXPECT_EQ(n.Count, 2);
}

TEST(UiCustomItem, SettingsResizeTheItemAndStretchIsTheFillRowBit) {
  TBarRootItem root(nullptr);
  TUiCustomItem item(nullptr);
  root.Add(&item);
  EXPECT_TRUE(item.Stretch());
  EXPECT_TRUE(item.ItemStyle() & tbisFillRow);
  TItemNotices log;
  TBarItemChangeHandler proc(&log, &TItemNotices::Handler);
  root.RegisterNotification(proc);
  item.SetMinWidth(40);
  item.SetMinWidth(40);
  item.FontSettings()->SetBold(tsTrue);
  item.SetLayout(uilGlyphTop);
  item.SetStretch(false);
  EXPECT_FALSE(item.ItemStyle() & tbisFillRow);
  root.UnregisterNotification(proc);
  root.Remove(&item);
  ASSERT_EQ(log.Actions.size(), 4u);
  for (auto a : log.Actions) EXPECT_EQ(a, tbicInvalidateAndResize);
}

TEST(UiCustomItem, MadeViewersAndPopupsAreThemed) {
  TViewFixture f(true);
  auto* item = new TUiCustomItem(nullptr);
  EXPECT_NE(f.Add(item), nullptr);
  auto* sep = new TUiSeparatorItem(nullptr);
  f.root.Add(sep);
  EXPECT_NE(dynamic_cast<TUiSeparatorItemViewer*>(f.view.Find(sep)), nullptr);
  std::unique_ptr<TBarPopupWindow> popup(item->PopupWindowClass()(nullptr, nullptr, item, false));
  EXPECT_NE(dynamic_cast<TUiPopupWindow*>(popup.get()), nullptr);
  EXPECT_NE(dynamic_cast<TUiPopupView*>(popup->View()), nullptr);
  TUiRootItem root(nullptr);
  std::unique_ptr<TBarPopupWindow> rootPopup(root.PopupWindowClass()(nullptr, nullptr, &root, false));
  EXPECT_NE(dynamic_cast<TUiPopupWindow*>(rootPopup.get()), nullptr);
  delete item;
  delete sep;
}

TEST(UiItemViewer, ToolbarSizeFollowsLayoutImageAndArrows) {
  TRecordingTheme theme;
  theme.IntegerMetrics = {{10, 14}, {20, 8}};
  TThemeSwap swap(&theme);
  TItemPicture pic(10, 10);
  TImageList images(nullptr);
  images.SetWidth(16);
  images.SetHeight(16);
  TViewFixture f(true);
  auto* item = new TUiCustomItem(nullptr);
  item->SetCaption(L"Save");
  item->SetDisplayMode(nbdmImageAndText);
  item->SetImages(&images);
  TUiItemViewer* v = f.Add(item);
  int tw = pic.TextWidth(L"Save"), th = pic.TextHeight();
  int w = 0, h = 0;
  v->CalcSize(&pic.canvas, w, h);
  EXPECT_EQ(w, 6 + tw + 4);  // no image index: caption only
  EXPECT_EQ(h, 6 + th);
  item->SetImageIndex(0);
  v->CalcSize(&pic.canvas, w, h);
  EXPECT_EQ(w, 6 + tw + 4 + 16 + 1);
  EXPECT_EQ(h, std::max(6 + th, 16 + 6));
  item->SetLayout(uilGlyphTop);
  v->CalcSize(&pic.canvas, w, h);
  EXPECT_EQ(w, std::max(6 + tw + 4, 16 + 7));
  EXPECT_EQ(h, 6 + th + 16);
  item->SetLayout(uilGlyphLeft);
  item->Add(new TUiCustomItem(nullptr));
  item->SetOptions(TBarItemOptions{tboDropdownArrow});
  v = dynamic_cast<TUiItemViewer*>(f.view.Find(item));
  v->CalcSize(&pic.canvas, w, h);
  EXPECT_EQ(w, 6 + tw + 4 + 16 + 1 + 8);
  item->SetMinWidth(200);
  item->SetMinHeight(50);
  v->CalcSize(&pic.canvas, w, h);
  EXPECT_EQ(w, 200);
  EXPECT_EQ(h, 50);
  delete item->Items(0);
}

TEST(UiItemViewer, MenuWidthGrowsWithShortcutAndFontSettings) {
  TRecordingTheme theme;
  TThemeSwap swap(&theme);
  TItemPicture pic(10, 10);
  TViewFixture f(false);
  auto* item = new TUiCustomItem(nullptr);
  item->SetCaption(L"Print");
  TUiItemViewer* v = f.Add(item);
  int w0 = 0, h0 = 0;
  v->CalcSize(&pic.canvas, w0, h0);
  EXPECT_GE(h0, 16);
  item->SetCaption(L"Print\tCtrl+P");
  int w1 = 0, h1 = 0;
  v->CalcSize(&pic.canvas, w1, h1);
  EXPECT_EQ(w1, w0 + pic.TextWidth(L"Ctrl+P") + h1 - 6);
  item->FontSettings()->SetSize(200);
  int w2 = 0, h2 = 0;
  v->CalcSize(&pic.canvas, w2, h2);
  EXPECT_GT(w2, w1);
  EXPECT_GT(h2, h1);
  // Measuring leaves the canvas's font as it was.
  int w3 = 0, h3 = 0;
  item->FontSettings()->SetSize(100);
  v->CalcSize(&pic.canvas, w3, h3);
  EXPECT_EQ(w3, w1);
}

TEST(UiItemViewer, PaintCallsTheThemeInItsFixedOrder) {
  TRecordingTheme theme;
  theme.IntegerMetrics = {{10, 14}, {20, 8}};
  TThemeSwap swap(&theme);
  TItemPicture pic(200, 40);
  TImageList images(nullptr);
  images.SetWidth(16);
  images.SetHeight(16);
  const struct {
    bool Toolbar;
    TBarItemStyle Style;
    bool Sub, Arrow, Image, Checked, Radio;
    const char* Expected;
  } cases[] = {
      {true, 0, false, false, false, false, false, "TextColor Button Caption:Open"},
      {true, tbisHasSubmenu | tbisSplitButton, true, false, false, false, false,
       "TextColor Button Button3 Arrow Caption:Open"},
      {true, 0, true, true, true, false, false, "TextColor Button Arrow Image"},
      {false, 0, false, false, false, true, false, "TextColor MenuItem Caption:Open Caption:Ctrl+O Check"},
      {false, 0, false, false, true, true, false, "TextColor MenuItem Caption:Open Caption:Ctrl+O Image"},
      {false, 0, false, false, false, true, true, "TextColor MenuItem Caption:Open Caption:Ctrl+O Check"},
  };
  for (const auto& c : cases) {
    TViewFixture f(c.Toolbar);
    struct TStyled : TUiCustomItem {
      TStyled(TBarItemStyle S) : TUiCustomItem(nullptr) { SetItemStyle(ItemStyle() | S); }
    };
    auto* item = new TStyled(c.Style);
    item->SetCaption(c.Toolbar ? L"Open" : L"Open\tCtrl+O");
    item->SetImages(&images);
    if (c.Image) item->SetImageIndex(0);
    if (c.Sub) item->Add(new TUiCustomItem(nullptr));
    if (c.Arrow) item->SetOptions(TBarItemOptions{tboDropdownArrow});
    item->SetChecked(c.Checked);
    item->SetRadioItem(c.Radio);
    TUiItemViewer* v = f.Add(item);
    theme.Calls.clear();
    v->Paint(&pic.canvas, {0, 0, 120, 24}, false, false, false);
    EXPECT_EQ(theme.Names(), c.Expected);
    if (const auto* check = theme.Find("Check")) {
      EXPECT_EQ((check->Info.ItemOptions & 0x40) != 0, c.Radio);
    }
    if (c.Sub) delete item->Items(0);
  }
}

TEST(UiItemViewer, PushedImageIsHandedToTheThemeUnshifted) {
  // The theme moves a pushed image by one pixel; the viewer must not move it a second time.
  TRecordingTheme theme;
  TThemeSwap swap(&theme);
  TItemPicture pic(100, 40);
  TImageList images(nullptr);
  TViewFixture f(true);
  auto* item = new TUiCustomItem(nullptr);
  item->SetImages(&images);
  item->SetImageIndex(0);
  TUiItemViewer* v = f.Add(item);
  TRect rects[2];
  for (int pushed = 0; pushed < 2; ++pushed) {
    theme.Calls.clear();
    v->Paint(&pic.canvas, {0, 0, 24, 24}, pushed, pushed, false);
    ASSERT_NE(theme.Find("Image"), nullptr);
    rects[pushed] = theme.Find("Image")->R;
    EXPECT_EQ(theme.Find("Image")->Info.Pushed, pushed);
  }
  EXPECT_EQ(rects[0], rects[1]);
}

TEST(UiItemViewer, SplitButtonPartAndRoleFollowTheTheme) {
  TRecordingTheme theme;
  theme.IntegerMetrics = {{10, 14}};
  TThemeSwap swap(&theme);
  struct TSplit : TUiCustomItem {
    TSplit() : TUiCustomItem(nullptr) { SetItemStyle(ItemStyle() | tbisHasSubmenu | tbisSplitButton); }
  };
  TViewFixture f(true);
  auto* split = new TSplit;
  auto* box = new TUiCustomItem(nullptr);
  box->SetToolBoxPopup(true);
  box->Add(new TUiCustomItem(nullptr));
  f.Add(split);
  f.Add(box);
  f.view.UpdatePositions();
  auto* v = dynamic_cast<TUiItemViewer*>(f.view.Find(split));
  int w = v->BoundsRect().Width();
  EXPECT_TRUE(v->InButtonPart(w - 15, 2));
  EXPECT_FALSE(v->InButtonPart(w - 14, 2));
  auto* bv = dynamic_cast<TUiItemViewer*>(f.view.Find(box));
  EXPECT_FALSE(bv->InButtonPart(0, 0));
  EXPECT_EQ(bv->GetAccRole(), 58);
  delete box->Items(0);
}

TEST(UiSeparatorViewer, SizeFromItemOrTheme) {
  TRecordingTheme theme;
  TThemeSwap swap(&theme);
  TItemPicture pic(10, 10);
  TUiSeparatorItem probe(nullptr);
  probe.SetSize(-5);
  EXPECT_EQ(probe.Size(), -1);
  const struct {
    bool Toolbar;
    int Size, ThemeSize;
    int W, H;  // -1: the framework's answer
  } cases[] = {
      {true, -1, 6, 6, 6}, {true, 4, 6, 4, 4}, {false, 5, 6, 0, 5}, {false, -1, -1, -1, -1}, {false, -1, 9, -1, 9},
  };
  for (const auto& c : cases) {
    theme.IntegerMetrics = {{50, c.ThemeSize}, {35, c.ThemeSize}};
    TViewFixture f(c.Toolbar);
    auto* sep = new TUiSeparatorItem(nullptr);
    sep->SetSize(c.Size);
    f.root.Add(sep);
    TBarItemViewer* v = f.view.Find(sep);
    int w = 0, h = 0;
    v->CalcSize(&pic.canvas, w, h);
    int fw = 0, fh = 0;
    static_cast<TUiSeparatorItemViewer*>(v)->TBarSeparatorItemViewer::CalcSize(&pic.canvas, fw, fh);
    EXPECT_EQ(w, c.W < 0 ? fw : c.W) << c.Toolbar << c.Size << c.ThemeSize;
    EXPECT_EQ(h, c.H < 0 ? fh : c.H) << c.Toolbar << c.Size << c.ThemeSize;
    theme.Calls.clear();
    v->Paint(&pic.canvas, {0, 0, 6, 6}, false, false, false);
    EXPECT_EQ(theme.Names(), c.Toolbar ? "SeparatorV" : "SeparatorH");
  }
}

TEST(UiChevronViewer, HoverKindAndPushedReachTheTheme) {
  TRecordingTheme theme;
  TThemeSwap swap(&theme);
  TItemPicture pic(20, 20);
  TUiChevronItem chevron(nullptr);
  TViewFixture f(true);
  TUiChevronItemViewer v(&f.view, &chevron, 0);
  const struct {
    bool Enabled, Selected, Pushed;
    int Hover;
  } cases[] = {{true, false, false, 0}, {true, true, false, 2}, {false, true, false, 1}, {true, true, true, 2}};
  for (const auto& c : cases) {
    chevron.SetEnabled(c.Enabled);
    theme.Calls.clear();
    v.Paint(&pic.canvas, {0, 0, 12, 20}, c.Selected, c.Pushed, false);
    ASSERT_EQ(theme.Names(), "Chevron");
    const auto& info = theme.Calls[0].Info;
    EXPECT_EQ(info.HoverKind, c.Hover);
    EXPECT_EQ(info.Pushed, c.Pushed);
    EXPECT_EQ(info.DropDownPushed, c.Pushed);
    EXPECT_TRUE(info.ItemOptions & IO_TOOLBARSTYLE);
  }
}
