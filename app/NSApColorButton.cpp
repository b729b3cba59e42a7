// The colour chooser button: its face, the press that opens the dialog or the palette, and the
// rules that close the palette when the focus or the mouse goes elsewhere.
#include "framework/Win.h"

#include "app/NSApColorButton.h"

#include "controls/ApColorForm.h"
#include "framework/Format.h"
#include "framework/Messages.h"
#include "framework/StringLists.h"

HV_PUBLISH(TNSApColorButton) {
  p.Prop("ArrowWidth", &T::ArrowWidth, &T::SetArrowWidth).Default(0);
  p.Prop("EdgeWidth", &T::EdgeWidth, &T::SetEdgeWidth).Default(5);
  p.Prop("ButtonShowsPalette", &T::ButtonShowsPalette, &T::SetButtonShowsPalette).Default(1);
  p.Prop("Options", &T::Options, &T::SetOptions).Default(TColorDialogOptions{});
  p.Prop("CustomColors", &T::CustomColors, &T::SetCustomColors);
  p.Prop("Color", &T::Color, &T::SetColor).Default(0);
  p.Prop("OtherCaption", &T::OtherCaption, &T::SetOtherCaption);
  p.Event("OnPaletteShowing", &T::OnPaletteShowing);
}

TNSApColorButton::TNSApColorButton(TComponent* AOwner)
    : TApCustomDropButton(AOwner), customColors_(std::make_unique<TStringList>()) {
  SetTabStop(false);
  SetArrowWidth(0);
  SetBounds(Left(), Top(), 42, 21);
  ColorForm();
}

TNSApColorButton::~TNSApColorButton() = default;

TApColorForm* TNSApColorButton::ColorForm() {
  // A palette that closed frees itself: the next one is made afresh.
  if (form_ && form_->Closing()) {
    form_->RemoveFreeNotification(this);
    form_ = nullptr;
  }
  if (!form_ && !ComponentState().Contains(csDestroying)) {
    form_ = new TApColorForm(this);
    form_->SetColorButton(this);
    form_->FreeNotification(this);
  }
  return form_;
}

void TNSApColorButton::Notification(TComponent* AComponent, TOperation Operation) {
  TApCustomDropButton::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == form_) form_ = nullptr;
}

void TNSApColorButton::SetColor(TColor Value) {
  if (Value == color_) return;
  color_ = Value;
  if (OnChange) OnChange(this);
  Invalidate();
}

void TNSApColorButton::SetEdgeWidth(int Value) {
  if (Value == edgeWidth_) return;
  edgeWidth_ = Value;
  Invalidate();
}

void TNSApColorButton::SetCustomColors(TStrings* Value) { customColors_->Assign(Value); }

void TNSApColorButton::DefaultCustomColors(TStrings* Lines) {
  static const TColor system[16] = {clActiveBorder,
                                    clActiveCaption,
                                    clAppWorkSpace,
                                    clWindow,
                                    clBtnFace,
                                    clBtnHighlight,
                                    clBtnShadow,
                                    clBtnText,
                                    cl3DLight,
                                    clInfoBk,
                                    clGradientActiveCaption,
                                    clGradientInactiveCaption,
                                    clGrayText,
                                    clHighlight,
                                    clHighlightText,
                                    clHotLight};
  Lines->Clear();
  for (int i = 0; i < 16; ++i) {
    const AnsiString letter(1, static_cast<char>('A' + i));
    Lines->Add(Format("Color%s=%0.6x", letter, ColorToRGB(system[i])));
  }
}

bool TNSApColorButton::PaletteVisible() const { return form_ && !form_->Closing() && form_->Visible(); }

void TNSApColorButton::ClosePalette() {
  if (PaletteVisible()) form_->CloseWith(mrCancel);
}

void TNSApColorButton::DropDown() {
  if (!Enabled()) return;
  TApColorForm* form = ColorForm();
  if (!form) return;
  TApColorDialog* dialog = form->ColorDialog();
  dialog->SetOptions(options_);
  form->OtherButton()->SetCaption(otherCaption_);
  if (customColors_->Count() > 0)
    dialog->CustomColorList()->Assign(customColors_.get());
  else
    DefaultCustomColors(dialog->CustomColorList());
  if (ArrowWidth() != 0) {
    // The press that took the focus back may have closed it already: it stays closed.
    const bool wasOpen = paletteWasOpen_;
    paletteWasOpen_ = false;
    if (wasOpen || form->Visible()) {
      form->CloseWith(mrCancel);
    } else {
      form->SetCurrentColor(color_);
      form->Show();
    }
    return;
  }
  dialog->SetColor(color_);
  const bool confirmed = dialog->Execute();
  if (confirmed) SetColor(dialog->Color());
  CloseUp(confirmed ? mrOk : mrCancel);
}

void TNSApColorButton::CloseUp(TModalResult Result) {
  // The palette's choice; the dialog's own was taken by DropDown.
  if (Result == mrOk && ArrowWidth() != 0 && form_) SetColor(form_->CurrentColor());
  TApCustomDropButton::CloseUp(Result);
}

void TNSApColorButton::Paint() {
  TApCustomDropButton::Paint();
  TCanvas* canvas = Canvas();
  TRect r = ClientRect();
  r.Right -= ArrowWidth() != 0 ? ArrowWidth() : 1;
  r = TRect{r.Left + edgeWidth_, r.Top + edgeWidth_, r.Right - edgeWidth_, r.Bottom - edgeWidth_};
  if (r.Right <= r.Left || r.Bottom <= r.Top) return;
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(Enabled() ? clWindowFrame : clBtnShadow);
  canvas->FrameRect(r);
  r = TRect{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
  // Disabled, the colour shows only as a hatch over the face.
  if (!Enabled()) {
    SetBkMode(canvas->Handle(), TRANSPARENT);
    canvas->Brush()->SetStyle(bsBDiagonal);
  }
  canvas->Brush()->SetColor(color_);
  canvas->FillRect(r);
  canvas->Brush()->SetStyle(bsSolid);
}

void TNSApColorButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) {
    paletteWasOpen_ = PaletteVisible();
    if (CanFocus() && Showing()) SetFocus();
    if (buttonShowsPalette_ || X >= Width() - ArrowWidth()) {
      bool allow = true;
      if (OnPaletteShowing) OnPaletteShowing(this, allow);
      if (allow) {
        pressed_ = true;
        Invalidate();
        DropDown();
      }
    }
  }
  // The drop button's own press state is not wanted: only an allowed press shows pressed.
  TApExCustomControl::MouseDown(Button, Shift, X, Y);
}

void TNSApColorButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  pressed_ = false;
  Invalidate();
  TApExCustomControl::MouseUp(Button, Shift, X, Y);
}

namespace {

bool plainOrShift(TShiftState Shift) { return !Shift.Contains(ssCtrl) && !Shift.Contains(ssAlt); }

}  // namespace

void TNSApColorButton::KeyDown(Word& Key, TShiftState Shift) {
  if (Key == VK_ESCAPE && !Shift.Contains(ssShift) && plainOrShift(Shift) && PaletteVisible()) {
    ClosePalette();
    Key = 0;
    return;
  }
  TApCustomDropButton::KeyDown(Key, Shift);
  // The keyboard's press lands on the arrow part, so that it always opens.
  if ((Key == VK_RETURN || Key == VK_SPACE) && plainOrShift(Shift)) MouseDown(mbLeft, Shift, Width() - 1, 0);
}

void TNSApColorButton::KeyUp(Word& Key, TShiftState Shift) {
  TApCustomDropButton::KeyUp(Key, Shift);
  if ((Key == VK_RETURN || Key == VK_SPACE) && plainOrShift(Shift)) MouseUp(mbLeft, Shift, Width() - 1, 0);
}

bool TNSApColorButton::OwnWindow(HWND Wnd) {
  if (!Wnd) return false;
  if (HandleAllocated() && Wnd == Handle()) return true;
  if (!form_ || !form_->HandleAllocated()) return false;
  return Wnd == form_->Handle() || IsChild(form_->Handle(), Wnd);
}

void TNSApColorButton::DoKillFocus(HWND FocusedWnd) {
  TApCustomDropButton::DoKillFocus(FocusedWnd);
  if (PaletteVisible() && !OwnWindow(FocusedWnd) && HandleAllocated()) PostMessageW(Handle(), NSM_CLOSEPALETTE, 0, 0);
}

void TNSApColorButton::GetDlgCode(LRESULT& Code) {
  // Esc belongs to the open palette, not to the dialog's Cancel.
  if (PaletteVisible()) Code |= DLGC_WANTALLKEYS;
}

void TNSApColorButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case NSM_CLOSEPALETTE: ClosePalette(); return;
    case CM_CANCELMODE: {
      auto* sender = reinterpret_cast<TControl*>(Message.LParam);
      auto* windowed = dynamic_cast<TWinControl*>(sender);
      const bool own = sender == this || (form_ && sender == form_) ||
                       (windowed && windowed->HandleAllocated() && OwnWindow(windowed->Handle())) ||
                       (sender && form_ && GetParentForm(sender) == form_);
      if (!own) ClosePalette();
      break;
    }
    default: break;
  }
  TApCustomDropButton::Dispatch(Message);
}
