// Which 8-bit texts are taken for Cyrillic: real sentences of the Western languages in
// Windows-1252 open as they are, Russian sentences and single words in each Cyrillic code page
// are found; opening and saving without an edit writes the same bytes; a save that would change
// characters asks first, in every encoding; the opening and saving messages read in the
// language in use. The test command runs them under the process code page 1252, and its
// Cyrillic run again under 1251.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "app/DocumentSaving.h"
#include "app/Encoding.h"
#include "app/NSTextDialogs.h"
#include "app/TextFileOpening.h"
#include "editor/TxtEditTextBuffer.h"
#include "foundation/LgLanguage.h"
#include "framework/CodePages.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/DocumentTestSupport.h"
#include "tests/common/MessageBoxRecorder.h"
#include "tests/framework/TestFiles.h"

namespace {

// French, Italian, Portuguese, German, Spanish and Nordic text, with the signs Western text uses.
const wchar_t* const kWestern[] = {
    L"Café naïve résumé © 2024",
    L"voilà le café très bon",
    L"Où est la bibliothèque? L'été dernier, nous étions à Noël chez nos grands-parents.",
    L"caffè e tè",
    L"Perché la città è così bella? Più tardi, forse.",
    L"São João está là",
    L"A informação não está disponível até amanhã.",
    L"Größe Übung Mädchen",
    L"Die Straße führt über die Brücke nach Köln.",
    L"¿Dónde está el niño? ¡Olé!",
    L"El señor pidió una canción en español.",
    L"Søren købte æbler på øen",
    L"Åsa är på väg hem från skolan.",
    L"Blåbærsyltetøy er godt.",
    L"Prix : 20 € ; «Très bien» © 2024",
    L"Ærø",
    L"à",
};

// Russian sentences and single words, small, capital and in capitals.
const wchar_t* const kRussian[] = {
    L"Привет, мир! Это простой русский текст для проверки.",
    L"Съешь же ещё этих мягких французских булок, да выпей чаю.",
    L"В чащах юга жил бы цитрус? Да, но фальшивый экземпляр!",
    L"Широкая электрификация южных губерний даст мощный толчок подъёму сельского хозяйства.",
    L"Привет",
    L"здравствуйте",
    L"спасибо",
    L"Москва",
    L"библиотека",
    L"документ",
    L"ВНИМАНИЕ",
    L"съёмка",
};

struct TPage {
  UINT CodePage;
  TTextEncoding Code;
};
const TPage kPages[] = {{1251, teAnsi}, {20866, teCyrillicKoi8}, {866, teCyrillicDos}, {28595, teCyrillicIso}};

WideString Warned(const WideString& Text) { return Text + L"|Halcorn Verdan|" + std::to_wstring(MB_ICONWARNING); }

class TextDetection : public testing::Test {
 protected:
  WideString Put(const std::string& Bytes) { return folder_.Write(L"file.txt", Bytes); }
  std::string Get() { return folder_.Read(L"file.txt"); }
  // Western bytes are no Cyrillic text: they open as ANSI without a warning, as they are, and
  // save back byte for byte.
  void ExpectOpensAsItIs(const std::string& Bytes) {
    const TTextScript script = DetectTextScript(Bytes.data(), Bytes.size());
    EXPECT_TRUE(!script.Cyrillic && script.Index == 0) << script.Index;
    TMessageBoxRecorder boxes;
    TTxtEditStringList lines;
    const WideString name = Put(Bytes);
    EXPECT_EQ(OpenTextFile(&lines, name), teAnsi);
    EXPECT_TRUE(boxes.Shown.empty());
    EXPECT_EQ(UnkeptCharacters(&lines, teAnsi), "");
    ASSERT_TRUE(SaveTextFile(&lines, name, teAnsi, false));
    EXPECT_EQ(Get(), Bytes);
  }
  TTestFolder folder_;
};

}  // namespace

// Every sentence and word opens as its text says, warns only when its letters show as others,
// and saves back byte for byte.
TEST_F(TextDetection, RealSentencesOpenAsTheirTextSays) {
  const unsigned acp = AnsiCodePage();
  ASSERT_TRUE(acp == 1252 || acp == 1251) << acp;
  // The run under a Russian system says so, so that it cannot pass under the Western code page.
  if (const char* expected = std::getenv("VERDAN_EXPECT_ACP")) {
    ASSERT_EQ(acp, std::stoul(expected));
  }
  TMessageBoxRecorder boxes;
  for (const wchar_t* text : kWestern) {
    SCOPED_TRACE(WideToUtf8(text));
    const std::string bytes = Narrow(text, 1252);
    const TTextScript script = DetectTextScript(bytes.data(), bytes.size());
    EXPECT_TRUE(!script.Cyrillic && script.Index == 0);
    boxes.Clear();
    TTxtEditStringList lines;
    const WideString name = Put(bytes);
    EXPECT_EQ(OpenTextFile(&lines, name), teAnsi);
    EXPECT_TRUE(boxes.Shown.empty());
    ASSERT_EQ(lines.Count(), 1);
    EXPECT_EQ(lines.Strings(0), bytes);
    if (acp == 1252) {
      EXPECT_EQ(AnsiToWide(lines.Strings(0)), text) << "shows what it holds";
    }
    EXPECT_EQ(UnkeptCharacters(&lines, teAnsi), "");
    ASSERT_TRUE(SaveTextFile(&lines, name, teAnsi, false));
    EXPECT_EQ(Get(), bytes);
  }
  for (const wchar_t* text : kRussian)
    for (const TPage& page : kPages) {
      SCOPED_TRACE(WideToUtf8(text) + " in " + std::to_string(page.CodePage));
      const std::string bytes = Narrow(text, page.CodePage);
      const TTextScript script = DetectTextScript(bytes.data(), bytes.size());
      EXPECT_TRUE(script.Cyrillic);
      EXPECT_EQ(script.Index, CodePageTableIndex(page.Code));
      EXPECT_EQ(DetectCyrillicCodePage(bytes), script.Index);
      EXPECT_EQ(IsCyrillicWin1251Text(bytes.data(), bytes.size()), page.Code == teAnsi);
      boxes.Clear();
      TTxtEditStringList lines;
      const WideString name = Put(bytes);
      EXPECT_EQ(OpenTextFile(&lines, name), page.Code);
      ASSERT_EQ(lines.Count(), 1);
      EXPECT_EQ(lines.Strings(0), Narrow(text, 1251));
      EXPECT_EQ(boxes.Shown,
                acp == 1251 ? std::vector<WideString>{} : std::vector<WideString>{Warned(ForeignCodePageText(name))});
      ASSERT_TRUE(SaveTextFile(&lines, name, page.Code, false));
      EXPECT_EQ(Get(), bytes);
    }
}

// Western files whose high bytes stand apart from any plain letter: signs side by side, a price
// tier, the Nordic letters on their own, an English text with typographic quotes and dashes. Read
// in some Cyrillic code page each run is a Russian-looking pair or triple, but none is a word:
// they open as they are, without a warning, and save back byte for byte. Text of the Central
// European code page, which the ANSI code page here is not, is never made Cyrillic without a
// warning.
TEST_F(TextDetection, SignsAndLetterGroupsApartFromWordsOpenAsTheyAre) {
  const wchar_t* const western[] = {
      L"\u20ac\u20ac",
      L"Price: \u20ac\u20ac or \u20ac\u20ac\u20ac",
      L"Restaurants\r\nLa Piazza \u20ac\u20ac\r\nChez Paul \u20ac\u20ac\u20ac\r\nThe Ivy \u20ac\u20ac\u20ac\u20ac\r\n",
      L"\u00a9\u00ae",
      L"\u00b1\u00d7",
      L"\u2026\u2026",
      L"\u00c6\u00d8\u00c5",
      L"\u00e6\u00f8\u00e5",
      L"\u00c5\u00c4\u00d6",
      L"\u00e5\u00e4\u00f6",
      L"The Swedish alphabet ends in \u00c5\u00c4\u00d6.",
      L"\u00c9\u00c0",
      L"\u00df\u00df",
      L"He said \u201c\u2026\u201d and left \u2014 \u201cfine\u2019\u201d \u2013 ok.",
      L"\u00a7\u00a7 12-14 \u00b1\u00b1 \u00bd\u00bc",
  };
  for (const wchar_t* text : western) {
    SCOPED_TRACE(WideToUtf8(text));
    ExpectOpensAsItIs(Narrow(text, 1252));
  }
  TMessageBoxRecorder boxes;
  const wchar_t* const central[] = {L"\u017b\u00f3\u0142\u0107", L"\u016f\u0148",
                                    L"Za\u017c\u00f3\u0142\u0107 g\u0119\u015bl\u0105 ja\u017a\u0144",
                                    L"P\u0159\u00edli\u0161 \u017elu\u0165ou\u010dk\u00fd k\u016f\u0148"};
  for (const wchar_t* text : central) {
    SCOPED_TRACE(WideToUtf8(text));
    const std::string bytes = Narrow(text, 1250);
    boxes.Clear();
    TTxtEditStringList lines;
    const WideString name = Put(bytes);
    const TTextEncoding found = OpenTextFile(&lines, name);
    if (found != teAnsi || DetectTextScript(bytes.data(), bytes.size()).Cyrillic) {
      EXPECT_FALSE(boxes.Shown.empty()) << "made Cyrillic without a word";
    }
    ASSERT_TRUE(SaveTextFile(&lines, name, found, false));
    EXPECT_EQ(Get(), bytes);
  }
  // Short Russian words still open as Russian in every code page once they weigh as a word.
  for (const wchar_t* text : {L"\u0434\u043e\u043c\u0430", L"\u043c\u0438\u0440 \u0438 \u0434\u043e\u043c"})
    for (const TPage& page : kPages) {
      const std::string bytes = Narrow(text, page.CodePage);
      const TTextScript script = DetectTextScript(bytes.data(), bytes.size());
      EXPECT_TRUE(script.Cyrillic && script.Index == CodePageTableIndex(page.Code)) << page.CodePage;
    }
}

// Western text with signs and one-letter words standing alone between blanks (a degree sign, a
// section sign, French quotes with blanks inside, a bullet or a dash, an a or e with a grave
// accent as a word) and with one sign over and over (the dots of a form's blanks). Read in some
// Cyrillic code page many of them are single Russian letters or one letter repeated, which are
// no word: each line, the line over and over, and all of them in one file open as they are and
// save back byte for byte.
TEST_F(TextDetection, LoneSignsAndLettersBetweenBlanksOpenAsTheyAre) {
  const wchar_t* const western[] = {
      L"20 \u00b0 C",
      L"\u00a7 3",
      L"\u00ab x \u00bb",
      L"\u00b1 5 %",
      L"\u00d7 2",
      L"Tel. \u00b7 Fax",
      L"a \u00f7 b \u00d7 c",
      L"\u00bc \u00bd \u00be",
      L"\u00b9 \u00b2 \u00b3",
      L"\u00a9 \u00ae \u2122",
      L"\u00a2 \u00a3 \u00a4 \u00a5 \u20ac",
      L"\u00b6 1 \u00a7 2 \u2020 3 \u2021 4 \u2030",
      L"n. \u00ba 5 / 1. \u00aa",
      L"\u201e x \u201c \u2018 y \u2019 \u201a z \u2039 w \u203a",
      L"Siehe \u00a7 3 Abs. 2 und \u00a7 5, Satz 1 \u00b7 Stand 2024",
      L"Il a dit \u00ab oui \u00bb puis \u00ab non \u00bb \u00e0 Paris.",
      L"Il va \u00e0 Paris et \u00e0 Rome \u2013 puis \u00e0 Lyon.",
      L"La citt\u00e0 \u00e8 bella e il mare \u00e8 blu.",
      L"Ele \u00e9 bom e ela \u00e9 boa.",
      L"Der er en \u00f8 i fjorden.",
      L"Mix 2 \u00d7 3 cm, \u00b1 0,5 mm; 1 \u00bd cups at 180 \u00b0 C.",
      L"Paris \u2013 Berlin \u2014 Rome \u2026 and back",
      L"\u2022 one\r\n\u2022 two\r\n\u2022 three",
      L"Price 3,50 \u20ac \u2013 4,00 \u20ac",
      L"5 \u00b5 m \u00b7 10 \u00b5 s \u00b7 \u00b0 \u00b4 \u00a8 \u00b8 \u00af",
      L"\u00bf Qu\u00e9 ? \u00a1 S\u00ed !",
      L"Name: \u2026\u2026\u2026\u2026\u2026\u2026 Date: \u2026\u2026\u2026\u2026",
      L"\u00a1\u00a1\u00a1 Hola !!! \u00ab\u00ab x \u00bb\u00bb \u20ac\u20ac\u20ac\u20ac\u20ac",
  };
  std::string all;
  for (const wchar_t* text : western) {
    SCOPED_TRACE(WideToUtf8(text));
    const std::string bytes = Narrow(text, 1252);
    ASSERT_EQ(AnsiToWide(bytes.data(), bytes.size(), 1252), text);
    ExpectOpensAsItIs(bytes);
    std::string lines;
    for (int n = 0; n < 8; ++n) lines += bytes + "\r\n";
    ExpectOpensAsItIs(lines);
    all += bytes + "\r\n";
  }
  ExpectOpensAsItIs(all);
}

// Generated files of Western and Russian text in every code page, UTF-8 and stray bytes, cut
// anywhere and with long lines: the load's own findings agree with the detection routine, and
// whatever loaded whole saves, unedited, into the same bytes.
TEST_F(TextDetection, FuzzedOpenAndSaveWithoutAnEditWritesTheSameBytes) {
  std::vector<std::string> western, pieces;
  for (const wchar_t* text : kWestern) {
    western.push_back(Narrow(text, 1252));
    pieces.push_back(Narrow(text, CP_UTF8));
  }
  for (const wchar_t* text : kRussian)
    for (const TPage& page : kPages) pieces.push_back(Narrow(text, page.CodePage));
  pieces.insert(pieces.end(), western.begin(), western.end());
  const char* const separators[] = {" ", "\r\n", "\n", "\r", "\t", "", ", "};
  std::mt19937 rng(20261207);
  const WideString name = folder_.File(L"fuzz.txt");
  int whole = 0;
  for (int round = 0; round < 3000; ++round) {
    const bool onlyWestern = round % 3 == 0;
    const std::vector<std::string>& from = onlyWestern ? western : pieces;
    std::string bytes;
    for (int n = 1 + static_cast<int>(rng() % 4); n > 0; --n) {
      bytes += from[rng() % from.size()];
      bytes += separators[rng() % std::size(separators)];
    }
    bool mutated = false;
    if (!onlyWestern)
      for (int edits = static_cast<int>(rng() % 4); edits > 0 && !bytes.empty(); --edits, mutated = true) {
        const size_t at = rng() % bytes.size();
        switch (rng() % 4) {
          case 0: bytes[at] = static_cast<char>(rng()); break;
          case 1: bytes.insert(at, 1, static_cast<char>(0x80 + rng() % 128)); break;
          case 2: bytes.resize(at); break;
          default: bytes.insert(at, std::string(1000 + rng() % 3000, static_cast<char>('a' + rng() % 26)));
        }
      }
    folder_.Write(L"fuzz.txt", bytes);
    SCOPED_TRACE("round " + std::to_string(round) + ": " + testing::PrintToString(bytes.substr(0, 200)));
    TTxtEditStringList lines;
    bool lossy = true, cyrillic1251 = true;
    TTextEncoding found = 0;
    ASSERT_NO_THROW(found = LoadTextFile(&lines, name, teAutoSelect, lossy, &cyrillic1251));
    if (found == teAnsi || found >= teCyrillicDos) {
      const TTextScript script = DetectTextScript(bytes.data(), bytes.size());
      EXPECT_EQ(CodePageTableIndex(found), script.Index);
      EXPECT_EQ(cyrillic1251, script.Cyrillic && script.Index == 0);
    }
    if (onlyWestern) {
      EXPECT_TRUE(found == teAnsi && !cyrillic1251 && !lossy) << int(found) << cyrillic1251 << lossy;
      EXPECT_EQ(OpeningWarning(found, lossy, cyrillic1251, AnsiCodePage()), owNone);
    }
    // What loading changed (lost characters, breaks made alike) is asked about before a save.
    if (lossy || lines.MixedLineBreaks()) continue;
    ++whole;
    ASSERT_TRUE(SaveTextFile(&lines, name, found, bytes.compare(0, 3, "\xEF\xBB\xBF") == 0));
    ASSERT_TRUE(folder_.Read(L"fuzz.txt") == bytes) << "mutated " << mutated;
  }
  EXPECT_GT(whole, 1000);
}

namespace {

// The scripted save dialog: the name and the code it answers.
WideString dialogName;
int dialogEncoding = teAnsi;
bool scriptedSaveDialog(TNSTextSaveDialog* Dialog) {
  Dialog->SetFileName(dialogName);
  Dialog->SetEncodingIndex(dialogEncoding);
  return !dialogName.empty();
}

class TextDetectionWindow : public DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    SetSaveDialogRunner(scriptedSaveDialog);
  }
  void TearDown() override {
    SetSaveDialogRunner(nullptr);
    LangManager().SetLanguageID(LangManager().DefaultLanguageID());
    DocumentTest::TearDown();
  }
  TMainForm& Open(const wchar_t* Name, const std::string& Bytes) {
    TMainForm::StartupFiles() = {folder_.Write(Name, Bytes)};
    return Make();
  }
};

}  // namespace

// A user's file: Windows-1252 text opens as ANSI without a warning in the window, shows its
// letters, and saving it as ANSI writes its own bytes (E9 for the e acute, EF for the i
// diaeresis).
TEST_F(TextDetectionWindow, WesternTextOpensAsAnsiAndSavesItsOwnBytes) {
  const std::string bytes = "Caf\xE9 na\xEFve r\xE9sum\xE9 \xA9 2024";
  TMainForm& form = Open(L"cafe.txt", bytes);
  ASSERT_EQ(DocumentList->Count(), 1);
  EXPECT_EQ(Doc(0)->Encoding, teAnsi);
  EXPECT_TRUE(boxes_.Shown.empty());
  EXPECT_EQ(Editor(0)->TextA(), bytes);
  dialogName = folder_.File(L"cafe.txt");
  dialogEncoding = teAnsi;
  Editor(0)->SetModified(true);
  EXPECT_TRUE(form.SaveAs(Doc(0)));
  EXPECT_TRUE(boxes_.Shown.empty());
  EXPECT_EQ(folder_.Read(L"cafe.txt"), bytes);
}

// The window's load gives the code-page warning from its own finding, for Windows-1251 text
// whose letters are none of those KOI8-R text is rich in.
TEST_F(TextDetectionWindow, Win1251LettersOutsideTheKoi8SetWarnThroughTheLoad) {
  const std::string bytes = "\xEC\xE8\xF0 \xE4\xEE\xEC \xF1\xEE\xED";  // мир дом сон
  Open(L"win1251.txt", bytes);
  ASSERT_EQ(DocumentList->Count(), 1);
  EXPECT_EQ(Doc(0)->Encoding, teAnsi);
  EXPECT_EQ(Editor(0)->TextA(), bytes);
  EXPECT_EQ(boxes_.Shown, AnsiCodePage() == 1251
                              ? std::vector<WideString>{}
                              : std::vector<WideString>{Warned(ForeignCodePageText(Doc(0)->FileName))});
}

// Whatever the encoding chosen, a save that would write other characters than the document holds
// (read as its own encoding holds them) asks first and names them; Cancel writes nothing.
TEST_F(TextDetectionWindow, ASaveThatChangesCharactersAsksInEveryEncoding) {
  const bool w1252 = AnsiCodePage() == 1252;
  const std::string privet = "\xCF\xF0\xE8\xE2\xE5\xF2";  // Привет, as the Cyrillic codes hold it
  const struct {
    TTextEncoding Held;
    std::string Text;
    TTextEncoding Target;
    bool Asks;
    const wchar_t* Named;
  } cases[] = {
      {teCyrillicKoi8, privet, teAnsi, w1252, L"\u041f \u0432 \u0435 \u0438 \u0440 \u0442"},
      {teCyrillicKoi8, privet, teUtf8, w1252, L"\u041f \u0432 \u0435 \u0438 \u0440 \u0442"},
      {teCyrillicIso, privet, teUnicode, w1252, L"\u041f \u0432 \u0435 \u0438 \u0440 \u0442"},
      {teCyrillicKoi8, privet, teCyrillicDos, false, nullptr},
      {teCyrillicKoi8, "a\xB5", teAnsi, false, nullptr},  // the micro sign reads alike in both
      {teCyrillicDos, "a\xB5", teCyrillicKoi8, true, L"\u00b5"},
      {teAnsi, "caf\xE9", teCyrillicKoi8, w1252, L"\u00e9"},  // under 1251 it is a letter KOI8-R has
      {teAnsi, "caf\xE9", teUtf8, false, nullptr},
      {teAnsi, "caf\xE9", teAnsi, false, nullptr},
      {teUtf8, "caf\xE9", teBigEndianUnicode, false, nullptr},
  };
  TMainForm& form = Open(L"a.txt", "old");
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.Held) + " to " + std::to_string(c.Target) + " " + c.Text);
    folder_.Write(L"a.txt", "old");
    Doc(0)->Encoding = c.Held;
    Editor(0)->SetTextA(c.Text);
    Editor(0)->SetModified(true);
    dialogName = folder_.File(L"a.txt");
    dialogEncoding = c.Target;
    boxes_.Clear();
    boxes_.Answers = {IDCANCEL};
    EXPECT_EQ(form.SaveAs(Doc(0)), !c.Asks);
    if (!c.Asks) {
      EXPECT_TRUE(boxes_.Shown.empty());
      continue;
    }
    ASSERT_EQ(boxes_.Texts.size(), 1u);
    EXPECT_NE(boxes_.Texts[0].find(form.EncodingName(c.Target) + L" has no place for: " + c.Named + L"."),
              WideString::npos)
        << WideToUtf8(boxes_.Texts[0]);
    EXPECT_EQ(folder_.Read(L"a.txt"), "old");
  }
}

// Under Russian, the four warnings of opening and saving read in Russian, as the language file
// gives them, and name the file.
TEST_F(TextDetectionWindow, OpeningAndSavingWarningsReadInTheLanguageInUse) {
  ASSERT_TRUE(LangManager().RegisterLanguageFile(BuildPath(L"app\\Languages\\Russian.lng")));
  LangManager().SetLanguageID(1049);
  TLgLang_CompTranslations russian;
  LoadTranslationFile(russian, BuildPath(L"app\\Languages\\Russian.lng"), false);
  auto text = [&](int Id, std::initializer_list<WideString> Args) {
    WideString t = *russian.Find("MainForm")->Find(Id);
    t.erase(std::remove(t.begin(), t.end(), L'\r'), t.end());
    while (!t.empty() && t.back() == L'\n') t.pop_back();
    size_t at = 0;
    for (const WideString& arg : Args) {
      at = t.find(L"%s", at);
      t.replace(at, 2, arg);
      at += arg.size();
    }
    for (size_t n = t.find(L'\n'); n != WideString::npos; n = t.find(L'\n', n + 2)) t.replace(n, 1, L"\r\n");
    return t;
  };
  // A lossy file, then a Cyrillic one under another code page.
  TMainForm::StartupFiles() = {folder_.Write(L"cn.txt", "\xE4\xB8\xAD\r\n"),
                               folder_.Write(L"koi8.txt", "\xD4\xC5\xD3\xD4")};
  TMainForm& form = Make();
  ASSERT_EQ(DocumentList->Count(), 2);
  std::vector<WideString> expected = {Warned(text(375, {L"cn.txt"}))};
  if (AnsiCodePage() != 1251) expected.push_back(Warned(text(376, {L"koi8.txt"})));
  EXPECT_EQ(boxes_.Shown, expected);
  EXPECT_EQ(boxes_.Texts[0].substr(0, 6), L"\u0424\u0430\u0439\u043b \u00ab");
  // Mixed line breaks, then characters KOI8-R has no place for.
  const WideString mixed = folder_.Write(L"mixed.txt", "a\r\nb\nc");
  boxes_.Clear();
  boxes_.Answers = {IDYES, IDCANCEL};
  form.OpenFiles({mixed}, teAutoSelect);
  TDocument* document = form.ActiveDocument();
  ASSERT_TRUE(document && document->MixedLineBreaks);
  document->Encoding = teCyrillicKoi8;
  document->Frame()->edtDocument->SetTextA("a\xB5");
  document->Frame()->edtDocument->SetModified(true);
  EXPECT_FALSE(form.Save(document));
  ASSERT_EQ(boxes_.Texts.size(), 2u);
  EXPECT_EQ(boxes_.Texts[0], text(377, {mixed}));
  EXPECT_EQ(boxes_.Texts[1], text(378, {L"mixed.txt", form.EncodingName(teCyrillicKoi8), L"\u00b5"}));
  EXPECT_EQ(form.EncodingName(teCyrillicKoi8), L"\u041a\u0438\u0440\u0438\u043b\u043b\u0438\u0446\u0430 (KOI8-R)");
}

// A file that fails while it is read is told in the language in use, naming it; what the system
// said goes to the error log.
TEST_F(TextDetectionWindow, AFileThatCannotBeReadIsToldInTheLanguageInUse) {
  ASSERT_TRUE(LangManager().RegisterLanguageFile(BuildPath(L"app\\Languages\\Russian.lng")));
  LangManager().SetLanguageID(1049);
  const WideString big = folder_.File(L"big.txt");
  HANDLE h = CreateFileW(big.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  LARGE_INTEGER size;
  size.QuadPart = 0x90000000LL;  // too large for the editor; sparse, so it costs no disk
  SetFilePointerEx(h, size, nullptr, FILE_BEGIN);
  SetEndOfFile(h);
  CloseHandle(h);
  TMainForm& form = Make();
  boxes_.Clear();
  EXPECT_EQ(form.OpenFiles({big}, teAnsi), 0);
  DeleteFileW(big.c_str());
  ASSERT_EQ(boxes_.Texts.size(), 1u);
  EXPECT_EQ(boxes_.Texts[0],
            L"\u041d\u0435 \u0443\u0434\u0430\u043b\u043e\u0441\u044c \u043e\u0442\u043a\u0440\u044b\u0442\u044c "
            L"\u00abbig.txt\u00bb: \u043e\u0448\u0438\u0431\u043a\u0430 \u0447\u0442\u0435\u043d\u0438\u044f "
            L"\u0444\u0430\u0439\u043b\u0430.");
}
