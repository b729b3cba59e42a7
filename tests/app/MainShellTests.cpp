// The main window's shell as its form file builds it: the docks and their toolbars, the menus
// with every command, the status bar fed by the commands, the popup menus, the toolbar layout in
// "Toolbars.ini", the stored properties, the lock of the toolbars and the data module's images.
#include <algorithm>
#include <functional>
#include <set>

#include "app/CharPalette.h"
#include "app/CharacterFrm.h"
#include "app/DocumentTabs.h"
#include "app/MainActions.h"
#include "app/MainDataModule.h"
#include "controls/PngImageList.h"
#include "editor/TxtEditKeyCmds.h"
#include "framework/Actions.h"
#include "framework/Application.h"
#include "framework/FileRoutines.h"
#include "framework/IniFiles.h"
#include "framework/Streams.h"
#include "tests/app/DocumentTestSupport.h"
#include "themes/SkinCustomizer.h"
#include "themes/SkinToolbar.h"
#include "themes/UiExtItems.h"
#include "themes/UiStatusBars.h"
#include "toolbars/BarPopup.h"

namespace {

using MainShell = DocumentTest;

TBarCustomItem* Item(TMainForm& Form, const char* Name) {
  auto* item = dynamic_cast<TBarCustomItem*>(Form.FindComponent(Name));
  EXPECT_NE(item, nullptr) << Name;
  return item;
}

TAction* ActionOf(TMainForm& Form, const char* Name) { return dynamic_cast<TAction*>(Form.FindComponent(Name)); }

std::string ReadBytes(const WideString& Name) {
  TFileStream f(Name, fmOpenRead | fmShareDenyWrite);
  std::string bytes(static_cast<size_t>(f.Size()), '\0');
  if (!bytes.empty()) f.ReadBuffer(bytes.data(), static_cast<int>(bytes.size()));
  return bytes;
}

// The names of the actions of the items of a submenu or toolbar, "-" for a divider, ">" and
// the name for a submenu.
std::vector<AnsiString> Entries(TBarCustomItem* Parent) {
  std::vector<AnsiString> entries;
  for (int i = 0; i < Parent->Count(); ++i) {
    TBarCustomItem* item = Parent->Items(i);
    if (item->ItemStyle() & tbisDivider)
      entries.push_back("-");
    else if (auto* action = dynamic_cast<TComponent*>(item->Action()))
      entries.push_back(action->Name());
    else
      entries.push_back(">" + item->Name());
  }
  return entries;
}

// Runs a popup menu with the keys waiting for its modal loop; the view it showed is reported.
struct TPopupWatch {
  explicit TPopupWatch(TSkinPopupMenu* Menu, std::initializer_list<WPARAM> Keys) : menu(Menu) {
    menu->OnInitPopup = TSkinPopupEvent(this, &TPopupWatch::Init);
    for (WPARAM key : Keys) PostThreadMessageW(GetCurrentThreadId(), WM_KEYDOWN, key, 0);
  }
  ~TPopupWatch() { menu->OnInitPopup = TSkinPopupEvent(); }
  void Init(TObject*, TBarView* View) {
    ++shown;
    if (View && View->Window() && View->Window()->HandleAllocated()) {
      RECT r;
      GetWindowRect(View->Window()->Handle(), &r);
      at = {r.left, r.top};
    }
  }
  TSkinPopupMenu* menu;
  int shown = 0;
  TPoint at{-1, -1};
};

}  // namespace

// The window's parts in their places: the menu bar and the main toolbar above the tabs, the
// docks on every side, the status bar below everything, and the pages in what is left.
TEST_F(MainShell, TheFormFileBuildsTheWholeWindow) {
  TMainForm& form = Make();
  struct {
    TSkinDock* Dock;
    TBarDockPosition Position;
  } const docks[] = {{form.dckTop, dpTop},
                     {form.dckTabBar, dpTop},
                     {form.dckBottom, dpBottom},
                     {form.dckLeft, dpLeft},
                     {form.dckRight, dpRight}};
  for (const auto& d : docks) {
    ASSERT_NE(d.Dock, nullptr);
    EXPECT_EQ(d.Dock->Position(), d.Position) << d.Dock->Name();
    EXPECT_EQ(d.Dock->Parent(), &form) << d.Dock->Name();
  }
  EXPECT_EQ(form.tlbrMainMenu->CurrentDock(), form.dckTop);
  EXPECT_TRUE(form.tlbrMainMenu->MenuBar() && !form.tlbrStandard->MenuBar());
  EXPECT_EQ(form.tlbrStandard->CurrentDock(), form.dckTop);
  EXPECT_EQ(form.tlbrStandard->DockRow(), 1);
  EXPECT_EQ(form.tlbrTabBar->CurrentDock(), form.dckTabBar);
  EXPECT_FALSE(form.tlbrTabBar->Customizable()) << "document tabs have no names to store";
  ASSERT_EQ(form.stsbrMain->Panels()->Count(), 4);
  EXPECT_EQ(form.stsbrMain->Align(), alBottom);
  form.SetBounds(0, 0, 700, 500);
  EXPECT_EQ(form.dckTop->Top(), 0);
  EXPECT_GT(form.dckTop->Height(), 10);
  EXPECT_EQ(form.dckTabBar->Top(), form.dckTop->Top() + form.dckTop->Height());
  EXPECT_EQ(form.pglstMain->Top(), form.dckTabBar->Top() + form.dckTabBar->Height());
  EXPECT_EQ(form.stsbrMain->Top() + form.stsbrMain->Height(), form.ClientHeight());
  EXPECT_LE(form.dckBottom->Top() + form.dckBottom->Height(), form.stsbrMain->Top());
  // The customizer keeps the menu bar and stores no form placement of its own.
  EXPECT_EQ(form.cstmzrMain->MenuBar(), form.tlbrMainMenu);
  EXPECT_FALSE(form.cstmzrMain->SaveFormState());
  EXPECT_EQ(form.mrlstMain->MaxItems(), ::Options->NumberOfDocuments);
  EXPECT_EQ(form.mrlstitmMain->MRUList(), form.mrlstMain);
  EXPECT_EQ(form.pmnSyntaxHighlighting->LinkSubitems(), form.smnitmSyntaxHighlighting);
}

// Every command of the action list reaches the user through the menu bar, except the ones that
// only the popup menus and drag and drop use; every item of the menus shows an action of the list.
TEST_F(MainShell, EveryCommandIsInTheMenus) {
  TMainForm& form = Make();
  std::set<AnsiString> shown;
  std::function<void(TBarCustomItem*)> walk = [&](TBarCustomItem* Parent) {
    for (int i = 0; i < Parent->Count(); ++i) {
      TBarCustomItem* item = Parent->Items(i);
      if (auto* action = dynamic_cast<TAction*>(item->Action())) {
        EXPECT_EQ(action->ActionList(), form.actnlstMain) << item->Name();
        shown.insert(action->Name());
      }
      walk(item);
    }
  };
  walk(form.tlbrMainMenu->Items());
  const std::set<AnsiString> elsewhere = {"actnDNDOpen", "actnDNDInsert", "actnOpenLink", "actnCopyLinkAddress",
                                          "actnCloseOtherTabs"};
  for (int i = 0; i < form.actnlstMain->ActionCount(); ++i) {
    const AnsiString name = form.actnlstMain->Actions(i)->Name();
    EXPECT_NE(shown.count(name) + elsewhere.count(name), 0u) << name << " is in no menu";
  }
  // The menus hold the commands in the order of the program's earlier menus.
  const std::vector<AnsiString> file = Entries(Item(form, "smnitmFile"));
  EXPECT_EQ(file, (std::vector<AnsiString>{"actnCreateNew", "actnOpen", ">smnitmRecentDocuments", "-", "actnSave",
                                           "actnSaveAs", "actnSaveAll", "-", "actnClose", "actnCloseAll", "-",
                                           "actnPageSetup", "actnPrint", "-", "actnExit"}));
  const std::vector<AnsiString> view = Entries(Item(form, "smnitmView"));
  EXPECT_EQ(view, (std::vector<AnsiString>{"actnPrintPreview", "-", "actnWordWrap", "actnShowNonprintingCharacters",
                                           "-", ">smnitmFontSize", ">smnitmSyntaxHighlighting", "-", "actnMainToolbar",
                                           "actnTabBar", "actnStatusBar", "actnLockTheToolbars", "actnCustomize", "-",
                                           "actnPrevious", "actnNext", "-", "actnPreferences"}));
  // The popup menus: the tab bar's names the items its rule shows and hides.
  EXPECT_EQ(Entries(form.pmnTabBar->Items()),
            (std::vector<AnsiString>{"actnCreateNew", "-", "actnClose", "actnCloseAll", "actnCloseOtherTabs", "-",
                                     "actnSave", "actnSaveAs", "actnSaveAll"}));
  EXPECT_EQ(form.mnitmSave1->Action(), ActionOf(form, "actnSave"));
  EXPECT_EQ(form.mnitmClose1->Action(), ActionOf(form, "actnClose"));
  EXPECT_EQ(form.mnitmSaveAs1->Action(), ActionOf(form, "actnSaveAs"));
  const std::vector<AnsiString> editor = Entries(form.pmnEditor->Items());
  EXPECT_EQ(std::vector<AnsiString>(editor.end() - 2, editor.end()),
            (std::vector<AnsiString>{"actnOpenLink", "actnCopyLinkAddress"}));
}

// The toolbar shows its commands and their state as the update rules give it.
TEST_F(MainShell, TheMainToolbarFollowsTheUpdateRules) {
  TMainForm& form = Make();
  EXPECT_EQ(Entries(form.tlbrStandard->Items()), (std::vector<AnsiString>{"actnCreateNew",
                                                                          "actnOpen",
                                                                          "actnSave",
                                                                          "actnSaveAll",
                                                                          "-",
                                                                          "actnPrint",
                                                                          "actnPrintPreview",
                                                                          "-",
                                                                          "actnCut",
                                                                          "actnCopy",
                                                                          "actnPaste",
                                                                          "-",
                                                                          "actnUndo",
                                                                          "actnRedo",
                                                                          "-",
                                                                          "actnFind",
                                                                          "actnReplace",
                                                                          "actnGoto",
                                                                          "-",
                                                                          "actnWordWrap",
                                                                          "actnShowNonprintingCharacters"}));
  TBarCustomItem* undo = Item(form, "tbitmUndo");
  TBarCustomItem* wrap = Item(form, "tbitmWordWrap");
  auto update = [&] {
    for (int i = 0; i < form.actnlstMain->ActionCount(); ++i) form.actnlstMain->Actions(i)->Update();
  };
  update();
  EXPECT_FALSE(undo->Enabled());
  form.ActiveEditor()->SetWordWrap(false);
  update();
  EXPECT_FALSE(wrap->Checked());
  form.ActiveEditor()->SetSelText("typed");
  form.ActiveEditor()->SetWordWrap(true);
  update();
  EXPECT_TRUE(undo->Enabled());
  EXPECT_TRUE(wrap->Checked());
  EXPECT_TRUE(wrap->Enabled());
  form.ActiveDocument()->SetViewMode(1);  // no editing in the print preview
  update();
  EXPECT_FALSE(undo->Enabled() || wrap->Enabled() || wrap->Checked());
}

// The panels show what the commands computed; a click on one of them acts, on a disabled one
// or with another button it does nothing, and the highlighter's pops its menu up at the mouse,
// one pixel lower.
TEST_F(MainShell, TheStatusBarShowsThePanelsAndTakesTheirClicks) {
  Scheme(L"CLIKE", L"clike.xml");
  TMainForm& form = Make();
  form.Show();
  TTxtEdit* editor = form.ActiveEditor();
  editor->SetSelText("ab");
  form.Commands->UpdateStatusBar(false);
  form.Commands->UpdateCaption();
  TUiStatusPanels* panels = form.stsbrMain->Panels();
  const wchar_t* const texts[] = {L"Ln 1, col 3", L"0 (0x0)", L"Insert", L"No highlighting"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(panels->Items(i)->Caption(), texts[i]) << i;
    EXPECT_TRUE(panels->Items(i)->Enabled()) << i;
  }
  const TRect insert = panels->Items(2)->Rect();
  const int y = (insert.Top + insert.Bottom) / 2;
  form.stsbrMainMouseUp(form.stsbrMain, mbRight, {}, insert.Left + 2, y);
  EXPECT_TRUE(editor->InsertMode()) << "only the left button";
  form.stsbrMainMouseUp(form.stsbrMain, mbLeft, {}, insert.Left + 2, y);
  EXPECT_FALSE(editor->InsertMode());
  EXPECT_EQ(panels->Items(2)->Caption(), L"Overtype");
  // The scheme menu: the second entry past the divider is the first scheme.
  const TRect scheme = panels->Items(3)->Rect();
  SetCursorPos(200, 300);
  {
    TPopupWatch watch(form.pmnSyntaxHighlighting, {VK_DOWN, VK_DOWN, VK_RETURN});
    form.stsbrMainMouseUp(form.stsbrMain, mbLeft, {}, scheme.Left + 2, (scheme.Top + scheme.Bottom) / 2);
    EXPECT_EQ(watch.shown, 1);
    POINT cursor;
    GetCursorPos(&cursor);
    EXPECT_EQ(watch.at.Y, cursor.y + 1);
  }
  EXPECT_NE(form.ActiveDocument()->GetHighlighter(), Highlighters->Plain());
  // Without a document every panel is empty and disabled, and a click does nothing.
  DocumentList->Items().Remove(form.ActiveDocument());
  form.Commands->UpdateStatusBar(false);
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(panels->Items(i)->Caption().empty() && !panels->Items(i)->Enabled()) << i;
  TPopupWatch watch(form.pmnSyntaxHighlighting, {});
  form.stsbrMainMouseUp(form.stsbrMain, mbLeft, {}, scheme.Left + 2, (scheme.Top + scheme.Bottom) / 2);
  EXPECT_EQ(watch.shown, 0);
}

// The editor's menu offers the link commands only with a link at the caret; the gutter has a
// menu of its own.
TEST_F(MainShell, TheEditorMenuShowsTheLinkCommandsOverALink) {
  TMainForm& form = Make();
  form.Show();
  TTxtEdit* editor = form.ActiveEditor();
  editor->SetTextA("see www.example.com now");
  TAction* open = ActionOf(form, "actnOpenLink");
  TAction* copy = ActionOf(form, "actnCopyLinkAddress");
  struct {
    int Column;
    bool Link;
  } const cases[] = {{8, true}, {2, false}, {22, false}};
  const int x = editor->GutterWidth() + 20;
  for (const auto& c : cases) {
    editor->SetCaretXY({c.Column, 1});
    TPopupWatch editorMenu(form.pmnEditor, {VK_ESCAPE});
    TPopupWatch gutterMenu(form.pmnGutter, {});
    form.ActiveFrame()->edtDocumentMouseUp(editor, mbRight, {}, x, 5);
    EXPECT_EQ(editorMenu.shown, 1) << c.Column;
    EXPECT_EQ(gutterMenu.shown, 0) << c.Column;
    EXPECT_EQ(open->Visible(), c.Link) << c.Column;
    EXPECT_EQ(copy->Visible(), c.Link) << c.Column;
  }
  TPopupWatch editorMenu(form.pmnEditor, {});
  TPopupWatch gutterMenu(form.pmnGutter, {VK_ESCAPE});
  form.ActiveFrame()->edtDocumentMouseUp(editor, mbRight, {}, 1, 5);
  EXPECT_EQ(gutterMenu.shown + 10 * editorMenu.shown, 1);
}

// The tab bar's menu: the commands of one document only over a tab.
TEST_F(MainShell, TheTabBarMenuFollowsTheContextTab) {
  TMainForm& form = Make();
  form.Show();
  for (TDocumentItem* tab : {Doc(0)->Item(), static_cast<TDocumentItem*>(nullptr), Doc(0)->Item()}) {
    form.tlbrTabBarMouseDown(form.tlbrTabBar, mbRight, tab);
    TPopupWatch watch(form.pmnTabBar, {VK_ESCAPE});
    form.tlbrTabBarMouseUp(form.tlbrTabBar, mbRight, tab);
    EXPECT_EQ(watch.shown, 1);
    for (TBarCustomItem* item : {form.mnitmSave1, form.mnitmClose1, form.mnitmSaveAs1})
      EXPECT_EQ(item->Visible(), tab != nullptr) << item->Name();
    EXPECT_TRUE(Item(form, "mnitmSaveAll1")->Visible());
  }
  TPopupWatch watch(form.pmnTabBar, {});
  form.tlbrTabBarMouseUp(form.tlbrTabBar, mbLeft, nullptr);
  EXPECT_EQ(watch.shown, 0) << "only the right button";
}

// The toolbars' lock: the option locks every dock but the tab bar's, and "Lock the toolbars"
// reads the lock from a dock that follows it whatever the order of the docks.
TEST_F(MainShell, LockTheToolbarsReadsADockThatFollowsTheOption) {
  TMainForm& form = Make();
  ASSERT_TRUE(::Options->LockTheToolbars);
  // The tab bar's dock is the form's first dock.
  EXPECT_LT(form.dckTabBar->ComponentIndex(), form.dckTop->ComponentIndex());
  TAction* lock = ActionOf(form, "actnLockTheToolbars");
  auto checked = [&] {
    lock->Update();
    return lock->Checked();
  };
  EXPECT_TRUE(form.dckTabBar->AllowDrag());
  for (TSkinDock* dock : form.ToolbarDocks()) EXPECT_FALSE(dock->AllowDrag()) << dock->Name();
  EXPECT_EQ(form.ToolbarDocks().size(), 4u);
  EXPECT_TRUE(checked());
  lock->Execute();
  EXPECT_FALSE(::Options->LockTheToolbars);
  for (TSkinDock* dock : form.ToolbarDocks()) EXPECT_TRUE(dock->AllowDrag()) << dock->Name();
  EXPECT_FALSE(checked());
  form.dckTabBar->SetAllowDrag(false);
  EXPECT_FALSE(checked()) << "the tab bar's lock is its own";
  lock->Execute();
  EXPECT_TRUE(checked());
  EXPECT_FALSE(form.dckTabBar->AllowDrag());
}

// "Main toolbar", "Tab bar" and "Status bar" show and hide their bars, checked while shown.
TEST_F(MainShell, TheBarTogglesShowAndHide) {
  TMainForm& form = Make();
  struct {
    const char* Action;
    TControl* Bar;
  } const toggles[] = {
      {"actnMainToolbar", form.tlbrStandard}, {"actnTabBar", form.tlbrTabBar}, {"actnStatusBar", form.stsbrMain}};
  for (const auto& t : toggles) {
    TAction* action = ActionOf(form, t.Action);
    for (bool visible : {false, true}) {
      action->Execute();
      action->Update();
      EXPECT_EQ(t.Bar->Visible(), visible) << t.Action;
      EXPECT_EQ(action->Checked(), visible) << t.Action;
    }
  }
}

// "Toolbars.ini" is read when the window is made (with its last layout) and written when it goes;
// a window that only records its texts does neither.
TEST_F(MainShell, TheToolbarLayoutIsReadAndWritten) {
  ::Options->LockTheToolbars = false;
  folder_.Write(L"Toolbars.ini",
                "[Items]\r\nCount=2\r\n0=tlbrStandard, tbitmOpen\r\n1=tlbrStandard, tbitmNew\r\n"
                "[Layouts]\r\nCount=1\r\n0=LastLayout\r\n"
                "[LastLayout @ tlbrStandard]\r\nRev=2000\r\nVisible=0\r\nDockedTo=dckBottom\r\n");
  TMainForm& form = Make();
  EXPECT_FALSE(form.tlbrStandard->Visible());
  EXPECT_EQ(form.tlbrStandard->CurrentDock(), form.dckBottom);
  EXPECT_EQ(form.tlbrStandard->Items()->Items(0)->Name(), "tbitmOpen");
  form.tlbrStandard->SetVisible(true);
  Free(form_);
  form_ = nullptr;
  TMemIniFile ini(folder_.File(L"Toolbars.ini"));
  EXPECT_EQ(ini.ReadString("LastLayout @ tlbrStandard", "Visible", ""), "1");
  EXPECT_EQ(ini.ReadString("LastLayout @ tlbrStandard", "DockedTo", ""), "dckBottom");
  EXPECT_EQ(ini.ReadString("LastLayout @ tlbrMainMenu", "DockedTo", ""), "dckTop");
  EXPECT_EQ(ini.ReadString("Items", "0", ""), "tlbrMainMenu, smnitmFile");
  // Recording the texts: the layout of the file is neither applied nor replaced.
  const std::string before = ReadBytes(folder_.File(L"Toolbars.ini"));
  TMainForm::RecordingTexts() = true;
  TMainForm& recorded = Make();
  EXPECT_EQ(recorded.tlbrStandard->CurrentDock(), recorded.dckTop);
  Free(form_);
  form_ = nullptr;
  TMainForm::RecordingTexts() = false;
  EXPECT_EQ(ReadBytes(folder_.File(L"Toolbars.ini")), before);
}

// The status bar's visibility and the recent documents are stored properties of the window:
// written to "Preferences.ini" as it goes, back when the next one shows.
TEST_F(MainShell, StoredPropertiesComeBackWithTheNextWindow) {
  const WideString file = folder_.Write(L"kept.txt", "k");
  TMainForm& form = Make();
  form.mrlstMain->Add(file);
  form.stsbrMain->SetVisible(false);
  Free(form_);
  form_ = nullptr;
  TMainForm& next = Make();
  EXPECT_TRUE(next.stsbrMain->Visible());
  next.OnShow(&next);  // the window shows: the storage restores first
  EXPECT_FALSE(next.stsbrMain->Visible());
  ASSERT_EQ(next.mrlstMain->Items()->Count(), 1);
  EXPECT_EQ(next.mrlstMain->Items()->Strings(0), file);
  // The storage keeps to its own keys: the caret positions and options beside them survive.
  TMemIniFile ini(::Options->FileName());
  EXPECT_EQ(ini.ReadString("MainForm", "stsbrMain_Visible", ""), "0");
}

// The images: one for each command named, two for the tabs and two for the banner, all 16 x 16
// with transparency; the windows' references to the lists resolve in either order of making.
TEST_F(MainShell, TheDataModuleHoldsTheImagesTheWindowNames) {
  TMainForm& early = Make();
  EXPECT_EQ(early.tlbrMainMenu->Images(), nullptr);
  std::unique_ptr<TMainDataModule> module(New<TMainDataModule>(nullptr));
  ASSERT_EQ(MainDataModule, module.get());
  struct {
    TPngImageList* List;
    int Count;
  } const lists[] = {{module->pngmglstMain, miMainImageCount}, {module->pngmglstTabs, 2}, {module->pngmglstBanner, 2}};
  for (const auto& l : lists) {
    ASSERT_NE(l.List, nullptr);
    EXPECT_EQ(l.List->Count(), l.Count) << l.List->Name();
    for (int i = 0; i < l.List->PngImages()->Count(); ++i) {
      TPngGraphic* png = l.List->PngImages()->Items(i)->PngImage();
      ASSERT_TRUE(png->Width() == 16 && png->Height() == 16) << l.List->Name() << " " << i;
      // Something is drawn and something is left transparent.
      int opaque = 0, clear = 0;
      for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) (png->AlphaScanline(y)[x] > 128 ? opaque : clear) += 1;
      EXPECT_TRUE(opaque > 8 && clear > 8) << l.List->Name() << " " << i;
    }
  }
  auto named = [&](TMainForm& Form) {
    EXPECT_EQ(Form.tlbrMainMenu->Images(), module->pngmglstMain);
    EXPECT_EQ(Form.tlbrStandard->Images(), module->pngmglstMain);
    EXPECT_EQ(Form.tlbrTabBar->Images(), module->pngmglstTabs);
    EXPECT_EQ(Form.actnlstMain->Images(), module->pngmglstMain);
    EXPECT_EQ(Form.cstmzrMain->Images(), module->pngmglstMain);
  };
  named(early);  // made before the module
  Free(form_);
  form_ = nullptr;
  named(Make());  // and after it
  // Every image index an action names is in the list.
  for (int i = 0; i < form_->actnlstMain->ActionCount(); ++i) {
    auto* action = dynamic_cast<TAction*>(form_->actnlstMain->Actions(i));
    EXPECT_LT(action->ImageIndex(), miMainImageCount) << action->Name();
  }
  EXPECT_EQ(ActionOf(*form_, "actnSave")->ImageIndex(), miSave);
  EXPECT_EQ(ActionOf(*form_, "actnMatchBracket")->ImageIndex(), miMatchBracket);
  module.reset();
  EXPECT_EQ(MainDataModule, nullptr);
  EXPECT_EQ(form_->tlbrMainMenu->Images(), nullptr) << "no list outlives its module";
}

// The character map opens on a character when a cell shows it.
TEST_F(MainShell, TheCharacterMapSelectsTheCharacterAtTheCaret) {
  Make();
  std::unique_ptr<TCharacterForm> map(New<TCharacterForm>(nullptr, Doc(0)));
  for (int code : {0xE9, 0x41, 0xFF}) {
    EXPECT_TRUE(map->SelectCharacter(code)) << code;
    EXPECT_EQ(map->CurrentCode(), code);
  }
  EXPECT_FALSE(map->SelectCharacter(10));
  EXPECT_FALSE(map->SelectCharacter(0));
  EXPECT_EQ(map->CurrentCode(), 0xFF) << "a character no cell shows leaves the selection";
}

namespace {

BOOL CALLBACK AddCharacterMap(HWND Wnd, LPARAM Maps) {
  if (auto* map = dynamic_cast<TCharacterForm*>(FindControl(Wnd)); map && IsWindowVisible(Wnd))
    reinterpret_cast<std::vector<TCharacterForm*>*>(Maps)->push_back(map);
  return TRUE;
}

// The character maps this thread shows.
std::vector<TCharacterForm*> ShownCharacterMaps() {
  std::vector<TCharacterForm*> maps;
  EnumThreadWindows(GetCurrentThreadId(), AddCharacterMap, reinterpret_cast<LPARAM>(&maps));
  return maps;
}

// A map that holds the main window in a loop of its own is closed by this timer.
void CALLBACK CloseCharacterMaps(HWND, UINT, UINT_PTR, DWORD) {
  for (TCharacterForm* map : ShownCharacterMaps()) PostMessageW(map->Handle(), WM_CLOSE, 0, 0);
}

}  // namespace

// "Other characters..." leaves the main window usable: the map is made once, and Insert goes
// into the document that is active when it runs, not the one the map was opened over.
TEST_F(MainShell, TheCharacterMapLeavesTheMainWindowInUse) {
  TMainForm& form = Make();
  form.Show();
  form.NewDocument();
  Editor(0)->SetTextA("first");
  Editor(1)->SetTextA("second");
  const UINT_PTR timer = SetTimer(nullptr, 0, 2000, CloseCharacterMaps);
  ActionOf(form, "actnOtherCharacters")->Execute();
  KillTimer(nullptr, timer);
  std::vector<TCharacterForm*> maps = ShownCharacterMaps();
  ASSERT_EQ(maps.size(), 1u) << "the map blocked the main window until it was closed";
  EXPECT_TRUE(IsWindowEnabled(form.Handle()));
  ActionOf(form, "actnOtherCharacters")->Execute();
  EXPECT_EQ(ShownCharacterMaps(), maps) << "made once";

  form.ActivateDocument(Doc(0));
  Editor(0)->SelectAll();
  Editor(1)->SelectAll();
  maps[0]->SelectCharacter(0xE9);
  maps[0]->actnInsert->Execute();
  EXPECT_EQ(Editor(0)->TextA(), "\xe9");
  EXPECT_EQ(Editor(1)->TextA(), "second");
  EXPECT_EQ(form.CharPalette()->Chars()->Strings(0), "233") << "the palette learns what the map inserts";
  Free(form_);
  form_ = nullptr;
  EXPECT_TRUE(ShownCharacterMaps().empty());
}

// Whether the bar shows the whole tab of the document.
bool TabInSight(TMainForm& Form, TDocument* Document) {
  TBarItemViewer* viewer = Form.tlbrTabBar->View()->Find(Document->Item());
  if (!Document->Item()->Visible() || !viewer || !viewer->Show() || viewer->OffEdge()) return false;
  // The bar grows with its tabs; its dock shows what fits.
  TDocumentTabBar* bar = Form.tlbrTabBar;
  const TRect r = viewer->BoundsRect();
  return r.Left >= 0 && r.Right <= Form.dckTabBar->ClientWidth() - bar->Left() - (bar->Width() - bar->ClientWidth());
}

int TabsOutOfSight(TMainForm& Form) {
  int n = 0;
  for (int i = 0; i < DocumentList->Count(); ++i) n += !TabInSight(Form, DocumentList->Documents(i));
  return n;
}

// However many tabs there are, the active one is in sight: tabs are hidden from the left as new
// ones come, and come back as others close or the window grows.
TEST_F(MainShell, TheActiveTabStaysInSight) {
  TMainForm& form = Make();
  form.Show();
  for (int i = 0; i < 11; ++i) {
    form.NewDocument();
    Application->ProcessMessages();
    EXPECT_TRUE(TabInSight(form, form.ActiveDocument())) << "new document " << i;
  }
  EXPECT_FALSE(TabInSight(form, Doc(0))) << "twelve tabs do not fit";
  // The first, the last, one in the middle, then Ctrl+Tab round past the end.
  for (int index : {0, 11, 5, -1, -1, -1, -1, -1, -1, -1}) {
    if (index < 0)
      ActionOf(form, "actnNext")->Execute();
    else
      form.ActivateDocument(Doc(index));
    Application->ProcessMessages();
    EXPECT_TRUE(TabInSight(form, form.ActiveDocument())) << index;
  }
  // Going to the left keeps the tabs where they are as long as the active one shows.
  form.ActivateDocument(Doc(11));
  Application->ProcessMessages();
  const int hidden = TabsOutOfSight(form);
  ASSERT_GT(hidden, 0);
  form.ActivateDocument(Doc(10));
  Application->ProcessMessages();
  EXPECT_EQ(TabsOutOfSight(form), hidden);
  // A wider window, then fewer documents: every tab comes back.
  form.SetBounds(0, 0, GetSystemMetrics(SM_CXSCREEN), form.Height());
  Application->ProcessMessages();
  EXPECT_LT(TabsOutOfSight(form), hidden);
  EXPECT_TRUE(TabInSight(form, form.ActiveDocument()));
  while (DocumentList->Count() > 4) form.CloseDocument(Doc(DocumentList->Count() - 1));
  Application->ProcessMessages();
  EXPECT_EQ(TabsOutOfSight(form), 0);
}

// Steps run by a thread timer from inside a menu loop, each tried on every tick until it answers
// true; a loop still running after some seconds loses the capture instead of hanging the test.
struct TMenuSteps {
  explicit TMenuSteps(std::vector<std::function<bool()>> ASteps) : Steps(std::move(ASteps)) {
    Current = this;
    Timer = SetTimer(nullptr, 0, 15, &Tick);
  }
  ~TMenuSteps() { KillTimer(nullptr, Timer), Current = nullptr; }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (!Current) return;
    if (Current->Next < Current->Steps.size() && Current->Steps[Current->Next]()) ++Current->Next;
    if (++Current->Ticks == 400) ReleaseCapture(), EndMenu();
  }
  static inline TMenuSteps* Current = nullptr;
  std::vector<std::function<bool()>> Steps;
  size_t Next = 0;
  int Ticks = 0;
  UINT_PTR Timer = 0;
};

bool PostKey(WPARAM Key) { return PostThreadMessageW(GetCurrentThreadId(), WM_KEYDOWN, Key, 0); }

// "Character" opened with the mouse gives its palette the arrow keys: Right moves one cell on and
// from the last column to the next row. A palette that cannot insert (the document in its print
// preview) leaves them to the menu bar: coming from "View", Right passes "Character" for "Help".
TEST_F(MainShell, ThePaletteTakesTheArrowsWhenItCanInsert) {
  TMainForm& form = Make();
  form.Show();
  TBarView* bar = form.tlbrMainMenu->View();
  for (bool preview : {false, true}) {
    Doc(0)->SetViewMode(preview ? 1 : 0);
    TBarItemViewer* opened = bar->Find(Item(form, preview ? "smnitmView" : "smnitmCharacter"));
    std::vector<TPoint> cells;
    TBarItemViewer* end = nullptr;
    auto palette = [&]() -> TUiToolViewer* {
      TBarView* menu = bar->OpenViewerView();
      for (int i = 0; menu && i < menu->ViewerCount(); ++i)
        if (menu->Viewers(i)->Item() == form.CharPalette()) return dynamic_cast<TUiToolViewer*>(menu->Viewers(i));
      return nullptr;
    };
    // The button that opened the menu comes up over the item.
    const TRect& r = opened->BoundsRect();
    const TPoint at{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    std::vector<std::function<bool()>> steps{
        [&] { return PostMessageW(form.tlbrMainMenu->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(at.X, at.Y)) != 0; },
        [&] { return bar->OpenViewerView() != nullptr; }};
    for (int i = 0; i < (preview ? 2 : 6); ++i) {
      steps.push_back([&] { return PostKey(VK_RIGHT); });
      steps.push_back([&] {
        cells.push_back(palette() ? palette()->HotCell() : TPoint{-9, -9});
        return true;
      });
    }
    steps.push_back([&] {
      end = bar->Selected();
      return PostKey(VK_ESCAPE) && PostKey(VK_ESCAPE);
    });
    TMenuSteps script(steps);
    const TPoint screen = form.tlbrMainMenu->ClientToScreen(at);
    SetCursorPos(screen.X, screen.Y);
    bar->Select(opened);
    bar->RunToolbarMenuLoop(tbmlMouseDown);
    if (!preview) {
      const std::vector<TPoint> expected{{1, 0}, {2, 0}, {3, 0}, {4, 0}, {0, 1}, {1, 1}};
      EXPECT_EQ(cells, expected);
      EXPECT_EQ(end, opened);
    } else {
      EXPECT_EQ(end, bar->Find(Item(form, "smnitmHelp"))) << "the arrows go on along the menu bar";
    }
  }
}

// A tab takes its image from the tab bar's list: the padlock of a read-only document is the
// list's golden one.
TEST_F(MainShell, TabsDrawTheImagesOfTheirList) {
  std::unique_ptr<TMainDataModule> module(New<TMainDataModule>(nullptr));
  TMainForm& form = Make();
  form.SetBounds(0, 0, 600, 300);
  form.Show();
  Doc(0)->Item()->SetImageIndex(0);
  Application->ProcessMessages();
  UpdateWindow(form.tlbrTabBar->Handle());
  const TRect r = Doc(0)->Item()->BoundsRect();
  HDC dc = GetDC(form.tlbrTabBar->Handle());
  int golden = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Left + 24; ++x) {
      const COLORREF c = GetPixel(dc, x, y);
      golden += GetRValue(c) > 180 && GetGValue(c) > 120 && GetBValue(c) < 120;
    }
  ReleaseDC(form.tlbrTabBar->Handle(), dc);
  EXPECT_GT(golden, 10);
  Free(form_);
  form_ = nullptr;
}

// The submenus run their handlers as they open: the bookmarks name their lines, the schemes are
// listed, the recent documents drop the files gone and the palette of characters comes first.
TEST_F(MainShell, SubmenusFillThemselvesAsTheyOpen) {
  Scheme(L"INI", L"ini.xml");
  TMainForm& form = Make();
  TTxtEdit* editor = form.ActiveEditor();
  editor->SetTextA("alpha\r\nbeta");
  editor->SetCaretXY({1, 2});
  editor->CommandProcessor(ecSetMarker0 + 3, 0, nullptr);
  Item(form, "smnitmGotoBookmarks")->Click();
  EXPECT_EQ(ActionOf(form, "actnGotoBookmark3")->Caption(), L"3 beta");
  EXPECT_EQ(ActionOf(form, "actnGotoBookmark4")->Caption(), L"4");
  form.smnitmSyntaxHighlighting->Click();
  ASSERT_EQ(form.smnitmSyntaxHighlighting->Count(), 3);
  EXPECT_EQ(form.smnitmSyntaxHighlighting->Items(2)->Caption(), L"INI");
  form.mrlstMain->Add(folder_.File(L"gone.txt"));
  Item(form, "smnitmRecentDocuments")->Click();
  EXPECT_EQ(form.mrlstMain->Items()->Count(), 0);
  EXPECT_TRUE(form.bmnitmEmpty->Visible());
  TBarCustomItem* character = Item(form, "smnitmCharacter");
  character->Click();
  ASSERT_EQ(character->Count(), 1);
  EXPECT_EQ(character->Items(0), static_cast<TBarCustomItem*>(form.CharPalette()));
}
