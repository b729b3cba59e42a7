// System errors, ANSI byte tables, string and path helpers, special folders.
#include "foundation/SysRoutines.h"

#include <algorithm>
#include <cstdio>

#include "framework/CodePages.h"
#include "framework/StringLists.h"
#include "framework/UpdateBracket.h"
#include "framework/Win.h"

#include <shlobj.h>

// ---- errors ----

namespace {

WideString Win32ErrorText(const WideString& text, uint32_t code, const WideString& systemText) {
  return text + L"\r\nWin32: " + systemText + L" (" + std::to_wstring(code) + L")";
}

}  // namespace

ESysWin32Error::ESysWin32Error(const WideString& Text) : ESysWin32Error(Text, GetLastError()) {}

ESysWin32Error::ESysWin32Error(const WideString& Text, uint32_t ALastError)
    : ESysError(Text), lastError_(ALastError), lastErrorMsg_(SysErrorMessage(ALastError)) {
  SetMessage(Win32ErrorText(Text, lastError_, lastErrorMsg_));
}

// ---- tables ----

namespace {

struct CharTables {
  uint16_t type[256];
  unsigned char lower[256];
  unsigned char upper[256];
  unsigned char reverse[256];

  CharTables() {
    char bytes[256];
    for (int i = 0; i < 256; ++i) bytes[i] = static_cast<char>(i);
    WORD types[256] = {};
    if (!GetStringTypeExA(LOCALE_USER_DEFAULT, CT_CTYPE1, bytes, 256, types))
      std::fill(std::begin(types), std::end(types), WORD(0));
    for (int i = 0; i < 256; ++i) type[i] = types[i];

    char buf[256];
    std::copy(std::begin(bytes), std::end(bytes), buf);
    CharLowerBuffA(buf, 256);
    for (int i = 0; i < 256; ++i) lower[i] = static_cast<unsigned char>(buf[i]);
    std::copy(std::begin(bytes), std::end(bytes), buf);
    CharUpperBuffA(buf, 256);
    for (int i = 0; i < 256; ++i) upper[i] = static_cast<unsigned char>(buf[i]);
    for (int i = 0; i < 256; ++i) {
      if (type[i] & C1_UPPER)
        reverse[i] = lower[i];
      else if (type[i] & C1_LOWER)
        reverse[i] = upper[i];
      else
        reverse[i] = static_cast<unsigned char>(i);
    }
  }
};

const CharTables& Tables() {
  static const CharTables t;
  return t;
}

unsigned char U(char c) { return static_cast<unsigned char>(c); }

}  // namespace

bool CharIsAlpha(char Ch) { return (Tables().type[U(Ch)] & C1_ALPHA) != 0; }
bool CharIsDigit(char Ch) { return (Tables().type[U(Ch)] & C1_DIGIT) != 0; }
bool CharIsLower(char Ch) { return (Tables().type[U(Ch)] & C1_LOWER) != 0; }
bool CharIsUpper(char Ch) { return (Tables().type[U(Ch)] & C1_UPPER) != 0; }
char CharToUpper(char Ch) { return static_cast<char>(Tables().upper[U(Ch)]); }
char CharToLower(char Ch) { return static_cast<char>(Tables().lower[U(Ch)]); }
char CharReverseCase(char Ch) { return static_cast<char>(Tables().reverse[U(Ch)]); }

// ---- strings ----

int StrCharCount(std::string_view S, char Ch) { return static_cast<int>(std::count(S.begin(), S.end(), Ch)); }

int StrSwapChar(AnsiString& S, char Old, char New) {
  if (Old == New) return 0;
  int n = 0;
  for (char& c : S)
    if (c == Old) {
      c = New;
      ++n;
    }
  return n;
}

AnsiString StrFirst(std::string_view S, int Count) {
  if (Count <= 0) return AnsiString();
  return AnsiString(S.substr(0, static_cast<size_t>(Count)));
}

AnsiString StrFrom(std::string_view S, int Index) {
  if (Index < 1) Index = 1;
  if (static_cast<size_t>(Index) > S.size()) return AnsiString();
  return AnsiString(S.substr(static_cast<size_t>(Index - 1)));
}

AnsiString StrAppendIfMissing(std::string_view Suffix, std::string_view Text) {
  if (Text.size() >= Suffix.size() && Text.substr(Text.size() - Suffix.size()) == Suffix) return AnsiString(Text);
  return AnsiString(Text) + AnsiString(Suffix);
}

void StrReplaceText(AnsiString& S, std::string_view Search, std::string_view Replace, unsigned Flags) {
  if (Search.empty()) {
    if (!S.empty()) throw ESysError("Search string cannot be blank");
    S = AnsiString(Replace);
    return;
  }
  const bool all = (Flags & srReplaceAllFlag) != 0;
  const bool noCase = (Flags & srIgnoreCaseFlag) != 0;
  auto same = [noCase](char a, char b) { return noCase ? CharToUpper(a) == CharToUpper(b) : a == b; };
  AnsiString result;
  result.reserve(S.size());
  size_t i = 0;
  while (i < S.size()) {
    bool match = S.size() - i >= Search.size();
    for (size_t k = 0; match && k < Search.size(); ++k) match = same(S[i + k], Search[k]);
    if (!match) {
      result += S[i++];
      continue;
    }
    result.append(Replace);
    i += Search.size();
    if (!all) break;
  }
  result.append(S, i, AnsiString::npos);
  S = std::move(result);
}

int StrFindNoCase(std::string_view SubStr, std::string_view S, int Index) {
  if (SubStr.empty() || S.empty() || Index < 1) return 0;
  const CharTables& t = Tables();
  auto same = [&t](char textChar, char subChar) {
    return t.lower[U(textChar)] == t.lower[U(subChar)] || U(textChar) == t.reverse[U(subChar)];
  };
  for (size_t i = static_cast<size_t>(Index - 1); i + SubStr.size() <= S.size(); ++i) {
    size_t k = 0;
    while (k < SubStr.size() && same(S[i + k], SubStr[k])) ++k;
    if (k == SubStr.size()) return static_cast<int>(i + 1);
  }
  return 0;
}

std::vector<AnsiString> StrSplit(std::string_view S, std::string_view Separator, bool AllowEmpty) {
  std::vector<AnsiString> pieces;
  if (Separator.empty()) {
    if (!S.empty()) pieces.emplace_back(S);
    return pieces;
  }
  size_t start = 0;
  for (;;) {
    size_t at = S.find(Separator, start);
    if (at == std::string_view::npos) break;
    if (AllowEmpty || at > start) pieces.emplace_back(S.substr(start, at - start));
    start = at + Separator.size();
  }
  if (start < S.size()) pieces.emplace_back(S.substr(start));
  return pieces;
}

void StrSplitToList(std::string_view S, std::string_view Separator, TStrings& List, bool AllowEmpty) {
  std::vector<AnsiString> pieces = StrSplit(S, Separator, AllowEmpty);
  WithinUpdate(List, [&] {
    List.Clear();
    for (const AnsiString& p : pieces) List.Add(p);
  });
}

int PCharLength(const char* P) {
  if (!P) return 0;
  int n = 0;
  while (P[n]) ++n;
  return n;
}

void StrTrimToZero(AnsiString& S) {
  size_t z = S.find('\0');
  if (z != AnsiString::npos) S.resize(z);
}

void CharSetAdd(TSysCharSet& Set, char Ch) { Set.Include(U(Ch)); }
bool CharSetHas(const TSysCharSet& Set, char Ch) { return Set.Contains(U(Ch)); }

TSysCharSet CharSetOf(std::string_view Chars) {
  TSysCharSet s;
  for (char c : Chars) CharSetAdd(s, c);
  return s;
}

void MoveStrChars(std::string_view Source, int FromIndex, AnsiString& Dest, int ToIndex, int Count) {
  if (Count <= 0 || FromIndex < 1 || ToIndex < 1) return;
  size_t from = static_cast<size_t>(FromIndex - 1), to = static_cast<size_t>(ToIndex - 1);
  if (from >= Source.size() || to >= Dest.size()) return;
  size_t n = std::min({static_cast<size_t>(Count), Source.size() - from, Dest.size() - to});
  std::copy_n(Source.data() + from, n, Dest.begin() + static_cast<std::ptrdiff_t>(to));
}

AnsiString GuidToText(const _GUID& Guid) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "{%.8lx-%.4x-%.4x-%.2x%.2x-%.2x%.2x%.2x%.2x%.2x%.2x}",
                static_cast<unsigned long>(Guid.Data1), Guid.Data2, Guid.Data3, Guid.Data4[0], Guid.Data4[1],
                Guid.Data4[2], Guid.Data4[3], Guid.Data4[4], Guid.Data4[5], Guid.Data4[6], Guid.Data4[7]);
  return buf;
}

void SplitInt64(int64_t Value, uint32_t& Low, uint32_t& High) {
  uint64_t u = static_cast<uint64_t>(Value);
  Low = static_cast<uint32_t>(u & 0xFFFFFFFFu);
  High = static_cast<uint32_t>(u >> 32);
}

// ---- paths ----

AnsiString PathWithDelimiter(std::string_view Path) {
  AnsiString r(Path);
  if (r.empty() || r.back() != '\\') r += '\\';
  return r;
}

AnsiString PathWithoutDelimiter(std::string_view Path) {
  AnsiString r(Path);
  if (!r.empty() && r.back() == '\\') r.pop_back();
  return r;
}

namespace {

bool HasExtension(std::string_view path) {
  size_t dot = path.find_last_of(".\\:");
  return dot != std::string_view::npos && path[dot] == '.';
}

bool IsMachineChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_';
}

bool IsShareChar(char c) {
  static const std::string_view forbidden = "\"'*+,/:;<=>?[]|";
  return forbidden.find(c) == std::string_view::npos;
}

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

AnsiString WideToPath(const WideString& w) { return WideToAnsi(w); }

}  // namespace

AnsiString PathWithExtension(std::string_view Path, std::string_view Extension) {
  if (Path.empty() || Extension.empty() || HasExtension(Path)) return AnsiString(Path);
  if (Extension.front() == '.') return AnsiString(Path) + AnsiString(Extension);
  return AnsiString(Path) + "." + AnsiString(Extension);
}

bool PathIsUNC(std::string_view Path) {
  if (Path.size() < 2 || Path[0] != '\\' || Path[1] != '\\') return false;
  size_t i = 2;
  bool nonDigit = false;
  while (i < Path.size() && IsMachineChar(Path[i])) {
    if (Path[i] < '0' || Path[i] > '9') nonDigit = true;
    ++i;
  }
  if (i == 2 || !nonDigit || i >= Path.size() || Path[i] != '\\') return false;
  size_t shareStart = ++i;
  while (i < Path.size() && Path[i] != '\\') {
    if (!IsShareChar(Path[i])) return false;
    ++i;
  }
  return i > shareStart;
}

bool PathIsAbsolute(std::string_view Path) {
  if (Path.empty()) return false;
  if (PathIsUNC(Path)) return true;
  if (Path.substr(0, 4) == "\\\\.\\") Path.remove_prefix(4);
  return Path.size() >= 3 && IsAsciiLetter(Path[0]) && Path[1] == ':' && Path[2] == '\\';
}

bool FileExistsNotDir(std::string_view Name) {
  if (Name.empty()) return false;
  DWORD attr = GetFileAttributesW(AnsiToWide(AnsiString(Name)).c_str());
  return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

WideString ModuleFileNameW(void* Module) {
  wchar_t buf[MAX_PATH + 1] = {};
  DWORD n = GetModuleFileNameW(static_cast<HMODULE>(Module), buf, MAX_PATH + 1);
  return WideString(buf, std::min<DWORD>(n, MAX_PATH + 1));
}

AnsiString ModuleFileName(void* Module) { return WideToPath(ModuleFileNameW(Module)); }

WideString WindowsDirectoryW() {
  wchar_t buf[MAX_PATH + 1] = {};
  UINT n = GetWindowsDirectoryW(buf, MAX_PATH + 1);
  return n && n <= MAX_PATH ? WideString(buf, n) : WideString();
}

AnsiString WindowsDirectory() { return WideToPath(WindowsDirectoryW()); }

WideString TempDirectoryW() {
  wchar_t buf[MAX_PATH + 2] = {};
  DWORD n = GetTempPathW(MAX_PATH + 2, buf);
  if (n == 0 || n > MAX_PATH + 1) return WideString();
  WideString path(buf, n);
  if (!path.empty() && path.back() == L'\\') path.pop_back();
  return path;
}

AnsiString TempDirectory() { return WideToPath(TempDirectoryW()); }

WideString SpecialFolderPathW(int FolderId) {
  LPITEMIDLIST list = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, FolderId, &list)) || !list) return WideString();
  wchar_t buf[MAX_PATH + 1] = {};
  BOOL ok = SHGetPathFromIDListW(list, buf);
  CoTaskMemFree(list);
  return ok ? WideString(buf) : WideString();
}

AnsiString SpecialFolderPath(int FolderId) { return WideToPath(SpecialFolderPathW(FolderId)); }

WideString GetAppdataFolderW() { return SpecialFolderPathW(CSIDL_APPDATA); }

AnsiString GetAppdataFolder() { return SpecialFolderPath(CSIDL_APPDATA); }

// ---- system figures ----

namespace {

const SYSTEM_INFO& SystemInfo() {
  static const SYSTEM_INFO info = [] {
    SYSTEM_INFO i{};
    GetSystemInfo(&i);
    return i;
  }();
  return info;
}

}  // namespace

int SysProcessorCount() { return static_cast<int>(SystemInfo().dwNumberOfProcessors); }
uint32_t SysAllocationGranularity() { return SystemInfo().dwAllocationGranularity; }
