// Toolbars, popup menus and recent-files lists in form files: the items nested in a toolbar join
// its root, the images of a toolbar or popup menu are those of its items, the events of the
// dockable windows and the list's click are bound, and what is read is written back the same.
#include <gtest/gtest.h>

#include "framework/CodePages.h"
#include "framework/FormFiles.h"
#include "framework/Forms.h"
#include "framework/ImageList.h"
#include "tests/framework/Joined.h"
#include "tests/framework/Raised.h"
#include "tests/toolbars/BarTestSupport.h"
#include "toolbars/BarMRU.h"
#include "toolbars/BarPopup.h"
#include "toolbars/BarToolbar.h"

namespace {

class TBarFormHost : public TForm {
  HV_CLASS(TBarFormHost, TForm)
 public:
  explicit TBarFormHost(TComponent* AOwner) : TForm(AOwner, CreateNew) {}
  void DockChanged(TObject*) { log += "changed;"; }
  void DockChanging(TObject*, bool, TBarDock*) { log += "changing;"; }
  void RecentClick(TObject*, const WideString& Name) { log += "recent " + WideToAnsi(Name) + ";"; }
  std::string log;
};

}  // namespace

HV_PUBLISH(TBarFormHost) {
  p.Method("DockChanged", &T::DockChanged);
  p.Method("DockChanging", &T::DockChanging);
  p.Method("RecentClick", &T::RecentClick);
}

namespace {

const char* const hostText =
    "object Host: TBarFormHost\n"
    "  object dckTop: TBarDock\n"
    "    object tlbrMain: TBarCustomToolbar\n"
    "      Images = imglstMain\n"
    "      OnDockChanged = DockChanged\n"
    "      OnDockChanging = DockChanging\n"
    "      object itmFile: TPublishedItem\n"
    "        Caption = 'File'\n"
    "        object itmOpen: TPublishedItem\n"
    "          Caption = 'Open'\n"
    "        end\n"
    "      end\n"
    "      object sprtrMain: TBarSeparatorItem\n"
    "      end\n"
    "      object itmSave: TPublishedItem\n"
    "        Caption = 'Save'\n"
    "        ImageIndex = 2\n"
    "      end\n"
    "    end\n"
    "  end\n"
    "  object pmnMain: TBarPopupMenu\n"
    "    Images = imglstMain\n"
    "    object itmCut: TPublishedItem\n"
    "      Caption = 'Cut'\n"
    "    end\n"
    "  end\n"
    "  object mrlstMain: TBarMRUList\n"
    "    AddFullPath = False\n"
    "    Items.Strings = (\n"
    "      'C:\\first.txt'\n"
    "      'C:\\second.txt')\n"
    "    OnClick = RecentClick\n"
    "  end\n"
    "  object imglstMain: TImageList\n"
    "  end\n"
    "end\n";

struct BarFormFiles : testing::Test {
  void SetUp() override {
    RegisterClasses({&TBarFormHost::StaticClassInfo(), &TBarDock::StaticClassInfo(),
                     &TBarCustomToolbar::StaticClassInfo(), &TPublishedItem::StaticClassInfo(),
                     &TBarSeparatorItem::StaticClassInfo(), &TBarPopupMenu::StaticClassInfo(),
                     &TBarMRUList::StaticClassInfo(), &TImageList::StaticClassInfo()});
  }
  template <class T>
  static T* Find(TComponent& Root, const char* Name) {
    auto* c = dynamic_cast<T*>(Root.FindComponent(Name));
    EXPECT_NE(c, nullptr) << Name;
    return c;
  }
};

TEST_F(BarFormFiles, ItemsImagesAndEventsAreRead) {
  TBarFormHost host(nullptr);
  ReadComponentFromText(hostText, &host);
  auto* toolbar = Find<TBarCustomToolbar>(host, "tlbrMain");
  ASSERT_EQ(toolbar->Items()->Count(), 3);
  EXPECT_EQ(toolbar->Items()->Items(0), host.FindComponent("itmFile"));
  EXPECT_EQ(toolbar->Items()->Items(2)->Name(), "itmSave");
  ASSERT_EQ(toolbar->Items()->Items(0)->Count(), 1);
  EXPECT_EQ(toolbar->Items()->Items(0)->Items(0)->Caption(), L"Open");
  auto* images = Find<TImageList>(host, "imglstMain");
  EXPECT_EQ(toolbar->Images(), images);
  EXPECT_EQ(toolbar->Items()->SubMenuImages(), images) << "the items draw from the toolbar's list";
  auto* menu = Find<TBarPopupMenu>(host, "pmnMain");
  EXPECT_EQ(menu->Items()->SubMenuImages(), images);
  EXPECT_EQ(menu->TPopupMenu::Images(), nullptr) << "not the plain menu's list";
  ASSERT_EQ(menu->Items()->Count(), 1);
  EXPECT_EQ(toolbar->CurrentDock(), host.FindComponent("dckTop"));
  toolbar->OnDockChanging(toolbar, false, nullptr);
  toolbar->OnDockChanged(toolbar);
  auto* recent = Find<TBarMRUList>(host, "mrlstMain");
  ASSERT_EQ(recent->Items()->Count(), 2);
  ASSERT_EQ(recent->Container()->Count(), 2);
  recent->Container()->Items(1)->Click();
  EXPECT_EQ(host.log, "changing;changed;recent C:\\second.txt;");
  EXPECT_EQ(recent->Items()->Strings(0), L"C:\\second.txt");
}

// Written, read and written again: the same text, items inside their toolbar and menu, and
// items the form does not own (a document's tab) not written at all.
TEST_F(BarFormFiles, WhatIsReadIsWrittenBackTheSame) {
  TBarFormHost host(nullptr);
  ReadComponentFromText(hostText, &host);
  auto* toolbar = Find<TBarCustomToolbar>(host, "tlbrMain");
  TBarCustomItem foreign(nullptr);
  foreign.SetName("itmForeign");
  toolbar->Items()->Add(&foreign);
  EXPECT_EQ(WriteComponentToText(&host).find("itmForeign"), std::string::npos);
  toolbar->Items()->Remove(&foreign);
  const std::string first = WriteComponentToText(&host);
  const size_t bar = first.find("object tlbrMain"), open = first.find("object itmOpen"),
               menu = first.find("object pmnMain"), cut = first.find("object itmCut");
  ASSERT_TRUE(bar != std::string::npos && open != std::string::npos && cut != std::string::npos);
  EXPECT_TRUE(bar < open && menu < cut);
  EXPECT_NE(first.find("C:\\second.txt"), std::string::npos);
  TBarFormHost again(nullptr);
  ReadComponentFromText(first, &again);
  EXPECT_EQ(WriteComponentToText(&again), first);
}

// Each item class reads only what it shows; a chosen list is published in one order, a wrong name refused.
TEST_F(BarFormFiles, EachItemClassReadsOnlyWhatItShows) {
  const std::pair<const TClassInfo*, std::string> classes[] = {
      {&TBarSeparatorItem::StaticClassInfo(), "Blank Hint Visible"},
      {&TBarControlItem::StaticClassInfo(), "Control"},
      {&TBarRootItem::StaticClassInfo(), ""},
      {&TBarCustomItem::StaticClassInfo(), ""},
      {&TPublishedItem::StaticClassInfo(), AllBarItemProperties}};
  for (const auto& [cls, published] : classes) {
    std::string names;
    for (const TPropInfo* p : cls->Props())
      if (p->DeclaringClass->InheritsFrom(TBarCustomItem::StaticClassInfo()))
        names += (names.empty() ? "" : " ") + p->Name;
    EXPECT_EQ(names, published) << cls->Name;
  }
  const std::string no = "No item property to publish: ";
  const std::pair<const char*, std::string> choices[] = {
      {"Visible OnClick Caption", "Caption Visible OnClick"},
      {"  Hint   Caption ", "Caption Hint"},
      {"OnSelect OnPopup LinkSubitems SubMenuImages", "LinkSubitems SubMenuImages OnPopup OnSelect"},
      {"", ""},
      {"Caption Captoin", no + "Captoin"},
      {"Caption Caption", no + "Caption"},
      {"MRUList", no + "MRUList"}};
  for (const auto& [choice, published] : choices) {
    TClassInfo info;
    TPublisher<TPublishedItem> p(info);
    std::string names = Raised<Exception>([&] { PublishChosenItemProperties(p, choice); });
    if (names == "(nothing raised)")
      names = Joined(
          info.OwnProps, [](const TPropInfo& P) { return P.Name; }, " ");
    EXPECT_EQ(names, published) << choice;
  }
  // A property a class does not take is named; the separator's own three are read back.
  RegisterClasses({&TBarRootItem::StaticClassInfo()});
  for (auto [object, refused] : {std::pair{"s: TBarSeparatorItem\n  Caption = 'Cut'", "Caption"},
                                 {"s: TBarSeparatorItem\n  Enabled = False", "Enabled"},
                                 {"r: TBarRootItem\n  Visible = False", "Visible"},
                                 {"s: TBarSeparatorItem\n  Blank = True\n  Hint = 'Gap'\n  Visible = False", ""}}) {
    TBarFormHost host(nullptr);
    const std::string text = std::string("object Host: TBarFormHost\nobject ") + object + "\nend\nend\n";
    const std::string raised = Raised<EReadError>([&] { ReadComponentFromText(text, &host); });
    EXPECT_NE(raised.find(*refused ? std::string("Property ") + refused + " does not exist" : "(nothing raised)"),
              std::string::npos)
        << raised;
    auto* s = dynamic_cast<TBarSeparatorItem*>(host.FindComponent("s"));
    EXPECT_TRUE(*refused || (s && s->Blank() && s->Hint() == L"Gap" && !s->Visible())) << object;
  }
}

}  // namespace
