// The layout of a view: viewers measured and placed in rows or columns, wrapping, chevrons and
// priorities, separators and the view's size.
#include "toolbars/BarView.h"

#include <algorithm>
#include <memory>

#include "framework/GdiHandles.h"
#include "toolbars/BarCommon.h"
#include "toolbars/BarDeferredClick.h"
#include "toolbars/BarViewerKinds.h"

// ---- layout ----

void TBarView::GetPadding(TBarViewOrientation AOrientation, TRect& Margins) {
  Margins = AOrientation == orFloating ? TRect{4, 2, 4, 1} : TRect{};
}

TBarLayoutResult TBarView::CalculatePositions(bool AApply, TBarViewOrientation AOrientation, int AWrapOffset,
                                              int AChevronOffset, int AChevronSize) {
  struct RestoreOrientation {
    TBarView* View;
    TBarViewOrientation Old;
    ~RestoreOrientation() { View->orientation_ = Old; }
  } restore{this, orientation_};
  orientation_ = AOrientation;

  struct Pos {
    bool Show = false, OffEdge = false, Clipped = false, Across = false;
    TRect R;
    int W = 0, H = 0;
  };
  const size_t n = viewers_.size();
  std::vector<Pos> pos(n);
  const bool vertical = AOrientation == orVertical;
  const bool chevronPopup = chevronParentView_ != nullptr;
  TBarCustomItem* chevronItem = GetOverflowItem();
  int chevron = -1;
  if (chevronItem)
    for (size_t i = 0; i < n; ++i)
      if (viewers_[i]->Item() == chevronItem) chevron = static_cast<int>(i);
  auto sep = [&](size_t i) { return IsSeparator(viewers_[i]); };
  auto others = [&](auto&& f) {
    for (size_t i = 0; i < n; ++i)
      if (static_cast<int>(i) != chevron) f(i);
  };

  // Which items take part.
  others([&](size_t i) {
    TBarItemViewer* v = viewers_[i];
    TBarCustomItem* item = v->Item();
    // An item whose destruction has begun can no longer be asked for its size.
    if (item->IsDestroying()) {
      pos[i].Show = false;
      return;
    }
    if (auto* control = dynamic_cast<TBarControlItem*>(item)) {
      TControl* c = control->Control();
      pos[i].Show = !chevronPopup && c && window_ && c->Parent() == window_ &&
                    (c->Visible() || c->ComponentState().Contains(csDesigning));
      return;
    }
    pos[i].Show = item->Visible() && (!(item->ItemStyle() & tbisInlineGroup) || customizing_);
    if (pos[i].Show && chevronPopup && !sep(i)) {
      int j = chevronParentView_->frontCount_ + static_cast<int>(i) - frontCount_;
      pos[i].Show = j >= 0 && j < chevronParentView_->ViewerCount() &&
                    chevronParentView_->viewers_[static_cast<size_t>(j)]->OffEdge();
    }
  });
  auto hideLeadingAndDoubled = [&] {
    bool afterSeparator = true;
    others([&](size_t i) {
      if (!pos[i].Show) return;
      if (!sep(i)) {
        afterSeparator = false;
      } else if (afterSeparator) {
        pos[i].Show = false;
      } else {
        afterSeparator = true;
      }
    });
  };
  auto hideTrailing = [&] {
    for (size_t i = n; i-- > 0;) {
      if (static_cast<int>(i) == chevron || !pos[i].Show) continue;
      if (!sep(i)) break;
      pos[i].Show = false;
    }
  };
  hideLeadingAndDoubled();
  hideTrailing();

  // Measuring.
  {
    TWindowDC screen(nullptr);
    TCanvas canvas;
    canvas.SetHandle(screen.Get());
    TFont* font = ViewFont();
    others([&](size_t i) {
      if (!pos[i].Show) return;
      TBarItemViewer* v = viewers_[i];
      std::unique_ptr<TBarItemViewer> temporary;
      if (v->Item()->NeedsNewViewer(v)) {
        if (AApply) {
          RecreateViewersOf(v->Item());
          v = viewers_[i];
        } else {
          temporary.reset(v->Item()->ViewerClass(this)(this, v->Item(), v->GroupLevel()));
          v = temporary.get();
        }
      }
      if (auto* control = dynamic_cast<TBarControlItem*>(v->Item())) {
        pos[i].W = control->Control()->Width();
        pos[i].H = control->Control()->Height();
        return;
      }
      canvas.Font()->Assign(font);
      if (v->Item()->EffectiveOptions().Contains(tboDefault)) canvas.Font()->SetStyle(canvas.Font()->Style() + fsBold);
      v->CalcSize(&canvas, pos[i].W, pos[i].H);
    });
    canvas.SetHandle(nullptr);
  }
  int shared = 0;
  others([&](size_t i) {
    if (pos[i].Show && viewers_[i]->SharesWidth()) shared = std::max(shared, pos[i].W);
  });
  others([&](size_t i) {
    if (pos[i].Show && viewers_[i]->SharesWidth()) pos[i].W = shared;
  });
  auto length = [&](size_t i) { return vertical ? pos[i].H : pos[i].W; };
  auto shownLength = [&] {
    int sum = 0;
    others([&](size_t i) {
      if (pos[i].Show) sum += length(i);
    });
    return sum;
  };
  const int baseLength = shownLength();

  // Overflow into the chevron.
  bool anyOffEdge = false, itemOffEdge = false;
  const int reduced = AChevronOffset - AChevronSize;
  if (chevron >= 0 && AChevronOffset >= 1 && baseLength > AChevronOffset) {
    for (;;) {
      int shownItems = 0;
      others([&](size_t i) {
        if (pos[i].Show && !sep(i)) ++shownItems;
      });
      if (shownLength() <= reduced || shownItems < 2) break;
      int lastShown = -1;
      others([&](size_t i) {
        if (pos[i].Show) lastShown = static_cast<int>(i);
      });
      if (sep(static_cast<size_t>(lastShown))) {
        pos[static_cast<size_t>(lastShown)].Show = false;
        continue;
      }
      int victim = -1;
      if (usePriorityList_)
        for (size_t k = priorityList_.size(); k-- > 0 && victim < 0;) {
          int i = IndexOf(priorityList_[k]);
          if (i >= 0 && i != chevron && pos[static_cast<size_t>(i)].Show && !sep(static_cast<size_t>(i))) victim = i;
        }
      if (victim < 0)
        for (size_t i = n; i-- > 0 && victim < 0;)
          if (static_cast<int>(i) != chevron && pos[i].Show && !sep(i)) victim = static_cast<int>(i);
      Pos& p = pos[static_cast<size_t>(victim)];
      p.Show = false;
      p.OffEdge = true;
      anyOffEdge = true;
      if (!IsControlItem(viewers_[static_cast<size_t>(victim)])) itemOffEdge = true;
      hideLeadingAndDoubled();
    }
    hideTrailing();
    if (AApply) chevronItem->SetEnabled(itemOffEdge);
  }
  TBarLayoutResult result;
  {
    int thickness = 0;
    others([&](size_t i) {
      if (pos[i].Show) thickness = std::max(thickness, vertical ? pos[i].W : pos[i].H);
    });
    result.BaseSize = vertical ? TPoint{thickness, baseLength} : TPoint{baseLength, thickness};
  }

  // Lines.
  TRect margins;
  GetPadding(AOrientation, margins);
  int x = margins.Left, y = margins.Top;
  int lines = 1;
  int lineW = 0, lineH = 0;
  int maxRight = 0, maxBottom = 0;
  int minAlong = 0;
  bool wrappedSinceBreak = false;
  bool previousToolbarSize = false, placedAny = false;
  std::vector<size_t> line;
  auto toolbarSize = [&](size_t i) {
    return isToolbar_ || viewers_[i]->Item()->EffectiveOptions().Contains(tboToolbarSize);
  };
  auto offsetAlong = [&](Pos& p, int d) {
    if (vertical)
      p.R = {p.R.Left, p.R.Top + d, p.R.Right, p.R.Bottom + d};
    else
      p.R = {p.R.Left + d, p.R.Top, p.R.Right + d, p.R.Bottom};
  };
  auto finishLine = [&](bool last) {
    if (lines > 1 && !chevronPopup && AOrientation != orFloating) minAlong = AWrapOffset;
    if (!line.empty()) {
      if (isToolbar_) {
        int thick = vertical ? lineW : lineH;
        if (last && lines == 1 && AOrientation != orFloating)
          thick = vertical ? maxRight - margins.Left : maxBottom - margins.Top;
        for (size_t i : line) {
          Pos& p = pos[i];
          if (sep(i) || (viewers_[i]->Item()->ItemStyle() & tbisFillRow)) {
            if (vertical)
              p.R.Right = p.R.Left + thick;
            else
              p.R.Bottom = p.R.Top + thick;
          } else {
            int d = (thick - (vertical ? p.W : p.H)) / 2;
            if (vertical)
              p.R = {p.R.Left + d, p.R.Top, p.R.Right + d, p.R.Bottom};
            else
              p.R = {p.R.Left, p.R.Top + d, p.R.Right, p.R.Bottom + d};
          }
        }
      }
      if (isPopup_) {
        int widest = 0;
        for (size_t i : line) widest = std::max(widest, pos[i].W);
        for (size_t i : line)
          if (!toolbarSize(i)) pos[i].R.Right = pos[i].R.Left + widest;
      }
      for (size_t k = 0; k < line.size(); ++k) {
        if (!(viewers_[line[k]]->Item()->ItemStyle() & tbisAlignToEnd)) continue;
        const TRect& lastRect = pos[line.back()].R;
        int lineEnd = vertical ? lastRect.Bottom : lastRect.Right;
        int shift = std::max(AWrapOffset, vertical ? maxBottom : maxRight) - lineEnd;
        if (shift > 0)
          for (size_t m = k; m < line.size(); ++m) offsetAlong(pos[line[m]], shift);
        break;
      }
      for (size_t i : line) {
        maxRight = std::max(maxRight, pos[i].R.Right);
        maxBottom = std::max(maxBottom, pos[i].R.Bottom);
      }
    }
    line.clear();
    lineW = lineH = 0;
  };
  auto place = [&](size_t i, int px, int py) {
    pos[i].R = Bounds(std::max(px, 0), std::max(py, 0), pos[i].W, pos[i].H);
    maxRight = std::max(maxRight, pos[i].R.Right);
    maxBottom = std::max(maxBottom, pos[i].R.Bottom);
  };
  for (size_t i = 0; i < n; ++i) {
    if (static_cast<int>(i) == chevron || !pos[i].Show) continue;
    bool tb = toolbarSize(i);
    if (placedAny && previousToolbarSize && !tb) {
      x = margins.Left;
      y = maxBottom;
    }
    previousToolbarSize = tb;
    placedAny = true;
    int along = vertical ? y : x;
    if (AWrapOffset >= 1 && along >= 1) {
      if (sep(i)) {
        bool lineBreak = wrappedSinceBreak && !(viewers_[i]->Item()->ItemStyle() & tbisKeepLineAfterWrap);
        if (!lineBreak) {
          int end = along + length(i);
          for (size_t j = i + 1; j < n; ++j) {
            if (static_cast<int>(j) == chevron || !pos[j].Show) continue;
            if (sep(j)) break;
            end += length(j);
          }
          lineBreak = end > AWrapOffset;
        }
        if (lineBreak) {
          int thick = vertical ? lineW : lineH;
          ++lines;
          finishLine(false);
          if (vertical)
            x += thick, y = 0;
          else
            y += thick, x = 0;
          pos[i].W = vertical ? 6 : 0;
          pos[i].H = vertical ? 0 : 6;
          place(i, x, y);
          pos[i].Across = true;
          if (vertical)
            lineW = 6, x += 6, y = margins.Top;
          else
            lineH = 6, y += 6, x = margins.Left;
          wrappedSinceBreak = false;
          continue;
        }
      }
      if (along + length(i) > AWrapOffset) {
        int thick = vertical ? lineW : lineH;
        ++lines;
        finishLine(false);
        if (vertical)
          x += thick, y = margins.Top;
        else
          y += thick, x = margins.Left;
        wrappedSinceBreak = true;
      }
    }
    place(i, x, y);
    line.push_back(i);
    lineW = std::max(lineW, pos[i].W);
    lineH = std::max(lineH, pos[i].H);
    if (tb && !vertical)
      x += pos[i].W;
    else
      y += pos[i].H;
  }
  finishLine(true);
  result.WrappedLines = lines;

  // Totals.
  int right = 0, bottom = 0;
  others([&](size_t i) {
    if (!pos[i].Show) return;
    right = std::max(right, pos[i].R.Right);
    bottom = std::max(bottom, pos[i].R.Bottom);
  });
  TPoint total{right + margins.Right, bottom + margins.Bottom};
  if (vertical)
    total.Y = std::max(total.Y, minAlong);
  else
    total.X = std::max(total.X, minAlong);
  others([&](size_t i) {
    Pos& p = pos[i];
    if (!p.Show) return;
    if (vertical) p.R = {total.X - p.R.Right, p.R.Top, total.X - p.R.Left, p.R.Bottom};
    if (isToolbar_ && p.Across) {
      if (vertical)
        p.R.Top = 0, p.R.Bottom = total.Y;
      else
        p.R.Left = 0, p.R.Right = total.X;
    }
  });

  // Scrolling of a long popup.
  int offset = 0;
  bool up = false, down = false;
  if (isPopup_ && maxHeight_ >= 1 && total.Y > maxHeight_) {
    int overflow = total.Y - maxHeight_;
    offset = std::clamp(scrollOffset_, 0, overflow);
    up = offset > 0;
    down = overflow > offset;
    others([&](size_t i) {
      Pos& p = pos[i];
      if (!p.Show) return;
      p.R = {p.R.Left, p.R.Top - offset, p.R.Right, p.R.Bottom - offset};
      bool underStrip =
          (up && p.R.Top < BarScrollStripHeight) || (down && p.R.Bottom > maxHeight_ - BarScrollStripHeight);
      if (underStrip || p.R.Bottom <= 0 || p.R.Top >= maxHeight_) {
        p.Show = false;
        p.Clipped = true;
      }
    });
    total.Y = maxHeight_;
  }

  // The chevron, after the items that fit; the total takes it in so that it can be seen.
  if (anyOffEdge && chevron >= 0) {
    Pos& p = pos[static_cast<size_t>(chevron)];
    int content = vertical ? bottom : right;
    int at = std::max(reduced, content);
    p.R = vertical ? Bounds(0, at, total.X, AChevronSize) : Bounds(at, 0, AChevronSize, total.Y);
    p.Show = true;
    if (vertical)
      total.Y = std::max(total.Y, at + AChevronSize);
    else
      total.X = std::max(total.X, at + AChevronSize);
  }
  result.TotalSize = total;

  if (AApply) {
    for (size_t i = 0; i < n; ++i) {
      auto* control = dynamic_cast<TBarControlItem*>(viewers_[i]->Item());
      if (!control || !control->Control()) continue;
      TControl* c = control->Control();
      if (pos[i].Show) {
        if (!(c->BoundsRect() == pos[i].R)) c->SetBoundsRect(pos[i].R);
      } else if ((pos[i].OffEdge || pos[i].Clipped) && window_) {
        c->SetBounds(window_->ClientWidth(), window_->ClientHeight(), c->Width(), c->Height());
      }
    }
    for (size_t i = 0; i < n; ++i) {
      TBarItemViewer* v = viewers_[i];
      const Pos& p = pos[i];
      bool across = v->drawFlags_ & 2;
      if (!(v->boundsRect_ == p.R) || v->show_ != p.Show || across != p.Across) result.Changed = true;
      v->boundsRect_ = p.R;
      v->show_ = p.Show;
      v->offEdge_ = p.OffEdge;
      v->clipped_ = p.Clipped;
      v->drawFlags_ = p.Across ? (v->drawFlags_ | 2) : (v->drawFlags_ & ~2u);
    }
    scrollOffset_ = offset;
    showUpArrow_ = up;
    showDownArrow_ = down;
  }
  return result;
}

void TBarView::LayoutViewers(TPoint& ASize) {
  if (inLayout_) return;
  inLayout_ = true;
  TBarLayoutResult r;
  try {
    r = CalculatePositions(true, orientation_, wrapOffset_, chevronOffset_, chevronSize_);
  } catch (...) {
    inLayout_ = false;
    throw;
  }
  inLayout_ = false;
  positionsValid_ = true;
  baseSize_ = r.BaseSize;
  // The caller's size is a minimum: a toolbar shares its row's thickness this way.
  ASize = {std::max(r.TotalSize.X, ASize.X), std::max(r.TotalSize.Y, ASize.Y)};
  bool handle = window_ && window_->HandleAllocated();
  // A designed view repaints through its window's own paint; a running one at once, off screen.
  bool designing = ComponentState().Contains(csDesigning);
  if (r.Changed && handle && !designing) ValidateRect(window_->Handle(), nullptr);
  FitWindow(ASize.X, ASize.Y);
  if (!r.Changed || !handle) return;
  if (designing)
    InvalidateRect(window_->Handle(), nullptr, TRUE);
  else
    RepaintWindowNow();
}

void TBarView::RepaintWindowNow() {
  HWND wnd = window_->Handle();
  RECT client{};
  GetClientRect(wnd, &client);
  if (!IsWindowVisible(wnd) || client.right < 1 || client.bottom < 1) return;
  TWindowDC dc(wnd);
  TCreatedDC memory(CreateCompatibleDC(dc.Get()));
  TBitmapHandle bitmap(CreateCompatibleBitmap(dc.Get(), client.right, client.bottom));
  TSelectObject select(memory.Get(), bitmap.Get());
  window_->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory.Get()), 0);
  window_->Perform(WM_PAINT, reinterpret_cast<WPARAM>(memory.Get()), 0);
  BitBlt(dc.Get(), 0, 0, client.right, client.bottom, memory.Get(), 0, 0, SRCCOPY);
  ValidateRect(wnd, nullptr);
}

void TBarView::FitWindow(int, int) {}

void TBarPopupView::FitWindow(int AWidth, int AHeight) {
  TWinControl* w = Window();
  if (!w) return;
  int ncX = w->Width() - w->ClientWidth();
  int ncY = w->Height() - w->ClientHeight();
  w->SetBounds(w->Left(), w->Top(), AWidth + ncX, AHeight + ncY);
}

TFont* TBarView::ViewFont() {
  if (TFont* font = GetToolbarFont()) return font;
  return window_ ? window_->Font() : nullptr;
}

TFont* TBarPopupView::ViewFont() { return Window() ? Window()->Font() : TBarView::ViewFont(); }

void TBarView::SetOrientation(TBarViewOrientation Value) {
  if (orientation_ == Value) return;
  orientation_ = Value;
  InvalidateLayout();
}

void TBarView::SetWrapOffset(int Value) {
  if (wrapOffset_ == Value) return;
  wrapOffset_ = Value;
  InvalidateLayout();
}

void TBarView::SetChevronOffset(int Value) {
  if (chevronOffset_ == Value) return;
  chevronOffset_ = Value;
  InvalidateLayout();
}

void TBarView::SetChevronSize(int Value) {
  if (chevronSize_ == Value) return;
  chevronSize_ = Value;
  InvalidateLayout();
}

void TBarView::SetMaxHeight(int Value) {
  if (maxHeight_ == Value) return;
  maxHeight_ = Value;
  InvalidateLayout();
}

void TBarView::SetUsePriorityList(bool Value) {
  if (usePriorityList_ == Value) return;
  usePriorityList_ = Value;
  RebuildViewers();
}
