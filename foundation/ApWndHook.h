// Window-procedure hooks: any number of handlers see a window's messages before and after its
// own procedure, without knowing about each other. One registry per process keeps a record
// per hooked window; records of destroyed windows are freed later by the releaser, never
// inside their own dispatch.
#pragma once

#include <vector>

#include "framework/Component.h"
#include "framework/Win.h"

// One message as the handlers see it; Result is the window procedure's answer.
struct TApHookMessage {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
};

// Returns true when it has handled the message (nothing after it runs then).
using TApHookHandler = TEvent<bool(TApHookMessage& Msg)>;

HV_ENUM(TApHookOrder, hoBeforeMsg, hoAfterMsg)

class TApWndProcHook;

// The hook record of one window: the two handler chains, the procedure it replaced and the
// cursors of the dispatches that are running (a handler may send messages to its own window).
class TApHookInfos : public TObject {
  HV_CLASS(TApHookInfos, TObject)
 public:
  TApHookInfos(TApWndProcHook* Registry, HWND Handle);
  ~TApHookInfos() override;

  HWND Handle() const { return handle_; }
  bool Hooked() const { return hooked_; }
  bool Destroyed() const { return destroyed_; }
  bool Empty() const { return !first_[0] && !first_[1]; }

  void Add(const TApHookHandler& Handler, TApHookOrder Order);
  // Removes the first node with that handler; false when there is none.
  bool Remove(const TApHookHandler& Handler, TApHookOrder Order);

  // Puts the dispatcher in front of the window's procedure.
  void Hook();
  // Gives the window its procedure back, unless someone replaced ours after us (then the
  // dispatcher stays in between and passes messages through) or a dispatch is running (then
  // it happens when the last one returns).
  void Unhook();
  // The window is going: nothing is restored, and the record leaves the registry.
  void MarkDestroyed();

  LRESULT Dispatch(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);

  // Records alive in the process (for leak checks).
  static int LiveCount();

 private:
  struct Node {
    TApHookHandler Handler;
    Node* Next = nullptr;
  };
  struct Level {
    Node* Cursor[2] = {nullptr, nullptr};
  };

  bool Walk(size_t Level, int Chain, TApHookMessage& Msg);
  LRESULT CallSaved(HWND Wnd, const TApHookMessage& Msg);

  Node* first_[2] = {nullptr, nullptr};
  Node* last_[2] = {nullptr, nullptr};
  std::vector<Level> levels_;
  HWND handle_;
  bool destroyed_ = false;
  WNDPROC savedProc_ = nullptr;
  bool hooked_ = false;
  bool unhookPending_ = false;
  TApWndProcHook* registry_;
};

// The registry: one record per hooked window.
class TApWndProcHook : public TComponent {
  HV_CLASS(TApWndProcHook, TComponent)
 public:
  TApWndProcHook();
  ~TApWndProcHook() override;

  TApHookInfos* Find(HWND Handle) const;
  TApHookInfos* FindOrCreate(HWND Handle);
  int Count() const { return static_cast<int>(infos_.size()); }
  // Takes a record off the list (it is freed elsewhere).
  void Detach(TApHookInfos* Infos);

 private:
  std::vector<TApHookInfos*> infos_;
};

// The process's registry, made on first use.
TApWndProcHook& WndProcHookRegistry();

// False for a missing window or an unassigned handler; otherwise the handler is appended to
// the chain of Order and the window hooked.
bool RegisterWndProcHook(HWND Handle, const TApHookHandler& Handler, TApHookOrder Order);
// False for a missing window, an unassigned handler or a window without hooks; otherwise the
// first matching handler is removed (the window is unhooked when no handler is left).
bool UnRegisterWndProcHook(HWND Handle, const TApHookHandler& Handler, TApHookOrder Order);

// Frees Obj later, from the message loop (each object once, however often it is handed over).
void ReleaseObj(TObject* Obj);
// Objects handed to ReleaseObj that are not freed yet.
int PendingReleaseCount();

// Frees the registry and the releaser (with everything still waiting), as at the end of the
// process; both are made again on next use.
void FinalizeWndProcHooks();
