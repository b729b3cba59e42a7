// The sizing grip: the hook on the target's message handler and the classic drawing.
#include "controls/SizeGrip.h"

#include <windowsx.h>

#include <algorithm>
#include <memory>
#include <vector>

HV_PUBLISH(TSizeGrip) {
  p.Prop("TargetControl", &T::TargetControl, &T::SetTargetControl);
  p.Prop("Enabled", &T::Enabled, &T::SetEnabled).Default(1);
  p.Prop("Style", &T::Style, &T::SetStyle).Default(sgsClassic);
}

// What stands in the target's WindowProc for a grip. It outlives the grip when another hook was
// put on the target after it: it then only hands messages on, until the target is gone.
class TSizeGripHook : public TComponent {
  HV_CLASS(TSizeGripHook, TComponent)
 public:
  TSizeGripHook(TSizeGrip* Grip, TWinControl* Target) : TComponent(nullptr), grip(Grip), target(Target) {
    previous = Target->WindowProc;
    Target->FreeNotification(this);
  }
  ~TSizeGripHook() override {
    if (target) target->RemoveFreeNotification(this);
  }
  void WndProc(TMessage& Message) {
    if (grip)
      grip->GripWindowProc(Message);
    else if (previous)
      previous(Message);
  }
  TWndMethod Method() { return TWndMethod(this, &TSizeGripHook::WndProc); }

  TSizeGrip* grip;
  TWinControl* target;
  TWndMethod previous;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    inherited::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == target) target = nullptr;
  }
};

HV_PUBLISH(TSizeGripHook) {}

namespace {

// Hooks that hand messages on for a target still alive; freed once their target is gone.
std::vector<std::unique_ptr<TSizeGripHook>>& PassThroughHooks() {
  static std::vector<std::unique_ptr<TSizeGripHook>> hooks;
  return hooks;
}

void KeepPassingThrough(TSizeGripHook* Hook) {
  auto& hooks = PassThroughHooks();
  std::erase_if(hooks, [](const std::unique_ptr<TSizeGripHook>& h) { return h->target == nullptr; });
  Hook->grip = nullptr;
  hooks.emplace_back(Hook);
}

COLORREF Average(COLORREF a, COLORREF b) {
  return RGB((GetRValue(a) + GetRValue(b)) / 2, (GetGValue(a) + GetGValue(b)) / 2, (GetBValue(a) + GetBValue(b)) / 2);
}

}  // namespace

TSizeGrip::TSizeGrip(TComponent* AOwner) : TComponent(AOwner) {
  if (!AOwner || AOwner->ComponentState().Contains(csLoading) || AOwner->ComponentState().Contains(csReading)) return;
  if (auto* windowed = dynamic_cast<TWinControl*>(AOwner))
    SetTargetControl(windowed);
  else if (auto* control = dynamic_cast<TControl*>(AOwner))
    SetTargetControl(control->Parent());
}

TSizeGrip::~TSizeGrip() { SetTargetControl(nullptr); }

void TSizeGrip::SetTargetControl(TWinControl* Value) {
  if (Value == targetControl_) return;
  Unhook();
  if (targetControl_) targetControl_->RemoveFreeNotification(this);
  targetControl_ = Value;
  if (targetControl_) targetControl_->FreeNotification(this);
  Hook();
}

void TSizeGrip::SetEnabled(bool Value) {
  if (Value == enabled_) return;
  enabled_ = Value;
  if (enabled_)
    Hook();
  else
    Unhook();
}

void TSizeGrip::SetStyle(TSizeGripStyle Value) {
  if (Value == style_) return;
  style_ = Value;
  InvalidateGrip();
}

void TSizeGrip::Hook() {
  if (hook_ || !enabled_ || !targetControl_ || IsDestroying() || targetControl_->IsDestroying()) return;
  // A designer owns the messages of the forms it edits.
  if (ComponentState().Contains(csDesigning) || targetControl_->ComponentState().Contains(csDesigning)) return;
  hook_ = new TSizeGripHook(this, targetControl_);
  targetControl_->WindowProc = hook_->Method();
  UpdateGripRect();
  InvalidateGrip();
}

void TSizeGrip::Unhook() {
  if (!hook_) return;
  TSizeGripHook* hook = hook_;
  hook_ = nullptr;
  bool targetAlive = hook->target && !hook->target->IsDestroying();
  // Only a handler that is still ours goes back; one put on after it keeps its place, and ours
  // then just hands the messages on.
  if (targetAlive && hook->target->WindowProc == hook->Method()) {
    hook->target->WindowProc = hook->previous;
    delete hook;
  } else {
    KeepPassingThrough(hook);
  }
  if (targetAlive) InvalidateGrip();
  gripRect_ = TRect{};
}

void TSizeGrip::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == targetControl_) {
    Unhook();
    targetControl_ = nullptr;
  }
}

void TSizeGrip::CallPrevious(TMessage& Message) {
  if (hook_ && hook_->previous) hook_->previous(Message);
}

void TSizeGrip::InvalidateGrip() {
  if (!targetControl_ || targetControl_->IsDestroying() || !targetControl_->HandleAllocated() || gripRect_.IsEmpty())
    return;
  RECT r = ToRECT(gripRect_);
  InvalidateRect(targetControl_->Handle(), &r, TRUE);
}

void TSizeGrip::UpdateGripRect() { GetGripRect(gripRect_); }

void TSizeGrip::GetGripRect(TRect& Rect) {
  if (!targetControl_) {
    Rect = TRect{};
    return;
  }
  Rect = targetControl_->ClientRect();
  Rect.Left = Rect.Right - 15;
  Rect.Top = Rect.Bottom - 15;
}

void TSizeGrip::PaintGrip(HDC DC, const TRect& Rect) { PaintClassicGrip(DC, Rect); }

void TSizeGrip::PaintClassicGrip(HDC DC, const TRect& Rect) {
  COLORREF highlight = ColorToRGB(clBtnHighlight);
  COLORREF shadow = ColorToRGB(clBtnShadow);
  COLORREF middle = Average(targetControl_ ? ColorToRGB(targetControl_->Color()) : shadow, shadow);
  int r = Rect.Right, b = Rect.Bottom;
  if (style_ == sgsClassic) {
    const std::pair<COLORREF, int> groups[] = {{shadow, 2}, {middle, 3}, {highlight, 4}};
    for (const auto& [colour, d] : groups) {
      TPenHandle pen(CreatePen(PS_SOLID, 1, colour));
      HGDIOBJ old = SelectObject(DC, pen.Get());
      for (int k = 0; k <= 8; k += 4) {
        MoveToEx(DC, r - d - k, b - 1, nullptr);
        LineTo(DC, r, b - 1 - d - k);
      }
      SelectObject(DC, old);
    }
    return;
  }
  const POINT anchors[] = {{r - 4, b - 12}, {r - 8, b - 8}, {r - 4, b - 8},
                           {r - 12, b - 4}, {r - 8, b - 4}, {r - 4, b - 4}};
  for (POINT a : anchors) {
    SetPixel(DC, a.x, a.y, shadow);
    SetPixel(DC, a.x + 1, a.y, shadow);
    SetPixel(DC, a.x, a.y + 1, shadow);
    SetPixel(DC, a.x + 1, a.y + 1, middle);
    SetPixel(DC, a.x + 2, a.y + 1, highlight);
    SetPixel(DC, a.x + 1, a.y + 2, highlight);
    SetPixel(DC, a.x + 2, a.y + 2, highlight);
  }
}

void TSizeGrip::GripWindowProc(TMessage& Message) {
  TWinControl* target = targetControl_;
  if (!target || target->IsDestroying()) {
    CallPrevious(Message);
    return;
  }
  switch (Message.Msg) {
    case WM_SIZE:
      InvalidateGrip();
      CallPrevious(Message);
      UpdateGripRect();
      InvalidateGrip();
      break;
    case WM_PAINT:
      CallPrevious(Message);
      if (Message.WParam == 0 && target->HandleAllocated() && hook_) {
        HWND wnd = target->Handle();
        if (TWindowDC dc(wnd); dc) PaintGrip(dc.Get(), gripRect_);
      }
      break;
    case WM_NCHITTEST: {
      TPoint p = target->ScreenToClient(TPoint{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)});
      if (gripRect_.Contains(p))
        Message.Result = HTBOTTOMRIGHT;
      else
        CallPrevious(Message);
      break;
    }
    default: CallPrevious(Message);
  }
}
