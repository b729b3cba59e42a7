// The close-all dialog: the modified documents in a list whose check marks say which to save
// before they are closed.
#pragma once

#include <memory>
#include <vector>

#include "framework/Forms.h"
#include "framework/ListControls.h"

class TAction;
class TApCustomAppStorage;
class TApFormStorage;
class TActionList;
class TButton;
class TDocument;
class TDocumentHost;
class TImage;
class TLabel;
class TLgLanguageController;
class TListBox;
class TSizeGripThemed;

// One entry of the list: a second text shown in grey after the name, and its document.
class TCloseFile : public TObject {
  HV_CLASS(TCloseFile, TObject)
 public:
  WideString Text;
  TDocument* Document = nullptr;
};

class TCloseAllForm : public TForm {
  HV_CLASS(TCloseAllForm, TForm)
 public:
  // The host saves the documents checked under "Save" and is the window the dialog centres on.
  explicit TCloseAllForm(TComponent* AOwner, TDocumentHost* Host = nullptr);
  ~TCloseAllForm() override;

  // An entry for the document, checked: its display name, and a preview of its text.
  void AddDocument(TDocument* Document);
  TCloseFile* Entry(int Index) const;
  int Count() const;
  bool Checked(int Index) const;
  void SetChecked(int Index, bool Value);
  // Restores the placement stored under "CloseAllForm\" of the settings storage (the host's:
  // one writer keeps the file; none when it is null), centres a dialog that was never placed
  // (Left and Top both 0) on the screen, and stores the placement again when the dialog goes.
  void PlaceOnScreen(TApCustomAppStorage* Storage);
  // The checked documents whose save failed or was cancelled under "Save".
  const std::vector<TDocument*>& Unsaved() const { return unsaved_; }
  // The check box's size, from the system's check-box bitmap.
  TSize CheckSize() const { return checkSize_; }

  // Handlers of the form file.
  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void FormPaint(TObject* Sender);
  void lstbxCloseAllDrawItem(TWinControl* Control, int Index, const TRect& Rect, TOwnerDrawState State);
  void lstbxCloseAllKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void actnSaveExecute(TObject* Sender);
  void actnSaveUpdate(TObject* Sender);
  void actnDontSaveExecute(TObject* Sender);
  void actnCancelExecute(TObject* Sender);

  TImage* imgCloseAll = nullptr;
  TLabel* lblCloseAll = nullptr;
  TListBox* lstbxCloseAll = nullptr;
  TButton* btnSave = nullptr;
  TButton* btnDontSave = nullptr;
  TButton* btnCancel = nullptr;
  TActionList* actnlstCloseAll = nullptr;
  TAction* actnSave = nullptr;
  TAction* actnDontSave = nullptr;
  TAction* actnCancel = nullptr;
  TAction* actnSaveAll = nullptr;
  TSizeGripThemed* szgrpthmdCloseAll = nullptr;
  TLgLanguageController* lngcntrlrCloseAll = nullptr;

 private:
  std::vector<std::unique_ptr<TCloseFile>> files_;
  TDocumentHost* host_;
  std::vector<TDocument*> unsaved_;
  TApFormStorage* placement_ = nullptr;
  TSize checkSize_{13, 13};
};

// What shows the dialog (ShowModal unless replaced), giving its modal result.
using TCloseAllRunner = int (*)(TCloseAllForm* Dialog);
TCloseAllRunner SetCloseAllRunner(TCloseAllRunner Runner);
int RunCloseAllDialog(TCloseAllForm* Dialog);
