// The schemes compiled into the program: each reads, writes itself back unchanged, converts to
// the older formats exactly as stored, and colours a sample of its language; a file's extension
// picks its scheme.
//
// With VERDAN_SCHEME_DIR naming resources/schemes of the source tree, the disabled test
// RegenerateConversions rewrites the bundled files through the program's own writers.
#include <gtest/gtest.h>

#include <cstdlib>

#include "framework/CodePages.h"
#include "framework/Streams.h"
#include "highlighting/TxtXmlBundledSchemes.h"
#include "highlighting/TxtXmlFormat15.h"
#include "highlighting/TxtXmlFormat18.h"
#include "tests/highlighting/HighlightTestSupport.h"

namespace {

void WriteFile(const WideString& Name, const AnsiString& Text) {
  TFileStream f(Name, fmCreate);
  f.WriteBuffer(Text.data(), static_cast<int>(Text.size()));
}

}  // namespace

TEST(BundledSchemes, EachRoundTripsAndMatchesItsStoredConversions) {
  const auto names = BundledSchemeNames();
  ASSERT_GE(names.size(), 3u);
  for (const WideString& name : names) {
    SCOPED_TRACE(WideToAnsi(name));
    const AnsiString text = BundledSchemeText(name);
    TTxtXmlHighlighter h(nullptr);
    LoadText(TTxtXmlFormatNativeXmlAuto::Instance(), &h, text);
    EXPECT_EQ(h.FormatVersion, "2.0");
    EXPECT_EQ(SaveText(TTxtXmlFormatNativeXml20::Instance(), &h), text);
    EXPECT_EQ(SaveText(TTxtXmlFormatNativeXml18::Instance(), &h), BundledSchemeText(name + L"18", L"OLDSCHEME"));
    EXPECT_EQ(SaveText(TTxtXmlFormatNativeXml15::Instance(), &h), BundledSchemeText(name + L"15", L"OLDSCHEME"));
    // The catalogue reads the general information from the fifth line alone.
    const auto lines = SplitLines(text);
    ASSERT_GT(lines.size(), 4u);
    EXPECT_NE(lines[4].find("<General Name=\""), AnsiString::npos);
  }
}

TEST(BundledSchemes, OlderConversionsLoadToTheSameColours) {
  for (const WideString& name : BundledSchemeNames()) {
    SCOPED_TRACE(WideToAnsi(name));
    TTxtXmlHighlighter now(nullptr), v18(nullptr), v15(nullptr);
    LoadText(TTxtXmlFormatNativeXmlAuto::Instance(), &now, BundledSchemeText(name));
    LoadText(TTxtXmlFormatNativeXmlAuto::Instance(), &v18, BundledSchemeText(name + L"18", L"OLDSCHEME"));
    LoadText(TTxtXmlFormatNativeXmlAuto::Instance(), &v15, BundledSchemeText(name + L"15", L"OLDSCHEME"));
    EXPECT_EQ(v18.FormatVersion, "1.8");
    EXPECT_EQ(v15.FormatVersion, "1.5");
    for (const AnsiString& line : SplitLines(now.Info()->General.Sample)) {
      const auto a = Scan(now, line), b = Scan(v18, line), c = Scan(v15, line);
      ASSERT_EQ(Texts(a), Texts(b));
      ASSERT_EQ(Texts(a), Texts(c));
      for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].Attr->Foreground(), b[i].Attr->Foreground()) << line << " " << a[i].Text;
        EXPECT_EQ(a[i].Attr->Foreground(), c[i].Attr->Foreground()) << line << " " << a[i].Text;
      }
    }
  }
}

TEST(BundledSchemes, TheCLikeSchemeColoursItsSample) {
  TTxtXmlHighlighter h(nullptr);
  LoadText(TTxtXmlFormatNativeXmlAuto::Instance(), &h, BundledSchemeText(L"CLIKE"));
  void* state = nullptr;
  auto line = Scan(h, "int x = 42; /* note", state);
  EXPECT_EQ(ColorOf(line, "int"), clNavy);
  EXPECT_EQ(ColorOf(line, "42"), clPurple);
  EXPECT_EQ(ColorOf(line, "note"), clGreen);
  line = Scan(h, "*/ s = \"a\\\"b\"; // c", state);
  EXPECT_EQ(ColorOf(line, "*/"), clGreen);
  EXPECT_EQ(ColorOf(line, "s"), clNone);
  EXPECT_EQ(ColorOf(line, "\\\""), clMaroon);
  EXPECT_EQ(ColorOf(line, "b"), clMaroon);
  EXPECT_EQ(ColorOf(line, "c"), clGreen);
  line = Scan(h, "  #include <x.h> // c", state);
  EXPECT_EQ(ColorOf(line, "include"), clTeal);
  EXPECT_EQ(ColorOf(line, "c"), clGreen);
  EXPECT_EQ(state, h.MainRules());
}

TEST(BundledSchemes, AnExtensionPicksItsScheme) {
  struct Case {
    const wchar_t* file;
    const char* scheme;
  } cases[] = {{L"C:\\src\\main.C", "C-like"}, {L"x.hpp", "C-like"}, {L"setup.INI", "INI"},
               {L"a.b.xml", "XML"},          {L"notes.txt", nullptr}, {L"noext", nullptr}};
  TComponent owner(nullptr);
  for (const Case& c : cases) {
    TTxtXmlHighlighter* h = CreateHighlighterForFile(&owner, c.file);
    if (!c.scheme) {
      EXPECT_EQ(h, nullptr) << WideToAnsi(c.file);
      continue;
    }
    ASSERT_NE(h, nullptr) << WideToAnsi(c.file);
    EXPECT_EQ(h->Info()->General.Name, c.scheme);
    EXPECT_EQ(h->Owner(), &owner);
  }
  EXPECT_FALSE(SchemeListsExtension("cpp, c", L"x.pp"));
  EXPECT_TRUE(SchemeListsExtension("cpp, c", L"x.c"));
}

TEST(BundledSchemes, DISABLED_RegenerateConversions) {
  const char* dir = std::getenv("VERDAN_SCHEME_DIR");
  ASSERT_NE(dir, nullptr);
  const WideString folder = AnsiToWide(dir);
  for (const wchar_t* name : {L"clike", L"ini", L"xml"}) {
    TTxtXmlHighlighter h(nullptr);
    h.LoadFromFile(folder + L"\\" + name + L".xml");
    WriteFile(folder + L"\\" + name + L".xml", SaveText(TTxtXmlFormatNativeXml20::Instance(), &h));
    WriteFile(folder + L"\\old\\" + name + L"18.xml", SaveText(TTxtXmlFormatNativeXml18::Instance(), &h));
    WriteFile(folder + L"\\old\\" + name + L"15.xml", SaveText(TTxtXmlFormatNativeXml15::Instance(), &h));
  }
}
