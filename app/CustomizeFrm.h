// The customize dialog: the commands the main window's toolbar customizer keeps spare, dragged
// onto its toolbars and back, an endless supply of separators, and the toolbars' display style.
#pragma once

#include <functional>
#include <memory>

#include "framework/Forms.h"
#include "framework/ListControls.h"

class TAction;
class TActionList;
class TApFormStorage;
class TApMultiStringHolder;
class TBarCustomItem;
class TDragObject;
class TLgLanguageController;
class TSizeGripThemed;
class TSkinButton;
class TSkinComboBox;
class TSkinCustomizer;
class TSkinItemDragObject;
class TSkinLabel;
class TSkinListBox;
class TStringListW;

class TCustomizeForm : public TForm {
  HV_CLASS(TCustomizeForm, TForm)
 public:
  // The dialog over Customizer; the toolbars are those of the customizer's owner (the main window).
  TCustomizeForm(TComponent* AOwner, TSkinCustomizer* Customizer = nullptr);
  ~TCustomizeForm() override;

  TSkinCustomizer* Customizer() const { return customizer_; }
  // The window whose toolbars the dialog works on.
  TComponent* MainWindow() const;
  // Entry 0 "--[Separator]--", then every spare command (caption, item).
  TStringListW* Commands() const { return commands_.get(); }
  // The spare separators, the next one handed out first.
  TStringListW* Separators() const { return separators_.get(); }
  // The customizable toolbars of the main window (caption, toolbar).
  TStringListW* Toolbars() const { return toolbars_.get(); }
  // Refills the three lists from the customizer and the main window; the first entry selected.
  void FillLists();
  // The item a drag of the list entry hands out: entry 0 the next spare separator (one made when
  // none is left), any other its command.
  TBarCustomItem* ItemForEntry(int Index);

  // Where the diagnostic lines go ("Start ", "End ", "Dropped " and a caption): the debugger's
  // output unless tests put their own.
  static std::function<void(const WideString&)>& DebugOutput();

  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void FormPaint(TObject* Sender);
  void lngcntrlrCustomizeLanguageChanged(TLgLanguageController* Controller);
  void lstbxCommandsDrawItem(TWinControl* Control, int Index, const TRect& Rect, TOwnerDrawState State);
  void lstbxCommandsStartDrag(TObject* Sender, TDragObject*& DragObject);
  void lstbxCommandsEndDrag(TObject* Sender, TObject* Target, int X, int Y);
  void lstbxCommandsDragOver(TObject* Sender, TObject* Source, int X, int Y, TDragState State, bool& Accept);
  void lstbxCommandsDragDrop(TObject* Sender, TObject* Source, int X, int Y);
  void cmbxStyleClick(TObject* Sender);
  void actnCloseExecute(TObject* Sender);

  TSkinLabel* lblText = nullptr;
  TSkinListBox* lstbxCommands = nullptr;
  TSkinLabel* lblStyle = nullptr;
  TSkinComboBox* cmbxStyle = nullptr;
  TSkinButton* btnClose = nullptr;
  TSizeGripThemed* szgrpthmdCustomize = nullptr;
  TActionList* actnlstCustomize = nullptr;
  TAction* actnClose = nullptr;
  TApMultiStringHolder* mltstrnghldrCustomize = nullptr;
  TLgLanguageController* lngcntrlrCustomize = nullptr;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void SetCustomizing(bool On);
  void Debug(const char* What, TBarCustomItem* Item);

  TSkinCustomizer* customizer_;
  std::unique_ptr<TStringListW> commands_, separators_, toolbars_;
  std::unique_ptr<TSkinItemDragObject> dragObject_;
  int draggedEntry_ = -1;
  TBarCustomItem* dragged_ = nullptr;
  bool customizing_ = false;
  TApFormStorage* placement_ = nullptr;
};

// The one customize dialog of the customizer's window, made on first use and shown modelessly.
TCustomizeForm* ShowCustomizeDialog(TSkinCustomizer* Customizer);
// The dialog made by ShowCustomizeDialog, or null.
TCustomizeForm* CustomizeDialog();
