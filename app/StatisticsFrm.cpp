// The statistics dialog over the line tools' counting.
#include "app/StatisticsFrm.h"

#include "app/DocumentFrm.h"
#include "app/Documents.h"
#include "app/TextTools.h"
#include "app/TextRoutines.h"
#include "editor/TxtEdit.h"
#include "editor/TxtEditPrint.h"
#include "foundation/LgLanguage.h"
#include "framework/Actions.h"
#include "framework/CodePages.h"
#include "framework/ExtCtrls.h"
#include "framework/ScopeGuards.h"
#include "framework/Screen.h"
#include "framework/StdCtrls.h"

HV_PUBLISH(TStatisticsForm) {
  p.Method("FormCreate", &T::FormCreate);
  p.Method("actnCloseExecute", &T::actnCloseExecute);
  p.ComponentField("lblWords", &T::lblWords);
  p.ComponentField("lblWordsValue", &T::lblWordsValue);
  p.ComponentField("lblPunctuation", &T::lblPunctuation);
  p.ComponentField("lblPunctuationValue", &T::lblPunctuationValue);
  p.ComponentField("lblCharsWithSpaces", &T::lblCharsWithSpaces);
  p.ComponentField("lblCharsWithSpacesValue", &T::lblCharsWithSpacesValue);
  p.ComponentField("lblCharsNoSpaces", &T::lblCharsNoSpaces);
  p.ComponentField("lblCharsNoSpacesValue", &T::lblCharsNoSpacesValue);
  p.ComponentField("lblLines", &T::lblLines);
  p.ComponentField("lblLinesValue", &T::lblLinesValue);
  p.ComponentField("lblPages", &T::lblPages);
  p.ComponentField("lblPagesValue", &T::lblPagesValue);
  p.ComponentField("pnlBanner", &T::pnlBanner);
  p.ComponentField("lblText", &T::lblText);
  p.ComponentField("btnClose", &T::btnClose);
  p.ComponentField("actnlstStatistics", &T::actnlstStatistics);
  p.ComponentField("actnClose", &T::actnClose);
  p.ComponentField("lngcntrlrStatistics", &T::lngcntrlrStatistics);
}

namespace {

void showCount(TLabel* Label, int Value) { Label->SetCaption(AnsiToWide(FormatThousands(Value, ' '))); }

}  // namespace

TStatisticsForm::TStatisticsForm(TComponent* AOwner, TDocument* Document) : TForm(AOwner), document_(Document) {}

int TStatisticsForm::CountPages(const AnsiString& Text) {
  TTxtEdit* editor = document_->Editor();
  TTxtEditPrint* print = document_->Frame()->edtprntEditor;
  auto* scratch = New<TTxtEdit>(this);
  TScopeExit restore([&] {
    print->SetTxtEdit(editor);
    delete scratch;
  });
  scratch->SetFont(editor->Font());
  scratch->SetHighlighter(document_->GetHighlighter());
  scratch->Lines()->SetText(Text);
  print->SetTxtEdit(scratch);
  try {
    return print->PageCount();
  } catch (const Exception&) {
    // Without a printer there is no page to count.
    return 0;
  }
}

void TStatisticsForm::FormCreate(TObject*) {
  TTxtEdit* editor = document_ ? document_->Editor() : nullptr;
  if (!editor) return;
  const TCursor saved = Screen->Cursor();
  Screen->SetCursor(crHourGlass);
  TScopeExit cursor([&] { Screen->SetCursor(saved); });
  const bool selection = editor->SelAvail();
  pnlBanner->SetVisible(selection);
  const AnsiString text = selection ? editor->SelText() : JoinTextLines(SplitTextLines(editor->Lines()->Text()));
  const TTextCounts counts = CountText(text);
  showCount(lblWordsValue, counts.Words);
  showCount(lblPunctuationValue, counts.Punctuation);
  showCount(lblCharsWithSpacesValue, counts.CharsWithSpaces);
  showCount(lblCharsNoSpacesValue, counts.CharsNoSpaces);
  showCount(lblLinesValue, counts.Lines);
  showCount(lblPagesValue, CountPages(text));
}

void TStatisticsForm::actnCloseExecute(TObject*) { SetModalResult(mrCancel); }

void ExecuteStatisticsDialog(TDocument& Document) {
  TStatisticsForm* form = New<TStatisticsForm>(nullptr, &Document);
  TScopeExit free([&] { delete form; });
  form->ShowModal();
}
