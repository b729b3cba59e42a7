// The keyboard shortcuts dialog over the command list's actions.
#include "app/KeyboardShortcutsFrm.h"

#include <utility>

#include "app/NSHotKey.h"
#include "app/TextRoutines.h"
#include "app/WindowRoutines.h"
#include "foundation/ApStrHolder.h"
#include "foundation/LgLanguage.h"
#include "framework/Actions.h"
#include "framework/CodePages.h"
#include "framework/ListControls.h"
#include "framework/Menus.h"
#include "framework/ScopeGuards.h"
#include "framework/StdCtrls.h"
#include "toolbars/BarItem.h"

HV_PUBLISH(TKeyboardShortcutsForm) {
  p.Method("FormCreate", &T::FormCreate);
  p.Method("FormShow", &T::FormShow);
  p.Method("htkShortcutKeyDown", &T::htkShortcutKeyDown);
  p.Method("actnAssignUpdate", &T::actnAssignUpdate);
  p.Method("actnAssignExecute", &T::actnAssignExecute);
  p.Method("actnDeleteUpdate", &T::actnDeleteUpdate);
  p.Method("actnDeleteExecute", &T::actnDeleteExecute);
  p.Method("lstbxShortcutsStartDrag", &T::lstbxShortcutsStartDrag);
  p.Method("lstbxShortcutsDragOver", &T::lstbxShortcutsDragOver);
  p.Method("lstbxShortcutsDragDrop", &T::lstbxShortcutsDragDrop);
  p.Method("actnOKExecute", &T::actnOKExecute);
  p.Method("actnCancelExecute", &T::actnCancelExecute);
  p.Method("btnCancelMouseDown", &T::btnCancelMouseDown);
  p.Method("btnCancelMouseUp", &T::btnCancelMouseUp);
  p.ComponentField("lblCurrentlyAssignedTo", &T::lblCurrentlyAssignedTo);
  p.ComponentField("lblCurrentShortcuts", &T::lblCurrentShortcuts);
  p.ComponentField("lstbxShortcuts", &T::lstbxShortcuts);
  p.ComponentField("lblNewShortcut", &T::lblNewShortcut);
  p.ComponentField("htkShortcut", &T::htkShortcut);
  p.ComponentField("btnAssign", &T::btnAssign);
  p.ComponentField("btnDelete", &T::btnDelete);
  p.ComponentField("btnOK", &T::btnOK);
  p.ComponentField("btnCancel", &T::btnCancel);
  p.ComponentField("actnlstKeyboardShortcuts", &T::actnlstKeyboardShortcuts);
  p.ComponentField("actnAssign", &T::actnAssign);
  p.ComponentField("actnDelete", &T::actnDelete);
  p.ComponentField("actnOK", &T::actnOK);
  p.ComponentField("actnCancel", &T::actnCancel);
  p.ComponentField("mltstrnghldrKeyboardShortcuts", &T::mltstrnghldrKeyboardShortcuts);
  p.ComponentField("lngcntrlrKeyboardShortcuts", &T::lngcntrlrKeyboardShortcuts);
}

WideString MenuItemPath(TBarCustomItem* Item) {
  if (!Item) return WideString();
  // Shown as plain text (window captions, labels): the menus' accelerators go.
  TBarCustomItem* parent = Item->Parent();
  if (!parent) return StripHotkey(Item->Caption());
  return StripHotkey(Item->Caption()) + L", " + StripHotkey(parent->Caption());
}

TCustomAction* CommandAction(TObject* Item) {
  auto* item = dynamic_cast<TBarCustomItem*>(Item);
  return item ? dynamic_cast<TCustomAction*>(item->Action()) : nullptr;
}

std::vector<WideString> ActionShortcuts(TCustomAction* Action) {
  std::vector<WideString> texts;
  if (!Action) return texts;
  if (Action->ShortCut()) texts.push_back(ShortCutToText(Action->ShortCut()));
  TShortCutList* more = Action->SecondaryShortCuts();
  for (int i = 0; i < more->Count(); ++i)
    if (!more->Strings(i).empty()) texts.push_back(AnsiToWide(more->Strings(i)));
  return texts;
}

namespace {

bool hasShortcut(TCustomAction* Action, TShortCut Key) {
  if (!Action || !Key) return false;
  if (Action->ShortCut() == Key) return true;
  TShortCutList* more = Action->SecondaryShortCuts();
  for (int i = 0; i < more->Count(); ++i)
    if (more->ShortCuts(i) == Key) return true;
  return false;
}

// The texts become the action's shortcut and secondary shortcuts.
void setShortcuts(TCustomAction* Action, const std::vector<WideString>& Texts) {
  Action->SetShortCut(Texts.empty() ? TShortCut(0) : TextToShortCut(Texts[0]));
  TShortCutList more;
  for (size_t i = 1; i < Texts.size(); ++i) more.Add(WideToAnsi(Texts[i]));
  Action->SetSecondaryShortCuts(&more);
}

}  // namespace

TBarCustomItem* FindShortcutOwner(TStrings* Commands, TShortCut Key, TBarCustomItem* Except) {
  if (!Commands || !Key) return nullptr;
  for (int i = 0; i < Commands->Count(); ++i) {
    auto* item = dynamic_cast<TBarCustomItem*>(Commands->Objects(i));
    if (item && item != Except && hasShortcut(CommandAction(item), Key)) return item;
  }
  return nullptr;
}

void TakeShortcutAway(TCustomAction* Action, TShortCut Key) {
  if (!hasShortcut(Action, Key)) return;
  std::vector<WideString> kept;
  for (const WideString& text : ActionShortcuts(Action))
    if (TextToShortCut(text) != Key) kept.push_back(text);
  setShortcuts(Action, kept);
}

void AssignShortcuts(TStrings* Commands, TBarCustomItem* Edited, const std::vector<WideString>& Texts) {
  for (const WideString& text : Texts) {
    const TShortCut key = TextToShortCut(text);
    // Every holder loses it, so that no two commands answer one key.
    while (TBarCustomItem* owner = FindShortcutOwner(Commands, key, Edited))
      TakeShortcutAway(CommandAction(owner), key);
  }
  if (TCustomAction* action = CommandAction(Edited)) setShortcuts(action, Texts);
}

TKeyboardShortcutsForm::TKeyboardShortcutsForm(TComponent* AOwner, TBarCustomItem* Item, TStrings* Commands)
    : TForm(AOwner), item_(Item), commands_(Commands) {}

void TKeyboardShortcutsForm::AfterConstruction() {
  TForm::AfterConstruction();
  for (const WideString& text : ActionShortcuts(CommandAction(item_))) lstbxShortcuts->Items()->Add(text);
}

bool TKeyboardShortcutsForm::ListHasShortcut(TShortCut Key) const {
  TStringsW* items = lstbxShortcuts->Items();
  for (int i = 0; i < items->Count(); ++i)
    if (TextToShortCut(items->Strings(i)) == Key) return true;
  return false;
}

void TKeyboardShortcutsForm::FormCreate(TObject*) { SetListItemHeight(lstbxShortcuts); }

void TKeyboardShortcutsForm::FormShow(TObject*) {
  if (item_) SetCaption(MenuItemPath(item_));
}

void TKeyboardShortcutsForm::ShowCurrentOwner() {
  lblCurrentlyAssignedTo->SetCaption(L"");
  const TShortCut key = htkShortcut->HotKey();
  TBarCustomItem* owner = FindShortcutOwner(commands_, key, item_);
  if (owner && !ListHasShortcut(key)) {
    const WideString format = GetHolderText(mltstrnghldrKeyboardShortcuts, "sCurrentlyAssignedTo");
    WideString text = format;
    const size_t at = text.find(L"%s");
    if (at != WideString::npos) text.replace(at, 2, MenuItemPath(owner));
    lblCurrentlyAssignedTo->SetCaption(text);
  }
}

void TKeyboardShortcutsForm::htkShortcutKeyDown(TObject*, Word&, TShiftState) { ShowCurrentOwner(); }

void TKeyboardShortcutsForm::actnAssignUpdate(TObject*) {
  const TShortCut key = htkShortcut->HotKey();
  actnAssign->SetEnabled(key != 0 && !ListHasShortcut(key));
}

void TKeyboardShortcutsForm::actnAssignExecute(TObject*) {
  actnAssignUpdate(nullptr);
  if (!actnAssign->Enabled()) return;
  lstbxShortcuts->Items()->Add(ShortCutToText(htkShortcut->HotKey()));
  lblCurrentlyAssignedTo->SetCaption(L"");
  htkShortcut->SetHotKey(TShortCut(0));
  if (htkShortcut->HandleAllocated() && IsWindowVisible(htkShortcut->Handle())) htkShortcut->SetFocus();
}

void TKeyboardShortcutsForm::actnDeleteUpdate(TObject*) { actnDelete->SetEnabled(lstbxShortcuts->ItemIndex() >= 0); }

void TKeyboardShortcutsForm::actnDeleteExecute(TObject*) {
  const int index = lstbxShortcuts->ItemIndex();
  if (index < 0) return;
  lstbxShortcuts->Items()->Delete(index);
  const int count = lstbxShortcuts->Items()->Count();
  lstbxShortcuts->SetItemIndex(count == 0 ? -1 : std::min(index > 0 ? index - 1 : 0, count - 1));
}

void TKeyboardShortcutsForm::MoveEntry(int From, int To) {
  TStringsW* items = lstbxShortcuts->Items();
  if (From < 0 || To < 0 || From >= items->Count() || To >= items->Count()) return;
  const WideString text = items->Strings(From);
  items->Delete(From);
  items->Insert(To, text);
  lstbxShortcuts->SetItemIndex(To);
}

void TKeyboardShortcutsForm::lstbxShortcutsStartDrag(TObject*, TDragObject*&) { ChooseEntryUnderMouse(lstbxShortcuts); }

void TKeyboardShortcutsForm::lstbxShortcutsDragOver(TObject*, TObject* Source, int X, int Y, TDragState, bool& Accept) {
  Accept = Source == lstbxShortcuts && lstbxShortcuts->ItemAtPos({X, Y}, true) >= 0;
}

void TKeyboardShortcutsForm::lstbxShortcutsDragDrop(TObject*, TObject* Source, int X, int Y) {
  if (Source != lstbxShortcuts) return;
  MoveEntry(lstbxShortcuts->ItemIndex(), lstbxShortcuts->ItemAtPos({X, Y}, true));
}

void TKeyboardShortcutsForm::actnOKExecute(TObject*) {
  std::vector<WideString> texts;
  TStringsW* items = lstbxShortcuts->Items();
  for (int i = 0; i < items->Count(); ++i) texts.push_back(items->Strings(i));
  AssignShortcuts(commands_, item_, texts);
  SetModalResult(mrOk);
}

void TKeyboardShortcutsForm::actnCancelExecute(TObject*) {
  // Esc in the field is the key being chosen, not a wish to leave; so is Cancel pressed with the
  // mouse while the field had the focus.
  const bool pressedInField = std::exchange(cancelPressedInField_, false);
  if (htkShortcut->Focused() || pressedInField) {
    htkShortcut->SetHotKey(TShortCut(VK_ESCAPE));
    ShowCurrentOwner();
    return;
  }
  SetModalResult(mrCancel);
}

void TKeyboardShortcutsForm::btnCancelMouseDown(TObject*, TMouseButton Button, TShiftState, int, int) {
  if (Button == mbLeft) cancelPressedInField_ = htkShortcut->Focused();
}

void TKeyboardShortcutsForm::btnCancelMouseUp(TObject*, TMouseButton Button, TShiftState, int X, int Y) {
  // Released off the button: no click follows, and a later Esc is a cancel again.
  if (Button == mbLeft && !btnCancel->ClientRect().Contains({X, Y})) cancelPressedInField_ = false;
}

bool ExecuteKeyboardShortcutsDialog(TBarCustomItem* Item, TStrings* Commands) {
  auto* form = New<TKeyboardShortcutsForm>(nullptr, Item, Commands);
  TScopeExit free([&] { delete form; });
  return form->ShowModal() == mrOk;
}
