// Scheme information, rule colours, colour schemes and the shared text forms of scheme files.
#include "highlighting/TxtXmlSchemes.h"

#include "framework/Conversions.h"
#include "framework/StrRoutines.h"

HV_PUBLISH(TTxtInfo) {}
HV_PUBLISH(TTxtAttributes) {}
HV_PUBLISH(TEditorProperties) {}
HV_PUBLISH(TTxtScheme) {}
HV_PUBLISH(TTxtXmlSchemes) {}

void TTxtInfo::Clear() {
  Author = {};
  General = {};
}

void TTxtAttributes::AssignAttributes(const TTxtAttributes* Source) {
  Assign(const_cast<TTxtAttributes*>(Source));
  ParentForeground = Source->ParentForeground;
  ParentBackground = Source->ParentBackground;
}

TTxtAttributes* TTxtScheme::AddStyle(const AnsiString& AName, TColor Foreground, TColor Background,
                                     TFontStyles FontStyle) {
  auto style = std::make_unique<TTxtAttributes>(AName);
  style->SetForeground(Foreground);
  style->SetBackground(Background);
  style->SetStyle(FontStyle);
  styles_.push_back(std::move(style));
  return styles_.back().get();
}

TTxtAttributes* TTxtScheme::FindStyle(const AnsiString& AName) const {
  for (const auto& s : styles_)
    if (s->Name() == AName) return s.get();
  return nullptr;
}

TTxtXmlSchemes::TTxtXmlSchemes() { AddScheme("Default"); }

TTxtScheme* TTxtXmlSchemes::FindScheme(const AnsiString& AName) const {
  for (const auto& s : schemes_)
    if (s->Name == AName) return s.get();
  return nullptr;
}

TTxtScheme* TTxtXmlSchemes::AddScheme(const AnsiString& AName) {
  schemes_.push_back(std::make_unique<TTxtScheme>(AName));
  return schemes_.back().get();
}

AnsiString FontStyleToStr(TFontStyles Style) {
  AnsiString s;
  if (Style.Contains(fsBold)) s += 'B';
  if (Style.Contains(fsItalic)) s += 'I';
  if (Style.Contains(fsUnderline)) s += 'U';
  if (Style.Contains(fsStrikeOut)) s += 'S';
  return s;
}

TFontStyles StrToFontStyle(const AnsiString& Text) {
  TFontStyles style;
  if (Text.find('B') != AnsiString::npos) style.Include(fsBold);
  if (Text.find('I') != AnsiString::npos) style.Include(fsItalic);
  if (Text.find('U') != AnsiString::npos) style.Include(fsUnderline);
  if (Text.find('S') != AnsiString::npos) style.Include(fsStrikeOut);
  return style;
}

AnsiString StartLineToStr(StartLine Value) {
  switch (Value) {
    case StartLine::FirstColumn: return "True";
    case StartLine::FirstNonBlank: return "NonSpace";
    default: return AnsiString();
  }
}

StartLine StrToStartLine(const AnsiString& Text) {
  if (Text == "True" || Text == "First") return StartLine::FirstColumn;
  if (Text == "NonSpace") return StartLine::FirstNonBlank;
  return StartLine::Anywhere;
}

StartType StrToStartType(const AnsiString& Text) {
  if (Text == "True" || Text == "Left" || Text.empty()) return StartType::Any;
  if (Text == "Right" || Text == "False") return StartType::Term;
  return StartType::Unspecified;
}

BreakType StrToBreakType(const AnsiString& Text) {
  if (Text == "True" || Text == "Right" || Text.empty()) return BreakType::Any;
  if (Text == "Left" || Text == "False") return BreakType::Term;
  return BreakType::Unspecified;
}

AnsiString PartOfTermToStr(StartType Start, BreakType Break, BreakType Resolved) {
  // Only a start of Any lets a symbol begin inside a word: Unspecified behaves as Term.
  const bool anyStart = Start == StartType::Any;
  if (Break == BreakType::Unspecified) {
    if (!anyStart) return "Both";
    Break = Resolved == BreakType::Term ? BreakType::Term : BreakType::Any;
  }
  if (anyStart) return Break == BreakType::Term ? "Left" : AnsiString();
  return Break == BreakType::Term ? "False" : "Right";
}

AnsiString CharSetToStr(const TTxtCharSet& Set, bool KeepBlanks) {
  AnsiString s;
  for (int c = 1; c < 256; ++c) {
    if (!KeepBlanks && (c == 9 || c == 10 || c == 13 || c == 32)) continue;
    if (Set.Contains(static_cast<unsigned char>(c))) s += static_cast<char>(c);
  }
  return s;
}

TTxtCharSet StrToCharSet(const AnsiString& Text) {
  TTxtCharSet set;
  for (char c : Text)
    if (c) set.Include(static_cast<unsigned char>(c));
  return set;
}

bool StrToSchemeBool(const AnsiString& Text, bool Default) {
  if (SameText(Text, "True")) return true;
  if (SameText(Text, "False")) return false;
  int n = 0;
  if (TryStrToInt(Text, n)) return n != 0;
  return Default;
}
