// Form placement: a form's window state, size, location and active control saved to and
// restored from a settings storage (TApFormPlacement), and with it chosen published properties
// of the form's components and free named values (TApFormStorage).
#pragma once

#include <memory>

#include "foundation/ApAppStorage.h"
#include "foundation/ApWndHook.h"
#include "framework/Forms.h"
#include "framework/Variant.h"

HV_ENUM(TPlacementOption, fpState, fpSize, fpLocation, fpActiveControl)
using TPlacementOptions = TSet<TPlacementOption>;
HV_ENUM(TApFormPlacementVersionCheck, fpvcNocheck, fpvcCheckGreaterEqual, fpvcCheckEqual)

// ---- placement routines ----
// A position string at Path + the screen-resolution suffix when that value exists, else at
// Path (empty when neither does). Writing puts it at both.
AnsiString ReadPositionString(TApCustomAppStorage* Storage, const AnsiString& Path);
void WritePositionString(TApCustomAppStorage* Storage, const AnsiString& Path, const AnsiString& Value);
// The application's main window is iconic.
bool IsApplicationMinimized();
// The window placement of Form below Path (with or without a closing "\"): "ShowCmd",
// "Flags", "PixelsPerInch", "MinMaxPos" and "NormPos" as Options ask.
void WriteFormPlacement(TCustomForm* Form, TApCustomAppStorage* Storage, const AnsiString& Path,
                        const TPlacementOptions& Options);
// Applies what WriteFormPlacement stored; positions saved at another screen resolution in
// pixels per inch are ignored.
void ReadFormPlacement(TCustomForm* Form, TApCustomAppStorage* Storage, const AnsiString& Path,
                       const TPlacementOptions& Options);
// The screen cursors 100 to 103 (copies of the multi-drag, drag, multi-drag and multi-drag
// cursors); done once, as soon as the screen exists.
void RegisterApCursors();

class TApFormPlacement;
class TApPropertyStorage;

// Limits for WM_GETMINMAXINFO; 0 leaves a value as the system has it.
class TApWinMinMaxInfo : public TPersistent {
  HV_CLASS(TApWinMinMaxInfo, TPersistent)
 public:
  explicit TApWinMinMaxInfo(TApFormPlacement* Owner = nullptr) : owner_(Owner) {}
  void Assign(TPersistent* Source) override;
  bool Empty() const;

  int MaxPosLeft() const { return values_[0]; }
  void SetMaxPosLeft(int Value) { Set(0, Value); }
  int MaxPosTop() const { return values_[1]; }
  void SetMaxPosTop(int Value) { Set(1, Value); }
  int MaxSizeHeight() const { return values_[2]; }
  void SetMaxSizeHeight(int Value) { Set(2, Value); }
  int MaxSizeWidth() const { return values_[3]; }
  void SetMaxSizeWidth(int Value) { Set(3, Value); }
  int MaxTrackHeight() const { return values_[4]; }
  void SetMaxTrackHeight(int Value) { Set(4, Value); }
  int MaxTrackWidth() const { return values_[5]; }
  void SetMaxTrackWidth(int Value) { Set(5, Value); }
  int MinTrackHeight() const { return values_[6]; }
  void SetMinTrackHeight(int Value) { Set(6, Value); }
  int MinTrackWidth() const { return values_[7]; }
  void SetMinTrackWidth(int Value) { Set(7, Value); }

 private:
  void Set(int Index, int Value);

  TApFormPlacement* owner_;
  int values_[8] = {};
};

class TApFormPlacement : public TComponent {
  HV_CLASS(TApFormPlacement, TComponent)
 public:
  explicit TApFormPlacement(TComponent* AOwner);
  ~TApFormPlacement() override;

  bool Active() const { return active_; }
  void SetActive(bool Value) { active_ = Value; }
  TApCustomAppStorage* AppStorage() const { return appStorage_; }
  void SetAppStorage(TApCustomAppStorage* Value);
  const AnsiString& AppStoragePath() const { return appStoragePath_; }
  // A non-empty path gets a closing "\"; "%FORM_NAME%" becomes the form's name (not while the
  // component is being read).
  void SetAppStoragePath(const AnsiString& Value);
  TApWinMinMaxInfo* MinMaxInfo() const { return minMaxInfo_.get(); }
  void SetMinMaxInfo(TApWinMinMaxInfo* Value) { minMaxInfo_->Assign(Value); }
  const TPlacementOptions& Options() const { return options_; }
  void SetOptions(const TPlacementOptions& Value) { options_ = Value; }
  bool PreventResize() const { return preventResize_; }
  // On: the form keeps its size (and loses its maximize button); off gives them back.
  void SetPreventResize(bool Value);
  int Version() const { return version_; }
  void SetVersion(int Value) { version_ = Value; }
  TApFormPlacementVersionCheck VersionCheck() const { return versionCheck_; }
  void SetVersionCheck(TApFormPlacementVersionCheck Value) { versionCheck_ = Value; }

  TNotifyEvent OnSavePlacement;
  TNotifyEvent OnRestorePlacement;

  // Writes "FormVersion" and the placement (nothing without a storage).
  void SaveFormPlacement();
  // Restores the placement when the stored "FormVersion" passes VersionCheck, then the active
  // control (fpActiveControl).
  void RestoreFormPlacement();
  virtual void SavePlacement();
  virtual void RestorePlacement();

  bool IsSaved() const { return saved_; }
  bool IsRestored() const { return restored_; }
  TCustomForm* Form() const;
  // Applies PreventResize and MinMaxInfo to the form's window.
  void UpdateWinHook();

  void Loaded() override;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  virtual void DoSavePlacement();
  virtual void DoRestorePlacement();
  // The path of a value below AppStoragePath, its name translated by the storage.
  AnsiString ValuePath(const AnsiString& Name, bool Reading);
  void MarkRestored() { restored_ = true; }

 private:
  friend class TApWinMinMaxInfo;
  void HookForm();
  void UnhookForm();
  void FormShow(TObject* Sender);
  void FormCloseQuery(TObject* Sender, bool& CanClose);
  void FormDestroy(TObject* Sender);
  void WndMessage(TObject* Sender, TMessage& Msg, bool& Handled);
  void RemoveMaximizeButton(HWND Wnd);
  void UpdatePlacement();
  AnsiString ExpandPath(const AnsiString& Path) const;

  bool active_ = true;
  TApCustomAppStorage* appStorage_ = nullptr;
  AnsiString appStoragePath_;
  std::unique_ptr<TApWinMinMaxInfo> minMaxInfo_;
  TPlacementOptions options_;
  bool preventResize_ = false;
  int version_ = 0;
  TApFormPlacementVersionCheck versionCheck_ = fpvcCheckGreaterEqual;
  std::unique_ptr<TApWindowHook> winHook_;
  TNotifyEvent savedShow_;
  TCloseQueryEvent savedCloseQuery_;
  TNotifyEvent savedDestroy_;
  bool formHooked_ = false;
  bool saved_ = false;
  bool restored_ = false;
  bool destroying_ = false;
  bool hadMaximizeButton_ = false;
};

class TApFormStorage;

// The entries "Component.Property" of a form storage, bound to their components again after
// every change (while the form storage is not being read).
class TApFormStorageStringList : public TStringList {
  HV_CLASS(TApFormStorageStringList, TStringList)
 public:
  explicit TApFormStorageStringList(TApFormStorage* Storage = nullptr) : storage_(Storage) {}
  void Detach() { storage_ = nullptr; }

 protected:
  void Changed() override;

 private:
  TApFormStorage* storage_;
};

class TApStoredValue;
using TApStoredValueEvent = TEvent<void(TApStoredValue* Sender, TVariant& Value)>;

// A named value of a form storage.
class TApStoredValue : public TCollectionItem {
  HV_CLASS(TApStoredValue, TCollectionItem)
 public:
  explicit TApStoredValue(TCollection* Collection);

  const AnsiString& Name() const { return name_; }
  // EApException "String list does not allow duplicates" for a name another value has (the
  // empty one too).
  void SetName(const AnsiString& Value);
  const TVariant& Value() const { return value_; }
  void SetValue(const TVariant& Value) { value_ = Value; }
  // Non-empty: the value's text is stored XOR-coded with this key, as hexadecimal text.
  const AnsiString& KeyString() const { return keyString_; }
  void SetKeyString(const AnsiString& Value) { keyString_ = Value; }
  std::string GetDisplayName() override;
  void Assign(TPersistent* Source) override;

  void Save();
  void Restore();

  TApStoredValueEvent OnSave;
  TApStoredValueEvent OnRestore;

 private:
  TApFormStorage* Storage() const;
  AnsiString StoragePath() const;

  AnsiString name_;
  TVariant value_;
  AnsiString keyString_;
};

class TApStoredValues : public TOwnedCollection {
  HV_CLASS(TApStoredValues, TOwnedCollection)
 public:
  explicit TApStoredValues(TApFormStorage* Owner);
  TApStoredValue* Items(int Index) const { return static_cast<TApStoredValue*>(TCollection::Items(Index)); }
  TApStoredValue* Add() { return static_cast<TApStoredValue*>(TCollection::Add()); }
  // The value of that name (ASCII letter case ignored), or null.
  TApStoredValue* FindValue(const AnsiString& Name) const;
  TApFormStorage* Storage() const { return storage_; }

 private:
  TApFormStorage* storage_;
};

class TApFormStorage : public TApFormPlacement {
  HV_CLASS(TApFormStorage, TApFormPlacement)
 public:
  explicit TApFormStorage(TComponent* AOwner);
  ~TApFormStorage() override;

  TStrings* StoredProps() const { return storedProps_.get(); }
  void SetStoredProps(TStrings* Value);
  TApStoredValues* StoredValues() const { return storedValues_.get(); }
  void SetStoredValues(TApStoredValues* Value);
  const AnsiString& StoredPropsPath() const { return storedPropsPath_; }
  void SetStoredPropsPath(const AnsiString& Value) { storedPropsPath_ = Value; }
  const AnsiString& StoredValuesPath() const { return storedValuesPath_; }
  void SetStoredValuesPath(const AnsiString& Value) { storedValuesPath_ = Value; }

  void SavePlacement() override;
  void RestorePlacement() override;
  // Tells the storage the most items the list property of the component keeps.
  void LimitStoredList(TComponent* Component, const AnsiString& PropName, int MaxCount);
  virtual void SaveProperties();
  virtual void RestoreProperties();

  void Loaded() override;
  // Binds the entries to the form's components (and asks to hear when they go).
  void RelinkStoredProps();

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TApStoredValue;
  // Points the property storage at this storage's stored properties.
  void Prepare(TApPropertyStorage& Storage);
  std::unique_ptr<TApFormStorageStringList> storedProps_;
  std::unique_ptr<TApStoredValues> storedValues_;
  AnsiString storedPropsPath_;
  AnsiString storedValuesPath_;
  bool relinking_ = false;
};
