// The settings of a document's editor.
#include "app/DocumentEditor.h"

#include "framework/ShortCuts.h"

namespace {

struct TStrokeChange {
  TTxtEditorCommand Command;
  const char* Keys;
};

// Keys that other programs' editors give other meanings (Ctrl+Y redoes there) leave the map;
// Ctrl+E and Ctrl+B take over deleting a line and finding the matching bracket.
const TStrokeChange removedStrokes[] = {
    {ecCopy, "Ctrl+Ins"},
    {ecCut, "Shift+Del"},
    {ecPaste, "Shift+Ins"},
    {ecDeleteLine, "Ctrl+Y"},
    {ecMatchBracket, "Shift+Ctrl+B"},
};
const TStrokeChange addedStrokes[] = {{ecDeleteLine, "Ctrl+E"}, {ecMatchBracket, "Ctrl+B"}};

void ChangeKeyMap(TTxtEditKeyStrokes& Strokes) {
  for (const TStrokeChange& r : removedStrokes) {
    const int i = Strokes.FindShortcutPair(TextToShortCut(r.Keys), TShortCut(0));
    if (i >= 0 && Strokes.Items(i)->Command() == r.Command) Strokes.Delete(i);
  }
  for (const TStrokeChange& a : addedStrokes) {
    if (Strokes.FindShortcutPair(TextToShortCut(a.Keys), TShortCut(0)) >= 0) continue;
    TTxtEditKeyStroke* stroke = Strokes.Add();
    stroke->SetCommand(a.Command);
    stroke->SetShortCut(TextToShortCut(a.Keys));
  }
}

}  // namespace

void ApplyDocumentEditorSettings(TTxtEdit& Editor) {
  TFont font;
  font.SetName(L"Courier New");
  font.SetHeight(-13);
  Editor.SetFont(&font);
  Editor.SetActiveLineColor(clInfoBk);
  Editor.SetOptions({eoAltSetsColumnMode, eoAutoIndent, eoAutoSizeMaxScrollWidth, eoDragDropEditing, eoEnhanceEndKey,
                     eoGroupUndo, eoHideShowScrollbars, eoRightMouseMovesCursor, eoScrollHintFollows});
  Editor.SetWantTabs(true);
  Editor.SetRightEdge(0);
  Editor.SetRightEdgeColor(clBtnFace);
  Editor.SetBorderStyle(bsNone);

  TTxtGutter& gutter = *Editor.Gutter();
  gutter.SetAutoSize(true);
  gutter.SetBorderStyle(gbsNone);
  TFont gutterFont;
  gutterFont.SetName(L"Courier New");
  gutterFont.SetHeight(-11);
  gutterFont.SetColor(clBtnText);
  gutter.SetFont(&gutterFont);
  gutter.SetShowLineNumbers(true);
  gutter.SetNumberAllLines(false);

  ChangeKeyMap(*Editor.Keystrokes());
}
