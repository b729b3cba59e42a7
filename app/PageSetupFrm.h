// The page setup dialog: printer orientation, margins (remembered per orientation) and the
// page-number and line-number switches of a document's printing.
#pragma once

#include "framework/Forms.h"

class TAction;
class TActionList;
class TApSpinEdit;
class TButton;
class TCheckBox;
class TCustomImageList;
class TDocument;
class TLabel;
class TLgLanguageController;
class TNSBvLabel;
class TNSInfoBar;
class TPngImageList;

// Paints an orientation tile on Canvas over its client rectangle: a window-coloured face in a
// frame (3 pixels of the highlight colour inside the edge when checked, 1 pixel of the shadow
// colour otherwise), the focus rectangle 4 pixels inside, the picture Index of Images centred
// above the middle, and the caption centred in a band at the bottom.
void PaintOrientationTile(TCanvas* Canvas, const TRect& Client, const WideString& Caption, bool Checked, bool Focused,
                          TCustomImageList* Images, int Index);
// The caption band of a tile: the client rectangle 6 pixels in, only its last TextHeight + 12
// pixels.
TRect OrientationTileCaptionBand(const TRect& Client, int TextHeight);

class TPageSetupForm : public TForm {
  HV_CLASS(TPageSetupForm, TForm)
 public:
  TPageSetupForm(TComponent* AOwner, TDocument* Document = nullptr);

  // Whether a printer is installed; tests put another answer in place.
  static inline bool (*PrinterPresent)() = nullptr;

  void FormCreate(TObject* Sender);
  void infbrPortraitClick(TObject* Sender);
  void infbrLandscapeClick(TObject* Sender);
  void infbrPortraitPaint(TObject* Sender);
  void spnedtMarginChange(TObject* Sender);
  void actnOKUpdate(TObject* Sender);
  void actnOKExecute(TObject* Sender);
  void actnCancelExecute(TObject* Sender);

  TNSBvLabel* lblOrientation = nullptr;
  TNSBvLabel* lblMargins = nullptr;
  TNSInfoBar* infbrPortrait = nullptr;
  TNSInfoBar* infbrLandscape = nullptr;
  TLabel* lblTop = nullptr;
  TLabel* lblLeft = nullptr;
  TLabel* lblBottom = nullptr;
  TLabel* lblRight = nullptr;
  TApSpinEdit* spnedtTop = nullptr;
  TApSpinEdit* spnedtLeft = nullptr;
  TApSpinEdit* spnedtBottom = nullptr;
  TApSpinEdit* spnedtRight = nullptr;
  TCheckBox* chckbxLineNumbers = nullptr;
  TCheckBox* chckbxPageNumbers = nullptr;
  TButton* btnOK = nullptr;
  TButton* btnCancel = nullptr;
  TActionList* actnlstPageSetup = nullptr;
  TAction* actnOK = nullptr;
  TAction* actnCancel = nullptr;
  TPngImageList* imglstOrientation = nullptr;
  TLgLanguageController* lngcntrlrPageSetup = nullptr;

 private:
  // The fields take the margins remembered for one orientation.
  void ShowMargins(const double* Margins);
  TApSpinEdit* Field(int Side) const;

  TDocument* document_;
  // Top, left, bottom, right of each orientation as typed; the options take them on OK only.
  double portrait_[4] = {}, landscape_[4] = {};
  bool showing_ = false;
};

// Shows the page setup dialog for the document (or, with none, for the printer alone).
bool ExecutePageSetupDialog(TDocument* Document);
