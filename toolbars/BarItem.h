// The item tree behind every menu and toolbar command: items with caption, image, check state
// and visibility, owning their sub-items, telling registered listeners (the views) of every
// change, linked to actions, and found by their shortcuts.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "framework/Actions.h"
#include "framework/Component.h"
#include "framework/Controls.h"
#include "framework/ImageList.h"
#include "framework/Lists.h"
#include "framework/ShortCuts.h"

class TBarCustomItem;
class TBarItemViewer;
class TBarView;
class TBarPopupWindow;
struct TBarPopupPositionRec;

// Makes the popup window of an item's sub-menu; items name the kind of window they want by one.
using TBarPopupWindowClass = TBarPopupWindow* (*)(TComponent* AOwner, TBarView* AParentView, TBarCustomItem* AItem,
                                                  bool ACustomizing);

HV_ENUM(TBarItemOption, tboDefault, tboDropdownArrow, tboImageAboveCaption, tboLongHintInMenuOnly, tboNoAutoHint,
        tboNoRotation, tboSameWidth, tboShowHint, tboToolbarStyle, tboToolbarSize)
using TBarItemOptions = TSet<TBarItemOption>;

HV_ENUM(TBarItemDisplayMode, nbdmDefault, nbdmTextOnly, nbdmTextOnlyInMenus, nbdmImageAndText)

HV_ENUM(TBarItemChangedAction, tbicInserted, tbicDeleting, tbicSubitemsChanged, tbicSubitemsBeginUpdate,
        tbicSubitemsEndUpdate, tbicInvalidate, tbicInvalidateAndResize, tbicRecreateItemViewers, tbicNameChanged,
        tbicSubMenuImagesChanged)

// The behaviour class of an item: a 16-bit set fixed by the item's class.
using TBarItemStyle = Word;
constexpr TBarItemStyle tbisHasSubmenu = 1 << 0;
constexpr TBarItemStyle tbisCanSelect = 1 << 1;
constexpr TBarItemStyle tbisDivider = 1 << 2;
constexpr TBarItemStyle tbisInlineGroup = 1 << 3;
constexpr TBarItemStyle tbisIgnoresClicks = 1 << 4;
constexpr TBarItemStyle tbisSplitButton = 1 << 5;
constexpr TBarItemStyle tbisManualOpen = 1 << 6;
constexpr TBarItemStyle tbisKeepLineAfterWrap = 1 << 8;
constexpr TBarItemStyle tbisAlignToEnd = 1 << 9;
constexpr TBarItemStyle tbisSkipAsFirst = 1 << 10;
constexpr TBarItemStyle tbisRepaintOnSelect = 1 << 11;
constexpr TBarItemStyle tbisRepaintOnHover = 1 << 12;
constexpr TBarItemStyle tbisFillRow = 1 << 13;
constexpr TBarItemStyle tbisDefaultStyle = tbisCanSelect | tbisRepaintOnSelect | tbisRepaintOnHover;

using TBarItemChangeHandler =
    TEvent<void(TBarCustomItem* Sender, bool Relayed, TBarItemChangedAction Action, int Index, TBarCustomItem* Item)>;
using TBarPopupEvent = TEvent<void(TBarCustomItem* Sender, bool FromLink)>;
using TBarSelectEvent = TEvent<void(TBarCustomItem* Sender, TBarItemViewer* Viewer, bool Selecting)>;

HV_DECLARE_EXCEPTION(EBarItemError, Exception);
extern const char* const SBarItemIndexOutOfRange;  // 65008
extern const char* const SBarItemAlreadyInserted;  // 65009
extern const char* const SBarItemViewerNotFound;   // 65010

// A key message as the shortcut dispatch reads it.
struct TWMKey {
  UINT Msg = WM_KEYDOWN;
  Word CharCode = 0;
  LPARAM KeyData = 0;
  LRESULT Result = 0;
};

// Makes the viewer of an item inside a view; items name the kind of viewer they want by one.
using TBarItemViewerClass = TBarItemViewer* (*)(TBarView* AView, TBarCustomItem* AItem, int AGroupLevel);
template <class V>
TBarItemViewer* MakeBarItemViewer(TBarView* AView, TBarCustomItem* AItem, int AGroupLevel) {
  return new V(AView, AItem, AGroupLevel);
}

// Follows an image list for an item: remembers the size it last saw, so that the item can
// tell a resize from a repaint.
class TBarImageChangeLink {
 public:
  TBarImageChangeLink() = default;
  TBarImageChangeLink(const TBarImageChangeLink&) = delete;
  TBarImageChangeLink& operator=(const TBarImageChangeLink&) = delete;
  ~TBarImageChangeLink() { SetImages(nullptr); }
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* Value);
  // Lets go of a list that is being freed, without asking it anything.
  void Forget() { images_ = nullptr; }
  // Notes the list's size now; true when it differs from the size noted before.
  bool SizeChanged();
  TNotifyEvent OnChange;

 private:
  void Change(TObject* Sender);
  TCustomImageList* images_ = nullptr;
  int lastWidth_ = 0;
  int lastHeight_ = 0;
};

class TBarCustomItemActionLink : public TActionLink {
  HV_CLASS(TBarCustomItemActionLink, TActionLink)
 public:
  explicit TBarCustomItemActionLink(TObject* AClient);
  TBarCustomItem* Client() const { return client_; }
  bool IsAutoCheckLinked() override;
  bool IsCaptionLinked() override;
  bool IsCheckedLinked() override;
  bool IsEnabledLinked() override;
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
  void SetHelpContext(int Value) override;
  void SetHint(const WideString& Value) override;
  void SetImageIndex(int Value) override;
  void SetShortCut(TShortCut Value) override;
  void SetVisible(bool Value) override;
  void SetOnExecute(const TNotifyEvent& Value) override;

 private:
  TBarCustomItem* client_;
};

// A component that holds a root item (a toolbar, a popup menu); items read inside it join that
// root.
class IBarItemsHolder {
 public:
  virtual ~IBarItemsHolder() = default;
  virtual TBarCustomItem* GetItems() = 0;
};

class TBarCustomItem : public TComponent {
  HV_CLASS(TBarCustomItem, TComponent)
 public:
  explicit TBarCustomItem(TComponent* AOwner);
  ~TBarCustomItem() override;

  // ---- sub-items ----
  int Count() const { return static_cast<int>(items_.size()); }
  TBarCustomItem* Items(int Index) const;
  TBarCustomItem* operator[](int Index) const { return Items(Index); }
  void Add(TBarCustomItem* AItem) { Insert(Count(), AItem); }
  void Insert(int Index, TBarCustomItem* AItem);
  void Delete(int Index);
  void Remove(TBarCustomItem* AItem);
  int IndexOf(const TBarCustomItem* AItem) const;
  void Clear();
  void Move(int CurIndex, int NewIndex);
  TBarCustomItem* Parent() const { return parent_; }

  // ---- listeners ----
  void RegisterNotification(const TBarItemChangeHandler& Proc);
  void UnregisterNotification(const TBarItemChangeHandler& Proc);

  // ---- shortcuts ----
  WideString GetShortCutText() const;
  bool DispatchShortCut(TWMKey& Message);
  TBarCustomItem* FindByShortCut(TShortCut AShortCut, TBarCustomItem*& ATopmostParent);

  // ---- properties ----
  TBasicAction* Action() const { return actionLink_ ? actionLink_->Action() : nullptr; }
  void SetAction(TBasicAction* Value);
  TBarCustomItemActionLink* ActionLink() const { return actionLink_.get(); }
  bool AutoCheck() const { return autoCheck_; }
  void SetAutoCheck(bool Value) { autoCheck_ = Value; }
  const WideString& Caption() const { return caption_; }
  void SetCaption(const WideString& Value);
  bool Checked() const { return checked_; }
  void SetChecked(bool Value);
  TBarItemDisplayMode DisplayMode() const { return displayMode_; }
  void SetDisplayMode(TBarItemDisplayMode Value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool Value);
  TBarItemOptions EffectiveOptions() const { return effectiveOptions_; }
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int Value);
  int HelpContext() const { return helpContext_; }
  void SetHelpContext(int Value) { helpContext_ = Value; }
  const WideString& Hint() const { return hint_; }
  void SetHint(const WideString& Value) { hint_ = Value; }
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int Value);
  TCustomImageList* Images() const { return images_ ? images_->Images() : nullptr; }
  void SetImages(TCustomImageList* Value);
  TBarItemStyle ItemStyle() const { return itemStyle_; }
  TBarCustomItem* LinkSubitems() const { return linkSubitems_; }
  void SetLinkSubitems(TBarCustomItem* Value);
  TBarItemOptions MaskOptions() const { return maskOptions_; }
  void SetMaskOptions(TBarItemOptions Value);
  TBarItemOptions Options() const { return options_; }
  void SetOptions(TBarItemOptions Value);
  bool InheritOptions() const { return inheritOptions_; }
  void SetInheritOptions(bool Value);
  bool RadioItem() const { return radioItem_; }
  void SetRadioItem(bool Value);
  TShortCut ShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut Value) { shortCut_ = Value; }
  TCustomImageList* SubMenuImages() const { return subMenuImages_ ? subMenuImages_->Images() : nullptr; }
  void SetSubMenuImages(TCustomImageList* Value);
  bool Visible() const { return visible_; }
  void SetVisible(bool Value);
  // The item whose sub-items are shown: LinkSubitems, else the item itself.
  TBarCustomItem* GetItemsWithLink() { return linkSubitems_ ? linkSubitems_ : this; }

  TNotifyEvent OnClick;
  TBarPopupEvent OnPopup;
  TBarSelectEvent OnSelect;

  // ---- virtual operations ----
  virtual void Changed(bool Resize);
  // Opens and shows the sub-menu window of the item: beside or below ParentViewer, or at
  // PopupPoint without a parent view (Alignment 0 left, 1 right, 2 centre).
  virtual TBarPopupWindow* CreatePopup(TBarView* ParentView, TBarItemViewer* ParentViewer, bool PositionAsSubmenu,
                                       bool SelectFirstItem, bool Customizing, TPoint PopupPoint, int Alignment);
  // Moves the first placement of a sub-menu so that it fits on its monitor.
  virtual void GetPopupPosition(TBarView* ParentView, TBarPopupWindow* PopupWindow, TBarPopupPositionRec& Rec);
  virtual TBarPopupWindowClass PopupWindowClass();
  virtual void FirePopup(TBarCustomItem* Sender, bool FromLink);
  virtual void Invalidate() { Changed(false); }
  virtual TBarView* ChevronSourceView() { return nullptr; }
  virtual TBarItemViewerClass ViewerClass(TBarView* AView);
  virtual bool NeedsNewViewer(TBarItemViewer*) { return false; }
  virtual void DoClick();
  virtual void InitiateAction();
  void Click() { DoClick(); }
  // Shows the sub-items as a modal popup menu at a screen point and returns once it closed.
  // The chosen item is returned with ReturnClickedItemOnly, else clicked after the menu is gone.
  TBarCustomItem* ShowPopup(int X, int Y, bool TrackRightButton, int Alignment = 0, bool ReturnClickedItemOnly = false);
  TBarCustomItem* ShowPopupAt(TPoint P, bool TrackRightButton, int Alignment = 0, bool ReturnClickedItemOnly = false);

  // ---- component plumbing ----
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;
  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;
  void SetChildOrder(TComponent* Child, int Order);
  void SetName(const std::string& NewName) override;
  void Loaded() override;
  // The component that holds a root item (a toolbar or popup menu): form files write the root's
  // sub-items inside it.
  void SetParentComponentLink(TComponent* Value) { parentComponent_ = Value; }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  virtual void ActionChange(TObject* Sender, bool CheckDefaults);
  virtual TBarCustomItemActionLink* CreateActionLink() { return new TBarCustomItemActionLink(this); }
  void SetItemStyle(TBarItemStyle Value) { itemStyle_ = Value; }
  void NotifyListeners(TBarItemChangedAction Action, int Index, TBarCustomItem* Item);

 private:
  void Notify(TBarCustomItem* Sender, int Depth, TBarItemChangedAction Action, int Index, TBarCustomItem* Item);
  void RelayToParent(TBarCustomItem* Via, TBarCustomItem* Sender, int Depth, TBarItemChangedAction Action, int Index,
                     TBarCustomItem* Item);
  void UpdateEffectiveOptions();
  void UncheckGroup();
  void CheckIndex(int Index, int Limit) const;
  void DoActionChange(TObject* Sender);
  void ImagesChange(TObject* Sender);
  void SubMenuImagesChange(TObject* Sender);
  TBarCustomItem* FindShortCut(TShortCut AShortCut, TBarCustomItem*& ATopmostParent, int Depth);

  struct Listener {
    TBarItemChangeHandler Proc;
    int RefCount;
  };

  std::unique_ptr<TBarCustomItemActionLink> actionLink_;
  bool autoCheck_ = false;
  WideString caption_;
  bool checked_ = false;
  TBarItemDisplayMode displayMode_ = nbdmDefault;
  bool enabled_ = true;
  TBarItemOptions effectiveOptions_;
  int groupIndex_ = 0;
  int helpContext_ = 0;
  WideString hint_;
  int imageIndex_ = -1;
  std::unique_ptr<TBarImageChangeLink> images_;
  std::vector<TBarCustomItem*> items_;
  TBarItemStyle itemStyle_ = tbisDefaultStyle;
  std::vector<TBarCustomItem*> linkedBy_;
  TBarItemOptions maskOptions_;
  TBarItemOptions options_;
  bool inheritOptions_ = true;
  std::unique_ptr<std::vector<Listener>> listeners_;
  TBarCustomItem* parent_ = nullptr;
  TComponent* parentComponent_ = nullptr;
  bool radioItem_ = false;
  TShortCut shortCut_ = TShortCut(0);
  std::unique_ptr<TBarImageChangeLink> subMenuImages_;
  TBarCustomItem* linkSubitems_ = nullptr;
  bool visible_ = true;
};

// The item properties one publishing item class shows, named in a blank-separated list in any
// order. The publishing helpers of the item layers publish the chosen ones in one fixed order,
// the order form files list them in, checking each name off; a name that no helper took is a
// slip in the class's list.
class TItemPropertyChoice {
 public:
  explicit TItemPropertyChoice(std::string_view Names);
  // Whether Name is chosen; a chosen name is checked off.
  bool Takes(std::string_view Name);
  // Raises Exception "No item property to publish: %s" for the first chosen name not taken.
  void CheckAllTaken() const;

 private:
  std::vector<std::pair<std::string, bool>> names_;
};

// Publishes the chosen ones of the item properties this layer declares.
template <class T>
void PublishBarItemProperties(TPublisher<T>& p, TItemPropertyChoice& Choice) {
  if (Choice.Takes("Action")) p.Prop("Action", &T::Action, &T::SetAction);
  if (Choice.Takes("AutoCheck")) p.Prop("AutoCheck", &T::AutoCheck, &T::SetAutoCheck).Default(false);
  if (Choice.Takes("Caption")) p.Prop("Caption", &T::Caption, &T::SetCaption);
  if (Choice.Takes("Checked")) p.Prop("Checked", &T::Checked, &T::SetChecked).Default(false);
  if (Choice.Takes("DisplayMode")) p.Prop("DisplayMode", &T::DisplayMode, &T::SetDisplayMode).Default(nbdmDefault);
  if (Choice.Takes("Enabled")) p.Prop("Enabled", &T::Enabled, &T::SetEnabled).Default(true);
  if (Choice.Takes("GroupIndex")) p.Prop("GroupIndex", &T::GroupIndex, &T::SetGroupIndex).Default(0);
  if (Choice.Takes("HelpContext")) p.Prop("HelpContext", &T::HelpContext, &T::SetHelpContext).Default(0);
  if (Choice.Takes("Hint")) p.Prop("Hint", &T::Hint, &T::SetHint);
  if (Choice.Takes("ImageIndex")) p.Prop("ImageIndex", &T::ImageIndex, &T::SetImageIndex).Default(-1);
  if (Choice.Takes("Images")) p.Prop("Images", &T::Images, &T::SetImages);
  if (Choice.Takes("InheritOptions")) p.Prop("InheritOptions", &T::InheritOptions, &T::SetInheritOptions).Default(true);
  if (Choice.Takes("LinkSubitems")) p.Prop("LinkSubitems", &T::LinkSubitems, &T::SetLinkSubitems);
  if (Choice.Takes("MaskOptions")) p.Prop("MaskOptions", &T::MaskOptions, &T::SetMaskOptions);
  if (Choice.Takes("Options")) p.Prop("Options", &T::Options, &T::SetOptions);
  if (Choice.Takes("RadioItem")) p.Prop("RadioItem", &T::RadioItem, &T::SetRadioItem).Default(false);
  if (Choice.Takes("ShortCut")) p.Prop("ShortCut", &T::ShortCut, &T::SetShortCut).Default(0);
  if (Choice.Takes("SubMenuImages")) p.Prop("SubMenuImages", &T::SubMenuImages, &T::SetSubMenuImages);
  if (Choice.Takes("Visible")) p.Prop("Visible", &T::Visible, &T::SetVisible).Default(true);
  if (Choice.Takes("OnClick")) p.Event("OnClick", &T::OnClick);
  if (Choice.Takes("OnPopup")) p.Event("OnPopup", &T::OnPopup);
  if (Choice.Takes("OnSelect")) p.Event("OnSelect", &T::OnSelect);
}

class TBarSeparatorItem : public TBarCustomItem {
  HV_CLASS(TBarSeparatorItem, TBarCustomItem)
 public:
  explicit TBarSeparatorItem(TComponent* AOwner);
  bool Blank() const { return blank_; }
  void SetBlank(bool Value);
  TBarItemViewerClass ViewerClass(TBarView* AView) override;

 private:
  bool blank_ = false;
};

// Hosts a control on a toolbar.
class TBarControlItem : public TBarCustomItem {
  HV_CLASS(TBarControlItem, TBarCustomItem)
 public:
  explicit TBarControlItem(TComponent* AOwner);
  TBarControlItem(TComponent* AOwner, TControl* AControl);
  ~TBarControlItem() override;
  TControl* Control() const { return control_; }
  void SetControl(TControl* Value);
  // Keeps the control alive when the item goes.
  bool DontFreeControl() const { return dontFreeControl_; }
  void SetDontFreeControl(bool Value) { dontFreeControl_ = Value; }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TControl* control_ = nullptr;
  bool dontFreeControl_ = false;
};

// The invisible root of a toolbar or popup menu.
class TBarRootItem : public TBarCustomItem {
  HV_CLASS(TBarRootItem, TBarCustomItem)
 public:
  explicit TBarRootItem(TComponent* AOwner) : TBarCustomItem(AOwner) {}
};
