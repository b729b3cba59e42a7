// TxtXmlFormat15: scheme files of version 1.5, the oldest layout. Values are the texts of child
// elements, the double quote is stored as "&qt;", and no empty element is written short.
#pragma once

#include "highlighting/TxtXmlFormat.h"

class TTxtXmlFormatNativeXml15 : public TTxtXmlFormatNativeXml {
 public:
  static TTxtXmlFormatNativeXml15& Instance();
  const char* ClassName() const override { return "TTxtXmlFormatNativeXml15"; }
  bool ImportInfo(TTxtInfo* Info, const IXmlNode& Node) override;
  bool ExportInfo(TTxtInfo* Info, const IXmlNode& Node) override;
  bool ImportEditorProperties(TEditorProperties*, const IXmlNode&) override { return true; }
  bool ExportEditorProperties(TEditorProperties*, const IXmlNode&) override { return true; }
  bool ImportAttributes(TTxtAttributes* Attributes, const IXmlNode& Node) override;
  bool ExportAttributes(TTxtAttributes* Attributes, const IXmlNode& Node) override;
  bool ImportSchemes(TTxtXmlSchemes*, const IXmlNode&) override { return true; }
  bool ExportSchemes(TTxtXmlSchemes* Schemes, const IXmlNode& Node) override;
  bool ImportKeyList(TTxtKeyList* KeyList, const IXmlNode& Node) override;
  bool ExportKeyList(TTxtKeyList* KeyList, const IXmlNode& Node) override;
  bool ImportSet(TTxtSet* Set, const IXmlNode& Node) override;
  bool ExportSet(TTxtSet* Set, const IXmlNode& Node) override;
  bool ExportRange(TTxtRange* Range, const IXmlNode& Node) override;
  bool ImportHighlighter(TTxtXmlHighlighter* Highlighter, const IXmlNode& Node) override;
  bool ExportHighlighter(TTxtXmlHighlighter* Highlighter, const IXmlNode& Node) override;

  static void ImportTokenAttributes(TTxtMultiToken* Token, const IXmlNode& Range, const AnsiString& Prefix);

 protected:
  AnsiString BeforeImport(const AnsiString& Text) const override;
  AnsiString AfterExport(const AnsiString& Text) const override;
  bool ReadRange(TTxtRange* Range, const IXmlNode& Node, int Depth) override;
};
