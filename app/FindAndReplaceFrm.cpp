// The find and replace dialog over the active document's editor.
#include "app/FindAndReplaceFrm.h"

#include "app/AppControls.h"
#include "app/DocumentHost.h"
#include "app/TextRoutines.h"
#include "app/WindowRoutines.h"
#include "controls/ApPageList.h"
#include "editor/TxtEditSearch.h"
#include "foundation/ApAppIniStorage.h"
#include "foundation/ApFormPlacement.h"
#include "foundation/ApStrHolder.h"
#include "foundation/LgLanguage.h"
#include "framework/Actions.h"
#include "framework/Application.h"
#include "framework/CodePages.h"
#include "framework/ComCtrls.h"
#include "framework/ExtCtrls.h"
#include "framework/Format.h"
#include "framework/ListControls.h"
#include "framework/Messages.h"
#include "framework/ScopeGuards.h"
#include "framework/StdCtrls.h"
#include "themes/SkinControls.h"

TFindAndReplaceForm* FindAndReplaceForm = nullptr;

HV_PUBLISH(TFindAndReplaceForm) {
  p.Method("FormCreate", &T::FormCreate);
  p.Method("FormShow", &T::FormShow);
  p.Method("FormActivate", &T::FormActivate);
  p.Method("pgcntrlFindAndReplaceChange", &T::pgcntrlFindAndReplaceChange);
  p.Method("cmbxFindWhatChange", &T::cmbxFindWhatChange);
  p.Method("rdbtnLineClick", &T::rdbtnLineClick);
  p.Method("actnFindNextExecute", &T::actnFindNextExecute);
  p.Method("actnReplaceExecute", &T::actnReplaceExecute);
  p.Method("actnGoExecute", &T::actnGoExecute);
  p.Method("actnMoreLessExecute", &T::actnMoreLessExecute);
  p.Method("actnCloseExecute", &T::actnCloseExecute);
  p.Method("actnFindNextUpdate", &T::actnFindNextUpdate);
  p.Method("actnGoUpdate", &T::actnGoUpdate);
  p.Method("actnMoreLessUpdate", &T::actnMoreLessUpdate);
  p.Method("lngcntrlrFindAndReplaceLanguageChanged", &T::lngcntrlrFindAndReplaceLanguageChanged);
  p.ComponentField("pgcntrlFindAndReplace", &T::pgcntrlFindAndReplace);
  p.ComponentField("tbshtFind", &T::tbshtFind);
  p.ComponentField("tbshtReplace", &T::tbshtReplace);
  p.ComponentField("tbshtGoTo", &T::tbshtGoTo);
  p.ComponentField("pnlFindWhat", &T::pnlFindWhat);
  p.ComponentField("lblFindWhat", &T::lblFindWhat);
  p.ComponentField("cmbxFindWhat", &T::cmbxFindWhat);
  p.ComponentField("lblFindWhatResult", &T::lblFindWhatResult);
  p.ComponentField("pnlReplaceWith", &T::pnlReplaceWith);
  p.ComponentField("lblReplaceWith", &T::lblReplaceWith);
  p.ComponentField("cmbxReplaceWith", &T::cmbxReplaceWith);
  p.ComponentField("pnlSearchParameters", &T::pnlSearchParameters);
  p.ComponentField("lblSearchParameters", &T::lblSearchParameters);
  p.ComponentField("chckbxMatchCase", &T::chckbxMatchCase);
  p.ComponentField("chckbxWholeWordsOnly", &T::chckbxWholeWordsOnly);
  p.ComponentField("chckbxRegularExpressions", &T::chckbxRegularExpressions);
  p.ComponentField("rdbtnSearchDown", &T::rdbtnSearchDown);
  p.ComponentField("rdbtnSearchUp", &T::rdbtnSearchUp);
  p.ComponentField("pnlButtons", &T::pnlButtons);
  p.ComponentField("pglstFindAndReplace", &T::pglstFindAndReplace);
  p.ComponentField("stndrdpgReplace", &T::stndrdpgReplace);
  p.ComponentField("stndrdpgGoto", &T::stndrdpgGoto);
  p.ComponentField("btnReplaceAll", &T::btnReplaceAll);
  p.ComponentField("btnReplace", &T::btnReplace);
  p.ComponentField("btnFindNext", &T::btnFindNext);
  p.ComponentField("btnGo", &T::btnGo);
  p.ComponentField("btnClose", &T::btnClose);
  p.ComponentField("btnMoreLess", &T::btnMoreLess);
  p.ComponentField("lblNumber", &T::lblNumber);
  p.ComponentField("cmbxNumber", &T::cmbxNumber);
  p.ComponentField("pnlGoToObject", &T::pnlGoToObject);
  p.ComponentField("lblGoToObject", &T::lblGoToObject);
  p.ComponentField("rdbtnLine", &T::rdbtnLine);
  p.ComponentField("rdbtnColumn", &T::rdbtnColumn);
  p.ComponentField("actnlstFindAndReplace", &T::actnlstFindAndReplace);
  p.ComponentField("actnFindNext", &T::actnFindNext);
  p.ComponentField("actnReplace", &T::actnReplace);
  p.ComponentField("actnReplaceAll", &T::actnReplaceAll);
  p.ComponentField("actnGo", &T::actnGo);
  p.ComponentField("actnClose", &T::actnClose);
  p.ComponentField("actnMoreLess", &T::actnMoreLess);
  p.ComponentField("edtsrchFindAndReplace", &T::edtsrchFindAndReplace);
  p.ComponentField("edtrgxsrchFindAndReplace", &T::edtrgxsrchFindAndReplace);
  p.ComponentField("frmstrgFindAndReplace", &T::frmstrgFindAndReplace);
  p.ComponentField("mltstrnghldrFindAndReplace", &T::mltstrnghldrFindAndReplace);
  p.ComponentField("lngcntrlrFindAndReplace", &T::lngcntrlrFindAndReplace);
}

namespace {

// Above every other panel of a page: the alignment puts a panel with this top last.
constexpr int lastTop = 10000;

// Gives the control the focus when it can take it (the form is shown), else leaves it as is.
void Focus(TCustomForm* Form, TWinControl* Control) {
  if (Form->Visible() && Control->CanFocus()) Form->SetActiveControl(Control);
}

// A history list of a file may hold more than the dialog keeps.
void TrimHistory(TStringsW* Items) {
  while (Items->Count() > FindHistoryCount) Items->Delete(Items->Count() - 1);
}

}  // namespace

TFindAndReplaceForm::TFindAndReplaceForm(TComponent* AOwner, TDocumentHost* Host) : TForm(AOwner), host_(Host) {}

void TFindAndReplaceForm::CreateParams(TCreateParams& Params) {
  TForm::CreateParams(Params);
  if (HWND main = host_ ? host_->WindowHandle() : nullptr) Params.WndParent = main;
}

TFindAndReplaceForm::~TFindAndReplaceForm() {
  if (FindAndReplaceForm == this) FindAndReplaceForm = nullptr;
}

AnsiString TFindAndReplaceForm::Text(const AnsiString& Name) const {
  return GetHolderString(mltstrnghldrFindAndReplace, Name);
}

WideString TFindAndReplaceForm::WideText(const AnsiString& Name) const {
  return GetHolderText(mltstrnghldrFindAndReplace, Name);
}

bool TFindAndReplaceForm::ActiveInEditView() const { return host_ && host_->ActiveInEditView(); }

TTxtEdit* TFindAndReplaceForm::Editor() const { return host_ ? host_->ActiveEditor() : nullptr; }

TFindSettings TFindAndReplaceForm::Settings() const {
  TFindSettings s;
  s.MatchCase = chckbxMatchCase->Checked();
  s.WholeWords = chckbxWholeWordsOnly->Checked();
  s.RegularExpressions = chckbxRegularExpressions->Checked();
  s.SearchUp = rdbtnSearchUp->Checked();
  return s;
}

AnsiString TFindAndReplaceForm::FindText() const { return WideToAnsi(cmbxFindWhat->Text()); }

bool TFindAndReplaceForm::HeldFindText(AnsiString& Text) const {
  bool lossy = false;
  Text = WideToAnsiChecked(cmbxFindWhat->Text(), lossy);
  return !lossy;
}

void TFindAndReplaceForm::FormCreate(TObject*) {
  search_ = std::make_unique<TFindAndReplace>(edtsrchFindAndReplace, edtrgxsrchFindAndReplace);
  // The histories and choices live in the main window's settings.
  if (host_) frmstrgFindAndReplace->SetAppStorage(host_->SettingsStorage());
  for (TComboBox* combo : {cmbxFindWhat, cmbxReplaceWith, cmbxNumber})
    frmstrgFindAndReplace->LimitStoredList(combo, "Items", FindHistoryCount);
  FitResultLine();
  SetResult(-1);
  UpdateNumberLabel();
}

void TFindAndReplaceForm::FitResultLine() {
  // A bad expression is told with the engine's text after the dialog's words: longer than one
  // line of the label in every language. The label wraps and takes the height of its text; the
  // find panel (and with it the dialog) gets room for two lines, so that nothing below moves
  // while the user types.
  const int twoLines = 2 * TextLineHeight(lblFindWhatResult->Font());
  const int grow = lblFindWhatResult->Top() + twoLines + 3 - pnlFindWhat->Height();
  if (grow <= 0) return;
  pnlFindWhat->SetHeight(pnlFindWhat->Height() + grow);
  pgcntrlFindAndReplace->SetHeight(pgcntrlFindAndReplace->Height() + grow);
  SetClientHeight(ClientHeight() + grow);
}

void TFindAndReplaceForm::FormShow(TObject*) {
  SetResult(-1);
  // The stored state came in through the form storage just before.
  for (TComboBox* combo : {cmbxFindWhat, cmbxReplaceWith, cmbxNumber}) TrimHistory(combo->Items());
  const bool more = pnlSearchParameters->Visible();
  pnlSearchParameters->SetVisible(moreShown_);
  ShowMore(more);
  if (!ActiveInEditView()) return;
  TTxtEdit* editor = Editor();
  AnsiString text = editor->SelAvail() ? editor->SelText() : editor->WordAtCursor();
  // The box holds one line; a search never matches across lines.
  text = text.substr(0, text.find_first_of("\r\n"));
  TTempValue setting(settingText_, true);
  cmbxFindWhat->SetText(AnsiToWide(text));
}

void TFindAndReplaceForm::FormActivate(TObject*) {
  pgcntrlFindAndReplaceChange(this);
  UpdateNumberLabel();
  if (ActiveInEditView()) SavedCaret = Editor()->CaretXY();
}

void TFindAndReplaceForm::ShowOnPage(TTabSheet* Page) {
  pgcntrlFindAndReplace->SetActivePage(Page);
  pgcntrlFindAndReplaceChange(this);
  Show();
  if (HandleAllocated()) SetForegroundWindow(Handle());
}

void TFindAndReplaceForm::pgcntrlFindAndReplaceChange(TObject*) {
  TTabSheet* page = pgcntrlFindAndReplace->ActivePage();
  if (!page) return;
  {
    page->DisableAlign();
    TScopeExit enable([page] { page->EnableAlign(); });
    const bool replace = page == tbshtReplace;
    if (page == tbshtGoTo) {
      pglstFindAndReplace->SetActivePage(stndrdpgGoto);
      btnFindNext->SetDefault(false);
      btnReplace->SetDefault(false);
      btnGo->SetDefault(true);
    } else {
      actnReplace->SetVisible(replace);
      actnReplaceAll->SetVisible(replace);
      pnlFindWhat->SetParent(page);
      pnlSearchParameters->SetParent(page);
      // The page aligns them by these tops: the find box first, then the replace box, then
      // the parameters.
      pnlFindWhat->SetTop(-2);
      if (replace) pnlReplaceWith->SetTop(-1);
      pnlSearchParameters->SetTop(lastTop);
      pglstFindAndReplace->SetActivePage(stndrdpgReplace);
      btnGo->SetDefault(false);
      btnFindNext->SetDefault(!replace);
      btnReplace->SetDefault(replace);
    }
    pnlButtons->SetParent(page);
    pnlFindWhat->SetTabOrder(0);
    pnlReplaceWith->SetTabOrder(1);
    pnlButtons->SetTabOrder(2);
    pnlSearchParameters->SetTabOrder(3);
    pnlGoToObject->SetTabOrder(4);
  }
  Focus(this, page == tbshtGoTo ? cmbxNumber : cmbxFindWhat);
}

void TFindAndReplaceForm::ShowMore(bool Show) {
  if (Show != moreShown_) {
    moreShown_ = Show;
    const int delta = Show ? pnlSearchParameters->Height() : -pnlSearchParameters->Height();
    if (!Show) pnlSearchParameters->SetVisible(false);
    SetClientHeight(ClientHeight() + delta);
    pgcntrlFindAndReplace->SetHeight(pgcntrlFindAndReplace->Height() + delta);
    pnlSearchParameters->SetTop(lastTop);
  }
  pnlSearchParameters->SetVisible(Show);
  pnlGoToObject->SetVisible(Show);
}

WideString TFindAndReplaceForm::ResultText(int Result) const {
  // A replace-all that stopped changed nothing: that comes first, where the label shows it.
  const WideString nothing = replaceAll_ ? WideText("sNothingReplaced") + L" " : WideString();
  switch (Result) {
    case frReachedEnd: return WideText("sReachedEnd");
    case frNotFound: return WideText("sStringNotFound");
    case frTooComplex: return nothing + WideText("sTooComplex");
    case frOutOfMemory: return nothing + WideText("sOutOfMemory");
    case frBadExpression:
      return nothing +
             FormatHolderText(mltstrnghldrFindAndReplace, "sBadExpression", {search_ ? search_->ErrorText() : L""});
    default: return WideString();
  }
}

void TFindAndReplaceForm::SetResult(int Result) {
  TTxtEdit* editor = Result == frNone ? nullptr : Editor();
  if (editor != resultEditor_) {
    if (resultEditor_) resultEditor_->RemoveFreeNotification(this);
    resultEditor_ = editor;
    if (editor) editor->FreeNotification(this);
  }
  ShowResult(Result);
}

void TFindAndReplaceForm::FollowActiveDocument() {
  if (result_ != frNone && Editor() != resultEditor_) SetResult(frNone);
}

void TFindAndReplaceForm::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == resultEditor_) resultEditor_ = nullptr;
}

void TFindAndReplaceForm::ShowResult(int Result) {
  result_ = Result;
  // A search that could not answer shows the image of one that found nothing.
  lblFindWhatResult->SetImageIndex(Result > frNotFound ? frNotFound : Result);
  const WideString text = ResultText(Result);
  lblFindWhatResult->SetCaption(text);
  // A long text (a replace-all's stop) may not fit the label: the whole of it shows as its hint.
  lblFindWhatResult->SetHint(text);
  lblFindWhatResult->SetShowHint(!text.empty());
}

void TFindAndReplaceForm::Report(TFindResult Result, bool Quietly) {
  SetResult(Result);
  // A command the user gave is told why it stopped where the user looks, once; a search as the
  // user types only says so in the label.
  if (!Quietly && Result >= frTooComplex) ShowMessageBox(ResultText(Result), MB_ICONERROR);
}

void TFindAndReplaceForm::UpdateNumberLabel() {
  lblNumber->SetCaption(
      FormatHolderText(mltstrnghldrFindAndReplace, "sNumber", {WideText(rdbtnLine->Checked() ? "sLine" : "sColumn")}));
}

void TFindAndReplaceForm::AddHistory(TComboBox* Combo, const WideString& Entry) {
  if (Entry.empty()) return;
  const int start = Combo->SelStart(), length = Combo->SelLength();
  TTempValue setting(settingText_, true);
  AddToHistory(Combo->Items(), Entry, FindHistoryCount);
  Combo->SetItemIndex(0);
  Combo->SetSelStart(start);
  Combo->SetSelLength(length);
}

void TFindAndReplaceForm::Find(bool Incremental, bool Backwards) {
  SetResult(-1);
  // The box and its history keep what was typed, also what the document's code page cannot hold.
  if (!Incremental) AddHistory(cmbxFindWhat, cmbxFindWhat->Text());
  if (!ActiveInEditView()) return;
  TFindSettings settings = Settings();
  settings.SearchUp = Backwards;
  replaceAll_ = false;
  TFindResult result;
  {
    SetTag(1);
    TScopeExit idle([this] { SetTag(0); });
    AnsiString text;
    result = HeldFindText(text) ? search_->Find(Editor(), text, settings, Incremental, SavedCaret)
                                : search_->Absent(Editor(), SavedCaret);
  }
  Report(result, Incremental);
}

void TFindAndReplaceForm::Replace(bool All) {
  SetResult(-1);
  AnsiString text;
  const bool held = HeldFindText(text);
  const AnsiString with = WideToAnsi(cmbxReplaceWith->Text());
  AddHistory(cmbxFindWhat, cmbxFindWhat->Text());
  AddHistory(cmbxReplaceWith, cmbxReplaceWith->Text());
  if (!ActiveInEditView()) return;
  TFindResult result;
  {
    SetTag(1);
    SetWaitCursor(true);
    TScopeExit idle([this] {
      SetTag(0);
      SetWaitCursor(false);
    });
    result = held ? search_->Replace(Editor(), text, with, Settings(), All) : frNotFound;
  }
  replaceAll_ = All;
  Report(result, false);
}

void TFindAndReplaceForm::Go() {
  const int n = ExtractInteger(WideToAnsi(cmbxNumber->Text()));
  AddHistory(cmbxNumber, std::to_wstring(n));
  if (ActiveInEditView()) TFindAndReplace::Go(Editor(), n, rdbtnLine->Checked());
}

void TFindAndReplaceForm::cmbxFindWhatChange(TObject*) {
  if (settingText_ || !ActiveInEditView()) return;
  Find(true, rdbtnSearchUp->Checked());
}

void TFindAndReplaceForm::rdbtnLineClick(TObject*) { UpdateNumberLabel(); }

void TFindAndReplaceForm::actnFindNextExecute(TObject*) { Find(false, rdbtnSearchUp->Checked()); }

void TFindAndReplaceForm::actnReplaceExecute(TObject* Sender) { Replace(Sender == actnReplaceAll); }

void TFindAndReplaceForm::actnGoExecute(TObject*) { Go(); }

void TFindAndReplaceForm::actnMoreLessExecute(TObject*) { ShowMore(!moreShown_); }

void TFindAndReplaceForm::actnCloseExecute(TObject*) { Close(); }

void TFindAndReplaceForm::actnFindNextUpdate(TObject* Sender) {
  // The update runs as the active document changes: the result line follows it.
  FollowActiveDocument();
  if (auto* action = dynamic_cast<TAction*>(Sender))
    action->SetEnabled(ActiveInEditView() && !cmbxFindWhat->Text().empty());
}

void TFindAndReplaceForm::actnGoUpdate(TObject* Sender) {
  const int n = ExtractInteger(WideToAnsi(cmbxNumber->Text()));
  if (auto* action = dynamic_cast<TAction*>(Sender))
    action->SetEnabled(ActiveInEditView() && n >= 1 && n <= Editor()->Lines()->Count());
}

void TFindAndReplaceForm::actnMoreLessUpdate(TObject* Sender) {
  if (auto* action = dynamic_cast<TAction*>(Sender))
    action->SetCaption(moreShown_ ? L"<< " + WideText("sLess") : WideText("sMore") + L" >>");
}

void TFindAndReplaceForm::lngcntrlrFindAndReplaceLanguageChanged(TLgLanguageController*) {
  ShowResult(result_);
  UpdateNumberLabel();
}

bool TFindAndReplaceForm::EnterIn(TWinControl* Control) {
  auto* combo = dynamic_cast<TComboBox*>(Control);
  if (!combo || combo->DroppedDown() || !ActiveInEditView()) return false;
  if (combo == cmbxFindWhat) {
    Find(false, rdbtnSearchUp->Checked());
  } else if (combo == cmbxReplaceWith) {
    Replace(false);
  } else if (combo == cmbxNumber) {
    Go();
  } else {
    return false;
  }
  return true;
}

void TFindAndReplaceForm::Dispatch(TMessage& Message) {
  // Enter in a box runs that box's command, whatever button is the default one.
  if (Message.Msg == CM_CHILDKEY && Message.WParam == VK_RETURN &&
      EnterIn(reinterpret_cast<TWinControl*>(Message.LParam))) {
    Message.Result = 1;
    return;
  }
  inherited::Dispatch(Message);
}

TFindAndReplaceForm* EnsureFindAndReplaceForm(TDocumentHost& Host) {
  if (!FindAndReplaceForm) FindAndReplaceForm = New<TFindAndReplaceForm>(Application, &Host);
  return FindAndReplaceForm;
}

void FreeFindAndReplaceForm() {
  TFindAndReplaceForm* form = FindAndReplaceForm;
  FindAndReplaceForm = nullptr;
  Free(form);
}

void KeepFindAndReplaceFormInFront() {
  TFindAndReplaceForm* form = FindAndReplaceForm;
  if (!form || !form->HandleAllocated() || !IsWindowVisible(form->Handle())) return;
  form->FollowActiveDocument();
  HWND dialog = form->Handle(), owner = GetWindow(dialog, GW_OWNER);
  // A modal box or dialog (which disables the windows behind it) stays in front, and so does
  // another program.
  const HWND foreground = GetForegroundWindow();
  if (!owner || !IsWindowEnabled(owner) || !IsWindowEnabled(dialog) ||
      (foreground != owner && GetWindow(foreground, GW_OWNER) != owner))
    return;
  // The window system may show the main window over the dialog when it activates it or when the
  // focus moves inside it, while the windows' order still has the dialog on top, where a move to
  // the top changes nothing. So the dialog steps behind its owner first and then to the top,
  // without taking the activation.
  const UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
  SetWindowPos(dialog, owner, 0, 0, 0, 0, flags);
  SetWindowPos(dialog, HWND_TOP, 0, 0, 0, 0, flags);
}
