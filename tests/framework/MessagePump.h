// Runs the thread's message loop in tests until a condition holds or a generous limit passes
// (the limit only keeps a broken test from hanging; nothing is timed).
#pragma once

#include <functional>

#include "framework/Win.h"

inline void DispatchPendingMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// True when the condition became true within the limit.
inline bool PumpMessagesUntil(const std::function<bool()>& done, DWORD limitMs = 10000) {
  DWORD start = GetTickCount();
  for (;;) {
    DispatchPendingMessages();
    if (done()) return true;
    if (GetTickCount() - start > limitMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

// Dispatches messages for the given time.
inline void PumpMessagesFor(DWORD ms) {
  PumpMessagesUntil([] { return false; }, ms);
}
