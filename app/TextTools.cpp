// The line tools' text work, kept apart from the dialogs so that it is tested without windows.
#include "app/TextTools.h"

#include "framework/Conversions.h"

#include "editor/TxtEdit.h"
#include "editor/TxtEditLineScan.h"

TTextLines SplitTextLines(const AnsiString& Text) {
  const TTextLineViews lines = SplitTextLineViews(Text);
  return TTextLines(lines.begin(), lines.end());
}

TTextLineViews SplitTextLineViews(std::string_view Text) {
  TTextLineViews lines;
  const char *p = Text.data(), *end = p + Text.size();
  while (p < end) {
    const char* lineEnd = FindLineBreak(p, end);
    lines.emplace_back(p, static_cast<size_t>(lineEnd - p));
    if (lineEnd == end) break;
    p = lineEnd + (*lineEnd == '\r' && lineEnd + 1 < end && lineEnd[1] == '\n' ? 2 : 1);
  }
  return lines;
}

AnsiString JoinTextLines(const TTextLines& Lines) { return JoinTextLines(TTextLineViews(Lines.begin(), Lines.end())); }

void InsertAroundLines(TTextLines& Lines, const AnsiString& Before, const AnsiString& After) {
  for (AnsiString& line : Lines) line = Before + line + After;
}

AnsiString FormatGeneralNumber(double Value) { return FloatToStrF(Value, ffGeneral, 15, 0); }

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

void ReplaceEditorText(TCustomTxtEdit& Editor, AnsiString (*Change)(std::string_view Text, void*), void* Data) {
  if (!Editor.SelAvail()) Editor.SelectAll();
  const AnsiString text = Editor.SelText();
  AnsiString result = Change(text, Data);
  if (!text.empty() && (text.back() == '\n' || text.back() == '\r')) result += "\r\n";
  // Replaced also when nothing changed: the command is one edit the user can undo like any other.
  Editor.SetSelText(result);
}

void ReplaceEditorLines(TCustomTxtEdit& Editor, void (*Change)(TTextLines&, void*), void* Data) {
  struct TLinesChange {
    void (*Change)(TTextLines&, void*);
    void* Data;
  } change{Change, Data};
  ReplaceEditorText(
      Editor,
      [](std::string_view Text, void* Data) {
        const auto& c = *static_cast<TLinesChange*>(Data);
        const TTextLineViews views = SplitTextLineViews(Text);
        TTextLines lines(views.begin(), views.end());
        c.Change(lines, c.Data);
        return JoinTextLines(lines);
      },
      &change);
}
