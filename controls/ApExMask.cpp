// The extended masked edit: the clipboard filter.
#include "controls/ApExMask.h"

HV_PUBLISH(TApExCustomMaskEdit) {}

bool TApExCustomMaskEdit::CommandOfMessage(const TMessage& Message, TApClipboardCommand& Command) {
  switch (Message.Msg) {
    case WM_COPY: Command = caCopy; return true;
    case WM_CUT: Command = caCut; return true;
    case WM_PASTE: Command = caPaste; return true;
    case WM_CLEAR: Command = caClear; return true;
    case WM_UNDO:
    case EM_UNDO: Command = caUndo; return true;
    // The edit window carries out the keys itself, without sending itself the messages.
    case WM_CHAR:
      switch (Message.WParam) {
        case 0x03: Command = caCopy; return true;
        case 0x18: Command = caCut; return true;
        case 0x16: Command = caPaste; return true;
        case 0x1A: Command = caUndo; return true;
        default: return false;
      }
    case WM_KEYDOWN: {
      bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
      if (Message.WParam == VK_INSERT && shift && !ctrl)
        Command = caPaste;
      else if (Message.WParam == VK_INSERT && ctrl && !shift)
        Command = caCopy;
      else if (Message.WParam == VK_DELETE && shift && !ctrl)
        Command = caCut;
      else
        return false;
      return true;
    }
    default: return false;
  }
}

bool TApExCustomMaskEdit::CommandAllowed(TApClipboardCommand Command) { return clipboardCommands_.Contains(Command); }

void TApExCustomMaskEdit::DoBeepOnError() {
  if (beepOnError_) MessageBeep(0);
}

void TApExCustomMaskEdit::Dispatch(TMessage& Message) {
  TApClipboardCommand command;
  if (CommandOfMessage(Message, command) && !CommandAllowed(command)) {
    Message.Result = 1;
    return;
  }
  if (Message.Msg == WM_GETDLGCODE) {
    Message.Result = InheritedPerform(WM_GETDLGCODE, Message.WParam, Message.LParam);
    LRESULT code = Message.Result | ApDlgCodeMarker;
    GetDlgCode(code);
    if (!(code & ApDlgCodeMarker)) Message.Result = code;
    return;
  }
  inherited::Dispatch(Message);
}
