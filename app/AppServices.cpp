// The single-instance start: the instances component, owned by the application object, and the
// hand-over of the files named by later copies to the main form.
#include "app/AppServices.h"

#include "app/FilePaths.h"
#include "app/MainFrm.h"
#include "foundation/ApAppInstances.h"
#include "framework/Application.h"
#include "framework/FileRoutines.h"

namespace {

struct TCmdLineOpener {
  void CmdLineReceived(TObject* Sender, TStringsW* CmdLine) {
    if (MainForm) MainForm->appinstncsMainCmdLineReceived(Sender, CmdLine);
  }
  // A copy that hands its files over names them in full: the running copy's current folder is
  // not this one's.
  void Rejected(TObject* Sender) {
    auto* instances = dynamic_cast<TApAppInstances*>(Sender);
    TStringListW files;
    for (const WideString& file : CommandLineFiles()) files.Add(file.empty() ? file : ExpandPath(file));
    // The running copy comes to the front before it opens the files, so that its editor keeps
    // the focus they get (activating it afterwards would take the focus from the editor).
    SysAppInstances().SwitchTo(0);
    int delivered = 0;
    SysAppInstances().SendStrings(TApAppInstances::WindowClassName, SysCmdLineDataKind, &files,
                                  instances ? instances->Handle() : nullptr, &delivered);
    // The copy found is ending and took nothing: this one opens the files itself.
    if (delivered == 0 && instances) instances->KeepRunning();
  }
} opener;

void StartSingleInstance() {
  Application->Handle();  // the window by which later copies find this one
  auto* instances = new TApAppInstances(Application);
  instances->SetName("AppInstances");
  instances->OnCmdLineReceived = TCmdLineReceivedEvent(&opener, &TCmdLineOpener::CmdLineReceived);
  instances->SetSendCmdLine(false);
  instances->SetAutoActivate(false);  // the hand-over activates the running copy itself
  instances->OnRejected = TNotifyEvent(&opener, &TCmdLineOpener::Rejected);
  instances->Loaded();
}

}  // namespace

void StartAppServices() { StartSingleInstance(); }

void LeaveSingleInstance() {
  auto* instances = Application ? dynamic_cast<TApAppInstances*>(Application->FindComponent("AppInstances")) : nullptr;
  if (!instances || !instances->Active()) return;
  instances->SetActive(false);
  SysAppInstances().RemoveInstance();
}

void RejoinSingleInstance() {
  auto* instances = Application ? dynamic_cast<TApAppInstances*>(Application->FindComponent("AppInstances")) : nullptr;
  if (!instances || instances->Active()) return;
  // A copy started while this one was closing runs as the first: files opened from the shell go
  // to it alone. This one keeps its documents and runs on outside the registry, so that it
  // never shares a hand-over; a later cancelled exit tries again.
  if (SysAppInstances().RegisterIfAlone()) instances->SetActive(true);
}
