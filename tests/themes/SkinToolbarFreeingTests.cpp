// Freeing skinned toolbars, their docks and the items their form owns, in every order, on forms
// shown and never shown, in every display mode: nothing may measure an item being destroyed.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "framework/FormFiles.h"
#include "framework/Forms.h"
#include "tests/framework/MessagePump.h"
#include "themes/SkinToolbar.h"

namespace {

// What a form file builds: a dock, a toolbar on it and its items (the second with a sub-item),
// all owned by the form. The display mode is set last, as reading a form file leaves it, so
// that the toolbar's layout is still to be made when the form is freed.
struct TOwnedBar {
  enum TPart { dock, bar, first, second, partCount };

  TOwnedBar(TSkinToolbarDisplayMode Mode, bool ItemsFirst) : Form(new TForm(nullptr, CreateNew)) {
    Form->SetBounds(30, 30, 300, 120);
    // Items made before their toolbar are freed after it, and the other way round.
    if (ItemsFirst) MakeItems();
    auto* dock = new TSkinDock(Form);
    dock->SetName("Dock");
    dock->SetPosition(dpTop);
    dock->SetParent(Form);
    auto* toolbar = new TSkinToolbar(Form);
    toolbar->SetName("Bar");
    toolbar->SetHideWhenInactive(false);
    toolbar->SetParent(dock);
    if (!ItemsFirst) MakeItems();
    toolbar->Items()->Add(static_cast<TSkinItem*>(Form->FindComponent("First")));
    toolbar->Items()->Add(static_cast<TSkinItem*>(Form->FindComponent("Second")));
    toolbar->SetDisplayMode(Mode == tbdmTextOnly ? tbdmImageOnly : tbdmTextOnly);
    toolbar->SetDisplayMode(Mode);
  }
  void MakeItems() {
    auto* item = new TSkinItem(Form);
    item->SetName("First");
    item->SetCaption(L"First item");
    auto* submenu = new TSkinSubmenuItem(Form);
    submenu->SetName("Second");
    submenu->SetCaption(L"Second item");
    auto* child = new TSkinItem(Form);
    child->SetCaption(L"Child");
    submenu->Add(child);
  }
  // Freeing a dock frees its toolbars, and freeing a toolbar the items on it: what is gone is
  // not freed twice.
  void Free(TPart Part) {
    static const char* const names[] = {"Dock", "Bar", "First", "Second"};
    delete Form->FindComponent(names[Part]);
  }
  TForm* Form;
};

const TSkinToolbarDisplayMode modes[] = {tbdmSelectiveCaption, tbdmImageOnly, tbdmImageAboveCaption, tbdmTextOnly};

TEST(SkinToolbarFreeing, FormFreedWithItsToolbarInEveryModeShownOrNot) {
  for (TSkinToolbarDisplayMode mode : modes)
    for (bool itemsFirst : {false, true})
      for (bool shown : {false, true}) {
        TOwnedBar f(mode, itemsFirst);
        if (shown) {
          f.Form->Show();
          PumpMessagesFor(20);
        }
        delete f.Form;
        SUCCEED() << int(mode) << itemsFirst << shown;
      }
}

// The items a form frees with its toolbar leave the toolbar without a word to the toolbar's
// handler: the form that would hear it is half gone.
struct TNoticeCounter {
  int Count = 0;
  void Heard(TObject*, TBarCustomItem*, bool, TBarItemChangedAction, int, TBarCustomItem*) { ++Count; }
};

TEST(SkinToolbarFreeing, ToolbarFreedWithItsFormSendsNoItemNotification) {
  for (bool itemsFirst : {false, true})
    for (bool shown : {false, true}) {
      TOwnedBar f(tbdmTextOnly, itemsFirst);
      TNoticeCounter counter;
      auto* bar = static_cast<TSkinToolbar*>(f.Form->FindComponent("Bar"));
      bar->OnItemNotification = TSkinItemNotificationEvent(&counter, &TNoticeCounter::Heard);
      bar->Items()->Remove(bar->Items()->Items(1));  // heard while the form lives
      bar->Items()->Add(static_cast<TSkinItem*>(f.Form->FindComponent("Second")));
      ASSERT_GT(counter.Count, 0);
      if (shown) {
        f.Form->Show();
        PumpMessagesFor(20);
      }
      counter.Count = 0;
      delete f.Form;
      EXPECT_EQ(counter.Count, 0) << itemsFirst << shown;
    }
}

// Every order of freeing some of the parts one by one, then the form: each sequence of distinct
// parts, in every mode on a form never shown, and in text-only mode on a shown one.
TEST(SkinToolbarFreeing, PartsFreedInEveryOrderBeforeTheirForm) {
  std::vector<std::vector<TOwnedBar::TPart>> sequences{{}};
  for (size_t at = 0; at < sequences.size(); ++at)
    for (int p = 0; p < TOwnedBar::partCount; ++p)
      if (std::find(sequences[at].begin(), sequences[at].end(), p) == sequences[at].end()) {
        sequences.push_back(sequences[at]);
        sequences.back().push_back(static_cast<TOwnedBar::TPart>(p));
      }
  ASSERT_EQ(sequences.size(), 65u);
  for (TSkinToolbarDisplayMode mode : modes)
    for (bool shown : {false, true}) {
      if (shown && mode != tbdmTextOnly) continue;
      for (const auto& sequence : sequences) {
        TOwnedBar f(mode, false);
        if (shown) {
          f.Form->Show();
          PumpMessagesFor(1);
        }
        for (TOwnedBar::TPart part : sequence) f.Free(part);
        delete f.Form;
      }
    }
}

// A form read from its form file: the items are children of the toolbar there.
TEST(SkinToolbarFreeing, FormReadFromItsFileFreedInEveryMode) {
  static const char* const modeNames[] = {"tbdmSelectiveCaption", "tbdmImageOnly", "tbdmImageAboveCaption",
                                          "tbdmTextOnly"};
  RegisterSkinClasses();
  for (const char* mode : modeNames)
    for (bool shown : {false, true}) {
      auto* form = new TForm(nullptr, CreateNew);
      ReadComponentFromText(std::string("object F: TForm\n  object Dock: TSkinDock\n    object Bar: TSkinToolbar\n"
                                        "      DisplayMode = ") +
                                mode +
                                "\n      object First: TSkinItem\n        Caption = 'First'\n      end\n"
                                "      object Second: TSkinItem\n        Caption = 'Second'\n      end\n"
                                "    end\n  end\nend\n",
                            form);
      if (shown) {
        form->Show();
        PumpMessagesFor(5);
      }
      delete form;
      SUCCEED() << mode << shown;
    }
}

}  // namespace
