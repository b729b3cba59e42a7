// The themed recent-files list: key shift, themed entries with the container's font settings,
// and the placeholder that links a menu to the list.
#include <gtest/gtest.h>

#include "framework/CodePages.h"
#include "framework/FormFiles.h"
#include "framework/Forms.h"
#include "framework/FrameworkClasses.h"
#include "tests/framework/Raised.h"
#include "themes/SkinToolbar.h"
#include "themes/UiExtItems.h"

namespace {
WideString NameOnly(const WideString& S) { return S.substr(S.find_last_of(L'\\') + 1); }
}  // namespace

TEST(UiMRUList, KeyShiftIsNeverNegative) {
  TUiMRUList list(nullptr);
  list.SetKeyShift(2);
  EXPECT_EQ(list.GetFirstKey(), 2);
  list.SetKeyShift(-3);
  EXPECT_EQ(list.KeyShift(), 0);
}

TEST(UiMRUList, EntriesAreThemedAndTakeTheContainersFontSettings) {
  auto old = TBarMRUList::SetFileTitleProc(&NameOnly);
  TUiMRUList list(nullptr);
  list.SetMaxItems(15);
  list.SetAddFullPath(false);
  list.Add(L"C:\\a\\one.txt");
  list.Add(L"C:\\b\\two&three.txt");
  auto* container = dynamic_cast<TUiCustomItem*>(list.Container());
  ASSERT_NE(container, nullptr);
  container->FontSettings()->SetBold(tsTrue);
  container->FontSettings()->SetSize(120);
  EXPECT_EQ(dynamic_cast<TUiCustomItem*>(container->Items(0))->FontSettings()->Bold(), tsDefault);
  list.Add(L"C:\\c\\four.txt");  // the next rebuild
  ASSERT_EQ(container->Count(), 3);
  for (int i = 0; i < 3; ++i) {
    auto* item = dynamic_cast<TUiCustomItem*>(container->Items(i));
    EXPECT_TRUE(item && *item->FontSettings() == *container->FontSettings());
  }
  TBarMRUList::SetFileTitleProc(old);
}

TEST(UiMRUListItem, LinksTheListAndForgetsItWhenItIsFreed) {
  TUiMRUListItem item(nullptr);
  EXPECT_EQ(item.Caption(), L"(Ui MRU List)");
  EXPECT_TRUE(item.ItemStyle() & tbisInlineGroup);
  auto* list = new TUiMRUList(nullptr);
  item.SetMRUList(list);
  EXPECT_EQ(item.LinkSubitems(), list->Container());
  delete list;
  EXPECT_EQ(item.MRUList(), nullptr);
  EXPECT_EQ(item.LinkSubitems(), nullptr);
  TUiMRUList other(nullptr);
  item.SetMRUList(&other);
  item.SetMRUList(nullptr);
  EXPECT_EQ(item.LinkSubitems(), nullptr);
}

// A form file gives the placeholder its list alone, not even its stand-in caption, which never shows.
TEST(UiMRUListItem, AFormFileGivesItsListAlone) {
  RegisterFrameworkClasses();
  RegisterSkinClasses();
  const std::pair<const char*, const char*> cases[] = {
      {"MRUList = mrlst", ""},
      {"", ""},
      {"Caption = ''\n      MRUList = mrlst", "Caption"},
      {"Hint = 'Recent'", "Hint"},
      {"ShortCut = 0", "ShortCut"},
  };
  for (auto [lines, refused] : cases) {
    TForm form(nullptr, CreateNew);
    const std::string text = std::string("object Host: TForm\n  object mrlst: TUiMRUList\n  end\n") +
                             "  object pmn: TSkinPopupMenu\n    object mrlstitm: TUiMRUListItem\n      " + lines +
                             "\n    end\n  end\nend\n";
    const std::string error = Raised<EReadError>([&] { ReadComponentFromText(text, &form); });
    const std::string expected = *refused ? std::string("Property ") + refused + " does not exist" : "(nothing raised)";
    EXPECT_NE(error.find(expected), std::string::npos) << lines << error;
    if (*refused) continue;
    auto* item = dynamic_cast<TUiMRUListItem*>(form.FindComponent("mrlstitm"));
    ASSERT_NE(item, nullptr) << lines;
    EXPECT_EQ(std::tuple(WideToAnsi(item->Caption()), item->MRUList() != nullptr),
              std::tuple("(Ui MRU List)", *lines != 0))
        << lines;
  }
}
