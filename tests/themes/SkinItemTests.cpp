// The skinned items: Unicode caption and hint, clamped sizes, the linked control, the action
// link, the viewer's size, its paint order with the draw events, and its bitmap hint.
#include <gtest/gtest.h>

#include "controls/UcActnList.h"
#include "framework/Application.h"
#include "framework/Bitmap.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "tests/themes/UiItemsTestSupport.h"
#include "themes/SkinItem.h"

namespace {

struct TNotices {
  std::vector<TBarItemChangedAction> Actions;
  void Handler(TBarCustomItem*, bool, TBarItemChangedAction Action, int, TBarCustomItem*) { Actions.push_back(Action); }
};

// A skinned item on a root seen by a toolbar or menu view without windows.
struct TSkinView {
  explicit TSkinView(bool Toolbar) : view(nullptr, nullptr, &root, nullptr, Toolbar, false, false) {}
  ~TSkinView() {
    for (int i = root.Count(); i-- > 0;) {
      TBarCustomItem* item = root.Items(i);
      root.Delete(i);
      delete item;
    }
  }
  TSkinItemViewer* Add(TBarCustomItem* Item) {
    root.Add(Item);
    return dynamic_cast<TSkinItemViewer*>(view.Find(Item));
  }
  TBarRootItem root{nullptr};
  TBarView view;
};

// Writes the draw events into the recording theme's list of calls, with what they were given.
struct TEventLog {
  explicit TEventLog(TRecordingTheme& T) : theme(T) {}
  TRecordingTheme& theme;
  bool ItemDefault = true, CaptionDefault = true, ImageDefault = true;
  std::vector<TRect> CaptionRects;
  void Item(TObject*, TCanvas*, TRect R, const TUiItemInfo& I, TSkinPaintStage S, bool& D) {
    theme.Add(S == pstPrePaint ? "Item<" : "Item>", R, I);
    if (S == pstPrePaint) D = ItemDefault;
  }
  void Caption(TObject*, TCanvas*, TRect, WideString& C, TRect& R, Cardinal&, bool, TSkinPaintStage S, bool& D) {
    theme.Add(std::string(S == pstPrePaint ? "Text<" : "Text>") + std::string(C.begin(), C.end()), R, {});
    if (S == pstPrePaint) D = CaptionDefault;
    if (S == pstPostPaint) CaptionRects.push_back(R);
  }
  void Image(TObject*, TCanvas*, const TUiItemInfo& I, TSkinPaintStage S, TCustomImageList*&, int&, TRect& R, bool& D) {
    theme.Add(S == pstPrePaint ? "Image<" : "Image>", R, I);
    if (S == pstPrePaint) D = ImageDefault;
  }
  void Bind(TSkinCustomItem* Item) {
    Item->OnDrawItem = TSkinDrawItemEvent(this, &TEventLog::Item);
    Item->OnDrawCaption = TSkinDrawTextEvent(this, &TEventLog::Caption);
    Item->OnDrawImage = TSkinDrawImageEvent(this, &TEventLog::Image);
  }
};

TEST(SkinItem, CaptionSettersAnnounceAndSizesAreClamped) {
  TBarRootItem root(nullptr);
  auto* item = new TSkinItem(nullptr);
  root.Add(item);
  TNotices n;
  root.RegisterNotification(TBarItemChangeHandler(&n, &TNotices::Handler));
  item->SetCaption(L"\x041F\x0443\x0441\x043A");
  EXPECT_EQ(item->TBarCustomItem::Caption(), L"\x041F\x0443\x0441\x043A");
  item->SetCaption(L"\x041F\x0443\x0441\x043A");  // unchanged: nothing
  EXPECT_EQ(n.Actions.size(), 1u);
  item->SetHint(L"Short|Long");
  EXPECT_EQ(item->TBarCustomItem::Hint(), L"Short|Long");
  EXPECT_EQ(n.Actions.size(), 1u);  // hints are stored quietly
  struct TCase {
    void (TSkinCustomItem::*Set)(int);
    int (TSkinCustomItem::*Get)() const;
    int In, Stored;
  };
  const TCase cases[] = {{&TSkinCustomItem::SetCustomWidth, &TSkinCustomItem::CustomWidth, -5, -1},
                         {&TSkinCustomItem::SetCustomWidth, &TSkinCustomItem::CustomWidth, 30, 30},
                         {&TSkinCustomItem::SetCustomHeight, &TSkinCustomItem::CustomHeight, -2, -1},
                         {&TSkinCustomItem::SetCustomHeight, &TSkinCustomItem::CustomHeight, 0, 0},
                         {&TSkinCustomItem::SetMargins, &TSkinCustomItem::Margins, -3, 0},
                         {&TSkinCustomItem::SetMargins, &TSkinCustomItem::Margins, 7, 7}};
  for (const TCase& c : cases) {
    n.Actions.clear();
    int before = (item->*c.Get)();
    (item->*c.Set)(c.In);
    EXPECT_EQ((item->*c.Get)(), c.Stored);
    EXPECT_EQ(n.Actions.size(), before == c.Stored ? 0u : 1u) << c.In;
  }
  n.Actions.clear();
  item->SetAlignment(taLeftJustify);
  item->SetCaptionGlow(gldAll);
  item->SetWrapping(twEndEllipsis);
  item->SetWrapping(twEndEllipsis);
  EXPECT_EQ(n.Actions.size(), 3u);
  EXPECT_TRUE(item->Stretch());
  root.UnregisterNotification(TBarItemChangeHandler(&n, &TNotices::Handler));
  root.Delete(0);
  delete item;
}

TEST(SkinItem, ItemKindsSetTheirStyleBits) {
  TSkinSubmenuItem sub(nullptr);
  EXPECT_TRUE(sub.ItemStyle() & tbisHasSubmenu);
  EXPECT_TRUE(sub.ItemStyle() & tbisSubmenuItem);
  EXPECT_FALSE(sub.DropdownCombo());
  sub.SetDropdownCombo(true);
  EXPECT_TRUE(sub.ItemStyle() & tbisSplitButton);
  TSkinLabelItem label(nullptr);
  EXPECT_FALSE(label.ItemStyle() & (tbisCanSelect | tbisRepaintOnSelect | tbisRepaintOnHover));
  EXPECT_TRUE(label.ItemStyle() & tbisIgnoresClicks);
  EXPECT_EQ(label.Alignment(), taLeftJustify);
  EXPECT_FALSE(label.Stretch());
  EXPECT_EQ(label.DisplayMode(), nbdmImageAndText);
}

TEST(SkinItem, LinkedControlGivesTheCheckAndIsToggled) {
  TForm form(nullptr, CreateNew);
  auto* panel = new TPanel(&form);
  panel->SetParent(&form);
  auto* item = new TSkinItem(&form);
  panel->SetVisible(false);
  item->SetControl(panel);
  EXPECT_FALSE(item->Checked());
  item->Click();
  EXPECT_TRUE(panel->Visible());
  item->InitiateAction();
  EXPECT_TRUE(item->Checked());
  delete panel;
  EXPECT_EQ(item->Control(), nullptr);
  item->Click();  // nothing to toggle
}

TEST(SkinItem, ActionsGiveTheirTexts) {
  TForm form(nullptr, CreateNew);
  auto* action = new TUcAction(&form);
  action->SetCaption(L"\x0421\x043E\x0445\x0440\x0430\x043D\x0438\x0442\x044C");
  action->SetHint(L"Save it|Saves the document");
  auto* item = new TSkinItem(&form);
  item->SetAction(action);
  EXPECT_EQ(item->Caption(), action->Caption());
  EXPECT_EQ(item->Hint(), L"Save it|Saves the document");
  action->SetCaption(L"Save &all");
  EXPECT_EQ(item->Caption(), L"Save &all");
  auto* plain = new TAction(&form);
  plain->SetCaption(L"Plain");
  auto* other = new TSkinItem(&form);
  other->SetCaption(L"Kept");
  other->SetAction(plain);
  EXPECT_EQ(other->Caption(), L"Plain");
}

TEST(SkinItem, HintTexts) {
  const struct {
    const wchar_t *Hint, *Caption;
    bool Auto;
    const wchar_t *ShortCut, *Expected;
  } cases[] = {
      {L"Open a file|Opens a file from disk", L"&Open", true, L"", L"Open a file"},
      {L"", L"Save &As...", true, L"Ctrl+Shift+S", L"Save As (Ctrl+Shift+S)"},
      {L"", L"&Find:", true, L"", L"Find"},
      {L"", L"Save &As...", false, L"Ctrl+S", L""},
      {L"|Long only", L"Go", true, L"F5", L"Go (F5)"},
      {L"", L"Fish && Chips", true, L"", L"Fish & Chips"},
  };
  for (const auto& c : cases) EXPECT_EQ(SkinItemHintText(c.Hint, c.Caption, c.Auto, c.ShortCut), c.Expected);
}

TEST(SkinItemViewer, SizesAlongAndAcrossTheToolbar) {
  TItemPicture pic(10, 10);
  struct TCase {
    bool Vertical;
    int CustomWidth, CustomHeight, Margins, MinWidth;
    int W, H;  // -1: the themed size (plus what the case adds)
  };
  for (bool vertical : {false, true}) {
    TSkinView f(true);
    if (vertical) f.view.SetOrientation(orVertical);
    auto* item = new TSkinItem(nullptr);
    item->SetCaption(L"Wide");
    TSkinItemViewer* v = f.Add(item);
    int w0, h0;
    v->CalcSize(&pic.canvas, w0, h0);
    item->SetMargins(9);
    int w, h;
    v->CalcSize(&pic.canvas, w, h);
    // Margins make the item longer along a horizontal toolbar, and wider across a vertical one.
    EXPECT_EQ(w, w0 + 9) << vertical;
    EXPECT_EQ(h, h0) << vertical;
    item->SetCustomWidth(50);
    item->SetCustomHeight(30);
    v->CalcSize(&pic.canvas, w, h);
    EXPECT_EQ(vertical ? h : w, 50) << vertical;
    EXPECT_EQ(vertical ? w : h, 30) << vertical;
    item->SetMinWidth(70);
    v->CalcSize(&pic.canvas, w, h);
    EXPECT_EQ(vertical ? h : w, 70) << vertical;
  }
}

TEST(SkinItemViewer, MenuShortcutComesFromTheTabOrTheShortcut) {
  TItemPicture pic(10, 10);
  TSkinView f(false);
  auto* item = new TSkinItem(nullptr);
  item->SetCaption(L"Open\tAlt+Q");
  TSkinItemViewer* v = f.Add(item);
  EXPECT_EQ(v->GetShortCutText(), L"Alt+Q");
  EXPECT_EQ(v->GetWideCaptionText(), L"Open");
  int w1, h1;
  v->CalcSize(&pic.canvas, w1, h1);
  item->SetCaption(L"Open\tAlt+QQQQQQ");
  int w2, h2;
  v->CalcSize(&pic.canvas, w2, h2);
  EXPECT_EQ(w2 - w1, pic.TextWidth(L"QQQQQ"));
  item->SetCaption(L"Open\t");
  EXPECT_EQ(v->GetShortCutText(), L"");
  item->SetShortCut(ShortCut(L'O', {ssCtrl}));
  EXPECT_EQ(v->GetShortCutText(), L"Ctrl+O");
}

TEST(SkinItemViewer, PaintRunsTheDrawEventsAroundEveryStage) {
  TRecordingTheme theme;
  theme.IntegerMetrics = {{10, 14}, {20, 8}, {21, 3}};
  TThemeSwap swap(&theme);
  TItemPicture pic(200, 40);
  TImageList images(nullptr);
  images.SetWidth(16);
  images.SetHeight(16);
  TBitmap bmp;
  bmp.SetSize(16, 16);
  images.AddMasked(&bmp, clNone);
  TEventLog log(theme);
  struct TCase {
    bool Toolbar, Split, Image, Checked;
    bool ItemDefault;
    const char* Expected;
  };
  const TCase cases[] = {
      {true, false, false, false, true, "TextColor Item< Button Item> Text<Open Text>Open"},
      {true, false, false, false, false, "TextColor Item< Item> Text<Open Text>Open"},
      {true, true, false, false, true, "TextColor Item< Button Item> Item< Button3 Item> Text<Open Text>Open"},
      {true, false, true, false, true, "TextColor Item< Button Item> Image< Image Image>"},  // image only
      {false, false, false, true, true,
       "TextColor Item< MenuItem Item> Text<Open Text>Open Text<Ctrl+O Text>Ctrl+O Check"},
      {false, false, true, false, true,
       "TextColor Item< MenuItem Item> Text<Open Text>Open Text<Ctrl+O Text>Ctrl+O Image< Image Image>"},
  };
  for (const TCase& c : cases) {
    TSkinView f(c.Toolbar);
    TSkinCustomItem* item = c.Split ? new TSkinSubmenuItem(nullptr) : new TSkinItem(nullptr);
    if (c.Split) static_cast<TSkinSubmenuItem*>(item)->SetDropdownCombo(true);
    item->SetCaption(c.Toolbar ? L"Open" : L"Open\tCtrl+O");
    item->SetImages(&images);
    if (c.Image) item->SetImageIndex(0);
    item->SetChecked(c.Checked);
    log.Bind(item);
    log.ItemDefault = c.ItemDefault;
    TSkinItemViewer* v = f.Add(item);
    theme.Calls.clear();
    v->Paint(&pic.canvas, {0, 0, 120, 24}, false, false, false);
    EXPECT_EQ(theme.Names(), c.Expected) << c.Toolbar << c.Split << c.Image;
  }
  // The theme paints the caption only when the viewer's own drawing is declined by a subclass;
  // a caption event that declines suppresses the drawing of that stage alone.
  TSkinView f(true);
  auto* item = new TSkinItem(nullptr);
  item->SetCaption(L"Open");
  log.Bind(item);
  log.ItemDefault = true;
  log.CaptionDefault = false;
  TItemPicture blank(200, 40);
  theme.Calls.clear();
  f.Add(item)->Paint(&blank.canvas, {0, 0, 120, 24}, false, false, false);
  EXPECT_EQ(theme.Names(), "TextColor Item< Button Item> Text<Open Text>Open");
  int ink = 0;
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 120; ++x) ink += GetPixel(blank.dc.Get(), x, y) == 0;
  EXPECT_EQ(ink, 0);  // the recording theme paints nothing, and the caption was declined
}

TEST(SkinItemViewer, LabelsNeverGetAButtonFace) {
  TRecordingTheme theme;
  TThemeSwap swap(&theme);
  TItemPicture pic(200, 40);
  TEventLog log(theme);
  TSkinView f(true);
  auto* label = new TSkinLabelItem(nullptr);
  label->SetCaption(L"Find:");
  log.Bind(label);
  TSkinItemViewer* v = f.Add(label);
  v->Paint(&pic.canvas, {0, 0, 120, 24}, false, false, false);
  EXPECT_EQ(theme.Names(), "TextColor Item< Item> Text<Find: Text>Find:");
  EXPECT_FALSE(v->DoExecute());
}

TEST(SkinItemViewer, PushedCaptionMovesOnlyUnderTheDefaultTheme) {
  TItemPicture pic(200, 40);
  for (bool defaultTheme : {true, false}) {
    TRecordingTheme recorder;
    TUiTheme* theme = defaultTheme ? CurrentTheme : &recorder;
    TThemeSwap swap(theme);
    TRecordingTheme log0;
    TEventLog log(log0);
    TSkinView f(true);
    auto* item = new TSkinItem(nullptr);
    item->SetCaption(L"Open");
    log.Bind(item);
    TSkinItemViewer* v = f.Add(item);
    v->Paint(&pic.canvas, {0, 0, 120, 24}, false, false, false);
    v->Paint(&pic.canvas, {0, 0, 120, 24}, true, true, false);
    ASSERT_EQ(log.CaptionRects.size(), 2u);
    int d = defaultTheme ? 1 : 0;
    EXPECT_EQ(log.CaptionRects[1].Left, log.CaptionRects[0].Left + d) << defaultTheme;
    EXPECT_EQ(log.CaptionRects[1].Top, log.CaptionRects[0].Top + d) << defaultTheme;
  }
}

TEST(SkinItemViewer, GlowDrawsTheCaptionFiveTimes) {
  TItemPicture plain(200, 40), glowing(200, 40);
  for (TItemPicture* pic : {&plain, &glowing}) {
    TSkinView f(true);
    auto* item = new TSkinItem(nullptr);
    item->SetCaption(L"IIII");
    if (pic == &glowing) {
      item->SetCaptionGlow(gldAll);
      item->SetCaptionGlowColor(clRed);
    }
    f.Add(item)->Paint(&pic->canvas, {0, 0, 120, 24}, false, false, false);
  }
  int red = 0, plainRed = 0;
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 120; ++x) {
      red += GetPixel(glowing.dc.Get(), x, y) == 0x0000FF;
      plainRed += GetPixel(plain.dc.Get(), x, y) == 0x0000FF;
    }
  EXPECT_GT(red, 20);
  EXPECT_EQ(plainRed, 0);
}

TEST(SkinItemViewer, BitmapHintIsMeasuredAndDrawnForTheItem) {
  TSkinView f(true);
  auto* item = new TSkinItem(nullptr);
  item->SetCaption(L"Save &As...");
  item->SetShortCut(ShortCut(L'S', {ssCtrl}));
  TSkinItemViewer* v = f.Add(item);
  bool saved = Application->HintShortCuts();
  Application->SetHintShortCuts(true);
  THintInfo info;
  v->HintShow(info);
  Application->SetHintShortCuts(saved);
  EXPECT_EQ(info.HintStr, L"Save As (Ctrl+S)");
  EXPECT_EQ(info.HintWindowClass, &TBitmapHint::StaticClassInfo());
  EXPECT_EQ(info.HideTimeout, 60000);
  auto* bitmap = static_cast<TBitmap*>(info.HintData);
  ASSERT_EQ(bitmap, SkinHintBitmap());
  TRect text{0, 0, 1, 1};
  DrawWideText(bitmap->Canvas(), info.HintStr, text, 0, clNone, gldNone, DT_CALCRECT | DT_NOPREFIX);
  EXPECT_EQ(bitmap->Width(), text.Width() + 8);
  EXPECT_EQ(bitmap->Height(), text.Height() + 4);
  EXPECT_EQ(GetPixel(bitmap->Canvas()->Handle(), 0, 0), static_cast<COLORREF>(ColorToRGB(clInfoBk)));

  TBitmapHint hint(nullptr);
  EXPECT_EQ(hint.CalcHintRect(300, info.HintStr, bitmap), TRect(0, 0, bitmap->Width() - 2, bitmap->Height() - 2));
}

}  // namespace
