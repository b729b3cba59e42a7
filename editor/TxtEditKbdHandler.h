// Extra keyboard and mouse callbacks of an editor control, consulted by its input handling
// before it does its own work: six chains, each called from the callback added last to the one
// added first, none of them entered again while it runs.
#pragma once

#include <vector>

#include "editor/TxtEditTypes.h"
#include "framework/Controls.h"
#include "framework/Delegate.h"

// An ordered list of callbacks of one signature.
template <class Sig>
class TMethodList {
 public:
  using Event = TEvent<Sig>;

  // Unassigned events are not added.
  void Add(const Event& AHandler) {
    if (AHandler.Assigned()) items_.push_back(AHandler);
  }
  // Removes the last occurrence.
  void Remove(const Event& AHandler) {
    for (size_t i = items_.size(); i-- > 0;)
      if (items_[i] == AHandler) {
        items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(i));
        return;
      }
  }
  int Count() const { return static_cast<int>(items_.size()); }
  const Event& Items(int Index) const { return items_.at(static_cast<size_t>(Index)); }

 private:
  std::vector<Event> items_;
};

using TTxtKeyPressHandler = TEvent<void(TObject* Sender, char& Key)>;
using TTxtKeyHandler = TEvent<void(TObject* Sender, Word& Key, TShiftState Shift)>;
using TTxtMouseHandler = TEvent<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TTxtMouseCursorHandler = TEvent<void(TObject* Sender, const TBufferCoord& ALineCharPos, TCursor& ACursor)>;

class TTxtEditKbdHandler {
 public:
  void AddKeyPressHandler(const TTxtKeyPressHandler& H) { keyPress_.Add(H); }
  void RemoveKeyPressHandler(const TTxtKeyPressHandler& H) { keyPress_.Remove(H); }
  void AddKeyDownHandler(const TTxtKeyHandler& H) { keyDown_.Add(H); }
  void RemoveKeyDownHandler(const TTxtKeyHandler& H) { keyDown_.Remove(H); }
  void AddKeyUpHandler(const TTxtKeyHandler& H) { keyUp_.Add(H); }
  void RemoveKeyUpHandler(const TTxtKeyHandler& H) { keyUp_.Remove(H); }
  void AddMouseDownHandler(const TTxtMouseHandler& H) { mouseDown_.Add(H); }
  void RemoveMouseDownHandler(const TTxtMouseHandler& H) { mouseDown_.Remove(H); }
  void AddMouseUpHandler(const TTxtMouseHandler& H) { mouseUp_.Add(H); }
  void RemoveMouseUpHandler(const TTxtMouseHandler& H) { mouseUp_.Remove(H); }
  void AddMouseCursorHandler(const TTxtMouseCursorHandler& H) { mouseCursor_.Add(H); }
  void RemoveMouseCursorHandler(const TTxtMouseCursorHandler& H) { mouseCursor_.Remove(H); }

  // The key chains stop after a callback that set the key or character to 0.
  void ExecuteKeyPress(TObject* Sender, char& Key);
  void ExecuteKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void ExecuteKeyUp(TObject* Sender, Word& Key, TShiftState Shift);
  void ExecuteMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void ExecuteMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void ExecuteMouseCursor(TObject* Sender, const TBufferCoord& ALineCharPos, TCursor& ACursor);

 private:
  TMethodList<void(TObject*, char&)> keyPress_;
  TMethodList<void(TObject*, Word&, TShiftState)> keyDown_;
  TMethodList<void(TObject*, Word&, TShiftState)> keyUp_;
  TMethodList<void(TObject*, TMouseButton, TShiftState, int, int)> mouseDown_;
  TMethodList<void(TObject*, TMouseButton, TShiftState, int, int)> mouseUp_;
  TMethodList<void(TObject*, const TBufferCoord&, TCursor&)> mouseCursor_;
  bool inKeyPress_ = false;
  bool inKeyDown_ = false;
  bool inKeyUp_ = false;
  bool inMouseDown_ = false;
  bool inMouseUp_ = false;
  bool inMouseCursor_ = false;
};
