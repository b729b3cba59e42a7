// The clipboard: text of both kinds, private formats with their exact length, several formats
// in one session, and the open session as the one owner of the clipboard.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "framework/Clipboard.h"

namespace {

// Holds the clipboard open from another thread until told to let go.
class TOtherThreadHolder {
 public:
  TOtherThreadHolder() {
    thread_ = std::thread([this] {
      opened_ = OpenClipboard(nullptr) != FALSE;
      ready_ = true;
      while (!release_) Sleep(5);
      if (opened_) CloseClipboard();
    });
    while (!ready_) Sleep(5);
  }
  ~TOtherThreadHolder() {
    release_ = true;
    thread_.join();
  }
  bool Opened() const { return opened_; }

 private:
  std::thread thread_;
  std::atomic<bool> ready_{false};
  std::atomic<bool> release_{false};
  std::atomic<bool> opened_{false};
};

// True when another thread can open the clipboard now (nobody holds it).
bool OtherThreadCanOpen() {
  bool opened = false;
  std::thread t([&] {
    opened = OpenClipboard(nullptr) != FALSE;
    if (opened) CloseClipboard();
  });
  t.join();
  return opened;
}

}  // namespace

TEST(Clipboard, UnicodeTextRoundTrip) {
  const WideString text = L"Gr\u00FC\u00DFe \u0416\u0436 \u4E2D\u6587 \U0001F600 end";
  Clipboard()->SetAsWideText(text);
  EXPECT_EQ(Clipboard()->AsWideText(), text);
}

TEST(Clipboard, AnsiTextRoundTripAndTheOtherKindFromTheSystem) {
  Clipboard()->SetAsText("plain \xE9t\xE9");  // "été" in code page 1252
  EXPECT_EQ(Clipboard()->AsText(), "plain \xE9t\xE9");
  EXPECT_EQ(Clipboard()->AsWideText(), L"plain \u00E9t\u00E9");
  Clipboard()->SetAsWideText(L"wide only");
  EXPECT_EQ(Clipboard()->AsText(), "wide only");
}

TEST(Clipboard, EmptyTextAndAnEmptiedClipboard) {
  Clipboard()->SetAsWideText(L"");
  EXPECT_TRUE(Clipboard()->HasFormat(CF_UNICODETEXT));
  EXPECT_EQ(Clipboard()->AsWideText(), L"");
  Clipboard()->Clear();
  EXPECT_FALSE(Clipboard()->HasFormat(CF_UNICODETEXT));
  EXPECT_EQ(Clipboard()->AsWideText(), L"");
  EXPECT_EQ(Clipboard()->FormatCount(), 0);
}

TEST(Clipboard, APrivateFormatKeepsItsExactLengthWithZeroBytesInside) {
  UINT format = TClipboard::RegisterFormat(L"Verdan Test Block");
  EXPECT_EQ(TClipboard::RegisterFormat(L"Verdan Test Block"), format);
  const std::string block("\x00\x01\x00\x00zero\x00\xFF\x00", 11);
  Clipboard()->SetBuffer(format, block);
  std::string back = Clipboard()->GetBuffer(format);
  EXPECT_EQ(back, block);
  // The system keeps no empty blocks: refused before anything is changed.
  EXPECT_THROW(Clipboard()->SetBuffer(format, std::string()), EClipboardException);
  EXPECT_EQ(Clipboard()->GetBuffer(format), block);
}

TEST(Clipboard, TextWithoutTerminatingZeroIsReadOnlyToTheBlocksEnd) {
  // Windows keeps such a block as it is; Wine writes a terminating zero over its last
  // character. Either way nothing past the block may be read.
  Clipboard()->SetBuffer(CF_UNICODETEXT, std::string("a\0b\0c\0", 6));
  WideString wide = Clipboard()->AsWideText();
  EXPECT_GE(wide.size(), 2u);
  EXPECT_EQ(WideString(L"abc").rfind(wide, 0), 0u);
  Clipboard()->SetBuffer(CF_TEXT, std::string("xyz"));
  AnsiString ansi = Clipboard()->AsText();
  EXPECT_GE(ansi.size(), 2u);
  EXPECT_EQ(std::string("xyz").rfind(ansi, 0), 0u);
  // A block of an odd length loses at least the incomplete last byte.
  Clipboard()->SetBuffer(CF_UNICODETEXT, std::string("a\0b", 3));
  EXPECT_EQ(Clipboard()->AsWideText(), L"a");
}

TEST(Clipboard, AbsentFormatGivesAnEmptyBlock) {
  UINT format = TClipboard::RegisterFormat(L"Verdan Never Written");
  Clipboard()->SetAsWideText(L"x");
  EXPECT_FALSE(Clipboard()->HasFormat(format));
  EXPECT_EQ(Clipboard()->GetBuffer(format), "");
}

TEST(Clipboard, SeveralFormatsPutInOneSessionAreAllPresent) {
  UINT format = TClipboard::RegisterFormat(L"Verdan Test Columns");
  {
    TClipboardSession session;
    Clipboard()->SetAsWideText(L"both");
    Clipboard()->SetBuffer(format, std::string("\x02\x00\x00\x00", 4));
  }
  EXPECT_FALSE(Clipboard()->IsOpen());
  EXPECT_EQ(Clipboard()->AsWideText(), L"both");
  EXPECT_EQ(Clipboard()->GetBuffer(format), std::string("\x02\x00\x00\x00", 4));
  bool listed = false;
  for (int i = 0; i < Clipboard()->FormatCount(); ++i) listed = listed || Clipboard()->Formats(i) == format;
  EXPECT_TRUE(listed);
  EXPECT_THROW(Clipboard()->Formats(Clipboard()->FormatCount()), EListError);
}

TEST(Clipboard, WritingOutsideASessionReplacesTheContents) {
  UINT format = TClipboard::RegisterFormat(L"Verdan Test Columns");
  {
    TClipboardSession session;
    Clipboard()->SetAsWideText(L"first");
    Clipboard()->SetBuffer(format, std::string("1"));
  }
  Clipboard()->SetAsWideText(L"second");
  EXPECT_FALSE(Clipboard()->HasFormat(format));
  EXPECT_EQ(Clipboard()->AsWideText(), L"second");
}

TEST(Clipboard, SessionsNestAndTheLastOneCloses) {
  {
    TClipboardSession outer;
    {
      TClipboardSession inner;
      EXPECT_FALSE(OtherThreadCanOpen());
    }
    EXPECT_TRUE(Clipboard()->IsOpen());
    EXPECT_FALSE(OtherThreadCanOpen());
  }
  EXPECT_FALSE(Clipboard()->IsOpen());
  EXPECT_TRUE(OtherThreadCanOpen());
}

TEST(Clipboard, AFailureInsideASessionStillClosesTheClipboard) {
  EXPECT_THROW(
      {
        TClipboardSession session;
        Clipboard()->SetAsWideText(L"kept");
        throw EInvalidOperation("copy failed half way");
      },
      EInvalidOperation);
  EXPECT_FALSE(Clipboard()->IsOpen());
  EXPECT_TRUE(OtherThreadCanOpen());
  EXPECT_EQ(Clipboard()->AsWideText(), L"kept");
}

TEST(Clipboard, HeldByAnotherThreadGivesAClearError) {
  Clipboard()->SetAsWideText(L"before");
  {
    TOtherThreadHolder holder;
    ASSERT_TRUE(holder.Opened());
    try {
      Clipboard()->SetAsWideText(L"lost");
      FAIL() << "no exception";
    } catch (const EClipboardException& e) {
      EXPECT_EQ(WideString(e.Message()).rfind(L"Cannot open clipboard", 0), 0u);
    }
    EXPECT_FALSE(Clipboard()->IsOpen());
  }
  // Nothing was changed, and the clipboard works again once it is free.
  EXPECT_EQ(Clipboard()->AsWideText(), L"before");
  Clipboard()->SetAsWideText(L"after");
  EXPECT_EQ(Clipboard()->AsWideText(), L"after");
}

namespace {
const std::string kParentBlock("\x00parent\x00\x01\x02\x00", 11);
const std::string kChildBlock("child\x00\x00\x00\xFE", 9);
const wchar_t kParentText[] = L"from the first process \u00e9\u0436\u4e2d";
const wchar_t kChildText[] = L"and back \u00fc\u0431";
}  // namespace

// Run only as the other process of the test below: checks what the first process left and
// leaves its own answer.
TEST(ClipboardOtherProcess, DISABLED_ReadAndAnswer) {
  UINT format = TClipboard::RegisterFormat(L"Verdan Test Block");
  EXPECT_EQ(Clipboard()->AsWideText(), kParentText);
  EXPECT_EQ(Clipboard()->GetBuffer(format), kParentBlock);
  TClipboardSession session;
  Clipboard()->SetAsWideText(kChildText);
  Clipboard()->SetBuffer(format, kChildBlock);
}

TEST(Clipboard, TextAndAPrivateBlockPassToAnotherProcessAndBack) {
  UINT format = TClipboard::RegisterFormat(L"Verdan Test Block");
  {
    TClipboardSession session;
    Clipboard()->SetAsWideText(kParentText);
    Clipboard()->SetBuffer(format, kParentBlock);
  }
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring commandLine = std::wstring(L"\"") + self +
                             L"\" --gtest_also_run_disabled_tests --gtest_repeat=1 "
                             L"--gtest_filter=ClipboardOtherProcess.DISABLED_ReadAndAnswer";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  // Messages are handled while waiting, as the program's loop would.
  DWORD started = GetTickCount();
  while (MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, 100, QS_ALLINPUT) != WAIT_OBJECT_0) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    if (GetTickCount() - started > 30000) {
      TerminateProcess(pi.hProcess, 99);
      break;
    }
  }
  DWORD exitCode = 12345;
  GetExitCodeProcess(pi.hProcess, &exitCode);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  EXPECT_EQ(exitCode, 0u) << "the other process did not find what this one left";
  // The other process has ended; what it left is still there, to the byte.
  EXPECT_EQ(Clipboard()->AsWideText(), kChildText);
  std::string block = Clipboard()->GetBuffer(format);
  EXPECT_EQ(block.size(), kChildBlock.size());
  EXPECT_EQ(block, kChildBlock);
}
