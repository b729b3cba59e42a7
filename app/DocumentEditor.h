// The settings of a document's editor: how the editor control behaves and looks when it shows
// one of the user's documents (tabs typed as text, lines of any length, a gutter that grows
// with the line count, Alt for column selection, the program's own key map).
#pragma once

#include "editor/TxtEdit.h"

void ApplyDocumentEditorSettings(TTxtEdit& Editor);
