// Dragging inside the program: the drag object that travels from the source control to the
// targets it passes over, and the one drag that can be in progress.
//
// A drag starts with TControl::BeginDrag: at once, or when the mouse has moved the threshold
// with the button held. While it runs, the mouse is captured; every move asks the control under
// the mouse whether it accepts (DragOver with enter, move and leave) and shows the source's
// drag cursor or the no-drop cursor; releasing the button drops on an accepting target
// (DragDrop), Escape, the right button or a lost capture cancel. The source hears of the end
// in DoEndDrag (OnEndDrag) with the target, or null when nothing took the drop.
//
// A control whose DragKind is dkDock starts a docking drag instead: the same course, with the
// control in the csDocking state from its start to its end, a TDragDockObject travelling
// (DoStartDock may supply one), the targets told through TDragRec::Docking, and the end heard in
// DoEndDock (OnEndDock).
#pragma once

#include "framework/Controls.h"

class TDragObject : public TObject {
  HV_CLASS(TDragObject, TObject)
 public:
  TDragObject() = default;

  // The cursor to show over a target that accepts / refuses.
  virtual TCursor GetDragCursor(bool Accepted, int X, int Y);
  // What DragOver and DragDrop get as their source: the source control for control drags.
  virtual TObject* SourceObject() { return this; }
  // The drag is over; Target is null when it was cancelled or nobody accepted it.
  virtual void Finished(TObject* Target, int X, int Y, bool Accepted);

  TPoint DragPos() const { return dragPos_; }
  TControl* DragTarget() const { return dragTarget_; }
  bool Dropped() const { return dropped_; }
  bool Cancelling() const { return cancelling_; }

 private:
  friend struct TDragSession;
  TPoint dragPos_;
  TControl* dragTarget_ = nullptr;
  bool dropped_ = false;
  bool cancelling_ = false;
};

// The drag object of a control's own drag.
class TDragControlObject : public TDragObject {
  HV_CLASS(TDragControlObject, TDragObject)
 public:
  explicit TDragControlObject(TControl* AControl) : control_(AControl) {}
  TControl* Control() const { return control_; }
  TCursor GetDragCursor(bool Accepted, int X, int Y) override;
  TObject* SourceObject() override { return control_; }
  void Finished(TObject* Target, int X, int Y, bool Accepted) override;

 private:
  friend struct TDragSession;
  TControl* control_;
};

// The drag object of a control's docking drag.
class TDragDockObject : public TDragControlObject {
  HV_CLASS(TDragDockObject, TDragControlObject)
 public:
  explicit TDragDockObject(TControl* AControl) : TDragControlObject(AControl) {}
  void Finished(TObject* Target, int X, int Y, bool Accepted) override;
};

namespace dragdrop {
// Starts a drag of Control (see BeginDrag).
void Begin(TControl* Control, bool Immediate, int Threshold);
// The control whose drag is in progress (or waiting for the threshold), or null.
TControl* SourceControl();
// The drag object in use, or null.
TDragObject* Current();
// The mouse moved to / was released at a screen point while the drag runs.
void MoveTo(const TPoint& Pos);
void Done(bool Drop);
// A mouse or key message during the drag; true when the drag took it.
bool HandleMessage(TControl* Control, TMessage& Message);
// The control is going away: forget it (ending its drag).
void ControlDestroying(TControl* Control);
}  // namespace dragdrop
