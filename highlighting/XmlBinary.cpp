// XmlBinary: the readers and writers of binary XML and the document operations that use them.
#include "highlighting/XmlBinary.h"

#include <algorithm>
#include <cstring>

#include "framework/CodePages.h"
#include "framework/Streams.h"

const char BinXmlSignature[] = "< binary-xml >";

namespace {

const wchar_t kReadError[] = L"Ошибка чтения данных.";
const wchar_t kValueReadType[] = L"Ошибка чтения значения: некорректный тип.";
const wchar_t kValueWriteType[] = L"Ошибка записи значения: некорректный тип.";
const wchar_t kNodeReadType[] = L"Ошибка чтения двоичного XML: некорректный тип узла";
const wchar_t kNodeWriteType[] = L"Ошибка записи двоичного XML: некорректный тип узла";

[[noreturn]] void ReadError() { XmlError(kReadError); }

}  // namespace

// ---------------------------------------------------------------- readers

void TBinXmlReader::ReadBytes(void* Buffer, int64_t Count) {
  if (Count < 0 || Count > remaining_) ReadError();
  remaining_ -= Count;
  if (Count) Read(Buffer, static_cast<int>(Count));
}

int32_t TBinXmlReader::ReadInt() {
  const uint8_t first = ReadRaw<uint8_t>();
  if (first < 0x80) return first;
  if (first == 0xFF) return ReadRaw<int32_t>();
  return ((first & 0x7F) << 8) | ReadRaw<uint8_t>();
}

int TBinXmlReader::ReadCount(int ItemSize) {
  const int32_t count = ReadInt();
  if (count < 0 || count > remaining_ / ItemSize) ReadError();
  return count;
}

AnsiString TBinXmlReader::ReadAnsiString() {
  AnsiString s(static_cast<size_t>(ReadCount(1)), '\0');
  ReadBytes(s.data(), static_cast<int64_t>(s.size()));
  return s;
}

WideString TBinXmlReader::ReadWideString() {
  const int count = ReadCount(2);
  std::vector<uint16_t> units(static_cast<size_t>(count));
  ReadBytes(units.data(), static_cast<int64_t>(count) * 2);
  return WideString(units.begin(), units.end());
}

AnsiString TBinXmlReader::ReadOptionString() {
  return (Options & BinXmlWideStrings) ? WideToAnsi(ReadWideString()) : ReadAnsiString();
}

TVariant TBinXmlReader::ReadVariant() { return ReadVariantOf(ReadInt()); }

TVariant TBinXmlReader::ReadVariantOf(int32_t Type) {
  switch (Type) {
    case varEmpty: return TVariant();
    case varNull: return TVariant::Null();
    case varSmallint: return TVariant(ReadRaw<int16_t>());
    case varBoolean: return TVariant(ReadRaw<int16_t>() != 0);
    case varWord: return TVariant(ReadRaw<uint16_t>());
    case varInteger: return TVariant(static_cast<int>(ReadRaw<int32_t>()));
    case varSingle: return TVariant(ReadRaw<float>());
    case varLongWord: return TVariant(static_cast<unsigned>(ReadRaw<uint32_t>()));
    case varDouble: return TVariant(ReadRaw<double>());
    case varCurrency: return TVariant::FromCurrency(ReadRaw<int64_t>());
    case varDate: return TVariant::FromDateTime(ReadRaw<double>());
    case varInt64: return TVariant(static_cast<long long>(ReadRaw<int64_t>()));
    case varShortInt: return TVariant(ReadRaw<int8_t>());
    case varByte: return TVariant(ReadRaw<uint8_t>());
    case varOleStr: return TVariant(ReadWideString());
    case varString: return TVariant(ReadAnsiString());
    case varByteArray: {
      std::vector<uint8_t> bytes(static_cast<size_t>(ReadCount(1)));
      ReadBytes(bytes.data(), static_cast<int64_t>(bytes.size()));
      return TVariant(bytes);
    }
    default: XmlError(kValueReadType);
  }
}

IXmlNameTable TBinXmlReader::ReadNameTable() {
  // The names are interned again in order into a table of our own, rather than taking the
  // stored buckets on trust: every name must come back with its stored id.
  IXmlNameTable table(new TXmlNameTable(4096));
  const int count = ReadCount(1);
  for (int id = 0; id < count; ++id)
    if (table->InternName(ReadOptionString()) != id) ReadError();
  const int buckets = ReadInt();
  if (buckets <= 0) ReadError();
  const int used = ReadCount(2);
  if (used > buckets) ReadError();
  for (int i = 0; i < used; ++i) {
    const int index = ReadInt();
    if (index < 0 || index >= buckets) ReadError();
    const int ids = ReadCount(4);
    for (int k = 0; k < ids; ++k) {
      const int32_t id = ReadRaw<int32_t>();
      if (id < 0 || id >= table->NameCount()) ReadError();
    }
  }
  return table;
}

int TBinXmlReader::ReadNameId() {
  const int id = ReadInt();
  if (id < 0 || id >= table_->NameCount()) ReadError();
  return id;
}

TXmlValue TBinXmlReader::ReadValue() {
  const int32_t type = ReadInt();
  if (type != varString) return builder_->Value(ReadVariantOf(type));
  char* bytes;
  const TXmlValue value = builder_->Text(static_cast<size_t>(ReadCount(1)), bytes);
  ReadBytes(bytes, static_cast<int64_t>(value.Text().size()));
  return value;
}

TXmlValue TBinXmlReader::ReadOptionText() {
  if (Options & BinXmlWideStrings) return builder_->Text(WideToAnsi(ReadWideString()));
  char* bytes;
  const TXmlValue value = builder_->Text(static_cast<size_t>(ReadCount(1)), bytes);
  ReadBytes(bytes, static_cast<int64_t>(value.Text().size()));
  return value;
}

// A node's attributes and children; the children wait until all are read and are then given
// to the node in one list (also when an error stops the reading).
void TBinXmlReader::ReadNode(TXmlNode* Node, int Depth) {
  const int attributes = ReadCount(2);
  for (int i = 0; i < attributes; ++i) {
    const int id = ReadNameId();
    builder_->AddAttribute(id, ReadValue());
  }
  builder_->FinishAttributes(Node);
  const int children = ReadCount(2);
  const size_t mark = pending_.size();
  auto attach = [&] {
    builder_->SetChildren(Node, pending_.data() + mark, pending_.size() - mark);
    pending_.resize(mark);
  };
  try {
    for (int i = 0; i < children; ++i) {
      const uint8_t type = ReadRaw<uint8_t>();
      if (!XmlLevelAllowed(type, Depth + 1)) ReadError();
      switch (type) {
        case ELEMENT_NODE: {
          TXmlElement* element = builder_->Element(ReadNameId());
          pending_.push_back(element);
          builder_->SetValue(element, ReadValue());
          ReadNode(element, Depth + 1);
          break;
        }
        case TEXT_NODE: pending_.push_back(builder_->TextNode(ReadValue())); break;
        case CDATA_SECTION_NODE: pending_.push_back(builder_->CDataSection(ReadOptionText())); break;
        case COMMENT_NODE: pending_.push_back(builder_->Comment(ReadOptionText())); break;
        case PROCESSING_INSTRUCTION_NODE: {
          TXmlProcessingInstruction* pi = builder_->Instruction(ReadNameId(), TXmlValue::Borrowed(nullptr, 0));
          pending_.push_back(pi);
          builder_->SetData(pi, ReadOptionText());
          ReadNode(pi, Depth + 1);
          break;
        }
        default: XmlError(kNodeReadType);
      }
    }
  } catch (...) {
    attach();
    throw;
  }
  attach();
}

void TBinXmlReader::ReadDocument(TXmlDocument& Document) {
  Options = ReadRaw<uint32_t>();
  IXmlNameTable table = ReadNameTable();
  Document.SetNameTable(table.get());
  table_ = table.get();
  TXmlBuilder builder(*table_);
  builder_ = &builder;
  try {
    ReadNode(&Document, 0);
  } catch (...) {
    builder_ = nullptr;
    throw;
  }
  builder_ = nullptr;
}

TStmXmlReader::TStmXmlReader(TStream* Stream)
    : TBinXmlReader(std::max<int64_t>(Stream->Size() - Stream->Position(), 0)), stream_(Stream) {}

void TStmXmlReader::Read(void* Buffer, int Count) {
  auto* out = static_cast<char*>(Buffer);
  while (Count > 0) {
    if (pos_ == buffer_.size()) {
      // Remaining() already excludes this request: what the stream still holds is the rest
      // of the request plus Remaining().
      const int64_t left = Remaining() + Count;
      if (Count >= 65536) {
        stream_->ReadBuffer(out, Count);
        return;
      }
      buffer_.resize(static_cast<size_t>(std::min<int64_t>(left, 65536)));
      stream_->ReadBuffer(buffer_.data(), static_cast<int>(buffer_.size()));
      pos_ = 0;
    }
    const int n = static_cast<int>(std::min<size_t>(static_cast<size_t>(Count), buffer_.size() - pos_));
    std::memcpy(out, buffer_.data() + pos_, static_cast<size_t>(n));
    pos_ += static_cast<size_t>(n);
    out += n;
    Count -= n;
  }
}

TStrXmlReader::TStrXmlReader(std::string_view Data, size_t Offset)
    : TBinXmlReader(static_cast<int64_t>(Data.size() - std::min(Offset, Data.size()))),
      data_(Data),
      pos_(std::min(Offset, Data.size())) {}

void TStrXmlReader::Read(void* Buffer, int Count) {
  std::memcpy(Buffer, data_.data() + pos_, static_cast<size_t>(Count));
  pos_ += static_cast<size_t>(Count);
}

// ---------------------------------------------------------------- writers

void TBinXmlWriter::WriteInt(int32_t Value) {
  if (Value >= 0 && Value < 0x80) {
    WriteRaw<uint8_t>(static_cast<uint8_t>(Value));
  } else if (Value >= 0x80 && Value <= 32511) {
    WriteRaw<uint8_t>(static_cast<uint8_t>((Value >> 8) | 0x80));
    WriteRaw<uint8_t>(static_cast<uint8_t>(Value));
  } else {
    WriteRaw<uint8_t>(0xFF);
    WriteRaw<int32_t>(Value);
  }
}

void TBinXmlWriter::WriteAnsiString(std::string_view Text) {
  WriteInt(static_cast<int32_t>(Text.size()));
  Write(Text.data(), static_cast<int>(Text.size()));
}

void TBinXmlWriter::WriteWideString(const WideString& Text) {
  WriteInt(static_cast<int32_t>(Text.size()));
  std::vector<uint16_t> units(Text.begin(), Text.end());
  Write(units.data(), static_cast<int>(units.size() * 2));
}

void TBinXmlWriter::WriteOptionString(std::string_view Text) {
  if (Options & BinXmlWideStrings)
    WriteWideString(AnsiToWide(AnsiString(Text)));
  else
    WriteAnsiString(Text);
}

void TBinXmlWriter::WriteVariant(const TVariant& Value) {
  const TVarType type = Value.VarType();
  WriteInt(type);
  switch (type) {
    case varEmpty:
    case varNull: break;
    case varSmallint:
    case varWord: WriteRaw<uint16_t>(static_cast<uint16_t>(Value.AsInt64())); break;
    case varBoolean: WriteRaw<int16_t>(Value.AsBoolean() ? -1 : 0); break;
    case varInteger:
    case varLongWord: WriteRaw<uint32_t>(static_cast<uint32_t>(Value.AsInt64())); break;
    case varSingle: WriteRaw<float>(static_cast<float>(Value.AsDouble())); break;
    case varDouble: WriteRaw<double>(Value.AsDouble()); break;
    case varCurrency: WriteRaw<int64_t>(Value.AsCurrency()); break;
    case varDate: WriteRaw<double>(Value.AsDateTime()); break;
    case varInt64: WriteRaw<int64_t>(Value.AsInt64()); break;
    case varShortInt:
    case varByte: WriteRaw<uint8_t>(static_cast<uint8_t>(Value.AsInt64())); break;
    case varOleStr: WriteWideString(Value.AsWideString()); break;
    case varString: WriteAnsiString(Value.AsString()); break;
    case varByteArray: {
      const auto& bytes = Value.AsBytes();
      WriteInt(static_cast<int32_t>(bytes.size()));
      Write(bytes.data(), static_cast<int>(bytes.size()));
      break;
    }
    default: XmlError(kValueWriteType);
  }
}

void TBinXmlWriter::WriteNameTable(const TXmlNameTable& Table) {
  WriteInt(Table.NameCount());
  for (int id = 0; id < Table.NameCount(); ++id) WriteOptionString(Table.NameOf(id));
  WriteInt(Table.BucketCount());
  int used = 0;
  for (int i = 0; i < Table.BucketCount(); ++i) used += !Table.Bucket(i).empty();
  WriteInt(used);
  for (int i = 0; i < Table.BucketCount(); ++i) {
    const auto& ids = Table.Bucket(i);
    if (ids.empty()) continue;
    WriteInt(i);
    WriteInt(static_cast<int32_t>(ids.size()));
    Write(ids.data(), static_cast<int>(ids.size() * sizeof(int32_t)));
  }
}

void TBinXmlWriter::WriteValue(const TXmlValue& Value) {
  if (!Value.IsText()) return WriteVariant(Value.ToVariant());
  WriteInt(varString);
  WriteAnsiString(Value.Text());
}

void TBinXmlWriter::WriteNode(const TXmlNode* Node) {
  WriteInt(Node->AttributeCount());
  for (const TXmlAttrData& attr : Node->Attributes()) {
    WriteInt(attr.NameId);
    WriteValue(attr.Value);
  }
  const TXmlChildren children = Node->Children();
  WriteInt(static_cast<int32_t>(children.size()));
  for (const TXmlNode* child : children) {
    const int type = child->NodeType();
    switch (type) {
      case ELEMENT_NODE: {
        WriteRaw<uint8_t>(static_cast<uint8_t>(type));
        const auto* element = static_cast<const TXmlElement*>(child);
        WriteInt(element->NodeNameId());
        if (element->HasChildNodes())
          WriteInt(varEmpty);
        else
          WriteValue(element->value_);
        WriteNode(element);
        break;
      }
      case TEXT_NODE:
        WriteRaw<uint8_t>(static_cast<uint8_t>(type));
        WriteValue(static_cast<const TXmlText*>(child)->value_);
        break;
      case CDATA_SECTION_NODE:
      case COMMENT_NODE:
        WriteRaw<uint8_t>(static_cast<uint8_t>(type));
        WriteOptionString(static_cast<const TXmlCharacterData*>(child)->DataView());
        break;
      case PROCESSING_INSTRUCTION_NODE:
        WriteRaw<uint8_t>(static_cast<uint8_t>(type));
        WriteInt(child->NodeNameId());
        WriteOptionString(child->Text());
        WriteNode(child);
        break;
      default: XmlError(kNodeWriteType);
    }
  }
}

TStmXmlWriter::~TStmXmlWriter() {
  try {
    Flush();
  } catch (...) {
    // A failure here was already reported by the explicit Flush of the owner, or the writer
    // is being left because of another error.
  }
}

void TStmXmlWriter::Flush() {
  if (buffer_.empty()) return;
  std::vector<char> data;
  data.swap(buffer_);
  buffer_.reserve(65536);
  stream_->WriteBuffer(data.data(), static_cast<int>(data.size()));
}

void TStmXmlWriter::Write(const void* Buffer, int Count) {
  if (buffer_.size() + static_cast<size_t>(Count) > 65536) {
    Flush();
    if (Count > 65536) {
      stream_->WriteBuffer(Buffer, Count);
      return;
    }
  }
  buffer_.insert(buffer_.end(), static_cast<const char*>(Buffer), static_cast<const char*>(Buffer) + Count);
}

// ---------------------------------------------------------------- documents

void LoadBinaryXml(TXmlDocument& Document, TBinXmlReader& Reader) { Reader.ReadDocument(Document); }

void SaveBinaryXml(const TXmlDocument& Document, TBinXmlWriter& Writer, uint32_t Options) {
  Writer.Options = Options;
  Writer.WriteBytes(BinXmlSignature, BinXmlSignatureLength);
  Writer.WriteBytes(&Options, sizeof Options);
  Writer.WriteNameTable(*Document.NameTable().get());
  Writer.WriteNode(&Document);
}

AnsiString TXmlDocument::BinaryXml() const {
  TStrXmlWriter writer;
  SaveBinaryXml(*this, writer, 0);
  return writer.Data;
}

void TXmlDocument::LoadFromBinaryText(const AnsiString& Text) {
  Empty();
  if (Text.compare(0, BinXmlSignatureLength, BinXmlSignature) != 0) ReadError();
  TStrXmlReader reader(Text, BinXmlSignatureLength);
  LoadBinaryXml(*this, reader);
}

void TXmlDocument::SaveBinaryToStream(TStream* Stream, uint32_t Options) const {
  TStmXmlWriter writer(Stream);
  SaveBinaryXml(*this, writer, Options);
  writer.Flush();
}

void TXmlDocument::SaveBinaryToFile(const WideString& FileName, uint32_t Options) const {
  // Built first: a document that cannot be written leaves the file as it was.
  TStrXmlWriter writer;
  SaveBinaryXml(*this, writer, Options);
  TFileStream stream(FileName, fmCreate);
  stream.WriteBuffer(writer.Data.data(), static_cast<int>(writer.Data.size()));
}
