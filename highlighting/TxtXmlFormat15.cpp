// Scheme files of version 1.5.
#include "highlighting/TxtXmlFormat15.h"

#include "framework/Conversions.h"
#include "framework/StrRoutines.h"
#include "highlighting/TxtXmlFormat18.h"

namespace {

const char kBanner[] =
    "\r\n\t\t******* Please read carefully *************************"
    "\r\n\t\t* Please, make any changes in this file very carefuly!*"
    "\r\n\t\t* It is much more convinient to use native designer!  *"
    "\r\n\t\t*******************************************************";

// Every occurrence of From, in any letter case of its ASCII letters, replaced by To.
AnsiString ReplaceNoCase(const AnsiString& Text, const AnsiString& From, const AnsiString& To) {
  const AnsiString upper = UpperCase(Text);
  const AnsiString key = UpperCase(From);
  AnsiString out;
  out.reserve(Text.size());
  size_t start = 0;
  for (size_t at = upper.find(key); at != AnsiString::npos; at = upper.find(key, at + key.size())) {
    out.append(Text, start, at - start);
    out += To;
    start = at + key.size();
  }
  out.append(Text, start, AnsiString::npos);
  return out;
}

// No element is left in the short form: each "/>" becomes "></name>", the name taken from the
// tag that the "/>" ends. One pass over the text.
AnsiString ExpandEmptyElements(const AnsiString& Text) {
  AnsiString out;
  out.reserve(Text.size() + Text.size() / 8);
  size_t start = 0;
  for (size_t at = Text.find("/>"); at != AnsiString::npos; at = Text.find("/>", at + 2)) {
    const size_t open = Text.rfind('<', at);
    if (open == AnsiString::npos || open < start) continue;
    size_t end = open + 1;
    while (end<at&& static_cast<unsigned char>(Text[end])> 32 && Text[end] != '/') ++end;
    out.append(Text, start, at - start);
    out += "></";
    out.append(Text, open + 1, end - open - 1);
    out += '>';
    start = at + 2;
  }
  out.append(Text, start, AnsiString::npos);
  return out;
}

AnsiString ChildText(const IXmlNode& Node, const AnsiString& Name) { return Node->ObtainChild(Name)->Text(); }

bool ChildBool(const IXmlNode& Node, const AnsiString& Name) { return StrToSchemeBool(ChildText(Node, Name), false); }

// A missing or malformed number fails the import.
int ChildInt(const IXmlNode& Node, const AnsiString& Name) { return StrToInt(ChildText(Node, Name)); }

IXmlNode FirstElement(const IXmlNode& Node) {
  IXmlNode first;
  ForEachElement(Node, [&](const IXmlNode& e) {
    if (!first) first = e;
  });
  return first;
}

// The attributes block of a keyword list or set: its first element. An element with no child
// node at all has no block, and reading it raises the node list's index error.
IXmlNode AttributesBlock(const IXmlNode& Node) {
  if (IXmlNode first = FirstElement(Node)) return first;
  if (!Node->HasChildNodes()) Node->ChildNodes()->Item(0);
  return IXmlNode();
}

AnsiString StartLineText(StartLine Value) {
  const AnsiString text = StartLineToStr(Value);
  return text.empty() ? AnsiString("False") : text;
}

AnsiString PartOfTermText(const TTxtMultiToken& Token, BreakType Resolved) {
  const AnsiString text = PartOfTermToStr(Token.StartType, Token.BreakType, Resolved);
  return text.empty() ? AnsiString("True") : text;
}

// The first symbol, or one blank (read back as nothing) when the list has none.
void WriteSymbol(const IXmlNode& Node, const AnsiString& Name, const TTxtMultiToken& Token) {
  if (Token.SymbolCount() == 0)
    Node->AppendElement(Name)->SetText(" ");
  else
    AppendTextElement(Node, Name, Token.GetSymbol(0));
}

}  // namespace

TTxtXmlFormatNativeXml15& TTxtXmlFormatNativeXml15::Instance() {
  static TTxtXmlFormatNativeXml15 instance;
  return instance;
}

AnsiString TTxtXmlFormatNativeXml15::BeforeImport(const AnsiString& Text) const {
  return PrepareOldSchemeText(ReplaceNoCase(Text, "&qt;", "&quot;"));
}

AnsiString TTxtXmlFormatNativeXml15::AfterExport(const AnsiString& Text) const {
  return ExpandEmptyElements(ReplaceNoCase(FinishOldSchemeText(Text), "&quot;", "&qt;"));
}

bool TTxtXmlFormatNativeXml15::ImportAttributes(TTxtAttributes* Attributes, const IXmlNode& Node) {
  const AnsiString fore = ChildText(Node, "Fore");
  const AnsiString back = ChildText(Node, "Back");
  if (!fore.empty()) Attributes->SetForeground(StringToColor(fore));
  if (!back.empty()) Attributes->SetBackground(StringToColor(back));
  Attributes->SetStyle(StrToFontStyle(ChildText(Node, "Style")));
  Attributes->ParentForeground = ChildBool(Node, "ParentForeground");
  Attributes->ParentBackground = ChildBool(Node, "ParentBackground");
  return true;
}

bool TTxtXmlFormatNativeXml15::ExportAttributes(TTxtAttributes* Attributes, const IXmlNode& Node) {
  Node->AppendElement("Back")->SetText(IntToStr(static_cast<int>(Attributes->Background())));
  Node->AppendElement("Fore")->SetText(IntToStr(static_cast<int>(Attributes->Foreground())));
  Node->AppendElement("Style")->SetText(FontStyleToStr(Attributes->Style()));
  Node->AppendElement("ParentForeground")->SetText(BoolText(Attributes->ParentForeground));
  Node->AppendElement("ParentBackground")->SetText(BoolText(Attributes->ParentBackground));
  return true;
}

bool TTxtXmlFormatNativeXml15::ImportInfo(TTxtInfo* Info, const IXmlNode& Node) {
  IXmlNode g = Node->ObtainChild("General");
  Info->General.Name = ChildText(g, "Name");
  Info->General.Extensions = ChildText(g, "FileTypeName");
  IXmlNode a = Node->ObtainChild("Author");
  Info->Author.Name = ChildText(a, "Name");
  Info->Author.Mail = ChildText(a, "Email");
  Info->Author.Web = ChildText(a, "Web");
  Info->Author.Copyright = ChildText(a, "Copyright");
  Info->Author.Company = ChildText(a, "Company");
  Info->Author.Remark = ChildText(a, "Remark");
  IXmlNode v = Node->ObtainChild("Version");
  Info->General.Version = ChildInt(v, "Version");
  Info->General.Revision = ChildInt(v, "Revision");
  Info->General.Sample = ImportLines(Node->ObtainChild("Sample"));
  Info->General.History = ImportLines(Node->ObtainChild("History"));
  return true;
}

bool TTxtXmlFormatNativeXml15::ExportInfo(TTxtInfo* Info, const IXmlNode& Node) {
  IXmlNode g = Node->AppendElement("General");
  AppendTextElement(g, "Name", Info->General.Name);
  AppendTextElement(g, "FileTypeName", Info->General.Extensions);
  IXmlNode a = Node->AppendElement("Author");
  AppendTextElement(a, "Name", Info->Author.Name);
  AppendTextElement(a, "Email", Info->Author.Mail);
  AppendTextElement(a, "Web", Info->Author.Web);
  AppendTextElement(a, "Copyright", Info->Author.Copyright);
  AppendTextElement(a, "Company", Info->Author.Company);
  AppendTextElement(a, "Remark", Info->Author.Remark);
  IXmlNode v = Node->AppendElement("Version");
  v->AppendElement("Version")->SetText(IntToStr(Info->General.Version));
  v->AppendElement("Revision")->SetText(IntToStr(Info->General.Revision));
  ExportLines(Node->AppendElement("History"), Info->General.History, "H", "\r\n");
  ExportLines(Node->AppendElement("Sample"), Info->General.Sample, "S", " ");
  return true;
}

bool TTxtXmlFormatNativeXml15::ExportSchemes(TTxtXmlSchemes*, const IXmlNode& Node) {
  Node->AppendElement("S")->SetText("Default");
  return true;
}

void TTxtXmlFormatNativeXml15::ImportTokenAttributes(TTxtMultiToken* Token, const IXmlNode& Range,
                                                     const AnsiString& Prefix) {
  Token->FinishOnEol = ChildBool(Range, Prefix + "FinishOnEol");
  Token->StartLine = StrToStartLine(ChildText(Range, Prefix + "StartLine"));
  const AnsiString part = ChildText(Range, Prefix + "PartOfTerm");
  Token->StartType = StrToStartType(part);
  Token->BreakType = StrToBreakType(part);
}

bool TTxtXmlFormatNativeXml15::ImportKeyList(TTxtKeyList* KeyList, const IXmlNode& Node) {
  KeyList->Name = Node->GetAttribute("Name");
  if (IXmlNode block = AttributesBlock(Node)) ImportAttributes(KeyList->Attributes.get(), block);
  ForEachElement(Node, [&](const IXmlNode& w) {
    if (w->NodeName() == "W") KeyList->Words.Add(w->Text());
  });
  return true;
}

bool TTxtXmlFormatNativeXml15::ExportKeyList(TTxtKeyList* KeyList, const IXmlNode& Node) {
  Node->SetAttribute("Name", KeyList->Name);
  ExportAttributes(KeyList->Attributes.get(), Node->AppendElement("Attri"));
  for (const AnsiString& word : SplitLines(JoinLines(KeyList->Words))) AppendTextElement(Node, "W", word);
  return true;
}

bool TTxtXmlFormatNativeXml15::ImportSet(TTxtSet* Set, const IXmlNode& Node) {
  Set->Name = Node->GetAttribute("Name");
  if (IXmlNode block = AttributesBlock(Node)) ImportAttributes(Set->Attributes.get(), block);
  Set->Symbols = StrToCharSet(ChildText(Node, "S"));
  return true;
}

bool TTxtXmlFormatNativeXml15::ExportSet(TTxtSet* Set, const IXmlNode& Node) {
  Node->SetAttribute("Name", Set->Name);
  ExportAttributes(Set->Attributes.get(), Node->AppendElement("Attri"));
  AppendTextElement(Node, "S", CharSetToStr(Set->Symbols, true));
  return true;
}

bool TTxtXmlFormatNativeXml15::ReadRange(TTxtRange* Range, const IXmlNode& Node, int Depth) {
  CheckDepth(Depth);
  Range->Clear();
  Range->Name = Node->GetAttribute("Name");
  IXmlNode first = FirstElement(Node);
  ImportAttributes(Range->Attributes.get(), Node->ObtainChild("Def"));
  if (first) ImportAttributes(Range->Attributes.get(), first);
  Range->OpenTokens.Clear();
  Range->CloseTokens.Clear();
  Range->AddCoupleTags(ChildText(Node, "OpenSymbol"), ChildText(Node, "CloseSymbol"));
  Range->Delimiters = StrToCharSet(ChildText(Node, "DelimiterChars"));
  Range->SetCaseSensitive(ChildBool(Node, "CaseSensitive"));
  Range->SetCloseOnTerm(ChildBool(Node, "CloseOnTerm"));
  Range->SetCloseOnEol(ChildBool(Node, "CloseOnEol"));
  Range->SetAllowPredClose(ChildBool(Node, "AllowPredClose"));
  ImportTokenAttributes(&Range->OpenTokens, Node, "OpenSymbol");
  ImportTokenAttributes(&Range->CloseTokens, Node, "CloseSymbol");
  ReadSubRules(Range, Node, "Range", "KW", Depth);
  return true;
}

bool TTxtXmlFormatNativeXml15::ExportRange(TTxtRange* Range, const IXmlNode& Node) {
  Node->SetAttribute("Name", Range->Name);
  ExportAttributes(Range->Attributes.get(), Node->AppendElement("Attri"));
  WriteSymbol(Node, "OpenSymbol", Range->OpenTokens);
  Node->AppendElement("OpenSymbolFinishOnEol")->SetText(BoolText(Range->OpenTokens.FinishOnEol));
  WriteSymbol(Node, "CloseSymbol", Range->CloseTokens);
  Node->AppendElement("CloseSymbolFinishOnEol")->SetText(BoolText(Range->CloseTokens.FinishOnEol));
  Node->AppendElement("OpenSymbolStartLine")->SetText(StartLineText(Range->OpenTokens.StartLine));
  Node->AppendElement("CloseSymbolStartLine")->SetText(StartLineText(Range->CloseTokens.StartLine));
  AppendTextElement(Node, "DelimiterChars", CharSetToStr(Range->Delimiters, false));
  Node->AppendElement("OpenSymbolPartOfTerm")->SetText(PartOfTermText(Range->OpenTokens, ResolvedBreak(*Range, false)));
  Node->AppendElement("CloseSymbolPartOfTerm")
      ->SetText(PartOfTermText(Range->CloseTokens, ResolvedBreak(*Range, true)));
  Node->AppendElement("CloseOnTerm")->SetText(BoolText(Range->CloseOnTerm()));
  Node->AppendElement("CloseOnEol")->SetText(BoolText(Range->CloseOnEol()));
  Node->AppendElement("AllowPredClose")->SetText(BoolText(Range->AllowPredClose()));
  Node->AppendElement("CaseSensitive")->SetText(BoolText(Range->CaseSensitive()));
  for (int i = 0; i < Range->KeyListCount(); ++i) ExportKeyList(Range->KeyLists(i), Node->AppendElement("KW"));
  for (int i = 0; i < Range->SetCount(); ++i) ExportSet(Range->Sets(i), Node->AppendElement("Set"));
  for (int i = 0; i < Range->RangeCount(); ++i) ExportRange(Range->Ranges(i), Node->AppendElement("Range"));
  return true;
}

bool TTxtXmlFormatNativeXml15::ImportHighlighter(TTxtXmlHighlighter* Highlighter, const IXmlNode& Node) {
  Highlighter->Clear();
  ImportInfo(Highlighter->Info(), Node->ObtainChild("Info"));
  // The index itself names no scheme of ours, but it must be a number when it is there.
  const AnsiString index = ChildText(Node, "SchemeIndex");
  if (!index.empty()) {
    StrToInt(index);
    ImportSchemes(Highlighter->Schemes(), Node->ObtainChild("Schemes"));
  }
  ImportRange(Highlighter->MainRules(), Node->ObtainChild("Range"));
  Highlighter->FormatVersion = "1.5";
  return true;
}

bool TTxtXmlFormatNativeXml15::ExportHighlighter(TTxtXmlHighlighter* Highlighter, const IXmlNode& Node) {
  Node->AppendElement("ImportantInfo")->SetText(kBanner);
  ExportInfo(Highlighter->Info(), Node->AppendElement("Info"));
  Node->AppendElement("SchemeIndex")->SetText("0");
  ExportSchemes(Highlighter->Schemes(), Node->AppendElement("Schemes"));
  ExportRange(Highlighter->MainRules(), Node->AppendElement("Range"));
  return true;
}
