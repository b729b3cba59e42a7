// Ownership, names and free notification of components.
#include "framework/Component.h"

#include <algorithm>
#include <iterator>

#include "framework/StrRoutines.h"

namespace {

// Searches from the back: components usually go in the reverse order of their coming.
void Erase(std::vector<TComponent*>& v, TComponent* c) {
  auto it = std::find(v.rbegin(), v.rend(), c);
  if (it != v.rend()) v.erase(std::next(it).base());
}

std::string NameKey(std::string_view name) {
  std::string key(name);
  for (char& c : key)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return key;
}

}  // namespace

HV_PUBLISH(TComponent) {
  p.Prop("Name", &T::Name, &T::SetName).Stored(false);
  p.Prop("Tag", &T::Tag, &T::SetTag).Default(0);
}

bool IsValidIdent(std::string_view ident) {
  if (ident.empty()) return false;
  auto alpha = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; };
  if (!alpha(ident[0])) return false;
  for (char c : ident)
    if (!alpha(c) && !(c >= '0' && c <= '9')) return false;
  return true;
}

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  Destroying();
  // Whoever asked to hear about this component hears it now; each unlinks itself.
  while (!freeNotifies_.empty()) {
    TComponent* other = freeNotifies_.back();
    freeNotifies_.pop_back();
    Erase(other->freeNotifies_, this);
    other->Notification(this, opRemove);
  }
  DestroyComponents();
  if (owner_) owner_->RemoveComponent(this);
}

TComponent* TComponent::Components(int index) const {
  if (index < 0 || index >= ComponentCount())
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  return components_[static_cast<size_t>(index)];
}

int TComponent::ComponentIndex() const {
  if (!owner_) return -1;
  auto& list = owner_->components_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

TComponent* TComponent::FindComponent(std::string_view AName) const {
  if (AName.empty()) return nullptr;
  if (namesShared_) {
    for (TComponent* c : components_)
      if (SameText(c->name_, AName)) return c;
    return nullptr;
  }
  auto it = names_.find(NameKey(AName));
  return it == names_.end() ? nullptr : it->second;
}

void TComponent::IndexName(TComponent* AComponent) {
  if (AComponent->name_.empty()) return;
  if (!names_.emplace(NameKey(AComponent->name_), AComponent).second) namesShared_ = true;
}

void TComponent::UnindexName(TComponent* AComponent) {
  if (AComponent->name_.empty()) return;
  auto it = names_.find(NameKey(AComponent->name_));
  if (it != names_.end() && it->second == AComponent) names_.erase(it);
}

void TComponent::SetName(const std::string& NewName) {
  if (name_ == NewName) return;
  if (!NewName.empty() && !IsValidIdent(NewName))
    throw EComponentError("'" + NewName + "' is not a valid component name");
  if (owner_)
    owner_->ValidateRename(this, name_, NewName);
  else
    ValidateRename(nullptr, name_, NewName);
  if (owner_) owner_->UnindexName(this);
  name_ = NewName;
  if (owner_) owner_->IndexName(this);
}

void TComponent::ValidateRename(TComponent* AComponent, const std::string& CurName, const std::string& NewName) {
  if (AComponent && !SameText(CurName, NewName)) {
    TComponent* existing = FindComponent(NewName);
    if (existing && existing != AComponent) throw EComponentError("A component named " + NewName + " already exists");
  }
}

void TComponent::ValidateInsert(TComponent*) {}

void TComponent::InsertComponent(TComponent* AComponent) {
  if (!AComponent || AComponent->owner_ == this) return;
  ValidateRename(AComponent, std::string(), AComponent->name_);
  ValidateInsert(AComponent);
  // Two owners would both free it.
  if (AComponent->owner_) AComponent->owner_->RemoveComponent(AComponent);
  Insert(AComponent);
  if (state_.Contains(csDesigning)) AComponent->SetDesigning(true);
  Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  if (!AComponent || AComponent->owner_ != this) return;
  Notification(AComponent, opRemove);
  Remove(AComponent);
}

void TComponent::Insert(TComponent* AComponent) {
  components_.push_back(AComponent);
  AComponent->owner_ = this;
  IndexName(AComponent);
}

void TComponent::Remove(TComponent* AComponent) {
  UnindexName(AComponent);
  AComponent->owner_ = nullptr;
  Erase(components_, AComponent);
}

void TComponent::DestroyComponents() {
  while (!components_.empty()) {
    TComponent* c = components_.back();
    c->BeforeDestruction();
    // BeforeDestruction may have freed other components of this one, or this one.
    if (components_.empty() || components_.back() != c) continue;
    Remove(c);
    delete c;
  }
}

void TComponent::Destroying() {
  if (state_.Contains(csDestroying)) return;
  state_.Include(csDestroying);
  for (TComponent* c : components_) c->Destroying();
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == opRemove && AComponent) RemoveNotification(AComponent);
  // Owned components hear about a removal too, since they may point at what goes (the list
  // may shrink while they do). An insertion concerns the owner alone: telling every sibling of
  // every new component would make reading a form of many components quadratic.
  if (Operation != opRemove) return;
  for (size_t i = components_.size(); i-- > 0;) {
    if (i < components_.size()) components_[i]->Notification(AComponent, Operation);
  }
}

void TComponent::RemoveNotification(TComponent* AComponent) { Erase(freeNotifies_, AComponent); }

void TComponent::FreeNotification(TComponent* AComponent) {
  if (!AComponent || AComponent == this) return;
  // The link is kept on both sides, so the shorter list tells whether it exists: a component
  // that watches thousands of others (a form reader) adds each in constant time.
  const bool mineShorter = freeNotifies_.size() <= AComponent->freeNotifies_.size();
  const std::vector<TComponent*>& shorter = mineShorter ? freeNotifies_ : AComponent->freeNotifies_;
  TComponent* other = mineShorter ? AComponent : this;
  if (std::find(shorter.rbegin(), shorter.rend(), other) == shorter.rend()) {
    freeNotifies_.push_back(AComponent);
    AComponent->freeNotifies_.push_back(this);
  }
  state_.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
  if (!AComponent) return;
  Erase(freeNotifies_, AComponent);
  Erase(AComponent->freeNotifies_, this);
}

void TComponent::SetLoading(bool loading) {
  if (loading)
    state_.Include(csLoading);
  else
    state_.Exclude(csLoading);
}

void TComponent::SetReading(bool reading) {
  if (reading)
    state_.Include(csReading);
  else
    state_.Exclude(csReading);
}

void TComponent::SetInline(bool isInline) {
  if (isInline)
    state_.Include(csInline);
  else
    state_.Exclude(csInline);
}

void TComponent::Loaded() { state_.Exclude(csLoading); }

void TComponent::SetDesigning(bool Value, bool SetChildren) {
  if (Value)
    state_.Include(csDesigning);
  else
    state_.Exclude(csDesigning);
  if (SetChildren)
    for (TComponent* c : components_) c->SetDesigning(Value);
}

namespace {
bool designTimeProcess = false;
}  // namespace

bool DesignTimeProcess() { return designTimeProcess; }
void SetDesignTimeProcess(bool Value) { designTimeProcess = Value; }

std::string TComponent::GetNamePath() { return name_; }

TPersistent* TComponent::GetOwner() { return owner_; }

void TComponent::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
  // A root lists what it owns that has no parent of its own (controls are listed by their parents).
  if (Root != this) return;
  for (TComponent* c : components_)
    if (!c->HasParent()) Proc(c);
}
