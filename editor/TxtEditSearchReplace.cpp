// Search and replace in the editor control: walks the lines of the scope in the chosen
// direction, asks the search engine for the matches of each line, selects the hits and replaces
// them, asking the application first when it wants to be asked. A replace-all that asks nothing
// replaces every hit or none: a search that fails on the way takes back what it had replaced.
#include <algorithm>
#include <climits>

#include "editor/TxtEdit.h"
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

  // Whether a match at First (already shifted by earlier replacements) lies in the scope, whose
  // end character is EndChar.
  bool InScope(int Line, int First, int Length, int EndChar) const {
    if (!SelOnly || Mode == smNormal)
      return !((Line == Start.Line && First < Start.Char) || (Line == End.Line && First + Length > EndChar));
    if (Mode == smColumn) return EndChar - Start.Char < 1 || (First >= Start.Char && First + Length <= EndChar);
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

  // Handles the hits of one line one by one; false ends the whole operation.
  bool LineByHit(int Line, int Count) {
    int offset = 0;
    int n = Backwards ? Count - 1 : 0;
    for (int left = Count; left > 0; --left) {
      const int first = Engine.GetResult(n) + offset;
      const int length = Engine.GetLength(n);
      n += Backwards ? -1 : 1;
      if (!InScope(Line, first, length, End.Char)) continue;
      ++Result;
      SelectHit(Line, first, length);
      if (!DoReplace && !ReplaceAll) return false;
      TTxtReplaceAction action = raReplace;
      if (Prompt && E.OnReplaceText.Assigned()) {
        action = E.DoOnReplaceText(Search, Replacement, Line, first);
        if (action == raCancel) return false;
      }
      if (action == raReplaceAll) SwitchToReplaceAll();
      if (action != raSkip) ReplaceLen = ReplaceHit(Engine.Replace(E.SelText(), Replacement), first, Line);
      if (!Backwards) {
        E.InternalSetCaretXY({first + ReplaceLen, Line});
        if (action != raSkip && length != ReplaceLen) {
          offset += ReplaceLen - length;
          if (!ColumnScope() && E.CaretY() == End.Line) {
            End.Char += ReplaceLen - length;
            E.SetBlockEnd(End);
          }
        }
      }
      if (!ReplaceAll) return false;
    }
    return true;
  }

  // Replace-all forwards without asking: the line is rebuilt once from its hits and stored as
  // one replacement, so many hits on a long line cost one copy of it. The hits are taken as
  // replacing them one by one takes them: each at its place after the earlier replacements,
  // against a scope end that moves with them unless the scope is a column.
  void LineAtOnce(int Line, int Count) {
    const std::string_view text = E.LineAt(Line);
    AnsiString middle;
    int firstStart = 0, lastEnd = 0, prev = 0, delta = 0;
    bool lengthChanged = false;
    const bool endMoves = !ColumnScope() && Line == End.Line;
    for (int n = 0; n < Count; ++n) {
      const int first = Engine.GetResult(n), length = Engine.GetLength(n);
      if (!InScope(Line, first + delta, length, End.Char + (endMoves ? delta : 0))) continue;
      if (firstStart == 0) firstStart = prev = first;
      middle.append(text.substr(prev - 1, first - prev));
      const AnsiString rep = Engine.Replace(AnsiString(text.substr(first - 1, length)), Replacement);
      middle += rep;
      prev = lastEnd = first + length;
      delta += static_cast<int>(rep.size()) - length;
      lengthChanged = lengthChanged || static_cast<int>(rep.size()) != length;
      ++Result;
    }
    if (firstStart == 0) return;
    SelectHit(Line, firstStart, lastEnd - firstStart);
    ReplaceLen = ReplaceHit(middle, firstStart, Line);
    E.InternalSetCaretXY({firstStart + ReplaceLen, Line});
    if (lengthChanged && endMoves) {
      End.Char += delta;
      E.SetBlockEnd(End);
    }
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
    int line = Backwards ? End.Line : Start.Line;
    while (line >= Start.Line && line <= End.Line) {
      const int count = Engine.FindAllIn(E.LineAt(line));
      if (count > 0 && !HandleLine(line, count)) break;
      line += Backwards ? -1 : 1;
    }
  }

  // Handles the hits of one line; false ends the whole operation.
  bool HandleLine(int Line, int Count) {
    if (ReplaceAll && !Prompt && !Backwards && !ColumnScope()) {
      LineAtOnce(Line, Count);
      return true;
    }
    return LineByHit(Line, Count);
  }

  // What a replace-all that cannot complete gives back as it found it, besides the text.
  struct TBefore {
    TBufferCoord Caret, Begin, End;
    int LastCaretX, TopLine, LeftChar, UndoItems;
    bool AtEol, Modified;
    TTxtSelectionMode Mode;
  };

  // Replaces the hits line by line as the search finds them, as one undo step. The memory it
  // takes is that of the step, whatever the number of hits. A search that fails on the way (an
  // expression too complex for the text, any error) takes the replacements back, leaving the
  // text, the caret, the selection, the view, the modified mark and the undo and redo lists as
  // they were, and the error goes on to the caller.
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
    try {
      ReplaceLines();
    } catch (...) {
      TakeBack(before);
      throw;
    }
  }

  // Forwards, a replacement that breaks its line moves the lines after it and the scope's end:
  // the search goes on after the lines it made.
  void ReplaceLines() {
    SwitchToReplaceAll();
    for (int line = Backwards ? End.Line : Start.Line; line >= Start.Line && line <= End.Line;) {
      const int count = Engine.FindAllIn(E.LineAt(line));
      const int lines = E.lines_->Count();
      if (count > 0) HandleLine(line, count);
      if (Backwards) {
        --line;
      } else {
        const int added = E.lines_->Count() - lines;
        End.Line += added;
        line += 1 + added;
      }
    }
  }

  void TakeBack(const TBefore& Before) {
    E.TakeBackUndo(Before.UndoItems);
    E.SetTopLine(Before.TopLine);
    E.SetLeftChar(Before.LeftChar);
    E.SetCaretAndSelection(Before.Caret, Before.Begin, Before.End);
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
