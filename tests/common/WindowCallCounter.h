// Counts the calls this test program makes to the window functions that repaint, scroll, set
// the scroll bars and move the caret, by pointing their import-table entries at counting
// stand-ins while a counter lives. The program is linked statically, so every caller in it
// goes through those entries.
#pragma once

#include <windows.h>

#include <cstring>
#include <utility>
#include <vector>

struct TWindowCalls {
  int Invalidates = 0;  // InvalidateRect, InvalidateRgn, RedrawWindow
  int Scrolls = 0;      // ScrollWindow, ScrollWindowEx
  int ScrollBars = 0;   // SetScrollInfo, SetScrollPos, SetScrollRange, ShowScrollBar, EnableScrollBar
  int Carets = 0;       // SetCaretPos, ShowCaret, HideCaret
  int Paints = 0;       // BeginPaint
};

namespace window_calls {

inline TWindowCalls& Counts() {
  static TWindowCalls counts;
  return counts;
}

#define HV_COUNTED(Name, Field, Ret, Params, Args) \
  using Name##Fn = Ret(WINAPI*) Params;            \
  inline Name##Fn Original##Name = nullptr;        \
  inline Ret WINAPI Counted##Name Params {         \
    ++Counts().Field;                              \
    return Original##Name Args;                    \
  }

HV_COUNTED(InvalidateRect, Invalidates, BOOL, (HWND h, const RECT* r, BOOL e), (h, r, e))
HV_COUNTED(InvalidateRgn, Invalidates, BOOL, (HWND h, HRGN r, BOOL e), (h, r, e))
HV_COUNTED(RedrawWindow, Invalidates, BOOL, (HWND h, const RECT* r, HRGN g, UINT f), (h, r, g, f))
HV_COUNTED(ScrollWindow, Scrolls, BOOL, (HWND h, int x, int y, const RECT* r, const RECT* c), (h, x, y, r, c))
HV_COUNTED(ScrollWindowEx, Scrolls, int, (HWND h, int x, int y, const RECT* r, const RECT* c, HRGN g, RECT* u, UINT f),
           (h, x, y, r, c, g, u, f))
HV_COUNTED(SetScrollInfo, ScrollBars, int, (HWND h, int b, const SCROLLINFO* i, BOOL d), (h, b, i, d))
HV_COUNTED(SetScrollPos, ScrollBars, int, (HWND h, int b, int p, BOOL d), (h, b, p, d))
HV_COUNTED(SetScrollRange, ScrollBars, BOOL, (HWND h, int b, int lo, int hi, BOOL d), (h, b, lo, hi, d))
HV_COUNTED(ShowScrollBar, ScrollBars, BOOL, (HWND h, int b, BOOL s), (h, b, s))
HV_COUNTED(EnableScrollBar, ScrollBars, BOOL, (HWND h, UINT b, UINT a), (h, b, a))
HV_COUNTED(SetCaretPos, Carets, BOOL, (int x, int y), (x, y))
HV_COUNTED(ShowCaret, Carets, BOOL, (HWND h), (h))
HV_COUNTED(HideCaret, Carets, BOOL, (HWND h), (h))
HV_COUNTED(BeginPaint, Paints, HDC, (HWND h, PAINTSTRUCT* p), (h, p))

#undef HV_COUNTED

// The program's import-table entry of a user32 function, or null when it does not import it.
inline void** ImportSlot(const char* Name) {
  auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  void* target = reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), Name));
  if (!target || dir.VirtualAddress == 0) return nullptr;
  for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name != 0; ++d) {
    if (_stricmp(reinterpret_cast<const char*>(base + d->Name), "user32.dll") != 0) continue;
    for (auto* t = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk); t->u1.Function != 0; ++t)
      if (reinterpret_cast<void*>(t->u1.Function) == target) return reinterpret_cast<void**>(&t->u1.Function);
  }
  return nullptr;
}

inline void Store(void** Slot, void* Value) {
  DWORD old = 0;
  VirtualProtect(Slot, sizeof(void*), PAGE_READWRITE, &old);
  *Slot = Value;
  VirtualProtect(Slot, sizeof(void*), old, &old);
}

}  // namespace window_calls

class TWindowCallCounter {
 public:
  TWindowCallCounter() {
    using namespace window_calls;
    Hook("InvalidateRect", OriginalInvalidateRect, &CountedInvalidateRect);
    Hook("InvalidateRgn", OriginalInvalidateRgn, &CountedInvalidateRgn);
    Hook("RedrawWindow", OriginalRedrawWindow, &CountedRedrawWindow);
    Hook("ScrollWindow", OriginalScrollWindow, &CountedScrollWindow);
    Hook("ScrollWindowEx", OriginalScrollWindowEx, &CountedScrollWindowEx);
    Hook("SetScrollInfo", OriginalSetScrollInfo, &CountedSetScrollInfo);
    Hook("SetScrollPos", OriginalSetScrollPos, &CountedSetScrollPos);
    Hook("SetScrollRange", OriginalSetScrollRange, &CountedSetScrollRange);
    Hook("ShowScrollBar", OriginalShowScrollBar, &CountedShowScrollBar);
    Hook("EnableScrollBar", OriginalEnableScrollBar, &CountedEnableScrollBar);
    Hook("SetCaretPos", OriginalSetCaretPos, &CountedSetCaretPos);
    Hook("ShowCaret", OriginalShowCaret, &CountedShowCaret);
    Hook("HideCaret", OriginalHideCaret, &CountedHideCaret);
    Hook("BeginPaint", OriginalBeginPaint, &CountedBeginPaint);
    Reset();
  }
  ~TWindowCallCounter() {
    for (auto it = patched_.rbegin(); it != patched_.rend(); ++it) window_calls::Store(it->first, it->second);
  }
  TWindowCallCounter(const TWindowCallCounter&) = delete;
  TWindowCallCounter& operator=(const TWindowCallCounter&) = delete;

  // Whether the functions that repaint were found in the import table at all.
  bool Hooked() const { return !patched_.empty(); }
  const TWindowCalls& Calls() const { return window_calls::Counts(); }
  void Reset() { window_calls::Counts() = TWindowCalls(); }

 private:
  template <class F>
  void Hook(const char* Name, F& Original, F Counted) {
    void** slot = window_calls::ImportSlot(Name);
    if (!slot) return;
    Original = reinterpret_cast<F>(*slot);
    patched_.emplace_back(slot, *slot);
    window_calls::Store(slot, reinterpret_cast<void*>(Counted));
  }
  std::vector<std::pair<void**, void*>> patched_;
};
