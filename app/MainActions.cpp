// The main window's commands, one execute and one update handler per action, and the caption
// and status-bar texts that follow the active document.
#include "app/MainActions.h"

#include <map>
#include <set>

#include "app/AboutFrm.h"
#include "app/CharacterFrm.h"
#include "app/CustomizeFrm.h"
#include "app/DocumentFrm.h"
#include "app/DocumentTabs.h"
#include "app/Documents.h"
#include "app/Encoding.h"
#include "app/FindAndReplaceFrm.h"
#include "app/Global.h"
#include "app/SchemeCatalogue.h"
#include "app/LineFunctions.h"
#include "app/LinesProcessingFrm.h"
#include "app/MainFrm.h"
#include "app/NSTextDialogs.h"
#include "app/Options.h"
#include "app/PageSetupFrm.h"
#include "app/PreferencesFrm.h"
#include "app/ProductIdentity.h"
#include "app/SortFrm.h"
#include "app/StatisticsFrm.h"
#include "app/TextRoutines.h"
#include "app/EditorQueries.h"
#include "app/FilePaths.h"
#include "app/WindowRoutines.h"
#include "controls/ApPageList.h"
#include "editor/TxtEditKeyCmds.h"
#include "editor/TxtEditPrint.h"
#include "foundation/ApStrHolder.h"
#include "framework/Actions.h"
#include "framework/Application.h"
#include "framework/CodePages.h"
#include "framework/DateTime.h"
#include "framework/Dialogs.h"
#include "framework/FileRoutines.h"
#include "framework/Format.h"
#include "framework/ScopeGuards.h"
#include "highlighting/TxtXmlHighlighter.h"
#include "themes/SkinCustomizer.h"
#include "themes/SkinItem.h"
#include "themes/SkinToolbar.h"
#include "themes/UiStatusBars.h"

const char* const MakerWebAddress = ProductPageUrl;

HV_PUBLISH(TMainCommands) {}

namespace {

const wchar_t* const productName = ProductName;
constexpr int minFontSize = 9, maxFontSize = 26;

}  // namespace

// The command table: every action of the window's form file has its row here, and only here do
// its handlers get bound. A new command is an action (with its menu or toolbar item) in the
// form file, a row below and its handlers in this file.
const TMainCommands::TBinding TMainCommands::bindings_[] = {
    {"actnCreateNew", &TMainCommands::NewExecute, nullptr},
    {"actnOpen", &TMainCommands::OpenExecute, nullptr},
    {"actnClose", &TMainCommands::CloseExecute, &TMainCommands::HasDocument},
    {"actnCloseAll", &TMainCommands::CloseAllExecute, &TMainCommands::HasDocument},
    {"actnCloseOtherTabs", &TMainCommands::CloseOtherTabsExecute, &TMainCommands::TwoDocuments},
    {"actnSave", &TMainCommands::SaveExecute, &TMainCommands::HasDocument},
    {"actnSaveAs", &TMainCommands::SaveAsExecute, &TMainCommands::HasDocument},
    {"actnSaveAll", &TMainCommands::SaveAllExecute, &TMainCommands::HasDocument},
    {"actnPageSetup", &TMainCommands::PageSetupExecute, &TMainCommands::PrinterDocument},
    {"actnPrintPreview", &TMainCommands::PrintPreviewExecute, &TMainCommands::PrintPreviewUpdate},
    {"actnPrint", &TMainCommands::PrintExecute, &TMainCommands::PrinterDocument},
    {"actnExit", &TMainCommands::ExitExecute, nullptr},
    {"actnUndo", &TMainCommands::UndoExecute, &TMainCommands::UndoUpdate},
    {"actnRedo", &TMainCommands::RedoExecute, &TMainCommands::RedoUpdate},
    {"actnCut", &TMainCommands::CutExecute, &TMainCommands::EditableSelection},
    {"actnCopy", &TMainCommands::CopyExecute, &TMainCommands::CopyUpdate},
    {"actnPaste", &TMainCommands::PasteExecute, &TMainCommands::PasteUpdate},
    {"actnCopyFilePathName", &TMainCommands::CopyFilePathNameExecute, &TMainCommands::FileNameUpdate},
    {"actnSelectAll", &TMainCommands::SelectAllExecute, &TMainCommands::EditView},
    {"actnReadOnly", &TMainCommands::ReadOnlyExecute, &TMainCommands::ReadOnlyUpdate},
    {"actnDateAndTime", &TMainCommands::DateAndTimeExecute, &TMainCommands::Editable},
    {"actnFile", &TMainCommands::FileExecute, &TMainCommands::Editable},
    {"actnOtherCharacters", &TMainCommands::OtherCharactersExecute, &TMainCommands::Always},
    {"actnSelectLine", &TMainCommands::SelectLineExecute, &TMainCommands::EditViewLine},
    {"actnTrimLeadingSpaces", &TMainCommands::TrimLeadingSpacesExecute, &TMainCommands::Editable},
    {"actnTrimTrailingSpaces", &TMainCommands::TrimTrailingSpacesExecute, &TMainCommands::Editable},
    {"actnDeleteExcessSpaces", &TMainCommands::DeleteExcessSpacesExecute, &TMainCommands::Editable},
    {"actnJoinLines", &TMainCommands::JoinLinesExecute, &TMainCommands::Editable},
    {"actnDeleteLine", &TMainCommands::DeleteLineExecute, &TMainCommands::EditableLine},
    {"actnMoveLineUp", &TMainCommands::MoveLineUpExecute, &TMainCommands::MoveLineUpUpdate},
    {"actnMoveLineDown", &TMainCommands::MoveLineDownExecute, &TMainCommands::MoveLineDownUpdate},
    {"actnSort", &TMainCommands::SortExecute, &TMainCommands::Editable},
    {"actnLinesProcessing", &TMainCommands::LinesProcessingExecute, &TMainCommands::Editable},
    {"actnBlockIndent", &TMainCommands::BlockIndentExecute, &TMainCommands::EditableSelection},
    {"actnBlockUnindent", &TMainCommands::BlockUnindentExecute, &TMainCommands::EditableSelection},
    {"actnSentenceCase", &TMainCommands::SentenceCaseExecute, &TMainCommands::Editable},
    {"actnLowercase", &TMainCommands::LowercaseExecute, &TMainCommands::Editable},
    {"actnUppercase", &TMainCommands::UppercaseExecute, &TMainCommands::Editable},
    {"actnCapitalizeEachWord", &TMainCommands::CapitalizeEachWordExecute, &TMainCommands::Editable},
    {"actnToggleCase", &TMainCommands::ToggleCaseExecute, &TMainCommands::Editable},
    {"actnDosCRLF", &TMainCommands::LineBreakExecute, &TMainCommands::LineBreakUpdate},
    {"actnUnixLF", &TMainCommands::LineBreakExecute, &TMainCommands::LineBreakUpdate},
    {"actnMacCR", &TMainCommands::LineBreakExecute, &TMainCommands::LineBreakUpdate},
    {"actnPrevious", &TMainCommands::PreviousExecute, &TMainCommands::TwoDocuments},
    {"actnNext", &TMainCommands::NextExecute, &TMainCommands::TwoDocuments},
    {"actnMainToolbar", &TMainCommands::MainToolbarExecute, &TMainCommands::VisibleUpdate},
    {"actnTabBar", &TMainCommands::TabBarExecute, &TMainCommands::VisibleUpdate},
    {"actnStatusBar", &TMainCommands::StatusBarExecute, &TMainCommands::VisibleUpdate},
    {"actnLockTheToolbars", &TMainCommands::LockTheToolbarsExecute, &TMainCommands::LockTheToolbarsUpdate},
    {"actnCustomize", &TMainCommands::CustomizeExecute, &TMainCommands::Always},
    {"actnWordWrap", &TMainCommands::WordWrapExecute, &TMainCommands::WordWrapUpdate},
    {"actnShowNonprintingCharacters", &TMainCommands::NonprintingExecute, &TMainCommands::NonprintingUpdate},
    {"actnIncrease", &TMainCommands::IncreaseExecute, &TMainCommands::IncreaseUpdate},
    {"actnDecrease", &TMainCommands::DecreaseExecute, &TMainCommands::DecreaseUpdate},
    {"actnNormal", &TMainCommands::NormalExecute, &TMainCommands::NormalUpdate},
    {"actnStatistics", &TMainCommands::StatisticsExecute, &TMainCommands::HasDocument},
    {"actnPreferences", &TMainCommands::PreferencesExecute, &TMainCommands::Always},
    {"actnFind", &TMainCommands::FindExecute, &TMainCommands::EditView},
    {"actnFindNext", &TMainCommands::FindNextExecute, &TMainCommands::FindNextUpdate},
    {"actnFindPrevious", &TMainCommands::FindPreviousExecute, &TMainCommands::FindNextUpdate},
    {"actnReplace", &TMainCommands::ReplaceExecute, &TMainCommands::EditView},
    {"actnGoto", &TMainCommands::GotoExecute, &TMainCommands::EditView},
    {"actnMatchBracket", &TMainCommands::MatchBracketExecute, &TMainCommands::MatchBracketUpdate},
    {"actnToggleBookmark0", &TMainCommands::ToggleBookmarkExecute, &TMainCommands::ToggleBookmarkUpdate},
    {"actnToggleBookmark1", &TMainCommands::ToggleBookmarkExecute, &TMainCommands::ToggleBookmarkUpdate},
    {"actnToggleBookmark2", &TMainCommands::ToggleBookmarkExecute, &TMainCommands::ToggleBookmarkUpdate},
    {"actnToggleBookmark3", &TMainCommands::ToggleBookmarkExecute, &TMainCommands::ToggleBookmarkUpdate},
    {"actnToggleBookmark4", &TMainCommands::ToggleBookmarkExecute, &TMainCommands::ToggleBookmarkUpdate},
    {"actnToggleBookmark5", &TMainCommands::ToggleBookmarkExecute, &TMainCommands::ToggleBookmarkUpdate},
    {"actnToggleBookmark6", &TMainCommands::ToggleBookmarkExecute, &TMainCommands::ToggleBookmarkUpdate},
    {"actnToggleBookmark7", &TMainCommands::ToggleBookmarkExecute, &TMainCommands::ToggleBookmarkUpdate},
    {"actnToggleBookmark8", &TMainCommands::ToggleBookmarkExecute, &TMainCommands::ToggleBookmarkUpdate},
    {"actnToggleBookmark9", &TMainCommands::ToggleBookmarkExecute, &TMainCommands::ToggleBookmarkUpdate},
    {"actnGotoBookmark0", &TMainCommands::GotoBookmarkExecute, &TMainCommands::GotoBookmarkUpdate},
    {"actnGotoBookmark1", &TMainCommands::GotoBookmarkExecute, &TMainCommands::GotoBookmarkUpdate},
    {"actnGotoBookmark2", &TMainCommands::GotoBookmarkExecute, &TMainCommands::GotoBookmarkUpdate},
    {"actnGotoBookmark3", &TMainCommands::GotoBookmarkExecute, &TMainCommands::GotoBookmarkUpdate},
    {"actnGotoBookmark4", &TMainCommands::GotoBookmarkExecute, &TMainCommands::GotoBookmarkUpdate},
    {"actnGotoBookmark5", &TMainCommands::GotoBookmarkExecute, &TMainCommands::GotoBookmarkUpdate},
    {"actnGotoBookmark6", &TMainCommands::GotoBookmarkExecute, &TMainCommands::GotoBookmarkUpdate},
    {"actnGotoBookmark7", &TMainCommands::GotoBookmarkExecute, &TMainCommands::GotoBookmarkUpdate},
    {"actnGotoBookmark8", &TMainCommands::GotoBookmarkExecute, &TMainCommands::GotoBookmarkUpdate},
    {"actnGotoBookmark9", &TMainCommands::GotoBookmarkExecute, &TMainCommands::GotoBookmarkUpdate},
    {"actnClearBookmarks", &TMainCommands::ClearBookmarksExecute, &TMainCommands::ClearBookmarksUpdate},
    {"actnOnTheInternet", &TMainCommands::OnTheInternetExecute, nullptr},
    {"actnCheckForUpdates", &TMainCommands::CheckForUpdatesExecute, nullptr},
    {"actnAbout", &TMainCommands::AboutExecute, &TMainCommands::Always},
    {"actnDNDOpen", nullptr, nullptr},
    {"actnDNDInsert", nullptr, &TMainCommands::Editable},
    {"actnOpenLink", &TMainCommands::OpenLinkExecute, nullptr},
    {"actnCopyLinkAddress", &TMainCommands::CopyLinkAddressExecute, nullptr},
};

std::span<const TMainCommands::TBinding> TMainCommands::Bindings() { return bindings_; }

std::vector<AnsiString> TMainCommands::CheckBindings(const TActionList& Actions, std::span<const TBinding> Rows) {
  std::vector<AnsiString> problems;
  std::map<AnsiString, int> rows;
  for (const TBinding& row : Rows) ++rows[row.Name ? row.Name : ""];
  std::set<AnsiString> actions;
  for (int i = 0; i < Actions.ActionCount(); ++i) {
    const AnsiString name = Actions.Actions(i)->Name();
    actions.insert(name);
    if (!rows.count(name)) problems.push_back("The action \"" + name + "\" has no row in the command table");
  }
  for (const auto& [name, count] : rows) {
    if (!actions.count(name))
      problems.push_back("The row \"" + name + "\" of the command table names no action of the list");
    if (count > 1)
      problems.push_back("The action \"" + name + "\" has " + std::to_string(count) + " rows in the command table");
  }
  return problems;
}

TMainCommands::TMainCommands(TMainForm* Form) : TComponent(Form), form_(Form) {
  for (const TBinding& row : bindings_) {
    TAction* action = Action(row.Name);
    if (!action) continue;
    if (row.Execute) action->SetOnExecute(TNotifyEvent(this, row.Execute));
    if (row.Update) action->OnUpdate = TNotifyEvent(this, row.Update);
  }
  if (TAction* internet = Action("actnOnTheInternet"))
    internet->SetCaption(FormatTranslated(WideText("sOnTheInternet"), "sOnTheInternet", {productName}));
  auto* events = new TApplicationEvents(this);
  events->OnIdle = TIdleEvent(this, &TMainCommands::AppIdle);
}

TMainFormCommands* MakeMainCommands(TMainForm* Form) { return new TMainCommands(Form); }

TMainCommands& CommandsOf(const TMainForm& Form) { return dynamic_cast<TMainCommands&>(*Form.Commands); }

TAction* TMainCommands::Action(const AnsiString& Name) const {
  return dynamic_cast<TAction*>(form_->FindComponent(Name));
}

TCustomTxtEdit* TMainCommands::Editor() const { return form_->ActiveEditor(); }

TDocument* TMainCommands::Document() const { return form_->ActiveDocument(); }

TCustomAction* TMainCommands::Of(TObject* Sender) { return dynamic_cast<TCustomAction*>(Sender); }

void TMainCommands::Enable(TObject* Sender, bool Enabled) {
  if (TCustomAction* action = Of(Sender)) action->SetEnabled(Enabled);
}

void TMainCommands::EnableCheck(TObject* Sender, bool Enabled, bool Checked) {
  if (TCustomAction* action = Of(Sender)) {
    action->SetEnabled(Enabled);
    action->SetChecked(Checked);
  }
}

AnsiString TMainCommands::Text(const AnsiString& Name) const { return GetHolderString(form_->mltstrnghldrMain, Name); }

WideString TMainCommands::WideText(const AnsiString& Name) const {
  return GetHolderText(form_->mltstrnghldrMain, Name);
}

TControl* TMainCommands::NamedControl(const AnsiString& Name) const {
  return dynamic_cast<TControl*>(form_->FindComponent(Name));
}

// ---- update rules ----

void TMainCommands::Disabled(TObject* Sender) { Enable(Sender, false); }

void TMainCommands::HasDocument(TObject* Sender) { Enable(Sender, form_->HasActiveDocument()); }

void TMainCommands::Always(TObject* Sender) { Enable(Sender, true); }

void TMainCommands::TwoDocuments(TObject* Sender) { Enable(Sender, DocumentList && DocumentList->Count() >= 2); }

void TMainCommands::EditView(TObject* Sender) { Enable(Sender, form_->ActiveInEditView()); }

void TMainCommands::Editable(TObject* Sender) { Enable(Sender, form_->CanEditActive()); }

void TMainCommands::EditableSelection(TObject* Sender) {
  Enable(Sender, form_->CanEditActive() && Editor()->SelAvail());
}

void TMainCommands::EditableLine(TObject* Sender) {
  Enable(Sender, form_->CanEditActive() && !Editor()->LineText().empty());
}

void TMainCommands::EditViewLine(TObject* Sender) {
  Enable(Sender, form_->ActiveInEditView() && !Editor()->LineText().empty());
}

void TMainCommands::PrinterDocument(TObject* Sender) {
  Enable(Sender, form_->HasActiveDocument() && PrinterInfoSize() > 0);
}

void TMainCommands::UndoUpdate(TObject* Sender) { Enable(Sender, form_->ActiveInEditView() && Editor()->CanUndo()); }

void TMainCommands::RedoUpdate(TObject* Sender) { Enable(Sender, form_->ActiveInEditView() && Editor()->CanRedo()); }

void TMainCommands::CopyUpdate(TObject* Sender) { Enable(Sender, form_->ActiveInEditView() && Editor()->SelAvail()); }

void TMainCommands::PasteUpdate(TObject* Sender) { Enable(Sender, form_->ActiveInEditView() && Editor()->CanPaste()); }

void TMainCommands::FileNameUpdate(TObject* Sender) {
  Enable(Sender, form_->HasActiveDocument() && !Document()->FileName.empty());
}

void TMainCommands::PrintPreviewUpdate(TObject* Sender) {
  EnableCheck(Sender, form_->HasActiveDocument(), form_->HasActiveDocument() && Document()->IsPrintPreview());
}

void TMainCommands::MoveLineUpUpdate(TObject* Sender) {
  Enable(Sender, form_->CanEditActive() && Editor()->CaretY() > 1);
}

void TMainCommands::MoveLineDownUpdate(TObject* Sender) {
  Enable(Sender, form_->CanEditActive() && Editor()->CaretY() < Editor()->Lines()->Count());
}

namespace {

TTxtEditLineBreakFormat LineBreakOf(TObject* Sender) {
  const AnsiString name = dynamic_cast<TComponent*>(Sender)->Name();
  return name == "actnUnixLF" ? lbfLF : name == "actnMacCR" ? lbfCR : lbfCRLF;
}

}  // namespace

void TMainCommands::LineBreakUpdate(TObject* Sender) {
  const bool active = form_->HasActiveDocument();
  EnableCheck(Sender, active, active && Editor()->Lines()->LineBreakFormat() == LineBreakOf(Sender));
}

void TMainCommands::ReadOnlyUpdate(TObject* Sender) {
  const bool view = form_->ActiveInEditView();
  EnableCheck(Sender, view, view && Editor()->ReadOnly());
}

void TMainCommands::VisibleUpdate(TObject* Sender) {
  const AnsiString name = dynamic_cast<TComponent*>(Sender)->Name();
  TControl* control = NamedControl(name == "actnMainToolbar" ? "tlbrStandard"
                                   : name == "actnTabBar"    ? "tlbrTabBar"
                                                             : "stsbrMain");
  EnableCheck(Sender, control != nullptr, control && control->Visible());
}

// The first dock that follows the option tells: the tab bar's keeps its own lock.
void TMainCommands::LockTheToolbarsUpdate(TObject* Sender) {
  const std::vector<TSkinDock*> docks = form_->ToolbarDocks();
  EnableCheck(Sender, !docks.empty(), !docks.empty() && !docks.front()->AllowDrag());
}

void TMainCommands::WordWrapUpdate(TObject* Sender) {
  const bool view = form_->ActiveInEditView();
  EnableCheck(Sender, view, view && Editor()->WordWrap());
}

void TMainCommands::NonprintingUpdate(TObject* Sender) {
  const bool view = form_->ActiveInEditView();
  EnableCheck(Sender, view, view && Editor()->Options().Contains(eoShowSpecialChars));
}

void TMainCommands::IncreaseUpdate(TObject* Sender) {
  Enable(Sender, form_->HasActiveDocument() && Editor()->Font()->Size() < maxFontSize);
}

void TMainCommands::DecreaseUpdate(TObject* Sender) {
  Enable(Sender, form_->HasActiveDocument() && Editor()->Font()->Size() > minFontSize);
}

void TMainCommands::NormalUpdate(TObject* Sender) {
  Enable(Sender, form_->HasActiveDocument() && Editor()->Font()->Size() != ::Options->EditorFontSize);
}

void TMainCommands::ToggleBookmarkUpdate(TObject* Sender) {
  const bool view = form_->ActiveInEditView();
  EnableCheck(Sender, view, view && Editor()->IsBookmark(Of(Sender)->Tag()));
}

void TMainCommands::GotoBookmarkUpdate(TObject* Sender) {
  int x = 0, y = 0;
  const bool set = form_->ActiveInEditView() && Editor()->GetBookMark(Of(Sender)->Tag(), x, y);
  Enable(Sender, set && !(Editor()->CaretX() == x && Editor()->CaretY() == y));
}

void TMainCommands::ClearBookmarksUpdate(TObject* Sender) {
  Enable(Sender, form_->HasActiveDocument() && Editor()->Marks()->Count() > 0);
}

void TMainCommands::FindNextUpdate(TObject* Sender) {
  Enable(Sender, form_->ActiveInEditView() && FindAndReplaceForm && !FindAndReplaceForm->FindText().empty());
}

void TMainCommands::MatchBracketUpdate(TObject* Sender) {
  TBufferCoord match;
  Enable(Sender, form_->ActiveInEditView() && Editor()->GetMatchingBracket(match));
}

// ---- commands ----

void TMainCommands::NewExecute(TObject*) { form_->NewDocument(); }

void TMainCommands::OpenExecute(TObject*) {
  TNSTextOpenDialog* dialog = form_->txtopndlgMain;
  if (!dialog->Execute()) return;
  std::vector<WideString> files;
  for (int i = 0; i < dialog->Files()->Count(); ++i) files.push_back(dialog->Files()->Strings(i));
  form_->OpenFiles(files, static_cast<TTextEncoding>(dialog->EncodingIndex()));
}

void TMainCommands::CloseExecute(TObject*) { form_->CloseDocument(form_->ContextDocument()); }

void TMainCommands::CloseAllExecute(TObject*) { form_->CloseDocuments(nullptr); }

void TMainCommands::CloseOtherTabsExecute(TObject*) { form_->CloseDocuments(form_->ContextDocument()); }

void TMainCommands::SaveExecute(TObject*) { form_->Save(form_->ContextDocument()); }

void TMainCommands::SaveAsExecute(TObject*) { form_->SaveAs(form_->ContextDocument()); }

void TMainCommands::SaveAllExecute(TObject*) {
  // Unchanged documents are left alone: writing them again could only change their files.
  for (int i = 0; i < DocumentList->Count(); ++i) {
    TDocument* document = DocumentList->Documents(i);
    if (document->Frame()->edtDocument->Modified()) form_->Save(document);
  }
}

void TMainCommands::PrintPreviewExecute(TObject*) {
  if (TDocument* document = Document()) document->SetViewMode(document->IsPrintPreview() ? 0 : 1);
}

void TMainCommands::ExitExecute(TObject*) { form_->Close(); }

void TMainCommands::CheckForUpdatesExecute(TObject*) { form_->CheckForUpdates(false); }

TPrintDialog* TMainCommands::PrintDialog() {
  if (!printDialog_) {
    printDialog_ = new TPrintDialog(this);
    printDialog_->SetName("prntdlgMain");
  }
  return printDialog_;
}

void TMainCommands::PrintExecute(TObject*) {
  TDocument* document = Document();
  if (!document) return;
  SetWaitCursor(true);
  TScopeExit cursor([] { SetWaitCursor(false); });
  document->PreparePrinting(true);
  TTxtEditPrint* print = document->Frame()->edtprntEditor;
  TPrintDialog* dialog = PrintDialog();
  const int pages = print->PageCount();
  dialog->SetMinPage(1);
  dialog->SetFromPage(1);
  dialog->SetMaxPage(pages);
  dialog->SetToPage(pages);
  TPrintDialogOptions options{poPageNums, poWarning};
  if (Editor()->SelAvail()) options << poSelection;
  dialog->SetOptions(options);
  dialog->SetPrintRange(prAllPages);
  SetWaitCursor(false);
  if (!dialog->Execute()) return;
  SetWaitCursor(true);
  print->SetSelectedOnly(dialog->PrintRange() == prSelection);
  if (dialog->PrintRange() == prPageNums)
    print->PrintRange(dialog->FromPage(), dialog->ToPage());
  else
    print->Print();
  print->SetSelectedOnly(false);
}

void TMainCommands::UndoExecute(TObject*) { Editor()->Undo(); }

void TMainCommands::RedoExecute(TObject*) { Editor()->Redo(); }

void TMainCommands::CutExecute(TObject*) { Editor()->CutToClipboard(); }

void TMainCommands::CopyExecute(TObject*) { Editor()->CopyToClipboard(); }

void TMainCommands::PasteExecute(TObject*) { Editor()->PasteFromClipboard(); }

void TMainCommands::CopyFilePathNameExecute(TObject*) {
  if (TDocument* document = Document()) Editor()->DoCopyToClipboard(WideToAnsi(document->FileName));
}

void TMainCommands::SelectAllExecute(TObject*) { Editor()->SelectAll(); }

void TMainCommands::PreviousExecute(TObject*) {
  LockUpdate(form_->HandleAllocated() ? form_->Handle() : nullptr);
  TScopeExit unlock([] { LockUpdate(nullptr); });
  form_->pglstMain->PrevPage();
}

void TMainCommands::NextExecute(TObject*) {
  LockUpdate(form_->HandleAllocated() ? form_->Handle() : nullptr);
  TScopeExit unlock([] { LockUpdate(nullptr); });
  form_->pglstMain->NextPage();
}

void TMainCommands::DateAndTimeExecute(TObject*) {
  Editor()->SetSelText(FormatDateTime(::Options->DateAndTimeFormat, Now()));
}

void TMainCommands::SelectLineExecute(TObject*) { SelectLine(Editor()); }

void TMainCommands::ApplyLine(AnsiString (*Fn)(std::string_view)) {
  LockUpdate(form_->HandleAllocated() ? form_->Handle() : nullptr);
  TScopeExit unlock([] { LockUpdate(nullptr); });
  ApplyLineFunction(Editor(), Fn);
}

void TMainCommands::TrimLeadingSpacesExecute(TObject*) { ApplyLine(TrimLeftLine); }

void TMainCommands::TrimTrailingSpacesExecute(TObject*) { ApplyLine(TrimRightLine); }

void TMainCommands::DeleteExcessSpacesExecute(TObject*) { ApplyLine(CollapseSpaces); }

void TMainCommands::JoinLinesExecute(TObject*) {
  SetWaitCursor(true);
  TScopeExit cursor([] { SetWaitCursor(false); });
  JoinLines(Editor());
}

void TMainCommands::DeleteLineExecute(TObject*) { Editor()->CommandProcessor(ecDeleteLine, 0, nullptr); }

void TMainCommands::MoveLineUpExecute(TObject*) { MoveLineUp(Editor()); }

void TMainCommands::MoveLineDownExecute(TObject*) { MoveLineDown(Editor()); }

void TMainCommands::BlockIndentExecute(TObject*) { Editor()->CommandProcessor(ecBlockIndent, 0, nullptr); }

void TMainCommands::BlockUnindentExecute(TObject*) { Editor()->CommandProcessor(ecBlockUnindent, 0, nullptr); }

void TMainCommands::SentenceCaseExecute(TObject*) { ApplyLine(SentenceCase); }

void TMainCommands::LowercaseExecute(TObject*) { ApplyLine(LowerCaseLine); }

void TMainCommands::UppercaseExecute(TObject*) { ApplyLine(UpperCaseLine); }

void TMainCommands::CapitalizeEachWordExecute(TObject*) { ApplyLine(CapitalizeWords); }

void TMainCommands::ToggleCaseExecute(TObject*) { ApplyLine(ToggleCase); }

void TMainCommands::LineBreakExecute(TObject* Sender) {
  Editor()->Lines()->SetLineBreakFormat(LineBreakOf(Sender));
  Editor()->SetModified(true);
}

void TMainCommands::ReadOnlyExecute(TObject*) {
  TTxtEdit* editor = form_->ActiveEditor();
  editor->SetReadOnly(!editor->ReadOnly());
  Document()->Item()->SetImageIndex(editor->ReadOnly() ? 0 : -1);
}

void TMainCommands::ToggleVisible(const AnsiString& Name) {
  if (TControl* control = NamedControl(Name)) control->SetVisible(!control->Visible());
}

void TMainCommands::MainToolbarExecute(TObject*) { ToggleVisible("tlbrStandard"); }

void TMainCommands::TabBarExecute(TObject*) { ToggleVisible("tlbrTabBar"); }

void TMainCommands::StatusBarExecute(TObject*) { ToggleVisible("stsbrMain"); }

void TMainCommands::LockTheToolbarsExecute(TObject*) {
  for (TSkinDock* dock : form_->ToolbarDocks()) dock->SetAllowDrag(!dock->AllowDrag());
  ::Options->LockTheToolbars = !::Options->LockTheToolbars;
}

void TMainCommands::WordWrapExecute(TObject*) { Editor()->SetWordWrap(!Editor()->WordWrap()); }

void TMainCommands::NonprintingExecute(TObject*) {
  SetEditorOption(Editor(), eoShowSpecialChars, !Editor()->Options().Contains(eoShowSpecialChars));
}

void TMainCommands::ChangeFontSize(int Size) {
  Editor()->Font()->SetSize(Size);
  Editor()->Gutter()->Font()->SetSize(Size - 2);
  Document()->PreparePrinting(false);
}

void TMainCommands::IncreaseExecute(TObject*) {
  Editor()->Gutter()->Font()->SetSize(Editor()->Gutter()->Font()->Size() + 1);
  Editor()->Font()->SetSize(Editor()->Font()->Size() + 1);
  Document()->PreparePrinting(false);
}

void TMainCommands::DecreaseExecute(TObject*) {
  Editor()->Gutter()->Font()->SetSize(Editor()->Gutter()->Font()->Size() - 1);
  Editor()->Font()->SetSize(Editor()->Font()->Size() - 1);
  Document()->PreparePrinting(false);
}

void TMainCommands::NormalExecute(TObject*) { ChangeFontSize(::Options->EditorFontSize); }

void TMainCommands::OnTheInternetExecute(TObject*) { ShellOpen(AnsiToWide(MakerWebAddress), L"", L""); }

void TMainCommands::FileExecute(TObject*) {
  TNSTextOpenDialog* dialog = form_->txtopndlgMain;
  if (!dialog->Execute() || !Document()) return;
  SetWaitCursor(true);
  TScopeExit cursor([] { SetWaitCursor(false); });
  for (int i = 0; i < dialog->Files()->Count(); ++i) {
    const WideString name = dialog->Files()->Strings(i);
    if (!FileExists(name)) continue;
    if (IsFileBlocked(name, 0)) {
      ShowMessageBox(FormatTranslated(WideText("sAccessToFileDenied"), "sAccessToFileDenied", {ExtractFileName(name)}),
                     MB_ICONERROR);
      continue;
    }
    TTxtEditStringList lines;
    LoadTextFile(&lines, name, static_cast<TTextEncoding>(dialog->EncodingIndex()));
    Editor()->SetSelText(lines.Text());
  }
}

void TMainCommands::ToggleBookmarkExecute(TObject* Sender) {
  Editor()->CommandProcessor(ecSetMarker0 + Of(Sender)->Tag(), 0, nullptr);
  Editor()->Invalidate();
}

void TMainCommands::GotoBookmarkExecute(TObject* Sender) {
  Editor()->CommandProcessor(ecGotoMarker0 + Of(Sender)->Tag(), 0, nullptr);
}

void TMainCommands::ClearBookmarksExecute(TObject*) {
  for (int i = 0; i <= 9; ++i) Editor()->ClearBookMark(i);
  Editor()->Invalidate();
}

void TMainCommands::FindExecute(TObject*) {
  if (form_->ActiveInEditView()) EnsureFindAndReplaceForm(*form_)->ShowOnPage(FindAndReplaceForm->tbshtFind);
}

void TMainCommands::FindNextExecute(TObject*) {
  if (FindAndReplaceForm) FindAndReplaceForm->Find(false, false);
}

void TMainCommands::FindPreviousExecute(TObject*) {
  if (FindAndReplaceForm) FindAndReplaceForm->Find(false, true);
}

void TMainCommands::ReplaceExecute(TObject*) {
  if (form_->ActiveInEditView()) EnsureFindAndReplaceForm(*form_)->ShowOnPage(FindAndReplaceForm->tbshtReplace);
}

void TMainCommands::GotoExecute(TObject*) {
  if (form_->ActiveInEditView()) EnsureFindAndReplaceForm(*form_)->ShowOnPage(FindAndReplaceForm->tbshtGoTo);
}

void TMainCommands::MatchBracketExecute(TObject*) { Editor()->CommandProcessor(ecMatchBracket, 0, nullptr); }

void TMainCommands::OpenLinkExecute(TObject*) {
  if (!Editor()) return;
  const AnsiString word = GetWordAtCaret(Editor());
  if (IsURL(word)) OpenLink(word);
}

void TMainCommands::CopyLinkAddressExecute(TObject*) {
  if (!Editor()) return;
  const AnsiString word = GetWordAtCaret(Editor());
  if (IsURL(word)) Editor()->DoCopyToClipboard(word);
}

// ---- caption, status bar, popups ----

void TMainCommands::AppIdle(TObject*, bool&) {
  UpdateCaption();
  UpdateStatusBar(false);
}

WideString TMainCommands::WindowCaption() const {
  TDocument* document = Document();
  return document ? WideFormat(L"%s \u2014 %s", document->GetDisplayName(true), productName) : productName;
}

WideString TMainCommands::ApplicationTitle() const {
  TDocument* document = Document();
  return document ? WideFormat(L"%s \u2014 %s", document->Item()->Caption(), productName) : productName;
}

void TMainCommands::ShowPanels() {
  TUiStatusBar* bar = form_->stsbrMain;
  if (!bar) return;
  for (int i = 0; i < 4 && i < bar->Panels()->Count(); ++i) {
    TUiStatusPanel* panel = bar->Panels()->Items(i);
    // The setters repaint: only what changed is handed over.
    if (panel->Caption() != Panels[i].Text) panel->SetCaption(Panels[i].Text);
    if (panel->Enabled() != Panels[i].Enabled) panel->SetEnabled(Panels[i].Enabled);
  }
}

void TMainCommands::UpdateCaption() {
  form_->SetCaption(WindowCaption());
  Application->SetTitle(ApplicationTitle());
  TScopeExit show([this] { ShowPanels(); });
  TDocument* document = Document();
  if (!document) {
    Panels[3].Text.clear();
    return;
  }
  auto* scheme = dynamic_cast<TTxtXmlHighlighter*>(document->GetHighlighter());
  if (!scheme || scheme == Highlighters->Plain() || scheme->FileName.empty()) {
    Panels[3].Text = WideText("sNoHighlighting");
  } else {
    // Idle passes ask again and again; the scheme file is read only when the scheme changes.
    if (scheme->FileName != schemeFile_) {
      schemeFile_ = scheme->FileName;
      schemeName_ = AnsiToWide(EscapeAmpersands(Highlighters->ReadInfo(scheme->FileName, "Name"), true));
    }
    Panels[3].Text = schemeName_;
  }
}

void TMainCommands::UpdateStatusBar(bool Focus) {
  TScopeExit show([this] { ShowPanels(); });
  TDocument* document = Document();
  if (!document) {
    for (TStatusPanelState& panel : Panels) panel = TStatusPanelState();
    return;
  }
  if (document->IsPrintPreview()) {
    for (int i = 0; i < 3; ++i) Panels[i] = TStatusPanelState();
    Panels[3].Enabled = true;
    if (Focus && form_->pglstMain->Visible() && document->Frame()->edtprntprvwDocument->CanFocus())
      document->Frame()->edtprntprvwDocument->SetFocus();
    return;
  }
  for (TStatusPanelState& panel : Panels) panel.Enabled = true;
  TTxtEdit* editor = form_->ActiveEditor();
  if (Focus && form_->StartupDone && editor->CanFocus()) editor->SetFocus();
  // While the dialog is away, its searches start from where the user left the selection.
  if (FindAndReplaceForm && !FindAndReplaceForm->Visible() && !FindAndReplaceForm->Busy())
    FindAndReplaceForm->SavedCaret = editor->BlockBegin();
  Panels[0].Text = FormatTranslated(WideText("sLineColumn"), "sLineColumn", {editor->CaretY(), editor->CaretX()});
  const int c = std::max(CharAtCaret(editor), 0);
  Panels[1].Text = WideFormat(L"%d (0x%x)", c, c);
  Panels[2].Text = WideText(editor->InsertMode() ? "sInsert" : "sOvertype");
}

void TMainCommands::PanelClick(int Index) {
  if (Index < 0 || Index > 3 || !Panels[Index].Enabled) return;
  if (Index == 0) {
    if (TAction* go = Action("actnGoto")) go->Execute();
  } else if (Index == 1 && form_->ActiveInEditView()) {
    // The character map opens on the character at the caret.
    const int code = CharAtCaret(form_->ActiveEditor());
    ShowCharacterDialog(*form_, code >= 32 && code <= 255 ? code : 0);
  } else if (Index == 2 && form_->ActiveInEditView()) {
    form_->ActiveEditor()->SetInsertMode(!form_->ActiveEditor()->InsertMode());
    UpdateStatusBar(false);
  }
}

void TMainCommands::UpdateBookmarkCaptions() {
  // The print preview keeps the document's editor and its marks: the names stay.
  TCustomTxtEdit* editor = Editor();
  for (int i = 0; i <= 9; ++i) {
    TAction* action = Action("actnGotoBookmark" + std::to_string(i));
    if (!action) continue;
    int x = 0, y = 0;
    const bool set = editor && editor->GetBookMark(i, x, y);
    const AnsiString line = set && y >= 1 && y <= editor->Lines()->Count() ? editor->Lines()->Strings(y - 1) : "";
    action->SetCaption(AnsiToWide(BookmarkCaption(i, set, line, WideToAnsi(action->Caption()))));
  }
}

void TMainCommands::UpdateEditorPopup() {
  const bool link = form_->ActiveInEditView() && IsURL(GetWordAtCaret(Editor()));
  if (TAction* open = Action("actnOpenLink")) open->SetVisible(link);
  if (TAction* copy = Action("actnCopyLinkAddress")) copy->SetVisible(link);
}

// ---- dialogs ----

void TMainCommands::PageSetupExecute(TObject*) {
  // The margins live in the options: written at once, not only at exit.
  if (ExecutePageSetupDialog(Document())) form_->SaveSettings();
}

void TMainCommands::SortExecute(TObject*) {
  if (form_->CanEditActive()) ExecuteSortDialog(*Document(), form_->SettingsStorage());
}

void TMainCommands::LinesProcessingExecute(TObject*) {
  if (form_->CanEditActive()) ExecuteLinesProcessingDialog(*Document(), form_->SettingsStorage());
}

void TMainCommands::StatisticsExecute(TObject*) {
  if (form_->HasActiveDocument()) ExecuteStatisticsDialog(*Document());
}

void TMainCommands::OtherCharactersExecute(TObject*) { ShowCharacterDialog(*form_); }

void TMainCommands::PreferencesExecute(TObject*) { ExecutePreferencesDialog(form_); }

TSkinCustomizer* TMainCommands::Customizer() const {
  return dynamic_cast<TSkinCustomizer*>(form_->FindComponent("cstmzrMain"));
}

void TMainCommands::CustomizeExecute(TObject*) { ShowCustomizeDialog(Customizer()); }

void TMainCommands::AboutExecute(TObject*) { ExecuteAboutDialog(); }
