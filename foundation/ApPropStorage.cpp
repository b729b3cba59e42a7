// Published properties of a form's components in a settings storage.
#include "foundation/ApPropStorage.h"

#include <algorithm>
#include <map>

#include "framework/ScopeGuards.h"
#include "framework/StrRoutines.h"
#include "framework/UpdateBracket.h"

TApPropInfoList::TApPropInfoList(const TObject* Object) {
  if (!Object) return;
  for (const TPropInfo* p : Object->ClassInfo().PropsByName())
    if (p->Kind() != tkMethod && p->Kind() != tkUnknown) items_.push_back(p);
}

const TPropInfo* TApPropInfoList::FindProperty(const std::string& Name) const {
  for (const TPropInfo* p : items_)
    if (SameText(p->Name, Name)) return p;
  return nullptr;
}

bool ParseStoredEntry(const AnsiString& Entry, AnsiString& ComponentName, AnsiString& PropName) {
  size_t dot = Entry.find('.');
  if (dot == AnsiString::npos) return false;
  AnsiString comp = Trim(Entry.substr(0, dot)), prop = Trim(Entry.substr(dot + 1));
  if (comp.empty() || prop.empty()) return false;
  ComponentName = comp;
  PropName = prop;
  return true;
}

void RelinkStoredList(TComponent* Form, TStrings& List, bool FromForm) {
  WithinUpdate(List, [&] {
    for (int i = List.Count() - 1; i >= 0; --i) {
      AnsiString comp, prop;
      if (!ParseStoredEntry(List[i], comp, prop)) {
        List.Delete(i);
        continue;
      }
      if (FromForm) {
        TComponent* found = Form ? Form->FindComponent(comp) : nullptr;
        if (found)
          List.SetObjects(i, found);
        else
          List.Delete(i);
      } else if (auto* linked = dynamic_cast<TComponent*>(List.Objects(i))) {
        List.SetStrings(i, linked->Name() + "." + prop);
      } else {
        List.Delete(i);
      }
    }
  });
}

AnsiString TApPropertyStorage::ItemPath(const AnsiString& Path, const AnsiString& Item, bool Reading) {
  auto* instance = component_ ? static_cast<TPersistent*>(component_) : ownerForm_;
  return TApCustomAppStorage::NormalizeStoragePath({Path, appStorage_->TranslatePropertyName(instance, Item, Reading)});
}

AnsiString TApPropertyStorage::ReadString(const AnsiString& Path, const AnsiString& Item, const AnsiString& Default) {
  if (!appStorage_) return Default;
  return appStorage_->ReadString(ItemPath(Path, Item, true), Default);
}

void TApPropertyStorage::WriteString(const AnsiString& Path, const AnsiString& Item, const AnsiString& Value) {
  if (appStorage_) appStorage_->WriteString(ItemPath(Path, Item, false), Value);
}

void TApPropertyStorage::EraseSection(const AnsiString& Path) {
  if (appStorage_) appStorage_->DeleteSubTree(Path);
}

std::unique_ptr<TApPropertyStorage> TApPropertyStorage::CloneStorage() const {
  auto clone = std::make_unique<TApPropertyStorage>();
  clone->SetAppStorage(appStorage_);
  clone->SetAppStoragePath(appStoragePath_);
  return clone;
}

void TApPropertyStorage::StoreComponentProperties(TComponent* Form, TStrings& List) { Process(Form, List, true); }

void TApPropertyStorage::LoadComponentProperties(TComponent* Form, TStrings& List) { Process(Form, List, false); }

void TApPropertyStorage::Process(TComponent* Form, TStrings& List, bool Storing) {
  if (!appStorage_) return;
  ownerForm_ = Form;
  RelinkStoredList(Form, List, false);
  // One property list per component, made on first use.
  std::map<TComponent*, TApPropInfoList> props;
  for (int i = 0; i < List.Count(); ++i) {
    AnsiString compName, propName;
    auto* comp = dynamic_cast<TComponent*>(List.Objects(i));
    if (!comp || !ParseStoredEntry(List[i], compName, propName)) continue;
    auto it = props.find(comp);
    if (it == props.end()) it = props.emplace(comp, TApPropInfoList(comp)).first;
    const TPropInfo* prop = it->second.FindProperty(propName);
    if (!prop) continue;
    const AnsiString path = PropertyPath(comp, prop->Name, !Storing);
    if (Storing) {
      appStorage_->WriteStoredProperty(path, comp, prop->Name, true);
    } else if (appStorage_->ValueStored(path) || appStorage_->IsFolder(path, false)) {
      appStorage_->ReadStoredProperty(path, comp, prop->Name, true, true);
    }
  }
}

AnsiString TApPropertyStorage::PropertyPath(TComponent* Component, const AnsiString& PropName, bool Reading) {
  component_ = Component;
  prefix_ = Component->Name() + "_";
  TScopeExit forget([this] {
    component_ = nullptr;
    prefix_.clear();
  });
  return ItemPath(appStoragePath_, PrefixedName(PropName), Reading);
}
