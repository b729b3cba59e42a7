// The values of a form file's tree.
#include "framework/FormFileTree.h"

#include <algorithm>

namespace formfile {

namespace {

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

}  // namespace

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Upper(a[i]) != Upper(b[i])) return false;
  return true;
}

std::vector<std::string> Split(const std::string& s, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t p; (p = s.find(separator, start)) != std::string::npos; start = p + 1)
    parts.push_back(s.substr(start, p - start));
  parts.push_back(s.substr(start));
  return parts;
}

TFormValueType IntKind(int64_t v) {
  if (v >= -128 && v <= 127) return vaInt8;
  if (v >= -32768 && v <= 32767) return vaInt16;
  if (v >= INT32_MIN && v <= INT32_MAX) return vaInt32;
  return vaInt64;
}

bool IsIntKind(TFormValueType k) { return k == vaInt8 || k == vaInt16 || k == vaInt32 || k == vaInt64; }
bool IsStringKind(TFormValueType k) { return k == vaString || k == vaLString || k == vaWString || k == vaUTF8String; }
bool IsFloatKind(TFormValueType k) { return k == vaExtended || k == vaSingle || k == vaCurrency || k == vaDate; }

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
  r.Kind = SameText(ident, "True")    ? vaTrue
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

}  // namespace formfile
