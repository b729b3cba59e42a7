// What the application asks of an editor and sets on it: the byte, word and link at the caret,
// whether a line carries a mark, and single editor options.
#pragma once

#include "editor/TxtEdit.h"

void SetEditorOption(TCustomTxtEdit* Editor, TTxtEditorOption Option, bool On);
// The byte at the caret, or -1 when the caret stands outside its line's text.
int CharAtCaret(TCustomTxtEdit* Editor);
// The run of word characters around the position (1-based column and line); a position just
// behind a word still finds it. The highlighter's identifier characters count unless the editor
// has none or UseGivenSet.
AnsiString GetWordAt(TCustomTxtEdit* Editor, const TBufferCoord& Position, const TTxtCharSet& CharSet,
                     bool UseGivenSet);
// The link or word at the caret, of the bytes IsURLChar accepts.
AnsiString GetWordAtCaret(TCustomTxtEdit* Editor);
bool LineHasMark(int Line, TCustomTxtEdit* Editor);
