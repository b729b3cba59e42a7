// Scheme files: the exact texts of the three formats, what each keeps and drops, the text forms
// of values, detection of the format, the errors, the scheme inside form files, and the faults
// of reading and writing that must not come back.
#include <gtest/gtest.h>

#include <random>
#include <tuple>

#include "framework/Conversions.h"
#include "framework/FileRoutines.h"
#include "framework/FormFiles.h"
#include "highlighting/TxtXmlBundledSchemes.h"
#include "highlighting/TxtXmlFormat15.h"
#include "highlighting/TxtXmlFormat18.h"
#include "tests/highlighting/SchemeFormatSupport.h"

namespace {

TTxtXmlFormatNativeXml20& F20() { return TTxtXmlFormatNativeXml20::Instance(); }
TTxtXmlFormatNativeXml18& F18() { return TTxtXmlFormatNativeXml18::Instance(); }
TTxtXmlFormatNativeXml15& F15() { return TTxtXmlFormatNativeXml15::Instance(); }
TTxtXmlFormatNativeXmlAuto& Auto() { return TTxtXmlFormatNativeXmlAuto::Instance(); }

AnsiString Fixture(const wchar_t* Name) { return BundledSchemeText(Name, RT_RCDATA); }

// A 2.0 file around a MainRules body.
AnsiString Scheme20(const AnsiString& MainRules, const AnsiString& Extra = AnsiString()) {
  return "<TxtXmlHighlighter><SyntaxColoring><Info/>" + Extra + "<MainRules>" + MainRules +
         "</MainRules></SyntaxColoring></TxtXmlHighlighter>";
}

AnsiString Scheme18(const AnsiString& Range) {
  return "<XmlHighlighter version=\"1.8.3\"><Info><Version Version=\"1\" Revision=\"0\"/></Info>" + Range +
         "</XmlHighlighter>";
}

AnsiString Scheme15(const AnsiString& Range, const AnsiString& Index = "0") {
  return "<XmlHighlighter><Info><Version><Version>1</Version><Revision>0</Revision></Version></Info><SchemeIndex>" +
         Index + "</SchemeIndex>" + Range + "</XmlHighlighter>";
}

// Per line: the token texts and foreground colours of Lines scanned one after another, the
// state carried from line to line.
std::vector<std::string> Coloured(TTxtXmlHighlighter& H, const std::vector<AnsiString>& Lines) {
  std::vector<std::string> out;
  void* state = nullptr;
  for (const AnsiString& line : Lines) {
    std::string tokens;
    for (const TTok& t : Scan(H, line, state))
      tokens += t.Text + "=" + IntToStr(t.Attr ? static_cast<int>(t.Attr->Foreground()) : -1) + "|";
    out.push_back(tokens);
  }
  return out;
}

// The first line that A and B colour differently, as "line: A / B"; empty when there is none.
std::string FirstDifference(TTxtXmlHighlighter& A, TTxtXmlHighlighter& B, const std::vector<AnsiString>& Lines) {
  const std::vector<std::string> a = Coloured(A, Lines), b = Coloured(B, Lines);
  for (size_t i = 0; i < Lines.size(); ++i)
    if (a[i] != b[i]) return std::string(Lines[i]) + ": " + a[i] + " / " + b[i];
  return std::string();
}

// Lines made of the symbols below, letters, delimiters and blanks.
std::vector<AnsiString> SymbolLines(unsigned Seed) {
  static const char* const pieces[] = {"ab", "cd", "(*", "*)", "x", " ", ".", "a", "d", "\t", "*", "("};
  std::mt19937 rng(Seed);
  std::vector<AnsiString> lines;
  for (int i = 0; i < 300; ++i) {
    AnsiString line;
    for (int n = static_cast<int>(rng() % 12); n > 0; --n) line += pieces[rng() % std::size(pieces)];
    lines.push_back(line);
  }
  return lines;
}

}  // namespace

// ---- exact texts and round trips ----

TEST(SchemeFormats, EachFormatWritesTheExactTextAndReadsItBack) {
  TTxtXmlHighlighter h(nullptr);
  FillMini(h);
  const std::pair<TTxtXmlFormat*, const wchar_t*> formats[] = {
      {&F20(), L"MINI20"}, {&F18(), L"MINI18"}, {&F15(), L"MINI15"}};
  for (const auto& [format, name] : formats) {
    EXPECT_EQ(SaveText(*format, &h), Fixture(name)) << WideToAnsi(name);
    TTxtXmlHighlighter back(nullptr);
    LoadText(Auto(), &back, Fixture(name));
    EXPECT_EQ(SaveText(Auto(), &back), Fixture(name)) << WideToAnsi(name);
  }
}

TEST(SchemeFormats, EveryFormatReadsTheSameColours) {
  for (const wchar_t* name : {L"MINI20", L"MINI18", L"MINI15"}) {
    SCOPED_TRACE(WideToAnsi(name));
    TTxtXmlHighlighter h(nullptr);
    LoadText(Auto(), &h, Fixture(name));
    // The open quote must be followed by a delimiter (its right side is a word end).
    const auto tokens = Scan(h, "if \" x\" 12 else");
    EXPECT_EQ(ColorOf(tokens, "if"), clBlue);
    EXPECT_EQ(ColorOf(tokens, "x"), clMaroon);
    EXPECT_EQ(ColorOf(tokens, "12"), clPurple);
    EXPECT_EQ(IntToStr(h.Info()->General.Revision) + h.Info()->Author.Name, "3Me");
  }
}

TEST(SchemeFormats, Format20KeepsSchemesAndCustomDataTheOlderOnesDoNot) {
  TTxtXmlHighlighter now(nullptr), v18(nullptr), v15(nullptr);
  LoadText(Auto(), &now, Fixture(L"MINI20"));
  LoadText(Auto(), &v18, Fixture(L"MINI18"));
  LoadText(Auto(), &v15, Fixture(L"MINI15"));
  EXPECT_EQ(now.FormatVersion + v18.FormatVersion + v15.FormatVersion, "2.01.81.5");
  ASSERT_NE(now.ActiveScheme, nullptr);
  EXPECT_EQ(now.ActiveScheme->FindStyle("Kw")->Foreground(), clRed);
  EXPECT_EQ(now.CustomData()->Text(), "a=1\r\n");
  EXPECT_EQ(v18.Schemes()->Count() + v15.Schemes()->Count(), 0);
  EXPECT_EQ(v18.MainRules()->KeyLists(0)->Style + "/" + v15.MainRules()->KeyLists(0)->Style, "Kw/");
  // A scheme active before an older file is loaded names nothing afterwards.
  LoadText(Auto(), &now, Fixture(L"MINI15"));
  EXPECT_EQ(now.ActiveScheme, nullptr);
  // The highlighter's own save is always the newest format.
  TStringStream s;
  v15.SaveToStream(&s);
  EXPECT_EQ(s.DataString().compare(0, 5, "<?xml"), 0);
}

// ---- text forms ----

TEST(SchemeTextForms, StylesStartLinesAndPartsOfTerms) {
  EXPECT_EQ(FontStyleToStr(StrToFontStyle("SB")), "BS");
  EXPECT_EQ(FontStyleToStr(StrToFontStyle("bius")), "");
  EXPECT_EQ(StartLineToStr(StrToStartLine("First")), "True");
  EXPECT_EQ(StrToStartLine("NonSpace"), StartLine::FirstNonBlank);
  EXPECT_EQ(StrToStartLine("nonspace"), StartLine::Anywhere);
  // Part of term: the text, both sides read from it, and the text they write back.
  const std::tuple<const char*, StartType, BreakType, const char*> cases[] = {
      {"True", StartType::Any, BreakType::Any, ""},
      {"", StartType::Any, BreakType::Any, ""},
      {"Left", StartType::Any, BreakType::Term, "Left"},
      {"Right", StartType::Term, BreakType::Any, "Right"},
      {"False", StartType::Term, BreakType::Term, "False"},
      {"Both", StartType::Unspecified, BreakType::Unspecified, "Both"}};
  for (const auto& [text, start, brk, back] : cases) {
    EXPECT_TRUE(StrToStartType(text) == start && StrToBreakType(text) == brk) << text;
    EXPECT_EQ(PartOfTermToStr(start, brk), back) << text;
  }
  TTxtXmlSchemes schemes;
  EXPECT_NE(schemes.FindScheme("Default"), nullptr);
  EXPECT_EQ(schemes.FindScheme("default"), nullptr);
}

TEST(SchemeTextForms, Colours) {
  EXPECT_EQ(ReadColorText("$0000FF00", clNone), clLime);
  EXPECT_EQ(ReadColorText("cllime", clNone), clLime);
  EXPECT_THROW(ReadColorText("green-ish", clNone), EConvertError);
  EXPECT_EQ(ColorToString(clLime), "clLime");
}

// ---- format 2.0 ----

TEST(Scheme20, AbsentElementsAndAttributesReadAsTheirDefaults) {
  TTxtXmlHighlighter h(nullptr);
  LoadText(Auto(), &h,
           Scheme20("<SubRules><Range><MultiTokens><Tokens Open='(' Close=')'/></MultiTokens></Range>"
                    "<KeyList Words='a'/><KeyList Enabled='0' Words='b'/></SubRules>"));
  EXPECT_TRUE(h.MainRules()->KeyLists(0)->Enabled);
  EXPECT_FALSE(h.MainRules()->KeyLists(1)->Enabled);
  EXPECT_EQ(h.ActiveScheme, nullptr);
  // No Delimiters element: only the line's own separators end a word.
  EXPECT_EQ(Texts(Scan(h, "( x,y z )")), "(| |x,y| |z| |)");
  EXPECT_EQ(h.MainRules()->Ranges(0)->OpenTokens.BreakType, BreakType::Any);
}

TEST(Scheme20, OnlyElementChildrenCount) {
  TTxtXmlHighlighter h(nullptr);
  LoadText(Auto(), &h,
           "<TxtXmlHighlighter><SyntaxColoring><Schemes><!-- c --><Scheme Name='S'><Styles><!-- c -->"
           "<Style Name='A'/></Styles></Scheme></Schemes><MainRules><SubRules><Range><MultiTokens><!-- c -->"
           "<Tokens Open='[' Close=']'/></MultiTokens></Range></SubRules></MainRules></SyntaxColoring>"
           "<CustomData><!-- c --><Entry Name='k' Value='1'/><Entry Name='k' Value='2'/><Entry Name='plain'/>"
           "</CustomData></TxtXmlHighlighter>");
  ASSERT_EQ(h.Schemes()->Count(), 1);
  EXPECT_EQ(h.Schemes()->Schemes(0)->StyleCount(), 1);
  EXPECT_EQ(h.MainRules()->Ranges(0)->OpenTokens.SymbolCount(), 1);
  EXPECT_EQ(h.CustomData()->Text(), "k=1\r\nk=2\r\nplain\r\n");
  // Repeated names keep their own values when written back.
  const AnsiString text = SaveText(F20(), &h);
  EXPECT_NE(text.find("<Entry Name=\"k\" Value=\"2\"/>"), AnsiString::npos);
  EXPECT_NE(text.find("<Entry Name=\"plain\"/>"), AnsiString::npos);
}

TEST(Scheme20, BlankSetsAndMultiLineTextsSurviveASave) {
  TTxtXmlHighlighter h(nullptr);
  AddSet(h.MainRules(), " \t\r\n;", clRed);
  h.Info()->General.Sample = "one\r\ntwo\tthree";
  const AnsiString text = SaveText(F20(), &h);
  EXPECT_EQ(SplitLines(text)[4].find("<General"), 3u);
  EXPECT_NE(SplitLines(text)[4].find("one&#13;&#10;two\tthree"), AnsiString::npos);
  TTxtXmlHighlighter back(nullptr);
  LoadText(Auto(), &back, text);
  EXPECT_TRUE(back.MainRules()->Sets(0)->Symbols == StrToCharSet(" \t\r\n;"));
  EXPECT_EQ(back.Info()->General.Sample, "one\r\ntwo\tthree");
}

TEST(Scheme20, SingleRulesAreDocumentsOfTheirOwn) {
  TTxtRange r("<", ">");
  r.Name = "Tag";
  AddKeywords(&r, "a", clRed);
  TStringStream s;
  r.SaveToStream(&s);
  EXPECT_EQ(s.DataString().find("<Range Name=\"Tag\""), 47u);
  TTxtRange back;
  back.LoadFromStream(&s);
  EXPECT_EQ(back.Name + back.OpenTokens.GetSymbol(0) + IntToStr(back.KeyListCount()), "Tag<1");
}

TEST(Scheme20, ErrorsNameTheFormatClass) {
  TTxtXmlHighlighter h(nullptr);
  TComponent other(nullptr);
  TEditorProperties props;
  EXPECT_EQ(ErrorOf([&] { F20().ImportFromStream(&h, nullptr); }),
            "TTxtXmlFormatNativeXml20.ImportFromStream: AStream property can not be nil");
  EXPECT_EQ(ErrorOf([&] { Auto().ExportToStream(&h, nullptr); }),
            "TTxtXmlFormatNativeXmlAuto.ImportFromStream: AStream property can not be nil");
  EXPECT_EQ(ErrorOf([&] { Auto().ImportFromFile(&h, L"Z:\\no\\such.xml"); }),
            "TTxtXmlFormatNativeXmlAuto.ImportFromFile: File \"Z:\\no\\such.xml\" does not exists!");
  EXPECT_EQ(ErrorOf([&] { F18().ExportToFile(&h, L""); }),
            "TTxtXmlFormatNativeXml18.ExportToFile: AFileName property can not be empty");
  EXPECT_EQ(ErrorOf([&] { LoadText(F20(), &other, Scheme20("")); }),
            "TTxtXmlFormatNativeXml20.ImportFromStream: Cannot import into TComponent object");
  EXPECT_EQ(ErrorOf([&] { SaveText(F15(), &props); }),
            "TTxtXmlFormatNativeXml15.ExportToStream: Cannot export from TEditorProperties object");
  TTxtRange r;
  EXPECT_EQ(ErrorOf([&] { SaveText(Auto(), &r); }),
            "TTxtXmlFormatNativeXmlAuto.ExportFromStream: Cannot automatic export TTxtRange object");
}

TEST(Scheme20, AFailedImportLeavesTheHighlighterAsItWas) {
  TTxtXmlHighlighter h(nullptr);
  LoadText(Auto(), &h, Fixture(L"MINI20"));
  for (const AnsiString& bad :
       {Scheme20("<Attributes Foreground='not a colour'/>"),
        AnsiString("<TxtXmlHighlighter><Other/></TxtXmlHighlighter>"), AnsiString("<?xml version=\"1.0\"?>"),
        Scheme20("<SubRules><Range><MultiTokens><Tokens Open='('/></MultiTokens></Range></SubRules>").substr(0, 60)}) {
    EXPECT_THROW(LoadText(Auto(), &h, bad), Exception) << bad;
    EXPECT_EQ(h.Info()->General.Name, "Mini");
    EXPECT_EQ(ColorOf(Scan(h, "if"), "if"), clBlue);
  }
}

TEST(Scheme20, DeeplyNestedRangesAreRefused) {
  AnsiString body;
  for (int i = 0; i < 300; ++i) body += "<SubRules><Range>";
  for (int i = 0; i < 300; ++i) body += "</Range></SubRules>";
  TTxtXmlHighlighter h(nullptr);
  EXPECT_THROW(LoadText(Auto(), &h, Scheme20(body)), ETxtSchemeError);
}

TEST(Scheme20, ExportToAFileReplacesItOnlyWhenTheTextIsWhole) {
  const WideString name = L"scheme-export.xml";
  TTxtXmlHighlighter h(nullptr);
  FillMini(h);
  EXPECT_TRUE(Auto().ExportToFile(&h, name));
  EXPECT_EQ(h.FileName, name);
  TEditorProperties props;
  EXPECT_THROW(F20().ExportToFile(&props, name), ETxtSchemeError);
  TTxtXmlHighlighter back(nullptr);
  back.LoadFromFile(name);
  EXPECT_EQ(back.Info()->General.Name, "Mini");
  EXPECT_FALSE(FileExists(name + L".~new"));
  DeleteFileW(name.c_str());
}

// ---- detection ----

TEST(SchemeDetection, ByTheRootElementAfterWhatMayPrecedeIt) {
  const AnsiString v15 = "<XmlHighlighter><Info/></XmlHighlighter>";
  const AnsiString v18 = "<XmlHighlighter version=\"1.9\"><Info/></XmlHighlighter>";
  const AnsiString prefixes[] = {"", "\xEF\xBB\xBF", "<?xml version=\"1.0\"?>\r\n", "  \r\n\t", "<!-- old -->"};
  for (const AnsiString& prefix : prefixes) {
    EXPECT_EQ(&TTxtXmlFormatNativeXmlAuto::Detect(prefix + v15), &F15()) << prefix;
    EXPECT_EQ(&TTxtXmlFormatNativeXmlAuto::Detect(prefix + v18), &F18()) << prefix;
    EXPECT_EQ(&TTxtXmlFormatNativeXmlAuto::Detect(prefix + Scheme20("")), &F20()) << prefix;
  }
  EXPECT_EQ(&TTxtXmlFormatNativeXmlAuto::Detect("<XmlHighl"), &F20());
  EXPECT_EQ(&TTxtXmlFormatNativeXmlAuto::Detect("<XmlHighlighter version=\"2.0\">"), &F20());
  for (const AnsiString& prefix : prefixes) {
    TTxtXmlHighlighter h(nullptr);
    LoadText(Auto(), &h, prefix + Fixture(L"MINI15"));
    EXPECT_EQ(h.FormatVersion + h.Info()->General.Name, "1.5Mini") << prefix;
  }
}

TEST(SchemeDetection, AStreamIsDetectedAndReadFromItsStart) {
  TStringStream s(Fixture(L"MINI18"));
  s.Seek(40, soBeginning);
  TTxtXmlHighlighter h(nullptr);
  h.LoadFromStream(&s);
  EXPECT_EQ(h.FormatVersion + h.Info()->General.Name, "1.8Mini");
}

// ---- format 1.8 ----

TEST(Scheme18, PackedAttributes) {
  // The packed text and what it reads as: "fg,bg;pf:pb.style" with the flags as 0 or 1.
  const std::pair<const char*, const char*> cases[] = {{"255,16777215;True:false.BI", "255,16777215;1:0.BI"},
                                                       {"", "0,16777215;0:0."},
                                                       {"-16777208,-16777211;False:True.", "-16777208,-16777211;0:1."},
                                                       {"TRUE:FALSE", "0,16777215;1:0."},  // no "." no letters
                                                       {".,;:", "0,16777215;0:0."},
                                                       {"5;x", "0,5;0:0."},
                                                       {"1,2", "1,16777215;0:0."}};
  for (const auto& [text, expected] : cases) {
    TTxtAttributes a;
    a.SetStyle({fsUnderline});
    TTxtXmlFormatNativeXml18::UnpackAttributes(text, &a);
    EXPECT_EQ(IntToStr(static_cast<int>(a.Foreground())) + "," + IntToStr(static_cast<int>(a.Background())) + ";" +
                  IntToStr(a.ParentForeground) + ":" + IntToStr(a.ParentBackground) + "." + FontStyleToStr(a.Style()),
              expected)
        << text;
  }
}

TEST(Scheme18, RulesAndTheirDefaults) {
  TTxtXmlHighlighter h(nullptr);
  LoadText(Auto(), &h,
           "<?xml version=\"1.0\"?>" +
               Scheme18("<Range Delimiters=' &#9;,'><Range Name='none'/><Range Name='open'><Rule OpenSymbol='{' "
                        "OpenSymbolPartOfTerm='Left' CloseSymbolPartOfTerm='odd'/></Range></Range>"));
  TTxtRange* none = h.MainRules()->Ranges(0);
  TTxtRange* open = h.MainRules()->Ranges(1);
  EXPECT_EQ(none->OpenTokens.SymbolCount() + none->CloseTokens.SymbolCount(), 2);
  EXPECT_EQ(none->OpenTokens.GetSymbol(0) + open->CloseTokens.GetSymbol(0), "");
  EXPECT_EQ(open->OpenTokens.StartType, StartType::Any);
  EXPECT_EQ(open->OpenTokens.BreakType, BreakType::Term);
  EXPECT_EQ(open->CloseTokens.StartType, StartType::Unspecified);
  EXPECT_EQ(open->Attributes->Background(), TColor(0xFFFFFF));
  const AnsiString text = SaveText(Auto(), &h);
  EXPECT_NE(text.find("<Range Name=\"\" Attributes=\"0,16777215;False:False.\" Style=\"\" Delimiters=\",\">"),
            AnsiString::npos);
}

// The older formats read a range over what it held: a range read again must not hold its
// sub-rules twice.
TEST(SchemeFormats, ARangeReadAgainHoldsItsRulesOnce) {
  const std::tuple<TTxtXmlFormat*, AnsiString> cases[] = {
      {&F18(),
       "<Range Name='r'><Rule OpenSymbol='('/><Keywords><word value='a'/></Keywords><Set Symbols='1'/>"
       "<Range Name='in'/></Range>"},
      {&F15(),
       "<Range Name='r'><Attri/><OpenSymbol>(</OpenSymbol><KW><Attri/><W>a</W></KW><Set><Attri/><S>1</S>"
       "</Set><Range Name='in'><Attri/></Range></Range>"}};
  for (const auto& [format, text] : cases) {
    TTxtRange r;
    LoadText(*format, &r, text);
    LoadText(*format, &r, text);
    EXPECT_EQ(IntToStr(r.RangeCount()) + IntToStr(r.KeyListCount()) + IntToStr(r.SetCount()) +
                  IntToStr(r.OpenTokens.SymbolCount()) + IntToStr(r.KeyLists(0)->Words.Count()),
              "11111")
        << text;
  }
}

// The older formats read line by line: a lone CR or LF written raw would come back as CR LF.
TEST(SchemeFormats, LoneLineBreaksInValuesComeBackFromTheOlderFormats) {
  for (TTxtXmlFormat* format : std::initializer_list<TTxtXmlFormat*>{&F18(), &F15(), &F20()}) {
    TTxtXmlHighlighter h(nullptr);
    h.Info()->General.Name = "a\nb";
    h.Info()->Author.Remark = "r\rs";
    AddRange(h.MainRules(), "(", ")", clRed)->Name = "x\ny\r";
    AddSet(h.MainRules(), "\n;", clRed);
    TTxtXmlHighlighter back(nullptr);
    LoadText(Auto(), &back, SaveText(*format, &h));
    EXPECT_EQ(back.Info()->General.Name, "a\nb") << back.FormatVersion;
    EXPECT_EQ(back.Info()->Author.Remark, "r\rs") << back.FormatVersion;
    ASSERT_EQ(back.MainRules()->RangeCount(), 1) << back.FormatVersion;
    EXPECT_EQ(back.MainRules()->Ranges(0)->Name, "x\ny\r") << back.FormatVersion;
    EXPECT_TRUE(back.MainRules()->Sets(0)->Symbols == StrToCharSet("\n;")) << back.FormatVersion;
  }
}

TEST(Scheme18, WhatTheFormatCannotHold) {
  TTxtXmlHighlighter h(nullptr);
  AddRange(h.MainRules(), "(", ")", clRed)->AddCoupleTags("[", "]");
  AddRange(h.MainRules(), "", "x", clRed);
  AddSet(h.MainRules(), "ab", clRed, 3);
  const AnsiString text = SaveText(F18(), &h);
  EXPECT_EQ(text.find("OpenSymbol=\"[\""), AnsiString::npos);
  EXPECT_NE(text.find("<Rule CloseSymbol=\"x\"/>"), AnsiString::npos);
  TTxtXmlHighlighter back(nullptr);
  LoadText(Auto(), &back, text);
  EXPECT_EQ(back.MainRules()->Ranges(0)->OpenTokens.SymbolCount() + back.MainRules()->Sets(0)->Quantity, 1);
  // Blanks of a set are kept, as references.
  back.MainRules()->Sets(0)->Symbols = StrToCharSet(" \t");
  LoadText(Auto(), &h, SaveText(F18(), &back));
  EXPECT_TRUE(h.MainRules()->Sets(0)->Symbols == StrToCharSet(" \t"));
  EXPECT_EQ(back.FormatVersion, "1.8");
}

TEST(Scheme18, HistoryAndSampleLines) {
  TTxtXmlHighlighter h(nullptr);
  h.Info()->General.Sample = "x \"y\"";
  const AnsiString text = SaveText(F18(), &h);
  EXPECT_NE(text.find("<History>\r\n</History>"), AnsiString::npos);
  // With lines, the element holds them alone.
  EXPECT_NE(text.find("<Sample>\r\n\t\t\t<S>x &quot;y&quot;</S>\r\n\t\t</Sample>"), AnsiString::npos);
  TTxtXmlHighlighter back(nullptr);
  LoadText(Auto(), &back, text);
  EXPECT_EQ(back.Info()->General.History, "");
  EXPECT_EQ(back.Info()->General.Sample, "x \"y\"\r\n");
}

TEST(Scheme18, HeaderNumbersAreRequiredIntegers) {
  // The Version element's attributes: what the numbers read as, or the conversion error.
  const std::pair<const char*, std::string> cases[] = {
      {"Version='7' Revision='-2'", "7 -2"},
      {"Version=' 7' Revision='+3'", "7 3"},
      {"Version='$1F' Revision='0x10'", "31 16"},
      {"Version='x1f' Revision='0X0'", "31 0"},
      {"Revision='0'", "error"},
      {"Version='' Revision='0'", "error"},
      {"Version='1' Revision='x'", "error"},
      {"Version='7 ' Revision='0'", "error"},
      {"Version='1.5' Revision='0'", "error"},
  };
  for (const auto& [attributes, expected] : cases) {
    TTxtXmlHighlighter h(nullptr);
    std::string got;
    try {
      LoadText(Auto(), &h,
               AnsiString("<XmlHighlighter version=\"1.8.3\"><Info><Version ") + attributes +
                   "/></Info><Range><Keywords Attributes='255,0;False:False.'><word value='kw'/></Keywords></Range>"
                   "</XmlHighlighter>");
      got = IntToStr(h.Info()->General.Version) + " " + IntToStr(h.Info()->General.Revision);
      EXPECT_EQ(h.MainRules()->KeyListCount(), 1) << attributes;
    } catch (const EConvertError&) {
      got = "error";
      EXPECT_EQ(h.MainRules()->KeyListCount(), 0) << attributes;
    }
    EXPECT_EQ(got, expected) << attributes;
  }
}

// ---- format 1.5 ----

TEST(Scheme15, QuotesAndEmptyElements) {
  TTxtXmlHighlighter h(nullptr);
  AddKeywords(h.MainRules(), "", clRed)->Words.SetText("a\"b\r\n\r\n \r\n");
  const AnsiString text = SaveText(F15(), &h);
  EXPECT_EQ(text.find("/>"), AnsiString::npos);
  EXPECT_NE(text.find("<W>a&qt;b</W>"), AnsiString::npos);
  EXPECT_NE(text.find("<W></W>"), AnsiString::npos);
  EXPECT_NE(text.find("<OpenSymbol></OpenSymbol>"), AnsiString::npos);
  TTxtXmlHighlighter back(nullptr);
  LoadText(Auto(), &back, text);
  EXPECT_EQ(back.MainRules()->KeyLists(0)->Words.Text(), "a\"b\r\n\r\n \r\n");
  // The quote reference in capitals reads as a quote too.
  LoadText(Auto(), &back, Scheme15("<Range><KW><Attri/><W>x&QT;</W></KW></Range>"));
  EXPECT_EQ(back.MainRules()->KeyLists(0)->Words.Strings(0), "x\"");
}

TEST(Scheme15, ARangeWithoutSymbolsAndTheDefBlock) {
  TTxtXmlHighlighter h(nullptr);
  h.MainRules()->OpenTokens.Clear();
  h.MainRules()->CloseTokens.Clear();
  const AnsiString text = SaveText(F15(), &h);
  EXPECT_NE(text.find("<OpenSymbol> </OpenSymbol>"), AnsiString::npos);
  TTxtXmlHighlighter back(nullptr);
  LoadText(Auto(), &back, text);
  EXPECT_EQ(back.MainRules()->OpenTokens.GetSymbol(0), "");
  LoadText(Auto(), &back,
           Scheme15("<Range><Def><Fore>255</Fore><Back>clWindow</Back><Style>B</Style>"
                    "<ParentForeground>True</ParentForeground></Def></Range>"));
  const TTxtAttributes& a = *back.MainRules()->Attributes;
  EXPECT_TRUE(a.Foreground() == TColor(255) && a.Background() == clWindow && a.ParentForeground);
}

TEST(Scheme15, SchemeIndexAndHeaderNumbersMustBeIntegers) {
  // The scheme index, the version and the revision texts: "ok" or the conversion error.
  const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
      {"0", "1", "0", "ok"},    {"", "1", "0", "ok"},     {"3", "1", "0", "ok"},
      {"x", "1", "0", "error"}, {"0", "x", "0", "error"}, {"0", "1", "", "error"},
      {"0", "", "0", "error"},  {"0", "$A", "2", "ok"},   {"1.0", "1", "0", "error"},
  };
  for (const auto& [index, version, revision, expected] : cases) {
    TTxtXmlHighlighter h(nullptr);
    const AnsiString text = AnsiString("<XmlHighlighter><Info><Version><Version>") + version + "</Version><Revision>" +
                            revision + "</Revision></Version></Info><SchemeIndex>" + index +
                            "</SchemeIndex><Schemes><S>Default</S></Schemes><Range><KW Name='k'><Attri/><W>w</W></KW>"
                            "</Range></XmlHighlighter>";
    std::string got = "ok";
    try {
      LoadText(Auto(), &h, text);
    } catch (const EConvertError&) {
      got = "error";
    }
    EXPECT_EQ(got, expected) << index << "/" << version << "/" << revision;
    EXPECT_EQ(h.Schemes()->Count(), got == "ok" ? 0 : 1) << index;
    EXPECT_EQ(h.MainRules()->KeyListCount(), got == "ok" ? 1 : 0) << index;
  }
}

TEST(Scheme15, ListsAndSetsNeedTheirAttributesBlock) {
  const char kIndexError[] = "Ошибка получения элемента списка: индекс выходит за пределы";
  // The rule inside the main range, and the foreground its list or set reads, or the error.
  const std::pair<const char*, std::string> cases[] = {
      {"<KW Name='k'/>", kIndexError},
      {"<Set Name='s'></Set>", kIndexError},
      {"<KW Name='k'><Attri><Fore>255</Fore></Attri></KW>", "255"},
      {"<Set Name='s'><Attri><Fore>255</Fore></Attri><S>0</S></Set>", "255"},
      // A comment is a child node: no attributes block, and no error either.
      {"<KW Name='k'><!-- none --></KW>", IntToStr(static_cast<int>(clWindowText))},
  };
  for (const auto& [rule, expected] : cases) {
    TTxtXmlHighlighter h(nullptr);
    // The range's own attributes block first: a range reads its first child as one.
    std::string got =
        ErrorOf([&] { LoadText(Auto(), &h, Scheme15(AnsiString("<Range><Attri/>") + rule + "</Range>")); });
    if (got == "(nothing raised)") {
      TTxtRule* r = h.MainRules()->KeyListCount() ? static_cast<TTxtRule*>(h.MainRules()->KeyLists(0))
                                                  : static_cast<TTxtRule*>(h.MainRules()->Sets(0));
      got = IntToStr(static_cast<int>(r->Attributes->Foreground()));
    }
    EXPECT_EQ(got, expected) << rule;
  }
  TTxtXmlHighlighter h(nullptr);
  EXPECT_THROW(LoadText(Auto(), &h, Scheme15("<Range><Attri><Fore>bright</Fore></Attri></Range>")), EConvertError);
}

// ---- what the older formats wrote wrongly ----

TEST(SchemeFormats, EveryPartOfTermPairColoursTheSameAfterASave) {
  // Pairs without a text form of their own were written as none and read back as Any/Any.
  const StartType starts[] = {StartType::Unspecified, StartType::Any, StartType::Term};
  const BreakType breaks[] = {BreakType::Unspecified, BreakType::Any, BreakType::Term};
  const std::vector<AnsiString> lines = SymbolLines(45);
  for (TTxtXmlFormat* format : {static_cast<TTxtXmlFormat*>(&F20()), static_cast<TTxtXmlFormat*>(&F18()),
                                static_cast<TTxtXmlFormat*>(&F15())}) {
    for (StartType start : starts)
      for (BreakType brk : breaks)
        for (bool close : {false, true}) {
          TTxtXmlHighlighter h(nullptr);
          h.MainRules()->Attributes->SetForeground(clBlack);
          // One symbol pair ending in a letter and one ending in a delimiter.
          for (TTxtRange* r :
               {AddRange(h.MainRules(), "ab", "cd", clRed), AddRange(h.MainRules(), "(*", "*)", clBlue)}) {
            TTxtMultiToken& token = close ? r->CloseTokens : r->OpenTokens;
            token.StartType = start;
            token.BreakType = brk;
          }
          AddKeywords(h.MainRules(), "x", clGreen);
          TTxtXmlHighlighter back(nullptr);
          LoadText(Auto(), &back, SaveText(*format, &h));
          EXPECT_EQ(FirstDifference(h, back, lines), "")
              << format->ClassName() << " start " << static_cast<int>(start) << " break " << static_cast<int>(brk)
              << (close ? " close" : " open");
        }
  }
}

TEST(SchemeFormats, TextsOfControlBytesSurviveTheOlderFormats) {
  // Values made only of bytes that the parser takes for layout were written raw and lost.
  for (TTxtXmlFormat* format : {static_cast<TTxtXmlFormat*>(&F18()), static_cast<TTxtXmlFormat*>(&F15())}) {
    SCOPED_TRACE(format->ClassName());
    TTxtXmlHighlighter h(nullptr);
    h.Info()->General.Name = "\x02\x03";
    h.Info()->General.Sample = "\x06";
    h.Info()->General.History = "\x1F \x01\r\n\x05";
    h.Info()->Author.Remark = " \x1F";
    AddKeywords(h.MainRules(), "", clRed)->Words.Add("\x01 ");
    AddSet(h.MainRules(), "\x01", clRed);
    h.MainRules()->Delimiters = StrToCharSet("\x11");
    AddRange(h.MainRules(), "\x0B", "\x0C", clRed);
    const AnsiString text = SaveText(*format, &h);
    TTxtXmlHighlighter back(nullptr);
    LoadText(Auto(), &back, text);
    EXPECT_EQ(back.Info()->General.Name, "\x02\x03");
    EXPECT_EQ(back.Info()->General.Sample, "\x06\r\n");
    EXPECT_EQ(back.Info()->General.History, "\x1F \x01\r\n\x05\r\n");
    EXPECT_EQ(back.Info()->Author.Remark, " \x1F");
    ASSERT_EQ(back.MainRules()->KeyLists(0)->Words.Count(), 1);
    EXPECT_EQ(back.MainRules()->KeyLists(0)->Words.Strings(0), "\x01 ");
    EXPECT_TRUE(back.MainRules()->Sets(0)->Symbols == StrToCharSet("\x01"));
    EXPECT_TRUE(back.MainRules()->Delimiters == StrToCharSet("\x11"));
    EXPECT_EQ(back.MainRules()->Ranges(0)->OpenTokens.GetSymbol(0), "\x0B");
    EXPECT_EQ(back.MainRules()->Ranges(0)->CloseTokens.GetSymbol(0), "\x0C");
    EXPECT_EQ(SaveText(*format, &back), text);
  }
}

TEST(Scheme15, LoneLineBreaksInValuesStayAsTheyWere) {
  // The line passes of the format turned a lone CR or LF inside a value into CR LF.
  TTxtXmlHighlighter h(nullptr);
  AddRange(h.MainRules(), "a\rb", "x\n", clRed);
  AddSet(h.MainRules(), "\n;", clRed);
  AddSet(h.MainRules(), "\r", clRed);
  AddSet(h.MainRules(), "\r\n", clRed);
  h.Info()->General.Name = "x\ry";
  h.Info()->Author.Remark = "l1\nl2\r\nl3\r";
  const AnsiString text = SaveText(F15(), &h);
  TTxtXmlHighlighter back(nullptr);
  LoadText(Auto(), &back, text);
  EXPECT_EQ(back.MainRules()->Ranges(0)->OpenTokens.GetSymbol(0), "a\rb");
  EXPECT_EQ(back.MainRules()->Ranges(0)->CloseTokens.GetSymbol(0), "x\n");
  EXPECT_TRUE(back.MainRules()->Sets(0)->Symbols == StrToCharSet("\n;"));
  EXPECT_TRUE(back.MainRules()->Sets(1)->Symbols == StrToCharSet("\r"));
  EXPECT_TRUE(back.MainRules()->Sets(2)->Symbols == StrToCharSet("\r\n"));
  EXPECT_EQ(back.Info()->General.Name, "x\ry");
  EXPECT_EQ(back.Info()->Author.Remark, "l1\nl2\r\nl3\r");
  EXPECT_EQ(SaveText(F15(), &back), text);
  // Stored with LF line ends instead of CR LF, the file still reads the same values.
  AnsiString unix;
  for (char c : text)
    if (c != '\r') unix += c;
  LoadText(Auto(), &back, unix);
  EXPECT_EQ(back.MainRules()->Ranges(0)->OpenTokens.GetSymbol(0), "a\rb");
  EXPECT_EQ(back.Info()->Author.Remark, "l1\nl2\r\nl3\r");
}

// ---- the scheme inside form files ----

TEST(SchemeFormFiles, TheSyntaxPropertyCarriesTheWholeScheme) {
  RegisterTxtXmlHighlighterClasses();
  TComponent root(nullptr);
  root.SetName("Root");
  auto* h = new TTxtXmlHighlighter(&root);
  h->SetName("Colours");
  // Keyword lists alone are a scheme too.
  AddKeywords(h->MainRules(), "kw", clRed);
  const std::string form = WriteComponentToText(&root);
  EXPECT_NE(form.find("Syntax"), std::string::npos);
  TComponent copy(nullptr);
  ReadComponentFromText(form, &copy);
  auto* back = dynamic_cast<TTxtXmlHighlighter*>(copy.FindComponent("Colours"));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(ColorOf(Scan(*back, "kw"), "kw"), clRed);
  // An empty highlighter stores nothing.
  h->MainRules()->Clear();
  EXPECT_EQ(WriteComponentToText(&root).find("Syntax"), std::string::npos);
}
