// Themed toolbars, docks and popups: colours, erasing, theme notices, snapping of floating
// toolbars, popup shadows and the choice of menu animation.
#include <gtest/gtest.h>

#include "framework/Exceptions.h"
#include "framework/Forms.h"
#include "tests/framework/MessagePump.h"
#include "tests/themes/UiItemsTestSupport.h"
#include "themes/UiShadows.h"

namespace {

// A control that records the parent-colour notices it gets.
class TColorListener : public TCustomControl {
 public:
  explicit TColorListener(TComponent* AOwner) : TCustomControl(AOwner) {}
  int Notices = 0;
  TColor LastColor = clNone;
  void WndProc(TMessage& Message) override {
    if (Message.Msg == CM_PARENTCOLORCHANGED) {
      ++Notices;
      LastColor = TColor(static_cast<int32_t>(Message.LParam));
    }
    TCustomControl::WndProc(Message);
  }
};

struct TThemedForm {
  TThemedForm() : swap(&theme), Form(nullptr, CreateNew) {
    Form.SetBounds(60, 60, 400, 300);
    Dock = new TUiDock(&Form);
    Dock->SetParent(&Form);
    Toolbar = new TUiToolbar(&Form);
    Toolbar->SetHideWhenInactive(false);
  }
  ~TThemedForm() {
    delete Toolbar;
    delete Dock;
  }
  TRecordingTheme theme;
  TThemeSwap swap;
  TForm Form;
  TUiDock* Dock;
  TUiToolbar* Toolbar;
};

TRect Bounds4(int L, int T, int W, int H) { return {L, T, L + W, T + H}; }

}  // namespace

TEST(UiToolbar, EffectiveColourByPlace) {
  TThemedForm f;
  f.Form.SetColor(clYellow);
  f.Toolbar->SetParent(&f.Form);
  EXPECT_EQ(f.Toolbar->EffectiveColor(), clYellow);  // standalone: the form's colour
  f.Toolbar->SetColor(clRed);
  EXPECT_EQ(f.Toolbar->EffectiveColor(), clRed);
  f.Toolbar->SetColor(clNone);
  f.Toolbar->SetParent(f.Dock);
  ASSERT_TRUE(f.Toolbar->Docked());
  EXPECT_EQ(GetParentBackgroundColor(f.Toolbar), f.theme.GetViewColor(VT_TOOLBAR));
  f.Toolbar->SetMenuBar(true);
  EXPECT_EQ(GetWindowViewType(f.Toolbar), VT_MENUBAR | VT_RESIZABLE);
  f.Toolbar->SetSnapDistance(-4);
  EXPECT_EQ(f.Toolbar->SnapDistance(), 0);
}

// The view type tells the kind of bar, a resizable one, and items that paint opaque faces
// (switched on, or left to the toolbar while it stands on neither a dock nor a frame).
TEST(UiToolbar, ViewTypeByKindSizeAndItemTransparency) {
  const struct {
    bool MenuBar, Resizable, Docked;
    TUiItemTransparency Transparency;
    int Expected;
  } cases[] = {
      {false, false, true, itAuto, 0x1001},    {true, false, true, itAuto, 0x1002},
      {false, true, true, itAuto, 0x1401},     {false, false, false, itAuto, 0x1201},
      {false, false, true, itDisable, 0x1201}, {false, false, false, itEnable, 0x1001},
  };
  for (const auto& c : cases) {
    TThemedForm f;
    f.Toolbar->SetParent(c.Docked ? static_cast<TWinControl*>(f.Dock) : &f.Form);
    f.Toolbar->SetMenuBar(c.MenuBar);
    f.Toolbar->SetResizable(c.Resizable);
    f.Toolbar->SetItemTransparency(c.Transparency);
    EXPECT_EQ(GetWindowViewType(f.Toolbar), c.Expected) << c.MenuBar << c.Resizable << c.Docked << c.Transparency;
  }
}

TEST(UiToolbar, ErasePaintsTheDockBackgroundFirstUnlessTheThemeRefuses) {
  TThemedForm f;
  f.Toolbar->SetParent(f.Dock);
  f.Form.Show();
  PumpMessagesFor(20);
  TItemPicture pic(200, 40);
  const struct {
    bool DockBackground, Refuse;
    const char* Expected;
  } cases[] = {{true, false, "Dock BackgndT"}, {true, true, "Backgnd"}, {false, false, "Backgnd"}};
  for (const auto& c : cases) {
    f.theme.BooleanMetrics = {{5, c.DockBackground}, {7, c.Refuse}};
    f.theme.Calls.clear();
    f.Toolbar->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(pic.Canvas()->Handle()), 0);
    EXPECT_EQ(f.theme.Names(), c.Expected) << c.DockBackground << c.Refuse;
  }
  f.Form.Hide();
}

TEST(UiToolbar, ThemeNoticeAndColourChangeReachChildControls) {
  TThemedForm f;
  f.Toolbar->SetParent(f.Dock);
  auto* child = new TColorListener(&f.Form);
  child->SetParent(f.Toolbar);
  int before = child->Notices;
  EXPECT_GE(before, 1);  // inserted while the toolbar's colour is clNone
  f.Toolbar->Perform(UM_THEMECHANGE, 1, 1);
  f.Toolbar->Perform(UM_THEMECHANGE, 3, 1);
  EXPECT_EQ(child->Notices, before + 1);
  EXPECT_EQ(child->LastColor, f.theme.GetViewColor(VT_TOOLBAR));
  f.Toolbar->SetColor(clLime);
  EXPECT_EQ(child->LastColor, clLime);
  delete child;
}

namespace {

// A theme that notes the close button's state and the brush each time it paints a frame.
struct TFrameTheme : TRecordingTheme {
  std::vector<int> States;
  std::vector<TColor> Brushes;
  void PaintToolbarNCArea(TCanvas* C, const TRect& R, const TUiToolbarInfo& Info) override {
    States.push_back(Info.CloseButtonState), Brushes.push_back(C->Brush()->Color());
    TRecordingTheme::PaintToolbarNCArea(C, R, Info);
  }
  void PaintFloatingBorder(TCanvas*, const TRect&, const TUiFloatingBorderInfo& Info) override {
    States.push_back(Info.CloseButtonState);
  }
  std::vector<int> Painted(HWND Wnd) {
    States.clear(), Brushes.clear();
    SendMessageW(Wnd, WM_NCPAINT, 1, 0);
    return States;
  }
  // The first state painted (in the tracking loop) while the mouse holds the button down and lets go away from it.
  int Held(HWND Wnd) {
    States.clear();
    PostMessageW(Wnd, WM_NCPAINT, 1, 0);
    PostMessageW(Wnd, WM_LBUTTONUP, 0, MAKELPARAM(-100, -100));
    SendMessageW(Wnd, WM_NCLBUTTONDOWN, HTBARCLOSEBUTTON, 0);
    return States.empty() ? -1 : States.front();
  }
};

}  // namespace

// The docked frame tells the theme the close button's state: shown, and held down while the
// mouse tracks it.
TEST(UiToolbar, DockedCloseButtonStateReachesTheTheme) {
  TFrameTheme theme;
  TThemedForm f;
  TThemeSwap swap(&theme);
  f.Toolbar->SetParent(f.Dock);
  f.Toolbar->SetCloseButtonWhenDocked(true);
  f.Form.Show();
  PumpMessagesFor(20);
  EXPECT_EQ(std::tuple(theme.Painted(f.Toolbar->Handle()), theme.Held(f.Toolbar->Handle())),
            std::tuple(std::vector<int>{1}, 1 | 4));
  EXPECT_TRUE(f.Toolbar->Visible());  // not closed: the mouse was let go elsewhere
  f.Form.Hide();
}

// The floating frame tells the theme its close button's state too: hot under the mouse, pushed while held.
TEST(UiToolbar, FloatingCloseButtonStateReachesTheTheme) {
  TFrameTheme theme;
  TThemedForm f;
  TThemeSwap swap(&theme);
  f.Toolbar->SetParent(f.Dock);
  f.Form.Show();
  f.Toolbar->SetFloating(true);
  PumpMessagesFor(20);
  TBarFloatingWindowParent* frame = f.Toolbar->FloatingParent();
  ASSERT_TRUE(frame && frame->HandleAllocated());
  HWND wnd = frame->Handle();
  for (auto [msg, code, state] : {std::tuple{WM_NCMOUSEMOVE, HTBARCLOSEBUTTON, 1 | 2}, {WM_NCMOUSELEAVE, 0, 1}}) {
    SendMessageW(wnd, msg, code, 0);
    const std::vector<int> painted = theme.Painted(wnd);
    EXPECT_TRUE(!painted.empty() && painted.back() == state) << msg;
  }
  EXPECT_EQ(theme.Held(wnd), 1 | 4);
  EXPECT_TRUE(f.Toolbar->Visible());
  f.Form.Hide();
}

TEST(UiToolbar, FloatingWindowSnapsToTheWorkArea) {
  const TRect work{0, 0, 1000, 800};
  const struct {
    TRect Window;
    int Distance;
    TPoint Expected;
  } cases[] = {
      {Bounds4(5, 300, 100, 30), 10, {0, 300}},      // left edge
      {Bounds4(895, 300, 100, 30), 10, {900, 300}},  // right edge
      {Bounds4(400, 765, 100, 30), 10, {400, 770}},  // bottom edge
      {Bounds4(400, 8, 100, 30), 10, {400, 0}},      // top edge
      {Bounds4(3, 300, 994, 30), 10, {0, 300}},      // both sides near: the left edge wins
      {Bounds4(20, 300, 100, 30), 10, {20, 300}},    // too far
      {Bounds4(5, 5, 100, 30), 0, {5, 5}},           // no snapping
  };
  for (const auto& c : cases) EXPECT_EQ(SnapToWorkArea(c.Window, work, c.Distance), c.Expected) << c.Window.Left;
}

TEST(UiDock, BackgroundFromThemeParentOrColour) {
  TThemedForm f;
  const struct {
    bool ThemeBackground, UseParent;
    TColor Color;
    bool Using;
  } cases[] = {{true, false, clNone, true}, {true, true, clNone, false}, {true, false, clRed, false}, {}};
  TItemPicture pic(400, 40);
  for (const auto& c : cases) {
    f.theme.BooleanMetrics = {{5, c.ThemeBackground}};
    f.Dock->SetUseParentBackground(c.UseParent);
    f.Dock->SetColor(c.Color);
    EXPECT_EQ(f.Dock->UsingBackground(), c.Using);
    f.theme.Calls.clear();
    f.Dock->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(pic.Canvas()->Handle()), 0);
    EXPECT_EQ(f.theme.Names(), c.Using ? "Dock" : "");
  }
}

TEST(UiPopupWindow, BorderShadowAndViewTypeFromTheTheme) {
  struct TShadowTheme : TRecordingTheme {
    int Shadow = 1;
    int GetPopupShadowType() override { return Shadow; }
    TPoint GetViewBorder(int) override { return {5, 4}; }
  } theme;
  TThemeSwap swap(&theme);
  TUiCustomItem item(nullptr);
  item.Add(new TUiCustomItem(nullptr));
  for (int shadow : {1, 2}) {
    theme.Shadow = shadow;
    std::unique_ptr<TBarPopupWindow> w(item.PopupWindowClass()(nullptr, nullptr, &item, false));
    auto* popup = dynamic_cast<TUiPopupWindow*>(w.get());
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(GetWindowViewType(popup), VT_POPUPMENU);
    popup->SetBounds(100, 100, 120, 60);
    popup->HandleNeeded();
    wchar_t cls[64]{};
    GetClassNameW(popup->Handle(), cls, 64);
    BOOL system = FALSE;
    SystemParametersInfoW(SPI_GETDROPSHADOW, 0, &system, 0);
    EXPECT_EQ(WideString(cls).back() == L'S', shadow == 1 && system) << shadow;
    RECT wr{}, cr{};
    GetWindowRect(popup->Handle(), &wr);
    GetClientRect(popup->Handle(), &cr);
    EXPECT_EQ((wr.right - wr.left) - cr.right, 10);
    EXPECT_EQ((wr.bottom - wr.top) - cr.bottom, 8);
    popup->Perform(WM_BAR_POPUPNOTICE, 3, 0);
    EXPECT_EQ(popup->Shadows() != nullptr, shadow == 2);
    theme.Calls.clear();
    TItemPicture pic(120, 60);
    popup->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(pic.Canvas()->Handle()), 0);
    EXPECT_EQ(theme.Names(), "Backgnd");
    EXPECT_EQ(popup->View()->BackgroundColor(), theme.GetViewColor(VT_POPUPMENU));
    // A frame to be printed without a device context is a failed assertion.
    EXPECT_THROW(popup->Perform(WM_PRINT, 0, PRF_NONCLIENT), EAssertionFailed);
  }
  // A designed popup never casts the drawn shadows.
  theme.Shadow = 2;
  std::unique_ptr<TBarPopupWindow> designed(item.PopupWindowClass()(nullptr, nullptr, &item, false));
  designed->SetDesigning(true);
  designed->SetBounds(100, 100, 120, 60);
  designed->HandleNeeded();
  designed->Perform(WM_BAR_POPUPNOTICE, 3, 0);
  EXPECT_EQ(dynamic_cast<TUiPopupWindow*>(designed.get())->Shadows(), nullptr);
  item.SetToolBoxPopup(true);
  std::unique_ptr<TBarPopupWindow> bw(item.PopupWindowClass()(nullptr, nullptr, &item, false));
  EXPECT_EQ(GetWindowViewType(bw.get()), VT_TOOLBOXPOPUP);
  delete item.Items(0);
}

TEST(UiMenuAnimation, StylesFallBackToWhatThePlatformOffers) {
  using F = TUiMenuAnimation::TFacts;
  const struct {
    int Requested;
    F Facts;
    int Style, Kind;
  } cases[] = {
      {0, {true, false, true, true}, 0, 0},    {1, {true, false, true, true}, 1, 3},
      {1, {true, false, true, false}, 1, 2},   {1, {true, false, false, true}, 0, 0},
      {3, {true, false, false, false}, 3, 1},  {4, {true, false, false, false}, 4, 2},
      {5, {true, false, false, false}, 5, 3},  {5, {false, true, false, false}, 4, 2},  // no fade on 98
      {4, {false, false, true, true}, 0, 0},   {5, {false, false, true, true}, 0, 0},   // old systems: none
      {2, {true, false, false, false}, 2, -1}, {9, {true, false, false, false}, 5, 3},
  };
  for (const auto& c : cases) {
    TUiMenuAnimation a(c.Requested);
    a.SetFacts(&c.Facts);
    EXPECT_EQ(a.Style(), c.Style) << c.Requested;
    if (c.Kind >= 0) {
      EXPECT_EQ(a.AnimationKind(), c.Kind) << c.Requested;
    }
  }
  TUiMenuAnimation random(2);  // random kinds, without fade on Windows 98
  F nt{true, false, false, false}, win98{false, true, false, false};
  random.SetFacts(&nt);
  EXPECT_EQ(random.AnimationKind([](int N) { return N - 1; }) * 10 + random.AnimationKind([](int) { return 0; }), 31);
  random.SetFacts(&win98);
  EXPECT_EQ(random.AnimationKind([](int N) { return N - 1; }), 2);
  EXPECT_EQ(UiMenuAnimation()->RequestedStyle(), 1);
}

// The frame ring is filled with the toolbar's colour, or nothing for clNone; never with the canvas's own white.
TEST(UiToolbar, TheFrameRingIsFilledWithTheToolbarsColour) {
  for (TColor color : {clNone, clRed}) {
    TFrameTheme theme;
    TThemedForm f;
    TThemeSwap swap(&theme);
    f.Toolbar->SetColor(color);
    f.Toolbar->SetParent(f.Dock);
    f.Form.Show();
    PumpMessagesFor(20);
    theme.Painted(f.Toolbar->Handle());
    ASSERT_FALSE(theme.Brushes.empty()) << color;
    EXPECT_EQ(theme.Brushes.back(), color);
    f.Form.Hide();
  }
}
