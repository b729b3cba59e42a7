// The main window's menu bar: a skinned toolbar on the top dock whose submenus hold the
// commands of the window's actions, the recent characters and the update check. The captions
// are the form's own texts, translated with it.
#include "app/CharPalette.h"
#include "app/MainFrm.h"
#include "framework/Actions.h"
#include "themes/SkinItem.h"
#include "themes/SkinToolbar.h"

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
  auto submenu = [&](const char* Name, const wchar_t* Caption) {
    auto* item = new TSkinSubmenuItem(this);
    item->SetName(Name);
    item->SetCaption(Caption);
    root->Add(item);
    return item;
  };
  auto command = [&](TBarCustomItem* Parent, const char* Name, TAction* Action) {
    auto* item = new TSkinItem(this);
    item->SetName(Name);
    item->SetAction(Action);
    Parent->Add(item);
  };
  TSkinSubmenuItem* file = submenu("smnitmFile", L"&File");
  command(file, "mnitmNew", actnNew);
  command(file, "mnitmOpen", actnOpen);
  auto* divider = new TSkinSeparatorItem(this);
  divider->SetName("sprtrExit");
  file->Add(divider);
  command(file, "mnitmExit", actnExit);
  TSkinSubmenuItem* view = submenu("smnitmView", L"&View");
  command(view, "mnitmPrintPreview", actnPrintPreview);
  TSkinSubmenuItem* character = submenu("smnitmCharacter", L"&Character");
  character->OnClick = TNotifyEvent(this, &TMainForm::smnitmCharacterClick);
  TSkinSubmenuItem* help = submenu("smnitmHelp", L"&Help");
  command(help, "mnitmCheckForUpdates", actnCheckForUpdates);
  MainMenuRoot = root;
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
