// Painting a view: every viewer in order, the selected one last, through an off-screen bitmap
// when it asks for one.
#include "toolbars/BarView.h"

#include <algorithm>
#include <memory>

#include "framework/GdiHandles.h"
#include "toolbars/BarCommon.h"
#include "toolbars/BarDeferredClick.h"
#include "toolbars/BarViewerKinds.h"

// ---- painting ----

bool TBarView::ShowingAccelerators() {
  bool menu = isPopup_ || style_.Contains(vsyMenuBar);
  return AreKeyboardCuesEnabled() || !menu || state_.Contains(vstAccelsShown);
}

void TBarView::ShowAccelerators(bool AShow) {
  if (state_.Contains(vstAccelsShown) == AShow) return;
  if (AShow)
    state_.Include(vstAccelsShown);
  else
    state_.Exclude(vstAccelsShown);
  if (window_ && window_->HandleAllocated()) InvalidateRect(window_->Handle(), nullptr, FALSE);
}

bool TBarView::UseDisabledShadowFor(TBarItemViewer* V, bool Selected) {
  if (V->Item()->Enabled()) return false;
  if (V->IsToolbarStyle()) return true;
  if (Selected) return false;
  uint32_t color = ColorToRGB(window_ ? window_->Color() : backgroundColor_);
  return color == ColorToRGB(clBtnFace) || color == ColorToRGB(clGrayText);
}

void TBarView::PaintViewer(TCanvas* Canvas, TBarItemViewer* V) {
  const TRect r = V->boundsRect_;
  if (!V->show_ || r.IsEmpty() || IsControlItem(V)) return;
  bool selected = V == selected_;
  bool pushed = selected && (openViewer_ == V || (mouseTracking_ && mouseOverSelected_));
  bool toolbarStyle = V->IsToolbarStyle();
  bool enabled = V->Item()->Enabled();
  auto prepare = [&](TCanvas* c) {
    if (selected && !toolbarStyle) {
      c->Brush()->SetColor(AreFlatMenusEnabled() ? clMenuHighlight : clHighlight);
    } else {
      c->Brush()->SetStyle(bsClear);
    }
    c->Font()->Assign(ViewFont());
    if (V->Item()->EffectiveOptions().Contains(tboDefault)) c->Font()->SetStyle(c->Font()->Style() + fsBold);
    TColor text = clGrayText;
    if (enabled) text = (selected && !toolbarStyle) ? clHighlightText : (toolbarStyle ? clBtnText : clMenuText);
    c->Font()->SetColor(text);
  };
  bool shadow = UseDisabledShadowFor(V, selected);
  HDC dc = Canvas->Handle();
  if ((V->drawFlags_ & 1) && window_) {
    // The window's own paint is drawn without erasing: the mark alone brings the background
    // back under a viewer whose state changed. A picture of the window in another device
    // context (a print, a snapshot) leaves the mark for that paint, which would otherwise draw
    // the new state over the old one.
    if (window_->HandleAllocated() && WindowFromDC(dc) == window_->Handle()) V->drawFlags_ &= ~1u;
    TCreatedDC memory(CreateCompatibleDC(dc));
    TBitmapHandle bitmap(CreateCompatibleBitmap(dc, r.Width(), r.Height()));
    TSelectObject select(memory.Get(), bitmap.Get());
    TCanvas offscreen;
    offscreen.SetHandle(memory.Get());
    if (window_->Color() == clNone) {
      // A window without a colour of its own (a themed one) paints its background itself,
      // shifted so that the bitmap gets the part behind the viewer.
      SetWindowOrgEx(memory.Get(), r.Left, r.Top, nullptr);
      window_->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory.Get()), reinterpret_cast<LPARAM>(memory.Get()));
      SetWindowOrgEx(memory.Get(), 0, 0, nullptr);
    } else {
      offscreen.Brush()->SetColor(window_->Color());
      offscreen.FillRect({0, 0, r.Width(), r.Height()});
    }
    SetBrushOrgEx(memory.Get(), (8 - r.Left % 8) % 8, (8 - r.Top % 8) % 8, nullptr);
    prepare(&offscreen);
    V->Paint(&offscreen, {0, 0, r.Width(), r.Height()}, selected, pushed, shadow);
    offscreen.SetHandle(nullptr);
    BitBlt(dc, r.Left, r.Top, r.Width(), r.Height(), memory.Get(), 0, 0, SRCCOPY);
    return;
  }
  V->drawFlags_ &= ~1u;
  // Clip and brush origin are put back by hand: restoring a saved DC could select objects
  // into it that the canvas has freed meanwhile.
  TRegionHandle oldClip(CreateRectRgn(0, 0, 0, 0));
  bool clipped = GetClipRgn(dc, oldClip.Get()) == 1;
  POINT oldOrigin{};
  IntersectClipRect(dc, r.Left, r.Top, r.Right, r.Bottom);
  SetBrushOrgEx(dc, r.Left % 2, r.Top % 2, &oldOrigin);
  prepare(Canvas);
  V->Paint(Canvas, r, selected, pushed, shadow);
  SetBrushOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
  SelectClipRgn(dc, clipped ? oldClip.Get() : nullptr);
}

void TBarView::PaintViewers(TCanvas* Canvas) {
  ValidatePositions();
  bool inOrder = state_.Contains(vstPaintInOrder);
  state_.Exclude(vstPaintInOrder);
  for (TBarItemViewer* v : std::vector<TBarItemViewer*>(viewers_))
    if (inOrder || v != selected_) PaintViewer(Canvas, v);
  if (!inOrder && selected_) PaintViewer(Canvas, selected_);
}

void TBarView::AddTabStops(std::vector<TWinControl*>& List) {
  for (TBarItemViewer* v : viewers_)
    if (auto* control = dynamic_cast<TBarControlItem*>(v->Item()))
      if (v->offEdge_)
        if (auto* win = dynamic_cast<TWinControl*>(control->Control())) List.push_back(win);
}
