// Writing a file through a sibling that replaces it: the old contents stay when writing fails
// and no temporary file is left either way; memory blocks that give back their tail.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "framework/FileHandle.h"
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
