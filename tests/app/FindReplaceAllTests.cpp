// Replace-all from the find and replace dialog's path over a document in a shown main window,
// and the undo and redo of it: the window hears of each command once, whatever the number of
// hits, and the text is exact after each.
#include <gtest/gtest.h>

#include <string>

#include "app/FindReplace.h"
#include "editor/TxtEditSearch.h"
#include "tests/app/DocumentTestSupport.h"
#include "tests/common/WindowCallCounter.h"

namespace {

class FindReplaceAllInWindow : public DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    Make();
    form_->Show();
    edit_ = form_->ActiveEditor();
    find_ = std::make_unique<TFindAndReplace>(new TTxtEditSearch(form_), new TTxtEditRegexSearch(form_));
  }
  void Settle() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    UpdateWindow(edit_->Handle());
  }
  TTxtEdit* edit_ = nullptr;
  std::unique_ptr<TFindAndReplace> find_;
};

std::string Text(const char* Word, int Lines) {
  std::string text;
  for (int i = 0; i < Lines; ++i)
    text += (i ? "\r\n" : "") + std::string(static_cast<size_t>(i % 4), '\t') + "f(" + Word + ") = {" + Word + "};";
  return text;
}

}  // namespace

TEST_F(FindReplaceAllInWindow, TheWindowHearsOfEachCommandOnce) {
  ::Options->HighlightMatchingBrackets = true;
  for (bool expressions : {false, true}) {
    const std::string original = Text("lambda", 1200);
    edit_->SetTextA(original);
    edit_->SetCaretXY({1, 1});
    edit_->SetAlwaysShowCaret(true);
    Settle();
    TWindowCallCounter counter;
    ASSERT_TRUE(counter.Hooked());
    TFindSettings settings;
    settings.RegularExpressions = expressions;
    EXPECT_EQ(find_->Replace(edit_, "lambda", "LAMBDA", settings, true), frNone);
    auto few = [&](const char* What) {
      const TWindowCalls& calls = counter.Calls();
      EXPECT_LE(calls.Invalidates, 4) << What << expressions;
      EXPECT_EQ(calls.Scrolls, 0) << What << expressions;
      EXPECT_LE(calls.ScrollBars, 8) << What << expressions;
      EXPECT_LE(calls.Carets, 4) << What << expressions;
    };
    few("replace-all");
    EXPECT_EQ(edit_->TextA(), Text("LAMBDA", 1200)) << expressions;
    Settle();
    counter.Reset();
    edit_->Undo();
    few("undo");
    EXPECT_EQ(edit_->TextA(), original) << expressions;
    Settle();
    counter.Reset();
    edit_->Redo();
    few("redo");
    EXPECT_EQ(edit_->TextA(), Text("LAMBDA", 1200)) << expressions;
  }
}
