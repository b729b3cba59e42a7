// Binary XML: the compact integers, round trips in both string widths, detection by the
// loaders, and input that must not be trusted.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "framework/DateTime.h"
#include "framework/Streams.h"
#include "highlighting/XmlBinary.h"
#include "XmlTestSupport.h"

namespace {

const char kReadError[] = "Ошибка чтения данных.";

AnsiString Header(uint32_t options = 0) {
  return AnsiString(BinXmlSignature, BinXmlSignatureLength) + AnsiString(reinterpret_cast<char*>(&options), 4);
}

// A binary document with the fixed names plus Extra, a name table block made by Buckets (or a
// plain one) and a node block made by Nodes.
AnsiString Crafted(const std::vector<AnsiString>& Extra, const std::function<void(TBinXmlWriter&)>& Nodes,
                   const std::function<void(TBinXmlWriter&)>& Buckets = nullptr) {
  TStrXmlWriter w;
  w.Data = Header();
  std::vector<AnsiString> names = {"#text", "#cdata-section", "#comment", "#document", "xml"};
  names.insert(names.end(), Extra.begin(), Extra.end());
  w.WriteInt(static_cast<int>(names.size()));
  for (const auto& n : names) w.WriteAnsiString(n);
  if (Buckets) {
    Buckets(w);
  } else {
    w.WriteInt(4096);
    w.WriteInt(0);
  }
  Nodes(w);
  return w.Data;
}

IXmlDocument RichDocument() {
  IXmlDocument doc = CreateXmlDocument("root");
  IXmlElement root = doc->DocumentElement();
  root->SetAttributeValue("int", TVariant(-70000));
  root->SetAttributeValue("small", TVariant(static_cast<short>(-5)));
  root->SetAttributeValue("word", TVariant(static_cast<unsigned short>(65535)));
  root->SetAttributeValue("byte", TVariant(static_cast<unsigned char>(200)));
  root->SetAttributeValue("sbyte", TVariant(static_cast<signed char>(-100)));
  root->SetAttributeValue("long", TVariant(4000000000u));
  root->SetAttributeValue("int64", TVariant(-(1LL << 40)));
  root->SetAttributeValue("single", TVariant(1.25f));
  root->SetAttributeValue("double", TVariant(0.1));
  root->SetAttributeValue("cur", TVariant::FromCurrency(-125000));
  root->SetAttributeValue("date", TVariant::FromDateTime(EncodeDate(2006, 1, 2)));
  root->SetAttributeValue("bool", TVariant(true));
  root->SetAttributeValue("wide", TVariant(L"w\x439"));
  root->SetAttributeValue("null", TVariant::Null());
  root->SetAttributeValue("empty", TVariant());
  root->SetAttributeValue("bytes", TVariant(std::vector<uint8_t>{0, 1, 255}));
  root->SetAttribute("text", "caf\xE9");
  root->AppendElement("five")->SetNodeValue(TVariant(5));
  IXmlElement mixed = root->AppendElement("mixed");
  mixed->AppendText("t");
  mixed->AppendCDATASection("x<y");
  mixed->AppendComment(" note ");
  mixed->AppendProcessingInstruction("pi", "data");
  return doc;
}

}  // namespace

TEST(XmlBinary, CompactIntegers) {
  const std::pair<int32_t, AnsiString> cases[] = {
      {0, "\x00"},
      {127, "\x7F"},
      {128, "\x80\x80"},
      {300, "\x81\x2C"},
      {32511, "\xFE\xFF"},
      {32512, AnsiString("\xFF\x00\x7F\x00\x00", 5)},
      {40000, AnsiString("\xFF\x40\x9C\x00\x00", 5)},
      {-1, "\xFF\xFF\xFF\xFF\xFF"},
  };
  for (const auto& [value, bytes] : cases) {
    TStrXmlWriter w;
    w.WriteInt(value);
    EXPECT_EQ(w.Data, bytes.empty() ? AnsiString(1, '\0') : bytes) << value;
    TStrXmlReader r(w.Data);
    EXPECT_EQ(r.ReadInt(), value);
    EXPECT_EQ(r.Remaining(), 0);
  }
}

TEST(XmlBinary, FreshDocumentLayout) {
  const AnsiString bin = CreateXmlDocument("root", "1.0", "", IXmlNameTable(new TXmlNameTable))->BinaryXml();
  const AnsiString names = "\x05#text\x0E#cdata-section\x08#comment\x09#document\x03xml\x04root";
  EXPECT_EQ(bin.substr(0, 18), Header());
  EXPECT_EQ(bin.substr(18, 1 + names.size()), "\x06" + names);
}

TEST(XmlBinary, RoundTripsInBothWidths) {
  IXmlDocument doc = RichDocument();
  for (uint32_t options : {0u, 1u}) {
    TMemoryStream stream;
    doc->SaveBinaryToStream(&stream, options);
    stream.SetPosition(0);
    IXmlDocument back = CreateXmlDocument();
    back->LoadFromStream(&stream);
    EXPECT_EQ(back->Xml(), doc->Xml()) << options;
    IXmlElement root = back->DocumentElement();
    for (const char* name : {"int", "small", "word", "byte", "sbyte", "long", "int64", "single", "double", "cur",
                             "date", "bool", "wide", "null", "empty", "bytes", "text"})
      EXPECT_EQ(root->AttributeType(name), doc->DocumentElement()->AttributeType(name)) << name;
    EXPECT_TRUE(root->GetAttributeValue("int64") == doc->DocumentElement()->GetAttributeValue("int64"));
    IXmlNode five = root->FindChildByName("five");
    EXPECT_FALSE(five->HasChildNodes());
    EXPECT_EQ(five->DataType(), varInteger);
    // UTF-16 strings are what the option says.
    const bool wide =
        stream.Size() > 0 &&
        std::string_view(static_cast<char*>(stream.Memory()), stream.Size()).find(AnsiString("#\0t\0e\0x\0t\0", 10)) !=
            std::string_view::npos;
    EXPECT_EQ(wide, options == 1);
  }
}

TEST(XmlBinary, LoadersDetectTheSignature) {
  IXmlDocument doc = RichDocument();
  const AnsiString bin = doc->BinaryXml();
  IXmlDocument fromText = CreateXmlDocument();
  fromText->LoadFromText(bin);
  EXPECT_EQ(fromText->Xml(), doc->Xml());
  const std::wstring file = (std::filesystem::temp_directory_path() / L"xml_binary.bin").wstring();
  doc->SaveBinaryToFile(file, 1);
  IXmlDocument fromFile = CreateXmlDocument();
  fromFile->LoadFromFile(file);
  EXPECT_EQ(fromFile->Xml(), doc->Xml());
  std::filesystem::remove(file);
  // A stream is read from its position.
  TStringStream stream("prefix" + bin);
  stream.SetPosition(6);
  IXmlDocument fromStream = CreateXmlDocument();
  fromStream->LoadFromStream(&stream);
  EXPECT_EQ(fromStream->Xml(), doc->Xml());
}

TEST(XmlBinary, AStreamOfExactlyTheSignatureIsText) {
  // Only a longer stream can be binary: fourteen bytes are parsed as text and fail as text.
  const AnsiString signature(BinXmlSignature, BinXmlSignatureLength);
  TStringStream exact(signature);
  EXPECT_EQ(XmlErrorOf([&] { CreateXmlDocument()->LoadFromStream(&exact); }), "Некорретный символ в имени элемента");
  TStringStream longer(signature + "x");
  EXPECT_EQ(XmlErrorOf([&] { CreateXmlDocument()->LoadFromStream(&longer); }), kReadError);
  TStringStream positioned("ab" + signature);
  positioned.SetPosition(2);
  EXPECT_EQ(XmlErrorOf([&] { CreateXmlDocument()->LoadFromStream(&positioned); }),
            "Некорретный символ в имени элемента");
}

TEST(XmlBinary, ShortInputIsAReadError) {
  const AnsiString bin = RichDocument()->BinaryXml();
  for (size_t cut = BinXmlSignatureLength; cut < bin.size(); ++cut) {
    EXPECT_EQ(XmlErrorOf([&] { CreateXmlDocument()->LoadFromText(bin.substr(0, cut)); }), kReadError) << cut;
    // A stream of the signature alone is text (see above).
    if (cut == static_cast<size_t>(BinXmlSignatureLength)) continue;
    TStringStream stream(bin.substr(0, cut));
    EXPECT_EQ(XmlErrorOf([&] { CreateXmlDocument()->LoadFromStream(&stream); }), kReadError) << cut;
  }
  EXPECT_EQ(XmlErrorOf([] { CreateXmlDocument()->LoadFromBinaryText("<a/>"); }), kReadError);
}

TEST(XmlBinary, UntrustedTablesAndNodes) {
  auto noNodes = [](TBinXmlWriter& w) {
    w.WriteInt(0);
    w.WriteInt(0);
  };
  auto element = [](int nameId) {
    return [nameId](TBinXmlWriter& w) {
      w.WriteInt(0);
      w.WriteInt(1);
      w.WriteBytes("\x01", 1);
      w.WriteInt(nameId);
      w.WriteInt(0);  // empty value
      w.WriteInt(0);
      w.WriteInt(0);
    };
  };
  auto buckets = [](int count, int index, int32_t id) {
    return [=](TBinXmlWriter& w) {
      w.WriteInt(count);
      w.WriteInt(1);
      w.WriteInt(index);
      w.WriteInt(1);
      w.WriteBytes(&id, 4);
    };
  };
  const std::pair<const char*, AnsiString> cases[] = {
      {"no buckets", Crafted({}, noNodes,
                             [](TBinXmlWriter& w) {
                               w.WriteInt(0);
                               w.WriteInt(0);
                             })},
      {"bucket past the end", Crafted({}, noNodes, buckets(16, 16, 0))},
      {"negative bucket", Crafted({}, noNodes, buckets(16, -1, 0))},
      {"id past the names", Crafted({}, noNodes, buckets(16, 3, 5))},
      {"duplicate name", Crafted({"a", "a"}, noNodes)},
      {"empty name", Crafted({""}, noNodes)},
      {"element name past the names", Crafted({"a"}, element(6))},
      {"negative element name", Crafted({"a"}, element(-1))},
      {"huge attribute count", Crafted({}, [](TBinXmlWriter& w) { w.WriteInt(0x7FFFFFFF); })},
      {"huge string", Crafted({},
                              [](TBinXmlWriter& w) {
                                w.WriteInt(1);
                                w.WriteInt(4);
                                w.WriteInt(varString);
                                w.WriteInt(1 << 30);
                              })},
  };
  for (const auto& [what, bin] : cases)
    EXPECT_EQ(XmlErrorOf([&] { CreateXmlDocument()->LoadFromText(bin); }), kReadError) << what;
  EXPECT_NO_THROW(CreateXmlDocument()->LoadFromText(Crafted({"a"}, element(5), buckets(16, 3, 5))));
  const AnsiString badValue = Crafted({}, [](TBinXmlWriter& w) {
    w.WriteInt(1);
    w.WriteInt(4);
    w.WriteInt(9);
  });
  EXPECT_EQ(XmlErrorOf([&] { CreateXmlDocument()->LoadFromText(badValue); }),
            "Ошибка чтения значения: некорректный тип.");
  const AnsiString badNode = Crafted({}, [](TBinXmlWriter& w) {
    w.WriteInt(0);
    w.WriteInt(1);
    w.WriteBytes("\x02", 1);
    w.WriteInt(0);
  });
  EXPECT_EQ(XmlErrorOf([&] { CreateXmlDocument()->LoadFromText(badNode); }),
            "Ошибка чтения двоичного XML: некорректный тип узла");
  IXmlDocument doc = CreateXmlDocument("root");
  doc->DocumentElement()->AppendChild(IXmlNode(CreateXmlDocument()));
  EXPECT_EQ(XmlErrorOf([&] { doc->BinaryXml(); }), "Ошибка записи двоичного XML: некорректный тип узла");
}

TEST(XmlBinary, TheDeepestTextDocumentReadsBackFromBinary) {
  // The deepest nesting of elements the text parser takes, with every other kind of node
  // innermost: the binary reader takes it too, and refuses one element more like the parser.
  for (int depth : {XmlMaxDepth, XmlMaxDepth + 1}) {
    AnsiString text;
    for (int i = 0; i < depth; ++i) text += "<a>";
    text += "<?pi d?><!--c--><![CDATA[x]]>t";
    for (int i = 0; i < depth; ++i) text += "</a>";
    IXmlDocument doc = CreateXmlDocument();
    if (depth > XmlMaxDepth) {
      EXPECT_THROW(doc->LoadFromText(text), EXmlError);
      IXmlDocument built = CreateXmlDocument();
      IXmlNode node = built;
      for (int i = 0; i < depth; ++i) node = node->AppendElement("a");
      const AnsiString bin = built->BinaryXml();
      EXPECT_EQ(XmlErrorOf([&] { CreateXmlDocument()->LoadFromText(bin); }), kReadError);
      continue;
    }
    doc->LoadFromText(text);
    const AnsiString bin = doc->BinaryXml();
    IXmlDocument back = CreateXmlDocument();
    ASSERT_NO_THROW(back->LoadFromText(bin));
    EXPECT_EQ(back->Xml(), doc->Xml());
  }
}

TEST(XmlBinary, InstructionsCannotNestWithoutEnd) {
  // Instructions inside instructions: only the text form's one extra level is taken.
  for (int chain : {1, 2, XmlMaxDepth + 2}) {
    TStrXmlWriter w;
    w.Data = Header();
    const char* names[] = {"#text", "#cdata-section", "#comment", "#document", "xml", "pi"};
    w.WriteInt(6);
    for (const char* n : names) w.WriteAnsiString(n);
    w.WriteInt(4096);
    w.WriteInt(0);
    w.WriteInt(0);  // the document's attributes
    for (int i = 0; i < chain; ++i) {
      w.WriteInt(1);
      w.WriteBytes("\x07", 1);
      w.WriteInt(5);
      w.WriteAnsiString("d");
      w.WriteInt(0);
    }
    w.WriteInt(0);
    const std::string error = XmlErrorOf([&] { CreateXmlDocument()->LoadFromText(w.Data); });
    EXPECT_EQ(error, chain <= 2 ? "(nothing raised)" : kReadError) << chain;
  }
}

TEST(XmlBinary, NestingIsLimited) {
  for (int depth : {XmlMaxDepth, XmlMaxDepth + 1}) {
    IXmlDocument doc = CreateXmlDocument();
    IXmlNode node = doc;
    for (int i = 0; i < depth; ++i) node = node->AppendElement("a");
    const AnsiString bin = doc->BinaryXml();
    if (depth <= XmlMaxDepth)
      EXPECT_NO_THROW(CreateXmlDocument()->LoadFromText(bin));
    else
      EXPECT_EQ(XmlErrorOf([&] { CreateXmlDocument()->LoadFromText(bin); }), kReadError);
  }
}
