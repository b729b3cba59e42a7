// The application object: the hidden application window (class "TApplication", by which other
// copies of the program find this one), the main form, the wide message loop with its idle
// work (mouse tracking, hints, action updates, the idle handlers), hints, exception handling
// and message boxes. One object, the global Application, lives as long as the program.
#pragma once

#include <functional>
#include <vector>

#include "framework/Controls.h"

class TCustomForm;
class THintWindow;
class TApplicationEvents;

// What a hint about to be shown is made of; CM_HINTSHOW and OnShowHint may change it.
struct THintInfo {
  TControl* HintControl = nullptr;
  const TClassInfo* HintWindowClass = nullptr;  // a THintWindow class
  TPoint HintPos;                               // screen position of the hint window
  int HintMaxWidth = 0;
  TColor HintColor = clInfoBk;
  TRect CursorRect;  // client coordinates of HintControl: the hint stays while the mouse is in it
  TPoint CursorPos;  // client coordinates of HintControl
  int ReshowTimeout = 0;
  int HideTimeout = 0;
  WideString HintStr;
  void* HintData = nullptr;
};

using TMessageEvent = TEvent<void(MSG& Msg, bool& Handled)>;
using TIdleEvent = TEvent<void(TObject* Sender, bool& Done)>;
using TExceptionEvent = TEvent<void(TObject* Sender, Exception& E)>;
using TShowHintEvent = TEvent<void(WideString& HintStr, bool& CanShow, THintInfo& HintInfo)>;
// A hook on the application window's messages: true when it handled the message.
using TWindowHook = TEvent<bool(TMessage& Message)>;

// The part of a hint before "|" (the whole hint without one) / the part after it.
WideString GetShortHint(const WideString& Hint);
WideString GetLongHint(const WideString& Hint);

// Where a message box of size Box goes over the window Over: centred on it, moved inside the
// work area of Over's monitor (its left and top edges win when it is larger).
TRect CentredOver(const TSize& Box, const TRect& Over, const TRect& WorkArea);

// Where message boxes are shown; tests install one that answers by itself.
class TMessageBoxHandler {
 public:
  virtual ~TMessageBoxHandler() = default;
  virtual int Show(HWND Owner, const WideString& Text, const WideString& Caption, UINT Flags) = 0;
};

class TApplication : public TComponent {
  HV_CLASS(TApplication, TComponent)
 public:
  explicit TApplication(TComponent* AOwner);
  ~TApplication() override;

  // The application window, created on first use.
  HWND Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  void Initialize();

  // Makes a form owned by the application; Reference is set before the form reads its form
  // file, so that its OnCreate can use it. The first form made this way is the main form.
  template <class T>
  void CreateForm(T*& Reference) {
    T* form = new T(this);
    Reference = form;
    ConstructForm(form, [&Reference] { Reference = nullptr; });
  }
  TCustomForm* MainForm() const { return mainForm_; }
  bool ShowMainForm() const { return showMainForm_; }
  void SetShowMainForm(bool Value) { showMainForm_ = Value; }

  // Shows the main form and handles messages until Terminate (closing the main form).
  void Run();
  // Handles one message, or does the idle work and waits for the next one.
  void HandleMessage();
  // Handles every message waiting, without idle work.
  void ProcessMessages();
  void Terminate();
  bool Terminated() const { return terminated_; }

  // Call in a catch handler: hands the exception being handled to OnException (of the
  // application and of every TApplicationEvents) or shows it; EAbort shows nothing.
  void HandleException(TObject* Sender);
  void ShowException(const Exception& E);
  // A message box with the application's title when Caption is empty. The box's loop is the
  // system's and gives no idle time: the shown forms' actions are brought up to date first, so
  // that the windows it paints show their commands as they stand.
  int MessageBox(const WideString& Text, const WideString& Caption = WideString(), UINT Flags = MB_OK);
  // Replaces where message boxes go (null: the system's); gives the previous handler.
  TMessageBoxHandler* SetMessageBoxHandler(TMessageBoxHandler* Handler);

  WideString Title();
  void SetTitle(const WideString& Value);
  WideString ExeName() const;
  // The program's icon, the icon resource "MAINICON" of the executable at the system's large or
  // small icon size; null when the executable has none. The windows of the program show it.
  HICON Icon(bool Small) const;
  // True while one of the program's windows is active.
  bool Active() const { return active_; }
  // A dialog window whose keys IsDialogMessageW handles.
  HWND DialogHandle() const { return dialogHandle_; }
  void SetDialogHandle(HWND Value) { dialogHandle_ = Value; }

  // ---- hints ----
  // The long hint of the control under the mouse; setting it fires OnHint.
  const WideString& Hint() const { return hint_; }
  void SetHint(const WideString& Value);
  TColor HintColor() const { return hintColor_; }
  void SetHintColor(TColor Value);
  int HintPause() const { return hintPause_; }
  void SetHintPause(int Value) { hintPause_ = Value; }
  int HintShortPause() const { return hintShortPause_; }
  void SetHintShortPause(int Value) { hintShortPause_ = Value; }
  int HintHidePause() const { return hintHidePause_; }
  void SetHintHidePause(int Value) { hintHidePause_ = Value; }
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool Value);
  // Whether hints of controls with an action add the action's shortcut: "Save (Ctrl+S)".
  bool HintShortCuts() const { return hintShortCuts_; }
  void SetHintShortCuts(bool Value) { hintShortCuts_ = Value; }
  // The control whose hint is shown or about to be shown, or null.
  TControl* HintControl() const { return hintControl_; }
  const TClassInfo& HintWindowClass() const { return *hintWindowClass_; }
  void SetHintWindowClass(const TClassInfo& Value);
  // Shows the hint of the control at a screen point now.
  void ActivateHint(const TPoint& CursorPos);
  void CancelHint();
  // Mouse messages of controls pass by here to start and stop hints.
  void HintMouseMessage(TControl* Control, TMessage& Message);
  // The hint window in use (null when none is shown).
  THintWindow* HintWindow() const { return hintWindow_; }
  // The control under the mouse.
  TControl* MouseControl() const { return mouseControl_; }

  // ---- the application window's messages ----
  void HookMainWindow(const TWindowHook& Hook);
  void UnhookMainWindow(const TWindowHook& Hook);

  TMessageEvent OnMessage;
  TIdleEvent OnIdle;
  TExceptionEvent OnException;
  TNotifyEvent OnHint;
  TShowHintEvent OnShowHint;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TApplicationEvents;
  friend class TCustomForm;
  friend class TControl;
  friend class TWinControl;
  static LRESULT CALLBACK AppWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  void WndProc(TMessage& Message);
  void FormCreating(TCustomForm* Form);
  void FormFailed(TCustomForm* Form);
  void ConstructForm(TCustomForm* Form, const std::function<void()>& Forget);
  bool ProcessMessage(MSG& Msg);
  bool IsKeyMsg(MSG& Msg);
  bool IsHintMsg(MSG& Msg);
  bool IsDlgMsg(MSG& Msg);
  void Idle(const MSG& Msg);
  TControl* DoMouseIdle();
  void DoActionIdle();
  // The control under the mouse changed: CM_MOUSELEAVE to the old, CM_MOUSEENTER to the new.
  void SetMouseControl(TControl* Control);
  void ControlDestroying(TControl* Control);
  void StartHintTimer(int Delay, UINT_PTR Id);
  void StopHintTimer();
  void HintTimerExpired();
  void HideHint();
  void ReleaseHintWindow();
  void DoException(TObject* Sender, Exception& E);
  bool DispatchHooks(TMessage& Message);
  void SetActive(bool Value);

  HWND handle_ = nullptr;
  TCustomForm* mainForm_ = nullptr;
  bool showMainForm_ = true;
  bool terminated_ = false;
  bool active_ = false;
  bool running_ = false;
  HWND dialogHandle_ = nullptr;
  WideString title_;
  WideString hint_;
  TColor hintColor_ = clInfoBk;
  int hintPause_ = 500;
  int hintShortPause_ = 50;
  int hintHidePause_ = 2500;
  bool showHint_ = true;
  bool hintShortCuts_ = true;
  const TClassInfo* hintWindowClass_;
  THintWindow* hintWindow_ = nullptr;
  TControl* hintControl_ = nullptr;
  TRect hintCursorRect_;
  // Where the mouse stood when a click or key ended the hint; none comes until it moves.
  TPoint hintHeldAt_;
  bool hintHeld_ = false;
  bool hintActive_ = false;
  UINT_PTR hintTimer_ = 0;
  TControl* mouseControl_ = nullptr;
  std::vector<TWindowHook> hooks_;
  std::vector<TApplicationEvents*> eventsList_;
  TMessageBoxHandler* messageBoxHandler_ = nullptr;
  // The actions are being brought up to date for a message box (a box about a failure there
  // does not do it again).
  bool boxUpdate_ = false;
};

// Lets a form or data module take part in the application's events; several may exist, and
// each gets every event (OnException and OnMessage stop at the first that handles them).
class TApplicationEvents : public TComponent {
  HV_CLASS(TApplicationEvents, TComponent)
 public:
  explicit TApplicationEvents(TComponent* AOwner);
  ~TApplicationEvents() override;

  TExceptionEvent OnException;
  TIdleEvent OnIdle;
  TMessageEvent OnMessage;
  TNotifyEvent OnHint;
  TShowHintEvent OnShowHint;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
};

extern TApplication* Application;
