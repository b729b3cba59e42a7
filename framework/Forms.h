// Forms and frames: top-level windows (TCustomForm, TForm) and embeddable groups of controls
// (TCustomFrame, TFrame), both read from their form files when they are created.
//
// Construction: a C++ constructor cannot reach the members of the classes derived from it, so
// a form or frame reads its form file in AfterConstruction. Create them through
// New<TMyForm>(Owner) or TApplication::CreateForm (form files create embedded frames that
// way by themselves); a form made with the CreateNew constructor has no form file.
#pragma once

#include "framework/Controls.h"

class TApplication;
class TMainMenu;

HV_ENUM(TFormStyle, fsNormal, fsStayOnTop)
HV_ENUM(TBorderIcon, biSystemMenu, biMinimize, biMaximize, biHelp)
using TBorderIcons = TSet<TBorderIcon>;
HV_ENUM(TWindowState, wsNormal, wsMinimized, wsMaximized)
HV_ENUM(TPosition, poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
        poMainFormCenter, poOwnerFormCenter)
HV_ENUM(TCloseAction, caNone, caHide, caFree, caMinimize)
HV_ENUM(TFormStateFlag, fsCreating, fsVisible, fsShowing, fsModal, fsActivated)
using TFormState = TSet<TFormStateFlag>;

using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = IDOK;
constexpr TModalResult mrCancel = IDCANCEL;
constexpr TModalResult mrAbort = IDABORT;
constexpr TModalResult mrRetry = IDRETRY;
constexpr TModalResult mrIgnore = IDIGNORE;
constexpr TModalResult mrYes = IDYES;
constexpr TModalResult mrNo = IDNO;
constexpr TModalResult mrAll = mrNo + 1;
constexpr TModalResult mrNoToAll = mrAll + 1;
constexpr TModalResult mrYesToAll = mrNoToAll + 1;

using TCloseEvent = TEvent<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = TEvent<void(TObject* Sender, bool& CanClose)>;

// Selects the constructor of a form that has no form file.
struct TCreateNew {
  explicit constexpr TCreateNew() = default;
};
inline constexpr TCreateNew CreateNew{};

// The base of forms and frames (scrolling is not needed by them yet).
class TScrollingWinControl : public TWinControl {
  HV_CLASS(TScrollingWinControl, TWinControl)
 public:
  explicit TScrollingWinControl(TComponent* AOwner) : TWinControl(AOwner) {}
};

class TCustomFrame : public TScrollingWinControl {
  HV_CLASS(TCustomFrame, TScrollingWinControl)
 public:
  explicit TCustomFrame(TComponent* AOwner);
  ~TCustomFrame() override;
  // Reads the frame's form file (classes derived from TFrame).
  void AfterConstruction() override;
  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;

 protected:
  void CreateParams(TCreateParams& Params) override;

 private:
  bool constructed_ = false;
  friend class TCustomForm;
};

class TFrame : public TCustomFrame {
  HV_CLASS(TFrame, TCustomFrame)
 public:
  explicit TFrame(TComponent* AOwner) : TCustomFrame(AOwner) {}
};

class TCustomForm : public TScrollingWinControl {
  HV_CLASS(TCustomForm, TScrollingWinControl)
 public:
  // A form read from its form file in AfterConstruction.
  explicit TCustomForm(TComponent* AOwner);
  // A form without a form file.
  TCustomForm(TComponent* AOwner, TCreateNew);
  // Frees the form's components while the form is still whole. OnDestroy has fired before
  // (BeforeDestruction) when the form is freed by its owner, by Release or through Free.
  ~TCustomForm() override;

  // Reads the form file (unless made with CreateNew) and fires OnCreate.
  void AfterConstruction() override;
  // Fires OnDestroy.
  void BeforeDestruction() override;

  // ---- showing ----
  void Show();
  // Shows the form with the other windows of the program disabled until ModalResult is set
  // (or the form is closed), and gives ModalResult. EInvalidOperation "Cannot make a visible
  // window modal" for a form already shown.
  virtual int ShowModal();
  // OnCloseQuery, then OnClose with the action: caHide hides (closing the main form ends the
  // application), caFree frees the form later (Release), caMinimize minimizes, caNone keeps it.
  // A modal form only gets ModalResult mrCancel.
  void Close();
  virtual bool CloseQuery();
  // Frees the form once the messages it is handling are done.
  void Release();
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult Value) { modalResult_ = Value; }
  const TFormState& FormState() const { return formState_; }
  // True while the form is the active window.
  bool Active() const { return active_; }

  // ---- focus ----
  TWinControl* ActiveControl() const { return activeControl_; }
  void SetActiveControl(TWinControl* Control);
  void FocusControl(TWinControl* Control);
  // Records that Control got the focus: OnExit and OnEnter along the way, ActiveControl,
  // Screen.ActiveControl.
  virtual bool SetFocusedControl(TWinControl* Control);
  // Control (or, with Removing, a parent of the active control) is going away.
  void DefocusControl(TWinControl* Control, bool Removing);
  bool KeyPreview() const { return keyPreview_; }
  void SetKeyPreview(bool Value) { keyPreview_ = Value; }
  // A key for the form's shortcuts; true when one took it: the menu bar's items first, then the
  // actions of the form's action lists.
  virtual bool IsShortCut(TMessage& Message);
  // The menu bar (null: none). The form shows it while it has a window; the client area keeps
  // its size when the bar comes with the window.
  TMainMenu* Menu() const { return menu_; }
  void SetMenu(TMainMenu* Value);
  // Brings the actions of the form's controls up to date (while the application is idle).
  virtual void UpdateActions();
  void SetFocus() override;
  bool CanFocus() override { return Visible() && Enabled(); }

  // ---- appearance ----
  TPosition Position() const { return position_; }
  void SetPosition(TPosition Value) { position_ = Value; }
  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle Value);
  TBorderIcons BorderIcons() const { return borderIcons_; }
  void SetBorderIcons(TBorderIcons Value);
  TWindowState WindowState();
  void SetWindowState(TWindowState Value);
  TFormStyle FormStyle() const { return formStyle_; }
  void SetFormStyle(TFormStyle Value);
  TCanvas* Canvas() const { return canvas_.get(); }
  // Kept for form files of the classic kind; OnCreate always fires after the file is read.
  bool OldCreateOrder() const { return oldCreateOrder_; }
  void SetOldCreateOrder(bool Value) { oldCreateOrder_ = Value; }
  // The client size that form files give, applied once the frame style is known.
  int ClientWidthProp() { return ClientWidth(); }
  void SetClientWidthProp(int Value);
  int ClientHeightProp() { return ClientHeight(); }
  void SetClientHeightProp(int Value);

  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;
  void Loaded() override;

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TNotifyEvent OnPaint;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

 protected:
  // The class whose descendants' form files are read (TForm).
  virtual const TClassInfo& FormFileRoot() const;
  virtual void DoCreate();
  virtual void DoDestroy();
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& Action);
  virtual void Activate();
  virtual void Deactivate();
  virtual void Paint();

  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void PaintWindow(HDC DC) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Dispatch(TMessage& Message) override;
  virtual void WMClose(TMessage& Message);
  virtual void WMActivate(TMessage& Message);
  virtual void CMActivate(TMessage& Message);
  virtual void CMDeactivate(TMessage& Message);
  virtual void CMRelease(TMessage& Message);
  // Moves the focus as a dialog does: WParam 0 to the next control in tab order, any other to
  // the one before; with LParam set, to the control whose window WParam names.
  virtual void WMNextDlgCtl(TMessage& Message);
  void CMShowingChanged(TMessage& Message) override;
  void CMVisibleChanged(TMessage& Message) override;
  void CMDialogKey(TMessage& Message) override;

 private:
  void Init();
  void CheckConstructed();
  void ApplyPosition();
  void CloseModal();
  void RunModalLoop();
  HWND OwnerWindow();
  void SetActive(bool Value);
  void SetWindowFocus();
  void DoEnterExit(TWinControl* From, TWinControl* To);
  // A menu key of WM_SYSCOMMAND handed to a menu bar among the controls; true when it took it.
  bool MenuKey(TMessage& Message);

  bool createNew_ = false;
  bool constructed_ = false;
  bool destroyFired_ = false;
  bool positioned_ = false;
  // Set while a menu key is with the menu bar, so that one coming back takes the system's way.
  bool forwardingMenuKey_ = false;
  TFormState formState_;
  TModalResult modalResult_ = mrNone;
  TWinControl* activeControl_ = nullptr;
  TWinControl* focusedControl_ = nullptr;
  bool keyPreview_ = false;
  TMainMenu* menu_ = nullptr;
  bool active_ = false;
  TPosition position_ = poDesigned;
  TFormBorderStyle borderStyle_ = bsSizeable;
  TBorderIcons borderIcons_{biSystemMenu, biMinimize, biMaximize};
  TWindowState windowState_ = wsNormal;
  TFormStyle formStyle_ = fsNormal;
  bool oldCreateOrder_ = false;
  int pendingClientWidth_ = -1;
  int pendingClientHeight_ = -1;
  std::unique_ptr<TControlCanvas> canvas_;
};

class TForm : public TCustomForm {
  HV_CLASS(TForm, TCustomForm)
 public:
  explicit TForm(TComponent* AOwner) : TCustomForm(AOwner) {}
  TForm(TComponent* AOwner, TCreateNew) : TCustomForm(AOwner, CreateNew) {}
};

// The form a control is on (the outermost parent when it is a form), or null.
TCustomForm* GetParentForm(TControl* Control);
// As GetParentForm; EInvalidOperation "Control '%s' has no parent window" without one.
TCustomForm* ValidParentForm(TControl* Control);
