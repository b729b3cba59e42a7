// The item store of both Unicode string list families: strings with an object each, in an
// array whose length is the capacity. It grows by 4 up to 8 items, by 16 up to 64 and by a
// quarter beyond, and raises the list's error for an index outside the items.
#pragma once

#include <functional>
#include <vector>

#include "framework/Object.h"
#include "framework/Types.h"

class TUcListItems {
 public:
  struct Item {
    WideString Text;
    TObject* Object = nullptr;
  };

  int Count() const { return count_; }
  int Capacity() const { return static_cast<int>(items_.size()); }
  Item& At(int Index) { return items_[static_cast<size_t>(Index)]; }
  const Item& At(int Index) const { return items_[static_cast<size_t>(Index)]; }

  // Raise EStringListError "List index out of bounds (%d)" for an index outside 0..Count-1
  // (Check) or 0..Count (CheckInsert).
  void Check(int Index) const;
  void CheckInsert(int Index) const;
  void Insert(int Index, const WideString& S, TObject* AObject);
  void Delete(int Index);
  void Exchange(int Index1, int Index2);
  // Releases the items and the array.
  void Clear();
  // The array gets NewCapacity items; Count is cut to it.
  void SetCapacity(int NewCapacity);
  // Bisection with Compare(item text) giving the item's order against the searched text.
  // True when found; Index is the match (the first of equal items unless AcceptDuplicates)
  // or the insertion point.
  bool Find(const std::function<int(const WideString&)>& Compare, bool AcceptDuplicates, int& Index) const;

 private:
  std::vector<Item> items_;
  int count_ = 0;
};
