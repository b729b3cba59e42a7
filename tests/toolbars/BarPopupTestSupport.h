// Popup menus on real windows: system settings the test chooses, the open popups of this
// thread, and a script of steps (mouse moves, clicks, checks) run by a thread timer from
// inside the menu's own message loop.
#pragma once

#include <functional>
#include <vector>

#include "tests/framework/MessagePump.h"
#include "tests/toolbars/BarTestSupport.h"
#include "toolbars/BarCommon.h"
#include "toolbars/BarPopup.h"

// Menu animation and fading as the test sets them, a show delay of 1 ms, the rest from the system.
struct TMenuSettings {
  static inline BOOL Animation = FALSE, Fade = FALSE;
  static BOOL Proc(UINT Action, UINT Param, void* Value, UINT WinIni) {
    if (Action == SPI_GETMENUANIMATION || Action == SPI_GETMENUFADE || Action == SPI_GETMENUSHOWDELAY) {
      *static_cast<BOOL*>(Value) = Action == SPI_GETMENUSHOWDELAY ? 1 : Action == SPI_GETMENUFADE ? Fade : Animation;
      return TRUE;
    }
    return SystemParametersInfoW(Action, Param, Value, WinIni);
  }
  explicit TMenuSettings(BOOL AAnimation = FALSE, BOOL AFade = FALSE) {
    Animation = AAnimation, Fade = AFade, SetBarSystemParametersProc(&Proc);
  }
  ~TMenuSettings() { SetBarSystemParametersProc(nullptr); }
};

// The open popup views of the thread, the root popup first.
inline std::vector<TBarView*> OpenMenus() {
  std::vector<TBarView*> chain;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND w, LPARAM p) -> BOOL WINAPI {
        auto* popup = dynamic_cast<TBarPopupWindow*>(FindControl(w));
        if (popup && IsWindowVisible(w) && (!popup->View()->ParentView() || !popup->View()->ParentView()->IsPopup()))
          for (TBarView* v = popup->View(); v; v = v->OpenViewerView())
            reinterpret_cast<std::vector<TBarView*>*>(p)->push_back(v);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&chain));
  return chain;
}

inline TPoint ViewerCentre(TBarView* View, int Index) {
  const TRect& r = View->Viewers(Index)->BoundsRect();
  return View->Window()->ClientToScreen({(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
}

// The mouse goes to the point and the message goes to the window under it, as the system would.
inline void PostMouse(UINT Msg, TPoint P) {
  SetCursorPos(P.X, P.Y);
  HWND w = WindowFromPoint(POINT{P.X, P.Y});
  POINT c{P.X, P.Y};
  ScreenToClient(w, &c);
  PostMessageW(w, Msg, Msg == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(c.x, c.y));
}
inline bool PostClick(TPoint P) {
  for (UINT m : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP}) PostMouse(m, P);
  return true;
}
inline bool PostKey(WPARAM Key, UINT Msg = WM_KEYDOWN) { return PostThreadMessageW(GetCurrentThreadId(), Msg, Key, 0); }

// Steps run one per timer tick while a menu loop runs; a step returning false is tried again on
// the next tick. A loop still running after some seconds loses the capture instead of hanging.
struct TMenuScript {
  explicit TMenuScript(std::vector<std::function<bool()>> ASteps) : Steps(std::move(ASteps)) {
    Current = this;
    Timer = SetTimer(nullptr, 0, 15, &Tick);
  }
  ~TMenuScript() { KillTimer(nullptr, Timer), Current = nullptr; }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (!Current) return;
    if (Current->Next < Current->Steps.size() && Current->Steps[Current->Next]()) ++Current->Next;
    if (++Current->Ticks == 400) ReleaseCapture();
  }
  static inline TMenuScript* Current = nullptr;
  std::vector<std::function<bool()>> Steps;
  size_t Next = 0;
  int Ticks = 0;
  UINT_PTR Timer = 0;
};

inline TSizedItem* MenuItem(const WideString& Caption, std::initializer_list<TBarCustomItem*> Subitems = {}) {
  auto* item = new TSizedItem(120, 20, Subitems.size() ? tbisHasSubmenu : 0, Caption);
  for (TBarCustomItem* s : Subitems) item->Add(s);
  return item;
}
