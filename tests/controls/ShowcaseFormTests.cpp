// A form of Unicode controls read from its form file: its texts reach every control, and typed
// text goes back into the written form file.
#include <gtest/gtest.h>

#include "ControlsTestSupport.h"
#include "controls/UcStdCtrls.h"
#include "framework/CodePages.h"
#include "framework/ExtCtrls.h"
#include "framework/FormFiles.h"
#include "framework/StdCtrls.h"

namespace {

class TUcShowcaseForm : public TForm {
  HV_CLASS(TUcShowcaseForm, TForm)
 public:
  explicit TUcShowcaseForm(TComponent* AOwner) : TForm(AOwner) {}
  TUcShowcaseForm(TComponent* AOwner, TCreateNew) : TForm(AOwner, CreateNew) {}
  template <class T>
  T* Get(const char* Name) {
    return dynamic_cast<T*>(FindComponent(Name));
  }
};
HV_PUBLISH(TUcShowcaseForm) {}

const bool registered = [] {
  RegisterClass(TUcShowcaseForm::StaticClassInfo());
  return true;
}();

void ExpectShowcaseTexts(TUcShowcaseForm* form) {
  EXPECT_EQ(form->Caption(),
            L"\x042D\x043B\x0435\x043C\x0435\x043D\x0442\x044B \x0443\x043F\x0440\x0430\x0432\x043B"
            L"\x0435\x043D\x0438\x044F \x2014 \x03A3\x03C4\x03BF\x03B9\x03C7\x03B5\x03AF\x03B1 "
            L"\x03B5\x03BB\x03AD\x03B3\x03C7\x03BF\x03C5");
  auto* combo = form->Get<TUcComboBox>("cmbLanguage");
  ASSERT_NE(combo, nullptr);
  ASSERT_EQ(combo->Items()->Count(), 3);
  EXPECT_TRUE(combo->Items()->Strings(1) == L"\x0395\x03BB\x03BB\x03B7\x03BD\x03B9\x03BA\x03AC" &&
              combo->ItemIndex() == 1);
  auto* check = form->Get<TUcCheckListBox>("chklstScripts");
  ASSERT_NE(check, nullptr);
  EXPECT_EQ(check->Items()->Strings(0), L"\x041A\x0438\x0440\x0438\x043B\x043B\x0438\x0446\x0430");
  EXPECT_TRUE(form->Get<TRadioButton>("rbTwo")->Caption() == L"\x0394\x03CD\x03BF" &&
              form->Get<TRadioButton>("rbOne")->Checked());
  EXPECT_EQ(form->Get<TCheckBox>("chkConfirm")->State(), cbChecked);
  EXPECT_EQ(form->Get<TUcListBox>("lstWords")->Items()->Strings(3), L"\x0414 \x0434\x044D");
  EXPECT_EQ(form->Get<TLabel>("lblLanguage")->FocusControl(), combo);
}

}  // namespace

TEST(ShowcaseForm, TypedTextGoesIntoTheWrittenFormFile) {
  std::unique_ptr<TUcShowcaseForm> form(New<TUcShowcaseForm>(nullptr));
  form->Show();
  Pump();
  ExpectShowcaseTexts(form.get());
  auto* edit = form->Get<TEdit>("edtGreeting");
  edit->Clear();
  const WideString typed = L"\x0416\x0443\x0440\x043D\x0430\x043B \x03A9 \x4E2D";
  TypeChars(edit->Handle(), typed);
  std::string text = WriteComponentToText(form.get());
  EXPECT_NE(text.find(WideToUtf8(typed)), std::string::npos);
  std::unique_ptr<TUcShowcaseForm> copy(new TUcShowcaseForm(nullptr, CreateNew));
  ReadComponentFromText(text, copy.get());
  EXPECT_EQ(copy->Get<TEdit>("edtGreeting")->Text(), typed);
  EXPECT_EQ(copy->Get<TUcListBox>("lstWords")->Items()->Text(), form->Get<TUcListBox>("lstWords")->Items()->Text());
  ExpectShowcaseTexts(copy.get());
}
