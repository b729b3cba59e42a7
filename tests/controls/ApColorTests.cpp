// The colour square, the drop button and the colour palette form: drawing, clicks, layout,
// keyboard, the close rules and the colour dialog opened from the palette.
#include <gtest/gtest.h>

#include "ControlsTestSupport.h"
#include "controls/ApColorForm.h"
#include "framework/Menus.h"
#include "tests/common/TestPicture.h"

namespace {

// The colour of a pixel of the form as painted now.
COLORREF PixelOf(TWinControl* Control, int X, int Y) {
  TTestPicture picture(Control->Width(), Control->Height());
  Control->PaintTo(picture.DC(), 0, 0);
  return picture.At(X, Y);
}

// Frees itself with what it owns; tells whether the palette is still there.
struct TPaletteOwner {
  TComponent holder{nullptr};
  TApColorForm* Make() { return new TApColorForm(&holder); }
  bool Gone() {
    Pump();
    return holder.ComponentCount() == 0;
  }
};

void CALLBACK EndMenuLater(HWND, UINT, UINT_PTR Id, DWORD) {
  KillTimer(nullptr, Id);
  EndMenu();
}

}  // namespace

TEST_F(ShownForm, ColourSquareFramesAndHotFrame) {
  auto* square = Child<TApColorSquare>();
  square->SetLeft(10);
  square->SetTop(10);
  square->SetColor(clRed);
  COLORREF face = ColorToRGB(clBtnFace), shadow = ColorToRGB(clBtnShadow), light = ColorToRGB(clBtnHighlight),
           dark = ColorToRGB(cl3DDkShadow);
  struct Case {
    int x, y;
    COLORREF normal, hot;
  } cases[] = {{0, 0, face, dark},   {1, 1, shadow, light},  {2, 2, dark, dark},
               {17, 17, face, dark}, {16, 16, light, light}, {14, 14, 0x0000FF, 0x0000FF}};
  for (const Case& c : cases) EXPECT_EQ(PixelOf(form, 10 + c.x, 10 + c.y), c.normal) << c.x << "," << c.y;
  square->Perform(CM_MOUSEENTER);
  EXPECT_TRUE(square->Hot());
  for (const Case& c : cases) EXPECT_EQ(PixelOf(form, 10 + c.x, 10 + c.y), c.hot) << c.x << "," << c.y;
  square->Perform(CM_MOUSELEAVE);
  square->SetBorderStyle(bsNone);
  EXPECT_EQ(PixelOf(form, 10, 10), 0x0000FFu);
}

TEST_F(ShownForm, ColourSquareReportsClicksAndChanges) {
  auto* square = Child<TApColorSquare>();
  Pump();
  int changes = 0;
  TFn<void(TObject*)> change([&](TObject*) { ++changes; });
  square->OnChange = change.Event();
  square->SetColor(clLime);
  square->SetColor(clLime);
  EXPECT_EQ(changes, 1);
  square->SetColor(clBlue);
  TColor clicked = clNone;
  TFn<void(TObject*, TMouseButton, TColor, TShiftState)> click(
      [&](TObject*, TMouseButton b, TColor c, TShiftState) { clicked = b == mbLeft ? c : clNone; });
  square->OnColorClick = click.Event();
  SendMessageW(form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(form->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(clicked, clBlue);
}

TEST_F(ShownForm, DropButtonDrawsItsArrowPartAndPopsUp) {
  SetThemesActiveOverride(0);
  auto* button = Child<TApCustomDropButton>();
  const int x = 42 - 13;  // the arrow part's separator
  EXPECT_EQ(PixelOf(button, x, 10), ColorToRGB(clBtnShadow));
  EXPECT_EQ(PixelOf(button, x, 2), ColorToRGB(clBtnFace));  // 4 px short of the edges
  EXPECT_EQ(PixelOf(button, x + 7, 9), ColorToRGB(clWindowText));
  auto* menu = new TPopupMenu(form);  // releasing the mouse pops it up at the bottom-left corner
  menu->Items()->Add(new TMenuItem(menu));
  button->SetDropDown(menu);
  SetTimer(nullptr, 0, 50, EndMenuLater);
  SendMessageW(button->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(button->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_FALSE(button->Pressed());
  EXPECT_EQ(menu->PopupPoint(), button->ClientToScreen(TPoint{0, 21}));
  delete menu;
  EXPECT_EQ(button->DropDown(), nullptr);
  SetThemesActiveOverride(-1);
}

TEST(ApColorForm, LayoutAndRebuilding) {
  TPaletteOwner owner;
  TApColorForm* palette = owner.Make();
  EXPECT_EQ(palette->Square(19)->BoundsRect(), Bounds(66, 88, 22, 22));  // four columns of 22 pixels
  EXPECT_EQ(palette->CustomSquare()->BoundsRect(), Bounds(66, 116, 22, 22));
  EXPECT_TRUE(palette->ClientWidth() == 88 && (GetWindowLongW(palette->Handle(), GWL_STYLE) & WS_CAPTION) == 0);
  // Building again replaces the squares rather than adding more.
  int count = palette->ComponentCount();
  palette->BuildSquares();
  EXPECT_EQ(palette->ComponentCount(), count);
  delete palette;
}

TEST(ApColorForm, ChoosingASquareClosesWithOk) {
  TPaletteOwner owner;
  TApColorForm* palette = owner.Make();
  palette->Show();
  Pump();
  TApColorSquare* square = palette->Square(6);
  TPoint p{square->Left() + 5, square->Top() + 5};
  SendMessageW(palette->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.X, p.Y));
  SendMessageW(palette->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(p.X, p.Y));
  EXPECT_TRUE(palette->CurrentColor() == TColor(0x00FFFF) && palette->ModalResult() == mrOk);
  EXPECT_TRUE(owner.Gone());  // freed on closing
}

TEST(ApColorForm, EscapeWithoutModifiersCancels) {
  TPaletteOwner owner;
  TApColorForm* palette = owner.Make();
  palette->Show();
  Pump();
  Word key = VK_ESCAPE;
  for (TShiftState shift : {TShiftState{ssCtrl}, TShiftState{ssShift}, TShiftState{ssAlt}})
    palette->FormKeyUp(palette, key, shift);
  EXPECT_TRUE(palette->ModalResult() == mrNone && !owner.Gone());
  palette->FormKeyUp(palette, key, TShiftState{});
  EXPECT_TRUE(palette->ModalResult() == mrCancel && owner.Gone());
  // Losing activation cancels too.
  palette = owner.Make();
  palette->Show();
  Pump();
  palette->FormDeactivate(palette);
  EXPECT_TRUE(palette->ModalResult() == mrCancel && owner.Gone());
}

namespace {

// Answers the colour dialog with a button as soon as it shows, and records whether the
// palette was still visible and open then.
struct TDialogAnswer {
  TApColorForm* palette;
  WPARAM answer;
  bool openWhileShown = false;
  void Show(TObject* Sender) {
    openWhileShown = palette->DialogOpen() && palette->Visible();
    // Deactivation while the dialog shows must not close the palette.
    palette->FormDeactivate(palette);
    PostMessageW(static_cast<TCommonDialog*>(Sender)->Handle(), WM_COMMAND, answer, 0);
  }
};

}  // namespace

TEST(ApColorForm, OtherColourDialogCancelledAndConfirmed) {
  for (WPARAM answer : {WPARAM(IDCANCEL), WPARAM(IDOK)}) {
    TPaletteOwner owner;
    TApColorForm* palette = owner.Make();
    palette->SetCurrentColor(TColor(0x123456));
    palette->Show();
    Pump();
    TDialogAnswer dialogAnswer{palette, answer};
    palette->ColorDialog()->OnShow = TNotifyEvent(&dialogAnswer, &TDialogAnswer::Show);
    palette->OtherBtnClick(palette->OtherButton());
    EXPECT_TRUE(dialogAnswer.openWhileShown);
    EXPECT_FALSE(palette->DialogOpen());
    EXPECT_EQ(palette->ModalResult(), answer == IDOK ? mrOk : mrCancel);
    // Confirmed, the dialog's colour (started from the current one) is taken.
    EXPECT_TRUE(answer != IDOK ||
                (palette->CustomSquare()->Color() == TColor(0x123456) && palette->CurrentColor() == TColor(0x123456)));
    EXPECT_TRUE(owner.Gone());
  }
}
