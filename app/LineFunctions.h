// The editor's line tools: a function applied to every line of the selection (or of the whole
// text), selecting, joining and moving lines, and the captions of the go-to-bookmark items.
#pragma once

#include <string_view>

#include "editor/TxtEdit.h"

using TLineFunction = AnsiString (*)(std::string_view);

// The system's ANSI case conversions of one line.
AnsiString LowerCaseLine(std::string_view S);
AnsiString UpperCaseLine(std::string_view S);
// The framework's trimming of the bytes up to the space.
AnsiString TrimLeftLine(std::string_view S);
AnsiString TrimRightLine(std::string_view S);

// Fn applied to each line of Text (breaks CR LF, LF or CR), the lines joined by Break. A break
// that ends the text stays, so a selection up to column 1 of the next line leaves that line be.
AnsiString ApplyToLines(std::string_view Text, TLineFunction Fn, std::string_view Break = "\r\n");

// Fn applied to the selected lines (all lines without a selection) as one undoable edit; the
// selection is the same afterwards.
void ApplyLineFunction(TCustomTxtEdit* Editor, TLineFunction Fn);
// The caret line selected from column 1 to one past the end of its text.
void SelectLine(TCustomTxtEdit* Editor);
// The selection (all text without one) made one line.
void JoinLines(TCustomTxtEdit* Editor);
// The caret line swapped with the one above or below as one edit; the caret follows its line.
// False (nothing done) on the first or the last line.
bool MoveLineUp(TCustomTxtEdit* Editor);
bool MoveLineDown(TCustomTxtEdit* Editor);

// The caption of go-to-bookmark item Index: "%d %s" with the bookmark's trimmed line (a line of more
// than 43 characters cut to 40 and "..."), "%d" when the bookmark is not set, and Current
// unchanged for a set bookmark whose line is empty after trimming.
AnsiString BookmarkCaption(int Index, bool IsSet, std::string_view Line, const AnsiString& Current);
