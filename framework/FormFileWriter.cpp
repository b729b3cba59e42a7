// Writing form files: the tree is built from the components (only what differs from the
// defaults or the ancestor) and laid out as text.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <optional>

#include "framework/CodePages.h"
#include "framework/FormFileTree.h"
#include "framework/ScopeGuards.h"
#include "framework/Streams.h"

namespace formfile {

namespace {

// ---- layout ----

std::string Indent(int level) { return std::string(static_cast<size_t>(2 * level), ' '); }

// One part of a string: printable characters quoted, the rest as #code.
std::string QuotePart(const WideString& s, size_t begin, size_t end) {
  std::string out;
  bool open = false;
  auto quote = [&](bool wanted) {
    if (open != wanted) out += '\'';
    open = wanted;
  };
  for (size_t i = begin; i < end; ++i) {
    uint32_t c = s[i];
    bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < end && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF;
    if (c >= 32 && c < 127) {
      quote(true);
      out += static_cast<char>(c);
      if (c == '\'') out += '\'';
    } else if (c >= 0xA0 && (c < 0xD800 || c > 0xDFFF)) {
      quote(true);
      AppendUtf8(out, c);
    } else if (pair) {
      quote(true);
      AppendUtf8(out, 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00));
      ++i;
    } else {
      quote(false);
      out += '#' + std::to_string(c);
    }
  }
  quote(false);
  return out.empty() ? "''" : out;
}

std::string FormatString(const WideString& s, int level) {
  std::string out;
  size_t begin = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != L'\n' || i + 1 == s.size()) continue;
    out += QuotePart(s, begin, i + 1) + " +\n" + Indent(level + 1);
    begin = i + 1;
  }
  return out + QuotePart(s, begin, s.size());
}

std::string FormatFloat(long double v, TFloatType kind) {
  if (!std::isfinite(v)) throw EWriteError("Invalid floating point value");
  int most = kind == ftSingle ? 9 : (kind == ftExtended ? 21 : 17);
  char buffer[64];
  for (int precision = 1; precision <= most; ++precision) {
    std::snprintf(buffer, sizeof buffer, "%.*Lg", precision, v);
    long double back = std::strtold(buffer, nullptr);
    bool exact = kind == ftSingle                         ? static_cast<float>(back) == static_cast<float>(v)
                 : (kind == ftExtended || kind == ftComp) ? back == v
                                                          : static_cast<double>(back) == static_cast<double>(v);
    if (exact) break;
  }
  std::string text = buffer;
  if (text.find_first_of(".eE") == std::string::npos) text += ".0";
  return text;
}

std::string FormatValue(const TValue& v, int level);

void FormatProps(const std::vector<TProperty>& props, int level, std::string& out) {
  for (const TProperty& p : props) out += Indent(level) + p.Name + " = " + FormatValue(p.Value, level) + "\n";
}

std::string FormatValue(const TValue& v, int level) {
  switch (v.Kind) {
    case vaInt8:
    case vaInt16:
    case vaInt32:
    case vaInt64: return std::to_string(v.Int);
    case vaExtended:
    case vaSingle:
    case vaCurrency:
    case vaDate: return FormatFloat(v.Float, v.FloatKind);
    case vaString:
    case vaLString:
    case vaWString:
    case vaUTF8String: return FormatString(v.Str, level);
    case vaTrue: return "True";
    case vaFalse: return "False";
    case vaNil: return "nil";
    case vaNull: return "Null";
    case vaIdent: return v.Ident;
    case vaSet: {
      std::string out = "[";
      for (size_t i = 0; i < v.Set.size(); ++i) out += (i ? ", " : "") + v.Set[i];
      return out + "]";
    }
    case vaList: {
      std::string out = "(";
      for (const TValue& item : v.List) out += "\n" + Indent(level + 1) + FormatValue(item, level + 1);
      return out + ")";
    }
    case vaCollection: {
      std::string out = "<";
      for (const TItem& item : v.Items) {
        out += "\n" + Indent(level + 1) + "item\n";
        FormatProps(item.Props, level + 2, out);
        out += Indent(level + 1) + "end";
      }
      return out + ">";
    }
    case vaBinary: {
      static const char hex[] = "0123456789ABCDEF";
      std::string out = "{";
      for (size_t i = 0; i < v.Bytes.size(); ++i) {
        if (i % 32 == 0) out += "\n" + Indent(level + 1);
        uint8_t b = static_cast<uint8_t>(v.Bytes[i]);
        out += hex[b >> 4];
        out += hex[b & 15];
      }
      return out + "}";
    }
  }
  return std::string();
}

void FormatObject(const TObjectNode& node, int level, std::string& out) {
  static const char* const keywords[] = {"object", "inherited", "inline"};
  out += Indent(level) + keywords[static_cast<int>(node.Kind)] + " ";
  out += node.Name.empty() ? node.ClassName : node.Name + ": " + node.ClassName;
  out += "\n";
  FormatProps(node.Props, level + 1, out);
  for (const TObjectNode& child : node.Children) FormatObject(child, level + 1, out);
  out += Indent(level) + "end\n";
}

}  // namespace

// ---- building a tree from components ----

class TSaver {
 public:
  TSaver(TComponent* root, TComponent* ancestor) : root_(root), ancestorRoot_(ancestor), writer_(*this) {
    writer_.SetRoot(root);
  }

  TObjectNode SaveRoot() {
    return SaveComponent(root_, ancestorRoot_, root_, ancestorRoot_,
                         ancestorRoot_ ? TObjectKind::Inherited : TObjectKind::Object);
  }

  TValue CollectionValue(TCollection* collection) {
    TValue v;
    v.Kind = vaCollection;
    for (int i = 0; collection && i < collection->Count(); ++i) {
      TItem item;
      SaveProps(collection->Items(i), nullptr, "", item.Props, depth_ + 1);
      v.Items.push_back(std::move(item));
    }
    return v;
  }

  void AddDefined(const std::string& name, TValue&& v) { out_->push_back({prefix_ + name, std::move(v)}); }

 private:
  TObjectNode SaveComponent(TComponent* c, TComponent* ancestor, TComponent* context, TComponent* ancestorContext,
                            TObjectKind kind) {
    TObjectNode node;
    node.Kind = kind;
    node.Name = c->Name();
    node.ClassName = c->ClassName();
    // A frame embedded in a form is its own naming scope for what it owns.
    std::unique_ptr<TComponent> fresh;
    if (c != root_ && c->ComponentState().Contains(csInline)) {
      if (!ancestor && c->ClassInfo().NewComponent) {
        fresh.reset(c->ClassInfo().NewComponent(nullptr));
        ancestor = fresh.get();
      }
      context = c;
      ancestorContext = ancestor;
    }
    TComponent* savedContext = context_;
    TComponent* savedAncestorContext = ancestorContext_;
    context_ = context;
    ancestorContext_ = ancestorContext;
    SaveProps(c, ancestor, "", node.Props, 0);
    std::vector<TComponent*> children;
    c->GetChildren([&](TComponent* child) { children.push_back(child); }, context);
    for (TComponent* child : children) {
      TComponent* childAncestor =
          ancestorContext && !child->Name().empty() ? ancestorContext->FindComponent(child->Name()) : nullptr;
      TObjectKind childKind = childAncestor                                ? TObjectKind::Inherited
                              : child->ComponentState().Contains(csInline) ? TObjectKind::Inline
                                                                           : TObjectKind::Object;
      node.Children.push_back(SaveComponent(child, childAncestor, context, ancestorContext, childKind));
    }
    context_ = savedContext;
    ancestorContext_ = savedAncestorContext;
    return node;
  }

  void SaveProps(TPersistent* obj, TPersistent* ancestor, const std::string& prefix, std::vector<TProperty>& out,
                 int depth) {
    if (depth > 16) throw EWriteError("Properties of " + obj->ClassName() + " nested too deeply");
    int savedDepth = depth_;
    depth_ = depth;
    for (const TPropInfo* prop : obj->ClassInfo().Props()) {
      const TPropInfo* ancestorProp = ancestor ? ancestor->ClassInfo().FindProp(prop->Name) : nullptr;
      SaveProp(obj, *prop, ancestorProp ? ancestor : nullptr, ancestorProp, prefix, out, depth);
    }
    SaveDefined(obj, ancestor, prefix, out);
    depth_ = savedDepth;
  }

  void SaveDefined(TPersistent* obj, TPersistent* ancestor, const std::string& prefix, std::vector<TProperty>& out) {
    TTempValue output(out_, &out);
    TTempValue outputPrefix(prefix_, prefix);
    TPersistent* savedAncestor = writer_.Ancestor();
    writer_.SetAncestor(ancestor);
    TScopeExit ancestorBack([&] { writer_.SetAncestor(savedAncestor); });
    obj->DefineProperties(&writer_);
  }

  void SaveProp(TPersistent* obj, const TPropInfo& prop, TPersistent* anc, const TPropInfo* ancProp,
                const std::string& prefix, std::vector<TProperty>& out, int depth) {
    if (!prop.HasGetter || !IsStoredProp(obj, prop)) return;
    TTypeKind kind = prop.Kind();
    if (kind != tkClass && !prop.HasSetter) return;
    std::optional<TValue> v;
    switch (kind) {
      case tkInteger:
      case tkChar:
      case tkWChar:
      case tkEnumeration:
      case tkInt64: v = OrdinalValue(obj, prop, anc, ancProp); break;
      case tkSet: v = SetValue(obj, prop, anc, ancProp); break;
      case tkFloat: {
        long double f = GetFloatProp(obj, prop);
        if (anc ? f == GetFloatProp(anc, *ancProp) : f == 0) return;
        v = FloatValue(f, prop.PropType->FloatType);
        break;
      }
      case tkString:
      case tkLString:
      case tkWString: {
        WideString s = GetWideStrProp(obj, prop);
        if (anc ? s == GetWideStrProp(anc, *ancProp) : s.empty()) return;
        v = StringValue(s);
        break;
      }
      case tkMethod: v = MethodValue(obj, prop, anc, ancProp); break;
      case tkClass: return SaveObject(obj, prop, anc, ancProp, prefix, out, depth);
      default: return;
    }
    if (v) out.push_back({prefix + prop.Name, std::move(*v)});
  }

  static std::optional<TValue> OrdinalValue(TPersistent* obj, const TPropInfo& prop, TPersistent* anc,
                                            const TPropInfo* ancProp) {
    int64_t n = GetOrdProp(obj, prop);
    if (anc ? n == GetOrdProp(anc, *ancProp) : (prop.HasDefault ? n == prop.Default : prop.Kind() == tkInt64 && n == 0))
      return std::nullopt;
    const TTypeInfo& type = *prop.PropType;
    if (type.Kind == tkEnumeration) return IdentValue(GetEnumName(type, static_cast<int>(n)));
    if (type.Kind == tkChar) return StringValue(AnsiToWide(std::string(1, static_cast<char>(n))));
    if (type.Kind == tkWChar) return StringValue(WideString(1, static_cast<wchar_t>(n)));
    std::string ident;
    if (type.Kind == tkInteger && FindIntToIdent(type) && FindIntToIdent(type)(static_cast<int32_t>(n), ident))
      return IdentValue(ident);
    return IntValue(n);
  }

  static std::optional<TValue> SetValue(TPersistent* obj, const TPropInfo& prop, TPersistent* anc,
                                        const TPropInfo* ancProp) {
    TSetValue s = GetSetValueProp(obj, prop);
    if (anc ? s == GetSetValueProp(anc, *ancProp) : prop.HasDefault && s == prop.DefaultSet) return std::nullopt;
    TValue v;
    v.Kind = vaSet;
    std::string text = SetToString(*prop.PropType, s);
    if (!text.empty()) v.Set = Split(text, ',');
    return v;
  }

  std::string HandlerName(const TMethod& m, TComponent* root, TComponent* context) const {
    if (!m.Assigned()) return std::string();
    std::string name = root ? MethodName(root, m) : std::string();
    return name.empty() && context ? MethodName(context, m) : name;
  }

  std::optional<TValue> MethodValue(TPersistent* obj, const TPropInfo& prop, TPersistent* anc,
                                    const TPropInfo* ancProp) const {
    std::string name = HandlerName(GetMethodProp(obj, prop), root_, context_);
    if (anc) {
      std::string ancestorName = HandlerName(GetMethodProp(anc, *ancProp), ancestorRoot_, ancestorContext_);
      if (SameText(name, ancestorName)) return std::nullopt;
      return IdentValue(name.empty() ? "nil" : name);
    }
    if (name.empty()) return std::nullopt;
    return IdentValue(name);
  }

  // How the file names a component: by its name within the root or the frame that owns it,
  // else with its owner's name in front.
  static std::string ReferenceName(TComponent* c, TComponent* context, TComponent* root) {
    if (!c || c->Name().empty()) return std::string();
    if (c == context || c == root || c->Owner() == context || c->Owner() == root || !c->Owner()) return c->Name();
    if (c->Owner()->Name().empty()) return std::string();
    return c->Owner()->Name() + "." + c->Name();
  }

  void SaveObject(TPersistent* obj, const TPropInfo& prop, TPersistent* anc, const TPropInfo* ancProp,
                  const std::string& prefix, std::vector<TProperty>& out, int depth) {
    TObject* o = GetObjectProp(obj, prop);
    TObject* ancObject = anc ? GetObjectProp(anc, *ancProp) : nullptr;
    const TClassInfo* declared = prop.PropType->ClassType;
    bool reference =
        dynamic_cast<TComponent*>(o) || (declared && declared->InheritsFrom(TComponent::StaticClassInfo()));
    if (reference) {
      if (!prop.HasSetter) return;
      std::string name = ReferenceName(dynamic_cast<TComponent*>(o), context_, root_);
      if (o && name.empty()) return;
      if (anc) {
        // The root and the frame stand for their ancestor's, whatever their names.
        bool same =
            (o && o == root_ && ancObject == ancestorRoot_) || (o && o == context_ && ancObject == ancestorContext_) ||
            SameText(name, ReferenceName(dynamic_cast<TComponent*>(ancObject), ancestorContext_, ancestorRoot_));
        if (same) return;
      } else if (!o) {
        return;
      }
      out.push_back({prefix + prop.Name, IdentValue(o ? name : "nil")});
    } else if (auto* collection = dynamic_cast<TCollection*>(o)) {
      TValue v = CollectionValue(collection);
      if (anc) {
        TValue ancestorValue = CollectionValue(dynamic_cast<TCollection*>(ancObject));
        if (FormatValue(v, 0) == FormatValue(ancestorValue, 0)) return;
      } else if (v.Items.empty()) {
        return;
      }
      out.push_back({prefix + prop.Name, std::move(v)});
    } else if (auto* persistent = dynamic_cast<TPersistent*>(o)) {
      SaveProps(persistent, dynamic_cast<TPersistent*>(ancObject), prefix + prop.Name + ".", out, depth + 1);
    }
  }

  TComponent* root_;
  TComponent* ancestorRoot_;
  TComponent* context_ = nullptr;
  TComponent* ancestorContext_ = nullptr;
  TWriter writer_;
  std::vector<TProperty>* out_ = nullptr;
  std::string prefix_;
  int depth_ = 0;
};

}  // namespace formfile

using namespace formfile;

// ---- TWriter ----

TWriter::TWriter(TSaver& saver) : TFiler(false), saver_(saver) {}

TWriter::~TWriter() = default;

void TWriter::Put(TValue&& v) {
  if (!value_) throw EWriteError("Values can only be written for a defined property");
  if (!open_.empty()) {
    open_.back()->List.push_back(std::move(v));
    return;
  }
  if (haveValue_) throw EWriteError("Property " + propertyName_ + " writes more than one value");
  *value_ = std::move(v);
  haveValue_ = true;
}

void TWriter::WriteString(const AnsiString& Value) { Put(StringValue(AnsiToWide(Value))); }

void TWriter::WriteWideString(const WideString& Value) { Put(StringValue(Value)); }

void TWriter::WriteInteger(int32_t Value) { Put(IntValue(Value)); }

void TWriter::WriteInt64(int64_t Value) { Put(IntValue(Value)); }

void TWriter::WriteFloat(long double Value) { Put(FloatValue(Value, ftExtended)); }

void TWriter::WriteBoolean(bool Value) { Put(IdentValue(Value ? "True" : "False")); }

void TWriter::WriteIdent(const std::string& Ident) {
  if (!IsValidIdent(Ident) && Ident.find('.') == std::string::npos) throw EWriteError("Invalid identifier: " + Ident);
  Put(IdentValue(Ident));
}

void TWriter::WriteListBegin() {
  TValue list;
  list.Kind = vaList;
  Put(std::move(list));
  open_.push_back(open_.empty() ? value_.get() : &open_.back()->List.back());
}

void TWriter::WriteListEnd() {
  if (open_.empty()) throw EWriteError("WriteListEnd without WriteListBegin");
  open_.pop_back();
}

void TWriter::WriteCollection(TCollection* Value) { Put(saver_.CollectionValue(Value)); }

void TWriter::DefineProperty(const std::string& Name, TReaderProc, TWriterProc WriteData, bool HasData) {
  if (!HasData || !WriteData) return;
  RunDefined(Name, [&] { WriteData(*this); });
}

void TWriter::DefineBinaryProperty(const std::string& Name, TStreamProc, TStreamProc WriteData, bool HasData) {
  if (!HasData || !WriteData) return;
  RunDefined(Name, [&] {
    TMemoryStream stream;
    WriteData(stream);
    TValue v;
    v.Kind = vaBinary;
    v.Bytes.assign(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
    Put(std::move(v));
  });
}

void TWriter::RunDefined(const std::string& name, const std::function<void()>& write) {
  // Writing a collection inside a defined property may define properties of its own.
  std::unique_ptr<TValue> written;
  bool have = false;
  {
    TTempValue value(value_, std::make_unique<TValue>());
    TTempValue open(open_, std::vector<TValue*>());
    TTempValue haveValue(haveValue_, false);
    TTempValue property(propertyName_, name);
    write();
    if (!open_.empty()) throw EWriteError("Property " + name + " leaves a list open");
    written = std::move(value_);
    have = haveValue_;
  }
  if (have) saver_.AddDefined(name, std::move(*written));
}

// ---- entry points ----

std::string WriteComponentToText(TComponent* Root, TComponent* Ancestor) {
  TObjectNode node = TSaver(Root, Ancestor).SaveRoot();
  std::string text;
  FormatObject(node, 0, text);
  return text;
}

void WriteComponentToStream(TStream* Stream, TComponent* Root, TComponent* Ancestor) {
  std::string text = WriteComponentToText(Root, Ancestor);
  Stream->WriteBuffer(text.data(), static_cast<int>(text.size()));
}
