// The themed recent-files list: key shift, themed entries with the container's font settings,
// and the placeholder that links a menu to the list.
#include <gtest/gtest.h>

#include "themes/UiExtItems.h"

namespace {
WideString NameOnly(const WideString& S) { return S.substr(S.find_last_of(L'\\') + 1); }
}  // namespace

TEST(UiMRUList, KeyShiftIsNeverNegative) {
  TUiMRUList list(nullptr);
  const struct { int Value, Stored; } cases[] = {{-3, 0}, {2, 2}, {0, 0}, {-1, 0}};
  for (const auto& c : cases) {
    list.SetKeyShift(c.Value);
    EXPECT_EQ(list.KeyShift(), c.Stored);
    EXPECT_EQ(list.GetFirstKey(), c.Stored);
  }
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
  ASSERT_EQ(container->Count(), 2);
  container->FontSettings()->SetBold(tsTrue);
  container->FontSettings()->SetSize(120);
  for (int i = 0; i < 2; ++i)
    EXPECT_EQ(dynamic_cast<TUiCustomItem*>(container->Items(i))->FontSettings()->Bold(), tsDefault);
  list.Add(L"C:\\c\\four.txt");  // the next rebuild
  ASSERT_EQ(container->Count(), 3);
  for (int i = 0; i < 3; ++i) {
    auto* item = dynamic_cast<TUiCustomItem*>(container->Items(i));
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(*item->FontSettings() == *container->FontSettings());
  }
  EXPECT_EQ(container->Items(1)->Caption(), L"two&&three.txt");
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
