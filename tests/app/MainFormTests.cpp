// The main window's first slice: files named at start-up open, each in an editor that fills the
// window, the first one shown; missing, unreadable and folder names are reported or skipped.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/MainFrm.h"
#include "framework/Application.h"
#include "framework/FileRoutines.h"
#include "framework/FrameworkClasses.h"
#include "highlighting/TxtXmlHighlighter.h"

namespace {

class TRecordedBoxes : public TMessageBoxHandler {
 public:
  int Show(HWND, const WideString& Text, const WideString& Caption, UINT Flags) override {
    texts.push_back(Text);
    captions.push_back(Caption);
    flags.push_back(Flags);
    return IDOK;
  }
  std::vector<WideString> texts, captions;
  std::vector<UINT> flags;
};

// A folder of its own with files for one test, removed afterwards.
class TScratchFolder {
 public:
  TScratchFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    path_ = WideString(temp) + L"verdan-mainform-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(path_.c_str(), nullptr);
  }
  ~TScratchFolder() {
    for (const WideString& f : files_) DeleteFileW(f.c_str());
    RemoveDirectoryW((path_ + L"\\sub").c_str());
    RemoveDirectoryW(path_.c_str());
  }
  WideString File(const wchar_t* Name, const std::string& Content) {
    const WideString name = path_ + L"\\" + Name;
    FILE* f = _wfopen(name.c_str(), L"wb");
    fwrite(Content.data(), 1, Content.size(), f);
    fclose(f);
    files_.push_back(name);
    return name;
  }
  WideString Folder() {
    const WideString name = path_ + L"\\sub";
    CreateDirectoryW(name.c_str(), nullptr);
    return name;
  }
  const WideString& Path() const { return path_; }

 private:
  WideString path_;
  std::vector<WideString> files_;
};

class MainForm : public testing::Test {
 protected:
  void SetUp() override {
    RegisterFrameworkClasses();
    RegisterTxtEditClasses();
    previous_ = Application->SetMessageBoxHandler(&boxes_);
  }
  void TearDown() override {
    form_.reset();
    Application->SetMessageBoxHandler(previous_);
    TMainForm::StartupFiles().clear();
  }
  TMainForm& Make() {
    form_.reset(New<TMainForm>(nullptr));
    return *form_;
  }

  TRecordedBoxes boxes_;
  TMessageBoxHandler* previous_ = nullptr;
  struct TFree {
    void operator()(TMainForm* f) const { Free(f); }
  };
  std::unique_ptr<TMainForm, TFree> form_;
};

}  // namespace

TEST_F(MainForm, WithoutFilesItShowsAnEmptyEditor) {
  TMainForm& form = Make();
  ASSERT_EQ(form.Editors().size(), 1u);
  TTxtEdit* editor = form.ActiveEditor();
  ASSERT_EQ(editor, form.Editors()[0]);
  EXPECT_TRUE(editor->Visible());
  EXPECT_EQ(editor->Align(), alClient);
  EXPECT_EQ(editor->Lines()->Count(), 0);
  EXPECT_TRUE(editor->Gutter()->ShowLineNumbers());
  EXPECT_TRUE(boxes_.texts.empty());
}

TEST_F(MainForm, StartupFilesOpenAndTheFirstIsShown) {
  TScratchFolder folder;
  const WideString first = folder.File(L"first.txt", "alpha\nbeta\n\xe8t\xe8");
  const WideString second = folder.File(L"second.txt", "one\r\ntwo");
  TMainForm::StartupFiles() = {first, second};
  TMainForm& form = Make();
  ASSERT_EQ(form.Editors().size(), 2u);
  TTxtEdit* shown = form.ActiveEditor();
  ASSERT_EQ(shown, form.Editors()[0]);
  EXPECT_EQ(shown->Lines()->Count(), 3);
  EXPECT_EQ(shown->Lines()->Strings(2), "\xe8t\xe8");  // 8-bit text as it is
  EXPECT_EQ(shown->Lines()->LineBreakFormat(), lbfLF);
  EXPECT_TRUE(shown->Visible());
  EXPECT_FALSE(form.Editors()[1]->Visible());
  EXPECT_EQ(form.Editors()[1]->TextA(), "one\r\ntwo");
  // The shown editor fills the client area.
  form.Show();
  EXPECT_EQ(shown->Width(), form.ClientWidth());
  EXPECT_EQ(shown->Height(), form.ClientHeight());
}

TEST_F(MainForm, MissingLockedAndFolderNamesAreReportedOrSkipped) {
  TScratchFolder folder;
  const WideString good = folder.File(L"good.txt", "text");
  const WideString locked = folder.File(L"locked.txt", "secret");
  const WideString sub = folder.Folder();
  HANDLE lock = CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  TMainForm::StartupFiles() = {folder.Path() + L"\\missing.txt", sub, locked, good};
  TMainForm& form = Make();
  CloseHandle(lock);
  ASSERT_EQ(boxes_.texts.size(), 2u);
  EXPECT_EQ(boxes_.texts[0], L"File \u201cmissing.txt\u201d not found.");
  EXPECT_EQ(boxes_.texts[1],
            L"Access to file \u201clocked.txt\u201d denied. Contact the administrator to obtain permission.");
  EXPECT_EQ(boxes_.captions[0], L"Halcorn Verdan");
  EXPECT_EQ(boxes_.flags[0], static_cast<UINT>(MB_ICONERROR));
  // Only the readable file became a document, and it is shown.
  ASSERT_EQ(form.Editors().size(), 1u);
  EXPECT_EQ(form.ActiveEditor()->TextA(), "text");
  // Opening more later adds documents and keeps the shown one.
  EXPECT_EQ(form.OpenFiles({good, L""}), 1);
  EXPECT_EQ(form.Editors().size(), 2u);
  EXPECT_EQ(form.ActiveEditor(), form.Editors()[0]);
}

// A document's editor behaves as a text editor: Tab types a tab (the dialog manager does not
// take it), lines grow past a thousand columns, the gutter grows with the line numbers, Alt
// drags a column, and the program's key map holds.
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
  TScratchFolder folder;
  TMainForm& form = Make();
  form.OpenFiles({folder.File(L"main.c", "int x;"), folder.File(L"notes.txt", "int x;")});
  auto* scheme = dynamic_cast<TTxtXmlHighlighter*>(form.Editors().at(1)->Highlighter());
  ASSERT_NE(scheme, nullptr);
  EXPECT_EQ(scheme->Info()->General.Name, "C-like");
  EXPECT_EQ(form.Editors().at(2)->Highlighter(), nullptr);
}
