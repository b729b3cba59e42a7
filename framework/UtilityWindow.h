// Hidden windows that receive messages for objects that are no controls: timers, the clipboard
// and the window behind the menus that pop up. The window hands each message to its handler;
// no exception leaves the window procedure.
#pragma once

#include <exception>
#include <functional>

#include "framework/Win.h"

class TUtilityWindow {
 public:
  // Returns true when it handled the message and set Result; otherwise DefWindowProcW runs.
  using THandler = std::function<bool(UINT Msg, WPARAM WParam, LPARAM LParam, LRESULT& Result)>;

  // Creates the window (a hidden top-level window that is never shown); raises EOSError when
  // the system refuses.
  explicit TUtilityWindow(THandler Handler);
  TUtilityWindow(const TUtilityWindow&) = delete;
  TUtilityWindow& operator=(const TUtilityWindow&) = delete;
  ~TUtilityWindow();

  HWND Handle() const { return handle_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);

  THandler handler_;
  HWND handle_ = nullptr;
};

// Where exceptions raised inside window procedures go. The application object installs its
// exception handling here; until then they are dropped, so that a message never unwinds
// through the system's code.
using TWindowExceptionHandler = void (*)(std::exception_ptr Error);
// Installs Handler and gives back the one it replaces.
TWindowExceptionHandler SetWindowExceptionHandler(TWindowExceptionHandler Handler);
// Hands the exception being handled (call it from a catch block) to the installed handler.
void HandleWindowException() noexcept;
