// Themed items and viewers: font settings, measuring, the order of theme calls in painting,
// separators and the chevron.
#include <gtest/gtest.h>

#include "framework/Forms.h"
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

// A themed item with item-style bits of its own (split, sub-menu).
struct TStyled : TUiCustomItem {
  explicit TStyled(TBarItemStyle S) : TUiCustomItem(nullptr) { SetItemStyle(ItemStyle() | S); }
};

}  // namespace

TEST(FontSettings, SizeIsAPercentRoundedToNearestAndTriStatesAddOrRemoveStyles) {
  const struct { int Base, Percent, Expected; } sizes[] = {{8, 150, 12}, {8, 100, 8}, {10, 125, 13}, {8, 119, 10}};
  for (const auto& c : sizes) {
    TFont font;
    font.SetSize(c.Base);
    TFontSettings s;
    s.SetSize(c.Percent);
    s.Apply(&font);
    EXPECT_EQ(font.Size(), c.Expected) << c.Base << " at " << c.Percent;
  }
  TFont font;
  font.SetStyle(TFontStyles{fsItalic, fsUnderline});
  font.SetColor(clRed);
  font.SetName(L"Tahoma");
  TFontSettings s;
  s.SetBold(tsTrue);
  s.SetItalic(tsFalse);
  s.Apply(&font);
  EXPECT_EQ(font.Style(), (TFontStyles{fsBold, fsUnderline}));
  EXPECT_EQ(font.Color(), clRed);  // clNone and an empty name leave colour and face
  EXPECT_EQ(font.Name(), L"Tahoma");
  s.SetColor(clBlue);
  s.SetName(L"Arial");
  s.SetStrikeOut(tsTrue);
  s.Apply(&font);
  EXPECT_EQ(font.Style(), (TFontStyles{fsBold, fsUnderline, fsStrikeOut}));
  EXPECT_EQ(font.Color(), clBlue);
  EXPECT_EQ(font.Name(), L"Arial");
  // Every setting can be given in a form file, the colour too.
  for (const char* name : {"Bold", "Italic", "Underline", "StrikeOut", "Size", "Color", "Name"})
    EXPECT_NO_THROW(FindPropInfo(&s, name)) << name;
  EXPECT_EQ(GetOrdProp(&s, FindPropInfo(&s, "Color")), clBlue);
}

TEST(FontSettings, ChangesReachTheItemAsResizeAndAssignNotifiesOnce) {
  TNoticeCount n;
  TFontSettings s(TNotifyEvent(&n, &TNoticeCount::Handler)), other;
  s.SetSize(100);
  other.SetBold(tsTrue);
  s.Assign(&other);
  s.Assign(&other);
  EXPECT_EQ(n.Count, 1);
  TBarRootItem root(nullptr);
  TUiCustomItem item(nullptr);
  root.Add(&item);
  EXPECT_TRUE(item.ItemStyle() & tbisFillRow);  // Stretch is on
  TItemNotices log;
  TBarItemChangeHandler proc(&log, &TItemNotices::Handler);
  root.RegisterNotification(proc);
  item.SetMinWidth(40);
  item.SetMinWidth(40);
  item.FontSettings()->SetBold(tsTrue);
  item.SetStretch(false);
  EXPECT_FALSE(item.ItemStyle() & tbisFillRow);
  root.UnregisterNotification(proc);
  root.Remove(&item);
  EXPECT_EQ(log.Actions, std::vector<TBarItemChangedAction>(3, tbicInvalidateAndResize));
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
  v->CalcSize(pic.Canvas(), w, h);
  EXPECT_EQ(w, 6 + tw + 4);  // no image index: caption only
  EXPECT_EQ(h, 6 + th);
  item->SetImageIndex(0);
  v->CalcSize(pic.Canvas(), w, h);
  EXPECT_EQ(w, 6 + tw + 4 + 16 + 1);
  EXPECT_EQ(h, std::max(6 + th, 16 + 6));
  item->SetLayout(uilGlyphTop);
  v->CalcSize(pic.Canvas(), w, h);
  EXPECT_EQ(w, std::max(6 + tw + 4, 16 + 7));
  EXPECT_EQ(h, 6 + th + 16);
  item->SetLayout(uilGlyphLeft);
  item->Add(new TUiCustomItem(nullptr));
  item->SetOptions(TBarItemOptions{tboDropdownArrow});
  v = dynamic_cast<TUiItemViewer*>(f.view.Find(item));
  v->CalcSize(pic.Canvas(), w, h);
  EXPECT_EQ(w, 6 + tw + 4 + 16 + 1 + 8);
  EXPECT_FALSE(v->InButtonPart(0, 0));  // a drop-down item without a split is all arrow
  item->SetToolBoxPopup(true);
  EXPECT_EQ(v->GetAccRole(), 58);
  item->SetMinWidth(200);
  item->SetMinHeight(50);
  v->CalcSize(pic.Canvas(), w, h);
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
  int w[2] = {}, h[2] = {};
  v->CalcSize(pic.Canvas(), w[0], h[0]);
  item->SetCaption(L"Print\tCtrl+P");
  v->CalcSize(pic.Canvas(), w[1], h[1]);
  EXPECT_GE(h[0], 16);
  EXPECT_EQ(w[1], w[0] + pic.TextWidth(L"Ctrl+P") + h[1] - 6);
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
    auto* item = new TStyled(c.Style);
    item->SetCaption(c.Toolbar ? L"Open" : L"Open\tCtrl+O");
    item->SetImages(&images);
    if (c.Image) item->SetImageIndex(0);
    if (c.Sub) item->Add(new TUiCustomItem(nullptr));
    if (c.Arrow) item->SetOptions(TBarItemOptions{tboDropdownArrow});
    item->SetChecked(c.Checked);
    item->SetRadioItem(c.Radio);
    TUiItemViewer* v = f.Add(item);
    TRect image[2];
    for (int pushed = 1; pushed >= 0; --pushed) {
      theme.Calls.clear();
      v->Paint(pic.Canvas(), {0, 0, 120, 24}, pushed, pushed, false);
      if (const auto* call = theme.Find("Image")) image[pushed] = call->R;
    }
    EXPECT_EQ(theme.Names(), c.Expected);
    if (const auto* check = theme.Find("Check")) {
      EXPECT_EQ((check->Info.ItemOptions & 0x40) != 0, c.Radio);
    }
    // The theme moves a pushed image by its one pixel; the viewer must not move it too.
    EXPECT_EQ(image[0], image[1]);
    if (c.Sub) delete item->Items(0);
  }
}

TEST(UiSeparatorViewer, SizeFromItemOrTheme) {
  TRecordingTheme theme;
  TThemeSwap swap(&theme);
  TItemPicture pic(10, 10);
  const struct {
    bool Toolbar;
    int Size, ThemeSize;
    int W, H;  // -1: the framework's answer
  } cases[] = {
      {true, -1, 6, 6, 6}, {true, 4, 6, 4, 4}, {false, 5, 6, 0, 5}, {false, -5, -1, -1, -1}, {false, -1, 9, -1, 9},
  };
  for (const auto& c : cases) {
    theme.IntegerMetrics = {{50, c.ThemeSize}, {35, c.ThemeSize}};
    TViewFixture f(c.Toolbar);
    auto* sep = new TUiSeparatorItem(nullptr);
    sep->SetSize(c.Size);
    f.root.Add(sep);
    TBarItemViewer* v = f.view.Find(sep);
    int w = 0, h = 0;
    v->CalcSize(pic.Canvas(), w, h);
    int fw = 0, fh = 0;
    static_cast<TUiSeparatorItemViewer*>(v)->TBarSeparatorItemViewer::CalcSize(pic.Canvas(), fw, fh);
    EXPECT_EQ(w, c.W < 0 ? fw : c.W) << c.Toolbar << c.Size << c.ThemeSize;
    EXPECT_EQ(h, c.H < 0 ? fh : c.H) << c.Toolbar << c.Size << c.ThemeSize;
    v->Paint(pic.Canvas(), {0, 0, 6, 6}, false, false, false);
    EXPECT_EQ(theme.Calls.back().Name, c.Toolbar ? "SeparatorV" : "SeparatorH");
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
  } cases[] = {{true, false, false, 0}, {true, true, true, 2}, {false, true, false, 1}};
  for (const auto& c : cases) {
    chevron.SetEnabled(c.Enabled);
    theme.Calls.clear();
    v.Paint(pic.Canvas(), {0, 0, 12, 20}, c.Selected, c.Pushed, false);
    ASSERT_EQ(theme.Names(), "Chevron");
    EXPECT_EQ(theme.Calls[0].Info.HoverKind, c.Hover);
    EXPECT_EQ(theme.Calls[0].Info.DropDownPushed, c.Pushed);
  }
}

// A designed item and a designed separator tell the theme so (it draws their frames as hot
// ones); running, they do not.
TEST(UiItemViewer, DesignedItemsAndSeparatorsTellTheThemeTheyAreDesigned) {
  TRecordingTheme theme;
  TThemeSwap swap(&theme);
  TItemPicture pic(60, 30);
  for (bool designing : {false, true}) {
    TViewFixture f(true);
    auto* item = new TUiCustomItem(nullptr);
    item->SetCaption(L"Open");
    auto* separator = new TUiSeparatorItem(nullptr);
    for (TBarCustomItem* i : std::initializer_list<TBarCustomItem*>{item, separator}) i->SetDesigning(designing);
    TUiItemViewer* v = f.Add(item);
    f.root.Add(separator);
    theme.Calls.clear();
    v->Paint(pic.Canvas(), {0, 0, 40, 24}, false, false, false);
    f.view.Find(separator)->Paint(pic.Canvas(), {0, 0, 6, 24}, false, false, false);
    const auto* button = theme.Find("Button");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ((button->Info.ItemOptions & IO_DESIGNING) != 0, designing);
    ASSERT_EQ(theme.Calls.back().Name, "SeparatorV");
    EXPECT_EQ((theme.Calls.back().Info.ItemOptions & IO_DESIGNING) != 0, designing);
  }
}

// The item info a toolbar viewer hands the theme: a split item carries the combo option, is
// never vertical, and its drop-down is down only while its arrow part holds the open sub-menu;
// a plain drop-down item's is down whenever the item is.
TEST(UiItemViewer, ItemInfoOfSplitAndDropDownItems) {
  TRecordingTheme theme;
  TThemeSwap swap(&theme);
  TItemPicture pic(200, 40);
  const struct {
    bool Split, Vertical, Pushed, ArrowOpen;
    uint32_t Combo;
    int IsVertical, DropDownPushed;
  } cases[] = {
      {true, false, true, false, IO_COMBO, 0, 0}, {true, false, true, true, IO_COMBO, 0, 1},
      {true, true, false, false, IO_COMBO, 0, 0}, {false, true, true, false, 0, 1, 1},
      {false, false, false, false, 0, 0, 0},
  };
  for (const auto& c : cases) {
    TViewFixture f(true);
    f.view.SetOrientation(c.Vertical ? orVertical : orHorizontal);
    auto* item = new TStyled(c.Split ? tbisHasSubmenu | tbisSplitButton : 0);
    item->SetCaption(L"Go");
    item->Add(new TUiCustomItem(nullptr));
    if (!c.Split) item->SetOptions(TBarItemOptions{tboDropdownArrow});
    TUiItemViewer* v = f.Add(item);
    if (c.ArrowOpen) f.view.SetOpenViewer(v, nullptr, nullptr);
    theme.Calls.clear();
    v->Paint(pic.Canvas(), {0, 0, 60, 24}, c.Pushed, c.Pushed, false);
    const auto* button = theme.Find("Button");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->Info.ItemOptions & IO_COMBO, c.Combo) << c.Split << c.Vertical;
    EXPECT_EQ(button->Info.IsVertical, c.IsVertical) << c.Split << c.Vertical;
    EXPECT_EQ(button->Info.DropDownPushed, c.DropDownPushed) << c.Split << c.Pushed << c.ArrowOpen;
    if (c.ArrowOpen) f.view.SetOpenViewer(nullptr, nullptr, nullptr);
    delete item->Items(0);
  }
}

// A caption is turned in a vertical toolbar exactly when it was measured turned: only under
// uilAuto, never with tboImageAboveCaption or tboNoRotation.
TEST(UiItemViewer, CaptionTurnsInVerticalToolbarsAsMeasured) {
  TRecordingTheme theme;
  TThemeSwap swap(&theme);
  TItemPicture pic(200, 200);
  const struct {
    bool Vertical;
    TUiItemLayout Layout;
    TBarItemOption Option;
    bool Rotated;
  } cases[] = {
      {true, uilAuto, tboShowHint, true},           {true, uilGlyphLeft, tboShowHint, false},
      {true, uilGlyphTop, tboShowHint, false},      {true, uilAuto, tboNoRotation, false},
      {true, uilAuto, tboImageAboveCaption, false}, {false, uilAuto, tboShowHint, false},
  };
  for (const auto& c : cases) {
    TViewFixture f(true);
    f.view.SetOrientation(c.Vertical ? orVertical : orHorizontal);
    auto* item = new TUiCustomItem(nullptr);
    item->SetCaption(L"Open");
    item->SetLayout(c.Layout);
    item->SetOptions(TBarItemOptions{c.Option});
    TUiItemViewer* v = f.Add(item);
    int w = 0, h = 0;
    v->CalcSize(pic.Canvas(), w, h);
    EXPECT_EQ(h > w, c.Rotated) << c.Layout << c.Option;  // measured along the toolbar
    theme.Calls.clear();
    v->Paint(pic.Canvas(), {0, 0, w, h}, false, false, false);
    EXPECT_EQ(theme.Find("RotatedCaption:Open") != nullptr, c.Rotated) << c.Layout << c.Option;
    EXPECT_EQ(theme.Find("Caption:Open") != nullptr, !c.Rotated) << c.Layout << c.Option;
  }
}

// A menu's caption column is as wide as the widest caption among the items it shows, each in its own font.
TEST(UiItemViewer, MenuCaptionColumnIsTheWidestShownCaption) {
  TRecordingTheme theme;
  TThemeSwap swap(&theme);
  TItemPicture pic(10, 10);
  const WideString own = L"Print", longer = L"A much longer caption than Print";
  // The width of "Print" in a menu, beside a longer sibling of the style, shown or not, bold or not.
  auto width = [&](bool Sibling, TBarItemStyle Style = 0, bool Visible = true, bool Bold = false) {
    TViewFixture f(false);
    auto* item = new TUiCustomItem(nullptr);
    item->SetCaption(own + L"\tCtrl+Shift+P");
    TUiItemViewer* v = f.Add(item);
    if (Sibling) {
      auto* s = new TStyled(Style);
      s->SetCaption(longer);
      s->SetVisible(Visible);
      if (Bold) s->SetOptions(TBarItemOptions{tboDefault});
      f.Add(s);
    }
    int w = 0, h = 0;
    v->CalcSize(pic.Canvas(), w, h);
    return w;
  };
  const int alone = width(false), ownWidth = pic.TextWidth(own), plain = pic.TextWidth(longer) - ownWidth;
  pic.Canvas()->Font()->SetStyle(TFontStyles{fsBold});
  const int bold = pic.TextWidth(longer) - ownWidth;
  pic.Canvas()->Font()->SetStyle(TFontStyles{});
  // Beside a longer sibling, a bold one, a hidden one, an inline group placeholder.
  EXPECT_EQ(std::tuple(width(true), width(true, 0, true, true), width(true, 0, false), width(true, tbisInlineGroup)),
            std::tuple(alone + plain, alone + bold, alone, alone));
}

// The item record takes the view's own view type: 0 without a window, so that the theme paints a plain item.
TEST(UiItemViewer, ItemRecordTakesTheViewTypeOfTheViewsWindow) {
  TRecordingTheme theme;
  TThemeSwap swap(&theme);
  for (bool toolbar : {true, false}) {
    TViewFixture f(toolbar);
    TUiItemViewer* v = f.Add(new TUiCustomItem(nullptr));
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->MakeItemInfo(false, false).ViewType, 0) << toolbar;
  }
  TForm form(nullptr, CreateNew);
  auto* bar = new TUiToolbar(&form);
  bar->SetParent(&form);
  auto* item = new TUiCustomItem(nullptr);
  bar->Items()->Add(item);
  auto* v = dynamic_cast<TUiItemViewer*>(bar->View()->Find(item));
  ASSERT_NE(v, nullptr);
  ASSERT_NE(GetWindowViewType(bar), 0);
  EXPECT_EQ(v->MakeItemInfo(false, false).ViewType, GetWindowViewType(bar));
  delete item;
}
