// The INI back end: file names and locations, the value texts, escaping, flush and reload.
#include "foundation/ApAppIniStorage.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

#include "framework/CodePages.h"
#include "framework/Conversions.h"
#include "framework/Exceptions.h"
#include "framework/FileRoutines.h"
#include "framework/ScopeGuards.h"
#include "framework/StrRoutines.h"
#include "framework/UpdateBracket.h"
#include "framework/UtilityWindow.h"
#include "framework/Win.h"

namespace {

bool StartsWithText(const AnsiString& s, const AnsiString& prefix) {
  return s.size() >= prefix.size() && SameText(s.substr(0, prefix.size()), prefix);
}

unsigned char U(char c) { return static_cast<unsigned char>(c); }

// ---- the two optional escapes of the original format ----

AnsiString EncodeLineBreaks(const AnsiString& s) {
  AnsiString r;
  for (size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (c == '\\') {
      r += "\\\\";
    } else if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
      r += "\\n";
    } else {
      r += c;
    }
  }
  return r;
}

AnsiString DecodeLineBreaks(const AnsiString& s) {
  AnsiString r;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == 'n')) {
      r += s[i + 1] == 'n' ? "\r\n" : "\\";
      ++i;
    } else {
      r += s[i];
    }
  }
  return r;
}

bool QuotedEnds(const AnsiString& s) { return !s.empty() && s.front() == '"' && s.back() == '"'; }

// The INI text drops every byte up to the blank at both ends of a value when it is read.
bool BlankEnds(const AnsiString& s) { return !s.empty() && (U(s.front()) <= ' ' || U(s.back()) <= ' '); }

AnsiString QuoteBlanks(const AnsiString& s) { return BlankEnds(s) || QuotedEnds(s) ? "\"" + s + "\"" : s; }

AnsiString UnquoteBlanks(const AnsiString& s) {
  if (!QuotedEnds(s)) return s;
  return s.size() < 2 ? AnsiString() : s.substr(1, s.size() - 2);
}

// ---- the safe form for what the text could not hold otherwise ----

// Line breaks would split the line and blanks at the ends would be trimmed away on reading,
// unless the format's own options take care of them already.
struct TEscapes {
  bool lineBreaks;  // ReplaceCRLF
  bool blanks;      // PreserveLeadingTrailingBlanks
};

bool NeedsSafeForm(const AnsiString& t, TEscapes e) {
  return (!e.lineBreaks && t.find_first_of("\r\n") != AnsiString::npos) || (!e.blanks && BlankEnds(t));
}

// The safe form starts with a DEL character and a double quote. No settings file written
// before it existed holds a value starting that way (nobody types a DEL into a setting), so an
// old file's "\n" or " " still reads as the text it is.
const char kSafeMark[] = "\x7F\"";

bool HasSafeMark(const AnsiString& t) { return t.compare(0, 2, kSafeMark) == 0; }

AnsiString ToSafeForm(const AnsiString& t) {
  AnsiString r = kSafeMark;
  for (char c : t) {
    if (c == '\\')
      r += "\\\\";
    else if (c == '\r')
      r += "\\r";
    else if (c == '\n')
      r += "\\n";
    else
      r += c;
  }
  return r + "\"";
}

// The text inside the marked quotes with its escapes undone; false when the text is not in the
// safe form or holds a backslash that is no escape of ours.
bool FromSafeForm(const AnsiString& text, AnsiString& value) {
  if (text.size() < 3 || !HasSafeMark(text) || text.back() != '"') return false;
  AnsiString r;
  for (size_t i = 2; i + 1 < text.size(); ++i) {
    if (text[i] != '\\') {
      r += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return false;
    char e = text[++i];
    if (e == '\\')
      r += '\\';
    else if (e == 'r')
      r += '\r';
    else if (e == 'n')
      r += '\n';
    else
      return false;
  }
  value = std::move(r);
  return true;
}

}  // namespace

AnsiString IniEncodeValue(const AnsiString& Value, bool ReplaceCRLF, bool PreserveBlanks) {
  AnsiString t = Value;
  if (ReplaceCRLF) t = EncodeLineBreaks(t);
  if (PreserveBlanks) t = QuoteBlanks(t);
  // A text that starts like the safe form goes in it too, so that it reads back as it was.
  if (NeedsSafeForm(t, TEscapes{ReplaceCRLF, PreserveBlanks}) || HasSafeMark(t)) t = ToSafeForm(t);
  return t;
}

AnsiString IniDecodeValue(const AnsiString& Text, bool ReplaceCRLF, bool PreserveBlanks) {
  AnsiString t = Text;
  AnsiString inner;
  if (FromSafeForm(Text, inner)) t = inner;
  if (PreserveBlanks) t = UnquoteBlanks(t);
  if (ReplaceCRLF) t = DecodeLineBreaks(t);
  return t;
}

// ---------------------------------------------------------------------------------------------
// TApCustomAppMemoryFileStorage

TApCustomAppMemoryFileStorage::TApCustomAppMemoryFileStorage(TComponent* AOwner) : TApCustomAppStorage(AOwner) {}

TApCustomAppMemoryFileStorage::TApCustomAppMemoryFileStorage(TComponent* AOwner,
                                                             std::unique_ptr<TApAppStorageOptions> Options)
    : TApCustomAppStorage(AOwner, std::move(Options)) {}

template <class F>
void TApCustomAppMemoryFileStorage::ChangeFile(F Change) {
  if (!IsLoading()) Flush();
  Change();
  UpdatePhysicalReadOnly();
  if (!IsLoading()) Reload();
}

void TApCustomAppMemoryFileStorage::SetFileName(const AnsiString& Value) {
  AnsiString name = PathWithExtension(Value, DefaultExtension());
  if (name == fileName_) return;
  ChangeFile([&] { fileName_ = name; });
}

void TApCustomAppMemoryFileStorage::SetWideFileName(const WideString& Value) {
  if (Value == wideFileName_) return;
  ChangeFile([&] { wideFileName_ = Value; });
}

void TApCustomAppMemoryFileStorage::SetLocation(TFileLocation Value) {
  if (Value == location_) return;
  ChangeFile([&] { location_ = Value; });
}

void TApCustomAppMemoryFileStorage::SetOnGetFileName(const TApGetFileNameEvent& Value) {
  if (Value == onGetFileName_) return;
  ChangeFile([&] { onGetFileName_ = Value; });
}

AnsiString TApCustomAppMemoryFileStorage::DoGetFileName() {
  AnsiString name = fileName_;
  if (onGetFileName_) onGetFileName_(this, name);
  return name;
}

// The same name in the ANSI code page, for callers that still take one.
AnsiString TApCustomAppMemoryFileStorage::FullFileName() { return WideToAnsi(FullWideFileName()); }

WideString TApCustomAppMemoryFileStorage::FullWideFileName() {
  if (!wideFileName_.empty()) return wideFileName_;
  if (fileName_.empty() && location_ != flCustom) return WideString();
  const WideString name = AnsiToWide(fileName_), namePart = ExtractFileName(name);
  auto within = [](const WideString& folder, const WideString& rest) {
    return folder.empty() || folder.back() == L'\\' ? folder + rest : folder + L"\\" + rest;
  };
  switch (location_) {
    case flCustom: return AnsiToWide(DoGetFileName());
    case flWindows: return within(WindowsDirectoryW(), namePart);
    case flTemp: return within(TempDirectoryW(), namePart);
    case flExeFile: return within(ExtractFilePath(ModuleFileNameW(nullptr)), namePart);
    case flUserFolder: return within(GetAppdataFolderW(), PathIsAbsolute(fileName_) ? namePart : name);
  }
  return WideString();
}

void TApCustomAppMemoryFileStorage::UpdatePhysicalReadOnly() {
  const WideString name = FullWideFileName();
  int attr = name.empty() ? -1 : FileGetAttr(name);
  physicalReadOnly_ = attr != -1 && (attr & FILE_ATTRIBUTE_READONLY) && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

void TApCustomAppMemoryFileStorage::Reload() { UpdatePhysicalReadOnly(); }

HV_PUBLISH(TApCustomAppMemoryFileStorage) {}

// ---------------------------------------------------------------------------------------------
// TApAppIniStorageOptions

TApAppIniStorageOptions::TApAppIniStorageOptions() { SetFloatAsString(false); }

void TApAppIniStorageOptions::Assign(TPersistent* Source) {
  TApAppStorageOptions::Assign(Source);
  if (auto* src = dynamic_cast<TApAppIniStorageOptions*>(Source)) {
    SetReplaceCRLF(src->replaceCRLF_);
    SetPreserveLeadingTrailingBlanks(src->preserveBlanks_);
  }
}

HV_PUBLISH(TApAppIniStorageOptions) {
  p.Prop("ReplaceCRLF", &T::ReplaceCRLF, &T::SetReplaceCRLF).Default(false);
  p.Prop("PreserveLeadingTrailingBlanks", &T::PreserveLeadingTrailingBlanks, &T::SetPreserveLeadingTrailingBlanks)
      .Default(false);
}

// ---------------------------------------------------------------------------------------------
// TApCustomAppIniStorage

TApCustomAppIniStorage::TApCustomAppIniStorage(TComponent* AOwner)
    : TApCustomAppMemoryFileStorage(AOwner, std::make_unique<TApAppIniStorageOptions>()),
      ini_(std::make_unique<TMemIniFile>(WideString())) {}

TApCustomAppIniStorage::~TApCustomAppIniStorage() = default;

void TApCustomAppIniStorage::ReloadIfNeeded() {
  if (!AutoReloadActive()) return;
  try {
    Reload();
  } catch (const EFOpenError&) {
    // A file never read that cannot be opened yet (another program holds it) leaves the reads on
    // their defaults and the writes in memory, instead of failing whatever asked.
    if (LoadedOnce()) throw;
  }
}

void TApCustomAppIniStorage::FlushIfNeeded() {
  if (AutoFlushActive()) Flush();
}

AnsiString TApCustomAppIniStorage::CheckSection(const AnsiString& Section) const {
  AnsiString s = Section;
  if (s.empty() || s[0] == '.') s = defaultSection_ + s;
  if (s.empty() || s[0] == '.') throw EApAppStorageError("TApAppIniFileStorage.ReadValue: Section undefined");
  return s;
}

void TApCustomAppIniStorage::MapPath(const AnsiString& Path, AnsiString& Section, AnsiString& Key) {
  SplitKeyPath(Path, Section, Key);
  if (Section.empty()) Section = defaultSection_;
  Section = CheckSection(Section);
}

AnsiString TApCustomAppIniStorage::ReadValue(const AnsiString& Section, const AnsiString& Key) {
  const AnsiString section = CheckSection(Section);
  ReloadIfNeeded();
  return IniDecodeValue(ini_->ReadString(section, Key, AnsiString()), IniStorageOptions()->ReplaceCRLF(),
                        IniStorageOptions()->PreserveLeadingTrailingBlanks());
}

void TApCustomAppIniStorage::WriteValue(const AnsiString& Section, const AnsiString& Key, const AnsiString& Value) {
  const AnsiString section = CheckSection(Section);
  ReloadIfNeeded();
  Change({TIniChangeKind::Write, section, Key, Value});
  FlushIfNeeded();
}

void TApCustomAppIniStorage::RemoveValue(const AnsiString& Section, const AnsiString& Key) {
  const AnsiString section = CheckSection(Section);
  ReloadIfNeeded();
  Change({TIniChangeKind::Remove, section, Key, AnsiString()});
  FlushIfNeeded();
}

void TApCustomAppIniStorage::Apply(const TIniChange& C) {
  auto eraseBelow = [&](const AnsiString& root) {
    TStringList sections;
    ini_->ReadSections(&sections);
    for (int i = 0; i < sections.Count(); ++i)
      if (root.empty() || SameText(sections[i], root) || StartsWithText(sections[i], root + "\\"))
        ini_->EraseSection(sections[i]);
  };
  switch (C.Kind) {
    case TIniChangeKind::Write:
      ini_->WriteString(C.Section, C.Key,
                        IniEncodeValue(C.Value, IniStorageOptions()->ReplaceCRLF(),
                                       IniStorageOptions()->PreserveLeadingTrailingBlanks()));
      break;
    case TIniChangeKind::Remove:
      if (ini_->ValueExists(C.Section, C.Key))
        ini_->DeleteKey(C.Section, C.Key);
      else
        ini_->EraseSection(C.Section + "\\" + C.Key);  // a list or object stored under that name
      break;
    case TIniChangeKind::RemoveTree: eraseBelow(C.Section); break;
  }
}

bool TApCustomAppIniStorage::KeyExists(const AnsiString& Path) {
  AnsiString section, key;
  MapPath(Path, section, key);
  ReloadIfNeeded();
  ValueRead(section, key);
  return ini_->ValueExists(section, key);
}

bool TApCustomAppIniStorage::ValueStoredInt(const AnsiString& Path) { return KeyExists(Path); }

bool TApCustomAppIniStorage::IsFolderInt(const AnsiString& Path, bool ListIsValue) {
  const AnsiString section = NormalizeStoragePath(Path);
  ReloadIfNeeded();
  if (!ini_->SectionExists(section)) return false;
  return !(ListIsValue && ini_->ValueExists(section, "Count"));
}

bool TApCustomAppIniStorage::PathExistsInt(const AnsiString& Path) {
  ReloadIfNeeded();
  return ini_->SectionExists(NormalizeStoragePath(Path));
}

void TApCustomAppIniStorage::DeleteValueInt(const AnsiString& Path) {
  AnsiString section, key;
  MapPath(Path, section, key);
  RemoveValue(section, key);
}

void TApCustomAppIniStorage::DeleteSubTreeInt(const AnsiString& Path) {
  const AnsiString root = NormalizeStoragePath(Path);
  ReloadIfNeeded();
  Change({TIniChangeKind::RemoveTree, root, AnsiString(), AnsiString()});
  FlushIfNeeded();
}

int TApCustomAppIniStorage::DoReadInteger(const AnsiString& Path, int Default) {
  if (!KeyExists(Path)) return Default;
  AnsiString section, key;
  MapPath(Path, section, key);
  AnsiString text = ReadValue(section, key);
  return text.empty() ? 0 : StrToInt(text);
}

void TApCustomAppIniStorage::DoWriteInteger(const AnsiString& Path, int Value) {
  AnsiString section, key;
  MapPath(Path, section, key);
  WriteValue(section, key, IntToStr(Value));
}

// Floats are kept exactly: the ten bytes of the 80-bit value as hexadecimal, lowest first.
long double TApCustomAppIniStorage::DoReadFloat(const AnsiString& Path, long double Default) {
  if (!KeyExists(Path)) return Default;
  AnsiString section, key;
  MapPath(Path, section, key);
  unsigned char bytes[10] = {};
  if (HexTextToBuffer(ReadValue(section, key), bytes, 10) < 10) return Default;
  long double v;
  std::memset(&v, 0, sizeof v);
  std::memcpy(&v, bytes, 10);
  return v;
}

void TApCustomAppIniStorage::DoWriteFloat(const AnsiString& Path, long double Value) {
  AnsiString section, key;
  MapPath(Path, section, key);
  unsigned char bytes[10];
  std::memcpy(bytes, &Value, 10);
  WriteValue(section, key, BufferToHexText(bytes, 10));
}

AnsiString TApCustomAppIniStorage::DoReadString(const AnsiString& Path, const AnsiString& Default) {
  if (!KeyExists(Path)) return Default;
  AnsiString section, key;
  MapPath(Path, section, key);
  return ReadValue(section, key);
}

void TApCustomAppIniStorage::DoWriteString(const AnsiString& Path, const AnsiString& Value) {
  AnsiString section, key;
  MapPath(Path, section, key);
  WriteValue(section, key, Value);
}

int TApCustomAppIniStorage::DoReadBinary(const AnsiString& Path, void* Buf, int Count) {
  if (!KeyExists(Path)) return 0;
  AnsiString section, key;
  MapPath(Path, section, key);
  return HexTextToBuffer(ReadValue(section, key), Buf, Count);
}

void TApCustomAppIniStorage::DoWriteBinary(const AnsiString& Path, const void* Buf, int Count) {
  AnsiString section, key;
  MapPath(Path, section, key);
  WriteValue(section, key, BufferToHexText(Buf, Count));
}

void TApCustomAppIniStorage::EnumFolders(const AnsiString& Path, TStrings& Strings, bool ReportListAsValue) {
  const AnsiString root = NormalizeStoragePath(Path);
  ReloadIfNeeded();
  TStringList sections;
  ini_->ReadSections(&sections);
  WithinUpdate(Strings, [&] {
    Strings.Clear();
    for (int i = 0; i < sections.Count(); ++i) {
      const AnsiString& name = sections[i];
      AnsiString child = name;
      if (!root.empty()) {
        if (!StartsWithText(name, root + "\\")) continue;
        child = name.substr(root.size() + 1);
        if (child.find('\\') != AnsiString::npos) continue;
      }
      if (child.empty() || (ReportListAsValue && ini_->ValueExists(name, "Count"))) continue;
      Strings.Add(child);
    }
  });
}

void TApCustomAppIniStorage::EnumValues(const AnsiString& Path, TStrings& Strings, bool ReportListAsValue) {
  AnsiString section = NormalizeStoragePath(Path);
  if (section.empty()) section = defaultSection_;
  ReloadIfNeeded();
  TStringList keys;
  ini_->ReadSection(section, &keys);
  WithinUpdate(Strings, [&] {
    Strings.Clear();
    const bool list = ReportListAsValue && keys.IndexOf("Count") >= 0;
    for (int i = 0; i < keys.Count(); ++i) {
      const AnsiString& k = keys[i];
      if (list && (SameText(k, "Count") || (StartsWithText(k, "Item") && k.size() > 4 && k[4] >= '0' && k[4] <= '9')))
        continue;
      Strings.Add(k);
    }
    if (list) Strings.Add(AnsiString());
  });
}

AnsiString TApCustomAppIniStorage::GetAsString() {
  ReloadIfNeeded();
  TStringList lines;
  ini_->GetStrings(&lines);
  return lines.Text();
}

void TApCustomAppIniStorage::SetAsString(const AnsiString& Value) {
  TStringList lines;
  lines.SetText(Value);
  ini_->SetStrings(&lines);
  MarkLoaded();
  FlushIfNeeded();
}

HV_PUBLISH(TApCustomAppIniStorage) {}

// ---------------------------------------------------------------------------------------------
// TApAppIniFileStorage

TApAppIniFileStorage::TApAppIniFileStorage(TComponent* AOwner) : TApCustomAppIniStorage(AOwner) {}

TApAppIniFileStorage::~TApAppIniFileStorage() {
  if (!FlushOnDestroy()) return;
  try {
    Flush();
  } catch (...) {
    // A destructor must not throw, but the user's settings must not vanish without a word.
    HandleWindowException();
  }
}

void TApAppIniFileStorage::Flush() {
  // A designer edits the storage's settings, not the file it names.
  if (ComponentState().Contains(csDesigning)) return;
  const WideString wide = FullWideFileName();
  // A document that was never read from its file would write over what the file holds.
  if (wide.empty() || ReadOnly() || !LoadedOnce()) return;
  const WideString folder = ExtractFileDir(wide);
  if (!folder.empty()) ForceDirectories(folder);
  IniFile().Rename(wide, false);
  // The INI file writes beside the old file and replaces it, so a failed write loses nothing.
  IniFile().SaveToFile(wide);
  // What the run changed while the file could not be read is in it now.
  pending_.clear();
}

void TApAppIniFileStorage::Reload() {
  // The program is telling what it starts with: the file is not read halfway through.
  if (recordingStart_ || ComponentState().Contains(csDesigning)) return;
  TApCustomAppIniStorage::Reload();
  const WideString name = FullWideFileName();
  // What the run started with belongs to the file that could not be read then.
  if (!awaitedName_.empty() && !WideSameText(name, awaitedName_)) ForgetRunsStart();
  if (name.empty()) {
    IniFile().Clear();
    MarkLoaded();
    return;
  }
  try {
    IniFile().Rename(name, true);
  } catch (const EFOpenError&) {
    if (WideSameText(readName_, name)) throw;
    // Held by another program before it was ever read: the storage goes on with what the run
    // writes, writes nothing over the file, and reads it at the next read or write that can.
    if (!WideSameText(awaitedName_, name)) IniFile().Clear();
    awaitedName_ = name;
    MarkUnread();
    throw;
  }
  readName_ = name;
  bool kept = false;
  if (!IniFile().Understood() && !ReadOnly()) {
    keptFileName_ = KeepDamagedSettingsFile(name);
    IniFile().Rename(name, true);
    kept = !keptFileName_.empty();
  }
  MarkLoaded();
  ReplayPending();
  if (kept && OnFileKept) OnFileKept(this);
}

void TApAppIniFileStorage::ForgetRunsStart() {
  awaitedName_.clear();
  starting_.clear();
  ownKeys_.clear();
  ownRoots_.clear();
  pending_.clear();
  merges_.clear();
}

void TApAppIniFileStorage::RecordStartingValues(const std::function<void()>& Write) {
  // Once the file was read, what the program holds came from it; values written past a
  // sub-storage would be written for real.
  if (LoadedOnce() || awaitedName_.empty() || SubStorages()->Count() > 0) return;
  TTempValue recording(recordingStart_, true);
  Write();
}

namespace {

AnsiString nameKey(const AnsiString& Name) { return AnsiUpperCase(Trim(Name)); }

bool isBelow(const AnsiString& Section, const AnsiString& Root) {
  return Root.empty() || Section == Root || Section.compare(0, Root.size() + 1, Root + "\\") == 0;
}

AnsiString parentSection(const AnsiString& Section) {
  const size_t at = Section.rfind('\\');
  return at == AnsiString::npos ? AnsiString() : Section.substr(0, at);
}

// The number of an item's name ("Item" and its digits, as a list writes them); -1 for others.
int itemIndex(const AnsiString& Name) {
  const AnsiString k = nameKey(Name);
  if (k.size() <= 4 || k.size() > 13 || k.compare(0, 4, "ITEM") != 0 || (k.size() > 5 && k[4] == '0')) return -1;
  if (!std::all_of(k.begin() + 4, k.end(), [](char c) { return c >= '0' && c <= '9'; })) return -1;
  return std::stoi(k.substr(4));
}

// "Count", and the items' names: the names a list keeps in its section.
bool isListName(const AnsiString& Key) { return nameKey(Key) == "COUNT" || itemIndex(Key) >= 0; }

void eraseBelow(std::map<AnsiString, std::map<AnsiString, AnsiString>>& Tree, const AnsiString& Root) {
  for (auto it = Tree.begin(); it != Tree.end();) it = isBelow(it->first, Root) ? Tree.erase(it) : std::next(it);
}

// The file's list as the other programs have it, from the list Now the document holds: the
// items only this run put there (in Written, not in Before, the others' list as it was) are
// left out, and the items of Before that the run did not write (it had dropped them then, or the
// limit had no room for them) are put back before the next item of Before that is listed.
template <class Items>
Items othersList(const Items& Before, const Items& Written, const Items& Now) {
  const std::set<typename Items::value_type> before(Before.begin(), Before.end()),
      written(Written.begin(), Written.end());
  Items list;
  for (const auto& item : Now)
    if (!written.count(item) || before.count(item)) list.push_back(item);
  for (size_t i = 0; i < Before.size(); ++i) {
    if (written.count(Before[i]) || std::find(list.begin(), list.end(), Before[i]) != list.end()) continue;
    auto at = list.end();
    for (size_t j = i + 1; j < Before.size() && at == list.end(); ++j)
      at = std::find(list.begin(), list.end(), Before[j]);
    list.insert(at, Before[i]);
  }
  return list;
}

}  // namespace

TApAppIniFileStorage::TItems TApAppIniFileStorage::ListItems(const TTree& Tree, const AnsiString& Root) {
  auto own = Tree.find(Root);
  if (own == Tree.end() || !own->second.count("COUNT")) return {};
  int count = 0;
  if (!TryStrToInt(Trim(own->second.at("COUNT")), count) || count < 0) count = INT_MAX;
  std::map<int, TListItem> items;
  for (const auto& [key, value] : own->second)
    if (const int at = itemIndex(key); at >= 0 && at < count) {
      items[at].HasValue = true;
      items[at].Value = value;
    }
  const AnsiString below = Root + "\\";
  for (auto it = Tree.lower_bound(below); it != Tree.end() && it->first.compare(0, below.size(), below) == 0; ++it) {
    const AnsiString path = it->first.substr(Root.size() + 1);
    const size_t end = std::min(path.find('\\'), path.size());
    if (const int at = itemIndex(path.substr(0, end)); at >= 0 && at < count)
      items[at].Below[path.substr(end)] = it->second;
  }
  TItems list;
  for (auto& [at, item] : items) list.push_back(std::move(item));
  return list;
}

void TApAppIniFileStorage::Change(const TIniChange& C) {
  if (recordingStart_) {
    if (C.Kind == TIniChangeKind::Write) starting_[nameKey(C.Section)].emplace(nameKey(C.Key), C.Value);
    return;
  }
  if (!LoadedOnce()) {
    // The file could not be read: the document keeps what the run writes, and the change waits
    // to be done over the file's values once it is read.
    Apply(C);
    pending_.push_back(C);
    return;
  }
  if (awaitedName_.empty()) {
    Apply(C);
    return;
  }
  if (!MergeList(C, {}) && RunChanged(C)) Apply(C);
}

void TApAppIniFileStorage::ReplayPending() {
  // A list the run wrote before the file could be read was written without the file's at hand.
  std::set<AnsiString> lists;
  for (const TIniChange& c : pending_)
    if (c.Kind == TIniChangeKind::Write && nameKey(c.Key) == "COUNT") lists.insert(nameKey(c.Section));
  for (const TIniChange& c : pending_)
    if (!MergeList(c, lists) && RunChanged(c)) Apply(c);
}

void TApAppIniFileStorage::LimitList(const AnsiString& Path, int MaxCount) {
  limits_[nameKey(NormalizeStoragePath(Path))] = std::max(MaxCount, 0);
}

bool TApAppIniFileStorage::MergeList(const TIniChange& C, const std::set<AnsiString>& Lists) {
  if (merges_.empty() && starting_.empty() && Lists.empty()) return false;
  const AnsiString section = nameKey(C.Section);
  // What a removal takes: a subtree, or the one section stored under a value's name. A list it
  // takes whole is the run's from then on, not merged.
  const bool tree = C.Kind == TIniChangeKind::RemoveTree;
  const AnsiString taken = tree                               ? section
                           : C.Kind == TIniChangeKind::Remove ? section + "\\" + nameKey(C.Key)
                                                              : AnsiString();
  auto takes = [&](const AnsiString& Root) { return !taken.empty() && (tree ? isBelow(Root, taken) : Root == taken); };
  if (!taken.empty()) OwnMergedLists(takes);
  auto within = [&](const AnsiString& Root) { return !Root.empty() && isBelow(section, Root) && !takes(Root); };
  AnsiString root;
  for (const auto& m : merges_)
    if (within(m.first) && m.first.size() > root.size()) root = m.first;
  if (root.empty()) {
    if (const AnsiString started = ListRoot(section); within(started)) root = started;
    for (const AnsiString& list : Lists)
      if (within(list) && list.size() > root.size()) root = list;
    if (root.empty() || Owned(root, AnsiString())) return false;
  }
  auto [at, made] = merges_.try_emplace(root);
  TListMerge& m = at->second;
  if (made) {
    // The run's list is what it started with until it writes otherwise.
    m.Name = Trim(C.Section).substr(0, root.size());
    for (const auto& [name, values] : starting_)
      if (isBelow(name, root)) m.Run[name] = values;
  }
  const AnsiString key = nameKey(C.Key);
  switch (C.Kind) {
    case TIniChangeKind::Write: m.Run[section][key] = C.Value; break;
    case TIniChangeKind::Remove:
      if (auto values = m.Run.find(section); values == m.Run.end() || !values->second.erase(key)) m.Run.erase(taken);
      break;
    case TIniChangeKind::RemoveTree: eraseBelow(m.Run, section); break;
  }
  PutMergedList(root);
  return true;
}

void TApAppIniFileStorage::OwnMergedLists(const std::function<bool(const AnsiString& Root)>& Which) {
  for (auto it = merges_.begin(); it != merges_.end();) {
    if (!Which(it->first)) {
      ++it;
      continue;
    }
    ownRoots_.insert(it->first);
    it = merges_.erase(it);
  }
}

TApAppIniFileStorage::TTree TApAppIniFileStorage::DocumentBelow(const AnsiString& Root) {
  TTree tree;
  TStringList sections, keys;
  IniFile().ReadSections(&sections);
  for (int i = 0; i < sections.Count(); ++i) {
    const AnsiString name = nameKey(sections[i]);
    if (!isBelow(name, Root)) continue;
    IniFile().ReadSection(sections[i], &keys);
    for (int k = 0; k < keys.Count(); ++k)
      tree[name][nameKey(keys[k])] =
          IniDecodeValue(IniFile().ReadString(sections[i], keys[k], AnsiString()), IniStorageOptions()->ReplaceCRLF(),
                         IniStorageOptions()->PreserveLeadingTrailingBlanks());
  }
  return tree;
}

void TApAppIniFileStorage::PutMergedList(const AnsiString& Root) {
  TListMerge& m = merges_.at(Root);
  const TItems started = ListItems(starting_, Root), run = ListItems(m.Run, Root);
  std::map<TListItem, size_t> startAt;
  for (size_t i = 0; i < started.size(); ++i) startAt.emplace(started[i], i);
  const std::set<TListItem> kept(run.begin(), run.end());
  // The run added an item new to its start, or one of its start that it moved ahead of another
  // (as a history does with an item used again).
  std::vector<bool> added(run.size());
  for (size_t i = run.size(), lowest = SIZE_MAX; i-- > 0;) {
    auto at = startAt.find(run[i]);
    added[i] = at == startAt.end() || at->second > lowest;
    if (at != startAt.end()) lowest = std::min(lowest, at->second);
  }
  std::set<TListItem> listed;
  TItems list;
  for (size_t i = 0; i < run.size(); ++i)
    if (added[i] && listed.insert(run[i]).second) list.push_back(run[i]);
  const bool dropped = std::any_of(started.begin(), started.end(), [&](const TListItem& i) { return !kept.count(i); });
  // Written as it started, the list stays the file's as it is.
  if (!m.Changed && list.empty() && !dropped) return;
  // The file's list as it is now: another copy of the program may have changed it since the run
  // wrote it last, and the run's own earlier items are not the file's.
  const TItems now = ListItems(DocumentBelow(Root), Root);
  m.File = m.Changed ? othersList(m.File, m.Written, now) : now;
  m.Changed = true;
  for (const TListItem& item : m.File)
    if ((!startAt.count(item) || kept.count(item)) && listed.insert(item).second) list.push_back(item);
  if (auto limit = limits_.find(Root); limit != limits_.end() && list.size() > static_cast<size_t>(limit->second))
    list.resize(static_cast<size_t>(limit->second));
  m.Written = list;
  // The list's own names go, with the sections of its items; the rest of its section stays.
  TStringList names;
  IniFile().ReadSection(m.Name, &names);
  for (int i = 0; i < names.Count(); ++i)
    if (isListName(names[i])) IniFile().DeleteKey(m.Name, names[i]);
  IniFile().ReadSections(&names);
  for (int i = 0; i < names.Count(); ++i) {
    const AnsiString name = nameKey(names[i]);
    if (name.size() <= Root.size() || !isBelow(name, Root)) continue;
    const AnsiString child = name.substr(Root.size() + 1);
    if (isListName(child.substr(0, child.find('\\')))) IniFile().EraseSection(names[i]);
  }
  Apply({TIniChangeKind::Write, m.Name, "Count", IntToStr(static_cast<int>(list.size()))});
  for (size_t i = 0; i < list.size(); ++i) {
    const AnsiString item = "Item" + IntToStr(static_cast<int>(i));
    if (list[i].HasValue) Apply({TIniChangeKind::Write, m.Name, item, list[i].Value});
    for (const auto& [below, values] : list[i].Below)
      for (const auto& [key, value] : values) Apply({TIniChangeKind::Write, m.Name + "\\" + item + below, key, value});
  }
}

AnsiString TApAppIniFileStorage::ListRoot(const AnsiString& Section) const {
  for (AnsiString s = Section;; s = parentSection(s)) {
    auto it = starting_.find(s);
    if (it != starting_.end() && it->second.count("COUNT")) return s;
    if (s.empty()) return AnsiString();
  }
}

bool TApAppIniFileStorage::StartedBelow(const AnsiString& Root) const {
  return std::any_of(starting_.begin(), starting_.end(), [&](const auto& s) { return isBelow(s.first, Root); });
}

bool TApAppIniFileStorage::Owned(const AnsiString& Section, const AnsiString& Key) const {
  return ownKeys_.count(Section + '\x01' + Key) > 0 ||
         std::any_of(ownRoots_.begin(), ownRoots_.end(), [&](const AnsiString& r) { return isBelow(Section, r); });
}

bool TApAppIniFileStorage::RunChanged(const TIniChange& C) {
  if (starting_.empty()) return true;
  const AnsiString section = nameKey(C.Section), key = nameKey(C.Key);
  const AnsiString below = C.Kind == TIniChangeKind::RemoveTree ? section : section + "\\" + key;
  auto ownedBelow = [&] {
    return std::any_of(ownRoots_.begin(), ownRoots_.end(), [&](const AnsiString& r) { return isBelow(r, below); });
  };
  if (Owned(section, key) || (C.Kind != TIniChangeKind::Write && ownedBelow())) return true;
  const AnsiString list = ListRoot(section);
  auto values = starting_.find(section);
  if (C.Kind == TIniChangeKind::Write) {
    if (values != starting_.end()) {
      auto value = values->second.find(key);
      if (value != values->second.end() && value->second == C.Value) return false;
    }
    // A value of a section the run did not start with is the run's as it stands.
    if (values != starting_.end()) ownKeys_.insert(section + '\x01' + key);
    return true;
  }
  const bool startedWith =
      (C.Kind == TIniChangeKind::Remove && values != starting_.end() && values->second.count(key)) ||
      StartedBelow(below);
  if (!startedWith) {
    // Removing what the run started without changes nothing, where the run's start tells.
    const bool known = values != starting_.end() || !list.empty() || starting_.count(parentSection(below));
    return !known;
  }
  if (!list.empty()) {
    ownRoots_.insert(list);
  } else {
    ownKeys_.insert(section + '\x01' + key);
    ownRoots_.insert(below);
  }
  return true;
}

void TApAppIniFileStorage::ValueRead(const AnsiString& Section, const AnsiString& Key) {
  // Read from the file, the value is the program's own: what it writes of it later is the run's.
  if (!LoadedOnce()) return;
  const AnsiString section = nameKey(Section);
  // A list read now holds the file's items with the run's changes.
  OwnMergedLists([&](const AnsiString& Root) { return isBelow(section, Root); });
  if (starting_.empty()) return;
  const AnsiString list = ListRoot(section);
  if (!list.empty())
    ownRoots_.insert(list);
  else if (starting_.count(section))
    ownKeys_.insert(section + '\x01' + nameKey(Key));
}

WideString DamagedSettingsFileName(const WideString& FileName) {
  const WideString extension = ExtractFileExt(FileName);
  const WideString stem = FileName.substr(0, FileName.size() - extension.size());
  for (int n = 1;; ++n) {
    const WideString name = stem + L" (damaged" + (n > 1 ? L" " + std::to_wstring(n) : WideString()) + L")" + extension;
    if (GetFileAttributesW(name.c_str()) == INVALID_FILE_ATTRIBUTES) return name;
  }
}

WideString KeepDamagedSettingsFile(const WideString& FileName) {
  if (FileName.empty() || !FileExists(FileName)) return WideString();
  TMemIniFile ini(FileName);  // raises when the file cannot be read
  if (ini.Understood()) return WideString();
  // Copied, not moved: until the new file is whole the settings file stays as it was.
  const WideString kept = DamagedSettingsFileName(FileName);
  if (!CopyFileW(FileName.c_str(), kept.c_str(), TRUE))
    throw EIniFileException(L"The settings file \"" + FileName + L"\" could not be kept as \"" + kept + L"\": " +
                            SysErrorMessage(GetLastError()));
  ini.KeepWhatReadsBack();
  try {
    ini.UpdateFile();
  } catch (const Exception& e) {
    DeleteFileW(kept.c_str());
    throw EIniFileException(L"The settings file \"" + FileName + L"\" could not be written anew: " + e.Message());
  }
  return kept;
}

HV_PUBLISH(TApAppIniFileStorage) {
  p.Prop("AutoFlush", &T::AutoFlush, &T::SetAutoFlush).Default(false);
  p.Prop("AutoReload", &T::AutoReload, &T::SetAutoReload).Default(false);
  p.Prop("FileName", &T::FileName, &T::SetFileName);
  p.Prop("FlushOnDestroy", &T::FlushOnDestroy, &T::SetFlushOnDestroy).Default(true);
  p.Prop("Location", &T::Location, &T::SetLocation).Default(flExeFile);
  p.Prop("DefaultSection", &T::DefaultSection, &T::SetDefaultSection);
  p.Prop("SubStorages", &T::SubStorages, &T::SetSubStorages);
  p.Event("OnGetFileName", &T::OnGetFileName, &T::SetOnGetFileName);
  p.Prop("ReadOnly", &T::ReadOnlyFlag, &T::SetReadOnly).Default(false);
}

namespace {
// Form files create storages by class name.
const bool registered = [] {
  RegisterClass(TApAppIniFileStorage::StaticClassInfo());
  return true;
}();
}  // namespace
