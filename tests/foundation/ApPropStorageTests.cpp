// Chosen properties of a form's components by "Component.Property" entries.
#include "StorageTestSupport.h"
#include "foundation/ApPropStorage.h"

namespace prop_test {

class TFakeCheck : public TComponent {
  HV_CLASS(TFakeCheck, TComponent)
 public:
  using TComponent::TComponent;
  bool Checked() const { return checked_; }
  void SetChecked(bool v) { checked_ = v; }
  int FilterIndex() const { return filterIndex_; }
  void SetFilterIndex(int v) { filterIndex_ = v; }
  TStrings* Items() const { return const_cast<TStringList*>(&items_); }
  void SetItems(TStrings* v) { items_.Assign(v); }

 private:
  bool checked_ = false;
  int filterIndex_ = 1;
  TStringList items_;
};

}  // namespace prop_test
using namespace prop_test;

HV_PUBLISH(TFakeCheck) {
  p.Prop("Checked", &T::Checked, &T::SetChecked);
  p.Prop("FilterIndex", &T::FilterIndex, &T::SetFilterIndex);
  p.Prop("Items", &T::Items, &T::SetItems);
}

namespace {

struct FakeForm {
  FakeForm() {
    form.SetName("FindAndReplaceForm");
    check->SetName("chckbxMatchCase");
    combo->SetName("cmbxFindWhat");
  }
  TComponent form{nullptr};
  TFakeCheck* check = new TFakeCheck(&form);
  TFakeCheck* combo = new TFakeCheck(&form);
};

}  // namespace

TEST(ApPropInfoList, SortedWithoutMethods) {
  TFakeCheck c(nullptr);
  TApPropInfoList list(&c);
  ASSERT_EQ(list.Count(), 5);  // Checked, FilterIndex, Items, Name, Tag
  EXPECT_EQ(list.Items(0)->Name, "Checked");
  EXPECT_EQ(list.Items(4)->Name, "Tag");
  EXPECT_EQ(list.FindProperty("filterindex")->Name, "FilterIndex");
  EXPECT_EQ(list.FindProperty("Nope"), nullptr);
}

TEST(ApPropStorageEntries, ParsingAndRelinking) {
  AnsiString comp, prop;
  EXPECT_TRUE(ParseStoredEntry(" a . b.c ", comp, prop));
  EXPECT_EQ(comp, "a");
  EXPECT_EQ(prop, "b.c");
  EXPECT_FALSE(ParseStoredEntry("nodot", comp, prop));
  EXPECT_FALSE(ParseStoredEntry(".Checked", comp, prop));
  EXPECT_FALSE(ParseStoredEntry("a. ", comp, prop));

  FakeForm f;
  TStringList list;
  list.SetText("chckbxMatchCase.Checked\r\nbroken\r\nmissing.Checked\r\ncmbxFindWhat.Items");
  RelinkStoredList(&f.form, list, true);
  EXPECT_EQ(list.Text(), "chckbxMatchCase.Checked\r\ncmbxFindWhat.Items\r\n");
  EXPECT_EQ(list.Objects(0), f.check);
  EXPECT_EQ(list.Objects(1), f.combo);
  f.check->SetName("chckbxCase");
  list.Add("unlinked.Checked");
  RelinkStoredList(&f.form, list, false);
  EXPECT_EQ(list.Text(), "chckbxCase.Checked\r\ncmbxFindWhat.Items\r\n");
}

TEST_F(StorageTest, PropertiesStoredAndLoadedByName) {
  FakeForm f;
  f.check->SetChecked(true);
  f.combo->Items()->SetText("alpha\r\n beta ");
  f.combo->SetFilterIndex(3);
  TStringList entries;
  entries.SetText("chckbxMatchCase.Checked\r\ncmbxFindWhat.Items\r\ncmbxFindWhat.FilterIndex\r\ncmbxFindWhat.Bogus");
  RelinkStoredList(&f.form, entries, true);

  auto s = Open();
  s->StorageOptions()->SetBooleanAsString(false);
  TApPropertyStorage ps;
  ps.SetAppStorage(s.get());
  ps.SetAppStoragePath("FindAndReplaceForm\\");
  ps.StoreComponentProperties(&f.form, entries);
  s->Flush();
  EXPECT_EQ(SectionText("FindAndReplaceForm"), "chckbxMatchCase_Checked=1|cmbxFindWhat_FilterIndex=3");
  EXPECT_EQ(SectionText("FindAndReplaceForm\\cmbxFindWhat_Items"), "Count=2|Item0=alpha|Item1=\x7F\" beta \"");

  FakeForm g;
  g.combo->Items()->Add("stale");
  TStringList again;
  again.SetText(entries.Text());
  RelinkStoredList(&g.form, again, true);
  auto r = Open();
  r->StorageOptions()->SetBooleanAsString(false);
  ps.SetAppStorage(r.get());
  ps.LoadComponentProperties(&g.form, again);
  EXPECT_TRUE(g.check->Checked());
  EXPECT_EQ(g.combo->FilterIndex(), 3);
  EXPECT_EQ(g.combo->Items()->Text(), "alpha\r\n beta \r\n");
}

TEST_F(StorageTest, OnlyStoredPropertiesAreLoaded) {
  WriteFile("[Form\\c_Items]\r\nCount=0\r\n");
  FakeForm f;
  f.form.SetName("Form");
  f.check->SetName("c");
  f.check->Items()->Add("cleared");
  f.check->SetFilterIndex(9);
  f.combo->Items()->Add("kept");
  TStringList entries;
  entries.SetText("c.Items\r\nc.FilterIndex\r\ncmbxFindWhat.Items");
  RelinkStoredList(&f.form, entries, true);
  auto s = Open();
  TApPropertyStorage ps;
  ps.SetAppStorage(s.get());
  ps.SetAppStoragePath("Form");
  ps.LoadComponentProperties(&f.form, entries);
  EXPECT_EQ(f.check->Items()->Count(), 0);
  EXPECT_EQ(f.check->FilterIndex(), 9);
  EXPECT_EQ(f.combo->Items()->Text(), "kept\r\n");
}

TEST_F(StorageTest, RenamedComponentStoresUnderItsNewName) {
  FakeForm f;
  TStringList entries;
  entries.Add("chckbxMatchCase.Checked");
  RelinkStoredList(&f.form, entries, true);
  f.check->SetName("chckbxCase");
  auto s = Open();
  TApPropertyStorage ps;
  ps.SetAppStorage(s.get());
  ps.SetAppStoragePath("F");
  ps.StoreComponentProperties(&f.form, entries);
  EXPECT_EQ(entries[0], "chckbxCase.Checked");
  EXPECT_TRUE(s->ValueStored("F\\chckbxCase_Checked"));
  EXPECT_FALSE(s->ValueStored("F\\chckbxMatchCase_Checked"));
}

TEST(ApPropStorage, WithoutAStorageNothingHappens) {
  TApPropertyStorage ps;
  EXPECT_EQ(ps.ReadString("P", "Item", "dflt"), "dflt");
  ps.WriteString("P", "Item", "x");
  FakeForm f;
  TStringList entries;
  entries.Add("chckbxMatchCase.Checked");
  ps.StoreComponentProperties(&f.form, entries);
  EXPECT_EQ(ps.PrefixedName("X"), "X");
  EXPECT_EQ(ps.CloneStorage()->AppStorage(), nullptr);
}
