// The customize dialog over a window of two customizable toolbars, a fixed one and a
// customizer: commands and separators dragged with the mouse between the spare list and the
// toolbars, the style of every toolbar, the diagnostic lines, the language refill; the main
// window's command that opens the dialog only when it has a customizer; and the main window's
// spare commands, listed with their images, dragged onto its toolbar, kept over a restart and
// dragged back, and kept by a layout file that names none of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>
#include <set>

#include "app/CustomizeFrm.h"
#include "app/Global.h"
#include "app/MainActions.h"
#include "app/MainDataModule.h"
#include "controls/PngImageList.h"
#include "editor/TxtEditKeyCmds.h"
#include "foundation/ApStrHolder.h"
#include "framework/Actions.h"
#include "framework/Application.h"
#include "framework/DragDrop.h"
#include "framework/IniFiles.h"
#include "framework/ListControls.h"
#include "tests/app/DocumentTestSupport.h"
#include "themes/SkinControls.h"
#include "themes/SkinCustomizer.h"
#include "themes/SkinEditors.h"
#include "themes/SkinItem.h"
#include "themes/SkinToolbar.h"

class TCustomizeTestForm : public TForm {
  HV_CLASS(TCustomizeTestForm, TForm)
 public:
  explicit TCustomizeTestForm(TComponent* AOwner) : TForm(AOwner) {}
  TSkinDock* dckTop = nullptr;
  TSkinToolbar* tlbrFirst = nullptr;
  TSkinToolbar* tlbrSecond = nullptr;
  TSkinToolbar* tlbrFixed = nullptr;
  TSkinCustomizer* cstmzrTest = nullptr;
};

HV_PUBLISH(TCustomizeTestForm) {
  p.ComponentField("dckTop", &T::dckTop);
  p.ComponentField("tlbrFirst", &T::tlbrFirst);
  p.ComponentField("tlbrSecond", &T::tlbrSecond);
  p.ComponentField("tlbrFixed", &T::tlbrFixed);
  p.ComponentField("cstmzrTest", &T::cstmzrTest);
}

namespace {

void Pump() { Application->ProcessMessages(); }

// The mouse moves to a point of a control and the window that has it captured hears of it.
void MoveTo(TControl* Over, TPoint At, UINT Message = WM_MOUSEMOVE) {
  const TPoint screen = Over->ClientToScreen(At);
  SetCursorPos(screen.X, screen.Y);
  HWND capture = GetCapture();
  ASSERT_NE(capture, nullptr);
  POINT local{screen.X, screen.Y};
  ScreenToClient(capture, &local);
  SendMessageW(capture, Message, Message == WM_MOUSEMOVE ? MK_LBUTTON : 0, MAKELPARAM(local.x, local.y));
}

// Presses on a control, moves in two steps onto the target point and releases there.
void Drag(TWinControl* From, TPoint At, TControl* To, TPoint Drop) {
  const TPoint screen = From->ClientToScreen(At);
  SetCursorPos(screen.X, screen.Y);
  SendMessageW(From->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(At.X, At.Y));
  MoveTo(From, TPoint{At.X + 10, At.Y + 10});
  MoveTo(To, Drop);
  MoveTo(To, TPoint{Drop.X + 1, Drop.Y});
  MoveTo(To, TPoint{Drop.X + 1, Drop.Y}, WM_LBUTTONUP);
  Pump();
}

TPoint EntryPoint(TCustomizeForm* Dialog, int Index) {
  const TRect r = Dialog->lstbxCommands->ItemRect(Index);
  return {r.Left + 10, (r.Top + r.Bottom) / 2};
}

// Just inside the right end of an item on a toolbar: the drop goes behind it.
TPoint Behind(TSkinToolbar* Toolbar, int Index) {
  Toolbar->View()->ValidatePositions();
  const TRect r = Toolbar->View()->Find(Toolbar->Items()->Items(Index))->BoundsRect();
  return {r.Right - 2, (r.Top + r.Bottom) / 2};
}

TPoint Centre(TSkinToolbar* Toolbar, int Index) {
  Toolbar->View()->ValidatePositions();
  const TRect r = Toolbar->View()->Find(Toolbar->Items()->Items(Index))->BoundsRect();
  return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
}

class Customize : public testing::Test {
 protected:
  void SetUp() override {
    RegisterAppClasses();
    TCustomizeForm::DebugOutput() = [this](const WideString& Line) { debug.push_back(Line); };
    window = New<TCustomizeTestForm>(nullptr);
    Add(window->tlbrFirst->Items(), {L"Open", L"Save"});
    Add(window->tlbrSecond->Items(), {L"Cut", L"Copy"});
    Add(window->tlbrFixed->Items(), {L"Help"});
    Add(window->cstmzrTest->Items(), {L"Spare1", L"Sp&are2"});
    auto* sub = new TSkinSubmenuItem(window);
    sub->SetName("itmSub");
    sub->SetCaption(L"Sub\tmenu");
    window->cstmzrTest->Items()->Add(sub);
    window->Show();
    Pump();
    dialog = ShowCustomizeDialog(window->cstmzrTest);
    Pump();
  }
  void TearDown() override {
    if (dragdrop::Current()) dragdrop::Done(false);
    TCustomizeForm::DebugOutput() = nullptr;
    // The toolbars go before the items they show, as the form's own end would not order them.
    Free(CustomizeDialog());
    for (TSkinToolbar* t : {window->tlbrFirst, window->tlbrSecond, window->tlbrFixed}) {
      if (!t) continue;
      for (int k = t->Items()->Count(); k-- > 0;) t->Items()->Delete(k);
      delete t;
    }
    Free(window);
    Pump();
  }
  void Add(TBarCustomItem* Root, std::initializer_list<const wchar_t*> Captions) {
    for (const wchar_t* c : Captions) {
      auto* item = new TSkinItem(window);
      item->SetCaption(c);
      WideString name = L"itm";
      for (wchar_t ch : WideString(c))
        if (iswalnum(ch)) name += ch;
      item->SetName(WideToAnsi(name));
      Root->Add(item);
    }
  }
  static WideString Names(TBarCustomItem* Root) {
    WideString s;
    for (int i = 0; i < Root->Count(); ++i)
      s += (i ? L"," : L"") + TSkinCustomizer::GetItemDisplayCaption(Root->Items(i));
    return s;
  }
  WideString Entries() {
    WideString s;
    TStringsW* items = dialog->lstbxCommands->Items();
    for (int i = 1; i < items->Count(); ++i) s += (i > 1 ? L"," : L"") + items->Strings(i);
    return s;
  }
  TPoint Entry(int Index) { return EntryPoint(dialog, Index); }

  TCustomizeTestForm* window = nullptr;
  TCustomizeForm* dialog = nullptr;
  std::vector<WideString> debug;
};

TEST_F(Customize, TheListsComeFromTheCustomizerAndTheWindowsToolbars) {
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->Visible());
  EXPECT_EQ(dialog->FormStyle(), fsStayOnTop);
  EXPECT_EQ(dialog->Customizer(), window->cstmzrTest);
  EXPECT_EQ(dialog->lstbxCommands->Items()->Strings(0), L"--[Separator]--");
  EXPECT_EQ(Entries(), L"Spare1,Spare2,Sub");
  EXPECT_EQ(dialog->lstbxCommands->ItemIndex(), 0);
  // Customizable toolbars only; the style shows the first one's.
  ASSERT_EQ(dialog->Toolbars()->Count(), 2);
  EXPECT_EQ(dialog->Toolbars()->Strings(0), L"First");
  EXPECT_EQ(dialog->cmbxStyle->ItemIndex(), 0);
  // Every toolbar of the window is in customizing mode while the dialog shows, and only then.
  for (TSkinToolbar* t : {window->tlbrFirst, window->tlbrSecond, window->tlbrFixed}) EXPECT_TRUE(t->IsCustomizing());
  // Made once: a second opening shows the same dialog.
  EXPECT_EQ(ShowCustomizeDialog(window->cstmzrTest), dialog);
  EXPECT_EQ(window->tlbrFirst->CustomizingCount(), 1);
  dialog->actnClose->Execute();
  Pump();
  EXPECT_FALSE(dialog->Visible());
  for (TSkinToolbar* t : {window->tlbrFirst, window->tlbrSecond, window->tlbrFixed}) EXPECT_FALSE(t->IsCustomizing());
  EXPECT_EQ(CustomizeDialog(), dialog);
}

TEST_F(Customize, CommandsAreDraggedOntoToolbarsAndBackToTheEndOfTheList) {
  // A spare command dropped behind "Open" of the first toolbar leaves the list.
  Drag(dialog->lstbxCommands, Entry(1), window->tlbrFirst, Behind(window->tlbrFirst, 0));
  EXPECT_EQ(Names(window->tlbrFirst->Items()), L"Open,Spare1,Save");
  EXPECT_EQ(Entries(), L"Spare2,Sub");
  EXPECT_EQ(debug, (std::vector<WideString>{L"Start Spare1", L"End Spare1"}));
  // A toolbar command dragged onto the list joins the spare commands at the end.
  debug.clear();
  Drag(window->tlbrFirst, Centre(window->tlbrFirst, 0), dialog->lstbxCommands, Entry(1));
  EXPECT_EQ(Names(window->tlbrFirst->Items()), L"Spare1,Save");
  EXPECT_EQ(Entries(), L"Spare2,Sub,Open");
  EXPECT_EQ(Names(window->cstmzrTest->Items()), L"Spare2,Sub,Open");
  EXPECT_EQ(debug, std::vector<WideString>{L"Dropped Open"});
  // Between toolbars the toolbars move it themselves; the list stays as it is.
  Drag(window->tlbrFirst, Centre(window->tlbrFirst, 1), window->tlbrSecond, Behind(window->tlbrSecond, 1));
  EXPECT_EQ(Names(window->tlbrFirst->Items()), L"Spare1");
  EXPECT_EQ(Names(window->tlbrSecond->Items()), L"Cut,Copy,Save");
  EXPECT_EQ(Entries(), L"Spare2,Sub,Open");
  // A drop the list itself gets changes nothing; nor does one on a toolbar that takes none.
  Drag(dialog->lstbxCommands, Entry(1), dialog->lstbxCommands, Entry(2));
  Drag(dialog->lstbxCommands, Entry(1), window->tlbrFixed, Centre(window->tlbrFixed, 0));
  EXPECT_EQ(Entries(), L"Spare2,Sub,Open");
  EXPECT_EQ(Names(window->tlbrFixed->Items()), L"Help");
}

TEST_F(Customize, SeparatorsAreNeverUsedUpAndOneDroppedBackIsHandedOutNext) {
  // Separators side by side would show as one: each goes between two commands.
  Drag(dialog->lstbxCommands, Entry(0), window->tlbrSecond, Behind(window->tlbrSecond, 0));
  Drag(dialog->lstbxCommands, Entry(0), window->tlbrFirst, Behind(window->tlbrFirst, 0));
  Add(window->tlbrFirst->Items(), {L"Print"});
  Drag(dialog->lstbxCommands, Entry(0), window->tlbrFirst, Behind(window->tlbrFirst, 2));
  TBarCustomItem* second = window->tlbrSecond->Items();
  TBarCustomItem* first = window->tlbrFirst->Items();
  ASSERT_EQ(second->Count(), 3);
  ASSERT_EQ(first->Count(), 5);
  const std::set<TBarCustomItem*> separators{second->Items(1), first->Items(1), first->Items(3)};
  EXPECT_EQ(separators.size(), 3u);
  for (TBarCustomItem* s : separators) EXPECT_NE(dynamic_cast<TBarSeparatorItem*>(s), nullptr);
  EXPECT_EQ(dialog->Separators()->Count(), 0);
  EXPECT_EQ(dialog->lstbxCommands->Items()->Count(), 4);  // the separator entry stays
  // One dragged back goes to the front of the spare separators, not into the list...
  TBarCustomItem* back = second->Items(1);
  Drag(window->tlbrSecond, Centre(window->tlbrSecond, 1), dialog->lstbxCommands, Entry(1));
  EXPECT_EQ(Names(second), L"Cut,Copy");
  ASSERT_EQ(dialog->Separators()->Count(), 1);
  EXPECT_EQ(dialog->Separators()->Objects(0), back);
  EXPECT_EQ(Entries(), L"Spare1,Spare2,Sub");
  // ...and is the one the next drag hands out.
  Drag(dialog->lstbxCommands, Entry(0), window->tlbrSecond, Behind(window->tlbrSecond, 0));
  EXPECT_EQ(second->Items(1), back);
  EXPECT_EQ(dialog->Separators()->Count(), 0);
}

TEST_F(Customize, TheStyleGoesToEveryToolbarOfTheList) {
  struct {
    int Index, Mode;
  } cases[] = {{1, tbdmImageOnly}, {2, tbdmImageAboveCaption}, {0, tbdmSelectiveCaption}};
  for (const auto& c : cases) {
    dialog->cmbxStyle->SetItemIndex(c.Index);
    dialog->cmbxStyleClick(nullptr);
    EXPECT_EQ(window->tlbrFirst->DisplayMode(), c.Mode);
    EXPECT_EQ(window->tlbrSecond->DisplayMode(), c.Mode);
    EXPECT_EQ(window->tlbrFixed->DisplayMode(), tbdmSelectiveCaption);
  }
  // A first toolbar in a mode the list does not offer leaves the style unselected.
  window->tlbrFirst->SetDisplayMode(tbdmTextOnly);
  dialog->FillLists();
  EXPECT_EQ(dialog->cmbxStyle->ItemIndex(), -1);
}

TEST_F(Customize, AChangedLanguageRefillsTheListWithTheFirstEntrySelected) {
  dialog->lstbxCommands->SetItemIndex(2);
  auto* spare = static_cast<TSkinItem*>(window->FindComponent("itmSpare1"));
  spare->SetCaption(L"Reserve");
  dialog->lngcntrlrCustomizeLanguageChanged(nullptr);
  EXPECT_EQ(Entries(), L"Reserve,Spare2,Sub");
  EXPECT_EQ(dialog->lstbxCommands->ItemIndex(), 0);
  EXPECT_EQ(dialog->Toolbars()->Count(), 2);
}

TEST_F(Customize, AToolbarOrTheCustomizerGoingIsForgotten) {
  for (int k = window->tlbrSecond->Items()->Count(); k-- > 0;) window->tlbrSecond->Items()->Delete(k);
  delete window->tlbrSecond;
  window->tlbrSecond = nullptr;
  EXPECT_EQ(dialog->Toolbars()->Count(), 1);
  delete window->cstmzrTest;
  window->cstmzrTest = nullptr;
  EXPECT_EQ(dialog->Customizer(), nullptr);
  EXPECT_EQ(dialog->lstbxCommands->Items()->Count(), 0);
  dialog->cmbxStyleClick(nullptr);
  dialog->actnClose->Execute();
  Pump();
}

using CustomizeCommand = DocumentTest;

TEST_F(CustomizeCommand, OpensOnTheMainWindowsCustomizerOnceAndKeepsItsPlace) {
  TMainForm& main = Make();
  TAction* action = main.Commands->Action("actnCustomize");
  ASSERT_NE(action, nullptr);
  // The window's form file gives it its customizer, so the command is on.
  TSkinCustomizer* customizer = main.cstmzrMain;
  ASSERT_NE(customizer, nullptr);
  action->Update();
  EXPECT_TRUE(action->Enabled());
  EXPECT_TRUE(action->Execute());
  TCustomizeForm* first = CustomizeDialog();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->Customizer(), customizer);
  EXPECT_TRUE(first->Visible());
  first->SetBounds(33, 44, 310, 290);
  first->Close();
  EXPECT_TRUE(action->Execute());
  EXPECT_EQ(CustomizeDialog(), first);
  first->Close();
  // Made again later, it comes back where it was left.
  Free(first);
  EXPECT_EQ(CustomizeDialog(), nullptr);
  EXPECT_TRUE(action->Execute());
  ASSERT_NE(CustomizeDialog(), nullptr);
  EXPECT_EQ(CustomizeDialog()->BoundsRect(), TRect(33, 44, 343, 334));
  CustomizeDialog()->Close();
  // The command is on whether or not the window has a customizer; without one it opens nothing.
  Free(CustomizeDialog());
  customizer->SetName("cstmzrAside");
  action->Update();
  EXPECT_TRUE(action->Enabled());
  EXPECT_TRUE(action->Execute());
  EXPECT_EQ(CustomizeDialog(), nullptr);
  customizer->SetName("cstmzrMain");
}

// ---- the main window's spare commands ----

// The names "Toolbars.ini" stores for the spare commands of the main window: they must never
// change, or a user's toolbar loses what was put on it. The commands with an image come first.
const char* const spareNames[] = {"tbitmClose",
                                  "tbitmPageSetup",
                                  "tbitmSelectAll",
                                  "tbitmDateAndTime",
                                  "tbitmOtherCharacters",
                                  "tbitmReadOnly",
                                  "tbitmMatchBracket",
                                  "tbsmnitmToggleBookmarks",
                                  "tbitmClearBookmarks",
                                  "tbitmBlockIndent",
                                  "tbitmBlockUnindent",
                                  "tbitmSort",
                                  "tbitmStatistics",
                                  "tbitmIncrease",
                                  "tbitmDecrease",
                                  "tbitmPreferences",
                                  "tbitmOnTheInternet",
                                  "tbitmCheckForUpdates",
                                  "tbitmAbout",
                                  "tbitmSaveAs",
                                  "tbitmCloseAll",
                                  "tbitmCloseOtherTabs",
                                  "tbitmCopyFilePathName",
                                  "tbitmFile",
                                  "tbitmFindNext",
                                  "tbitmFindPrevious",
                                  "tbsmnitmGotoBookmarks",
                                  "tbitmSelectLine",
                                  "tbitmDeleteLine",
                                  "tbitmMoveLineUp",
                                  "tbitmMoveLineDown",
                                  "tbitmJoinLines",
                                  "tbitmTrimLeadingSpaces",
                                  "tbitmTrimTrailingSpaces",
                                  "tbitmDeleteExcessSpaces",
                                  "tbitmLinesProcessing",
                                  "tbitmSentenceCase",
                                  "tbitmLowercase",
                                  "tbitmUppercase",
                                  "tbitmCapitalizeEachWord",
                                  "tbitmToggleCase",
                                  "tbitmDosCRLF",
                                  "tbitmUnixLF",
                                  "tbitmMacCR",
                                  "tbitmNormal",
                                  "tbsmnitmSyntaxHighlighting",
                                  "tbitmPrevious",
                                  "tbitmNext"};

std::vector<AnsiString> NamesOf(TBarCustomItem* Root) {
  std::vector<AnsiString> names;
  for (int i = 0; i < Root->Count(); ++i) names.push_back(Root->Items(i)->Name());
  return names;
}

// The "Items" lines of a layout file.
std::vector<AnsiString> ItemLines(const WideString& File) {
  TMemIniFile ini(File);
  TStringList lines;
  ReadNumberedList(&ini, "Items", &lines);
  std::vector<AnsiString> result;
  for (int i = 0; i < lines.Count(); ++i) result.push_back(lines[i]);
  return result;
}

bool Has(const std::vector<AnsiString>& Lines, const AnsiString& Line) {
  return std::find(Lines.begin(), Lines.end(), Line) != Lines.end();
}

class MainCustomize : public DocumentTest {
 protected:
  // The images come from the data module, as in the program.
  void SetUp() override {
    DocumentTest::SetUp();
    module_.reset(New<TMainDataModule>(nullptr));
  }
  void TearDown() override {
    if (dragdrop::Current()) dragdrop::Done(false);
    DocumentTest::TearDown();
    module_.reset();
    Pump();
  }
  // The window shown large enough for its whole toolbar, and the dialog opened by its command
  // beside the toolbar, not over it.
  TCustomizeForm* OpenDialog(TMainForm& Form) {
    Form.SetBounds(0, 0, 1000, 700);
    Form.Show();
    Pump();
    EXPECT_TRUE(Form.Commands->Action("actnCustomize")->Execute());
    TCustomizeForm* dialog = CustomizeDialog();
    if (dialog) dialog->SetBounds(300, 250, 300, 400);
    Pump();
    return dialog;
  }
  TMainForm& Restart() {
    Free(form_);
    form_ = nullptr;
    Pump();
    return Make();
  }
  int Entry(TCustomizeForm* Dialog, const char* Name) {
    return Dialog->lstbxCommands->Items()->IndexOfObject(form_->FindComponent(Name));
  }
  std::unique_ptr<TMainDataModule> module_;
};

TEST_F(MainCustomize, TheSpareCommandsAreTheCommandsNotOnTheToolbarImagesFirst) {
  TMainForm& form = Make();
  TBarRootItem* pool = form.cstmzrMain->Items();
  EXPECT_EQ(NamesOf(pool), std::vector<AnsiString>(std::begin(spareNames), std::end(spareNames)));
  std::set<TBasicAction*> onToolbar, spare;
  for (int i = 0; i < form.tlbrStandard->Items()->Count(); ++i)
    if (TBasicAction* action = form.tlbrStandard->Items()->Items(i)->Action()) onToolbar.insert(action);
  std::set<int> spareImages;
  bool imageless = false;
  for (int i = 0; i < pool->Count(); ++i) {
    TBarCustomItem* item = pool->Items(i);
    ASSERT_NE(dynamic_cast<TSkinCustomItem*>(item), nullptr) << item->Name();
    if (item->ImageIndex() < 0)
      imageless = true;
    else
      EXPECT_FALSE(imageless) << item->Name() << " has an image and comes after one without";
    spareImages.insert(item->ImageIndex());
    // A submenu shows the commands of its menu counterpart; a command shows its action.
    std::vector<TBarCustomItem*> commands;
    if (dynamic_cast<TSkinSubmenuItem*>(item)) {
      for (int k = 0; k < item->Count(); ++k) commands.push_back(item->Items(k));
    } else {
      commands.push_back(item);
    }
    for (TBarCustomItem* command : commands) {
      auto* action = dynamic_cast<TAction*>(command->Action());
      ASSERT_NE(action, nullptr) << command->Name();
      EXPECT_EQ(action->ActionList(), form.actnlstMain) << command->Name();
      EXPECT_EQ(onToolbar.count(action), 0u) << command->Name() << " is on the toolbar already";
      EXPECT_TRUE(spare.insert(action).second) << command->Name() << " twice";
      EXPECT_EQ(command->ImageIndex(), action->ImageIndex()) << command->Name();
    }
  }
  // Every command of the menus that has an image can go on a toolbar, and so can every
  // submenu that has one.
  std::function<void(TBarCustomItem*)> walk = [&](TBarCustomItem* Parent) {
    for (int i = 0; i < Parent->Count(); ++i) {
      TBarCustomItem* item = Parent->Items(i);
      if (item->ImageIndex() >= 0) {
        if (TBasicAction* action = item->Action())
          EXPECT_TRUE(onToolbar.count(action) || spare.count(action)) << item->Name();
        else
          EXPECT_TRUE(spareImages.count(item->ImageIndex())) << item->Name();
      }
      walk(item);
    }
  };
  walk(form.tlbrMainMenu->Items());
}

// The spare submenus fill themselves as they open, as their counterparts in the menus do.
TEST_F(MainCustomize, TheSpareSubmenusFillThemselvesAsTheyOpen) {
  Scheme(L"INI", L"ini.xml");
  TMainForm& form = Make();
  TTxtEdit* editor = form.ActiveEditor();
  editor->SetTextA("alpha\r\nbeta");
  editor->SetCaretXY({1, 2});
  editor->CommandProcessor(ecSetMarker0 + 5, 0, nullptr);
  auto* marks = dynamic_cast<TBarCustomItem*>(form.FindComponent("tbsmnitmGotoBookmarks"));
  auto* schemes = dynamic_cast<TBarCustomItem*>(form.FindComponent("tbsmnitmSyntaxHighlighting"));
  ASSERT_TRUE(marks && schemes);
  marks->Click();
  ASSERT_EQ(marks->Count(), 10);
  EXPECT_EQ(marks->Items(5)->Caption(), L"5 beta");
  EXPECT_EQ(marks->Items(6)->Caption(), L"6");
  EXPECT_EQ(schemes->Count(), 0);
  schemes->Click();
  ASSERT_EQ(schemes->Count(), 3);
  EXPECT_EQ(schemes->Items(2)->Caption(), L"INI");
  schemes->Items(2)->Click();
  EXPECT_NE(form.ActiveDocument()->GetHighlighter(), Highlighters->Plain());
}

// The dialog lists them in their order with their captions, and draws each one's image from the
// window's image list.
TEST_F(MainCustomize, TheDialogListsTheSpareCommandsWithTheirImages) {
  TMainForm& form = Make();
  TCustomizeForm* dialog = OpenDialog(form);
  ASSERT_NE(dialog, nullptr);
  TBarRootItem* pool = form.cstmzrMain->Items();
  TStringsW* entries = dialog->lstbxCommands->Items();
  ASSERT_EQ(entries->Count(), pool->Count() + 1);
  for (int i = 0; i < pool->Count(); ++i) {
    EXPECT_EQ(entries->Objects(i + 1), pool->Items(i)) << i;
    EXPECT_EQ(entries->Strings(i + 1), TSkinCustomizer::GetItemDisplayCaption(pool->Items(i))) << i;
  }
  struct {
    const char* Name;
    const wchar_t* Caption;
  } const captions[] = {{"tbitmClose", L"Close"},
                        {"tbsmnitmToggleBookmarks", L"Toggle bookmark"},
                        {"tbitmOnTheInternet", L"Halcorn Verdan on the Internet"},
                        {"tbitmSaveAs", L"Save as..."},
                        {"tbsmnitmSyntaxHighlighting", L"Syntax highlighting"}};
  for (const auto& c : captions) {
    const int at = Entry(dialog, c.Name);
    ASSERT_GT(at, 0) << c.Name;
    EXPECT_EQ(entries->Strings(at), c.Caption) << c.Name;
  }
  ASSERT_EQ(form.cstmzrMain->Images(), module_->pngmglstMain);
  EXPECT_EQ(dialog->lstbxCommands->ItemHeight(), module_->pngmglstMain->Height() + 4);
  // What the list shows: the colours of an image beside a command that has one, none beside
  // one that has none (text is drawn in black and greys only).
  auto coloured = [&](int Index) {
    dialog->lstbxCommands->SetTopIndex(Index);
    dialog->lstbxCommands->Repaint();
    const TRect r = dialog->lstbxCommands->ItemRect(Index);
    HDC dc = GetDC(dialog->lstbxCommands->Handle());
    int count = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Left + r.Height() + 2; ++x) {
        const COLORREF c = GetPixel(dc, x, y);
        const int red = GetRValue(c), green = GetGValue(c), blue = GetBValue(c);
        if (std::max({red, green, blue}) - std::min({red, green, blue}) > 40) ++count;
      }
    ReleaseDC(dialog->lstbxCommands->Handle(), dc);
    return count;
  };
  EXPECT_GT(coloured(Entry(dialog, "tbitmClose")), 10);
  EXPECT_GT(coloured(Entry(dialog, "tbitmAbout")), 10);
  EXPECT_EQ(coloured(Entry(dialog, "tbitmSaveAs")), 0);
}

// The whole way of a command: dragged onto the main toolbar, kept in "Toolbars.ini" at exit, on
// the toolbar at the next start, dragged back into the list and kept there.
TEST_F(MainCustomize, ACommandDraggedOntoTheToolbarComesBackThereAndGoesBackToTheList) {
  TMainForm* form = &Make();
  TCustomizeForm* dialog = OpenDialog(*form);
  ASSERT_NE(dialog, nullptr);
  TSkinToolbar* toolbar = form->tlbrStandard;
  const int designed = toolbar->Items()->Count();
  const int entry = Entry(dialog, "tbitmClose");
  ASSERT_GT(entry, 0);
  Drag(dialog->lstbxCommands, EntryPoint(dialog, entry), toolbar, Behind(toolbar, designed - 1));
  auto* close = dynamic_cast<TBarCustomItem*>(form->FindComponent("tbitmClose"));
  ASSERT_NE(close, nullptr);
  EXPECT_EQ(close->Parent(), toolbar->Items());
  EXPECT_EQ(toolbar->Items()->IndexOf(close), designed);
  EXPECT_EQ(Entry(dialog, "tbitmClose"), -1);
  EXPECT_EQ(form->cstmzrMain->Items()->IndexOf(close), -1);
  dialog->Close();

  form = &Restart();
  const std::vector<AnsiString> lines = ItemLines(folder_.File(L"Toolbars.ini"));
  EXPECT_TRUE(Has(lines, "tlbrStandard, tbitmClose"));
  EXPECT_FALSE(Has(lines, "cstmzrMain, tbitmClose"));
  EXPECT_TRUE(Has(lines, "cstmzrMain, tbitmPageSetup"));
  toolbar = form->tlbrStandard;
  close = dynamic_cast<TBarCustomItem*>(form->FindComponent("tbitmClose"));
  ASSERT_EQ(toolbar->Items()->Count(), designed + 1);
  EXPECT_EQ(toolbar->Items()->Items(designed), close);
  EXPECT_EQ(close->Action(), form->Commands->Action("actnClose"));
  EXPECT_EQ(close->ImageIndex(), form->Commands->Action("actnClose")->ImageIndex());
  dialog = OpenDialog(*form);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(Entry(dialog, "tbitmClose"), -1);
  ASSERT_NE(toolbar->View()->Find(close), nullptr);
  EXPECT_TRUE(close->Visible());

  // Back onto the list: at its end, and there again after the next start.
  Drag(toolbar, Centre(toolbar, designed), dialog->lstbxCommands, EntryPoint(dialog, 1));
  EXPECT_EQ(toolbar->Items()->Count(), designed);
  const int count = dialog->lstbxCommands->Items()->Count();
  EXPECT_EQ(Entry(dialog, "tbitmClose"), count - 1);
  EXPECT_EQ(form->cstmzrMain->Items()->Items(form->cstmzrMain->Items()->Count() - 1), close);
  dialog->Close();
  form = &Restart();
  EXPECT_EQ(form->tlbrStandard->Items()->Count(), designed);
  EXPECT_EQ(NamesOf(form->cstmzrMain->Items()).back(), "tbitmClose");
  EXPECT_EQ(form->cstmzrMain->Items()->Count(), static_cast<int>(std::size(spareNames)));
}

// A layout file written before the window had spare commands names none of them: they all stay
// spare, in their designed order, while the toolbar takes the order of the file; the next save
// names them.
TEST_F(MainCustomize, ALayoutFileWithoutSpareCommandsKeepsThemAll) {
  const char* const toolbarOrder[] = {"tbitmOpen", "tbitmNew", "CustomizerUniqueSeparator20240102030405006",
                                      "tbitmSave"};
  std::string items;
  int n = 0;
  for (const char* menu :
       {"smnitmFile", "smnitmEdit", "smnitmSearch", "smnitmText", "smnitmView", "smnitmCharacter", "smnitmHelp"})
    items += std::to_string(n++) + "=tlbrMainMenu, " + menu + "\r\n";
  for (const char* item : toolbarOrder) items += std::to_string(n++) + "=tlbrStandard, " + item + "\r\n";
  folder_.Write(L"Toolbars.ini", "[Items]\r\nCount=" + std::to_string(n) + "\r\n" + items +
                                     "[ExtraOptions]\r\nCount=1\r\n0=Theme=Default\r\n"
                                     "[Layouts]\r\nCount=1\r\n0=LastLayout\r\n");
  TMainForm* form = &Make();
  EXPECT_EQ(NamesOf(form->cstmzrMain->Items()), std::vector<AnsiString>(std::begin(spareNames), std::end(spareNames)));
  const std::vector<AnsiString> bar = NamesOf(form->tlbrStandard->Items());
  ASSERT_GT(bar.size(), std::size(toolbarOrder));
  for (size_t i = 0; i < std::size(toolbarOrder); ++i) EXPECT_EQ(bar[i], toolbarOrder[i]) << i;
  form = &Restart();
  const std::vector<AnsiString> lines = ItemLines(folder_.File(L"Toolbars.ini"));
  std::vector<AnsiString> spareLines;
  for (const AnsiString& line : lines)
    if (line.rfind("cstmzrMain, ", 0) == 0) spareLines.push_back(line.substr(12));
  EXPECT_EQ(spareLines, std::vector<AnsiString>(std::begin(spareNames), std::end(spareNames)));
  // The spare commands come after the toolbars' lines, as the window orders its parts.
  EXPECT_EQ(lines.size() - spareLines.size(), bar.size() + 7);
  EXPECT_EQ(lines.back(), AnsiString("cstmzrMain, ") + spareNames[std::size(spareNames) - 1]);
  EXPECT_EQ(NamesOf(form->cstmzrMain->Items()), std::vector<AnsiString>(std::begin(spareNames), std::end(spareNames)));
}

// "Items" lines of every kind over the real window: its commands, spare or not, the commands
// inside its drop-downs, separators, names of nothing, containers of nothing, quoted and cut
// lines. No command is lost or doubled, the drop-downs keep their commands, and what is saved
// then loads and saves again the same.
TEST_F(MainCustomize, MixedItemLinesLoseNoCommandFuzz) {
  TMainForm& form = Make();
  TBarCustomItem* const roots[] = {form.tlbrMainMenu->Items(), form.tlbrStandard->Items(), form.cstmzrMain->Items()};
  std::vector<AnsiString> names;
  std::multiset<TBarCustomItem*> designed;
  for (TBarCustomItem* root : roots)
    for (int i = 0; i < root->Count(); ++i) {
      names.push_back(root->Items(i)->Name());
      designed.insert(root->Items(i));
    }
  TBarCustomItem* marks = dynamic_cast<TBarCustomItem*>(form.FindComponent("tbsmnitmToggleBookmarks"));
  ASSERT_NE(marks, nullptr);
  for (const char* other : {"tbitmToggleBookmark3", "mnitmOpen", "tbitmGone", "CustomizerUniqueSeparator7",
                            "CustomizerUniqueSeparator8", "", "tlbrStandard", "cstmzrMain"})
    names.push_back(other);
  const char* const containers[] = {"tlbrMainMenu",   "tlbrStandard", "cstmzrMain", "tlbrTabBar", "dckTop", "",
                                    "\"cstmzrMain\"", "CSTMZRMAIN"};
  std::mt19937 rng(7150);
  for (int round = 0; round < 300; ++round) {
    std::string text = "[Items]\r\n";
    const int count = static_cast<int>(rng() % 40);
    text += "Count=" + std::to_string(rng() % 8 ? count : count + 5) + "\r\n";
    for (int i = 0; i < count; ++i) {
      std::string line = std::string(containers[rng() % std::size(containers)]) + ", " + names[rng() % names.size()];
      if (rng() % 10 == 0) line = line.substr(0, rng() % (line.size() + 1));
      if (rng() % 15 == 0) line += ", Ctrl+W";
      text += std::to_string(i) + "=" + line + "\r\n";
    }
    TStringList lines;
    lines.SetText(text);
    ASSERT_NO_THROW(form.cstmzrMain->Load(&lines, false)) << text;
    std::multiset<TBarCustomItem*> now;
    for (TBarCustomItem* root : roots)
      for (int i = 0; i < root->Count(); ++i)
        if (!dynamic_cast<TBarSeparatorItem*>(root->Items(i)) || designed.count(root->Items(i)))
          now.insert(root->Items(i));
    ASSERT_EQ(now, designed) << text;
    ASSERT_EQ(marks->Count(), 10) << text;
    ASSERT_EQ(form.FindComponent("tbitmToggleBookmark3"), marks->Items(3)) << text;
  }
  TStringList saved;
  form.cstmzrMain->Save(&saved);
  const std::string first = saved.Text();
  form.cstmzrMain->Load(&saved, true);
  TStringList again;
  form.cstmzrMain->Save(&again);
  EXPECT_EQ(again.Text(), first);
}

}  // namespace
