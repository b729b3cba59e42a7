// The small controls: radio tiles among their siblings only, and the etched line of the group
// caption beside, around or across its text.
#include <gtest/gtest.h>

#include "app/AppControls.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"

namespace {

struct TChangeCount : TObject {
  void Changed(TObject*) { ++Count; }
  int Count = 0;
};

}  // namespace

TEST(InfoBar, ATileChecksAloneAmongItsSiblingsOnly) {
  TForm* form = new TForm(nullptr, CreateNew);
  auto* first = new TPanel(form);
  first->SetParent(form);
  auto* second = new TPanel(form);
  second->SetParent(form);
  auto* a = new TNSInfoBar(form);
  auto* b = new TNSInfoBar(form);
  auto* elsewhere = new TNSInfoBar(form);
  a->SetParent(first);
  b->SetParent(first);
  elsewhere->SetParent(second);
  TChangeCount changes;
  b->OnChange = TNotifyEvent(&changes, &TChangeCount::Changed);
  a->SetChecked(true);
  elsewhere->SetChecked(true);
  EXPECT_TRUE(a->TabStop());
  b->Click();
  EXPECT_TRUE(b->Checked() && b->TabStop());
  EXPECT_FALSE(a->Checked() || a->TabStop());
  EXPECT_TRUE(elsewhere->Checked());
  EXPECT_EQ(changes.Count, 1);
  b->Click();  // checked already: no second change
  b->SetChecked(false);
  EXPECT_EQ(changes.Count, 1);
  delete form;
}

TEST(BvLabel, TheLineRunsBesideAroundOrAcrossTheCaption) {
  using TSegments = std::vector<std::pair<int, int>>;
  struct {
    int Width, TextWidth;
    TAlignment Alignment;
    TSegments Expected;
  } const cases[] = {
      {120, 40, taLeftJustify, {{40, 120}}},     {120, 40, taRightJustify, {{0, 80}}},
      {120, 40, taCenter, {{0, 40}, {80, 120}}}, {121, 40, taCenter, {{0, 40}, {80, 121}}},
      {120, 0, taLeftJustify, {{0, 120}}},  // an empty caption: the whole width
  };
  for (const auto& c : cases) EXPECT_EQ(TNSBvLabel::LineSegments(c.Width, c.TextWidth, c.Alignment), c.Expected);
}
