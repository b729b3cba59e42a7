// XmlDom: the name table, node lists, nodes and their typed attributes, and the text forms of
// values. The parser and writer live in XmlParser.cpp, the binary form in XmlBinary.cpp.
#include "highlighting/XmlDom.h"

#include <algorithm>
#include <cstdio>

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

int TXmlNameTable::InternName(std::string_view Name) {
  if (Name.empty()) return -1;
  uint32_t h = 0;
  for (unsigned char c : Name) h = h * 33 + c;
  auto& bucket = buckets_[h % buckets_.size()];
  for (int32_t id : bucket)
    if (names_[static_cast<size_t>(id)] == Name) return id;
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

// ---------------------------------------------------------------- node lists

TXmlNodeList::~TXmlNodeList() {
  for (TXmlNode* node : items_) {
    if (owner_ && node->parent_ == owner_) node->parent_ = nullptr;
    node->Release();
  }
}

IXmlNode TXmlNodeList::Item(int Index) const {
  if (Index < 0 || Index >= Count()) XmlError(kIndexError);
  return items_[static_cast<size_t>(Index)];
}

int TXmlNodeList::IndexOf(const TXmlNode* Node) const {
  auto it = std::find(items_.begin(), items_.end(), Node);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TXmlNodeList::Grow() {
  if (items_.size() == items_.capacity()) items_.reserve(GrownCapacity(items_.capacity()));
}

// Takes the node from its former parent and makes it ours; refuses cycles.
void TXmlNodeList::Adopt(TXmlNode* Node) {
  if (!owner_) return;
  for (const TXmlNode* p = owner_; p; p = p->parent_)
    if (p == Node) XmlError(kNodeInItself);
  if (Node->parent_) {
    TXmlNodeList* old = Node->parent_->childList_;
    const int index = old ? old->IndexOf(Node) : -1;
    if (index >= 0) {
      IXmlNode keep(Node);
      old->Delete(index);
    }
  }
  if (Node->nameTable_ != owner_->nameTable_) Node->MoveToNameTable(owner_->nameTable_);
}

void TXmlNodeList::Disown(TXmlNode* Node) {
  if (owner_ && Node->parent_ == owner_) Node->parent_ = nullptr;
  Node->Release();
}

void TXmlNodeList::Insert(const IXmlNode& Node, int Index) {
  if (!Node) return;
  TXmlNode* node = Node.get();
  IXmlNode keep(Node);
  Adopt(node);
  if (Index < 0 || Index > Count()) Index = Count();
  Grow();
  items_.insert(items_.begin() + Index, node);
  node->AddRef();
  if (owner_) node->parent_ = owner_;
}

void TXmlNodeList::AppendNew(TXmlNode* Node) {
  Grow();
  items_.push_back(Node);
  Node->AddRef();
  Node->parent_ = owner_;
}

void TXmlNodeList::Replace(int Index, const IXmlNode& Node) {
  if (Index < 0 || Index >= Count()) XmlError(kIndexError);
  if (!Node || Node.get() == items_[static_cast<size_t>(Index)]) return;
  IXmlNode keep(Node);
  IXmlNode old(items_[static_cast<size_t>(Index)]);
  Adopt(Node.get());
  // Taking the new node out of this same list may have moved the old one.
  Index = IndexOf(old.get());
  Disown(old.get());
  items_[static_cast<size_t>(Index)] = Node.get();
  Node->AddRef();
  if (owner_) Node->parent_ = owner_;
}

void TXmlNodeList::Delete(int Index) {
  if (Index < 0 || Index >= Count()) XmlError(kIndexError);
  TXmlNode* node = items_[static_cast<size_t>(Index)];
  items_.erase(items_.begin() + Index);
  Disown(node);
}

void TXmlNodeList::Clear() {
  decltype(items_) items;
  items.swap(items_);
  for (TXmlNode* node : items) Disown(node);
}

// ---------------------------------------------------------------- nodes

TXmlNode::TXmlNode(const IXmlNameTable& NameTable) : nameTable_(NameTable ? NameTable : DefaultNameTable()) {}

TXmlNode::~TXmlNode() {
  if (childList_) {
    // A caller may still hold the list or a child: neither may point back to us.
    childList_->owner_ = nullptr;
    for (TXmlNode* child : childList_->items_)
      if (child->parent_ == this) child->parent_ = nullptr;
    childList_->Release();
  }
}

TXmlNodeList* TXmlNode::GetChildList() {
  if (!childList_) {
    childList_ = new TXmlNodeList(this);
    childList_->AddRef();
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

IXmlNode TXmlNode::ParentNode() const { return parent_; }

bool TXmlNode::HasChildNodes() const { return childList_ && childList_->Count() > 0; }

bool TXmlNode::KeepsWhiteSpace() const {
  IXmlDocument doc = OwnerDocument();
  return doc ? doc->KeepWhiteSpace() : DefaultKeepWhiteSpace;
}

AnsiString TXmlNode::ChildrenText() const {
  AnsiString text;
  if (!childList_) return text;
  for (TXmlNode* child : childList_->items_) {
    const int type = child->NodeType();
    if (type != ELEMENT_NODE && type != TEXT_NODE && type != CDATA_SECTION_NODE) continue;
    AnsiString part = child->Text();
    if (part.empty()) continue;
    if (!text.empty()) text += ' ';
    text += part;
  }
  return text;
}

void TXmlNode::CopyAttributesTo(TXmlNode& Target) const { Target.attributes_ = attributes_; }

void TXmlNode::CloneChildrenTo(TXmlNode& Target) const {
  if (!childList_) return;
  for (TXmlNode* child : childList_->items_) Target.AppendChild(child->CloneNode(true));
}

void TXmlNode::MoveToNameTable(const IXmlNameTable& Table) {
  const TXmlNameTable& old = *nameTable_;
  const int type = NodeType();
  if (type == ELEMENT_NODE || type == PROCESSING_INSTRUCTION_NODE)
    SetNodeNameId(Table->InternName(old.NameOf(NodeNameId())));
  for (auto& attr : attributes_) attr.NameId = Table->InternName(old.NameOf(attr.NameId));
  IXmlNameTable keep = nameTable_;
  nameTable_ = Table;
  if (childList_)
    for (TXmlNode* child : childList_->items_) child->MoveToNameTable(Table);
}

// ---- children

IXmlNode TXmlNode::AppendChild(const IXmlNode& Node) {
  GetChildList()->Insert(Node, -1);
  return Node;
}

IXmlNode TXmlNode::InsertBefore(const IXmlNode& Node, const IXmlNode& Reference) {
  TXmlNodeList* list = GetChildList();
  if (!Node || Node == Reference) return Node;
  IXmlNode keep = Node;
  // Taking the node out of its list first, so that the reference's index is the final one.
  list->Adopt(Node.get());
  list->Insert(Node, Reference ? list->IndexOf(Reference.get()) : -1);
  return Node;
}

IXmlNode TXmlNode::ReplaceChild(const IXmlNode& NewNode, const IXmlNode& OldNode) {
  if (!childList_ || !OldNode) return OldNode;
  const int index = childList_->IndexOf(OldNode.get());
  if (index >= 0) childList_->Replace(index, NewNode);
  return OldNode;
}

int TXmlNode::RemoveChild(const IXmlNode& Child) {
  if (!childList_ || !Child) return -1;
  const int index = childList_->IndexOf(Child.get());
  if (index >= 0) childList_->Delete(index);
  return index;
}

IXmlElement TXmlNode::AppendElement(int NameId) {
  IXmlElement e(new TXmlElement(nameTable_, NameId));
  GetChildList()->AppendNew(e.get());
  return e;
}

IXmlElement TXmlNode::AppendElement(const AnsiString& Name) { return AppendElement(Intern(Name)); }

IXmlText TXmlNode::AppendText(const AnsiString& Text) {
  IXmlText t(new TXmlText(nameTable_, TVariant(Text)));
  GetChildList()->AppendNew(t.get());
  return t;
}

IXmlCDATASection TXmlNode::AppendCDATASection(const AnsiString& Data) {
  IXmlCDATASection c(new TXmlCDATASection(nameTable_, Data));
  GetChildList()->AppendNew(c.get());
  return c;
}

IXmlComment TXmlNode::AppendComment(const AnsiString& Data) {
  IXmlComment c(new TXmlComment(nameTable_, Data));
  GetChildList()->AppendNew(c.get());
  return c;
}

IXmlProcessingInstruction TXmlNode::AppendProcessingInstruction(int TargetId, const AnsiString& Data) {
  IXmlProcessingInstruction pi(new TXmlProcessingInstruction(nameTable_, TargetId, Data));
  GetChildList()->AppendNew(pi.get());
  return pi;
}

IXmlProcessingInstruction TXmlNode::AppendProcessingInstruction(const AnsiString& Target, const AnsiString& Data) {
  return AppendProcessingInstruction(Intern(Target), Data);
}

// ---- named children

namespace {

TXmlNode* FindChildById(const TXmlNodeList* list, int id) {
  if (!list || id < 0) return nullptr;
  for (int i = 0; i < list->Count(); ++i)
    if (list->RawItem(i)->NodeNameId() == id) return list->RawItem(i);
  return nullptr;
}

}  // namespace

AnsiString TXmlNode::ReadChildText(const AnsiString& Name, const AnsiString& Default) const {
  return ReadChildText(Intern(Name), Default);
}

AnsiString TXmlNode::ReadChildText(int NameId, const AnsiString& Default) const {
  TXmlNode* child = FindChildById(childList_, NameId);
  return child ? child->Text() : Default;
}

void TXmlNode::WriteChildText(const AnsiString& Name, const AnsiString& Text) { WriteChildText(Intern(Name), Text); }

void TXmlNode::WriteChildText(int NameId, const AnsiString& Text) { ObtainChild(NameId)->SetText(Text); }

IXmlNode TXmlNode::RequireChild(int NameId) const {
  TXmlNode* child = FindChildById(childList_, NameId);
  if (!child) XmlError(kChildNotFound, nameTable_->NameOf(NameId));
  return child;
}

IXmlNode TXmlNode::RequireChild(const AnsiString& Name) const { return RequireChild(Intern(Name)); }

IXmlNode TXmlNode::ObtainChild(int NameId) {
  TXmlNode* child = FindChildById(GetChildList(), NameId);
  if (child) return child;
  return AppendElement(NameId);
}

IXmlNode TXmlNode::ObtainChild(const AnsiString& Name) { return ObtainChild(Intern(Name)); }

void TXmlNode::ClearChildren() {
  if (childList_) childList_->Clear();
}

IXmlNodeList TXmlNode::FindChildrenByName(const AnsiString& Name) const {
  if (!IsPlainName(Name)) XmlError(kNotSupported);
  IXmlNodeList result(new TXmlNodeList(nullptr));
  const int id = Intern(Name);
  if (childList_)
    for (TXmlNode* child : childList_->items_)
      if (child->NodeType() == ELEMENT_NODE && child->NodeNameId() == id) result->Insert(child, -1);
  return result;
}

IXmlNode TXmlNode::FindChildByName(const AnsiString& Name) const {
  if (!IsPlainName(Name)) XmlError(kNotSupported);
  const int id = Intern(Name);
  if (childList_)
    for (TXmlNode* child : childList_->items_)
      if (child->NodeType() == ELEMENT_NODE && child->NodeNameId() == id) return child;
  return nullptr;
}

IXmlElement TXmlNode::FindChildByAttribute(const AnsiString& ElementName, const AnsiString& AttrName,
                                           const TVariant& Value) const {
  if (!childList_) return nullptr;
  const int elementId = Intern(ElementName);
  const int attrId = Intern(AttrName);
  for (TXmlNode* child : childList_->items_) {
    if (child->NodeType() != ELEMENT_NODE || child->NodeNameId() != elementId) continue;
    const TXmlAttrData* attr = child->FindAttr(attrId);
    if (attr && attr->Value == Value) return static_cast<TXmlElement*>(child);
  }
  return nullptr;
}

// ---- attributes

const TXmlAttrData* TXmlNode::FindAttr(int NameId) const {
  for (const auto& attr : attributes_)
    if (attr.NameId == NameId) return &attr;
  return nullptr;
}

int TXmlNode::AttributeNameIdAt(int Index) const {
  if (Index < 0 || Index >= AttributeCount()) XmlError(kIndexError);
  return attributes_[static_cast<size_t>(Index)].NameId;
}

const AnsiString& TXmlNode::AttributeNameAt(int Index) const { return nameTable_->NameOf(AttributeNameIdAt(Index)); }

void TXmlNode::RemoveAttribute(const AnsiString& Name) { RemoveAttribute(Intern(Name)); }

void TXmlNode::RemoveAttribute(int NameId) {
  auto it = std::find_if(attributes_.begin(), attributes_.end(), [&](const auto& a) { return a.NameId == NameId; });
  if (it != attributes_.end()) attributes_.erase(it);
}

bool TXmlNode::HasAttribute(const AnsiString& Name) const { return HasAttribute(Intern(Name)); }

TVarType TXmlNode::AttributeType(int NameId) const {
  const TXmlAttrData* attr = FindAttr(NameId);
  return attr ? attr->Value.VarType() : varString;
}

TVarType TXmlNode::AttributeType(const AnsiString& Name) const { return AttributeType(Intern(Name)); }

TVariant TXmlNode::GetAttributeValue(int NameId, const TVariant& Default) const {
  const TXmlAttrData* attr = FindAttr(NameId);
  return attr ? attr->Value : Default;
}

TVariant TXmlNode::GetAttributeValue(const AnsiString& Name, const TVariant& Default) const {
  return GetAttributeValue(Intern(Name), Default);
}

void TXmlNode::SetAttributeValue(int NameId, TVariant Value) {
  for (auto& attr : attributes_)
    if (attr.NameId == NameId) {
      attr.Value = std::move(Value);
      return;
    }
  if (attributes_.size() == attributes_.capacity()) attributes_.reserve(GrownCapacity(attributes_.capacity()));
  attributes_.push_back({NameId, std::move(Value)});
}

void TXmlNode::SetAttributeValue(const AnsiString& Name, TVariant Value) {
  SetAttributeValue(Intern(Name), std::move(Value));
}

AnsiString TXmlNode::RequireAttribute(int NameId) const {
  const TXmlAttrData* attr = FindAttr(NameId);
  if (!attr) XmlError(kAttrNotSet, nameTable_->NameOf(NameId));
  return VarToXmlStr(attr->Value);
}

AnsiString TXmlNode::RequireAttribute(const AnsiString& Name) const { return RequireAttribute(Intern(Name)); }

AnsiString TXmlNode::GetAttribute(int NameId, const AnsiString& Default) const {
  const TXmlAttrData* attr = FindAttr(NameId);
  return attr ? VarToXmlStr(attr->Value) : Default;
}

AnsiString TXmlNode::GetAttribute(const AnsiString& Name, const AnsiString& Default) const {
  return GetAttribute(Intern(Name), Default);
}

void TXmlNode::SetAttribute(int NameId, const AnsiString& Value) { SetAttributeValue(NameId, TVariant(Value)); }

void TXmlNode::SetAttribute(const AnsiString& Name, const AnsiString& Value) { SetAttribute(Intern(Name), Value); }

bool TXmlNode::GetBoolAttribute(int NameId, bool Default) const {
  const TXmlAttrData* attr = FindAttr(NameId);
  return attr ? attr->Value.AsBoolean() : Default;
}

bool TXmlNode::GetBoolAttribute(const AnsiString& Name, bool Default) const {
  return GetBoolAttribute(Intern(Name), Default);
}

void TXmlNode::SetBoolAttribute(int NameId, bool Value) { SetAttributeValue(NameId, TVariant(Value)); }

void TXmlNode::SetBoolAttribute(const AnsiString& Name, bool Value) { SetBoolAttribute(Intern(Name), Value); }

int TXmlNode::GetIntAttribute(int NameId, int Default) const {
  const TXmlAttrData* attr = FindAttr(NameId);
  return attr ? attr->Value.AsInteger() : Default;
}

int TXmlNode::GetIntAttribute(const AnsiString& Name, int Default) const {
  return GetIntAttribute(Intern(Name), Default);
}

void TXmlNode::SetIntAttribute(int NameId, int Value) { SetAttributeValue(NameId, TVariant(Value)); }

void TXmlNode::SetIntAttribute(const AnsiString& Name, int Value) { SetIntAttribute(Intern(Name), Value); }

TDateTime TXmlNode::GetDateTimeAttribute(int NameId, TDateTime Default) const {
  const TXmlAttrData* attr = FindAttr(NameId);
  if (!attr) return Default;
  if (attr->Value.IsString()) return XmlStrToDateTime(attr->Value.AsString());
  return attr->Value.AsDateTime();
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
  if (attr->Value.IsString()) return XmlStrToFloat(attr->Value.AsString());
  return attr->Value.AsDouble();
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
  return attr ? StrToInt("$" + VarToXmlStr(attr->Value)) : Default;
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
  const AnsiString text = VarToXmlStr(attr->Value);
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

const TVariant& TXmlElement::Value() const {
  static const TVariant empty;
  return value_ ? *value_ : empty;
}

void TXmlElement::SetValue(TVariant Value) {
  if (Value.IsEmpty())
    value_.reset();
  else if (value_)
    *value_ = std::move(Value);
  else
    value_ = std::make_unique<TVariant>(std::move(Value));
}

TXmlNodeList* TXmlElement::GetChildList() {
  TXmlNodeList* list = TXmlNode::GetChildList();
  if (value_ && !value_->IsNull()) {
    std::unique_ptr<TVariant> value = std::move(value_);
    list->AppendNew(new TXmlText(nameTable_, std::move(*value)));
  }
  return list;
}

IXmlNode TXmlElement::CloneNode(bool Deep) const {
  IXmlElement e(new TXmlElement(nameTable_, nameId_));
  CopyAttributesTo(*e);
  // The value an element holds directly is its content: a copy without it would lose data.
  e->SetValue(Value());
  if (Deep) CloneChildrenTo(*e);
  return e;
}

AnsiString TXmlElement::Text() const {
  if (HasChildNodes()) return ChildrenText();
  return VarToXmlStr(Value());
}

void TXmlElement::SetText(const AnsiString& Value) {
  ClearChildren();
  SetValue(TVariant(Value));
}

TVarType TXmlElement::DataType() const {
  if (HasChildNodes() || !value_) return varString;
  return value_->VarType();
}

TVariant TXmlElement::NodeValue() const {
  if (HasChildNodes()) return TVariant(ChildrenText());
  return Value();
}

void TXmlElement::SetNodeValue(const TVariant& Value) {
  ClearChildren();
  SetValue(Value);
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

IXmlNode TXmlText::CloneNode(bool) const { return new TXmlText(nameTable_, value_); }

AnsiString TXmlText::Text() const { return VarToXmlStr(value_); }

AnsiString TXmlCharacterData::Text() const { return KeepsWhiteSpace() ? data_ : TrimBlanks(data_); }

IXmlNode TXmlCDATASection::CloneNode(bool) const { return new TXmlCDATASection(nameTable_, data_); }

IXmlNode TXmlComment::CloneNode(bool) const { return new TXmlComment(nameTable_, data_); }

IXmlNode TXmlProcessingInstruction::CloneNode(bool) const {
  // The declaration read from a file keeps its content in attributes.
  IXmlProcessingInstruction pi(new TXmlProcessingInstruction(nameTable_, targetId_, data_));
  CopyAttributesTo(*pi);
  return pi;
}

// ---------------------------------------------------------------- documents

TXmlDocument::TXmlDocument(const IXmlNameTable& NameTable)
    : TXmlNode(NameTable), keepWhiteSpace_(DefaultKeepWhiteSpace) {}

IXmlNode TXmlDocument::CloneNode(bool Deep) const {
  IXmlDocument doc(new TXmlDocument(nameTable_));
  doc->keepWhiteSpace_ = keepWhiteSpace_;
  if (Deep) CloneChildrenTo(*doc);
  return doc;
}

void TXmlDocument::SetText(const AnsiString& Value) {
  ClearChildren();
  GetChildList()->Insert(IXmlNode(new TXmlText(nameTable_, TVariant(Value))), 0);
}

IXmlElement TXmlDocument::DocumentElement() const {
  if (childList_)
    for (TXmlNode* child : childList_->items_)
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

IXmlElement TXmlDocument::CreateElement(int NameId) { return new TXmlElement(nameTable_, NameId); }
IXmlElement TXmlDocument::CreateElement(const AnsiString& Name) { return CreateElement(Intern(Name)); }
IXmlText TXmlDocument::CreateTextNode(const AnsiString& Text) { return new TXmlText(nameTable_, TVariant(Text)); }
IXmlCDATASection TXmlDocument::CreateCDATASection(const AnsiString& Data) {
  return new TXmlCDATASection(nameTable_, Data);
}
IXmlComment TXmlDocument::CreateComment(const AnsiString& Data) { return new TXmlComment(nameTable_, Data); }
IXmlProcessingInstruction TXmlDocument::CreateProcessingInstruction(const AnsiString& Target, const AnsiString& Data) {
  return CreateProcessingInstruction(Intern(Target), Data);
}
IXmlProcessingInstruction TXmlDocument::CreateProcessingInstruction(int TargetId, const AnsiString& Data) {
  return new TXmlProcessingInstruction(nameTable_, TargetId, Data);
}

IXmlDocument CreateXmlDocument(const AnsiString& RootName, const AnsiString& Version, const AnsiString& Encoding,
                               const IXmlNameTable& NameTable) {
  IXmlDocument doc(new TXmlDocument(NameTable ? NameTable : DefaultNameTable()));
  if (!RootName.empty()) doc->StartDocument(Version, Encoding, RootName);
  return doc;
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
