// Reading form files: the parsed tree is applied to the components (properties set by name,
// components made through the class registry, references resolved when the outermost read
// ends, Loaded called once).
#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <unordered_set>

#include "framework/CodePages.h"
#include "framework/FormFileParser.h"
#include "framework/ScopeGuards.h"
#include "framework/Streams.h"
#include "framework/UpdateBracket.h"
#include "framework/Win.h"

namespace formfile {

namespace {

// An error that already names the property it happened in; it passes outer levels unchanged.
HV_DECLARE_EXCEPTION(EPathReadError, EReadError);

// Whatever went wrong below, told with the path of the property or component.
template <class F>
void WithPath(const std::string& path, F f) {
  try {
    f();
  } catch (const EPathReadError&) {
    throw;
  } catch (const EClassNotFound& e) {
    throw EClassNotFound("Error reading " + path + ": " + e.what());
  } catch (const Exception& e) {
    throw EPathReadError("Error reading " + path + ": " + e.what());
  }
}

[[noreturn]] void InvalidPropertyValue() { throw EReadError("Invalid property value"); }

// Follows the free notifications of the components that a read or a pending reference needs.
class TWatcher : public TComponent {
 public:
  TWatcher() : TComponent(nullptr) {}
  std::function<void(TComponent*)> OnRemove;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && OnRemove) OnRemove(AComponent);
  }
};

// ---- global references ----

std::vector<TFindGlobalComponent>& Finders() {
  static std::vector<TFindGlobalComponent> finders;
  return finders;
}

TComponent* FollowPath(TComponent* c, const std::vector<std::string>& parts) {
  for (size_t i = 1; c && i < parts.size(); ++i) c = c->FindComponent(parts[i]);
  return c;
}

// A collection item that the object holding a reference lives in, outermost first. Items go
// with their collection's Clear or Delete, without a word to anyone: before a reference is set,
// each item is looked up again by its ID in its collection, which lives as long as the item
// around it (or the holder).
struct TItemLink {
  TCollection* Collection;
  int Id;
  TCollectionItem* Item;
};
using TItemPath = std::vector<TItemLink>;

bool ItemsAlive(const TItemPath& path) {
  for (const TItemLink& link : path)
    if (link.Collection->FindItemID(link.Id) != link.Item) return false;
  return true;
}

struct TPending {
  TPersistent* Instance;
  const TPropInfo* Prop;
  std::string Reference;
  TComponent* Holder;
  TItemPath Items;
};

class TPendingList {
 public:
  TPendingList() {
    watcher_.OnRemove = [this](TComponent* c) {
      items_.erase(std::remove_if(items_.begin(), items_.end(), [c](const TPending& p) { return p.Holder == c; }),
                   items_.end());
    };
  }
  ~TPendingList() {
    watcher_.OnRemove = nullptr;
    for (const TPending& p : items_) watcher_.RemoveFreeNotification(p.Holder);
  }
  void Add(const TPending& p) {
    items_.push_back(p);
    watcher_.FreeNotification(p.Holder);
  }
  void Resolve() {
    std::vector<TPending> left;
    for (const TPending& p : items_) {
      if (!ItemsAlive(p.Items)) continue;  // the object that wanted it is gone
      std::vector<std::string> parts = Split(p.Reference, '.');
      TComponent* target = FollowPath(FindGlobalComponent(parts[0]), parts);
      if (!target) {
        left.push_back(p);
        continue;
      }
      try {
        SetObjectProp(p.Instance, *p.Prop, target);
      } catch (const Exception&) {
        // A target of the wrong class: the reference stays unset, as if it were never found.
      }
    }
    for (const TPending& p : items_)
      if (std::none_of(left.begin(), left.end(), [&](const TPending& q) { return q.Holder == p.Holder; }))
        watcher_.RemoveFreeNotification(p.Holder);
    items_.swap(left);
  }
  int Count() const { return static_cast<int>(items_.size()); }

 private:
  std::vector<TPending> items_;
  TWatcher watcher_;
};

TPendingList& Pending() {
  static TPendingList list;
  return list;
}

// ---- a reading session ----

struct TFixup {
  TPersistent* Instance;
  const TPropInfo* Prop;
  std::string Reference;
  TComponent* Holder;
  TComponent* Context;
  TComponent* Root;
  std::string Path;
  const void* File;  // the read that recorded it
  TItemPath Items;
};

// Everything read between the start and the end of the outermost read: the components to
// tell Loaded and the references to resolve.
class TSession {
 public:
  TSession() : previous_(current_) {
    current_ = this;
    watcher_.OnRemove = [this](TComponent* c) { Forget(c); };
  }
  ~TSession() {
    current_ = previous_;
    watcher_.OnRemove = nullptr;
    // Last first: each link is then found at the end of the watcher's list.
    for (auto it = loaded_.rbegin(); it != loaded_.rend(); ++it)
      if (*it) watcher_.RemoveFreeNotification(*it);
  }
  TSession(const TSession&) = delete;
  TSession& operator=(const TSession&) = delete;

  static TSession* Current() { return current_; }

  void Add(TComponent* c) {
    if (!known_.insert(c).second) return;
    loaded_.push_back(c);
    c->SetLoading(true);
    c->SetReading(true);
    watcher_.FreeNotification(c);
  }

  void AddFixup(TFixup f) { fixups_.push_back(std::move(f)); }
  void ResolveFixups(const void* file);

  void Finish(TComponent* root) {
    Pending().Resolve();
    for (TComponent* c : loaded_)
      if (c) c->SetReading(false);
    for (size_t i = 0; i < loaded_.size(); ++i)
      if (loaded_[i] && loaded_[i] != root) CallLoaded(loaded_[i]);
    if (root && known_.count(root)) CallLoaded(root);
  }

  void Abort() {
    for (TComponent* c : loaded_)
      if (c) {
        c->SetReading(false);
        c->SetLoading(false);
      }
  }

 private:
  void Forget(TComponent* c) {
    known_.erase(c);
    std::replace(loaded_.begin(), loaded_.end(), c, static_cast<TComponent*>(nullptr));
    for (TFixup& f : fixups_)
      if (f.Holder == c) f.Holder = nullptr;
  }

  void CallLoaded(TComponent* c) {
    c->Loaded();
    // Loaded may have freed components; the watcher has cleared their entries.
    if (known_.count(c)) c->SetLoading(false);
  }

  static TComponent* Lookup(const std::string& name, TComponent* context, TComponent* root) {
    for (TComponent* scope : {context, root}) {
      if (TComponent* c = scope->FindComponent(name)) return c;
      if (SameText(scope->Name(), name)) return scope;
    }
    return FindGlobalComponent(name);
  }

  static thread_local TSession* current_;
  TSession* previous_;
  std::vector<TComponent*> loaded_;
  std::unordered_set<TComponent*> known_;  // what loaded_ holds
  std::vector<TFixup> fixups_;
  TWatcher watcher_;
};

thread_local TSession* TSession::current_ = nullptr;

// At the end of each file: the names are those the file knew (an inherited form renames
// its root only with the next file).
void TSession::ResolveFixups(const void* file) {
  std::vector<TFixup> others;
  for (TFixup& f : fixups_) {
    if (f.File != file) {
      others.push_back(std::move(f));
      continue;
    }
    if (!f.Holder || !ItemsAlive(f.Items)) continue;
    std::vector<std::string> parts = Split(f.Reference, '.');
    TComponent* target = FollowPath(Lookup(parts[0], f.Context, f.Root), parts);
    if (target)
      WithPath(f.Path, [&] { SetObjectProp(f.Instance, *f.Prop, target); });
    else
      Pending().Add({f.Instance, f.Prop, f.Reference, f.Holder, f.Items});
  }
  fixups_.swap(others);
}

// Runs a read inside the current session, or in a new one that it finishes.
template <class F>
void InSession(TComponent* root, F read) {
  if (TSession* s = TSession::Current()) {
    read(*s);
    return;
  }
  TSession session;
  UndoOnFailure(
      [&] {
        read(session);
        session.Finish(root);
      },
      [&] { session.Abort(); });
}

}  // namespace

// ---- applying a tree to components ----

class TLoader {
 public:
  // With nameRoot, the root takes the name that the file gives it.
  TLoader(TSession& session, TComponent* root, const std::string& source, bool nameRoot)
      : session_(session), root_(root), source_(source), nameRoot_(nameRoot), reader_(*this) {
    reader_.SetRoot(root);
  }

  void ReadRoot(const TObjectNode& node) {
    CheckRootClass(node);
    if (nameRoot_) NameRoot(node.Name);
    session_.Add(root_);
    ReadBody(root_, node, root_);
    session_.ResolveFixups(this);
  }

  void ReadCollectionItems(TCollection* collection, const TValue& v) {
    std::string base = propPath_;
    const size_t depth = items_.size();
    TScopeExit restore([&] {
      propPath_ = std::move(base);
      items_.resize(depth);
    });
    WithinUpdate(*collection, [&] {
      collection->Clear();
      for (size_t i = 0; i < v.Items.size(); ++i) {
        TCollectionItem* item = collection->Add();
        items_.push_back({collection, item->ID(), item});
        ReadProps(item, v.Items[i].Props, base + "[" + std::to_string(i) + "]");
        items_.pop_back();
      }
    });
  }

 private:
  void CheckRootClass(const TObjectNode& node) {
    for (const TClassInfo* c = &root_->ClassInfo(); c; c = c->Parent)
      if (SameText(c->Name, node.ClassName)) return;
    throw EReadError("Error reading " + source_ + ": the form file describes a " + node.ClassName + ", not a " +
                     root_->ClassName());
  }

  // The file's name, made unique among the owner's components.
  void NameRoot(const std::string& name) {
    if (name.empty()) return;
    TComponent* owner = root_->Owner();
    std::string candidate = name;
    for (int n = 1; owner; ++n) {
      TComponent* other = owner->FindComponent(candidate);
      if (!other || other == root_) break;
      candidate = name + "_" + std::to_string(n);
    }
    WithPath(source_, [&] { root_->SetName(candidate); });
  }

  std::string PathOf(TComponent* c) const {
    std::string rootName = root_->Name().empty() ? root_->ClassName() : root_->Name();
    if (c == root_) return rootName;
    std::string path = c->Name();
    for (TComponent* o = c->Owner(); o && o != root_; o = o->Owner()) path = o->Name() + "." + path;
    return rootName + "." + path;
  }

  void ReadBody(TComponent* component, const TObjectNode& node, TComponent* context) {
    TComponent* savedHolder = holder_;
    TComponent* savedContext = context_;
    holder_ = component;
    context_ = context;
    ReadProps(component, node.Props, PathOf(component));
    TComponent* childContext = node.Kind == TObjectKind::Inline ? component : context;
    for (const TObjectNode& child : node.Children) ReadChild(child, component, childContext);
    holder_ = savedHolder;
    context_ = savedContext;
  }

  void ReadChild(const TObjectNode& node, TComponent* parent, TComponent* context) {
    TComponent* c = nullptr;
    std::string where = PathOf(parent) + "." + (node.Name.empty() ? node.ClassName : node.Name);
    WithPath(where, [&] {
      TComponent* existing = node.Name.empty() ? nullptr : context->FindComponent(node.Name);
      if (node.Kind == TObjectKind::Inherited && !existing)
        throw EReadError("Ancestor for '" + node.Name + "' not found");
      if (node.Kind != TObjectKind::Object && existing) {
        CheckClass(existing, node.ClassName);
        c = existing;
      } else {
        c = Create(node, context);
      }
      if (context == root_) SetField(c);
    });
    session_.Add(c);
    if (parent != c) c->SetParentComponent(parent);
    ReadBody(c, node, context);
  }

  static void CheckClass(TComponent* c, const std::string& className) {
    for (const TClassInfo* k = &c->ClassInfo(); k; k = k->Parent)
      if (SameText(k->Name, className)) return;
    throw EReadError(c->Name() + " is a " + c->ClassName() + ", not a " + className);
  }

  // What a file adds inside an embedded frame belongs to the frame, as what the frame's own
  // file made does: it is found and written through the frame.
  TComponent* Create(const TObjectNode& node, TComponent* context) {
    const TClassInfo& cls = FindClass(node.ClassName);
    if (!cls.NewComponent) throw EReadError("Class " + cls.Name + " is not a component");
    TComponent* c = cls.NewComponent(context);
    if (!node.Name.empty()) c->SetName(node.Name);
    if (node.Kind == TObjectKind::Inline) c->SetInline(true);
    return c;
  }

  void SetField(TComponent* c) {
    if (c->Name().empty()) return;
    const TPublishedField* field = root_->ClassInfo().FindField(c->Name());
    if (field && !field->Set(root_, c)) throw EReadError("Field " + field->Name + " cannot hold a " + c->ClassName());
  }

  void ReadProps(TPersistent* instance, const std::vector<TProperty>& props, const std::string& path) {
    for (const TProperty& p : props) {
      std::string saved = propPath_;
      propPath_ = path + "." + p.Name;
      WithPath(propPath_, [&] { ReadProperty(instance, p); });
      propPath_ = saved;
    }
  }

  void ReadProperty(TPersistent* instance, const TProperty& p) {
    std::vector<std::string> parts = Split(p.Name, '.');
    TPersistent* target = instance;
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
      const TPropInfo* prop = target->ClassInfo().FindProp(parts[i]);
      if (!prop) throw EReadError("Property " + parts[i] + " does not exist");
      auto* sub = prop->Kind() == tkClass ? dynamic_cast<TPersistent*>(GetObjectProp(target, *prop)) : nullptr;
      if (!sub) throw EReadError("Property " + parts[i] + " holds no object");
      target = sub;
    }
    if (const TPropInfo* prop = target->ClassInfo().FindProp(parts.back()))
      SetValue(target, *prop, p.Value);
    else if (!ReadDefined(target, parts.back(), p.Value))
      throw EReadError("Property " + parts.back() + " does not exist");
  }

  bool ReadDefined(TPersistent* instance, const std::string& name, const TValue& v) {
    TTempValue wantedName(reader_.wantedName_, name);
    TTempValue wantedValue(reader_.wantedValue_, &v);
    TTempValue found(reader_.found_, false);
    instance->DefineProperties(&reader_);
    return reader_.found_;
  }

  static void CheckRange(const TTypeInfo& type, int64_t v) {
    static const int64_t bounds[][2] = {{-128, 127},    {0, 255}, {-32768, 32767}, {0, 65535}, {INT32_MIN, INT32_MAX},
                                        {0, UINT32_MAX}};
    int64_t lo = bounds[type.OrdType][0], hi = bounds[type.OrdType][1];
    if (type.OrdType != otULong) {
      lo = std::max<int64_t>(lo, type.MinValue);
      hi = std::min<int64_t>(hi, type.MaxValue);
    }
    if (v < lo || v > hi) InvalidPropertyValue();
  }

  // A value that the property's type cannot hold would turn into infinity and could not be
  // written again.
  static void CheckFloatRange(TFloatType type, long double f) {
    long double largest = type == ftSingle   ? std::numeric_limits<float>::max()
                          : type == ftDouble ? std::numeric_limits<double>::max()
                                             : std::numeric_limits<long double>::max();
    if (!std::isfinite(f) || std::fabs(f) > largest) InvalidPropertyValue();
  }

  void SetOrdinal(TPersistent* obj, const TPropInfo& prop, const TValue& v) {
    const TTypeInfo& type = *prop.PropType;
    int64_t n = 0;
    if (IsIntKind(v.Kind)) {
      n = v.Int;
    } else if (v.Kind == vaIdent && type.Kind == tkInteger && FindIdentToInt(type)) {
      int32_t mapped = 0;
      if (!FindIdentToInt(type)(v.Ident, mapped)) InvalidPropertyValue();
      n = mapped;
    } else if (IsStringKind(v.Kind) && v.Str.size() == 1 && type.Kind != tkInteger) {
      n = type.Kind == tkChar ? static_cast<uint8_t>(WideToAnsi(v.Str)[0]) : v.Str[0];
    } else {
      InvalidPropertyValue();
    }
    CheckRange(type, n);
    SetOrdProp(obj, prop, n);
  }

  void SetEnum(TPersistent* obj, const TPropInfo& prop, const TValue& v) {
    if (v.Kind != vaIdent && v.Kind != vaTrue && v.Kind != vaFalse) InvalidPropertyValue();
    int n = GetEnumValue(*prop.PropType, v.Ident);
    if (n < 0) InvalidPropertyValue();
    SetOrdProp(obj, prop, n);
  }

  void SetMethod(TPersistent* obj, const TPropInfo& prop, const TValue& v) {
    if (v.Kind == vaNil) {
      SetMethodProp(obj, prop, TMethod());
      return;
    }
    if (v.Kind != vaIdent) InvalidPropertyValue();
    TMethod m = MethodAddress(root_, v.Ident);
    if (!m.Assigned()) throw EReadError("Method " + v.Ident + " not found in " + root_->ClassName());
    if (!prop.SetMethod) SetMethodProp(obj, prop, m);  // raises the read-only error
    if (!prop.SetMethod(obj, m))
      throw EReadError("Method " + v.Ident + " does not have the parameters of " + prop.Name);
  }

  void SetObject(TPersistent* obj, const TPropInfo& prop, const TValue& v) {
    if (v.Kind == vaNil) {
      SetObjectProp(obj, prop, nullptr);
    } else if (v.Kind == vaIdent) {
      if (!prop.SetObject) SetObjectProp(obj, prop, nullptr);  // raises the read-only error
      session_.AddFixup({obj, &prop, v.Ident, holder_, context_, root_, propPath_, this, items_});
    } else if (v.Kind == vaCollection) {
      auto* collection = dynamic_cast<TCollection*>(GetObjectProp(obj, prop));
      if (!collection) InvalidPropertyValue();
      ReadCollectionItems(collection, v);
    } else {
      InvalidPropertyValue();
    }
  }

  void SetValue(TPersistent* obj, const TPropInfo& prop, const TValue& v) {
    switch (prop.Kind()) {
      case tkInteger:
      case tkChar:
      case tkWChar: return SetOrdinal(obj, prop, v);
      case tkEnumeration: return SetEnum(obj, prop, v);
      case tkSet: {
        if (v.Kind != vaSet) InvalidPropertyValue();
        std::string text;
        for (const std::string& e : v.Set) text += (text.empty() ? "" : ",") + e;
        return SetSetValueProp(obj, prop, StringToSet(*prop.PropType, text));
      }
      case tkFloat: {
        long double f = 0;
        if (IsFloatKind(v.Kind))
          f = v.Float;
        else if (IsIntKind(v.Kind))
          f = static_cast<long double>(v.Int);
        else
          InvalidPropertyValue();
        CheckFloatRange(prop.PropType->FloatType, f);
        return SetFloatProp(obj, prop, f);
      }
      case tkString:
      case tkLString:
      case tkWString:
        if (!IsStringKind(v.Kind)) InvalidPropertyValue();
        return SetWideStrProp(obj, prop, v.Str);
      case tkInt64:
        if (!IsIntKind(v.Kind)) InvalidPropertyValue();
        return SetInt64Prop(obj, prop, v.Int);
      case tkMethod: return SetMethod(obj, prop, v);
      case tkClass: return SetObject(obj, prop, v);
      default: InvalidPropertyValue();
    }
  }

  TSession& session_;
  TComponent* root_;
  std::string source_;
  bool nameRoot_;
  TReader reader_;
  TComponent* holder_ = nullptr;   // the component whose properties are read
  TComponent* context_ = nullptr;  // where names are looked up: the root or an inline frame
  std::string propPath_;
  TItemPath items_;  // the collection items whose properties are being read
};

}  // namespace formfile

using namespace formfile;

// ---- TReader ----

TReader::TReader(TLoader& loader) : TFiler(true), loader_(loader) {}

TReader::~TReader() = default;

void TReader::InvalidValue() { InvalidPropertyValue(); }

const TValue* TReader::Peek() {
  if (frames_.empty()) return nullptr;
  const Frame& top = frames_.back();
  return top.Index < top.Count ? &top.Values[top.Index] : nullptr;
}

const TValue& TReader::Take() {
  const TValue* v = Peek();
  if (!v) InvalidValue();
  ++frames_.back().Index;
  return *v;
}

TFormValueType TReader::NextValue() {
  const TValue* v = Peek();
  return v ? v->Kind : vaNull;
}

TFormValueType TReader::ReadValue() {
  const TValue* v = Peek();
  if (!v) {
    ReadListEnd();
    return vaNull;
  }
  if (v->Kind == vaList) {
    ReadListBegin();
    return vaList;
  }
  return Take().Kind;
}

AnsiString TReader::ReadString() { return WideToAnsi(ReadWideString()); }

WideString TReader::ReadWideString() {
  if (!IsStringKind(NextValue())) InvalidValue();
  return Take().Str;
}

int32_t TReader::ReadInteger() {
  TFormValueType k = NextValue();
  if (k != vaInt8 && k != vaInt16 && k != vaInt32) InvalidValue();
  return static_cast<int32_t>(Take().Int);
}

int64_t TReader::ReadInt64() {
  if (!IsIntKind(NextValue())) InvalidValue();
  return Take().Int;
}

long double TReader::ReadFloat() {
  TFormValueType k = NextValue();
  if (IsFloatKind(k)) return Take().Float;
  if (IsIntKind(k)) return static_cast<long double>(Take().Int);
  InvalidValue();
}

bool TReader::ReadBoolean() {
  TFormValueType k = NextValue();
  if (k != vaTrue && k != vaFalse) InvalidValue();
  Take();
  return k == vaTrue;
}

std::string TReader::ReadIdent() {
  TFormValueType k = NextValue();
  if (k != vaIdent && k != vaTrue && k != vaFalse && k != vaNil && k != vaNull) InvalidValue();
  return Take().Ident;
}

void TReader::ReadListBegin() {
  if (NextValue() != vaList) InvalidValue();
  const TValue& list = Take();
  frames_.push_back({list.List.data(), list.List.size(), 0});
  ++lists_;
}

void TReader::ReadListEnd() {
  if (lists_ == 0 || Peek()) InvalidValue();
  frames_.pop_back();
  --lists_;
}

bool TReader::EndOfList() { return Peek() == nullptr; }

void TReader::ReadCollection(TCollection* Collection) {
  if (NextValue() != vaCollection || !Collection) InvalidValue();
  loader_.ReadCollectionItems(Collection, Take());
}

void TReader::SkipValue() { Take(); }

void TReader::DefineProperty(const std::string& Name, TReaderProc ReadData, TWriterProc, bool) {
  if (found_ || !wantedValue_ || !ReadData || !SameText(Name, wantedName_)) return;
  RunDefined([&] { ReadData(*this); });
}

void TReader::DefineBinaryProperty(const std::string& Name, TStreamProc ReadData, TStreamProc, bool) {
  if (found_ || !wantedValue_ || !ReadData || !SameText(Name, wantedName_)) return;
  RunDefined([&] {
    const TValue& v = Take();
    if (v.Kind != vaBinary) InvalidValue();
    TMemoryStream stream;
    stream.WriteBuffer(v.Bytes.data(), static_cast<int>(v.Bytes.size()));
    stream.SetPosition(0);
    ReadData(stream);
  });
}

void TReader::RunDefined(const std::function<void()>& read) {
  found_ = true;
  const TValue* v = wantedValue_;
  wantedValue_ = nullptr;  // nested DefineProperties calls must not take it again
  TTempValue frames(frames_, std::vector<Frame>{{v, 1, 0}});
  TTempValue lists(lists_, 0);
  read();
}

// ---- entry points ----

namespace {

std::optional<std::string> FormResource(const std::string& className) {
  HMODULE module = GetModuleHandleW(nullptr);
  WideString name = Utf8ToWide(className);
  if (!FindResourceW(module, name.c_str(), RT_RCDATA)) return std::nullopt;
  TResourceStream stream(module, name, RT_RCDATA);
  return std::string(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

}  // namespace

bool InitInheritedComponent(TComponent* Instance, const TClassInfo& RootAncestor) {
  std::vector<const TClassInfo*> chain;
  for (const TClassInfo* c = &Instance->ClassInfo(); c && c != &RootAncestor && c != &TComponent::StaticClassInfo();
       c = c->Parent)
    chain.push_back(c);
  if (chain.empty()) return false;
  // Every file is parsed before anything is read, so that a malformed one changes nothing.
  std::vector<std::pair<std::string, TObjectNode>> files;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it)
    if (std::optional<std::string> text = FormResource((*it)->Name))
      files.emplace_back((*it)->Name, ParseFormText(*text, (*it)->Name));
  if (files.empty()) throw EResNotFound("Resource " + Instance->ClassName() + " not found");
  // An unnamed instance takes the name of each file in turn: the most derived one's stays.
  bool unnamed = Instance->Name().empty();
  InSession(Instance, [&](TSession& session) {
    for (const auto& [name, node] : files) TLoader(session, Instance, name, unnamed).ReadRoot(node);
  });
  return true;
}

TComponent* ReadComponentFromText(const std::string& Utf8Text, TComponent* Root, const std::string& SourceName) {
  TObjectNode node = ParseFormText(Utf8Text, SourceName);
  std::unique_ptr<TComponent> created;
  if (!Root) {
    const TClassInfo& cls = FindClass(node.ClassName);
    if (!cls.NewComponent) throw EReadError("Error reading " + SourceName + ": " + cls.Name + " is not a component");
    created.reset(cls.NewComponent(nullptr));
    Root = created.get();
  }
  bool unnamed = Root->Name().empty();
  InSession(Root, [&](TSession& session) { TLoader(session, Root, SourceName, unnamed).ReadRoot(node); });
  created.release();
  return Root;
}

TComponent* ReadComponentFromStream(TStream* Stream, TComponent* Root) {
  int64_t size = Stream->Size() - Stream->Position();
  if (size > 0x7FFFFFFF) throw EReadError("Stream read error");
  std::string text(static_cast<size_t>(std::max<int64_t>(size, 0)), '\0');
  Stream->ReadBuffer(text.data(), static_cast<int>(text.size()));
  return ReadComponentFromText(text, Root, "form stream");
}

void RegisterFindGlobalComponent(TFindGlobalComponent Finder) {
  if (Finder && std::find(Finders().begin(), Finders().end(), Finder) == Finders().end()) Finders().push_back(Finder);
}

void UnregisterFindGlobalComponent(TFindGlobalComponent Finder) {
  Finders().erase(std::remove(Finders().begin(), Finders().end(), Finder), Finders().end());
}

TComponent* FindGlobalComponent(std::string_view Name) {
  for (TFindGlobalComponent finder : Finders())
    if (TComponent* c = finder(Name)) return c;
  return nullptr;
}

void GlobalFixupReferences() { Pending().Resolve(); }

int PendingGlobalReferences() { return Pending().Count(); }
