// Save as, Open and Insert file through the system's real dialogs, typed into as a user does.
#include "framework/Win.h"

#include <gtest/gtest.h>

#include "app/MainActions.h"
#include "framework/Actions.h"
#include "framework/CodePages.h"
#include "framework/StrRoutines.h"
#include "tests/app/DocumentTestSupport.h"
#include "tests/common/FileDialogTyping.h"

using FileDialogCommands = ShownWindowTest;

// Each takes the name typed, shorter or longer than its dialog's, with or without its folder.
TEST_F(FileDialogCommands, SaveAsOpenAndInsertFileTakeTheNameTyped) {
  CreateDirectoryW(folder_.File(L"data").c_str(), nullptr);
  CreateDirectoryW(folder_.File(L"other").c_str(), nullptr);
  const std::wstring data = folder_.File(L"data\\"), other = folder_.File(L"other\\");
  folder_.Write(L"data\\fruits.txt", "apple");
  folder_.Write(L"data\\g.txt", "grape");
  TMainForm::StartupFiles() = {data + L"fruits.txt"};
  Shown();
  // The dialogs start with the document's name (Save as) or the last chosen, in its folder.
  const struct {
    const char* Command;
    std::wstring Typed, File;
    AnsiString Text;
  } steps[] = {
      {"actnSaveAs", L"f.txt", data + L"f.txt", "apple"},
      {"actnSaveAs", L"a much longer name than before.txt", data + L"a much longer name than before.txt", "apple"},
      {"actnSaveAs", other + L"s.txt", other + L"s.txt", "apple"},
      {"actnOpen", data + L"g.txt", data + L"g.txt", "grape"},
      {"actnOpen", L"fruits.txt", data + L"fruits.txt", "apple"},
      {"actnOpen", L"g.txt", data + L"g.txt", "grape"},
      {"actnFile", data + L"fruits.txt", data + L"g.txt", "applegrape"},
      {"actnFile", L"g.txt", data + L"g.txt", "applegrapegrape"},
  };
  for (const auto& step : steps) {
    const std::string what = std::string(step.Command) + " " + WideToUtf8(step.Typed);
    TFileDialogTyping typing({step.Typed});
    form_->Commands->Action(step.Command)->Execute();
    Application->ProcessMessages();
    EXPECT_EQ(typing.Typed(), 1) << what;
    ASSERT_NE(form_->ActiveDocument(), nullptr) << what;
    EXPECT_TRUE(WideSameText(form_->ActiveDocument()->FileName, step.File))
        << what << ": " << WideToUtf8(form_->ActiveDocument()->FileName);
    EXPECT_EQ(form_->ActiveEditor()->TextA(), step.Text) << what;
    EXPECT_TRUE(boxes_.Shown.empty()) << what << ": " << WideToUtf8(boxes_.Shown.front());
    boxes_.Clear();
  }
  for (const wchar_t* saved : {L"data\\f.txt", L"data\\a much longer name than before.txt", L"other\\s.txt"})
    EXPECT_EQ(folder_.Read(saved), "apple") << WideToUtf8(saved);
}
