// The pieces of a colour-picking button: a clickable colour cell and a button with a drop-down
// arrow part that pops something up below itself.
#pragma once

#include "controls/ApExControls.h"
#include "framework/Forms.h"

using TApColorClickEvent = TEvent<void(TObject* Sender, TMouseButton Button, TColor Color, TShiftState Shift)>;

class TApColorSquare : public TApExGraphicControl {
  HV_CLASS(TApColorSquare, TApExGraphicControl)
 public:
  explicit TApColorSquare(TComponent* AOwner);

  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle Value);
  // Whether the mouse is over the square (it then shows a frame).
  bool Hot() const { return hot_; }

  TNotifyEvent OnChange;
  TApColorClickEvent OnColorClick;

 protected:
  void Paint() override;
  void MouseEnter(TControl* AControl) override;
  void MouseLeave(TControl* AControl) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void CMColorChanged(TMessage& Message) override;

 private:
  bool hot_ = false;
  TBorderStyle borderStyle_ = bsSingle;
};

// What a drop button can pop up besides a popup menu.
class IApPopup {
 public:
  virtual void Popup(int X, int Y) = 0;

 protected:
  ~IApPopup() = default;
};

class TApCustomDropButton : public TApExCustomControl {
  HV_CLASS(TApCustomDropButton, TApExCustomControl)
 public:
  explicit TApCustomDropButton(TComponent* AOwner);

  // A popup menu, or a component that offers IApPopup; shown at the button's bottom-left.
  TComponent* DropDown() const { return dropDown_; }
  void SetDropDown(TComponent* Value);
  int ArrowWidth() const { return arrowWidth_; }
  void SetArrowWidth(int Value);
  bool Pressed() const { return pressed_; }
  // What was dropped down closed with Result: the button shows released.
  virtual void CloseUp(TModalResult Result);

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseEnter(TControl* AControl) override;
  void MouseLeave(TControl* AControl) override;
  void Click() override;
  void CMVisibleChanged(TMessage& Message) override;
  void CMEnabledChanged(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Pops the drop-down object up at a screen point.
  virtual void PopupDropDown(TPoint ScreenPos);

  bool pressed_ = false;

 private:
  TComponent* dropDown_ = nullptr;
  int arrowWidth_ = 13;
};
