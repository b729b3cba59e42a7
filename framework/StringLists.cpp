// The string lists of both character types, written once as templates and instantiated here.
#include "framework/StringLists.h"

#include <algorithm>
#include <cstdio>
#include <type_traits>

#include "framework/FormFiles.h"
#include "framework/Streams.h"
#include "framework/UpdateBracket.h"
#include "framework/Win.h"

// ---- comparisons and byte forms ----

namespace strings_detail {

namespace {
template <class S>
int BinaryCompare(const S& a, const S& b) {
  int r = a.compare(b);
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}
}  // namespace

int Traits<char>::Compare(const String& a, const String& b, bool caseSensitive) {
  int r = CompareStringA(LOCALE_USER_DEFAULT, caseSensitive ? 0 : NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                         b.data(), static_cast<int>(b.size()));
  return r == 0 ? BinaryCompare(a, b) : r - CSTR_EQUAL;
}

int Traits<wchar_t>::Compare(const String& a, const String& b, bool caseSensitive) {
  int r = CompareStringW(LOCALE_USER_DEFAULT, caseSensitive ? 0 : NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                         b.data(), static_cast<int>(b.size()));
  return r == 0 ? BinaryCompare(a, b) : r - CSTR_EQUAL;
}

WideString Traits<wchar_t>::FromBytes(const std::string& bytes) {
  WideString s(bytes.size() / 2, L'\0');
  for (size_t i = 0; i < s.size(); ++i)
    s[i] = static_cast<wchar_t>(static_cast<uint8_t>(bytes[2 * i]) | (static_cast<uint8_t>(bytes[2 * i + 1]) << 8));
  return s;
}

std::string Traits<wchar_t>::ToBytes(const String& s) {
  std::string bytes(s.size() * 2, '\0');
  for (size_t i = 0; i < s.size(); ++i) {
    bytes[2 * i] = static_cast<char>(s[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<char>((s[i] >> 8) & 0xFF);
  }
  return bytes;
}

}  // namespace strings_detail

// ---- TStringsT ----

namespace {
// Blanks and control characters (the NUL character included) separate unquoted items.
template <class C>
bool IsBlank(C c) {
  return static_cast<std::make_unsigned_t<C>>(c) <= static_cast<unsigned>(' ');
}
}  // namespace

template <class C>
void TStringsT<C>::Error(const char* Message, int Value) {
  char buffer[200];
  std::snprintf(buffer, sizeof buffer, Message, Value);
  throw EStringListError(buffer);
}

template <class C>
void TStringsT<C>::Error(const char* Message) {
  throw EStringListError(Message);
}

template <class C>
int TStringsT<C>::Add(const String& S) {
  int index = GetCount();
  Insert(index, S);
  return index;
}

template <class C>
int TStringsT<C>::AddObject(const String& S, TObject* AObject) {
  int index = Add(S);
  PutObject(index, AObject);
  return index;
}

template <class C>
void TStringsT<C>::AddStrings(TStringsT* Strings) {
  if (!Strings) return;
  WithinUpdate(*this, [&] {
    // Counted once: adding a list to itself doubles it instead of running forever.
    int n = Strings->Count();
    for (int i = 0; i < n; ++i) AddObject(Strings->Get(i), Strings->GetObject(i));
  });
}

template <class C>
void TStringsT<C>::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TStringsT*>(Source);
  if (!source) {
    TPersistent::Assign(Source);
    return;
  }
  if (source == this) return;
  WithinUpdate(*this, [&] {
    Clear();
    AddStrings(source);
  });
}

template <class C>
void TStringsT<C>::BeginUpdate() {
  if (updateCount_ == 0) SetUpdateState(true);
  ++updateCount_;
}

template <class C>
void TStringsT<C>::EndUpdate() {
  if (updateCount_ == 0) return;
  if (--updateCount_ == 0) SetUpdateState(false);
}

template <class C>
bool TStringsT<C>::Equals(TStringsT* Strings) const {
  if (!Strings || Strings->Count() != Count()) return false;
  for (int i = 0; i < Count(); ++i)
    if (Get(i) != Strings->Get(i)) return false;
  return true;
}

template <class C>
void TStringsT<C>::Exchange(int Index1, int Index2) {
  WithinUpdate(*this, [&] {
    String s1 = Get(Index1), s2 = Get(Index2);
    TObject* o1 = GetObject(Index1);
    TObject* o2 = GetObject(Index2);
    Put(Index1, s2);
    PutObject(Index1, o2);
    Put(Index2, s1);
    PutObject(Index2, o1);
  });
}

template <class C>
int TStringsT<C>::IndexOf(const String& S) const {
  for (int i = 0, n = GetCount(); i < n; ++i)
    if (CompareStrings(Get(i), S) == 0) return i;
  return -1;
}

template <class C>
int TStringsT<C>::IndexOfName(const String& Name) const {
  for (int i = 0, n = GetCount(); i < n; ++i) {
    String s = Get(i);
    size_t p = s.find(nameValueSeparator_);
    if (p != String::npos && CompareStrings(s.substr(0, p), Name) == 0) return i;
  }
  return -1;
}

template <class C>
int TStringsT<C>::IndexOfObject(TObject* AObject) const {
  for (int i = 0, n = GetCount(); i < n; ++i)
    if (GetObject(i) == AObject) return i;
  return -1;
}

template <class C>
void TStringsT<C>::InsertObject(int Index, const String& S, TObject* AObject) {
  Insert(Index, S);
  PutObject(Index, AObject);
}

template <class C>
void TStringsT<C>::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  // Both indexes are checked before anything is removed, so a bad one loses no item.
  if (NewIndex < 0 || NewIndex >= GetCount()) Error("List index out of bounds (%d)", NewIndex);
  String s = Get(CurIndex);
  TObject* o = GetObject(CurIndex);
  WithinUpdate(*this, [&] {
    Delete(CurIndex);
    InsertObject(NewIndex, s, o);
  });
}

template <class C>
void TStringsT<C>::LoadFromFile(const WideString& FileName) {
  TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream);
}

template <class C>
void TStringsT<C>::LoadFromStream(TStream* Stream) {
  int64_t size = Stream->Size() - Stream->Position();
  if (size > 0x7FFFFFFF) throw EReadError("Stream read error");
  std::string bytes(static_cast<size_t>(size > 0 ? size : 0), '\0');
  Stream->ReadBuffer(bytes.data(), static_cast<int>(bytes.size()));
  WithinUpdate(*this, [&] { SetTextStr(strings_detail::Traits<C>::FromBytes(bytes)); });
}

template <class C>
void TStringsT<C>::SaveToFile(const WideString& FileName) {
  TFileStream stream(FileName, fmCreate);
  SaveToStream(&stream);
  stream.FlushAndClose();
}

template <class C>
void TStringsT<C>::SaveToStream(TStream* Stream) {
  std::string bytes = strings_detail::Traits<C>::ToBytes(GetTextStr());
  if (bytes.size() > 0x7FFFFFFF) throw EWriteError("Stream write error");
  Stream->WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
}

template <class C>
void TStringsT<C>::DefineProperties(TFiler* Filer) {
  TPersistent::DefineProperties(Filer);
  bool hasData;
  if (TPersistent* ancestor = Filer->Ancestor()) {
    auto* list = dynamic_cast<TStringsT*>(ancestor);
    hasData = !list || !Equals(list);
  } else {
    hasData = Count() > 0;
  }
  Filer->DefineProperty(
      "Strings", [this](TReader& r) { ReadItems(r); }, [this](TWriter& w) { WriteItems(w); }, hasData);
}

template <class C>
void TStringsT<C>::ReadItems(TReader& Reader) {
  // All items are read before the list changes: a bad one leaves the list as it was.
  std::vector<String> items;
  Reader.ReadListBegin();
  while (!Reader.EndOfList()) {
    if constexpr (std::is_same_v<C, char>)
      items.push_back(Reader.ReadString());
    else
      items.push_back(Reader.ReadWideString());
  }
  Reader.ReadListEnd();
  WithinUpdate(*this, [&] {
    Clear();
    for (const String& s : items) Add(s);
  });
}

template <class C>
void TStringsT<C>::WriteItems(TWriter& Writer) {
  Writer.WriteListBegin();
  for (int i = 0, n = Count(); i < n; ++i) {
    if constexpr (std::is_same_v<C, char>)
      Writer.WriteString(Get(i));
    else
      Writer.WriteWideString(Get(i));
  }
  Writer.WriteListEnd();
}

template <class C>
typename TStringsT<C>::String TStringsT<C>::DelimitedWith(C delimiter, C quote) const {
  int n = GetCount();
  if (n == 1 && Get(0).empty()) return String(2, quote);
  String result;
  for (int i = 0; i < n; ++i) {
    String s = Get(i);
    // Reading skips blanks around a delimiter, so with a blank delimiter an empty item would
    // vanish between two of them unless quoted.
    bool quoted = s.empty() && IsBlank(delimiter);
    for (C c : s)
      if (IsBlank(c) || c == quote || c == delimiter) {
        quoted = true;
        break;
      }
    if (quoted) {
      String q(1, quote);
      for (C c : s) {
        q += c;
        if (c == quote) q += c;
      }
      q += quote;
      s.swap(q);
    }
    if (i > 0) result += delimiter;
    result += s;
  }
  return result;
}

template <class C>
void TStringsT<C>::SetDelimitedWith(const String& value, C delimiter, C quote) {
  std::vector<String> items;
  size_t p = 0, n = value.size();
  while (p < n && IsBlank(value[p])) ++p;
  while (p < n) {
    String s;
    if (value[p] == quote) {
      ++p;
      while (p < n) {
        if (value[p] == quote) {
          if (p + 1 < n && value[p + 1] == quote) {
            s += quote;
            p += 2;
            continue;
          }
          ++p;
          break;
        }
        s += value[p++];
      }
    } else {
      size_t start = p;
      while (p < n && !IsBlank(value[p]) && value[p] != delimiter) ++p;
      s.assign(value, start, p - start);
    }
    items.push_back(std::move(s));
    while (p < n && IsBlank(value[p])) ++p;
    if (p < n && value[p] == delimiter) {
      if (p + 1 == n) items.emplace_back();
      do ++p;
      while (p < n && IsBlank(value[p]));
    }
  }
  WithinUpdate(*this, [&] {
    Clear();
    for (const String& s : items) Add(s);
  });
}

template <class C>
typename TStringsT<C>::String TStringsT<C>::CommaText() const {
  return DelimitedWith(C(','), C('"'));
}

template <class C>
void TStringsT<C>::SetCommaText(const String& Value) {
  SetDelimitedWith(Value, C(','), C('"'));
}

template <class C>
typename TStringsT<C>::String TStringsT<C>::DelimitedText() const {
  return DelimitedWith(delimiter_, quoteChar_);
}

template <class C>
void TStringsT<C>::SetDelimitedText(const String& Value) {
  SetDelimitedWith(Value, delimiter_, quoteChar_);
}

template <class C>
typename TStringsT<C>::String TStringsT<C>::Names(int Index) const {
  String s = Get(Index);
  size_t p = s.find(nameValueSeparator_);
  return p == String::npos ? String() : s.substr(0, p);
}

template <class C>
typename TStringsT<C>::String TStringsT<C>::Values(const String& Name) const {
  int i = IndexOfName(Name);
  return i < 0 ? String() : ValueFromIndex(i);
}

template <class C>
void TStringsT<C>::SetValues(const String& Name, const String& Value) {
  int i = IndexOfName(Name);
  if (!Value.empty()) {
    String line = Name + nameValueSeparator_ + Value;
    if (i < 0)
      Add(line);
    else
      Put(i, line);
  } else if (i >= 0) {
    Delete(i);
  }
}

template <class C>
typename TStringsT<C>::String TStringsT<C>::ValueFromIndex(int Index) const {
  String s = Get(Index);
  size_t p = s.find(nameValueSeparator_);
  return p == String::npos ? String() : s.substr(p + 1);
}

template <class C>
TObject* TStringsT<C>::GetObject(int) const {
  return nullptr;
}

template <class C>
typename TStringsT<C>::String TStringsT<C>::GetTextStr() const {
  int n = GetCount();
  std::vector<String> lines;
  lines.reserve(static_cast<size_t>(n));
  size_t total = 0;
  for (int i = 0; i < n; ++i) {
    lines.push_back(Get(i));
    total += lines.back().size() + 2;
  }
  String result;
  result.reserve(total);
  for (const String& line : lines) {
    result += line;
    result += C('\r');
    result += C('\n');
  }
  return result;
}

template <class C>
void TStringsT<C>::Put(int Index, const String& S) {
  TObject* o = GetObject(Index);
  WithinUpdate(*this, [&] {
    Delete(Index);
    InsertObject(Index, S, o);
  });
}

template <class C>
void TStringsT<C>::PutObject(int, TObject*) {}

template <class C>
void TStringsT<C>::SetCapacity(int) {}

template <class C>
void TStringsT<C>::SetTextStr(const String& Value) {
  WithinUpdate(*this, [&] {
    Clear();
    size_t p = 0, n = Value.size();
    while (p < n) {
      size_t start = p;
      while (p < n && Value[p] != C('\r') && Value[p] != C('\n')) ++p;
      Add(Value.substr(start, p - start));
      if (p < n && Value[p] == C('\r')) ++p;
      if (p < n && Value[p] == C('\n')) ++p;
    }
  });
}

template <class C>
void TStringsT<C>::SetUpdateState(bool) {}

template <class C>
int TStringsT<C>::CompareStrings(const String& S1, const String& S2) const {
  return strings_detail::Traits<C>::Compare(S1, S2, false);
}

// ---- TStringListT ----

template <class B>
TStringListT<B>::~TStringListT() {
  // Nobody hears about a list that is going away.
  OnChange = nullptr;
  OnChanging = nullptr;
}

template <class B>
void TStringListT<B>::Check(int Index) const {
  if (Index < 0 || Index >= GetCount()) B::Error("List index out of bounds (%d)", Index);
}

template <class B>
void TStringListT<B>::Changed() {
  if (this->UpdateCount() == 0 && OnChange) OnChange(this);
}

template <class B>
void TStringListT<B>::Changing() {
  if (this->UpdateCount() == 0 && OnChanging) OnChanging(this);
}

template <class B>
void TStringListT<B>::SetUpdateState(bool Updating) {
  if (Updating)
    Changing();
  else
    Changed();
}

template <class B>
int TStringListT<B>::CompareStrings(const String& S1, const String& S2) const {
  return strings_detail::Traits<Char>::Compare(S1, S2, caseSensitive_);
}

template <class B>
int TStringListT<B>::AddObject(const String& S, TObject* AObject) {
  int index;
  if (!sorted_) {
    index = GetCount();
  } else if (Find(S, index)) {
    if (duplicates_ == dupIgnore) return index;
    if (duplicates_ == dupError) B::Error("String list does not allow duplicates");
  }
  InsertItem(index, S, AObject);
  return index;
}

template <class B>
void TStringListT<B>::InsertItem(int Index, const String& S, TObject* AObject) {
  Changing();
  items_.insert(items_.begin() + Index, Item{S, AObject});
  Changed();
}

template <class B>
void TStringListT<B>::InsertObject(int Index, const String& S, TObject* AObject) {
  if (sorted_) B::Error("Operation not allowed on sorted list");
  if (Index < 0 || Index > GetCount()) B::Error("List index out of bounds (%d)", Index);
  InsertItem(Index, S, AObject);
}

template <class B>
void TStringListT<B>::Clear() {
  if (items_.empty()) return;
  Changing();
  std::vector<Item>().swap(items_);
  Changed();
}

template <class B>
void TStringListT<B>::Delete(int Index) {
  Check(Index);
  Changing();
  items_.erase(items_.begin() + Index);
  Changed();
}

template <class B>
void TStringListT<B>::Exchange(int Index1, int Index2) {
  Check(Index1);
  Check(Index2);
  Changing();
  std::swap(items_[static_cast<size_t>(Index1)], items_[static_cast<size_t>(Index2)]);
  Changed();
}

template <class B>
void TStringListT<B>::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  Check(CurIndex);
  Check(NewIndex);
  if (sorted_) B::Error("Operation not allowed on sorted list");
  Changing();
  Item item = std::move(items_[static_cast<size_t>(CurIndex)]);
  items_.erase(items_.begin() + CurIndex);
  items_.insert(items_.begin() + NewIndex, std::move(item));
  Changed();
}

template <class B>
int TStringListT<B>::IndexOf(const String& S) const {
  if (!sorted_) return B::IndexOf(S);
  int index;
  return Find(S, index) ? index : -1;
}

template <class B>
bool TStringListT<B>::Find(const String& S, int& Index) const {
  if (!sorted_) {
    for (int i = 0, n = GetCount(); i < n; ++i)
      if (CompareStrings(items_[static_cast<size_t>(i)].Text, S) == 0) {
        Index = i;
        return true;
      }
    Index = GetCount();
    return false;
  }
  bool found = false;
  int lo = 0, hi = GetCount() - 1;
  while (lo <= hi) {
    int i = lo + (hi - lo) / 2;
    int cmp = CompareStrings(items_[static_cast<size_t>(i)].Text, S);
    if (cmp < 0) {
      lo = i + 1;
    } else {
      hi = i - 1;
      if (cmp == 0) {
        found = true;
        if (duplicates_ != dupAccept) lo = i;
      }
    }
  }
  Index = lo;
  return found;
}

template <class B>
void TStringListT<B>::SortBy(const std::function<int(int, int)>& compare) {
  // A merge sort of the indexes: whatever the comparison answers, it never reaches outside
  // the list, and equal items keep their order.
  size_t n = items_.size();
  std::vector<int> order(n), scratch(n);
  for (size_t i = 0; i < n; ++i) order[i] = static_cast<int>(i);
  for (size_t width = 1; width < n; width *= 2) {
    for (size_t lo = 0; lo < n; lo += 2 * width) {
      size_t mid = std::min(lo + width, n), hi = std::min(lo + 2 * width, n);
      size_t a = lo, b = mid, out = lo;
      while (a < mid && b < hi) scratch[out++] = compare(order[b], order[a]) < 0 ? order[b++] : order[a++];
      while (a < mid) scratch[out++] = order[a++];
      while (b < hi) scratch[out++] = order[b++];
    }
    order.swap(scratch);
  }
  std::vector<Item> sorted;
  sorted.reserve(items_.capacity());
  for (int i : order) sorted.push_back(std::move(items_[static_cast<size_t>(i)]));
  items_.swap(sorted);
}

template <class B>
void TStringListT<B>::CustomSort(const TCompare& Compare) {
  if (sorted_ || GetCount() < 2) return;
  Changing();
  SortBy([&](int a, int b) { return Compare(*this, a, b); });
  Changed();
}

template <class B>
void TStringListT<B>::Sort() {
  if (sorted_ || GetCount() < 2) return;
  Changing();
  SortBy([this](int a, int b) {
    return CompareStrings(items_[static_cast<size_t>(a)].Text, items_[static_cast<size_t>(b)].Text);
  });
  Changed();
}

template <class B>
void TStringListT<B>::SetSorted(bool Value) {
  if (sorted_ == Value) return;
  if (Value) Sort();
  sorted_ = Value;
}

template <class B>
void TStringListT<B>::SetCaseSensitive(bool Value) {
  if (caseSensitive_ == Value) return;
  caseSensitive_ = Value;
  if (sorted_) {
    sorted_ = false;
    Sort();
    sorted_ = true;
  }
}

template <class B>
typename TStringListT<B>::String TStringListT<B>::Get(int Index) const {
  Check(Index);
  return items_[static_cast<size_t>(Index)].Text;
}

template <class B>
TObject* TStringListT<B>::GetObject(int Index) const {
  Check(Index);
  return items_[static_cast<size_t>(Index)].Object;
}

template <class B>
void TStringListT<B>::Put(int Index, const String& S) {
  if (sorted_) B::Error("Operation not allowed on sorted list");
  Check(Index);
  Changing();
  items_[static_cast<size_t>(Index)].Text = S;
  Changed();
}

template <class B>
void TStringListT<B>::PutObject(int Index, TObject* AObject) {
  Check(Index);
  Changing();
  items_[static_cast<size_t>(Index)].Object = AObject;
  Changed();
}

template <class B>
void TStringListT<B>::SetCapacity(int NewCapacity) {
  if (NewCapacity < GetCount()) B::Error("List capacity out of bounds (%d)", NewCapacity);
  if (NewCapacity > GetCapacity()) {
    items_.reserve(static_cast<size_t>(NewCapacity));
  } else if (NewCapacity < GetCapacity()) {
    std::vector<Item> copy;
    copy.reserve(static_cast<size_t>(NewCapacity));
    for (Item& item : items_) copy.push_back(std::move(item));
    items_.swap(copy);
  }
}

// ---- instances and class information ----

template class TStringsT<char>;
template class TStringsT<wchar_t>;
template class TStringListT<TStrings>;
template class TStringListT<TStringsW>;

HV_PUBLISH(TStrings) {}
HV_PUBLISH(TStringsW) {}
HV_PUBLISH(TStringList) {}
HV_PUBLISH(TStringListW) {}

namespace {
// Form files and settings create string lists by class name.
const bool registered = [] {
  RegisterClasses({&TStringList::StaticClassInfo(), &TStringListW::StaticClassInfo()});
  return true;
}();
}  // namespace
