// The item store of the Unicode string lists.
#include "foundation/UcListItems.h"

#include <string>

#include "framework/Exceptions.h"

void TUcListItems::Check(int Index) const {
  if (Index < 0 || Index >= count_) throw EStringListError("List index out of bounds (" + std::to_string(Index) + ")");
}

void TUcListItems::CheckInsert(int Index) const {
  if (Index < 0 || Index > count_) throw EStringListError("List index out of bounds (" + std::to_string(Index) + ")");
}

void TUcListItems::Insert(int Index, const WideString& S, TObject* AObject) {
  if (count_ == Capacity()) {
    int capacity = Capacity();
    items_.resize(static_cast<size_t>(capacity + (capacity > 64 ? capacity / 4 : (capacity > 8 ? 16 : 4))));
  }
  for (int i = count_; i > Index; --i) At(i) = std::move(At(i - 1));
  At(Index) = Item{S, AObject};
  ++count_;
}

void TUcListItems::Delete(int Index) {
  for (int i = Index; i + 1 < count_; ++i) At(i) = std::move(At(i + 1));
  At(--count_) = Item{};
}

void TUcListItems::Exchange(int Index1, int Index2) { std::swap(At(Index1), At(Index2)); }

void TUcListItems::Clear() {
  items_.clear();
  items_.shrink_to_fit();
  count_ = 0;
}

void TUcListItems::SetCapacity(int NewCapacity) {
  if (NewCapacity < 0) NewCapacity = 0;
  items_.resize(static_cast<size_t>(NewCapacity));
  if (count_ > NewCapacity) count_ = NewCapacity;
}

bool TUcListItems::Find(const std::function<int(const WideString&)>& Compare, bool AcceptDuplicates, int& Index) const {
  bool result = false;
  int l = 0, h = count_ - 1;
  while (l <= h) {
    int i = (l + h) / 2;
    int c = Compare(At(i).Text);
    if (c < 0) {
      l = i + 1;
    } else {
      h = i - 1;
      if (c == 0) {
        result = true;
        if (!AcceptDuplicates) l = i;
      }
    }
  }
  Index = l;
  return result;
}
