// The schemes compiled into the program: each reads, writes itself back unchanged and converts
// to the older formats exactly as stored (the stored conversions are the exporters' output), the
// C-like one colours its language, and a file's extension picks its scheme.
#include <gtest/gtest.h>

#include "framework/CodePages.h"
#include "framework/Streams.h"
#include "highlighting/TxtXmlBundledSchemes.h"
#include "highlighting/TxtXmlFormat15.h"
#include "highlighting/TxtXmlFormat18.h"
#include "tests/highlighting/HighlightTestSupport.h"

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
  const std::pair<const wchar_t*, const char*> cases[] = {{L"C:\\src\\main.C", "C-like"}, {L"x.hpp", "C-like"},
                                                          {L"setup.INI", "INI"},          {L"a.b.xml", "XML"},
                                                          {L"notes.txt", nullptr},        {L"noext", nullptr}};
  TComponent owner(nullptr);
  for (const auto& [file, scheme] : cases) {
    TTxtXmlHighlighter* h = CreateHighlighterForFile(&owner, file);
    ASSERT_EQ(h != nullptr, scheme != nullptr) << WideToAnsi(file);
    if (h) {
      EXPECT_EQ(h->Info()->General.Name + "/" + h->Owner()->Name(), std::string(scheme) + "/");
    }
  }
  EXPECT_FALSE(SchemeListsExtension("cpp, c", L"x.pp"));
  EXPECT_TRUE(SchemeListsExtension("cpp, c", L"x.c"));
}
