// The drag in progress: its source, drag object, target and acceptance.
#include "framework/DragDrop.h"

#include <cstdlib>
#include <memory>

#include "framework/Screen.h"

struct TDragSession {
  TControl* Source = nullptr;
  TDragObject* Object = nullptr;
  std::unique_ptr<TDragObject> OwnedObject;  // the one made here when OnStartDrag gave none
  TPoint Start;
  int ThresholdX = 0, ThresholdY = 0;
  bool Started = false;
  TControl* Target = nullptr;
  bool Accepted = false;
  bool Docking = false;

  static void StartDrag(TControl* control, TDragObject*& object) { control->DoStartDrag(object); }
  static void EndDrag(TControl* control, TObject* target, int x, int y) { control->DoEndDrag(target, x, y); }
  static void StartDock(TControl* control, TDragDockObject*& object) { control->DoStartDock(object); }
  static void EndDock(TControl* control, TObject* target, int x, int y) { control->DoEndDock(target, x, y); }
  // The source is docking from the start of its docking drag to the end.
  static void SetDocking(TControl* control, bool docking) {
    TControlState state = control->ControlState();
    if (docking)
      state.Include(csDocking);
    else
      state.Exclude(csDocking);
    control->SetControlState(state);
  }
  // Sends CM_DRAG to the target: enter and move answer whether it accepts.
  LRESULT Message(TControl* target, TDragMessage kind, const TPoint& pos) {
    TDragRec rec;
    rec.Pos = pos;
    rec.Source = Object;
    rec.Target = target;
    rec.Docking = Docking;
    return target->Perform(CM_DRAG, kind, reinterpret_cast<LPARAM>(&rec));
  }
  void Moved(const TPoint& pos, TDragObject* object) {
    object->dragPos_ = pos;
    object->dragTarget_ = Target;
  }
  void Ended(TDragObject* object, bool dropped) {
    object->dropped_ = dropped;
    object->cancelling_ = !dropped;
  }
};

namespace {
// One drag at a time in the whole program.
std::unique_ptr<TDragSession> session;
}  // namespace

HV_PUBLISH(TDragObject) {}

TCursor TDragObject::GetDragCursor(bool Accepted, int, int) { return Accepted ? crDrag : crNoDrop; }

void TDragObject::Finished(TObject*, int, int, bool) {}

HV_PUBLISH(TDragControlObject) {}

HV_PUBLISH(TDragDockObject) {}

TCursor TDragControlObject::GetDragCursor(bool Accepted, int, int) {
  return Accepted ? control_->DragCursor() : crNoDrop;
}

void TDragControlObject::Finished(TObject* Target, int X, int Y, bool) {
  TDragSession::EndDrag(control_, Target, X, Y);
}

void TDragDockObject::Finished(TObject* Target, int X, int Y, bool) { TDragSession::EndDock(Control(), Target, X, Y); }

namespace dragdrop {

TControl* SourceControl() { return session ? session->Source : nullptr; }

TDragObject* Current() { return session ? session->Object : nullptr; }

void Begin(TControl* Control, bool Immediate, int Threshold) {
  if (session || !Control) return;
  auto s = std::make_unique<TDragSession>();
  s->Source = Control;
  s->Docking = Control->DragKind() == dkDock;
  TDragObject* object = nullptr;
  if (s->Docking) {
    TDragDockObject* dock = nullptr;
    TDragSession::StartDock(Control, dock);
    if (!dock) {
      s->OwnedObject = std::make_unique<TDragDockObject>(Control);
      dock = static_cast<TDragDockObject*>(s->OwnedObject.get());
    }
    object = dock;
    TDragSession::SetDocking(Control, true);
  } else {
    TDragSession::StartDrag(Control, object);
    if (!object) {
      s->OwnedObject = std::make_unique<TDragControlObject>(Control);
      object = s->OwnedObject.get();
    }
  }
  s->Object = object;
  s->Start = MousePos();
  s->ThresholdX = Threshold < 0 ? GetSystemMetrics(SM_CXDRAG) : Threshold;
  s->ThresholdY = Threshold < 0 ? GetSystemMetrics(SM_CYDRAG) : Threshold;
  session = std::move(s);
  // The source's window gets every mouse message until the drag ends.
  SetCaptureControl(Control);
  if (Immediate) {
    session->Started = true;
    MoveTo(MousePos());
  }
}

void MoveTo(const TPoint& Pos) {
  if (!session) return;
  TDragSession* s = session.get();
  if (!s->Started) {
    if (std::abs(Pos.X - s->Start.X) < s->ThresholdX && std::abs(Pos.Y - s->Start.Y) < s->ThresholdY) return;
    s->Started = true;
  }
  TControl* target = FindDragTarget(Pos, false);
  if (target != s->Target) {
    if (s->Target) s->Message(s->Target, dmDragLeave, Pos);
    if (session.get() != s) return;  // a handler ended the drag
    s->Target = target;
    s->Accepted = target && s->Message(target, dmDragEnter, Pos) != 0;
  } else if (target) {
    s->Accepted = s->Message(target, dmDragMove, Pos) != 0;
  }
  if (session.get() != s) return;
  s->Moved(Pos, s->Object);
  TPoint local = s->Target ? s->Target->ScreenToClient(Pos) : Pos;
  TCursor cursor = s->Object->GetDragCursor(s->Accepted, local.X, local.Y);
  if (Screen) ::SetCursor(Screen->Cursors(cursor));
}

void Done(bool Drop) {
  if (!session) return;
  // The drag is over before anyone hears of it, so that a handler may start another.
  std::unique_ptr<TDragSession> s = std::move(session);
  if (GetCaptureControl() == s->Source) SetCaptureControl(nullptr);
  if (s->Docking) TDragSession::SetDocking(s->Source, false);
  TPoint pos = s->Object->DragPos();
  if (!s->Started) pos = MousePos();
  bool accepted = Drop && s->Started && s->Target && s->Accepted;
  TPoint local = s->Target ? s->Target->ScreenToClient(pos) : pos;
  if (s->Target) s->Message(s->Target, accepted ? dmDragDrop : dmDragLeave, pos);
  s->Ended(s->Object, accepted);
  s->Object->Finished(accepted ? s->Target : nullptr, local.X, local.Y, accepted);
}

bool HandleMessage(TControl* Control, TMessage& Message) {
  if (!session || !Control) return false;
  switch (Message.Msg) {
    case WM_MOUSEMOVE:
      MoveTo(Control->ClientToScreen({MessageX(Message.LParam), MessageY(Message.LParam)}));
      return true;
    case WM_LBUTTONUP:
      // A press that never became a drag is an ordinary click.
      if (!session->Started) {
        Done(false);
        return false;
      }
      Done(true);
      return true;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP: Done(false); return true;
    case WM_KEYDOWN:
      if (Message.WParam != VK_ESCAPE) return false;
      Done(false);
      return true;
    case WM_CAPTURECHANGED:
      if (session->Started) Done(false);
      return false;
    default: return false;
  }
}

void ControlDestroying(TControl* Control) {
  if (!session) return;
  if (session->Source == Control) {
    // The source goes: the drag ends without telling anyone.
    std::unique_ptr<TDragSession> s = std::move(session);
    if (GetCaptureControl() == Control) SetCaptureControl(nullptr);
    return;
  }
  if (session->Target == Control) {
    session->Target = nullptr;
    session->Accepted = false;
  }
}

}  // namespace dragdrop
