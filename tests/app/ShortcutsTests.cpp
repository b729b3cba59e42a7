// The command list walked from a menu tree, and "Shortcuts.ini" written, read back, applied only
// by matching names, and read in thousands of mangled forms.
#include <gtest/gtest.h>

#include <random>

#include "app/Shortcuts.h"
#include "framework/Actions.h"
#include "framework/CodePages.h"
#include "framework/FileRoutines.h"
#include "framework/IniFiles.h"
#include "framework/Streams.h"
#include "framework/ShortCuts.h"
#include "themes/SkinItem.h"
#include "themes/UiExtItems.h"

namespace {

// An item of any style, for the styles no class of the menu gives alone.
struct TStyledItem : TSkinItem {
  TStyledItem(TComponent* AOwner, TBarItemStyle Style) : TSkinItem(AOwner) { SetItemStyle(ItemStyle() | Style); }
};

// File: New (Ctrl+N), -, Open (Ctrl+O, secondary Shift+Ctrl+O, F3), recent files, Reopen ▸ (Empty);
// Format: Wrap (no action), Syntax ▸ (Plain), group ▸ (Inner); a plain top-level button.
struct TMenu {
  TMenu() {
    root = Add(nullptr, new TBarRootItem(&owner), "root");
    TBarCustomItem* file = Add(root, new TSkinSubmenuItem(&owner), "smnitmFile");
    Add(file, new TSkinItem(&owner), "mnitmNew", "Ctrl+N");
    Add(file, new TSkinSeparatorItem(&owner), "sprtr1");
    TCustomAction* open = Action(Add(file, new TSkinItem(&owner), "mnitmOpen", "Ctrl+O"));
    open->SecondaryShortCuts()->Add("Shift+Ctrl+O");
    open->SecondaryShortCuts()->Add("F3");
    Add(file, new TUiMRUListItem(&owner), "mrlstitmFiles");
    TBarCustomItem* reopen = Add(file, new TSkinSubmenuItem(&owner), "smnitmReopen");
    Add(reopen, new TSkinItem(&owner), "bmnitmEmpty", "F9");
    TBarCustomItem* format = Add(root, new TSkinSubmenuItem(&owner), "smnitmFormat");
    Add(format, new TSkinItem(&owner), "mnitmWrap");
    Add(Add(format, new TSkinSubmenuItem(&owner), "smnitmSyntaxHighlighting"), new TSkinItem(&owner), "mnitmPlain");
    Add(Add(format, new TStyledItem(&owner, tbisInlineGroup), "grp"), new TSkinItem(&owner), "mnitmInner", "F7");
    Add(format, new TStyledItem(&owner, tbisIgnoresClicks), "lblNote");
    Add(root, new TSkinItem(&owner), "mnitmButton", "F1");
  }
  TBarCustomItem* Add(TBarCustomItem* Parent, TBarCustomItem* Item, const char* Name, const char* Key = nullptr) {
    Item->SetName(Name);
    if (Parent) Parent->Add(Item);
    if (Key) {
      auto* action = new TAction(&owner);
      action->SetShortCut(TextToShortCut(AnsiString(Key)));
      Item->SetAction(action);
    }
    return Item;
  }
  static TCustomAction* Action(TBarCustomItem* Item) { return dynamic_cast<TCustomAction*>(Item->Action()); }
  TCustomAction* ActionOf(const char* Name) { return Action(dynamic_cast<TBarCustomItem*>(owner.FindComponent(Name))); }
  // "Ctrl+O|Shift+Ctrl+O|F3" for an item's action.
  AnsiString Keys(const char* Name) {
    TCustomAction* action = ActionOf(Name);
    AnsiString keys = action->ShortCut() ? WideToAnsi(ShortCutToText(action->ShortCut())) : "0";
    for (int i = 0; i < action->SecondaryShortCuts()->Count(); ++i)
      keys += "|" + action->SecondaryShortCuts()->Strings(i);
    return keys;
  }
  TComponent owner{nullptr};
  TBarCustomItem* root;
  TStringList commands;
};

struct TTempIni {
  TTempIni() {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    name = WideString(dir) + L"verdan-shortcuts-test.ini";
    DeleteFileW(name.c_str());
  }
  ~TTempIni() { DeleteFileW(name.c_str()); }
  void Write(const AnsiString& Text) {
    TFileStream f(name, fmCreate);
    f.WriteBuffer(Text.data(), static_cast<int>(Text.size()));
  }
  WideString name;
};

TEST(Shortcuts, TheCommandListWalksTheMenuWithItsExclusions) {
  TMenu menu;
  BuildCommandList(menu.root, &menu.commands);
  EXPECT_EQ(menu.commands.Text(),
            "smnitmFile\r\nmnitmNew\r\nmnitmOpen\r\nsmnitmReopen\r\nsmnitmFormat\r\nmnitmWrap\r\nmnitmPlain\r\n"
            "mnitmInner\r\n");
  EXPECT_EQ(menu.commands.Objects(2), menu.owner.FindComponent("mnitmOpen"));
}

TEST(Shortcuts, WrittenAndReadBack) {
  TMenu menu;
  TTempIni ini;
  BuildCommandList(menu.root, &menu.commands);
  SaveShortcuts(&menu.commands, ini.name);
  TMemIniFile saved(ini.name);
  EXPECT_EQ(saved.ReadString("Shortcuts", "Count", ""), "8");
  EXPECT_EQ(saved.ReadString("Shortcuts", "Item2", ""), "mnitmOpen, Ctrl+O, Shift+Ctrl+O, F3");
  EXPECT_EQ(saved.ReadString("Shortcuts", "Item0", "none"), "none");  // a submenu without action
  EXPECT_EQ(saved.ReadString("Shortcuts", "Item5", "none"), "none");

  TMenu other;
  BuildCommandList(other.root, &other.commands);
  other.ActionOf("mnitmOpen")->SetShortCut(TShortCut(0));
  other.ActionOf("mnitmOpen")->SecondaryShortCuts()->Clear();
  LoadShortcuts(&other.commands, ini.name);
  EXPECT_EQ(other.Keys("mnitmOpen"), "Ctrl+O|Shift+Ctrl+O|F3");
  EXPECT_EQ(other.Keys("mnitmNew"), "Ctrl+N");
}

TEST(Shortcuts, EntriesApplyOnlyWhereTheirNameMatches) {
  struct {
    const char* item2;
    const char* keys;  // of mnitmOpen afterwards
  } cases[] = {
      {"mnitmOpen, Ctrl+Shift+P, Alt+Shift+F2", "Shift+Ctrl+P|Shift+Alt+F2"},  // both modifier orders
      {"mnitmOpen, shift+ctrl+P", "Shift+Ctrl+P"},
      {"mnitmOpen, 0, F5", "0"},                   // "0" clears and ignores the rest
      {"mnitmOpen, Bogus+Key, F5", "0"},           // unreadable: no shortcut
      {"mnitmOpen, F6, , Nonsense, F8", "F6|F8"},  // empty and unreadable pieces dropped
      {"mnitmOpen", "0"},
      {"mnitmopen, F6", "Ctrl+O|Shift+Ctrl+O|F3"},      // names compare with case
      {"mnitmSave, Ctrl+S", "Ctrl+O|Shift+Ctrl+O|F3"},  // another item than the one at index 2
      {"", "Ctrl+O|Shift+Ctrl+O|F3"},
  };
  for (const auto& c : cases) {
    TMenu menu;
    TTempIni ini;
    ini.Write(AnsiString("[Shortcuts]\r\nCount=99\r\nItem2=") + c.item2 + "\r\nItem1=mnitmOpen, F12\r\n");
    BuildCommandList(menu.root, &menu.commands);
    LoadShortcuts(&menu.commands, ini.name);
    EXPECT_EQ(menu.Keys("mnitmOpen"), c.keys) << c.item2;
    EXPECT_EQ(menu.Keys("mnitmNew"), "Ctrl+N") << c.item2;
  }
}

TEST(Shortcuts, MangledFilesEndInShortcutsThatHold) {
  const AnsiString seed =
      "[Shortcuts]\r\nCount=8\r\nItem1=mnitmNew, Ctrl+N\r\nItem2=mnitmOpen, Ctrl+Shift+O, F3, Alt+F4\r\n"
      "Item7=mnitmInner, F7\r\n";
  const char pieces[] = ",+= \r\n[]0Item";
  std::mt19937 random(109);
  TTempIni ini;
  for (int i = 0; i < 1500; ++i) {
    AnsiString text = seed;
    for (int m = 1 + static_cast<int>(random() % 5); m > 0; --m) {
      const size_t at = random() % (text.size() + 1);
      if (random() % 3 == 0 && at < text.size())
        text.erase(at, 1 + random() % 5);
      else if (random() % 2)
        text.insert(at, 1, pieces[random() % (sizeof pieces - 1)]);
      else if (at < text.size())
        text[at] = static_cast<char>(random());
    }
    ini.Write(text);
    TMenu menu;
    BuildCommandList(menu.root, &menu.commands);
    LoadShortcuts(&menu.commands, ini.name);
    for (const char* name : {"mnitmNew", "mnitmOpen", "mnitmInner"}) {
      TCustomAction* action = menu.ActionOf(name);
      TShortCutList* more = action->SecondaryShortCuts();
      if (!action->ShortCut()) {
        EXPECT_EQ(more->Count(), 0) << text;
      }
      for (int k = 0; k < more->Count(); ++k) EXPECT_NE(more->ShortCuts(k), 0) << text;
    }
  }
}

}  // namespace
