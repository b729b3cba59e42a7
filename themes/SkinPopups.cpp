// The skinned popup windows and popup menu, the compound control, the status toolbar with its
// size grip, and the themed system menu.
#include <memory>

#include "framework/Application.h"
#include "framework/Forms.h"
#include "framework/Screen.h"
#include "framework/ScopeGuards.h"
#include "themes/SkinTitleBar.h"
#include "themes/SkinToolbar.h"

HV_PUBLISH(TSkinChevronItem) {}
HV_PUBLISH(TSkinPopupWindowView) {}
HV_PUBLISH(TSkinPopupWindow) {}
HV_PUBLISH(TSkinChevronPopupWindow) {}
HV_PUBLISH(TSkinPopupMenu) { p.Event("OnInitPopup", &T::OnInitPopup); }
HV_PUBLISH(TSkinCompoundItemsControl) { p.Prop("Images", &T::Images, &T::SetImages); }
HV_PUBLISH(TSkinStatusToolbar) { p.Prop("SizeGrip", &T::SizeGrip, &T::SetSizeGrip).Default(true); }

// ---- popup windows ----

TBarPopupWindowClass TSkinChevronItem::PopupWindowClass() { return &MakeBarPopupWindow<TSkinChevronPopupWindow>; }

void TSkinPopupWindow::CreatePopupWindow(TBarView* AParentView, TBarCustomItem* AItem, bool ACustomizing) {
  TUiPopupWindow::CreatePopupWindow(AParentView, AItem, ACustomizing);
  item_ = AItem;
  if (auto* skin = dynamic_cast<TSkinCustomItem*>(AItem); skin && skin->ToolbarStylePopup()) View()->SetIsToolbar(true);
}

TSkinPopupWindow::~TSkinPopupWindow() {
  auto* skin = dynamic_cast<TSkinCustomItem*>(item_);
  if (!skin || !skin->OnClosePopup || !View()) return;
  const TBarDoneActionData& done = View()->GetRootView()->DoneActionData();
  TBarCustomItem* clicked = done.DoneAction == tbdaClickItem ? done.ClickItem : nullptr;
  try {
    skin->OnClosePopup(skin, clicked);
  } catch (...) {
    // A destructor lets nothing through; the handler's failure has no one to go to.
  }
}

void TSkinChevronPopupWindow::CreatePopupWindow(TBarView* AParentView, TBarCustomItem* AItem, bool ACustomizing) {
  TUiChevronPopupWindow::CreatePopupWindow(AParentView, AItem, ACustomizing);
  auto* toolbar = AParentView ? dynamic_cast<TSkinToolbar*>(AParentView->Window()) : nullptr;
  if (toolbar && toolbar->ChevronVertical()) View()->SetIsToolbar(false);
}

// ---- the popup menu ----

void TSkinPopupMenu::Popup(int X, int Y) { InternalPopup(X, Y, false, nullptr); }

void TSkinPopupMenu::DoInitPopup(TBarView* PopupView) {
  if (OnInitPopup) OnInitPopup(this, PopupView);
}

TBarCustomItem* TSkinPopupMenu::InternalPopup(int X, int Y, bool, TControl* PopupControl) {
  TPoint at{X, Y};
  int alignment = Alignment() == paRight ? 1 : Alignment() == paCenter ? 2 : 0;
  TRect along;
  if (PopupControl) {
    // Along the control as along a toolbar button: below it, or above it where there is no
    // room below, never over it.
    TPoint origin = PopupControl->Parent()
                        ? PopupControl->Parent()->ClientToScreen({PopupControl->Left(), PopupControl->Top()})
                        : PopupControl->ClientToScreen({0, 0});
    along = {origin.X, origin.Y, origin.X + PopupControl->Width(), origin.Y + PopupControl->Height()};
    at = {alignment == 1 ? along.Right : alignment == 2 ? (along.Left + along.Right) / 2 : along.Left, along.Bottom};
  }
  auto* root = dynamic_cast<TUiRootItem*>(Items());
  if (root) root->PopupRect = along;
  TScopeExit forget([root] {
    if (root) root->PopupRect = {};
  });
  SetPopupPoint(at);
  TBarDoneActionData done;
  {
    TBarModalHandler handler(nullptr);
    std::unique_ptr<TBarPopupWindow> popup(Items()->CreatePopup(nullptr, nullptr, false, false, false, at, alignment));
    if (popup) {
      handler.SetRootPopup(popup.get());
      TBarPopupView* view = popup->View();
      view->SetState(view->State() + vstSkipFirstMouseUp);
      DoInitPopup(view);
      handler.Loop(view, false, false, false, TrackButton() == tbRightButton);
      done = view->DoneActionData();
      view->SetState(view->State() - vstModal);
    }
  }
  TBarCustomItem* chosen = ProcessDoneAction(done, true);
  if (chosen) chosen->Click();
  // A drop-down button that opened the menu hears that it closed.
  if (auto* win = dynamic_cast<TWinControl*>(PopupControl); win && win->HandleAllocated()) {
    PostMessageW(win->Handle(), WM_SKINPOPUPCLOSED, reinterpret_cast<WPARAM>(this), 0);
    for (int i = 0; i < win->ControlCount(); ++i)
      if (auto* child = dynamic_cast<TWinControl*>(win->Controls(i)); child && child->HandleAllocated())
        PostMessageW(child->Handle(), WM_SKINPOPUPCLOSED, reinterpret_cast<WPARAM>(this), 0);
  }
  return chosen;
}

// ---- the compound control ----

TSkinCompoundItemsControl::TSkinCompoundItemsControl(TComponent* AOwner) : TCustomControl(AOwner) {
  SetBounds(0, 0, 200, 26);
}

TSkinCompoundItemsControl::~TSkinCompoundItemsControl() {
  // The items belong to their owners; the toolbar lets go of them before anything is freed.
  if (!toolbar_) return;
  toolbar_->BeginUpdate();  // no layout while going away
  for (int i = toolbar_->Items()->Count(); i-- > 0;) toolbar_->Items()->Delete(i);
}

TSkinDock* TSkinCompoundItemsControl::CreateDock() { return new TSkinDock(this); }
TSkinToolbar* TSkinCompoundItemsControl::CreateToolbar() { return new TSkinToolbar(this); }

void TSkinCompoundItemsControl::MakeParts() {
  if (dock_) return;
  dock_ = CreateDock();
  dock_->SetParent(this);
  dock_->SetAlign(alTop);
  toolbar_ = CreateToolbar();
  toolbar_->SetCompound(true);
  toolbar_->SetBorderStyle(bsNone);
  toolbar_->SetDragHandleStyle(dhNone);
  toolbar_->SetDockMode(dmCannotFloatOrChangeDocks);
  toolbar_->SetShowCaption(false);
  toolbar_->SetStretch(true);
  toolbar_->SetCurrentDock(dock_);
  toolbar_->SetParent(dock_);
}

TSkinDock* TSkinCompoundItemsControl::Dock() {
  MakeParts();
  return dock_;
}
TSkinToolbar* TSkinCompoundItemsControl::Toolbar() {
  MakeParts();
  return toolbar_;
}
TBarRootItem* TSkinCompoundItemsControl::Items() { return Toolbar()->Items(); }
TCustomImageList* TSkinCompoundItemsControl::Images() { return Toolbar()->Images(); }
void TSkinCompoundItemsControl::SetImages(TCustomImageList* Value) { Toolbar()->SetImages(Value); }

void TSkinCompoundItemsControl::CreateWnd() {
  TCustomControl::CreateWnd();
  MakeParts();
}

void TSkinCompoundItemsControl::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  // The class carries the styles: a designed control keeps the whole repaint at a new size under
  // a class of its own, so that a running one registered first does not take it away.
  if (ComponentState().Contains(csDesigning)) {
    Params.WindowClass.style |= CS_HREDRAW | CS_VREDRAW;
    Params.WinClassName += L".Designed";
  } else {
    Params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
  }
}

void TSkinCompoundItemsControl::Loaded() {
  TCustomControl::Loaded();
  if (!toolbar_) return;
  // Controls read into the control belong on the private toolbar, beside their items.
  for (int i = 0; i < Items()->Count(); ++i)
    if (auto* ci = dynamic_cast<TBarControlItem*>(Items()->Items(i)); ci && ci->Control())
      ci->Control()->SetParent(toolbar_);
}

void TSkinCompoundItemsControl::RepaintAll() {
  if (ComponentState().Contains(csDestroying) || !HandleAllocated()) return;
  RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TSkinCompoundItemsControl::WndProc(TMessage& Message) {
  TCustomControl::WndProc(Message);
  if (Message.Msg == UM_THEMECHANGE && Message.WParam == 3 && HandleAllocated()) RepaintAll();
}

// ---- the status toolbar ----

TSkinStatusToolbar::TSkinStatusToolbar(TComponent* AOwner) : TSkinToolbar(AOwner) {}

void TSkinStatusToolbar::SetSizeGrip(bool Value) {
  if (Value == sizeGrip_) return;
  sizeGrip_ = Value;
  RightAlignItems();
  Invalidate();
}

bool TSkinStatusToolbar::GripShown() {
  if (!sizeGrip_) return false;
  TCustomForm* form = GetParentForm(this);
  if (!form) return false;
  TFormBorderStyle border = form->BorderStyle();
  bool sizable = border == bsSizeable || border == bsSizeToolWin;
  // A form framed by an active title bar of its own is sized through it unless that is fixed.
  for (int i = 0; i < form->ControlCount() && !sizable; ++i)
    if (auto* title = dynamic_cast<TSkinTitleBar*>(form->Controls(i))) sizable = title->Active() && !title->FixedSize();
  return sizable && form->WindowState() != wsMaximized;
}

TRect TSkinStatusToolbar::GripRect() {
  if (!GripShown()) return {};
  TRect client = ClientRect();
  int w = GetSystemMetrics(SM_CXVSCROLL);
  return {client.Right - w, client.Top, client.Right, client.Bottom};
}

int TSkinStatusToolbar::GetRightAlignMargin() { return GripShown() ? GetSystemMetrics(SM_CXVSCROLL) : 4; }

void TSkinStatusToolbar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && GripRect().Contains({X, Y})) {
    if (TCustomForm* form = GetParentForm(this); form && form->HandleAllocated()) {
      ReleaseCapture();
      SendMessageW(form->Handle(), WM_SYSCOMMAND, SC_SIZE + WMSZ_BOTTOMRIGHT, 0);
    }
    return;
  }
  TSkinToolbar::MouseDown(Button, Shift, X, Y);
}

void TSkinStatusToolbar::WndProc(TMessage& Message) {
  if (Message.Msg == WM_SETCURSOR && HandleAllocated()) {
    POINT p;
    GetCursorPos(&p);
    ::ScreenToClient(Handle(), &p);
    if (GripRect().Contains({p.x, p.y})) {
      ::SetCursor(LoadCursorW(nullptr, IDC_SIZENWSE));
      Message.Result = 1;
      return;
    }
  }
  TSkinToolbar::WndProc(Message);
  if (Message.Msg == WM_PAINT && HandleAllocated() && CurrentTheme) {
    TRect grip = GripRect();
    if (!grip.IsEmpty()) {
      TWindowDC dc(Handle());
      TCanvas canvas;
      canvas.SetHandle(dc.Get());
      CurrentTheme->PaintStatusBar(&canvas, grip, 3);
      canvas.SetHandle(nullptr);
    }
  }
}

// ---- the themed system menu ----

namespace {

// A system-menu entry: its command is kept in Tag, its window in the menu's owner.
class TSkinSystemMenuItem : public TSkinItem {
 public:
  TSkinSystemMenuItem(TComponent* AOwner, HWND AWnd, UINT ACommand) : TSkinItem(AOwner), wnd_(AWnd) {
    SetTag(static_cast<int>(ACommand));
    OnClick = TNotifyEvent(this, &TSkinSystemMenuItem::Clicked);
  }

 private:
  void Clicked(TObject*) { RunSkinSystemCommand(wnd_, static_cast<UINT>(Tag())); }
  HWND wnd_;
};

void CopyMenu(HMENU Menu, HWND Wnd, TBarCustomItem* Into, TComponent* Owner) {
  int count = GetMenuItemCount(Menu);
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOW mi{};
    mi.cbSize = sizeof(mi);
    mi.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU;
    if (!GetMenuItemInfoW(Menu, static_cast<UINT>(i), TRUE, &mi)) continue;
    if (mi.fType & MFT_SEPARATOR) {
      Into->Add(new TSkinSeparatorItem(Owner));
      continue;
    }
    wchar_t text[256] = {};
    GetMenuStringW(Menu, static_cast<UINT>(i), text, 255, MF_BYPOSITION);
    TSkinCustomItem* item;
    if (mi.hSubMenu) {
      item = new TSkinSubmenuItem(Owner);
      CopyMenu(mi.hSubMenu, Wnd, item, Owner);
    } else {
      item = new TSkinSystemMenuItem(Owner, Wnd, mi.wID);
    }
    item->SetCaption(text);
    item->SetEnabled(!(mi.fState & (MFS_DISABLED | MFS_GRAYED)));
    item->SetChecked(mi.fState & MFS_CHECKED);
    if (mi.fState & MFS_DEFAULT) item->SetOptions(item->Options() + tboDefault);
    Into->Add(item);
  }
}

}  // namespace

void FillSkinSystemMenu(HWND Wnd, TSkinPopupMenu* Menu) {
  Menu->Items()->Clear();
  HMENU system = GetSystemMenu(Wnd, FALSE);
  if (!system) return;
  Menu->SetImages(SkinGlyphs());
  CopyMenu(system, Wnd, Menu->Items(), Menu);
  bool maximized = IsZoomed(Wnd), minimized = IsIconic(Wnd);
  LONG style = GetWindowLongW(Wnd, GWL_STYLE);
  for (int i = 0; i < Menu->Items()->Count(); ++i) {
    TBarCustomItem* item = Menu->Items()->Items(i);
    switch (static_cast<UINT>(item->Tag())) {
      case SC_CLOSE: item->SetImageIndex(0); break;
      case SC_MAXIMIZE:
        item->SetImageIndex(1);
        item->SetVisible(style & WS_MAXIMIZEBOX);
        item->SetEnabled(!maximized);
        break;
      case SC_MINIMIZE:
        item->SetImageIndex(2);
        item->SetVisible(style & WS_MINIMIZEBOX);
        item->SetEnabled(!minimized);
        break;
      case SC_RESTORE:
        item->SetImageIndex(3);
        item->SetVisible((style & WS_MAXIMIZEBOX) || (style & WS_MINIMIZEBOX));
        item->SetEnabled(maximized || minimized);
        break;
      case SC_MOVE:
      case SC_SIZE: item->SetEnabled(!maximized && !minimized); break;
      default: break;
    }
  }
}

void RunSkinSystemCommand(HWND Wnd, UINT Command) {
  TCustomForm* form = nullptr;
  if (Screen)
    for (int i = 0; i < Screen->FormCount(); ++i)
      if (Screen->Forms(i)->HandleAllocated() && Screen->Forms(i)->Handle() == Wnd) form = Screen->Forms(i);
  if (form && (Command == SC_MAXIMIZE || Command == SC_RESTORE)) {
    form->SetWindowState(Command == SC_MAXIMIZE ? wsMaximized : wsNormal);
    return;
  }
  SendMessageW(Wnd, WM_SYSCOMMAND, Command, 0);
}
