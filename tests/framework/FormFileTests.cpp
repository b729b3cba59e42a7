// Form files: read into components and written back unchanged; events, nested objects,
// collections, string lists, sets, binary and typed defined properties, references,
// inherited forms and embedded frames; malformed text raises a clear error and crashes nothing.
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "AllocationCount.h"
#include "ProcessMemory.h"
#include "framework/Colors.h"
#include "framework/FormFiles.h"
#include "framework/Forms.h"
#include "framework/Streams.h"
#include "framework/StringLists.h"
#include "tests/framework/Raised.h"

HV_ENUM(TFfShape, skCircle, skSquare, skTriangle)
using TFfShapes = TSet<TFfShape>;
HV_ENUM(TFfFontStyle, tfsBold, tfsItalic, tfsUnderline)
using TFfFontStyles = TSet<TFfFontStyle>;

std::vector<std::string> gLoaded;  // names, in the order Loaded was called (the fuzz test clears it)
namespace {
std::string gLoadingSeen;  // state flags seen by a setter while reading
}  // namespace

class TFfFont : public TPersistent {
  HV_CLASS(TFfFont, TPersistent)
 public:
  const std::string& Name() const { return name_; }
  void SetName(const std::string& v) { name_ = v; }
  int Size() const { return size_; }
  void SetSize(int v) { size_ = v; }
  TFfFontStyles Style() const { return style_; }
  void SetStyle(TFfFontStyles v) { style_ = v; }

 private:
  std::string name_;
  int size_ = 8;
  TFfFontStyles style_;
};

HV_PUBLISH(TFfFont) {
  p.Prop("Name", &T::Name, &T::SetName);
  p.Prop("Size", &T::Size, &T::SetSize).Default(8);
  p.Prop("Style", &T::Style, &T::SetStyle).Default(TFfFontStyles{});
}

class TFfItem : public TCollectionItem {
  HV_CLASS(TFfItem, TCollectionItem)
 public:
  explicit TFfItem(TCollection* c) : TCollectionItem(c) {}
  const std::wstring& Caption() const { return caption_; }
  void SetCaption(const std::wstring& v) { caption_ = v; }
  int Value() const { return value_; }
  void SetValue(int v) { value_ = v; }
  TFfFont* Font() const { return font_.get(); }

 private:
  std::wstring caption_;
  int value_ = 0;
  std::unique_ptr<TFfFont> font_ = std::make_unique<TFfFont>();
};

HV_PUBLISH(TFfItem) {
  p.Prop("Caption", &T::Caption, &T::SetCaption);
  p.Prop("Value", &T::Value, &T::SetValue).Default(0);
  p.Prop("Font", &T::Font);
}

class TFfWidget : public TComponent {
  HV_CLASS(TFfWidget, TComponent)
 public:
  explicit TFfWidget(TComponent* owner) : TComponent(owner) {}
  ~TFfWidget() override {
    if (parent_) std::erase(parent_->kids_, this);
    for (TFfWidget* k : kids_) k->parent_ = nullptr;
  }

  const std::wstring& Caption() const { return caption_; }
  void SetCaption(const std::wstring& v) { caption_ = v; }
  const std::string& Text() const { return text_; }
  void SetText(const std::string& v) { text_ = v; }
  int Count() const { return count_; }
  void SetCount(int v) {
    count_ = v;
    gLoadingSeen = std::string(IsLoading() ? "loading" : "") + (ComponentState().Contains(csReading) ? "+reading" : "");
  }
  uint8_t Small() const { return small_; }
  void SetSmall(uint8_t v) { small_ = v; }
  TFfShape Kind() const { return kind_; }
  void SetKind(TFfShape v) { kind_ = v; }
  TFfShapes Kinds() const { return kinds_; }
  void SetKinds(TFfShapes v) { kinds_ = v; }
  double Ratio() const { return ratio_; }
  void SetRatio(double v) { ratio_ = v; }
  float Scale() const { return scale_; }
  void SetScale(float v) { scale_ = v; }
  long long Big() const { return big_; }
  void SetBig(long long v) { big_ = v; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v) { enabled_ = v; }
  TColor Colour() const { return colour_; }
  void SetColour(TColor v) { colour_ = v; }
  char Letter() const { return letter_; }
  void SetLetter(char v) { letter_ = v; }
  TFfFont* Font() const { return font_.get(); }
  TStrings* Lines() const { return lines_.get(); }
  void SetLines(TStrings* v) { lines_->Assign(v); }
  TCollection* Items() const { return items_.get(); }
  TFfWidget* Buddy() const { return buddy_; }
  void SetBuddy(TFfWidget* v) { buddy_ = v; }
  TComponent* Link() const { return link_; }
  void SetLink(TComponent* v) { link_ = v; }

  TNotifyEvent OnClick;
  TEvent<void(TObject*, int)> OnValue;
  std::vector<int> numbers;
  std::string data;

  bool HasParent() const override { return parent_ != nullptr; }
  TComponent* GetParentComponent() const override { return parent_; }
  void SetParentComponent(TComponent* p) override {
    if (parent_) std::erase(parent_->kids_, this);
    parent_ = dynamic_cast<TFfWidget*>(p);
    if (parent_) parent_->kids_.push_back(this);
  }
  void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override {
    for (TFfWidget* k : kids_)
      if (k->Owner() == root) proc(k);
  }
  void Loaded() override {
    TComponent::Loaded();
    gLoaded.push_back(Name());
  }

  void DefineProperties(TFiler* filer) override {
    TComponent::DefineProperties(filer);
    auto* ancestor = dynamic_cast<TFfWidget*>(filer->Ancestor());
    filer->DefineProperty(
        "Numbers",
        [this](TReader& r) {
          std::vector<int> v;
          r.ReadListBegin();
          while (!r.EndOfList()) v.push_back(r.ReadInteger());
          r.ReadListEnd();
          numbers = v;
        },
        [this](TWriter& w) {
          w.WriteListBegin();
          for (int n : numbers) w.WriteInteger(n);
          w.WriteListEnd();
        },
        ancestor ? ancestor->numbers != numbers : !numbers.empty());
    filer->DefineBinaryProperty(
        "Data",
        [this](TStream& s) {
          data.assign(static_cast<size_t>(s.Size()), '\0');
          s.ReadBuffer(data.data(), static_cast<int>(data.size()));
        },
        [this](TStream& s) { s.WriteBuffer(data.data(), static_cast<int>(data.size())); },
        ancestor ? ancestor->data != data : !data.empty());
  }

 private:
  std::wstring caption_;
  std::string text_;
  int count_ = 0;
  uint8_t small_ = 0;
  TFfShape kind_ = skCircle;
  TFfShapes kinds_;
  double ratio_ = 0;
  float scale_ = 0;
  long long big_ = 0;
  bool enabled_ = true;
  TColor colour_ = clNone;
  char letter_ = 0;
  std::unique_ptr<TFfFont> font_ = std::make_unique<TFfFont>();
  std::unique_ptr<TStringList> lines_ = std::make_unique<TStringList>();
  std::unique_ptr<TOwnedCollection> items_ = std::make_unique<TOwnedCollection>(this, TFfItem::StaticClassInfo());
  TFfWidget* buddy_ = nullptr;
  TComponent* link_ = nullptr;
  TFfWidget* parent_ = nullptr;
  std::vector<TFfWidget*> kids_;
};

HV_PUBLISH(TFfWidget) {
  p.Prop("Caption", &T::Caption, &T::SetCaption);
  p.Prop("Text", &T::Text, &T::SetText);
  p.Prop("Count", &T::Count, &T::SetCount).Default(0);
  p.Prop("Small", &T::Small, &T::SetSmall).Default(0);
  p.Prop("Kind", &T::Kind, &T::SetKind).Default(skCircle);
  p.Prop("Kinds", &T::Kinds, &T::SetKinds).Default(TFfShapes{});
  p.Prop("Ratio", &T::Ratio, &T::SetRatio);
  p.Prop("Scale", &T::Scale, &T::SetScale);
  p.Prop("Big", &T::Big, &T::SetBig);
  p.Prop("Enabled", &T::Enabled, &T::SetEnabled).Default(true);
  p.Prop("Colour", &T::Colour, &T::SetColour).Default(clNone);
  p.Prop("Letter", &T::Letter, &T::SetLetter).Default(0);
  p.Prop("Font", &T::Font);
  p.Prop("Lines", &T::Lines, &T::SetLines);
  p.Prop("Items", &T::Items);
  p.Prop("Buddy", &T::Buddy, &T::SetBuddy);
  p.Prop("Link", &T::Link, &T::SetLink);
  p.Event("OnClick", &T::OnClick);
  p.Event("OnValue", &T::OnValue);
}

class TFfForm : public TComponent {
  HV_CLASS(TFfForm, TComponent)
 public:
  explicit TFfForm(TComponent* owner) : TComponent(owner) {}
  const std::wstring& Caption() const { return caption_; }
  void SetCaption(const std::wstring& v) { caption_ = v; }
  void WidgetClick(TObject* sender) { clicked = sender; }
  void WidgetValue(TObject*, int v) { value = v; }
  void Loaded() override {
    TComponent::Loaded();
    gLoaded.push_back(Name());
  }

  TFfWidget* Widget1 = nullptr;
  TFfWidget* Widget2 = nullptr;
  TFfWidget* Widget3 = nullptr;
  TObject* clicked = nullptr;
  int value = 0;

 private:
  std::wstring caption_;
};

HV_PUBLISH(TFfForm) {
  p.Prop("Caption", &T::Caption, &T::SetCaption);
  p.ComponentField("Widget1", &T::Widget1);
  p.ComponentField("Widget2", &T::Widget2);
  p.ComponentField("Widget3", &T::Widget3);
  p.Method("WidgetClick", &T::WidgetClick);
  p.Method("WidgetValue", &T::WidgetValue);
}

class TFfForm2 : public TFfForm {
  HV_CLASS(TFfForm2, TFfForm)
 public:
  using TFfForm::TFfForm;
  TFfWidget* Widget4 = nullptr;
};

HV_PUBLISH(TFfForm2) { p.ComponentField("Widget4", &T::Widget4); }

// A frame reads its own form file when it is created, as forms and frames do.
class TFfFrame : public TComponent {
  HV_CLASS(TFfFrame, TComponent)
 public:
  explicit TFfFrame(TComponent* owner) : TComponent(owner) {
    InitInheritedComponent(this, TComponent::StaticClassInfo());
  }
  void FrameClick(TObject*) { ++frameClicks; }
  TFfWidget* Label1 = nullptr;
  int frameClicks = 0;
};

HV_PUBLISH(TFfFrame) {
  p.ComponentField("Label1", &T::Label1);
  p.Method("FrameClick", &T::FrameClick);
}

class TFfHost : public TComponent {
  HV_CLASS(TFfHost, TComponent)
 public:
  using TComponent::TComponent;
  void HostClick(TObject*) { ++hostClicks; }
  int hostClicks = 0;
};

HV_PUBLISH(TFfHost) { p.Method("HostClick", &T::HostClick); }

// A class with no form file of its own.
class TFfNoFile : public TFfForm {
  HV_CLASS(TFfNoFile, TFfForm)
 public:
  using TFfForm::TFfForm;
};

HV_PUBLISH(TFfNoFile) {}

// Reads and writes values through the typed operations of the filers.
class TFfProbe : public TComponent {
  HV_CLASS(TFfProbe, TComponent)
 public:
  explicit TFfProbe(TComponent* owner) : TComponent(owner) {}
  std::vector<TFormValueType> kinds;
  bool typedSet = false;
  int32_t i = 0;
  int64_t big = 0;
  long double f = 0;
  AnsiString s;
  WideString w;
  bool b = false;
  std::string ident;
  TOwnedCollection extra{this, TFfItem::StaticClassInfo()};
  bool badWriter = false;

  void DefineProperties(TFiler* filer) override {
    filer->DefineProperty(
        "Probe",
        [this](TReader& r) {
          r.ReadListBegin();
          while (!r.EndOfList()) {
            kinds.push_back(r.NextValue());
            r.SkipValue();
          }
          r.ReadListEnd();
        },
        nullptr, false);
    filer->DefineProperty(
        "Typed",
        [this](TReader& r) {
          r.ReadListBegin();
          i = r.ReadInteger();
          big = r.ReadInt64();
          f = r.ReadFloat();
          s = r.ReadString();
          w = r.ReadWideString();
          b = r.ReadBoolean();
          ident = r.ReadIdent();
          r.ReadListEnd();
          typedSet = true;
        },
        [this](TWriter& wr) {
          wr.WriteListBegin();
          wr.WriteInteger(i);
          wr.WriteInt64(big);
          wr.WriteFloat(f);
          wr.WriteString(s);
          wr.WriteWideString(w);
          wr.WriteBoolean(b);
          wr.WriteIdent(ident);
          wr.WriteListEnd();
        },
        typedSet);
    filer->DefineProperty(
        "Extra", [this](TReader& r) { r.ReadCollection(&extra); }, [this](TWriter& wr) { wr.WriteCollection(&extra); },
        extra.Count() > 0);
    filer->DefineProperty(
        "Bad", nullptr,
        [](TWriter& wr) {
          wr.WriteInteger(1);
          wr.WriteInteger(2);
        },
        badWriter);
  }
};

HV_PUBLISH(TFfProbe) {}

// Collection items that refer to components.
class TFfLinkItem : public TCollectionItem {
  HV_CLASS(TFfLinkItem, TCollectionItem)
 public:
  using TCollectionItem::TCollectionItem;
  TComponent* target = nullptr;
};

HV_PUBLISH(TFfLinkItem) { p.Field("Target", &T::target); }

class TFfLinks : public TComponent {
  HV_CLASS(TFfLinks, TComponent)
 public:
  using TComponent::TComponent;
  TOwnedCollection links{this, TFfLinkItem::StaticClassInfo()};
  TCollection* Links() const { return const_cast<TOwnedCollection*>(&links); }
};

HV_PUBLISH(TFfLinks) { p.Prop("Links", &T::Links); }

namespace {

const bool registered = [] {
  RegisterClasses({&TFfWidget::StaticClassInfo(), &TFfForm::StaticClassInfo(), &TFfForm2::StaticClassInfo(),
                   &TFfFrame::StaticClassInfo(), &TFfHost::StaticClassInfo(), &TFfProbe::StaticClassInfo(),
                   &TFfLinks::StaticClassInfo()});
  return true;
}();

std::string Resource(const wchar_t* name) {
  TResourceStream s(GetModuleHandleW(nullptr), name, RT_RCDATA);
  return std::string(static_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
}

// Reads the text into a fresh form and gives the error text.
std::string ReadError(const std::string& text) {
  TFfForm form(nullptr);
  return Raised<EReadError>([&] { ReadComponentFromText(text, &form, "text"); });
}

}  // namespace

TEST(FormFiles, ReadSetsEveryKindOfValue) {
  TFfForm form(nullptr);
  ASSERT_TRUE(InitInheritedComponent(&form, TComponent::StaticClassInfo()));
  EXPECT_EQ(form.Name(), "FfForm");
  EXPECT_EQ(form.Caption(), L"Test form");
  ASSERT_NE(form.Widget1, nullptr);
  ASSERT_NE(form.Widget3, nullptr);
  TFfWidget& w = *form.Widget1;
  EXPECT_EQ(w.Owner(), &form);
  EXPECT_EQ(w.Caption(), L"It's \tcaf\u00e9 \u0416 \U0001F600");
  EXPECT_EQ(w.Text(), "plain");
  EXPECT_EQ(w.Count(), -42);
  EXPECT_EQ(w.Small(), 200);
  EXPECT_EQ(w.Kind(), skTriangle);
  EXPECT_EQ(w.Kinds(), (TFfShapes{skCircle, skTriangle}));
  EXPECT_EQ(w.Ratio(), 0.1);
  EXPECT_EQ(w.Scale(), 1.5f);
  EXPECT_EQ(w.Big(), 5000000000LL);
  EXPECT_FALSE(w.Enabled());
  EXPECT_EQ(w.Colour(), clRed);
  EXPECT_EQ(w.Letter(), 'x');
  EXPECT_EQ(w.Font()->Name(), "Tahoma");
  EXPECT_EQ(w.Font()->Style(), (TFfFontStyles{tfsBold, tfsItalic}));
  EXPECT_EQ(w.Lines()->Text(), "first\r\nsecond line\r\n\r\n");
  ASSERT_EQ(w.Items()->Count(), 2);
  EXPECT_EQ(static_cast<TFfItem*>(w.Items()->Items(1))->Font()->Size(), 9);
  EXPECT_EQ(w.Buddy(), form.Widget2);
  EXPECT_EQ(form.Widget2->Buddy(), &w);
  EXPECT_EQ(form.Widget2->Link(), &form);
  EXPECT_EQ(w.numbers, (std::vector<int>{1, -2, 300}));
  EXPECT_EQ(w.data, std::string("\x00\x01\x02\xFF", 4));
  EXPECT_EQ(form.Widget3->GetParentComponent(), &w);
  EXPECT_EQ(form.Widget3->Caption(), L"line one\r\nline two");
  EXPECT_EQ(form.Widget3->Ratio(), 1e20);
}

TEST(FormFiles, WrittenTextEqualsTheFileThatWasRead) {
  TFfForm form(nullptr);
  InitInheritedComponent(&form, TComponent::StaticClassInfo());
  std::string text = WriteComponentToText(&form);
  EXPECT_EQ(text, Resource(L"TFfForm"));
}

TEST(FormFiles, OtherSpellingsReadLikeTheWrittenLayout) {
  TFfForm form(nullptr);
  ReadComponentFromText(
      "\xEF\xBB\xBFOBJECT F : TFfForm\r\n\r\n"
      "\tcaption = #$41'b' +\r\n   'c'#10 + #100\r\n"
      "  Object W:TFfWidget  Count = $10 Big = -$100000000 Ratio = 2.50E1 Kinds=[ skSquare ]\r\n"
      "  Items = < ITEM Value = -$10 END item end >\r\n"
      "  Data = { 0a0B\r\n 0c }\r\n"
      "  END\r\n"
      "End",
      &form);
  EXPECT_EQ(WriteComponentToText(&form),
            "object F: TFfForm\n"
            "  Caption = 'Abc'#10 +\n    'd'\n"
            "  object W: TFfWidget\n"
            "    Count = 16\n"
            "    Kinds = [skSquare]\n"
            "    Ratio = 25.0\n"
            "    Big = -4294967296\n"
            "    Items = <\n      item\n        Value = -16\n      end\n      item\n      end>\n"
            "    Data = {\n      0A0B0C}\n"
            "  end\n"
            "end\n");
}

TEST(FormFiles, EventsAreBoundByMethodName) {
  TFfForm form(nullptr);
  InitInheritedComponent(&form, TComponent::StaticClassInfo());
  ASSERT_TRUE(form.Widget1->OnClick.Assigned());
  form.Widget1->OnClick(form.Widget1);
  EXPECT_EQ(form.clicked, form.Widget1);
  form.Widget1->OnValue(nullptr, 17);
  EXPECT_EQ(form.value, 17);
  EXPECT_EQ(ReadError("object F: TFfForm\n object W: TFfWidget\n  OnClick = WidgetValue\n end\nend\n"),
            "Error reading F.W.OnClick: Method WidgetValue does not have the parameters of OnClick");
  EXPECT_EQ(ReadError("object F: TFfForm\n object W: TFfWidget\n  OnClick = Nowhere\n end\nend\n"),
            "Error reading F.W.OnClick: Method Nowhere not found in TFfForm");
}

TEST(FormFiles, LoadingStateAndLoadedOncePerComponentRootLast) {
  gLoaded.clear();
  gLoadingSeen.clear();
  {
    TFfForm form(nullptr);
    InitInheritedComponent(&form, TComponent::StaticClassInfo());
    EXPECT_EQ(gLoaded, (std::vector<std::string>{"Widget1", "Widget3", "Widget2", "FfForm"}));
    EXPECT_EQ(gLoadingSeen, "loading+reading");
    for (int i = 0; i < form.ComponentCount(); ++i) {
      EXPECT_FALSE(form.Components(i)->IsLoading());
      EXPECT_FALSE(form.Components(i)->ComponentState().Contains(csReading));
    }
  }
  // Two files for an inherited form; still one Loaded for each component.
  gLoaded.clear();
  TFfForm2 form2(nullptr);
  InitInheritedComponent(&form2, TComponent::StaticClassInfo());
  EXPECT_EQ(gLoaded, (std::vector<std::string>{"Widget1", "Widget3", "Widget2", "Widget4", "FfForm2"}));
}

TEST(FormFiles, InheritedFormsReadTheAncestorFirstAndWriteOnlyDifferences) {
  TFfForm2 form(nullptr);
  InitInheritedComponent(&form, TComponent::StaticClassInfo());
  EXPECT_EQ(form.Caption(), L"Derived form");
  EXPECT_EQ(form.Widget1->Count(), 7);
  EXPECT_EQ(form.Widget1->Text(), "plain");  // from the ancestor's file
  EXPECT_EQ(form.Widget1->Lines()->Text(), "replaced\r\n");
  ASSERT_NE(form.Widget4, nullptr);
  EXPECT_EQ(form.Widget4->Buddy(), form.Widget1);
  TFfForm ancestor(nullptr);
  InitInheritedComponent(&ancestor, TComponent::StaticClassInfo());
  EXPECT_EQ(WriteComponentToText(&form, &ancestor), Resource(L"TFfForm2"));

  // Nothing to read when the class is the root ancestor itself.
  TFfForm2 none(nullptr);
  EXPECT_FALSE(InitInheritedComponent(&none, TFfForm2::StaticClassInfo()));
  EXPECT_EQ(none.Widget1, nullptr);
}

TEST(FormFiles, EmbeddedFramesReadTheirOwnFileAndTheHostsChanges) {
  TFfHost host(nullptr);
  InitInheritedComponent(&host, TComponent::StaticClassInfo());
  auto* frame = dynamic_cast<TFfFrame*>(host.FindComponent("Frame1"));
  ASSERT_NE(frame, nullptr);
  ASSERT_NE(frame->Label1, nullptr);
  EXPECT_EQ(frame->Label1->Owner(), frame);
  EXPECT_EQ(frame->Label1->Caption(), L"changed in host");
  frame->Label1->OnClick(nullptr);
  EXPECT_EQ(host.hostClicks, 1);
  EXPECT_EQ(frame->frameClicks, 0);
  auto* widget = dynamic_cast<TFfWidget*>(host.FindComponent("Widget9"));
  ASSERT_NE(widget, nullptr);
  EXPECT_EQ(widget->Buddy(), frame->Label1);
  EXPECT_EQ(WriteComponentToText(&host), Resource(L"TFfHost"));
}

TEST(FormFiles, TypedValuesOfDefinedProperties) {
  std::string text =
      "object P: TFfProbe\n"
      "  Probe = (1 300 70000 5000000000 -129 1.5 2e3 'a' '\xC3\xA9' '" +
      std::string(300, 'x') +
      "' abc True False nil Null [a, b] {00FF} <> () $FFFFFFFF)\n"
      "  Typed = (-7 123456789012 2.5 'ansi' 'wide \xD0\x96' True Ident)\n"
      "  Extra = <\n    item\n      Value = 4\n      Font.Size = 20\n    end>\n"
      "end\n";
  TFfProbe probe(nullptr);
  ReadComponentFromText(text, &probe);
  EXPECT_EQ(probe.kinds,
            (std::vector<TFormValueType>{vaInt8,   vaInt16,   vaInt32,   vaInt64,      vaInt16, vaExtended, vaExtended,
                                         vaString, vaWString, vaLString, vaIdent,      vaTrue,  vaFalse,    vaNil,
                                         vaNull,   vaSet,     vaBinary,  vaCollection, vaList,  vaInt8}));
  EXPECT_EQ(WriteComponentToText(&probe),
            "object P: TFfProbe\n"
            "  Typed = (\n    -7\n    123456789012\n    2.5\n    'ansi'\n    'wide \xD0\x96'\n    True\n    Ident)\n"
            "  Extra = <\n    item\n      Value = 4\n      Font.Size = 20\n    end>\n"
            "end\n");

  // A value of another kind, or values left over, are refused with the property's path.
  TFfProbe other(nullptr);
  EXPECT_EQ(
      Raised<EReadError>([&] { ReadComponentFromText("object P: TFfProbe\n  Typed = ('x')\nend\n", &other, "text"); }),
      "Error reading P.Typed: Invalid property value");
  EXPECT_THROW(ReadComponentFromText("object P: TFfProbe\n  Typed = (1 2 3.0 'a' 'b' False x 9)\nend\n", &other),
               EReadError);
  other.badWriter = true;
  EXPECT_THROW(WriteComponentToText(&other), EWriteError);
}

TEST(FormFiles, StringListsKeepTheirItemsInTheStringsProperty) {
  TFfForm form(nullptr);
  ReadComponentFromText(
      "object F: TFfForm\n"
      "  object W: TFfWidget\n"
      "    Lines.Strings = (\n      'a'\n      'caf\xC3\xA9'#13'x')\n"
      "  end\n"
      "end\n",
      &form);
  auto* w = dynamic_cast<TFfWidget*>(form.FindComponent("W"));
  ASSERT_NE(w, nullptr);
  ASSERT_EQ(w->Lines()->Count(), 2);
  EXPECT_EQ(w->Lines()->Strings(1), "caf\xE9\rx");  // ANSI 1252
  // A wrong item leaves the list as it was.
  EXPECT_EQ(Raised<EReadError>([&] {
              ReadComponentFromText(
                  "object F: TFfForm\n inherited W: TFfWidget\n  Lines.Strings = ('z' 5)\n end\nend\n", &form, "text");
            }),
            "Error reading F.W.Lines.Strings: Invalid property value");
  EXPECT_EQ(w->Lines()->Count(), 2);
}

TEST(FormFiles, MalformedTextIsRefusedWithAClearMessage) {
  struct Case {
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {"object F: TFfForm\n  Caption = 'abc\nend\n", "Error reading text, line 2: unterminated string"},
      {"object F: TFfForm\n  Caption = 'abc'\n", "Error reading text, line 3: 'end' missing for F"},
      {"object F: TFfForm\n  object W: TFfWidget\n  Count = 1\nend\n",
       "Error reading text, line 5: 'end' missing for F"},
      {"", "Error reading text, line 1: 'object' expected"},
      {"thing F: TFfForm\nend\n", "Error reading text, line 1: 'object' expected"},
      {"object F: TFfForm\n  Caption 'x'\nend\n", "Error reading text, line 2: '=' expected"},
      {"object F: TFfForm\n  Caption = \nend\n", "Error reading text, line 3: value expected instead of 'end'"},
      {"object F: TFfForm\n  Caption = #70000\nend\n", "Error reading text, line 2: invalid character code"},
      {"object F: TFfForm\n  Caption = #65a\nend\n", "Error reading text, line 2: invalid character code"},
      {"object F: TFfForm\n  Caption = #$41g\nend\n", "Error reading text, line 2: invalid character code"},
      {"object F: TFfForm\n  Caption = 'x' +\n    #65a\nend\n", "Error reading text, line 3: invalid character code"},
      {"object F: TFfForm\n object W: TFfWidget\n  Lines.Strings = (\n   'a'\n   #65a)\n end\nend\n",
       "Error reading text, line 5: invalid character code"},
      {"object F: TFfForm\n  Tag = 99999999999999999999\nend\n", "Error reading text, line 2: invalid number"},
      {"object F: TFfForm\n  Tag = 12ab\nend\n", "Error reading text, line 2: invalid number"},
      {"object F: TFfForm\n  Data = {0G}\nend\n", "Error reading text, line 2: invalid binary data"},
      {"object F: TFfForm\n  Data = {012}\nend\n", "Error reading text, line 2: invalid binary data"},
      {"object F: TFfForm\n  Data = {01\nend\n", "Error reading text, line 3: invalid binary data"},
      {"object F: TFfForm\n  Tag = (1 2\nend\n", "Error reading text, line 3: value expected instead of 'end'"},
      {"object F: TFfForm\n  Tag = [a b]\nend\n", "Error reading text, line 2: ',' or ']' expected"},
      {"object F: TFfForm\n  Caption = 'a' +\nend\n", "Error reading text, line 3: string expected after '+'"},
      {"object F: TFfForm\n  Caption = '\xC3('\nend\n", "Error reading text, line 2: invalid UTF-8 text"},
      {"object F: TFfForm\nend\nobject G: TFfForm\nend\n",
       "Error reading text, line 3: text after the end of the form"},
      {"object F: TFfForm\n  Captio = 'x'\nend\n", "Error reading F.Captio: Property Captio does not exist"},
      {"object F: TFfForm\n  Caption = 5\nend\n", "Error reading F.Caption: Invalid property value"},
      {"object F: TFfForm\n object W: TFfWidget\n  Kind = skOval\n end\nend\n",
       "Error reading F.W.Kind: Invalid property value"},
      {"object F: TFfForm\n object W: TFfWidget\n  Kinds = [skCircle, skOval]\n end\nend\n",
       "Error reading F.W.Kinds: Invalid property element: skOval"},
      {"object F: TFfForm\n object W: TFfWidget\n  Small = 256\n end\nend\n",
       "Error reading F.W.Small: Invalid property value"},
      {"object F: TFfForm\n object W: TFfWidget\n  Scale = 1e39\n end\nend\n",
       "Error reading F.W.Scale: Invalid property value"},
      {"object F: TFfForm\n object W: TFfWidget\n  Ratio = -1e309\n end\nend\n",
       "Error reading F.W.Ratio: Invalid property value"},
      {"object F: TFfForm\n object W: TFfWidget\n  Font.Nme = 'x'\n end\nend\n",
       "Error reading F.W.Font.Nme: Property Nme does not exist"},
      {"object F: TFfForm\n object W: TFfWidget\n  Colour = clNoSuchColour\n end\nend\n",
       "Error reading F.W.Colour: Invalid property value"},
      {"object F: TFfForm\n object W: TFfWidget\n  Items = <\n item\n Valu = 1\n end>\n end\nend\n",
       "Error reading F.W.Items[0].Valu: Property Valu does not exist"},
      {"object F: TFfForm\n object W: TFfWidget\n  Buddy = F\n end\nend\n",
       "Error reading F.W.Buddy: Invalid property value"},
      {"object F: TFfForm\n object W: TFfWidget\n  Data = 5\n end\nend\n",
       "Error reading F.W.Data: Invalid property value"},
      {"object F: TFfForm\n inherited Nope: TFfWidget\n end\nend\n",
       "Error reading F.Nope: Ancestor for 'Nope' not found"},
      {"object F: TFfForm\n object W: TFfWidget\n end\n object W: TFfWidget\n end\nend\n",
       "Error reading F.W: A component named W already exists"},
      {"object F: TFfWidget\nend\n", "Error reading text: the form file describes a TFfWidget, not a TFfForm"},
      {"object F: TFfForm\n object W: TStringList\n end\nend\n",
       "Error reading F.W: Class TStringList is not a component"},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadError(c.text), c.message) << c.text;

  TFfForm form(nullptr);
  EXPECT_EQ(Raised<EClassNotFound>([&] {
              ReadComponentFromText("object F: TFfForm\n  object X: TNoSuchClass\n  end\nend\n", &form, "text");
            }),
            "Error reading F.X: Class TNoSuchClass not found");
  // Deep nesting is refused instead of exhausting the stack.
  std::string deep = "object F: TFfForm\n  Tag = " + std::string(100000, '(') + "\nend\n";
  EXPECT_EQ(ReadError(deep), "Error reading text, line 2: values nested too deeply");
}

TEST(FormFiles, TextThatCannotBeParsedChangesNothing) {
  TFfForm form(nullptr);
  form.SetCaption(L"kept");
  EXPECT_THROW(ReadComponentFromText("object F: TFfForm\n  Caption = 'new'\n  object W: TFfWidget\n", &form),
               EReadError);
  EXPECT_EQ(form.Caption(), L"kept");
  EXPECT_EQ(form.ComponentCount(), 0);
  EXPECT_FALSE(form.IsLoading());
}

TEST(FormFiles, MissingResourcesAndRootsCreatedByClass) {
  TFfNoFile form(nullptr);
  EXPECT_EQ(Raised<EResNotFound>([&] { InitInheritedComponent(&form, TFfForm::StaticClassInfo()); }),
            "Resource TFfNoFile not found");
  // Its ancestor's file is read when the chain reaches it.
  EXPECT_TRUE(InitInheritedComponent(&form, TComponent::StaticClassInfo()));
  EXPECT_NE(form.Widget1, nullptr);

  std::unique_ptr<TComponent> created(ReadComponentFromText("object Made: TFfWidget\n  Count = 3\nend\n", nullptr));
  auto* widget = dynamic_cast<TFfWidget*>(created.get());
  ASSERT_NE(widget, nullptr);
  EXPECT_EQ(widget->Name(), "Made");
  EXPECT_EQ(widget->Count(), 3);

  TMemoryStream stream;
  WriteComponentToStream(&stream, widget);
  stream.SetPosition(0);
  TFfWidget back(nullptr);
  ReadComponentFromStream(&stream, &back);
  EXPECT_EQ(back.Count(), 3);
}

namespace {
TComponent* gGlobalRoot = nullptr;
TComponent* FindTestRoot(std::string_view name) {
  return gGlobalRoot && gGlobalRoot->Name() == name ? gGlobalRoot : nullptr;
}
}  // namespace

TEST(FormFiles, ReferencesToOtherRootsWaitUntilTheyExist) {
  RegisterFindGlobalComponent(&FindTestRoot);
  const char* text = "object F: TFfForm\n  object W: TFfWidget\n    Buddy = Other.Target\n  end\nend\n";
  int before = PendingGlobalReferences();
  {
    TFfForm form(nullptr);
    ReadComponentFromText(text, &form);
    EXPECT_EQ(PendingGlobalReferences(), before + 1);
    TFfForm other(nullptr);
    other.SetName("Other");
    auto* target = new TFfWidget(&other);
    target->SetName("Target");
    gGlobalRoot = &other;
    GlobalFixupReferences();
    EXPECT_EQ(PendingGlobalReferences(), before);
    EXPECT_EQ(dynamic_cast<TFfWidget*>(form.FindComponent("W"))->Buddy(), target);
    // When the target is written back, its root's name goes in front.
    EXPECT_NE(WriteComponentToText(&form).find("Buddy = Other.Target"), std::string::npos);
    gGlobalRoot = nullptr;
  }
  {
    // A reference whose component goes away first is dropped with it.
    TFfForm form(nullptr);
    ReadComponentFromText(text, &form);
    EXPECT_EQ(PendingGlobalReferences(), before + 1);
  }
  EXPECT_EQ(PendingGlobalReferences(), before);
  UnregisterFindGlobalComponent(&FindTestRoot);
}

// A reference read for a collection item that is freed before it is resolved (by a later value
// of the collection, or by the program while it waits for another root) is dropped.
TEST(FormFiles, ReferencesOfFreedCollectionItemsAreDropped) {
  RegisterFindGlobalComponent(&FindTestRoot);
  const int before = PendingGlobalReferences();
  for (std::string target : {"W", "Other.Target"})
    for (const char* second : {"<>", "<\n item\n end>", "", static_cast<const char*>(nullptr)}) {
      TFfForm form(nullptr), other(nullptr);
      const std::string again = second && *second ? std::string("Links = ") + second : "";
      ReadComponentFromText("object F: TFfForm\n object L: TFfLinks\n  Links = <\n   item\n    Target = " + target +
                                "\n   end>\n  " + again + "\n end\n object W: TFfWidget\n end\nend\n",
                            &form);
      auto* links = dynamic_cast<TFfLinks*>(form.FindComponent("L"));
      if (second && !*second) links->links.Clear();
      other.SetName("Other");
      (new TFfWidget(&other))->SetName("Target");
      gGlobalRoot = &other;
      GlobalFixupReferences();
      gGlobalRoot = nullptr;
      EXPECT_EQ(PendingGlobalReferences(), before) << target << again;
      // Only the items that stayed get their reference.
      TComponent* kept = second ? nullptr : target == "W" ? form.FindComponent("W") : other.FindComponent("Target");
      for (int i = 0; i < links->links.Count(); ++i)
        EXPECT_EQ(static_cast<TFfLinkItem*>(links->links.Items(i))->target, kept) << target << again;
    }
  UnregisterFindGlobalComponent(&FindTestRoot);
}

// What a host adds inside an embedded frame belongs to the frame and is written inside it.
TEST(FormFiles, ComponentsAddedInsideAnEmbeddedFrameAreWrittenBack) {
  const std::string text =
      "object FfHost: TFfHost\n"
      "  inline Frame1: TFfFrame\n"
      "    inherited Label1: TFfWidget\n"
      "    end\n"
      "    object Extra: TFfWidget\n"
      "      Buddy = Label1\n"
      "    end\n"
      "  end\n"
      "  object Widget9: TFfWidget\n"
      "    Buddy = Frame1.Extra\n"
      "  end\n"
      "end\n";
  TFfHost host(nullptr);
  ReadComponentFromText(text, &host);
  auto* frame = dynamic_cast<TFfFrame*>(host.FindComponent("Frame1"));
  ASSERT_NE(frame, nullptr);
  auto* extra = dynamic_cast<TFfWidget*>(frame->FindComponent("Extra"));
  ASSERT_NE(extra, nullptr);
  EXPECT_EQ(extra->Buddy(), frame->Label1);
  EXPECT_EQ(dynamic_cast<TFfWidget*>(host.FindComponent("Widget9"))->Buddy(), extra);
  EXPECT_EQ(WriteComponentToText(&host), text);
}

namespace {
// Reads one form from its resource (plain, inherited, or with an embedded frame) and writes it
// back; every tenth round also meets a read error halfway and a reference to another root
// that never comes.
void ReadAndFreeForms(int i) {
  switch (i % 3) {
    case 0: {
      TFfForm form(nullptr);
      InitInheritedComponent(&form, TComponent::StaticClassInfo());
      WriteComponentToText(&form);
      break;
    }
    case 1: {
      TFfForm2 form(nullptr);
      InitInheritedComponent(&form, TComponent::StaticClassInfo());
      break;
    }
    default: {
      TFfHost host(nullptr);
      InitInheritedComponent(&host, TComponent::StaticClassInfo());
      break;
    }
  }
  if (i % 10 == 0) {
    TFfForm form(nullptr);
    try {
      ReadComponentFromText(
          "object F: TFfForm\n object W: TFfWidget\n  Buddy = Elsewhere.Target\n end\n"
          " object V: TFfWidget\n  Kind = skOval\n end\nend\n",
          &form, "text");
    } catch (const EReadError&) {}
  }
  gLoaded.clear();
}
}  // namespace

TEST(FormFiles, TenThousandFormsReadLeaveTheProcessMemoryWhereItWas) {
  for (int i = 0; i < 300; ++i) ReadAndFreeForms(i);  // settle the heap
  int pending = PendingGlobalReferences();
  std::ptrdiff_t blocks = LiveAllocations();
  size_t before = ProcessPrivateBytes();
  for (int i = 0; i < 10000; ++i) ReadAndFreeForms(i);
  size_t after = ProcessPrivateBytes();
  EXPECT_EQ(LiveAllocations(), blocks);  // not one block of ours left behind
  EXPECT_LE(after, before + 64 * 1024) << "grew from " << before << " to " << after;
  EXPECT_EQ(PendingGlobalReferences(), pending);
}

// Values of every shape, quotes, line breaks, zero characters, characters outside the basic
// plane, 8-bit text, any double bit pattern and the extreme integers, are written and read back.
TEST(FormFiles, AnyValueWrittenReadsBackTheSame) {
  unsigned seed = 12345;
  auto next = [&] {
    seed = seed * 1103515245u + 12345u;
    return seed >> 8;
  };
  const wchar_t pieces[] = {L'a',  L'\'', L'"', L'#',      L'\r',     L'\n',     L'\t',
                            L'\0', L' ',  L'+', L'\u00e9', L'\u0416', L'\uFFFF', L'}'};
  int failures = 0;
  for (int round = 0; round < 400 && failures < 5; ++round) {
    TFfForm form(nullptr);
    form.SetName("F");
    auto* w = new TFfWidget(&form);
    w->SetName("W");
    std::wstring caption;
    int length = static_cast<int>(next() % (round % 10 == 0 ? 300 : 12));
    for (int i = 0; i < length; ++i) caption += pieces[next() % std::size(pieces)];
    if (round % 7 == 0) caption += L"\U0001F600";
    w->SetCaption(caption);
    std::string text;
    for (int i = 0; i < length; ++i) text += static_cast<char>(1 + next() % 255);
    w->SetText(text);
    uint64_t bits = (static_cast<uint64_t>(next()) << 40) ^ (static_cast<uint64_t>(next()) << 16) ^ next();
    double ratio;
    std::memcpy(&ratio, &bits, sizeof ratio);
    if (ratio != ratio || ratio - ratio != 0) ratio = round * 0.1;  // no NaN or infinity
    w->SetRatio(ratio);
    float scale = static_cast<float>(ratio);
    if (scale - scale != 0) scale = 1.0f / static_cast<float>(round + 3);
    w->SetScale(scale);
    int64_t big = static_cast<int64_t>(bits);
    if (round == 1) big = INT64_MIN;
    w->SetBig(big);
    int count = static_cast<int>(next() << 8);
    if (round == 2) count = INT32_MIN;
    w->SetCount(count);
    w->SetLetter(static_cast<char>(next() % 256));

    std::string written = WriteComponentToText(&form);
    TFfForm back(nullptr);
    try {
      ReadComponentFromText(written, &back);
    } catch (const std::exception& e) {
      ADD_FAILURE() << e.what() << "\n" << written;
      ++failures;
      continue;
    }
    auto* b = dynamic_cast<TFfWidget*>(back.FindComponent("W"));
    ASSERT_NE(b, nullptr);
    // What was read is written again as the same text.
    EXPECT_EQ(WriteComponentToText(&back), written) << "round " << round;
    bool same = b->Caption() == caption && b->Text() == text && b->Ratio() == ratio && b->Scale() == scale &&
                b->Big() == big && b->Count() == count && b->Letter() == w->Letter();
    if (!same) {
      ++failures;
      ADD_FAILURE() << "round " << round << " caption " << (b->Caption() == caption) << " text " << (b->Text() == text)
                    << " ratio " << (b->Ratio() == ratio) << " scale " << (b->Scale() == scale) << " big "
                    << (b->Big() == big) << " count " << (b->Count() == count) << " letter "
                    << (b->Letter() == w->Letter()) << "\n"
                    << written;
    }
  }
}

// A form written, read and written again gives the same text, whether its file showed it, hid
// it or said nothing; floats of very many digits read as their value.
TEST(FormFiles, FormsWrittenReadAndWrittenAgainGiveTheSameText) {
  const struct {
    const char* Lines;
    bool Visible;
  } cases[] = {{"  Visible = True\n", true},
               {"  Visible = False\n", false},
               {"", false},
               {"  Left = 10\n  Visible = True\n  Caption = 'x'\n", true}};
  for (const auto& c : cases) {
    TForm form(nullptr, CreateNew);
    ReadComponentFromText(std::string("object F: TForm\n") + c.Lines + "end\n", &form);
    EXPECT_EQ(form.Visible(), c.Visible) << c.Lines;
    const std::string first = WriteComponentToText(&form);
    TForm back(nullptr, CreateNew);
    ReadComponentFromText(first, &back);
    EXPECT_EQ(back.Visible(), c.Visible) << c.Lines;
    EXPECT_EQ(WriteComponentToText(&back), first) << c.Lines;
  }
}

TEST(FormFiles, FloatsOfVeryManyDigitsReadAsTheirValue) {
  const struct {
    std::string Text;
    double Value;
  } cases[] = {
      {"1." + std::string(200000, '0'), 1.0},
      {"0." + std::string(100000, '0') + "5", 0.0},
      {"2.5" + std::string(50000, '0') + "1", 2.5},
      {std::string(300, '9') + ".5e-300", 1e0},
      {"12345678901234567890123456789012345678901234567890.0e-49", 1.2345678901234568},
  };
  for (const auto& c : cases) {
    TFfForm form(nullptr);
    form.SetName("F");
    ReadComponentFromText("object F: TFfForm\n  object W: TFfWidget\n    Ratio = " + c.Text + "\n  end\nend\n", &form);
    auto* w = dynamic_cast<TFfWidget*>(form.FindComponent("W"));
    ASSERT_NE(w, nullptr);
    EXPECT_DOUBLE_EQ(w->Ratio(), c.Value) << c.Text.substr(0, 60);
  }
}
