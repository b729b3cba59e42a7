// Seeded fuzzing of the text and binary readers: every mutated document must load or end in an
// EXmlError, and what loads must write and read back unchanged.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>

#include "framework/Streams.h"
#include "highlighting/XmlBinary.h"
#include "highlighting/XmlParser.h"
#include "XmlTestSupport.h"

namespace {

const char* const kSeeds[] = {
    "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\r\n<Scheme name='C' ext=\"c;h\">\r\n\t<Keywords>"
    "if\r\nelse</Keywords>\r\n\t<!-- note --><Range open='/*' close='*/' style=\"Comment\"/>\r\n</Scheme>",
    "<!DOCTYPE x><a b='&lt;&#65;&#x42;'>t&amp;u<![CDATA[x<y]]>mid<?pi  d?><c/>tail</a>",
    "<r>\r\n  <e a='1' b=\"2\">l1\r\nl2</e>\r\n  <f><g><h>&quot;&apos;&gt;</h></g></f>\r\n</r>",
};

const char* const kTokens[] = {"<",         ">",   "/",  "&",  "&#",  "&#x",  ";", "'", "\"",   "<!--", "-->",
                               "<![CDATA[", "]]>", "<?", "?>", "<a>", "</a>", "=", " ", "\r\n", "\xC0", "\0"};

AnsiString Mutate(AnsiString s, std::mt19937& rng) {
  auto pick = [&](size_t n) { return static_cast<size_t>(rng() % (n ? n : 1)); };
  const int steps = 1 + static_cast<int>(rng() % 3);
  for (int i = 0; i < steps; ++i) {
    const size_t at = pick(s.size() + 1);
    switch (rng() % 7) {
      case 0: s.resize(at); break;
      case 1:
        if (at < s.size()) s[at] = static_cast<char>(s[at] ^ (1 << (rng() % 8)));
        break;
      case 2:
        if (at < s.size()) s[at] = static_cast<char>(rng());
        break;
      case 3: s.insert(at, kTokens[pick(std::size(kTokens))]); break;
      case 4: s.erase(at, pick(16)); break;
      case 5: {
        const size_t from = pick(s.size());
        s.insert(at, s.substr(from, pick(32)));
        break;
      }
      default: {
        // Deep nesting, sometimes past the limit, balanced or not.
        const int depth = static_cast<int>(rng() % 1400);
        AnsiString deep;
        for (int k = 0; k < depth; ++k) deep += "<n>";
        if (rng() % 4)
          for (int k = 0; k < depth; ++k) deep += "</n>";
        s.insert(at, deep);
      }
    }
  }
  return s;
}

// Loads the input; what loads must survive writing and reading back.
void CheckText(const AnsiString& input, bool keep) {
  IXmlDocument doc = CreateXmlDocument();
  doc->SetKeepWhiteSpace(keep);
  try {
    doc->LoadFromText(input);
  } catch (const EXmlError&) {
    return;
  }
  const AnsiString text = doc->Xml();
  IXmlDocument again = ParsedXml(text, keep);
  ASSERT_EQ(again->Xml(), text) << "input: " << testing::PrintToString(input);
}

void CheckBinary(const AnsiString& input) {
  IXmlDocument doc = CreateXmlDocument();
  try {
    doc->LoadFromText(input);
  } catch (const EXmlError&) {
    return;
  }
  const AnsiString bin = doc->BinaryXml();
  IXmlDocument again = CreateXmlDocument();
  again->LoadFromText(bin);
  ASSERT_EQ(again->BinaryXml(), bin);
}

// Serves a text in blocks of random sizes through one buffer, as a stream does.
class TRandomBlockSource : public TXmlSource {
 public:
  TRandomBlockSource(const AnsiString& Text, std::mt19937& Rng) : text_(Text), rng_(Rng) { Refill(); }

 protected:
  void Refill() override {
    const size_t n = std::min<size_t>(1 + rng_() % 300, text_.size() - pos_);
    buffer_.assign(text_, pos_, n);
    cur_ = buffer_.data();
    end_ = cur_ + n;
    pos_ += n;
  }

 private:
  const AnsiString& text_;
  std::mt19937& rng_;
  AnsiString buffer_;
  size_t pos_ = 0;
};

// A run of text or attribute value made mostly of references, with what it decodes to.
struct TEncoded {
  AnsiString Xml, Bytes;
};

TEncoded ReferenceRun(std::mt19937& rng, size_t length, char quote) {
  static const std::pair<const char*, char> named[] = {
      {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
  TEncoded run;
  while (run.Xml.size() < length) {
    switch (rng() % 5) {
      case 0: {
        const auto& [ref, byte] = named[rng() % std::size(named)];
        run.Xml += ref;
        run.Bytes += byte;
        break;
      }
      case 1: {
        const unsigned code = 1 + rng() % 255;
        run.Xml += "&#" + std::to_string(code) + ";";
        run.Bytes += static_cast<char>(code);
        break;
      }
      case 2: {
        const unsigned code = 1 + rng() % 255;
        char hex[16];
        std::snprintf(hex, sizeof hex, rng() % 2 ? "&#x%X;" : "&#x%04x;", code);
        run.Xml += hex;
        run.Bytes += static_cast<char>(code);
        break;
      }
      default: {
        // Plain bytes, the layout blanks among them; never "<", "&" or the quote.
        char c = static_cast<char>(1 + rng() % 255);
        if (c == '<' || c == '&' || c == quote) c = 'z';
        run.Xml += c;
        run.Bytes += c;
      }
    }
  }
  // A letter, so that no text is all layout.
  run.Xml += 'k';
  run.Bytes += 'k';
  return run;
}

}  // namespace

TEST(XmlFuzz, ReferenceHeavyTextsDecodeWithWorkInProportionToTheirSize) {
  // Sizes from a few bytes to a megabyte: the work of reading ahead per byte stays bounded
  // whatever the size, in one block and in blocks of any size.
  std::mt19937 rng(4545);
  for (int i = 0; i < 120; ++i) {
    const size_t size = i < 100 ? 1 + rng() % 3000 : (size_t{1} << (10 + i % 11));
    const TEncoded text = ReferenceRun(rng, size, '\0');
    const TEncoded value = ReferenceRun(rng, size / 2, '"');
    const AnsiString xml = "<r v=\"" + value.Xml + "\"><e>" + text.Xml + "</e>" + text.Xml + "</r>";
    for (int way = 0; way < 3; ++way) {
      IXmlDocument doc = CreateXmlDocument();
      double perByte = 0;
      if (way == 0) {
        TXmlStrSource source(xml);
        ParseChildren(doc.get(), source, false);
        perByte = static_cast<double>(source.Examined()) / static_cast<double>(xml.size());
      } else if (way == 1) {
        TRandomBlockSource source(xml, rng);
        ParseChildren(doc.get(), source, false);
        perByte = static_cast<double>(source.Examined()) / static_cast<double>(xml.size());
      } else {
        TStringStream stream(xml);
        doc->LoadFromStream(&stream);
      }
      ASSERT_LE(perByte, 3.0) << i << " way " << way << " size " << xml.size();
      IXmlElement r = doc->DocumentElement();
      ASSERT_TRUE(r) << i;
      ASSERT_EQ(r->GetAttribute("v"), value.Bytes) << i << " way " << way;
      ASSERT_EQ(r->ChildNodes()->Count(), 2) << i;
      ASSERT_EQ(r->ChildNodes()->Item(0)->Text(), text.Bytes) << i << " way " << way;
      ASSERT_EQ(r->ChildNodes()->Item(1)->Text(), text.Bytes) << i << " way " << way;
    }
  }
}

TEST(XmlFuzz, TheDeepestDocumentsInTextAndBinary) {
  // Around the nesting limit, with every kind of node at every level: text and binary take
  // and refuse the same documents, and what is taken reads back the same from binary.
  std::mt19937 rng(1000);
  static const char* const inner[] = {"t", "<?pi d?>", "<!--c-->", "<![CDATA[x]]>", "<e/>", "&#32;", "<e a='1'/>"};
  for (int i = 0; i < 60; ++i) {
    const int depth = XmlMaxDepth - 2 + static_cast<int>(rng() % 4);
    int deepestElement = depth;
    AnsiString text;
    for (int k = 0; k < depth; ++k) {
      text += k % 7 == 3 ? "<n a='" + std::to_string(k) + "'>" : AnsiString("<n>");
      if (rng() % 3 == 0 || k == depth - 1) {
        const char* node = inner[rng() % std::size(inner)];
        text += node;
        // An empty element inside is one level deeper than the element around it.
        if (node[0] == '<' && node[1] == 'e') deepestElement = std::max(deepestElement, k + 2);
      }
    }
    for (int k = 0; k < depth; ++k) text += "</n>";
    IXmlDocument doc = CreateXmlDocument();
    const std::string error = XmlErrorOf([&] { doc->LoadFromText(text); });
    if (deepestElement > XmlMaxDepth) {
      ASSERT_EQ(error, "Превышена допустимая глубина вложенности элементов XML") << i << " " << depth;
      continue;
    }
    ASSERT_EQ(error, "(nothing raised)") << i << " " << depth;
    for (uint32_t options : {0u, BinXmlWideStrings}) {
      TStrXmlWriter w;
      SaveBinaryXml(*doc, w, options);
      IXmlDocument back = CreateXmlDocument();
      ASSERT_EQ(XmlErrorOf([&] { back->LoadFromText(w.Data); }), "(nothing raised)") << i << " " << depth;
      ASSERT_EQ(back->Xml(), doc->Xml()) << i;
    }
    // Elements built in code below the deepest "n" down to one level past the limit: the
    // binary reader refuses them as the parser does.
    IXmlNode deepest = doc->DocumentElement();
    while (IXmlNode next = deepest->FindChildByName("n")) deepest = next;
    for (int k = depth; k <= XmlMaxDepth; ++k) deepest = deepest->AppendElement("m");
    ASSERT_EQ(XmlErrorOf([&] { CreateXmlDocument()->LoadFromText(doc->BinaryXml()); }), "Ошибка чтения данных.") << i;
  }
}

TEST(XmlFuzz, InstructionDataOfEveryShapeComesBack) {
  // Random targets and data of any bytes but "?>": written, read, and written again the same,
  // in text and in binary. Data that starts with a name character is parted from the target by
  // a blank, which the text reader takes as data.
  std::mt19937 rng(77);
  static const char* const targets[] = {"pi", "x-y", "a.b", "_t", "p:q", "xml-stylesheet"};
  for (int i = 0; i < 3000; ++i) {
    AnsiString data;
    for (int n = static_cast<int>(rng() % 12); n > 0; --n) {
      const unsigned pick = rng() % 4;
      data += pick == 0   ? static_cast<char>(1 + rng() % 32)
              : pick == 1 ? "?-> <&'\"a9_:."[rng() % 13]
                          : static_cast<char>(1 + rng() % 255);
    }
    while (data.find("?>") != AnsiString::npos) data.erase(data.find("?>"), 1);
    IXmlDocument doc = CreateXmlDocument(rng() % 2 ? "root" : "");
    IXmlNode parent = doc->DocumentElement() ? IXmlNode(doc->DocumentElement()) : IXmlNode(doc);
    const char* target = targets[rng() % std::size(targets)];
    parent->AppendProcessingInstruction(target, data);
    const AnsiString text = doc->Xml();
    IXmlDocument back = ParsedXml(text);
    IXmlNode backParent = back->DocumentElement() ? IXmlNode(back->DocumentElement()) : IXmlNode(back);
    IXmlNode pi = backParent->ChildNodes()->Item(backParent->ChildNodes()->Count() - 1);
    ASSERT_EQ(pi->NodeName(), target) << testing::PrintToString(text);
    const AnsiString read = !data.empty() && XmlNameChar(data[0]) ? " " + data : data;
    ASSERT_EQ(pi->Text(), read) << testing::PrintToString(text);
    ASSERT_EQ(back->Xml(), text);
    IXmlDocument fromBinary = CreateXmlDocument();
    fromBinary->LoadFromText(doc->BinaryXml());
    ASSERT_EQ(fromBinary->Xml(), text);
  }
}

TEST(XmlFuzz, MutatedTextEndsInADocumentOrAnError) {
  std::mt19937 rng(20061);
  for (int i = 0; i < 4000; ++i) {
    const AnsiString input = Mutate(kSeeds[i % std::size(kSeeds)], rng);
    ASSERT_NO_FATAL_FAILURE(CheckText(input, i % 5 == 0)) << i;
  }
}

TEST(XmlFuzz, MutatedBinaryEndsInADocumentOrAnError) {
  std::mt19937 rng(4242);
  std::vector<AnsiString> seeds;
  for (const char* text : kSeeds) {
    IXmlDocument doc = ParsedXml(text);
    doc->DocumentElement()->SetAttributeValue("n", TVariant(12345));
    doc->DocumentElement()->SetAttributeValue("w", TVariant(L"wide"));
    seeds.push_back(doc->BinaryXml());
    TStrXmlWriter wide;
    SaveBinaryXml(*doc, wide, BinXmlWideStrings);
    seeds.push_back(wide.Data);
  }
  for (int i = 0; i < 4000; ++i) {
    AnsiString input = seeds[static_cast<size_t>(i) % seeds.size()];
    // Keep the signature mostly intact so that the binary reader is what runs.
    const int flips = 1 + static_cast<int>(rng() % 4);
    for (int k = 0; k < flips; ++k) {
      const size_t at = BinXmlSignatureLength + rng() % (input.size() - BinXmlSignatureLength);
      switch (rng() % 4) {
        case 0: input[at] = static_cast<char>(rng()); break;
        case 1: input[at] = static_cast<char>(0xFF); break;
        case 2: input.resize(at); break;
        default: input.insert(at, 1, static_cast<char>(rng()));
      }
      if (input.size() <= static_cast<size_t>(BinXmlSignatureLength)) break;
    }
    ASSERT_NO_FATAL_FAILURE(CheckBinary(input)) << i;
  }
}
