// Popup menus on real windows: system settings the test chooses, the open popups of this
// thread, and a script of steps (mouse moves, clicks, checks) run by a thread timer from
// inside the menu's own message loop.
#pragma once

#include <functional>
#include <vector>

#include "framework/Controls.h"
#include "tests/framework/MessagePump.h"
#include "tests/toolbars/BarTestSupport.h"
#include "toolbars/BarCommon.h"
#include "toolbars/BarPopup.h"

// Menu animation, fading and the show delay as the test sets them; the rest from the system.
struct TMenuSettings {
  static inline BOOL Animation = FALSE, Fade = FALSE;
  static inline int ShowDelay = 1;
  static BOOL Proc(UINT Action, UINT Param, void* Value, UINT WinIni) {
    switch (Action) {
      case SPI_GETMENUANIMATION: *static_cast<BOOL*>(Value) = Animation; return TRUE;
      case SPI_GETMENUFADE: *static_cast<BOOL*>(Value) = Fade; return TRUE;
      case SPI_GETMENUSHOWDELAY: *static_cast<int*>(Value) = ShowDelay; return TRUE;
      default: return SystemParametersInfoW(Action, Param, Value, WinIni);
    }
  }
  TMenuSettings(BOOL AAnimation = FALSE, BOOL AFade = FALSE) {
    Animation = AAnimation;
    Fade = AFade;
    SetBarSystemParametersProc(&Proc);
  }
  ~TMenuSettings() { SetBarSystemParametersProc(nullptr); }
};

inline BOOL CALLBACK CollectPopupView(HWND w, LPARAM p) {
  if (auto* popup = dynamic_cast<TBarPopupWindow*>(FindControl(w)); popup && IsWindowVisible(w))
    reinterpret_cast<std::vector<TBarView*>*>(p)->push_back(popup->View());
  return TRUE;
}

// The open popup views of the thread, the root popup first.
inline std::vector<TBarView*> OpenMenus() {
  std::vector<TBarView*> found;
  EnumThreadWindows(GetCurrentThreadId(), &CollectPopupView, reinterpret_cast<LPARAM>(&found));
  std::vector<TBarView*> chain;
  for (TBarView* v : found)
    if (!v->ParentView() || !v->ParentView()->IsPopup())
      for (TBarView* c = v; c; c = c->OpenViewerView()) chain.push_back(c);
  return chain;
}

// The centre of a view's viewer on the screen.
inline TPoint ViewerCentre(TBarView* View, int Index) {
  const TRect& r = View->Viewers(Index)->BoundsRect();
  return View->Window()->ClientToScreen({(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
}

// The mouse goes to the point, and the message is posted to the window under it as the system
// would (client coordinates), so that the message position matches the point.
inline void PostMouse(UINT Msg, TPoint Screen) {
  SetCursorPos(Screen.X, Screen.Y);
  HWND w = WindowFromPoint(POINT{Screen.X, Screen.Y});
  POINT c{Screen.X, Screen.Y};
  ScreenToClient(w, &c);
  PostMessageW(w, Msg, Msg == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(c.x, c.y));
}
inline void PostClick(TPoint Screen) {
  PostMouse(WM_MOUSEMOVE, Screen);
  PostMouse(WM_LBUTTONDOWN, Screen);
  PostMouse(WM_LBUTTONUP, Screen);
}
inline void PostKey(WPARAM Key, UINT Msg = WM_KEYDOWN) { PostThreadMessageW(GetCurrentThreadId(), Msg, Key, 0); }

// Steps run one per timer tick while the menu loop runs; a step returning false is tried again
// on the next tick (it waits for something).
class TMenuScript {
 public:
  explicit TMenuScript(std::vector<std::function<bool()>> ASteps) : steps_(std::move(ASteps)) {
    current_ = this;
    timer_ = SetTimer(nullptr, 0, 15, &Tick);
  }
  ~TMenuScript() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  bool Finished() const { return next_ == steps_.size(); }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    TMenuScript* s = current_;
    if (s && s->next_ < s->steps_.size() && s->steps_[s->next_]()) ++s->next_;
    if (s && ++s->ticks_ == 400) ReleaseCapture();  // a broken loop ends instead of hanging the tests
  }
  static inline TMenuScript* current_ = nullptr;
  std::vector<std::function<bool()>> steps_;
  size_t next_ = 0;
  int ticks_ = 0;
  UINT_PTR timer_ = 0;
};

// An item that opens a sub-menu, of a fixed size.
inline TSizedItem* MenuItem(const WideString& Caption, std::initializer_list<TBarCustomItem*> Subitems = {}) {
  auto* item = new TSizedItem(120, 20, Subitems.size() ? tbisHasSubmenu : 0, Caption);
  for (TBarCustomItem* s : Subitems) item->Add(s);
  return item;
}
