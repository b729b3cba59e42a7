// Class information, the class registry and access to published properties by name.
#include "framework/Object.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <mutex>

#include "framework/CodePages.h"
#include "framework/StrRoutines.h"

namespace {

std::string Trimmed(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return std::string(s.substr(b, e - b));
}

struct ClassRegistry {
  std::mutex lock;
  std::map<std::string, const TClassInfo*> byName;  // upper-cased names
};

ClassRegistry& Registry() {
  static ClassRegistry r;
  return r;
}

[[noreturn]] void WrongKind(const TPropInfo& prop) { throw EPropertyError("Invalid property type: " + prop.Name); }

[[noreturn]] void ReadOnlyProp(const TPropInfo& prop) {
  throw EPropertyError("Property " + prop.Name + " is read-only");
}

}  // namespace

const TClassInfo& TObject::StaticClassInfo() {
  static const TClassInfo* info = [] {
    auto* ci = new TClassInfo();
    ci->Name = "TObject";
    ci->NewObject = []() { return new TObject(); };
    return ci;
  }();
  return *info;
}

bool TClassInfo::InheritsFrom(const TClassInfo& other) const {
  for (const TClassInfo* c = this; c; c = c->Parent)
    if (c == &other) return true;
  return false;
}

const std::vector<const TPropInfo*>& TClassInfo::Props() const {
  static std::mutex lock;
  std::lock_guard<std::mutex> g(lock);
  if (!allBuilt_) {
    std::vector<const TClassInfo*> chain;
    for (const TClassInfo* c = this; c; c = c->Parent) chain.push_back(c);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
      for (const TPropInfo& p : (*it)->OwnProps) {
        if (p.ResolveType) {
          auto& own = const_cast<TPropInfo&>(p);
          own.PropType = &p.ResolveType();
          own.ResolveType = nullptr;
        }
        // A redeclared property replaces the ancestor's in place.
        auto same =
            std::find_if(all_.begin(), all_.end(), [&](const TPropInfo* q) { return SameText(q->Name, p.Name); });
        if (same != all_.end())
          *same = &p;
        else
          all_.push_back(&p);
      }
    for (size_t i = 0; i < all_.size(); ++i) const_cast<TPropInfo*>(all_[i])->NameIndex = static_cast<int>(i);
    allBuilt_ = true;
  }
  return all_;
}

std::vector<const TPropInfo*> TClassInfo::PropsByName() const {
  std::vector<const TPropInfo*> sorted = Props();
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const TPropInfo* a, const TPropInfo* b) { return CompareText(a->Name, b->Name) < 0; });
  return sorted;
}

const TPropInfo* TClassInfo::FindProp(std::string_view name) const {
  for (const TPropInfo* p : Props())
    if (SameText(p->Name, name)) return p;
  return nullptr;
}

const TPublishedMethod* TClassInfo::FindMethod(std::string_view name) const {
  for (const TClassInfo* c = this; c; c = c->Parent)
    for (const TPublishedMethod& m : c->Methods)
      if (SameText(m.Name, name)) return &m;
  return nullptr;
}

const TPublishedField* TClassInfo::FindField(std::string_view name) const {
  for (const TClassInfo* c = this; c; c = c->Parent)
    for (const TPublishedField& f : c->Fields)
      if (SameText(f.Name, name)) return &f;
  return nullptr;
}

const TTypeInfo& TClassInfo::TypeInfo() const {
  static std::mutex lock;
  std::lock_guard<std::mutex> g(lock);
  if (!typeInfo_) {
    typeInfo_ = std::make_unique<TTypeInfo>();
    typeInfo_->Kind = tkClass;
    typeInfo_->Name = Name.c_str();
    typeInfo_->ClassType = this;
  }
  return *typeInfo_;
}

// ---- registry ----

void RegisterClass(const TClassInfo& cls) {
  std::lock_guard<std::mutex> g(Registry().lock);
  Registry().byName[UpperCase(cls.Name)] = &cls;
}

void RegisterClasses(std::initializer_list<const TClassInfo*> classes) {
  for (const TClassInfo* c : classes) RegisterClass(*c);
}

void UnRegisterClass(const TClassInfo& cls) {
  std::lock_guard<std::mutex> g(Registry().lock);
  auto it = Registry().byName.find(UpperCase(cls.Name));
  if (it != Registry().byName.end() && it->second == &cls) Registry().byName.erase(it);
}

const TClassInfo* GetClass(std::string_view name) {
  std::lock_guard<std::mutex> g(Registry().lock);
  auto it = Registry().byName.find(UpperCase(std::string(name)));
  return it == Registry().byName.end() ? nullptr : it->second;
}

const TClassInfo& FindClass(std::string_view name) {
  const TClassInfo* c = GetClass(name);
  if (!c) throw EClassNotFound("Class " + std::string(name) + " not found");
  return *c;
}

std::vector<const TClassInfo*> RegisteredClasses() {
  std::lock_guard<std::mutex> g(Registry().lock);
  std::vector<const TClassInfo*> classes;
  classes.reserve(Registry().byName.size());
  for (const auto& entry : Registry().byName) classes.push_back(entry.second);
  return classes;
}

// ---- properties ----

const TPropInfo* GetPropInfo(const TObject* obj, std::string_view name) {
  return obj ? obj->ClassInfo().FindProp(name) : nullptr;
}

const TPropInfo& FindPropInfo(const TObject* obj, std::string_view name) {
  const TPropInfo* p = GetPropInfo(obj, name);
  if (!p) throw EPropertyError("Property " + std::string(name) + " does not exist");
  return *p;
}

std::vector<const TPropInfo*> GetPropList(const TObject* obj) {
  return obj ? obj->ClassInfo().Props() : std::vector<const TPropInfo*>();
}

int64_t GetOrdProp(TObject* obj, const TPropInfo& prop) {
  if (!prop.GetOrd) WrongKind(prop);
  return prop.GetOrd(obj);
}

void SetOrdProp(TObject* obj, const TPropInfo& prop, int64_t value) {
  if (!prop.GetOrd) WrongKind(prop);
  if (!prop.SetOrd) ReadOnlyProp(prop);
  prop.SetOrd(obj, value);
}

std::string GetEnumProp(TObject* obj, const TPropInfo& prop) {
  return GetEnumName(*prop.PropType, static_cast<int>(GetOrdProp(obj, prop)));
}

void SetEnumProp(TObject* obj, const TPropInfo& prop, std::string_view name) {
  int v = GetEnumValue(*prop.PropType, name);
  if (v < 0) throw EPropertyError("Invalid property value");
  SetOrdProp(obj, prop, v);
}

TSetValue GetSetValueProp(TObject* obj, const TPropInfo& prop) {
  if (!prop.GetSet) WrongKind(prop);
  return prop.GetSet(obj);
}

void SetSetValueProp(TObject* obj, const TPropInfo& prop, const TSetValue& value) {
  if (!prop.GetSet) WrongKind(prop);
  if (!prop.SetSet) ReadOnlyProp(prop);
  prop.SetSet(obj, value);
}

std::string GetSetProp(TObject* obj, const TPropInfo& prop, bool brackets) {
  return SetToString(*prop.PropType, GetSetValueProp(obj, prop), brackets);
}

void SetSetProp(TObject* obj, const TPropInfo& prop, std::string_view text) {
  SetSetValueProp(obj, prop, StringToSet(*prop.PropType, text));
}

long double GetFloatProp(TObject* obj, const TPropInfo& prop) {
  if (!prop.GetFloat) WrongKind(prop);
  return prop.GetFloat(obj);
}

void SetFloatProp(TObject* obj, const TPropInfo& prop, long double value) {
  if (!prop.GetFloat) WrongKind(prop);
  if (!prop.SetFloat) ReadOnlyProp(prop);
  prop.SetFloat(obj, value);
}

AnsiString GetStrProp(TObject* obj, const TPropInfo& prop) {
  if (prop.GetAnsi) return prop.GetAnsi(obj);
  if (prop.GetWide) return WideToAnsi(prop.GetWide(obj));
  WrongKind(prop);
}

void SetStrProp(TObject* obj, const TPropInfo& prop, const AnsiString& value) {
  if (prop.GetAnsi) {
    if (!prop.SetAnsi) ReadOnlyProp(prop);
    prop.SetAnsi(obj, value);
  } else if (prop.GetWide) {
    if (!prop.SetWide) ReadOnlyProp(prop);
    prop.SetWide(obj, AnsiToWide(value));
  } else {
    WrongKind(prop);
  }
}

WideString GetWideStrProp(TObject* obj, const TPropInfo& prop) {
  if (prop.GetWide) return prop.GetWide(obj);
  if (prop.GetAnsi) return AnsiToWide(prop.GetAnsi(obj));
  WrongKind(prop);
}

void SetWideStrProp(TObject* obj, const TPropInfo& prop, const WideString& value) {
  if (prop.GetWide) {
    if (!prop.SetWide) ReadOnlyProp(prop);
    prop.SetWide(obj, value);
  } else if (prop.GetAnsi) {
    if (!prop.SetAnsi) ReadOnlyProp(prop);
    prop.SetAnsi(obj, WideToAnsi(value));
  } else {
    WrongKind(prop);
  }
}

int64_t GetInt64Prop(TObject* obj, const TPropInfo& prop) { return GetOrdProp(obj, prop); }

void SetInt64Prop(TObject* obj, const TPropInfo& prop, int64_t value) { SetOrdProp(obj, prop, value); }

TObject* GetObjectProp(TObject* obj, const TPropInfo& prop) {
  if (!prop.GetObject) WrongKind(prop);
  return prop.GetObject(obj);
}

void SetObjectProp(TObject* obj, const TPropInfo& prop, TObject* value) {
  if (!prop.GetObject) WrongKind(prop);
  if (!prop.SetObject) ReadOnlyProp(prop);
  prop.SetObject(obj, value);
}

TMethod GetMethodProp(TObject* obj, const TPropInfo& prop) {
  if (!prop.GetMethod) WrongKind(prop);
  return prop.GetMethod(obj);
}

void SetMethodProp(TObject* obj, const TPropInfo& prop, const TMethod& value) {
  if (!prop.GetMethod) WrongKind(prop);
  if (!prop.SetMethod) ReadOnlyProp(prop);
  if (!prop.SetMethod(obj, value)) throw EPropertyError("Invalid property value");
}

bool IsStoredProp(TObject* obj, const TPropInfo& prop) { return prop.IsStored(obj); }

// ---- sets as text ----

std::string SetToString(const TTypeInfo& setType, const TSetValue& value, bool brackets) {
  const TTypeInfo* elem = setType.CompType;
  std::string result;
  if (elem) {
    for (int i = std::max(0, elem->MinValue); i <= std::min(255, elem->MaxValue); ++i) {
      if (!value.Contains(i)) continue;
      if (!result.empty()) result += ',';
      result += elem->Kind == tkEnumeration ? GetEnumName(*elem, i) : std::to_string(i);
    }
  }
  return brackets ? "[" + result + "]" : result;
}

TSetValue StringToSet(const TTypeInfo& setType, std::string_view text) {
  TSetValue result;
  const TTypeInfo* elem = setType.CompType;
  std::string s = Trimmed(text);
  if (!s.empty() && s.front() == '[') s.erase(0, 1);
  if (!s.empty() && s.back() == ']') s.pop_back();
  size_t start = 0;
  while (start <= s.size()) {
    size_t comma = s.find(',', start);
    std::string item =
        Trimmed(std::string_view(s).substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (!item.empty()) {
      int v = -1;
      if (elem && elem->Kind == tkEnumeration) {
        v = GetEnumValue(*elem, item);
      } else {
        char* end = nullptr;
        long n = std::strtol(item.c_str(), &end, 10);
        if (end && *end == '\0') v = static_cast<int>(n);
      }
      if (!elem || v < elem->MinValue || v > elem->MaxValue || v < 0 || v > 255)
        throw EPropertyError("Invalid property element: " + item);
      result.Include(v);
    }
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return result;
}

// ---- published methods ----

TMethod MethodAddress(TObject* obj, std::string_view name) {
  if (!obj) return TMethod();
  const TPublishedMethod* m = obj->ClassInfo().FindMethod(name);
  return m ? m->Bind(obj) : TMethod();
}

std::string MethodName(TObject* obj, const TMethod& method) {
  if (!obj || !method.Assigned()) return std::string();
  for (const TClassInfo* c = &obj->ClassInfo(); c; c = c->Parent)
    for (const TPublishedMethod& m : c->Methods)
      if (m.Bind(obj) == method) return m.Name;
  return std::string();
}
