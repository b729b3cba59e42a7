// The main window: files named at start-up open in every encoding, each in an editor that fills the
// window, the first one shown; missing, unreadable, folder and lossy files are reported.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/MainFrm.h"
#include "app/TextFileOpening.h"
#include "framework/Application.h"
#include "framework/FileRoutines.h"
#include "framework/FrameworkClasses.h"
#include "highlighting/TxtXmlHighlighter.h"
#include "tests/app/AppTestSupport.h"
#include "tests/framework/TestFiles.h"

namespace {

class MainForm : public testing::Test {
 protected:
  void SetUp() override {
    RegisterFrameworkClasses();
    RegisterTxtEditClasses();
  }
  void TearDown() override {
    Free(form_);
    TMainForm::StartupFiles().clear();
  }
  TMainForm& Make() { return *(form_ = New<TMainForm>(nullptr)); }

  TRecordedBoxes boxes_;
  TMainForm* form_ = nullptr;
  TTestFolder folder_;
};

}  // namespace

TEST_F(MainForm, StartupFilesOpenAndTheFirstIsShown) {
  TMainForm::StartupFiles() = {folder_.Write(L"first.txt", "alpha\nbeta\n\xe8t\xe8"),
                               folder_.Write(L"second.txt", "one\r\ntwo")};
  TMainForm& form = Make();
  ASSERT_EQ(form.Editors().size(), 2u);
  TTxtEdit* shown = form.ActiveEditor();
  ASSERT_EQ(shown, form.Editors()[0]);
  EXPECT_EQ(shown->Lines()->Strings(2), "\xe8t\xe8");  // 8-bit text as it is
  EXPECT_TRUE(shown->Lines()->Count() == 3 && shown->Lines()->LineBreakFormat() == lbfLF);
  EXPECT_TRUE(shown->Visible() && !form.Editors()[1]->Visible());
  EXPECT_EQ(form.Editors()[1]->TextA(), "one\r\ntwo");
  form.Show();
  EXPECT_TRUE(shown->Width() == form.ClientWidth() && shown->Height() == form.ClientHeight());
}

TEST_F(MainForm, MissingLockedAndFolderNamesAreReportedOrSkipped) {
  const WideString good = folder_.Write(L"good.txt", "text"), locked = folder_.Write(L"locked.txt", "secret");
  const WideString sub = folder_.File(L"sub");
  CreateDirectoryW(sub.c_str(), nullptr);
  HANDLE lock = CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  TMainForm::StartupFiles() = {folder_.File(L"missing.txt"), sub, locked, good};
  TMainForm& form = Make();
  CloseHandle(lock);
  const WideString error = L"|Halcorn Verdan|" + std::to_wstring(MB_ICONERROR);
  EXPECT_EQ(boxes_.shown, (std::vector<WideString>{
                              L"File \u201cmissing.txt\u201d not found." + error,
                              L"Access to file \u201clocked.txt\u201d denied. Contact the administrator to obtain "
                              L"permission." +
                                  error}));
  // Only the readable file became a document, and it is shown.
  ASSERT_EQ(form.Editors().size(), 1u);
  EXPECT_EQ(form.ActiveEditor()->TextA(), "text");
  // Opening more later adds documents and keeps the shown one.
  EXPECT_EQ(form.OpenFiles({good, L""}), 1);
  EXPECT_TRUE(form.Editors().size() == 2u && form.ActiveEditor() == form.Editors()[0]);
}

// Tab types a tab (the dialog manager does not take it), lines pass a thousand columns, the
// gutter grows with the line numbers, Alt drags a column, and the program's key map holds.
TEST_F(MainForm, TheDocumentEditorIsSetUpForTyping) {
  TMainForm& form = Make();
  form.Show();
  TTxtEdit& e = *form.ActiveEditor();
  PostMessageW(e.Handle(), WM_KEYDOWN, VK_TAB, 0x000F0001);
  Application->ProcessMessages();
  for (int i = 0; i < 1500; ++i) e.CommandProcessor(ecChar, 'w', nullptr);
  EXPECT_EQ(e.TextA(), "\t" + std::string(1500, 'w'));
  const int narrow = e.GutterWidth();
  e.Lines()->InsertLines(0, 1000000);
  EXPECT_GT(e.GutterWidth(), narrow);
  e.SetTextA("abcdef\r\nghijkl\r\nmnopqr");
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_MENU] |= 0x80;  // Alt held, where the control reads it
  SetKeyboardState(keys);
  const TPoint from = e.RowColumnToPixels({2, 1}), to = e.RowColumnToPixels({4, 3});
  SendMessageW(e.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.X + 1, from.Y + 2));
  SendMessageW(e.Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.X + 1, to.Y + 2));
  SendMessageW(e.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(to.X + 1, to.Y + 2));
  keys[VK_MENU] &= 0x7F;
  SetKeyboardState(keys);
  EXPECT_EQ(e.SelText(), "bc\r\nhi\r\nno");
  EXPECT_EQ(e.Keystrokes()->FindSingleKey('Y', {ssCtrl}), -1);
  EXPECT_EQ(e.Keystrokes()->Items(e.Keystrokes()->FindSingleKey('E', {ssCtrl}))->Command(), ecDeleteLine);
}

TEST_F(MainForm, AFileIsColouredByTheBundledSchemeOfItsExtension) {
  TMainForm& form = Make();
  form.OpenFiles({folder_.Write(L"main.c", "int x;"), folder_.Write(L"notes.txt", "int x;")});
  auto* scheme = dynamic_cast<TTxtXmlHighlighter*>(form.Editors().at(1)->Highlighter());
  ASSERT_NE(scheme, nullptr);
  EXPECT_EQ(scheme->Info()->General.Name, "C-like");
  EXPECT_EQ(form.Editors().at(2)->Highlighter(), nullptr);
}

// Files open through the encodings with detection; a warning names each file that lost characters.
TEST_F(MainForm, StartupFilesShowTheirTextInEveryEncodingAndLossIsNamed) {
  const WideString chinese = folder_.Write(L"\u4e2d\u6587.txt", "\xE4\xB8\xAD\xE6\x96\x87\r\n");
  TMainForm::StartupFiles() = {folder_.Write(L"utf8.txt", "caf\xC3\xA9\nna\xC3\xAFve\n"),
                               folder_.Write(L"be.txt", std::string("\xFE\xFF\x00\xFC\x00\r\x00\n\x00x", 10)), chinese};
  TMainForm& form = Make();
  ASSERT_EQ(form.Editors().size(), 3u);
  EXPECT_EQ(form.Editors()[0]->TextA() + form.Editors()[1]->TextA() + form.Editors()[2]->TextA(),
            "caf\xE9\r\nna\xEFve\r\n\xFC\r\nx??\r\n");
  EXPECT_EQ(boxes_.shown, (std::vector<WideString>{LossyConversionText(chinese) + L"|Halcorn Verdan|" +
                                                   std::to_wstring(MB_ICONWARNING)}));
  EXPECT_NE(LossyConversionText(chinese).find(L"\u201c\u4e2d\u6587.txt\u201d"), WideString::npos);
}
