// The drop-down colour palette: 20 fixed colour squares, a square for a colour of one's own and
// a button that opens the full colour dialog; it closes on a choice, Esc or losing activation.
#pragma once

#include <functional>
#include <memory>

#include "controls/ApColorBox.h"
#include "controls/ApExForms.h"
#include "framework/Buttons.h"
#include "framework/Dialogs.h"

class TApColorDialog;

// How a colour dialog is run: the system's dialog unless tests put their own in its place (it
// returns whether the user confirmed, the chosen colour in the dialog's Color).
using TApColorDialogRunner = std::function<bool(TApColorDialog* Dialog)>;
TApColorDialogRunner& ApColorDialogRunner();

// The colour dialog with hooks for the palette, which must not close while it shows, and its
// custom colours as "ColorA=rrggbb" .. "ColorP=rrggbb" lines.
class TApColorDialog : public TColorDialog {
  HV_CLASS(TApColorDialog, TColorDialog)
 public:
  explicit TApColorDialog(TComponent* AOwner);
  ~TApColorDialog() override;
  bool Execute() override;

  // Lines "Color" + letter A..P + "=" + hexadecimal colour; missing or unreadable ones are white.
  TStringList* CustomColorList() const { return customColorList_.get(); }
  // The 16 colours the lines give (what the system dialog receives).
  static std::array<COLORREF, 16> ParseCustomColors(TStrings* Lines);

  TNotifyEvent OnShowHook;
  TNotifyEvent OnCloseHook;

 protected:
  void DoShow() override;
  void DoClose() override;

 private:
  std::unique_ptr<TStringList> customColorList_;
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
  // The button the palette drops from: told of every close with its result.
  TApCustomDropButton* ColorButton() const { return colorButton_; }
  void SetColorButton(TApCustomDropButton* Value) { colorButton_ = Value; }
  // (Re)builds the squares, the "Other" button and the bevel, and sizes the form after them.
  void BuildSquares();
  // Closes the palette with the result (the colour button hears of it); once closing, the form
  // is on its way to being freed.
  void CloseWith(TModalResult Result);
  bool Closing() const { return closing_; }

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
  void DialogShown(TObject* Sender);
  void DialogClosed(TObject* Sender);

  TSpeedButton* otherBtn_ = nullptr;
  TApCustomDropButton* colorButton_ = nullptr;
  bool dialogOpen_ = false;
  bool closing_ = false;
  TApColorSquare* customSquare_ = nullptr;
  int squareSize_ = 22;
  TApColorDialog* colorDialog_ = nullptr;
  TColor color_ = clBlack;
  std::vector<TApColorSquare*> squares_;
};
