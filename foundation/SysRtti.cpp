// Type descriptor wrappers and set texts.
#include "foundation/SysRtti.h"

#include <algorithm>

#include "foundation/SysRoutines.h"
#include "framework/CodePages.h"
#include "framework/Conversions.h"
#include "framework/StringLists.h"
#include "framework/StrRoutines.h"
#include "framework/UpdateBracket.h"

namespace {

// The members of a set lie within 0..255 whatever the element type claims.
int LowBound(const TTypeInfo& elem) { return std::clamp(elem.MinValue, 0, 255); }
int HighBound(const TTypeInfo& elem) { return std::clamp(elem.MaxValue, 0, 255); }

}  // namespace

int64_t TSysOrdinalRangeTypeInfo::MinValue() const {
  const TTypeInfo& d = TypeDescriptor();
  return d.OrdType == otULong ? static_cast<int64_t>(static_cast<uint32_t>(d.MinValue)) : d.MinValue;
}

int64_t TSysOrdinalRangeTypeInfo::MaxValue() const {
  const TTypeInfo& d = TypeDescriptor();
  return d.OrdType == otULong ? static_cast<int64_t>(static_cast<uint32_t>(d.MaxValue)) : d.MaxValue;
}

std::shared_ptr<TSysEnumerationTypeInfo> TSysEnumerationTypeInfo::BaseType() {
  const TTypeInfo* base = TypeDescriptor().BaseType;
  if (!base || base == &TypeDescriptor()) return std::static_pointer_cast<TSysEnumerationTypeInfo>(shared_from_this());
  return std::make_shared<TSysEnumerationTypeInfo>(*base);
}

std::string TSysEnumerationTypeInfo::ElementName(int Ordinal) const {
  const TTypeInfo& d = TypeDescriptor();
  const TTypeInfo& base = d.BaseType ? *d.BaseType : d;
  if (!base.Names || Ordinal < 0 || Ordinal >= static_cast<int>(base.Names->size())) return std::string();
  return (*base.Names)[static_cast<size_t>(Ordinal)];
}

std::string TSysEnumerationTypeInfo::ElementUnitName() const {
  const char* unit = TypeDescriptor().UnitName;
  return unit ? unit : "";
}

// Element names are identifiers: comparing them by the ASCII rules keeps a Turkish or any other
// locale from breaking the match of "I" and "i".
int TSysEnumerationTypeInfo::IndexOfElementName(std::string_view Name) const {
  for (int64_t i = MaxValue(); i >= MinValue(); --i)
    if (SameText(ElementName(static_cast<int>(i)), Name)) return static_cast<int>(i);
  return -1;
}

std::shared_ptr<TSysOrdinalTypeInfo> TSysSetTypeInfo::ElementType() const {
  const TTypeInfo* elem = TypeDescriptor().CompType;
  if (!elem) throw EInvalidCast("Interface not supported");
  return QueryTypeInfo<TSysOrdinalTypeInfo>(MakeTypeInfoObject(*elem));
}

void TSysSetTypeInfo::SetToList(const TSetValue& Value, bool WantRanges, std::vector<std::string>& Strings) const {
  const TTypeInfo& elem = *TypeDescriptor().CompType;
  std::shared_ptr<TSysEnumerationTypeInfo> names;
  if (elem.Kind == tkEnumeration) names = std::make_shared<TSysEnumerationTypeInfo>(elem);
  auto text = [&names](int v) { return names ? names->ElementName(v) : std::to_string(v); };

  const int lo = LowBound(elem), hi = HighBound(elem);
  for (int v = lo; v <= hi; ++v) {
    if (!Value.Contains(v)) continue;
    int last = v;
    while (last < hi && Value.Contains(last + 1)) ++last;
    if (WantRanges && last != v) {
      Strings.push_back(text(v) + " .. " + text(last));
    } else {
      for (int m = v; m <= last; ++m) Strings.push_back(text(m));
    }
    v = last;
  }
}

void TSysSetTypeInfo::ListToSet(TSetValue& Value, const std::vector<std::string>& Strings) const {
  const TTypeInfo& elem = *TypeDescriptor().CompType;
  const int lo = LowBound(elem), hi = HighBound(elem);
  // The whole storage of the value: from the byte of the lowest element to that of the highest.
  for (int b = lo / 8; b <= hi / 8; ++b) Value.Bytes[b] = 0;

  std::shared_ptr<TSysEnumerationTypeInfo> names;
  if (elem.Kind == tkEnumeration) names = std::make_shared<TSysEnumerationTypeInfo>(elem);
  auto ordinal = [&names](const std::string& text) {
    if (!names) return StrToInt(text);
    int v = names->IndexOfElementName(text);
    if (v < 0) throw ESysRTTIError(L"Unknown identifier '" + AnsiToWide(text) + L"'.");
    return v;
  };

  for (const std::string& raw : Strings) {
    std::string item = Trim(raw);
    if (item.empty()) continue;
    std::string startText = item, endText = item;
    size_t dots = item.find("..");
    if (dots != std::string::npos) {
      startText = Trim(item.substr(0, dots));
      endText = Trim(item.substr(dots + 2));
    }
    int first = ordinal(startText);
    int last = ordinal(endText);
    if (last < first) continue;
    if (first < lo || last > hi) throw ESysRTTIError(L"Value out of range (" + AnsiToWide(item) + L").");
    for (int v = first; v <= last; ++v) Value.Include(v);
  }
}

ISysTypeInfo MakeTypeInfoObject(const TTypeInfo& Descriptor) {
  switch (Descriptor.Kind) {
    case tkInteger:
    case tkChar:
    case tkWChar: return std::make_shared<TSysOrdinalRangeTypeInfo>(Descriptor);
    case tkEnumeration: return std::make_shared<TSysEnumerationTypeInfo>(Descriptor);
    case tkSet: return std::make_shared<TSysSetTypeInfo>(Descriptor);
    default: return std::make_shared<TSysTypeInfo>(Descriptor);
  }
}

std::string SetToText(const TTypeInfo& SetType, const TSetValue& Value, bool WantBrackets, bool WantRanges) {
  auto info = QueryTypeInfo<TSysSetTypeInfo>(MakeTypeInfoObject(SetType));
  std::vector<std::string> items;
  info->SetToList(Value, WantRanges, items);
  std::string text;
  for (const std::string& s : items) {
    if (!text.empty()) text += ", ";
    text += s;
  }
  return WantBrackets ? "[" + text + "]" : text;
}

void TextToSet(const TTypeInfo& SetType, TSetValue& Value, std::string_view Text) {
  auto info = QueryTypeInfo<TSysSetTypeInfo>(MakeTypeInfoObject(SetType));
  std::vector<std::string> items = StrSplit(Text, ",", true);
  if (!items.empty() && !items.front().empty() && items.front().front() == '[') {
    items.front().erase(0, 1);
    // Only a closing bracket that is really there is taken off: "[a, bc" keeps its "bc".
    std::string& last = items.back();
    last = TrimRight(last);
    if (!last.empty() && last.back() == ']') last.pop_back();
  }
  info->ListToSet(Value, items);
}

void TSysSetTypeInfo::SetToList(const TSetValue& Value, bool WantRanges, TStrings& Strings) const {
  WithinUpdate(Strings, [&] {
    std::vector<std::string> items;
    SetToList(Value, WantRanges, items);
    for (const std::string& s : items) Strings.Add(s);
  });
}

void TSysSetTypeInfo::ListToSet(TSetValue& Value, TStrings& Strings) const {
  WithinUpdate(Strings, [&] {
    std::vector<std::string> items;
    for (int i = 0; i < Strings.Count(); ++i) items.push_back(Strings[i]);
    ListToSet(Value, items);
  });
}
