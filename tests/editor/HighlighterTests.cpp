// Highlighter base: the token-loop contract, attributes and what of them is stored, change
// signalling, registry persistence and the class register (the editor's rescans are tested with
// the control).
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "editor/TxtEditHighlighter.h"
#include "framework/Registry.h"
#include "tests/editor/TestHighlighter.h"

namespace {

// Words, blanks and single symbols; the range is the depth of open braces at the line's end.
class TWordHighlighter : public TScanningHighlighter {
  HV_CLASS(TWordHighlighter, TTxtCustomHighlighter)
 public:
  explicit TWordHighlighter(TComponent* AOwner) : TScanningHighlighter(AOwner) {
    for (const char* name : {"Comment", "Identifier", "Space", "String", "Symbol"})
      AddAttribute(new TTxtHighlighterAttributes(name));
  }
  using TTxtCustomHighlighter::AddAttribute;

  TTxtHighlighterAttributes* Attr(const char* name) const {
    for (int i = 0; i < GetAttribCount(); ++i)
      if (GetAttribute(i)->Name() == name) return GetAttribute(i);
    return nullptr;
  }
  TTxtHighlighterAttributes* GetDefaultAttribute(int Index) const override {
    switch (Index) {
      case 0: return Attr("Comment");
      case 3: return Attr("String");
      case 4: return Attr("Space");
      default: return nullptr;
    }
  }
  void* GetRange() const override { return reinterpret_cast<void*>(static_cast<intptr_t>(depth_)); }
  void SetRange(void* Value) override { depth_ = static_cast<int>(reinterpret_cast<intptr_t>(Value)); }
  void ResetRange() override { depth_ = 0; }
  TTxtHighlighterAttributes* GetTokenAttribute() const override {
    char c = line_[start_];
    if (c == ' ') return Attr("Space");
    return IsWordChar(c) ? Attr("Identifier") : Attr("Symbol");
  }
  int GetTokenKind() const override { return line_[start_] == ' ' ? 1 : 0; }
  AnsiString GetSampleSource() const override { return sample_; }
  void SetSampleSource(const AnsiString& Value) override { sample_ = Value; }
  int scans = 0;

 private:
  static bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }
  void Scan() override {
    ++scans;
    end_ = start_ + 1;
    char c = line_[start_];
    if (c == '{') ++depth_;
    if (c == '}') --depth_;
    if (c == ' ' || IsWordChar(c))
      while (end_ < line_.size() && (line_[end_] == ' ') == (c == ' ') && (c == ' ' || IsWordChar(line_[end_]))) ++end_;
  }
  AnsiString sample_;
  int depth_ = 0;
};

// Another class with a different attribute set.
class TOtherHighlighter : public TWordHighlighter {
  HV_CLASS(TOtherHighlighter, TWordHighlighter)
 public:
  explicit TOtherHighlighter(TComponent* AOwner) : TWordHighlighter(AOwner) {
    AddAttribute(new TTxtHighlighterAttributes("Extra"));
  }
};

struct Hooks {
  std::vector<TObject*> senders;
  void Changed(TObject* Sender) { senders.push_back(Sender); }
};

const wchar_t kTestKey[] = L"Software\\HalcornVerdanTests\\Highlighter";

struct RegistryCleanup {
  ~RegistryCleanup() {
    TRegistry r;
    r.SetRootKey(HKEY_CURRENT_USER);
    r.DeleteKey(L"\\Software\\HalcornVerdanTests");
  }
};

}  // namespace

HV_PUBLISH(TWordHighlighter) {}
HV_PUBLISH(TOtherHighlighter) {}

// ---- the token loop ----

TEST(Highlighter, TokensCoverTheLineInOrderAndAnEmptyLineHasNone) {
  TWordHighlighter h(nullptr);
  h.ResetRange();
  h.SetLine("ab  {c}", 0);
  std::string joined;
  int last = -1;
  std::vector<std::string> tokens;
  while (!h.GetEol()) {
    EXPECT_GT(h.GetTokenPos(), last);
    EXPECT_EQ(h.GetTokenPos(), static_cast<int>(joined.size()));
    last = h.GetTokenPos();
    tokens.push_back(h.GetToken());
    joined += h.GetToken();
    h.Next();
  }
  EXPECT_EQ(joined, "ab  {c}");
  EXPECT_EQ(tokens, (std::vector<std::string>{"ab", "  ", "{", "c", "}"}));

  int scans = h.scans;
  h.SetRange(reinterpret_cast<void*>(2));
  h.SetLine("", 1);
  EXPECT_TRUE(h.GetEol());
  h.NextToEol();
  EXPECT_EQ(h.scans, scans);                            // nothing was scanned
  EXPECT_EQ(h.GetRange(), reinterpret_cast<void*>(2));  // the state carries over
}

// ---- attributes ----

TEST(HighlighterAttributes, DefaultsAndWhatIsStored) {
  TTxtHighlighterAttributes a("Comment");
  EXPECT_EQ(a.Name(), "Comment");
  EXPECT_EQ(a.Background(), clNone);
  EXPECT_EQ(a.Foreground(), clNone);
  EXPECT_TRUE(a.Style().Empty());
  EXPECT_EQ(a.BackgroundDefault(), TColor(0));
  EXPECT_EQ(a.ForegroundDefault(), TColor(0));
  EXPECT_TRUE(a.StyleDefault().Empty());
  EXPECT_TRUE(IsStoredProp(&a, FindPropInfo(&a, "Background")));  // clNone differs from 0
  EXPECT_FALSE(IsStoredProp(&a, FindPropInfo(&a, "Style")));
  SetOrdProp(&a, FindPropInfo(&a, "Foreground"), 0);
  EXPECT_FALSE(IsStoredProp(&a, FindPropInfo(&a, "Foreground")));
}

TEST(HighlighterAttributes, StyleAsANumber) {
  TTxtHighlighterAttributes a("x");
  for (int v = 0; v < 16; ++v) {
    a.SetStyleFromInt(v);
    EXPECT_EQ(a.GetStyleFromInt(), v);
  }
  a.SetStyleFromInt(1 | 8);
  EXPECT_EQ(a.Style(), (TFontStyles{fsBold, fsStrikeOut}));
}

// ---- the highlighter ----

TEST(Highlighter, Defaults) {
  TWordHighlighter h(nullptr);
  EXPECT_TRUE(h.Enabled());
  EXPECT_EQ(FindPropInfo(&h, "Enabled").Default, 1);
  EXPECT_EQ(h.GetDefaultFilter(), "");
  EXPECT_EQ(h.GetLanguageName(), "<Unknown>");
  EXPECT_EQ(h.GetCapabilities(), 2u);
  EXPECT_FALSE(h.IsKeyword("ab"));
  const TTxtCharSet ident = h.GetIdentChars();
  for (int c = 0; c < 256; ++c) EXPECT_EQ(ident.Contains(static_cast<unsigned char>(c)), c >= 33) << c;
  const std::string breaks = "!\"'()*+,-./:;=?[\\]^{|}";
  ASSERT_EQ(breaks.size(), 22u);
  for (int c = 0; c < 256; ++c)
    EXPECT_EQ(h.WordBreakChars().Contains(static_cast<unsigned char>(c)),
              breaks.find(static_cast<char>(c)) != std::string::npos)
        << c;
  TStringList settings;
  settings.Add("x");
  h.EnumUserSettings(&settings);
  EXPECT_EQ(settings.Count(), 0);
  EXPECT_FALSE(h.UseUserSettings(0));
}

TEST(Highlighter, AttributesAreKeptByNameAndDuplicatesAreRefused) {
  TWordHighlighter h(nullptr);
  EXPECT_EQ(h.GetAttribute(4)->Name(), "Symbol");
  EXPECT_EQ(h.GetAttribute(5), nullptr);
  EXPECT_THROW(h.AddAttribute(new TTxtHighlighterAttributes("Space")), EStringListError);
  EXPECT_EQ(h.GetAttribCount(), 5);
}

TEST(Highlighter, ChangesReachTheHooksExceptWhileLoading) {
  TWordHighlighter h(nullptr);
  Hooks hooks;
  h.HookAttrChangeEvent(TNotifyEvent(&hooks, &Hooks::Changed));
  h.Attr("Symbol")->SetForeground(clRed);
  ASSERT_EQ(hooks.senders.size(), 1u);
  EXPECT_EQ(hooks.senders[0], h.Attr("Symbol"));
  h.SetEnabled(true);
  EXPECT_EQ(hooks.senders.size(), 1u);
  h.SetEnabled(false);
  ASSERT_EQ(hooks.senders.size(), 2u);
  EXPECT_EQ(hooks.senders[1], nullptr);
  h.SetLoading(true);
  h.Attr("Symbol")->SetForeground(clBlue);
  EXPECT_EQ(hooks.senders.size(), 2u);
  h.SetLoading(false);
  h.Loaded();
  EXPECT_EQ(hooks.senders.size(), 3u);
  h.UnhookAttrChangeEvent(TNotifyEvent(&hooks, &Hooks::Changed));
  h.SetEnabled(true);
  EXPECT_EQ(hooks.senders.size(), 3u);
}

TEST(Highlighter, AssignCopiesAttributesByNameAndTheSettings) {
  TWordHighlighter a(nullptr);
  TOtherHighlighter b(nullptr);
  b.Attr("Symbol")->SetForeground(clRed);
  b.Attr("Extra")->SetForeground(clBlue);
  b.SetEnabled(false);
  b.SetDefaultFilter("Text (*.txt)|*.txt");
  b.SetSampleSource("sample");
  TTxtCharSet few;
  few.Include('#');
  b.SetWordBreakChars(few);
  a.Assign(&b);
  EXPECT_EQ(a.Attr("Symbol")->Foreground(), clRed);
  EXPECT_FALSE(a.Enabled());
  EXPECT_EQ(a.GetDefaultFilter(), "Text (*.txt)|*.txt");
  EXPECT_EQ(a.WordBreakChars(), few);
  EXPECT_EQ(a.GetSampleSource(), "sample");  // b is of a's class (derived)

  // No names in common: no attribute changes, the settings are still copied.
  TWordHighlighter c(nullptr);
  TOtherHighlighter d(nullptr);
  d.Attr("Comment")->SetForeground(clGreen);
  d.SetSampleSource("not copied");
  d.SetEnabled(false);
  c.SetSampleSource("mine");
  d.Assign(&c);  // c is not of d's class
  EXPECT_EQ(d.GetSampleSource(), "not copied");
  EXPECT_EQ(d.Attr("Comment")->Foreground(), clNone);
  EXPECT_TRUE(d.Enabled());
}

// Someone told of the highlighter's destruction unhooks from it; that must still work.
TEST(Highlighter, ObserversCanUnhookWhenTheHighlighterIsFreed) {
  struct Observer : TComponent {
    using TComponent::TComponent;
    TTxtCustomHighlighter* watched = nullptr;
    Hooks hooks;
    void Notification(TComponent* AComponent, TOperation Operation) override {
      TComponent::Notification(AComponent, Operation);
      if (Operation == opRemove && AComponent == watched) {
        watched->UnhookAttrChangeEvent(TNotifyEvent(&hooks, &Hooks::Changed));
        watched = nullptr;
      }
    }
  };
  Observer editor(nullptr);
  auto* h = new TWordHighlighter(nullptr);
  editor.watched = h;
  h->HookAttrChangeEvent(TNotifyEvent(&editor.hooks, &Hooks::Changed));
  h->FreeNotification(&editor);
  delete h;
  EXPECT_EQ(editor.watched, nullptr);
}

// ---- the registry ----

TEST(HighlighterRegistry, SaveAndLoadRestoreEveryAttribute) {
  RegistryCleanup cleanup;
  TWordHighlighter a(nullptr);
  a.Attr("Comment")->SetForeground(clGreen);
  a.Attr("Comment")->SetStyle(TFontStyles{fsItalic});
  a.Attr("String")->SetBackground(clSkyBlue);
  a.Attr("Symbol")->SetBackground(clBtnFace);
  ASSERT_TRUE(a.SaveToRegistry(HKEY_CURRENT_USER, kTestKey));
  TWordHighlighter b(nullptr);
  ASSERT_TRUE(b.LoadFromRegistry(HKEY_CURRENT_USER, kTestKey));
  for (int i = 0; i < a.GetAttribCount(); ++i) {
    EXPECT_EQ(b.GetAttribute(i)->Foreground(), a.GetAttribute(i)->Foreground()) << i;
    EXPECT_EQ(b.GetAttribute(i)->Background(), a.GetAttribute(i)->Background()) << i;
    EXPECT_EQ(b.GetAttribute(i)->Style(), a.GetAttribute(i)->Style()) << i;
  }
  EXPECT_FALSE(b.LoadFromRegistry(HKEY_CURRENT_USER, L"Software\\HalcornVerdanTests\\Missing"));
  // An attribute key without values leaves the attribute as it was.
  TOtherHighlighter c(nullptr);
  c.Attr("Extra")->SetForeground(clRed);
  {
    TRegistry r;
    r.SetRootKey(HKEY_CURRENT_USER);
    r.OpenKey(std::wstring(L"\\") + kTestKey + L"\\Extra", true);
  }
  EXPECT_TRUE(c.LoadFromRegistry(HKEY_CURRENT_USER, kTestKey));
  EXPECT_EQ(c.Attr("Extra")->Foreground(), clRed);
  EXPECT_EQ(c.Attr("Comment")->Foreground(), clGreen);
}

TEST(HighlighterRegistry, OldEditorColourLayout) {
  RegistryCleanup cleanup;
  TRegistry r;
  r.SetRootKey(HKEY_CURRENT_USER);
  ASSERT_TRUE(r.OpenKey(std::wstring(L"\\") + kTestKey, true));
  r.WriteString(L"Keyword", L"0,0,B,0,0,12,15");
  r.WriteString(L"Plain", L"0,0,,1,1,0,0");
  r.WriteString(L"BadIndex", L"0,0,U,0,0,16,1");
  r.WriteString(L"Short", L"0,0,I,0,0");
  r.WriteInteger(L"Number", 5);
  r.CloseKey();

  TTxtHighlighterAttributes a("x");
  EXPECT_TRUE(a.LoadFromIdeRegistry(HKEY_CURRENT_USER, kTestKey, L"Keyword", true));
  EXPECT_EQ(a.Style(), TFontStyles{fsBold});
  EXPECT_EQ(a.Foreground(), clBlue);
  EXPECT_TRUE(a.LoadFromIdeRegistry(HKEY_CURRENT_USER, kTestKey, L"Plain", true));
  EXPECT_EQ(a.Foreground(), clWindowText);
  EXPECT_EQ(a.Background(), clWindow);

  TTxtHighlighterAttributes b("y");
  EXPECT_FALSE(b.LoadFromIdeRegistry(HKEY_CURRENT_USER, kTestKey, L"BadIndex", true));
  EXPECT_EQ(b.Background(), clMaroon);  // set before the failure, and kept
  EXPECT_EQ(b.Foreground(), clNone);
  EXPECT_FALSE(b.LoadFromIdeRegistry(HKEY_CURRENT_USER, kTestKey, L"Short", true));
  EXPECT_FALSE(b.LoadFromIdeRegistry(HKEY_CURRENT_USER, kTestKey, L"Number", true));
  EXPECT_FALSE(b.LoadFromIdeRegistry(HKEY_CURRENT_USER, L"Software\\HalcornVerdanTests\\None", L"Keyword", true));
}

TEST(HighlighterRegistry, NewEditorColourLayout) {
  RegistryCleanup cleanup;
  auto write = [](const wchar_t* attr, bool withUnderline, bool integerForeground) {
    TRegistry r;
    r.SetRootKey(HKEY_CURRENT_USER);
    r.OpenKey(std::wstring(L"\\") + kTestKey + L"\\" + attr, true);
    if (integerForeground)
      r.WriteInteger(L"Foreground Color", 9);
    else
      r.WriteString(L"Foreground Color", L"9");  // the wrong type
    r.WriteString(L"Background Color New", L"clYellow");
    r.WriteString(L"Bold", L"True");
    r.WriteString(L"Italic", L"false");
    if (withUnderline) r.WriteString(L"Underline", L"0");
    r.WriteString(L"Default Foreground", L"False");
    r.WriteString(L"Default Background", L"FALSE");
  };
  write(L"Good", true, true);
  write(L"NoUnderline", false, true);
  write(L"WrongType", true, false);

  TTxtHighlighterAttributes a("x");
  EXPECT_TRUE(a.LoadFromIdeRegistry(HKEY_CURRENT_USER, kTestKey, L"Good", false));
  EXPECT_EQ(a.Style(), TFontStyles{fsBold});
  EXPECT_EQ(a.Foreground(), clRed);
  EXPECT_EQ(a.Background(), clYellow);

  TTxtHighlighterAttributes b("y");
  EXPECT_FALSE(b.LoadFromIdeRegistry(HKEY_CURRENT_USER, kTestKey, L"NoUnderline", false));
  EXPECT_FALSE(b.LoadFromIdeRegistry(HKEY_CURRENT_USER, kTestKey, L"WrongType", false));
  EXPECT_EQ(b.Foreground(), clNone);
}
