// String routines of the framework: trimming, casing, comparison, quoting, searching and
// replacing, for 8-bit ANSI strings and, where the user interface needs them, wide strings.
// Positions are 1-based (0 means "not found"), as in the rest of the framework's string API.
#pragma once

#include <string_view>
#include <vector>

#include "framework/Sets.h"
#include "framework/Types.h"

// ---- trimming: every character up to and including the blank (control characters too) ----
AnsiString Trim(const AnsiString& s);
AnsiString TrimLeft(const AnsiString& s);
AnsiString TrimRight(const AnsiString& s);
WideString Trim(const WideString& s);
WideString TrimLeft(const WideString& s);
WideString TrimRight(const WideString& s);
inline WideString WideTrim(const WideString& s) { return Trim(s); }
inline WideString WideTrimLeft(const WideString& s) { return TrimLeft(s); }
inline WideString WideTrimRight(const WideString& s) { return TrimRight(s); }

// ---- casing ----
// ASCII letters only: the result never depends on the locale.
AnsiString UpperCase(const AnsiString& s);
AnsiString LowerCase(const AnsiString& s);
// The system's casing of the ANSI code page (accented letters too).
AnsiString AnsiUpperCase(const AnsiString& s);
AnsiString AnsiLowerCase(const AnsiString& s);
WideString WideUpperCase(const WideString& s);
WideString WideLowerCase(const WideString& s);

// ---- comparison: < 0, 0 or > 0 ----
// Ordinal, byte by byte.
int CompareStr(std::string_view a, std::string_view b);
// Ordinal after folding ASCII letters to upper case (names, identifiers, keys).
int CompareText(std::string_view a, std::string_view b);
bool SameText(std::string_view a, std::string_view b);
// The user locale's collation; ordinal when the system cannot compare the strings.
int AnsiCompareStr(const AnsiString& a, const AnsiString& b);
int AnsiCompareText(const AnsiString& a, const AnsiString& b);
bool AnsiSameStr(const AnsiString& a, const AnsiString& b);
bool AnsiSameText(const AnsiString& a, const AnsiString& b);
int WideCompareStr(const WideString& a, const WideString& b);
int WideCompareText(const WideString& a, const WideString& b);
bool WideSameStr(const WideString& a, const WideString& b);
bool WideSameText(const WideString& a, const WideString& b);

// ---- quoting ----
// The text between single quotes, inner quotes doubled.
AnsiString QuotedStr(const AnsiString& s);
AnsiString AnsiQuotedStr(const AnsiString& s, char quote);
WideString WideQuotedStr(const WideString& s, wchar_t quote);
// Reads a quoted token at src: when src starts with the quote, returns the text up to the
// closing quote (doubled quotes give one) and leaves src just after it, or at the end when the
// closing quote is missing. Otherwise returns "" and leaves src where it is. Double-byte
// characters of the ANSI code page are stepped over whole.
AnsiString AnsiExtractQuotedStr(const char*& src, char quote);
// The unquoted text when s is exactly one quoted token; s itself otherwise (so text after the
// closing quote, or a string that merely starts with a quote, is never cut off).
AnsiString AnsiDequotedStr(const AnsiString& s, char quote);

// ---- searching and replacing ----
HV_ENUM(TReplaceFlag, rfReplaceAll, rfIgnoreCase)
using TReplaceFlags = TSet<TReplaceFlag>;

AnsiString StringReplace(const AnsiString& s, const AnsiString& oldPattern, const AnsiString& newPattern,
                         TReplaceFlags flags = {});
WideString StringReplace(const WideString& s, const WideString& oldPattern, const WideString& newPattern,
                         TReplaceFlags flags = {});
inline WideString WideStringReplace(const WideString& s, const WideString& oldPattern, const WideString& newPattern,
                                    TReplaceFlags flags = {}) {
  return StringReplace(s, oldPattern, newPattern, flags);
}
// 1-based position of the first occurrence of sub in s (from offset on for PosEx); 0 when it
// does not occur, when sub is empty or when offset lies outside s.
int Pos(const AnsiString& sub, const AnsiString& s);
int Pos(const WideString& sub, const WideString& s);
int PosEx(const AnsiString& sub, const AnsiString& s, int offset = 1);
int PosEx(const WideString& sub, const WideString& s, int offset = 1);

AnsiString StringOfChar(char ch, int count);
WideString StringOfChar(wchar_t ch, int count);
// 1-based position of the last character of s that is one of delimiters; 0 when none is.
int LastDelimiter(const AnsiString& delimiters, const AnsiString& s);
int LastDelimiter(const WideString& delimiters, const WideString& s);
// Whether the character at the 1-based index is one of delimiters (false outside s).
bool IsDelimiter(const AnsiString& delimiters, const AnsiString& s, int index);
bool IsDelimiter(const WideString& delimiters, const WideString& s, int index);

// ---- line breaks ----
HV_ENUM(TTextLineBreakStyle, tlbsLF, tlbsCRLF)
// Every CR LF, lone CR and lone LF becomes the style's line break.
AnsiString AdjustLineBreaks(const AnsiString& s, TTextLineBreakStyle style = tlbsCRLF);
// Lines split at CR, LF or CR LF, without a last empty line.
std::vector<AnsiString> SplitLines(const AnsiString& Text);
WideString AdjustLineBreaks(const WideString& s, TTextLineBreakStyle style = tlbsCRLF);
