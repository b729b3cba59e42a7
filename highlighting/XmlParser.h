// XmlParser: a strict single-byte parser that reads XML text into the XmlDom model, and the
// escaping the writer shares. The writer itself is the nodes' Xml.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "highlighting/XmlDom.h"

class TStream;

// The first C in [From, To), or To; four bytes at a time.
const char* XmlFindByte(const char* From, const char* To, char C);

// The input of the parser: the current byte (0 after the end) and a step to the next one.
// Blocks are scanned directly where the parser can take whole runs at once.
class TXmlSource {
 public:
  TXmlSource() = default;
  TXmlSource(const TXmlSource&) = delete;
  TXmlSource& operator=(const TXmlSource&) = delete;
  virtual ~TXmlSource() = default;

  bool Eof() const { return cur_ == end_; }
  char Current() const { return cur_ != end_ ? *cur_ : '\0'; }
  // Steps one byte; false at the end.
  bool Next() {
    if (++cur_ == end_) NextBlock();
    return cur_ != end_;
  }
  // The unread rest of the current block.
  const char* BlockStart() const { return cur_; }
  const char* BlockEnd() const { return end_; }
  // Steps over Count bytes of the current block.
  void Skip(size_t Count) {
    cur_ += Count;
    if (cur_ == end_) NextBlock();
  }
  // Counts the blocks taken, so that a position found ahead in a block is known to still hold.
  uint64_t Block() const { return block_; }
  // The first C in [From, To) of the current block, or To; every look-ahead of the parser goes
  // through here, so that Examined tells how much reading ahead a parse cost.
  const char* Find(const char* From, const char* To, char C) {
    const char* at = XmlFindByte(From, To, C);
    examined_ += static_cast<uint64_t>((at != To ? at + 1 : To) - From);
    return at;
  }
  // The bytes looked at ahead of the reading position so far.
  uint64_t Examined() const { return examined_; }

 protected:
  // Makes the next block current, or leaves the source at its end.
  virtual void Refill() {}

 private:
  void NextBlock() {
    ++block_;
    Refill();
  }

 protected:
  const char* cur_ = nullptr;
  const char* end_ = nullptr;
  uint64_t examined_ = 0;
  uint64_t block_ = 0;
};

// Reads a string from its first byte; the string must outlive the source.
class TXmlStrSource : public TXmlSource {
 public:
  explicit TXmlStrSource(std::string_view Text);
};

// Reads a stream from its position to its end in blocks of 64 KiB.
class TXmlStmSource : public TXmlSource {
 public:
  explicit TXmlStmSource(TStream* Stream);

 protected:
  void Refill() override;

 private:
  TStream* stream_;
  int64_t remaining_;
  std::vector<char> block_;
};

// A growable byte buffer, reused for every name, value and text run of a parse.
class TXmlToken {
 public:
  TXmlToken() { text_.reserve(32); }
  void Clear() { text_.clear(); }
  void Add(char C) { text_ += C; }
  void Add(const char* P, size_t N) { text_.append(P, N); }
  const AnsiString& Text() const { return text_; }
  AnsiString& Buffer() { return text_; }

 private:
  AnsiString text_;
};

// Parses the source into the child list of Parent, on Parent's name table.
void ParseChildren(TXmlNode* Parent, TXmlSource& Source, bool KeepWhiteSpace);

// Quotation mark, "&", "<" and ">" as references; every other byte as it is.
AnsiString XmlEscape(std::string_view Text);
void XmlEscapeTo(AnsiString& Out, std::string_view Text);

// Name characters: letters of the ANSI code page and "_" start a name; digits, "-", "." and
// ":" may follow.
bool XmlNameStartChar(char C);
bool XmlNameChar(char C);
