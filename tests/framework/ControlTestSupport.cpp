// The test-local controls and helpers of the window tests.
#include "ControlTestSupport.h"

#include <gtest/gtest.h>

#include "framework/FrameworkClasses.h"

std::string ShiftText(TShiftState Shift) {
  static const char* names[] = {"Shift", "Alt", "Ctrl", "Left", "Right", "Middle", "Double"};
  std::string text = "[";
  for (int i = 0; i <= ssDouble; ++i)
    if (Shift.Contains(static_cast<TShiftStateFlag>(i))) {
      if (text.size() > 1) text += ' ';
      text += names[i];
    }
  return text + "]";
}

namespace {
const char* ButtonName(TMouseButton b) { return b == mbLeft ? "L" : b == mbRight ? "R" : "M"; }
std::string PointText(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }
}  // namespace

HV_PUBLISH(TWcPanel) { p.Prop("Caption", &T::Caption, &T::SetCaption); }

HV_PUBLISH(TWcControl) { p.Prop("Caption", &T::Caption, &T::SetCaption); }

HV_PUBLISH(TWcGraphic) {}

void TWcControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  Log.push_back(std::string("down ") + ButtonName(Button) + " " + PointText(X, Y) + " " + ShiftText(Shift));
  inherited::MouseDown(Button, Shift, X, Y);
}

void TWcControl::MouseMove(TShiftState Shift, int X, int Y) {
  Log.push_back("move " + PointText(X, Y) + " " + ShiftText(Shift));
  inherited::MouseMove(Shift, X, Y);
}

void TWcControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  Log.push_back(std::string("up ") + ButtonName(Button) + " " + PointText(X, Y) + " " + ShiftText(Shift));
  inherited::MouseUp(Button, Shift, X, Y);
}

void TWcControl::Click() {
  Log.push_back("click");
  inherited::Click();
}

void TWcControl::DblClick() {
  Log.push_back("dblclick");
  inherited::DblClick();
}

bool TWcControl::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
  Log.push_back("wheel " + std::to_string(WheelDelta) + " " + PointText(MousePos.X, MousePos.Y) + " " +
                ShiftText(Shift));
  return inherited::DoMouseWheel(Shift, WheelDelta, MousePos);
}

void TWcControl::KeyDown(Word& Key, TShiftState Shift) {
  Log.push_back("keydown " + std::to_string(Key) + " " + ShiftText(Shift));
  inherited::KeyDown(Key, Shift);
}

void TWcControl::KeyPress(wchar_t& Key) {
  Log.push_back("keypress " + std::to_string(static_cast<int>(Key)));
  inherited::KeyPress(Key);
}

void TWcControl::KeyUp(Word& Key, TShiftState Shift) {
  Log.push_back("keyup " + std::to_string(Key) + " " + ShiftText(Shift));
  inherited::KeyUp(Key, Shift);
}

void TWcControl::DoEnter() {
  Log.push_back("enter");
  inherited::DoEnter();
}

void TWcControl::DoExit() {
  Log.push_back("exit");
  inherited::DoExit();
}

void TWcControl::Paint() {
  ++Paints;
  if (PaintColor != clNone) {
    Canvas()->Brush()->SetColor(PaintColor);
    Canvas()->FillRect(ClientRect());
  }
}

void TWcControl::CMTextChanged(TMessage& Message) {
  ++TextChanges;
  inherited::CMTextChanged(Message);
}

void TWcControl::CMMouseEnter(TMessage& Message) {
  if (!Message.LParam) Log.push_back("mouseenter");
  inherited::CMMouseEnter(Message);
}

void TWcControl::CMMouseLeave(TMessage& Message) {
  if (!Message.LParam) Log.push_back("mouseleave");
  inherited::CMMouseLeave(Message);
}

void TWcControl::WMGetDlgCode(TMessage& Message) {
  inherited::WMGetDlgCode(Message);
  Message.Result |= DialogCode;
}

void TWcControl::DefaultHandler(TMessage& Message) {
  if (Message.Msg == WM_CHAR) DefaultChars.push_back(Message.WParam);
  inherited::DefaultHandler(Message);
}

void TWcGraphic::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  Log.push_back(std::string("down ") + ButtonName(Button) + " " + PointText(X, Y) + " " + ShiftText(Shift));
}

void TWcGraphic::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  Log.push_back(std::string("up ") + ButtonName(Button) + " " + PointText(X, Y) + " " + ShiftText(Shift));
}

void TWcGraphic::CMMouseEnter(TMessage& Message) {
  if (!Message.LParam) Log.push_back("mouseenter");
  inherited::CMMouseEnter(Message);
}

void TWcGraphic::CMMouseLeave(TMessage& Message) {
  if (!Message.LParam) Log.push_back("mouseleave");
  inherited::CMMouseLeave(Message);
}

TMessageBoxRecorder& TestMessageBoxes() {
  static TMessageBoxRecorder boxes;
  return boxes;
}

TForm* NewShownForm(int Width, int Height) {
  TForm* form = new TForm(nullptr, CreateNew);
  form->SetBounds(40, 40, Width, Height);
  form->Show();
  Pump();
  return form;
}

void Pump() { Application->ProcessMessages(); }

LRESULT SendMouse(HWND Wnd, UINT Msg, int X, int Y, WPARAM Keys) {
  return SendMessageW(Wnd, Msg, Keys, PointToLParam(X, Y));
}

void SetModifiers(bool Shift, bool Ctrl, bool Alt) {
  BYTE keys[256];
  GetKeyboardState(keys);
  auto set = [&](int vk, bool down) { keys[vk] = down ? 0x80 : 0; };
  set(VK_SHIFT, Shift);
  set(VK_LSHIFT, Shift);
  set(VK_CONTROL, Ctrl);
  set(VK_LCONTROL, Ctrl);
  set(VK_MENU, Alt);
  set(VK_LMENU, Alt);
  SetKeyboardState(keys);
}

namespace {
// Every window test runs with message boxes answered here, the framework's classes and the
// test-local ones registered, and no modifier key held.
class TWindowTestEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    Application->SetMessageBoxHandler(&TestMessageBoxes());
    RegisterFrameworkClasses();
    RegisterClasses({&TWcPanel::StaticClassInfo(), &TWcControl::StaticClassInfo(), &TWcGraphic::StaticClassInfo()});
    SetModifiers(false, false, false);
  }
};
const testing::Environment* const environment = testing::AddGlobalTestEnvironment(new TWindowTestEnvironment);
}  // namespace
