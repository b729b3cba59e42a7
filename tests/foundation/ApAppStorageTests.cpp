// The storage core: paths, lists, objects by their published properties, sub-storages,
// options and the encryption hooks (through the INI back end).
#include <algorithm>

#include "StorageTestSupport.h"
#include "framework/Colors.h"
#include "framework/DateTime.h"
#include "tests/framework/Raised.h"

namespace store_test {

HV_ENUM(TMode, mdOff, mdSlow, mdFast)
HV_ENUM(TFlag, fgBold, fgItalic, fgUnderline)
using TFlags = TSet<TFlag>;

class TStoredFont : public TPersistent {
  HV_CLASS(TStoredFont, TPersistent)
 public:
  int Size() const { return size_; }
  void SetSize(int v) { size_ = v; }
  const std::string& Name() const { return name_; }
  void SetName(const std::string& v) { name_ = v; }

 private:
  int size_ = 10;
  std::string name_ = "Courier";
};

class TStoredEntry : public TCollectionItem {
  HV_CLASS(TStoredEntry, TCollectionItem)
 public:
  explicit TStoredEntry(TCollection* c) : TCollectionItem(c) {}
  const std::string& Key() const { return key_; }
  void SetKey(const std::string& v) { key_ = v; }
  int Value() const { return value_; }
  void SetValue(int v) { value_ = v; }

 private:
  std::string key_;
  int value_ = 0;
};

class TStoredThing : public TComponent {
  HV_CLASS(TStoredThing, TComponent)
 public:
  explicit TStoredThing(TComponent* owner) : TComponent(owner), entries_(TStoredEntry::StaticClassInfo()) {}

  int Count() const { return count_; }
  void SetCount(int v) { count_ = v; }
  TMode Mode() const { return mode_; }
  void SetMode(TMode v) { mode_ = v; }
  TFlags Flags() const { return flags_; }
  void SetFlags(TFlags v) { flags_ = v; }
  double Ratio() const { return ratio_; }
  void SetRatio(double v) { ratio_ = v; }
  double When() const { return when_; }
  void SetWhen(double v) { when_ = v; }
  const std::string& Text() const { return text_; }
  void SetText(const std::string& v) { text_ = v; }
  const std::wstring& Caption() const { return caption_; }
  void SetCaption(const std::wstring& v) { caption_ = v; }
  long long Big() const { return big_; }
  void SetBig(long long v) { big_ = v; }
  bool Flag() const { return flag_; }
  void SetFlag(bool v) { flag_ = v; }
  TColor Color() const { return color_; }
  void SetColor(TColor v) { color_ = v; }
  TStrings* Items() const { return const_cast<TStringList*>(&items_); }
  void SetItems(TStrings* v) { items_.Assign(v); }
  TCollection* Entries() const { return const_cast<TCollection*>(&entries_); }
  void SetEntries(TCollection* v) { entries_.Assign(v); }
  TStoredFont* Font() const { return const_cast<TStoredFont*>(&font_); }
  void SetFont(TStoredFont* v) { font_.Assign(v); }
  TComponent* Link() const { return link_; }
  void SetLink(TComponent* v) { link_ = v; }
  int ReadOnlyValue() const { return 5; }
  void Changed(TObject*) {}

  TNotifyEvent OnChange;

 private:
  int count_ = 0;
  TMode mode_ = mdOff;
  TFlags flags_;
  double ratio_ = 0;
  double when_ = 0;
  std::string text_;
  std::wstring caption_;
  long long big_ = 0;
  bool flag_ = false;
  TColor color_ = clBlack;
  TStringList items_;
  TCollection entries_;
  TStoredFont font_;
  TComponent* link_ = nullptr;
};

// Stores itself by hand; with the marker its published properties are stored as well.
class THandled : public TPersistent, public IStorageHandler {
  HV_CLASS(THandled, TPersistent)
 public:
  int Visible() const { return visible_; }
  void SetVisible(int v) { visible_ = v; }
  void ReadFromStorage(TApCustomAppStorage* Storage, const AnsiString& Path) override {
    secret = Storage->ReadString(Path + "\\Secret", "");
  }
  void WriteToStorage(TApCustomAppStorage* Storage, const AnsiString& Path) override {
    Storage->WriteString(Path + "\\Secret", secret);
  }
  AnsiString secret;

 private:
  int visible_ = 0;
};

class THandledWithProps : public THandled, public IStoragePublishedProps {
  HV_CLASS(THandledWithProps, THandled)
};

}  // namespace store_test

using namespace store_test;

HV_PUBLISH(TStoredFont) {
  p.Prop("Size", &T::Size, &T::SetSize);
  p.Prop("Name", &T::Name, &T::SetName);
}

HV_PUBLISH(TStoredEntry) {
  p.Prop("Key", &T::Key, &T::SetKey);
  p.Prop("Value", &T::Value, &T::SetValue);
}

HV_PUBLISH(TStoredThing) {
  p.Prop("Count", &T::Count, &T::SetCount);
  p.Prop("Mode", &T::Mode, &T::SetMode);
  p.Prop("Flags", &T::Flags, &T::SetFlags);
  p.Prop("Ratio", &T::Ratio, &T::SetRatio);
  p.Prop("When", &T::When, &T::SetWhen).Type(DateTimeTypeInfo());
  p.Prop("Text", &T::Text, &T::SetText);
  p.Prop("Caption", &T::Caption, &T::SetCaption);
  p.Prop("Big", &T::Big, &T::SetBig);
  p.Prop("Flag", &T::Flag, &T::SetFlag);
  p.Prop("Color", &T::Color, &T::SetColor);
  p.Prop("Items", &T::Items, &T::SetItems);
  p.Prop("Entries", &T::Entries, &T::SetEntries);
  p.Prop("Font", &T::Font, &T::SetFont);
  p.Prop("Link", &T::Link, &T::SetLink);
  p.Prop("ReadOnlyValue", &T::ReadOnlyValue);
  p.Event("OnChange", &T::OnChange);
}

HV_PUBLISH(THandled) { p.Prop("Visible", &T::Visible, &T::SetVisible); }
HV_PUBLISH(THandledWithProps) {}

// ---- paths ----

TEST(StoragePaths, Normalization) {
  auto norm = [](std::vector<AnsiString> parts) { return TApCustomAppStorage::NormalizeStoragePath(parts); };
  EXPECT_EQ(norm({"A\\B", "..\\.."}), "");
  EXPECT_EQ(norm({"A\\.\\B\\\\D"}), "A\\B\\D");
  EXPECT_EQ(norm({"A\\B\\..."}), "");
  EXPECT_EQ(norm({"A\\B", "..\\D"}), "A\\D");
  EXPECT_EQ(norm({"A", "B", "\\X", "Y"}), "X\\Y");
  EXPECT_EQ(norm({"\\A", "B"}), "A\\B");  // the first part may begin with "\"
  EXPECT_EQ(norm({"A\\B\\C", "...."}), "");
  EXPECT_EQ(norm({"..", "A"}), "A");
  EXPECT_EQ(norm({"A\\", "\\"}), "");
  EXPECT_EQ(norm({"MainForm\\", "FilesPos\\Count"}), "MainForm\\FilesPos\\Count");
  EXPECT_EQ(norm({"..x\\y."}), "..x\\y.");
}

// ---- lists ----

TEST_F(StorageTest, ListsAreCountAndItems) {
  auto s = Open();
  TStringList list;
  list.SetText("first\r\n  second  \r\n\r\nC:\\last");
  s->WriteStoredStringList("MainForm\\FilesPos", list);
  s->Flush();
  EXPECT_EQ(SectionText("MainForm\\FilesPos"), "Count=4|Item0=first|Item1=\x7F\"  second  \"|Item2=|Item3=C:\\last");
  auto r = Open();
  TStringList back;
  back.Add("old");
  EXPECT_EQ(r->ReadStoredStringList("MainForm\\FilesPos", back), 4);
  EXPECT_EQ(back.Text(), list.Text());
}

TEST_F(StorageTest, ShorterListLosesTheSurplusItems) {
  auto s = Open();
  TStringList five;
  five.SetText("a\r\nb\r\nc\r\nd\r\ne");
  s->WriteStoredStringList("L", five, "Entry");
  TStringList three;
  three.SetText("x\r\ny\r\nz");
  s->WriteStoredStringList("L", three, "Entry");
  s->Flush();
  EXPECT_EQ(SectionText("L"), "Count=3|Entry0=x|Entry1=y|Entry2=z");
}

TEST_F(StorageTest, ListNeverStoredLeavesTheCallersListAlone) {
  auto s = Open();
  TStringList list;
  list.Add("keep");
  EXPECT_EQ(s->ReadStoredStringList("Nowhere", list), 1);
  EXPECT_EQ(list.Text(), "keep\r\n");
  s->StorageOptions()->SetDefaultIfValueNotExists(false);
  EXPECT_EQ(s->ReadStoredStringList("Nowhere", list), 0);
  EXPECT_EQ(list.Count(), 0);
}

TEST_F(StorageTest, CorruptCountReadsTheItemsThatArePresent) {
  WriteFile(
      "[Huge]\r\nCount=2000000000\r\nItem0=a\r\nItem1=b\r\n"
      "[Negative]\r\nCount=-3\r\nItem0=a\r\n"
      "[Word]\r\nCount=many\r\nItem0=a\r\nItem1=b\r\nItem2=c\r\n"
      "[Gap]\r\nCount=4\r\nItem0=a\r\nItem2=c\r\n"
      "[Small]\r\nCount=1\r\nItem0=a\r\nItem1=b\r\n"
      "[Far]\r\nCount=2000000000\r\nItem0=a\r\nItem999999999=z\r\nItem01=x\r\n");
  auto s = Open();
  TStringList list;
  EXPECT_EQ(s->ReadStoredStringList("Huge", list), 2);
  EXPECT_EQ(list.Text(), "a\r\nb\r\n");
  EXPECT_EQ(s->ReadStoredStringList("Negative", list), 1);
  EXPECT_EQ(s->ReadStoredStringList("Word", list), 3);
  // Items missing in between are not made up: the list holds what is there, in order.
  EXPECT_EQ(s->ReadStoredStringList("Gap", list), 2);
  EXPECT_EQ(list.Text(), "a\r\nc\r\n");
  EXPECT_EQ(s->ReadStoredStringList("Small", list), 1);
  // One far-away item makes no billion empty ones ("Item01" is no name the writer makes).
  EXPECT_EQ(s->ReadStoredStringList("Far", list), 2);
  EXPECT_EQ(list.Text(), "a\r\nz\r\n");
  // Collections alike: their items are folders.
  s->WriteInteger("Objects\\Count", 99999999);
  s->WriteString("Objects\\Item7\\Key", "k7");
  TCollection objects(TStoredEntry::StaticClassInfo());
  EXPECT_EQ(s->ReadCollection("Objects", objects), 1);
  ASSERT_EQ(objects.Count(), 1);
  EXPECT_EQ(static_cast<TStoredEntry*>(objects.Items(0))->Key(), "k7");
  // Writing over a damaged list clears every item beyond the new count.
  TStringList one;
  one.Add("z");
  s->WriteStoredStringList("Huge", one);
  s->WriteStoredStringList("Word", one);
  s->Flush();
  EXPECT_EQ(SectionText("Huge"), "Count=1|Item0=z");
  EXPECT_EQ(SectionText("Word"), "Count=1|Item0=z");
}

TEST_F(StorageTest, WideListsGoThroughTheCodePage) {
  auto s = Open();
  TStringListW list;
  list.Add(L"caf\u00E9");
  s->WriteStoredStringList("W", list);
  TStringListW back;
  s->ReadStoredStringList("W", back);
  EXPECT_EQ(back[0], L"caf\u00E9");
}

TEST_F(StorageTest, CollectionsAsListsOfObjects) {
  auto s = Open();
  TCollection c(TStoredEntry::StaticClassInfo());
  for (int i = 0; i < 3; ++i) {
    auto* e = static_cast<TStoredEntry*>(c.Add());
    e->SetKey("k" + std::to_string(i));
    e->SetValue(i * 10);
  }
  s->WriteCollection("Coll", c);
  c.Delete(2);
  c.Delete(1);
  s->WriteCollection("Coll", c);
  s->Flush();
  EXPECT_EQ(SectionText("Coll"), "Count=1");
  EXPECT_EQ(SectionText("Coll\\Item0"), "Key=k0|Value=0");
  EXPECT_EQ(SectionText("Coll\\Item1"), "<none>");
  TCollection back(TStoredEntry::StaticClassInfo());
  back.Add();
  EXPECT_EQ(s->ReadCollection("Coll", back), 1);
  ASSERT_EQ(back.Count(), 1);
  EXPECT_EQ(static_cast<TStoredEntry*>(back.Items(0))->Key(), "k0");
}

// ---- objects ----

TEST_F(StorageTest, ObjectsByTheirPublishedProperties) {
  TFormatSettingsOverride english(TFormatSettings::English());
  TStoredThing thing(nullptr), other(nullptr);
  thing.SetCount(-7);
  thing.SetMode(mdFast);
  thing.SetFlags({fgBold, fgUnderline});
  thing.SetRatio(0.1);
  thing.SetWhen(EncodeDate(2023, 12, 31));
  thing.SetText(" spaced ");
  thing.SetCaption(L"Caption");
  thing.SetBig(1LL << 40);
  thing.SetFlag(true);
  thing.SetColor(clBtnFace);
  thing.Items()->SetText("one\r\ntwo");
  static_cast<TStoredEntry*>(thing.Entries()->Add())->SetKey("e");
  thing.Font()->SetSize(14);
  thing.SetLink(&other);
  auto s = Open();
  s->WritePersistent("Thing", &thing);
  s->Flush();
  EXPECT_EQ(SectionText("Thing"),
            "Name=|Tag=0|Count=-7|Mode=mdFast|Ratio=00D0CCCCCCCCCCCCFB3F|When=12/31/2023|Text=\x7F\" spaced "
            "\"|Caption=Caption|"
            "Big=1099511627776|Flag=TRUE|Color=clBtnFace|ReadOnlyValue=5");
  EXPECT_EQ(SectionText("Thing\\Flags"), "fgBold=TRUE|fgItalic=FALSE|fgUnderline=TRUE");
  EXPECT_EQ(SectionText("Thing\\Items"), "Count=2|Item0=one|Item1=two");
  EXPECT_EQ(SectionText("Thing\\Entries\\Item0"), "Key=e|Value=0");
  EXPECT_EQ(SectionText("Thing\\Font"), "Size=14|Name=Courier");

  TStoredThing copy(nullptr);
  copy.Items()->Add("stale");
  auto r = Open();
  r->ReadPersistent("Thing", &copy);
  EXPECT_EQ(copy.Count(), -7);
  EXPECT_EQ(copy.Mode(), mdFast);
  EXPECT_EQ(copy.Flags(), (TFlags{fgBold, fgUnderline}));
  EXPECT_EQ(copy.Ratio(), 0.1);
  EXPECT_EQ(copy.When(), EncodeDate(2023, 12, 31));
  EXPECT_EQ(copy.Text(), " spaced ");
  EXPECT_EQ(copy.Caption(), L"Caption");
  EXPECT_EQ(copy.Big(), 1LL << 40);
  EXPECT_TRUE(copy.Flag());
  EXPECT_EQ(copy.Color(), clBtnFace);
  EXPECT_EQ(copy.Items()->Text(), "one\r\ntwo\r\n");
  ASSERT_EQ(copy.Entries()->Count(), 1);
  EXPECT_EQ(copy.Font()->Size(), 14);
  EXPECT_EQ(copy.Link(), nullptr);  // references to components are not stored
}

TEST_F(StorageTest, MissingPropertiesKeepTheirValues) {
  TStoredThing thing(nullptr);
  thing.SetCount(3);
  thing.SetText("mine");
  thing.Items()->Add("mine");
  auto s = Open();
  s->WriteInteger("Thing\\Mode", 1);
  s->ReadPersistent("Thing", &thing);
  EXPECT_EQ(thing.Mode(), mdSlow);
  EXPECT_EQ(thing.Count(), 3);
  EXPECT_EQ(thing.Text(), "mine");
  EXPECT_EQ(thing.Items()->Text(), "mine\r\n");
}

TEST_F(StorageTest, IgnoredTranslatedAndSingleProperties) {
  TStoredThing thing(nullptr);
  thing.SetCount(4);
  thing.SetText("t");
  auto s = Open();
  struct Renamer {
    void Rename(TApCustomAppStorage*, TPersistent*, AnsiString& name, bool) {
      if (name == "Count") name = "Number";
    }
  } renamer;
  s->OnTranslatePropertyName = TApTranslatePropertyNameEvent(&renamer, &Renamer::Rename);
  s->WritePersistent("Thing", &thing, {"text", "Items", "Entries", "Font", "Flags"}, false);
  s->Flush();
  EXPECT_EQ(SectionText("Thing").substr(0, 21), "Name=|Tag=0|Number=4|");
  EXPECT_EQ(SectionText("Thing").find("Text="), AnsiString::npos);
  s->WriteStoredProperty("Single\\Value", &thing, "Text");
  TStoredThing back(nullptr);
  s->ReadStoredProperty("Single\\Value", &back, "text");
  EXPECT_EQ(back.Text(), "t");
  s->ReadStoredProperty("Single\\Value", &back, "NoSuchProperty");  // nothing happens
  s->ReadPersistent("Thing", &back);
  EXPECT_EQ(back.Count(), 4);
}

TEST_F(StorageTest, StorageHandlers) {
  auto s = Open();
  THandled plain;
  plain.secret = "s1";
  plain.SetVisible(1);
  s->WritePersistent("Plain", &plain);
  THandledWithProps both;
  both.secret = "s2";
  both.SetVisible(2);
  s->WritePersistent("Both", &both);
  s->Flush();
  EXPECT_EQ(SectionText("Plain"), "Secret=s1");
  EXPECT_EQ(SectionText("Both"), "Secret=s2|Visible=2");
  THandledWithProps back;
  s->ReadPersistent("Both", &back);
  EXPECT_EQ(back.secret, "s2");
  EXPECT_EQ(back.Visible(), 2);
}

// ---- sub-storages ----

TEST_F(StorageTest, SubStoragesServeTheirSubtrees) {
  auto main = Open("main.ini");
  auto fonts = Open("fonts.ini");
  auto* item = main->SubStorages()->Add();
  item->SetRootPath("\\Editor\\.\\Fonts\\");
  EXPECT_EQ(item->RootPath(), "Editor\\Fonts");
  item->SetAppStorage(fonts.get());
  main->WriteString("Editor\\Fonts\\Main\\Name", "Mono");
  main->WriteString("Editor\\Other", "x");
  main->Flush();
  fonts->Flush();
  EXPECT_EQ(SectionText("Main", "fonts.ini"), "Name=Mono");
  EXPECT_EQ(SectionText("Editor", "main.ini"), "Other=x");
  EXPECT_EQ(main->ReadString("EDITOR\\fonts\\Main\\Name", ""), "Mono");
  EXPECT_EQ(Raised<EApAppStorageError>([&] { main->ReadString("Editor\\Fonts", ""); }), "Invalid path");
}

// The longest root that a path begins with decides, whatever the order of the items.
TEST_F(StorageTest, NestedSubStoragesServeTheLongestMatchingRoot) {
  for (int innerFirst = 0; innerFirst < 2; ++innerFirst) {
    auto main = Open("main.ini"), outer = Open("outer.ini"), inner = Open("inner.ini");
    for (int i = 0; i < 2; ++i) {
      auto* item = main->SubStorages()->Add();
      item->SetRootPath(i == innerFirst ? "Editor\\Fonts" : "Editor");
      item->SetAppStorage(i == innerFirst ? inner.get() : outer.get());
    }
    main->WriteString("Editor\\Fonts\\Main\\Size", "10");
    main->WriteString("Editor\\FontsBig\\On", "1");
    EXPECT_EQ(inner->ReadString("Main\\Size", "?") + outer->ReadString("FontsBig\\On", "?"), "101") << innerFirst;
    EXPECT_FALSE(outer->ValueStored("Fonts\\Main\\Size")) << innerFirst;
    for (auto* s : {main.get(), outer.get(), inner.get()}) s->SetFlushOnDestroy(false);
  }
}

TEST_F(StorageTest, SubStorageRulesAndLifetime) {
  auto a = Open("a.ini");
  auto b = std::make_unique<TApAppIniFileStorage>(nullptr);
  auto* first = a->SubStorages()->Add();
  first->SetRootPath("X");
  auto* second = a->SubStorages()->Add();
  EXPECT_EQ(Raised<EApAppStorageError>([&] { second->SetRootPath("x\\"); }), "'x' is not a unique root path");
  EXPECT_THROW(first->SetAppStorage(a.get()), EApAppStorageError);
  first->SetAppStorage(b.get());
  auto* back = b->SubStorages()->Add();
  back->SetRootPath("Y");
  EXPECT_EQ(Raised<EApAppStorageError>([&] { back->SetAppStorage(a.get()); }), "Circular reference of storages");
  b->SetFlushOnDestroy(false);
  b.reset();  // the item that used it goes with it
  EXPECT_EQ(a->SubStorages()->Count(), 1);
  EXPECT_EQ(a->SubStorages()->Items(0), second);
}

// ---- options and hooks ----

TEST(StorageOptions, BooleanTextsAndLists) {
  TApAppStorageOptions o;
  EXPECT_FALSE(o.IsValueTrueString("ye"));
  EXPECT_FALSE(o.IsValueTrueString(""));
  EXPECT_TRUE(o.ListContainsValue("b", "a,b c"));
  o.SetBooleanStringTrueValues("");
  EXPECT_FALSE(o.BooleanAsString());
  o.SetBooleanAsString(true);
  EXPECT_FALSE(o.BooleanAsString());
  o.SetBooleanStringTrueValues(" Ja , Oui");
  EXPECT_EQ(o.DefaultTrueString(), "Ja");
  o.SetBooleanAsString(true);
  EXPECT_TRUE(o.BooleanAsString());
  TApAppStorageOptions copy;
  copy.Assign(&o);
  EXPECT_EQ(copy.BooleanStringTrueValues(), " Ja , Oui");
}

TEST_F(StorageTest, EncryptionHooksOnlyWhenEnabled) {
  struct Crypt {
    void Encrypt(AnsiString& v) {
      for (char& c : v) c = static_cast<char>(c ^ 1);
    }
  } crypt;
  auto s = Open();
  s->OnEncryptPropertyValue = TApPropertyValueCryptEvent(&crypt, &Crypt::Encrypt);
  s->OnDecryptPropertyValue = TApPropertyValueCryptEvent(&crypt, &Crypt::Encrypt);
  s->WriteString("C\\Plain", "abc");
  s->EnablePropertyValueEncryption();
  s->WriteString("C\\Secret", "abc");
  EXPECT_EQ(s->ReadString("C\\Secret", ""), "abc");
  EXPECT_EQ(s->ReadString("C\\Missing", "dflt"), "dflt");
  s->DisablePropertyValueEncryption();
  s->Flush();
  EXPECT_EQ(SectionText("C"), "Plain=abc|Secret=YGNi");
}

TEST_F(StorageTest, LongEncryptedValuesSurviveTheFile) {
  // Encoded values are cut into lines of 76 characters; the file must still give them back
  // whole, and the break must not end the value's line in the file.
  struct Crypt {
    void Swap(AnsiString& v) { std::reverse(v.begin(), v.end()); }
  } crypt;
  const AnsiString secret = AnsiString(" leading blank, ") + AnsiString(150, 'x') + "\r\n and a line break ";
  {
    auto s = Open();
    s->OnEncryptPropertyValue = TApPropertyValueCryptEvent(&crypt, &Crypt::Swap);
    s->EnablePropertyValueEncryption();
    s->WriteString("C\\Secret", secret);
    s->DisablePropertyValueEncryption();
    s->WriteString("C\\After", "next");
  }
  const AnsiString file = FileText();
  EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 4) << file;  // section, two values, blank line
  auto r = Open();
  r->OnEncryptPropertyValue = TApPropertyValueCryptEvent(&crypt, &Crypt::Swap);
  r->OnDecryptPropertyValue = TApPropertyValueCryptEvent(&crypt, &Crypt::Swap);
  r->EnablePropertyValueEncryption();
  EXPECT_EQ(r->ReadString("C\\Secret", ""), secret);
  r->DisablePropertyValueEncryption();
  EXPECT_EQ(r->ReadString("C\\After", ""), "next");
}
