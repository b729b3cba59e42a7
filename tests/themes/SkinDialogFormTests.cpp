// A dialog made of skinned controls above a status bar with four panels, drawn by the default
// theme. THEME_TEST_HOLD_MS keeps it on screen for a screenshot.
#include <gtest/gtest.h>

#include <cstdlib>

#include "framework/StdCtrls.h"
#include "tests/themes/SkinControlTestSupport.h"
#include "themes/SkinControls.h"
#include "themes/SkinEditors.h"
#include "themes/UiStatusBars.h"

namespace {

class SkinDialogForm : public TSkinFormTest {};

TEST_F(SkinDialogForm, SkinnedControlsAboveAStatusBar) {
  form->SetCaption(L"Skinned dialog");
  form->SetBounds(30, 30, 520, 360);
  auto* group = Child<TSkinGroupBox>();
  group->SetCaption(L"Search options");
  group->SetBounds(12, 10, 240, 130);
  const wchar_t* options[] = {L"Match &case", L"&Whole words only", L"&Regular expression"};
  TSkinCheckBox* boxes[3];
  for (int i = 0; i < 3; ++i) {
    boxes[i] = Child<TSkinCheckBox>(group);
    boxes[i]->SetCaption(options[i]);
    boxes[i]->SetBounds(12, 24 + i * 30, 200, 20);
  }
  boxes[0]->SetChecked(true);
  boxes[2]->SetAllowGrayed(true);
  boxes[2]->SetState(cbGrayed);
  auto* label = Child<TSkinLabel>();
  label->SetCaption(L"&Find what:");
  label->SetBounds(270, 16, 100, 16);
  auto* combo = Child<TSkinComboBox>();
  combo->SetBounds(270, 36, 230, 24);
  combo->Items()->Add(L"needle");
  combo->SetItemIndex(0);
  label->SetFocusControl(combo);
  auto* link = Child<TSkinLabel>();
  link->SetCaption(L"Regular expression help");
  link->SetLinkText(L"https://example.org/regex");
  link->SetBounds(270, 70, 200, 16);
  auto* list = Child<TSkinListBox>();
  list->SetBounds(12, 150, 240, 100);
  for (const wchar_t* s : {L"Current document", L"All open documents", L"Selection"}) list->Items()->Add(s);
  list->SetItemIndex(1);
  auto* checks = Child<TSkinCheckListBox>();
  checks->SetBounds(270, 100, 230, 80);
  for (const wchar_t* s : {L"Wrap around", L"Backwards", L"Prompt on replace"}) checks->Items()->Add(s);
  checks->SetChecked(0, true);
  checks->SetItemEnabled(2, false);
  auto* panel = Child<TSkinPanel>();
  panel->SetBounds(270, 190, 230, 60);
  auto* ok = Child<TSkinButton>(panel);
  ok->SetCaption(L"OK");
  ok->SetDefault(true);
  ok->SetBounds(20, 18, 90, 25);
  auto* cancel = Child<TSkinButton>(panel);
  cancel->SetCaption(L"Cancel");
  cancel->SetCancel(true);
  cancel->SetBounds(120, 18, 90, 25);
  auto* bar = Child<TUiStatusBar>();
  const struct {
    const wchar_t* Caption;
    int Size;
    TAlignment Alignment;
    int Stretch;
  } panels[] = {{L"Ln 12, Col 5", 120, taLeftJustify, 0},
                {L"INS", 50, taCenter, 0},
                {L"UTF-8", 80, taCenter, 0},
                {L"Ready", 100, taLeftJustify, 1}};
  for (const auto& p : panels) {
    TUiStatusPanel* panel = bar->Panels()->Add();
    panel->SetCaption(p.Caption);
    panel->SetSize(p.Size);
    panel->SetAlignment(p.Alignment);
    panel->SetStretchPriority(p.Stretch);
  }
  form->SetActiveControl(combo);
  Pump();
  const char* hold = std::getenv("THEME_TEST_HOLD_MS");
  DWORD until = GetTickCount() + (hold ? std::atoi(hold) : 0);
  do {
    Pump();
    Sleep(20);
  } while (GetTickCount() < until);
  // The status bar fills the bottom, its last panel reaches the right edge.
  EXPECT_EQ(bar->Top() + bar->Height(), form->ClientHeight());
  EXPECT_TRUE(bar->Panels()->Items(3)->IsLast());
  EXPECT_EQ(bar->Panels()->Items(3)->Rect().Right, bar->ClientWidth());
  // The checked box's glyph differs from the unchecked one's.
  auto glyph = [](TWinControl* C) {
    std::vector<COLORREF> px;
    for (int y = 3; y < 16; ++y)
      for (int x = 0; x < 13; ++x) px.push_back(PixelOf(C, x, y));
    return px;
  };
  EXPECT_NE(glyph(boxes[0]), glyph(boxes[1]));
}

}  // namespace
