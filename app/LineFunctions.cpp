// The editor's line tools over the selection or the whole text.
#include "app/LineFunctions.h"

#include "app/TextRoutines.h"
#include "framework/StrRoutines.h"
#include "framework/UpdateBracket.h"

namespace {

// The length of the line break that ends Text, 0 without one.
size_t TrailingBreak(std::string_view Text) {
  if (Text.size() >= 2 && Text.substr(Text.size() - 2) == "\r\n") return 2;
  if (!Text.empty() && (Text.back() == '\r' || Text.back() == '\n')) return 1;
  return 0;
}

// Replaces the selection as one undoable edit.
void ReplaceSelection(TCustomTxtEdit* Editor, const AnsiString& Text) {
  Editor->UndoList()->BeginBlock();
  Editor->SetSelText(Text);
  Editor->UndoList()->EndBlock();
}

}  // namespace

AnsiString LowerCaseLine(std::string_view S) { return AnsiLowerCase(AnsiString(S)); }

AnsiString UpperCaseLine(std::string_view S) { return AnsiUpperCase(AnsiString(S)); }

AnsiString TrimLeftLine(std::string_view S) { return TrimLeft(AnsiString(S)); }

AnsiString TrimRightLine(std::string_view S) { return TrimRight(AnsiString(S)); }

AnsiString ApplyToLines(std::string_view Text, TLineFunction Fn, std::string_view Break) {
  const size_t tail = TrailingBreak(Text);
  const std::string_view body = Text.substr(0, Text.size() - tail);
  AnsiString result;
  result.reserve(Text.size() + Text.size() / 8);
  size_t start = 0;
  for (;;) {
    size_t end = start;
    while (end < body.size() && body[end] != '\r' && body[end] != '\n') ++end;
    result += Fn(body.substr(start, end - start));
    if (end >= body.size()) break;
    result += Break;
    start = end + (body[end] == '\r' && end + 1 < body.size() && body[end + 1] == '\n' ? 2 : 1);
  }
  if (tail) result += Text.substr(Text.size() - tail);
  return result;
}

void ApplyLineFunction(TCustomTxtEdit* Editor, TLineFunction Fn) {
  const TBufferCoord caret = Editor->CaretXY();
  const TBufferCoord blockBegin = Editor->BlockBegin(), blockEnd = Editor->BlockEnd();
  const bool selected = Editor->SelAvail();
  WithinUpdate(*Editor, [&] {
    if (!selected) Editor->SelectAll();
    ReplaceSelection(Editor, ApplyToLines(Editor->SelText(), Fn));
    Editor->SetCaretXY(caret);
    if (selected) {
      Editor->SetBlockBegin(blockBegin);
      Editor->SetBlockEnd(blockEnd);
    }
  });
}

void SelectLine(TCustomTxtEdit* Editor) {
  const int line = Editor->CaretY();
  const int length = static_cast<int>(Editor->LineText().size());
  Editor->SetCaretXY({length + 1, line});
  Editor->SetBlockBegin({1, line});
  Editor->SetBlockEnd({length + 1, line});
}

void JoinLines(TCustomTxtEdit* Editor) {
  if (!Editor->SelAvail()) Editor->SelectAll();
  const AnsiString text = Editor->SelText();
  const size_t tail = TrailingBreak(text);
  ReplaceSelection(
      Editor, JoinLinesText(std::string_view(text).substr(0, text.size() - tail), Editor->Lines()->LineBreakFormat()) +
                  text.substr(text.size() - tail));
}

namespace {

// Lines Upper and Upper + 1 swapped; the caret goes to line CaretLine at its column.
void SwapLines(TCustomTxtEdit* Editor, int Upper, int CaretLine) {
  const int column = Editor->CaretX();
  const AnsiString first = Editor->Lines()->Strings(Upper - 1), second = Editor->Lines()->Strings(Upper);
  Editor->SetBlockBegin({1, Upper});
  Editor->SetBlockEnd({static_cast<int>(second.size()) + 1, Upper + 1});
  ReplaceSelection(Editor, second + "\r\n" + first);
  Editor->SetCaretXY({column, CaretLine});
}

}  // namespace

bool MoveLineUp(TCustomTxtEdit* Editor) {
  const int line = Editor->CaretY();
  if (line <= 1 || line > Editor->Lines()->Count()) return false;
  SwapLines(Editor, line - 1, line - 1);
  return true;
}

bool MoveLineDown(TCustomTxtEdit* Editor) {
  const int line = Editor->CaretY();
  if (line < 1 || line >= Editor->Lines()->Count()) return false;
  SwapLines(Editor, line, line + 1);
  return true;
}

AnsiString BookmarkCaption(int Index, bool IsSet, std::string_view Line, const AnsiString& Current) {
  const AnsiString number = std::to_string(Index);
  if (!IsSet) return number;
  const AnsiString trimmed = Trim(AnsiString(Line));
  if (trimmed.empty()) return Current;
  AnsiString text = trimmed;
  if (text.size() > 43) text = text.substr(0, 40) + "...";
  return number + " " + text;
}
