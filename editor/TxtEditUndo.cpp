// Undo and redo lists: recording, grouping, trimming and the saved-state mark.
#include "editor/TxtEditUndo.h"

#include <climits>

HV_PUBLISH(TTxtEditUndoItem) {}
HV_PUBLISH(TTxtEditUndoList) {}

void TTxtEditUndoItem::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TTxtEditUndoItem*>(Source)) {
    Reason = src->Reason;
    SelMode = src->SelMode;
    StartPos = src->StartPos;
    EndPos = src->EndPos;
    Text = src->Text;
    ChangeNumber = src->ChangeNumber;
  } else {
    inherited::Assign(Source);
  }
}

TTxtEditUndoList::TTxtEditUndoList() = default;
TTxtEditUndoList::~TTxtEditUndoList() = default;

// Change numbers stay positive: 0 means "no block" and "saved while empty", -1 means "the saved
// state is gone", so neither may ever be handed out.
void TTxtEditUndoList::AdvanceChangeNumber() {
  nextChangeNumber_ = nextChangeNumber_ == INT_MAX ? 1 : nextChangeNumber_ + 1;
}

void TTxtEditUndoList::AddChange(TTxtUndoReason AReason, const TBufferCoord& AStart, const TBufferCoord& AEnd,
                                 const AnsiString& ChangeText, TTxtSelectionMode SelMode) {
  if (lockCount_ > 0) return;
  auto item = std::make_unique<TTxtEditUndoItem>();
  item->Reason = AReason;
  item->SelMode = SelMode;
  item->StartPos = AStart;
  item->EndPos = AEnd;
  item->Text = ChangeText;
  if (blockChangeNumber_ != 0) {
    item->ChangeNumber = blockChangeNumber_;
  } else {
    item->ChangeNumber = nextChangeNumber_;
    if (blockCount_ == 0) AdvanceChangeNumber();
  }
  PushItem(std::move(item));
}

void TTxtEditUndoList::AddGroupBreak() {
  if (LastChangeReason() != urGroupBreak)
    AddChange(urGroupBreak, TBufferCoord{}, TBufferCoord{}, AnsiString(), smNormal);
}

void TTxtEditUndoList::BeginBlock() {
  ++blockCount_;
  blockChangeNumber_ = nextChangeNumber_;
}

void TTxtEditUndoList::EndBlock() {
  if (blockCount_ == 0) return;
  if (--blockCount_ > 0) return;
  int closed = blockChangeNumber_;
  blockChangeNumber_ = 0;
  AdvanceChangeNumber();
  if (!items_.empty() && items_.back()->ChangeNumber == closed) NotifyAdded();
}

void TTxtEditUndoList::Lock() { ++lockCount_; }

void TTxtEditUndoList::Unlock() {
  if (lockCount_ > 0) --lockCount_;
}

void TTxtEditUndoList::Clear() {
  items_.clear();
  actions_ = 0;
  fullUndoImpossible_ = false;
}

TTxtEditUndoItem* TTxtEditUndoList::Items(int Index) const {
  if (Index < 0 || Index >= ItemCount()) return nullptr;
  return items_[static_cast<size_t>(Index)].get();
}

TTxtEditUndoItem* TTxtEditUndoList::PeekItem() const { return items_.empty() ? nullptr : items_.back().get(); }

std::unique_ptr<TTxtEditUndoItem> TTxtEditUndoList::PopItem() {
  if (items_.empty()) return nullptr;
  std::unique_ptr<TTxtEditUndoItem> item = std::move(items_.back());
  items_.pop_back();
  if (items_.empty() || items_.back()->ChangeNumber != item->ChangeNumber) --actions_;
  return item;
}

void TTxtEditUndoList::PushItem(std::unique_ptr<TTxtEditUndoItem> Item) {
  if (!Item) return;
  TTxtUndoReason reason = Item->Reason;
  // Counted once it is in: a push that fails for want of memory leaves the count as it was.
  const bool action = items_.empty() || items_.back()->ChangeNumber != Item->ChangeNumber;
  items_.push_back(std::move(Item));
  if (action) ++actions_;
  EnsureMaxEntries();
  if (reason != urGroupBreak) NotifyAdded();
}

void TTxtEditUndoList::NotifyAdded() {
  watchers_.Notify([this](ITxtEditUndoWatcher& w) { w.UndoAdded(this); });
  if (OnAddedUndo) OnAddedUndo(this);
}

TTxtUndoReason TTxtEditUndoList::LastChangeReason() const { return items_.empty() ? urNothing : items_.back()->Reason; }

// Drops the oldest actions beyond the limit. The limit counts actions, the runs of items that
// share a change number, not the items: one command of thousands of changes (a replace-all, a
// sort, a paste) is undone whole or not at all, and the action being recorded is never cut.
// A dropped change can no longer be undone, so a saved state that lay at or below it is
// unreachable from now on: without forgetting it, undoing everything that is left would report
// a text that still holds the dropped change as saved.
void TTxtEditUndoList::EnsureMaxEntries() {
  if (actions_ <= maxUndoActions_) return;
  fullUndoImpossible_ = true;
  while (actions_ > maxUndoActions_) {
    const int32_t number = items_.front()->ChangeNumber;
    while (!items_.empty() && items_.front()->ChangeNumber == number) {
      const TTxtEditUndoItem& dropped = *items_.front();
      bool changesText = dropped.Reason != urGroupBreak;
      if (dropped.ChangeNumber == savedChangeNumber_ || (savedChangeNumber_ == 0 && changesText))
        savedChangeNumber_ = -1;
      items_.pop_front();
    }
    --actions_;
  }
}

void TTxtEditUndoList::SetMaxUndoActions(int Value) {
  if (Value < 0) Value = 0;
  if (Value == maxUndoActions_) return;
  maxUndoActions_ = Value;
  EnsureMaxEntries();
}

void TTxtEditUndoList::MarkSavedState(bool Saved) {
  if (Saved)
    savedChangeNumber_ = items_.empty() ? 0 : items_.back()->ChangeNumber;
  else if (IsAtSavedState())
    savedChangeNumber_ = -1;
}

bool TTxtEditUndoList::IsAtSavedState() const {
  if (items_.empty()) return savedChangeNumber_ == 0;
  return items_.back()->ChangeNumber == savedChangeNumber_;
}

void TTxtEditUndoList::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TTxtEditUndoList*>(Source);
  if (!src) {
    inherited::Assign(Source);
    return;
  }
  if (src == this) return;
  items_.clear();
  actions_ = src->actions_;
  for (const auto& item : src->items_) {
    auto copy = std::make_unique<TTxtEditUndoItem>();
    copy->Assign(item.get());
    items_.push_back(std::move(copy));
  }
  blockChangeNumber_ = src->blockChangeNumber_;
  blockCount_ = src->blockCount_;
  fullUndoImpossible_ = src->fullUndoImpossible_;
  lockCount_ = src->lockCount_;
  maxUndoActions_ = src->maxUndoActions_;
  nextChangeNumber_ = src->nextChangeNumber_;
  insideRedo_ = src->insideRedo_;
}
