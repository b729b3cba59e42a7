// The shared support of the control tests.
#include "ControlsTestSupport.h"

#include "controls/ApControlClasses.h"
#include "controls/UcStdCtrls.h"
#include "framework/FrameworkClasses.h"

void ShownForm::SetUp() {
  form = new TForm(nullptr, CreateNew);
  form->SetBounds(40, 40, 420, 300);
  form->Show();
  Pump();
}

void ShownForm::TearDown() {
  delete form;
  Pump();
}

void Pump() { Application->ProcessMessages(); }

void TypeChars(HWND Wnd, const WideString& Text) {
  for (wchar_t c : Text) SendMessageW(Wnd, WM_CHAR, c, 1);
}

namespace {
class TControlsTestEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    RegisterFrameworkClasses();
    RegisterUnicodeControlClasses();
    RegisterApControlClasses();
  }
};
const testing::Environment* const environment = testing::AddGlobalTestEnvironment(new TControlsTestEnvironment);
}  // namespace
