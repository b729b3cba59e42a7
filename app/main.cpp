// The program block of Halcorn Verdan: the application, its main window and the message loop.
#include "app/MainFrm.h"
#include "editor/TxtEdit.h"
#include "framework/Application.h"
#include "framework/FrameworkClasses.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  try {
    RegisterFrameworkClasses();
    RegisterTxtEditClasses();
    Application->Initialize();
    Application->SetTitle(L"Halcorn Verdan");
    TMainForm::StartupFiles() = CommandLineFiles();
    Application->CreateForm(MainForm);
    Application->Run();
  } catch (...) {
    // Nothing can run without the main window; the user hears why.
    Application->HandleException(nullptr);
    return 1;
  }
  return 0;
}
