// The application's text routines that need no window.
#include "app/TextRoutines.h"

#include "framework/Win.h"

#include "foundation/ApStrHolder.h"
#include "foundation/LgLanguage.h"
#include "framework/CodePages.h"
#include "framework/Conversions.h"
#include "framework/Mnemonics.h"
#include "framework/StrRoutines.h"

const char* const DeviceNames[24] = {"CON",  "PRN",  "AUX",  "NUL",  "COM0", "COM1", "COM2", "COM3",
                                     "COM4", "COM5", "COM6", "COM7", "COM8", "COM9", "LPT0", "LPT1",
                                     "LPT2", "LPT3", "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9"};

bool IsURLChar(unsigned char Ch) {
  if ((Ch >= '0' && Ch <= '9') || (Ch >= 'A' && Ch <= 'Z') || (Ch >= 'a' && Ch <= 'z')) return true;
  if (Ch == 0xA8 || Ch == 0xB8 || Ch >= 0xC0) return true;
  return std::string_view("#%&'+-./:=?@_~").find(static_cast<char>(Ch)) != std::string_view::npos;
}

namespace {

bool IsBlank(char Ch) { return Ch == 9 || Ch == 10 || Ch == 11 || Ch == 12 || Ch == 13 || Ch == 32; }
bool IsSentenceEnd(char Ch) { return Ch == '!' || Ch == '.' || Ch == ':' || Ch == ';' || Ch == '?'; }

bool StartsWith(std::string_view S, std::string_view Prefix) { return S.substr(0, Prefix.size()) == Prefix; }

AnsiString LowerText(std::string_view S) {
  AnsiString r(S);
  for (char& c : r) c = CharToLower(c);
  return r;
}

}  // namespace

// ---- names ----

AnsiString MakeValidFileName(std::string_view Text) {
  AnsiString stem;
  for (char c : Text.substr(0, 205)) {
    if (CharIsAlpha(c) || CharIsDigit(c) || c == ' ') {
      stem += c;
    } else if (!stem.empty()) {
      break;
    }
  }
  return Trim(stem);
}

AnsiString AvoidDeviceName(const AnsiString& Name) {
  const AnsiString lower = AnsiLowerCase(Name);
  for (const char* device : DeviceNames) {
    if (lower == AnsiLowerCase(device)) return Name + "1";
  }
  return Name;
}

AnsiString NameFromText(const AnsiString& Text, int Mode) {
  TTxtEditStringList lines;
  lines.SetText(Text);
  const int count = std::min(lines.Count(), 255);
  AnsiString result;
  for (int i = 0; i < count; ++i) {
    if (Mode == 0) {
      const AnsiString stem = MakeValidFileName(lines[i]);
      if (!stem.empty()) return AvoidDeviceName(stem);
      continue;
    }
    const AnsiString line = Trim(lines[i]);
    if (line.empty()) continue;
    if (i >= 5) return result + line;
    result += line + " ";
  }
  return result;
}

// ---- text transforms ----

AnsiString CollapseSpaces(std::string_view S) {
  AnsiString r;
  r.reserve(S.size());
  for (char c : S) {
    if (c == ' ' && !r.empty() && r.back() == ' ') continue;
    r += c;
  }
  return r;
}

AnsiString SentenceCase(std::string_view S) {
  AnsiString r = LowerText(S);
  const size_t len = r.size();
  size_t i = 0;  // 0-based: the byte looked at
  while (i + 1 < len) {
    if (!IsSentenceEnd(r[i])) {
      ++i;
      continue;
    }
    ++i;
    if (!IsBlank(r[i])) {
      ++i;  // the byte right after the sentence end is passed over
      continue;
    }
    while (i < len && IsBlank(r[i])) ++i;
    if (i < len && !CharIsUpper(r[i])) r[i] = CharToUpper(r[i]);
  }
  if (!r.empty()) r[0] = CharToUpper(r[0]);
  return r;
}

AnsiString CapitalizeWords(std::string_view S) {
  AnsiString r = LowerText(S);
  const size_t p = S.find_first_not_of(' ');
  if (p == std::string_view::npos) return r;
  r[p] = CharToUpper(r[p]);
  for (size_t i = p; i + 1 < S.size(); ++i) {
    if (S[i] == ' ' && S[i + 1] != ' ') r[i + 1] = CharToUpper(r[i + 1]);
  }
  return r;
}

AnsiString ToggleCase(std::string_view S) {
  AnsiString r(S);
  for (char& c : r) c = CharIsLower(c) ? CharToUpper(c) : CharToLower(c);
  return r;
}

AnsiString JoinLinesText(std::string_view Text, TTxtEditLineBreakFormat BreakStyle) {
  const char spaced = BreakStyle == lbfLF ? '\n' : '\r';
  const char dropped = BreakStyle == lbfLF ? '\r' : '\n';
  AnsiString r;
  r.reserve(Text.size());
  for (char c : Text) {
    if (c == spaced) {
      r += ' ';
    } else if (c != dropped) {
      r += c;
    }
  }
  return r;
}

bool IsLogFile(std::string_view FirstLine) { return StartsWith(FirstLine, ".LOG"); }

bool IsURL(std::string_view S) {
  if (S.size() < 2 || S.size() > 3072) return false;
  const AnsiString lower = LowerText(S);
  for (const char* prefix : {"http://", "ftp://", "https://", "www.", "mailto:"}) {
    if (StartsWith(lower, prefix)) return true;
  }
  return false;
}

AnsiString ShellLinkTarget(std::string_view S) {
  if (!IsURL(S)) return AnsiString();
  // Quotes, blanks and control bytes never belong to an address; they would let the text be
  // read as a command line or a file name.
  for (unsigned char c : S) {
    if (c <= ' ' || c == '"' || c == 127) return AnsiString();
  }
  const AnsiString lower = LowerText(S);
  if (StartsWith(lower, "www.")) return lower.size() > 4 ? "http://" + AnsiString(S) : AnsiString();
  for (const char* scheme : {"http://", "https://", "ftp://", "mailto:"}) {
    if (StartsWith(lower, scheme) && lower.size() > std::char_traits<char>::length(scheme)) return AnsiString(S);
  }
  return AnsiString();
}

bool IsInteger(const AnsiString& S) {
  constexpr int marker = static_cast<int>(0x80000001u);
  return StrToIntDef(S, marker) != marker;
}

int ExtractInteger(std::string_view S) {
  AnsiString digits;
  for (char c : S) {
    if (CharIsDigit(c)) digits += c;
  }
  if (digits.empty() || !IsInteger(digits)) return -1;
  return StrToIntDef(digits, -1);
}

AnsiString LettersAndDigits(std::string_view S) {
  AnsiString r;
  for (char c : S) {
    if (CharIsAlpha(c) || CharIsDigit(c)) r += c;
  }
  return r;
}

AnsiString FormatThousands(int Value, char Separator) {
  const long long value = Value;
  const AnsiString digits = IntToStr(value < 0 ? -value : value);
  AnsiString r = Value < 0 ? "-" : "";
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) r += Separator;
    r += digits[i];
  }
  return r;
}

AnsiString EscapeAmpersands(const AnsiString& S, bool Escape) {
  return Escape ? EscapeAmpersands(S) : UnescapeAmpersands(S);
}

void SplitString(std::string_view S, char Delimiter, TStrings* List) {
  List->Clear();
  size_t start = 0;
  while (start < S.size()) {
    const size_t at = S.find(Delimiter, start);
    if (at == std::string_view::npos) {
      List->Add(AnsiString(S.substr(start)));
      break;
    }
    List->Add(AnsiString(S.substr(start, at - start)));
    start = at + 1;
  }
}

void SplitStringAll(std::string_view S, char Delimiter, TStrings* List) {
  List->BeginUpdate();
  try {
    List->Clear();
    size_t start = 0;
    for (;;) {
      const size_t at = S.find(Delimiter, start);
      if (at == std::string_view::npos) break;
      List->Add(AnsiString(S.substr(start, at - start)));
      start = at + 1;
    }
    List->Add(AnsiString(S.substr(start)));
  } catch (...) {
    List->EndUpdate();
    throw;
  }
  List->EndUpdate();
}

AnsiString GetHolderString(TApMultiStringHolder* Holder, const AnsiString& Name) {
  TStrings* lines = Holder->GetStringsByName(Name);
  AnsiString r;
  for (int i = 0; i < lines->Count(); ++i) {
    if (i > 0) r += "\r\n";
    r += (*lines)[i];
  }
  return r;
}

WideString GetHolderText(TApMultiStringHolder* Holder, const AnsiString& Name) {
  return AnsiToWide(GetHolderString(Holder, Name), LangManager().CodePage());
}

std::vector<WideString> GetHolderTexts(TApMultiStringHolder* Holder, const AnsiString& Name) {
  TStrings* lines = Holder->GetStringsByName(Name);
  std::vector<WideString> texts;
  for (int i = 0; i < lines->Count(); ++i) texts.push_back(AnsiToWide((*lines)[i], LangManager().CodePage()));
  return texts;
}

// ---- translated formats ----

namespace {

struct TEnglishFormat {
  const char* Name;
  const wchar_t* Text;
};

const TEnglishFormat englishFormats[] = {
    {"sDocument", L"Document %d"},
    {"sLineColumn", L"Ln %d, col %d"},
    {"sOnTheInternet", L"%s on the Internet"},
    {"sAccessToFileDenied", L"Access to file \x201C%s\x201D denied. Contact the administrator to obtain permission."},
    {"sANewVersion", L"A new version is available \x2014 %s. Would you like to open a download page?"},
    {"sYouAreUsing", L"You are using the latest version of %s."},
    {"sCharCode", L"Char code: %d (0x%x)"},
    {"sShortcutKeys", L"Shortcut keys: Alt+0%d"},
    {"sPageOf", L"of %d"},
    {"sNumber", L"%s number:"},
    {"sBadExpression", L"Error in the regular expression: %s"},
    {"sSettingsFileKept",
     L"The settings file \x201C%s\x201D held text that could not be kept as it is. It was kept whole "
     L"as \x201C%s\x201D, and the settings read from it were written anew."},
    {"sSettingsFileUnreadable",
     L"The settings file \x201C%s\x201D could not be read. The program starts with its "
     L"default settings; once the file can be read, it keeps the settings in the file and writes "
     L"only the changes made in this run."},
    {"sLossyOpen",
     L"The file \x201C%s\x201D holds characters that the system's code page cannot show; they were "
     L"replaced. Saving the file would lose them."},
    {"sForeignCodePage",
     L"The file \x201C%s\x201D is Cyrillic text that the system's code page cannot show; its "
     L"letters appear as other characters. Saving it in its own encoding keeps them."},
    {"sMixedLineBreaks",
     L"The lines of \x201C%s\x201D do not all end in the same line break. Saving makes them all "
     L"the same in the file. Save anyway?"},
    {"sSettingsNotSaved", L"The settings could not be saved to \x201C%s\x201D."},
    {"sUnkeptCharacters",
     L"\x201C%s\x201D holds characters that %s has no place for: %s. Saving in this encoding "
     L"writes other characters in their place.\r\n\r\nSave anyway? (No chooses another "
     L"encoding.)"},
};

}  // namespace

WideString EnglishFormat(const AnsiString& Name) {
  for (const TEnglishFormat& f : englishFormats)
    if (Name == f.Name) return f.Text;
  return WideString();
}

std::vector<AnsiString> EnglishFormatNames() {
  std::vector<AnsiString> names;
  for (const TEnglishFormat& f : englishFormats) names.push_back(f.Name);
  return names;
}

WideString FormatTranslated(const WideString& Translated, const AnsiString& Name,
                            std::initializer_list<TFormatArg> Args) {
  try {
    if (!Translated.empty()) return WideFormatArgs(Translated, Args);
  } catch (const Exception&) {}
  const WideString english = EnglishFormat(Name);
  try {
    if (!english.empty()) return WideFormatArgs(english, Args);
  } catch (const Exception&) {}
  // Only a caller that names no format, or passes arguments the English text does not take,
  // gets here.
  return Translated;
}

WideString FormatHolderText(TApMultiStringHolder* Holder, const AnsiString& Name,
                            std::initializer_list<TFormatArg> Args) {
  return FormatTranslated(GetHolderText(Holder, Name), Name, Args);
}

// ---- lists and history ----

namespace {

template <class L, class S>
int indexOfExact(L* List, const S& Text) {
  for (int i = 0; i < List->Count(); ++i)
    if (List->Strings(i) == Text) return i;
  return -1;
}

template <class Copy, class L, class S>
void addToHistory(L* Items, const S& Text, int MaxCount) {
  if (Text.empty()) return;
  Copy copy;
  copy.Assign(Items);
  const int at = indexOfExact(&copy, Text);
  if (at >= 0) {
    copy.Move(at, 0);
  } else {
    copy.Insert(0, Text);
  }
  if (copy.Count() > MaxCount && MaxCount >= 0) copy.Delete(MaxCount);
  Items->Assign(&copy);
}

}  // namespace

int IndexOfExact(TStrings* List, const AnsiString& S) { return indexOfExact(List, S); }

int IndexOfExact(TStringsW* List, const WideString& S) { return indexOfExact(List, S); }

void AddToHistory(TStrings* Items, const AnsiString& S, int MaxCount) { addToHistory<TStringList>(Items, S, MaxCount); }

void AddToHistory(TStringsW* Items, const WideString& S, int MaxCount) {
  addToHistory<TStringListW>(Items, S, MaxCount);
}
