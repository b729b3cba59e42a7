// Form placement and form storage.
#include "foundation/ApFormPlacement.h"

#include <cstdio>

#include "foundation/ApGraphUtils.h"
#include "foundation/ApPropStorage.h"
#include "foundation/ApUtils.h"
#include "framework/Application.h"
#include "framework/Conversions.h"
#include "framework/ScopeGuards.h"
#include "framework/Screen.h"
#include "framework/StrRoutines.h"

namespace {

const char kFormNameMacro[] = "%FORM_NAME%";

AnsiString FourNumbers(int a, int b, int c, int d) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%d,%d,%d,%d", a, b, c, d);
  return buf;
}

// The N-th comma-separated number of a position string (1-based); Default when it is missing
// or no number.
int PositionWord(const AnsiString& text, int n, int Default) {
  AnsiString word = WordAt(n, text, CharSetOf(","));
  int v = 0;
  return TryStrToInt(Trim(word), v) ? v : Default;
}

bool IsMainForm(TCustomForm* form) {
  TCustomForm* main = Application ? Application->MainForm() : nullptr;
  return !main || main == form;
}

// The placement's names go below the path after a separator; the storage joins a doubled one.
AnsiString BelowPath(const AnsiString& Path) { return Path + "\\"; }

int ScreenPixelsPerInch() { return Screen ? Screen->PixelsPerInch() : 96; }

WINDOWPLACEMENT CurrentPlacement(HWND wnd) {
  WINDOWPLACEMENT wp{};
  wp.length = sizeof(WINDOWPLACEMENT);
  GetWindowPlacement(wnd, &wp);
  // Applying the placement of a window nobody sees must not show it.
  if (!IsWindowVisible(wnd)) wp.showCmd = SW_HIDE;
  return wp;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Placement routines

AnsiString ReadPositionString(TApCustomAppStorage* Storage, const AnsiString& Path) {
  const AnsiString suffixed = Path + ScreenResolutionSuffix();
  if (Storage->ValueStored(suffixed)) return Storage->ReadString(suffixed, AnsiString());
  return Storage->ReadString(Path, AnsiString());
}

void WritePositionString(TApCustomAppStorage* Storage, const AnsiString& Path, const AnsiString& Value) {
  Storage->WriteString(Path + ScreenResolutionSuffix(), Value);
  Storage->WriteString(Path, Value);
}

bool IsApplicationMinimized() {
  if (!Application) return false;
  TCustomForm* main = Application->MainForm();
  if (main && main->HandleAllocated() && IsIconic(main->Handle())) return true;
  return Application->HandleAllocated() && IsIconic(Application->Handle());
}

void WriteFormPlacement(TCustomForm* Form, TApCustomAppStorage* Storage, const AnsiString& Path,
                        const TPlacementOptions& Options) {
  if (!Form || !Storage) return;
  const AnsiString below = BelowPath(Path);
  WINDOWPLACEMENT wp{};
  wp.length = sizeof(WINDOWPLACEMENT);
  GetWindowPlacement(Form->Handle(), &wp);
  if (Form == (Application ? Application->MainForm() : nullptr) && IsApplicationMinimized())
    wp.showCmd = SW_SHOWMINIMIZED;
  if (Options.Contains(fpState)) Storage->WriteInteger(below + "ShowCmd", static_cast<int>(wp.showCmd));
  if (Options.Contains(fpSize) || Options.Contains(fpLocation)) {
    Storage->WriteInteger(below + "Flags", static_cast<int>(wp.flags));
    Storage->WriteInteger(below + "PixelsPerInch", ScreenPixelsPerInch());
    WritePositionString(Storage, below + "MinMaxPos",
                        FourNumbers(wp.ptMinPosition.x, wp.ptMinPosition.y, wp.ptMaxPosition.x, wp.ptMaxPosition.y));
    const RECT& r = wp.rcNormalPosition;
    WritePositionString(Storage, below + "NormPos", FourNumbers(r.left, r.top, r.right, r.bottom));
  }
}

namespace {

// Chooses how the form places itself from now on, so that showing it keeps the stored place.
void AdjustPosition(TCustomForm* form, const TPlacementOptions& options) {
  const bool size = options.Contains(fpSize), location = options.Contains(fpLocation);
  TPosition p = form->Position();
  if (size && location)
    p = poDesigned;
  else if (size && p == poDefault)
    p = poDefaultPosOnly;
  else if (location && p == poDefault)
    p = poDefaultSizeOnly;
  else if (location)
    p = poDesigned;
  form->SetPosition(p);
}

TWindowState StateOfShowCmd(int cmd, TWindowState fallback) {
  switch (cmd) {
    case SW_SHOWNORMAL:
    case SW_RESTORE: return wsNormal;
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE: return wsMinimized;
    case SW_SHOWMAXIMIZED: return wsMaximized;
    default: return fallback;
  }
}

}  // namespace

void ReadFormPlacement(TCustomForm* Form, TApCustomAppStorage* Storage, const AnsiString& Path,
                       const TPlacementOptions& Options) {
  if (!Form || !Storage || Options == TPlacementOptions{fpActiveControl}) return;
  const AnsiString below = BelowPath(Path);
  const bool size = Options.Contains(fpSize), location = Options.Contains(fpLocation);
  if (size || location) {
    WINDOWPLACEMENT wp = CurrentPlacement(Form->Handle());
    wp.flags = static_cast<UINT>(Storage->ReadInteger(below + "Flags", static_cast<int>(wp.flags)));
    const AnsiString minMax = ReadPositionString(Storage, below + "MinMaxPos");
    const AnsiString norm = ReadPositionString(Storage, below + "NormPos");
    if (!minMax.empty()) {
      if (location) wp.ptMinPosition = POINT{PositionWord(minMax, 1, 0), PositionWord(minMax, 2, 0)};
      if (size) wp.ptMaxPosition = POINT{PositionWord(minMax, 3, 0), PositionWord(minMax, 4, 0)};
    }
    if (!norm.empty()) {
      RECT& r = wp.rcNormalPosition;
      r.left = location ? PositionWord(norm, 1, Form->Left()) : Form->Left();
      r.top = location ? PositionWord(norm, 2, Form->Top()) : Form->Top();
      if (size) {
        const int left = PositionWord(norm, 1, 0), top = PositionWord(norm, 2, 0);
        r.right = r.left + (PositionWord(norm, 3, left + Form->Width()) - left);
        r.bottom = r.top + (PositionWord(norm, 4, top + Form->Height()) - top);
      } else {
        r.right = r.left + Form->Width();
        r.bottom = r.top + Form->Height();
      }
    }
    const bool found = !minMax.empty() || !norm.empty();
    const int ppi = Storage->ReadInteger(below + "PixelsPerInch", ScreenPixelsPerInch());
    if (found && ppi == ScreenPixelsPerInch()) {
      RECT& r = wp.rcNormalPosition;
      // A form that cannot be resized keeps its designed size.
      if (Form->BorderStyle() != bsSizeable && Form->BorderStyle() != bsSizeToolWin) {
        r.right = r.left + Form->Width();
        r.bottom = r.top + Form->Height();
      }
      if (r.right > r.left) {
        if (!Form->ComponentState().Contains(csDesigning)) AdjustPosition(Form, Options);
        SetWindowPlacement(Form->Handle(), &wp);
      }
    }
  }
  if (Options.Contains(fpState)) {
    const TWindowState fallback =
        IsMainForm(Form) && Form->FormStyle() == fsNormal && Form->Position() == poDefault ? wsMaximized : wsNormal;
    TWindowState state = StateOfShowCmd(Storage->ReadInteger(below + "ShowCmd", 0), fallback);
    if (state == wsMinimized && Application && Form == Application->MainForm()) {
      Form->SetWindowState(wsNormal);
      PostMessageW(Application->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
      return;
    }
    Form->SetWindowState(state);
    if (Form->HandleAllocated()) UpdateWindow(Form->Handle());
  }
}

void RegisterApCursors() {
  static bool done = false;
  if (done || !Screen) return;
  done = true;
  const TCursor from[4] = {crMultiDrag, crDrag, crMultiDrag, crMultiDrag};
  for (int i = 0; i < 4; ++i)
    Screen->SetCursors(TCursor(100 + i), reinterpret_cast<HCURSOR>(CopyIcon(Screen->Cursors(from[i]))));
}

namespace {
// Made at start-up when the screen exists by then; otherwise the first placement makes them.
const bool cursorsRegistered = [] {
  RegisterApCursors();
  return true;
}();
}  // namespace

// ---------------------------------------------------------------------------------------------
// TApWinMinMaxInfo

void TApWinMinMaxInfo::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TApWinMinMaxInfo*>(Source);
  if (!src) {
    TPersistent::Assign(Source);
    return;
  }
  for (int i = 0; i < 8; ++i) values_[i] = src->values_[i];
  if (owner_) owner_->UpdateWinHook();
}

bool TApWinMinMaxInfo::Empty() const {
  for (int v : values_)
    if (v != 0) return false;
  return true;
}

void TApWinMinMaxInfo::Set(int Index, int Value) {
  if (values_[Index] == Value) return;
  values_[Index] = Value;
  if (owner_) owner_->UpdateWinHook();
}

HV_PUBLISH(TApWinMinMaxInfo) {
  p.Prop("MaxPosLeft", &T::MaxPosLeft, &T::SetMaxPosLeft).Default(0);
  p.Prop("MaxPosTop", &T::MaxPosTop, &T::SetMaxPosTop).Default(0);
  p.Prop("MaxSizeHeight", &T::MaxSizeHeight, &T::SetMaxSizeHeight).Default(0);
  p.Prop("MaxSizeWidth", &T::MaxSizeWidth, &T::SetMaxSizeWidth).Default(0);
  p.Prop("MaxTrackHeight", &T::MaxTrackHeight, &T::SetMaxTrackHeight).Default(0);
  p.Prop("MaxTrackWidth", &T::MaxTrackWidth, &T::SetMaxTrackWidth).Default(0);
  p.Prop("MinTrackHeight", &T::MinTrackHeight, &T::SetMinTrackHeight).Default(0);
  p.Prop("MinTrackWidth", &T::MinTrackWidth, &T::SetMinTrackWidth).Default(0);
}

// ---------------------------------------------------------------------------------------------
// TApFormPlacement

TApFormPlacement::TApFormPlacement(TComponent* AOwner)
    : TComponent(AOwner), minMaxInfo_(std::make_unique<TApWinMinMaxInfo>(this)) {
  if (Form()) options_ = TPlacementOptions{fpState, fpSize, fpLocation};
  SetAppStoragePath(kFormNameMacro);
  RegisterApCursors();
}

TApFormPlacement::~TApFormPlacement() {
  UnhookForm();
  winHook_.reset();
  SetAppStorage(nullptr);
}

TCustomForm* TApFormPlacement::Form() const { return dynamic_cast<TCustomForm*>(Owner()); }

void TApFormPlacement::SetAppStorage(TApCustomAppStorage* Value) {
  if (Value == appStorage_) return;
  if (appStorage_) RemoveFreeNotification(appStorage_);
  appStorage_ = Value;
  if (appStorage_) FreeNotification(appStorage_);
}

AnsiString TApFormPlacement::ExpandPath(const AnsiString& Path) const {
  TCustomForm* form = Form();
  // A designer keeps the macro, so that every form the placement is copied to finds its own.
  if (!form || IsLoading() || ComponentState().Contains(csDesigning)) return Path;
  AnsiString result = Path;
  for (size_t at = 0; (at = UpperCase(result).find(kFormNameMacro, at)) != AnsiString::npos;) {
    result.replace(at, sizeof kFormNameMacro - 1, form->Name());
    at += form->Name().size();
  }
  return result;
}

void TApFormPlacement::SetAppStoragePath(const AnsiString& Value) {
  AnsiString path = Value;
  if (!path.empty() && path.back() != '\\') path += '\\';
  appStoragePath_ = ExpandPath(path);
}

AnsiString TApFormPlacement::ValuePath(const AnsiString& Name, bool Reading) {
  return TApCustomAppStorage::NormalizeStoragePath(
      {appStoragePath_, appStorage_->TranslatePropertyName(this, Name, Reading)});
}

void TApFormPlacement::Loaded() {
  TComponent::Loaded();
  appStoragePath_ = ExpandPath(appStoragePath_);
  // A designed form is not shown, closed or destroyed by its user: there is nothing to keep.
  if (!ComponentState().Contains(csDesigning)) HookForm();
  UpdateWinHook();
}

void TApFormPlacement::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent && AComponent == static_cast<TComponent*>(appStorage_)) appStorage_ = nullptr;
}

// ---- the form's events ----

void TApFormPlacement::HookForm() {
  TCustomForm* form = Form();
  if (!form || formHooked_) return;
  savedShow_ = form->OnShow;
  savedCloseQuery_ = form->OnCloseQuery;
  savedDestroy_ = form->OnDestroy;
  form->OnShow = TNotifyEvent(this, &TApFormPlacement::FormShow);
  form->OnCloseQuery = TCloseQueryEvent(this, &TApFormPlacement::FormCloseQuery);
  form->OnDestroy = TNotifyEvent(this, &TApFormPlacement::FormDestroy);
  formHooked_ = true;
}

void TApFormPlacement::UnhookForm() {
  TCustomForm* form = Form();
  if (!form || !formHooked_) return;
  // Only what is still ours goes back: a handler set after us stays.
  if (form->OnShow == TNotifyEvent(this, &TApFormPlacement::FormShow)) form->OnShow = savedShow_;
  if (form->OnCloseQuery == TCloseQueryEvent(this, &TApFormPlacement::FormCloseQuery))
    form->OnCloseQuery = savedCloseQuery_;
  if (form->OnDestroy == TNotifyEvent(this, &TApFormPlacement::FormDestroy)) form->OnDestroy = savedDestroy_;
  formHooked_ = false;
}

void TApFormPlacement::FormShow(TObject* Sender) {
  if (active_ && appStorage_) RestoreFormPlacement();
  if (savedShow_) savedShow_(Sender);
  // Restored and shown, the form holds what it starts with: a storage still waiting for its file
  // (another program holds it) weighs what the form writes later against it, so that only what
  // the run changed goes over the file's values.
  if (active_ && appStorage_)
    appStorage_->RecordStartingValues([this] {
      appStorage_->WriteInteger(ValuePath("FormVersion", false), version_);
      SavePlacement();
    });
}

void TApFormPlacement::FormCloseQuery(TObject* Sender, bool& CanClose) {
  if (savedCloseQuery_) savedCloseQuery_(Sender, CanClose);
  if (CanClose && active_ && Form() && Form()->HandleAllocated()) SaveFormPlacement();
}

void TApFormPlacement::FormDestroy(TObject* Sender) {
  // The form's own handler runs also when saving fails.
  TScopeExit chain([&] {
    if (savedDestroy_) savedDestroy_(Sender);
  });
  if (active_ && !saved_) {
    TTempValue destroying(destroying_, true);
    SaveFormPlacement();
  }
}

// ---- saving and restoring ----

void TApFormPlacement::DoSavePlacement() {
  if (OnSavePlacement) OnSavePlacement(this);
}

void TApFormPlacement::DoRestorePlacement() {
  if (OnRestorePlacement) OnRestorePlacement(this);
}

void TApFormPlacement::SaveFormPlacement() {
  if (!appStorage_) return;
  appStorage_->WriteInteger(ValuePath("FormVersion", false), version_);
  DoSavePlacement();
  SavePlacement();
  saved_ = true;
}

void TApFormPlacement::RestoreFormPlacement() {
  if (!appStorage_) return;
  saved_ = false;
  const int stored = appStorage_->ReadInteger(ValuePath("FormVersion", true), 0);
  const bool matches = versionCheck_ == fpvcNocheck || (versionCheck_ == fpvcCheckGreaterEqual && stored >= version_) ||
                       (versionCheck_ == fpvcCheckEqual && stored == version_);
  if (matches) {
    RestorePlacement();
    restored_ = true;
    DoRestorePlacement();
    TCustomForm* form = Form();
    if (options_.Contains(fpActiveControl) && form) {
      AnsiString name = appStorage_->ReadString(appStoragePath_ + "ActiveControl", AnsiString());
      auto* control = name.empty() ? nullptr : dynamic_cast<TWinControl*>(form->FindComponent(name));
      if (control && control->CanFocus()) form->SetActiveControl(control);
    }
  }
  restored_ = true;
  UpdatePlacement();
}

void TApFormPlacement::SavePlacement() {
  TCustomForm* form = Form();
  if (!form || !appStorage_) return;
  if (!(options_ == TPlacementOptions{fpActiveControl}))
    WriteFormPlacement(form, appStorage_, appStoragePath_, options_);
  // Options of exactly [fpActiveControl] still save the active control: restoring reads it.
  if (options_.Contains(fpActiveControl) && form->ActiveControl())
    appStorage_->WriteString(appStoragePath_ + "ActiveControl", form->ActiveControl()->Name());
}

void TApFormPlacement::RestorePlacement() {
  if (Form() && appStorage_) ReadFormPlacement(Form(), appStorage_, appStoragePath_, options_);
}

// ---- size limits ----

void TApFormPlacement::SetPreventResize(bool Value) {
  if (Value == preventResize_) return;
  preventResize_ = Value;
  TCustomForm* form = Form();
  if (form && form->HandleAllocated()) {
    HWND wnd = form->Handle();
    if (Value)
      RemoveMaximizeButton(wnd);
    else if (hadMaximizeButton_ && form->BorderStyle() != bsDialog)
      SetWindowLongW(wnd, GWL_STYLE, GetWindowLongW(wnd, GWL_STYLE) | WS_MAXIMIZEBOX);
    SetWindowPos(wnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }
  UpdateWinHook();
}

void TApFormPlacement::RemoveMaximizeButton(HWND Wnd) {
  const LONG style = GetWindowLongW(Wnd, GWL_STYLE);
  hadMaximizeButton_ = (style & WS_MAXIMIZEBOX) != 0;
  SetWindowLongW(Wnd, GWL_STYLE, style & ~WS_MAXIMIZEBOX);
}

void TApFormPlacement::UpdateWinHook() {
  TCustomForm* form = Form();
  if (!form) return;
  const bool wanted = preventResize_ || !minMaxInfo_->Empty();
  if (wanted && !winHook_) {
    winHook_ = std::make_unique<TApWindowHook>(nullptr);
    winHook_->SetActive(false);
    winHook_->SetAfterMessage(TApHookMessageEvent(this, &TApFormPlacement::WndMessage));
    winHook_->SetControl(form);
  }
  if (winHook_) winHook_->SetActive(wanted);
  UpdatePlacement();
}

void TApFormPlacement::UpdatePlacement() {
  TCustomForm* form = Form();
  if (!form || !form->HandleAllocated() || preventResize_ || !minMaxInfo_->Empty()) return;
  int cx = 0, cy = 0;
  switch (form->BorderStyle()) {
    case bsSingle:
    case bsToolWindow:
      cx = GetSystemMetrics(SM_CXBORDER);
      cy = GetSystemMetrics(SM_CYBORDER);
      break;
    case bsSizeable:
    case bsSizeToolWin:
      cx = GetSystemMetrics(SM_CXFRAME);
      cy = GetSystemMetrics(SM_CYFRAME);
      break;
    case bsDialog:
      cx = GetSystemMetrics(SM_CXDLGFRAME);
      cy = GetSystemMetrics(SM_CYDLGFRAME);
      break;
    default: break;
  }
  WINDOWPLACEMENT wp = CurrentPlacement(form->Handle());
  wp.ptMaxPosition = POINT{-cx, -cy};
  SetWindowPlacement(form->Handle(), &wp);
}

void TApFormPlacement::WndMessage(TObject*, TMessage& Msg, bool&) {
  TCustomForm* form = Form();
  if (!form || !form->HandleAllocated()) return;
  HWND wnd = form->Handle();
  switch (Msg.Msg) {
    case WM_CREATE:
      // Switched on before the form had a window (as a form file does), or a window made anew.
      if (preventResize_) RemoveMaximizeButton(wnd);
      break;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(Msg.LParam);
      if (preventResize_ && IsWindowVisible(wnd)) {
        RECT r;
        GetWindowRect(wnd, &r);
        info->ptMinTrackSize = info->ptMaxTrackSize = POINT{r.right - r.left, r.bottom - r.top};
        break;
      }
      const TApWinMinMaxInfo& m = *minMaxInfo_;
      auto apply = [](LONG& target, int v) {
        if (v != 0) target = v;
      };
      apply(info->ptMaxPosition.x, m.MaxPosLeft());
      apply(info->ptMaxPosition.y, m.MaxPosTop());
      apply(info->ptMaxSize.x, m.MaxSizeWidth());
      apply(info->ptMaxSize.y, m.MaxSizeHeight());
      apply(info->ptMaxTrackSize.x, m.MaxTrackWidth());
      apply(info->ptMaxTrackSize.y, m.MaxTrackHeight());
      apply(info->ptMinTrackSize.x, m.MinTrackWidth());
      apply(info->ptMinTrackSize.y, m.MinTrackHeight());
      break;
    }
    case WM_NCHITTEST:
      if (preventResize_ && Msg.Result >= HTLEFT && Msg.Result <= HTBOTTOMRIGHT) Msg.Result = HTNOWHERE;
      break;
    case WM_INITMENUPOPUP:
      if (preventResize_ && HIWORD(Msg.LParam)) {
        HMENU menu = GetSystemMenu(wnd, FALSE);
        EnableMenuItem(menu, SC_SIZE, MF_BYCOMMAND | MF_GRAYED);
        EnableMenuItem(menu, SC_MAXIMIZE, MF_BYCOMMAND | MF_GRAYED);
      }
      break;
    default: break;
  }
}

HV_PUBLISH(TApFormPlacement) {
  p.Prop("Active", &T::Active, &T::SetActive).Default(true);
  p.Prop("AppStorage", &T::AppStorage, &T::SetAppStorage);
  p.Prop("AppStoragePath", &T::AppStoragePath, &T::SetAppStoragePath);
  p.Prop("MinMaxInfo", &T::MinMaxInfo, &T::SetMinMaxInfo);
  p.Prop("Options", &T::Options, &T::SetOptions);
  p.Prop("PreventResize", &T::PreventResize, &T::SetPreventResize).Default(false);
  p.Prop("Version", &T::Version, &T::SetVersion).Default(0);
  p.Prop("VersionCheck", &T::VersionCheck, &T::SetVersionCheck).Default(fpvcCheckGreaterEqual);
  p.Event("OnSavePlacement", &T::OnSavePlacement);
  p.Event("OnRestorePlacement", &T::OnRestorePlacement);
}

// ---------------------------------------------------------------------------------------------
// TApFormStorageStringList

void TApFormStorageStringList::Changed() {
  TStringList::Changed();
  if (storage_ && !storage_->IsLoading()) storage_->RelinkStoredProps();
}

HV_PUBLISH(TApFormStorageStringList) {}

// ---------------------------------------------------------------------------------------------
// Stored values

TApStoredValue::TApStoredValue(TCollection* Collection) : TCollectionItem(Collection) {}

void TApStoredValue::SetName(const AnsiString& Value) {
  if (Value == name_) return;
  if (auto* values = dynamic_cast<TApStoredValues*>(Collection()))
    if (TApStoredValue* other = values->FindValue(Value); other && other != this)
      throw EApException("String list does not allow duplicates");
  name_ = Value;
}

std::string TApStoredValue::GetDisplayName() { return name_.empty() ? TCollectionItem::GetDisplayName() : name_; }

void TApStoredValue::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TApStoredValue*>(Source);
  if (!src) {
    TCollectionItem::Assign(Source);
    return;
  }
  name_ = src->name_;
  value_ = src->value_;
  keyString_ = src->keyString_;
  OnSave = src->OnSave;
  OnRestore = src->OnRestore;
}

TApFormStorage* TApStoredValue::Storage() const {
  auto* values = dynamic_cast<TApStoredValues*>(Collection());
  return values ? values->Storage() : nullptr;
}

AnsiString TApStoredValue::StoragePath() const {
  TApFormStorage* fs = Storage();
  AnsiString name = fs->AppStorage()->TranslatePropertyName(const_cast<TApStoredValue*>(this), name_, false);
  return TApCustomAppStorage::NormalizeStoragePath({fs->AppStoragePath(), fs->StoredValuesPath(), name});
}

namespace {

bool IsFloatVariant(const TVariant& v) {
  return v.VarType() == varSingle || v.VarType() == varDouble || v.VarType() == varCurrency;
}

}  // namespace

void TApStoredValue::Save() {
  TApFormStorage* fs = Storage();
  // A value without a name has no place of its own in the storage.
  if (!fs || !fs->AppStorage() || name_.empty()) return;
  TApCustomAppStorage* storage = fs->AppStorage();
  const AnsiString path = StoragePath();
  TVariant v = value_;
  if (OnSave) OnSave(this, v);
  if (!keyString_.empty())
    storage->WriteString(path, XorKeyToHex(keyString_, VarToStr(v)));
  else if (IsIntegerVariant(v))
    storage->WriteInteger(path, v.AsInteger());
  else if (IsFloatVariant(v))
    storage->WriteFloat(path, v.AsDouble());
  else if (v.VarType() == varDate)
    storage->WriteDateTime(path, v.AsDateTime());
  else if (v.VarType() == varBoolean)
    storage->WriteBoolean(path, v.AsBoolean());
  else
    storage->WriteString(path, VarToStr(v));
}

void TApStoredValue::Restore() {
  TApFormStorage* fs = Storage();
  if (!fs || !fs->AppStorage() || name_.empty()) return;
  TApCustomAppStorage* storage = fs->AppStorage();
  const AnsiString path = StoragePath();
  const TVariant& current = value_;
  TVariant v;
  if (!keyString_.empty())
    v = TVariant(XorHexToText(keyString_, storage->ReadString(path, XorKeyToHex(keyString_, VarToStr(current)))));
  else if (IsIntegerVariant(current))
    v = TVariant(storage->ReadInteger(path, current.AsInteger()));
  else if (IsFloatVariant(current))
    v = TVariant(static_cast<double>(storage->ReadFloat(path, current.AsDouble())));
  else if (current.VarType() == varDate)
    v = TVariant::FromDateTime(storage->ReadDateTime(path, current.AsDateTime()));
  else if (current.VarType() == varBoolean)
    v = TVariant(storage->ReadBoolean(path, current.AsBoolean()));
  else
    v = TVariant(storage->ReadString(path, VarToStr(current)));
  if (OnRestore) OnRestore(this, v);
  value_ = v;
}

HV_PUBLISH(TApStoredValue) {
  p.Prop("Name", &T::Name, &T::SetName);
  p.Prop("KeyString", &T::KeyString, &T::SetKeyString);
  p.Event("OnSave", &T::OnSave);
  p.Event("OnRestore", &T::OnRestore);
}

TApStoredValues::TApStoredValues(TApFormStorage* Owner)
    : TOwnedCollection(Owner, TApStoredValue::StaticClassInfo()), storage_(Owner) {}

TApStoredValue* TApStoredValues::FindValue(const AnsiString& Name) const {
  for (int i = 0; i < Count(); ++i)
    if (SameText(Items(i)->Name(), Name)) return Items(i);
  return nullptr;
}

HV_PUBLISH(TApStoredValues) {}

// ---------------------------------------------------------------------------------------------
// TApFormStorage

TApFormStorage::TApFormStorage(TComponent* AOwner)
    : TApFormPlacement(AOwner),
      storedProps_(std::make_unique<TApFormStorageStringList>(this)),
      storedValues_(std::make_unique<TApStoredValues>(this)) {}

TApFormStorage::~TApFormStorage() {
  // The list stops relinking while it goes.
  storedProps_->Detach();
}

void TApFormStorage::SetStoredProps(TStrings* Value) {
  if (Value != storedProps_.get()) storedProps_->Assign(Value);
}

void TApFormStorage::SetStoredValues(TApStoredValues* Value) {
  if (Value != storedValues_.get()) storedValues_->Assign(Value);
}

void TApFormStorage::RelinkStoredProps() {
  if (relinking_ || IsDestroying()) return;
  TTempValue relinking(relinking_, true);
  RelinkStoredList(Form(), *storedProps_, true);
  for (int i = 0; i < storedProps_->Count(); ++i)
    if (auto* c = dynamic_cast<TComponent*>(storedProps_->Objects(i))) FreeNotification(c);
}

void TApFormStorage::Loaded() {
  TApFormPlacement::Loaded();
  RelinkStoredProps();
}

void TApFormStorage::Notification(TComponent* AComponent, TOperation Operation) {
  TApFormPlacement::Notification(AComponent, Operation);
  if (Operation != opRemove || !AComponent || IsDestroying() || !storedProps_) return;
  TTempValue relinking(relinking_, true);
  for (int i = storedProps_->Count() - 1; i >= 0; --i)
    if (storedProps_->Objects(i) == AComponent) storedProps_->Delete(i);
}

void TApFormStorage::Prepare(TApPropertyStorage& Storage) {
  Storage.SetAppStorage(AppStorage());
  Storage.SetAppStoragePath(TApCustomAppStorage::NormalizeStoragePath({AppStoragePath(), storedPropsPath_}));
}

void TApFormStorage::LimitStoredList(TComponent* Component, const AnsiString& PropName, int MaxCount) {
  if (!AppStorage() || !Component) return;
  TApPropertyStorage ps;
  Prepare(ps);
  AppStorage()->LimitList(ps.PropertyPath(Component, PropName, false), MaxCount);
}

void TApFormStorage::SaveProperties() {
  if (!AppStorage() || !Form()) return;
  TApPropertyStorage ps;
  Prepare(ps);
  TTempValue relinking(relinking_, true);  // storing rewrites entries with their components' current names
  ps.StoreComponentProperties(Form(), *storedProps_);
}

void TApFormStorage::RestoreProperties() {
  if (!AppStorage() || !Form()) return;
  TApPropertyStorage ps;
  Prepare(ps);
  TTempValue relinking(relinking_, true);
  ps.LoadComponentProperties(Form(), *storedProps_);
}

void TApFormStorage::SavePlacement() {
  TApFormPlacement::SavePlacement();
  if (!AppStorage()) return;
  if (auto* handler = dynamic_cast<IStorageHandler*>(Form())) handler->WriteToStorage(AppStorage(), AppStoragePath());
  SaveProperties();
  for (int i = 0; i < storedValues_->Count(); ++i) storedValues_->Items(i)->Save();
}

void TApFormStorage::RestorePlacement() {
  TApFormPlacement::RestorePlacement();
  MarkRestored();
  if (!AppStorage()) return;
  if (auto* handler = dynamic_cast<IStorageHandler*>(Form())) handler->ReadFromStorage(AppStorage(), AppStoragePath());
  RestoreProperties();
  for (int i = 0; i < storedValues_->Count(); ++i) storedValues_->Items(i)->Restore();
}

HV_PUBLISH(TApFormStorage) {
  p.Prop("StoredProps", &T::StoredProps, &T::SetStoredProps);
  p.Prop("StoredValues", &T::StoredValues, &T::SetStoredValues);
  p.Prop("StoredPropsPath", &T::StoredPropsPath, &T::SetStoredPropsPath);
  p.Prop("StoredValuesPath", &T::StoredValuesPath, &T::SetStoredValuesPath);
}

namespace {
// Form files create placements by class name.
const bool registered = [] {
  RegisterClasses({&TApFormPlacement::StaticClassInfo(), &TApFormStorage::StaticClassInfo()});
  return true;
}();
}  // namespace
