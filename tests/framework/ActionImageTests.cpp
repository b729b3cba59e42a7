// The image an action gives a menu item read from a form file: only an item that still has the
// default image (-1) takes the action's.
#include <gtest/gtest.h>

#include "framework/Actions.h"
#include "framework/FormFiles.h"
#include "framework/Forms.h"
#include "framework/FrameworkClasses.h"
#include "framework/Menus.h"

TEST(MenuItemActions, OnlyTheDefaultImageGivesWayToTheActionsImageWhenRead) {
  RegisterFrameworkClasses();
  TForm form(nullptr, CreateNew);
  ReadComponentFromText(
      "object Host: TForm\n"
      "  object actlst: TActionList\n"
      "    object actnOpen: TAction\n"
      "      Caption = 'Open'\n"
      "      ImageIndex = 3\n"
      "    end\n"
      "  end\n"
      "  object pmn: TPopupMenu\n"
      "    object mnitmPlain: TMenuItem\n"
      "      Action = actnOpen\n"
      "    end\n"
      "    object mnitmZero: TMenuItem\n"
      "      Action = actnOpen\n"
      "      ImageIndex = 0\n"
      "    end\n"
      "  end\n"
      "end\n",
      &form);
  const struct {
    const char* Name;
    int Image;
  } cases[] = {{"mnitmPlain", 3}, {"mnitmZero", 0}};
  for (const auto& c : cases) {
    auto* item = dynamic_cast<TMenuItem*>(form.FindComponent(c.Name));
    ASSERT_NE(item, nullptr) << c.Name;
    EXPECT_EQ(item->ImageIndex(), c.Image) << c.Name;
    EXPECT_EQ(item->Caption(), L"Open") << c.Name;
  }
}
