// Menus over the system's native menus: the menu bar of a form (TMainMenu), menus that pop up
// at a point (TPopupMenu) and the tree of items both are made of (TMenuItem).
//
// Items are components (form files create them inside their menu and inside each other) and
// every item keeps the native menu of its sub-items up to date: a change of an item rebuilds
// the entries of its parent's native menu. Each item has a command number that identifies it
// in WM_COMMAND; an item with sub-items has a native menu of its own (Handle). An item linked
// to an action (Action) shows the action's values and runs it when clicked.
#pragma once

#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "framework/Actions.h"
#include "framework/Component.h"
#include "framework/Exceptions.h"
#include "framework/ShortCuts.h"
#include "framework/Win.h"

class TBitmap;
class TCanvas;
class TCustomImageList;
class TMenu;
class TMenuItem;

HV_DECLARE_EXCEPTION(EMenuError, Exception);

// The state of an owner-drawn item (menus, list boxes).
HV_ENUM(TOwnerDrawStateFlag, odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault, odHotLight, odInactive,
        odNoAccel, odNoFocusRect, odReserved1, odReserved2, odComboBoxEdit)
using TOwnerDrawState = TSet<TOwnerDrawStateFlag>;

HV_ENUM(TFindItemKind, fkCommand, fkHandle, fkShortCut)
HV_ENUM(TPopupAlignment, paLeft, paRight, paCenter)
HV_ENUM(TTrackButton, tbRightButton, tbLeftButton)

// The room an owner-drawn item's measure leaves between its caption and its shortcut.
constexpr int MenuShortCutGap = 20;

using TMenuMeasureItemEvent = TEvent<void(TObject* Sender, TCanvas* ACanvas, int& Width, int& Height)>;
using TMenuDrawItemEvent = TEvent<void(TObject* Sender, TCanvas* ACanvas, const TRect& ARect, bool Selected)>;
using TAdvancedMenuDrawItemEvent =
    TEvent<void(TObject* Sender, TCanvas* ACanvas, const TRect& ARect, TOwnerDrawState State)>;
// Source is the item that changed (null: the menu as a whole); Rebuild: its structure changed.
using TMenuChangeEvent = TEvent<void(TObject* Sender, TMenuItem* Source, bool Rebuild)>;

// The caption of a separator line.
constexpr wchar_t cLineCaption[] = L"-";

// The caption without its hot-key marks (StripAccelChars).
WideString StripHotkey(const WideString& Text);
// The hot-key character of a caption (FindAccelChar) in upper case, or 0.
wchar_t GetHotkey(const WideString& Text);
// Captions compared without their hot-key marks and without regard to letter case.
bool SameCaption(const WideString& Text1, const WideString& Text2);

// The native menu of an item: destroyed with its owner, after its entries were taken out (so
// that the native menus of sub-items, which have owners of their own, survive).
class TMenuHandle {
 public:
  TMenuHandle() = default;
  explicit TMenuHandle(HMENU handle) noexcept : h_(handle) {}
  TMenuHandle(const TMenuHandle&) = delete;
  TMenuHandle& operator=(const TMenuHandle&) = delete;
  TMenuHandle(TMenuHandle&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
  TMenuHandle& operator=(TMenuHandle&& other) noexcept;
  ~TMenuHandle() { Reset(); }

  HMENU Get() const noexcept { return h_; }
  explicit operator bool() const noexcept { return h_ != nullptr; }
  void Reset(HMENU handle = nullptr) noexcept;
  // Takes every entry out of the menu without destroying the sub-menus they lead to.
  void RemoveEntries() noexcept;
  // Handles made and not yet destroyed through these owners.
  static int LiveCount() noexcept;

 private:
  HMENU h_ = nullptr;
};

// The link of a menu item with an action: each value follows the action while the item still
// shows the action's value (captions compared as SameCaption does).
class TMenuActionLink : public TActionLink {
  HV_CLASS(TMenuActionLink, TActionLink)
 public:
  explicit TMenuActionLink(TMenuItem* AClient);

  bool IsAutoCheckLinked() override;
  bool IsCaptionLinked() override;
  bool IsCheckedLinked() override;
  bool IsEnabledLinked() override;
  bool IsGroupIndexLinked() override;
  bool IsHelpContextLinked() override;
  bool IsHintLinked() override;
  bool IsImageIndexLinked() override;
  bool IsShortCutLinked() override;
  bool IsVisibleLinked() override;
  bool IsOnExecuteLinked() override;

  void SetAutoCheck(bool Value) override;
  void SetCaption(const WideString& Value) override;
  void SetChecked(bool Value) override;
  void SetEnabled(bool Value) override;
  void SetGroupIndex(int Value) override;
  void SetHelpContext(int Value) override;
  void SetHint(const WideString& Value) override;
  void SetImageIndex(int Value) override;
  void SetShortCut(TShortCut Value) override;
  void SetVisible(bool Value) override;
  void SetOnExecute(const TNotifyEvent& Value) override;

 protected:
  TMenuItem* Client() const { return client_; }

 private:
  TMenuItem* client_;
};

class TMenuItem : public TComponent {
  HV_CLASS(TMenuItem, TComponent)
 public:
  explicit TMenuItem(TComponent* AOwner);
  ~TMenuItem() override;

  // ---- the tree ----
  int Count() const { return static_cast<int>(items_.size()); }
  // EMenuError "Menu index out of range" outside 0..Count-1.
  TMenuItem* Items(int Index) const;
  TMenuItem* operator[](int Index) const { return Items(Index); }
  TMenuItem* Parent() const { return parent_; }
  void Add(TMenuItem* Item);
  // EMenuError "Menu inserted twice" for an item that has a parent, "Menu index out of range"
  // outside 0..Count.
  void Insert(int Index, TMenuItem* Item);
  // Takes the item out (it is not freed).
  void Delete(int Index);
  // EMenuError "Sub-menu is not in menu" when the item is not a sub-item of this one.
  void Remove(TMenuItem* Item);
  // Frees every sub-item.
  void Clear();
  int IndexOf(const TMenuItem* Item) const;
  // The sub-item with that caption (SameCaption), or null.
  TMenuItem* Find(const WideString& ACaption) const;
  // Position among the parent's sub-items (-1 without a parent); setting it moves the item.
  int MenuIndex() const;
  void SetMenuIndex(int Value);
  // The menu at the root of the tree, or null.
  TMenu* GetParentMenu() const;
  bool IsLine() const { return caption_ == cLineCaption; }

  // ---- what it shows ----
  const WideString& Caption() const { return caption_; }
  void SetCaption(const WideString& Value);
  bool Checked() const { return checked_; }
  // Checking a radio item unchecks the radio items of its group among its siblings.
  void SetChecked(bool Value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool Value);
  bool Visible() const { return visible_; }
  void SetVisible(bool Value);
  bool RadioItem() const { return radioItem_; }
  void SetRadioItem(bool Value);
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int Value);
  // The default item of a menu (drawn bold); at most one among siblings.
  bool Default() const { return default_; }
  void SetDefault(bool Value);
  bool AutoCheck() const { return autoCheck_; }
  void SetAutoCheck(bool Value);
  const WideString& Hint() const { return hint_; }
  void SetHint(const WideString& Value);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int Value);
  int HelpContext() const { return helpContext_; }
  void SetHelpContext(int Value);
  TShortCut ShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut Value);
  // A picture beside the caption (made on first use); the menu's Images take precedence.
  TBitmap* Bitmap();
  void SetBitmap(TBitmap* Value);
  bool HasBitmap() const;

  // The number in WM_COMMAND (unique in the process).
  UINT Command() const { return command_; }
  // The native menu of the sub-items (made on first use).
  HMENU Handle();
  bool HandleAllocated() const { return static_cast<bool>(handle_); }

  // ---- actions ----
  TBasicAction* Action() const { return actionLink_ ? actionLink_->Action() : nullptr; }
  void SetAction(TBasicAction* Value);
  TMenuActionLink* ActionLink() const { return actionLink_.get(); }
  // Runs the update of the item's action.
  virtual void InitiateAction();
  // Runs the updates of the sub-items' actions (before the sub-menu shows).
  void InitiateActions();

  // Runs the item: its own OnClick when that is not the action's handler, else the action.
  // A disabled item does nothing.
  virtual void Click();

  TNotifyEvent OnClick;
  TMenuMeasureItemEvent OnMeasureItem;
  TMenuDrawItemEvent OnDrawItem;
  TAdvancedMenuDrawItemEvent OnAdvancedDrawItem;

  // ---- owner drawing (menus with OwnerDraw or Images) ----
  // Measures the item; fires OnMeasureItem with the size found.
  virtual void MeasureItem(TCanvas* ACanvas, int& Width, int& Height);
  // Draws the item: OnAdvancedDrawItem, else OnDrawItem, else the framework's drawing.
  virtual void AdvancedDrawItem(TCanvas* ACanvas, const TRect& ARect, TOwnerDrawState State, bool TopLevel);
  // Whether the item is an entry of a menu bar.
  bool IsTopLevelOfMainMenu() const;

  // ---- form files ----
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;
  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;
  void Loaded() override;

  // Stored tests: values that the action supplies are not written.
  bool IsAutoCheckStored() const;
  bool IsCaptionStored() const;
  bool IsHelpContextStored() const;
  bool IsCheckedStored() const;
  bool IsEnabledStored() const;
  bool IsHintStored() const;
  bool IsImageIndexStored() const;
  bool IsShortCutStored() const;
  bool IsVisibleStored() const;
  bool IsOnClickStored() const;

 protected:
  // Copies the action's values; with CheckDefaults only into values still at their default.
  virtual void ActionChange(TObject* Sender, bool CheckDefaults);
  // The link class of the item (descendants answer their own).
  virtual TMenuActionLink* CreateActionLink();
  // The item changed (Rebuild: its sub-items changed): the parent's native menu and the menu
  // follow.
  virtual void MenuChanged(bool Rebuild);
  // The framework's drawing of an item.
  virtual void DrawItemDefault(TCanvas* ACanvas, const TRect& ARect, TOwnerDrawState State, bool TopLevel);
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TMenu;
  void DoActionChange(TObject* Sender);
  // Takes all entries out of the native menu and appends those of the visible sub-items.
  void RebuildHandle();
  void AppendTo(HMENU Menu, bool TopLevel);
  void RemoveEntryOf(TMenuItem* Item);
  void TurnSiblingsOff();
  bool IsOwnerDraw() const;
  void BitmapChanged(TObject* Sender);
  // Width of the area left of the caption where images, bitmaps and check marks go.
  int GlyphAreaWidth() const;
  bool Updating() const;

  WideString caption_;
  bool checked_ = false;
  bool enabled_ = true;
  bool visible_ = true;
  bool radioItem_ = false;
  int groupIndex_ = 0;
  bool default_ = false;
  bool autoCheck_ = false;
  WideString hint_;
  int imageIndex_ = -1;
  int helpContext_ = 0;
  TShortCut shortCut_ = TShortCut(0);
  UINT command_ = 0;
  std::vector<TMenuItem*> items_;
  TMenuItem* parent_ = nullptr;
  TMenu* menu_ = nullptr;  // set on the root item of a menu
  TMenuHandle handle_;
  std::unique_ptr<TMenuActionLink> actionLink_;
  std::unique_ptr<TBitmap> bitmap_;
};

class TMenu : public TComponent {
  HV_CLASS(TMenu, TComponent)
 public:
  explicit TMenu(TComponent* AOwner);
  ~TMenu() override;

  // The root of the tree (owned by the menu, never written to form files itself).
  TMenuItem* Items() const { return items_; }
  // The native menu of the top-level items.
  HMENU Handle() { return items_->Handle(); }
  // The window that receives the menu's messages (a form for a menu bar).
  HWND WindowHandle() const { return windowHandle_; }
  virtual void SetWindowHandle(HWND Value);

  bool OwnerDraw() const { return ownerDraw_; }
  void SetOwnerDraw(bool Value);
  // The images of the items (ImageIndex); a menu with images draws its items itself.
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* Value);
  virtual bool IsOwnerDraw() const { return ownerDraw_ || images_ != nullptr; }

  // Finds an item of the tree by command number, native sub-menu or shortcut.
  TMenuItem* FindItem(UINT_PTR Value, TFindItemKind Kind) const;
  // Clicks the item with that command; false when the menu has none.
  bool DispatchCommand(WORD ACommand);
  // Before the native sub-menu shows: its items' actions update and its item's OnClick runs.
  bool DispatchPopup(HMENU AMenu);
  // Clicks the enabled item with this shortcut (its parents must be enabled too); true when
  // one was clicked.
  virtual bool IsShortCut(TShortCut ShortCut);

  // The menu messages that the owner window of a native menu receives (WM_COMMAND from a
  // menu, WM_INITMENUPOPUP, WM_MENUSELECT, WM_MEASUREITEM / WM_DRAWITEM of menu items,
  // WM_MENUCHAR): true when the menu handled the message.
  bool HandleMenuMessage(UINT Msg, WPARAM WParam, LPARAM LParam, LRESULT& Result);

  TMenuChangeEvent OnChange;

  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;

 protected:
  virtual void MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild);
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TMenuItem;
  TMenuItem* ItemOfDrawData(ULONG_PTR Data) const;
  void ImageListChange(TObject* Sender);
  // Every level rebuilds its entries (text or owner drawing may have switched).
  void RebuildAll();

  TMenuItem* items_;
  HWND windowHandle_ = nullptr;
  bool ownerDraw_ = false;
  TCustomImageList* images_ = nullptr;
};

// The menu bar of a form (the form's Menu).
class TMainMenu : public TMenu {
  HV_CLASS(TMainMenu, TMenu)
 public:
  explicit TMainMenu(TComponent* AOwner);
  ~TMainMenu() override;

  // Puts the menu bar into the window (null: takes it out of the window it was in).
  void SetWindowHandle(HWND Value) override;

 protected:
  void MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild) override;
};

// A menu that pops up at a screen point (a control's context menu).
class TPopupMenu : public TMenu {
  HV_CLASS(TPopupMenu, TMenu)
 public:
  explicit TPopupMenu(TComponent* AOwner);
  ~TPopupMenu() override;

  // Shows the menu with its top-left (or as Alignment says) at the screen point and returns
  // once it closed; a chosen item is clicked before it returns.
  virtual void Popup(int X, int Y);
  TPoint PopupPoint() const { return popupPoint_; }
  // The component whose context menu this is while it pops up.
  TComponent* PopupComponent() const { return popupComponent_; }
  void SetPopupComponent(TComponent* Value);

  TPopupAlignment Alignment() const { return alignment_; }
  void SetAlignment(TPopupAlignment Value) { alignment_ = Value; }
  bool AutoPopup() const { return autoPopup_; }
  void SetAutoPopup(bool Value) { autoPopup_ = Value; }
  TTrackButton TrackButton() const { return trackButton_; }
  void SetTrackButton(TTrackButton Value) { trackButton_ = Value; }

  TNotifyEvent OnPopup;

 protected:
  // Fires OnPopup before the menu shows.
  virtual void DoPopup(TObject* Sender);
  // For menus that show themselves in their own way.
  void SetPopupPoint(const TPoint& Value) { popupPoint_ = Value; }
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TPoint popupPoint_;
  TComponent* popupComponent_ = nullptr;
  TPopupAlignment alignment_ = paLeft;
  bool autoPopup_ = true;
  TTrackButton trackButton_ = tbRightButton;
};

// The hidden window that owns every popup menu while it shows: it receives the menus'
// messages and hands them to the popup menus; WM_MENUSELECT gives the application the long
// hint of the selected item.
class TPopupList {
 public:
  TPopupList();
  TPopupList(const TPopupList&) = delete;
  TPopupList& operator=(const TPopupList&) = delete;
  virtual ~TPopupList();

  void Add(TPopupMenu* Menu);
  void Remove(TPopupMenu* Menu);
  int Count() const { return static_cast<int>(menus_.size()); }
  TPopupMenu* Items(int Index) const { return menus_[static_cast<size_t>(Index)]; }
  HWND Window();

 protected:
  // The window's messages; true when handled (Result set).
  virtual bool WndProc(UINT Msg, WPARAM WParam, LPARAM LParam, LRESULT& Result);

 private:
  std::vector<TPopupMenu*> menus_;
  std::unique_ptr<class TUtilityWindow> window_;
};

TPopupList& PopupList();

// Where the long hint of the selected menu item goes (the application object installs its
// Hint setter); gives back the handler it replaces.
using TMenuHintHandler = void (*)(const WideString& Hint);
TMenuHintHandler SetMenuHintHandler(TMenuHintHandler Handler);
