// The scheme catalogue: names and extensions read from the information element of every scheme
// format, look-ups by extension with their cache, shared highlighters and the dialogs' filter.
#include <random>

#include "app/SchemeCatalogue.h"
#include "framework/StrRoutines.h"
#include "highlighting/TxtXmlBundledSchemes.h"
#include "tests/framework/TestFiles.h"

#include <gtest/gtest.h>

namespace {

struct TInfoCase {
  const char* Text;
  const char* Name;
  const char* Extensions;
};

// The information element wherever it stands, in each format, across lines; nothing from a file
// without a readable one.
const TInfoCase infoCases[] = {
    {"<a>\n<Info><General Name=\"Notes\" Extensions=\"nts, note\"/></Info></a>", "Notes", "nts, note"},
    {"<X version=\"1.8.3\">\n<Info>\n<General\n  Name=\"Multi\"\n  Extensions=\"m, mm\"/>\n</Info>", "Multi", "m, mm"},
    {"<X>\n<ImportantInfo>*</ImportantInfo>\n<Info>\n<General>\n<Name>Old</Name>\n"
     "<FileTypeName>o, old</FileTypeName>\n</General><Sample><S>&qt;q&qt;</S></Sample></Info>",
     "Old", "o, old"},
    {"<Info><General Name=\"A &amp; B\" Extensions=\"ab\"/></Info>", "A & B", "ab"},
    {"<Information/><Info ><General Name=\"Spaced\"/></Info>", "Spaced", ""},
    {"<Info><General Name=\"Unclosed\"/>", "", ""},
    {"<Info><General Name=\"Bad></Info>", "", ""},
    {"<Info><Author Name=\"x\"/></Info>", "", ""},
    {"", "", ""},
    // Line 5 alone names the scheme, with or without the enclosing element around it.
    {"1\n2\n3\n4\n<General Name=\"Notes\" Extensions=\"nts, note\"/>\n", "Notes", "nts, note"},
    {"1\r\n2\r\n3\r\n4\r\n\t<General Name=\"Crlf\" Extensions=\"c\"/>\r\n6", "Crlf", "c"},
    {"1\n2\n3\n4\n<General Name=\"Last\"/>", "Last", ""},
    {"1\n2\n3\n4\n<General Name=\"Broken\"\n", "", ""},
    {"1\n2\n3\n<General Name=\"Fourth\"/>\n5\n", "", ""},
    {"1\n2\n3\n4\n5\n<General Name=\"Sixth\"/>\n", "", ""},
    {"1\n2\n3\n4\n<General Name=\"Fifth\"/>\n<Info><General Name=\"Other\"/></Info>", "Fifth", ""},
};

class Catalogue : public testing::Test {
 protected:
  WideString Write(const WideString& Name, const std::string& Text) { return folder_.Write(Name, Text); }
  std::string Info(const char* Name, const char* Extensions) {
    return std::string("<?xml version=\"1.0\"?>\n<TxtXmlHighlighter>\n<SyntaxColoring>\n<Info>\n<General Name=\"") +
           Name + "\" Extensions=\"" + Extensions + "\"/>\n</Info>\n</SyntaxColoring>\n</TxtXmlHighlighter>\n";
  }
  TTestFolder folder_;
};

}  // namespace

TEST(SchemeInfo, EveryFormatGivesItsNameAndExtensions) {
  for (const TInfoCase& c : infoCases) {
    const THighInfo info = ParseSchemeInfo(c.Text);
    EXPECT_EQ(info.Name, c.Name) << c.Text;
    EXPECT_EQ(info.Extensions, c.Extensions) << c.Text;
  }
}

TEST(SchemeInfo, TheBundledSchemesInAllThreeFormatsListThemselves) {
  for (const wchar_t* type : {L"SCHEME", L"OLDSCHEME"})
    for (const WideString& name : BundledSchemeNames(type)) {
      const THighInfo info = ParseSchemeInfo(BundledSchemeText(name, type));
      EXPECT_FALSE(info.Name.empty() || info.Extensions.empty()) << WideToAnsi(name);
    }
}

// Scheme files come from the user's folder: any mutation of a real one ends in a name or in
// nothing, never a crash or a hang.
TEST(SchemeInfo, MutatedSchemesNeverFail) {
  std::vector<std::string> seeds;
  for (const wchar_t* type : {L"SCHEME", L"OLDSCHEME"})
    for (const WideString& name : BundledSchemeNames(type))
      seeds.push_back(BundledSchemeText(name, type).substr(0, 900));
  std::mt19937 random(20240907);
  const char bytes[] = "<>/\"=&;! \n\0\xFFInfoGeneral";
  for (int round = 0; round < 3000; ++round) {
    std::string text = seeds[random() % seeds.size()];
    for (int n = 1 + random() % 6; n > 0; --n) {
      const size_t at = random() % (text.size() + 1);
      switch (random() % 3) {
        case 0: text.insert(at, 1, bytes[random() % (sizeof bytes - 1)]); break;
        case 1:
          if (at < text.size()) text.erase(at, 1 + random() % 20);
          break;
        default:
          if (at < text.size()) text[at] = static_cast<char>(random());
      }
    }
    const THighInfo info = ParseSchemeInfo(text);
    ASSERT_LE(info.Name.size() + info.Extensions.size(), text.size());
  }
}

// Only a comma and a blank divide the extensions; what lies between is taken as it stands.
TEST(SchemeInfo, ExtensionListsSplitAtACommaAndABlank) {
  const std::pair<const char*, std::vector<AnsiString>> cases[] = {
      {"c, cpp, h", {"c", "cpp", "h"}},
      {"c,cpp", {"c,cpp"}},
      {" c, cpp ", {" c", "cpp "}},
      {"c, ", {"c"}},
      {"a, , b", {"a", "", "b"}},
      {"", {}},
      {"txt", {"txt"}},
  };
  for (const auto& [text, pieces] : cases) EXPECT_EQ(SplitExtensions(text), pieces) << text;
}

TEST_F(Catalogue, ExtensionsFindTheFirstSchemeInNameOrderAndHitsAreCached) {
  const WideString b = Write(L"b.xml", Info("Bee", "txt, text"));
  const WideString a = Write(L"A.xml", Info("Ay", "log, TXT"));
  Write(L"notascheme.txt", Info("No", "zz"));
  THighList list(folder_.Path());
  EXPECT_EQ(list.Files(), (std::vector<WideString>{a, b}));
  TTxtXmlHighlighter* txt = list.FindByExtension(L".TXT");
  ASSERT_NE(txt, nullptr);
  EXPECT_TRUE(WideSameText(txt->FileName, a));
  EXPECT_EQ(list.FindByExtension(L".text")->FileName, b);
  EXPECT_EQ(list.FindByExtension(L".txt"), txt) << "the same shared highlighter";
  EXPECT_EQ(list.LoadedCount(), 2);
  EXPECT_EQ(list.ExtensionCache().size(), 2u);
  for (const wchar_t* none : {L"", L".", L".zz", L".nope"}) EXPECT_EQ(list.FindByExtension(none), nullptr) << none;
  EXPECT_EQ(list.ExtensionCache().size(), 2u) << "misses are not cached";
  EXPECT_EQ(list.GetByFileName(WideUpperCase(b)), list.FindLoaded(b));
  EXPECT_EQ(list.Plain()->MainRules()->RangeCount() + list.Plain()->MainRules()->KeyListCount(), 0);
}

TEST_F(Catalogue, TheFilterListsEachSchemeWithItsMasks) {
  Write(L"notes.xml", Info("Notes", "nts, note"));
  Write(L"broken.xml", "<TxtXmlHighlighter>\n<Info>\n<General Name=");
  THighList list(folder_.Path());
  EXPECT_EQ(list.BuildFilter(), L"| ()||Notes (*.nts; *.note)|*.nts; *.note");
  EXPECT_EQ(list.ReadInfo(folder_.File(L"notes.xml"), "Name"), "Notes");
  EXPECT_EQ(list.ReadInfo(folder_.File(L"gone.xml"), "Name"), "");
  EXPECT_EQ(THighList(folder_.File(L"missing")).BuildFilter(), L"");
  // Each question reads the file again.
  Write(L"notes.xml", Info("Jottings", "jot,tings"));
  EXPECT_EQ(list.ReadInfo(folder_.File(L"notes.xml"), "Name"), "Jottings");
  EXPECT_EQ(list.BuildFilter(), L"| ()||Jottings (*.jot,tings)|*.jot,tings");
  EXPECT_EQ(list.FindByExtension(L".jot"), nullptr) << "a comma alone divides nothing";
}

TEST_F(Catalogue, ASchemeThatCannotLoadIsNotKept) {
  const WideString bad = Write(L"bad.xml", Info("Bad", "bad").substr(0, 60));
  THighList list(folder_.Path());
  EXPECT_THROW(list.GetByFileName(bad), Exception);
  EXPECT_EQ(list.LoadedCount(), 0);
}
