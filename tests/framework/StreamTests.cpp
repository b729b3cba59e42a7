// Streams: short transfers, seeks past the end, size changes, file modes and sharing, file
// errors with their class and text, memory views, string and resource streams.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "TestFiles.h"
#include "framework/CodePages.h"
#include "framework/Streams.h"
#include "tests/framework/Raised.h"

namespace {

std::string Bytes(TCustomMemoryStream& s) {
  return std::string(static_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
}

// A writable view over a block of the test's own memory.
class TBlockView : public TCustomMemoryStream {
 public:
  TBlockView(void* p, int64_t n, bool readOnly) { SetPointer(p, n, readOnly); }
};

}  // namespace

TEST(Streams, MemoryStreamReadsWritesAndSeeks) {
  TMemoryStream s;
  s.WriteBuffer("hello", 5);
  EXPECT_EQ(s.Seek(-2, soCurrent), 3);
  char buf[8] = {};
  EXPECT_EQ(s.Read(buf, 8), 2);
  EXPECT_EQ(std::string(buf, 2), "lo");
  EXPECT_EQ(s.Read(buf, 8), 0);
  // A short read through ReadBuffer is an error.
  s.SetPosition(3);
  EXPECT_EQ(Raised<EReadError>([&] { s.ReadBuffer(buf, 3); }), "Stream read error");
  // Past the end: nothing to read; writing fills the gap with zeros.
  EXPECT_EQ(s.Seek(3, soEnd), 8);
  EXPECT_EQ(s.Read(buf, 1), 0);
  s.WriteBuffer("!", 1);
  EXPECT_EQ(Bytes(s), std::string("hello\0\0\0!", 9));
  // A seek before the start fails and keeps the position.
  EXPECT_EQ(s.Seek(-1, soBeginning), -1);
  EXPECT_EQ(s.Position(), 9);
  s.SetSize(2);
  EXPECT_EQ(s.Position(), 2);
  s.SetSize(4);
  EXPECT_EQ(Bytes(s), std::string("he\0\0", 4));
}

// A write whose end would pass the largest size takes nothing, and WriteBuffer says so.
TEST(Streams, WritesNearTheLargestPositionTakeNothing) {
  char block[4] = {'a', 'b', 'c', 'd'};
  TBlockView view(block, 4, false);
  TMemoryStream memory;
  TStringStream text("xyz");
  for (TStream* s : std::initializer_list<TStream*>{&view, &memory, &text}) {
    for (int64_t at : {INT64_MAX, INT64_MAX - 1, INT64_MAX - 4, int64_t{0x7FFFFFFF}, int64_t{0x7FFFFFFE}}) {
      const int64_t size = s->Size();
      if (s->Seek(at, soBeginning) < 0) continue;  // a stream may refuse the position itself
      EXPECT_EQ(s->Write("1234", 4), 0) << s->ClassName() << " at " << at;
      EXPECT_EQ(Raised<EWriteError>([&] { s->WriteBuffer("1234", 4); }), "Stream write error");
      EXPECT_EQ(s->Size(), size);
    }
  }
  EXPECT_EQ(std::string(block, 4), "abcd");
  EXPECT_EQ(text.DataString(), "xyz");
}

TEST(Streams, ManySmallWritesKeepEveryByte) {
  TMemoryStream s;
  for (int i = 0; i < 200000; ++i) {
    char c = static_cast<char>(i % 251);
    s.WriteBuffer(&c, 1);
  }
  ASSERT_EQ(s.Size(), 200000);
  const uint8_t* p = static_cast<const uint8_t*>(s.Memory());
  EXPECT_EQ(p[199999], 199999 % 251);
}

TEST(Streams, CopyFromWholeSourceOrCount) {
  TStringStream source("0123456789");
  source.SetPosition(7);
  TMemoryStream target;
  EXPECT_EQ(target.CopyFrom(&source, 0), 10);
  EXPECT_EQ(Bytes(target), "0123456789");
  source.SetPosition(2);
  EXPECT_EQ(target.CopyFrom(&source, 3), 3);
  EXPECT_EQ(Bytes(target), "0123456789234");
  EXPECT_EQ(Raised<EReadError>([&] { target.CopyFrom(&source, 100); }), "Stream read error");
}

TEST(Streams, StringStreamOverwritesWithoutCuttingTheRest) {
  TStringStream s("abcdef");
  s.SetPosition(2);
  s.WriteString("XY");
  EXPECT_EQ(s.DataString(), "abXYef");
  EXPECT_EQ(s.ReadString(10), "ef");
  s.Seek(2, soEnd);
  s.WriteString("!");
  EXPECT_EQ(s.DataString(), std::string("abXYef\0\0!", 9));
  s.SetSize(3);
  EXPECT_EQ(s.DataString(), "abX");
}

TEST(Streams, MemoryViewsNeverGrow) {
  char block[4] = {'a', 'b', 'c', 'd'};
  TBlockView view(block, 4, false);
  view.SetPosition(2);
  EXPECT_EQ(view.Write("XYZ", 3), 2);
  EXPECT_EQ(std::string(block, 4), "abXY");
  view.SetPosition(3);
  EXPECT_EQ(Raised<EWriteError>([&] { view.WriteBuffer("12", 2); }), "Stream write error");
  EXPECT_THROW(view.SetSize(5), EStreamError);

  TBlockView readOnly(block, 4, true);
  EXPECT_EQ(readOnly.Write("z", 1), 0);
  EXPECT_EQ(block[0], 'a');
}

TEST(Streams, FileStreamsCreateOpenAndResize) {
  TTestFolder folder;
  std::wstring name = folder.File(L"data.bin");
  {
    TFileStream f(name, fmCreate);
    f.WriteBuffer("0123456789", 10);
    f.SetSize(4);
    f.Seek(2, soEnd);
    f.WriteBuffer("x", 1);
    EXPECT_EQ(f.Size(), 7);
    f.FlushAndClose();
    // Nothing more goes through a closed stream, and closing again is harmless.
    char c;
    EXPECT_THROW(f.ReadBuffer(&c, 1), EReadError);
    f.FlushAndClose();
  }
  EXPECT_EQ(folder.Read(L"data.bin"), std::string("0123\0\0x", 7));
  {
    TFileStream f(name, fmOpenReadWrite);
    f.Seek(0, soEnd);
    f.WriteBuffer("END", 3);
  }
  TFileStream r(name, fmOpenRead);
  char buf[16];
  EXPECT_EQ(r.Read(buf, 16), 10);
  EXPECT_EQ(std::string(buf, 10), std::string("0123\0\0xEND", 10));
  EXPECT_EQ(r.Write("no", 2), 0);
  EXPECT_EQ(r.FileName(), name);
}

TEST(Streams, FileErrorsNameTheFileAndTheSystemReason) {
  TTestFolder folder;
  std::wstring missing = folder.File(L"missing.txt");
  std::string text = Raised<EFOpenError>([&] { TFileStream f(missing, fmOpenRead); });
  EXPECT_EQ(text.rfind("Cannot open file \"" + WideToUtf8(missing) + "\". ", 0), 0u) << text;
  EXPECT_GT(text.size(), WideToUtf8(missing).size() + 22);
  EXPECT_EQ(text.back(), '.');

  std::wstring noFolder = folder.File(L"none\\new.txt");
  text = Raised<EFCreateError>([&] { TFileStream f(noFolder, fmCreate); });
  EXPECT_EQ(text.rfind("Cannot create file \"" + WideToUtf8(noFolder) + "\". ", 0), 0u) << text;

  folder.Write(L"x.txt", "x");
  EXPECT_THROW(TFileStream(folder.File(L"x.txt"), fmOpenRead | 0x50), EFOpenError);
  EXPECT_THROW(TFileStream(folder.File(L"x.txt"), 3), EFOpenError);
}

TEST(Streams, FileStreamsAtTheirEdges) {
  TTestFolder folder;
  std::wstring name = folder.Write(L"short.bin", "abc");
  TFileStream r(name, fmOpenRead);
  char buf[8] = {};
  // A short read: Read gives what there is, ReadBuffer raises.
  r.SetPosition(1);
  EXPECT_EQ(r.Read(buf, 8), 2);
  EXPECT_EQ(r.Read(buf, 8), 0);
  r.SetPosition(1);
  EXPECT_EQ(Raised<EReadError>([&] { r.ReadBuffer(buf, 3); }), "Stream read error");
  r.SetPosition(5);
  EXPECT_EQ(r.Read(buf, 1), 0) << "past the end";
  EXPECT_EQ(Raised<EReadError>([&] { r.ReadBuffer(buf, 1); }), "Stream read error");
  EXPECT_EQ(Raised<EWriteError>([&] { r.WriteBuffer("x", 1); }), "Stream write error") << "opened for reading";
  // Zero-byte transfers always succeed.
  r.ReadBuffer(buf, 0);
  r.FlushAndClose();
  EXPECT_EQ(folder.Read(L"short.bin"), "abc");
  // The file errors are stream errors, so callers can catch the family.
  EXPECT_THROW(TFileStream(folder.File(L"missing.bin"), fmOpenRead), EStreamError);
  EXPECT_THROW(TFileStream(folder.File(L"no\\folder.bin"), fmCreate), EStreamError);
}

TEST(Streams, ShareModesLockFilesAgainstOtherOpeners) {
  TTestFolder folder;
  std::wstring name = folder.Write(L"locked.txt", "content");
  {
    TFileStream exclusive(name, fmOpenRead | fmShareExclusive);
    EXPECT_THROW(TFileStream(name, fmOpenRead | fmShareDenyNone), EFOpenError);
  }
  {
    TFileStream denyWrite(name, 32);  // read, others may read
    TFileStream reader(name, fmOpenRead | fmShareDenyNone);
    EXPECT_THROW(TFileStream(name, fmOpenWrite | fmShareDenyNone), EFOpenError);
    EXPECT_THROW(TFileStream(name, fmCreate), EFCreateError);
  }
  {
    TFileStream shared(name, 64);  // read, others may do anything
    TFileStream writer(name, fmOpenWrite | fmShareDenyNone);
    writer.WriteBuffer("C", 1);
  }
  EXPECT_EQ(folder.Read(L"locked.txt"), "Content");
}

TEST(Streams, ResourceStreamsAreReadOnly) {
  TResourceStream res(GetModuleHandleW(nullptr), L"StreamSample", RT_RCDATA);
  EXPECT_EQ(Bytes(res), "resource bytes\r\n");
  EXPECT_EQ(Raised<EStreamError>([&] { res.Write("x", 1); }), "Can't write to a read-only resource stream");
  EXPECT_EQ(Raised<EStreamError>([&] { res.SetSize(0); }), "Can't write to a read-only resource stream");
  EXPECT_EQ(Raised<EResNotFound>([] { TResourceStream r(GetModuleHandleW(nullptr), L"NoSuchThing", RT_RCDATA); }),
            "Resource NoSuchThing not found");
  EXPECT_THROW(TResourceStream(GetModuleHandleW(nullptr), 4711, RT_RCDATA), EResNotFound);
}

TEST(Streams, OnlyComponentsGetOwnerFactories) {
  // A handle stream's constructor takes a pointer; it must not pass for a component factory.
  EXPECT_EQ(THandleStream::StaticClassInfo().NewComponent, nullptr);
  EXPECT_EQ(THandleStream::StaticClassInfo().NewItem, nullptr);
  EXPECT_NE(TMemoryStream::StaticClassInfo().NewObject, nullptr);
}
