// The sort, lines processing, statistics, character map, page setup and about dialogs, driven by posted messages as a
// user drives them, with their results checked in the document's editor.
#include "framework/Win.h"

#include "app/AboutFrm.h"
#include "app/AppControls.h"
#include "themes/SkinControls.h"
#include "app/CharacterFrm.h"
#include "app/LinesProcessingFrm.h"
#include "app/NSStringGrid.h"
#include "app/PageSetupFrm.h"
#include "app/SortFrm.h"
#include "app/StatisticsFrm.h"
#include "app/WindowRoutines.h"
#include "controls/ApSpin.h"
#include "foundation/ApFormPlacement.h"
#include "framework/Actions.h"
#include "framework/Clipboard.h"
#include "framework/DateTime.h"
#include "framework/ExtCtrls.h"
#include "framework/IniFiles.h"
#include "framework/ListControls.h"
#include "framework/Printers.h"
#include "framework/StdCtrls.h"
#include "tests/app/DocumentTestSupport.h"
#include "tests/common/ModalForms.h"

namespace {

using LineDialogs = DocumentTest;

AnsiString EditorText(TTxtEdit* Editor) { return Editor->Lines()->Text(); }

TEST_F(LineDialogs, SortOrdersTheWholeTextAsOneUndoStep) {
  const char* const mixed = "b\r\nA\r\nc\r\na";
  const struct {
    bool Descending, MatchCase, RemoveDuplicates;
    const char* Text;
    const char* Expected;
  } cases[] = {
      {false, false, false, mixed, "A\r\na\r\nb\r\nc"},
      {true, false, false, mixed, "c\r\nb\r\nA\r\na"},
      {false, false, true, mixed, "A\r\nb\r\nc"},
      {false, true, true, mixed, "a\r\nA\r\nb\r\nc"},
      // Lines in order already: still the one edit of the command, the whole text replaced.
      {false, false, false, "A\r\na\r\nb\r\nc", "A\r\na\r\nb\r\nc"},
  };
  Make();
  TTxtEdit* editor = Editor(0);
  for (const auto& c : cases) {
    editor->Lines()->SetText(c.Text);
    editor->UndoList()->Clear();
    auto* form = New<TSortForm>(nullptr, Doc(0));
    std::vector<TWinControl*> clicks;
    if (c.Descending) clicks.push_back(form->rdbtnDescending);
    if (c.MatchCase) clicks.push_back(form->chckbxMatchCase);
    if (c.RemoveDuplicates) clicks.push_back(form->chckbxRemoveDuplicates);
    for (TWinControl* w : clicks) PostMessageW(w->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(ShowModalForm(form, {form->btnSort}), mrOk);
    EXPECT_EQ(EditorText(editor), c.Expected) << c.Descending << c.MatchCase << c.RemoveDuplicates;
    EXPECT_TRUE(editor->CanUndo() && !editor->SelAvail()) << c.Text;
    editor->Undo();
    EXPECT_EQ(EditorText(editor), c.Text);
  }
}

TEST_F(LineDialogs, SortOfASelectionKeepsItsFinalBreakAndTheLineAfter) {
  Make();
  TTxtEdit* editor = Editor(0);
  editor->Lines()->SetText("z\r\ny\r\nx\r\nlast");
  // Lines 1 to 3 selected up to the start of line 4.
  editor->SetBlockBegin({1, 1});
  editor->SetBlockEnd({1, 4});
  auto* form = New<TSortForm>(nullptr, Doc(0));
  EXPECT_TRUE(form->pnlBanner->Visible());
  EXPECT_EQ(ShowModalForm(form, {form->btnSort}), mrOk);
  EXPECT_EQ(EditorText(editor), "x\r\ny\r\nz\r\nlast");
}

TEST_F(LineDialogs, SortIsRefusedForOneLineOrAReadOnlyDocument) {
  Make();
  TTxtEdit* editor = Editor(0);
  for (const char* text : {"only", ""}) {
    editor->Lines()->SetText(text);
    auto* form = New<TSortForm>(nullptr, Doc(0));
    EXPECT_FALSE(form->pnlBanner->Visible());
    form->actnSort->Update();
    EXPECT_FALSE(form->actnSort->Enabled()) << text;
    EXPECT_EQ(ShowModalForm(form, {form->btnSort}), mrCancel);
  }
  editor->Lines()->SetText("b\r\na");
  editor->SetReadOnly(true);
  auto* form = New<TSortForm>(nullptr, Doc(0));
  EXPECT_EQ(ShowModalForm(form, {form->btnSort}), mrCancel);
  EXPECT_EQ(EditorText(editor), "b\r\na");
}

// A double click on an order sorts as the Sort button does, and only what the button may sort.
TEST_F(LineDialogs, ADoubleClickOnAnOrderSortsOnlyWhatTheButtonMay) {
  Make();
  TTxtEdit* editor = Editor(0);
  const struct {
    const char* Text;
    bool ReadOnly, Descending;
    const char* Expected;
  } cases[] = {{"b\r\na\r\nc", false, false, "a\r\nb\r\nc"},
               {"b\r\na\r\nc", false, true, "c\r\nb\r\na"},
               {"b\r\na", true, false, "b\r\na"},
               {"b\r\na", true, true, "b\r\na"},
               {"only", false, false, "only"}};
  for (const auto& c : cases) {
    editor->SetReadOnly(false);
    editor->Lines()->SetText(c.Text);
    editor->SetReadOnly(c.ReadOnly);
    std::unique_ptr<TSortForm> form(New<TSortForm>(nullptr, Doc(0)));
    TRadioButton* tile = c.Descending ? form->rdbtnDescending : form->rdbtnAscending;
    tile->SetChecked(true);
    ASSERT_TRUE(tile->OnDblClick);
    tile->OnDblClick(tile);
    EXPECT_EQ(EditorText(editor), c.Expected) << c.Text << (c.ReadOnly ? " read-only" : "");
    EXPECT_EQ(form->ModalResult(), EditorText(editor) == c.Text ? mrNone : mrOk) << c.Text;
  }
  editor->SetReadOnly(false);
}

TEST_F(LineDialogs, LinesProcessingInsertsOrNumbersAndKeepsItsHistory) {
  Make();
  TTxtEdit* editor = Editor(0);
  editor->Lines()->SetText("one\r\n\r\nthree");
  auto* form = New<TLinesProcessingForm>(nullptr, Doc(0));
  EXPECT_FALSE(form->cmbxPostfix->Enabled());
  form->actnProcess->Update();
  EXPECT_FALSE(form->actnProcess->Enabled());  // both texts empty
  form->cmbxAtLinesEnd->SetText(L",");
  EXPECT_EQ(ShowModalForm(form, {form->btnProcess}), mrOk);
  EXPECT_EQ(EditorText(editor), "one,\r\n,\r\nthree,");
  editor->Undo();
  EXPECT_EQ(EditorText(editor), "one\r\n\r\nthree");

  editor->Lines()->SetText("a\r\nb\r\nc");
  form = New<TLinesProcessingForm>(nullptr, Doc(0));
  form->cmbxPostfix->SetText(L") ");
  form->spnedtNumberStart->SetValue(9);
  PostMessageW(form->rdbtnNumbering->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(ShowModalForm(form, {form->btnProcess}), mrOk);
  EXPECT_EQ(EditorText(editor), "9) a\r\n10) b\r\n11) c");
}

// The sort and lines dialogs keep their choices in the main window's settings: written on
// closing under their own sections, shown again by the next dialog.
TEST_F(LineDialogs, SortAndLinesChoicesAreKeptBetweenRuns) {
  TMainForm& main = Make();
  TTxtEdit* editor = Editor(0);
  editor->Lines()->SetText("b\r\nA\r\nc\r\na");
  auto* sort = New<TSortForm>(nullptr, Doc(0), main.SettingsStorage());
  EXPECT_EQ(sort->frmstrgSort->AppStoragePath(), "SortForm\\");
  EXPECT_EQ(ShowModalForm(sort, {sort->rdbtnDescending, sort->chckbxRemoveDuplicates, sort->btnSort}), mrOk);
  EXPECT_EQ(EditorText(editor), "c\r\nb\r\nA");

  editor->Lines()->SetText("x\r\ny");
  auto* lines = New<TLinesProcessingForm>(nullptr, Doc(0), main.SettingsStorage());
  EXPECT_EQ(lines->frmstrgLinesProcessing->AppStoragePath(), "LinesFormattingForm\\");
  lines->cmbxPostfix->SetText(L") ");
  lines->spnedtNumberStart->SetValue(7);
  EXPECT_EQ(ShowModalForm(lines, {lines->rdbtnNumbering, lines->btnProcess}), mrOk);
  EXPECT_EQ(EditorText(editor), "7) x\r\n8) y");

  TMemIniFile ini(folder_.File(L"Preferences.ini"));
  const struct {
    const char* Section;
    const char* Key;
    const char* Value;
  } stored[] = {
      {"SortForm", "rdbtnAscending_Checked", "0"},
      {"SortForm", "rdbtnDescending_Checked", "1"},
      {"SortForm", "chckbxMatchCase_Checked", "0"},
      {"SortForm", "chckbxRemoveDuplicates_Checked", "1"},
      {"LinesFormattingForm", "rdbtnInsertText_Checked", "0"},
      {"LinesFormattingForm", "rdbtnNumbering_Checked", "1"},
      {"LinesFormattingForm\\cmbxPostfix_Items", "Count", "2"},
  };
  for (const auto& v : stored) EXPECT_EQ(ini.ReadString(v.Section, v.Key, "?"), v.Value) << v.Section << " " << v.Key;
  EXPECT_EQ(ini.ReadString("SortForm", "NormPos", ""), "") << "no placement is kept";

  // The next dialogs start as these were left.
  editor->Lines()->SetText("a\r\nb\r\nB");
  sort = New<TSortForm>(nullptr, Doc(0), main.SettingsStorage());
  EXPECT_EQ(ShowModalForm(sort, {sort->btnSort}), mrOk);
  EXPECT_EQ(EditorText(editor), "b\r\na");
  editor->Lines()->SetText("p\r\nq");
  lines = New<TLinesProcessingForm>(nullptr, Doc(0), main.SettingsStorage());
  EXPECT_EQ(ShowModalForm(lines, {lines->btnProcess}), mrOk);
  EXPECT_EQ(EditorText(editor), "7) p\r\n8) q");
}

// Each text used goes to the top of its history, which keeps fifteen entries, and stays in its
// box; an empty text joins no history.
TEST_F(LineDialogs, LinesProcessingHistoriesKeepFifteenNewestFirst) {
  Make();
  const struct {
    const wchar_t* Begin;
    const wchar_t* First;
    const wchar_t* Last;
  } cases[] = {{L"h5", L"h5", L"h14"}, {L"new", L"new", L"h13"}, {L"", L"h0", L"h14"}};
  for (const auto& c : cases) {
    Editor(0)->Lines()->SetText("a\r\nb");
    std::unique_ptr<TLinesProcessingForm> form(New<TLinesProcessingForm>(nullptr, Doc(0)));
    TStringsW* history = form->cmbxAtLinesBegin->Items();
    for (int i = 0; i < 15; ++i) history->Add(L"h" + std::to_wstring(i));
    form->cmbxAtLinesBegin->SetText(c.Begin);
    form->cmbxAtLinesEnd->SetText(L";");
    form->actnProcessExecute(nullptr);
    const AnsiString begin = WideToAnsi(c.Begin);
    EXPECT_EQ(EditorText(Editor(0)), begin + "a;\r\n" + begin + "b;");
    ASSERT_EQ(history->Count(), 15) << begin;
    EXPECT_EQ(history->Strings(0), c.First);
    EXPECT_EQ(history->Strings(14), c.Last);
    EXPECT_EQ(form->cmbxAtLinesBegin->Text(), c.Begin);
    EXPECT_EQ(form->cmbxAtLinesEnd->Items()->Strings(0), L";");
  }
}

TEST_F(LineDialogs, NumberingASelectionThatEndsInsideALineNumbersTheFragment) {
  Make();
  TTxtEdit* editor = Editor(0);
  editor->Lines()->SetText("alpha\r\nbeta\r\ngamma");
  editor->SetBlockBegin({3, 1});
  editor->SetBlockEnd({3, 2});
  auto* form = New<TLinesProcessingForm>(nullptr, Doc(0));
  form->spnedtNumberStart->SetValue(2.5);
  EXPECT_TRUE(form->pnlBanner->Visible());
  EXPECT_EQ(ShowModalForm(form, {form->rdbtnNumbering, form->btnProcess}), mrOk);
  EXPECT_EQ(EditorText(editor), "al2.5. pha\r\n3.5. beta\r\ngamma");
}

TEST_F(LineDialogs, StatisticsShowTheCountsOfTheTextOrTheSelection) {
  Make();
  TTxtEdit* editor = Editor(0);
  editor->Lines()->SetText("one two, three.\r\nfour");
  auto* form = New<TStatisticsForm>(nullptr, Doc(0));
  EXPECT_EQ(form->lblWordsValue->Caption(), L"4");
  EXPECT_EQ(form->lblPunctuationValue->Caption(), L"2");
  EXPECT_EQ(form->lblCharsWithSpacesValue->Caption(), L"19");
  EXPECT_EQ(form->lblCharsNoSpacesValue->Caption(), L"17");
  EXPECT_EQ(form->lblLinesValue->Caption(), L"2");
  EXPECT_FALSE(form->pnlBanner->Visible());
  EXPECT_EQ(ShowModalForm(form, {form->btnClose}), mrCancel);

  editor->Lines()->SetText("ab cd. ef");
  editor->SetBlockBegin({1, 1});
  editor->SetBlockEnd({7, 1});
  form = New<TStatisticsForm>(nullptr, Doc(0));
  EXPECT_TRUE(form->pnlBanner->Visible());
  EXPECT_EQ(form->lblWordsValue->Caption(), L"2");
  EXPECT_EQ(form->lblPunctuationValue->Caption(), L"1");
  EXPECT_EQ(form->lblCharsNoSpacesValue->Caption(), L"5");
  delete form;
}

TEST(CharacterGrid, ColumnsAreFittedPixelByPixelToTheClientWidth) {
  const struct {
    std::vector<int> Widths;
    int Client, Line;
    std::vector<int> Expected;
  } cases[] = {
      {{10, 10, 10}, 40, 1, {14, 12, 12}},
      {{20, 20}, 30, 2, {15, 13}},
      {{5, 5}, 12, 1, {6, 5}},
      {{}, 10, 1, {}},
  };
  for (const auto& c : cases) EXPECT_EQ(FitColumnWidths(c.Widths, c.Client, c.Line), c.Expected) << c.Client;
}

TEST_F(LineDialogs, CharacterMapInsertsCopiesAndRemembersCharacters) {
  Make();
  TTxtEdit* editor = Editor(0);
  editor->Lines()->SetText("ab");
  RecentCharacters()->Clear();
  auto* form = New<TCharacterForm>(nullptr, Doc(0));
  EXPECT_EQ(form->strngrdCharacter->Cells(6, 0), L"&");
  EXPECT_EQ(form->strngrdCharacter->Cells(15, 13), L"\u00FF");
  int total = 0;
  for (int c = 0; c < 16; ++c) total += form->strngrdCharacter->ColWidths(c) + 1;
  EXPECT_EQ(total, form->strngrdCharacter->ClientWidth() + 1);
  form->strngrdCharacter->SetCurrent(233 % 16, 233 / 16 - 2);
  // The label writes the code as the status bar does: hexadecimal digits in capitals.
  EXPECT_EQ(form->lblCharCode->Caption(), L"Char code: 233 (0xE9)");
  EXPECT_EQ(form->lblShortcutKey->Caption(), L"Shortcut keys: Alt+0233");
  form->actnInsertHTMLCode->Execute();
  form->actnInsertCode->Execute();
  form->actnCopy->Execute();
  EXPECT_EQ(Clipboard()->AsWideText(), L"\u00E9");
  EXPECT_EQ(ShowModalForm(form, {form->btnInsert, form->btnInsert}), mrCancel);
  EXPECT_EQ(EditorText(editor),
            "&#233;233\xe9\xe9"
            "ab");
  EXPECT_EQ(RecentCharacters()->Text(), "233\r\n");
  // Sixteen distinct characters: the oldest leaves the list of fifteen, the newest is first
  // and the grid opens on it.
  form = New<TCharacterForm>(nullptr, Doc(0));
  for (int code = 65; code < 81; ++code) {
    form->strngrdCharacter->SetCurrent(code % 16, code / 16 - 2);
    form->actnInsert->Execute();
  }
  delete form;
  EXPECT_EQ(RecentCharacters()->Count(), 15);
  EXPECT_EQ(RecentCharacters()->Strings(0), "80");
  EXPECT_EQ(RecentCharacters()->IndexOf("233"), -1);
  form = New<TCharacterForm>(nullptr, Doc(0));
  form->FormShow(nullptr);
  EXPECT_EQ(form->CurrentCode(), 80);
  // A read-only document takes nothing; copying still works.
  editor->SetReadOnly(true);
  for (TAction* a : {form->actnInsert, form->actnInsertCode, form->actnInsertHTMLCode}) {
    a->Update();
    EXPECT_FALSE(a->Enabled());
  }
  form->actnCopy->Update();
  EXPECT_TRUE(form->actnCopy->Enabled());
  delete form;
  RecentCharacters()->Clear();
}

// The map shown by the main window keeps its place in the main window's settings.
TEST_F(LineDialogs, CharacterMapKeepsItsPlace) {
  TMainForm& main = Make();
  TCharacterForm* map = ShowCharacterDialog(main);
  EXPECT_EQ(map->frmstrgCharacter->AppStoragePath(), "CharacterForm\\");
  EXPECT_TRUE(map->frmstrgCharacter->Options() == TPlacementOptions{fpLocation});
  map->SetLeft(map->Left() + 17);
  const int left = map->Left();
  map->actnClose->Execute();
  EXPECT_NE(TMemIniFile(folder_.File(L"Preferences.ini")).ReadString("CharacterForm", "NormPos", ""), "");
  FreeCharacterForm();
  map = ShowCharacterDialog(main);
  EXPECT_EQ(map->Left(), left);
  FreeCharacterForm();
}

struct TPrinterAnswer {
  explicit TPrinterAnswer(bool (*Answer)()) { TPageSetupForm::PrinterPresent = Answer; }
  ~TPrinterAnswer() { TPageSetupForm::PrinterPresent = nullptr; }
};
bool noPrinter() { return false; }
bool aPrinter() { return true; }

TEST_F(LineDialogs, PageSetupOkNeedsAPrinter) {
  TPrinterAnswer none(&noPrinter);
  Make();
  auto* form = New<TPageSetupForm>(nullptr, Doc(0));
  form->actnOK->Update();
  EXPECT_FALSE(form->actnOK->Enabled());
  EXPECT_EQ(ShowModalForm(form, {form->btnOK}), mrCancel);
}

TEST_F(LineDialogs, PageSetupAppliesToTheDocumentAndKeepsMarginsPerOrientation) {
  TPrinterAnswer present(&aPrinter);
  Make();
  TDocument* doc = Doc(0);
  TTxtEditPrint* print = doc->Frame()->edtprntEditor;
  auto* form = New<TPageSetupForm>(nullptr, doc);
  form->spnedtTop->HandleNeeded();  // values typed into the field arrive through its window
  EXPECT_TRUE(form->infbrPortrait->Checked());
  EXPECT_DOUBLE_EQ(static_cast<double>(form->spnedtLeft->Value()), 3);
  // Landscape shows its own margins; a value typed there is kept when going back and forth.
  form->infbrLandscape->SetChecked(true);
  form->infbrLandscapeClick(nullptr);
  EXPECT_DOUBLE_EQ(static_cast<double>(form->spnedtLeft->Value()), 2);
  form->spnedtTop->SetValue(4.5);
  form->infbrPortrait->SetChecked(true);
  form->infbrPortraitClick(nullptr);
  EXPECT_DOUBLE_EQ(static_cast<double>(form->spnedtTop->Value()), 2);
  form->infbrLandscape->SetChecked(true);
  form->infbrLandscapeClick(nullptr);
  EXPECT_DOUBLE_EQ(static_cast<double>(form->spnedtTop->Value()), 4.5);
  // Cancelled: the remembered margins and the document stay as they were.
  EXPECT_EQ(ShowModalForm(form, {form->btnCancel}), mrCancel);
  EXPECT_EQ(::Options->lMarginsTop, 3);
  EXPECT_EQ(doc->Orientation, 0);

  form = New<TPageSetupForm>(nullptr, doc);
  form->spnedtTop->HandleNeeded();
  form->infbrLandscape->SetChecked(true);
  form->infbrLandscapeClick(nullptr);
  form->spnedtTop->SetValue(4.5);
  EXPECT_EQ(ShowModalForm(form, {form->chckbxLineNumbers, form->chckbxPageNumbers, form->btnOK}), mrOk);
  EXPECT_EQ(::Options->lMarginsTop, 4.5);
  EXPECT_EQ(::Options->pMarginsTop, 2);
  EXPECT_EQ(doc->Orientation, 1);
  EXPECT_EQ(Printer()->Orientation(), poLandscape);
  EXPECT_DOUBLE_EQ(print->Margins()->Top(), 4.5);
  EXPECT_DOUBLE_EQ(print->Margins()->Left(), 2);
  EXPECT_TRUE(print->LineNumbers());
  EXPECT_FALSE(doc->PrintPageNumbers);
  Printer()->SetOrientation(poPortrait);
}

struct TRecordedShell {
  static inline std::vector<WideString> opened;
  static void Open(const WideString& FileName, const WideString&, const WideString&) { opened.push_back(FileName); }
};

TEST_F(LineDialogs, AboutNamesTheProductAndOpensTheSite) {
  struct TClock2030 : TClock {
    TDateTime Now() const override { return EncodeDate(2030, 5, 1); }
  } clock;
  TClock* previous = SetClock(&clock);
  TShellOpenHandler shell = SetShellOpenHandler(&TRecordedShell::Open);
  auto* form = New<TAboutForm>(nullptr);
  SetClock(previous);
  EXPECT_EQ(form->lblProduct->Caption(), L"Halcorn Verdan 1.4");
  EXPECT_EQ(form->lblMaker->Caption(), L"\u00A9 2024\u20132030 Halcorn");
  EXPECT_EQ(MakerLine(2024), L"\u00A9 2024 Halcorn");
  EXPECT_EQ(form->lblSite->Caption(), L"www.halcorn.com");
  EXPECT_EQ(form->lblSite->Cursor(), crHandPoint);
  SendMessageW(form->lblSite->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  SendMessageW(form->lblSite->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  SetShellOpenHandler(shell);
  EXPECT_EQ(TRecordedShell::opened, std::vector<WideString>{L"http://www.halcorn.com/"});
  // The skinned button closes on a press and release of the mouse.
  EXPECT_EQ(form->ModalResult(), mrNone);
  SendMessageW(form->btnClose->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  SendMessageW(form->btnClose->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  EXPECT_EQ(form->ModalResult(), mrCancel);
  delete form;
}

}  // namespace
