// A form of the small controls read from its own form file: the page list with its pages, spin
// edits of three kinds, a size grip, and a colour drop button with its palette open below it.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "ControlsTestSupport.h"
#include "controls/ApColorForm.h"
#include "controls/ApPageList.h"
#include "controls/ApSpin.h"
#include "controls/SizeGripThemed.h"

class TApSmallControlsForm : public TApForm {
  HV_CLASS(TApSmallControlsForm, TApForm)
 public:
  explicit TApSmallControlsForm(TComponent* AOwner) : inherited(AOwner) {}
  template <class T>
  T* Get(const char* Name) {
    return dynamic_cast<T*>(FindComponent(Name));
  }
};

HV_PUBLISH(TApSmallControlsForm) {}

TEST(ApSmallControlsFormTest, ReadFromItsFormFileAndShown) {
  RegisterClass(TApSmallControlsForm::StaticClassInfo());
  std::unique_ptr<TApSmallControlsForm> form(New<TApSmallControlsForm>(nullptr));
  auto* pages = form->Get<TApPageList>("lstPages");
  ASSERT_NE(pages, nullptr);
  EXPECT_EQ(pages->GetPageCount(), 2);
  EXPECT_EQ(pages->ActivePage(), form->Get<TApStandardPage>("pgSecond"));
  std::vector<TComponent*> children;  // pages are written first, in page order
  pages->GetChildren([&](TComponent* c) { children.push_back(c); }, form.get());
  EXPECT_EQ(children, (std::vector<TComponent*>{form->Get<TApStandardPage>("pgFirst"), pages->ActivePage()}));
  auto* tabWidth = form->Get<TApSpinEdit>("spnTabWidth");
  ASSERT_NE(tabWidth, nullptr);
  EXPECT_EQ(tabWidth->Text(), L"8");
  EXPECT_EQ(tabWidth->ButtonKind(), bkClassic);
  EXPECT_EQ(static_cast<double>(form->Get<TApSpinEdit>("spnMargin")->Increment()), 0.5);
  auto* grip = form->Get<TSizeGripThemed>("grpGrip");
  ASSERT_NE(grip, nullptr);
  EXPECT_EQ(grip->TargetControl(), form.get());
  form->Show();
  Pump();
  EXPECT_TRUE(grip->Hooked());
  EXPECT_NE(form->Get<TApSpinEdit>("spnStandard")->UpDown(), nullptr);
  // The typed value is kept to the limits.
  tabWidth->SetValue(40);
  EXPECT_EQ(tabWidth->Text(), L"32");
  auto* colour = new TApCustomDropButton(form.get());
  colour->SetParent(form.get());
  colour->SetBounds(280, 140, 42, 21);
  auto* palette = new TApColorForm(colour);
  palette->Show();
  palette->FormActivate(palette);
  Pump();
  EXPECT_EQ(palette->BoundsRect().TopLeft(), form->ClientToScreen(TPoint{280, 161}));  // below its button
  // For a look at the form: VERDAN_SHOWCASE_SECONDS keeps it on the screen that long.
  if (const char* seconds = std::getenv("VERDAN_SHOWCASE_SECONDS")) {
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(std::atoi(seconds));
    while (std::chrono::steady_clock::now() < end) {
      Pump();
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
  delete palette;
}
