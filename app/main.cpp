// The program block of Halcorn Verdan: the application, its main window and the message loop.
#include "app/AppServices.h"
#include "app/Associations.h"
#include "app/Global.h"
#include "app/MainDataModule.h"
#include "app/MainFrm.h"
#include "app/ProductIdentity.h"
#include "app/Startup.h"
#include "framework/Application.h"
#include "framework/FileRoutines.h"
#include "toolbars/BarAcc.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  try {
    RegisterAppClasses();
    const std::vector<WideString> args = CommandLineFiles();
    InitializeGlobalUnit();
    if (IsUnregisterSwitch(args)) {
      // Removes what the program put in the registry and ends without a window.
      UnregisterAllAssociations();
      FinalizeGlobalUnit();
      return 0;
    }
    Application->Initialize();
    // Screen readers reach the toolbars and menus through COM objects of this thread.
    InitBarAccessibility();
    Application->SetTitle(ProductName);
    // Hints stay as long as the mouse rests on their control.
    Application->SetHintHidePause(0x7FFFFFFF);
    StartAppServices();
    TMainForm::StartupFiles() = args;
    TMainForm::HoldStartupWarnings() = true;
    Application->CreateForm(MainForm);
    // The image lists the window's form file names come with the data module.
    New<TMainDataModule>(Application);
    Application->Run();
  } catch (...) {
    // Nothing can run without the main window; the user hears why.
    Application->HandleException(nullptr);
    Application->DestroyComponents();
    FinalizeGlobalUnit();
    DoneBarAccessibility();
    return 1;
  }
  // The forms go while the process is whole: the services they use (shared fonts, the
  // clipboard format, window classes) end with the static objects after wWinMain returns.
  Application->DestroyComponents();
  FinalizeGlobalUnit();
  DoneBarAccessibility();
  return 0;
}
