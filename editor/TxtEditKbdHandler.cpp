// The editor's chains of extra input callbacks.
#include "editor/TxtEditKbdHandler.h"

namespace {

// Marks a chain as running for the lifetime of the object, also when a callback raises.
class TRunning {
 public:
  explicit TRunning(bool& flag) : flag_(flag) { flag_ = true; }
  ~TRunning() { flag_ = false; }
  TRunning(const TRunning&) = delete;
  TRunning& operator=(const TRunning&) = delete;

 private:
  bool& flag_;
};

// Calls the chain from its last callback to its first; Stop says when to end early. A copy is
// walked, so that callbacks may change the chain.
template <class List, class Stop, class... A>
void RunChain(const List& list, bool& running, Stop stop, A&&... args) {
  if (running) return;
  TRunning guard(running);
  std::vector<typename List::Event> copy;
  for (int i = 0; i < list.Count(); ++i) copy.push_back(list.Items(i));
  for (size_t i = copy.size(); i-- > 0;) {
    copy[i](args...);
    if (stop()) return;
  }
}

}  // namespace

void TTxtEditKbdHandler::ExecuteKeyPress(TObject* Sender, char& Key) {
  RunChain(
      keyPress_, inKeyPress_, [&] { return Key == 0; }, Sender, Key);
}

void TTxtEditKbdHandler::ExecuteKeyDown(TObject* Sender, Word& Key, TShiftState Shift) {
  RunChain(
      keyDown_, inKeyDown_, [&] { return Key == 0; }, Sender, Key, Shift);
}

void TTxtEditKbdHandler::ExecuteKeyUp(TObject* Sender, Word& Key, TShiftState Shift) {
  RunChain(
      keyUp_, inKeyUp_, [&] { return Key == 0; }, Sender, Key, Shift);
}

void TTxtEditKbdHandler::ExecuteMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y) {
  RunChain(
      mouseDown_, inMouseDown_, [] { return false; }, Sender, Button, Shift, X, Y);
}

void TTxtEditKbdHandler::ExecuteMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y) {
  RunChain(
      mouseUp_, inMouseUp_, [] { return false; }, Sender, Button, Shift, X, Y);
}

void TTxtEditKbdHandler::ExecuteMouseCursor(TObject* Sender, const TBufferCoord& ALineCharPos, TCursor& ACursor) {
  RunChain(
      mouseCursor_, inMouseCursor_, [] { return false; }, Sender, ALineCharPos, ACursor);
}
