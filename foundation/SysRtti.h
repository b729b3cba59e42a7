// Reference-counted views of type descriptors and the conversion of set values to and from
// text ("[a, b, c]", optionally with ranges "a .. c"), used when settings store sets.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/Exceptions.h"
#include "framework/Sets.h"
#include "framework/TypeInfo.h"

class TStrings;

// An element text of a set that names no element, or a number outside the element range.
// It is a conversion error: readers that fall back to defaults on bad text treat it so.
HV_DECLARE_EXCEPTION(ESysRTTIError, EConvertError);

class TSysTypeInfo;
using ISysTypeInfo = std::shared_ptr<TSysTypeInfo>;

class TSysTypeInfo : public std::enable_shared_from_this<TSysTypeInfo> {
 public:
  explicit TSysTypeInfo(const TTypeInfo& Descriptor) : descriptor_(Descriptor) {}
  virtual ~TSysTypeInfo() = default;
  TSysTypeInfo(const TSysTypeInfo&) = delete;
  TSysTypeInfo& operator=(const TSysTypeInfo&) = delete;

  std::string TypeName() const { return descriptor_.Name ? descriptor_.Name : ""; }
  // Our descriptors hold the kind-specific data themselves.
  const TTypeInfo& TypeData() const { return descriptor_; }
  const TTypeInfo& TypeDescriptor() const { return descriptor_; }
  TTypeKind TypeKind() const { return descriptor_.Kind; }

 private:
  const TTypeInfo& descriptor_;
};

class TSysOrdinalTypeInfo : public TSysTypeInfo {
 public:
  using TSysTypeInfo::TSysTypeInfo;
  TOrdType OrdinalStorage() const { return TypeDescriptor().OrdType; }
};

class TSysOrdinalRangeTypeInfo : public TSysOrdinalTypeInfo {
 public:
  using TSysOrdinalTypeInfo::TSysOrdinalTypeInfo;
  // The 32-bit bounds, zero-extended for unsigned 32-bit storage and sign-extended otherwise.
  int64_t MinValue() const;
  int64_t MaxValue() const;
};

class TSysEnumerationTypeInfo : public TSysOrdinalRangeTypeInfo {
 public:
  using TSysOrdinalRangeTypeInfo::TSysOrdinalRangeTypeInfo;
  // The full enumeration this one is a subrange of (this one when it is full).
  std::shared_ptr<TSysEnumerationTypeInfo> BaseType();
  // The name of an ordinal of the base type; empty outside it.
  std::string ElementName(int Ordinal) const;
  std::string ElementUnitName() const;
  // The ordinal of a name (ASCII letter case ignored), searched from the top; -1 when none.
  int IndexOfElementName(std::string_view Name) const;
};

class TSysSetTypeInfo : public TSysOrdinalTypeInfo {
 public:
  using TSysOrdinalTypeInfo::TSysOrdinalTypeInfo;
  std::shared_ptr<TSysOrdinalTypeInfo> ElementType() const;
  // Appends the members in ascending order: names for enumerations, decimal ordinals
  // otherwise; with WantRanges, a run of two or more members becomes "a .. b".
  void SetToList(const TSetValue& Value, bool WantRanges, std::vector<std::string>& Strings) const;
  void SetToList(const TSetValue& Value, bool WantRanges, TStrings& Strings) const;
  // Empties Value over the set's storage, then adds the members the items name ("x" or
  // "x .. y"; blank items skipped). Raises ESysRTTIError "Unknown identifier '%s'." for a
  // name that is no element and "Value out of range (%s)." for a number outside the
  // element range; members added before the bad item stay.
  void ListToSet(TSetValue& Value, const std::vector<std::string>& Strings) const;
  void ListToSet(TSetValue& Value, TStrings& Strings) const;
};

// A new wrapper chosen by the descriptor's kind.
ISysTypeInfo MakeTypeInfoObject(const TTypeInfo& Descriptor);

// The wrapper as the given kind; EInvalidCast "Interface not supported" when it is another.
template <class T>
std::shared_ptr<T> QueryTypeInfo(const ISysTypeInfo& Info) {
  auto r = std::dynamic_pointer_cast<T>(Info);
  if (!r) throw EInvalidCast("Interface not supported");
  return r;
}

// The set's members joined by ", ", in "[" and "]" with WantBrackets.
std::string SetToText(const TTypeInfo& SetType, const TSetValue& Value, bool WantBrackets, bool WantRanges);
// Reads a text made by SetToText (with or without brackets; ranges allowed) into Value.
void TextToSet(const TTypeInfo& SetType, TSetValue& Value, std::string_view Text);
