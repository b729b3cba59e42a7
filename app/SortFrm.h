// The sort dialog: sorts the lines of a document's editor, or of its selection, in one undo step.
#pragma once

#include "framework/Forms.h"

class TAction;
class TActionList;
class TApCustomAppStorage;
class TApFormStorage;
class TButton;
class TCheckBox;
class TDocument;
class TSkinLabel;
class TLgLanguageController;
class TPanel;
class TRadioButton;

class TSortForm : public TForm {
  HV_CLASS(TSortForm, TForm)
 public:
  // With a Storage the dialog's choices are kept there between runs.
  TSortForm(TComponent* AOwner, TDocument* Document = nullptr, TApCustomAppStorage* Storage = nullptr);

  void FormCreate(TObject* Sender);
  void actnSortUpdate(TObject* Sender);
  void actnSortExecute(TObject* Sender);
  void actnCloseExecute(TObject* Sender);

  TCheckBox* chckbxMatchCase = nullptr;
  TCheckBox* chckbxRemoveDuplicates = nullptr;
  TRadioButton* rdbtnAscending = nullptr;
  TRadioButton* rdbtnDescending = nullptr;
  TButton* btnSort = nullptr;
  TButton* btnClose = nullptr;
  TPanel* pnlBanner = nullptr;
  TSkinLabel* lblText = nullptr;
  TActionList* actnlstSort = nullptr;
  TAction* actnSort = nullptr;
  TAction* actnClose = nullptr;
  TApFormStorage* frmstrgSort = nullptr;
  TLgLanguageController* lngcntrlrSort = nullptr;

 private:
  TDocument* document_;
  TApCustomAppStorage* storage_;
};

// Shows the sort dialog for the document; true when its lines were sorted.
bool ExecuteSortDialog(TDocument& Document, TApCustomAppStorage* Storage = nullptr);
