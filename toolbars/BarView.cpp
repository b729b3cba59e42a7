// Views: viewers kept in step with the item tree, the chain of views, sub-menus, the end of a
// menu, timers and scrolling, and accessibility.
#include "toolbars/BarView.h"

#include <algorithm>
#include <memory>

#include "framework/GdiHandles.h"
#include "toolbars/BarCommon.h"
#include "toolbars/BarDeferredClick.h"
#include "toolbars/BarViewerKinds.h"

HV_PUBLISH(TBarView) {}
HV_PUBLISH(TBarPopupView) {}

namespace {

// Embedded groups nested deeper than this show no viewers.
constexpr int MaxGroupLevel = 10;

std::unique_ptr<TFont> toolbarFont;

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
    // A screen reader follows the focus back to the menu this one came from.
    TBarItemViewer* back = parentView_->selected_;
    if (back && parentView_->window_ && parentView_->window_->HandleAllocated()) QueueClick(back, 1);
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
  if (TBarItemViewer* v = FindOrNull(AItem)) return v;
  throw EBarItemError(SBarItemViewerNotFound);
}

TBarItemViewer* TBarView::FindOrNull(const TBarCustomItem* AItem) const {
  for (TBarItemViewer* v : viewers_)
    if (v->Item() == AItem) return v;
  return nullptr;
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
  // A turn is used up whether or not there is room to scroll that way, so that it does not
  // swallow the next turn the other way.
  if (lines == WHEEL_PAGESCROLL) {
    int notches = magnitude / WHEEL_DELTA;
    if (notches == 0) return;
    wheelAccumulator_ -= sign * notches * WHEEL_DELTA;
    if (down ? !showDownArrow_ : !showUpArrow_) return;
    CloseSubmenu();
    int page = std::max(1, maxHeight_ - 2 * BarScrollStripHeight);
    ScrollBy((down ? 1 : -1) * notches * page);
    return;
  }
  int steps = static_cast<int>(static_cast<long long>(magnitude) * lines / WHEEL_DELTA);
  if (steps <= 0) return;
  // Beyond one line per unit of the turn the whole turn is used up at once.
  int perLine = static_cast<int>(WHEEL_DELTA / lines);
  wheelAccumulator_ = perLine > 0 ? wheelAccumulator_ - sign * steps * perLine : 0;
  if (down ? !showDownArrow_ : !showUpArrow_) return;
  CloseSubmenu();
  for (int i = 0; i < std::min(steps, ViewerCount()); ++i) ScrollByItem(down);
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
