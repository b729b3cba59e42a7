// Type information: one descriptor per type that published properties, settings storage, form
// files and translation need to handle by name.
//
//   HV_ENUM(TAlign, alNone, alTop, alBottom)   declares the enumeration and its descriptor
//   TSet<TAlign>                               a set of it (Sets.h)
//   TypeInfoOf<T>()                            the descriptor of any supported type
//
// A descriptor carries the kind code, the name, the ordinal storage and bounds, the element
// names of an enumeration, the element type of a set, the float kind and, for object types,
// the class information. Integer types may have identifier conversions registered
// (RegisterIntegerConsts), such as colour names for TColor.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "framework/Types.h"

enum TTypeKind : uint8_t {
  tkUnknown = 0,
  tkInteger = 1,
  tkChar = 2,
  tkEnumeration = 3,
  tkFloat = 4,
  tkString = 5,
  tkSet = 6,
  tkClass = 7,
  tkMethod = 8,
  tkWChar = 9,
  tkLString = 10,
  tkWString = 11,
  tkVariant = 12,
  tkArray = 13,
  tkRecord = 14,
  tkInterface = 15,
  tkInt64 = 16,
  tkDynArray = 17,
};

enum TOrdType : uint8_t { otSByte = 0, otUByte = 1, otSWord = 2, otUWord = 3, otSLong = 4, otULong = 5 };
enum TFloatType : uint8_t { ftSingle = 0, ftDouble = 1, ftExtended = 2, ftComp = 3, ftCurr = 4 };

struct TClassInfo;
struct TIntegerConsts;

struct TTypeInfo {
  TTypeKind Kind = tkUnknown;
  const char* Name = "";
  TOrdType OrdType = otSLong;
  int32_t MinValue = 0;
  int32_t MaxValue = 0;
  const TTypeInfo* BaseType = nullptr;              // enumerations: the full enumeration (itself when full)
  const std::vector<std::string>* Names = nullptr;  // enumerations: names by ordinal
  const TTypeInfo* CompType = nullptr;              // sets: the element type
  TFloatType FloatType = ftDouble;
  const TClassInfo* ClassType = nullptr;  // tkClass: the declared class
  const char* UnitName = "";
};

// Enumeration names: "" for an ordinal outside the type; -1 for an unknown name (names are
// compared without regard to ASCII letter case).
std::string GetEnumName(const TTypeInfo& type, int value);
int GetEnumValue(const TTypeInfo& type, std::string_view name);

// Descriptor of the Boolean type and the date-time float type.
const TTypeInfo& BooleanTypeInfo();
const TTypeInfo& DateTimeTypeInfo();
bool IsBooleanType(const TTypeInfo& type);

// ---- integer identifier conversions (colour names, cursor names, command names...) ----
using TIdentToInt = bool (*)(std::string_view ident, int32_t& value);
using TIntToIdent = bool (*)(int32_t value, std::string& ident);

void RegisterIntegerConsts(const TTypeInfo& type, TIdentToInt identToInt, TIntToIdent intToIdent);
// The conversions registered for the type, or null.
TIdentToInt FindIdentToInt(const TTypeInfo& type);
TIntToIdent FindIntToIdent(const TTypeInfo& type);

// A fixed table of identifiers for the two conversion directions (lookup ignores ASCII case).
struct TIdentMapEntry {
  int32_t Value;
  const char* Name;
};
bool IdentToIntFromMap(std::string_view ident, int32_t& value, const TIdentMapEntry* map, size_t count);
bool IntToIdentFromMap(int32_t value, std::string& ident, const TIdentMapEntry* map, size_t count);

// ---- descriptors of the fundamental types ----
const TTypeInfo& TypeInfoOf(bool*);
const TTypeInfo& TypeInfoOf(char*);
const TTypeInfo& TypeInfoOf(wchar_t*);
const TTypeInfo& TypeInfoOf(signed char*);
const TTypeInfo& TypeInfoOf(unsigned char*);
const TTypeInfo& TypeInfoOf(short*);
const TTypeInfo& TypeInfoOf(unsigned short*);
const TTypeInfo& TypeInfoOf(int*);
const TTypeInfo& TypeInfoOf(unsigned int*);
const TTypeInfo& TypeInfoOf(long*);
const TTypeInfo& TypeInfoOf(unsigned long*);
const TTypeInfo& TypeInfoOf(long long*);
const TTypeInfo& TypeInfoOf(float*);
const TTypeInfo& TypeInfoOf(double*);
const TTypeInfo& TypeInfoOf(long double*);
const TTypeInfo& TypeInfoOf(std::string*);
const TTypeInfo& TypeInfoOf(std::wstring*);

template <class T>
const TTypeInfo& TypeInfoOf() {
  return TypeInfoOf(static_cast<T*>(nullptr));
}

// ---- enumerations ----
namespace typeinfo_detail {
constexpr int CountEnumNames(const char* s) {
  int n = 1;
  for (; *s; ++s)
    if (*s == ',') ++n;
  return n;
}
// Splits "a, b = 3, c" into names (anything after "=" is dropped).
std::vector<std::string> SplitEnumNames(const char* text);
TTypeInfo MakeEnumTypeInfo(const char* name, const std::vector<std::string>* names);
}  // namespace typeinfo_detail

constexpr int EnumHighOf(char*) { return 255; }
constexpr int EnumHighOf(unsigned char*) { return 255; }

// The highest ordinal of an enumeration declared with HV_ENUM (255 for chars).
template <class E>
constexpr int EnumHigh() {
  return EnumHighOf(static_cast<E*>(nullptr));
}

// Declares `enum Name : uint8_t { values... }` (ordinals from 0) with its descriptor.
#define HV_ENUM(Name, ...)                                                                         \
  enum Name : uint8_t { __VA_ARGS__ };                                                             \
  constexpr int EnumHighOf(Name*) { return ::typeinfo_detail::CountEnumNames(#__VA_ARGS__) - 1; }  \
  inline const TTypeInfo& TypeInfoOf(Name*) {                                                      \
    static const std::vector<std::string> names = ::typeinfo_detail::SplitEnumNames(#__VA_ARGS__); \
    static const TTypeInfo info = ::typeinfo_detail::MakeEnumTypeInfo(#Name, &names);              \
    return info;                                                                                   \
  }

// Declares the descriptor of an integer-like type (an enum with an underlying integer used as a
// distinct integer type, such as TColor): kind tkInteger, the given name and bounds.
#define HV_INTEGER_TYPE(Type, MinV, MaxV, Ord) \
  inline const TTypeInfo& TypeInfoOf(Type*) {  \
    static const TTypeInfo info = [] {         \
      TTypeInfo t;                             \
      t.Kind = tkInteger;                      \
      t.Name = #Type;                          \
      t.OrdType = Ord;                         \
      t.MinValue = MinV;                       \
      t.MaxValue = MaxV;                       \
      return t;                                \
    }();                                       \
    return info;                               \
  }
