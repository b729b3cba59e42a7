// The tagged value's conversions and comparison.
#include "framework/Variant.h"

#include <cmath>
#include <limits>

#include "framework/CodePages.h"
#include "framework/Conversions.h"
#include "framework/DateTime.h"
#include "framework/StrRoutines.h"

namespace {

bool IsIntegerType(TVarType t) {
  switch (t) {
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64:
    case varBoolean: return true;
    default: return false;
  }
}

// The exact text of a currency value: up to four decimals, no superfluous zeros.
AnsiString CurrencyToStr(int64_t scaled) {
  bool negative = scaled < 0;
  uint64_t magnitude = negative ? ~static_cast<uint64_t>(scaled) + 1 : static_cast<uint64_t>(scaled);
  AnsiString text = std::to_string(magnitude / 10000);
  AnsiString fraction = std::to_string(magnitude % 10000 + 10000).substr(1);
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  if (!fraction.empty()) text += FormatSettings.DecimalSeparator + fraction;
  return negative ? "-" + text : text;
}

bool TextToNumber(const AnsiString& s, long double& value) {
  long long i = 0;
  if (TryStrToInt64(s, i)) {
    value = static_cast<long double>(i);
    return true;
  }
  return TryStrToFloat(s, value);
}

template <class T>
T Checked(long double v, bool& ok) {
  long double r = std::nearbyint(v);
  ok = std::isfinite(r) && r >= static_cast<long double>(std::numeric_limits<T>::min()) &&
       r <= static_cast<long double>(std::numeric_limits<T>::max());
  return ok ? static_cast<T>(r) : T(0);
}

template <class S>
int Ordinal(const S& a, const S& b) {
  return a == b ? 0 : (a < b ? -1 : 1);
}

}  // namespace

TVariant TVariant::Null() {
  TVariant v;
  v.type_ = varNull;
  return v;
}

TVariant TVariant::FromDateTime(TDateTime v) { return TVariant(varDate, v); }
TVariant TVariant::FromCurrency(int64_t scaled) { return TVariant(varCurrency, scaled); }

bool TVariant::IsNumeric() const {
  return IsIntegerType(type_) || type_ == varSingle || type_ == varDouble || type_ == varCurrency || type_ == varDate;
}

void TVariant::CannotConvert(TVarType to, bool textFailed) const {
  WideString message = L"Could not convert variant of type (" + AnsiToWide(VarTypeAsText(type_)) + L") into type (" +
                       AnsiToWide(VarTypeAsText(to)) + L")";
  if (textFailed) throw EConvertError(message);
  throw EVariantTypeCastError(message);
}

long double TVariant::AsNumber(TVarType wanted) const {
  switch (type_) {
    case varEmpty: return 0;
    case varBoolean: return std::get<int64_t>(value_) ? -1 : 0;
    case varCurrency: return static_cast<long double>(std::get<int64_t>(value_)) / 10000;
    case varSingle:
    case varDouble:
    case varDate: return std::get<double>(value_);
    case varString:
    case varOleStr: {
      long double v = 0;
      if (!TextToNumber(AsString(), v)) CannotConvert(wanted, true);
      return v;
    }
    default:
      if (IsIntegerType(type_)) return static_cast<long double>(std::get<int64_t>(value_));
      CannotConvert(wanted);
  }
}

AnsiString TVariant::AsString() const {
  switch (type_) {
    case varEmpty: return AnsiString();
    case varBoolean: return std::get<int64_t>(value_) ? "True" : "False";
    case varSingle: return FloatToStrF(std::get<double>(value_), ffGeneral, 7, 0);
    case varDouble: return FloatToStr(std::get<double>(value_));
    case varCurrency: return CurrencyToStr(std::get<int64_t>(value_));
    case varDate: return DateTimeToStr(std::get<double>(value_));
    case varString: return std::get<AnsiString>(value_);
    case varOleStr: return WideToAnsi(std::get<WideString>(value_));
    default:
      if (IsIntegerType(type_)) return IntToStr(static_cast<long long>(std::get<int64_t>(value_)));
      CannotConvert(varString);
  }
}

WideString TVariant::AsWideString() const {
  if (type_ == varOleStr) return std::get<WideString>(value_);
  if (type_ == varNull || type_ == varByteArray) CannotConvert(varOleStr);
  return AnsiToWide(AsString());
}

bool TVariant::AsBoolean() const {
  if (IsString()) {
    AnsiString text = Trim(AsString());
    if (SameText(text, "True")) return true;
    if (SameText(text, "False")) return false;
    long double v = 0;
    if (!TextToNumber(text, v)) CannotConvert(varBoolean, true);
    return v != 0;
  }
  return AsNumber(varBoolean) != 0;
}

int32_t TVariant::AsInteger() const {
  bool ok = false;
  int32_t v = Checked<int32_t>(AsNumber(varInteger), ok);
  if (!ok) CannotConvert(varInteger);
  return v;
}

int64_t TVariant::AsInt64() const {
  if (IsIntegerType(type_) && type_ != varBoolean) return std::get<int64_t>(value_);
  bool ok = false;
  int64_t v = Checked<int64_t>(AsNumber(varInt64), ok);
  if (!ok) CannotConvert(varInt64);
  return v;
}

double TVariant::AsDouble() const { return static_cast<double>(AsNumber(varDouble)); }

TDateTime TVariant::AsDateTime() const {
  if (IsString()) {
    TDateTime v = 0;
    if (!TryStrToDateTime(AsString(), v)) CannotConvert(varDate, true);
    return v;
  }
  return static_cast<double>(AsNumber(varDate));
}

int64_t TVariant::AsCurrency() const {
  if (type_ == varCurrency) return std::get<int64_t>(value_);
  bool ok = false;
  int64_t v = Checked<int64_t>(AsNumber(varCurrency) * 10000, ok);
  if (!ok) CannotConvert(varCurrency);
  return v;
}

const std::vector<uint8_t>& TVariant::AsBytes() const {
  if (type_ != varByteArray) CannotConvert(varByteArray);
  return std::get<std::vector<uint8_t>>(value_);
}

TVariantRelationship TVariant::Compare(const TVariant& o) const {
  auto fromSign = [](int c) { return c == 0 ? vrEqual : (c < 0 ? vrLessThan : vrGreaterThan); };
  if (type_ == varNull || o.type_ == varNull) return type_ == o.type_ ? vrEqual : vrNotEqual;
  if (type_ == varEmpty || o.type_ == varEmpty)
    return type_ == o.type_ ? vrEqual : (type_ == varEmpty ? vrLessThan : vrGreaterThan);
  if (type_ == varByteArray || o.type_ == varByteArray)
    return type_ == o.type_ && AsBytes() == o.AsBytes() ? vrEqual : vrNotEqual;
  if (IsString() && o.IsString()) {
    if (type_ == varString && o.type_ == varString) return fromSign(Ordinal(AsString(), o.AsString()));
    return fromSign(Ordinal(AsWideString(), o.AsWideString()));
  }
  // A number and a string: as numbers when the string reads as one, else as texts.
  long double a = 0, b = 0;
  bool numbers = (IsString() ? TextToNumber(AsString(), a) : (a = AsNumber(varDouble), true)) &&
                 (o.IsString() ? TextToNumber(o.AsString(), b) : (b = o.AsNumber(varDouble), true));
  if (numbers) return a == b ? vrEqual : (a < b ? vrLessThan : vrGreaterThan);
  return fromSign(Ordinal(AsWideString(), o.AsWideString()));
}

TVarType VarType(const TVariant& v) { return v.VarType(); }

AnsiString VarToStr(const TVariant& v) { return v.IsNull() ? AnsiString() : v.AsString(); }

WideString VarToWideStr(const TVariant& v) { return v.IsNull() ? WideString() : v.AsWideString(); }

AnsiString VarTypeAsText(TVarType type) {
  switch (type) {
    case varEmpty: return "Empty";
    case varNull: return "Null";
    case varSmallint: return "Smallint";
    case varInteger: return "Integer";
    case varSingle: return "Single";
    case varDouble: return "Double";
    case varCurrency: return "Currency";
    case varDate: return "Date";
    case varOleStr: return "OleStr";
    case varBoolean: return "Boolean";
    case varShortInt: return "ShortInt";
    case varByte: return "Byte";
    case varWord: return "Word";
    case varLongWord: return "LongWord";
    case varInt64: return "Int64";
    case varString: return "String";
    case varByteArray: return "Array Byte";
    default: return "$" + IntToHex(static_cast<int>(type), 4);
  }
}
