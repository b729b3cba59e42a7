// The tab set and tab control: activation and its events, tabs inserted and deleted, sheets,
// autofit, hidden tabs and scrolling, and moving a tab.
#include <gtest/gtest.h>

#include "framework/FormFiles.h"
#include "framework/ExtCtrls.h"
#include "framework/Bitmap.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"
#include "themes/SkinTabs.h"
#include "themes/Ui.h"
#include "themes/UiDefaultTheme.h"

namespace {

void pump() {
  MSG msg;
  for (int i = 0; i < 100 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

struct TTabForm : TObject {
  explicit TTabForm(int Tabs = 3, int Width = 300) : Form(nullptr, CreateNew) {
    UiStartUp();
    Form.SetBounds(30, 30, Width + 40, 260);
    Control = new TSkinTabControl(&Form);
    Control->SetParent(&Form);
    Control->SetBounds(10, 10, Width, 200);
    Control->OnActiveTabChange = TSkinTabChangeEvent(this, &TTabForm::Changed);
    Control->OnActiveTabChanging = TSkinTabChangingEvent(this, &TTabForm::Changing);
    for (int i = 0; i < Tabs; ++i) Control->AddTab(L"Tab " + std::to_wstring(i));
    Form.Show();
    pump();
  }
  void Changed(TObject*, int Index) { Log += "change " + std::to_string(Index) + ";"; }
  void Changing(TObject*, int From, int To, bool& Allow) {
    Log += "changing " + std::to_string(From) + ">" + std::to_string(To) + ";";
    Allow = !Refuse;
  }
  TSkinTabItem* Tab(int I) { return static_cast<TSkinTabItem*>(Control->Items()->Items(I)); }
  TSkinTabSheet* SheetOf(int I) { return static_cast<TSkinTabSheet*>(Tab(I)->Control()); }
  int Checked() {
    int n = 0;
    for (int i = 0; i < Control->Items()->Count(); ++i) n += Control->Items()->Items(i)->Checked();
    return n;
  }
  TForm Form;
  TSkinTabControl* Control;
  std::string Log;
  bool Refuse = false;
};

}  // namespace

TEST(SkinTabs, FirstTabActiveWithItsSheet) {
  TTabForm f;
  EXPECT_EQ(f.Control->ActiveTabIndex(), 0);
  EXPECT_EQ(f.Control->PageCount(), 3);
  EXPECT_TRUE(f.Tab(0)->Checked());
  EXPECT_TRUE(f.SheetOf(0)->Visible());
  EXPECT_FALSE(f.SheetOf(1)->Visible());
  EXPECT_EQ(f.SheetOf(0)->Caption(), L"Tab 0");
}

TEST(SkinTabs, ActiveIndexRequests) {
  struct {
    int Request;
    int Expected;
    const char* Log;
  } cases[] = {
      {2, 2, "changing 0>2;change 2;"},
      {4, -1, "changing 0>-1;change -1;"},   // the item count
      {-2, -1, "changing 0>-1;change -1;"},  // below zero
      {0, 0, ""},                            // the active one: nothing
      {3, 0, ""},                            // a separator, no tab: unchanged
  };
  for (auto& c : cases) {
    TTabForm f;
    f.Control->Items()->Add(new TSkinSeparatorItem(&f.Form));
    f.Log.clear();
    f.Control->SetActiveTabIndex(c.Request);
    SCOPED_TRACE(c.Request);
    EXPECT_EQ(f.Control->ActiveTabIndex(), c.Expected);
    EXPECT_EQ(f.Log, c.Log);
    EXPECT_EQ(f.Control->EmptySheet()->Visible(), c.Expected == -1);
    EXPECT_EQ(f.Checked(), c.Expected == -1 ? 0 : 1);
  }
}

TEST(SkinTabs, RefusedChangeKeepsEverything) {
  TTabForm f;
  f.Refuse = true;
  f.Control->SetActiveTabIndex(1);
  f.Tab(2)->Click();
  EXPECT_EQ(f.Control->ActiveTabIndex(), 0);
  EXPECT_TRUE(f.Tab(0)->Checked());
  EXPECT_FALSE(f.Tab(2)->Checked());
  EXPECT_TRUE(f.SheetOf(0)->Visible());
  EXPECT_FALSE(f.SheetOf(2)->Visible());
  // Allowed, a click activates the tab and shows its sheet.
  f.Refuse = false;
  f.Log.clear();
  f.Tab(2)->Click();
  EXPECT_EQ(f.Control->ActiveTabIndex(), 2);
  EXPECT_TRUE(f.SheetOf(2)->Visible());
  EXPECT_FALSE(f.SheetOf(0)->Visible());
  EXPECT_NE(f.Log.find("change 2;"), std::string::npos);
}

TEST(SkinTabs, InsertAndDeleteShiftTheActiveIndex) {
  TTabForm f;
  f.Control->SetActiveTabIndex(1);
  TSkinTabItem* active = f.Tab(1);
  auto* before = new TSkinTabItem(&f.Form);
  f.Control->Items()->Insert(0, before);
  EXPECT_EQ(f.Control->ActiveTabIndex(), 2);  // the same tab, one further
  EXPECT_EQ(f.Tab(2), active);
  EXPECT_EQ(f.Control->PageCount(), 4);
  delete before;
  EXPECT_EQ(f.Control->ActiveTabIndex(), 1);
  EXPECT_EQ(f.Control->PageCount(), 3);
  // The active tab going hands over to the tab before it.
  delete f.Tab(1);
  pump();
  EXPECT_EQ(f.Control->ActiveTabIndex(), 0);
  EXPECT_TRUE(f.Tab(0)->Checked());
  EXPECT_EQ(f.Control->PageCount(), 2);
  // The active first tab going hands over to the second.
  delete f.Tab(0);
  pump();
  EXPECT_EQ(f.Control->ActiveTabIndex(), 0);
  EXPECT_TRUE(f.Tab(0)->Checked());
  EXPECT_TRUE(f.SheetOf(0)->Visible());
  // The only tab going leaves none, and the empty sheet shows.
  delete f.Tab(0);
  pump();
  EXPECT_EQ(f.Control->ActiveTabIndex(), -1);
  EXPECT_TRUE(f.Control->EmptySheet()->Visible());
  EXPECT_EQ(f.Control->PageCount(), 0);
}

TEST(SkinTabs, SheetNamesSkipThoseTaken) {
  TTabForm f(0);
  TComponent taken(&f.Form);
  taken.SetName("SkinTabSheet1");
  TSkinTabSheet* sheet = f.Control->AddTab(L"One");
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(sheet->Name(), "SkinTabSheet2");
  EXPECT_EQ(f.Control->ActiveTabIndex(), 0);  // the first page is clicked
  EXPECT_EQ(f.Control->AddTab(L"Two")->Name(), "SkinTabSheet3");
}

TEST(SkinTabs, AutofitSharesTheWidth) {
  struct {
    int MaxSize;
    int Width;
  } cases[] = {{200, 100}, {80, 80}};
  for (auto& c : cases) {
    TTabForm f(4, 404);
    TSkinTabToolbar* t = f.Control->TabToolbar();
    // A dock of client width 404.
    f.Control->SetWidth(404 + f.Control->Width() - t->CurrentDock()->ClientWidth());
    pump();
    ASSERT_EQ(t->CurrentDock()->ClientWidth(), 404);
    f.Control->SetTabAutofitMaxSize(c.MaxSize);
    f.Control->SetTabAutofit(true);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(f.Tab(i)->CustomWidth(), c.Width) << c.MaxSize;
  }
  // A tab not shown takes the width the shown ones share.
  TTabForm f(4, 404);
  f.Tab(3)->SetVisible(false);
  f.Control->SetTabAutofit(true);
  EXPECT_GT(f.Tab(0)->CustomWidth(), 0);
  EXPECT_EQ(f.Tab(3)->CustomWidth(), f.Tab(0)->CustomWidth());
}

TEST(SkinTabs, TabsThatDoNotFitAreHiddenAndScrolledIn) {
  TTabForm f(8, 200);
  TSkinTabToolbar* t = f.Control->TabToolbar();
  t->FitTabs();
  int hidden = static_cast<int>(t->HiddenTabs().size());
  ASSERT_GT(hidden, 0);
  EXPECT_TRUE(f.Tab(0)->Visible());
  EXPECT_FALSE(f.Tab(7)->Visible());
  // Activating a hidden tab scrolls it into view; the first ones give way.
  f.Control->SetActiveTabIndex(7);
  EXPECT_TRUE(f.Tab(7)->Visible());
  EXPECT_TRUE(t->IsHidden(f.Tab(0)));
  EXPECT_EQ(static_cast<int>(t->HiddenTabs().size()), hidden);
  f.Control->SetActiveTabIndex(0);
  EXPECT_TRUE(f.Tab(0)->Visible());
  EXPECT_FALSE(f.Tab(7)->Visible());
  // A tab hidden on purpose, not for lack of room, scrolls nothing when it is activated.
  f.Tab(3)->SetVisible(false);
  std::vector<bool> shown;
  for (int i = 0; i < 8; ++i) shown.push_back(f.Tab(i)->Visible());
  f.Control->SetActiveTabIndex(3);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(f.Tab(i)->Visible(), shown[i]) << i;
}

// Where only one tab fits, scrolling swaps it for the next or the previous one.
TEST(SkinTabs, AStripOfOneTabScrollsOneForTheOther) {
  TTabForm f(4, 60);
  TSkinTabToolbar* t = f.Control->TabToolbar();
  t->FitTabs();
  ASSERT_TRUE(t->IsHidden(f.Tab(1)));
  struct {
    int Activate;
    int Shown;
  } steps[] = {{1, 1}, {2, 2}, {1, 1}, {0, 0}};
  for (const auto& s : steps) {
    f.Control->SetActiveTabIndex(s.Activate);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(f.Tab(i)->Visible(), i == s.Shown) << s.Activate << " " << i;
  }
}

TEST(SkinTabs, MovingATab) {
  TTabForm f;
  f.Control->OnActiveTabReordering = TSkinTabChangingEvent(&f, &TTabForm::Changing);
  f.Control->OnActiveTabReorder = TSkinTabChangeEvent(&f, &TTabForm::Changed);
  TSkinTabItem* first = f.Tab(0);
  f.Refuse = true;
  f.Log.clear();
  f.Control->TabToolbar()->ReorderTab(first, 1);
  EXPECT_EQ(f.Tab(0), first);
  EXPECT_EQ(f.Log, "changing 0>1;");
  f.Refuse = false;
  f.Control->TabToolbar()->ReorderTab(first, 1);
  EXPECT_EQ(f.Tab(1), first);
  EXPECT_EQ(f.Control->ActiveTabIndex(), 1);
  // Onto the last place.
  f.Control->TabToolbar()->ReorderTab(first, 2);
  EXPECT_EQ(f.Tab(2), first);
  EXPECT_EQ(f.Control->ActiveTabIndex(), 2);
  f.Control->TabToolbar()->ReorderTab(first, 1);
  // Onto itself or past the last tab: nothing.
  f.Log.clear();
  f.Control->TabToolbar()->ReorderTab(first, 1);
  f.Control->TabToolbar()->ReorderTab(first, 3);
  EXPECT_EQ(f.Log, "");
}

TEST(SkinTabs, ItemTakesTheToolbarsStyle) {
  TTabForm f;
  f.Control->SetThemeType(tttFlat);
  f.Tab(1)->SetThemeType(tttNone);  // on a tab toolbar the item's own setting does nothing
  EXPECT_EQ(f.Tab(1)->ThemeType(), tttFlat);
  EXPECT_EQ(f.Control->Color(), clBtnFace);
  f.Control->SetThemeType(tttUi);
  EXPECT_EQ(f.Control->Color(), clNone);
  // A control without a colour leaves the tabs the one they had.
  EXPECT_EQ(f.Control->TabToolbar()->TabColor(), clBtnFace);
  f.Control->SetTabPosition(ttpBottom);
  EXPECT_EQ(f.Tab(0)->TabPosition(), ttpBottom);
  EXPECT_EQ(f.Control->Dock()->Align(), alBottom);
}

TEST(SkinTabs, FormFileKeepsSheetsAndHiddenTabs) {
  TTabForm f(8, 200);
  f.Form.SetName("TabsForm");
  f.Control->SetName("Tabs");
  for (int i = 0; i < 8; ++i) f.Tab(i)->SetName("Tab" + std::to_string(i));
  f.Control->TabToolbar()->FitTabs();
  ASSERT_FALSE(f.Control->TabToolbar()->HiddenTabs().empty());
  std::string text = WriteComponentToText(&f.Form);
  EXPECT_NE(text.find("TabItem = 'Tab1'"), std::string::npos) << text;
  EXPECT_NE(text.find("HiddenItems = <"), std::string::npos) << text;
  EXPECT_NE(text.find("Name = 'Tab7'"), std::string::npos) << text;
}

// Margins, read as a nested object like other controls' margins, realign every page at once.
TEST(SkinTabs, MarginsRealignEveryPage) {
  TTabForm f(2);
  TPanel* fills[2];
  for (int i = 0; i < 2; ++i) {
    fills[i] = new TPanel(&f.Form);
    fills[i]->SetParent(f.SheetOf(i));
    fills[i]->SetAlign(alClient);
  }
  const TRect before = fills[0]->BoundsRect();
  ReadComponentFromText("object Tabs: TSkinTabControl\n  Margins.Left = 7\n  Margins.Bottom = 3\nend\n", f.Control);
  for (int i = 0; i < 2; ++i) {
    f.Control->SetActiveTabIndex(i);  // a hidden page is sized once it shows
    pump();
    EXPECT_EQ(fills[i]->BoundsRect(), TRect(before.Left + 7, before.Top, before.Right, before.Bottom - 3)) << i;
  }
}

// The form file reaches the tab strip's colour through the control.
TEST(SkinTabs, FormFileSetsTheTabBackgroundColor) {
  TTabForm f(2);
  ReadComponentFromText("object Tabs: TSkinTabControl\n  TabBackgroundColor = clRed\nend\n", f.Control);
  EXPECT_EQ(f.Control->TabBackgroundColor(), clRed);
  EXPECT_EQ(f.Control->TabToolbar()->Color(), clRed);
}

// Outside a tab set a tab toolbar activates nothing.
TEST(SkinTabs, ATabToolbarOutsideATabSetKeepsNoActiveIndex) {
  TForm form(nullptr, CreateNew);
  auto* toolbar = new TSkinTabToolbar(&form);
  toolbar->Items()->Add(new TSkinTabItem(&form));
  toolbar->SetActiveTabIndex(0);
  EXPECT_EQ(toolbar->ActiveTabIndex(), -1);
  EXPECT_EQ(toolbar->ActiveTab(), nullptr);
}

// When a tab goes in a designed tab set, the active tab is applied again by a posted message;
// at run time the control only realigns.
TEST(SkinTabs, ADesignedTabSetReappliesTheActiveTabAfterADeletion) {
  for (bool designing : {false, true}) {
    TTabForm f(3);
    f.Control->SetDesigning(designing);
    pump();
    delete f.Tab(2);
    MSG msg;
    EXPECT_EQ(PeekMessageW(&msg, f.Control->Handle(), UM_TABDELETED, UM_TABDELETED, PM_NOREMOVE) != 0, designing);
    pump();
    EXPECT_EQ(f.Control->ActiveTabIndex(), 0);
    EXPECT_TRUE(f.Tab(0)->Checked());
  }
}

// Under "Default" a pressed button's caption moves down and right; a pressed tab's does not.
TEST(SkinTabs, APressedTabKeepsItsCaptionInPlace) {
  struct {
    bool Pushed;
    int Tab;  // 0 the active tab, 1 an inactive one (its caption sits 2 px lower)
    TRect Expected;
  } cases[] = {
      {false, 0, {10, 10, 50, 20}},
      {true, 0, {9, 9, 49, 19}},
      {true, 1, {9, 11, 49, 21}},
  };
  TTabForm f(2);
  TBitmap bitmap;
  bitmap.SetSize(100, 40);
  for (const auto& c : cases) {
    TUiItemInfo info;
    info.Pushed = c.Pushed;
    bool paintDefault = true;
    f.Tab(c.Tab)->DoDrawItem(bitmap.Canvas(), TRect(0, 0, 60, 30), info, pstPrePaint, paintDefault);
    WideString caption = L"Tab";
    TRect rect(10, 10, 50, 20);
    Cardinal format = 0;
    paintDefault = true;
    f.Tab(c.Tab)->DoDrawCaption(bitmap.Canvas(), TRect(0, 0, 60, 30), caption, rect, format, false, pstPrePaint,
                                paintDefault);
    EXPECT_EQ(rect, c.Expected) << c.Pushed << " " << c.Tab;
  }
}

// The tab strip is the pane in the tab style, its edge along the tabs' foot; the active tab,
// drawn again over it, covers that edge.
TEST(SkinTabs, TheStripIsThePaneWithTheActiveTabOverItsEdge) {
  TTabForm f(3);
  const COLORREF pane = 0x55AA00;
  TSkinTabToolbar* t = f.Control->TabToolbar();
  f.Control->SetThemeType(tttFlat);
  t->SetTabColor(static_cast<TColor>(pane));
  f.Control->SetActiveTabIndex(1);
  RedrawWindow(t->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  pump();
  TBarItemViewer* active = t->View()->Find(f.Tab(1));
  ASSERT_NE(active, nullptr);
  const TRect client = t->ClientRect();
  auto pixel = [&](int X, int Y) {
    HDC dc = GetDC(t->Handle());
    COLORREF c = GetPixel(dc, X, Y);
    ReleaseDC(t->Handle(), dc);
    return c;
  };
  const int bottom = client.Bottom - 1, beyond = client.Right - 10;
  EXPECT_EQ(pixel(beyond, client.Height() / 2), pane);
  EXPECT_EQ(pixel(beyond, bottom), ColorToRGB(clBtnShadow));
  EXPECT_EQ(pixel((active->BoundsRect().Left + active->BoundsRect().Right) / 2, bottom), pane);
}

// Under "OfficeXP" a tab set answers the background query with the face colour, the colour
// where the query's answer is read.
TEST(SkinTabs, TheBackgroundQueryUnderOfficeXPGivesTheFaceColour) {
  TTabForm f(1);
  f.Control->SetColor(clRed);
  EXPECT_EQ(GetParentBackgroundColor(f.Control), clRed);
  if (!IsThemeRegistered("OfficeXP")) RegisterTheme("OfficeXP", UiThemeClassOf<TUiDefaultTheme>());
  SetCurrentThemeByName("OfficeXP");
  const TColor answer = GetParentBackgroundColor(f.Control);
  SetCurrentThemeByName("Default");
  EXPECT_EQ(answer, clBtnFace);
}

// A page's background is the tab control's pane, painted through the control's background
// event (the control's own area is covered by the page while a tab is active).
TEST(SkinTabs, APagesBackgroundGoesThroughTheControlsBackgroundEvent) {
  struct THandler {
    std::vector<TSkinPaintStage> Stages;
    void Draw(TObject*, TCanvas*, TRect, TSkinPaintStage Stage, bool&) { Stages.push_back(Stage); }
  } handler;
  TTabForm f(2);
  f.Control->OnDrawBackground = TSkinDrawEvent(&handler, &THandler::Draw);
  RedrawWindow(f.SheetOf(0)->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  ASSERT_GE(handler.Stages.size(), 2u);
  EXPECT_TRUE(handler.Stages[0] == pstPrePaint && handler.Stages[1] == pstPostPaint);
}

// The active tab a form file names is applied without the change events.
TEST(SkinTabs, TheActiveTabOfAFormFileIsAppliedSilently) {
  TTabForm f(3);
  f.Log.clear();
  ReadComponentFromText("object Tabs: TSkinTabControl\n  ActiveTabIndex = 2\nend\n", f.Control);
  EXPECT_EQ(f.Control->ActiveTabIndex(), 2);
  EXPECT_TRUE(f.SheetOf(2)->Visible());
  EXPECT_EQ(f.Log, "");
}

// At run time a page gives the focus back to the control that had it when the page was hidden;
// a designed page does not.
TEST(SkinTabs, APageReturnsTheFocusAtRunTimeOnly) {
  for (bool designing : {false, true}) {
    TTabForm f(2);
    auto* edit = new TEdit(&f.Form);
    edit->SetParent(f.SheetOf(0));
    auto* other = new TEdit(&f.Form);
    other->SetParent(f.SheetOf(1));
    f.SheetOf(0)->SetDesigning(designing);
    edit->SetFocus();
    pump();
    f.Control->SetActiveTabIndex(1);
    other->SetFocus();
    pump();
    f.Control->SetActiveTabIndex(0);
    pump();
    EXPECT_EQ(edit->Focused(), !designing) << designing;
  }
}

// In the Windows style the active tab reaches 2 px left over a tab before it or the pane's edge, never another item.
TEST(SkinTabs, TheActiveTabReachesLeftOnlyOverATabOrTheEdge) {
  struct TRecordingTab : TSkinTabItem {  // notes the left edges of the tabs it draws
    using TSkinTabItem::TSkinTabItem;
    std::vector<int> Lefts;
    void DrawTab(TCanvas* C, const TRect& R, int Edge, bool Separator, TSkinTabPosition P, bool Hot, bool Checked,
                 bool Enabled) override {
      if (!Separator) Lefts.push_back(R.Left);
      TSkinTabItem::DrawTab(C, R, Edge, Separator, P, Hot, Checked, Enabled);
    }
  };
  if (GetTabThemeTypeInUse(tttWindows) != tttWindows) GTEST_SKIP() << "visual styles are not active";
  enum TFirst { label, tab, hiddenTab, none };
  for (auto [first, reach] : {std::pair{label, 0}, {tab, 2}, {hiddenTab, 2}, {none, 2}}) {
    TTabForm f(0);
    if (first != none) {
      TSkinCustomItem* before =
          first == label ? static_cast<TSkinCustomItem*>(new TSkinLabelItem(&f.Form)) : new TSkinTabItem(&f.Form);
      before->SetCaption(L"Before");
      f.Control->Items()->Add(before);
      before->SetVisible(first != hiddenTab);
    }
    auto* active = new TRecordingTab(&f.Form);
    active->SetCaption(L"Active");
    f.Control->Items()->Add(active);
    f.Control->SetActiveTabIndex(f.Control->Items()->IndexOf(active));
    pump();
    ASSERT_TRUE(active->Checked()) << first;
    TBitmap bitmap;
    bitmap.SetSize(200, 40);
    TUiItemInfo info;
    bool paintDefault = true;
    active->Lefts.clear();
    active->DoDrawItem(bitmap.Canvas(), TRect(20, 0, 80, 20), info, pstPrePaint, paintDefault);
    ASSERT_FALSE(active->Lefts.empty()) << first;
    EXPECT_EQ(active->Lefts[0], 20 - reach) << first;
    // Drawn again over the pane's edge by the toolbar.
    TSkinTabToolbar* t = f.Control->TabToolbar();
    active->Lefts.clear();
    t->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(bitmap.Canvas()->Handle()), 0);
    ASSERT_FALSE(active->Lefts.empty()) << first;
    EXPECT_EQ(active->Lefts.back(), t->View()->Find(active)->BoundsRect().Left - reach) << first;
  }
}

// Hidden tabs are read from a form file as the collection it now holds, or as the list older files hold.
TEST(SkinTabs, HiddenTabsAreReadFromEitherForm) {
  for (const char* hidden : {"<\n    item\n      Name = 'Tab2'\n      Width = 43\n      Position = 2\n    end>",
                             "(\n    'Tab2'\n    43\n    2)"}) {
    TTabForm f(3);
    for (int i = 0; i < 3; ++i) f.Tab(i)->SetName("Tab" + std::to_string(i));
    ReadComponentFromText(std::string("object Tabs: TSkinTabControl\n  HiddenItems = ") + hidden + "\nend\n",
                          f.Control);
    const auto& tabs = f.Control->TabToolbar()->HiddenTabs();
    ASSERT_EQ(tabs.size(), 1u) << hidden;
    EXPECT_TRUE(tabs[0].Item == f.Tab(2) && tabs[0].Width == 43 && tabs[0].Position == 2) << hidden;
  }
}

// Fitting stops where no item is whole in sight and inside an update; the right-aligned spacer is no room in use.
TEST(SkinTabs, FittingStopsWhereItCannotMeasureAndSkipsTheSpacer) {
  {
    TTabForm f(4, 30);  // narrower than the first tab
    f.Control->TabToolbar()->FitTabs();
    EXPECT_TRUE(f.Control->TabToolbar()->HiddenTabs().empty());
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(f.Tab(i)->Visible()) << i;
  }
  {
    TTabForm f(8, 200);
    TSkinTabToolbar* t = f.Control->TabToolbar();
    t->FitTabs();
    const size_t hidden = t->HiddenTabs().size();
    ASSERT_GT(hidden, 0u);
    f.Control->SetWidth(1000);
    t->TBarCustomDockableWindow::BeginUpdate();
    t->FitTabs();
    EXPECT_EQ(t->HiddenTabs().size(), hidden);  // not inside an update
    t->TBarCustomDockableWindow::EndUpdate();
    t->FitTabs();
    EXPECT_TRUE(t->HiddenTabs().empty());
  }
  TTabForm f(6, 400);
  TSkinTabToolbar* t = f.Control->TabToolbar();
  auto* spacer = new TSkinRightAlignSpacerItem(&f.Form);
  f.Control->Items()->Add(spacer);
  pump();
  f.Control->SetWidth(150);
  t->FitTabs();
  ASSERT_FALSE(t->HiddenTabs().empty());
  f.Control->SetWidth(400);
  t->FitTabs();
  EXPECT_TRUE(t->HiddenTabs().empty());
  int used = 0;
  for (int i = 0; i < 6; ++i) used += t->View()->Find(f.Tab(i))->BoundsRect().Width();
  EXPECT_EQ(spacer->CustomWidth(), t->CurrentDock()->Width() - 4 - used);
}
