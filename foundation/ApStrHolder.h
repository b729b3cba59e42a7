// Named lists of 8-bit strings kept in a form's resource; forms fetch their message texts
// from one by name.
#pragma once

#include <memory>

#include "foundation/ApUtils.h"
#include "framework/Component.h"
#include "framework/Lists.h"
#include "framework/StringLists.h"

HV_DECLARE_EXCEPTION(EApMultiStringHolderException, EApException);

class TApMultiStringHolderCollectionItem : public TCollectionItem {
  HV_CLASS(TApMultiStringHolderCollectionItem, TCollectionItem)
 public:
  explicit TApMultiStringHolderCollectionItem(TCollection* Collection);

  const AnsiString& Name() const { return name_; }
  // Trimmed of blanks and control characters; a name that any item of the collection
  // carries already (this one included, letter case ignored) raises EApException
  // "String list does not allow duplicates"; an empty value clears the name.
  void SetName(const AnsiString& Value);
  TStrings* Strings() const { return strings_.get(); }
  void SetStrings(TStrings* Value);
  std::string GetDisplayName() override;
  // Copies the name and the strings of another item.
  void Assign(TPersistent* Source) override;

 private:
  AnsiString name_;
  std::unique_ptr<TStringList> strings_;
};

class TApMultiStringHolderCollection : public TOwnedCollection {
  HV_CLASS(TApMultiStringHolderCollection, TOwnedCollection)
 public:
  explicit TApMultiStringHolderCollection(TPersistent* Owner);
  TApMultiStringHolderCollectionItem* Items(int Index) const {
    return static_cast<TApMultiStringHolderCollectionItem*>(TCollection::Items(Index));
  }
  TApMultiStringHolderCollectionItem* Add() {
    return static_cast<TApMultiStringHolderCollectionItem*>(TCollection::Add());
  }
  // The first item of that name (ASCII letter case ignored), or null.
  TApMultiStringHolderCollectionItem* FindItem(const AnsiString& Name) const;
};

class TApMultiStringHolder : public TComponent {
  HV_CLASS(TApMultiStringHolder, TComponent)
 public:
  explicit TApMultiStringHolder(TComponent* AOwner);

  TApMultiStringHolderCollection* MultipleStrings() const { return strings_.get(); }
  void SetMultipleStrings(TApMultiStringHolderCollection* Value);
  // The strings of the item named Name; EApMultiStringHolderException
  // "No item found with name "<Name>"" when there is none.
  TStrings* GetStringsByName(const AnsiString& Name) const;

 private:
  std::unique_ptr<TApMultiStringHolderCollection> strings_;
};
