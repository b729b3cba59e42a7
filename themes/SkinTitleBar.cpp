// The skinned title bar: its button items, the glyphs they show, sizing from its border, the
// themed system menu and the form's window procedure it hooks.
#include "themes/SkinTitleBar.h"

#include "framework/Forms.h"
#include "framework/Screen.h"

HV_PUBLISH(TSkinCompoundBar) { p.Event("OnDrawDockBackground", &T::OnDrawDockBackground); }
HV_PUBLISH(TSkinTitleToolbar) {}
HV_PUBLISH(TSkinTitleBarButtonOptions) {
  p.Prop("Caption", &T::Caption, &T::SetCaption).Default(true);
  p.Prop("Close", &T::Close, &T::SetClose).Default(true);
  p.Prop("Minimize", &T::Minimize, &T::SetMinimize).Default(true);
  p.Prop("Maximize", &T::Maximize, &T::SetMaximize).Default(true);
  p.Prop("SystemMenu", &T::SystemMenu, &T::SetSystemMenu).Default(true);
  p.Prop("CaptionImageIndex", &T::CaptionImageIndex, &T::SetCaptionImageIndex).Default(-1);
  p.Prop("CloseImageIndex", &T::CloseImageIndex, &T::SetCloseImageIndex).Default(-1);
  p.Prop("MinimizeImageIndex", &T::MinimizeImageIndex, &T::SetMinimizeImageIndex).Default(-1);
  p.Prop("MaximizeImageIndex", &T::MaximizeImageIndex, &T::SetMaximizeImageIndex).Default(-1);
  p.Prop("RestoreImageIndex", &T::RestoreImageIndex, &T::SetRestoreImageIndex).Default(-1);
  p.Prop("SystemImageIndex", &T::SystemImageIndex, &T::SetSystemImageIndex).Default(-1);
  p.Prop("TitleBarSize", &T::TitleBarSize, &T::SetTitleBarSize).Default(17);
  p.Prop("ButtonBorders", &T::ButtonBorders, &T::SetButtonBorders).Default(false);
}
HV_PUBLISH(TSkinTitleBar) {
  p.Prop("Active", &T::Active, &T::SetActive).Default(true);
  p.Prop("FixedSize", &T::FixedSize, &T::SetFixedSize).Default(false);
  p.Prop("FullScreenMaximize", &T::FullScreenMaximize, &T::SetFullScreenMaximize).Default(false);
  p.Prop("UiStyleBackground", &T::UiStyleBackground, &T::SetUiStyleBackground).Default(false);
  p.Event("OnDrawBackground", &T::OnDrawBackground);
  p.Event("OnSystemMenuPopup", &T::OnSystemMenuPopup);
}

// ---- the compound bar ----

TSkinDock* TSkinCompoundBar::CreateDock() {
  TSkinDock* dock = TSkinCompoundItemsControl::CreateDock();
  dock->OnDrawBackground = TSkinDrawEvent(this, &TSkinCompoundBar::DockBackground);
  dock->OnResize = TNotifyEvent(this, &TSkinCompoundBar::DockResized);
  return dock;
}

void TSkinCompoundBar::DoDrawDockBackground(TCanvas* ACanvas, const TRect& ARect, TSkinPaintStage PaintStage,
                                            bool& PaintDefault) {
  if (OnDrawDockBackground) OnDrawDockBackground(this, ACanvas, ARect, PaintStage, PaintDefault);
}

void TSkinCompoundBar::DockBackground(TObject*, TCanvas* ACanvas, TRect ARect, TSkinPaintStage PaintStage,
                                      bool& PaintDefault) {
  // The bar draws both of its stages at the dock's first one, on a face-coloured brush.
  if (PaintStage != pstPrePaint) return;
  ACanvas->Brush()->SetColor(clBtnFace);
  bool own = true;
  DoDrawDockBackground(ACanvas, ARect, pstPrePaint, own);
  PaintDefault = own;
  bool post = true;
  DoDrawDockBackground(ACanvas, ARect, pstPostPaint, post);
}

void TSkinCompoundBar::DockResized(TObject* Sender) {
  auto* dock = static_cast<TSkinDock*>(Sender);
  if (dock->Height() != Height()) SetHeight(dock->Height());
}

// ---- the button options ----

namespace {
constexpr int kGlyphClose = 0, kGlyphMaximize = 1, kGlyphMinimize = 2, kGlyphRestore = 3;
}

TSkinItem* TSkinTitleBarButtonOptions::MakeButton() {
  auto* item = new TSkinItem(titleBar_);
  item->SetCustomWidth(17);
  item->SetCustomHeight(titleBarSize_);
  item->SetDisplayMode(nbdmImageAndText);
  item->SetImages(SkinGlyphs());
  item->OnClick = TNotifyEvent(this, &TSkinTitleBarButtonOptions::ButtonClick);
  item->OnDrawItem = TSkinDrawItemEvent(this, &TSkinTitleBarButtonOptions::ButtonDrawItem);
  item->OnDrawImage = TSkinDrawImageEvent(this, &TSkinTitleBarButtonOptions::ButtonDrawImage);
  return item;
}

void TSkinTitleBarButtonOptions::Rebuild() {
  TBarRootItem* items = titleBar_->Items();
  for (TSkinItem** item : {&captionItem_, &minimizeItem_, &maximizeItem_, &closeItem_})
    if (*item) {
      items->Remove(*item);
      delete *item;
      *item = nullptr;
    }
  for (int i = items->Count(); i-- > 0;)
    if (auto* spacer = dynamic_cast<TSkinRightAlignSpacerItem*>(items->Items(i))) {
      items->Remove(spacer);
      delete spacer;
    }
  if (caption_) {
    captionItem_ = new TSkinItem(titleBar_);
    captionItem_->FontSettings()->SetBold(tsTrue);
    captionItem_->SetWrapping(twEndEllipsis);
    captionItem_->SetAlignment(taLeftJustify);
    captionItem_->SetCustomHeight(titleBarSize_);
    if (TCustomForm* form = titleBar_->Form()) captionItem_->SetCaption(form->Caption());
    items->Add(captionItem_);
  }
  items->Add(new TSkinRightAlignSpacerItem(titleBar_));
  // Each button shows an image: its own when one is set, else the glyph.
  if (minimize_) items->Add(minimizeItem_ = MakeButton());
  if (maximize_) items->Add(maximizeItem_ = MakeButton());
  if (close_) items->Add(closeItem_ = MakeButton());
  for (TSkinItem* b : {minimizeItem_, maximizeItem_, closeItem_})
    if (b) {
      TCustomImageList* list;
      int index;
      ButtonImage(b, list, index);
      b->SetImageIndex(index);
    }
}

void TSkinTitleBarButtonOptions::ButtonImage(TSkinItem* Button, TCustomImageList*& List, int& Index) {
  TCustomForm* form = titleBar_->Form();
  bool maximized = form && form->WindowState() == wsMaximized;
  int own = -1, glyph = kGlyphClose;
  if (Button == minimizeItem_) {
    own = minimizeImage_;
    glyph = kGlyphMinimize;
  } else if (Button == maximizeItem_) {
    own = maximized ? restoreImage_ : maximizeImage_;
    glyph = maximized ? kGlyphRestore : kGlyphMaximize;
  } else if (Button == closeItem_) {
    own = closeImage_;
  }
  TCustomImageList* images = titleBar_->Images();
  if (own >= 0 && images) {
    List = images;
    Index = own;
  } else {
    List = SkinGlyphs();
    Index = glyph;
  }
}

void TSkinTitleBarButtonOptions::ButtonClick(TObject* Sender) {
  TCustomForm* form = titleBar_->Form();
  if (!form) return;
  if (Sender == minimizeItem_) {
    if (form->HandleAllocated()) SendMessageW(form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  } else if (Sender == maximizeItem_) {
    form->SetWindowState(form->WindowState() == wsMaximized ? wsNormal : wsMaximized);
    Rebuild();
  } else if (Sender == closeItem_) {
    form->Close();
  }
}

void TSkinTitleBarButtonOptions::ButtonDrawItem(TObject*, TCanvas*, TRect, const TUiItemInfo&,
                                                TSkinPaintStage PaintStage, bool& PaintDefault) {
  if (PaintStage == pstPrePaint && !buttonBorders_ && GetCurrentThemeName() != "Default") PaintDefault = false;
}

void TSkinTitleBarButtonOptions::ButtonDrawImage(TObject* Sender, TCanvas*, const TUiItemInfo&,
                                                 TSkinPaintStage PaintStage, TCustomImageList*& AImageList,
                                                 int& AImageIndex, TRect&, bool&) {
  if (PaintStage == pstPrePaint) ButtonImage(static_cast<TSkinItem*>(Sender), AImageList, AImageIndex);
}

// ---- the title bar ----

TSkinTitleBar::TSkinTitleBar(TComponent* AOwner)
    : TSkinCompoundBar(AOwner), options_(std::make_unique<TSkinTitleBarButtonOptions>(this)) {
  form_ = dynamic_cast<TCustomForm*>(AOwner);
  SetAlign(alClient);
  // The title bar covers its form: its height is the form's, not its dock's.
  Dock()->OnResize = TNotifyEvent();
  Hook();
  options_->Rebuild();
}

TSkinTitleBar::~TSkinTitleBar() { Unhook(); }

TSkinToolbar* TSkinTitleBar::CreateToolbar() { return new TSkinTitleToolbar(this); }

void TSkinTitleBar::Hook() {
  if (!form_ || savedProc_) return;
  savedProc_ = form_->WindowProc;
  form_->WindowProc = TWndMethod(this, &TSkinTitleBar::FormWndProc);
}

void TSkinTitleBar::Unhook() {
  if (!form_ || !savedProc_) return;
  if (form_->WindowProc == TWndMethod(this, &TSkinTitleBar::FormWndProc)) form_->WindowProc = savedProc_;
  savedProc_ = nullptr;
}

void TSkinTitleBar::SetActive(bool Value) {
  if (Value == active_) return;
  active_ = Value;
  if (form_ && form_->HandleAllocated() && active_)
    SetWindowLongW(form_->Handle(), GWL_STYLE, GetWindowLongW(form_->Handle(), GWL_STYLE) | WS_SYSMENU);
}

void TSkinTitleBar::CreateWnd() {
  TSkinCompoundBar::CreateWnd();
  if (form_ && form_->HandleAllocated() && active_)
    SetWindowLongW(form_->Handle(), GWL_STYLE, GetWindowLongW(form_->Handle(), GWL_STYLE) | WS_SYSMENU);
}

int TSkinTitleBar::SizingCommandAt(const TPoint& P, TCursor* Cursor) {
  if (Cursor) *Cursor = crDefault;
  if (!active_ || fixedSize_ || (form_ && form_->WindowState() == wsMaximized)) return 0;
  const int border = 4;
  bool left = P.X < border, right = P.X >= Width() - border;
  bool top = P.Y < border, bottom = P.Y >= Height() - border;
  int edge = 0;
  TCursor cursor = crDefault;
  if (top && left)
    edge = WMSZ_TOPLEFT, cursor = crSizeNWSE;
  else if (top && right)
    edge = WMSZ_TOPRIGHT, cursor = crSizeNESW;
  else if (bottom && left)
    edge = WMSZ_BOTTOMLEFT, cursor = crSizeNESW;
  else if (bottom && right)
    edge = WMSZ_BOTTOMRIGHT, cursor = crSizeNWSE;
  else if (left)
    edge = WMSZ_LEFT, cursor = crSizeWE;
  else if (right)
    edge = WMSZ_RIGHT, cursor = crSizeWE;
  else if (top)
    edge = WMSZ_TOP, cursor = crSizeNS;
  else if (bottom)
    edge = WMSZ_BOTTOM, cursor = crSizeNS;
  if (!edge) return 0;
  if (Cursor) *Cursor = cursor;
  return SC_SIZE + edge;
}

void TSkinTitleBar::MouseMove(TShiftState Shift, int X, int Y) {
  TCursor cursor;
  SizingCommandAt({X, Y}, &cursor);
  SetCursor(cursor);
  TSkinCompoundBar::MouseMove(Shift, X, Y);
}

void TSkinTitleBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  int command = Button == mbLeft ? SizingCommandAt({X, Y}) : 0;
  if (command && form_ && form_->HandleAllocated()) {
    ReleaseCapture();
    SendMessageW(form_->Handle(), WM_SYSCOMMAND, static_cast<WPARAM>(command), 0);
    return;
  }
  TSkinCompoundBar::MouseDown(Button, Shift, X, Y);
}

void TSkinTitleBar::ShowSystemMenu(const TPoint& P) {
  if (!form_ || !form_->HandleAllocated() || !options_->SystemMenu()) return;
  TSkinPopupMenu menu(nullptr);
  FillSkinSystemMenu(form_->Handle(), &menu);
  if (OnSystemMenuPopup) OnSystemMenuPopup(this, &menu);
  menu.InternalPopup(P.X, P.Y, true);
}

void TSkinTitleBar::FormWndProc(TMessage& Message) {
  if (active_ && form_ && form_->HandleAllocated()) {
    switch (Message.Msg) {
      case WM_SYSCOMMAND:
        // The window menu asked for with Alt+Space is the themed one.
        if ((Message.WParam & 0xFFF0) == SC_KEYMENU && Message.LParam == L' ') {
          ShowSystemMenu(ClientToScreen({0, Height() > 0 ? std::min(Height(), options_->TitleBarSize()) : 0}));
          Message.Result = 0;
          return;
        }
        break;
      case WM_GETMINMAXINFO:
        if (!fullScreenMaximize_) {
          savedProc_(Message);
          RECT work{};
          SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
          auto* info = reinterpret_cast<MINMAXINFO*>(Message.LParam);
          info->ptMaxPosition = {work.left, work.top};
          info->ptMaxSize = {work.right - work.left, work.bottom - work.top};
          return;
        }
        break;
      default: break;
    }
  }
  if (savedProc_) savedProc_(Message);
}
