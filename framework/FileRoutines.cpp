// File names and file-system calls over the wide Windows API.
#include "framework/FileRoutines.h"

#include <atomic>

#include "framework/Exceptions.h"
#include "framework/StrRoutines.h"
#include "framework/Win.h"

// ---------------------------------------------------------------- names

namespace {

template <class C>
bool IsSeparator(C c) {
  return c == C('\\') || c == C('/');
}

template <class C>
bool IsNameDelimiter(C c) {
  return IsSeparator(c) || c == C(':');
}

// 0-based index of the last separator or drive colon, or npos.
template <class S>
size_t LastNameDelimiter(const S& s) {
  for (size_t i = s.size(); i > 0; --i)
    if (IsNameDelimiter(s[i - 1])) return i - 1;
  return S::npos;
}

// 0-based index of the extension's ".", or npos.
template <class S>
size_t ExtensionDot(const S& s) {
  for (size_t i = s.size(); i > 0; --i) {
    auto c = s[i - 1];
    if (c == '.') return i - 1;
    if (IsNameDelimiter(c)) break;
  }
  return S::npos;
}

template <class S>
S PathOf(const S& s) {
  size_t i = LastNameDelimiter(s);
  return i == S::npos ? S() : s.substr(0, i + 1);
}

template <class S>
S NameOf(const S& s) {
  size_t i = LastNameDelimiter(s);
  return i == S::npos ? s : s.substr(i + 1);
}

template <class S>
S ExtOf(const S& s) {
  size_t i = ExtensionDot(s);
  return i == S::npos ? S() : s.substr(i);
}

template <class S>
S WithExt(const S& s, const S& ext) {
  size_t i = ExtensionDot(s);
  return (i == S::npos ? s : s.substr(0, i)) + ext;
}

WideString FullPathName(const WideString& name) {
  DWORD size = MAX_PATH;
  for (int attempt = 0; attempt < 4; ++attempt) {
    WideString buffer(size, L'\0');
    DWORD n = GetFullPathNameW(name.c_str(), size, buffer.data(), nullptr);
    if (n == 0) return name;
    if (n < size) {
      buffer.resize(n);
      return buffer;
    }
    size = n + 1;
  }
  return name;
}

bool HasWildcards(const WideString& s) { return s.find_first_of(L"*?") != WideString::npos; }

// The attributes of a name; INVALID_FILE_ATTRIBUTES when it does not exist. A file held open
// without sharing (a page file) refuses attribute queries but is still listed by a search.
DWORD AttributesOf(const WideString& name) {
  DWORD attr = GetFileAttributesW(name.c_str());
  if (attr != INVALID_FILE_ATTRIBUTES || GetLastError() != ERROR_SHARING_VIOLATION || HasWildcards(name)) return attr;
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW(name.c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return INVALID_FILE_ATTRIBUTES;
  ::FindClose(h);
  return data.dwFileAttributes;
}

bool LastWriteTime(const WideString& name, FILETIME& local) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (HasWildcards(name) || !GetFileAttributesExW(name.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return false;
  return FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) != FALSE;
}

int32_t PackedFileDate(const FILETIME& local) {
  WORD date = 0, time = 0;
  if (!FileTimeToDosDateTime(&local, &date, &time)) return -1;
  return static_cast<int32_t>((static_cast<uint32_t>(date) << 16) | time);
}

TDateTime LocalFileTimeToDateTime(const FILETIME& local) {
  SYSTEMTIME st;
  if (!FileTimeToSystemTime(&local, &st)) return 0;
  // Days since 30 December 1899 from the 100-nanosecond ticks since 1 January 1601.
  ULARGE_INTEGER ticks;
  ticks.LowPart = local.dwLowDateTime;
  ticks.HighPart = local.dwHighDateTime;
  const double ticksPerDay = 864000000000.0;
  const double daysFrom1601To1899 = 109205.0;
  return static_cast<double>(ticks.QuadPart) / ticksPerDay - daysFrom1601To1899;
}

}  // namespace

WideString ExtractFilePath(const WideString& fileName) { return PathOf(fileName); }
WideString ExtractFileName(const WideString& fileName) { return NameOf(fileName); }
WideString ExtractFileExt(const WideString& fileName) { return ExtOf(fileName); }
WideString ChangeFileExt(const WideString& fileName, const WideString& extension) {
  return WithExt(fileName, extension);
}
AnsiString ExtractFilePath(const AnsiString& fileName) { return PathOf(fileName); }
AnsiString ExtractFileName(const AnsiString& fileName) { return NameOf(fileName); }
AnsiString ExtractFileExt(const AnsiString& fileName) { return ExtOf(fileName); }
AnsiString ChangeFileExt(const AnsiString& fileName, const AnsiString& extension) {
  return WithExt(fileName, extension);
}

WideString ExtractFileDir(const WideString& fileName) {
  size_t i = LastNameDelimiter(fileName);
  if (i == WideString::npos) return WideString();
  // "C:\dir\a" gives "C:\dir", but a root keeps its separator: "C:\a" gives "C:\".
  if (i > 0 && IsSeparator(fileName[i]) && !IsNameDelimiter(fileName[i - 1])) return fileName.substr(0, i);
  return fileName.substr(0, i + 1);
}

WideString ExtractFileDrive(const WideString& fileName) {
  if (fileName.size() >= 2 && fileName[1] == L':') return fileName.substr(0, 2);
  if (fileName.size() >= 2 && IsSeparator(fileName[0]) && IsSeparator(fileName[1])) {
    // "\\server\share"
    size_t i = 2;
    int separators = 0;
    for (; i < fileName.size(); ++i)
      if (IsSeparator(fileName[i]) && ++separators == 2) break;
    return fileName.substr(0, i);
  }
  return WideString();
}

bool IsPathDelimiter(const WideString& s, int index) {
  return index >= 1 && static_cast<size_t>(index) <= s.size() && IsSeparator(s[static_cast<size_t>(index) - 1]);
}

WideString IncludeTrailingPathDelimiter(const WideString& path) {
  return !path.empty() && IsSeparator(path.back()) ? path : path + L'\\';
}

WideString ExcludeTrailingPathDelimiter(const WideString& path) {
  return !path.empty() && IsSeparator(path.back()) ? path.substr(0, path.size() - 1) : path;
}

WideString ExpandFileName(const WideString& fileName) {
  return fileName.empty() ? WideString() : FullPathName(fileName);
}

bool SameFileName(const WideString& a, const WideString& b) {
  return a.size() == b.size() && WideUpperCase(a) == WideUpperCase(b);
}

// ---------------------------------------------------------------- tests and changes

bool FileExists(const WideString& fileName) {
  if (fileName.empty() || HasWildcards(fileName)) return false;
  DWORD attr = AttributesOf(fileName);
  return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const WideString& directory) {
  if (directory.empty() || HasWildcards(directory)) return false;
  DWORD attr = AttributesOf(directory);
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

bool ForceDirectories(const WideString& directory) {
  if (directory.empty() || HasWildcards(directory)) return false;
  WideString dir = ExcludeTrailingPathDelimiter(ExpandFileName(directory));
  if (DirectoryExists(dir)) return true;
  WideString parent = ExtractFileDir(dir);
  if (!parent.empty() && parent != dir && !ForceDirectories(parent)) return false;
  return CreateDir(dir) || DirectoryExists(dir);
}

bool CreateDir(const WideString& directory) { return CreateDirectoryW(directory.c_str(), nullptr) != FALSE; }
bool RemoveDir(const WideString& directory) { return RemoveDirectoryW(directory.c_str()) != FALSE; }
bool DeleteFile(const WideString& fileName) { return DeleteFileW(fileName.c_str()) != FALSE; }
bool RenameFile(const WideString& oldName, const WideString& newName) {
  return MoveFileW(oldName.c_str(), newName.c_str()) != FALSE;
}

WideString GetCurrentDir() {
  DWORD n = GetCurrentDirectoryW(0, nullptr);
  if (n == 0) return WideString();
  WideString buffer(n, L'\0');
  n = GetCurrentDirectoryW(n, buffer.data());
  buffer.resize(n < buffer.size() ? n : 0);
  return buffer;
}

bool SetCurrentDir(const WideString& directory) { return SetCurrentDirectoryW(directory.c_str()) != FALSE; }

// ---------------------------------------------------------------- attributes, dates

int FileGetAttr(const WideString& fileName) {
  if (fileName.empty() || HasWildcards(fileName)) return -1;
  DWORD attr = AttributesOf(fileName);
  return attr == INVALID_FILE_ATTRIBUTES ? -1 : static_cast<int>(attr);
}

int FileSetAttr(const WideString& fileName, int attr) {
  return SetFileAttributesW(fileName.c_str(), static_cast<DWORD>(attr)) ? 0 : static_cast<int>(GetLastError());
}

int32_t FileAge(const WideString& fileName) {
  FILETIME local;
  return LastWriteTime(fileName, local) ? PackedFileDate(local) : -1;
}

bool FileAge(const WideString& fileName, TDateTime& dateTime) {
  FILETIME local;
  if (!LastWriteTime(fileName, local)) return false;
  dateTime = LocalFileTimeToDateTime(local);
  return true;
}

int64_t FileSize(const WideString& fileName) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (fileName.empty() || HasWildcards(fileName) ||
      !GetFileAttributesExW(fileName.c_str(), GetFileExInfoStandard, &data))
    return -1;
  return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// ---------------------------------------------------------------- searching a folder

struct TSearchRec::THandleOwner {
  HANDLE Find = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAW Data{};
  THandleOwner() = default;
  THandleOwner(const THandleOwner&) = delete;
  THandleOwner& operator=(const THandleOwner&) = delete;
  ~THandleOwner() {
    if (Find != INVALID_HANDLE_VALUE) ::FindClose(Find);
  }
};

TSearchRec::TSearchRec() = default;
TSearchRec::~TSearchRec() = default;
TSearchRec::TSearchRec(TSearchRec&&) noexcept = default;
TSearchRec& TSearchRec::operator=(TSearchRec&&) noexcept = default;

namespace {

// Steps over entries with excluded attributes and fills the record from the current one.
int TakeMatchingEntry(TSearchRec& rec) {
  WIN32_FIND_DATAW& data = rec.Handle->Data;
  while (data.dwFileAttributes & static_cast<DWORD>(rec.ExcludeAttr))
    if (!FindNextFileW(rec.Handle->Find, &data)) return static_cast<int>(GetLastError());
  FILETIME local;
  FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
  rec.Time = PackedFileDate(local);
  rec.TimeStamp = LocalFileTimeToDateTime(local);
  rec.Size = (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  rec.Attr = static_cast<int>(data.dwFileAttributes);
  rec.Name = data.cFileName;
  return 0;
}

}  // namespace

int FindFirst(const WideString& path, int attr, TSearchRec& rec) {
  FindClose(rec);
  rec.ExcludeAttr = ~attr & (faHidden | faSysFile | faVolumeID | faDirectory);
  auto owner = std::make_unique<TSearchRec::THandleOwner>();
  owner->Find = FindFirstFileW(path.c_str(), &owner->Data);
  if (owner->Find == INVALID_HANDLE_VALUE) return static_cast<int>(GetLastError());
  rec.Handle = std::move(owner);
  int result = TakeMatchingEntry(rec);
  if (result != 0) FindClose(rec);
  return result;
}

int FindNext(TSearchRec& rec) {
  if (!rec.Handle) return ERROR_NO_MORE_FILES;
  if (!FindNextFileW(rec.Handle->Find, &rec.Handle->Data)) return static_cast<int>(GetLastError());
  return TakeMatchingEntry(rec);
}

void FindClose(TSearchRec& rec) { rec.Handle.reset(); }

// ---------------------------------------------------------------- temporary files

WideString GetTempDir() {
  wchar_t buffer[MAX_PATH + 2];
  DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
  if (n == 0 || n > MAX_PATH + 1) return WideString();
  return IncludeTrailingPathDelimiter(WideString(buffer, n));
}

WideString CreateTempFile(const WideString& directory, const WideString& prefix) {
  wchar_t buffer[MAX_PATH];
  if (!GetTempFileNameW(directory.c_str(), prefix.c_str(), 0, buffer)) RaiseLastOSError();
  return buffer;
}

TTempDirectory::TTempDirectory(const WideString& prefix) {
  static std::atomic<unsigned> counter{0};
  WideString base = GetTempDir() + prefix + std::to_wstring(GetCurrentProcessId()) + L"_";
  for (int attempt = 0; attempt < 1000; ++attempt) {
    WideString candidate = base + std::to_wstring(GetTickCount()) + L"_" + std::to_wstring(counter++);
    if (CreateDirectoryW(candidate.c_str(), nullptr)) {
      path_ = candidate + L'\\';
      return;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) RaiseLastOSError();
  }
  RaiseLastOSError(ERROR_ALREADY_EXISTS);
}

TTempDirectory::~TTempDirectory() { DeleteTree(path_); }

bool DeleteTree(const WideString& directory) {
  WideString dir = IncludeTrailingPathDelimiter(directory);
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW((dir + L"*").c_str(), &data);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      WideString name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      WideString full = dir + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesW(full.c_str(), data.dwFileAttributes & ~FILE_ATTRIBUTE_READONLY);
      // A linked folder is removed as a link; what it points at stays.
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        DeleteTree(full);
      else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveDirectoryW(full.c_str());
      else
        DeleteFileW(full.c_str());
    } while (FindNextFileW(h, &data));
    ::FindClose(h);
  }
  RemoveDirectoryW(ExcludeTrailingPathDelimiter(dir).c_str());
  return !DirectoryExists(ExcludeTrailingPathDelimiter(dir));
}
