// The link between a control window and its control: the control pointer is stored with the
// window when it is made and removed when it goes, so that no message reaches a freed control.
#pragma once

#include "framework/Win.h"

class TWinControl;

void LinkWindow(HWND Wnd, TWinControl* Control);
void UnlinkWindow(HWND Wnd);
// The control linked to a window, or null.
TWinControl* LinkedControl(HWND Wnd);

// Names the control whose window CreateWindowExW is making for the scope, so that the messages
// that come before WM_NCCREATE find it.
class TWindowCreation {
 public:
  explicit TWindowCreation(TWinControl* Control);
  TWindowCreation(const TWindowCreation&) = delete;
  TWindowCreation& operator=(const TWindowCreation&) = delete;
  ~TWindowCreation();

 private:
  TWinControl* saved_;
};
