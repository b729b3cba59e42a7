// Search and replace in the editor control: walks the lines of the scope in the chosen
// direction, asks the search engine for the matches of each line, selects the hits and replaces
// them, asking the application first when it wants to be asked. A replace-all that asks nothing
// finds every hit before it replaces one, so that an error of the search changes nothing.
#include <algorithm>
#include <cstdint>
#include <vector>

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

  // The hits of a replace-all found before anything is replaced: per line the range of its hits,
  // each hit with where its replacement lies in Texts (Size == Template: the replacement text as
  // given, as the plain engine has it for every hit).
  struct TRecordedLine {
    int Line, First, Count;
  };
  struct TRecordedHit {
    int Pos, Len;
    uint32_t At, Size;
  };
  static constexpr uint32_t Template = UINT32_MAX;
  std::vector<TRecordedLine> RecordedLines;
  std::vector<TRecordedHit> RecordedHits;
  AnsiString Texts;
  // The recorded hits of the line in hand; null: the engine's last search.
  const TRecordedHit* Recorded = nullptr;

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

  int HitPos(int N) { return Recorded ? Recorded[N].Pos : Engine.GetResult(N); }
  int HitLen(int N) { return Recorded ? Recorded[N].Len : Engine.GetLength(N); }
  // Appends the text that replaces hit N, which is Found.
  void AppendReplacement(AnsiString& To, int N, std::string_view Found) {
    if (!Recorded) {
      To += Engine.Replace(AnsiString(Found), Replacement);
    } else if (Recorded[N].Size == Template) {
      To += Replacement;
    } else {
      To.append(Texts, Recorded[N].At, Recorded[N].Size);
    }
  }

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
      const int hit = n;
      const int first = HitPos(hit) + offset;
      const int length = HitLen(hit);
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
      if (action != raSkip) {
        AnsiString with;
        AppendReplacement(with, hit, E.SelText());
        ReplaceLen = ReplaceHit(with, first, Line);
      }
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
      const int first = HitPos(n), length = HitLen(n);
      if (!InScope(Line, first + delta, length, End.Char + (endMoves ? delta : 0))) continue;
      if (firstStart == 0) firstStart = prev = first;
      middle.append(text.substr(prev - 1, first - prev));
      const size_t at = middle.size();
      AppendReplacement(middle, n, text.substr(first - 1, length));
      const int size = static_cast<int>(middle.size() - at);
      prev = lastEnd = first + length;
      delta += size - length;
      lengthChanged = lengthChanged || size != length;
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
      Record();
      ReplaceRecorded();
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

  // Finds every hit of the scope, in the order they are replaced, with its replacement, and
  // changes nothing: a search that fails here (an expression too complex for the text) leaves
  // the text, the caret, the selection and the undo as they were.
  void Record() {
    for (int line = Backwards ? End.Line : Start.Line; line >= Start.Line && line <= End.Line;
         line += Backwards ? -1 : 1) {
      const std::string_view text = E.LineAt(line);
      const int count = Engine.FindAllIn(text);
      if (count == 0) continue;
      RecordedLines.push_back({line, static_cast<int>(RecordedHits.size()), count});
      AnsiString with;
      for (int n = 0; n < count; ++n) {
        const int pos = Engine.GetResult(n), len = Engine.GetLength(n);
        with = Engine.Replace(AnsiString(text.substr(pos - 1, len)), Replacement);
        if (with == Replacement) {
          RecordedHits.push_back({pos, len, 0, Template});
        } else {
          RecordedHits.push_back({pos, len, static_cast<uint32_t>(Texts.size()), static_cast<uint32_t>(with.size())});
          Texts += with;
        }
      }
    }
  }

  // Replaces the recorded hits as one undo step. A replacement that breaks its line moves the
  // lines after it: forwards, the recorded lines still to come and the scope's end move with
  // them.
  void ReplaceRecorded() {
    SwitchToReplaceAll();
    int moved = 0;
    for (const TRecordedLine& l : RecordedLines) {
      const int count = E.lines_->Count();
      Recorded = &RecordedHits[l.First];
      HandleLine(l.Line + moved, l.Count);
      if (!Backwards) {
        const int added = E.lines_->Count() - count;
        moved += added;
        End.Line += added;
      }
    }
    Recorded = nullptr;
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
