// Documents read into one arena: freed whole, nodes that outlive their document, edits and
// moves of read nodes, and a seeded run of edits against a copy made node by node; nothing may
// leak or be freed twice.
#include <gtest/gtest.h>

#include <random>

#include "highlighting/XmlBinary.h"
#include "highlighting/XmlPool.h"
#include "XmlTestSupport.h"

long long AllocatedBytesSoFar();

namespace {

const char kText[] =
    "<?xml version='1.0'?><r a='1' b='x&amp;y'><!--c--><e n='1'>t&lt;1</e><e n='2'><f><g>deep</g></f></e>"
    "<![CDATA[cd]]><?pi data?>tail</r>";

// The blocks and arenas in use, to be the same again when every document and node is gone.
struct TInUse {
  // The shared name table lives to the end: made first, it is no difference.
  IXmlNameTable Shared = DefaultNameTable();
  long Blocks = XmlPoolBlocksInUse();
  int Arenas = XmlArenasInUse();
};

std::string Shown(const TInUse& U) {
  return std::to_string(U.Blocks) + " blocks, " + std::to_string(U.Arenas) + " arenas";
}

IXmlNameTable OwnTable() { return IXmlNameTable(new TXmlNameTable(64)); }

IXmlDocument Read(const AnsiString& Text, const IXmlNameTable& Table) {
  IXmlDocument doc = CreateXmlDocument("", "1.0", "", Table);
  doc->LoadFromText(Text);
  return doc;
}

}  // namespace

TEST(XmlArena, AReadDocumentGoesWhole) {
  IXmlNameTable table = OwnTable();
  const TInUse before;
  {
    IXmlDocument doc = Read(kText, table);
    EXPECT_EQ(XmlArenasInUse(), before.Arenas + 1);
    IXmlDocument binary = Read(doc->BinaryXml(), table);
    EXPECT_EQ(binary->Xml(), doc->Xml());
    // Reading again lets the first reading's arena go.
    doc->LoadFromText(kText);
    EXPECT_EQ(XmlArenasInUse(), before.Arenas + 2);
  }
  EXPECT_EQ(Shown(TInUse()), Shown(before));
}

TEST(XmlArena, NodesHeldAfterTheirDocumentStayWhole) {
  IXmlNameTable table = OwnTable();
  const TInUse before;
  {
    IXmlNode deep, second;
    IXmlNodeList list;
    AnsiString deepXml;
    {
      IXmlDocument doc = Read(kText, table);
      IXmlElement r = doc->DocumentElement();
      second = r->ChildNodes()->Item(2);
      deep = second->FindChildByName("f");
      deepXml = deep->Xml();
      list = r->ChildNodes();
    }
    // The parents that nothing held went with the document; what is held keeps its content.
    EXPECT_EQ(deep->ParentNode(), second);
    EXPECT_FALSE(second->ParentNode());
    EXPECT_FALSE(deep->OwnerDocument());
    EXPECT_EQ(deep->Xml(), deepXml);
    EXPECT_EQ(second->GetAttribute("n"), "2");
    EXPECT_EQ(list->Owner(), nullptr);
    ASSERT_EQ(list->Count(), 6);
    EXPECT_EQ(list->Item(1)->Text(), "t<1");
    EXPECT_EQ(list->Item(5)->Text(), "tail");
    EXPECT_EQ(XmlArenasInUse(), before.Arenas + 1);
  }
  EXPECT_EQ(Shown(TInUse()), Shown(before));
}

TEST(XmlArena, ReadDocumentsCanBeEditedAndTheirNodesMoved) {
  IXmlNameTable table = OwnTable();
  const TInUse before;
  {
    IXmlDocument other = CreateXmlDocument("dest", "1.0", "", OwnTable());
    IXmlNode removed;
    {
      IXmlDocument doc = Read(kText, table);
      IXmlElement r = doc->DocumentElement();
      r->SetAttribute("a", "changed");
      r->SetAttributeValue("c", TVariant(5));
      r->RemoveAttribute("b");
      IXmlNode first = r->ChildNodes()->Item(1);
      first->SetText("new text");
      first->AppendElement("added")->SetAttribute("k", "v");
      removed = r->ChildNodes()->Item(2);
      EXPECT_EQ(r->RemoveChild(removed), 2);
      r->InsertBefore(doc->CreateComment("front"), r->ChildNodes()->Item(0));
      r->ReplaceChild(doc->CreateElement("swapped"), r->ChildNodes()->Item(4));
      EXPECT_EQ(doc->Xml(),
                "<?xml version=\"1.0\"?>\r\n<r a=\"changed\" c=\"5\"><!--front--><!--c--><e n=\"1\">new text"
                "<added k=\"v\"/></e><![CDATA[cd]]><swapped/>tail</r>");
      // A read node moved to a document on another name table takes its names along.
      other->DocumentElement()->AppendChild(first);
      EXPECT_EQ(first->OwnerDocument(), other);
    }
    EXPECT_EQ(other->Xml(),
              "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\r\n<dest>\r\n\t<e n=\"1\">new text<added "
              "k=\"v\"/></e>\r\n</dest>");
    EXPECT_EQ(removed->Xml(), "\r\n<e n=\"2\">\r\n\t<f>\r\n\t\t<g>deep</g>\r\n\t</f>\r\n</e>");
  }
  EXPECT_EQ(Shown(TInUse()), Shown(before));
}

TEST(XmlArena, NodesMadeApartThatAReadDocumentHoldsAreLetGo) {
  // A document whose read nodes hold nothing else goes whole; one that holds a node made apart
  // (here without any list growing) must let that node go too.
  IXmlNameTable table = OwnTable();
  const TInUse before;
  {
    IXmlDocument doc = Read(kText, table);
    IXmlElement r = doc->DocumentElement();
    r->ReplaceChild(doc->CreateElement("made"), r->ChildNodes()->Item(1));
    r->ChildNodes()->Item(2)->FindChildByName("f")->ReplaceChild(
        doc->CreateTextNode("t"), r->ChildNodes()->Item(2)->FindChildByName("f")->ChildNodes()->Item(0));
    EXPECT_EQ(r->ChildNodes()->Item(1)->NodeName(), "made");
  }
  EXPECT_EQ(Shown(TInUse()), Shown(before));
}

TEST(XmlArena, AFailedReadKeepsWhatItReadAndLetsItGo) {
  IXmlNameTable table = OwnTable();
  const TInUse before;
  {
    IXmlDocument doc = CreateXmlDocument("", "1.0", "", table);
    EXPECT_THROW(doc->LoadFromText("<r a='1'><e b='2'>x</e><e c='&bad;'/></r>"), EXmlError);
    EXPECT_EQ(doc->DocumentElement()->ChildNodes()->Count(), 2);
    EXPECT_EQ(doc->DocumentElement()->ChildNodes()->Item(1)->AttributeCount(), 0);
    const AnsiString bin = Read(kText, table)->BinaryXml();
    EXPECT_THROW(doc->LoadFromText(bin.substr(0, bin.size() - 5)), EXmlError);
    EXPECT_TRUE(doc->DocumentElement());
  }
  EXPECT_EQ(Shown(TInUse()), Shown(before));
}

TEST(XmlFuzz, EditsOfReadDocumentsMatchACopyAndLeakNothing) {
  // The same random edits on a read document and on its copy made node by node; read nodes are
  // held, moved between the documents, dropped and read anew in any order.
  std::mt19937 rng(41);
  auto pick = [&](size_t n) { return n ? static_cast<size_t>(rng() % n) : 0; };
  static const char* const names[] = {"a", "b", "e", "f", "x"};
  static const char* const texts[] = {kText, "<a><b>1</b><b>2<c/></b></a>", "<x y='1'><x y='2'><x/></x>t</x>",
                                      "<r><!--k--><?p d?><e a='&#65;'>&quot;</e></r>"};
  IXmlNameTable table = OwnTable();
  const TInUse before;
  int edits = 0;
  {
    struct TPair {
      IXmlNode Read, Copy;
    };
    std::vector<TPair> docs, held;
    for (int round = 0; round < 3000; ++round) {
      if (docs.size() < 3 || pick(40) == 0) {
        IXmlDocument read = Read(texts[pick(std::size(texts))], table);
        IXmlNode copy = read->CloneNode(true);
        if (docs.size() >= 3) {
          docs[pick(docs.size())] = {read, copy};
        } else {
          docs.push_back({read, copy});
        }
      }
      TPair& doc = docs[pick(docs.size())];
      // A node of the document and its copy, by the same path of child indexes.
      TPair at = doc;
      for (int depth = static_cast<int>(pick(4)); depth > 0 && at.Read->ChildNodes()->Count() > 0; --depth) {
        const int i = static_cast<int>(pick(static_cast<size_t>(at.Read->ChildNodes()->Count())));
        at = {at.Read->ChildNodes()->Item(i), at.Copy->ChildNodes()->Item(i)};
      }
      const bool element = at.Read->NodeType() == ELEMENT_NODE;
      const bool container = element || at.Read->NodeType() == DOCUMENT_NODE;
      const char* name = names[pick(std::size(names))];
      switch (pick(9)) {
        case 0:
          at.Read->SetAttribute(name, "v" + std::to_string(round));
          at.Copy->SetAttribute(name, "v" + std::to_string(round));
          break;
        case 1:
          at.Read->RemoveAttribute(name);
          at.Copy->RemoveAttribute(name);
          break;
        case 2:
          if (container) {
            at.Read->AppendElement(name);
            at.Copy->AppendElement(name);
          }
          break;
        case 3:
          if (element) {
            at.Read->SetText("s" + std::to_string(round));
            at.Copy->SetText("s" + std::to_string(round));
          }
          break;
        case 4:
          if (at.Read->ParentNode()) {
            held.push_back(at);
            at.Read->ParentNode()->RemoveChild(at.Read);
            at.Copy->ParentNode()->RemoveChild(at.Copy);
          }
          break;
        case 5:
          // A held node goes into this one, unless it is this one or one of its ancestors.
          if (!held.empty() && container) {
            const size_t h = pick(held.size());
            bool cycle = false;
            for (IXmlNode p = at.Read; p && !cycle; p = p->ParentNode()) cycle = p == held[h].Read;
            if (!cycle && held[h].Read->NodeType() != DOCUMENT_NODE) {
              at.Read->AppendChild(held[h].Read);
              at.Copy->AppendChild(held[h].Copy);
            }
          }
          break;
        case 6:
          if (!held.empty()) held.erase(held.begin() + static_cast<long>(pick(held.size())));
          break;
        case 7:
          if (container && at.Read->ChildNodes()->Count() > 0) {
            held.push_back({at.Read->ChildNodes()->Item(0), at.Copy->ChildNodes()->Item(0)});
            at.Read->ClearChildren();
            at.Copy->ClearChildren();
          }
          break;
        default: held.push_back(at);
      }
      ASSERT_EQ(doc.Read->Xml(), doc.Copy->Xml()) << "round " << round;
      if (!held.empty()) {
        const TPair& h = held[pick(held.size())];
        ASSERT_EQ(h.Read->Xml(), h.Copy->Xml()) << "round " << round;
      }
      if (held.size() > 20) held.erase(held.begin(), held.begin() + 10);
      edits += at.Read->ChildNodes()->Count() >= 0;
    }
  }
  EXPECT_EQ(edits, 3000);
  EXPECT_EQ(Shown(TInUse()), Shown(before));
}

// Freed slabs wait in a store for the next document: reading a large document again and again
// takes them from there, so that a read allocates a small part of what its document holds,
// however many reads there are (the store's count of what it keeps must stay right).
TEST(XmlArena, SlabsOfAFreedDocumentServeTheNextReads) {
  IXmlNameTable table = OwnTable();
  AnsiString big = "<r>";
  for (int i = 0; i < 20000; ++i)
    big += "<item n='" + std::to_string(i) + "' v='value of the item'>text of item " + std::to_string(i) + "</item>";
  big += "</r>";
  auto bytesOfRead = [&] {
    const long long before = AllocatedBytesSoFar();
    Read(big, table);
    return AllocatedBytesSoFar() - before;
  };
  const long long first = bytesOfRead();
  for (int i = 0; i < 45; ++i) {
    const long long got = bytesOfRead();
    ASSERT_LT(got, static_cast<long long>(big.size()) / 4) << "read " << i << ", the first took " << first;
  }
}

// The pool of the blocks made in code hands a freed block back for the next request of its
// size class, and a block of another class never.
TEST(XmlPool, AFreedBlockServesTheNextRequestOfItsSize) {
  const struct {
    size_t Freed, Asked;
    bool Same;
  } cases[] = {
      {8, 8, true},   {8, 1, true},   {16, 9, true},   {40, 33, true},    {256, 249, true},  {24, 24, true},
      {8, 16, false}, {16, 8, false}, {40, 48, false}, {256, 248, false}, {248, 256, false}, {1, 9, false},
  };
  const long inUse = XmlPoolBlocksInUse();
  for (const auto& c : cases) {
    void* a = XmlPoolAlloc(c.Freed);
    EXPECT_EQ(XmlPoolBlocksInUse(), inUse + 1);
    XmlPoolFree(a, c.Freed);
    EXPECT_EQ(XmlPoolBlocksInUse(), inUse);
    void* b = XmlPoolAlloc(c.Asked);
    EXPECT_EQ(a == b, c.Same) << c.Freed << " then " << c.Asked;
    XmlPoolFree(b, c.Asked);
  }
  // Large blocks come from the heap and are counted alike.
  void* large = XmlPoolAlloc(1000);
  EXPECT_EQ(XmlPoolBlocksInUse(), inUse + 1);
  XmlPoolFree(large, 1000);
  EXPECT_EQ(XmlPoolBlocksInUse(), inUse);
}
