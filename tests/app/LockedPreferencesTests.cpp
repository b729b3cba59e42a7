// Documents opened, saved and closed while "Preferences.ini" is held open by another program
// that shares nothing with it, and a file held so at start-up that keeps the user's settings.
#include <gtest/gtest.h>

#include "app/FilePaths.h"
#include "app/CharPalette.h"
#include "app/FindAndReplaceFrm.h"
#include "app/Startup.h"
#include "editor/TxtEdit.h"
#include "foundation/ApAppIniStorage.h"
#include "foundation/LgLanguage.h"
#include "framework/Application.h"
#include "framework/FileRoutines.h"
#include "framework/IniFiles.h"
#include "framework/ListControls.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/DocumentTestSupport.h"
#include "themes/UiExtItems.h"
#include "themes/UiStatusBars.h"

namespace {

// A file held open by another program that shares nothing with it.
struct THeldFile {
  HANDLE Handle = INVALID_HANDLE_VALUE;
  THeldFile() = default;
  explicit THeldFile(const WideString& Name) { Hold(Name); }
  ~THeldFile() { Release(); }
  void Hold(const WideString& Name) {
    Release();
    Handle = CreateFileW(Name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
  }
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
  // The window started and shown on a preferences file of the text, which another program holds
  // (held_) from before the options read it.
  TMainForm& StartHeld(const std::string& Text) {
    FreeGlobals();
    folder_.Write(L"Preferences.ini", Text);
    held_.Hold(Preferences());
    EXPECT_NE(held_.Handle, INVALID_HANDLE_VALUE);
    CreateGlobals(Preferences(), folder_.File(L"Highlighters"));
    TMainForm& form = Make();
    form.OnShow(&form);
    return form;
  }
  THeldFile held_;
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

// The items of a list of the file.
std::vector<std::string> ListOf(TMemIniFile& Ini, const char* Section) {
  std::vector<std::string> items;
  for (int i = 0; i < Ini.ReadInteger(Section, "Count", 0); ++i)
    items.push_back(Ini.ReadString(Section, "Item" + std::to_string(i), "<none>"));
  return items;
}

// "Preferences.ini" held while the program starts and released during the run, early or only
// before the exit: the window's place, the status bar and the find history changed in the run,
// before the file could be read or after, are in the file after the exit; what the run left as
// it started is still the user's.
TEST_F(LockedPreferences, WhatTheRunChangesAfterAFileHeldAtStartReachesTheFile) {
  const std::string users =
      "[MainForm]\r\nNormPos=61,52,674,484\r\nstsbrMain_Visible=1\r\ntxtopndlgMain_FilterIndex=3\r\n"
      "[FindAndReplaceForm]\r\nchckbxMatchCase_Checked=1\r\n"
      "[FindAndReplaceForm\\cmbxFindWhat_Items]\r\nCount=2\r\nItem0=x\r\nItem1=y\r\n";
  for (bool releasedEarly : {true, false}) {
    TMainForm& form = StartHeld(users);
    if (releasedEarly) held_.Release();
    TFindAndReplaceForm* find = EnsureFindAndReplaceForm(form);
    find->Show();
    find->cmbxFindWhat->Items()->Insert(0, L"foo");
    FreeFindAndReplaceForm();
    form.stsbrMain->SetVisible(false);
    form.SetBounds(20, 30, 613, 432);
    held_.Release();
    Exit();
    TMemIniFile ini(Preferences());
    const std::string row = releasedEarly ? "released early" : "released at the end";
    EXPECT_EQ(ini.ReadString("MainForm", "NormPos", ""), "20,30,633,462") << row;
    EXPECT_EQ(ini.ReadString("MainForm", "stsbrMain_Visible", ""), "0") << row;
    EXPECT_EQ(ini.ReadString("MainForm", "txtopndlgMain_FilterIndex", ""), "3") << row;
    EXPECT_EQ(ini.ReadString("FindAndReplaceForm", "chckbxMatchCase_Checked", ""), "1") << row;
    // The dialog opened after the file was read showed its history; one opened before showed
    // none, and the entry the run added goes in front of the file's.
    EXPECT_EQ(ListOf(ini, "FindAndReplaceForm\\cmbxFindWhat_Items"), (std::vector<std::string>{"foo", "x", "y"}))
        << row;
    EXPECT_FALSE(FileExists(DamagedSettingsFileName(Preferences()))) << row;
    CreateGlobals(Preferences(), folder_.File(L"Highlighters"));
  }
}

// A list with Count items named by the prefix and their numbers.
std::vector<std::string> Numbered(const std::string& Prefix, int Count) {
  std::vector<std::string> items;
  for (int i = 0; i < Count; ++i) items.push_back(Prefix + std::to_string(i));
  return items;
}

// The entry in front of the items, the last of which makes room.
std::vector<std::string> InFront(const std::string& Entry, std::vector<std::string> Items) {
  Items.insert(Items.begin(), Entry);
  Items.pop_back();
  return Items;
}

// Every list the window stores, changed in a run that began while "Preferences.ini" was held,
// released while the window runs or only before the exit: the entries the run added go in front
// of the file's, which stay in their order, within the list's own limit.
TEST_F(LockedPreferences, TheWindowsListsKeepTheFilesEntriesTheRunNeverTouched) {
  using L = std::vector<std::string>;
  std::vector<std::string> recent;
  for (int i = 0; i < 15; ++i) recent.push_back(WideToAnsi(folder_.Write(L"r" + std::to_wstring(i) + L".txt", "r")));
  const WideString x = folder_.Write(L"x.txt", "x");
  auto findDialog = [](TMainForm& Form) {
    TFindAndReplaceForm* find = EnsureFindAndReplaceForm(Form);
    find->Show();
    return find;
  };
  const struct {
    const char* Section;
    L File;
    std::function<void(TMainForm&)> Change;
    L Expected;
  } rows[] = {
      {"MainForm\\mrlstMain_Items", recent, [&](TMainForm& f) { f.OpenFiles({x}); }, InFront(WideToAnsi(x), recent)},
      {"FindAndReplaceForm\\cmbxFindWhat_Items", Numbered("h", 15),
       [&](TMainForm& f) {
         TFindAndReplaceForm* find = findDialog(f);
         find->cmbxFindWhat->SetText(L"foo");
         find->Find(false, false);
         FreeFindAndReplaceForm();
       },
       InFront("foo", Numbered("h", 15))},
      {"LastChars",
       {"65", "66"},
       [&](TMainForm& f) {
         auto* submenu = dynamic_cast<TBarCustomItem*>(f.FindComponent("smnitmCharacter"));
         f.smnitmCharacterClick(submenu);
         AddRecentChar(f.CharPalette(), 200);
       },
       {"200", "65", "66"}},
  };
  for (const auto& row : rows) {
    for (bool releasedEarly : {true, false}) {
      const std::string why = row.Section + std::string(releasedEarly ? ", released early" : ", released at the end");
      std::string text = "[" + std::string(row.Section) + "]\r\nCount=" + std::to_string(row.File.size()) + "\r\n";
      for (size_t i = 0; i < row.File.size(); ++i) text += "Item" + std::to_string(i) + "=" + row.File[i] + "\r\n";
      TMainForm& form = StartHeld(text + "[Other]\r\nk=file\r\n");
      if (releasedEarly) held_.Release();
      row.Change(form);
      held_.Release();
      Exit();
      TMemIniFile ini(Preferences());
      EXPECT_EQ(ListOf(ini, row.Section), row.Expected) << why;
      EXPECT_EQ(ini.ReadString("Other", "k", ""), "file") << why;
      CreateGlobals(Preferences(), folder_.File(L"Highlighters"));
    }
  }
}

// Started while another program holds "Preferences.ini": the box says, in the language chosen,
// that the program starts with its defaults and, once the file can be read, keeps the file's
// settings and writes only this run's changes; the toolbar under the box shows the empty
// document's commands as they stand from the first: nothing to cut, copy, paste, undo or redo,
// and word wrap pressed.
TEST_F(LockedPreferences, TheBoxAboutAFileHeldAtStartTellsWhatHappensOverTheToolbarAsItStands) {
  ASSERT_TRUE(LangManager().RegisterLanguageFile(BuildPath(L"app\\Languages\\Russian.lng")));
  const struct {
    LANGID Language;
    WideString Start, Says;
  } rows[] = {
      {1033, L"The settings file \u201C",
       L"\u201D could not be read. The program starts with its default settings; once the file can be read, it "
       L"keeps the settings in the file and writes only the changes made in this run."},
      {1049,
       L"\u041D\u0435 \u0443\u0434\u0430\u043B\u043E\u0441\u044C "
       L"\u043F\u0440\u043E\u0447\u0438\u0442\u0430\u0442\u044C",
       L"\u0442\u043E\u043B\u044C\u043A\u043E \u0438\u0437\u043C\u0435\u043D\u0435\u043D\u0438\u044F"},
  };
  const char* const items[] = {"tbitmCut", "tbitmCopy", "tbitmPaste", "tbitmUndo", "tbitmRedo", "tbitmWordWrap"};
  for (const auto& row : rows) {
    FreeGlobals();
    folder_.Write(L"Preferences.ini", "[Editor]\r\nTabWidth=5\r\n");
    LangManager().SetLanguageID(row.Language);
    if (OpenClipboard(nullptr)) {
      EmptyClipboard();
      CloseClipboard();
    }
    THeldFile held(Preferences());
    CreateGlobals(Preferences(), folder_.File(L"Highlighters"));
    boxes_.Clear();
    std::vector<std::string> seen;
    boxes_.OnShow = [&](const WideString&) {
      for (const char* name : items)
        if (auto* item = dynamic_cast<TBarCustomItem*>(form_->FindComponent(name)))
          seen.push_back(std::string(name) + (item->Enabled() ? " on" : " off") + (item->Checked() ? ", pressed" : ""));
    };
    TMainForm::HoldStartupWarnings() = true;
    TMainForm& form = Make();
    TMainForm::HoldStartupWarnings() = false;
    form.Show();
    for (int i = 0; i < 20 && boxes_.Texts.empty(); ++i) Application->ProcessMessages();
    boxes_.OnShow = nullptr;
    ASSERT_EQ(boxes_.Texts.size(), 1u) << row.Language;
    const WideString& box = boxes_.Texts[0];
    EXPECT_EQ(box.substr(0, row.Start.size()), row.Start) << WideToUtf8(box);
    EXPECT_NE(box.find(Preferences()), WideString::npos) << WideToUtf8(box);
    EXPECT_NE(box.find(row.Says), WideString::npos) << WideToUtf8(box);
    EXPECT_EQ(seen, (std::vector<std::string>{"tbitmCut off", "tbitmCopy off", "tbitmPaste off", "tbitmUndo off",
                                              "tbitmRedo off", "tbitmWordWrap on, pressed"}))
        << row.Language;
    held.Release();
    Exit();
    CreateGlobals(Preferences(), folder_.File(L"Highlighters"));
  }
  LangManager().SetLanguageID(LangManager().DefaultLanguageID());
  LangManager().ClearLanguageFiles();
}

// A damaged "Preferences.ini" held while the program starts: the window's storage keeps it
// beside it once it can read it, and the user is told once, in the language chosen, whether the
// storage read it during the run or only at the exit; the next run tells nothing.
TEST_F(LockedPreferences, ADamagedFileReadLateIsKeptAndToldOnce) {
  ASSERT_TRUE(LangManager().RegisterLanguageFile(BuildPath(L"app\\Languages\\Russian.lng")));
  const std::string damaged = "\xEF\xBB\xBF[Editor]\r\nTabWidth=5\r\n[MainForm]\r\nx=caf\xE9\r\n";
  const WideString kept = DamagedSettingsFileName(Preferences());
  for (bool russian : {false, true}) {
    FreeGlobals();
    DeleteFileW(kept.c_str());
    folder_.Write(L"Preferences.ini", damaged);
    LangManager().SetLanguageID(russian ? 1049 : 1033);
    THeldFile held(Preferences());
    CreateGlobals(Preferences(), folder_.File(L"Highlighters"));
    TMainForm& form = Make();
    form.OnShow(&form);
    boxes_.Clear();
    held.Release();
    auto told = [&] {
      size_t boxes = 0;
      for (const WideString& box : boxes_.Texts)
        if (box.find(kept) != WideString::npos) {
          ++boxes;
          EXPECT_EQ(box.substr(0, 4), russian ? L"\u0424\u0430\u0439\u043B" : L"The ") << WideToUtf8(box);
        }
      return boxes;
    };
    if (!russian) {
      // Read during the run, by the find dialog: told then, once its read is through.
      EnsureFindAndReplaceForm(form)->Show();
      EXPECT_EQ(told(), 0u) << "not from inside the read";
      for (int i = 0; i < 3; ++i) Application->ProcessMessages();
      EXPECT_EQ(told(), 1u);
      FreeFindAndReplaceForm();
    }
    Exit();
    EXPECT_EQ(folder_.Read(L"Preferences (damaged).ini"), damaged) << russian;
    EXPECT_EQ(told(), 1u) << russian;
    EXPECT_EQ(TMemIniFile(Preferences()).ReadString("Editor", "TabWidth", ""), "5") << russian;
    boxes_.Clear();
    CreateGlobals(Preferences(), folder_.File(L"Highlighters"));
    TMainForm& next = Make();
    next.OnShow(&next);
    Exit();
    EXPECT_TRUE(boxes_.Texts.empty()) << russian;
    EXPECT_FALSE(FileExists(folder_.File(L"Preferences (damaged 2).ini"))) << russian;
    CreateGlobals(Preferences(), folder_.File(L"Highlighters"));
  }
  LangManager().SetLanguageID(LangManager().DefaultLanguageID());
  LangManager().ClearLanguageFiles();
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
