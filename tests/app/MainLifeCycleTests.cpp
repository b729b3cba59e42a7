// The main window's life beyond its documents: the command list of its menu, "Shortcuts.ini" read
// at creation and written at the end, the last documents before the command line, the recent
// list when shown, the character palette with "LastChars", and errors logged, never shown.
#include "app/CharPalette.h"
#include "app/DocumentTabs.h"
#include "app/Shortcuts.h"
#include "app/Startup.h"
#include "app/Useful.h"
#include "foundation/ApStrHolder.h"
#include "framework/Actions.h"
#include "framework/IniFiles.h"
#include "framework/ShortCuts.h"
#include "tests/app/DocumentTestSupport.h"
#include "themes/SkinToolbar.h"
#include "themes/UiExtItems.h"
#include "toolbars/BarMRU.h"

namespace {

using MainLifeCycle = DocumentTest;

// Removes the data-folder file now and when the test ends.
struct TDataFile {
  explicit TDataFile(const wchar_t* Name) : name(DataPath(Name)) {
    ForceDirectories(GetDataFolder());
    DeleteFileW(name.c_str());
  }
  ~TDataFile() { DeleteFileW(name.c_str()); }
  WideString name;
};

AnsiString Keys(TAction* Action) {
  AnsiString keys = WideToAnsi(ShortCutToText(Action->ShortCut()));
  for (int i = 0; i < Action->SecondaryShortCuts()->Count(); ++i)
    keys += "|" + Action->SecondaryShortCuts()->Strings(i);
  return keys;
}

TEST_F(MainLifeCycle, CommandListAndShortcutsFile) {
  TDataFile shortcuts(L"Shortcuts.ini");
  TMemIniFile ini(shortcuts.name);
  ini.WriteString("Shortcuts", "Item2", "mnitmOpen, Ctrl+Shift+O, F3");
  ini.WriteString("Shortcuts", "Item1", "mnitmOpen, F12");  // another item's index: ignored
  ini.UpdateFile();
  TMainForm& form = Make();
  // The menu bar in order, each menu before its items (the command menus sit between File and View).
  const AnsiString commands = form.CommandList()->Text();
  const AnsiString file =
      "smnitmFile\r\nmnitmNew\r\nmnitmOpen\r\nsmnitmRecentDocuments\r\nmnitmSave\r\nmnitmSaveAs\r\n"
      "mnitmSaveAll\r\nmnitmClose\r\nmnitmCloseAll\r\nmnitmPageSetup\r\nmnitmPrint\r\nmnitmExit\r\nsmnitmEdit\r\n";
  EXPECT_EQ(commands.substr(0, file.size()), file);
  EXPECT_NE(commands.find("\r\nsmnitmView\r\nmnitmPrintPreview\r\n"), AnsiString::npos);
  EXPECT_NE(commands.find("\r\nsmnitmCharacter\r\nsmnitmHelp\r\nmnitmOnTheInternet\r\nmnitmCheckForUpdates\r\n"),
            AnsiString::npos);
  EXPECT_EQ(Keys(form.actnOpen), "Shift+Ctrl+O|F3");
  EXPECT_EQ(Keys(form.actnNew), "Ctrl+N");
  // Locked toolbars (the default) cannot be dragged; the tab bar's dock never can.
  EXPECT_FALSE(form.dckTop->AllowDrag());
  form.actnNew->SetShortCut(TextToShortCut(AnsiString("Alt+N")));
  Free(form_);
  form_ = nullptr;
  TMemIniFile saved(shortcuts.name);
  EXPECT_EQ(saved.ReadString("Shortcuts", "Count", ""), "99");
  EXPECT_EQ(saved.ReadString("Shortcuts", "Item1", ""), "mnitmNew, Alt+N");
  EXPECT_EQ(saved.ReadString("Shortcuts", "Item2", ""), "mnitmOpen, Shift+Ctrl+O, F3");
  EXPECT_EQ(saved.ReadString("Shortcuts", "Item0", "none"), "none");
}

TEST_F(MainLifeCycle, LastDocumentsThenTheCommandLineAndTheRecentListWhenShown) {
  TDataFile last(L"LastDocuments.dat");
  const WideString a = folder_.Write(L"a.txt", "a"), b = folder_.Write(L"\x0431.txt", "b");
  {
    // As UTF-8 with its mark, so a name of any script survives.
    const std::string text = "\xEF\xBB\xBF" + WideToUtf8(a + L"\r\n" + folder_.File(L"gone.txt") + L"\r\n");
    TFileStream(last.name, fmCreate).WriteBuffer(text.data(), static_cast<int>(text.size()));
  }
  ::Options->OpenLastDocuments = true;
  TMainForm::StartupFiles() = {b};
  TMainForm& form = Make();
  ASSERT_EQ(DocumentList->Count(), 2);
  EXPECT_EQ(Doc(0)->FileName, a);
  EXPECT_EQ(Doc(1)->FileName, b);
  ASSERT_EQ(boxes_.shown.size(), 1u);  // the missing one, by name
  EXPECT_NE(boxes_.shown[0].find(L"gone.txt"), WideString::npos);
  form.FormShow(&form);
  EXPECT_EQ(form.mrlstMain->Items()->Count(), 2);
  EXPECT_GE(form.mrlstMain->Items()->IndexOf(b), 0);
}

TEST_F(MainLifeCycle, ANewDocumentStaysOffTheRecentListAndGoneFilesLeaveIt) {
  TMainForm& form = Make();
  ASSERT_EQ(DocumentList->Count(), 1);
  EXPECT_EQ(Doc(0)->Item()->Caption(), L"Document 1");
  form.FormShow(&form);
  EXPECT_EQ(form.mrlstMain->Items()->Count(), 0);
  form.smnitmRecentDocumentsClick(form.smnitmRecentDocuments);
  EXPECT_TRUE(form.bmnitmEmpty->Visible());
  const WideString kept = folder_.Write(L"kept.txt", "k"), gone = folder_.Write(L"gone.txt", "g");
  form.mrlstMain->Add(kept);
  form.mrlstMain->Add(gone);
  DeleteFileW(gone.c_str());
  form.smnitmRecentDocumentsClick(form.smnitmRecentDocuments);
  EXPECT_FALSE(form.bmnitmEmpty->Visible());
  ASSERT_EQ(form.mrlstMain->Items()->Count(), 1);
  EXPECT_EQ(form.mrlstMain->Items()->Strings(0), kept);
  EXPECT_EQ(form.mrlstitmMain->MRUList(), form.mrlstMain);
}

TEST_F(MainLifeCycle, TheCharacterSubmenuAndLastChars) {
  TMainForm& form = Make();
  auto* submenu = dynamic_cast<TBarCustomItem*>(form.FindComponent("smnitmCharacter"));
  ASSERT_NE(submenu, nullptr);
  form.smnitmCharacterClick(submenu);
  form.smnitmCharacterClick(submenu);  // opened again: still one palette
  TCharPalette* palette = form.CharPalette();
  ASSERT_TRUE(palette && submenu->Count() == 1 && submenu->Items(0) == palette);
  EXPECT_EQ(palette->RowCount(), 3);
  EXPECT_TRUE(palette->Enabled());
  EXPECT_EQ(palette->GetCellHint(1, 0), L"Char code: 187 (0xBB)\r\nShortcut keys: Alt+0187");
  int col = 1, row = 0;
  bool allow = true;
  form.CharPaletteCellClick(palette, col, row, allow);
  EXPECT_EQ(Editor(0)->Lines()->Text(), "\xBB");
  EXPECT_EQ(palette->Chars()->Strings(0), "187");
  Editor(0)->SetReadOnly(true);
  form.smnitmCharacterClick(submenu);
  EXPECT_FALSE(palette->Enabled());
  // A language switch brings its own hint formats.
  form.mltstrnghldrMain->GetStringsByName("sCharCode")->SetText("Code %d");
  form.lngcntrlrMainLanguageChanged(form.LanguageController);
  EXPECT_EQ(palette->GetCellHint(0, 0), L"Code 187\r\nShortcut keys: Alt+0187");
  Free(form_);
  form_ = nullptr;
  TMemIniFile ini(::Options->FileName());
  EXPECT_EQ(ini.ReadString("LastChars", "Item0", "") + ini.ReadString("LastChars", "Item1", ""), "187171");
}

TEST_F(MainLifeCycle, ErrorsReachingTheLoopAreLoggedNotShown) {
  TDataFile log(L"Errors.log");
  Make();
  try {
    throw EConvertError("a conversion failed");
  } catch (...) {
    Application->HandleException(nullptr);
  }
  EXPECT_TRUE(boxes_.shown.empty());
  TFileStream f(log.name, fmOpenRead);
  std::string text(static_cast<size_t>(f.Size()), '\0');
  f.ReadBuffer(text.data(), static_cast<int>(text.size()));
  EXPECT_NE(text.find("a conversion failed"), std::string::npos);
}

}  // namespace
