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
  throw EFileReplaceError(L"Cannot create file \"" + fileName + L"\". " + SysErrorMessage(error), error);
}

[[noreturn]] void RaiseKeptError(const WideString& fileName, DWORD error, const WideString& kept) {
  throw EFileReplaceError(L"Cannot create file \"" + fileName + L"\". " + SysErrorMessage(error) +
                              L" The new contents are kept in \"" + kept + L"\".",
                          error, kept);
}

TFileReplaceCalls systemCalls;
TFileReplaceCalls* currentCalls = &systemCalls;

// The replace went wrong half way: the old file may be gone (the system could not move the new
// one to its name) while the new contents are whole in the temporary file.
bool OldFileMayBeGone(DWORD error, const WideString& target) {
  return error == ERROR_UNABLE_TO_MOVE_REPLACEMENT || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 ||
         GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES;
}

// Reserves a fresh name beside Target (same folder, hence same volume, so that replacing is a
// rename and not a copy). Target is in its long form: the suffix may take it past MAX_PATH.
WideString CreateSiblingFile(const WideString& target, const WideString& shownName) {
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
  RaiseCreateError(shownName, error);
}

// The system's last error, or a general one where a failing step set none.
DWORD LastErrorOr(DWORD fallback) {
  const DWORD error = GetLastError();
  return error ? error : fallback;
}

}  // namespace

bool TFileReplaceCalls::Replace(const WideString& Target, const WideString& Replacement) {
  return ReplaceFileW(Target.c_str(), Replacement.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr);
}

bool TFileReplaceCalls::Move(const WideString& Source, const WideString& Target) {
  return MoveFileExW(Source.c_str(), Target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

TFileReplaceCalls* SetFileReplaceCalls(TFileReplaceCalls* Calls) {
  TFileReplaceCalls* previous = currentCalls == &systemCalls ? nullptr : currentCalls;
  currentCalls = Calls ? Calls : &systemCalls;
  return previous;
}

WideString LongPathForm(const WideString& FullPath) {
  // Names of that length pass the plain form's limit once a suffix is added.
  if (FullPath.size() < MAX_PATH - 40 || FullPath.compare(0, 4, L"\\\\?\\") == 0 ||
      FullPath.compare(0, 4, L"\\\\.\\") == 0)
    return FullPath;
  if (FullPath.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + FullPath.substr(2);
  if (FullPath.size() >= 3 && FullPath[1] == L':' && FullPath[2] == L'\\') return L"\\\\?\\" + FullPath;
  return FullPath;
}

// A full disk or a failing device leaves the old file whole and raises.
void WriteFileReplacing(const WideString& FileName, const std::function<void(TStream& Stream)>& Write) {
  const WideString shown = FullPathOf(FileName);
  const WideString target = LongPathForm(shown);
  const DWORD attributes = GetFileAttributesW(target.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (exists) {
    // The same refusal that opening it for writing would give (read-only file, a program that
    // denies writing), before any work is done.
    TFileHandle probe = TFileHandle::Open(target.c_str(), GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
    if (!probe) RaiseCreateError(shown, GetLastError());
  }
  WideString temp = CreateSiblingFile(target, shown);
  UndoOnFailure(
      [&] {
        TFileStream stream(temp, fmCreate);
        SetLastError(0);
        try {
          Write(stream);
          stream.FlushAndClose();
        } catch (const EWriteError&) {
          // A write the system refused (a full disk): its reason, not the stream's.
          const DWORD error = GetLastError();
          if (!error) throw;
          RaiseCreateError(shown, error);
        } catch (const EOSError& e) {
          RaiseCreateError(shown, e.ErrorCode);
        }
      },
      [&] { DeleteFileW(temp.c_str()); });
  // The system's replace keeps more of the old file (its creation time, its security), but
  // Wine's breaks down, now and then, when either name passes MAX_PATH (the temporary one is the
  // longer): those are moved over the old file instead.
  const bool useReplace = exists && temp.size() < MAX_PATH;
  if (!(useReplace ? currentCalls->Replace(target, temp) : currentCalls->Move(temp, target))) {
    const DWORD error = LastErrorOr(ERROR_WRITE_FAULT);
    // The temporary file goes only while the old file stands as it was: where the replace may
    // have lost it, the new contents are moved to its name, and kept when that fails too.
    if (!useReplace || !OldFileMayBeGone(error, target)) {
      DeleteFileW(temp.c_str());
      RaiseCreateError(shown, error);
    }
    if (!currentCalls->Move(temp, target)) RaiseKeptError(shown, error, shown + temp.substr(target.size()));
  }
  // The file keeps its attributes (hidden, say), as the system's replace does where it can.
  if (exists) SetFileAttributesW(target.c_str(), attributes);
}
