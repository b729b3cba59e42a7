// The settings storage core: paths, sub-storages, the typed layer, lists and objects.
#include "foundation/ApAppStorage.h"

#include <algorithm>
#include <climits>
#include <limits>

#include "foundation/SysRtti.h"
#include "framework/CodePages.h"
#include "framework/Conversions.h"
#include "framework/DateTime.h"
#include "framework/ScopeGuards.h"
#include "framework/StrRoutines.h"
#include "framework/UpdateBracket.h"

namespace {

// What an enumeration read falls back from when the stored text is no name of the type.
const char kNotKnownMarker[] = " #!@not known@!# ";

bool StartsWithText(const AnsiString& s, const AnsiString& prefix) {
  return s.size() >= prefix.size() && SameText(s.substr(0, prefix.size()), prefix);
}

// The index of a list item name (ItemName followed by the decimal index as the writer makes
// it, without leading zeros), -1 for other names.
int ItemIndexOf(const AnsiString& name, const AnsiString& itemName) {
  if (name.size() <= itemName.size() || !StartsWithText(name, itemName)) return -1;
  AnsiString digits = name.substr(itemName.size());
  if (digits.size() > 9 || (digits.size() > 1 && digits[0] == '0')) return -1;
  for (char c : digits)
    if (c < '0' || c > '9') return -1;
  return std::stoi(digits);
}

AnsiString ItemPath(const AnsiString& path, const AnsiString& itemName, int index) {
  return TApCustomAppStorage::NormalizeStoragePath({path, itemName + IntToStr(index)});
}

bool IsDotsOnly(const AnsiString& segment) {
  return !segment.empty() && segment.find_first_not_of('.') == AnsiString::npos;
}

// An ordinal that fits the type; enumerations read from a file must not leave their range.
bool InRange(const TTypeInfo& type, int64_t value) {
  if (type.OrdType == otULong) return value >= 0 && value <= static_cast<int64_t>(static_cast<uint32_t>(type.MaxValue));
  return value >= type.MinValue && value <= type.MaxValue;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TApAppStorageOptions

TApAppStorageOptions::TApAppStorageOptions() = default;

void TApAppStorageOptions::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TApAppStorageOptions*>(Source);
  if (!src) {
    TPersistent::Assign(Source);
    return;
  }
  trueValues_ = src->trueValues_;
  falseValues_ = src->falseValues_;
  SetBooleanAsString(src->booleanAsString_);
  SetEnumerationAsString(src->enumerationAsString_);
  SetTypedIntegerAsString(src->typedIntegerAsString_);
  SetSetAsString(src->setAsString_);
  SetDateTimeAsString(src->dateTimeAsString_);
  SetFloatAsString(src->floatAsString_);
  SetDefaultIfReadConvertError(src->defaultIfReadConvertError_);
  SetDefaultIfValueNotExists(src->defaultIfValueNotExists_);
}

void TApAppStorageOptions::CheckBooleanAsString() {
  if (booleanAsString_ && (DefaultTrueString().empty() || DefaultFalseString().empty())) booleanAsString_ = false;
}

void TApAppStorageOptions::SetBooleanAsString(bool Value) {
  booleanAsString_ = Value;
  CheckBooleanAsString();
}

void TApAppStorageOptions::SetBooleanStringTrueValues(const AnsiString& Value) {
  trueValues_ = Value;
  CheckBooleanAsString();
}

void TApAppStorageOptions::SetBooleanStringFalseValues(const AnsiString& Value) {
  falseValues_ = Value;
  CheckBooleanAsString();
}

namespace {

AnsiString FirstListItem(const AnsiString& list) {
  size_t comma = list.find(',');
  return Trim(comma == AnsiString::npos ? list : list.substr(0, comma));
}

}  // namespace

AnsiString TApAppStorageOptions::DefaultTrueString() const { return FirstListItem(trueValues_); }
AnsiString TApAppStorageOptions::DefaultFalseString() const { return FirstListItem(falseValues_); }

bool TApAppStorageOptions::ListContainsValue(const AnsiString& Value, const AnsiString& List) const {
  const AnsiString value = UpperCase(Value);
  AnsiString item;
  auto matches = [&] { return !item.empty() && item == value; };
  for (char c : UpperCase(List)) {
    if (c == ',' || c == ' ') {
      if (matches()) return true;
      item.clear();
    } else {
      item += c;
    }
  }
  return matches();
}

HV_PUBLISH(TApAppStorageOptions) {
  p.Prop("BooleanAsString", &T::BooleanAsString, &T::SetBooleanAsString).Default(true);
  p.Prop("BooleanStringTrueValues", &T::BooleanStringTrueValues, &T::SetBooleanStringTrueValues);
  p.Prop("BooleanStringFalseValues", &T::BooleanStringFalseValues, &T::SetBooleanStringFalseValues);
  p.Prop("EnumerationAsString", &T::EnumerationAsString, &T::SetEnumerationAsString).Default(true);
  p.Prop("TypedIntegerAsString", &T::TypedIntegerAsString, &T::SetTypedIntegerAsString).Default(true);
  p.Prop("SetAsString", &T::SetAsString, &T::SetSetAsString).Default(false);
  p.Prop("DateTimeAsString", &T::DateTimeAsString, &T::SetDateTimeAsString).Default(true);
  p.Prop("FloatAsString", &T::FloatAsString, &T::SetFloatAsString).Default(false);
  p.Prop("DefaultIfReadConvertError", &T::DefaultIfReadConvertError, &T::SetDefaultIfReadConvertError).Default(false);
  p.Prop("DefaultIfValueNotExists", &T::DefaultIfValueNotExists, &T::SetDefaultIfValueNotExists).Default(true);
}

// ---------------------------------------------------------------------------------------------
// Sub-storages

TApAppSubStorage::TApAppSubStorage(TCollection* Collection) : TCollectionItem(Collection) {}

TApAppSubStorage::~TApAppSubStorage() { SetAppStorage(nullptr); }

TApCustomAppStorage* TApAppSubStorage::OwnerStorage() const {
  auto* subs = dynamic_cast<TApAppSubStorages*>(Collection());
  return subs ? subs->Storage() : nullptr;
}

void TApAppSubStorage::SetRootPath(const AnsiString& Value) {
  AnsiString root = TApCustomAppStorage::NormalizeStoragePath(Value);
  if (root == rootPath_) return;
  if (TCollection* c = Collection())
    for (int i = 0; i < c->Count(); ++i) {
      auto* other = static_cast<TApAppSubStorage*>(c->Items(i));
      if (other != this && SameText(other->rootPath_, root))
        throw EApAppStorageError(L"'" + AnsiToWide(root) + L"' is not a unique root path");
    }
  rootPath_ = root;
}

void TApAppSubStorage::SetAppStorage(TApCustomAppStorage* Value) {
  if (Value == appStorage_) return;
  TApCustomAppStorage* owner = OwnerStorage();
  if (Value && owner && Value->LeadsTo(owner)) throw EApAppStorageError("Circular reference of storages");
  TApCustomAppStorage* old = appStorage_;
  appStorage_ = Value;
  if (!owner) return;
  if (Value) owner->FreeNotification(Value);
  if (old) {
    // The link stays while another item still uses the same storage.
    bool stillUsed = false;
    for (int i = 0; i < owner->SubStorages()->Count(); ++i)
      if (owner->SubStorages()->Items(i)->appStorage_ == old) stillUsed = true;
    if (!stillUsed) owner->RemoveFreeNotification(old);
  }
}

std::string TApAppSubStorage::GetDisplayName() {
  return rootPath_.empty() ? TCollectionItem::GetDisplayName() : rootPath_;
}

HV_PUBLISH(TApAppSubStorage) {
  p.Prop("RootPath", &T::RootPath, &T::SetRootPath);
  p.Prop("AppStorage", &T::AppStorage, &T::SetAppStorage);
}

TApAppSubStorages::TApAppSubStorages(TApCustomAppStorage* Owner)
    : TOwnedCollection(Owner, TApAppSubStorage::StaticClassInfo()), owner_(Owner) {}

TApAppSubStorage* TApAppSubStorages::MatchingItem(const AnsiString& Path) const {
  TApAppSubStorage* best = nullptr;
  for (int i = 0; i < Count(); ++i) {
    TApAppSubStorage* item = Items(i);
    if (!item->AppStorage() || item->RootPath().empty()) continue;
    AnsiString prefix = "\\" + item->RootPath() + "\\";
    if (StartsWithText(Path, prefix) && (!best || item->RootPath().size() > best->RootPath().size())) best = item;
  }
  return best;
}

HV_PUBLISH(TApAppSubStorages) {}

// ---------------------------------------------------------------------------------------------
// TApCustomAppStorage: construction and state

TApCustomAppStorage::TApCustomAppStorage(TComponent* AOwner)
    : TApCustomAppStorage(AOwner, std::make_unique<TApAppStorageOptions>()) {}

TApCustomAppStorage::TApCustomAppStorage(TComponent* AOwner, std::unique_ptr<TApAppStorageOptions> Options)
    : TComponent(AOwner), options_(std::move(Options)), subStorages_(std::make_unique<TApAppSubStorages>(this)) {}

// Descendants flush in their own destructors: by the time this one runs, their back end is gone.
TApCustomAppStorage::~TApCustomAppStorage() {
  for (int i = 0; i < subStorages_->Count(); ++i) subStorages_->Items(i)->appStorage_ = nullptr;
}

void TApCustomAppStorage::SetStorageOptions(TApAppStorageOptions* Value) {
  if (Value && Value != options_.get()) options_->Assign(Value);
}

void TApCustomAppStorage::SetSubStorages(TApAppSubStorages* Value) {
  if (Value && Value != subStorages_.get()) subStorages_->Assign(Value);
}

bool TApCustomAppStorage::ReadOnly() {
  // A designer edits the storage's settings, not the place it stores in.
  if (ComponentState().Contains(csDesigning)) return readOnly_;
  return readOnly_ || GetPhysicalReadOnly();
}

void TApCustomAppStorage::Loaded() {
  TComponent::Loaded();
  Reload();
}

void TApCustomAppStorage::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  // Compared by address: a storage telling of its end is no longer a storage by type.
  if (Operation == opRemove && AComponent != this) RemoveSubStorage(AComponent);
}

void TApCustomAppStorage::RemoveSubStorage(TComponent* Storage) {
  for (int i = subStorages_->Count() - 1; i >= 0; --i)
    if (static_cast<TComponent*>(subStorages_->Items(i)->appStorage_) == Storage) {
      subStorages_->Items(i)->appStorage_ = nullptr;
      subStorages_->Delete(i);
    }
}

bool TApCustomAppStorage::LeadsTo(const TApCustomAppStorage* Storage) const {
  if (Storage == this) return true;
  for (int i = 0; i < subStorages_->Count(); ++i)
    if (const TApCustomAppStorage* s = subStorages_->Items(i)->AppStorage(); s && s->LeadsTo(Storage)) return true;
  return false;
}

// ---------------------------------------------------------------------------------------------
// Paths

AnsiString TApCustomAppStorage::NormalizeStoragePath(const std::vector<AnsiString>& Parts) {
  size_t first = 0;
  for (size_t i = Parts.size(); i-- > 1;)
    if (!Parts[i].empty() && Parts[i][0] == '\\') {
      first = i;
      break;
    }
  std::vector<AnsiString> segments;
  for (size_t i = first; i < Parts.size(); ++i) {
    for (AnsiString& segment : StrSplit(Parts[i], "\\", false)) {
      if (segment == ".") continue;
      if (IsDotsOnly(segment)) {
        size_t drop = std::min(segment.size() - 1, segments.size());
        segments.resize(segments.size() - drop);
        continue;
      }
      segments.push_back(std::move(segment));
    }
  }
  AnsiString result;
  for (const AnsiString& s : segments) {
    if (!result.empty()) result += '\\';
    result += s;
  }
  return result;
}

void TApCustomAppStorage::SplitKeyPath(const AnsiString& Path, AnsiString& Key, AnsiString& ValueName) const {
  AnsiString absolute = NormalizeStoragePath(Path);
  size_t slash = absolute.rfind('\\');
  if (slash == AnsiString::npos) {
    Key.clear();
    ValueName = absolute;
  } else {
    Key = absolute.substr(0, slash);
    ValueName = absolute.substr(slash + 1);
  }
}

void TApCustomAppStorage::ResolvePath(const AnsiString& Path, TApCustomAppStorage*& Target, AnsiString& TargetPath) {
  Target = this;
  TargetPath = "\\" + NormalizeStoragePath(Path);
  for (int i = 0; i < subStorages_->Count(); ++i) {
    TApAppSubStorage* item = subStorages_->Items(i);
    if (item->AppStorage() && !item->RootPath().empty() && SameText(TargetPath, "\\" + item->RootPath()))
      throw EApAppStorageError("Invalid path");
  }
  if (TApAppSubStorage* item = subStorages_->MatchingItem(TargetPath)) {
    AnsiString rest = TargetPath.substr(item->RootPath().size() + 2);
    item->AppStorage()->ResolvePath(rest, Target, TargetPath);
  }
}

// ---------------------------------------------------------------------------------------------
// Public typed values: resolve, then read, or write when the serving storage may be written.

#define HV_RESOLVE(path)       \
  TApCustomAppStorage* target; \
  AnsiString targetPath;       \
  ResolvePath(path, target, targetPath)

int TApCustomAppStorage::ReadInteger(const AnsiString& Path, int Default) {
  HV_RESOLVE(Path);
  return target->ReadIntegerInt(targetPath, Default);
}

void TApCustomAppStorage::WriteInteger(const AnsiString& Path, int Value) {
  HV_RESOLVE(Path);
  if (!target->ReadOnly()) target->WriteIntegerInt(targetPath, Value);
}

long double TApCustomAppStorage::ReadFloat(const AnsiString& Path, long double Default) {
  HV_RESOLVE(Path);
  return target->ReadFloatInt(targetPath, Default);
}

void TApCustomAppStorage::WriteFloat(const AnsiString& Path, long double Value) {
  HV_RESOLVE(Path);
  if (!target->ReadOnly()) target->WriteFloatInt(targetPath, Value);
}

AnsiString TApCustomAppStorage::ReadString(const AnsiString& Path, const AnsiString& Default) {
  HV_RESOLVE(Path);
  return target->ReadStringInt(targetPath, Default);
}

void TApCustomAppStorage::WriteString(const AnsiString& Path, const AnsiString& Value) {
  HV_RESOLVE(Path);
  if (!target->ReadOnly()) target->WriteStringInt(targetPath, Value);
}

int TApCustomAppStorage::ReadBinary(const AnsiString& Path, void* Buf, int Count) {
  HV_RESOLVE(Path);
  return target->ReadBinaryInt(targetPath, Buf, Count);
}

void TApCustomAppStorage::WriteBinary(const AnsiString& Path, const void* Buf, int Count) {
  HV_RESOLVE(Path);
  if (!target->ReadOnly()) target->WriteBinaryInt(targetPath, Buf, Count);
}

TDateTime TApCustomAppStorage::ReadDateTime(const AnsiString& Path, TDateTime Default) {
  HV_RESOLVE(Path);
  return target->ReadDateTimeInt(targetPath, Default);
}

void TApCustomAppStorage::WriteDateTime(const AnsiString& Path, TDateTime Value) {
  HV_RESOLVE(Path);
  if (!target->ReadOnly()) target->WriteDateTimeInt(targetPath, Value);
}

bool TApCustomAppStorage::ReadBoolean(const AnsiString& Path, bool Default) {
  HV_RESOLVE(Path);
  return target->ReadBooleanInt(targetPath, Default);
}

void TApCustomAppStorage::WriteBoolean(const AnsiString& Path, bool Value) {
  HV_RESOLVE(Path);
  if (!target->ReadOnly()) target->WriteBooleanInt(targetPath, Value);
}

int TApCustomAppStorage::ReadEnumeration(const AnsiString& Path, const TTypeInfo& TypeInfo, int Default) {
  HV_RESOLVE(Path);
  return target->ReadEnumerationInt(targetPath, TypeInfo, Default);
}

void TApCustomAppStorage::WriteEnumeration(const AnsiString& Path, const TTypeInfo& TypeInfo, int Value) {
  HV_RESOLVE(Path);
  if (!target->ReadOnly()) target->WriteEnumerationInt(targetPath, TypeInfo, Value);
}

TSetValue TApCustomAppStorage::ReadSet(const AnsiString& Path, const TTypeInfo& SetType, const TSetValue& Default) {
  HV_RESOLVE(Path);
  return target->ReadSetInt(targetPath, SetType, Default);
}

void TApCustomAppStorage::WriteSet(const AnsiString& Path, const TTypeInfo& SetType, const TSetValue& Value) {
  HV_RESOLVE(Path);
  if (!target->ReadOnly()) target->WriteSetInt(targetPath, SetType, Value);
}

bool TApCustomAppStorage::ValueStored(const AnsiString& Path) {
  HV_RESOLVE(Path);
  return target->ValueStoredInt(targetPath);
}

bool TApCustomAppStorage::PathExists(const AnsiString& Path) {
  HV_RESOLVE(Path);
  return target->PathExistsInt(targetPath);
}

bool TApCustomAppStorage::IsFolder(const AnsiString& Path, bool ListIsValue) {
  HV_RESOLVE(Path);
  return target->IsFolderInt(targetPath, ListIsValue);
}

bool TApCustomAppStorage::ListStored(const AnsiString& Path) {
  return ValueStored(NormalizeStoragePath({Path, "Count"}));
}

void TApCustomAppStorage::DeleteValue(const AnsiString& Path) {
  HV_RESOLVE(Path);
  if (!target->ReadOnly()) target->DeleteValueInt(targetPath);
}

void TApCustomAppStorage::DeleteSubTree(const AnsiString& Path) {
  HV_RESOLVE(Path);
  if (!target->ReadOnly()) target->DeleteSubTreeInt(targetPath);
}

// ---------------------------------------------------------------------------------------------
// The typed layer

template <class Read>
auto TApCustomAppStorage::ReadChecked(const AnsiString& Path, decltype(std::declval<Read>()()) Default, Read ARead)
    -> decltype(std::declval<Read>()()) {
  if (options_->DefaultIfValueNotExists() && !ValueStoredInt(Path)) return Default;
  try {
    return ARead();
  } catch (const EConvertError&) {
    if (options_->DefaultIfReadConvertError()) return Default;
    throw;
  }
}

TDateTime TApCustomAppStorage::DoReadDateTime(const AnsiString& Path, TDateTime Default) {
  return static_cast<TDateTime>(DoReadFloat(Path, Default));
}

void TApCustomAppStorage::DoWriteDateTime(const AnsiString& Path, TDateTime Value) { DoWriteFloat(Path, Value); }

bool TApCustomAppStorage::DoReadBoolean(const AnsiString& Path, bool Default) {
  return DoReadInteger(Path, Default ? 1 : 0) != 0;
}

void TApCustomAppStorage::DoWriteBoolean(const AnsiString& Path, bool Value) { DoWriteInteger(Path, Value ? 1 : 0); }

int TApCustomAppStorage::ReadIntegerInt(const AnsiString& Path, int Default) {
  return ReadChecked(Path, Default, [&] { return DoReadInteger(Path, Default); });
}

void TApCustomAppStorage::WriteIntegerInt(const AnsiString& Path, int Value) { DoWriteInteger(Path, Value); }

namespace {

// The float text as written, including the texts of the infinite and undefined values, which
// the number conversion does not read back.
bool TryFloatText(const AnsiString& Text, long double& Value) {
  if (TryStrToFloat(Text, Value)) return true;
  const AnsiString t = UpperCase(Trim(Text));
  if (t == "NAN")
    Value = std::numeric_limits<long double>::quiet_NaN();
  else if (t == "INF")
    Value = std::numeric_limits<long double>::infinity();
  else if (t == "-INF")
    Value = -std::numeric_limits<long double>::infinity();
  else
    return false;
  return true;
}

long double FloatText(const AnsiString& Text) {
  long double v = 0;
  return TryFloatText(Text, v) ? v : StrToFloat(Text);
}

}  // namespace

long double TApCustomAppStorage::ReadFloatInt(const AnsiString& Path, long double Default) {
  return ReadChecked(Path, Default, [&]() -> long double {
    long double v = 0;
    if (options_->FloatAsString()) {
      if (TryFloatText(DoReadString(Path, FloatToStr(Default)), v)) return v;
      return DoReadFloat(Path, Default);
    }
    try {
      return DoReadFloat(Path, Default);
    } catch (const EConvertError&) {
      return FloatText(DoReadString(Path, FloatToStr(Default)));
    }
  });
}

void TApCustomAppStorage::WriteFloatInt(const AnsiString& Path, long double Value) {
  if (options_->FloatAsString())
    DoWriteString(Path, FloatToStr(Value));
  else
    DoWriteFloat(Path, Value);
}

AnsiString TApCustomAppStorage::ReadStringInt(const AnsiString& Path, const AnsiString& Default) {
  return ReadChecked(Path, Default,
                     [&] { return DecryptPropertyValue(DoReadString(Path, EncryptPropertyValue(Default))); });
}

void TApCustomAppStorage::WriteStringInt(const AnsiString& Path, const AnsiString& Value) {
  DoWriteString(Path, EncryptPropertyValue(Value));
}

int TApCustomAppStorage::ReadBinaryInt(const AnsiString& Path, void* Buf, int Count) {
  return ReadChecked(Path, 0, [&] { return DoReadBinary(Path, Buf, Count); });
}

void TApCustomAppStorage::WriteBinaryInt(const AnsiString& Path, const void* Buf, int Count) {
  DoWriteBinary(Path, Buf, Count);
}

TDateTime TApCustomAppStorage::ReadDateTimeInt(const AnsiString& Path, TDateTime Default) {
  return ReadChecked(Path, Default, [&]() -> TDateTime {
    TDateTime v = 0;
    if (options_->DateTimeAsString()) {
      if (TryStrToDateTime(DoReadString(Path, DateTimeToStr(Default)), v)) return v;
      return DoReadDateTime(Path, Default);
    }
    try {
      return DoReadDateTime(Path, Default);
    } catch (const EConvertError&) {
      return StrToDateTime(DoReadString(Path, DateTimeToStr(Default)));
    }
  });
}

void TApCustomAppStorage::WriteDateTimeInt(const AnsiString& Path, TDateTime Value) {
  if (options_->DateTimeAsString())
    DoWriteString(Path, DateTimeToStr(Value));
  else
    DoWriteDateTime(Path, Value);
}

bool TApCustomAppStorage::ReadBooleanInt(const AnsiString& Path, bool Default) {
  return ReadChecked(Path, Default, [&] {
    if (options_->BooleanAsString()) {
      try {
        AnsiString s = DoReadString(Path, Default ? options_->DefaultTrueString() : options_->DefaultFalseString());
        if (options_->IsValueTrueString(s)) return true;
        if (options_->IsValueFalseString(s)) return false;
      } catch (const EConvertError&) {}
    }
    return DoReadBoolean(Path, Default);
  });
}

void TApCustomAppStorage::WriteBooleanInt(const AnsiString& Path, bool Value) {
  if (options_->BooleanAsString())
    DoWriteString(Path, Value ? options_->DefaultTrueString() : options_->DefaultFalseString());
  else
    DoWriteBoolean(Path, Value);
}

namespace {

// Booleans and the wide boolean kinds (enumerations whose base starts below 0).
bool IsBooleanLike(const TTypeInfo& type) {
  if (IsBooleanType(type)) return true;
  const TTypeInfo& base = type.BaseType ? *type.BaseType : type;
  return type.Kind == tkEnumeration && base.MinValue < 0;
}

}  // namespace

int TApCustomAppStorage::ReadEnumerationInt(const AnsiString& Path, const TTypeInfo& TypeInfo, int Default) {
  if (IsBooleanLike(TypeInfo)) return ReadBooleanInt(Path, Default != 0) ? 1 : 0;
  switch (TypeInfo.Kind) {
    case tkChar:
    case tkWChar: return ReadIntegerInt(Path, Default);
    case tkInteger: {
      if (TIdentToInt identToInt = FindIdentToInt(TypeInfo)) {
        AnsiString text;
        {
          const bool saved = options_->DefaultIfReadConvertError();
          options_->SetDefaultIfReadConvertError(true);
          TScopeExit restore([&] { options_->SetDefaultIfReadConvertError(saved); });
          text = ReadStringInt(Path, AnsiString());
        }
        int32_t v = 0;
        if (!text.empty() && identToInt(text, v)) return v;
      }
      return ReadIntegerInt(Path, Default);
    }
    case tkEnumeration: {
      int v = GetEnumValue(TypeInfo, ReadStringInt(Path, kNotKnownMarker));
      if (v >= 0) return v;
      v = ReadIntegerInt(Path, Default);
      if (InRange(TypeInfo, v) || v == Default) return v;
      // A number outside the type would make an invalid enumeration value.
      if (options_->DefaultIfReadConvertError()) return Default;
      throw EConvertError("'" + IntToStr(v) + "' is not a valid " + std::string(TypeInfo.Name) + " value");
    }
    default: throw EApAppStorageError("Invalid type");
  }
}

void TApCustomAppStorage::WriteEnumerationInt(const AnsiString& Path, const TTypeInfo& TypeInfo, int Value) {
  if (IsBooleanLike(TypeInfo)) {
    WriteBooleanInt(Path, Value != 0);
    return;
  }
  switch (TypeInfo.Kind) {
    case tkChar:
    case tkWChar: WriteIntegerInt(Path, Value); return;
    case tkInteger: {
      std::string ident;
      TIntToIdent intToIdent = FindIntToIdent(TypeInfo);
      if (options_->TypedIntegerAsString() && intToIdent && intToIdent(Value, ident))
        WriteStringInt(Path, ident);
      else
        WriteIntegerInt(Path, Value);
      return;
    }
    case tkEnumeration:
      if (options_->EnumerationAsString())
        WriteStringInt(Path, GetEnumName(TypeInfo, Value));
      else
        WriteIntegerInt(Path, Value);
      return;
    default: throw EApAppStorageError("Invalid type");
  }
}

namespace {

const TTypeInfo& SetElementType(const TTypeInfo& setType) {
  const TTypeInfo* elem = setType.CompType;
  if (!elem || (elem->Kind != tkEnumeration && elem->Kind != tkInteger && elem->Kind != tkChar))
    throw EApAppStorageError("Unknown base type for given set");
  return *elem;
}

}  // namespace

AnsiString TApCustomAppStorage::CharSetElementName(unsigned char Ch) const {
  // Letters would meet their other case in a case-insensitive back end, "=" would end the key
  // and "\" would start a section: those go by their code, like everything outside '!'..'z'.
  const bool letter = (Ch >= 'A' && Ch <= 'Z') || (Ch >= 'a' && Ch <= 'z');
  if (Ch >= 33 && Ch <= 122 && !letter && Ch != '=' && Ch != '\\') return AnsiString("Char_") + static_cast<char>(Ch);
  return "Char#" + IntToStr(static_cast<int>(Ch));
}

AnsiString TApCustomAppStorage::IntSetElementName(int Value) const { return "Int_" + IntToStr(Value); }

TSetValue TApCustomAppStorage::ReadSetInt(const AnsiString& Path, const TTypeInfo& SetType, const TSetValue& Default) {
  const TTypeInfo& elem = SetElementType(SetType);
  const int lo = std::clamp(elem.MinValue, 0, 255), hi = std::clamp(elem.MaxValue, 0, 255);
  if (IsFolderInt(Path, true)) {
    TSetValue result;
    for (int v = lo; v <= hi; ++v) {
      AnsiString name = elem.Kind == tkEnumeration ? GetEnumName(elem, v)
                        : elem.Kind == tkChar      ? CharSetElementName(static_cast<unsigned char>(v))
                                                   : IntSetElementName(v);
      if (ReadBooleanInt(Path + "\\" + name, false)) result.Include(v);
    }
    return result;
  }
  AnsiString text = ReadStringInt(Path, SetToText(SetType, Default, true, false));
  try {
    TSetValue result;
    TextToSet(SetType, result, text);
    return result;
  } catch (const EConvertError&) {
    if (options_->DefaultIfReadConvertError()) return Default;
    throw;
  }
}

void TApCustomAppStorage::WriteSetInt(const AnsiString& Path, const TTypeInfo& SetType, const TSetValue& Value) {
  const TTypeInfo& elem = SetElementType(SetType);
  if (options_->SetAsString()) {
    WriteStringInt(Path, SetToText(SetType, Value, true, false));
    return;
  }
  const int lo = std::clamp(elem.MinValue, 0, 255), hi = std::clamp(elem.MaxValue, 0, 255);
  for (int v = lo; v <= hi; ++v) {
    AnsiString name = elem.Kind == tkEnumeration ? GetEnumName(elem, v)
                      : elem.Kind == tkChar      ? CharSetElementName(static_cast<unsigned char>(v))
                                                 : IntSetElementName(v);
    WriteBooleanInt(Path + "\\" + name, Value.Contains(v));
  }
}

// ---------------------------------------------------------------------------------------------
// Encryption hooks

AnsiString TApCustomAppStorage::EncryptPropertyValue(const AnsiString& Value) {
  if (!OnEncryptPropertyValue || cryptEnabled_ <= 0) return Value;
  AnsiString v = Value;
  OnEncryptPropertyValue(v);
  return EncodeBase64Lines(v);
}

AnsiString TApCustomAppStorage::DecryptPropertyValue(const AnsiString& Value) {
  if (!OnEncryptPropertyValue || cryptEnabled_ <= 0) return Value;
  AnsiString v = DecodeBase64Text(Value);
  if (OnDecryptPropertyValue) OnDecryptPropertyValue(v);
  return v;
}

// ---------------------------------------------------------------------------------------------
// Lists

std::vector<int> TApCustomAppStorage::ListItemIndices(const AnsiString& Path, const AnsiString& ItemName,
                                                      const AnsiString& CountText) {
  // A Count that is no number, negative or larger than what is there must neither hang the
  // reader nor make it invent items: what is read is bounded by the names that are present.
  int count = 0;
  if (!TryStrToInt(Trim(CountText), count) || count < 0) count = INT_MAX;
  HV_RESOLVE(Path);
  TStringList names, folders;
  target->EnumValues(targetPath, names, false);
  target->EnumFolders(targetPath, folders, false);
  names.AddStrings(&folders);
  std::vector<int> indices;
  for (int i = 0; i < names.Count(); ++i)
    if (int index = ItemIndexOf(names[i], ItemName); index >= 0 && index < count) indices.push_back(index);
  std::sort(indices.begin(), indices.end());
  indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
  return indices;
}

void TApCustomAppStorage::DeleteSurplusItems(const AnsiString& Path, const AnsiString& ItemName, int Count) {
  HV_RESOLVE(Path);
  TStringList values, folders;
  target->EnumValues(targetPath, values, false);
  target->EnumFolders(targetPath, folders, false);
  for (int i = 0; i < values.Count(); ++i)
    if (ItemIndexOf(values[i], ItemName) >= Count) DeleteValue(NormalizeStoragePath({Path, values[i]}));
  for (int i = 0; i < folders.Count(); ++i)
    if (ItemIndexOf(folders[i], ItemName) >= Count) DeleteSubTree(NormalizeStoragePath({Path, folders[i]}));
}

template <class L>
int TApCustomAppStorage::ReadList(const AnsiString& Path, L& List, const AnsiString& ItemName, bool ClearFirst) {
  const AnsiString countPath = NormalizeStoragePath({Path, "Count"});
  if (!ValueStored(countPath) && options_->DefaultIfValueNotExists()) return List.Count();
  HV_RESOLVE(countPath);
  // The raw text: a damaged Count must not turn into a default or an error here.
  const AnsiString countText = target->ValueStoredInt(targetPath) ? target->DoReadString(targetPath, "0") : "0";
  const std::vector<int> indices = ListItemIndices(Path, ItemName, countText);
  WithinUpdate(List, [&] {
    if (ClearFirst) List.Clear();
    for (int i : indices) {
      AnsiString item = ReadString(ItemPath(Path, ItemName, i), AnsiString());
      if constexpr (std::is_base_of_v<TStringsW, L>)
        List.Add(AnsiToWide(item));
      else
        List.Add(item);
    }
  });
  return static_cast<int>(indices.size());
}

template <class L>
void TApCustomAppStorage::WriteList(const AnsiString& Path, L& List, const AnsiString& ItemName) {
  const AnsiString countPath = NormalizeStoragePath({Path, "Count"});
  {
    HV_RESOLVE(countPath);
    if (target->ReadOnly()) return;
  }
  const int count = List.Count();
  WriteInteger(countPath, count);
  for (int i = 0; i < count; ++i) {
    if constexpr (std::is_base_of_v<TStringsW, L>)
      WriteString(ItemPath(Path, ItemName, i), WideToAnsi(List[i]));
    else
      WriteString(ItemPath(Path, ItemName, i), List[i]);
  }
  DeleteSurplusItems(Path, ItemName, count);
}

int TApCustomAppStorage::ReadStoredStringList(const AnsiString& Path, TStrings& List, const AnsiString& ItemName,
                                              bool ClearFirst) {
  return ReadList(Path, List, ItemName, ClearFirst);
}

int TApCustomAppStorage::ReadStoredStringList(const AnsiString& Path, TStringsW& List, const AnsiString& ItemName,
                                              bool ClearFirst) {
  return ReadList(Path, List, ItemName, ClearFirst);
}

void TApCustomAppStorage::WriteStoredStringList(const AnsiString& Path, TStrings& List, const AnsiString& ItemName) {
  WriteList(Path, List, ItemName);
}

void TApCustomAppStorage::WriteStoredStringList(const AnsiString& Path, TStringsW& List, const AnsiString& ItemName) {
  WriteList(Path, List, ItemName);
}

int TApCustomAppStorage::ReadCollection(const AnsiString& Path, TCollection& Collection, bool ClearFirst,
                                        const AnsiString& ItemName) {
  const AnsiString countPath = NormalizeStoragePath({Path, "Count"});
  if (!ValueStored(countPath) && options_->DefaultIfValueNotExists()) return Collection.Count();
  HV_RESOLVE(countPath);
  const AnsiString countText = target->ValueStoredInt(targetPath) ? target->DoReadString(targetPath, "0") : "0";
  const std::vector<int> indices = ListItemIndices(Path, ItemName, countText);
  WithinUpdate(Collection, [&] {
    if (ClearFirst) Collection.Clear();
    for (int i : indices) ReadPersistent(ItemPath(Path, ItemName, i), Collection.Add(), {}, ClearFirst, true);
  });
  return static_cast<int>(indices.size());
}

void TApCustomAppStorage::WriteCollection(const AnsiString& Path, TCollection& Collection, const AnsiString& ItemName) {
  const AnsiString countPath = NormalizeStoragePath({Path, "Count"});
  {
    HV_RESOLVE(countPath);
    if (target->ReadOnly()) return;
  }
  const int count = Collection.Count();
  WriteInteger(countPath, count);
  for (int i = 0; i < count; ++i) WritePersistent(ItemPath(Path, ItemName, i), Collection.Items(i), {}, true);
  DeleteSurplusItems(Path, ItemName, count);
}

// ---------------------------------------------------------------------------------------------
// Objects

AnsiString TApCustomAppStorage::TranslatePropertyName(TPersistent* Instance, const AnsiString& Name, bool Reading) {
  AnsiString name = Name;
  if (OnTranslatePropertyName) OnTranslatePropertyName(this, Instance, name, Reading);
  return name;
}

namespace {

bool Ignored(const std::vector<AnsiString>& ignore, const std::string& name) {
  return std::any_of(ignore.begin(), ignore.end(), [&](const AnsiString& n) { return SameText(n, name); });
}

// Objects reached through a property that are stored in place; components are only referred to
// (their own owner stores them), and following them could run in circles.
bool IsStoredInPlace(TObject* obj) { return obj && !dynamic_cast<TComponent*>(obj); }

}  // namespace

void TApCustomAppStorage::WriteProperty(const AnsiString& Path, TPersistent* Object, const TPropInfo& Prop,
                                        bool Recursive) {
  const TTypeInfo& type = *Prop.PropType;
  switch (Prop.Kind()) {
    case tkInteger:
    case tkChar:
    case tkWChar: {
      int v = static_cast<int>(GetOrdProp(Object, Prop));
      if (options_->TypedIntegerAsString())
        WriteEnumeration(Path, type, v);
      else
        WriteInteger(Path, v);
      break;
    }
    case tkEnumeration: WriteEnumeration(Path, type, static_cast<int>(GetOrdProp(Object, Prop))); break;
    case tkFloat:
      if (&type == &DateTimeTypeInfo())
        WriteDateTime(Path, static_cast<TDateTime>(GetFloatProp(Object, Prop)));
      else
        WriteFloat(Path, GetFloatProp(Object, Prop));
      break;
    case tkString:
    case tkLString:
    case tkWString: WriteString(Path, GetStrProp(Object, Prop)); break;
    case tkSet: WriteSet(Path, type, GetSetValueProp(Object, Prop)); break;
    case tkInt64: WriteString(Path, IntToStr(static_cast<long long>(GetInt64Prop(Object, Prop)))); break;
    case tkClass: {
      TObject* obj = GetObjectProp(Object, Prop);
      if (!IsStoredInPlace(obj)) break;
      if (auto* list = dynamic_cast<TStrings*>(obj))
        WriteStoredStringList(Path, *list, "Item");
      else if (auto* wlist = dynamic_cast<TStringsW*>(obj))
        WriteStoredStringList(Path, *wlist, "Item");
      else if (auto* coll = dynamic_cast<TCollection*>(obj))
        WriteCollection(Path, *coll, "Item");
      else if (auto* pers = dynamic_cast<TPersistent*>(obj); pers && Recursive)
        WritePersistent(Path, pers, {}, true);
      break;
    }
    default: break;
  }
}

void TApCustomAppStorage::ReadProperty(const AnsiString& Path, TPersistent* Object, const TPropInfo& Prop,
                                       bool ClearFirst, bool Recursive) {
  const TTypeInfo& type = *Prop.PropType;
  switch (Prop.Kind()) {
    case tkInteger:
    case tkChar:
    case tkWChar:
    case tkEnumeration: {
      if (!Prop.SetOrd) break;
      int current = static_cast<int>(GetOrdProp(Object, Prop));
      int v = (Prop.Kind() == tkEnumeration || options_->TypedIntegerAsString()) ? ReadEnumeration(Path, type, current)
                                                                                 : ReadInteger(Path, current);
      SetOrdProp(Object, Prop, v);
      break;
    }
    case tkFloat:
      if (!Prop.SetFloat) break;
      if (&type == &DateTimeTypeInfo())
        SetFloatProp(Object, Prop, ReadDateTime(Path, static_cast<TDateTime>(GetFloatProp(Object, Prop))));
      else
        SetFloatProp(Object, Prop, ReadFloat(Path, GetFloatProp(Object, Prop)));
      break;
    case tkString:
    case tkLString:
    case tkWString:
      if (Prop.SetAnsi || Prop.SetWide) SetStrProp(Object, Prop, ReadString(Path, GetStrProp(Object, Prop)));
      break;
    case tkSet:
      if (Prop.SetSet) SetSetValueProp(Object, Prop, ReadSet(Path, type, GetSetValueProp(Object, Prop)));
      break;
    case tkInt64: {
      if (!Prop.SetOrd) break;
      long long current = GetInt64Prop(Object, Prop), v = 0;
      AnsiString text = ReadString(Path, IntToStr(current));
      if (TryStrToInt64(text, v))
        SetInt64Prop(Object, Prop, v);
      else if (!options_->DefaultIfReadConvertError())
        RaiseConvertError(text, L"is not a valid integer value");
      break;
    }
    case tkClass: {
      TObject* obj = GetObjectProp(Object, Prop);
      if (!IsStoredInPlace(obj)) break;
      if (auto* list = dynamic_cast<TStrings*>(obj))
        ReadStoredStringList(Path, *list, "Item", ClearFirst);
      else if (auto* wlist = dynamic_cast<TStringsW*>(obj))
        ReadStoredStringList(Path, *wlist, "Item", ClearFirst);
      else if (auto* coll = dynamic_cast<TCollection*>(obj))
        ReadCollection(Path, *coll, ClearFirst, "Item");
      else if (auto* pers = dynamic_cast<TPersistent*>(obj); pers && Recursive)
        ReadPersistent(Path, pers, {}, ClearFirst, true);
      break;
    }
    default: break;
  }
}

void TApCustomAppStorage::WritePersistent(const AnsiString& Path, TPersistent* Object,
                                          const std::vector<AnsiString>& IgnoreProperties, bool Recursive) {
  if (!Object) return;
  if (auto* handler = dynamic_cast<IStorageHandler*>(Object)) {
    handler->WriteToStorage(this, Path);
    if (!dynamic_cast<IStoragePublishedProps*>(Object)) return;
  }
  for (const TPropInfo* prop : GetPropList(Object)) {
    if (prop->Kind() == tkMethod || Ignored(IgnoreProperties, prop->Name)) continue;
    WriteProperty(NormalizeStoragePath({Path, TranslatePropertyName(Object, prop->Name, false)}), Object, *prop,
                  Recursive);
  }
}

void TApCustomAppStorage::ReadPersistent(const AnsiString& Path, TPersistent* Object,
                                         const std::vector<AnsiString>& IgnoreProperties, bool ClearFirst,
                                         bool Recursive) {
  if (!Object) return;
  if (auto* handler = dynamic_cast<IStorageHandler*>(Object)) {
    handler->ReadFromStorage(this, Path);
    if (!dynamic_cast<IStoragePublishedProps*>(Object)) return;
  }
  for (const TPropInfo* prop : GetPropList(Object)) {
    if (prop->Kind() == tkMethod || Ignored(IgnoreProperties, prop->Name)) continue;
    ReadProperty(NormalizeStoragePath({Path, TranslatePropertyName(Object, prop->Name, true)}), Object, *prop,
                 ClearFirst, Recursive);
  }
}

void TApCustomAppStorage::WriteStoredProperty(const AnsiString& Path, TPersistent* Object, const AnsiString& PropName,
                                              bool Recursive) {
  if (!Object) return;
  if (const TPropInfo* prop = GetPropInfo(Object, PropName); prop && prop->Kind() != tkMethod)
    WriteProperty(Path, Object, *prop, Recursive);
}

void TApCustomAppStorage::ReadStoredProperty(const AnsiString& Path, TPersistent* Object, const AnsiString& PropName,
                                             bool ClearFirst, bool Recursive) {
  if (!Object) return;
  if (const TPropInfo* prop = GetPropInfo(Object, PropName); prop && prop->Kind() != tkMethod)
    ReadProperty(Path, Object, *prop, ClearFirst, Recursive);
}

HV_PUBLISH(TApCustomAppStorage) {
  p.Prop("StorageOptions", &T::StorageOptions, &T::SetStorageOptions);
  p.Event("OnTranslatePropertyName", &T::OnTranslatePropertyName);
  p.Event("OnEncryptPropertyValue", &T::OnEncryptPropertyValue);
  p.Event("OnDecryptPropertyValue", &T::OnDecryptPropertyValue);
}
