// XmlBinary: a compact binary form of a whole document with its name table. Readers trust
// nothing they read: every count, index and id is checked before it is used.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "highlighting/XmlDom.h"

class TStream;

// The 14 bytes that begin binary XML: "< binary-xml >".
extern const char BinXmlSignature[];
constexpr int BinXmlSignatureLength = 14;
// Options bit 0: strings of the name table, CDATA sections, comments and processing
// instructions are stored as UTF-16.
constexpr uint32_t BinXmlWideStrings = 1;

class TBinXmlReader {
 public:
  explicit TBinXmlReader(int64_t Available) : remaining_(Available) {}
  TBinXmlReader(const TBinXmlReader&) = delete;
  TBinXmlReader& operator=(const TBinXmlReader&) = delete;
  virtual ~TBinXmlReader() = default;

  // Raise "Ошибка чтения данных." when fewer bytes remain than asked for.
  void ReadBytes(void* Buffer, int64_t Count);
  int32_t ReadInt();  // the compact form
  AnsiString ReadAnsiString();
  WideString ReadWideString();
  AnsiString ReadOptionString();  // by the options
  TVariant ReadVariant();
  IXmlNameTable ReadNameTable();
  void ReadNode(TXmlNode* Node, int Depth);
  // Options, name table and nodes, into an emptied document that gets the new table.
  void ReadDocument(TXmlDocument& Document);
  int64_t Remaining() const { return remaining_; }

  uint32_t Options = 0;

 protected:
  virtual void Read(void* Buffer, int Count) = 0;

 private:
  // A count of items that each take at least ItemSize bytes.
  int ReadCount(int ItemSize);
  int ReadNameId();
  template <class T>
  T ReadRaw() {
    T v;
    ReadBytes(&v, sizeof v);
    return v;
  }

  // A value of a node being read: strings go straight into its document's arena.
  TXmlValue ReadValue();
  TXmlValue ReadOptionText();

  TVariant ReadVariantOf(int32_t Type);

  int64_t remaining_;
  TXmlNameTable* table_ = nullptr;
  TXmlBuilder* builder_ = nullptr;
  std::vector<TXmlNode*> pending_;
};

// Reads a stream from its position to its end through a 64 KiB buffer.
class TStmXmlReader : public TBinXmlReader {
 public:
  explicit TStmXmlReader(TStream* Stream);

 protected:
  void Read(void* Buffer, int Count) override;

 private:
  TStream* stream_;
  std::vector<char> buffer_;
  size_t pos_ = 0;
};

// Reads a string from an offset; the string must outlive the reader.
class TStrXmlReader : public TBinXmlReader {
 public:
  TStrXmlReader(std::string_view Data, size_t Offset = 0);

 protected:
  void Read(void* Buffer, int Count) override;

 private:
  std::string_view data_;
  size_t pos_;
};

class TBinXmlWriter {
 public:
  TBinXmlWriter() = default;
  TBinXmlWriter(const TBinXmlWriter&) = delete;
  TBinXmlWriter& operator=(const TBinXmlWriter&) = delete;
  virtual ~TBinXmlWriter() = default;

  void WriteBytes(const void* Buffer, int Count) { Write(Buffer, Count); }
  void WriteInt(int32_t Value);  // the compact form
  void WriteAnsiString(std::string_view Text);
  void WriteWideString(const WideString& Text);
  void WriteOptionString(std::string_view Text);
  void WriteVariant(const TVariant& Value);
  void WriteNameTable(const TXmlNameTable& Table);
  void WriteNode(const TXmlNode* Node);
  void WriteValue(const TXmlValue& Value);

  uint32_t Options = 0;

 protected:
  virtual void Write(const void* Buffer, int Count) = 0;

 private:
  template <class T>
  void WriteRaw(T V) {
    Write(&V, sizeof V);
  }
};

// Writes to a stream through a 64 KiB buffer; Flush (or the destructor) writes what is left.
class TStmXmlWriter : public TBinXmlWriter {
 public:
  explicit TStmXmlWriter(TStream* Stream) : stream_(Stream) { buffer_.reserve(65536); }
  ~TStmXmlWriter() override;
  void Flush();

 protected:
  void Write(const void* Buffer, int Count) override;

 private:
  TStream* stream_;
  std::vector<char> buffer_;
};

class TStrXmlWriter : public TBinXmlWriter {
 public:
  AnsiString Data;

 protected:
  void Write(const void* Buffer, int Count) override { Data.append(static_cast<const char*>(Buffer), Count); }
};

// Reads options, name table and nodes (the signature already read) into an emptied document,
// which gets the new name table.
void LoadBinaryXml(TXmlDocument& Document, TBinXmlReader& Reader);
// Writes the signature, the options, the name table and the nodes.
void SaveBinaryXml(const TXmlDocument& Document, TBinXmlWriter& Writer, uint32_t Options);
