// Tabs: the tab styles and the painting of a tab strip's pane and of single tabs in each style.
#pragma once

#include "framework/Graphics.h"
#include "framework/TypeInfo.h"
#include "framework/Types.h"

HV_ENUM(TSkinTabThemeType, tttNone, tttWindows, tttUi, tttFlat)
HV_ENUM(TSkinTabPosition, ttpTop, ttpBottom)

// The style a tab really paints in: tttUi is tttWindows under the theme "Default", and
// tttWindows is tttNone without visual styles.
TSkinTabThemeType GetTabThemeTypeInUse(TSkinTabThemeType Style);
// Whether the current theme draws tttUi tabs upside down.
bool TabUiStyleFlipped();
// How far the active tab reaches into the pane below it.
int ActiveTabExtension(TSkinTabThemeType StyleInUse, TSkinTabPosition Position);

// The pane under the tabs, in a style already resolved by GetTabThemeTypeInUse.
void DrawTabToolbarBackground(TCanvas* ACanvas, const TRect& ARect, TColor AColor, TSkinTabThemeType Style,
                              TSkinTabPosition Position);
// One tab: EdgeKind 0 a tab in the middle, 1 at the left edge, 2 at the right edge. The brush
// colour of ACanvas fills flat tabs.
void DrawTabItemBackground(TCanvas* ACanvas, const TRect& ARect, bool Enabled, int EdgeKind, TSkinTabThemeType Style,
                           bool Flip, bool Focused, bool Hot, bool Checked);

// ---- the tab set ----

#include <memory>
#include <vector>

#include "themes/SkinToolbar.h"
#include "themes/UiDkPanels.h"

class TSkinTabToolbar;
class TSkinCustomTabSet;
class TSkinCustomTabControl;

using TSkinTabChangeEvent = TEvent<void(TObject* Sender, int TabIndex)>;
using TSkinTabChangingEvent = TEvent<void(TObject* Sender, int TabIndex, int NewTabIndex, bool& Allow)>;

// Every tab item of a tab set belongs to this radio group.
constexpr int SkinTabGroupIndex = 7777;
// Posted to a tab set after a tab that was clicked away went: the active tab is applied again.
constexpr UINT UM_TABDELETED = 8801;
// Posted to a tab toolbar after a resize: the tabs are fitted to the new width.
constexpr UINT UM_FITTABS = WM_USER + 8802;

// One tab: an item of a tab toolbar; exactly one of a tab set is checked, the active one.
class TSkinTabItem : public TSkinCustomItem {
  HV_CLASS(TSkinTabItem, TSkinCustomItem)
 public:
  explicit TSkinTabItem(TComponent* AOwner);
  ~TSkinTabItem() override;

  // On a tab toolbar these are the toolbar's (the item's own values are fall-backs).
  TSkinTabPosition TabPosition();
  void SetTabPosition(TSkinTabPosition Value);
  TSkinTabThemeType ThemeType();
  void SetThemeType(TSkinTabThemeType Value);
  TColor TabColor();
  TSkinTabToolbar* TabToolbar() const;

  void DoClick() override;
  void DoDrawAdjustFont(TFont* AFont, int State) override;
  void DoDrawItem(TCanvas* ACanvas, const TRect& ARect, const TUiItemInfo& ItemInfo, TSkinPaintStage PaintStage,
                  bool& PaintDefault) override;
  void DoDrawCaption(TCanvas* ACanvas, const TRect& ClientAreaRect, WideString& ACaption, TRect& CaptionRect,
                     Cardinal& CaptionFormat, bool IsTextRotated, TSkinPaintStage PaintStage,
                     bool& PaintDefault) override;
  void DoDrawImage(TCanvas* ACanvas, const TUiItemInfo& ItemInfo, TSkinPaintStage PaintStage,
                   TCustomImageList*& AImageList, int& AImageIndex, TRect& ARect, bool& PaintDefault) override;
  // A tab never shows or hides its sheet by itself.
  void ToggleControl() override {}
  virtual void DrawTab(TCanvas* ACanvas, const TRect& ARect, int EdgeKind, bool Separator, TSkinTabPosition Position,
                       bool Hot, bool Checked, bool Enabled);

 private:
  TSkinTabPosition tabPosition_ = ttpTop;
  TSkinTabThemeType themeType_ = tttWindows;
  // The item state of the painting under way was pushed (its caption is drawn after it).
  bool pushedPaint_ = false;
};

// The drag object of a tab being moved to another place.
class TSkinTabItemDragObject : public TSkinItemDragObject {
  HV_CLASS(TSkinTabItemDragObject, TSkinItemDragObject)
 public:
  using TSkinItemDragObject::TSkinItemDragObject;
};

// A tab hidden because it did not fit, with the width it had.
struct TSkinHiddenTab {
  TBarCustomItem* Item = nullptr;
  AnsiString Name;  // read from a form file until the item is found
  int Width = 0;
  int Position = 0;
};

// One hidden tab as a tab set's form file keeps it, an item of its "HiddenItems" collection: the
// tab's name, its width and its place.
class TSkinItemCacheEntry : public TCollectionItem {
  HV_CLASS(TSkinItemCacheEntry, TCollectionItem)
 public:
  explicit TSkinItemCacheEntry(TCollection* Collection) : TCollectionItem(Collection) {}
  AnsiString ItemName;
  int Width = 0;
  int Position = 0;
};

class TSkinItemCacheCollection : public TCollection {
  HV_CLASS(TSkinItemCacheCollection, TCollection)
 public:
  TSkinItemCacheCollection() : TCollection(TSkinItemCacheEntry::StaticClassInfo()) {}
  TSkinItemCacheEntry* Entries(int Index) const { return static_cast<TSkinItemCacheEntry*>(Items(Index)); }
};

class TSkinTabToolbar : public TSkinToolbar {
  HV_CLASS(TSkinTabToolbar, TSkinToolbar)
 public:
  explicit TSkinTabToolbar(TComponent* AOwner);
  ~TSkinTabToolbar() override;

  // The active tab, null when none is (or it is going).
  TSkinTabItem* ActiveTab();
  int ActiveTabIndex() const { return activeTabIndex_; }
  void SetActiveTabIndex(int Value);
  TSkinCustomTabSet* TabSet() const { return tabSet_; }

  TSkinTabThemeType ThemeType() const { return themeType_; }
  void SetThemeType(TSkinTabThemeType Value);
  bool TabAutofit() const { return tabAutofit_; }
  void SetTabAutofit(bool Value);
  int TabAutofitMaxSize() const { return tabAutofitMaxSize_; }
  void SetTabAutofitMaxSize(int Value);
  TColor TabColor() const { return tabColor_; }
  void SetTabColor(TColor Value);
  TSkinTabPosition TabPosition() const { return tabPosition_; }
  void SetTabPosition(TSkinTabPosition Value) { tabPosition_ = Value; }
  bool TabDragReorder() const { return tabDragReorder_; }
  void SetTabDragReorder(bool Value) { tabDragReorder_ = Value; }

  std::vector<TSkinHiddenTab>& HiddenTabs() { return hidden_; }
  bool IsHidden(TBarCustomItem* AItem) const;
  // Tabs that do not fit are hidden; hidden ones that fit again come back.
  void FitTabs();
  void ScrollLeft();
  void ScrollRight();
  void ScrollIntoView(TBarCustomItem* AItem);
  // Every tab the same width, sharing the dock's width up to TabAutofitMaxSize.
  void Autofit();
  // Moves the dragged tab to the drop place (what dropping it there does).
  void ReorderTab(TBarCustomItem* AItem, int NewIndex);

  void DoItemNotification(TBarCustomItem* Ancestor, bool Relayed, TBarItemChangedAction Action, int Index,
                          TBarCustomItem* Item) override;
  void DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept) override;
  void DragDrop(TObject* Source, int X, int Y) override;

 protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Resize() override;
  void WndProc(TMessage& Message) override;
  void DoStartDrag(TDragObject*& DragObject) override;

 private:
  friend class TSkinCustomTabSet;
  void Repaint();
  // The window's background: the pane in the tab style, then the active tab over its edge.
  void EraseTabBackground(HDC DC);
  void DrawActiveTab(TCanvas* ACanvas);
  int FirstVisibleIndex() const;
  int LastVisibleIndex() const;
  int ViewerWidth(TBarCustomItem* AItem);
  // The widths of the visible items from First on, the right-aligned spacer left out.
  int UsedWidth(int First);
  TSkinRightAlignSpacerItem* VisibleSpacer() const;
  // Whether some item lies whole within the dock's client area.
  bool AnyViewerFullyVisible();
  void HideTab(TBarCustomItem* AItem);
  void ShowTab(TBarCustomItem* AItem);

  TSkinTabThemeType themeType_ = tttWindows;
  bool rearranging_ = false;
  bool tabAutofit_ = false;
  int tabAutofitMaxSize_ = 200;
  TColor tabColor_ = clBtnFace;
  TSkinTabPosition tabPosition_ = ttpTop;
  bool tabDragReorder_ = false;
  std::vector<TSkinHiddenTab> hidden_;
  int activeTabIndex_ = -1;
  TSkinCustomTabSet* tabSet_ = nullptr;
  TBarCustomItem* pendingDrag_ = nullptr;
  bool fitPosted_ = false;
};

// A row of tabs on a private dock and tab toolbar; exactly one tab is active.
class TSkinCustomTabSet : public TSkinCompoundItemsControl {
  HV_CLASS(TSkinCustomTabSet, TSkinCompoundItemsControl)
 public:
  explicit TSkinCustomTabSet(TComponent* AOwner);
  ~TSkinCustomTabSet() override;

  TSkinTabToolbar* TabToolbar() const;
  int ActiveTabIndex() const;
  void SetActiveTabIndex(int Value);
  bool TabVisible() const { return tabVisible_; }
  void SetTabVisible(bool Value);
  TSkinTabThemeType ThemeType() const;
  void SetThemeType(TSkinTabThemeType Value);
  TSkinTabPosition TabPosition() const;
  void SetTabPosition(TSkinTabPosition Value);
  bool TabAutofit() const;
  void SetTabAutofit(bool Value);
  int TabAutofitMaxSize() const;
  void SetTabAutofitMaxSize(int Value);
  bool TabDragReorder() const;
  void SetTabDragReorder(bool Value);
  TColor TabBackgroundColor() const;
  void SetTabBackgroundColor(TColor Value);

  TSkinDrawEvent OnDrawBackground;
  TSkinTabChangeEvent OnActiveTabChange;
  TSkinTabChangingEvent OnActiveTabChanging;
  TSkinTabChangeEvent OnActiveTabReorder;
  TSkinTabChangingEvent OnActiveTabReordering;

  virtual void DoDrawBackground(TCanvas* ACanvas, const TRect& ARect, TSkinPaintStage PaintStage, bool& PaintDefault);
  virtual bool CanPaintBackground() { return true; }
  virtual bool DoActiveTabChanging(int TabIndex, int NewTabIndex);
  virtual void DoActiveTabChange(int TabIndex);
  virtual bool DoActiveTabReordering(int TabIndex, int NewTabIndex);
  virtual void DoActiveTabReorder(int TabIndex);
  virtual void ItemNotification(TBarCustomItem* Ancestor, bool Relayed, TBarItemChangedAction Action, int Index,
                                TBarCustomItem* Item);
  virtual void TabInserted(TSkinTabItem* Item);
  virtual void TabDeleting(TSkinTabItem* Item, bool FreeSheet);
  virtual void TabClick(TSkinTabItem* Item) { Item->Click(); }

 protected:
  TSkinToolbar* CreateToolbar() override;
  void Loaded() override;
  void DefineProperties(TFiler* Filer) override;
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  // The pane below the tabs, through a cached bitmap.
  void PaintPane(HDC DC, const TRect& ARect);

 private:
  friend class TSkinTabToolbar;
  void ItemsChanged(TBarCustomItem* Sender, bool Relayed, TBarItemChangedAction Action, int Index,
                    TBarCustomItem* Item);
  int bracket_ = 0;  // 0 idle, 1 in an items update, 2 a tab went inside it
  TSkinTabItem* bracketDeleted_ = nullptr;
  bool tabVisible_ = true;
  int loadedActiveIndex_ = -1;
  bool updating_ = false;
  std::unique_ptr<TBitmap> paneCache_;
};

class TSkinTabSheet : public TCustomControl {
  HV_CLASS(TSkinTabSheet, TCustomControl)
 public:
  explicit TSkinTabSheet(TComponent* AOwner);
  ~TSkinTabSheet() override;

  TSkinCustomTabControl* TabControl() const { return tabControl_; }
  TSkinTabItem* Item() const { return item_; }
  WideString Caption() const;
  void SetCaption(const WideString& Value);
  int ImageIndex() const;
  void SetImageIndex(int Value);
  bool TabVisible() const;
  void SetTabVisible(bool Value);

 protected:
  void SetParent(TWinControl* AParent) override;
  void AdjustClientRect(TRect& Rect) override;
  void DefineProperties(TFiler* Filer) override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void WMEraseBkgnd(TMessage& Message) override;
  void WndProc(TMessage& Message) override;

 private:
  friend class TSkinCustomTabControl;
  void Link(TSkinCustomTabControl* AControl, TSkinTabItem* AItem);
  TSkinCustomTabControl* tabControl_ = nullptr;
  TSkinTabItem* item_ = nullptr;
  AnsiString itemName_;
  TWinControl* lastFocused_ = nullptr;
};

class TSkinCustomTabControl : public TSkinCustomTabSet {
  HV_CLASS(TSkinCustomTabControl, TSkinCustomTabSet)
 public:
  explicit TSkinCustomTabControl(TComponent* AOwner);
  ~TSkinCustomTabControl() override;

  int PageCount() const { return static_cast<int>(pages_.size()); }
  TSkinTabSheet* Pages(int Index) const { return pages_[static_cast<size_t>(Index)]; }
  TSkinTabSheet* EmptySheet() const { return emptySheet_; }
  // Space kept free inside every page.
  TUiControlMargins* Margins() const { return margins_.get(); }
  void SetMargins(TUiControlMargins* Value) { margins_->Assign(Value); }
  // A new tab with its sheet.
  TSkinTabSheet* AddTab(const WideString& Caption);

  bool CanPaintBackground() override;
  void DoActiveTabChange(int TabIndex) override;
  void TabInserted(TSkinTabItem* Item) override;
  void TabDeleting(TSkinTabItem* Item, bool FreeSheet) override;

 protected:
  void WndProc(TMessage& Message) override;

 private:
  friend class TSkinTabSheet;
  TSkinTabSheet* emptySheet_ = nullptr;
  void MarginsChanged(TObject* Sender);
  std::unique_ptr<TUiControlMargins> margins_;
  std::vector<TSkinTabSheet*> pages_;
};

class TSkinTabControl : public TSkinCustomTabControl {
  HV_CLASS(TSkinTabControl, TSkinCustomTabControl)
 public:
  using TSkinCustomTabControl::TSkinCustomTabControl;
};
