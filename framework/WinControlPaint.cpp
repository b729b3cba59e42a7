// Painting windowed controls: invalidating, WM_PAINT and printing through their canvas, the
// children without a window drawn over it, double buffering and erasing the background.
#include "framework/Controls.h"

#include <algorithm>
#include <optional>

#include "framework/Application.h"
#include "framework/Forms.h"
#include "framework/PaintScopes.h"
#include "framework/Screen.h"
#include "framework/ScopeGuards.h"

// ---- painting ----

void TWinControl::Invalidate() {
  if (handle_) InvalidateRect(handle_, nullptr, !ControlStyle().Contains(csOpaque));
}

void TWinControl::Update() {
  if (handle_) UpdateWindow(handle_);
}

void TWinControl::Repaint() {
  Invalidate();
  Update();
}

void TWinControl::WMEraseBkgnd(TMessage& Message) {
  // A double-buffered control erases in its buffer (both parameters are then the buffer's DC).
  if (doubleBuffered_ && Message.WParam != static_cast<WPARAM>(Message.LParam)) {
    Message.Result = 1;
    return;
  }
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  RECT r = ToRECT(GetClientRect());
  FillRect(dc, &r, brush_->Handle());
  Message.Result = 1;
}

void TWinControl::WMPaint(TMessage& Message) {
  if (doubleBuffered_ && Message.WParam == 0)
    PaintBuffered(Message);
  else
    PaintHandler(Message);
}

void TWinControl::WMPrint(TMessage& Message) {
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  if (!dc) return DefaultHandler(Message);
  TSaveDC save(dc);
  DefaultHandler(Message);
}

void TWinControl::WMPrintClient(TMessage& Message) {
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  Message.Result = 0;
  if (!dc) return;
  TSaveDC save(dc);
  if (defWndProc_ && defWndProc_ != DefWindowProcW) {
    // A system control prints its own picture; our graphic children go on top.
    DefaultHandler(Message);
    if (Message.LParam & PRF_CLIENT) PaintControls(dc, nullptr);
    return;
  }
  if (Message.LParam & PRF_ERASEBKGND) Perform(WM_ERASEBKGND, Message.WParam, Message.WParam);
  if (Message.LParam & PRF_CLIENT) {
    TMessage paint;
    paint.Msg = WM_PAINT;
    paint.WParam = Message.WParam;
    PaintHandler(paint);
  }
}

void TWinControl::PaintBuffered(TMessage& Message) {
  TPaintScope paint(handle_);
  TRect client = GetClientRect();
  TCreatedDC memory(CreateCompatibleDC(paint.DC()));
  TBitmapHandle bitmap(CreateCompatibleBitmap(paint.DC(), std::max(client.Width(), 1), std::max(client.Height(), 1)));
  TSelectObject select(memory.Get(), bitmap.Get());
  Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory.Get()), reinterpret_cast<LPARAM>(memory.Get()));
  TMessage inner = Message;
  inner.WParam = reinterpret_cast<WPARAM>(memory.Get());
  PaintHandler(inner);
  const RECT& r = paint.PaintRect();
  BitBlt(paint.DC(), r.left, r.top, r.right - r.left, r.bottom - r.top, memory.Get(), r.left, r.top, SRCCOPY);
  Message.Result = 0;
}

void TWinControl::PaintHandler(TMessage& Message) {
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  std::optional<TPaintScope> paint;
  if (!dc) {
    paint.emplace(handle_);
    dc = paint->DC();
  }
  {
    // Opaque graphic children cover their part; the control does not paint under them.
    TSaveDC save(dc);
    for (TControl* c : controls_) {
      if (dynamic_cast<TWinControl*>(c) || !c->Visible() || !c->ControlStyle().Contains(csOpaque)) continue;
      ExcludeClipRect(dc, c->Left(), c->Top(), c->Left() + c->Width(), c->Top() + c->Height());
    }
    PaintWindow(dc);
  }
  PaintControls(dc, nullptr);
  Message.Result = 0;
}

void TWinControl::PaintWindow(HDC DC) {
  TMessage m;
  m.Msg = WM_PAINT;
  m.WParam = reinterpret_cast<WPARAM>(DC);
  DefaultHandler(m);
}

void TWinControl::PaintControls(HDC DC, TControl* First) {
  auto it = controls_.begin();
  if (First) it = std::find(controls_.begin(), controls_.end(), First);
  for (; it != controls_.end(); ++it) {
    TControl* c = *it;
    if (dynamic_cast<TWinControl*>(c) || !c->Visible()) continue;
    RECT bounds = ToRECT(c->BoundsRect());
    if (!RectVisible(DC, &bounds)) continue;
    TSaveDC save(DC);
    POINT origin{};
    GetViewportOrgEx(DC, &origin);
    SetViewportOrgEx(DC, origin.x + c->Left(), origin.y + c->Top(), nullptr);
    IntersectClipRect(DC, 0, 0, c->Width(), c->Height());
    c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
  }
}

void TWinControl::PaintTo(HDC DC, int X, int Y) {
  TSaveDC save(DC);
  POINT origin{};
  GetViewportOrgEx(DC, &origin);
  SetViewportOrgEx(DC, origin.x + X, origin.y + Y, nullptr);
  TRect client = GetClientRect();
  IntersectClipRect(DC, 0, 0, client.Width(), client.Height());
  Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(DC), reinterpret_cast<LPARAM>(DC));
  TMessage m;
  m.Msg = WM_PAINT;
  m.WParam = reinterpret_cast<WPARAM>(DC);
  PaintHandler(m);
  for (TControl* c : controls_)
    if (auto* w = dynamic_cast<TWinControl*>(c); w && w->Visible()) w->PaintTo(DC, c->Left(), c->Top());
}
