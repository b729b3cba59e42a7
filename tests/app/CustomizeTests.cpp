// The customize dialog over a window of two customizable toolbars, a fixed one and a
// customizer: commands and separators dragged with the mouse between the spare list and the
// toolbars, the style of every toolbar, the diagnostic lines, the language refill; and the main
// window's command that opens the dialog only when it has a customizer.
#include <gtest/gtest.h>

#include <set>

#include "app/CustomizeFrm.h"
#include "app/Global.h"
#include "app/MainActions.h"
#include "foundation/ApStrHolder.h"
#include "framework/Actions.h"
#include "framework/Application.h"
#include "framework/DragDrop.h"
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
  TPoint Entry(int Index) {
    const TRect r = dialog->lstbxCommands->ItemRect(Index);
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
}

}  // namespace
