// Forms and frames: read from their form files with nested controls, embedded frames and bound
// handlers; OnCreate and OnDestroy while the form is whole; modal forms and their result;
// closing with its actions; placing and frame styles.
#include <gtest/gtest.h>

#include "ControlTestSupport.h"
#include "framework/FormFiles.h"
#include "framework/Screen.h"

namespace {

class TWcTestFrame : public TFrame {
  HV_CLASS(TWcTestFrame, TFrame)
 public:
  explicit TWcTestFrame(TComponent* AOwner) : TFrame(AOwner) {}
  TWcControl* Edit1 = nullptr;
  int Clicks = 0;
  void Edit1Click(TObject*) { ++Clicks; }
};

class TWcTestForm : public TForm {
  HV_CLASS(TWcTestForm, TForm)
 public:
  explicit TWcTestForm(TComponent* AOwner) : TForm(AOwner) {}
  TWcPanel* Panel1 = nullptr;
  TWcControl* Button1 = nullptr;
  TWcTestFrame* Frame1 = nullptr;
  int Clicks = 0;
  bool ComponentsAtCreate = false;
  static inline WideString captionAtDestroy;
  void FormCreate(TObject*) { ComponentsAtCreate = Panel1 && Button1 && Frame1 && Frame1->Edit1; }
  void FormDestroy(TObject*) { captionAtDestroy = Panel1 ? Panel1->Caption() : L"(gone)"; }
  void Button1Click(TObject*) { ++Clicks; }
};

class TWcTestDialog : public TForm {
  HV_CLASS(TWcTestDialog, TForm)
 public:
  explicit TWcTestDialog(TComponent* AOwner) : TForm(AOwner) {}
  TWcControl* Edit1 = nullptr;
  TModalResult ResultOnActivate = mrNone;
  bool AllowClose = true;
  TCloseAction Action = caHide;
  std::vector<HWND> CheckEnabled;  // windows that must be disabled while the dialog runs
  bool OthersDisabled = true;
  void FormActivate(TObject*) {
    for (HWND w : CheckEnabled) OthersDisabled = OthersDisabled && !IsWindowEnabled(w);
    if (ResultOnActivate != mrNone) SetModalResult(std::exchange(ResultOnActivate, mrNone));
  }
  void FormCloseQuery(TObject*, bool& CanClose) { CanClose = AllowClose; }
  void FormClose(TObject*, TCloseAction& A) { A = Action; }
};

// Names its active control in its file: a control that is neither first in tab order nor
// read before the form's own properties.
class TWcFocusForm : public TForm {
  HV_CLASS(TWcFocusForm, TForm)
 public:
  explicit TWcFocusForm(TComponent* AOwner) : TForm(AOwner) {}
  TWcControl* First = nullptr;
  TWcControl* Second = nullptr;
};

class TWcNoFileForm : public TForm {
  HV_CLASS(TWcNoFileForm, TForm)
 public:
  explicit TWcNoFileForm(TComponent* AOwner) : TForm(AOwner) {}
};

}  // namespace

HV_PUBLISH(TWcTestFrame) {
  p.ComponentField("Edit1", &T::Edit1);
  p.Method("Edit1Click", &T::Edit1Click);
}

HV_PUBLISH(TWcTestForm) {
  p.ComponentField("Panel1", &T::Panel1);
  p.ComponentField("Button1", &T::Button1);
  p.ComponentField("Frame1", &T::Frame1);
  p.Method("FormCreate", &T::FormCreate);
  p.Method("FormDestroy", &T::FormDestroy);
  p.Method("Button1Click", &T::Button1Click);
}

HV_PUBLISH(TWcTestDialog) {
  p.ComponentField("Edit1", &T::Edit1);
  p.Method("FormActivate", &T::FormActivate);
  p.Method("FormCloseQuery", &T::FormCloseQuery);
  p.Method("FormClose", &T::FormClose);
}

HV_PUBLISH(TWcFocusForm) {
  p.ComponentField("First", &T::First);
  p.ComponentField("Second", &T::Second);
}

HV_PUBLISH(TWcNoFileForm) {}

namespace {
const bool registered = [] {
  RegisterClasses({&TWcTestFrame::StaticClassInfo(), &TWcTestForm::StaticClassInfo(), &TWcTestDialog::StaticClassInfo(),
                   &TWcFocusForm::StaticClassInfo()});
  return true;
}();

void ClickOn(TControl* control) {
  auto* w = dynamic_cast<TWinControl*>(control);
  SendMouse(w->Handle(), WM_LBUTTONDOWN, 2, 2, MK_LBUTTON);
  SendMouse(w->Handle(), WM_LBUTTONUP, 2, 2, 0);
}
}  // namespace

TEST(FormFilesOfForms, AFormIsReadWithNestedControlsFramesAndHandlers) {
  TWcTestForm* form = New<TWcTestForm>(nullptr);
  ASSERT_NE(form->Button1, nullptr);
  EXPECT_TRUE(form->ComponentsAtCreate);  // OnCreate came after the whole file
  EXPECT_EQ(form->Caption(), L"Form read from its file");
  EXPECT_EQ(form->Button1->Parent(), form->Panel1);
  EXPECT_EQ(form->Panel1->Parent(), form);
  EXPECT_EQ(form->Frame1->Parent(), form);
  EXPECT_EQ(form->Button1->Owner(), form);
  EXPECT_EQ(form->Frame1->Edit1->Owner(), form->Frame1);
  EXPECT_EQ(form->Frame1->Edit1->Caption(), L"changed by the form");
  EXPECT_EQ(form->Button1->Caption(), L"Press");
  // The panel keeps to the top and the frame fills the rest, its anchored edit stretched.
  EXPECT_EQ(form->Panel1->BoundsRect(), Rect(0, 0, 320, 60));
  EXPECT_EQ(form->Frame1->BoundsRect(), Rect(0, 60, 320, 200));
  EXPECT_EQ(form->Frame1->Edit1->Width(), 240);

  form->Show();
  Pump();
  ClickOn(form->Button1);
  ClickOn(form->Frame1->Edit1);
  EXPECT_EQ(form->Clicks, 1);
  EXPECT_EQ(form->Frame1->Clicks, 1);

  // OnDestroy runs while the components are still there.
  TWcTestForm::captionAtDestroy.clear();
  Free(form);
  EXPECT_EQ(TWcTestForm::captionAtDestroy, L"Panel");
}

TEST(FormFilesOfForms, TabGoesIntoTheFrameAndOutAgainAndSkipsWhatCannotTakeTheFocus) {
  TWcTestForm* form = New<TWcTestForm>(nullptr);
  auto* extra = new TWcControl(form);  // made in code after reading, on the panel
  extra->SetBounds(100, 10, 40, 20);
  extra->SetParent(form->Panel1);
  form->Show();
  Pump();
  auto press = [](Word key) {
    PostMessageW(GetFocus(), WM_KEYDOWN, key, 1);
    PostMessageW(GetFocus(), WM_KEYUP, key, 0xC0000001);
    Pump();
  };
  form->Button1->SetFocus();
  press(VK_TAB);
  EXPECT_TRUE(extra->Focused());
  press(VK_TAB);
  EXPECT_TRUE(form->Frame1->Edit1->Focused());  // into the frame, owned by another root
  press(VK_TAB);
  EXPECT_TRUE(form->Button1->Focused());  // and out again, round to the start
  // A disabled control is passed over, and so is one in a hidden container.
  extra->SetEnabled(false);
  press(VK_TAB);
  EXPECT_TRUE(form->Frame1->Edit1->Focused());
  form->Frame1->Hide();
  form->Button1->SetFocus();
  press(VK_TAB);
  EXPECT_TRUE(form->Button1->Focused());
  Free(form);
}

TEST(FormFilesOfForms, TheActiveControlNamedInTheFileHasTheFocusWhenTheFormShows) {
  TWcFocusForm* form = New<TWcFocusForm>(nullptr);
  EXPECT_EQ(form->ActiveControl(), form->Second);  // a reference resolved after the whole file
  form->Show();
  Pump();
  EXPECT_TRUE(form->Second->Focused());
  // Hidden and shown again, the focus comes back to the control that had it.
  form->First->SetFocus();
  form->Hide();
  form->Show();
  Pump();
  EXPECT_TRUE(form->First->Focused());
  // The active control going away leaves the form without one, not with a dangling one.
  delete form->Second;
  form->Second = nullptr;
  EXPECT_EQ(form->ActiveControl(), form->First);
  delete form->First;
  form->First = nullptr;
  EXPECT_EQ(form->ActiveControl(), nullptr);
  Free(form);
}

TEST(FormFilesOfForms, AFrameIsReadOnItsOwn) {
  TWcTestFrame* frame = New<TWcTestFrame>(nullptr);
  ASSERT_NE(frame->Edit1, nullptr);
  EXPECT_EQ(frame->Edit1->Caption(), L"frame text");
  TForm* host = NewShownForm();
  frame->SetParent(host);
  frame->SetAlign(alClient);
  EXPECT_EQ(frame->Edit1->Width(), host->ClientWidth() - 200 + 120);
  delete frame;
  EXPECT_EQ(host->ControlCount(), 0);
  Free(host);
}

// A form written to its form file reads back with the same size and the same parent flags.
TEST(FormFilesOfForms, AFormsSizeAndParentFlagsComeBackAsWritten) {
  const struct {
    int width, height;
    bool parentFont, parentColor;
  } cases[] = {{1, 0, true, true}, {0, 1, false, false}, {321, 123, true, false}, {320, 240, false, true}};
  for (const auto& c : cases) {
    TForm form(nullptr, CreateNew);
    form.SetName("F");
    form.SetBounds(0, 0, c.width, c.height);
    form.SetParentFont(c.parentFont);
    form.SetParentColor(c.parentColor);
    const std::string text = WriteComponentToText(&form);
    TForm back(nullptr, CreateNew);
    ReadComponentFromText(text, &back);
    EXPECT_EQ(back.Width(), c.width) << text;
    EXPECT_EQ(back.Height(), c.height) << text;
    EXPECT_EQ(back.ParentFont(), c.parentFont) << text;
    EXPECT_EQ(back.ParentColor(), c.parentColor) << text;
  }
}

TEST(FormFilesOfForms, AFormWithoutItsFileIsAnError) {
  try {
    New<TWcNoFileForm>(nullptr);
    FAIL() << "no exception";
  } catch (EResNotFound& e) {
    EXPECT_EQ(e.Message(), L"Resource TWcNoFileForm not found");
  }
  EXPECT_EQ(Screen->FormCount(), 0);  // the half-made form went again
  // A form made without New has not read its file: showing it says so.
  auto* form = new TWcTestForm(nullptr);
  EXPECT_THROW(form->Show(), EInvalidOperation);
  delete form;
  // Forms of the plain class and CreateNew forms need no file.
  std::unique_ptr<TForm> plain(New<TForm>(nullptr));
  EXPECT_NO_THROW(plain->Handle());
}

TEST(FormsAndObjects, NewRunsAfterConstructionAndFreeBeforeDestruction) {
  struct TTracked : TComponent {
    using TComponent::TComponent;
    std::vector<std::string>* log = nullptr;
    void AfterConstruction() override {
      if (log) log->push_back("after");
    }
    void BeforeDestruction() override { log->push_back("before"); }
    ~TTracked() override { log->push_back("destroyed"); }
  };
  std::vector<std::string> log;
  auto* owner = new TComponent(nullptr);
  auto* a = new TTracked(owner);
  a->log = &log;
  auto* b = new TTracked(owner);
  b->log = &log;
  delete owner;  // owned components hear BeforeDestruction first, each in turn
  EXPECT_EQ(log, (std::vector<std::string>{"before", "destroyed", "before", "destroyed"}));
  log.clear();
  struct TFailing : TComponent {
    using TComponent::TComponent;
    void AfterConstruction() override { throw EConvertError("no"); }
  };
  auto* parent = new TComponent(nullptr);
  EXPECT_THROW(New<TFailing>(parent), EConvertError);
  EXPECT_EQ(parent->ComponentCount(), 0);  // the failed object is freed
  delete parent;
}

TEST(FormsModal, ShowModalReturnsTheModalResultWithTheOtherWindowsDisabled) {
  TForm* other = NewShownForm();
  TWcTestDialog* dialog = New<TWcTestDialog>(nullptr);
  dialog->ResultOnActivate = mrOk;
  dialog->CheckEnabled = {other->Handle()};
  EXPECT_EQ(dialog->ShowModal(), mrOk);
  EXPECT_TRUE(dialog->OthersDisabled);
  EXPECT_TRUE(IsWindowEnabled(other->Handle()));

  // Closing a modal form gives mrCancel; OnCloseQuery can refuse the end.
  struct TCloser {
    TWcTestDialog* d;
    int round = 0;
    void Idle(TObject*, bool& done) {
      done = false;
      if (round++ == 0) {
        d->AllowClose = false;
        d->Close();
      } else if (round == 5) {
        d->AllowClose = true;
        d->Close();
      }
    }
  } closer{dialog};
  Application->OnIdle = TIdleEvent(&closer, &TCloser::Idle);
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
  Application->OnIdle = nullptr;
  // A visible form cannot become modal.
  dialog->Show();
  EXPECT_THROW(dialog->ShowModal(), EInvalidOperation);
  dialog->Hide();
  Free(dialog);
  Free(other);
}

TEST(FormsModal, AModalFormInsideAModalFormAndOneWhoseOnShowFails) {
  TForm* other = NewShownForm();
  // A second dialog run from the first: each returns its own result, and the first dialog is
  // disabled only while the second runs.
  TWcTestDialog* outer = New<TWcTestDialog>(nullptr);
  TWcTestDialog* inner = New<TWcTestDialog>(nullptr);
  struct TNested {
    TWcTestDialog* outer;
    TWcTestDialog* inner;
    int innerResult = 0;
    bool outerDisabled = false;
    bool ran = false;
    void Activate(TObject*) {
      if (std::exchange(ran, true)) return;
      inner->ResultOnActivate = mrYes;
      inner->CheckEnabled = {outer->Handle()};
      innerResult = inner->ShowModal();
      outerDisabled = inner->OthersDisabled;
      outer->SetModalResult(mrNo);
    }
  } nested{outer, inner};
  outer->OnActivate = TNotifyEvent(&nested, &TNested::Activate);
  EXPECT_EQ(outer->ShowModal(), mrNo);
  EXPECT_EQ(nested.innerResult, mrYes);
  EXPECT_TRUE(nested.outerDisabled);
  EXPECT_TRUE(IsWindowEnabled(other->Handle()));
  EXPECT_TRUE(IsWindowEnabled(outer->Handle()));

  // A failing OnShow is reported; the dialog still runs and gives the other windows back.
  struct TFailing {
    void Show(TObject*) { throw EConvertError("cannot show"); }
  } failing;
  TWcTestDialog* broken = New<TWcTestDialog>(nullptr);
  broken->OnShow = TNotifyEvent(&failing, &TFailing::Show);
  broken->ResultOnActivate = mrOk;
  size_t shown = TestMessageBoxes().Texts.size();
  EXPECT_EQ(broken->ShowModal(), mrOk);
  ASSERT_EQ(TestMessageBoxes().Texts.size(), shown + 1);
  EXPECT_EQ(TestMessageBoxes().Texts.back(), L"cannot show");
  EXPECT_TRUE(IsWindowEnabled(other->Handle()));
  Free(broken);
  Free(inner);
  Free(outer);
  Free(other);
}

TEST(FormsClosing, TheCloseActionDecidesWhatBecomesOfTheForm) {
  TWcTestDialog* dialog = New<TWcTestDialog>(nullptr);
  dialog->Show();
  dialog->AllowClose = false;
  dialog->Close();
  EXPECT_TRUE(dialog->Visible());
  dialog->AllowClose = true;
  dialog->Action = caNone;
  dialog->Close();
  EXPECT_TRUE(dialog->Visible());
  dialog->Action = caHide;
  dialog->Close();
  EXPECT_FALSE(dialog->Visible());
  dialog->Show();
  // WM_CLOSE from the system (the caption's close button) is the same Close.
  SendMessageW(dialog->Handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(dialog->Visible());

  // caFree frees the form once its messages are done.
  struct TWatch : TComponent {
    using TComponent::TComponent;
    bool freed = false;
    void Notification(TComponent* c, TOperation op) override {
      TComponent::Notification(c, op);
      if (op == opRemove && c) freed = true;
    }
  } watch(nullptr);
  dialog->FreeNotification(&watch);
  dialog->Show();
  dialog->Action = caFree;
  dialog->Close();
  EXPECT_FALSE(watch.freed);
  Pump();
  EXPECT_TRUE(watch.freed);
}

TEST(FormsPlacing, PositionAndBorderStyleShapeTheWindow) {
  TWcTestDialog* dialog = New<TWcTestDialog>(nullptr);
  dialog->Show();
  Pump();
  TRect area = Screen->WorkAreaRect();
  EXPECT_NEAR(dialog->Left(), area.Left + (area.Width() - dialog->Width()) / 2, 1);
  EXPECT_NEAR(dialog->Top(), area.Top + (area.Height() - dialog->Height()) / 2, 1);
  LONG style = GetWindowLongW(dialog->Handle(), GWL_STYLE);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_FALSE(style & WS_MINIMIZEBOX);
  EXPECT_TRUE(GetWindowLongW(dialog->Handle(), GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);

  // A new border style needs a new window, which keeps the caption, the place and the children.
  HWND first = dialog->Handle();
  TRect bounds = dialog->BoundsRect();
  dialog->SetBorderStyle(bsSizeable);
  EXPECT_NE(dialog->Handle(), first);
  EXPECT_TRUE(GetWindowLongW(dialog->Handle(), GWL_STYLE) & WS_THICKFRAME);
  EXPECT_TRUE(IsWindowVisible(dialog->Handle()));
  EXPECT_EQ(dialog->BoundsRect().TopLeft(), bounds.TopLeft());
  wchar_t caption[32];
  GetWindowTextW(dialog->Handle(), caption, 32);
  EXPECT_STREQ(caption, L"Dialog");
  EXPECT_EQ(GetParent(dialog->Edit1->Handle()), dialog->Handle());

  dialog->SetFormStyle(fsStayOnTop);
  EXPECT_TRUE(GetWindowLongW(dialog->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  Free(dialog);
}

TEST(FormsPlacing, TheWindowStateIsTheWindowsAndBorderIconsItsButtons) {
  TForm* form = new TForm(nullptr, CreateNew);
  form->SetBounds(40, 50, 300, 200);
  form->SetBorderStyle(bsSizeable);
  form->SetWindowState(wsMaximized);  // decided before there is a window
  form->Show();
  Pump();
  EXPECT_TRUE(IsZoomed(form->Handle()));
  EXPECT_EQ(form->WindowState(), wsMaximized);
  form->SetWindowState(wsNormal);
  EXPECT_FALSE(IsZoomed(form->Handle()));
  EXPECT_EQ(form->BoundsRect(), Rect(40, 50, 340, 250));  // back to the designed place

  // What the user does with the caption's buttons is the form's state as well.
  ShowWindow(form->Handle(), SW_MINIMIZE);
  EXPECT_EQ(form->WindowState(), wsMinimized);
  ShowWindow(form->Handle(), SW_RESTORE);
  EXPECT_EQ(form->WindowState(), wsNormal);
  ShowWindow(form->Handle(), SW_MAXIMIZE);
  EXPECT_EQ(form->WindowState(), wsMaximized);
  form->SetWindowState(wsMinimized);
  EXPECT_TRUE(IsIconic(form->Handle()));
  form->SetWindowState(wsNormal);  // normal, not the maximized state it was minimized from
  EXPECT_FALSE(IsIconic(form->Handle()));
  EXPECT_FALSE(IsZoomed(form->Handle()));
  EXPECT_EQ(form->BoundsRect(), Rect(40, 50, 340, 250));
  // Hidden and shown again, the window keeps the state the user gave it.
  ShowWindow(form->Handle(), SW_MAXIMIZE);
  form->Hide();
  EXPECT_EQ(form->WindowState(), wsMaximized);
  form->Show();
  EXPECT_TRUE(IsZoomed(form->Handle()));
  form->SetWindowState(wsNormal);

  // The border icons are the caption's buttons.
  LONG style = GetWindowLongW(form->Handle(), GWL_STYLE);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_TRUE(style & WS_MAXIMIZEBOX);
  form->SetBorderIcons(TBorderIcons{biSystemMenu, biMinimize});
  EXPECT_FALSE(GetWindowLongW(form->Handle(), GWL_STYLE) & WS_MAXIMIZEBOX);
  form->SetBorderIcons(TBorderIcons{});
  EXPECT_FALSE(GetWindowLongW(form->Handle(), GWL_STYLE) & WS_SYSMENU);
  Free(form);
}

// The width of an icon's image.
int iconWidth(HICON Icon) {
  ICONINFO info{};
  if (!GetIconInfo(Icon, &info)) return 0;
  BITMAP bitmap{};
  GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  return bitmap.bmWidth;
}

// A top-level form's window shows the program's icon at both sizes, in its caption (small) and
// when switching tasks (big), also once its window was made anew; a form inside another has none.
TEST(FormsPlacing, ATopLevelFormsWindowHasTheProgramsBigAndSmallIcon) {
  const HICON big = Application->Icon(false), small = Application->Icon(true);
  ASSERT_NE(big, nullptr) << "the test program carries the program's icon";
  ASSERT_NE(small, nullptr);
  EXPECT_NE(big, small);
  EXPECT_EQ(iconWidth(big), GetSystemMetrics(SM_CXICON));
  EXPECT_EQ(iconWidth(small), GetSystemMetrics(SM_CXSMICON));
  TForm* form = new TForm(nullptr, CreateNew);
  TForm* inner = new TForm(form, CreateNew);
  inner->SetParent(form);
  form->SetBorderStyle(bsSizeable);
  form->Show();
  inner->Show();
  Pump();
  auto iconOf = [](HWND Window, WPARAM Kind) {
    return reinterpret_cast<HICON>(SendMessageW(Window, WM_GETICON, Kind, 0));
  };
  for (const char* step : {"made", "made anew"}) {
    EXPECT_EQ(iconOf(form->Handle(), ICON_BIG), big) << step;
    EXPECT_EQ(iconOf(form->Handle(), ICON_SMALL), small) << step;
    EXPECT_EQ(iconOf(inner->Handle(), ICON_BIG), nullptr) << step;
    EXPECT_EQ(iconOf(inner->Handle(), ICON_SMALL), nullptr) << step;
    form->SetBorderStyle(bsSingle);  // a new window
  }
  Free(form);
}

TEST(FormsScreen, TheScreenKnowsTheFormsAndTheActiveOne) {
  int before = Screen->FormCount();
  TForm* a = NewShownForm();
  TForm* b = NewShownForm();
  EXPECT_EQ(Screen->FormCount(), before + 2);
  SetActiveWindow(a->Handle());
  Pump();
  EXPECT_EQ(Screen->ActiveForm(), a);
  EXPECT_EQ(Screen->Forms(0), a);
  EXPECT_TRUE(a->Active());
  Free(a);
  EXPECT_NE(Screen->ActiveForm(), a);
  Free(b);
  EXPECT_EQ(Screen->FormCount(), before);
  EXPECT_THROW(Screen->Forms(Screen->FormCount()), EListError);
}

TEST(FormsEvents, ShowHideActivateAndDeactivateComeInTheirOrder) {
  struct TEvents {
    std::vector<std::string> log;
    void Show(TObject*) { log.push_back("show"); }
    void Hide(TObject*) { log.push_back("hide"); }
    void Activate(TObject*) { log.push_back("activate"); }
    void Deactivate(TObject*) { log.push_back("deactivate"); }
  } events;
  TForm* form = new TForm(nullptr, CreateNew);
  form->SetBounds(50, 50, 200, 100);
  form->OnShow = TNotifyEvent(&events, &TEvents::Show);
  form->OnHide = TNotifyEvent(&events, &TEvents::Hide);
  form->OnActivate = TNotifyEvent(&events, &TEvents::Activate);
  form->OnDeactivate = TNotifyEvent(&events, &TEvents::Deactivate);
  form->Show();
  Pump();
  TForm* other = NewShownForm();
  SetActiveWindow(other->Handle());
  Pump();
  // A new window for the shown form is no new showing.
  form->SetBorderStyle(bsToolWindow);
  Pump();
  SetActiveWindow(other->Handle());
  Pump();
  form->Hide();
  Pump();
  EXPECT_EQ(events.log, (std::vector<std::string>{"show", "activate", "deactivate", "activate", "deactivate", "hide"}));
  Free(other);
  Free(form);
}

TEST(FormsPlacing, FormsCentreOnTheMainFormOrOnTheirOwner) {
  TForm* owner = new TForm(nullptr, CreateNew);
  owner->SetBounds(100, 100, 400, 300);
  owner->Show();
  TForm* child = new TForm(owner, CreateNew);
  child->SetBounds(0, 0, 200, 100);
  child->SetPosition(poOwnerFormCenter);
  child->Show();
  EXPECT_EQ(child->BoundsRect(), Bounds(200, 200, 200, 100));
  // Without an owner form (and without a main form) the screen is the centre.
  TForm* lone = new TForm(nullptr, CreateNew);
  lone->SetBounds(0, 0, 200, 100);
  lone->SetPosition(poMainFormCenter);
  lone->Show();
  TRect area = Screen->WorkAreaRect();
  EXPECT_EQ(lone->Left(), area.Left + (area.Width() - 200) / 2);
  // The system's default place keeps the size the form was given.
  TForm* placed = new TForm(nullptr, CreateNew);
  placed->SetBounds(0, 0, 250, 120);
  placed->SetPosition(poDefaultPosOnly);
  placed->Show();
  EXPECT_EQ(placed->Width(), 250);
  EXPECT_EQ(placed->Height(), 120);
  Free(placed);
  Free(lone);
  Free(owner);  // frees the child with it
}
