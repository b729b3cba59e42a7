// The text work behind the line dialogs and the statistics: sorting lines, inserting texts or
// numbers around them, counting words and characters, and replacing an editor's lines in one step.
#pragma once

#include <string_view>
#include <vector>

#include "framework/Types.h"

class TCustomTxtEdit;

using TTextLines = std::vector<AnsiString>;
// Lines as views into a text that outlives them.
using TTextLineViews = std::vector<std::string_view>;

// The lines of a text split at CR LF, LF or CR; a final break gives no empty last line.
TTextLines SplitTextLines(const AnsiString& Text);
TTextLineViews SplitTextLineViews(std::string_view Text);
// The lines joined by CR LF, none after the last.
AnsiString JoinTextLines(const TTextLines& Lines);
AnsiString JoinTextLines(const TTextLineViews& Lines);

// Lines compared in the user's locale (with or without case): -1, 0 or 1.
int CompareLinesInLocale(const AnsiString& A, const AnsiString& B, bool MatchCase);
// Sorts in the user's locale; lines that compare equal keep their order, in either direction.
// RemoveDuplicates then drops every line equal (by the same rule) to the one before it. The
// order is CompareLinesInLocale's, found through the locale's sort key of each line.
void SortTextLines(TTextLines& Lines, bool Ascending, bool MatchCase, bool RemoveDuplicates);
// The same sort by CompareLinesInLocale at every comparison: what SortTextLines falls back to
// when the locale makes no sort key for a line.
void SortTextLinesByComparison(TTextLines& Lines, bool Ascending, bool MatchCase, bool RemoveDuplicates);
// The editor's lines (as ChangeEditorLines takes them) sorted by SortTextLines' rules, in one
// undoable edit, without a string of its own for each line.
void SortEditorLines(TCustomTxtEdit& Editor, bool Ascending, bool MatchCase, bool RemoveDuplicates);

// Each line between Before and After.
void InsertAroundLines(TTextLines& Lines, const AnsiString& Before, const AnsiString& After);
// Each line after its number and the postfix, counting up by one from Start ("9", "2.5").
void NumberLines(TTextLines& Lines, double Start, const AnsiString& Postfix);
// A number as general floating-point text with the locale's decimal separator: 1 gives "1", 2.5
// gives "2.5" (or "2,5"), 1e6 gives "1000000".
AnsiString FormatGeneralNumber(double Value);

// What the statistics dialog shows. Words are counted where a word starts: at the start of the
// text or after a space or a line break (a tab separates nothing); the last byte is never taken
// as a space.
struct TTextCounts {
  int Words = 0;
  int Punctuation = 0;
  int CharsWithSpaces = 0;
  int CharsNoSpaces = 0;
  int Lines = 1;
};
// Counts a text whose lines are joined by CR LF.
TTextCounts CountText(const AnsiString& Text);

// The text the line tools work on: the editor's selection, or its whole text (selected then).
// The lines go through Change and replace the selection as one undoable edit; a selection that
// ends with a line break keeps it, so the following line stays a line of its own.
template <class F>
void ChangeEditorLines(TCustomTxtEdit& Editor, F Change);
void ReplaceEditorLines(TCustomTxtEdit& Editor, void (*Change)(TTextLines&, void*), void* Data);
// The same for a Change that takes that text whole and gives its lines back joined by CR LF.
void ReplaceEditorText(TCustomTxtEdit& Editor, AnsiString (*Change)(std::string_view Text, void*), void* Data);

template <class F>
void ChangeEditorLines(TCustomTxtEdit& Editor, F Change) {
  ReplaceEditorLines(
      Editor, [](TTextLines& Lines, void* Data) { (*static_cast<F*>(Data))(Lines); }, &Change);
}
