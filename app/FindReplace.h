// Find, replace and go to line over the active editor, as the find and replace dialog runs
// them: a presence test over the whole text first, so "not found" means nowhere in it, then a
// search from the caret that wraps round once.
#pragma once

#include "editor/TxtEdit.h"
#include "editor/TxtEditRegExpr.h"

// What the dialog's check and radio boxes choose.
struct TFindSettings {
  bool MatchCase = false;
  bool WholeWords = false;
  bool RegularExpressions = false;
  bool SearchUp = false;
};

// What the result label shows: nothing, "reached the end", "not found", or why the search
// stopped: the expression was too complex for the text, is not a valid expression, or the
// command found too little memory.
enum TFindResult {
  frNone = -1,
  frReachedEnd = 0,
  frNotFound = 1,
  frTooComplex = 2,
  frBadExpression = 3,
  frOutOfMemory = 4
};

// Searches with the two engines it is given (the dialog's own components).
class TFindAndReplace {
 public:
  TFindAndReplace(TTxtEditSearchCustom* Plain, TTxtEditSearchCustom* Regex) : plain_(Plain), regex_(Regex) {}

  // Whether the text occurs anywhere in the editor's lines with the match-case and whole-word
  // choices (searched where the lines lie; nothing is copied).
  bool TestSearch(TCustomTxtEdit* Editor, const AnsiString& Text, const TFindSettings& Settings);
  // Searches from the caret, past a selection in the search's direction. An incremental search
  // starts again from Saved (the caret when the dialog was activated) with every key; a search
  // that runs past the end goes on from the other end. Text nowhere in the document puts the
  // caret back to Saved.
  TFindResult Find(TCustomTxtEdit* Editor, const AnsiString& Text, const TFindSettings& Settings, bool Incremental,
                   const TBufferCoord& Saved);
  // The answer for a text the editor's lines cannot hold (characters outside their code page):
  // it is nowhere in them, and the caret goes back to Saved as for any text not found.
  TFindResult Absent(TCustomTxtEdit* Editor, const TBufferCoord& Saved);
  // One replacement from the caret (within the selection when there is one), wrapping round
  // once, or every replacement in the whole text.
  TFindResult Replace(TCustomTxtEdit* Editor, const AnsiString& Text, const AnsiString& ReplaceWith,
                      const TFindSettings& Settings, bool All);
  // The caret to line N (centred) or to column N of its line, for 1 <= N <= the line count;
  // false (nothing done) otherwise.
  static bool Go(TCustomTxtEdit* Editor, int N, bool Line);

  // The engine's text of the error that stopped the last command (frTooComplex,
  // frBadExpression), empty after one that ended normally.
  const WideString& ErrorText() const { return errorText_; }

  // The work one command may do before it answers "too complex", in steps of the expression
  // engine: its own work, never the replacing, the painting or the undo records, and the same
  // on a loaded machine. A find next, a replacement or a replace-all about two seconds of it, a
  // search as the user types a tenth of that, so that a key is never held up long.
  int64_t CommandSteps = 400000000;
  int64_t TypingSteps = 40000000;
  // An ordinary search works in proportion to the text, a few steps a character: every search
  // and every character searched bring these steps on top (TRegExprBudget::SetShares), so that
  // such a search answers over a large document, while any other stops within the base and a
  // few steps a character, whatever the expression: on 20 MB a search as the user types within
  // about a second, a command within a few.
  int64_t StepsPerSearch = 16;
  int64_t StepsPerCharacter = 8;
  // The budget of one command as these make it.
  TRegExprBudget Budget(bool Typing) const;

 private:
  // Runs a command's searches under one budget; an error of the expression engine or a want
  // of memory (the editor's commands then change nothing) ends it with its result, any other
  // error passes.
  template <typename F>
  TFindResult Guarded(TCustomTxtEdit* Editor, const AnsiString& Text, const TFindSettings& Settings, bool Typing,
                      F&& Command);
  // Find and Replace within the command's budget.
  TFindResult FindIn(TCustomTxtEdit* Editor, const AnsiString& Text, const TFindSettings& Settings, bool Incremental,
                     const TBufferCoord& Saved);
  TFindResult ReplaceIn(TCustomTxtEdit* Editor, const AnsiString& Text, const AnsiString& ReplaceWith,
                        const TFindSettings& Settings, bool All);
  TTxtEditSearchCustom* Engine(const TFindSettings& Settings) const;
  static TSearchReplaceOptions Options(const TFindSettings& Settings);
  void Compile(const AnsiString& Text, const TFindSettings& Settings);
  static void ToOtherEnd(TCustomTxtEdit* Editor, bool Backwards);

  TTxtEditSearchCustom* plain_;
  TTxtEditSearchCustom* regex_;
  WideString errorText_;
};
