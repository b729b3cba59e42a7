// A dialog of skinned controls above a status bar with four panels, read from its form file and
// drawn by the default theme. THEME_TEST_HOLD_MS keeps it on screen for a screenshot.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/themes/SkinControlTestSupport.h"
#include "themes/SkinControls.h"
#include "themes/SkinEditors.h"
#include "themes/UiStatusBars.h"

namespace {

class TSkinSampleForm : public TForm {
  HV_CLASS(TSkinSampleForm, TForm)
 public:
  explicit TSkinSampleForm(TComponent* AOwner) : TForm(AOwner) {}
};
HV_PUBLISH(TSkinSampleForm) {}
const bool registered = [] {
  RegisterClass(TSkinSampleForm::StaticClassInfo());
  return true;
}();

}  // namespace

TEST(SkinDialogForm, SkinnedControlsAboveAStatusBar) {
  std::unique_ptr<TSkinSampleForm> form(New<TSkinSampleForm>(nullptr));
  auto get = [&](const char* Name) { return form->FindComponent(Name); };
  auto* find = dynamic_cast<TSkinComboBox*>(get("cmbxFind"));
  form->SetActiveControl(find);
  form->Show();
  const char* hold = std::getenv("THEME_TEST_HOLD_MS");
  DWORD until = GetTickCount() + (hold ? std::atoi(hold) : 0);
  do {
    Application->ProcessMessages();
    Sleep(20);
  } while (GetTickCount() < until);
  // A list given the standard style in the form file still draws its items itself.
  EXPECT_TRUE(GetWindowLongW(dynamic_cast<TSkinListBox*>(get("lstScope"))->Handle(), GWL_STYLE) & LBS_OWNERDRAWFIXED);
  auto* regExp = dynamic_cast<TSkinCheckBox*>(get("chckbxRegExp"));
  EXPECT_GT(regExp->Width(), 60);  // sized to its caption once read
  EXPECT_EQ(dynamic_cast<TSkinLabel*>(get("lblFind"))->FocusControl(), find);
  // The status bar fills the bottom; its last panel reaches the right edge.
  auto* bar = dynamic_cast<TUiStatusBar*>(get("stsbrMain"));
  ASSERT_EQ(bar->Panels()->Count(), 4);
  EXPECT_EQ(bar->Top() + bar->Height(), form->ClientHeight());
  EXPECT_TRUE(bar->Panels()->Items(3)->IsLast());
  EXPECT_EQ(bar->Panels()->Items(3)->Rect().Right, bar->ClientWidth());
}
