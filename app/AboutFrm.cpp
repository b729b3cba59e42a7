// The about dialog.
#include "app/AboutFrm.h"

#include "app/ProductIdentity.h"
#include "app/WindowRoutines.h"
#include "foundation/LgLanguage.h"
#include "framework/Actions.h"
#include "framework/Application.h"
#include "framework/DateTime.h"
#include "framework/ExtCtrls.h"
#include "framework/Icon.h"
#include "framework/Picture.h"
#include "framework/ScopeGuards.h"
#include "framework/StdCtrls.h"
#include "themes/SkinControls.h"

HV_PUBLISH(TAboutForm) {
  p.Method("FormCreate", &T::FormCreate);
  p.Method("lblSiteClick", &T::lblSiteClick);
  p.Method("actnCloseExecute", &T::actnCloseExecute);
  p.ComponentField("imgIcon", &T::imgIcon);
  p.ComponentField("lblProduct", &T::lblProduct);
  p.ComponentField("lblNotice", &T::lblNotice);
  p.ComponentField("lblMaker", &T::lblMaker);
  p.ComponentField("lblSite", &T::lblSite);
  p.ComponentField("btnClose", &T::btnClose);
  p.ComponentField("actnlstAbout", &T::actnlstAbout);
  p.ComponentField("actnClose", &T::actnClose);
  p.ComponentField("lngcntrlrAbout", &T::lngcntrlrAbout);
}

const wchar_t* const MakerSiteHost = MakerSiteHostText;
const wchar_t* const MakerSiteAddress = MakerSiteUrl;

namespace {
constexpr int firstYear = 2024;
}

WideString MakerLine(int Year) {
  WideString years = std::to_wstring(firstYear);
  if (Year > firstYear) years += L"\u2013" + std::to_wstring(Year);
  return L"\u00A9 " + years + L" " + MakerName;
}

TAboutForm::TAboutForm(TComponent* AOwner) : TForm(AOwner) {}

void TAboutForm::FormCreate(TObject*) {
  lblProduct->SetCaption(WideString(ProductName) + L" " + ProductVersion);
  int year = 0, month = 0, day = 0;
  DecodeDate(Now(), year, month, day);
  lblMaker->SetCaption(MakerLine(year));
  lblSite->SetCaption(MakerSiteHost);
  lblSite->Font()->SetColor(clHotLight);
  lblSite->Font()->SetStyle(TFontStyles{fsUnderline});
  lblNotice->Font()->SetColor(clGrayText);
  HICON icon = Application->Icon(false);
  imgIcon->Picture()->Icon()->SetHandle(CopyIcon(icon ? icon : LoadIconW(nullptr, IDI_APPLICATION)));
}

void TAboutForm::lblSiteClick(TObject*) { ShellOpen(MakerSiteAddress, L"", L""); }

void TAboutForm::actnCloseExecute(TObject*) { SetModalResult(mrCancel); }

void ExecuteAboutDialog() {
  TAboutForm* form = New<TAboutForm>(nullptr);
  TScopeExit free([&] { delete form; });
  form->ShowModal();
}
