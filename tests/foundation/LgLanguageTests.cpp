// The localization engine: recording a form's texts into "LangData", reading it back, scanning
// language files, and switching a live form between languages and back.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>

#include "foundation/LgLanguage.h"
#include "framework/CodePages.h"
#include "framework/FileRoutines.h"
#include "framework/FormFiles.h"
#include "framework/Graphics.h"
#include "framework/Lists.h"
#include "UcTestSupport.h"

namespace {

class TLgTestItem : public TCollectionItem {
  HV_CLASS(TLgTestItem, TCollectionItem)
 public:
  explicit TLgTestItem(TCollection* C) : TCollectionItem(C) {}
  WideString Title() const { return title_; }
  void SetTitle(const WideString& V) { title_ = V; }

 private:
  WideString title_;
};
HV_PUBLISH(TLgTestItem) { p.Prop("Title", &T::Title, &T::SetTitle); }

class TLgTestWidget : public TComponent {
  HV_CLASS(TLgTestWidget, TComponent)
 public:
  explicit TLgTestWidget(TComponent* Owner)
      : TComponent(Owner), columns_(std::make_unique<TOwnedCollection>(this, TLgTestItem::StaticClassInfo())) {}
  WideString Caption() const { return caption_; }
  void SetCaption(const WideString& V) { caption_ = V; }
  AnsiString Hint() const { return hint_; }
  void SetHint(const AnsiString& V) { hint_ = V; }
  WideString Secret() const { return secret_; }
  void SetSecret(const WideString& V) { secret_ = V; }
  TStringsW* Items() const { return items_.get(); }
  void SetItems(TStringsW* V) { items_->Assign(V); }
  TStrings* Lines() const { return lines_.get(); }
  void SetLines(TStrings* V) { lines_->Assign(V); }
  TCollection* Columns() const { return columns_.get(); }
  void SetColumns(TCollection* V) { columns_->Assign(V); }
  TFont* Font() const { return font_.get(); }
  void SetFont(TFont* V) { font_->Assign(V); }

 private:
  WideString caption_, secret_ = L"Hidden";  // not stored: the constructor's value is the designed one
  AnsiString hint_;
  std::unique_ptr<TStringListW> items_ = std::make_unique<TStringListW>();
  std::unique_ptr<TStringList> lines_ = std::make_unique<TStringList>();
  std::unique_ptr<TOwnedCollection> columns_;
  std::unique_ptr<TFont> font_ = std::make_unique<TFont>();
};
HV_PUBLISH(TLgTestWidget) {
  p.Prop("Caption", &T::Caption, &T::SetCaption);
  p.Prop("Columns", &T::Columns, &T::SetColumns);
  p.Prop("Font", &T::Font, &T::SetFont);
  p.Prop("Hint", &T::Hint, &T::SetHint);
  p.Prop("Items", &T::Items, &T::SetItems);
  p.Prop("Lines", &T::Lines, &T::SetLines);
  p.Prop("Secret", &T::Secret, &T::SetSecret).Stored(false);
}

class TLgTestRoot : public TComponent {
  HV_CLASS(TLgTestRoot, TComponent)
 public:
  explicit TLgTestRoot(TComponent* Owner) : TComponent(Owner) {}
  WideString Caption() const { return caption_; }
  void SetCaption(const WideString& V) { caption_ = V; }

 private:
  WideString caption_;
};
HV_PUBLISH(TLgTestRoot) { p.Prop("Caption", &T::Caption, &T::SetCaption); }

const bool registered = [] {
  RegisterClasses({&TLgTestRoot::StaticClassInfo(), &TLgTestWidget::StaticClassInfo()});
  return true;
}();

const WideString kRuTitle = L"\x041D\x0430\x0441\x0442\x0440\x043E\x0439\x043A\x0438";  // Настройки
const WideString kRuOpen = L"\x041E\x0442\x043A\x0440\x044B\x0442\x044C";                // Открыть

TLgTestWidget* Widget(TComponent* Root, const char* Name) {
  return static_cast<TLgTestWidget*>(Root->FindComponent(Name));
}

TLgLanguageController* Controller(TComponent* Root) {
  return static_cast<TLgLanguageController*>(Root->FindComponent("Lang"));
}

// The form as a designer would leave it: texts set, the entries recorded, written as a form
// file with its "LangData".
std::string DesignedFormText() {
  auto root = std::make_unique<TLgTestRoot>(nullptr);
  root->SetName("LgTestRoot");
  root->SetCaption(L"Settings");
  auto* lang = new TLgLanguageController(root.get());
  lang->SetName("Lang");
  lang->StoreList()->Add("*.Secret");
  auto* w = new TLgTestWidget(root.get());
  w->SetName("Widget1");
  w->SetCaption(L"Open");
  w->SetHint("Opens a file");
  w->Items()->SetText(L"First\r\nSecond\r\n");
  w->Lines()->SetText("Line\r\n");
  w->Columns()->Add<TLgTestItem>()->SetTitle(L"Name");
  w->Columns()->Add<TLgTestItem>()->SetTitle(L"...");
  auto* w2 = new TLgTestWidget(root.get());
  w2->SetName("Widget2");
  w2->SetCaption(L"Close");
  lang->UpdateEntries(true);
  return WriteComponentToText(root.get());
}

std::unique_ptr<TComponent> LoadForm(const std::string& Text) {
  return std::unique_ptr<TComponent>(ReadComponentFromText(Text, nullptr));
}

void WriteFile(const WideString& Name, const std::string& Bytes) {
  std::ofstream f(WideToUtf8(Name), std::ios::binary);
  f << Bytes;
}

std::string Utf16File(const WideString& S) {
  return std::string("\xFF\xFE") + std::string(reinterpret_cast<const char*>(S.data()), S.size() * 2);
}

class LgLanguage : public ::testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override { Reset(); }
  static void Reset() {
    LangManager().ClearLanguageFiles();
    LangManager().SetLanguageID(1033);
  }
  // Files of a language folder; the Russian one translates all but the second column and
  // Widget2, the German one only the form's caption.
  void WriteLanguageFiles() {
    WriteFile(dir.File(L"ru.lng"),
              Utf16File(L"; Russian\r\nLANGID=1049\r\n[LgTestRoot]\r\n1=" + kRuTitle + L"\r\n2=" + kRuOpen +
                        L"\r\n3=\x0418\x043C\x044F\r\n4=\x041E\x0442\x043A\x0440\x044B\x0432\x0430\x0435\x0442\r\n"
                        L"5=\x041F\x0435\x0440\x0432\x044B\x0439\\n\x0412\x0442\x043E\x0440\x043E\x0439\r\n"
                        L"6=\x0421\x0442\x0440\x043E\x043A\x0430\r\n7=\x0422\x0430\x0439\x043D\x0430\r\n"));
    WriteFile(dir.File(L"de.lng"), "LANGID=1031\r\n[LGTESTROOT]\r\n1=Einstellungen\r\n");
    WriteFile(dir.File(L"en.lng"), "LANGID=1033\r\n");
    WriteFile(dir.File(L"none.lng"), "Name=No language\r\n[LgTestRoot]\r\n1=x\r\n");
    WriteFile(dir.File(L"bad.lng.txt"), "LANGID=1040\r\n");
  }
  TTempDirectory dir{L"lg"};
};

TEST_F(LgLanguage, RecordsNumberedPathsAndReadsThemBack) {
  const std::string text = DesignedFormText();
  ASSERT_NE(text.find("LangData = {"), std::string::npos);
  auto root = LoadForm(text);
  // Ids in the order the properties are visited; entries sorted by path; the non-stored
  // property only through the store list; the font and the dots-only title left out.
  const std::vector<WideString> expected = {
      L"Caption=00000001,Settings",
      L"Widget1.Caption=00000002,Open",
      L"Widget1.Columns[0].Title=00000003,Name",
      L"Widget1.Hint=00000004,Opens a file",
      L"Widget1.Items=00000005,First\\nSecond\\n",
      L"Widget1.Lines=00000006,Line\\n",
      L"Widget1.Secret=00000007,Hidden",
      L"Widget2.Caption=00000008,Close",
      L"Widget2.Secret=00000009,Hidden",
  };
  EXPECT_EQ(Controller(root.get())->LangSourceLines(), expected);
}

TEST_F(LgLanguage, LangDataLayoutAndTruncation) {
  const std::string data = Bytes({4, 0}) + "Form" + Bytes({1, 1, 0, 0, 0, 9, 0, 0, 0, 7, 0}) + "Caption" +
                           Bytes({1, 1, 0, 0, 0, 3, 0}) + "Btn" + Bytes({0, 0});
  TMemoryStream s;
  s.WriteBuffer(data.data(), static_cast<int>(data.size()));
  s.SetPosition(0);
  TLgLang_CompEntry root(nullptr);
  root.ReadFromStream(s);
  EXPECT_EQ(root.Name(), "Form");
  EXPECT_EQ(root.PropEntries()->Items(0).ID, 9);
  ASSERT_EQ(root.Children()->size(), 1u);
  EXPECT_EQ((*root.Children())[0]->PropEntries(), nullptr);
  EXPECT_EQ((*root.Children())[0]->Children(), nullptr);
  TMemoryStream out;
  root.WriteToStream(out);
  EXPECT_EQ(std::string(static_cast<const char*>(out.Memory()), static_cast<size_t>(out.Size())), data);
  for (size_t cut = 0; cut < data.size(); ++cut) {
    TMemoryStream t;
    t.WriteBuffer(data.data(), static_cast<int>(cut));
    t.SetPosition(0);
    EXPECT_EQ(Raised<EReadError>([&] { root.ReadFromStream(t); }), "Stream read error") << cut;
  }
}

TEST_F(LgLanguage, ScanRegistersByLanguageAndSkipsFilesWithoutOne) {
  WriteLanguageFiles();
  CreateDirectoryW(dir.File(L"more.lng").c_str(), nullptr);
  CreateDirectoryW(dir.File(L".hidden.lng").c_str(), nullptr);
  CreateDirectoryW(dir.File(L"other").c_str(), nullptr);
  WriteFile(dir.File(L"more.lng\\it.lng"), "LANGID=1040\r\n");
  WriteFile(dir.File(L".hidden.lng\\fr.lng"), "LANGID=1036\r\n");
  WriteFile(dir.File(L"other\\es.lng"), "LANGID=1034\r\n");
  EXPECT_EQ(LangManager().ScanForLanguageFiles(dir.Path(), L"*.lng", false), 3);  // ru, de, en
  EXPECT_EQ(LangManager().GetLanguageCount(), 3);
  EXPECT_EQ(LangManager().GetLanguageIDs(0), 1033);
  LangManager().ClearLanguageFiles();
  EXPECT_EQ(LangManager().ScanForLanguageFiles(dir.Path(), L"*.lng", true), 4);  // and more.lng\it.lng
  EXPECT_EQ(LangManager().GetLanguageCount(), 4);
  EXPECT_FALSE(LangManager().RegisterLanguageFile(dir.File(L"missing.lng")));
}

TEST_F(LgLanguage, SwitchingALiveFormAndBack) {
  WriteLanguageFiles();
  LangManager().ScanForLanguageFiles(dir.Path(), L"*.lng", false);
  auto root = LoadForm(DesignedFormText());
  auto* w = Widget(root.get(), "Widget1");
  auto* form = static_cast<TLgTestRoot*>(root.get());
  int changing = 0, changed = 0;
  struct Counter {
    int* n;
    void Hit(TLgLanguageController*) { ++*n; }
  } c1{&changing}, c2{&changed};
  Controller(root.get())->OnLanguageChanging = TLgLanguageControllerEvent(&c1, &Counter::Hit);
  Controller(root.get())->OnLanguageChanged = TLgLanguageControllerEvent(&c2, &Counter::Hit);

  LangManager().SetLanguageID(1049);
  EXPECT_EQ(LangManager().GetLanguageID(), 1049);
  EXPECT_EQ(LangManager().CodePage(), 1251u);
  EXPECT_EQ(form->Caption(), kRuTitle);
  EXPECT_EQ(w->Caption(), kRuOpen);
  EXPECT_EQ(w->Items()->Count(), 2);
  EXPECT_EQ((*w->Items())[1], L"\x0412\x0442\x043E\x0440\x043E\x0439");
  EXPECT_EQ(static_cast<TLgTestItem*>(w->Columns()->Items(0))->Title(), L"\x0418\x043C\x044F");
  EXPECT_EQ(static_cast<TLgTestItem*>(w->Columns()->Items(1))->Title(), L"...");
  EXPECT_EQ(w->Secret(), L"\x0422\x0430\x0439\x043D\x0430");
  EXPECT_EQ(w->Hint(), WideToAnsi(L"\x041E\x0442\x043A\x0440\x044B\x0432\x0430\x0435\x0442", 1251));
  EXPECT_EQ(Widget(root.get(), "Widget2")->Caption(), L"Close");  // no text in the file
  EXPECT_EQ(changing, 1);
  EXPECT_EQ(changed, 1);

  // A text the next language lacks comes back as designed, not as the previous language's.
  LangManager().SetLanguageID(1031);
  EXPECT_EQ(form->Caption(), L"Einstellungen");
  EXPECT_EQ(w->Caption(), L"Open");
  EXPECT_EQ(w->Items()->Text(), L"First\r\nSecond\r\n");

  // A form created now is translated as it loads.
  auto second = LoadForm(DesignedFormText());
  EXPECT_EQ(static_cast<TLgTestRoot*>(second.get())->Caption(), L"Einstellungen");

  // An id that no file declares selects the designed texts everywhere.
  LangManager().SetLanguageID(2000);
  EXPECT_EQ(LangManager().GetLanguageID(), 1033);
  EXPECT_EQ(form->Caption(), L"Settings");
  EXPECT_EQ(static_cast<TLgTestRoot*>(second.get())->Caption(), L"Settings");
  EXPECT_EQ(w->Secret(), L"Hidden");
  EXPECT_EQ(w->Hint(), "Opens a file");
  EXPECT_EQ(changed, 3);
}

TEST_F(LgLanguage, FormCreatedUnderTheDefaultLanguageIsLeftAlone) {
  auto root = LoadForm(DesignedFormText());
  Widget(root.get(), "Widget1")->SetCaption(L"changed by code");
  auto other = LoadForm(DesignedFormText());
  EXPECT_EQ(Widget(root.get(), "Widget1")->Caption(), L"changed by code");
}

TEST_F(LgLanguage, BrokenFileLeavesTheLanguageAsItWas) {
  WriteLanguageFiles();
  LangManager().ScanForLanguageFiles(dir.Path(), L"*.lng", false);
  auto root = LoadForm(DesignedFormText());
  LangManager().SetLanguageID(1031);
  WriteFile(dir.File(L"ru.lng"), "LANGID=1049\r\n[LgTestRoot]\r\n1=a\r\n1=b\r\n");
  EXPECT_EQ(Raised<ELgLangError>([] { LangManager().SetLanguageID(1049); }),
            "Loading translations failed.\r\nLine 3: Duplicate property value translation ID (1)");
  EXPECT_EQ(LangManager().GetLanguageID(), 1031);
  EXPECT_EQ(static_cast<TLgTestRoot*>(root.get())->Caption(), L"Einstellungen");
  DeleteFileW(dir.File(L"ru.lng").c_str());
  EXPECT_THROW(LangManager().SetLanguageID(1049), EFOpenError);
}

TEST_F(LgLanguage, TheLaterFileOfALanguageWins) {
  WriteFile(dir.File(L"a.lng"), "LANGID=1031\r\n[LgTestRoot]\r\n1=A\r\n");
  WriteFile(dir.File(L"b.lng"), "LANGID=1031\r\n[LgTestRoot]\r\n1=B\r\n");
  auto root = LoadForm(DesignedFormText());
  for (const wchar_t* last : {L"b.lng", L"a.lng"}) {
    LangManager().RegisterLanguageFile(dir.File(last[0] == L'a' ? L"b.lng" : L"a.lng"));
    LangManager().RegisterLanguageFile(dir.File(last));
    EXPECT_EQ(LangManager().GetLanguageCount(), 2);
    LangManager().SetLanguageID(1031);
    EXPECT_EQ(static_cast<TLgTestRoot*>(root.get())->Caption(), last[0] == L'a' ? L"A" : L"B");
    LangManager().SetLanguageID(1033);
  }
}

TEST_F(LgLanguage, EntriesFollowTheComponents) {
  std::string text = DesignedFormText();
  // Widget2 renamed since the entries were recorded: its entries go when the form loads.
  for (size_t at; (at = text.find("Widget2")) != std::string::npos;) text.replace(at, 7, "Widget9");
  auto root = LoadForm(text);
  auto lines = Controller(root.get())->LangSourceLines();
  EXPECT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines.back(), L"Widget1.Secret=00000007,Hidden");
  delete Widget(root.get(), "Widget1");
  EXPECT_EQ(Controller(root.get())->LangSourceLines(), std::vector<WideString>{L"Caption=00000001,Settings"});
}

TEST_F(LgLanguage, WhichTextsCountAsTranslatable) {
  struct Case {
    TLgLanguageControllerOptions Options;
    const wchar_t* Caption;
    bool Recorded;
  } cases[] = {
      {{lgcoIgnoreNonAlphaProps}, L"...", false},
      {{lgcoIgnoreNonAlphaProps}, L"2024", false},
      {{lgcoIgnoreNonAlphaProps}, L"\x00A1", true},
      {{lgcoIgnoreNonAlphaProps}, L"\x00A0", false},
      {{lgcoIgnoreNonAlphaProps}, L"1z", true},
      {{lgcoIgnoreEmptyProps}, L"...", true},
      {{lgcoIgnoreEmptyProps}, L"", false},
      {{}, L"", true},
  };
  for (const Case& c : cases) {
    TLgTestRoot root(nullptr);
    root.SetName("R");
    root.SetCaption(c.Caption);
    auto* lang = new TLgLanguageController(&root);
    lang->SetOptions(c.Options);
    lang->IgnoreList()->Add(".Caption");  // the subject of the form's own caption
    lang->UpdateEntries(true);
    EXPECT_TRUE(lang->LangSourceLines().empty());
    lang->IgnoreList()->Clear();
    lang->UpdateEntries(true);
    EXPECT_EQ(lang->LangSourceLines().size(), c.Recorded ? 1u : 0u) << WideToUtf8(c.Caption);
  }
}

}  // namespace
