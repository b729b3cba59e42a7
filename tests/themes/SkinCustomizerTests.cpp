// The toolbar customizer's layout file: written and read back, hand-edited and damaged files,
// foreign sections, display modes, placement, display captions and separators.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <random>

#include "framework/FileRoutines.h"
#include "framework/FormFiles.h"
#include "framework/ImageList.h"
#include "framework/Streams.h"
#include "tests/themes/CustomizerTestSupport.h"
#include "themes/SkinItem.h"
#include "themes/SkinToolbar.h"
#include "themes/Ui.h"

namespace {

// An item whose viewers count how often a layout measures them.
int measured = 0;

class TCountingViewer : public TBarItemViewer {
 public:
  using TBarItemViewer::TBarItemViewer;
  void CalcSize(TCanvas* Canvas, int& AWidth, int& AHeight) override {
    ++measured;
    TBarItemViewer::CalcSize(Canvas, AWidth, AHeight);
  }
};

class TCountedItem : public TBarCustomItem {
 public:
  using TBarCustomItem::TBarCustomItem;
  TBarItemViewerClass ViewerClass(TBarView*) override {
    return [](TBarView* V, TBarCustomItem* I, int G) -> TBarItemViewer* { return new TCountingViewer(V, I, G); };
  }
};

// "Items" lines naming TbA's Open, Save and Print Count times over, and then Spare1.
std::string ItemLines(int Count) {
  std::string text = "[Items]\r\nCount=" + std::to_string(Count * 3 + 1) + "\r\n";
  for (int i = 0; i < Count * 3; ++i)
    text += std::to_string(i) + "=TbA, " + (i % 3 == 0 ? "Open" : i % 3 == 1 ? "Save" : "Print") + "\r\n";
  return text + std::to_string(Count * 3) + "=TbA, Spare1\r\n";
}

std::string section(const std::string& Text, const std::string& Name) {
  size_t at = Text.find("[" + Name + "]\r\n");
  if (at == std::string::npos) return "<none>";
  at += Name.size() + 4;
  return Text.substr(at, Text.find("\r\n\r\n", at) - at);
}

}  // namespace

TEST(SkinCustomizer, SavedFileHoldsEveryOwnedSection) {
  TLayoutForm f;
  f.C->SetSaveFormState(false);
  SetToolbarDisplayMode(f.A, 2);
  SetToolbarDisplayMode(f.B, 3);
  std::string text = f.Saved();
  EXPECT_EQ(section(text, "Items"),
            "Count=7\r\n0=TbA, Open\r\n1=TbA, Save\r\n2=TbA, Print\r\n3=Cstmzr, Spare1\r\n4=Cstmzr, Spare2\r\n"
            "5=TbB, Cut\r\n6=TbB, Copy");
  EXPECT_EQ(section(text, "ExtraOptions"), "Count=1\r\n0=Theme=Default");
  EXPECT_EQ(section(text, "Layouts"), "Count=1\r\n0=LastLayout");
  // The first customizable toolbar's mode stands for all.
  EXPECT_EQ(section(text, "LastLayout @ ExtraOptions"), "Count=1\r\n0=DisplayMode=2");
  EXPECT_EQ(section(text, "LastLayout @ TbB"),
            "Rev=2000\r\nVisible=1\r\nDockedTo=LeftDock\r\nLastDock=LeftDock\r\nDockRow=0\r\nDockPos=-1\r\n"
            "FloatLeft=0\r\nFloatTop=0\r\nFloatRightX=0");
  EXPECT_EQ(text.find("Help"), std::string::npos);  // but not its items
  ASSERT_EQ(f.C->Layouts()->Count(), 1);
  // Saving again keeps one layout entry.
  TStringList lines;
  lines.SetText(text);
  f.C->Save(&lines);
  EXPECT_EQ(lines.Text(), text);
}

TEST(SkinCustomizer, ReadBackRestoresItemsPositionsAndMode) {
  TLayoutForm f;
  f.C->SetSaveFormState(false);
  f.Form.Show();
  SetToolbarDisplayMode(f.A, 1);
  f.B->SetFloatingPosition({320, 240});
  f.B->SetFloating(true);
  f.B->SetFloatingWidth(60);
  // Cut moves to the spare commands, Spare2 onto TbA.
  f.B->Items()->Remove(f.Form.FindComponent("Cut") ? static_cast<TBarCustomItem*>(f.Form.FindComponent("Cut"))
                                                   : nullptr);
  f.C->Items()->Add(static_cast<TBarCustomItem*>(f.Form.FindComponent("Cut")));
  auto* spare2 = static_cast<TBarCustomItem*>(f.Form.FindComponent("Spare2"));
  f.C->Items()->Remove(spare2);
  f.A->Items()->Insert(1, spare2);
  std::string text = f.Saved();
  // Everything put back as it was.
  TLayoutForm g;
  g.Form.Show();
  g.Load(text);
  EXPECT_EQ(TLayoutForm::Names(g.A->Items()), "Open,Spare2,Save,Print");
  EXPECT_EQ(TLayoutForm::Names(g.B->Items()), "Copy");
  EXPECT_EQ(TLayoutForm::Names(g.C->Items()), "Spare1,Cut");
  EXPECT_EQ(Mode(g.A), 1);
  EXPECT_EQ(Mode(g.B), 1);  // every customizable toolbar takes the layout's mode
  ASSERT_TRUE(g.B->Floating());
  EXPECT_EQ(g.B->FloatingPosition(), TPoint(320, 240));
  EXPECT_EQ(g.B->FloatingWidth(), 60);
  // Without the last layout only items and options are read.
  TLayoutForm h;
  h.Load(text, false);
  EXPECT_FALSE(h.B->Floating());
}

TEST(SkinCustomizer, HandEditedItemLines) {
  struct {
    const char* Lines;
    const char* A;
    const char* Spare;
  } cases[] = {
      // A toolbar or item that no longer exists is skipped and takes no position.
      {"TbGone, Open|TbA, Gone|TbA, Print|TbA, Open", "Print,Open,Save", "Spare1,Spare2"},
      // The same item twice ends at the later place.
      {"TbA, Save|TbA, Print|TbA, Save", "Print,Open,Save", "Spare1,Spare2"},
      // Names match without regard to case; quoted fields are read as fields.
      {"tba, \"spare2\"", "Spare2,Open,Save,Print", "Spare1"},
      // Lines of one toolbar split by another start over at 0 (kept as the file format has it).
      {"TbA, Print|Cstmzr, Spare2|TbA, Save", "Save,Print,Open", "Spare2,Spare1"},
      // A line of one field, or none, is nothing.
      {"TbA|,|TbA,", "Open,Save,Print", "Spare1,Spare2"},
  };
  for (auto& c : cases) {
    TLayoutForm f;
    std::string text, lines = std::string(c.Lines) + "|";
    int n = 0;
    for (size_t at = 0, bar; (bar = lines.find('|', at)) != std::string::npos; at = bar + 1)
      text += std::to_string(n++) + "=" + lines.substr(at, bar - at) + "\r\n";
    text = "[Items]\r\nCount=" + std::to_string(n) + "\r\n" + text;
    f.Load(text);
    EXPECT_EQ(TLayoutForm::Names(f.A->Items()), c.A) << c.Lines;
    EXPECT_EQ(TLayoutForm::Names(f.C->Items()), c.Spare) << c.Lines;
  }
}

// However many lines the file holds, the toolbars lay out once when they are all applied.
TEST(SkinCustomizer, ItemLinesAreAppliedWithOneLayout) {
  TLayoutForm f;
  f.Form.Show();
  auto* counted = new TCountedItem(&f.Form);
  counted->SetName("Counted");
  counted->SetCaption(L"Counted");
  f.A->Items()->Add(counted);
  f.A->View()->ValidatePositions();
  for (int count : {1, 50, 400}) {
    measured = 0;
    f.Load(ItemLines(count));
    // Lines past the end push the item no line names to the front, as one line at a time does.
    EXPECT_EQ(TLayoutForm::Names(f.A->Items()),
              count == 1 ? "Open,Save,Print,Spare1,Counted" : "Counted,Open,Save,Print,Spare1")
        << count;
    EXPECT_LE(measured, 4) << count * 3 << " lines laid the toolbar out again and again";
  }
}

TEST(SkinCustomizer, SeparatorsOfTheFileAreMadeOnceAndReused) {
  TLayoutForm f;
  std::string text =
      "[Items]\r\nCount=4\r\n0=TbA, Open\r\n1=TbA, CustomizerUniqueSeparator7\r\n2=TbA, Save\r\n"
      "3=TbA, CustomizerUniqueSeparator7\r\n";
  f.Load(text);
  f.Load(text);  // a second load finds the separator it made
  EXPECT_EQ(TLayoutForm::Names(f.A->Items()), "Open,Save,Print,CustomizerUniqueSeparator7");
  auto* sep = f.Form.FindComponent("CustomizerUniqueSeparator7");
  ASSERT_NE(dynamic_cast<TBarSeparatorItem*>(sep), nullptr);
  // A name that is no identifier, or names a component of another kind, is skipped.
  f.Item("NotCustomizerUniqueSeparator");
  f.Load("[Items]\r\nCount=2\r\n0=TbA, \"CustomizerUniqueSeparator 1\"\r\n1=TbA, NotCustomizerUniqueSeparator\r\n");
  EXPECT_EQ(f.A->Items()->Count(), 4);
  // New separators never share a name, even within one clock tick.
  TBarCustomItem* s1 = f.C->NewUniqueSeparatorItem();
  TBarCustomItem* s2 = f.C->NewUniqueSeparatorItem();
  EXPECT_EQ(s1->Name().rfind("CustomizerUniqueSeparator", 0), 0u);
  EXPECT_NE(s1->Name(), s2->Name());
  EXPECT_EQ(TSkinCustomizer::GetItemDisplayCaption(s1), AnsiToWide(s1->Name()));
  delete s1;
  delete s2;
}

TEST(SkinCustomizer, DisplayModeOfTheLayout) {
  struct {
    const char* Value;
    int Expected;
  } cases[] = {{"2", 2}, {"3", 3}, {"abc", 0}, {"7", 1}, {"-1", 1}, {nullptr, 1}};
  for (auto& c : cases) {
    TLayoutForm f;
    SetToolbarDisplayMode(f.A, 1);
    SetToolbarDisplayMode(f.B, 1);
    std::string text = "[Layouts]\r\nCount=1\r\n0=LastLayout\r\n[LastLayout @ ExtraOptions]\r\n";
    if (c.Value) text += std::string("Count=1\r\n0=DisplayMode=") + c.Value + "\r\n";
    f.Load(text);
    EXPECT_EQ(Mode(f.A), c.Expected) << (c.Value ? c.Value : "absent");
    EXPECT_EQ(Mode(f.B), c.Expected);
    EXPECT_EQ(Mode(f.Fixed), 0);
  }
}

TEST(SkinCustomizer, LayoutNotListedIsNotLoaded) {
  TLayoutForm f;
  f.Load("[LastLayout @ ExtraOptions]\r\nCount=1\r\n0=DisplayMode=2\r\n");
  EXPECT_EQ(Mode(f.A), 0);
}

TEST(SkinCustomizer, MainFormPlacement) {
  struct {
    const char* Lines;
    TRect Bounds;
  } cases[] = {
      {"0=MainForm.Bounds=10, 20, 300, 200", {10, 20, 310, 220}},
      {"0=MainForm.Bounds=10, 20, 300", {50, 60, 550, 460}},  // three fields: ignored
      {"0=MainForm.Bounds=x, 20, 300, 200", {0, 20, 300, 220}},
      {"0=MainForm.WindowState=wsBogus", {50, 60, 550, 460}},
  };
  for (auto& c : cases) {
    TLayoutForm f;
    f.Load(std::string("[ExtraOptions]\r\nCount=1\r\n") + c.Lines);
    EXPECT_EQ(f.Form.BoundsRect(), c.Bounds) << c.Lines;
    EXPECT_EQ(f.Form.WindowState(), wsNormal);
    EXPECT_FALSE(IsWindowVisible(f.Form.Handle())) << c.Lines;  // placed, not shown before its time
  }
  TLayoutForm f;
  f.Form.SetBounds(70, 80, 420, 310);
  std::string text = f.Saved();
  EXPECT_EQ(section(text, "ExtraOptions"),
            "Count=4\r\n0=Theme=Default\r\n1=MainForm.WindowState=wsNormal\r\n2=MainForm.Bounds=70, 80, 420, 310\r\n"
            "3=MainForm.RestoreBounds=70, 80, 420, 310");
  TLayoutForm g;
  g.Form.Show();
  g.Load("[ExtraOptions]\r\nCount=2\r\n0=MainForm.WindowState=wsMaximized\r\n1=MainForm.RestoreBounds=5, 6, 300, 200");
  EXPECT_EQ(g.Form.WindowState(), wsMaximized);
  g.Form.SetWindowState(wsNormal);  // back to the restore rectangle
  EXPECT_EQ(g.Form.BoundsRect(), TRect(5, 6, 305, 206));
}

TEST(SkinCustomizer, NumberedLists) {
  struct {
    const char* Section;
    const char* Expected;
  } cases[] = {
      {"", ""},                                    // no Count: empty
      {"0=a\r\n1=b", ""},                          // keys without a count are nothing
      {"Count=2\r\n0=a=b\r\n1=c", "a=b|c"},        // entries may hold "="
      {"Count=3\r\n0=a\r\n2=c", "a||c"},           // a missing key is an empty entry
      {"Count=2000000000\r\n0=a\r\n1=b", "a|b|"},  // a damaged count never runs away
      {"Count=-5\r\n0=a", ""},
  };
  for (auto& c : cases) {
    TMemIniFile ini(L"");
    TStringList lines;
    lines.SetText(std::string("[L]\r\n") + c.Section);
    ini.SetStrings(&lines);
    TStringList list;
    list.Add("old");
    ReadNumberedList(&ini, "L", &list);
    list.SetDelimiter('|');
    list.SetQuoteChar('\'');
    std::string got;
    for (int i = 0; i < list.Count(); ++i) got += (i ? "|" : "") + list[i];
    EXPECT_EQ(got, c.Expected) << c.Section;
  }
}

TEST(SkinCustomizer, DisplayCaptions) {
  struct {
    const wchar_t* Caption;
    const wchar_t* Shown;
  } cases[] = {
      {L"&Open", L"Open"},
      {L"Save && Exit", L"Save & Exit"},  // a doubled "&" is one "&", as in menus
      {L"&Find\tCtrl+F", L"Find"},
  };
  for (auto& c : cases) {
    TBarCustomItem item(nullptr);
    item.SetCaption(c.Caption);
    EXPECT_EQ(TSkinCustomizer::GetItemDisplayCaption(&item), c.Shown);
    TSkinItem skin(nullptr);  // a skinned item shows its Unicode caption
    skin.SetCaption(c.Caption);
    EXPECT_EQ(TSkinCustomizer::GetItemDisplayCaption(&skin), c.Shown);
  }
}

TEST(SkinCustomizer, ShortcutListOfTheMenuBar) {
  TLayoutForm f;
  auto* menu = NewSkinToolbar(&f.Form);
  menu->SetName("MenuBar");
  SetCustomizable(menu, false);
  auto* file = new TMenuParent(&f.Form);
  file->SetCaption(L"&File");
  menu->Items()->Add(file);
  for (const wchar_t* c : {L"&New", L"&Open...", L"E&xit"}) {
    auto* item = new TBarCustomItem(&f.Form);
    item->SetCaption(c);
    file->Add(item);
  }
  file->Add(new TBarSeparatorItem(&f.Form));
  f.C->SetMenuBar(menu);
  struct TFilter : TObject {
    void Accept(TObject*, TBarCustomItem* Item, bool& Accept) { Accept = Item->Caption() != L"E&xit"; }
  } filter;
  f.C->OnGetShortcutsList = TSkinAcceptItemEvent(&filter, &TFilter::Accept);
  TSkinMenuBarShortcuts list;
  f.C->GetShortcutsList(&list);
  EXPECT_EQ(list.Name(), "MenuBar");
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list[0], L"New");
  EXPECT_EQ(list[1], L"Open...");
  EXPECT_EQ(list.Item(1), file->Items(1));
  // Reading and writing the layout gather the list too: the handler is asked for each command.
  struct TCount : TObject {
    int Asked = 0;
    void Accept(TObject*, TBarCustomItem*, bool&) { ++Asked; }
  } count;
  f.C->OnGetShortcutsList = TSkinAcceptItemEvent(&count, &TCount::Accept);
  TStringList lines;
  const struct {
    const char* What;
    std::function<void()> Run;
  } steps[] = {{"Save", [&] { f.C->Save(&lines); }}, {"Load", [&] { f.C->Load(&lines, true); }}};
  for (const auto& step : steps) {
    count.Asked = 0;
    step.Run();
    EXPECT_EQ(count.Asked, 3) << step.What;
  }
}

TEST(SkinCustomizer, OnlyOneOnAFormOrFrame) {
  TForm form(nullptr, CreateNew);
  TComponent plain(nullptr);
  EXPECT_THROW(TSkinCustomizer bad(&plain), EInvalidOperation);
  EXPECT_THROW(TSkinCustomizer none(nullptr), EInvalidOperation);
  new TSkinCustomizer(&form);
  EXPECT_THROW(new TSkinCustomizer(&form), EInvalidOperation);
  EXPECT_EQ(form.ComponentCount(), 1);
}

TEST(SkinCustomizer, FileReplacedWithForeignSectionsKept) {
  TLayoutForm f;
  f.C->SetSaveFormState(false);
  WideString name = GetTempDir() + L"hv-customizer-test.ini";
  {
    TStringList old;
    old.SetText("[Mine]\r\nKey=Value\r\n[Items]\r\nCount=1\r\n0=TbA, Gone\r\n[Other]\r\nA=1\r\n");
    old.SaveToFile(name);
  }
  f.C->SaveToFile(name);
  TStringList back;
  back.LoadFromFile(name);
  std::string text = back.Text();
  EXPECT_EQ(text.rfind("[Mine]\r\nKey=Value\r\n\r\n[Items]\r\nCount=7\r\n", 0), 0u);
  EXPECT_EQ(section(text, "Other"), "A=1");
  EXPECT_EQ(text.find("Gone"), std::string::npos);
  // Read back into a fresh form.
  TLayoutForm g;
  g.C->Items()->Move(0, 1);
  g.C->LoadFromFile(name, true);
  EXPECT_EQ(TLayoutForm::Names(g.C->Items()), "Spare1,Spare2");
  DeleteFile(name);
}

// Mutated layout files: each loads what it can, never raises, and a toolbar keeps its items.
TEST(SkinCustomizer, DamagedFilesFuzz) {
  TLayoutForm f;
  f.C->SetSaveFormState(false);
  f.Form.Show();
  SetToolbarDisplayMode(f.A, 2);
  TStringList base;
  f.C->Save(&base);
  std::string seed = base.Text() + "[ExtraOptions]\r\n0=MainForm.Bounds=1, 2, 3, 4\r\n";
  std::vector<std::string> fragments;
  std::string list =
      "=|,|\"|[|]|\r\n|Count=|99999999|-1|@|TbA|TbB|Cstmzr|CustomizerUniqueSeparator|+|LastLayout @ |"
      "DisplayMode=|\x80\xff| |Rev=2000|";
  for (size_t at = 0, bar; (bar = list.find('|', at)) != std::string::npos; at = bar + 1)
    fragments.push_back(list.substr(at, bar - at));
  std::mt19937 rng(30);
  for (int round = 0; round < 700; ++round) {
    std::string text = seed;
    int edits = 1 + rng() % 6;
    for (int e = 0; e < edits; ++e) {
      size_t at = rng() % (text.size() + 1);
      switch (rng() % 3) {
        case 0: text.erase(at, rng() % 12); break;
        case 1: text.insert(at, fragments[rng() % std::size(fragments)]); break;
        default:
          if (at < text.size()) text[at] = static_cast<char>(rng());
      }
    }
    TStringList lines;
    lines.SetText(text);
    ASSERT_NO_THROW(f.C->Load(&lines, true)) << text;
    int total = f.A->Items()->Count() + f.B->Items()->Count() + f.Fixed->Items()->Count() + f.C->Items()->Count();
    // Items only move between toolbars; separators the file names may be added.
    int separators = 0;
    for (int i = 0; i < f.Form.ComponentCount(); ++i)
      separators += dynamic_cast<TBarSeparatorItem*>(f.Form.Components(i)) != nullptr;
    ASSERT_LE(total, 8 + separators) << text;
    ASSERT_GE(total, 8) << text;
    ASSERT_GE(Mode(f.A), 0);
    ASSERT_LE(Mode(f.A), 3);
  }
}

// Random item lines end in the order that applying them one at a time gives: each line moves
// its item to the line's position (the end when past it) in the named container.
TEST(SkinCustomizer, ItemLinesEndAsAppliedOneAtATimeFuzz) {
  std::mt19937 rng(6157);
  const char* const containers[] = {"TbA", "TbB", "Cstmzr", "TbGone"};
  const char* const names[] = {"Open", "Save", "Print", "Cut", "Copy", "Spare1", "Spare2", "Gone"};
  for (int round = 0; round < 150; ++round) {
    TLayoutForm f;
    std::map<std::string, std::vector<std::string>> model{
        {"TbA", {"Open", "Save", "Print"}}, {"TbB", {"Cut", "Copy"}}, {"Cstmzr", {"Spare1", "Spare2"}}};
    std::string text, run;
    size_t position = 0;
    const int count = 1 + static_cast<int>(rng() % 40);
    for (int i = 0; i < count; ++i) {
      const std::string container = containers[rng() % 4], name = names[rng() % 8];
      text += std::to_string(i) + "=" + container + ", " + name + "\r\n";
      if (!model.count(container)) continue;
      if (container != run) run = container, position = 0;
      if (name == "Gone") continue;
      for (auto& [c, items] : model) items.erase(std::remove(items.begin(), items.end(), name), items.end());
      auto& items = model[container];
      items.insert(items.begin() + static_cast<std::ptrdiff_t>(std::min(position, items.size())), name);
      ++position;
    }
    f.Load("[Items]\r\nCount=" + std::to_string(count) + "\r\n" + text);
    auto joined = [](const std::vector<std::string>& Items) {
      std::string r;
      for (const std::string& n : Items) r += (r.empty() ? "" : ",") + n;
      return r;
    };
    ASSERT_EQ(TLayoutForm::Names(f.A->Items()), joined(model["TbA"])) << text;
    ASSERT_EQ(TLayoutForm::Names(f.B->Items()), joined(model["TbB"])) << text;
    ASSERT_EQ(TLayoutForm::Names(f.C->Items()), joined(model["Cstmzr"])) << text;
  }
}

// A file of twenty thousand item lines, as a damaged or hand-made file may hold, is applied
// whole: every item named ends where its last line puts it.
TEST(SkinCustomizer, TwentyThousandItemLinesFuzz) {
  TLayoutForm f;
  f.C->SetSaveFormState(false);
  f.Form.Show();
  std::mt19937 rng(6156);
  for (int round = 0; round < 3; ++round) {
    std::string text = ItemLines(20000 / 3);
    // Later rounds send some of the lines to the other toolbar or to the spare commands.
    for (int e = 0; round > 0 && e < 300; ++e) {
      const size_t at = text.find("=TbA, ", rng() % text.size());
      if (at != std::string::npos) text.replace(at + 1, 3, rng() % 2 ? "TbB" : "Cstmzr");
    }
    TStringList lines;
    lines.SetText(text);
    ASSERT_NO_THROW(f.C->Load(&lines, true));
    const int total = f.A->Items()->Count() + f.B->Items()->Count() + f.C->Items()->Count();
    EXPECT_EQ(total, 7) << round;
    if (round == 0) {
      EXPECT_EQ(TLayoutForm::Names(f.A->Items()), "Open,Save,Print,Spare1");
    }
  }
}

namespace {

class TCustomizerFormHost : public TForm {
  HV_CLASS(TCustomizerFormHost, TForm)
 public:
  explicit TCustomizerFormHost(TComponent* AOwner) : TForm(AOwner, CreateNew) {}
  void MarksClick(TObject*) { ++marksClicks; }
  int marksClicks = 0;
};

}  // namespace

HV_PUBLISH(TCustomizerFormHost) { p.Method("MarksClick", &T::MarksClick); }

namespace {

// A toolbar and a customizer whose spare commands are a command, a separator and a submenu of
// its own; both draw from one image list.
const char* const customizerHostText =
    "object Host: TCustomizerFormHost\n"
    "  object dckTop: TSkinDock\n"
    "    object tlbrMain: TSkinToolbar\n"
    "      Images = imglstMain\n"
    "      object tbitmOpen: TSkinItem\n"
    "        Caption = 'Open'\n"
    "        ImageIndex = 1\n"
    "      end\n"
    "    end\n"
    "  end\n"
    "  object cstmzrMain: TSkinCustomizer\n"
    "    MenuBar = tlbrMain\n"
    "    Images = imglstMain\n"
    "    SaveFormState = False\n"
    "    object tbitmClose: TSkinItem\n"
    "      Caption = 'Close'\n"
    "      ImageIndex = 4\n"
    "    end\n"
    "    object tbsprtrSpare: TSkinSeparatorItem\n"
    "    end\n"
    "    object tbsmnitmMarks: TSkinSubmenuItem\n"
    "      Caption = 'Marks'\n"
    "      OnClick = MarksClick\n"
    "      object tbitmMark0: TSkinItem\n"
    "        Caption = '0'\n"
    "      end\n"
    "      object tbitmMark1: TSkinItem\n"
    "        Caption = '1'\n"
    "      end\n"
    "    end\n"
    "  end\n"
    "  object imglstMain: TImageList\n"
    "  end\n"
    "end\n";

struct CustomizerFormFiles : testing::Test {
  void SetUp() override {
    RegisterSkinClasses();
    RegisterClasses({&TCustomizerFormHost::StaticClassInfo(), &TImageList::StaticClassInfo()});
    UiStartUp();
  }
  // Toolbars go before the items they show, as the form's own end would not order them.
  static void FreeHost(TCustomizerFormHost* Host) {
    for (int i = Host->ComponentCount(); i-- > 0;)
      if (auto* t = dynamic_cast<TBarCustomToolbar*>(Host->Components(i))) {
        for (int k = t->Items()->Count(); k-- > 0;) t->Items()->Delete(k);
        delete t;
      }
    delete Host;
  }
  static size_t Count(const std::string& Text, const std::string& What) {
    size_t n = 0;
    for (size_t at = Text.find(What); at != std::string::npos; at = Text.find(What, at + 1)) ++n;
    return n;
  }
};

TEST_F(CustomizerFormFiles, SpareCommandsReadInsideTheCustomizerJoinItsItems) {
  auto* host = new TCustomizerFormHost(nullptr);
  ReadComponentFromText(customizerHostText, host);
  auto* customizer = dynamic_cast<TSkinCustomizer*>(host->FindComponent("cstmzrMain"));
  auto* toolbar = dynamic_cast<TSkinToolbar*>(host->FindComponent("tlbrMain"));
  ASSERT_TRUE(customizer && toolbar);
  EXPECT_EQ(TLayoutForm::Names(customizer->Items()), "tbitmClose,tbsprtrSpare,tbsmnitmMarks");
  EXPECT_EQ(TLayoutForm::Names(customizer->Items()->Items(2)), "tbitmMark0,tbitmMark1");
  EXPECT_EQ(TLayoutForm::Names(toolbar->Items()), "tbitmOpen") << "nothing of the spare ones on the toolbar";
  EXPECT_EQ(customizer->Items()->Items(0)->GetParentComponent(), customizer);
  EXPECT_EQ(customizer->Images(), host->FindComponent("imglstMain"));
  EXPECT_EQ(customizer->Items()->SubMenuImages(), customizer->Images()) << "the spare items draw from its list";
  EXPECT_EQ(customizer->MenuBar(), toolbar);
  EXPECT_FALSE(customizer->SaveFormState());
  customizer->Items()->Items(2)->Click();
  EXPECT_EQ(host->marksClicks, 1);
  // The layout file names them as spare commands, after the toolbar's.
  TStringList lines;
  customizer->Save(&lines);
  TMemIniFile ini(L"");
  ini.SetStrings(&lines);
  TStringList items;
  ReadNumberedList(&ini, "Items", &items);
  EXPECT_EQ(items.CommaText(),
            "\"tlbrMain, tbitmOpen\",\"cstmzrMain, tbitmClose\",\"cstmzrMain, tbsprtrSpare\","
            "\"cstmzrMain, tbsmnitmMarks\"");
  FreeHost(host);
}

// Written, read and written again: the same text; the spare commands inside the customizer,
// once each, and a spare command the form does not own not written at all.
TEST_F(CustomizerFormFiles, WhatIsReadIsWrittenBackTheSame) {
  auto* host = new TCustomizerFormHost(nullptr);
  ReadComponentFromText(customizerHostText, host);
  auto* customizer = dynamic_cast<TSkinCustomizer*>(host->FindComponent("cstmzrMain"));
  ASSERT_NE(customizer, nullptr);
  TSkinItem foreign(nullptr);
  foreign.SetName("tbitmForeign");
  customizer->Items()->Add(&foreign);
  const std::string first = WriteComponentToText(host);
  customizer->Items()->Remove(&foreign);
  EXPECT_EQ(first.find("tbitmForeign"), std::string::npos);
  for (const char* name : {"object tbitmClose", "object tbsprtrSpare", "object tbsmnitmMarks", "object tbitmMark1"})
    EXPECT_EQ(Count(first, name), 1u) << name;
  const size_t owner = first.find("object cstmzrMain"), close = first.find("object tbitmClose"),
               mark = first.find("object tbitmMark0"), images = first.find("object imglstMain");
  EXPECT_TRUE(owner < close && close < mark && mark < images) << first;
  EXPECT_NE(first.find("OnClick = MarksClick"), std::string::npos);
  auto* again = new TCustomizerFormHost(nullptr);
  ReadComponentFromText(first, again);
  EXPECT_EQ(WriteComponentToText(again), first);
  auto* read = dynamic_cast<TSkinCustomizer*>(again->FindComponent("cstmzrMain"));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->Items()->Count(), 3);
  FreeHost(again);
  FreeHost(host);
}

}  // namespace
