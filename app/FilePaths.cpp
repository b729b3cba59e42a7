// The application's files and paths.
#include "app/FilePaths.h"

#include "framework/Win.h"

#include "app/ProductIdentity.h"
#include "foundation/SysRoutines.h"
#include "framework/CodePages.h"
#include "framework/FileRoutines.h"
#include "framework/Streams.h"

namespace {

// Keeps the system's critical-error boxes away for the life of the object.
class TQuietErrorMode {
 public:
  explicit TQuietErrorMode(UINT Mode) : previous_(SetErrorMode(Mode)) {}
  ~TQuietErrorMode() { SetErrorMode(previous_); }
  TQuietErrorMode(const TQuietErrorMode&) = delete;
  TQuietErrorMode& operator=(const TQuietErrorMode&) = delete;

 private:
  UINT previous_;
};

}  // namespace

WideString ProgramFileName() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n < buffer.size()) return buffer.substr(0, n);
    buffer.resize(buffer.size() * 2);  // a long path: ask again with room for it
  }
}

WideString AppPath(const WideString& Name) { return ExtractFilePath(ProgramFileName()) + Name; }

WideString GetDataFolder() {
  const WideString portable = AppPath(L"Data\\");
  if (DirectoryExistsQuiet(portable)) return portable;
  return IncludeTrailingPathDelimiter(GetAppdataFolderW()) + WideString(ProductName) + L"\\";
}

WideString DataPath(const WideString& Name) { return GetDataFolder() + Name; }

bool FileExistsQuiet(const WideString& FileName) {
  TQuietErrorMode quiet(SEM_FAILCRITICALERRORS);
  return FileExists(FileName);
}

bool DirectoryExistsQuiet(const WideString& Path) {
  TQuietErrorMode quiet(SEM_FAILCRITICALERRORS);
  return DirectoryExists(Path);
}

bool CanEnterFolder(const WideString& Path) {
  TQuietErrorMode quiet(SEM_NOOPENFILEERRORBOX);
  const WideString current = GetCurrentDir();
  const bool entered = !Path.empty() && SetCurrentDir(Path);
  SetCurrentDir(current);
  return entered;
}

WideString ExpandPath(const WideString& FileName) {
  TQuietErrorMode quiet(SEM_FAILCRITICALERRORS);
  return ExpandFileName(LongPathName(FileName));
}

WideString LongPathName(const WideString& Path) {
  if (Path.empty() || GetFileAttributesW(Path.c_str()) == INVALID_FILE_ATTRIBUTES) return Path;
  const WideString folder = ExtractFilePath(Path);
  const WideString rest = Path.substr(1);
  if (folder.empty() || rest == L":" || rest == L"\\") return Path;
  const WideString name = ExtractFileName(Path);
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileW((folder + L"*.*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return Path;
  WideString result = Path;
  do {
    if (name == data.cFileName || name == data.cAlternateFileName) {
      result = LongPathName(ExcludeTrailingPathDelimiter(folder)) + L"\\" + data.cFileName;
      break;
    }
  } while (FindNextFileW(search, &data));
  FindClose(search);
  return result;
}

bool IsFileBlocked(const WideString& FileName, int Mode) {
  uint16_t mode = fmOpenRead | fmShareDenyNone;
  if (Mode == 1) mode = fmOpenReadWrite | fmShareDenyNone;
  if (Mode == 2) mode = fmOpenReadWrite | fmShareExclusive;
  try {
    TFileStream stream(FileName, mode);
    return false;
  } catch (...) {
    return true;
  }
}

AnsiString ReadFileLine(const WideString& FileName, int N) {
  TFileStream stream(FileName, fmOpenRead | fmShareDenyNone);
  AnsiString line;
  if (N < 1) return line;
  int breaksToSkip = N - 1;
  char block[4096];
  for (;;) {
    const int32_t got = stream.Read(block, sizeof block);
    if (got <= 0) break;
    for (int32_t i = 0; i < got; ++i) {
      if (breaksToSkip > 0) {
        if (block[i] == '\n') --breaksToSkip;
      } else if (block[i] == '\n') {
        return line;
      } else {
        line += block[i];
      }
    }
  }
  return breaksToSkip > 0 ? AnsiString() : line;
}
