// Form files: the text is parsed into a tree first (so that malformed text changes nothing),
// then the tree is applied to the components; writing builds the same tree from the
// components and lays it out.
#include "framework/FormFiles.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>
#include <optional>
#include <unordered_set>

#include "framework/CodePages.h"
#include "framework/Streams.h"
#include "framework/Win.h"

// ---- the tree ----

namespace formfile {

struct TItem;

struct TValue {
  TValueType Kind = vaNull;
  int64_t Int = 0;
  long double Float = 0;
  TFloatType FloatKind = ftExtended;  // how precisely a float is written
  WideString Str;
  std::string Ident;
  std::vector<std::string> Set;
  std::vector<TValue> List;
  std::vector<TItem> Items;
  std::string Bytes;
};

struct TProperty {
  std::string Name;
  TValue Value;
};

struct TItem {
  std::vector<TProperty> Props;
};

enum class TObjectKind { Object, Inherited, Inline };

struct TObjectNode {
  TObjectKind Kind = TObjectKind::Object;
  std::string Name;
  std::string ClassName;
  std::vector<TProperty> Props;
  std::vector<TObjectNode> Children;
};

namespace {

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Upper(a[i]) != Upper(b[i])) return false;
  return true;
}

std::vector<std::string> Split(const std::string& s, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t p; (p = s.find(separator, start)) != std::string::npos; start = p + 1) parts.push_back(s.substr(start, p - start));
  parts.push_back(s.substr(start));
  return parts;
}

TValueType IntKind(int64_t v) {
  if (v >= -128 && v <= 127) return vaInt8;
  if (v >= -32768 && v <= 32767) return vaInt16;
  if (v >= INT32_MIN && v <= INT32_MAX) return vaInt32;
  return vaInt64;
}

bool IsIntKind(TValueType k) { return k == vaInt8 || k == vaInt16 || k == vaInt32 || k == vaInt64; }
bool IsStringKind(TValueType k) { return k == vaString || k == vaLString || k == vaWString || k == vaUTF8String; }
bool IsFloatKind(TValueType k) { return k == vaExtended || k == vaSingle || k == vaCurrency || k == vaDate; }

TValue IntValue(int64_t v) {
  TValue r;
  r.Kind = IntKind(v);
  r.Int = v;
  return r;
}

TValue StringValue(const WideString& s) {
  TValue r;
  bool ascii = std::all_of(s.begin(), s.end(), [](wchar_t c) { return c < 128; });
  r.Kind = !ascii ? vaWString : (s.size() > 255 ? vaLString : vaString);
  r.Str = s;
  return r;
}

TValue IdentValue(const std::string& ident) {
  TValue r;
  r.Kind = SameText(ident, "True") ? vaTrue
           : SameText(ident, "False") ? vaFalse
           : SameText(ident, "nil")   ? vaNil
           : SameText(ident, "Null")  ? vaNull
                                      : vaIdent;
  r.Ident = ident;
  return r;
}

TValue FloatValue(long double v, TFloatType kind) {
  TValue r;
  r.Kind = vaExtended;
  r.Float = v;
  r.FloatKind = kind;
  return r;
}

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// ---- parsing ----

constexpr int kMaxDepth = 100;

class TParser {
 public:
  TParser(const std::string& text, const std::string& source) : text_(text), source_(source) {}

  TObjectNode ParseFile() {
    if (text_.compare(0, 3, "\xEF\xBB\xBF") == 0) pos_ = 3;
    SkipBlanks();
    TObjectNode root = ParseObject(0);
    SkipBlanks();
    if (!AtEnd()) Fail("text after the end of the form");
    return root;
  }

 private:
  [[noreturn]] void Fail(const std::string& what) const {
    throw EReadError("Error reading " + source_ + ", line " + std::to_string(line_) + ": " + what);
  }

  bool AtEnd() const { return pos_ >= text_.size(); }
  char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }
  static bool IsIdentStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
  static bool IsIdentChar(char c) { return IsIdentStart(c) || (c >= '0' && c <= '9'); }
  static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
  static int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }

  void SkipBlanks() {
    while (!AtEnd()) {
      char c = text_[pos_];
      if (c == '\n' || (c == '\r' && (pos_ + 1 >= text_.size() || text_[pos_ + 1] != '\n')))
        ++line_;
      else if (c != ' ' && c != '\t' && c != '\r')
        return;
      ++pos_;
    }
  }

  std::string ParseName(const char* expected) {
    SkipBlanks();
    if (!IsIdentStart(Peek())) Fail(std::string(expected) + " expected");
    size_t start = pos_;
    while (!AtEnd() && IsIdentChar(text_[pos_])) ++pos_;
    return text_.substr(start, pos_ - start);
  }

  std::string ParseDottedName(const char* expected) {
    std::string name = ParseName(expected);
    while (Peek() == '.' && pos_ + 1 < text_.size() && IsIdentStart(text_[pos_ + 1])) {
      ++pos_;
      name += '.';
      name += ParseName(expected);
    }
    return name;
  }

  void Expect(char c) {
    SkipBlanks();
    if (Peek() != c) Fail(std::string("'") + c + "' expected");
    ++pos_;
  }

  static std::optional<TObjectKind> ObjectKeyword(const std::string& word) {
    if (SameText(word, "object")) return TObjectKind::Object;
    if (SameText(word, "inherited")) return TObjectKind::Inherited;
    if (SameText(word, "inline")) return TObjectKind::Inline;
    return std::nullopt;
  }

  TObjectNode ParseObject(int depth) {
    if (depth > kMaxDepth) Fail("objects nested too deeply");
    TObjectNode node;
    auto kind = ObjectKeyword(ParseName("'object'"));
    if (!kind) Fail("'object' expected");
    node.Kind = *kind;
    std::string first = ParseName("class name");
    SkipBlanks();
    if (Peek() == ':') {
      ++pos_;
      node.Name = first;
      node.ClassName = ParseName("class name");
    } else {
      node.ClassName = first;
    }
    const std::string& shown = node.Name.empty() ? node.ClassName : node.Name;
    for (;;) {
      SkipBlanks();
      if (AtEnd()) Fail("'end' missing for " + shown);
      if (!IsIdentStart(Peek())) Fail("property name expected");
      size_t start = pos_;
      std::string word = ParseDottedName("property name");
      if (SameText(word, "end")) break;
      if (ObjectKeyword(word)) {
        pos_ = start;
        node.Children.push_back(ParseObject(depth + 1));
      } else {
        node.Props.push_back(ParsePropertyValue(word, depth));
      }
    }
    return node;
  }

  TProperty ParsePropertyValue(const std::string& name, int depth) {
    Expect('=');
    TProperty p;
    p.Name = name;
    p.Value = ParseValue(depth + 1);
    return p;
  }

  TValue ParseValue(int depth) {
    if (depth > kMaxDepth) Fail("values nested too deeply");
    SkipBlanks();
    char c = Peek();
    if (c == '\'' || c == '#') return ParseString();
    if (IsDigit(c) || c == '-' || c == '$') return ParseNumber();
    if (c == '[') return ParseSet();
    if (c == '(') return ParseList(depth);
    if (c == '<') return ParseCollection(depth);
    if (c == '{') return ParseBinary();
    if (IsIdentStart(c)) {
      std::string ident = ParseDottedName("value");
      if (SameText(ident, "end")) Fail("value expected instead of 'end'");
      return IdentValue(ident);
    }
    Fail(AtEnd() ? "value expected" : std::string("value expected instead of '") + c + "'");
  }

  TValue ParseNumber() {
    bool negative = Peek() == '-';
    if (negative) ++pos_;
    if (Peek() == '$') return ParseHex(negative);
    size_t start = pos_;
    while (IsDigit(Peek())) ++pos_;
    if (pos_ == start) Fail("invalid number");
    bool isFloat = false;
    if (Peek() == '.' && pos_ + 1 < text_.size() && IsDigit(text_[pos_ + 1])) {
      isFloat = true;
      ++pos_;
      while (IsDigit(Peek())) ++pos_;
    }
    if (Peek() == 'e' || Peek() == 'E') {
      isFloat = true;
      ++pos_;
      if (Peek() == '+' || Peek() == '-') ++pos_;
      if (!IsDigit(Peek())) Fail("invalid number");
      while (IsDigit(Peek())) ++pos_;
    }
    if (IsIdentChar(Peek()) || Peek() == '.') Fail("invalid number");
    std::string digits = text_.substr(start, pos_ - start);
    if (isFloat) {
      long double v = std::strtold(digits.c_str(), nullptr);
      if (!std::isfinite(v)) Fail("invalid number");
      return FloatValue(negative ? -v : v, ftExtended);
    }
    uint64_t v = 0;
    for (char d : digits) {
      if (v > (UINT64_C(9223372036854775808) - static_cast<unsigned>(d - '0')) / 10) Fail("invalid number");
      v = v * 10 + static_cast<unsigned>(d - '0');
    }
    if (!negative && v > static_cast<uint64_t>(INT64_MAX)) Fail("invalid number");
    return IntValue(negative ? static_cast<int64_t>(0 - v) : static_cast<int64_t>(v));
  }

  TValue ParseHex(bool negative) {
    ++pos_;
    size_t start = pos_;
    uint64_t v = 0;
    while (HexDigit(Peek()) >= 0) {
      if (pos_ - start >= 16) Fail("invalid number");
      v = v * 16 + static_cast<unsigned>(HexDigit(text_[pos_++]));
    }
    if (pos_ == start || IsIdentChar(Peek())) Fail("invalid number");
    int64_t n = pos_ - start <= 8 ? static_cast<int32_t>(static_cast<uint32_t>(v)) : static_cast<int64_t>(v);
    return IntValue(negative ? -n : n);
  }

  TValue ParseString() {
    WideString s;
    for (;;) {
      while (Peek() == '\'' || Peek() == '#') {
        if (Peek() == '\'')
          ParseQuoted(s);
        else
          ParseCharCode(s);
      }
      size_t save = pos_;
      int saveLine = line_;
      SkipBlanks();
      if (Peek() != '+') {
        pos_ = save;
        line_ = saveLine;
        break;
      }
      ++pos_;
      SkipBlanks();
      if (Peek() != '\'' && Peek() != '#') Fail("string expected after '+'");
    }
    return StringValue(s);
  }

  void ParseQuoted(WideString& s) {
    ++pos_;
    for (;;) {
      if (AtEnd() || Peek() == '\n' || Peek() == '\r') Fail("unterminated string");
      char c = text_[pos_];
      if (c == '\'') {
        if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '\'') {
          s += L'\'';
          pos_ += 2;
          continue;
        }
        ++pos_;
        return;
      }
      uint32_t cp = DecodeUtf8();
      if (cp >= 0x10000) {
        s += static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10));
        s += static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
      } else {
        s += static_cast<wchar_t>(cp);
      }
    }
  }

  uint32_t DecodeUtf8() {
    auto byte = [&](size_t i) { return static_cast<uint8_t>(text_[i]); };
    uint8_t b = byte(pos_);
    if (b < 0x80) {
      ++pos_;
      return b;
    }
    int extra = b >= 0xF0 && b <= 0xF4 ? 3 : b >= 0xE0 ? 2 : b >= 0xC2 && b < 0xE0 ? 1 : -1;
    if (extra < 0 || pos_ + static_cast<size_t>(extra) >= text_.size()) Fail("invalid UTF-8 text");
    uint32_t cp = b & (0x3F >> extra);
    for (int i = 1; i <= extra; ++i) {
      uint8_t c = byte(pos_ + static_cast<size_t>(i));
      if ((c & 0xC0) != 0x80) Fail("invalid UTF-8 text");
      cp = (cp << 6) | (c & 0x3F);
    }
    static const uint32_t minimum[] = {0, 0x80, 0x800, 0x10000};
    if (cp < minimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) Fail("invalid UTF-8 text");
    pos_ += static_cast<size_t>(extra) + 1;
    return cp;
  }

  void ParseCharCode(WideString& s) {
    ++pos_;
    uint32_t v = 0;
    size_t start = pos_;
    if (Peek() == '$') {
      ++pos_;
      start = pos_;
      while (HexDigit(Peek()) >= 0 && v <= 0xFFFF) v = v * 16 + static_cast<unsigned>(HexDigit(text_[pos_++]));
    } else {
      while (IsDigit(Peek()) && v <= 0xFFFF) v = v * 10 + static_cast<unsigned>(text_[pos_++] - '0');
    }
    if (pos_ == start || v > 0xFFFF || IsIdentChar(Peek())) Fail("invalid character code");
    s += static_cast<wchar_t>(v);
  }

  TValue ParseSet() {
    ++pos_;
    TValue v;
    v.Kind = vaSet;
    SkipBlanks();
    if (Peek() == ']') {
      ++pos_;
      return v;
    }
    for (;;) {
      SkipBlanks();
      size_t start = pos_;
      while (IsIdentChar(Peek())) ++pos_;
      if (pos_ == start) Fail("set element expected");
      v.Set.push_back(text_.substr(start, pos_ - start));
      SkipBlanks();
      if (Peek() == ']') break;
      if (Peek() != ',') Fail("',' or ']' expected");
      ++pos_;
    }
    ++pos_;
    return v;
  }

  TValue ParseList(int depth) {
    ++pos_;
    TValue v;
    v.Kind = vaList;
    for (;;) {
      SkipBlanks();
      if (AtEnd()) Fail("')' missing");
      if (Peek() == ')') break;
      v.List.push_back(ParseValue(depth + 1));
    }
    ++pos_;
    return v;
  }

  TValue ParseCollection(int depth) {
    ++pos_;
    TValue v;
    v.Kind = vaCollection;
    for (;;) {
      SkipBlanks();
      if (AtEnd()) Fail("'>' missing");
      if (Peek() == '>') break;
      if (!SameText(ParseName("'item'"), "item")) Fail("'item' expected");
      TItem item;
      for (;;) {
        SkipBlanks();
        if (AtEnd()) Fail("'end' missing for a collection item");
        std::string word = ParseDottedName("property name");
        if (SameText(word, "end")) break;
        item.Props.push_back(ParsePropertyValue(word, depth));
      }
      v.Items.push_back(std::move(item));
    }
    ++pos_;
    return v;
  }

  TValue ParseBinary() {
    ++pos_;
    TValue v;
    v.Kind = vaBinary;
    for (;;) {
      SkipBlanks();
      if (AtEnd()) Fail("'}' missing");
      if (Peek() == '}') break;
      int hi = HexDigit(Peek());
      int lo = pos_ + 1 < text_.size() ? HexDigit(text_[pos_ + 1]) : -1;
      if (hi < 0 || lo < 0) Fail("invalid binary data");
      v.Bytes += static_cast<char>(hi * 16 + lo);
      pos_ += 2;
    }
    ++pos_;
    return v;
  }

  const std::string& text_;
  std::string source_;
  size_t pos_ = 0;
  int line_ = 1;
};

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
    case vaInt64:
      return std::to_string(v.Int);
    case vaExtended:
    case vaSingle:
    case vaCurrency:
    case vaDate:
      return FormatFloat(v.Float, v.FloatKind);
    case vaString:
    case vaLString:
    case vaWString:
    case vaUTF8String:
      return FormatString(v.Str, level);
    case vaTrue:
      return "True";
    case vaFalse:
      return "False";
    case vaNil:
      return "nil";
    case vaNull:
      return "Null";
    case vaIdent:
      return v.Ident;
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
  try {
    read(session);
    session.Finish(root);
  } catch (...) {
    session.Abort();
    throw;
  }
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
    collection->BeginUpdate();
    try {
      collection->Clear();
      for (size_t i = 0; i < v.Items.size(); ++i) {
        TCollectionItem* item = collection->Add();
        items_.push_back({collection, item->ID(), item});
        ReadProps(item, v.Items[i].Props, base + "[" + std::to_string(i) + "]");
        items_.pop_back();
      }
    } catch (...) {
      collection->EndUpdate();
      propPath_ = base;
      items_.resize(depth);
      throw;
    }
    collection->EndUpdate();
    propPath_ = base;
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
      if (node.Kind == TObjectKind::Inherited && !existing) throw EReadError("Ancestor for '" + node.Name + "' not found");
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
    if (field && !field->Set(root_, c))
      throw EReadError("Field " + field->Name + " cannot hold a " + c->ClassName());
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
    std::string savedName = reader_.wantedName_;
    const TValue* savedValue = reader_.wantedValue_;
    bool savedFound = reader_.found_;
    reader_.wantedName_ = name;
    reader_.wantedValue_ = &v;
    reader_.found_ = false;
    auto restore = [&] {
      reader_.wantedName_ = savedName;
      reader_.wantedValue_ = savedValue;
      reader_.found_ = savedFound;
    };
    try {
      instance->DefineProperties(&reader_);
    } catch (...) {
      restore();
      throw;
    }
    bool found = reader_.found_;
    restore();
    return found;
  }

  static void CheckRange(const TTypeInfo& type, int64_t v) {
    static const int64_t bounds[][2] = {{-128, 127},       {0, 255},         {-32768, 32767},
                                        {0, 65535},        {INT32_MIN, INT32_MAX}, {0, UINT32_MAX}};
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
    if (!prop.SetMethod(obj, m)) throw EReadError("Method " + v.Ident + " does not have the parameters of " + prop.Name);
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
      case tkWChar:
        return SetOrdinal(obj, prop, v);
      case tkEnumeration:
        return SetEnum(obj, prop, v);
      case tkSet: {
        if (v.Kind != vaSet) InvalidPropertyValue();
        std::string text;
        for (const std::string& e : v.Set) text += (text.empty() ? "" : ",") + e;
        return SetSetValueProp(obj, prop, StringToSet(*prop.PropType, text));
      }
      case tkFloat: {
        long double f = 0;
        if (IsFloatKind(v.Kind)) f = v.Float;
        else if (IsIntKind(v.Kind)) f = static_cast<long double>(v.Int);
        else InvalidPropertyValue();
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
      case tkMethod:
        return SetMethod(obj, prop, v);
      case tkClass:
        return SetObject(obj, prop, v);
      default:
        InvalidPropertyValue();
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
      TObjectKind childKind = childAncestor                                   ? TObjectKind::Inherited
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
    std::vector<TProperty>* savedOut = out_;
    std::string savedPrefix = prefix_;
    TPersistent* savedAncestor = writer_.Ancestor();
    out_ = &out;
    prefix_ = prefix;
    writer_.SetAncestor(ancestor);
    try {
      obj->DefineProperties(&writer_);
    } catch (...) {
      out_ = savedOut;
      prefix_ = savedPrefix;
      writer_.SetAncestor(savedAncestor);
      throw;
    }
    out_ = savedOut;
    prefix_ = savedPrefix;
    writer_.SetAncestor(savedAncestor);
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
      case tkInt64:
        v = OrdinalValue(obj, prop, anc, ancProp);
        break;
      case tkSet:
        v = SetValue(obj, prop, anc, ancProp);
        break;
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
      case tkMethod:
        v = MethodValue(obj, prop, anc, ancProp);
        break;
      case tkClass:
        return SaveObject(obj, prop, anc, ancProp, prefix, out, depth);
      default:
        return;
    }
    if (v) out.push_back({prefix + prop.Name, std::move(*v)});
  }

  static std::optional<TValue> OrdinalValue(TPersistent* obj, const TPropInfo& prop, TPersistent* anc,
                                            const TPropInfo* ancProp) {
    int64_t n = GetOrdProp(obj, prop);
    if (anc ? n == GetOrdProp(anc, *ancProp)
            : (prop.HasDefault ? n == prop.Default : prop.Kind() == tkInt64 && n == 0))
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
    bool reference = dynamic_cast<TComponent*>(o) ||
                     (declared && declared->InheritsFrom(TComponent::StaticClassInfo()));
    if (reference) {
      if (!prop.HasSetter) return;
      std::string name = ReferenceName(dynamic_cast<TComponent*>(o), context_, root_);
      if (o && name.empty()) return;
      if (anc) {
        // The root and the frame stand for their ancestor's, whatever their names.
        bool same = (o && o == root_ && ancObject == ancestorRoot_) ||
                    (o && o == context_ && ancObject == ancestorContext_) ||
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

TValueType TReader::NextValue() {
  const TValue* v = Peek();
  return v ? v->Kind : vaNull;
}

TValueType TReader::ReadValue() {
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
  TValueType k = NextValue();
  if (k != vaInt8 && k != vaInt16 && k != vaInt32) InvalidValue();
  return static_cast<int32_t>(Take().Int);
}

int64_t TReader::ReadInt64() {
  if (!IsIntKind(NextValue())) InvalidValue();
  return Take().Int;
}

long double TReader::ReadFloat() {
  TValueType k = NextValue();
  if (IsFloatKind(k)) return Take().Float;
  if (IsIntKind(k)) return static_cast<long double>(Take().Int);
  InvalidValue();
}

bool TReader::ReadBoolean() {
  TValueType k = NextValue();
  if (k != vaTrue && k != vaFalse) InvalidValue();
  Take();
  return k == vaTrue;
}

std::string TReader::ReadIdent() {
  TValueType k = NextValue();
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
  std::vector<Frame> savedFrames;
  savedFrames.swap(frames_);
  int savedLists = lists_;
  lists_ = 0;
  frames_.push_back({v, 1, 0});
  auto restore = [&] {
    frames_.swap(savedFrames);
    lists_ = savedLists;
  };
  try {
    read();
  } catch (...) {
    restore();
    throw;
  }
  restore();
}

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
  std::unique_ptr<TValue> savedValue = std::move(value_);
  std::vector<TValue*> savedOpen;
  savedOpen.swap(open_);
  bool savedHave = haveValue_;
  std::string savedName = propertyName_;
  value_ = std::make_unique<TValue>();
  haveValue_ = false;
  propertyName_ = name;
  auto restore = [&] {
    value_ = std::move(savedValue);
    open_.swap(savedOpen);
    haveValue_ = savedHave;
    propertyName_ = savedName;
  };
  try {
    write();
    if (!open_.empty()) throw EWriteError("Property " + name + " leaves a list open");
  } catch (...) {
    restore();
    throw;
  }
  std::unique_ptr<TValue> written = std::move(value_);
  bool have = haveValue_;
  restore();
  if (have) saver_.AddDefined(name, std::move(*written));
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
  for (const TClassInfo* c = &Instance->ClassInfo();
       c && c != &RootAncestor && c != &TComponent::StaticClassInfo(); c = c->Parent)
    chain.push_back(c);
  if (chain.empty()) return false;
  // Every file is parsed before anything is read, so that a malformed one changes nothing.
  std::vector<std::pair<std::string, TObjectNode>> files;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it)
    if (std::optional<std::string> text = FormResource((*it)->Name))
      files.emplace_back((*it)->Name, TParser(*text, (*it)->Name).ParseFile());
  if (files.empty()) throw EResNotFound("Resource " + Instance->ClassName() + " not found");
  // An unnamed instance takes the name of each file in turn: the most derived one's stays.
  bool unnamed = Instance->Name().empty();
  InSession(Instance, [&](TSession& session) {
    for (const auto& [name, node] : files) TLoader(session, Instance, name, unnamed).ReadRoot(node);
  });
  return true;
}

TComponent* ReadComponentFromText(const std::string& Utf8Text, TComponent* Root, const std::string& SourceName) {
  TObjectNode node = TParser(Utf8Text, SourceName).ParseFile();
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
