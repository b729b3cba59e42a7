// Actions, action links and action lists.
#include "framework/Actions.h"

#include <algorithm>

#include "framework/CodePages.h"
#include "framework/ImageList.h"
#include "framework/ImageListLink.h"
#include "framework/ScopeGuards.h"

namespace {

TActionUpdatePass* currentPass = nullptr;

}  // namespace

// ---- links ----

HV_PUBLISH(TBasicActionLink) {}
HV_PUBLISH(TActionLink) {}

TBasicActionLink::TBasicActionLink(TObject*) {}

TBasicActionLink::~TBasicActionLink() {
  if (action_) action_->UnRegisterChanges(this);
}

void TBasicActionLink::SetAction(TBasicAction* Value) {
  if (action_ == Value) return;
  if (action_) action_->UnRegisterChanges(this);
  if (Value) Value->RegisterChanges(this);
}

bool TBasicActionLink::Execute(TComponent* AComponent) {
  if (!action_) return false;
  TBasicAction* action = action_;
  action->SetActionComponent(AComponent);
  // The handler may have freed the action (then the link no longer names it).
  TScopeExit done([&] {
    if (action_ == action) action->SetActionComponent(nullptr);
  });
  return action->Execute();
}

bool TBasicActionLink::Update() {
  if (!action_ || !TActionUpdatePass::Claim(action_)) return false;
  return action_->Update();
}

void TBasicActionLink::Change() {
  if (OnChange) OnChange(action_);
}

TCustomAction* TActionLink::CustomAction() const { return dynamic_cast<TCustomAction*>(Action()); }

bool TActionLink::IsAutoCheckLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsCaptionLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsCheckedLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsEnabledLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsGroupIndexLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsHelpContextLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsHintLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsImageIndexLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsShortCutLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsVisibleLinked() { return CustomAction() != nullptr; }

// ---- TBasicAction ----

HV_PUBLISH(TBasicAction) {}

TBasicAction::TBasicAction(TComponent* AOwner) : TComponent(AOwner) {}

TBasicAction::~TBasicAction() {
  OnChange = nullptr;
  while (!clients_.empty()) UnRegisterChanges(clients_.back());
}

bool TBasicAction::Execute() {
  if (!onExecute_) return false;
  onExecute_(this);
  return true;
}

bool TBasicAction::Update() {
  if (!OnUpdate) return false;
  OnUpdate(this);
  return true;
}

void TBasicAction::SetActionComponent(TComponent* Value) { actionComponent_ = Value; }

void TBasicAction::SetOnExecute(const TNotifyEvent& Value) {
  if (onExecute_ == Value) return;
  for (size_t i = clients_.size(); i-- > 0;)
    if (i < clients_.size()) clients_[i]->SetOnExecute(Value);
  onExecute_ = Value;
  Change();
}

void TBasicAction::RegisterChanges(TBasicActionLink* Value) {
  if (!Value || Value->action_ == this) return;
  if (Value->action_) Value->action_->UnRegisterChanges(Value);
  Value->action_ = this;
  clients_.push_back(Value);
}

void TBasicAction::UnRegisterChanges(TBasicActionLink* Value) {
  auto it = std::find(clients_.begin(), clients_.end(), Value);
  if (it == clients_.end()) return;
  clients_.erase(it);
  Value->action_ = nullptr;
}

void TBasicAction::Change() {
  if (OnChange) OnChange(this);
  // A client may drop its link while it hears about the change.
  for (size_t i = clients_.size(); i-- > 0;)
    if (i < clients_.size()) clients_[i]->Change();
}

void TBasicAction::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == actionComponent_) actionComponent_ = nullptr;
}

// ---- TContainedAction ----

HV_PUBLISH(TContainedAction) { p.Prop("Category", &T::Category, &T::SetCategory); }

TContainedAction::TContainedAction(TComponent* AOwner) : TBasicAction(AOwner) {}

TContainedAction::~TContainedAction() {
  if (actionList_) actionList_->RemoveAction(this);
}

bool TContainedAction::Execute() {
  if (actionList_ && actionList_->ExecuteAction(this)) return true;
  return TBasicAction::Execute();
}

bool TContainedAction::Update() {
  if (actionList_ && actionList_->UpdateAction(this)) return true;
  return TBasicAction::Update();
}

void TContainedAction::SetActionList(TCustomActionList* Value) {
  if (actionList_ == Value) return;
  if (actionList_) actionList_->RemoveAction(this);
  if (Value) Value->AddAction(this);
}

int TContainedAction::Index() const { return actionList_ ? actionList_->IndexOfAction(this) : -1; }

void TContainedAction::SetIndex(int Value) {
  if (actionList_) actionList_->MoveAction(this, Value);
}

void TContainedAction::SetCategory(const WideString& Value) {
  if (category_ == Value) return;
  category_ = Value;
  if (actionList_) actionList_->Change();
}

TComponent* TContainedAction::GetParentComponent() const { return actionList_; }

void TContainedAction::SetParentComponent(TComponent* AParent) {
  if (auto* list = dynamic_cast<TCustomActionList*>(AParent)) SetActionList(list);
}

// ---- TShortCutList ----

HV_PUBLISH(TShortCutList) {}

int TShortCutList::IndexOfShortCut(TShortCut ShortCut) const {
  if (ShortCut == 0) return -1;
  for (int i = 0; i < Count(); ++i)
    if (ShortCuts(i) == ShortCut) return i;
  return -1;
}

int TShortCutList::AddShortCut(TShortCut ShortCut) { return Add(WideToAnsi(ShortCutToText(ShortCut))); }

// ---- TCustomAction ----

HV_PUBLISH(TCustomAction) {}

TCustomAction::TCustomAction(TComponent* AOwner)
    : TContainedAction(AOwner), secondaryShortCuts_(std::make_unique<TShortCutList>()) {}

TCustomAction::~TCustomAction() = default;

bool TCustomAction::Execute() {
  // Within an update pass (a shortcut on its way) the action may have updated already.
  if (TActionUpdatePass::Claim(this)) Update();
  if (!enabled_) return false;
  if (autoCheck_ && (!checked_ || groupIndex_ == 0)) SetChecked(!checked_);
  return TContainedAction::Execute();
}

bool TCustomAction::DoHint(WideString& HintStr) {
  bool canShow = true;
  if (OnHint) OnHint(HintStr, canShow);
  return canShow;
}

void TCustomAction::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TCustomAction*>(Source);
  if (!source) {
    TContainedAction::Assign(Source);
    return;
  }
  SetAutoCheck(source->autoCheck_);
  SetCaption(source->caption_);
  SetChecked(source->checked_);
  SetEnabled(source->enabled_);
  SetGroupIndex(source->groupIndex_);
  SetHelpContext(source->helpContext_);
  SetHint(source->hint_);
  SetImageIndex(source->imageIndex_);
  SetShortCut(source->shortCut_);
  SetSecondaryShortCuts(source->secondaryShortCuts_.get());
  SetVisible(source->visible_);
}

// Each setter tells the links before it stores the value (see the header).
#define HV_ACTION_SETTER(Name, Type, field)                                               \
  void TCustomAction::Set##Name(Type Value) {                                             \
    if (field == Value) return;                                                           \
    for (size_t i = clients_.size(); i-- > 0;)                                            \
      if (i < clients_.size())                                                            \
        if (auto* link = dynamic_cast<TActionLink*>(clients_[i])) link->Set##Name(Value); \
    field = Value;                                                                        \
    Change();                                                                             \
  }

HV_ACTION_SETTER(AutoCheck, bool, autoCheck_)
HV_ACTION_SETTER(Caption, const WideString&, caption_)
HV_ACTION_SETTER(Enabled, bool, enabled_)
HV_ACTION_SETTER(HelpContext, int, helpContext_)
HV_ACTION_SETTER(Hint, const WideString&, hint_)
HV_ACTION_SETTER(ImageIndex, int, imageIndex_)
HV_ACTION_SETTER(ShortCut, TShortCut, shortCut_)
HV_ACTION_SETTER(Visible, bool, visible_)

#undef HV_ACTION_SETTER

void TCustomAction::SetChecked(bool Value) {
  if (checked_ == Value || checking_) return;
  TTempValue checking(checking_, true);
  for (size_t i = clients_.size(); i-- > 0;)
    if (i < clients_.size())
      if (auto* link = dynamic_cast<TActionLink*>(clients_[i])) link->SetChecked(Value);
  checked_ = Value;
  if (checked_) UncheckGroup();
  Change();
}

void TCustomAction::SetGroupIndex(int Value) {
  if (groupIndex_ == Value) return;
  for (size_t i = clients_.size(); i-- > 0;)
    if (i < clients_.size())
      if (auto* link = dynamic_cast<TActionLink*>(clients_[i])) link->SetGroupIndex(Value);
  groupIndex_ = Value;
  // Joining a group while checked: the others of the group give way.
  if (checked_) UncheckGroup();
  Change();
}

void TCustomAction::UncheckGroup() {
  if (groupIndex_ <= 0 || !ActionList()) return;
  TCustomActionList* list = ActionList();
  for (int i = 0; i < list->ActionCount(); ++i) {
    auto* other = dynamic_cast<TCustomAction*>(list->Actions(i));
    if (other && other != this && other->groupIndex_ == groupIndex_) other->SetChecked(false);
  }
}

void TCustomAction::SetSecondaryShortCuts(TShortCutList* Value) {
  if (Value == secondaryShortCuts_.get()) return;
  if (Value)
    secondaryShortCuts_->Assign(Value);
  else
    secondaryShortCuts_->Clear();
}

bool TCustomAction::HasShortCut(TShortCut Value) const {
  if (Value == 0) return false;
  return shortCut_ == Value || secondaryShortCuts_->IndexOfShortCut(Value) >= 0;
}

// The values of an action in the order form files list them; the handlers last.
HV_PUBLISH(TAction) {
  p.Prop("AutoCheck", &T::AutoCheck, &T::SetAutoCheck).Default(false);
  p.Prop("Caption", &T::Caption, &T::SetCaption);
  p.Prop("Checked", &T::Checked, &T::SetChecked).Default(false);
  p.Prop("Enabled", &T::Enabled, &T::SetEnabled).Default(true);
  p.Prop("GroupIndex", &T::GroupIndex, &T::SetGroupIndex).Default(0);
  p.Prop("HelpContext", &T::HelpContext, &T::SetHelpContext).Default(0);
  p.Prop("Hint", &T::Hint, &T::SetHint);
  p.Prop("ImageIndex", &T::ImageIndex, &T::SetImageIndex).Default(-1);
  p.Prop("ShortCut", &T::ShortCut, &T::SetShortCut).Default(0);
  p.Prop("SecondaryShortCuts", &T::SecondaryShortCuts, &T::SetSecondaryShortCuts)
      .Stored(&T::IsSecondaryShortCutsStored);
  p.Prop("Visible", &T::Visible, &T::SetVisible).Default(true);
  p.Event("OnExecute", &T::OnExecute, &T::SetOnExecute);
  p.Event("OnHint", &T::OnHint);
  p.Event("OnUpdate", &T::OnUpdate);
}

HV_PUBLISH(THintAction) { p.Prop("Hint", &T::Hint, &T::SetHint); }

// ---- action lists ----

HV_PUBLISH(TCustomActionList) {}

HV_PUBLISH(TActionList) {
  p.Prop("Images", &T::Images, &T::SetImages);
  p.Event("OnChange", &T::OnChange);
  p.Event("OnExecute", &T::OnExecute);
  p.Event("OnUpdate", &T::OnUpdate);
}

TCustomActionList::TCustomActionList(TComponent* AOwner) : TComponent(AOwner) {}

TCustomActionList::~TCustomActionList() {
  // The actions are the list's children: they go with it.
  OnChange = nullptr;
  if (images_) images_->UnRegisterChanges(TNotifyEvent(this, &TCustomActionList::ImageListChange));
  while (!actions_.empty()) delete actions_.back();
}

void TCustomActionList::SetImages(TCustomImageList* Value) {
  if (!LinkImageList(images_, Value, TNotifyEvent(this, &TCustomActionList::ImageListChange), this)) return;
  Change();
}

void TCustomActionList::ImageListChange(TObject* Sender) {
  if (Sender == images_) Change();
}

TContainedAction* TCustomActionList::Actions(int Index) const {
  if (Index < 0 || Index >= ActionCount()) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return actions_[static_cast<size_t>(Index)];
}

int TCustomActionList::IndexOfAction(const TContainedAction* Action) const {
  auto it = std::find(actions_.begin(), actions_.end(), Action);
  return it == actions_.end() ? -1 : static_cast<int>(it - actions_.begin());
}

bool TCustomActionList::ExecuteAction(TBasicAction* Action) {
  bool handled = false;
  if (OnExecute) OnExecute(Action, handled);
  return handled;
}

bool TCustomActionList::UpdateAction(TBasicAction* Action) {
  bool handled = false;
  if (OnUpdate) OnUpdate(Action, handled);
  return handled;
}

bool TCustomActionList::IsShortCut(TShortCut ShortCut) {
  if (ShortCut == 0) return false;
  for (TContainedAction* action : actions_)
    if (auto* custom = dynamic_cast<TCustomAction*>(action))
      if (custom->HasShortCut(ShortCut)) return custom->HandleShortCut();
  return false;
}

void TCustomActionList::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
  for (TContainedAction* action : actions_)
    if (action->Owner() == Root) Proc(action);
}

void TCustomActionList::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == images_ && images_) {
    images_ = nullptr;
    if (!ComponentState().Contains(csDestroying)) Change();
  }
  if (auto* action = dynamic_cast<TContainedAction*>(AComponent))
    if (action->actionList_ == this) RemoveAction(action);
}

void TCustomActionList::Change() {
  if (OnChange) OnChange(this);
}

void TCustomActionList::AddAction(TContainedAction* Action) {
  actions_.push_back(Action);
  Action->actionList_ = this;
  Action->FreeNotification(this);
  Change();
}

void TCustomActionList::RemoveAction(TContainedAction* Action) {
  auto it = std::find(actions_.begin(), actions_.end(), Action);
  if (it == actions_.end()) return;
  actions_.erase(it);
  Action->actionList_ = nullptr;
  Change();
}

void TCustomActionList::MoveAction(TContainedAction* Action, int NewIndex) {
  int current = IndexOfAction(Action);
  if (current < 0) return;
  NewIndex = std::clamp(NewIndex, 0, ActionCount() - 1);
  if (NewIndex == current) return;
  actions_.erase(actions_.begin() + current);
  actions_.insert(actions_.begin() + NewIndex, Action);
  Change();
}

// ---- idle updates ----

TActionUpdatePass::TActionUpdatePass() : outer_(currentPass) { currentPass = this; }

TActionUpdatePass::~TActionUpdatePass() { currentPass = outer_; }

bool TActionUpdatePass::Claim(TBasicAction* Action) {
  if (!currentPass) return true;
  auto& updated = currentPass->updated_;
  if (std::find(updated.begin(), updated.end(), Action) != updated.end()) return false;
  updated.push_back(Action);
  return true;
}

void UpdateOwnedActions(TComponent* Owner) {
  if (!Owner) return;
  for (int i = 0; i < Owner->ComponentCount(); ++i) {
    TComponent* c = Owner->Components(i);
    if (auto* list = dynamic_cast<TCustomActionList*>(c)) {
      for (int j = 0; j < list->ActionCount(); ++j) {
        TContainedAction* action = list->Actions(j);
        if (TActionUpdatePass::Claim(action)) action->Update();
      }
    } else if (c->ComponentCount() > 0) {
      UpdateOwnedActions(c);  // frames and data modules inside the form
    }
  }
}

namespace {
// Form files create actions and action lists by class name.
const bool registered = [] {
  RegisterClasses({&TAction::StaticClassInfo(), &THintAction::StaticClassInfo(), &TActionList::StaticClassInfo()});
  return true;
}();
}  // namespace
