// String lists: the abstract list of strings with an object per item (TStrings, 8-bit items in
// the ANSI code page; TStringsW, UTF-16 items) and the concrete, optionally sorted lists
// (TStringList, TStringListW).
//
// Both families share one implementation, a template over the character type, so that they
// follow the same rules:
//   Text       each line followed by CR LF; setting it splits at CR LF, CR or LF (a last line
//              without a break is a line, "a\r\n" is one line, "" is no line)
//   CommaText  / DelimitedText: items joined by Delimiter; an item holding a character up to
//              the blank, the delimiter or the quote character is quoted (quotes doubled); a
//              list of one empty item is two quote characters, and so is every empty item
//              when the delimiter is a blank
//   Names      the part of an item before NameValueSeparator ("" without a separator)
//   Streams    the 8-bit lists read and write the bytes of their text; the wide lists read and
//              write UTF-16 little endian without a byte-order mark
// Descendants (the editor's line buffer, the Unicode lists) override the virtual operations.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "framework/Delegate.h"
#include "framework/Persistent.h"

class TStream;

HV_ENUM(TDuplicates, dupIgnore, dupAccept, dupError)

namespace strings_detail {
// Comparison and byte conversions of one character type.
template <class C>
struct Traits;

template <>
struct Traits<char> {
  using String = AnsiString;
  // Locale comparison of the ANSI code page (CompareStringA).
  static int Compare(const String& a, const String& b, bool caseSensitive);
  static String FromBytes(const std::string& bytes) { return bytes; }
  static std::string ToBytes(const String& s) { return s; }
  static String FromAscii(const char* s) { return String(s); }
};

template <>
struct Traits<wchar_t> {
  using String = WideString;
  // Locale comparison of UTF-16 text (CompareStringW).
  static int Compare(const String& a, const String& b, bool caseSensitive);
  static String FromBytes(const std::string& bytes);  // UTF-16 LE; an odd last byte is dropped
  static std::string ToBytes(const String& s);
  static String FromAscii(const char* s) { return String(s, s + std::char_traits<char>::length(s)); }
};
}  // namespace strings_detail

// The abstract list. Descendants implement Get, GetCount, Put or PutObject as they need,
// Insert, Delete and Clear; everything else is built on those.
template <class C>
class TStringsT : public TPersistent {
 public:
  using Char = C;
  using String = typename strings_detail::Traits<C>::String;

  TStringsT() = default;
  ~TStringsT() override = default;

  virtual int Add(const String& S);
  virtual int AddObject(const String& S, TObject* AObject);
  void Append(const String& S) { Add(S); }
  virtual void AddStrings(TStringsT* Strings);
  // Copies the strings and objects of another list of the same family.
  void Assign(TPersistent* Source) override;
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }
  virtual void Clear() = 0;
  virtual void Delete(int Index) = 0;
  // Same count and the same strings (compared exactly).
  bool Equals(TStringsT* Strings) const;
  virtual void Exchange(int Index1, int Index2);
  virtual int IndexOf(const String& S) const;
  virtual int IndexOfName(const String& Name) const;
  int IndexOfObject(TObject* AObject) const;
  virtual void Insert(int Index, const String& S) = 0;
  virtual void InsertObject(int Index, const String& S, TObject* AObject);
  virtual void Move(int CurIndex, int NewIndex);

  virtual void LoadFromFile(const WideString& FileName);
  // Reads from the stream's position to its end.
  virtual void LoadFromStream(TStream* Stream);
  virtual void SaveToFile(const WideString& FileName);
  virtual void SaveToStream(TStream* Stream);

  // Form files keep the items as the list property "Strings".
  void DefineProperties(TFiler* Filer) override;

  int Count() const { return GetCount(); }
  String Strings(int Index) const { return Get(Index); }
  void SetStrings(int Index, const String& S) { Put(Index, S); }
  String operator[](int Index) const { return Get(Index); }
  TObject* Objects(int Index) const { return GetObject(Index); }
  void SetObjects(int Index, TObject* AObject) { PutObject(Index, AObject); }
  int Capacity() const { return GetCapacity(); }
  virtual void SetCapacity(int NewCapacity);

  String Text() const { return GetTextStr(); }
  void SetText(const String& Value) { SetTextStr(Value); }
  String CommaText() const;
  void SetCommaText(const String& Value);
  String DelimitedText() const;
  void SetDelimitedText(const String& Value);
  C Delimiter() const { return delimiter_; }
  void SetDelimiter(C Value) { delimiter_ = Value; }
  C QuoteChar() const { return quoteChar_; }
  void SetQuoteChar(C Value) { quoteChar_ = Value; }
  C NameValueSeparator() const { return nameValueSeparator_; }
  void SetNameValueSeparator(C Value) { nameValueSeparator_ = Value; }

  String Names(int Index) const;
  String Values(const String& Name) const;
  // An empty value deletes the entry.
  void SetValues(const String& Name, const String& Value);
  // The part after the separator; "" for an item without one.
  String ValueFromIndex(int Index) const;

 protected:
  virtual String Get(int Index) const = 0;
  virtual int GetCount() const = 0;
  virtual TObject* GetObject(int Index) const;
  virtual int GetCapacity() const { return GetCount(); }
  virtual String GetTextStr() const;
  virtual void Put(int Index, const String& S);
  virtual void PutObject(int Index, TObject* AObject);
  virtual void SetTextStr(const String& Value);
  // Called with true when the outermost BeginUpdate opens, with false when it closes.
  virtual void SetUpdateState(bool Updating);
  // Locale comparison without regard to case.
  virtual int CompareStrings(const String& S1, const String& S2) const;

  // Raises EStringListError with the message, "%d" replaced by Value.
  [[noreturn]] static void Error(const char* Message, int Value);
  [[noreturn]] static void Error(const char* Message);

 private:
  String DelimitedWith(C delimiter, C quote) const;
  void SetDelimitedWith(const String& value, C delimiter, C quote);
  void ReadItems(TReader& Reader);
  void WriteItems(TWriter& Writer);

  int updateCount_ = 0;
  C delimiter_ = C(',');
  C quoteChar_ = C('"');
  C nameValueSeparator_ = C('=');
};

// The concrete list over the abstract base B (TStrings or TStringsW).
template <class B>
class TStringListT : public B {
 public:
  using String = typename B::String;
  using Char = typename B::Char;
  // Compares the items at two indexes: negative, 0 or positive.
  using TCompare = std::function<int(TStringListT& List, int Index1, int Index2)>;

  TStringListT() = default;
  ~TStringListT() override;

  int Add(const String& S) override { return AddObject(S, nullptr); }
  int AddObject(const String& S, TObject* AObject) override;
  void Clear() override;
  void Delete(int Index) override;
  void Exchange(int Index1, int Index2) override;
  int IndexOf(const String& S) const override;
  void Insert(int Index, const String& S) override { InsertObject(Index, S, nullptr); }
  void InsertObject(int Index, const String& S, TObject* AObject) override;
  void Move(int CurIndex, int NewIndex) override;

  // Binary search on a sorted list (a linear one otherwise). True when found; Index is the
  // match (the first of equal items unless duplicates are accepted) or the insertion point.
  virtual bool Find(const String& S, int& Index) const;
  virtual void Sort();
  // Sorts with the given comparison; equal items keep their order.
  virtual void CustomSort(const TCompare& Compare);
  void SetCapacity(int NewCapacity) override;

  bool Sorted() const { return sorted_; }
  void SetSorted(bool Value);
  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates Value) { duplicates_ = Value; }
  bool CaseSensitive() const { return caseSensitive_; }
  void SetCaseSensitive(bool Value);

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  String Get(int Index) const override;
  int GetCount() const override { return static_cast<int>(items_.size()); }
  TObject* GetObject(int Index) const override;
  int GetCapacity() const override { return static_cast<int>(items_.capacity()); }
  void Put(int Index, const String& S) override;
  void PutObject(int Index, TObject* AObject) override;
  void SetUpdateState(bool Updating) override;
  int CompareStrings(const String& S1, const String& S2) const override;

  virtual void Changed();
  virtual void Changing();
  virtual void InsertItem(int Index, const String& S, TObject* AObject);

 private:
  struct Item {
    String Text;
    TObject* Object = nullptr;
  };
  void Check(int Index) const;
  void SortBy(const std::function<int(int, int)>& compare);

  std::vector<Item> items_;
  bool sorted_ = false;
  TDuplicates duplicates_ = dupIgnore;
  bool caseSensitive_ = false;
};

extern template class TStringsT<char>;
extern template class TStringsT<wchar_t>;

class TStrings : public TStringsT<char> {
  HV_CLASS(TStrings, TStringsT<char>)
};

class TStringsW : public TStringsT<wchar_t> {
  HV_CLASS(TStringsW, TStringsT<wchar_t>)
};

extern template class TStringListT<TStrings>;
extern template class TStringListT<TStringsW>;

class TStringList : public TStringListT<TStrings> {
  HV_CLASS(TStringList, TStringListT<TStrings>)
};

class TStringListW : public TStringListT<TStringsW> {
  HV_CLASS(TStringListW, TStringListT<TStringsW>)
};
