// The editor control's commands: the processing chain, one handler per command, caret movement,
// bookmarks, the key map, and the word and bracket operations the commands use.
#include <algorithm>
#include <array>

#include "editor/TxtEdit.h"
#include "editor/TxtEditCoords.h"
#include "editor/TxtEditLocks.h"

// The handlers of the control's own commands, each a function of its own.
struct TTxtEditCommandHandlers {
  using THandler = void (*)(TCustomTxtEdit& E, TTxtEditorCommand Cmd, char Ch, void* Data);

  static bool Selecting(TTxtEditorCommand cmd) { return cmd > ecSelection && cmd <= ecSelGotoXY; }
  static TTxtEditorCommand Plain(TTxtEditorCommand cmd) { return Selecting(cmd) ? cmd - ecSelection : cmd; }

  // ---- caret movement (and its selecting twin) ----
  static void Left(TCustomTxtEdit& e, TTxtEditorCommand c, char, void*) { e.MoveCaretHorz(-1, Selecting(c)); }
  static void Right(TCustomTxtEdit& e, TTxtEditorCommand c, char, void*) { e.MoveCaretHorz(1, Selecting(c)); }
  static void Up(TCustomTxtEdit& e, TTxtEditorCommand c, char, void*) {
    e.MoveCaretVert(-1, Selecting(c));
    e.Update();
  }
  static void Down(TCustomTxtEdit& e, TTxtEditorCommand c, char, void*) {
    e.MoveCaretVert(1, Selecting(c));
    e.Update();
  }
  static void WordLeft(TCustomTxtEdit& e, TTxtEditorCommand c, char, void*) {
    e.MoveCaretAndSelection(e.CaretXY(), e.PrevWordPos(), Selecting(c));
  }
  static void WordRight(TCustomTxtEdit& e, TTxtEditorCommand c, char, void*) {
    e.MoveCaretAndSelection(e.CaretXY(), e.NextWordPos(), Selecting(c));
  }
  static void LineStart(TCustomTxtEdit& e, TTxtEditorCommand c, char, void*) { e.DoHomeKey(Selecting(c)); }
  static void LineEnd(TCustomTxtEdit& e, TTxtEditorCommand c, char, void*) { e.DoEndKey(Selecting(c)); }
  static void PageUpDown(TCustomTxtEdit& e, TTxtEditorCommand c, char, void*) {
    int n = e.linesInWindow_;
    if (e.options_.Contains(eoHalfPageScroll)) n >>= 1;
    if (e.options_.Contains(eoScrollByOneLess)) --n;
    if (Plain(c) == ecPageUp) n = -n;
    e.SetTopLine(e.topLine_ + n);
    e.MoveCaretVert(n, Selecting(c));
    e.Update();
  }
  static void PageLeftRight(TCustomTxtEdit& e, TTxtEditorCommand c, char, void*) {
    e.MoveCaretHorz(Plain(c) == ecPageLeft ? -e.charsInWindow_ : e.charsInWindow_, Selecting(c));
  }
  static void PageTopBottom(TCustomTxtEdit& e, TTxtEditorCommand c, char, void*) {
    const int row = Plain(c) == ecPageTop ? e.topLine_ : e.topLine_ + e.linesInWindow_ - 1;
    const TBufferCoord target = e.DisplayToBufferPos({e.DisplayX(), std::max(row, 1)});
    e.MoveCaretAndSelection(e.CaretXY(), target, Selecting(c));
    e.Update();
  }
  static void EditorTop(TCustomTxtEdit& e, TTxtEditorCommand c, char, void*) {
    e.MoveCaretAndSelection(e.CaretXY(), {1, 1}, Selecting(c));
  }
  static void EditorBottom(TCustomTxtEdit& e, TTxtEditorCommand c, char, void*) {
    const int count = e.lines_->Count();
    const TBufferCoord target =
        count > 0 ? TBufferCoord{static_cast<int>(e.LineAt(count).size()) + 1, count} : TBufferCoord{1, 1};
    e.MoveCaretAndSelection(e.CaretXY(), target, Selecting(c));
  }
  static void GotoXY(TCustomTxtEdit& e, TTxtEditorCommand c, char, void* data) {
    if (data) e.MoveCaretAndSelection(e.CaretXY(), *static_cast<TBufferCoord*>(data), Selecting(c));
  }

  // ---- selection and clipboard ----
  static void SelWord(TCustomTxtEdit& e, TTxtEditorCommand, char, void*) { e.SetSelWord(); }
  static void SelectAll(TCustomTxtEdit& e, TTxtEditorCommand, char, void*) { e.SelectAll(); }
  static void Copy(TCustomTxtEdit& e, TTxtEditorCommand, char, void*) { e.CopyToClipboard(); }
  static void Cut(TCustomTxtEdit& e, TTxtEditorCommand, char, void*) {
    if (!e.ReadOnly() && e.SelAvail()) e.CutToClipboard();
  }
  static void Paste(TCustomTxtEdit& e, TTxtEditorCommand, char, void*) {
    if (!e.ReadOnly()) e.PasteFromClipboard();
  }

  // ---- scrolling ----
  static void ScrollUpDown(TCustomTxtEdit& e, TTxtEditorCommand c, char, void*) {
    const int row = e.DisplayY();
    const int top = e.topLine_, rows = e.linesInWindow_;
    if (row >= top && row <= top + rows - 1) {
      if (c == ecScrollUp) {
        e.SetTopLine(top - 1);
        const int last = e.topLine_ + rows - 1;
        if (row > last) e.MoveCaretVert(last - row, false);
      } else {
        e.SetTopLine(top + 1);
        if (row < e.topLine_) e.MoveCaretVert(e.topLine_ - row, false);
      }
    }
    e.EnsureCursorPosVisible();
    e.Update();
  }
  static void ScrollLeftRight(TCustomTxtEdit& e, TTxtEditorCommand c, char, void*) {
    e.SetLeftChar(e.leftChar_ + (c == ecScrollLeft ? -1 : 1));
    e.Update();
  }

  // ---- modes ----
  static void InsertMode(TCustomTxtEdit& e, TTxtEditorCommand c, char, void*) {
    e.SetInsertMode(c == ecInsertMode ? true : c == ecOverwriteMode ? false : !e.InsertMode());
  }
  static void SelectionMode(TCustomTxtEdit& e, TTxtEditorCommand c, char, void*) {
    const TTxtSelectionMode mode = c == ecColumnSelect ? smColumn : c == ecLineSelect ? smLine : smNormal;
    e.SetSelectionMode(mode);
    e.SetActiveSelectionMode(mode);
  }

  // ---- brackets, help, bookmarks ----
  static void MatchBracket(TCustomTxtEdit& e, TTxtEditorCommand, char, void*) { e.FindMatchingBracket(); }
  static void ContextHelp(TCustomTxtEdit& e, TTxtEditorCommand, char, void*) {
    if (e.OnContextHelp) e.OnContextHelp(&e, e.WordAtCursor());
  }
  static void GotoMarker(TCustomTxtEdit& e, TTxtEditorCommand c, char, void*) {
    if (e.BookMarkOptions()->EnableKeys()) e.GotoBookMark(c - ecGotoMarker0);
  }
  static void SetMarker(TCustomTxtEdit& e, TTxtEditorCommand c, char, void* data) {
    if (!e.BookMarkOptions()->EnableKeys()) return;
    const int n = c - ecSetMarker0;
    const TBufferCoord at = data ? *static_cast<TBufferCoord*>(data) : e.CaretXY();
    int x = 0, y = 0;
    if (e.GetBookMark(n, x, y)) {
      // Toggles on the same line, moves from another one.
      e.ClearBookMark(n);
      if (y != at.Line) e.SetBookMark(n, at.Char, at.Line);
    } else {
      e.SetBookMark(n, at.Char, at.Line);
    }
  }

  // ---- text changes; none of them works on a read-only control ----
  template <void (TCustomTxtEdit::*Op)()>
  static void Editing(TCustomTxtEdit& e, TTxtEditorCommand, char, void*) {
    if (!e.ReadOnly()) (e.*Op)();
  }
  static void DeleteWord(TCustomTxtEdit& e, TTxtEditorCommand c, char, void*) {
    if (!e.ReadOnly()) e.DeleteWordOrEol(c == ecDeleteEOL);
  }
  static void DeleteLastWord(TCustomTxtEdit& e, TTxtEditorCommand c, char, void*) {
    if (!e.ReadOnly()) e.DeleteLastWordOrBol(c == ecDeleteBOL);
  }
  static void LineBreak(TCustomTxtEdit& e, TTxtEditorCommand c, char, void*) {
    if (!e.ReadOnly()) e.InsertLineBreak(c == ecLineBreak);
  }
  static void Char(TCustomTxtEdit& e, TTxtEditorCommand, char ch, void*) {
    if (!e.ReadOnly()) e.InsertCharacter(ch);
  }
  static void ImeStr(TCustomTxtEdit& e, TTxtEditorCommand, char, void* data) {
    if (!e.ReadOnly() && data) e.InsertImeString(static_cast<const char*>(data));
  }
  static void CaseChange(TCustomTxtEdit& e, TTxtEditorCommand c, char, void*) {
    if (!e.ReadOnly()) e.DoCaseChange(c);
  }

  static std::array<THandler, ecUserFirst> MakeTable() {
    std::array<THandler, ecUserFirst> t{};
    auto twin = [&t](TTxtEditorCommand c, THandler h) {
      t[c] = h;
      t[c + ecSelection] = h;
    };
    twin(ecLeft, &Left);
    twin(ecRight, &Right);
    twin(ecUp, &Up);
    twin(ecDown, &Down);
    twin(ecWordLeft, &WordLeft);
    twin(ecWordRight, &WordRight);
    twin(ecLineStart, &LineStart);
    twin(ecLineEnd, &LineEnd);
    twin(ecPageUp, &PageUpDown);
    twin(ecPageDown, &PageUpDown);
    twin(ecPageLeft, &PageLeftRight);
    twin(ecPageRight, &PageLeftRight);
    twin(ecPageTop, &PageTopBottom);
    twin(ecPageBottom, &PageTopBottom);
    twin(ecEditorTop, &EditorTop);
    twin(ecEditorBottom, &EditorBottom);
    twin(ecGotoXY, &GotoXY);
    t[ecSelWord] = &SelWord;
    t[ecSelectAll] = &SelectAll;
    t[ecCopy] = &Copy;
    t[ecCut] = &Cut;
    t[ecPaste] = &Paste;
    t[ecScrollUp] = t[ecScrollDown] = &ScrollUpDown;
    t[ecScrollLeft] = t[ecScrollRight] = &ScrollLeftRight;
    t[ecInsertMode] = t[ecOverwriteMode] = t[ecToggleMode] = &InsertMode;
    t[ecNormalSelect] = t[ecColumnSelect] = t[ecLineSelect] = &SelectionMode;
    t[ecMatchBracket] = &MatchBracket;
    t[ecContextHelp] = &ContextHelp;
    for (int i = 0; i < 10; ++i) {
      t[ecGotoMarker0 + i] = &GotoMarker;
      t[ecSetMarker0 + i] = &SetMarker;
    }
    t[ecDeleteLastChar] = &Editing<&TCustomTxtEdit::DeleteLastChar>;
    t[ecDeleteChar] = &Editing<&TCustomTxtEdit::DeleteChar>;
    t[ecDeleteWord] = t[ecDeleteEOL] = &DeleteWord;
    t[ecDeleteLastWord] = t[ecDeleteBOL] = &DeleteLastWord;
    t[ecDeleteLine] = &Editing<&TCustomTxtEdit::DeleteLine>;
    t[ecClearAll] = &Editing<&TCustomTxtEdit::ClearAll>;
    t[ecLineBreak] = t[ecInsertLine] = &LineBreak;
    t[ecChar] = &Char;
    t[ecImeStr] = &ImeStr;
    t[ecUndo] = &Editing<&TCustomTxtEdit::Undo>;
    t[ecRedo] = &Editing<&TCustomTxtEdit::Redo>;
    t[ecBlockIndent] = &Editing<&TCustomTxtEdit::DoBlockIndent>;
    t[ecBlockUnindent] = &Editing<&TCustomTxtEdit::DoBlockUnindent>;
    t[ecTab] = &Editing<&TCustomTxtEdit::DoTabKey>;
    t[ecShiftTab] = &Editing<&TCustomTxtEdit::DoShiftTabKey>;
    for (TTxtEditorCommand c :
         {ecUpperCase, ecLowerCase, ecToggleCase, ecTitleCase, ecUpperCaseBlock, ecLowerCaseBlock, ecToggleCaseBlock})
      t[c] = &CaseChange;
    return t;
  }

  static THandler Find(TTxtEditorCommand c) {
    static const std::array<THandler, ecUserFirst> table = MakeTable();
    return c < table.size() ? table[c] : nullptr;
  }
};

// ---- the processing chain ----

void TCustomTxtEdit::CommandProcessor(TTxtEditorCommand Command, char AChar, void* Data) {
  DoOnProcessCommand(Command, AChar, Data);
  if (Command != ecNone) {
    NotifyHookedCommandHandlers(false, Command, AChar, Data);
    if (Command >= 1 && Command < ecUserFirst) ExecuteCommand(Command, AChar, Data);
    if (Command != ecNone) NotifyHookedCommandHandlers(true, Command, AChar, Data);
  }
  DoOnCommandProcessed(Command, AChar, Data);
}

void TCustomTxtEdit::DoOnProcessCommand(TTxtEditorCommand& Command, char& AChar, void* Data) {
  if (Command >= ecUserFirst) {
    if (OnProcessUserCommand) OnProcessUserCommand(this, Command, AChar, Data);
  } else if (OnProcessCommand) {
    OnProcessCommand(this, Command, AChar, Data);
  }
}

void TCustomTxtEdit::NotifyHookedCommandHandlers(bool AfterProcessing, TTxtEditorCommand& Command, char& AChar,
                                                 void* Data) {
  bool handled = false;
  // A copy: handlers may unhook themselves.
  const std::vector<THookedCommandHandler> handlers = hookedCommandHandlers_;
  for (const THookedCommandHandler& h : handlers) h.Event(this, AfterProcessing, handled, Command, AChar, Data, h.Data);
  if (handled) Command = ecNone;
}

void TCustomTxtEdit::DoOnCommandProcessed(TTxtEditorCommand Command, char AChar, void* Data) {
  if (OnCommandProcessed) OnCommandProcessed(this, Command, AChar, Data);
}

void TCustomTxtEdit::HookCommandHandler(const THookedCommandEvent& AHandler, void* AHandlerData) {
  if (AHandler) hookedCommandHandlers_.push_back({AHandler, AHandlerData});
}

void TCustomTxtEdit::UnhookCommandHandler(const THookedCommandEvent& AHandler) {
  auto& v = hookedCommandHandlers_;
  v.erase(std::remove_if(v.begin(), v.end(), [&](const THookedCommandHandler& h) { return h.Event == AHandler; }),
          v.end());
}

void TCustomTxtEdit::ExecuteCommand(TTxtEditorCommand Command, char AChar, void* Data) {
  TTxtEditLock lock(*this);
  TTxtTrimDeferral trims(*this);
  if (TTxtEditCommandHandlers::THandler handler = TTxtEditCommandHandlers::Find(Command))
    handler(*this, Command, AChar, Data);
}

// ---- caret movement ----

void TCustomTxtEdit::MoveCaretAndSelection(const TBufferCoord& PtBefore, const TBufferCoord& PtAfter,
                                           bool SelectionCommand) {
  if (options_.Contains(eoGroupUndo) && undoList_->CanUndo()) undoList_->AddGroupBreak();
  TTxtEditLock lock(*this);
  if (SelectionCommand) {
    // A column block of no width still has its anchor (Shift+Down in column mode): growing it
    // goes on from there.
    if (blockBegin_ == blockEnd_) SetBlockBegin(PtBefore);
    SetBlockEnd(PtAfter);
  } else {
    SetBlockBegin(PtAfter);
  }
  InternalSetCaretXY(PtAfter);
  // Also when the caret stays where it was (Ctrl+Home at the top): the view comes back to it.
  EnsureCursorPosVisible();
}

void TCustomTxtEdit::MoveCaretHorz(int DX, bool SelectionCommand) {
  const TBufferCoord before = CaretXY();
  if (WordWrap()) {
    // The end of a wrapped row and the start of the next are one position; the flag tells
    // which of the two the caret shows, and a move towards the other only switches it.
    if (DX > 0 && caretAtEOL_) {
      caretAtEOL_ = false;
      stateFlags_.Include(sfCaretChanged);
      EnsureCursorPosVisible();
      UpdateCaret();
      return;
    }
    if (DX < 0 && !caretAtEOL_ && caretX_ >= 2 && DisplayXY().Column == 1) {
      caretAtEOL_ = true;
      stateFlags_.Include(sfCaretChanged);
      EnsureCursorPosVisible();
      UpdateCaret();
      return;
    }
  }
  const std::string_view line = LineAt(caretY_);
  const int length = static_cast<int>(line.size());
  const bool confined = !options_.Contains(eoScrollPastEol);
  TBufferCoord target = before;
  if (confined && DX == -1 && caretX_ == 1 && caretY_ > 1) {
    target = {static_cast<int>(LineAt(caretY_ - 1).size()) + 1, caretY_ - 1};
  } else if (confined && DX == 1 && caretX_ > length && caretY_ < lines_->Count()) {
    target = {1, caretY_ + 1};
  } else {
    int64_t x = std::max<int64_t>(1, int64_t(caretX_) + DX);
    if (DX > 0 && confined) x = std::min<int64_t>(x, length + 1);
    target.Char = TxtClampToInt(x);
    if (target.Char > 1 && target.Char <= length && TxtIsTrailByte(line, target.Char)) target.Char += DX > 0 ? 1 : -1;
  }
  MoveCaretAndSelection(before, target, SelectionCommand);
  if (WordWrap() && DX > 0 && target.Line == before.Line && DisplayXY().Column == 1 && caretX_ > 1) {
    caretAtEOL_ = true;
    stateFlags_.Include(sfCaretChanged);
  }
}

void TCustomTxtEdit::MoveCaretVert(int DY, bool SelectionCommand) {
  const TDisplayCoord from = DisplayXY();
  int64_t row = int64_t(from.Row) + DY;
  if (DY >= 0) {
    if (row > DisplayLineCount()) row = std::max(DisplayLineCount(), 1);
  } else if (row < 1) {
    row = 1;
  }
  TDisplayCoord to{from.Column, TxtClampToInt(row)};
  const bool rowChanged = to.Row != from.Row;
  if (rowChanged && options_.Contains(eoKeepCaretX)) to.Column = lastCaretX_;
  TBufferCoord target = DisplayToBufferPos(to);
  bool atTrail = caretAtDbcsTrail_;
  if (rowChanged) {
    if (caretAtDbcsTrail_ && !options_.Contains(eoKeepCaretX)) ++target.Char;
    atTrail = TxtIsTrailByte(LineAt(target.Line), target.Char);
    if (atTrail) --target.Char;
  }
  const int lastX = lastCaretX_;
  {
    TTxtEditLock lock(*this);
    MoveCaretAndSelection(CaretXY(), target, SelectionCommand);
    if (WordWrap()) {
      const TDisplayCoord shown = BufferToDisplayPos(CaretXY());
      caretAtEOL_ = shown.Column == 1 && shown.Row != to.Row;
    }
  }
  lastCaretX_ = lastX;
  caretAtDbcsTrail_ = atTrail;
}

void TCustomTxtEdit::DoHomeKey(bool Selection) {
  const std::string_view line = LineAt(caretY_);
  const int length = static_cast<int>(line.size());
  const TDisplayCoord shown = DisplayXY();
  const bool firstRow = !WordWrap() || LineToRow(caretY_) == shown.Row;
  int target = 1;
  bool rowStart = true;
  if (options_.Contains(eoEnhanceHomeKey) && firstRow) {
    int scanEnd = length;
    if (WordWrap())
      scanEnd =
          std::min(length, DisplayToBufferPos({wordWrapPlugin_->GetRowLength(shown.Row) + 1, shown.Row}).Char - 1);
    int first = length + 1;
    for (int i = 1; i <= scanEnd; ++i)
      if (line[static_cast<size_t>(i - 1)] != ' ' && line[static_cast<size_t>(i - 1)] != '\t') {
        first = i;
        break;
      }
    target = caretX_ > first || caretX_ == 1 ? first : 1;
    rowStart = false;
  }
  TBufferCoord to{target, caretY_};
  if (WordWrap() && rowStart) to = DisplayToBufferPos({1, shown.Row});
  MoveCaretAndSelection(CaretXY(), to, Selection);
}

void TCustomTxtEdit::DoEndKey(bool Selection) {
  const std::string_view line = LineAt(caretY_);
  const int length = static_cast<int>(line.size());
  const TDisplayCoord shown = DisplayXY();
  const bool lastRow = !WordWrap() || LineToRow(caretY_ + 1) - 1 == shown.Row || caretY_ >= lines_->Count();
  int target = length + 1;
  if (options_.Contains(eoEnhanceEndKey) && lastRow) {
    int end = length;
    while (end > 0 && (line[static_cast<size_t>(end - 1)] == ' ' || line[static_cast<size_t>(end - 1)] == '\t')) --end;
    if (WordWrap()) end = std::max(end, DisplayToBufferPos({1, shown.Row}).Char - 1);
    target = caretX_ == end + 1 ? length + 1 : end + 1;
  }
  TBufferCoord to{target, caretY_};
  if (WordWrap() && !(options_.Contains(eoEnhanceEndKey) && lastRow)) {
    const int rowLength = std::min(wordWrapPlugin_->GetRowLength(shown.Row), std::max(charsInWindow_, 0));
    to = DisplayToBufferPos({rowLength + 1, shown.Row});
  }
  MoveCaretAndSelection(CaretXY(), to, Selection);
  if (WordWrap() && BufferToDisplayPos(CaretXY()).Row != shown.Row) {
    caretAtEOL_ = true;
    stateFlags_.Include(sfCaretChanged);
  }
}

void TCustomTxtEdit::SetWordBlock(TBufferCoord Value) {
  if (options_.Contains(eoScrollPastEol) && !WordWrap())
    Value.Char = MinMax(Value.Char, 1, TxtClampToInt(int64_t(maxScrollWidth_) + 1));
  else
    Value.Char = std::max(Value.Char, 1);
  Value.Line = MinMax(Value.Line, 1, lines_->Count());
  const int length = static_cast<int>(LineAt(Value.Line).size());
  if (Value.Char <= length) {
    const TBufferCoord start = WordStartEx(Value);
    const TBufferCoord end = WordEndEx(Value);
    if (start.Line == end.Line && start.Char < end.Char) SetCaretAndSelection(end, start, end);
  } else {
    SetCaretXY({length + 1, Value.Line});
  }
}

void TCustomTxtEdit::SetSelWord() { SetWordBlock(CaretXY()); }

void TCustomTxtEdit::ClearAll() {
  lines_->Clear();
  marks_->Clear();
  bookmarks_.fill(nullptr);
  undoList_->Clear();
  redoList_->Clear();
  SetModified(false);
}

// ---- bookmarks ----

void TCustomTxtEdit::SetBookMark(int BookMark, int X, int Y) {
  if (BookMark < 0 || BookMark > 9) return;
  if (Y < 1 || Y > std::max(1, lines_->Count())) return;
  auto mark = std::make_unique<TTxtEditMark>();
  mark->SetLine(Y);
  mark->SetChar(X);
  mark->SetImage(BookMark);
  mark->SetBookmarkNumber(BookMark);
  mark->SetVisible(true);
  mark->SetInternalImage(bookMarkOptions_->BookmarkImages() == nullptr);
  TTxtEditMark* placed = mark.get();
  DoOnPlaceMark(placed);
  if (placed != mark.get()) {
    // The handler dropped the mark or put one of its own in its place.
    mark.reset();
    if (!placed) return;
    mark.reset(placed);
  }
  if (bookmarks_[static_cast<size_t>(BookMark)]) ClearBookMark(BookMark);
  bookmarks_[static_cast<size_t>(BookMark)] = mark.get();
  marks_->Add(mark.release());
  InvalidateGutterLines(Y, Y);
}

void TCustomTxtEdit::ClearBookMark(int BookMark) {
  if (BookMark < 0 || BookMark > 9) return;
  TTxtEditMark* mark = bookmarks_[static_cast<size_t>(BookMark)];
  if (!mark) return;
  TTxtEditMark* told = mark;
  DoOnClearBookmark(told);
  const int line = mark->Line();
  bookmarks_[static_cast<size_t>(BookMark)] = nullptr;
  marks_->Remove(mark);
  InvalidateGutterLines(line, line);
}

void TCustomTxtEdit::GotoBookMark(int BookMark) {
  if (BookMark < 0 || BookMark > 9) return;
  const TTxtEditMark* mark = bookmarks_[static_cast<size_t>(BookMark)];
  if (!mark || mark->Line() > lines_->Count()) return;
  TTxtEditLock lock(*this);
  SetCaretXYEx(false, {mark->Char(), mark->Line()});
  if (SelAvail()) InvalidateSelection();
  CollapseSelectionAtCaret();
  EnsureCursorPosVisibleEx(true);
}

bool TCustomTxtEdit::GetBookMark(int BookMark, int& X, int& Y) const {
  for (int i = 0; i < marks_->Count(); ++i) {
    const TTxtEditMark* mark = marks_->Items(i);
    if (mark->IsBookmark() && mark->BookmarkNumber() == BookMark) {
      X = mark->Char();
      Y = mark->Line();
      return true;
    }
  }
  return false;
}

bool TCustomTxtEdit::IsBookmark(int BookMark) const {
  int x = 0, y = 0;
  return GetBookMark(BookMark, x, y);
}

// ---- key map ----

std::unique_ptr<TTxtEditKeyStrokes> TCustomTxtEdit::DefaultKeystrokes(TCustomTxtEdit* Owner) {
  auto strokes = std::make_unique<TTxtEditKeyStrokes>(Owner);
  strokes->ResetDefaults();
  return strokes;
}

void TCustomTxtEdit::SetKeystrokes(TTxtEditKeyStrokes* Value) {
  if (Value)
    keystrokes_->Assign(Value);
  else
    keystrokes_->Clear();
}

void TCustomTxtEdit::SetDefaultKeystrokes() { keystrokes_->ResetDefaults(); }

TTxtEditorCommand TCustomTxtEdit::KeyToCommand(Word Key, TShiftState Shift, void*& Data) {
  Data = nullptr;
  return TranslateKeyStroke(*keystrokes_, Key, Shift, lastKey_, lastShift_);
}

void TCustomTxtEdit::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  auto* ancestor = dynamic_cast<TCustomTxtEdit*>(Filer->Ancestor());
  DefineKeyStrokeDifferences(Filer, keystrokes_.get(), ancestor ? ancestor->keystrokes_.get() : nullptr);
}

// ---- words and brackets ----

TTxtWordFinder TCustomTxtEdit::Words() const { return TTxtWordFinder(*lines_, highlighter_, TxtEditLeadByteTest()); }

TBufferCoord TCustomTxtEdit::NextWordPosEx(const TBufferCoord& XY) { return Words().NextWordPos(XY); }
TBufferCoord TCustomTxtEdit::WordStartEx(const TBufferCoord& XY) { return Words().WordStart(XY); }
TBufferCoord TCustomTxtEdit::WordEndEx(const TBufferCoord& XY) { return Words().WordEnd(XY); }
TBufferCoord TCustomTxtEdit::PrevWordPosEx(const TBufferCoord& XY) { return Words().PrevWordPos(XY); }

AnsiString TCustomTxtEdit::GetWordAtRowCol(const TBufferCoord& XY) {
  const TBufferCoord start = WordStartEx(XY);
  const TBufferCoord end = WordEndEx(XY);
  if (start.Line != end.Line || start.Char >= end.Char || start.Line < 1 || start.Line > lines_->Count())
    return AnsiString();
  return AnsiString(
      LineAt(start.Line).substr(static_cast<size_t>(start.Char - 1), static_cast<size_t>(end.Char - start.Char)));
}

bool TCustomTxtEdit::GetMatchingBracketEx(const TBufferCoord& APoint, TBufferCoord& Result, bool VisibleOnly) {
  int first = 1, last = lines_->Count();
  if (VisibleOnly) {
    first = RowToLine(topLine_);
    last = RowToLine(topLine_ + linesInWindow_ - 1);
  }
  return Words().MatchingBracket(APoint, Result, first, last);
}

void TCustomTxtEdit::FindMatchingBracket() {
  TBufferCoord match;
  if (GetMatchingBracket(match)) SetCaretXY(match);
}

bool TCustomTxtEdit::GetHighlighterAttriAtRowCol(const TBufferCoord& XY, AnsiString& Token,
                                                 TTxtHighlighterAttributes*& Attri) {
  int kind = 0, start = 0;
  return Words().TokenAt(XY, Token, Attri, kind, start);
}

bool TCustomTxtEdit::GetHighlighterAttriAtRowColEx(const TBufferCoord& XY, AnsiString& Token, int& TokenType,
                                                   int& Start, TTxtHighlighterAttributes*& Attri) {
  return Words().TokenAt(XY, Token, Attri, TokenType, Start);
}
