// The customizer's own customize dialog: toolbars shown or hidden with their text mode, the
// theme, commands dragged to and from toolbars, and the shortcuts of the menu commands.
#pragma once

#include "framework/ListControls.h"
#include "themes/SkinControls.h"
#include "themes/SkinCustomizer.h"
#include "themes/SkinEditors.h"
#include "themes/SkinTabs.h"

// The system's hot-key control: a key with its modifiers, as a shortcut.
class TSkinHotKey : public TWinControl {
  HV_CLASS(TSkinHotKey, TWinControl)
 public:
  explicit TSkinHotKey(TComponent* AOwner);
  TShortCut HotKey();
  void SetHotKey(TShortCut Value);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;

 private:
  TShortCut hotKey_{};
};

class TSkinCustomizeForm : public TSkinCustomCustomizeForm {
  HV_CLASS(TSkinCustomizeForm, TSkinCustomCustomizeForm)
 public:
  explicit TSkinCustomizeForm(TComponent* AOwner);

  static TSkinCustomCustomizeForm* Make(TComponent* AOwner) { return New<TSkinCustomizeForm>(AOwner); }

  // The three pages: 0 "Toolbars", 1 "Commands", 2 "Shortcuts".
  int ActiveTabIndex() const;
  void SetActiveTabIndex(int Value);
  TWinControl* Sheet(int Index) const { return sheets_[Index]; }

  TSkinTabControl* TabControl1 = nullptr;
  TSkinCheckListBox* lbToolbars = nullptr;
  TSkinComboBox* cbText = nullptr;
  TSkinComboBox* cbIcon = nullptr;
  TSkinLabel* lbIconOptions = nullptr;
  TSkinCheckBox* cbVisible = nullptr;
  TSkinButton* btnReset = nullptr;
  TSkinComboBox* cbThemes = nullptr;
  TSkinListBox* lbCommands = nullptr;
  TSkinListBox* lbShortcuts = nullptr;
  TSkinHotKey* HotKey1 = nullptr;
  TSkinButton* btnChange = nullptr;
  TSkinPanel* ClosePanel = nullptr;
  TSkinButton* btnClose = nullptr;

  void DoFillCommands(TStringListW* Toolbars, TStringListW* Commands, TSkinMenuBarShortcuts* Shortcuts) override;
  void DoThemeChange() override;

  // The handlers, reachable by tests as the controls call them.
  void ToolbarSelected(TObject* Sender);
  void ToolbarChecked(TObject* Sender);
  void VisibleClicked(TObject* Sender);
  void TextModeChosen(TObject* Sender);
  void IconModeChosen(TObject* Sender);
  void ThemeChosen(TObject* Sender);
  void ShortcutSelected(TObject* Sender);
  void ChangeClicked(TObject* Sender);
  void CloseClicked(TObject* Sender);
  // Starting and ending a drag of a command list entry: entry 0 drags a separator.
  TBarCustomItem* DraggedItem() const { return dragged_; }
  void CommandDragStart(int Index);
  void CommandDragEnd(bool Dropped);
  // An item dropped on the command list leaves its toolbar for the spare commands.
  void ItemDropped(TBarCustomItem* AItem);

 protected:
  void DoCreate() override;
  void KeyDown(Word& Key, TShiftState Shift) override;

 private:
  void BuildControls();
  TBarCustomToolbar* SelectedToolbar();
  void DrawCommand(TWinControl* Control, int Index, const TRect& Rect, TOwnerDrawState State);
  void StartDrag(TObject* Sender, TDragObject*& DragObject);
  void EndDrag(TObject* Sender, TObject* Target, int X, int Y);
  void DragOverList(TObject* Sender, TObject* Source, int X, int Y, TDragState State, bool& Accept);
  void DragDropList(TObject* Sender, TObject* Source, int X, int Y);

  TWinControl* sheets_[3] = {};
  std::unique_ptr<TSkinItemDragObject> dragObject_;
  TBarCustomItem* dragged_ = nullptr;
  int draggedIndex_ = -1;
};
