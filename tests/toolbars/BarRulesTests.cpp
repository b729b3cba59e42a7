// Small rules of the toolbar classes: their published defaults, the punctuation a hint drops,
// and the image an action gives an item that still has the default one.
#include <gtest/gtest.h>

#include "framework/Actions.h"
#include "framework/FormFiles.h"
#include "framework/Forms.h"
#include "tests/framework/PublishedDefaults.h"
#include "tests/toolbars/BarTestSupport.h"
#include "toolbars/BarCommon.h"
#include "toolbars/BarDock.h"
#include "toolbars/BarMRU.h"
#include "toolbars/BarPopup.h"
#include "toolbars/BarToolbar.h"

TEST(ToolbarDefaults, ItemsToolbarsDocksAndRecentLists) {
  TPublishedItem item(nullptr);
  ExpectPublishedDefaults(&item, {{"AutoCheck", false},
                                  {"Checked", false},
                                  {"DisplayMode", nbdmDefault},
                                  {"Enabled", true},
                                  {"GroupIndex", 0},
                                  {"HelpContext", 0},
                                  {"ImageIndex", -1},
                                  {"InheritOptions", true},
                                  {"RadioItem", false},
                                  {"ShortCut", 0},
                                  {"Visible", true}});
  EXPECT_EQ(item.ItemStyle(), 6146);

  TForm form(nullptr, CreateNew);
  auto* toolbar = new TBarCustomToolbar(&form);
  ExpectPublishedDefaults(toolbar, {{"ChevronMoveItems", true},
                                    {"ChevronPriorityForNewItems", tbcpHighest},
                                    {"MenuBar", false},
                                    {"ProcessShortCuts", false},
                                    {"ShrinkMode", tbsmChevron},
                                    {"SystemFont", true},
                                    {"UpdateActions", true},
                                    {"DockPos", -1},
                                    {"DockRow", 0},
                                    {"FullSize", false},
                                    {"Stretch", false},
                                    {"UseLastDock", true},
                                    {"CloseButton", true},
                                    {"CloseButtonWhenDocked", false},
                                    {"Resizable", true},
                                    {"ShowCaption", true},
                                    {"SmoothDrag", true},
                                    {"HideWhenInactive", true}});
  // Written only when it differs from the value a new toolbar has, so that false survives a
  // form file.
  ExpectPublishedDefaults(toolbar, {{"DblClickUndock", true}});

  auto* dock = new TBarDock(&form);
  ExpectPublishedDefaults(dock, {{"Position", dpTop}, {"AllowDrag", true}, {"LimitToOneRow", false}});
  EXPECT_EQ(dock->Align(), alTop);

  TBarMRUList recent(nullptr);
  ExpectPublishedDefaults(&recent, {{"AddFullPath", true}, {"HidePathExtension", true}, {"MaxItems", 4}});
  EXPECT_EQ(recent.Prefix(), "MRU");
  EXPECT_EQ(recent.Items()->Count(), 0);
}

TEST(BarCommon, TrailingPunctuationAtTheShortestLengths) {
  const struct {
    const wchar_t *In, *Out;
  } cases[] = {{L"x:", L"x"},
               {L":", L":"},
               {L"", L""},
               {L"x...", L"x"},
               {L"...", L"..."},
               {L"....", L"."},
               {L"x..", L"x.."},
               {L"x:.", L"x:."},
               {L"::", L":"},
               {L"x.:", L"x."},
               {L"x...:", L"x..."},
               {L"a b...", L"a b"},
               {L"\x0416...", L"\x0416"}};
  for (const auto& c : cases) EXPECT_EQ(StripTrailingPunctuation(c.In), c.Out) << c.In;
}

namespace {

const char* const actionForm =
    "object Host: TForm\n"
    "  object actlst: TActionList\n"
    "    object actnOpen: TAction\n"
    "      Caption = 'Open'\n"
    "      ImageIndex = 3\n"
    "    end\n"
    "  end\n"
    "  object pmn: TBarPopupMenu\n"
    "    object itmPlain: TPublishedItem\n"
    "      Action = actnOpen\n"
    "    end\n"
    "    object itmZero: TPublishedItem\n"
    "      Action = actnOpen\n"
    "      ImageIndex = 0\n"
    "    end\n"
    "    object itmOwn: TPublishedItem\n"
    "      Action = actnOpen\n"
    "      ImageIndex = 5\n"
    "    end\n"
    "  end\n"
    "end\n";

}  // namespace

TEST(BarItem, OnlyTheDefaultImageGivesWayToTheActionsImageWhenRead) {
  RegisterClasses({&TForm::StaticClassInfo(), &TActionList::StaticClassInfo(), &TAction::StaticClassInfo(),
                   &TBarPopupMenu::StaticClassInfo(), &TPublishedItem::StaticClassInfo()});
  TForm form(nullptr, CreateNew);
  ReadComponentFromText(actionForm, &form);
  const struct {
    const char* Name;
    int Image;
  } cases[] = {{"itmPlain", 3}, {"itmZero", 0}, {"itmOwn", 5}};
  for (const auto& c : cases) {
    auto* item = dynamic_cast<TBarCustomItem*>(form.FindComponent(c.Name));
    ASSERT_NE(item, nullptr) << c.Name;
    EXPECT_EQ(item->ImageIndex(), c.Image) << c.Name;
    EXPECT_EQ(item->Caption(), L"Open") << c.Name;
  }
  // Once linked, a change of the action reaches every item.
  auto* action = dynamic_cast<TAction*>(form.FindComponent("actnOpen"));
  action->SetImageIndex(7);
  for (const auto& c : cases) EXPECT_EQ(dynamic_cast<TBarCustomItem*>(form.FindComponent(c.Name))->ImageIndex(), 7);
}
