// TRegistry: reads and writes values of one open registry key at a time. Key paths starting
// with "\" are taken from the root key, others from the open key (or the root when none is
// open). The open key's handle belongs to the object and is closed with it.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/Object.h"
#include "framework/StringLists.h"
#include "framework/Win.h"

HV_ENUM(TRegDataType, rdUnknown, rdString, rdExpandString, rdInteger, rdBinary)

// The one owner of an open registry key.
class TRegKey {
 public:
  TRegKey() = default;
  explicit TRegKey(HKEY key) : key_(key) {}
  ~TRegKey() { Close(); }
  TRegKey(TRegKey&& o) noexcept : key_(o.key_) { o.key_ = nullptr; }
  TRegKey& operator=(TRegKey&& o) noexcept;
  TRegKey(const TRegKey&) = delete;
  TRegKey& operator=(const TRegKey&) = delete;

  // Opens an existing key (RegOpenKeyExW); the owner is empty when that failed.
  static TRegKey Open(HKEY Root, const wchar_t* Path, REGSAM Access);

  HKEY Get() const { return key_; }
  explicit operator bool() const { return key_ != nullptr; }
  void Close();

 private:
  HKEY key_ = nullptr;
};

class TRegistry : public TObject {
  HV_CLASS(TRegistry, TObject)
 public:
  explicit TRegistry(REGSAM Access = KEY_ALL_ACCESS);
  ~TRegistry() override;

  HKEY RootKey() const { return rootKey_; }
  // Closes the open key when the root changes.
  void SetRootKey(HKEY Value);
  REGSAM Access() const { return access_; }
  void SetAccess(REGSAM Value) { access_ = Value; }
  // The open key's handle (null when none is open); it stays the object's.
  HKEY CurrentKey() const { return currentKey_.Get(); }
  // The open key's path below the root, without a leading "\".
  const WideString& CurrentPath() const { return currentPath_; }

  // Opens the key (creating it, and the keys above it, with CanCreate); false when it cannot.
  bool OpenKey(const WideString& Key, bool CanCreate);
  // Opens the key for reading only (Access becomes KEY_READ).
  bool OpenKeyReadOnly(const WideString& Key);
  // Creates the key (or finds it there) without opening it; true, or ERegistryException
  // "Failed to create key %s".
  bool CreateKey(const WideString& Key);
  void CloseKey();
  bool KeyExists(const WideString& Key);
  // Deletes the key with every key below it.
  bool DeleteKey(const WideString& Key);
  bool HasSubKeys();
  void GetKeyNames(TStringsW* Strings);

  // ---- values of the open key ----
  bool ValueExists(const WideString& Name);
  bool DeleteValue(const WideString& Name);
  void GetValueNames(TStringsW* Strings);
  // The size of the data in bytes, or -1 when the value does not exist.
  int GetDataSize(const WideString& Name);
  TRegDataType GetDataType(const WideString& Name);

  // A missing string value reads as "". Values of another type raise ERegistryException
  // "Invalid data type for '%s'"; failures "Failed to get data for '%s'" and
  // "Failed to set data for '%s'".
  WideString ReadString(const WideString& Name);
  void WriteString(const WideString& Name, const WideString& Value);
  void WriteExpandString(const WideString& Name, const WideString& Value);
  int ReadInteger(const WideString& Name);
  void WriteInteger(const WideString& Name, int Value);
  bool ReadBool(const WideString& Name);
  void WriteBool(const WideString& Name, bool Value);
  // Copies up to BufSize bytes and gives their number; raises when the data is larger.
  int ReadBinaryData(const WideString& Name, void* Buffer, int BufSize);
  std::vector<uint8_t> ReadBinaryData(const WideString& Name);
  void WriteBinaryData(const WideString& Name, const void* Buffer, int BufSize);

 private:
  // The key a path starts from, and the path without its leading "\".
  HKEY BaseKey(const WideString& Key, WideString& relative) const;
  WideString FullPath(const WideString& Key) const;
  bool Query(const WideString& Name, DWORD& type, std::vector<uint8_t>& data);
  void Put(const WideString& Name, DWORD type, const void* data, DWORD size);
  [[noreturn]] static void Fail(const wchar_t* format, const WideString& name);

  HKEY rootKey_ = HKEY_CURRENT_USER;
  REGSAM access_;
  TRegKey currentKey_;
  WideString currentPath_;
};
