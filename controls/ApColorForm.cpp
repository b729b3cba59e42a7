// The drop-down colour palette.
#include "framework/Win.h"

#include "controls/ApColorForm.h"

#include "framework/ExtCtrls.h"

HV_PUBLISH(TApColorDialog) {}

HV_PUBLISH(TApColorForm) {
  p.Method("OtherBtnClick", &T::OtherBtnClick);
  p.Method("DoColorClick", &T::DoColorClick);
  p.Method("DoColorChange", &T::DoColorChange);
  p.Method("FormKeyUp", &T::FormKeyUp);
  p.Method("FormClose", &T::FormClose);
  p.Method("FormActivate", &T::FormActivate);
  p.Method("FormDeactivate", &T::FormDeactivate);
}

TApColorDialogRunner& ApColorDialogRunner() {
  static TApColorDialogRunner runner;
  return runner;
}

TApColorDialog::TApColorDialog(TComponent* AOwner)
    : inherited(AOwner), customColorList_(std::make_unique<TStringList>()) {}

TApColorDialog::~TApColorDialog() = default;

std::array<COLORREF, 16> TApColorDialog::ParseCustomColors(TStrings* Lines) {
  std::array<COLORREF, 16> colours;
  colours.fill(0xFFFFFF);
  if (!Lines) return colours;
  for (int i = 0; i < 16; ++i) {
    const AnsiString value = Lines->Values("Color" + AnsiString(1, static_cast<char>('A' + i)));
    if (value.empty() || value.size() > 8) continue;
    uint32_t colour = 0;
    bool ok = true;
    for (char c : value) {
      int digit = c >= '0' && c <= '9'   ? c - '0'
                  : c >= 'a' && c <= 'f' ? c - 'a' + 10
                  : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                         : -1;
      if (digit < 0) {
        ok = false;
        break;
      }
      colour = colour << 4 | static_cast<uint32_t>(digit);
    }
    // A system colour or anything beyond 24 bits is no colour the dialog can show.
    if (ok && colour <= 0xFFFFFF) colours[static_cast<size_t>(i)] = colour;
  }
  return colours;
}

bool TApColorDialog::Execute() {
  CustomColors() = ParseCustomColors(customColorList_.get());
  if (!ApColorDialogRunner()) return inherited::Execute();
  DoShow();
  bool confirmed = false;
  try {
    confirmed = ApColorDialogRunner()(this);
  } catch (...) {
    DoClose();
    throw;
  }
  DoClose();
  return confirmed;
}

void TApColorDialog::DoShow() {
  if (OnShowHook) OnShowHook(this);
  inherited::DoShow();
}

void TApColorDialog::DoClose() {
  inherited::DoClose();
  if (OnCloseHook) OnCloseHook(this);
}

namespace {

const TColor fixedColours[20] = {TColor(0xFFFFFF), TColor(0x000000), TColor(0xC0C0C0), TColor(0x808080),
                                 TColor(0x0000FF), TColor(0x000080), TColor(0x00FFFF), TColor(0x008080),
                                 TColor(0x00FF00), TColor(0x008000), TColor(0xFFFF00), TColor(0x808000),
                                 TColor(0xFF0000), TColor(0x800000), TColor(0xFF00FF), TColor(0x800080),
                                 TColor(0xC0DCC0), TColor(0xF0CAA6), TColor(0xF0FBFF), TColor(0xA4A0A0)};

}  // namespace

TApColorForm::TApColorForm(TComponent* AOwner) : inherited(AOwner, CreateNew) {
  SetBorderIcons(TBorderIcons{});
  SetBorderStyle(bsDialog);
  SetKeyPreview(true);
  OnActivate = TNotifyEvent(this, &TApColorForm::FormActivate);
  OnDeactivate = TNotifyEvent(this, &TApColorForm::FormDeactivate);
  OnClose = TCloseEvent(this, &TApColorForm::FormClose);
  OnKeyUp = TKeyEvent(this, &TApColorForm::FormKeyUp);
  colorDialog_ = new TApColorDialog(this);
  colorDialog_->OnShowHook = TNotifyEvent(this, &TApColorForm::DialogShown);
  colorDialog_->OnCloseHook = TNotifyEvent(this, &TApColorForm::DialogClosed);
  BuildSquares();
}

void TApColorForm::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.Style &= ~static_cast<DWORD>(WS_CAPTION);
}

void TApColorForm::BuildSquares() {
  for (int i = ComponentCount() - 1; i >= 0; --i) {
    TComponent* c = Components(i);
    if ((dynamic_cast<TApColorSquare*>(c) && c != customSquare_) || dynamic_cast<TBevel*>(c)) delete c;
  }
  squares_.clear();
  for (int i = 0; i < 20; ++i) {
    auto* square = new TApColorSquare(this);
    square->SetParent(this);
    square->SetBounds((i % 4) * squareSize_, (i / 4) * squareSize_, squareSize_, squareSize_);
    square->SetBorderStyle(bsSingle);
    square->SetColor(fixedColours[i]);
    square->OnClick = TNotifyEvent(this, &TApColorForm::DoColorClick);
    squares_.push_back(square);
  }
  int top = 5 * squareSize_ + 6;
  if (!otherBtn_) {
    otherBtn_ = new TSpeedButton(this);
    otherBtn_->SetParent(this);
    otherBtn_->SetCaption(L"&Other...");
    otherBtn_->OnClick = TNotifyEvent(this, &TApColorForm::OtherBtnClick);
  }
  otherBtn_->SetBounds(0, top, 3 * squareSize_, squareSize_);
  if (!customSquare_) {
    customSquare_ = new TApColorSquare(this);
    customSquare_->SetParent(this);
    customSquare_->SetBorderStyle(bsSingle);
    customSquare_->OnClick = TNotifyEvent(this, &TApColorForm::DoColorClick);
    customSquare_->OnChange = TNotifyEvent(this, &TApColorForm::DoColorChange);
  }
  customSquare_->SetBounds(otherBtn_->Left() + otherBtn_->Width(), top, squareSize_, squareSize_);
  auto* bevel = new TBevel(this);
  bevel->SetParent(this);
  bevel->SetShape(bsTopLine);
  bevel->SetBounds(0, top - 4, 4 * squareSize_, 2);
  SetHeight(otherBtn_->Top() + otherBtn_->Height() + 8);
  SetClientWidth(customSquare_->Left() + customSquare_->Width());
}

void TApColorForm::CloseWith(TModalResult Result) {
  SetModalResult(Result);
  // Once closed, the deactivation that comes with the window going changes nothing.
  if (closing_ || FormState().Contains(fsModal)) return;
  closing_ = true;
  if (colorButton_) colorButton_->CloseUp(Result);
  Close();
}

void TApColorForm::DoColorClick(TObject* Sender) {
  if (auto* square = dynamic_cast<TApColorSquare*>(Sender)) color_ = square->Color();
  CloseWith(mrOk);
}

void TApColorForm::DoColorChange(TObject* Sender) {
  if (auto* square = dynamic_cast<TApColorSquare*>(Sender)) color_ = square->Color();
}

void TApColorForm::OtherBtnClick(TObject*) {
  colorDialog_->SetColor(color_);
  // Set before the dialog takes the activation, whatever its hooks see.
  dialogOpen_ = true;
  bool confirmed = false;
  try {
    confirmed = colorDialog_->Execute();
  } catch (...) {
    dialogOpen_ = false;
    throw;
  }
  dialogOpen_ = false;
  if (confirmed) {
    customSquare_->SetColor(colorDialog_->Color());
    color_ = colorDialog_->Color();
    CloseWith(mrOk);
  } else {
    CloseWith(mrCancel);
  }
}

void TApColorForm::DialogShown(TObject*) { dialogOpen_ = true; }
void TApColorForm::DialogClosed(TObject*) { dialogOpen_ = false; }

void TApColorForm::FormKeyUp(TObject*, Word& Key, TShiftState Shift) {
  if (Key == VK_ESCAPE && !Shift.Contains(ssShift) && !Shift.Contains(ssAlt) && !Shift.Contains(ssCtrl))
    CloseWith(mrCancel);
}

void TApColorForm::FormClose(TObject*, TCloseAction& Action) { Action = caFree; }

void TApColorForm::FormActivate(TObject*) {
  auto* control = dynamic_cast<TControl*>(Owner());
  if (!control) return;
  TPoint p = control->Parent()
                 ? control->Parent()->ClientToScreen(TPoint{control->Left(), control->Top() + control->Height()})
                 : TPoint{control->Left(), control->Top() + control->Height()};
  SetBounds(p.X, p.Y, Width(), Height());
}

void TApColorForm::FormDeactivate(TObject*) {
  if (!dialogOpen_ && Visible()) CloseWith(mrCancel);
}
