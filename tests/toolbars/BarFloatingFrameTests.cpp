// The frame a floating window sits in: its window styles, the parts its edges and corners
// answer, and its close button as the mouse passes over it and holds it down.
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

// Popup with a thin border, a thick one to size by when the window may be resized, a tool
// window; it keeps no clipping of its child, which fills its client area whole.
TEST(BarFloatingFrame, WindowStylesFollowResizable) {
  TDockForm f;
  f.Show();
  const DWORD watched = WS_POPUP | WS_BORDER | WS_THICKFRAME | WS_CLIPCHILDREN | WS_CAPTION | WS_CHILD;
  for (bool resizable : {true, false}) {
    auto* t = f.Toolbar("T", 2, f.Top);
    t->SetResizable(resizable);
    HWND frame = f.Float(t)->Handle();
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(frame, GWL_STYLE)) & watched,
              DWORD(WS_POPUP | WS_BORDER | (resizable ? WS_THICKFRAME : 0)))
        << resizable;
    EXPECT_TRUE(GetWindowLongW(frame, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    TDockForm::Free(t);
  }
}

// The corners reach the small caption's height less one plus the border from each corner,
// shown caption or not; the edges of a frame of fixed size answer as the window itself does.
TEST(BarFloatingFrame, CornersAndEdgesAnswerTheirParts) {
  TDockForm f;
  f.Show();
  constexpr int ByDefault = -1;  // the default window procedure's answer, which is no caption
  const struct {
    bool ShowCaption, Resizable;
    const char *X, *Y;
    int Code;
  } cases[] = {
      {false, true, "1", "1", HTTOPLEFT},      {false, true, "Z-1", "1", HTTOPLEFT},
      {false, true, "Z", "1", HTTOP},          {false, true, "1", "Z-1", HTTOPLEFT},
      {false, true, "1", "Z", HTLEFT},         {false, true, "W-Z", "H-1", HTBOTTOMRIGHT},
      {false, true, "W-Z-1", "H-1", HTBOTTOM}, {false, true, "1", "H-Z", HTBOTTOMLEFT},
      {true, true, "Z-1", "1", HTTOPLEFT},     {true, true, "Z", "1", HTTOP},
      {true, true, "W-1", "Z-1", HTTOPRIGHT},  {true, false, "0", "M", ByDefault},
      {true, false, "M", "H-1", ByDefault},    {false, false, "W-1", "M", ByDefault},
  };
  for (const auto& c : cases) {
    auto* w = new TPlainWindow(&f.Form);
    w->SetShowCaption(c.ShowCaption);
    w->SetResizable(c.Resizable);
    w->SetParent(f.Top);
    TBarFloatingWindowParent* frame = f.Float(w);
    ASSERT_TRUE(frame && frame->HandleAllocated());
    const TRect fr = f.ScreenRect(frame);
    const int zone = GetSystemMetrics(SM_CYSMCAPTION) - 1 + w->GetFloatingBorderSize().X;
    const TPoint p{fr.Left + Along(c.X, fr.Width(), zone), fr.Top + Along(c.Y, fr.Height(), zone)};
    const int code = frame->HitTest(p);
    const std::string at = std::to_string(c.ShowCaption) + " " + c.X + "," + c.Y;
    if (c.Code == ByDefault) {
      EXPECT_EQ(code, DefWindowProcW(frame->Handle(), WM_NCHITTEST, 0, MAKELPARAM(p.X, p.Y))) << at;
      EXPECT_NE(code, HTBARCAPTION) << at;
    } else {
      EXPECT_EQ(code, c.Code) << at;
    }
    EXPECT_EQ(SendMessageW(frame->Handle(), WM_NCHITTEST, 0, MAKELPARAM(p.X, p.Y)), code);
    delete w;
  }
}

// Hot while the mouse is over it; held down, pushed only while the mouse is over it, and a
// release elsewhere closes nothing.
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
  const struct {
    UINT Msg;
    WPARAM Code;
    bool Hot;
  } moves[] = {{WM_NCMOUSEMOVE, HTBARCLOSEBUTTON, true},
               {WM_NCMOUSEMOVE, HTBARCAPTION, false},
               {WM_NCMOUSEMOVE, HTBARCLOSEBUTTON, true},
               {WM_NCMOUSELEAVE, 0, false}};
  for (const auto& m : moves) {
    SendMessageW(frame->Handle(), m.Msg, m.Code, onButton);
    EXPECT_EQ(frame->CloseButtonHot(), m.Hot) << m.Code;
    const COLORREF edge = FramePixel(frame, corner);
    EXPECT_TRUE(m.Hot ? edge != face && edge != shadow : edge == face) << m.Code << std::hex << " " << edge;
  }
  // The mouse messages of the tracking come in the frame's client coordinates.
  const TPoint b = t->GetFloatingBorderSize();
  const int cx = close.Left + 3 - b.X, cy = close.Top + 3 - b.Y - GetSystemMetrics(SM_CYSMCAPTION);
  auto moveTo = [&](UINT Msg, int X, int Y) {
    return [=] { return PostMessageW(frame->Handle(), Msg, MK_LBUTTON, MAKELPARAM(cx + X, cy + Y)) != FALSE; };
  };
  std::vector<std::pair<bool, COLORREF>> seen;  // pushed, and the button's edge
  auto look = [&] { return seen.emplace_back(frame->CloseButtonPushed(), FramePixel(frame, corner)), true; };
  TMenuScript script({look, moveTo(WM_MOUSEMOVE, -40, 30), look, moveTo(WM_MOUSEMOVE, 0, 0), look,
                      moveTo(WM_MOUSEMOVE, -40, 0), look, moveTo(WM_LBUTTONUP, -40, 0)});
  SendMessageW(frame->Handle(), WM_NCLBUTTONDOWN, HTBARCLOSEBUTTON, onButton);
  ASSERT_EQ(seen.size(), 4u);
  for (size_t i = 0; i < seen.size(); ++i) {
    EXPECT_EQ(seen[i].first, i % 2 == 0) << i;
    EXPECT_EQ(seen[i].second == shadow, i % 2 == 0) << i << " " << std::hex << seen[i].second;
  }
  EXPECT_FALSE(frame->CloseButtonPushed());
  EXPECT_TRUE(t->Visible()) << "let go away from the button";
  TMenuScript closing({moveTo(WM_LBUTTONUP, 0, 0)});  // let go over it: the window closes
  SendMessageW(frame->Handle(), WM_NCLBUTTONDOWN, HTBARCLOSEBUTTON, onButton);
  EXPECT_FALSE(t->Visible());
}

// Closing the frame (Alt+F4 on it) closes its form, before the close returns.
TEST(BarFloatingFrame, ClosingTheFrameClosesItsForm) {
  TDockForm f;
  f.Show();
  auto* t = f.Toolbar("T", 2, f.Top);
  TBarFloatingWindowParent* frame = f.Float(t);
  ASSERT_TRUE(frame && frame->HandleAllocated());
  int closes = 0;  // the test keeps its form
  f.Form.OnClose = TCloseEvent::FromFunction(
      [](void* Closes, TObject*, TCloseAction& Action) { ++*static_cast<int*>(Closes), Action = caNone; }, &closes);
  SendMessageW(frame->Handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(closes, 1);
  EXPECT_TRUE(t->Visible()) << "the frame itself hides nothing";
}
