// Docks along the edges of a form, the windows that sit in their rows or float in a small frame
// of their own, and the records that save and restore where those windows are.
#pragma once

#include <initializer_list>
#include <vector>

#include "framework/Forms.h"
#include "toolbars/BarCommon.h"
#include "toolbars/BarHook.h"

class TBarCustomDockableWindow;
class TBarFloatingWindowParent;

HV_ENUM(TBarDockPosition, dpTop, dpBottom, dpLeft, dpRight)
using TBarDockableTo = TSet<TBarDockPosition>;
HV_ENUM(TBarDockBoundLine, blTop, blBottom, blLeft, blRight)
using TBarDockBoundLines = TSet<TBarDockBoundLine>;
HV_ENUM(TBarDockMode, dmCanFloat, dmCannotFloat, dmCannotFloatOrChangeDocks)
HV_ENUM(TBarDragHandleStyle, dhDouble, dhNone, dhSingle)
HV_ENUM(TBarFloatingMode, fmOnTopOfParentForm, fmOnTopOfAllForms)

extern const char* const SBarDockParentNotAllowed;      // 65013
extern const char* const SBarDockCannotChangePosition;  // 65014
extern const char* const SBarDockedToNameNotSet;        // 65015

// Notices of the framework's message range that the bars react to.
constexpr UINT CM_SYSCOLORCHANGE = CM_BASE + 36;
constexpr UINT CM_WININICHANGE = CM_BASE + 37;

// Hit codes of the non-client parts of dockable windows and their frames.
constexpr int HTBARDRAGHANDLE = 2000;
constexpr int HTBARCLOSEBUTTON = 2001;
constexpr int HTBARCAPTION = 2002;

// Shrink kinds of a window in a row.
constexpr int BarShrinkNone = 0;
constexpr int BarShrinkWrap = 1;
constexpr int BarShrinkChevron = 2;

using TBarInsertRemoveEvent = TEvent<void(TObject* Sender, bool Inserting, TBarCustomDockableWindow* Bar)>;
using TBarRequestDockEvent = TEvent<void(TObject* Sender, TBarCustomDockableWindow* Bar, bool& Accept)>;
using TBarDockChangingEvent = TEvent<void(TObject* Sender, bool Floating, class TBarDock* DockingTo)>;

// ---- the row arrangement, without windows ----

// One window of a dock as the row arrangement sees it. The inputs come from the window; the
// arrangement fills in the rest.
struct TBarRowWindow {
  int DockRow = 0;
  int DockPos = -1;
  bool Shown = true;
  bool FullSize = false;
  bool Stretch = false;
  bool OwnRow = false;
  bool Dragging = false;
  bool KeepOrder = false;
  int FullLength = 0;  // base size plus the non-client size along the row
  int MinLength = 0;   // the minimum length when shrinking
  int ShrinkKind = BarShrinkNone;
  void* Tag = nullptr;
  // results
  int Row = 0;
  int EffectiveRow = 0;  // -1 for windows not shown
  int Gap = 0;
  int Allotted = 0;
  int Overlap = 0;
  int Position = 0;
  bool ShrunkWhileDragging = false;
};

// Sorts the windows by (DockRow, DockPos), keeping a dragged window with the keep-order flag at
// its place, then gives each its row, position and length along a row of Available pixels.
// Returns the highest row.
int ArrangeDockRows(std::vector<TBarRowWindow>& Windows, int Available, bool LimitToOneRow);

// ---- the shared background ----

class TBarBasicBackground : public TComponent {
  HV_CLASS(TBarBasicBackground, TComponent)
 public:
  using TComponent::TComponent;
  virtual void Draw(HDC DC, const TRect& DrawRect) = 0;
  virtual HPALETTE GetPalette() = 0;
  virtual void RegisterChanges(const TNotifyEvent& Proc) = 0;
  virtual void SysColorChanged() = 0;
  virtual void UnregisterChanges(const TNotifyEvent& Proc) = 0;
  virtual bool UsingBackground() = 0;
};

// ---- the dock ----

class TBarDock : public TCustomControl {
  HV_CLASS(TBarDock, TCustomControl)
 public:
  explicit TBarDock(TComponent* AOwner);
  ~TBarDock() override;

  virtual bool AllowDragging() { return allowDrag_; }
  virtual void DrawBackground(HDC DC, const TRect& DrawRect);
  virtual bool UsingBackground();
  virtual void ArrangeToolbars();
  // Paints the background into a W x H area of DC whose corner is at Origin on the screen, as
  // the part of one picture that starts at the dock's parent's client corner.
  void PaintBackgroundAt(HDC DC, const TPoint& Origin, int W, int H);

  TBarDockPosition Position() const { return position_; }
  void SetPosition(TBarDockPosition Value);
  bool AllowDrag() const { return allowDrag_; }
  void SetAllowDrag(bool Value);
  TBarDockBoundLines BoundLines() const { return boundLines_; }
  void SetBoundLines(TBarDockBoundLines Value);
  TBarBasicBackground* Background() const { return background_; }
  void SetBackground(TBarBasicBackground* Value);
  bool BackgroundOnToolbars() const { return backgroundOnToolbars_; }
  void SetBackgroundOnToolbars(bool Value);
  bool FixAlign() const { return fixAlign_; }
  void SetFixAlign(bool Value);
  bool LimitToOneRow() const { return limitToOneRow_; }
  void SetLimitToOneRow(bool Value);
  bool Vertical() const { return position_ == dpLeft || position_ == dpRight; }

  void BeginUpdate() { ++arrangeLock_; }
  void EndUpdate();
  bool HasShownWindows() const { return !visible_.empty(); }
  bool IsWindowShown(TBarCustomDockableWindow* W) const;
  int GetWindowCount() const { return static_cast<int>(visible_.size()); }
  TBarCustomDockableWindow* GetWindow(int Index) const { return visible_[static_cast<size_t>(Index)]; }
  // Every window that belongs to the dock, docked or floating with it as its last dock.
  const std::vector<TBarCustomDockableWindow*>& WindowList() const { return windows_; }
  void CommitPositions();
  void SetCommitPending() { commitPending_ = true; }
  bool ArrangePending() const { return arrangePending_; }
  void ChangeVisibleList(TBarCustomDockableWindow* W, bool ForceRemove);
  void ChangeWindowList(bool Inserting, TBarCustomDockableWindow* W);
  // Bound lines at the sides and at the top and bottom.
  int NonClientWidth() const { return ncWidth_; }
  int NonClientHeight() const { return ncHeight_; }
  // The thickness of each row after the last arrangement, and whether it holds a full-size window.
  struct TRowInfo {
    int Thickness;
    bool HasFullSize;
  };
  std::vector<TRowInfo> RowInfo();

  TBarInsertRemoveEvent OnInsertRemoveBar;
  TBarRequestDockEvent OnRequestDock;

 protected:
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void AlignControls(TControl* AControl, TRect& Rect) override;
  void CreateParams(TCreateParams& Params) override;
  // At design time a dotted frame shows the dock's bounds.
  void Paint() override;
  TRect GetClientRect() override;
  void WndProc(TMessage& Message) override;

 public:
  void SetParent(TWinControl* AParent) override;

 private:
  friend class TBarCustomDockableWindow;
  static void PaintBoundLines(HWND Wnd, HDC DC, void* AppData);
  void BackgroundChanged(TObject* Sender);
  bool ForwardToFloating(TMessage& Message);
  // The new thickness, keeping the edge the dock is aligned to.
  void SetThickness(int Value);
  void RemoveWindow(TBarCustomDockableWindow* W);

  TBarDockPosition position_ = dpTop;
  bool allowDrag_ = true;
  TBarDockBoundLines boundLines_;
  TBarBasicBackground* background_ = nullptr;
  bool backgroundOnToolbars_ = true;
  bool fixAlign_ = false;
  bool commitPending_ = false;
  bool limitToOneRow_ = false;
  int arrangeLock_ = 0;
  bool arranging_ = false;
  bool arrangePending_ = false;
  int ncWidth_ = 0;
  int ncHeight_ = 0;
  TPoint clientSize_;  // the client size of the last WM_SIZE
  std::vector<TBarCustomDockableWindow*> windows_;
  std::vector<TBarCustomDockableWindow*> visible_;
};

// ---- dockable windows ----

// Hears whether a component it watches is freed while a loop runs for it: a handler the loop
// dispatches to may free the window the loop moves, and then nobody may touch it any more.
class TBarFreeWatch : public TComponent {
 public:
  TBarFreeWatch(std::initializer_list<TComponent*> Watched);
  ~TBarFreeWatch() override;
  bool Gone() const { return gone_; }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  std::vector<TComponent*> watched_;
  bool gone_ = false;
};

class TBarCustomDockableWindow : public TCustomControl {
  HV_CLASS(TBarCustomDockableWindow, TCustomControl)
 public:
  explicit TBarCustomDockableWindow(TComponent* AOwner);
  ~TBarCustomDockableWindow() override;

  // ---- virtual operations ----
  virtual TPoint GetNCSize();
  virtual bool CanDockTo(TBarDock* ADock) { return dockableTo_.Contains(ADock->Position()); }
  virtual bool PointOnChild(const TPoint& P);
  // The size of the contents. Recalc: a real layout for the window's own place; otherwise a
  // trial for the place ADock/AFloating that changes nothing.
  virtual void CalculateSize(bool Recalc, int DockKind, TPoint& NewSize, TBarDock* ADock, bool AFloating) = 0;
  virtual void DrawNCArea(HDC DC, bool DrawToDC);
  virtual TPoint GetBaseSize() = 0;
  virtual TRect GetDragHandleRect();
  virtual void SizeChanging(int, int) {}
  virtual int GetMinRowSize() { return 0; }
  virtual int GetShrinkMode() { return BarShrinkNone; }
  virtual TPoint GetFloatingBorderSize();
  // The minimum and maximum client sizes of the floating frame (0: none).
  virtual void GetMinMaxSize(TPoint& AMin, TPoint& AMax) { AMin = AMax = TPoint{}; }
  // The steps of an edge resize of the floating frame (Edge as the frame reports it).
  virtual void ResizeBegin(int) {}
  virtual bool ResizeTrack(TRect&, int, const TPoint&) { return false; }
  virtual void ResizeEnd(bool) {}
  // Extra values of the position record.
  struct TPositionData {
    bool Reading;
    void* IntProc;
    void* StringProc;
    void* ExtraData;
  };
  virtual void PositionDataExtra(const std::string&, TPositionData&) {}

  void Arrange();
  void BeginUpdate() { ++updateCount_; }
  int UpdateCount() const { return updateCount_; }
  void EndUpdate();
  void SetParent(TWinControl* AParent) override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void SetFloating(bool Value);
  void MoveOnScreen(bool OnlyWhenOffScreen);
  // The drag loop, from a grab point in client coordinates.
  void BeginMoving(int X, int Y);
  // The edge resize of the floating frame (edge 0-7).
  void BeginSizing(int Edge);
  void DoubleClick();
  void Close();

  // ---- state ----
  bool Docked() const { return currentDock_ != nullptr; }
  bool Floating() const { return floating_; }
  TBarFloatingWindowParent* FloatingParent() const { return floatingParent_; }
  // The form the window belongs to (for a floating window the form that owns its frame).
  TCustomForm* OwningForm();
  int DockingKind(TBarDock* ADock, bool AFloating) const;
  int ComputedRow() const { return computedRow_; }
  int ComputedPos() const { return computedPos_; }
  int AllottedLength() const { return allotted_; }
  void SetAllottedLength(int Value) { allotted_ = Value; }
  int RowThickness() const { return rowThickness_; }
  bool IsDragging() const { return dragging_; }
  TPoint FloatingPosition() const { return floatingPosition_; }
  void SetFloatingPosition(const TPoint& Value);
  bool CloseButtonHot() const { return closeHot_; }
  // Held down by the mouse while the close button is tracked.
  bool CloseButtonPushed() const { return closePushed_; }
  int DragHandleSize() const;
  TRect CloseButtonRect();
  // Converts the frame's hit test at a screen point (for tests and the frame).
  int DockedHitTest(const TPoint& ScreenPos);

  // ---- properties ----
  bool ActivateParent() const { return activateParent_; }
  void SetActivateParent(bool Value) { activateParent_ = Value; }
  bool AutoResize() const { return autoResize_; }
  void SetAutoResize(bool Value);
  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle Value);
  bool CloseButton() const { return closeButton_; }
  void SetCloseButton(bool Value);
  bool CloseButtonWhenDocked() const { return closeButtonWhenDocked_; }
  void SetCloseButtonWhenDocked(bool Value);
  TBarDock* CurrentDock() const { return currentDock_; }
  void SetCurrentDock(TBarDock* Value);
  bool DblClickUndock() const { return dblClickUndock_; }
  void SetDblClickUndock(bool Value) { dblClickUndock_ = Value; }
  TBarDock* DefaultDock() const { return defaultDock_; }
  void SetDefaultDock(TBarDock* Value);
  TBarDockableTo DockableTo() const { return dockableTo_; }
  void SetDockableTo(TBarDockableTo Value) { dockableTo_ = Value; }
  TBarDockMode DockMode() const { return dockMode_; }
  void SetDockMode(TBarDockMode Value) { dockMode_ = Value; }
  int DockPos() const { return dockPos_; }
  void SetDockPos(int Value);
  int DockRow() const { return dockRow_; }
  void SetDockRow(int Value);
  TBarDragHandleStyle DragHandleStyle() const { return dragHandleStyle_; }
  void SetDragHandleStyle(TBarDragHandleStyle Value);
  TBarFloatingMode FloatingMode() const { return floatingMode_; }
  void SetFloatingMode(TBarFloatingMode Value);
  bool FullSize() const { return fullSize_; }
  void SetFullSize(bool Value);
  bool HideWhenInactive() const { return hideWhenInactive_; }
  void SetHideWhenInactive(bool Value);
  TBarDock* LastDock() const { return lastDock_; }
  void SetLastDock(TBarDock* Value);
  bool Resizable() const { return resizable_; }
  void SetResizable(bool Value);
  bool ShowCaption() const { return showCaption_; }
  void SetShowCaption(bool Value);
  bool SmoothDrag() const { return smoothDrag_; }
  void SetSmoothDrag(bool Value) { smoothDrag_ = Value; }
  bool Stretch() const { return stretch_; }
  void SetStretch(bool Value);
  bool UseLastDock() const { return useLastDock_; }
  void SetUseLastDock(bool Value);
  // Forms other than the own one whose docks the window may enter while dragged.
  std::vector<TCustomForm*>& DockForms() { return dockForms_; }
  // The form file it came from was written by the running program (not by hand or a designer):
  // its floating position is already in screen coordinates.
  bool SavedAtRunTime() const { return savedAtRunTime_; }

  TNotifyEvent OnClose;
  TCloseQueryEvent OnCloseQuery;
  TNotifyEvent OnDockChanged;
  TBarDockChangingEvent OnDockChanging;
  TBarDockChangingEvent OnDockChangingHidden;
  TNotifyEvent OnMove;
  TNotifyEvent OnRecreated;
  TNotifyEvent OnRecreating;
  TNotifyEvent OnVisibleChanged;

 protected:
  void DefineProperties(TFiler* Filer) override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void WndProc(TMessage& Message) override;
  TRect GetClientRect() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void CMVisibleChanged(TMessage& Message) override;
  void CMTextChanged(TMessage& Message) override;
  // Makes the frame the window floats in; subclasses give frames of their own kind.
  virtual TBarFloatingWindowParent* CreateFloatingParent(TCustomForm* AOwningForm);
  // Corner hit codes on the floating frame, and clipping the cursor while resizing.
  bool resizeCorners_ = true;
  bool clipCursor_ = true;

 private:
  friend class TBarDock;
  friend class TBarFloatingWindowParent;
  friend struct TBarDragLoop;
  static void PaintNC(HWND Wnd, HDC DC, void* AppData);
  void UpdateFloatingFrame();
  // The dock shows its background through this docked window.
  bool DockBackgroundShown();
  // A move shows another part of that background at once, drawn off screen.
  void RepaintOverDockBackground();

  bool activateParent_ = true;
  bool autoResize_ = true;
  TFormBorderStyle borderStyle_ = bsSingle;
  bool closeButton_ = true;
  bool closeButtonWhenDocked_ = false;
  TBarDock* currentDock_ = nullptr;
  bool dblClickUndock_ = true;
  TBarDock* defaultDock_ = nullptr;
  TBarDockableTo dockableTo_{dpTop, dpBottom, dpLeft, dpRight};
  TBarDockMode dockMode_ = dmCanFloat;
  int dockPos_ = -1;
  int dockRow_ = 0;
  TBarDragHandleStyle dragHandleStyle_ = dhSingle;
  TBarFloatingMode floatingMode_ = fmOnTopOfParentForm;
  bool fullSize_ = false;
  bool hideWhenInactive_ = true;
  TBarDock* lastDock_ = nullptr;
  bool resizable_ = true;
  bool showCaption_ = true;
  bool smoothDrag_ = true;
  bool stretch_ = false;
  bool useLastDock_ = true;
  std::vector<TCustomForm*> dockForms_;

  bool floating_ = false;
  bool savedAtRunTime_ = false;
  int computedRow_ = -1;
  int computedPos_ = 0;
  int allotted_ = 0;
  int rowThickness_ = 0;
  bool ownRow_ = false;
  bool arrangePending_ = false;
  int settingBounds_ = 0;
  int updateCount_ = 0;
  int visibilityLock_ = 0;
  bool dragging_ = false;
  bool keepOrder_ = false;
  bool shrunkWhileDragging_ = false;
  bool smoothDragging_ = false;
  bool closePushed_ = false;
  bool closeHot_ = false;
  bool repaintPending_ = false;  // moved over the dock's background while the dock arranged
  TPoint floatingPosition_;
  TBarFloatingWindowParent* floatingParent_ = nullptr;
};

// The row a window dropped into a dock goes to, for the centre of its rectangle across the rows
// (dock coordinates); NewRow tells whether it opens a row of its own there.
int PickDockRow(const std::vector<TBarDock::TRowInfo>& Rows, int Centre, bool FullSize, bool& NewRow);

// ---- position records ----

using TBarPositionWriteIntProc = void (*)(const std::string& ToolbarName, const std::string& Value, int Data,
                                          void* ExtraData);
using TBarPositionWriteStringProc = void (*)(const std::string& ToolbarName, const std::string& Value,
                                             const std::string& Data, void* ExtraData);
using TBarPositionReadIntProc = int (*)(const std::string& ToolbarName, const std::string& Value, int Default,
                                        void* ExtraData);
using TBarPositionReadStringProc = std::string (*)(const std::string& ToolbarName, const std::string& Value,
                                                   const std::string& Default, void* ExtraData);

void SaveDockablePositions(TComponent* OwnerComponent, TBarPositionWriteIntProc WriteIntProc,
                           TBarPositionWriteStringProc WriteStringProc, void* ExtraData);
void LoadDockablePositions(TComponent* OwnerComponent, TBarPositionReadIntProc ReadIntProc,
                           TBarPositionReadStringProc ReadStringProc, void* ExtraData);
TBarDock* FindDock(TComponent* OwnerComponent, const std::string& AName);
