// The single-instance start: the instances component, owned by the application object, and the
// hand-over of the files named by later copies to the main form.
#include "app/AppServices.h"

#include "app/MainFrm.h"
#include "foundation/ApAppInstances.h"
#include "framework/Application.h"
#include "framework/FileRoutines.h"

namespace {

struct TCmdLineOpener {
  void CmdLineReceived(TObject*, TStringsW* CmdLine) {
    if (!MainForm) return;
    std::vector<WideString> files;
    for (int i = 0; i < CmdLine->Count(); ++i) files.push_back((*CmdLine)[i]);
    MainForm->OpenFiles(files);
  }
} opener;

void StartSingleInstance() {
  Application->Handle();  // the window by which later copies find this one
  auto* instances = new TApAppInstances(Application);
  instances->SetName("AppInstances");
  instances->OnCmdLineReceived = TCmdLineReceivedEvent(&opener, &TCmdLineOpener::CmdLineReceived);
  instances->Loaded();
}

}  // namespace

void StartAppServices() { StartSingleInstance(); }
