// The main window's life beyond its documents: what it does once shown and before it goes, the
// application-wide hook and error handler, the command list with "Shortcuts.ini", the update
// check and the character palette.
#include "app/AppServices.h"
#include "app/CharPalette.h"
#include "app/CharacterFrm.h"
#include "app/DocumentTabs.h"
#include "app/Documents.h"
#include "app/DocumentFrm.h"
#include "app/ExitSettings.h"
#include "app/FindAndReplaceFrm.h"
#include "app/Global.h"
#include "app/MainFrm.h"
#include "app/Options.h"
#include "app/Shortcuts.h"
#include "app/Startup.h"
#include "app/UpdateCheck.h"
#include "app/FilePaths.h"
#include "app/TextRoutines.h"
#include "app/WindowRoutines.h"
#include "foundation/ApAppIniStorage.h"
#include "foundation/ApFormPlacement.h"
#include "foundation/ApStrHolder.h"
#include "foundation/LgLanguage.h"
#include "framework/Application.h"
#include "framework/CodePages.h"
#include "framework/Actions.h"
#include "framework/Format.h"
#include "app/ProductIdentity.h"
#include "themes/SkinCustomizer.h"
#include "themes/SkinToolbar.h"
#include "themes/UiExtItems.h"
#include "themes/UiStatusBars.h"

namespace {

// The holder's text, or Default when the holder has no such item.
WideString HolderText(TApMultiStringHolder* Holder, const AnsiString& Name, const WideString& Default) {
  try {
    const WideString text = Holder ? GetHolderText(Holder, Name) : WideString();
    return text.empty() ? Default : text;
  } catch (const Exception&) {
    return Default;
  }
}

// A settings file that refused its write at exit is logged, and told with the others once every
// writer has run.
// The system's reason goes to the log; the user reads the file's name in the language in use.
void settingsRefused(const WideString& FileName, const Exception& E) {
  LogError(ErrorLogFile(), E.Message());
  GatherSettingsFailure(FileName, FormatTranslated(::Options ? ::Options->SaveFailureFormat : WideString(),
                                                   "sSettingsNotSaved", {FileName}));
}

WideString preferencesFile() { return ::Options ? ::Options->FileName() : WideString(); }

}  // namespace

WideString TMainForm::ToolbarsPath() { return ToolbarsFile().empty() ? DataPath(L"Toolbars.ini") : ToolbarsFile(); }

std::vector<TSkinDock*> TMainForm::ToolbarDocks() const {
  std::vector<TSkinDock*> docks;
  for (int i = 0; i < ComponentCount(); ++i)
    if (auto* dock = dynamic_cast<TSkinDock*>(Components(i)); dock && dock != dckTabBar) docks.push_back(dock);
  return docks;
}

void TMainForm::StartLifeCycle() {
  Application->HookMainWindow(TWindowHook(this, &TMainForm::AppHook));
  // The window's placement and stored properties live beside the options.
  // A file another program holds is told at start (the options read it first); the storage
  // reads it when it can, and the window starts on its defaults meanwhile.
  apinflstrgMain->OnFileKept = TNotifyEvent(this, &TMainForm::SettingsFileKept);
  try {
    apinflstrgMain->SetWideFileName(::Options->FileName());
  } catch (const Exception& e) {
    LogError(ErrorLogFile(), e.Message());
  }
  // Toolbars move only while the options leave them unlocked; the tab bar stays where it is.
  for (TSkinDock* dock : ToolbarDocks()) dock->SetAllowDrag(!::Options->LockTheToolbars);
  if (!RecordingTexts()) {
    CheckSettingsFile(ToolbarsPath());
    CheckSettingsFile(DataPath(L"Shortcuts.ini"));
    TellSettingsFileNotices();
    // A layout file that cannot be read leaves the toolbars as designed.
    try {
      cstmzrMain->LoadFromFile(ToolbarsPath(), true);
    } catch (const Exception& e) {
      LogError(ErrorLogFile(), e.Message());
    }
  }
  ::Options->SaveFailureFormat = WideMessage("sSettingsNotSaved");
  commandList_ = std::make_unique<TStringList>();
  BuildCommandList();
  if (commandList_->Count() > 0 && !RecordingTexts()) LoadShortcuts(commandList_.get(), DataPath(L"Shortcuts.ini"));
}

void TMainForm::TellSettingsFileNotices() {
  for (const TSettingsFileNotice& notice : TakeSettingsFileNotices()) {
    const WideString text =
        notice.Unreadable ? FormatTranslated(HolderText(mltstrnghldrMain, "sSettingsFileUnreadable", WideString()),
                                             "sSettingsFileUnreadable", {notice.File})
                          : FormatTranslated(HolderText(mltstrnghldrMain, "sSettingsFileKept", WideString()),
                                             "sSettingsFileKept", {notice.File, notice.KeptAs});
    LogError(ErrorLogFile(), text);
    ShowMessageBox(text, MB_ICONWARNING);
  }
}

void TMainForm::SettingsFileKept(TObject*) {
  NoteSettingsFileKept(apinflstrgMain->FullWideFileName(), apinflstrgMain->KeptFileName());
  // Not from inside the storage's read: a box's message loop could reach the storage again.
  if (HandleAllocated() && !closing_) PostMessageW(Handle(), UM_SETTINGSNOTICES, 0, 0);
}

void TMainForm::FormDestroy(TObject*) {
  if (destroyed_) return;
  destroyed_ = true;
  closing_ = true;
  EndLifeCycle();
}

void TMainForm::EndLifeCycle() {
  Application->UnhookMainWindow(TWindowHook(this, &TMainForm::AppHook));
  // The find dialog works on this window's documents and writes its settings while it goes.
  try {
    FreeFindAndReplaceForm();
  } catch (const Exception& e) {
    settingsRefused(preferencesFile(), e);
  }
  updateCheck_.reset();
  // The end of the session wrote them already: once is enough.
  if (!exitSettingsWritten_) WriteExitSettings();
  // The map works on these documents and marks the palette's characters.
  FreeCharacterForm();
  commandList_.reset();
  // A file the exit's writes found damaged and kept, or one whose notice never came through.
  if (!RecordingTexts()) TellSettingsFileNotices();
}

void TMainForm::WriteExitSettings() {
  // A data folder that refuses a file costs that file, not the rest of the exit.
  if (!RecordingTexts()) {
    try {
      cstmzrMain->SaveToFile(ToolbarsPath());
    } catch (const Exception& e) {
      settingsRefused(ToolbarsPath(), e);
    }
  }
  if (DocumentList) {
    for (int i = 0; i < DocumentList->Count(); ++i) RememberCaret(DocumentList->Documents(i));
    // Also when no file was opened this run: a document saved under a name has its place too.
    try {
      StoreFilesPos();
    } catch (const Exception& e) {
      settingsRefused(FilesPosFile(), e);
    }
  }
  try {
    if (commandList_ && commandList_->Count() > 0 && !RecordingTexts())
      SaveShortcuts(commandList_.get(), DataPath(L"Shortcuts.ini"));
  } catch (const Exception& e) {
    settingsRefused(DataPath(L"Shortcuts.ini"), e);
  }
  try {
    if (charPalette_ && apinflstrgMain) SaveLastChars(charPalette_, *apinflstrgMain);
  } catch (const Exception& e) {
    settingsRefused(preferencesFile(), e);
  }
}

void TMainForm::SaveSettings() {
  if (destroyed_) return;
  try {
    if (::Options) ::Options->WriteToFile();
  } catch (const Exception& e) {
    LogError(ErrorLogFile(), e.Message());
  }
  // The recent list and the other stored properties; the place only once the window has one.
  try {
    if (frmstrgMain && frmstrgMain->AppStorage() && frmstrgMain->IsRestored()) frmstrgMain->SavePlacement();
  } catch (const Exception& e) {
    LogError(ErrorLogFile(), e.Message());
  }
  WriteExitSettings();
}

void TMainForm::SessionEnd(bool Ending) {
  if (destroyed_) return;
  if (Ending) {
    // The system ends the process without waiting for the message loop to end: what the exit
    // would write is written now, and the exit does not write it again.
    if (exitSettingsWritten_) return;
    WriteExitSettings();
    try {
      if (::Options) ::Options->WriteToFile();
    } catch (const Exception& e) {
      settingsRefused(preferencesFile(), e);
    }
    exitSettingsWritten_ = true;
    // The process may be ended any moment now: what could not be written is told at once, and
    // not again by the writers of the exit that may still follow.
    TellSettingsFailures(false);
    return;
  }
  // The close query hid the window and closed the documents for an end that did not come: the
  // program would run on unseen, holding the place of the one running copy.
  if (HandleAllocated() && !IsWindowVisible(Handle()) && DocumentList && DocumentList->Count() == 0) {
    exitSettingsWritten_ = false;
    if (frmstrgMain) frmstrgMain->SetActive(true);
    NewDocument();
    Show();
    TellSettingsFailures(true);
  }
  // The close query left the single-instance registry for an end that did not come: the window
  // takes files opened from the shell again.
  RejoinSingleInstance();
}

void TMainForm::ClosingForGood() {
  // From here on the window goes whatever a settings file says: the documents are closed and the
  // window hidden, and a refusal that stopped the close would leave the process running unseen.
  GatherSettingsFailures();
  // A window never made has no place yet: the storage writes it when the window goes.
  if (!frmstrgMain || !frmstrgMain->Active() || !HandleAllocated()) return;
  try {
    frmstrgMain->SaveFormPlacement();
  } catch (const Exception& e) {
    settingsRefused(apinflstrgMain->FullWideFileName(), e);
  }
  // Saved, or refused and kept to be told: neither the storage's own close query nor the
  // window's end writes the place again.
  frmstrgMain->SetActive(false);
}

void TMainForm::BuildCommandList() {
  if (!commandList_) commandList_ = std::make_unique<TStringList>();
  ::BuildCommandList(tlbrMainMenu ? tlbrMainMenu->Items() : nullptr, commandList_.get());
}

void TMainForm::FormShow(TObject*) {
  for (int i = 0; DocumentList && i < DocumentList->Count(); ++i) {
    TDocument* document = DocumentList->Documents(i);
    // A new document has no file to come back to.
    if (mrlstMain && !document->FileName.empty() && mrlstMain->Items()->IndexOf(document->FileName) < 0)
      mrlstMain->Add(document->FileName);
    if (::Options->RememberCaretPosition) document->Frame()->edtDocument->EnsureCursorPosVisibleEx(true);
  }
  if (TDocument* active = ActiveDocument(); active && StartupDone) FocusEditor(active);
  if (MessageBoxesHeld()) PostMessageW(Handle(), UM_STARTUPWARNINGS, 0, 0);
  if (::Options->CheckForUpdatesAtStartup) CheckForUpdates(true);
}

bool TMainForm::AppHook(TMessage& Message) {
  if (Message.Msg == WM_ENDSESSION) SessionEnd(Message.WParam != 0);
  return AppHookMessage(Message);
}

void TMainForm::aplctnevntsMainException(TObject*, Exception& E) {
  LockUpdate(nullptr);
  LogError(ErrorLogFile(), E.Message());
}

void TMainForm::CheckForUpdates(bool Silent) {
  if (!updateCheck_) updateCheck_ = std::make_unique<TUpdateCheck>();
  updateCheck_->NewVersionText = HolderText(mltstrnghldrMain, "sANewVersion", updateCheck_->NewVersionText);
  updateCheck_->LatestText = HolderText(mltstrnghldrMain, "sYouAreUsing", updateCheck_->LatestText);
  updateCheck_->FailureText = HolderText(mltstrnghldrMain, "sUnableToCheck", updateCheck_->FailureText);
  updateCheck_->Start(Silent);
}

namespace {

void FetchPaletteFormats(TCharPalette* Palette, TApMultiStringHolder* Holder) {
  Palette->CharCodeFormat = HolderText(Holder, "sCharCode", EnglishFormat("sCharCode"));
  Palette->ShortcutFormat = HolderText(Holder, "sShortcutKeys", EnglishFormat("sShortcutKeys"));
}

}  // namespace

void TMainForm::lngcntrlrMainLanguageChanged(TLgLanguageController*) {
  // The texts the language file just replaced are put together again from the new ones.
  if (Commands) {
    Commands->UpdateStatusBar(false);
    Commands->UpdateCaption();
  }
  if (auto* internet = dynamic_cast<TCustomAction*>(FindComponent("actnOnTheInternet")))
    internet->SetCaption(
        FormatTranslated(HolderText(mltstrnghldrMain, "sOnTheInternet", EnglishFormat("sOnTheInternet")),
                         "sOnTheInternet", {WideString(ProductName)}));
  if (charPalette_) FetchPaletteFormats(charPalette_, mltstrnghldrMain);
  if (::Options) ::Options->SaveFailureFormat = WideMessage("sSettingsNotSaved");
}

TCharPalette* TMainForm::EnsureCharPalette() {
  if (charPalette_) {
    UpdateRows(charPalette_);
    return charPalette_;
  }
  charPalette_ = new TCharPalette(this);
  charPalette_->SetName("CharPalette");
  SeedRecentChars(charPalette_);
  FetchPaletteFormats(charPalette_, mltstrnghldrMain);  // the hint formats of the current language
  // Read through the window's storage, which waits for a file another program holds.
  if (apinflstrgMain) LoadLastChars(charPalette_, *apinflstrgMain);
  charPalette_->OnCellClick = TTPCellClick(this, &TMainForm::CharPaletteClick);
  charPalette_->SetEnabled(CanEditActive());
  return charPalette_;
}

void TMainForm::CharPaletteClick(TUiCustomToolPalette*, int& ACol, int& ARow, bool&) {
  if (charPalette_ && CanEditActive()) InsertPaletteChar(charPalette_, ACol, ARow, ActiveEditor());
}

// ---- toolbars, status bar and popup menus ----

void TMainForm::tlbrStandardDockChanging(TObject*, bool, TBarDock*) {
  if (HandleAllocated()) LockWindowUpdate(Handle());
}

void TMainForm::tlbrStandardDockChanged(TObject*) { LockWindowUpdate(nullptr); }

void TMainForm::stsbrMainMouseUp(TObject*, TMouseButton Button, TShiftState, int X, int Y) {
  if (Button != mbLeft || !stsbrMain) return;
  TUiStatusPanel* panel = stsbrMain->GetPanelAt(X, Y);
  if (!panel || !panel->Enabled()) return;
  const int index = panel->Index();
  if (index != 3) {
    Commands->PanelClick(index);
    return;
  }
  // The scheme menu opens at the mouse, one pixel lower, so that the release that opened it
  // does not choose its first entry.
  TPoint at;
  GetCursorPos(reinterpret_cast<POINT*>(&at));
  pmnSyntaxHighlighting->Popup(at.X, at.Y + 1);
}

void TMainForm::pmnEditorPopup(TObject*) { Commands->UpdateEditorPopup(); }

void TMainForm::pmnTabBarPopup(TObject*) {
  const bool onTab = contextTab_ != nullptr;
  for (TBarCustomItem* item : {mnitmSave1, mnitmClose1, mnitmSaveAs1})
    if (item) item->SetVisible(onTab);
}

void TMainForm::smnitmGotoBookmarksClick(TObject*) { Commands->UpdateBookmarkCaptions(); }
