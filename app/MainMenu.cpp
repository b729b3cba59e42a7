// The main menu's submenus that fill themselves as they open: the recent documents and the
// palette of recent characters.
#include "app/CharPalette.h"
#include "app/MainFrm.h"
#include "themes/SkinItem.h"
#include "themes/UiExtItems.h"

void TMainForm::smnitmRecentDocumentsClick(TObject*) {
  if (mrlstMain && mrlstitmMain->MRUList() != mrlstMain) mrlstitmMain->SetMRUList(mrlstMain);
  bmnitmEmpty->SetVisible(!mrlstMain || CleanRecentDocuments());
}

void TMainForm::smnitmCharacterClick(TObject* Sender) {
  auto* submenu = dynamic_cast<TBarCustomItem*>(Sender);
  if (!submenu) return;
  TCharPalette* palette = EnsureCharPalette();
  // The palette joins the submenu once, on its first opening; it is found again by its name.
  bool present = false;
  for (int i = 0; i < submenu->Count() && !present; ++i) present = submenu->Items(i)->Name() == palette->Name();
  if (!present) submenu->Insert(0, palette);
  palette->SetEnabled(CanEditActive());
  UpdateRows(palette);
}
