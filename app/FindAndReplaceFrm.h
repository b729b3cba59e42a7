// The find and replace dialog: one modeless window with the tabs "Find", "Replace" and "Go to"
// that searches, replaces and jumps in the active document's editor, keeps the histories of its
// boxes and its choices in the preferences file, and tells "not found" and "wrapped" in a label.
#pragma once

#include <memory>

#include "app/FindReplace.h"
#include "framework/Forms.h"

class TAction;
class TActionList;
class TApFormStorage;
class TApMultiStringHolder;
class TApPageList;
class TApStandardPage;
class TButton;
class TCheckBox;
class TDocumentHost;
class TComboBox;
class TLabel;
class TLgLanguageController;
class TNSBvLabel;
class TPageControl;
class TPanel;
class TRadioButton;
class TSkinLabel;
class TTabSheet;
class TTxtEditRegexSearch;
class TTxtEdit;
class TTxtEditSearch;

// The entries each history keeps.
constexpr int FindHistoryCount = 15;

class TFindAndReplaceForm : public TForm {
  HV_CLASS(TFindAndReplaceForm, TForm)
 public:
  // The dialog searches the host's active document and keeps its settings in the host's storage.
  explicit TFindAndReplaceForm(TComponent* AOwner, TDocumentHost* Host = nullptr);
  ~TFindAndReplaceForm() override;

  // The caret the searches start from again (a buffer position), taken at activation and, while
  // the dialog is hidden and idle, from the editor's selection start.
  TBufferCoord SavedCaret;
  // 1 while a search or replacement runs (the caret it moves is not taken as the saved one).
  bool Busy() const { return Tag() != 0; }

  // Shows the dialog on the tab (activating it when it shows already).
  void ShowOnPage(TTabSheet* Page);

  // The searches of the buttons and of the main window's Find next and Find previous.
  void Find(bool Incremental, bool Backwards);
  void Replace(bool All);
  // "Go" with the number box's text.
  void Go();
  // Shows or hides the search parameters, the form growing or shrinking with them.
  void ShowMore(bool Show);
  bool MoreShown() const { return moreShown_; }
  // The result label (a TFindResult): -1 nothing, 0 the end was reached, 1 not found, 2 the
  // expression was too complex, 3 the expression is bad (with the engine's text), 4 there was
  // not enough memory; after a replace-all, 2 to 4 first say that nothing was replaced. The
  // result describes the active document's editor.
  void SetResult(int Result);
  // Clears the result line once the active document is another than the one it describes.
  void FollowActiveDocument();
  // Gives the result line room for two lines of its font (run once, at creation).
  void FitResultLine();
  int Result() const { return result_; }
  // The searches the dialog runs (their budgets can be set).
  TFindAndReplace* Search() const { return search_.get(); }
  // The settings the check and radio boxes choose.
  TFindSettings Settings() const;
  // The find text as the editor's 8-bit text.
  AnsiString FindText() const;
  // The find text as the editor's 8-bit text in Text, and whether that holds it as typed: a text
  // with characters outside the code page is nowhere in a document.
  bool HeldFindText(AnsiString& Text) const;
  // Whether the active document shows its editor (every action needs it), and that editor.
  bool ActiveInEditView() const;
  TTxtEdit* Editor() const;

  // Handlers of the form file.
  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void FormActivate(TObject* Sender);
  void pgcntrlFindAndReplaceChange(TObject* Sender);
  void cmbxFindWhatChange(TObject* Sender);
  void rdbtnLineClick(TObject* Sender);
  void actnFindNextExecute(TObject* Sender);
  void actnReplaceExecute(TObject* Sender);
  void actnGoExecute(TObject* Sender);
  void actnMoreLessExecute(TObject* Sender);
  void actnCloseExecute(TObject* Sender);
  void actnFindNextUpdate(TObject* Sender);
  void actnGoUpdate(TObject* Sender);
  void actnMoreLessUpdate(TObject* Sender);
  void lngcntrlrFindAndReplaceLanguageChanged(TLgLanguageController* Controller);

  TPageControl* pgcntrlFindAndReplace = nullptr;
  TTabSheet* tbshtFind = nullptr;
  TTabSheet* tbshtReplace = nullptr;
  TTabSheet* tbshtGoTo = nullptr;
  TPanel* pnlFindWhat = nullptr;
  TLabel* lblFindWhat = nullptr;
  TComboBox* cmbxFindWhat = nullptr;
  TSkinLabel* lblFindWhatResult = nullptr;
  TPanel* pnlReplaceWith = nullptr;
  TLabel* lblReplaceWith = nullptr;
  TComboBox* cmbxReplaceWith = nullptr;
  TPanel* pnlSearchParameters = nullptr;
  TNSBvLabel* lblSearchParameters = nullptr;
  TCheckBox* chckbxMatchCase = nullptr;
  TCheckBox* chckbxWholeWordsOnly = nullptr;
  TCheckBox* chckbxRegularExpressions = nullptr;
  TRadioButton* rdbtnSearchDown = nullptr;
  TRadioButton* rdbtnSearchUp = nullptr;
  TPanel* pnlButtons = nullptr;
  TApPageList* pglstFindAndReplace = nullptr;
  TApStandardPage* stndrdpgReplace = nullptr;
  TApStandardPage* stndrdpgGoto = nullptr;
  TButton* btnReplaceAll = nullptr;
  TButton* btnReplace = nullptr;
  TButton* btnFindNext = nullptr;
  TButton* btnGo = nullptr;
  TButton* btnClose = nullptr;
  TButton* btnMoreLess = nullptr;
  TLabel* lblNumber = nullptr;
  TComboBox* cmbxNumber = nullptr;
  TPanel* pnlGoToObject = nullptr;
  TNSBvLabel* lblGoToObject = nullptr;
  TRadioButton* rdbtnLine = nullptr;
  TRadioButton* rdbtnColumn = nullptr;
  TActionList* actnlstFindAndReplace = nullptr;
  TAction* actnFindNext = nullptr;
  TAction* actnReplace = nullptr;
  TAction* actnReplaceAll = nullptr;
  TAction* actnGo = nullptr;
  TAction* actnClose = nullptr;
  TAction* actnMoreLess = nullptr;
  TTxtEditSearch* edtsrchFindAndReplace = nullptr;
  TTxtEditRegexSearch* edtrgxsrchFindAndReplace = nullptr;
  TApFormStorage* frmstrgFindAndReplace = nullptr;
  TApMultiStringHolder* mltstrnghldrFindAndReplace = nullptr;
  TLgLanguageController* lngcntrlrFindAndReplace = nullptr;

 protected:
  void Dispatch(TMessage& Message) override;
  // The window is owned by the host's main window, so that it stays in front of it.
  void CreateParams(TCreateParams& Params) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  AnsiString Text(const AnsiString& Name) const;
  WideString ResultText(int Result) const;
  // Shows the result in the label, for whichever editor it was given.
  void ShowResult(int Result);
  // Shows the result in the label, and in a message box when a command stopped on an error of
  // the expression, unless Quietly.
  void Report(TFindResult Result, bool Quietly);
  WideString WideText(const AnsiString& Name) const;
  void UpdateNumberLabel();
  // The combo's history takes the entry, which becomes the selected item with the caret of the
  // box where it was.
  void AddHistory(TComboBox* Combo, const WideString& Entry);
  // Enter in one of the boxes: true when it ran the box's command.
  bool EnterIn(TWinControl* Control);

  std::unique_ptr<TFindAndReplace> search_;
  bool moreShown_ = false;
  bool settingText_ = false;
  int result_ = -1;
  // The result is a replace-all's, which replaces every hit or none.
  bool replaceAll_ = false;
  // The editor the result describes (null once it is freed).
  TTxtEdit* resultEditor_ = nullptr;
  TDocumentHost* host_;
};

// The dialog, made with the application as owner on first use and kept; null before.
extern TFindAndReplaceForm* FindAndReplaceForm;
// Makes the dialog for the host when there is none yet.
TFindAndReplaceForm* EnsureFindAndReplaceForm(TDocumentHost& Host);
// Frees the dialog (its settings are written); the main window does it before it goes.
void FreeFindAndReplaceForm();
// Puts the shown dialog in front of its main window again, and clears its result once the active
// document changed; the main window calls it when it is activated and when the focus moves
// inside it (another document, a document opened or closed). The dialog comes forward only
// while the main window or one of its own windows is the foreground window and no modal box or
// dialog is up: it never comes over a question nor over another program.
void KeepFindAndReplaceFormInFront();
