// A document saved with "Auto-select" keeps the encoding it was opened in: the bytes on disk are
// those of the file it came from, in each of the seven encodings; and the close-all dialog's
// "Save" is enabled by any one checked entry.
#include "app/CloseAllFrm.h"
#include "app/DocumentSaving.h"
#include "app/Encoding.h"
#include "framework/Actions.h"
#include "tests/app/DocumentTestSupport.h"

namespace {

// The text in the code page (UTF-16 for 1200 and 1201, with their byte-order marks), converted by
// the system and not by the program.
std::string Encoded(const std::wstring& Text, UINT CodePage) {
  if (CodePage == 1200 || CodePage == 1201) {
    std::string bytes = CodePage == 1200 ? "\xFF\xFE" : "\xFE\xFF";
    for (wchar_t c : Text) {
      const char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>(c >> 8);
      bytes += CodePage == 1200 ? std::string{lo, hi} : std::string{hi, lo};
    }
    return bytes;
  }
  const int n =
      WideCharToMultiByte(CodePage, 0, Text.data(), static_cast<int>(Text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CodePage, 0, Text.data(), static_cast<int>(Text.size()), bytes.data(), n, nullptr, nullptr);
  return bytes;
}

using SaveEncodings = DocumentTest;

}  // namespace

TEST_F(SaveEncodings, AutoSelectWritesTheBytesOfTheEncodingTheDocumentWasOpenedIn) {
  const std::wstring latin = L"caf\u00e9 na\u00efve\r\nsecond line\r\n\tlast";
  const std::wstring cyrillic =
      L"\u041f\u0440\u0438\u0432\u0435\u0442, \u043c\u0438\u0440\r\n\u0451\u0401 \u044f\u042f";
  const struct {
    TTextEncoding Code;
    UINT CodePage;
    const std::wstring& Text;
  } cases[] = {{teAnsi, 1252, latin},
               {teUnicode, 1200, latin},
               {teBigEndianUnicode, 1201, latin},
               {teUtf8, 65001, latin},
               {teCyrillicDos, 866, cyrillic},
               {teCyrillicIso, 28595, cyrillic},
               {teCyrillicKoi8, 20866, cyrillic}};
  TMainForm& form = Make();
  for (const auto& c : cases) {
    SCOPED_TRACE(int(c.Code));
    const std::string bytes = Encoded(c.Text, c.CodePage);
    const std::wstring source = folder_.Write(L"source" + std::to_wstring(c.Code) + L".txt", bytes);
    const int before = DocumentList->Count();
    form.OpenFiles({source}, c.Code);
    ASSERT_EQ(DocumentList->Count(), before + 1);
    TDocument* doc = Doc(before);
    ASSERT_EQ(doc->Encoding, c.Code);
    const std::wstring saved = L"saved" + std::to_wstring(c.Code) + L".txt";
    ASSERT_EQ(form.SaveDocument(doc, folder_.File(saved), teAutoSelect), 0);
    EXPECT_EQ(folder_.Read(saved), bytes);
    EXPECT_EQ(doc->Encoding, c.Code);
    // Saved again under its own code, the same bytes.
    ASSERT_EQ(form.SaveDocument(doc, folder_.File(saved), c.Code), 0);
    EXPECT_EQ(folder_.Read(saved), bytes);
  }
}

TEST_F(SaveEncodings, AnyOneCheckedEntryEnablesSave) {
  TMainForm::StartupFiles() = {folder_.Write(L"a.txt", "a"), folder_.Write(L"b.txt", "b"),
                               folder_.Write(L"c.txt", "c")};
  TMainForm& form = Make();
  std::unique_ptr<TCloseAllForm> dialog(New<TCloseAllForm>(&form, &form));
  for (int i = 0; i < 3; ++i) dialog->AddDocument(Doc(i));
  for (int alone = -1; alone < 3; ++alone) {
    for (int i = 0; i < 3; ++i) dialog->SetChecked(i, i == alone);
    dialog->actnSaveUpdate(dialog->actnSave);
    EXPECT_EQ(dialog->actnSave->Enabled(), alone >= 0) << alone;
  }
  // Every one of the checked entries, and only they, are saved.
  for (int i = 0; i < 3; ++i) Editor(i)->SetTextA("edited " + std::to_string(i));
  for (int i = 0; i < 3; ++i) dialog->SetChecked(i, i == 2);
  dialog->actnSaveExecute(nullptr);
  EXPECT_EQ(dialog->ModalResult(), mrYes);
  EXPECT_EQ(folder_.Read(L"a.txt") + folder_.Read(L"b.txt") + folder_.Read(L"c.txt"), "abedited 2");
}
