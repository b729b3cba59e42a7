// Texts of the Russian language file fit where the program shows them: the about dialog's
// notice, longer than the English one, shows whole.
#include <gtest/gtest.h>

#include "app/AboutFrm.h"
#include "foundation/LgLanguage.h"
#include "framework/GdiHandles.h"
#include "framework/Graphics.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/DocumentTestSupport.h"
#include "themes/SkinControls.h"

namespace {

class TranslatedFit : public DocumentTest {
 protected:
  void TearDown() override {
    LangManager().SetLanguageID(LangManager().DefaultLanguageID());
    DocumentTest::TearDown();
  }
};

// Each line of the notice, as the dialog broke it, is narrower than its label by a few
// characters; the label is as tall as its lines, and the maker's line, the site and the button
// stay below it, inside the dialog. Fitting twice changes nothing.
TEST_F(TranslatedFit, TheAboutNoticeShowsWholeInEachLanguage) {
  ASSERT_TRUE(LangManager().RegisterLanguageFile(BuildPath(L"app\\Languages\\Russian.lng")));
  for (LANGID language : {LANGID(1049), LANGID(1033)}) {
    SCOPED_TRACE(language);
    LangManager().SetLanguageID(language);
    auto* form = New<TAboutForm>(nullptr);
    form->FitNotice();
    const TRect noticeBefore = form->lblNotice->BoundsRect();
    const int heightBefore = form->ClientHeight();
    form->FitNotice();
    EXPECT_TRUE(form->lblNotice->BoundsRect() == noticeBefore && form->ClientHeight() == heightBefore);
    if (language == 1049) {
      EXPECT_EQ(form->lblNotice->Caption().substr(0, 3), L"\u042d\u0442\u0430");
    }
    TWindowDC screen;
    TCanvas canvas;
    canvas.SetHandle(screen.Get());
    canvas.Font()->Assign(form->lblNotice->Font());
    const WideString text = form->lblNotice->Caption();
    int lines = 0;
    for (size_t at = 0; at <= text.size(); ++lines) {
      size_t end = text.find(L"\r\n", at);
      if (end == WideString::npos) end = text.size();
      const WideString line = text.substr(at, end - at);
      SIZE size{};
      GetTextExtentPoint32W(canvas.Handle(), line.c_str(), static_cast<int>(line.size()), &size);
      EXPECT_LE(size.cx + 8, form->lblNotice->Width()) << WideToUtf8(line);
      at = end + 2;
    }
    const int lineHeight = canvas.TextHeight(L"\u042d");
    canvas.SetHandle(nullptr);
    EXPECT_GE(lines, language == 1049 ? 4 : 2);
    EXPECT_GE(form->lblNotice->Height(), lines * lineHeight);
    EXPECT_GE(form->lblMaker->Top(), form->lblNotice->Top() + form->lblNotice->Height());
    EXPECT_GT(form->lblSite->Top(), form->lblMaker->Top());
    EXPECT_GT(form->btnClose->Top(), form->lblSite->Top());
    EXPECT_LE(form->btnClose->Top() + form->btnClose->Height(), form->ClientHeight());
    delete form;
  }
}

}  // namespace
