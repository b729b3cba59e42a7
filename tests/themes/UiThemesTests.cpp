// The theme registry with its exact errors, the current theme and its switching, and the
// relay of system changes to theme listeners.
#include <gtest/gtest.h>

#include <memory>
#include <utility>

#include "framework/Application.h"
#include "framework/Exceptions.h"
#include "framework/StringLists.h"
#include "tests/themes/ThemeTestSupport.h"
#include "themes/SkinText.h"
#include "themes/Ui.h"

namespace {

std::vector<std::pair<WPARAM, LPARAM>> Received(const std::vector<TMessage>& messages, UINT Msg) {
  std::vector<std::pair<WPARAM, LPARAM>> out;
  for (const TMessage& m : messages)
    if (m.Msg == Msg) out.emplace_back(m.WParam, m.LParam);
  return out;
}

int themesMade = 0;
int themesFreed = 0;

// A theme that paints nothing and records the notices it gets; it listens to system changes
// as a real theme does.
class TStubTheme : public TUiTheme {
 public:
  explicit TStubTheme(const AnsiString& AName) : TUiTheme(AName) {
    ++themesMade;
    AddSystemChangeListener(this);
  }
  ~TStubTheme() override {
    RemoveSystemChangeListener(this);
    ++themesFreed;
  }
  void Dispatch(TMessage& Message) override { Messages.push_back(Message); }
  std::vector<TMessage> Messages;

  TPoint GetImageOffset(TCanvas*, const TUiItemInfo&, TCustomImageList*) override { return {}; }
  TColor GetItemColor(const TUiItemInfo&) override { return clNone; }
  TColor GetItemTextColor(const TUiItemInfo& I) override { return TColor(I.ViewType | GetStateFlags(I)); }
  TColor GetItemImageBackground(const TUiItemInfo&) override { return clNone; }
  TUiMargins GetMargins(int) override { return {}; }
  int GetPopupShadowType() override { return 0; }
  TPoint GetViewBorder(int) override { return {}; }
  TColor GetViewColor(int) override { return clNone; }
  TUiMargins GetViewMargins(int) override { return {}; }
  void PaintBackgnd(TCanvas*, const TRect&, const TRect&, const TRect&, TColor, bool, int) override {}
  void PaintButton(TCanvas*, const TRect&, const TUiItemInfo&) override {}
  void PaintCaption(TCanvas*, const TRect&, const TUiItemInfo&, const WideString&, UINT, bool) override {}
  void PaintCheckMark(TCanvas*, const TRect&, const TUiItemInfo&) override {}
  void PaintChevron(TCanvas*, const TRect&, const TUiItemInfo&) override {}
  void PaintEditFrame(TCanvas*, const TRect&, const TUiItemInfo&, const TUiEditFrameInfo&) override {}
  void PaintEditButton(TCanvas*, const TRect&, const TUiItemInfo&, const TUiEditButtonInfo&) override {}
  void PaintDock(TCanvas*, const TRect&, const TRect&, int) override {}
  void PaintDockPanelNCArea(TCanvas*, const TRect&, const TUiDockPanelInfo&) override {}
  void PaintDropDownArrow(TCanvas*, const TRect&, const TUiItemInfo&) override {}
  void PaintFloatingBorder(TCanvas*, const TRect&, const TUiFloatingBorderInfo&) override {}
  void PaintFrame(TCanvas*, const TRect&, const TUiItemInfo&) override {}
  void PaintImage(TCanvas*, const TRect&, const TUiItemInfo&, TCustomImageList*, int) override {}
  void PaintMDIButton(TCanvas*, const TRect&, const TUiItemInfo&, UINT) override {}
  void PaintMenuItem(TCanvas*, const TRect&, const TUiItemInfo&) override {}
  void PaintMenuItemFrame(TCanvas*, const TRect&, const TUiItemInfo&) override {}
  void PaintPageScrollButton(TCanvas*, const TRect&, int, bool) override {}
  void PaintPopupNCArea(TCanvas*, const TRect&, const TUiPopupInfo&) override {}
  void PaintSeparator(TCanvas*, const TRect&, const TUiItemInfo&, bool, bool) override {}
  void PaintToolbarNCArea(TCanvas*, const TRect&, const TUiToolbarInfo&) override {}
  void PaintFrameControl(TCanvas*, const TRect&, int, int, void*) override {}
  void PaintStatusBar(TCanvas*, const TRect&, int) override {}
  int GetIntegerMetrics(int) override { return -1; }
  bool GetBooleanMetrics(int) override { return false; }
};

// A theme listener that records what it is told.
class TRecorder : public TUiDispatcher {
 public:
  void Dispatch(TMessage& Message) override { Messages.push_back(Message); }
  std::vector<TMessage> Messages;
};

class UiThemesTest : public testing::Test {
 protected:
  void SetUp() override {
    UiShutDown();
    ClearThemeRegistry();
    RegisterTheme("Stub", UiThemeClassOf<TStubTheme>());
    RegisterTheme("Other", UiThemeClassOf<TStubTheme>());
    themesMade = themesFreed = 0;
  }
  void TearDown() override {
    ClearThemeRegistry();
    UiStartUp();
  }
};

void ExpectMessage(const std::function<void()>& action, const char* text) {
  try {
    action();
    ADD_FAILURE() << "no exception, expected " << text;
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), text);
  }
}

TEST_F(UiThemesTest, RegistrationErrors) {
  ExpectMessage([] { RegisterTheme("", UiThemeClassOf<TStubTheme>()); }, "Cannot register theme");
  ExpectMessage([] { RegisterTheme("Third", nullptr); }, "Cannot register theme");
  ExpectMessage([] { RegisterTheme("stub", UiThemeClassOf<TStubTheme>()); }, "Theme stub is already registered");
  RegisterTheme(AnsiString(300, 'x'), UiThemeClassOf<TStubTheme>());
  TStringList names;
  ListThemes(&names);
  ASSERT_EQ(names.Count(), 3);
  EXPECT_EQ(names[0], "Stub");
  EXPECT_EQ(names[1], "Other");
  EXPECT_EQ(names[2], AnsiString(255, 'x'));  // longer names are cut
  EXPECT_EQ(FindThemeIndex("OTHER"), 1);
  EXPECT_TRUE(IsThemeRegistered("sTuB"));
  EXPECT_THROW(ListThemes(nullptr), EAssertionFailed);
}

TEST_F(UiThemesTest, AcquireAndReleaseCount) {
  ExpectMessage([] { AcquireTheme("Nope"); }, "Unknown theme Nope");
  TUiTheme* a = AcquireTheme("stub");
  EXPECT_EQ(a->Name(), "Stub");
  TUiTheme* b = AcquireTheme("Stub");
  EXPECT_EQ(a, b);
  EXPECT_EQ(themesMade, 1);
  // A new theme hears once whether the application is active.
  auto& messages = static_cast<TStubTheme*>(a)->Messages;
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].Msg, UM_SYSTEMCHANGE);
  EXPECT_EQ(messages[0].WParam, static_cast<WPARAM>(Application->Active() ? 1 : 0));
  ReleaseTheme(b);
  EXPECT_EQ(b, a);  // still held once: the variable keeps it
  ReleaseTheme(b);
  EXPECT_EQ(b, nullptr);
  EXPECT_EQ(themesFreed, 1);
  // A null variable matches nothing: the bare message, not the one naming a theme.
  ExpectMessage([&] { ReleaseTheme(b); }, "Cannot release theme");
  TUiTheme* again = AcquireTheme("Stub");  // made anew after the last release
  EXPECT_EQ(themesMade, 2);
  ReleaseTheme(again);
}

TEST_F(UiThemesTest, SwitchingKeepsTheOnlyInstanceAndTellsListeners) {
  {
    TUiNexus nexus("Stub");
    EXPECT_EQ(UiNexus(), &nexus);
    TUiTheme* first = CurrentTheme;
    TRecorder listener;
    RegisterThemeListener(&listener);
    RegisterThemeListener(&listener);  // listed once
    SetCurrentThemeByName("STUB");
    EXPECT_EQ(CurrentTheme, first);
    EXPECT_EQ(themesMade, 1);
    EXPECT_EQ(themesFreed, 0);
    using P = std::pair<WPARAM, LPARAM>;
    EXPECT_EQ(Received(listener.Messages, UM_THEMECHANGE), (std::vector<P>{{1, 1}, {2, 1}, {3, 1}}));

    listener.Messages.clear();
    SetCurrentThemeByName("Missing");  // ignored
    EXPECT_TRUE(listener.Messages.empty());

    SetCurrentThemeByName("Other");
    EXPECT_EQ(GetCurrentThemeName(), "Other");
    EXPECT_EQ(GetSimpleItemTextColor(0x205), TColor(VT_STATUSBAR | ISF_DISABLED | ISF_PUSHED));
    EXPECT_EQ(themesFreed, 1);
    EXPECT_EQ(listener.Messages.size(), 3u);
    UnregisterThemeListener(&listener);
  }
  EXPECT_EQ(CurrentTheme, nullptr);
  EXPECT_EQ(UiNexus(), nullptr);
  EXPECT_EQ(GetSimpleItemTextColor(0), clNone);
  EXPECT_EQ(themesFreed, themesMade);
}

TEST_F(UiThemesTest, SystemChangesReachThemeListenersInThreePhases) {
  TUiNexus nexus("Stub");
  TRecorder listener;
  RegisterThemeListener(&listener);
  auto* theme = static_cast<TStubTheme*>(CurrentTheme);
  theme->Messages.clear();
  HWND manager = UiThemeManager()->Handle();
  SendMessageW(manager, WM_SYSCOLORCHANGE, 0, 0);
  using P = std::pair<WPARAM, LPARAM>;
  EXPECT_EQ(Received(listener.Messages, UM_THEMECHANGE), (std::vector<P>{{1, 0}, {2, 0}, {3, 0}}));
  EXPECT_EQ(Received(theme->Messages, UM_SYSTEMCHANGE), (std::vector<P>{{1, 0}, {2, 0}, {3, 0}}));
  listener.Messages.clear();
  SendMessageW(manager, WM_THEMECHANGED, 0, 0);
  SendMessageW(manager, WM_DISPLAYCHANGE, 32, 0);
  SendMessageW(manager, WM_ACTIVATEAPP, TRUE, 0);
  SendMessageW(manager, WM_ACTIVATEAPP, FALSE, 0);
  EXPECT_EQ(Received(listener.Messages, UM_THEMECHANGE),
            (std::vector<P>{{1, 0}, {2, 0}, {3, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}}));
  UnregisterThemeListener(&listener);
}

// A listener that answers with a fixed result, or leaves the result alone (-1).
class TAnswering : public TUiDispatcher {
 public:
  explicit TAnswering(int AAnswer) : Answer(AAnswer) {}
  void Dispatch(TMessage& Message) override {
    if (Answer >= 0) Message.Result = Answer;
  }
  int Answer;
};

// One message record goes round the listeners: the last answer given is the result.
TEST_F(UiThemesTest, BroadcastsReturnTheLastAnswerGiven) {
  TUiNexus nexus("Stub");
  const struct {
    std::vector<int> Answers;
    LRESULT Expected;
  } cases[] = {{{}, 0}, {{7}, 7}, {{7, -1}, 7}, {{7, 0}, 0}, {{-1, 5, -1}, 5}};
  for (const auto& c : cases) {
    std::vector<std::unique_ptr<TAnswering>> listeners;
    for (int a : c.Answers) listeners.push_back(std::make_unique<TAnswering>(a));
    for (auto& l : listeners) RegisterThemeListener(l.get());
    EXPECT_EQ(nexus.Broadcast(UM_THEMECHANGE, 3, 0), c.Expected) << c.Answers.size();
    for (auto& l : listeners) UnregisterThemeListener(l.get());
    TUiThemeManager* manager = UiThemeManager();
    std::vector<TObject*> saved = manager->Listeners();
    for (TObject* o : saved) manager->RemoveListener(o);
    for (auto& l : listeners) manager->AddListener(l.get());
    EXPECT_EQ(manager->Broadcast(UM_SYSTEMCHANGE, 4, 0), c.Expected) << c.Answers.size();
    for (auto& l : listeners) manager->RemoveListener(l.get());
    for (TObject* o : saved) manager->AddListener(o);
  }
}

TEST(UiThemeManager, SystemFactsWithVisualStylesOnAndOff) {
  TUiThemeManager* m = UiThemeManager();
  m->SystemUpdate();
  EXPECT_EQ(ThemesUsable, VisualStylesUsable());
  if (ThemesUsable) {
    EXPECT_NE(UiThemeHandle(ucButton), nullptr);
    EXPECT_NE(UiThemeHandle(ucToolbar), nullptr);
  }
  EXPECT_EQ(WhiteButtonFace, Sys(clBtnFace) == 0xFFFFFF);

  m->SetAllowThemes(false);
  m->SystemUpdate();
  EXPECT_FALSE(ThemesUsable);
  for (int i = 0; i < ucCount; ++i) EXPECT_EQ(UiThemeHandle(TUiThemeClassId(i)), nullptr);
  EXPECT_EQ(ToolbarFillColor, clBtnFace);
  m->SetAllowThemes(true);
  m->SystemUpdate();
  EXPECT_EQ(ThemesUsable, VisualStylesUsable());
}

TEST(UiThemeManager, TheThemedLayersShareOneAnswerAndFollowItsChanges) {
  TUiThemeManager* m = UiThemeManager();
  for (int fixed : {0, 1, -1}) {
    SetThemesActiveOverride(fixed);
    m->SystemUpdate();
    // The toolbar themes, the skinned controls and the small controls ask the same binding.
    EXPECT_EQ(ThemesUsable, ThemesActive()) << fixed;
    EXPECT_EQ(GetSkinType(thtWindows) == thtWindows, ThemesActive()) << fixed;
    if (fixed >= 0) {
      EXPECT_EQ(ThemesActive(), fixed == 1);
    }
    // The skinned controls' handles follow the answer without being told by a broadcast.
    EXPECT_EQ(SpThemeNexus()->Handle(TSpThemeNexus::tcTab) != nullptr, ThemesActive()) << fixed;
  }
  SetThemesActiveOverride(-1);
  m->SystemUpdate();
}

// A control that answers the view-type and background queries.
class TAnsweringControl : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  void Dispatch(TMessage& Message) override {
    if (Message.Msg == UM_GETVIEWTYPE) Message.Result = VT_MENUBAR;
    if (Message.Msg == UM_GETBACKGROUNDCOLOR) Message.WParam = 0x123456, Message.Result = 1;
  }
};

TEST(UiQueries, ViewTypesAndBackgroundColours) {
  TAnsweringControl answering(nullptr);
  TCustomControl plain(nullptr);
  plain.SetColor(clRed);
  EXPECT_EQ(GetWindowViewType(&answering), VT_MENUBAR);
  EXPECT_EQ(GetWindowViewType(&plain), 0);
  EXPECT_EQ(GetViewType(nullptr), 0);
  EXPECT_EQ(GetParentBackgroundColor(nullptr), clBtnFace);
  EXPECT_EQ(GetParentBackgroundColor(&answering), TColor(0x123456));
  EXPECT_EQ(GetParentBackgroundColor(&plain), clRed);
}

TEST(UiItemInfo, StateFlagsAndSimplifiedInfos) {
  TUiItemInfo info;
  info.Enabled = 1;
  info.HoverKind = 1;  // selected but disabled: not hot
  EXPECT_EQ(GetStateFlags(info), 0);
  const int kinds[][3] = {
      {0x000, VT_TOOLBAR, IO_TOOLBARSTYLE}, {0x100, VT_DOCKPANEL, 0}, {0x200, VT_STATUSBAR, 0}, {0x300, 0, 0}};
  for (const auto& k : kinds)
    for (int state = 0; state < 16; ++state) {
      TUiItemInfo s = SimplifiedItemInfo(k[0] | state);
      EXPECT_EQ(s.ViewType, k[1]);
      EXPECT_EQ(s.ItemOptions, static_cast<uint32_t>(k[2]));
      EXPECT_EQ(GetStateFlags(s), state);
    }
}

}  // namespace
