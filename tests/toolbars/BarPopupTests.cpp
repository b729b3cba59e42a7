// Popup placement, popup windows and the modal menu loop driven by posted keys and clicks.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "framework/Application.h"
#include "framework/Forms.h"
#include "tests/toolbars/BarPopupTestSupport.h"

namespace {

// A menu: Open, Recent (One, Two), a separator, Quit; clicks are recorded, failures on demand.
struct TTestMenu {
  TBarRootItem Root{nullptr};
  TSizedItem *Open = MenuItem(L"&Open"), *One = MenuItem(L"O&ne"), *Two = MenuItem(L"&Two");
  TSizedItem *Recent = MenuItem(L"&Recent", {One, Two}), *Quit = MenuItem(L"&Quit");
  std::vector<std::wstring> Clicks;
  int MenusOpenAtClick = -1, Popups = 0;
  WideString Reported;
  TTestMenu() {
    for (TBarCustomItem* i : std::initializer_list<TBarCustomItem*>{Open, Recent, new TSizedSeparator(6), Quit})
      Root.Add(i);
    for (TBarCustomItem* i : {Open, One, Two, Quit}) i->OnClick = TNotifyEvent(this, &TTestMenu::Click);
  }
  void Click(TObject* Sender) {
    Clicks.push_back(static_cast<TBarCustomItem*>(Sender)->Caption());
    MenusOpenAtClick = static_cast<int>(OpenMenus().size());
  }
  void Popup(TObject*) { ++Popups; }
  void FailingPopup(TBarCustomItem*, bool) {
    ::SetFocus(nullptr);
    throw EBarItemError("broken");
  }
  void FailingClick(TObject*) { throw EBarItemError("command failed"); }
  void Report(TObject*, Exception& E) { Reported = E.Message(); }
};

std::pair<UINT, int> helpAsked;
void AskHelp(UINT Command, int Context) { helpAsked = {Command, Context}; }

// A window that counts the clicks it receives.
struct TClickTarget : TCustomControl {
  using TCustomControl::TCustomControl;
  int Clicks = 0;
  void WndProc(TMessage& M) override {
    Clicks += M.Msg == WM_LBUTTONDOWN;
    TCustomControl::WndProc(M);
  }
};

}  // namespace

TEST(BarPopup, PlacementFlipsAtTheMonitorEdges) {
  TTestView vertical(nullptr, true), menu(nullptr, false);
  vertical.SetOrientation(orVertical);
  TBarRootItem root(nullptr);
  root.Add(new TSizedItem(30, 20));
  TTestView bar(&root, true);
  bar.ValidatePositions();  // its button lies at 0,0-30,20
  struct Case {
    bool Submenu, Opposite;
    TBarView* Parent;
    int Alignment;
    TRect Item;
    int X, Y, H;
    const char* Expected;
  } cases[] = {
      {true, false, &menu, 0, {100, 100, 200, 120}, 197, 97, 100, "197,97 R"},
      {true, false, &menu, 0, {850, 100, 950, 120}, 947, 97, 100, "703,97 L open-left"},
      {true, true, &menu, 0, {300, 100, 400, 120}, 397, 97, 100, "153,97 L open-left"},
      {true, true, &menu, 0, {50, 100, 150, 120}, 147, 97, 100, "147,97 R"},  // no room on the left
      {true, false, &menu, 0, {100, 750, 200, 770}, 197, 747, 100, "197,673 R"},
      {true, false, &vertical, 0, {100, 750, 200, 770}, 197, 747, 100, "197,700 R"},
      {false, false, nullptr, 1, {990, 100, 990, 100}, 840, 100, 100, "840,100 LD"},
      {false, false, nullptr, 0, {900, 100, 900, 100}, 900, 100, 100, "750,100 LD"},
      {false, false, nullptr, 0, {300, 790, 300, 790}, 300, 790, 100, "300,690 RU"},
      {false, false, &vertical, 0, {0, 100, 30, 130}, -150, 100, 100, "30,100 R"},
      {false, false, &vertical, 0, {970, 100, 1000, 130}, 820, 100, 100, "820,100 L"},
      {false, false, &bar, 0, {0, 780, 30, 800}, 0, 800, 200, "0,580 U"},  // a bar at the bottom
      {false, false, &bar, 0, {0, 0, 30, 20}, 0, 19, 100, "30,19 R"},      // would cover its item
  };
  for (const Case& c : cases) {
    TBarPopupPositionRec r;
    r.PositionAsSubmenu = c.Submenu, r.Opposite = c.Opposite, r.Alignment = c.Alignment;
    r.MonitorRect = {0, 0, 1000, 800};
    r.ParentItemRect = c.Item;
    r.NCSizeX = r.NCSizeY = 3;
    r.X = c.X, r.Y = c.Y, r.W = 150, r.H = c.H;
    bool left = false;
    CalcPopupPosition(c.Parent, r, left);
    std::string dirs;
    for (auto [bit, ch] : {std::pair{tbadLeft, 'L'}, {tbadRight, 'R'}, {tbadDown, 'D'}, {tbadUp, 'U'}})
      if (r.AnimateDirections & bit) dirs += ch;
    EXPECT_EQ(std::to_string(r.X) + "," + std::to_string(r.Y) + " " + dirs + (left ? " open-left" : ""), c.Expected)
        << c.X << "," << c.Y;
  }
}

TEST(BarPopup, WindowIsAToolWindowOnTopPlacedOnTheMonitorOfItsPoint) {
  TMenuSettings settings;
  std::vector<TBarMonitorRects> monitors{{{0, 0, 640, 1024}, {0, 0, 640, 1000}},
                                         {{640, 0, 1280, 1024}, {640, 0, 1280, 1000}}};
  SetBarMonitorRects(&monitors);
  TTestMenu menu;
  std::unique_ptr<TBarPopupWindow> popup(menu.Root.CreatePopup(nullptr, nullptr, false, false, false, {650, 990}, 0));
  SetBarMonitorRects(nullptr);
  HWND w = popup->Handle();
  EXPECT_TRUE(IsWindowVisible(w));
  EXPECT_EQ(GetWindowLongW(w, GWL_STYLE) & (WS_POPUP | WS_CHILD), static_cast<LONG>(WS_POPUP));
  EXPECT_EQ(GetWindowLongW(w, GWL_EXSTYLE) & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW), WS_EX_TOPMOST | WS_EX_TOOLWINDOW);
  EXPECT_TRUE(GetClassLongW(w, GCL_STYLE) & CS_SAVEBITS);
  // Three items and a separator in a border of 3, above the point as it does not fit below.
  EXPECT_EQ(popup->ClientRect(), (TRect{0, 0, 120, 66}));
  EXPECT_EQ(popup->BoundsRect(), (TRect{650, 990 - 72, 776, 990}));
  EXPECT_EQ(popup->AnimateDirections(), tbadRight | tbadUp);
  MSG notice;
  EXPECT_TRUE(PeekMessageW(&notice, w, WM_BAR_POPUPNOTICE, WM_BAR_POPUPNOTICE, PM_REMOVE));
  EXPECT_EQ(notice.wParam, 3u);  // shown plainly
}

TEST(BarPopup, KeysMoveTheSelectionOpenAndCloseSubmenusAndChoose) {
  TMenuSettings settings;
  using K = std::vector<std::pair<UINT, WPARAM>>;
  constexpr UINT D = WM_KEYDOWN, C = WM_CHAR;
  struct Case {
    K Keys;
    const wchar_t* Chosen;  // "-": cancelled
  } cases[] = {
      {K{{D, VK_DOWN}, {D, VK_DOWN}, {D, VK_RIGHT}, {D, VK_DOWN}, {D, VK_RETURN}}, L"&Two"},
      {K{{C, L'q'}}, L"&Quit"},
      {K{{C, L'r'}, {C, L't'}}, L"&Two"},
      {K{{C, L'r'}, {D, VK_ESCAPE}, {D, VK_DOWN}, {D, VK_RETURN}}, L"&Quit"},
      {K{{C, L'r'}, {D, VK_LEFT}, {D, VK_ESCAPE}}, L"-"},
      {K{{D, VK_DOWN}, {WM_SYSKEYDOWN, VK_MENU}, {D, VK_RETURN}}, L"-"},
  };
  for (const Case& c : cases) {
    TTestMenu menu;
    for (auto [msg, key] : c.Keys) PostKey(key, msg);
    TBarCustomItem* chosen = menu.Root.ShowPopup(300, 200, false, 0, true);
    EXPECT_EQ(chosen ? chosen->Caption() : L"-", c.Chosen) << c.Keys.size();
    EXPECT_TRUE(OpenMenus().empty());
    EXPECT_EQ(GetCapture(), nullptr);
    DispatchPendingMessages();
    EXPECT_TRUE(menu.Clicks.empty());  // only returned
  }
}

TEST(BarPopup, MouseOpensSubmenusWhichAreDrawnAndTheCommandRunsAfterTheMenuClosed) {
  TMenuSettings settings;
  TTestMenu menu;
  const char* hold = std::getenv("BAR_TEST_HOLD_MS");  // time to take a screenshot
  int selectedPixels = 0;
  DWORD shown = 0;
  auto moveTo = [](int Level, int Index) {
    return PostMouse(WM_MOUSEMOVE, ViewerCentre(OpenMenus()[Level], Index)), true;
  };
  TMenuScript script({
      [&] { return moveTo(0, 1); },
      [&] { return OpenMenus().size() == 2; },  // the open timer went off
      [&] { return moveTo(0, 0); },
      [&] { return OpenMenus().size() == 1; },  // the close timer went off
      [&] { return moveTo(0, 1); },
      [&] { return OpenMenus().size() == 2 && moveTo(1, 0); },
      [&] {  // Recent (its sub-menu open) and One are drawn selected
        for (TBarView* v : OpenMenus()) {
          UpdateWindow(v->Window()->Handle());
          TWindowDC dc(v->Window()->Handle());
          const TRect& r = v->Selected()->BoundsRect();
          for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
              selectedPixels += GetPixel(dc.Get(), x, y) == ColorToRGB(clHighlight);
        }
        return (shown = GetTickCount());
      },
      [&] { return !hold || GetTickCount() - shown > static_cast<DWORD>(std::atoi(hold)); },  // painting goes on
      [&] { return PostClick(ViewerCentre(OpenMenus()[1], 0)); },
  });
  EXPECT_EQ(menu.Root.ShowPopup(300, 200, false), menu.One);
  EXPECT_EQ(script.Next, script.Steps.size());
  EXPECT_GT(selectedPixels, 2 * 120 * 20 / 2);
  EXPECT_TRUE(menu.Clicks.empty());
  PumpMessagesUntil([&] { return !menu.Clicks.empty(); });
  EXPECT_EQ(menu.Clicks, std::vector<std::wstring>{L"O&ne"});
  EXPECT_EQ(menu.MenusOpenAtClick, 0);
}

TEST(BarPopup, ClickOutsideReachesItsWindowAndFailuresLeaveNoCaptureBehind) {
  TMenuSettings settings;
  TTestMenu menu;
  TForm form(nullptr, CreateNew);
  form.SetBounds(600, 500, 200, 150);
  auto* target = new TClickTarget(&form);
  target->SetBounds(0, 0, 200, 150);
  target->SetParent(&form);
  form.Show();
  PumpMessagesFor(30);
  TMenuScript script({[&] { return PostClick(target->ClientToScreen({50, 50})); }});
  EXPECT_EQ(menu.Root.ShowPopup(100, 100, false), nullptr);
  EXPECT_EQ(target->Clicks, 0);
  PumpMessagesUntil([&] { return target->Clicks > 0; }, 2000);
  EXPECT_EQ(target->Clicks, 1);
  // A handler raising inside the loop: the capture goes and the focus comes back.
  ::SetFocus(target->Handle());
  menu.Recent->OnPopup = TBarPopupEvent(&menu, &TTestMenu::FailingPopup);
  PostKey(L'r', WM_CHAR);
  EXPECT_THROW(menu.Root.ShowPopup(300, 200, false), EBarItemError);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(GetFocus(), target->Handle());
  EXPECT_TRUE(OpenMenus().empty());
  // A command raising after the menu closed goes to the application's handling.
  menu.Quit->OnClick = TNotifyEvent(&menu, &TTestMenu::FailingClick);
  Application->OnException = TExceptionEvent(&menu, &TTestMenu::Report);
  PostKey(L'q', WM_CHAR);
  menu.Root.ShowPopup(300, 200, false);
  PumpMessagesUntil([&] { return !menu.Reported.empty(); }, 2000);
  Application->OnException = {};
  EXPECT_EQ(menu.Reported, L"command failed");
  form.Hide();
}

TEST(BarPopup, MenuBarLoopDropsDownBelowTheItemAndRunsTheChoiceAfterwards) {
  TMenuSettings settings;
  TTestMenu menu;  // a bar of File (Open, Quit) and Edit
  TBarRootItem root(nullptr);
  root.Add(new TSizedItem(40, 20, tbisHasSubmenu, L"&File"));
  root.Add(new TSizedItem(40, 20, 0, L"&Edit"));
  for (TBarCustomItem* i : {menu.Open, menu.Quit}) menu.Root.Remove(i), root.Items(0)->Add(i);
  root.Items(1)->OnClick = TNotifyEvent(&menu, &TTestMenu::Click);
  TForm form(nullptr, CreateNew);
  form.SetBounds(100, 100, 320, 200);
  auto* bar = new TCustomControl(&form);
  bar->SetBounds(0, 0, 300, 24);
  bar->SetParent(&form);
  std::unique_ptr<TBarView> view(new TBarView(nullptr, nullptr, &root, bar, true, false, false));
  form.Show();
  PumpMessagesFor(30);
  TRect dropped;
  auto run = [&](std::vector<WPARAM> Keys, bool ClickEdit = false) {
    menu.Clicks.clear();
    TMenuScript script({[&] {
      if (OpenMenus().empty()) return false;
      dropped = OpenMenus()[0]->Window()->BoundsRect();
      for (WPARAM k : Keys) PostKey(k);
      return !ClickEdit || PostClick(ViewerCentre(view.get(), 1));
    }});
    view->Select(view->Viewers(0));
    view->RunToolbarMenuLoop(tbmlExecuteSelected);
    EXPECT_FALSE(view->State().Contains(vstModal));
    EXPECT_EQ(view->Selected(), nullptr);
    EXPECT_TRUE(OpenMenus().empty());
    EXPECT_EQ(GetCapture(), nullptr);
    PumpMessagesFor(30);
    return menu.Clicks.empty() ? L"-" : menu.Clicks[0];
  };
  EXPECT_EQ(run({VK_DOWN, VK_RETURN}), L"&Quit");
  EXPECT_EQ(dropped.TopLeft(), bar->ClientToScreen({0, 20}));  // below File
  EXPECT_EQ(run({VK_RIGHT, VK_ESCAPE}), L"-");                 // Right moves on to Edit
  EXPECT_EQ(run({}, true), L"&Edit");                          // another button of the bar clicked
  // Once the loop ended, the selection follows the mouse (over File) before it clears.
  struct {
    std::string Events;
    void OnSelect(TBarCustomItem*, TBarItemViewer*, bool Selecting) { Events += Selecting ? "+" : "-"; }
  } file;
  root.Items(0)->OnSelect = TBarSelectEvent(&file, &decltype(file)::OnSelect);
  TPoint overFile = ViewerCentre(view.get(), 0);
  SetCursorPos(overFile.X, overFile.Y);
  view->Select(view->Viewers(1));
  view->RunToolbarMenuLoop(tbmlExecuteSelected);
  EXPECT_EQ(file.Events, "+-");
  PumpMessagesFor(30);
  form.Hide();
}

TEST(BarPopup, PopupMenuOfItemsFiresItsPopupEventAndRunsShortCuts) {
  TMenuSettings settings;
  TBarPopupMenu menu(nullptr);
  TTestMenu source;
  auto* refresh = MenuItem(L"&Refresh");
  refresh->SetShortCut(TShortCut(VK_F5));
  refresh->OnClick = TNotifyEvent(&source, &TTestMenu::Click);
  menu.Items()->Add(refresh);
  menu.SetLinkSubitems(&source.Root);  // shows the test menu's items
  menu.OnPopup = TNotifyEvent(&source, &TTestMenu::Popup);
  PostKey(VK_DOWN);
  PostKey(VK_RETURN);
  menu.Popup(200, 150);
  EXPECT_EQ(menu.PopupPoint(), (TPoint{200, 150}));
  EXPECT_EQ(source.Popups, 1);
  PumpMessagesUntil([&] { return !source.Clicks.empty(); }, 2000);
  EXPECT_EQ(source.Clicks, std::vector<std::wstring>{L"&Open"});
  // The chosen item only returned; an item freed before its click arrives is not clicked.
  PostKey(L'q', WM_CHAR);
  EXPECT_EQ(menu.PopupAndReturn(200, 150, true), source.Quit);
  PostKey(L'q', WM_CHAR);
  menu.Popup(200, 150);
  delete source.Quit;
  PumpMessagesFor(30);
  EXPECT_EQ(source.Clicks.size(), 1u);
  EXPECT_EQ(source.Popups, 3);
  menu.SetLinkSubitems(nullptr);
  EXPECT_TRUE(menu.IsShortCut(TShortCut(VK_F5)));
  EXPECT_FALSE(menu.IsShortCut(TShortCut(VK_F6)));
  EXPECT_EQ(source.Clicks.back(), L"&Refresh");
  MenuItem(L"&Copy")->SetParentComponent(&menu);  // as a form file reads it: stored inside the menu
  int children = 0;
  menu.GetChildren([&](TComponent*) { ++children; }, nullptr);
  EXPECT_EQ(children, 2);
  // F1 on an item with a help context ends the menu asking for help.
  SetBarHelpProc(&AskHelp);
  source.Open->SetHelpContext(17);
  PostKey(VK_DOWN) && PostKey(VK_F1);
  EXPECT_EQ(source.Root.ShowPopup(300, 200, false), nullptr);
  SetBarHelpProc(nullptr);
  EXPECT_EQ(helpAsked, (std::pair<UINT, int>{HELP_CONTEXT, 17}));
}

// Every key message hides the application's hint before the menu looks at it, also the kinds the menu drops.
TEST(BarPopup, EveryKeyMessageHidesTheHintFirst) {
  TMenuSettings settings;
  const std::pair<UINT, WPARAM> cases[] = {{WM_KEYDOWN, VK_SHIFT}, {WM_KEYUP, VK_SHIFT}, {WM_SYSKEYUP, VK_SHIFT},
                                           {WM_CHAR, L'z'},        {WM_SYSCHAR, L'z'},   {WM_DEADCHAR, L'z'},
                                           {WM_SYSDEADCHAR, L'z'}};
  for (auto [msg, key] : cases) {
    TTestMenu menu;
    bool shown = false, hidden = false;
    auto showHint = [&] {
      TWinControl* w = OpenMenus()[0]->Window();
      TMessage move{WM_MOUSEMOVE, 0, MAKELPARAM(5, 5), 0};
      Application->HintMouseMessage(w, move);
      shown = Application->HintControl() == w;
      return PostKey(key, msg);
    };
    TMenuScript script({[&] { return OpenMenus().size() == 1; }, showHint,
                        [&] { return hidden = !Application->HintControl(), PostKey(VK_ESCAPE); }});
    EXPECT_EQ(menu.Root.ShowPopup(300, 200, false, 0, true), nullptr) << msg;
    EXPECT_TRUE(shown && hidden) << msg;
    Application->CancelHint();
  }
}

// A sub-menu asked of a view without the viewer it opens beside opens nothing: there is no place to put it.
TEST(BarPopup, ASubmenuWithoutItsViewerOpensNothing) {
  TMenuSettings settings;
  TTestMenu menu;
  TTestView view(&menu.Root, true);
  EXPECT_EQ(menu.Recent->CreatePopup(&view, nullptr, false, false, false, {}, 0), nullptr);
  EXPECT_TRUE(!view.OpenViewer() && OpenMenus().empty());
}
