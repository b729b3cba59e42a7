// Small rules of the skinned classes: their published defaults, the size request of a caption
// the inherited item already has, the pushed part of a split item, and the image an action
// gives an item or a button that still has the default one.
#include <gtest/gtest.h>

#include <iterator>
#include <set>
#include <sstream>
#include <string>

#include "framework/Actions.h"
#include "framework/FormFiles.h"
#include "framework/Forms.h"
#include "framework/FrameworkClasses.h"
#include "tests/framework/PublishedDefaults.h"
#include "tests/themes/SkinTestSupport.h"
#include "tests/themes/UiItemsTestSupport.h"
#include "tests/toolbars/BarTestSupport.h"
#include "themes/SkinControls.h"
#include "themes/SkinCustomizer.h"
#include "themes/SkinTabs.h"
#include "themes/SkinToolbar.h"
#include "themes/UiExtItems.h"
#include "themes/UiStatusBars.h"
#include "themes/UiToolPals.h"

TEST(ThemesDefaults, SkinnedItems) {
  TSkinItem item(nullptr);
  ExpectPublishedDefaults(&item, {{"AutoCheck", false},
                                  {"Checked", false},
                                  {"DisplayMode", nbdmDefault},
                                  {"Enabled", true},
                                  {"GroupIndex", 0},
                                  {"ImageIndex", -1},
                                  {"InheritOptions", true},
                                  {"Stretch", true},
                                  {"Visible", true},
                                  {"Wrapping", twWrap},
                                  {"Alignment", taCenter},
                                  {"Anchored", false},
                                  {"CaptionGlow", gldNone},
                                  {"CaptionGlowColor", 65535},
                                  {"CustomWidth", -1},
                                  {"CustomHeight", -1},
                                  {"Margins", 0}});
  TSkinSubmenuItem submenu(nullptr);
  ExpectPublishedDefaults(&submenu, {{"DropdownCombo", false}, {"Alignment", taCenter}, {"ToolBoxPopup", false}});
  ExpectPublishedDefaults(&submenu, {{"ToolbarStylePopup", false}, {"AlwaysSelectFirst", false}});
  // Labels start left-aligned; their stretch and display mode are fixed, not published.
  TSkinLabelItem label(nullptr);
  TSkinRightAlignSpacerItem spacer(nullptr);
  for (TSkinCustomItem* i : {static_cast<TSkinCustomItem*>(&label), static_cast<TSkinCustomItem*>(&spacer)})
    ExpectPublishedDefaults(i, {{"Alignment", taLeftJustify},
                                {"CaptionGlowColor", 65535},
                                {"CustomWidth", -1},
                                {"CustomHeight", -1},
                                {"ImageIndex", -1}});
  TSkinTabItem tab(nullptr);  // image and text, the tabs' group, an ellipsis, a margin
  ExpectPublishedDefaults(&tab, {{"DisplayMode", nbdmImageAndText}, {"GroupIndex", SkinTabGroupIndex}, {"Margins", 4}});
  ExpectPublishedDefaults(&tab, {{"Wrapping", twEndEllipsis}, {"Alignment", taCenter}});
}

TEST(ThemesDefaults, SkinnedControls) {
  TForm form(nullptr, CreateNew);
  auto* button = new TSkinButton(&form);
  ExpectPublishedDefaults(button, {{"Alignment", taCenter},
                                   {"AutoSize", false},
                                   {"CaptionGlow", gldNone},
                                   {"CaptionGlowColor", 65535},
                                   {"ImageIndex", -1},
                                   {"ShowAccelChar", true},
                                   {"Wrapping", twNone},
                                   {"BitmapTransparent", true},
                                   {"Cancel", false},
                                   {"Default", false},
                                   {"DropDownArrow", true},
                                   {"GroupIndex", 0},
                                   {"ModalResult", 0},
                                   {"Repeating", false},
                                   {"ThemeType", thtWindows}});
  EXPECT_TRUE(button->DrawPushedCaption());
  EXPECT_EQ(button->Width(), 75);
  EXPECT_EQ(button->Height(), 25);
  auto* check = new TSkinCheckBox(&form);
  ExpectPublishedDefaults(check, {{"AutoSize", true},
                                  {"CaptionGlowColor", 65535},
                                  {"ImageIndex", -1},
                                  {"AllowGrayed", false},
                                  {"State", cbUnchecked},
                                  {"GroupIndex", 0},
                                  {"ThemeType", thtUi},
                                  {"TabStop", true}});
  EXPECT_EQ(check->Alignment(), taLeftJustify);
  EXPECT_FALSE(check->DrawPushedCaption());
  auto* label = new TSkinLabel(&form);
  ExpectPublishedDefaults(label, {{"AutoSize", true},
                                  {"CaptionGlowColor", 65535},
                                  {"ImageIndex", -1},
                                  {"Color", clNone},
                                  {"ParentColor", false},
                                  {"Underline", false},
                                  {"UnderlineColor", clBtnShadow}});
  EXPECT_EQ(label->LinkFont()->Color(), TColor(0xFF0000));
  EXPECT_TRUE(label->LinkFont()->Style().Contains(fsUnderline));
  auto* panel = new TSkinPanel(&form);
  ExpectPublishedDefaults(panel, {{"Borders", true},
                                  {"BorderType", pbrEtched},
                                  {"UiStyleBackground", false},
                                  {"ThemeType", thtUi},
                                  {"HotTrack", false}});
}

TEST(ThemesDefaults, TabToolbar) {
  TSkinTabToolbar toolbar(nullptr);
  ExpectPublishedDefaults(&toolbar, {{"TabAutofit", false},
                                     {"TabAutofitMaxSize", 200},
                                     {"TabColor", clBtnFace},
                                     {"TabPosition", ttpTop},
                                     {"TabDragReorder", false},
                                     {"ThemeType", tttWindows}});
  EXPECT_EQ(toolbar.ActiveTabIndex(), -1);
}

TEST(SkinItem, ACaptionTheInheritedItemHasAlreadyStillAsksForANewSize) {
  TSkinView f(true);
  auto* item = new TSkinItem(nullptr);
  f.Add(item);
  TChangeLog log;
  f.root.RegisterNotification(log.Proc());
  item->TBarCustomItem::SetCaption(L"Open");
  log.Entries.clear();
  item->SetCaption(L"Open");
  EXPECT_EQ(log.Text(), "tbicInvalidateAndResize -1");
  EXPECT_EQ(item->Caption(), L"Open");
  log.Entries.clear();
  item->SetCaption(L"Open");  // nothing new
  EXPECT_EQ(log.Text(), "");
  item->SetCaption(L"Close");  // a new text through the inherited setter, announced once
  EXPECT_EQ(log.Entries.size(), 1u);
  f.root.UnregisterNotification(log.Proc());
}

TEST(SkinItemViewer, ASplitItemKeepsItsButtonPushedWhileTheMouseIsTracked) {
  TRecordingTheme theme;
  TThemeSwap swap(&theme);
  TBarRootItem root(nullptr);
  auto* split = new TSkinSubmenuItem(nullptr);
  split->SetDropdownCombo(true);
  auto* plain = new TSkinItem(nullptr);
  root.Add(split);
  root.Add(plain);
  {
    TTestView view(&root, true);
    view.UpdatePositions();
    view.MouseInWindow = true;
    view.MousePos = {2, 2};
    for (int index : {0, 1}) {
      auto* viewer = dynamic_cast<TSkinItemViewer*>(view.Viewers(index));
      ASSERT_NE(viewer, nullptr);
      view.Select(viewer);
      ASSERT_TRUE(view.MouseOverSelected());
      TItemPicture pic(60, 30);
      for (bool tracking : {true, false}) {
        view.SetMouseTracking(tracking);
        TUiItemInfo info;
        viewer->FillItemInfo(pic.Canvas(), info);
        // Without an open sub-menu only tracking pushes the button.
        EXPECT_EQ(info.Pushed != 0, tracking) << index << tracking;
      }
      view.SetMouseTracking(false);
      view.MousePos = {view.Viewers(1)->BoundsRect().Left + 2, 2};
    }
  }
  while (root.Count()) {
    TBarCustomItem* item = root.Items(0);
    root.Delete(0);
    delete item;
  }
}

namespace {

// The names of a list separated by blanks.
std::multiset<std::string> Names(const std::string& List) {
  std::istringstream in(List);
  return {std::istream_iterator<std::string>(in), {}};
}

// The properties Class publishes beyond those of every component (Name, Tag).
std::multiset<std::string> OwnProperties(const TClassInfo& Class) {
  std::multiset<std::string> names;
  for (const TPropInfo* p : Class.Props())
    if (p->DeclaringClass != &TComponent::StaticClassInfo()) names.insert(p->Name);
  return names;
}

const char* const actionForm =
    "object Host: TForm\n"
    "  object actlst: TActionList\n"
    "    object actnOpen: TAction\n"
    "      Caption = 'Open'\n"
    "      ImageIndex = 3\n"
    "    end\n"
    "  end\n"
    "  object pmn: TSkinPopupMenu\n"
    "    object itmPlain: TSkinItem\n"
    "      Action = actnOpen\n"
    "    end\n"
    "    object itmZero: TSkinItem\n"
    "      Action = actnOpen\n"
    "      ImageIndex = 0\n"
    "    end\n"
    "  end\n"
    "  object btnPlain: TSkinButton\n"
    "    Action = actnOpen\n"
    "  end\n"
    "  object btnZero: TSkinButton\n"
    "    Action = actnOpen\n"
    "    ImageIndex = 0\n"
    "  end\n"
    "end\n";

}  // namespace

TEST(SkinActions, OnlyTheDefaultImageGivesWayToTheActionsImageWhenRead) {
  RegisterFrameworkClasses();
  RegisterSkinClasses();
  TForm form(nullptr, CreateNew);
  ReadComponentFromText(actionForm, &form);
  const struct {
    const char* Name;
    int Image;
  } cases[] = {{"itmPlain", 3}, {"itmZero", 0}, {"btnPlain", 3}, {"btnZero", 0}};
  for (const auto& c : cases) {
    TComponent* component = form.FindComponent(c.Name);
    ASSERT_NE(component, nullptr) << c.Name;
    EXPECT_EQ(GetOrdProp(component, FindPropInfo(component, "ImageIndex")), c.Image) << c.Name;
  }
}

// What each class publishes, and which of those are read-only.
TEST(ThemesPublished, EachClassItsOwnProperties) {
  TForm form(nullptr, CreateNew);
  TSkinTabItem tab(nullptr);
  TSkinTabToolbar tabs(nullptr);
  for (auto [object, name] : {std::pair<TObject*, const char*>{&tab, "TabColor"}, {&tabs, "ActiveTab"}}) {
    const TPropInfo* prop = GetPropInfo(object, name);
    EXPECT_TRUE(prop && !prop->HasSetter) << name;
  }
  auto* customizer = new TSkinCustomizer(&form);
  for (const std::string& event : Names("OnShow OnClose OnGetCustomizeForm OnGetShortcutsList OnLoad OnSave "
                                        "OnLayoutLoad OnLayoutSave OnIconOptionsChange OnThemeChange")) {
    const TPropInfo* prop = GetPropInfo(customizer, event);
    EXPECT_TRUE(prop && prop->HasSetter) << event;
  }
  // The whole list of each item class: a command no sub-menu, a label no command, the spacer no control.
  const std::string command =
      "Action AutoCheck Checked DisplayMode Enabled FontSettings GroupIndex HelpContext ImageIndex Images "
      "InheritOptions Layout MaskOptions MinHeight MinWidth Options RadioItem ShortCut Stretch Visible OnAdjustFont "
      "OnClick OnSelect Caption Hint Wrapping Alignment Anchored CaptionGlow CaptionGlowColor Control CustomWidth "
      "CustomHeight Margins OnDrawCaption OnDrawHint OnDrawItem OnDrawImage";
  const std::string spacerList =
      "Caption ImageIndex Images InheritOptions Layout FontSettings MaskOptions MinHeight MinWidth Options Visible "
      "OnAdjustFont OnClick Alignment CaptionGlow CaptionGlowColor CustomWidth CustomHeight OnDrawCaption "
      "OnDrawHint OnDrawItem OnDrawImage";
  const std::string separatorList = "Blank Hint Visible Size MaskOptions Options";
  const std::pair<const TClassInfo*, std::string> lists[] = {
      {&TUiCustomItem::StaticClassInfo(), ""},
      {&TSkinCustomItem::StaticClassInfo(), ""},
      {&TSkinCustomLabelItem::StaticClassInfo(), ""},
      {&TUiCustomToolPalette::StaticClassInfo(), ""},
      {&TUiMRUListItem::StaticClassInfo(), "MRUList"},
      {&TUiSeparatorItem::StaticClassInfo(), separatorList},
      {&TSkinSeparatorItem::StaticClassInfo(), separatorList},
      {&TSkinItem::StaticClassInfo(), command},
      {&TSkinSubmenuItem::StaticClassInfo(),
       command + " AlwaysSelectFirst DropdownCombo LinkSubitems SubMenuImages ToolBoxPopup ToolbarStylePopup OnPopup "
                 "OnClosePopup"},
      {&TSkinLabelItem::StaticClassInfo(), spacerList + " Anchored Control Margins"},
      {&TSkinRightAlignSpacerItem::StaticClassInfo(), spacerList},
      {&TSkinTabItem::StaticClassInfo(), command + " TabColor TabPosition ThemeType"},
      {&TUiCustomColorSet::StaticClassInfo(), ""},
      {&TUiDefaultColorSet::StaticClassInfo(), ""}};
  for (const auto& [cls, list] : lists) EXPECT_EQ(OwnProperties(*cls), Names(list)) << cls->Name;
  ASSERT_TRUE(GetPropInfo(&tab, "TabColor") && GetPropInfo(&tabs, "ActiveTab"));
  EXPECT_EQ(GetOrdProp(&tab, *GetPropInfo(&tab, "TabColor")), clBtnFace);  // on no tab toolbar
  EXPECT_EQ(GetObjectProp(&tabs, *GetPropInfo(&tabs, "ActiveTab")), nullptr);
}

TEST(ThemesDefaults, StatusBar) {
  TUiStatusBar bar(nullptr);
  ExpectPublishedDefaults(&bar, {{"Height", 22}, {"SizeGrip", true}, {"SimplePanel", false}});
}
