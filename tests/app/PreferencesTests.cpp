// The preferences dialog: its controls filled from the options, OK applying them to every open
// editor, and Cancel changing nothing, the font chosen in the list included.
#include "framework/Win.h"

#include "app/PreferencesFrm.h"
#include "controls/ApPageList.h"
#include "controls/ApSpin.h"
#include "framework/Actions.h"
#include "framework/ListControls.h"
#include "framework/StdCtrls.h"
#include "tests/app/DocumentTestSupport.h"

namespace {

using Preferences = DocumentTest;

TModalResult Drive(TPreferencesForm* Form, std::initializer_list<TWinControl*> Clicks) {
  for (TWinControl* c : Clicks) PostMessageW(c->Handle(), BM_CLICK, 0, 0);
  PostMessageW(Form->Handle(), WM_CLOSE, 0, 0);
  const TModalResult result = Form->ShowModal();
  delete Form;
  return result;
}

TEST_F(Preferences, OkAppliesTheOptionsToEveryOpenEditor) {
  ::Options->RightMargin = 80;
  TMainForm& main = Make();
  main.NewDocument();
  ASSERT_EQ(DocumentList->Count(), 2);
  for (int i = 0; i < 2; ++i) ConfigureEditor(Editor(i), *::Options);
  EXPECT_EQ(Editor(0)->RightEdge(), 80);

  auto* form = New<TPreferencesForm>(nullptr);
  EXPECT_TRUE(form->chckbxRightMargin->Checked() && form->spnedtPosition->Enabled());
  form->spnedtTabWidth->SetText(L"4");
  form->cmbxEditorFontSize->SetItemIndex(form->cmbxEditorFontSize->Items()->IndexOf(L"12"));
  EXPECT_EQ(Drive(form, {form->chckbxRightMargin, form->chckbxGutter, form->chckbxTrimTrailingSpaces, form->btnOK}),
            mrOk);
  EXPECT_EQ(::Options->RightMargin, 0);
  EXPECT_EQ(::Options->TabWidth, 4);
  EXPECT_FALSE(::Options->Gutter);
  EXPECT_TRUE(::Options->ShowLineNumbers);  // disabled with the gutter, still written as checked
  for (int i = 0; i < 2; ++i) {
    TTxtEdit* e = Editor(i);
    EXPECT_EQ(e->RightEdge(), 0) << i;
    EXPECT_EQ(e->TabWidth(), 4) << i;
    EXPECT_FALSE(e->Gutter()->Visible()) << i;
    EXPECT_TRUE(e->Options().Contains(eoTrimTrailingSpaces)) << i;
    EXPECT_TRUE(e->Options().Contains(eoShowScrollHint)) << i;
    EXPECT_EQ(e->Font()->Size(), 12) << i;
    EXPECT_EQ(e->Gutter()->Font()->Size(), 12) << i;
  }
}

TEST_F(Preferences, CancelChangesNothingNotEvenTheFontChosen) {
  Make();
  const AnsiString font = ::Options->EditorFontName;
  auto* form = New<TPreferencesForm>(nullptr);
  EXPECT_EQ(form->cmbxEditorFontName->Items()->Count(), 1);
  form->cmbxEditorFontNameDropDown(nullptr);
  TStringsW* fonts = form->cmbxEditorFontName->Items();
  int other = -1;
  for (int i = 0; i < fonts->Count() && other < 0; ++i)
    if (WideToAnsi(fonts->Strings(i)) != font) other = i;
  ASSERT_GE(other, 0) << "no second monospaced font";
  form->cmbxEditorFontName->SetItemIndex(other);
  PostMessageW(form->chckbxGutter->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(Drive(form, {form->btnCancel}), mrCancel);
  EXPECT_EQ(::Options->EditorFontName, font);
  EXPECT_TRUE(::Options->Gutter);
  EXPECT_TRUE(Editor(0)->Gutter()->Visible());
}

TEST_F(Preferences, TheGutterBoxEnablesTheLineNumberBoxesAndThePageIsRemembered) {
  Make();
  auto* form = New<TPreferencesForm>(nullptr);
  EXPECT_EQ(form->pglstPreferences->GetActivePageIndex(), 0);
  form->chckbxGutter->SetChecked(false);
  form->chckbxGutterClick(nullptr);
  EXPECT_FALSE(form->chckbxShowLineNumbers->Enabled() || form->chckbxNumberAllLines->Enabled());
  form->lstbxPreferences->SetItemIndex(2);
  form->lstbxPreferencesClick(nullptr);
  EXPECT_EQ(Drive(form, {form->btnCancel}), mrCancel);
  EXPECT_EQ(::Options->PreferencesPage, 2);
  form = New<TPreferencesForm>(nullptr);
  EXPECT_EQ(form->pglstPreferences->GetActivePageIndex(), 2);
  delete form;
}

}  // namespace
