// The line tools' text work, kept apart from the dialogs so that it is tested without windows.
#include "app/TextTools.h"
#include "framework/StrRoutines.h"

#include "framework/Win.h"

#include <algorithm>
#include <cstdio>

#include "editor/TxtEdit.h"

TTextLines SplitTextLines(const AnsiString& Text) { return SplitLines(Text); }

AnsiString JoinTextLines(const TTextLines& Lines) {
  AnsiString text;
  for (size_t i = 0; i < Lines.size(); ++i) {
    if (i) text += "\r\n";
    text += Lines[i];
  }
  return text;
}

int CompareLinesInLocale(const AnsiString& A, const AnsiString& B, bool MatchCase) {
  const int result = CompareStringA(LOCALE_USER_DEFAULT, MatchCase ? 0 : NORM_IGNORECASE, A.data(),
                                    static_cast<int>(A.size()), B.data(), static_cast<int>(B.size()));
  // A failed comparison (0) falls back to the bytes, so the order stays a strict one.
  if (result == 0) return A < B ? -1 : (B < A ? 1 : 0);
  return result - 2;
}

void SortTextLines(TTextLines& Lines, bool Ascending, bool MatchCase, bool RemoveDuplicates) {
  const int sign = Ascending ? 1 : -1;
  std::stable_sort(Lines.begin(), Lines.end(), [&](const AnsiString& A, const AnsiString& B) {
    return sign * CompareLinesInLocale(A, B, MatchCase) < 0;
  });
  if (!RemoveDuplicates) return;
  for (size_t i = Lines.size(); i-- > 1;)
    if (CompareLinesInLocale(Lines[i - 1], Lines[i], MatchCase) == 0) Lines.erase(Lines.begin() + i);
}

void InsertAroundLines(TTextLines& Lines, const AnsiString& Before, const AnsiString& After) {
  for (AnsiString& line : Lines) line = Before + line + After;
}

AnsiString FormatGeneralNumber(double Value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.15g", Value);
  return buffer;
}

void NumberLines(TTextLines& Lines, double Start, const AnsiString& Postfix) {
  for (AnsiString& line : Lines) {
    line = FormatGeneralNumber(Start) + Postfix + line;
    Start += 1;
  }
}

namespace {

bool isPunctuation(char C) {
  static const AnsiString marks = ".?!,:;()-";
  return marks.find(C) != AnsiString::npos;
}

bool isSeparator(char C) { return C == ' ' || C == '\r' || C == '\n'; }

}  // namespace

TTextCounts CountText(const AnsiString& T) {
  TTextCounts counts;
  const size_t len = T.size();
  int spaces = 0, breaks = 0;
  // A word that opens the text has nothing before it to be counted by.
  if (len && !isSeparator(T[0])) ++counts.Words;
  // Each position but the last is looked at with the one after it.
  for (size_t i = 0; i + 1 < len; ++i) {
    if (T[i] == '\r' && T[i + 1] == '\n') {
      ++breaks;
      if (i + 2 < len && !isSeparator(T[i + 2])) ++counts.Words;
    } else if (T[i] == ' ') {
      ++spaces;
      if (!isSeparator(T[i + 1])) ++counts.Words;
    } else if (isPunctuation(T[i])) {
      ++counts.Punctuation;
    }
  }
  if (len && isPunctuation(T[len - 1])) ++counts.Punctuation;
  counts.CharsWithSpaces = static_cast<int>(len) - 2 * breaks;
  counts.CharsNoSpaces = counts.CharsWithSpaces - spaces;
  counts.Lines = breaks + 1;
  return counts;
}

void ReplaceEditorLines(TCustomTxtEdit& Editor, void (*Change)(TTextLines&, void*), void* Data) {
  if (!Editor.SelAvail()) Editor.SelectAll();
  const AnsiString text = Editor.SelText();
  TTextLines lines = SplitTextLines(text);
  Change(lines, Data);
  AnsiString result = JoinTextLines(lines);
  if (!text.empty() && (text.back() == '\n' || text.back() == '\r')) result += "\r\n";
  if (result != text) Editor.SetSelText(result);
}
