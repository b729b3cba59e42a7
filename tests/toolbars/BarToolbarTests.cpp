// The toolbar window: keyboard access, the menu bar, shortcut routing, the floating resize and
// control items.
#include <gtest/gtest.h>

#include "framework/Actions.h"
#include "framework/Application.h"
#include "framework/GdiHandles.h"
#include "framework/ShortCuts.h"
#include "framework/StdCtrls.h"
#include "tests/toolbars/BarDockTestSupport.h"

namespace {

struct TCounter {
  int Clicks = 0;
  void Click(TObject*) { ++Clicks; }
};

TSizedItem* Button(TDockForm& F, const WideString& Caption, TCounter* C = nullptr, TBarItemStyle Extra = 0) {
  auto* item = new TSizedItem(40, 22, Extra, Caption);
  F.Items.emplace_back(item);
  if (C) item->OnClick = TNotifyEvent(C, &TCounter::Click);
  return item;
}

// A shown menu bar of "File" and "Edit".
TBarCustomToolbar* ShownMenuBar(TDockForm& F) {
  auto* bar = F.Toolbar("Menu", 0, F.Top);
  bar->SetMenuBar(true);
  bar->Items()->Add(Button(F, L"&File"));
  bar->Items()->Add(Button(F, L"&Edit"));
  F.Show();
  return bar;
}

}  // namespace

TEST(BarToolbar, AltLetterRunsTheButtonAndMenuBarKeys) {
  TMenuSettings settings;
  TDockForm f;
  auto* t = f.Toolbar("T", 0, f.Top);
  TCounter save, open;
  t->Items()->Add(Button(f, L"&Save", &save));
  t->Items()->Add(Button(f, L"&Open", &open));
  t->Items()->Add(Button(f, L"Open &Again"));
  f.Show();
  TMenuScript guard({});
  EXPECT_EQ(t->Perform(CM_DIALOGCHAR, L's', 0), 1);
  PumpMessagesFor(20);
  EXPECT_EQ(save.Clicks, 1);
  EXPECT_EQ(t->Perform(CM_DIALOGCHAR, L'z', 0), 0);  // nothing there
  t->Items()->Items(0)->SetEnabled(false);
  EXPECT_EQ(t->Perform(CM_DIALOGCHAR, L's', 0), 0);
  EXPECT_EQ(save.Clicks, 1);

  auto* bar = f.Toolbar("Menu", 0, f.Top);
  bar->SetMenuBar(true);
  EXPECT_TRUE(bar->FullSize());
  EXPECT_EQ(bar->ShrinkMode(), tbsmWrap);
  EXPECT_FALSE(bar->CloseButton());
  EXPECT_TRUE(bar->ProcessShortCuts());
  EXPECT_NE(std::find(ShortCutToolbars().begin(), ShortCutToolbars().end(), bar), ShortCutToolbars().end());
  TCounter edit;
  bar->Items()->Add(Button(f, L"&File", nullptr, tbisHasSubmenu));
  bar->Items()->Items(0)->Add(new TSizedItem(40, 22, 0, L"&New"));  // freed with its parent
  bar->Items()->Add(Button(f, L"&Edit", &edit));
  PumpMessagesFor(20);
  // The menu bar has a row of its own at the full width.
  EXPECT_EQ(bar->Width(), f.Top->ClientWidth());
  EXPECT_NE(bar->Top(), t->Top());
  // Alt+"-" passes on; a key that no item takes is answered (with a beep); F10 opens the loop.
  EXPECT_EQ(bar->Perform(WM_SYSCOMMAND, SC_KEYMENU, L'-'), 0);
  EXPECT_EQ(bar->Perform(WM_SYSCOMMAND, SC_KEYMENU, L'q'), 1);
  EXPECT_EQ(bar->Perform(WM_SYSCOMMAND, SC_KEYMENU, L'e'), 1);
  PumpMessagesFor(20);
  EXPECT_EQ(edit.Clicks, 1);
  bar->SetMenuBar(false);
  EXPECT_EQ(std::find(ShortCutToolbars().begin(), ShortCutToolbars().end(), bar), ShortCutToolbars().end());
}

TEST(BarToolbar, F10OpensTheMenuBarLoop) {
  TMenuSettings settings;
  TDockForm f;
  auto* bar = ShownMenuBar(f);
  fprintf(stderr, "A\n");
  bool selectedFirst = false;
  fprintf(stderr, "B\n");
  TMenuScript script({[&] {
                        selectedFirst = bar->View()->State().Contains(vstModal) &&
                                        bar->View()->Selected() == bar->View()->Viewers(0);
                        return true;
                      },
                      [] { return PostKey(VK_ESCAPE); }});
  EXPECT_EQ(bar->Perform(WM_SYSCOMMAND, SC_KEYMENU, 0), 1);
  EXPECT_TRUE(selectedFirst);
  EXPECT_FALSE(bar->View()->State().Contains(vstModal));
  bar->SetMenuBar(false);
}

// The keys of the menu bar reach it from its form, whichever control has the keyboard: F10 (or
// Alt alone) opens the loop on the first item, Alt with a letter opens that item.
TEST(BarToolbar, TheFormHandsItsMenuKeysToTheMenuBar) {
  TMenuSettings settings;
  TDockForm f;
  auto* bar = f.Toolbar("Menu", 0, f.Top);
  bar->SetMenuBar(true);
  TCounter edit;
  bar->Items()->Add(Button(f, L"&File"));
  bar->Items()->Add(Button(f, L"&Edit", &edit));
  f.Show();
  SetActiveWindow(f.Form.Handle());
  bool selectedFirst = false;
  TMenuScript script({[&] {
                        selectedFirst = bar->View()->State().Contains(vstModal) &&
                                        bar->View()->Selected() == bar->View()->Viewers(0);
                        return true;
                      },
                      [] { return PostKey(VK_ESCAPE); },
                      // Should the key go past the menu bar, the system's menu ends here.
                      [] { return EndMenu(), true; }});
  f.Form.Perform(WM_SYSCOMMAND, SC_KEYMENU, 0);
  EXPECT_TRUE(selectedFirst);
  EXPECT_FALSE(bar->View()->State().Contains(vstModal));
  f.Form.Perform(WM_SYSCOMMAND, SC_KEYMENU, L'e');
  PumpMessagesFor(20);
  EXPECT_EQ(edit.Clicks, 1);
  // Pressed while a control of the form has the keyboard, the system hands the key to that
  // control: it still reaches the menu bar.
  auto* field = new TEdit(&f.Form);
  field->SetParent(&f.Form);
  field->SetBounds(10, 200, 100, 20);
  SendMessageW(field->Handle(), WM_SYSCOMMAND, SC_KEYMENU, L'e');
  PumpMessagesFor(20);
  EXPECT_EQ(edit.Clicks, 2);
  bar->SetMenuBar(false);
}

TEST(BarToolbar, ShortcutsReachTheItemsOfTheActiveForm) {
  TDockForm f;
  auto* t = f.Toolbar("T", 0, f.Top);
  TCounter refresh;
  auto* item = Button(f, L"Refresh", &refresh);
  item->SetShortCut(ShortCut(VK_F5, {}));
  t->Items()->Add(item);
  f.Show();
  SetActiveWindow(f.Form.Handle());
  EXPECT_EQ(SendMessageW(Application->Handle(), CM_APPKEYDOWN, VK_F5, 0), 0);  // not routed yet
  t->SetProcessShortCuts(true);
  EXPECT_EQ(SendMessageW(Application->Handle(), CM_APPKEYDOWN, VK_F5, 0), 1);
  EXPECT_EQ(refresh.Clicks, 1);
  EXPECT_EQ(SendMessageW(Application->Handle(), CM_APPKEYDOWN, VK_F6, 0), 0);
  // A floating toolbar belongs to the form that owns its frame.
  t->SetFloating(true);
  EXPECT_EQ(t->OwningForm(), &f.Form);
  EXPECT_EQ(SendMessageW(Application->Handle(), CM_APPKEYDOWN, VK_F5, 0), 1);
  EXPECT_EQ(refresh.Clicks, 2);
  // OnShortCut comes first.
  struct Eat {
    void Handle(TWMKey&, bool& Handled) { Handled = true; }
  } eat;
  t->OnShortCut = TShortCutEvent(&eat, &Eat::Handle);
  EXPECT_EQ(SendMessageW(Application->Handle(), CM_APPKEYDOWN, VK_F5, 0), 1);
  EXPECT_EQ(refresh.Clicks, 2);
  t->SetProcessShortCuts(false);
}

TEST(BarToolbar, FloatingResizeJumpsBetweenWrapSizes) {
  TDockForm f;
  auto* t = f.Toolbar("T", 4, f.Top);
  f.Show();
  t->SetFloating(true);
  TPoint nc = t->FloatingParent()->NonClientSize();
  t->ResizeBegin(1);
  const TBarFloatingResizeState* s = t->FloatingResizeState();
  ASSERT_TRUE(s);
  // One line of four, two lines of two, four lines of one (three and one is two lines too and
  // is replaced by the narrower two by two).
  std::string sizes;
  for (auto& c : s->Sizes) sizes += std::to_string(c.Width - nc.X) + "x" + std::to_string(c.Height - nc.Y) + " ";
  EXPECT_EQ(sizes, "100x25 54x47 31x91 ");
  EXPECT_EQ(s->DeadZone, 12);
  TRect r = t->FloatingParent()->BoundsRect();
  int left = r.Left;
  // Within the dead zone the size stays; past it the next smaller candidate is taken.
  TRect moved = r;
  EXPECT_FALSE(t->ResizeTrack(moved, 1, {left + r.Width() - 10, 0}));
  EXPECT_EQ(moved, r);
  EXPECT_TRUE(t->ResizeTrack(moved, 1, {left + r.Width() - 13, 0}));
  EXPECT_EQ(moved.Width(), 54 + nc.X);
  EXPECT_EQ(moved.Left, left);
  EXPECT_TRUE(t->ResizeTrack(moved, 1, {left + 40, 0}));
  EXPECT_EQ(moved.Width(), 31 + nc.X);
  EXPECT_TRUE(t->ResizeTrack(moved, 1, {left + 2000, 0}));  // grown past all: the widest
  EXPECT_EQ(moved.Width(), 100 + nc.X);
  EXPECT_TRUE(t->ResizeTrack(moved, 1, {left + 60 + nc.X, 0}));
  t->ResizeEnd(true);
  EXPECT_EQ(t->FloatingResizeState(), nullptr);
  EXPECT_EQ(t->FloatingWidth(), 54 + nc.X - 2 * (t->GetFloatingBorderSize().X));
  // The left edge keeps the right edge where it is.
  t->ResizeBegin(0);
  TRect start = t->FloatingParent()->BoundsRect();
  moved = start;
  EXPECT_TRUE(t->ResizeTrack(moved, 0, {start.Left + 40, 0}));
  EXPECT_EQ(moved.Right, start.Right);
  t->ResizeEnd(false);
}

TEST(BarToolbar, ControlsOnAToolbarBecomeItems) {
  TDockForm f;
  auto* t = f.Toolbar("T", 1, f.Top);
  f.Show();
  auto* edit = new TCustomControl(&f.Form);
  edit->SetBounds(0, 0, 50, 20);
  edit->SetParent(t);
  ASSERT_EQ(t->Items()->Count(), 2);
  auto* item = dynamic_cast<TBarControlItem*>(t->Items()->Items(1));
  ASSERT_TRUE(item);
  EXPECT_EQ(item->Control(), edit);
  EXPECT_EQ(t->ClientWidth(), 23 + 50);
  edit->SetParent(nullptr);  // the item goes, the control stays
  EXPECT_EQ(t->Items()->Count(), 1);
  t->BeginUpdate();  // one that places its controls itself meanwhile makes their items too
  edit->SetParent(t);
  EXPECT_EQ(t->Items()->Count(), 1);
  edit->SetParent(nullptr);
  t->EndUpdate();
  delete edit;
  EXPECT_EQ(t->ChevronItem()->LinkSubitems(), t->Items());
  EXPECT_FALSE(t->IsChevronHintStored());
  t->SetChevronHint(L"More && more|");
  EXPECT_TRUE(t->IsChevronHintStored());
}

// A control behind the chevron is out of the Tab key's way; a context menu clears the hot button.
TEST(BarToolbar, ControlsBehindTheChevronTakeNoTabStopAndAContextMenuClearsTheHotButton) {
  TDockForm f;
  auto* t = f.Toolbar("T", 3, f.Top);
  t->SetChevronMoveItems(false);  // the last item goes first
  auto* edit = new TCustomControl(&f.Form);
  edit->SetBounds(0, 0, 50, 20);
  edit->SetTabStop(true);
  edit->SetParent(t);
  f.Show();
  auto tabStops = [&] {
    std::vector<TWinControl*> list;
    f.Form.GetTabOrderList(list);
    return std::count(list.begin(), list.end(), edit);
  };
  EXPECT_EQ(tabStops(), 1);
  f.Form.SetClientWidth(110);
  EXPECT_EQ(tabStops(), 0);
  t->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(12, 10));
  ASSERT_NE(t->View()->Selected(), nullptr);
  TPoint p = t->ClientToScreen({12, 10});
  t->Perform(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(t->Handle()), MAKELPARAM(p.X, p.Y));
  EXPECT_EQ(t->View()->Selected(), nullptr);
}

// A button shows its action's new state at the toolbar's next paint, without a mouse move, and
// drawn as a full repaint draws it, also when a print of the toolbar (a snapshot) came between.
TEST(BarToolbar, AButtonShowsItsActionsStateAtTheNextPaint) {
  TDockForm f;
  auto* t = f.Captioned("T", f.Top, 0, {L"Cut", L"Copy"});
  TAction action(nullptr);
  action.SetCaption(L"Cut");
  t->Items()->Items(0)->SetAction(&action);
  f.Show();
  const HWND wnd = t->Handle();
  const TRect button = t->View()->Viewers(0)->BoundsRect();
  auto picture = [&] {
    TWindowDC dc(wnd);
    std::vector<COLORREF> pixels;
    for (int y = button.Top; y < button.Bottom; ++y)
      for (int x = button.Left; x < button.Right; ++x) pixels.push_back(GetPixel(dc.Get(), x, y));
    return pixels;
  };
  auto print = [&] {
    TCreatedDC memory(CreateCompatibleDC(nullptr));
    TBitmapHandle bitmap(CreateCompatibleBitmap(TWindowDC(wnd).Get(), t->ClientWidth(), t->ClientHeight()));
    TSelectObject select(memory.Get(), bitmap.Get());
    SendMessageW(wnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory.Get()), PRF_CLIENT | PRF_ERASEBKGND);
  };
  for (bool printed : {false, true})
    for (bool enabled : {false, true}) {
      const std::vector<COLORREF> before = picture();
      action.SetEnabled(enabled);
      if (printed) print();
      UpdateWindow(wnd);
      const std::vector<COLORREF> shown = picture();
      RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
      EXPECT_NE(shown, before) << printed << enabled;
      EXPECT_EQ(shown, picture()) << printed << enabled;
    }
}

// The underlines are all that showing accelerators changes: the toolbar is repainted for them
// only where they come and go, on a menu bar while the system hides keyboard cues. A toolbar
// always shows them, and every Alt+letter of the form reaches it.
TEST(BarToolbar, AcceleratorsRepaintOnlyWhenTheirUnderlinesComeOrGo) {
  TDockForm f;
  auto* t = f.Captioned("T", f.Top, 0, {L"&Cut", L"Copy"});
  f.Show();
  static BOOL cues = FALSE;
  TBarSystemParametersProc old = SetBarSystemParametersProc([](UINT Action, UINT, void* Value, UINT) -> BOOL {
    if (Action != SPI_GETKEYBOARDCUES) return FALSE;
    *static_cast<BOOL*>(Value) = cues;
    return TRUE;
  });
  const struct {
    bool MenuBar;
    BOOL Cues;
    bool Repaints;
  } cases[] = {{false, FALSE, false}, {false, TRUE, false}, {true, TRUE, false}, {true, FALSE, true}};
  for (const auto& c : cases) {
    t->SetMenuBar(c.MenuBar);
    cues = c.Cues;
    for (bool show : {true, false}) {
      UpdateWindow(t->Handle());
      t->View()->ShowAccelerators(show);
      EXPECT_EQ(GetUpdateRect(t->Handle(), nullptr, FALSE) != FALSE, c.Repaints) << c.MenuBar << c.Cues << show;
    }
  }
  SetBarSystemParametersProc(old);
}

// A designed toolbar keeps no priorities for its chevron, routes no shortcuts and takes no press
// on a button as its own: the designer has the mouse and the keys there.
TEST(BarToolbar, ADesignedToolbarTakesNoShortcutsPrioritiesOrButtonPresses) {
  for (bool designing : {false, true}) {
    TDockForm f;
    f.Form.SetDesigning(designing);
    auto* t = f.Toolbar("T", 2, f.Top);
    f.Show();
    t->SetProcessShortCuts(true);
    const auto& list = ShortCutToolbars();
    EXPECT_EQ(std::find(list.begin(), list.end(), t) != list.end(), !designing) << designing;
    EXPECT_EQ(t->View()->UsePriorityList(), !designing) << designing;
    EXPECT_EQ(t->PointOnChild({5, 5}), !designing) << designing;  // over the first button
    t->SetProcessShortCuts(false);
    f.Form.SetDesigning(false);
  }
}

// A pressed chevron is sunken (a raised edge over it would hide the press); no hot edge on a designed form.
TEST(BarToolbar, TheChevronShowsItsPressAndNoHotEdgeOnADesignedForm) {
  const uint32_t white = 0xFFFFFF, shadow = ColorToRGB(clBtnShadow), light = ColorToRGB(clBtnHighlight);
  const std::tuple<bool, bool, bool, bool, uint32_t, uint32_t> cases[] = {
      {false, true, true, true, shadow, light},  {false, true, true, false, light, shadow},
      {false, true, false, false, white, white}, {false, false, true, true, light, shadow},
      {true, true, true, false, white, white},   {true, true, true, true, shadow, light},
  };
  for (auto [designing, enabled, hot, pushed, topLeft, bottomRight] : cases) {
    TDockForm f;
    f.Form.SetDesigning(designing);
    auto* t = f.Toolbar("T", 1, f.Top);
    TBarChevronItem* chevron = t->ChevronItem();
    EXPECT_TRUE(chevron->Owner() == t && chevron->ComponentState().Contains(csDesigning) == designing);
    chevron->SetEnabled(enabled);
    TMenuPicture p(12, 22);
    t->View()->Find(chevron)->Paint(p.Canvas(), {0, 0, 12, 22}, hot, pushed, false);
    EXPECT_EQ(std::tuple(p.At(0, 0), p.At(11, 21)), std::tuple(topLeft, bottomRight))
        << designing << enabled << hot << pushed;
    f.Form.SetDesigning(false);
  }
}

// The hint is the one of the button under the mouse, for its rectangle, whichever is selected; over none, none.
TEST(BarToolbar, TheHintIsTheOneOfTheButtonUnderTheMouse) {
  TDockForm f;
  auto* t = f.Captioned("T", f.Top, 0, {L"Cut", L"Copy"});
  t->Items()->Items(0)->SetHint(L"Cut it|Cut the selection");
  t->Items()->Items(1)->SetHint(L"Copy it|Copy the selection");
  f.Show();
  const std::tuple<int, int, LRESULT, const wchar_t*, int> cases[] = {
      {-1, 5, 0, L"Cut it", 0}, {1, 5, 0, L"Cut it", 0}, {0, 50, 0, L"Copy it", 1},
      {0, 120, 1, L"", -1},     {-1, 120, 1, L"", -1},
  };
  for (auto [selected, x, result, hint, rect] : cases) {
    t->View()->Select(selected < 0 ? nullptr : t->View()->Viewers(selected));
    THintInfo info;
    info.CursorPos = {x, 5};
    const LRESULT shown = t->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(std::tuple(shown, info.HintStr), std::tuple(result, WideString(hint))) << selected << x;
    EXPECT_TRUE(rect < 0 || info.CursorRect == t->View()->Viewers(rect)->BoundsRect()) << selected << x;
  }
}

// The mouse leaving during a keyboard menu loop keeps the loop's selection: only the mouse-inside state goes.
TEST(BarToolbar, TheMouseLeavingDuringTheKeyboardLoopKeepsTheSelection) {
  TMenuSettings settings;
  TDockForm f;
  auto* bar = ShownMenuBar(f);
  TBarView* view = bar->View();
  std::string seen;  // per message: the mouse inside before and after, the first button selected
  auto leave = [&] {
    for (UINT m : {UINT(CM_MOUSELEAVE), UINT(WM_MOUSELEAVE), UINT(WM_NCMOUSEMOVE), UINT(WM_CONTEXTMENU)}) {
      const TPoint over = ViewerCentre(view, 0);
      view->SelectFromMouse(&over, true);
      seen += std::to_string(view->State().Contains(vstMouseInside));
      bar->Perform(m, 0, m == WM_CONTEXTMENU ? MAKELPARAM(over.X, over.Y) : 0);
      seen += std::to_string(view->State().Contains(vstMouseInside)) +
              std::to_string(view->Selected() == view->Viewers(0)) + " ";
    }
    return true;
  };
  TMenuScript script({leave, [] { return PostKey(VK_ESCAPE); }});
  EXPECT_EQ(bar->Perform(WM_SYSCOMMAND, SC_KEYMENU, 0), 1);
  EXPECT_EQ(seen, "101 101 101 101 ");
  bar->SetMenuBar(false);
}

// A menu key outside the keyboard's code page goes back unanswered; Alt+Space goes on to the window menu.
TEST(BarToolbar, AMenuKeyOutsideTheKeyboardsCodePageGoesBackUnanswered) {
  TDockForm f;
  auto* bar = ShownMenuBar(f);
  int commands = 0;  // the form's window menu never opens here
  TWndMethod formProc = f.Form.WindowProc;
  f.Form.WindowProc = TWndMethod::FromFunction(
      [](void* C, TMessage& M) { *static_cast<int*>(C) += M.Msg == WM_SYSCOMMAND; }, &commands);
  const std::tuple<wchar_t, int, LRESULT, int> cases[] = {
      {L'\x3042', 932, 0, 0}, {L'\x3042', 1252, 1, 0}, {L'-', 932, 0, 0}, {L' ', 932, 0, 1}};
  for (auto [key, codePage, result, toTheForm] : cases) {
    SetBarInputLocaleCodePage(codePage);
    commands = 0;
    const LRESULT answer = bar->Perform(WM_SYSCOMMAND, SC_KEYMENU, key);
    EXPECT_EQ(std::tuple(answer, commands), std::tuple(result, toTheForm)) << int(key) << codePage;
  }
  SetBarInputLocaleCodePage(0);
  f.Form.WindowProc = formProc;
  bar->SetMenuBar(false);
}

// A wrapping toolbar measured for a dock it is dragged to is measured with that dock's frame, and takes that size.
TEST(BarToolbar, AWrappingToolbarMeasuredForAnotherDockTakesThatSizeThere) {
  for (bool floating : {true, false}) {
    TDockForm f;
    auto* t = f.Toolbar("T", 5, f.Left);
    t->SetShrinkMode(tbsmWrap);
    f.Show();
    f.Form.SetClientWidth(5 * 23 + 5);  // fits five buttons only without the toolbar's frame and grip
    if (floating) t->SetFloating(true);
    TPoint measured;
    t->CalculateSize(false, 0, measured, f.Top, false);
    t->SetParent(f.Top);
    EXPECT_EQ(t->ClientHeight(), 44) << floating;
    EXPECT_EQ(measured, (TPoint{t->ClientWidth(), t->ClientHeight()})) << floating;
  }
}
