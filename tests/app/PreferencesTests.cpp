// The preferences dialog: its controls filled from the options, OK applying them to every open
// editor in its eight steps (colours, the recent list and tab bar, associations, the language,
// the command list), Cancel changing nothing, the font chosen in the list included; the command
// list's drawing, its "Edit..." opening the keyboard shortcuts dialog, and "Clear list".
#include "framework/Win.h"

#include "app/Associations.h"
#include "app/DocumentTabs.h"
#include "framework/FileRoutines.h"
#include "framework/IniFiles.h"
#include "app/FilePaths.h"
#include "app/MainActions.h"
#include "app/KeyboardShortcutsFrm.h"
#include "app/NSApColorButton.h"
#include "app/NSHotKey.h"
#include "app/NSTextDialogs.h"
#include "app/PreferencesFrm.h"
#include "controls/ApPageList.h"
#include "controls/ApSpin.h"
#include "foundation/LgLanguage.h"
#include "framework/Actions.h"
#include "framework/ExtCtrls.h"
#include "framework/ListControls.h"
#include "framework/Registry.h"
#include "framework/Screen.h"
#include "framework/ShortCuts.h"
#include "framework/StdCtrls.h"
#include "framework/Streams.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/DocumentTestSupport.h"
#include "tests/common/ModalForms.h"
#include "themes/SkinControls.h"
#include "themes/SkinEditors.h"
#include "themes/UiStatusBars.h"
#include "themes/UiExtItems.h"
#include "toolbars/BarItem.h"
#include "toolbars/BarMRU.h"

namespace {

class Preferences : public DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    registry.SetRootKey(HKEY_CLASSES_ROOT);
    CleanRegistry();
  }
  void TearDown() override {
    CleanRegistry();
    host_ = nullptr;
    TPreferencesForm::LanguagesFolder().clear();
    LangManager().SetLanguageID(LangManager().DefaultLanguageID());
    LangManager().ClearLanguageFiles();
    DocumentTest::TearDown();
  }
  void CleanRegistry() {
    for (const wchar_t* key : {L"\\.hvq", L"\\hvqfile", L"\\HalcornVerdanAssociations"}) registry.DeleteKey(key);
  }
  TMainForm& Main() {
    TMainForm& main = Make();
    host_ = &main;
    return main;
  }
  // The window the dialogs apply to: the main window once made.
  TDocumentHost* host_ = nullptr;
  TRegistry registry;
};

TEST_F(Preferences, OkAppliesTheOptionsToEveryOpenEditorAndTheMainWindow) {
  ::Options->RightMargin = 80;
  TMainForm& main = Main();
  main.NewDocument();
  ASSERT_EQ(DocumentList->Count(), 2);
  for (int i = 0; i < 2; ++i) ConfigureEditor(Editor(i), *::Options);
  EXPECT_EQ(Editor(0)->RightEdge(), 80);

  auto* form = New<TPreferencesForm>(nullptr, host_);
  EXPECT_TRUE(form->chckbxRightMargin->Checked() && form->spnedtPosition->Enabled());
  form->spnedtTabWidth->SetText(L"4");
  form->cmbxEditorFontSize->SetItemIndex(form->cmbxEditorFontSize->Items()->IndexOf(L"12"));
  form->spnedtNumberOfDocuments->SetText(L"7");
  form->cmbxCloseButton->SetItemIndex(2);
  struct {
    TNSApColorButton* Button;
    TColor Value;
  } colours[] = {{form->clrbtnNormalTextBackground, TColor(0x00FFFF)},
                 {form->clrbtnNormalTextForeground, clNavy},
                 {form->clrbtnCurrentLineBackground, TColor(0x102030)},
                 {form->clrbtnGutterBackground, clMaroon},
                 {form->clrbtnGutterForeground, clTeal},
                 {form->clrbtnSelectionBackground, clGreen},
                 {form->clrbtnSelectionForeground, clPurple},
                 {form->clrbtnRightMarginBackground, clOlive},
                 {form->clrbtnBracketsBackground, clLime},
                 {form->clrbtnBookmarkLineBackground, clSilver},
                 {form->clrbtnBookmarkLineForeground, clFuchsia}};
  for (const auto& c : colours) c.Button->SetColor(c.Value);
  EXPECT_EQ(
      ShowModalForm(form, {form->chckbxRightMargin, form->chckbxGutter, form->chckbxTrimTrailingSpaces, form->btnOK},
                    PostMouseClick),
      mrOk);
  EXPECT_EQ(::Options->RightMargin, 0);
  EXPECT_EQ(::Options->TabWidth, 4);
  EXPECT_FALSE(::Options->Gutter);
  EXPECT_TRUE(::Options->ShowLineNumbers);  // disabled with the gutter, still written as checked
  EXPECT_EQ(::Options->NumberOfDocuments, 7);
  EXPECT_EQ(::Options->CloseButton, 2);
  const TColor written[] = {
      ::Options->NormalTextBackground,   ::Options->NormalTextForeground,  ::Options->CurrentLineBackground,
      ::Options->GutterBackground,       ::Options->GutterForeground,      ::Options->SelectionBackground,
      ::Options->SelectionForeground,    ::Options->RightMarginBackground, ::Options->BracketsBackground,
      ::Options->BookmarkLineBackground, ::Options->BookmarkLineForeground};
  for (size_t i = 0; i < std::size(colours); ++i) EXPECT_EQ(written[i], colours[i].Value) << i;
  // Step 1 reaches the recent list and the tab bar.
  EXPECT_EQ(main.mrlstMain->MaxItems(), 7);
  EXPECT_EQ(main.tlbrTabBar->CloseButton(), 2);
  // Step 3: every open editor.
  for (int i = 0; i < 2; ++i) {
    TTxtEdit* e = Editor(i);
    EXPECT_EQ(e->RightEdge(), 0) << i;
    EXPECT_EQ(e->TabWidth(), 4) << i;
    EXPECT_FALSE(e->Gutter()->Visible()) << i;
    EXPECT_TRUE(e->Options().Contains(eoTrimTrailingSpaces)) << i;
    EXPECT_TRUE(e->Options().Contains(eoShowScrollHint)) << i;
    EXPECT_EQ(e->Font()->Size(), 12) << i;
    EXPECT_EQ(e->Gutter()->Font()->Size(), 10) << i;  // two points below the text, as in a new document
    EXPECT_EQ(e->Color(), TColor(0x00FFFF)) << i;
    EXPECT_EQ(e->Font()->Color(), clNavy) << i;
    EXPECT_EQ(e->ActiveLineColor(), TColor(0x102030)) << i;
    EXPECT_EQ(e->Gutter()->Color(), clMaroon) << i;
    EXPECT_EQ(e->SelectedColor()->Background(), clGreen) << i;
    EXPECT_EQ(e->RightEdgeColor(), clOlive) << i;
  }
}

TEST_F(Preferences, CancelChangesNothingNotEvenTheFontOrColoursChosen) {
  TMainForm& main = Main();
  const AnsiString font = ::Options->EditorFontName;
  const LANGID language = LangManager().GetLanguageID();
  auto* form = New<TPreferencesForm>(nullptr, host_);
  EXPECT_EQ(form->cmbxEditorFontName->Items()->Count(), 1);
  form->cmbxEditorFontNameDropDown(nullptr);
  TStringsW* fonts = form->cmbxEditorFontName->Items();
  int other = -1;
  for (int i = 0; i < fonts->Count() && other < 0; ++i)
    if (WideToAnsi(fonts->Strings(i)) != font) other = i;
  ASSERT_GE(other, 0) << "no second monospaced font";
  form->cmbxEditorFontName->SetItemIndex(other);
  form->clrbtnNormalTextBackground->SetColor(clRed);
  form->spnedtNumberOfDocuments->SetText(L"3");
  form->chckbxOther->SetChecked(true);
  form->edtOther->SetText(L".hvq");
  EXPECT_EQ(ShowModalForm(form, {form->chckbxGutter, form->btnCancel}, PostMouseClick), mrCancel);
  EXPECT_EQ(::Options->EditorFontName, font);
  EXPECT_TRUE(::Options->Gutter);
  EXPECT_EQ(::Options->NormalTextBackground, clWindow);
  EXPECT_EQ(::Options->NumberOfDocuments, 15);
  EXPECT_TRUE(Editor(0)->Gutter()->Visible());
  EXPECT_EQ(Editor(0)->Color(), clWindow);
  EXPECT_NE(main.mrlstMain->MaxItems(), 3);
  EXPECT_EQ(LangManager().GetLanguageID(), language);
  EXPECT_FALSE(registry.KeyExists(L"\\HalcornVerdanAssociations\\hvq"));
}

TEST_F(Preferences, TheGutterBoxEnablesTheLineNumberBoxesAndPagesAreRemembered) {
  Make();
  auto* form = New<TPreferencesForm>(nullptr, host_);
  EXPECT_EQ(form->pglstPreferences->GetActivePageIndex(), 0);
  EXPECT_EQ(form->pglstColors->GetActivePageIndex(), 0);
  EXPECT_EQ(form->lstbxPreferences->Items()->Count(), 7);
  EXPECT_EQ(form->pglstPreferences->GetPageCount(), 7);
  form->chckbxGutter->SetChecked(false);
  form->chckbxGutterClick(nullptr);
  EXPECT_FALSE(form->chckbxShowLineNumbers->Enabled() || form->chckbxNumberAllLines->Enabled());
  form->chckbxRightMargin->SetChecked(false);
  form->chckbxRightMarginClick(nullptr);
  EXPECT_FALSE(form->spnedtPosition->Enabled() || form->lblPosition->Enabled());
  // The list turns the pages when clicked and when the mouse is dragged over it.
  form->lstbxPreferences->SetItemIndex(2);
  form->lstbxPreferencesMouseMove(nullptr, TShiftState{}, 5, 5);
  EXPECT_EQ(form->pglstPreferences->GetActivePageIndex(), 0);
  form->lstbxPreferencesMouseMove(nullptr, TShiftState{ssLeft}, 5, 5);
  EXPECT_EQ(form->pglstPreferences->GetActivePageIndex(), 2);
  form->lstbxPreferences->SetItemIndex(3);
  form->lstbxPreferencesClick(nullptr);
  // The colour category chooses the page of its buttons.
  form->cmbxCategory->SetItemIndex(5);
  form->cmbxCategoryClick(nullptr);
  EXPECT_EQ(form->pglstColors->GetActivePageIndex(), 5);
  EXPECT_EQ(ShowModalForm(form, {form->btnCancel}, PostMouseClick), mrCancel);
  EXPECT_EQ(::Options->PreferencesPage, 3);
  EXPECT_EQ(::Options->ColorCategory, 5);
  form = New<TPreferencesForm>(nullptr, host_);
  EXPECT_EQ(form->pglstPreferences->GetActivePageIndex(), 3);
  EXPECT_EQ(form->lstbxPreferences->ItemIndex(), 3);
  EXPECT_EQ(form->cmbxCategory->ItemIndex(), 5);
  EXPECT_EQ(form->pglstColors->GetActivePageIndex(), 5);
  delete form;
}

// "Colors" ends the options' pages: an etched line along its entry's bottom, from 1 pixel in.
TEST_F(Preferences, TheColorsEntryEndsInAnEtchedLine) {
  Make();
  std::unique_ptr<TPreferencesForm> form(New<TPreferencesForm>(nullptr, host_));
  form->lstbxPreferences->SetItemIndex(0);
  form->Show();
  RedrawWindow(form->lstbxPreferences->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  TWindowDC dc(form->lstbxPreferences->Handle());
  for (int i = 2; i <= 4; ++i) {
    const TRect r = form->lstbxPreferences->ItemRect(i);
    // The light row is the window's colour here: only the shadow row tells the line's extent.
    for (auto [x, y, shadow] : {std::tuple{r.Left, r.Bottom - 2, false},
                                {r.Left + 1, r.Bottom - 2, i == 3},
                                {r.Right - 1, r.Bottom - 2, i == 3},
                                {r.Left + 1, r.Bottom - 1, false},
                                {r.Left + 1, r.Bottom - 3, false}})
      EXPECT_EQ(GetPixel(dc.Get(), x, y) == ColorToRGB(clBtnShadow), shadow)
          << "entry " << i << " at " << x << "," << y;
    if (i == 3) {
      EXPECT_EQ(GetPixel(dc.Get(), r.Left + 1, r.Bottom - 1), ColorToRGB(clBtnHighlight));
    }
  }
  form->Hide();
}

// A small menu: File (a menu of the bar) holding Open (Ctrl+O and F3), Save (no key), a
// submenu "Recent" without action, and inside it "More" with Ctrl+M.
struct TMenu {
  TComponent Owner{nullptr};
  TBarCustomItem* Root = New<TBarCustomItem>(&Owner);
  TBarCustomItem* Add(TBarCustomItem* Parent, const wchar_t* Caption, const char* Key, bool Action) {
    auto* item = New<TBarCustomItem>(&Owner);
    item->SetCaption(Caption);
    Parent->Add(item);
    if (Action) {
      auto* action = New<TAction>(&Owner);
      action->SetShortCut(TextToShortCut(AnsiString(Key)));
      item->SetAction(action);
    }
    return item;
  }
};

TEST(CommandEntries, IndentShortcutAndArrowFollowTheMenu) {
  TMenu menu;
  TBarCustomItem* file = menu.Add(menu.Root, L"&File", "", false);
  TBarCustomItem* open = menu.Add(file, L"&Open...", "Ctrl+O", true);
  CommandAction(open)->SecondaryShortCuts()->Add("F3");
  TBarCustomItem* save = menu.Add(file, L"&Save", "", true);
  TBarCustomItem* find = menu.Add(file, L"&Find", "", true);
  CommandAction(find)->SecondaryShortCuts()->Add("F3");
  TBarCustomItem* recent = menu.Add(file, L"Recent", "", false);
  TBarCustomItem* more = menu.Add(recent, L"More", "Ctrl+M", true);
  const TRect rect{0, 20, 300, 40};
  auto width = [](const WideString& Text) { return static_cast<int>(Text.size()) * 7; };
  struct {
    TBarCustomItem* Item;
    int Depth;
    TRect Caption;
    const wchar_t* Shortcut;
    TRect Keys;
    bool Arrow;
  } cases[] = {
      {file, 0, {4, 23, 300, 36}, L"", {}, false},
      // "Ctrl+O, ..." is 11 characters: 77 pixels, ending 14 pixels in; the caption has the
      // space left of it.
      {open, 1, {18, 23, 209, 36}, L"Ctrl+O, ...", {209, 23, 286, 36}, false},
      {save, 1, {18, 23, 300, 36}, L"", {}, false},
      // Keys besides none first: the entry still shows that it has some.
      {find, 1, {18, 23, 251, 36}, L", ...", {251, 23, 286, 36}, false},
      {recent, 1, {18, 23, 290, 36}, L"", {}, true},
      {more, 2, {32, 23, 244, 36}, L"Ctrl+M", {244, 23, 286, 36}, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MenuDepth(c.Item), c.Depth) << WideToAnsi(c.Item->Caption());
    const TCommandEntryLayout layout = CommandEntryLayout(c.Item, rect, 13, width);
    EXPECT_EQ(layout.CaptionRect, c.Caption) << WideToAnsi(c.Item->Caption());
    EXPECT_EQ(layout.Shortcut, c.Shortcut) << WideToAnsi(c.Item->Caption());
    if (*c.Shortcut) {
      EXPECT_EQ(layout.ShortcutRect, c.Keys) << WideToAnsi(c.Item->Caption());
    }
    EXPECT_EQ(layout.Arrow, c.Arrow) << WideToAnsi(c.Item->Caption());
  }
  EXPECT_EQ(CommandEntryLayout(recent, rect, 13, width).ArrowAt, TPoint(292, 30));
  EXPECT_EQ(CommandEntryLayout(nullptr, rect, 13, width).CaptionRect, TRect(4, 23, 300, 36));
}

// The keyboard shortcuts dialog, once it shows, gets a new key and is confirmed.
TShortCut newKey = TShortCut(0);
void CALLBACK ConfirmShortcutDialog(HWND, UINT, UINT_PTR Id, DWORD) {
  for (int i = 0; i < Screen->FormCount(); ++i)
    if (auto* dialog = dynamic_cast<TKeyboardShortcutsForm*>(Screen->Forms(i)); dialog && dialog->Visible()) {
      KillTimer(nullptr, Id);
      dialog->htkShortcut->SetHotKey(newKey);
      dialog->actnAssignExecute(nullptr);
      dialog->actnOKExecute(nullptr);
      return;
    }
}

TEST_F(Preferences, EditOpensTheKeyboardShortcutsDialogForTheSelectedCommand) {
  TMainForm& main = Main();
  auto* form = New<TPreferencesForm>(nullptr, host_);
  TStringsW* entries = form->lstbxCommands->Items();
  ASSERT_EQ(entries->Count(), main.CommandList()->Count());
  ASSERT_GT(entries->Count(), 2);
  // Nothing is chosen until the user chooses.
  EXPECT_EQ(form->lstbxCommands->ItemIndex(), -1);
  form->actnEditUpdate(nullptr);
  EXPECT_FALSE(form->actnEdit->Enabled());
  // A menu of the bar has no action: nothing to edit.
  auto* first = dynamic_cast<TBarCustomItem*>(entries->Objects(0));
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(CommandAction(first), nullptr);
  EXPECT_EQ(entries->Strings(0), first->Caption());
  form->lstbxCommands->SetItemIndex(0);
  form->actnEditUpdate(nullptr);
  EXPECT_FALSE(form->actnEdit->Enabled());
  int command = -1;
  for (int i = 0; i < entries->Count() && command < 0; ++i)
    if (CommandAction(entries->Objects(i))) command = i;
  ASSERT_GE(command, 0);
  form->lstbxCommands->SetItemIndex(command);
  form->actnEditUpdate(nullptr);
  EXPECT_TRUE(form->actnEdit->Enabled());
  TCustomAction* action = CommandAction(entries->Objects(command));
  newKey = ShortCut('K', TShiftState{ssCtrl, ssAlt});
  ASSERT_TRUE(form->btnEdit->Action() == form->actnEdit);
  const WideString shortcuts = DataPath(L"Shortcuts.ini");
  ForceDirectories(GetDataFolder());
  DeleteFileW(shortcuts.c_str());
  SetTimer(nullptr, 0, 20, ConfirmShortcutDialog);
  form->actnEditExecute(nullptr);
  const std::vector<WideString> keys = ActionShortcuts(action);
  EXPECT_NE(std::find(keys.begin(), keys.end(), WideString(L"Ctrl+Alt+K")), keys.end());
  // The new key is in the file as soon as the shortcuts dialog closed with OK.
  TStringList lines;
  TMemIniFile(shortcuts).ReadSectionValues("Shortcuts", &lines);
  EXPECT_NE(lines.Text().find("Ctrl+Alt+K"), AnsiString::npos);
  DeleteFileW(shortcuts.c_str());
  delete form;
}

TEST_F(Preferences, ClearListEmptiesTheRecentListAndTheRememberedCaretPositions) {
  TMainForm& main = Main();
  const WideString file = folder_.Write(L"a.txt", "text");
  main.mrlstMain->Add(file);
  main.FilesPos()->Add(file + L"|3|4");
  auto* form = New<TPreferencesForm>(nullptr, host_);
  form->actnClearListUpdate(nullptr);
  EXPECT_TRUE(form->actnClearList->Enabled());
  form->actnClearListExecute(nullptr);
  EXPECT_EQ(main.mrlstMain->Items()->Count(), 0);
  EXPECT_EQ(main.FilesPos()->Count(), 0);
  form->actnClearListUpdate(nullptr);
  EXPECT_FALSE(form->actnClearList->Enabled());
  delete form;
  // Written at once: positions read back later stay cleared.
  main.LoadFilesPos();
  EXPECT_EQ(main.FilesPos()->Count(), 0);
  EXPECT_EQ(main.RestoreCaret(file), TPoint(1, 1));
}

TEST_F(Preferences, AssociationsAreRegisteredShownAndUndoneOnOk) {
  Main();
  auto* form = New<TPreferencesForm>(nullptr, host_);
  // Administrators (as here) may change them: no banner, every box enabled.
  EXPECT_FALSE(form->pnlBanner->Visible());
  EXPECT_TRUE(form->chckbxTextDocuments->Enabled() && form->edtOther->Enabled());
  EXPECT_FALSE(form->chckbxOther->Checked());
  EXPECT_EQ(form->edtOther->Text(), L".lng .todo");
  form->chckbxOther->SetChecked(true);
  form->edtOther->SetText(L"  .HVQ  ");
  form->chckbxRestoreFileAssociationsAtStartup->SetChecked(true);
  form->actnOKExecute(nullptr);
  delete form;
  EXPECT_TRUE(registry.KeyExists(L"\\HalcornVerdanAssociations\\hvq"));
  EXPECT_TRUE(registry.KeyExists(L"\\hvqfile\\shell\\open\\command"));
  EXPECT_TRUE(::Options->RestoreFileAssociationsAtStartUp);
  // Shown again as registered.
  form = New<TPreferencesForm>(nullptr, host_);
  EXPECT_TRUE(form->chckbxOther->Checked());
  EXPECT_EQ(form->edtOther->Text(), L".hvq");
  EXPECT_FALSE(form->chckbxTextDocuments->Checked());
  EXPECT_TRUE(form->chckbxRestoreFileAssociationsAtStartup->Checked());
  // Every box clear: everything undone, the start-up option off.
  form->chckbxOther->SetChecked(false);
  form->chckbxRestoreFileAssociationsAtStartup->SetChecked(false);
  form->actnOKExecute(nullptr);
  delete form;
  EXPECT_FALSE(registry.KeyExists(L"\\HalcornVerdanAssociations\\hvq"));
  EXPECT_FALSE(registry.KeyExists(L"\\.hvq"));
  EXPECT_FALSE(::Options->RestoreFileAssociationsAtStartUp);
  EXPECT_TRUE(boxes_.Shown.empty());
}

bool notAnAdministrator() { return false; }

// For a user who may not change the associations the boxes are disabled, and OK leaves the
// registry as it is (a command planted in the program's keys stays) and tells of no failure.
TEST_F(Preferences, OkForAUserWhoIsNotAnAdministratorLeavesTheAssociationsAlone) {
  Main();
  ASSERT_TRUE(RegisterAssociation(L"hvq", true));
  registry.OpenKey(L"\\hvqfile\\shell\\open\\command", true);
  registry.WriteString(L"", L"planted %1");
  registry.CloseKey();
  const TAdministratorCheck previous = SetAdministratorCheck(notAnAdministrator);
  auto* form = New<TPreferencesForm>(nullptr, host_);
  EXPECT_TRUE(form->pnlBanner->Visible());
  EXPECT_FALSE(form->chckbxOther->Enabled() || form->edtOther->Enabled());
  EXPECT_TRUE(form->chckbxOther->Checked());
  const bool restore = ::Options->RestoreFileAssociationsAtStartUp;
  form->actnOKExecute(nullptr);
  delete form;
  SetAdministratorCheck(previous);
  EXPECT_TRUE(boxes_.Shown.empty());
  registry.OpenKey(L"\\hvqfile\\shell\\open\\command", false);
  EXPECT_EQ(registry.ReadString(L""), L"planted %1");
  registry.CloseKey();
  EXPECT_EQ(::Options->RestoreFileAssociationsAtStartUp, restore);
}

TEST_F(Preferences, ARefusedRegistryWriteIsToldOnceAndTheStepsAfterItStillRun) {
  TMainForm& main = Main();
  main.CommandList()->Clear();
  ::Options->EditorFontSize = 30;  // not in the list: no size selected, 10 written
  auto* form = New<TPreferencesForm>(nullptr, host_);
  EXPECT_EQ(form->cmbxEditorFontSize->ItemIndex(), -1);
  // Fields that do not parse take their defaults.
  form->spnedtTabWidth->SetText(L"");
  form->spnedtNumberOfDocuments->SetText(L"");
  form->chckbxRightMargin->SetChecked(true);
  form->spnedtPosition->SetText(L"");
  // No key name may be that long: the system refuses the extension's keys.
  form->chckbxOther->SetChecked(true);
  form->edtOther->SetText(L"." + WideString(300, L'q') + L" .hvq");
  form->chckbxRestoreFileAssociationsAtStartup->SetChecked(true);
  form->actnOKExecute(nullptr);
  EXPECT_EQ(form->ModalResult(), mrOk);
  delete form;
  ASSERT_EQ(boxes_.Shown.size(), 1u);
  EXPECT_EQ(boxes_.Shown[0].rfind(L"The file associations could not be changed", 0), 0u);
  EXPECT_TRUE(registry.KeyExists(L"\\HalcornVerdanAssociations\\hvq"));
  EXPECT_TRUE(::Options->RestoreFileAssociationsAtStartUp);
  EXPECT_GT(main.CommandList()->Count(), 0);
  EXPECT_EQ(
      std::tuple(::Options->EditorFontSize, ::Options->TabWidth, ::Options->NumberOfDocuments, ::Options->RightMargin),
      std::tuple(10, 8, 15, 80));
}

// The number the program's own language file gives a component's text in a form's section.
WideString TextNumber(const WideString& Section, const WideString& Property) {
  TFileStream file(BuildPath(L"app\\Languages\\English.lng"), fmOpenRead | fmShareDenyWrite);
  std::string bytes(static_cast<size_t>(file.Size()), '\0');
  file.ReadBuffer(bytes.data(), static_cast<int>(bytes.size()));
  WideString text(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
  size_t at = text.find(L"[" + Section + L"]");
  at = text.find(L"; " + Property + L"\r\n", at);
  if (at == WideString::npos) return L"";
  at = text.find(L"\r\n", at) + 2;
  return text.substr(at, text.find(L'=', at) - at);
}

TEST_F(Preferences, ALanguageChosenOnOkTranslatesEveryFormAndTheCommandListIsRebuilt) {
  TMainForm& main = Main();
  const WideString caption = TextNumber(L"PreferencesForm", L"Caption");
  const WideString preferences = TextNumber(L"MainForm", L"actnPreferences.Caption");
  ASSERT_FALSE(caption.empty() || preferences.empty());
  TTestFolder languages;
  languages.Write(L"Deutsch.lng",
                  WideToAnsi(L"LANGID=1031\r\n[PreferencesForm]\r\n" + caption + L"=Einstellungen\r\n[MainForm]\r\n" +
                             preferences + L"=Einstellungen...\r\n"));
  TPreferencesForm::LanguagesFolder() = languages.Path();
  const int commands = main.CommandList()->Count();
  main.CommandList()->Clear();
  auto* form = New<TPreferencesForm>(nullptr, host_);
  ASSERT_EQ(form->cmbxLanguage->Items()->Count(), 2);
  EXPECT_EQ(form->cmbxLanguage->ItemIndex(), 0);
  form->cmbxLanguage->SetItemIndex(1);
  form->actnOKExecute(nullptr);
  // The dialog that is open is translated too, its own lists kept.
  EXPECT_EQ(form->Caption(), L"Einstellungen");
  EXPECT_EQ(form->cmbxLanguage->Items()->Count(), 2);
  delete form;
  EXPECT_EQ(::Options->Language, 1031);
  EXPECT_EQ(LangManager().GetLanguageID(), 1031);
  auto* action = dynamic_cast<TAction*>(main.FindComponent("actnPreferences"));
  ASSERT_NE(action, nullptr);
  EXPECT_EQ(action->Caption(), L"Einstellungen...");
  EXPECT_EQ(main.CommandList()->Count(), commands);
  form = New<TPreferencesForm>(nullptr, host_);
  EXPECT_EQ(form->Caption(), L"Einstellungen");
  EXPECT_EQ(form->cmbxLanguage->ItemIndex(), 1);
  // Back to the first language.
  form->cmbxLanguage->SetItemIndex(0);
  form->actnOKExecute(nullptr);
  delete form;
  EXPECT_EQ(::Options->Language, 1033);
  EXPECT_EQ(action->Caption(), L"Preferences...");
}

// Russian chosen on a Western system: the texts the main window takes from its string list (the
// status bar, the close question) read in Russian, not as Western letters of their bytes.
TEST_F(Preferences, TranslatedMessagesKeepTheirLettersOnAnotherSystemCodePage) {
  ASSERT_TRUE(LangManager().RegisterLanguageFile(BuildPath(L"app\\Languages\\Russian.lng")));
  LangManager().SetLanguageID(1049);
  TMainForm& main = Main();
  main.Show();
  main.Commands->UpdateStatusBar(false);
  EXPECT_EQ(main.stsbrMain->Panels()->Items(0)->Caption(), L"\u0421\u0442\u0440 1, \u0441\u0442\u043B\u0431 1");
  EXPECT_EQ(main.stsbrMain->Panels()->Items(2)->Caption(), L"\u0412\u0441\u0442\u0430\u0432\u043A\u0430");
  Editor(0)->SetTextA("x");
  Editor(0)->SetModified(true);
  boxes_.Clear();
  main.CloseDocument(Doc(0));
  ASSERT_EQ(boxes_.Shown.size(), 1u);
  EXPECT_EQ(boxes_.Shown[0].substr(0, 11), L"\u0421\u043E\u0445\u0440\u0430\u043D\u0438\u0442\u044C \u0438");
}

// The encoding names are translated texts like the others: on a Western system they read in
// Russian, in the names the main window gives, the open dialog's encoding row and the
// preferences' list.
TEST_F(Preferences, TranslatedEncodingNamesKeepTheirLettersOnAnotherSystemCodePage) {
  ASSERT_EQ(GetACP(), 1252u);
  ASSERT_TRUE(LangManager().RegisterLanguageFile(BuildPath(L"app\\Languages\\Russian.lng")));
  LangManager().SetLanguageID(1049);
  TMainForm& main = Main();
  const WideString autoSelect = L"\u0410\u0432\u0442\u043E\u0432\u044B\u0431\u043E\u0440";
  const WideString dos = L"\u041A\u0438\u0440\u0438\u043B\u043B\u0438\u0446\u0430 (DOS)";
  EXPECT_EQ(main.EncodingName(0), autoSelect);
  EXPECT_EQ(main.EncodingName(1), L"ANSI");
  EXPECT_EQ(main.EncodingName(5), dos);
  EXPECT_EQ(main.EncodingName(8), L"");
  main.txtopndlgMainBeforeExecute(main.txtopndlgMain);
  const std::vector<WideString>& row = main.txtopndlgMain->Encodings();
  ASSERT_EQ(row.size(), 8u);
  EXPECT_EQ(row[0], autoSelect);
  EXPECT_EQ(row[5], dos);
  // The preferences' "Default encoding" list, where the garbled names were seen.
  auto* form = New<TPreferencesForm>(nullptr, host_);
  ASSERT_EQ(form->cmbxDefaultEncoding->Items()->Count(), 8);
  EXPECT_EQ(form->cmbxDefaultEncoding->Items()->Strings(0), autoSelect);
  EXPECT_EQ(form->cmbxDefaultEncoding->Items()->Strings(5), dos);
  Free(form);
}

// Esc or Enter on an open drop-down list of the dialog closes the list, not the dialog with its
// changes; on the closed list Esc cancels as before.
TEST_F(Preferences, EscapeOnAnOpenListClosesOnlyTheList) {
  Main();
  auto* form = New<TPreferencesForm>(nullptr, host_);
  form->Show();
  Application->ProcessMessages();
  auto press = [](Word Key) {
    PostMessageW(GetFocus(), WM_KEYDOWN, Key, 1);
    PostMessageW(GetFocus(), WM_KEYUP, Key, static_cast<LPARAM>(0xC0000001));
    Application->ProcessMessages();
  };
  for (Word key : {VK_ESCAPE, VK_RETURN}) {
    form->cmbxDefaultEncoding->SetFocus();
    Application->ProcessMessages();
    form->cmbxDefaultEncoding->SetDroppedDown(true);
    Application->ProcessMessages();
    ASSERT_TRUE(form->cmbxDefaultEncoding->DroppedDown());
    press(key);
    EXPECT_FALSE(form->cmbxDefaultEncoding->DroppedDown()) << key;
    EXPECT_EQ(form->ModalResult(), mrNone) << key;
  }
  press(VK_ESCAPE);
  EXPECT_EQ(form->ModalResult(), mrCancel);
  Free(form);
}

}  // namespace
