// Views: viewers kept in step with the item tree, their layout, selection, keys and painting.
#include "toolbars/BarView.h"

#include <algorithm>
#include <memory>

#include "framework/GdiHandles.h"
#include "toolbars/BarCommon.h"
#include "toolbars/BarDeferredClick.h"

HV_PUBLISH(TBarView) {}
HV_PUBLISH(TBarPopupView) {}

namespace {

// Embedded groups nested deeper than this show no viewers.
constexpr int MaxGroupLevel = 10;

std::unique_ptr<TFont> toolbarFont;

bool HasSubmenu(const TBarItemViewer* v) { return v && (v->Item()->ItemStyle() & tbisHasSubmenu); }
bool IsSeparator(const TBarItemViewer* v) { return v->Item()->ItemStyle() & tbisDivider; }
bool IsControlItem(const TBarItemViewer* v) { return dynamic_cast<TBarControlItem*>(v->Item()) != nullptr; }

wchar_t UpperChar(wchar_t c) {
  return static_cast<wchar_t>(
      reinterpret_cast<UINT_PTR>(CharUpperW(reinterpret_cast<LPWSTR>(static_cast<UINT_PTR>(c)))));
}

}  // namespace

TFont* GetToolbarFont() {
  if (!toolbarFont) {
    toolbarFont = std::make_unique<TFont>();
    UpdateToolbarFont();
  }
  return toolbarFont.get();
}

void UpdateToolbarFont() {
  if (!toolbarFont) return;
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
    toolbarFont->SetLogFont(metrics.lfMenuFont);
}

// ---- construction ----

TBarView::TBarView(TComponent* AOwner, TBarView* AParentView, TBarCustomItem* AParentItem, TWinControl* AWindow,
                   bool AIsToolbar, bool ACustomizing, bool AUsePriorityList)
    : TComponent(AOwner),
      customizing_(ACustomizing),
      isPopup_(!AIsToolbar),
      isToolbar_(AIsToolbar),
      parentView_(AParentView),
      parentItem_(AParentItem),
      usePriorityList_(AUsePriorityList),
      window_(AWindow) {
  if (parentItem_) {
    parentItem_->RegisterNotification(TBarItemChangeHandler(this, &TBarView::ParentItemChanged));
    parentItem_->FreeNotification(this);
    SetLinkItem(parentItem_->GetItemsWithLink());
  }
  RebuildViewers();
}

TBarView::~TBarView() {
  if (AccObject && BarAccObjectOrphaned) BarAccObjectOrphaned(AccObject);
  CloseSubmenu();
  StopAllTimers();
  if (parentView_) {
    if (parentView_->IsToolbar()) parentView_->state_.Include(vstNoAnimation);
    if (parentView_->openViewerView_ == this) {
      TBarItemViewer* open = parentView_->openViewer_;
      parentView_->openViewerView_ = nullptr;
      parentView_->openViewerWindow_ = nullptr;
      parentView_->openViewer_ = nullptr;
      if (open) parentView_->Invalidate(open);
    }
  }
  SetLinkItem(nullptr);
  if (parentItem_) {
    parentItem_->UnregisterNotification(TBarItemChangeHandler(this, &TBarView::ParentItemChanged));
    parentItem_ = nullptr;
  }
  FreeViewers();
}

void TBarView::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == chevronParentView_) chevronParentView_ = nullptr;
  if (AComponent != parentItem_ && AComponent != linkItem_) return;
  // The item is half gone already: it is forgotten, not asked anything.
  CloseSubmenu();
  FreeViewers();
  if (AComponent == linkItem_) linkItem_ = nullptr;
  if (AComponent == parentItem_) {
    parentItem_ = nullptr;
    SetLinkItem(nullptr);
  }
  positionsValid_ = false;
}

void TBarView::SetLinkItem(TBarCustomItem* Value) {
  if (linkItem_ == Value) return;
  if (linkItem_) {
    linkItem_->UnregisterNotification(TBarItemChangeHandler(this, &TBarView::LinkItemChanged));
    if (linkItem_ != parentItem_) linkItem_->RemoveFreeNotification(this);
  }
  linkItem_ = Value;
  if (linkItem_) {
    linkItem_->RegisterNotification(TBarItemChangeHandler(this, &TBarView::LinkItemChanged));
    linkItem_->FreeNotification(this);
  }
}

void TBarView::SetChevronParentView(TBarView* Value) {
  if (chevronParentView_) chevronParentView_->RemoveFreeNotification(this);
  chevronParentView_ = Value;
  if (Value) Value->FreeNotification(this);
}

// ---- viewers ----

int TBarView::AddViewersFor(int Index, TBarCustomItem* AItem, int AGroupLevel) {
  if (AGroupLevel > MaxGroupLevel) return 0;
  TBarItemViewer* viewer = AItem->ViewerClass(this)(this, AItem, AGroupLevel);
  viewers_.insert(viewers_.begin() + Index, viewer);
  int added = 1;
  if (!customizing_ && (AItem->ItemStyle() & tbisInlineGroup)) {
    TBarCustomItem* source = AItem->GetItemsWithLink();
    for (int i = 0; i < source->Count(); ++i) added += AddViewersFor(Index + added, source->Items(i), AGroupLevel + 1);
  }
  return added;
}

void TBarView::FreeViewers() {
  priorityList_.clear();
  std::vector<TBarItemViewer*> old = std::move(viewers_);
  viewers_.clear();
  selected_ = nullptr;
  for (TBarItemViewer* v : old) delete v;
  frontCount_ = endCount_ = 0;
}

void TBarView::RebuildViewers() {
  CloseSubmenu();
  Select(nullptr);
  InvalidateLayout();
  FreeViewers();
  if (TBarCustomItem* leading = GetLeadingItem()) frontCount_ = AddViewersFor(0, leading, 0);
  if (linkItem_) {
    for (int i = 0; i < linkItem_->Count(); ++i) {
      int at = ViewerCount();
      int added = AddViewersFor(at, linkItem_->Items(i), 0);
      for (int k = 0; k < added; ++k) priorityList_.push_back(viewers_[static_cast<size_t>(at + k)]);
    }
  }
  if (TBarCustomItem* trailing = GetTrailingGroup())
    for (int i = 0; i < trailing->Count(); ++i) endCount_ += AddViewersFor(ViewerCount(), trailing->Items(i), 0);
  if (TBarCustomItem* overflow = GetOverflowItem()) endCount_ += AddViewersFor(ViewerCount(), overflow, 0);
}

void TBarView::RemoveViewer(TBarItemViewer* AViewer) {
  if (selected_ == AViewer) selected_ = nullptr;
  if (openViewer_ == AViewer) CloseSubmenu();
  priorityList_.erase(std::remove(priorityList_.begin(), priorityList_.end(), AViewer), priorityList_.end());
  viewers_.erase(std::find(viewers_.begin(), viewers_.end(), AViewer));
  delete AViewer;
}

void TBarView::InsertViewersFor(TBarCustomItem* Sender, bool Relayed, int Index, TBarCustomItem* Item) {
  int level = 0;
  int first = frontCount_;
  int last = ViewerCount() - endCount_;
  if (Relayed) {
    if (customizing_) return;  // groups show as single items then
    int group = -1;
    // The group itself changed, or the item whose sub-items it shows.
    for (int i = 0; i < ViewerCount(); ++i) {
      TBarCustomItem* item = viewers_[static_cast<size_t>(i)]->Item();
      if (item == Sender || item->LinkSubitems() == Sender) {
        group = i;
        break;
      }
    }
    if (group < 0) return;
    level = viewers_[static_cast<size_t>(group)]->GroupLevel() + 1;
    if (level > MaxGroupLevel) return;
    first = group + 1;
    last = first;
    while (last < ViewerCount() - endCount_ && viewers_[static_cast<size_t>(last)]->GroupLevel() >= level) ++last;
  }
  int at = last;
  TBarCustomItem* container = Item->Parent();
  if (container && Index + 1 < container->Count()) {
    TBarCustomItem* next = container->Items(Index + 1);
    for (int i = first; i < last; ++i) {
      TBarItemViewer* v = viewers_[static_cast<size_t>(i)];
      if (v->Item() == next && v->GroupLevel() == level) {
        at = i;
        break;
      }
    }
  }
  int added = AddViewersFor(at, Item, level);
  if (!usePriorityList_) return;
  bool front = newViewersFirst_ && !Item->IsLoading();
  for (int k = 0; k < added; ++k) {
    TBarItemViewer* v = viewers_[static_cast<size_t>(at + k)];
    if (front)
      priorityList_.insert(priorityList_.begin() + k, v);
    else
      priorityList_.push_back(v);
  }
}

void TBarView::DeleteViewersOf(TBarCustomItem* Item) {
  for (int i = 0; i < ViewerCount();) {
    TBarItemViewer* v = viewers_[static_cast<size_t>(i)];
    if (v->Item() != Item) {
      ++i;
      continue;
    }
    int level = v->GroupLevel();
    int end = i + 1;
    while (end < ViewerCount() && viewers_[static_cast<size_t>(end)]->GroupLevel() > level) ++end;
    std::vector<TBarItemViewer*> doomed(viewers_.begin() + i, viewers_.begin() + end);
    for (TBarItemViewer* d : doomed) RemoveViewer(d);
  }
}

void TBarView::RecreateViewersOf(TBarCustomItem* Item) {
  for (size_t i = 0; i < viewers_.size(); ++i) {
    TBarItemViewer* old = viewers_[i];
    if (old->Item() != Item) continue;
    if (openViewer_ == old) CloseSubmenu();
    TBarItemViewer* fresh = Item->ViewerClass(this)(this, Item, old->GroupLevel());
    viewers_[i] = fresh;
    std::replace(priorityList_.begin(), priorityList_.end(), old, fresh);
    if (selected_ == old) selected_ = fresh;
    delete old;
  }
}

TBarItemViewer* TBarView::Find(TBarCustomItem* AItem) const {
  for (TBarItemViewer* v : viewers_)
    if (v->Item() == AItem) return v;
  throw EBarItemError(SBarItemViewerNotFound);
}

int TBarView::IndexOf(const TBarItemViewer* AViewer) const {
  if (!AViewer) return -1;
  auto it = std::find(viewers_.begin(), viewers_.end(), AViewer);
  return it == viewers_.end() ? -1 : static_cast<int>(it - viewers_.begin());
}

TBarItemViewer* TBarView::ViewerFromPoint(const TPoint& P) {
  ValidatePositions();
  for (TBarItemViewer* v : viewers_)
    if (v->show_ && v->boundsRect_.Contains(P)) return v;
  return nullptr;
}

void TBarView::Invalidate(TBarItemViewer* AViewer) {
  if (!positionsValid_ || !AViewer || !window_ || !window_->HandleAllocated()) return;
  if (!AViewer->show_ || AViewer->boundsRect_.IsEmpty() || IsControlItem(AViewer)) return;
  AViewer->drawFlags_ |= 1;
  RECT r{AViewer->boundsRect_.Left, AViewer->boundsRect_.Top, AViewer->boundsRect_.Right, AViewer->boundsRect_.Bottom};
  InvalidateRect(window_->Handle(), &r, FALSE);
}

void TBarView::InvalidateLayout() {
  positionsValid_ = false;
  if (window_ && window_->HandleAllocated()) InvalidateRect(window_->Handle(), nullptr, TRUE);
}

// ---- change notifications ----

void TBarView::ParentItemChanged(TBarCustomItem*, bool, TBarItemChangedAction Action, int, TBarCustomItem*) {
  if (Action == tbicSubitemsChanged) {
    SetLinkItem(parentItem_ ? parentItem_->GetItemsWithLink() : nullptr);
    RebuildViewers();
  } else if (Action == tbicSubMenuImagesChanged && linkItem_ != parentItem_) {
    InvalidateLayout();
  }
  // An item being deleted may be half destroyed already (an item leaves its parent from its
  // destructor): the layout waits until the link item's handler has removed its viewers.
  if (Action != tbicNameChanged && Action != tbicDeleting) ValidateIfIdle();
}

void TBarView::LinkItemChanged(TBarCustomItem* Sender, bool Relayed, TBarItemChangedAction Action, int Index,
                               TBarCustomItem* Item) {
  switch (Action) {
    case tbicInserted:
      InvalidateLayout();
      InsertViewersFor(Sender, Relayed, Index, Item);
      break;
    case tbicDeleting:
      InvalidateLayout();
      DeleteViewersOf(Item);
      break;
    case tbicSubitemsChanged:
      if (Relayed) RebuildViewers();
      break;
    case tbicSubitemsBeginUpdate: BeginUpdate(); break;
    case tbicSubitemsEndUpdate: EndUpdate(); return;
    case tbicInvalidate:
      for (TBarItemViewer* v : viewers_)
        if (v->Item() == Item) Invalidate(v);
      break;
    case tbicInvalidateAndResize: InvalidateLayout(); break;
    case tbicRecreateItemViewers:
      InvalidateLayout();
      RecreateViewersOf(Item);
      break;
    case tbicSubMenuImagesChanged:
      for (TBarView* v = this; v; v = v->openViewerView_) v->InvalidateLayout();
      break;
    case tbicNameChanged: return;
  }
  ValidateIfIdle();
}

void TBarView::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0) ValidateIfIdle();
}

void TBarView::ValidateIfIdle() {
  if (updateCount_ != 0) return;
  if (parentItem_ && (parentItem_->IsLoading() || (parentItem_->Owner() && parentItem_->Owner()->IsLoading()))) return;
  ValidatePositions();
}

void TBarView::ValidatePositions() {
  if (!positionsValid_) UpdatePositions();
}

void TBarView::UpdatePositions() {
  TPoint size;
  LayoutViewers(size);
}

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
  const bool designing = ComponentState().Contains(csDesigning);
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
      pos[i].Show = !chevronPopup && c && window_ && c->Parent() == window_ && (c->Visible() || designing);
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
  if (r.Changed && handle) ValidateRect(window_->Handle(), nullptr);
  FitWindow(ASize.X, ASize.Y);
  if (r.Changed && handle) RepaintWindowNow();
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

// ---- chain of views ----

TBarView* TBarView::GetRootView() {
  TBarView* v = this;
  while (v->parentView_) v = v->parentView_;
  return v;
}

bool TBarView::HasInParentChain(const TBarView* AView) const {
  for (const TBarView* v = this; v; v = v->parentView_)
    if (v == AView) return true;
  return false;
}

TBarView* TBarView::NearestToolbarView() {
  for (TBarView* v = this; v; v = v->parentView_)
    if (v->isToolbar_) return v;
  return nullptr;
}

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
  wchar_t key = UpperChar(Key);
  auto matches = [&](int i, int pass) {
    TBarItemViewer* v = viewers_[static_cast<size_t>(i)];
    if (!IsCandidate(v) || !v->CaptionShown()) return false;
    WideString caption = v->CaptionBeforeTab();
    if (caption.empty()) return false;
    bool enabled = v->Item()->Enabled();
    if (enabled != (pass == 0 || pass == 2)) return false;
    wchar_t accel = FindAccelChar(caption);
    if (pass < 2) return accel != 0 && UpperChar(accel) == key;
    return accel == 0 && Key != L' ' && UpperChar(caption[0]) == key;
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

// ---- sub-menus ----

bool TBarView::OpenSubmenu(bool SelectFirstItem) {
  StopTimer(tiClose);
  StopTimer(tiOpen);
  if (selected_ != openViewer_) {
    CloseSubmenu();
    if (selected_ && selected_->Item()->Enabled() && HasSubmenu(selected_)) {
      selected_->Item()->CreatePopup(this, selected_, !isToolbar_, SelectFirstItem, customizing_, TPoint{}, 0);
      wheelAccumulator_ = 0;
    }
  }
  return openViewer_ != nullptr;
}

void TBarView::SetOpenViewer(TBarItemViewer* AViewer, TBarView* AView, TWinControl* AWindow) {
  openViewer_ = AViewer;
  openViewerView_ = AView;
  openViewerWindow_ = AWindow;
}

void TBarView::CloseSubmenu() {
  if (!openViewer_ && !openViewerView_) return;
  if (openViewerView_) openViewerView_->CloseSubmenu();
  StopTimer(tiClose);
  TBarItemViewer* viewer = openViewer_;
  TWinControl* window = std::exchange(openViewerWindow_, nullptr);
  TBarView* view = std::exchange(openViewerView_, nullptr);
  if (window)
    Free(window);
  else if (view)
    Free(view);
  openViewer_ = nullptr;
  if (viewer) Invalidate(viewer);
}

void TBarView::CloseAllSubmenus() {
  CloseSubmenu();
  if (isToolbar_) state_.Exclude(vstMenusDropped);
}

// ---- ending a menu ----

void TBarView::RunSelection(bool AGivePriority) {
  if (!selected_ || !selected_->Item()->Enabled()) {
    CancelMenu();
    return;
  }
  TBarCustomItem* item = selected_->Item();
  if ((item->ItemStyle() & tbisHasSubmenu) && !(item->ItemStyle() & tbisSplitButton)) {
    OpenSubmenu(true);
    return;
  }
  if (!(item->ItemStyle() & tbisCanSelect)) {
    CancelMenu();
    return;
  }
  selected_->Execute(AGivePriority);
}

void TBarView::CancelMenu() { GetRootView()->doneActionData_ = {tbdaCancel}; }

void TBarView::FinishWithClick(TBarItemViewer* AViewer) {
  TBarDoneActionData d;
  d.DoneAction = tbdaClickItem;
  d.ClickItem = AViewer->Item();
  d.Sound = AViewer->View()->IsPopup();
  GetRootView()->doneActionData_ = d;
}

void TBarView::FinishWithSystemMenu(HWND AWnd, Word AKey) {
  TBarDoneActionData d;
  d.DoneAction = tbdaOpenSystemMenu;
  d.Wnd = AWnd;
  d.Key = AKey;
  GetRootView()->doneActionData_ = d;
}

void TBarView::FinishWithHelp(int AContext) {
  TBarDoneActionData d;
  d.DoneAction = tbdaHelpContext;
  d.ContextID = AContext;
  GetRootView()->doneActionData_ = d;
}

void TBarView::PromoteViewer(TBarItemViewer* AViewer) {
  if (chevronParentView_) {
    int j = chevronParentView_->frontCount_ + IndexOf(AViewer) - frontCount_;
    if (j >= 0 && j < chevronParentView_->ViewerCount())
      chevronParentView_->PromoteViewer(chevronParentView_->viewers_[static_cast<size_t>(j)]);
    return;
  }
  if (parentView_ && parentView_->openViewer_) parentView_->PromoteViewer(parentView_->openViewer_);
  if (!usePriorityList_) return;
  auto it = std::find(priorityList_.begin(), priorityList_.end(), AViewer);
  if (it == priorityList_.end()) return;
  priorityList_.erase(it);
  priorityList_.insert(priorityList_.begin(), AViewer);
  if (!positionsValid_ || AViewer->offEdge_) {
    positionsValid_ = false;
    ValidateIfIdle();
  }
}

// ---- timers and scrolling ----

void TBarView::StartTimer(int AKind, UINT AInterval) {
  StopTimer(AKind);
  activeTimers_ |= 1u << AKind;
  if (isPopup_ && window_ && window_->HandleAllocated())
    SetTimer(window_->Handle(), BarViewTimerBase + static_cast<UINT_PTR>(AKind), AInterval, nullptr);
}

void TBarView::StopTimer(int AKind) {
  if (!TimerRunning(AKind)) return;
  activeTimers_ &= ~(1u << AKind);
  if (window_ && window_->HandleAllocated())
    KillTimer(window_->Handle(), BarViewTimerBase + static_cast<UINT_PTR>(AKind));
}

void TBarView::StopAllTimers() {
  for (int k = 0; k < 8; ++k) StopTimer(k);
}

void TBarView::TimerFired(int AKind) {
  switch (AKind) {
    case tiOpen:
      StopTimer(tiOpen);
      CloseSubmenu();
      OpenSubmenu(false);
      break;
    case tiClose:
      StopTimer(tiClose);
      CloseSubmenu();
      break;
    case tiScrollUp:
    case tiScrollDown: {
      bool down = AKind == tiScrollDown;
      if (down ? showDownArrow_ : showUpArrow_)
        ScrollByItem(down);
      else
        StopTimer(AKind);
      break;
    }
    default: StopTimer(AKind); break;
  }
}

void TBarView::ScrollBy(int ADelta) {
  if (ADelta == 0) return;
  scrollOffset_ += ADelta;
  InvalidateLayout();
  ValidatePositions();
}

void TBarView::ScrollByItem(bool ADown) {
  ValidatePositions();
  int limit = maxHeight_ - BarScrollStripHeight;
  TBarItemViewer* best = nullptr;
  for (TBarItemViewer* v : viewers_) {
    if (!v->clipped_ || IsSeparator(v)) continue;
    if (ADown) {
      if (v->boundsRect_.Bottom > limit && (!best || v->boundsRect_.Bottom < best->boundsRect_.Bottom)) best = v;
    } else if (v->boundsRect_.Top < BarScrollStripHeight && (!best || v->boundsRect_.Top > best->boundsRect_.Top)) {
      best = v;
    }
  }
  if (!best) return;
  ScrollBy(ADown ? best->boundsRect_.Bottom - limit : -(BarScrollStripHeight - best->boundsRect_.Top));
}

void TBarView::RevealSelection() {
  ValidatePositions();
  if (!selected_ || !selected_->clipped_) return;
  if (selected_->boundsRect_.Top < BarScrollStripHeight)
    ScrollBy(-(BarScrollStripHeight - selected_->boundsRect_.Top));
  else if (selected_->boundsRect_.Bottom > maxHeight_ - BarScrollStripHeight)
    ScrollBy(selected_->boundsRect_.Bottom - (maxHeight_ - BarScrollStripHeight));
}

void TBarView::HandleWheel(int WheelDelta, int, int) {
  if (!showUpArrow_ && !showDownArrow_) return;
  UINT lines = 3;
  if (!BarSystemParametersInfo(SPI_GETWHEELSCROLLLINES, 0, &lines)) lines = 3;
  if (lines == 0) {  // the user turned wheel scrolling off
    wheelAccumulator_ = 0;
    return;
  }
  wheelAccumulator_ += WheelDelta;
  int magnitude = wheelAccumulator_ < 0 ? -wheelAccumulator_ : wheelAccumulator_;
  int sign = wheelAccumulator_ < 0 ? -1 : 1;
  bool down = WheelDelta < 0;
  if (down ? !showDownArrow_ : !showUpArrow_) return;
  if (lines == WHEEL_PAGESCROLL) {
    int notches = magnitude / WHEEL_DELTA;
    if (notches == 0) return;
    wheelAccumulator_ -= sign * notches * WHEEL_DELTA;
    CloseSubmenu();
    int page = std::max(1, maxHeight_ - 2 * BarScrollStripHeight);
    ScrollBy((down ? 1 : -1) * notches * page);
    return;
  }
  int steps = static_cast<int>(static_cast<long long>(magnitude) * lines / WHEEL_DELTA);
  if (steps <= 0) return;
  wheelAccumulator_ -= sign * static_cast<int>(static_cast<long long>(steps) * WHEEL_DELTA / lines);
  CloseSubmenu();
  for (int i = 0; i < steps; ++i) ScrollByItem(down);
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
    V->drawFlags_ &= ~1u;
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

// ---- accessibility ----

int TBarView::AccChildCount() {
  ValidatePositions();
  return static_cast<int>(std::count_if(viewers_.begin(), viewers_.end(),
                                        [](TBarItemViewer* v) { return v->ReachableForAccessibility(); }));
}

TBarItemViewer* TBarView::AccChild(int Index) {
  ValidatePositions();
  for (TBarItemViewer* v : viewers_)
    if (v->ReachableForAccessibility() && --Index == 0) return v;
  return nullptr;
}

int TBarView::AccChildIndex(const TBarItemViewer* AViewer) {
  ValidatePositions();
  int index = 0;
  for (TBarItemViewer* v : viewers_) {
    if (!v->ReachableForAccessibility()) continue;
    ++index;
    if (v == AViewer) return index;
  }
  return 0;
}
