// The keyboard shortcuts dialog: edits the shortcuts of one command of the command list, the
// first being the primary one; a shortcut given to it is taken from any other command.
#pragma once

#include <vector>

#include "framework/Forms.h"
#include "framework/ShortCuts.h"

class TAction;
class TActionList;
class TApMultiStringHolder;
class TBarCustomItem;
class TButton;
class TCustomAction;
class TLabel;
class TLgLanguageController;
class TListBox;
class TNSHotKey;
class TStrings;

// "Caption, parent caption", or the caption alone for an item without a parent.
WideString MenuItemPath(TBarCustomItem* Item);
// The action behind a command of the list, or null.
TCustomAction* CommandAction(TObject* Item);
// The shortcut texts of an action, the primary one first.
std::vector<WideString> ActionShortcuts(TCustomAction* Action);
// The first command of the list other than Except whose action has Key as its shortcut or one of
// its secondary ones.
TBarCustomItem* FindShortcutOwner(TStrings* Commands, TShortCut Key, TBarCustomItem* Except);
// The action loses Key (whatever the modifier order of the text that held it); its first
// remaining shortcut becomes the primary one.
void TakeShortcutAway(TCustomAction* Action, TShortCut Key);
// The edited command's action takes the texts (the first as its shortcut, the rest secondary);
// every other command of the list loses each of them first.
void AssignShortcuts(TStrings* Commands, TBarCustomItem* Edited, const std::vector<WideString>& Texts);

class TKeyboardShortcutsForm : public TForm {
  HV_CLASS(TKeyboardShortcutsForm, TForm)
 public:
  TKeyboardShortcutsForm(TComponent* AOwner, TBarCustomItem* Item = nullptr, TStrings* Commands = nullptr);
  // The list takes the command's shortcuts once the form file is read.
  void AfterConstruction() override;

  // Whether the list holds the shortcut, by key and modifiers rather than by text.
  bool ListHasShortcut(TShortCut Key) const;

  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void htkShortcutKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void actnAssignUpdate(TObject* Sender);
  void actnAssignExecute(TObject* Sender);
  void actnDeleteUpdate(TObject* Sender);
  void actnDeleteExecute(TObject* Sender);
  void lstbxShortcutsStartDrag(TObject* Sender, TDragObject*& DragObject);
  void lstbxShortcutsDragOver(TObject* Sender, TObject* Source, int X, int Y, TDragState State, bool& Accept);
  void lstbxShortcutsDragDrop(TObject* Sender, TObject* Source, int X, int Y);
  void actnOKExecute(TObject* Sender);
  void actnCancelExecute(TObject* Sender);
  void btnCancelMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void btnCancelMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);

  TLabel* lblCurrentlyAssignedTo = nullptr;
  TLabel* lblCurrentShortcuts = nullptr;
  TListBox* lstbxShortcuts = nullptr;
  TLabel* lblNewShortcut = nullptr;
  TNSHotKey* htkShortcut = nullptr;
  TButton* btnAssign = nullptr;
  TButton* btnDelete = nullptr;
  TButton* btnOK = nullptr;
  TButton* btnCancel = nullptr;
  TActionList* actnlstKeyboardShortcuts = nullptr;
  TAction* actnAssign = nullptr;
  TAction* actnDelete = nullptr;
  TAction* actnOK = nullptr;
  TAction* actnCancel = nullptr;
  TApMultiStringHolder* mltstrnghldrKeyboardShortcuts = nullptr;
  TLgLanguageController* lngcntrlrKeyboardShortcuts = nullptr;

 private:
  // The label names the command that already has the field's shortcut.
  void ShowCurrentOwner();
  // Cancel was pressed with the mouse while the field had the focus (the button takes the focus
  // with the press, before its click runs).
  bool cancelPressedInField_ = false;
  // Moves the list entry at From to To and selects it.
  void MoveEntry(int From, int To);

  TBarCustomItem* item_;
  TStrings* commands_;
};

// Shows the dialog for the command Item of the list; true when its shortcuts were written.
bool ExecuteKeyboardShortcutsDialog(TBarCustomItem* Item, TStrings* Commands);
