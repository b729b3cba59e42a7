// The loops that follow the mouse for a dockable window (dragging it, sizing its frame, holding a
// close button) end at once when a handler they dispatch to frees the window.
#include <gtest/gtest.h>

#include "framework/StdCtrls.h"
#include "tests/toolbars/BarDockTestSupport.h"

namespace {

// A control whose key handler frees the toolbar it is given.
struct TFreeingKeys {
  TBarCustomToolbar* Victim = nullptr;
  void Down(TObject*, Word& Key, TShiftState) {
    if (Key == 'A' && Victim) TDockForm::Free(std::exchange(Victim, nullptr));
  }
};

}  // namespace

TEST(BarDockLoop, AWindowFreedByAKeyHandlerEndsItsLoopAtOnce) {
  enum TStart { grip, clientArea, caption, edge, dockedClose, frameClose };
  const struct {
    TStart Start;
    const char* Name;
  } cases[] = {{grip, "drag by the grip"},
               {clientArea, "drag from the client area"},
               {caption, "drag by the floating caption"},
               {edge, "sizing by the frame's edge"},
               {dockedClose, "docked close button"},
               {frameClose, "floating close button"}};
  TMenuSettings settings;
  for (const auto& c : cases) {
    TDockForm f;
    auto* t = f.Toolbar("T", 2, f.Top);
    t->SetFullSize(true);  // room in the client area where no button is
    t->SetCloseButtonWhenDocked(c.Start == dockedClose);
    TFreeingKeys keys{t};
    auto* field = new TCustomControl(&f.Form);
    field->SetParent(&f.Form);
    field->OnKeyDown = TKeyEvent(&keys, &TFreeingKeys::Down);
    f.Show();
    TBarFloatingWindowParent* frame = nullptr;
    if (c.Start == caption || c.Start == edge || c.Start == frameClose) {
      t->SetFloatingPosition(f.Form.ClientToScreen({100, 100}));
      t->SetFloating(true);
      PumpMessagesFor(20);
      frame = t->FloatingParent();
      ASSERT_TRUE(frame && frame->HandleAllocated()) << c.Name;
    }
    bool goneOn = false;
    std::vector<std::function<bool()>> steps{[&] { return PostMessageW(field->Handle(), WM_KEYDOWN, 'A', 0) != FALSE; },
                                             [&] { return goneOn = true; },  // the loop still ran after the window went
                                             PostToCapture(WM_LBUTTONUP)};
    const TRect r = frame ? f.ScreenRect(frame) : f.ScreenRect(t);
    const TPoint b = t->GetFloatingBorderSize();
    switch (c.Start) {
      case grip: DragFrom(t->Handle(), HTBARDRAGHANDLE, {r.Left + 3, r.Top + 10}, steps); break;
      case clientArea: {
        TPoint grab = t->ClientToScreen({150, 10});
        SetCursorPos(grab.X, grab.Y);
        TMenuScript script(steps);
        SendMessageW(t->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(150, 10));
        break;
      }
      case caption: DragFrom(frame->Handle(), HTBARCAPTION, {r.Left + b.X + 5, r.Top + b.Y + 3}, steps); break;
      case edge: DragFrom(frame->Handle(), HTRIGHT, {r.Right - 1, r.Top + 15}, steps); break;
      case dockedClose: DragFrom(t->Handle(), HTBARCLOSEBUTTON, {r.Left + 5, r.Top + 5}, steps); break;
      case frameClose: {
        const TRect close = frame->CloseButtonRect();
        DragFrom(frame->Handle(), HTBARCLOSEBUTTON, {r.Left + close.Left + 3, r.Top + close.Top + 3}, steps);
        break;
      }
    }
    EXPECT_EQ(keys.Victim, nullptr) << c.Name << ": the handler ran";
    EXPECT_FALSE(goneOn) << c.Name;
    EXPECT_EQ(GetCapture(), nullptr) << c.Name;
    EXPECT_TRUE(f.Top->WindowList().empty()) << c.Name;
    EXPECT_EQ(f.Form.FindComponent("T"), nullptr) << c.Name;
  }
}
