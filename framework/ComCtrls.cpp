// The up-down control, the page control, the list view, the extended combo box and the tool
// button.
#include "framework/ComCtrls.h"

#include <commctrl.h>

#include <algorithm>

#include "framework/Actions.h"
#include "framework/Forms.h"
#include "framework/Win.h"

HV_PUBLISH(TCustomUpDown) {}

HV_PUBLISH(TUpDown) {
  p.Prop("AlignButton", &T::AlignButton, &T::SetAlignButton).Default(udRight);
  p.Prop("ArrowKeys", &T::ArrowKeys, &T::SetArrowKeys).Default(1);
  p.Prop("Associate", &T::Associate, &T::SetAssociate);
  p.Prop("Increment", &T::Increment, &T::SetIncrement).Default(1);
  p.Prop("Max", &T::Max, &T::SetMax).Default(100);
  p.Prop("Min", &T::Min, &T::SetMin).Default(0);
  p.Prop("Orientation", &T::Orientation, &T::SetOrientation).Default(udVertical);
  p.Prop("Position", &T::Position, &T::SetPosition).Default(0);
  p.Prop("Thousands", &T::Thousands, &T::SetThousands).Default(1);
  p.Prop("Wrap", &T::Wrap, &T::SetWrap).Default(0);
  p.Event("OnChanging", &T::OnChanging);
  p.Event("OnClick", &T::OnClick);
}

TCustomUpDown::TCustomUpDown(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(Left(), Top(), GetSystemMetrics(SM_CXVSCROLL), GetSystemMetrics(SM_CYVSCROLL) * 2);
  SetControlStyle(ControlStyle() - csDoubleClicks);
  INITCOMMONCONTROLSEX init{sizeof init, ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&init);
}

void TCustomUpDown::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  CreateSubClass(Params, UPDOWN_CLASSW);
  if (wrap_) Params.Style |= UDS_WRAP;
  if (arrowKeys_) Params.Style |= UDS_ARROWKEYS;
  if (!thousands_) Params.Style |= UDS_NOTHOUSANDS;
  if (orientation_ == udHorizontal) Params.Style |= UDS_HORZ;
  if (associate_) Params.Style |= UDS_SETBUDDYINT | (alignButton_ == udRight ? UDS_ALIGNRIGHT : UDS_ALIGNLEFT);
}

void TCustomUpDown::CreateWnd() {
  inherited::CreateWnd();
  // The buddy first, so that setting the position writes its text.
  if (associate_) SendMessageW(Handle(), UDM_SETBUDDY, reinterpret_cast<WPARAM>(associate_->Handle()), 0);
  ApplyRange();
  UDACCEL accel{0, static_cast<UINT>(increment_)};
  SendMessageW(Handle(), UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
}

void TCustomUpDown::ApplyRange() {
  if (!HandleAllocated()) return;
  SendMessageW(Handle(), UDM_SETRANGE32, static_cast<WPARAM>(min_), max_);
  SendMessageW(Handle(), UDM_SETPOS32, 0, position_);
}

void TCustomUpDown::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(Message.LParam);
      if (header->code == UDN_DELTAPOS) Message.Result = CanChange() ? 0 : 1;
      return;
    }
    case CN_HSCROLL:
    case CN_VSCROLL:
      if (LOWORD(Message.WParam) == SB_THUMBPOSITION) {
        int previous = position_;
        position_ = static_cast<int>(SendMessageW(Handle(), UDM_GETPOS32, 0, 0));
        if (position_ != previous || wrap_) Click(position_ > previous ? btNext : btPrev);
      }
      return;
    default: break;
  }
  inherited::Dispatch(Message);
}

bool TCustomUpDown::CanChange() {
  bool allow = true;
  if (OnChanging) OnChanging(this, allow);
  return allow;
}

void TCustomUpDown::Click(TUDBtnType Button) {
  if (OnClick) OnClick(this, Button);
}

void TCustomUpDown::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == associate_) {
    associate_ = nullptr;
    if (HandleAllocated()) SendMessageW(Handle(), UDM_SETBUDDY, 0, 0);
  }
}

int TCustomUpDown::Position() {
  if (HandleAllocated()) {
    BOOL failed = FALSE;
    auto pos = static_cast<int>(SendMessageW(Handle(), UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&failed)));
    if (!failed) position_ = pos;
  }
  return position_;
}

void TCustomUpDown::SetPosition(int Value) {
  Value = std::clamp(Value, std::min(min_, max_), std::max(min_, max_));
  if (position_ == Value) return;
  position_ = Value;
  if (HandleAllocated()) SendMessageW(Handle(), UDM_SETPOS32, 0, position_);
}

void TCustomUpDown::SetMin(int Value) {
  if (min_ == Value) return;
  min_ = Value;
  position_ = std::clamp(position_, std::min(min_, max_), std::max(min_, max_));
  ApplyRange();
}

void TCustomUpDown::SetMax(int Value) {
  if (max_ == Value) return;
  max_ = Value;
  position_ = std::clamp(position_, std::min(min_, max_), std::max(min_, max_));
  ApplyRange();
}

void TCustomUpDown::SetIncrement(int Value) {
  if (increment_ == Value) return;
  increment_ = Value;
  RecreateWnd();
}

void TCustomUpDown::SetWrap(bool Value) {
  if (wrap_ == Value) return;
  wrap_ = Value;
  RecreateWnd();
}

void TCustomUpDown::SetArrowKeys(bool Value) {
  if (arrowKeys_ == Value) return;
  arrowKeys_ = Value;
  RecreateWnd();
}

void TCustomUpDown::SetThousands(bool Value) {
  if (thousands_ == Value) return;
  thousands_ = Value;
  RecreateWnd();
}

void TCustomUpDown::SetOrientation(TUDOrientation Value) {
  if (orientation_ == Value) return;
  orientation_ = Value;
  if (!IsLoading()) SetBounds(Left(), Top(), Height(), Width());
  RecreateWnd();
}

void TCustomUpDown::SetAlignButton(TUDAlignButton Value) {
  if (alignButton_ == Value) return;
  alignButton_ = Value;
  RecreateWnd();
}

void TCustomUpDown::SetAssociate(TWinControl* Value) {
  if (associate_ == Value) return;
  if (associate_) associate_->RemoveFreeNotification(this);
  associate_ = Value;
  if (Value) Value->FreeNotification(this);
  RecreateWnd();
}

// ---- TTabSheet ----

HV_PUBLISH(TTabSheet) {
  p.Prop("Caption", &T::Caption, &T::SetCaption);
  p.Prop("PageIndex", &T::PageIndex, &T::SetPageIndex).Stored(false);
  // The page control places and shows its pages; where it puts them depends on its tabs.
  p.Prop("Left", &T::Left, &T::SetLeft).Stored(false);
  p.Prop("Top", &T::Top, &T::SetTop).Stored(false);
  p.Prop("Width", &T::Width, &T::SetWidth).Stored(false);
  p.Prop("Height", &T::Height, &T::SetHeight).Stored(false);
  p.Prop("Align", &T::Align, &T::SetAlign).Stored(false);
  p.Prop("Anchors", &T::Anchors, &T::SetAnchors).Stored(false);
  p.Prop("TabOrder", &T::TabOrder, &T::SetTabOrder).Stored(false);
  p.Prop("Visible", &T::Visible, &T::SetVisible).Stored(false);
}

TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner) {
  SetAlign(alClient);
  SetControlStyle(ControlStyle() + csAcceptsControls);
  SetVisible(false);
}

TTabSheet::~TTabSheet() {
  if (pageControl_) pageControl_->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl* Value) {
  if (Value == pageControl_) return;
  if (pageControl_) pageControl_->RemovePage(this);
  SetParent(Value);
  if (Value) Value->InsertPage(this);
}

int TTabSheet::PageIndex() const {
  if (!pageControl_) return -1;
  const auto& pages = pageControl_->pages_;
  return static_cast<int>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TTabSheet::SetPageIndex(int Value) {
  const int from = PageIndex();
  if (from < 0 || Value < 0 || Value >= pageControl_->PageCount() || Value == from) return;
  auto& pages = pageControl_->pages_;
  pages.erase(pages.begin() + from);
  pages.insert(pages.begin() + Value, this);
  pageControl_->UpdateTabs();
}

void TTabSheet::SetParentComponent(TComponent* Value) {
  if (auto* control = dynamic_cast<TPageControl*>(Value)) {
    SetPageControl(control);
    return;
  }
  inherited::SetParentComponent(Value);
}

TComponent* TTabSheet::GetParentComponent() const { return pageControl_; }

void TTabSheet::CMTextChanged(TMessage& Message) {
  inherited::CMTextChanged(Message);
  if (pageControl_) pageControl_->UpdateTab(this);
}

// ---- TPageControl ----

HV_PUBLISH(TPageControl) {
  p.Prop("ActivePage", &T::ActivePage, &T::SetActivePage);
  p.Event("OnChange", &T::OnChange);
  p.Event("OnChanging", &T::OnChanging);
}

TPageControl::TPageControl(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(Left(), Top(), 289, 193);
  SetTabStop(true);
  SetControlStyle(ControlStyle() + csAcceptsControls + csDoubleClicks);
  INITCOMMONCONTROLSEX init{sizeof init, ICC_TAB_CLASSES};
  InitCommonControlsEx(&init);
}

TPageControl::~TPageControl() {
  for (TTabSheet* page : pages_) page->pageControl_ = nullptr;
  pages_.clear();
}

TTabSheet* TPageControl::Pages(int Index) const {
  return Index >= 0 && Index < PageCount() ? pages_[static_cast<size_t>(Index)] : nullptr;
}

void TPageControl::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  CreateSubClass(Params, WC_TABCONTROLW);
  Params.Style |= WS_CLIPCHILDREN;
  Params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

void TPageControl::CreateWnd() {
  inherited::CreateWnd();
  UpdateTabs();
  Realign();
}

void TPageControl::InsertPage(TTabSheet* Page) {
  pages_.push_back(Page);
  Page->pageControl_ = this;
  UpdateTabs();
  if (!activePage_) SetActivePage(Page);
}

void TPageControl::RemovePage(TTabSheet* Page) {
  auto it = std::find(pages_.begin(), pages_.end(), Page);
  if (it == pages_.end()) return;
  const auto index = it - pages_.begin();
  pages_.erase(it);
  Page->pageControl_ = nullptr;
  if (activePage_ == Page) {
    activePage_ = nullptr;
    if (!pages_.empty()) SetActivePage(pages_[std::min<size_t>(static_cast<size_t>(index), pages_.size() - 1)]);
  }
  UpdateTabs();
}

void TPageControl::UpdateTab(TTabSheet* Page) {
  const int index = Page->PageIndex();
  if (!HandleAllocated() || index < 0) return;
  WideString text = Page->Caption();
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = text.data();
  SendMessageW(Handle(), TCM_SETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

void TPageControl::UpdateTabs() {
  if (!HandleAllocated()) return;
  SendMessageW(Handle(), TCM_DELETEALLITEMS, 0, 0);
  for (size_t i = 0; i < pages_.size(); ++i) {
    WideString text = pages_[i]->Caption();
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    SendMessageW(Handle(), TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
  SendMessageW(Handle(), TCM_SETCURSEL, static_cast<WPARAM>(ActivePageIndex()), 0);
  // One row of tabs more or less moves the pages.
  Realign();
}

int TPageControl::ActivePageIndex() const { return activePage_ ? activePage_->PageIndex() : -1; }

void TPageControl::SetActivePageIndex(int Value) { SetActivePage(Pages(Value)); }

void TPageControl::SetActivePage(TTabSheet* Page) {
  if (Page && Page->pageControl_ != this) return;
  ChangeActivePage(Page);
  if (HandleAllocated()) SendMessageW(Handle(), TCM_SETCURSEL, static_cast<WPARAM>(ActivePageIndex()), 0);
}

void TPageControl::ChangeActivePage(TTabSheet* Page) {
  if (Page == activePage_) return;
  TTabSheet* previous = activePage_;
  activePage_ = Page;
  if (Page) {
    Page->BringToFront();
    Page->SetVisible(true);
  }
  if (previous) {
    // The focus leaves with the page that hides.
    TCustomForm* form = GetParentForm(this);
    if (form && previous->ContainsControl(form->ActiveControl())) form->SetActiveControl(this);
    previous->SetVisible(false);
  }
}

bool TPageControl::CanChange() {
  bool allow = true;
  if (OnChanging) OnChanging(this, allow);
  return allow;
}

void TPageControl::Change() {
  if (OnChange) OnChange(this);
}

void TPageControl::SelectNextPage(bool GoForward) {
  if (pages_.size() < 2) return;
  const int count = PageCount();
  const int next = ((std::max(ActivePageIndex(), 0) + (GoForward ? 1 : -1)) % count + count) % count;
  if (!CanChange()) return;
  SetActivePageIndex(next);
  Change();
}

TRect TPageControl::DisplayRect() {
  TRect r = Rect(0, 0, Width(), Height());
  if (HandleAllocated()) {
    r = ClientRect();
    RECT display = ToRECT(r);
    SendMessageW(Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    return ToTRect(display);
  }
  // Without a window: one row of tabs of the message font and the pane's frame.
  return Rect(4, 24, std::max(r.Right - 4, 4), std::max(r.Bottom - 4, 24));
}

void TPageControl::AdjustClientRect(TRect& Rect) {
  inherited::AdjustClientRect(Rect);
  const TRect display = DisplayRect();
  Rect.Left = std::max(Rect.Left, display.Left);
  Rect.Top = std::max(Rect.Top, display.Top);
  Rect.Right = std::min(Rect.Right, display.Right);
  Rect.Bottom = std::min(Rect.Bottom, display.Bottom);
}

void TPageControl::AlignControls(TControl* AControl, TRect& Rect) {
  // Every page fills the display area, hidden ones too, so that one shown later fits.
  for (TTabSheet* page : pages_) page->SetBounds(Rect.Left, Rect.Top, Rect.Width(), Rect.Height());
  inherited::AlignControls(AControl, Rect);
}

void TPageControl::Dispatch(TMessage& Message) {
  if (Message.Msg == CN_NOTIFY) {
    auto* header = reinterpret_cast<NMHDR*>(Message.LParam);
    if (header->code == TCN_SELCHANGING) {
      Message.Result = CanChange() ? FALSE : TRUE;
      return;
    }
    if (header->code == TCN_SELCHANGE) {
      const auto index = static_cast<int>(SendMessageW(Handle(), TCM_GETCURSEL, 0, 0));
      ChangeActivePage(Pages(index));
      Change();
      return;
    }
  }
  inherited::Dispatch(Message);
}

void TPageControl::CMDialogKey(TMessage& Message) {
  // Ctrl+Tab and Shift+Ctrl+Tab turn the pages while the focus is on them.
  if (Message.WParam == VK_TAB && GetKeyState(VK_CONTROL) < 0 && HandleAllocated() &&
      (GetFocus() == Handle() || IsChild(Handle(), GetFocus()))) {
    SelectNextPage(GetKeyState(VK_SHIFT) >= 0);
    Message.Result = 1;
    return;
  }
  inherited::CMDialogKey(Message);
}

void TPageControl::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
  for (TTabSheet* page : pages_) Proc(page);
  std::vector<TComponent*> others;
  inherited::GetChildren(
      [&](TComponent* c) {
        if (std::find(pages_.begin(), pages_.end(), c) == pages_.end()) others.push_back(c);
      },
      Root);
  for (TComponent* c : others) Proc(c);
}

namespace {

void InitCommonClass(DWORD Classes) {
  INITCOMMONCONTROLSEX init{sizeof init, Classes};
  InitCommonControlsEx(&init);
}

[[noreturn]] void IndexError(int Index) {
  throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
}

}  // namespace

// ---- list view ----

HV_PUBLISH(TListView) {}

TListView::TListView(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(Left(), Top(), 121, 97);
  InitCommonClass(ICC_LISTVIEW_CLASSES);
}

WideString TListView::Items(int Index) const {
  if (Index < 0 || Index >= ItemCount()) IndexError(Index);
  return items_[static_cast<size_t>(Index)];
}

void TListView::AddItem(const WideString& Caption) {
  items_.push_back(Caption);
  if (HandleAllocated()) InsertIntoWindow(ItemCount() - 1);
}

void TListView::Clear() {
  items_.clear();
  if (HandleAllocated()) SendMessageW(Handle(), LVM_DELETEALLITEMS, 0, 0);
}

void TListView::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  CreateSubClass(Params, WC_LISTVIEWW);
  Params.Style |= LVS_LIST | LVS_SHOWSELALWAYS | WS_TABSTOP;
  Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TListView::CreateWnd() {
  inherited::CreateWnd();
  for (int i = 0; i < ItemCount(); ++i) InsertIntoWindow(i);
}

void TListView::InsertIntoWindow(int Index) {
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = Index;
  item.pszText = const_cast<wchar_t*>(items_[static_cast<size_t>(Index)].c_str());
  SendMessageW(Handle(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

// ---- extended combo box ----

HV_PUBLISH(TComboBoxEx) {}

TComboBoxEx::TComboBoxEx(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(Left(), Top(), 145, 150);  // the window's height holds the dropped list
  InitCommonClass(ICC_USEREX_CLASSES);
}

const TComboBoxEx::TItem& TComboBoxEx::Item(int Index) const {
  if (Index < 0 || Index >= ItemCount()) IndexError(Index);
  return items_[static_cast<size_t>(Index)];
}

WideString TComboBoxEx::Items(int Index) const { return Item(Index).Caption; }

int TComboBoxEx::ItemImageIndex(int Index) const { return Item(Index).ImageIndex; }

void TComboBoxEx::AddItem(const WideString& Caption, int ImageIndex) {
  items_.push_back({Caption, ImageIndex});
  if (HandleAllocated()) InsertIntoWindow(ItemCount() - 1);
}

void TComboBoxEx::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  CreateSubClass(Params, WC_COMBOBOXEXW);
  Params.Style |= CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP;
}

void TComboBoxEx::CreateWnd() {
  inherited::CreateWnd();
  for (int i = 0; i < ItemCount(); ++i) InsertIntoWindow(i);
}

void TComboBoxEx::InsertIntoWindow(int Index) {
  const TItem& source = items_[static_cast<size_t>(Index)];
  COMBOBOXEXITEMW item{};
  item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
  item.iItem = Index;
  item.pszText = const_cast<wchar_t*>(source.Caption.c_str());
  item.iImage = item.iSelectedImage = source.ImageIndex;
  SendMessageW(Handle(), CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

// ---- tool button ----

namespace {
constexpr int toolButtonId = 1;
}  // namespace

HV_PUBLISH(TToolButton) { p.Prop("ImageIndex", &T::ImageIndex, &T::SetImageIndex).Default(-1); }

TToolButton::TToolButton(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(Left(), Top(), 23, 22);
  InitCommonClass(ICC_BAR_CLASSES);
}

void TToolButton::SetImageIndex(int Value) {
  if (Value == imageIndex_) return;
  imageIndex_ = Value;
  UpdateButton();
}

void TToolButton::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  CreateSubClass(Params, TOOLBARCLASSNAMEW);
  Params.Style |= TBSTYLE_FLAT | TBSTYLE_LIST | CCS_NORESIZE | CCS_NODIVIDER | CCS_NOPARENTALIGN;
}

void TToolButton::CreateWnd() {
  inherited::CreateWnd();
  SendMessageW(Handle(), TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  const WideString text = GetText();
  TBBUTTON button{};
  button.iBitmap = imageIndex_ >= 0 ? imageIndex_ : I_IMAGENONE;
  button.idCommand = toolButtonId;
  button.fsState = TBSTATE_ENABLED;
  button.fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE | BTNS_SHOWTEXT;
  button.iString = reinterpret_cast<INT_PTR>(text.c_str());
  SendMessageW(Handle(), TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&button));
}

void TToolButton::CMTextChanged(TMessage& Message) {
  inherited::CMTextChanged(Message);
  UpdateButton();
}

void TToolButton::ActionChange(TObject* Sender, bool CheckDefaults) {
  inherited::ActionChange(Sender, CheckDefaults);
  if (auto* action = dynamic_cast<TCustomAction*>(Sender); action && (!CheckDefaults || imageIndex_ == -1))
    SetImageIndex(action->ImageIndex());
}

void TToolButton::UpdateButton() {
  if (!HandleAllocated()) return;
  WideString text = GetText();
  TBBUTTONINFOW info{};
  info.cbSize = sizeof info;
  info.dwMask = TBIF_TEXT | TBIF_IMAGE;
  info.pszText = text.data();
  info.iImage = imageIndex_ >= 0 ? imageIndex_ : I_IMAGENONE;
  SendMessageW(Handle(), TB_SETBUTTONINFOW, toolButtonId, reinterpret_cast<LPARAM>(&info));
}
