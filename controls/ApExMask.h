// The extended masked edit: the extended-control operations on the framework's masked edit, a
// filter that lets the owner forbid single clipboard commands, and a beep for refused input.
#pragma once

#include "controls/ApExControls.h"
#include "framework/Mask.h"

HV_ENUM(TApClipboardCommand, caCopy, caCut, caPaste, caClear, caUndo)
using TApClipboardCommands = TSet<TApClipboardCommand>;

// The bit GetDlgCode finds beside the window's dialog codes: an override that means to change
// the codes takes it away, and only then its codes are the window's answer.
constexpr LRESULT ApDlgCodeMarker = 0x40000000;

class TApExCustomMaskEdit : public TApExWindowedBase<TCustomMaskEdit> {
  HV_CLASS(TApExCustomMaskEdit, TApExWindowedBase<TCustomMaskEdit>)
 public:
  explicit TApExCustomMaskEdit(TComponent* AOwner) : inherited(AOwner) {}

  // The clipboard commands the edit carries out; the others are swallowed.
  TApClipboardCommands ClipboardCommands() const { return clipboardCommands_; }
  virtual void SetClipboardCommands(TApClipboardCommands Value) { clipboardCommands_ = Value; }
  bool BeepOnError() const { return beepOnError_; }
  void SetBeepOnError(bool Value) { beepOnError_ = Value; }
  // The command a message or key stands for, if any.
  static bool CommandOfMessage(const TMessage& Message, TApClipboardCommand& Command);

 protected:
  // Beeps when BeepOnError is set (refused input).
  virtual void DoBeepOnError();
  // Whether the command may run now (ClipboardCommands; descendants may refuse more).
  virtual bool CommandAllowed(TApClipboardCommand Command);
  void Dispatch(TMessage& Message) override;

 private:
  TApClipboardCommands clipboardCommands_{caCopy, caCut, caPaste, caClear, caUndo};
  bool beepOnError_ = true;
};
