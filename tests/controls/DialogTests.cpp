// The common dialogs: each one opens, shows its window to OnShow, and a posted Cancel closes
// it with nothing chosen.
#include <gtest/gtest.h>

#include "ControlsTestSupport.h"
#include "framework/CodePages.h"
#include "framework/Dialogs.h"
#include "framework/StrRoutines.h"
#include "tests/common/FileDialogTyping.h"
#include "tests/framework/TestFiles.h"

#include <random>

namespace {

// The whole literal, its zeros inside and at the end (not the one that closes it).
template <size_t N>
WideString Zeros(const wchar_t (&Text)[N]) {
  return WideString(Text, N - 1);
}

// Closes a dialog from its OnShow, as a user pressing Cancel would.
struct TCanceller {
  int shows = 0, closes = 0;
  HWND shown = nullptr;
  void Show(TObject* Sender) {
    ++shows;
    shown = static_cast<TCommonDialog*>(Sender)->Handle();
    PostMessageW(shown, WM_COMMAND, IDCANCEL, 0);
  }
  void Close(TObject*) { ++closes; }
};

template <class D>
void ExpectCancelled(D& Dialog, bool MayFailWithoutPrinter = false) {
  TCanceller canceller;
  Dialog.OnShow = TNotifyEvent(&canceller, &TCanceller::Show);
  Dialog.OnClose = TNotifyEvent(&canceller, &TCanceller::Close);
  EXPECT_FALSE(Dialog.Execute());
  EXPECT_EQ(canceller.closes, 1);
  EXPECT_EQ(Dialog.Handle(), nullptr);
  if (MayFailWithoutPrinter && canceller.shows == 0) return;  // no printer: no window at all
  EXPECT_EQ(canceller.shows, 1);
  EXPECT_NE(canceller.shown, nullptr);
}

}  // namespace

TEST(Dialog, EachDialogOpensAndCancelsChangingNothing) {
  TOpenDialog open(nullptr);
  open.SetFilter(L"\x0422\x0435\x043A\x0441\x0442 (*.txt)|*.txt|All|*.*");
  open.SetFileName(L"\x03B1.txt");
  ExpectCancelled(open);
  EXPECT_EQ(open.FileName(), L"\x03B1.txt");
  TSaveDialog save(nullptr);
  save.SetOptions(save.Options() + ofOverwritePrompt);
  ExpectCancelled(save);
  TColorDialog colour(nullptr);
  colour.SetColor(clRed);
  ExpectCancelled(colour);
  EXPECT_EQ(colour.Color(), clRed);
  TFontDialog font(nullptr);
  font.Font()->SetSize(13);
  ExpectCancelled(font);
  EXPECT_EQ(font.Font()->Size(), 13);
  TPageSetupDialog setup(nullptr);
  setup.SetMarginLeft(1234);
  ExpectCancelled(setup, true);
  EXPECT_EQ(setup.MarginLeft(), 1234);
}

TEST(Dialog, FilterBecomesPairsOfZeroEndedTexts) {
  struct Case {
    const wchar_t* filter;
    WideString system;
  } cases[] = {
      {L"Text|*.txt|All|*.*", WideString(L"Text\0*.txt\0All\0*.*\0", 19)},
      {L"Text", WideString(L"Text\0\0", 6)},  // a description without a pattern
      {L"", WideString()},
  };
  for (const Case& c : cases) EXPECT_EQ(TOpenDialog::SystemFilter(c.filter), c.system) << c.filter;
}

// A list only when the first name follows the folder's zero; else one full name up to its zero, whatever follows.
TEST(Dialog, AnswerNamesOneFileOrAFolderWithNames) {
  const WideString full = Zeros(L"C:\\d\\f.txt\0.txt\0\0"), list = Zeros(L"C:\\d\0a\0b\0\0");
  const std::tuple<WideString, size_t, const wchar_t*> cases[] = {
      {Zeros(L"C:\\d\0a.txt\0\x03B2.txt\0\0"), 5, L"C:\\d\\a.txt\r\nC:\\d\\\x03B2.txt\r\n"},
      {Zeros(L"C:\\\0a\0\0"), 4, L"C:\\a\r\n"},
      {full, 5, L"C:\\d\\f.txt\r\n"},  // one file chosen where several may be: the offset points into its name
      {full, 0, L"C:\\d\\f.txt\r\n"},  // where one file may be chosen the offset is not asked for
      {Zeros(L"C:\\d\\f.txt\0ruits.txt\0\0"), 0, L"C:\\d\\f.txt\r\n"},
      {Zeros(L"f.txt\0ruits.txt\0\0"), 0, L"f.txt\r\n"},
      {list, 6, L"C:\\d\r\n"},  // an offset past the folder's zero, or past the buffer, names no list
      {list, 40, L"C:\\d\r\n"},
      {Zeros(L"\0\0"), 0, L""},
  };
  TStringListW files;
  for (const auto& [buffer, offset, names] : cases) {
    TOpenDialog::ParseFileNames(buffer.data(), buffer.size(), offset, &files);
    EXPECT_EQ(files.Text(), names) << WideToUtf8(buffer) << " at " << offset;
  }
}

// The answer comes from another module: any texts, zero-ended or not, and any offset parse within the buffer.
TEST(Dialog, AnyAnswerBufferParsesSafely) {
  std::mt19937 random(20261206);
  TStringListW files;
  for (int round = 0; round < 5000; ++round) {
    std::vector<wchar_t> buffer(static_cast<size_t>(random() % 40) + 1, L'\0');
    for (wchar_t& c : buffer) {
      unsigned pick = random() % 6;
      c = pick == 0 ? L'\0' : pick == 1 ? L'\\' : static_cast<wchar_t>(L'a' + random() % 26);
    }
    const size_t offset = random() % (buffer.size() + 3);
    TOpenDialog::ParseFileNames(buffer.data(), buffer.size(), offset, &files);
    for (int i = 0; i < files.Count(); ++i)
      ASSERT_TRUE(!files[i].empty() && files[i].size() <= buffer.size() * 2) << WideToUtf8(files[i]);
  }
}

// Whatever name was given before, the answer is the name typed, in the folder shown, never a tail of the one before.
TEST(Dialog, TheRealDialogsAnswerTheNameTypedWhateverTheNameBefore) {
  TTestFolder folder;
  CreateDirectoryW(folder.File(L"data").c_str(), nullptr);
  const std::wstring data = folder.File(L"data\\"), longer = L"a much longer name than before.txt";
  for (const std::wstring name : {L"f.txt", L"fruits.txt", longer.c_str(), L"g.txt"})
    folder.Write(L"data\\" + name, "x");
  const std::tuple<bool, bool, std::wstring, std::wstring> cases[] = {
      {true, false, data + L"fruits.txt", L"f.txt"}, {true, false, data + L"f.txt", longer},
      {true, false, L"fruits.txt", data + L"g.txt"}, {false, false, data + L"fruits.txt", L"f.txt"},
      {false, true, data + L"fruits.txt", L"f.txt"}, {false, true, data + L"f.txt", L"fruits.txt"},
      {false, true, longer, data + L"g.txt"},
  };
  for (const auto& [save, several, before, typed] : cases) {
    TSaveDialog saveDialog(nullptr);
    TOpenDialog openDialog(nullptr);
    TOpenDialog& dialog = save ? saveDialog : openDialog;
    // Save over a file without asking, as the main window's own check does before.
    dialog.SetOptions({ofHideReadOnly, ofEnableSizing, ofNoChangeDir});
    if (several) dialog.SetOptions(dialog.Options() + ofAllowMultiSelect);
    dialog.SetFileName(before);
    dialog.SetInitialDir(data);
    TFileDialogTyping typing({typed});
    const std::wstring answer = WideLowerCase(typed.find(L'\\') == std::wstring::npos ? data + typed : typed);
    const std::string what = WideToUtf8(before) + " -> " + WideToUtf8(typed);
    ASSERT_TRUE(dialog.Execute()) << what;
    EXPECT_EQ(std::tuple(typing.Typed(), WideLowerCase(dialog.FileName()), WideLowerCase(dialog.Files()->Text())),
              std::tuple(1, answer, answer + L"\r\n"))
        << what;
  }
}

// Several names typed: each of them, in the folder shown, whatever name was given before.
TEST(Dialog, TheRealOpenDialogAnswersSeveralFiles) {
  TTestFolder folder;
  for (const wchar_t* name : {L"f.txt", L"g.txt", L"fruits and vegetables.txt"}) folder.Write(name, "x");
  for (const wchar_t* before : {L"fruits and vegetables.txt", L"f.txt"}) {
    TOpenDialog dialog(nullptr);
    dialog.SetOptions({ofHideReadOnly, ofEnableSizing, ofNoChangeDir, ofAllowMultiSelect, ofFileMustExist});
    dialog.SetFileName(folder.File(before));
    TFileDialogTyping typing({L"\"f.txt\" \"g.txt\""});
    ASSERT_TRUE(dialog.Execute()) << WideToUtf8(before);
    const std::wstring both = folder.File(L"f.txt") + L"\r\n" + folder.File(L"g.txt") + L"\r\n";
    EXPECT_EQ(WideLowerCase(dialog.Files()->Text()), WideLowerCase(both)) << WideToUtf8(before);
  }
}
