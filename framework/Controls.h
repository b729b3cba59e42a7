// Controls: TControl (anything that occupies a rectangle of a parent), TWinControl (a control
// with a window of its own, created on demand), TGraphicControl (painted on its parent's
// window) and TCustomControl (a windowed control that paints itself on its canvas).
//
// Messages: a window's messages enter at the framework's window procedure, which finds the
// control through the link stored in the window at WM_NCCREATE, and go through the control's
// replaceable WindowProc (by default WndProc) to Dispatch, which calls the virtual handler of
// the message (WMPaint, CMTextChanged, ...) or DefaultHandler. No exception leaves a window
// procedure: the application's exception handling gets it. Perform sends a message to a control
// the same way without a window.
#pragma once

#include <memory>
#include <vector>

#include "framework/Actions.h"
#include "framework/Component.h"
#include "framework/ControlCanvas.h"
#include "framework/Graphics.h"
#include "framework/Messages.h"
#include "framework/ShortCuts.h"
#include "framework/SizeConstraints.h"

class TControl;
class TControlActionLink;
class TWinControl;
class TPopupMenu;
class TDragObject;
class TDragDockObject;
class TCustomForm;
struct THintInfo;

HV_ENUM(TAlign, alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom)
using TAlignSet = TSet<TAlign>;
HV_ENUM(TAnchorKind, akLeft, akTop, akRight, akBottom)
using TAnchors = TSet<TAnchorKind>;
HV_ENUM(TMouseButton, mbLeft, mbRight, mbMiddle)
HV_ENUM(TDragState, dsDragEnter, dsDragLeave, dsDragMove)
HV_ENUM(TDragMode, dmManual, dmAutomatic)
// What dragging the control does: an ordinary drag, or carrying the control to another place.
HV_ENUM(TDragKind, dkDrag, dkDock)
// The answer to a press on an inactive window: the system's default, or whether the window is
// activated and whether the press is then passed on.
HV_ENUM(TMouseActivate, maDefault, maActivate, maActivateAndEat, maNoActivate, maNoActivateAndEat)
HV_ENUM(TDragMessage, dmDragEnter, dmDragLeave, dmDragMove, dmDragDrop, dmDragCancel, dmFindTarget)
// Window frames. Controls with a border use bsNone and bsSingle; forms use them all.
HV_ENUM(TFormBorderStyle, bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin)
using TBorderStyle = TFormBorderStyle;

// What a control is and does, fixed by its class.
HV_ENUM(TControlStyleFlag, csAcceptsControls,  // other controls may be placed on it
        csCaptureMouse,                        // captures the mouse while a button is held
        csDesignInteractive, csClickEvents,    // a press and release inside it is a Click
        csFramed,                              // has a 3-D frame: its window follows Ctl3D
        csSetCaption,                          // takes its name as caption when named
        csOpaque,                              // paints all of its rectangle
        csDoubleClicks,                        // gets double clicks (otherwise a second press)
        csFixedWidth, csFixedHeight, csNoDesignVisible, csReplicatable,
        csNoStdEvents,  // the mouse and key events are not fired
        csDisplayDragImage, csReflector, csActionClient, csMenuEvents)
using TControlStyle = TSet<TControlStyleFlag>;

// What a control is going through right now.
HV_ENUM(TControlStateFlag, csLButtonDown, csClicked, csPalette, csReadingState, csAlignmentNeeded, csFocusing,
        csCreating, csPaintCopy, csCustomPaint, csDestroyingHandle, csDocking)
using TControlState = TSet<TControlStateFlag>;

// Mouse cursors: the system's shapes as negative numbers, crDefault for "the parent's"; the
// screen maps them to cursor handles (TScreen::Cursors). Form files use the names.
enum TCursor : int16_t {};
HV_INTEGER_TYPE(TCursor, -32768, 32767, otSWord)
constexpr TCursor crDefault = TCursor(0);
constexpr TCursor crNone = TCursor(-1);
constexpr TCursor crArrow = TCursor(-2);
constexpr TCursor crCross = TCursor(-3);
constexpr TCursor crIBeam = TCursor(-4);
constexpr TCursor crSizeNESW = TCursor(-6);
constexpr TCursor crSizeNS = TCursor(-7);
constexpr TCursor crSizeNWSE = TCursor(-8);
constexpr TCursor crSizeWE = TCursor(-9);
constexpr TCursor crUpArrow = TCursor(-10);
constexpr TCursor crHourGlass = TCursor(-11);
constexpr TCursor crDrag = TCursor(-12);
constexpr TCursor crNoDrop = TCursor(-13);
constexpr TCursor crHSplit = TCursor(-14);
constexpr TCursor crVSplit = TCursor(-15);
constexpr TCursor crMultiDrag = TCursor(-16);
constexpr TCursor crSQLWait = TCursor(-17);
constexpr TCursor crNo = TCursor(-18);
constexpr TCursor crAppStart = TCursor(-19);
constexpr TCursor crHelp = TCursor(-20);
constexpr TCursor crHandPoint = TCursor(-21);
constexpr TCursor crSizeAll = TCursor(-22);
constexpr TCursor crSize = crSizeAll;

bool IdentToCursor(std::string_view ident, int32_t& cursor);
bool CursorToIdent(int32_t cursor, std::string& ident);

// Windows of this program always have the 3-D look.
constexpr bool NewStyleControls = true;

using TWndMethod = TEvent<void(TMessage& Message)>;
using TMouseEvent = TEvent<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = TEvent<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TMouseWheelEvent =
    TEvent<void(TObject* Sender, TShiftState Shift, int WheelDelta, TPoint MousePos, bool& Handled)>;
using TMouseWheelUpDownEvent = TEvent<void(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled)>;
using TContextPopupEvent = TEvent<void(TObject* Sender, TPoint MousePos, bool& Handled)>;
using TKeyEvent = TEvent<void(TObject* Sender, Word& Key, TShiftState Shift)>;
using TKeyPressEvent = TEvent<void(TObject* Sender, wchar_t& Key)>;
using TDragOverEvent = TEvent<void(TObject* Sender, TObject* Source, int X, int Y, TDragState State, bool& Accept)>;
using TDragDropEvent = TEvent<void(TObject* Sender, TObject* Source, int X, int Y)>;
using TStartDragEvent = TEvent<void(TObject* Sender, TDragObject*& DragObject)>;
using TEndDragEvent = TEvent<void(TObject* Sender, TObject* Target, int X, int Y)>;
using TStartDockEvent = TEvent<void(TObject* Sender, TDragDockObject*& DragObject)>;
using TEndDockEvent = TEvent<void(TObject* Sender, TObject* Target, int X, int Y)>;
// HitTest is the window's hit-test code at the press (HTCLIENT, HTCAPTION, ...).
using TMouseActivateEvent = TEvent<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y,
                                        int HitTest, TMouseActivate& MouseActivate)>;

// The shift state of a mouse message's key flags (MK_...), with Alt from the keyboard.
TShiftState KeysToShiftState(WORD Keys);
// The shift state of a key message: Alt from the key data, Shift and Ctrl from the keyboard.
TShiftState KeyDataToShiftState(LPARAM KeyData);
// Shift, Ctrl, Alt and the mouse buttons as the keyboard state has them now.
TShiftState KeyboardStateToShiftState();

// What a drag-and-drop message carries (CM_DRAG).
struct TDragRec {
  TPoint Pos;  // screen coordinates
  TDragObject* Source = nullptr;
  TControl* Target = nullptr;
  bool Docking = false;
};

class TControl : public TComponent {
  HV_CLASS(TControl, TComponent)
 public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;

  // ---- place ----
  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* AParent);
  int Left() const { return left_; }
  void SetLeft(int Value) { SetBounds(Value, top_, width_, height_); }
  int Top() const { return top_; }
  void SetTop(int Value) { SetBounds(left_, Value, width_, height_); }
  int Width() const { return width_; }
  void SetWidth(int Value) { SetBounds(left_, top_, Value, height_); }
  int Height() const { return height_; }
  void SetHeight(int Value) { SetBounds(left_, top_, width_, Value); }
  // Left and top in the parent's client area (a top-level window: on the screen).
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  TRect BoundsRect() const { return Bounds(left_, top_, width_, height_); }
  void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
  // The client area in client coordinates (its top-left is 0, 0).
  TRect ClientRect() { return GetClientRect(); }
  int ClientWidth() { return ClientRect().Right; }
  void SetClientWidth(int Value) { SetClientSize(Value, ClientHeight()); }
  int ClientHeight() { return ClientRect().Bottom; }
  void SetClientHeight(int Value) { SetClientSize(ClientWidth(), Value); }
  // The screen position of the client area's top-left corner.
  virtual TPoint ClientOrigin();
  TPoint ClientToScreen(const TPoint& Point) {
    TPoint o = ClientOrigin();
    return {Point.X + o.X, Point.Y + o.Y};
  }
  TPoint ScreenToClient(const TPoint& Point) {
    TPoint o = ClientOrigin();
    return {Point.X - o.X, Point.Y - o.Y};
  }
  // Moves the control to the top or the bottom of its siblings (drawing and alignment order).
  void BringToFront();
  void SendToBack();

  TAlign Align() const { return align_; }
  void SetAlign(TAlign Value);
  TAnchors Anchors() const { return anchors_; }
  void SetAnchors(TAnchors Value);
  TSizeConstraints* Constraints() const { return constraints_.get(); }
  void SetConstraints(TSizeConstraints* Value) { constraints_->Assign(Value); }

  // ---- state ----
  bool Visible() const { return visible_; }
  void SetVisible(bool Value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  bool Enabled() const { return GetEnabled(); }
  void SetEnabled(bool Value) { DoSetEnabled(Value); }
  const TControlStyle& ControlStyle() const { return controlStyle_; }
  void SetControlStyle(const TControlStyle& Value) { controlStyle_ = Value; }
  const TControlState& ControlState() const { return controlState_; }
  void SetControlState(const TControlState& Value) { controlState_ = Value; }

  // ---- appearance ----
  TColor Color() const { return color_; }
  void SetColor(TColor Value);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool Value);
  TFont* Font() const { return font_.get(); }
  void SetFont(TFont* Value) { font_->Assign(Value); }
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool Value);
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor Value);

  // ---- text ----
  // Caption and Text are the same wide text (the window text of a windowed control). Setting
  // an equal text does nothing; a change is announced with CM_TEXTCHANGED.
  WideString Caption() { return GetText(); }
  void SetCaption(const WideString& Value) { SetText(Value); }
  WideString Text() { return GetText(); }
  virtual WideString GetText();
  virtual void SetText(const WideString& Value);
  int GetTextLen();

  // ---- hints ----
  // "short|long": the hint window shows the short part, the application's Hint the long one.
  const WideString& Hint() const { return hint_; }
  void SetHint(const WideString& Value) { hint_ = Value; }
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool Value);
  bool ParentShowHint() const { return parentShowHint_; }
  void SetParentShowHint(bool Value);

  // ---- the right-click menu ----
  // The menus unit shows it (WM_CONTEXTMENU). The setter is a template so that this unit does
  // not need the menu class; the menu is forgotten when it is freed.
  TPopupMenu* PopupMenu() const { return popupMenu_; }
  template <class M = TPopupMenu>
  void SetPopupMenu(M* Value) {
    SetPopupMenuComponent(Value, Value);
  }

  // ---- messages ----
  // Sends a message through WindowProc and gives its result.
  LRESULT Perform(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
  // Where the control's messages go first. Hooks replace it, keep the previous value and call
  // it for what they do not handle, and put it back when they leave.
  TWndMethod WindowProc;
  virtual void WndProc(TMessage& Message);
  // Calls the handler of the message, or DefaultHandler.
  virtual void Dispatch(TMessage& Message);
  virtual void DefaultHandler(TMessage& Message);

  // ---- painting ----
  virtual void Invalidate();
  // Paints what is invalid now.
  virtual void Update();
  virtual void Repaint();
  void Refresh() { Repaint(); }

  // ---- mouse ----
  bool MouseCapture() const;
  void SetMouseCapture(bool Value);

  // ---- drag and drop inside the program ----
  // Starts dragging: at once, or when the mouse has moved Threshold pixels (the system's drag
  // distance when negative) with the button held.
  void BeginDrag(bool Immediate, int Threshold = -1);
  // Ends the drag this control started, dropping on the current target when Drop is true.
  void EndDrag(bool Drop);
  bool Dragging() const;
  TCursor DragCursor() const { return dragCursor_; }
  void SetDragCursor(TCursor Value) { dragCursor_ = Value; }
  TDragMode DragMode() const { return dragMode_; }
  void SetDragMode(TDragMode Value) { dragMode_ = Value; }
  // With dkDock a drag the control starts is a docking drag: the control is in the csDocking
  // state while it runs, and hears of its start and end in OnStartDock and OnEndDock instead of
  // OnStartDrag and OnEndDrag.
  TDragKind DragKind() const { return dragKind_; }
  void SetDragKind(TDragKind Value) { dragKind_ = Value; }
  // Whether the control accepts what is dragged over it (fires OnDragOver; refuses without one).
  virtual void DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept);
  // Fires OnDragDrop.
  virtual void DragDrop(TObject* Source, int X, int Y);

  // ---- actions ----
  // The action the control shows and runs when clicked. Linking copies the action's caption,
  // enabled state, hint, visibility and click handler to the control (while loading, only into
  // values still at their default) and makes the control an action client.
  TBasicAction* Action() const;
  void SetAction(TBasicAction* Value);
  TControlActionLink* ActionLink() const { return actionLink_.get(); }
  // Asks the control's action to bring the control up to date; runs while the application is idle.
  virtual void InitiateAction();
  // Stored tests: values that the action supplies are not written.
  bool IsCaptionStored() const;
  bool IsEnabledStored() const;
  bool IsHintStored() const;
  bool IsVisibleStored() const;
  bool IsOnClickStored() const;

  // ---- form files ----
  bool HasParent() const override { return true; }
  bool IsColorStored() const { return !parentColor_; }
  bool IsFontStored() const { return !parentFont_; }
  bool IsShowHintStored() const { return !parentShowHint_; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;
  void Loaded() override;

  // ---- events ----
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  TMouseWheelEvent OnMouseWheel;
  TMouseWheelUpDownEvent OnMouseWheelDown;
  TMouseWheelUpDownEvent OnMouseWheelUp;
  TContextPopupEvent OnContextPopup;
  TNotifyEvent OnResize;
  TDragOverEvent OnDragOver;
  TDragDropEvent OnDragDrop;
  TStartDragEvent OnStartDrag;
  TEndDragEvent OnEndDrag;
  TStartDockEvent OnStartDock;
  TEndDockEvent OnEndDock;
  // The mouse left the control (it is over another control, or over none of the program's).
  TNotifyEvent OnMouseLeave;
  // A press of a mouse button on the control's window while it is inactive (windowed controls).
  TMouseActivateEvent OnMouseActivate;

 protected:
  friend class TWinControl;
  friend class TDragObject;
  friend class TDragControlObject;
  friend struct TDragSession;

  virtual TRect GetClientRect();
  virtual void SetClientSize(int AWidth, int AHeight);
  virtual bool GetEnabled() const { return enabled_; }
  virtual void DoSetEnabled(bool Value);
  // Asks the parent to realign its children because this control's place changed.
  void RequestAlign();
  // Records where the anchors hold the control, relative to the parent's client size now.
  void UpdateAnchorRules();
  void SendCancelMode(TControl* Sender);
  // Whether point (client coordinates) belongs to the control (CM_HITTEST).
  bool HitTest(int X, int Y);

  // The virtual handlers of the input events; each fires its event unless csNoStdEvents.
  // The shift state of a press or release includes the button concerned.
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void Click();
  virtual void DblClick();
  // The wheel turned by WheelDelta (120 a notch) with the pointer at MousePos (screen); true
  // when handled (OnMouseWheel, then OnMouseWheelDown or OnMouseWheelUp).
  virtual bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos);
  virtual bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos);
  virtual bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos);
  // Before the right-click menu: true when handled (OnContextPopup).
  virtual void DoContextPopup(TPoint MousePos, bool& Handled);
  virtual void Resize();
  // Drag and drop: the drag object of a drag this control starts (OnStartDrag may supply one),
  // and the end of it (OnEndDrag).
  virtual void DoStartDrag(TDragObject*& DragObject);
  virtual void DoEndDrag(TObject* Target, int X, int Y);
  // The same for a docking drag (OnStartDock, OnEndDock).
  virtual void DoStartDock(TDragDockObject*& DragObject);
  virtual void DoEndDock(TObject* Target, int X, int Y);
  // How a press on the inactive window activates it: OnMouseActivate's answer (maDefault
  // leaves it to the system, which asks the parent windows).
  virtual TMouseActivate MouseActivate(TMouseButton Button, TShiftState Shift, int X, int Y, int HitTest);
  virtual bool DoDragOver(TDragObject* Source, int X, int Y, TDragState State);
  // Copies the action's values; with CheckDefaults only into values still at their default
  // (a caption equal to the control's name counts as one).
  virtual void ActionChange(TObject* Sender, bool CheckDefaults);
  // The link class of the control (descendants answer their own).
  virtual TControlActionLink* CreateActionLink();
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void SetPopupMenuComponent(TComponent* Component, TPopupMenu* Menu);

  // ---- message handlers ----
  virtual void WMLButtonDown(TMessage& Message);
  virtual void WMRButtonDown(TMessage& Message);
  virtual void WMMButtonDown(TMessage& Message);
  virtual void WMLButtonDblClk(TMessage& Message);
  virtual void WMRButtonDblClk(TMessage& Message);
  virtual void WMMButtonDblClk(TMessage& Message);
  virtual void WMLButtonUp(TMessage& Message);
  virtual void WMRButtonUp(TMessage& Message);
  virtual void WMMButtonUp(TMessage& Message);
  virtual void WMMouseMove(TMessage& Message);
  virtual void WMMouseWheel(TMessage& Message);
  virtual void WMCancelMode(TMessage& Message);
  virtual void WMCaptureChanged(TMessage& Message);
  virtual void WMContextMenu(TMessage& Message);
  virtual void WMWindowPosChanged(TMessage& Message);
  virtual void CMVisibleChanged(TMessage& Message);
  virtual void CMEnabledChanged(TMessage& Message);
  virtual void CMColorChanged(TMessage& Message);
  virtual void CMFontChanged(TMessage& Message);
  virtual void CMParentColorChanged(TMessage& Message);
  virtual void CMParentFontChanged(TMessage& Message);
  virtual void CMShowHintChanged(TMessage& Message);
  virtual void CMParentShowHintChanged(TMessage& Message);
  virtual void CMCursorChanged(TMessage& Message);
  virtual void CMTextChanged(TMessage& Message);
  virtual void CMHitTest(TMessage& Message);
  virtual void CMMouseEnter(TMessage& Message);
  virtual void CMMouseLeave(TMessage& Message);
  virtual void CMHintShow(TMessage& Message);
  virtual void CMDrag(TMessage& Message);
  virtual void CMMouseWheel(TMessage& Message);
  virtual void CMInvalidate(TMessage& Message);

  WideString text_;  // the text of a control without a window (and of a window to be made)
  TFont* FontObject() const { return font_.get(); }

 private:
  void FontChanged(TObject* Sender);
  void ConstraintsChanged(TObject* Sender);
  void DoMouseDown(TMessage& Message, TMouseButton Button, TShiftState Shift);
  void DoMouseUp(TMessage& Message, TMouseButton Button);
  void InvalidateControl(bool IsVisible, bool IsOpaque);
  void SetZOrder(bool TopMost);
  void ApplyParentColor();
  void ApplyParentFont();
  void ApplyParentShowHint();
  void DoActionChange(TObject* Sender);

  TWinControl* parent_ = nullptr;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  TAlign align_ = alNone;
  TAnchors anchors_{akLeft, akTop};
  // The anchors' reference: the bounds and the parent's client size when last placed by hand.
  TRect anchorRect_;
  TSize anchorParentSize_;
  bool anchorRulesValid_ = false;
  std::unique_ptr<TSizeConstraints> constraints_;
  bool visible_ = true;
  bool enabled_ = true;
  TControlStyle controlStyle_;
  TControlState controlState_;
  TColor color_ = clWindow;
  bool parentColor_ = true;
  std::unique_ptr<TFont> font_;
  bool parentFont_ = true;
  bool settingParentFont_ = false;
  TCursor cursor_ = crDefault;
  WideString hint_;
  bool showHint_ = false;
  bool parentShowHint_ = true;
  TPopupMenu* popupMenu_ = nullptr;
  TComponent* popupMenuComponent_ = nullptr;
  TCursor dragCursor_ = crDrag;
  TDragMode dragMode_ = dmManual;
  TDragKind dragKind_ = dkDrag;
  int wheelAccumulator_ = 0;
  std::unique_ptr<TControlActionLink> actionLink_;
};

// The link of a control with an action: caption, enabled state, hint, visibility, help
// context and click handler follow the action while the control still shows the action's
// value.
class TControlActionLink : public TActionLink {
  HV_CLASS(TControlActionLink, TActionLink)
 public:
  explicit TControlActionLink(TControl* AClient);

  bool IsCaptionLinked() override;
  bool IsEnabledLinked() override;
  bool IsHintLinked() override;
  bool IsVisibleLinked() override;
  bool IsOnExecuteLinked() override;
  void SetCaption(const WideString& Value) override;
  void SetEnabled(bool Value) override;
  void SetHint(const WideString& Value) override;
  void SetVisible(bool Value) override;
  void SetOnExecute(const TNotifyEvent& Value) override;

 protected:
  TControl* Client() const { return client_; }

 private:
  TControl* client_;
};

struct TCreateParams {
  WideString Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0, Y = 0, Width = 0, Height = 0;
  HWND WndParent = nullptr;
  WNDCLASSW WindowClass{};  // lpszClassName is filled from WinClassName when registered
  WideString WinClassName;
};

class TWinControl : public TControl {
  HV_CLASS(TWinControl, TControl)
 public:
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;

  // ---- the window ----
  // The window, created (with the parents' windows) when it does not exist yet.
  HWND Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  void HandleNeeded();
  // Destroys the window and makes a new one, keeping the control's state and text.
  void RecreateWnd();
  // A window of another kind to live in (a control without a parent control).
  HWND ParentWindow() const { return parentWindow_; }
  void SetParentWindow(HWND Value);
  // The window procedure that gets what the control leaves unhandled (DefWindowProcW, or the
  // procedure of the system class the control is made from).
  WNDPROC DefWndProc() const { return defWndProc_; }
  void SetDefWndProc(WNDPROC Value) { defWndProc_ = Value; }
  // Whether the control and all its parents are visible and its window exists.
  bool Showing() const { return showing_; }
  // Whether the window's own paint (a WM_PAINT without a DC) being handled began by painting
  // the background, its WM_ERASEBKGND answered on the paint's DC. False outside such a paint and
  // when the update region was invalidated without erasing: its pixels then still show the
  // picture drawn before, for a control that draws parts of itself without a background.
  bool PaintErased() const { return paintErased_; }

  // ---- children ----
  int ControlCount() const { return static_cast<int>(controls_.size()); }
  TControl* Controls(int Index) const;
  void InsertControl(TControl* AControl);
  void RemoveControl(TControl* AControl);
  bool ContainsControl(TControl* Control) const;
  // The child at a point of the client area (the topmost), or null.
  TControl* ControlAtPos(const TPoint& Pos, bool AllowDisabled, bool AllowWinControls = false);
  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;
  // Alignment: children with Align are placed in order (top, bottom, left, right, client) in
  // the client area less the border; anchored children follow the client size.
  void DisableAlign();
  void EnableAlign();
  bool AlignDisabled() const { return alignLevel_ > 0; }
  void Realign();
  // Broadcasts a message to every child until one sets a result.
  void Broadcast(TMessage& Message);
  void NotifyControls(UINT Msg);

  // ---- focus ----
  virtual bool CanFocus();
  virtual bool Focused();
  virtual void SetFocus();
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool Value);
  int TabOrder() const;
  void SetTabOrder(int Value);
  // The windowed children and their children, in tab order.
  virtual void GetTabOrderList(std::vector<TWinControl*>& List);
  // The next (or previous) control after CurControl that can take the focus, among this
  // control's descendants; CheckTabStop skips those without TabStop, CheckParent those that are
  // not direct children.
  TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop, bool CheckParent);
  // Moves the focus to the next control after CurControl; false when there is none.
  bool SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);

  // ---- appearance ----
  TBrush* Brush() const { return brush_.get(); }
  int BorderWidth() const { return borderWidth_; }
  void SetBorderWidth(int Value);
  bool Ctl3D() const { return ctl3D_; }
  void SetCtl3D(bool Value);
  bool ParentCtl3D() const { return parentCtl3D_; }
  void SetParentCtl3D(bool Value);
  bool IsCtl3DStored() const { return !parentCtl3D_; }
  // Paints into an off-screen bitmap first, so that the window never shows half a picture.
  bool DoubleBuffered() const { return doubleBuffered_; }
  void SetDoubleBuffered(bool Value) { doubleBuffered_ = Value; }
  bool ParentBackground() const { return parentBackground_; }
  void SetParentBackground(bool Value);

  void Invalidate() override;
  void Update() override;
  void Repaint() override;
  TPoint ClientOrigin() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void Loaded() override;

  // Paints the control and its children into a DC at X, Y (the DC's state is kept).
  void PaintTo(HDC DC, int X, int Y);

  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;
  TKeyEvent OnKeyUp;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;

  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;

 protected:
  friend class TControl;

  // The window's creation: CreateParams fills in the parameters, CreateWindowHandle makes the
  // window, CreateWnd does both and what follows; DestroyWnd keeps what must survive.
  virtual void CreateParams(TCreateParams& Params);
  virtual void CreateWindowHandle(const TCreateParams& Params);
  virtual void CreateWnd();
  virtual void DestroyWindowHandle();
  virtual void DestroyWnd();
  void CreateHandle();
  void DestroyHandle();
  // Makes the window class a copy of a system class (L"BUTTON", L"EDIT"...), whose window
  // procedure becomes the control's default procedure.
  void CreateSubClass(TCreateParams& Params, const wchar_t* ControlClassName);
  // The size of the frame, caption and scroll bars around the client area.
  TSize NonClientSize();
  void UpdateShowing();
  void UpdateControlState();
  // Alignment: the area children are aligned in, and the placing of them.
  virtual void AdjustClientRect(TRect& Rect);
  virtual void AlignControls(TControl* AControl, TRect& Rect);
  void AlignControl(TControl* AControl);
  TRect GetClientRect() override;
  void SetClientSize(int AWidth, int AHeight) override;
  void DoSetEnabled(bool Value) override;
  // Painting: PaintHandler paints a WM_PAINT (own picture, then the graphic children),
  // PaintWindow the control's own picture, PaintControls the graphic children.
  void PaintHandler(TMessage& Message);
  virtual void PaintWindow(HDC DC);
  void PaintControls(HDC DC, TControl* First);
  // Keyboard: the virtual handlers fire the events unless csNoStdEvents; Key or the character
  // set to 0 swallows the key.
  virtual void KeyDown(Word& Key, TShiftState Shift);
  virtual void KeyPress(wchar_t& Key);
  virtual void KeyUp(Word& Key, TShiftState Shift);
  // True when the key was swallowed (by the form's key preview or the handler).
  bool DoKeyDown(TMessage& Message);
  bool DoKeyPress(TMessage& Message);
  bool DoKeyUp(TMessage& Message);
  virtual void DoEnter();
  virtual void DoExit();
  // Takes the focus away from this control (and its children) when it leaves the form.
  void RemoveFocus(bool Removing);
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Whether the message is for a graphic child; if so it is sent there.
  bool IsControlMouseMsg(TMessage& Message);

  virtual void WMPaint(TMessage& Message);
  virtual void WMEraseBkgnd(TMessage& Message);
  // Printing into a DC someone else owns (a parent's background, WM_PRINT, animations): the
  // DC is handed back in the state it came in.
  virtual void WMPrint(TMessage& Message);
  virtual void WMPrintClient(TMessage& Message);
  virtual void WMSize(TMessage& Message);
  virtual void WMMove(TMessage& Message);
  virtual void WMSetFocus(TMessage& Message);
  virtual void WMKillFocus(TMessage& Message);
  virtual void WMKeyDown(TMessage& Message);
  virtual void WMSysKeyDown(TMessage& Message);
  virtual void WMKeyUp(TMessage& Message);
  virtual void WMSysKeyUp(TMessage& Message);
  virtual void WMChar(TMessage& Message);
  virtual void WMGetDlgCode(TMessage& Message);
  virtual void WMSetCursor(TMessage& Message);
  virtual void WMCommand(TMessage& Message);
  // A right click over a child without a window shows that child's menu.
  void WMContextMenu(TMessage& Message) override;
  virtual void WMNotify(TMessage& Message);
  virtual void WMCtlColor(TMessage& Message);
  virtual void WMMouseLeave(TMessage& Message);
  virtual void WMMouseActivate(TMessage& Message);
  virtual void WMNCDestroy(TMessage& Message);
  virtual void WMGetMinMaxInfo(TMessage& Message);
  virtual void CNKeyDown(TMessage& Message);
  virtual void CNKeyUp(TMessage& Message);
  virtual void CNChar(TMessage& Message);
  virtual void CNSysKeyDown(TMessage& Message);
  virtual void CNSysChar(TMessage& Message);
  virtual void CMDialogKey(TMessage& Message);
  virtual void CMDialogChar(TMessage& Message);
  virtual void CMFocusChanged(TMessage& Message);
  virtual void CMShowingChanged(TMessage& Message);
  virtual void CMEnter(TMessage& Message);
  virtual void CMExit(TMessage& Message);
  virtual void CMChildKey(TMessage& Message);
  virtual void CMCtl3DChanged(TMessage& Message);
  virtual void CMParentCtl3DChanged(TMessage& Message);
  virtual void CMRecreateWnd(TMessage& Message);
  virtual void CMBorderChanged(TMessage& Message);
  virtual void CMControlListChange(TMessage& Message);
  virtual void CMControlChange(TMessage& Message);
  void CMVisibleChanged(TMessage& Message) override;
  void CMEnabledChanged(TMessage& Message) override;
  void CMColorChanged(TMessage& Message) override;
  void CMFontChanged(TMessage& Message) override;
  void CMShowHintChanged(TMessage& Message) override;
  void CMInvalidate(TMessage& Message) override;

 private:
  friend LRESULT CALLBACK ControlWindowProc(HWND, UINT, WPARAM, LPARAM);
  void MainWndProc(TMessage& Message);
  void AttachHandle(HWND Wnd);
  void DetachHandle();
  // The window is being destroyed: keep its text, give back borrowed DCs.
  void WindowDestroying() noexcept;
  void RegisterWindowClass(TCreateParams& Params);
  void PaintBuffered(TMessage& Message);
  void PlaceAligned(TControl* AControl, TAlign Align, TRect& Rect);
  void UpdateBounds();
  void InsertWinControl(TWinControl* AControl);
  void ApplyAnchors(TControl* AControl, const TRect& Client);
  void SetZOrderPosition(TControl* AControl, size_t Position);
  void ApplyParentCtl3D();
  void SaveWindowText();

  HWND handle_ = nullptr;
  HWND parentWindow_ = nullptr;
  WNDPROC defWndProc_ = nullptr;
  bool showing_ = false;
  std::vector<TControl*> controls_;    // all children, bottom first
  std::vector<TWinControl*> tabList_;  // windowed children in tab order
  int alignLevel_ = 0;
  bool aligning_ = false;
  std::unique_ptr<TBrush> brush_;
  int borderWidth_ = 0;
  bool ctl3D_ = true;
  bool parentCtl3D_ = true;
  bool doubleBuffered_ = false;
  bool parentBackground_ = false;
  bool tabStop_ = false;
  bool mouseTracking_ = false;
  bool inOwnPaint_ = false;
  bool paintErased_ = false;
};

// The control (with or without window) under a screen point, or null.
TControl* FindDragTarget(const TPoint& Pos, bool AllowDisabled);
// The control of a window of this program, found through the link stored in the window; null
// for other windows.
TWinControl* FindControl(HWND Handle);
// The screen position of the mouse.
TPoint MousePos();
// The control that has the mouse captured (with or without window), or null.
TControl* GetCaptureControl();
void SetCaptureControl(TControl* Control);
// The window procedure of every control window.
LRESULT CALLBACK ControlWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);

// The graphic and custom controls come with the controls they are made of.
#include "framework/CustomControls.h"
