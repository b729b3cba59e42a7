// Navigation in a view: the selection, accelerators and first letters, and the keys of menus and
// toolbars.
#include "toolbars/BarView.h"

#include <algorithm>
#include <memory>

#include "framework/GdiHandles.h"
#include "toolbars/BarCommon.h"
#include "toolbars/BarDeferredClick.h"
#include "toolbars/BarViewerKinds.h"

// ---- selection ----

TPoint TBarView::MessagePos() {
  DWORD p = GetMessagePos();
  return {MessageX(static_cast<LPARAM>(p)), MessageY(static_cast<LPARAM>(p))};
}

bool TBarView::PointOnWindow(const TPoint& P) { return window_ && FindDragTarget(P, true) == window_; }

TPoint TBarView::ScreenToWindow(const TPoint& P) { return window_ ? window_->ScreenToClient(P) : P; }

void TBarView::ChangeSelection(TBarItemViewer* AViewer, bool ViaMouse) {
  TBarItemViewer* old = selected_;
  if (AViewer && parentView_ && parentView_->openViewer_ && parentView_->openViewer_ != parentView_->selected_) {
    parentView_->Select(parentView_->openViewer_);
    parentView_->StopTimer(tiOpen);
    parentView_->StopTimer(tiClose);
  }
  bool modal = state_.Contains(vstModal);
  if (modal) {
    if (isToolbar_ || !ViaMouse) {
      StopTimer(tiClose);
      if (openViewer_ && openViewer_ != AViewer) CloseSubmenu();
    } else if (openViewer_ && openViewer_ != AViewer) {
      if (!TimerRunning(tiClose)) StartTimer(tiClose, static_cast<UINT>(GetMenuShowDelay()));
    } else if (openViewer_) {
      StopTimer(tiClose);  // back on the item whose sub-menu is open
    }
  }
  // Only a real change of the selected viewer ends tracking and moves the selection.
  if (AViewer != old) {
    CancelMouseTracking();
    if (old) old->Leaving();
    selected_ = AViewer;
    selectedViaMouse_ = ViaMouse;
  }
  bool oldOver = mouseOverSelected_;
  mouseOverSelected_ = false;
  if (selected_) {
    TPoint p = MessagePos();
    if (PointOnWindow(p)) {
      TPoint client = ScreenToWindow(p);
      if (ViewerFromPoint(client) == selected_)
        mouseOverSelected_ = !mouseTracking_ || selected_->InButtonPart(client.X - selected_->boundsRect_.Left,
                                                                        client.Y - selected_->boundsRect_.Top);
    }
  }
  if (selected_ != old) {
    for (TBarItemViewer* v : {old, selected_})
      if (v && (v->Item()->ItemStyle() & tbisRepaintOnSelect)) Invalidate(v);
    if (selected_) {
      selected_->Entering();
      if (window_ && window_->HandleAllocated()) QueueClick(selected_, 1);
    }
    if (modal && isPopup_) {
      StopTimer(tiOpen);
      if (ViaMouse && HasSubmenu(selected_)) StartTimer(tiOpen, static_cast<UINT>(GetMenuShowDelay()));
    }
    if (modal && isToolbar_) {
      if (ViaMouse && parentView_) state_.Include(vstMenusDropped);
      if (state_.Contains(vstMenusDropped) &&
          !(selected_ && (selected_->Item()->ItemStyle() & tbisManualOpen) && !ViaMouse))
        OpenSubmenu(!ViaMouse);
    }
  } else if (oldOver != mouseOverSelected_ && mouseTracking_ && selected_ &&
             (selected_->Item()->ItemStyle() & tbisRepaintOnHover)) {
    Invalidate(selected_);
  }
}

void TBarView::SelectFromMouse(const TPoint* P, bool AllowNew) {
  ValidatePositions();
  TBarItemViewer* candidate = state_.Contains(vstModal) ? selected_ : nullptr;
  bool wasInside = state_.Contains(vstMouseInside);
  bool inside = P && PointOnWindow(*P);
  if (inside) {
    if (isPopup_) candidate = nullptr;
    state_.Include(vstMouseInside);
    if (AllowNew || selected_)
      if (TBarItemViewer* v = ViewerFromPoint(ScreenToWindow(*P))) candidate = v;
  } else {
    state_.Exclude(vstMouseInside);
  }
  if (mouseTracking_) candidate = selected_;
  if (isPopup_ && wasInside && !inside && !mouseTracking_ && !(openViewer_ && HasSubmenu(candidate)))
    candidate = nullptr;
  ChangeSelection(candidate, true);
  UpdateScrollTimers(inside ? P : nullptr);
}

void TBarView::UpdateScrollTimers(const TPoint* P) {
  if (P && state_.Contains(vstModal) && window_) {
    TPoint client = ScreenToWindow(*P);
    int height = window_->ClientHeight();
    if (client.X >= 0 && client.X < window_->ClientWidth()) {
      if (showUpArrow_ && client.Y >= 0 && client.Y < BarScrollStripHeight) {
        StopTimer(tiScrollDown);
        if (!TimerRunning(tiScrollUp)) StartTimer(tiScrollUp, 100);
        return;
      }
      if (showDownArrow_ && client.Y >= height - BarScrollStripHeight && client.Y < height) {
        StopTimer(tiScrollUp);
        if (!TimerRunning(tiScrollDown)) StartTimer(tiScrollDown, 100);
        return;
      }
    }
  }
  StopTimer(tiScrollUp);
  StopTimer(tiScrollDown);
}

bool TBarView::IsCandidate(TBarItemViewer* V) const {
  return (V->show_ || V->clipped_) && V->Item()->Visible() && (V->Item()->ItemStyle() & tbisCanSelect);
}

TBarItemViewer* TBarView::NextSelectable(TBarItemViewer* AViewer, bool GoForward) {
  ValidatePositions();
  int n = ViewerCount();
  if (n == 0) return nullptr;
  int i = IndexOf(AViewer);
  for (int k = 0; k < n; ++k) {
    if (GoForward)
      i = i + 1 >= n ? 0 : i + 1;
    else
      i = i - 1 < 0 ? n - 1 : i - 1;
    if (IsCandidate(viewers_[static_cast<size_t>(i)])) return viewers_[static_cast<size_t>(i)];
  }
  return nullptr;
}

TBarItemViewer* TBarView::FirstCandidate() {
  TBarItemViewer* first = NextSelectable(nullptr, true);
  for (TBarItemViewer* v = first; v;) {
    if (!(v->Item()->ItemStyle() & tbisSkipAsFirst)) return v;
    v = NextSelectable(v, true);
    if (v == first) break;
  }
  return first;
}

TBarItemViewer* TBarView::FindByAccelerator(TBarItemViewer* Start, wchar_t Key, bool& Unique,
                                            bool RequirePrimaryAccel) {
  Unique = false;
  int n = ViewerCount();
  if (n == 0 || Key == 0) return nullptr;
  wchar_t key = AccelCharUpper(Key);
  auto matches = [&](int i, int pass) {
    TBarItemViewer* v = viewers_[static_cast<size_t>(i)];
    if (!IsCandidate(v) || !v->CaptionShown()) return false;
    WideString caption = v->CaptionBeforeTab();
    if (caption.empty()) return false;
    bool enabled = v->Item()->Enabled();
    if (enabled != (pass == 0 || pass == 2)) return false;
    wchar_t accel = FindAccelChar(caption);
    if (pass < 2) return accel != 0 && AccelCharUpper(accel) == key;
    return accel == 0 && Key != L' ' && AccelCharUpper(caption[0]) == key;
  };
  auto search = [&](int from, int pass) {
    for (int k = 1; k <= n; ++k) {
      int i = ((from + k) % n + n) % n;
      if (matches(i, pass)) return i;
    }
    return -1;
  };
  int start = IndexOf(Start);
  int passes = RequirePrimaryAccel ? 2 : 4;
  for (int pass = 0; pass < passes; ++pass) {
    int hit = search(start, pass);
    if (hit < 0) continue;
    Unique = (pass == 1 || pass == 3) || search(hit, pass) == hit;
    return viewers_[static_cast<size_t>(hit)];
  }
  return nullptr;
}

// ---- keys ----

void TBarView::HandleKey(Word& Key, TShiftState Shift) {
  TBarView* toolbar = NearestToolbarView();
  bool toolbarVertical = toolbar && toolbar->orientation_ == orVertical;
  switch (Key) {
    case VK_LEFT:
    case VK_RIGHT:
      if (toolbar == this && toolbarVertical) {
        OpenSubmenu(true);
      } else if (Key == VK_LEFT) {
        if (toolbar && !toolbarVertical && (toolbar == this || parentView_ == toolbar))
          toolbar->Select(toolbar->NextSelectable(toolbar->selected_, false));
        else if (parentView_)
          parentView_->CloseSubmenu();
      } else {
        bool opened = false;
        // Any menu popup opens the selection's sub-menu, the root of a context menu too.
        if (toolbar != this && (parentView_ || isPopup_)) opened = HasSubmenu(selected_) && OpenSubmenu(true);
        if (!opened && toolbar && !toolbarVertical) toolbar->Select(toolbar->NextSelectable(toolbar->selected_, true));
      }
      break;
    case VK_UP:
    case VK_DOWN:
      if (toolbar == this && !toolbarVertical) {
        OpenSubmenu(true);
      } else {
        Select(NextSelectable(selected_, Key == VK_DOWN));
        RevealSelection();
      }
      break;
    case VK_HOME:
    case VK_END:
      Select(NextSelectable(nullptr, Key == VK_HOME));
      RevealSelection();
      break;
    case VK_TAB: Select(NextSelectable(selected_, !Shift.Contains(ssShift))); break;
    case VK_RETURN: RunSelection(true); break;
    case VK_ESCAPE:
      if (parentView_)
        parentView_->CloseSubmenu();
      else
        CancelMenu();
      break;
    case VK_MENU:
    case VK_F10: CancelMenu(); break;
    case VK_F1:
      for (TBarView* v = this; v; v = v->parentView_)
        if (v->selected_ && v->selected_->Item()->HelpContext() != 0) {
          FinishWithHelp(v->selected_->Item()->HelpContext());
          break;
        }
      break;
    default: return;
  }
  Key = 0;
}
