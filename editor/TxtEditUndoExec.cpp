// Undo and redo: which items one step takes, and how each item is applied to the text and
// recorded in the opposite list. Applying an item never records into the list it came from.
#include <algorithm>

#include "editor/TxtEdit.h"
#include "editor/TxtEditLocks.h"
#include "editor/TxtEditTextUtils.h"
#include "framework/ScopeGuards.h"
#include "framework/UpdateBracket.h"

// The item operations, with access to the control's state.
struct TTxtEditUndoApply {
  TCustomTxtEdit& E;
  TTxtEditUndoList* Target;  // where the reversed item is recorded
  bool Redoing;
  TTxtSelectionMode ModeBefore;  // the active selection mode before the item

  bool IsInsert(TTxtUndoReason r) const { return r == urInsert || r == urPaste || r == urDragDropInsert; }
  bool IsDelete(TTxtUndoReason r) const {
    return r == urDeleteAfterCaret || r == urDelete || r == urSilentDelete || r == urSilentDeleteAfterCaret;
  }
  bool IsAfterCaret(TTxtUndoReason r) const { return r == urDeleteAfterCaret || r == urSilentDeleteAfterCaret; }
  bool IsSilent(TTxtUndoReason r) const { return r == urSilentDelete || r == urSilentDeleteAfterCaret; }

  // The old selection and the new one are repainted: the text change repaints only the lines
  // it touches, and a selection elsewhere would stay painted after it is gone.
  void Select(const TBufferCoord& a, const TBufferCoord& b, TTxtSelectionMode mode) {
    if (E.SelAvail()) E.InvalidateSelection();
    E.activeSelectionMode_ = mode;
    E.blockBegin_ = a;
    E.blockEnd_ = b;
    if (E.SelAvail()) E.InvalidateSelection();
  }

  // Replaces what lies between the item's ends by Text: the two directions of an insertion.
  void ApplyInsert(const TTxtEditUndoItem& item) {
    Select(item.StartPos, item.EndPos, item.SelMode);
    E.InternalSetCaretXY(item.StartPos);
    // With nothing selected the text goes in at the caret, which stops at the scroll width: it
    // must go in exactly where it was.
    E.caretX_ = item.StartPos.Char;
    // A target that records nothing (a take-back, which may have little memory) needs no copy.
    const AnsiString removed = Target->LockCount() > 0 ? AnsiString() : E.SelText();
    E.SetSelTextPrimitive(item.SelMode, item.Text, false);
    const TBufferCoord end = E.insertedEnd_;
    Target->AddChange(item.Reason, item.StartPos, end, removed, item.SelMode);
    if (!Redoing) {
      E.SetCaretXY(item.StartPos);
    } else if (item.Reason == urDragDropInsert) {
      E.SetCaretAndSelection(end, item.StartPos, end);
    } else {
      E.SetCaretXY(end);
    }
  }

  // Puts deleted text back.
  void UndoDelete(const TTxtEditUndoItem& item) {
    TBufferCoord at = MinBufferCoord(item.StartPos, item.EndPos);
    if (item.SelMode == smColumn) at = {std::min(item.StartPos.Char, item.EndPos.Char), at.Line};
    if (IsAfterCaret(item.Reason) && at.Line > E.lines_->Count()) E.lines_->Add(AnsiString());
    Select(at, at, item.SelMode);
    E.InternalSetCaretXY(at);
    E.caretX_ = at.Char;  // the insertion starts exactly there, past the line's end too
    E.SetSelTextPrimitive(item.SelMode, item.Text, false);
    const TBufferCoord caret = IsAfterCaret(item.Reason) ? item.StartPos : item.EndPos;
    if (IsSilent(item.Reason))
      E.SetCaretXY(caret);
    else
      E.SetCaretAndSelection(caret, item.StartPos, item.EndPos);
    E.activeSelectionMode_ = item.SelMode;
    Target->AddChange(item.Reason, item.StartPos, item.EndPos, AnsiString(), item.SelMode);
  }

  // Removes the text again.
  void RedoDelete(const TTxtEditUndoItem& item) {
    Select(item.StartPos, item.EndPos, item.SelMode);
    // As the deletion recorded it: a column block without the blanks that pad short lines,
    // which undo would otherwise put into the text.
    const AnsiString removed = E.SelTextEx(false);
    E.SetSelTextPrimitive(item.SelMode, std::string_view(), false);
    Target->AddChange(item.Reason, item.StartPos, item.EndPos, removed, item.SelMode);
  }

  // Joins the line broken at StartPos with the line after it. The undo item carries the text
  // that moved to the new line; the redo item carries the removed line whole.
  void UndoLineBreak(const TTxtEditUndoItem& item) {
    const TBufferCoord at = item.StartPos;
    if (at.Line < 1 || at.Line > E.lines_->Count()) return;
    AnsiString line(E.LineAt(at.Line));
    // A break right after blanks that were trimmed away: the blanks come back before the text.
    if (!item.Text.empty() && !TxtIsBlank(item.Text[0]) && static_cast<int>(line.size()) < at.Char - 1)
      line.append(static_cast<size_t>(at.Char - 1) - line.size(), ' ');
    line += item.Text;
    const AnsiString next(E.LineAt(at.Line + 1));
    WithinUpdate(*E.lines_, [&] {
      E.lines_->SetStrings(at.Line - 1, line);
      if (at.Line < E.lines_->Count()) {
        E.lines_->Delete(at.Line);
        E.DoLinesDeleted(at.Line, 1);
      }
    });
    E.SetCaretXY(at);
    Target->AddChange(urLineBreak, item.StartPos, item.EndPos, next, item.SelMode);
  }

  void RedoLineBreak(const TTxtEditUndoItem& item) {
    const TBufferCoord at = item.StartPos;
    if (at.Line < 1 || at.Line > E.lines_->Count()) return;
    const std::string_view line = E.LineAt(at.Line);
    const size_t cut = std::min(line.size(), static_cast<size_t>(std::max(at.Char - 1, 0)));
    const AnsiString moved(line.substr(cut));
    const AnsiString kept(line.substr(0, cut));
    WithinUpdate(*E.lines_, [&] {
      E.ProperSetLine(at.Line - 1, kept);
      E.lines_->Insert(at.Line, item.Text);
      E.DoLinesInserted(at.Line + 1, 1);
    });
    E.SetCaretXY({1, at.Line + 1});
    Target->AddChange(urLineBreak, item.StartPos, item.EndPos, moved, item.SelMode);
  }

  // The parts an unindent removed, one per line from StartPos's line on, at the block's column.
  int UnindentColumn(const TTxtEditUndoItem& item) const {
    return item.SelMode == smColumn ? std::min(item.StartPos.Char, item.EndPos.Char) : 1;
  }

  // Gives each line that lost a part to the unindent, with that part, to Edit and stores the
  // line it leaves; lines past the end and lines that lost nothing are skipped.
  template <class F>
  void EditUnindentedLines(int first, const std::vector<std::string_view>& parts, F Edit) {
    WithinUpdate(*E.lines_, [&] {
      for (size_t i = 0; i < parts.size(); ++i) {
        const int line = first + static_cast<int>(i);
        if (line > E.lines_->Count() || parts[i].empty()) continue;
        AnsiString s(E.LineAt(line));
        Edit(s, parts[i]);
        E.lines_->SetStrings(line - 1, s);
      }
    });
  }

  void UndoUnindent(const TTxtEditUndoItem& item) {
    const int column = UnindentColumn(item);
    const int first = std::min(item.StartPos.Line, item.EndPos.Line);
    const std::vector<std::string_view> parts = TxtSplitPieces(item.Text, false);
    EditUnindentedLines(first, parts, [&](AnsiString& s, std::string_view part) {
      if (static_cast<int>(s.size()) < column - 1) s.append(static_cast<size_t>(column - 1) - s.size(), ' ');
      s.insert(static_cast<size_t>(column - 1), part);
    });
    E.SetCaretAndSelection(item.EndPos, item.StartPos, item.EndPos);
    E.activeSelectionMode_ = item.SelMode;
    Target->AddChange(urUnindent, item.StartPos, item.EndPos, item.Text, item.SelMode);
  }

  void RedoUnindent(const TTxtEditUndoItem& item) {
    const int column = UnindentColumn(item);
    const int first = std::min(item.StartPos.Line, item.EndPos.Line);
    const std::vector<std::string_view> parts = TxtSplitPieces(item.Text, false);
    auto removedOn = [&](int line) {
      const int i = line - first;
      return i >= 0 && i < static_cast<int>(parts.size()) ? static_cast<int>(parts[static_cast<size_t>(i)].size()) : 0;
    };
    EditUnindentedLines(first, parts, [&](AnsiString& s, std::string_view part) {
      if (static_cast<int>(s.size()) >= column) s.erase(static_cast<size_t>(column - 1), part.size());
    });
    TBufferCoord a = item.StartPos, b = item.EndPos;
    a.Char = std::max(1, a.Char - removedOn(a.Line));
    b.Char = std::max(1, b.Char - removedOn(b.Line));
    E.SetCaretAndSelection(b, a, b);
    E.activeSelectionMode_ = item.SelMode;
    Target->AddChange(urUnindent, item.StartPos, item.EndPos, item.Text, item.SelMode);
  }

  // Pops the top item of Source, applies it and records it in Target, with eoScrollPastEol on
  // for the moment and Source locked against any recording.
  static void ApplyTop(TCustomTxtEdit& edit, TTxtEditUndoList* source, TTxtEditUndoList* target, bool redoing) {
    std::unique_ptr<TTxtEditUndoItem> item = source->PopItem();
    if (!item) return;
    // Undone in the reverse order: the paint lock ends last, with the options restored.
    TTxtEditLock paintLock(edit);
    TPastEol pastEol(edit.options_);
    // Blanks that carry an insertion out to its place are spaces: tabs would replace blanks
    // that are already there.
    const bool tabsToSpaces = edit.options_.Contains(eoTabsToSpaces);
    edit.options_.Include(eoTabsToSpaces);
    TScopeExit restoreTabs([&] {
      if (!tabsToSpaces) edit.options_.Exclude(eoTabsToSpaces);
    });
    // An item gives back the text as it was, blanks at line ends too: trimming them here would
    // lose what the change being undone had kept, and what a trim the change made put away.
    const bool trimming = edit.options_.Contains(eoTrimTrailingSpaces);
    edit.options_.Exclude(eoTrimTrailingSpaces);
    TScopeExit restoreTrim([&] {
      if (trimming) edit.options_.Include(eoTrimTrailingSpaces);
    });
    TTxtUndoLock sourceLock(source);
    // Every item is reversed in the selection mode it was made in. The paste markers are kept
    // out: recorded in the normal mode and undone last, they would turn a column block that the
    // paste had replaced, selected again, into a stream of text between its corners.
    const TTxtSelectionMode modeBefore = edit.activeSelectionMode_;
    if (item->Reason != urPasteBegin && item->Reason != urPasteEnd) edit.SetActiveSelectionMode(item->SelMode);
    TTxtEditUndoApply{edit, target, redoing, modeBefore}.Apply(*item);
  }

  void Apply(const TTxtEditUndoItem& item) {
    if (IsInsert(item.Reason)) {
      ApplyInsert(item);
    } else if (IsDelete(item.Reason)) {
      if (Redoing)
        RedoDelete(item);
      else
        UndoDelete(item);
    } else if (item.Reason == urLineBreak) {
      if (Redoing)
        RedoLineBreak(item);
      else
        UndoLineBreak(item);
    } else if (item.Reason == urIndent) {
      E.SetCaretAndSelection(item.EndPos, item.StartPos, item.EndPos);
      E.activeSelectionMode_ = item.SelMode;
      Target->AddChange(urIndent, item.StartPos, item.EndPos, item.Text, item.SelMode);
    } else if (item.Reason == urUnindent) {
      if (Redoing)
        RedoUnindent(item);
      else
        UndoUnindent(item);
    } else if (item.Reason == urCaret) {
      const TBufferCoord before = E.CaretXY();
      E.InternalSetCaretXY(item.StartPos);
      Target->AddChange(urCaret, before, before, AnsiString(), E.activeSelectionMode_);
    } else if (item.Reason == urSelection) {
      const TBufferCoord a = E.blockBegin_, b = E.blockEnd_;
      E.SetCaretAndSelection(item.EndPos, item.StartPos, item.EndPos);
      E.activeSelectionMode_ = item.SelMode;
      Target->AddChange(urSelection, a, b, AnsiString(), ModeBefore);
    } else if (item.Reason == urPasteBegin || item.Reason == urPasteEnd) {
      // The bracket travels with its items, so that the step is taken whole both ways.
      Target->AddChange(item.Reason, item.StartPos, item.EndPos, AnsiString(), item.SelMode);
    }
  }
};

namespace {

bool Groups(TTxtUndoReason a, TTxtUndoReason b) { return a == b && a != urIndent && a != urUnindent; }

}  // namespace

bool TCustomTxtEdit::CanUndo() const { return !ReadOnly() && undoList_->CanUndo(); }

bool TCustomTxtEdit::CanRedo() const { return !ReadOnly() && redoList_->CanUndo(); }

void TCustomTxtEdit::UndoItem() { TTxtEditUndoApply::ApplyTop(*this, undoList_, redoList_, false); }

void TCustomTxtEdit::RedoItem() {
  const bool inside = undoList_->InsideRedo();
  undoList_->SetInsideRedo(true);
  TScopeExit restore([&] { undoList_->SetInsideRedo(inside); });
  TTxtEditUndoApply::ApplyTop(*this, redoList_, undoList_, true);
}

void TCustomTxtEdit::TakeBackUndo(int Count) {
  TTxtEditUndoList nowhere;
  TTxtUndoLock recordsNothing(&nowhere);
  while (undoList_->ItemCount() > Count) TTxtEditUndoApply::ApplyTop(*this, undoList_, &nowhere, false);
}

namespace {

// Runs the items of one step from Source: those of the top item's change number, a whole
// paste bracket, and with grouping the like changes before them. Each item goes through Apply,
// which records it in Target, all under the step's change number. False when there was none.
template <class ApplyFn>
bool RunStep(TTxtEditUndoList* source, TTxtEditUndoList* target, bool groupUndo, TTxtUndoReason bracketOpen,
             TTxtUndoReason bracketClose, ApplyFn apply) {
  if (source->LastChangeReason() == urGroupBreak) target->PushItem(source->PopItem());
  TTxtEditUndoItem* top = source->PeekItem();
  if (!top) return false;
  int number = top->ChangeNumber;
  const bool bracket = top->Reason == bracketOpen;
  const int savedBlock = target->BlockChangeNumber();
  target->SetBlockChangeNumber(number);
  TScopeExit restore([&] { target->SetBlockChangeNumber(savedBlock); });
  for (;;) {
    const TTxtUndoReason done = top->Reason;
    apply();
    top = source->PeekItem();
    if (!top) break;
    if (bracket) {
      if (top->Reason == bracketClose) break;
      continue;
    }
    if (top->ChangeNumber == number) continue;
    // A like change before joins the step, and with it the rest of its own action: a command's
    // items are never parted.
    if (groupUndo && Groups(top->Reason, done)) {
      number = top->ChangeNumber;
      continue;
    }
    break;
  }
  if (bracket && top && top->Reason == bracketClose) apply();
  return true;
}

}  // namespace

// A step shows its caret as an edit does, though its last item may leave the caret where it was
// while the window shows another part of the text.
void TCustomTxtEdit::Undo() {
  if (ReadOnly()) return;
  TTxtChangeHold hold(*this);
  TTxtEditLock lock(*this);
  if (RunStep(undoList_, redoList_, options_.Contains(eoGroupUndo), urPasteEnd, urPasteBegin, [this] { UndoItem(); }))
    EnsureCursorPosVisible();
  const bool modified = !undoList_->IsAtSavedState();
  if (modified != modified_) {
    modified_ = modified;
    StatusChanged({scModified});
  }
}

void TCustomTxtEdit::Redo() {
  if (ReadOnly()) return;
  TTxtChangeHold hold(*this);
  TTxtEditLock lock(*this);
  {
    // A group break left on top belongs to the undo side now.
    TScopeExit finish([this] {
      if (redoList_->LastChangeReason() == urGroupBreak) undoList_->PushItem(redoList_->PopItem());
    });
    if (RunStep(redoList_, undoList_, options_.Contains(eoGroupUndo), urPasteBegin, urPasteEnd, [this] { RedoItem(); }))
      EnsureCursorPosVisible();
  }
  const bool modified = !undoList_->IsAtSavedState();
  if (modified != modified_) {
    modified_ = modified;
    StatusChanged({scModified});
  }
}
