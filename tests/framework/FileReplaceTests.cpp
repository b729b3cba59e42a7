// Writing a file through a sibling that replaces it: the old contents stay when writing fails
// and no temporary file is left either way; memory blocks that give back their tail.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

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
