// Find, replace and go to line over the active editor, as the find and replace dialog runs
// them: a presence test over the whole text first, so "not found" means nowhere in it, then a
// search from the caret that wraps round once.
#pragma once

#include "editor/TxtEdit.h"

// What the dialog's check and radio boxes choose.
struct TFindSettings {
  bool MatchCase = false;
  bool WholeWords = false;
  bool RegularExpressions = false;
  bool SearchUp = false;
};

// What the result label shows: nothing, "reached the end" or "not found".
enum TFindResult { frNone = -1, frReachedEnd = 0, frNotFound = 1 };

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
  // One replacement from the caret (within the selection when there is one), wrapping round
  // once, or every replacement in the whole text.
  TFindResult Replace(TCustomTxtEdit* Editor, const AnsiString& Text, const AnsiString& ReplaceWith,
                      const TFindSettings& Settings, bool All);
  // The caret to line N (centred) or to column N of its line, for 1 <= N <= the line count;
  // false (nothing done) otherwise.
  static bool Go(TCustomTxtEdit* Editor, int N, bool Line);

 private:
  TTxtEditSearchCustom* Engine(const TFindSettings& Settings) const;
  static TSearchReplaceOptions Options(const TFindSettings& Settings);
  static void ToOtherEnd(TCustomTxtEdit* Editor, bool Backwards);

  TTxtEditSearchCustom* plain_;
  TTxtEditSearchCustom* regex_;
};
