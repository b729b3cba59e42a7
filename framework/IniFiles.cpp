// The INI document in memory, the write-through INI file over the profile functions, and the
// typed reads and writes they share.
#include "framework/IniFiles.h"

#include "framework/CodePages.h"
#include "framework/Conversions.h"
#include "framework/DateTime.h"
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
  if (HasLineBreak(Value)) RaiseUnstorable("value of", Ident);
}

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
// occurs twice keeps both entries; the first is the one that is read and written.
struct TMemIniFile::TSection {
  AnsiString Name;
  std::vector<std::pair<AnsiString, AnsiString>> Keys;
  std::unordered_map<AnsiString, size_t> Index;

  const std::pair<AnsiString, AnsiString>* Find(const AnsiString& key) const {
    auto it = Index.find(NameIndex(key));
    return it == Index.end() ? nullptr : &Keys[it->second];
  }
  void Set(const AnsiString& key, const AnsiString& value) {
    AnsiString index = NameIndex(key);
    auto it = Index.find(index);
    if (it != Index.end()) {
      Keys[it->second].second = value;
      return;
    }
    Index.emplace(index, Keys.size());
    Keys.emplace_back(Trim(key), value);
  }
  void Add(const AnsiString& key, const AnsiString& value) {
    Index.emplace(NameIndex(key), Keys.size());  // keeps an earlier entry of the same name
    Keys.emplace_back(Trim(key), value);
  }
  void Remove(const AnsiString& key) {
    auto it = Index.find(NameIndex(key));
    if (it == Index.end()) return;
    Keys.erase(Keys.begin() + static_cast<std::ptrdiff_t>(it->second));
    Index.clear();
    for (size_t i = 0; i < Keys.size(); ++i) Index.emplace(NameIndex(Keys[i].first), i);
  }
};

TMemIniFile::TMemIniFile(const WideString& FileName) : TCustomIniFile(FileName) { LoadValues(); }

TMemIniFile::~TMemIniFile() = default;

TMemIniFile::TSection* TMemIniFile::FindSection(const AnsiString& Name) const {
  auto it = sectionIndex_.find(NameIndex(Name));
  return it == sectionIndex_.end() ? nullptr : sections_[it->second].get();
}

TMemIniFile::TSection& TMemIniFile::AddSection(const AnsiString& Name) {
  if (TSection* existing = FindSection(Name)) return *existing;
  auto section = std::make_unique<TSection>();
  section->Name = Trim(Name);
  TSection& result = *section;
  // The untitled section holds the keys before the first title, so it stays first.
  if (section->Name.empty()) {
    sections_.insert(sections_.begin(), std::move(section));
    ReindexSections();
  } else {
    sectionIndex_.emplace(NameIndex(Name), sections_.size());
    sections_.push_back(std::move(section));
  }
  return result;
}

void TMemIniFile::ReindexSections() {
  sectionIndex_.clear();
  for (size_t i = 0; i < sections_.size(); ++i) sectionIndex_.emplace(NameIndex(sections_[i]->Name), i);
}

void TMemIniFile::LoadValues() {
  if (!FileName().empty() && FileExists(FileName())) {
    TStringList lines;
    lines.LoadFromFile(FileName());
    SetStrings(&lines);
  } else {
    Clear();
  }
}

void TMemIniFile::Clear() {
  sections_.clear();
  sectionIndex_.clear();
}

void TMemIniFile::SetStrings(TStrings* List) {
  Clear();
  TSection* current = nullptr;
  for (int i = 0; i < List->Count(); ++i) {
    AnsiString line = List->Strings(i);
    // A file saved by an editor that marks UTF-8 starts with the mark; it is not part of the
    // first section's title.
    if (i == 0 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
    line = Trim(line);
    if (line.empty() || line[0] == ';') continue;
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      current = &AddSection(Trim(line.substr(1, line.size() - 2)));
      continue;
    }
    if (!current) current = &AddSection(AnsiString());
    size_t eq = line.find('=');
    if (eq == AnsiString::npos) current->Add(line, AnsiString());
    else current->Add(Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)));
  }
}

void TMemIniFile::GetStrings(TStrings* List) {
  WithinUpdate(*List, [&] {
    List->Clear();
    for (const auto& section : sections_) {
      if (!section->Name.empty()) List->Add("[" + section->Name + "]");
      else if (section->Keys.empty()) continue;
      for (const auto& [key, value] : section->Keys) List->Add(key + "=" + value);
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
      if (!section->Name.empty()) Strings->Add(section->Name);
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
  sections_.erase(sections_.begin() + static_cast<std::ptrdiff_t>(it->second));
  ReindexSections();
}

void TMemIniFile::DeleteKey(const AnsiString& Section, const AnsiString& Ident) {
  if (TSection* s = FindSection(Section)) s->Remove(Ident);
}

void TMemIniFile::UpdateFile() {
  TStringList lines;
  GetStrings(&lines);
  lines.SaveToFile(FileName());
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
    for (int i = 0; i < keys.Count(); ++i)
      Strings->Add(keys[i] + "=" + ReadString(Section, keys[i], AnsiString()));
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
