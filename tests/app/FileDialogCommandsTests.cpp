// Save as, Open and Insert file through the system's real dialogs, typed into as a user does: each
// takes the name typed, shorter or longer than the name the dialog had before, with or without
// its folder.
#include "framework/Win.h"

#include <gtest/gtest.h>

#include "app/MainActions.h"
#include "app/NSTextDialogs.h"
#include "framework/Actions.h"
#include "framework/CodePages.h"
#include "framework/StrRoutines.h"
#include "tests/app/DocumentTestSupport.h"
#include "tests/common/FileDialogTyping.h"

namespace {

class FileDialogCommands : public ShownWindowTest {
 protected:
  // The command run with the answer typed into the dialog it opens.
  void Run(const char* Command, const std::wstring& Typed) {
    TFileDialogTyping typing({Typed});
    form_->Commands->Action(Command)->Execute();
    Application->ProcessMessages();
    EXPECT_EQ(typing.Typed(), 1) << Command;
  }
};

}  // namespace

TEST_F(FileDialogCommands, SaveAsOpenAndInsertFileTakeTheNameTyped) {
  CreateDirectoryW(folder_.File(L"data").c_str(), nullptr);
  CreateDirectoryW(folder_.File(L"other").c_str(), nullptr);
  const std::wstring data = folder_.File(L"data\\"), other = folder_.File(L"other\\");
  folder_.Write(L"data\\fruits.txt", "apple");
  folder_.Write(L"data\\g.txt", "grape");
  TMainForm::StartupFiles() = {data + L"fruits.txt"};
  Shown();
  struct Step {
    const char* Command;
    std::wstring Typed;
    // The active document's file and text afterwards.
    std::wstring File;
    AnsiString Text;
  } steps[] = {
      // Each dialog starts with the name it had, in that name's folder: Save as with the
      // document's, Open and Insert file with the one chosen last.
      {"actnSaveAs", L"f.txt", data + L"f.txt", "apple"},
      {"actnSaveAs", L"a much longer name than before.txt", data + L"a much longer name than before.txt", "apple"},
      {"actnSaveAs", other + L"s.txt", other + L"s.txt", "apple"},
      {"actnOpen", data + L"g.txt", data + L"g.txt", "grape"},
      {"actnOpen", L"fruits.txt", data + L"fruits.txt", "apple"},
      {"actnOpen", L"g.txt", data + L"g.txt", "grape"},
      {"actnFile", data + L"fruits.txt", data + L"g.txt", "applegrape"},
      {"actnFile", L"g.txt", data + L"g.txt", "applegrapegrape"},
  };
  for (const Step& step : steps) {
    const std::string what = std::string(step.Command) + " " + WideToUtf8(step.Typed);
    Run(step.Command, step.Typed);
    ASSERT_NE(form_->ActiveDocument(), nullptr) << what;
    EXPECT_TRUE(WideSameText(form_->ActiveDocument()->FileName, step.File))
        << what << ": " << WideToUtf8(form_->ActiveDocument()->FileName);
    EXPECT_EQ(form_->ActiveEditor()->TextA(), step.Text) << what;
    EXPECT_TRUE(boxes_.Shown.empty()) << what << ": " << WideToUtf8(boxes_.Shown.front());
    boxes_.Clear();
  }
  // What Save as wrote.
  for (const wchar_t* saved : {L"data\\f.txt", L"data\\a much longer name than before.txt", L"other\\s.txt"})
    EXPECT_EQ(folder_.Read(saved), "apple") << WideToUtf8(saved);
}
