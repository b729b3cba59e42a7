// Scheme files: the shared skeleton, format 2.0 and the version-detecting importer.
#include "highlighting/TxtXmlFormat.h"

#include <memory>

#include "framework/Conversions.h"
#include "framework/FileRoutines.h"
#include "framework/Streams.h"
#include "framework/StrRoutines.h"
#include "highlighting/TxtXmlFormat15.h"
#include "highlighting/TxtXmlFormat18.h"

// ---- shared values ----

bool ReadBoolAttr(const IXmlNode& Node, const AnsiString& Name, bool Default) {
  return StrToSchemeBool(Node->GetAttribute(Name), Default);
}

int ReadIntAttr(const IXmlNode& Node, const AnsiString& Name, int Default) {
  int value = 0;
  return TryStrToInt(Node->GetAttribute(Name), value) ? value : Default;
}

TColor ReadColorText(const AnsiString& Text, TColor Default) { return Text.empty() ? Default : StringToColor(Text); }

AnsiString BoolText(bool Value) { return Value ? "True" : "False"; }

BreakType ResolvedBreak(const TTxtRange& Range, bool Close) {
  const TTxtMultiToken& token = Close ? Range.CloseTokens : Range.OpenTokens;
  const TTxtRange& holder = Close || !Range.Parent ? Range : *Range.Parent;
  for (int i = 0; i < token.SymbolCount(); ++i) {
    const AnsiString symbol = token.GetSymbol(i);
    const size_t last = symbol.find_last_not_of('\0');
    if (last == AnsiString::npos) continue;
    const auto c = static_cast<unsigned char>(symbol[last]);
    return holder.Delimiters.Contains(c) || AbsoluteDelimiters.Contains(c) ? BreakType::Any : BreakType::Term;
  }
  return BreakType::Any;
}

AnsiString JoinLines(const TStringList& Lines) {
  AnsiString text;
  for (int i = 0; i < Lines.Count(); ++i) {
    if (i) text += "\r\n";
    text += Lines.Strings(i);
  }
  return text;
}

// ---- the skeleton ----

void TTxtXmlFormat::Fail(const char* Text) const { throw ETxtSchemeError(std::string(ClassName()) + Text); }

void TTxtXmlFormat::CheckStream(TStream* Stream) const {
  if (!Stream) Fail(".ImportFromStream: AStream property can not be nil");
}

bool TTxtXmlFormat::ImportFromStream(TObject*, TStream*) { return false; }
bool TTxtXmlFormat::ExportToStream(TObject*, TStream*) { return false; }

bool TTxtXmlFormat::ImportFromFile(TObject* Object, const WideString& FileName) {
  if (!FileExists(FileName))
    throw ETxtSchemeError(AnsiToWide(ClassName()) + L".ImportFromFile: File \"" + FileName + L"\" does not exists!");
  bool result;
  {
    TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
    result = ImportFromStream(Object, &stream);
  }
  if (auto* h = dynamic_cast<TTxtXmlHighlighter*>(Object)) h->FileName = FileName;
  return result;
}

bool TTxtXmlFormat::ExportToFile(TObject* Object, const WideString& FileName) {
  if (FileName.empty()) Fail(".ExportToFile: AFileName property can not be empty");
  TStringStream text;
  const bool result = ExportToStream(Object, &text);
  const WideString temporary = FileName + L".~new";
  try {
    TFileStream file(temporary, fmCreate);
    file.WriteBuffer(text.DataString().data(), static_cast<int>(text.DataString().size()));
    file.FlushAndClose();
  } catch (...) {
    DeleteFileW(temporary.c_str());
    throw;
  }
  if (!MoveFileExW(temporary.c_str(), FileName.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD error = GetLastError();
    DeleteFileW(temporary.c_str());
    throw EFCreateError(L"Cannot create file \"" + FileName + L"\". " + SysErrorMessage(error));
  }
  if (auto* h = dynamic_cast<TTxtXmlHighlighter*>(Object)) h->FileName = FileName;
  return result;
}

void TTxtXmlFormatNativeXml::CheckDepth(int Depth) const {
  if (Depth > MaxRangeDepth) Fail(".ImportRange: ranges are nested too deeply");
}

void TTxtXmlFormatNativeXml::ReadSubRules(TTxtRange* Range, const IXmlNode& Node, const char* RangeName,
                                          const char* KeyListName, int Depth) {
  ForEachElement(Node, [&](const IXmlNode& child) {
    const AnsiString& name = child->NodeName();
    if (name == RangeName) {
      auto* sub = new TTxtRange();
      Range->AddRange(sub);
      ReadRange(sub, child, Depth + 1);
    } else if (name == KeyListName) {
      auto* k = new TTxtKeyList();
      Range->AddKeyList(k);
      ImportKeyList(k, child);
    } else if (name == "Set") {
      auto* s = new TTxtSet();
      Range->AddSet(s);
      ImportSet(s, child);
    }
  });
}

bool TTxtXmlFormatNativeXml::ImportFromStream(TObject* Object, TStream* Stream) {
  CheckStream(Stream);
  Stream->Seek(0, soBeginning);
  TStringStream raw;
  raw.CopyFrom(Stream, 0);
  IXmlDocument doc = CreateXmlDocument();
  doc->LoadFromText(BeforeImport(raw.DataString()));
  IXmlElement rootElement = doc->DocumentElement();
  if (!rootElement) Fail(".ImportFromStream: the text holds no element");
  IXmlNode root(rootElement.get());
  if (auto* h = dynamic_cast<TTxtXmlHighlighter*>(Object)) {
    // A file that fails half-way must not leave a half-filled highlighter with the editors.
    std::unique_ptr<TTxtXmlHighlighter> fresh(new TTxtXmlHighlighter(nullptr));
    const bool result = ImportHighlighter(fresh.get(), root);
    h->TakeContent(*fresh);
    return result;
  }
  if (auto* r = dynamic_cast<TTxtRange*>(Object)) return ImportRange(r, root);
  if (auto* k = dynamic_cast<TTxtKeyList*>(Object)) return ImportKeyList(k, root);
  if (auto* s = dynamic_cast<TTxtSet*>(Object)) return ImportSet(s, root);
  if (auto* i = dynamic_cast<TTxtInfo*>(Object)) return ImportInfo(i, root);
  if (auto* e = dynamic_cast<TEditorProperties*>(Object)) return ImportEditorProperties(e, root);
  if (auto* a = dynamic_cast<TTxtAttributes*>(Object)) return ImportAttributes(a, root);
  if (auto* c = dynamic_cast<TTxtXmlSchemes*>(Object)) return ImportSchemes(c, root);
  if (auto* t = dynamic_cast<TTxtMultiToken*>(Object)) return ImportToken(t, root);
  throw ETxtSchemeError(std::string(ClassName()) + ".ImportFromStream: Cannot import into " +
                        (Object ? Object->ClassName() : std::string("nil")) + " object");
}

bool TTxtXmlFormatNativeXml::ExportToStream(TObject* Object, TStream* Stream) {
  CheckStream(Stream);
  const char* rootName = dynamic_cast<TTxtXmlHighlighter*>(Object) ? "TxtXmlHighlighter"
                         : dynamic_cast<TTxtRange*>(Object)        ? "Range"
                         : dynamic_cast<TTxtKeyList*>(Object)      ? "KeyList"
                         : dynamic_cast<TTxtSet*>(Object)          ? "Set"
                         : dynamic_cast<TTxtInfo*>(Object)         ? "Info"
                         : dynamic_cast<TTxtAttributes*>(Object)   ? "Attributes"
                         : dynamic_cast<TTxtXmlSchemes*>(Object)   ? "Schemes"
                                                                   : nullptr;
  if (!rootName)
    throw ETxtSchemeError(std::string(ClassName()) + ".ExportToStream: Cannot export from " +
                          (Object ? Object->ClassName() : std::string("nil")) + " object");
  IXmlDocument doc = CreateXmlDocument(rootName);
  IXmlNode root(doc->DocumentElement().get());
  bool result = false;
  if (auto* h = dynamic_cast<TTxtXmlHighlighter*>(Object))
    result = ExportHighlighter(h, root);
  else if (auto* r = dynamic_cast<TTxtRange*>(Object))
    result = ExportRange(r, root);
  else if (auto* k = dynamic_cast<TTxtKeyList*>(Object))
    result = ExportKeyList(k, root);
  else if (auto* s = dynamic_cast<TTxtSet*>(Object))
    result = ExportSet(s, root);
  else if (auto* i = dynamic_cast<TTxtInfo*>(Object))
    result = ExportInfo(i, root);
  else if (auto* a = dynamic_cast<TTxtAttributes*>(Object))
    result = ExportAttributes(a, root);
  else if (auto* c = dynamic_cast<TTxtXmlSchemes*>(Object))
    result = ExportSchemes(c, root);
  const AnsiString text = AfterExport(doc->Xml());
  Stream->WriteBuffer(text.data(), static_cast<int>(text.size()));
  return result;
}

// ---- format 2.0 ----

TTxtXmlFormatNativeXml20& TTxtXmlFormatNativeXml20::Instance() {
  static TTxtXmlFormatNativeXml20 instance;
  return instance;
}

bool TTxtXmlFormatNativeXml20::ImportInfo(TTxtInfo* Info, const IXmlNode& Node) {
  IXmlNode g = Node->ObtainChild("General");
  Info->General.Name = g->GetAttribute("Name");
  Info->General.Extensions = g->GetAttribute("Extensions");
  Info->General.Version = ReadIntAttr(g, "Version", 0);
  Info->General.Revision = ReadIntAttr(g, "Revision", 0);
  Info->General.Sample = g->GetAttribute("Sample");
  Info->General.History = g->GetAttribute("History");
  IXmlNode a = Node->ObtainChild("Author");
  Info->Author.Name = a->GetAttribute("Name");
  Info->Author.Mail = a->GetAttribute("Mail");
  Info->Author.Web = a->GetAttribute("Web");
  Info->Author.Copyright = a->GetAttribute("Copyright");
  Info->Author.Company = a->GetAttribute("Company");
  Info->Author.Remark = a->GetAttribute("Remark");
  return true;
}

bool TTxtXmlFormatNativeXml20::ExportInfo(TTxtInfo* Info, const IXmlNode& Node) {
  IXmlNode g = Node->AppendElement("General");
  g->SetAttribute("Name", Info->General.Name);
  g->SetAttribute("Extensions", Info->General.Extensions);
  g->SetAttribute("Version", IntToStr(Info->General.Version));
  g->SetAttribute("Revision", IntToStr(Info->General.Revision));
  g->SetAttribute("Sample", Info->General.Sample);
  g->SetAttribute("History", Info->General.History);
  IXmlNode a = Node->AppendElement("Author");
  a->SetAttribute("Name", Info->Author.Name);
  a->SetAttribute("Mail", Info->Author.Mail);
  a->SetAttribute("Web", Info->Author.Web);
  a->SetAttribute("Copyright", Info->Author.Copyright);
  a->SetAttribute("Company", Info->Author.Company);
  a->SetAttribute("Remark", Info->Author.Remark);
  return true;
}

bool TTxtXmlFormatNativeXml20::ImportEditorProperties(TEditorProperties* Props, const IXmlNode& Node) {
  Props->ActiveLineColor = ReadColorText(Node->GetAttribute("ActiveLineColor"), clNone);
  Props->SelectedForeground = ReadColorText(Node->GetAttribute("SelectedForeground"), clHighlightText);
  Props->SelectedBackground = ReadColorText(Node->GetAttribute("SelectedBackground"), clHighlight);
  return true;
}

bool TTxtXmlFormatNativeXml20::ExportEditorProperties(TEditorProperties* Props, const IXmlNode& Node) {
  Node->SetAttribute("ActiveLineColor", ColorToString(Props->ActiveLineColor));
  Node->SetAttribute("SelectedForeground", ColorToString(Props->SelectedForeground));
  Node->SetAttribute("SelectedBackground", ColorToString(Props->SelectedBackground));
  return true;
}

bool TTxtXmlFormatNativeXml20::ImportAttributes(TTxtAttributes* Attributes, const IXmlNode& Node) {
  Attributes->ParentForeground = Attributes->ParentBackground = false;
  Attributes->SetForeground(ReadColorText(Node->GetAttribute("Foreground"), clNone));
  Attributes->SetBackground(ReadColorText(Node->GetAttribute("Background"), clNone));
  Attributes->ParentForeground = ReadBoolAttr(Node, "ParentForeground", false);
  Attributes->ParentBackground = ReadBoolAttr(Node, "ParentBackground", false);
  Attributes->SetStyle(StrToFontStyle(Node->GetAttribute("Style")));
  return true;
}

bool TTxtXmlFormatNativeXml20::ExportAttributes(TTxtAttributes* Attributes, const IXmlNode& Node) {
  Node->SetAttribute("Foreground", ColorToString(Attributes->Foreground()));
  Node->SetAttribute("Background", ColorToString(Attributes->Background()));
  if (Attributes->ParentForeground) Node->SetAttribute("ParentForeground", "True");
  if (Attributes->ParentBackground) Node->SetAttribute("ParentBackground", "True");
  const AnsiString style = FontStyleToStr(Attributes->Style());
  if (!style.empty()) Node->SetAttribute("Style", style);
  return true;
}

bool TTxtXmlFormatNativeXml20::ImportSchemes(TTxtXmlSchemes* Schemes, const IXmlNode& Node) {
  Schemes->Clear();
  ForEachElement(Node, [&](const IXmlNode& s) {
    TTxtScheme* scheme = Schemes->AddScheme(s->GetAttribute("Name"));
    ImportEditorProperties(&scheme->EditorProperties, s->ObtainChild("Editor"));
    ForEachElement(s->ObtainChild("Styles"), [&](const IXmlNode& st) {
      ImportAttributes(scheme->AddStyle(st->GetAttribute("Name"), clNone, clNone, {}), st);
    });
  });
  return true;
}

bool TTxtXmlFormatNativeXml20::ExportSchemes(TTxtXmlSchemes* Schemes, const IXmlNode& Node) {
  for (int i = 0; i < Schemes->Count(); ++i) {
    TTxtScheme* scheme = Schemes->Schemes(i);
    IXmlNode s = Node->AppendElement("Scheme");
    s->SetAttribute("Name", scheme->Name);
    ExportEditorProperties(&scheme->EditorProperties, s->AppendElement("Editor"));
    IXmlNode styles = s->AppendElement("Styles");
    for (int j = 0; j < scheme->StyleCount(); ++j) {
      IXmlNode st = styles->AppendElement("Style");
      st->SetAttribute("Name", scheme->Styles(j)->Name());
      ExportAttributes(scheme->Styles(j), st);
    }
  }
  return true;
}

bool TTxtXmlFormatNativeXml20::ImportToken(TTxtMultiToken* Token, const IXmlNode& Node) {
  Token->Clear();
  Token->FinishOnEol = ReadBoolAttr(Node, "FinishOnEol", false);
  Token->StartLine = StrToStartLine(Node->GetAttribute("StartLine"));
  const AnsiString part = Node->GetAttribute("PartOfTerm");
  Token->StartType = StrToStartType(part);
  Token->BreakType = StrToBreakType(part);
  return true;
}

bool TTxtXmlFormatNativeXml20::ExportToken(TTxtMultiToken* Token, const IXmlNode& Node) {
  WriteToken(Token, Node, BreakType::Any);
  return true;
}

void TTxtXmlFormatNativeXml20::WriteToken(TTxtMultiToken* Token, const IXmlNode& Node, BreakType Resolved) {
  if (Token->FinishOnEol) Node->SetAttribute("FinishOnEol", "True");
  Node->SetAttribute("StartLine", StartLineToStr(Token->StartLine));
  const AnsiString part = PartOfTermToStr(Token->StartType, Token->BreakType, Resolved);
  if (!part.empty()) Node->SetAttribute("PartOfTerm", part);
}

bool TTxtXmlFormatNativeXml20::ImportKeyList(TTxtKeyList* KeyList, const IXmlNode& Node) {
  KeyList->Name = Node->GetAttribute("Name");
  KeyList->Enabled = ReadBoolAttr(Node, "Enabled", true);
  KeyList->Style = Node->GetAttribute("Style");
  KeyList->Words.SetText(Node->GetAttribute("Words"));
  ImportAttributes(KeyList->Attributes.get(), Node->ObtainChild("Attributes"));
  return true;
}

bool TTxtXmlFormatNativeXml20::ExportKeyList(TTxtKeyList* KeyList, const IXmlNode& Node) {
  Node->SetAttribute("Name", KeyList->Name);
  Node->SetAttribute("Enabled", BoolText(KeyList->Enabled));
  Node->SetAttribute("Style", KeyList->Style);
  Node->SetAttribute("Words", JoinLines(KeyList->Words));
  ExportAttributes(KeyList->Attributes.get(), Node->AppendElement("Attributes"));
  return true;
}

bool TTxtXmlFormatNativeXml20::ImportSet(TTxtSet* Set, const IXmlNode& Node) {
  Set->Name = Node->GetAttribute("Name");
  Set->Enabled = ReadBoolAttr(Node, "Enabled", true);
  Set->Style = Node->GetAttribute("Style");
  Set->Symbols = StrToCharSet(Node->GetAttribute("Symbols"));
  Set->Quantity = ReadIntAttr(Node, "Quantity", 0);
  ImportAttributes(Set->Attributes.get(), Node->ObtainChild("Attributes"));
  return true;
}

bool TTxtXmlFormatNativeXml20::ExportSet(TTxtSet* Set, const IXmlNode& Node) {
  Node->SetAttribute("Name", Set->Name);
  Node->SetAttribute("Enabled", BoolText(Set->Enabled));
  Node->SetAttribute("Style", Set->Style);
  // Blanks too: a set of white space must survive a save (the writer makes them references).
  Node->SetAttribute("Symbols", CharSetToStr(Set->Symbols, true));
  Node->SetAttribute("Quantity", IntToStr(Set->Quantity));
  ExportAttributes(Set->Attributes.get(), Node->AppendElement("Attributes"));
  return true;
}

bool TTxtXmlFormatNativeXml20::ReadRange(TTxtRange* Range, const IXmlNode& Node, int Depth) {
  CheckDepth(Depth);
  Range->Clear();
  Range->Name = Node->GetAttribute("Name");
  Range->Enabled = ReadBoolAttr(Node, "Enabled", true);
  Range->SetCaseSensitive(ReadBoolAttr(Node, "CaseSensitive", false));
  Range->Style = Node->GetAttribute("Style");
  Range->Delimiters = StrToCharSet(Node->ObtainChild("Delimiters")->GetAttribute("Value"));
  ImportAttributes(Range->Attributes.get(), Node->ObtainChild("Attributes"));
  IXmlNode props = Node->ObtainChild("Properties");
  Range->SetCloseOnEol(ReadBoolAttr(props, "CloseOnEol", false));
  Range->SetCloseOnTerm(ReadBoolAttr(props, "CloseOnTerm", false));
  Range->SetAllowPredClose(ReadBoolAttr(props, "AllowPredClose", false));
  ImportToken(&Range->OpenTokens, Node->ObtainChild("OpenToken"));
  ImportToken(&Range->CloseTokens, Node->ObtainChild("CloseToken"));
  ForEachElement(Node->ObtainChild("MultiTokens"),
                 [&](const IXmlNode& t) { Range->AddCoupleTags(t->GetAttribute("Open"), t->GetAttribute("Close")); });
  ReadSubRules(Range, Node->ObtainChild("SubRules"), "Range", "KeyList", Depth);
  return true;
}

bool TTxtXmlFormatNativeXml20::ExportRange(TTxtRange* Range, const IXmlNode& Node) {
  Node->SetAttribute("Name", Range->Name);
  if (!Range->Enabled) Node->SetAttribute("Enabled", "False");
  if (Range->CaseSensitive()) Node->SetAttribute("CaseSensitive", "True");
  Node->SetAttribute("Style", Range->Style);
  ExportAttributes(Range->Attributes.get(), Node->AppendElement("Attributes"));
  Node->AppendElement("Delimiters")->SetAttribute("Value", CharSetToStr(Range->Delimiters, false));
  if (Node->NodeName() != "MainRules") {
    WriteToken(&Range->OpenTokens, Node->AppendElement("OpenToken"), ResolvedBreak(*Range, false));
    WriteToken(&Range->CloseTokens, Node->AppendElement("CloseToken"), ResolvedBreak(*Range, true));
    IXmlNode props = Node->AppendElement("Properties");
    if (Range->CloseOnTerm()) props->SetAttribute("CloseOnTerm", "True");
    if (Range->CloseOnEol()) props->SetAttribute("CloseOnEol", "True");
    if (Range->AllowPredClose()) props->SetAttribute("AllowPredClose", "True");
    IXmlNode pairs = Node->AppendElement("MultiTokens");
    for (int i = 0; i < Range->OpenTokens.SymbolCount() && i < Range->CloseTokens.SymbolCount(); ++i) {
      IXmlNode t = pairs->AppendElement("Tokens");
      if (!Range->OpenTokens.GetSymbol(i).empty()) t->SetAttribute("Open", Range->OpenTokens.GetSymbol(i));
      if (!Range->CloseTokens.GetSymbol(i).empty()) t->SetAttribute("Close", Range->CloseTokens.GetSymbol(i));
    }
  }
  IXmlNode sub = Node->AppendElement("SubRules");
  for (int i = 0; i < Range->RangeCount(); ++i) ExportRange(Range->Ranges(i), sub->AppendElement("Range"));
  for (int i = 0; i < Range->KeyListCount(); ++i) ExportKeyList(Range->KeyLists(i), sub->AppendElement("KeyList"));
  for (int i = 0; i < Range->SetCount(); ++i) ExportSet(Range->Sets(i), sub->AppendElement("Set"));
  return true;
}

bool TTxtXmlFormatNativeXml20::ImportHighlighter(TTxtXmlHighlighter* Highlighter, const IXmlNode& Node) {
  Highlighter->Clear();
  // Any other XML file would otherwise load as an empty scheme, and a later save would
  // overwrite it.
  IXmlNode sc = Node->FindChildByName("SyntaxColoring");
  if (!sc) Fail(".ImportHighlighter: the document has no SyntaxColoring element");
  ImportInfo(Highlighter->Info(), sc->ObtainChild("Info"));
  ImportSchemes(Highlighter->Schemes(), sc->ObtainChild("Schemes"));
  Highlighter->ActivateScheme(Highlighter->Schemes()->FindScheme("Default"));
  ImportEditorProperties(Highlighter->EditorProperties(), sc->ObtainChild("Editor"));
  ImportRange(Highlighter->MainRules(), sc->ObtainChild("MainRules"));
  TStringList* data = Highlighter->CustomData();
  data->Clear();
  ForEachElement(Node->ObtainChild("CustomData"), [&](const IXmlNode& e) {
    if (e->HasAttribute("Value"))
      data->Add(e->GetAttribute("Name") + "=" + e->GetAttribute("Value"));
    else
      data->Add(e->GetAttribute("Name"));
  });
  Highlighter->FormatVersion = "2.0";
  return true;
}

bool TTxtXmlFormatNativeXml20::ExportHighlighter(TTxtXmlHighlighter* Highlighter, const IXmlNode& Node) {
  Node->SetAttribute("Version", "2.0");
  IXmlNode sc = Node->AppendElement("SyntaxColoring");
  ExportInfo(Highlighter->Info(), sc->AppendElement("Info"));
  ExportSchemes(Highlighter->Schemes(), sc->AppendElement("Schemes"));
  ExportEditorProperties(Highlighter->EditorProperties(), sc->AppendElement("Editor"));
  ExportRange(Highlighter->MainRules(), sc->AppendElement("MainRules"));
  IXmlNode data = Node->AppendElement("CustomData");
  TStringList* lines = Highlighter->CustomData();
  for (int i = 0; i < lines->Count(); ++i) {
    // Name and value from the same line: a repeated name keeps its own value.
    const AnsiString line = lines->Strings(i);
    IXmlNode e = data->AppendElement("Entry");
    const size_t eq = line.find('=');
    e->SetAttribute("Name", line.substr(0, eq));
    if (eq != AnsiString::npos) e->SetAttribute("Value", line.substr(eq + 1));
  }
  return true;
}

// ---- detection ----

TTxtXmlFormatNativeXmlAuto& TTxtXmlFormatNativeXmlAuto::Instance() {
  static TTxtXmlFormatNativeXmlAuto instance;
  return instance;
}

TTxtXmlFormatNativeXml& TTxtXmlFormatNativeXmlAuto::Detect(const AnsiString& Head) {
  size_t i = 0;
  if (Head.compare(0, 3, "\xEF\xBB\xBF") == 0) i = 3;
  for (;;) {
    while (i < Head.size() && static_cast<unsigned char>(Head[i]) <= 32) ++i;
    const char* close = Head.compare(i, 4, "<!--") == 0 ? "-->"
                        : Head.compare(i, 2, "<?") == 0 ? "?>"
                        : Head.compare(i, 2, "<!") == 0 ? ">"
                                                        : nullptr;
    if (!close) break;
    const size_t end = Head.find(close, i + 2);
    if (end == AnsiString::npos) break;
    i = end + std::char_traits<char>::length(close);
  }
  if (Head.compare(i, 16, "<XmlHighlighter>") == 0) return TTxtXmlFormatNativeXml15::Instance();
  if (Head.compare(i, 27, "<XmlHighlighter version=\"1.") == 0) return TTxtXmlFormatNativeXml18::Instance();
  return TTxtXmlFormatNativeXml20::Instance();
}

bool TTxtXmlFormatNativeXmlAuto::ImportFromStream(TObject* Object, TStream* Stream) {
  CheckStream(Stream);
  // Detected from the start, where the chosen importer reads too.
  Stream->Seek(0, soBeginning);
  TStringStream head;
  head.CopyFrom(Stream, std::min<int64_t>(Stream->Size(), 4096));
  Stream->Seek(0, soBeginning);
  return Detect(head.DataString()).ImportFromStream(Object, Stream);
}

bool TTxtXmlFormatNativeXmlAuto::ExportToStream(TObject* Object, TStream* Stream) {
  CheckStream(Stream);
  auto* h = dynamic_cast<TTxtXmlHighlighter*>(Object);
  if (!h)
    throw ETxtSchemeError(std::string(ClassName()) + ".ExportFromStream: Cannot automatic export " +
                          (Object ? Object->ClassName() : std::string("nil")) + " object");
  if (h->FormatVersion == "1.5") return TTxtXmlFormatNativeXml15::Instance().ExportToStream(h, Stream);
  if (h->FormatVersion == "1.8") return TTxtXmlFormatNativeXml18::Instance().ExportToStream(h, Stream);
  return TTxtXmlFormatNativeXml20::Instance().ExportToStream(h, Stream);
}
