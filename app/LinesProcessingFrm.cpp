// The lines processing dialog over the line tools' insertion and numbering.
#include "app/LinesProcessingFrm.h"

#include "app/Documents.h"
#include "app/TextRoutines.h"
#include "app/TextTools.h"
#include "app/WindowRoutines.h"
#include "controls/ApSpin.h"
#include "editor/TxtEdit.h"
#include "foundation/ApFormPlacement.h"
#include "foundation/LgLanguage.h"
#include "framework/Actions.h"
#include "framework/CodePages.h"
#include "framework/ExtCtrls.h"
#include "framework/ListControls.h"
#include "framework/ScopeGuards.h"
#include "framework/StdCtrls.h"

HV_PUBLISH(TLinesProcessingForm) {
  p.Method("FormCreate", &T::FormCreate);
  p.Method("rdbtnInsertTextClick", &T::rdbtnInsertTextClick);
  p.Method("rdbtnNumberingClick", &T::rdbtnNumberingClick);
  p.Method("actnProcessUpdate", &T::actnProcessUpdate);
  p.Method("actnProcessExecute", &T::actnProcessExecute);
  p.Method("actnCloseExecute", &T::actnCloseExecute);
  p.ComponentField("rdbtnInsertText", &T::rdbtnInsertText);
  p.ComponentField("lblAtLinesBegin", &T::lblAtLinesBegin);
  p.ComponentField("cmbxAtLinesBegin", &T::cmbxAtLinesBegin);
  p.ComponentField("lblAtLinesEnd", &T::lblAtLinesEnd);
  p.ComponentField("cmbxAtLinesEnd", &T::cmbxAtLinesEnd);
  p.ComponentField("rdbtnNumbering", &T::rdbtnNumbering);
  p.ComponentField("lblPostfix", &T::lblPostfix);
  p.ComponentField("cmbxPostfix", &T::cmbxPostfix);
  p.ComponentField("lblNumberStart", &T::lblNumberStart);
  p.ComponentField("spnedtNumberStart", &T::spnedtNumberStart);
  p.ComponentField("btnProcess", &T::btnProcess);
  p.ComponentField("btnClose", &T::btnClose);
  p.ComponentField("pnlBanner", &T::pnlBanner);
  p.ComponentField("lblText", &T::lblText);
  p.ComponentField("actnlstLinesProcessing", &T::actnlstLinesProcessing);
  p.ComponentField("actnProcess", &T::actnProcess);
  p.ComponentField("actnClose", &T::actnClose);
  p.ComponentField("frmstrgLinesProcessing", &T::frmstrgLinesProcessing);
  p.ComponentField("lngcntrlrLinesProcessing", &T::lngcntrlrLinesProcessing);
}

namespace {

constexpr int historySize = 15;

bool isEmptyText(TTxtEdit* Editor) {
  return Editor->Lines()->Count() == 0 || (Editor->Lines()->Count() == 1 && Editor->Lines()->Strings(0).empty());
}

}  // namespace

TLinesProcessingForm::TLinesProcessingForm(TComponent* AOwner, TDocument* Document, TApCustomAppStorage* Storage)
    : TForm(AOwner), document_(Document), storage_(Storage) {}

void TLinesProcessingForm::SetNumberingMode(bool Numbering) {
  lblAtLinesBegin->SetEnabled(!Numbering);
  cmbxAtLinesBegin->SetEnabled(!Numbering);
  lblAtLinesEnd->SetEnabled(!Numbering);
  cmbxAtLinesEnd->SetEnabled(!Numbering);
  lblPostfix->SetEnabled(Numbering);
  cmbxPostfix->SetEnabled(Numbering);
  lblNumberStart->SetEnabled(Numbering);
  spnedtNumberStart->SetEnabled(Numbering);
}

void TLinesProcessingForm::FormCreate(TObject*) {
  if (storage_) frmstrgLinesProcessing->SetAppStorage(storage_);
  for (TComboBox* combo : {cmbxAtLinesBegin, cmbxAtLinesEnd, cmbxPostfix})
    frmstrgLinesProcessing->LimitStoredList(combo, "Items", historySize);
  SetNumberingMode(!rdbtnInsertText->Checked());
  TTxtEdit* editor = document_ ? document_->Editor() : nullptr;
  pnlBanner->SetVisible(editor && editor->SelAvail());
}

void TLinesProcessingForm::rdbtnInsertTextClick(TObject*) { SetNumberingMode(false); }

void TLinesProcessingForm::rdbtnNumberingClick(TObject*) { SetNumberingMode(true); }

void TLinesProcessingForm::actnProcessUpdate(TObject*) {
  bool enabled = document_ && document_->CanEdit() && !isEmptyText(document_->Editor());
  if (enabled && !rdbtnNumbering->Checked())
    enabled = !(WideToAnsi(cmbxAtLinesBegin->Text()) + WideToAnsi(cmbxAtLinesEnd->Text())).empty();
  actnProcess->SetEnabled(enabled);
}

void TLinesProcessingForm::actnProcessExecute(TObject*) {
  actnProcessUpdate(nullptr);
  if (!actnProcess->Enabled()) return;
  TTxtEdit* editor = document_->Editor();
  const bool numbering = rdbtnNumbering->Checked();
  const AnsiString before = WideToAnsi(cmbxAtLinesBegin->Text()), after = WideToAnsi(cmbxAtLinesEnd->Text()),
                   postfix = WideToAnsi(cmbxPostfix->Text());
  const double start = static_cast<double>(spnedtNumberStart->Value());
  {
    LockUpdate(editor->Handle());
    TScopeExit unlock([] { LockUpdate(nullptr); });
    ChangeEditorLines(*editor, [&](TTextLines& Lines) {
      if (numbering)
        NumberLines(Lines, start, postfix);
      else
        InsertAroundLines(Lines, before, after);
    });
  }
  if (numbering) {
    AddToHistory(cmbxPostfix->Items(), cmbxPostfix->Text(), historySize);
  } else {
    AddToHistory(cmbxAtLinesBegin->Items(), cmbxAtLinesBegin->Text(), historySize);
    AddToHistory(cmbxAtLinesEnd->Items(), cmbxAtLinesEnd->Text(), historySize);
  }
  SetModalResult(mrOk);
}

void TLinesProcessingForm::actnCloseExecute(TObject*) { SetModalResult(mrCancel); }

bool ExecuteLinesProcessingDialog(TDocument& Document, TApCustomAppStorage* Storage) {
  TLinesProcessingForm* form = New<TLinesProcessingForm>(nullptr, &Document, Storage);
  TScopeExit free([&] { delete form; });
  return form->ShowModal() == mrOk;
}
