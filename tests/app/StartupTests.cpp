// The start-up steps outside the main window: the removal switch, the folders, the global
// objects with their cursors and hint window, the application window's hook and the error log.
#include <gtest/gtest.h>

#include "app/CharPalette.h"
#include "app/FilePaths.h"
#include "app/Global.h"
#include "app/Options.h"
#include "app/Startup.h"
#include "framework/Application.h"
#include "framework/Screen.h"
#include "framework/Streams.h"
#include "tests/app/AppTestSupport.h"

namespace {

std::string ReadBytes(const WideString& Name) {
  TFileStream f(Name, fmOpenRead);
  std::string bytes(static_cast<size_t>(f.Size()), '\0');
  f.ReadBuffer(bytes.data(), static_cast<int>(bytes.size()));
  return bytes;
}

TEST(Startup, TheRemovalSwitchAndTheHook) {
  EXPECT_TRUE(IsUnregisterSwitch({L"/UnRegisterAssociations", L"a.txt"}));
  for (const auto& args : std::vector<std::vector<WideString>>{
           {L"a.txt", L"/unregisterassociations"}, {L"/unregisterassociation"}, {L"-unregisterassociations"}, {}})
    EXPECT_FALSE(IsUnregisterSwitch(args));
  // The program itself ends at once, without a window to close.
  EXPECT_EQ(TProcess(L"app\\Verdan.exe", L" /unregisterASSOCIATIONS").ExitCode(), 0u);

  for (UINT msg : {0xB016u, 0xB017u, UINT(WM_KEYDOWN), 0xB015u}) {
    TMessage m{};
    m.Msg = msg;
    EXPECT_FALSE(AppHookMessage(m));
    EXPECT_EQ(m.Msg, msg == 0xB016u || msg == 0xB017u ? 0u : msg);
  }
}

TEST(Startup, SwallowedErrorsAreLogged) {
  const WideString log = DataPath(L"Errors-test.log");
  ForceDirectories(GetDataFolder());
  DeleteFileW(log.c_str());
  LogError(log, L"first\r\nline");
  LogError(log, L"\x0416 second");
  const std::string text = ReadBytes(log);
  EXPECT_EQ(text.substr(19, 17) + text.substr(text.size() - 11), "  first  line\r\n20\xD0\x96 second\r\n");
  TFileStream(log, fmCreate).WriteBuffer(std::string((1 << 20) + 1, 'x').data(), (1 << 20) + 1);
  LogError(log, L"after");
  EXPECT_EQ(ReadBytes(log).size(), 28u);  // a log past its limit starts again
  DeleteFileW(log.c_str());
  LogError(L"Q:\\no\\such\\folder\\x.log", L"lost quietly");
}

TEST(Startup, TheGlobalUnitMakesFoldersObjectsAndCursors) {
  const WideString data = GetDataFolder();
  for (const wchar_t* name : {L"Preferences.ini", L"Shortcuts.ini", L"LastDocuments.dat", L"Errors.log"})
    DeleteFileW((data + name).c_str());
  RemoveDir(data);  // a new user's start
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
