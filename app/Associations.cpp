// File associations in the registry, their backup and the preferences page's logic.
#include "app/Associations.h"

#include <algorithm>

#include "framework/Win.h"

#include "app/FilePaths.h"
#include "app/Options.h"
#include "app/TextRoutines.h"
#include "framework/CodePages.h"
#include "framework/Exceptions.h"
#include "framework/Registry.h"
#include "framework/StrRoutines.h"

const wchar_t* const AssociationsBackupKey = L"HalcornVerdanAssociations";

namespace {

// The former type name of ".ext" is kept beside the values the backup always held, so that the
// undo gives the extension back to the program that had it.
const wchar_t* const kBackupType = L"Type";

WideString BackupPath(const WideString& Ext) { return WideString(L"\\") + AssociationsBackupKey + L"\\" + Ext; }

// Registry access under HKEY_CLASSES_ROOT that remembers a refused step and goes on.
class TClassesRegistry {
 public:
  TClassesRegistry() { reg_.SetRootKey(HKEY_CLASSES_ROOT); }
  bool Ok() const { return ok_; }

  bool KeyExists(const WideString& Key) { return reg_.KeyExists(Key); }
  bool Open(const WideString& Key, bool CanCreate) {
    if (reg_.OpenKey(L"\\" + Key, CanCreate)) return true;
    if (CanCreate) ok_ = false;
    return false;
  }
  void Close() { reg_.CloseKey(); }
  // The value of an open key, or Default when it is missing or unreadable.
  WideString ReadString(const WideString& Name, const WideString& Default = WideString()) {
    try {
      return reg_.ValueExists(Name) ? reg_.ReadString(Name) : Default;
    } catch (const ERegistryException&) {
      return Default;
    }
  }
  bool ReadBool(const WideString& Name, bool Default) {
    try {
      return reg_.ValueExists(Name) ? reg_.ReadBool(Name) : Default;
    } catch (const ERegistryException&) {
      return Default;
    }
  }
  void WriteString(const WideString& Name, const WideString& Value) {
    try {
      reg_.WriteString(Name, Value);
    } catch (const ERegistryException&) {
      ok_ = false;
    }
  }
  void WriteBool(const WideString& Name, bool Value) {
    try {
      reg_.WriteBool(Name, Value);
    } catch (const ERegistryException&) {
      ok_ = false;
    }
  }
  // Opens or creates the key and sets its default value.
  void SetDefault(const WideString& Key, const WideString& Value) {
    if (Open(Key, true)) WriteString(L"", Value);
    Close();
  }
  void DeleteKey(const WideString& Key) {
    if (reg_.KeyExists(L"\\" + Key) && !reg_.DeleteKey(L"\\" + Key)) ok_ = false;
  }
  std::vector<WideString> SubKeyNames(const WideString& Key) {
    std::vector<WideString> names;
    if (!reg_.OpenKeyReadOnly(L"\\" + Key)) return names;
    TStringListW list;
    reg_.GetKeyNames(&list);
    for (int i = 0; i < list.Count(); ++i) names.push_back(list[i]);
    reg_.CloseKey();
    reg_.SetAccess(KEY_ALL_ACCESS);
    return names;
  }

 private:
  TRegistry reg_;
  bool ok_ = true;
};

void Register(TClassesRegistry& R, const WideString& Ext) {
  const WideString dotKey = L"." + Ext;
  const WideString typeKey = Ext + L"file";
  const bool existed = R.KeyExists(L"\\" + dotKey);
  const bool backedUp = R.KeyExists(BackupPath(Ext));

  WideString oldType;
  if (R.Open(dotKey, true)) {
    oldType = R.ReadString(L"");
    R.WriteString(L"", typeKey);
  }
  R.Close();
  WideString oldCommand;
  if (R.Open(typeKey + L"\\shell\\open\\command", true)) {
    oldCommand = R.ReadString(L"");
    R.WriteString(L"", AssociationCommand());
  }
  R.Close();
  WideString oldIcon;
  if (R.Open(typeKey + L"\\DefaultIcon", true)) {
    oldIcon = R.ReadString(L"");
    if (!existed) R.WriteString(L"", ProgramFileName() + L",0");
  }
  R.Close();
  // A second registration would back up the program's own keys: the first backup stays.
  if (backedUp) return;
  if (R.Open(BackupPath(Ext).substr(1), true)) {
    R.WriteString(L"", oldCommand);
    R.WriteString(L"DefaultIcon", oldIcon);
    R.WriteBool(L"Existed", existed);
    if (existed) R.WriteString(kBackupType, oldType);
  }
  R.Close();
}

void Unregister(TClassesRegistry& R, const WideString& Ext) {
  bool existed = true;
  WideString oldCommand, oldIcon, oldType;
  bool hasType = false;
  if (R.Open(BackupPath(Ext).substr(1), true)) {
    existed = R.ReadBool(L"Existed", true);
    oldCommand = R.ReadString(L"");
    oldIcon = R.ReadString(L"DefaultIcon");
    oldType = R.ReadString(kBackupType, L"\x01");
    hasType = oldType != L"\x01";
  }
  R.Close();
  R.DeleteKey(BackupPath(Ext).substr(1));
  const WideString typeKey = Ext + L"file";
  if (!existed) {
    R.DeleteKey(L"." + Ext);
    R.DeleteKey(typeKey);
    return;
  }
  R.SetDefault(typeKey + L"\\shell\\open\\command", oldCommand);
  R.SetDefault(typeKey + L"\\DefaultIcon", oldIcon);
  if (hasType && oldType != typeKey) R.SetDefault(L"." + Ext, oldType);
}

}  // namespace

WideString AssociationCommand() { return L"\"" + ProgramFileName() + L"\" \"%1\""; }

bool RegisterAssociation(const WideString& Ext, bool Register) {
  TClassesRegistry registry;
  if (Ext.empty()) return true;
  if (Register) {
    ::Register(registry, Ext);
  } else {
    Unregister(registry, Ext);
  }
  return registry.Ok();
}

bool UnregisterAllAssociations() {
  TClassesRegistry registry;
  for (const WideString& ext : registry.SubKeyNames(AssociationsBackupKey)) Unregister(registry, ext);
  return registry.Ok();
}

bool RestoreAssociations() {
  TClassesRegistry registry;
  for (const WideString& ext : registry.SubKeyNames(AssociationsBackupKey)) {
    bool existed = true;
    WideString savedIcon;
    if (registry.Open(BackupPath(ext).substr(1), false)) {
      existed = registry.ReadBool(L"Existed", true);
      savedIcon = registry.ReadString(L"DefaultIcon");
    }
    registry.Close();
    registry.SetDefault(L"." + ext, ext + L"file");
    registry.SetDefault(ext + L"file\\shell\\open\\command", AssociationCommand());
    registry.SetDefault(ext + L"file\\DefaultIcon",
                        !existed && savedIcon.empty() ? ProgramFileName() + L",0" : savedIcon);
  }
  return registry.Ok();
}

void GetAssociatedExtensions(TStringsW* List) {
  TClassesRegistry registry;
  if (!registry.KeyExists(WideString(L"\\") + AssociationsBackupKey)) return;
  List->Clear();
  for (const WideString& ext : registry.SubKeyNames(AssociationsBackupKey)) List->Add(ext);
}

bool IsGroupMember(uint32_t RID) {
  SID_IDENTIFIER_AUTHORITY authority = SECURITY_NT_AUTHORITY;
  PSID sid = nullptr;
  if (!AllocateAndInitializeSid(&authority, 2, SECURITY_BUILTIN_DOMAIN_RID, RID, 0, 0, 0, 0, 0, 0, &sid)) return false;
  bool member = false;
  using TCheckTokenMembership = BOOL(WINAPI*)(HANDLE, PSID, PBOOL);
  auto check = reinterpret_cast<TCheckTokenMembership>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"advapi32.dll"), "CheckTokenMembership")));
  if (check) {
    BOOL is = FALSE;
    member = check(nullptr, sid, &is) && is;
  } else {
    HANDLE token = nullptr;
    if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token) && GetLastError() == ERROR_NO_TOKEN)
      OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    if (token) {
      DWORD size = 0;
      GetTokenInformation(token, TokenGroups, nullptr, 0, &size);
      std::vector<uint8_t> buffer(size);
      if (size > 0 && GetTokenInformation(token, TokenGroups, buffer.data(), size, &size)) {
        const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
        for (DWORD i = 0; i < groups->GroupCount && !member; ++i) {
          const DWORD attributes = groups->Groups[i].Attributes & (SE_GROUP_ENABLED | SE_GROUP_USE_FOR_DENY_ONLY);
          member = EqualSid(groups->Groups[i].Sid, sid) && attributes == SE_GROUP_ENABLED;
        }
      }
      CloseHandle(token);
    }
  }
  FreeSid(sid);
  return member;
}

namespace {

bool systemAdministratorCheck() { return IsGroupMember(DOMAIN_ALIAS_RID_ADMINS); }

TAdministratorCheck administratorCheck = systemAdministratorCheck;

// The extensions without regard to their order, letter case or repetition.
std::vector<WideString> ExtensionSet(std::vector<WideString> Extensions) {
  for (WideString& ext : Extensions) ext = WideLowerCase(ext);
  std::sort(Extensions.begin(), Extensions.end());
  Extensions.erase(std::unique(Extensions.begin(), Extensions.end()), Extensions.end());
  return Extensions;
}

}  // namespace

bool IsAdministrator() { return administratorCheck(); }

TAdministratorCheck SetAdministratorCheck(TAdministratorCheck Check) {
  const TAdministratorCheck previous = administratorCheck;
  administratorCheck = Check ? Check : systemAdministratorCheck;
  return previous;
}

std::vector<WideString> ChosenExtensions(const TAssociationChoice& Choice) {
  std::vector<WideString> words;
  if (Choice.Other && !Choice.OtherText.empty()) {
    TStringList list;
    SplitStringAll(CollapseSpaces(AnsiLowerCase(WideToAnsi(Choice.OtherText))), ' ', &list);
    for (int i = 0; i < list.Count(); ++i) words.push_back(AnsiToWide(list[i]));
  }
  const std::pair<bool, const wchar_t*> fixed[] = {
      {Choice.Txt, L"txt"}, {Choice.Inf, L"inf"}, {Choice.Ini, L"ini"}, {Choice.Log, L"log"}};
  for (const auto& [checked, name] : fixed) {
    if (checked) words.push_back(name);
  }
  std::vector<WideString> extensions;
  for (const WideString& word : words) {
    const AnsiString ext = LettersAndDigits(WideToAnsi(word));
    if (!ext.empty()) extensions.push_back(AnsiToWide(ext));
  }
  return extensions;
}

bool ApplyAssociationChoice(const TAssociationChoice& Choice, TOptions& Options) {
  if (!IsAdministrator()) return true;
  Options.RestoreFileAssociationsAtStartUp = Choice.RestoreAtStartUp;
  TStringListW registered;
  GetAssociatedExtensions(&registered);
  std::vector<WideString> current;
  for (int i = 0; i < registered.Count(); ++i) current.push_back(registered[i]);
  // Undoing and redoing the same ones would only put the registry at risk.
  if (ExtensionSet(ChosenExtensions(Choice)) == ExtensionSet(current)) return true;
  bool ok = UnregisterAllAssociations();
  for (const WideString& ext : ChosenExtensions(Choice)) ok = RegisterAssociation(ext, true) && ok;
  return ok;
}

TAssociationChoice ReadAssociationChoice(const TOptions& Options, const TAssociationChoice& FormChoice) {
  TAssociationChoice choice = FormChoice;
  TStringListW list;
  GetAssociatedExtensions(&list);
  choice.Txt = list.IndexOf(L"txt") >= 0;
  choice.Inf = list.IndexOf(L"inf") >= 0;
  choice.Ini = list.IndexOf(L"ini") >= 0;
  choice.Log = list.IndexOf(L"log") >= 0;
  WideString other;
  for (int i = 0; i < list.Count(); ++i) {
    const WideString ext = WideLowerCase(list[i]);
    if (ext != L"txt" && ext != L"inf" && ext != L"ini" && ext != L"log") other += L" ." + ext;
  }
  other = Trim(other);
  if (!other.empty()) {
    choice.OtherText = other;
    choice.Other = true;
  }
  choice.RestoreAtStartUp = Options.RestoreFileAssociationsAtStartUp;
  return choice;
}
