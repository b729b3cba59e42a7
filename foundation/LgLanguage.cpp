// Language controllers and the language manager: recording the translatable properties of a
// form, capturing their designed texts and writing translated ones back.
#include "foundation/LgLanguage.h"

#include <algorithm>
#include <climits>

#include "foundation/UcWideSys.h"
#include "framework/CodePages.h"
#include "framework/FormFiles.h"
#include "framework/Format.h"
#include "framework/Lists.h"
#include "framework/StrRoutines.h"
#include "framework/Streams.h"

namespace {

wchar_t AsciiLowerW(wchar_t C) { return (C >= L'A' && C <= L'Z') ? static_cast<wchar_t>(C + 32) : C; }

// Shell-style mask: "*" any run, "?" one character, "[...]" a set ("!" negates, "a-z" ranges);
// letters compared without regard to ASCII case.
bool MatchMask(const char* M, const char* S) {
  for (; *M; ++M) {
    if (*M == '*') {
      while (M[1] == '*') ++M;
      if (!M[1]) return true;
      for (const char* t = S; *t; ++t)
        if (MatchMask(M + 1, t)) return true;
      return false;
    }
    if (!*S) return false;
    const char c = static_cast<char>(AsciiLowerW(static_cast<unsigned char>(*S)));
    if (*M == '[') {
      const char* p = M + 1;
      const bool negate = *p == '!';
      if (negate) ++p;
      bool hit = false;
      for (; *p && *p != ']'; ++p) {
        const char lo = static_cast<char>(AsciiLowerW(static_cast<unsigned char>(*p)));
        if (p[1] == '-' && p[2] && p[2] != ']') {
          const char hi = static_cast<char>(AsciiLowerW(static_cast<unsigned char>(p[2])));
          if (c >= lo && c <= hi) hit = true;
          p += 2;
        } else if (c == lo) {
          hit = true;
        }
      }
      if (hit == negate) return false;
      M = *p ? p : p - 1;
    } else if (*M != '?' && static_cast<char>(AsciiLowerW(static_cast<unsigned char>(*M))) != c) {
      return false;
    }
    ++S;
  }
  return !*S;
}

bool MatchesAny(const TStrings& Masks, const AnsiString& Subject) {
  for (int i = 0; i < Masks.Count(); ++i)
    if (MatchMask(Masks[i].c_str(), Subject.c_str())) return true;
  return false;
}

bool IsTranslatable(const WideString& S, TLgLanguageControllerOptions Options) {
  if (Options.Contains(lgcoIgnoreNonAlphaProps))
    return std::any_of(S.begin(), S.end(),
                       [](wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || c >= 0xA1; });
  if (Options.Contains(lgcoIgnoreEmptyProps)) return !S.empty();
  return true;
}

// One visited text: where it lives and how to read or write it.
struct TTextSlot {
  TObject* Instance = nullptr;
  const TPropInfo* Prop = nullptr;  // a string property, or null for a list's text
  TStrings* Ansi = nullptr;
  TStringsW* Wide = nullptr;

  WideString Get() const {
    if (Prop) return GetWideStrProp(Instance, *Prop);
    return Wide ? Wide->Text() : AnsiToWide(Ansi->Text());
  }
  void Set(const WideString& Value, uint32_t CodePage) const {
    if (Prop) {
      if (Prop->Kind() == tkWString)
        SetWideStrProp(Instance, *Prop, Value);
      else
        SetStrProp(Instance, *Prop, WideToAnsi(Value, CodePage));
    } else if (Wide) {
      Wide->SetText(Value);
    } else {
      Ansi->SetText(WideToAnsi(Value, CodePage));
    }
  }
};

using TSlotVisitor = std::function<void(const AnsiString& Path, const TTextSlot& Slot)>;

// The rules that only recording and capturing follow.
struct TVisitFilter {
  const TStrings* Ignore;
  const TStrings* Store;
  bool IgnoreFonts;
  AnsiString CompPath;
};

void VisitProps(TObject* Obj, const AnsiString& Prefix, const TVisitFilter* Filter, const TSlotVisitor& Visit) {
  const bool isComponent = dynamic_cast<TComponent*>(Obj) != nullptr;
  for (const TPropInfo* prop : GetPropList(Obj)) {
    const TTypeKind kind = prop->Kind();
    if (kind != tkString && kind != tkLString && kind != tkWString && kind != tkClass) continue;
    if (isComponent && CompareText(prop->Name, "Name") == 0) continue;
    const AnsiString path = Prefix + prop->Name;
    if (Filter) {
      const AnsiString subject = Filter->CompPath + "." + path;
      if (MatchesAny(*Filter->Ignore, subject)) continue;
      if (!IsStoredProp(Obj, *prop) && !MatchesAny(*Filter->Store, subject)) continue;
    }
    if (kind != tkClass) {
      if (!prop->HasSetter) continue;
      Visit(path, TTextSlot{Obj, prop, nullptr, nullptr});
      continue;
    }
    if (!prop->HasGetter || !prop->HasSetter) continue;
    TObject* value = GetObjectProp(Obj, *prop);
    if (!value) continue;
    if (auto* wide = dynamic_cast<TStringsW*>(value)) {
      Visit(path, TTextSlot{Obj, nullptr, nullptr, wide});
    } else if (auto* ansi = dynamic_cast<TStrings*>(value)) {
      Visit(path, TTextSlot{Obj, nullptr, ansi, nullptr});
    } else if (auto* collection = dynamic_cast<TCollection*>(value)) {
      for (int i = 0; i < collection->Count(); ++i)
        VisitProps(collection->Items(i), path + "[" + std::to_string(i) + "].", Filter, Visit);
    } else if (dynamic_cast<TPersistent*>(value) && !dynamic_cast<TComponent*>(value)) {
      if (Filter && Filter->IgnoreFonts && value->ClassName() == "TFont") continue;
      VisitProps(value, path + ".", Filter, Visit);
    }
  }
}

AnsiString ReadName(TStream& S) {
  uint8_t len[2];
  S.ReadBuffer(len, 2);
  AnsiString s(static_cast<size_t>(len[0] | (len[1] << 8)), '\0');
  if (!s.empty()) S.ReadBuffer(s.data(), static_cast<int>(s.size()));
  return s;
}

void WriteName(TStream& S, const AnsiString& Name) {
  if (Name.size() > 0xFFFF) throw ELgLangError("Name too long");
  const uint8_t len[2] = {static_cast<uint8_t>(Name.size()), static_cast<uint8_t>(Name.size() >> 8)};
  S.WriteBuffer(len, 2);
  if (!Name.empty()) S.WriteBuffer(Name.data(), static_cast<int>(Name.size()));
}

int32_t ReadInt(TStream& S) {
  uint8_t b[4];
  S.ReadBuffer(b, 4);
  return static_cast<int32_t>(b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24));
}

void WriteInt(TStream& S, int32_t V) {
  const auto u = static_cast<uint32_t>(V);
  const uint8_t b[4] = {static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8), static_cast<uint8_t>(u >> 16),
                        static_cast<uint8_t>(u >> 24)};
  S.WriteBuffer(b, 4);
}

bool ReadFlag(TStream& S) {
  uint8_t b = 0;
  S.ReadBuffer(&b, 1);
  return b != 0;
}

bool IsController(TComponent* C) { return dynamic_cast<TLgLanguageController*>(C) != nullptr; }

}  // namespace

// ---- property entries ----

bool TLgLang_PropEntries::Find(const AnsiString& Path, int& Index) const {
  auto it = std::lower_bound(items_.begin(), items_.end(), Path, [](const TLgLang_PropEntry& e, const AnsiString& p) {
    return LgCompareNames(e.PropPath, p) < 0;
  });
  Index = static_cast<int>(it - items_.begin());
  return it != items_.end() && LgCompareNames(it->PropPath, Path) == 0;
}

TLgLang_PropEntry* TLgLang_PropEntries::FindPath(const AnsiString& Path) {
  int i;
  return Find(Path, i) ? &items_[static_cast<size_t>(i)] : nullptr;
}

TLgLang_PropEntry& TLgLang_PropEntries::Add(int32_t ID, const AnsiString& Path) {
  int i;
  if (Find(Path, i)) {
    items_[static_cast<size_t>(i)].ID = ID;
  } else {
    TLgLang_PropEntry e;
    e.ID = ID;
    e.PropPath = Path;
    items_.insert(items_.begin() + i, std::move(e));
  }
  return items_[static_cast<size_t>(i)];
}

// ---- component entries ----

AnsiString TLgLang_CompEntry::Name() const { return component_ ? component_->Name() : storedName_; }

TLgLang_PropEntries& TLgLang_CompEntry::NeedPropEntries() {
  if (!props_) props_ = std::make_unique<TLgLang_PropEntries>();
  return *props_;
}

TLgLang_CompEntry* TLgLang_CompEntry::FindChild(TComponent* Component) const {
  if (children_)
    for (const auto& c : *children_)
      if (c->component_ == Component) return c.get();
  return nullptr;
}

TLgLang_CompEntry& TLgLang_CompEntry::AddChild(TComponent* Component) {
  if (!children_) children_ = std::make_unique<TLgLang_CompEntries>();
  children_->push_back(std::make_unique<TLgLang_CompEntry>(this));
  children_->back()->component_ = Component;
  return *children_->back();
}

void TLgLang_CompEntry::OrderChildren() {
  if (!children_) return;
  // An entry not bound to a component of the list keeps its place after the bound ones.
  auto place = [](const std::unique_ptr<TLgLang_CompEntry>& e) {
    const int index = e->component_ ? e->component_->ComponentIndex() : -1;
    return index < 0 ? INT_MAX : index;
  };
  std::stable_sort(children_->begin(), children_->end(),
                   [&](const auto& a, const auto& b) { return place(a) < place(b); });
}

void TLgLang_CompEntry::FreeEmptyLists() {
  if (props_ && props_->Count() == 0) props_.reset();
  if (children_ && children_->empty()) children_.reset();
}

void TLgLang_CompEntry::Bind(TComponent* Component) {
  component_ = Component;
  storedName_.clear();
  if (!children_) return;
  for (size_t i = children_->size(); i-- > 0;) {
    TLgLang_CompEntry& child = *(*children_)[i];
    if (child.storedName_.empty()) continue;
    TComponent* found = Component ? Component->FindComponent(child.storedName_) : nullptr;
    if (found)
      child.Bind(found);
    else
      children_->erase(children_->begin() + static_cast<ptrdiff_t>(i));
  }
  FreeEmptyLists();
}

bool TLgLang_CompEntry::RemoveComponent(TComponent* Component) {
  if (!children_) return false;
  for (size_t i = 0; i < children_->size(); ++i) {
    if ((*children_)[i]->component_ == Component) {
      children_->erase(children_->begin() + static_cast<ptrdiff_t>(i));
      FreeEmptyLists();
      return true;
    }
    if ((*children_)[i]->RemoveComponent(Component)) return true;
  }
  return false;
}

int32_t TLgLang_CompEntry::MaxID() const {
  int32_t m = 0;
  if (props_)
    for (int i = 0; i < props_->Count(); ++i) m = std::max(m, props_->Items(i).ID);
  if (children_)
    for (const auto& c : *children_) m = std::max(m, c->MaxID());
  return m;
}

void TLgLang_CompEntry::ReadFromStream(TStream& Stream) {
  props_.reset();
  children_.reset();
  component_ = nullptr;
  storedName_ = ReadName(Stream);
  if (ReadFlag(Stream)) {
    const int32_t count = ReadInt(Stream);
    for (int32_t i = 0; i < count; ++i) {
      const int32_t id = ReadInt(Stream);
      NeedPropEntries().Add(id, ReadName(Stream));
    }
  }
  if (ReadFlag(Stream)) {
    const int32_t count = ReadInt(Stream);
    for (int32_t i = 0; i < count; ++i) {
      if (!children_) children_ = std::make_unique<TLgLang_CompEntries>();
      children_->push_back(std::make_unique<TLgLang_CompEntry>(this));
      children_->back()->ReadFromStream(Stream);
    }
  }
}

void TLgLang_CompEntry::WriteToStream(TStream& Stream) const {
  WriteName(Stream, Name());
  const uint8_t no = 0, yes = 1;
  if (props_ && props_->Count() > 0) {
    Stream.WriteBuffer(&yes, 1);
    WriteInt(Stream, props_->Count());
    for (int i = 0; i < props_->Count(); ++i) {
      WriteInt(Stream, props_->Items(i).ID);
      WriteName(Stream, props_->Items(i).PropPath);
    }
  } else {
    Stream.WriteBuffer(&no, 1);
  }
  if (children_ && !children_->empty()) {
    Stream.WriteBuffer(&yes, 1);
    WriteInt(Stream, static_cast<int32_t>(children_->size()));
    for (const auto& c : *children_) c->WriteToStream(Stream);
  } else {
    Stream.WriteBuffer(&no, 1);
  }
}

// ---- controller ----

TLgLanguageController::TLgLanguageController(TComponent* AOwner)
    : TComponent(AOwner),
      ignoreList_(std::make_unique<TStringList>()),
      storeList_(std::make_unique<TStringList>()),
      options_{lgcoAutoSaveLangSource, lgcoIgnoreEmptyProps, lgcoIgnoreNonAlphaProps, lgcoIgnoreFontProps},
      root_(std::make_unique<TLgLang_CompEntry>(nullptr)) {
  for (TStringList* list : {ignoreList_.get(), storeList_.get()}) {
    list->SetSorted(true);
    list->SetDuplicates(dupIgnore);
  }
  if (!AOwner || !AOwner->IsLoading()) root_->Bind(AOwner);
  // A controller on a form being designed records texts; it translates nothing.
  if (ComponentState().Contains(csDesigning)) return;
  LangManager().AddLangController(this);
  registered_ = true;
}

TLgLanguageController::~TLgLanguageController() {
  if (registered_) LangManager().RemoveLangController(this);
}

WideString TLgLanguageController::ActualSectionName() const {
  if (!sectionName_.empty() || !Owner()) return sectionName_;
  return AnsiToWide(Owner()->Name());
}

void TLgLanguageController::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  const bool hasData = root_->Component() && !root_->Component()->Name().empty();
  Filer->DefineBinaryProperty(
      "LangData", [this](TStream& S) { root_->ReadFromStream(S); },
      [this](TStream& S) {
        UpdateEntries(true);
        root_->WriteToStream(S);
      },
      hasData);
}

void TLgLanguageController::Loaded() {
  inherited::Loaded();
  if (!Owner()) return;
  root_->Bind(Owner());
  UpdateEntries(false);
  if (!ComponentState().Contains(csDesigning)) LangManager().TranslateOneController(this);
}

void TLgLanguageController::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent != this && root_) {
    if (root_->Component() == AComponent) {
      root_ = std::make_unique<TLgLang_CompEntry>(nullptr);
    } else {
      root_->RemoveComponent(AComponent);
    }
  }
}

void TLgLanguageController::UpdateEntries(bool Modify) {
  if (!root_->Component()) return;
  int32_t nextID = root_->MaxID() + 1;
  UpdateEntry(*root_, "", Modify, nextID);
}

void TLgLanguageController::UpdateEntry(TLgLang_CompEntry& Entry, const AnsiString& CompPath, bool Modify,
                                        int32_t& NextID) {
  TComponent* comp = Entry.Component();
  if (Modify && Entry.PropEntries())
    for (int i = 0; i < Entry.PropEntries()->Count(); ++i) Entry.PropEntries()->Items(i).Present = false;
  const TVisitFilter filter{ignoreList_.get(), storeList_.get(), options_.Contains(lgcoIgnoreFontProps), CompPath};
  VisitProps(comp, "", &filter, [&](const AnsiString& Path, const TTextSlot& Slot) {
    const WideString value = Slot.Get();
    if (!IsTranslatable(value, options_)) return;
    TLgLang_PropEntry* entry = Entry.PropEntries() ? Entry.PropEntries()->FindPath(Path) : nullptr;
    if (!entry) {
      if (!Modify) return;
      entry = &Entry.NeedPropEntries().Add(NextID++, Path);
    }
    entry->DefaultValue = value;
    entry->Present = true;
  });
  if (Modify && Entry.PropEntries()) {
    for (int i = Entry.PropEntries()->Count() - 1; i >= 0; --i)
      if (!Entry.PropEntries()->Items(i).Present) Entry.PropEntries()->Delete(i);
    Entry.FreeEmptyLists();
  }
  for (int i = 0; i < comp->ComponentCount(); ++i) {
    TComponent* child = comp->Components(i);
    if (child->Name().empty() || IsController(child)) continue;
    TLgLang_CompEntry* entry = Entry.FindChild(child);
    if (!entry && Modify) entry = &Entry.AddChild(child);
    if (entry) UpdateEntry(*entry, CompPath.empty() ? child->Name() : CompPath + "." + child->Name(), Modify, NextID);
  }
  // Written in the order of the component list, whatever order they were read in.
  if (Modify) Entry.OrderChildren();
}

std::vector<WideString> TLgLanguageController::LangSourceLines() const {
  std::vector<WideString> lines;
  std::function<void(const TLgLang_CompEntry&, const AnsiString&)> walk = [&](const TLgLang_CompEntry& e,
                                                                              const AnsiString& path) {
    if (const TLgLang_PropEntries* props = e.PropEntries())
      for (int i = 0; i < props->Count(); ++i) {
        const TLgLang_PropEntry& p = props->Items(i);
        lines.push_back(WideFormat(L"%s%s=%.8d,%s", AnsiToWide(path.empty() ? path : path + "."),
                                   AnsiToWide(p.PropPath), int(p.ID), LgEscape(p.DefaultValue)));
      }
    if (e.Children())
      for (const auto& c : *e.Children()) walk(*c, path.empty() ? c->Name() : path + "." + c->Name());
  };
  walk(*root_, "");
  return lines;
}

void TranslateController(TLgLang_CompTranslations* Translations, TLgLanguageController* Controller) {
  if (Controller->OnLanguageChanging) Controller->OnLanguageChanging(Controller);
  const TLgLang_CompTranslation* section =
      Translations ? Translations->Find(WideToAnsi(Controller->ActualSectionName())) : nullptr;
  const uint32_t codePage = LangManager().CodePage();
  std::function<void(TLgLang_CompEntry&)> walk = [&](TLgLang_CompEntry& e) {
    if (e.PropEntries() && e.Component()) {
      VisitProps(e.Component(), "", nullptr, [&](const AnsiString& Path, const TTextSlot& Slot) {
        const TLgLang_PropEntry* entry = e.PropEntries()->FindPath(Path);
        if (!entry) return;
        const WideString* text = section ? section->Find(entry->ID) : nullptr;
        Slot.Set(text ? *text : entry->DefaultValue, codePage);
      });
    }
    if (e.Children())
      for (const auto& c : *e.Children()) walk(*c);
  };
  walk(Controller->RootEntry());
  if (Controller->OnLanguageChanged) Controller->OnLanguageChanged(Controller);
}

HV_PUBLISH(TLgLanguageController) {
  p.Prop("IgnoreList", &T::IgnoreList, &T::SetIgnoreList);
  p.Prop("Options", &T::Options, &T::SetOptions)
      .Default(TLgLanguageControllerOptions{lgcoAutoSaveLangSource, lgcoIgnoreEmptyProps, lgcoIgnoreNonAlphaProps,
                                            lgcoIgnoreFontProps});
  p.Prop("SectionName", &T::SectionName, &T::SetSectionName);
  p.Prop("StoreList", &T::StoreList, &T::SetStoreList);
  p.Event("OnLanguageChanging", &T::OnLanguageChanging);
  p.Event("OnLanguageChanged", &T::OnLanguageChanged);
}

namespace {
const bool registered = [] {
  RegisterClass(TLgLanguageController::StaticClassInfo());
  return true;
}();
}  // namespace

// ---- manager ----

namespace {
// Read and write brackets of the manager's lock.
struct TReadLock {
  explicit TReadLock(TMultiReadExclusiveWriteSynchronizer& L) : l(L) { l.BeginRead(); }
  ~TReadLock() { l.EndRead(); }
  TMultiReadExclusiveWriteSynchronizer& l;
};
struct TWriteLock {
  explicit TWriteLock(TMultiReadExclusiveWriteSynchronizer& L) : l(L) { l.BeginWrite(); }
  ~TWriteLock() { l.EndWrite(); }
  TMultiReadExclusiveWriteSynchronizer& l;
};
}  // namespace

TLgLanguageManager::TLgLanguageManager() : codePage_(LCIDToCodePage(1033)) {
  if (LoadConstantsFromResource(constants_, GetModuleHandleW(nullptr))) constants_.TranslateFrom(nullptr);
}

TLgLanguageManager& LangManager() {
  if (DesignTimeProcess()) throw ELgLangError("Call to LangManager() is allowed at runtime only");
  static TLgLanguageManager manager;
  return manager;
}

int TLgLanguageManager::GetLanguageCount() {
  TReadLock l(lock_);
  return static_cast<int>(languages_.size()) + 1;
}

LANGID TLgLanguageManager::GetLanguageIDs(int Index) {
  TReadLock l(lock_);
  if (Index <= 0) return defaultLanguageID_;
  return languages_.at(static_cast<size_t>(Index - 1)).LangID;
}

LANGID TLgLanguageManager::GetLanguageID() {
  TReadLock l(lock_);
  return languageID_;
}

int TLgLanguageManager::GetLanguageIndex() {
  TReadLock l(lock_);
  for (size_t i = 0; i < languages_.size(); ++i)
    if (languages_[i].LangID == languageID_) return static_cast<int>(i) + 1;
  return 0;
}

WideString TLgLanguageManager::GetLanguageNames(int Index) {
  const LANGID id = GetLanguageIDs(Index);
  return WideGetLocaleStr(id, LOCALE_SLANGUAGE, AnsiToWide(std::to_string(id)));
}

int TLgLanguageManager::ScanForLanguageFiles(const WideString& Dir, const WideString& Mask, bool Recursive) {
  const WideString path = WideIncludeTrailingPathDelimiter(Dir);
  int count = 0;
  TWideSearchRec rec;
  if (WideFindFirst(path + Mask, 63, rec) != 0) return 0;
  do {
    if (rec.Attr & FILE_ATTRIBUTE_DIRECTORY) {
      if (Recursive && !rec.Name.empty() && rec.Name[0] != L'.')
        count += ScanForLanguageFiles(path + rec.Name, Mask, true);
    } else if (RegisterLanguageFile(path + rec.Name)) {
      ++count;
    }
  } while (WideFindNext(rec) == 0);
  WideFindClose(rec);
  return count;
}

bool TLgLanguageManager::RegisterLanguageFile(const WideString& FileName) {
  TWriteLock l(lock_);
  if (!WideFileExists(FileName)) return false;
  TLgLang_CompTranslations t;
  try {
    LoadTranslationFile(t, FileName, true);
  } catch (const Exception&) {
    return false;  // a file that cannot be read declares no language
  }
  const int id = t.LangID(0);
  if (id <= 0 || id > 0xFFFF) return false;
  if (id == defaultLanguageID_) return true;
  TLgLang_LangResource res;
  res.Kind = TLgLang_LangResource::lrFile;
  res.Name = FileName;
  res.LangID = static_cast<LANGID>(id);
  for (TLgLang_LangResource& r : languages_)
    if (r.LangID == res.LangID) {
      r = res;
      return true;
    }
  languages_.push_back(res);
  return true;
}

void TLgLanguageManager::ClearLanguageFiles() {
  TWriteLock l(lock_);
  languages_.clear();
}

std::unique_ptr<TLgLang_CompTranslations> TLgLanguageManager::LoadTranslationsForLanguage(LANGID LangID) {
  TReadLock l(lock_);
  if (LangID == defaultLanguageID_) return nullptr;
  for (const TLgLang_LangResource& r : languages_) {
    if (r.LangID != LangID) continue;
    auto t = std::make_unique<TLgLang_CompTranslations>();
    switch (r.Kind) {
      case TLgLang_LangResource::lrResourceName: LoadTranslationResource(*t, r.Instance, r.Name, false); break;
      case TLgLang_LangResource::lrResourceNumber: LoadTranslationResource(*t, r.Instance, r.ResNumber, false); break;
      default: LoadTranslationFile(*t, r.Name, false);
    }
    return t;
  }
  return nullptr;
}

void TLgLanguageManager::SetLanguageID(LANGID LangID) {
  std::unique_ptr<TLgLang_CompTranslations> t;
  bool changed = false;
  {
    TWriteLock l(lock_);
    t = LoadTranslationsForLanguage(LangID);
    const LANGID newID = t ? LangID : defaultLanguageID_;
    if (newID != languageID_) {
      languageID_ = newID;
      codePage_ = LCIDToCodePage(newID);
      changed = true;
    }
  }
  if (changed) ApplyTranslationToAll(t.get());
}

void TLgLanguageManager::AddLangController(TLgLanguageController* Controller) {
  TWriteLock l(lock_);
  controllers_.push_back(Controller);
}

void TLgLanguageManager::RemoveLangController(TLgLanguageController* Controller) {
  TWriteLock l(lock_);
  controllers_.erase(std::remove(controllers_.begin(), controllers_.end(), Controller), controllers_.end());
}

void TLgLanguageManager::TranslateOneController(TLgLanguageController* Controller) {
  TReadLock l(lock_);
  if (languageID_ == defaultLanguageID_) return;
  std::unique_ptr<TLgLang_CompTranslations> t = LoadTranslationsForLanguage(languageID_);
  TranslateController(t.get(), Controller);
}

void TLgLanguageManager::ApplyTranslationToAll(TLgLang_CompTranslations* Translations) {
  TReadLock l(lock_);
  constants_.TranslateFrom(Translations ? &Translations->Constants() : nullptr);
  // A handler may create or free forms; walk a copy of the list.
  const std::vector<TLgLanguageController*> controllers = controllers_;
  for (TLgLanguageController* c : controllers)
    if (std::find(controllers_.begin(), controllers_.end(), c) != controllers_.end())
      TranslateController(Translations, c);
}
