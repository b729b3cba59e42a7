// Test-local controls that record what reaches their virtual handlers, a container, and the
// helpers the window tests share (message boxes answered without a window, message pumping).
#pragma once

#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/Forms.h"
#include "tests/common/MessageBoxRecorder.h"

// Records calls as short texts ("down L 5,6 [Shift Left]").
std::string ShiftText(TShiftState Shift);

// A container with a caption; paints its colour.
class TWcPanel : public TCustomControl {
  HV_CLASS(TWcPanel, TCustomControl)
 public:
  explicit TWcPanel(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(ControlStyle() + csAcceptsControls + csOpaque);
    SetBounds(0, 0, 100, 50);
  }
  using TWinControl::Realign;

 protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
  }
};

// A focusable windowed control that logs its input and notifications.
class TWcControl : public TCustomControl {
  HV_CLASS(TWcControl, TCustomControl)
 public:
  explicit TWcControl(TComponent* AOwner) : TCustomControl(AOwner) {
    SetTabStop(true);
    SetBounds(0, 0, 40, 20);
  }
  std::vector<std::string> Log;
  LRESULT DialogCode = 0;  // what WM_GETDLGCODE adds
  int Paints = 0;
  int TextChanges = 0;
  std::vector<WPARAM> DefaultChars;  // WM_CHAR that reached the default handling
  TColor PaintColor = clNone;        // fills the client area when set

  using TWinControl::CreateParams;
  using TWinControl::RecreateWnd;

 protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Click() override;
  void DblClick() override;
  bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(wchar_t& Key) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void DoEnter() override;
  void DoExit() override;
  void Paint() override;
  void CMTextChanged(TMessage& Message) override;
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;
  void WMGetDlgCode(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;
  void InitiateAction() override { ++InitiatedActions; }

 public:
  int InitiatedActions = 0;
};

// A graphic control that logs its mouse input and fills itself with its colour.
class TWcGraphic : public TGraphicControl {
  HV_CLASS(TWcGraphic, TGraphicControl)
 public:
  explicit TWcGraphic(TComponent* AOwner) : TGraphicControl(AOwner) {
    SetControlStyle(ControlStyle() + csOpaque);
    SetBounds(0, 0, 20, 10);
  }
  std::vector<std::string> Log;

 protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;
  void Paint() override {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
  }
};

// The message boxes of the test program (installed for every test).
TMessageBoxRecorder& TestMessageBoxes();

// A form without form file, shown at a fixed place, freed at the end of the test.
TForm* NewShownForm(int Width = 300, int Height = 200);
// Handles what is waiting in the message queue.
void Pump();
// Sends a mouse message to a window at a client point with key flags.
LRESULT SendMouse(HWND Wnd, UINT Msg, int X, int Y, WPARAM Keys = 0);
// Sets Shift, Ctrl and Alt as held or not for the thread's key state.
void SetModifiers(bool Shift, bool Ctrl, bool Alt);
