// The start-up steps outside the main window: the removal switch, the folders, the global
// objects with their cursors and hint window, the application window's hook and the error log.
#include <gtest/gtest.h>

#include "app/CharPalette.h"
#include "app/Global.h"
#include "app/Options.h"
#include "app/Startup.h"
#include "app/Useful.h"
#include "framework/Application.h"
#include "framework/FileRoutines.h"
#include "framework/Screen.h"
#include "framework/Streams.h"

namespace {

WideString TempName(const wchar_t* Name) {
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  return WideString(dir) + Name;
}

void WriteBytes(const WideString& Name, const std::string& Bytes) {
  TFileStream f(Name, fmCreate);
  f.WriteBuffer(Bytes.data(), static_cast<int>(Bytes.size()));
}

std::string ReadBytes(const WideString& Name) {
  TFileStream f(Name, fmOpenRead);
  std::string bytes(static_cast<size_t>(f.Size()), '\0');
  f.ReadBuffer(bytes.data(), static_cast<int>(bytes.size()));
  return bytes;
}

TEST(Startup, TheRemovalSwitchIsTheFirstArgumentInAnyCase) {
  struct {
    std::vector<WideString> args;
    bool removes;
  } cases[] = {
      {{L"/unregisterassociations"}, true},
      {{L"/UnRegisterAssociations", L"a.txt"}, true},
      {{L"a.txt", L"/unregisterassociations"}, false},
      {{L"/unregisterassociation"}, false},
      {{L"-unregisterassociations"}, false},
      {{}, false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsUnregisterSwitch(c.args), c.removes) << c.args.size();
}

TEST(Startup, TheHookSilencesTheFrameworksRelaysOnly) {
  for (UINT msg : {0xB016u, 0xB017u, UINT(WM_KEYDOWN), 0xB015u}) {
    TMessage m{};
    m.Msg = msg;
    EXPECT_FALSE(AppHookMessage(m));
    EXPECT_EQ(m.Msg, msg == 0xB016u || msg == 0xB017u ? 0u : msg);
  }
}

TEST(Startup, SwallowedErrorsAreLogged) {
  const WideString log = TempName(L"verdan-errors-test.log");
  DeleteFileW(log.c_str());
  LogError(log, L"first\r\nline");
  LogError(log, L"\x0416 second");
  const std::string text = ReadBytes(log);
  ASSERT_EQ(std::count(text.begin(), text.end(), '\n'), 2);
  EXPECT_EQ(text.substr(19, 17), "  first  line\r\n20");
  EXPECT_EQ(text.substr(text.size() - 11), "\xD0\x96 second\r\n");
  WriteBytes(log, std::string((1 << 20) + 1, 'x'));
  LogError(log, L"after");
  EXPECT_EQ(ReadBytes(log).size(), 28u);  // a log past its limit starts again
  DeleteFileW(log.c_str());
  LogError(L"Q:\\no\\such\\folder\\x.log", L"lost quietly");
}

TEST(Startup, TheGlobalUnitMakesFoldersObjectsAndCursors) {
  const WideString data = GetDataFolder();
  RemoveDir(data);  // only when empty; either way it must stand afterwards
  InitializeGlobalUnit();
  EXPECT_TRUE(DirectoryExists(data) && DirectoryExists(AppPath(L"Languages")) &&
              DirectoryExists(AppPath(L"Highlighters")));
  ASSERT_TRUE(::Options && DocumentList && Highlighters);
  EXPECT_EQ(::Options->FileName(), data + L"Preferences.ini");
  EXPECT_EQ(&Application->HintWindowClass(), &TSafeHintWindow::StaticClassInfo());
  for (int cursor : {98, 99}) EXPECT_NE(Screen->Cursors(TCursor(cursor)), Screen->Cursors(TCursor(0)));
  EXPECT_NE(Screen->Cursors(TCursor(98)), Screen->Cursors(TCursor(99)));
  FinalizeGlobalUnit();
  EXPECT_TRUE(!::Options && !DocumentList && !Highlighters);
  EXPECT_TRUE(FileExists(data + L"Preferences.ini"));
}

}  // namespace
