// The main window's life beyond its documents: what it does once shown and before it goes, the
// application-wide hook and error handler, the command list with "Shortcuts.ini", the update
// check and the character palette.
#include "app/CharPalette.h"
#include "app/Documents.h"
#include "app/DocumentFrm.h"
#include "app/FindAndReplaceFrm.h"
#include "app/Global.h"
#include "app/MainFrm.h"
#include "app/Options.h"
#include "app/Shortcuts.h"
#include "app/Startup.h"
#include "app/UpdateCheck.h"
#include "app/Useful.h"
#include "app/UsefulWindows.h"
#include "foundation/ApStrHolder.h"
#include "foundation/LgLanguage.h"
#include "themes/SkinToolbar.h"
#include "themes/UiExtItems.h"
#include "framework/Application.h"
#include "framework/CodePages.h"
#include "framework/IniFiles.h"
#include "toolbars/BarMRU.h"

namespace {

// The holder's text, or Default when the holder has no such item.
WideString HolderText(TApMultiStringHolder* Holder, const AnsiString& Name, const WideString& Default) {
  try {
    const AnsiString text = Holder ? GetHolderString(Holder, Name) : AnsiString();
    return text.empty() ? Default : AnsiToWide(text);
  } catch (const Exception&) {
    return Default;
  }
}

}  // namespace

void TMainForm::StartLifeCycle() {
  Application->HookMainWindow(TWindowHook(this, &TMainForm::AppHook));
  aplctnevntsMain = new TApplicationEvents(this);
  aplctnevntsMain->SetName("aplctnevntsMain");
  aplctnevntsMain->OnException = TExceptionEvent(this, &TMainForm::aplctnevntsMainException);
  // Toolbars move only while the options leave them unlocked; the tab bar stays where it is.
  for (int i = 0; i < ComponentCount(); ++i)
    if (auto* dock = dynamic_cast<TSkinDock*>(Components(i)); dock && dock != dckTabBar)
      dock->SetAllowDrag(!::Options->LockTheToolbars);
  if (LanguageController)
    LanguageController->OnLanguageChanged = TLgLanguageControllerEvent(this, &TMainForm::lngcntrlrMainLanguageChanged);
  if (mrlstitmMain && mrlstMain) mrlstitmMain->SetMRUList(mrlstMain);
  commandList_ = std::make_unique<TStringList>();
  BuildCommandList();
  if (commandList_->Count() > 0 && !RecordingTexts()) LoadShortcuts(commandList_.get(), DataPath(L"Shortcuts.ini"));
}

void TMainForm::EndLifeCycle() {
  Application->UnhookMainWindow(TWindowHook(this, &TMainForm::AppHook));
  // The find dialog works on this window's documents and writes its settings while it goes.
  try {
    FreeFindAndReplaceForm();
  } catch (const Exception& e) {
    LogError(ErrorLogFile(), e.Message());
  }
  updateCheck_.reset();
  // A data folder that refuses a file costs that file, not the rest of the exit.
  try {
    if (commandList_ && commandList_->Count() > 0 && !RecordingTexts())
      SaveShortcuts(commandList_.get(), DataPath(L"Shortcuts.ini"));
  } catch (const Exception& e) {
    LogError(ErrorLogFile(), e.Message());
  }
  try {
    if (charPalette_ && ::Options) {
      TIniFile ini(::Options->FileName());
      SaveLastChars(charPalette_, &ini);
    }
  } catch (const Exception& e) {
    LogError(ErrorLogFile(), e.Message());
  }
  commandList_.reset();
}

void TMainForm::BuildCommandList() {
  if (!commandList_) commandList_ = std::make_unique<TStringList>();
  ::BuildCommandList(MainMenuRoot, commandList_.get());
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
  if (::Options->CheckForUpdatesAtStartup) CheckForUpdates(true);
}

bool TMainForm::AppHook(TMessage& Message) { return AppHookMessage(Message); }

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

void TMainForm::lngcntrlrMainLanguageChanged(TLgLanguageController*) {
  if (!charPalette_) return;
  charPalette_->CharCodeFormat = WideToAnsi(HolderText(mltstrnghldrMain, "sCharCode", L"Char code: %d (0x%x)"));
  charPalette_->ShortcutFormat = WideToAnsi(HolderText(mltstrnghldrMain, "sShortcutKeys", L"Shortcut keys: Alt+0%d"));
}

TCharPalette* TMainForm::EnsureCharPalette() {
  if (charPalette_) {
    UpdateRows(charPalette_);
    return charPalette_;
  }
  charPalette_ = new TCharPalette(this);
  charPalette_->SetName("CharPalette");
  SeedRecentChars(charPalette_);
  lngcntrlrMainLanguageChanged(LanguageController);  // the hint formats of the current language
  if (::Options) {
    TMemIniFile ini(::Options->FileName());
    LoadLastChars(charPalette_, &ini);
  }
  charPalette_->OnCellClick = TTPCellClick(this, &TMainForm::CharPaletteCellClick);
  charPalette_->SetEnabled(CanEditActive());
  return charPalette_;
}

void TMainForm::CharPaletteCellClick(TUiCustomToolPalette*, int& ACol, int& ARow, bool&) {
  if (charPalette_ && CanEditActive()) InsertPaletteChar(charPalette_, ACol, ARow, ActiveEditor());
}
