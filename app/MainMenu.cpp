// The main window's menu bar: a skinned toolbar on the top dock whose submenus hold the
// commands of the window's actions, the recent characters and the update check. The captions
// are the form's own texts, translated with it.
#include "app/CharPalette.h"
#include "app/MainFrm.h"
#include "framework/Actions.h"
#include "themes/SkinItem.h"
#include "themes/SkinToolbar.h"
#include "themes/UiExtItems.h"
#include "toolbars/BarMRU.h"

void TMainForm::CreateMainMenu() {
  dckTop = new TSkinDock(this);
  dckTop->SetName("dckTop");
  dckTop->SetPosition(dpTop);
  dckTop->SetParent(this);
  tlbrMainMenu = new TSkinToolbar(this);
  tlbrMainMenu->SetName("tlbrMainMenu");
  tlbrMainMenu->SetMenuBar(true);
  tlbrMainMenu->SetCaption(L"Menu bar");
  tlbrMainMenu->SetParent(dckTop);
  TBarRootItem* root = tlbrMainMenu->Items();
  auto submenu = [&](TBarCustomItem* Parent, const char* Name, const wchar_t* Caption) {
    auto* item = new TSkinSubmenuItem(this);
    item->SetName(Name);
    item->SetCaption(Caption);
    if (Parent) Parent->Add(item);
    return item;
  };
  auto command = [&](TBarCustomItem* Parent, const char* Name, TAction* Action) {
    if (!Action) return;
    auto* item = new TSkinItem(this);
    item->SetName(Name);
    item->SetAction(Action);
    Parent->Add(item);
  };
  TSkinSubmenuItem* file = submenu(root, "smnitmFile", L"&File");
  command(file, "mnitmNew", actnNew);
  command(file, "mnitmOpen", actnOpen);
  // The recent documents: the list's entries, or "(empty)" when none is left.
  smnitmRecentDocuments = submenu(nullptr, "smnitmRecentDocuments", L"Recent documents");
  file->Add(smnitmRecentDocuments);
  smnitmRecentDocuments->OnClick = TNotifyEvent(this, &TMainForm::smnitmRecentDocumentsClick);
  mrlstitmMain = new TUiMRUListItem(this);
  mrlstitmMain->SetName("mrlstitmMain");
  mrlstitmMain->SetCaption(WideString());  // it shows the entries, never a caption of its own
  smnitmRecentDocuments->Add(mrlstitmMain);
  bmnitmEmpty = new TSkinItem(this);
  bmnitmEmpty->SetName("bmnitmEmpty");
  bmnitmEmpty->SetCaption(L"(empty)");
  bmnitmEmpty->SetEnabled(false);
  smnitmRecentDocuments->Add(bmnitmEmpty);
  auto divider = [&](TBarCustomItem* Parent, const char* Name) {
    auto* item = new TSkinSeparatorItem(this);
    item->SetName(Name);
    Parent->Add(item);
  };
  auto named = [this](const char* Name) { return dynamic_cast<TAction*>(FindComponent(Name)); };
  divider(file, "sprtrSave");
  command(file, "mnitmSave", named("actnSave"));
  command(file, "mnitmSaveAs", named("actnSaveAs"));
  command(file, "mnitmSaveAll", named("actnSaveAll"));
  divider(file, "sprtrClose");
  command(file, "mnitmClose", named("actnClose"));
  command(file, "mnitmCloseAll", named("actnCloseAll"));
  divider(file, "sprtrExit");
  command(file, "mnitmExit", actnExit);
  TSkinSubmenuItem* view = submenu(root, "smnitmView", L"&View");
  command(view, "mnitmPrintPreview", actnPrintPreview);
  TSkinSubmenuItem* character = submenu(root, "smnitmCharacter", L"&Character");
  character->OnClick = TNotifyEvent(this, &TMainForm::smnitmCharacterClick);
  TSkinSubmenuItem* help = submenu(root, "smnitmHelp", L"&Help");
  command(help, "mnitmCheckForUpdates", actnCheckForUpdates);
  MainMenuRoot = root;
}

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
