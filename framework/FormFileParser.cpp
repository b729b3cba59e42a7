// Parsing form-file text into its tree.
#include "framework/FormFileParser.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>

#include "framework/Conversions.h"
#include "framework/Exceptions.h"

namespace formfile {

namespace {

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
      // The shared conversion keeps only the digits that can change the value: the C library's
      // own takes time that grows with the square of the digits it is given.
      static const TFormatSettings point = TFormatSettings::English();
      long double v = 0;
      if (!TryStrToFloat(digits, v, point) || !std::isfinite(v)) Fail("invalid number");
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

}  // namespace

TObjectNode ParseFormText(const std::string& Text, const std::string& SourceName) {
  return TParser(Text, SourceName).ParseFile();
}

}  // namespace formfile
