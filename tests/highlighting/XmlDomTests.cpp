// The document model: names, children, values, typed attributes, paths and text forms.
#include <gtest/gtest.h>

#include "framework/Conversions.h"
#include "framework/DateTime.h"
#include "highlighting/XmlDom.h"
#include "XmlTestSupport.h"

namespace {

const char kIndexError[] = "Ошибка получения элемента списка: индекс выходит за пределы";
const char kNotSupported[] = "Данная возможность не поддерживается XmlDom";

TFormatSettings WithSeparator(char sep) {
  TFormatSettings s = TFormatSettings::English();
  s.DecimalSeparator = sep;
  return s;
}

IXmlElement NewRoot() { return CreateXmlDocument("root")->DocumentElement(); }

}  // namespace

TEST(XmlNameTable, FixedIdsAndInterning) {
  IXmlNameTable t(new TXmlNameTable(4096));
  const char* fixed[] = {"#text", "#cdata-section", "#comment", "#document", "xml"};
  for (int id = 0; id < 5; ++id) EXPECT_EQ(t->InternName(fixed[id]), id);
  EXPECT_EQ(t->InternName("Scheme"), 5);
  EXPECT_EQ(t->InternName("scheme"), 6);
  EXPECT_EQ(t->InternName("Scheme"), 5);
  EXPECT_EQ(t->InternName(""), -1);
  EXPECT_EQ(t->NameOf(-1), "");
  EXPECT_EQ(t->NameOf(6), "scheme");
  EXPECT_EQ(t->NameOf(7), "");  // past the last name: nothing, not a stray read
  // One bucket: every name collides and is still told apart.
  IXmlNameTable one(new TXmlNameTable(1));
  EXPECT_EQ(one->InternName("a"), 5);
  EXPECT_EQ(one->InternName("b"), 6);
  EXPECT_EQ(one->InternName("a"), 5);
}

TEST(XmlElement, DirectValueAndChildren) {
  IXmlElement e = NewRoot();
  e->SetNodeValue(TVariant(5));
  EXPECT_EQ(e->DataType(), varInteger);
  EXPECT_EQ(e->Text(), "5");
  e->AppendElement("b")->SetText("x");
  // The value became the first child.
  ASSERT_EQ(e->ChildNodes()->Count(), 2);
  EXPECT_EQ(e->ChildNodes()->Item(0)->NodeType(), TEXT_NODE);
  EXPECT_EQ(e->DataType(), varString);
  e->AppendComment("skipped");
  e->AppendCDATASection("  c  ");
  EXPECT_EQ(e->Text(), "5 x c");
  e->SetText("plain");
  EXPECT_FALSE(e->HasChildNodes());
  EXPECT_EQ(e->NodeValue().AsString(), "plain");
  EXPECT_EQ(e->ChildNodes()->Count(), 1);  // the value turned into a text child again
  EXPECT_EQ(XmlErrorOf([&] { e->ChildNodes()->Item(1); }), kIndexError);
}

TEST(XmlElement, NamedChildren) {
  IXmlElement e = NewRoot();
  e->WriteChildText("Name", "one");
  e->WriteChildText("Name", "two");
  e->AppendElement("Other")->AppendElement("Name");
  EXPECT_EQ(e->ChildNodes()->Count(), 2);
  EXPECT_EQ(e->ReadChildText("Name", "none"), "two");
  EXPECT_EQ(e->ReadChildText("Missing", "none"), "none");
  EXPECT_EQ(XmlErrorOf([&] { e->RequireChild("Missing"); }), "Ошибка: не найден дочерний элемент \"Missing\".");
  EXPECT_EQ(e->ObtainChild("Name")->Text(), "two");
  e->ObtainChild("Added");
  EXPECT_EQ(e->ChildNodes()->Count(), 3);
  EXPECT_EQ(e->FindChildrenByName("Name")->Count(), 1);  // direct children only
  EXPECT_FALSE(e->FindChildByName("Nothing"));
  for (const char* bad : {"a/b", "", "1a", "*", "@x"})
    EXPECT_EQ(XmlErrorOf([&] { e->FindChildByName(bad); }), kNotSupported) << bad;
  EXPECT_EQ(XmlErrorOf([&] { e->FindChildrenByName("a b"); }), kNotSupported);
  IXmlElement a = e->AppendElement("Item");
  a->SetAttribute("id", "5");
  IXmlElement b = e->AppendElement("Item");
  b->SetIntAttribute("id", 7);
  EXPECT_EQ(e->FindChildByAttribute("Item", "id", TVariant(7)), b);
  EXPECT_EQ(e->FindChildByAttribute("Item", "id", TVariant("5")), a);
  EXPECT_FALSE(e->FindChildByAttribute("Item", "id", TVariant(6)));
}

TEST(XmlElement, AttributesKeepTheirPlace) {
  IXmlElement e = NewRoot();
  e->SetAttribute("a", "1");
  e->SetAttribute("b", "2");
  e->SetAttribute("c", "3");
  e->SetAttribute("a", "4");
  e->RemoveAttribute("b");
  ASSERT_EQ(e->AttributeCount(), 2);
  EXPECT_EQ(e->AttributeNameAt(0), "a");
  EXPECT_EQ(e->GetAttribute("a"), "4");
  EXPECT_EQ(e->AttributeNameAt(1), "c");
  EXPECT_EQ(e->GetAttribute("b", "def"), "def");
  EXPECT_EQ(e->AttributeType("b"), varString);
  EXPECT_EQ(XmlErrorOf([&] { e->AttributeNameIdAt(2); }), kIndexError);
  EXPECT_EQ(XmlErrorOf([&] { e->AttributeNameAt(-1); }), kIndexError);
  EXPECT_EQ(XmlErrorOf([&] { e->RequireAttribute("b"); }), "Не задан атрибут \"b\"");
  e->ClearAttributes();
  EXPECT_EQ(e->AttributeCount(), 0);
}

TEST(XmlElement, TypedAttributes) {
  IXmlElement e = NewRoot();
  e->SetBoolAttribute("b", true);
  EXPECT_EQ(e->GetAttribute("b"), "1");
  EXPECT_EQ(e->AttributeType("b"), varBoolean);
  for (auto [text, value] : {std::pair{"1", true}, {"0", false}, {"TRUE", true}, {"false", false}, {"-3", true}}) {
    e->SetAttribute("b", text);
    EXPECT_EQ(e->GetBoolAttribute("b"), value) << text;
  }
  e->SetAttribute("b", "maybe");
  EXPECT_THROW(e->GetBoolAttribute("b"), EConvertError);
  e->SetAttribute("i", "42");
  EXPECT_EQ(e->GetIntAttribute("i"), 42);
  EXPECT_EQ(e->GetIntAttribute("none", -1), -1);
  e->SetAttribute("i", "forty");
  EXPECT_THROW(e->GetIntAttribute("i"), Exception);
  e->SetAttribute("h", "1F");
  EXPECT_EQ(e->GetHexAttribute("h"), 31);
  e->SetHexAttribute("h", 255, 4);
  EXPECT_EQ(e->GetAttribute("h"), "00FF");
  e->SetAttribute("h", "G1");
  EXPECT_THROW(e->GetHexAttribute("h"), EConvertError);
}

TEST(XmlElement, FloatAttributesFollowTheLocale) {
  IXmlElement e = NewRoot();
  for (char sep : {'.', ','}) {
    TFormatSettingsOverride locale(WithSeparator(sep));
    e->SetFloatAttribute("f", 1.5);
    EXPECT_EQ(e->GetAttribute("f"), "1.5");
    for (const char* text : {"2,25", "2.25"}) {
      e->SetAttribute("f", text);
      EXPECT_DOUBLE_EQ(e->GetFloatAttribute("f"), 2.25) << text << " with " << sep;
    }
  }
  EXPECT_EQ(XmlFloatToStr(0.1), "0.1");
  EXPECT_THROW(XmlStrToFloat("abc"), EConvertError);
}

TEST(XmlElement, DateTimeAttributes) {
  IXmlElement e = NewRoot();
  const TDateTime when = EncodeDate(2006, 1, 2) + EncodeTime(3, 4, 5, 0);
  e->SetDateTimeAttribute("d", when);
  EXPECT_EQ(e->GetAttribute("d"), "2006-01-02T03-04-05");
  EXPECT_DOUBLE_EQ(e->GetDateTimeAttribute("d"), when);
  e->SetAttribute("d", "2006-01-02");
  EXPECT_DOUBLE_EQ(e->GetDateTimeAttribute("d"), EncodeDate(2006, 1, 2));
  // The standard form with colons gives the time, not 03:00:00.
  e->SetAttribute("d", "2006-01-02T03:04:05");
  EXPECT_NEAR(e->GetDateTimeAttribute("d"), when, 1e-9);
  for (const char* bad : {"2006-00-01", "2006-02-30", "", "2006-01-02T25-00-00", "99999999999-1-1"}) {
    e->SetAttribute("d", bad);
    EXPECT_THROW(e->GetDateTimeAttribute("d"), Exception) << bad;
  }
}

TEST(XmlElement, EnumAttributes) {
  IXmlElement e = NewRoot();
  const std::vector<AnsiString> allowed = {"none", "Left"};
  EXPECT_EQ(e->GetEnumAttribute("align", allowed, 1), 1);
  e->SetAttribute("align", "LEFT");
  EXPECT_EQ(e->GetEnumAttribute("align", allowed, 0), 1);
  e->SetAttribute("align", "up");
  EXPECT_EQ(XmlErrorOf([&] { e->GetEnumAttribute("align", allowed, 0); }),
            "Неверное значение атрибута \"align\" элемента \"root\".\r\nДопустимые значения:\r\nnone\r\nLeft");
  EXPECT_EQ(XmlErrorOf([&] { e->RequireEnumAttribute("valign", allowed); }), "Не найден атрибут \"valign\"");
}

TEST(XmlElement, Paths) {
  IXmlElement e = NewRoot();
  e->SetPathValue("@a", TVariant(3));
  e->SetPathValue("Child", TVariant("c"));
  e->SetPathValue("Child", TVariant("d"));
  EXPECT_EQ(e->GetPathValue("@a").AsInteger(), 3);
  EXPECT_EQ(e->GetPathValue("@missing").AsString(), "");
  EXPECT_EQ(e->GetPathValue("Child").AsString(), "d");
  EXPECT_EQ(e->GetPathValue("Missing").AsString(), "");
  EXPECT_EQ(e->ChildNodes()->Count(), 1);
  EXPECT_EQ(e->GetPathValue("").AsString(), "d");
  e->SetPathValue("", TVariant(9));
  EXPECT_EQ(e->GetPathValue("").VarType(), varInteger);
}

TEST(XmlElement, CDataAndBase64Text) {
  IXmlElement e = NewRoot();
  e->AppendText("old");
  e->AppendElement("kept");
  e->SetCDataText("x]]>y");
  IXmlNodeList list = e->ChildNodes();
  ASSERT_EQ(list->Count(), 3);
  EXPECT_EQ(list->Item(0)->NodeName(), "kept");
  EXPECT_EQ(static_cast<TXmlCharacterData*>(list->Item(1).get())->Data(), "x]");
  EXPECT_EQ(static_cast<TXmlCharacterData*>(list->Item(2).get())->Data(), "]>y");
  const char bytes[] = "\x00\x01\xFFzz";
  e->SetBase64Text(bytes, 5, 4);
  EXPECT_EQ(e->GetBase64Data(), AnsiString(bytes, 5));
}

TEST(XmlTextForms, ValuesAsText) {
  const TDateTime when = EncodeDate(2006, 1, 2) + EncodeTime(3, 4, 5, 0);
  const std::pair<TVariant, const char*> cases[] = {
      {TVariant(), ""},
      {TVariant::Null(), "{{null}}"},
      {TVariant(-7), "-7"},
      {TVariant(static_cast<long long>(1) << 40), "1099511627776"},
      {TVariant(true), "1"},
      {TVariant(false), "0"},
      {TVariant(2.5), "2.5"},
      {TVariant::FromCurrency(125000), "12.5"},
      {TVariant::FromDateTime(when), "2006-01-02T03-04-05"},
      {TVariant(L"wide"), "wide"},
      {TVariant(std::vector<uint8_t>{1, 2, 3}), "AQID"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(VarToXmlStr(value), text) << text;
}

TEST(XmlTextForms, Base64) {
  EXPECT_EQ(Base64Encode("abc", 3), "YWJj");
  EXPECT_EQ(Base64Encode("abcdef", 6, 4), "YWJj\r\nZGVm");
  EXPECT_EQ(Base64Encode("ab", 2), "YWI=");
  const std::pair<const char*, AnsiString> decoded[] = {
      {"YWJj\r\nZGVm", "abcdef"},
      {"YWI=", "ab"},
      {"YQ==", "a"},
      {"YWJjZA", "abcd"},
      {"YWJjZ", "abc"},  // a lone last character holds no byte
      {"YWJ", ""},
  };
  for (const auto& [text, bytes] : decoded) EXPECT_EQ(Base64Decode(text), bytes) << text;
  for (const char* bad : {"YW!j", "Y=Jj", "YWJj\x80"}) EXPECT_THROW(Base64Decode(bad), EXmlError) << bad;
}

TEST(XmlNodeList, ANodeLivesInOneListOnly) {
  IXmlDocument doc = CreateXmlDocument("root");
  IXmlElement root = doc->DocumentElement();
  IXmlElement a = root->AppendElement("a");
  IXmlElement b = root->AppendElement("b");
  IXmlElement c = a->AppendElement("c");
  b->AppendChild(c);
  EXPECT_EQ(a->ChildNodes()->Count(), 0);
  EXPECT_EQ(c->ParentNode(), b);
  // Inserting a child before another of the same list moves it, it does not copy it.
  root->InsertBefore(b, a);
  ASSERT_EQ(root->ChildNodes()->Count(), 2);
  EXPECT_EQ(root->ChildNodes()->Item(0), b);
  root->AppendChild(b);
  EXPECT_EQ(root->ChildNodes()->Count(), 2);
  EXPECT_EQ(root->ChildNodes()->Item(1), b);
  const std::string cycle = "Узел не может быть вставлен в самого себя или в свой дочерний узел";
  EXPECT_EQ(XmlErrorOf([&] { c->AppendChild(root); }), cycle);
  EXPECT_EQ(XmlErrorOf([&] { c->AppendChild(c); }), cycle);
  EXPECT_EQ(c->ParentNode(), b);  // nothing changed
  IXmlElement d = root->OwnerDocument()->CreateElement("d");
  EXPECT_EQ(root->ReplaceChild(d, a), a);
  EXPECT_FALSE(a->ParentNode());
  EXPECT_EQ(root->RemoveChild(d), 0);
  EXPECT_EQ(root->RemoveChild(d), -1);
}

// A node put before itself stays where it is as a child, else (new, or another's) goes to the end.
TEST(XmlNodeList, ANodeInsertedBeforeItself) {
  for (const std::string which : {"a", "b", "c", "other", "new"}) {
    IXmlDocument doc = CreateXmlDocument("root");
    IXmlElement root = doc->DocumentElement();
    for (const char* name : {"a", "b", "c"}) root->AppendElement(name);
    IXmlElement elsewhere = doc->CreateElement("elsewhere"), other = elsewhere->AppendElement("other");
    IXmlNode n = which == "new"     ? IXmlNode(doc->CreateElement("new"))
                 : which == "other" ? IXmlNode(other)
                                    : root->FindChildByName(which);
    EXPECT_EQ(root->InsertBefore(n, n), n) << which;
    std::string order;
    for (int i = 0; i < root->ChildNodes()->Count(); ++i) order += root->ChildNodes()->Item(i)->NodeName();
    EXPECT_EQ(order, which.size() == 1 ? "abc" : "abc" + which) << which;
    EXPECT_EQ(n->ParentNode(), root) << which;
  }
}

TEST(XmlElement, AChildWithTheEmptyNameIsFoundByIt) {
  IXmlElement e = NewRoot();
  e->AppendElement("first");
  IXmlElement unnamed = e->AppendElement("");
  unnamed->SetText("u");
  EXPECT_EQ(e->ReadChildText("", "none"), "u");
  EXPECT_EQ(e->ReadChildText(-1, "none"), "u");
  EXPECT_EQ(e->RequireChild(""), unnamed);
  EXPECT_EQ(e->ObtainChild(""), unnamed);
  e->WriteChildText("", "w");
  EXPECT_EQ(unnamed->Text(), "w");
  EXPECT_EQ(e->ChildNodes()->Count(), 2);
}

TEST(XmlNodeList, LinksToAFreedParentAreCleared) {
  IXmlNode child;
  IXmlNodeList list;
  {
    IXmlDocument doc = CreateXmlDocument("root");
    child = doc->DocumentElement()->AppendElement("child");
    list = doc->DocumentElement()->ChildNodes();
  }
  EXPECT_FALSE(child->ParentNode());
  EXPECT_FALSE(child->OwnerDocument());
  EXPECT_EQ(list->Owner(), nullptr);
  list->Insert(IXmlNode(child), -1);  // no owner to reach
  EXPECT_EQ(list->Count(), 2);
}

TEST(XmlNodeList, NodesMoveToTheNameTableOfTheirNewParent) {
  IXmlNameTable other(new TXmlNameTable(16));
  other->InternName("padding");
  IXmlDocument foreign = CreateXmlDocument("outer", "1.0", "", other);
  IXmlElement e = foreign->DocumentElement()->AppendElement("moved");
  e->SetAttribute("attr", "v");
  e->AppendElement("inner");
  IXmlElement root = NewRoot();
  root->AppendChild(e);
  EXPECT_EQ(e->NameTable(), root->NameTable());
  EXPECT_EQ(e->NodeName(), "moved");
  EXPECT_EQ(e->AttributeNameAt(0), "attr");
  EXPECT_EQ(e->ChildNodes()->Item(0)->NodeName(), "inner");
}

TEST(XmlDocument, ACopyTakesTheDefaultWhiteSpaceRule) {
  const bool saved = DefaultKeepWhiteSpace;
  for (int i = 0; i < 8; ++i) {
    const bool byDefault = i & 1, kept = i & 2, deep = i & 4;
    DefaultKeepWhiteSpace = byDefault;
    IXmlDocument doc = CreateXmlDocument("root");
    doc->SetKeepWhiteSpace(kept);
    EXPECT_EQ(doc->CloneNode(deep)->OwnerDocument()->KeepWhiteSpace(), byDefault) << i;
  }
  DefaultKeepWhiteSpace = saved;
}

TEST(XmlDocument, CharacterDataAndClones) {
  IXmlDocument doc = CreateXmlDocument("root");
  IXmlElement root = doc->DocumentElement();
  root->SetAttribute("a", "1");
  IXmlComment c = root->AppendComment("  note  ");
  EXPECT_EQ(c->Text(), "note");
  doc->SetKeepWhiteSpace(true);
  EXPECT_EQ(c->Text(), "  note  ");
  IXmlElement v = root->AppendElement("v");
  v->SetNodeValue(TVariant(3));
  IXmlNode copy = doc->CloneNode(true);
  doc->SetKeepWhiteSpace(false);  // the copy is written on the default rule, indented
  EXPECT_EQ(copy->Xml(), doc->Xml());
  EXPECT_EQ(root->CloneNode(false)->Xml(), "\r\n<root a=\"1\"/>");
  EXPECT_EQ(v->CloneNode(false)->NodeValue().VarType(), varInteger);
  doc->SetText("t");
  EXPECT_EQ(doc->ChildNodes()->Count(), 1);
  EXPECT_EQ(doc->Text(), "t");
}
