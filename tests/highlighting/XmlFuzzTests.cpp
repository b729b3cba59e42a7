// Seeded fuzzing of the text and binary readers: every mutated document must load or end in an
// EXmlError, and what loads must write and read back unchanged.
#include <gtest/gtest.h>

#include <random>

#include "highlighting/XmlBinary.h"
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

}  // namespace

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
