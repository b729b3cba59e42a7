// The sort dialog over the line tools' locale-aware stable sort.
#include "app/SortFrm.h"

#include "app/Documents.h"
#include "app/TextTools.h"
#include "app/WindowRoutines.h"
#include "editor/TxtEdit.h"
#include "foundation/ApFormPlacement.h"
#include "foundation/LgLanguage.h"
#include "framework/Actions.h"
#include "framework/ExtCtrls.h"
#include "framework/ScopeGuards.h"
#include "framework/StdCtrls.h"
#include "themes/SkinControls.h"

HV_PUBLISH(TSortForm) {
  p.Method("FormCreate", &T::FormCreate);
  p.Method("actnSortUpdate", &T::actnSortUpdate);
  p.Method("actnSortExecute", &T::actnSortExecute);
  p.Method("actnCloseExecute", &T::actnCloseExecute);
  p.ComponentField("chckbxMatchCase", &T::chckbxMatchCase);
  p.ComponentField("chckbxRemoveDuplicates", &T::chckbxRemoveDuplicates);
  p.ComponentField("rdbtnAscending", &T::rdbtnAscending);
  p.ComponentField("rdbtnDescending", &T::rdbtnDescending);
  p.ComponentField("btnSort", &T::btnSort);
  p.ComponentField("btnClose", &T::btnClose);
  p.ComponentField("pnlBanner", &T::pnlBanner);
  p.ComponentField("lblText", &T::lblText);
  p.ComponentField("actnlstSort", &T::actnlstSort);
  p.ComponentField("actnSort", &T::actnSort);
  p.ComponentField("actnClose", &T::actnClose);
  p.ComponentField("frmstrgSort", &T::frmstrgSort);
  p.ComponentField("lngcntrlrSort", &T::lngcntrlrSort);
}

TSortForm::TSortForm(TComponent* AOwner, TDocument* Document, TApCustomAppStorage* Storage)
    : TForm(AOwner), document_(Document), storage_(Storage) {}

void TSortForm::FormCreate(TObject*) {
  if (storage_) frmstrgSort->SetAppStorage(storage_);
  TTxtEdit* editor = document_ ? document_->Editor() : nullptr;
  pnlBanner->SetVisible(editor && editor->SelAvail());
}

void TSortForm::actnSortUpdate(TObject*) {
  actnSort->SetEnabled(document_ && document_->CanEdit() && document_->Editor()->Lines()->Count() > 1);
}

void TSortForm::actnSortExecute(TObject*) {
  actnSortUpdate(nullptr);
  if (!actnSort->Enabled()) return;
  TTxtEdit* editor = document_->Editor();
  const bool ascending = !rdbtnDescending->Checked(), matchCase = chckbxMatchCase->Checked(),
             removeDuplicates = chckbxRemoveDuplicates->Checked();
  {
    LockUpdate(editor->Handle());
    TScopeExit unlock([] { LockUpdate(nullptr); });
    SortEditorLines(*editor, ascending, matchCase, removeDuplicates);
  }
  SetModalResult(mrOk);
}

void TSortForm::actnCloseExecute(TObject*) { SetModalResult(mrCancel); }

bool ExecuteSortDialog(TDocument& Document, TApCustomAppStorage* Storage) {
  TSortForm* form = New<TSortForm>(nullptr, &Document, Storage);
  TScopeExit free([&] { delete form; });
  return form->ShowModal() == mrOk;
}
