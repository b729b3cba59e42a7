// Stores and restores chosen published properties of a form's components ("Component.Property"
// entries) through a settings storage, each at "<path>\<Component>_<Property>".
#pragma once

#include <string>
#include <vector>

#include "foundation/ApAppStorage.h"

// The published properties of an object's class (methods left out), in name order.
class TApPropInfoList {
 public:
  explicit TApPropInfoList(const TObject* Object);
  int Count() const { return static_cast<int>(items_.size()); }
  const TPropInfo* Items(int Index) const { return items_[static_cast<size_t>(Index)]; }
  // The property of that name (ASCII letter case ignored), or null.
  const TPropInfo* FindProperty(const std::string& Name) const;

 private:
  std::vector<const TPropInfo*> items_;
};

// Splits an entry "Component.Property" at its first "."; both parts trimmed. False (and
// nothing set) when either part is empty.
bool ParseStoredEntry(const AnsiString& Entry, AnsiString& ComponentName, AnsiString& PropName);

// Keeps each entry of a stored-properties list bound to its component (the item's object),
// walking from the last entry to the first. Invalid entries are deleted. FromForm (after the
// form was read): each entry is bound to the form's component of that name, or deleted when
// there is none. Otherwise (before the form is written): each bound entry is rewritten with its
// component's current name, and unbound entries are deleted.
void RelinkStoredList(TComponent* Form, TStrings& List, bool FromForm);

class TApPropertyStorage {
 public:
  TApPropertyStorage() = default;
  virtual ~TApPropertyStorage() = default;
  TApPropertyStorage(const TApPropertyStorage&) = delete;
  TApPropertyStorage& operator=(const TApPropertyStorage&) = delete;

  TApCustomAppStorage* AppStorage() const { return appStorage_; }
  void SetAppStorage(TApCustomAppStorage* Value) { appStorage_ = Value; }
  const AnsiString& AppStoragePath() const { return appStoragePath_; }
  void SetAppStoragePath(const AnsiString& Value) { appStoragePath_ = Value; }

  // The string at Path joined with the translated Item; Default without a storage.
  virtual AnsiString ReadString(const AnsiString& Path, const AnsiString& Item, const AnsiString& Default);
  virtual void WriteString(const AnsiString& Path, const AnsiString& Item, const AnsiString& Value);
  virtual void EraseSection(const AnsiString& Path);
  virtual AnsiString PrefixedName(const AnsiString& Name) const { return prefix_ + Name; }
  virtual std::unique_ptr<TApPropertyStorage> CloneStorage() const;

  // Where the property of the component is stored.
  AnsiString PropertyPath(TComponent* Component, const AnsiString& PropName, bool Reading);

  void StoreComponentProperties(TComponent* Form, TStrings& List);
  // A property is read only when its path holds a value or a folder; otherwise it keeps its
  // current value.
  void LoadComponentProperties(TComponent* Form, TStrings& List);

 private:
  void Process(TComponent* Form, TStrings& List, bool Storing);
  AnsiString ItemPath(const AnsiString& Path, const AnsiString& Item, bool Reading);

  TComponent* component_ = nullptr;
  TComponent* ownerForm_ = nullptr;
  AnsiString prefix_;
  TApCustomAppStorage* appStorage_ = nullptr;
  AnsiString appStoragePath_;
};
