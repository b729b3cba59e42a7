// Writing a file through a sibling file that replaces it.
#include "framework/FileReplace.h"

#include <cwchar>

#include "framework/Exceptions.h"
#include "framework/FileHandle.h"
#include "framework/ScopeGuards.h"

namespace {

WideString FullPathOf(const WideString& name) {
  DWORD n = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
  if (n == 0) return name;
  WideString path(n, L'\0');
  n = GetFullPathNameW(name.c_str(), n, path.data(), nullptr);
  path.resize(n);
  return path;
}

[[noreturn]] void RaiseCreateError(const WideString& fileName, DWORD error) {
  throw EFCreateError(L"Cannot create file \"" + fileName + L"\". " + SysErrorMessage(error));
}

// Reserves a fresh name beside Target (same folder, hence same volume, so that replacing is a
// rename and not a copy).
WideString CreateSiblingFile(const WideString& target) {
  static unsigned counter = 0;
  DWORD error = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    wchar_t suffix[40];
    std::swprintf(suffix, 40, L".%08lx%04x.tmp", static_cast<unsigned long>(GetCurrentProcessId()), ++counter & 0xFFFF);
    WideString name = target + suffix;
    if (TFileHandle::Open(name.c_str(), GENERIC_WRITE, 0, CREATE_NEW)) return name;
    error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
  }
  RaiseCreateError(target, error);
}

}  // namespace

// A full disk or a failing device leaves the old file whole and raises.
void WriteFileReplacing(const WideString& FileName, const std::function<void(TStream& Stream)>& Write) {
  WideString target = FullPathOf(FileName);
  const DWORD attributes = GetFileAttributesW(target.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (exists) {
    // The same refusal that opening it for writing would give (read-only file, a program that
    // denies writing), before any work is done.
    TFileHandle probe = TFileHandle::Open(target.c_str(), GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
    if (!probe) RaiseCreateError(target, GetLastError());
  }
  WideString temp = CreateSiblingFile(target);
  UndoOnFailure(
      [&] {
        TFileStream stream(temp, fmCreate);
        Write(stream);
        stream.FlushAndClose();
      },
      [&] { DeleteFileW(temp.c_str()); });
  BOOL replaced =
      exists ? ReplaceFileW(target.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
             : MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!replaced) {
    DWORD error = GetLastError();
    DeleteFileW(temp.c_str());
    RaiseCreateError(target, error);
  }
  // The file keeps its attributes (hidden, say), as the system's replace does where it can.
  if (exists) SetFileAttributesW(target.c_str(), attributes);
}
