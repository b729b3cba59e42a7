// The close-all dialog: its entries, the keys that check, clear and invert the marks, and the
// answers of its buttons.
#include "app/CloseAllFrm.h"
#include "framework/Actions.h"
#include "framework/StdCtrls.h"
#include "tests/app/DocumentTestSupport.h"

namespace {

class CloseAllDialog : public DocumentTest {
 protected:
  // A dialog listing two opened files and a new document with some text.
  TCloseAllForm& Dialog() {
    TMainForm::StartupFiles() = {folder_.Write(L"a&b.txt", "a"), folder_.Write(L"c.txt", "c")};
    TMainForm& form = Make();
    form.NewDocument()->Frame()->edtDocument->SetTextA("first line\r\n\r\n second ");
    dialog_ = New<TCloseAllForm>(&form);
    for (int i = 0; i < DocumentList->Count(); ++i) dialog_->AddDocument(Doc(i));
    return *dialog_;
  }
  std::string Marks() {
    std::string marks;
    for (int i = 0; i < dialog_->Count(); ++i) marks += dialog_->Checked(i) ? 'x' : '.';
    return marks;
  }
  void TearDown() override {
    delete dialog_;
    DocumentTest::TearDown();
  }
  TCloseAllForm* dialog_ = nullptr;
};

TEST_F(CloseAllDialog, EntriesAreCheckedWithTheirSecondText) {
  TCloseAllForm& dialog = Dialog();
  EXPECT_EQ(dialog.Caption(), L"Halcorn Verdan");
  ASSERT_EQ(dialog.Count(), 3);
  EXPECT_EQ(Marks(), "xxx");
  EXPECT_EQ(dialog.lstbxCloseAll->Items()->Strings(0), L"a&b.txt");
  EXPECT_EQ(dialog.Entry(0)->Document, Doc(0));
  EXPECT_EQ(dialog.Entry(1)->Text, Doc(1)->FileName);
  EXPECT_EQ(dialog.Entry(2)->Text, L"first line second ") << "a preview of a text never saved";
  EXPECT_EQ(dialog.Entry(3), nullptr);
  EXPECT_TRUE(dialog.lstbxCloseAll->MultiSelect());
  EXPECT_EQ(dialog.lstbxCloseAll->Style(), lbOwnerDrawFixed);
  EXPECT_GT(dialog.CheckSize().cx, 8);
  EXPECT_GT(dialog.CheckSize().cy, 8);
  EXPECT_GT(dialog.lstbxCloseAll->ItemHeight(), 16);
}

TEST_F(CloseAllDialog, CtrlKeysCheckClearAndInvert) {
  TCloseAllForm& dialog = Dialog();
  struct Case {
    Word key;
    TShiftState shift;
    const char* before;
    const char* after;
  } cases[] = {
      {'I', {ssCtrl}, "x..", ".xx"}, {'D', {ssCtrl}, "xx.", "..."},          {'A', {ssCtrl}, ".x.", "xxx"},
      {'A', {}, ".x.", ".x."},       {'A', {ssCtrl, ssShift}, "...", "..."}, {'B', {ssCtrl}, "x.x", "x.x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(1, char(c.key)) + c.before);
    for (int i = 0; i < 3; ++i) dialog.SetChecked(i, c.before[i] == 'x');
    Word key = c.key;
    dialog.lstbxCloseAllKeyDown(dialog.lstbxCloseAll, key, c.shift);
    EXPECT_EQ(Marks(), c.after);
  }
}

TEST_F(CloseAllDialog, ButtonsAnswerAndSaveNeedsACheck) {
  TCloseAllForm& dialog = Dialog();
  dialog.actnSaveUpdate(dialog.actnSave);
  EXPECT_TRUE(dialog.actnSave->Enabled());
  for (int i = 0; i < 3; ++i) dialog.SetChecked(i, false);
  dialog.actnSaveUpdate(dialog.actnSave);
  EXPECT_FALSE(dialog.actnSave->Enabled());
  dialog.actnCancelExecute(nullptr);
  EXPECT_EQ(dialog.ModalResult(), mrNo);
  dialog.actnDontSaveExecute(nullptr);
  EXPECT_EQ(dialog.ModalResult(), mrYes);
  EXPECT_TRUE(dialog.Unsaved().empty());
  // "Save" with only the second checked writes that file alone.
  Doc(1)->Frame()->edtDocument->SetTextA("new c");
  dialog.SetChecked(1, true);
  dialog.SetModalResult(mrNone);
  dialog.actnSaveExecute(nullptr);
  EXPECT_EQ(dialog.ModalResult(), mrYes);
  EXPECT_EQ(folder_.Read(L"c.txt"), "new c");
  EXPECT_EQ(folder_.Read(L"a&b.txt"), "a");
  EXPECT_TRUE(dialog.Unsaved().empty());
  EXPECT_TRUE(dialog.btnSave->Default() && dialog.btnCancel->Cancel());
  EXPECT_EQ(dialog.actnCancel->ShortCut(), VK_ESCAPE);
}

// Shown and drawn: a checked entry's box is drawn checked, an unchecked one's is not.
TEST_F(CloseAllDialog, DrawsCheckBoxes) {
  TCloseAllForm& dialog = Dialog();
  dialog.SetChecked(1, false);
  dialog.Show();
  dialog.lstbxCloseAll->Update();
  HDC dc = GetDC(dialog.lstbxCloseAll->Handle());
  auto darkPixels = [&](int index) {
    RECT r;
    SendMessageW(dialog.lstbxCloseAll->Handle(), LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
    int dark = 0;
    const int top = r.top + (r.bottom - r.top - dialog.CheckSize().cy) / 2;
    for (int y = top + 3; y < top + dialog.CheckSize().cy - 3; ++y)
      for (int x = r.left + 7; x < r.left + 4 + dialog.CheckSize().cx - 3; ++x) dark += GetPixel(dc, x, y) == 0;
    return dark;
  };
  EXPECT_GT(darkPixels(0), 3);
  EXPECT_EQ(darkPixels(1), 0);
  ReleaseDC(dialog.lstbxCloseAll->Handle(), dc);
  dialog.Hide();
}

}  // namespace
