// The about dialog.
#include "app/AboutFrm.h"

#include <algorithm>

#include "app/ProductIdentity.h"
#include "app/WindowRoutines.h"
#include "foundation/LgLanguage.h"
#include "framework/Actions.h"
#include "framework/Application.h"
#include "framework/DateTime.h"
#include "framework/ExtCtrls.h"
#include "framework/GdiHandles.h"
#include "framework/Graphics.h"
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
  lblNotice->OnDrawCaption = TSkinDrawTextEvent(this, &TAboutForm::lblNoticeDrawCaption);
  HICON icon = Application->Icon(false);
  imgIcon->Picture()->Icon()->SetHandle(CopyIcon(icon ? icon : LoadIconW(nullptr, IDI_APPLICATION)));
}

namespace {

// The words of Text in lines no wider than Width as the device context measures them.
WideString wrappedText(HDC DC, const WideString& Text, int Width) {
  WideString out, line;
  for (size_t i = 0; i <= Text.size();) {
    size_t end = Text.find(L' ', i);
    if (end == WideString::npos) end = Text.size();
    const WideString word = Text.substr(i, end - i);
    const WideString longer = line.empty() ? word : line + L' ' + word;
    SIZE size{};
    GetTextExtentPoint32W(DC, longer.c_str(), static_cast<int>(longer.size()), &size);
    if (!line.empty() && size.cx > Width) {
      out += line + L"\r\n";
      line = word;
    } else {
      line = longer;
    }
    i = end + 1;
  }
  return out + line;
}

}  // namespace

// Translations are longer than the English notice: its lines are broken here, a few characters
// inside the label (the system's drawing of a line can come out some pixels wider than its
// measure, and a line that just fitted lost its end), and the label takes the height they need.
void TAboutForm::FitNotice() {
  const WideString text = lblNotice->Caption();
  if (text.find(L'\n') != WideString::npos) return;  // broken already
  TWindowDC screen;
  TCanvas canvas;
  canvas.SetHandle(screen.Get());
  canvas.Font()->Assign(lblNotice->Font());
  TEXTMETRICW metrics{};
  GetTextMetricsW(canvas.Handle(), &metrics);
  const int width = std::max(lblNotice->Width() - 3 * static_cast<int>(metrics.tmAveCharWidth), 1);
  const WideString lines = wrappedText(canvas.Handle(), text, width);
  RECT box{0, 0, lblNotice->Width(), 0};
  DrawTextW(canvas.Handle(), lines.c_str(), static_cast<int>(lines.size()), &box,
            DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS);
  canvas.SetHandle(nullptr);
  lblNotice->SetCaption(lines);
  const int grow = box.bottom - lblNotice->Height();
  if (grow <= 0) return;
  lblNotice->SetHeight(lblNotice->Height() + grow);
  for (TControl* below :
       {static_cast<TControl*>(lblMaker), static_cast<TControl*>(lblSite), static_cast<TControl*>(btnClose)})
    below->SetTop(below->Top() + grow);
  SetClientHeight(ClientHeight() + grow);
}

// The notice's lines are drawn over the label's whole width from its top: the rectangle its
// measure gives can be narrower than a line that just fits as drawn, which then lost its end.
void TAboutForm::lblNoticeDrawCaption(TObject*, TCanvas*, TRect ClientAreaRect, WideString&, TRect& CaptionRect,
                                      Cardinal&, bool, TSkinPaintStage PaintStage, bool&) {
  if (PaintStage != pstPrePaint) return;
  CaptionRect.Top = ClientAreaRect.Top;
  CaptionRect.Right = ClientAreaRect.Right;
  CaptionRect.Bottom = ClientAreaRect.Bottom;
}

void TAboutForm::lblSiteClick(TObject*) { ShellOpen(MakerSiteAddress, L"", L""); }

void TAboutForm::actnCloseExecute(TObject*) { SetModalResult(mrCancel); }

void ExecuteAboutDialog() {
  TAboutForm* form = New<TAboutForm>(nullptr);
  TScopeExit free([&] { delete form; });
  // Only the dialog shown is fitted: the texts recorded for translation are the form's own.
  form->FitNotice();
  form->ShowModal();
}
