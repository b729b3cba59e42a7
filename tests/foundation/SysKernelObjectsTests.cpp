// Named page-file mappings, views as streams, events and waits.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "foundation/SysKernelObjects.h"

namespace {
WideString UniqueName(const wchar_t* stem) {
  return WideString(L"VerdanTest_") + stem + L"_" + std::to_wstring(GetCurrentProcessId());
}
}  // namespace

TEST(SysFileMapping, SecondOpenSeesTheSameBytes) {
  const WideString name = UniqueName(L"Map");
  TSysSwapFileMapping first(name, PAGE_READWRITE, 1032);
  EXPECT_FALSE(first.Existed());
  TSysSwapFileMapping second(name, PAGE_READWRITE, 1032);
  EXPECT_TRUE(second.Existed());

  TSysFileMappingView* w = first.Views(first.Add(FILE_MAP_ALL_ACCESS, 1032, 0));
  TSysFileMappingView* r = second.Views(second.Add(FILE_MAP_ALL_ACCESS, 1032, 0));
  EXPECT_EQ(w->Size(), 1032);
  const char text[] = "shared";
  EXPECT_EQ(w->Write(text, 6), 6);
  char back[6] = {};
  EXPECT_EQ(r->Read(back, 6), 6);
  EXPECT_EQ(std::string(back, 6), "shared");
}

TEST(SysFileMapping, ViewNeverGrows) {
  TSysSwapFileMapping map(UniqueName(L"Grow"), PAGE_READWRITE, 1032);
  TSysFileMappingView* view = map.Views(map.Add(FILE_MAP_ALL_ACCESS, 1032, 0));
  char ten[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  view->SetPosition(1030);
  EXPECT_EQ(view->Write(ten, 10), 0);
  EXPECT_EQ(view->Size(), 1032);
  EXPECT_EQ(view->Position(), 1030);
  view->SetPosition(1020);
  EXPECT_EQ(view->Write(ten, 10), 10);
  view->SetPosition(1022);
  EXPECT_EQ(view->Write(ten, 10), 10);
  EXPECT_THROW(view->SetSize(2000), EStreamError);
}

TEST(SysFileMapping, ViewAtUnalignedOffsetShowsTheBytesAtThatOffset) {
  TSysSwapFileMapping map(UniqueName(L"Offset"), PAGE_READWRITE, 70000);
  TSysFileMappingView* whole = map.Views(map.Add(FILE_MAP_ALL_ACCESS, 70000, 0));
  for (int i = 0; i < 70000; ++i) static_cast<uint8_t*>(whole->Memory())[i] = static_cast<uint8_t>(i % 251);
  TSysFileMappingView* part = map.Views(map.Add(FILE_MAP_ALL_ACCESS, 100, 65541));
  EXPECT_EQ(part->Size(), 100);
  EXPECT_EQ(part->OffsetLowPart(), 65541u);
  uint8_t b = 0;
  part->Read(&b, 1);
  EXPECT_EQ(b, 65541 % 251);
  EXPECT_EQ(map.ViewCount(), 2);
  delete part;
  EXPECT_EQ(map.ViewCount(), 1);
  EXPECT_THROW(map.Views(1), EListError);
}

TEST(SysFileMapping, Errors) {
  // A view of no mapping raises with the thread's last error, like every error of its family.
  for (DWORD last : {DWORD(0), DWORD(ERROR_ACCESS_DENIED), DWORD(ERROR_FILE_NOT_FOUND)}) {
    try {
      SetLastError(last);
      TSysFileMappingView view(nullptr, FILE_MAP_READ, 10, 0);
      FAIL();
    } catch (const ESysFileMappingViewError& e) {
      EXPECT_TRUE(
          e.Message().starts_with(L"FileMap argument of TSysFileMappingView constructor cannot be nil\r\nWin32: "));
      EXPECT_EQ(e.LastError(), last);
      EXPECT_NE(e.Message().find(L"(" + std::to_wstring(last) + L")"), WideString::npos) << last;
    }
  }
  TSysSwapFileMapping map(UniqueName(L"Small"), PAGE_READONLY, 4096);
  EXPECT_THROW(map.Add(FILE_MAP_WRITE, 4096, 0), ESysFileMappingViewError);
  try {
    TSysSwapFileMapping bad(UniqueName(L"Bad\\Name\\Deep"), PAGE_READWRITE, 16);
    FAIL();
  } catch (const ESysFileMappingError& e) {
    EXPECT_EQ(e.Message().rfind(L"Failed to create FileMapping\r\nWin32: ", 0), 0u);
    EXPECT_NE(e.LastError(), 0u);
  }
}

TEST(SysEvent, SignalsAcrossThreadsAndTimesOut) {
  const WideString name = UniqueName(L"Event");
  TSysEvent event(nullptr, false, false, name);
  EXPECT_FALSE(event.Existed());
  TSysEvent same(nullptr, false, false, name);
  EXPECT_TRUE(same.Existed());
  EXPECT_EQ(event.WaitFor(0), wrTimeout);
  std::thread t([&] { same.SetEvent(); });
  EXPECT_EQ(event.WaitForever(), wrSignaled);
  t.join();
  EXPECT_EQ(event.WaitFor(0), wrTimeout);  // auto-reset
}

TEST(SysCriticalSection, GuardsACounter) {
  TSysCriticalSection cs;
  int counter = 0;
  auto work = [&] {
    for (int i = 0; i < 10000; ++i) {
      cs.Enter();
      ++counter;
      cs.Leave();
    }
  };
  std::thread a(work), b(work);
  a.join();
  b.join();
  EXPECT_EQ(counter, 20000);
}
