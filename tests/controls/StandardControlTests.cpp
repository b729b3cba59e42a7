// The framework's standard controls in real windows: typed Unicode text comes back through
// their properties, state survives new windows, and notifications become events.
#include "framework/Win.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include "ControlsTestSupport.h"
#include "framework/Buttons.h"
#include "framework/CodePages.h"
#include "framework/ComCtrls.h"
#include "framework/Exceptions.h"
#include "framework/FormFiles.h"
#include "framework/ListControls.h"
#include "framework/ExtCtrls.h"
#include "framework/Mask.h"
#include "framework/StdCtrls.h"

namespace {
const WideString Typed = L"\x0416\x0443\x043A \x03A9\x03BC\x03AD\x03B3\x03B1 \x4E2D\x6587";  // Жук Ωμέγα 中文

class StandardControl : public ShownForm {
 protected:
  template <class T>
  T* Make(int Left = 8, int Top = 8) {
    auto* c = Child<T>();
    c->SetLeft(Left);
    c->SetTop(Top);
    return c;
  }
};
}  // namespace

TEST_F(StandardControl, EditTakesTypedUnicodeAndReportsChanges) {
  auto* edit = Make<TEdit>();
  int changes = 0;
  TFn<void(TObject*)> onChange([&](TObject*) { ++changes; });
  edit->OnChange = onChange.Event();
  TypeChars(edit->Handle(), Typed);
  EXPECT_TRUE(edit->Text() == Typed && changes == static_cast<int>(Typed.size()) && edit->Modified());
  edit->SetSelStart(4);
  edit->SetSelLength(5);
  edit->SetSelText(L"\x0394");
  edit->SetPasswordChar(L'*');  // a new window keeps the text and the modified flag
  EXPECT_EQ(edit->Text(), L"\x0416\x0443\x043A \x0394 \x4E2D\x6587");
  EXPECT_TRUE(edit->Modified());
  edit->SetMaxLength(3);  // typing holds to the limit and to read-only
  edit->Clear();
  TypeChars(edit->Handle(), Typed);
  edit->SetReadOnly(true);
  TypeChars(edit->Handle(), L"x");
  EXPECT_EQ(edit->Text(), Typed.substr(0, 3));
}

TEST_F(StandardControl, MemoLinesFollowItsText) {
  auto* memo = Make<TMemo>();
  TStringsW* lines = memo->Lines();
  lines->Add(L"\x03B1");
  lines->Add(L"\x03B2");
  EXPECT_EQ(memo->Text(), L"\x03B1\r\n\x03B2");
  lines->Insert(1, Typed);
  lines->SetStrings(0, L"\x0430");
  lines->Delete(2);
  EXPECT_EQ(lines->Text(), L"\x0430\r\n" + Typed + L"\r\n");
  memo->SetText(L"a\rb\nc\r\n");
  EXPECT_EQ(lines->Strings(2), L"c");
  EXPECT_EQ(MessageOf<EStringListError>([&] { (void)lines->Strings(3); }), L"List index out of bounds (3)");
  memo->SetWordWrap(false);  // a new window
  EXPECT_EQ(lines->Count(), 3);
}

TEST_F(StandardControl, CheckBoxStepsThroughItsStatesOnClicks) {
  auto* check = Make<TCheckBox>();
  check->SetCaption(Typed);
  int clicks = 0;
  TFn<void(TObject*)> onClick([&](TObject*) { ++clicks; });
  check->OnClick = onClick.Event();
  std::vector<TCheckBoxState> states;
  for (int i = 0; i < 4; ++i) {
    if (i == 2) check->SetAllowGrayed(true);
    SendMessageW(check->Handle(), BM_CLICK, 0, 0);
    states.push_back(check->State());
  }
  EXPECT_EQ(states, (std::vector<TCheckBoxState>{cbChecked, cbUnchecked, cbGrayed, cbChecked}));
  EXPECT_TRUE(clicks == 4 && SendMessageW(check->Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED);
  check->SetChecked(false);  // a change by code is a click as well
  EXPECT_EQ(clicks, 5);
}

TEST_F(StandardControl, RadioButtonsOfOneParentExcludeEachOther) {
  auto* a = Make<TRadioButton>(8, 8);
  auto* b = Make<TRadioButton>(8, 30);
  auto* group = Make<TGroupBox>(150, 8);
  auto* c = Child<TRadioButton>(group);
  c->SetChecked(true);
  SendMessageW(a->Handle(), BM_CLICK, 0, 0);
  SendMessageW(b->Handle(), BM_CLICK, 0, 0);
  EXPECT_TRUE(b->Checked() && !a->Checked() && SendMessageW(a->Handle(), BM_GETCHECK, 0, 0) == BST_UNCHECKED);
  EXPECT_TRUE(c->Checked());  // another parent
}

TEST_F(StandardControl, ButtonsAnswerEnterEscapeAndSetTheModalResult) {
  auto* ok = Make<TButton>();
  ok->SetDefault(true);
  ok->SetModalResult(mrOk);
  auto* cancel = Make<TButton>(100, 8);
  cancel->SetCancel(true);
  cancel->SetModalResult(mrCancel);
  EXPECT_TRUE(form->Perform(CM_DIALOGKEY, VK_RETURN, 0) != 0 && form->ModalResult() == mrOk);
  EXPECT_TRUE(form->Perform(CM_DIALOGKEY, VK_ESCAPE, 0) != 0 && form->ModalResult() == mrCancel);
  form->SetModalResult(mrNone);
  ok->SetEnabled(false);
  EXPECT_TRUE(form->Perform(CM_DIALOGKEY, VK_RETURN, 0) == 0 && form->ModalResult() == mrNone);
  ok->SetEnabled(true);
  SendMessageW(ok->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(form->ModalResult(), mrOk);
}

TEST_F(StandardControl, LabelSizesToItsTextAndFocusesItsControl) {
  auto* label = Make<TLabel>();
  auto* edit = Make<TEdit>(100, 8);
  label->SetCaption(L"&\x0424\x0430\x0439\x043B");  // &Файл
  const int narrow = label->Width();
  label->SetCaption(L"&\x0424\x0430\x0439\x043B " + Typed);
  EXPECT_GT(label->Width(), narrow);
  label->SetFocusControl(edit);
  EXPECT_TRUE(form->Perform(CM_DIALOGCHAR, L'\x0444', 0) != 0 && edit->Focused());  // the hot key, in lower case
  delete edit;
  EXPECT_EQ(label->FocusControl(), nullptr);
}

TEST_F(StandardControl, ScrollBarKeepsItsPositionInRange) {
  auto* bar = Make<TScrollBar>();
  int changes = 0;
  TFn<void(TObject*)> onChange([&](TObject*) { ++changes; });
  bar->OnChange = onChange.Event();
  bar->SetParams(50, 0, 60);
  bar->SetSmallChange(4);
  bar->SetLargeChange(20);
  std::vector<int> positions;
  for (WPARAM code : {SB_LINEDOWN, SB_PAGEDOWN, SB_TOP}) {
    SendMessageW(form->Handle(), WM_HSCROLL, code, reinterpret_cast<LPARAM>(bar->Handle()));
    positions.push_back(bar->Position());
  }
  EXPECT_EQ(positions, (std::vector<int>{54, 60, 0}));
  EXPECT_EQ(changes, 4);
  bar->SetPosition(500);
  EXPECT_EQ(bar->Position(), 60);
  EXPECT_EQ(MessageOf<EInvalidOperation>([&] { bar->SetParams(0, 10, 5); }), L"Scroll bar property out of range");
  EXPECT_EQ(GetScrollPos(bar->Handle(), SB_CTL), 60);
}

TEST_F(StandardControl, UpDownStepsItsAssociateWithinRange) {
  auto* edit = Make<TEdit>();
  auto* updown = Make<TUpDown>(130, 8);
  updown->SetMin(-2);
  updown->SetMax(3);
  updown->SetPosition(2);
  updown->SetAssociate(edit);
  EXPECT_EQ(edit->Text(), L"2");  // then kept to the range
  updown->SetPosition(7);
  updown->SetMax(1);
  EXPECT_EQ(updown->Position(), 1);
  delete edit;
  EXPECT_EQ(updown->Associate(), nullptr);
}

TEST_F(StandardControl, SpeedButtonsOfAGroupStayDownOneAtATime) {
  auto* a = Make<TSpeedButton>(8, 8);
  auto* b = Make<TSpeedButton>(40, 8);
  a->SetGroupIndex(1);
  b->SetGroupIndex(1);
  a->SetDown(true);
  b->SetDown(true);
  b->SetDown(false);  // the last one down stays down
  EXPECT_TRUE(!a->Down() && b->Down());
  b->SetAllowAllUp(true);
  b->SetDown(false);
  EXPECT_FALSE(b->Down());
  auto* plain = Make<TSpeedButton>(80, 8);
  int clicks = 0;
  TFn<void(TObject*)> onClick([&](TObject*) { ++clicks; });
  plain->OnClick = onClick.Event();
  SendMessageW(form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(85, 12));
  SendMessageW(form->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(85, 12));
  EXPECT_EQ(clicks, 1);
}

// Typed into the window, the text comes back through the control and through a form file.
TEST_F(StandardControl, TypedTextComesBackThroughAFormFile) {
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

TEST_F(StandardControl, ChosenComboItemBecomesTheTextAndASelect) {
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
  EXPECT_TRUE(combo->Text() == Typed && selects == 1 && clicks == 1);
}

namespace {

// The page control's tab texts as the window holds them.
std::vector<WideString> TabTexts(TPageControl* Control) {
  std::vector<WideString> texts;
  const auto count = SendMessageW(Control->Handle(), TCM_GETITEMCOUNT, 0, 0);
  for (int i = 0; i < count; ++i) {
    wchar_t text[64] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 64;
    SendMessageW(Control->Handle(), TCM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    texts.push_back(text);
  }
  return texts;
}

// A left click on a tab, as the user gives it.
void ClickTab(TPageControl* Control, int Index) {
  RECT r{};
  SendMessageW(Control->Handle(), TCM_GETITEMRECT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&r));
  const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  SendMessageW(Control->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(Control->Handle(), WM_LBUTTONUP, 0, at);
  Pump();
}

}  // namespace

TEST_F(StandardControl, PageControlShowsThePageOfTheClickedTab) {
  auto* pages = Make<TPageControl>();
  pages->SetBounds(8, 8, 300, 200);
  std::vector<TTabSheet*> sheets;
  for (const wchar_t* caption : {L"One", L"Two", L"Three"}) {
    auto* sheet = new TTabSheet(form);
    sheet->SetPageControl(pages);
    sheet->SetCaption(caption);
    sheets.push_back(sheet);
  }
  // The first page shows; every page fills the area under the tabs.
  EXPECT_EQ(pages->ActivePage(), sheets[0]);
  EXPECT_EQ(TabTexts(pages), (std::vector<WideString>{L"One", L"Two", L"Three"}));
  const TRect display = pages->DisplayRect();
  EXPECT_TRUE(display.Top > 10 && display.Bottom < 200 && display.Left >= 0);
  for (TTabSheet* sheet : sheets) {
    EXPECT_EQ(sheet->BoundsRect(), display);
    EXPECT_EQ(sheet->Visible(), sheet == sheets[0]);
  }
  std::vector<std::string> log;
  bool allow = true;
  TFn<void(TObject*, bool&)> onChanging([&](TObject*, bool& Allow) {
    log.push_back("changing");
    Allow = allow;
  });
  TFn<void(TObject*)> onChange(
      [&](TObject*) { log.push_back("change " + WideToUtf8(pages->ActivePage()->Caption())); });
  pages->OnChanging = onChanging.Event();
  pages->OnChange = onChange.Event();
  ClickTab(pages, 1);
  EXPECT_EQ(log, (std::vector<std::string>{"changing", "change Two"}));
  EXPECT_TRUE(sheets[1]->Visible() && !sheets[0]->Visible());
  // A refused change keeps the page and its tab.
  allow = false;
  ClickTab(pages, 2);
  EXPECT_EQ(pages->ActivePage(), sheets[1]);
  EXPECT_EQ(SendMessageW(pages->Handle(), TCM_GETCURSEL, 0, 0), 1);
  // A page set by the program tells no one; a caption and a place change the tabs.
  log.clear();
  pages->SetActivePage(sheets[2]);
  EXPECT_TRUE(log.empty() && SendMessageW(pages->Handle(), TCM_GETCURSEL, 0, 0) == 2);
  sheets[2]->SetPageIndex(0);
  sheets[0]->SetCaption(L"First");
  EXPECT_EQ(TabTexts(pages), (std::vector<WideString>{L"Three", L"First", L"Two"}));
  EXPECT_EQ(SendMessageW(pages->Handle(), TCM_GETCURSEL, 0, 0), 0);
  allow = true;
  pages->SelectNextPage(false);  // wraps round from the first to the last
  EXPECT_EQ(pages->ActivePage(), sheets[1]);
  // The active page gone, a neighbour shows.
  delete sheets[1];
  EXPECT_EQ(pages->PageCount(), 2);
  EXPECT_TRUE(pages->ActivePage() && pages->ActivePage()->Visible());
  EXPECT_EQ(TabTexts(pages).size(), 2u);
}

TEST_F(StandardControl, PageControlComesBackThroughAFormFile) {
  auto* pages = Make<TPageControl>();
  pages->SetName("Pages");
  for (const wchar_t* name : {L"A", L"B"}) {
    auto* sheet = new TTabSheet(form);
    sheet->SetName("tbsht" + WideToUtf8(name));
    sheet->SetPageControl(pages);
    sheet->SetCaption(name);
    auto* edit = new TEdit(form);
    edit->SetName("edt" + WideToUtf8(name));
    edit->SetParent(sheet);
  }
  pages->SetActivePageIndex(1);
  const std::string text = WriteComponentToText(form);
  std::unique_ptr<TForm> copy(new TForm(nullptr, CreateNew));
  ReadComponentFromText(text, copy.get());
  auto* read = dynamic_cast<TPageControl*>(copy->FindComponent("Pages"));
  ASSERT_NE(read, nullptr);
  ASSERT_EQ(read->PageCount(), 2);
  EXPECT_EQ(read->ActivePage(), copy->FindComponent("tbshtB"));
  EXPECT_EQ(read->Pages(0)->Caption(), L"A");
  EXPECT_EQ(dynamic_cast<TControl*>(copy->FindComponent("edtA"))->Parent(), read->Pages(0));
  // Only the page control places and shows its pages. (The copy's form is not shown.)
  const std::string pagesText = text.substr(text.find("object Pages"));
  for (const char* placed : {"Visible", "Align", "Top = 2"})
    EXPECT_EQ(pagesText.find(placed), std::string::npos) << pagesText;
  const std::string again = WriteComponentToText(copy.get());
  EXPECT_EQ(again.substr(again.find("object Pages")), pagesText);
}
