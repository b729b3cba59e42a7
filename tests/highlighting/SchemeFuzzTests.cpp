// Seeded fuzzing of the scheme readers: mutated files of each format end in a highlighter that
// scans text with tokens covering each line, or in a clear error that leaves the highlighter as
// it was; never a crash or a hang.
#include <gtest/gtest.h>

#include <random>

#include "framework/Conversions.h"
#include "framework/StrRoutines.h"
#include "highlighting/TxtXmlBundledSchemes.h"
#include "highlighting/TxtXmlFormat15.h"
#include "highlighting/TxtXmlFormat18.h"
#include "tests/highlighting/HighlightTestSupport.h"

namespace {

// One to four edits: a byte replaced by any byte or by one of XML's own, a span deleted or
// copied elsewhere, the text cut short, or a special byte inserted.
AnsiString Mutate(AnsiString Text, std::mt19937& Rng) {
  static const char kSpecial[] = "<>\"&/;=#!?[]\0\r\n\t \xFF";
  auto pick = [&](size_t n) { return n ? std::uniform_int_distribution<size_t>(0, n - 1)(Rng) : 0; };
  for (int e = 1 + static_cast<int>(pick(4)); e > 0 && !Text.empty(); --e) {
    const size_t at = pick(Text.size()), len = 1 + pick(std::min<size_t>(Text.size() - at, 40));
    const char special = kSpecial[pick(sizeof kSpecial - 1)];
    switch (pick(6)) {
      case 0: Text[at] = static_cast<char>(pick(256)); break;
      case 1: Text[at] = special; break;
      case 2: Text.erase(at, len); break;
      case 3: Text.insert(at, Text.substr(pick(Text.size()), len)); break;
      case 4: Text.resize(at); break;
      default: Text.insert(at, 1, special);
    }
  }
  return Text;
}

void FuzzFormat(const AnsiString& Seed, unsigned SeedValue, int Rounds) {
  std::mt19937 rng(SeedValue);
  TTxtXmlHighlighter h(nullptr);
  LoadText(TTxtXmlFormatNativeXmlAuto::Instance(), &h, Seed);
  const std::vector<AnsiString> lines = {"int main() { /* x */ return \"s\\\"\" + 'c'; } // end", "",
                                         "<a b=\"c\">&amp;<!-- d --></a>", "[k]\r=v ; c", AnsiString("#\0x", 3)};
  int loaded = 0;
  for (int round = 0; round < Rounds; ++round) {
    const AnsiString before = h.Info()->General.Name;
    const int rulesBefore = h.MainRules()->RangeCount();
    try {
      LoadText(TTxtXmlFormatNativeXmlAuto::Instance(), &h, Mutate(Seed, rng));
      ++loaded;
    } catch (const Exception&) {
      ASSERT_EQ(h.Info()->General.Name, before) << "round " << round;
      ASSERT_EQ(h.MainRules()->RangeCount(), rulesBefore) << "round " << round;
    }
    void* state = nullptr;
    for (const AnsiString& line : lines) {
      // The tokens cover the line: joined without separators they give it back.
      AnsiString joined;
      for (const TTok& t : Scan(h, line, state)) joined += t.Text;
      ASSERT_EQ(joined, line) << "round " << round;
    }
  }
  // The mutations are mild enough that many files still load.
  EXPECT_GT(loaded, Rounds / 25);
}

// ---- generated schemes ----

enum class TVersion { V20, V18, V15 };

TTxtXmlFormat& FormatOf(TVersion V) {
  if (V == TVersion::V18) return TTxtXmlFormatNativeXml18::Instance();
  if (V == TVersion::V15) return TTxtXmlFormatNativeXml15::Instance();
  return TTxtXmlFormatNativeXml20::Instance();
}

struct TGen {
  explicit TGen(unsigned Seed) : rng(Seed) {}
  size_t Pick(size_t N) { return N ? std::uniform_int_distribution<size_t>(0, N - 1)(rng) : 0; }
  bool Coin() { return Pick(2) == 0; }

  // Bytes 1-32 above all (lone CR and LF among them), XML's own bytes, letters and high bytes.
  AnsiString Text(size_t MaxLength, bool LineBreaks = true) {
    static const char kOwn[] = "<>&\"'=/;?!-[]";
    AnsiString s;
    for (size_t n = Pick(MaxLength + 1); n > 0; --n) {
      char c;
      switch (Pick(4)) {
        case 0: c = static_cast<char>(1 + Pick(32)); break;
        case 1: c = kOwn[Pick(sizeof kOwn - 1)]; break;
        case 2: c = static_cast<char>('a' + Pick(26)); break;
        default: c = static_cast<char>(1 + Pick(255));
      }
      if (!LineBreaks && (c == '\r' || c == '\n')) c = '\x01';
      s += c;
    }
    return s;
  }
  TTxtCharSet Set() { return StrToCharSet(Text(12)); }
  TColor Color() {
    static const TColor kColors[] = {clRed, clNone, clWindow, clHighlightText, TColor(0x123456), TColor(0)};
    return kColors[Pick(std::size(kColors))];
  }
  void Attributes(TTxtAttributes* A) {
    A->SetForeground(Color());
    A->SetBackground(Color());
    A->ParentForeground = Coin();
    A->ParentBackground = Coin();
    A->SetStyle(StrToFontStyle(AnsiString("BIUS").substr(Pick(4), Pick(4))));
  }
  void Token(TTxtMultiToken& T) {
    T.FinishOnEol = Coin();
    T.StartLine = static_cast<StartLine>(Pick(3));
    T.StartType = static_cast<StartType>(Pick(3));
    T.BreakType = static_cast<BreakType>(Pick(3));
  }
  void Rule(TTxtRule* R) {
    R->Name = Text(8);
    R->Style = Text(4);
    R->Enabled = Pick(5) != 0;
    Attributes(R->Attributes.get());
  }
  void Range(TTxtRange* R, int Depth) {
    Rule(R);
    R->OpenTokens.Clear();
    R->CloseTokens.Clear();
    for (size_t n = 1 + Pick(3); n > 0; --n) R->AddCoupleTags(Text(4), Text(4));
    Token(R->OpenTokens);
    Token(R->CloseTokens);
    R->Delimiters = Set();
    R->SetCaseSensitive(Coin());
    R->SetCloseOnTerm(Coin());
    R->SetCloseOnEol(Coin());
    R->SetAllowPredClose(Coin());
    for (size_t n = Pick(3); n > 0; --n) {
      auto* k = new TTxtKeyList();
      R->AddKeyList(k);
      Rule(k);
      // The words are lines of one text: they hold no line break, and the last is not empty.
      for (size_t w = Pick(4); w > 0; --w) k->Words.Add(Text(6, false));
      if (k->Words.Count() && k->Words.Strings(k->Words.Count() - 1).empty()) k->Words.Add("w");
    }
    for (size_t n = Pick(3); n > 0; --n) {
      auto* t = new TTxtSet(Set());
      R->AddSet(t);
      Rule(t);
      t->Quantity = static_cast<int>(Pick(3));
    }
    if (Depth < 3)
      for (size_t n = Pick(3); n > 0; --n) {
        auto* sub = new TTxtRange();
        R->AddRange(sub);
        Range(sub, Depth + 1);
      }
  }
  void Highlighter(TTxtXmlHighlighter& H) {
    TTxtInfo& info = *H.Info();
    info.General = {Text(10), Text(10), static_cast<int>(Pick(1000)) - 5, static_cast<int>(Pick(9)),
                    Text(30), Text(30)};
    info.Author = {Text(10), Text(10), Text(10), Text(10), Text(10), Text(10)};
    H.ActivateScheme(nullptr);
    H.Schemes()->Clear();
    for (size_t n = Pick(3); n > 0; --n) {
      TTxtScheme* scheme = H.Schemes()->AddScheme(Text(6));
      scheme->EditorProperties.ActiveLineColor = Color();
      for (size_t k = Pick(3); k > 0; --k) Attributes(scheme->AddStyle(Text(5), Color(), Color(), {}));
    }
    H.EditorProperties()->SelectedBackground = Color();
    Range(H.MainRules(), 0);
    H.CustomData()->Clear();
    for (size_t n = Pick(4); n > 0; --n) {
      AnsiString name = Text(6, false);
      std::replace(name.begin(), name.end(), '=', '-');
      H.CustomData()->Add(name + "=" + Text(6, false));
    }
  }
  std::mt19937 rng;
};

AnsiString Shown(const AnsiString& Text) { return testing::PrintToString(std::string(Text)); }

// Lines of a 1.x Sample or History: each line as read back, followed by CR LF.
AnsiString AsLines(const AnsiString& Text) {
  AnsiString out;
  for (const AnsiString& line : SplitLines(Text)) out += line + "\r\n";
  return out;
}

AnsiString ColorsOf(const TTxtAttributes& A) {
  return IntToStr(static_cast<int>(A.Foreground())) + "," + IntToStr(static_cast<int>(A.Background())) + ";" +
         IntToStr(A.ParentForeground) + IntToStr(A.ParentBackground) + FontStyleToStr(A.Style());
}

// What the version keeps of a rule tree, one line per item; the parts of term are compared by
// the colours they give instead.
void DescribeRange(const TTxtRange& R, TVersion V, AnsiString& Out) {
  const bool v15 = V == TVersion::V15, v20 = V == TVersion::V20;
  auto rule = [&](const TTxtRule& r, const char* kind) {
    Out += AnsiString(kind) + " " + Shown(r.Name) + " style " + (v15 ? AnsiString() : Shown(r.Style)) + " enabled " +
           IntToStr(v15 || r.Enabled) + " colours " + ColorsOf(*r.Attributes) + "\n";
  };
  rule(R, "range");
  const int pairs = v20 ? R.OpenTokens.SymbolCount() : std::min(R.OpenTokens.SymbolCount(), 1);
  if (R.IsRoot() && v20) {
    // Format 2.0 stores no symbols or flags for the main rules.
    Out += "delimiters " + Shown(CharSetToStr(R.Delimiters, false)) + " case " + IntToStr(R.CaseSensitive()) + "\n";
  } else {
    for (int i = 0; i < pairs; ++i)
      Out += "pair " + Shown(R.OpenTokens.GetSymbol(i)) + " " + Shown(R.CloseTokens.GetSymbol(i)) + "\n";
    for (const TTxtMultiToken* t : {&R.OpenTokens, &R.CloseTokens})
      Out += "token " + IntToStr(t->FinishOnEol) + IntToStr(static_cast<int>(t->StartLine)) + "\n";
    Out += "delimiters " + Shown(CharSetToStr(R.Delimiters, false)) + " flags " + IntToStr(R.CaseSensitive()) +
           IntToStr(R.CloseOnTerm()) + IntToStr(R.CloseOnEol()) + IntToStr(R.AllowPredClose()) + "\n";
  }
  for (int i = 0; i < R.KeyListCount(); ++i) {
    rule(*R.KeyLists(i), "keywords");
    for (const AnsiString& w : SplitLines(JoinLines(R.KeyLists(i)->Words))) Out += "word " + Shown(w) + "\n";
  }
  for (int i = 0; i < R.SetCount(); ++i) {
    rule(*R.Sets(i), "set");
    Out += "symbols " + Shown(CharSetToStr(R.Sets(i)->Symbols, true)) + " quantity " +
           IntToStr(v20 ? R.Sets(i)->Quantity : 0) + "\n";
  }
  for (int i = 0; i < R.RangeCount(); ++i) DescribeRange(*R.Ranges(i), V, Out);
}

AnsiString Describe(TTxtXmlHighlighter& H, TVersion V) {
  const TTxtInfo& info = *H.Info();
  const bool v20 = V == TVersion::V20;
  AnsiString out;
  for (const AnsiString* t : {&info.General.Name, &info.General.Extensions, &info.Author.Name, &info.Author.Mail,
                              &info.Author.Web, &info.Author.Copyright, &info.Author.Company, &info.Author.Remark})
    out += "info " + Shown(*t) + "\n";
  out += "numbers " + IntToStr(info.General.Version) + " " + IntToStr(info.General.Revision) + "\n";
  out += "sample " + Shown(v20 ? info.General.Sample : AsLines(info.General.Sample)) + "\n";
  out += "history " + Shown(v20 ? info.General.History : AsLines(info.General.History)) + "\n";
  if (v20) {
    for (int i = 0; i < H.Schemes()->Count(); ++i) {
      TTxtScheme* scheme = H.Schemes()->Schemes(i);
      out += "scheme " + Shown(scheme->Name) + " " +
             IntToStr(static_cast<int>(scheme->EditorProperties.ActiveLineColor)) + "\n";
      for (int k = 0; k < scheme->StyleCount(); ++k)
        out += "style " + Shown(scheme->Styles(k)->Name()) + " " + ColorsOf(*scheme->Styles(k)) + "\n";
    }
    out += "editor " + IntToStr(static_cast<int>(H.EditorProperties()->SelectedBackground)) + "\n";
    out += "custom " + Shown(H.CustomData()->Text()) + "\n";
  }
  DescribeRange(*H.MainRules(), V, out);
  return out;
}

// Lines of letters, digits, delimiters, blanks and bytes of the generated symbols.
std::vector<AnsiString> RandomLines(TGen& G) {
  std::vector<AnsiString> lines;
  for (int i = 0; i < 40; ++i) {
    AnsiString line = G.Text(30, false);
    line.erase(std::remove(line.begin(), line.end(), '\0'), line.end());
    lines.push_back(line);
  }
  return lines;
}

// Per line: the tokens and their colours, scanned one line after another.
std::vector<std::string> Colours(TTxtXmlHighlighter& H, const std::vector<AnsiString>& Lines) {
  std::vector<std::string> out;
  void* state = nullptr;
  for (const AnsiString& line : Lines) {
    std::string tokens;
    for (const TTok& t : Scan(H, line, state))
      tokens += Shown(t.Text) + "=" + IntToStr(t.Attr ? static_cast<int>(t.Attr->Foreground()) : -1) + " ";
    out.push_back(tokens);
  }
  return out;
}

// A token whose symbols end some in a delimiter and some not has no one form for a break left
// Unspecified after a start of Any: such a pair is given a break of its own instead.
void KeepOneFormPerToken(TTxtRange* R) {
  for (bool close : {false, true}) {
    TTxtMultiToken& t = close ? R->CloseTokens : R->OpenTokens;
    if (t.StartType != StartType::Any || t.BreakType != BreakType::Unspecified) continue;
    const TTxtRange& holder = close || !R->Parent ? *R : *R->Parent;
    int kinds = 0;
    for (int i = 0; i < t.SymbolCount(); ++i) {
      const AnsiString s = t.GetSymbol(i);
      const size_t last = s.find_last_not_of('\0');
      if (last == AnsiString::npos) continue;
      const auto c = static_cast<unsigned char>(s[last]);
      kinds |= holder.Delimiters.Contains(c) || AbsoluteDelimiters.Contains(c) ? 1 : 2;
    }
    if (kinds == 3) t.BreakType = BreakType::Any;
  }
  for (int i = 0; i < R->RangeCount(); ++i) KeepOneFormPerToken(R->Ranges(i));
}

// Leaves out what the version cannot hold by design: the older ones keep one symbol pair and
// no set quantity, 1.5 no rule that is disabled. The main rules keep their one empty pair and
// plain flags, which no version stores.
void FitToVersion(TTxtRange* R, TVersion V) {
  if (R->IsRoot()) {
    for (TTxtMultiToken* t : {&R->OpenTokens, &R->CloseTokens}) {
      t->Clear();
      t->FinishOnEol = false;
      t->StartLine = StartLine::Anywhere;
      t->StartType = StartType::Any;
      t->BreakType = BreakType::Any;
    }
    R->AddCoupleTags(AnsiString(), AnsiString());
    R->SetCloseOnTerm(false);
    R->SetCloseOnEol(false);
    R->SetAllowPredClose(false);
  } else if (V != TVersion::V20) {
    const AnsiString open = R->OpenTokens.GetSymbol(0), close = R->CloseTokens.GetSymbol(0);
    R->OpenTokens.Clear();
    R->CloseTokens.Clear();
    R->AddCoupleTags(open, close);
  }
  auto fit = [&](TTxtRule* r) {
    if (V == TVersion::V15) r->Enabled = true;
  };
  fit(R);
  for (int i = 0; i < R->KeyListCount(); ++i) fit(R->KeyLists(i));
  for (int i = 0; i < R->SetCount(); ++i) {
    fit(R->Sets(i));
    if (V != TVersion::V20) R->Sets(i)->Quantity = 0;
  }
  for (int i = 0; i < R->RangeCount(); ++i) FitToVersion(R->Ranges(i), V);
}

void FuzzGenerated(TVersion V, unsigned Seed, int Rounds) {
  TGen gen(Seed);
  for (int round = 0; round < Rounds; ++round) {
    TTxtXmlHighlighter h(nullptr);
    gen.Highlighter(h);
    FitToVersion(h.MainRules(), V);
    KeepOneFormPerToken(h.MainRules());
    const AnsiString text = SaveText(FormatOf(V), &h);
    TTxtXmlHighlighter back(nullptr);
    ASSERT_EQ(ErrorOf([&] { LoadText(TTxtXmlFormatNativeXmlAuto::Instance(), &back, text); }), "(nothing raised)")
        << "round " << round;
    ASSERT_EQ(Describe(back, V), Describe(h, V)) << "round " << round;
    ASSERT_EQ(SaveText(FormatOf(V), &back), text) << "round " << round;
    const std::vector<AnsiString> lines = RandomLines(gen);
    const std::vector<std::string> before = Colours(h, lines), after = Colours(back, lines);
    for (size_t i = 0; i < lines.size(); ++i)
      ASSERT_EQ(after[i], before[i]) << "round " << round << " line " << Shown(lines[i]);
  }
}

}  // namespace

TEST(SchemeFuzz, GeneratedSchemesOfEveryFormatReadBackAndColourTheSame) {
  // Control bytes and lone line breaks in every field, every value of the range and token
  // properties: each format keeps what it can hold, writes it again unchanged, and the scheme
  // read back colours random lines as the one saved did.
  FuzzGenerated(TVersion::V20, 2001, 300);
  FuzzGenerated(TVersion::V18, 1801, 300);
  FuzzGenerated(TVersion::V15, 1501, 300);
}

TEST(SchemeFuzz, Format20) { FuzzFormat(BundledSchemeText(L"CLIKE"), 20u, 4000); }
TEST(SchemeFuzz, Format18) { FuzzFormat(BundledSchemeText(L"CLIKE18", L"OLDSCHEME"), 18u, 4000); }
TEST(SchemeFuzz, Format15) { FuzzFormat(BundledSchemeText(L"CLIKE15", L"OLDSCHEME"), 15u, 4000); }
