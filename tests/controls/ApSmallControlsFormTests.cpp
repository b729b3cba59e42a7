// A form of the small controls read from its own form file: the page list with its pages, spin
// edits of three kinds, a size grip, and a colour drop button with its palette open below it.
#include <gtest/gtest.h>

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

TEST(ApSmallControlsForm, ReadFromItsFormFileAndShown) {
  RegisterClass(TApSmallControlsForm::StaticClassInfo());
  std::unique_ptr<TApSmallControlsForm> form(New<TApSmallControlsForm>(nullptr));
  auto* pages = form->Get<TApPageList>("lstPages");
  ASSERT_TRUE(pages && pages->ActivePage() == form->Get<TApStandardPage>("pgSecond"));
  std::vector<TComponent*> children;  // pages are written first, in page order
  pages->GetChildren([&](TComponent* c) { children.push_back(c); }, form.get());
  EXPECT_EQ(children, (std::vector<TComponent*>{form->Get<TApStandardPage>("pgFirst"), pages->ActivePage()}));
  auto* tabWidth = form->Get<TApSpinEdit>("spnTabWidth");
  ASSERT_NE(tabWidth, nullptr);
  EXPECT_TRUE(tabWidth->Text() == L"8" && tabWidth->ButtonKind() == bkClassic);
  EXPECT_EQ(static_cast<double>(form->Get<TApSpinEdit>("spnMargin")->Increment()), 0.5);
  auto* grip = form->Get<TSizeGripThemed>("grpGrip");
  ASSERT_TRUE(grip && grip->TargetControl() == form.get());
  form->Show();
  Pump();
  EXPECT_TRUE(grip->Hooked() && form->Get<TApSpinEdit>("spnStandard")->UpDown() != nullptr);
  tabWidth->SetValue(40);  // kept to the limits
  EXPECT_EQ(tabWidth->Text(), L"32");
  auto* colour = new TApCustomDropButton(form.get());
  colour->SetParent(form.get());
  colour->SetBounds(280, 140, 42, 21);
  auto* palette = new TApColorForm(colour);
  palette->Show();
  palette->FormActivate(palette);
  Pump();
  EXPECT_EQ(palette->BoundsRect().TopLeft(), form->ClientToScreen(TPoint{280, 161}));  // below its button
  delete palette;
}
