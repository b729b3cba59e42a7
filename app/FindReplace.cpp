// Find, replace and go to line over an editor for the find and replace dialog.
#include "app/FindReplace.h"

#include <new>

#include "editor/TxtEditSearch.h"
#include "framework/ScopeGuards.h"
#include "framework/UpdateBracket.h"

TTxtEditSearchCustom* TFindAndReplace::Engine(const TFindSettings& Settings) const {
  if (Settings.RegularExpressions) return regex_;
  return plain_;
}

TSearchReplaceOptions TFindAndReplace::Options(const TFindSettings& Settings) {
  TSearchReplaceOptions options;
  if (Settings.SearchUp) options << srBackwards;
  if (Settings.MatchCase) options << srMatchCase;
  if (Settings.WholeWords) options << srWholeWord;
  return options;
}

bool TFindAndReplace::TestSearch(TCustomTxtEdit* Editor, const AnsiString& Text, const TFindSettings& Settings) {
  if (Text.empty()) return false;
  TTxtEditSearchCustom* engine = Engine(Settings);
  TSearchReplaceOptions options;
  if (Settings.MatchCase) options << srMatchCase;
  if (Settings.WholeWords) options << srWholeWord;
  engine->SetOptions(options);
  engine->SetPattern(Text);
  TTxtEditStringList* lines = Editor->Lines();
  for (int i = 0; i < lines->Count(); ++i)
    if (engine->FindAllIn(lines->LineView(i)) > 0) return true;
  return false;
}

void TFindAndReplace::ToOtherEnd(TCustomTxtEdit* Editor, bool Backwards) {
  if (Backwards) {
    const int last = std::max(Editor->Lines()->Count(), 1);
    const int length = Editor->Lines()->Count() ? static_cast<int>(Editor->Lines()->Strings(last - 1).size()) : 0;
    Editor->SetCaretXY({length + 1, last});
  } else {
    Editor->SetCaretXY({1, 1});
  }
}

void TFindAndReplace::Compile(const AnsiString& Text, const TFindSettings& Settings) {
  // A bad expression is told even when the document has no line to search.
  if (auto* regex = dynamic_cast<TTxtEditRegexSearch*>(regex_)) {
    regex->SetOptions(Options(Settings));
    regex->SetPattern(Text);
    regex->RegExpr()->Compile();
  }
}

TRegExprBudget TFindAndReplace::Budget(bool Typing) const {
  TRegExprBudget budget(0, Typing ? TypingSteps : CommandSteps);
  budget.SetShares(StepsPerSearch, StepsPerCharacter);
  return budget;
}

template <typename F>
TFindResult TFindAndReplace::Guarded(TCustomTxtEdit* Editor, const AnsiString& Text, const TFindSettings& Settings,
                                     bool Typing, F&& Command) {
  errorText_.clear();
  Editor->SetSearchEngine(Engine(Settings));
  TTxtEditSearchCustom* engine = Engine(Settings);
  TRegExprBudget budget = Budget(Typing);
  engine->SetBudget(&budget);
  TScopeExit release([engine] { engine->SetBudget(nullptr); });
  try {
    if (Settings.RegularExpressions && !Text.empty()) Compile(Text, Settings);
    return Command();
  } catch (const ERegExpr& e) {
    errorText_ = e.Message();
    return e.ErrorCode == TRegExpr::reeTooComplex ? frTooComplex : frBadExpression;
  } catch (const std::bad_alloc&) {
    return frOutOfMemory;
  }
}

TFindResult TFindAndReplace::Find(TCustomTxtEdit* Editor, const AnsiString& Text, const TFindSettings& Settings,
                                  bool Incremental, const TBufferCoord& Saved) {
  const TFindResult result =
      Guarded(Editor, Text, Settings, Incremental, [&] { return FindIn(Editor, Text, Settings, Incremental, Saved); });
  // A search as the user types that could not answer leaves the caret where typing started.
  if (Incremental && result >= frTooComplex) Editor->SetCaretXY(Saved);
  return result;
}

TFindResult TFindAndReplace::Absent(TCustomTxtEdit* Editor, const TBufferCoord& Saved) {
  errorText_.clear();
  Editor->SetCaretXY(Saved);
  return frNotFound;
}

TFindResult TFindAndReplace::Replace(TCustomTxtEdit* Editor, const AnsiString& Text, const AnsiString& ReplaceWith,
                                     const TFindSettings& Settings, bool All) {
  return Guarded(Editor, Text, Settings, false, [&] { return ReplaceIn(Editor, Text, ReplaceWith, Settings, All); });
}

TFindResult TFindAndReplace::FindIn(TCustomTxtEdit* Editor, const AnsiString& Text, const TFindSettings& Settings,
                                    bool Incremental, const TBufferCoord& Saved) {
  if (!TestSearch(Editor, Text, Settings)) {
    Editor->SetCaretXY(Saved);
    return Text.empty() ? frNone : frNotFound;
  }
  if (Incremental) {
    Editor->SetCaretXY(Saved);
  } else if (Editor->SelAvail()) {
    // The search goes on past the selection (the match found last) in its direction, also
    // when the direction changed since.
    Editor->SetCaretXY(Settings.SearchUp ? Editor->BlockBegin() : Editor->BlockEnd());
  }
  if (Editor->SearchReplace(Text, "", Options(Settings)) > 0) return frNone;
  // An error of the search (an expression too complex) must not leave the editor unpainted.
  WithinUpdate(*Editor, [&] {
    ToOtherEnd(Editor, Settings.SearchUp);
    Editor->SearchReplace(Text, "", Options(Settings));
  });
  return Incremental ? frNone : frReachedEnd;
}

TFindResult TFindAndReplace::ReplaceIn(TCustomTxtEdit* Editor, const AnsiString& Text, const AnsiString& ReplaceWith,
                                       const TFindSettings& Settings, bool All) {
  if (!TestSearch(Editor, Text, Settings)) return frNotFound;
  TSearchReplaceOptions options = Options(Settings) + srReplace;
  if (All) {
    options << srReplaceAll << srEntireScope;
  } else if (Editor->SelAvail()) {
    options << srSelectionOnly;
  }
  TFindResult result = frNone;
  WithinUpdate(*Editor, [&] {
    if (Editor->SearchReplace(Text, ReplaceWith, options) == 0 && !All) {
      result = frReachedEnd;
      ToOtherEnd(Editor, Settings.SearchUp);
      Editor->SearchReplace(Text, ReplaceWith, options - srSelectionOnly);
    }
  });
  return result;
}

bool TFindAndReplace::Go(TCustomTxtEdit* Editor, int N, bool Line) {
  if (N < 1 || N > Editor->Lines()->Count()) return false;
  if (Line) {
    // A line out of sight comes to the middle of the window, with room above and below it.
    Editor->GotoLineAndCenter(N);
  } else {
    Editor->SetCaretXY({N, Editor->CaretY()});
  }
  return true;
}
