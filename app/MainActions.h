// The commands of the main window: one table binds each action of its action list to its execute
// handler and its update handler (which the application runs while idle); the window caption
// and the texts of the status bar's panels.
#pragma once

#include <span>
#include <vector>

#include "app/MainFrm.h"
#include "framework/Component.h"
#include "framework/Types.h"

class TAction;
class TActionList;
class TControl;
class TCustomAction;
class TCustomTxtEdit;
class TDocument;
class TPrintDialog;
class TSkinCustomizer;

// One panel of the status bar: its text and whether it is enabled.
struct TStatusPanelState {
  WideString Text;
  bool Enabled = false;
};

class TMainCommands : public TComponent, public TMainFormCommands {
  HV_CLASS(TMainCommands, TComponent)
 public:
  using THandler = void (TMainCommands::*)(TObject*);
  // One row of the command table: the action's name in the form file, what it does, and the
  // rule that keeps its enabled and checked state; null where the action has none.
  struct TBinding {
    const char* Name;
    THandler Execute;
    THandler Update;
  };
  // The table, one row for each action of the window's action list, in the form file's order.
  static std::span<const TBinding> Bindings();
  // Where an action list and a table disagree, one line each: an action without a row, a row
  // that names no action of the list, a name with more than one row. Empty when they agree.
  static std::vector<AnsiString> CheckBindings(const TActionList& Actions, std::span<const TBinding> Rows);

  // Binds the table's handlers to the form's actions by name (a row whose action the form
  // lacks is skipped).
  explicit TMainCommands(TMainForm* Form);

  TMainForm* Form() const { return form_; }
  // The action of the form with the name, or null.
  TAction* Action(const AnsiString& Name) const override;

  // The window caption and the application title ("name — Halcorn Verdan"), and the text of
  // panel 3 (the highlighter) as they follow the active document.
  WideString WindowCaption() const;
  WideString ApplicationTitle() const;
  void UpdateCaption() override;
  // The four panels: caret position, character code, insert mode, highlighter.
  TStatusPanelState Panels[4];
  void UpdateStatusBar(bool Focus) override;
  // Hands the panels' texts and states to the window's status bar.
  void ShowPanels();
  // A left click on an enabled panel: 0 goes to a line, 1 opens the character map on the
  // character at the caret, 2 switches insert and overtype (3 is the window's: a menu).
  void PanelClick(int Index) override;

  // The go-to-bookmark items' actions take the lines of their bookmarks.
  void UpdateBookmarkCaptions() override;
  // The editor popup shows "Open link" and "Copy link address" only with a link at the caret.
  void UpdateEditorPopup() override;

  // Caption and status bar follow the active document whenever the application is idle.
  void AppIdle(TObject* Sender, bool& Done);

  // The print dialog, made on first use.
  TPrintDialog* PrintDialog();

 private:
  static const TBinding bindings_[];

  TCustomTxtEdit* Editor() const;
  TDocument* Document() const;
  static TCustomAction* Of(TObject* Sender);
  void Enable(TObject* Sender, bool Enabled);
  void EnableCheck(TObject* Sender, bool Enabled, bool Checked);
  AnsiString Text(const AnsiString& Name) const;
  WideString WideText(const AnsiString& Name) const;
  void ApplyLine(AnsiString (*Fn)(std::string_view));
  void ChangeFontSize(int Size);
  TControl* NamedControl(const AnsiString& Name) const;
  void ToggleVisible(const AnsiString& Name);

  // ---- update rules ----
  void Disabled(TObject* Sender);
  void HasDocument(TObject* Sender);
  void Always(TObject* Sender);
  void TwoDocuments(TObject* Sender);
  void EditView(TObject* Sender);
  void Editable(TObject* Sender);
  void EditableSelection(TObject* Sender);
  void EditableLine(TObject* Sender);
  void EditViewLine(TObject* Sender);
  void PrinterDocument(TObject* Sender);
  void UndoUpdate(TObject* Sender);
  void RedoUpdate(TObject* Sender);
  void CopyUpdate(TObject* Sender);
  void PasteUpdate(TObject* Sender);
  void FileNameUpdate(TObject* Sender);
  void PrintPreviewUpdate(TObject* Sender);
  void MoveLineUpUpdate(TObject* Sender);
  void MoveLineDownUpdate(TObject* Sender);
  void LineBreakUpdate(TObject* Sender);
  void ReadOnlyUpdate(TObject* Sender);
  void VisibleUpdate(TObject* Sender);
  void LockTheToolbarsUpdate(TObject* Sender);
  void WordWrapUpdate(TObject* Sender);
  void NonprintingUpdate(TObject* Sender);
  void IncreaseUpdate(TObject* Sender);
  void DecreaseUpdate(TObject* Sender);
  void NormalUpdate(TObject* Sender);
  void ToggleBookmarkUpdate(TObject* Sender);
  void GotoBookmarkUpdate(TObject* Sender);
  void ClearBookmarksUpdate(TObject* Sender);
  void MatchBracketUpdate(TObject* Sender);
  void FindNextUpdate(TObject* Sender);

  // ---- commands ----
  void NewExecute(TObject*);
  void OpenExecute(TObject*);
  // Saving and closing act on the tab of the last right click, else on the active document.
  void CloseExecute(TObject*);
  void CloseAllExecute(TObject*);
  void CloseOtherTabsExecute(TObject*);
  void SaveExecute(TObject*);
  void SaveAsExecute(TObject*);
  void SaveAllExecute(TObject*);
  void PrintPreviewExecute(TObject*);
  void ExitExecute(TObject*);
  void CheckForUpdatesExecute(TObject*);
  void PrintExecute(TObject*);
  void UndoExecute(TObject*);
  void RedoExecute(TObject*);
  void CutExecute(TObject*);
  void CopyExecute(TObject*);
  void PasteExecute(TObject*);
  void CopyFilePathNameExecute(TObject*);
  void SelectAllExecute(TObject*);
  void PreviousExecute(TObject*);
  void NextExecute(TObject*);
  void DateAndTimeExecute(TObject*);
  void SelectLineExecute(TObject*);
  void TrimLeadingSpacesExecute(TObject*);
  void TrimTrailingSpacesExecute(TObject*);
  void DeleteExcessSpacesExecute(TObject*);
  void JoinLinesExecute(TObject*);
  void DeleteLineExecute(TObject*);
  void MoveLineUpExecute(TObject*);
  void MoveLineDownExecute(TObject*);
  void BlockIndentExecute(TObject*);
  void BlockUnindentExecute(TObject*);
  void SentenceCaseExecute(TObject*);
  void LowercaseExecute(TObject*);
  void UppercaseExecute(TObject*);
  void CapitalizeEachWordExecute(TObject*);
  void ToggleCaseExecute(TObject*);
  void LineBreakExecute(TObject* Sender);
  void ReadOnlyExecute(TObject*);
  void MainToolbarExecute(TObject*);
  void TabBarExecute(TObject*);
  void StatusBarExecute(TObject*);
  void LockTheToolbarsExecute(TObject*);
  void WordWrapExecute(TObject*);
  void NonprintingExecute(TObject*);
  void IncreaseExecute(TObject*);
  void DecreaseExecute(TObject*);
  void NormalExecute(TObject*);
  void OnTheInternetExecute(TObject*);
  void FileExecute(TObject*);
  void ToggleBookmarkExecute(TObject* Sender);
  void GotoBookmarkExecute(TObject* Sender);
  void ClearBookmarksExecute(TObject*);
  void MatchBracketExecute(TObject*);
  // The find and replace dialog on its find, replace and go-to tabs, and its searches.
  void FindExecute(TObject*);
  void FindNextExecute(TObject*);
  void FindPreviousExecute(TObject*);
  void ReplaceExecute(TObject*);
  void GotoExecute(TObject*);
  void OpenLinkExecute(TObject*);
  void CopyLinkAddressExecute(TObject*);
  // The commands that open a dialog of their own.
  void PageSetupExecute(TObject*);
  void SortExecute(TObject*);
  void LinesProcessingExecute(TObject*);
  void StatisticsExecute(TObject*);
  void OtherCharactersExecute(TObject*);
  void PreferencesExecute(TObject*);
  // The customize dialog works on the window's toolbar customizer "cstmzrMain"; the command is
  // always on, and without a customizer it opens nothing.
  TSkinCustomizer* Customizer() const;
  void CustomizeExecute(TObject*);
  void AboutExecute(TObject*);

  TMainForm* form_;
  TPrintDialog* printDialog_ = nullptr;
  WideString schemeFile_, schemeName_;  // the last scheme named in panel 3
};

// The commands object of a window made from its form file.
TMainCommands& CommandsOf(const TMainForm& Form);

// The maker's web site that "On the Internet" opens.
extern const char* const MakerWebAddress;
