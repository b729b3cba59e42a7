// The preferences dialog: edits the options, and on OK applies them to every open document's
// editor. A cancelled dialog changes nothing, the editor font included.
#pragma once

#include "framework/Forms.h"

class TAction;
class TActionList;
class TApPageList;
class TApSpinEdit;
class TApStandardPage;
class TButton;
class TCheckBox;
class TComboBox;
class TLabel;
class TLgLanguageController;
class TListBox;

class TPreferencesForm : public TForm {
  HV_CLASS(TPreferencesForm, TForm)
 public:
  explicit TPreferencesForm(TComponent* AOwner);

  void FormCreate(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void lstbxPreferencesClick(TObject* Sender);
  void chckbxRightMarginClick(TObject* Sender);
  void chckbxGutterClick(TObject* Sender);
  void cmbxEditorFontNameDropDown(TObject* Sender);
  void actnOKExecute(TObject* Sender);
  void actnCancelExecute(TObject* Sender);

  TListBox* lstbxPreferences = nullptr;
  TApPageList* pglstPreferences = nullptr;
  TApStandardPage* stndrdpgGeneral = nullptr;
  TApStandardPage* stndrdpgEditing = nullptr;
  TApStandardPage* stndrdpgDisplay = nullptr;
  TApStandardPage* stndrdpgAdvanced = nullptr;
  TCheckBox* chckbxOpenLastDocuments = nullptr;
  TCheckBox* chckbxCheckForUpdatesAtStartup = nullptr;
  TComboBox* cmbxDateAndTimeFormat = nullptr;
  TComboBox* cmbxDefaultEncoding = nullptr;
  TCheckBox* chckbxIncludeUTF8SignatureBOM = nullptr;
  TCheckBox* chckbxRememberCaretPosition = nullptr;
  TCheckBox* chckbxWordWrap = nullptr;
  TCheckBox* chckbxShowNonprintingCharacters = nullptr;
  TCheckBox* chckbxScrollPastEndOfLine = nullptr;
  TCheckBox* chckbxTrimTrailingSpaces = nullptr;
  TCheckBox* chckbxAutoIndent = nullptr;
  TCheckBox* chckbxGroupUndo = nullptr;
  TCheckBox* chckbxHighlightMatchingBrackets = nullptr;
  TCheckBox* chckbxAutoCompleteBrackets = nullptr;
  TCheckBox* chckbxTabsToSpaces = nullptr;
  TApSpinEdit* spnedtTabWidth = nullptr;
  TCheckBox* chckbxGutter = nullptr;
  TCheckBox* chckbxShowLineNumbers = nullptr;
  TCheckBox* chckbxNumberAllLines = nullptr;
  TCheckBox* chckbxRightMargin = nullptr;
  TLabel* lblPosition = nullptr;
  TApSpinEdit* spnedtPosition = nullptr;
  TComboBox* cmbxEditorFontName = nullptr;
  TComboBox* cmbxEditorFontSize = nullptr;
  TApSpinEdit* spnedtNumberOfDocuments = nullptr;
  TComboBox* cmbxCloseButton = nullptr;
  TButton* btnOK = nullptr;
  TButton* btnCancel = nullptr;
  TActionList* actnlstPreferences = nullptr;
  TAction* actnOK = nullptr;
  TAction* actnCancel = nullptr;
  TLgLanguageController* lngcntrlrPreferences = nullptr;
};

// Shows the preferences; true when they were applied.
bool ExecutePreferencesDialog();
