// The wide string lists of the text-file encodings: TWideStrings and TWideStringList, with a
// locale per list for comparisons and 8-bit conversions, Unicode normalization of every string
// stored (NFC unless told otherwise), and their own stream formats (byte-order marks for
// UTF-16 LE, UTF-16 BE and UTF-8, or 8-bit text).
//
// NFC storage changes the bytes of text that is loaded and saved again: decomposed accents are
// composed, and a few compatibility characters (U+212B, U+2126, CJK compatibility ideographs)
// become their canonical equivalents. For 8-bit text this is a gain: composed accents survive
// the conversion to the code page where decomposed ones would not.
#pragma once

#include <cstdint>
#include <vector>

#include "foundation/UcListItems.h"
#include "foundation/UcUnicodeData.h"
#include "framework/Delegate.h"
#include "framework/Persistent.h"
#include "framework/StringLists.h"

class TStream;

enum TSaveFormat : uint8_t { sfUnicodeLSB, sfUnicodeMSB, sfUTF8, sfAnsi };

class TWideStrings;
using TConfirmConversionEvent = TEvent<void(TWideStrings* Sender, bool& Allowed)>;

// Locale comparison without regard to case, as all lists of this family compare: negative,
// 0 or positive. When the system cannot compare (an unknown locale), the code units decide.
int WideStringsCompare(LCID Language, const WideString& S1, const WideString& S2);

class TWideStrings : public TPersistent {
  HV_CLASS(TWideStrings, TPersistent)
 public:
  TWideStrings();
  ~TWideStrings() override = default;

  void Assign(TPersistent* Source) override;
  virtual int Add(const WideString& S);
  virtual int AddObject(const WideString& S, TObject* AObject);
  // From an 8-bit list: converted from the code page of Language.
  virtual void AddStrings(TStrings* Strings);
  virtual void AddStrings(TWideStrings* Strings);
  void BeginUpdate();
  void EndUpdate();
  virtual void Clear() = 0;
  virtual void Delete(int Index) = 0;
  // Swaps the strings and objects through Get and Put (so a sorted list refuses it), in one
  // update.
  virtual void Exchange(int Index1, int Index2);
  virtual int IndexOf(const WideString& S);
  virtual void Insert(int Index, const WideString& S) = 0;
  virtual void Move(int CurIndex, int NewIndex);
  // Failures raise EOSError for the last system error.
  virtual void LoadFromFile(const WideString& FileName);
  virtual void LoadFromStream(TStream* Stream);
  virtual void SaveToFile(const WideString& FileName);
  virtual void SaveToStream(TStream* Stream);

  // The items joined with Separator between them.
  virtual WideString GetSeparatedText(const WideString& Separator) const;
  // The text up to its first zero character, split at LF, VT, FF, CR, CR LF, U+2028 and U+2029;
  // a break at the very end adds no empty item.
  virtual void SetText(const WideString& Text);
  // The items joined by CR LF, without a break after the last one.
  WideString Text() const { return GetTextStr(); }
  virtual WideString GetText() const { return GetTextStr(); }

  int Count() const { return GetCount(); }
  WideString Strings(int Index) const { return Get(Index); }
  void SetStrings(int Index, const WideString& S) { Put(Index, S); }
  TObject* Objects(int Index) const { return GetObject(Index); }
  void SetObjects(int Index, TObject* AObject) { PutObject(Index, AObject); }
  int Capacity() const { return GetCapacity(); }
  virtual void SetCapacity(int NewCapacity);

  LCID Language() const { return language_; }
  virtual void SetLanguage(LCID Value);
  TNormalizationForm NormalizationForm() const { return normalizationForm_; }
  void SetNormalizationForm(TNormalizationForm Value) { normalizationForm_ = Value; }
  TSaveFormat SaveFormat() const { return saveFormat_; }
  void SetSaveFormat(TSaveFormat Value) { saveFormat_ = Value; }
  // True: UTF-16 little endian; false: 8-bit text.
  void SetSaveUnicode(bool Value) { saveFormat_ = Value ? sfUnicodeLSB : sfAnsi; }
  // Set by each completed save, cleared when a save was refused.
  bool Saved() const { return saved_; }
  int UpdateCount() const { return updateCount_; }

  // Asked before 8-bit text is saved that holds characters outside 1..255.
  TConfirmConversionEvent OnConfirmConversion;

  void DefineProperties(TFiler* Filer) override;

 protected:
  void AssignTo(TPersistent* Dest) override;
  virtual void DoConfirmConversion(bool& Allowed);
  virtual WideString Get(int Index) const = 0;
  virtual int GetCapacity() const { return GetCount(); }
  virtual int GetCount() const = 0;
  virtual TObject* GetObject(int Index) const;
  virtual WideString GetTextStr() const { return GetSeparatedText(L"\r\n"); }
  virtual void Put(int Index, const WideString& S) = 0;
  virtual void PutObject(int Index, TObject* AObject) = 0;
  virtual void SetUpdateState(bool Updating);
  // S in the list's normal form.
  WideString Normalized(const WideString& S) const { return WideNormalize(S, normalizationForm_); }
  int Compare(const WideString& S1, const WideString& S2) const { return WideStringsCompare(language_, S1, S2); }
  // Replaces the content by the lines of a file's text, split at CR, LF and CR LF only, so
  // that page breaks and other separators stay in their lines.
  void SetFileText(const WideString& Text);

 private:
  void AddLines(const WideString& Text, bool FileBreaks);
  // LoadFromStream's work, inside its update bracket.
  void LoadText(TStream* Stream);

  int updateCount_ = 0;
  LCID language_;
  bool saved_ = false;
  TNormalizationForm normalizationForm_ = nfC;
  TSaveFormat saveFormat_ = sfUnicodeLSB;
};

class TWideStringList : public TWideStrings {
  HV_CLASS(TWideStringList, TWideStrings)
 public:
  TWideStringList() = default;
  ~TWideStringList() override;

  int Add(const WideString& S) override;
  void Clear() override;
  void Delete(int Index) override;
  int IndexOf(const WideString& S) override;
  void Insert(int Index, const WideString& S) override;
  void SetCapacity(int NewCapacity) override;
  void SetLanguage(LCID Value) override;

  // Binary search of a sorted list. True when found; Index is the match (the first of equal
  // items unless duplicates are accepted) or the insertion point.
  virtual bool Find(const WideString& S, int& Index);
  virtual void Sort();

  bool Sorted() const { return sorted_; }
  void SetSorted(bool Value);
  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates Value) { duplicates_ = Value; }

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  virtual void Changed();
  virtual void Changing();
  WideString Get(int Index) const override;
  int GetCapacity() const override { return items_.Capacity(); }
  int GetCount() const override { return items_.Count(); }
  TObject* GetObject(int Index) const override;
  void Put(int Index, const WideString& S) override;
  void PutObject(int Index, TObject* AObject) override;
  void SetUpdateState(bool Updating) override;

 private:
  void InsertItem(int Index, const WideString& S);
  void QuickSort(int L, int R);

  TUcListItems items_;
  bool sorted_ = false;
  TDuplicates duplicates_ = dupIgnore;
};
