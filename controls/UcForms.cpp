// The Unicode application object.
#include "controls/UcForms.h"

#include "controls/UcControls.h"

namespace {
TUcApplication* instance = nullptr;
}  // namespace

HV_PUBLISH(TUcApplication) {}

TUcApplication::TUcApplication(TComponent* AOwner) : TComponent(AOwner) {
  if (!Application) return;
  events_ = new TApplicationEvents(this);
  events_->OnIdle = TIdleEvent(this, &TUcApplication::Idle);
  Application->HookMainWindow(TWindowHook(this, &TUcApplication::MainWindowHook));
  hooked_ = true;
}

TUcApplication::~TUcApplication() {
  if (instance == this) instance = nullptr;
  if (hooked_ && Application) {
    try {
      Application->UnhookMainWindow(TWindowHook(this, &TUcApplication::MainWindowHook));
    } catch (...) {
      // The program is ending: a hook that cannot be removed harms nothing any more.
    }
  }
}

bool TUcApplication::MainWindowHook(TMessage& Message) {
  // The application window takes the title it was given before it existed.
  if (Message.Msg == WM_CREATE && Application) {
    WideString title = Application->Title();
    if (!title.empty() && Application->HandleAllocated())
      DefWindowProcW(Application->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(title.c_str()));
  }
  return false;
}

WideString TUcApplication::Hint() const { return Application ? Application->Hint() : WideString(); }

void TUcApplication::SetHint(const WideString& Value) {
  if (Application) Application->SetHint(Value);
}

WideString TUcApplication::Title() const { return Application ? Application->Title() : WideString(); }

void TUcApplication::SetTitle(const WideString& Value) {
  if (!Application || Application->Title() == Value) return;
  Application->SetTitle(Value);
}

void TUcApplication::UpdateHint() {
  if (!Application) return;
  TControl* control = Application->MouseControl();
  if (control) SetHint(WideLongHint(WideControlHint(control)));
}

void TUcApplication::Idle(TObject*, bool&) { UpdateHint(); }

TUcApplication* UcApplication() {
  if (!Application) return nullptr;
  // Owned by the application, so that it goes before the application does.
  if (!instance) instance = new TUcApplication(Application);
  return instance;
}
