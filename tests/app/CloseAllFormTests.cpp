// The close-all dialog: its entries, the keys that check, clear and invert the marks, and the
// answers of its buttons.
#include "app/CloseAllFrm.h"
#include "framework/Actions.h"
#include "tests/app/DocumentTestSupport.h"

namespace {

using CloseAllDialog = DocumentTest;

TEST_F(CloseAllDialog, EntriesKeysAndButtons) {
  TMainForm::StartupFiles() = {folder_.Write(L"a&b.txt", "a"), folder_.Write(L"c.txt", "c")};
  TMainForm& form = Make();
  form.NewDocument()->Frame()->edtDocument->SetTextA("first line\r\n\r\n second ");
  std::unique_ptr<TCloseAllForm> dialog(New<TCloseAllForm>(&form, &form));
  for (int i = 0; i < 3; ++i) dialog->AddDocument(Doc(i));
  auto marks = [&] {
    std::string m;
    for (int i = 0; i < dialog->Count(); ++i) m += dialog->Checked(i) ? 'x' : '.';
    return m;
  };
  EXPECT_EQ(marks(), "xxx");
  EXPECT_EQ(dialog->Entry(1)->Text, Doc(1)->FileName);
  EXPECT_EQ(dialog->Entry(2)->Text, L"first line second ") << "a preview of a text never saved";
  struct Case {
    Word key;
    TShiftState shift;
    const char *before, *after;
  } cases[] = {{'I', {ssCtrl}, "x..", ".xx"}, {'D', {ssCtrl}, "xx.", "..."},          {'A', {ssCtrl}, ".x.", "xxx"},
               {'A', {}, ".x.", ".x."},       {'A', {ssCtrl, ssShift}, "...", "..."}, {'B', {ssCtrl}, "x.x", "x.x"}};
  for (const Case& c : cases) {
    for (int i = 0; i < 3; ++i) dialog->SetChecked(i, c.before[i] == 'x');
    Word key = c.key;
    dialog->lstbxCloseAllKeyDown(dialog->lstbxCloseAll, key, c.shift);
    EXPECT_EQ(marks(), c.after) << char(c.key) << c.before;
  }
  // Nothing checked: "Save" is disabled; Cancel answers No, "Don't save" Yes.
  Word key = 'D';
  dialog->lstbxCloseAllKeyDown(dialog->lstbxCloseAll, key, {ssCtrl});
  dialog->actnSaveUpdate(dialog->actnSave);
  EXPECT_FALSE(dialog->actnSave->Enabled());
  dialog->actnCancelExecute(nullptr);
  EXPECT_EQ(dialog->ModalResult(), mrNo);
  dialog->actnDontSaveExecute(nullptr);
  EXPECT_EQ(dialog->ModalResult(), mrYes);
}

}  // namespace
