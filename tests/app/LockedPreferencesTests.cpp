// Documents opened, saved and closed while "Preferences.ini" is held open by another program
// that shares nothing with it, and a file held so at start-up that keeps the user's settings.
#include <gtest/gtest.h>

#include "app/FilePaths.h"
#include "app/Startup.h"
#include "editor/TxtEdit.h"
#include "foundation/ApAppIniStorage.h"
#include "framework/FileRoutines.h"
#include "framework/IniFiles.h"
#include "tests/app/DocumentTestSupport.h"
#include "themes/UiExtItems.h"

namespace {

// A file held open by another program that shares nothing with it.
struct THeldFile {
  HANDLE Handle = INVALID_HANDLE_VALUE;
  explicit THeldFile(const WideString& Name) {
    Handle = CreateFileW(Name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
  }
  ~THeldFile() { Release(); }
  void Release() {
    if (Handle != INVALID_HANDLE_VALUE) CloseHandle(Handle);
    Handle = INVALID_HANDLE_VALUE;
  }
};

// How often the text stands in the file.
int Occurrences(const WideString& File, const std::string& Text) {
  std::string bytes;
  HANDLE h =
      CreateFileW(File.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  char buffer[4096];
  DWORD done = 0;
  while (h != INVALID_HANDLE_VALUE && ReadFile(h, buffer, sizeof buffer, &done, nullptr) && done > 0)
    bytes.append(buffer, done);
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  int count = 0;
  for (size_t at = bytes.find(Text); at != std::string::npos; at = bytes.find(Text, at + 1)) ++count;
  return count;
}

class LockedPreferences : public DocumentTest {
 protected:
  WideString Preferences() const { return folder_.File(L"Preferences.ini"); }
};

// Each way a file is opened, while the file of the caret positions is held: the document opens
// (at the top, its place unknown), no box nags, and the save and the close go ahead. Released
// before the exit, the file keeps the places it held and gains the ones of this run.
TEST_F(LockedPreferences, DocumentsOpenSaveAndCloseWhileThePositionsFileIsHeld) {
  enum TWay { wCommandLine, wHandOver, wOpenDialog, wDropped };
  ForceDirectories(GetDataFolder());
  for (TWay way : {wCommandLine, wHandOver, wOpenDialog, wDropped}) {
    const std::string row = "way " + std::to_string(way);
    DeleteFileW(ErrorLogFile().c_str());
    const WideString old = folder_.File(L"old.txt");
    FreeGlobals();
    folder_.Write(L"Preferences.ini", "[FilesPos]\r\nCount=1\r\nItem0=" + WideToAnsi(old) + "|3|4\r\n");
    const WideString a = folder_.Write(L"a.txt", "one\r\ntwo\r\nthree\r\n");
    const WideString b = folder_.Write(L"b.txt", "b\r\n");
    CreateGlobals(Preferences(), folder_.File(L"Highlighters"));
    if (way == wCommandLine) TMainForm::StartupFiles() = {a, b};
    THeldFile held(Preferences());
    ASSERT_NE(held.Handle, INVALID_HANDLE_VALUE) << row;
    TMainForm* form = nullptr;
    ASSERT_NO_THROW(form = &Make()) << row;
    TMainForm::StartupFiles().clear();
    form->StartupDone = true;
    boxes_.Clear();
    for (const WideString& name : {a, b}) {
      if (way == wHandOver || way == wOpenDialog) {
        EXPECT_NO_THROW(EXPECT_EQ(form->OpenFiles({name}), 1)) << row;
      }
      if (way == wDropped) SendMessageW(form->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({name})), 0);
    }
    ASSERT_NE(DocumentList->FindByFileName(a), nullptr) << row;
    ASSERT_NE(DocumentList->FindByFileName(b), nullptr) << row;
    EXPECT_TRUE(boxes_.Texts.empty()) << row;
    TDocument* document = DocumentList->FindByFileName(a);
    TTxtEdit* editor = document->Frame()->edtDocument;
    editor->SetCaretXY({2, 3});
    editor->SetModified(true);
    EXPECT_EQ(form->SaveDocument(document, a, teAnsi), 0) << row;
    TDocument* other = DocumentList->FindByFileName(b);
    other->Frame()->edtDocument->SetCaretXY({2, 1});
    EXPECT_TRUE(form->CloseDocument(other)) << row;
    EXPECT_EQ(DocumentList->FindByFileName(b), nullptr) << row;
    EXPECT_TRUE(boxes_.Texts.empty()) << row;
    // Logged once by the window's storage and once by the caret positions, however many
    // openings found the file held.
    EXPECT_EQ(Occurrences(ErrorLogFile(), "Sharing violation"), 2) << row;
    held.Release();
    Exit();
    TMemIniFile ini(Preferences());
    EXPECT_EQ(ini.ReadInteger("FilesPos", "Count", 0), 3) << row;
    const AnsiString file = folder_.Read(L"Preferences.ini");
    for (const AnsiString& entry : {WideToAnsi(old) + "|3|4", WideToAnsi(a) + "|3|2", WideToAnsi(b) + "|1|2"})
      EXPECT_NE(file.find(entry), AnsiString::npos) << row << " " << entry;
    CreateGlobals(Preferences(), folder_.File(L"Highlighters"));
  }
}

// "Preferences.ini" held while the program starts, and released before it ends: the program
// starts with its defaults, and the exit writes what the run changed and nothing else, so the
// user's settings, places, recent list and caret positions are still in the file.
TEST_F(LockedPreferences, AFileHeldAtStartKeepsTheUsersSettingsThroughTheExit) {
  const WideString old = folder_.File(L"old.txt");
  const WideString recent = folder_.Write(L"recent.txt", "r");
  const std::string users =
      "[Editor]\r\nTabWidth=5\r\nRightMargin=72\r\n[Interface]\r\nNumberOfDocuments=7\r\n"
      "[MainForm]\r\nNormPos=61,52,674,484\r\n[MainForm\\mrlstMain_Items]\r\nCount=1\r\nItem0=" +
      WideToAnsi(recent) + "\r\n[FilesPos]\r\nCount=1\r\nItem0=" + WideToAnsi(old) + "|3|4\r\n";
  FreeGlobals();
  folder_.Write(L"Preferences.ini", users);
  const WideString a = folder_.Write(L"a.txt", "one\r\ntwo\r\n");
  THeldFile held(Preferences());
  ASSERT_NE(held.Handle, INVALID_HANDLE_VALUE);
  CreateGlobals(Preferences(), folder_.File(L"Highlighters"));
  EXPECT_EQ(::Options->TabWidth, 8) << "the defaults, the file unread";
  TMainForm::StartupFiles() = {a};
  TMainForm* form = nullptr;
  ASSERT_NO_THROW(form = &Make());
  TMainForm::StartupFiles().clear();
  ASSERT_NE(form->Commands, nullptr) << "the window made whole";
  form->OnShow(form);
  ASSERT_NE(DocumentList->FindByFileName(a), nullptr);
  form->ActiveEditor()->SetCaretXY({2, 2});
  ::Options->RightMargin = 40;  // changed in this run
  held.Release();
  Exit();
  TMemIniFile ini(Preferences());
  EXPECT_EQ(ini.ReadString("Editor", "TabWidth", ""), "5");
  EXPECT_EQ(ini.ReadString("Editor", "RightMargin", ""), "40");
  EXPECT_EQ(ini.ReadString("Interface", "NumberOfDocuments", ""), "7");
  EXPECT_EQ(ini.ReadString("MainForm", "NormPos", ""), "61,52,674,484");
  EXPECT_EQ(ini.ReadString("MainForm\\mrlstMain_Items", "Item0", ""), WideToAnsi(recent));
  EXPECT_EQ(ini.ReadString("MainForm\\mrlstMain_Items", "Count", ""), "1");
  EXPECT_EQ(ini.ReadInteger("FilesPos", "Count", 0), 2);
  const AnsiString file = folder_.Read(L"Preferences.ini");
  EXPECT_NE(file.find(WideToAnsi(old) + "|3|4"), AnsiString::npos);
  EXPECT_NE(file.find(WideToAnsi(a) + "|2|2"), AnsiString::npos);
  // The next run reads them.
  CreateGlobals(Preferences(), folder_.File(L"Highlighters"));
  EXPECT_EQ(::Options->TabWidth, 5);
  EXPECT_EQ(::Options->RightMargin, 40);
}

// Held through the whole run, exit included: the program starts and ends, the refusal is told
// once at the exit, and the file is as the user left it.
TEST_F(LockedPreferences, AFileHeldThroughTheRunIsToldOnceAndLeftAsItWas) {
  const std::string users = "[Editor]\r\nTabWidth=5\r\n";
  FreeGlobals();
  folder_.Write(L"Preferences.ini", users);
  const WideString a = folder_.Write(L"a.txt", "one\r\ntwo\r\n");
  {
    THeldFile held(Preferences());
    CreateGlobals(Preferences(), folder_.File(L"Highlighters"));
    TMainForm::StartupFiles() = {a};
    ASSERT_NO_THROW(Make());
    TMainForm::StartupFiles().clear();
    form_->ActiveEditor()->SetCaretXY({2, 2});
    boxes_.Clear();
    EXPECT_NO_THROW(Exit());
  }
  EXPECT_EQ(folder_.Read(L"Preferences.ini"), users);
  size_t told = 0;
  for (const WideString& box : boxes_.Texts)
    if (box.find(Preferences()) != WideString::npos) ++told;
  EXPECT_EQ(told, 1u);
}

}  // namespace
