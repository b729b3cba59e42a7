// The frame a floating window sits in: its window styles, the parts its edges and corners
// answer, and its close button as the mouse passes over it and holds it down.
#include <gtest/gtest.h>

#include "tests/toolbars/BarDockTestSupport.h"

namespace {

// A dockable window of a fixed size that keeps the frame's corners (toolbars give them up).
class TPlainWindow : public TBarCustomDockableWindow {
 public:
  using TBarCustomDockableWindow::TBarCustomDockableWindow;
  void CalculateSize(bool, int, TPoint& NewSize, TBarDock*, bool) override { NewSize = {120, 60}; }
  TPoint GetBaseSize() override { return {120, 60}; }
};

// Floats W at a place of the screen where nothing covers it.
TBarFloatingWindowParent* FloatAt(TDockForm& F, TBarCustomDockableWindow* W) {
  W->SetHideWhenInactive(false);
  W->SetFloatingPosition(F.Form.ClientToScreen({150, 60}));
  W->SetFloating(true);
  PumpMessagesFor(20);
  return W->FloatingParent();
}

COLORREF FramePixel(TBarFloatingWindowParent* Frame, TPoint P) {
  UpdateWindow(Frame->Handle());
  TWholeWindowDC dc(Frame->Handle());
  return GetPixel(dc.Get(), P.X, P.Y);
}

}  // namespace

// Popup with a thin border, a thick one to size by when the window may be resized, a tool
// window; it keeps no clipping of its child, which fills its client area whole.
TEST(BarFloatingFrame, WindowStylesFollowResizable) {
  TDockForm f;
  f.Show();
  const DWORD watched = WS_POPUP | WS_BORDER | WS_THICKFRAME | WS_CLIPCHILDREN | WS_CAPTION | WS_CHILD;
  const struct {
    bool Resizable;
    DWORD Style;
  } cases[] = {{true, WS_POPUP | WS_BORDER | WS_THICKFRAME}, {false, WS_POPUP | WS_BORDER}};
  for (const auto& c : cases) {
    auto* t = f.Toolbar("T", 2, f.Top);
    t->SetResizable(c.Resizable);
    HWND frame = FloatAt(f, t)->Handle();
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(frame, GWL_STYLE)) & watched, c.Style) << c.Resizable;
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
  // A point of a W x H frame whose corner zones are Z pixels long.
  using TAt = TPoint (*)(int W, int H, int Z);
  const struct {
    bool ShowCaption, Resizable;
    TAt At;
    int Code;
  } cases[] = {
      {false, true,
       [](int, int, int) {
         return TPoint{1, 1};
       },
       HTTOPLEFT},
      {false, true,
       [](int, int, int Z) {
         return TPoint{Z - 1, 1};
       },
       HTTOPLEFT},
      {false, true,
       [](int, int, int Z) {
         return TPoint{Z, 1};
       },
       HTTOP},
      {false, true,
       [](int, int, int Z) {
         return TPoint{1, Z - 1};
       },
       HTTOPLEFT},
      {false, true,
       [](int, int, int Z) {
         return TPoint{1, Z};
       },
       HTLEFT},
      {false, true,
       [](int W, int H, int Z) {
         return TPoint{W - Z, H - 1};
       },
       HTBOTTOMRIGHT},
      {false, true,
       [](int W, int H, int Z) {
         return TPoint{W - Z - 1, H - 1};
       },
       HTBOTTOM},
      {false, true,
       [](int, int H, int Z) {
         return TPoint{1, H - Z};
       },
       HTBOTTOMLEFT},
      {true, true,
       [](int, int, int Z) {
         return TPoint{Z - 1, 1};
       },
       HTTOPLEFT},
      {true, true,
       [](int, int, int Z) {
         return TPoint{Z, 1};
       },
       HTTOP},
      {true, true,
       [](int W, int, int Z) {
         return TPoint{W - 1, Z - 1};
       },
       HTTOPRIGHT},
      {true, false,
       [](int, int H, int) {
         return TPoint{0, H / 2};
       },
       ByDefault},
      {true, false,
       [](int W, int H, int) {
         return TPoint{W / 2, H - 1};
       },
       ByDefault},
      {false, false,
       [](int W, int H, int) {
         return TPoint{W - 1, H / 2};
       },
       ByDefault},
  };
  for (const auto& c : cases) {
    auto* w = new TPlainWindow(&f.Form);
    w->SetShowCaption(c.ShowCaption);
    w->SetResizable(c.Resizable);
    w->SetParent(f.Top);
    TBarFloatingWindowParent* frame = FloatAt(f, w);
    ASSERT_TRUE(frame && frame->HandleAllocated());
    const TRect fr = f.ScreenRect(frame);
    const int zone = GetSystemMetrics(SM_CYSMCAPTION) - 1 + w->GetFloatingBorderSize().X;
    const TPoint at = c.At(fr.Width(), fr.Height(), zone);
    const TPoint p{fr.Left + at.X, fr.Top + at.Y};
    const int code = frame->HitTest(p);
    if (c.Code == ByDefault) {
      EXPECT_EQ(code, DefWindowProcW(frame->Handle(), WM_NCHITTEST, 0, MAKELPARAM(p.X, p.Y))) << at.X << "," << at.Y;
      EXPECT_NE(code, HTBARCAPTION) << at.X << "," << at.Y;
    } else {
      EXPECT_EQ(code, c.Code) << c.ShowCaption << " " << at.X << "," << at.Y;
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
  TBarFloatingWindowParent* frame = FloatAt(f, t);
  ASSERT_TRUE(frame && frame->HandleAllocated());
  const TRect close = frame->CloseButtonRect();
  const TPoint corner{close.Left, close.Top + 4};  // on the button's left edge
  const COLORREF face = ColorToRGB(clBtnFace), shadow = ColorToRGB(clBtnShadow);
  TRect fr = f.ScreenRect(frame);
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
    if (m.Hot)
      EXPECT_TRUE(edge != face && edge != shadow) << std::hex << edge;
    else
      EXPECT_EQ(edge, face);
  }
  // The mouse messages of the tracking come in the frame's client coordinates.
  TPoint b = t->GetFloatingBorderSize();
  const int top = b.Y + GetSystemMetrics(SM_CYSMCAPTION);
  auto moveTo = [&](UINT Msg, int X, int Y) {
    return
        [=, &frame] { return PostMessageW(frame->Handle(), Msg, MK_LBUTTON, MAKELPARAM(X - b.X, Y - top)) != FALSE; };
  };
  struct TSeen {
    bool Pushed;
    COLORREF Edge;
  };
  std::vector<TSeen> seen;
  auto look = [&] {
    seen.push_back({frame->CloseButtonPushed(), FramePixel(frame, corner)});
    return true;
  };
  const int cx = close.Left + 3, cy = close.Top + 3;
  TMenuScript script({look, moveTo(WM_MOUSEMOVE, cx - 40, cy + 30), look, moveTo(WM_MOUSEMOVE, cx, cy), look,
                      moveTo(WM_MOUSEMOVE, cx - 40, cy), look, moveTo(WM_LBUTTONUP, cx - 40, cy)});
  SendMessageW(frame->Handle(), WM_NCLBUTTONDOWN, HTBARCLOSEBUTTON, onButton);
  const bool expected[] = {true, false, true, false};
  ASSERT_EQ(seen.size(), 4u);
  for (size_t i = 0; i < seen.size(); ++i) {
    EXPECT_EQ(seen[i].Pushed, expected[i]) << i;
    EXPECT_EQ(seen[i].Edge == shadow, expected[i]) << i << " " << std::hex << seen[i].Edge;
  }
  EXPECT_FALSE(frame->CloseButtonPushed());
  EXPECT_TRUE(t->Visible()) << "let go away from the button";
  // Let go over it: the window closes.
  TMenuScript closing({moveTo(WM_LBUTTONUP, cx, cy)});
  SendMessageW(frame->Handle(), WM_NCLBUTTONDOWN, HTBARCLOSEBUTTON, onButton);
  EXPECT_FALSE(t->Visible());
}

// Closing the frame (Alt+F4 on it) closes its form, before the close returns.
TEST(BarFloatingFrame, ClosingTheFrameClosesItsForm) {
  TDockForm f;
  f.Show();
  auto* t = f.Toolbar("T", 2, f.Top);
  TBarFloatingWindowParent* frame = FloatAt(f, t);
  ASSERT_TRUE(frame && frame->HandleAllocated());
  struct {
    int Closes = 0;
    void Close(TObject*, TCloseAction& Action) {
      ++Closes;
      Action = caNone;  // the test keeps its form
    }
  } log;
  f.Form.OnClose = TCloseEvent(&log, &decltype(log)::Close);
  SendMessageW(frame->Handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(log.Closes, 1);
  EXPECT_TRUE(t->Visible()) << "the frame itself hides nothing";
}
