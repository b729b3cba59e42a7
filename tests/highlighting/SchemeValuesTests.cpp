// Values that round trips cannot see: the exact bytes of every binary-XML value kind, every
// scheme-information field through a save and a reload in each format under its own name, the
// editor colours a scheme leaves out, and the change a newly activated colour scheme announces.
#include <gtest/gtest.h>

#include "framework/DateTime.h"
#include "highlighting/TxtXmlFormat15.h"
#include "highlighting/TxtXmlFormat18.h"
#include "highlighting/XmlBinary.h"
#include "tests/highlighting/SchemeFormatSupport.h"

namespace {

AnsiString Bytes(std::initializer_list<int> List) {
  AnsiString s;
  for (int b : List) s += static_cast<char>(b);
  return s;
}

struct TNotes {
  int count = 0;
  void Changed(TObject*) { ++count; }
};

}  // namespace

TEST(XmlBinaryValues, EveryKindIsWrittenByteForByte) {
  const struct {
    const char* What;
    TVariant Value;
    AnsiString Written;
  } cases[] = {
      {"true", TVariant(true), Bytes({11, 0xFF, 0xFF})},
      {"false", TVariant(false), Bytes({11, 0, 0})},
      {"empty", TVariant(), Bytes({0})},
      {"null", TVariant::Null(), Bytes({1})},
      {"16-bit", TVariant(static_cast<short>(-5)), Bytes({2, 0xFB, 0xFF})},
      {"16-bit unsigned", TVariant(static_cast<unsigned short>(65535)), Bytes({18, 0xFF, 0xFF})},
      {"32-bit", TVariant(-70000), Bytes({3, 0x90, 0xEE, 0xFE, 0xFF})},
      {"32-bit unsigned", TVariant(4000000000u), Bytes({19, 0x00, 0x28, 0x6B, 0xEE})},
      {"64-bit", TVariant(-(1LL << 40)), Bytes({20, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF})},
      {"signed byte", TVariant(static_cast<signed char>(-100)), Bytes({16, 0x9C})},
      {"byte", TVariant(static_cast<unsigned char>(200)), Bytes({17, 0xC8})},
      {"single", TVariant(1.25f), Bytes({4, 0, 0, 0xA0, 0x3F})},
      {"double", TVariant(0.5), Bytes({5, 0, 0, 0, 0, 0, 0, 0xE0, 0x3F})},
      {"currency", TVariant::FromCurrency(-125000), Bytes({6, 0xB8, 0x17, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF})},
      {"date", TVariant::FromDateTime(2.5), Bytes({7, 0, 0, 0, 0, 0, 0, 0x04, 0x40})},
      {"wide string", TVariant(L"w\x439"), Bytes({8, 2, 'w', 0, 0x39, 0x04})},
      {"string", TVariant("ab"), Bytes({0x81, 0x00, 2, 'a', 'b'})},
      {"bytes", TVariant(std::vector<uint8_t>{0, 1, 255}), Bytes({0xA0, 0x11, 3, 0, 1, 255})},
  };
  for (const auto& c : cases) {
    TStrXmlWriter w;
    w.WriteVariant(c.Value);
    EXPECT_EQ(w.Data, c.Written) << c.What;
    TStrXmlReader r(w.Data);
    EXPECT_TRUE(r.ReadVariant() == c.Value) << c.What;
    EXPECT_EQ(r.Remaining(), 0) << c.What;
  }
  // Any non-zero Boolean reads as true.
  const AnsiString one = Bytes({11, 1, 0});
  TStrXmlReader r(one);
  EXPECT_TRUE(r.ReadVariant() == TVariant(true));
}

TEST(SchemeInfo, EveryFieldSurvivesASaveAndAReloadInEachFormat) {
  TTxtXmlHighlighter h(nullptr);
  TTxtInfo& info = *h.Info();
  info.Author = {"Author name", "author@example.com", "www.example.com", "(c) 2024", "Example Ltd", "A remark"};
  info.General = {"Scheme name", "txt;log", 7, 12, "first change\r\nsecond change\r\n", "line one\r\nline two\r\n"};
  AddKeywords(h.MainRules(), "kw", clRed)->Name = "Kw";
  const struct {
    TTxtXmlFormat* Format;
    const char* Mail;  // how the file names the author's mail
  } formats[] = {{&TTxtXmlFormatNativeXml20::Instance(), "Mail=\"author@example.com\""},
                 {&TTxtXmlFormatNativeXml18::Instance(), "Email=\"author@example.com\""},
                 {&TTxtXmlFormatNativeXml15::Instance(), "<Email>author@example.com</Email>"}};
  for (const auto& f : formats) {
    const AnsiString text = SaveText(*f.Format, &h);
    EXPECT_NE(text.find(f.Mail), AnsiString::npos) << text;
    TTxtXmlHighlighter back(nullptr);
    LoadText(TTxtXmlFormatNativeXmlAuto::Instance(), &back, text);
    const TTxtInfo& got = *back.Info();
    SCOPED_TRACE(f.Mail);
    EXPECT_EQ(got.Author.Name, info.Author.Name);
    EXPECT_EQ(got.Author.Mail, info.Author.Mail);
    EXPECT_EQ(got.Author.Web, info.Author.Web);
    EXPECT_EQ(got.Author.Copyright, info.Author.Copyright);
    EXPECT_EQ(got.Author.Company, info.Author.Company);
    EXPECT_EQ(got.Author.Remark, info.Author.Remark);
    EXPECT_EQ(got.General.Name, info.General.Name);
    EXPECT_EQ(got.General.Extensions, info.General.Extensions);
    EXPECT_EQ(got.General.Version, info.General.Version);
    EXPECT_EQ(got.General.Revision, info.General.Revision);
    EXPECT_EQ(got.General.History, info.General.History);
    EXPECT_EQ(got.General.Sample, info.General.Sample);
    // And written again the same.
    EXPECT_EQ(SaveText(*f.Format, &back), text);
  }
}

TEST(SchemeEditorColours, WhatASchemeLeavesOutTakesItsDefault) {
  const AnsiString texts[] = {
      // No "Editor" elements at all.
      "<TxtXmlHighlighter><SyntaxColoring><Info/><Schemes><Scheme Name=\"Default\"><Styles/></Scheme></Schemes>"
      "<MainRules/></SyntaxColoring></TxtXmlHighlighter>",
      // "Editor" elements without attributes.
      "<TxtXmlHighlighter><SyntaxColoring><Info/><Schemes><Scheme Name=\"Default\"><Editor/><Styles/></Scheme>"
      "</Schemes><Editor/><MainRules/></SyntaxColoring></TxtXmlHighlighter>",
      // Empty attributes.
      "<TxtXmlHighlighter><SyntaxColoring><Info/><Schemes><Scheme Name=\"Default\"><Editor ActiveLineColor=\"\" "
      "SelectedForeground=\"\" SelectedBackground=\"\"/><Styles/></Scheme></Schemes><Editor ActiveLineColor=\"\" "
      "SelectedForeground=\"\" SelectedBackground=\"\"/><MainRules/></SyntaxColoring></TxtXmlHighlighter>",
  };
  for (const AnsiString& text : texts) {
    TTxtXmlHighlighter h(nullptr);
    h.EditorProperties()->SelectedBackground = clRed;  // what the file replaces
    LoadText(TTxtXmlFormatNativeXmlAuto::Instance(), &h, text);
    TTxtScheme* scheme = h.Schemes()->FindScheme("Default");
    ASSERT_NE(scheme, nullptr) << text;
    for (TEditorProperties* p : {h.EditorProperties(), &scheme->EditorProperties})
      EXPECT_TRUE(p->ActiveLineColor == clNone && p->SelectedForeground == clHighlightText &&
                  p->SelectedBackground == clHighlight)
          << text;
  }
  // The colours of a new highlighter and of a new scheme are the same defaults.
  TTxtXmlHighlighter fresh(nullptr);
  TTxtScheme made("New");
  for (TEditorProperties* p : {fresh.EditorProperties(), &made.EditorProperties})
    EXPECT_TRUE(p->ActiveLineColor == clNone && p->SelectedForeground == clHighlightText &&
                p->SelectedBackground == clHighlight);
}

// Activating a scheme announces nothing: the tree prepared again shows and announces its colours.
TEST(SchemeActivation, AnActivatedSchemeIsAnnouncedOnceAndNoSchemeChangesNothing) {
  TTxtXmlHighlighter h(nullptr);
  TTxtKeyList* k = AddKeywords(h.MainRules(), "kw", clRed);
  k->Style = "Key";
  TTxtScheme* dark = h.Schemes()->AddScheme("Dark");
  dark->AddStyle("Key", clLime, clNone, {fsItalic});
  TNotes notes;
  h.HookAttrChangeEvent(TNotifyEvent(&notes, &TNotes::Changed));
  h.ActivateScheme(dark);
  EXPECT_EQ(notes.count, 0);
  EXPECT_EQ(h.ActiveScheme, dark);
  EXPECT_EQ(k->Attributes->Foreground(), clLime);
  h.Reset();
  EXPECT_EQ(notes.count, 1);
  EXPECT_EQ(ColorOf(Scan(h, "kw"), "kw"), clLime);
  h.ActivateScheme(nullptr);
  EXPECT_EQ(notes.count, 1);
  EXPECT_EQ(h.ActiveScheme, nullptr);
  EXPECT_EQ(ColorOf(Scan(h, "kw"), "kw"), clLime);
  h.UnhookAttrChangeEvent(TNotifyEvent(&notes, &TNotes::Changed));
}
