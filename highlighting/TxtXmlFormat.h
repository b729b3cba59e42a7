// TxtXmlFormat: scheme files. The format classes hold no data; each is one shared instance whose
// operations take the object to fill or save. The skeleton handles streams, files and the choice
// of operation by the object's class; each version supplies the element-level operations. The
// newest version, 2.0, is always written when a highlighter is saved; the detecting importer
// chooses the version by the file's start.
#pragma once

#include "highlighting/TxtXmlHighlighter.h"
#include "highlighting/XmlDom.h"
#include "framework/StrRoutines.h"

class TTxtXmlFormat {
 public:
  virtual ~TTxtXmlFormat() = default;
  // The name that error texts start with.
  virtual const char* ClassName() const = 0;
  virtual bool ImportFromStream(TObject* Object, TStream* Stream);
  // The file must exist; it is read while others may not write it.
  virtual bool ImportFromFile(TObject* Object, const WideString& FileName);
  virtual bool ExportToStream(TObject* Object, TStream* Stream);
  // The whole text is made first and the file replaced only then, so that a failure leaves the
  // old file as it was.
  virtual bool ExportToFile(TObject* Object, const WideString& FileName);

 protected:
  [[noreturn]] void Fail(const char* Text) const;
  void CheckStream(TStream* Stream) const;
};

class TTxtXmlFormatNativeXml : public TTxtXmlFormat {
 public:
  const char* ClassName() const override { return "TTxtXmlFormatNativeXml"; }
  // Reads the whole stream from its start; a highlighter is filled apart and takes the result
  // only when the whole import succeeded.
  bool ImportFromStream(TObject* Object, TStream* Stream) override;
  bool ExportToStream(TObject* Object, TStream* Stream) override;

  virtual bool ImportInfo(TTxtInfo*, const IXmlNode&) { return false; }
  virtual bool ExportInfo(TTxtInfo*, const IXmlNode&) { return false; }
  virtual bool ImportEditorProperties(TEditorProperties*, const IXmlNode&) { return false; }
  virtual bool ExportEditorProperties(TEditorProperties*, const IXmlNode&) { return false; }
  virtual bool ImportAttributes(TTxtAttributes*, const IXmlNode&) { return false; }
  virtual bool ExportAttributes(TTxtAttributes*, const IXmlNode&) { return false; }
  virtual bool ImportSchemes(TTxtXmlSchemes*, const IXmlNode&) { return false; }
  virtual bool ExportSchemes(TTxtXmlSchemes*, const IXmlNode&) { return false; }
  virtual bool ImportToken(TTxtMultiToken*, const IXmlNode&) { return false; }
  virtual bool ExportToken(TTxtMultiToken*, const IXmlNode&) { return false; }
  virtual bool ImportKeyList(TTxtKeyList*, const IXmlNode&) { return false; }
  virtual bool ExportKeyList(TTxtKeyList*, const IXmlNode&) { return false; }
  virtual bool ImportSet(TTxtSet*, const IXmlNode&) { return false; }
  virtual bool ExportSet(TTxtSet*, const IXmlNode&) { return false; }
  virtual bool ImportRange(TTxtRange* Range, const IXmlNode& Node) { return ReadRange(Range, Node, 0); }
  virtual bool ExportRange(TTxtRange*, const IXmlNode&) { return false; }
  virtual bool ImportHighlighter(TTxtXmlHighlighter*, const IXmlNode&) { return false; }
  virtual bool ExportHighlighter(TTxtXmlHighlighter*, const IXmlNode&) { return false; }

 protected:
  // The document's text before it is parsed, and after it is written (versions 1.x rewrite it).
  virtual AnsiString BeforeImport(const AnsiString& Text) const { return Text; }
  virtual AnsiString AfterExport(const AnsiString& Text) const { return Text; }
  // A range element at nesting level Depth; levels deeper than MaxRangeDepth are refused, so
  // that no file can exhaust the stack.
  virtual bool ReadRange(TTxtRange*, const IXmlNode&, int) { return false; }
  static constexpr int MaxRangeDepth = 256;
  void CheckDepth(int Depth) const;
  // Reads the children of Node named as this version names ranges, keyword lists and sets into
  // new sub-rules of Range, in document order; other children are passed over.
  void ReadSubRules(TTxtRange* Range, const IXmlNode& Node, const char* RangeName, const char* KeyListName, int Depth);
};

class TTxtXmlFormatNativeXml20 : public TTxtXmlFormatNativeXml {
 public:
  static TTxtXmlFormatNativeXml20& Instance();
  const char* ClassName() const override { return "TTxtXmlFormatNativeXml20"; }
  bool ImportInfo(TTxtInfo* Info, const IXmlNode& Node) override;
  bool ExportInfo(TTxtInfo* Info, const IXmlNode& Node) override;
  bool ImportEditorProperties(TEditorProperties* Props, const IXmlNode& Node) override;
  bool ExportEditorProperties(TEditorProperties* Props, const IXmlNode& Node) override;
  bool ImportAttributes(TTxtAttributes* Attributes, const IXmlNode& Node) override;
  bool ExportAttributes(TTxtAttributes* Attributes, const IXmlNode& Node) override;
  bool ImportSchemes(TTxtXmlSchemes* Schemes, const IXmlNode& Node) override;
  bool ExportSchemes(TTxtXmlSchemes* Schemes, const IXmlNode& Node) override;
  bool ImportToken(TTxtMultiToken* Token, const IXmlNode& Node) override;
  bool ExportToken(TTxtMultiToken* Token, const IXmlNode& Node) override;
  bool ImportKeyList(TTxtKeyList* KeyList, const IXmlNode& Node) override;
  bool ExportKeyList(TTxtKeyList* KeyList, const IXmlNode& Node) override;
  bool ImportSet(TTxtSet* Set, const IXmlNode& Node) override;
  bool ExportSet(TTxtSet* Set, const IXmlNode& Node) override;
  bool ExportRange(TTxtRange* Range, const IXmlNode& Node) override;
  bool ImportHighlighter(TTxtXmlHighlighter* Highlighter, const IXmlNode& Node) override;
  bool ExportHighlighter(TTxtXmlHighlighter* Highlighter, const IXmlNode& Node) override;

 protected:
  bool ReadRange(TTxtRange* Range, const IXmlNode& Node, int Depth) override;
  void WriteToken(TTxtMultiToken* Token, const IXmlNode& Node, BreakType Resolved);
};

// Chooses the version by the start of the input and the exporter by the highlighter's
// FormatVersion.
class TTxtXmlFormatNativeXmlAuto : public TTxtXmlFormat {
 public:
  static TTxtXmlFormatNativeXmlAuto& Instance();
  const char* ClassName() const override { return "TTxtXmlFormatNativeXmlAuto"; }
  bool ImportFromStream(TObject* Object, TStream* Stream) override;
  bool ExportToStream(TObject* Object, TStream* Stream) override;
  // The format whose files start like Head: a byte-order mark, blanks, declarations and
  // comments before the root element are passed over.
  static TTxtXmlFormatNativeXml& Detect(const AnsiString& Head);
};

// ---- value readers and writers shared by the versions ----
bool ReadBoolAttr(const IXmlNode& Node, const AnsiString& Name, bool Default);
int ReadIntAttr(const IXmlNode& Node, const AnsiString& Name, int Default);
// Empty gives Default; otherwise a colour name or an integer, else EConvertError.
TColor ReadColorText(const AnsiString& Text, TColor Default);
AnsiString BoolText(bool Value);
// How preparing Range decides a break left Unspecified for the first symbol of its open
// (Close false) or close token: Any when the symbol's last byte is a delimiter of the range
// whose parser holds it (the enclosing range for an open symbol, the range itself for a close
// one), else Term.
BreakType ResolvedBreak(const TTxtRange& Range, bool Close);
// Only element children count: comments and texts between them carry no rules.
template <class F>
void ForEachElement(const IXmlNode& Node, F Visit) {
  TXmlNodeList* list = Node->GetChildList();
  if (!list) return;
  for (int i = 0; i < list->Count(); ++i)
    if (list->RawItem(i)->NodeType() == ELEMENT_NODE) Visit(IXmlNode(list->RawItem(i)));
}
AnsiString JoinLines(const TStringList& Lines);
