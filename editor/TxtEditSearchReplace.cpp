// Search and replace in the editor control: walks the lines of the scope in the chosen
// direction, asks the search engine for the matches of each line, selects the hits and replaces
// them, asking the application first when it wants to be asked. A replace-all that asks nothing
// replaces every hit or none: a search that fails on the way takes back what it had replaced.
#include <algorithm>
#include <climits>
#include <memory>
#include <vector>

#include "editor/TxtEdit.h"
#include "editor/TxtEditTextUtils.h"
#include "framework/ScopeGuards.h"

// One run of SearchReplace: its scope, its flags and the state of the replace loop.
struct TTxtEditSearchRun {
  TCustomTxtEdit& E;
  TTxtEditSearchCustom& Engine;
  const AnsiString& Search;
  const AnsiString& Replacement;
  bool Backwards, Prompt, DoReplace, ReplaceAll, SelOnly;
  TTxtSelectionMode Mode;
  TBufferCoord Start, End;
  int Result = 0;
  int ReplaceLen = 0;
  bool LockRaised = false;
  bool BlockOpen = false;
  TTxtSelectionMode UserMode = smNormal;
  // Memory kept aside while a replace-all can still be taken back, and handed back first when
  // it is: the heap may have run full, and taking a line's replacement back needs about what
  // replacing it took.
  std::unique_ptr<char[]> Reserve;
  size_t ReserveSize = 0;
  // The line being replaced as it was before, while the replacement may fail half done: its
  // text, the number of lines and of undo items, and the lines of the marks.
  struct TLineBefore {
    int Line = 0;  // none while 0
    AnsiString Text;
    int Lines = 0, UndoItems = 0;
    std::vector<int> MarkLines;
  } Current;

  TTxtEditSearchRun(TCustomTxtEdit& AEdit, const AnsiString& ASearch, const AnsiString& AReplace,
                    TSearchReplaceOptions& Options)
      : E(AEdit), Engine(*AEdit.searchEngine_), Search(ASearch), Replacement(AReplace) {
    Backwards = Options.Contains(srBackwards);
    Prompt = Options.Contains(srPrompt);
    DoReplace = Options.Contains(srReplace);
    ReplaceAll = Options.Contains(srReplaceAll);
    if (!E.SelAvail()) Options.Exclude(srSelectionOnly);
    SelOnly = Options.Contains(srSelectionOnly);
    Mode = E.ActiveSelectionMode();
    if (SelOnly) {
      Start = E.BlockBegin();
      End = E.BlockEnd();
      if (Mode == smLine) {
        Start.Char = 1;
        End.Char = LineLength(End.Line) + 1;
      } else if (Mode == smColumn && Start.Char > End.Char) {
        std::swap(Start.Char, End.Char);
      }
    } else {
      const int count = E.lines_->Count();
      Start = {1, 1};
      End = {LineLength(count) + 1, count};
      if (!Options.Contains(srEntireScope)) {
        if (Backwards)
          End = E.CaretXY();
        else
          Start = E.CaretXY();
      }
    }
  }

  int LineLength(int Line) const { return static_cast<int>(E.LineAt(Line).size()); }

  // Only a column's end stays where it is; any other scope's end moves with the replacements
  // before it on its line, whatever the selection mode of a caret without a selection.
  bool ColumnScope() const { return SelOnly && Mode == smColumn; }

  // Whether a hit lies in the scope. At is its place in the line as the search found it, First
  // its place after the replacements before it on the line, on the line those left it on (the
  // same backwards, where the replacements come after it). A scope of characters counts by the
  // line as it was, its end moving with the replacements; a column stays where it is and counts
  // by where the hit stands now. OnEndLine and EndChar tell the scope's end as the line began.
  bool InScope(int Line, bool OnEndLine, int EndChar, int At, int First, int Length) const {
    if (!SelOnly || Mode == smNormal)
      return !((Line == Start.Line && At < Start.Char) || (OnEndLine && At + Length > EndChar));
    if (Mode == smColumn) return End.Char - Start.Char < 1 || (First >= Start.Char && First + Length <= End.Char);
    return true;
  }

  void SelectHit(int Line, int First, int Length) {
    E.SetBlockBegin({First, Line});
    E.SetCaretXYEx(false, {1, Line});
    E.EnsureCursorPosVisibleEx(true);
    E.SetBlockEnd({First + Length, Line});
    E.InternalSetCaretXY(Backwards ? TBufferCoord{First, Line} : TBufferCoord{First + Length, Line});
    // The caret may stop at the scroll width, the selection must cover the hit exactly.
    E.blockBegin_ = {First, Line};
    E.blockEnd_ = {First + Length, Line};
  }

  // Replaces the selected hit at First by Text and returns the replacement length: the length of
  // Text, or, when Text broke the line, where the insertion ended on its last line less First.
  // An empty hit selects nothing, and an insertion goes in at the caret, which stops at the
  // scroll width: it is put at the hit itself.
  int ReplaceHit(const AnsiString& Text, int First, int Line) {
    if (!E.SelAvail()) {
      E.caretX_ = First;
      E.caretY_ = Line;
    }
    E.SetSelText(Text);
    if (Text.find_first_of("\r\n") == std::string::npos) return static_cast<int>(Text.size());
    return E.insertedEnd_.Char - First;
  }

  void SwitchToReplaceAll() {
    if (!LockRaised) {
      E.IncPaintLock();
      LockRaised = true;
    }
    if (!BlockOpen) {
      E.undoList_->BeginBlock();
      BlockOpen = true;
    }
    ReplaceAll = true;
    Prompt = false;
  }

  // The scope's end, moved with the replacements on its line, is the selection's moving end.
  void MoveEnd(int Char, int Line) {
    End = {Char, Line};
    E.SetBlockEnd(End);
  }

  // Handles the hits of one line one by one; false ends the whole operation. Forwards, the rest
  // of the line moves with each replacement: along the line, and onto the insertion's last line
  // when the replacement broke it.
  bool LineByHit(int Line, int Count) {
    const bool onEnd = Line == End.Line;
    const int endChar = End.Char;
    int row = Line, shift = 0;
    int n = Backwards ? Count - 1 : 0;
    for (int left = Count; left > 0; --left) {
      const int at = Engine.GetResult(n), length = Engine.GetLength(n);
      n += Backwards ? -1 : 1;
      const int first = at + shift;
      if (!InScope(Line, onEnd, endChar, at, first, length)) continue;
      ++Result;
      SelectHit(row, first, length);
      if (!DoReplace && !ReplaceAll) return false;
      TTxtReplaceAction action = raReplace;
      if (Prompt && E.OnReplaceText.Assigned()) {
        action = E.DoOnReplaceText(Search, Replacement, row, first);
        if (action == raCancel) return false;
      }
      if (action == raReplaceAll) SwitchToReplaceAll();
      if (action != raSkip) ReplaceLen = ReplaceHit(Engine.Replace(E.SelText(), Replacement), first, row);
      if (!Backwards) {
        const int landed = action != raSkip ? E.insertedEnd_.Line : row;
        E.InternalSetCaretXY({first + ReplaceLen, landed});
        if (action != raSkip && (length != ReplaceLen || landed != row)) {
          shift += ReplaceLen - length;
          row = landed;
          if (!ColumnScope() && onEnd) MoveEnd(endChar + shift, row);
        }
      }
      if (!ReplaceAll) return false;
    }
    return true;
  }

  // Replace-all without asking: the line is rebuilt once from its hits and stored as one
  // replacement, so many hits on a long line cost one copy of it and one undo record. The hits
  // are taken, and the caret, the selection and the scope's end left, as replacing them one by
  // one does: forwards each hit at its place after the replacements before it, backwards from
  // the last hit to the first, which leaves the caret after the first.
  void LineAtOnce(int Line, int Count) {
    const std::string_view text = E.LineAt(Line);
    const bool onEnd = Line == End.Line;
    const int endChar = End.Char;
    AnsiString middle;
    int firstStart = 0, prev = 0, shift = 0;
    size_t firstLength = 0;  // of the first hit's replacement
    bool lastMoves = false;  // whether the last replacement moved the rest of the line
    for (int n = 0; n < Count; ++n) {
      const int at = Engine.GetResult(n), length = Engine.GetLength(n);
      if (!InScope(Line, onEnd, endChar, at, at + shift, length)) continue;
      const bool firstHit = firstStart == 0;
      if (firstHit) firstStart = prev = at;
      middle.append(text.substr(prev - 1, at - prev));
      const AnsiString rep = Engine.Replace(AnsiString(text.substr(at - 1, length)), Replacement);
      middle += rep;
      if (firstHit) firstLength = rep.size();
      prev = at + length;
      ++Result;
      if (Backwards) continue;
      // Where the rest of the line stands after this replacement, on the insertion's last line.
      const size_t lastBreak = rep.find_last_of("\r\n");
      if (lastBreak == AnsiString::npos)
        shift += static_cast<int>(rep.size()) - length;
      else
        shift = static_cast<int>(rep.size() - lastBreak) - at - length;
      lastMoves = lastBreak != AnsiString::npos || static_cast<int>(rep.size()) != length;
    }
    if (firstStart == 0) return;
    if (Reserve) Guard(Line, text, text.size() - static_cast<size_t>(prev - firstStart) + middle.size());
    SelectHit(Line, firstStart, prev - firstStart);
    const int replaced = ReplaceHit(middle, firstStart, Line);
    Current.Line = 0;
    if (Backwards) {
      if (firstLength < middle.size()) {
        E.InternalSetCaretXY(EndOfInsertion(std::string_view(middle).substr(0, firstLength), {firstStart, Line}));
        E.CollapseSelectionAtCaret();
      }
      return;
    }
    E.InternalSetCaretXY({firstStart + replaced, E.insertedEnd_.Line});
    if (lastMoves && onEnd && !ColumnScope()) MoveEnd(endChar + shift, E.insertedEnd_.Line);
  }

  // Where Text inserted at At ends.
  static TBufferCoord EndOfInsertion(std::string_view Text, TBufferCoord At) {
    if (Text.find_first_of("\r\n") == std::string_view::npos) return {At.Char + static_cast<int>(Text.size()), At.Line};
    const std::vector<std::string_view> pieces = TxtSplitPieces(Text, false);
    return {static_cast<int>(pieces.back().size()) + 1, At.Line + static_cast<int>(pieces.size()) - 1};
  }

  void Run() {
    // Hits are selected as plain character ranges: a hit selected as whole lines or as a
    // column would make the replacement take the wrong text.
    E.DoOnPaintTransient(ttBefore);
    UserMode = E.selectionMode_;
    E.selectionMode_ = smNormal;
    TScopeExit finish([this] { Finish(); });
    if (ReplaceAll && !Prompt) {
      ReplaceEveryHitOrNone();
      return;
    }
    WalkLines();
  }

  // Hands the hits of each line of the scope, in the search's direction, to the replace-all or
  // to the hit-by-hit handling, until that ends the operation. Forwards, a replacement that
  // breaks its line moves the lines after it and the scope's end: the search goes on after the
  // lines it made.
  void WalkLines() {
    for (int line = Backwards ? End.Line : Start.Line; line >= Start.Line && line <= End.Line;) {
      const int count = Engine.FindAllIn(E.LineAt(line));
      const int lines = E.lines_->Count();
      // A replacement on the end line itself moves the end where it leaves it.
      const bool beforeEnd = line < End.Line;
      if (count > 0) {
        if (!ReplaceAll || Prompt) {
          if (!LineByHit(line, count)) return;
        } else {
          LineAtOnce(line, count);
        }
      }
      if (Backwards) {
        --line;
      } else {
        const int added = E.lines_->Count() - lines;
        if (beforeEnd) End.Line += added;
        line += 1 + added;
      }
    }
  }

  // Keeps enough aside to take back the replacement of a line of Length characters, whichever
  // its length before or after.
  void KeepAside(size_t Length) {
    const size_t bytes = 16 * 1024 + 2 * Length;
    if (bytes <= ReserveSize) return;
    std::unique_ptr<char[]> more(new char[bytes]);
    Reserve = std::move(more);
    ReserveSize = bytes;
  }

  // Before the replacement of Line, whose text is Text, makes it NewLength characters long:
  // what puts the line back when the replacement fails half done, with the memory to do so.
  void Guard(int Line, std::string_view Text, size_t NewLength) {
    KeepAside(std::max(Text.size(), NewLength));
    Current.Text.assign(Text);
    Current.MarkLines.resize(static_cast<size_t>(E.marks_->Count()));
    for (int i = 0; i < E.marks_->Count(); ++i) Current.MarkLines[static_cast<size_t>(i)] = E.marks_->Items(i)->Line();
    Current.Lines = E.lines_->Count();
    Current.UndoItems = E.undoList_->ItemCount();
    Current.Line = Line;
  }

  // Puts the line being replaced back as it was, with the lines and the undo items its
  // replacement had made and the marks it had moved, whatever of it was done.
  void RestoreCurrentLine() {
    if (Current.Line == 0) return;
    while (E.undoList_->ItemCount() > Current.UndoItems) E.undoList_->PopItem();
    E.lines_->DeleteLines(Current.Line, E.lines_->Count() - Current.Lines);
    E.lines_->SetStrings(Current.Line - 1, Current.Text);
    for (int i = 0; i < E.marks_->Count(); ++i) E.marks_->Items(i)->SetLine(Current.MarkLines[static_cast<size_t>(i)]);
    Current.Line = 0;
  }

  // What a replace-all that cannot complete gives back as it found it, besides the text.
  struct TBefore {
    TBufferCoord Caret, Begin, End;
    int LastCaretX, TopLine, LeftChar, UndoItems;
    bool AtEol, Modified;
    TTxtSelectionMode Mode;
  };

  // Replaces the hits line by line as the search finds them, as one undo step. The memory it
  // takes is that of the step, whatever the number of hits. A failure on the way (an expression
  // too complex for the text, memory running out in the search, in a line's replacement or in
  // its undo record, any error) takes the replacements back, the line it stopped in too, leaving
  // the text, the caret, the selection, the view, the modified mark and the undo and redo lists
  // as they were, and the error goes on to the caller.
  void ReplaceEveryHitOrNone() {
    TTxtEditUndoList& undo = *E.undoList_;
    const TBefore before{E.CaretXY(), E.blockBegin_,    E.blockEnd_,   E.lastCaretX_, E.topLine_,
                         E.leftChar_, undo.ItemCount(), E.caretAtEOL_, E.modified_,   E.activeSelectionMode_};
    // The step may not push an older one off the list while it can still be taken back, and
    // the redo list goes only with a step that stays: when the step is closed.
    const int most = undo.MaxUndoActions();
    const bool insideRedo = undo.InsideRedo();
    undo.SetMaxUndoActions(most < INT_MAX ? most + 1 : most);
    undo.SetInsideRedo(true);
    TScopeExit restore([&] {
      undo.SetInsideRedo(insideRedo);
      undo.SetMaxUndoActions(most);
    });
    KeepAside(0);
    try {
      SwitchToReplaceAll();
      WalkLines();
    } catch (...) {
      TakeBack(before);
      throw;
    }
  }

  void TakeBack(const TBefore& Before) {
    Reserve.reset();
    RestoreCurrentLine();
    E.TakeBackUndo(Before.UndoItems);
    // The view last: putting the caret back scrolls it into view.
    E.SetCaretAndSelection(Before.Caret, Before.Begin, Before.End);
    E.SetTopLine(Before.TopLine);
    E.SetLeftChar(Before.LeftChar);
    // Exactly as they were: the setters take the selection by the run's own mode.
    E.lastCaretX_ = Before.LastCaretX;
    E.caretAtEOL_ = Before.AtEol;
    E.blockBegin_ = Before.Begin;
    E.blockEnd_ = Before.End;
    E.activeSelectionMode_ = Before.Mode;
    if (E.modified_ != Before.Modified) {
      E.modified_ = Before.Modified;
      E.StatusChanged({scModified});
    }
    Result = 0;
  }

  void Finish() {
    E.selectionMode_ = UserMode;
    if (LockRaised) {
      LockRaised = false;
      E.DecPaintLock();
    }
    if (BlockOpen) {
      BlockOpen = false;
      E.undoList_->EndBlock();
    }
    E.DoOnPaintTransient(ttAfter);
  }
};

int TCustomTxtEdit::SearchReplace(const AnsiString& ASearch, const AnsiString& AReplace,
                                  TSearchReplaceOptions AOptions) {
  if (!searchEngine_) throw ETxtEditError("No search engine has been assigned");
  if (ASearch.empty()) return 0;
  TTxtEditSearchRun run(*this, ASearch, AReplace, AOptions);
  searchEngine_->SetOptions(AOptions);
  searchEngine_->SetPattern(ASearch);
  run.Run();
  return run.Result;
}

TTxtReplaceAction TCustomTxtEdit::DoOnReplaceText(const AnsiString& ASearch, const AnsiString& AReplace, int Line,
                                                  int Column) {
  TTxtReplaceAction action = raCancel;
  if (OnReplaceText.Assigned()) OnReplaceText(this, ASearch, AReplace, Line, Column, action);
  return action;
}
