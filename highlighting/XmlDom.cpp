// XmlDom: the name table, node lists, nodes and their typed attributes, and the text forms of
// values. The parser and writer live in XmlParser.cpp, the binary form in XmlBinary.cpp.
#include "highlighting/XmlDom.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "framework/CodePages.h"
#include "framework/Conversions.h"
#include "framework/DateTime.h"
#include "framework/Format.h"
#include "framework/StrRoutines.h"
#include "highlighting/XmlParser.h"

AnsiString DefaultEncoding = "windows-1251";
bool DefaultKeepWhiteSpace = false;
AnsiString XmlIndent = "\t";

namespace {

const wchar_t kIndexError[] = L"Ошибка получения элемента списка: индекс выходит за пределы";
const wchar_t kChildNotFound[] = L"Ошибка: не найден дочерний элемент \"%s\".";
const wchar_t kNotSupported[] = L"Данная возможность не поддерживается XmlDom";
const wchar_t kAttrNotSet[] = L"Не задан атрибут \"%s\"";
const wchar_t kAttrNotFound[] = L"Не найден атрибут \"%s\"";
const wchar_t kBadEnum[] = L"Неверное значение атрибута \"%s\" элемента \"%s\".\r\nДопустимые значения:\r\n%s";
const wchar_t kNodeInItself[] = L"Узел не может быть вставлен в самого себя или в свой дочерний узел";
const wchar_t kBadBase64[] = L"Некорректные данные в кодировке Base64";

const AnsiString kEmpty;

AnsiString TrimBlanks(const AnsiString& s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= 32) ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
  return s.substr(b, e - b);
}

// Capacity steps of child lists and attribute arrays: a quarter from 65, 16 from 9, else 4.
size_t GrownCapacity(size_t capacity) {
  if (capacity >= 65) return capacity + capacity / 4;
  if (capacity >= 9) return capacity + 16;
  return capacity + 4;
}

// A plain XML name: a letter or "_", then letters, digits, "-", ".", ":" or "_".
bool IsPlainName(const AnsiString& s) {
  if (s.empty() || !XmlNameStartChar(s[0])) return false;
  return std::all_of(s.begin() + 1, s.end(), [](char c) { return XmlNameChar(c); });
}

}  // namespace

void XmlError(const wchar_t* Message) { throw EXmlError(WideString(Message)); }

void XmlError(const wchar_t* Message, const AnsiString& Argument) { throw EXmlError(WideFormat(Message, Argument)); }

// ---------------------------------------------------------------- name table

TXmlNameTable::TXmlNameTable(int BucketCount) : buckets_(static_cast<size_t>(std::max(BucketCount, 1))) {
  for (const char* name : {"#text", "#cdata-section", "#comment", "#document", "xml"}) InternName(name);
}

int TXmlNameTable::InternName(std::string_view Name, uint32_t h) {
  if (Name.empty()) return -1;
  const size_t count = buckets_.size();
  // Every table the program makes has a power of two of buckets: no division then.
  auto& bucket = buckets_[(count & (count - 1)) == 0 ? h & (count - 1) : h % count];
  for (int32_t id : bucket) {
    const AnsiString& name = names_[static_cast<size_t>(id)];
    if (name.size() != Name.size()) continue;
    if (XmlSameBytes(name.data(), Name.data(), Name.size())) return id;
  }
  const int id = static_cast<int>(names_.size());
  names_.emplace_back(Name);
  bucket.push_back(id);
  return id;
}

const AnsiString& TXmlNameTable::NameOf(int Id) const {
  if (Id < 0 || Id >= NameCount()) return kEmpty;
  return names_[static_cast<size_t>(Id)];
}

IXmlNameTable DefaultNameTable() {
  static IXmlNameTable table(new TXmlNameTable(4096));
  return table;
}

// ---------------------------------------------------------------- references and values

void TXmlBase::Destroy() const noexcept {
  if (TXmlArena* arena = arena_) {
    // The memory stays with the arena; the last object destroyed there releases it.
    this->~TXmlBase();
    arena->Died();
    return;
  }
  delete this;
}

TXmlValue TXmlValue::Borrowed(const char* Text, size_t Size) {
  TXmlValue v;
  v.ptr_ = Text;
  v.meta_ = static_cast<uint32_t>(Size);
  return v;
}

TXmlValue TXmlValue::Owned(std::string_view Text) {
  TXmlValue v;
  if (Text.size() > kSize) {
    // Past a gigabyte a string is kept as a variant.
    v.ptr_ = new TVariant(AnsiString(Text));
    return v;
  }
  char* bytes = Text.empty() ? nullptr : static_cast<char*>(XmlPoolAlloc(Text.size()));
  if (bytes) std::memcpy(bytes, Text.data(), Text.size());
  v.ptr_ = bytes;
  v.meta_ = static_cast<uint32_t>(Text.size()) | kOwned;
  return v;
}

TXmlValue TXmlValue::Owned(const TVariant& Value) {
  if (Value.VarType() == varString) return Owned(std::string_view(Value.AsString()));
  TXmlValue v;
  if (!Value.IsEmpty()) v.ptr_ = new TVariant(Value);
  return v;
}

void TXmlValue::Free() noexcept {
  if (meta_ & kBoxed)
    delete Box();
  else if ((meta_ & kOwned) && ptr_)
    XmlPoolFree(const_cast<void*>(ptr_), meta_ & kSize);
  *this = TXmlValue();
}

TVariant TXmlValue::ToVariant() const {
  if (IsText()) return TVariant(AnsiString(Text()));
  return ptr_ ? *Box() : TVariant();
}

AnsiString TXmlValue::ToXmlStr() const {
  if (IsText()) return AnsiString(Text());
  return ptr_ ? VarToXmlStr(*Box()) : AnsiString();
}

TXmlValue TXmlValue::Copy() const { return IsText() ? Owned(Text()) : Owned(ToVariant()); }

bool TXmlValue::operator==(const TVariant& Other) const {
  if (IsText() && Other.VarType() == varString) return Text() == std::string_view(Other.AsString());
  return ToVariant() == Other;
}

// ---------------------------------------------------------------- node lists

TXmlNodeList::~TXmlNodeList() {
  ReleaseItems();
  if (ownsItems_) XmlPoolFree(items_, capacity_ * sizeof(TXmlNode*));
}

void TXmlNodeList::ReleaseItems() noexcept {
  TXmlArena* arena = count_ ? items_[0]->Arena() : nullptr;
  if (arena && arena != Arena() && !arena->Tainted() && arena->Pins() == static_cast<int>(count_) &&
      std::all_of(begin(), end(), [arena](const TXmlNode* n) { return n->Arena() == arena; })) {
    // A document's nodes that nothing else refers to, and that hold nothing from elsewhere.
    count_ = 0;
    arena->Discard();
    return;
  }
  // One at a time from the end, so that the list is whole while a destructor runs.
  while (count_) {
    TXmlNode* node = items_[--count_];
    Disown(node);
  }
}

IXmlNode TXmlNodeList::Item(int Index) const {
  if (Index < 0 || Index >= Count()) XmlError(kIndexError);
  return items_[Index];
}

int TXmlNodeList::IndexOf(const TXmlNode* Node) const {
  auto it = std::find(begin(), end(), Node);
  return it == end() ? -1 : static_cast<int>(it - begin());
}

void TXmlNodeList::Grow() {
  if (count_ < capacity_) return;
  const size_t capacity = GrownCapacity(capacity_);
  auto* items = static_cast<TXmlNode**>(OwnMemory(capacity * sizeof(TXmlNode*)));
  if (count_) std::memcpy(items, items_, count_ * sizeof(TXmlNode*));
  if (ownsItems_) XmlPoolFree(items_, capacity_ * sizeof(TXmlNode*));
  items_ = items;
  capacity_ = static_cast<uint32_t>(capacity);
  ownsItems_ = 1;
}

// Takes the node from its former parent and makes it ours; refuses cycles.
void TXmlNodeList::Adopt(TXmlNode* Node) {
  if (!owner_) return;
  for (const TXmlNode* p = owner_; p; p = p->parent_)
    if (p == Node) XmlError(kNodeInItself);
  if (Node->parent_) {
    TXmlNodeList* old = Node->parent_->List();
    const int index = old ? old->IndexOf(Node) : -1;
    if (index >= 0) {
      IXmlNode keep(Node);
      old->Delete(index);
    }
  }
  if (Node->nameTable_ != owner_->nameTable_) Node->MoveToNameTable(IXmlNameTable(owner_->nameTable_));
}

void TXmlNodeList::Disown(TXmlNode* Node) {
  if (owner_ && Node->parent_ == owner_) Node->parent_ = nullptr;
  Node->DroppedBy(this);
}

void TXmlNodeList::Insert(const IXmlNode& Node, int Index) {
  if (!Node) return;
  TXmlNode* node = Node.get();
  IXmlNode keep(Node);
  Adopt(node);
  if (Index < 0 || Index > Count()) Index = Count();
  Grow();
  std::memmove(items_ + Index + 1, items_ + Index, (count_ - static_cast<uint32_t>(Index)) * sizeof(TXmlNode*));
  items_[Index] = node;
  ++count_;
  node->HeldBy(this);
  if (owner_) node->parent_ = owner_;
}

void TXmlNodeList::AppendNew(TXmlNode* Node) {
  Grow();
  items_[count_++] = Node;
  Node->HeldBy(this);
  Node->parent_ = owner_;
}

void TXmlNodeList::Replace(int Index, const IXmlNode& Node) {
  if (Index < 0 || Index >= Count()) XmlError(kIndexError);
  if (!Node || Node.get() == items_[Index]) return;
  IXmlNode keep(Node);
  IXmlNode old(items_[Index]);
  Adopt(Node.get());
  // Taking the new node out of this same list may have moved the old one.
  Index = IndexOf(old.get());
  Disown(old.get());
  items_[Index] = Node.get();
  Node->HeldBy(this);
  if (owner_) Node->parent_ = owner_;
}

void TXmlNodeList::Delete(int Index) {
  if (Index < 0 || Index >= Count()) XmlError(kIndexError);
  TXmlNode* node = items_[Index];
  std::memmove(items_ + Index, items_ + Index + 1, (count_ - static_cast<uint32_t>(Index) - 1) * sizeof(TXmlNode*));
  --count_;
  Disown(node);
}

void TXmlNodeList::Clear() { ReleaseItems(); }

// ---------------------------------------------------------------- nodes

TXmlNode::TXmlNode(const IXmlNameTable& NameTable)
    : nameTable_(NameTable ? NameTable.get() : DefaultNameTable().get()) {
  nameTable_->AddRef();
}

TXmlNode::~TXmlNode() {
  if (HasChildBlock()) {
    for (TXmlNode* child : Children()) {
      if (child->parent_ == this) child->parent_ = nullptr;
      child->DroppedBy(this);
    }
  } else if (childList_) {
    // A caller may still hold the list or a child: neither may point back to us.
    childList_->owner_ = nullptr;
    for (TXmlNode* child : *childList_)
      if (child->parent_ == this) child->parent_ = nullptr;
    childList_->DroppedBy(this);
  }
  ClearAttributes();
  if (attrs_ && attrs_->Owned) XmlPoolFree(attrs_, sizeof(TAttrBlock) + attrs_->Capacity * sizeof(TXmlAttrData));
  if (OwnsTableRef()) nameTable_->Release();
}

void TXmlNode::SetNameTable(TXmlNameTable* Table) {
  if (Table == nameTable_) return;
  const bool owned = OwnsTableRef();
  TXmlNameTable* old = nameTable_;
  nameTable_ = Table;
  if (OwnsTableRef()) {
    Table->AddRef();
    if (Arena()) Arena()->Taint();
  }
  if (owned) old->Release();
}

TXmlChildren TXmlNode::Children() const {
  if (HasChildBlock()) {
    auto* items = reinterpret_cast<TXmlNode* const*>(ChildBlock() + 1);
    return {items, items + *ChildBlock()};
  }
  if (!childList_) return {nullptr, nullptr};
  return {childList_->begin(), childList_->end()};
}

TXmlNodeList* TXmlNode::List() const {
  if (!HasChildBlock()) return childList_;
  uint32_t* block = ChildBlock();
  auto* self = const_cast<TXmlNode*>(this);
  auto* list = new (Arena()->Allocate(sizeof(TXmlNodeList))) TXmlNodeList(Arena(), self);
  // The list takes the block's items over, and with them the references this node held.
  list->items_ = reinterpret_cast<TXmlNode**>(block + 1);
  list->count_ = list->capacity_ = *block;
  list->HeldBy(self);
  self->childList_ = list;
  return list;
}

TXmlNodeList* TXmlNode::GetChildList() {
  if (HasChildBlock()) return List();
  if (!childList_) {
    // A node of an arena keeps its list there too: the list holds it no reference of its own.
    childList_ =
        Arena() ? new (Arena()->Allocate(sizeof(TXmlNodeList))) TXmlNodeList(Arena(), this) : new TXmlNodeList(this);
    childList_->HeldBy(this);
  }
  return childList_;
}

void TXmlNode::SetNodeNameId(int) {}

TVarType TXmlNode::DataType() const { return varString; }

TVariant TXmlNode::NodeValue() const { return TVariant(Text()); }

void TXmlNode::SetNodeValue(const TVariant& Value) { SetText(VarToXmlStr(Value)); }

AnsiString TXmlNode::Xml() const {
  AnsiString out;
  WriteXml(out, 0, !KeepsWhiteSpace());
  return out;
}

IXmlDocument TXmlNode::OwnerDocument() const {
  for (const TXmlNode* p = this; p; p = p->parent_)
    if (p->NodeType() == DOCUMENT_NODE) return static_cast<TXmlDocument*>(const_cast<TXmlNode*>(p));
  return nullptr;
}

IXmlNodeList TXmlNode::ChildNodes() { return GetChildList(); }
IXmlElement TXmlNode::AsElement() { return nullptr; }
IXmlText TXmlNode::AsText() { return nullptr; }
IXmlCDATASection TXmlNode::AsCDATASection() { return nullptr; }
IXmlComment TXmlNode::AsComment() { return nullptr; }
IXmlProcessingInstruction TXmlNode::AsProcessingInstruction() { return nullptr; }

const AnsiString& TXmlNode::NodeName() const { return nameTable_->NameOf(NodeNameId()); }

const AnsiString& TXmlNode::NameOfId(int Id) const { return nameTable_->NameOf(Id); }

IXmlNode TXmlNode::ParentNode() const { return parent_; }

bool TXmlNode::HasChildNodes() const { return Children().size() > 0; }

bool TXmlNode::KeepsWhiteSpace() const {
  for (const TXmlNode* p = this; p; p = p->parent_)
    if (p->NodeType() == DOCUMENT_NODE) return static_cast<const TXmlDocument*>(p)->KeepWhiteSpace();
  return DefaultKeepWhiteSpace;
}

AnsiString TXmlNode::ChildrenText() const {
  AnsiString text;
  for (TXmlNode* child : Children()) {
    const int type = child->NodeType();
    if (type != ELEMENT_NODE && type != TEXT_NODE && type != CDATA_SECTION_NODE) continue;
    AnsiString part = child->Text();
    if (part.empty()) continue;
    if (!text.empty()) text += ' ';
    text += part;
  }
  return text;
}

void TXmlNode::CopyAttributesTo(TXmlNode& Target) const {
  Target.ClearAttributes();
  for (const TXmlAttrData& attr : Attributes()) Target.AddAttr(attr.NameId, attr.Value.Copy());
}

void TXmlNode::CloneChildrenTo(TXmlNode& Target) const {
  for (TXmlNode* child : Children()) Target.AppendChild(child->CloneNode(true));
}

void TXmlNode::MoveToNameTable(const IXmlNameTable& Table) {
  TXmlNameTable* old = nameTable_;
  IXmlNameTable keep(old);
  const int type = NodeType();
  if (type == ELEMENT_NODE || type == PROCESSING_INSTRUCTION_NODE)
    SetNodeNameId(Table->InternName(old->NameOf(NodeNameId())));
  for (TXmlAttrData *a = AttrItems(), *e = a + AttributeCount(); a != e; ++a)
    a->NameId = Table->InternName(old->NameOf(a->NameId));
  SetNameTable(Table.get());
  for (TXmlNode* child : Children()) child->MoveToNameTable(Table);
}

// ---- children

IXmlNode TXmlNode::AppendChild(const IXmlNode& Node) {
  GetChildList()->Insert(Node, -1);
  return Node;
}

IXmlNode TXmlNode::InsertBefore(const IXmlNode& Node, const IXmlNode& Reference) {
  TXmlNodeList* list = GetChildList();
  if (!Node) return Node;
  // A node put before itself stays where it is; one that is no child yet goes to the end.
  if (Node == Reference && list->IndexOf(Node.get()) >= 0) return Node;
  IXmlNode keep = Node;
  // Taking the node out of its list first, so that the reference's index is the final one.
  list->Adopt(Node.get());
  list->Insert(Node, Reference ? list->IndexOf(Reference.get()) : -1);
  return Node;
}

IXmlNode TXmlNode::ReplaceChild(const IXmlNode& NewNode, const IXmlNode& OldNode) {
  TXmlNodeList* list = List();
  if (!list || !OldNode) return OldNode;
  const int index = list->IndexOf(OldNode.get());
  if (index >= 0) list->Replace(index, NewNode);
  return OldNode;
}

int TXmlNode::RemoveChild(const IXmlNode& Child) {
  TXmlNodeList* list = List();
  if (!list || !Child) return -1;
  const int index = list->IndexOf(Child.get());
  if (index >= 0) list->Delete(index);
  return index;
}

IXmlElement TXmlNode::AppendElement(int NameId) {
  IXmlElement e(new TXmlElement(NameTable(), NameId));
  GetChildList()->AppendNew(e.get());
  return e;
}

IXmlElement TXmlNode::AppendElement(const AnsiString& Name) { return AppendElement(Intern(Name)); }

IXmlText TXmlNode::AppendText(const AnsiString& Text) {
  IXmlText t(new TXmlText(NameTable(), TVariant(Text)));
  GetChildList()->AppendNew(t.get());
  return t;
}

IXmlCDATASection TXmlNode::AppendCDATASection(const AnsiString& Data) {
  IXmlCDATASection c(new TXmlCDATASection(NameTable(), Data));
  GetChildList()->AppendNew(c.get());
  return c;
}

IXmlComment TXmlNode::AppendComment(const AnsiString& Data) {
  IXmlComment c(new TXmlComment(NameTable(), Data));
  GetChildList()->AppendNew(c.get());
  return c;
}

IXmlProcessingInstruction TXmlNode::AppendProcessingInstruction(int TargetId, const AnsiString& Data) {
  IXmlProcessingInstruction pi(new TXmlProcessingInstruction(NameTable(), TargetId, Data));
  GetChildList()->AppendNew(pi.get());
  return pi;
}

IXmlProcessingInstruction TXmlNode::AppendProcessingInstruction(const AnsiString& Target, const AnsiString& Data) {
  return AppendProcessingInstruction(Intern(Target), Data);
}

// ---- named children

namespace {

// An element named by the empty name has the id -1, and is found by it too.
TXmlNode* FindChildById(TXmlChildren children, int id) {
  for (TXmlNode* child : children)
    if (child->NodeNameId() == id) return child;
  return nullptr;
}

}  // namespace

AnsiString TXmlNode::ReadChildText(const AnsiString& Name, const AnsiString& Default) const {
  return ReadChildText(Intern(Name), Default);
}

AnsiString TXmlNode::ReadChildText(int NameId, const AnsiString& Default) const {
  TXmlNode* child = FindChildById(Children(), NameId);
  return child ? child->Text() : Default;
}

void TXmlNode::WriteChildText(const AnsiString& Name, const AnsiString& Text) { WriteChildText(Intern(Name), Text); }

void TXmlNode::WriteChildText(int NameId, const AnsiString& Text) { ObtainChild(NameId)->SetText(Text); }

IXmlNode TXmlNode::RequireChild(int NameId) const {
  TXmlNode* child = FindChildById(Children(), NameId);
  if (!child) XmlError(kChildNotFound, nameTable_->NameOf(NameId));
  return child;
}

IXmlNode TXmlNode::RequireChild(const AnsiString& Name) const { return RequireChild(Intern(Name)); }

IXmlNode TXmlNode::ObtainChild(int NameId) {
  GetChildList();
  TXmlNode* child = FindChildById(Children(), NameId);
  if (child) return child;
  return AppendElement(NameId);
}

IXmlNode TXmlNode::ObtainChild(const AnsiString& Name) { return ObtainChild(Intern(Name)); }

void TXmlNode::ClearChildren() {
  if (TXmlNodeList* list = List()) list->Clear();
}

IXmlNodeList TXmlNode::FindChildrenByName(const AnsiString& Name) const {
  if (!IsPlainName(Name)) XmlError(kNotSupported);
  IXmlNodeList result(new TXmlNodeList(nullptr));
  const int id = Intern(Name);
  for (TXmlNode* child : Children())
    if (child->NodeType() == ELEMENT_NODE && child->NodeNameId() == id) result->Insert(child, -1);
  return result;
}

IXmlNode TXmlNode::FindChildByName(const AnsiString& Name) const {
  if (!IsPlainName(Name)) XmlError(kNotSupported);
  const int id = Intern(Name);
  for (TXmlNode* child : Children())
    if (child->NodeType() == ELEMENT_NODE && child->NodeNameId() == id) return child;
  return nullptr;
}

IXmlElement TXmlNode::FindChildByAttribute(const AnsiString& ElementName, const AnsiString& AttrName,
                                           const TVariant& Value) const {
  if (!HasChildNodes()) return nullptr;
  const int elementId = Intern(ElementName);
  const int attrId = Intern(AttrName);
  for (TXmlNode* child : Children()) {
    if (child->NodeType() != ELEMENT_NODE || child->NodeNameId() != elementId) continue;
    const TXmlAttrData* attr = child->FindAttr(attrId);
    if (attr && attr->Value == Value) return static_cast<TXmlElement*>(child);
  }
  return nullptr;
}

// ---- attributes

const TXmlAttrData* TXmlNode::FindAttr(int NameId) const {
  for (const TXmlAttrData& attr : Attributes())
    if (attr.NameId == NameId) return &attr;
  return nullptr;
}

TXmlAttrData* TXmlNode::FindAttrItem(int NameId) { return const_cast<TXmlAttrData*>(FindAttr(NameId)); }

// Appends an attribute that the node does not have yet; the array grows like the child lists.
void TXmlNode::AddAttr(int NameId, TXmlValue Value) {
  const uint32_t count = attrs_ ? attrs_->Count : 0;
  if (!attrs_ || count == attrs_->Capacity) {
    const size_t capacity = GrownCapacity(attrs_ ? attrs_->Capacity : 0);
    auto* block = static_cast<TAttrBlock*>(OwnMemory(sizeof(TAttrBlock) + capacity * sizeof(TXmlAttrData)));
    *block = {count, static_cast<uint32_t>(capacity), 1};
    if (count) std::memcpy(static_cast<void*>(block + 1), AttrItems(), count * sizeof(TXmlAttrData));
    if (attrs_ && attrs_->Owned) XmlPoolFree(attrs_, sizeof(TAttrBlock) + attrs_->Capacity * sizeof(TXmlAttrData));
    attrs_ = block;
  }
  new (AttrItems() + count) TXmlAttrData{NameId, Value};
  ++attrs_->Count;
}

void TXmlNode::ClearAttributes() {
  if (!attrs_) return;
  for (TXmlAttrData *a = AttrItems(), *e = a + attrs_->Count; a != e; ++a) a->Value.Free();
  attrs_->Count = 0;
}

int TXmlNode::AttributeNameIdAt(int Index) const {
  if (Index < 0 || Index >= AttributeCount()) XmlError(kIndexError);
  return AttrItems()[Index].NameId;
}

const AnsiString& TXmlNode::AttributeNameAt(int Index) const { return nameTable_->NameOf(AttributeNameIdAt(Index)); }

void TXmlNode::RemoveAttribute(const AnsiString& Name) { RemoveAttribute(Intern(Name)); }

void TXmlNode::RemoveAttribute(int NameId) {
  TXmlAttrData* attr = FindAttrItem(NameId);
  if (!attr) return;
  attr->Value.Free();
  TXmlAttrData* end = AttrItems() + attrs_->Count;
  std::memmove(static_cast<void*>(attr), attr + 1, static_cast<size_t>(end - attr - 1) * sizeof(TXmlAttrData));
  --attrs_->Count;
}

bool TXmlNode::HasAttribute(const AnsiString& Name) const { return HasAttribute(Intern(Name)); }

TVarType TXmlNode::AttributeType(int NameId) const {
  const TXmlAttrData* attr = FindAttr(NameId);
  return attr ? attr->Value.VarType() : varString;
}

TVarType TXmlNode::AttributeType(const AnsiString& Name) const { return AttributeType(Intern(Name)); }

TVariant TXmlNode::GetAttributeValue(int NameId, const TVariant& Default) const {
  const TXmlAttrData* attr = FindAttr(NameId);
  return attr ? attr->Value.ToVariant() : Default;
}

TVariant TXmlNode::GetAttributeValue(const AnsiString& Name, const TVariant& Default) const {
  return GetAttributeValue(Intern(Name), Default);
}

void TXmlNode::SetAttributeValue(int NameId, TVariant Value) {
  TXmlValue value = TXmlValue::Owned(Value);
  if (Arena()) Arena()->Taint();
  if (TXmlAttrData* attr = FindAttrItem(NameId)) {
    attr->Value.Free();
    attr->Value = value;
    return;
  }
  try {
    AddAttr(NameId, value);
  } catch (...) {
    value.Free();
    throw;
  }
}

void TXmlNode::SetAttributeValue(const AnsiString& Name, TVariant Value) {
  SetAttributeValue(Intern(Name), std::move(Value));
}

AnsiString TXmlNode::RequireAttribute(int NameId) const {
  const TXmlAttrData* attr = FindAttr(NameId);
  if (!attr) XmlError(kAttrNotSet, nameTable_->NameOf(NameId));
  return attr->Value.ToXmlStr();
}

AnsiString TXmlNode::RequireAttribute(const AnsiString& Name) const { return RequireAttribute(Intern(Name)); }

AnsiString TXmlNode::GetAttribute(int NameId, const AnsiString& Default) const {
  const TXmlAttrData* attr = FindAttr(NameId);
  return attr ? attr->Value.ToXmlStr() : Default;
}

AnsiString TXmlNode::GetAttribute(const AnsiString& Name, const AnsiString& Default) const {
  return GetAttribute(Intern(Name), Default);
}

void TXmlNode::SetAttribute(int NameId, const AnsiString& Value) { SetAttributeValue(NameId, TVariant(Value)); }

void TXmlNode::SetAttribute(const AnsiString& Name, const AnsiString& Value) { SetAttribute(Intern(Name), Value); }

bool TXmlNode::GetBoolAttribute(int NameId, bool Default) const {
  const TXmlAttrData* attr = FindAttr(NameId);
  return attr ? attr->Value.ToVariant().AsBoolean() : Default;
}

bool TXmlNode::GetBoolAttribute(const AnsiString& Name, bool Default) const {
  return GetBoolAttribute(Intern(Name), Default);
}

void TXmlNode::SetBoolAttribute(int NameId, bool Value) { SetAttributeValue(NameId, TVariant(Value)); }

void TXmlNode::SetBoolAttribute(const AnsiString& Name, bool Value) { SetBoolAttribute(Intern(Name), Value); }

int TXmlNode::GetIntAttribute(int NameId, int Default) const {
  const TXmlAttrData* attr = FindAttr(NameId);
  return attr ? attr->Value.ToVariant().AsInteger() : Default;
}

int TXmlNode::GetIntAttribute(const AnsiString& Name, int Default) const {
  return GetIntAttribute(Intern(Name), Default);
}

void TXmlNode::SetIntAttribute(int NameId, int Value) { SetAttributeValue(NameId, TVariant(Value)); }

void TXmlNode::SetIntAttribute(const AnsiString& Name, int Value) { SetIntAttribute(Intern(Name), Value); }

TDateTime TXmlNode::GetDateTimeAttribute(int NameId, TDateTime Default) const {
  const TXmlAttrData* attr = FindAttr(NameId);
  if (!attr) return Default;
  const TVariant value = attr->Value.ToVariant();
  if (value.IsString()) return XmlStrToDateTime(value.AsString());
  return value.AsDateTime();
}

TDateTime TXmlNode::GetDateTimeAttribute(const AnsiString& Name, TDateTime Default) const {
  return GetDateTimeAttribute(Intern(Name), Default);
}

void TXmlNode::SetDateTimeAttribute(int NameId, TDateTime Value) {
  SetAttributeValue(NameId, TVariant::FromDateTime(Value));
}

void TXmlNode::SetDateTimeAttribute(const AnsiString& Name, TDateTime Value) {
  SetDateTimeAttribute(Intern(Name), Value);
}

double TXmlNode::GetFloatAttribute(int NameId, double Default) const {
  const TXmlAttrData* attr = FindAttr(NameId);
  if (!attr) return Default;
  const TVariant value = attr->Value.ToVariant();
  if (value.IsString()) return XmlStrToFloat(value.AsString());
  return value.AsDouble();
}

double TXmlNode::GetFloatAttribute(const AnsiString& Name, double Default) const {
  return GetFloatAttribute(Intern(Name), Default);
}

void TXmlNode::SetFloatAttribute(int NameId, double Value) { SetAttributeValue(NameId, TVariant(Value)); }

void TXmlNode::SetFloatAttribute(const AnsiString& Name, double Value) { SetFloatAttribute(Intern(Name), Value); }

int TXmlNode::GetHexAttribute(const AnsiString& Name, int Default) const {
  return GetHexAttribute(Intern(Name), Default);
}

int TXmlNode::GetHexAttribute(int NameId, int Default) const {
  const TXmlAttrData* attr = FindAttr(NameId);
  return attr ? StrToInt("$" + attr->Value.ToXmlStr()) : Default;
}

void TXmlNode::SetHexAttribute(const AnsiString& Name, int Value, int Digits) {
  SetHexAttribute(Intern(Name), Value, Digits);
}

void TXmlNode::SetHexAttribute(int NameId, int Value, int Digits) { SetAttribute(NameId, IntToHex(Value, Digits)); }

int TXmlNode::GetEnumAttribute(const AnsiString& Name, const std::vector<AnsiString>& Allowed, int Default) const {
  return GetEnumAttribute(Intern(Name), Allowed, Default);
}

int TXmlNode::GetEnumAttribute(int NameId, const std::vector<AnsiString>& Allowed, int Default) const {
  const TXmlAttrData* attr = FindAttr(NameId);
  if (!attr) return Default;
  const AnsiString text = attr->Value.ToXmlStr();
  for (size_t i = 0; i < Allowed.size(); ++i)
    if (AnsiSameText(text, Allowed[i])) return static_cast<int>(i);
  AnsiString list;
  for (size_t i = 0; i < Allowed.size(); ++i) list += (i ? "\r\n" : "") + Allowed[i];
  throw EXmlError(WideFormat(kBadEnum, nameTable_->NameOf(NameId), NodeName(), list));
}

int TXmlNode::RequireEnumAttribute(const AnsiString& Name, const std::vector<AnsiString>& Allowed) const {
  return RequireEnumAttribute(Intern(Name), Allowed);
}

int TXmlNode::RequireEnumAttribute(int NameId, const std::vector<AnsiString>& Allowed) const {
  if (!FindAttr(NameId)) XmlError(kAttrNotFound, nameTable_->NameOf(NameId));
  return GetEnumAttribute(NameId, Allowed, 0);
}

// ---- paths

TVariant TXmlNode::GetPathValue(const AnsiString& Path) {
  if (Path.empty()) return NodeValue();
  if (Path[0] == '@') return GetAttributeValue(Path.substr(1), TVariant(AnsiString()));
  IXmlNode child = FindChildByName(Path);
  return child ? child->NodeValue() : TVariant(AnsiString());
}

void TXmlNode::SetPathValue(const AnsiString& Path, const TVariant& Value) {
  if (Path.empty()) return SetNodeValue(Value);
  if (Path[0] == '@') return SetAttributeValue(Path.substr(1), Value);
  IXmlNode child = FindChildByName(Path);
  if (!child) child = AppendElement(Path);
  child->SetNodeValue(Value);
}

// ---------------------------------------------------------------- elements

void TXmlElement::SetValue(TXmlValue Value) {
  value_.Free();
  value_ = Value;
  if (Arena() && !Value.IsEmpty()) Arena()->Taint();
}

TXmlNodeList* TXmlElement::GetChildList() {
  TXmlNodeList* list = TXmlNode::GetChildList();
  if (!value_.IsEmpty() && !value_.IsNull()) {
    // The text node takes the value over; one of an arena's strings is copied, as the node
    // is not of the arena.
    TXmlValue value = Arena() ? value_.Copy() : value_;
    if (Arena()) value_.Free();
    value_ = TXmlValue();
    auto* text = new TXmlText(NameTable(), TVariant());
    text->value_ = value;
    list->AppendNew(text);
  }
  return list;
}

IXmlNode TXmlElement::CloneNode(bool Deep) const {
  IXmlElement e(new TXmlElement(NameTable(), nameId_));
  CopyAttributesTo(*e);
  // The value an element holds directly is its content: a copy without it would lose data.
  e->SetValue(value_.Copy());
  if (Deep) CloneChildrenTo(*e);
  return e;
}

AnsiString TXmlElement::Text() const {
  if (HasChildNodes()) return ChildrenText();
  return value_.ToXmlStr();
}

void TXmlElement::SetText(const AnsiString& Value) {
  ClearChildren();
  SetValue(TXmlValue::Owned(std::string_view(Value)));
}

TVarType TXmlElement::DataType() const {
  if (HasChildNodes() || value_.IsEmpty()) return varString;
  return value_.VarType();
}

TVariant TXmlElement::NodeValue() const {
  if (HasChildNodes()) return TVariant(ChildrenText());
  return value_.ToVariant();
}

void TXmlElement::SetNodeValue(const TVariant& Value) {
  ClearChildren();
  SetValue(TXmlValue::Owned(Value));
}

namespace {

// Removes the text and CDATA children of an element.
void RemoveTextChildren(TXmlNodeList* list) {
  for (int i = list->Count() - 1; i >= 0; --i) {
    const int type = list->RawItem(i)->NodeType();
    if (type == TEXT_NODE || type == CDATA_SECTION_NODE) list->Delete(i);
  }
}

}  // namespace

void TXmlElement::SetCDataText(const AnsiString& Text) {
  TXmlNodeList* list = GetChildList();
  RemoveTextChildren(list);
  // "]]>" cannot stand in a section: split after its first "]".
  size_t start = 0;
  for (size_t at = Text.find("]]>"); at != AnsiString::npos; at = Text.find("]]>", at + 1)) {
    AppendCDATASection(Text.substr(start, at + 1 - start));
    start = at + 1;
  }
  AppendCDATASection(Text.substr(start));
}

void TXmlElement::SetBase64Text(const void* Bytes, int Count, int LineLength) {
  RemoveTextChildren(GetChildList());
  AppendText(Base64Encode(Bytes, Count, LineLength));
}

AnsiString TXmlElement::GetBase64Data() const { return Base64Decode(Text()); }

// ---------------------------------------------------------------- other nodes

void TXmlText::SetValue(TXmlValue Value) {
  value_.Free();
  value_ = Value;
  if (Arena()) Arena()->Taint();
}

IXmlNode TXmlText::CloneNode(bool) const {
  IXmlText t(new TXmlText(NameTable(), TVariant()));
  t->value_ = value_.Copy();
  return t;
}

AnsiString TXmlCharacterData::Text() const { return KeepsWhiteSpace() ? Data() : TrimBlanks(Data()); }

void TXmlCharacterData::SetText(const AnsiString& Value) {
  TXmlValue data = TXmlValue::Owned(std::string_view(Value));
  data_.Free();
  data_ = data;
  if (Arena()) Arena()->Taint();
}

IXmlNode TXmlCDATASection::CloneNode(bool) const { return new TXmlCDATASection(NameTable(), Data()); }

IXmlNode TXmlComment::CloneNode(bool) const { return new TXmlComment(NameTable(), Data()); }

void TXmlProcessingInstruction::SetText(const AnsiString& Value) {
  TXmlValue data = TXmlValue::Owned(std::string_view(Value));
  data_.Free();
  data_ = data;
  if (Arena()) Arena()->Taint();
}

IXmlNode TXmlProcessingInstruction::CloneNode(bool) const {
  // The declaration read from a file keeps its content in attributes.
  IXmlProcessingInstruction pi(new TXmlProcessingInstruction(NameTable(), targetId_, Text()));
  CopyAttributesTo(*pi);
  return pi;
}

// ---------------------------------------------------------------- documents

TXmlDocument::TXmlDocument(const IXmlNameTable& NameTable)
    : TXmlNode(NameTable), keepWhiteSpace_(DefaultKeepWhiteSpace) {}

IXmlNode TXmlDocument::CloneNode(bool Deep) const {
  // A copy starts as every new document does, on the default white-space rule.
  IXmlDocument doc(new TXmlDocument(NameTable()));
  if (Deep) CloneChildrenTo(*doc);
  return doc;
}

void TXmlDocument::SetText(const AnsiString& Value) {
  ClearChildren();
  GetChildList()->Insert(IXmlNode(new TXmlText(NameTable(), TVariant(Value))), 0);
}

IXmlElement TXmlDocument::DocumentElement() const {
  for (TXmlNode* child : Children())
    if (child->NodeType() == ELEMENT_NODE) return static_cast<TXmlElement*>(child);
  return nullptr;
}

void TXmlDocument::Empty() {
  ClearChildren();
  ClearAttributes();
}

IXmlElement TXmlDocument::StartDocument(const AnsiString& Version, const AnsiString& Encoding, int RootId) {
  Empty();
  const AnsiString encoding = Encoding.empty() ? DefaultEncoding : Encoding;
  AppendProcessingInstruction(nameTable_->XmlId(), "version=\"" + Version + "\" encoding=\"" + encoding + "\"");
  return AppendElement(RootId);
}

IXmlElement TXmlDocument::StartDocument(const AnsiString& Version, const AnsiString& Encoding,
                                        const AnsiString& RootName) {
  return StartDocument(Version, Encoding, Intern(RootName));
}

IXmlElement TXmlDocument::CreateElement(int NameId) { return new TXmlElement(NameTable(), NameId); }
IXmlElement TXmlDocument::CreateElement(const AnsiString& Name) { return CreateElement(Intern(Name)); }
IXmlText TXmlDocument::CreateTextNode(const AnsiString& Text) { return new TXmlText(NameTable(), TVariant(Text)); }
IXmlCDATASection TXmlDocument::CreateCDATASection(const AnsiString& Data) {
  return new TXmlCDATASection(NameTable(), Data);
}
IXmlComment TXmlDocument::CreateComment(const AnsiString& Data) { return new TXmlComment(NameTable(), Data); }
IXmlProcessingInstruction TXmlDocument::CreateProcessingInstruction(const AnsiString& Target, const AnsiString& Data) {
  return CreateProcessingInstruction(Intern(Target), Data);
}
IXmlProcessingInstruction TXmlDocument::CreateProcessingInstruction(int TargetId, const AnsiString& Data) {
  return new TXmlProcessingInstruction(NameTable(), TargetId, Data);
}

IXmlDocument CreateXmlDocument(const AnsiString& RootName, const AnsiString& Version, const AnsiString& Encoding,
                               const IXmlNameTable& NameTable) {
  IXmlDocument doc(new TXmlDocument(NameTable ? NameTable : DefaultNameTable()));
  if (!RootName.empty()) doc->StartDocument(Version, Encoding, RootName);
  return doc;
}

// ---------------------------------------------------------------- the builder of read documents

TXmlBuilder::~TXmlBuilder() {
  // Attributes of a node whose reading failed.
  for (TXmlAttrData& attr : attrs_) attr.Value.Free();
  if (arena_) {
    arena_->Unpin();
    arena_->Died();
  }
}

TXmlArena& TXmlBuilder::NewArena() {
  // The builder's own hold keeps the arena while nothing holds its nodes yet.
  arena_ = new TXmlArena(&table_);
  arena_->Born();
  arena_->Pin();
  return *arena_;
}

TXmlValue TXmlBuilder::Text(std::string_view Text) {
  if (Text.empty()) return TXmlValue::Borrowed(nullptr, 0);
  if (Text.size() > 0x3FFFFFFFu) return TXmlValue::Owned(TVariant(AnsiString(Text)));
  return TXmlValue::Borrowed(Arena().Copy(Text.data(), Text.size()), Text.size());
}

TXmlValue TXmlBuilder::Text(size_t Size, char*& Bytes) {
  // A value keeps its size in 30 bits; no input this big can be read into memory anyway.
  if (Size > 0x3FFFFFFFu) throw std::bad_alloc();
  Bytes = Arena().Reserve(Size);
  return TXmlValue::Borrowed(Bytes, Size);
}

TXmlValue TXmlBuilder::Value(const TVariant& Value) {
  if (Value.VarType() == varString) return Text(Value.AsString());
  if (!Value.IsEmpty()) Arena().Taint();
  return TXmlValue::Owned(Value);
}

TXmlElement* TXmlBuilder::Element(int NameId) { return new (Place(sizeof(TXmlElement))) TXmlElement(&Arena(), NameId); }

TXmlText* TXmlBuilder::TextNode(TXmlValue Value) { return new (Place(sizeof(TXmlText))) TXmlText(&Arena(), Value); }

TXmlCDATASection* TXmlBuilder::CDataSection(TXmlValue Data) {
  return new (Place(sizeof(TXmlCDATASection))) TXmlCDATASection(&Arena(), Data);
}

TXmlComment* TXmlBuilder::Comment(TXmlValue Data) {
  return new (Place(sizeof(TXmlComment))) TXmlComment(&Arena(), Data);
}

TXmlProcessingInstruction* TXmlBuilder::Instruction(int TargetId, TXmlValue Data) {
  return new (Place(sizeof(TXmlProcessingInstruction))) TXmlProcessingInstruction(&Arena(), TargetId, Data);
}

void TXmlBuilder::AddAttribute(int NameId, TXmlValue Value) {
  if (static_cast<size_t>(NameId) >= seen_.size()) seen_.resize(static_cast<size_t>(NameId) + 1, {0, 0});
  auto& [set, index] = seen_[static_cast<size_t>(NameId)];
  if (set == attrSet_) {
    attrs_[index].Value.Free();
    attrs_[index].Value = Value;
    return;
  }
  set = attrSet_;
  index = static_cast<uint32_t>(attrs_.size());
  attrs_.push_back({NameId, Value});
}

void TXmlBuilder::FinishAttributes(TXmlNode* Node) {
  ++attrSet_;
  if (attrs_.empty()) return;
  if (arena_ && Node->Arena() == arena_ && !Node->attrs_) {
    const size_t bytes = sizeof(TXmlNode::TAttrBlock) + attrs_.size() * sizeof(TXmlAttrData);
    auto* block = static_cast<TXmlNode::TAttrBlock*>(Place(bytes));
    *block = {static_cast<uint32_t>(attrs_.size()), static_cast<uint32_t>(attrs_.size()), 0};
    XmlCopyBytes(reinterpret_cast<char*>(block + 1), reinterpret_cast<const char*>(attrs_.data()),
                 attrs_.size() * sizeof(TXmlAttrData));
    Node->attrs_ = block;
  } else {
    // A node made elsewhere owns its values.
    for (const TXmlAttrData& attr : attrs_) Node->SetAttributeValue(attr.NameId, attr.Value.ToVariant());
    for (TXmlAttrData& attr : attrs_) attr.Value.Free();
  }
  attrs_.clear();
}

void TXmlBuilder::SetChildren(TXmlNode* Parent, TXmlNode* const* Items, size_t Count) {
  if (!Count) return;
  if (!arena_ || Parent->Arena() != arena_ || Parent->childList_) {
    TXmlNodeList* list = Parent->GetChildList();
    for (size_t i = 0; i < Count; ++i) list->AppendNew(Items[i]);
    return;
  }
  // A block of the count and the nodes; the list object is made only when it is asked for.
  auto* block = static_cast<uint32_t*>(Place(sizeof(uint32_t) + Count * sizeof(TXmlNode*)));
  *block = static_cast<uint32_t>(Count);
  XmlCopyBytes(reinterpret_cast<char*>(block + 1), reinterpret_cast<const char*>(Items), Count * sizeof(TXmlNode*));
  for (size_t i = 0; i < Count; ++i) {
    ++Items[i]->refCount_;
    Items[i]->parent_ = Parent;
  }
  Parent->childList_ = reinterpret_cast<TXmlNodeList*>(reinterpret_cast<uintptr_t>(block) | 1u);
}

// ---------------------------------------------------------------- text forms

AnsiString VarToXmlStr(const TVariant& Value) {
  switch (Value.VarType()) {
    case varNull: return "{{null}}";
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64: return IntToStr(static_cast<long long>(Value.AsInt64()));
    case varSingle:
    case varDouble: return XmlFloatToStr(Value.AsDouble());
    case varCurrency: return XmlFloatToStr(static_cast<double>(Value.AsCurrency()) / 10000.0);
    case varDate: return XmlDateTimeToStr(Value.AsDateTime());
    case varOleStr: return WideToAnsi(Value.AsWideString());
    case varBoolean: return Value.AsBoolean() ? "1" : "0";
    case varString: return Value.AsString();
    case varByteArray: {
      const auto& bytes = Value.AsBytes();
      return Base64Encode(bytes.data(), static_cast<int>(bytes.size()), 0);
    }
    default: return VarToStr(Value);
  }
}

AnsiString XmlFloatToStr(double Value) {
  AnsiString text = FloatToStr(static_cast<long double>(Value));
  const size_t at = text.find(FormatSettings.DecimalSeparator);
  if (at != AnsiString::npos) text[at] = '.';
  return text;
}

double XmlStrToFloat(const AnsiString& Text) {
  AnsiString text = Text;
  const char sep = FormatSettings.DecimalSeparator;
  size_t at = AnsiString::npos;
  if (sep == '.') {
    at = text.find(',');
  } else if (sep == ',') {
    at = text.find('.');
  } else {
    at = text.find(',');
    if (at == AnsiString::npos) at = text.find('.');
  }
  if (at != AnsiString::npos) text[at] = sep;
  return static_cast<double>(StrToFloat(text));
}

AnsiString XmlDateTimeToStr(TDateTime Value) {
  int y, mo, d, h, mi, s, ms;
  DecodeDateTime(Value, y, mo, d, h, mi, s, ms);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.4d-%.2d-%.2dT%.2d-%.2d-%.2d", y, mo, d, h, mi, s);
  return buf;
}

TDateTime XmlStrToDateTime(const AnsiString& Text) {
  // Hyphens between the time parts are our own form; the colons of the standard form are
  // read as well.
  static const char kSeparators[6] = {'-', '-', 'T', '-', '-', '-'};
  int parts[6] = {};
  size_t pos = 0;
  for (int i = 0; i < 6; ++i) {
    int value = 0;
    while (pos < Text.size() && Text[pos] >= '0' && Text[pos] <= '9') {
      value = value * 10 + (Text[pos] - '0');
      if (value > 99999) RaiseConvertError(Text, L"is not a valid date and time");
      ++pos;
    }
    parts[i] = value;
    const bool colon = (i == 3 || i == 4) && pos < Text.size() && Text[pos] == ':';
    if (pos < Text.size() && (Text[pos] == kSeparators[i] || colon))
      ++pos;
    else
      pos = Text.size();
  }
  TDateTime date = 0, time = 0;
  if (!TryEncodeDate(parts[0], parts[1], parts[2], date) || !TryEncodeTime(parts[3], parts[4], parts[5], 0, time))
    RaiseConvertError(Text, L"is not a valid date and time");
  return date >= 0 ? date + time : date - time;
}

namespace {

const char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

AnsiString Base64Encode(const void* Bytes, int Count, int LineLength) {
  const auto* p = static_cast<const unsigned char*>(Bytes);
  AnsiString out;
  out.reserve(static_cast<size_t>(std::max(Count, 0)) / 3 * 4 + 8);
  int column = 0;
  auto put = [&](char c) {
    if (LineLength > 0 && column == LineLength) {
      out += "\r\n";
      column = 0;
    }
    out += c;
    ++column;
  };
  for (int i = 0; i < Count; i += 3) {
    const uint32_t n = (uint32_t(p[i]) << 16) | (i + 1 < Count ? uint32_t(p[i + 1]) << 8 : 0) |
                       (i + 2 < Count ? uint32_t(p[i + 2]) : 0);
    put(kBase64[(n >> 18) & 63]);
    put(kBase64[(n >> 12) & 63]);
    put(i + 1 < Count ? kBase64[(n >> 6) & 63] : '=');
    put(i + 2 < Count ? kBase64[n & 63] : '=');
  }
  return out;
}

AnsiString Base64Decode(const AnsiString& Text) {
  AnsiString chars;
  chars.reserve(Text.size());
  for (char c : Text)
    if (static_cast<unsigned char>(c) > 32) chars += c;
  if (chars.size() < 4) return AnsiString();
  // Padding may only close the text; anything else outside the alphabet is an error rather
  // than silent zero bits.
  size_t end = chars.size();
  int padding = 0;
  while (end > 0 && chars[end - 1] == '=' && padding < 2) {
    --end;
    ++padding;
  }
  AnsiString out;
  out.reserve(end / 4 * 3 + 3);
  uint32_t bits = 0;
  int count = 0;
  for (size_t i = 0; i < end; ++i) {
    const int v = Base64Value(chars[i]);
    if (v < 0) XmlError(kBadBase64);
    bits = (bits << 6) | static_cast<uint32_t>(v);
    if (++count == 4) {
      out += static_cast<char>(bits >> 16);
      out += static_cast<char>(bits >> 8);
      out += static_cast<char>(bits);
      bits = 0;
      count = 0;
    }
  }
  // A short last group gives the whole bytes it holds; a single character holds none.
  if (count == 2) {
    out += static_cast<char>(bits >> 4);
  } else if (count == 3) {
    out += static_cast<char>(bits >> 10);
    out += static_cast<char>(bits >> 2);
  }
  return out;
}
