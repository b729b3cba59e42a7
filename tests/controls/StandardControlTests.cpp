// The framework's standard controls in real windows: typed Unicode text comes back through
// their properties, state survives new windows, and notifications become events.
#include <gtest/gtest.h>

#include "ControlsTestSupport.h"
#include "framework/Bitmap.h"
#include "framework/Buttons.h"
#include "framework/ComCtrls.h"
#include "framework/Exceptions.h"
#include "framework/FormFiles.h"
#include "framework/ListControls.h"
#include "framework/ExtCtrls.h"
#include "framework/Mask.h"
#include "framework/StdCtrls.h"

namespace {
const WideString Typed = L"\x0416\x0443\x043A \x03A9\x03BC\x03AD\x03B3\x03B1 \x4E2D\x6587";  // Жук Ωμέγα 中文

class StandardControlTest : public TShownFormTest {
 protected:
  template <class T>
  T* Make(int Left = 8, int Top = 8) {
    auto* c = new T(form);
    c->SetParent(form);
    c->SetLeft(Left);
    c->SetTop(Top);
    return c;
  }
};
}  // namespace

TEST_F(StandardControlTest, EditTakesTypedUnicodeAndReportsChanges) {
  auto* edit = Make<TEdit>();
  int changes = 0;
  TFn<void(TObject*)> onChange([&](TObject*) { ++changes; });
  edit->OnChange = onChange.Event();
  EXPECT_FALSE(edit->Modified());
  TypeChars(edit->Handle(), Typed);
  EXPECT_EQ(edit->Text(), Typed);
  EXPECT_EQ(changes, static_cast<int>(Typed.size()));
  EXPECT_TRUE(edit->Modified());
  edit->SetSelStart(4);
  edit->SetSelLength(5);
  EXPECT_EQ(edit->SelText(), L"\x03A9\x03BC\x03AD\x03B3\x03B1");
  edit->SetSelText(L"\x0394");
  EXPECT_EQ(edit->Text(), L"\x0416\x0443\x043A \x0394 \x4E2D\x6587");
  // A new window keeps the text and the modified flag.
  edit->SetPasswordChar(L'*');
  EXPECT_EQ(edit->Text(), L"\x0416\x0443\x043A \x0394 \x4E2D\x6587");
  EXPECT_TRUE(edit->Modified());
}

TEST_F(StandardControlTest, EditLimitsAndReadOnlyHoldForTyping) {
  auto* edit = Make<TEdit>();
  edit->SetMaxLength(3);
  TypeChars(edit->Handle(), Typed);
  EXPECT_EQ(edit->Text(), Typed.substr(0, 3));
  edit->SetReadOnly(true);
  TypeChars(edit->Handle(), L"x");
  EXPECT_EQ(edit->Text(), Typed.substr(0, 3));
  edit->Clear();
  EXPECT_EQ(edit->Text(), L"");
}

TEST_F(StandardControlTest, MemoLinesFollowItsText) {
  auto* memo = Make<TMemo>();
  TStringsW* lines = memo->Lines();
  EXPECT_EQ(lines->Count(), 0);
  lines->Add(L"\x03B1");
  lines->Add(L"\x03B2");
  EXPECT_EQ(memo->Text(), L"\x03B1\r\n\x03B2");
  lines->Insert(1, Typed);
  lines->SetStrings(0, L"\x0430");
  lines->Delete(2);
  EXPECT_EQ(lines->Count(), 2);
  EXPECT_EQ(lines->Strings(1), Typed);
  EXPECT_EQ(lines->Text(), L"\x0430\r\n" + Typed + L"\r\n");
  memo->SetText(L"a\rb\nc\r\n");
  EXPECT_EQ(lines->Count(), 3);
  EXPECT_EQ(lines->Strings(2), L"c");
  EXPECT_EQ(MessageOf<EStringListError>([&] { (void)lines->Strings(3); }), L"List index out of bounds (3)");
  memo->SetWordWrap(false);  // a new window
  EXPECT_EQ(lines->Count(), 3);
}

TEST_F(StandardControlTest, CheckBoxStepsThroughItsStatesOnClicks) {
  auto* check = Make<TCheckBox>();
  check->SetCaption(Typed);
  int clicks = 0;
  TFn<void(TObject*)> onClick([&](TObject*) { ++clicks; });
  check->OnClick = onClick.Event();
  auto click = [&] { SendMessageW(check->Handle(), BM_CLICK, 0, 0); };
  click();
  EXPECT_EQ(check->State(), cbChecked);
  click();
  EXPECT_EQ(check->State(), cbUnchecked);
  check->SetAllowGrayed(true);
  click();
  EXPECT_EQ(check->State(), cbGrayed);
  click();
  EXPECT_TRUE(check->Checked());
  EXPECT_EQ(clicks, 4);
  EXPECT_EQ(SendMessageW(check->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
  check->SetChecked(false);  // a change by code is a click as well
  EXPECT_EQ(clicks, 5);
  EXPECT_EQ(check->Caption(), Typed);
}

TEST_F(StandardControlTest, RadioButtonsOfOneParentExcludeEachOther) {
  auto* a = Make<TRadioButton>(8, 8);
  auto* b = Make<TRadioButton>(8, 30);
  auto* group = Make<TGroupBox>(150, 8);
  auto* c = new TRadioButton(form);
  c->SetParent(group);
  c->SetChecked(true);
  SendMessageW(a->Handle(), BM_CLICK, 0, 0);
  EXPECT_TRUE(a->Checked());
  SendMessageW(b->Handle(), BM_CLICK, 0, 0);
  EXPECT_TRUE(b->Checked());
  EXPECT_FALSE(a->Checked());
  EXPECT_EQ(SendMessageW(a->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_TRUE(c->Checked());  // another parent
}

TEST_F(StandardControlTest, ButtonsAnswerEnterEscapeAndSetTheModalResult) {
  auto* ok = Make<TButton>();
  ok->SetDefault(true);
  ok->SetModalResult(mrOk);
  auto* cancel = Make<TButton>(100, 8);
  cancel->SetCancel(true);
  cancel->SetModalResult(mrCancel);
  EXPECT_NE(form->Perform(CM_DIALOGKEY, VK_RETURN, 0), 0);
  EXPECT_EQ(form->ModalResult(), mrOk);
  EXPECT_NE(form->Perform(CM_DIALOGKEY, VK_ESCAPE, 0), 0);
  EXPECT_EQ(form->ModalResult(), mrCancel);
  form->SetModalResult(mrNone);
  ok->SetEnabled(false);
  EXPECT_EQ(form->Perform(CM_DIALOGKEY, VK_RETURN, 0), 0);
  EXPECT_EQ(form->ModalResult(), mrNone);
  ok->SetEnabled(true);
  SendMessageW(ok->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(form->ModalResult(), mrOk);
}

TEST_F(StandardControlTest, LabelSizesToItsTextAndFocusesItsControl) {
  auto* label = Make<TLabel>();
  auto* edit = Make<TEdit>(100, 8);
  label->SetCaption(L"&\x0424\x0430\x0439\x043B");  // &Файл
  int narrow = label->Width();
  label->SetCaption(L"&\x0424\x0430\x0439\x043B " + Typed);
  EXPECT_GT(label->Width(), narrow);
  label->SetFocusControl(edit);
  EXPECT_NE(form->Perform(CM_DIALOGCHAR, L'\x0444', 0), 0);  // the hot key, in lower case
  EXPECT_TRUE(edit->Focused());
  delete edit;
  EXPECT_EQ(label->FocusControl(), nullptr);
}

TEST_F(StandardControlTest, ScrollBarKeepsItsPositionInRange) {
  auto* bar = Make<TScrollBar>();
  int changes = 0;
  TFn<void(TObject*)> onChange([&](TObject*) { ++changes; });
  bar->OnChange = onChange.Event();
  bar->SetParams(50, 0, 60);
  bar->SetSmallChange(4);
  bar->SetLargeChange(20);
  SendMessageW(form->Handle(), WM_HSCROLL, SB_LINEDOWN, reinterpret_cast<LPARAM>(bar->Handle()));
  EXPECT_EQ(bar->Position(), 54);
  SendMessageW(form->Handle(), WM_HSCROLL, SB_PAGEDOWN, reinterpret_cast<LPARAM>(bar->Handle()));
  EXPECT_EQ(bar->Position(), 60);
  SendMessageW(form->Handle(), WM_HSCROLL, SB_TOP, reinterpret_cast<LPARAM>(bar->Handle()));
  EXPECT_EQ(bar->Position(), 0);
  EXPECT_EQ(changes, 4);
  bar->SetPosition(500);
  EXPECT_EQ(bar->Position(), 60);
  EXPECT_EQ(MessageOf<EInvalidOperation>([&] { bar->SetParams(0, 10, 5); }), L"Scroll bar property out of range");
  EXPECT_EQ(bar->Min(), 0);
  EXPECT_EQ(GetScrollPos(bar->Handle(), SB_CTL), 60);
}

TEST_F(StandardControlTest, UpDownStepsItsAssociateWithinRange) {
  auto* edit = Make<TEdit>();
  auto* updown = Make<TUpDown>(130, 8);
  updown->SetMin(-2);
  updown->SetMax(3);
  updown->SetPosition(2);
  updown->SetAssociate(edit);
  EXPECT_EQ(edit->Text(), L"2");
  updown->SetPosition(7);
  EXPECT_EQ(updown->Position(), 3);
  updown->SetMax(1);
  EXPECT_EQ(updown->Position(), 1);
  delete edit;
  EXPECT_EQ(updown->Associate(), nullptr);
}

TEST_F(StandardControlTest, SpeedButtonsOfAGroupStayDownOneAtATime) {
  auto* a = Make<TSpeedButton>(8, 8);
  auto* b = Make<TSpeedButton>(40, 8);
  a->SetGroupIndex(1);
  b->SetGroupIndex(1);
  a->SetDown(true);
  b->SetDown(true);
  EXPECT_FALSE(a->Down());
  b->SetDown(false);  // the last one down stays down
  EXPECT_TRUE(b->Down());
  b->SetAllowAllUp(true);
  b->SetDown(false);
  EXPECT_FALSE(b->Down());
  auto* plain = Make<TSpeedButton>(80, 8);
  plain->SetDown(true);  // outside a group a button never stays down
  EXPECT_FALSE(plain->Down());
  int clicks = 0;
  TFn<void(TObject*)> onClick([&](TObject*) { ++clicks; });
  plain->OnClick = onClick.Event();
  SendMessageW(form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(85, 12));
  SendMessageW(form->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(85, 12));
  EXPECT_EQ(clicks, 1);
}

TEST_F(StandardControlTest, ImagePlacesItsPictureAsAsked) {
  auto* image = Make<TImage>();
  image->SetBounds(0, 0, 100, 50);
  image->Picture()->Bitmap()->SetSize(40, 40);
  EXPECT_EQ(image->DestRect(), TRect(0, 0, 40, 40));
  image->SetCenter(true);
  EXPECT_EQ(image->DestRect(), TRect(30, 5, 70, 45));
  image->SetStretch(true);
  image->SetProportional(true);
  EXPECT_EQ(image->DestRect(), TRect(25, 0, 75, 50));
  image->SetAutoSize(true);
  EXPECT_EQ(image->Width(), 40);
}

TEST_F(StandardControlTest, PanelAlignsChildrenInsideItsBevels) {
  auto* panel = Make<TPanel>();
  panel->SetBounds(0, 0, 200, 100);
  panel->SetBevelInner(bvLowered);
  panel->SetBevelWidth(2);
  auto* inner = new TPanel(form);
  inner->SetParent(panel);
  inner->SetAlign(alClient);
  EXPECT_EQ(inner->BoundsRect(), TRect(4, 4, 196, 96));
  panel->SetCaption(Typed);
  EXPECT_EQ(panel->Caption(), Typed);
}

TEST_F(StandardControlTest, MaskEditKeepsItsMaskAndText) {
  auto* edit = Make<TMaskEdit>();
  edit->SetEditMask(L"000;1;_");
  TypeChars(edit->Handle(), L"12");
  EXPECT_EQ(edit->EditText(), L"12");
  EXPECT_EQ(edit->EditMask(), L"000;1;_");
}

// Typed into the window, the text comes back through the control and through a form file.
TEST_F(StandardControlTest, TypedTextComesBackThroughAFormFile) {
  struct Case {
    TWinControl* (*make)(TForm* Form);
    HWND (*input)(TWinControl* Control);
  } cases[] = {
      {[](TForm* f) -> TWinControl* { return new TEdit(f); }, [](TWinControl* c) { return c->Handle(); }},
      {[](TForm* f) -> TWinControl* { return new TMemo(f); }, [](TWinControl* c) { return c->Handle(); }},
      {[](TForm* f) -> TWinControl* { return new TMaskEdit(f); }, [](TWinControl* c) { return c->Handle(); }},
      {[](TForm* f) -> TWinControl* { return new TComboBox(f); },
       [](TWinControl* c) { return static_cast<TCustomComboBox*>(c)->EditHandle(); }},
  };
  for (const Case& c : cases) {
    std::unique_ptr<TForm> owner(new TForm(nullptr, CreateNew));
    owner->SetBounds(40, 40, 300, 200);
    owner->Show();
    TWinControl* control = c.make(owner.get());
    control->SetName("Typed");
    control->SetParent(owner.get());
    TypeChars(c.input(control), Typed);
    EXPECT_EQ(control->Text(), Typed) << control->ClassName();
    std::string text = WriteComponentToText(owner.get());
    std::unique_ptr<TForm> copy(new TForm(nullptr, CreateNew));
    ReadComponentFromText(text, copy.get());
    auto* read = dynamic_cast<TControl*>(copy->FindComponent("Typed"));
    ASSERT_NE(read, nullptr) << control->ClassName();
    EXPECT_EQ(read->Text(), Typed) << control->ClassName();
  }
}

TEST_F(StandardControlTest, ChosenComboItemBecomesTheTextAndASelect) {
  auto* combo = Make<TComboBox>();
  combo->Items()->Add(L"\x03B1");
  combo->Items()->Add(Typed);
  int selects = 0, clicks = 0;
  TFn<void(TObject*)> onSelect([&](TObject*) { ++selects; });
  TFn<void(TObject*)> onClick([&](TObject*) { ++clicks; });
  combo->OnSelect = onSelect.Event();
  combo->OnClick = onClick.Event();
  SendMessageW(combo->Handle(), CB_SETCURSEL, 1, 0);
  SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo->Handle()), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo->Handle()));
  EXPECT_EQ(combo->Text(), Typed);
  EXPECT_EQ(selects, 1);
  EXPECT_EQ(clicks, 1);
}

TEST_F(StandardControlTest, BevelLinesAreShadowThenHighlight) {
  auto* bevel = Make<TBevel>(0, 0);
  bevel->SetBounds(0, 0, 40, 10);
  TBitmap bitmap;
  bitmap.SetSize(300, 200);
  struct Case {
    TBevelShape shape;
    TBevelStyle style;
    TPoint first, second;
  } cases[] = {
      {bsTopLine, bsLowered, {5, 0}, {5, 1}},
      {bsBottomLine, bsLowered, {5, 8}, {5, 9}},
      {bsLeftLine, bsRaised, {0, 5}, {1, 5}},
      {bsRightLine, bsLowered, {38, 5}, {39, 5}},
  };
  for (const Case& c : cases) {
    bevel->SetShape(c.shape);
    bevel->SetStyle(c.style);
    form->PaintTo(bitmap.Canvas()->Handle(), 0, 0);
    TPoint origin = form->ScreenToClient(bevel->ClientToScreen({0, 0}));
    TColor shadow = static_cast<TColor>(ColorToRGB(clBtnShadow));
    TColor highlight = static_cast<TColor>(ColorToRGB(clBtnHighlight));
    TColor first = bitmap.Canvas()->Pixels(origin.X + c.first.X, origin.Y + c.first.Y);
    TColor second = bitmap.Canvas()->Pixels(origin.X + c.second.X, origin.Y + c.second.Y);
    EXPECT_EQ(first, c.style == bsLowered ? shadow : highlight) << c.shape;
    EXPECT_EQ(second, c.style == bsLowered ? highlight : shadow) << c.shape;
  }
}
