// The tree of a form file: what the parser makes of the text and the reader applies to the
// components, and what the writer builds from the components and lays out as text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "framework/FormFiles.h"

namespace formfile {

struct TItem;

struct TValue {
  TFormValueType Kind = vaNull;
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

// Objects and values nest at most this deep; deeper text is refused, not followed.
constexpr int kMaxDepth = 100;

// Names compared without regard to ASCII case.
bool SameText(std::string_view a, std::string_view b);
std::vector<std::string> Split(const std::string& s, char separator);

// The smallest integer kind that holds v.
TFormValueType IntKind(int64_t v);
bool IsIntKind(TFormValueType k);
bool IsStringKind(TFormValueType k);
bool IsFloatKind(TFormValueType k);

TValue IntValue(int64_t v);
// A string value of the narrowest kind that keeps its characters.
TValue StringValue(const WideString& s);
// True, False, nil and Null become their own kinds; other identifiers stay identifiers.
TValue IdentValue(const std::string& ident);
TValue FloatValue(long double v, TFloatType kind);
void AppendUtf8(std::string& out, uint32_t cp);

}  // namespace formfile
