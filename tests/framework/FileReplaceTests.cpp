// Writing a file through a sibling that replaces it: the old contents stay when writing fails
// and no temporary file is left either way, unless a replace lost the old file, when the new
// contents reach its name or stay in the named temporary file; memory blocks that give back their
// tail.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "framework/FileHandle.h"
#include "framework/CodePages.h"
#include "framework/FileReplace.h"
#include "framework/FileRoutines.h"
#include "framework/PageBlock.h"

namespace {

std::string Contents(const WideString& name) {
  TFileStream stream(name, fmOpenRead);
  std::string bytes(static_cast<size_t>(stream.Size()), '\0');
  if (!bytes.empty()) stream.ReadBuffer(bytes.data(), static_cast<int>(bytes.size()));
  return bytes;
}

void WriteText(const WideString& name, const std::string& text) {
  WriteFileReplacing(name, [&](TStream& s) { s.WriteBuffer(text.data(), static_cast<int>(text.size())); });
}

int FilesIn(TTempDirectory& folder) {
  int count = 0;
  TSearchRec found;
  for (int rc = FindFirst(folder.File(L"*"), faAnyFile, found); rc == 0; rc = FindNext(found))
    if (found.Name != L"." && found.Name != L"..") ++count;
  FindClose(found);
  return count;
}

}  // namespace

TEST(FileReplace, NewAndExistingFilesGetTheWholeContents) {
  TTempDirectory folder;
  WideString name = folder.File(L"doc.txt");
  WriteText(name, "first, the longer one");
  EXPECT_EQ(Contents(name), "first, the longer one");
  WriteText(name, "second");
  EXPECT_EQ(Contents(name), "second");
  EXPECT_EQ(FilesIn(folder), 1);
}

TEST(FileReplace, AFailedWriteLeavesTheOldFileAndNoTemporaryFile) {
  TTempDirectory folder;
  WideString name = folder.File(L"doc.txt");
  WriteText(name, "kept");
  auto failing = [](TStream& s) {
    s.WriteBuffer("par", 3);
    throw EWriteError("Stream write error");
  };
  EXPECT_THROW(WriteFileReplacing(name, failing), EWriteError);
  EXPECT_EQ(Contents(name), "kept");
  EXPECT_EQ(FilesIn(folder), 1);
  // A target that another program holds without letting others write is refused before
  // anything is written.
  {
    TFileHandle held = TFileHandle::Open(name.c_str(), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_TRUE(held);
    bool written = false;
    EXPECT_THROW(WriteFileReplacing(name, [&](TStream&) { written = true; }), EFCreateError);
    EXPECT_FALSE(written);
  }
  EXPECT_EQ(Contents(name), "kept");
  EXPECT_THROW(WriteText(folder.File(L"missing\\doc.txt"), "x"), EFCreateError);
  EXPECT_EQ(FilesIn(folder), 1);
}

// Names that a suffix would take past MAX_PATH go in the long form, UNC names too; shorter names
// and names already in a long or device form stay as they are.
TEST(FileReplace, LongPathForms) {
  const WideString deep = L"C:\\" + WideString(230, L'd') + L"\\f.txt";
  const WideString share = L"\\\\server\\share\\" + WideString(230, L'd');
  const struct {
    WideString in, out;
  } cases[] = {{L"C:\\a.txt", L"C:\\a.txt"},
               {L"C:\\" + WideString(215, L'x'), L"C:\\" + WideString(215, L'x')},
               {L"C:\\" + WideString(217, L'x'), L"\\\\?\\C:\\" + WideString(217, L'x')},
               {deep, L"\\\\?\\" + deep},
               {share, L"\\\\?\\UNC\\server\\share\\" + WideString(230, L'd')},
               {L"\\\\?\\" + deep, L"\\\\?\\" + deep},
               {L"\\\\?\\UNC\\" + share.substr(2), L"\\\\?\\UNC\\" + share.substr(2)},
               {L"\\\\.\\" + WideString(230, L'p'), L"\\\\.\\" + WideString(230, L'p')},
               {WideString(240, L'r'), WideString(240, L'r')}};
  for (const auto& c : cases) EXPECT_EQ(LongPathForm(c.in), c.out) << WideToUtf8(c.in);
}

// A file whose full name is near or past the plain form's limit is written, written over and
// leaves no temporary file, at every length from 240 to 270.
TEST(FileReplace, NamesNearThePathLimitAreSaved) {
  TTempDirectory folder;
  const WideString base = folder.File(L"");
  ASSERT_LT(base.size(), 150u);
  for (size_t length = 240; length <= 270; ++length) {
    SCOPED_TRACE(length);
    // A folder whose name makes the file's full name exactly that long ("\\f.txt" after it).
    const WideString sub = base + WideString(length - base.size() - 6, L's');
    const WideString name = sub + L"\\f.txt";
    ASSERT_EQ(name.size(), length);
    const WideString longSub = L"\\\\?\\" + sub;
    ASSERT_TRUE(CreateDirectoryW(longSub.c_str(), nullptr));
    EXPECT_NO_THROW(WriteText(name, "first"));
    EXPECT_NO_THROW(WriteText(name, "second, longer"));
    EXPECT_EQ(Contents(L"\\\\?\\" + name), "second, longer");
    int files = 0;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((longSub + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do files += found.cFileName[0] != L'.';
      while (FindNextFileW(search, &found));
      FindClose(search);
    }
    EXPECT_EQ(files, 1) << "no temporary file is left";
    DeleteFileW((L"\\\\?\\" + name).c_str());
    RemoveDirectoryW(longSub.c_str());
  }
}

// A refused write raises with the system's code and its text, naming the file as given.
TEST(FileReplace, RefusalsCarryTheSystemsCode) {
  TTempDirectory folder;
  const WideString ro = folder.File(L"ro.txt");
  WriteText(ro, "ro");
  SetFileAttributesW(ro.c_str(), FILE_ATTRIBUTE_READONLY);
  const struct {
    WideString name;
    DWORD setByWrite;  // the code a failing write leaves, 0: the write succeeds
    DWORD code;
  } cases[] = {{folder.File(L"gone\\a.txt"), 0, ERROR_PATH_NOT_FOUND},
               {ro, 0, ERROR_ACCESS_DENIED},
               {folder.File(L"full.txt"), ERROR_DISK_FULL, ERROR_DISK_FULL},
               {folder.File(L"fault.txt"), ERROR_WRITE_FAULT, ERROR_WRITE_FAULT}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    try {
      WriteFileReplacing(c.name, [&](TStream& s) {
        s.WriteBuffer("x", 1);
        if (!c.setByWrite) return;
        SetLastError(c.setByWrite);
        throw EWriteError("Stream write error");
      });
      ADD_FAILURE() << "no error";
    } catch (const EFileReplaceError& e) {
      EXPECT_EQ(e.ErrorCode, c.code);
      EXPECT_EQ(e.Message(), L"Cannot create file \"" + c.name + L"\". " + SysErrorMessage(c.code));
    }
  }
  SetFileAttributesW(ro.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(Contents(ro), "ro");
  EXPECT_EQ(FilesIn(folder), 1);
}

namespace {

// The system's calls failing as a test tells them: the replace, after doing to the old file what
// the system may have done when it answers that code, and the move that follows it.
struct TFailingCalls : TFileReplaceCalls {
  DWORD ReplaceError = 0;
  bool OldFileGone = false;  // the replace took the old file away (to its own name with 1177)
  DWORD MoveError = 0;       // 0: the move works
  int Moves = 0;
  bool Replace(const WideString& Target, const WideString& Replacement) override {
    if (!ReplaceError) return TFileReplaceCalls::Replace(Target, Replacement);
    if (OldFileGone && ReplaceError == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2)
      MoveFileW(Target.c_str(), (Target + L"~replaced").c_str());
    else if (OldFileGone)
      DeleteFileW(Target.c_str());
    SetLastError(ReplaceError);
    return false;
  }
  bool Move(const WideString& Source, const WideString& Target) override {
    ++Moves;
    if (!MoveError) return TFileReplaceCalls::Move(Source, Target);
    SetLastError(MoveError);
    return false;
  }
};

// Puts the calls in place for the lifetime of the object.
class TCallsInPlace {
 public:
  explicit TCallsInPlace(TFileReplaceCalls* Calls) : previous_(SetFileReplaceCalls(Calls)) {}
  ~TCallsInPlace() { SetFileReplaceCalls(previous_); }

 private:
  TFileReplaceCalls* previous_;
};

// The names of the files of a folder but the one given, sorted.
std::vector<WideString> OtherFiles(TTempDirectory& folder, const WideString& but) {
  std::vector<WideString> names;
  TSearchRec found;
  for (int rc = FindFirst(folder.File(L"*"), faAnyFile, found); rc == 0; rc = FindNext(found))
    if (found.Name != L"." && found.Name != L".." && found.Name != but) names.push_back(found.Name);
  FindClose(found);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

// When the system's replace fails half way, losing the old file, the new contents are moved to
// its name; when that fails too, they stay in the temporary file, which the error names. The
// temporary file goes only where the old file stands whole or the new one took its name.
TEST(FileReplace, AReplaceThatLostTheOldFileLeavesTheNewContents) {
  const DWORD moved = ERROR_UNABLE_TO_MOVE_REPLACEMENT, moved2 = ERROR_UNABLE_TO_MOVE_REPLACEMENT_2;
  const DWORD denied = ERROR_ACCESS_DENIED, notRemoved = ERROR_UNABLE_TO_REMOVE_REPLACED;
  const struct {
    DWORD replaceError;
    bool oldFileGone;
    DWORD moveError;
    const char* target;  // what the target holds afterwards; nullptr: it is gone
    bool kept;           // the new contents stay in the temporary file, which the error names
    bool raises;
  } cases[] = {
      {moved, true, denied, nullptr, true, true},
      {moved2, true, denied, nullptr, true, true},
      {moved, true, 0, "new", false, false},
      {moved2, true, 0, "new", false, false},
      // Wine's replace answers the code with the old file still in place.
      {moved, false, denied, "old", true, true},
      {moved, false, 0, "new", false, false},
      // Any other failure that took the old file away.
      {ERROR_SHARING_VIOLATION, true, denied, nullptr, true, true},
      {ERROR_SHARING_VIOLATION, true, 0, "new", false, false},
      // The old file stands as it was: nothing is moved, the temporary file goes.
      {notRemoved, false, 0, "old", false, true},
      {denied, false, 0, "old", false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.replaceError) + (c.oldFileGone ? " old file gone" : "") + " move " +
                 std::to_string(c.moveError));
    TTempDirectory folder;
    const WideString name = folder.File(L"doc.txt");
    WriteText(name, "old");
    TFailingCalls calls;
    calls.ReplaceError = c.replaceError;
    calls.OldFileGone = c.oldFileGone;
    calls.MoveError = c.moveError;
    TCallsInPlace inPlace(&calls);
    WideString kept;
    try {
      WriteText(name, "new");
      EXPECT_FALSE(c.raises) << "no error";
    } catch (const EFileReplaceError& e) {
      EXPECT_TRUE(c.raises) << WideToUtf8(e.Message());
      EXPECT_EQ(e.ErrorCode, c.replaceError);
      kept = e.KeptFile;
      const WideString said = L"Cannot create file \"" + name + L"\". " + SysErrorMessage(c.replaceError);
      EXPECT_EQ(e.Message(), c.kept ? said + L" The new contents are kept in \"" + kept + L"\"." : said);
    }
    EXPECT_EQ(calls.Moves, c.oldFileGone || c.replaceError == moved ? 1 : 0);
    if (c.target)
      EXPECT_EQ(Contents(name), c.target);
    else
      EXPECT_EQ(GetFileAttributesW(name.c_str()), INVALID_FILE_ATTRIBUTES);
    std::vector<WideString> others = OtherFiles(folder, L"doc.txt");
    if (c.oldFileGone && c.replaceError == moved2) {
      // The system's replace left the old file under another name.
      ASSERT_FALSE(others.empty());
      EXPECT_EQ(others.back(), L"doc.txt~replaced");
      others.pop_back();
    }
    if (c.kept) {
      ASSERT_EQ(others.size(), 1u);
      EXPECT_EQ(kept, folder.File(others[0]));
      EXPECT_TRUE(others[0].starts_with(L"doc.txt.") && others[0].ends_with(L".tmp")) << WideToUtf8(others[0]);
      EXPECT_EQ(Contents(kept), "new");
    } else {
      EXPECT_EQ(kept, L"");
      EXPECT_TRUE(others.empty()) << "no temporary file is left";
    }
  }
}

// A new file whose move to its name fails leaves nothing behind: there was no old file to lose.
TEST(FileReplace, ANewFileThatCannotTakeItsNameLeavesNothing) {
  TTempDirectory folder;
  const WideString name = folder.File(L"new.txt");
  TFailingCalls calls;
  calls.MoveError = ERROR_ACCESS_DENIED;
  TCallsInPlace inPlace(&calls);
  try {
    WriteText(name, "new");
    ADD_FAILURE() << "no error";
  } catch (const EFileReplaceError& e) {
    EXPECT_EQ(e.ErrorCode, static_cast<unsigned long>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(e.KeptFile, L"");
  }
  EXPECT_EQ(calls.Moves, 1);
  EXPECT_EQ(FilesIn(folder), 0);
}

TEST(PageBlock, TheTailGoesBackToTheSystemAndTheRestStays) {
  TPageBlock block(1 << 20);
  std::memset(block.Bytes(), 'x', block.Size());
  block.ReleaseTail(5000);
  EXPECT_EQ(block.Bytes()[4999], 'x');
  MEMORY_BASIC_INFORMATION kept{}, released{};
  VirtualQuery(block.Bytes() + 4096, &kept, sizeof kept);
  VirtualQuery(block.Bytes() + 8192, &released, sizeof released);
  EXPECT_EQ(kept.State, static_cast<DWORD>(MEM_COMMIT));
  EXPECT_EQ(released.State, static_cast<DWORD>(MEM_RESERVE));
}
