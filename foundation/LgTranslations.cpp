// Translation files and translatable constants: reading "*.lng" text, the constants resource,
// and the escapes of translated values.
#include "foundation/LgTranslations.h"

#include <algorithm>

#include "foundation/UcWideSys.h"
#include "framework/CodePages.h"
#include "framework/Format.h"
#include "framework/StrRoutines.h"
#include "framework/Streams.h"

namespace {

char AsciiLower(char C) { return (C >= 'A' && C <= 'Z') ? static_cast<char>(C + 32) : C; }

bool IsIdentStart(char C) { return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || C == '_'; }
bool IsIdentChar(char C) { return IsIdentStart(C) || (C >= '0' && C <= '9'); }

bool IsValidConstantName(const AnsiString& Name) {
  if (Name.empty() || !IsIdentStart(Name[0])) return false;
  return std::all_of(Name.begin() + 1, Name.end(), IsIdentChar);
}

uint8_t ReadByte(TStream& S) {
  uint8_t b = 0;
  S.ReadBuffer(&b, 1);
  return b;
}

int32_t ReadInt32(TStream& S) {
  uint8_t b[4];
  S.ReadBuffer(b, 4);
  return static_cast<int32_t>(b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24));
}

uint16_t ReadWord(TStream& S) {
  uint8_t b[2];
  S.ReadBuffer(b, 2);
  return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

AnsiString ReadShortAnsi(TStream& S) {
  AnsiString s(ReadWord(S), '\0');
  if (!s.empty()) S.ReadBuffer(s.data(), static_cast<int>(s.size()));
  return s;
}

void WriteWord(TStream& S, uint16_t V) {
  const uint8_t b[2] = {static_cast<uint8_t>(V), static_cast<uint8_t>(V >> 8)};
  S.WriteBuffer(b, 2);
}

void WriteInt32(TStream& S, int32_t V) {
  const uint32_t u = static_cast<uint32_t>(V);
  const uint8_t b[4] = {static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8), static_cast<uint8_t>(u >> 16),
                        static_cast<uint8_t>(u >> 24)};
  S.WriteBuffer(b, 4);
}

void WriteShortAnsi(TStream& S, const AnsiString& V) {
  if (V.size() > 0xFFFF) throw ELgLangError("Name too long");
  WriteWord(S, static_cast<uint16_t>(V.size()));
  if (!V.empty()) S.WriteBuffer(V.data(), static_cast<int>(V.size()));
}

// Every character up to the blank is trimmed, as in the classic Trim.
WideString TrimLine(const WideString& S) { return Trim(S); }

// The trimmed text before the first "=" of a line, and the trimmed text after it; false when
// the line has no "=".
bool SplitPair(const WideString& Line, WideString& Name, WideString& Value) {
  const size_t eq = Line.find(L'=');
  if (eq == WideString::npos) return false;
  Name = TrimLine(Line.substr(0, eq));
  Value = TrimLine(Line.substr(eq + 1));
  return true;
}

// The language of the lines as read the first time: the first "LANGID" line anywhere.
int FindLangIdLine(TUcStringList& Lines) {
  for (int i = 0; i < Lines.Count(); ++i) {
    WideString name, value;
    if (!SplitPair(Lines[i], name, value)) continue;
    if (CompareText(WideToAnsi(name), "LANGID") != 0) continue;
    int id = 0;
    return LgTryStrToInt(value, id) ? id : 1033;
  }
  return 1033;
}

}  // namespace

int LgCompareNames(const AnsiString& A, const AnsiString& B) {
  const size_t n = std::min(A.size(), B.size());
  for (size_t i = 0; i < n; ++i) {
    const auto a = static_cast<unsigned char>(AsciiLower(A[i]));
    const auto b = static_cast<unsigned char>(AsciiLower(B[i]));
    if (a != b) return a < b ? -1 : 1;
  }
  return A.size() == B.size() ? 0 : (A.size() < B.size() ? -1 : 1);
}

bool LgTryStrToInt(const WideString& S, int& Value) {
  size_t i = 0;
  bool negative = false;
  if (i < S.size() && (S[i] == L'+' || S[i] == L'-')) negative = S[i++] == L'-';
  if (i == S.size()) return false;
  int64_t v = 0;
  for (; i < S.size(); ++i) {
    if (S[i] < L'0' || S[i] > L'9') return false;
    v = v * 10 + (S[i] - L'0');
    if (v > 2147483648LL) return false;
  }
  if (negative) v = -v;
  if (v > INT32_MAX) return false;
  Value = static_cast<int>(v);
  return true;
}

WideString LgUnescape(const WideString& S) {
  WideString r;
  r.reserve(S.size());
  for (size_t i = 0; i < S.size(); ++i) {
    const wchar_t c = S[i];
    if (c != L'\\' || i + 1 >= S.size()) {
      r += c;
      continue;
    }
    const wchar_t n = S[i + 1];
    if (n == L'\\') {
      r += L'\\';
      ++i;
    } else if (n == L'n') {
      r += L"\r\n";
      ++i;
    } else if (n == L't') {
      r += L'\t';
      ++i;
    } else if (n >= L'0' && n <= L'9' && i + 2 < S.size() && S[i + 2] >= L'0' && S[i + 2] <= L'9') {
      r += static_cast<wchar_t>((n - L'0') * 10 + (S[i + 2] - L'0'));
      i += 2;
    } else {
      r += c;  // the next character is read normally
    }
  }
  return r;
}

WideString LgEscape(const WideString& S, bool Exact) {
  WideString r;
  r.reserve(S.size());
  auto code = [&r](wchar_t c) {
    r += L'\\';
    r += static_cast<wchar_t>(L'0' + c / 10);
    r += static_cast<wchar_t>(L'0' + c % 10);
  };
  for (size_t i = 0; i < S.size(); ++i) {
    const wchar_t c = S[i];
    if (c == L'\t') {
      r += L"\\t";
    } else if (Exact && c == L'\r' && i + 1 < S.size() && S[i + 1] == L'\n') {
      r += L"\\n";
      ++i;
    } else if (!Exact && (c == L'\r' || c == L'\n')) {
      const wchar_t other = c == L'\r' ? L'\n' : L'\r';
      if (i + 1 < S.size() && S[i + 1] == other) ++i;
      r += L"\\n";
    } else if (c == L'\\') {
      r += L"\\\\";
    } else if (c < 32 || (Exact && c == L' ' && (i == 0 || i + 1 == S.size()))) {
      code(c);
    } else {
      r += c;
    }
  }
  return r;
}

WideString LgTranslationText(TLgLang_CompTranslations& Translations) {
  WideString text;
  for (int i = 0; i < Translations.Params().Count(); ++i) text += Translations.Params()[i] + L"\r\n";
  for (int s = 0; s < Translations.Count(); ++s) {
    const TLgLang_CompTranslation& section = Translations.Items(s);
    const WideString name = AnsiToWide(section.Name());
    text += L"\r\n[" + (name.empty() ? WideString(L" ") : name) + L"]\r\n";
    for (int i = 0; i < section.Count(); ++i)
      text += WideFormat(L"%.8d=", int(section.Items(i).ID)) + LgEscape(section.Items(i).Value, true) + L"\r\n";
  }
  const TLgLang_Constants& constants = Translations.Constants();
  if (constants.Count() > 0) {
    text += L"\r\n[" + AnsiToWide(LgConstantsSectionName) + L"]\r\n";
    for (int i = 0; i < constants.Count(); ++i)
      text += AnsiToWide(constants.Items(i).Name) + L"=" + LgEscape(constants.Items(i).Value, true) + L"\r\n";
  }
  return text;
}

// ---- constants ----

bool TLgLang_Constants::Find(const AnsiString& Name, int& Index) const {
  auto it = std::lower_bound(items_.begin(), items_.end(), Name, [](const TLgLang_Constant& c, const AnsiString& n) {
    return LgCompareNames(c.Name, n) < 0;
  });
  Index = static_cast<int>(it - items_.begin());
  return it != items_.end() && LgCompareNames(it->Name, Name) == 0;
}

const TLgLang_Constant* TLgLang_Constants::FindConstant(const AnsiString& Name) const {
  int i;
  return Find(Name, i) ? &items_[static_cast<size_t>(i)] : nullptr;
}

void TLgLang_Constants::Add(const AnsiString& Name, const WideString& Value) {
  if (!IsValidConstantName(Name)) throw ELgLangError(L"Invalid constant name (\"" + AnsiToWide(Name) + L"\")");
  int i;
  if (Find(Name, i)) throw ELgLangError(L"Duplicate constant name (\"" + AnsiToWide(Name) + L"\")");
  items_.insert(items_.begin() + i, TLgLang_Constant{Name, Value, Value});
}

void TLgLang_Constants::TranslateFrom(const TLgLang_Constants* Other) {
  for (TLgLang_Constant& c : items_) {
    if (!Other) {
      c.Value = c.DefValue;
    } else if (const TLgLang_Constant* o = Other->FindConstant(c.Name)) {
      c.Value = o->Value;
    }
  }
}

void TLgLang_Constants::LoadFromStream(TStream& Stream) {
  Clear();
  const uint8_t version = ReadByte(Stream);
  if (version > StreamVersion)
    throw ELgLangError(
        WideFormat(L"Stream version (%d) is greater than the current one (%d)", int(version), int(StreamVersion)));
  autoSave_ = version == 2 ? ReadByte(Stream) != 0 : version == 1;
  const int32_t count = ReadInt32(Stream);
  const uint32_t codePage = LCIDToCodePage(languageID_);
  for (int32_t i = 0; i < count; ++i) {
    const AnsiString name = ReadShortAnsi(Stream);
    WideString value;
    if (version == 2) {
      value.resize(ReadWord(Stream));
      if (!value.empty()) Stream.ReadBuffer(value.data(), static_cast<int>(value.size() * 2));
    } else {
      value = StringToWideStringEx(ReadShortAnsi(Stream), codePage);
    }
    Add(name, value);
  }
}

void TLgLang_Constants::SaveToStream(TStream& Stream) const {
  const uint8_t head[2] = {StreamVersion, static_cast<uint8_t>(autoSave_ ? 1 : 0)};
  Stream.WriteBuffer(head, 2);
  WriteInt32(Stream, Count());
  for (const TLgLang_Constant& c : items_) {
    WriteShortAnsi(Stream, c.Name);
    if (c.DefValue.size() > 0xFFFF) throw ELgLangError("Value too long");
    WriteWord(Stream, static_cast<uint16_t>(c.DefValue.size()));
    if (!c.DefValue.empty()) Stream.WriteBuffer(c.DefValue.data(), static_cast<int>(c.DefValue.size() * 2));
  }
}

std::vector<WideString> TLgLang_Constants::LangSourceLines() const {
  std::vector<WideString> lines;
  for (const TLgLang_Constant& c : items_) lines.push_back(AnsiToWide(c.Name) + L"=" + LgEscape(c.DefValue));
  return lines;
}

bool LoadConstantsFromResource(TLgLang_Constants& Constants, HINSTANCE Instance, const wchar_t* Name) {
  if (!FindResourceW(Instance, Name, MAKEINTRESOURCEW(10))) return false;
  TUcResourceStream stream(Instance, WideString(Name), MAKEINTRESOURCEW(10));
  Constants.LoadFromStream(stream);
  return true;
}

// ---- translations ----

void TLgLang_CompTranslation::Add(int32_t ID, const WideString& Value) {
  auto it = std::lower_bound(items_.begin(), items_.end(), ID,
                             [](const TLgLang_PropValueTranslation& t, int32_t id) { return t.ID < id; });
  if (it != items_.end() && it->ID == ID)
    throw ELgLangError(WideFormat(L"Duplicate property value translation ID (%d)", int(ID)));
  items_.insert(it, TLgLang_PropValueTranslation{ID, Value});
}

const WideString* TLgLang_CompTranslation::Find(int32_t ID) const {
  auto it = std::lower_bound(items_.begin(), items_.end(), ID,
                             [](const TLgLang_PropValueTranslation& t, int32_t id) { return t.ID < id; });
  return it != items_.end() && it->ID == ID ? &it->Value : nullptr;
}

TLgLang_CompTranslations::TLgLang_CompTranslations() : params_(std::make_unique<TUcStringList>()) {}

TLgLang_CompTranslation* TLgLang_CompTranslations::Find(const AnsiString& Name) const {
  for (const auto& s : sections_)
    if (LgCompareNames(s->Name(), Name) == 0) return s.get();
  return nullptr;
}

TLgLang_CompTranslation& TLgLang_CompTranslations::FindOrAdd(const AnsiString& Name) {
  if (TLgLang_CompTranslation* s = Find(Name)) return *s;
  sections_.push_back(std::make_unique<TLgLang_CompTranslation>(Name));
  return *sections_.back();
}

int TLgLang_CompTranslations::LangID(int Default) const {
  for (int i = 0; i < params_->Count(); ++i) {
    WideString name, value;
    if (SplitPair((*params_)[i], name, value) && CompareText(WideToAnsi(name), "LANGID") == 0) {
      int id = 0;
      return LgTryStrToInt(value, id) ? id : Default;
    }
  }
  return Default;
}

void LoadTranslationStream(TLgLang_CompTranslations& Translations, TStream& Stream, bool ParamsOnly) {
  TUcStringList lines;
  Stream.SetPosition(0);
  const TextCharSet charSet = DetectStreamCharSet(&Stream);
  Stream.SetPosition(0);
  lines.LoadFromStream(&Stream);
  uint32_t codePage = 0;
  if (charSet != csUnicode) {
    // Every file but UTF-16 LE is 8-bit text in the code page of its own language.
    codePage = LCIDToCodePage(static_cast<LCID>(FindLangIdLine(lines)));
    Stream.SetPosition(0);
    lines.AnsiStrings()->LoadFromStreamEx(&Stream, codePage);
  }
  const int fileLang = FindLangIdLine(lines);
  Translations.Constants().SetLanguageID(static_cast<LANGID>(fileLang));
  enum { inParams, inConstants, inSection } where = inParams;
  TLgLang_CompTranslation* section = nullptr;
  for (int index = 0; index < lines.Count(); ++index) {
    try {
      const WideString line = TrimLine(lines[index]);
      if (line.empty() || line[0] == L';') continue;
      if (line[0] == L'[') {
        if (ParamsOnly) break;
        if (line.size() > 2 && line.back() == L']') {
          const AnsiString name = WideToAnsi(TrimLine(line.substr(1, line.size() - 2)), codePage);
          if (LgCompareNames(name, LgConstantsSectionName) == 0) {
            where = inConstants;
          } else {
            where = inSection;
            section = &Translations.FindOrAdd(name);
          }
        }
        continue;
      }
      WideString name, value;
      if (!SplitPair(line, name, value) || name.empty()) continue;
      if (where == inParams) {
        Translations.Params().Add(name + L"=" + value);
      } else if (where == inConstants) {
        Translations.Constants().Add(WideToAnsi(name, codePage), LgUnescape(value));
      } else {
        int id = 0;
        if (LgTryStrToInt(name, id) && id > 0) section->Add(id, LgUnescape(value));
      }
    } catch (const Exception& e) {
      throw ELgLangError(WideFormat(L"Loading translations failed.\r\nLine %d: %s", index, e.Message()));
    }
  }
}

void LoadTranslationFile(TLgLang_CompTranslations& Translations, const WideString& FileName, bool ParamsOnly) {
  TUcFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadTranslationStream(Translations, stream, ParamsOnly);
}

void LoadTranslationResource(TLgLang_CompTranslations& Translations, HINSTANCE Instance, const WideString& Name,
                             bool ParamsOnly) {
  TUcResourceStream stream(Instance, Name, MAKEINTRESOURCEW(10));
  LoadTranslationStream(Translations, stream, ParamsOnly);
}

void LoadTranslationResource(TLgLang_CompTranslations& Translations, HINSTANCE Instance, int Number, bool ParamsOnly) {
  TUcResourceStream stream(Instance, Number, MAKEINTRESOURCEW(10));
  LoadTranslationStream(Translations, stream, ParamsOnly);
}
