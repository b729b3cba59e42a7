// XmlDom: the small reference-counted XML tree through which highlighter schemes are read and
// written. Names are interned in a name table and held as ids; text is 8-bit (ANSI code page).
//
// Each I-name is a counted reference to the object of the matching T-class (an interface in the
// classic sense): `IXmlElement e = doc->DocumentElement(); e->GetAttribute("name", "")`.
// A node lives while a reference or an owning child list holds it; parent links are not counted
// and are cleared when the parent goes away. The nodes that the readers build live in their
// document's arena (XmlArena.h) with their texts, and go with it at once. All failures raise
// EXmlError with a fixed text,
// except conversions of typed attributes (EConvertError, EVariantError) and stream or file
// errors, which pass unchanged.
#pragma once

#include <cstdint>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "framework/Exceptions.h"
#include "framework/Types.h"
#include "framework/Variant.h"
#include "highlighting/XmlArena.h"
#include "highlighting/XmlPool.h"

class TStream;

HV_DECLARE_EXCEPTION(EXmlError, Exception);

// A counted reference to a TXmlBase descendant.
template <class T>
class TXmlRef {
 public:
  TXmlRef() = default;
  TXmlRef(std::nullptr_t) {}
  TXmlRef(T* P) : p_(P) {
    if (p_) p_->AddRef();
  }
  TXmlRef(const TXmlRef& O) : TXmlRef(O.p_) {}
  TXmlRef(TXmlRef&& O) noexcept : p_(std::exchange(O.p_, nullptr)) {}
  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  TXmlRef(const TXmlRef<U>& O) : TXmlRef(O.get()) {}
  ~TXmlRef() {
    if (p_) p_->Release();
  }
  TXmlRef& operator=(TXmlRef O) noexcept {
    std::swap(p_, O.p_);
    return *this;
  }
  T* operator->() const { return p_; }
  T& operator*() const { return *p_; }
  T* get() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  template <class U>
  bool operator==(const TXmlRef<U>& O) const {
    return static_cast<const void*>(p_) == static_cast<const void*>(O.get());
  }
  bool operator==(std::nullptr_t) const { return p_ == nullptr; }

 private:
  T* p_ = nullptr;
};

// The reference count shared by every object of the model. An object in an arena also counts
// the references from outside the arena there; one from an object of the same arena is an
// inner reference.
class TXmlBase {
 public:
  TXmlBase() = default;
  TXmlBase(const TXmlBase&) = delete;
  TXmlBase& operator=(const TXmlBase&) = delete;
  virtual ~TXmlBase() = default;

  void AddRef() const noexcept {
    ++refCount_;
    if (arena_) arena_->Pin();
  }
  void Release() const noexcept {
    if (arena_) arena_->Unpin();
    if (--refCount_ == 0) Destroy();
  }
  int RefCount() const { return refCount_; }
  TXmlBase* GetObject() { return this; }
  // The arena the object was placed in by a reader; null for one made on its own.
  TXmlArena* Arena() const { return arena_; }

  static void* operator new(size_t Size) { return XmlPoolAlloc(Size); }
  static void operator delete(void* Block, size_t Size) noexcept { XmlPoolFree(Block, Size); }
  static void* operator new(size_t, void* Where) noexcept { return Where; }
  static void operator delete(void*, void*) noexcept {}

 protected:
  friend class TXmlNodeList;
  friend class TXmlBuilder;
  explicit TXmlBase(TXmlArena* Arena) : arena_(Arena) { Arena->Born(); }
  // A reference held by Holder: an inner one when both live in the same arena; otherwise an
  // outside one, which also marks Holder's arena as holding something from elsewhere.
  void HeldBy(const TXmlBase* Holder) const noexcept {
    if (arena_ && arena_ == Holder->arena_) {
      ++refCount_;
      return;
    }
    AddRef();
    if (Holder->arena_) Holder->arena_->Taint();
  }
  void DroppedBy(const TXmlBase* Holder) const noexcept {
    if (arena_ && arena_ == Holder->arena_) {
      if (--refCount_ == 0) Destroy();
      return;
    }
    Release();
  }
  // Memory from the pool for an object of an arena must be given back by its destructor.
  void* OwnMemory(size_t Size) const {
    if (arena_) arena_->Taint();
    return XmlPoolAlloc(Size);
  }

 private:
  void Destroy() const noexcept;

  mutable int refCount_ = 0;
  TXmlArena* arena_ = nullptr;
};

class TXmlNameTable;
class TXmlNodeList;
class TXmlNode;
class TXmlElement;
class TXmlText;
class TXmlCharacterData;
class TXmlCDATASection;
class TXmlComment;
class TXmlProcessingInstruction;
class TXmlDocument;

using IXmlBase = TXmlRef<TXmlBase>;
using IXmlNameTable = TXmlRef<TXmlNameTable>;
using IXmlNodeList = TXmlRef<TXmlNodeList>;
using IXmlNode = TXmlRef<TXmlNode>;
using IXmlElement = TXmlRef<TXmlElement>;
using IXmlText = TXmlRef<TXmlText>;
using IXmlCDATASection = TXmlRef<TXmlCDATASection>;
using IXmlComment = TXmlRef<TXmlComment>;
using IXmlProcessingInstruction = TXmlRef<TXmlProcessingInstruction>;
using IXmlDocument = TXmlRef<TXmlDocument>;

// Node types.
constexpr int ELEMENT_NODE = 1;
constexpr int TEXT_NODE = 3;
constexpr int CDATA_SECTION_NODE = 4;
constexpr int PROCESSING_INSTRUCTION_NODE = 7;
constexpr int COMMENT_NODE = 8;
constexpr int DOCUMENT_NODE = 9;

// Deeper trees are refused by the readers, so that no input can exhaust the stack.
constexpr int XmlMaxDepth = 1000;
// The one nesting rule of the text and binary readers: an element stands at most XmlMaxDepth
// levels below the document (level 1 is the top); any other node may sit inside the deepest
// element, one level more.
inline bool XmlLevelAllowed(int NodeType, int Level) {
  return Level <= XmlMaxDepth + (NodeType == ELEMENT_NODE ? 0 : 1);
}

extern AnsiString DefaultEncoding;  // "windows-1251"
extern bool DefaultKeepWhiteSpace;  // false
extern AnsiString XmlIndent;        // one TAB

// Interned names: an id is the index of the name; ids 0 to 4 are fixed.
class TXmlNameTable : public TXmlBase {
 public:
  explicit TXmlNameTable(int BucketCount = 4096);

  // -1 for an empty name.
  int InternName(std::string_view Name) { return InternName(Name, HashOf(Name)); }
  // The same, with the name's hash already taken (a reader takes it as it reads the name).
  int InternName(std::string_view Name, uint32_t Hash);
  static uint32_t HashOf(std::string_view Name) {
    uint32_t h = 0;
    for (unsigned char c : Name) h = h * 33 + c;
    return h;
  }
  // An empty string for an id that names nothing.
  const AnsiString& NameOf(int Id) const;
  int NameCount() const { return static_cast<int>(names_.size()); }
  int BucketCount() const { return static_cast<int>(buckets_.size()); }
  const std::vector<int32_t>& Bucket(int Index) const { return buckets_[static_cast<size_t>(Index)]; }

  int TextId() const { return 0; }
  int CDataId() const { return 1; }
  int CommentId() const { return 2; }
  int DocumentId() const { return 3; }
  int XmlId() const { return 4; }

 private:
  std::vector<AnsiString> names_;
  std::vector<std::vector<int32_t>> buckets_;
};

// The table that documents share unless they are given another.
IXmlNameTable DefaultNameTable();

// An ordered list of nodes, each held by one reference. A list with an owner is that node's
// child list and keeps the parent links of its items.
class TXmlNodeList : public TXmlBase {
 public:
  explicit TXmlNodeList(TXmlNode* Owner = nullptr) : owner_(Owner) {}
  ~TXmlNodeList() override;

  int Count() const { return static_cast<int>(count_); }
  // Raises the index error outside 0..Count-1.
  IXmlNode Item(int Index) const;
  TXmlNode* RawItem(int Index) const { return items_[Index]; }
  int IndexOf(const TXmlNode* Node) const;
  AnsiString Xml() const;
  TXmlNode* Owner() const { return owner_; }

  // Index -1 is the end. A node is taken out of its former list first; a node cannot be put
  // into itself or its own descendants.
  void Insert(const IXmlNode& Node, int Index);
  void Replace(int Index, const IXmlNode& Node);
  void Delete(int Index);
  void Clear();

 private:
  friend class TXmlNode;
  friend class TXmlElement;
  friend class TXmlDocument;
  friend class TXmlBuilder;
  TXmlNodeList(TXmlArena* Arena, TXmlNode* Owner) : TXmlBase(Arena), owner_(Owner) {}
  void Adopt(TXmlNode* Node);
  void Disown(TXmlNode* Node);
  void Grow();
  // Appends a node that belongs nowhere yet and uses the owner's name table.
  void AppendNew(TXmlNode* Node);
  // Lets go of every item; a whole arena that only this list still uses goes at once.
  void ReleaseItems() noexcept;
  TXmlNode** begin() const { return items_; }
  TXmlNode** end() const { return items_ + count_; }

  TXmlNode* owner_;
  TXmlNode** items_ = nullptr;
  uint32_t count_ = 0;
  uint32_t capacity_ : 31 = 0;
  uint32_t ownsItems_ : 1 = 0;
};

// The value of an attribute, a text node or an element, in 8 bytes: a string as bytes (in the
// arena of a document that was read, or owned), or any other variant kept apart. Copies share
// what they point to; the holder frees what it owns, once.
class TXmlValue {
 public:
  TXmlValue() = default;
  // Bytes that live elsewhere (in an arena) for as long as the value is used.
  static TXmlValue Borrowed(const char* Text, size_t Size);
  // The holder's own copy.
  static TXmlValue Owned(const TVariant& Value);
  static TXmlValue Owned(std::string_view Text);
  void Free() noexcept;

  bool IsEmpty() const { return meta_ == kBoxed && !ptr_; }
  bool IsNull() const { return meta_ == kBoxed && ptr_ && Box()->IsNull(); }
  bool IsText() const { return !(meta_ & kBoxed); }
  TVarType VarType() const { return IsText() ? varString : ptr_ ? Box()->VarType() : varEmpty; }
  // The bytes of a string value.
  std::string_view Text() const { return {static_cast<const char*>(ptr_), meta_ & kSize}; }
  TVariant ToVariant() const;
  // The value's text form (VarToXmlStr).
  AnsiString ToXmlStr() const;
  // An owned copy.
  TXmlValue Copy() const;
  bool operator==(const TVariant& Other) const;

 private:
  static constexpr uint32_t kBoxed = 0x80000000u;
  static constexpr uint32_t kOwned = 0x40000000u;
  static constexpr uint32_t kSize = 0x3FFFFFFFu;
  const TVariant* Box() const { return static_cast<const TVariant*>(ptr_); }

  const void* ptr_ = nullptr;
  uint32_t meta_ = kBoxed;
};

struct TXmlAttrData {
  int32_t NameId = -1;
  TXmlValue Value;
};

// A node's attributes in order of creation, as a plain range.
class TXmlAttrList {
 public:
  TXmlAttrList(const TXmlAttrData* Items, size_t Count) : items_(Items), count_(Count) {}
  const TXmlAttrData* begin() const { return items_; }
  const TXmlAttrData* end() const { return items_ + count_; }
  size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  const TXmlAttrData& operator[](size_t Index) const { return items_[Index]; }

 private:
  const TXmlAttrData* items_;
  size_t count_;
};

// A node's children as a plain range.
struct TXmlChildren {
  TXmlNode* const* First;
  TXmlNode* const* Last;
  TXmlNode* const* begin() const { return First; }
  TXmlNode* const* end() const { return Last; }
  size_t size() const { return static_cast<size_t>(Last - First); }
};

class TXmlNode : public TXmlBase {
 public:
  explicit TXmlNode(const IXmlNameTable& NameTable);
  ~TXmlNode() override;

  // ---- the virtual operations ----
  virtual TXmlNodeList* GetChildList();
  virtual void SetNodeNameId(int Id);
  virtual IXmlNode CloneNode(bool Deep) const = 0;
  virtual int NodeNameId() const = 0;
  virtual int NodeType() const = 0;
  virtual AnsiString Text() const = 0;
  virtual void SetText(const AnsiString& Value) = 0;
  virtual TVarType DataType() const;
  virtual TVariant NodeValue() const;
  virtual void SetNodeValue(const TVariant& Value);
  virtual AnsiString Xml() const;
  virtual IXmlDocument OwnerDocument() const;
  virtual IXmlNodeList ChildNodes();
  virtual IXmlElement AsElement();
  virtual IXmlText AsText();
  virtual IXmlCDATASection AsCDATASection();
  virtual IXmlComment AsComment();
  virtual IXmlProcessingInstruction AsProcessingInstruction();

  IXmlNameTable NameTable() const { return IXmlNameTable(nameTable_); }
  const AnsiString& NodeName() const;
  IXmlNode ParentNode() const;
  bool HasChildNodes() const;

  // ---- children ----
  IXmlNode AppendChild(const IXmlNode& Node);
  IXmlNode InsertBefore(const IXmlNode& Node, const IXmlNode& Reference);
  IXmlNode ReplaceChild(const IXmlNode& NewNode, const IXmlNode& OldNode);
  int RemoveChild(const IXmlNode& Child);
  IXmlElement AppendElement(int NameId);
  IXmlElement AppendElement(const AnsiString& Name);
  IXmlText AppendText(const AnsiString& Text);
  IXmlCDATASection AppendCDATASection(const AnsiString& Data);
  IXmlComment AppendComment(const AnsiString& Data);
  IXmlProcessingInstruction AppendProcessingInstruction(int TargetId, const AnsiString& Data);
  IXmlProcessingInstruction AppendProcessingInstruction(const AnsiString& Target, const AnsiString& Data);

  // ---- named children ----
  AnsiString ReadChildText(const AnsiString& Name, const AnsiString& Default = AnsiString()) const;
  AnsiString ReadChildText(int NameId, const AnsiString& Default = AnsiString()) const;
  void WriteChildText(const AnsiString& Name, const AnsiString& Text);
  void WriteChildText(int NameId, const AnsiString& Text);
  IXmlNode RequireChild(int NameId) const;
  IXmlNode RequireChild(const AnsiString& Name) const;
  IXmlNode ObtainChild(int NameId);
  IXmlNode ObtainChild(const AnsiString& Name);
  void ClearChildren();
  IXmlNodeList FindChildrenByName(const AnsiString& Name) const;
  IXmlNode FindChildByName(const AnsiString& Name) const;
  IXmlElement FindChildByAttribute(const AnsiString& ElementName, const AnsiString& AttrName,
                                   const TVariant& Value) const;

  // ---- attributes ----
  int AttributeCount() const { return attrs_ ? static_cast<int>(attrs_->Count) : 0; }
  int AttributeNameIdAt(int Index) const;
  const AnsiString& AttributeNameAt(int Index) const;
  void RemoveAttribute(const AnsiString& Name);
  void RemoveAttribute(int NameId);
  void ClearAttributes();
  bool HasAttribute(int NameId) const { return FindAttr(NameId) != nullptr; }
  bool HasAttribute(const AnsiString& Name) const;
  TVarType AttributeType(int NameId) const;
  TVarType AttributeType(const AnsiString& Name) const;
  TVariant GetAttributeValue(int NameId, const TVariant& Default = TVariant()) const;
  TVariant GetAttributeValue(const AnsiString& Name, const TVariant& Default = TVariant()) const;
  void SetAttributeValue(int NameId, TVariant Value);
  void SetAttributeValue(const AnsiString& Name, TVariant Value);
  AnsiString RequireAttribute(int NameId) const;
  AnsiString RequireAttribute(const AnsiString& Name) const;
  AnsiString GetAttribute(int NameId, const AnsiString& Default = AnsiString()) const;
  AnsiString GetAttribute(const AnsiString& Name, const AnsiString& Default = AnsiString()) const;
  void SetAttribute(int NameId, const AnsiString& Value);
  void SetAttribute(const AnsiString& Name, const AnsiString& Value);
  bool GetBoolAttribute(int NameId, bool Default = false) const;
  bool GetBoolAttribute(const AnsiString& Name, bool Default = false) const;
  void SetBoolAttribute(int NameId, bool Value);
  void SetBoolAttribute(const AnsiString& Name, bool Value);
  int GetIntAttribute(int NameId, int Default = 0) const;
  int GetIntAttribute(const AnsiString& Name, int Default = 0) const;
  void SetIntAttribute(int NameId, int Value);
  void SetIntAttribute(const AnsiString& Name, int Value);
  TDateTime GetDateTimeAttribute(int NameId, TDateTime Default = 0) const;
  TDateTime GetDateTimeAttribute(const AnsiString& Name, TDateTime Default = 0) const;
  void SetDateTimeAttribute(int NameId, TDateTime Value);
  void SetDateTimeAttribute(const AnsiString& Name, TDateTime Value);
  double GetFloatAttribute(int NameId, double Default = 0) const;
  double GetFloatAttribute(const AnsiString& Name, double Default = 0) const;
  void SetFloatAttribute(int NameId, double Value);
  void SetFloatAttribute(const AnsiString& Name, double Value);
  int GetHexAttribute(const AnsiString& Name, int Default = 0) const;
  int GetHexAttribute(int NameId, int Default = 0) const;
  void SetHexAttribute(const AnsiString& Name, int Value, int Digits = 0);
  void SetHexAttribute(int NameId, int Value, int Digits = 0);
  int GetEnumAttribute(const AnsiString& Name, const std::vector<AnsiString>& Allowed, int Default = 0) const;
  int GetEnumAttribute(int NameId, const std::vector<AnsiString>& Allowed, int Default = 0) const;
  int RequireEnumAttribute(const AnsiString& Name, const std::vector<AnsiString>& Allowed) const;
  int RequireEnumAttribute(int NameId, const std::vector<AnsiString>& Allowed) const;

  // ---- paths: "" the node's own value, "@name" an attribute, else a child element ----
  TVariant GetPathValue(const AnsiString& Path);
  void SetPathValue(const AnsiString& Path, const TVariant& Value);

  TXmlAttrList Attributes() const { return {AttrItems(), static_cast<size_t>(AttributeCount())}; }

 protected:
  friend class TXmlNodeList;
  friend class TXmlBuilder;
  friend class TBinXmlReader;
  friend class TBinXmlWriter;

  // A node that a reader places in Arena, on the arena's name table.
  explicit TXmlNode(TXmlArena* Arena) : TXmlBase(Arena), nameTable_(Arena->Table()) {}

  // The attribute array: a header and the items after it.
  struct TAttrBlock {
    uint32_t Count;
    uint32_t Capacity : 31;
    uint32_t Owned : 1;
  };
  TXmlAttrData* AttrItems() const { return attrs_ ? reinterpret_cast<TXmlAttrData*>(attrs_ + 1) : nullptr; }
  TXmlAttrData* FindAttrItem(int NameId);
  void AddAttr(int NameId, TXmlValue Value);
  // The children of a node that a reader built are a plain block in its arena (a count and the
  // nodes) until their list object is asked for; the low bit of the pointer tells.
  bool HasChildBlock() const { return reinterpret_cast<uintptr_t>(childList_) & 1u; }
  uint32_t* ChildBlock() const {
    return reinterpret_cast<uint32_t*>(reinterpret_cast<uintptr_t>(childList_) & ~uintptr_t{1});
  }
  TXmlChildren Children() const;
  // The list of the children, made from the block when there is one; null when there is none.
  TXmlNodeList* List() const;
  // Whether the node holds a reference to its name table of its own (the arena holds one for
  // the nodes on its table).
  bool OwnsTableRef() const { return !Arena() || nameTable_ != Arena()->Table(); }
  void SetNameTable(TXmlNameTable* Table);

  // Writes the node's text form; Indent is false inside content that keeps its blanks.
  virtual void WriteXml(AnsiString& Out, int Level, bool Indent) const = 0;
  // The texts of the element, text and CDATA children joined by single blanks.
  AnsiString ChildrenText() const;
  void CopyAttributesTo(TXmlNode& Target) const;
  void CloneChildrenTo(TXmlNode& Target) const;
  void MoveToNameTable(const IXmlNameTable& Table);
  bool KeepsWhiteSpace() const;
  const TXmlAttrData* FindAttr(int NameId) const;
  int Intern(const AnsiString& Name) const { return nameTable_->InternName(Name); }
  const AnsiString& NameOfId(int Id) const;
  void WriteAttributes(AnsiString& Out) const;
  void WriteChildren(AnsiString& Out, int Level, bool Indent) const;
  bool HasTextChild() const;

  TXmlNode* parent_ = nullptr;
  TXmlNameTable* nameTable_ = nullptr;  // counted unless the arena holds it (OwnsTableRef)
  TAttrBlock* attrs_ = nullptr;
  TXmlNodeList* childList_ = nullptr;  // counted; or the block of a read node's children
};

class TXmlElement : public TXmlNode {
 public:
  TXmlElement(const IXmlNameTable& NameTable, int NameId) : TXmlNode(NameTable), nameId_(NameId) {}
  ~TXmlElement() override { value_.Free(); }

  TXmlNodeList* GetChildList() override;
  void SetNodeNameId(int Id) override { nameId_ = Id; }
  IXmlNode CloneNode(bool Deep) const override;
  int NodeNameId() const override { return nameId_; }
  int NodeType() const override { return ELEMENT_NODE; }
  AnsiString Text() const override;
  void SetText(const AnsiString& Value) override;
  TVarType DataType() const override;
  TVariant NodeValue() const override;
  void SetNodeValue(const TVariant& Value) override;
  IXmlElement AsElement() override { return this; }

  // Replaces the text and CDATA children by CDATA sections holding Text.
  void SetCDataText(const AnsiString& Text);
  // Replaces the text and CDATA children by one text node holding the bytes in Base64.
  void SetBase64Text(const void* Bytes, int Count, int LineLength = 0);
  AnsiString GetBase64Data() const;
  // The value the element holds directly (empty when it has children instead).
  TVariant Value() const { return value_.ToVariant(); }

 protected:
  friend class TXmlBuilder;
  friend class TBinXmlWriter;
  TXmlElement(TXmlArena* Arena, int NameId) : TXmlNode(Arena), nameId_(NameId) {}
  void WriteXml(AnsiString& Out, int Level, bool Indent) const override;

 private:
  void SetValue(TXmlValue Value);

  int nameId_;
  TXmlValue value_;
};

class TXmlText : public TXmlNode {
 public:
  TXmlText(const IXmlNameTable& NameTable, const TVariant& Value)
      : TXmlNode(NameTable), value_(TXmlValue::Owned(Value)) {}
  ~TXmlText() override { value_.Free(); }

  IXmlNode CloneNode(bool Deep) const override;
  int NodeNameId() const override { return nameTable_->TextId(); }
  int NodeType() const override { return TEXT_NODE; }
  AnsiString Text() const override { return value_.ToXmlStr(); }
  void SetText(const AnsiString& Value) override { SetValue(TXmlValue::Owned(std::string_view(Value))); }
  TVarType DataType() const override { return value_.VarType(); }
  TVariant NodeValue() const override { return value_.ToVariant(); }
  void SetNodeValue(const TVariant& Value) override { SetValue(TXmlValue::Owned(Value)); }
  IXmlText AsText() override { return this; }

 protected:
  friend class TXmlBuilder;
  friend class TBinXmlWriter;
  friend class TXmlElement;
  TXmlText(TXmlArena* Arena, TXmlValue Value) : TXmlNode(Arena), value_(Value) {}
  void WriteXml(AnsiString& Out, int Level, bool Indent) const override;

 private:
  void SetValue(TXmlValue Value);

  TXmlValue value_;
};

class TXmlCharacterData : public TXmlNode {
 public:
  TXmlCharacterData(const IXmlNameTable& NameTable, const AnsiString& Data)
      : TXmlNode(NameTable), data_(TXmlValue::Owned(std::string_view(Data))) {}
  ~TXmlCharacterData() override { data_.Free(); }
  // Trimmed of blanks unless the document keeps white space.
  AnsiString Text() const override;
  void SetText(const AnsiString& Value) override;
  AnsiString Data() const { return AnsiString(data_.Text()); }
  std::string_view DataView() const { return data_.Text(); }

 protected:
  TXmlCharacterData(TXmlArena* Arena, TXmlValue Data) : TXmlNode(Arena), data_(Data) {}

  TXmlValue data_;
};

class TXmlCDATASection : public TXmlCharacterData {
 public:
  using TXmlCharacterData::TXmlCharacterData;
  IXmlNode CloneNode(bool Deep) const override;
  int NodeNameId() const override { return nameTable_->CDataId(); }
  int NodeType() const override { return CDATA_SECTION_NODE; }
  IXmlCDATASection AsCDATASection() override { return this; }

 protected:
  friend class TXmlBuilder;
  void WriteXml(AnsiString& Out, int Level, bool Indent) const override;
};

class TXmlComment : public TXmlCharacterData {
 public:
  using TXmlCharacterData::TXmlCharacterData;
  IXmlNode CloneNode(bool Deep) const override;
  int NodeNameId() const override { return nameTable_->CommentId(); }
  int NodeType() const override { return COMMENT_NODE; }
  IXmlComment AsComment() override { return this; }

 protected:
  friend class TXmlBuilder;
  void WriteXml(AnsiString& Out, int Level, bool Indent) const override;
};

class TXmlProcessingInstruction : public TXmlNode {
 public:
  TXmlProcessingInstruction(const IXmlNameTable& NameTable, int TargetId, const AnsiString& Data)
      : TXmlNode(NameTable), targetId_(TargetId), data_(TXmlValue::Owned(std::string_view(Data))) {}
  ~TXmlProcessingInstruction() override { data_.Free(); }

  void SetNodeNameId(int Id) override { targetId_ = Id; }
  IXmlNode CloneNode(bool Deep) const override;
  int NodeNameId() const override { return targetId_; }
  int NodeType() const override { return PROCESSING_INSTRUCTION_NODE; }
  AnsiString Text() const override { return AnsiString(data_.Text()); }
  void SetText(const AnsiString& Value) override;
  IXmlProcessingInstruction AsProcessingInstruction() override { return this; }

 protected:
  friend class TXmlBuilder;
  TXmlProcessingInstruction(TXmlArena* Arena, int TargetId, TXmlValue Data)
      : TXmlNode(Arena), targetId_(TargetId), data_(Data) {}
  void WriteXml(AnsiString& Out, int Level, bool Indent) const override;

 private:
  int targetId_;
  TXmlValue data_;
};

class TXmlDocument : public TXmlNode {
 public:
  explicit TXmlDocument(const IXmlNameTable& NameTable);

  IXmlNode CloneNode(bool Deep) const override;
  int NodeNameId() const override { return nameTable_->DocumentId(); }
  int NodeType() const override { return DOCUMENT_NODE; }
  AnsiString Text() const override { return ChildrenText(); }
  void SetText(const AnsiString& Value) override;

  IXmlElement DocumentElement() const;
  AnsiString BinaryXml() const;
  bool KeepWhiteSpace() const { return keepWhiteSpace_; }
  void SetKeepWhiteSpace(bool Value) { keepWhiteSpace_ = Value; }

  // Empties the document and starts it with the declaration and the root element.
  IXmlElement StartDocument(const AnsiString& Version, const AnsiString& Encoding, int RootId);
  IXmlElement StartDocument(const AnsiString& Version, const AnsiString& Encoding, const AnsiString& RootName);
  // Nodes on the document's name table that belong to no list.
  IXmlElement CreateElement(int NameId);
  IXmlElement CreateElement(const AnsiString& Name);
  IXmlText CreateTextNode(const AnsiString& Text);
  IXmlCDATASection CreateCDATASection(const AnsiString& Data);
  IXmlComment CreateComment(const AnsiString& Data);
  IXmlProcessingInstruction CreateProcessingInstruction(const AnsiString& Target, const AnsiString& Data);
  IXmlProcessingInstruction CreateProcessingInstruction(int TargetId, const AnsiString& Data);

  // Text or binary XML (told apart by the binary signature at the start).
  void LoadFromText(const AnsiString& Text);
  void LoadFromBinaryText(const AnsiString& Text);
  void LoadFromStream(TStream* Stream);
  void LoadFromFile(const WideString& FileName);
  // Does nothing when the program has no such resource.
  void LoadFromResource(const wchar_t* ResType, const wchar_t* ResName);
  void SaveToStream(TStream* Stream) const;
  void SaveToFile(const WideString& FileName) const;
  // Options: bit 0 stores the strings as UTF-16.
  void SaveBinaryToStream(TStream* Stream, uint32_t Options = 0) const;
  void SaveBinaryToFile(const WideString& FileName, uint32_t Options = 0) const;

 protected:
  void WriteXml(AnsiString& Out, int Level, bool Indent) const override;

 private:
  void Empty();
  bool keepWhiteSpace_;
};

// Builds the nodes of a document being read, in one arena: texts are copied into it, and each
// node is given its attributes and its children at once, in arrays of their exact size.
class TXmlBuilder {
 public:
  explicit TXmlBuilder(TXmlNameTable& Table) : table_(Table) {}
  ~TXmlBuilder();
  TXmlBuilder(const TXmlBuilder&) = delete;
  TXmlBuilder& operator=(const TXmlBuilder&) = delete;

  TXmlNameTable& Table() const { return table_; }
  // A string value whose bytes are copied into the arena, or are written there by the caller.
  TXmlValue Text(std::string_view Text);
  TXmlValue Text(size_t Size, char*& Bytes);
  // Room for a text of at most Size bytes, written by the caller; Finish makes the Used first
  // ones the value and gives back the rest.
  char* Reserve(size_t Size) { return Arena().Reserve(Size); }
  TXmlValue Finish(char* Text, size_t Size, size_t Used) {
    arena_->Unreserve(Text, Size, Used);
    return TXmlValue::Borrowed(Text, Used);
  }
  // Strings in the arena; any other value owned by its node.
  TXmlValue Value(const TVariant& Value);

  TXmlElement* Element(int NameId);
  void SetValue(TXmlElement* Element, TXmlValue Value) { Element->value_ = Value; }
  TXmlText* TextNode(TXmlValue Value);
  TXmlCDATASection* CDataSection(TXmlValue Data);
  TXmlComment* Comment(TXmlValue Data);
  TXmlProcessingInstruction* Instruction(int TargetId, TXmlValue Data);
  void SetData(TXmlProcessingInstruction* Instruction, TXmlValue Data) { Instruction->data_ = Data; }

  // The attributes of the node being read, one at a time: a name met again keeps its first
  // place and takes the later value. Finish gives them to the node.
  void AddAttribute(int NameId, TXmlValue Value);
  void FinishAttributes(TXmlNode* Node);
  // Gives Parent the children Items: in a list of their exact size for a node of this arena
  // that has none yet, else appended one by one.
  void SetChildren(TXmlNode* Parent, TXmlNode* const* Items, size_t Count);

 private:
  TXmlArena& Arena() { return arena_ ? *arena_ : NewArena(); }
  TXmlArena& NewArena();
  void* Place(size_t Size) { return Arena().Allocate(Size); }

  TXmlNameTable& table_;
  TXmlArena* arena_ = nullptr;
  std::vector<TXmlAttrData> attrs_;
  // Per name id: the attribute set (by number) that last used it, and its place there.
  std::vector<std::pair<uint64_t, uint32_t>> seen_;
  uint64_t attrSet_ = 1;
};

// A document on the name table (the shared default table when none is given); a non-empty
// root name starts it with the declaration and that root.
IXmlDocument CreateXmlDocument(const AnsiString& RootName = AnsiString(), const AnsiString& Version = "1.0",
                               const AnsiString& Encoding = AnsiString(),
                               const IXmlNameTable& NameTable = IXmlNameTable());

// ---- text forms of values ----
AnsiString VarToXmlStr(const TVariant& Value);
AnsiString XmlFloatToStr(double Value);
double XmlStrToFloat(const AnsiString& Text);
AnsiString XmlDateTimeToStr(TDateTime Value);
TDateTime XmlStrToDateTime(const AnsiString& Text);
AnsiString Base64Encode(const void* Bytes, int Count, int LineLength = 0);
AnsiString Base64Decode(const AnsiString& Text);

// Raises EXmlError with a message and its arguments (ANSI texts are shown converted).
[[noreturn]] void XmlError(const wchar_t* Message);
[[noreturn]] void XmlError(const wchar_t* Message, const AnsiString& Argument);
