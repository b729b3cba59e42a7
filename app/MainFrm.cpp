// The main window of the editor: its documents, their tabs and the ways files reach it.
#include "app/MainFrm.h"

#include <shellapi.h>

#include "app/DocumentFrm.h"
#include "app/DocumentTabs.h"
#include "app/FindAndReplaceFrm.h"
#include "app/Documents.h"
#include "app/Global.h"
#include "app/SchemeCatalogue.h"
#include "app/NSTextDialogs.h"
#include "app/CharPalette.h"
#include "app/Startup.h"
#include "app/UpdateCheck.h"
#include "app/Options.h"
#include "app/TextFileOpening.h"
#include "app/FilePaths.h"
#include "app/TextRoutines.h"
#include "app/WindowRoutines.h"
#include "controls/ApPageList.h"
#include "foundation/ApStrHolder.h"
#include "foundation/LgLanguage.h"
#include "framework/Actions.h"
#include "framework/Application.h"
#include "framework/CodePages.h"
#include "framework/DateTime.h"
#include "framework/FileRoutines.h"
#include "framework/Format.h"
#include "framework/IniFiles.h"
#include "framework/Mnemonics.h"
#include "framework/Printers.h"
#include "framework/ScopeGuards.h"
#include "framework/StrRoutines.h"
#include "themes/SkinToolbar.h"
#include "themes/UiExtItems.h"
#include "foundation/ApAppIniStorage.h"
#include "foundation/ApFormPlacement.h"
#include "themes/SkinCustomizer.h"
#include "themes/UiStatusBars.h"

TMainForm* MainForm = nullptr;

HV_PUBLISH(TMainForm) {
  p.Method("FormCreate", &T::FormCreate);
  p.Method("FormShow", &T::FormShow);
  p.Method("FormDestroy", &T::FormDestroy);
  p.Method("aplctnevntsMainException", &T::aplctnevntsMainException);
  p.Method("tlbrStandardDockChanging", &T::tlbrStandardDockChanging);
  p.Method("tlbrStandardDockChanged", &T::tlbrStandardDockChanged);
  p.Method("tlbrTabBarMouseDown", &T::tlbrTabBarMouseDown);
  p.Method("tlbrTabBarMouseUp", &T::tlbrTabBarMouseUp);
  p.Method("dckTabBarDrawBackground", &T::dckTabBarDrawBackground);
  p.Method("stsbrMainMouseUp", &T::stsbrMainMouseUp);
  p.Method("pmnEditorPopup", &T::pmnEditorPopup);
  p.Method("pmnTabBarPopup", &T::pmnTabBarPopup);
  p.Method("smnitmRecentDocumentsClick", &T::smnitmRecentDocumentsClick);
  p.Method("smnitmCharacterClick", &T::smnitmCharacterClick);
  p.Method("smnitmGotoBookmarksClick", &T::smnitmGotoBookmarksClick);
  p.Method("BuildHighlighterMenu", &T::BuildHighlighterMenuClick);
  p.Method("mrlstMainClick", &T::mrlstMainClick);
  p.Method("appinstncsMainCmdLineReceived", &T::appinstncsMainCmdLineReceived);
  p.ComponentField("dckTop", &T::dckTop);
  p.ComponentField("dckLeft", &T::dckLeft);
  p.ComponentField("dckRight", &T::dckRight);
  p.ComponentField("dckBottom", &T::dckBottom);
  p.ComponentField("dckTabBar", &T::dckTabBar);
  p.ComponentField("tlbrTabBar", &T::tlbrTabBar);
  p.ComponentField("tlbrMainMenu", &T::tlbrMainMenu);
  p.ComponentField("tlbrStandard", &T::tlbrStandard);
  p.ComponentField("stsbrMain", &T::stsbrMain);
  p.ComponentField("pmnEditor", &T::pmnEditor);
  p.ComponentField("pmnGutter", &T::pmnGutter);
  p.ComponentField("pmnTabBar", &T::pmnTabBar);
  p.ComponentField("pmnSyntaxHighlighting", &T::pmnSyntaxHighlighting);
  p.ComponentField("smnitmSyntaxHighlighting", &T::smnitmSyntaxHighlighting);
  p.ComponentField("smnitmRecentDocuments", &T::smnitmRecentDocuments);
  p.ComponentField("mrlstitmMain", &T::mrlstitmMain);
  p.ComponentField("bmnitmEmpty", &T::bmnitmEmpty);
  p.ComponentField("mnitmSave1", &T::mnitmSave1);
  p.ComponentField("mnitmClose1", &T::mnitmClose1);
  p.ComponentField("mnitmSaveAs1", &T::mnitmSaveAs1);
  p.ComponentField("mrlstMain", &T::mrlstMain);
  p.ComponentField("cstmzrMain", &T::cstmzrMain);
  p.ComponentField("apinflstrgMain", &T::apinflstrgMain);
  p.ComponentField("frmstrgMain", &T::frmstrgMain);
  p.ComponentField("aplctnevntsMain", &T::aplctnevntsMain);
  p.ComponentField("actnExit", &T::actnExit);
  p.ComponentField("actnCheckForUpdates", &T::actnCheckForUpdates);
  p.Method("pglstMainChange", &T::pglstMainChange);
  p.Method("txtopndlgMainBeforeExecute", &T::txtopndlgMainBeforeExecute);
  p.Method("FormCloseQuery", &T::FormCloseQuery);
  p.ComponentField("actnPrintPreview", &T::actnPrintPreview);
  p.ComponentField("lngcntrlrMain", &T::lngcntrlrMain);
  p.Method("lngcntrlrMainLanguageChanged", &T::lngcntrlrMainLanguageChanged);
  p.ComponentField("mltstrnghldrMain", &T::mltstrnghldrMain);
  p.ComponentField("pglstMain", &T::pglstMain);
  p.ComponentField("txtopndlgMain", &T::txtopndlgMain);
  p.ComponentField("txtsvdlgMain", &T::txtsvdlgMain);
  p.ComponentField("actnlstMain", &T::actnlstMain);
  p.ComponentField("actnOpen", &T::actnOpen);
  p.ComponentField("actnCreateNew", &T::actnNew);
}

namespace {

constexpr int maxFilesPos = 30;
const char* const filesPosSection = "FilesPos";

// Splits "name|line|column" into its three parts; false for any other shape.
bool SplitFilesPos(const WideString& Entry, WideString& Name, WideString& Line, WideString& Column) {
  const size_t first = Entry.find(L'|');
  if (first == WideString::npos) return false;
  const size_t second = Entry.find(L'|', first + 1);
  if (second == WideString::npos || Entry.find(L'|', second + 1) != WideString::npos) return false;
  Name = Entry.substr(0, first);
  Line = Entry.substr(first + 1, second - first - 1);
  Column = Entry.substr(second + 1);
  return true;
}

int NumberOrZero(const WideString& Text) {
  try {
    size_t used = 0;
    const int value = std::stoi(Text, &used);
    return used == Text.size() ? value : 0;
  } catch (const std::exception&) {
    return 0;
  }
}

bool IsReadOnlyFile(const WideString& Name) {
  const DWORD attributes = GetFileAttributesW(Name.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

}  // namespace

std::vector<WideString> CommandLineFiles() {
  std::vector<WideString> files;
  int count = 0;
  LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!args) return files;
  for (int i = 1; i < count; ++i) files.emplace_back(args[i]);
  LocalFree(args);
  return files;
}

bool& TMainForm::RecordingTexts() {
  static bool recording = false;
  return recording;
}

std::vector<WideString>& TMainForm::StartupFiles() {
  static std::vector<WideString> files;
  return files;
}

bool& TMainForm::HoldStartupWarnings() {
  static bool hold = false;
  return hold;
}

void TMainForm::ShowStartupWarnings() {
  if (!MessageBoxesHeld()) return;
  HoldMessageBoxes(false);
  ShowHeldMessageBoxes();
}

WideString& TMainForm::FilesPosFile() {
  static WideString file;
  return file;
}

WideString& TMainForm::ToolbarsFile() {
  static WideString file;
  return file;
}

TMainForm::TMainForm(TComponent* AOwner) : TForm(AOwner), filesPos_(std::make_unique<TStringListW>()) {}

TMainForm::~TMainForm() {
  if (MainForm == this) MainForm = nullptr;
}

void TMainForm::BeforeDestruction() {
  closing_ = true;
  // The form's OnDestroy runs the placement's save, then FormDestroy; a window whose form file
  // did not bind it still saves.
  TForm::BeforeDestruction();
  FormDestroy(this);
  if (DocumentList)
    for (int i = DocumentList->Count() - 1; i >= 0; --i)
      if (DocumentList->Documents(i)->Page()->Owner() == this) DocumentList->Items().Remove(DocumentList->Documents(i));
  delete newTabButton_;
  newTabButton_ = nullptr;
}

void TMainForm::CreateWnd() {
  TForm::CreateWnd();
  DragAcceptFiles(Handle(), TRUE);
}

void TMainForm::WndProc(TMessage& Message) {
  if (Message.Msg == UM_STARTUPWARNINGS) {
    ShowStartupWarnings();
    return;
  }
  if (Message.Msg == UM_FINDDIALOGINFRONT) {
    KeepFindAndReplaceFormInFront();
    return;
  }
  if (Message.Msg == UM_SETTINGSNOTICES) {
    TellSettingsFileNotices();
    return;
  }
  if (Message.Msg != WM_DROPFILES) {
    TForm::WndProc(Message);
    // The find dialog comes back in front of the window once the activation or the move of the
    // focus inside it is through (another document, one opened or closed): the window system
    // may raise the window over it at either.
    if ((Message.Msg == WM_ACTIVATE && LOWORD(Message.WParam) != WA_INACTIVE) || Message.Msg == CM_FOCUSCHANGED)
      PostMessageW(Handle(), UM_FINDDIALOGINFRONT, 0, 0);
    return;
  }
  const std::vector<WideString> dropped = DroppedFiles(reinterpret_cast<HDROP>(Message.WParam));
  Message.Result = 0;
  OpenFiles(dropped, ::Options ? ::Options->Encoding : teAutoSelect);
}

std::vector<WideString> TMainForm::DroppedFiles(HDROP Drop) {
  std::vector<WideString> files;
  const UINT count = DragQueryFileW(Drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileW(Drop, i, nullptr, 0);
    WideString name(length + 1, L'\0');
    name.resize(DragQueryFileW(Drop, i, name.data(), length + 1));
    files.push_back(name);
  }
  DragFinish(Drop);
  return files;
}

void TMainForm::FormCreate(TObject*) {
  if (HoldStartupWarnings()) HoldMessageBoxes(true);
  if (!DocumentList) CreateGlobals(DataPath(L"Preferences.ini"), AppPath(L"Highlighters\\"));
  if (FilesPosFile().empty()) FilesPosFile() = ::Options->FileName();
  ApplyWindowOptions(*::Options);
  newTabButton_ = new TDocumentItem(nullptr);
  newTabButton_->SetImageIndex(1);
  newTabButton_->SetCustomWidth(25);
  newTabButton_->OnClick = TNotifyEvent(this, &TMainForm::NewTabButtonClick);
  tlbrTabBar->Insert(0, newTabButton_);
  Commands = MakeMainCommands(this);
  StartLifeCycle();
  std::vector<WideString> files = LastDocuments();
  files.insert(files.end(), StartupFiles().begin(), StartupFiles().end());
  OpenFiles(files, ::Options->Encoding);
  if (DocumentList->Count() == 0) NewDocument();
  // The texts recorded for translation are the form's own.
  if (!RecordingTexts()) Commands->UpdateCaption();
  StartupDone = true;
}

void TMainForm::dckTabBarDrawBackground(TObject*, TCanvas* ACanvas, TRect ARect, TSkinPaintStage PaintStage,
                                        bool& PaintDefault) {
  if (PaintStage != pstPrePaint) return;
  PaintDefault = false;
  PaintTabBarBackground(ACanvas, ARect, tlbrTabBar->Colors());
}

AnsiString TMainForm::Message(const AnsiString& Name) const { return GetHolderString(mltstrnghldrMain, Name); }

WideString TMainForm::WideMessage(const AnsiString& Name) const { return GetHolderText(mltstrnghldrMain, Name); }

WideString TMainForm::MessageWith(const AnsiString& Name, std::initializer_list<WideString> Args) const {
  WideString text = WideMessage(Name);
  size_t from = 0;
  for (const WideString& arg : Args) {
    const size_t at = text.find(L"%s", from);
    if (at == WideString::npos) break;
    text.replace(at, 2, arg);
    from = at + arg.size();
  }
  return text;
}

WideString TMainForm::NextDocumentName() {
  return FormatHolderText(mltstrnghldrMain, "sDocument", {NewDocumentNumber});
}

WideString TMainForm::EncodingName(int Code) {
  const std::vector<WideString> names = GetHolderTexts(mltstrnghldrMain, "sEncodings");
  return Code >= 0 && Code < static_cast<int>(names.size()) ? names[static_cast<size_t>(Code)] : WideString();
}

// ---- the host of the documents ----

TDocumentList* TMainForm::Documents() const { return DocumentList; }

TDocument* TMainForm::ActiveDocument() const {
  return DocumentList && pglstMain ? DocumentList->FindByPage(pglstMain->ActivePage()) : nullptr;
}

HWND TMainForm::WindowHandle() { return HandleAllocated() ? Handle() : nullptr; }

TApCustomAppStorage* TMainForm::SettingsStorage() const { return apinflstrgMain; }

int TMainForm::RecentDocumentCount() const { return mrlstMain ? mrlstMain->Items()->Count() : 0; }

void TMainForm::ClearRecentDocuments() {
  if (mrlstMain) mrlstMain->Items()->Clear();
  filesPos_->Clear();
  // The cleared list is the whole list: positions read later from the file must not bring the
  // cleared ones back. Written at once, else at the exit when the file refuses it now.
  filesPosRead_ = true;
  try {
    StoreFilesPos();
  } catch (const Exception& e) {
    LogError(ErrorLogFile(), e.Message());
  }
}

void TMainForm::ApplyWindowOptions(const TOptions& Options) {
  if (mrlstMain) mrlstMain->SetMaxItems(Options.NumberOfDocuments);
  // A recent list the storage puts together with a file's keeps the same number.
  if (mrlstMain && frmstrgMain) frmstrgMain->LimitStoredList(mrlstMain, "Items", Options.NumberOfDocuments);
  if (tlbrTabBar) tlbrTabBar->SetCloseButton(Options.CloseButton);
}

TStrings* TMainForm::PaletteCharacters() { return EnsureCharPalette()->Chars(); }

void TMainForm::ActivateDocument(TDocument* Document) {
  if (!Document) return;
  LockUpdate(Handle());
  TScopeExit unlock([] { LockUpdate(nullptr); });
  pglstMain->SetActivePage(Document->Page());
}

void TMainForm::pglstMainChange(TObject*) {
  if (!closing_) {
    // The texts recorded for translation are the form's own.
    const bool showTexts = Commands && !RecordingTexts();
    if (TDocument* document = ActiveDocument()) {
      tlbrTabBar->CheckTab(document->Item());
      tlbrTabBar->ShowActiveTab();
      if (showTexts) Commands->UpdateCaption();
      document->Frame()->edtDocumentStatusChange(document->Frame()->edtDocument, {scCaretX, scInsertMode});
      // Each document keeps its own page orientation; the printer follows the active one.
      const auto orientation = document->Orientation == 1 ? poLandscape : poPortrait;
      if (PrinterInfoSize() > 0 && Printer()->Orientation() != orientation) Printer()->SetOrientation(orientation);
    }
    // The keyboard follows the document: its editor (or preview) takes the focus, also when the
    // one that had it was closed. A window not shown yet takes no focus.
    if (showTexts) Commands->UpdateStatusBar(HandleAllocated() && IsWindowVisible(Handle()));
  }
  contextTab_ = nullptr;
}

// ---- tabs ----

void TMainForm::DocumentItemClick(TObject* Sender) {
  auto* item = dynamic_cast<TDocumentItem*>(Sender);
  if (!item) return;
  TPoint at;
  GetCursorPos(reinterpret_cast<POINT*>(&at));
  DocumentItemClickAt(item, tlbrTabBar->ScreenToClient(at));
}

void TMainForm::DocumentItemClickAt(TDocumentItem* Item, const TPoint& At) {
  TDocument* document = DocumentList->FindByItem(Item);
  if (!document) return;
  const bool inClose = CloseArea(Item->BoundsRect()).Contains(At);
  const int closeButton = ::Options->CloseButton;
  if (document != ActiveDocument()) {
    if (inClose && closeButton == 1)
      CloseDocument(document);
    else
      ActivateDocument(document);
  } else if (inClose && closeButton != 2) {
    CloseDocument(document);
  }
}

void TMainForm::tlbrTabBarMouseDown(TObject*, TMouseButton Button, TDocumentItem* Item) {
  if (Button == mbRight) {
    contextTab_ = Item;
  } else if (Button == mbMiddle) {
    if (!Item)
      NewDocument();
    else if (TDocument* document = DocumentList->FindByItem(Item))
      CloseDocument(document);
  }
}

void TMainForm::tlbrTabBarMouseUp(TObject*, TMouseButton Button, TDocumentItem*) {
  if (Button != mbRight || !pmnTabBar) return;
  TPoint at;
  GetCursorPos(reinterpret_cast<POINT*>(&at));
  pmnTabBar->Popup(at.X, at.Y);
}

void TMainForm::InsertTab(TDocument* Document) { tlbrTabBar->Insert(tlbrTabBar->ItemCount() - 1, Document->Item()); }

void TMainForm::DocumentEditorMenu(TObject*, bool InGutter) {
  TSkinPopupMenu* menu = InGutter ? pmnGutter : pmnEditor;
  if (!menu) return;
  TPoint at;
  GetCursorPos(reinterpret_cast<POINT*>(&at));
  menu->Popup(at.X, at.Y);
}

void TMainForm::DocumentCaretStatusChange(TObject*) {
  // While documents go, the status bar is brought up to date once they are gone.
  if (Commands && !closing_ && !RecordingTexts()) Commands->UpdateStatusBar(false);
}

void TMainForm::DocumentViewModeChange(TObject*) {
  // The page shown takes the keyboard; a window not shown yet takes no focus.
  if (Commands && !closing_ && !RecordingTexts())
    Commands->UpdateStatusBar(HandleAllocated() && IsWindowVisible(Handle()));
}

// ---- creating and opening ----

TDocument* TMainForm::CreateDocument(const WideString& Caption) {
  TDocument* document = DocumentList->Add(std::make_unique<TDocument>(this, pglstMain));
  document->Page()->SetVisible(true);
  document->Frame()->SetVisible(true);
  ConfigureEditor(document->Frame()->edtDocument, *::Options);
  document->Item()->OnClick = TNotifyEvent(this, &TMainForm::DocumentItemClick);
  document->Frame()->OnEditorMenu = TEditorMenuEvent(this, &TMainForm::DocumentEditorMenu);
  document->Frame()->OnCaretStatusChange = TNotifyEvent(this, &TMainForm::DocumentCaretStatusChange);
  document->OnViewModeChange = TNotifyEvent(this, &TMainForm::DocumentViewModeChange);
  document->Item()->SetCaption(Caption);
  return document;
}

void TMainForm::FocusEditor(TDocument* Document) {
  // A window that does not show yet (or no longer) cannot take the focus; one disabled behind a
  // modal dialog must not take it either: the dialog would lose the keyboard to a window that
  // ignores it.
  TTxtEdit* editor = Document->Frame()->edtDocument;
  if (HandleAllocated() && IsWindowVisible(Handle()) && IsWindowEnabled(Handle()) && editor->CanFocus())
    editor->SetFocus();
}

TDocument* TMainForm::NewDocument() {
  tlbrTabBar->BeginUpdate();
  TScopeExit endUpdate([this] { tlbrTabBar->EndUpdate(); });
  // Drawing alone is held: a new document is made at once, and the cursor of whatever made it
  // (the hourglass of an opening, say) stays as it is.
  LockWindowUpdate(HandleAllocated() ? Handle() : nullptr);
  TScopeExit unlock([] { LockWindowUpdate(nullptr); });
  TDocument* document = CreateDocument(NextDocumentName());
  document->Encoding = ::Options->Encoding == teAutoSelect ? teAnsi : ::Options->Encoding;
  document->Item()->SetHint(
      MessageWith("sDocItemHint", {document->GetDisplayName(false), EncodingName(document->Encoding)}));
  document->SetHighlighter(HighlighterFor(WideString()));
  InsertTab(document);
  pglstMain->SetActivePage(document->Page());
  ++NewDocumentNumber;
  if (StartupDone) FocusEditor(document);
  ShowActiveCaption();
  return document;
}

void TMainForm::ShowActiveCaption() {
  // The page change that made the document active came before it had its name; the idle update
  // that would follow waits behind a warning box or the menu bar's keyboard loop.
  if (Commands && !RecordingTexts()) Commands->UpdateCaption();
}

int TMainForm::OpenFiles(const std::vector<WideString>& Files) {
  return OpenFiles(Files, ::Options ? ::Options->Encoding : teAutoSelect);
}

int TMainForm::OpenFiles(const std::vector<WideString>& Files, TTextEncoding Encoding) {
  if (Files.empty()) return 0;
  if (!filesPosRead_) ReadFilesPos();
  int opened = 0;
  // The warnings of the opening wait until every document is whole and in its tab: a box may
  // leave the window usable, and whatever is closed meanwhile leaves nothing half-made behind.
  const bool held = MessageBoxesHeld();
  HoldMessageBoxes(true);
  {
    TScopeExit release([&] { HoldMessageBoxes(held); });
    TDocument* toActivate = nullptr;
    tlbrTabBar->BeginUpdate();
    LockUpdate(HandleAllocated() ? Handle() : nullptr);
    TScopeExit finish([&] {
      if (toActivate) pglstMain->SetActivePage(toActivate->Page());
      if (TDocument* active = ActiveDocument()) {
        tlbrTabBar->CheckTab(active->Item());
        if (StartupDone) FocusEditor(active);
      }
      tlbrTabBar->EndUpdate();
      LockUpdate(nullptr);
      ShowActiveCaption();
    });
    for (const WideString& file : Files) {
      if (file.empty()) continue;
      if (OpenFile(ExpandPath(file), Encoding, toActivate)) ++opened;
    }
  }
  if (!held) ShowHeldMessageBoxes();
  return opened;
}

TDocument* TMainForm::OpenFile(const WideString& Name, TTextEncoding Encoding, TDocument*& ToActivate) {
  if (TDocument* open = DocumentList->FindByFileName(Name)) {
    ToActivate = open;
    return nullptr;
  }
  if (!FileExists(Name)) {
    if (!DirectoryExists(Name)) ShowMessageBox(MessageWith("sFileNotFound", {ExtractFileName(Name)}), MB_ICONERROR);
    return nullptr;
  }
  if (IsFileBlocked(Name, 0)) {
    ShowMessageBox(MessageWith("sAccessToFileDenied", {ExtractFileName(Name)}), MB_ICONERROR);
    return nullptr;
  }
  TDocument* document = CreateDocument(EscapeAmpersands(ExtractFileName(Name)));
  document->FileName = Name;
  if (StartupDone && mrlstMain) mrlstMain->Add(Name);
  try {
    LoadDocument(document, Name, Encoding);
  } catch (const Exception& e) {
    // A file that fails while it is read leaves no half-filled document that a later save
    // could write over the real file.
    DocumentList->Items().Remove(document);
    // What went wrong goes to the error log; the user hears of it in the language in use.
    LogError(ErrorLogFile(), e.Message());
    ShowMessageBox(MessageWith("sOpenFailed", {ExtractFileName(Name)}), MB_ICONERROR);
    return nullptr;
  }
  InsertTab(document);
  ToActivate = document;
  return document;
}

void TMainForm::LoadDocument(TDocument* Document, const WideString& Name, TTextEncoding Encoding) {
  TTxtEdit* editor = Document->Frame()->edtDocument;
  bool lossy = false, cyrillic1251 = false;
  Document->Encoding = LoadTextFile(editor->Lines(), Name, Encoding, lossy, &cyrillic1251);
  Document->Lossy = lossy;
  Document->MixedLineBreaks = editor->Lines()->MixedLineBreaks();
  switch (OpeningWarning(Document->Encoding, lossy, cyrillic1251, AnsiCodePage())) {
    case owLossy: ShowMessageBox(LossyConversionText(Name, WideMessage("sLossyOpen")), MB_ICONWARNING); break;
    case owForeignCodePage:
      ShowMessageBox(ForeignCodePageText(Name, WideMessage("sForeignCodePage")), MB_ICONWARNING);
      break;
    case owNone: break;
  }
  if (::Options->RememberCaretPosition) {
    const TPoint caret = RestoreCaret(Name);
    editor->SetCaretXY({caret.X, caret.Y});
    editor->EnsureCursorPosVisibleEx(true);
  }
  Document->Item()->SetHint(MessageWith("sDocItemHint", {Name, EncodingName(Document->Encoding)}));
  if (IsReadOnlyFile(Name)) {
    editor->SetReadOnly(true);
    Document->Item()->SetImageIndex(0);
  } else if (editor->Lines()->Count() > 0 && IsLogFile(editor->Lines()->LineView(0))) {
    editor->Lines()->Add(FormatDateTime(::Options->DateAndTimeFormat, Now()));
    editor->Lines()->Add(AnsiString());
    editor->SetCaretXY({1, editor->Lines()->Count()});
    editor->SetModified(true);
  }
  Document->SetHighlighter(HighlighterFor(ExtractFileExt(Name)));
}

TTxtCustomHighlighter* TMainForm::HighlighterFor(const WideString& Ext) {
  // A scheme that cannot be read costs the colours, not the document.
  try {
    if (TTxtCustomHighlighter* byExtension = Ext.empty() ? nullptr : Highlighters->FindByExtension(Ext))
      return byExtension;
  } catch (const Exception&) {}
  const WideString& scheme = ::Options->SyntaxHighlighting;
  try {
    if (!scheme.empty() && FileExists(scheme)) return Highlighters->GetByFileName(scheme);
  } catch (const Exception&) {}
  return Highlighters->Plain();
}

// ---- the recent documents ----

void TMainForm::mrlstMainClick(TObject*, const WideString& FileName) { OpenFiles({FileName}, ::Options->Encoding); }

void TMainForm::appinstncsMainCmdLineReceived(TObject*, TStringsW* CmdLine) {
  std::vector<WideString> files;
  for (int i = 0; CmdLine && i < CmdLine->Count(); ++i) files.push_back(CmdLine->Strings(i));
  OpenFiles(files);
}

bool TMainForm::CleanRecentDocuments() {
  SetWaitCursor(true);
  TScopeExit restore([] { SetWaitCursor(false); });
  TStringsW* items = mrlstMain->Items();
  for (int i = items->Count() - 1; i >= 0; --i)
    if (!FileExistsQuiet(items->Strings(i))) items->Delete(i);
  return items->Count() == 0;
}

// ---- the syntax-highlighting submenu ----

std::vector<TMainForm::THighlighterEntry> TMainForm::HighlighterMenuEntries() {
  TDocument* document = ActiveDocument();
  auto* active = document ? dynamic_cast<TTxtXmlHighlighter*>(document->GetHighlighter()) : nullptr;
  const bool enabled = document != nullptr;
  std::vector<THighlighterEntry> entries;
  THighlighterEntry plain;
  plain.Caption = WideMessage("sNoHighlighting");
  plain.Enabled = enabled;
  plain.Checked = enabled && (!active || active->FileName.empty() || !FileExists(active->FileName));
  plain.IsPlain = true;
  entries.push_back(plain);
  entries.emplace_back();
  for (const WideString& file : Highlighters->Files()) {
    const AnsiString name = Highlighters->ReadInfo(file, "Name");
    if (name.empty()) continue;
    THighlighterEntry entry;
    entry.Caption = AnsiToWide(EscapeAmpersands(name, true));
    entry.Enabled = enabled;
    entry.Checked = enabled && active && WideSameText(active->FileName, file);
    entry.FileName = file;
    entries.push_back(entry);
  }
  return entries;
}

void TMainForm::BuildHighlighterMenu(TBarCustomItem* Submenu) {
  SetWaitCursor(true);
  TScopeExit restore([] { SetWaitCursor(false); });
  // The items of the last opening go.
  Submenu->Clear();
  for (const THighlighterEntry& entry : HighlighterMenuEntries()) {
    if (entry.Caption.empty()) {
      Submenu->Add(new TSkinSeparatorItem(this));
      continue;
    }
    auto* item = new THighUiItem(this);
    item->SetCaption(entry.Caption);
    item->SetRadioItem(true);
    item->SetEnabled(entry.Enabled);
    item->SetChecked(entry.Checked);
    item->IsPlain = entry.IsPlain;
    item->FileName = entry.FileName;
    item->OnClick = TNotifyEvent(this, &TMainForm::HighlighterItemClick);
    Submenu->Add(item);
  }
}

void TMainForm::BuildHighlighterMenuClick(TObject* Sender) {
  if (auto* submenu = dynamic_cast<TBarCustomItem*>(Sender)) BuildHighlighterMenu(submenu);
}

void TMainForm::HighlighterItemClick(TObject* Sender) {
  if (auto* item = dynamic_cast<THighUiItem*>(Sender)) HighlighterItemClick(item->IsPlain, item->FileName);
}

void TMainForm::HighlighterItemClick(bool IsPlain, const WideString& FileName) {
  TDocument* document = ActiveDocument();
  if (!document) return;
  if (IsPlain)
    document->SwitchHighlighter(Highlighters->Plain());
  else if (FileExists(FileName))
    document->SwitchHighlighter(Highlighters->GetByFileName(FileName));
  else
    document->SwitchHighlighter(document->GetHighlighter());
  // The status bar's scheme panel is part of the caption's update.
  ShowActiveCaption();
}

// ---- caret positions ----

void TMainForm::LoadFilesPos() {
  filesPos_->Clear();
  filesPosRead_ = false;
  if (FilesPosFile().empty()) return;
  TMemIniFile ini(FilesPosFile());
  MergeFilesPos(ini);
}

void TMainForm::ReadFilesPos() {
  try {
    if (!FilesPosFile().empty()) {
      TMemIniFile ini(FilesPosFile());
      MergeFilesPos(ini);
    }
  } catch (const Exception& e) {
    // A file held by another program costs the documents their remembered places, not their
    // opening; the reading is tried again at the next opening and at the exit, and the log hears
    // of it once.
    if (!filesPosFailureLogged_) LogError(ErrorLogFile(), e.Message());
    filesPosFailureLogged_ = true;
  }
}

void TMainForm::MergeFilesPos(TMemIniFile& Ini) {
  // The places remembered before the file could be read are the newer ones.
  const int count = std::clamp(Ini.ReadInteger(filesPosSection, "Count", 0), 0, maxFilesPos);
  for (int i = 0; i < count && filesPos_->Count() < maxFilesPos; ++i) {
    const WideString entry = AnsiToWide(Ini.ReadString(filesPosSection, "Item" + std::to_string(i), AnsiString()));
    WideString name, line, column;
    if (entry.empty() || (SplitFilesPos(entry, name, line, column) && FindFilesPos(name) >= 0)) continue;
    filesPos_->Add(entry);
  }
  filesPosRead_ = true;
}

void TMainForm::StoreFilesPos() {
  if (FilesPosFile().empty()) return;
  TMemIniFile ini(FilesPosFile());
  // Places the file held while it could not be read are kept beside the ones of this run.
  if (!filesPosRead_) MergeFilesPos(ini);
  ini.EraseSection(filesPosSection);
  int stored = 0;
  for (int i = 0; i < filesPos_->Count(); ++i) {
    // The preferences file is 8-bit text: a name the code page cannot hold is not stored.
    bool lossy = false;
    const AnsiString entry = WideToAnsiChecked(filesPos_->Strings(i), lossy);
    if (!lossy) ini.WriteString(filesPosSection, "Item" + std::to_string(stored++), entry);
  }
  ini.WriteInteger(filesPosSection, "Count", stored);
  ini.UpdateFile();
}

int TMainForm::FindFilesPos(const WideString& Name) const {
  const WideString lower = LowerFileName(Name);
  for (int i = filesPos_->Count() - 1; i >= 0; --i) {
    WideString name, line, column;
    if (SplitFilesPos(filesPos_->Strings(i), name, line, column) && LowerFileName(name) == lower) return i;
  }
  return -1;
}

void TMainForm::RememberCaret(TDocument* Document) {
  if (!::Options || !::Options->RememberCaretPosition || !Document || Document->FileName.empty() ||
      !FileExists(Document->FileName))
    return;
  const TBufferCoord caret = Document->Frame()->edtDocument->CaretXY();
  const int at = FindFilesPos(Document->FileName);
  if (caret.Line == 1 && caret.Char == 1) {
    if (at >= 0) filesPos_->Delete(at);
    return;
  }
  const WideString entry = Document->FileName + L"|" + std::to_wstring(caret.Line) + L"|" + std::to_wstring(caret.Char);
  if (at >= 0) {
    filesPos_->SetStrings(at, entry);
  } else {
    filesPos_->Insert(0, entry);
    if (filesPos_->Count() > maxFilesPos) filesPos_->Delete(maxFilesPos);
  }
}

TPoint TMainForm::RestoreCaret(const WideString& Name) const {
  const int at = FindFilesPos(Name);
  if (at < 0) return {1, 1};
  WideString name, line, column;
  SplitFilesPos(filesPos_->Strings(at), name, line, column);
  return {NumberOrZero(column), NumberOrZero(line)};
}

// ---- dialogs ----

void TMainForm::txtopndlgMainBeforeExecute(TObject* Sender) {
  auto* dialog = dynamic_cast<TNSTextOpenDialog*>(Sender);
  if (!dialog) return;
  // The active document's folder; a new document's is none, and the dialog starts where the
  // system last left it.
  if (TDocument* document = ActiveDocument()) dialog->SetInitialDir(ExtractFilePath(document->FileName));
  dialog->SetFilter(WideMessage("sFilter") + Highlighters->BuildFilter());
  if (dialog == txtopndlgMain) dialog->SetEncodingIndex(::Options->Encoding);
  dialog->SetEncodingsCaption(WideMessage("sEncoding"));
  dialog->SetEncodings(GetHolderTexts(mltstrnghldrMain, "sEncodings"));
}

void TMainForm::NewTabButtonClick(TObject*) { NewDocument(); }
