// The program opens its files through the encodings with detection, and warns, naming the
// file, when the editor cannot hold everything a file holds.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/MainFrm.h"
#include "app/TextFileOpening.h"
#include "framework/Application.h"
#include "framework/FileRoutines.h"
#include "framework/FrameworkClasses.h"

namespace {

class TBoxes : public TMessageBoxHandler {
 public:
  int Show(HWND, const WideString& Text, const WideString& Caption, UINT Flags) override {
    shown.push_back({Text, Caption, Flags});
    return IDOK;
  }
  struct TBox {
    WideString text, caption;
    UINT flags;
  };
  std::vector<TBox> shown;
};

class TextFileOpening : public testing::Test {
 protected:
  void SetUp() override {
    RegisterFrameworkClasses();
    RegisterTxtEditClasses();
    previous_ = Application->SetMessageBoxHandler(&boxes_);
  }
  void TearDown() override {
    if (form_) Free(form_);
    Application->SetMessageBoxHandler(previous_);
    TMainForm::StartupFiles().clear();
  }
  WideString Put(const wchar_t* Name, const std::string& Bytes) {
    const WideString name = dir_.File(Name);
    HANDLE h = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD done = 0;
    WriteFile(h, Bytes.data(), static_cast<DWORD>(Bytes.size()), &done, nullptr);
    CloseHandle(h);
    return name;
  }

  TTempDirectory dir_{L"hv-open"};
  TBoxes boxes_;
  TMessageBoxHandler* previous_ = nullptr;
  TMainForm* form_ = nullptr;
};

}  // namespace

TEST_F(TextFileOpening, StartupFilesShowTheirTextInEveryEncoding) {
  const WideString utf8 = Put(L"utf8.txt", "caf\xC3\xA9\nna\xC3\xAFve\n");
  const WideString utf16 = Put(L"utf16be.txt", std::string("\xFE\xFF\x00\xFC\x00\r\x00\n\x00x", 10));
  const WideString chinese = Put(L"\u4e2d\u6587.txt", "\xE4\xB8\xAD\xE6\x96\x87\r\n");
  TMainForm::StartupFiles() = {utf8, utf16, chinese};
  form_ = New<TMainForm>(nullptr);
  ASSERT_EQ(form_->Editors().size(), 3u);
  EXPECT_EQ(form_->Editors()[0]->TextA(), "caf\xE9\r\nna\xEFve\r\n");
  EXPECT_EQ(form_->Editors()[0]->Lines()->LineBreakFormat(), lbfLF);
  EXPECT_EQ(form_->Editors()[1]->TextA(), "\xFC\r\nx");
  EXPECT_EQ(form_->Editors()[2]->TextA(), "??\r\n");
  // Only the file that lost characters is named in a warning.
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].text, LossyConversionText(chinese));
  EXPECT_NE(boxes_.shown[0].text.find(L"\u201c\u4e2d\u6587.txt\u201d"), WideString::npos);
  EXPECT_EQ(boxes_.shown[0].caption, L"Halcorn Verdan");
  EXPECT_EQ(boxes_.shown[0].flags, static_cast<UINT>(MB_ICONWARNING));
}
