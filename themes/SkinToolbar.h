// The windows of the skinned items: the toolbar with its display modes, the customizing drag and
// drop of its items, anchored and right-aligned items and background events; the dock, the popup
// windows and menu, the compound control that hosts a private dock and toolbar, the status
// toolbar with its size grip, the themed system menu, and the stepping between viewers.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "framework/DragDrop.h"
#include "themes/SkinItem.h"

class TSkinToolbar;
class TSkinDock;
class TSkinPopupMenu;

HV_ENUM(TSkinToolbarDisplayMode, tbdmSelectiveCaption, tbdmImageOnly, tbdmImageAboveCaption, tbdmTextOnly)

using TSkinDrawEvent =
    TEvent<void(TObject* Sender, TCanvas* ACanvas, TRect ARect, TSkinPaintStage PaintStage, bool& PaintDefault)>;
using TSkinItemNotificationEvent = TEvent<void(TObject* Sender, TBarCustomItem* Ancestor, bool Relayed,
                                               TBarItemChangedAction Action, int Index, TBarCustomItem* Item)>;
using TSkinPopupEvent = TEvent<void(TObject* Sender, TBarView* PopupView)>;

// Posted to the control a skinned popup menu opened along (and to its children) when the menu
// closed, with the menu in WParam.
constexpr UINT WM_SKINPOPUPCLOSED = 0xB457;

class TSkinToolbarView : public TUiToolbarView {
  HV_CLASS(TSkinToolbarView, TUiToolbarView)
 public:
  using TUiToolbarView::TUiToolbarView;
  // The largest thickness an item may take across the toolbar; -1 for no limit.
  int MaxItemSize() const { return maxItemSize_; }
  void SetMaxItemSize(int Value);

 private:
  int maxItemSize_ = -1;
};

// The chevron of a skinned toolbar: its menu lists the hidden items in a column when the
// toolbar asks for it.
class TSkinChevronItem : public TUiChevronItem {
  HV_CLASS(TSkinChevronItem, TUiChevronItem)
 public:
  explicit TSkinChevronItem(TComponent* AOwner) : TUiChevronItem(AOwner) {}
  TBarPopupWindowClass PopupWindowClass() override;
};

// The frame a skinned toolbar floats in: the system never draws its title, the theme draws the
// toolbar's Unicode caption there.
class TSkinFloatingWindowParent : public TUiFloatingWindowParent {
  HV_CLASS(TSkinFloatingWindowParent, TUiFloatingWindowParent)
 public:
  using TUiFloatingWindowParent::TUiFloatingWindowParent;
  // Draws the toolbar's Unicode caption into the title area of the frame (window
  // coordinates), over what the theme painted there.
  void PaintCaptionText(HDC DC);

 protected:
  void WndProc(TMessage& Message) override;
};

// The item a toolbar drags while customizing.
class TSkinItemDragObject : public TDragObject {
  HV_CLASS(TSkinItemDragObject, TDragObject)
 public:
  TSkinItemDragObject(TSkinToolbar* ASourceToolbar, TBarCustomItem* ASourceItem)
      : sourceToolbar_(ASourceToolbar), sourceItem_(ASourceItem) {}
  TSkinToolbar* SourceToolbar() const { return sourceToolbar_; }
  TBarCustomItem* SourceItem() const { return sourceItem_; }
  TCursor GetDragCursor(bool Accepted, int X, int Y) override;

 private:
  TSkinToolbar* sourceToolbar_;
  TBarCustomItem* sourceItem_;
};

// What a toolbar remembers of an anchored control item: the control's first size and the dock
// size it was taken at.
struct TSkinItemCache {
  TBarCustomItem* Item = nullptr;
  int Width = 0;
  int Height = 0;
  TPoint DockSize;
};

class TSkinToolbar : public TUiToolbar {
  HV_CLASS(TSkinToolbar, TUiToolbar)
 public:
  explicit TSkinToolbar(TComponent* AOwner);
  ~TSkinToolbar() override;

  WideString Caption();
  void SetCaption(const WideString& Value);
  WideString Hint();
  void SetHint(const WideString& Value);
  bool ChevronVertical() const { return chevronVertical_; }
  void SetChevronVertical(bool Value) { chevronVertical_ = Value; }
  bool Customizable() const { return customizable_; }
  void SetCustomizable(bool Value) { customizable_ = Value; }
  TSkinToolbarDisplayMode DisplayMode() const { return displayMode_; }
  void SetDisplayMode(TSkinToolbarDisplayMode Value);
  // Part of a compound control: controls put on it get control items.
  bool Compound() const { return compound_; }
  void SetCompound(bool Value) { compound_ = Value; }

  // Raised while a customize dialog is open; lowering stops at 0.
  void BeginCustomize() { ++customizing_; }
  void EndCustomize() { customizing_ = std::max(0, customizing_ - 1); }
  bool IsCustomizing() const { return customizing_ > 0; }
  int CustomizingCount() const { return customizing_; }
  // Suppresses item notifications and anchoring while above 0.
  void BeginItemDrag() { ++dragDisabled_; }
  void EndItemDrag() { dragDisabled_ = std::max(0, dragDisabled_ - 1); }
  bool IsItemDragDisabled() const { return dragDisabled_ > 0; }

  // The drop index for a client point: the index in the root of the item under it (a group
  // standing for all its viewers), plus 1 beyond its middle; -1 without one. Mark receives the
  // insertion bar.
  int GetDropIndex(const TPoint& P, TRect& Mark);
  const TRect& DropMarkRect() const { return dropMark_; }

  TSkinDrawEvent OnDrawBackground;
  TSkinItemNotificationEvent OnItemNotification;

  void DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept) override;
  void DragDrop(TObject* Source, int X, int Y) override;

  virtual bool CanDragCustomize(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual int GetRightAlignMargin();
  virtual void AnchorItems(bool Recalc);
  virtual void RightAlignItems();
  virtual bool CanItemClick(int X, int Y);
  virtual void DoDrawBackground(TCanvas* ACanvas, const TRect& ARect, TSkinPaintStage PaintStage, bool& PaintDefault);
  virtual void DoItemClick(TBarCustomItem* AItem, TMouseButton Button);
  virtual void DoItemNotification(TBarCustomItem* Ancestor, bool Relayed, TBarItemChangedAction Action, int Index,
                                  TBarCustomItem* Item);

  const std::vector<TSkinItemCache>& ItemCache() const { return cache_; }

 protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void WndProc(TMessage& Message) override;
  void Resize() override;
  void DefineProperties(TFiler* Filer) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void DoStartDrag(TDragObject*& DragObject) override;
  TBarFloatingWindowParent* CreateFloatingParent(TCustomForm* AOwningForm) override;
  void DoEndDrag(TObject* Target, int X, int Y) override;

 private:
  void ItemsChanged(TBarCustomItem* Sender, bool Relayed, TBarItemChangedAction Action, int Index,
                    TBarCustomItem* Item);
  void InvalidateMark();
  void EraseBackground(TMessage& Message);
  void ShowHint(TMessage& Message);
  bool DialogChar(TMessage& Message);
  int DockLength(bool& Vertical);

  bool chevronVertical_ = true;
  bool compound_ = false;
  bool customizable_ = true;
  int customizing_ = 0;
  int dragDisabled_ = 0;
  TSkinToolbarDisplayMode displayMode_ = tbdmSelectiveCaption;
  bool updating_ = false;
  TRect dropMark_;
  int anchorBase_ = 0;
  TBarItemViewer* draggedViewer_ = nullptr;
  std::vector<TSkinItemCache> cache_;
  WideString hint_;
  std::unique_ptr<TSkinItemDragObject> dragObject_;
};

// Raises (Lower false) or lowers the customizing count of every skinned toolbar among Parent's
// direct children.
void SetToolbarsCustomizing(TWinControl* Parent, bool Lower);

class TSkinDock : public TUiDock {
  HV_CLASS(TSkinDock, TUiDock)
 public:
  explicit TSkinDock(TComponent* AOwner);
  TSkinDrawEvent OnDrawBackground;
  TNotifyEvent OnCanResize;
  bool UsingBackground() override;
  void DrawBackground(HDC DC, const TRect& DrawRect) override;
  virtual void DoDrawBackground(TCanvas* ACanvas, const TRect& ARect, TSkinPaintStage PaintStage, bool& PaintDefault);

 protected:
  void Resize() override;

 private:
  int prevWidth_ = 0;
  int prevHeight_ = 0;
};

class TSkinPopupWindowView : public TUiPopupView {
  HV_CLASS(TSkinPopupWindowView, TUiPopupView)
 public:
  using TUiPopupView::TUiPopupView;
};

class TSkinPopupWindow : public TUiPopupWindow {
  HV_CLASS(TSkinPopupWindow, TUiPopupWindow)
 public:
  explicit TSkinPopupWindow(TComponent* AOwner) : TUiPopupWindow(AOwner) {}
  ~TSkinPopupWindow() override;
  void CreatePopupWindow(TBarView* AParentView, TBarCustomItem* AItem, bool ACustomizing) override;

 private:
  TBarCustomItem* item_ = nullptr;
};

class TSkinChevronPopupWindow : public TUiChevronPopupWindow {
  HV_CLASS(TSkinChevronPopupWindow, TUiChevronPopupWindow)
 public:
  explicit TSkinChevronPopupWindow(TComponent* AOwner) : TUiChevronPopupWindow(AOwner) {}
  void CreatePopupWindow(TBarView* AParentView, TBarCustomItem* AItem, bool ACustomizing) override;
};

class TSkinPopupMenu : public TUiPopupMenu {
  HV_CLASS(TSkinPopupMenu, TUiPopupMenu)
 public:
  explicit TSkinPopupMenu(TComponent* AOwner) : TUiPopupMenu(AOwner) {}
  TSkinPopupEvent OnInitPopup;
  void Popup(int X, int Y) override;
  // Opens the menu at (X, Y), or along PopupControl's screen rectangle, and returns the chosen
  // item once it has run (null when the menu was cancelled).
  virtual TBarCustomItem* InternalPopup(int X, int Y, bool ForceFocus, TControl* PopupControl = nullptr);
  virtual void DoInitPopup(TBarView* PopupView);
};

// A control holding a private dock and toolbar: its items are the toolbar's; controls put on
// it are hosted by control items.
class TSkinCompoundItemsControl : public TCustomControl {
  HV_CLASS(TSkinCompoundItemsControl, TCustomControl)
 public:
  explicit TSkinCompoundItemsControl(TComponent* AOwner);
  ~TSkinCompoundItemsControl() override;
  // The parts are made on first use, so that a subclass's kinds are asked for.
  TSkinDock* Dock();
  TSkinToolbar* Toolbar();
  TBarRootItem* Items();
  TCustomImageList* Images();
  void SetImages(TCustomImageList* Value);
  virtual void RepaintAll();

 protected:
  // The kinds of the parts; the defaults make a skinned dock and toolbar.
  virtual TSkinDock* CreateDock();
  virtual TSkinToolbar* CreateToolbar();
  void CreateParams(TCreateParams& Params) override;
  void Loaded() override;
  void CreateWnd() override;
  void WndProc(TMessage& Message) override;
  void MakeParts();

 private:
  TSkinDock* dock_ = nullptr;
  TSkinToolbar* toolbar_ = nullptr;
};

// A toolbar at the foot of a form, with a size grip at its far end.
class TSkinStatusToolbar : public TSkinToolbar {
  HV_CLASS(TSkinStatusToolbar, TSkinToolbar)
 public:
  explicit TSkinStatusToolbar(TComponent* AOwner);
  bool SizeGrip() const { return sizeGrip_; }
  void SetSizeGrip(bool Value);
  // Whether the grip shows now: sizable parent form, not maximized.
  bool GripShown();
  // The grip's rectangle in client coordinates (empty when not shown).
  TRect GripRect();
  int GetRightAlignMargin() override;

 protected:
  void WndProc(TMessage& Message) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;

 private:
  bool sizeGrip_ = true;
};

// ---- the themed system menu ----

// Copies Wnd's system menu into Menu (captions, separators, sub-menus, disabled, checked and
// default states) with the close, maximize, minimize and restore glyphs, shown and enabled by
// the window's state. The commands of the items are their Tag.
void FillSkinSystemMenu(HWND Wnd, TSkinPopupMenu* Menu);
// Carries out a system command chosen there: maximize and restore through the form's window
// state, the others as WM_SYSCOMMAND.
void RunSkinSystemCommand(HWND Wnd, UINT Command);

// ---- stepping between viewers ----

// Decides whether a viewer passes (Passed may be changed); Stop ends the search with the answer.
using TSkinViewerFilter = std::function<void(TBarItemViewer* Viewer, bool& Passed, bool& Stop)>;
// The next viewer of View from Start in a direction that passes the tests asked for; null when
// the search leaves the view, or when AdjacentOnly and the neighbour failed.
TBarItemViewer* StepViewer(TBarView* View, TBarItemViewer* Start, bool Forward, bool VisibleOnly, bool ShownOnly,
                           bool SameRow, bool AdjacentOnly, const TSkinViewerFilter& Filter = {});

// Makes every skinned and themed class that a form file may name known by its class name.
void RegisterSkinClasses();
