// The command list walked from the main menu with its exclusions, and "Shortcuts.ini" applied only
// by matching names and read in thousands of mangled forms.
#include <random>

#include "app/FilePaths.h"
#include "app/Shortcuts.h"
#include "framework/Actions.h"
#include "framework/ShortCuts.h"
#include "tests/app/DocumentTestSupport.h"
#include "themes/SkinItem.h"

namespace {

// An item of any style, for the styles no class of the menu gives alone.
struct TStyledItem : TSkinItem {
  TStyledItem(TComponent* AOwner, TBarItemStyle Style) : TSkinItem(AOwner) { SetItemStyle(ItemStyle() | Style); }
};

struct Shortcuts : DocumentTest {
  // The window writes its shortcuts to the data folder as it goes; the next window must not read them.
  void TearDown() override {
    DocumentTest::TearDown();
    DeleteFileW(DataPath(L"Shortcuts.ini").c_str());
  }
  // The shortcuts of Open before each reading: Ctrl+O, then Shift+Ctrl+O and F3.
  TAction* ResetOpen() {
    TAction* open = form_->actnOpen;
    open->SetShortCut(TextToShortCut(AnsiString("Ctrl+O")));
    open->SecondaryShortCuts()->SetText("Shift+Ctrl+O\r\nF3");
    return open;
  }
  void Load(const AnsiString& Text) {
    WriteWholeFile(folder_.File(L"Shortcuts.ini"), Text);
    LoadShortcuts(form_->CommandList(), folder_.File(L"Shortcuts.ini"));
  }
  static AnsiString Keys(TAction* Action) {
    AnsiString keys = Action->ShortCut() ? WideToAnsi(ShortCutToText(Action->ShortCut())) : "0";
    for (int i = 0; i < Action->SecondaryShortCuts()->Count(); ++i)
      keys += "|" + Action->SecondaryShortCuts()->Strings(i);
    return keys;
  }
};

TEST_F(Shortcuts, TheCommandListLeavesOutWhatIsNoCommand) {
  TMainForm& form = Make();
  auto* view = dynamic_cast<TBarCustomItem*>(form.FindComponent("smnitmView"));
  auto add = [&](TBarCustomItem* Parent, TBarCustomItem* Item, const char* Name) {
    Item->SetName(Name);
    Parent->Add(Item);
    return Item;
  };
  // The scheme submenu is left out, what it holds is not.
  add(form.smnitmSyntaxHighlighting, new TSkinItem(&form), "mnitmPlain");
  add(add(view, new TStyledItem(&form, tbisInlineGroup), "grpInline"), new TSkinItem(&form), "mnitmInner");
  add(view, new TStyledItem(&form, tbisIgnoresClicks), "lblNote");
  form.BuildCommandList();
  // Left out as well: the separators, the recent-files list and "(empty)" of the File menu.
  const AnsiString commands = form.CommandList()->Text();
  EXPECT_EQ(commands.substr(0, 56), "smnitmFile\r\nmnitmNew\r\nmnitmOpen\r\nsmnitmRecentDocuments\r\n");
  EXPECT_NE(commands.find("\r\nmnitmNormal\r\nmnitmPlain\r\nmnitmMainToolbar\r\n"), AnsiString::npos);
  EXPECT_NE(commands.find("\r\nmnitmPreferences\r\nmnitmInner\r\nsmnitmCharacter\r\n"), AnsiString::npos);
  for (const char* left : {"sprtr", "mrlstitmMain", "bmnitmEmpty", "smnitmSyntaxHighlighting", "grpInline", "lblNote"})
    EXPECT_EQ(commands.find(left), AnsiString::npos) << left;
  EXPECT_EQ(form.CommandList()->Objects(2), form.FindComponent("mnitmOpen"));
}

TEST_F(Shortcuts, EntriesApplyOnlyWhereTheirNameMatches) {
  Make();
  struct {
    const char* item2;
    const char* keys;  // of Open afterwards
  } cases[] = {
      {"mnitmOpen, Ctrl+Shift+P, Alt+Shift+F2", "Shift+Ctrl+P|Shift+Alt+F2"},  // both modifier orders
      {"mnitmOpen, 0, F5", "0"},                                               // "0" clears and ignores the rest
      {"mnitmOpen, Bogus+Key, F5", "0"},                                       // unreadable: no shortcut
      {"mnitmOpen, F6, , Nonsense, F8", "F6|F8"},                              // empty and unreadable inserts dropped
      {"mnitmopen, F6", "Ctrl+O|Shift+Ctrl+O|F3"},                             // names compare with case
      {"mnitmSave, Ctrl+S", "Ctrl+O|Shift+Ctrl+O|F3"},                         // another item than the one at index 2
  };
  for (const auto& c : cases) {
    TAction* open = ResetOpen();
    Load(AnsiString("[Shortcuts]\r\nCount=99\r\nItem2=") + c.item2 + "\r\nItem1=mnitmOpen, F12\r\n");
    EXPECT_EQ(Keys(open), c.keys) << c.item2;
    EXPECT_EQ(Keys(form_->actnNew), "Ctrl+N") << c.item2;
  }
}

TEST_F(Shortcuts, MangledFilesEndInShortcutsThatHold) {
  Make();
  const AnsiString seed =
      "[Shortcuts]\r\nCount=8\r\nItem1=mnitmNew, Ctrl+N\r\nItem2=mnitmOpen, Ctrl+Shift+O, F3, Alt+F4\r\n"
      "Item9=mnitmExit, F7\r\n";
  const char inserts[] = ",+= \r\n[]0Item";
  std::mt19937 random(109);
  for (int i = 0; i < 1500; ++i) {
    AnsiString text = seed;
    for (int m = 1 + static_cast<int>(random() % 5); m > 0; --m) {
      const size_t at = random() % (text.size() + 1), kind = random() % 3;
      if (kind == 0 && at < text.size())
        text.erase(at, 1 + random() % 5);
      else if (kind == 1)
        text.insert(at, 1, inserts[random() % (sizeof inserts - 1)]);
      else if (at < text.size())
        text[at] = static_cast<char>(random());
    }
    ResetOpen();
    Load(text);
    for (TAction* action : {form_->actnNew, form_->actnOpen, form_->actnExit}) {
      TShortCutList* more = action->SecondaryShortCuts();
      EXPECT_TRUE(action->ShortCut() || more->Count() == 0) << text;
      for (int k = 0; k < more->Count(); ++k) EXPECT_NE(more->ShortCuts(k), 0) << text;
    }
  }
}

}  // namespace
