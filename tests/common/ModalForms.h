// Runs a form modally in a test: presses posted to its controls before it runs, and a close
// after them, so that a form that stays open cannot hang the test.
#pragma once

#include <initializer_list>

#include "framework/Forms.h"

// How a control is pressed: the click message of a button, or a press and release of the left
// mouse button inside the control (what the program's own check boxes and buttons answer).
using TPostPress = void (*)(TWinControl* Control);

inline void PostButtonClick(TWinControl* Control) { PostMessageW(Control->Handle(), BM_CLICK, 0, 0); }

inline void PostMouseClick(TWinControl* Control) {
  PostMessageW(Control->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  PostMessageW(Control->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
}

// Posts the presses to the controls in turn and a close to the form, shows it modally, frees it
// and gives its modal result. Messages posted before the call are handled first.
template <class F>
TModalResult ShowModalForm(F* Form, std::initializer_list<TWinControl*> Presses, TPostPress Press = PostButtonClick) {
  for (TWinControl* control : Presses) Press(control);
  PostMessageW(Form->Handle(), WM_CLOSE, 0, 0);
  const TModalResult result = Form->ShowModal();
  delete Form;
  return result;
}
