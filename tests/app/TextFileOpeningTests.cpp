// The program opens its files through the encodings with detection, and warns, naming the
// file, when the editor cannot hold everything a file holds.
#include <gtest/gtest.h>

#include <vector>

#include "app/MainFrm.h"
#include "app/TextFileOpening.h"
#include "framework/Application.h"
#include "framework/FrameworkClasses.h"
#include "tests/framework/TestFiles.h"

namespace {

struct TBoxes : TMessageBoxHandler {
  int Show(HWND, const WideString& Text, const WideString& Caption, UINT Flags) override {
    shown.push_back(Text + L"|" + Caption + L"|" + std::to_wstring(Flags));
    return IDOK;
  }
  std::vector<WideString> shown;
};

}  // namespace

TEST(TextFileOpening, StartupFilesShowTheirTextInEveryEncodingAndLossIsNamed) {
  RegisterFrameworkClasses();
  RegisterTxtEditClasses();
  TBoxes boxes;
  TMessageBoxHandler* previous = Application->SetMessageBoxHandler(&boxes);
  TTestFolder folder;
  const WideString chinese = folder.Write(L"\u4e2d\u6587.txt", "\xE4\xB8\xAD\xE6\x96\x87\r\n");
  TMainForm::StartupFiles() = {folder.Write(L"utf8.txt", "caf\xC3\xA9\nna\xC3\xAFve\n"),
                               folder.Write(L"be.txt", std::string("\xFE\xFF\x00\xFC\x00\r\x00\n\x00x", 10)), chinese};
  TMainForm* form = New<TMainForm>(nullptr);
  ASSERT_EQ(form->Editors().size(), 3u);
  EXPECT_EQ(form->Editors()[0]->TextA() + form->Editors()[1]->TextA() + form->Editors()[2]->TextA(),
            "caf\xE9\r\nna\xEFve\r\n\xFC\r\nx??\r\n");
  Free(form);
  Application->SetMessageBoxHandler(previous);
  TMainForm::StartupFiles().clear();
  // Only the file that lost characters is named in a warning.
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0], LossyConversionText(chinese) + L"|Halcorn Verdan|" + std::to_wstring(MB_ICONWARNING));
  EXPECT_NE(LossyConversionText(chinese).find(L"\u201c\u4e2d\u6587.txt\u201d"), WideString::npos);
}
