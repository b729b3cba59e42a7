// Descriptors of the fundamental types, enumeration names and integer identifier registries.
#include "framework/TypeInfo.h"

#include <climits>
#include <deque>
#include <map>
#include <mutex>

#include "framework/Sets.h"
#include "framework/StrRoutines.h"

namespace {

TTypeInfo Ordinal(TTypeKind kind, const char* name, TOrdType ord, int32_t lo, int32_t hi) {
  TTypeInfo t;
  t.Kind = kind;
  t.Name = name;
  t.OrdType = ord;
  t.MinValue = lo;
  t.MaxValue = hi;
  return t;
}

TTypeInfo Float(const char* name, TFloatType ft) {
  TTypeInfo t;
  t.Kind = tkFloat;
  t.Name = name;
  t.FloatType = ft;
  return t;
}

TTypeInfo Kind(TTypeKind kind, const char* name) {
  TTypeInfo t;
  t.Kind = kind;
  t.Name = name;
  return t;
}

struct IdentRegistry {
  std::mutex lock;
  std::map<const TTypeInfo*, std::pair<TIdentToInt, TIntToIdent>> map;
};

IdentRegistry& Idents() {
  static IdentRegistry r;
  return r;
}

}  // namespace

namespace typeinfo_detail {

std::vector<std::string> SplitEnumNames(const char* text) {
  std::vector<std::string> names;
  std::string current;
  bool skipping = false;
  auto flush = [&] {
    size_t b = current.find_first_not_of(" \t\r\n");
    size_t e = current.find_last_not_of(" \t\r\n");
    names.push_back(b == std::string::npos ? std::string() : current.substr(b, e - b + 1));
    current.clear();
    skipping = false;
  };
  for (const char* p = text; *p; ++p) {
    if (*p == ',') {
      flush();
    } else if (*p == '=') {
      skipping = true;
    } else if (!skipping) {
      current += *p;
    }
  }
  flush();
  return names;
}

TTypeInfo MakeEnumTypeInfo(const char* name, const std::vector<std::string>* names) {
  TTypeInfo t;
  t.Kind = tkEnumeration;
  t.Name = name;
  t.OrdType = names->size() <= 256 ? otUByte : otUWord;
  t.MinValue = 0;
  t.MaxValue = static_cast<int32_t>(names->size()) - 1;
  t.Names = names;
  return t;
}

}  // namespace typeinfo_detail

std::string GetEnumName(const TTypeInfo& type, int value) {
  const TTypeInfo& base = type.BaseType ? *type.BaseType : type;
  if (type.Kind == tkEnumeration && base.Names && value >= 0 && value < static_cast<int>(base.Names->size()))
    return (*base.Names)[static_cast<size_t>(value)];
  if (type.Kind == tkInteger || type.Kind == tkChar || type.Kind == tkWChar) return std::to_string(value);
  return std::string();
}

int GetEnumValue(const TTypeInfo& type, std::string_view name) {
  const TTypeInfo& base = type.BaseType ? *type.BaseType : type;
  if (type.Kind != tkEnumeration || !base.Names) return -1;
  for (int i = type.MinValue; i <= type.MaxValue; ++i)
    if (i >= 0 && i < static_cast<int>(base.Names->size()) && SameText((*base.Names)[static_cast<size_t>(i)], name))
      return i;
  return -1;
}

const TTypeInfo& BooleanTypeInfo() { return TypeInfoOf<bool>(); }

const TTypeInfo& DateTimeTypeInfo() {
  static const TTypeInfo t = Float("TDateTime", ftDouble);
  return t;
}

bool IsBooleanType(const TTypeInfo& type) { return &type == &BooleanTypeInfo(); }

void RegisterIntegerConsts(const TTypeInfo& type, TIdentToInt identToInt, TIntToIdent intToIdent) {
  std::lock_guard<std::mutex> g(Idents().lock);
  Idents().map[&type] = {identToInt, intToIdent};
}

TIdentToInt FindIdentToInt(const TTypeInfo& type) {
  std::lock_guard<std::mutex> g(Idents().lock);
  auto it = Idents().map.find(&type);
  return it == Idents().map.end() ? nullptr : it->second.first;
}

TIntToIdent FindIntToIdent(const TTypeInfo& type) {
  std::lock_guard<std::mutex> g(Idents().lock);
  auto it = Idents().map.find(&type);
  return it == Idents().map.end() ? nullptr : it->second.second;
}

bool IdentToIntFromMap(std::string_view ident, int32_t& value, const TIdentMapEntry* map, size_t count) {
  for (size_t i = 0; i < count; ++i)
    if (SameText(map[i].Name, ident)) {
      value = map[i].Value;
      return true;
    }
  return false;
}

bool IntToIdentFromMap(int32_t value, std::string& ident, const TIdentMapEntry* map, size_t count) {
  for (size_t i = 0; i < count; ++i)
    if (map[i].Value == value) {
      ident = map[i].Name;
      return true;
    }
  return false;
}

const TTypeInfo& TypeInfoOf(bool*) {
  static const std::vector<std::string> names = {"False", "True"};
  static const TTypeInfo t = typeinfo_detail::MakeEnumTypeInfo("Boolean", &names);
  return t;
}
const TTypeInfo& TypeInfoOf(char*) {
  static const TTypeInfo t = Ordinal(tkChar, "Char", otUByte, 0, 255);
  return t;
}
const TTypeInfo& TypeInfoOf(wchar_t*) {
  static const TTypeInfo t = Ordinal(tkWChar, "WideChar", otUWord, 0, 65535);
  return t;
}
const TTypeInfo& TypeInfoOf(signed char*) {
  static const TTypeInfo t = Ordinal(tkInteger, "ShortInt", otSByte, -128, 127);
  return t;
}
const TTypeInfo& TypeInfoOf(unsigned char*) {
  static const TTypeInfo t = Ordinal(tkInteger, "Byte", otUByte, 0, 255);
  return t;
}
const TTypeInfo& TypeInfoOf(short*) {
  static const TTypeInfo t = Ordinal(tkInteger, "SmallInt", otSWord, -32768, 32767);
  return t;
}
const TTypeInfo& TypeInfoOf(unsigned short*) {
  static const TTypeInfo t = Ordinal(tkInteger, "Word", otUWord, 0, 65535);
  return t;
}
const TTypeInfo& TypeInfoOf(int*) {
  static const TTypeInfo t = Ordinal(tkInteger, "Integer", otSLong, INT32_MIN, INT32_MAX);
  return t;
}
const TTypeInfo& TypeInfoOf(unsigned int*) {
  // The 32-bit bounds of an unsigned type are read zero-extended.
  static const TTypeInfo t = Ordinal(tkInteger, "Cardinal", otULong, 0, -1);
  return t;
}
const TTypeInfo& TypeInfoOf(long*) {
  static const TTypeInfo t = Ordinal(tkInteger, "LongInt", otSLong, INT32_MIN, INT32_MAX);
  return t;
}
const TTypeInfo& TypeInfoOf(unsigned long*) {
  static const TTypeInfo t = Ordinal(tkInteger, "LongWord", otULong, 0, -1);
  return t;
}
const TTypeInfo& TypeInfoOf(long long*) {
  static const TTypeInfo t = Kind(tkInt64, "Int64");
  return t;
}
const TTypeInfo& TypeInfoOf(float*) {
  static const TTypeInfo t = Float("Single", ftSingle);
  return t;
}
const TTypeInfo& TypeInfoOf(double*) {
  static const TTypeInfo t = Float("Double", ftDouble);
  return t;
}
const TTypeInfo& TypeInfoOf(long double*) {
  static const TTypeInfo t = Float("Extended", ftExtended);
  return t;
}
const TTypeInfo& TypeInfoOf(std::string*) {
  static const TTypeInfo t = Kind(tkLString, "AnsiString");
  return t;
}
const TTypeInfo& TypeInfoOf(std::wstring*) {
  static const TTypeInfo t = Kind(tkWString, "WideString");
  return t;
}

const TTypeInfo& MakeSetTypeInfo(const TTypeInfo& elementType, const char* name) {
  // Descriptors live for the whole process; a deque keeps their addresses stable.
  static std::mutex lock;
  static std::deque<TTypeInfo> made;
  std::lock_guard<std::mutex> g(lock);
  for (const TTypeInfo& t : made)
    if (t.CompType == &elementType) return t;
  TTypeInfo t;
  t.Kind = tkSet;
  t.Name = name;
  int bytes = (elementType.MaxValue - 8 * (elementType.MinValue / 8) + 1 + 7) / 8;
  t.OrdType = bytes <= 1 ? otUByte : bytes <= 2 ? otUWord : otULong;
  t.CompType = &elementType;
  made.push_back(t);
  return made.back();
}
