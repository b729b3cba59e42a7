// Views: viewers in step with the tree, selection, keyboard navigation, accelerators, the
// wheel and the mouse semantics of viewers, without windows.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "tests/framework/Raised.h"
#include "tests/toolbars/BarTestSupport.h"
#include "toolbars/BarCommon.h"

namespace {

// The items of a view as "caption@level" (the caption's first letter).
std::string Layout(TBarView& View) {
  std::string s;
  for (int i = 0; i < View.ViewerCount(); ++i) {
    TBarItemViewer* v = View.Viewers(i);
    s += (s.empty() ? "" : " ") + std::string(1, static_cast<char>(v->Item()->Caption()[0])) + "@" +
         std::to_string(v->GroupLevel());
  }
  return s;
}

TSizedItem* Item(const wchar_t* Caption, TBarItemStyle Extra = 0) { return new TSizedItem(20, 20, Extra, Caption); }

struct Menu {
  TBarRootItem Root{nullptr};
  explicit Menu(std::initializer_list<TBarCustomItem*> Items) {
    for (TBarCustomItem* i : Items) Root.Add(i);
  }
  ~Menu() { Root.Clear(); }
};

struct SelectLog {
  std::vector<std::string> Events;
  void OnSelect(TBarCustomItem* Sender, TBarItemViewer*, bool Selecting) {
    Events.push_back(std::string(Selecting ? "enter " : "leave ") + static_cast<char>(Sender->Caption()[0]));
  }
};

}  // namespace

TEST(BarView, ViewersFollowInsertionsAndDeletionsThroughEmbeddedGroups) {
  auto* group = Item(L"G", tbisInlineGroup);
  group->Add(Item(L"x"));
  group->Add(Item(L"y"));
  Menu m{Item(L"A"), group, Item(L"B")};
  TTestView view(&m.Root, true);
  EXPECT_EQ(Layout(view), "A@0 G@0 x@1 y@1 B@0");
  group->Insert(1, Item(L"z"));
  EXPECT_EQ(Layout(view), "A@0 G@0 x@1 z@1 y@1 B@0");
  group->Add(Item(L"w"));
  EXPECT_EQ(Layout(view), "A@0 G@0 x@1 z@1 y@1 w@1 B@0");
  m.Root.Insert(0, Item(L"C"));
  EXPECT_EQ(Layout(view), "C@0 A@0 G@0 x@1 z@1 y@1 w@1 B@0");
  EXPECT_EQ(view.PriorityList().front()->Item()->Caption(), L"C");  // new items come first
  delete group;
  EXPECT_EQ(Layout(view), "C@0 A@0 B@0");
  EXPECT_EQ(view.PriorityList().size(), 3u);
  TSizedItem stranger(1, 1);
  EXPECT_EQ(Raised<EBarItemError>([&] { view.Find(&stranger); }),
            "An item viewer associated the specified item could not be found");
}

// While customizing an embedded group is one item: a sub-item inserted into it adds no viewer of its own.
TEST(BarView, ACustomizedViewShowsAGroupAsOneItemAlsoAfterAnInsertion) {
  auto* group = Item(L"G", tbisInlineGroup);
  group->Add(Item(L"x"));
  Menu m{Item(L"A"), group, Item(L"B")};
  TTestView view(&m.Root, true, nullptr, nullptr, nullptr, true);
  EXPECT_EQ(Layout(view), "A@0 G@0 B@0");
  group->Insert(0, Item(L"z"));
  EXPECT_EQ(Layout(view), "A@0 G@0 B@0");
  view.RebuildViewers();
  EXPECT_EQ(Layout(view), "A@0 G@0 B@0");
}

TEST(BarView, LinkedSubitemsReplaceTheOwnOnes) {
  Menu own{Item(L"A")};
  Menu other{Item(L"X"), Item(L"Y")};
  TTestView view(&own.Root, true);
  own.Root.SetLinkSubitems(&other.Root);
  EXPECT_EQ(Layout(view), "X@0 Y@0");
  other.Root.Add(Item(L"Z"));
  EXPECT_EQ(Layout(view), "X@0 Y@0 Z@0");
  own.Root.SetLinkSubitems(nullptr);
  EXPECT_EQ(Layout(view), "A@0");
  // An embedded group that shows another item's sub-items follows that item.
  auto* group = Item(L"G", tbisInlineGroup);
  own.Root.Add(group);
  group->SetLinkSubitems(&other.Root);
  EXPECT_EQ(Layout(view), "A@0 G@0 X@1 Y@1 Z@1");
  other.Root.Insert(1, Item(L"W"));
  delete other.Root.Items(0);
  EXPECT_EQ(Layout(view), "A@0 G@0 W@1 Y@1 Z@1");
}

TEST(BarView, SameSelectionAgainKeepsTrackingAndFiresNoEvents) {
  Menu m{Item(L"A"), Item(L"B")};
  SelectLog log;
  for (int i = 0; i < m.Root.Count(); ++i) m.Root.Items(i)->OnSelect = TBarSelectEvent(&log, &SelectLog::OnSelect);
  TTestView view(&m.Root, true);
  view.UpdatePositions();
  TBarItemViewer* a = view.Viewers(0);
  view.ChangeSelection(a, true);
  view.SetMouseTracking(true);
  view.ChangeSelection(a, true);  // every mouse move selects again
  EXPECT_TRUE(view.MouseTracking());
  view.ChangeSelection(view.Viewers(1), true);
  EXPECT_FALSE(view.MouseTracking());
  EXPECT_EQ(log.Events, (std::vector<std::string>{"enter A", "leave A", "enter B"}));
}

TEST(BarView, KeyboardWalksSelectableItemsAndWraps) {
  auto* disabled = Item(L"B");
  disabled->SetEnabled(false);
  auto* hidden = Item(L"H");
  hidden->SetVisible(false);
  Menu m{Item(L"A"), disabled, new TSizedSeparator(6), hidden, Item(L"C")};
  TTestView view(&m.Root, false);
  const struct {
    Word Key;
    TShiftState Shift;
    char Selected;
  } steps[] = {{VK_DOWN, {}, 'A'}, {VK_DOWN, {}, 'B'}, {VK_DOWN, {}, 'C'}, {VK_DOWN, {}, 'A'},      {VK_UP, {}, 'C'},
               {VK_HOME, {}, 'A'}, {VK_END, {}, 'C'},  {VK_TAB, {}, 'A'},  {VK_TAB, {ssShift}, 'C'}};
  for (const auto& s : steps) {
    Word key = s.Key;
    view.HandleKey(key, s.Shift);
    EXPECT_EQ(key, 0);
    ASSERT_TRUE(view.Selected());
    EXPECT_EQ(static_cast<char>(view.Selected()->Item()->Caption()[0]), s.Selected) << s.Key;
  }
  Word letter = 'Q';
  view.HandleKey(letter, {});
  EXPECT_EQ(letter, 'Q');  // not a key of the view
}

TEST(BarView, ReturnEscapeAndF1EndTheMenuWithTheirDoneActions) {
  auto* help = Item(L"Help");
  help->SetHelpContext(7);
  auto* off = Item(L"Off");
  off->SetEnabled(false);
  Menu m{Item(L"Run"), help, off};
  TTestView view(&m.Root, false);
  view.UpdatePositions();
  Word key = VK_RETURN;
  view.Select(view.Viewers(0));
  view.HandleKey(key, {});
  EXPECT_EQ(view.DoneActionData().DoneAction, tbdaClickItem);
  EXPECT_EQ(view.DoneActionData().ClickItem, m.Root.Items(0));
  EXPECT_TRUE(view.DoneActionData().Sound);
  view.Select(view.Viewers(1));
  key = VK_F1;
  view.HandleKey(key, {});
  EXPECT_EQ(view.DoneActionData().DoneAction, tbdaHelpContext);
  EXPECT_EQ(view.DoneActionData().ContextID, 7);
  view.Select(view.Viewers(2));
  view.RunSelection(true);  // a disabled selection cancels
  EXPECT_EQ(view.DoneActionData().DoneAction, tbdaCancel);
  view.ClearDoneAction();
  key = VK_ESCAPE;
  view.HandleKey(key, {});
  EXPECT_EQ(view.DoneActionData().DoneAction, tbdaCancel);
}

TEST(BarView, FirstCandidateSkipsItemsThatAskToBeSkipped) {
  Menu m{Item(L"A", tbisSkipAsFirst), Item(L"B")};
  TTestView view(&m.Root, false);
  EXPECT_EQ(view.FirstCandidate(), view.Viewers(1));
  m.Root.Items(1)->SetVisible(false);
  EXPECT_EQ(view.FirstCandidate(), view.Viewers(0));
}

TEST(BarView, AcceleratorsPreferExplicitMarksThenFirstLetters) {
  auto* exitItem = Item(L"E&xit");
  exitItem->SetEnabled(false);
  Menu m{Item(L"&Open"), Item(L"Over"),      Item(L"&Copy"),        Item(L"&Cut"),
         exitItem,       Item(L"Xylophone"), Item(L"Zoom\tCtrl+Z"), Item(L" space")};
  TTestView view(&m.Root, false);
  view.UpdatePositions();
  const struct {
    wchar_t Key;
    int Start;
    int Found;
    bool Unique;
    bool PrimaryOnly;
  } cases[] = {
      {L'o', -1, 0, true, false},  {L'O', 0, 0, true, false},    {L'c', -1, 2, false, false},
      {L'c', 2, 3, false, false},  {L'x', -1, 4, true, false},   {L'z', -1, 6, true, false},
      {L'z', -1, -1, false, true}, {L' ', -1, -1, false, false}, {L'q', -1, -1, false, false},
  };
  for (const auto& c : cases) {
    bool unique = !c.Unique;
    TBarItemViewer* start = c.Start < 0 ? nullptr : view.Viewers(c.Start);
    TBarItemViewer* hit = view.FindByAccelerator(start, c.Key, unique, c.PrimaryOnly);
    EXPECT_EQ(view.IndexOf(hit), c.Found) << static_cast<char>(c.Key);
    if (hit) {
      EXPECT_EQ(unique, c.Unique) << static_cast<char>(c.Key);
    }
  }
}

TEST(BarView, WheelWithoutLinesOrWithPagesDoesTheSensibleThing) {
  Menu m{};
  for (int i = 0; i < 10; ++i) m.Root.Add(new TSizedItem(50, 20));
  TTestView view(&m.Root, false);
  view.SetMaxHeight(100);
  view.UpdatePositions();
  static UINT lines = 0;
  auto proc = [](UINT Action, UINT, void* Value, UINT) -> BOOL {
    if (Action != SPI_GETWHEELSCROLLLINES) return FALSE;
    *static_cast<UINT*>(Value) = lines;
    return TRUE;
  };
  TBarSystemParametersProc old = SetBarSystemParametersProc(proc);
  lines = 0;
  for (int i = 0; i < 5; ++i) view.HandleWheel(-120, 0, 0);
  EXPECT_EQ(view.WheelAccumulator(), 0);
  EXPECT_EQ(view.ScrollOffset(), 0);
  lines = WHEEL_PAGESCROLL;
  view.HandleWheel(-120, 0, 0);
  EXPECT_EQ(view.ScrollOffset(), 100 - 2 * 19);
  EXPECT_EQ(view.WheelAccumulator(), 0);
  lines = 3;
  view.HandleWheel(120, 0, 0);
  view.HandleWheel(-30, 0, 0);  // less than one line
  EXPECT_EQ(view.WheelAccumulator(), -30);
  view.HandleWheel(-10, 0, 0);  // 40 make one line of 40
  EXPECT_EQ(view.WheelAccumulator(), 0);
  SetBarSystemParametersProc(old);
}

// A turn gives back a whole number of lines of 120 / lines each, also when the menu cannot scroll
// that way (at its top a turn up is used up and the next turn down scrolls at once).
TEST(BarView, WheelTurnsAreUsedUpLineByLine) {
  static UINT lines = 0;
  TBarSystemParametersProc old = SetBarSystemParametersProc([](UINT Action, UINT, void* Value, UINT) -> BOOL {
    if (Action != SPI_GETWHEELSCROLLLINES) return FALSE;
    *static_cast<UINT*>(Value) = lines;
    return TRUE;
  });
  const struct {
    UINT Lines;
    std::vector<int> Turns;
    int Left;
    bool Scrolled;
  } cases[] = {
      {3, {120}, 0, false},   {3, {120, -120}, 0, true},
      {3, {-40}, 0, true},    {7, {-120}, -1, true},  // seven lines of 17
      {7, {-10}, -10, false}, {200, {-120}, 0, true},
  };
  for (const auto& c : cases) {
    Menu m{};
    for (int i = 0; i < 10; ++i) m.Root.Add(new TSizedItem(50, 20));
    TTestView view(&m.Root, false);
    view.SetMaxHeight(100);
    view.UpdatePositions();
    lines = c.Lines;
    for (int turn : c.Turns) view.HandleWheel(turn, 0, 0);
    EXPECT_EQ(view.WheelAccumulator(), c.Left) << c.Lines << " " << c.Turns.size();
    EXPECT_EQ(view.ScrollOffset() > 0, c.Scrolled) << c.Lines << " " << c.Turns.size();
  }
  SetBarSystemParametersProc(old);
}

TEST(BarView, ToolbarButtonClicksOnlyWhenPressedAndReleasedOnIt) {
  auto* off = Item(L"Off");
  off->SetEnabled(false);
  Menu m{Item(L"A"), off};
  TTestView view(&m.Root, true);
  view.UpdatePositions();
  view.MouseInWindow = true;
  view.MousePos = {5, 5};
  TBarItemViewer* a = view.Viewers(0);
  view.Select(a);
  EXPECT_TRUE(view.MouseOverSelected());
  a->MouseUp(5, 5, false);  // released without a press: nothing
  EXPECT_EQ(view.DoneActionData().DoneAction, tbdaNone);
  bool onMenu = false;
  a->MouseDown({ssLeft}, 5, 5, onMenu);
  EXPECT_TRUE(view.MouseTracking());
  a->MouseUp(5, 5, onMenu);
  EXPECT_FALSE(view.MouseTracking());
  EXPECT_EQ(view.DoneActionData().DoneAction, tbdaClickItem);
  EXPECT_FALSE(view.DoneActionData().Sound);
  view.ClearDoneAction();
  view.Viewers(1)->MouseDown({ssLeft}, 25, 5, onMenu);  // a disabled button ends the menu
  EXPECT_EQ(view.DoneActionData().DoneAction, tbdaCancel);
}

TEST(BarView, SubmenuOpensThroughTheItemAndClosesWithTheSelection) {
  struct PopupItem : TSizedItem {
    PopupItem() : TSizedItem(20, 20, tbisHasSubmenu, L"P") { Add(new TSizedItem(10, 10, 0, L"s")); }
    TBarPopupWindow* CreatePopup(TBarView* ParentView, TBarItemViewer* ParentViewer, bool, bool SelectFirst, bool,
                                 TPoint, int) override {
      auto* sub = new TTestView(this, false, nullptr, ParentView);
      if (SelectFirst) sub->Select(sub->FirstCandidate());
      ParentView->SetOpenViewer(ParentViewer, sub, nullptr);
      ++Opened;
      return nullptr;
    }
    int Opened = 0;
  };
  auto* popup = new PopupItem;
  Menu m{Item(L"A"), popup};
  TTestView view(&m.Root, true);
  view.SetState({vstModal, vstMenusDropped});
  view.Select(view.Viewers(0));
  Word key = VK_RIGHT;
  view.HandleKey(key, {});  // moves to P, which opens at once while menus are dropped
  ASSERT_EQ(view.OpenViewer(), view.Viewers(1));
  EXPECT_EQ(popup->Opened, 1);
  ASSERT_TRUE(view.OpenViewerView()->Selected());
  EXPECT_EQ(view.OpenViewerView()->Selected()->Item()->Caption(), L"s");
  key = VK_ESCAPE;
  view.OpenViewerView()->HandleKey(key, {});
  EXPECT_EQ(view.OpenViewer(), nullptr);
  EXPECT_EQ(view.Selected(), view.Viewers(1));
  view.CloseAllSubmenus();
  EXPECT_FALSE(view.State().Contains(vstMenusDropped));
}

TEST(BarView, ViewersKeptInStepMatchAFreshViewAfterAnyEdits) {
  std::mt19937 random(5103);
  Menu m{};
  std::vector<TBarCustomItem*> containers{&m.Root};
  TTestView view(&m.Root, true);
  auto shape = [](TBarView& v) {
    std::string s;
    for (int i = 0; i < v.ViewerCount(); ++i)
      s += std::to_string(reinterpret_cast<uintptr_t>(v.Viewers(i)->Item())) + "@" +
           std::to_string(v.Viewers(i)->GroupLevel()) + " ";
    return s;
  };
  int made = 0;
  for (int step = 0; step < 400; ++step) {
    TBarCustomItem* into = containers[random() % containers.size()];
    int action = static_cast<int>(random() % 4);
    if (action <= 1 || into->Count() == 0) {
      bool group = random() % 4 == 0;
      auto* item = Item(group ? L"G" : L"i", group ? tbisInlineGroup : 0);
      into->Insert(static_cast<int>(random() % (into->Count() + 1)), item);
      if (group) containers.push_back(item);
      ++made;
    } else if (action == 2) {
      TBarCustomItem* gone = into->Items(static_cast<int>(random() % into->Count()));
      if (gone->Count() > 0) continue;
      containers.erase(std::remove(containers.begin(), containers.end(), gone), containers.end());
      delete gone;
    } else {
      into->Move(static_cast<int>(random() % into->Count()), static_cast<int>(random() % into->Count()));
    }
    TTestView fresh(&m.Root, true);
    ASSERT_EQ(shape(view), shape(fresh)) << step;
  }
  EXPECT_GT(made, 100);
}

TEST(BarView, CloseTimerRunsOnlyWhileTheMouseIsOffTheOpenItem) {
  Menu m{Item(L"A", tbisHasSubmenu), Item(L"B")};
  TTestView popup(&m.Root, false);
  TTestView sub(m.Root.Items(0), false, nullptr, &popup);
  popup.SetState({vstModal});
  popup.Select(popup.Viewers(0));
  popup.SetOpenViewer(popup.Viewers(0), &sub, nullptr);
  popup.ChangeSelection(popup.Viewers(1), true);
  EXPECT_TRUE(popup.TimerRunning(tiClose));
  popup.ChangeSelection(popup.Viewers(0), true);  // back on the item whose menu is open
  EXPECT_FALSE(popup.TimerRunning(tiClose));
  EXPECT_TRUE(popup.TimerRunning(tiOpen));
  popup.SetOpenViewer(nullptr, nullptr, nullptr);
}
