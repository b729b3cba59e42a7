// The single-instance hand-over of the program: the component lives with the application
// object and feeds the main form.
#include "app/AppInstance.h"

#include "app/MainFrm.h"
#include "foundation/ApAppInstances.h"
#include "framework/Application.h"

namespace {

struct TCmdLineOpener {
  void CmdLineReceived(TObject*, TStringsW* CmdLine) {
    if (!MainForm) return;
    std::vector<WideString> files;
    for (int i = 0; i < CmdLine->Count(); ++i) files.push_back((*CmdLine)[i]);
    // Without tabs only the shown document can be reached: show the last one handed over.
    if (MainForm->OpenFiles(files) > 0) MainForm->ShowEditor(MainForm->Editors().back());
  }
} opener;

}  // namespace

void StartSingleInstance() {
  Application->Handle();  // the window by which later copies find this one
  auto* instances = new TApAppInstances(Application);
  instances->SetName("AppInstances");
  instances->OnCmdLineReceived = TCmdLineReceivedEvent(&opener, &TCmdLineOpener::CmdLineReceived);
  instances->Loaded();
}
