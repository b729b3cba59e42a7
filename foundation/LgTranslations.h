// Translation files ("*.lng"): the reader of their lines, sections, constants and escapes, the
// loaded translation object, and the constants resource of the program ("LGLANG_CONSTS").
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/UcStringLists.h"
#include "framework/Exceptions.h"
#include "framework/Types.h"
#include "framework/Win.h"

HV_DECLARE_EXCEPTION(ELgLangError, Exception);

// Comparison of names that ignores the case of ASCII letters only (names are identifiers).
int LgCompareNames(const AnsiString& A, const AnsiString& B);

// The inverse pair of a translation value's escapes: "\\", "\n" (CR LF), "\t" and "\" with two
// decimal digits. Unescaping leaves any other backslash as it stands.
WideString LgUnescape(const WideString& S);
// A tab becomes "\t"; CR, LF, CR LF and LF CR each one "\n"; "\" doubled; other controls "\NN".
// Exact keeps every value as it is once read back: only CR LF becomes "\n", lone CR and LF
// become "\13" and "\10", and blanks at either end "\32".
WideString LgEscape(const WideString& S, bool Exact = false);

struct TLgLang_Constant {
  AnsiString Name;
  WideString Value;     // current
  WideString DefValue;  // as designed
};

// Translatable constants, sorted by name without regard to ASCII letter case.
class TLgLang_Constants {
 public:
  static constexpr uint8_t StreamVersion = 2;

  void Clear() { items_.clear(); }
  int Count() const { return static_cast<int>(items_.size()); }
  const TLgLang_Constant& Items(int Index) const { return items_.at(static_cast<size_t>(Index)); }
  // Raises ELgLangError "Invalid constant name ("%s")" or "Duplicate constant name ("%s")".
  void Add(const AnsiString& Name, const WideString& Value);
  bool Find(const AnsiString& Name, int& Index) const;
  const TLgLang_Constant* FindConstant(const AnsiString& Name) const;
  // Without Other every value goes back to its designed one; else the constants Other holds
  // take its values and the others keep theirs.
  void TranslateFrom(const TLgLang_Constants* Other);

  // The language whose code page converts the 8-bit values of old resources.
  LANGID LanguageID() const { return languageID_; }
  void SetLanguageID(LANGID Value) { languageID_ = Value; }
  bool AutoSaveLangSource() const { return autoSave_; }
  void SetAutoSaveLangSource(bool Value) { autoSave_ = Value; }

  // The resource layout, versions 0 to 2; the list is cleared first.
  void LoadFromStream(TStream& Stream);
  // Always the newest version.
  void SaveToStream(TStream& Stream) const;
  // "Name=escaped value" per constant.
  std::vector<WideString> LangSourceLines() const;

 private:
  std::vector<TLgLang_Constant> items_;
  LANGID languageID_ = 1033;
  bool autoSave_ = true;
};

static constexpr const char* LgConstantsSectionName = "$CONSTANTS";

// Reads the named RCDATA resource of Instance into Constants; false when it does not exist.
bool LoadConstantsFromResource(TLgLang_Constants& Constants, HINSTANCE Instance,
                               const wchar_t* Name = L"LGLANG_CONSTS");

struct TLgLang_PropValueTranslation {
  int32_t ID;
  WideString Value;
};

// The texts of one section, sorted by ID.
class TLgLang_CompTranslation {
 public:
  explicit TLgLang_CompTranslation(const AnsiString& Name) : name_(Name) {}
  const AnsiString& Name() const { return name_; }
  int Count() const { return static_cast<int>(items_.size()); }
  const TLgLang_PropValueTranslation& Items(int Index) const { return items_.at(static_cast<size_t>(Index)); }
  // Raises ELgLangError "Duplicate property value translation ID (%d)".
  void Add(int32_t ID, const WideString& Value);
  // The text of ID, or null.
  const WideString* Find(int32_t ID) const;

 private:
  AnsiString name_;
  std::vector<TLgLang_PropValueTranslation> items_;
};

// A loaded translation: the file's parameters, its constants and its sections.
class TLgLang_CompTranslations {
 public:
  TLgLang_CompTranslations();
  TUcStringList& Params() { return *params_; }
  TLgLang_Constants& Constants() { return constants_; }
  int Count() const { return static_cast<int>(sections_.size()); }
  TLgLang_CompTranslation& Items(int Index) const { return *sections_.at(static_cast<size_t>(Index)); }
  // Section names are compared without regard to ASCII letter case; null when absent.
  TLgLang_CompTranslation* Find(const AnsiString& Name) const;
  TLgLang_CompTranslation& FindOrAdd(const AnsiString& Name);
  // The parameter "LANGID" as a decimal number; Default when missing or not a number.
  int LangID(int Default = 0) const;

 private:
  std::unique_ptr<TUcStringList> params_;
  TLgLang_Constants constants_;
  std::vector<std::unique_ptr<TLgLang_CompTranslation>> sections_;
};

// Reads a translation from the stream's start. With ParamsOnly reading stops at the first
// section. Errors are ELgLangError "Loading translations failed.\r\nLine %d: %s", the line
// counted from 0.
void LoadTranslationStream(TLgLang_CompTranslations& Translations, TStream& Stream, bool ParamsOnly);
// Opens the file for reading, denying writes to others.
void LoadTranslationFile(TLgLang_CompTranslations& Translations, const WideString& FileName, bool ParamsOnly);
void LoadTranslationResource(TLgLang_CompTranslations& Translations, HINSTANCE Instance, const WideString& Name,
                             bool ParamsOnly);
void LoadTranslationResource(TLgLang_CompTranslations& Translations, HINSTANCE Instance, int Number, bool ParamsOnly);

// The text of a translation file (to be saved as UTF-16 LE with its mark): the parameters,
// each section with eight-digit ids, then the constants; values are escaped exactly.
WideString LgTranslationText(TLgLang_CompTranslations& Translations);

// A decimal number that fits in 32 bits, after an optional sign (leading zeros allowed);
// false for anything else.
bool LgTryStrToInt(const WideString& S, int& Value);
