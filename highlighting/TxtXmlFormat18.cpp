// Scheme files of version 1.8, and the text passes that versions 1.8 and 1.5 share.
#include "highlighting/TxtXmlFormat18.h"

#include <algorithm>

#include "framework/Conversions.h"
#include "framework/StrRoutines.h"

namespace {

// Text[Start, Start+Length) with 1-based Start; empty for any position outside the text.
AnsiString Part(const AnsiString& Text, long Start, long Length) {
  if (Length < 1 || Start < 1 || Start > static_cast<long>(Text.size())) return AnsiString();
  return Text.substr(static_cast<size_t>(Start - 1), static_cast<size_t>(Length));
}

long Position(const AnsiString& Text, char C) {
  const size_t at = Text.find(C);
  return at == AnsiString::npos ? 0 : static_cast<long>(at) + 1;
}

int IntOr(const AnsiString& Text, int Default) {
  int value = 0;
  return TryStrToInt(Text, value) ? value : Default;
}

}  // namespace

// ---- the shared text passes ----

AnsiString PrepareOldSchemeText(const AnsiString& Text) {
  AnsiString body = Text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? Text.substr(3) : Text;
  AnsiString out = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\r\n";
  out.reserve(body.size() + out.size() + body.size() / 16);
  for (const AnsiString& line : SplitLines(body)) {
    out += line;
    out += "\r\n";
  }
  return out;
}

AnsiString FinishOldSchemeText(const AnsiString& Text) {
  std::vector<AnsiString> lines = SplitLines(Text);
  while (!lines.empty() && lines.front().empty()) lines.erase(lines.begin());
  if (!lines.empty() && lines.front().compare(0, 5, "<?xml") == 0) lines.erase(lines.begin());
  while (!lines.empty() && lines.front().empty()) lines.erase(lines.begin());
  if (!lines.empty() && lines.front().compare(0, 4, "<Txt") == 0) lines.front().erase(1, 3);
  if (!lines.empty()) {
    AnsiString& last = lines.back();
    const size_t at = last.rfind("</TxtXmlHighlighter>");
    if (at != AnsiString::npos) last.erase(at + 2, 3);
  }
  AnsiString out;
  for (const AnsiString& line : lines) {
    out += line;
    out += "\r\n";
  }
  return out;
}

IXmlNode AppendTextElement(const IXmlNode& Parent, const AnsiString& Name, const AnsiString& Text) {
  IXmlNode e = Parent->AppendElement(Name);
  auto blank = [](char c) { return static_cast<unsigned char>(c) - 1u < 32u; };
  const bool blanks = !Text.empty() && std::all_of(Text.begin(), Text.end(), blank);
  if (!blanks && Text.find_first_of("\r\n") == AnsiString::npos) {
    e->SetText(Text);
    return e;
  }
  // The parser drops a text of bytes 1-32 as layout, and the line passes of the older formats
  // rewrite line breaks. Text children of such bytes alone are written as references, so the
  // text goes out as pieces, each CR and LF a piece of its own; it reads back as one text.
  size_t start = 0;
  for (size_t i = 0; i <= Text.size(); ++i) {
    if (i < Text.size() && Text[i] != '\r' && Text[i] != '\n') continue;
    if (i > start) e->AppendText(Text.substr(start, i - start));
    if (i < Text.size()) e->AppendText(Text.substr(i, 1));
    start = i + 1;
  }
  return e;
}

void ExportLines(const IXmlNode& Node, const AnsiString& Text, const AnsiString& ChildName, const AnsiString& Filler) {
  const std::vector<AnsiString> lines = SplitLines(Text);
  if (lines.empty()) {
    Node->SetText(Filler);
    return;
  }
  for (const AnsiString& line : lines) AppendTextElement(Node, ChildName, line);
}

AnsiString ImportLines(const IXmlNode& Node) {
  AnsiString text;
  ForEachElement(Node, [&](const IXmlNode& e) { text += e->Text() + "\r\n"; });
  return text;
}

// ---- format 1.8 ----

TTxtXmlFormatNativeXml18& TTxtXmlFormatNativeXml18::Instance() {
  static TTxtXmlFormatNativeXml18 instance;
  return instance;
}

AnsiString TTxtXmlFormatNativeXml18::BeforeImport(const AnsiString& Text) const { return PrepareOldSchemeText(Text); }
AnsiString TTxtXmlFormatNativeXml18::AfterExport(const AnsiString& Text) const { return FinishOldSchemeText(Text); }

void TTxtXmlFormatNativeXml18::UnpackAttributes(const AnsiString& Text, TTxtAttributes* Attributes) {
  const long pc = Position(Text, ','), ps = Position(Text, ';'), pk = Position(Text, ':'), pd = Position(Text, '.');
  Attributes->ParentForeground = Attributes->ParentBackground = false;
  Attributes->SetForeground(TColor(IntOr(Part(Text, 1, pc - 1), 0)));
  Attributes->SetBackground(TColor(IntOr(Part(Text, pc + 1, ps - pc - 1), 0xFFFFFF)));
  Attributes->ParentForeground = LowerCase(Part(Text, ps + 1, pk - ps - 1)) == "true";
  Attributes->ParentBackground = LowerCase(Part(Text, pk + 1, pd - pk - 1)) == "true";
  // Without a "." there are no style letters: the flags' letters are no style.
  Attributes->SetStyle(pd ? StrToFontStyle(Part(Text, pd + 1, static_cast<long>(Text.size()) - pd)) : TFontStyles());
}

AnsiString TTxtXmlFormatNativeXml18::PackAttributes(const TTxtAttributes* Attributes) {
  return IntToStr(static_cast<int>(Attributes->Foreground())) + "," +
         IntToStr(static_cast<int>(Attributes->Background())) + ";" + BoolText(Attributes->ParentForeground) + ":" +
         BoolText(Attributes->ParentBackground) + "." + FontStyleToStr(Attributes->Style());
}

bool TTxtXmlFormatNativeXml18::ImportAttributes(TTxtAttributes* Attributes, const IXmlNode& Node) {
  UnpackAttributes(Node->GetAttribute("Attributes"), Attributes);
  return true;
}

bool TTxtXmlFormatNativeXml18::ExportAttributes(TTxtAttributes* Attributes, const IXmlNode& Node) {
  Node->SetAttribute("Attributes", PackAttributes(Attributes));
  return true;
}

bool TTxtXmlFormatNativeXml18::ImportInfo(TTxtInfo* Info, const IXmlNode& Node) {
  IXmlNode g = Node->ObtainChild("General");
  Info->General.Name = g->GetAttribute("Name");
  Info->General.Extensions = g->GetAttribute("Extensions");
  IXmlNode a = Node->ObtainChild("Author");
  Info->Author.Name = a->GetAttribute("Name");
  Info->Author.Mail = a->GetAttribute("Email");
  Info->Author.Web = a->GetAttribute("Web");
  Info->Author.Copyright = a->GetAttribute("Copyright");
  Info->Author.Company = a->GetAttribute("Company");
  Info->Author.Remark = a->GetAttribute("Remark");
  // Both numbers are required: a missing or malformed one fails the import.
  IXmlNode v = Node->ObtainChild("Version");
  Info->General.Version = StrToInt(v->GetAttribute("Version"));
  Info->General.Revision = StrToInt(v->GetAttribute("Revision"));
  Info->General.Sample = ImportLines(Node->ObtainChild("Sample"));
  Info->General.History = ImportLines(Node->ObtainChild("History"));
  return true;
}

bool TTxtXmlFormatNativeXml18::ExportInfo(TTxtInfo* Info, const IXmlNode& Node) {
  IXmlNode g = Node->AppendElement("General");
  g->SetAttribute("Name", Info->General.Name);
  g->SetAttribute("Extensions", Info->General.Extensions);
  IXmlNode a = Node->AppendElement("Author");
  a->SetAttribute("Name", Info->Author.Name);
  a->SetAttribute("Email", Info->Author.Mail);
  a->SetAttribute("Web", Info->Author.Web);
  a->SetAttribute("Copyright", Info->Author.Copyright);
  a->SetAttribute("Company", Info->Author.Company);
  a->SetAttribute("Remark", Info->Author.Remark);
  IXmlNode v = Node->AppendElement("Version");
  v->SetAttribute("Version", IntToStr(Info->General.Version));
  v->SetAttribute("Revision", IntToStr(Info->General.Revision));
  ExportLines(Node->AppendElement("History"), Info->General.History, "H", "\r\n");
  ExportLines(Node->AppendElement("Sample"), Info->General.Sample, "S", " ");
  return true;
}

void TTxtXmlFormatNativeXml18::ImportTokenAttributes(TTxtMultiToken* Token, const IXmlNode& Rule,
                                                     const AnsiString& Prefix) {
  Token->FinishOnEol = ReadBoolAttr(Rule, Prefix + "FinishOnEol", false);
  Token->StartLine = StrToStartLine(Rule->GetAttribute(Prefix + "StartLine"));
  const AnsiString part = Rule->GetAttribute(Prefix + "PartOfTerm");
  Token->StartType = StrToStartType(part);
  Token->BreakType = StrToBreakType(part);
}

void TTxtXmlFormatNativeXml18::ExportTokenAttributes(TTxtMultiToken* Token, const IXmlNode& Rule,
                                                     const AnsiString& Prefix, BreakType Resolved) {
  if (Token->FinishOnEol) Rule->SetAttribute(Prefix + "FinishOnEol", "True");
  if (Token->StartLine != StartLine::Anywhere)
    Rule->SetAttribute(Prefix + "StartLine", StartLineToStr(Token->StartLine));
  const AnsiString part = PartOfTermToStr(Token->StartType, Token->BreakType, Resolved);
  if (!part.empty()) Rule->SetAttribute(Prefix + "PartOfTerm", part);
}

bool TTxtXmlFormatNativeXml18::ImportKeyList(TTxtKeyList* KeyList, const IXmlNode& Node) {
  KeyList->Name = Node->GetAttribute("Name");
  KeyList->Enabled = ReadBoolAttr(Node, "Enabled", true);
  ImportAttributes(KeyList->Attributes.get(), Node);
  KeyList->Style = Node->GetAttribute("Style");
  ForEachElement(Node, [&](const IXmlNode& w) { KeyList->Words.Add(w->GetAttribute("value")); });
  return true;
}

bool TTxtXmlFormatNativeXml18::ExportKeyList(TTxtKeyList* KeyList, const IXmlNode& Node) {
  Node->SetAttribute("Name", KeyList->Name);
  if (!KeyList->Enabled) Node->SetAttribute("Enabled", "False");
  ExportAttributes(KeyList->Attributes.get(), Node);
  Node->SetAttribute("Style", KeyList->Style);
  for (const AnsiString& word : SplitLines(JoinLines(KeyList->Words)))
    Node->AppendElement("word")->SetAttribute("value", word);
  return true;
}

bool TTxtXmlFormatNativeXml18::ImportSet(TTxtSet* Set, const IXmlNode& Node) {
  Set->Name = Node->GetAttribute("Name");
  Set->Enabled = ReadBoolAttr(Node, "Enabled", true);
  ImportAttributes(Set->Attributes.get(), Node);
  Set->Style = Node->GetAttribute("Style");
  Set->Symbols = StrToCharSet(Node->GetAttribute("Symbols"));
  return true;
}

bool TTxtXmlFormatNativeXml18::ExportSet(TTxtSet* Set, const IXmlNode& Node) {
  Node->SetAttribute("Name", Set->Name);
  if (!Set->Enabled) Node->SetAttribute("Enabled", "False");
  ExportAttributes(Set->Attributes.get(), Node);
  Node->SetAttribute("Style", Set->Style);
  Node->SetAttribute("Symbols", CharSetToStr(Set->Symbols, true));
  return true;
}

bool TTxtXmlFormatNativeXml18::ReadRange(TTxtRange* Range, const IXmlNode& Node, int Depth) {
  CheckDepth(Depth);
  Range->Clear();
  Range->Name = Node->GetAttribute("Name");
  Range->Enabled = ReadBoolAttr(Node, "Enabled", true);
  Range->SetCaseSensitive(ReadBoolAttr(Node, "CaseSensitive", false));
  Range->Style = Node->GetAttribute("Style");
  ImportAttributes(Range->Attributes.get(), Node);
  Range->Delimiters = StrToCharSet(Node->GetAttribute("Delimiters"));
  IXmlNode rule = Node->ObtainChild("Rule");
  Range->SetCloseOnTerm(ReadBoolAttr(rule, "CloseOnTerm", false));
  Range->SetCloseOnEol(ReadBoolAttr(rule, "CloseOnEol", false));
  Range->SetAllowPredClose(ReadBoolAttr(rule, "AllowPredClose", false));
  Range->OpenTokens.Clear();
  Range->CloseTokens.Clear();
  Range->AddCoupleTags(rule->GetAttribute("OpenSymbol"), rule->GetAttribute("CloseSymbol"));
  ImportTokenAttributes(&Range->OpenTokens, rule, "OpenSymbol");
  ImportTokenAttributes(&Range->CloseTokens, rule, "CloseSymbol");
  ReadSubRules(Range, Node, "Range", "Keywords", Depth);
  return true;
}

bool TTxtXmlFormatNativeXml18::ExportRange(TTxtRange* Range, const IXmlNode& Node) {
  Node->SetAttribute("Name", Range->Name);
  if (!Range->Enabled) Node->SetAttribute("Enabled", "False");
  ExportAttributes(Range->Attributes.get(), Node);
  Node->SetAttribute("Style", Range->Style);
  if (Range->CaseSensitive()) Node->SetAttribute("CaseSensitive", "True");
  Node->SetAttribute("Delimiters", CharSetToStr(Range->Delimiters, false));
  IXmlNode rule = Node->AppendElement("Rule");
  if (Range->OpenTokens.SymbolCount() > 0 && !Range->OpenTokens.GetSymbol(0).empty())
    rule->SetAttribute("OpenSymbol", Range->OpenTokens.GetSymbol(0));
  ExportTokenAttributes(&Range->OpenTokens, rule, "OpenSymbol", ResolvedBreak(*Range, false));
  if (Range->CloseTokens.SymbolCount() > 0 && !Range->CloseTokens.GetSymbol(0).empty())
    rule->SetAttribute("CloseSymbol", Range->CloseTokens.GetSymbol(0));
  ExportTokenAttributes(&Range->CloseTokens, rule, "CloseSymbol", ResolvedBreak(*Range, true));
  if (Range->CloseOnTerm()) rule->SetAttribute("CloseOnTerm", "True");
  if (Range->CloseOnEol()) rule->SetAttribute("CloseOnEol", "True");
  if (Range->AllowPredClose()) rule->SetAttribute("AllowPredClose", "True");
  for (int i = 0; i < Range->KeyListCount(); ++i) ExportKeyList(Range->KeyLists(i), Node->AppendElement("Keywords"));
  for (int i = 0; i < Range->SetCount(); ++i) ExportSet(Range->Sets(i), Node->AppendElement("Set"));
  for (int i = 0; i < Range->RangeCount(); ++i) ExportRange(Range->Ranges(i), Node->AppendElement("Range"));
  return true;
}

bool TTxtXmlFormatNativeXml18::ImportHighlighter(TTxtXmlHighlighter* Highlighter, const IXmlNode& Node) {
  Highlighter->Clear();
  ImportInfo(Highlighter->Info(), Node->ObtainChild("Info"));
  ImportSchemes(Highlighter->Schemes(), Node->ObtainChild("Scheme"));
  ImportRange(Highlighter->MainRules(), Node->ObtainChild("Range"));
  Highlighter->FormatVersion = "1.8";
  return true;
}

bool TTxtXmlFormatNativeXml18::ExportHighlighter(TTxtXmlHighlighter* Highlighter, const IXmlNode& Node) {
  Node->SetAttribute("version", "1.8.3");
  ExportInfo(Highlighter->Info(), Node->AppendElement("Info"));
  Node->AppendElement("Scheme");
  ExportRange(Highlighter->MainRules(), Node->AppendElement("Range"));
  return true;
}
