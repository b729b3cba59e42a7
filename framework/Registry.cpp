// Registry access over the wide advapi32 functions.
#include "framework/Registry.h"

#include <cstring>

#include "framework/UpdateBracket.h"

HV_PUBLISH(TRegistry) {}

TRegKey& TRegKey::operator=(TRegKey&& o) noexcept {
  if (this != &o) {
    Close();
    key_ = o.key_;
    o.key_ = nullptr;
  }
  return *this;
}

TRegKey TRegKey::Open(HKEY Root, const wchar_t* Path, REGSAM Access) {
  HKEY raw = nullptr;
  return TRegKey(RegOpenKeyExW(Root, Path, 0, Access, &raw) == ERROR_SUCCESS ? raw : nullptr);
}

void TRegKey::Close() {
  if (key_) RegCloseKey(key_);
  key_ = nullptr;
}

namespace {

bool IsAbsolute(const WideString& key) { return !key.empty() && key[0] == L'\\'; }

WideString WithoutTrailingSeparator(WideString s) {
  while (!s.empty() && s.back() == L'\\') s.pop_back();
  return s;
}

// The names a registry enumeration gives, with a buffer that grows when a name is longer.
template <class F>
void EnumerateNames(F enumerate, TStringsW* Strings) {
  WithinUpdate(*Strings, [&] {
    Strings->Clear();
    std::vector<wchar_t> buffer(256);
    for (DWORD index = 0;;) {
      DWORD length = static_cast<DWORD>(buffer.size());
      LONG r = enumerate(index, buffer.data(), &length);
      if (r == ERROR_MORE_DATA && buffer.size() < 65536) {
        buffer.resize(buffer.size() * 4);
        continue;
      }
      if (r != ERROR_SUCCESS) break;
      Strings->Add(WideString(buffer.data(), length));
      ++index;
    }
  });
}

bool DeleteKeyTree(HKEY base, const WideString& path) {
  HKEY raw = nullptr;
  if (RegOpenKeyExW(base, path.c_str(), 0, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS)
    return false;
  TRegKey key(raw);
  // Names first, deletions after: deleting while enumerating would skip keys.
  TStringListW children;
  EnumerateNames(
      [&](DWORD index, wchar_t* name, DWORD* length) {
        return RegEnumKeyExW(key.Get(), index, name, length, nullptr, nullptr, nullptr, nullptr);
      },
      &children);
  for (int i = 0; i < children.Count(); ++i) DeleteKeyTree(key.Get(), children[i]);
  key.Close();
  return RegDeleteKeyW(base, path.c_str()) == ERROR_SUCCESS;
}

}  // namespace

TRegistry::TRegistry(REGSAM Access) : access_(Access) {}

TRegistry::~TRegistry() = default;

void TRegistry::SetRootKey(HKEY Value) {
  if (Value == rootKey_) return;
  CloseKey();
  rootKey_ = Value;
}

HKEY TRegistry::BaseKey(const WideString& Key, WideString& relative) const {
  if (IsAbsolute(Key)) {
    relative = WithoutTrailingSeparator(Key.substr(1));
    return rootKey_;
  }
  relative = WithoutTrailingSeparator(Key);
  return currentKey_ ? currentKey_.Get() : rootKey_;
}

WideString TRegistry::FullPath(const WideString& Key) const {
  WideString relative;
  BaseKey(Key, relative);
  if (IsAbsolute(Key) || !currentKey_ || currentPath_.empty()) return relative;
  return relative.empty() ? currentPath_ : currentPath_ + L"\\" + relative;
}

bool TRegistry::OpenKey(const WideString& Key, bool CanCreate) {
  WideString relative;
  HKEY base = BaseKey(Key, relative);
  HKEY raw = nullptr;
  LONG r = CanCreate ? RegCreateKeyExW(base, relative.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access_, nullptr,
                                       &raw, nullptr)
                     : RegOpenKeyExW(base, relative.c_str(), 0, access_, &raw);
  if (r != ERROR_SUCCESS) return false;
  WideString path = FullPath(Key);
  currentKey_ = TRegKey(raw);
  currentPath_ = path;
  return true;
}

bool TRegistry::OpenKeyReadOnly(const WideString& Key) {
  for (REGSAM access : {static_cast<REGSAM>(KEY_READ), static_cast<REGSAM>(KEY_QUERY_VALUE)}) {
    access_ = access;
    if (OpenKey(Key, false)) return true;
  }
  return false;
}

bool TRegistry::CreateKey(const WideString& Key) {
  WideString relative;
  HKEY base = BaseKey(Key, relative);
  HKEY raw = nullptr;
  if (RegCreateKeyExW(base, relative.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access_, nullptr, &raw, nullptr) !=
      ERROR_SUCCESS)
    throw ERegistryException(L"Failed to create key " + Key);
  RegCloseKey(raw);
  return true;
}

void TRegistry::CloseKey() {
  currentKey_.Close();
  currentPath_.clear();
}

bool TRegistry::KeyExists(const WideString& Key) {
  WideString relative;
  HKEY base = BaseKey(Key, relative);
  HKEY raw = nullptr;
  if (RegOpenKeyExW(base, relative.c_str(), 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS) return false;
  RegCloseKey(raw);
  return true;
}

bool TRegistry::DeleteKey(const WideString& Key) {
  WideString relative;
  HKEY base = BaseKey(Key, relative);
  if (relative.empty()) return false;  // never the base key itself
  return DeleteKeyTree(base, relative);
}

bool TRegistry::HasSubKeys() {
  DWORD subKeys = 0;
  return RegQueryInfoKeyW(currentKey_.Get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
         subKeys > 0;
}

void TRegistry::GetKeyNames(TStringsW* Strings) {
  EnumerateNames(
      [&](DWORD index, wchar_t* name, DWORD* length) {
        return RegEnumKeyExW(currentKey_.Get(), index, name, length, nullptr, nullptr, nullptr, nullptr);
      },
      Strings);
}

void TRegistry::GetValueNames(TStringsW* Strings) {
  EnumerateNames(
      [&](DWORD index, wchar_t* name, DWORD* length) {
        return RegEnumValueW(currentKey_.Get(), index, name, length, nullptr, nullptr, nullptr, nullptr);
      },
      Strings);
}

// ---------------------------------------------------------------- values

void TRegistry::Fail(const wchar_t* format, const WideString& name) {
  WideString message = format;
  size_t at = message.find(L"%s");
  if (at != WideString::npos) message.replace(at, 2, name);
  throw ERegistryException(message);
}

bool TRegistry::Query(const WideString& Name, DWORD& type, std::vector<uint8_t>& data) {
  DWORD size = 0;
  if (RegQueryValueExW(currentKey_.Get(), Name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
  // The value may grow between the two calls; ask again with the size it has then.
  for (int attempt = 0; attempt < 8; ++attempt) {
    data.resize(size);
    LONG r =
        RegQueryValueExW(currentKey_.Get(), Name.c_str(), nullptr, &type, data.empty() ? nullptr : data.data(), &size);
    if (r == ERROR_SUCCESS) {
      data.resize(size);
      return true;
    }
    if (r != ERROR_MORE_DATA) return false;
  }
  return false;
}

void TRegistry::Put(const WideString& Name, DWORD type, const void* data, DWORD size) {
  if (RegSetValueExW(currentKey_.Get(), Name.c_str(), 0, type, static_cast<const BYTE*>(data), size) != ERROR_SUCCESS)
    Fail(L"Failed to set data for '%s'", Name);
}

bool TRegistry::ValueExists(const WideString& Name) {
  return RegQueryValueExW(currentKey_.Get(), Name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool TRegistry::DeleteValue(const WideString& Name) {
  return RegDeleteValueW(currentKey_.Get(), Name.c_str()) == ERROR_SUCCESS;
}

int TRegistry::GetDataSize(const WideString& Name) {
  DWORD size = 0;
  if (RegQueryValueExW(currentKey_.Get(), Name.c_str(), nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) return -1;
  return static_cast<int>(size);
}

TRegDataType TRegistry::GetDataType(const WideString& Name) {
  DWORD type = REG_NONE;
  if (RegQueryValueExW(currentKey_.Get(), Name.c_str(), nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS)
    return rdUnknown;
  switch (type) {
    case REG_SZ: return rdString;
    case REG_EXPAND_SZ: return rdExpandString;
    case REG_DWORD: return rdInteger;
    case REG_BINARY: return rdBinary;
    default: return rdUnknown;
  }
}

WideString TRegistry::ReadString(const WideString& Name) {
  DWORD type = REG_NONE;
  std::vector<uint8_t> data;
  if (!Query(Name, type, data)) return WideString();
  if (type != REG_SZ && type != REG_EXPAND_SZ) Fail(L"Invalid data type for '%s'", Name);
  // The stored text may or may not end with a zero character; it ends at the first one.
  WideString text(data.size() / sizeof(wchar_t), L'\0');
  if (!text.empty()) memcpy(text.data(), data.data(), text.size() * sizeof(wchar_t));
  size_t end = text.find(L'\0');
  if (end != WideString::npos) text.resize(end);
  return text;
}

void TRegistry::WriteString(const WideString& Name, const WideString& Value) {
  Put(Name, REG_SZ, Value.c_str(), static_cast<DWORD>((Value.size() + 1) * sizeof(wchar_t)));
}

void TRegistry::WriteExpandString(const WideString& Name, const WideString& Value) {
  Put(Name, REG_EXPAND_SZ, Value.c_str(), static_cast<DWORD>((Value.size() + 1) * sizeof(wchar_t)));
}

int TRegistry::ReadInteger(const WideString& Name) {
  DWORD type = REG_NONE;
  std::vector<uint8_t> data;
  if (!Query(Name, type, data)) Fail(L"Failed to get data for '%s'", Name);
  if (type != REG_DWORD || data.size() != sizeof(int32_t)) Fail(L"Invalid data type for '%s'", Name);
  int32_t v = 0;
  memcpy(&v, data.data(), sizeof v);
  return v;
}

void TRegistry::WriteInteger(const WideString& Name, int Value) {
  int32_t v = Value;
  Put(Name, REG_DWORD, &v, sizeof v);
}

bool TRegistry::ReadBool(const WideString& Name) { return ReadInteger(Name) != 0; }
void TRegistry::WriteBool(const WideString& Name, bool Value) { WriteInteger(Name, Value ? 1 : 0); }

std::vector<uint8_t> TRegistry::ReadBinaryData(const WideString& Name) {
  DWORD type = REG_NONE;
  std::vector<uint8_t> data;
  if (!Query(Name, type, data)) Fail(L"Failed to get data for '%s'", Name);
  if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_DWORD) Fail(L"Invalid data type for '%s'", Name);
  return data;
}

int TRegistry::ReadBinaryData(const WideString& Name, void* Buffer, int BufSize) {
  std::vector<uint8_t> data = ReadBinaryData(Name);
  if (BufSize < 0 || data.size() > static_cast<size_t>(BufSize)) Fail(L"Failed to get data for '%s'", Name);
  if (!data.empty()) memcpy(Buffer, data.data(), data.size());
  return static_cast<int>(data.size());
}

void TRegistry::WriteBinaryData(const WideString& Name, const void* Buffer, int BufSize) {
  if (BufSize < 0) Fail(L"Failed to set data for '%s'", Name);
  Put(Name, REG_BINARY, Buffer, static_cast<DWORD>(BufSize));
}
