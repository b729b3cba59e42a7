// The item tree: sub-items, change notification, options, actions and shortcuts.
#include "toolbars/BarItem.h"

#include <algorithm>
#include <utility>

#include "toolbars/BarDeferredClick.h"
#include "toolbars/BarItemViewer.h"

const char* const SBarItemIndexOutOfRange = "Toolbar item index out of range";
const char* const SBarItemAlreadyInserted = "Toolbar item already inserted";
const char* const SBarItemViewerNotFound = "An item viewer associated the specified item could not be found";

namespace {

// Notifications relay through embedded groups and links at most this deep.
constexpr int MaxRelayDepth = 11;
// The shortcut search follows sub-items and links this deep at most.
constexpr int MaxShortCutDepth = 25;
// A shortcut dispatch that keeps finding a changed tree gives up after this many fresh starts.
constexpr int MaxDispatchRestarts = 25;

const TBarItemOptions ResizingOptions{tboDefault,   tboDropdownArrow, tboImageAboveCaption, tboNoRotation,
                                      tboSameWidth, tboToolbarStyle,  tboToolbarSize};

TBarItemOptions NormalizeOptions(TBarItemOptions options) {
  if (!options.Contains(tboToolbarStyle)) options.Exclude(tboToolbarSize);
  return options;
}

}  // namespace

// ---- TBarImageChangeLink ----

void TBarImageChangeLink::SetImages(TCustomImageList* Value) {
  if (images_ == Value) return;
  if (images_) images_->UnRegisterChanges(TNotifyEvent(this, &TBarImageChangeLink::Change));
  images_ = Value;
  if (images_) images_->RegisterChanges(TNotifyEvent(this, &TBarImageChangeLink::Change));
  SizeChanged();
}

bool TBarImageChangeLink::SizeChanged() {
  int w = images_ ? images_->Width() : 0;
  int h = images_ ? images_->Height() : 0;
  bool changed = w != lastWidth_ || h != lastHeight_;
  lastWidth_ = w;
  lastHeight_ = h;
  return changed;
}

void TBarImageChangeLink::Change(TObject* Sender) {
  if (OnChange) OnChange(Sender);
}

// ---- TBarCustomItemActionLink ----

HV_PUBLISH(TBarCustomItemActionLink) {}

TBarCustomItemActionLink::TBarCustomItemActionLink(TObject* AClient)
    : TActionLink(AClient), client_(dynamic_cast<TBarCustomItem*>(AClient)) {
  if (!client_) throw EInvalidCast("Invalid class typecast");
}

#define HV_BAR_LINK(Name, Type)                                                          \
  bool TBarCustomItemActionLink::Is##Name##Linked() {                                    \
    return TActionLink::Is##Name##Linked() && client_->Name() == CustomAction()->Name(); \
  }                                                                                      \
  void TBarCustomItemActionLink::Set##Name(Type Value) {                                 \
    if (Is##Name##Linked()) client_->Set##Name(Value);                                   \
  }

HV_BAR_LINK(AutoCheck, bool)
HV_BAR_LINK(Caption, const WideString&)
HV_BAR_LINK(Checked, bool)
HV_BAR_LINK(Enabled, bool)
HV_BAR_LINK(HelpContext, int)
HV_BAR_LINK(Hint, const WideString&)
HV_BAR_LINK(ImageIndex, int)
HV_BAR_LINK(ShortCut, TShortCut)
HV_BAR_LINK(Visible, bool)
#undef HV_BAR_LINK

bool TBarCustomItemActionLink::IsOnExecuteLinked() {
  return TActionLink::IsOnExecuteLinked() && Action() && client_->OnClick == Action()->OnExecute();
}

void TBarCustomItemActionLink::SetOnExecute(const TNotifyEvent& Value) {
  if (IsOnExecuteLinked()) client_->OnClick = Value;
}

// ---- choosing the published properties ----

TItemPropertyChoice::TItemPropertyChoice(std::string_view Names) {
  size_t at = 0;
  while (at < Names.size()) {
    const size_t end = std::min(Names.find(' ', at), Names.size());
    if (end > at) names_.emplace_back(std::string(Names.substr(at, end - at)), false);
    at = end + 1;
  }
}

bool TItemPropertyChoice::Takes(std::string_view Name) {
  for (auto& [name, taken] : names_)
    if (name == Name) return taken = true;
  return false;
}

void TItemPropertyChoice::CheckAllTaken() const {
  for (const auto& [name, taken] : names_)
    if (!taken) throw Exception("No item property to publish: " + name);
}

// ---- TBarCustomItem ----

// The item base publishes nothing itself: each item class shows in form files only what it
// takes from them (a separator has no caption, a hosted control no image).
HV_PUBLISH(TBarCustomItem) {}

TBarCustomItem::TBarCustomItem(TComponent* AOwner) : TComponent(AOwner) { RegisterDeferredClickUser(); }

TBarCustomItem::~TBarCustomItem() {
  Destroying();
  CancelQueuedClicks(this);
  while (!items_.empty()) Free(items_.back());
  if (parent_) parent_->Remove(this);
  if (linkSubitems_) {
    auto& list = linkSubitems_->linkedBy_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    linkSubitems_->RemoveFreeNotification(this);
    linkSubitems_ = nullptr;
  }
  // Items that showed these sub-items show their own again.
  for (TBarCustomItem* l : std::exchange(linkedBy_, {})) {
    l->linkSubitems_ = nullptr;
    l->RemoveFreeNotification(this);
    l->NotifyListeners(tbicSubitemsChanged, -1, nullptr);
  }
  actionLink_.reset();
  images_.reset();
  subMenuImages_.reset();
  listeners_.reset();
  UnregisterDeferredClickUser();
}

void TBarCustomItem::CheckIndex(int Index, int Limit) const {
  if (Index < 0 || Index > Limit) throw EBarItemError(SBarItemIndexOutOfRange);
}

TBarCustomItem* TBarCustomItem::Items(int Index) const {
  CheckIndex(Index, Count() - 1);
  return items_[static_cast<size_t>(Index)];
}

void TBarCustomItem::Insert(int Index, TBarCustomItem* AItem) {
  if (AItem->parent_) throw EBarItemError(SBarItemAlreadyInserted);
  // An item inside itself would make every walk over the tree endless.
  for (TBarCustomItem* p = this; p; p = p->parent_)
    if (p == AItem) throw EBarItemError(SBarItemAlreadyInserted);
  CheckIndex(Index, Count());
  items_.insert(items_.begin() + Index, AItem);
  AItem->parent_ = this;
  NotifyListeners(tbicSubitemsBeginUpdate, -1, nullptr);
  NotifyListeners(tbicInserted, Index, AItem);
  AItem->UpdateEffectiveOptions();
  NotifyListeners(tbicSubitemsEndUpdate, -1, nullptr);
}

void TBarCustomItem::Delete(int Index) {
  CheckIndex(Index, Count() - 1);
  TBarCustomItem* item = items_[static_cast<size_t>(Index)];
  NotifyListeners(tbicDeleting, Index, item);
  item->parent_ = nullptr;
  items_.erase(std::find(items_.begin(), items_.end(), item));
}

void TBarCustomItem::Remove(TBarCustomItem* AItem) {
  int i = IndexOf(AItem);
  if (i >= 0) Delete(i);
}

int TBarCustomItem::IndexOf(const TBarCustomItem* AItem) const {
  auto it = std::find(items_.begin(), items_.end(), AItem);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TBarCustomItem::Clear() {
  while (!items_.empty()) Free(items_.back());
}

void TBarCustomItem::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  CheckIndex(NewIndex, Count() - 1);
  TBarCustomItem* item = Items(CurIndex);
  NotifyListeners(tbicSubitemsBeginUpdate, -1, nullptr);
  try {
    Delete(CurIndex);
    Insert(NewIndex, item);
  } catch (...) {
    NotifyListeners(tbicSubitemsEndUpdate, -1, nullptr);
    throw;
  }
  NotifyListeners(tbicSubitemsEndUpdate, -1, nullptr);
}

// ---- listeners ----

void TBarCustomItem::RegisterNotification(const TBarItemChangeHandler& Proc) {
  if (!listeners_) listeners_ = std::make_unique<std::vector<Listener>>();
  for (Listener& l : *listeners_)
    if (l.Proc == Proc) {
      ++l.RefCount;
      return;
    }
  listeners_->push_back({Proc, 1});
}

void TBarCustomItem::UnregisterNotification(const TBarItemChangeHandler& Proc) {
  if (!listeners_) return;
  for (size_t i = 0; i < listeners_->size(); ++i) {
    Listener& l = (*listeners_)[i];
    if (l.Proc != Proc) continue;
    if (--l.RefCount == 0) listeners_->erase(listeners_->begin() + static_cast<std::ptrdiff_t>(i));
    if (listeners_->empty()) listeners_.reset();
    return;
  }
}

void TBarCustomItem::NotifyListeners(TBarItemChangedAction Action, int Index, TBarCustomItem* Item) {
  Notify(this, 0, Action, Index, Item);
}

void TBarCustomItem::RelayToParent(TBarCustomItem* Via, TBarCustomItem* Sender, int Depth, TBarItemChangedAction Action,
                                   int Index, TBarCustomItem* Item) {
  if ((Via->itemStyle_ & tbisInlineGroup) && Via->parent_ && Depth < MaxRelayDepth)
    Via->parent_->Notify(Sender, Depth + 1, Action, Index, Item);
}

void TBarCustomItem::Notify(TBarCustomItem* Sender, int Depth, TBarItemChangedAction Action, int Index,
                            TBarCustomItem* Item) {
  RelayToParent(this, Sender, Depth, Action, Index, Item);
  std::vector<TBarCustomItem*> linkedBy = linkedBy_;
  for (TBarCustomItem* l : linkedBy)
    if (l != parent_) RelayToParent(l, Sender, Depth, Action, Index, Item);
  for (size_t i = 0; listeners_ && i < listeners_->size();) {
    TBarItemChangeHandler proc = (*listeners_)[i].Proc;
    proc(Sender, Sender != this, Action, Index, Item);
    if (listeners_ && i < listeners_->size() && (*listeners_)[i].Proc == proc) ++i;
  }
}

// ---- properties ----

void TBarCustomItem::Changed(bool Resize) {
  if (parent_) parent_->NotifyListeners(Resize ? tbicInvalidateAndResize : tbicInvalidate, -1, this);
}

void TBarCustomItem::SetCaption(const WideString& Value) {
  if (caption_ == Value) return;
  caption_ = Value;
  Changed(true);
}

void TBarCustomItem::SetChecked(bool Value) {
  if (checked_ == Value) return;
  checked_ = Value;
  Changed(false);
  if (Value) UncheckGroup();
}

void TBarCustomItem::UncheckGroup() {
  if (groupIndex_ == 0 || !parent_) return;
  for (TBarCustomItem* sibling : std::vector<TBarCustomItem*>(parent_->items_))
    if (sibling != this && sibling->groupIndex_ == groupIndex_) sibling->SetChecked(false);
}

void TBarCustomItem::SetGroupIndex(int Value) {
  if (groupIndex_ == Value) return;
  groupIndex_ = Value;
  if (checked_) UncheckGroup();
}

void TBarCustomItem::SetDisplayMode(TBarItemDisplayMode Value) {
  if (displayMode_ == Value) return;
  displayMode_ = Value;
  Changed(true);
}

void TBarCustomItem::SetEnabled(bool Value) {
  if (enabled_ == Value) return;
  enabled_ = Value;
  Invalidate();
}

void TBarCustomItem::SetImageIndex(int Value) {
  if (imageIndex_ == Value) return;
  bool resize = (imageIndex_ < 0) != (Value < 0);
  imageIndex_ = Value;
  Changed(resize);
}

void TBarCustomItem::SetImages(TCustomImageList* Value) {
  TCustomImageList* old = Images();
  if (old == Value) return;
  if (!images_) {
    images_ = std::make_unique<TBarImageChangeLink>();
    images_->OnChange = TNotifyEvent(this, &TBarCustomItem::ImagesChange);
  }
  if (old) old->RemoveFreeNotification(this);
  images_->SetImages(Value);
  if (Value) Value->FreeNotification(this);
  bool resize = (old ? old->Width() : 0) != (Value ? Value->Width() : 0) ||
                (old ? old->Height() : 0) != (Value ? Value->Height() : 0);
  Changed(resize);
}

void TBarCustomItem::ImagesChange(TObject*) { Changed(images_->SizeChanged()); }

void TBarCustomItem::SetSubMenuImages(TCustomImageList* Value) {
  TCustomImageList* old = SubMenuImages();
  if (old == Value) return;
  if (!subMenuImages_) {
    subMenuImages_ = std::make_unique<TBarImageChangeLink>();
    subMenuImages_->OnChange = TNotifyEvent(this, &TBarCustomItem::SubMenuImagesChange);
  }
  if (old) old->RemoveFreeNotification(this);
  subMenuImages_->SetImages(Value);
  if (Value) Value->FreeNotification(this);
  NotifyListeners(tbicSubMenuImagesChanged, -1, nullptr);
}

void TBarCustomItem::SubMenuImagesChange(TObject*) { NotifyListeners(tbicSubMenuImagesChanged, -1, nullptr); }

void TBarCustomItem::SetRadioItem(bool Value) {
  if (radioItem_ == Value) return;
  radioItem_ = Value;
  Changed(false);
}

void TBarCustomItem::SetVisible(bool Value) {
  if (visible_ == Value) return;
  visible_ = Value;
  Changed(true);
}

void TBarCustomItem::SetLinkSubitems(TBarCustomItem* Value) {
  if (Value == this) Value = nullptr;
  if (linkSubitems_ == Value) return;
  if (linkSubitems_) {
    auto& list = linkSubitems_->linkedBy_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    linkSubitems_->RemoveFreeNotification(this);
  }
  linkSubitems_ = Value;
  if (Value) {
    Value->linkedBy_.push_back(this);
    Value->FreeNotification(this);
  }
  NotifyListeners(tbicSubitemsChanged, -1, nullptr);
}

void TBarCustomItem::SetOptions(TBarItemOptions Value) {
  Value = NormalizeOptions(Value);
  if (options_ == Value) return;
  options_ = Value;
  UpdateEffectiveOptions();
}

void TBarCustomItem::SetMaskOptions(TBarItemOptions Value) {
  if (maskOptions_ == Value) return;
  maskOptions_ = Value;
  UpdateEffectiveOptions();
}

void TBarCustomItem::SetInheritOptions(bool Value) {
  if (inheritOptions_ == Value) return;
  inheritOptions_ = Value;
  UpdateEffectiveOptions();
}

void TBarCustomItem::UpdateEffectiveOptions() {
  TBarItemOptions inherited;
  if (inheritOptions_ && parent_) inherited = parent_->effectiveOptions_ - tboDefault;
  TBarItemOptions value = NormalizeOptions((inherited - maskOptions_) + options_);
  if (value == effectiveOptions_) return;
  TBarItemOptions changed = (value - effectiveOptions_) + (effectiveOptions_ - value);
  effectiveOptions_ = value;
  if (!(changed * ResizingOptions).Empty()) Changed(true);
  for (TBarCustomItem* item : std::vector<TBarCustomItem*>(items_))
    if (item->inheritOptions_) item->UpdateEffectiveOptions();
}

void TBarCustomItem::SetName(const std::string& NewName) {
  if (NewName == Name()) return;
  TComponent::SetName(NewName);
  if (parent_) parent_->NotifyListeners(tbicNameChanged, parent_->IndexOf(this), this);
}

// ---- actions ----

void TBarCustomItem::SetAction(TBasicAction* Value) {
  if (!Value) {
    actionLink_.reset();
    return;
  }
  if (!actionLink_) {
    actionLink_.reset(CreateActionLink());
    actionLink_->OnChange = TNotifyEvent(this, &TBarCustomItem::DoActionChange);
  }
  actionLink_->SetAction(Value);
  ActionChange(Value, Value->IsLoading() || IsLoading());
  Value->FreeNotification(this);
}

void TBarCustomItem::DoActionChange(TObject* Sender) {
  if (Sender && Sender == Action()) ActionChange(Sender, false);
}

void TBarCustomItem::ActionChange(TObject* Sender, bool CheckDefaults) {
  auto* a = dynamic_cast<TCustomAction*>(Sender);
  if (!a) return;
  if (!CheckDefaults || !autoCheck_) SetAutoCheck(a->AutoCheck());
  if (!CheckDefaults || caption_.empty()) SetCaption(a->Caption());
  if (!CheckDefaults || !checked_) SetChecked(a->Checked());
  if (!CheckDefaults || enabled_) SetEnabled(a->Enabled());
  if (!CheckDefaults || helpContext_ == 0) SetHelpContext(a->HelpContext());
  if (!CheckDefaults || hint_.empty()) SetHint(a->Hint());
  if (!CheckDefaults || imageIndex_ == -1) SetImageIndex(a->ImageIndex());
  if (!CheckDefaults || shortCut_ == 0) SetShortCut(a->ShortCut());
  if (!CheckDefaults || visible_) SetVisible(a->Visible());
  if (!CheckDefaults || !OnClick) OnClick = a->OnExecute();
}

void TBarCustomItem::Loaded() {
  TComponent::Loaded();
  if (TBasicAction* a = Action()) ActionChange(a, true);
}

void TBarCustomItem::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (actionLink_ && (actionLink_->Action() == AComponent || !actionLink_->Action())) actionLink_.reset();
  // A list being freed is only forgotten: it is half gone already.
  if (images_ && images_->Images() == AComponent) {
    images_->Forget();
    Changed(true);
  }
  if (subMenuImages_ && subMenuImages_->Images() == AComponent) {
    subMenuImages_->Forget();
    NotifyListeners(tbicSubMenuImagesChanged, -1, nullptr);
  }
  if (linkSubitems_ == AComponent) SetLinkSubitems(nullptr);
  linkedBy_.erase(std::remove(linkedBy_.begin(), linkedBy_.end(), AComponent), linkedBy_.end());
}

// ---- clicks and popups ----

void TBarCustomItem::DoClick() {
  if (!enabled_) return;
  if (autoCheck_ && (!actionLink_ || !actionLink_->IsAutoCheckLinked())) SetChecked(!checked_);
  TBasicAction* action = Action();
  if (OnClick && action && !(OnClick == action->OnExecute()))
    OnClick(this);
  else if (!ComponentState().Contains(csDesigning) && actionLink_)
    actionLink_->Execute(this);
  else if (OnClick)
    OnClick(this);
}

void TBarCustomItem::InitiateAction() {
  if (actionLink_) actionLink_->Update();
}

void TBarCustomItem::FirePopup(TBarCustomItem* Sender, bool FromLink) {
  if (OnPopup) OnPopup(Sender, FromLink);
  if (!(itemStyle_ & tbisSplitButton)) DoClick();
}

TBarItemViewerClass TBarCustomItem::ViewerClass(TBarView*) { return &MakeBarItemViewer<TBarItemViewer>; }

// ---- shortcuts ----

WideString TBarCustomItem::GetShortCutText() const {
  size_t tab = caption_.find(L'\t');
  if (tab != WideString::npos && tab + 1 < caption_.size()) return caption_.substr(tab + 1);
  return shortCut_ == 0 ? WideString() : ShortCutToText(shortCut_);
}

TBarCustomItem* TBarCustomItem::FindShortCut(TShortCut AShortCut, TBarCustomItem*& ATopmostParent, int Depth) {
  ATopmostParent = nullptr;
  TBarCustomItem* source = this;
  if (linkSubitems_) {
    source = linkSubitems_;
    ++Depth;
  }
  if (Depth > MaxShortCutDepth) return nullptr;
  for (TBarCustomItem* item : std::vector<TBarCustomItem*>(source->items_)) {
    if (item->shortCut_ == AShortCut) return item;
    TBarCustomItem* below = nullptr;
    if (TBarCustomItem* found = item->FindShortCut(AShortCut, below, Depth + 1)) {
      ATopmostParent = item;
      return found;
    }
  }
  return nullptr;
}

TBarCustomItem* TBarCustomItem::FindByShortCut(TShortCut AShortCut, TBarCustomItem*& ATopmostParent) {
  ATopmostParent = nullptr;
  // Items without a shortcut all hold 0; no key makes 0.
  if (AShortCut == 0) return nullptr;
  return FindShortCut(AShortCut, ATopmostParent, 0);
}

bool TBarCustomItem::DispatchShortCut(TWMKey& Message) {
  TShortCut key = ::ShortCut(Message.CharCode, KeyDataToShiftState(Message.KeyData));
  bool designing = ComponentState().Contains(csDesigning);
  for (int restart = 0; restart <= MaxDispatchRestarts; ++restart) {
    TBarCustomItem* top = nullptr;
    TBarCustomItem* found = FindByShortCut(key, top);
    if (!found) return false;
    TBarCustomItem* level = this;
    bool lost = false;
    for (;;) {
      if (!level->enabled_) return false;
      TBarCustomItem* source = level->GetItemsWithLink();
      if (!designing)
        for (TBarCustomItem* item : std::vector<TBarCustomItem*>(source->items_)) item->InitiateAction();
      if (!(level->itemStyle_ & tbisInlineGroup)) {
        if (level->linkSubitems_) level->linkSubitems_->FirePopup(level, true);
        level->FirePopup(level, false);
      }
      found = level->FindByShortCut(key, top);
      if (!found) {
        lost = true;
        break;
      }
      if (!top) break;
      level = top;
    }
    if (lost) continue;
    if (!found->enabled_) return false;
    found->DoClick();
    return true;
  }
  return false;
}

// ---- component plumbing ----

TComponent* TBarCustomItem::GetParentComponent() const {
  if (parent_ && parent_->parentComponent_) return parent_->parentComponent_;
  return parent_;
}

void TBarCustomItem::SetParentComponent(TComponent* Value) {
  if (parent_) parent_->Remove(this);
  if (auto* item = dynamic_cast<TBarCustomItem*>(Value)) {
    item->Add(this);
  } else if (auto* holder = dynamic_cast<IBarItemsHolder*>(Value)) {
    if (TBarCustomItem* root = holder->GetItems()) root->Add(this);
  }
}

void TBarCustomItem::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent*) {
  for (TBarCustomItem* item : std::vector<TBarCustomItem*>(items_)) Proc(item);
}

void TBarCustomItem::SetChildOrder(TComponent* Child, int Order) {
  int i = IndexOf(dynamic_cast<TBarCustomItem*>(Child));
  if (i >= 0 && Order >= 0 && Order < Count()) Move(i, Order);
}

// ---- TBarSeparatorItem ----

HV_PUBLISH(TBarSeparatorItem) {
  p.Prop("Blank", &T::Blank, &T::SetBlank).Default(false);
  p.Prop("Hint", &T::Hint, &T::SetHint);
  p.Prop("Visible", &T::Visible, &T::SetVisible).Default(true);
}

TBarSeparatorItem::TBarSeparatorItem(TComponent* AOwner) : TBarCustomItem(AOwner) {
  SetItemStyle((ItemStyle() & ~(tbisCanSelect | tbisRepaintOnSelect | tbisRepaintOnHover)) | tbisDivider |
               tbisIgnoresClicks);
}

void TBarSeparatorItem::SetBlank(bool Value) {
  if (blank_ == Value) return;
  blank_ = Value;
  Changed(false);
}

TBarItemViewerClass TBarSeparatorItem::ViewerClass(TBarView*) { return &MakeBarItemViewer<TBarSeparatorItemViewer>; }

// ---- TBarControlItem ----

HV_PUBLISH(TBarControlItem) { p.Prop("Control", &T::Control, &T::SetControl); }

TBarControlItem::TBarControlItem(TComponent* AOwner) : TBarCustomItem(AOwner) {
  SetItemStyle((ItemStyle() & ~tbisCanSelect) | tbisIgnoresClicks);
}

TBarControlItem::TBarControlItem(TComponent* AOwner, TControl* AControl) : TBarControlItem(AOwner) {
  SetControl(AControl);
}

TBarControlItem::~TBarControlItem() {
  if (control_ && !dontFreeControl_ && !control_->ComponentState().Contains(csAncestor)) {
    TControl* control = control_;
    control_->RemoveFreeNotification(this);
    control_ = nullptr;
    Free(control);
  }
}

void TBarControlItem::SetControl(TControl* Value) {
  if (control_ == Value) return;
  if (control_) control_->RemoveFreeNotification(this);
  control_ = Value;
  if (Value) Value->FreeNotification(this);
  Changed(true);
}

void TBarControlItem::Notification(TComponent* AComponent, TOperation Operation) {
  TBarCustomItem::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == control_) {
    control_ = nullptr;
    Changed(true);
  }
}

HV_PUBLISH(TBarRootItem) {}
