// The main window's life beyond its documents: the command list of its menu, "Shortcuts.ini" read
// at creation and written at the end, the recent list when shown, the character palette with "LastChars", and errors
// logged, never shown.
#include "app/CharPalette.h"
#include "app/DocumentTabs.h"
#include "app/Shortcuts.h"
#include "app/Startup.h"
#include "app/FilePaths.h"
#include "foundation/ApStrHolder.h"
#include "foundation/LgLanguage.h"
#include "framework/Actions.h"
#include "framework/IniFiles.h"
#include "framework/Streams.h"
#include "framework/ShortCuts.h"
#include "tests/app/DocumentTestSupport.h"
#include "themes/SkinItem.h"
#include "themes/SkinToolbar.h"
#include "themes/UiExtItems.h"
#include "themes/UiStatusBars.h"

namespace {

using MainLifeCycle = DocumentTest;

// Removes the data-folder file now and when the test ends.
struct TDataFile {
  explicit TDataFile(const wchar_t* Name) : name(DataPath(Name)) {
    ForceDirectories(GetDataFolder());
    DeleteFileW(name.c_str());
  }
  ~TDataFile() { DeleteFileW(name.c_str()); }
  std::string Read() const {
    TFileStream f(name, fmOpenRead);
    std::string bytes(static_cast<size_t>(f.Size()), '\0');
    f.ReadBuffer(bytes.data(), static_cast<int>(bytes.size()));
    return bytes;
  }
  void Write(const std::string& Bytes) const { WriteWholeFile(name, Bytes); }
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
  // Item1 names another item than the one at its index: ignored.
  shortcuts.Write("[Shortcuts]\r\nItem2=mnitmOpen, Ctrl+Shift+O, F3\r\nItem1=mnitmOpen, F12\r\n");
  TMainForm& form = Make();
  // The menu bar in order, each menu before its items (the command menus sit between File and View).
  const AnsiString commands = form.CommandList()->Text();
  const AnsiString fileMenu =
      "smnitmFile\r\nmnitmNew\r\nmnitmOpen\r\nsmnitmRecentDocuments\r\nmnitmSave\r\nmnitmSaveAs\r\n"
      "mnitmSaveAll\r\nmnitmClose\r\nmnitmCloseAll\r\nmnitmPageSetup\r\nmnitmPrint\r\nmnitmExit\r\nsmnitmEdit\r\n";
  EXPECT_EQ(commands.substr(0, fileMenu.size()), fileMenu);
  EXPECT_NE(commands.find("\r\nsmnitmView\r\nmnitmPrintPreview\r\n"), AnsiString::npos);
  EXPECT_NE(commands.find("\r\nsmnitmCharacter\r\nsmnitmHelp\r\nmnitmOnTheInternet\r\nmnitmCheckForUpdates\r\n"),
            AnsiString::npos);
  EXPECT_EQ(Keys(form.actnOpen), "Shift+Ctrl+O|F3");
  EXPECT_EQ(Keys(form.actnNew), "Ctrl+N");
  // Locked toolbars (the default) cannot be dragged; the tab bar's dock never can.
  EXPECT_FALSE(form.dckTop->AllowDrag());
  form.FormShow(&form);  // the new empty document has no file for the recent list
  EXPECT_EQ(form.mrlstMain->Items()->Count(), 0);
  const WideString file = folder_.Write(L"\x0431.txt", "b");
  form.OpenFiles({file});
  form.FormShow(&form);  // a file opened during the start goes on it then
  EXPECT_EQ(form.mrlstMain->Items()->Text(), file + L"\r\n");
  form.actnNew->SetShortCut(TextToShortCut(AnsiString("Alt+N")));
  Free(form_);
  form_ = nullptr;
  const std::string saved = shortcuts.Read();
  for (const char* line : {"Item2=mnitmOpen, Shift+Ctrl+O, F3\r\n", "Item1=mnitmNew, Alt+N\r\n", "Count=101\r\n"})
    EXPECT_NE(saved.find(line), std::string::npos) << line;
  EXPECT_EQ(saved.find("Item0="), std::string::npos);  // a submenu without an action has no entry
}

TEST_F(MainLifeCycle, TheCharacterSubmenuAndLastChars) {
  TMainForm& form = Make();
  auto* submenu = dynamic_cast<TBarCustomItem*>(form.FindComponent("smnitmCharacter"));
  ASSERT_NE(submenu, nullptr);
  form.smnitmCharacterClick(submenu);
  form.smnitmCharacterClick(submenu);  // opened again: still one palette
  TCharPalette* palette = form.CharPalette();
  ASSERT_TRUE(palette && submenu->Count() == 1 && submenu->Items(0) == palette);
  EXPECT_TRUE(palette->RowCount() == 3 && palette->Enabled());
  int col = 1, row = 0;
  bool allow = true;
  form.CharPaletteClick(palette, col, row, allow);
  EXPECT_EQ(Editor(0)->Lines()->Text(), "\xBB");
  EXPECT_EQ(palette->Chars()->Strings(0), "187");
  Editor(0)->SetReadOnly(true);
  form.smnitmCharacterClick(submenu);
  EXPECT_FALSE(palette->Enabled());
  // A language switch brings its own hint formats.
  form.mltstrnghldrMain->GetStringsByName("sCharCode")->SetText("Code %d");
  form.lngcntrlrMainLanguageChanged(form.lngcntrlrMain);
  EXPECT_EQ(palette->GetCellHint(0, 0), L"Code 187\r\nShortcut keys: Alt+0187");
  Free(form_);
  form_ = nullptr;
  TMemIniFile ini(::Options->FileName());
  EXPECT_EQ(ini.ReadString("LastChars", "Item0", "") + ini.ReadString("LastChars", "Item1", ""), "187171");
}

TEST_F(MainLifeCycle, ALanguageSwitchFormatsTheCombinedTextsAgain) {
  TMainForm& form = Make();
  auto* internet = dynamic_cast<TCustomAction*>(form.FindComponent("actnOnTheInternet"));
  ASSERT_NE(internet, nullptr);
  // What a language file puts in place: the texts alone, before they are put together.
  struct TCase {
    const char* Item;
    const char* Text;
  };
  const TCase cases[] = {{"sOnTheInternet", "%s im Internet"}, {"sInsert", "Einf"}, {"sLineColumn", "Z %d, S %d"}};
  for (const TCase& c : cases) form.mltstrnghldrMain->GetStringsByName(c.Item)->SetText(c.Text);
  internet->SetCaption(L"%s im Internet");
  // The window's controller reaches the window's handler through the form file.
  ASSERT_TRUE(form.lngcntrlrMain && form.lngcntrlrMain->OnLanguageChanged);
  form.lngcntrlrMain->OnLanguageChanged(form.lngcntrlrMain);
  EXPECT_EQ(internet->Caption(), L"Halcorn Verdan im Internet");
  TUiStatusPanels* panels = form.stsbrMain->Panels();
  EXPECT_EQ(panels->Items(0)->Caption(), L"Z 1, S 1");
  EXPECT_EQ(panels->Items(2)->Caption(), L"Einf");
}

// What a later copy hands over opens in the options' encoding, through the window's handler.
TEST_F(MainLifeCycle, AHandedOverCommandLineOpensInTheOptionsEncoding) {
  TMainForm& form = Make();
  const WideString latin = folder_.Write(L"latin.txt", "caf\xC3\xA9");
  const WideString cyrillic = folder_.Write(L"koi.txt", "\xF0\xD2\xC9\xD7\xC5\xD4");
  for (auto [option, file, encoding] :
       {std::tuple{teAutoSelect, latin, teUtf8}, {teAnsi, latin, teAnsi}, {teCyrillicKoi8, cyrillic, teCyrillicKoi8}}) {
    ::Options->Encoding = option;
    TStringListW handed;
    handed.Add(file);
    form.appinstncsMainCmdLineReceived(nullptr, &handed);
    TDocument* opened = DocumentList->FindByFileName(file);
    ASSERT_NE(opened, nullptr) << option;
    EXPECT_EQ(opened->Encoding, encoding) << option;
    EXPECT_EQ(form.ActiveDocument(), opened);
    form.CloseDocument(opened);
  }
  ::Options->Encoding = teAutoSelect;
}

TEST_F(MainLifeCycle, APageChangeBringsCaptionAndPanelsUpToDateAtOnce) {
  TMainForm& form = Make();
  const WideString first = folder_.Write(L"first.txt", "one\r\ntwo");
  const WideString second = folder_.Write(L"se&cond.txt", "x");
  form.OpenFiles({first, second});
  ASSERT_EQ(DocumentList->Count(), 3);
  Editor(1)->SetCaretXY({3, 2});
  // No idle pass runs between the change and the checks.
  const struct {
    int Document;
    const wchar_t* Caption;
    const wchar_t* Panel0;
  } cases[] = {
      {1, L"first.txt", L"Ln 2, col 3"}, {2, L"se&cond.txt", L"Ln 1, col 1"}, {1, L"first.txt", L"Ln 2, col 3"}};
  for (const auto& c : cases) {
    form.pglstMain->SetActivePage(Doc(c.Document)->Page());
    EXPECT_EQ(form.Caption(), folder_.File(c.Caption) + L" \u2014 Halcorn Verdan");
    EXPECT_EQ(form.stsbrMain->Panels()->Items(0)->Caption(), c.Panel0);
  }
}

TEST_F(MainLifeCycle, ThePaletteIsTheFirstItemOfTheCharacterSubmenu) {
  TMainForm& form = Make();
  auto* submenu = dynamic_cast<TBarCustomItem*>(form.FindComponent("smnitmCharacter"));
  ASSERT_NE(submenu, nullptr);
  auto* other = new TSkinItem(&form);
  submenu->Add(other);
  form.smnitmCharacterClick(submenu);
  form.smnitmCharacterClick(submenu);
  ASSERT_EQ(submenu->Count(), 2);
  EXPECT_EQ(submenu->Items(0), form.CharPalette());
  EXPECT_EQ(submenu->Items(1), other);
}

TEST_F(MainLifeCycle, ErrorsReachingTheLoopAreLoggedNotShown) {
  TDataFile log(L"Errors.log");
  Make();
  try {
    throw EConvertError("a conversion failed");
  } catch (...) {
    Application->HandleException(nullptr);
  }
  EXPECT_TRUE(boxes_.Shown.empty());
  EXPECT_NE(log.Read().find("a conversion failed"), std::string::npos);
}

}  // namespace
