// Named string lists: lookup by name, name rules, copies.
#include <gtest/gtest.h>

#include "foundation/ApStrHolder.h"
#include "tests/framework/Raised.h"

namespace {
TApMultiStringHolderCollectionItem* AddItem(TApMultiStringHolder& h, const char* name, const char* text) {
  auto* item = h.MultipleStrings()->Add();
  item->SetName(name);
  item->Strings()->SetText(text);
  return item;
}
}  // namespace

TEST(ApStrHolder, FindsItemsIgnoringAsciiCase) {
  TApMultiStringHolder holder(nullptr);
  AddItem(holder, "sFileNotFound", "File %s not found.");
  AddItem(holder, "sInsert", "Insert");
  EXPECT_EQ(holder.GetStringsByName("sinsert")->Text(), "Insert\r\n");
  EXPECT_EQ(holder.GetStringsByName("SFILENOTFOUND")->Strings(0), "File %s not found.");
}

TEST(ApStrHolder, MissingNameNamesItInTheError) {
  TApMultiStringHolder holder(nullptr);
  AddItem(holder, "sInsert", "Insert");
  EXPECT_EQ(Raised<EApMultiStringHolderException>([&] { holder.GetStringsByName("sMissing"); }),
            "No item found with name \"sMissing\"");
  // Non-ASCII letters are compared exactly.
  AddItem(holder, "s\xC9t\xE9", "summer");
  EXPECT_THROW(holder.GetStringsByName("s\xE9t\xE9"), EApMultiStringHolderException);
}

TEST(ApStrHolder, NamesAreTrimmedAndUnique) {
  TApMultiStringHolder holder(nullptr);
  auto* a = AddItem(holder, " \tsA\r\n", "");
  EXPECT_EQ(a->Name(), "sA");
  auto* b = AddItem(holder, "sB", "");
  EXPECT_THROW(b->SetName("SA"), EApException);
  EXPECT_EQ(b->Name(), "sB");
  try {
    a->SetName("sA");  // its own name counts as taken
    FAIL();
  } catch (const EApException& e) {
    EXPECT_STREQ(e.what(), "String list does not allow duplicates");
  }
  b->SetName("  ");
  EXPECT_EQ(b->Name(), "");
  EXPECT_EQ(b->GetDisplayName(), "(unnamed)");
  EXPECT_EQ(a->GetDisplayName(), "sA");
  auto* c = AddItem(holder, "", "");  // two unnamed items are fine
  EXPECT_EQ(c->Name(), "");
}

TEST(ApStrHolder, AssignmentsCopy) {
  TApMultiStringHolder source(nullptr), copy(nullptr);
  AddItem(source, "sOne", "1\r\n2");
  copy.SetMultipleStrings(source.MultipleStrings());
  source.MultipleStrings()->Items(0)->Strings()->Add("3");
  ASSERT_EQ(copy.MultipleStrings()->Count(), 1);
  EXPECT_EQ(copy.GetStringsByName("sOne")->Text(), "1\r\n2\r\n");
  TStringList other;
  other.Add("x");
  copy.MultipleStrings()->Items(0)->SetStrings(&other);
  other.Add("y");
  EXPECT_EQ(copy.GetStringsByName("sOne")->Text(), "x\r\n");
}
