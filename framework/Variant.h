// TVariant: a small tagged value with the classic variant type codes, its conversions and its
// comparison. Our own type, not the platform's VARIANT.
//
// Conversions that the kinds cannot make (null to a number, a byte array to a string...) raise
// EVariantError; a text that does not read as the wanted number, date or boolean raises
// EConvertError. Both say "Could not convert variant of type (%s) into type (%s)".
#pragma once

#include <cstdint>
#include <variant>
#include <vector>

#include "framework/Exceptions.h"
#include "framework/Types.h"

using TVarType = uint16_t;

constexpr TVarType varEmpty = 0;
constexpr TVarType varNull = 1;
constexpr TVarType varSmallint = 2;
constexpr TVarType varInteger = 3;
constexpr TVarType varSingle = 4;
constexpr TVarType varDouble = 5;
constexpr TVarType varCurrency = 6;  // int64 scaled by 10000
constexpr TVarType varDate = 7;
constexpr TVarType varOleStr = 8;  // wide string
constexpr TVarType varBoolean = 11;
constexpr TVarType varShortInt = 16;
constexpr TVarType varByte = 17;
constexpr TVarType varWord = 18;
constexpr TVarType varLongWord = 19;
constexpr TVarType varInt64 = 20;
constexpr TVarType varString = 0x100;  // 8-bit ANSI string
constexpr TVarType varArray = 0x2000;
constexpr TVarType varByteArray = varArray | varByte;

HV_DECLARE_EXCEPTION(EVariantTypeCastError, EVariantError);

enum TVariantRelationship : uint8_t { vrEqual, vrLessThan, vrGreaterThan, vrNotEqual };

class TVariant {
 public:
  TVariant() = default;
  TVariant(int v) : type_(varInteger), value_(static_cast<int64_t>(v)) {}
  TVariant(long v) : type_(varInteger), value_(static_cast<int64_t>(v)) {}
  TVariant(short v) : type_(varSmallint), value_(static_cast<int64_t>(v)) {}
  TVariant(signed char v) : type_(varShortInt), value_(static_cast<int64_t>(v)) {}
  TVariant(unsigned char v) : type_(varByte), value_(static_cast<int64_t>(v)) {}
  TVariant(unsigned short v) : type_(varWord), value_(static_cast<int64_t>(v)) {}
  TVariant(unsigned v) : type_(varLongWord), value_(static_cast<int64_t>(v)) {}
  TVariant(unsigned long v) : type_(varLongWord), value_(static_cast<int64_t>(v)) {}
  TVariant(long long v) : type_(varInt64), value_(static_cast<int64_t>(v)) {}
  TVariant(float v) : type_(varSingle), value_(static_cast<double>(v)) {}
  TVariant(double v) : type_(varDouble), value_(v) {}
  TVariant(bool v) : type_(varBoolean), value_(static_cast<int64_t>(v)) {}
  TVariant(const char* v) : type_(varString), value_(AnsiString(v ? v : "")) {}
  TVariant(const AnsiString& v) : type_(varString), value_(v) {}
  TVariant(const wchar_t* v) : type_(varOleStr), value_(WideString(v ? v : L"")) {}
  TVariant(const WideString& v) : type_(varOleStr), value_(v) {}
  TVariant(const std::vector<uint8_t>& bytes) : type_(varByteArray), value_(bytes) {}

  static TVariant Null();
  static TVariant FromDateTime(TDateTime v);
  // The currency value times 10000 (12.5 is 125000).
  static TVariant FromCurrency(int64_t scaled);

  TVarType VarType() const { return type_; }
  bool IsEmpty() const { return type_ == varEmpty; }
  bool IsNull() const { return type_ == varNull; }
  bool IsNumeric() const;  // integers, floats, currency, date, boolean
  bool IsString() const { return type_ == varString || type_ == varOleStr; }
  void Clear() { *this = TVariant(); }

  // Empty gives "" (and 0, false); null raises. Booleans as text are "True"/"False"; in
  // numbers true is -1. Floats round to the nearest integer (halves to even).
  AnsiString AsString() const;
  WideString AsWideString() const;
  bool AsBoolean() const;
  int32_t AsInteger() const;
  int64_t AsInt64() const;
  double AsDouble() const;
  TDateTime AsDateTime() const;
  int64_t AsCurrency() const;  // scaled by 10000
  const std::vector<uint8_t>& AsBytes() const;

  // Numbers compare as numbers, strings as strings (with case), a number and a numeric string
  // as numbers; empty is the lowest, nulls equal each other; anything else is vrNotEqual.
  TVariantRelationship Compare(const TVariant& other) const;
  bool operator==(const TVariant& other) const { return Compare(other) == vrEqual; }

 private:
  TVariant(TVarType type, int64_t v) : type_(type), value_(v) {}
  TVariant(TVarType type, double v) : type_(type), value_(v) {}
  [[noreturn]] void CannotConvert(TVarType to, bool textFailed = false) const;
  long double AsNumber(TVarType wanted) const;

  TVarType type_ = varEmpty;
  std::variant<std::monostate, int64_t, double, AnsiString, WideString, std::vector<uint8_t>> value_;
};

TVarType VarType(const TVariant& v);
// The text of a variant; null and empty give "".
AnsiString VarToStr(const TVariant& v);
WideString VarToWideStr(const TVariant& v);
// The name of a type code in messages ("Integer", "OleStr", "Array Byte").
AnsiString VarTypeAsText(TVarType type);
