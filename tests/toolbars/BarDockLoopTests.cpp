// The loops that follow the mouse for a dockable window (dragging it, sizing its frame, holding a
// close button) end at once when a handler they dispatch to frees the window.
#include <gtest/gtest.h>

#include "framework/StdCtrls.h"
#include "tests/toolbars/BarDockTestSupport.h"

TEST(BarDockLoop, AWindowFreedByAKeyHandlerEndsItsLoopAtOnce) {
  enum TStart { grip, clientArea, caption, edge, dockedClose, frameClose };
  const char* const names[] = {"grip",         "client area",  "floating caption",
                               "frame's edge", "docked close", "frame close"};
  TMenuSettings settings;
  for (TStart start : {grip, clientArea, caption, edge, dockedClose, frameClose}) {
    TDockForm f;
    auto* t = f.Toolbar("T", 2, f.Top);
    t->SetFullSize(true);  // room in the client area where no button is
    t->SetCloseButtonWhenDocked(start == dockedClose);
    // A key handler that frees the toolbar.
    TBarCustomToolbar* victim = t;
    auto* field = new TCustomControl(&f.Form);
    field->SetParent(&f.Form);
    field->OnKeyDown = TKeyEvent::FromFunction(
        [](void* V, TObject*, Word& Key, TShiftState) {
          if (auto*& v = *static_cast<TBarCustomToolbar**>(V); Key == 'A' && v)
            TDockForm::Free(std::exchange(v, nullptr));
        },
        &victim);
    f.Show();
    const bool floats = start == caption || start == edge || start == frameClose;
    TBarFloatingWindowParent* frame = floats ? f.Float(t) : nullptr;
    ASSERT_EQ(frame && frame->HandleAllocated(), floats) << names[start];
    bool goneOn = false;
    std::vector<std::function<bool()>> steps{[&] { return PostMessageW(field->Handle(), WM_KEYDOWN, 'A', 0) != FALSE; },
                                             [&] { return goneOn = true; },  // the loop still ran after the window went
                                             PostToCapture(WM_LBUTTONUP)};
    const TRect r = frame ? f.ScreenRect(frame) : f.ScreenRect(t);
    const TPoint b = t->GetFloatingBorderSize();
    switch (start) {
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
    EXPECT_EQ(victim, nullptr) << names[start] << ": the handler ran";
    EXPECT_FALSE(goneOn) << names[start];
    EXPECT_EQ(GetCapture(), nullptr) << names[start];
    EXPECT_TRUE(f.Top->WindowList().empty()) << names[start];
    EXPECT_EQ(f.Form.FindComponent("T"), nullptr) << names[start];
  }
}
