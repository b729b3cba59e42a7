// XmlParser: XML text into the model (the parser and the document's load operations) and the
// model back into text (the nodes' Xml and the document's save operations).
#include "highlighting/XmlParser.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "framework/CodePages.h"
#include "framework/Streams.h"
#include "framework/Win.h"
#include "highlighting/XmlBinary.h"

namespace {

const wchar_t kUnfinishedElement[] = L"Не завершено определение элемента";
const wchar_t kBadNameChar[] = L"Некорретный символ в имени элемента";
const wchar_t kValueExpected[] = L"Ожидается значение атрибута";
const wchar_t kStringExpected[] = L"Ожидается строковая константа";
const wchar_t kLessInValue[] = L"Символ \"<\" не может использоваться в значениях атрибутов";
const wchar_t kExpected[] = L"Ожидается \"%s\"";
const wchar_t kRefExpected[] = L"Ожидается \"#\" или имя упрамляющего символа";
const wchar_t kBadRefName[] = L"Некорректное имя управляющего символа";
const wchar_t kNumberExpected[] = L"Ожидается число";
const wchar_t kHexExpected[] = L"Ожидается шестнадцатеричное число";
const wchar_t kBadCharCode[] = L"Некорректный код символа";
const wchar_t kTooDeep[] = L"Превышена допустимая глубина вложенности элементов XML";
const wchar_t kCommentEnd[] = L"Комментарий не может содержать \"-->\"";
const wchar_t kInstructionEnd[] = L"Инструкция обработки не может содержать \"?>\"";

enum : uint8_t { kNameStart = 1, kNameChar = 2 };

// Name classes of all 256 bytes, taken once from the system's ANSI classification so that
// no byte of a parse calls into the system.
const uint8_t* CharClasses() {
  static const auto table = [] {
    std::array<uint8_t, 256> t{};
    for (int c = 1; c < 256; ++c) {
      const bool letter = IsCharAlphaA(static_cast<CHAR>(c)) != 0;
      if (letter || c == '_') t[c] |= kNameStart | kNameChar;
      if ((c >= '0' && c <= '9') || c == '-' || c == '.' || c == ':') t[c] |= kNameChar;
    }
    return t;
  }();
  return table.data();
}

bool IsBlank(char c) { return static_cast<unsigned char>(c) - 1u < 32u; }

}  // namespace

bool XmlNameStartChar(char C) { return CharClasses()[static_cast<unsigned char>(C)] & kNameStart; }
bool XmlNameChar(char C) { return CharClasses()[static_cast<unsigned char>(C)] & kNameChar; }

// ---------------------------------------------------------------- sources

TXmlStrSource::TXmlStrSource(std::string_view Text) {
  cur_ = Text.data();
  end_ = Text.data() + Text.size();
}

TXmlStmSource::TXmlStmSource(TStream* Stream) : stream_(Stream) {
  // What is left from the position, not the whole size: the stream need not be at its start.
  remaining_ = std::max<int64_t>(Stream->Size() - Stream->Position(), 0);
  block_.resize(static_cast<size_t>(std::min<int64_t>(remaining_, 65536)));
  Refill();
}

void TXmlStmSource::Refill() {
  if (remaining_ <= 0) {
    cur_ = end_;
    return;
  }
  const int n = static_cast<int>(std::min<int64_t>(remaining_, static_cast<int64_t>(block_.size())));
  stream_->ReadBuffer(block_.data(), n);
  remaining_ -= n;
  cur_ = block_.data();
  end_ = cur_ + n;
}

// ---------------------------------------------------------------- parser

class TXmlParser {
 public:
  TXmlParser(TXmlSource& Source, TXmlNameTable& Table, bool KeepWhiteSpace)
      : src_(Source), table_(Table), keep_(KeepWhiteSpace), classes_(CharClasses()) {}

  // Reads content into Parent until the input ends or an end tag begins ("/" current).
  void ParseContent(TXmlNode* Parent, int Depth);

 private:
  void ParseElement(TXmlNode* Parent, int Depth);
  void ParseInstruction(TXmlNode* Parent);
  void ParseDeclaration(TXmlNode* Parent);
  bool ReadText(TXmlToken& Token);
  void ReadName(TXmlToken& Token);
  void ReadQuoted(char Quote, TXmlToken& Token);
  void ReadReference(TXmlToken& Token);
  void ReadUntil(std::string_view Terminator, TXmlToken& Token);
  void ReadAttributes(TXmlNode* Node);
  void SkipBlanks();
  template <class F>
  void Collect(TXmlToken* Token, F Take);
  void Require(char c);
  void Require(std::string_view Text);
  bool StartsName(char c) const { return classes_[static_cast<unsigned char>(c)] & kNameStart; }
  static void Append(TXmlNode* Parent, TXmlNode* Node) { Parent->TXmlNode::GetChildList()->AppendNew(Node); }

  TXmlSource& src_;
  TXmlNameTable& table_;
  IXmlNameTable tableRef_{&table_};
  bool keep_;
  const uint8_t* classes_;
  TXmlToken name_, value_, text_, refName_;
  TXmlAttrList attributes_;
  // Per name id: the element (by serial number) whose attributes last used it, and where.
  std::vector<std::pair<uint64_t, size_t>> seen_;
  uint64_t serial_ = 0;
};

void TXmlParser::ParseContent(TXmlNode* Parent, int Depth) {
  while (!src_.Eof()) {
    text_.Clear();
    const bool blank = ReadText(text_);
    if (keep_ || !blank) Append(Parent, new TXmlText(tableRef_, TVariant(text_.Text())));
    if (src_.Current() != '<' || !src_.Next()) continue;
    switch (src_.Current()) {
      case '/': return;
      case '?': ParseInstruction(Parent); break;
      case '!':
        if (!src_.Next()) return;
        ParseDeclaration(Parent);
        break;
      default: ParseElement(Parent, Depth + 1);
    }
  }
}

void TXmlParser::ParseElement(TXmlNode* Parent, int Depth) {
  if (!XmlLevelAllowed(ELEMENT_NODE, Depth)) XmlError(kTooDeep);
  ReadName(name_);
  if (src_.Eof()) XmlError(kUnfinishedElement);
  const char c = src_.Current();
  // A nameless element would be written back as an end tag.
  if (name_.Text().empty() || !(IsBlank(c) || c == '/' || c == '>')) XmlError(kBadNameChar);
  auto* element = new TXmlElement(tableRef_, table_.InternName(name_.Text()));
  Append(Parent, element);
  ReadAttributes(element);
  if (src_.Current() == '/') {
    Require("/>");
    return;
  }
  Require('>');
  ParseContent(element, Depth);
  Require('/');
  Require(std::string_view(element->NodeName()));
  SkipBlanks();
  Require('>');
}

void TXmlParser::ParseInstruction(TXmlNode* Parent) {
  src_.Next();
  ReadName(name_);
  if (name_.Text().empty()) XmlError(kBadNameChar);
  const int target = table_.InternName(name_.Text());
  auto* pi = new TXmlProcessingInstruction(tableRef_, target, AnsiString());
  Append(Parent, pi);
  if (target == table_.XmlId()) {
    ReadAttributes(pi);
    Require("?>");
  } else {
    // One blank parts the target from the data, as the writer puts it; further blanks are data.
    if (!src_.Eof() && IsBlank(src_.Current())) src_.Next();
    ReadUntil("?>", value_);
    pi->SetText(value_.Text());
  }
}

void TXmlParser::ParseDeclaration(TXmlNode* Parent) {
  const char c = src_.Current();
  if (c == '-') {
    Require("--");
    ReadUntil("-->", value_);
    Append(Parent, new TXmlComment(tableRef_, value_.Text()));
  } else if (c == '[') {
    Require("[CDATA[");
    ReadUntil("]]>", value_);
    Append(Parent, new TXmlCDATASection(tableRef_, value_.Text()));
  } else {
    Require("DOCTYPE");
    ReadUntil(">", value_);
  }
}

// Up to the next "<" or the end, references replaced; true when the raw bytes are all blanks
// (a reference to a blank is content, not layout). The "<" is looked for once per block and
// the references before it are decoded as they are met.
bool TXmlParser::ReadText(TXmlToken& Token) {
  bool blank = true;
  while (!src_.Eof()) {
    const uint64_t block = src_.Block();
    const char* e = src_.BlockEnd();
    const char* lt = src_.Find(src_.BlockStart(), e, '<');
    while (src_.Block() == block) {
      const char* p = src_.BlockStart();
      const char* q = src_.Find(p, lt, '&');
      for (const char* b = p; blank && b < q; ++b) blank = IsBlank(*b);
      Token.Add(p, static_cast<size_t>(q - p));
      src_.Skip(static_cast<size_t>(q - p));
      if (q == lt) {
        if (lt != e) return blank;
        break;
      }
      blank = false;
      ReadReference(Token);
    }
  }
  return blank;
}

// Takes bytes while Take holds, a block at a time, into Token (or nowhere); stops before the
// first other byte or at the end.
template <class F>
void TXmlParser::Collect(TXmlToken* Token, F Take) {
  while (!src_.Eof()) {
    const char* p = src_.BlockStart();
    const char* e = src_.BlockEnd();
    const char* q = p;
    while (q < e && Take(*q)) ++q;
    if (Token) Token->Add(p, static_cast<size_t>(q - p));
    src_.Skip(static_cast<size_t>(q - p));
    if (q < e) return;
  }
}

void TXmlParser::ReadName(TXmlToken& Token) {
  Token.Clear();
  if (src_.Eof() || !StartsName(src_.Current())) return;
  Collect(&Token, [this](char c) { return (classes_[static_cast<unsigned char>(c)] & kNameChar) != 0; });
}

void TXmlParser::ReadQuoted(char Quote, TXmlToken& Token) {
  Token.Clear();
  src_.Next();
  for (;;) {
    Collect(&Token, [Quote](char c) { return c != Quote && c != '&' && c != '<'; });
    if (src_.Eof()) XmlError(kExpected, AnsiString(1, Quote));
    if (src_.Current() == Quote) break;
    if (src_.Current() == '<') XmlError(kLessInValue);
    ReadReference(Token);
  }
  src_.Next();
}

void TXmlParser::ReadReference(TXmlToken& Token) {
  if (!src_.Next()) XmlError(kRefExpected);
  if (src_.Current() != '#') {
    ReadName(refName_);
    Require(';');
    const AnsiString& name = refName_.Text();
    if (name == "amp") return Token.Add('&');
    if (name == "quot") return Token.Add('"');
    if (name == "lt") return Token.Add('<');
    if (name == "gt") return Token.Add('>');
    if (name == "apos") return Token.Add('\'');
    XmlError(kBadRefName);
  }
  if (!src_.Next()) XmlError(kNumberExpected);
  const bool hex = src_.Current() == 'x';
  if (hex) src_.Next();
  uint32_t code = 0;
  int digits = 0;
  for (; !src_.Eof(); src_.Next()) {
    const char c = src_.Current();
    int d;
    if (c >= '0' && c <= '9')
      d = c - '0';
    else if (hex && c >= 'A' && c <= 'F')
      d = c - 'A' + 10;
    else if (hex && c >= 'a' && c <= 'f')
      d = c - 'a' + 10;
    else
      break;
    code = code * (hex ? 16 : 10) + static_cast<uint32_t>(d);
    // Checked as we go, so that no digit run can overflow.
    if (code > 0x10FFFF) XmlError(kBadCharCode);
    ++digits;
  }
  if (!digits) XmlError(hex ? kHexExpected : kNumberExpected);
  Require(';');
  if (code == 0 || (code >= 0xD800 && code <= 0xDFFF)) XmlError(kBadCharCode);
  if (code < 256) return Token.Add(static_cast<char>(code));
  // A character beyond one byte goes through the code page ("?" where it has none), rather
  // than keeping only its low bits.
  WideString wide;
  if (code > 0xFFFF) {
    wide += static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10));
    wide += static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
  } else {
    wide += static_cast<wchar_t>(code);
  }
  const AnsiString bytes = WideToAnsi(wide);
  Token.Add(bytes.data(), bytes.size());
}

void TXmlParser::ReadUntil(std::string_view Terminator, TXmlToken& Token) {
  Token.Clear();
  const char last = Terminator.back();
  AnsiString& text = Token.Buffer();
  for (;;) {
    if (src_.Eof()) XmlError(kExpected, AnsiString(Terminator));
    const char* p = src_.BlockStart();
    const char* e = src_.BlockEnd();
    const char* q = src_.Find(p, e, last);
    if (q == e) q = nullptr;
    const char* stop = q ? q + 1 : e;
    Token.Add(p, static_cast<size_t>(stop - p));
    src_.Skip(static_cast<size_t>(stop - p));
    if (q && text.size() >= Terminator.size() &&
        std::string_view(text).substr(text.size() - Terminator.size()) == Terminator) {
      text.resize(text.size() - Terminator.size());
      return;
    }
  }
}

// Collected apart first, so that the node's array gets exactly the size it needs. A repeated
// name is found by its id's slot, not by a search of the names before it.
void TXmlParser::ReadAttributes(TXmlNode* Node) {
  attributes_.clear();
  ++serial_;
  SkipBlanks();
  while (!src_.Eof() && StartsName(src_.Current())) {
    ReadName(name_);
    const int id = table_.InternName(name_.Text());
    SkipBlanks();
    Require('=');
    SkipBlanks();
    if (src_.Eof()) XmlError(kValueExpected);
    const char quote = src_.Current();
    if (quote != '"' && quote != '\'') XmlError(kStringExpected);
    ReadQuoted(quote, value_);
    if (static_cast<size_t>(id) >= seen_.size()) seen_.resize(static_cast<size_t>(id) + 1, {0, 0});
    auto& [serial, index] = seen_[static_cast<size_t>(id)];
    if (serial == serial_) {
      attributes_[index].Value = TVariant(value_.Text());
    } else {
      serial = serial_;
      index = attributes_.size();
      attributes_.push_back({id, TVariant(value_.Text())});
    }
    SkipBlanks();
  }
  if (attributes_.empty()) return;
  Node->attributes_.reserve(Node->attributes_.size() + attributes_.size());
  for (auto& attr : attributes_) Node->attributes_.push_back(std::move(attr));
}

void TXmlParser::SkipBlanks() {
  Collect(nullptr, [](char c) { return IsBlank(c); });
}

void TXmlParser::Require(char c) {
  if (src_.Eof() || src_.Current() != c) XmlError(kExpected, AnsiString(1, c));
  src_.Next();
}

// At the first difference the message names the rest of the text from there.
void TXmlParser::Require(std::string_view Text) {
  if (static_cast<size_t>(src_.BlockEnd() - src_.BlockStart()) >= Text.size() &&
      std::memcmp(src_.BlockStart(), Text.data(), Text.size()) == 0) {
    src_.Skip(Text.size());
    return;
  }
  for (size_t i = 0; i < Text.size(); ++i) {
    if (src_.Eof() || src_.Current() != Text[i]) XmlError(kExpected, AnsiString(Text.substr(i)));
    src_.Next();
  }
}

void ParseChildren(TXmlNode* Parent, TXmlSource& Source, bool KeepWhiteSpace) {
  TXmlParser parser(Source, *Parent->NameTable().get(), KeepWhiteSpace);
  parser.ParseContent(Parent, 0);
}

// ---------------------------------------------------------------- writer

void XmlEscapeTo(AnsiString& Out, std::string_view Text) {
  size_t start = 0;
  for (size_t i = 0; i < Text.size(); ++i) {
    const char* ref;
    switch (Text[i]) {
      case '"': ref = "&quot;"; break;
      case '&': ref = "&amp;"; break;
      case '<': ref = "&lt;"; break;
      case '>': ref = "&gt;"; break;
      default: continue;
    }
    Out.append(Text.data() + start, i - start);
    Out += ref;
    start = i + 1;
  }
  Out.append(Text.data() + start, Text.size() - start);
}

AnsiString XmlEscape(std::string_view Text) {
  AnsiString out;
  XmlEscapeTo(out, Text);
  return out;
}

namespace {

void Indentation(AnsiString& Out, int Level) {
  for (int i = 0; i < Level; ++i) Out += XmlIndent;
}

}  // namespace

AnsiString TXmlNodeList::Xml() const {
  AnsiString out;
  for (TXmlNode* node : items_) out += node->Xml();
  return out;
}

void TXmlNode::WriteAttributes(AnsiString& Out) const {
  for (const auto& attr : attributes_) {
    Out += ' ';
    Out += nameTable_->NameOf(attr.NameId);
    Out += "=\"";
    // Line breaks and TABs as references, so that a value stays on one line of the file;
    // the parser reads them back unchanged.
    const AnsiString value = VarToXmlStr(attr.Value);
    size_t start = 0;
    for (size_t i = 0; i < value.size(); ++i) {
      const char c = value[i];
      if (c != '\r' && c != '\n' && c != '\t') continue;
      XmlEscapeTo(Out, std::string_view(value).substr(start, i - start));
      Out += c == '\r' ? "&#13;" : c == '\n' ? "&#10;" : "&#9;";
      start = i + 1;
    }
    XmlEscapeTo(Out, std::string_view(value).substr(start));
    Out += '"';
  }
}

void TXmlNode::WriteChildren(AnsiString& Out, int Level, bool Indent) const {
  if (!childList_) return;
  for (TXmlNode* child : childList_->items_) child->WriteXml(Out, Level, Indent);
}

void TXmlElement::WriteXml(AnsiString& Out, int Level, bool Indent) const {
  const AnsiString& name = NodeName();
  if (name.empty()) XmlError(kBadNameChar);
  if (Indent) {
    Out += "\r\n";
    Indentation(Out, Level);
  }
  Out += '<';
  Out += name;
  WriteAttributes(Out);
  const size_t open = Out.size();
  Out += '>';
  // Text keeps its bytes: no break or indentation is added in or around it, or every save
  // and load would grow it.
  const bool textContent = !HasChildNodes() || HasTextChild();
  if (HasChildNodes())
    WriteChildren(Out, Level + 1, Indent && !textContent);
  else
    XmlEscapeTo(Out, VarToXmlStr(Value()));
  if (Out.size() == open + 1) {
    Out[open] = '/';
    Out += '>';
    return;
  }
  if (Indent && !textContent) {
    const std::string_view content = std::string_view(Out).substr(open + 1);
    if (content.find_first_of("\r\n") != std::string_view::npos) {
      if (content.size() < 2 || content.substr(content.size() - 2) != "\r\n") Out += "\r\n";
      Indentation(Out, Level);
    }
  }
  Out += "</";
  Out += name;
  Out += '>';
}

bool TXmlNode::HasTextChild() const {
  if (childList_)
    for (TXmlNode* child : childList_->items_)
      if (child->NodeType() == TEXT_NODE || child->NodeType() == CDATA_SECTION_NODE) return true;
  return false;
}

void TXmlText::WriteXml(AnsiString& Out, int, bool) const {
  const AnsiString text = VarToXmlStr(value_);
  // The parser drops runs of raw blanks as layout; blanks that are the whole text are
  // written as references so that they read back.
  if (!text.empty() && std::all_of(text.begin(), text.end(), IsBlank) && !KeepsWhiteSpace()) {
    for (char c : text) Out += "&#" + std::to_string(static_cast<unsigned char>(c)) + ";";
    return;
  }
  XmlEscapeTo(Out, text);
}

void TXmlCDATASection::WriteXml(AnsiString& Out, int, bool) const {
  // "]]>" would end the section: it is split after its first "]".
  size_t start = 0;
  for (size_t at = data_.find("]]>"); at != AnsiString::npos; at = data_.find("]]>", at + 1)) {
    Out += "<![CDATA[";
    Out.append(data_, start, at + 1 - start);
    Out += "]]>";
    start = at + 1;
  }
  Out += "<![CDATA[";
  Out.append(data_, start, AnsiString::npos);
  Out += "]]>";
}

void TXmlComment::WriteXml(AnsiString& Out, int, bool) const {
  if (data_.find("-->") != AnsiString::npos) XmlError(kCommentEnd);
  Out += "<!--";
  Out += data_;
  Out += "-->";
}

void TXmlProcessingInstruction::WriteXml(AnsiString& Out, int, bool) const {
  const AnsiString& target = NodeName();
  if (target.empty()) XmlError(kBadNameChar);
  if (data_.find("?>") != AnsiString::npos) XmlError(kInstructionEnd);
  Out += "<?";
  Out += target;
  if (data_.empty()) {
    WriteAttributes(Out);
  } else {
    // The reader takes this one blank as the separator, whatever the data starts with.
    Out += ' ';
    Out += data_;
  }
  Out += "?>";
}

void TXmlDocument::WriteXml(AnsiString& Out, int Level, bool Indent) const {
  WriteChildren(Out, Level, Indent && !HasTextChild());
}

// ---------------------------------------------------------------- documents

void TXmlDocument::LoadFromText(const AnsiString& Text) {
  if (Text.compare(0, BinXmlSignatureLength, BinXmlSignature) == 0) return LoadFromBinaryText(Text);
  Empty();
  TXmlStrSource source(Text);
  ParseChildren(this, source, keepWhiteSpace_);
}

void TXmlDocument::LoadFromStream(TStream* Stream) {
  Empty();
  // Only a stream longer than the signature can be binary; one of exactly its length is text.
  if (Stream->Size() - Stream->Position() > BinXmlSignatureLength) {
    char head[BinXmlSignatureLength];
    Stream->ReadBuffer(head, BinXmlSignatureLength);
    if (std::memcmp(head, BinXmlSignature, BinXmlSignatureLength) == 0) {
      TStmXmlReader reader(Stream);
      return LoadBinaryXml(*this, reader);
    }
    Stream->Seek(-BinXmlSignatureLength, soCurrent);
  }
  TXmlStmSource source(Stream);
  ParseChildren(this, source, keepWhiteSpace_);
}

void TXmlDocument::LoadFromFile(const WideString& FileName) {
  TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream);
}

void TXmlDocument::LoadFromResource(const wchar_t* ResType, const wchar_t* ResName) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC res = FindResourceW(module, ResName, ResType);
  if (!res) return;
  HGLOBAL data = LoadResource(module, res);
  const DWORD size = data ? SizeofResource(module, res) : 0;
  const void* bytes = size ? LockResource(data) : nullptr;
  if (!bytes) return;
  LoadFromText(AnsiString(static_cast<const char*>(bytes), size));
}

void TXmlDocument::SaveToStream(TStream* Stream) const {
  const AnsiString text = Xml();
  Stream->WriteBuffer(text.data(), static_cast<int>(text.size()));
}

void TXmlDocument::SaveToFile(const WideString& FileName) const {
  // The text first: a document that cannot be written leaves the file as it was.
  const AnsiString text = Xml();
  TFileStream stream(FileName, fmCreate);
  stream.WriteBuffer(text.data(), static_cast<int>(text.size()));
}
