// The wide string lists of the user interface and the language files: TUcStrings (loading
// with byte-order-mark detection, saving as UTF-16 LE, an 8-bit view), the sorted or unsorted
// TUcStringList, the stored-property readers of wide texts in form files, a wide file stream,
// a wide resource stream, and the companion objects that hold the wide texts of components.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "foundation/UcListItems.h"
#include "framework/Component.h"
#include "framework/Delegate.h"
#include "framework/Lists.h"
#include "framework/StringLists.h"
#include "framework/Streams.h"
#include "framework/Win.h"

// What a text stream holds, by its byte-order mark.
enum TextCharSet : uint8_t { csAnsi, csUnicode, csUnicodeSwapped, csUtf8 };

// Reads a mark at the stream's position: FF FE, FE FF or EF BB BF leave the stream behind the
// mark; anything else gives csAnsi with the position unchanged.
TextCharSet DetectStreamCharSet(TStream* Stream);

class TUcStrings;

// An 8-bit list that reads and writes its text in a given code page.
class TAnsiStrings : public TStrings {
  HV_CLASS(TAnsiStrings, TStrings)
 public:
  virtual void LoadFromStreamEx(TStream* Stream, uint32_t CodePage) = 0;
  virtual void SaveToStreamEx(TStream* Stream, uint32_t CodePage) = 0;
};

// The 8-bit view of a wide list: items are converted with the view's code page (0: the
// system's ANSI code page) on the way in and out.
class TAnsiStringsForWideStringsAdapter : public TAnsiStrings {
  HV_CLASS(TAnsiStringsForWideStringsAdapter, TAnsiStrings)
 public:
  TAnsiStringsForWideStringsAdapter(TStringsW* WideStrings, uint32_t CodePage);
  uint32_t CodePage() const { return codePage_; }
  void SetCodePage(uint32_t Value) { codePage_ = Value; }

  void Clear() override;
  void Delete(int Index) override;
  void Insert(int Index, const AnsiString& S) override;
  // The rest of the stream as 8-bit text in the code page (0: the view's) becomes the text.
  void LoadFromStreamEx(TStream* Stream, uint32_t CodePage) override;
  void SaveToStreamEx(TStream* Stream, uint32_t CodePage) override;

 protected:
  AnsiString Get(int Index) const override;
  int GetCount() const override;
  TObject* GetObject(int Index) const override;
  void Put(int Index, const AnsiString& S) override;
  void PutObject(int Index, TObject* AObject) override;
  void SetUpdateState(bool Updating) override;

 private:
  uint32_t Effective(uint32_t CodePage) const;
  TStringsW* wideStrings_;
  uint32_t codePage_;
};

class TUcStrings : public TStringsW {
  HV_CLASS(TUcStrings, TStringsW)
 public:
  TUcStrings();
  ~TUcStrings() override;

  // Sets LoadedCharSet from the file's mark.
  void LoadFromFile(const WideString& FileName) override;
  void LoadFromStream(TStream* Stream) override { LoadFromStream_BOM(Stream, true); }
  // Always UTF-16 little endian with FF FE, whatever was loaded.
  void SaveToFile(const WideString& FileName) override;
  void SaveToStream(TStream* Stream) override { SaveToStream_BOM(Stream, true); }
  // Without WithBOM the bytes are UTF-16 LE from the position on (a mark becomes U+FEFF).
  virtual void LoadFromStream_BOM(TStream* Stream, bool WithBOM);
  virtual void SaveToStream_BOM(TStream* Stream, bool WithBOM);

  void DefineProperties(TFiler* Filer) override;

  TextCharSet LoadedCharSet() const { return loadedCharSet_; }
  void SetLoadedCharSet(TextCharSet Value) { loadedCharSet_ = Value; }
  TAnsiStringsForWideStringsAdapter* AnsiStrings() const { return ansiStrings_.get(); }
  void SetAnsiStrings(TStrings* Value) { ansiStrings_->Assign(Value); }

 private:
  void ReadWideStrings(TReader& Reader);
  void ReadWideStringsW(TReader& Reader);

  std::unique_ptr<TAnsiStringsForWideStringsAdapter> ansiStrings_;
  TextCharSet loadedCharSet_ = csUnicode;
};

class TUcStringList : public TUcStrings {
  HV_CLASS(TUcStringList, TUcStrings)
 public:
  using TCompare = std::function<int(TUcStringList& List, int Index1, int Index2)>;

  TUcStringList() = default;
  ~TUcStringList() override;

  int Add(const WideString& S) override { return AddObject(S, nullptr); }
  int AddObject(const WideString& S, TObject* AObject) override;
  void Clear() override;
  void Delete(int Index) override;
  void Exchange(int Index1, int Index2) override;
  int IndexOf(const WideString& S) const override;
  int IndexOfName(const WideString& Name) const override;
  void Insert(int Index, const WideString& S) override { InsertObject(Index, S, nullptr); }
  void InsertObject(int Index, const WideString& S, TObject* AObject) override;
  void SetCapacity(int NewCapacity) override;

  // Binary search of a sorted list. True when found; Index is the match (the first of equal
  // items unless duplicates are accepted) or the insertion point.
  virtual bool Find(const WideString& S, int& Index) const;
  virtual void Sort();
  virtual void CustomSort(const TCompare& Compare);

  bool Sorted() const { return sorted_; }
  void SetSorted(bool Value);
  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates Value) { duplicates_ = Value; }
  bool CaseSensitive() const { return caseSensitive_; }
  void SetCaseSensitive(bool Value);

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  WideString Get(int Index) const override;
  int GetCapacity() const override { return items_.Capacity(); }
  int GetCount() const override { return items_.Count(); }
  TObject* GetObject(int Index) const override;
  void Put(int Index, const WideString& S) override;
  void PutObject(int Index, TObject* AObject) override;
  void SetUpdateState(bool Updating) override;
  int CompareStrings(const WideString& S1, const WideString& S2) const override;

  virtual void Changed();
  virtual void Changing();
  virtual void InsertItem(int Index, const WideString& S, TObject* AObject);

 private:
  void QuickSort(int L, int R, const TCompare& Compare);

  TUcListItems items_;
  bool sorted_ = false;
  TDuplicates duplicates_ = dupIgnore;
  bool caseSensitive_ = false;
  bool updating_ = false;
};

// For each published wide-string property of Instance, the read-only stored properties
// "<name>W" and "<name>_UTF7" (read and dropped); for each wide-character property, "<name>W"
// (8-bit or wide text of at most one character) and "<name>_UTF7" (UTF-7), which set it.
void DefineWideStringProperties(TFiler* Filer, TObject* Instance);
// WideText, replaced by the widened AnsiText when the 8-bit side was changed by someone else.
WideString SyncWideTextFromAnsi(WideString& WideText, const AnsiString& AnsiText);
// Sets the wide text and hands its 8-bit form to SetAnsi, so that the 8-bit side always sees
// a change when the wide one changed.
void SetSyncedWideText(const WideString& Value, WideString& WideText, const AnsiString& AnsiText,
                       const std::function<void(const AnsiString&)>& SetAnsi);

// A file stream with a wide name. Mode fmCreate creates the file; any other mode opens it.
class TUcFileStream : public THandleStream {
  HV_CLASS(TUcFileStream, THandleStream)
 public:
  // Raises EFCreateError "Cannot create file "%s". %s" or EFOpenError "Cannot open file
  // "%s". %s" with the full name and the system's text.
  TUcFileStream(const WideString& FileName, uint16_t Mode);
  ~TUcFileStream() override;
};

// A read-only stream over a resource of a module.
class TUcResourceStream : public TCustomMemoryStream {
  HV_CLASS(TUcResourceStream, TCustomMemoryStream)
 public:
  // Raises EResNotFound "Resource %s not found".
  TUcResourceStream(HINSTANCE Instance, const WideString& ResName, const wchar_t* ResType);
  TUcResourceStream(HINSTANCE Instance, int ResID, const wchar_t* ResType);
  static std::unique_ptr<TUcResourceStream> CreateFromID(HINSTANCE Instance, int ResID, const wchar_t* ResType) {
    return std::make_unique<TUcResourceStream>(Instance, ResID, ResType);
  }
  ~TUcResourceStream() override;
  // Raise EStreamError "Can't write to a read-only resource stream".
  int Write(const void* Buffer, int Count) override;
  void SetSize(int64_t NewSize) override;

 private:
  void Initialize(HINSTANCE Instance, const wchar_t* Name, const wchar_t* ResType, const WideString& Shown);
  HRSRC resInfo_ = nullptr;
  HGLOBAL handle_ = nullptr;
};

// The companion of a component whose wide texts live beside it. Companions sit in a list
// ordered by the address of the component they serve, and free themselves when it goes.
class TWideComponentHelper : public TComponent {
  HV_CLASS(TWideComponentHelper, TComponent)
 public:
  // Companions are made only by CreateHelper: raises EUcInternalError.
  explicit TWideComponentHelper(TComponent* AOwner);
  static TWideComponentHelper* CreateHelper(TComponent* Component, TList* CompanionList);
  ~TWideComponentHelper() override;
  TComponent* Component() const { return component_; }

 protected:
  TWideComponentHelper(TComponent* Component, TList* CompanionList);
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TComponent* component_ = nullptr;
  TList* companionList_ = nullptr;
};

// Binary search by component address; Index is the match or the insertion point.
bool FindWideComponentHelperIndex(TList* CompanionList, TComponent* Component, int& Index);
TWideComponentHelper* FindWideComponentHelper(TList* CompanionList, TComponent* Component);
