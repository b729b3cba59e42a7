// The INI document in memory, the write-through INI file over the profile functions, and the
// typed reads and writes they share.
#include "framework/IniFiles.h"

#include <algorithm>

#include "framework/CodePages.h"
#include "framework/Conversions.h"
#include "framework/DateTime.h"
#include "framework/FileReplace.h"
#include "framework/FileRoutines.h"
#include "framework/StrRoutines.h"
#include "framework/Streams.h"
#include "framework/UpdateBracket.h"
#include "framework/Win.h"

HV_PUBLISH(TCustomIniFile) {}
HV_PUBLISH(TMemIniFile) {}
HV_PUBLISH(TIniFile) {}

// ---------------------------------------------------------------- typed values

namespace {

[[noreturn]] void RaiseUnstorable(const AnsiString& what, const AnsiString& name) {
  throw EIniFileException(L"The " + AnsiToWide(what) + L" " + QuotedForMessage(name) +
                          L" cannot be stored in an INI file");
}

bool HasLineBreak(const AnsiString& s) { return s.find_first_of("\r\n") != AnsiString::npos; }

// Reading trims blanks and control characters off both ends of a value.
bool HasTrimmedEnds(const AnsiString& s) {
  return !s.empty() && (static_cast<unsigned char>(s.front()) <= ' ' || static_cast<unsigned char>(s.back()) <= ' ');
}

// The value of a key as parse reads it; def when the key is missing or empty or its text does
// not parse.
template <class V>
V ReadParsed(TCustomIniFile& ini, const AnsiString& section, const AnsiString& ident, V def,
             bool (*parse)(const AnsiString&, V&)) {
  V v = def;
  AnsiString text = ini.ReadString(section, ident, AnsiString());
  return !text.empty() && parse(text, v) ? v : def;
}

}  // namespace

void TCustomIniFile::CheckStorable(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value) {
  if (HasLineBreak(Section)) RaiseUnstorable("section name", Section);
  AnsiString key = Trim(Ident);
  if (HasLineBreak(Ident) || Ident.find('=') != AnsiString::npos || (!key.empty() && (key[0] == ';' || key[0] == '[')))
    RaiseUnstorable("key name", Ident);
  if (!IsStorableValue(Value)) RaiseUnstorable("value of", Ident);
}

bool TCustomIniFile::IsStorableValue(const AnsiString& Value) { return !HasLineBreak(Value) && !HasTrimmedEnds(Value); }

bool TCustomIniFile::SectionExists(const AnsiString& Section) {
  TStringList keys;
  ReadSection(Section, &keys);
  return keys.Count() > 0;
}

bool TCustomIniFile::ValueExists(const AnsiString& Section, const AnsiString& Ident) {
  TStringList keys;
  ReadSection(Section, &keys);
  return keys.IndexOf(Ident) >= 0;
}

int TCustomIniFile::ReadInteger(const AnsiString& Section, const AnsiString& Ident, int Default) {
  return StrToIntDef(ReadString(Section, Ident, AnsiString()), Default);
}

void TCustomIniFile::WriteInteger(const AnsiString& Section, const AnsiString& Ident, int Value) {
  WriteString(Section, Ident, IntToStr(Value));
}

bool TCustomIniFile::ReadBool(const AnsiString& Section, const AnsiString& Ident, bool Default) {
  return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const AnsiString& Section, const AnsiString& Ident, bool Value) {
  WriteString(Section, Ident, Value ? "1" : "0");
}

double TCustomIniFile::ReadFloat(const AnsiString& Section, const AnsiString& Ident, double Default) {
  return ReadParsed(*this, Section, Ident, Default, TryStrToFloat);
}

void TCustomIniFile::WriteFloat(const AnsiString& Section, const AnsiString& Ident, double Value) {
  WriteString(Section, Ident, FloatToStr(Value));
}

TDateTime TCustomIniFile::ReadDate(const AnsiString& Section, const AnsiString& Ident, TDateTime Default) {
  return ReadParsed(*this, Section, Ident, Default, TryStrToDate);
}

TDateTime TCustomIniFile::ReadDateTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Default) {
  return ReadParsed(*this, Section, Ident, Default, TryStrToDateTime);
}

TDateTime TCustomIniFile::ReadTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Default) {
  return ReadParsed(*this, Section, Ident, Default, TryStrToTime);
}

void TCustomIniFile::WriteDate(const AnsiString& Section, const AnsiString& Ident, TDateTime Value) {
  WriteString(Section, Ident, DateToStr(Value));
}

void TCustomIniFile::WriteDateTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Value) {
  WriteString(Section, Ident, DateTimeToStr(Value));
}

void TCustomIniFile::WriteTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Value) {
  WriteString(Section, Ident, TimeToStr(Value));
}

int TCustomIniFile::ReadBinaryStream(const AnsiString& Section, const AnsiString& Name, TStream* Value) {
  AnsiString text = ReadString(Section, Name, AnsiString());
  if (text.size() % 2 != 0) return 0;
  std::vector<uint8_t> bytes(text.size() / 2);
  for (size_t i = 0; i < bytes.size(); ++i) {
    int v = 0;
    if (!TryStrToInt("$" + text.substr(2 * i, 2), v) || text[2 * i] == '-' || text[2 * i] == '+') return 0;
    bytes[i] = static_cast<uint8_t>(v);
  }
  if (!bytes.empty()) Value->WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
  return static_cast<int>(bytes.size());
}

void TCustomIniFile::WriteBinaryStream(const AnsiString& Section, const AnsiString& Name, TStream* Value) {
  int64_t remaining = Value->Size() - Value->Position();
  AnsiString text;
  if (remaining > 0) {
    std::vector<uint8_t> bytes(static_cast<size_t>(remaining));
    Value->ReadBuffer(bytes.data(), static_cast<int>(bytes.size()));
    text.reserve(bytes.size() * 2);
    for (uint8_t b : bytes) text += IntToHex(static_cast<int>(b), 2);
  }
  WriteString(Section, Name, text);
}

// ---------------------------------------------------------------- TMemIniFile

namespace {

// Names are found without regard to letter case or to blanks at their ends: the file keeps no
// blanks there, so a name written with them is the same name once the file is read again.
AnsiString NameIndex(const AnsiString& Name) { return AnsiUpperCase(Trim(Name)); }

}  // namespace

// One section: keys in order of insertion, found through an index of their names. A key that
// occurs twice keeps both entries; the first is the one that is read and written, and deleting
// the key deletes them all.
struct TMemIniFile::TSection {
  using TEntries = std::list<std::pair<AnsiString, AnsiString>>;
  AnsiString Name;
  TEntries Keys;
  std::unordered_map<AnsiString, TEntries::iterator> Index;          // the first entry of a name
  std::unordered_multimap<AnsiString, TEntries::iterator> Shadowed;  // the later ones

  const std::pair<AnsiString, AnsiString>* Find(const AnsiString& key) const {
    auto it = Index.find(NameIndex(key));
    return it == Index.end() ? nullptr : &*it->second;
  }
  void Set(const AnsiString& key, const AnsiString& value) {
    AnsiString index = NameIndex(key);
    auto it = Index.find(index);
    if (it != Index.end()) {
      it->second->second = value;
      return;
    }
    Index.emplace(std::move(index), Keys.emplace(Keys.end(), Trim(key), value));
  }
  void Add(const AnsiString& key, const AnsiString& value) {
    AnsiString index = NameIndex(key);
    auto entry = Keys.emplace(Keys.end(), Trim(key), value);
    if (!Index.emplace(index, entry).second) Shadowed.emplace(std::move(index), entry);
  }
  void Remove(const AnsiString& key) {
    AnsiString index = NameIndex(key);
    auto it = Index.find(index);
    if (it == Index.end()) return;
    Keys.erase(it->second);
    Index.erase(it);
    auto [first, last] = Shadowed.equal_range(index);
    for (auto s = first; s != last; ++s) Keys.erase(s->second);
    Shadowed.erase(first, last);
  }
};

// ---- the text forms of the file ----

namespace {

const char kUtf8Mark[] = "\xEF\xBB\xBF";

bool IsUtf8(const std::string& bytes) {
  return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0) >
         0;
}

bool HasHighBytes(const std::string& bytes) {
  return std::any_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// 8-bit text whose only high bytes are those of UTF-8 marks ("\xEF\xBB\xBF", a stray mark's
// letters that users search for): UTF-8 would make them a character no text holds inside it,
// and earlier runs wrote such values into files of 8-bit text.
bool OnlyStrayMarks(const std::string& bytes) {
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (static_cast<unsigned char>(bytes[i]) < 0x80) continue;
    if (bytes.compare(i, 3, kUtf8Mark) != 0) return false;
    i += 2;
  }
  return true;
}

// UTF-16 code units from bytes in either order; false when a byte is left over or a
// surrogate stands without its partner.
bool Utf16Units(const std::string& bytes, size_t from, bool bigEndian, WideString& text) {
  text.clear();
  for (size_t i = from; i + 1 < bytes.size(); i += 2) {
    auto hi = static_cast<unsigned char>(bytes[i + (bigEndian ? 0 : 1)]);
    auto lo = static_cast<unsigned char>(bytes[i + (bigEndian ? 1 : 0)]);
    text += static_cast<wchar_t>((hi << 8) | lo);
  }
  if ((bytes.size() - from) % 2 != 0) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    wchar_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      return false;
    }
  }
  return true;
}

// A text the document can write back and read again as it was: the bytes of the UTF-8 mark
// anywhere but at its very start, where the first line would lose them, taken for the file's mark
// (an 8-bit "\xEF\xBB\xBF" inside a value is a stray mark's letters, searched for like any
// other text). Zero bytes are kept as they are, inside names and values alike, so that a damaged
// entry neither stops the file being written nor takes the entries after it along.
bool Understandable(const std::string& text) { return text.compare(0, 3, kUtf8Mark) != 0; }

// The text with an empty line first when it starts with the mark's bytes (a key of the untitled
// section named so): reading skips the empty line and keeps the bytes.
AnsiString unmistakable(const AnsiString& text) { return text.compare(0, 3, kUtf8Mark) == 0 ? "\r\n" + text : text; }

// Text in UTF-16 that lost its mark: a zero byte in every other place of the first line's worth
// of characters. Read as 8-bit text it would be nothing the document could write back.
bool LooksLikeUnmarkedUtf16(const std::string& bytes) {
  const size_t n = std::min<size_t>(bytes.size(), 256);
  if (n < 2) return false;
  size_t zeros[2] = {0, 0};
  for (size_t i = 0; i < n; ++i)
    if (bytes[i] == '\0') ++zeros[i % 2];
  const size_t most = std::max(zeros[0], zeros[1]), least = std::min(zeros[0], zeros[1]);
  return most * 4 >= n && most >= 4 * least;
}

// The file's bytes as 8-bit text in the ANSI code page, the form they came in, and whether the
// text came through whole.
AnsiString DecodeIniBytes(const std::string& bytes, TIniEncoding& encoding, bool& understood) {
  understood = true;
  WideString wide;
  if (bytes.size() >= 2 && (bytes.compare(0, 2, "\xFF\xFE") == 0 || bytes.compare(0, 2, "\xFE\xFF") == 0)) {
    const bool bigEndian = bytes[0] == '\xFE';
    encoding = bigEndian ? TIniEncoding::Utf16BE : TIniEncoding::Utf16LE;
    understood = Utf16Units(bytes, 2, bigEndian, wide);
  } else if (bytes.compare(0, 3, kUtf8Mark) == 0) {
    encoding = TIniEncoding::Utf8Marked;
    understood = IsUtf8(bytes.substr(3)) || bytes.size() == 3;
    wide = Utf8ToWide(bytes.substr(3));
  } else if (HasHighBytes(bytes) && IsUtf8(bytes) && !OnlyStrayMarks(bytes)) {
    encoding = TIniEncoding::Utf8;
    wide = Utf8ToWide(bytes);
  } else {
    // Bytes that start with the mark were taken for UTF-8 above.
    encoding = TIniEncoding::Ansi;
    understood = !LooksLikeUnmarkedUtf16(bytes);
    return bytes;
  }
  bool lossy = false;
  AnsiString text = WideToAnsiChecked(wide, lossy);
  understood = understood && !lossy && Understandable(text);
  return text;
}

std::string EncodeIniText(const AnsiString& text, TIniEncoding encoding) {
  if (encoding == TIniEncoding::Ansi) return text;
  const WideString wide = AnsiToWide(text);
  if (encoding == TIniEncoding::Utf8) return WideToUtf8(wide);
  if (encoding == TIniEncoding::Utf8Marked) return kUtf8Mark + WideToUtf8(wide);
  const bool bigEndian = encoding == TIniEncoding::Utf16BE;
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (wchar_t c : wide) {
    char hi = static_cast<char>((c >> 8) & 0xFF), lo = static_cast<char>(c & 0xFF);
    bytes += bigEndian ? hi : lo;
    bytes += bigEndian ? lo : hi;
  }
  return bytes;
}

}  // namespace

TMemIniFile::TMemIniFile(const WideString& FileName) : TCustomIniFile(FileName) { LoadValues(); }

TMemIniFile::~TMemIniFile() = default;

TMemIniFile::TSection* TMemIniFile::FindSection(const AnsiString& Name) const {
  auto it = sectionIndex_.find(NameIndex(Name));
  return it == sectionIndex_.end() ? nullptr : &*it->second;
}

TMemIniFile::TSection& TMemIniFile::AddSection(const AnsiString& Name) {
  if (TSection* existing = FindSection(Name)) return *existing;
  // The untitled section holds the keys before the first title, so it stays first.
  const bool untitled = Trim(Name).empty();
  auto section = sections_.emplace(untitled ? sections_.begin() : sections_.end());
  section->Name = Trim(Name);
  sectionIndex_.emplace(NameIndex(Name), section);
  return *section;
}

void TMemIniFile::LoadValues() {
  if (FileName().empty() || !FileExists(FileName())) {
    Clear();
    return;
  }
  TMemoryStream file;
  file.LoadFromFile(FileName());
  const std::string bytes(static_cast<const char*>(file.Memory()), static_cast<size_t>(file.Size()));
  TIniEncoding encoding = TIniEncoding::Ansi;
  bool understood = true;
  TStringList lines;
  lines.SetText(DecodeIniBytes(bytes, encoding, understood));
  Parse(&lines);
  encoding_ = encoding;
  understood_ = understood;
}

void TMemIniFile::Clear() {
  sections_.clear();
  sectionIndex_.clear();
  understood_ = true;
}

void TMemIniFile::SetStrings(TStrings* List) {
  Parse(List);
  understood_ = true;
}

void TMemIniFile::Parse(TStrings* List) {
  sections_.clear();
  sectionIndex_.clear();
  TSection* current = nullptr;
  for (int i = 0; i < List->Count(); ++i) {
    AnsiString line = List->Strings(i);
    // A file saved by an editor that marks UTF-8 starts with the mark; it is not part of the
    // first section's title.
    if (i == 0 && line.compare(0, 3, kUtf8Mark) == 0) line.erase(0, 3);
    line = Trim(line);
    if (line.empty() || line[0] == ';') continue;
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      current = &AddSection(Trim(line.substr(1, line.size() - 2)));
      continue;
    }
    if (!current) current = &AddSection(AnsiString());
    size_t eq = line.find('=');
    if (eq == AnsiString::npos)
      current->Add(line, AnsiString());
    else
      current->Add(Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)));
  }
}

void TMemIniFile::GetStrings(TStrings* List) {
  WithinUpdate(*List, [&] {
    List->Clear();
    for (const auto& section : sections_) {
      if (!section.Name.empty())
        List->Add("[" + section.Name + "]");
      else if (section.Keys.empty())
        continue;
      for (const auto& [key, value] : section.Keys) List->Add(key + "=" + value);
      List->Add(AnsiString());
    }
  });
}

bool TMemIniFile::SectionExists(const AnsiString& Section) {
  TSection* s = FindSection(Section);
  return s && !s->Keys.empty();
}

bool TMemIniFile::ValueExists(const AnsiString& Section, const AnsiString& Ident) {
  TSection* s = FindSection(Section);
  return s && s->Find(Ident);
}

AnsiString TMemIniFile::ReadString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Default) {
  TSection* s = FindSection(Section);
  const auto* entry = s ? s->Find(Ident) : nullptr;
  return entry ? entry->second : Default;
}

void TMemIniFile::WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value) {
  CheckStorable(Section, Ident, Value);
  AddSection(Section).Set(Ident, Value);
}

void TMemIniFile::ReadSection(const AnsiString& Section, TStrings* Strings) {
  WithinUpdate(*Strings, [&] {
    Strings->Clear();
    if (TSection* s = FindSection(Section))
      for (const auto& entry : s->Keys) Strings->Add(entry.first);
  });
}

void TMemIniFile::ReadSections(TStrings* Strings) {
  WithinUpdate(*Strings, [&] {
    Strings->Clear();
    for (const auto& section : sections_)
      if (!section.Name.empty()) Strings->Add(section.Name);
  });
}

void TMemIniFile::ReadSectionValues(const AnsiString& Section, TStrings* Strings) {
  WithinUpdate(*Strings, [&] {
    Strings->Clear();
    if (TSection* s = FindSection(Section))
      for (const auto& [key, value] : s->Keys) Strings->Add(key + "=" + value);
  });
}

void TMemIniFile::EraseSection(const AnsiString& Section) {
  auto it = sectionIndex_.find(NameIndex(Section));
  if (it == sectionIndex_.end()) return;
  sections_.erase(it->second);
  sectionIndex_.erase(it);
}

void TMemIniFile::DeleteKey(const AnsiString& Section, const AnsiString& Ident) {
  if (TSection* s = FindSection(Section)) s->Remove(Ident);
}

namespace {

// Whether the text, written in the form and read again, comes back as it was.
bool ReadsBack(const AnsiString& Text, TIniEncoding Encoding) {
  TIniEncoding read = Encoding;
  bool understood = true;
  const AnsiString back = DecodeIniBytes(EncodeIniText(Text, Encoding), read, understood);
  return understood && back == Text;
}

// The form in which the text reads back as it was: the one given, or UTF-8 after its mark for
// 8-bit text that would read as something else (letters that happen to make UTF-8, zero bytes
// that look like UTF-16). False when neither does.
bool FormThatReadsBack(const AnsiString& Text, TIniEncoding& Encoding) {
  if (ReadsBack(Text, Encoding)) return true;
  if (Encoding != TIniEncoding::Ansi || !ReadsBack(Text, TIniEncoding::Utf8Marked)) return false;
  Encoding = TIniEncoding::Utf8Marked;
  return true;
}

}  // namespace

void TMemIniFile::UpdateFile() { SaveToFile(FileName()); }

void TMemIniFile::SaveToFile(const WideString& Name) {
  if (!understood_)
    throw EIniFileException(L"The file \"" + FileName() +
                            L"\" holds text that cannot be kept as it is; it is not written over");
  TStringList lines;
  GetStrings(&lines);
  const AnsiString text = unmistakable(lines.Text());
  // 8-bit text that would read back as other text goes into UTF-8, where it reads back whole.
  TIniEncoding form = encoding_;
  if (FormThatReadsBack(text, form)) encoding_ = form;
  const std::string bytes = EncodeIniText(text, encoding_);
  // Through a file beside it: a write that fails half-way leaves what the file held before.
  WriteFileReplacing(Name, [&](TStream& file) {
    if (!bytes.empty()) file.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
  });
}

void TMemIniFile::KeepWhatReadsBack() {
  if (understood_) return;
  const char* const lineBreak = "\r\n";
  auto title = [&](const TSection& s) { return s.Name.empty() ? AnsiString() : "[" + s.Name + "]" + lineBreak; };
  // Each section and entry on its own first, then the whole; zero bytes next, when the whole
  // still looks like something else; nothing at last.
  auto drop = [&](auto&& Unkept) {
    for (auto s = sections_.begin(); s != sections_.end();) {
      if (Unkept(title(*s))) {
        sectionIndex_.erase(NameIndex(s->Name));
        s = sections_.erase(s);
        continue;
      }
      std::vector<AnsiString> unkept;
      for (const auto& [key, value] : s->Keys)
        if (Unkept(title(*s) + key + "=" + value + lineBreak)) unkept.push_back(key);
      for (const AnsiString& key : unkept) s->Remove(key);
      ++s;
    }
  };
  auto whole = [&] {
    TStringList lines;
    GetStrings(&lines);
    TIniEncoding form = encoding_;
    return FormThatReadsBack(unmistakable(lines.Text()), form);
  };
  drop([&](const AnsiString& Text) {
    TIniEncoding form = encoding_;
    return !FormThatReadsBack(unmistakable(Text), form);
  });
  if (!whole()) drop([](const AnsiString& Text) { return Text.find('\0') != AnsiString::npos; });
  if (!whole()) {
    sections_.clear();
    sectionIndex_.clear();
  }
  understood_ = true;
}

void TMemIniFile::Rename(const WideString& FileName, bool Reload) {
  SetFileName(FileName);
  if (Reload) LoadValues();
}

// ---------------------------------------------------------------- TIniFile

namespace {

// Calls a profile reader with a growing buffer until the text fits. The readers give
// size - 1 (or size - 2 for lists of names) when they had to cut the text.
template <class F>
WideString ReadProfile(F read, DWORD listSlack) {
  for (DWORD size = 1024;; size *= 4) {
    WideString buffer(size, L'\0');
    DWORD n = read(buffer.data(), size);
    if (n + listSlack < size - 1 || size >= (64u << 20)) {
      buffer.resize(n);
      return buffer;
    }
  }
}

// The names of a list the profile functions give: each ends with a zero character.
void SplitNames(const WideString& list, TStrings* Strings) {
  WithinUpdate(*Strings, [&] {
    Strings->Clear();
    size_t start = 0;
    while (start < list.size()) {
      size_t end = list.find(L'\0', start);
      if (end == WideString::npos) end = list.size();
      if (end > start) Strings->Add(WideToAnsi(list.substr(start, end - start)));
      start = end + 1;
    }
  });
}

// Stands for "no such key": the profile functions give the default for a missing key but cut
// trailing blanks off it, so the caller's default is put in afterwards.
const wchar_t kMissing[] = L"\x01\x02<missing>\x02\x01";

}  // namespace

AnsiString TIniFile::ReadString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Default) {
  WideString section = AnsiToWide(Section), key = AnsiToWide(Ident);
  WideString value = ReadProfile(
      [&](wchar_t* buffer, DWORD size) {
        return GetPrivateProfileStringW(section.c_str(), key.c_str(), kMissing, buffer, size, FileName().c_str());
      },
      0);
  return value == kMissing ? Default : WideToAnsi(value);
}

void TIniFile::WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value) {
  CheckStorable(Section, Ident, Value);
  if (!WritePrivateProfileStringW(AnsiToWide(Section).c_str(), AnsiToWide(Ident).c_str(), AnsiToWide(Value).c_str(),
                                  FileName().c_str()))
    throw EIniFileException(L"Unable to write to " + FileName());
}

void TIniFile::ReadSection(const AnsiString& Section, TStrings* Strings) {
  WideString section = AnsiToWide(Section);
  SplitNames(ReadProfile(
                 [&](wchar_t* buffer, DWORD size) {
                   return GetPrivateProfileStringW(section.c_str(), nullptr, L"", buffer, size, FileName().c_str());
                 },
                 1),
             Strings);
}

void TIniFile::ReadSections(TStrings* Strings) {
  SplitNames(ReadProfile(
                 [&](wchar_t* buffer, DWORD size) {
                   return GetPrivateProfileStringW(nullptr, nullptr, L"", buffer, size, FileName().c_str());
                 },
                 1),
             Strings);
}

void TIniFile::ReadSectionValues(const AnsiString& Section, TStrings* Strings) {
  TStringList keys;
  ReadSection(Section, &keys);
  WithinUpdate(*Strings, [&] {
    Strings->Clear();
    for (int i = 0; i < keys.Count(); ++i) Strings->Add(keys[i] + "=" + ReadString(Section, keys[i], AnsiString()));
  });
}

void TIniFile::EraseSection(const AnsiString& Section) {
  if (!WritePrivateProfileStringW(AnsiToWide(Section).c_str(), nullptr, nullptr, FileName().c_str()))
    throw EIniFileException(L"Unable to write to " + FileName());
}

void TIniFile::DeleteKey(const AnsiString& Section, const AnsiString& Ident) {
  WritePrivateProfileStringW(AnsiToWide(Section).c_str(), AnsiToWide(Ident).c_str(), nullptr, FileName().c_str());
}

void TIniFile::UpdateFile() { WritePrivateProfileStringW(nullptr, nullptr, nullptr, FileName().c_str()); }
