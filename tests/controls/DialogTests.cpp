// The common dialogs: each one opens, shows its window to OnShow, and a posted Cancel closes
// it with nothing chosen.
#include <gtest/gtest.h>

#include "ControlsTestSupport.h"
#include "framework/Dialogs.h"

#include <random>

namespace {

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

TEST(Dialog, AnswerNamesOneFileOrAFolderWithNames) {
  TStringListW files;
  TOpenDialog::ParseFileNames(WideString(L"C:\\d\0a.txt\0\x03B2.txt\0\0", 21).c_str(), &files);
  EXPECT_EQ(files.Text(), L"C:\\d\\a.txt\r\nC:\\d\\\x03B2.txt\r\n");
  TOpenDialog::ParseFileNames(WideString(L"C:\\\0a\0\0", 7).c_str(), &files);
  EXPECT_EQ(files[0], L"C:\\a");
}

// The answer buffer comes from another module: any zero-ended run of texts must parse into
// names without reading past its double zero.
TEST(Dialog, AnyAnswerBufferParsesSafely) {
  std::mt19937 random(20261206);
  TStringListW files;
  for (int round = 0; round < 5000; ++round) {
    std::vector<wchar_t> buffer(static_cast<size_t>(random() % 40) + 2, L'\0');
    for (size_t i = 0; i + 2 < buffer.size(); ++i) {
      unsigned pick = random() % 6;
      buffer[i] = pick == 0 ? L'\0' : pick == 1 ? L'\\' : static_cast<wchar_t>(L'a' + random() % 26);
    }
    TOpenDialog::ParseFileNames(buffer.data(), &files);
    for (int i = 0; i < files.Count(); ++i) ASSERT_FALSE(files[i].empty());
  }
}
