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
  const bool showing = ShowingAccelerators();
  if (AShow)
    state_.Include(vstAccelsShown);
  else
    state_.Exclude(vstAccelsShown);
  // Only the underlines change, and only where they are drawn at all.
  if (ShowingAccelerators() != showing && window_ && window_->HandleAllocated())
    InvalidateRect(window_->Handle(), nullptr, FALSE);
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
  RECT bounds{r.Left, r.Top, r.Right, r.Bottom};
  // A viewer outside what this paint may touch keeps its mark for the paint that shows it.
  if (!RectVisible(dc, &bounds)) return;
  // In the window's own paint the pixels under a viewer are its background only when the paint
  // began by erasing; otherwise (its state changed, or the window was invalidated without erase)
  // they still show the picture drawn before, and drawing over it would blend the new state into
  // the old one. Such a viewer is drawn over its background in a bitmap, which also spares it the
  // flicker of an erase. A picture of the window in another device context (a print, a buffer)
  // was erased by whoever made it, and leaves the mark for the window's own paint.
  const bool ownPaint = window_ && window_->HandleAllocated() && WindowFromDC(dc) == window_->Handle();
  if (window_ && ((V->drawFlags_ & 1) || (ownPaint && !window_->PaintErased()))) {
    if (ownPaint) V->drawFlags_ &= ~1u;
    TCreatedDC memory(CreateCompatibleDC(dc));
    TBitmapHandle bitmap(CreateCompatibleBitmap(dc, r.Width(), r.Height()));
    TSelectObject select(memory.Get(), bitmap.Get());
    TCanvas offscreen;
    offscreen.SetHandle(memory.Get());
    // The window's own erase paints the background (its colour, or a themed or dock background),
    // shifted so that the bitmap gets the part behind the viewer.
    SetWindowOrgEx(memory.Get(), r.Left, r.Top, nullptr);
    window_->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory.Get()), reinterpret_cast<LPARAM>(memory.Get()));
    SetWindowOrgEx(memory.Get(), 0, 0, nullptr);
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
