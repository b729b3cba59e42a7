// The editor's undo and redo lists: a bounded stack of change records grouped into user steps
// by change numbers, with a mark of the state at which the text was last saved.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>

#include "editor/TxtEditTypes.h"
#include "editor/TxtEditWatchers.h"
#include "framework/Delegate.h"
#include "framework/Persistent.h"

// What an undo item records. The numbering has gaps on purpose: the values are part of what
// other code compares and stores, so unused codes stay unused.
enum TTxtUndoReason : uint8_t {
  urInsert = 0,
  urPaste = 1,
  urDragDropInsert = 2,
  urDeleteAfterCaret = 3,
  urDelete = 4,
  urLineBreak = 5,
  urIndent = 6,
  urUnindent = 7,
  urSilentDelete = 8,
  urSilentDeleteAfterCaret = 9,
  urPasteBegin = 12,
  urPasteEnd = 13,
  urCaret = 18,
  urSelection = 19,
  urNothing = 20,  // never stored: the answer for an empty list
  urGroupBreak = 21,
};

class TTxtEditUndoItem : public TPersistent {
  HV_CLASS(TTxtEditUndoItem, TPersistent)
 public:
  TTxtEditUndoItem() = default;
  void Assign(TPersistent* Source) override;

  TTxtUndoReason Reason = urNothing;
  TTxtSelectionMode SelMode = smNormal;
  TBufferCoord StartPos;
  TBufferCoord EndPos;
  AnsiString Text;
  int32_t ChangeNumber = 0;
};

class TTxtEditUndoList;

// Hears of every step added to an undo list, before the list's public event fires.
class ITxtEditUndoWatcher {
 public:
  virtual void UndoAdded(TTxtEditUndoList* Sender) = 0;

 protected:
  ~ITxtEditUndoWatcher() = default;
};

class TTxtEditUndoList : public TPersistent {
  HV_CLASS(TTxtEditUndoList, TPersistent)
 public:
  TTxtEditUndoList();
  ~TTxtEditUndoList() override;

  void AddChange(TTxtUndoReason AReason, const TBufferCoord& AStart, const TBufferCoord& AEnd,
                 const AnsiString& ChangeText, TTxtSelectionMode SelMode);
  void AddGroupBreak();
  void BeginBlock();
  void EndBlock();
  void Lock();
  void Unlock();
  void Clear();
  bool CanUndo() const { return !items_.empty(); }
  int ItemCount() const { return static_cast<int>(items_.size()); }
  // The actions the list holds: runs of items that share a change number.
  int ActionCount() const { return actions_; }
  // The item at Index, 0 being the oldest; null outside the list.
  TTxtEditUndoItem* Items(int Index) const;
  TTxtEditUndoItem* PeekItem() const;
  // Removes the top item and hands it to the caller; null for an empty list.
  std::unique_ptr<TTxtEditUndoItem> PopItem();
  void PushItem(std::unique_ptr<TTxtEditUndoItem> Item);
  TTxtUndoReason LastChangeReason() const;

  int MaxUndoActions() const { return maxUndoActions_; }
  void SetMaxUndoActions(int Value);
  void MarkSavedState(bool Saved);
  bool IsAtSavedState() const;
  void Assign(TPersistent* Source) override;

  int BlockChangeNumber() const { return blockChangeNumber_; }
  void SetBlockChangeNumber(int Value) { blockChangeNumber_ = Value; }
  int BlockCount() const { return blockCount_; }
  bool FullUndoImpossible() const { return fullUndoImpossible_; }
  int LockCount() const { return lockCount_; }
  int NextChangeNumber() const { return nextChangeNumber_; }
  int SavedChangeNumber() const { return savedChangeNumber_; }
  bool InsideRedo() const { return insideRedo_; }
  void SetInsideRedo(bool Value) { insideRedo_ = Value; }

  TTxtWatchers<ITxtEditUndoWatcher>& Watchers() { return watchers_; }

  TNotifyEvent OnAddedUndo;

 private:
  void EnsureMaxEntries();
  void NotifyAdded();
  void AdvanceChangeNumber();

  int blockChangeNumber_ = 0;
  int blockCount_ = 0;
  bool fullUndoImpossible_ = false;
  // A deque, because trimming at the limit drops from the bottom on every push.
  std::deque<std::unique_ptr<TTxtEditUndoItem>> items_;
  int actions_ = 0;  // runs of items with one change number: what the limit counts
  int lockCount_ = 0;
  int maxUndoActions_ = 1024;
  int nextChangeNumber_ = 1;
  int savedChangeNumber_ = 0;
  bool insideRedo_ = false;
  TTxtWatchers<ITxtEditUndoWatcher> watchers_;
};
