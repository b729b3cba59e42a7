// The localization engine: recording a form's texts into "LangData", reading it back, scanning
// language files, and switching a live form between languages and back.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <tuple>

#include "foundation/LgLanguage.h"
#include "framework/CodePages.h"
#include "framework/FileRoutines.h"
#include "framework/FormFiles.h"
#include "framework/Forms.h"
#include "framework/Graphics.h"
#include "framework/Lists.h"
#include "UcTestSupport.h"
#include "tests/framework/Raised.h"

namespace {

// Published data members: the engine reads and writes them like any property.
class TLgTestItem : public TCollectionItem {
  HV_CLASS(TLgTestItem, TCollectionItem)
 public:
  using TCollectionItem::TCollectionItem;
  WideString Title;
};
HV_PUBLISH(TLgTestItem) { p.Field("Title", &T::Title); }

class TLgTestWidget : public TComponent {
  HV_CLASS(TLgTestWidget, TComponent)
 public:
  using TComponent::TComponent;
  ~TLgTestWidget() override { delete Items, delete Lines, delete Columns, delete Font; }
  WideString Caption, Secret = L"Hidden";  // Secret is not stored: its designed text is this one
  AnsiString Hint;
  TStringListW* Items = new TStringListW;
  TStringList* Lines = new TStringList;
  TCollection* Columns = new TOwnedCollection(this, TLgTestItem::StaticClassInfo());
  TFont* Font = new TFont;
};
HV_PUBLISH(TLgTestWidget) {
  p.Field("Caption", &T::Caption);
  p.Field("Columns", &T::Columns);
  p.Field("Font", &T::Font);
  p.Field("Hint", &T::Hint);
  p.Field("Items", &T::Items);
  p.Field("Lines", &T::Lines);
  p.Field("Secret", &T::Secret).Stored(false);
}

class TLgTestRoot : public TComponent {
  HV_CLASS(TLgTestRoot, TComponent)
 public:
  using TComponent::TComponent;
  WideString Caption;
};
HV_PUBLISH(TLgTestRoot) { p.Field("Caption", &T::Caption); }

const bool registered = [] {
  RegisterClasses({&TLgTestRoot::StaticClassInfo(), &TLgTestWidget::StaticClassInfo()});
  return true;
}();

const WideString kRuTitle = L"\x041D\x0430\x0441\x0442\x0440\x043E\x0439\x043A\x0438";  // Настройки
const WideString kRuOpen = L"\x041E\x0442\x043A\x0440\x044B\x0442\x044C";               // Открыть

TLgTestWidget* Widget(TComponent* Root, const char* Name) {
  return static_cast<TLgTestWidget*>(Root->FindComponent(Name));
}
WideString& RootCaption(const std::unique_ptr<TComponent>& Root) {
  return static_cast<TLgTestRoot*>(Root.get())->Caption;
}
TLgLanguageController* Controller(TComponent* Root) {
  return static_cast<TLgLanguageController*>(Root->FindComponent("Lang"));
}

// The form as a designer leaves it: texts set, entries recorded, written with its "LangData".
std::string DesignedFormText() {
  auto root = std::make_unique<TLgTestRoot>(nullptr);
  root->SetName("LgTestRoot");
  root->Caption = L"Settings";
  auto* lang = new TLgLanguageController(root.get());
  lang->SetName("Lang");
  lang->StoreList()->Add("*.Secret");
  auto* w = new TLgTestWidget(root.get());
  w->SetName("Widget1");
  w->Caption = L"Open";
  w->Hint = "Opens a file";
  w->Items->SetText(L"First\r\nSecond\r\n");
  w->Lines->SetText("Line\r\n");
  w->Columns->Add<TLgTestItem>()->Title = L"Name";
  w->Columns->Add<TLgTestItem>()->Title = L"...";
  auto* w2 = new TLgTestWidget(root.get());
  w2->SetName("Widget2");
  w2->Caption = L"Close";
  lang->UpdateEntries(true);
  return WriteComponentToText(root.get());
}

std::unique_ptr<TComponent> LoadForm(const std::string& Text) {
  return std::unique_ptr<TComponent>(ReadComponentFromText(Text, nullptr));
}

void WriteFile(const WideString& Name, const std::string& Bytes) {
  std::ofstream(WideToUtf8(Name), std::ios::binary) << Bytes;
}

std::string Utf16File(const WideString& S) {
  return std::string("\xFF\xFE") + std::string(reinterpret_cast<const char*>(S.data()), S.size() * 2);
}

class LgLanguage : public ::testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override { Reset(); }
  static void Reset() { LangManager().ClearLanguageFiles(), LangManager().SetLanguageID(1033); }
  // Russian translates all texts but the second column's and Widget2's; German only the title.
  void WriteLanguageFiles() {
    WriteFile(dir.File(L"ru.lng"),
              Utf16File(L"; Russian\r\nLANGID=1049\r\n[LgTestRoot]\r\n1=" + kRuTitle + L"\r\n2=" + kRuOpen +
                        L"\r\n3=\x0418\x043C\x044F\r\n4=\x041E\x0442\x043A\x0440\x044B\x0432\x0430\x0435\x0442\r\n"
                        L"5=\x041F\x0435\x0440\x0432\x044B\x0439\\n\x0412\x0442\x043E\x0440\x043E\x0439\r\n"
                        L"6=\x0421\x0442\x0440\x043E\x043A\x0430\r\n7=\x0422\x0430\x0439\x043D\x0430\r\n"));
    WriteFile(dir.File(L"de.lng"), "LANGID=1031\r\n[LGTESTROOT]\r\n1=Einstellungen\r\n");
    WriteFile(dir.File(L"en.lng"), "LANGID=1033\r\n");
    WriteFile(dir.File(L"none.lng"), "Name=No language\r\n[LgTestRoot]\r\n1=x\r\n");
    WriteFile(dir.File(L"other.lng.txt"), "LANGID=1040\r\n");
  }
  TTempDirectory dir{L"lg"};
};

TEST_F(LgLanguage, RecordsNumberedPathsAndReadsThemBack) {
  const std::string text = DesignedFormText();
  ASSERT_NE(text.find("LangData = {"), std::string::npos);
  // Ids in visiting order, entries sorted by path; the non-stored property only through the
  // store list; the font and the dots-only title left out.
  EXPECT_EQ(Controller(LoadForm(text).get())->LangSourceLines(),
            (std::vector<WideString>{L"Caption=00000001,Settings", L"Widget1.Caption=00000002,Open",
                                     L"Widget1.Columns[0].Title=00000003,Name", L"Widget1.Hint=00000004,Opens a file",
                                     L"Widget1.Items=00000005,First\\nSecond\\n", L"Widget1.Lines=00000006,Line\\n",
                                     L"Widget1.Secret=00000007,Hidden", L"Widget2.Caption=00000008,Close",
                                     L"Widget2.Secret=00000009,Hidden"}));
}

TEST_F(LgLanguage, LangDataLayoutAndTruncation) {
  const std::string data = Bytes({4, 0}) + "Form" + Bytes({1, 1, 0, 0, 0, 9, 0, 0, 0, 7, 0}) + "Caption" +
                           Bytes({1, 1, 0, 0, 0, 3, 0}) + "Btn" + Bytes({0, 0});
  TStringStream s(data), out("");
  TLgLang_CompEntry root(nullptr);
  root.ReadFromStream(s);
  EXPECT_EQ(root.PropEntries()->Items(0).ID, 9);
  EXPECT_EQ((*root.Children())[0]->PropEntries(), nullptr);  // both flags 0
  root.WriteToStream(out);
  EXPECT_EQ(out.DataString(), data);
  for (size_t cut = 0; cut < data.size(); ++cut) {
    TStringStream t(data.substr(0, cut));
    EXPECT_EQ(Raised<EReadError>([&] { root.ReadFromStream(t); }), "Stream read error") << cut;
  }
}

TEST_F(LgLanguage, ScanRegistersByLanguageAndSkipsFilesWithoutOne) {
  WriteLanguageFiles();
  for (const wchar_t* sub : {L"more.lng", L".hidden.lng", L"other"}) {
    CreateDirectoryW(dir.File(sub).c_str(), nullptr);
    WriteFile(dir.File(sub) + L"\\x.lng", "LANGID=1040\r\n");
  }
  EXPECT_EQ(LangManager().ScanForLanguageFiles(dir.Path(), L"*.lng", false), 3);  // ru, de, en
  EXPECT_EQ(LangManager().GetLanguageCount(), 3);
  LangManager().ClearLanguageFiles();
  EXPECT_EQ(LangManager().ScanForLanguageFiles(dir.Path(), L"*.lng", true), 4);  // and more.lng\x.lng
  EXPECT_FALSE(LangManager().RegisterLanguageFile(dir.File(L"missing.lng")));
}

// A language file another program holds declares no language, and the scan goes on past it.
TEST_F(LgLanguage, AFileThatCannotBeReadDeclaresNoLanguage) {
  WriteLanguageFiles();
  HANDLE held = CreateFileW(dir.File(L"de.lng").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(LangManager().RegisterLanguageFile(dir.File(L"de.lng")));
  EXPECT_EQ(LangManager().ScanForLanguageFiles(dir.Path(), L"*.lng", false), 2);  // ru, en
  EXPECT_EQ(LangManager().GetLanguageCount(), 2);
  CloseHandle(held);
}

// A language id is 16 bits wide: a file naming one outside that declares no language, rather
// than one cut to 16 bits (66569 would pass for 1033, -1 for 65535).
TEST_F(LgLanguage, AnIdOutsideSixteenBitsDeclaresNoLanguage) {
  for (const char* id : {"0", "-1", "65536", "66569", "x1049"}) {
    WriteFile(dir.File(L"x.lng"), std::string("LANGID=") + id + "\r\n[LgTestRoot]\r\n1=x\r\n");
    EXPECT_FALSE(LangManager().RegisterLanguageFile(dir.File(L"x.lng"))) << id;
  }
  EXPECT_EQ(LangManager().GetLanguageCount(), 1);
  WriteFile(dir.File(L"x.lng"), "LANGID=65535\r\n");
  EXPECT_TRUE(LangManager().RegisterLanguageFile(dir.File(L"x.lng")));
  EXPECT_EQ(LangManager().GetLanguageIDs(1), 65535);
}

TEST_F(LgLanguage, SwitchingLiveFormsAndBack) {
  WriteLanguageFiles();
  LangManager().ScanForLanguageFiles(dir.Path(), L"*.lng", false);
  auto root = LoadForm(DesignedFormText());
  auto* w = Widget(root.get(), "Widget1");
  struct Counter {
    int n = 0;
    void Hit(TLgLanguageController*) { ++n; }
  } changing, changed;
  Controller(root.get())->OnLanguageChanging = TLgLanguageControllerEvent(&changing, &Counter::Hit);
  Controller(root.get())->OnLanguageChanged = TLgLanguageControllerEvent(&changed, &Counter::Hit);

  LangManager().SetLanguageID(1049);
  EXPECT_EQ(LangManager().CodePage(), 1251u);
  EXPECT_EQ(RootCaption(root), kRuTitle);
  EXPECT_EQ(w->Caption, kRuOpen);
  EXPECT_EQ((*w->Items)[1], L"\x0412\x0442\x043E\x0440\x043E\x0439");
  EXPECT_EQ(static_cast<TLgTestItem*>(w->Columns->Items(0))->Title, L"\x0418\x043C\x044F");
  EXPECT_EQ(static_cast<TLgTestItem*>(w->Columns->Items(1))->Title, L"...");
  EXPECT_EQ(w->Secret, L"\x0422\x0430\x0439\x043D\x0430");
  EXPECT_EQ(w->Hint, WideToAnsi(L"\x041E\x0442\x043A\x0440\x044B\x0432\x0430\x0435\x0442", 1251));
  EXPECT_EQ(Widget(root.get(), "Widget2")->Caption, L"Close");  // no text in the file
  EXPECT_EQ(changing.n + changed.n, 2);

  // A text the next language lacks comes back as designed, not as the previous language's.
  LangManager().SetLanguageID(1031);
  EXPECT_EQ(RootCaption(root), L"Einstellungen");
  EXPECT_EQ(w->Caption, L"Open");
  EXPECT_EQ(w->Items->Text(), L"First\r\nSecond\r\n");
  auto second = LoadForm(DesignedFormText());  // translated as it loads
  EXPECT_EQ(RootCaption(second), L"Einstellungen");

  // An id that no file declares selects the designed texts everywhere.
  LangManager().SetLanguageID(2000);
  EXPECT_EQ(LangManager().GetLanguageID(), 1033);
  EXPECT_EQ(RootCaption(root) + RootCaption(second), L"SettingsSettings");
  EXPECT_EQ(w->Secret, L"Hidden");
  EXPECT_EQ(changed.n, 3);

  // Under the default language a new form keeps what its code sets.
  Widget(root.get(), "Widget1")->Caption = L"changed by code";
  LoadForm(DesignedFormText());
  EXPECT_EQ(w->Caption, L"changed by code");
}

// A form being designed keeps the texts it is designed with: its controller does not join the
// manager, so neither loading nor a change of language translates it. A design tool may not
// start the manager at all.
TEST_F(LgLanguage, DesignedFormsAreNotTranslatedAndDesignToolsHaveNoManager) {
  WriteLanguageFiles();
  LangManager().ScanForLanguageFiles(dir.Path(), L"*.lng", false);
  LangManager().SetLanguageID(1031);
  TLgTestRoot designed(nullptr);
  designed.SetDesigning(true);
  ReadComponentFromText(DesignedFormText(), &designed);
  auto running = LoadForm(DesignedFormText());
  EXPECT_EQ(designed.Caption, L"Settings");
  EXPECT_EQ(RootCaption(running), L"Einstellungen");
  struct Counter {
    int n = 0;
    void Hit(TLgLanguageController*) { ++n; }
  } heard;
  Controller(&designed)->OnLanguageChanged = TLgLanguageControllerEvent(&heard, &Counter::Hit);
  LangManager().SetLanguageID(1049);
  EXPECT_EQ(designed.Caption, L"Settings");
  EXPECT_EQ(RootCaption(running), kRuTitle);
  EXPECT_EQ(heard.n, 0);
  // In a design tool the manager refuses; designed controllers still come and go.
  SetDesignTimeProcess(true);
  EXPECT_EQ(Raised<ELgLangError>([] { LangManager(); }), "Call to LangManager() is allowed at runtime only");
  delete new TLgLanguageController(&designed);
  SetDesignTimeProcess(false);
  EXPECT_EQ(LangManager().GetLanguageID(), 1049);
}

TEST_F(LgLanguage, BrokenOrLaterFiles) {
  WriteLanguageFiles();
  LangManager().ScanForLanguageFiles(dir.Path(), L"*.lng", false);
  auto root = LoadForm(DesignedFormText());
  LangManager().SetLanguageID(1031);
  WriteFile(dir.File(L"ru.lng"), "LANGID=1049\r\n[LgTestRoot]\r\n1=a\r\n1=b\r\n");
  EXPECT_EQ(Raised<ELgLangError>([] { LangManager().SetLanguageID(1049); }),
            "Loading translations failed.\r\nLine 3: Duplicate property value translation ID (1)");
  EXPECT_EQ(LangManager().GetLanguageID(), 1031);
  EXPECT_EQ(RootCaption(root), L"Einstellungen");
  DeleteFileW(dir.File(L"ru.lng").c_str());
  EXPECT_THROW(LangManager().SetLanguageID(1049), EFOpenError);

  // Of two files of one language the one registered later is used.
  WriteFile(dir.File(L"a.lng"), "LANGID=1031\r\n[LgTestRoot]\r\n1=A\r\n");
  for (const wchar_t* last : {L"a.lng", L"de.lng"}) {
    LangManager().SetLanguageID(1033);
    LangManager().RegisterLanguageFile(dir.File(last));
    LangManager().SetLanguageID(1031);
    EXPECT_EQ(RootCaption(root), last[0] == L'a' ? L"A" : L"Einstellungen");
  }
}

TEST_F(LgLanguage, EntriesFollowTheComponents) {
  std::string text = DesignedFormText();
  // Widget2 renamed since the entries were recorded: its entries go when the form loads.
  for (size_t at; (at = text.find("Widget2")) != std::string::npos;) text.replace(at, 7, "Widget9");
  auto root = LoadForm(text);
  auto lines = Controller(root.get())->LangSourceLines();
  EXPECT_EQ(lines.back(), L"Widget1.Secret=00000007,Hidden");
  delete Widget(root.get(), "Widget1");
  EXPECT_EQ(Controller(root.get())->LangSourceLines(), std::vector<WideString>{L"Caption=00000001,Settings"});
}

TEST_F(LgLanguage, EntriesAreWrittenInTheOrderOfTheComponents) {
  for (bool moved : {false, true}) {  // Widget1's object after Widget2's in the form
    std::string text = DesignedFormText();
    const size_t w1 = text.find("  object Widget1:"), w2 = text.find("  object Widget2:"), end = text.rfind("end");
    if (moved) text = text.substr(0, w1) + text.substr(w2, end - w2) + text.substr(w1, w2 - w1) + text.substr(end);
    auto root = LoadForm(text);
    TLgLanguageController* lang = Controller(root.get());
    lang->UpdateEntries(true);
    const auto lines = lang->LangSourceLines();
    EXPECT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[1], moved ? L"Widget2.Caption=00000008,Close" : L"Widget1.Caption=00000002,Open");
    EXPECT_EQ(lines[3], moved ? L"Widget1.Caption=00000002,Open" : L"Widget1.Hint=00000004,Opens a file");
    // Written and read again, the entries keep that order.
    TMemoryStream data;
    lang->RootEntry().WriteToStream(data);
    data.SetPosition(0);
    TLgLang_CompEntry read(nullptr);
    read.ReadFromStream(data);
    ASSERT_EQ(read.Children()->size(), 2u);
    EXPECT_EQ((*read.Children())[0]->Name(), moved ? "Widget2" : "Widget1");
  }
}

TEST_F(LgLanguage, WhichTextsCountAsTranslatable) {
  const std::tuple<TLgLanguageControllerOptions, const wchar_t*, bool> cases[] = {
      {{lgcoIgnoreNonAlphaProps}, L"...", false},   {{lgcoIgnoreNonAlphaProps}, L"2024", false},
      {{lgcoIgnoreNonAlphaProps}, L"\x00A1", true}, {{lgcoIgnoreNonAlphaProps}, L"\x00A0", false},
      {{lgcoIgnoreNonAlphaProps}, L"1z", true},     {{lgcoIgnoreEmptyProps}, L"...", true},
      {{lgcoIgnoreEmptyProps}, L"", false},         {{}, L"", true},
  };
  for (const auto& [options, caption, recorded] : cases) {
    TLgTestRoot root(nullptr);
    root.SetName("R");
    root.Caption = caption;
    auto* lang = new TLgLanguageController(&root);
    lang->SetOptions(options);
    lang->IgnoreList()->Add(".Ca[!x]tion");  // the subject of the form's own caption
    lang->UpdateEntries(true);
    EXPECT_TRUE(lang->LangSourceLines().empty());
    lang->IgnoreList()->Clear();
    lang->UpdateEntries(true);
    EXPECT_EQ(lang->LangSourceLines().size(), recorded ? 1u : 0u) << WideToUtf8(caption);
  }
}

TEST_F(LgLanguage, ShownWindowSwitchesToRussianAndBack) {
  WriteFile(dir.File(L"ru.lng"), Utf16File(L"LANGID=1049\r\n[Options]\r\n1=" + kRuTitle + L"\r\n"));
  ASSERT_TRUE(LangManager().RegisterLanguageFile(dir.File(L"ru.lng")));
  std::unique_ptr<TForm> form(new TForm(nullptr, CreateNew));
  form->SetName("Options");
  form->SetCaption(L"Options");
  (new TLgLanguageController(form.get()))->UpdateEntries(true);
  form->Show();
  wchar_t text[64] = {};
  for (const WideString& shown : {kRuTitle, WideString(L"Options")}) {
    LangManager().SetLanguageID(shown == kRuTitle ? 1049 : 1033);
    for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&msg);
    GetWindowTextW(form->Handle(), text, 64);
    EXPECT_EQ(WideString(text), shown);
  }
}

}  // namespace
