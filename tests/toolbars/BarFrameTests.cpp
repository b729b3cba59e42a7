// The frames of docked and floating windows, and the loops that follow the mouse over them.
#include <gtest/gtest.h>

#include <cctype>

#include "tests/toolbars/BarDockTestSupport.h"

namespace {

// A dockable window of a fixed size that keeps the frame's corners (toolbars give them up).
class TPlainWindow : public TBarCustomDockableWindow {
 public:
  using TBarCustomDockableWindow::TBarCustomDockableWindow;
  void CalculateSize(bool, int, TPoint& NewSize, TBarDock*, bool) override { NewSize = {120, 60}; }
  TPoint GetBaseSize() override { return {120, 60}; }
};

COLORREF FramePixel(TBarFloatingWindowParent* Frame, TPoint P) {
  UpdateWindow(Frame->Handle());
  TWholeWindowDC dc(Frame->Handle());
  return GetPixel(dc.Get(), P.X, P.Y);
}

// A place along a frame Size long as "W-Z-1" reads: W or H the size, M its middle, Z a corner zone.
int Along(const char* E, int Size, int Z) {
  int v = 0;
  for (int sign = 1; *E; sign = *E++ == '-' ? -1 : 1)
    if (*E != '-') v += sign * (*E == 'Z' ? Z : *E == 'M' ? Size / 2 : std::isdigit(*E) ? *E - '0' : Size);
  return v;
}

}  // namespace

// The grip runs along the whole client extent, also beside a docked close button drawn over its start.
TEST(BarDockedFrame, GripBarsRunAlongTheClientAreaBesideACloseButton) {
  TDockForm f;
  f.Show();
  const COLORREF face = ColorToRGB(clBtnFace);
  for (auto [style, barLeft] : {std::pair{dhSingle, 7}, {dhDouble, 5}}) {  // the first bar's left edge
    auto* t = f.Toolbar("T", 2, f.Top);
    t->SetDragHandleStyle(style);
    t->SetCloseButtonWhenDocked(true);
    PumpMessagesFor(20);
    t->Update();
    TWholeWindowDC dc(t->Handle());
    const int bottom = t->Height() - 2 - (style == dhSingle ? 1 : 0);
    for (int y : {14, 15, bottom - 1}) EXPECT_NE(GetPixel(dc.Get(), barLeft, y), face) << style << " y " << y;
    EXPECT_EQ(GetPixel(dc.Get(), barLeft, bottom), face) << style;
    TDockForm::Free(t);
  }
}

// A window of exactly its docked size entering a dock has the docked frame at once.
TEST(BarDockedFrame, AWindowEnteringADockTakesItsFrameAtOnce) {
  TDockForm f;
  f.Show();
  auto* t = f.Toolbar("T", 3, nullptr);
  t->SetAutoResize(false);
  t->SetParent(&f.Form);
  t->SetBounds(0, 0, 79, 26);
  ASSERT_EQ(t->ClientWidth(), 79);
  t->SetParent(f.Top);
  EXPECT_EQ(t->BoundsRect(), Bounds(0, 0, 79, 26));
  RECT client{};
  GetClientRect(t->Handle(), &client);
  EXPECT_TRUE(client.right == 69 && client.bottom == 22) << client.right << "x" << client.bottom;  // less ring and grip
}

// A toolbar moving to a row above another over the dock's background paints itself once the other has moved down.
TEST(BarDockedFrame, AMoveOverTheBackgroundIsPaintedOnceTheRowsStand) {
  struct TWatching : TBarCustomToolbar {  // notes where another window is each time it prints itself
    using TBarCustomToolbar::TBarCustomToolbar;
    TControl* Watched = nullptr;
    std::vector<int> Tops;
    void WndProc(TMessage& M) override {
      if (M.Msg == WM_PRINT && Watched) Tops.push_back(Watched->Top());
      TBarCustomToolbar::WndProc(M);
    }
  };
  TDockForm f;
  TBlankBackground blank(nullptr);
  f.Top->SetBackground(&blank);
  auto* a = f.Toolbar("A", 3, f.Top);
  auto* t = f.Toolbar<TWatching>("T", 2, nullptr, 1);
  t->SetFullSize(true);
  t->SetParent(f.Top);
  f.Show();
  ASSERT_EQ(t->Top(), 26);
  t->Watched = a;
  t->SetDockRow(0);  // a full-size row of its own before A's
  EXPECT_TRUE(t->Top() == 0 && a->Top() == 26);
  EXPECT_EQ(t->Tops, std::vector<int>(std::max<size_t>(t->Tops.size(), 1), 26));
  f.Top->SetBackground(nullptr);
}

// Popup with a thin border, a thick one to size by when resizable, a tool window; no clipping of its child.
TEST(BarFloatingFrame, WindowStylesFollowResizable) {
  TDockForm f;
  f.Show();
  const DWORD watched = WS_POPUP | WS_BORDER | WS_THICKFRAME | WS_CLIPCHILDREN | WS_CAPTION | WS_CHILD;
  for (bool resizable : {true, false}) {
    auto* t = f.Toolbar("T", 2, f.Top);
    t->SetResizable(resizable);
    HWND frame = f.Float(t)->Handle();
    const DWORD style = WS_POPUP | WS_BORDER | (resizable ? WS_THICKFRAME : 0);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(frame, GWL_STYLE)) & watched, style) << resizable;
    EXPECT_TRUE(GetWindowLongW(frame, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    TDockForm::Free(t);
  }
}

// Corners reach the small caption's height - 1 + the border, caption or not; fixed frames' edges answer as windows.
TEST(BarFloatingFrame, CornersAndEdgesAnswerTheirParts) {
  TDockForm f;
  f.Show();
  constexpr int ByDefault = -1;  // the default window procedure's answer, which is no caption
  const std::tuple<bool, bool, const char*, const char*, int> cases[] = {
      {false, true, "1", "1", HTTOPLEFT},      {false, true, "Z-1", "1", HTTOPLEFT},
      {false, true, "Z", "1", HTTOP},          {false, true, "1", "Z-1", HTTOPLEFT},
      {false, true, "1", "Z", HTLEFT},         {false, true, "W-Z", "H-1", HTBOTTOMRIGHT},
      {false, true, "W-Z-1", "H-1", HTBOTTOM}, {false, true, "1", "H-Z", HTBOTTOMLEFT},
      {true, true, "Z-1", "1", HTTOPLEFT},     {true, true, "Z", "1", HTTOP},
      {true, true, "W-1", "Z-1", HTTOPRIGHT},  {true, false, "0", "M", ByDefault},
      {true, false, "M", "H-1", ByDefault},    {false, false, "W-1", "M", ByDefault},
  };
  for (auto [caption, resizable, x, y, part] : cases) {
    auto* w = new TPlainWindow(&f.Form);
    w->SetShowCaption(caption);
    w->SetResizable(resizable);
    w->SetParent(f.Top);
    TBarFloatingWindowParent* frame = f.Float(w);
    ASSERT_TRUE(frame && frame->HandleAllocated());
    const TRect fr = f.ScreenRect(frame);
    const int zone = GetSystemMetrics(SM_CYSMCAPTION) - 1 + w->GetFloatingBorderSize().X;
    const TPoint p{fr.Left + Along(x, fr.Width(), zone), fr.Top + Along(y, fr.Height(), zone)};
    const int code = frame->HitTest(p);
    const LRESULT byDefault = DefWindowProcW(frame->Handle(), WM_NCHITTEST, 0, MAKELPARAM(p.X, p.Y));
    EXPECT_EQ(code, part == ByDefault ? byDefault : part) << caption << " " << x << "," << y;
    EXPECT_TRUE(part != ByDefault || code != HTBARCAPTION) << x << "," << y;
    EXPECT_EQ(SendMessageW(frame->Handle(), WM_NCHITTEST, 0, MAKELPARAM(p.X, p.Y)), code);
    delete w;
  }
}

// Hot under the mouse; pushed only while held over it, a release elsewhere closing nothing; Alt+F4 closes the form.
TEST(BarFloatingFrame, CloseButtonIsHotUnderTheMouseAndPushedOnlyWhileHeldOverIt) {
  TMenuSettings settings;
  TDockForm f;
  f.Show();
  auto* t = f.Toolbar("T", 3, f.Top);
  TBarFloatingWindowParent* frame = f.Float(t);
  ASSERT_TRUE(frame && frame->HandleAllocated());
  const TRect close = frame->CloseButtonRect(), fr = f.ScreenRect(frame);
  const TPoint corner{close.Left, close.Top + 4};  // on the button's left edge
  const COLORREF face = ColorToRGB(clBtnFace), shadow = ColorToRGB(clBtnShadow);
  const LPARAM onButton = MAKELPARAM(fr.Left + close.Left + 3, fr.Top + close.Top + 3);
  const std::tuple<UINT, WPARAM, bool> moves[] = {
      {WM_NCMOUSEMOVE, HTBARCLOSEBUTTON, true},
      {WM_NCMOUSEMOVE, HTBARCAPTION, false},
      {WM_NCMOUSEMOVE, HTBARCLOSEBUTTON, true},
      {WM_NCMOUSELEAVE, 0, false},
  };
  for (auto [msg, code, hot] : moves) {
    SendMessageW(frame->Handle(), msg, code, onButton);
    EXPECT_EQ(frame->CloseButtonHot(), hot) << code;
    const COLORREF edge = FramePixel(frame, corner);
    EXPECT_TRUE(hot ? edge != face && edge != shadow : edge == face) << code << std::hex << " " << edge;
  }
  // The mouse messages of the tracking come in the frame's client coordinates.
  const TPoint b = t->GetFloatingBorderSize();
  const int cx = close.Left + 3 - b.X, cy = close.Top + 3 - b.Y - GetSystemMetrics(SM_CYSMCAPTION);
  auto moveTo = [&](UINT Msg, int X, int Y) {
    return [=] { return PostMessageW(frame->Handle(), Msg, MK_LBUTTON, MAKELPARAM(cx + X, cy + Y)) != FALSE; };
  };
  std::vector<int> seen;  // at each look: 2 if pushed, plus 1 if the button's edge is in the shadow
  auto look = [&] { return seen.push_back(2 * frame->CloseButtonPushed() + (FramePixel(frame, corner) == shadow)), 1; };
  TMenuScript script({look, moveTo(WM_MOUSEMOVE, -40, 30), look, moveTo(WM_MOUSEMOVE, 0, 0), look,
                      moveTo(WM_MOUSEMOVE, -40, 0), look, moveTo(WM_LBUTTONUP, -40, 0)});
  SendMessageW(frame->Handle(), WM_NCLBUTTONDOWN, HTBARCLOSEBUTTON, onButton);
  EXPECT_EQ(seen, (std::vector<int>{3, 0, 3, 0}));  // pushed over the button only
  EXPECT_FALSE(frame->CloseButtonPushed());
  EXPECT_TRUE(t->Visible()) << "let go away from the button";
  int closes = 0;  // closing the frame (Alt+F4) closes its form at once; the test keeps its form
  f.Form.OnClose = TCloseEvent::FromFunction(
      [](void* Closes, TObject*, TCloseAction& Action) { ++*static_cast<int*>(Closes), Action = caNone; }, &closes);
  SendMessageW(frame->Handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(closes, 1);
  EXPECT_TRUE(t->Visible()) << "the frame itself hides nothing";
  TMenuScript closing({moveTo(WM_LBUTTONUP, 0, 0)});  // let go over it: the window closes
  SendMessageW(frame->Handle(), WM_NCLBUTTONDOWN, HTBARCLOSEBUTTON, onButton);
  EXPECT_FALSE(t->Visible());
}

// The loops that drag, size or hold a close button end at once when a handler they dispatch to frees the window.
TEST(BarDockLoop, AWindowFreedByAKeyHandlerEndsItsLoopAtOnce) {
  enum TStart { grip, clientArea, caption, edge, dockedClose, frameClose };
  TMenuSettings settings;
  for (TStart start : {grip, clientArea, caption, edge, dockedClose, frameClose}) {
    TDockForm f;
    auto* t = f.Toolbar("T", 2, f.Top);
    t->SetFullSize(true);  // room in the client area where no button is
    t->SetCloseButtonWhenDocked(start == dockedClose);
    auto* field = new TCustomControl(&f.Form);  // whose key handler frees the toolbar
    field->SetParent(&f.Form);
    field->OnKeyDown = TKeyEvent::FromFunction(
        [](void* T, TObject*, Word& K, TShiftState) {
          K == 'A' ? TDockForm::Free(static_cast<TBarCustomToolbar*>(T)) : void();
        },
        t);
    f.Show();
    const bool floats = start == caption || start == edge || start == frameClose;
    TBarFloatingWindowParent* frame = floats ? f.Float(t) : nullptr;
    ASSERT_EQ(frame && frame->HandleAllocated(), floats) << start;
    bool goneOn = false;
    std::vector<std::function<bool()>> steps{[&] { return PostMessageW(field->Handle(), WM_KEYDOWN, 'A', 0) != FALSE; },
                                             [&] { return goneOn = true; },  // the loop still ran after the window went
                                             PostToCapture(WM_LBUTTONUP)};
    const TRect r = f.ScreenRect(frame ? static_cast<TWinControl*>(frame) : t),
                close = frame ? frame->CloseButtonRect() : TRect{};
    const TPoint b = t->GetFloatingBorderSize(), grab[] = {{r.Left + 3, r.Top + 10},
                                                           t->ClientToScreen({150, 10}),
                                                           {r.Left + b.X + 5, r.Top + b.Y + 3},
                                                           {r.Right - 1, r.Top + 15},
                                                           {r.Left + 5, r.Top + 5},
                                                           {r.Left + close.Left + 3, r.Top + close.Top + 3}};
    const int hit[] = {HTBARDRAGHANDLE, 0, HTBARCAPTION, HTRIGHT, HTBARCLOSEBUTTON, HTBARCLOSEBUTTON};
    if (start != clientArea) {
      DragFrom(frame ? frame->Handle() : t->Handle(), hit[start], grab[start], steps);
    } else {
      SetCursorPos(grab[start].X, grab[start].Y);
      TMenuScript script(steps);
      SendMessageW(t->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(150, 10));
    }
    EXPECT_TRUE(!goneOn && !GetCapture()) << start;
    EXPECT_TRUE(f.Top->WindowList().empty() && !f.Form.FindComponent("T")) << start;
  }
}
