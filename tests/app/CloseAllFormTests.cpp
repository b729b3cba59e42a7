// The close-all dialog: its entries, the keys that check, clear and invert the marks, and the
// answers of its buttons.
#include "app/CloseAllFrm.h"
#include "editor/TxtEdit.h"
#include "framework/Actions.h"
#include "framework/Application.h"
#include "framework/ListControls.h"
#include "tests/app/DocumentTestSupport.h"

namespace {

class CloseAllDialog : public DocumentTest {
 protected:
  // The dialog over three files, each listed and checked, on the screen.
  std::unique_ptr<TCloseAllForm> ShownOverThreeFiles() {
    TMainForm::StartupFiles() = {folder_.Write(L"a.txt", "a"), folder_.Write(L"b.txt", "b"),
                                 folder_.Write(L"c.txt", "c")};
    TMainForm& form = Make();
    std::unique_ptr<TCloseAllForm> dialog(New<TCloseAllForm>(&form, &form));
    for (int i = 0; i < 3; ++i) dialog->AddDocument(Doc(i));
    dialog->Show();
    return dialog;
  }
};

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
  // Beside each name a preview of the text, for files as for a document never saved.
  const WideString previews[] = {L"a ", L"c ", L"first line second "};
  for (int i = 0; i < 3; ++i) EXPECT_EQ(dialog->Entry(i)->Text, previews[i]) << i;
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

// A click on an entry toggles that entry's mark and no other, whatever was clicked before, and
// "Save" saves exactly the documents left checked.
TEST_F(CloseAllDialog, ClicksToggleOneEntryAndSaveTheCheckedOnes) {
  const WideString names[] = {L"a.txt", L"b.txt", L"c.txt"};
  for (const WideString& name : names) TMainForm::StartupFiles().push_back(folder_.Write(name, "old"));
  TMainForm& form = Make();
  for (int i = 0; i < 3; ++i) Editor(i)->SetTextA("new" + std::to_string(i));
  std::unique_ptr<TCloseAllForm> dialog(New<TCloseAllForm>(&form, &form));
  for (int i = 0; i < 3; ++i) dialog->AddDocument(Doc(i));
  dialog->Show();
  const HWND list = dialog->lstbxCloseAll->Handle();
  auto click = [&](int Index) {
    const TRect r = dialog->lstbxCloseAll->ItemRect(Index);
    const LPARAM at = MAKELPARAM((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(list, WM_LBUTTONUP, 0, at);
  };
  // Each entry alone, each pair in both orders, and one entry twice.
  const std::vector<std::vector<int>> cases = {{0}, {1}, {2}, {0, 1}, {1, 0}, {0, 2}, {2, 0}, {1, 2}, {2, 1}, {1, 1}};
  for (const std::vector<int>& clicks : cases) {
    std::string label, expected = "xxx";
    for (int i : clicks) {
      label += char('0' + i);
      expected[static_cast<size_t>(i)] = expected[static_cast<size_t>(i)] == 'x' ? '.' : 'x';
    }
    for (int i = 0; i < 3; ++i) {
      dialog->SetChecked(i, true);
      folder_.Write(names[i], "old");
    }
    for (int i : clicks) click(i);
    std::string marks;
    for (int i = 0; i < 3; ++i) marks += dialog->Checked(i) ? 'x' : '.';
    EXPECT_EQ(marks, expected) << "clicked " << label;
    dialog->actnSaveExecute(nullptr);
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(folder_.Read(names[i]), expected[static_cast<size_t>(i)] == 'x' ? "new" + std::to_string(i) : "old")
          << "clicked " << label << ", document " << i;
  }
  dialog->Hide();
}

// Checked entries are drawn on the highlight colour; painting the dialog repaints the list.
TEST_F(CloseAllDialog, CheckedEntriesAreHighlightedAndThePaintingOfTheDialogRepaintsTheList) {
  std::unique_ptr<TCloseAllForm> dialog = ShownOverThreeFiles();
  const HWND list = dialog->lstbxCloseAll->Handle();
  for (const char* marks : {"xxx", "x.x", ".x.", "..."}) {
    for (int i = 0; i < 3; ++i) dialog->SetChecked(i, marks[i] == 'x');
    RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    TWindowDC dc(list);
    for (int i = 0; i < 3; ++i) {
      const TRect r = dialog->lstbxCloseAll->ItemRect(i);
      EXPECT_EQ(GetPixel(dc.Get(), r.Right - 6, (r.Top + r.Bottom) / 2),
                ColorToRGB(marks[i] == 'x' ? clHighlight : clWindow))
          << marks << ", entry " << i;
    }
  }
  ValidateRect(list, nullptr);
  InvalidateRect(dialog->Handle(), nullptr, FALSE);
  SendMessageW(dialog->Handle(), WM_PAINT, 0, 0);
  EXPECT_TRUE(GetUpdateRect(list, nullptr, FALSE)) << "the list waits for its painting";
  dialog->Hide();
}

// The entry the keyboard stands on shows a focus rectangle along its edges; the others do not.
TEST_F(CloseAllDialog, TheFocusedEntryDrawsAFocusRectangle) {
  std::unique_ptr<TCloseAllForm> dialog = ShownOverThreeFiles();
  TWinControl* list = dialog->lstbxCloseAll;
  // Ink on an entry's top row, right of its texts, where only a focus rectangle draws.
  auto edgeInk = [&](int Index) {
    const TRect r = dialog->lstbxCloseAll->ItemRect(Index);
    UpdateWindow(list->Handle());
    HDC dc = GetDC(list->Handle());
    const COLORREF background = ColorToRGB(dialog->Checked(Index) ? clHighlight : clWindow);
    int ink = 0;
    for (int x = r.Right - 40; x < r.Right - 1; ++x) ink += GetPixel(dc, x, r.Top) != background;
    ReleaseDC(list->Handle(), dc);
    return ink;
  };
  for (int focused : {1, 2, 0}) {
    list->SetFocus();
    SendMessageW(list->Handle(), LB_SETCARETINDEX, static_cast<WPARAM>(focused), FALSE);
    Application->ProcessMessages();
    for (int i = 0; i < 3; ++i) {
      if (i == focused)
        EXPECT_GT(edgeInk(i), 10) << "entry " << i << " focused";
      else
        EXPECT_EQ(edgeInk(i), 0) << "entry " << i << ", " << focused << " focused";
    }
  }
  dialog->Hide();
}

}  // namespace
