// The root class, class information, published properties and the class registry.
//
// Every class that is created by name, stored in form files or settings, or translated,
// declares its class information:
//
//   // header
//   class TGutter : public TPersistent {
//     HV_CLASS(TGutter, TPersistent)
//    public:
//     ...
//   };
//   // source file
//   HV_PUBLISH(TGutter) {
//     p.Prop("Color", &T::Color, &T::SetColor).Default(clBtnFace);
//     p.Prop("Font", &T::Font, &T::SetFont);
//     p.Event("OnChange", &T::OnChange);      // a TEvent member, or a getter/setter pair
//     p.Method("FontChanged", &T::FontChanged);  // a handler that form files can bind by name
//   }
//
// Properties are listed in declaration order, ancestors first, and found by name without
// regard to ASCII letter case. Values move through the type-erased accessors of TPropInfo in
// the widest form of their kind (int64 for ordinals, long double for floats, ...).
#pragma once

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "framework/Delegate.h"
#include "framework/Exceptions.h"
#include "framework/Sets.h"
#include "framework/TypeInfo.h"
#include "framework/Types.h"

class TObject;
class TComponent;
class TCollection;
class TCollectionItem;
struct TClassInfo;

struct TPropInfo {
  std::string Name;
  const TTypeInfo* PropType = nullptr;
  const TClassInfo* DeclaringClass = nullptr;
  int NameIndex = 0;  // position among all properties of the declaring class, ancestors first
  bool HasGetter = false;
  bool HasSetter = false;
  bool HasDefault = false;  // ordinals and sets: a default value exists
  int64_t Default = 0;
  TSetValue DefaultSet;
  bool StoredConstant = true;                    // used when Stored is empty
  std::function<bool(TObject*)> StoredFunction;  // the "stored" test
  // Object properties: gives the real descriptor, which Props() puts in place of the
  // provisional one. A class may publish a property of its own class (or of a class whose
  // information is still being built), whose descriptor cannot be asked for yet.
  const TTypeInfo& (*ResolveType)() = nullptr;

  // Accessors of the property's kind; the others stay empty.
  std::function<int64_t(TObject*)> GetOrd;  // integers, chars, enumerations, Int64
  std::function<void(TObject*, int64_t)> SetOrd;
  std::function<long double(TObject*)> GetFloat;
  std::function<void(TObject*, long double)> SetFloat;
  std::function<AnsiString(TObject*)> GetAnsi;
  std::function<void(TObject*, const AnsiString&)> SetAnsi;
  std::function<WideString(TObject*)> GetWide;
  std::function<void(TObject*, const WideString&)> SetWide;
  std::function<TSetValue(TObject*)> GetSet;
  std::function<void(TObject*, const TSetValue&)> SetSet;
  std::function<TObject*(TObject*)> GetObject;
  std::function<void(TObject*, TObject*)> SetObject;
  std::function<TMethod(TObject*)> GetMethod;
  std::function<bool(TObject*, const TMethod&)> SetMethod;  // false: signature mismatch

  TTypeKind Kind() const { return PropType ? PropType->Kind : tkUnknown; }
  bool IsStored(TObject* obj) const { return StoredFunction ? StoredFunction(obj) : StoredConstant; }
};

struct TPublishedMethod {
  std::string Name;
  std::function<TMethod(TObject*)> Bind;  // the method bound to an object of the class
};

// A data member of a form or frame that holds one of its components; form-file readers set it
// when they create the component of that name.
struct TPublishedField {
  std::string Name;
  const TClassInfo* FieldClass = nullptr;
  std::function<bool(TObject* root, TObject* value)> Set;  // false: value of another class
};

struct TClassInfo {
  std::string Name;
  const TClassInfo* Parent = nullptr;
  std::vector<TPropInfo> OwnProps;
  std::vector<TPublishedMethod> Methods;
  std::vector<TPublishedField> Fields;
  // Factories, present when the class can be created by name that way.
  TComponent* (*NewComponent)(TComponent* owner) = nullptr;
  TCollectionItem* (*NewItem)(TCollection* collection) = nullptr;
  TObject* (*NewObject)() = nullptr;

  bool InheritsFrom(const TClassInfo& other) const;
  // All properties, ancestors first, in declaration order.
  const std::vector<const TPropInfo*>& Props() const;
  // All properties sorted by name (ASCII case-insensitive).
  std::vector<const TPropInfo*> PropsByName() const;
  const TPropInfo* FindProp(std::string_view name) const;
  const TPublishedMethod* FindMethod(std::string_view name) const;
  const TPublishedField* FindField(std::string_view name) const;  // own and inherited
  const TTypeInfo& TypeInfo() const;                              // the tkClass descriptor of the class

 private:
  mutable std::vector<const TPropInfo*> all_;
  mutable bool allBuilt_ = false;
  mutable std::unique_ptr<TTypeInfo> typeInfo_;
};

#define HV_CLASS(Name, Parent)                                               \
 public:                                                                     \
  using inherited = Parent;                                                  \
  static const TClassInfo& StaticClassInfo();                                \
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); } \
                                                                             \
 private:

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;

  static const TClassInfo& StaticClassInfo();
  virtual const TClassInfo& ClassInfo() const { return StaticClassInfo(); }
  std::string ClassName() const { return ClassInfo().Name; }
  // Runs once the object is whole, when it is made through the class registry or New<T>: a
  // constructor cannot reach the overrides of the classes derived from its own.
  virtual void AfterConstruction() {}
  // Runs before the object is freed through Free or by its owner, while it is still whole (a
  // destructor cannot reach the overrides of the classes derived from its own either).
  virtual void BeforeDestruction() {}
  bool InheritsFrom(const TClassInfo& cls) const { return ClassInfo().InheritsFrom(cls); }
  template <class T>
  bool Is() const {
    return dynamic_cast<const T*>(this) != nullptr;
  }
};

// Makes an object and lets it finish (AfterConstruction); the object is freed again when that
// raises.
template <class T, class... A>
T* New(A&&... args) {
  std::unique_ptr<T> object(new T(std::forward<A>(args)...));
  object->AfterConstruction();
  return object.release();
}

// Frees an object: BeforeDestruction, then delete. Null does nothing.
inline void Free(TObject* Object) {
  if (!Object) return;
  Object->BeforeDestruction();
  delete Object;
}

// The tkClass descriptor of T* (so that object properties are deduced like any other type).
template <class T, std::enable_if_t<std::is_base_of_v<TObject, T>, int> = 0>
const TTypeInfo& TypeInfoOf(T**) {
  return T::StaticClassInfo().TypeInfo();
}

// ---- the class registry ----
void RegisterClass(const TClassInfo& cls);
void RegisterClasses(std::initializer_list<const TClassInfo*> classes);
void UnRegisterClass(const TClassInfo& cls);
// The registered class of that name, or null.
const TClassInfo* GetClass(std::string_view name);
// As GetClass; raises EClassNotFound "Class %s not found".
const TClassInfo& FindClass(std::string_view name);
// Every registered class, in the order of their upper-cased names.
std::vector<const TClassInfo*> RegisteredClasses();

// ---- published properties by name ----
const TPropInfo* GetPropInfo(const TObject* obj, std::string_view name);
const TPropInfo& FindPropInfo(const TObject* obj, std::string_view name);  // EPropertyError when absent
std::vector<const TPropInfo*> GetPropList(const TObject* obj);

int64_t GetOrdProp(TObject* obj, const TPropInfo& prop);
void SetOrdProp(TObject* obj, const TPropInfo& prop, int64_t value);
std::string GetEnumProp(TObject* obj, const TPropInfo& prop);
void SetEnumProp(TObject* obj, const TPropInfo& prop, std::string_view name);  // EPropertyError for unknown names
TSetValue GetSetValueProp(TObject* obj, const TPropInfo& prop);
void SetSetValueProp(TObject* obj, const TPropInfo& prop, const TSetValue& value);
std::string GetSetProp(TObject* obj, const TPropInfo& prop, bool brackets = false);
void SetSetProp(TObject* obj, const TPropInfo& prop, std::string_view text);
long double GetFloatProp(TObject* obj, const TPropInfo& prop);
void SetFloatProp(TObject* obj, const TPropInfo& prop, long double value);
AnsiString GetStrProp(TObject* obj, const TPropInfo& prop);  // wide values converted to the ANSI code page
void SetStrProp(TObject* obj, const TPropInfo& prop, const AnsiString& value);
WideString GetWideStrProp(TObject* obj, const TPropInfo& prop);  // ANSI values converted from the code page
void SetWideStrProp(TObject* obj, const TPropInfo& prop, const WideString& value);
int64_t GetInt64Prop(TObject* obj, const TPropInfo& prop);
void SetInt64Prop(TObject* obj, const TPropInfo& prop, int64_t value);
TObject* GetObjectProp(TObject* obj, const TPropInfo& prop);
void SetObjectProp(TObject* obj, const TPropInfo& prop, TObject* value);
TMethod GetMethodProp(TObject* obj, const TPropInfo& prop);
void SetMethodProp(TObject* obj, const TPropInfo& prop,
                   const TMethod& value);  // EPropertyError on a signature mismatch
bool IsStoredProp(TObject* obj, const TPropInfo& prop);

// Set texts: element names (or numbers) joined by ","; "[...]" with brackets. Reading accepts
// blanks and either form; an unknown name raises EPropertyError "Invalid property element: %s".
std::string SetToString(const TTypeInfo& setType, const TSetValue& value, bool brackets = false);
TSetValue StringToSet(const TTypeInfo& setType, std::string_view text);

// Published methods: bound by name, and the name of a bound method.
TMethod MethodAddress(TObject* obj, std::string_view name);   // unassigned when absent
std::string MethodName(TObject* obj, const TMethod& method);  // "" when not a published method of obj

// ---- building class information ----
namespace object_detail {

template <class V>
struct Kind {
  using D = std::remove_cv_t<std::remove_reference_t<V>>;
  static constexpr bool IsEvent = false;
};
template <class Sig>
struct Kind<TEvent<Sig>> {
  static constexpr bool IsEvent = true;
};

template <class V>
struct IsSet : std::false_type {};
template <class E>
struct IsSet<TSet<E>> : std::true_type {};

template <class T>
struct MemberTraits;
template <class C, class R>
struct MemberTraits<R (C::*)() const> {
  using Value = std::remove_cv_t<std::remove_reference_t<R>>;
};
template <class C, class R>
struct MemberTraits<R (C::*)()> {
  using Value = std::remove_cv_t<std::remove_reference_t<R>>;
};

template <class Sig>
struct MethodSig;
template <class C, class R, class... A>
struct MethodSig<R (C::*)(A...)> {
  using Type = R(A...);
};

}  // namespace object_detail

// Chainable options of a property being published.
class TPropBuilder {
 public:
  explicit TPropBuilder(TPropInfo& p) : p_(p) {}
  TPropBuilder& Default(int64_t value) {
    p_.HasDefault = true;
    p_.Default = value;
    return *this;
  }
  template <class E>
  TPropBuilder& Default(const TSet<E>& value) {
    p_.HasDefault = true;
    p_.DefaultSet = value.ToValue();
    return *this;
  }
  TPropBuilder& NoDefault() {
    p_.HasDefault = false;
    return *this;
  }
  TPropBuilder& Stored(bool stored) {
    p_.StoredConstant = stored;
    p_.StoredFunction = nullptr;
    return *this;
  }
  template <class T>
  TPropBuilder& Stored(bool (T::*test)() const) {
    p_.StoredFunction = [test](TObject* o) { return (static_cast<T*>(o)->*test)(); };
    return *this;
  }
  template <class T>
  TPropBuilder& Stored(bool (T::*test)()) {
    p_.StoredFunction = [test](TObject* o) { return (static_cast<T*>(o)->*test)(); };
    return *this;
  }
  // Overrides the deduced descriptor (a date-time stored in a double, a distinct integer type).
  TPropBuilder& Type(const TTypeInfo& type) {
    p_.PropType = &type;
    return *this;
  }

 private:
  TPropInfo& p_;
};

template <class T>
class TPublisher {
 public:
  explicit TPublisher(TClassInfo& info) : info_(info) {}

  // A property read and written through member functions (setter optional).
  template <class G>
  TPropBuilder Prop(const char* name, G getter) {
    using V = typename object_detail::MemberTraits<G>::Value;
    TPropInfo& p = Add<V>(name);
    p.HasGetter = true;
    BindGet<V>(p, [getter](TObject* o) -> V { return (static_cast<T*>(o)->*getter)(); });
    return TPropBuilder(p);
  }
  template <class G, class S>
  TPropBuilder Prop(const char* name, G getter, S setter) {
    using V = typename object_detail::MemberTraits<G>::Value;
    TPropInfo& p = Add<V>(name);
    p.HasGetter = true;
    p.HasSetter = true;
    BindGet<V>(p, [getter](TObject* o) -> V { return (static_cast<T*>(o)->*getter)(); });
    BindSet<V>(p, [setter](TObject* o, const V& v) { (static_cast<T*>(o)->*setter)(v); });
    return TPropBuilder(p);
  }
  // A property that is a data member, read and written directly.
  template <class C, class V>
  TPropBuilder Field(const char* name, V C::*field) {
    TPropInfo& p = Add<V>(name);
    p.HasGetter = true;
    p.HasSetter = true;
    BindGet<V>(p, [field](TObject* o) -> V { return static_cast<T*>(o)->*field; });
    BindSet<V>(p, [field](TObject* o, const V& v) { static_cast<T*>(o)->*field = v; });
    return TPropBuilder(p);
  }
  // An event held in a TEvent data member.
  template <class C, class Sig>
  TPropBuilder Event(const char* name, TEvent<Sig> C::*field) {
    return Field(name, field);
  }
  // An event read and written through member functions.
  template <class G, class S>
  TPropBuilder Event(const char* name, G getter, S setter) {
    return Prop(name, getter, setter);
  }
  // A data member that holds a component of the form (set by the form-file reader).
  template <class C, class V>
  void ComponentField(const char* name, V* C::*field) {
    TPublishedField f;
    f.Name = name;
    f.FieldClass = &V::StaticClassInfo();
    f.Set = [field](TObject* root, TObject* value) {
      V* typed = value ? dynamic_cast<V*>(value) : nullptr;
      if (value && !typed) return false;
      static_cast<T*>(root)->*field = typed;
      return true;
    };
    info_.Fields.push_back(std::move(f));
  }
  // A handler method that form files bind to events by name.
  template <class M>
  void Method(const char* name, M member) {
    using Sig = typename object_detail::MethodSig<M>::Type;
    TPublishedMethod m;
    m.Name = name;
    m.Bind = [member](TObject* o) { return TEvent<Sig>(static_cast<T*>(o), member).Method(); };
    info_.Methods.push_back(std::move(m));
  }

 private:
  template <class V>
  TPropInfo& Add(const char* name) {
    TPropInfo p;
    p.Name = name;
    p.DeclaringClass = &info_;
    if constexpr (object_detail::Kind<V>::IsEvent) {
      static const TTypeInfo method = [] {
        TTypeInfo t;
        t.Kind = tkMethod;
        t.Name = "TMethod";
        return t;
      }();
      p.PropType = &method;
    } else if constexpr (std::is_pointer_v<V>) {
      static const TTypeInfo provisional = [] {
        TTypeInfo t;
        t.Kind = tkClass;
        t.Name = "TObject";
        return t;
      }();
      p.PropType = &provisional;
      p.ResolveType = []() -> const TTypeInfo& { return TypeInfoOf<V>(); };
    } else {
      p.PropType = &TypeInfoOf<V>();
    }
    info_.OwnProps.push_back(std::move(p));
    return info_.OwnProps.back();
  }

  template <class V, class F>
  static void BindGet(TPropInfo& p, F get) {
    if constexpr (object_detail::Kind<V>::IsEvent) {
      p.GetMethod = [get](TObject* o) { return get(o).Method(); };
    } else if constexpr (object_detail::IsSet<V>::value) {
      p.GetSet = [get](TObject* o) { return get(o).ToValue(); };
    } else if constexpr (std::is_same_v<V, std::string>) {
      p.GetAnsi = get;
    } else if constexpr (std::is_same_v<V, std::wstring>) {
      p.GetWide = get;
    } else if constexpr (std::is_floating_point_v<V>) {
      p.GetFloat = [get](TObject* o) { return static_cast<long double>(get(o)); };
    } else if constexpr (std::is_pointer_v<V>) {
      p.GetObject = [get](TObject* o) -> TObject* { return get(o); };
    } else if constexpr (std::is_same_v<V, char>) {
      // A character's ordinal is 0..255 whatever the sign of char.
      p.GetOrd = [get](TObject* o) { return static_cast<int64_t>(static_cast<unsigned char>(get(o))); };
    } else if constexpr (std::is_enum_v<V> || std::is_integral_v<V>) {
      p.GetOrd = [get](TObject* o) { return static_cast<int64_t>(get(o)); };
    } else {
      static_assert(sizeof(V) == 0, "unsupported property type");
    }
  }

  template <class V, class F>
  static void BindSet(TPropInfo& p, F set) {
    if constexpr (object_detail::Kind<V>::IsEvent) {
      p.SetMethod = [set](TObject* o, const TMethod& m) {
        if (!V::Accepts(m)) return false;
        set(o, V::FromMethod(m));
        return true;
      };
    } else if constexpr (object_detail::IsSet<V>::value) {
      p.SetSet = [set](TObject* o, const TSetValue& v) { set(o, V::FromValue(v)); };
    } else if constexpr (std::is_same_v<V, std::string>) {
      p.SetAnsi = set;
    } else if constexpr (std::is_same_v<V, std::wstring>) {
      p.SetWide = set;
    } else if constexpr (std::is_floating_point_v<V>) {
      p.SetFloat = [set](TObject* o, long double v) { set(o, static_cast<V>(v)); };
    } else if constexpr (std::is_pointer_v<V>) {
      using Pointee = std::remove_pointer_t<V>;
      p.SetObject = [set](TObject* o, TObject* v) {
        V typed = v ? dynamic_cast<V>(v) : nullptr;
        if (v && !typed) throw EPropertyError("Invalid property value");
        set(o, typed);
      };
      (void)sizeof(Pointee);
    } else if constexpr (std::is_enum_v<V> || std::is_integral_v<V>) {
      p.SetOrd = [set](TObject* o, int64_t v) { set(o, static_cast<V>(v)); };
    }
  }

  TClassInfo& info_;
};

namespace object_detail {

template <class T>
TClassInfo* MakeClassInfo(const char* name, const TClassInfo* parent) {
  auto* info = new TClassInfo();  // lives for the whole process
  info->Name = name;
  info->Parent = parent;
  // Only components and collection items get the owner-taking factories: other classes may
  // well have a constructor that a pointer converts to (a handle stream takes a void*).
  if constexpr (!std::is_abstract_v<T>) {
    if constexpr (std::is_base_of_v<TComponent, T> && std::is_constructible_v<T, TComponent*>) {
      info->NewComponent = [](TComponent* owner) -> TComponent* { return New<T>(owner); };
    } else if constexpr (std::is_base_of_v<TCollectionItem, T> && std::is_constructible_v<T, TCollection*>) {
      info->NewItem = [](TCollection* c) -> TCollectionItem* { return New<T>(c); };
    } else if constexpr (std::is_default_constructible_v<T>) {
      info->NewObject = []() -> TObject* { return New<T>(); };
    }
  }
  return info;
}

}  // namespace object_detail

// Defines Class::StaticClassInfo; the block that follows publishes the properties through `p`,
// with `T` standing for the class.
#define HV_PUBLISH(Class)                                                                                   \
  namespace {                                                                                               \
  struct Class##_Publisher {                                                                                \
    using T = Class;                                                                                        \
    static void Run(TPublisher<Class>& p);                                                                  \
  };                                                                                                        \
  }                                                                                                         \
  const TClassInfo& Class::StaticClassInfo() {                                                              \
    static const TClassInfo* info = [] {                                                                    \
      TClassInfo* ci = ::object_detail::MakeClassInfo<Class>(#Class, &Class::inherited::StaticClassInfo()); \
      TPublisher<Class> p(*ci);                                                                             \
      Class##_Publisher::Run(p);                                                                            \
      return ci;                                                                                            \
    }();                                                                                                    \
    return *info;                                                                                           \
  }                                                                                                         \
  void Class##_Publisher::Run([[maybe_unused]] TPublisher<Class>& p)
