// The drop-down colour palette: 20 fixed colour squares, a square for a colour of one's own and
// a button that opens the full colour dialog; it closes on a choice, Esc or losing activation.
#pragma once

#include "controls/ApColorBox.h"
#include "controls/ApExForms.h"
#include "framework/Buttons.h"
#include "framework/Dialogs.h"

// The colour dialog with hooks for the palette, which must not close while it shows.
class TApColorDialog : public TColorDialog {
  HV_CLASS(TApColorDialog, TColorDialog)
 public:
  explicit TApColorDialog(TComponent* AOwner) : inherited(AOwner) {}
  TNotifyEvent OnShowHook;
  TNotifyEvent OnCloseHook;

 protected:
  void DoShow() override;
  void DoClose() override;
};

class TApColorForm : public TApForm {
  HV_CLASS(TApColorForm, TApForm)
 public:
  explicit TApColorForm(TComponent* AOwner);

  // The colour chosen last.
  TColor CurrentColor() const { return color_; }
  void SetCurrentColor(TColor Value) { color_ = Value; }
  TApColorDialog* ColorDialog() const { return colorDialog_; }
  TSpeedButton* OtherButton() const { return otherBtn_; }
  TApColorSquare* CustomSquare() const { return customSquare_; }
  // The 20 fixed squares, in order.
  TApColorSquare* Square(int Index) const { return squares_.at(static_cast<size_t>(Index)); }
  bool DialogOpen() const { return dialogOpen_; }
  // (Re)builds the squares, the "Other" button and the bevel, and sizes the form after them.
  void BuildSquares();

  void OtherBtnClick(TObject* Sender);
  void DoColorClick(TObject* Sender);
  void DoColorChange(TObject* Sender);
  void FormKeyUp(TObject* Sender, Word& Key, TShiftState Shift);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void FormActivate(TObject* Sender);
  void FormDeactivate(TObject* Sender);

 protected:
  void CreateParams(TCreateParams& Params) override;

 private:
  void CloseWith(TModalResult Result);
  void DialogShown(TObject* Sender);
  void DialogClosed(TObject* Sender);

  TSpeedButton* otherBtn_ = nullptr;
  bool dialogOpen_ = false;
  bool closing_ = false;
  TApColorSquare* customSquare_ = nullptr;
  int squareSize_ = 22;
  TApColorDialog* colorDialog_ = nullptr;
  TColor color_ = clBlack;
  std::vector<TApColorSquare*> squares_;
};
