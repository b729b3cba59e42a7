// The page setup dialog's orientation tiles: their painting on an off-screen picture (the frame
// by checked state, the focus rectangle, the picture's place, the caption band) and the choice
// of an orientation through clicks, the keyboard and a double click.
#include "app/AppControls.h"
#include "app/PageSetupFrm.h"
#include "controls/ApSpin.h"
#include "controls/PngImageList.h"
#include "framework/Actions.h"
#include "framework/Application.h"
#include "framework/Colors.h"
#include "framework/Printers.h"
#include "tests/app/DocumentTestSupport.h"
#include "tests/common/ModalForms.h"
#include "tests/common/TestPicture.h"

namespace {

using PageSetupTiles = DocumentTest;

constexpr int tileSize = 105;

uint32_t Rgb(TColor Color) { return static_cast<uint32_t>(ColorToRGB(Color)); }

// The smallest rectangle holding every pixel inside Area that is not of Color; empty when none.
TRect InkBounds(const TTestPicture& Picture, const TRect& Area, uint32_t Color) {
  TRect r{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
  for (int y = Area.Top; y < Area.Bottom; ++y)
    for (int x = Area.Left; x < Area.Right; ++x)
      if (Picture.At(x, y) != Color)
        r = {std::min(r.Left, x), std::min(r.Top, y), std::max(r.Right, x + 1), std::max(r.Bottom, y + 1)};
  return r.Left == INT_MAX ? TRect{0, 0, 0, 0} : r;
}

struct TTileCase {
  bool Checked, Focused;
  int Index;
  const wchar_t* Caption;
};

const TTileCase tileCases[] = {
    {false, false, 0, L"Portrait"},
    {true, false, 0, L"Portrait"},
    {true, true, 1, L"Landscape"},
    {false, true, 1, L"Landscape"},
};

bool aPrinter() { return true; }

struct TPrinterPresent {
  TPrinterPresent() { TPageSetupForm::PrinterPresent = &aPrinter; }
  ~TPrinterPresent() { TPageSetupForm::PrinterPresent = nullptr; }
};

void PostDoubleClick(TWinControl* Control) {
  PostMessageW(Control->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
  PostMessageW(Control->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
  PostMessageW(Control->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(20, 20));
  PostMessageW(Control->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
}

void Pump() {
  for (int i = 0; i < 5; ++i) Application->ProcessMessages();
}

}  // namespace

TEST(OrientationTile, TheCaptionBandSitsAtTheBottomSixPixelsIn) {
  EXPECT_EQ(OrientationTileCaptionBand({0, 0, 105, 105}, 13), (TRect{6, 74, 99, 99}));
  EXPECT_EQ(OrientationTileCaptionBand({10, 20, 60, 90}, 20), (TRect{16, 52, 54, 84}));
}

// The frame: 3 pixels of the highlight colour when checked, 1 of the shadow colour otherwise;
// the focus rectangle 4 pixels in; the picture centred, its top 6 pixels above centring; the
// caption centred in the bottom band.
TEST_F(PageSetupTiles, ATileIsPaintedByItsStateImageAndCaption) {
  Make();
  std::unique_ptr<TPageSetupForm> form(New<TPageSetupForm>(nullptr, Doc(0)));
  TPngImageList* images = form->imglstOrientation;
  ASSERT_EQ(images->Count(), 2);
  ASSERT_EQ(images->Width(), 48);
  ASSERT_EQ(images->Height(), 48);
  const uint32_t window = Rgb(clWindow);
  for (const TTileCase& c : tileCases) {
    SCOPED_TRACE(testing::Message() << c.Checked << c.Focused << c.Index);
    TTestPicture picture(tileSize, tileSize, 0x123456);
    picture.Canvas()->Font()->Assign(form->Font());
    const TRect client{0, 0, tileSize, tileSize};
    PaintOrientationTile(picture.Canvas(), client, c.Caption, c.Checked, c.Focused, images, c.Index);
    // The frame on every side, and the face inside it.
    const int width = c.Checked ? 3 : 1;
    const uint32_t frame = Rgb(c.Checked ? clHighlight : clBtnShadow);
    for (int i = 0; i < width; ++i) {
      EXPECT_EQ(picture.At(i, 50), frame);
      EXPECT_EQ(picture.At(tileSize - 1 - i, 50), frame);
      EXPECT_EQ(picture.At(50, i), frame);
      EXPECT_EQ(picture.At(50, tileSize - 1 - i), frame);
    }
    EXPECT_EQ(picture.At(width, 50), window);
    EXPECT_EQ(picture.At(tileSize - 1 - width, 60), window);
    // The focus rectangle: dots on the line 4 pixels in, nothing there without the focus.
    int dots = 0;
    for (int y = 10; y < 60; ++y) dots += picture.At(4, y) != window;
    if (c.Focused)
      EXPECT_GT(dots, 10);
    else
      EXPECT_EQ(dots, 0);
    // The picture: inside its 48-pixel square at (28, 22), taller than wide for portrait.
    const TRect image = InkBounds(picture, {6, 6, tileSize - 6, 70}, window);
    EXPECT_GE(image.Left, 28);
    EXPECT_GE(image.Top, 22);
    EXPECT_LE(image.Right, 28 + 48);
    EXPECT_LE(image.Bottom, 22 + 48);
    EXPECT_EQ(image.Height() > image.Width(), c.Index == 0) << image.Width() << " x " << image.Height();
    // The caption: in the band, centred.
    const int textHeight = picture.Canvas()->TextHeight(WideString(L"Wg"));
    const TRect band = OrientationTileCaptionBand(client, textHeight);
    const TRect text = InkBounds(picture, band, window);
    ASSERT_GT(text.Width(), 20);
    // The ink lies within the caption's advance box centred in the band (side bearings aside).
    const int advance = picture.Canvas()->TextWidth(WideString(c.Caption));
    const int left = band.Left + (band.Width() - advance) / 2;
    EXPECT_GE(text.Left, left - 1);
    EXPECT_LE(text.Right, left + advance + 1);
    EXPECT_GT(text.Width(), advance / 2);
    // Nothing between the picture and the band.
    EXPECT_EQ(InkBounds(picture, {6, 22 + 48, tileSize - 6, band.Top}, window).Width(), 0);
  }
}

// The dialog's tiles carry their tags, captions and shared paint handler; the group captions are
// etched labels; a painted tile shows the checked frame of the document's orientation.
TEST_F(PageSetupTiles, TheDialogsTilesPaintThemselvesThroughTheSharedHandler) {
  Make();
  Doc(0)->Orientation = 1;
  std::unique_ptr<TPageSetupForm> form(New<TPageSetupForm>(nullptr, Doc(0)));
  EXPECT_EQ(form->lblOrientation->Caption(), L"Orientation");
  EXPECT_EQ(form->lblMargins->Caption(), L"Margins, cm");
  const struct {
    TNSInfoBar* Tile;
    int Tag;
    const wchar_t* Caption;
    bool Checked;
  } tiles[] = {{form->infbrPortrait, 0, L"Portrait", false}, {form->infbrLandscape, 1, L"Landscape", true}};
  form->Show();
  Pump();
  for (const auto& t : tiles) {
    SCOPED_TRACE(t.Tag);
    EXPECT_EQ(t.Tile->Tag(), t.Tag);
    EXPECT_EQ(t.Tile->Caption(), t.Caption);
    EXPECT_EQ(t.Tile->Checked(), t.Checked);
    EXPECT_EQ(t.Tile->OnPaint, TNotifyEvent(form.get(), &TPageSetupForm::infbrPortraitPaint));
    EXPECT_EQ(t.Tile->Width(), tileSize);
    TTestPicture picture(tileSize, tileSize, 0x123456);
    t.Tile->PaintTo(picture.DC(), 0, 0);
    EXPECT_EQ(picture.At(2, 50), Rgb(t.Checked ? clHighlight : clWindow));
    EXPECT_EQ(picture.At(0, 50), Rgb(t.Checked ? clHighlight : clBtnShadow));
  }
  form->Hide();
}

// A click checks a tile and shows its margins; the space bar does the same for the focused tile.
TEST_F(PageSetupTiles, ClicksAndTheKeyboardChooseTheOrientation) {
  Make();
  std::unique_ptr<TPageSetupForm> form(New<TPageSetupForm>(nullptr, Doc(0)));
  form->Show();
  Pump();
  ASSERT_TRUE(form->infbrPortrait->Checked());
  EXPECT_DOUBLE_EQ(static_cast<double>(form->spnedtLeft->Value()), 3);
  PostMouseClick(form->infbrLandscape);
  Pump();
  EXPECT_TRUE(form->infbrLandscape->Checked());
  EXPECT_FALSE(form->infbrPortrait->Checked());
  EXPECT_TRUE(form->infbrLandscape->Focused());
  EXPECT_DOUBLE_EQ(static_cast<double>(form->spnedtLeft->Value()), ::Options->lMarginsLeft);
  // The keyboard: the portrait tile focused, the space bar checks it.
  form->infbrPortrait->SetFocus();
  Pump();
  EXPECT_FALSE(form->infbrPortrait->Checked());
  PostMessageW(form->infbrPortrait->Handle(), WM_CHAR, L' ', 0);
  Pump();
  EXPECT_TRUE(form->infbrPortrait->Checked());
  EXPECT_FALSE(form->infbrLandscape->Checked());
  EXPECT_DOUBLE_EQ(static_cast<double>(form->spnedtLeft->Value()), ::Options->pMarginsLeft);
  // Another key does nothing.
  PostMessageW(form->infbrLandscape->Handle(), WM_CHAR, L'x', 0);
  Pump();
  EXPECT_TRUE(form->infbrPortrait->Checked());
  form->Hide();
}

// A double click on a tile chooses it and runs OK.
TEST_F(PageSetupTiles, ADoubleClickChoosesTheTileAndRunsOk) {
  TPrinterPresent present;
  Make();
  TDocument* doc = Doc(0);
  ASSERT_EQ(doc->Orientation, 0);
  auto* form = New<TPageSetupForm>(nullptr, doc);
  EXPECT_EQ(ShowModalForm(form, {form->infbrLandscape}, &PostDoubleClick), mrOk);
  EXPECT_EQ(doc->Orientation, 1);
  EXPECT_EQ(Printer()->Orientation(), poLandscape);
  Printer()->SetOrientation(poPortrait);
}
