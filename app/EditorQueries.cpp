// What the application asks of an editor and sets on it.
#include "app/EditorQueries.h"

#include "app/TextRoutines.h"

void SetEditorOption(TCustomTxtEdit* Editor, TTxtEditorOption Option, bool On) {
  TTxtEditorOptions options = Editor->Options();
  if (On) {
    options.Include(Option);
  } else {
    options.Exclude(Option);
  }
  Editor->SetOptions(options);
}

int CharAtCaret(TCustomTxtEdit* Editor) {
  const std::string_view line = Editor->Lines()->LineView(Editor->CaretY() - 1);
  const int x = Editor->CaretX();
  if (x < 1 || x > static_cast<int>(line.size())) return -1;
  return static_cast<unsigned char>(line[x - 1]);
}

AnsiString GetWordAt(TCustomTxtEdit* Editor, const TBufferCoord& Position, const TTxtCharSet& CharSet,
                     bool UseGivenSet) {
  TTxtEditStringList* lines = Editor->Lines();
  if (Position.Line < 1 || Position.Line > lines->Count()) return AnsiString();
  const std::string_view line = lines->LineView(Position.Line - 1);
  if (Position.Char < 1 || Position.Char > static_cast<int>(line.size()) + 1) return AnsiString();
  const TTxtCharSet chars = UseGivenSet || !Editor->Highlighter() ? CharSet : Editor->Highlighter()->GetIdentChars();
  auto isWordChar = [&](size_t i) { return chars.Contains(static_cast<unsigned char>(line[i])); };
  size_t end = Position.Char - 1;
  while (end < line.size() && isWordChar(end)) ++end;
  size_t start = Position.Char - 1;
  while (start > 0 && isWordChar(start - 1)) --start;
  return end > start ? AnsiString(line.substr(start, end - start)) : AnsiString();
}

AnsiString GetWordAtCaret(TCustomTxtEdit* Editor) {
  TTxtCharSet urlChars;
  for (int c = 0; c < 256; ++c) {
    if (IsURLChar(static_cast<unsigned char>(c))) urlChars.Include(static_cast<unsigned char>(c));
  }
  return GetWordAt(Editor, Editor->CaretXY(), urlChars, true);
}

bool LineHasMark(int Line, TCustomTxtEdit* Editor) {
  TTxtEditMarkList* marks = Editor->Marks();
  for (int i = 0; i < marks->Count(); ++i) {
    if (marks->Items(i)->Line() == Line) return true;
  }
  return false;
}
