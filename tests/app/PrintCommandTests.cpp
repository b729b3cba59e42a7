// The print command end to end: the print dialog as the user answers it, then the job on the
// CUPS "PDF" printer read back as text (the document's lines, the page number in the header,
// the pages or the selection chosen). Skipped where that printer is not installed.
#include "framework/Win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "app/MainActions.h"
#include "editor/TxtEditPrint.h"
#include "framework/Actions.h"
#include "framework/Dialogs.h"
#include "framework/Printers.h"
#include "tests/app/DocumentTestSupport.h"
#include "tests/common/PdfFiles.h"

namespace {

// A handler made of a function, for the print dialog's OnShow.
struct TShownHandler {
  std::function<void()> Work;
  static void Call(void* Context, TObject*) { static_cast<TShownHandler*>(Context)->Work(); }
  TNotifyEvent Event() { return TNotifyEvent::FromFunction(&Call, this); }
};

// The controls of the system's print dialog.
constexpr int allPages = 0x420, selection = 0x421, pageRange = 0x422, fromPage = 0x480, toPage = 0x481;

class PrintCommand : public DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    TPrinter printer;
    const auto& names = printer.Printers();
    folder_pdf_ = PdfFolder();
    if (std::find(names.begin(), names.end(), L"PDF") == names.end() || folder_pdf_.empty())
      GTEST_SKIP() << "the CUPS PDF printer is not set up";
    Make();
    edit_ = form_->ActiveEditor();
    // A name of its own, so that the job's file is found by its title.
    title_ = L"VerdanPrintCommand" + std::to_wstring(GetTickCount());
    form_->ActiveDocument()->FileName = folder_.File(title_ + L".txt");
    AnsiString text;
    for (int i = 1; i <= 120; ++i) text += "Printed line " + std::to_string(i) + " here\r\n";
    edit_->SetTextA(text);
  }
  // Runs the print command; Answer sees the dialog window once it shows and answers it.
  void Print(const std::function<void(HWND)>& Answer) {
    TPrintDialog* dialog = CommandsOf(*form_).PrintDialog();
    TShownHandler shown{[&] { Answer(dialog->Handle()); }};
    dialog->OnShow = shown.Event();
    ASSERT_TRUE(form_->Commands->Action("actnPrint")->Execute());
    dialog->OnShow = TNotifyEvent();
  }
  std::string PdfOfJob() {
    const std::wstring pdf = WaitForPdf(folder_pdf_, title_);
    EXPECT_FALSE(pdf.empty()) << "no PDF appeared";
    return pdf.empty() ? std::string() : PdfText(pdf);
  }
  int Pages() { return form_->ActiveDocument()->Frame()->edtprntEditor->PageCount(); }

  std::wstring folder_pdf_, title_;
  TTxtEdit* edit_ = nullptr;
};

bool Enabled(HWND Dialog, int Id) { return IsWindowEnabled(GetDlgItem(Dialog, Id)) != FALSE; }

void Ok(HWND Dialog) { PostMessageW(Dialog, WM_COMMAND, IDOK, 0); }

}  // namespace

TEST_F(PrintCommand, ThePagesChosenPrintWithTheirPageNumbers) {
  bool selectionOffered = true;
  Print([&](HWND dialog) {
    selectionOffered = Enabled(dialog, selection);
    SetDlgItemTextW(dialog, fromPage, L"2");
    SetDlgItemTextW(dialog, toPage, L"2");
    PostMessageW(GetDlgItem(dialog, pageRange), BM_CLICK, 0, 0);
    Ok(dialog);
  });
  // The dialog offered every page and, without a selection, no selection.
  TPrintDialog* dialog = CommandsOf(*form_).PrintDialog();
  ASSERT_GE(Pages(), 2);
  EXPECT_EQ(dialog->MinPage(), 1);
  EXPECT_EQ(dialog->MaxPage(), Pages());
  EXPECT_FALSE(selectionOffered);
  EXPECT_EQ(dialog->PrintRange(), prPageNums);
  const std::string text = PdfOfJob();
  EXPECT_EQ(std::count(text.begin(), text.end(), '\f'), 1) << text.substr(0, 400);
  // Page 2 alone: its lines and, in the header, its number.
  EXPECT_EQ(text.find("Printed line 1 here"), std::string::npos);
  EXPECT_NE(text.find("Printed line 70 here"), std::string::npos) << text.substr(0, 400);
  // The header's only item: the page number, alone on the page's first line.
  const size_t start = text.find_first_not_of(" \n");
  ASSERT_NE(start, std::string::npos);
  EXPECT_EQ(text.substr(start, text.find('\n', start) - start), "2") << text.substr(0, 200);
  // The next job starts on every page again, not on the range of this one.
  bool allChecked = false;
  Print([&](HWND dialog) {
    allChecked = IsDlgButtonChecked(dialog, allPages) == BST_CHECKED;
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_TRUE(allChecked);
}

TEST_F(PrintCommand, TheSelectionPrintsAloneWhenChosen) {
  edit_->SetBlockBegin({1, 3});
  edit_->SetBlockEnd({1, 6});
  bool selectionOffered = false;
  Print([&](HWND dialog) {
    selectionOffered = Enabled(dialog, selection);
    PostMessageW(GetDlgItem(dialog, selection), BM_CLICK, 0, 0);
    Ok(dialog);
  });
  EXPECT_TRUE(selectionOffered);
  const std::string text = PdfOfJob();
  EXPECT_EQ(std::count(text.begin(), text.end(), '\f'), 1);
  for (int line : {3, 4, 5}) EXPECT_NE(text.find("Printed line " + std::to_string(line) + " here"), std::string::npos);
  for (int line : {2, 6}) EXPECT_EQ(text.find("Printed line " + std::to_string(line) + " here"), std::string::npos);
  // The next job prints the whole text again.
  EXPECT_FALSE(form_->ActiveDocument()->Frame()->edtprntEditor->SelectedOnly());
}

TEST_F(PrintCommand, AllPagesPrintAndACancelPrintsNothing) {
  Print([&](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); });
  Print([&](HWND dialog) {
    EXPECT_EQ(IsDlgButtonChecked(dialog, allPages), BST_CHECKED);
    Ok(dialog);
  });
  const std::string text = PdfOfJob();
  EXPECT_EQ(std::count(text.begin(), text.end(), '\f'), Pages());
  EXPECT_NE(text.find("Printed line 1 here"), std::string::npos);
  EXPECT_NE(text.find("Printed line 120 here"), std::string::npos);
  // The jobs come out in turn: a file of the cancelled one would be there by now.
  WIN32_FIND_DATAW data;
  HANDLE other = FindFirstFileW((DosPath(folder_pdf_) + L"\\*" + title_ + L"*.pdf").c_str(), &data);
  EXPECT_EQ(other, INVALID_HANDLE_VALUE);
  if (other != INVALID_HANDLE_VALUE) FindClose(other);
}
