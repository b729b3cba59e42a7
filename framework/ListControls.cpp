// Combo boxes and list boxes over the system's classes, with their item lists.
#include "framework/ListControls.h"

#include <algorithm>
#include <string>

#include "framework/Application.h"
#include "framework/Exceptions.h"
#include "framework/ScopeGuards.h"
#include "framework/UpdateBracket.h"
#include "framework/Win.h"

namespace {

constexpr TItemMessages ComboMessages{CB_GETLBTEXTLEN,    CB_GETLBTEXT,    CB_ADDSTRING,    CB_INSERTSTRING,
                                      CB_FINDSTRINGEXACT, CB_DELETESTRING, CB_RESETCONTENT, CB_GETCOUNT,
                                      CB_GETITEMDATA,     CB_SETITEMDATA};
constexpr TItemMessages ListMessages{LB_GETTEXTLEN,      LB_GETTEXT,      LB_ADDSTRING,    LB_INSERTSTRING,
                                     LB_FINDSTRINGEXACT, LB_DELETESTRING, LB_RESETCONTENT, LB_GETCOUNT,
                                     LB_GETITEMDATA,     LB_SETITEMDATA};

const wchar_t ChildProp[] = L"Verdan.ComboChild";
const wchar_t ChildProcProp[] = L"Verdan.ComboChildProc";

[[noreturn]] void IndexError(int Index) {
  throw EStringListError("List index out of bounds (" + std::to_string(Index) + ")");
}

[[noreturn]] void CannotInsert() { throw EOutOfResources("Unable to insert a line"); }

// A child window without an id gets its own handle as id, so that owner-draw requests name it.
void GiveWindowId(HWND Wnd) {
  if ((GetWindowLongW(Wnd, GWL_STYLE) & WS_CHILD) && GetWindowLongPtrW(Wnd, GWLP_ID) == 0)
    SetWindowLongPtrW(Wnd, GWLP_ID, reinterpret_cast<LONG_PTR>(Wnd));
}

// An owner-draw request of a combo or list box: the item is drawn by the handler when there is
// one, else by Draw; measured by Measure from the fixed item height.
void OwnerDrawMessage(TWinControl* Control, TCanvas* Canvas, TMessage& Message, int ItemHeight,
                      const TDrawItemEvent& Handler,
                      const std::function<void(int, const TRect&, TOwnerDrawState)>& Draw,
                      const std::function<void(int, int&)>& Measure) {
  if (Message.Msg == CN_MEASUREITEM) {
    auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
    int height = ItemHeight;
    Measure(static_cast<int>(mis->itemID), height);
    mis->itemHeight = static_cast<UINT>(std::max(height, 1));
  } else {
    auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
    DrawOwnerItem(Control, Canvas, *dis, [&](int Index, const TRect& Rect, TOwnerDrawState State) {
      if (Handler)
        Handler(Control, Index, Rect, State);
      else
        Draw(Index, Rect, State);
    });
  }
  Message.Result = TRUE;
}

}  // namespace

TOwnerDrawState OwnerDrawStateOf(UINT ItemState) {
  TOwnerDrawState s;
  if (ItemState & ODS_SELECTED) s << odSelected;
  if (ItemState & ODS_GRAYED) s << odGrayed;
  if (ItemState & ODS_DISABLED) s << odDisabled;
  if (ItemState & ODS_CHECKED) s << odChecked;
  if (ItemState & ODS_FOCUS) s << odFocused;
  if (ItemState & ODS_DEFAULT) s << odDefault;
  if (ItemState & ODS_NOACCEL) s << odNoAccel;
  if (ItemState & ODS_NOFOCUSRECT) s << odNoFocusRect;
  if (ItemState & ODS_COMBOBOXEDIT) s << odComboBoxEdit;
  return s;
}

void DrawOwnerItem(TWinControl* Control, TCanvas* Canvas, const DRAWITEMSTRUCT& Item,
                   const std::function<void(int Index, const TRect& Rect, TOwnerDrawState State)>& Draw) {
  TOwnerDrawState state = OwnerDrawStateOf(Item.itemState);
  TSaveDC saved(Item.hDC);
  Canvas->SetHandle(Item.hDC);
  TScopeExit giveBack([&] { Canvas->SetHandle(nullptr); });
  PrepareItemCanvas(Canvas, Control, state);
  Draw(static_cast<int>(Item.itemID), ToTRect(Item.rcItem), state);
}

void PrepareItemCanvas(TCanvas* Canvas, TWinControl* Control, TOwnerDrawState State) {
  Canvas->Font()->Assign(Control->Font());
  Canvas->Brush()->SetStyle(bsSolid);
  if (State.Contains(odSelected)) {
    Canvas->Brush()->SetColor(clHighlight);
    Canvas->Font()->SetColor(clHighlightText);
  } else {
    Canvas->Brush()->SetColor(Control->Color());
  }
  if (State.Contains(odDisabled) || !Control->Enabled()) Canvas->Font()->SetColor(clGrayText);
}

// ---- TWindowItemStrings ----

HV_PUBLISH(TWindowItemStrings) {}

LRESULT TWindowItemStrings::Send(UINT Msg, WPARAM WParam, LPARAM LParam) const {
  return SendMessageW(control_->Handle(), Msg, WParam, LParam);
}

WideString TWindowItemStrings::Get(int Index) const {
  if (!InWindow()) return waiting_->Strings(Index);
  LRESULT len = Send(msg_.GetTextLen, static_cast<WPARAM>(Index));
  if (len < 0) return WideString();
  WideString text(static_cast<size_t>(len) + 1, L'\0');
  LRESULT copied = Send(msg_.GetText, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(text.data()));
  if (copied < 0) return WideString();
  // The count the window copied, not the length it announced: that may be larger.
  text.resize(static_cast<size_t>(std::min(copied, len)));
  return text;
}

int TWindowItemStrings::GetCount() const {
  if (!InWindow()) return waiting_->Count();
  return static_cast<int>(std::max<LRESULT>(Send(msg_.GetCount), 0));
}

TObject* TWindowItemStrings::GetObject(int Index) const {
  if (!InWindow()) return waiting_->Objects(Index);
  LRESULT data = Send(msg_.GetItemData, static_cast<WPARAM>(Index));
  return data == -1 ? nullptr : reinterpret_cast<TObject*>(data);
}

void TWindowItemStrings::PutObject(int Index, TObject* AObject) {
  if (!InWindow()) {
    waiting_->SetObjects(Index, AObject);
    return;
  }
  Send(msg_.SetItemData, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(AObject));
}

int TWindowItemStrings::Add(const WideString& S) {
  int index;
  if (!InWindow()) {
    index = waiting_->Add(S);
  } else {
    LRESULT r = Send(msg_.AddString, 0, reinterpret_cast<LPARAM>(S.c_str()));
    if (r < 0) CannotInsert();
    index = static_cast<int>(r);
  }
  Inserted(index);
  return index;
}

void TWindowItemStrings::Insert(int Index, const WideString& S) {
  if (!InWindow()) {
    waiting_->Insert(Index, S);
  } else {
    LRESULT r = Send(msg_.InsertString, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(S.c_str()));
    if (r < 0) CannotInsert();
    Index = static_cast<int>(r);
  }
  Inserted(Index);
}

int TWindowItemStrings::IndexOf(const WideString& S) const {
  if (!InWindow()) return waiting_->IndexOf(S);
  return static_cast<int>(Send(msg_.FindStringExact, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(S.c_str())));
}

void TWindowItemStrings::Delete(int Index) {
  if (!InWindow()) {
    waiting_->Delete(Index);
    return;
  }
  Send(msg_.DeleteString, static_cast<WPARAM>(Index));
}

void TWindowItemStrings::Clear() {
  if (!InWindow()) {
    waiting_->Clear();
    return;
  }
  Send(msg_.ResetContent);
}

void TWindowItemStrings::SetUpdateState(bool Updating) {
  if (!InWindow()) return;
  Send(WM_SETREDRAW, !Updating);
  if (!Updating) control_->Refresh();
}

// ---- TComboBoxStrings ----

HV_PUBLISH(TComboBoxStrings) {}

TComboBoxStrings::TComboBoxStrings(TCustomComboBox* Combo, TStringListW* Waiting)
    : TWindowItemStrings(Combo, ComboMessages, Waiting) {}

void TComboBoxStrings::Clear() {
  if (!InWindow()) {
    Waiting()->Clear();
    return;
  }
  WideString text = Control()->Text();
  Send(CB_RESETCONTENT);
  Control()->SetText(text);
  Control()->Update();
}

// ---- TListBoxStrings ----

HV_PUBLISH(TListBoxStrings) {}

TListBoxStrings::TListBoxStrings(TCustomListBox* ListBox, TStringListW* Waiting)
    : TWindowItemStrings(ListBox, ListMessages, Waiting), listBox_(ListBox) {}

WideString TListBoxStrings::Get(int Index) const {
  if (!InWindow()) return Waiting()->Strings(Index);
  LRESULT len = Send(LB_GETTEXTLEN, static_cast<WPARAM>(Index));
  if (len < 0) Error("List index out of bounds (%d)", Index);
  WideString text(static_cast<size_t>(len) + 1, L'\0');
  LRESULT copied = Send(LB_GETTEXT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(text.data()));
  if (copied < 0) return WideString();
  text.resize(static_cast<size_t>(std::min(copied, len)));
  return text;
}

void TListBoxStrings::Inserted(int Index) { listBox_->ItemInserted(Index); }

int TListBoxStrings::GetCount() const {
  if (listBox_->IsVirtual()) return listBox_->Count();
  return TWindowItemStrings::GetCount();
}

void TListBoxStrings::Delete(int Index) {
  if (!InWindow()) {
    Waiting()->Delete(Index);
    listBox_->ItemDeleted(Index);
    return;
  }
  listBox_->DeleteString(Index);
}

void TListBoxStrings::Clear() {
  if (!InWindow()) {
    Waiting()->Clear();
    listBox_->ItemsCleared();
    return;
  }
  listBox_->ResetContent();
}

void TListBoxStrings::Put(int Index, const WideString& S) {
  int selected = listBox_->ItemIndex();
  TObject* data = GetObject(Index);
  uint32_t extra = listBox_->ItemExtra(Index);
  PutObject(Index, nullptr);
  Delete(Index);
  InsertObject(Index, S, nullptr);
  PutObject(Index, data);
  listBox_->SetItemExtra(Index, extra);
  listBox_->SetItemIndex(selected);
}

void TListBoxStrings::Exchange(int Index1, int Index2) {
  if (Index1 == Index2) return;
  WithinUpdate(*this, [&] {
    int selected = listBox_->ItemIndex();
    WideString s1 = Get(Index1), s2 = Get(Index2);
    TObject* o1 = GetObject(Index1);
    TObject* o2 = GetObject(Index2);
    uint32_t e1 = listBox_->ItemExtra(Index1), e2 = listBox_->ItemExtra(Index2);
    Put(Index1, s2);
    Put(Index2, s1);
    PutObject(Index1, o2);
    PutObject(Index2, o1);
    listBox_->SetItemExtra(Index1, e2);
    listBox_->SetItemExtra(Index2, e1);
    // The selection follows the item that moved.
    if (selected == Index1)
      listBox_->SetItemIndex(Index2);
    else if (selected == Index2)
      listBox_->SetItemIndex(Index1);
  });
}

void TListBoxStrings::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  if (NewIndex < 0 || NewIndex >= GetCount()) Error("List index out of bounds (%d)", NewIndex);
  WithinUpdate(*this, [&] {
    TTempValue moving(listBox_->moving_, true);
    WideString s = Get(CurIndex);
    TObject* o = GetObject(CurIndex);
    uint32_t extra = listBox_->ItemExtra(CurIndex);
    PutObject(CurIndex, nullptr);
    Delete(CurIndex);
    Insert(NewIndex, s);
    PutObject(NewIndex, o);
    listBox_->SetItemExtra(NewIndex, extra);
  });
}

// ---- TCustomComboBox ----

HV_PUBLISH(TCustomComboBox) {}

HV_PUBLISH(TComboBox) { PublishComboBox(p); }

TCustomComboBox::TCustomComboBox(TComponent* AOwner)
    : TWinControl(AOwner),
      waiting_(std::make_unique<TStringListW>()),
      items_(std::make_unique<TComboBoxStrings>(this, waiting_.get())),
      canvas_(std::make_unique<TCanvas>()) {
  SetBounds(Left(), Top(), 145, 21);
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
  // No csCaptureMouse: the system's combo box captures the mouse for its list itself.
  SetControlStyle(TControlStyle{csSetCaption, csDoubleClicks, csFixedHeight});
}

TCustomComboBox::~TCustomComboBox() {
  Destroying();
  DestroyHandle();
}

void TCustomComboBox::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  CreateSubClass(Params, L"COMBOBOX");
  Params.Style |= WS_VSCROLL | CBS_AUTOHSCROLL | CBS_HASSTRINGS;
  switch (style_) {
    case csDropDown: Params.Style |= CBS_DROPDOWN; break;
    case csSimple: Params.Style |= CBS_SIMPLE; break;
    case csDropDownList: Params.Style |= CBS_DROPDOWNLIST; break;
    case csOwnerDrawFixed: Params.Style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED; break;
    case csOwnerDrawVariable: Params.Style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE; break;
  }
  if (sorted_) Params.Style |= CBS_SORT;
  // The drop-down list hangs below the edit: the window is as high as both.
  if (style_ != csSimple) Params.Height = Height() + itemHeight_ * dropDownCount_ + 2;
}

void TCustomComboBox::CreateWnd() {
  WideString text = text_;
  inherited::CreateWnd();
  HWND wnd = Handle();
  GiveWindowId(wnd);
  HookChildren();
  SendMessageW(wnd, CB_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
  if (style_ == csOwnerDrawFixed || style_ == csOwnerDrawVariable) SendMessageW(wnd, CB_SETITEMHEIGHT, 0, itemHeight_);
  for (int i = 0; i < waiting_->Count(); ++i) {
    LRESULT index = SendMessageW(wnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(waiting_->Strings(i).c_str()));
    if (index < 0) CannotInsert();
    SendMessageW(wnd, CB_SETITEMDATA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(waiting_->Objects(i)));
  }
  int count = waiting_->Count();
  waiting_->Clear();
  // A saved index past the end selects nothing, as it would in the window.
  int index = std::min(waitingIndex_, count);
  if (index >= 0) SendMessageW(wnd, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  if (IsEditable() && !text.empty()) SetWindowTextW(wnd, text.c_str());
}

void TCustomComboBox::DestroyWnd() {
  if (HandleAllocated() && !IsDestroying()) {
    HWND wnd = Handle();
    waiting_->Clear();
    int count = static_cast<int>(SendMessageW(wnd, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) waiting_->AddObject(items_->Strings(i), items_->Objects(i));
    waitingIndex_ = static_cast<int>(SendMessageW(wnd, CB_GETCURSEL, 0, 0));
  }
  editHandle_ = listHandle_ = nullptr;
  inherited::DestroyWnd();
}

void TCustomComboBox::HookChildren() {
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  if (!GetComboBoxInfo(Handle(), &info)) return;
  editHandle_ = info.hwndItem != Handle() ? info.hwndItem : nullptr;
  listHandle_ = info.hwndList;
  // Each child keeps its own procedure with it: the combo forgets its children before they go.
  for (HWND child : {editHandle_, listHandle_}) {
    if (!child) continue;
    SetPropW(child, ChildProp, this);
    LONG_PTR previous = SetWindowLongPtrW(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TCustomComboBox::ChildProc));
    SetPropW(child, ChildProcProp, reinterpret_cast<HANDLE>(previous));
  }
}

LRESULT CALLBACK TCustomComboBox::ChildProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto* combo = static_cast<TCustomComboBox*>(GetPropW(Wnd, ChildProp));
  auto previous = reinterpret_cast<WNDPROC>(GetPropW(Wnd, ChildProcProp));
  if (!previous) return DefWindowProcW(Wnd, Msg, WParam, LParam);
  if (!combo || Msg == WM_NCDESTROY) {
    RemovePropW(Wnd, ChildProp);
    RemovePropW(Wnd, ChildProcProp);
    SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    return CallWindowProcW(previous, Wnd, Msg, WParam, LParam);
  }
  TMessage message;
  message.Msg = Msg;
  message.WParam = WParam;
  message.LParam = LParam;
  try {
    if (combo->IsDestroying())
      message.Result = CallWindowProcW(previous, Wnd, Msg, WParam, LParam);
    else
      combo->ChildMessage(Wnd, previous, message);
  } catch (...) {
    if (Application) Application->HandleException(combo);
  }
  return message.Result;
}

void TCustomComboBox::ChildMessage(HWND Child, WNDPROC Previous, TMessage& Message) {
  auto pass = [&] { Message.Result = CallWindowProcW(Previous, Child, Message.Msg, Message.WParam, Message.LParam); };
  switch (Message.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (DoKeyDown(Message)) return;
      break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      if (DoKeyUp(Message)) return;
      break;
    case WM_CHAR: {
      if (DoKeyPress(Message) || EditCharacter(Message)) return;
      auto key = static_cast<wchar_t>(Message.WParam);
      if (key == VK_RETURN || key == VK_ESCAPE) {
        // Enter and Escape only close an open list; the dialog keys are the form's.
        if (DroppedDown()) SetDroppedDown(false);
        return;
      }
      break;
    }
    default: break;
  }
  pass();
}

void TCustomComboBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:
      switch (HIWORD(Message.WParam)) {
        case CBN_SELCHANGE: SelectionChanged(); break;
        case CBN_EDITCHANGE: Change(); break;
        case CBN_DROPDOWN: DropDown(); break;
        case CBN_CLOSEUP: CloseUp(); break;
        default: break;
      }
      return;
    case CM_WANTSPECIALKEY:
      // Enter and Escape on an open list close the list; only a closed one leaves them to the
      // form (its default and cancel buttons).
      if ((Message.WParam == VK_RETURN || Message.WParam == VK_ESCAPE) && DroppedDown()) {
        Message.Result = 1;
        return;
      }
      break;
    case CN_DRAWITEM:
    case CN_MEASUREITEM:
      OwnerDrawMessage(
          this, canvas_.get(), Message, itemHeight_, OnDrawItem,
          [this](int I, const TRect& R, TOwnerDrawState S) { DrawItem(I, R, S); },
          [this](int I, int& H) { MeasureItem(I, H); });
      return;
    default: break;
  }
  inherited::Dispatch(Message);
}

void TCustomComboBox::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) {
  (void)State;
  canvas_->FillRect(Rect);
  if (Index >= 0 && Index < items_->Count()) canvas_->TextOut(Rect.Left + 2, Rect.Top, items_->Strings(Index));
}

void TCustomComboBox::MeasureItem(int Index, int& Height) {
  if (OnMeasureItem) OnMeasureItem(this, Index, Height);
}

void TCustomComboBox::SelectionChanged() {
  int index = ItemIndex();
  if (index >= 0) SetText(items_->Strings(index));
  Click();
  Select();
}

void TCustomComboBox::Change() {
  if (OnChange) OnChange(this);
}

void TCustomComboBox::Select() {
  if (OnSelect)
    OnSelect(this);
  else
    Change();
}

void TCustomComboBox::DropDown() {
  if (OnDropDown) OnDropDown(this);
}

void TCustomComboBox::CloseUp() {
  if (OnCloseUp) OnCloseUp(this);
}

int TCustomComboBox::ItemIndex() {
  if (!HandleAllocated()) return waitingIndex_;
  return static_cast<int>(SendMessageW(Handle(), CB_GETCURSEL, 0, 0));
}

void TCustomComboBox::SetItemIndex(int Value) {
  if (!HandleAllocated()) {
    waitingIndex_ = Value;
    return;
  }
  if (ItemIndex() == Value) return;
  SendMessageW(Handle(), CB_SETCURSEL, static_cast<WPARAM>(Value), 0);
}

void TCustomComboBox::SetStyle(TComboBoxStyle Value) {
  if (style_ == Value) return;
  style_ = Value;
  RecreateWnd();
}

void TCustomComboBox::SetSorted(bool Value) {
  if (sorted_ == Value) return;
  sorted_ = Value;
  RecreateWnd();
}

void TCustomComboBox::SetItemHeight(int Value) {
  if (itemHeight_ == Value || Value < 1) return;
  itemHeight_ = Value;
  RecreateWnd();
}

void TCustomComboBox::SetMaxLength(int Value) {
  maxLength_ = std::max(Value, 0);
  if (HandleAllocated()) SendMessageW(Handle(), CB_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
}

bool TCustomComboBox::DroppedDown() {
  return HandleAllocated() && SendMessageW(Handle(), CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void TCustomComboBox::SetDroppedDown(bool Value) { SendMessageW(Handle(), CB_SHOWDROPDOWN, Value, 0); }

int TCustomComboBox::SelStart() {
  DWORD start = 0, end = 0;
  SendMessageW(Handle(), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(start);
}

void TCustomComboBox::SetSelStart(int Value) { SendMessageW(Handle(), CB_SETEDITSEL, 0, MAKELPARAM(Value, Value)); }

int TCustomComboBox::SelLength() {
  DWORD start = 0, end = 0;
  SendMessageW(Handle(), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(end - start);
}

void TCustomComboBox::SetSelLength(int Value) {
  int start = SelStart();
  SendMessageW(Handle(), CB_SETEDITSEL, 0, MAKELPARAM(start, start + Value));
}

WideString TCustomComboBox::SelText() {
  if (!IsEditable()) return WideString();
  WideString text = Text();
  size_t start = std::min(static_cast<size_t>(SelStart()), text.size());
  return text.substr(start, static_cast<size_t>(SelLength()));
}

void TCustomComboBox::SelectAll() { SendMessageW(Handle(), CB_SETEDITSEL, 0, MAKELPARAM(0, -1)); }

void TCustomComboBox::Clear() {
  SetText(WideString());
  items_->Clear();
  SetItemIndex(-1);
}

void TCustomComboBox::AddItem(const WideString& Item, TObject* AObject) { items_->AddObject(Item, AObject); }

// ---- TCustomListBox ----

HV_PUBLISH(TCustomListBox) {}

HV_PUBLISH(TListBox) { PublishListBox(p); }

TCustomListBox::TCustomListBox(TComponent* AOwner)
    : TWinControl(AOwner),
      waiting_(std::make_unique<TStringListW>()),
      items_(std::make_unique<TListBoxStrings>(this, waiting_.get())),
      canvas_(std::make_unique<TCanvas>()) {
  SetBounds(Left(), Top(), 121, 97);
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
  SetControlStyle(TControlStyle{csSetCaption, csDoubleClicks, csClickEvents});
}

TCustomListBox::~TCustomListBox() {
  Destroying();
  DestroyHandle();
}

void TCustomListBox::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  CreateSubClass(Params, L"LISTBOX");
  Params.Style |= WS_VSCROLL | LBS_NOTIFY | WS_BORDER;
  switch (style_) {
    case lbStandard: Params.Style |= LBS_HASSTRINGS; break;
    case lbOwnerDrawFixed: Params.Style |= LBS_HASSTRINGS | LBS_OWNERDRAWFIXED; break;
    case lbOwnerDrawVariable: Params.Style |= LBS_HASSTRINGS | LBS_OWNERDRAWVARIABLE; break;
    case lbVirtual:
    case lbVirtualOwnerDraw: Params.Style |= LBS_NODATA | LBS_OWNERDRAWFIXED; break;
  }
  if (sorted_ && !IsVirtual()) Params.Style |= LBS_SORT;
  if (multiSelect_) Params.Style |= extendedSelect_ ? LBS_EXTENDEDSEL : LBS_MULTIPLESEL;
  if (!integralHeight_) Params.Style |= LBS_NOINTEGRALHEIGHT;
}

void TCustomListBox::CreateWnd() {
  inherited::CreateWnd();
  HWND wnd = Handle();
  GiveWindowId(wnd);
  if (style_ != lbStandard) SendMessageW(wnd, LB_SETITEMHEIGHT, 0, itemHeight_);
  if (IsVirtual()) {
    SendMessageW(wnd, LB_SETCOUNT, static_cast<WPARAM>(waitingCount_), 0);
  } else {
    for (int i = 0; i < waiting_->Count(); ++i) {
      LRESULT index = SendMessageW(wnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(waiting_->Strings(i).c_str()));
      if (index < 0) CannotInsert();
      SendMessageW(wnd, LB_SETITEMDATA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(waiting_->Objects(i)));
    }
  }
  waiting_->Clear();
  // The selection first: scrolling to it must not move the top the list had.
  if (waitingIndex_ >= 0) SetItemIndex(waitingIndex_);
  SendMessageW(wnd, LB_SETTOPINDEX, static_cast<WPARAM>(std::max(waitingTop_, 0)), 0);
}

void TCustomListBox::DestroyWnd() {
  if (HandleAllocated() && !IsDestroying()) {
    HWND wnd = Handle();
    waiting_->Clear();
    int count = static_cast<int>(SendMessageW(wnd, LB_GETCOUNT, 0, 0));
    waitingCount_ = count;
    if (!IsVirtual())
      for (int i = 0; i < count; ++i) waiting_->AddObject(items_->Strings(i), items_->Objects(i));
    waitingIndex_ = ItemIndex();
    waitingTop_ = TopIndex();
  }
  inherited::DestroyWnd();
}

void TCustomListBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:
      switch (HIWORD(Message.WParam)) {
        case LBN_SELCHANGE:
          Click();
          if (OnChange) OnChange(this);
          break;
        case LBN_DBLCLK: DblClick(); break;
        default: break;
      }
      return;
    case LB_GETTEXT:
    case LB_GETTEXTLEN:
      if (IsVirtual()) {
        AnswerVirtualText(Message);
        return;
      }
      break;
    case CN_DRAWITEM:
    case CN_MEASUREITEM:
      // A virtual list box without owner drawing draws its texts itself.
      OwnerDrawMessage(
          this, canvas_.get(), Message, itemHeight_, style_ == lbVirtual ? TDrawItemEvent() : OnDrawItem,
          [this](int I, const TRect& R, TOwnerDrawState S) { DrawItem(I, R, S); },
          [this](int I, int& H) { MeasureItem(I, H); });
      return;
    default: break;
  }
  inherited::Dispatch(Message);
}

void TCustomListBox::AnswerVirtualText(TMessage& Message) {
  auto index = static_cast<int>(Message.WParam);
  WideString text;
  if (index < 0 || index >= Count() || !GetVirtualText(index, text)) {
    Message.Result = LB_ERR;
    return;
  }
  if (Message.Msg == LB_GETTEXT && Message.LParam) {
    auto* buffer = reinterpret_cast<wchar_t*>(Message.LParam);
    std::copy(text.begin(), text.end(), buffer);
    buffer[text.size()] = L'\0';
  }
  Message.Result = static_cast<LRESULT>(text.size());
}

bool TCustomListBox::GetVirtualText(int Index, WideString& Text) {
  if (!OnData) return false;
  OnData(this, Index, Text);
  return true;
}

void TCustomListBox::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) {
  (void)State;
  canvas_->FillRect(Rect);
  if (Index < 0 || Index >= Count()) return;
  TRect r = Rect;
  r.Left += 2;
  canvas_->DrawText(r, items_->Strings(Index), DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

void TCustomListBox::MeasureItem(int Index, int& Height) {
  if (OnMeasureItem) OnMeasureItem(this, Index, Height);
}

void TCustomListBox::DeleteString(int Index) {
  SendMessageW(Handle(), LB_DELETESTRING, static_cast<WPARAM>(Index), 0);
  ItemDeleted(Index);
}

void TCustomListBox::ResetContent() {
  if (IsVirtual()) return;
  SendMessageW(Handle(), LB_RESETCONTENT, 0, 0);
  ItemsCleared();
}

int TCustomListBox::ItemIndex() {
  if (!HandleAllocated()) return waitingIndex_;
  UINT msg = multiSelect_ ? LB_GETCARETINDEX : LB_GETCURSEL;
  int index = static_cast<int>(SendMessageW(Handle(), msg, 0, 0));
  // The caret of an empty or unselected list names no item.
  if (multiSelect_ && index >= 0 && SendMessageW(Handle(), LB_GETSEL, static_cast<WPARAM>(index), 0) <= 0) return -1;
  return index;
}

void TCustomListBox::SetItemIndex(int Value) {
  if (!HandleAllocated()) {
    waitingIndex_ = Value;
    return;
  }
  if (multiSelect_) {
    SendMessageW(Handle(), LB_SETSEL, FALSE, -1);
    if (Value >= 0) SendMessageW(Handle(), LB_SETSEL, TRUE, Value);
    SendMessageW(Handle(), LB_SETCARETINDEX, static_cast<WPARAM>(Value), FALSE);
  } else {
    SendMessageW(Handle(), LB_SETCURSEL, static_cast<WPARAM>(Value), 0);
  }
}

int TCustomListBox::TopIndex() {
  if (!HandleAllocated()) return waitingTop_;
  return static_cast<int>(SendMessageW(Handle(), LB_GETTOPINDEX, 0, 0));
}

void TCustomListBox::SetTopIndex(int Value) {
  if (!HandleAllocated()) {
    waitingTop_ = Value;
    return;
  }
  SendMessageW(Handle(), LB_SETTOPINDEX, static_cast<WPARAM>(Value), 0);
}

void TCustomListBox::SetStyle(TListBoxStyle Value) {
  if (style_ == Value) return;
  bool recreate = HandleAllocated();
  if (recreate) DestroyHandle();
  // Items of one kind mean nothing to a list of the other.
  if (IsVirtual() != (Value == lbVirtual || Value == lbVirtualOwnerDraw)) {
    waiting_->Clear();
    waitingCount_ = 0;
    ItemsCleared();
  }
  style_ = Value;
  if (recreate) UpdateControlState();
}

void TCustomListBox::SetMultiSelect(bool Value) {
  if (multiSelect_ == Value) return;
  multiSelect_ = Value;
  RecreateWnd();
}

void TCustomListBox::SetExtendedSelect(bool Value) {
  if (extendedSelect_ == Value) return;
  extendedSelect_ = Value;
  if (multiSelect_) RecreateWnd();
}

void TCustomListBox::SetSorted(bool Value) {
  if (sorted_ == Value) return;
  sorted_ = Value;
  RecreateWnd();
}

void TCustomListBox::SetItemHeight(int Value) {
  if (itemHeight_ == Value || Value < 1) return;
  itemHeight_ = Value;
  RecreateWnd();
}

void TCustomListBox::SetIntegralHeight(bool Value) {
  if (integralHeight_ == Value) return;
  integralHeight_ = Value;
  RecreateWnd();
}

bool TCustomListBox::Selected(int Index) {
  LRESULT r = SendMessageW(Handle(), LB_GETSEL, static_cast<WPARAM>(Index), 0);
  if (r < 0) IndexError(Index);
  return r > 0;
}

void TCustomListBox::SetSelected(int Index, bool Value) {
  if (multiSelect_) {
    if (SendMessageW(Handle(), LB_SETSEL, Value, Index) < 0) IndexError(Index);
  } else if (Value) {
    SetItemIndex(Index);
  } else if (ItemIndex() == Index) {
    SetItemIndex(-1);
  }
}

int TCustomListBox::SelCount() {
  if (!multiSelect_) return ItemIndex() >= 0 ? 1 : 0;
  return static_cast<int>(SendMessageW(Handle(), LB_GETSELCOUNT, 0, 0));
}

int TCustomListBox::Count() {
  if (!HandleAllocated()) return IsVirtual() ? waitingCount_ : waiting_->Count();
  return static_cast<int>(std::max<LRESULT>(SendMessageW(Handle(), LB_GETCOUNT, 0, 0), 0));
}

void TCustomListBox::SetCount(int Value) {
  if (!IsVirtual()) throw EInvalidOperation("Count can only be set on a virtual list box");
  waitingCount_ = std::max(Value, 0);
  if (HandleAllocated()) SendMessageW(Handle(), LB_SETCOUNT, static_cast<WPARAM>(waitingCount_), 0);
}

void TCustomListBox::Clear() {
  if (IsVirtual()) {
    SetCount(0);
    return;
  }
  items_->Clear();
}

void TCustomListBox::ClearSelection() {
  if (multiSelect_)
    SendMessageW(Handle(), LB_SETSEL, FALSE, -1);
  else
    SetItemIndex(-1);
}

int TCustomListBox::ItemAtPos(const TPoint& Pos, bool Existing) {
  LRESULT r = SendMessageW(Handle(), LB_ITEMFROMPOINT, 0, MAKELPARAM(Pos.X, Pos.Y));
  int index = LOWORD(r);
  if (HIWORD(r) != 0) return Existing ? -1 : Count();
  return index;
}

TRect TCustomListBox::ItemRect(int Index) {
  RECT r{};
  if (SendMessageW(Handle(), LB_GETITEMRECT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&r)) == LB_ERR)
    return TRect();
  return ToTRect(r);
}

void TCustomListBox::AddItem(const WideString& Item, TObject* AObject) { items_->AddObject(Item, AObject); }
