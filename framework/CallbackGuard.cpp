// The exception handling of callbacks that the system calls outside any call of ours.
#include "framework/CallbackGuard.h"

#include "framework/Application.h"

void HandleCallbackException(TObject* Sender) noexcept {
  try {
    if (Application) Application->HandleException(Sender);
  } catch (...) {
    // Nobody is left to tell; the system's code must not see it.
  }
}
