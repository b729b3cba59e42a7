// Popup windows: every open sub-menu is a top-level window showing a popup view, placed beside
// or below its parent item on the right monitor. While a menu is open a modal handler runs a
// private message loop that owns the mouse; what the menu chose runs after it closed.
#pragma once

#include <memory>

#include "framework/Menus.h"
#include "toolbars/BarAnim.h"
#include "toolbars/BarView.h"

// Where a popup goes: filled by CreatePopup, adjusted by the item's GetPopupPosition.
struct TBarPopupPositionRec {
  bool PositionAsSubmenu = false;  // beside the parent item rather than below it
  int Alignment = 0;               // without parent view: 0 left, 1 right, 2 centre of the point
  bool Opposite = false;           // the parent view opens its sub-menus to the left
  TRect MonitorRect;
  TRect ParentItemRect;  // screen coordinates; the empty rectangle at a popup point
  int NCSizeX = 0, NCSizeY = 0;
  int X = 0, Y = 0, W = 0, H = 0;
  TBarAnimateDirections AnimateDirections = 0;
  bool PlaySound = true;
};

// The plain placement rule. ParentView may be null (a popup at a point); its viewers count as
// covered when the candidate window holds their whole rectangle. OpenLeft tells that the popup
// opened to the left of its parent.
void CalcPopupPosition(TBarView* ParentView, TBarPopupPositionRec& Rec, bool& OpenLeft);

// Sent to a popup before it animates (wParam 1: a non-zero answer shows it plainly); posted
// after a plain show (wParam 3) and after an animation finished (wParam 2).
constexpr UINT WM_BAR_POPUPNOTICE = 1578;

// Ways RunToolbarMenuLoop starts.
constexpr int tbmlMouseDown = 1;
constexpr int tbmlExecuteSelected = 2;
constexpr int tbmlNoPromote = 4;

class TBarPopupWindow : public TCustomControl {
  HV_CLASS(TBarPopupWindow, TCustomControl)
 public:
  explicit TBarPopupWindow(TComponent* AOwner);
  ~TBarPopupWindow() override;
  // Makes the view; called once right after construction (the view's class is virtual).
  virtual void CreatePopupWindow(TBarView* AParentView, TBarCustomItem* AItem, bool ACustomizing);
  TBarPopupView* View() const { return view_; }
  TBarAnimateDirections AnimateDirections() const { return animateDirections_; }
  void SetAnimateDirections(TBarAnimateDirections Value) { animateDirections_ = Value; }
  virtual TSize GetBorderSize() { return {3, 3}; }
  void WndProc(TMessage& Message) override;

 protected:
  virtual TBarPopupView* GetViewClass(TBarView* AParentView, TBarCustomItem* AItem, bool ACustomizing);
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWindowHandle() override;
  void Paint() override;
  virtual void PaintScrollArrows();
  void CMShowingChanged(TMessage& Message) override;
  void WMEraseBkgnd(TMessage& Message) override;
  void WMPaint(TMessage& Message) override;
  void WMPrint(TMessage& Message) override;
  void WMPrintClient(TMessage& Message) override;

 private:
  static void PaintBorder(HWND Wnd, HDC DC, void* AppData);
  bool ShouldAnimate();
  bool accelStateInitialised_ = false;
  TBarAnimateDirections animateDirections_ = 0;
  TBarPopupView* view_ = nullptr;
};

template <class W>
TBarPopupWindow* MakeBarPopupWindow(TComponent* AOwner, TBarView* AParentView, TBarCustomItem* AItem,
                                    bool ACustomizing) {
  auto* window = new W(AOwner);
  try {
    window->CreatePopupWindow(AParentView, AItem, ACustomizing);
  } catch (...) {
    delete window;
    throw;
  }
  return window;
}

// Owns the mouse while a menu is open and runs the menu's message loop.
class TBarModalHandler : public TObject {
  HV_CLASS(TBarModalHandler, TObject)
 public:
  // ExistingWnd takes the capture (a toolbar's window); null makes a hidden window for it.
  explicit TBarModalHandler(HWND ExistingWnd);
  ~TBarModalHandler() override;
  void Loop(TBarView* RootView, bool AMouseDown, bool AExecuteSelected, bool ANoPromote, bool TrackRightButton);
  HWND Wnd() const { return wnd_; }
  TBarPopupWindow* RootPopup() const { return rootPopup_; }
  void SetRootPopup(TBarPopupWindow* Value) { rootPopup_ = Value; }

 private:
  static LRESULT CALLBACK OwnWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  // The system cancelled the modal state (WM_CANCELMODE): the menu ends and its popups hide.
  void CancelModal();
  void HandleMessage(TBarView* RootView, MSG& Msg, bool TrackRightButton);
  void UpdateSelections(TBarView* RootView, const TPoint& P);
  bool ownsWnd_ = false;
  bool started_ = false;
  HWND wnd_ = nullptr;
  HWND focus_ = nullptr;
  TBarPopupWindow* rootPopup_ = nullptr;
  TPoint lastPos_;
  bool mouseDownOnMenu_ = false;
  unsigned buttonsHeld_ = 0;
  TBarView* rootView_ = nullptr;
};

// Runs what a finished menu chose; the clicked item (kind 2) or null.
TBarCustomItem* ProcessDoneAction(const TBarDoneActionData& DoneActionData, bool ReturnClickedItemOnly);

// Help asked for in a menu (Command HELP_CONTEXTPOPUP or HELP_CONTEXT); the program has no help
// files, so nothing happens until a procedure is put in place (null: nothing again).
using TBarHelpProc = void (*)(UINT Command, int Context);
void SetBarHelpProc(TBarHelpProc Proc);

// The context menu whose items are a tree of toolbar items.
class TBarPopupMenu : public TPopupMenu, public IBarItemsHolder {
  HV_CLASS(TBarPopupMenu, TPopupMenu)
 public:
  explicit TBarPopupMenu(TComponent* AOwner);
  ~TBarPopupMenu() override;
  void Popup(int X, int Y) override;
  TBarCustomItem* PopupAndReturn(int X, int Y, bool ReturnClickedItemOnly);
  bool IsShortCut(TShortCut ShortCut) override;

  TBarCustomItem* Items() const { return root_.get(); }
  // Form files keep the items inside the menu.
  TBarCustomItem* GetItems() override { return root_.get(); }
  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;
  TCustomImageList* Images() const { return root_->SubMenuImages(); }
  void SetImages(TCustomImageList* Value) { root_->SetSubMenuImages(Value); }
  TBarCustomItem* LinkSubitems() const { return root_->LinkSubitems(); }
  void SetLinkSubitems(TBarCustomItem* Value) { root_->SetLinkSubitems(Value); }
  TBarItemOptions Options() const { return root_->Options(); }
  void SetOptions(TBarItemOptions Value) { root_->SetOptions(Value); }

 protected:
  // Subclasses give a root of their own kind.
  TBarPopupMenu(TComponent* AOwner, std::unique_ptr<TBarCustomItem> ARoot);

 private:
  void RootClick(TObject* Sender);
  std::unique_ptr<TBarCustomItem> root_;
};
