// Pointer lists and collections of persistent items.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "framework/Persistent.h"

// A list of untyped pointers with the framework's index errors:
// EListError "List index out of bounds (%d)" and "List capacity out of bounds (%d)".
class TList : public TObject {
  HV_CLASS(TList, TObject)
 public:
  TList() = default;
  ~TList() override = default;

  int Add(void* item);
  void Insert(int index, void* item);
  void Delete(int index);
  int Remove(void* item);  // index it had, -1 when absent
  void* Extract(void* item);
  void Clear();
  int IndexOf(void* item) const;
  void Exchange(int index1, int index2);
  void Move(int curIndex, int newIndex);
  void* First() const;
  void* Last() const;
  void Pack();  // removes null entries
  void Sort(const std::function<int(void*, void*)>& compare);

  int Count() const { return static_cast<int>(items_.size()); }
  void SetCount(int count);
  int Capacity() const { return static_cast<int>(items_.capacity()); }
  void SetCapacity(int capacity);
  void* Items(int index) const;
  void SetItems(int index, void* item);
  void* operator[](int index) const { return Items(index); }

  static void Error(const char* format, int value);  // raises EListError

 private:
  void Check(int index) const;
  std::vector<void*> items_;
};

class TCollection;

HV_ENUM(TCollectionNotification, cnAdded, cnExtracting, cnDeleting)

class TCollectionItem : public TPersistent {
  HV_CLASS(TCollectionItem, TPersistent)
 public:
  explicit TCollectionItem(TCollection* Collection);
  ~TCollectionItem() override;

  TCollection* Collection() const { return collection_; }
  void SetCollection(TCollection* Value);
  int ID() const { return id_; }
  int Index() const;
  virtual void SetIndex(int Value);
  // The name shown for the item; the class name unless a descendant says otherwise.
  virtual std::string GetDisplayName();
  virtual void SetDisplayName(const std::string& Value);
  std::string DisplayName() { return GetDisplayName(); }
  std::string GetNamePath() override;

 protected:
  // Tells the collection that this item (or, with AllItems, the whole collection) changed.
  void Changed(bool AllItems);
  TPersistent* GetOwner() override;

 private:
  friend class TCollection;
  TCollection* collection_ = nullptr;
  int id_ = 0;
};

class TCollection : public TPersistent {
  HV_CLASS(TCollection, TPersistent)
 public:
  explicit TCollection(const TClassInfo& ItemClass);
  ~TCollection() override;

  TCollectionItem* Add();
  template <class T>
  T* Add() {
    return static_cast<T*>(Add());
  }
  TCollectionItem* Insert(int Index);
  void Delete(int Index);
  void Clear();
  TCollectionItem* FindItemID(int ID) const;

  int Count() const { return static_cast<int>(items_.size()); }
  TCollectionItem* Items(int Index) const;
  void SetItems(int Index, TCollectionItem* Value);  // assigns Value to the item at Index
  const TClassInfo& ItemClass() const { return *itemClass_; }

  virtual void BeginUpdate();
  virtual void EndUpdate();
  int UpdateCount() const { return updateCount_; }

  // Copies the items of another collection (each through Assign).
  void Assign(TPersistent* Source) override;
  std::string GetNamePath() override;
  // The name of the property of the owner that holds this collection, if known.
  std::string PropName();

 protected:
  // Called when items change while no update is open; Item is null when all may have changed.
  virtual void Update(TCollectionItem* Item);
  virtual void Notify(TCollectionItem* Item, TCollectionNotification Action);
  void Changed();

 private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* Item);
  void RemoveItem(TCollectionItem* Item);

  const TClassInfo* itemClass_;
  std::vector<TCollectionItem*> items_;
  int updateCount_ = 0;
  int nextId_ = 0;
};

// A collection that knows its owner (for name paths and form files).
class TOwnedCollection : public TCollection {
  HV_CLASS(TOwnedCollection, TCollection)
 public:
  TOwnedCollection(TPersistent* AOwner, const TClassInfo& ItemClass) : TCollection(ItemClass), owner_(AOwner) {}
  TPersistent* GetOwner() override { return owner_; }

 private:
  TPersistent* owner_;
};
