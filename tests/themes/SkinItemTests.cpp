// The skinned items: Unicode caption and hint, clamped sizes, the linked control, the action
// link, form data, the viewer's size, its paint order with the draw events, and its hint.
#include <gtest/gtest.h>

#include "controls/UcActnList.h"
#include "framework/Actions.h"
#include "framework/Application.h"
#include "framework/Bitmap.h"
#include "framework/CodePages.h"
#include "framework/ExtCtrls.h"
#include "framework/FormFiles.h"
#include "framework/Forms.h"
#include "tests/themes/SkinTestSupport.h"
#include "tests/themes/UiItemsTestSupport.h"
#include "themes/SkinToolbar.h"

namespace {

struct TNotices {
  int Count = 0;
  void Handler(TBarCustomItem*, bool, TBarItemChangedAction, int, TBarCustomItem*) { ++Count; }
};

// Writes the draw events into the recording theme's calls; pre-paint calls answer Default.
struct TEventLog {
  explicit TEventLog(TRecordingTheme* T) : Theme(T) {}
  TRecordingTheme* Theme;
  bool Default = true;
  std::vector<TRect> CaptionRects;
  std::vector<Cardinal> Formats;
  void Item(TObject*, TCanvas*, TRect R, const TUiItemInfo& I, TSkinPaintStage S, bool& D) {
    Theme->Add(S == pstPrePaint ? "Item<" : "Item>", R, I);
    if (S == pstPrePaint) D = Default;
  }
  void Caption(TObject*, TCanvas*, TRect, WideString& C, TRect& R, Cardinal& F, bool, TSkinPaintStage S, bool&) {
    Theme->Add(std::string(S == pstPrePaint ? "Text<" : "Text>") + std::string(C.begin(), C.end()), R, {});
    if (S == pstPostPaint) CaptionRects.push_back(R), Formats.push_back(F);
  }
  void Image(TObject*, TCanvas*, const TUiItemInfo& I, TSkinPaintStage S, TCustomImageList*&, int&, TRect& R, bool&) {
    Theme->Add(S == pstPrePaint ? "Image<" : "Image>", R, I);
  }
  void Bind(TSkinCustomItem* Item) {
    Item->OnDrawItem = TSkinDrawItemEvent(this, &TEventLog::Item);
    Item->OnDrawCaption = TSkinDrawTextEvent(this, &TEventLog::Caption);
    Item->OnDrawImage = TSkinDrawImageEvent(this, &TEventLog::Image);
  }
};

TEST(SkinItem, SettersAnnounceChangesAndClampSizes) {
  TSkinView f(true);
  auto* item = new TSkinItem(nullptr);
  f.Add(item);
  TNotices n;
  f.root.RegisterNotification(TBarItemChangeHandler(&n, &TNotices::Handler));
  item->SetCaption(L"\x041F\x0443\x0441\x043A");
  item->SetCaption(L"\x041F\x0443\x0441\x043A");
  item->SetHint(L"Short|Long");  // stored quietly
  EXPECT_EQ(item->TBarCustomItem::Caption() + item->TBarCustomItem::Hint(), L"\x041F\x0443\x0441\x043AShort|Long");
  EXPECT_EQ(n.Count, 1);
  const struct {
    void (TSkinCustomItem::*Set)(int);
    int (TSkinCustomItem::*Get)() const;
    int In, Stored;
  } cases[] = {{&TSkinCustomItem::SetCustomWidth, &TSkinCustomItem::CustomWidth, -5, -1},
               {&TSkinCustomItem::SetCustomWidth, &TSkinCustomItem::CustomWidth, 30, 30},
               {&TSkinCustomItem::SetCustomHeight, &TSkinCustomItem::CustomHeight, -2, -1},
               {&TSkinCustomItem::SetMargins, &TSkinCustomItem::Margins, -3, 0},
               {&TSkinCustomItem::SetMargins, &TSkinCustomItem::Margins, 7, 7}};
  for (const auto& c : cases) {
    n.Count = 0;
    int before = (item->*c.Get)();
    (item->*c.Set)(c.In);
    EXPECT_EQ((item->*c.Get)(), c.Stored);
    EXPECT_EQ(n.Count, before == c.Stored ? 0 : 1) << c.In;
  }
  f.root.UnregisterNotification(TBarItemChangeHandler(&n, &TNotices::Handler));
}

TEST(SkinItem, LinkedControlGivesTheCheckAndIsToggled) {
  TForm form(nullptr, CreateNew);
  auto* panel = new TPanel(&form);
  panel->SetParent(&form);
  panel->SetVisible(false);
  auto* item = new TSkinItem(&form);
  item->SetControl(panel);
  EXPECT_FALSE(item->Checked());
  item->Click();
  item->InitiateAction();
  EXPECT_TRUE(panel->Visible() && item->Checked());
  delete panel;
  EXPECT_EQ(item->Control(), nullptr);
  // A designed item leaves its check alone: the control's visibility is what is being designed.
  for (bool designing : {false, true}) {
    auto* shown = new TPanel(&form);
    shown->SetParent(&form);
    auto* designed = new TSkinItem(&form);
    designed->SetDesigning(designing);
    designed->SetControl(shown);
    designed->InitiateAction();
    EXPECT_EQ(designed->Checked(), !designing) << designing;
  }
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
  action->SetCaption(L"Save &all");  // the link follows the action
  EXPECT_EQ(item->Caption(), L"Save &all");
  // A plain action's texts arrive whole too, also where the ANSI code page cannot hold them
  // (the Russian menus under code page 1252).
  auto* plain = new TAction(&form);
  plain->SetCaption(L"\x041F\x0435\x0447\x0430\x0442\x044C");
  plain->SetHint(L"\x041F\x0435\x0447\x0430\x0442\x044C|\x0414\x043E\x043A\x0443\x043C\x0435\x043D\x0442");
  auto* other = new TSkinItem(&form);
  other->SetAction(plain);
  EXPECT_EQ(other->Caption(), plain->Caption());
  EXPECT_EQ(other->Hint(), plain->Hint());
}

TEST(SkinItem, OlderUnicodeTextsAreReadFromFormFiles) {
  RegisterSkinClasses();
  const struct {
    const char* Text;
    const wchar_t *Caption, *Hint;
  } cases[] = {
      {"object Item: TSkinItem\n  CaptionW = 'Plain'\n  HintW = 'Tip|More'\nend\n", L"Plain", L"Tip|More"},
      {"object Item: TSkinItem\n  CaptionW = '\xD0\x9F\xD1\x83\xD1\x81\xD0\xBA'\nend\n", L"\x041F\x0443\x0441\x043A",
       L""},
  };
  for (const auto& c : cases) {
    TSkinItem item(nullptr);
    ReadComponentFromText(c.Text, &item);
    EXPECT_EQ(item.Caption(), c.Caption);
    EXPECT_EQ(item.Hint(), c.Hint);
  }
}

TEST(SkinItemViewer, SizesAlongAndAcrossTheToolbar) {
  TItemPicture pic(10, 10);
  for (bool vertical : {false, true}) {
    TSkinView f(true);
    if (vertical) f.view.SetOrientation(orVertical);
    auto* item = new TSkinItem(nullptr);
    item->SetCaption(L"Wide");
    TSkinItemViewer* v = f.Add(item);
    int w0, h0, w, h;
    v->CalcSize(pic.Canvas(), w0, h0);
    item->SetMargins(9);  // longer along a horizontal toolbar, wider across a vertical one
    v->CalcSize(pic.Canvas(), w, h);
    EXPECT_EQ(TPoint(w, h), TPoint(w0 + 9, h0)) << vertical;
    item->SetCustomWidth(50);
    item->SetCustomHeight(30);
    v->CalcSize(pic.Canvas(), w, h);
    EXPECT_EQ(TPoint(w, h), vertical ? TPoint(30, 50) : TPoint(50, 30));
  }
}

TEST(SkinItemViewer, MenuShortcutComesFromTheTabOrTheShortcut) {
  TItemPicture pic(10, 10);
  TSkinView f(false);
  auto* item = new TSkinItem(nullptr);
  item->SetCaption(L"Open\tAlt+Q");
  TSkinItemViewer* v = f.Add(item);
  EXPECT_EQ(v->GetWideCaptionText() + L"|" + v->GetShortCutText(), L"Open|Alt+Q");
  int w1, h1, w2, h2;
  v->CalcSize(pic.Canvas(), w1, h1);
  item->SetCaption(L"Open\tAlt+QQQ&Q");
  v->CalcSize(pic.Canvas(), w2, h2);
  EXPECT_EQ(w2 - w1, pic.TextWidth(L"QQQ"));  // measured without the accelerator mark
  item->SetCaption(L"Open\t");                // nothing after the tab: the shortcut's own text
  item->SetShortCut(ShortCut(L'O', {ssCtrl}));
  EXPECT_EQ(v->GetShortCutText(), L"Ctrl+O");
}

TEST(SkinItemViewer, PaintRunsTheDrawEventsAroundEveryStage) {
  TRecordingTheme theme;
  theme.IntegerMetrics = {{10, 14}, {20, 8}, {21, 3}};
  TThemeSwap swap(&theme);
  TItemPicture pic(200, 40);
  TImageList images(nullptr);
  TBitmap bmp;
  bmp.SetSize(16, 16);
  images.AddMasked(&bmp, clNone);
  TEventLog log(&theme);
  const struct {
    bool Toolbar, Split, Image, Checked, Default, Label;
    const char* Expected;
  } cases[] = {
      {true, false, false, false, true, false, "TextColor Item< Button Item> Text<Open Text>Open"},
      {true, false, false, false, false, false, "TextColor Item< Item> Text<Open Text>Open"},
      {true, true, false, false, true, false, "TextColor Item< Button Item> Item< Button3 Item> Text<Open Text>Open"},
      {true, false, true, false, true, false, "TextColor Item< Button Item> Image< Image Image>"},
      {false, false, false, true, true, false,
       "TextColor Item< MenuItem Item> Text<Open Text>Open Text<Ctrl+O Text>Ctrl+O Check"},
      {false, false, true, false, true, false,
       "TextColor Item< MenuItem Item> Text<Open Text>Open Text<Ctrl+O Text>Ctrl+O Image< Image Image>"},
      // A label never gets a button face, whatever its handler answers.
      {true, false, false, false, true, true, "TextColor Item< Item> Text<Open Text>Open"},
  };
  for (const auto& c : cases) {
    TSkinView f(c.Toolbar);
    TSkinCustomItem* item = c.Label   ? static_cast<TSkinCustomItem*>(new TSkinLabelItem(nullptr))
                            : c.Split ? new TSkinSubmenuItem(nullptr)
                                      : new TSkinItem(nullptr);
    if (c.Split) static_cast<TSkinSubmenuItem*>(item)->SetDropdownCombo(true);
    item->SetCaption(c.Toolbar ? L"Open" : L"Open\tCtrl+O");
    item->SetImages(&images);
    if (c.Image) item->SetImageIndex(0);
    item->SetChecked(c.Checked);
    log.Bind(item);
    log.Default = c.Default;
    TSkinItemViewer* v = f.Add(item);
    theme.Calls.clear();
    v->Paint(pic.Canvas(), {0, 0, 120, 24}, false, false, false);
    EXPECT_EQ(theme.Names(), c.Expected) << c.Toolbar << c.Split << c.Image << c.Label;
  }
}

// A designed skinned item tells the theme and its draw handlers so; running, it does not.
TEST(SkinItemViewer, ADesignedItemTellsTheThemeItIsDesigned) {
  TRecordingTheme theme;
  TThemeSwap swap(&theme);
  TItemPicture pic(200, 40);
  TEventLog log(&theme);
  for (bool designing : {false, true}) {
    TSkinView f(true);
    auto* item = new TSkinItem(nullptr);
    item->SetCaption(L"Open");
    item->SetDesigning(designing);
    log.Bind(item);
    TSkinItemViewer* v = f.Add(item);
    theme.Calls.clear();
    v->Paint(pic.Canvas(), {0, 0, 120, 24}, false, false, false);
    for (const char* name : {"Item<", "Button"}) {
      const auto* call = theme.Find(name);
      ASSERT_NE(call, nullptr) << name;
      EXPECT_EQ((call->Info.ItemOptions & IO_DESIGNING) != 0, designing) << name;
    }
  }
}

TEST(SkinItemViewer, CaptionFormatAndPushedOffset) {
  TItemPicture pic(200, 40);
  TRecordingTheme recorder;
  const struct {
    bool DefaultTheme;
    TTextWrapping Wrapping;
    TAlignment Alignment;
    Cardinal Format;  // the flags that must be set
    int Shift;        // how far a pushed caption moves
  } cases[] = {{true, twEndEllipsis, taCenter, DT_END_ELLIPSIS | DT_SINGLELINE, 1},
               {false, twPathEllipsis, taRightJustify, DT_PATH_ELLIPSIS | DT_SINGLELINE | DT_RIGHT, 0},
               {false, twWrap, taLeftJustify, DT_WORDBREAK, 0}};
  for (const auto& c : cases) {
    TThemeSwap swap(c.DefaultTheme ? CurrentTheme : &recorder);
    TEventLog log(&recorder);
    TSkinView f(true);
    auto* item = new TSkinItem(nullptr);
    item->SetCaption(L"Open");
    item->SetWrapping(c.Wrapping);
    item->SetAlignment(c.Alignment);
    log.Bind(item);
    TSkinItemViewer* v = f.Add(item);
    v->Paint(pic.Canvas(), {0, 0, 120, 24}, false, false, false);
    v->Paint(pic.Canvas(), {0, 0, 120, 24}, true, true, false);
    ASSERT_EQ(log.CaptionRects.size(), 2u);
    EXPECT_EQ(log.Formats[0] & c.Format, c.Format) << int(c.Wrapping);
    EXPECT_EQ(log.CaptionRects[1].TopLeft(),
              TPoint(log.CaptionRects[0].Left + c.Shift, log.CaptionRects[0].Top + c.Shift));
  }
}

// Where a menu caption's rectangle ends, taken as it is drawn.
struct TCaptionPlace {
  TRect Rect;
  void Caption(TObject*, TCanvas*, TRect, WideString&, TRect& R, Cardinal&, bool, TSkinPaintStage S, bool&) {
    if (S == pstPostPaint) Rect = R;
  }
};

// The rightmost column holding ink of the text drawn at X in the font, unclipped.
int InkEnd(TFont* Font, const WideString& Text, int X) {
  TItemPicture pic(400, 40);
  pic.Canvas()->Font()->Assign(Font);
  pic.Canvas()->Brush()->SetStyle(bsClear);
  pic.Canvas()->TextOut(X, 5, Text);
  int end = -1;
  for (int x = 0; x < 400; ++x)
    for (int y = 0; y < 40; ++y)
      if (GetPixel(pic.DC(), x, y) != 0xFFFFFF) end = x;
  return end;
}

// A menu caption is drawn whole, its last dot too, also where the font draws a text wider than
// it measures it.
TEST(SkinItemViewer, MenuCaptionsAreDrawnWhole) {
  for (const wchar_t* text : {L"Sort...", L"Go to...", L"Open...", L"Lines processing...", L"W"}) {
    TItemPicture pic(300, 30);
    TSkinView f(false);
    auto* item = new TSkinItem(nullptr);
    item->SetCaption(text);
    TCaptionPlace place;
    item->OnDrawCaption = TSkinDrawTextEvent(&place, &TCaptionPlace::Caption);
    f.Add(item)->Paint(pic.Canvas(), {0, 0, 300, 24}, false, false, false);
    const COLORREF background = GetPixel(pic.DC(), place.Rect.Right + 30, place.Rect.Top + 2);
    int end = -1;
    for (int x = place.Rect.Left; x < place.Rect.Right + 20; ++x)
      for (int y = place.Rect.Top; y < place.Rect.Bottom; ++y)
        if (GetPixel(pic.DC(), x, y) != background) end = x;
    EXPECT_EQ(end, InkEnd(f.view.ViewFont(), text, place.Rect.Left)) << WideToUtf8(text);
  }
}

TEST(SkinItemViewer, SubmenuArrowSitsBesideItsOwnItem) {
  TRecordingTheme theme;
  TThemeSwap swap(&theme);
  TItemPicture pic(130, 80);
  TSkinView f(false);
  auto* sub = new TSkinSubmenuItem(nullptr);
  sub->SetCaption(L"More");
  f.Add(sub)->Paint(pic.Canvas(), {0, 40, 120, 64}, false, false, false);
  auto inked = [&](int X0, int Y0, int X1, int Y1) {
    int n = 0;
    for (int y = Y0; y < Y1; ++y)
      for (int x = X0; x < X1; ++x) n += GetPixel(pic.DC(), x, y) != 0xFFFFFF;
    return n;
  };
  EXPECT_GT(inked(108, 48, 115, 57), 5);  // right of the item, around its middle (52)
  EXPECT_EQ(inked(0, 0, 130, 40), 0);
}

TEST(SkinItemViewer, BitmapHintIsMeasuredAndDrawnForTheItem) {
  TSkinView f(true);
  auto* item = new TSkinItem(nullptr);
  item->SetCaption(L"Save &As...");
  item->SetShortCut(ShortCut(L'S', {ssCtrl}));
  TSkinItemViewer* v = f.Add(item);
  struct TNoPaint {
    void Draw(TObject*, TBitmap*, WideString&, bool& D) { D = false; }
  } noPaint;
  bool saved = Application->HintShortCuts();
  Application->SetHintShortCuts(true);
  for (bool paint : {true, false}) {
    if (!paint) item->OnDrawHint = TSkinDrawHintEvent(&noPaint, &TNoPaint::Draw);
    THintInfo info;
    v->HintShow(info);
    EXPECT_EQ(info.HintStr, L"Save As (Ctrl+S)");  // from the caption: no dots, no "&"
    EXPECT_EQ(std::pair(info.HintWindowClass, info.HideTimeout), std::pair(&TBitmapHint::StaticClassInfo(), 60000));
    auto* bitmap = static_cast<TBitmap*>(info.HintData);
    ASSERT_EQ(bitmap, SkinHintBitmap());
    TRect text{0, 0, 1, 1};
    DrawWideText(bitmap->Canvas(), info.HintStr, text, 0, clNone, gldNone, DT_CALCRECT | DT_NOPREFIX);
    EXPECT_EQ(TPoint(bitmap->Width(), bitmap->Height()), TPoint(text.Width() + 8, text.Height() + 4));
    if (paint) {
      EXPECT_EQ(GetPixel(bitmap->Canvas()->Handle(), 0, 0), COLORREF(ColorToRGB(clInfoBk)));
    }
    EXPECT_EQ(TBitmapHint(nullptr).CalcHintRect(300, L"", bitmap),
              TRect(0, 0, bitmap->Width() - 2, bitmap->Height() + 2 * GetSystemMetrics(SM_CYBORDER)));
  }
  Application->SetHintShortCuts(saved);
}

// A hint of two lines (a document tab's name and encoding) shows both whole: the window's client
// area holds the bitmap's height, measured in the font the bitmap is drawn in.
TEST(SkinItemViewer, BitmapHintWindowHoldsEveryLine) {
  TSkinView f(true);
  auto* item = new TSkinItem(nullptr);
  item->SetCaption(L"file.txt");
  TSkinItemViewer* v = f.Add(item);
  for (const wchar_t* hint : {L"C:\\folder\\file.txt\r\nEncoding: ANSI", L"One line", L"a\r\nb\r\nEncoding: UTF-8"}) {
    item->SetHint(hint);
    THintInfo info;
    v->HintShow(info);
    auto* bitmap = static_cast<TBitmap*>(info.HintData);
    ASSERT_TRUE(bitmap);
    TEXTMETRICW tm{};
    GetTextMetricsW(bitmap->Canvas()->Handle(), &tm);
    int lines = 1;
    for (const wchar_t* c = hint; *c; ++c) lines += *c == L'\n';
    EXPECT_GE(bitmap->Height(), lines * tm.tmHeight + 4) << WideToUtf8(hint);
    TBitmapHint window(nullptr);
    window.ActivateHintData(Bounds(20, 20, 10, 10), info.HintStr, bitmap);
    // The text starts where the bitmap's painting puts it and ends inside the client area.
    EXPECT_GE(window.ClientHeight(), 2 + lines * tm.tmHeight) << WideToUtf8(hint);
    EXPECT_EQ(window.ClientHeight(), bitmap->Height()) << WideToUtf8(hint);
    EXPECT_EQ(window.ClientWidth(), bitmap->Width() - 4) << WideToUtf8(hint);
    window.ReleaseHandle();
  }
}

}  // namespace

// A caption is measured turned exactly when drawn turned: on a vertical toolbar, automatic layout, no image above.
TEST(SkinItemViewer, TextIsMeasuredTurnedExactlyWhenItIsDrawnTurned) {
  TItemPicture pic(10, 10);
  const WideString caption = L"A wide caption";
  const std::tuple<bool, TUiItemLayout, bool, bool> cases[] = {
      {false, uilAuto, false, false},    {true, uilAuto, false, true}, {true, uilGlyphLeft, false, false},
      {true, uilGlyphTop, false, false}, {true, uilAuto, true, false},
  };
  for (auto [vertical, layout, imageAbove, turned] : cases) {
    TSkinView f(true);
    if (vertical) f.view.SetOrientation(orVertical);
    auto* item = new TSkinItem(nullptr);
    item->SetCaption(caption);
    item->SetLayout(layout);
    if (imageAbove) item->SetOptions(TBarItemOptions{tboImageAboveCaption});
    TSkinItemViewer* v = f.Add(item);
    EXPECT_EQ(v->CaptionDrawnRotated(), turned) << vertical << layout << imageAbove;
    TPoint size = v->GetTextSize(pic.Canvas(), caption, 0);
    int w = 0, h = 0;  // the item takes the caption's room as drawn
    v->CalcSize(pic.Canvas(), w, h);
    EXPECT_TRUE((size.Y > size.X) == turned && (h > w) == turned) << vertical << layout << imageAbove;
  }
}

// Setting the linked control again, the same one, brings the check back in line with it.
TEST(SkinItem, SettingTheSameControlAgainFollowsItsVisibility) {
  TForm form(nullptr, CreateNew);
  auto* panel = new TPanel(&form);
  panel->SetParent(&form);
  auto* item = new TSkinItem(&form);
  item->SetControl(panel);
  EXPECT_TRUE(item->Checked());
  for (bool visible : {false, true, false}) {
    panel->SetVisible(visible);
    item->SetControl(panel);
    EXPECT_EQ(item->Checked(), visible);
  }
  delete panel;
  EXPECT_EQ(item->Control(), nullptr);
}
