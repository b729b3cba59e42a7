// The statistics dialog: words, punctuation marks, characters, lines and printed pages of a
// document's text or of its selection, counted once as the dialog is made.
#pragma once

#include "framework/Forms.h"

class TAction;
class TActionList;
class TButton;
class TDocument;
class TLabel;
class TLgLanguageController;
class TPanel;

class TStatisticsForm : public TForm {
  HV_CLASS(TStatisticsForm, TForm)
 public:
  TStatisticsForm(TComponent* AOwner, TDocument* Document = nullptr);

  void FormCreate(TObject* Sender);
  void actnCloseExecute(TObject* Sender);

  TLabel* lblWords = nullptr;
  TLabel* lblWordsValue = nullptr;
  TLabel* lblPunctuation = nullptr;
  TLabel* lblPunctuationValue = nullptr;
  TLabel* lblCharsWithSpaces = nullptr;
  TLabel* lblCharsWithSpacesValue = nullptr;
  TLabel* lblCharsNoSpaces = nullptr;
  TLabel* lblCharsNoSpacesValue = nullptr;
  TLabel* lblLines = nullptr;
  TLabel* lblLinesValue = nullptr;
  TLabel* lblPages = nullptr;
  TLabel* lblPagesValue = nullptr;
  TPanel* pnlBanner = nullptr;
  TLabel* lblText = nullptr;
  TButton* btnClose = nullptr;
  TActionList* actnlstStatistics = nullptr;
  TAction* actnClose = nullptr;
  TLgLanguageController* lngcntrlrStatistics = nullptr;

 private:
  // The pages the text takes when printed with the document's font and highlighter.
  int CountPages(const AnsiString& Text);

  TDocument* document_;
};

// Shows the statistics of the document (or of its selection).
void ExecuteStatisticsDialog(TDocument& Document);
