// Form placement and form storage on real forms under Xvfb.
#include <memory>
#include <tuple>

#include "StorageTestSupport.h"
#include "foundation/ApFormPlacement.h"
#include "foundation/ApGraphUtils.h"
#include "framework/Application.h"
#include "framework/Conversions.h"
#include "framework/DateTime.h"
#include "framework/FormFiles.h"
#include "framework/Screen.h"
#include "tests/framework/MessagePump.h"
#include "tests/framework/Raised.h"

namespace placement_test {

// A focusable child window with a published value.
class TTestBox : public TWinControl {
  HV_CLASS(TTestBox, TWinControl)
 public:
  explicit TTestBox(TComponent* owner) : TWinControl(owner) { SetTabStop(true); }
  int Number() const { return number_; }
  void SetNumber(int v) { number_ = v; }

 private:
  int number_ = 0;
};

// A form that stores a value of its own through the storage-handler interface.
class THandlerForm : public TForm, public IStorageHandler {
 public:
  THandlerForm() : TForm(nullptr, CreateNew) {}
  void ReadFromStorage(TApCustomAppStorage* Storage, const AnsiString& Path) override {
    note = Storage->ReadString(Path + "Note", "");
  }
  void WriteToStorage(TApCustomAppStorage* Storage, const AnsiString& Path) override {
    Storage->WriteString(Path + "Note", note);
  }
  AnsiString note;
};

}  // namespace placement_test
using namespace placement_test;

HV_PUBLISH(TTestBox) { p.Prop("Number", &T::Number, &T::SetNumber).Default(0); }

namespace {

const bool boxRegistered = [] {
  RegisterClass(TTestBox::StaticClassInfo());
  return true;
}();

TRect WindowBounds(TCustomForm& f) {
  RECT r;
  GetWindowRect(f.Handle(), &r);
  return ToTRect(r);
}

// The form's normal bounds as "NormPos" keeps them.
AnsiString NormPosOf(TCustomForm& f) {
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  GetWindowPlacement(f.Handle(), &wp);
  const RECT& n = wp.rcNormalPosition;
  return IntToStr(static_cast<int>(n.left)) + "," + IntToStr(static_cast<int>(n.top)) + "," +
         IntToStr(static_cast<int>(n.right)) + "," + IntToStr(static_cast<int>(n.bottom));
}

std::unique_ptr<TForm> MakeForm(const char* name, TFormBorderStyle border = bsSizeable) {
  auto f = std::make_unique<TForm>(nullptr, CreateNew);
  f->SetName(name);
  f->SetBorderStyle(border);
  f->SetBounds(100, 80, 400, 300);
  return f;
}

// The form on the screen, its messages handled, before any placement is restored.
std::unique_ptr<TForm> ShownForm(const char* name, TFormBorderStyle border = bsSizeable) {
  auto f = MakeForm(name, border);
  f->Show();
  DispatchPendingMessages();
  return f;
}

// Counts the events it is given.
struct TCounter {
  int n = 0;
  void Hit(TObject*) { ++n; }
  TNotifyEvent Event() { return TNotifyEvent(this, &TCounter::Hit); }
};

class PlacementTest : public StorageTest {
 protected:
  // A placement of the form kept in the storage.
  static TApFormPlacement& PlacementOf(TForm& Form, TApCustomAppStorage& Storage) {
    auto* p = new TApFormPlacement(&Form);  // the form frees it
    p->SetAppStorage(&Storage);
    return *p;
  }
  void TearDown() override {
    DispatchPendingMessages();
    FinalizeWndProcHooks();
  }
};

}  // namespace

TEST_F(PlacementTest, PathGetsItsSeparatorAndTheFormName) {
  auto form = MakeForm("CharacterForm");
  TApFormPlacement p(form.get());
  EXPECT_EQ(p.AppStoragePath(), "CharacterForm\\");
  p.SetAppStoragePath("MainForm");
  EXPECT_EQ(p.AppStoragePath(), "MainForm\\");
  p.SetAppStoragePath("Forms\\%form_name%\\Placement");
  EXPECT_EQ(p.AppStoragePath(), "Forms\\CharacterForm\\Placement\\");
  p.SetAppStoragePath("");
  EXPECT_EQ(p.AppStoragePath(), "");
}

TEST_F(PlacementTest, SavesTheExactKeysAndRestoresTheBounds) {
  auto storage = Open();
  storage->StorageOptions()->SetBooleanAsString(false);
  auto form = ShownForm("MainForm");
  form->SetBounds(120, 90, 500, 350);
  DispatchPendingMessages();
  auto* p = new TApFormPlacement(form.get());  // the form frees it
  p->SetAppStorage(storage.get());
  p->SetVersion(3);
  p->SaveFormPlacement();
  storage->Flush();
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  GetWindowPlacement(form->Handle(), &wp);
  const RECT& n = wp.rcNormalPosition;
  const AnsiString normPos = IntToStr(static_cast<int>(n.left)) + "," + IntToStr(static_cast<int>(n.top)) + "," +
                             IntToStr(static_cast<int>(n.right)) + "," + IntToStr(static_cast<int>(n.bottom));
  const AnsiString minMax =
      IntToStr(static_cast<int>(wp.ptMinPosition.x)) + "," + IntToStr(static_cast<int>(wp.ptMinPosition.y)) + "," +
      IntToStr(static_cast<int>(wp.ptMaxPosition.x)) + "," + IntToStr(static_cast<int>(wp.ptMaxPosition.y));
  EXPECT_EQ(SectionText("MainForm"), "FormVersion=3|ShowCmd=1|Flags=" + IntToStr(static_cast<int>(wp.flags)) +
                                         "|PixelsPerInch=" + IntToStr(Screen->PixelsPerInch()) +
                                         "|MinMaxPos(1280x1024)=" + minMax + "|MinMaxPos=" + minMax +
                                         "|NormPos(1280x1024)=" + normPos + "|NormPos=" + normPos);
  const TRect saved = WindowBounds(*form);
  form.reset();

  auto again = MakeForm("MainForm");
  again->SetBounds(10, 10, 200, 150);
  TApFormPlacement& q = PlacementOf(*again, *storage);
  q.SetVersion(3);
  q.RestoreFormPlacement();
  again->Show();
  DispatchPendingMessages();
  EXPECT_EQ(WindowBounds(*again), saved);
}

TEST_F(PlacementTest, ThePlacementRoutinesPutTheirNamesBelowThePath) {
  auto storage = Open();
  auto form = ShownForm("F");
  for (auto [path, below] : {std::pair{"Loose", "Loose\\"}, {"Closed\\", "Closed\\"}, {"Two\\Deep", "Two\\Deep\\"}}) {
    form->SetBounds(120, 90, 500, 350);
    DispatchPendingMessages();
    WriteFormPlacement(form.get(), storage.get(), path, {fpState, fpSize, fpLocation});
    for (AnsiString name : {"ShowCmd", "Flags", "PixelsPerInch", "MinMaxPos", "NormPos", "NormPos(1280x1024)"})
      EXPECT_TRUE(storage->ValueStored(below + name)) << path << " " << name;
    form->SetBounds(10, 10, 200, 150);
    DispatchPendingMessages();
    ReadFormPlacement(form.get(), storage.get(), path, {fpSize, fpLocation});
    DispatchPendingMessages();
    EXPECT_EQ(WindowBounds(*form), Bounds(120, 90, 500, 350)) << path;
  }
  // Placements made in code expand their paths at once, or all would share the unexpanded one.
  auto two = ShownForm("Two");
  two->SetBounds(300, 200, 350, 250);
  DispatchPendingMessages();
  PlacementOf(*form, *storage).SaveFormPlacement();
  PlacementOf(*two, *storage).SaveFormPlacement();
  EXPECT_EQ(storage->ReadString("F\\NormPos", ""), NormPosOf(*form));
  EXPECT_EQ(storage->ReadString("Two\\NormPos", ""), NormPosOf(*two));
}

TEST_F(PlacementTest, AMaximizedFormComesBackMaximizedOverItsNormalBounds) {
  auto storage = Open();
  TRect normal;
  {
    auto form = MakeForm("Big");
    form->Show();
    DispatchPendingMessages();
    form->SetBounds(150, 110, 420, 330);
    DispatchPendingMessages();
    normal = WindowBounds(*form);
    form->SetWindowState(wsMaximized);
    DispatchPendingMessages();
    ASSERT_TRUE(IsZoomed(form->Handle()));
    TApFormPlacement p(form.get());
    p.SetAppStorage(storage.get());
    p.SaveFormPlacement();
  }
  storage->Flush();
  auto again = MakeForm("Big");
  again->SetBounds(10, 10, 200, 150);
  TApFormPlacement& q = PlacementOf(*again, *storage);
  q.RestoreFormPlacement();
  again->Show();
  DispatchPendingMessages();
  EXPECT_EQ(again->WindowState(), wsMaximized);
  // Restoring the window gives the bounds it had before it was maximized.
  again->SetWindowState(wsNormal);
  DispatchPendingMessages();
  EXPECT_EQ(WindowBounds(*again), normal);
}

TEST_F(PlacementTest, PositionsOfAnotherResolutionInPixelsPerInchAreIgnored) {
  const int ppi = Screen->PixelsPerInch() == 96 ? 120 : 96;
  WriteFile("[F]\r\nShowCmd=3\r\nPixelsPerInch=" + IntToStr(ppi) + "\r\nNormPos=300,200,900,700\r\n");
  auto storage = Open();
  auto form = ShownForm("F");
  const TRect before = WindowBounds(*form);
  TApFormPlacement& p = PlacementOf(*form, *storage);
  p.RestoreFormPlacement();
  DispatchPendingMessages();
  EXPECT_EQ(form->WindowState(), wsMaximized);  // the state still counts
  form->SetWindowState(wsNormal);
  DispatchPendingMessages();
  EXPECT_EQ(WindowBounds(*form), before);
}

TEST_F(PlacementTest, ThePlainPositionServesOnlyWithoutOneForThisResolution) {
  WriteFile("[F]\r\nNormPos=300,200,700,500\r\nNormPos(640x480)=10,10,50,50\r\n");
  auto storage = Open();
  auto form = MakeForm("F");
  TApFormPlacement& p = PlacementOf(*form, *storage);
  p.SetOptions({fpSize, fpLocation});
  p.RestoreFormPlacement();
  form->Show();
  DispatchPendingMessages();
  EXPECT_EQ(WindowBounds(*form), Rect(300, 200, 700, 500));
  storage->WriteString("F\\NormPos" + ScreenResolutionSuffix(), "250,150,550,450");
  p.RestoreFormPlacement();
  DispatchPendingMessages();
  EXPECT_EQ(WindowBounds(*form), Rect(250, 150, 550, 450));
}

TEST_F(PlacementTest, ADialogKeepsItsSizeButMoves) {
  WriteFile("[Dialog]\r\nNormPos=300,200,900,700\r\n");
  auto storage = Open();
  auto form = ShownForm("Dialog", bsDialog);
  const TRect before = WindowBounds(*form);
  TApFormPlacement& p = PlacementOf(*form, *storage);
  p.RestoreFormPlacement();
  DispatchPendingMessages();
  EXPECT_EQ(WindowBounds(*form), Bounds(300, 200, before.Width(), before.Height()));
}

TEST_F(PlacementTest, OnlyFormsWithASizingBorderTakeTheStoredSize) {
  const struct {
    TFormBorderStyle Border;
    bool Sized;
  } cases[] = {{bsNone, false},   {bsSingle, false},     {bsSizeable, true},
               {bsDialog, false}, {bsToolWindow, false}, {bsSizeToolWin, true}};
  WriteFile("[Border]\r\nNormPos=300,200,900,700\r\n");
  auto storage = Open();
  for (const auto& c : cases) {
    auto form = ShownForm("Border", c.Border);
    const TRect before = WindowBounds(*form);
    PlacementOf(*form, *storage).RestoreFormPlacement();
    DispatchPendingMessages();
    EXPECT_EQ(WindowBounds(*form),
              c.Sized ? Rect(300, 200, 900, 700) : Bounds(300, 200, before.Width(), before.Height()))
        << int(c.Border);
  }
}

TEST_F(PlacementTest, OnlyTheLocationOrOnlyTheSize) {
  WriteFile("[F]\r\nNormPos=300,200,700,600\r\n");
  auto storage = Open();
  auto form = MakeForm("F");
  form->SetPosition(poDefault);
  form->Show();
  DispatchPendingMessages();
  TApFormPlacement& p = PlacementOf(*form, *storage);
  p.SetOptions({fpLocation});
  const TRect before = WindowBounds(*form);
  p.RestoreFormPlacement();
  DispatchPendingMessages();
  EXPECT_EQ(WindowBounds(*form), Bounds(300, 200, before.Width(), before.Height()));
  EXPECT_EQ(form->Position(), poDefaultSizeOnly);
  p.SetOptions({fpSize});
  form->SetPosition(poDefault);
  p.RestoreFormPlacement();
  DispatchPendingMessages();
  EXPECT_EQ(WindowBounds(*form), Bounds(300, 200, 400, 400));
  EXPECT_EQ(form->Position(), poDefaultPosOnly);
  // With the location alone every other mode but the default one becomes the designed one.
  p.SetOptions({fpLocation});
  for (TPosition mode : {poDefaultSizeOnly, poScreenCenter, poDefaultPosOnly, poDesigned}) {
    form->SetPosition(mode);
    p.RestoreFormPlacement();
    EXPECT_EQ(form->Position(), poDesigned) << GetEnumName(TypeInfoOf<TPosition>(), mode);
  }
}

// Designed, a placement keeps the form-name macro of its path, leaves the form's events and
// its position mode alone, and still reads the stored bounds.
TEST_F(PlacementTest, ADesignedFormKeepsItsMacroEventsAndPositionMode) {
  WriteFile("[F]\r\nNormPos=300,200,700,600\r\n");
  auto storage = Open();
  const struct {
    bool Designing;
    const char* Path;
    bool Hooked;
    TPosition Position;
  } cases[] = {{false, "F\\", true, poDesigned}, {true, "%FORM_NAME%\\", false, poDefault}};
  for (const auto& c : cases) {
    auto form = MakeForm("F");
    form->SetDesigning(c.Designing);
    form->SetPosition(poDefault);
    form->Show();
    DispatchPendingMessages();
    TApFormPlacement& p = PlacementOf(*form, *storage);
    EXPECT_EQ(p.AppStoragePath(), c.Path) << c.Designing;
    p.Loaded();
    EXPECT_EQ(static_cast<bool>(form->OnShow), c.Hooked) << c.Designing;
    ReadFormPlacement(form.get(), storage.get(), "F\\", {fpSize, fpLocation});
    DispatchPendingMessages();
    EXPECT_EQ(WindowBounds(*form), Bounds(300, 200, 400, 400)) << c.Designing;
    EXPECT_EQ(form->Position(), c.Position) << c.Designing;
  }
}

// Without a stored state, only a main form of the normal style that places itself by default
// starts maximized.
TEST_F(PlacementTest, TheDefaultStateOfAFormWithoutAStoredOne) {
  auto storage = Open();
  const struct {
    TFormStyle Style;
    TPosition Position;
    TWindowState State;
  } cases[] = {
      {fsNormal, poDefault, wsMaximized}, {fsStayOnTop, poDefault, wsNormal}, {fsNormal, poDesigned, wsNormal}};
  for (const auto& c : cases) {
    auto form = MakeForm("F");
    form->SetFormStyle(c.Style);
    form->SetPosition(c.Position);
    ReadFormPlacement(form.get(), storage.get(), "F\\", {fpState});
    EXPECT_EQ(form->WindowState(), c.State) << static_cast<int>(c.Style) << static_cast<int>(c.Position);
  }
}

TEST_F(PlacementTest, VersionCheckSkipsPlacementButMarksRestored) {
  WriteFile("[F]\r\nFormVersion=2\r\nNormPos=300,200,700,600\r\n");
  auto storage = Open();
  auto form = ShownForm("F");
  const TRect before = WindowBounds(*form);
  TApFormPlacement& p = PlacementOf(*form, *storage);
  TCounter restoredEvents;
  p.OnRestorePlacement = restoredEvents.Event();
  p.SetVersion(3);
  p.RestoreFormPlacement();
  EXPECT_TRUE(p.IsRestored());
  EXPECT_EQ(restoredEvents.n, 0);
  EXPECT_EQ(WindowBounds(*form), before);
  p.SetVersionCheck(fpvcCheckEqual);
  p.SetVersion(2);
  p.RestoreFormPlacement();
  DispatchPendingMessages();
  EXPECT_EQ(restoredEvents.n, 1);
  EXPECT_EQ(WindowBounds(*form), Rect(300, 200, 700, 600));
  p.SetVersionCheck(fpvcNocheck);
  p.SetVersion(99);
  p.RestoreFormPlacement();
  EXPECT_EQ(restoredEvents.n, 2);
}

TEST_F(PlacementTest, ActiveControlByName) {
  auto storage = Open();
  auto form = MakeForm("F");
  auto* first = new TTestBox(form.get());
  first->SetName("first");
  first->SetParent(form.get());
  auto* second = new TTestBox(form.get());
  second->SetName("second");
  second->SetParent(form.get());
  second->SetTop(50);
  form->Show();
  DispatchPendingMessages();
  form->SetActiveControl(second);
  TApFormPlacement& p = PlacementOf(*form, *storage);
  p.SetOptions({fpActiveControl});  // alone it still keeps the active control
  p.SaveFormPlacement();
  EXPECT_EQ(storage->ReadString("F\\ActiveControl", ""), "second");
  EXPECT_FALSE(storage->ValueStored("F\\NormPos"));
  form->SetActiveControl(first);
  p.RestoreFormPlacement();
  EXPECT_EQ(form->ActiveControl(), second);
  storage->WriteString("F\\ActiveControl", "nobody");
  p.RestoreFormPlacement();
  EXPECT_EQ(form->ActiveControl(), second);
}

TEST_F(PlacementTest, PreventResizeFixesTheSize) {
  auto form = ShownForm("F");
  TApFormPlacement p(form.get());
  p.SetPreventResize(true);
  EXPECT_FALSE(GetWindowLongW(form->Handle(), GWL_STYLE) & WS_MAXIMIZEBOX);
  MINMAXINFO info{};
  info.ptMaxTrackSize = POINT{5000, 5000};
  SendMessageW(form->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  const TRect r = WindowBounds(*form);
  EXPECT_EQ(info.ptMinTrackSize.x, r.Width());
  EXPECT_EQ(info.ptMaxTrackSize.y, r.Height());
  // The sizing border answers as no border at all.
  LRESULT hit = SendMessageW(form->Handle(), WM_NCHITTEST, 0, MAKELPARAM(r.Right - 1, (r.Top + r.Bottom) / 2));
  EXPECT_EQ(hit, HTNOWHERE);
  p.SetPreventResize(false);
  EXPECT_TRUE(GetWindowLongW(form->Handle(), GWL_STYLE) & WS_MAXIMIZEBOX);
  hit = SendMessageW(form->Handle(), WM_NCHITTEST, 0, MAKELPARAM(r.Right - 1, (r.Top + r.Bottom) / 2));
  EXPECT_EQ(hit, HTRIGHT);
}

TEST_F(PlacementTest, PreventResizeSetBeforeTheFormHasAWindow) {
  auto form = MakeForm("F");
  ASSERT_FALSE(form->HandleAllocated());
  TApFormPlacement p(form.get());
  p.SetPreventResize(true);  // as read from a form file
  form->Show();
  DispatchPendingMessages();
  EXPECT_FALSE(GetWindowLongW(form->Handle(), GWL_STYLE) & WS_MAXIMIZEBOX);
}

TEST_F(PlacementTest, MinMaxInfoLimitsTracking) {
  auto form = ShownForm("F");
  TApFormPlacement p(form.get());
  p.MinMaxInfo()->SetMinTrackWidth(333);
  p.MinMaxInfo()->SetMaxTrackHeight(444);
  MINMAXINFO info{};
  info.ptMinTrackSize = POINT{1, 1};
  info.ptMaxTrackSize = POINT{9999, 9999};
  SendMessageW(form->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.ptMinTrackSize.x, 333);
  EXPECT_EQ(info.ptMaxTrackSize.y, 444);
  form->SetWidth(100);
  DispatchPendingMessages();
  EXPECT_EQ(WindowBounds(*form).Width(), 333);
}

TEST_F(PlacementTest, FormStorageKeepsPropertiesValuesAndHandlerData) {
  auto storage = Open();
  THandlerForm form;
  form.SetName("SortForm");
  auto* box = new TTestBox(&form);
  box->SetName("spnedtStart");
  box->SetParent(&form);
  box->SetNumber(17);
  form.note = "remember me";
  TApFormStorage fs(&form);
  fs.SetAppStorage(storage.get());
  fs.StoredProps()->Add("spnedtStart.Number");
  fs.StoredProps()->Add("missing.Number");
  EXPECT_EQ(fs.StoredProps()->Text(), "spnedtStart.Number\r\n");  // relinked at once
  auto* secret = fs.StoredValues()->Add();
  secret->SetName("Password");
  secret->SetKeyString("k3y");
  secret->SetValue(TVariant("open sesame"));
  auto* count = fs.StoredValues()->Add();
  count->SetName("Runs");
  count->SetValue(TVariant(5));
  EXPECT_THROW(fs.StoredValues()->Add()->SetName("runs"), EApException);
  form.Show();
  DispatchPendingMessages();
  fs.SaveFormPlacement();
  storage->Flush();
  EXPECT_EQ(storage->ReadInteger("SortForm\\spnedtStart_Number", 0), 17);
  EXPECT_EQ(storage->ReadString("SortForm\\Password", ""), XorKeyToHex("k3y", "open sesame"));
  EXPECT_EQ(storage->ReadInteger("SortForm\\Runs", 0), 5);
  EXPECT_EQ(storage->ReadString("SortForm\\Note", ""), "remember me");

  box->SetNumber(0);
  secret->SetValue(TVariant(""));
  count->SetValue(TVariant(0));
  form.note.clear();
  fs.RestoreFormPlacement();
  EXPECT_EQ(box->Number(), 17);
  EXPECT_EQ(secret->Value().AsString(), "open sesame");
  EXPECT_EQ(count->Value().AsInteger(), 5);
  EXPECT_EQ(form.note, "remember me");
}

TEST_F(PlacementTest, StoredValuesKeepTheirTypesAndPassThroughTheirEvents) {
  TFormatSettingsOverride english(TFormatSettings::English());
  auto storage = Open();
  TForm form(nullptr, CreateNew);
  form.SetName("Values");
  TApFormStorage fs(&form);
  fs.SetAppStorage(storage.get());
  fs.SetStoredValuesPath("Kept");
  const TDateTime when = EncodeDate(2024, 2, 29) + EncodeTime(6, 30, 0, 0);
  // Name, value, what a cleared value of that type is.
  const std::tuple<const char*, TVariant, TVariant> values[] = {
      {"Flag", TVariant(true), TVariant(false)},
      {"Ratio", TVariant(0.1), TVariant(0.0)},
      {"Single", TVariant(2.5f), TVariant(0.0f)},
      {"When", TVariant::FromDateTime(when), TVariant::FromDateTime(0)},
      {"Word", TVariant(static_cast<unsigned short>(65535)), TVariant(static_cast<unsigned short>(0))},
      {"Text", TVariant(" blank ends\r\nand a break "), TVariant("")}};
  // The events may change what is written and what is read.
  struct TTwist {
    void Save(TApStoredValue* Sender, TVariant& Value) {
      if (Sender->Name() == "Word") Value = TVariant(static_cast<unsigned short>(Value.AsInteger() - 1));
    }
    void Restore(TApStoredValue* Sender, TVariant& Value) {
      if (Sender->Name() == "Flag") restoredFlag = Value.AsBoolean();
    }
    bool restoredFlag = false;
  } twist;
  for (const auto& [name, value, cleared] : values) {
    auto* item = fs.StoredValues()->Add();
    item->SetName(name);
    item->SetValue(value);
    item->OnSave = TApStoredValueEvent(&twist, &TTwist::Save);
    item->OnRestore = TApStoredValueEvent(&twist, &TTwist::Restore);
  }
  // Values without a name are neither written nor read: two never take each other's value.
  fs.StoredValues()->Add()->SetValue(TVariant(1));
  fs.StoredValues()->Add()->SetValue(TVariant(2));
  fs.SaveFormPlacement();
  EXPECT_EQ(storage->ReadString("Values\\Kept\\Word", ""), "65534");
  EXPECT_FALSE(storage->ValueStored("Values\\Kept"));
  // Each value comes back with its own type.
  for (int i = 0; i < 6; ++i) fs.StoredValues()->Items(i)->SetValue(std::get<2>(values[i]));
  fs.RestoreFormPlacement();
  EXPECT_TRUE(twist.restoredFlag);
  EXPECT_TRUE(fs.StoredValues()->Items(0)->Value().AsBoolean());
  EXPECT_EQ(fs.StoredValues()->Items(1)->Value().AsDouble(), 0.1);
  EXPECT_EQ(fs.StoredValues()->Items(2)->Value().AsDouble(), 2.5);
  EXPECT_NEAR(fs.StoredValues()->Items(3)->Value().AsDateTime(), when, 1e-6);
  EXPECT_EQ(fs.StoredValues()->Items(4)->Value().AsInteger(), 65534);
  EXPECT_EQ(fs.StoredValues()->Items(5)->Value().AsString(), " blank ends\r\nand a break ");
  EXPECT_EQ(fs.StoredValues()->Items(6)->Value().AsInteger(), 1);
  EXPECT_EQ(fs.StoredValues()->Items(7)->Value().AsInteger(), 2);
}

TEST_F(PlacementTest, StoredValueNamesAreUniqueTheEmptyOneToo) {
  TForm form(nullptr, CreateNew);
  TApFormStorage fs(&form);
  fs.StoredValues()->Add()->SetName("Runs");
  fs.StoredValues()->Add();  // unnamed
  TApStoredValue* value = fs.StoredValues()->Add();
  value->SetName("Other");
  const char *taken = "String list does not allow duplicates", *none = "(nothing raised)";
  for (auto [name, raised, after] :
       {std::tuple{"RUNS", taken, "Other"}, {"", taken, "Other"}, {"fresh", none, "fresh"}, {"FRESH", none, "FRESH"}}) {
    EXPECT_EQ(Raised<EApException>([&] { value->SetName(name); }), raised) << name;
    EXPECT_EQ(value->Name(), after) << name;
  }
}

TEST_F(PlacementTest, FromAFormFileTheFormsEventsSaveAndRestore) {
  const AnsiString file = FileOf("form.ini");
  const std::string text =
      "object FindForm: TForm\n"
      "  object Storage: TApAppIniFileStorage\n"
      "    Location = flCustom\n"
      "    FileName = '" +
      std::string(WideToUtf8(AnsiToWide(file))) +
      "'\n"
      "    StorageOptions.BooleanAsString = False\n"
      "  end\n"
      "  object Placement: TApFormStorage\n"
      "    AppStorage = Storage\n"
      "    AppStoragePath = '%FORM_NAME%'\n"
      "    Options = [fpState, fpSize, fpLocation, fpActiveControl]\n"
      "    StoredProps.Strings = (\n"
      "      'Box.Number'\n"
      "      'Gone.Number')\n"
      "  end\n"
      "  object Box: TTestBox\n"
      "    Number = 4\n"
      "  end\n"
      "end\n";
  {
    TForm form(nullptr, CreateNew);
    ReadComponentFromText(text, &form);
    auto* fs = dynamic_cast<TApFormStorage*>(form.FindComponent("Placement"));
    ASSERT_NE(fs, nullptr);
    EXPECT_EQ(fs->AppStoragePath(), "FindForm\\");
    auto* box = dynamic_cast<TTestBox*>(form.FindComponent("Box"));
    box->SetParent(&form);
    form.SetBounds(210, 110, 480, 260);
    form.Show();
    DispatchPendingMessages();
    box->SetNumber(9);
    form.Close();  // the close query saves
  }                // the storage writes its file when it goes
  {
    TForm form(nullptr, CreateNew);
    ReadComponentFromText(text, &form);
    auto* box = dynamic_cast<TTestBox*>(form.FindComponent("Box"));
    box->SetParent(&form);
    form.Show();  // OnShow restores
    DispatchPendingMessages();
    EXPECT_EQ(box->Number(), 9);
    EXPECT_EQ(WindowBounds(form).Left, 210);
    EXPECT_EQ(WindowBounds(form).Width(), 480);
  }
}

// The form's own handler runs also when saving fails: it writes what the program keeps at exit.
TEST_F(PlacementTest, DestroyingSavesWhenNothingWasSaved) {
  struct TFailing {
    void Save(TObject*) { throw EAbort("refused"); }
  } failing;
  for (const bool savingFails : {false, true}) {
    auto storage = Open(savingFails ? "failing.ini" : "saving.ini");
    auto form = MakeForm("Late");
    TCounter destroyed;
    form->OnDestroy = destroyed.Event();  // a handler the form had before is still called
    auto* p = new TApFormPlacement(form.get());
    p->SetAppStorage(storage.get());
    if (savingFails) p->OnSavePlacement = TNotifyEvent(&failing, &TFailing::Save);
    p->Loaded();  // as after reading the form file: the form's events are hooked
    form->Show();
    DispatchPendingMessages();
    Free(form.release());  // OnDestroy fires before the form goes
    EXPECT_EQ(storage->ValueStored("Late\\NormPos"), !savingFails) << savingFails;
    EXPECT_EQ(destroyed.n, 1) << savingFails;
  }
}
