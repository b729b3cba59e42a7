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

// A form file gives the placeholder its list and nothing else: not even its stand-in caption,
// which never shows.
TEST(UiMRUListItem, AFormFileGivesItsListAlone) {
  RegisterFrameworkClasses();
  RegisterSkinClasses();
  const struct {
    const char* Lines;
    const char* Caption;
    const char* Error;
  } cases[] = {
      {"      MRUList = mrlst\n", "(Ui MRU List)", ""},
      {"", "(Ui MRU List)", ""},
      {"      Caption = ''\n      MRUList = mrlst\n", "", "Property Caption does not exist"},
      {"      Hint = 'Recent'\n", "", "Property Hint does not exist"},
      {"      ShortCut = 0\n", "", "Property ShortCut does not exist"},
  };
  for (const auto& c : cases) {
    TForm form(nullptr, CreateNew);
    const std::string text = std::string("object Host: TForm\n  object mrlst: TUiMRUList\n  end\n") +
                             "  object pmn: TSkinPopupMenu\n    object mrlstitm: TUiMRUListItem\n" + c.Lines +
                             "    end\n  end\nend\n";
    const std::string error = Raised<EReadError>([&] { ReadComponentFromText(text, &form); });
    auto* item = dynamic_cast<TUiMRUListItem*>(form.FindComponent("mrlstitm"));
    if (*c.Error) {
      EXPECT_NE(error.find(c.Error), std::string::npos) << c.Lines << error;
      continue;
    }
    EXPECT_EQ(error, "(nothing raised)") << c.Lines;
    ASSERT_NE(item, nullptr) << c.Lines;
    EXPECT_EQ(WideToAnsi(item->Caption()), c.Caption) << c.Lines;
    EXPECT_EQ(item->MRUList() != nullptr, std::string(c.Lines).find("MRUList") != std::string::npos) << c.Lines;
  }
}
