// Popup placement, popup windows and the modal menu loop driven by posted keys and clicks.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "framework/Application.h"
#include "framework/Forms.h"
#include "tests/toolbars/BarPopupTestSupport.h"

namespace {

std::string Placed(const TBarPopupPositionRec& R, bool OpenLeft) {
  std::string dirs;
  for (auto [bit, c] : {std::pair{tbadLeft, 'L'}, {tbadRight, 'R'}, {tbadDown, 'D'}, {tbadUp, 'U'}})
    if (R.AnimateDirections & bit) dirs += c;
  return std::to_string(R.X) + "," + std::to_string(R.Y) + " " + dirs + (OpenLeft ? " open-left" : "");
}

// A menu: Open, Recent (One, Two), a separator, Quit; clicks are counted per item.
struct TTestMenu {
  TBarRootItem Root{nullptr};
  TSizedItem* Open = MenuItem(L"&Open");
  TSizedItem* One = MenuItem(L"O&ne");
  TSizedItem* Two = MenuItem(L"&Two");
  TSizedItem* Recent = MenuItem(L"&Recent", {One, Two});
  TSizedItem* Quit = MenuItem(L"&Quit");
  std::vector<std::wstring> Clicks;
  int PopupsOpenAtClick = -1;
  TTestMenu() {
    for (TBarCustomItem* i : {Open, Recent}) Root.Add(i);
    Root.Add(new TSizedSeparator(6));
    Root.Add(Quit);
    for (TBarCustomItem* i : {Open, One, Two, Quit}) i->OnClick = TNotifyEvent(this, &TTestMenu::Click);
  }
  void Click(TObject* Sender) {
    Clicks.push_back(static_cast<TBarCustomItem*>(Sender)->Caption());
    PopupsOpenAtClick = static_cast<int>(OpenMenus().size());
  }
};

// Handlers that fail, and the application's report of the failure.
struct TFailures {
  WideString Reported;
  void Popup(TBarCustomItem*, bool) {
    ::SetFocus(nullptr);
    throw EBarItemError("broken");
  }
  void Click(TObject*) { throw EBarItemError("command failed"); }
  void Report(TObject*, Exception& E) { Reported = E.Message(); }
};

// A window that records the clicks it receives.
struct TClickTarget : TCustomControl {
  explicit TClickTarget(TComponent* AOwner) : TCustomControl(AOwner) {}
  int Clicks = 0;
  void WndProc(TMessage& M) override {
    if (M.Msg == WM_LBUTTONDOWN) ++Clicks;
    TCustomControl::WndProc(M);
  }
};

}  // namespace

TEST(BarPopup, PlacementFlipsAtTheMonitorEdges) {
  TTestView vertical(nullptr, true), menu(nullptr, false);
  vertical.SetOrientation(orVertical);
  struct Case {
    bool Submenu, Opposite;
    TBarView* Parent;
    int Alignment;
    TRect Item;
    int X, Y, W, H;
    const char* Expected;
  } cases[] = {
      {true, false, &menu, 0, {100, 100, 200, 120}, 197, 97, 150, 100, "197,97 R"},
      {true, false, &menu, 0, {850, 100, 950, 120}, 947, 97, 150, 100, "703,97 L open-left"},
      {true, true, &menu, 0, {300, 100, 400, 120}, 397, 97, 150, 100, "153,97 L open-left"},
      {true, true, &menu, 0, {50, 100, 150, 120}, 147, 97, 150, 100, "147,97 R"},  // no room left
      {true, false, &menu, 0, {100, 750, 200, 770}, 197, 747, 150, 100, "197,673 R"},
      {true, false, &menu, 0, {100, 750, 200, 770}, 197, 747, 150, 900, "197,0 R"},
      {false, false, nullptr, 1, {990, 100, 990, 100}, 840, 100, 150, 100, "840,100 LD"},
      {false, false, nullptr, 0, {900, 100, 900, 100}, 900, 100, 150, 100, "750,100 LD"},
      {false, false, nullptr, 1, {100, 100, 100, 100}, -50, 100, 150, 100, "100,100 RD"},
      {false, false, nullptr, 2, {960, 100, 960, 100}, 885, 100, 150, 100, "850,100 D"},
      {false, false, nullptr, 0, {300, 790, 300, 790}, 300, 790, 150, 100, "300,690 RU"},
      {false, false, &vertical, 0, {0, 100, 30, 130}, -150, 100, 150, 100, "30,100 R"},
      {false, false, &vertical, 0, {970, 100, 1000, 130}, 820, 100, 150, 100, "820,100 L"},
  };
  for (const Case& c : cases) {
    TBarPopupPositionRec r;
    r.PositionAsSubmenu = c.Submenu;
    r.Opposite = c.Opposite;
    r.Alignment = c.Alignment;
    r.MonitorRect = {0, 0, 1000, 800};
    r.ParentItemRect = c.Item;
    r.NCSizeX = r.NCSizeY = 3;
    r.X = c.X, r.Y = c.Y, r.W = c.W, r.H = c.H;
    bool left = false;
    CalcPopupPosition(c.Parent, r, left);
    EXPECT_EQ(Placed(r, left), c.Expected) << c.X << "," << c.Y;
  }
}

TEST(BarPopup, DropDownFromABarAtTheBottomOpensAboveAndCoversNoButtons) {
  TBarRootItem root(nullptr);
  root.Add(new TSizedItem(30, 20));
  root.Add(new TSizedItem(30, 20));
  TTestView bar(&root, true);
  bar.ValidatePositions();
  TBarPopupPositionRec r;
  r.MonitorRect = {0, 0, 1000, 800};
  r.ParentItemRect = {0, 780, 30, 800};
  r.X = 0, r.Y = 800, r.W = 150, r.H = 200;
  bool left = false;
  CalcPopupPosition(&bar, r, left);
  EXPECT_EQ(Placed(r, left), "0,580 U");
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
  RECT r{}, c{};
  GetWindowRect(w, &r);
  GetClientRect(w, &c);
  // Three items and a separator, a border of 3, above the point since it does not fit below.
  EXPECT_EQ(c.right, 120);
  EXPECT_EQ(c.bottom, 66);
  EXPECT_EQ(TRect(r.left, r.top, r.right, r.bottom), (TRect{650, 990 - 72, 776, 990}));
  EXPECT_EQ(popup->AnimateDirections(), tbadRight | tbadUp);
  MSG notice;
  EXPECT_TRUE(PeekMessageW(&notice, w, WM_BAR_POPUPNOTICE, WM_BAR_POPUPNOTICE, PM_REMOVE));
  EXPECT_EQ(notice.wParam, 3u);  // shown plainly
}

TEST(BarPopup, KeysMoveTheSelectionOpenAndCloseSubmenusAndChoose) {
  TMenuSettings settings;
  struct Case {
    std::vector<std::pair<UINT, WPARAM>> Keys;
    const wchar_t* Chosen;  // null: cancelled
  } cases[] = {
      {{{WM_KEYDOWN, VK_DOWN}, {WM_KEYDOWN, VK_DOWN}, {WM_KEYDOWN, VK_RIGHT}, {WM_KEYDOWN, VK_DOWN},
        {WM_KEYDOWN, VK_RETURN}},
       L"&Two"},
      {{{WM_KEYDOWN, VK_END}, {WM_KEYDOWN, VK_RETURN}}, L"&Quit"},
      {{{WM_KEYDOWN, VK_UP}, {WM_KEYDOWN, VK_UP}, {WM_KEYDOWN, VK_UP}, {WM_KEYDOWN, VK_RETURN}}, L"&Open"},
      {{{WM_CHAR, L'q'}}, L"&Quit"},
      {{{WM_CHAR, L'r'}, {WM_CHAR, L't'}}, L"&Two"},
      {{{WM_CHAR, L'r'}, {WM_KEYDOWN, VK_ESCAPE}, {WM_KEYDOWN, VK_DOWN}, {WM_KEYDOWN, VK_RETURN}}, L"&Quit"},
      {{{WM_CHAR, L'r'}, {WM_KEYDOWN, VK_LEFT}, {WM_KEYDOWN, VK_ESCAPE}}, nullptr},
      {{{WM_KEYDOWN, VK_DOWN}, {WM_SYSKEYDOWN, VK_MENU}, {WM_KEYDOWN, VK_RETURN}}, nullptr},
      {{{WM_CHAR, L'z'}, {WM_KEYDOWN, VK_ESCAPE}}, nullptr},
  };
  for (const Case& c : cases) {
    TTestMenu menu;
    for (auto [msg, key] : c.Keys) PostKey(key, msg);
    TBarCustomItem* chosen = menu.Root.ShowPopup(300, 200, false, 0, true);
    EXPECT_EQ(chosen ? chosen->Caption() : L"-", c.Chosen ? c.Chosen : L"-") << c.Keys.size();
    EXPECT_TRUE(OpenMenus().empty());
    EXPECT_EQ(GetCapture(), nullptr);
    DispatchPendingMessages();
    EXPECT_TRUE(menu.Clicks.empty());  // only returned
  }
}

TEST(BarPopup, MouseOpensTheSubmenuAndTheChosenCommandRunsAfterTheMenuClosed) {
  TMenuSettings settings;
  TTestMenu menu;
  TBarView* sub = nullptr;
  TMenuScript script({
      [&] { return PostMouse(WM_MOUSEMOVE, ViewerCentre(OpenMenus()[0], 1)), true; },
      [&] { return OpenMenus().size() == 2 && (sub = OpenMenus()[1]); },  // the open timer went off
      [&] { return PostMouse(WM_MOUSEMOVE, ViewerCentre(OpenMenus()[0], 0)), true; },
      [&] { return OpenMenus().size() == 1; },                          // the close timer went off
      [&] { return PostMouse(WM_MOUSEMOVE, ViewerCentre(OpenMenus()[0], 1)), true; },
      [&] { return OpenMenus().size() == 2 && (PostClick(ViewerCentre(OpenMenus()[1], 0)), true); },
  });
  EXPECT_EQ(menu.Root.ShowPopup(300, 200, false), menu.One);
  EXPECT_TRUE(script.Finished());
  ASSERT_TRUE(sub);
  EXPECT_TRUE(menu.Clicks.empty());
  EXPECT_EQ(GetCapture(), nullptr);
  PumpMessagesUntil([&] { return !menu.Clicks.empty(); });
  ASSERT_EQ(menu.Clicks.size(), 1u);
  EXPECT_EQ(menu.Clicks[0], L"O&ne");
  EXPECT_EQ(menu.PopupsOpenAtClick, 0);
}

TEST(BarPopup, ClickOutsideEndsTheMenuAndReachesTheWindowUnderTheMouse) {
  TMenuSettings settings;
  TTestMenu menu;
  TForm form(nullptr, CreateNew);
  form.SetBounds(600, 500, 200, 150);
  auto* target = new TClickTarget(&form);
  target->SetBounds(0, 0, 200, 150);
  target->SetParent(&form);
  form.Show();
  PumpMessagesFor(30);
  TMenuScript script({[&] { return PostClick(target->ClientToScreen({50, 50})), true; }});
  EXPECT_EQ(menu.Root.ShowPopup(100, 100, false), nullptr);
  EXPECT_EQ(target->Clicks, 0);
  PumpMessagesUntil([&] { return target->Clicks > 0; }, 2000);
  EXPECT_EQ(target->Clicks, 1);
  // Released over no item right after the menu opened (the click that opened it): it stays.
  TMenuScript release({[&] { return PostMouse(WM_LBUTTONUP, {20, 20}), true; },
                       [&] { return PostKey(VK_END), PostKey(VK_RETURN), true; }});
  EXPECT_EQ(menu.Root.ShowPopup(100, 100, false, 0, true), menu.Quit);
  form.Hide();
}

TEST(BarPopup, CaptureAndFocusComeBackWhenAHandlerRaisesInsideTheLoop) {
  TMenuSettings settings;
  TTestMenu menu;
  TForm form(nullptr, CreateNew);
  form.SetBounds(10, 10, 200, 100);
  auto* focused = new TClickTarget(&form);
  focused->SetParent(&form);
  form.Show();
  PumpMessagesFor(30);
  ::SetFocus(focused->Handle());
  HWND before = GetFocus();
  TFailures failures;
  menu.Recent->OnPopup = TBarPopupEvent(&failures, &TFailures::Popup);
  PostKey(L'r', WM_CHAR);
  EXPECT_THROW(menu.Root.ShowPopup(300, 200, false), EBarItemError);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(GetFocus(), before);
  EXPECT_TRUE(OpenMenus().empty());
  // A command that raises after the menu closed goes to the application's handling.
  menu.Recent->OnPopup = {};
  menu.Quit->OnClick = TNotifyEvent(&failures, &TFailures::Click);
  Application->OnException = TExceptionEvent(&failures, &TFailures::Report);
  PostKey(L'q', WM_CHAR);
  menu.Root.ShowPopup(300, 200, false);
  PumpMessagesUntil([&] { return !failures.Reported.empty(); }, 2000);
  Application->OnException = {};
  EXPECT_EQ(failures.Reported, L"command failed");
  EXPECT_EQ(GetCapture(), nullptr);
  form.Hide();
}

namespace {

// A menu bar: File (Open, Quit) and Edit, on a window of its own.
struct TTestMenuBar : TCustomControl {
  explicit TTestMenuBar(TComponent* AOwner) : TCustomControl(AOwner) {
    SetBounds(0, 0, 300, 24);
    Root.Add(File);
    Root.Add(Edit);
    for (TBarCustomItem* i : {Open, Quit, Edit}) i->OnClick = TNotifyEvent(this, &TTestMenuBar::Click);
  }
  ~TTestMenuBar() override { delete View; }
  TBarRootItem Root{nullptr};
  TSizedItem* Open = MenuItem(L"&Open");
  TSizedItem* Quit = MenuItem(L"&Quit");
  TSizedItem* File = new TSizedItem(40, 20, tbisHasSubmenu, L"&File");
  TSizedItem* Edit = new TSizedItem(40, 20, 0, L"&Edit");
  TBarView* View = nullptr;
  std::vector<std::wstring> Clicks;
  void Click(TObject* Sender) { Clicks.push_back(static_cast<TBarCustomItem*>(Sender)->Caption()); }
  void Paint() override {
    if (View) View->PaintViewers(Canvas());
  }
  void Setup() {
    File->Add(Open);
    File->Add(Quit);
    View = new TBarView(nullptr, nullptr, &Root, this, true, false, false);
    View->ValidatePositions();
  }
};

struct THelpLog {
  static inline std::vector<std::pair<UINT, int>> Calls;
  static void Proc(UINT Command, int Context) { Calls.push_back({Command, Context}); }
};

}  // namespace

TEST(BarPopup, MenuBarLoopDropsDownBelowTheItemAndRunsTheChoiceAfterwards) {
  TMenuSettings settings;
  TForm form(nullptr, CreateNew);
  form.SetBounds(100, 100, 320, 200);
  auto* bar = new TTestMenuBar(&form);
  bar->SetParent(&form);
  bar->Setup();
  form.Show();
  PumpMessagesFor(30);
  TBarView* view = bar->View;
  TRect fileRect = view->Viewers(0)->BoundsRect();
  TRect dropped;
  struct Case {
    std::vector<WPARAM> Keys;
    const wchar_t* Clicked;
  } cases[] = {{{VK_DOWN, VK_RETURN}, L"&Quit"}, {{VK_RIGHT, VK_ESCAPE}, nullptr}, {{VK_ESCAPE, VK_ESCAPE}, nullptr}};
  for (const Case& c : cases) {
    bar->Clicks.clear();
    TMenuScript script({[&] {
      std::vector<TBarView*> open = OpenMenus();
      if (open.empty()) return false;
      RECT r{};
      GetWindowRect(open[0]->Window()->Handle(), &r);
      dropped = {r.left, r.top, r.right, r.bottom};
      for (WPARAM k : c.Keys) PostKey(k);
      return true;
    }});
    view->Select(view->Viewers(0));
    view->RunToolbarMenuLoop(tbmlExecuteSelected);
    EXPECT_FALSE(view->State().Contains(vstModal));
    EXPECT_EQ(view->Selected(), nullptr);
    EXPECT_TRUE(OpenMenus().empty());
    EXPECT_EQ(GetCapture(), nullptr);
    TPoint below = bar->ClientToScreen({fileRect.Left, fileRect.Bottom});
    EXPECT_EQ(dropped.TopLeft(), below);
    PumpMessagesFor(30);
    EXPECT_EQ(bar->Clicks.empty() ? L"-" : bar->Clicks[0], c.Clicked ? c.Clicked : L"-");
  }
  // Clicking another button of the bar ends the loop with that button's command.
  TMenuScript script({[&] { return !OpenMenus().empty() && (PostClick(ViewerCentre(view, 1)), true); }});
  bar->Clicks.clear();
  view->Select(view->Viewers(0));
  view->RunToolbarMenuLoop(tbmlExecuteSelected);
  PumpMessagesFor(30);
  EXPECT_EQ(bar->Clicks, std::vector<std::wstring>{L"&Edit"});
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
  struct TPopups {
    int Count = 0;
    void Popup(TObject*) { ++Count; }
  } popups;
  menu.OnPopup = TNotifyEvent(&popups, &TPopups::Popup);
  PostKey(VK_DOWN);
  PostKey(VK_RETURN);
  menu.Popup(200, 150);
  EXPECT_EQ(popups.Count, 1);
  EXPECT_EQ(menu.PopupPoint(), (TPoint{200, 150}));
  EXPECT_TRUE(source.Clicks.empty());
  PumpMessagesUntil([&] { return !source.Clicks.empty(); }, 2000);
  EXPECT_EQ(source.Clicks, std::vector<std::wstring>{L"&Open"});
  // The chosen item only returned; an item freed before its click arrives is not clicked.
  PostKey(L'q', WM_CHAR);
  EXPECT_EQ(menu.PopupAndReturn(200, 150, true), source.Quit);
  PostKey(L'q', WM_CHAR);
  menu.Popup(200, 150);
  delete source.Quit;
  source.Quit = nullptr;
  PumpMessagesFor(30);
  EXPECT_EQ(source.Clicks.size(), 1u);
  menu.SetLinkSubitems(nullptr);
  EXPECT_TRUE(menu.IsShortCut(TShortCut(VK_F5)));
  EXPECT_FALSE(menu.IsShortCut(TShortCut(VK_F6)));
  EXPECT_EQ(source.Clicks.back(), L"&Refresh");
}

TEST(BarPopup, DoneActionsOpenTheSystemMenuOrAskForHelp) {
  TMenuSettings settings;
  SetBarHelpProc(&THelpLog::Proc);
  THelpLog::Calls.clear();
  TTestMenu menu;
  menu.Open->SetHelpContext(17);
  PostKey(VK_DOWN);
  PostKey(VK_F1);
  EXPECT_EQ(menu.Root.ShowPopup(300, 200, false), nullptr);
  SetBarHelpProc(nullptr);
  EXPECT_EQ(THelpLog::Calls, (std::vector<std::pair<UINT, int>>{{HELP_CONTEXT, 17}}));
  struct TSysCommand : TCustomControl {
    using TCustomControl::TCustomControl;
    WPARAM Command = 0;
    LPARAM Key = 0;
    void WndProc(TMessage& M) override {
      if (M.Msg == WM_SYSCOMMAND) Command = M.WParam, Key = M.LParam;
      else TCustomControl::WndProc(M);
    }
  } target(nullptr);
  target.SetParentWindow(GetDesktopWindow());
  TBarDoneActionData done;
  done.DoneAction = tbdaOpenSystemMenu;
  done.Wnd = target.Handle();
  done.Key = L'-';
  EXPECT_EQ(ProcessDoneAction(done, false), nullptr);
  EXPECT_EQ(target.Command, static_cast<WPARAM>(SC_KEYMENU));
  EXPECT_EQ(target.Key, L'-');
}

TEST(BarPopup, OpenMenuAndSubmenuAreDrawnWithTheirSelectionsAndBorders) {
  TMenuSettings settings;
  TTestMenu menu;
  const char* hold = std::getenv("BAR_TEST_HOLD_MS");  // time to take a screenshot
  int selectedPixels[2] = {0, 0}, textPixels = 0;
  COLORREF corner = 0;
  DWORD shown = 0;
  TMenuScript script({
      [&] { return PostKey(VK_DOWN), PostKey(VK_DOWN), PostKey(VK_RIGHT), true; },
      [&] {
        std::vector<TBarView*> open = OpenMenus();
        if (open.size() != 2) return false;
        for (int i = 0; i < 2; ++i) {
          HWND w = open[i]->Window()->Handle();
          UpdateWindow(w);
          TWindowDC dc(w);
          const TRect& r = open[i]->Selected()->BoundsRect();
          for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x) selectedPixels[i] += GetPixel(dc.Get(), x, y) == ColorToRGB(clHighlight);
        }
        TWindowDC dc(open[0]->Window()->Handle());
        const TRect& quit = open[0]->Viewers(3)->BoundsRect();
        for (int y = quit.Top; y < quit.Bottom; ++y)
          for (int x = quit.Left; x < quit.Right; ++x) textPixels += GetPixel(dc.Get(), x, y) == ColorToRGB(clMenuText);
        HDC whole = GetWindowDC(open[1]->Window()->Handle());
        corner = GetPixel(whole, 0, 0);
        ReleaseDC(open[1]->Window()->Handle(), whole);
        shown = GetTickCount();
        return true;
      },
      [&] { return !hold || GetTickCount() - shown > static_cast<DWORD>(std::atoi(hold)); },  // the menu keeps painting
      [&] { return PostKey(VK_ESCAPE), PostKey(VK_ESCAPE), true; },
  });
  EXPECT_EQ(menu.Root.ShowPopup(200, 150, false), nullptr);
  EXPECT_GT(selectedPixels[0], 120 * 20 / 2);  // Recent, whose sub-menu is open
  EXPECT_GT(selectedPixels[1], 120 * 20 / 2);  // One, selected in the sub-menu
  EXPECT_GT(textPixels, 10);
  EXPECT_EQ(corner, ColorToRGB(AreFlatMenusEnabled() ? clBtnShadow : clBtnFace));
}
