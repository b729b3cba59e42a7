// The editor control's input: mouse presses, drags and releases with drag-scrolling, double
// clicks, keys through the key map, typed characters, input-method results, dropped files,
// dragging text between editors, the mouse cursor, and the text and clipboard messages.
#include <algorithm>
#include <climits>
#include <cstring>

#include "editor/TxtEdit.h"
#include "editor/TxtEditCoords.h"
#include "editor/TxtEditLocks.h"
#include "framework/CodePages.h"
#include "framework/ScopeGuards.h"
#include "framework/Screen.h"

namespace {

TPoint CursorInClient(TControl& control) {
  POINT p{};
  GetCursorPos(&p);
  return control.ScreenToClient({p.x, p.y});
}

}  // namespace

// ---- the mouse ----

void TCustomTxtEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  const TBufferCoord oldBegin = BlockBegin(), oldEnd = BlockEnd();
  bool hadSelection = false;
  if (Button == mbLeft && SelAvail()) {
    mouseDownX_ = X;
    mouseDownY_ = Y;
    hadSelection = true;
  }
  if (Shift.Contains(ssAlt)) {
    // Alt held for a column selection: letting it go is then no press of Alt alone, which the
    // system would turn into the menu key. A key pressed under Alt tells it so, as it would for
    // Alt+letter; no key has this code.
    TMessage other;
    other.Msg = WM_SYSKEYDOWN;
    other.WParam = 0xFF;
    other.LParam = (KF_ALTDOWN << 16) | 1;
    DefaultHandler(other);
  }
  inherited::MouseDown(Button, Shift, X, Y);
  if (Button == mbLeft && Shift.Contains(ssDouble)) return;
  kbdHandler_.ExecuteMouseDown(this, Button, Shift, X, Y);
  const TBufferCoord under = DisplayToBufferPos(PixelsToRowColumn(X, Y));
  if (Button == mbLeft) {
    ComputeCaret(X, Y);
  } else if (Button == mbRight) {
    if (!options_.Contains(eoRightMouseMovesCursor)) return;
    // A right click inside the selection keeps it for the context menu.
    if (SelAvail() && IsPointInSelection(under)) return;
    InvalidateSelection();
    blockEnd_ = blockBegin_;
    ComputeCaret(X, Y);
  }
  if (Button == mbLeft) {
    blockBegin_ = oldBegin;
    blockEnd_ = oldEnd;
    SetMouseCapture(true);
    stateFlags_.Exclude(sfWaitForDragging);
    const bool mayDrag = hadSelection && options_.Contains(eoDragDropEditing) && X >= gutterWidth_ + 2 &&
                         selectionMode_ == smNormal && IsPointInSelection(under);
    if (mayDrag) {
      stateFlags_.Include(sfWaitForDragging);
    } else if (!stateFlags_.Contains(sfDblClicked)) {
      if (Shift.Contains(ssShift)) {
        SetBlockEnd(CaretXY());
      } else {
        if (options_.Contains(eoAltSetsColumnMode) && activeSelectionMode_ != smLine)
          SetSelectionMode(Shift.Contains(ssAlt) ? smColumn : smNormal);
        SetBlockBegin(CaretXY());
      }
    }
  }
  if (X < gutterWidth_ + 2) {
    if (Button == mbRight)
      DoOnGutterClick(Button, X, Y);
    else
      stateFlags_.Include(sfPossibleGutterClick);
  }
  if (CanFocus() && !Focused()) SetFocus();
}

void TCustomTxtEdit::MouseMove(TShiftState Shift, int X, int Y) {
  inherited::MouseMove(Shift, X, Y);
  if (MouseCapture() && stateFlags_.Contains(sfWaitForDragging)) {
    if (std::abs(mouseDownX_ - X) >= GetSystemMetrics(SM_CXDRAG) ||
        std::abs(mouseDownY_ - Y) >= GetSystemMetrics(SM_CYDRAG)) {
      stateFlags_.Exclude(sfWaitForDragging);
      dragStartCaret_ = CaretXY();
      BeginDrag(false);
    }
    return;
  }
  if (!Shift.Contains(ssLeft) || !MouseCapture()) return;
  ComputeDragScroll(X, Y);
  TDisplayCoord p = PixelsToNearestRowColumn(X, Y);
  p.Row = MinMax(p.Row, 1, std::max(DisplayLineCount(), 1));
  if (scrollDeltaX_ != 0) p.Column = DisplayX();
  if (scrollDeltaY_ != 0) p.Row = DisplayY();
  {
    TTxtEditLock lock(*this);
    InternalSetCaretXY(DisplayToBufferPos(p));
    SetBlockEnd(CaretXY());
  }
  if (stateFlags_.Contains(sfPossibleGutterClick) && caretY_ != blockBegin_.Line) stateFlags_.Include(sfGutterDragging);
}

void TCustomTxtEdit::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  inherited::MouseUp(Button, Shift, X, Y);
  kbdHandler_.ExecuteMouseUp(this, Button, Shift, X, Y);
  if (scrollTimer_) scrollTimer_->SetEnabled(false);
  if (Button == mbRight && Shift == TShiftState{ssRight} && PopupMenu()) return;
  SetMouseCapture(false);
  if (stateFlags_.Contains(sfPossibleGutterClick) && X < gutterWidth_ + 2 && Button != mbRight) {
    DoOnGutterClick(Button, X, Y);
  } else if (stateFlags_.Contains(sfWaitForDragging) && !stateFlags_.Contains(sfDblClicked)) {
    // A press inside the selection that never became a drag: an ordinary click there.
    ComputeCaret(X, Y);
    if (!Shift.Contains(ssShift)) SetBlockBegin(CaretXY());
    SetBlockEnd(CaretXY());
    stateFlags_.Exclude(sfWaitForDragging);
  }
  stateFlags_.Exclude(sfDblClicked);
  stateFlags_.Exclude(sfPossibleGutterClick);
  stateFlags_.Exclude(sfGutterDragging);
}

void TCustomTxtEdit::DblClick() {
  const TPoint p = CursorInClient(*this);
  if (p.X >= gutterWidth_ + 2) {
    if (!options_.Contains(eoNoSelection)) SetWordBlock(CaretXY());
    inherited::DblClick();
    stateFlags_.Include(sfDblClicked);
    SetMouseCapture(false);
  } else {
    inherited::DblClick();
  }
}

void TCustomTxtEdit::DoOnGutterClick(TMouseButton Button, int X, int Y) {
  if (!OnGutterClick) return;
  const int line = RowToLine(PixelsToRowColumn(X, Y).Row);
  if (line < 1 || line > lines_->Count()) return;
  TTxtEditMarks marks{};
  marks_->GetMarksForLine(line, marks);
  TTxtEditMark* clicked = nullptr;
  int offset = 0;
  for (TTxtEditMark* mark : marks) {
    if (!mark) continue;
    offset += bookMarkOptions_->Xoffset();
    if (offset > X) {
      clicked = mark;
      break;
    }
  }
  OnGutterClick(this, Button, X, Y, line, clicked);
}

// ---- drag-scrolling ----

void TCustomTxtEdit::ComputeDragScroll(int X, int Y) {
  if (!MouseCapture() && !Dragging()) {
    if (scrollTimer_) scrollTimer_->SetEnabled(false);
    return;
  }
  TRect bounds = Bounds(gutterWidth_, 0, charsInWindow_ * charWidth_, linesInWindow_ * textHeight_);
  if (borderStyle_ == bsNone) bounds = {bounds.Left + 2, bounds.Top + 2, bounds.Right - 2, bounds.Bottom - 2};
  const int cw = std::max(charWidth_, 1), th = std::max(textHeight_, 1);
  scrollDeltaX_ = X < bounds.Left ? (X - bounds.Left) / cw - 1 : X >= bounds.Right ? (X - bounds.Right) / cw + 1 : 0;
  scrollDeltaY_ = Y < bounds.Top ? (Y - bounds.Top) / th - 1 : Y >= bounds.Bottom ? (Y - bounds.Bottom) / th + 1 : 0;
  const bool run = scrollDeltaX_ != 0 || scrollDeltaY_ != 0;
  if (run && !scrollTimer_) {
    scrollTimer_ = std::make_unique<TTimer>(nullptr);
    scrollTimer_->SetEnabled(false);
    scrollTimer_->SetInterval(100);
    scrollTimer_->OnTimer = TNotifyEvent(this, &TCustomTxtEdit::ScrollTimerHandler);
  }
  if (scrollTimer_) scrollTimer_->SetEnabled(run);
}

void TCustomTxtEdit::ScrollTimerHandler(TObject*) {
  const TPoint mouse = CursorInClient(*this);
  TDisplayCoord p = PixelsToRowColumn(mouse.X, mouse.Y);
  const int rows = std::max(DisplayLineCount(), 1);
  p.Row = MinMax(p.Row, 1, rows);
  if (scrollDeltaX_ != 0) {
    SetLeftChar(leftChar_ + scrollDeltaX_);
    p.Column = leftChar_ + (scrollDeltaX_ > 0 ? charsInWindow_ : 0);
  }
  if (scrollDeltaY_ != 0) {
    const int64_t step = GetKeyState(VK_SHIFT) < 0 ? int64_t(scrollDeltaY_) * linesInWindow_ : scrollDeltaY_;
    SetTopLine(TxtClampToInt(topLine_ + step));
    p.Row = MinMax(topLine_ + (scrollDeltaY_ > 0 ? linesInWindow_ - 1 : 0), 1, rows);
  }
  const TBufferCoord target = DisplayToBufferPos(p);
  if (!(target == CaretXY())) {
    TTxtEditLock lock(*this);
    InternalSetCaretXY(target);
    if (MouseCapture()) SetBlockEnd(CaretXY());
  }
  ComputeDragScroll(mouse.X, mouse.Y);
}

void TCustomTxtEdit::WMCaptureChanged(TMessage& Message) {
  if (scrollTimer_) scrollTimer_->SetEnabled(false);
  inherited::WMCaptureChanged(Message);
}

// ---- keys and characters ----

void TCustomTxtEdit::KeyDown(Word& Key, TShiftState Shift) {
  inherited::KeyDown(Key, Shift);
  kbdHandler_.ExecuteKeyDown(this, Key, Shift);
  // A key that a handler took (0) is translated too: it ends a chord begun before it.
  void* data = nullptr;
  const TTxtEditorCommand command = KeyToCommand(Key, Shift, data);
  if (command != ecNone) {
    Key = 0;
    stateFlags_.Include(sfIgnoreNextChar);
    CommandProcessor(command, '\0', data);
  } else {
    stateFlags_.Exclude(sfIgnoreNextChar);
  }
}

void TCustomTxtEdit::KeyUp(Word& Key, TShiftState Shift) {
  inherited::KeyUp(Key, Shift);
  kbdHandler_.ExecuteKeyUp(this, Key, Shift);
}

void TCustomTxtEdit::KeyPress(wchar_t& Key) {
  if (imeCount_ > 0) {
    --imeCount_;
    Key = 0;
    return;
  }
  if (stateFlags_.Contains(sfIgnoreNextChar)) {
    stateFlags_.Exclude(sfIgnoreNextChar);
    Key = 0;
    return;
  }
  inherited::KeyPress(Key);
  if (Key == 0) return;
  // The lines hold ANSI text: a character the code page cannot hold is not typed at all.
  bool lossy = false;
  const AnsiString ansi = WideToAnsiChecked(WideString(1, Key), lossy);
  if (lossy || ansi.empty()) return;
  if (ansi.size() == 1) {
    char c = ansi[0];
    kbdHandler_.ExecuteKeyPress(this, c);
    if (c != 0) CommandProcessor(ecChar, c, nullptr);
  } else {
    CommandProcessor(ecImeStr, '\0', const_cast<char*>(ansi.c_str()));
  }
}

// ---- input methods ----

WideString TCustomTxtEdit::ImeResultString() {
  WideString result;
  if (!HandleAllocated()) return result;
  HIMC imc = ImmGetContext(Handle());
  if (!imc) return result;
  const LONG bytes = ImmGetCompositionStringW(imc, GCS_RESULTSTR, nullptr, 0);
  if (bytes > 0) {
    result.resize(static_cast<size_t>(bytes) / sizeof(wchar_t));
    ImmGetCompositionStringW(imc, GCS_RESULTSTR, result.data(), static_cast<DWORD>(bytes));
  }
  ImmReleaseContext(Handle(), imc);
  return result;
}

void TCustomTxtEdit::DoImeComposition(TMessage& Message) {
  if (Message.LParam & GCS_RESULTSTR) {
    const WideString result = ImeResultString();
    if (!result.empty()) {
      // The default handling sends the result again as one character message per UTF-16
      // unit to this (Unicode) window; those are swallowed.
      imeCount_ = static_cast<int>(result.size());
      const AnsiString ansi = WideToAnsi(result);
      CommandProcessor(ecImeStr, '\0', const_cast<char*>(ansi.c_str()));
    }
  }
  inherited::WndProc(Message);
}

// ---- dropped files ----

void TCustomTxtEdit::DoDropFiles(TMessage& Message) {
  HDROP drop = reinterpret_cast<HDROP>(Message.WParam);
  TScopeExit finish([&] {
    DragFinish(drop);
    Message.Result = 0;
  });
  if (OnDropFiles) {
    TStringListW files;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
      // Names of any length: the length is asked for first.
      const UINT length = DragQueryFileW(drop, i, nullptr, 0);
      WideString name(length + 1, L'\0');
      const UINT got = DragQueryFileW(drop, i, name.data(), length + 1);
      name.resize(got);
      files.Add(name);
    }
    POINT point{};
    DragQueryPoint(drop, &point);
    OnDropFiles(this, point.x, point.y, &files);
  }
}

// ---- dragging text ----

void TCustomTxtEdit::DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept) {
  inherited::DragOver(Source, X, Y, State, Accept);
  auto* source = dynamic_cast<TCustomTxtEdit*>(Source);
  if (!source || ReadOnly()) return;
  Accept = true;
  source->SetDragCursor(GetKeyState(VK_CONTROL) < 0 ? crMultiDrag : crDrag);
  if (State == dsDragEnter) dragStartCaret_ = CaretXY();
  if (State == dsDragLeave) {
    InternalSetCaretXY(dragStartCaret_);
    return;
  }
  TDisplayCoord p = PixelsToNearestRowColumn(X, Y);
  p.Column = MinMax(p.Column, leftChar_, leftChar_ + std::max(charsInWindow_, 1) - 1);
  p.Row = MinMax(p.Row, topLine_, std::max(topLine_ + linesInWindow_ - 1, topLine_));
  InternalSetCaretXY(DisplayToBufferPos(p));
}

namespace {

bool Before(const TBufferCoord& A, const TBufferCoord& B) {
  return A.Line < B.Line || (A.Line == B.Line && A.Char < B.Char);
}

}  // namespace

bool TCustomTxtEdit::DropInsideSelection(const TBufferCoord& P, bool Copying) const {
  const TBufferCoord b = BlockBegin(), e = BlockEnd();
  switch (activeSelectionMode_) {
    case smLine: {
      // Whole lines go in before P's line: onto the first line or the one after the last they
      // are copied beside themselves, and moved they stay where they were.
      const int last = std::min(e.Line, std::max(lines_->Count(), 1));
      return Copying ? P.Line > b.Line && P.Line <= last : P.Line >= b.Line && P.Line <= last + 1;
    }
    case smColumn: {
      if (P.Line < b.Line || P.Line > e.Line) return false;
      int left = BufferToDisplayPos(b).Column, right = BufferToDisplayPos(e).Column;
      if (left > right) std::swap(left, right);
      const int column = BufferToDisplayPos(P).Column;
      return Copying ? column > left && column < right : column >= left && column <= right;
    }
    default: return Copying ? Before(b, P) && Before(P, e) : !Before(P, b) && !Before(e, P);
  }
}

TBufferCoord TCustomTxtEdit::PointAfterSelectionDeleted(TBufferCoord P) const {
  const TBufferCoord b = BlockBegin(), e = BlockEnd();
  switch (activeSelectionMode_) {
    case smLine:
      if (P.Line > e.Line) P.Line -= std::min(e.Line, lines_->Count()) - b.Line + 1;
      break;
    case smColumn:
      // Only the block's own lines lose characters, those of the block.
      for (const TColumnSpan& span : ColumnSpans(b, e))
        if (span.Line == P.Line && P.Char >= span.To) P.Char -= span.To - span.From;
      break;
    default:
      if (Before(P, e)) break;
      if (P.Line == e.Line) P.Char = b.Char + (P.Char - e.Char);
      P.Line -= e.Line - b.Line;
      break;
  }
  return P;
}

void TCustomTxtEdit::DragDrop(TObject* Source, int X, int Y) {
  auto* source = dynamic_cast<TCustomTxtEdit*>(Source);
  if (ReadOnly() || !source || !source->SelAvail()) {
    inherited::DragDrop(Source, X, Y);
    return;
  }
  TTxtEditLock lock(*this);
  inherited::DragDrop(Source, X, Y);
  InternalSetCaretXY(DisplayToBufferPos(PixelsToNearestRowColumn(X, Y)));
  TBufferCoord p = CaretXY();
  const bool same = source == this;
  const bool copying = GetKeyState(VK_CONTROL) < 0;
  const bool moving = same ? !copying : GetKeyState(VK_SHIFT) < 0;
  if (same && DropInsideSelection(p, copying)) return;
  TTxtUndoBlock undo(undoList_);
  const AnsiString text = source->SelText();
  const TTxtSelectionMode mode = source->ActiveSelectionMode();
  if (moving) {
    if (same) p = PointAfterSelectionDeleted(p);
    source->SetSelText(AnsiString());
  }
  TPastEol pastEol(options_);
  SetCaretXY(p);
  activeSelectionMode_ = mode;
  // The insertion records what it changed as it is: the blanks that carry it out past a
  // line's end, the lines it writes over, a column block's padding, the blanks trimming drops.
  ReplaceSelText(text, same ? urDragDropInsert : urInsert);
  // The dropped text selected, the caret goes back to P by the command that extends a
  // selection: its handlers hear of it, and like any caret move it ends a group of changes.
  SetCaretAndSelection(insertedEnd_, insertedEnd_, p);
  CommandProcessor(ecSelGotoXY, '\0', &p);
}

void TCustomTxtEdit::DoEndDrag(TObject* Target, int X, int Y) {
  inherited::DoEndDrag(Target, X, Y);
  if (scrollTimer_) scrollTimer_->SetEnabled(false);
}

// ---- the mouse cursor ----

void TCustomTxtEdit::UpdateMouseCursor() {
  const TPoint p = CursorInClient(*this);
  const TBufferCoord at = DisplayToBufferPos(PixelsToRowColumn(p.X, p.Y));
  TCursor cursor;
  if (p.X < gutterWidth_) {
    cursor = static_cast<TCursor>(gutter_->Cursor());
  } else {
    cursor = Cursor();
    if (options_.Contains(eoDragDropEditing) && !MouseCapture() && IsPointInSelection(at)) cursor = crArrow;
  }
  if (OnMouseCursor) OnMouseCursor(this, at, cursor);
  kbdHandler_.ExecuteMouseCursor(this, at, cursor);
  ::SetCursor(Screen->Cursors(cursor));
}

void TCustomTxtEdit::WMSetCursor(TMessage& Message) {
  if (LOWORD(Message.LParam) == HTCLIENT && reinterpret_cast<HWND>(Message.WParam) == Handle() &&
      !ComponentState().Contains(csDesigning)) {
    UpdateMouseCursor();
    Message.Result = 1;
    return;
  }
  inherited::WMSetCursor(Message);
}

// ---- dialog keys, text and clipboard messages ----

void TCustomTxtEdit::WMGetDlgCode(TMessage& Message) {
  inherited::WMGetDlgCode(Message);
  Message.Result |= DLGC_WANTARROWS | DLGC_WANTCHARS;
  if (wantTabs_) Message.Result |= DLGC_WANTTAB;
  if (wantReturns_) Message.Result |= DLGC_WANTALLKEYS;
}

void TCustomTxtEdit::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SYSCHAR:
      // Alt+Backspace ran the undo command on key down; its character would beep.
      if (Message.WParam == VK_BACK && (Message.LParam & (1 << 29))) {
        Message.Result = 0;
        return;
      }
      break;
    case WM_GETTEXT: {
      const WideString text = GetText();
      const size_t size = static_cast<size_t>(Message.WParam);
      auto* buffer = reinterpret_cast<wchar_t*>(Message.LParam);
      if (size == 0 || !buffer) {
        Message.Result = 0;
        return;
      }
      const size_t n = std::min(text.size(), size - 1);
      std::memcpy(buffer, text.data(), n * sizeof(wchar_t));
      buffer[n] = L'\0';
      Message.Result = static_cast<LRESULT>(n);
      return;
    }
    case WM_GETTEXTLENGTH:
      Message.Result = ControlState().Contains(csDocking) ? 0 : static_cast<LRESULT>(GetText().size());
      return;
    case WM_SETTEXT:
      Message.Result = 1;
      {
        TScopeFail failed([&] { Message.Result = 0; });
        SetText(Message.LParam ? WideString(reinterpret_cast<const wchar_t*>(Message.LParam)) : WideString());
      }
      return;
    case WM_CUT:
      if (!ReadOnly()) CutToClipboard();
      Message.Result = 1;
      return;
    case WM_COPY:
      CopyToClipboard();
      Message.Result = 1;
      return;
    case WM_PASTE:
      if (!ReadOnly()) PasteFromClipboard();
      Message.Result = 1;
      return;
    case WM_CLEAR:
      if (!ReadOnly()) ClearSelection();
      Message.Result = 1;
      return;
    case WM_UNDO:
      Undo();
      Message.Result = 1;
      return;
    case WM_IME_COMPOSITION: DoImeComposition(Message); return;
    case WM_IME_NOTIFY:
      if (Message.WParam == IMN_SETOPENSTATUS && HandleAllocated()) {
        if (HIMC imc = ImmGetContext(Handle())) {
          LOGFONTW font{};
          GetObjectW(Font()->Handle(), sizeof font, &font);
          ImmSetCompositionFontW(imc, &font);
          ImmReleaseContext(Handle(), imc);
        }
      }
      break;
    case WM_DROPFILES: DoDropFiles(Message); return;
    default: break;
  }
  inherited::WndProc(Message);
}
