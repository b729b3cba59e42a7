// The page setup dialog. The margins typed for each orientation live in the dialog until OK, so
// a cancelled dialog leaves the remembered margins as they were.
#include "app/PageSetupFrm.h"

#include "app/AppControls.h"
#include "app/DocumentFrm.h"
#include "app/Documents.h"
#include "app/Options.h"
#include "app/WindowRoutines.h"
#include "controls/ApSpin.h"
#include "controls/PngImageList.h"
#include "editor/TxtEditPrint.h"
#include "foundation/LgLanguage.h"
#include "framework/Actions.h"
#include "framework/ImageList.h"
#include "framework/Printers.h"
#include "framework/ScopeGuards.h"
#include "framework/StdCtrls.h"
#include "framework/Win.h"

HV_PUBLISH(TPageSetupForm) {
  p.Method("FormCreate", &T::FormCreate);
  p.Method("infbrPortraitClick", &T::infbrPortraitClick);
  p.Method("infbrLandscapeClick", &T::infbrLandscapeClick);
  p.Method("infbrPortraitPaint", &T::infbrPortraitPaint);
  p.Method("spnedtMarginChange", &T::spnedtMarginChange);
  p.Method("actnOKUpdate", &T::actnOKUpdate);
  p.Method("actnOKExecute", &T::actnOKExecute);
  p.Method("actnCancelExecute", &T::actnCancelExecute);
  p.ComponentField("lblOrientation", &T::lblOrientation);
  p.ComponentField("lblMargins", &T::lblMargins);
  p.ComponentField("infbrPortrait", &T::infbrPortrait);
  p.ComponentField("infbrLandscape", &T::infbrLandscape);
  p.ComponentField("lblTop", &T::lblTop);
  p.ComponentField("lblLeft", &T::lblLeft);
  p.ComponentField("lblBottom", &T::lblBottom);
  p.ComponentField("lblRight", &T::lblRight);
  p.ComponentField("spnedtTop", &T::spnedtTop);
  p.ComponentField("spnedtLeft", &T::spnedtLeft);
  p.ComponentField("spnedtBottom", &T::spnedtBottom);
  p.ComponentField("spnedtRight", &T::spnedtRight);
  p.ComponentField("chckbxLineNumbers", &T::chckbxLineNumbers);
  p.ComponentField("chckbxPageNumbers", &T::chckbxPageNumbers);
  p.ComponentField("btnOK", &T::btnOK);
  p.ComponentField("btnCancel", &T::btnCancel);
  p.ComponentField("actnlstPageSetup", &T::actnlstPageSetup);
  p.ComponentField("actnOK", &T::actnOK);
  p.ComponentField("actnCancel", &T::actnCancel);
  p.ComponentField("imglstOrientation", &T::imglstOrientation);
  p.ComponentField("lngcntrlrPageSetup", &T::lngcntrlrPageSetup);
}

TRect OrientationTileCaptionBand(const TRect& Client, int TextHeight) {
  TRect band{Client.Left + 6, Client.Top + 6, Client.Right - 6, Client.Bottom - 6};
  band.Top = band.Bottom - TextHeight - 12;
  return band;
}

void PaintOrientationTile(TCanvas* Canvas, const TRect& Client, const WideString& Caption, bool Checked, bool Focused,
                          TCustomImageList* Images, int Index) {
  Canvas->Brush()->SetColor(clWindow);
  Canvas->Brush()->SetStyle(bsSolid);
  TPen* pen = Canvas->Pen();
  pen->SetColor(Checked ? clHighlight : clBtnShadow);
  pen->SetStyle(Checked ? psInsideFrame : psSolid);
  pen->SetWidth(Checked ? 3 : 1);
  Canvas->Rectangle(Client);
  if (Focused) Canvas->DrawFocusRect({Client.Left + 4, Client.Top + 4, Client.Right - 4, Client.Bottom - 4});
  if (Images && Index >= 0 && Index < Images->Count())
    Images->Draw(Canvas, Client.Left + (Client.Width() - Images->Width()) / 2,
                 Client.Top + Client.Height() / 2 - Images->Height() / 2 - 6, Index);
  TRect band = OrientationTileCaptionBand(Client, Canvas->TextHeight(WideString(L"Wg")));
  Canvas->Brush()->SetStyle(bsClear);
  RECT r = ToRECT(band);
  DrawTextW(Canvas->Handle(), Caption.c_str(), static_cast<int>(Caption.size()), &r,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

TPageSetupForm::TPageSetupForm(TComponent* AOwner, TDocument* Document) : TForm(AOwner), document_(Document) {
  if (!::Options) return;
  const TOptions& o = *::Options;
  const double portrait[4] = {o.pMarginsTop, o.pMarginsLeft, o.pMarginsBottom, o.pMarginsRight};
  const double landscape[4] = {o.lMarginsTop, o.lMarginsLeft, o.lMarginsBottom, o.lMarginsRight};
  std::copy(portrait, portrait + 4, portrait_);
  std::copy(landscape, landscape + 4, landscape_);
}

TApSpinEdit* TPageSetupForm::Field(int Side) const {
  TApSpinEdit* const fields[4] = {spnedtTop, spnedtLeft, spnedtBottom, spnedtRight};
  return fields[Side];
}

void TPageSetupForm::ShowMargins(const double* Margins) {
  showing_ = true;
  TScopeExit done([&] { showing_ = false; });
  for (int side = 0; side < 4; ++side) Field(side)->SetValue(Margins[side]);
}

void TPageSetupForm::FormCreate(TObject*) {
  if (!document_) return;
  infbrPortrait->SetChecked(document_->Orientation == 0);
  infbrLandscape->SetChecked(document_->Orientation == 1);
  TTxtEditPrint* print = document_->Frame()->edtprntEditor;
  const TTxtEditPrintMargins& m = *print->Margins();
  const double current[4] = {m.Top(), m.Left(), m.Bottom(), m.Right()};
  ShowMargins(current);
  chckbxPageNumbers->SetChecked(document_->PrintPageNumbers);
  chckbxLineNumbers->SetChecked(print->LineNumbers());
}

void TPageSetupForm::infbrPortraitClick(TObject*) { ShowMargins(portrait_); }

void TPageSetupForm::infbrLandscapeClick(TObject*) { ShowMargins(landscape_); }

void TPageSetupForm::infbrPortraitPaint(TObject* Sender) {
  auto* tile = static_cast<TNSInfoBar*>(Sender);
  PaintOrientationTile(tile->Canvas(), tile->ClientRect(), tile->Caption(), tile->Checked(), tile->Focused(),
                       imglstOrientation, tile->Tag());
}

void TPageSetupForm::spnedtMarginChange(TObject* Sender) {
  if (showing_) return;
  double* margins = infbrPortrait->Checked() ? portrait_ : landscape_;
  for (int side = 0; side < 4; ++side)
    if (Sender == Field(side)) margins[side] = static_cast<double>(Field(side)->Value());
}

void TPageSetupForm::actnOKUpdate(TObject*) {
  actnOK->SetEnabled(PrinterPresent ? PrinterPresent() : PrinterInfoSize() != 0);
}

void TPageSetupForm::actnOKExecute(TObject*) {
  actnOKUpdate(nullptr);
  if (!actnOK->Enabled()) return;
  TOptions& o = *::Options;
  o.pMarginsTop = portrait_[0], o.pMarginsLeft = portrait_[1], o.pMarginsBottom = portrait_[2],
  o.pMarginsRight = portrait_[3];
  o.lMarginsTop = landscape_[0], o.lMarginsLeft = landscape_[1], o.lMarginsBottom = landscape_[2],
  o.lMarginsRight = landscape_[3];
  Printer()->SetOrientation(infbrPortrait->Checked() ? poPortrait : poLandscape);
  if (document_) {
    document_->Orientation = Printer()->Orientation() == poPortrait ? 0 : 1;
    TTxtEditPrint* print = document_->Frame()->edtprntEditor;
    TTxtEditPrintMargins& m = *print->Margins();
    m.SetTop(static_cast<double>(spnedtTop->Value()));
    m.SetLeft(static_cast<double>(spnedtLeft->Value()));
    m.SetBottom(static_cast<double>(spnedtBottom->Value()));
    m.SetRight(static_cast<double>(spnedtRight->Value()));
    document_->PrintPageNumbers = chckbxPageNumbers->Checked();
    print->SetLineNumbers(chckbxLineNumbers->Checked());
    document_->PreparePrinting(false);
  }
  SetModalResult(mrOk);
}

void TPageSetupForm::actnCancelExecute(TObject*) { SetModalResult(mrCancel); }

bool ExecutePageSetupDialog(TDocument* Document) {
  TPageSetupForm* form = New<TPageSetupForm>(nullptr, Document);
  TScopeExit free([&] { delete form; });
  return form->ShowModal() == mrOk;
}
