// Translated format texts are outside input: every one of them, given hostile translations
// (bad directives, too many or too few, of the wrong kind), formats to the translation when it
// takes the arguments and to the English text when it does not, and never raises; the English
// texts are the form files' own; encoding names are widened in the language's code page.
#include <gtest/gtest.h>

#include <random>

#include "app/CharPalette.h"
#include "app/MainActions.h"
#include "app/TextRoutines.h"
#include "foundation/ApStrHolder.h"
#include "framework/CodePages.h"
#include "framework/Actions.h"
#include "tests/app/DocumentTestSupport.h"
#include "themes/UiStatusBars.h"

namespace {

struct TFormatCase {
  const char* Name;
  std::initializer_list<TFormatArg> Args;
  const wchar_t* English;  // the English text formatted with Args
};

// Hostile translations of a format: fixed ones that broke the program, then generated ones.
std::vector<WideString> HostileTexts(unsigned Seed, int Count) {
  std::vector<WideString> texts = {L"%s",
                                   L"%d %d %d",
                                   L"%",
                                   L"%z",
                                   L"%*d",
                                   L"%-*.*d",
                                   L"%1:s",
                                   L"%99:d",
                                   L"%d%",
                                   L"%.",
                                   L"%x%s%p%e",
                                   L"%%%",
                                   L"%0:s",
                                   L"%e",
                                   L"%s %s",
                                   L"%d",
                                   L"%*:d",
                                   L"%-",
                                   L"%999999999999d",
                                   L"%.999999999s",
                                   L"%2147483647:d",
                                   L"\x0416 %s \x0416",
                                   L""};
  std::mt19937 random(Seed);
  const wchar_t* const pieces[] = {L"%",  L"d",     L"s",      L"x", L"*", L":", L"-", L".", L"9", L"0", L"1",
                                   L"%%", L"text ", L"\x0436", L"u", L"e", L"f", L"n", L"m", L"p", L"g"};
  for (int i = 0; i < Count; ++i) {
    WideString text;
    for (int n = 1 + static_cast<int>(random() % 8); n > 0; --n) text += pieces[random() % std::size(pieces)];
    texts.push_back(text);
  }
  return texts;
}

}  // namespace

TEST(TranslatedFormats, EveryFormatTakesEveryHostileTranslationWithoutAnError) {
  const WideString file = L"notes.txt", version = L"Verdan 1.5", product = L"Halcorn Verdan", line = L"Line";
  const TFormatCase cases[] = {
      {"sDocument", {7}, L"Document 7"},
      {"sLineColumn", {12, 5}, L"Ln 12, col 5"},
      {"sOnTheInternet", {product}, L"Halcorn Verdan on the Internet"},
      {"sAccessToFileDenied",
       {file},
       L"Access to file \x201Cnotes.txt\x201D denied. Contact the administrator to obtain permission."},
      {"sANewVersion",
       {version},
       L"A new version is available \x2014 Verdan 1.5. Would you like to open a download page?"},
      {"sYouAreUsing", {product}, L"You are using the latest version of Halcorn Verdan."},
      {"sCharCode", {233, 233}, L"Char code: 233 (0xE9)"},
      {"sShortcutKeys", {233}, L"Shortcut keys: Alt+0233"},
      {"sPageOf", {3}, L"of 3"},
      {"sNumber", {line}, L"Line number:"},
  };
  unsigned seed = 52;
  for (const TFormatCase& c : cases) {
    // The English text itself, and a good translation, format as they are.
    EXPECT_EQ(FormatTranslated(EnglishFormat(c.Name), c.Name, c.Args), c.English) << c.Name;
    for (const WideString& hostile : HostileTexts(seed++, 2000)) {
      WideString direct;
      bool takes = !hostile.empty();  // an empty translation is none
      try {
        direct = WideFormatArgs(hostile, c.Args);
      } catch (const Exception&) {
        takes = false;
      }
      WideString got;
      ASSERT_NO_THROW(got = FormatTranslated(hostile, c.Name, c.Args)) << c.Name << " " << WideToUtf8(hostile);
      EXPECT_EQ(got, takes ? direct : WideString(c.English)) << c.Name << " " << WideToUtf8(hostile);
    }
  }
  // A name that is no format gives the translation unformatted rather than an error.
  EXPECT_EQ(FormatTranslated(L"%s", "sNoSuchText", {1}), L"%s");
  EXPECT_EQ(EnglishFormat("sNoSuchText"), L"");
}

using TranslatedTexts = DocumentTest;

TEST_F(TranslatedTexts, TheEnglishFormatsAreTheFormFilesOwn) {
  TMainForm& form = Make();
  for (const char* name :
       {"sDocument", "sLineColumn", "sOnTheInternet", "sAccessToFileDenied", "sANewVersion", "sYouAreUsing",
        "sCharCode", "sShortcutKeys", "sSettingsFileKept", "sSettingsFileUnreadable"})
    EXPECT_EQ(GetHolderText(form.mltstrnghldrMain, name), EnglishFormat(name)) << name;
  EXPECT_EQ(GetHolderText(form.ActiveDocument()->Frame()->mltstrnghldrDocument, "sPageOf"), EnglishFormat("sPageOf"));
}

TEST_F(TranslatedTexts, HostileTranslationsReachNoWindowAsAnError) {
  TMainForm& form = Make();
  auto* internet = dynamic_cast<TCustomAction*>(form.FindComponent("actnOnTheInternet"));
  ASSERT_NE(internet, nullptr);
  TApMultiStringHolder* holder = form.mltstrnghldrMain;
  TDocumentFrame* frame = form.ActiveDocument()->Frame();
  for (const WideString& hostile : HostileTexts(7, 40)) {
    const AnsiString text = WideToAnsi(hostile);
    for (const char* name : {"sDocument", "sLineColumn", "sOnTheInternet", "sCharCode", "sShortcutKeys"})
      holder->GetStringsByName(name)->SetText(text);
    frame->mltstrnghldrDocument->GetStringsByName("sPageOf")->SetText(text);
    // The next document's name, the status bar, the language switch and the preview's page count: each
    // shows the translation or the English text.
    ASSERT_NO_THROW(form.NextDocumentName()) << text;
    ASSERT_NO_THROW(form.lngcntrlrMainLanguageChanged(form.lngcntrlrMain)) << text;
    ASSERT_NO_THROW(frame->edtprntprvwDocumentPreviewPage(frame->edtprntprvwDocument, 1)) << text;
  }
  // A translation without directives for a number: the English text, not the same name twice.
  holder->GetStringsByName("sDocument")->SetText("%s");
  const int number = form.NewDocumentNumber;
  EXPECT_EQ(form.NewDocument()->GetDisplayName(false), L"Document " + std::to_wstring(number));
  holder->GetStringsByName("sLineColumn")->SetText("%s %s");
  form.lngcntrlrMainLanguageChanged(form.lngcntrlrMain);
  EXPECT_EQ(form.stsbrMain->Panels()->Items(0)->Caption(), L"Ln 1, col 1");
  holder->GetStringsByName("sOnTheInternet")->SetText("%d");
  form.lngcntrlrMainLanguageChanged(form.lngcntrlrMain);
  EXPECT_EQ(internet->Caption(), L"Halcorn Verdan on the Internet");
}

TEST(TranslatedPalette, AHostileCellHintFallsBackToEnglish) {
  TCharPalette palette(nullptr);
  TStringList chars;
  chars.Add("65");
  palette.SetChars(&chars);
  const struct {
    const wchar_t *Code, *Shortcut, *Hint;
  } cases[] = {
      {L"Code %d (%x)", L"Alt+0%d", L"Code 65 (41)\r\nAlt+065"},
      {L"%s", L"Alt+0%d", L"Char code: 65 (0x41)\r\nAlt+065"},
      {L"Code %d", L"%s %s", L"Code 65\r\nShortcut keys: Alt+065"},
      {L"%d %d %d", L"%z", L"Char code: 65 (0x41)\r\nShortcut keys: Alt+065"},
      {L"\x041a\x043e\x0434 %d", L"%d", L"\x041a\x043e\x0434 65\r\n65"},
  };
  for (const auto& c : cases) {
    palette.CharCodeFormat = c.Code;
    palette.ShortcutFormat = c.Shortcut;
    EXPECT_EQ(palette.GetCellHint(0, 0), c.Hint) << WideToUtf8(c.Code);
  }
}
