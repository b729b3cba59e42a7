// The preferences dialog: the options shown in its controls, written back and applied on OK.
#include "app/PreferencesFrm.h"

#include "app/DocumentFrm.h"
#include "app/Documents.h"
#include "app/Global.h"
#include "app/MainFrm.h"
#include "app/Options.h"
#include "app/UsefulWindows.h"
#include "controls/ApPageList.h"
#include "controls/ApSpin.h"
#include "editor/TxtEdit.h"
#include "foundation/LgLanguage.h"
#include "framework/Actions.h"
#include "framework/CodePages.h"
#include "framework/Conversions.h"
#include "framework/ListControls.h"
#include "framework/ScopeGuards.h"
#include "framework/Screen.h"
#include "framework/StdCtrls.h"

HV_PUBLISH(TPreferencesForm) {
  p.Method("FormCreate", &T::FormCreate);
  p.Method("FormClose", &T::FormClose);
  p.Method("lstbxPreferencesClick", &T::lstbxPreferencesClick);
  p.Method("chckbxRightMarginClick", &T::chckbxRightMarginClick);
  p.Method("chckbxGutterClick", &T::chckbxGutterClick);
  p.Method("cmbxEditorFontNameDropDown", &T::cmbxEditorFontNameDropDown);
  p.Method("actnOKExecute", &T::actnOKExecute);
  p.Method("actnCancelExecute", &T::actnCancelExecute);
#define HV_FIELD(N) p.ComponentField(#N, &T::N)
  HV_FIELD(lstbxPreferences);
  HV_FIELD(pglstPreferences);
  HV_FIELD(stndrdpgGeneral);
  HV_FIELD(stndrdpgEditing);
  HV_FIELD(stndrdpgDisplay);
  HV_FIELD(stndrdpgAdvanced);
  HV_FIELD(chckbxOpenLastDocuments);
  HV_FIELD(chckbxCheckForUpdatesAtStartup);
  HV_FIELD(cmbxDateAndTimeFormat);
  HV_FIELD(cmbxDefaultEncoding);
  HV_FIELD(chckbxIncludeUTF8SignatureBOM);
  HV_FIELD(chckbxRememberCaretPosition);
  HV_FIELD(chckbxWordWrap);
  HV_FIELD(chckbxShowNonprintingCharacters);
  HV_FIELD(chckbxScrollPastEndOfLine);
  HV_FIELD(chckbxTrimTrailingSpaces);
  HV_FIELD(chckbxAutoIndent);
  HV_FIELD(chckbxGroupUndo);
  HV_FIELD(chckbxHighlightMatchingBrackets);
  HV_FIELD(chckbxAutoCompleteBrackets);
  HV_FIELD(chckbxTabsToSpaces);
  HV_FIELD(spnedtTabWidth);
  HV_FIELD(chckbxGutter);
  HV_FIELD(chckbxShowLineNumbers);
  HV_FIELD(chckbxNumberAllLines);
  HV_FIELD(chckbxRightMargin);
  HV_FIELD(lblPosition);
  HV_FIELD(spnedtPosition);
  HV_FIELD(cmbxEditorFontName);
  HV_FIELD(cmbxEditorFontSize);
  HV_FIELD(spnedtNumberOfDocuments);
  HV_FIELD(cmbxCloseButton);
  HV_FIELD(btnOK);
  HV_FIELD(btnCancel);
  HV_FIELD(actnlstPreferences);
  HV_FIELD(actnOK);
  HV_FIELD(actnCancel);
  HV_FIELD(lngcntrlrPreferences);
#undef HV_FIELD
}

namespace {

// A number field's text, or the default when it does not parse.
int fieldNumber(TApSpinEdit* Field, int Default) { return StrToIntDef(WideToAnsi(Field->Text()), Default); }

}  // namespace

TPreferencesForm::TPreferencesForm(TComponent* AOwner) : TForm(AOwner) {}

void TPreferencesForm::FormCreate(TObject*) {
  if (!::Options) return;
  const TOptions& o = *::Options;
  lstbxPreferences->SetItemIndex(std::clamp(o.PreferencesPage, 0, lstbxPreferences->Items()->Count() - 1));
  pglstPreferences->SetActivePageIndex(lstbxPreferences->ItemIndex());
  chckbxOpenLastDocuments->SetChecked(o.OpenLastDocuments);
  chckbxCheckForUpdatesAtStartup->SetChecked(o.CheckForUpdatesAtStartup);
  cmbxDateAndTimeFormat->SetText(AnsiToWide(o.DateAndTimeFormat));
  for (int code = 0; code < 8; ++code)
    cmbxDefaultEncoding->Items()->Add(MainForm ? MainForm->EncodingName(code) : WideString(1, L'0' + code));
  cmbxDefaultEncoding->SetItemIndex(o.Encoding);
  chckbxIncludeUTF8SignatureBOM->SetChecked(o.IncludeUTF8SignatureBOM);
  chckbxRememberCaretPosition->SetChecked(o.RememberCaretPosition);
  chckbxWordWrap->SetChecked(o.WordWrap);
  chckbxShowNonprintingCharacters->SetChecked(o.ShowNonprintingCharacters);
  chckbxScrollPastEndOfLine->SetChecked(o.ScrollPastEndOfLine);
  chckbxTrimTrailingSpaces->SetChecked(o.TrimTrailingSpaces);
  chckbxAutoIndent->SetChecked(o.AutoIndent);
  chckbxGroupUndo->SetChecked(o.GroupUndo);
  chckbxHighlightMatchingBrackets->SetChecked(o.HighlightMatchingBrackets);
  chckbxAutoCompleteBrackets->SetChecked(o.AutoCompleteBrackets);
  chckbxTabsToSpaces->SetChecked(o.TabsToSpaces);
  spnedtTabWidth->SetValue(o.TabWidth);
  chckbxGutter->SetChecked(o.Gutter);
  chckbxShowLineNumbers->SetChecked(o.ShowLineNumbers);
  chckbxNumberAllLines->SetChecked(o.NumberAllLines);
  chckbxGutterClick(nullptr);
  if (o.RightMargin > 0) {
    chckbxRightMargin->SetChecked(true);
    spnedtPosition->SetValue(o.RightMargin);
  }
  chckbxRightMarginClick(nullptr);
  cmbxEditorFontName->Items()->Add(AnsiToWide(o.EditorFontName));
  cmbxEditorFontName->SetItemIndex(0);
  for (int size = 9; size <= 26; ++size) cmbxEditorFontSize->Items()->Add(std::to_wstring(size));
  cmbxEditorFontSize->SetItemIndex(cmbxEditorFontSize->Items()->IndexOf(std::to_wstring(o.EditorFontSize)));
  spnedtNumberOfDocuments->SetValue(o.NumberOfDocuments);
  cmbxCloseButton->SetItemIndex(o.CloseButton);
}

void TPreferencesForm::FormClose(TObject*, TCloseAction&) {
  if (::Options) ::Options->PreferencesPage = pglstPreferences->GetActivePageIndex();
}

void TPreferencesForm::lstbxPreferencesClick(TObject*) {
  const int index = lstbxPreferences->ItemIndex();
  if (index >= 0 && index != pglstPreferences->GetActivePageIndex()) pglstPreferences->SetActivePageIndex(index);
}

void TPreferencesForm::chckbxRightMarginClick(TObject*) {
  lblPosition->SetEnabled(chckbxRightMargin->Checked());
  spnedtPosition->SetEnabled(chckbxRightMargin->Checked());
}

void TPreferencesForm::chckbxGutterClick(TObject*) {
  chckbxShowLineNumbers->SetEnabled(chckbxGutter->Checked());
  chckbxNumberAllLines->SetEnabled(chckbxGutter->Checked());
}

void TPreferencesForm::cmbxEditorFontNameDropDown(TObject*) {
  TStringsW* items = cmbxEditorFontName->Items();
  if (items->Count() != 1) return;
  const WideString current = items->Strings(0);
  const TCursor saved = Screen->Cursor();
  Screen->SetCursor(crHourGlass);
  TScopeExit cursor([&] { Screen->SetCursor(saved); });
  TStringsW* fonts = Screen->Fonts();
  for (int i = 0; i < fonts->Count(); ++i)
    if (IsMonospacedFont(fonts->Strings(i))) items->Add(fonts->Strings(i));
  if (items->Count() == 1) return;
  items->Delete(0);
  const int index = items->IndexOf(current);
  if (index >= 0) {
    cmbxEditorFontName->SetItemIndex(index);
  } else {
    items->Insert(0, current);
    cmbxEditorFontName->SetItemIndex(0);
  }
}

void TPreferencesForm::actnOKExecute(TObject*) {
  TOptions& o = *::Options;
  if (MainForm) LockUpdate(MainForm->Handle());
  TScopeExit unlock([] { LockUpdate(nullptr); });
  // 1. General options, the recent list's length and the close button.
  o.OpenLastDocuments = chckbxOpenLastDocuments->Checked();
  o.CheckForUpdatesAtStartup = chckbxCheckForUpdatesAtStartup->Checked();
  o.DateAndTimeFormat = WideToAnsi(cmbxDateAndTimeFormat->Text());
  if (cmbxDefaultEncoding->ItemIndex() >= 0) o.Encoding = TTextEncoding(cmbxDefaultEncoding->ItemIndex());
  o.IncludeUTF8SignatureBOM = chckbxIncludeUTF8SignatureBOM->Checked();
  o.RememberCaretPosition = chckbxRememberCaretPosition->Checked();
  o.NumberOfDocuments = std::clamp(fieldNumber(spnedtNumberOfDocuments, 15), 1, 25);
  if (cmbxCloseButton->ItemIndex() >= 0) o.CloseButton = static_cast<uint8_t>(cmbxCloseButton->ItemIndex());
  // 2. Editing and display options.
  o.WordWrap = chckbxWordWrap->Checked();
  o.ShowNonprintingCharacters = chckbxShowNonprintingCharacters->Checked();
  o.ScrollPastEndOfLine = chckbxScrollPastEndOfLine->Checked();
  o.TrimTrailingSpaces = chckbxTrimTrailingSpaces->Checked();
  o.AutoIndent = chckbxAutoIndent->Checked();
  o.GroupUndo = chckbxGroupUndo->Checked();
  o.HighlightMatchingBrackets = chckbxHighlightMatchingBrackets->Checked();
  o.AutoCompleteBrackets = chckbxAutoCompleteBrackets->Checked();
  o.TabsToSpaces = chckbxTabsToSpaces->Checked();
  o.TabWidth = std::clamp(fieldNumber(spnedtTabWidth, 8), 1, 50);
  o.Gutter = chckbxGutter->Checked();
  o.ShowLineNumbers = chckbxShowLineNumbers->Checked();
  o.NumberAllLines = chckbxNumberAllLines->Checked();
  o.RightMargin = chckbxRightMargin->Checked() ? std::clamp(fieldNumber(spnedtPosition, 80), 1, 2048) : 0;
  // The font chosen in the list is taken only now, so that Cancel leaves it as it was.
  if (cmbxEditorFontName->ItemIndex() >= 0)
    o.EditorFontName = WideToAnsi(cmbxEditorFontName->Items()->Strings(cmbxEditorFontName->ItemIndex()));
  const int sizeIndex = cmbxEditorFontSize->ItemIndex();
  o.EditorFontSize = sizeIndex < 0 ? 10 : StrToIntDef(WideToAnsi(cmbxEditorFontSize->Items()->Strings(sizeIndex)), 10);
  // 3. Every open document's editor, then its printing.
  if (DocumentList)
    for (int i = 0; i < DocumentList->Count(); ++i) {
      TDocument* document = DocumentList->Documents(i);
      ApplyOptionsToEditor(document->Frame()->edtDocument, o);
      if (MainForm) MainForm->PreparePrinting(document, false);
    }
  // 4. The active document's editor takes the focus back.
  if (MainForm && MainForm->ActiveInEditView() && MainForm->Visible()) {
    TTxtEdit* editor = MainForm->ActiveEditor();
    if (editor->CanFocus()) editor->SetFocus();
  }
  SetModalResult(mrOk);
}

void TPreferencesForm::actnCancelExecute(TObject*) { SetModalResult(mrCancel); }

bool ExecutePreferencesDialog() {
  auto* form = New<TPreferencesForm>(nullptr);
  TScopeExit free([&] { delete form; });
  return form->ShowModal() == mrOk;
}
