// Small helpers of the editing tests: a control made with its text, selecting a range, reading a
// line, the reasons an undo list holds.
#pragma once

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "editor/TxtEdit.h"

// An editor control without a window, made with its text.
class TTextEdit : public TTxtEdit {
 public:
  explicit TTextEdit(const AnsiString& Text) : TTxtEdit(nullptr) { SetTextA(Text); }
};

// Selects from Anchor to End in Mode with the caret at End.
inline void Select(TCustomTxtEdit& e, TBufferCoord Anchor, TBufferCoord End, TTxtSelectionMode Mode = smNormal) {
  e.SetSelectionMode(Mode);
  e.SetBlockBegin(Anchor);
  e.SetBlockEnd(End);
  e.InternalSetCaretXY(End);
}

// Holds modifier keys down in the thread's keyboard state for the lifetime of the object.
class THeldKeys {
 public:
  explicit THeldKeys(std::initializer_list<int> keys) {
    GetKeyboardState(saved_);
    BYTE state[256];
    std::memcpy(state, saved_, sizeof state);
    for (int k : keys) state[k] = 0x80;
    SetKeyboardState(state);
  }
  ~THeldKeys() { SetKeyboardState(saved_); }

 private:
  BYTE saved_[256];
};

// Drops Source's selection on Target where Target shows the buffer position At, as the drag
// machinery calls the drop (At must lie on a row in the window); gives the point dropped on.
inline TPoint DropAt(TCustomTxtEdit& Target, TCustomTxtEdit& Source, TBufferCoord At) {
  const TPoint p = Target.RowColumnToPixels(Target.BufferToDisplayPos(At));
  const TPoint at{p.X + 1, p.Y + 3};
  static_cast<TControl&>(Target).DragDrop(&Source, at.X, at.Y);
  return at;
}

inline std::string Line(const TCustomTxtEdit& e, int L) { return e.Lines()->Strings(L - 1); }

inline std::vector<TTxtUndoReason> Reasons(const TTxtEditUndoList* List) {
  std::vector<TTxtUndoReason> r;
  for (int i = 0; i < List->ItemCount(); ++i) r.push_back(List->Items(i)->Reason);
  return r;
}

// Runs one command through the control's processing chain.
inline void Cmd(TCustomTxtEdit& e, TTxtEditorCommand Command, char Ch = '\0', void* Data = nullptr) {
  e.CommandProcessor(Command, Ch, Data);
}

// Types text character by character.
inline void Type(TCustomTxtEdit& e, const std::string& Text) {
  for (char c : Text) e.CommandProcessor(ecChar, c, nullptr);
}

// Runs one command (or undoes or redoes one step) and gives the caret or the text it leaves.
inline TBufferCoord CaretAfter(TCustomTxtEdit& e, TTxtEditorCommand Command, char Ch = '\0', void* Data = nullptr) {
  e.CommandProcessor(Command, Ch, Data);
  return e.CaretXY();
}
inline AnsiString TextAfter(TCustomTxtEdit& e, TTxtEditorCommand Command, char Ch = '\0', void* Data = nullptr) {
  e.CommandProcessor(Command, Ch, Data);
  return e.TextA();
}
inline AnsiString TextAfterUndo(TCustomTxtEdit& e) {
  e.Undo();
  return e.TextA();
}
inline AnsiString TextAfterRedo(TCustomTxtEdit& e) {
  e.Redo();
  return e.TextA();
}

// The transient paints a control asks for, and whether the last came with a canvas.
struct TTransientLog {
  void Paint(TObject*, TCanvas* Canvas, TTransientType Type) {
    calls.push_back(Type);
    canvas = Canvas != nullptr;
  }
  std::vector<TTransientType> calls;
  bool canvas = false;
};
