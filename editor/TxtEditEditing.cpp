// The editor control's text-changing commands: typed characters and input-method strings, line
// breaks, the deleting commands, Tab and Shift+Tab, block indent and unindent, case changes.
// Each records what it changed, blanks added to reach a caret past a line's end included, so
// that undo gives back exactly the text there was.
#include <algorithm>
#include <cassert>

#include "editor/TxtEdit.h"
#include "editor/TxtEditCoords.h"
#include "editor/TxtEditLocks.h"
#include "editor/TxtEditTextUtils.h"
#include "framework/UpdateBracket.h"

namespace {

// The display width of the first Chars characters of a line.
int WidthOf(std::string_view line, int chars, int tabWidth) { return TxtCharToColumn(line, chars + 1, tabWidth) - 1; }

// Brackets a change with the transient-paint notifications.
class TTransient {
 public:
  explicit TTransient(TCustomTxtEdit& e, void (TCustomTxtEdit::*notify)(TTransientType)) : e_(e), notify_(notify) {
    (e_.*notify_)(ttBefore);
  }
  ~TTransient() noexcept(false) {
    EndOfScope(pending_, [this] { (e_.*notify_)(ttAfter); });
  }
  TTransient(const TTransient&) = delete;
  TTransient& operator=(const TTransient&) = delete;

 private:
  TCustomTxtEdit& e_;
  void (TCustomTxtEdit::*notify_)(TTransientType);
  const int pending_ = std::uncaught_exceptions();
};

}  // namespace

// ---- shared steps ----

void TCustomTxtEdit::FillLineToCaret(bool AllowTabs) {
  if (lines_->Count() == 0) lines_->Add(AnsiString());
  while (caretY_ > lines_->Count()) lines_->Add(AnsiString());
  const std::string_view line = LineAt(caretY_);
  const int length = static_cast<int>(line.size());
  if (caretX_ <= length + 1) return;
  AnsiString fill;
  if (AllowTabs && length == 0 && !options_.Contains(eoTabsToSpaces))
    fill = GetLeftSpacing(caretX_ - 1, true);
  else
    fill.assign(static_cast<size_t>(caretX_ - 1 - length), ' ');
  AnsiString filled(line);
  filled += fill;
  lines_->SetStrings(caretY_ - 1, filled);
  const int end = length + 1 + static_cast<int>(fill.size());
  undoList_->AddChange(urInsert, {length + 1, caretY_}, {end, caretY_}, AnsiString(), smNormal);
  caretX_ = end;
}

void TCustomTxtEdit::DeleteSelectionRecorded(TTxtUndoReason Reason) {
  TTxtUndoBlock block(undoList_);
  RecordSelectionDelete(Reason);
  SetSelTextPrimitive(activeSelectionMode_, std::string_view(), false);
}

void TCustomTxtEdit::DeleteSelectionByKey() {
  const bool backwards = MaxBufferCoord(blockBegin_, blockEnd_) == blockBegin_;
  DeleteSelectionRecorded(backwards ? urDeleteAfterCaret : urDelete);
}

int TCustomTxtEdit::IndentAbove(int Line, int Width) const {
  for (int l = Line - 1; l >= 1; --l) {
    const std::string_view s = LineAt(l);
    if (TxtStringIsBlank(s)) continue;
    const int indent = TxtLeadingBlanks(s, true, tabWidth_);
    if (indent < Width) return indent;
  }
  return 0;
}

// ---- typed text ----

void TCustomTxtEdit::InsertCharacter(char AChar) {
  const unsigned char c = static_cast<unsigned char>(AChar);
  if (c < 0x20 || c == 0x7F) return;
  TTransient transient(*this, &TCustomTxtEdit::DoOnPaintTransient);
  if (SelAvail()) {
    TTxtUndoBlock block(undoList_);
    RecordSelectionDelete(urDelete);
    const bool column = activeSelectionMode_ == smColumn;
    SetSelTextPrimitive(activeSelectionMode_, std::string_view(&AChar, 1), column);
    if (!column) undoList_->AddChange(urInsert, insertedStart_, insertedEnd_, overwritten_, smNormal);
    return;
  }
  // Past the scroll width nothing can be inserted; the line is left as it is. Typing over the
  // characters there makes no line longer.
  if (insertMode_ && !WordWrap() && !options_.Contains(eoAutoSizeMaxScrollWidth) && caretX_ > maxScrollWidth_) return;
  TPastEol pastEol(options_);
  TTxtUndoBlock block(undoList_);
  const bool wasEmpty = LineAt(caretY_).empty();
  FillLineToCaret(true);
  AnsiString line(LineAt(caretY_));
  const int start = caretX_;
  int end = start + 1;
  AnsiString replaced;
  if (insertMode_) {
    line.insert(static_cast<size_t>(start - 1), 1, AChar);
  } else {
    // Both bytes of a double-byte character go; the second becomes a blank.
    int n = start <= static_cast<int>(line.size()) ? 1 : 0;
    if (n == 1 && start < static_cast<int>(line.size()) && TxtEditLeadByteTest() &&
        TxtEditLeadByteTest()(static_cast<unsigned char>(line[static_cast<size_t>(start - 1)])))
      n = 2;
    replaced = line.substr(static_cast<size_t>(start - 1), static_cast<size_t>(n));
    line.replace(static_cast<size_t>(start - 1), static_cast<size_t>(n),
                 n == 2 ? AnsiString{AChar, ' '} : AnsiString(1, AChar));
    end = start + std::max(n, 1);
  }
  int caret = start + 1;
  if (insertMode_ && options_.Contains(eoTrimTrailingSpaces) && AChar == ' ' && TxtStringIsBlank(line))
    caret = GetExpandedLength(line, tabWidth_) + 1;
  else if (insertMode_ && wasEmpty)
    caret = static_cast<int>(line.size()) + 1;
  ProperSetLine(caretY_ - 1, line);
  undoList_->AddChange(urInsert, {start, caretY_}, {end, caretY_}, replaced, smNormal);
  PlaceTypedCaret({caret, caretY_});
}

void TCustomTxtEdit::PlaceTypedCaret(const TBufferCoord& Caret) {
  SetCaretXYEx(false, Caret);
  if (charsInWindow_ > 0 && DisplayX() >= leftChar_ + charsInWindow_)
    SetLeftChar(leftChar_ + std::min(charsInWindow_ - 1, 25));
  EnsureCursorPosVisible();
}

void TCustomTxtEdit::InsertImeString(const AnsiString& S) {
  if (S.empty()) return;
  if (SelAvail()) {
    TTxtUndoBlock block(undoList_);
    RecordSelectionDelete(urDelete);
    const bool column = activeSelectionMode_ == smColumn;
    SetSelTextPrimitive(activeSelectionMode_, S, column);
    if (!column) undoList_->AddChange(urInsert, insertedStart_, insertedEnd_, overwritten_, smNormal);
    InvalidateGutter();
    return;
  }
  TPastEol pastEol(options_);
  TTxtUndoBlock block(undoList_);
  FillLineToCaret(false);
  AnsiString line(LineAt(caretY_));
  const int start = caretX_;
  AnsiString removed;
  if (!insertMode_) {
    int n = std::min(static_cast<int>(S.size()), static_cast<int>(line.size()) - (start - 1));
    // Never leave half of a double-byte character.
    if (n > 0 && TxtIsTrailByte(line, start + n)) ++n;
    if (n > 0) {
      removed = line.substr(static_cast<size_t>(start - 1), static_cast<size_t>(n));
      line.erase(static_cast<size_t>(start - 1), static_cast<size_t>(n));
    }
  }
  line.insert(static_cast<size_t>(start - 1), S);
  ProperSetLine(caretY_ - 1, line);
  const int end = start + static_cast<int>(S.size());
  undoList_->AddChange(urInsert, {start, caretY_}, {end, caretY_}, removed, smNormal);
  PlaceTypedCaret({end, caretY_});
}

// ---- line breaks ----

void TCustomTxtEdit::InsertLineBreak(bool MoveCaret) {
  TTxtUndoBlock block(undoList_);
  TTxtEditLock lock(*this);
  if (SelAvail()) DeleteSelectionRecorded(urDelete);
  if (lines_->Count() == 0) lines_->Add(AnsiString());
  const int y = std::min(caretY_, lines_->Count());
  const int x = caretX_;
  const AnsiString line(LineAt(y));
  const int length = static_cast<int>(line.size());
  TBufferCoord caret = {x, y};
  // The indentation of the first non-empty line at or above Line.
  auto indentAbove = [this](int from, bool expand) {
    for (int l = from; l >= 1; --l)
      if (!LineAt(l).empty()) return LeftSpacesEx(LineAt(l), expand);
    return 0;
  };
  WithinUpdate(*lines_, [&] {
    if (length == 0) {
      const int indent = indentAbove(y - 1, true);
      lines_->Insert(y - 1, AnsiString());
      undoList_->AddChange(urLineBreak, {x, y}, {x, y}, AnsiString(), smNormal);
      DoLinesInserted(y, 1);
      if (MoveCaret) caret = {indent + 1, y + 1};
    } else if (x > length) {
      const int indent = std::min(indentAbove(y, false), length);
      AnsiString next;
      if (MoveCaret) next = line.substr(0, static_cast<size_t>(indent));
      lines_->Insert(y, next);
      undoList_->AddChange(urLineBreak, {x, y}, {x, y}, AnsiString(), smNormal);
      DoLinesInserted(y + 1, 1);
      if (MoveCaret) caret = {static_cast<int>(next.size()) + 1, y + 1};
    } else if (x <= 1) {
      lines_->Insert(y - 1, AnsiString());
      undoList_->AddChange(urLineBreak, {1, y}, {1, y}, line, smNormal);
      DoLinesInserted(y, 1);
      if (MoveCaret) caret = {1, y + 1};
    } else {
      const AnsiString left = line.substr(0, static_cast<size_t>(x - 1));
      const AnsiString right = line.substr(static_cast<size_t>(x - 1));
      const AnsiString indent = GetLeftSpacing(LeftSpacesEx(left, true), true);
      ProperSetLine(y - 1, left);
      lines_->Insert(y, indent + right);
      undoList_->AddChange(urLineBreak, {x, y}, {x, y}, right, smNormal);
      DoLinesInserted(y + 1, 1);
      if (MoveCaret) caret = {static_cast<int>(indent.size()) + 1, y + 1};
    }
  });
  {
    TPastEol pastEol(options_);
    SetCaretXY(caret);
  }
  EnsureCursorPosVisible();
  UpdateLastCaretX();
}

// ---- deleting ----

void TCustomTxtEdit::DeleteLastChar() {
  TTransient transient(*this, &TCustomTxtEdit::DoOnPaintTransient);
  TTxtEditLock lock(*this);
  if (SelAvail()) {
    DeleteSelectionByKey();
    return;
  }
  const int y = caretY_, x = caretX_;
  if (y > lines_->Count()) return;
  const AnsiString line(LineAt(y));
  const int length = static_cast<int>(line.size());
  TPastEol pastEol(options_);
  if (x > length + 1) {
    // Past the line's end nothing is deleted; the caret steps back.
    int to = x - 1;
    if (options_.Contains(eoSmartTabDelete)) {
      to = length + 1;
      if (length == 0) to = IndentAbove(y, x - 1) + 1;
    }
    SetCaretXY({to, y});
    EnsureCursorPosVisible();
    return;
  }
  TBufferCoord caret{x, y};
  AnsiString deleted;
  if (x == 1) {
    if (y == 1) return;
    const AnsiString previous(LineAt(y - 1));
    AnsiString moved = line;
    if (options_.Contains(eoTrimTrailingSpaces) && !NoteTrim(y - 2)) moved = TxtTrimTrailingBlanks(moved);
    WithinUpdate(*lines_, [&] {
      lines_->SetStrings(y - 2, previous + moved);
      lines_->Delete(y - 1);
      DoLinesDeleted(y - 1, 1);
    });
    caret = {static_cast<int>(previous.size()) + 1, y - 1};
    deleted = "\r\n";
  } else {
    // Without auto-indentation a line has no indentation to go back to: one blank goes.
    const int blanks = LeftSpacesEx(line, false);
    const unsigned char before = static_cast<unsigned char>(line[static_cast<size_t>(x - 2)]);
    int from = x - 1;
    if (before > 0x20 || x - 1 != blanks) {
      if (from > 1 && TxtIsTrailByte(line, from)) --from;
    } else {
      const int width = WidthOf(line, x - 1, tabWidth_);
      const int target =
          options_.Contains(eoSmartTabDelete) ? IndentAbove(y, width) : ((width - 1) / tabWidth_) * tabWidth_;
      // Back over blanks until the width is down to the target; a tab ends the step.
      from = x;
      while (from > 1 && WidthOf(line, from - 1, tabWidth_) > target) {
        --from;
        if (line[static_cast<size_t>(from - 1)] == '\t' && !options_.Contains(eoSmartTabDelete)) break;
      }
    }
    deleted = line.substr(static_cast<size_t>(from - 1), static_cast<size_t>(x - from));
    AnsiString changed = line;
    changed.erase(static_cast<size_t>(from - 1), static_cast<size_t>(x - from));
    const int column = WidthOf(changed, from - 1, tabWidth_) + 1;
    ProperSetLine(y - 1, changed);
    caret = {from, y};
    // A caret that the trimming left past the line's end keeps its column.
    const std::string_view stored = LineAt(y);
    if (from - 1 > static_cast<int>(stored.size()))
      caret.Char = static_cast<int>(stored.size()) + column - GetExpandedLength(stored, tabWidth_);
  }
  if (!deleted.empty()) undoList_->AddChange(urSilentDelete, caret, {x, y}, deleted, smNormal);
  SetCaretXY(caret);
  EnsureCursorPosVisible();
}

void TCustomTxtEdit::DeleteChar() {
  TTransient transient(*this, &TCustomTxtEdit::DoOnPaintTransient);
  TTxtEditLock lock(*this);
  if (SelAvail()) {
    DeleteSelectionByKey();
    return;
  }
  UpdateLastCaretX();
  const int y = caretY_, x = caretX_;
  if (y > lines_->Count()) return;
  const AnsiString line(LineAt(y));
  const int length = static_cast<int>(line.size());
  if (x <= length) {
    int n = 1;
    if (x < length && TxtEditLeadByteTest() &&
        TxtEditLeadByteTest()(static_cast<unsigned char>(line[static_cast<size_t>(x - 1)])))
      n = 2;
    AnsiString changed = line;
    const AnsiString deleted = changed.substr(static_cast<size_t>(x - 1), static_cast<size_t>(n));
    changed.erase(static_cast<size_t>(x - 1), static_cast<size_t>(n));
    ProperSetLine(y - 1, changed);
    undoList_->AddChange(urSilentDeleteAfterCaret, {x, y}, {x + n, y}, deleted, smNormal);
  } else if (y < lines_->Count()) {
    TTxtUndoBlock block(undoList_);
    TPastEol pastEol(options_);
    WithinUpdate(*lines_, [&] {
      FillLineToCaret(false);
      const AnsiString joined = AnsiString(LineAt(y)) + AnsiString(LineAt(y + 1));
      lines_->SetStrings(y - 1, joined);
      lines_->Delete(y);
      DoLinesDeleted(y, 1);
    });
    undoList_->AddChange(urSilentDeleteAfterCaret, {caretX_, y}, {1, y + 1}, "\r\n", smNormal);
    SetCaretXY({caretX_, y});
  }
}

void TCustomTxtEdit::DeleteWordOrEol(bool ToEol) {
  TTransient transient(*this, &TCustomTxtEdit::DoOnPaintTransient);
  const int y = caretY_, x = caretX_;
  if (y < 1 || y > lines_->Count()) return;
  const int length = static_cast<int>(LineAt(y).size());
  TBufferCoord w{length + 1, y};
  if (!ToEol) {
    w = WordEndEx(CaretXY());
    if (x > w.Char || (x == w.Char && y < lines_->Count())) {
      if (w.Char <= length && LineAt(y)[static_cast<size_t>(w.Char - 1)] != ' ')
        ++w.Char;
      else if (w.Char > length && y < lines_->Count())
        w = {1, y + 1};
    }
    const std::string_view target = LineAt(w.Line);
    while (w.Char <= static_cast<int>(target.size()) && target[static_cast<size_t>(w.Char - 1)] == ' ') ++w.Char;
  }
  if (w == CaretXY() || (w.Line == y && w.Char <= x)) return;
  TTxtUndoBlock block(undoList_);
  TTxtEditLock lock(*this);
  TPastEol pastEol(options_);
  WithinUpdate(*lines_, [&] {
    // The blanks that reach the caret stay in the line: they are recorded as typed.
    if (w.Line > y) FillLineToCaret(false);
    const std::string_view first = LineAt(y);
    AnsiString removed;
    AnsiString kept(first.substr(0, std::min(first.size(), static_cast<size_t>(x - 1))));
    if (w.Line == y) {
      removed.assign(first.substr(std::min(first.size(), static_cast<size_t>(x - 1)),
                                  static_cast<size_t>(std::max(0, std::min(w.Char, length + 1) - x))));
      kept.append(first.substr(std::min(first.size(), static_cast<size_t>(w.Char - 1))));
      lines_->SetStrings(y - 1, kept);
    } else {
      removed.assign(first.substr(std::min(first.size(), static_cast<size_t>(x - 1))));
      removed += "\r\n";
      const std::string_view last = LineAt(w.Line);
      removed.append(last.substr(0, static_cast<size_t>(w.Char - 1)));
      kept.append(last.substr(std::min(last.size(), static_cast<size_t>(w.Char - 1))));
      lines_->SetStrings(y - 1, kept);
      lines_->DeleteLines(y, w.Line - y);
      DoLinesDeleted(y, w.Line - y);
    }
    if (!removed.empty()) undoList_->AddChange(urSilentDeleteAfterCaret, {x, y}, w, removed, smNormal);
  });
  SetCaretXY({x, y});
}

void TCustomTxtEdit::DeleteLastWordOrBol(bool ToBol) {
  TTransient transient(*this, &TCustomTxtEdit::DoOnPaintTransient);
  const TBufferCoord caret = CaretXY();
  if (caret.Line < 1 || caret.Line > lines_->Count()) return;
  const TBufferCoord start = ToBol ? TBufferCoord{1, caret.Line} : PrevWordPosEx(caret);
  if (start == caret) return;
  TTxtEditLock lock(*this);
  const AnsiString first(LineAt(start.Line));
  const AnsiString last(LineAt(caret.Line));
  const size_t cut = std::min(last.size(), static_cast<size_t>(caret.Char - 1));
  AnsiString removed;
  if (start.Line == caret.Line) {
    removed = last.substr(std::min(last.size(), static_cast<size_t>(start.Char - 1)),
                          cut > static_cast<size_t>(start.Char - 1) ? cut - static_cast<size_t>(start.Char - 1) : 0);
  } else {
    removed = first.substr(std::min(first.size(), static_cast<size_t>(start.Char - 1))) + "\r\n";
    for (int l = start.Line + 1; l < caret.Line; ++l) removed += AnsiString(LineAt(l)) + "\r\n";
    removed += last.substr(0, cut);
  }
  const AnsiString joined =
      first.substr(0, std::min(first.size(), static_cast<size_t>(start.Char - 1))) + last.substr(cut);
  WithinUpdate(*lines_, [&] {
    lines_->SetStrings(start.Line - 1, joined);
    if (caret.Line > start.Line) {
      lines_->DeleteLines(start.Line, caret.Line - start.Line);
      DoLinesDeleted(start.Line, caret.Line - start.Line);
    }
  });
  if (!removed.empty()) undoList_->AddChange(urSilentDelete, start, caret, removed, smNormal);
  TPastEol pastEol(options_);
  SetCaretXY(start);
}

void TCustomTxtEdit::DeleteLine() {
  TTransient transient(*this, &TCustomTxtEdit::DoOnPaintTransient);
  const int count = lines_->Count();
  const int y = caretY_;
  if (count == 0 || y < 1 || y > count || (y == count && LineAt(y).empty())) return;
  TTxtEditLock lock(*this);
  CollapseSelectionAtCaret();
  const AnsiString line(LineAt(y));
  if (y == count) {
    lines_->SetStrings(y - 1, AnsiString());
    undoList_->AddChange(urSilentDeleteAfterCaret, {1, y}, {static_cast<int>(line.size()) + 1, y}, line, smNormal);
  } else {
    lines_->Delete(y - 1);
    DoLinesDeleted(y, 1);
    undoList_->AddChange(urSilentDeleteAfterCaret, {1, y}, {1, y + 1}, line + "\r\n", smNormal);
  }
  SetCaretXY({1, y});
}

// ---- Tab and Shift+Tab ----

namespace {

bool IsBlankChar(char c) { return c == ' ' || c == '\t'; }

}  // namespace

void TCustomTxtEdit::DoTabKey() {
  if (options_.Contains(eoTabIndent)) {
    const bool block = SelAvail() && blockBegin_.Line != blockEnd_.Line && activeSelectionMode_ != smColumn;
    const bool wholeLine = SelTabLine();
    if (block || wholeLine) {
      DoBlockIndent();
      if (wholeLine && !block) {
        if (blockBegin_.Char < blockEnd_.Char)
          blockBegin_.Char = 1;
        else
          blockEnd_.Char = 1;
        InvalidateSelection();
      }
      return;
    }
  }
  TTxtEditLock lock(*this);
  TTxtUndoBlock undo(undoList_);
  if (SelAvail()) DeleteSelectionRecorded(urDelete);
  const int column = DisplayX();
  int smart = 0;
  if (options_.Contains(eoSmartTabs)) {
    for (int l = caretY_ - 1; l >= 1; --l) {
      const AnsiString s = lines_->GetExpandedString(l - 1);
      if (static_cast<int>(s.size()) < column) continue;
      int i = column;
      while (i <= static_cast<int>(s.size()) && !IsBlankChar(s[static_cast<size_t>(i - 1)])) ++i;
      while (i <= static_cast<int>(s.size()) && IsBlankChar(s[static_cast<size_t>(i - 1)])) ++i;
      smart = i - column;
      break;
    }
  }
  const bool spaces = options_.Contains(eoTabsToSpaces);
  const int width = smart > 0 ? smart : spaces ? tabWidth_ - (caretX_ - 1) % tabWidth_ : tabWidth_;
  AnsiString text;
  if (spaces) {
    text.assign(static_cast<size_t>(width), ' ');
  } else if (smart > 0) {
    const int target = column + width;
    const int nextStop = ((column - 1) / tabWidth_ + 1) * tabWidth_ + 1;
    int at = column;
    if (target >= nextStop) {
      text += '\t';
      at = nextStop;
      while (at + tabWidth_ <= target) {
        text += '\t';
        at += tabWidth_;
      }
    }
    text.append(static_cast<size_t>(target - at), ' ');
  } else {
    text = "\t";
  }
  TPastEol pastEol(options_);
  FillLineToCaret(false);
  const TBufferCoord start = CaretXY();
  AnsiString line(LineAt(caretY_));
  line.insert(static_cast<size_t>(start.Char - 1), text);
  const int targetColumn = WidthOf(line, start.Char - 1 + static_cast<int>(text.size()), tabWidth_) + 1;
  ProperSetLine(caretY_ - 1, line);
  const TBufferCoord end{start.Char + static_cast<int>(text.size()), caretY_};
  undoList_->AddChange(urInsert, start, end, AnsiString(), smNormal);
  TBufferCoord caret = end;
  const std::string_view stored = LineAt(caretY_);
  if (options_.Contains(eoTrimTrailingSpaces) && TxtStringIsBlank(stored))
    caret.Char = static_cast<int>(stored.size()) + targetColumn - GetExpandedLength(stored, tabWidth_);
  SetCaretXY(caret);
  EnsureCursorPosVisible();
}

void TCustomTxtEdit::DoShiftTabKey() {
  if (options_.Contains(eoTabIndent)) {
    const bool block = SelAvail() && blockBegin_.Line != blockEnd_.Line && activeSelectionMode_ != smColumn;
    if (block || SelTabLine()) {
      DoBlockUnindent();
      return;
    }
  }
  const int y = caretY_, x = caretX_;
  if (y < 1 || y > lines_->Count() || x <= 1) return;
  const std::string_view line = LineAt(y);
  const int length = static_cast<int>(line.size());
  const int column = DisplayX();
  int target = 0;  // a character index of the caret line
  if (options_.Contains(eoSmartTabs)) {
    for (int l = y - 1; l >= 1; --l) {
      const AnsiString s = lines_->GetExpandedString(l - 1);
      if (static_cast<int>(s.size()) < column) continue;
      int p = column - 1;
      while (p >= 1 && IsBlankChar(s[static_cast<size_t>(p - 1)])) --p;
      while (p >= 1 && !IsBlankChar(s[static_cast<size_t>(p - 1)])) --p;
      if (p + 1 < column) target = DisplayToBufferPos({p + 1, y}).Char;
      break;
    }
  }
  if (target == 0) {
    if (x - 1 <= length && line[static_cast<size_t>(x - 2)] == '\t') {
      target = x - 1;
    } else {
      const int stop = ((column - 2) / tabWidth_) * tabWidth_ + 1;
      target = x;
      while (target > 1 && (target - 1 > length || line[static_cast<size_t>(target - 2)] == ' ') &&
             WidthOf(line, target - 1, tabWidth_) + 1 > stop)
        --target;
    }
  }
  // Only blanks go: Shift+Tab never deletes text.
  int blanksFrom = std::min(x, length + 1);
  while (blanksFrom > 1 && IsBlankChar(line[static_cast<size_t>(blanksFrom - 2)])) --blanksFrom;
  target = std::max(target, std::min(blanksFrom, x));
  if (target >= x) return;
  TTxtEditLock lock(*this);
  const int cutEnd = std::min(x, length + 1);
  AnsiString deleted;
  if (target < cutEnd) {
    deleted.assign(line.substr(static_cast<size_t>(target - 1), static_cast<size_t>(cutEnd - target)));
    AnsiString changed(line);
    changed.erase(static_cast<size_t>(target - 1), static_cast<size_t>(cutEnd - target));
    lines_->SetStrings(y - 1, changed);
    undoList_->AddChange(urSilentDelete, {target, y}, {cutEnd, y}, deleted, smNormal);
  }
  TPastEol pastEol(options_);
  SetCaretXY({target, y});
}

// ---- block indent and unindent ----

namespace {

// The lines a block command works on: a selection that ends at a line's start leaves that line.
int LastBlockLine(const TBufferCoord& b, const TBufferCoord& e) {
  return e.Char == 1 && e.Line > b.Line ? e.Line - 1 : e.Line;
}

}  // namespace

void TCustomTxtEdit::DoBlockIndent() {
  if (!SelAvail()) return;
  const TBufferCoord anchor = blockBegin_, moving = blockEnd_;
  const TBufferCoord b = BlockBegin(), e = BlockEnd();
  const int last = std::min(LastBlockLine(b, e), lines_->Count());
  const TTxtSelectionMode mode = activeSelectionMode_;
  const int column = mode == smColumn ? std::min(b.Char, e.Char) : 1;
  const AnsiString indent = options_.Contains(eoTabsToSpaces) ? AnsiString(static_cast<size_t>(tabWidth_), ' ') : "\t";
  const int size = static_cast<int>(indent.size());
  AnsiString block;
  for (int l = b.Line; l <= last; ++l) {
    block += indent;
    if (l < last) block += "\r\n";
  }
  auto shifted = [&](TBufferCoord p) {
    if (p.Line >= b.Line && p.Line <= last && p.Char >= column) p.Char += size;
    return p;
  };
  TTxtEditLock lock(*this);
  TTxtUndoBlock undo(undoList_);
  undoList_->AddChange(urIndent, anchor, moving, AnsiString(), mode);
  blockBegin_ = blockEnd_ = {column, b.Line};
  caretX_ = column;
  caretY_ = b.Line;
  {
    TPastEol pastEol(options_);
    SetSelTextPrimitive(smColumn, block, true);
  }
  const TBufferCoord newAnchor = shifted(anchor), newMoving = shifted(moving);
  undoList_->AddChange(urIndent, newAnchor, newMoving, AnsiString(), mode);
  activeSelectionMode_ = mode;
  SetCaretAndSelection(newMoving, newAnchor, newMoving);
  activeSelectionMode_ = mode;
}

void TCustomTxtEdit::DoBlockUnindent() {
  if (!SelAvail()) return;
  const TBufferCoord anchor = blockBegin_, moving = blockEnd_;
  const TBufferCoord b = BlockBegin(), e = BlockEnd();
  const int last = std::min(LastBlockLine(b, e), lines_->Count());
  const TTxtSelectionMode mode = activeSelectionMode_;
  const int column = mode == smColumn ? std::min(b.Char, e.Char) : 1;
  std::vector<AnsiString> parts;
  bool any = false;
  for (int l = b.Line; l <= last; ++l) {
    const std::string_view s = LineAt(l);
    size_t at = static_cast<size_t>(column - 1), n = 0;
    if (at < s.size() && s[at] == '\t') {
      n = 1;
    } else {
      while (at + n < s.size() && s[at + n] == ' ' && static_cast<int>(n) < tabWidth_) ++n;
      if (static_cast<int>(n) < tabWidth_ && at + n < s.size() && s[at + n] == '\t') ++n;
    }
    parts.emplace_back(at < s.size() ? s.substr(at, n) : std::string_view());
    any = any || n > 0;
  }
  if (!any) return;
  TTxtEditLock lock(*this);
  TTxtUndoBlock undo(undoList_);
  AnsiString joined;
  WithinUpdate(*lines_, [&] {
    for (int l = b.Line; l <= last; ++l) {
      const AnsiString& part = parts[static_cast<size_t>(l - b.Line)];
      if (l > b.Line) joined += "\r\n";
      joined += part;
      if (part.empty()) continue;
      AnsiString s(LineAt(l));
      s.erase(static_cast<size_t>(column - 1), part.size());
      lines_->SetStrings(l - 1, s);
    }
  });
  undoList_->AddChange(urUnindent, anchor, moving, joined, mode);
  auto shifted = [&](TBufferCoord p) {
    if (p.Line >= b.Line && p.Line <= last && p.Char > column) {
      const int removed = static_cast<int>(parts[static_cast<size_t>(p.Line - b.Line)].size());
      p.Char = std::max(column, p.Char - removed);
    }
    return p;
  };
  activeSelectionMode_ = mode;
  SetCaretAndSelection(shifted(moving), shifted(anchor), shifted(moving));
  activeSelectionMode_ = mode;
}

// ---- case changes ----

namespace {

AnsiString ConvertCase(const AnsiString& text, TTxtEditorCommand cmd) {
  AnsiString s = text;
  if (s.empty()) return s;
  auto upper = [](AnsiString& t) { CharUpperBuffA(t.data(), static_cast<DWORD>(t.size())); };
  auto lower = [](AnsiString& t) { CharLowerBuffA(t.data(), static_cast<DWORD>(t.size())); };
  switch (cmd) {
    case ecUpperCase:
    case ecUpperCaseBlock: upper(s); break;
    case ecLowerCase:
    case ecLowerCaseBlock: lower(s); break;
    case ecToggleCase:
    case ecToggleCaseBlock:
      for (char& c : s) {
        AnsiString one(1, c);
        if (IsCharUpperA(c))
          lower(one);
        else if (IsCharLowerA(c))
          upper(one);
        c = one[0];
      }
      break;
    case ecTitleCase: {
      AnsiString first = s.substr(0, 1), rest = s.substr(1);
      upper(first);
      lower(rest);
      s = first + rest;
      break;
    }
    default: break;
  }
  return s;
}

}  // namespace

void TCustomTxtEdit::DoCaseChange(TTxtEditorCommand Cmd) {
  assert(Cmd >= ecUpperCase && Cmd <= ecToggleCaseBlock && Cmd != 624);
  if (Cmd < ecUpperCase || Cmd > ecToggleCaseBlock || Cmd == 624) return;
  const bool blockCommand = Cmd >= ecUpperCaseBlock;
  const bool hadSelection = SelAvail();
  const TBufferCoord caretBefore = CaretXY();
  const TBufferCoord anchorBefore = blockBegin_, endBefore = blockEnd_;
  const TTxtSelectionMode modeBefore = activeSelectionMode_;
  TTxtEditLock lock(*this);
  if (!hadSelection) {
    if (!blockCommand) {
      TBufferCoord at = caretBefore;
      for (int attempt = 0; attempt < 3; ++attempt) {
        const TBufferCoord s = WordStartEx(at), e = WordEndEx(at);
        if (s.Line == e.Line && s.Char < e.Char) {
          blockBegin_ = s;
          blockEnd_ = e;
          break;
        }
        at = PrevWordPosEx(at);
      }
    } else {
      const int length = static_cast<int>(LineAt(caretY_).size());
      if (caretX_ > length) {
        if (caretY_ < lines_->Count()) SetCaretXY({1, caretY_ + 1});
        return;
      }
      activeSelectionMode_ = smNormal;
      blockBegin_ = caretBefore;
      blockEnd_ = {caretBefore.Char + 1, caretBefore.Line};
    }
  }
  const AnsiString text = SelText();
  if (text.empty()) {
    blockBegin_ = anchorBefore;
    blockEnd_ = endBefore;
    return;
  }
  {
    TTxtUndoBlock undo(undoList_);
    undoList_->AddChange(urSelection, hadSelection ? anchorBefore : caretBefore, hadSelection ? endBefore : caretBefore,
                         AnsiString(), modeBefore);
    undoList_->AddChange(urCaret, caretBefore, caretBefore, AnsiString(), modeBefore);
    const TTxtSelectionMode mode = activeSelectionMode_;
    const TBufferCoord a = blockBegin_, e = blockEnd_;
    SetSelText(ConvertCase(text, Cmd));
    if (blockCommand && hadSelection) {
      activeSelectionMode_ = mode;
      SetCaretAndSelection(caretBefore, a, e);
      activeSelectionMode_ = mode;
      return;
    }
  }
  // A block command without a selection leaves the caret after the converted character.
  if (!blockCommand) SetCaretXY(caretBefore);
}
