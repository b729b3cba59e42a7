// TxtXmlFormat18: scheme files of version 1.8. Values are attributes; a rule's colours, parent
// flags and font style are packed into one attribute; one symbol pair per range; no colour
// schemes, editor colours or custom data.
#pragma once

#include "highlighting/TxtXmlFormat.h"

class TTxtXmlFormatNativeXml18 : public TTxtXmlFormatNativeXml {
 public:
  static TTxtXmlFormatNativeXml18& Instance();
  const char* ClassName() const override { return "TTxtXmlFormatNativeXml18"; }
  bool ImportInfo(TTxtInfo* Info, const IXmlNode& Node) override;
  bool ExportInfo(TTxtInfo* Info, const IXmlNode& Node) override;
  bool ImportEditorProperties(TEditorProperties*, const IXmlNode&) override { return true; }
  bool ExportEditorProperties(TEditorProperties*, const IXmlNode&) override { return true; }
  bool ImportAttributes(TTxtAttributes* Attributes, const IXmlNode& Node) override;
  bool ExportAttributes(TTxtAttributes* Attributes, const IXmlNode& Node) override;
  bool ImportSchemes(TTxtXmlSchemes*, const IXmlNode&) override { return true; }
  bool ExportSchemes(TTxtXmlSchemes*, const IXmlNode&) override { return true; }
  bool ImportKeyList(TTxtKeyList* KeyList, const IXmlNode& Node) override;
  bool ExportKeyList(TTxtKeyList* KeyList, const IXmlNode& Node) override;
  bool ImportSet(TTxtSet* Set, const IXmlNode& Node) override;
  bool ExportSet(TTxtSet* Set, const IXmlNode& Node) override;
  bool ExportRange(TTxtRange* Range, const IXmlNode& Node) override;
  bool ImportHighlighter(TTxtXmlHighlighter* Highlighter, const IXmlNode& Node) override;
  bool ExportHighlighter(TTxtXmlHighlighter* Highlighter, const IXmlNode& Node) override;

  // The three per-token attributes Prefix + "FinishOnEol", "StartLine" and "PartOfTerm".
  static void ImportTokenAttributes(TTxtMultiToken* Token, const IXmlNode& Rule, const AnsiString& Prefix);
  // Resolved: how the range decides the token's break when it is left Unspecified.
  static void ExportTokenAttributes(TTxtMultiToken* Token, const IXmlNode& Rule, const AnsiString& Prefix,
                                    BreakType Resolved = BreakType::Any);

  // The packed colour text "fg,bg;pf:pb.style" read into Attributes, and written from it.
  static void UnpackAttributes(const AnsiString& Text, TTxtAttributes* Attributes);
  static AnsiString PackAttributes(const TTxtAttributes* Attributes);

 protected:
  AnsiString BeforeImport(const AnsiString& Text) const override;
  AnsiString AfterExport(const AnsiString& Text) const override;
  bool ReadRange(TTxtRange* Range, const IXmlNode& Node, int Depth) override;
};

// The declaration-less 1.x text as the parser takes it: lines ended by CR LF, the 1251
// declaration first (a byte-order mark dropped).
AnsiString PrepareOldSchemeText(const AnsiString& Text);
// The written document as a 1.x file: no declaration, "Txt" gone from the root's name, lines
// ended by CR LF.
AnsiString FinishOldSchemeText(const AnsiString& Text);
// Appends child Name holding Text; a text of bytes 1-32 only, and every CR and LF, are written
// as references, which neither the parser nor the line passes change.
IXmlNode AppendTextElement(const IXmlNode& Parent, const AnsiString& Name, const AnsiString& Text);
// History and Sample: one child element per line, or the filler text when there are none.
void ExportLines(const IXmlNode& Node, const AnsiString& Text, const AnsiString& ChildName, const AnsiString& Filler);
AnsiString ImportLines(const IXmlNode& Node);
