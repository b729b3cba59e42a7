// The extended form bases: TApExForm adds the extended operations and the keyboard-cue state to
// a form; TApForm reads its form files down to itself, keeps its owner window right, can refuse
// activation by the mouse and can show without being activated.
#pragma once

#include "controls/ApExControls.h"
#include "framework/Forms.h"

class TApExForm : public TApExWinControlBase<TForm> {
  HV_CLASS(TApExForm, TApExWinControlBase<TForm>)
 public:
  explicit TApExForm(TComponent* AOwner) : inherited(AOwner) {}
  TApExForm(TComponent* AOwner, TCreateNew) : inherited(AOwner, CreateNew) {}

 protected:
  // Starts with the focus and accelerator cues as the system decides, and shows them when the
  // keyboard is used for moving around.
  void CMShowingChanged(TMessage& Message) override;
  void CMDialogKey(TMessage& Message) override;
};

class TApForm : public TApExForm {
  HV_CLASS(TApForm, TApExForm)
 public:
  // Reads the form files of its classes below TApForm ("Resource %s not found" without any),
  // unless it is designed.
  explicit TApForm(TComponent* AOwner) : inherited(AOwner) {}
  TApForm(TComponent* AOwner, TCreateNew) : inherited(AOwner, CreateNew) {}

  // False: a click does not activate the form.
  bool MouseActivate() const { return mouseActivate_; }
  void SetMouseActivate(bool Value) { mouseActivate_ = Value; }
  // Gives the window messages of enabling still pending their turn first.
  int ShowModal() override;
  // Shows the form on top without activating it (after its activation handling when
  // ActivateFirst is set).
  void ShowNoActivate(bool ActivateFirst = false);
  // The window that owns this form's window when it shows.
  HWND ChooseOwnerWindow();

 protected:
  // A designed form reads no form file: the designer fills it.
  const TClassInfo& FormFileRoot() const override {
    return ComponentState().Contains(csDesigning) ? ClassInfo() : TApForm::StaticClassInfo();
  }
  void Dispatch(TMessage& Message) override;
  void CMShowingChanged(TMessage& Message) override;

 private:
  bool mouseActivate_ = true;
};
