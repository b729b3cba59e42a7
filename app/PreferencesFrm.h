// The preferences dialog: edits the options, the file associations and the language, shows the
// command list with its shortcuts, and on OK applies everything to every open document's
// editor. A cancelled dialog changes nothing, the editor font included.
#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "framework/Forms.h"
#include "framework/ListControls.h"

class TAction;
class TActionList;
class TApMultiStringHolder;
class TApPageList;
class TApSpinEdit;
class TApStandardPage;
class TBarCustomItem;
class TDocumentHost;
class TEdit;
class TLabel;
class TLgLanguageController;
class TNSApColorButton;
class TNSBvLabel;
class TOptions;
class TPanel;
class TSkinButton;
class TSkinCheckBox;
class TSkinComboBox;
class TSkinLabel;
class TSkinListBox;
class TStrings;

// How the command list draws an entry: where its caption and shortcut go and whether it has
// the arrow of a submenu.
struct TCommandEntryLayout {
  TRect CaptionRect;
  WideString Shortcut;  // empty: none drawn
  TRect ShortcutRect;
  bool Arrow = false;
  TPoint ArrowAt;
};
// The layout of the command entry Item (a menu item) in the item rectangle Rect; ShortcutWidth
// measures a shortcut text.
TCommandEntryLayout CommandEntryLayout(TBarCustomItem* Item, const TRect& Rect, int TextHeight,
                                       const std::function<int(const WideString&)>& ShortcutWidth);
// How deep the item lies below the menu bar: 0 for a menu of the bar, 1 for its commands.
int MenuDepth(TBarCustomItem* Item);

class TPreferencesForm : public TForm {
  HV_CLASS(TPreferencesForm, TForm)
 public:
  // OK applies the options to the host's documents and window; without a host only the options
  // themselves, the associations and the language change.
  explicit TPreferencesForm(TComponent* AOwner, TDocumentHost* Host = nullptr);

  // Where the language files are looked for (AppPath("Languages\") unless tests set another).
  static WideString& LanguagesFolder();

  void FormCreate(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void FormPaint(TObject* Sender);
  void lstbxPreferencesClick(TObject* Sender);
  void lstbxPreferencesMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  void lstbxPreferencesDrawItem(TWinControl* Control, int Index, const TRect& Rect, TOwnerDrawState State);
  void chckbxRightMarginClick(TObject* Sender);
  void chckbxGutterClick(TObject* Sender);
  void cmbxCategoryClick(TObject* Sender);
  void cmbxEditorFontNameDropDown(TObject* Sender);
  void lstbxCommandsDrawItem(TWinControl* Control, int Index, const TRect& Rect, TOwnerDrawState State);
  void actnEditExecute(TObject* Sender);
  void actnEditUpdate(TObject* Sender);
  void actnClearListExecute(TObject* Sender);
  void actnClearListUpdate(TObject* Sender);
  void actnOKExecute(TObject* Sender);
  void actnCancelExecute(TObject* Sender);

  TSkinListBox* lstbxPreferences = nullptr;
  TApPageList* pglstPreferences = nullptr;
  TApStandardPage* stndrdpgGeneral = nullptr;
  TApStandardPage* stndrdpgEditing = nullptr;
  TApStandardPage* stndrdpgDisplay = nullptr;
  TApStandardPage* stndrdpgColors = nullptr;
  TApStandardPage* stndrdpgKeyboardShortcuts = nullptr;
  TApStandardPage* stndrdpgAdvanced = nullptr;
  TApStandardPage* stndrdpgIntegration = nullptr;
  // General
  TSkinCheckBox* chckbxOpenLastDocuments = nullptr;
  TSkinCheckBox* chckbxCheckForUpdatesAtStartup = nullptr;
  TSkinComboBox* cmbxLanguage = nullptr;
  TSkinComboBox* cmbxDateAndTimeFormat = nullptr;
  TSkinComboBox* cmbxDefaultEncoding = nullptr;
  TSkinCheckBox* chckbxIncludeUTF8SignatureBOM = nullptr;
  TSkinCheckBox* chckbxRememberCaretPosition = nullptr;
  // Editing
  TSkinCheckBox* chckbxWordWrap = nullptr;
  TSkinCheckBox* chckbxShowNonprintingCharacters = nullptr;
  TSkinCheckBox* chckbxScrollPastEndOfLine = nullptr;
  TSkinCheckBox* chckbxTrimTrailingSpaces = nullptr;
  TSkinCheckBox* chckbxAutoIndent = nullptr;
  TSkinCheckBox* chckbxGroupUndo = nullptr;
  TSkinCheckBox* chckbxHighlightMatchingBrackets = nullptr;
  TSkinCheckBox* chckbxAutoCompleteBrackets = nullptr;
  TSkinCheckBox* chckbxTabsToSpaces = nullptr;
  TApSpinEdit* spnedtTabWidth = nullptr;
  // Display
  TSkinCheckBox* chckbxGutter = nullptr;
  TSkinCheckBox* chckbxShowLineNumbers = nullptr;
  TSkinCheckBox* chckbxNumberAllLines = nullptr;
  TSkinCheckBox* chckbxRightMargin = nullptr;
  TSkinLabel* lblPosition = nullptr;
  TApSpinEdit* spnedtPosition = nullptr;
  TSkinComboBox* cmbxEditorFontName = nullptr;
  TSkinComboBox* cmbxEditorFontSize = nullptr;
  // Colors: the categories and their buttons
  TSkinComboBox* cmbxCategory = nullptr;
  TApPageList* pglstColors = nullptr;
  TNSApColorButton* clrbtnNormalTextBackground = nullptr;
  TNSApColorButton* clrbtnNormalTextForeground = nullptr;
  TNSApColorButton* clrbtnGutterBackground = nullptr;
  TNSApColorButton* clrbtnGutterForeground = nullptr;
  TNSApColorButton* clrbtnRightMarginBackground = nullptr;
  TNSApColorButton* clrbtnBracketsBackground = nullptr;
  TNSApColorButton* clrbtnSelectionBackground = nullptr;
  TNSApColorButton* clrbtnSelectionForeground = nullptr;
  TNSApColorButton* clrbtnCurrentLineBackground = nullptr;
  TNSApColorButton* clrbtnBookmarkLineBackground = nullptr;
  TNSApColorButton* clrbtnBookmarkLineForeground = nullptr;
  // Keyboard shortcuts
  TSkinListBox* lstbxCommands = nullptr;
  TSkinButton* btnEdit = nullptr;
  // Advanced
  TApSpinEdit* spnedtNumberOfDocuments = nullptr;
  TSkinButton* btnClearList = nullptr;
  TSkinComboBox* cmbxCloseButton = nullptr;
  // Integration
  TPanel* pnlBanner = nullptr;
  TSkinCheckBox* chckbxTextDocuments = nullptr;
  TSkinCheckBox* chckbxSetupInformation = nullptr;
  TSkinCheckBox* chckbxConfigurationSettings = nullptr;
  TSkinCheckBox* chckbxLogFiles = nullptr;
  TSkinCheckBox* chckbxOther = nullptr;
  TEdit* edtOther = nullptr;
  TSkinCheckBox* chckbxRestoreFileAssociationsAtStartup = nullptr;

  TSkinButton* btnOK = nullptr;
  TSkinButton* btnCancel = nullptr;
  TActionList* actnlstPreferences = nullptr;
  TAction* actnOK = nullptr;
  TAction* actnCancel = nullptr;
  TAction* actnEdit = nullptr;
  TAction* actnClearList = nullptr;
  TApMultiStringHolder* mltstrnghldrPreferences = nullptr;
  TLgLanguageController* lngcntrlrPreferences = nullptr;

 private:
  // The colour buttons with the options they edit, in the order of the "Colors" section.
  std::vector<std::pair<TNSApColorButton*, TColor*>> ColorFields(TOptions& Options);
  void FillIntegration();
  // Step 5 of OK: false when the registry refused a write.
  bool ApplyAssociations();
  void ApplyLanguage();
  // The menu item of the command list's selected entry, or null.
  TBarCustomItem* SelectedCommand() const;

  TDocumentHost* host_;
};

// Shows the preferences for the host; true when they were applied.
bool ExecutePreferencesDialog(TDocumentHost* Host);
