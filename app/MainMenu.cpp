// The handlers of the main menu's submenus as they open (the recent documents, the recent
// characters) and of the commands that only the main window runs (exit, the update check).
#include "app/CharPalette.h"
#include "app/MainFrm.h"
#include "framework/Actions.h"
#include "themes/SkinItem.h"
#include "themes/UiExtItems.h"

void TMainForm::smnitmRecentDocumentsClick(TObject*) {
  if (mrlstMain && mrlstitmMain->MRUList() != mrlstMain) mrlstitmMain->SetMRUList(mrlstMain);
  bmnitmEmpty->SetVisible(!mrlstMain || CleanRecentDocuments());
}

void TMainForm::actnExitExecute(TObject*) { Close(); }

void TMainForm::actnCheckForUpdatesExecute(TObject*) { CheckForUpdates(false); }

void TMainForm::smnitmCharacterClick(TObject* Sender) {
  auto* submenu = dynamic_cast<TBarCustomItem*>(Sender);
  if (!submenu) return;
  TCharPalette* palette = EnsureCharPalette();
  if (submenu->IndexOf(palette) < 0) submenu->Insert(0, palette);
  palette->SetEnabled(CanEditActive());
  UpdateRows(palette);
}
