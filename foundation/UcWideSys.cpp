// The wide-string system layer: flags, command line, conversions and wide system wrappers.
#include "foundation/UcWideSys.h"

#include "framework/StrRoutines.h"

namespace {

bool ReadWinXPOrLater() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExW(&info)) return false;
#pragma GCC diagnostic pop
  return (info.dwMajorVersion == 5 && info.dwMinorVersion >= 1) || info.dwMajorVersion >= 6;
}

}  // namespace

const bool UnicodePlatformFlag = true;
bool WinXPOrLaterFlag = ReadWinXPOrLater();
uint32_t DefaultCodePage = GetACP();

uint32_t GetDefaultCodePage() { return DefaultCodePage; }

// ---- command line ----

const wchar_t* WideGetParamStr(const wchar_t* P, WideString& Param) {
  Param.clear();
  for (;;) {
    while (*P >= 1 && *P <= 32) ++P;
    if (P[0] == L'"' && P[1] == L'"')
      P += 2;
    else
      break;
  }
  while (*P > 32) {
    if (*P == L'"') {
      ++P;
      while (*P != 0 && *P != L'"') Param += *P++;
      if (*P != 0) ++P;
    } else {
      Param += *P++;
    }
  }
  return P;
}

WideString WideParamStrOf(const wchar_t* CommandLine, int Index) {
  WideString param;
  if (Index < 0 || !CommandLine) return param;
  const wchar_t* p = CommandLine;
  for (;;) {
    p = WideGetParamStr(p, param);
    if (Index == 0 || param.empty()) break;
    --Index;
  }
  return param;
}

WideString WideParamStr(int Index) {
  if (Index == 0) return WideGetModuleFileName(nullptr);
  return WideParamStrOf(GetCommandLineW(), Index);
}

// ---- UTF-8 ----

namespace ucutf8 {

namespace {
inline bool IsTrail(unsigned char b) { return (b & 0xC0) == 0x80; }
}  // namespace

WideString Decode(const char* S, size_t Length, bool Tolerant) {
  WideString out(Length, L'\0');
  wchar_t* w = out.data();
  const auto* s = reinterpret_cast<const unsigned char*>(S);
  size_t i = 0;
  while (i < Length) {
    unsigned b = s[i];
    if (b < 0x80) {
      *w++ = static_cast<wchar_t>(b);
      ++i;
      continue;
    }
    size_t rest = Length - i - 1;
    if (b >= 0xC2 && b <= 0xDF && rest >= 1 && IsTrail(s[i + 1])) {
      *w++ = static_cast<wchar_t>(((b & 0x1F) << 6) | (s[i + 1] & 0x3F));
      i += 2;
      continue;
    }
    if (b >= 0xE0 && b <= 0xEF && rest >= 2 && IsTrail(s[i + 1]) && IsTrail(s[i + 2])) {
      unsigned c = ((b & 0x0F) << 12) | ((s[i + 1] & 0x3F) << 6) | (s[i + 2] & 0x3F);
      bool surrogate = c >= 0xD800 && c <= 0xDFFF;
      if (c >= 0x800 && (!surrogate || Tolerant)) {
        *w++ = static_cast<wchar_t>(c);
        i += 3;
        continue;
      }
    }
    if (b >= 0xF0 && b <= 0xF4 && rest >= 3 && IsTrail(s[i + 1]) && IsTrail(s[i + 2]) && IsTrail(s[i + 3])) {
      unsigned c = ((b & 0x07) << 18) | ((s[i + 1] & 0x3F) << 12) | ((s[i + 2] & 0x3F) << 6) | (s[i + 3] & 0x3F);
      if (c >= 0x10000 && c <= 0x10FFFF) {
        c -= 0x10000;
        *w++ = static_cast<wchar_t>(0xD800 + (c >> 10));
        *w++ = static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
        i += 4;
        continue;
      }
    }
    // A continuation byte on its own, or a lead byte whose sequence is invalid or cut short:
    // one character for this byte, and the next byte starts afresh.
    *w++ = (Tolerant && b <= 0xBF) ? static_cast<wchar_t>(b) : L'\xFFFD';
    ++i;
  }
  out.resize(static_cast<size_t>(w - out.data()));
  return out;
}

std::string Encode(const wchar_t* S, size_t Length, bool Tolerant) {
  std::string out(Length * 3, '\0');
  char* o = out.data();
  auto put3 = [&o](unsigned c) {
    *o++ = static_cast<char>(0xE0 | (c >> 12));
    *o++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *o++ = static_cast<char>(0x80 | (c & 0x3F));
  };
  for (size_t i = 0; i < Length; ++i) {
    unsigned c = static_cast<uint16_t>(S[i]);
    if (c < 0x80) {
      *o++ = static_cast<char>(c);
    } else if (c < 0x800) {
      *o++ = static_cast<char>(0xC0 | (c >> 6));
      *o++ = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < Length && static_cast<uint16_t>(S[i + 1]) >= 0xDC00 &&
               static_cast<uint16_t>(S[i + 1]) <= 0xDFFF) {
      unsigned v = 0x10000 + ((c - 0xD800) << 10) + (static_cast<uint16_t>(S[i + 1]) - 0xDC00);
      *o++ = static_cast<char>(0xF0 | (v >> 18));
      *o++ = static_cast<char>(0x80 | ((v >> 12) & 0x3F));
      *o++ = static_cast<char>(0x80 | ((v >> 6) & 0x3F));
      *o++ = static_cast<char>(0x80 | (v & 0x3F));
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF && !Tolerant) {
      put3(0xFFFD);
    } else {
      put3(c);
    }
  }
  out.resize(static_cast<size_t>(o - out.data()));
  return out;
}

}  // namespace ucutf8

std::string WideStringToUTF8(const WideString& S) { return ucutf8::Encode(S.data(), S.size(), false); }

WideString UTF8ToWideString(const std::string& S) { return ucutf8::Decode(S.data(), S.size(), false); }

// ---- UTF-7 ----

namespace {

struct TUtf7Tables {
  signed char Base64Value[128];
  bool MustEncodeDirect[128];    // optionally direct characters written directly
  bool MustEncodeOptional[128];  // optionally direct characters encoded
  char Base64Char[64];

  TUtf7Tables() {
    const char* base64 = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const char* direct = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789'(),-./:?";
    const char* optional = "!\"#$%&*;<=>@[]^_`{|}";
    const char* space = "\t\r\n ";
    for (int i = 0; i < 128; ++i) {
      Base64Value[i] = -1;
      MustEncodeDirect[i] = true;
      MustEncodeOptional[i] = true;
    }
    for (int i = 0; i < 64; ++i) {
      Base64Char[i] = base64[i];
      Base64Value[static_cast<int>(base64[i])] = static_cast<signed char>(i);
    }
    for (const char* p = direct; *p; ++p) MustEncodeDirect[int(*p)] = MustEncodeOptional[int(*p)] = false;
    for (const char* p = space; *p; ++p) MustEncodeDirect[int(*p)] = MustEncodeOptional[int(*p)] = false;
    for (const char* p = optional; *p; ++p) MustEncodeDirect[int(*p)] = false;
  }
};

const TUtf7Tables& Utf7() {
  static const TUtf7Tables tables;
  return tables;
}

}  // namespace

AnsiString WideStringToUTF7(const WideString& S) {
  const TUtf7Tables& t = Utf7();
  AnsiString out;
  out.reserve(S.size() * 3);
  bool inRun = false;
  uint32_t bits = 0;
  int bitCount = 0;
  auto flush = [&] {
    if (bitCount > 0) out += t.Base64Char[(bits << (6 - bitCount)) & 0x3F];
    bits = 0;
    bitCount = 0;
  };
  for (size_t i = 0; i < S.size(); ++i) {
    unsigned c = static_cast<uint16_t>(S[i]);
    bool special = c > 127 || t.MustEncodeDirect[c];
    if (!inRun) {
      if (c == '+') {
        out += "+-";
        continue;
      }
      if (!special) {
        out += static_cast<char>(c);
        continue;
      }
      out += '+';
      inRun = true;
    }
    if (special) {
      bits = (bits << 16) | c;
      bitCount += 16;
      while (bitCount >= 6) {
        bitCount -= 6;
        out += t.Base64Char[(bits >> bitCount) & 0x3F];
      }
      bits &= (1u << bitCount) - 1;
      continue;
    }
    flush();
    inRun = false;
    if (t.Base64Value[c] >= 0 || c == '-') out += '-';
    out += static_cast<char>(c);
  }
  if (inRun) flush();
  return out;
}

WideString UTF7ToWideString(const AnsiString& S) {
  const TUtf7Tables& t = Utf7();
  WideString out;
  out.reserve(S.size());
  bool malformed = false;
  size_t i = 0, n = S.size();
  auto value = [&t](unsigned char c) { return c < 128 ? t.Base64Value[c] : -1; };
  while (i < n) {
    auto b = static_cast<unsigned char>(S[i]);
    if (b != '+') {
      if (b > 127) malformed = true;
      out += static_cast<wchar_t>(b);
      ++i;
      continue;
    }
    if (i + 1 < n && S[i + 1] == '-') {
      out += L'+';
      i += 2;
      continue;
    }
    ++i;
    uint32_t bits = 0;
    int bitCount = 0;
    bool produced = false;
    while (i < n && value(static_cast<unsigned char>(S[i])) >= 0) {
      bits = (bits << 6) | static_cast<uint32_t>(value(static_cast<unsigned char>(S[i])));
      bitCount += 6;
      if (bitCount >= 16) {
        bitCount -= 16;
        out += static_cast<wchar_t>((bits >> bitCount) & 0xFFFF);
        produced = true;
      }
      bits &= (1u << bitCount) - 1;
      ++i;
    }
    if (bits != 0 || !produced) malformed = true;
    if (i < n && S[i] == '-') ++i;
  }
  if (malformed) throw EUcGeneralError("Invalid UTF7");
  return out;
}

WideString StringToWideStringEx(const AnsiString& S, uint32_t CodePage) {
  if (CodePage == 65000) return UTF7ToWideString(S);
  if (CodePage == 65001) return UTF8ToWideString(S);
  if (S.empty()) return WideString();
  int n = MultiByteToWideChar(CodePage, 0, S.data(), static_cast<int>(S.size()), nullptr, 0);
  WideString out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CodePage, 0, S.data(), static_cast<int>(S.size()), out.data(), n);
  return out;
}

AnsiString WideStringToStringEx(const WideString& W, uint32_t CodePage) {
  if (CodePage == 65000) return WideStringToUTF7(W);
  if (CodePage == 65001) return WideStringToUTF8(W);
  if (W.empty()) return AnsiString();
  int n = WideCharToMultiByte(CodePage, 0, W.data(), static_cast<int>(W.size()), nullptr, 0, nullptr, nullptr);
  AnsiString out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CodePage, 0, W.data(), static_cast<int>(W.size()), out.data(), n, nullptr, nullptr);
  return out;
}

uint32_t LCIDToCodePage(LCID Locale) {
  wchar_t buffer[6] = {};
  int n = GetLocaleInfoW(Locale, LOCALE_IDEFAULTANSICODEPAGE, buffer, 6);
  uint32_t value = 0;
  bool digits = n > 1;
  for (int i = 0; digits && i < n - 1; ++i) {
    if (buffer[i] < L'0' || buffer[i] > L'9')
      digits = false;
    else
      value = value * 10 + static_cast<uint32_t>(buffer[i] - L'0');
  }
  return digits ? value : DefaultCodePage;
}

void WideSwapByteOrder(wchar_t* P, size_t Count) {
  for (size_t i = 0; i < Count; ++i) {
    auto u = static_cast<uint16_t>(P[i]);
    P[i] = static_cast<wchar_t>(static_cast<uint16_t>((u << 8) | (u >> 8)));
  }
}

void WideSwapByteOrder(WideString& S) { WideSwapByteOrder(S.data(), S.size()); }

void WideSwapByteOrder(wchar_t* P) {
  if (P) WideSwapByteOrder(P, std::char_traits<wchar_t>::length(P));
}

// ---- wrappers ----

BOOL WideSetWindowText(HWND Wnd, const WideString& Text) { return SetWindowTextW(Wnd, Text.c_str()); }

int WideDrawText(HDC DC, const WideString& Text, int Count, RECT& Rect, UINT Format) {
  // The system may write into the text (DT_MODIFYSTRING), so it gets a copy with room.
  std::wstring copy = Text;
  copy.resize(copy.size() + 4, L'\0');
  if (Count > static_cast<int>(Text.size())) Count = static_cast<int>(Text.size());
  return DrawTextW(DC, copy.data(), Count, &Rect, Format);
}

DWORD WideGetFullPathName(const WideString& FileName, DWORD BufLen, wchar_t* Buffer, wchar_t** FilePart) {
  wchar_t* part = nullptr;
  DWORD n = GetFullPathNameW(FileName.c_str(), BufLen, Buffer, &part);
  if (FilePart) *FilePart = (n > 0 && n < BufLen) ? part : nullptr;
  return n;
}

HANDLE WideCreateFile(const WideString& FileName, DWORD DesiredAccess, DWORD ShareMode,
                      SECURITY_ATTRIBUTES* SecurityAttributes, DWORD CreationDisposition, DWORD FlagsAndAttributes,
                      HANDLE TemplateFile) {
  return CreateFileW(FileName.c_str(), DesiredAccess, ShareMode, SecurityAttributes, CreationDisposition,
                     FlagsAndAttributes, TemplateFile);
}

HANDLE WideFindFirstFile(const WideString& FileName, WIN32_FIND_DATAW& FindData) {
  return FindFirstFileW(FileName.c_str(), &FindData);
}

BOOL WideFindNextFile(HANDLE FindHandle, WIN32_FIND_DATAW& FindData) { return FindNextFileW(FindHandle, &FindData); }

DWORD WideGetModuleFileName(HMODULE Module, wchar_t* Buffer, DWORD Size) {
  return GetModuleFileNameW(Module, Buffer, Size);
}

WideString WideGetModuleFileName(HMODULE Module) {
  wchar_t buffer[MAX_PATH + 1] = {};
  DWORD n = GetModuleFileNameW(Module, buffer, MAX_PATH);
  if (n == 0) RaiseLastOSError();
  return WideString(buffer, n);
}

WideString WideGetLocaleStr(LCID Locale, LCTYPE LocaleType, const WideString& Default) {
  wchar_t buffer[255] = {};
  int n = GetLocaleInfoW(Locale, LocaleType, buffer, 255);
  if (n < 1) return Default;
  return WideString(buffer, static_cast<size_t>(n - 1));
}

WideString WideSysErrorMessage(DWORD ErrorCode) { return WideLibraryErrorMessage(L"system", nullptr, ErrorCode); }

WideString WideLibraryErrorMessage(const WideString& LibName, HMODULE Dll, DWORD ErrorCode) {
  wchar_t buffer[256] = {};
  DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ARGUMENT_ARRAY;
  if (Dll) flags |= FORMAT_MESSAGE_FROM_HMODULE;
  DWORD n = FormatMessageW(flags, Dll, ErrorCode, 0, buffer, 256, nullptr);
  WideString text(buffer, n < 256 ? n : 255);
  size_t first = 0, last = text.size();
  while (first < last && text[first] <= 32) ++first;
  while (last > first && text[last - 1] <= 32) --last;
  text = text.substr(first, last - first);
  if (text.empty())
    text = L"Unspecified error (" + std::to_wstring(static_cast<int>(ErrorCode)) + L") from " + LibName + L".";
  return text;
}

// ---- files and paths ----

WideString WideIncludeTrailingPathDelimiter(const WideString& S) {
  if (!S.empty() && S.back() == L'\\') return S;
  return S + L'\\';
}

bool WideIsPathDelimiter(const WideString& S, int Index) {
  return Index >= 1 && Index <= static_cast<int>(S.size()) && S[static_cast<size_t>(Index - 1)] == L'\\';
}

int WideLastDelimiter(const WideString& Delimiters, const WideString& S) {
  size_t p = S.find_last_of(Delimiters);
  return p == WideString::npos ? 0 : static_cast<int>(p) + 1;
}

WideString WideExtractFileName(const WideString& S) {
  return S.substr(static_cast<size_t>(WideLastDelimiter(L"\\:", S)));
}

WideString WideExpandFileName(const WideString& S) {
  WideString buffer(MAX_PATH, L'\0');
  wchar_t* part = nullptr;
  DWORD n = WideGetFullPathName(S, MAX_PATH, buffer.data(), &part);
  if (n >= MAX_PATH) {  // a longer path than the classic limit: ask again with room for it
    buffer.assign(n + 1, L'\0');
    n = WideGetFullPathName(S, n + 1, buffer.data(), &part);
  }
  buffer.resize(n < buffer.size() ? n : 0);
  return buffer;
}

HANDLE WideFileCreate(const WideString& Name) {
  return WideCreateFile(Name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE WideFileOpen(const WideString& Name, uint32_t Mode) {
  static const DWORD access[3] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
  static const DWORD share[5] = {0, 0, FILE_SHARE_READ, FILE_SHARE_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE};
  uint32_t a = Mode & 3, s = (Mode & 0xF0) >> 4;
  if (a > 2 || s > 4) return INVALID_HANDLE_VALUE;
  return WideCreateFile(Name, access[a], share[s], nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool WideFileExists(const WideString& Name) {
  // A search with a pattern would answer for any file that matches it.
  if (Name.empty() || Name.find_first_of(L"*?") != WideString::npos) return false;
  WIN32_FIND_DATAW data{};
  HANDLE h = WideFindFirstFile(Name, data);
  if (h == INVALID_HANDLE_VALUE) return false;
  FindClose(h);
  return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

namespace {

// Skips entries with an excluded attribute; 0 when one is left in the record.
int FindMatching(TWideSearchRec& rec) {
  while ((rec.FindData.dwFileAttributes & static_cast<DWORD>(rec.ExcludeAttr)) != 0)
    if (!WideFindNextFile(rec.FindHandle, rec.FindData)) return static_cast<int>(GetLastError());
  FILETIME local{};
  WORD date = 0, time = 0;
  FileTimeToLocalFileTime(&rec.FindData.ftLastWriteTime, &local);
  FileTimeToDosDateTime(&local, &date, &time);
  rec.Time = static_cast<int32_t>((static_cast<uint32_t>(date) << 16) | time);
  rec.Size = (static_cast<int64_t>(rec.FindData.nFileSizeHigh) << 32) | rec.FindData.nFileSizeLow;
  rec.Attr = static_cast<int>(rec.FindData.dwFileAttributes);
  rec.Name = rec.FindData.cFileName;
  return 0;
}

}  // namespace

int WideFindFirst(const WideString& Path, int Attr, TWideSearchRec& SearchRec) {
  const int faSpecial = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
  SearchRec.ExcludeAttr = ~Attr & faSpecial;
  SearchRec.FindHandle = WideFindFirstFile(Path, SearchRec.FindData);
  if (SearchRec.FindHandle == INVALID_HANDLE_VALUE) return static_cast<int>(GetLastError());
  int result = FindMatching(SearchRec);
  if (result != 0) WideFindClose(SearchRec);
  return result;
}

int WideFindNext(TWideSearchRec& SearchRec) {
  if (!WideFindNextFile(SearchRec.FindHandle, SearchRec.FindData)) return static_cast<int>(GetLastError());
  return FindMatching(SearchRec);
}

void WideFindClose(TWideSearchRec& SearchRec) {
  if (SearchRec.FindHandle != INVALID_HANDLE_VALUE) {
    ::FindClose(SearchRec.FindHandle);
    SearchRec.FindHandle = INVALID_HANDLE_VALUE;
  }
}

int WideTextPos(const WideString& SubStr, const WideString& S) {
  size_t p = WideUpperCase(S).find(WideUpperCase(SubStr));
  return p == WideString::npos ? 0 : static_cast<int>(p) + 1;
}

bool IsIntResourceId(const wchar_t* P) { return (reinterpret_cast<uintptr_t>(P) >> 16) == 0; }

uintptr_t CheckWin32Result(uintptr_t Value) {
  if (Value == 0) RaiseLastOSError();
  return Value;
}
