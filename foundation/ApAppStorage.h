// The hierarchical settings store: typed values at "\"-separated paths, lists, collections and
// whole objects through their published properties, sub-storages that serve subtrees. A back
// end (the INI file) supplies the primitive operations.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/ApUtils.h"
#include "framework/Component.h"
#include "framework/Lists.h"
#include "framework/StringLists.h"

HV_DECLARE_EXCEPTION(EApAppStorageError, EApException);

class TApCustomAppStorage;

// An object that stores itself instead of (or besides) its published properties.
class IStorageHandler {
 public:
  virtual ~IStorageHandler() = default;
  virtual void ReadFromStorage(TApCustomAppStorage* Storage, const AnsiString& Path) = 0;
  virtual void WriteToStorage(TApCustomAppStorage* Storage, const AnsiString& Path) = 0;
};

// Marks a storage handler whose published properties are stored as well.
class IStoragePublishedProps {
 public:
  virtual ~IStoragePublishedProps() = default;
};

// How values are written: as text or in the back end's native form.
class TApAppStorageOptions : public TPersistent {
  HV_CLASS(TApAppStorageOptions, TPersistent)
 public:
  TApAppStorageOptions();
  void Assign(TPersistent* Source) override;

  bool BooleanAsString() const { return booleanAsString_; }
  // Stays false unless both the true and the false texts are non-empty.
  virtual void SetBooleanAsString(bool Value);
  const AnsiString& BooleanStringTrueValues() const { return trueValues_; }
  virtual void SetBooleanStringTrueValues(const AnsiString& Value);
  const AnsiString& BooleanStringFalseValues() const { return falseValues_; }
  virtual void SetBooleanStringFalseValues(const AnsiString& Value);
  bool EnumerationAsString() const { return enumerationAsString_; }
  virtual void SetEnumerationAsString(bool Value) { enumerationAsString_ = Value; }
  bool TypedIntegerAsString() const { return typedIntegerAsString_; }
  virtual void SetTypedIntegerAsString(bool Value) { typedIntegerAsString_ = Value; }
  bool SetAsString() const { return setAsString_; }
  virtual void SetSetAsString(bool Value) { setAsString_ = Value; }
  bool DateTimeAsString() const { return dateTimeAsString_; }
  virtual void SetDateTimeAsString(bool Value) { dateTimeAsString_ = Value; }
  bool FloatAsString() const { return floatAsString_; }
  virtual void SetFloatAsString(bool Value) { floatAsString_ = Value; }
  bool DefaultIfReadConvertError() const { return defaultIfReadConvertError_; }
  virtual void SetDefaultIfReadConvertError(bool Value) { defaultIfReadConvertError_ = Value; }
  bool DefaultIfValueNotExists() const { return defaultIfValueNotExists_; }
  virtual void SetDefaultIfValueNotExists(bool Value) { defaultIfValueNotExists_ = Value; }

  // The first item of the true or false list (trimmed, up to the first comma): what is written.
  AnsiString DefaultTrueString() const;
  AnsiString DefaultFalseString() const;
  bool IsValueTrueString(const AnsiString& Value) const { return ListContainsValue(Value, trueValues_); }
  bool IsValueFalseString(const AnsiString& Value) const { return ListContainsValue(Value, falseValues_); }
  // True when Value (letter case ignored) is an item of the comma- or blank-separated List.
  virtual bool ListContainsValue(const AnsiString& Value, const AnsiString& List) const;

 private:
  void CheckBooleanAsString();

  bool booleanAsString_ = true;
  AnsiString trueValues_ = "TRUE, YES, Y";
  AnsiString falseValues_ = "FALSE, NO, N";
  bool enumerationAsString_ = true;
  bool typedIntegerAsString_ = true;
  bool setAsString_ = false;
  bool dateTimeAsString_ = true;
  bool floatAsString_ = false;
  bool defaultIfReadConvertError_ = false;
  bool defaultIfValueNotExists_ = true;
};

// A storage that serves the subtree below RootPath.
class TApAppSubStorage : public TCollectionItem {
  HV_CLASS(TApAppSubStorage, TCollectionItem)
 public:
  explicit TApAppSubStorage(TCollection* Collection);
  ~TApAppSubStorage() override;

  const AnsiString& RootPath() const { return rootPath_; }
  // Normalized; "'%s' is not a unique root path" when another item has it already.
  void SetRootPath(const AnsiString& Value);
  TApCustomAppStorage* AppStorage() const { return appStorage_; }
  // "Circular reference of storages" for the owning storage or one that leads back to it.
  void SetAppStorage(TApCustomAppStorage* Value);
  std::string GetDisplayName() override;

 private:
  friend class TApCustomAppStorage;
  TApCustomAppStorage* OwnerStorage() const;

  AnsiString rootPath_;
  TApCustomAppStorage* appStorage_ = nullptr;
};

class TApAppSubStorages : public TOwnedCollection {
  HV_CLASS(TApAppSubStorages, TOwnedCollection)
 public:
  explicit TApAppSubStorages(TApCustomAppStorage* Owner);
  TApAppSubStorage* Items(int Index) const { return static_cast<TApAppSubStorage*>(TCollection::Items(Index)); }
  TApAppSubStorage* Add() { return static_cast<TApAppSubStorage*>(TCollection::Add()); }
  TApCustomAppStorage* Storage() const { return owner_; }
  // The item that serves Path ("\" + normalized path), the longest root first; null for none.
  TApAppSubStorage* MatchingItem(const AnsiString& Path) const;

 private:
  TApCustomAppStorage* owner_;
};

using TApTranslatePropertyNameEvent =
    TEvent<void(TApCustomAppStorage* Sender, TPersistent* Instance, AnsiString& Name, bool Reading)>;
using TApPropertyValueCryptEvent = TEvent<void(AnsiString& Value)>;

class TApCustomAppStorage : public TComponent {
  HV_CLASS(TApCustomAppStorage, TComponent)
 public:
  explicit TApCustomAppStorage(TComponent* AOwner);
  ~TApCustomAppStorage() override;

  // ---- paths ----
  // Joins the parts: the last part (after the first) that begins with "\" starts the path;
  // empty and "." segments vanish, a segment of N dots drops the N-1 segments before it.
  static AnsiString NormalizeStoragePath(const std::vector<AnsiString>& Parts);
  static AnsiString NormalizeStoragePath(const AnsiString& Path) {
    return NormalizeStoragePath(std::vector<AnsiString>{Path});
  }
  // The absolute path split at its last "\": Key before it, ValueName after it.
  virtual void SplitKeyPath(const AnsiString& Path, AnsiString& Key, AnsiString& ValueName) const;

  // ---- typed values (paths relative to this storage) ----
  int ReadInteger(const AnsiString& Path, int Default = 0);
  void WriteInteger(const AnsiString& Path, int Value);
  long double ReadFloat(const AnsiString& Path, long double Default = 0);
  void WriteFloat(const AnsiString& Path, long double Value);
  AnsiString ReadString(const AnsiString& Path, const AnsiString& Default = AnsiString());
  void WriteString(const AnsiString& Path, const AnsiString& Value);
  // Up to Count bytes; the number read (0 when the value is missing).
  int ReadBinary(const AnsiString& Path, void* Buf, int Count);
  void WriteBinary(const AnsiString& Path, const void* Buf, int Count);
  TDateTime ReadDateTime(const AnsiString& Path, TDateTime Default);
  void WriteDateTime(const AnsiString& Path, TDateTime Value);
  bool ReadBoolean(const AnsiString& Path, bool Default);
  void WriteBoolean(const AnsiString& Path, bool Value);
  // Ordinals of enumerations, booleans, chars and integer types (by identifier when the type
  // has registered ones).
  int ReadEnumeration(const AnsiString& Path, const TTypeInfo& TypeInfo, int Default);
  void WriteEnumeration(const AnsiString& Path, const TTypeInfo& TypeInfo, int Value);
  TSetValue ReadSet(const AnsiString& Path, const TTypeInfo& SetType, const TSetValue& Default);
  void WriteSet(const AnsiString& Path, const TTypeInfo& SetType, const TSetValue& Value);
  template <class E>
  E ReadEnumeration(const AnsiString& Path, E Default) {
    return static_cast<E>(ReadEnumeration(Path, TypeInfoOf<E>(), static_cast<int>(Default)));
  }
  template <class E>
  void WriteEnumeration(const AnsiString& Path, E Value) {
    WriteEnumeration(Path, TypeInfoOf<E>(), static_cast<int>(Value));
  }
  template <class E>
  TSet<E> ReadSet(const AnsiString& Path, const TSet<E>& Default) {
    return TSet<E>::FromValue(ReadSet(Path, TypeInfoOf<TSet<E>>(), Default.ToValue()));
  }
  template <class E>
  void WriteSet(const AnsiString& Path, const TSet<E>& Value) {
    WriteSet(Path, TypeInfoOf<TSet<E>>(), Value.ToValue());
  }

  // ---- structure ----
  bool ValueStored(const AnsiString& Path);
  bool PathExists(const AnsiString& Path);
  // With ListIsValue, a stored list counts as a value, not as a folder.
  bool IsFolder(const AnsiString& Path, bool ListIsValue = true);
  bool ListStored(const AnsiString& Path);
  void DeleteValue(const AnsiString& Path);
  void DeleteSubTree(const AnsiString& Path);
  // The names directly below Path (paths relative to this storage, served by its back end).
  virtual void EnumFolders(const AnsiString& Path, TStrings& Strings, bool ReportListAsValue = true) = 0;
  virtual void EnumValues(const AnsiString& Path, TStrings& Strings, bool ReportListAsValue = true) = 0;

  // ---- lists: "Count" and one value per item, ItemName + index from 0 ----
  // Returns the number of items read; a list that was never stored leaves List unchanged
  // (while DefaultIfValueNotExists is on) and returns its count.
  int ReadStoredStringList(const AnsiString& Path, TStrings& List, const AnsiString& ItemName = "Item",
                           bool ClearFirst = true);
  int ReadStoredStringList(const AnsiString& Path, TStringsW& List, const AnsiString& ItemName = "Item",
                           bool ClearFirst = true);
  // Items left over from a longer list stored before are deleted.
  void WriteStoredStringList(const AnsiString& Path, TStrings& List, const AnsiString& ItemName = "Item");
  void WriteStoredStringList(const AnsiString& Path, TStringsW& List, const AnsiString& ItemName = "Item");
  int ReadCollection(const AnsiString& Path, TCollection& Collection, bool ClearFirst = true,
                     const AnsiString& ItemName = "Item");
  void WriteCollection(const AnsiString& Path, TCollection& Collection, const AnsiString& ItemName = "Item");

  // ---- objects through their published properties ----
  void ReadPersistent(const AnsiString& Path, TPersistent* Object, const std::vector<AnsiString>& IgnoreProperties = {},
                      bool ClearFirst = true, bool Recursive = true);
  void WritePersistent(const AnsiString& Path, TPersistent* Object,
                       const std::vector<AnsiString>& IgnoreProperties = {}, bool Recursive = true);
  void ReadStoredProperty(const AnsiString& Path, TPersistent* Object, const AnsiString& PropName,
                          bool ClearFirst = true, bool Recursive = true);
  void WriteStoredProperty(const AnsiString& Path, TPersistent* Object, const AnsiString& PropName,
                           bool Recursive = true);
  // The name under which a property is stored (OnTranslatePropertyName may change it).
  AnsiString TranslatePropertyName(TPersistent* Instance, const AnsiString& Name, bool Reading);

  // ---- encryption hooks (off unless enabled and an encrypt handler is set) ----
  void EnablePropertyValueEncryption() { ++cryptEnabled_; }
  void DisablePropertyValueEncryption() { --cryptEnabled_; }
  bool IsPropertyValueCryptEnabled() const { return cryptEnabled_ > 0; }
  AnsiString EncryptPropertyValue(const AnsiString& Value);
  AnsiString DecryptPropertyValue(const AnsiString& Value);

  // ---- state ----
  TApAppStorageOptions* StorageOptions() const { return options_.get(); }
  void SetStorageOptions(TApAppStorageOptions* Value);
  TApAppSubStorages* SubStorages() const { return subStorages_.get(); }
  void SetSubStorages(TApAppSubStorages* Value);
  bool AutoFlush() const { return autoFlush_; }
  void SetAutoFlush(bool Value) { autoFlush_ = Value; }
  bool AutoReload() const { return autoReload_; }
  void SetAutoReload(bool Value) { autoReload_ = Value; }
  // The flag, or a back end that cannot be written (a read-only file).
  bool ReadOnly();
  void SetReadOnly(bool Value) { readOnly_ = Value; }
  // The flag alone (what form files keep).
  bool ReadOnlyFlag() const { return readOnly_; }
  bool FlushOnDestroy() const { return flushOnDestroy_; }
  virtual void SetFlushOnDestroy(bool Value) { flushOnDestroy_ = Value; }

  virtual void Flush() {}
  virtual void Reload() {}
  // Runs Write so that what it writes tells the values the program starts with rather than
  // changes of them: a storage that could not read its file yet (another program held it) keeps
  // them, so that once the file is read only what the run changed goes over the file's values.
  // Other storages have no use for them and neither run Write nor write anything.
  virtual void RecordStartingValues(const std::function<void()>& /*Write*/) {}
  // The most items the list stored at Path keeps. A storage that puts a list together itself
  // (the run's changes over the list of a file it could read only late) cuts it there; the
  // others have no use for it.
  virtual void LimitList(const AnsiString& /*Path*/, int /*MaxCount*/) {}
  void Loaded() override;

  TApTranslatePropertyNameEvent OnTranslatePropertyName;
  TApPropertyValueCryptEvent OnEncryptPropertyValue;
  TApPropertyValueCryptEvent OnDecryptPropertyValue;

  // The storage and its path that serve Path (a sub-storage for paths below its root).
  void ResolvePath(const AnsiString& Path, TApCustomAppStorage*& Target, AnsiString& TargetPath);
  // True when this storage, or one reached through its sub-storages, is Storage.
  bool LeadsTo(const TApCustomAppStorage* Storage) const;

 protected:
  // For descendants with options of their own.
  TApCustomAppStorage(TComponent* AOwner, std::unique_ptr<TApAppStorageOptions> Options);
  void Notification(TComponent* AComponent, TOperation Operation) override;

  // ---- the back end's primitives (paths absolute, "\" first) ----
  virtual bool IsFolderInt(const AnsiString& Path, bool ListIsValue) = 0;
  virtual bool PathExistsInt(const AnsiString& Path) = 0;
  virtual bool ValueStoredInt(const AnsiString& Path) = 0;
  virtual void DeleteValueInt(const AnsiString& Path) = 0;
  virtual void DeleteSubTreeInt(const AnsiString& Path) = 0;
  virtual int DoReadInteger(const AnsiString& Path, int Default) = 0;
  virtual void DoWriteInteger(const AnsiString& Path, int Value) = 0;
  virtual long double DoReadFloat(const AnsiString& Path, long double Default) = 0;
  virtual void DoWriteFloat(const AnsiString& Path, long double Value) = 0;
  virtual AnsiString DoReadString(const AnsiString& Path, const AnsiString& Default) = 0;
  virtual void DoWriteString(const AnsiString& Path, const AnsiString& Value) = 0;
  virtual int DoReadBinary(const AnsiString& Path, void* Buf, int Count) = 0;
  virtual void DoWriteBinary(const AnsiString& Path, const void* Buf, int Count) = 0;
  virtual TDateTime DoReadDateTime(const AnsiString& Path, TDateTime Default);
  virtual void DoWriteDateTime(const AnsiString& Path, TDateTime Value);
  virtual bool DoReadBoolean(const AnsiString& Path, bool Default);
  virtual void DoWriteBoolean(const AnsiString& Path, bool Value);

  // ---- the typed layer over the primitives ----
  virtual int ReadIntegerInt(const AnsiString& Path, int Default);
  virtual void WriteIntegerInt(const AnsiString& Path, int Value);
  virtual long double ReadFloatInt(const AnsiString& Path, long double Default);
  virtual void WriteFloatInt(const AnsiString& Path, long double Value);
  virtual AnsiString ReadStringInt(const AnsiString& Path, const AnsiString& Default);
  virtual void WriteStringInt(const AnsiString& Path, const AnsiString& Value);
  virtual int ReadBinaryInt(const AnsiString& Path, void* Buf, int Count);
  virtual void WriteBinaryInt(const AnsiString& Path, const void* Buf, int Count);
  virtual TDateTime ReadDateTimeInt(const AnsiString& Path, TDateTime Default);
  virtual void WriteDateTimeInt(const AnsiString& Path, TDateTime Value);
  virtual bool ReadBooleanInt(const AnsiString& Path, bool Default);
  virtual void WriteBooleanInt(const AnsiString& Path, bool Value);
  virtual int ReadEnumerationInt(const AnsiString& Path, const TTypeInfo& TypeInfo, int Default);
  virtual void WriteEnumerationInt(const AnsiString& Path, const TTypeInfo& TypeInfo, int Value);
  virtual TSetValue ReadSetInt(const AnsiString& Path, const TTypeInfo& SetType, const TSetValue& Default);
  virtual void WriteSetInt(const AnsiString& Path, const TTypeInfo& SetType, const TSetValue& Value);

  virtual bool GetPhysicalReadOnly() { return false; }
  virtual bool AutoReloadActive() { return autoReload_; }
  virtual bool AutoFlushActive() { return autoFlush_; }

 public:
  // The value names of the elements of character and integer sets.
  virtual AnsiString CharSetElementName(unsigned char Ch) const;
  virtual AnsiString IntSetElementName(int Value) const;

 private:
  template <class Read>
  auto ReadChecked(const AnsiString& Path, decltype(std::declval<Read>()()) Default, Read ARead)
      -> decltype(std::declval<Read>()());
  template <class L>
  int ReadList(const AnsiString& Path, L& List, const AnsiString& ItemName, bool ClearFirst);
  template <class L>
  void WriteList(const AnsiString& Path, L& List, const AnsiString& ItemName);
  // The indices of the items a reader takes below a list path: those that are there (as
  // values or folders), below the stored Count when that is a number, in ascending order.
  std::vector<int> ListItemIndices(const AnsiString& Path, const AnsiString& ItemName, const AnsiString& CountText);
  void DeleteSurplusItems(const AnsiString& Path, const AnsiString& ItemName, int Count);
  void ReadProperty(const AnsiString& Path, TPersistent* Object, const TPropInfo& Prop, bool ClearFirst,
                    bool Recursive);
  void WriteProperty(const AnsiString& Path, TPersistent* Object, const TPropInfo& Prop, bool Recursive);
  void RemoveSubStorage(TComponent* Storage);

  std::unique_ptr<TApAppStorageOptions> options_;
  std::unique_ptr<TApAppSubStorages> subStorages_;
  int cryptEnabled_ = 0;
  bool autoFlush_ = false;
  bool autoReload_ = false;
  bool readOnly_ = false;
  bool flushOnDestroy_ = true;
};
