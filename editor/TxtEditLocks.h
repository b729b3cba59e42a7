// Scoped helpers of the editor control's own units: the paint lock and an undo block held for
// the lifetime of an object, also when an exception passes.
#pragma once

#include "editor/TxtEdit.h"

struct TTxtEditLock {
  explicit TTxtEditLock(TCustomTxtEdit& AEdit) : Edit(AEdit) { Edit.IncPaintLock(); }
  ~TTxtEditLock() { Edit.DecPaintLock(); }
  TTxtEditLock(const TTxtEditLock&) = delete;
  TTxtEditLock& operator=(const TTxtEditLock&) = delete;
  TCustomTxtEdit& Edit;
};

class TTxtUndoBlock {
 public:
  explicit TTxtUndoBlock(TTxtEditUndoList* AList) : list_(AList) { list_->BeginBlock(); }
  ~TTxtUndoBlock() { list_->EndBlock(); }
  TTxtUndoBlock(const TTxtUndoBlock&) = delete;
  TTxtUndoBlock& operator=(const TTxtUndoBlock&) = delete;

 private:
  TTxtEditUndoList* list_;
};
