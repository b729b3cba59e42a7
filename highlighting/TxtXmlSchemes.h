// TxtXmlSchemes: what a scheme file carries besides its rules (information header, rule colours,
// editor colours, named colour schemes) and the text forms that every scheme format shares.
#pragma once

#include <memory>
#include <vector>

#include "editor/TxtEditHighlighter.h"

HV_DECLARE_EXCEPTION(ETxtSchemeError, Exception);

// Where a symbol may begin on its line.
enum class StartLine : uint8_t { Anywhere, FirstColumn, FirstNonBlank };
// Left side of a symbol: whether it may begin inside a word.
enum class StartType : uint8_t { Unspecified, Any, Term };
// Right side of a symbol: whether it must be followed by a delimiter.
enum class BreakType : uint8_t { Unspecified, Any, Term };

class TTxtInfo : public TObject {
  HV_CLASS(TTxtInfo, TObject)
 public:
  TTxtInfo() = default;
  void Clear();

  struct {
    AnsiString Name, Mail, Web, Copyright, Company, Remark;
  } Author;
  struct {
    AnsiString Name, Extensions;
    int Version = 0;
    int Revision = 0;
    AnsiString History, Sample;
  } General;
};

// A rule's stored colours; the parent flags take a colour from the enclosing rule instead.
class TTxtAttributes : public TTxtHighlighterAttributes {
  HV_CLASS(TTxtAttributes, TTxtHighlighterAttributes)
 public:
  explicit TTxtAttributes(const AnsiString& AName = AnsiString()) : TTxtHighlighterAttributes(AName) {}
  void AssignAttributes(const TTxtAttributes* Source);

  bool ParentForeground = false;
  bool ParentBackground = false;
};

class TEditorProperties : public TObject {
  HV_CLASS(TEditorProperties, TObject)
 public:
  TEditorProperties() = default;
  TColor ActiveLineColor = clNone;
  TColor SelectedForeground = clHighlightText;
  TColor SelectedBackground = clHighlight;
};

class TTxtScheme : public TObject {
  HV_CLASS(TTxtScheme, TObject)
 public:
  explicit TTxtScheme(const AnsiString& AName = AnsiString()) : Name(AName) {}
  TTxtAttributes* AddStyle(const AnsiString& AName, TColor Foreground, TColor Background, TFontStyles FontStyle);
  void Clear() { styles_.clear(); }
  int StyleCount() const { return static_cast<int>(styles_.size()); }
  TTxtAttributes* Styles(int Index) const { return styles_.at(static_cast<size_t>(Index)).get(); }
  // Exact, case-sensitive name; null when there is none.
  TTxtAttributes* FindStyle(const AnsiString& AName) const;

  AnsiString Name;
  TEditorProperties EditorProperties;

 private:
  std::vector<std::unique_ptr<TTxtAttributes>> styles_;
};

class TTxtXmlSchemes : public TObject {
  HV_CLASS(TTxtXmlSchemes, TObject)
 public:
  // Starts with one scheme, "Default".
  TTxtXmlSchemes();
  int Count() const { return static_cast<int>(schemes_.size()); }
  TTxtScheme* Schemes(int Index) const { return schemes_.at(static_cast<size_t>(Index)).get(); }
  void Clear() { schemes_.clear(); }
  TTxtScheme* FindScheme(const AnsiString& AName) const;
  TTxtScheme* AddScheme(const AnsiString& AName);

 private:
  std::vector<std::unique_ptr<TTxtScheme>> schemes_;
};

// ---- text forms ----
AnsiString FontStyleToStr(TFontStyles Style);
TFontStyles StrToFontStyle(const AnsiString& Text);
AnsiString StartLineToStr(StartLine Value);
StartLine StrToStartLine(const AnsiString& Text);
StartType StrToStartType(const AnsiString& Text);
BreakType StrToBreakType(const AnsiString& Text);
// The text that reads back as a pair that colours the same; empty for (Any, Any), where the
// attribute is left out. A start other than Any acts as Term; a break left Unspecified is
// decided per symbol from the delimiters when the range is prepared: after a start that is not
// Any it is written as "Both" (Unspecified on both sides), after Any as Resolved, the decision
// for the token's symbols (see ResolvedBreak).
AnsiString PartOfTermToStr(StartType Start, BreakType Break, BreakType Resolved = BreakType::Any);
// The member bytes 1-255 in ascending order; TAB, LF, CR and space only when KeepBlanks is set.
AnsiString CharSetToStr(const TTxtCharSet& Set, bool KeepBlanks);
// The set of the text's bytes; NUL never becomes a member (it ends every line).
TTxtCharSet StrToCharSet(const AnsiString& Text);
// "True"/"False" in any letter case or a number; Default for anything else.
bool StrToSchemeBool(const AnsiString& Text, bool Default);
