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

const char* XmlFindByte(const char* From, const char* To, char C) {
  const char* p = From;
  while (p < To && (reinterpret_cast<uintptr_t>(p) & 3u)) {
    if (*p == C) return p;
    ++p;
  }
  // A word holds C when the word XOR C in every byte has a zero byte.
  const uint32_t pattern = 0x01010101u * static_cast<unsigned char>(C);
  for (; To - p >= 4; p += 4) {
    uint32_t w;
    std::memcpy(&w, p, 4);
    w ^= pattern;
    if ((w - 0x01010101u) & ~w & 0x80808080u) break;
  }
  for (; p < To; ++p)
    if (*p == C) return p;
  return To;
}

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

// Reads into nodes of one arena. The nodes of each open element wait on a stack until its end
// tag (or an error) gives them to it in one list; texts and values are copied into the arena
// straight from the input where no reference changes them.
class TXmlParser {
 public:
  TXmlParser(TXmlSource& Source, TXmlNameTable& Table, bool KeepWhiteSpace)
      : src_(Source), builder_(Table), table_(Table), keep_(KeepWhiteSpace), classes_(CharClasses()) {}

  // Reads content into Parent until the input ends or an end tag begins ("/" current).
  void ParseContent(TXmlNode* Parent, int Depth);

 private:
  void ParseElement(int Depth);
  void ParseInstruction();
  void ParseDeclaration();
  void ReadTextRun();
  bool ReadText(TXmlToken& Token, const char* Lt, const char* Stop);
  std::string_view ReadName(TXmlToken& Token, uint32_t& Hash);
  TXmlValue ReadValue(char Quote);
  void ReadQuoted(char Quote, TXmlToken& Token);
  // Decodes the reference at "&" into Out (room for 4 bytes; the reference itself takes at
  // least 4) and gives the number of bytes.
  size_t ReadReference(char* Out);
  void ReadReference(TXmlToken& Token) {
    char bytes[4];
    Token.Add(bytes, ReadReference(bytes));
  }
  // Copies the input from the current position to At (in the current block) to Out and steps
  // over it.
  size_t Take(const char* At, char* Out) {
    const size_t n = static_cast<size_t>(At - src_.BlockStart());
    XmlCopyBytes(Out, src_.BlockStart(), n);
    src_.Skip(n);
    return n;
  }
  void ReadUntil(std::string_view Terminator, TXmlToken& Token);
  void ReadAttributes(TXmlNode* Node);
  void SkipBlanks();
  template <class F>
  void Collect(TXmlToken* Token, F Take);
  void Require(char c);
  void Require(std::string_view Text);
  bool StartsName(char c) const { return classes_[static_cast<unsigned char>(c)] & kNameStart; }
  bool NameChar(char c) const { return classes_[static_cast<unsigned char>(c)] & kNameChar; }
  void Add(TXmlNode* Node) { pending_.push_back(Node); }
  // The id of a name, from the names met last before the name table is asked.
  int Intern(std::string_view Name, uint32_t Hash) {
    TNameSlot& slot = names_[Hash & (std::size(names_) - 1)];
    if (slot.Hash == Hash && slot.Size == Name.size() && XmlSameBytes(slot.Bytes, Name.data(), Name.size()))
      return slot.Id;
    const int id = table_.InternName(Name, Hash);
    if (Name.size() <= sizeof slot.Bytes) {
      slot = {Hash, static_cast<uint32_t>(Name.size()), id, {}};
      XmlCopyBytes(slot.Bytes, Name.data(), Name.size());
    }
    return id;
  }
  // Gives Parent the nodes read since Mark.
  void Attach(TXmlNode* Parent, size_t Mark) {
    builder_.SetChildren(Parent, pending_.data() + Mark, pending_.size() - Mark);
    pending_.resize(Mark);
  }

  TXmlSource& src_;
  TXmlBuilder builder_;
  TXmlNameTable& table_;
  bool keep_;
  const uint8_t* classes_;
  TXmlToken name_, value_, text_, refName_;
  std::vector<TXmlNode*> pending_;
  // Names of up to 16 bytes by their hash; an empty slot has a size that no name has.
  struct TNameSlot {
    uint32_t Hash;
    uint32_t Size;
    int Id;
    char Bytes[16];
  };
  TNameSlot names_[512] = {};
};

void TXmlParser::ParseContent(TXmlNode* Parent, int Depth) {
  const size_t mark = pending_.size();
  try {
    while (!src_.Eof()) {
      ReadTextRun();
      if (src_.Current() != '<' || !src_.Next()) continue;
      const char c = src_.Current();
      if (c == '/') break;
      if (c == '?') {
        ParseInstruction();
      } else if (c == '!') {
        if (!src_.Next()) break;
        ParseDeclaration();
      } else {
        ParseElement(Depth + 1);
      }
    }
  } catch (...) {
    // What was read before the error stays in the document.
    Attach(Parent, mark);
    throw;
  }
  Attach(Parent, mark);
}

void TXmlParser::ParseElement(int Depth) {
  if (!XmlLevelAllowed(ELEMENT_NODE, Depth)) XmlError(kTooDeep);
  uint32_t hash;
  const std::string_view name = ReadName(name_, hash);
  if (src_.Eof()) XmlError(kUnfinishedElement);
  const char c = src_.Current();
  // A nameless element would be written back as an end tag.
  if (name.empty() || !(IsBlank(c) || c == '/' || c == '>')) XmlError(kBadNameChar);
  TXmlElement* element = builder_.Element(Intern(name, hash));
  Add(element);
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

void TXmlParser::ParseInstruction() {
  src_.Next();
  uint32_t hash;
  const std::string_view name = ReadName(name_, hash);
  if (name.empty()) XmlError(kBadNameChar);
  const int target = Intern(name, hash);
  TXmlProcessingInstruction* pi = builder_.Instruction(target, TXmlValue::Borrowed(nullptr, 0));
  Add(pi);
  if (target == table_.XmlId()) {
    ReadAttributes(pi);
    Require("?>");
  } else {
    // The data is everything after the target, its leading blanks too.
    ReadUntil("?>", value_);
    builder_.SetData(pi, builder_.Text(value_.Text()));
  }
}

void TXmlParser::ParseDeclaration() {
  const char c = src_.Current();
  if (c == '-') {
    Require("--");
    ReadUntil("-->", value_);
    Add(builder_.Comment(builder_.Text(value_.Text())));
  } else if (c == '[') {
    Require("[CDATA[");
    ReadUntil("]]>", value_);
    Add(builder_.CDataSection(builder_.Text(value_.Text())));
  } else {
    Require("DOCTYPE");
    ReadUntil(">", value_);
  }
}

// A run of text up to the next "<" or the end, references replaced. When white space is not
// kept, a run whose raw bytes are all blanks is layout and makes no node (a reference to a
// blank is content). The common run lies in one block without references and is copied once.
void TXmlParser::ReadTextRun() {
  const char* p = src_.BlockStart();
  const char* e = src_.BlockEnd();
  if (!keep_) {
    // The layout between tags: blanks up to the next "<", dropped without looking further.
    const char* q = p;
    while (q < e && IsBlank(*q)) ++q;
    if (q < e && *q == '<') {
      src_.Skip(static_cast<size_t>(q - p));
      return;
    }
  }
  const char* lt = src_.Find(p, e, '<');
  const char* amp = src_.Find(p, lt, '&');
  if (amp == lt && lt != e) {
    const std::string_view run(p, static_cast<size_t>(lt - p));
    if (keep_ || !std::all_of(run.begin(), run.end(), IsBlank)) Add(builder_.TextNode(builder_.Text(run)));
    src_.Skip(run.size());
    return;
  }
  if (lt != e) {
    // References, and the whole run in this block: decoded straight into the arena, where a
    // reference never takes more room than its text. A run with a reference is content.
    const size_t room = static_cast<size_t>(lt - p);
    char* out = builder_.Reserve(room);
    size_t n = Take(amp, out);
    while (src_.BlockStart() != lt) {
      n += ReadReference(out + n);
      n += Take(src_.Find(src_.BlockStart(), lt, '&'), out + n);
    }
    Add(builder_.TextNode(builder_.Finish(out, room, n)));
    return;
  }
  text_.Clear();
  const bool blank = ReadText(text_, lt, amp);
  if (keep_ || !blank) Add(builder_.TextNode(builder_.Text(text_.Text())));
}

// The general run, from the current position where Lt (the "<" of the current block, or its
// end) and Stop (the first "&" before Lt, or Lt) are already known: the "<" is looked for
// once per block and the references are decoded as they are met. True when the raw bytes are
// all blanks.
bool TXmlParser::ReadText(TXmlToken& Token, const char* Lt, const char* Stop) {
  bool blank = true;
  uint64_t block = src_.Block();
  const char* e = src_.BlockEnd();
  for (;;) {
    const char* p = src_.BlockStart();
    for (const char* b = p; blank && b < Stop; ++b) blank = IsBlank(*b);
    Token.Add(p, static_cast<size_t>(Stop - p));
    src_.Skip(static_cast<size_t>(Stop - p));
    if (Stop == Lt && Lt != e) return blank;
    if (Stop != Lt) {
      blank = false;
      ReadReference(Token);
    }
    if (src_.Eof()) return blank;
    if (src_.Block() != block) {
      block = src_.Block();
      e = src_.BlockEnd();
      Lt = src_.Find(src_.BlockStart(), e, '<');
    }
    Stop = src_.Find(src_.BlockStart(), Lt, '&');
  }
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

// The name at the current position, empty when none starts there, and its hash for the name
// table. It stays valid until the source steps again: straight from the block when the byte
// after it is in the block too.
std::string_view TXmlParser::ReadName(TXmlToken& Token, uint32_t& Hash) {
  Hash = 0;
  if (src_.Eof() || !StartsName(src_.Current())) return std::string_view();
  const char* p = src_.BlockStart();
  const char* e = src_.BlockEnd();
  const char* q = p;
  uint32_t h = 0;
  do {
    h = h * 33 + static_cast<unsigned char>(*q);
    ++q;
  } while (q < e && NameChar(*q));
  if (q < e) {
    src_.Skip(static_cast<size_t>(q - p));
    Hash = h;
    return std::string_view(p, static_cast<size_t>(q - p));
  }
  Token.Clear();
  Collect(&Token, [this](char c) { return NameChar(c); });
  Hash = TXmlNameTable::HashOf(Token.Text());
  return Token.Text();
}

// A quoted value (the quote current), references replaced; copied into the arena straight
// from the block when it holds the whole value and no reference.
TXmlValue TXmlParser::ReadValue(char Quote) {
  src_.Next();
  const char* p = src_.BlockStart();
  const char* e = src_.BlockEnd();
  const char* q = src_.Find(p, e, Quote);
  if (q == e) {
    ReadQuoted(Quote, value_);
    return builder_.Text(value_.Text());
  }
  auto special = [q](const char* at) {
    while (at < q && *at != '&' && *at != '<') ++at;
    return at;
  };
  const char* s = special(p);
  if (s == q) {
    TXmlValue value = builder_.Text(std::string_view(p, static_cast<size_t>(q - p)));
    src_.Skip(static_cast<size_t>(q - p) + 1);
    return value;
  }
  // The whole value in this block: decoded straight into the arena. A reference cannot reach
  // past the quote without an error, as no reference holds one.
  const size_t room = static_cast<size_t>(q - p);
  char* out = builder_.Reserve(room);
  size_t n = Take(s, out);
  while (src_.BlockStart() != q) {
    if (src_.Current() == '<') XmlError(kLessInValue);
    n += ReadReference(out + n);
    n += Take(special(src_.BlockStart()), out + n);
  }
  src_.Next();
  return builder_.Finish(out, room, n);
}

// The value from the current position to the closing quote, which it steps past.
void TXmlParser::ReadQuoted(char Quote, TXmlToken& Token) {
  Token.Clear();
  for (;;) {
    Collect(&Token, [Quote](char c) { return c != Quote && c != '&' && c != '<'; });
    if (src_.Eof()) XmlError(kExpected, AnsiString(1, Quote));
    if (src_.Current() == Quote) break;
    if (src_.Current() == '<') XmlError(kLessInValue);
    ReadReference(Token);
  }
  src_.Next();
}

size_t TXmlParser::ReadReference(char* Out) {
  if (!src_.Next()) XmlError(kRefExpected);
  if (src_.Current() != '#') {
    uint32_t hash;
    const std::string_view name = ReadName(refName_, hash);
    const char c = name == "amp"    ? '&'
                   : name == "quot" ? '"'
                   : name == "lt"   ? '<'
                   : name == "gt"   ? '>'
                   : name == "apos" ? '\''
                                    : '\0';
    Require(';');
    if (!c) XmlError(kBadRefName);
    *Out = c;
    return 1;
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
  if (code < 256) {
    *Out = static_cast<char>(code);
    return 1;
  }
  // A character beyond one byte goes through the code page ("?" where it has none), rather
  // than keeping only its low bits.
  WideString wide;
  if (code > 0xFFFF) {
    wide += static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10));
    wide += static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
  } else {
    wide += static_cast<wchar_t>(code);
  }
  // One character is at most four bytes in any code page.
  const AnsiString bytes = WideToAnsi(wide);
  const size_t n = std::min<size_t>(bytes.size(), 4);
  XmlCopyBytes(Out, bytes.data(), n);
  return n;
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
    const char* stop = q != e ? q + 1 : e;
    Token.Add(p, static_cast<size_t>(stop - p));
    src_.Skip(static_cast<size_t>(stop - p));
    if (q != e && text.size() >= Terminator.size() &&
        std::string_view(text).substr(text.size() - Terminator.size()) == Terminator) {
      text.resize(text.size() - Terminator.size());
      return;
    }
  }
}

// The builder keeps the first place of a repeated name and its last value, by the name's id:
// no search among the names before it.
void TXmlParser::ReadAttributes(TXmlNode* Node) {
  SkipBlanks();
  while (!src_.Eof() && StartsName(src_.Current())) {
    uint32_t hash;
    const std::string_view name = ReadName(name_, hash);
    const int id = Intern(name, hash);
    SkipBlanks();
    Require('=');
    SkipBlanks();
    if (src_.Eof()) XmlError(kValueExpected);
    const char quote = src_.Current();
    if (quote != '"' && quote != '\'') XmlError(kStringExpected);
    builder_.AddAttribute(id, ReadValue(quote));
    SkipBlanks();
  }
  builder_.FinishAttributes(Node);
}

void TXmlParser::SkipBlanks() {
  // Most calls meet no blank at all.
  if (src_.Eof() || !IsBlank(src_.Current())) return;
  Collect(nullptr, [](char c) { return IsBlank(c); });
}

void TXmlParser::Require(char c) {
  if (src_.Eof() || src_.Current() != c) XmlError(kExpected, AnsiString(1, c));
  src_.Next();
}

// At the first difference the message names the rest of the text from there.
void TXmlParser::Require(std::string_view Text) {
  if (static_cast<size_t>(src_.BlockEnd() - src_.BlockStart()) >= Text.size() &&
      XmlSameBytes(src_.BlockStart(), Text.data(), Text.size())) {
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
  for (TXmlNode* node : *this) out += node->Xml();
  return out;
}

void TXmlNode::WriteAttributes(AnsiString& Out) const {
  for (const TXmlAttrData& attr : Attributes()) {
    Out += ' ';
    Out += nameTable_->NameOf(attr.NameId);
    Out += "=\"";
    // Line breaks as references: the older scheme formats read their files line by line and
    // end every line with CR LF, so a lone CR or LF in a value would come back as CR LF. A TAB
    // stays as it is; the parser keeps it.
    AnsiString boxed;
    if (!attr.Value.IsText()) boxed = attr.Value.ToXmlStr();
    const std::string_view value = attr.Value.IsText() ? attr.Value.Text() : std::string_view(boxed);
    size_t start = 0;
    for (size_t i = 0; i < value.size(); ++i) {
      const char c = value[i];
      if (c != '\r' && c != '\n') continue;
      XmlEscapeTo(Out, value.substr(start, i - start));
      Out += c == '\r' ? "&#13;" : "&#10;";
      start = i + 1;
    }
    XmlEscapeTo(Out, value.substr(start));
    Out += '"';
  }
}

void TXmlNode::WriteChildren(AnsiString& Out, int Level, bool Indent) const {
  for (TXmlNode* child : Children()) child->WriteXml(Out, Level, Indent);
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
  else if (value_.IsText())
    XmlEscapeTo(Out, value_.Text());
  else
    XmlEscapeTo(Out, value_.ToXmlStr());
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
  for (TXmlNode* child : Children())
    if (child->NodeType() == TEXT_NODE || child->NodeType() == CDATA_SECTION_NODE) return true;
  return false;
}

void TXmlText::WriteXml(AnsiString& Out, int, bool) const {
  AnsiString boxed;
  if (!value_.IsText()) boxed = value_.ToXmlStr();
  const std::string_view text = value_.IsText() ? value_.Text() : std::string_view(boxed);
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
  const std::string_view data = DataView();
  size_t start = 0;
  for (size_t at = data.find("]]>"); at != std::string_view::npos; at = data.find("]]>", at + 1)) {
    Out += "<![CDATA[";
    Out += data.substr(start, at + 1 - start);
    Out += "]]>";
    start = at + 1;
  }
  Out += "<![CDATA[";
  Out += data.substr(start);
  Out += "]]>";
}

void TXmlComment::WriteXml(AnsiString& Out, int, bool) const {
  const std::string_view data = DataView();
  if (data.find("-->") != std::string_view::npos) XmlError(kCommentEnd);
  Out += "<!--";
  Out += data;
  Out += "-->";
}

void TXmlProcessingInstruction::WriteXml(AnsiString& Out, int, bool) const {
  const AnsiString& target = NodeName();
  if (target.empty()) XmlError(kBadNameChar);
  const std::string_view data = data_.Text();
  if (data.find("?>") != std::string_view::npos) XmlError(kInstructionEnd);
  Out += "<?";
  Out += target;
  if (data.empty()) {
    WriteAttributes(Out);
  } else {
    // The reader takes everything after the target as data: a blank parts them only where the
    // data would otherwise continue the target's name. Data read from a file never starts with a
    // name character, so it is written back as it was read.
    if (XmlNameChar(data.front())) Out += ' ';
    Out += data;
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
