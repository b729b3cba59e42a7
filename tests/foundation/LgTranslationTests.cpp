// Translation files: lines, sections, escapes, encodings, the exact error with its line, the
// constants resource in its versions, and seeded fuzzing of the reader.
#include <gtest/gtest.h>

#include <random>
#include <tuple>
#include <utility>

#include "foundation/LgTranslations.h"
#include "framework/CodePages.h"
#include "framework/Streams.h"
#include "UcTestSupport.h"

namespace {

std::string Utf16(const WideString& S, bool Mark = true) {
  std::string b = Mark ? std::string("\xFF\xFE") : std::string();
  b.append(reinterpret_cast<const char*>(S.data()), S.size() * 2);
  return b;
}

void Load(TLgLang_CompTranslations& T, const std::string& Bytes, bool ParamsOnly = false) {
  TStringStream s(Bytes);
  LoadTranslationStream(T, s, ParamsOnly);
}

WideString Text(TLgLang_CompTranslations& T, const char* Section, int ID) {
  const TLgLang_CompTranslation* s = T.Find(Section);
  const WideString* v = s ? s->Find(ID) : nullptr;
  return v ? *v : L"<none>";
}

TEST(LgTranslationFile, LinesSectionsAndEscapes) {
  TLgLang_CompTranslations t;
  Load(t,
       Utf16(L"; comment\r\n LANGID = 1049 \r\nAuthor=Me\\n\r\n\r\n[Form1]\r\n7=a\\tb\\nc\r\n"
             L"8=x\\5a\\\\n\\65\\\r\n 00000009 =  padded  \r\nCaption=ignored\r\n-3=neg\r\n[FORM1]\r\n10=again\r\n"
             L"[]\r\n11=still form1\r\n[ broken\r\n12=x\r\n[$constants]\r\nsHello=Hi\\32\r\n[ ]\r\n1=empty name\r\n"));
  EXPECT_EQ(t.LangID(), 1049);
  EXPECT_EQ(t.Params().Count(), 2);
  EXPECT_EQ(t.Params()[1], L"Author=Me\\n");  // parameters are not unescaped
  ASSERT_EQ(t.Count(), 2);
  EXPECT_EQ(Text(t, "form1", 7), L"a\tb\r\nc");
  EXPECT_EQ(Text(t, "Form1", 8), L"x\\5a\\nA\\");
  EXPECT_EQ(Text(t, "Form1", 9), L"padded");
  EXPECT_EQ(Text(t, "Form1", 10), L"again");
  EXPECT_EQ(Text(t, "Form1", 11), L"still form1");
  EXPECT_EQ(Text(t, "Form1", 12), L"x");
  EXPECT_EQ(t.Find("Form1")->Count(), 6);
  EXPECT_EQ(Text(t, "", 1), L"empty name");
  ASSERT_NE(t.Constants().FindConstant("SHELLO"), nullptr);
  EXPECT_EQ(t.Constants().FindConstant("shello")->Value, L"Hi ");
}

TEST(LgTranslationFile, ErrorsNameTheLineCountedFromZero) {
  const std::pair<const char*, const char*> cases[] = {
      // the file, the error
      {"LANGID=1049\r\n; c\r\n[A]\r\n7=x\r\n\r\n7=y\r\n",
       "Loading translations failed.\r\nLine 5: Duplicate property value translation ID (7)"},
      {"[$CONSTANTS]\r\n1abc=x\r\n", "Loading translations failed.\r\nLine 1: Invalid constant name (\"1abc\")"},
      {"[$CONSTANTS]\r\nA_1=x\r\n[B]\r\n[$Constants]\r\na_1=y\r\n",
       "Loading translations failed.\r\nLine 4: Duplicate constant name (\"a_1\")"},
  };
  for (const auto& [text, message] : cases) {
    TLgLang_CompTranslations t;
    EXPECT_EQ(Raised<ELgLangError>([&] { Load(t, text); }), message) << text;
  }
}

TEST(LgTranslationFile, EncodingsByMarkAndByTheFilesLanguage) {
  const WideString privet = L"\x041F\x0440\x0438\x0432\x0435\x0442";
  struct Case {
    std::string Bytes;
    WideString Expected;  // the text of [F] 1
    int ParamsLangID;     // LANGID as found in parameters-only mode, which stops at a section
  } cases[] = {
      // UTF-16 LE with its mark: Unicode.
      {Utf16(L"LANGID=1049\r\n[F]\r\n1=" + privet + L"\r\n"), privet, 1049},
      // 8-bit in the code page of the file's own language, wherever its LANGID line stands.
      {"[F]\r\n1=" + WideToAnsi(privet, 1251) + "\r\nLANGID=1049\r\n", privet, 0},
      {"LANGID=1049\r\n[F]\r\n1=" + WideToUtf8(privet) + "\r\n", AnsiToWide(WideToUtf8(privet), 1251), 1049},
      // A UTF-8 mark becomes characters of the first line, so LANGID is not found there.
      {"\xEF\xBB\xBFLANGID=1049\r\n[F]\r\n1=" + WideToUtf8(privet) + "\r\n", AnsiToWide(WideToUtf8(privet), 1251), 0},
      // Big endian is 8-bit text too: the zero bytes split nothing and the value is garbage.
      {"\xFE\xFF\0L\0A", L"<none>", 0},
  };
  for (const Case& c : cases) {
    TLgLang_CompTranslations t, p;
    Load(t, c.Bytes);
    EXPECT_EQ(Text(t, "F", 1), c.Expected);
    Load(p, c.Bytes, true);
    EXPECT_EQ(p.LangID(), c.ParamsLangID);
  }
}

TEST(LgTranslationFile, EscapingForTheLanguageSource) {
  const std::tuple<const wchar_t*, const wchar_t*, const wchar_t*> cases[] = {
      // value, escaped, exactly
      {L"a\tb", L"a\\tb", L"a\\tb"},
      {L"1\r\n2\n3\r4\n\r5", L"1\\n2\\n3\\n4\\n5", L"1\\n2\\103\\134\\10\\135"},
      {L"c:\\x\x01", L"c:\\\\x\\01", L"c:\\\\x\\01"},
      {L" pad ", L" pad ", L"\\32pad\\32"},
  };
  for (const auto& [value, escaped, exact] : cases) {
    EXPECT_EQ(LgEscape(value), escaped);
    EXPECT_EQ(LgEscape(value, true), exact);
    EXPECT_EQ(LgUnescape(exact), value);
  }
}

TEST(LgConstants, ResourceVersionsAndTranslation) {
  TStringStream v2;
  TLgLang_Constants a, b, c, other;
  a.Add("sB", L"\x0416two");
  a.Add("sA", L"one");
  a.SaveToStream(v2);
  v2.SetPosition(0);
  b.Add("stale", L"x");
  b.LoadFromStream(v2);
  ASSERT_EQ(b.Count(), 2);
  EXPECT_EQ(b.Items(0).Name, "sA");
  EXPECT_EQ(b.FindConstant("SB")->Value, L"\x0416two");
  EXPECT_TRUE(b.AutoSaveLangSource());

  // Versions 0 and 1 hold 8-bit values in the code page of the current language.
  for (int version : {0, 1}) {
    TStringStream s(Bytes({version, 1, 0, 0, 0, 2, 0}) + "sX" + Bytes({1, 0, 0xC6}));
    c.SetLanguageID(1049);
    c.LoadFromStream(s);
    EXPECT_EQ(c.FindConstant("sX")->Value, L"\x0416");
    EXPECT_EQ(c.AutoSaveLangSource(), version == 1);
  }
  TStringStream v3("\x03");
  EXPECT_EQ(Raised<ELgLangError>([&] { c.LoadFromStream(v3); }),
            "Stream version (3) is greater than the current one (2)");
  other.Add("sa", L"eins");
  b.TranslateFrom(&other);
  EXPECT_EQ(b.FindConstant("sA")->Value, L"eins");
  EXPECT_EQ(b.FindConstant("sB")->Value, L"\x0416two");
  b.TranslateFrom(nullptr);
  EXPECT_EQ(b.FindConstant("sA")->Value, L"one");
  EXPECT_EQ(b.LangSourceLines().at(0), L"sA=one");
}

// ---- fuzzing ----

const wchar_t* const kSeeds[] = {
    L"; seed\r\nLANGID=1033\r\nName=English\r\n[MainForm]\r\n00000001=Halcorn \\tVerdan\r\n2=a\\nb\r\n"
    L"[$CONSTANTS]\r\nsOk=OK\\\\\r\n",
    L"LANGID=1049\r\n[A]\r\n1=x\r\n[a]\r\n2=\\32y\\13\r\n[ B ]\r\n3 = z = w\r\n",
    L"[broken\r\n=nothing\r\n[]\r\n[C]\r\nfoo=1\r\n5=\\99\\0\r\n",
};
const wchar_t* const kTokens[] = {L"[",   L"]",         L"=",  L"\\",     L"\\n",         L"\\t",
                                  L"\\1", L"\r\n",      L"\n", L";",      L"LANGID=1049", L"$CONSTANTS",
                                  L"7",   L"00000007=", L" ",  L"\x0416", L"\0"};

std::string Mutate(const WideString& Seed, std::mt19937& Rng) {
  WideString s = Seed;
  auto pick = [&](size_t n) { return static_cast<size_t>(Rng() % (n ? n : 1)); };
  for (int i = 0, steps = 1 + static_cast<int>(Rng() % 4); i < steps; ++i) {
    const size_t at = pick(s.size() + 1);
    switch (Rng() % 5) {
      case 0: s.erase(at, pick(12)); break;
      case 1: s.insert(at, kTokens[pick(std::size(kTokens))]); break;
      case 2:
        if (at < s.size()) s[at] = static_cast<wchar_t>(Rng() % 0x500);
        break;
      case 3: s.insert(at, s.substr(pick(s.size()), pick(40))); break;
      default: s.resize(at);
    }
  }
  // UTF-16 with its mark, UTF-8, or raw UTF-16 bytes (zeros, odd length) read as 8-bit text.
  const int form = static_cast<int>(Rng() % 3);
  std::string bytes = form == 1 ? WideToUtf8(s) : Utf16(s, form == 0);
  if (form == 2 && Rng() % 2 && !bytes.empty()) bytes.pop_back();
  return bytes;
}

void ExpectSame(TLgLang_CompTranslations& A, TLgLang_CompTranslations& B) {
  ASSERT_EQ(A.Count(), B.Count());
  for (int s = 0; s < A.Count(); ++s) {
    ASSERT_EQ(A.Items(s).Count(), B.Items(s).Count());
    for (int i = 0; i < A.Items(s).Count(); ++i) {
      const WideString* v = B.Items(s).Find(A.Items(s).Items(i).ID);
      ASSERT_TRUE(v && *v == A.Items(s).Items(i).Value);
    }
  }
  ASSERT_EQ(A.Constants().Count(), B.Constants().Count());
  for (int i = 0; i < A.Constants().Count(); ++i) ASSERT_EQ(A.Constants().Items(i).Value, B.Constants().Items(i).Value);
  ASSERT_EQ(A.Params().Text(), B.Params().Text());
}

// Every mutated file loads or fails with ELgLangError; what loads is written as a file and
// read back with nothing lost.
TEST(LgTranslationFile, FuzzedFilesLoadOrFailClearly) {
  std::mt19937 rng(1804);
  int loaded = 0, failed = 0;
  for (int round = 0; round < 3000; ++round) {
    const std::string bytes = Mutate(kSeeds[round % std::size(kSeeds)], rng);
    TLgLang_CompTranslations t;
    try {
      Load(t, bytes, round % 7 == 0);
    } catch (const ELgLangError& e) {
      ASSERT_EQ(WideString(e.Message()).rfind(L"Loading translations failed.\r\nLine ", 0), 0u);
      ++failed;
      continue;
    }
    ++loaded;
    TLgLang_CompTranslations back;
    Load(back, Utf16(LgTranslationText(t)));
    ExpectSame(t, back);
    if (HasFailure()) FAIL() << "round " << round;
  }
  EXPECT_GT(loaded, 1000);
  EXPECT_GT(failed, 10);
}

}  // namespace
