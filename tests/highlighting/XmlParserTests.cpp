// The text parser and writer: valid and malformed input, references, layout, files and streams.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "framework/CodePages.h"
#include "framework/Streams.h"
#include "highlighting/XmlParser.h"
#include "XmlTestSupport.h"

namespace {

const char kBadName[] = "Некорретный символ в имени элемента";
const char kBadCode[] = "Некорректный код символа";

AnsiString Nested(int depth) {
  AnsiString s;
  for (int i = 0; i < depth; ++i) s += "<a>";
  for (int i = 0; i < depth; ++i) s += "</a>";
  return s;
}

AnsiString TextOf(const AnsiString& xml) { return ParsedXml("<a>" + xml + "</a>")->DocumentElement()->Text(); }

// Serves its text in blocks of a few bytes through one buffer, as a stream does, so that every
// token meets a block boundary and nothing may hold on to an earlier block.
class TSmallBlockSource : public TXmlSource {
 public:
  TSmallBlockSource(const AnsiString& text, size_t block) : text_(text), buffer_(block, '\0') { Refill(); }

 protected:
  void Refill() override {
    const size_t n = std::min(buffer_.size(), text_.size() - pos_);
    text_.copy(buffer_.data(), n, pos_);
    cur_ = buffer_.data();
    end_ = cur_ + n;
    pos_ += n;
  }

 private:
  const AnsiString& text_;
  AnsiString buffer_;
  size_t pos_ = 0;
};

std::wstring TempFile(const wchar_t* name) { return (std::filesystem::temp_directory_path() / name).wstring(); }

// The bytes a parse of Text looked at ahead of its reading position, per byte of the text.
double ExaminedPerByte(const AnsiString& Text) {
  IXmlDocument doc = CreateXmlDocument();
  TXmlStrSource source(Text);
  ParseChildren(doc.get(), source, false);
  return static_cast<double>(source.Examined()) / static_cast<double>(Text.size());
}

// An element whose text is almost all references, about Bytes long.
AnsiString ReferenceHeavy(size_t Bytes) {
  AnsiString s = "<a>";
  while (s.size() < Bytes) s += "&amp;x&#65;&lt;&#x42;y&gt;";
  return s + "</a>";
}

}  // namespace

TEST(XmlParser, ElementsAttributesAndText) {
  IXmlDocument doc = ParsedXml("<a x='1' y='&lt;&#65;&#x42;'>t&amp;u</a>");
  IXmlElement a = doc->DocumentElement();
  EXPECT_EQ(a->NodeName(), "a");
  EXPECT_EQ(a->GetAttribute("x"), "1");
  EXPECT_EQ(a->GetAttribute("y"), "<AB");
  ASSERT_EQ(a->ChildNodes()->Count(), 1);
  EXPECT_EQ(a->ChildNodes()->Item(0)->NodeType(), TEXT_NODE);
  EXPECT_EQ(a->Text(), "t&u");
  EXPECT_EQ(doc->Xml(), "\r\n<a x=\"1\" y=\"&lt;AB\">t&amp;u</a>");
}

TEST(XmlParser, MalformedInputNamesWhatIsExpected) {
  const std::pair<const char*, std::string> cases[] = {
      {"<a>", "Ожидается \"/\""},
      {"<a></b>", "Ожидается \"a\""},
      {"<ab></ax>", "Ожидается \"b\""},
      {"<a></ab>", "Ожидается \">\""},
      {"<a$>", kBadName},
      {"<a b=c/>", "Ожидается строковая константа"},
      {"<a b='<'/>", "Символ \"<\" не может использоваться в значениях атрибутов"},
      {"<a>&foo;</a>", "Некорректное имя управляющего символа"},
      {"<a>&#x;</a>", "Ожидается шестнадцатеричное число"},
      {"<a>&#;</a>", "Ожидается число"},
      {"<a>&#", "Ожидается число"},
      {"<a>&", "Ожидается \"#\" или имя упрамляющего символа"},
      {"<a>&amp</a>", "Ожидается \";\""},
      {"<!doctype a>", "Ожидается \"DOCTYPE\""},
      {"<!DOCTYPE a", "Ожидается \">\""},
      {"<a", "Не завершено определение элемента"},
      {"<a b", "Ожидается \"=\""},
      {"<a b=", "Ожидается значение атрибута"},
      {"<a b='1", "Ожидается \"'\""},
      {"<a b=\"1'/>", "Ожидается \"\"\""},
      {"<a/ >", "Ожидается \">\""},
      {"<a b='1'$>", "Ожидается \">\""},
      {"<!-- x", "Ожидается \"-->\""},
      {"<!-x-->", "Ожидается \"-\""},
      {"<![CDATA[x", "Ожидается \"]]>\""},
      {"<![CDAT[x]]>", "Ожидается \"A[\""},
      {"<?pi data", "Ожидается \"?>\""},
      {"<?xml version='1'", "Ожидается \"?>\""},
      // Nameless elements and instructions would be written back as something else.
      {"<></>", kBadName},
      {"< x/>", kBadName},
      {"<?  x?>", kBadName},
      // Character codes that are no character, or that would overflow.
      {"<a>&#0;</a>", kBadCode},
      {"<a>&#x110000;</a>", kBadCode},
      {"<a>&#99999999999999999999999;</a>", kBadCode},
      {"<a>&#xD800;</a>", kBadCode},
  };
  for (const auto& [input, message] : cases) EXPECT_EQ(XmlErrorOf([&] { ParsedXml(input); }), message) << input;
}

TEST(XmlParser, KeepsWhatWasReadBeforeAnError) {
  IXmlDocument doc = CreateXmlDocument();
  EXPECT_THROW(doc->LoadFromText("<r><a/><b x='1'><c/>&bad;</b></r>"), EXmlError);
  IXmlElement r = doc->DocumentElement();
  ASSERT_TRUE(r);
  ASSERT_EQ(r->ChildNodes()->Count(), 2);
  EXPECT_EQ(r->ChildNodes()->Item(1)->GetAttribute("x"), "1");
  EXPECT_EQ(r->ChildNodes()->Item(1)->ChildNodes()->Count(), 1);
  // The next load starts from an empty document.
  doc->LoadFromText("<z/>");
  EXPECT_EQ(doc->ChildNodes()->Count(), 1);
}

TEST(XmlParser, NestingIsLimited) {
  EXPECT_NO_THROW(ParsedXml(Nested(XmlMaxDepth)));
  EXPECT_EQ(XmlErrorOf([] { ParsedXml(Nested(XmlMaxDepth + 1)); }),
            "Превышена допустимая глубина вложенности элементов XML");
  EXPECT_THROW(ParsedXml(AnsiString(100000, '<') + "a"), EXmlError);
}

TEST(XmlParser, ReferenceHeavyTextIsReadInOnePass) {
  // Each reference once looked ahead to the next "<" over the whole rest of the input.
  const double small = ExaminedPerByte(ReferenceHeavy(16 << 10));
  const double large = ExaminedPerByte(ReferenceHeavy(512 << 10));
  EXPECT_LE(large, 2 * small);
  EXPECT_LE(large, 3.0);
  EXPECT_EQ(TextOf("&amp;x&#65;&lt;&#x42;y&gt;"), "&xA<By>");
}

TEST(XmlParser, RepeatedAttributeNamesAmongMany) {
  // Many names, some repeated: the later value wins and keeps the first one's place.
  AnsiString text = "<a";
  for (int i = 0; i < 20000; ++i) text += " n" + std::to_string(i) + "='" + std::to_string(i) + "'";
  text += " n7='x' n19999='y' n0='z'/>";
  // A table of its own: the shared one would carry the names into every later document.
  IXmlDocument doc = CreateXmlDocument("", "1.0", "", IXmlNameTable(new TXmlNameTable));
  doc->LoadFromText(text);
  IXmlElement a = doc->DocumentElement();
  ASSERT_EQ(a->AttributeCount(), 20000);
  EXPECT_EQ(a->AttributeNameAt(0) + a->GetAttribute("n0"), "n0z");
  EXPECT_EQ(a->AttributeNameAt(7) + a->GetAttribute("n7"), "n7x");
  EXPECT_EQ(a->AttributeNameAt(19999) + a->GetAttribute("n19999"), "n19999y");
  EXPECT_EQ(a->GetAttribute("n12345"), "12345");
}

TEST(XmlParser, References) {
  EXPECT_EQ(TextOf("&amp;&quot;&lt;&gt;&apos;"), "&\"<>'");
  EXPECT_EQ(TextOf("&#65;&#x4a;&#x4A;&#255;"), "AJJ\xFF");
  // Beyond one byte a character goes through the code page instead of losing its high bits.
  EXPECT_EQ(TextOf("&#1081;"), WideToAnsi(L"\x439"));
  EXPECT_NE(TextOf("&#1081;"), "9");
  EXPECT_EQ(ParsedXml("<a v='&#13;&#10;&#9;&amp;'/>")->DocumentElement()->GetAttribute("v"), "\r\n\t&");
}

TEST(XmlParser, OtherNodes) {
  IXmlDocument doc = ParsedXml("<!DOCTYPE x><a><!-- c --><![CDATA[x<y]]><?pi  d?></a>");
  ASSERT_EQ(doc->ChildNodes()->Count(), 1);
  IXmlNodeList list = doc->DocumentElement()->ChildNodes();
  ASSERT_EQ(list->Count(), 3);
  EXPECT_EQ(list->Item(0)->NodeType(), COMMENT_NODE);
  EXPECT_EQ(static_cast<TXmlCharacterData*>(list->Item(1).get())->Data(), "x<y");
  EXPECT_EQ(list->Item(2)->NodeName(), "pi");
  // The data is everything after the target, its leading blanks too.
  EXPECT_EQ(list->Item(2)->Text(), "  d");
  // The rest after the document's own end is ignored.
  EXPECT_EQ(ParsedXml("<a/></b>more")->ChildNodes()->Count(), 1);
  // Layout blanks are dropped unless white space is kept.
  EXPECT_FALSE(ParsedXml("<a> </a>")->DocumentElement()->HasChildNodes());
  IXmlElement kept = ParsedXml("<a> </a>", true)->DocumentElement();
  ASSERT_EQ(kept->ChildNodes()->Count(), 1);
  EXPECT_EQ(kept->ChildNodes()->Item(0)->NodeValue().AsString(), " ");
  // A reference to a blank is content, not layout.
  EXPECT_EQ(TextOf("&#32;"), " ");
}

TEST(XmlParser, BlockBoundariesFallAnywhere) {
  const AnsiString text =
      "<?xml version='1.0'?><!DOCTYPE d><r a='x&amp;y' bb=\"q\"><!-- c --><e>t&#65;&lt;u</e>\r\n <f/>"
      "<![CDATA[a]]]]><?pi  d?>tail&#32;</r  >";
  const AnsiString expected = ParsedXml(text)->Xml();
  for (size_t block = 1; block <= 9; ++block) {
    IXmlDocument doc = CreateXmlDocument();
    TSmallBlockSource source(text, block);
    ParseChildren(doc.get(), source, false);
    EXPECT_EQ(doc->Xml(), expected) << block;
  }
}

TEST(XmlWriter, IndentedLayout) {
  IXmlDocument doc = CreateXmlDocument("root");
  doc->DocumentElement()->AppendElement("a")->AppendElement("deep");
  doc->DocumentElement()->AppendElement("b")->SetText("v");
  EXPECT_EQ(doc->Xml(),
            "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\r\n<root>\r\n\t<a>\r\n\t\t<deep/>\r\n\t</a>\r\n\t"
            "<b>v</b>\r\n</root>");
  doc->SetKeepWhiteSpace(true);
  EXPECT_EQ(doc->Xml(), "<?xml version=\"1.0\" encoding=\"windows-1251\"?><root><a><deep/></a><b>v</b></root>");
  // A declaration read from a file is written back in the same form.
  const AnsiString decl = "<?xml version=\"1.0\" encoding=\"windows-1251\"?><r/>";
  EXPECT_EQ(ParsedXml(decl, true)->Xml(), decl);
}

// Attribute values escape '"', '&', '<', '>' and line breaks; a TAB stays, and so does it read.
TEST(XmlWriter, AttributeValues) {
  for (auto [value, written] : {std::pair{"a\tb", "a\tb"},
                                {"\t", "\t"},
                                {"q\"&<>'", "q&quot;&amp;&lt;&gt;'"},
                                {"l1\r\nl2\rl3\nl4", "l1&#13;&#10;l2&#13;l3&#10;l4"}}) {
    IXmlDocument doc = CreateXmlDocument();
    doc->SetKeepWhiteSpace(true);
    doc->AppendElement("a")->SetAttribute("v", value);
    EXPECT_EQ(doc->Xml(), "<a v=\"" + AnsiString(written) + "\"/>") << value;
    EXPECT_EQ(ParsedXml(doc->Xml())->DocumentElement()->GetAttribute("v"), value) << value;
  }
  EXPECT_EQ(ParsedXml("<a v='l1\r\nl2\rl3\nl4\t'/>")->DocumentElement()->GetAttribute("v"), "l1\r\nl2\rl3\nl4\t");
}

TEST(XmlWriter, TextKeepsItsLineBreaks) {
  IXmlDocument doc = CreateXmlDocument();
  IXmlElement a = doc->AppendElement("a");
  a->AppendText("l1\r\nl2");
  EXPECT_EQ(doc->Xml(), "\r\n<a>l1\r\nl2</a>");
  IXmlElement mixed = a->AppendElement("m");
  mixed->AppendText("x");
  mixed->AppendElement("b")->AppendElement("c");
  mixed->AppendText("y\r\n");
  AnsiString text = doc->Xml();
  for (int cycle = 0; cycle < 3; ++cycle) {
    IXmlDocument again = ParsedXml(text);
    EXPECT_EQ(again->DocumentElement()->Text(), a->Text());
    EXPECT_EQ(again->Xml(), text) << cycle;
    text = again->Xml();
  }
}

TEST(XmlWriter, WhatCannotBeReadBackIsRefused) {
  IXmlDocument doc = CreateXmlDocument("root");
  IXmlElement root = doc->DocumentElement();
  root->SetAttribute("v", "a\"b\r\n\tc<>&'");
  root->AppendCDATASection("x]]>y]]>");
  root->AppendProcessingInstruction("pi", "d");
  IXmlDocument back = ParsedXml(doc->Xml());
  EXPECT_EQ(back->DocumentElement()->GetAttribute("v"), "a\"b\r\n\tc<>&'");
  AnsiString data;
  for (int i = 0; i < back->DocumentElement()->ChildNodes()->Count(); ++i)
    if (auto cdata = back->DocumentElement()->ChildNodes()->Item(i)->AsCDATASection()) data += cdata->Data();
  EXPECT_EQ(data, "x]]>y]]>");
  EXPECT_EQ(back->Xml(), doc->Xml());
  IXmlComment c = root->AppendComment("a-->b");
  EXPECT_EQ(XmlErrorOf([&] { doc->Xml(); }), "Комментарий не может содержать \"-->\"");
  root->RemoveChild(c);
  root->AppendProcessingInstruction("pi", "a?>b");
  EXPECT_EQ(XmlErrorOf([&] { doc->Xml(); }), "Инструкция обработки не может содержать \"?>\"");
  // The file that was there stays as it was.
  const std::wstring file = TempFile(L"xml_refused.xml");
  std::ofstream(std::filesystem::path(file)) << "<old/>";
  EXPECT_THROW(doc->SaveToFile(file), EXmlError);
  IXmlDocument old = CreateXmlDocument();
  old->LoadFromFile(file);
  EXPECT_EQ(old->DocumentElement()->NodeName(), "old");
  std::filesystem::remove(file);
}

TEST(XmlWriter, InstructionDataOfEveryShapeComesBack) {
  // Data as a reader gives it (after blanks, or after a character no name holds) is written
  // and read again unchanged, text and data alike.
  struct {
    const char* Text;
    const char* Data;
  } read[] = {
      {"<?pi  d?>", "  d"}, {"<?pi d?>", " d"},       {"<?pi\td ?>", "\td "},  {"<?pi\r\nx?>", "\r\nx"},
      {"<?pi/x?>", "/x"},   {"<?pi ?>", " "},         {"<?pi   ?>", "   "},    {"<?pi>?>", ">"},
      {"<?pi?\?>", "?"},    {"<?pi x y ?>", " x y "}, {"<?a-b.c:d x?>", " x"}, {"<?pi \xC0?>", " \xC0"},
      {"<?pi =1?>", " =1"}, {"<?pi=1?>", "=1"},       {"<?pi?>", ""},
  };
  for (const auto& c : read) {
    IXmlDocument doc = ParsedXml(c.Text);
    ASSERT_EQ(doc->ChildNodes()->Count(), 1) << c.Text;
    EXPECT_EQ(doc->ChildNodes()->Item(0)->Text(), c.Data) << c.Text;
    EXPECT_EQ(doc->Xml(), c.Text) << c.Text;
    IXmlDocument again = ParsedXml(doc->Xml());
    EXPECT_EQ(again->ChildNodes()->Item(0)->Text(), c.Data) << c.Text;
  }
  // Data made in the program: what does not start with a name character comes back as it was;
  // what does is parted from the target by one blank, which is read as data, and from then on
  // the text stays as it is.
  struct {
    const char* Data;
    const char* Back;
  } made[] = {
      {"/x", "/x"},    {" x", " x"},    {"  x", "  x"},    {"\tx", "\tx"}, {" ", " "},
      {"?", "?"},      {">", ">"},      {"x", " x"},       {"x ", " x "},  {"-", " -"},
      {"a?b", " a?b"}, {"x y", " x y"}, {"\xC0", " \xC0"}, {"1", " 1"},    {"_", " _"},
  };
  for (const auto& c : made) {
    IXmlDocument doc = CreateXmlDocument();
    doc->AppendProcessingInstruction("pi", c.Data);
    const AnsiString text = doc->Xml();
    IXmlDocument back = ParsedXml(text);
    ASSERT_EQ(back->ChildNodes()->Count(), 1) << c.Data;
    EXPECT_EQ(back->ChildNodes()->Item(0)->NodeName(), "pi") << c.Data;
    EXPECT_EQ(back->ChildNodes()->Item(0)->Text(), c.Back) << c.Data;
    EXPECT_EQ(back->Xml(), text) << c.Data;
  }
}

TEST(XmlDocumentIo, StreamsFilesAndResources) {
  // A stream is read from its position, and across block boundaries.
  AnsiString big = "<r>";
  for (int i = 0; i < 9000; ++i) big += "<item n='" + std::to_string(i) + "'>t&amp;" + std::to_string(i) + "</item>";
  big += "</r>";
  TStringStream stream("junk" + big);
  stream.SetPosition(4);
  IXmlDocument fromStream = CreateXmlDocument();
  fromStream->LoadFromStream(&stream);
  EXPECT_EQ(fromStream->Xml(), ParsedXml(big)->Xml());
  EXPECT_EQ(fromStream->DocumentElement()->ChildNodes()->Count(), 9000);

  const std::wstring file = TempFile(L"xml_io.xml");
  fromStream->SaveToFile(file);
  IXmlDocument fromFile = CreateXmlDocument();
  fromFile->LoadFromFile(file);
  EXPECT_EQ(fromFile->Xml(), fromStream->Xml());
  std::filesystem::remove(file);
  EXPECT_THROW(fromFile->LoadFromFile(file), EFOpenError);

  IXmlDocument res = CreateXmlDocument();
  res->LoadFromResource(MAKEINTRESOURCEW(10), L"XMLSAMPLE");
  ASSERT_TRUE(res->DocumentElement());
  EXPECT_EQ(res->DocumentElement()->GetAttribute("name"), "sample");
  res->LoadFromResource(MAKEINTRESOURCEW(10), L"NO_SUCH_RESOURCE");
  EXPECT_TRUE(res->DocumentElement());
}
