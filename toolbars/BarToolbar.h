// The toolbar window: a dockable window that shows an item tree as buttons or as a menu bar,
// with the chevron for what does not fit, wrapping, keyboard access and shortcut routing.
#pragma once

#include <memory>

#include "toolbars/BarChevron.h"
#include "toolbars/BarDock.h"
#include "toolbars/BarView.h"

HV_ENUM(TBarShrinkMode, tbsmNone, tbsmWrap, tbsmChevron)
HV_ENUM(TBarChevronPriorityForNewItems, tbcpHighest, tbcpLowest)

using TShortCutEvent = TEvent<void(TWMKey& Msg, bool& Handled)>;

class TBarCustomToolbar;

class TBarToolbarView : public TBarView {
  HV_CLASS(TBarToolbarView, TBarView)
 public:
  TBarToolbarView(TComponent* AOwner, TBarView* AParentView, TBarCustomItem* AParentItem, TWinControl* AWindow,
                  bool AIsToolbar, bool ACustomizing, bool AUsePriorityList);
  void FitWindow(int AWidth, int AHeight) override;
  void LayoutViewers(TPoint& ASize) override;
  TBarCustomItem* GetOverflowItem() override;
  TFont* ViewFont() override;
  void InvalidateLayout() override;

 private:
  TBarCustomToolbar* toolbar_;
};

// The sizes a floating toolbar may take while its frame is resized, and where the resize stands.
struct TBarFloatingResizeState {
  int SizingEdge = 0;
  struct Candidate {
    uint16_t Width, Height;
  };
  std::vector<Candidate> Sizes;
  int OrigLeft = 0, OrigTop = 0, OrigWidth = 0, OrigHeight = 0;
  int LeftBorder = 0;
  int FloatingWidth = 0;
  int StartFloatingWidth = 0;  // what an outline resize let go of with Escape keeps
  bool LastChanged = false;
  bool LastBelow = false;
  int DeadZone = 12;
  int ZeroWidthCandidate = -1;  // the entry measured at floating width 0
};

class TBarCustomToolbar : public TBarCustomDockableWindow, public IBarItemsHolder {
  HV_CLASS(TBarCustomToolbar, TBarCustomDockableWindow)
 public:
  explicit TBarCustomToolbar(TComponent* AOwner);
  ~TBarCustomToolbar() override;

  TBarRootItem* Items() const { return items_; }
  TBarToolbarView* View() const { return view_; }
  TBarChevronItem* ChevronItem() const { return chevronItem_; }

  void CalculateSize(bool Recalc, int DockKind, TPoint& NewSize, TBarDock* ADock, bool AFloating) override;
  TPoint GetBaseSize() override;
  int GetMinRowSize() override;
  int GetShrinkMode() override { return static_cast<int>(shrinkMode_); }
  bool PointOnChild(const TPoint& P) override;
  void GetMinMaxSize(TPoint& AMin, TPoint& AMax) override;
  void ResizeBegin(int Edge) override;
  bool ResizeTrack(TRect& R, int Edge, const TPoint& Cursor) override;
  void ResizeEnd(bool Accepted) override;
  void PositionDataExtra(const std::string& Name, TPositionData& Data) override;
  void InitiateAction() override;

  void BeginUpdate() { view_->BeginUpdate(); }
  void EndUpdate() { view_->EndUpdate(); }
  bool KeyboardOpen(wchar_t Key, bool RequirePrimaryAccel);
  TBarControlItem* CreateControlItem(int Index, TControl* AControl);
  // The shortcut test of the routing: OnShortCut, else the items.
  bool IsShortCut(TWMKey& Msg);
  int LineCount() const { return lineCount_; }
  const TBarFloatingResizeState* FloatingResizeState() const { return resize_.get(); }

  bool ChevronMoveItems() const { return chevronMoveItems_; }
  void SetChevronMoveItems(bool Value);
  TBarChevronPriorityForNewItems ChevronPriorityForNewItems() const { return chevronPriority_; }
  void SetChevronPriorityForNewItems(TBarChevronPriorityForNewItems Value);
  WideString ChevronHint() const { return chevronItem_->Hint(); }
  void SetChevronHint(const WideString& Value) { chevronItem_->SetChevronHint(Value); }
  bool IsChevronHintStored() const;
  int FloatingWidth() const { return floatRightX_; }
  void SetFloatingWidth(int Value);
  bool MenuBar() const { return menuBar_; }
  void SetMenuBar(bool Value);
  bool ProcessShortCuts() const { return processShortCuts_; }
  void SetProcessShortCuts(bool Value);
  TBarShrinkMode ShrinkMode() const { return shrinkMode_; }
  void SetShrinkMode(TBarShrinkMode Value);
  bool SystemFont() const { return systemFont_; }
  void SetSystemFont(bool Value);
  bool UpdateActions() const { return updateActions_; }
  void SetUpdateActions(bool Value) { updateActions_ = Value; }
  TBarItemOptions Options() const { return items_->Options(); }
  void SetOptions(TBarItemOptions Value) { items_->SetOptions(Value); }
  TCustomImageList* Images() const { return items_->SubMenuImages(); }
  void SetImages(TCustomImageList* Value) { items_->SetSubMenuImages(Value); }
  TBarCustomItem* LinkSubitems() const { return items_->LinkSubitems(); }
  void SetLinkSubitems(TBarCustomItem* Value) { items_->SetLinkSubitems(Value); }

  TShortCutEvent OnShortCut;

  // Form files hold the root's items inside the toolbar: an item read there joins the root, and
  // the items the form owns are written there, before the toolbar's own controls.
  TBarCustomItem* GetItems() override { return items_; }
  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;

 protected:
  // Subclasses give a root, a chevron and a view of their own kinds; the toolbar owns them.
  using TViewMaker = TBarToolbarView* (*)(TBarCustomToolbar* AToolbar, TBarRootItem* ARoot, bool AUsePriorityList);
  // Takes the root item and the chevron item, which it frees.
  TBarCustomToolbar(TComponent* AOwner, std::unique_ptr<TBarRootItem> ARoot, std::unique_ptr<TBarChevronItem> AChevron,
                    TViewMaker MakeView);
  void Loaded() override;
  void AlignControls(TControl* AControl, TRect& Rect) override;
  void Paint() override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void DoContextPopup(TPoint MousePos, bool& Handled) override;
  void WndProc(TMessage& Message) override;

 public:
  // Controls behind the chevron take no focus from the Tab key.
  void GetTabOrderList(std::vector<TWinControl*>& List) override;

 private:
  friend class TBarToolbarView;
  void SetViewOffsets();
  // Wrap offset and available length of a layout for a place.
  void OffsetsFor(TBarDock* ADock, bool AFloating, int& Wrap, int& Available);
  TPoint TrialSize(TBarDock* ADock, bool AFloating, int* Lines);
  void UpdateShortCutRegistration();
  void ClearHot();
  void ReArrange();

  TPoint baseSize_;
  int updateNesting_ = 0;
  TBarChevronItem* chevronItem_ = nullptr;
  bool chevronMoveItems_ = true;
  TBarChevronPriorityForNewItems chevronPriority_ = tbcpHighest;
  int floatRightX_ = 0;
  bool mouseDown_ = false;
  TBarRootItem* items_ = nullptr;
  int lineCount_ = 1;
  bool menuBar_ = false;
  bool processShortCuts_ = false;
  bool shortCutRegistered_ = false;
  bool menuHookInstalled_ = false;
  TBarShrinkMode shrinkMode_ = tbsmChevron;
  std::unique_ptr<TBarFloatingResizeState> resize_;
  bool systemFont_ = true;
  bool updateActions_ = true;
  TBarToolbarView* view_ = nullptr;
  TPoint lastFit_;
};

// The toolbars that take part in the application's shortcut routing.
const std::vector<TBarCustomToolbar*>& ShortCutToolbars();
// The hook on the application window: key-downs go to the toolbars' items, system commands to
// menu bars. True when the message was taken.
bool ToolbarMainWindowHook(TMessage& Message);

// Where the floating resize of a toolbar goes for a raw size along the resize's axis.
int ChooseFloatingCandidate(const TBarFloatingResizeState& State, int RawSize, bool Vertical);
