// Named string lists of a form.
#include "foundation/ApStrHolder.h"

#include "framework/CodePages.h"
#include "framework/StrRoutines.h"

TApMultiStringHolderCollectionItem::TApMultiStringHolderCollectionItem(TCollection* Collection)
    : TCollectionItem(Collection), strings_(std::make_unique<TStringList>()) {}

void TApMultiStringHolderCollectionItem::SetName(const AnsiString& Value) {
  AnsiString name = Trim(Value);
  if (!name.empty())
    if (auto* c = dynamic_cast<TApMultiStringHolderCollection*>(Collection()); c && c->FindItem(name))
      throw EApException("String list does not allow duplicates");
  name_ = name;
}

void TApMultiStringHolderCollectionItem::SetStrings(TStrings* Value) {
  if (Value != strings_.get()) strings_->Assign(Value);
}

void TApMultiStringHolderCollectionItem::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TApMultiStringHolderCollectionItem*>(Source);
  if (!src) {
    TCollectionItem::Assign(Source);
    return;
  }
  // The source's collection kept its names unique already.
  name_ = src->name_;
  strings_->Assign(src->strings_.get());
}

std::string TApMultiStringHolderCollectionItem::GetDisplayName() { return name_.empty() ? "(unnamed)" : name_; }

HV_PUBLISH(TApMultiStringHolderCollectionItem) {
  p.Prop("Name", &T::Name, &T::SetName);
  p.Prop("Strings", &T::Strings, &T::SetStrings);
}

TApMultiStringHolderCollection::TApMultiStringHolderCollection(TPersistent* Owner)
    : TOwnedCollection(Owner, TApMultiStringHolderCollectionItem::StaticClassInfo()) {}

TApMultiStringHolderCollectionItem* TApMultiStringHolderCollection::FindItem(const AnsiString& Name) const {
  for (int i = 0; i < Count(); ++i)
    if (SameText(Items(i)->Name(), Name)) return Items(i);
  return nullptr;
}

HV_PUBLISH(TApMultiStringHolderCollection) {}

TApMultiStringHolder::TApMultiStringHolder(TComponent* AOwner)
    : TComponent(AOwner), strings_(std::make_unique<TApMultiStringHolderCollection>(this)) {}

void TApMultiStringHolder::SetMultipleStrings(TApMultiStringHolderCollection* Value) {
  if (Value != strings_.get()) strings_->Assign(Value);
}

TStrings* TApMultiStringHolder::GetStringsByName(const AnsiString& Name) const {
  if (TApMultiStringHolderCollectionItem* item = strings_->FindItem(Name)) return item->Strings();
  throw EApMultiStringHolderException(L"No item found with name \"" + AnsiToWide(Name) + L"\"");
}

HV_PUBLISH(TApMultiStringHolder) { p.Prop("MultipleStrings", &T::MultipleStrings, &T::SetMultipleStrings); }

namespace {
// Form files create holders by class name.
const bool registered = [] {
  RegisterClass(TApMultiStringHolder::StaticClassInfo());
  return true;
}();
}  // namespace
