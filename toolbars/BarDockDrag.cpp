// Moving a dockable window with the mouse: the drag loop between docks and floating, with its
// outline, and resizing the floating frame by its edges.
#include <algorithm>

#include "framework/Application.h"
#include "framework/Format.h"
#include "framework/ScopeGuards.h"
#include "toolbars/BarDockableParts.h"
#include "toolbars/BarFloatingFrame.h"

using namespace dockable_detail;

// ---- the drag loop ----

int PickDockRow(const std::vector<TBarDock::TRowInfo>& Rows, int Centre, bool FullSize, bool& NewRow) {
  int s = 0;
  for (size_t i = 0; i < Rows.size(); ++i) {
    int t = Rows[i].Thickness;
    if (t == 0) continue;
    // A full-size window never shares a row: the upper half of a row goes before it.
    if (FullSize || Rows[i].HasFullSize) {
      if (Centre < s + t / 2) return NewRow = true, static_cast<int>(i);
    } else {
      if (Centre < s + t / 4) return NewRow = true, static_cast<int>(i);
      if (Centre < s + t - t / 4) return NewRow = false, static_cast<int>(i);
    }
    s += t;
  }
  NewRow = true;
  return static_cast<int>(Rows.size());
}

struct TBarDragLoop {
  struct Target {
    TBarDock* Dock;
    TRect ScreenRect;
    TPoint Size;
    std::vector<TBarDock::TRowInfo> Rows;
  };
  TBarCustomDockableWindow* W;
  std::vector<Target> Docks;
  TPoint FloatSize;
  TPoint Grab;
  TPoint StartSize;
  TPoint StartCursor;
  bool NoDocking = false;
  bool CannotFloat = false;
  bool StartedFloating = false;
  bool First = true;
  TBarDock* StartDock = nullptr;
  int StartRow = -1;
  HCURSOR StartCursorShape = nullptr;
  const Target* LastTarget = nullptr;
  TRect LastRect;
  bool LastValid = false;
  bool LastNewRow = false;
  // The outline of a drag without smooth mode: drawn inverted on the screen while the other
  // windows' drawing is held back, so that erasing it twice-inverted leaves the screen as it was.
  TWindowDC OutlineDC;
  bool Locked = false;
  bool OutlineShown = false;
  TRect OutlineRect;
  TSize OutlineSize{};

  void BeginOutline() {
    HWND desktop = GetDesktopWindow();
    Locked = LockWindowUpdate(desktop) != FALSE;
    OutlineDC = TWindowDC(desktop, nullptr, DCX_WINDOW | DCX_CACHE | (Locked ? DCX_LOCKWINDOWUPDATE : 0));
  }
  // Moves the outline to R (none when R is null or empty).
  void DrawOutline(const TRect* R, TSize Size) {
    if (!OutlineDC) return;
    bool show = R && !R->IsEmpty();
    if (!show && !OutlineShown) return;
    if (show && OutlineShown && *R == OutlineRect && Size.cx == OutlineSize.cx && Size.cy == OutlineSize.cy) return;
    DrawHalftoneInvertRect(OutlineDC.Get(), show ? R : nullptr, OutlineShown ? &OutlineRect : nullptr, Size,
                           OutlineSize);
    OutlineShown = show;
    if (show) OutlineRect = *R, OutlineSize = Size;
  }
  void EndOutline() {
    DrawOutline(nullptr, {});
    OutlineDC.Reset();
    if (Locked) LockWindowUpdate(nullptr);
    Locked = false;
  }

  void SearchForm(TWinControl* C, bool (*Skip)(TBarDock*, TBarDragLoop*)) {
    for (TBarDockPosition pos : {dpTop, dpBottom, dpLeft, dpRight})
      for (int i = 0; i < C->ControlCount(); ++i)
        if (auto* d = dynamic_cast<TBarDock*>(C->Controls(i)); d && d->Position() == pos && d->Showing())
          if (!Skip(d, this)) AddDock(d);
    for (int i = 0; i < C->ControlCount(); ++i) {
      auto* child = dynamic_cast<TWinControl*>(C->Controls(i));
      if (!child || dynamic_cast<TBarDock*>(child) || !child->Showing() || child->ContainsControl(W)) continue;
      SearchForm(child, Skip);
    }
  }

  void AddDock(TBarDock* D) {
    for (auto& t : Docks)
      if (t.Dock == D) return;
    if (!D->AllowDragging() || !W->CanDockTo(D)) return;
    D->SetCommitPending();
    D->ArrangeToolbars();
    Target t{D, D->HandleAllocated() ? WindowRectOf(D->Handle()) : TRect{}, {}, D->RowInfo()};
    if (D == W->currentDock_) {
      t.Size = {W->Width(), W->Height()};
    } else {
      TPoint size;
      W->CalculateSize(false, 0, size, D, false);
      TPoint nc{4, 4};
      if (D->AllowDragging()) (D->Vertical() ? nc.Y : nc.X) += W->DragHandleSize();
      t.Size = {size.X + nc.X, size.Y + nc.Y};
    }
    Docks.push_back(t);
  }

  TRect PlaceRect(const TPoint& P, const TPoint& Size) const {
    int l = P.X - MulDiv(Size.X - 1, Grab.X, std::max(StartSize.X, 1));
    int t = P.Y - MulDiv(Size.Y - 1, Grab.Y, std::max(StartSize.Y, 1));
    return {l, t, l + Size.X, t + Size.Y};
  }

  bool HitDock(const Target& T, const TPoint& P) const {
    TRect r = T.ScreenRect;
    r = {r.Left - 3, r.Top - 3, r.Right + 3, r.Bottom + 3};
    int gx = MulDiv(25, Grab.X, std::max(StartSize.X, 1));
    int gy = MulDiv(25, Grab.Y, std::max(StartSize.Y, 1));
    if (P.X < r.Left + gx - 25 || P.X >= r.Right + gx) return false;
    if (T.Dock->Vertical() && (P.Y < r.Top || P.Y >= r.Bottom)) return false;
    if (P.Y < r.Top - (25 - gy) || P.Y >= r.Bottom + gy) return false;
    return Intersects(PlaceRect(P, T.Size), r);
  }

  void Evaluate(TPoint P) {
    const Target* target = nullptr;
    if (W->keepOrder_) {
      for (auto& t : Docks)
        if (t.Dock == W->currentDock_) target = &t;
    } else if (!NoDocking && !(First && StartedFloating)) {
      for (auto& t : Docks) {
        if (!HitDock(t, P)) continue;
        bool accept = true;
        if (t.Dock->OnRequestDock) t.Dock->OnRequestDock(t.Dock, W, accept);
        if (accept) {
          target = &t;
          break;
        }
      }
    }
    First = false;
    if (!target) {
      TRect work = GetRectOfMonitorContainingPoint(P, true);
      P.X = std::clamp(P.X, work.Left, std::max(work.Left, work.Right - 1));
      P.Y = std::clamp(P.Y, work.Top, std::max(work.Top, work.Bottom - 1));
    }
    TRect rect = PlaceRect(P, target ? target->Size : FloatSize);
    if (!target) KeepReachable(rect, P);
    if (W->keepOrder_)
      ::SetCursor(LoadCursorW(nullptr, W->currentDock_ && W->currentDock_->Vertical() ? IDC_SIZENS : IDC_SIZEWE));
    else if (!target && CannotFloat) {
      ::SetCursor(LoadCursorW(nullptr, IDC_NO));
      LastValid = false;
      DrawOutline(nullptr, {});
      return;
    } else
      ::SetCursor(StartCursorShape);
    LastTarget = target;
    LastRect = rect;
    LastValid = true;
    if (W->smoothDragging_) {
      MoveTo(target, rect, P);
    } else {
      TPoint border = W->GetFloatingBorderSize();
      DrawOutline(&rect, target ? TSize{1, 1} : TSize{border.X, border.Y});
    }
  }

  void KeepReachable(TRect& R, const TPoint& P) {
    TRect work = GetRectOfMonitorContainingPoint(P, true);
    TPoint border = W->GetFloatingBorderSize();
    TRect inner{work.Left + border.X + 4, work.Top + border.Y + 4, work.Right - border.X - 4,
                work.Bottom - border.Y - 4};
    int dx = 0, dy = 0;
    if (R.Right <= inner.Left) dx = inner.Left - R.Right + 1;
    if (R.Left >= inner.Right) dx = inner.Right - R.Left - 1;
    if (R.Bottom <= inner.Top) dy = inner.Top - R.Bottom + 1;
    if (R.Top >= inner.Bottom) dy = inner.Bottom - R.Top - 1;
    R = {R.Left + dx, R.Top + dy, R.Right + dx, R.Bottom + dy};
    int minTop = work.Top + 4 - (W->showCaption_ ? GetSystemMetrics(SM_CYSMCAPTION) : 0);
    if (R.Top < minTop) R = {R.Left, minTop, R.Right, minTop + R.Height()};
  }

  void MoveTo(const Target* T, const TRect& R, const TPoint& P) {
    if (!T) {
      W->floatingPosition_ = R.TopLeft();
      if (!W->floating_)
        W->SetFloating(true);
      else if (W->floatingParent_)
        W->floatingParent_->SetBounds(R.Left, R.Top, R.Width(), R.Height());
      return;
    }
    TBarDock* dock = T->Dock;
    POINT tl{R.Left, R.Top};
    if (dock->HandleAllocated()) ::ScreenToClient(dock->Handle(), &tl);
    bool vertical = dock->Vertical();
    int centre = vertical ? tl.x + R.Width() / 2 : tl.y + R.Height() / 2;
    int row;
    bool newRow = false;
    if (W->keepOrder_) {
      row = W->dockRow_;
    } else {
      row = PickDockRow(T->Rows, centre, W->fullSize_, newRow);
      int moved = vertical ? P.Y - StartCursor.Y : P.X - StartCursor.X;
      if (dock == StartDock && row == StartRow && !newRow && std::abs(moved) >= 10) {
        W->keepOrder_ = true;
        ::SetCursor(LoadCursorW(nullptr, vertical ? IDC_SIZENS : IDC_SIZEWE));
      }
    }
    W->dockRow_ = row;
    W->dockPos_ = vertical ? tl.y : tl.x;
    if (W->Parent() != dock) W->SetParent(dock);
    if (!W->smoothDragging_) dock->SetCommitPending();
    W->ownRow_ = LastNewRow = newRow;
    dock->ArrangeToolbars();
    W->ownRow_ = false;
    if (W->HandleAllocated()) UpdateWindow(W->Handle());
  }
};

void TBarCustomDockableWindow::BeginMoving(int X, int Y) {
  TCustomForm* form = OwningForm();
  if (!form || !form->HandleAllocated()) return;
  TBarDragLoop loop;
  loop.W = this;
  dragging_ = true;
  keepOrder_ = false;
  if (currentDock_) {
    shrunkWhileDragging_ = false;
    currentDock_->SetCommitPending();
    currentDock_->ArrangeToolbars();
    loop.StartDock = currentDock_;
    loop.StartRow = computedRow_;
  }
  smoothDragging_ = smoothDrag_;
  loop.StartedFloating = floating_;
  // The grab point, relative to the whole window (through the frame when floating).
  TRect wr = floating_ && floatingParent_ && floatingParent_->HandleAllocated()
                 ? WindowRectOf(floatingParent_->Handle())
             : HandleAllocated() ? WindowRectOf(Handle())
                                 : TRect{};
  POINT origin{X, Y};
  if (HandleAllocated()) ::ClientToScreen(Handle(), &origin);
  loop.Grab = {origin.x - wr.Left, origin.y - wr.Top};
  loop.StartSize = {std::max(wr.Width(), 1), std::max(wr.Height(), 1)};
  loop.StartCursor = CursorPoint();
  loop.NoDocking = GetKeyState(VK_CONTROL) < 0;
  loop.CannotFloat = dockMode_ != dmCanFloat;
  loop.StartCursorShape = GetCursor();
  if (dockMode_ == dmCannotFloatOrChangeDocks) {
    if (currentDock_) loop.AddDock(currentDock_);
  } else {
    if (currentDock_) loop.AddDock(currentDock_);
    auto skip = [](TBarDock*, TBarDragLoop*) { return false; };
    loop.SearchForm(form, skip);
    for (TCustomForm* f : dockForms_)
      if (f != form) loop.SearchForm(f, skip);
  }
  TPoint fsize;
  CalculateSize(false, 1, fsize, nullptr, true);
  TPoint border = GetFloatingBorderSize();
  loop.FloatSize = {fsize.X + 2 * border.X,
                    fsize.Y + 2 * border.Y + (showCaption_ ? GetSystemMetrics(SM_CYSMCAPTION) : 0)};

  HWND capture = form->Handle();
  if (!smoothDragging_) loop.BeginOutline();
  TScopeExit outline([&] { loop.EndOutline(); });
  // A handler run from the loop may free the window: the loop then ends and touches it no more.
  TBarFreeWatch watch({this});
  SetCapture(capture);
  bool accepted = false;
  loop.Evaluate(loop.StartCursor);
  TPoint last = loop.StartCursor;
  MSG msg;
  while (!watch.Gone() && GetCapture() == capture) {
    if (!GetMessageW(&msg, nullptr, 0, 0)) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    bool done = false;
    switch (msg.message) {
      case WM_LBUTTONUP: accepted = done = true; break;
      case WM_KEYDOWN:
      case WM_KEYUP:
        if (msg.wParam == VK_CONTROL) {
          bool down = msg.message == WM_KEYDOWN;
          if (down != loop.NoDocking) {
            loop.NoDocking = down;
            loop.Evaluate(CursorPoint());
          }
        } else if (msg.wParam == VK_ESCAPE && msg.message == WM_KEYDOWN) {
          done = true;
        } else {
          TranslateMessage(&msg);
          DispatchMessageW(&msg);
        }
        break;
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK: done = true; break;
      case WM_MOUSEMOVE: {
        TPoint p{static_cast<short>(LOWORD(msg.lParam)), static_cast<short>(HIWORD(msg.lParam))};
        POINT sp{p.X, p.Y};
        ::ClientToScreen(msg.hwnd, &sp);
        p = {sp.x, sp.y};
        if (p != last) {
          last = p;
          loop.Evaluate(p);
        }
        break;
      }
      case WM_RBUTTONDOWN:
      case WM_RBUTTONUP:
      case WM_MBUTTONDOWN:
      case WM_MBUTTONUP:
      case WM_RBUTTONDBLCLK:
      case WM_MBUTTONDBLCLK: break;
      default: TranslateMessage(&msg); DispatchMessageW(&msg);
    }
    if (done || watch.Gone()) break;
  }
  if (GetCapture() == capture) ReleaseCapture();
  loop.EndOutline();
  if (watch.Gone()) return;
  if (!smoothDragging_ && accepted && loop.LastValid) {
    smoothDragging_ = false;
    loop.MoveTo(loop.LastTarget, loop.LastRect, last);
  }
  bool wasSmooth = smoothDragging_;
  smoothDragging_ = false;
  if (currentDock_) {
    // The drag's last place stays (a row the drop opened stays the window's own), and the dock
    // the window ended in is remembered; the frame kept for the drag is no longer needed.
    currentDock_->SetCommitPending();
    ownRow_ = loop.LastNewRow;
    currentDock_->ArrangeToolbars();
    ownRow_ = false;
    if (wasSmooth && useLastDock_) SetLastDock(currentDock_);
    if (floatingParent_ && !floating_) {
      TBarFloatingWindowParent* frame = floatingParent_;
      floatingParent_ = nullptr;
      frame->ForgetWindow();
      ShowWindow(frame->Handle(), SW_HIDE);
      frame->Release();
    }
  }
  dragging_ = false;
  keepOrder_ = false;
}

// ---- edge resizing of the floating frame ----

void TBarCustomDockableWindow::BeginSizing(int Edge) {
  if (!floating_ || !floatingParent_ || !floatingParent_->HandleAllocated()) return;
  HWND frame = floatingParent_->Handle();
  TPoint nc = floatingParent_->NonClientSize();
  TPoint minSize, maxSize;
  GetMinMaxSize(minSize, maxSize);
  minSize = {minSize.X + nc.X, minSize.Y + nc.Y};
  if (maxSize.X > 0) maxSize.X += nc.X;
  if (maxSize.Y > 0) maxSize.Y += nc.Y;
  bool horizontal = Edge == 0 || Edge == 1 || Edge == 3 || Edge == 4 || Edge == 6 || Edge == 7;
  bool leftSide = Edge == 0 || Edge == 3 || Edge == 6;
  bool vertical = Edge >= 2;
  bool topSide = Edge == 2 || Edge == 3 || Edge == 4;
  ResizeBegin(Edge);
  const bool clipCursor = clipCursor_;
  if (clipCursor) {
    TRect work = GetRectOfMonitorContainingPoint(CursorPoint(), true);
    RECT clip{work.Left, work.Top, work.Right, work.Bottom};
    ClipCursor(&clip);
  }
  TRect start = WindowRectOf(frame);
  TPoint startCursor = CursorPoint();
  TRect current = start;
  // Without smooth mode the new size shows as an outline until the button is let go.
  TBarDragLoop outline;
  outline.W = this;
  TPoint border = GetFloatingBorderSize();
  if (!smoothDrag_) {
    outline.BeginOutline();
    outline.DrawOutline(&current, {border.X, border.Y});
  }
  TBarFreeWatch watch({this, floatingParent_});
  SetCapture(frame);
  bool accepted = false;
  MSG msg;
  while (!watch.Gone() && GetCapture() == frame) {
    if (!GetMessageW(&msg, nullptr, 0, 0)) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (msg.message == WM_LBUTTONUP) {
      accepted = true;
      break;
    }
    if ((msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) || msg.message == WM_LBUTTONDOWN) break;
    if (msg.message != WM_MOUSEMOVE) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
      continue;
    }
    TPoint p = CursorPoint();
    TRect r = start;
    int dx = p.X - startCursor.X, dy = p.Y - startCursor.Y;
    if (horizontal) (leftSide ? r.Left : r.Right) += dx;
    if (vertical && Edge != 0 && Edge != 1) (topSide ? r.Top : r.Bottom) += dy;
    auto clampAxis = [](int& lo, int& hi, bool moveLo, int mn, int mx) {
      int size = hi - lo;
      if (size < mn) size = mn;
      if (mx > 0 && size > mx) size = mx;
      if (moveLo)
        lo = hi - size;
      else
        hi = lo + size;
    };
    clampAxis(r.Left, r.Right, leftSide, minSize.X, maxSize.X);
    clampAxis(r.Top, r.Bottom, topSide, minSize.Y, maxSize.Y);
    ResizeTrack(r, Edge, p);
    if (r != current) {
      current = r;
      if (smoothDrag_) {
        floatingParent_->SetBounds(r.Left, r.Top, r.Width(), r.Height());
        SetBounds(0, 0, r.Width() - nc.X, r.Height() - nc.Y);
        MoveOnScreen(true);
      } else {
        outline.DrawOutline(&current, {border.X, border.Y});
      }
    }
  }
  if (GetCapture() == frame) ReleaseCapture();
  outline.EndOutline();
  if (clipCursor) ClipCursor(nullptr);
  if (watch.Gone()) return;
  if (accepted && !smoothDrag_)
    floatingParent_->SetBounds(current.Left, current.Top, current.Width(), current.Height());
  floatingPosition_ = {floatingParent_->Left(), floatingParent_->Top()};
  ResizeEnd(accepted);
}
