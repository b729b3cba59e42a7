// Window-procedure hooks: any number of handlers see a window's messages before and after its
// own procedure, without knowing about each other. One registry per process keeps a record
// per hooked window; records of destroyed windows are freed later by the releaser, never
// inside their own dispatch.
#pragma once

#include <vector>

#include "framework/Controls.h"
#include "framework/Messages.h"
#include "framework/Win.h"

// One message as the handlers see it; Result is the window procedure's answer.
using TApHookMessage = TMessage;

// Returns true when it has handled the message (nothing after it runs then).
using TApHookHandler = TEvent<bool(TApHookMessage& Msg)>;

HV_ENUM(TApHookOrder, hoBeforeMsg, hoAfterMsg)

class TApWndProcHook;

// The hook record of one control or window handle: the two handler chains, the window method
// or procedure it replaced and the cursors of the dispatches that are running (a handler may
// send messages to its own window).
class TApHookInfos : public TObject {
  HV_CLASS(TApHookInfos, TObject)
 public:
  TApHookInfos(TApWndProcHook* Registry, HWND Handle);
  TApHookInfos(TApWndProcHook* Registry, TControl* Control);
  ~TApHookInfos() override;

  HWND Handle() const { return handle_; }
  TControl* Control() const { return control_; }
  bool Hooked() const { return hooked_; }
  bool Destroyed() const { return destroyed_; }
  bool Empty() const { return !first_[0] && !first_[1]; }

  void Add(const TApHookHandler& Handler, TApHookOrder Order);
  // Removes the first node with that handler; false when there is none.
  bool Remove(const TApHookHandler& Handler, TApHookOrder Order);

  // Puts the dispatcher in front of the control's window method or the window's procedure.
  void Hook();
  // Gives back what was replaced, unless someone replaced ours after us (then the dispatcher
  // stays in between and passes messages through) or a dispatch is running (then it happens
  // when the last one returns).
  void Unhook();
  // The window is going: nothing is restored, and the record leaves the registry.
  void MarkDestroyed();

  LRESULT Dispatch(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  // The control's window method while it is hooked.
  void ControlDispatch(TMessage& Message);

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
  // Runs one message through the chains around Own (the replaced method or procedure).
  template <class Own>
  void Run(TApHookMessage& Msg, Own AOwn);
  void FinishDispatch();
  bool ControlGoing() const;

  Node* first_[2] = {nullptr, nullptr};
  Node* last_[2] = {nullptr, nullptr};
  std::vector<Level> levels_;
  HWND handle_ = nullptr;
  TControl* control_ = nullptr;
  bool destroyed_ = false;
  WNDPROC savedProc_ = nullptr;
  TWndMethod savedMethod_;
  bool hooked_ = false;
  bool unhookPending_ = false;
  TApWndProcHook* registry_;
};

// The registry: one record per hooked control or window.
class TApWndProcHook : public TComponent {
  HV_CLASS(TApWndProcHook, TComponent)
 public:
  TApWndProcHook();
  ~TApWndProcHook() override;

  TApHookInfos* Find(HWND Handle) const;
  TApHookInfos* Find(const TControl* Control) const;
  TApHookInfos* FindOrCreate(HWND Handle);
  TApHookInfos* FindOrCreate(TControl* Control);
  int Count() const { return static_cast<int>(infos_.size()); }
  // Takes a record off the list (it is freed elsewhere).
  void Detach(TApHookInfos* Infos);

 protected:
  // A hooked control that goes: its record is released without touching it.
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  std::vector<TApHookInfos*> infos_;
};

// The process's registry, made on first use.
TApWndProcHook& WndProcHookRegistry();

// False for a missing control or window (or a control being destroyed) or an unassigned
// handler; otherwise the handler is appended to the chain of Order and the control hooked.
bool RegisterWndProcHook(TControl* Control, const TApHookHandler& Handler, TApHookOrder Order);
bool RegisterWndProcHook(HWND Handle, const TApHookHandler& Handler, TApHookOrder Order);
// False for a missing control or window, an unassigned handler or one without hooks;
// otherwise the first matching handler is removed (unhooked when no handler is left).
bool UnRegisterWndProcHook(TControl* Control, const TApHookHandler& Handler, TApHookOrder Order);
bool UnRegisterWndProcHook(HWND Handle, const TApHookHandler& Handler, TApHookOrder Order);

// Frees Obj later, from the message loop (each object once, however often it is handed over).
void ReleaseObj(TObject* Obj);
// Objects handed to ReleaseObj that are not freed yet.
int PendingReleaseCount();

// Frees the registry and the releaser (with everything still waiting), as at the end of the
// process; both are made again on next use.
void FinalizeWndProcHooks();

// The component face of the hooks: handlers of a control's messages before and after its own
// processing, switched on and off with Active.
using TApHookMessageEvent = TEvent<void(TObject* Sender, TMessage& Msg, bool& Handled)>;

class TApWindowHook : public TComponent {
  HV_CLASS(TApWindowHook, TComponent)
 public:
  explicit TApWindowHook(TComponent* AOwner);
  ~TApWindowHook() override;

  bool Active() const { return active_; }
  void SetActive(bool Value);
  TControl* Control() const { return control_; }
  // A control that is being destroyed leaves Control empty.
  void SetControl(TControl* Value);
  const TApHookMessageEvent& BeforeMessage() const { return beforeMessage_; }
  void SetBeforeMessage(const TApHookMessageEvent& Value);
  const TApHookMessageEvent& AfterMessage() const { return afterMessage_; }
  void SetAfterMessage(const TApHookMessageEvent& Value);
  // The hook is on the form that owns it (kept in form files as "IsForm").
  bool IsForm() const;

  bool DoBeforeMessage(TMessage& Msg);
  bool DoAfterMessage(TMessage& Msg);

  void DefineProperties(TFiler* Filer) override;
  // Form files keep Control only when it is not the owning form ("IsForm" says that).
  bool IsControlStored() const { return !IsForm(); }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  bool MayRegister() const;
  TApHookHandler BeforeHandler() { return TApHookHandler(this, &TApWindowHook::DoBeforeMessage); }
  TApHookHandler AfterHandler() { return TApHookHandler(this, &TApWindowHook::DoAfterMessage); }

  bool active_ = true;
  TControl* control_ = nullptr;
  TApHookMessageEvent beforeMessage_;
  TApHookMessageEvent afterMessage_;
};
