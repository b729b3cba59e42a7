// Scoped helpers of the editor control's own units: the paint lock, a held change notice, an
// undo block, a locked undo list, scrolling past the line ends and a hidden caret, each held for
// the lifetime of an object, also when an exception passes. Ending some of them runs the
// control's events; an exception from those reaches the caller as it would without the guard.
#pragma once

#include <exception>

#include "editor/TxtEdit.h"
#include "framework/ScopeGuards.h"

struct TTxtEditLock {
  explicit TTxtEditLock(TCustomTxtEdit& AEdit) : Edit(AEdit) { Edit.IncPaintLock(); }
  ~TTxtEditLock() noexcept(false) {
    EndOfScope(Pending, [this] { Edit.DecPaintLock(); });
  }
  TTxtEditLock(const TTxtEditLock&) = delete;
  TTxtEditLock& operator=(const TTxtEditLock&) = delete;
  TCustomTxtEdit& Edit;
  const int Pending = std::uncaught_exceptions();
};

// Holds the control's change notice back until the end of a step of many changes.
struct TTxtChangeHold {
  explicit TTxtChangeHold(TCustomTxtEdit& AEdit) : Edit(AEdit) { Edit.HoldChange(); }
  ~TTxtChangeHold() noexcept(false) {
    EndOfScope(Pending, [this] { Edit.ReleaseChange(); });
  }
  TTxtChangeHold(const TTxtChangeHold&) = delete;
  TTxtChangeHold& operator=(const TTxtChangeHold&) = delete;
  TCustomTxtEdit& Edit;
  const int Pending = std::uncaught_exceptions();
};

class TTxtUndoBlock {
 public:
  explicit TTxtUndoBlock(TTxtEditUndoList* AList) : list_(AList) { list_->BeginBlock(); }
  ~TTxtUndoBlock() noexcept(false) {
    EndOfScope(pending_, [this] { list_->EndBlock(); });
  }
  TTxtUndoBlock(const TTxtUndoBlock&) = delete;
  TTxtUndoBlock& operator=(const TTxtUndoBlock&) = delete;

 private:
  TTxtEditUndoList* list_;
  const int pending_ = std::uncaught_exceptions();
};

// Keeps an undo list from recording.
class TTxtUndoLock {
 public:
  explicit TTxtUndoLock(TTxtEditUndoList* AList) : list_(AList) { list_->Lock(); }
  ~TTxtUndoLock() { list_->Unlock(); }
  TTxtUndoLock(const TTxtUndoLock&) = delete;
  TTxtUndoLock& operator=(const TTxtUndoLock&) = delete;

 private:
  TTxtEditUndoList* list_;
};

// Treats eoScrollPastEol as set: positions beyond a line's end are kept while text goes in.
class TPastEol {
 public:
  explicit TPastEol(TTxtEditorOptions& AOptions) : options_(AOptions), had_(AOptions.Contains(eoScrollPastEol)) {
    options_.Include(eoScrollPastEol);
  }
  ~TPastEol() {
    if (!had_) options_.Exclude(eoScrollPastEol);
  }
  TPastEol(const TPastEol&) = delete;
  TPastEol& operator=(const TPastEol&) = delete;

 private:
  TTxtEditorOptions& options_;
  bool had_;
};

// Defers trimming trailing blanks to the end of the change, where it is recorded for undo.
class TTxtTrimDeferral {
 public:
  explicit TTxtTrimDeferral(TCustomTxtEdit& AEdit) : edit_(AEdit) { edit_.BeginTrimDeferral(); }
  ~TTxtTrimDeferral() noexcept(false) {
    EndOfScope(pending_, [this] { edit_.EndTrimDeferral(); });
  }
  TTxtTrimDeferral(const TTxtTrimDeferral&) = delete;
  TTxtTrimDeferral& operator=(const TTxtTrimDeferral&) = delete;

 private:
  TCustomTxtEdit& edit_;
  const int pending_ = std::uncaught_exceptions();
};

// Hides the caret while something else draws over the text.
class TTxtCaretHide {
 public:
  explicit TTxtCaretHide(TCustomTxtEdit& AEdit) : edit_(AEdit) { edit_.HideCaret(); }
  ~TTxtCaretHide() noexcept(false) {
    EndOfScope(pending_, [this] { edit_.ShowCaret(); });
  }
  TTxtCaretHide(const TTxtCaretHide&) = delete;
  TTxtCaretHide& operator=(const TTxtCaretHide&) = delete;

 private:
  TCustomTxtEdit& edit_;
  const int pending_ = std::uncaught_exceptions();
};
