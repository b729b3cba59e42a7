// Views: the sub-items of one item shown inside one window (a toolbar or a popup menu). A view
// owns a viewer per shown item, follows the item tree through its change notifications, lays
// the viewers out (rows, wrapping, separators, chevron overflow, scrolling), paints them, keeps
// the selection, and handles the keyboard while a menu is modal.
#pragma once

#include <vector>

#include "framework/Component.h"
#include "framework/Controls.h"
#include "toolbars/BarItem.h"
#include "toolbars/BarItemViewer.h"

HV_ENUM(TBarViewOrientation, orHorizontal, orVertical, orFloating)
HV_ENUM(TBarViewStateFlag, vstModal, vstMouseInside, vstPaintInOrder, vstOpenLeft, vstSkipFirstMouseUp, vstAccelsShown,
        vstMenusDropped, vstNoAnimation)
using TBarViewState = TSet<TBarViewStateFlag>;
HV_ENUM(TBarViewStyleFlag, vsyMenuBar, vsyHideAccelsUntilKey, vsyHintsAlways)
using TBarViewStyle = TSet<TBarViewStyleFlag>;

// Timers of a view: kind K runs as timer id BarViewTimerBase + K on the view's window.
constexpr int tiOpen = 0;
constexpr int tiClose = 1;
constexpr int tiScrollUp = 2;
constexpr int tiScrollDown = 3;
constexpr UINT_PTR BarViewTimerBase = 9000;

// Height of the scroll strips of a long popup view.
constexpr int BarScrollStripHeight = 19;

// How a modal menu ended.
constexpr int tbdaNone = 0;
constexpr int tbdaCancel = 1;
constexpr int tbdaClickItem = 2;
constexpr int tbdaOpenSystemMenu = 3;
constexpr int tbdaHelpContext = 4;

struct TBarDoneActionData {
  int DoneAction = tbdaNone;
  TBarCustomItem* ClickItem = nullptr;  // tbdaClickItem
  bool Sound = false;                   // tbdaClickItem: the click happened in a popup view
  HWND Wnd = nullptr;                   // tbdaOpenSystemMenu
  Word Key = 0;                         // tbdaOpenSystemMenu
  int ContextID = 0;                    // tbdaHelpContext
};

// What one pass of the layout gives.
struct TBarLayoutResult {
  TPoint BaseSize;
  TPoint TotalSize;
  int WrappedLines = 1;
  bool Changed = false;
};

// The font of menus and toolbars: the system's menu font, made on first use. Rebuilt when the
// system's metrics change.
TFont* GetToolbarFont();
void UpdateToolbarFont();

class TBarView : public TComponent {
  HV_CLASS(TBarView, TComponent)
 public:
  TBarView(TComponent* AOwner, TBarView* AParentView, TBarCustomItem* AParentItem, TWinControl* AWindow,
           bool AIsToolbar, bool ACustomizing, bool AUsePriorityList);
  ~TBarView() override;

  // ---- virtual operations ----
  virtual void FitWindow(int AWidth, int AHeight);
  virtual void LayoutViewers(TPoint& ASize);
  virtual TBarCustomItem* GetOverflowItem() { return nullptr; }
  virtual void GetPadding(TBarViewOrientation AOrientation, TRect& Margins);
  virtual TBarCustomItem* GetTrailingGroup() { return nullptr; }
  virtual TBarCustomItem* GetLeadingItem() { return nullptr; }
  virtual void HandleKey(Word& Key, TShiftState Shift);
  virtual void HandleWheel(int WheelDelta, int X, int Y);
  virtual TFont* ViewFont();
  virtual void InvalidateLayout();

  // ---- layout ----
  void UpdatePositions();
  void ValidatePositions();
  void ValidateIfIdle();
  void BeginUpdate() { ++updateCount_; }
  // Between BeginUpdate and the matching EndUpdate, which lays out once.
  bool Updating() const { return updateCount_ > 0; }
  void EndUpdate();
  // One pass of the layout with the given settings. With AApply the result goes to the viewers
  // (and hosted controls); otherwise it is a trial that changes nothing but the measures.
  TBarLayoutResult CalculatePositions(bool AApply, TBarViewOrientation AOrientation, int AWrapOffset,
                                      int AChevronOffset, int AChevronSize);
  bool PositionsValid() const { return positionsValid_; }

  // ---- viewers ----
  int ViewerCount() const { return static_cast<int>(viewers_.size()); }
  TBarItemViewer* Viewers(int Index) const { return viewers_[static_cast<size_t>(Index)]; }
  TBarItemViewer* Find(TBarCustomItem* AItem) const;
  // The item's viewer, or null where Find raises: while the view is being rebuilt it may have
  // none for an item of its toolbar.
  TBarItemViewer* FindOrNull(const TBarCustomItem* AItem) const;
  int IndexOf(const TBarItemViewer* AViewer) const;
  TBarItemViewer* ViewerFromPoint(const TPoint& P);
  void RebuildViewers();
  const std::vector<TBarItemViewer*>& PriorityList() const { return priorityList_; }
  void Invalidate(TBarItemViewer* AViewer);

  // ---- chain of views ----
  TBarView* GetRootView();
  bool HasInParentChain(const TBarView* AView) const;
  TBarView* NearestToolbarView();
  TBarView* ParentView() const { return parentView_; }
  TBarCustomItem* ParentItem() const { return parentItem_; }
  TBarCustomItem* LinkItem() const { return linkItem_; }
  TBarView* ChevronParentView() const { return chevronParentView_; }
  void SetChevronParentView(TBarView* Value);

  // ---- selection ----
  TBarItemViewer* Selected() const { return selected_; }
  bool SelectedViaMouse() const { return selectedViaMouse_; }
  void Select(TBarItemViewer* AViewer) { ChangeSelection(AViewer, false); }
  void ChangeSelection(TBarItemViewer* AViewer, bool ViaMouse);
  // P: a screen point, or null when the mouse left.
  void SelectFromMouse(const TPoint* P, bool AllowNew);
  TBarItemViewer* NextSelectable(TBarItemViewer* AViewer, bool GoForward);
  TBarItemViewer* FirstCandidate();
  TBarItemViewer* FindByAccelerator(TBarItemViewer* Start, wchar_t Key, bool& Unique, bool RequirePrimaryAccel);
  bool MouseOverSelected() const { return mouseOverSelected_; }
  bool MouseTracking() const { return mouseTracking_; }
  void SetMouseTracking(bool Value) { mouseTracking_ = Value; }
  void CancelMouseTracking() { mouseTracking_ = false; }

  // ---- sub-menus ----
  bool OpenSubmenu(bool SelectFirstItem);
  void CloseSubmenu();
  void CloseAllSubmenus();
  TBarItemViewer* OpenViewer() const { return openViewer_; }
  TBarView* OpenViewerView() const { return openViewerView_; }
  TWinControl* OpenViewerWindow() const { return openViewerWindow_; }
  // Called by the popup that an item opened for a viewer of this view.
  void SetOpenViewer(TBarItemViewer* AViewer, TBarView* AView, TWinControl* AWindow);

  // ---- ending a menu ----
  void RunSelection(bool AGivePriority);
  void CancelMenu();
  void FinishWithClick(TBarItemViewer* AViewer);
  void FinishWithSystemMenu(HWND AWnd, Word AKey);
  void FinishWithHelp(int AContext);
  const TBarDoneActionData& DoneActionData() const { return doneActionData_; }
  void ClearDoneAction() { doneActionData_ = {}; }
  void PromoteViewer(TBarItemViewer* AViewer);
  // Runs the modal menu loop on this toolbar view; the chosen command runs after it ended.
  void RunToolbarMenuLoop(int Options);

  // ---- timers and scrolling ----
  void StartTimer(int AKind, UINT AInterval);
  void StopTimer(int AKind);
  void StopAllTimers();
  bool TimerRunning(int AKind) const { return (activeTimers_ >> AKind) & 1u; }
  // A timer of kind AKind went off.
  void TimerFired(int AKind);
  void ScrollByItem(bool ADown);
  void RevealSelection();
  int ScrollOffset() const { return scrollOffset_; }
  bool ShowUpArrow() const { return showUpArrow_; }
  bool ShowDownArrow() const { return showDownArrow_; }
  int MaxHeight() const { return maxHeight_; }
  void SetMaxHeight(int Value);
  int WheelAccumulator() const { return wheelAccumulator_; }

  // ---- painting ----
  void PaintViewers(TCanvas* Canvas);
  void ShowAccelerators(bool AShow);
  TColor BackgroundColor() const { return backgroundColor_; }
  void SetBackgroundColor(TColor Value) { backgroundColor_ = Value; }

  // ---- settings ----
  bool IsPopup() const { return isPopup_; }
  bool IsToolbar() const { return isToolbar_; }
  void SetIsToolbar(bool Value) { isToolbar_ = Value; }
  bool Customizing() const { return customizing_; }
  TBarViewOrientation Orientation() const { return orientation_; }
  void SetOrientation(TBarViewOrientation Value);
  int WrapOffset() const { return wrapOffset_; }
  void SetWrapOffset(int Value);
  // The available length beyond which items overflow into the chevron (0: no overflow).
  int ChevronOffset() const { return chevronOffset_; }
  void SetChevronOffset(int Value);
  int ChevronSize() const { return chevronSize_; }
  void SetChevronSize(int Value);
  TPoint BaseSize() const { return baseSize_; }
  TBarViewState State() const { return state_; }
  void SetState(TBarViewState Value) { state_ = Value; }
  TBarViewStyle Style() const { return style_; }
  void SetStyle(TBarViewStyle Value) { style_ = Value; }
  bool UsePriorityList() const { return usePriorityList_; }
  void SetUsePriorityList(bool Value);
  bool NewViewersGetHighestPriority() const { return newViewersFirst_; }
  void SetNewViewersGetHighestPriority(bool Value) { newViewersFirst_ = Value; }
  TRect MonitorRect() const { return monitorRect_; }
  void SetMonitorRect(const TRect& Value) { monitorRect_ = Value; }
  TWinControl* Window() const { return window_; }
  HWND CaptureWnd() const { return captureWnd_; }
  void SetCaptureWnd(HWND Value) { captureWnd_ = Value; }
  // Whether the underlines of accelerators are drawn.
  bool ShowingAccelerators();
  void AddTabStops(std::vector<TWinControl*>& List);

  // ---- accessibility ----
  // The viewers a screen reader reaches: shown ones, ones scrolled out of sight and ones behind
  // the chevron, counted, numbered and walked by one rule. Children are numbered from 1.
  int AccChildCount();
  TBarItemViewer* AccChild(int Index);
  int AccChildIndex(const TBarItemViewer* AViewer);
  // The accessibility object that speaks for this view while a client holds it.
  void* AccObject = nullptr;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Where the mouse was when the message being handled was sent (screen coordinates).
  virtual TPoint MessagePos();
  // Whether a screen point lies on this view's window (disabled windows included).
  virtual bool PointOnWindow(const TPoint& P);
  TPoint ScreenToWindow(const TPoint& P);

 private:
  void ParentItemChanged(TBarCustomItem* Sender, bool Relayed, TBarItemChangedAction Action, int Index,
                         TBarCustomItem* Item);
  void LinkItemChanged(TBarCustomItem* Sender, bool Relayed, TBarItemChangedAction Action, int Index,
                       TBarCustomItem* Item);
  void SetLinkItem(TBarCustomItem* Value);
  int AddViewersFor(int Index, TBarCustomItem* AItem, int AGroupLevel);
  void InsertViewersFor(TBarCustomItem* Sender, bool Relayed, int Index, TBarCustomItem* Item);
  void DeleteViewersOf(TBarCustomItem* Item);
  void RecreateViewersOf(TBarCustomItem* Item);
  void FreeViewers();
  void RemoveViewer(TBarItemViewer* AViewer);
  bool IsCandidate(TBarItemViewer* V) const;
  bool UseDisabledShadowFor(TBarItemViewer* V, bool Selected);
  void PaintViewer(TCanvas* Canvas, TBarItemViewer* V);
  void UpdateScrollTimers(const TPoint* P);
  void ScrollBy(int ADelta);
  void RepaintWindowNow();

  unsigned activeTimers_ = 0;
  TPoint baseSize_;
  bool mouseTracking_ = false;
  HWND captureWnd_ = nullptr;
  int chevronOffset_ = 0;
  int chevronSize_ = 0;
  TBarView* chevronParentView_ = nullptr;
  TBarCustomItem* linkItem_ = nullptr;
  bool customizing_;
  TBarDoneActionData doneActionData_;
  int frontCount_ = 0;
  int endCount_ = 0;
  bool isPopup_;
  bool isToolbar_;
  int maxHeight_ = 0;
  TRect monitorRect_;
  bool mouseOverSelected_ = false;
  bool newViewersFirst_ = true;
  TBarItemViewer* openViewer_ = nullptr;
  TBarView* openViewerView_ = nullptr;
  TWinControl* openViewerWindow_ = nullptr;
  TBarView* parentView_;
  TBarCustomItem* parentItem_;
  std::vector<TBarItemViewer*> priorityList_;
  TBarViewOrientation orientation_ = orHorizontal;
  int scrollOffset_ = 0;
  TBarItemViewer* selected_ = nullptr;
  bool selectedViaMouse_ = false;
  bool showDownArrow_ = false;
  bool showUpArrow_ = false;
  TBarViewState state_;
  TBarViewStyle style_;
  int updateCount_ = 0;
  bool usePriorityList_;
  bool positionsValid_ = false;
  std::vector<TBarItemViewer*> viewers_;
  int wheelAccumulator_ = 0;
  TWinControl* window_;
  int wrapOffset_ = 0;
  TColor backgroundColor_ = clMenu;
  bool inLayout_ = false;
};

class TBarPopupView : public TBarView {
  HV_CLASS(TBarPopupView, TBarView)
 public:
  using TBarView::TBarView;
  void FitWindow(int AWidth, int AHeight) override;
  TFont* ViewFont() override;
};
