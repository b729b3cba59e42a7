// The up-down control.
#include "framework/ComCtrls.h"

#include <commctrl.h>

#include <algorithm>

HV_PUBLISH(TCustomUpDown) {}

HV_PUBLISH(TUpDown) {
  p.Prop("AlignButton", &T::AlignButton, &T::SetAlignButton).Default(udRight);
  p.Prop("ArrowKeys", &T::ArrowKeys, &T::SetArrowKeys).Default(1);
  p.Prop("Associate", &T::Associate, &T::SetAssociate);
  p.Prop("Increment", &T::Increment, &T::SetIncrement).Default(1);
  p.Prop("Max", &T::Max, &T::SetMax).Default(100);
  p.Prop("Min", &T::Min, &T::SetMin).Default(0);
  p.Prop("Orientation", &T::Orientation, &T::SetOrientation).Default(udVertical);
  p.Prop("Position", &T::Position, &T::SetPosition).Default(0);
  p.Prop("Thousands", &T::Thousands, &T::SetThousands).Default(1);
  p.Prop("Wrap", &T::Wrap, &T::SetWrap).Default(0);
  p.Event("OnChanging", &T::OnChanging);
  p.Event("OnClick", &T::OnClick);
}

TCustomUpDown::TCustomUpDown(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(Left(), Top(), GetSystemMetrics(SM_CXVSCROLL), GetSystemMetrics(SM_CYVSCROLL) * 2);
  SetControlStyle(ControlStyle() - csDoubleClicks);
  INITCOMMONCONTROLSEX init{sizeof init, ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&init);
}

void TCustomUpDown::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  CreateSubClass(Params, UPDOWN_CLASSW);
  if (wrap_) Params.Style |= UDS_WRAP;
  if (arrowKeys_) Params.Style |= UDS_ARROWKEYS;
  if (!thousands_) Params.Style |= UDS_NOTHOUSANDS;
  if (orientation_ == udHorizontal) Params.Style |= UDS_HORZ;
  if (associate_) Params.Style |= UDS_SETBUDDYINT | (alignButton_ == udRight ? UDS_ALIGNRIGHT : UDS_ALIGNLEFT);
}

void TCustomUpDown::CreateWnd() {
  inherited::CreateWnd();
  // The buddy first, so that setting the position writes its text.
  if (associate_) SendMessageW(Handle(), UDM_SETBUDDY, reinterpret_cast<WPARAM>(associate_->Handle()), 0);
  ApplyRange();
  UDACCEL accel{0, static_cast<UINT>(increment_)};
  SendMessageW(Handle(), UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
}

void TCustomUpDown::ApplyRange() {
  if (!HandleAllocated()) return;
  SendMessageW(Handle(), UDM_SETRANGE32, static_cast<WPARAM>(min_), max_);
  SendMessageW(Handle(), UDM_SETPOS32, 0, position_);
}

void TCustomUpDown::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(Message.LParam);
      if (header->code == UDN_DELTAPOS) Message.Result = CanChange() ? 0 : 1;
      return;
    }
    case CN_HSCROLL:
    case CN_VSCROLL:
      if (LOWORD(Message.WParam) == SB_THUMBPOSITION) {
        int previous = position_;
        position_ = static_cast<int>(SendMessageW(Handle(), UDM_GETPOS32, 0, 0));
        if (position_ != previous || wrap_) Click(position_ > previous ? btNext : btPrev);
      }
      return;
    default: break;
  }
  inherited::Dispatch(Message);
}

bool TCustomUpDown::CanChange() {
  bool allow = true;
  if (OnChanging) OnChanging(this, allow);
  return allow;
}

void TCustomUpDown::Click(TUDBtnType Button) {
  if (OnClick) OnClick(this, Button);
}

void TCustomUpDown::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == associate_) {
    associate_ = nullptr;
    if (HandleAllocated()) SendMessageW(Handle(), UDM_SETBUDDY, 0, 0);
  }
}

int TCustomUpDown::Position() {
  if (HandleAllocated()) {
    BOOL failed = FALSE;
    auto pos = static_cast<int>(SendMessageW(Handle(), UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&failed)));
    if (!failed) position_ = pos;
  }
  return position_;
}

void TCustomUpDown::SetPosition(int Value) {
  Value = std::clamp(Value, std::min(min_, max_), std::max(min_, max_));
  if (position_ == Value) return;
  position_ = Value;
  if (HandleAllocated()) SendMessageW(Handle(), UDM_SETPOS32, 0, position_);
}

void TCustomUpDown::SetMin(int Value) {
  if (min_ == Value) return;
  min_ = Value;
  position_ = std::clamp(position_, std::min(min_, max_), std::max(min_, max_));
  ApplyRange();
}

void TCustomUpDown::SetMax(int Value) {
  if (max_ == Value) return;
  max_ = Value;
  position_ = std::clamp(position_, std::min(min_, max_), std::max(min_, max_));
  ApplyRange();
}

void TCustomUpDown::SetIncrement(int Value) {
  if (increment_ == Value) return;
  increment_ = Value;
  RecreateWnd();
}

void TCustomUpDown::SetWrap(bool Value) {
  if (wrap_ == Value) return;
  wrap_ = Value;
  RecreateWnd();
}

void TCustomUpDown::SetArrowKeys(bool Value) {
  if (arrowKeys_ == Value) return;
  arrowKeys_ = Value;
  RecreateWnd();
}

void TCustomUpDown::SetThousands(bool Value) {
  if (thousands_ == Value) return;
  thousands_ = Value;
  RecreateWnd();
}

void TCustomUpDown::SetOrientation(TUDOrientation Value) {
  if (orientation_ == Value) return;
  orientation_ = Value;
  if (!IsLoading()) SetBounds(Left(), Top(), Height(), Width());
  RecreateWnd();
}

void TCustomUpDown::SetAlignButton(TUDAlignButton Value) {
  if (alignButton_ == Value) return;
  alignButton_ = Value;
  RecreateWnd();
}

void TCustomUpDown::SetAssociate(TWinControl* Value) {
  if (associate_ == Value) return;
  if (associate_) associate_->RemoveFreeNotification(this);
  associate_ = Value;
  if (Value) Value->FreeNotification(this);
  RecreateWnd();
}
