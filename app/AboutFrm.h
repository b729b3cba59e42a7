// The about dialog: the product and its version, a notice, the maker's line and its site.
#pragma once

#include "framework/Forms.h"
#include "themes/SkinItem.h"

class TAction;
class TActionList;
class TImage;
class TSkinButton;
class TSkinLabel;
class TLgLanguageController;

// The maker's site as the dialog shows it, and the address the link opens.
extern const wchar_t* const MakerSiteHost;
extern const wchar_t* const MakerSiteAddress;
// "© <first year>–<Year> Halcorn" (one year alone when they are the same).
WideString MakerLine(int Year);

class TAboutForm : public TForm {
  HV_CLASS(TAboutForm, TForm)
 public:
  explicit TAboutForm(TComponent* AOwner);

  void FormCreate(TObject* Sender);
  void lblSiteClick(TObject* Sender);
  void actnCloseExecute(TObject* Sender);
  // Gives the notice, in the language in use, the height its lines take, moving what lies
  // below it down and the dialog's edge with it.
  void FitNotice();
  void lblNoticeDrawCaption(TObject* Sender, TCanvas* ACanvas, TRect ClientAreaRect, WideString& ACaption,
                            TRect& CaptionRect, Cardinal& CaptionFormat, bool IsTextRotated, TSkinPaintStage PaintStage,
                            bool& PaintDefault);

  TImage* imgIcon = nullptr;
  TSkinLabel* lblProduct = nullptr;
  TSkinLabel* lblNotice = nullptr;
  TSkinLabel* lblMaker = nullptr;
  TSkinLabel* lblSite = nullptr;
  TSkinButton* btnClose = nullptr;
  TActionList* actnlstAbout = nullptr;
  TAction* actnClose = nullptr;
  TLgLanguageController* lngcntrlrAbout = nullptr;
};

void ExecuteAboutDialog();
