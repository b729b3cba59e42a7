// The main window's caption names the active document as soon as a document is opened or made,
// not only once the program is idle again: a warning box or the menu bar's keyboard loop may keep
// the idle update away for as long as the user likes.
#include "framework/Win.h"

#include "app/TextFileOpening.h"
#include "framework/Application.h"
#include "tests/app/DocumentTestSupport.h"

namespace {

class WindowCaption : public ShownWindowTest {
 protected:
  void SetUp() override {
    ShownWindowTest::SetUp();
    Shown();
    // What the caption said while each box was up.
    boxes_.OnShow = [this](const WideString&) { shown_.push_back(form_->Caption()); };
  }
  void TearDown() override {
    boxes_.OnShow = nullptr;
    ShownWindowTest::TearDown();
  }
  static WideString Named(const WideString& Name) { return Name + L" \u2014 Halcorn Verdan"; }

  std::vector<WideString> shown_;
};

}  // namespace

TEST_F(WindowCaption, TheCaptionNamesTheDocumentWhileItsOpeningsWarningIsUp) {
  // Characters the code page cannot hold: the opening warns.
  const WideString lossy = folder_.Write(L"\u4e2d.txt", "\xE4\xB8\xAD\xE6\x96\x87\r\n");
  struct TWay {
    const char* Name;
    void (*Open)(TMainForm& Form, const WideString& File);
  };
  const TWay ways[] = {
      {"hand-over", [](TMainForm& Form, const WideString& File) { Form.OpenFiles({File}); }},
      {"drop",
       [](TMainForm& Form, const WideString& File) {
         SendMessageW(Form.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({File})), 0);
       }},
  };
  for (const TWay& way : ways) {
    shown_.clear();
    way.Open(*form_, lossy);
    ASSERT_EQ(shown_.size(), 1u) << way.Name;
    EXPECT_EQ(shown_[0], Named(lossy)) << way.Name;
    form_->CloseDocument(form_->ActiveDocument());
  }
}

// Nothing idle between the opening and the look at the caption, as in the menu bar's loop.
TEST_F(WindowCaption, TheCaptionNamesTheDocumentAtOnce) {
  const WideString name = folder_.Write(L"plain.txt", "text");
  ASSERT_EQ(form_->OpenFiles({name}), 1);
  EXPECT_EQ(form_->Caption(), Named(name));
  EXPECT_EQ(Application->Title(), Named(L"plain.txt"));
  form_->NewDocument();
  EXPECT_EQ(form_->Caption(), Named(form_->ActiveDocument()->GetDisplayName(false)));
  // An open file named again only comes to the front, named as well.
  ASSERT_EQ(form_->OpenFiles({name}), 0);
  EXPECT_EQ(form_->Caption(), Named(name));
}
