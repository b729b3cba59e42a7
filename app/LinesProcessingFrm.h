// The lines processing dialog: puts fixed texts before and after every line, or numbers the
// lines, over a document's selection or whole text, in one undo step.
#pragma once

#include "framework/Forms.h"

class TAction;
class TActionList;
class TApCustomAppStorage;
class TApFormStorage;
class TApSpinEdit;
class TButton;
class TComboBox;
class TDocument;
class TLabel;
class TLgLanguageController;
class TPanel;
class TRadioButton;

class TLinesProcessingForm : public TForm {
  HV_CLASS(TLinesProcessingForm, TForm)
 public:
  // With a Storage the dialog's mode, texts and histories are kept there between runs.
  TLinesProcessingForm(TComponent* AOwner, TDocument* Document = nullptr, TApCustomAppStorage* Storage = nullptr);

  // Enables the fields of one mode and disables those of the other.
  void SetNumberingMode(bool Numbering);

  void FormCreate(TObject* Sender);
  void rdbtnInsertTextClick(TObject* Sender);
  void rdbtnNumberingClick(TObject* Sender);
  void actnProcessUpdate(TObject* Sender);
  void actnProcessExecute(TObject* Sender);
  void actnCloseExecute(TObject* Sender);

  TRadioButton* rdbtnInsertText = nullptr;
  TLabel* lblAtLinesBegin = nullptr;
  TComboBox* cmbxAtLinesBegin = nullptr;
  TLabel* lblAtLinesEnd = nullptr;
  TComboBox* cmbxAtLinesEnd = nullptr;
  TRadioButton* rdbtnNumbering = nullptr;
  TLabel* lblPostfix = nullptr;
  TComboBox* cmbxPostfix = nullptr;
  TLabel* lblNumberStart = nullptr;
  TApSpinEdit* spnedtNumberStart = nullptr;
  TButton* btnProcess = nullptr;
  TButton* btnClose = nullptr;
  TPanel* pnlBanner = nullptr;
  TLabel* lblText = nullptr;
  TActionList* actnlstLinesProcessing = nullptr;
  TAction* actnProcess = nullptr;
  TAction* actnClose = nullptr;
  TApFormStorage* frmstrgLinesProcessing = nullptr;
  TLgLanguageController* lngcntrlrLinesProcessing = nullptr;

 private:
  TDocument* document_;
  TApCustomAppStorage* storage_;
};

// Shows the lines processing dialog for the document; true when its lines were processed.
bool ExecuteLinesProcessingDialog(TDocument& Document, TApCustomAppStorage* Storage = nullptr);
