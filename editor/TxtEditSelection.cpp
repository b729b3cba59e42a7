// The editor control's selected text: reading it in the three selection modes, replacing it
// (delete, then insert in a mode), selecting everything, and the clipboard commands.
#include <algorithm>
#include <optional>

#include "editor/TxtEdit.h"
#include "editor/TxtEditClipboard.h"
#include "editor/TxtEditLineScan.h"
#include "editor/TxtEditLocks.h"
#include "editor/TxtEditTextUtils.h"
#include "framework/Clipboard.h"
#include "framework/ScopeGuards.h"
#include "framework/UpdateBracket.h"

namespace {

// Bytes From..To-1 (1-based) of a line, cut to the line.
std::string_view CharsOf(std::string_view line, int from, int to) {
  int len = static_cast<int>(line.size());
  from = std::clamp(from, 1, len + 1);
  to = std::clamp(to, from, len + 1);
  return line.substr(static_cast<size_t>(from - 1), static_cast<size_t>(to - from));
}

}  // namespace

std::string_view TCustomTxtEdit::LineAt(int Line) const { return lines_->LineView(Line - 1); }

void TCustomTxtEdit::ProperSetLine(int Index, const AnsiString& Text) {
  if (options_.Contains(eoTrimTrailingSpaces) && !TrimDeferred())
    lines_->SetStrings(Index, TxtTrimTrailingBlanks(Text));
  else
    lines_->SetStrings(Index, Text);
  NoteTrim(Index);
}

bool TCustomTxtEdit::NoteTrim(int Index) {
  if (!TrimDeferred()) return false;
  pendingTrims_.push_back(Index);
  return true;
}

void TCustomTxtEdit::EndTrimDeferral() {
  if (trimDeferral_ == 0 || --trimDeferral_ > 0) return;
  std::vector<int> lines;
  lines.swap(pendingTrims_);
  if (!options_.Contains(eoTrimTrailingSpaces)) return;
  std::sort(lines.begin(), lines.end());
  lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
  // The trims join the action on top of the list: undoing it gives the blanks back first.
  const TTxtEditUndoItem* top = undoList_->PeekItem();
  const int savedBlock = undoList_->BlockChangeNumber();
  if (top && savedBlock == 0) undoList_->SetBlockChangeNumber(top->ChangeNumber);
  TScopeExit restore([&] { undoList_->SetBlockChangeNumber(savedBlock); });
  const TBufferCoord caret = CaretXY();
  int caretColumn = 0;
  WithinUpdate(*lines_, [&] {
    for (int index : lines) {
      if (index < 0 || index >= lines_->Count()) continue;
      const AnsiString line(lines_->LineView(index));
      const AnsiString kept = TxtTrimTrailingBlanks(line);
      if (kept.size() == line.size()) continue;
      // A caret the trimming leaves past the line's end keeps its column.
      if (caret.Line == index + 1 && caret.Char > static_cast<int>(kept.size()) + 1)
        caretColumn = GetExpandedLength(std::string_view(line).substr(0, std::min<size_t>(line.size(), caret.Char - 1)),
                                        tabWidth_) +
                      std::max(0, caret.Char - 1 - static_cast<int>(line.size())) + 1;
      lines_->SetStrings(index, kept);
      const int from = static_cast<int>(kept.size()) + 1;
      undoList_->AddChange(urSilentDelete, {from, index + 1}, {static_cast<int>(line.size()) + 1, index + 1},
                           line.substr(kept.size()), smNormal);
    }
  });
  if (caretColumn > 0) {
    TPastEol pastEol(options_);
    const std::string_view stored = LineAt(caret.Line);
    InternalSetCaretXY(
        {static_cast<int>(stored.size()) + caretColumn - GetExpandedLength(stored, tabWidth_), caret.Line});
  }
}

int TCustomTxtEdit::LeftSpacesEx(std::string_view Line, bool WantTabs) const {
  if (!options_.Contains(eoAutoIndent)) return 0;
  return TxtLeadingBlanks(Line, WantTabs, tabWidth_);
}

AnsiString TCustomTxtEdit::GetLeftSpacing(int CharCount, bool WantTabs) const {
  return TxtIndentString(CharCount, WantTabs && !options_.Contains(eoTabsToSpaces), tabWidth_);
}

// ---- reading the selection ----

bool TCustomTxtEdit::SelTabBlock() const {
  return blockBegin_.Line != blockEnd_.Line && activeSelectionMode_ != smColumn;
}

bool TCustomTxtEdit::SelTabLine() const {
  if (!SelAvail()) return false;
  const TBufferCoord b = BlockBegin(), e = BlockEnd();
  return b.Char <= 1 && e.Char > static_cast<int>(LineAt(caretY_).size());
}

AnsiString TCustomTxtEdit::SelText() const { return SelTextEx(!options_.Contains(eoTrimTrailingSpaces)); }

AnsiString TCustomTxtEdit::SelTextEx(bool PadColumns) const {
  if (!SelAvail()) return AnsiString();
  const TBufferCoord b = BlockBegin(), e = BlockEnd();
  AnsiString text;
  switch (activeSelectionMode_) {
    case smNormal: {
      if (b.Line == e.Line) return AnsiString(CharsOf(LineAt(b.Line), b.Char, e.Char));
      std::string_view first = LineAt(b.Line);
      text.append(CharsOf(first, b.Char, static_cast<int>(first.size()) + 1));
      text += "\r\n";
      // The whole lines between in one go: undoing a large paste copies them at the speed of
      // saving.
      lines_->AppendLines(b.Line, e.Line - b.Line - 1, text);
      text.append(CharsOf(LineAt(e.Line), 1, e.Char));
      return text;
    }
    case smLine: {
      const int last = std::min(e.Line, lines_->Count());
      for (int line = b.Line; line <= last; ++line) {
        text.append(LineAt(line));
        if (line < lines_->Count()) text += "\r\n";
      }
      return text;
    }
    case smColumn: {
      int left = BufferToDisplayPos(b).Column;
      int right = BufferToDisplayPos(e).Column;
      if (left > right) std::swap(left, right);
      const bool pad = PadColumns;
      for (int line = b.Line; line <= e.Line; ++line) {
        const std::string_view s = LineAt(line);
        const int from = DisplayToBufferPos({left, line}).Char;
        const int to = DisplayToBufferPos({right, line}).Char;
        text.append(CharsOf(s, from, to));
        // A line that ends inside the block is padded out to its right column; a tab in the
        // part is as wide as it shows, so the blanks count columns, not characters.
        const int lineEnd = lines_->GetExpandedStringLength(line - 1) + 1;
        if (pad && lineEnd < right) text.append(static_cast<size_t>(right - std::max(lineEnd, left)), ' ');
        if (line < e.Line) text += "\r\n";
      }
      return text;
    }
  }
  return text;
}

// ---- replacing the selection ----

void TCustomTxtEdit::CollapseSelectionAtCaret() { blockBegin_ = blockEnd_ = CaretXY(); }

void TCustomTxtEdit::SetCaretAndSelection(const TBufferCoord& ACaret, const TBufferCoord& ABlockBegin,
                                          const TBufferCoord& ABlockEnd) {
  WithinUpdate(*this, [&] {
    InternalSetCaretXY(ACaret);
    SetBlockBegin(ABlockBegin);
    SetBlockEnd(ABlockEnd);
  });
}

std::vector<TCustomTxtEdit::TColumnSpan> TCustomTxtEdit::ColumnSpans(TBufferCoord B, TBufferCoord E) const {
  int left = BufferToDisplayPos(B).Column;
  int right = BufferToDisplayPos(E).Column;
  if (left > right) std::swap(left, right);
  std::vector<TColumnSpan> spans;
  for (int line = B.Line; line <= std::min(E.Line, lines_->Count()); ++line) {
    int from = DisplayToBufferPos({left, line}).Char;
    int to = DisplayToBufferPos({right, line}).Char;
    // A line that ends left of the block loses nothing, and is still one of its lines.
    const int end = static_cast<int>(LineAt(line).size()) + 1;
    if (from >= end) from = to = end;
    spans.push_back({line, from, to});
  }
  return spans;
}

bool TCustomTxtEdit::DeleteSelectionText(TBufferCoord B, TBufferCoord E, AnsiString* Keep) {
  const int count = lines_->Count();
  switch (activeSelectionMode_) {
    case smNormal: {
      if (count == 0) break;
      const std::string_view first = LineAt(B.Line);
      AnsiString joined(CharsOf(first, 1, B.Char));
      const std::string_view last = LineAt(E.Line);
      joined.append(CharsOf(last, E.Char, static_cast<int>(last.size()) + 1));
      if (E.Line > B.Line) lines_->DeleteLines(B.Line, std::min(E.Line, count) - B.Line);
      const bool trimJoined = options_.Contains(eoScrollPastEol) && options_.Contains(eoTrimTrailingSpaces);
      if (trimJoined && !NoteTrim(B.Line - 1)) joined = TxtTrimTrailingBlanks(joined);
      caretX_ = B.Char;
      caretY_ = B.Line;
      // An insertion past the kept line's end would measure it in the buffer: it is stored.
      if (Keep && E.Line == B.Line && B.Char - 1 <= static_cast<int>(joined.size())) {
        *Keep = std::move(joined);
        return true;
      }
      lines_->SetStrings(B.Line - 1, joined);
      if (E.Line > B.Line) DoLinesDeleted(B.Line, E.Line - B.Line);
      break;
    }
    case smColumn: {
      int left = BufferToDisplayPos(B).Column;
      int right = BufferToDisplayPos(E).Column;
      if (left > right) std::swap(left, right);
      // Every line of the block goes through the trimming setter, a short one too.
      for (const TColumnSpan& span : ColumnSpans(B, E)) {
        const std::string_view s = LineAt(span.Line);
        AnsiString changed(CharsOf(s, 1, span.From));
        changed.append(CharsOf(s, span.To, static_cast<int>(s.size()) + 1));
        ProperSetLine(span.Line - 1, changed);
      }
      const TBufferCoord caret = DisplayToBufferPos({left, blockEnd_.Line});
      caretX_ = caret.Char;
      caretY_ = blockEnd_.Line;
      break;
    }
    case smLine: {
      if (count == 0) break;
      const int last = std::min(E.Line, count);
      if (last == count) {
        lines_->SetStrings(last - 1, AnsiString());
        if (last > B.Line) lines_->DeleteLines(B.Line - 1, last - B.Line);
      } else {
        lines_->DeleteLines(B.Line - 1, last - B.Line + 1);
      }
      caretX_ = 1;
      caretY_ = B.Line;
      DoLinesDeleted(B.Line, last - B.Line + 1);
      break;
    }
  }
  return false;
}

int TCustomTxtEdit::InsertTextNormal(std::string_view Value, const AnsiString* Kept) {
  const std::string_view line = Kept ? std::string_view(*Kept) : LineAt(caretY_);
  const int length = static_cast<int>(line.size());
  AnsiString left(CharsOf(line, 1, caretX_));
  if (caretX_ - 1 > length) {
    // The caret stands past the line's end: fill up to it. Blanks that become tabs are
    // replaced, so the change begins at the line's start and gives them back on undo.
    if (TxtStringIsBlank(left) && !options_.Contains(eoTabsToSpaces)) {
      insertedStart_.Char = 1;
      overwritten_.assign(line);
      left = GetLeftSpacing(BufferToDisplayPos(CaretXY()).Column - 1, true);
    } else {
      insertedStart_.Char = length + 1;
      left.append(static_cast<size_t>(caretX_ - 1 - length), ' ');
    }
  }
  const AnsiString right(CharsOf(line, caretX_, length + 1));
  const bool deferred = TrimDeferred();
  const bool trim = options_.Contains(eoTrimTrailingSpaces) && !deferred;
  if (caretY_ > lines_->Count()) {
    // A line below the text: the change begins with the break at the end of the last line.
    const int count = lines_->Count();
    if (count > 0) insertedStart_ = {static_cast<int>(LineAt(count).size()) + 1, count};
    lines_->Add(AnsiString());
  }

  AnsiString last = left;
  const size_t firstBreak =
      static_cast<size_t>(FindLineBreak(Value.data(), Value.data() + Value.size()) - Value.data());
  int extra = 0;
  if (firstBreak < Value.size()) {
    last.append(Value.substr(0, firstBreak));
    ProperSetLine(caretY_ - 1, last);
    // The lines between the first and the last chunk go in as one text (a large one into a
    // block of its own, without a string per line); the last chunk takes the rest of the line.
    const size_t middle = firstBreak + (Value.substr(firstBreak, 2) == "\r\n" ? 2 : 1);
    const size_t lastStart = Value.find_last_of("\r\n") + 1;
    const AnsiString lastText(Value.substr(lastStart));
    if (middle < lastStart) {
      AnsiString* takeable = takeableText_;
      takeableText_ = nullptr;
      if (takeable && takeable->data() == Value.data() && takeable->size() == Value.size())
        extra = lines_->InsertText(caretY_, std::move(*takeable), middle, lastStart - middle, trim);
      else
        extra = lines_->InsertText(caretY_, Value.substr(middle, lastStart - middle), trim);
      for (int k = 0; k < extra; ++k) NoteTrim(caretY_ + k);
    }
    // Value may be gone now: its storage may belong to the lines.
    const AnsiString text = lastText + right;
    lines_->Insert(caretY_ + extra, trim ? TxtTrimTrailingBlanks(text) : text);
    NoteTrim(caretY_ + extra);
    ++extra;
    caretY_ += extra;
    last = lastText;
    StatusChanged({scCaretY});
    last += right;
  } else {
    last.append(Value);
    last += right;
    ProperSetLine(caretY_ - 1, last);
  }
  const int stored = static_cast<int>(LineAt(caretY_).size());
  if (options_.Contains(eoTrimTrailingSpaces) && right.empty())
    caretX_ = stored + GetExpandedLength(last, tabWidth_) - GetExpandedLength(LineAt(caretY_), tabWidth_) + 1;
  else
    caretX_ = static_cast<int>(last.size()) - static_cast<int>(right.size()) + 1;
  StatusChanged({scCaretX});
  return extra;
}

int TCustomTxtEdit::InsertTextColumn(std::string_view Value, bool AddToUndo) {
  const std::vector<std::string_view> pieces = TxtSplitPieces(Value, false);
  const int column = caretX_;
  int inserted = 0;
  for (size_t i = 0; i < pieces.size(); ++i) {
    const std::string_view piece = pieces[i];
    if (i > 0) {
      ++caretY_;
      StatusChanged({scCaretY});
    }
    AnsiString before, text;
    if (caretY_ <= lines_->Count()) {
      before.assign(LineAt(caretY_));
      text = before;
      if (static_cast<int>(text.size()) < column - 1) text.append(static_cast<size_t>(column - 1) - text.size(), ' ');
      int at = column;
      if (TxtIsTrailByte(text, at)) ++at;
      text.insert(static_cast<size_t>(at - 1), piece);
      ProperSetLine(caretY_ - 1, text);
    } else {
      // A line added below the text: a break after the line above (none in an empty text),
      // then the blanks and the piece as the line's new characters.
      if (AddToUndo && caretY_ > 1) {
        const int previous = static_cast<int>(LineAt(caretY_ - 1).size()) + 1;
        undoList_->AddChange(urLineBreak, {previous, caretY_ - 1}, {previous, caretY_ - 1}, AnsiString(), smNormal);
      }
      text.assign(static_cast<size_t>(column - 1), ' ');
      text.append(piece);
      lines_->Add(AnsiString());
      ProperSetLine(caretY_ - 1, text);
      ++inserted;
    }
    // The blanks that carry a short line out to the column are part of the change.
    if (AddToUndo) RecordLineChange(caretY_, before, LineAt(caretY_), urDelete, urPaste);
  }
  caretX_ = column + static_cast<int>(pieces.back().size());
  StatusChanged({scCaretX});
  return inserted;
}

int TCustomTxtEdit::InsertTextLine(std::string_view Value) {
  caretX_ = 1;
  StatusChanged({scCaretX});
  // Whole lines end with their line break; it starts no further line.
  insertedStart_ = {1, std::min(caretY_, lines_->Count() + 1)};
  if (insertMode_ || caretY_ >= lines_->Count()) {
    // Every piece becomes a new line: all go in as one insertion; lines that go in after the
    // last one begin with the break at its end.
    const int count = lines_->Count();
    if (caretY_ > count) {
      insertedStart_ = count > 0 ? TBufferCoord{static_cast<int>(LineAt(count).size()) + 1, count} : TBufferCoord{1, 1};
      appendedLines_ = true;
    }
    const int at = std::min(caretY_ - 1, lines_->Count());
    const int added = lines_->InsertText(at, Value, options_.Contains(eoTrimTrailingSpaces) && !TrimDeferred());
    for (int k = 0; k < added; ++k) NoteTrim(at + k);
    caretY_ += added;
    StatusChanged({scCaretY});
    return added;
  }
  const std::vector<std::string_view> pieces = TxtSplitPieces(Value, true);
  int inserted = 0;
  for (std::string_view piece : pieces) {
    if (caretY_ > lines_->Count()) {
      lines_->Add(AnsiString());
      ++inserted;
    } else if (caretY_ == lines_->Count() || insertMode_) {
      lines_->Insert(caretY_ - 1, AnsiString());
      ++inserted;
    } else {
      overwritten_ += LineAt(caretY_);
      overwritten_ += "\r\n";
    }
    ProperSetLine(caretY_ - 1, AnsiString(piece));
    ++caretY_;
    StatusChanged({scCaretY});
  }
  return inserted;
}

void TCustomTxtEdit::SetSelTextPrimitive(TTxtSelectionMode PasteMode, std::string_view Value, bool AddToUndo) {
  WithinUpdate(*this, [&] {
    WithinUpdate(*lines_, [&] {
      const TBufferCoord caretBefore = CaretXY();
      const TBufferCoord b = BlockBegin(), e = BlockEnd();
      // A replacement within one line by text without a line break changes the line once.
      const bool oneLine = PasteMode == smNormal && b.Line == e.Line && !Value.empty() &&
                           Value.find_first_of("\r\n") == std::string_view::npos;
      AnsiString kept;
      bool keptBack = false;
      if (SelAvail()) {
        keptBack = DeleteSelectionText(b, e, oneLine ? &kept : nullptr);
        StatusChanged({scCaretX, scCaretY});
      }
      insertedStart_ = CaretXY();
      overwritten_.clear();
      appendedLines_ = false;
      if (!Value.empty()) {
        const int startLine = caretY_, startChar = caretX_;
        int inserted = 0;
        switch (PasteMode) {
          case smNormal: inserted = InsertTextNormal(Value, keptBack ? &kept : nullptr); break;
          case smColumn: inserted = InsertTextColumn(Value, AddToUndo); break;
          case smLine: inserted = InsertTextLine(Value); break;
        }
        if (inserted > 0) DoLinesInserted(PasteMode == smNormal && startChar > 1 ? startLine + 1 : startLine, inserted);
      }
      if (caretY_ < 1) caretY_ = 1;
      // The work above moved the caret fields; the caret setter now reports the move from where
      // the caret was and clamps where it ends.
      const TBufferCoord caret = CaretXY();
      insertedEnd_ = caret;
      if (appendedLines_) insertedEnd_ = {static_cast<int>(LineAt(lines_->Count()).size()) + 1, lines_->Count()};
      caretX_ = caretBefore.Char;
      caretY_ = caretBefore.Line;
      InternalSetCaretXY(caret);
      CollapseSelectionAtCaret();
    });
  });
}

void TCustomTxtEdit::RecordLineChange(int Line, std::string_view Old, std::string_view New, TTxtUndoReason DeleteReason,
                                      TTxtUndoReason InsertReason) {
  size_t prefix = 0;
  while (prefix < Old.size() && prefix < New.size() && Old[prefix] == New[prefix]) ++prefix;
  size_t suffix = 0;
  while (suffix < Old.size() - prefix && suffix < New.size() - prefix &&
         Old[Old.size() - 1 - suffix] == New[New.size() - 1 - suffix])
    ++suffix;
  const std::string_view gone = Old.substr(prefix, Old.size() - prefix - suffix);
  const std::string_view came = New.substr(prefix, New.size() - prefix - suffix);
  const int at = static_cast<int>(prefix) + 1;
  if (!gone.empty())
    undoList_->AddChange(DeleteReason, {at, Line}, {at + static_cast<int>(gone.size()), Line}, AnsiString(gone),
                         smNormal);
  if (!came.empty())
    undoList_->AddChange(InsertReason, {at, Line}, {at + static_cast<int>(came.size()), Line}, AnsiString(), smNormal);
}

void TCustomTxtEdit::RecordSelectionDelete(TTxtUndoReason Reason) {
  if (activeSelectionMode_ == smColumn) {
    // A column is cut in display columns, so its characters lie at other places on each line
    // (tabs, short lines): each line records what it loses. The block itself comes back last.
    undoList_->AddChange(urSelection, blockBegin_, blockEnd_, AnsiString(), smColumn);
    for (const TColumnSpan& span : ColumnSpans(BlockBegin(), BlockEnd())) {
      const std::string_view s = LineAt(span.Line);
      AnsiString changed(CharsOf(s, 1, span.From));
      changed.append(CharsOf(s, span.To, static_cast<int>(s.size()) + 1));
      if (options_.Contains(eoTrimTrailingSpaces) && !TrimDeferred()) changed = TxtTrimTrailingBlanks(changed);
      RecordLineChange(span.Line, s, changed, Reason, urInsert);
    }
    return;
  }
  if (activeSelectionMode_ != smLine) {
    undoList_->AddChange(Reason, blockBegin_, blockEnd_, SelTextEx(false), activeSelectionMode_);
    return;
  }
  // Whole lines are recorded as the characters they cover, so that undo puts back exactly
  // those: up to the start of the line after the last one, or to the end of the last line.
  if (lines_->Count() == 0) return;  // an empty text loses nothing
  const TBufferCoord b = BlockBegin(), e = BlockEnd();
  const int last = std::min(e.Line, lines_->Count());
  const TBufferCoord end = last < lines_->Count() ? TBufferCoord{1, last + 1}
                                                  : TBufferCoord{static_cast<int>(LineAt(last).size()) + 1, last};
  undoList_->AddChange(Reason, {1, b.Line}, end, SelText(), smNormal);
}

TBufferCoord TCustomTxtEdit::InsertionStart() const {
  TBufferCoord start = BlockBegin();
  if (activeSelectionMode_ == smLine) start.Char = 1;
  return start;
}

void TCustomTxtEdit::SetSelText(const AnsiString& Value) { ReplaceSelText(Value, urInsert); }

void TCustomTxtEdit::ReplaceSelText(const AnsiString& Value, TTxtUndoReason Reason) {
  TTxtUndoBlock block(undoList_);
  TTxtTrimDeferral trims(*this);
  const bool selected = SelAvail();
  if (!selected)
    SetActiveSelectionMode(selectionMode_);
  else
    RecordSelectionDelete(urDelete);
  const TBufferCoord start = InsertionStart();
  // Without a selection nothing is replaced: moving the start of an empty line selection to
  // the line's first character must not make a selection of it.
  blockEnd_ = selected ? BlockEnd() : start;
  blockBegin_ = start;
  // A column insertion records its own items; any other is one insertion.
  const bool column = activeSelectionMode_ == smColumn;
  SetSelTextPrimitive(activeSelectionMode_, Value, column);
  if (!Value.empty() && !column) undoList_->AddChange(Reason, insertedStart_, insertedEnd_, overwritten_, smNormal);
}

void TCustomTxtEdit::ClearSelection() {
  if (SelAvail()) SetSelText(AnsiString());
}

void TCustomTxtEdit::SelectAll() {
  WithinUpdate(*this, [&] {
    InternalSetCaretXY(CaretXY());
    const int count = lines_->Count();
    const TBufferCoord last =
        count > 0 ? TBufferCoord{static_cast<int>(LineAt(count).size()) + 1, count} : TBufferCoord{1, 1};
    blockBegin_ = {1, 1};
    blockEnd_ = last;
    InvalidateLines(-1, -1);
    StatusChanged({scSelection});
  });
}

// ---- the clipboard ----

void TCustomTxtEdit::DoCopyToClipboard(const AnsiString& Text) { TxtEditCopyToClipboard(Text, activeSelectionMode_); }

namespace {

// The selected text as a copy takes it: a column block keeps the blanks that pad short lines.
AnsiString TextForCopy(TCustomTxtEdit& edit, TTxtEditorOptions& options) {
  if (edit.ActiveSelectionMode() != smColumn || !options.Contains(eoTrimTrailingSpaces)) return edit.SelText();
  options.Exclude(eoTrimTrailingSpaces);
  TScopeExit trimAgain([&] { options.Include(eoTrimTrailingSpaces); });
  return edit.SelText();
}

}  // namespace

void TCustomTxtEdit::CopyToClipboard() {
  if (!SelAvail()) return;
  DoCopyToClipboard(TextForCopy(*this, options_));
}

void TCustomTxtEdit::CutToClipboard() {
  if (ReadOnly() || !SelAvail()) return;
  TTxtUndoBlock block(undoList_);
  // The text cut is the text selected, as the trimming option gives it. The copy raises when
  // the clipboard cannot be opened: then nothing is deleted.
  DoCopyToClipboard(SelText());
  SetSelText(AnsiString());
}

bool TCustomTxtEdit::CanPaste() { return !ReadOnly() && TxtEditClipboardHasText(); }

AnsiString TCustomTxtEdit::GetClipboardText() {
  TTxtClipboardContent content = TxtEditReadClipboard();
  return content.Kind == TTxtClipboardContent::ckBlock || content.Kind == TTxtClipboardContent::ckText ? content.Text
                                                                                                       : AnsiString();
}

void TCustomTxtEdit::PasteFromClipboard() {
  if (!CanPaste()) return;
  TTxtClipboardContent content = TxtEditReadClipboard();
  if (content.Kind == TTxtClipboardContent::ckBlockLockFailed) throw ETxtEditError("Clipboard paste operation failed.");
  if (content.Kind == TTxtClipboardContent::ckNone) return;
  DoOnPaintTransient(ttBefore);
  {
    TTxtUndoBlock block(undoList_);
    undoList_->AddChange(urPasteBegin, BlockBegin(), BlockEnd(), AnsiString(), smNormal);
    std::optional<TTxtTrimDeferral> trims(std::in_place, *this);
    if (content.Kind == TTxtClipboardContent::ckBlock) {
      if (SelAvail()) RecordSelectionDelete(urDelete);
      // Lines and columns need the text afterwards; a normal paste may hand it to the lines.
      if (content.Mode == smNormal) takeableText_ = &content.Text;
      TScopeExit forget([&] { takeableText_ = nullptr; });
      SetSelTextPrimitive(content.Mode, content.Text, true);
      // The pasted text as the characters it covers, from where it began to where it ended;
      // whole lines pasted in overwrite mode replace the lines they land on (never the last
      // one), and those go into the item so that undo brings them back. A column insertion
      // recorded its own items.
      if (content.Mode != smColumn) undoList_->AddChange(urPaste, insertedStart_, insertedEnd_, overwritten_, smNormal);
    } else {
      if (SelAvail())
        RecordSelectionDelete(urDelete);
      else
        SetActiveSelectionMode(selectionMode_);
      blockEnd_ = BlockEnd();
      blockBegin_ = BlockBegin();
      if (activeSelectionMode_ == smNormal) takeableText_ = &content.Text;
      TScopeExit forget([&] { takeableText_ = nullptr; });
      SetSelTextPrimitive(activeSelectionMode_, content.Text, true);
      if (activeSelectionMode_ != smColumn)
        undoList_->AddChange(urPaste, insertedStart_, insertedEnd_, overwritten_, smNormal);
    }
    trims.reset();  // the trims belong inside the paste's bracket
    undoList_->AddChange(urPasteEnd, BlockBegin(), BlockEnd(), AnsiString(), smNormal);
  }
  if (options_.Contains(eoHideShowScrollbars)) {
    const int lock = paintLock_;
    paintLock_ = 0;
    UpdateScrollBars();
    paintLock_ = lock;
  }
  EnsureCursorPosVisible();
  StatusChanged({scSelection});
  DoOnPaintTransient(ttAfter);
}
