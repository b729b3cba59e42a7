// The skinned toolbar: display modes, item drag and drop while customizing, hints and
// accelerators, anchored and right-aligned items, background events and clicks on labels.
#include "themes/SkinToolbar.h"

#include "controls/UcControls.h"
#include "foundation/UcStringLists.h"
#include "framework/Application.h"
#include "framework/DragDrop.h"
#include "framework/Forms.h"
#include "framework/GdiHandles.h"
#include "themes/UiUtils.h"

HV_PUBLISH(TSkinToolbarView) {}
HV_PUBLISH(TSkinItemDragObject) {}
HV_PUBLISH(TSkinToolbar) {
  p.Prop("Caption", &T::Caption, &T::SetCaption);
  p.Prop("Hint", &T::Hint, &T::SetHint);
  p.Prop("Customizable", &T::Customizable, &T::SetCustomizable).Default(true);
  p.Prop("ChevronVertical", &T::ChevronVertical, &T::SetChevronVertical).Default(true);
  p.Prop("DisplayMode", &T::DisplayMode, &T::SetDisplayMode).Default(tbdmSelectiveCaption);
  p.Event("OnDrawBackground", &T::OnDrawBackground);
  p.Event("OnItemNotification", &T::OnItemNotification);
}

namespace {
TRect Union(const TRect& A, const TRect& B) {
  if (A.IsEmpty()) return B;
  return {std::min(A.Left, B.Left), std::min(A.Top, B.Top), std::max(A.Right, B.Right), std::max(A.Bottom, B.Bottom)};
}
}  // namespace

void TSkinToolbarView::SetMaxItemSize(int Value) {
  if (Value == maxItemSize_) return;
  maxItemSize_ = Value;
  InvalidateLayout();
}

TCursor TSkinItemDragObject::GetDragCursor(bool Accepted, int, int) { return Accepted ? crSkinItemMove : crNo; }

// ---- the toolbar ----

namespace {
TBarToolbarView* makeSkinView(TBarCustomToolbar* AToolbar, TBarRootItem* ARoot, bool AUsePriorityList) {
  return new TSkinToolbarView(AToolbar, nullptr, ARoot, AToolbar, true, false, AUsePriorityList);
}
}  // namespace

TSkinToolbar::TSkinToolbar(TComponent* AOwner)
    : TUiToolbar(AOwner, std::make_unique<TUiRootItem>(nullptr), std::make_unique<TSkinChevronItem>(nullptr),
                 &makeSkinView) {
  RegisterSkinCursors();
  Items()->RegisterNotification(TBarItemChangeHandler(this, &TSkinToolbar::ItemsChanged));
}

TSkinToolbar::~TSkinToolbar() {
  if (Items()) Items()->UnregisterNotification(TBarItemChangeHandler(this, &TSkinToolbar::ItemsChanged));
}

WideString TSkinToolbar::Caption() { return UcControl_GetText(this); }
void TSkinToolbar::SetCaption(const WideString& Value) { UcControl_SetText(this, Value); }
WideString TSkinToolbar::Hint() { return UcControl_GetHint(this); }
void TSkinToolbar::SetHint(const WideString& Value) { UcControl_SetHint(this, Value); }

void TSkinToolbar::DefineProperties(TFiler* Filer) {
  TUiToolbar::DefineProperties(Filer);
  DefineWideStringProperties(Filer, this);
}

void TSkinToolbar::SetDisplayMode(TSkinToolbarDisplayMode Value) {
  if (Value == displayMode_) return;
  displayMode_ = Value;
  TBarItemOptions o = Options();
  if (Value == tbdmImageAboveCaption)
    o = o + TBarItemOptions{tboImageAboveCaption, tboSameWidth};
  else
    o = o - TBarItemOptions{tboImageAboveCaption, tboSameWidth};
  SetOptions(o);
  View()->InvalidateLayout();
}

int TSkinToolbar::GetDropIndex(const TPoint& P, TRect& Mark) {
  Mark = {};
  TBarView* view = View();
  TBarItemViewer* under = view->ViewerFromPoint(P);
  if (!under) return -1;
  // An item shown inline from a group stands for the whole group.
  TBarCustomItem* top = under->Item();
  while (top->Parent() && top->Parent() != Items()) top = top->Parent();
  int index = Items()->IndexOf(top);
  if (index < 0) return -1;
  TRect bounds;
  for (int i = 0; i < view->ViewerCount(); ++i) {
    TBarItemViewer* v = view->Viewers(i);
    if (!v->Show()) continue;
    for (TBarCustomItem* it = v->Item(); it; it = it->Parent())
      if (it == top) {
        bounds = Union(bounds, v->BoundsRect());
        break;
      }
  }
  bool vertical = view->Orientation() == orVertical;
  bool after = vertical ? P.Y > (bounds.Top + bounds.Bottom) / 2 : P.X > (bounds.Left + bounds.Right) / 2;
  if (after) ++index;
  TRect client = ClientRect();
  if (vertical) {
    int y = after ? bounds.Bottom : bounds.Top;
    Mark = {client.Left, y - 2, client.Right, y + 2};
  } else {
    int x = after ? bounds.Right : bounds.Left;
    Mark = {x - 2, client.Top, x + 2, client.Bottom};
  }
  return index;
}

void TSkinToolbar::InvalidateMark() {
  if (!dropMark_.IsEmpty() && HandleAllocated()) {
    RECT r = ToRECT(dropMark_);
    InvalidateRect(Handle(), &r, TRUE);
  }
}

void TSkinToolbar::DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept) {
  TUiToolbar::DragOver(Source, X, Y, State, Accept);
  Accept = IsCustomizing() && customizable_ && dynamic_cast<TSkinItemDragObject*>(Source);
  TRect mark;
  if (Accept && State != dsDragLeave) GetDropIndex({X, Y}, mark);
  if (mark == dropMark_) return;
  InvalidateMark();
  dropMark_ = mark;
  if (dropMark_.IsEmpty() || !HandleAllocated()) return;
  // An I-beam, the bar and the serifs at both ends, in the text colour of the buttons so that
  // it stands out over any face.
  TWindowDC dc(Handle());
  TBrushHandle brush(CreateSolidBrush(ColorToRGB(clBtnText)));
  const TRect& m = dropMark_;
  bool vertical = View()->Orientation() == orVertical;
  RECT parts[5];
  if (vertical) {
    int cy = (m.Top + m.Bottom) / 2;
    parts[0] = {m.Left, cy - 1, m.Right, cy + 1};
    parts[1] = {m.Left, m.Top, m.Left + 1, m.Bottom};
    parts[2] = {m.Left + 1, m.Top + 1, m.Left + 2, m.Bottom - 1};
    parts[3] = {m.Right - 1, m.Top, m.Right, m.Bottom};
    parts[4] = {m.Right - 2, m.Top + 1, m.Right - 1, m.Bottom - 1};
  } else {
    int cx = (m.Left + m.Right) / 2;
    parts[0] = {cx - 1, m.Top, cx + 1, m.Bottom};
    parts[1] = {m.Left, m.Top, m.Right, m.Top + 1};
    parts[2] = {m.Left + 1, m.Top + 1, m.Right - 1, m.Top + 2};
    parts[3] = {m.Left, m.Bottom - 1, m.Right, m.Bottom};
    parts[4] = {m.Left + 1, m.Bottom - 2, m.Right - 1, m.Bottom - 1};
  }
  for (RECT& r : parts) FillRect(dc.Get(), &r, brush.Get());
}

void TSkinToolbar::DragDrop(TObject* Source, int X, int Y) {
  auto* drag = dynamic_cast<TSkinItemDragObject*>(Source);
  if (!drag) {
    TUiToolbar::DragDrop(Source, X, Y);
    return;
  }
  TPoint p{std::max(X, 0), std::max(Y, 0)};
  TRect mark;
  int index = GetDropIndex(p, mark);
  bool overViewer = View()->ViewerFromPoint(p) != nullptr;
  TBarCustomItem* item = drag->SourceItem();
  TBarCustomItem* oldParent = item->Parent();
  int oldIndex = oldParent ? oldParent->IndexOf(item) : -1;
  if (oldParent == Items() && index > oldIndex) {
    --index;
    if (index == oldIndex) {
      InvalidateMark();
      dropMark_ = {};
      return;  // dropped on its own place
    }
  }
  if (overViewer && index < 0) return;
  if (oldParent) oldParent->Remove(item);
  try {
    if (overViewer)
      Items()->Insert(std::min(index, Items()->Count()), item);
    else
      Items()->Add(item);
    item->SetVisible(true);
  } catch (...) {
    if (oldParent && !item->Parent()) oldParent->Insert(std::min(oldIndex, oldParent->Count()), item);
    throw;
  }
  InvalidateMark();
  dropMark_ = {};
  TUiToolbar::DragDrop(Source, X, Y);
}

bool TSkinToolbar::CanDragCustomize(TMouseButton Button, TShiftState, int X, int Y) {
  if (!IsCustomizing() || ComponentState().Contains(csDesigning)) return false;
  if (Button == mbLeft && customizable_) {
    TBarItemViewer* v = View()->ViewerFromPoint({X, Y});
    if (v && v->Item() != ChevronItem()) {
      draggedViewer_ = v;
      BeginDrag(true, 0);
    }
  }
  return true;  // while customizing, a press never clicks an item
}

TBarFloatingWindowParent* TSkinToolbar::CreateFloatingParent(TCustomForm* AOwningForm) {
  return new TSkinFloatingWindowParent(AOwningForm, this);
}

HV_PUBLISH(TSkinFloatingWindowParent) {}

void TSkinFloatingWindowParent::WndProc(TMessage& Message) {
  // The title stays empty while the frame is shown: the theme draws the toolbar's caption.
  if (Message.Msg == WM_SETTEXT && HandleAllocated() && IsWindowVisible(Handle()))
    Message.LParam = reinterpret_cast<LPARAM>(L"");
  TUiFloatingWindowParent::WndProc(Message);
  if ((Message.Msg == WM_SHOWWINDOW && Message.WParam) ||
      (Message.Msg == WM_WINDOWPOSCHANGED && (reinterpret_cast<WINDOWPOS*>(Message.LParam)->flags & SWP_SHOWWINDOW)))
    DefWindowProcW(Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
  // Themes whose frames show the activation draw them again when the application's changes.
  if (Message.Msg == WM_ACTIVATEAPP && HandleAllocated() &&
      (GetCurrentThemeName() == "Default" || GetCurrentThemeName() == "Eos"))
    SendMessageW(Handle(), WM_NCPAINT, 1, 0);
  // The theme paints the frame without a title (the window's text is empty); the caption goes
  // over it.
  if ((Message.Msg == WM_NCPAINT || Message.Msg == WM_NCACTIVATE) && HandleAllocated() && CurrentTheme) {
    TWholeWindowDC dc(Handle());
    PaintCaptionText(dc.Get());
  }
}

void TSkinFloatingWindowParent::PaintCaptionText(HDC DC) {
  auto* toolbar = dynamic_cast<TSkinToolbar*>(DockableWindow());
  if (!toolbar || !toolbar->ShowCaption() || !HandleAllocated()) return;
  RECT window{};
  GetWindowRect(Handle(), &window);
  const TPoint border = toolbar->GetFloatingBorderSize();
  const int height = GetSystemMetrics(SM_CYSMCAPTION) - 1;
  RECT r{border.X + 2, border.Y, window.right - window.left - border.X, border.Y + height};
  if (toolbar->CloseButton()) r.right -= height;
  const AnsiString theme = GetCurrentThemeName();
  const bool captionColour = theme == "Default" || theme == "Miranda" || theme == "Eos" || theme == "Zezio";
  TSaveDC saved(DC);
  TSelectObject font;
  font.Select(DC, UiSmallCaptionFont());
  SetBkMode(DC, TRANSPARENT);
  SetTextColor(DC, ColorToRGB(captionColour ? clCaptionText : GetSimpleItemTextColor(0)));
  const WideString caption = toolbar->Caption();
  DrawTextW(DC, caption.c_str(), static_cast<int>(caption.size()), &r,
            DT_HIDEPREFIX | DT_END_ELLIPSIS | DT_SINGLELINE | DT_VCENTER);
}

void TSkinToolbar::DoStartDrag(TDragObject*& DragObject) {
  TUiToolbar::DoStartDrag(DragObject);
  if (!DragObject && draggedViewer_) {
    dragObject_ = std::make_unique<TSkinItemDragObject>(this, draggedViewer_->Item());
    DragObject = dragObject_.get();
  }
}

void TSkinToolbar::DoEndDrag(TObject* Target, int X, int Y) {
  TUiToolbar::DoEndDrag(Target, X, Y);
  draggedViewer_ = nullptr;
  InvalidateMark();
  dropMark_ = {};
}

int TSkinToolbar::GetRightAlignMargin() {
  TPoint nc = GetNCSize();
  return View()->Orientation() == orVertical ? nc.Y : nc.X;
}

int TSkinToolbar::DockLength(bool& Vertical) {
  TBarDock* dock = CurrentDock();
  Vertical = dock && dock->Vertical();
  if (!dock) return 0;
  return Vertical ? dock->Height() : dock->Width();
}

void TSkinToolbar::RightAlignItems() {
  if (!Docked() || Items()->Count() == 0) return;
  View()->ValidatePositions();
  TSkinRightAlignSpacerItem* spacer = nullptr;
  for (int i = 0; i < Items()->Count() && !spacer; ++i)
    if (auto* s = dynamic_cast<TSkinRightAlignSpacerItem*>(Items()->Items(i)))
      if (s->Visible()) spacer = s;
  if (!spacer) return;
  bool vertical;
  int length = DockLength(vertical);
  if (vertical) length -= 6;
  int total = 0, own = 0;
  TBarView* view = View();
  for (int i = 0; i < view->ViewerCount(); ++i) {
    TBarItemViewer* v = view->Viewers(i);
    if (!v->Show() || v->Item() == ChevronItem()) continue;
    int size = vertical ? v->BoundsRect().Height() : v->BoundsRect().Width();
    total += size;
    if (v->Item() == spacer) own = size;
  }
  spacer->SetCustomWidth(std::max(0, length - GetRightAlignMargin() - (total - own)));
}

void TSkinToolbar::AnchorItems(bool Recalc) {
  if (!Docked() || !CurrentDock()) return;
  TBarDock* dock = CurrentDock();
  bool vertical = dock->Vertical();
  int dockLength = vertical ? dock->Height() : dock->Width();
  if (dockLength <= 0) return;
  TPoint content = View()->BaseSize();
  int contentLength = vertical ? content.Y : content.X;
  int correction = Recalc && anchorBase_ >= 1 ? contentLength - anchorBase_ : 0;
  TBarView* view = View();
  for (int i = 0; i < view->ViewerCount(); ++i) {
    TBarItemViewer* v = view->Viewers(i);
    if (auto* sv = dynamic_cast<TSkinItemViewer*>(v)) {
      if (!sv->SkinItem()->Anchored()) continue;
      if (sv->AnchorSize == TPoint{}) sv->AnchorSize = {dock->Width(), dock->Height()};
      int& base = vertical ? sv->AnchorSize.Y : sv->AnchorSize.X;
      base += correction;
      sv->AnchorDelta = dockLength - base;
      continue;
    }
    auto* ci = dynamic_cast<TBarControlItem*>(v->Item());
    if (!ci) continue;
    TControl* control = ci->Control();
    auto it = std::find_if(cache_.begin(), cache_.end(), [&](const TSkinItemCache& c) { return c.Item == ci; });
    bool qualifies = control && (control->Align() == alClient || control->Anchors().Contains(akRight));
    if (!qualifies) {
      if (it != cache_.end()) cache_.erase(it);
      continue;
    }
    if (it == cache_.end()) {
      cache_.push_back({ci, control->Width(), control->Height(), {dock->Width(), dock->Height()}});
      it = cache_.end() - 1;
    }
    it->Width += correction;
    control->SetWidth(std::max(0, it->Width + dock->Width() - it->DockSize.X));
  }
  anchorBase_ = contentLength;
}

bool TSkinToolbar::CanItemClick(int, int) { return true; }

void TSkinToolbar::DoDrawBackground(TCanvas* ACanvas, const TRect& ARect, TSkinPaintStage PaintStage,
                                    bool& PaintDefault) {
  if (OnDrawBackground) OnDrawBackground(this, ACanvas, ARect, PaintStage, PaintDefault);
}

void TSkinToolbar::DoItemClick(TBarCustomItem* AItem, TMouseButton Button) {
  if (Button == mbLeft && AItem->Enabled() && (AItem->ItemStyle() & tbisIgnoresClicks) && AItem->OnClick)
    AItem->OnClick(AItem);
}

void TSkinToolbar::DoItemNotification(TBarCustomItem* Ancestor, bool Relayed, TBarItemChangedAction Action, int Index,
                                      TBarCustomItem* Item) {
  if (OnItemNotification) OnItemNotification(this, Ancestor, Relayed, Action, Index, Item);
}

void TSkinToolbar::ItemsChanged(TBarCustomItem* Sender, bool Relayed, TBarItemChangedAction Action, int Index,
                                TBarCustomItem* Item) {
  if (!(ComponentState() * TComponentState{csDestroying, csReading}).Empty() || updating_ || dragDisabled_ > 0) return;
  DoItemNotification(Sender, Relayed, Action, Index, Item);
  switch (Action) {
    case tbicInserted:
      // While the view groups its changes, aligning (which lays out) waits for the end.
      if (View()->Updating()) break;
      RightAlignItems();
      AnchorItems(true);
      break;
    case tbicDeleting:
      cache_.erase(
          std::remove_if(cache_.begin(), cache_.end(), [&](const TSkinItemCache& c) { return c.Item == Item; }),
          cache_.end());
      break;
    case tbicInvalidateAndResize:
      if (!View()->Updating()) RightAlignItems();
      break;
    default: break;
  }
}

void TSkinToolbar::Notification(TComponent* AComponent, TOperation Operation) {
  TUiToolbar::Notification(AComponent, Operation);
  if (Operation == opRemove)
    cache_.erase(
        std::remove_if(cache_.begin(), cache_.end(), [&](const TSkinItemCache& c) { return c.Item == AComponent; }),
        cache_.end());
}

void TSkinToolbar::Resize() {
  TUiToolbar::Resize();
  updating_ = true;
  try {
    RightAlignItems();
    AnchorItems(true);
  } catch (...) {
    updating_ = false;
    throw;
  }
  updating_ = false;
}

void TSkinToolbar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (CanDragCustomize(Button, Shift, X, Y)) return;
  if (!CanItemClick(X, Y)) return;
  TWinControl* parent = Parent();
  TPoint screen = ClientToScreen({0, 0});
  TBarFreeWatch watch({this});
  TUiToolbar::MouseDown(Button, Shift, X, Y);
  // A press that dragged the toolbar away (or freed it) clicks nothing.
  if (watch.Gone() || Parent() != parent || ClientToScreen({0, 0}) != screen) return;
  if (TBarItemViewer* v = View()->Selected()) DoItemClick(v->Item(), Button);
}

bool TSkinToolbar::DialogChar(TMessage& Message) {
  for (int i = 0; i < Items()->Count(); ++i)
    if (auto* item = dynamic_cast<TSkinCustomItem*>(Items()->Items(i)))
      if (item->DialogChar(static_cast<Word>(Message.WParam))) {
        Message.Result = 1;
        return true;
      }
  return false;
}

void TSkinToolbar::ShowHint(TMessage& Message) {
  auto* info = reinterpret_cast<THintInfo*>(Message.LParam);
  TBarItemViewer* hot = View()->Selected();
  if (!info || !hot) {
    TUiToolbar::WndProc(Message);
    return;
  }
  if (!hot->Item()->EffectiveOptions().Contains(tboLongHintInMenuOnly)) {
    auto* skin = dynamic_cast<TSkinCustomItem*>(hot->Item());
    hint_ = skin ? skin->Hint() : hot->Item()->Hint();
    UcControl_SetHint(this, hint_);
  }
  if (auto* sv = dynamic_cast<TSkinItemViewer*>(hot)) {
    sv->HintShow(*info);
    info->CursorRect = hot->BoundsRect();
    Message.Result = info->HintStr.empty() ? 1 : 0;
    return;
  }
  TUiToolbar::WndProc(Message);
  info->CursorRect = hot->BoundsRect();
}

void TSkinToolbar::EraseBackground(TMessage& Message) {
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  TCanvas canvas;
  canvas.SetHandle(dc);
  TRect client = ClientRect();
  if (auto* dock = dynamic_cast<TSkinDock*>(CurrentDock()); dock && dock->OnDrawBackground) {
    TSaveDC saved(dc);
    TPoint offset = dock->ScreenToClient(ClientToScreen({0, 0}));
    // Added to the origin the caller gave: a bitmap of one viewer starts at the viewer.
    POINT origin{};
    GetWindowOrgEx(dc, &origin);
    SetWindowOrgEx(dc, origin.x + offset.X, origin.y + offset.Y, nullptr);
    TRect r = Bounds(offset.X, offset.Y, client.Width(), client.Height());
    bool paintDefault = true;
    dock->DoDrawBackground(&canvas, r, pstPrePaint, paintDefault);
    if (paintDefault) dock->TUiDock::DrawBackground(dc, r);
    paintDefault = true;
    dock->DoDrawBackground(&canvas, r, pstPostPaint, paintDefault);
  }
  bool paintDefault = true;
  if (OnDrawBackground) DoDrawBackground(&canvas, client, pstPrePaint, paintDefault);
  if (paintDefault) {
    canvas.SetHandle(nullptr);
    TUiToolbar::WndProc(Message);
    canvas.SetHandle(dc);
  }
  if (OnDrawBackground) {
    paintDefault = true;
    DoDrawBackground(&canvas, client, pstPostPaint, paintDefault);
  }
  canvas.SetHandle(nullptr);
  Message.Result = 1;
}

void TSkinToolbar::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case CM_DIALOGCHAR:
      if (DialogChar(Message)) return;
      break;
    case CM_HINTSHOW: ShowHint(Message); return;
    case WM_ERASEBKGND:
      if (OnDrawBackground || dynamic_cast<TSkinDock*>(CurrentDock())) {
        EraseBackground(Message);
        return;
      }
      break;
    case CM_CONTROLCHANGE:
      // A control put on a compound toolbar is hosted by an item the form owns; the plain
      // toolbar then finds it hosted already.
      if (compound_ && Message.LParam && !IsLoading() && !View()->State().Contains(vstModal)) {
        auto* control = reinterpret_cast<TControl*>(Message.WParam);
        bool hosted = false;
        for (int i = 0; i < Items()->Count(); ++i)
          if (auto* ci = dynamic_cast<TBarControlItem*>(Items()->Items(i)); ci && ci->Control() == control)
            hosted = true;
        TCustomForm* form = GetParentForm(this);
        if (!hosted && control && form) {
          auto* item = new TBarControlItem(form, control);
          if (form->ComponentState().Contains(csDesigning)) {
            int n = 1;
            while (form->FindComponent("BarControlItem" + std::to_string(n))) ++n;
            item->SetName("BarControlItem" + std::to_string(n));
          }
          Items()->Add(item);
        }
      }
      break;
    default: break;
  }
  TUiToolbar::WndProc(Message);
}

void SetToolbarsCustomizing(TWinControl* Parent, bool Lower) {
  if (!Parent) return;
  for (int i = 0; i < Parent->ControlCount(); ++i)
    if (auto* t = dynamic_cast<TSkinToolbar*>(Parent->Controls(i))) Lower ? t->EndCustomize() : t->BeginCustomize();
}

// ---- the dock ----

HV_PUBLISH(TSkinDock) {
  p.Event("OnCanResize", &T::OnCanResize);
  p.Event("OnDrawBackground", &T::OnDrawBackground);
}

TSkinDock::TSkinDock(TComponent* AOwner) : TUiDock(AOwner) {}

bool TSkinDock::UsingBackground() { return OnDrawBackground ? true : TUiDock::UsingBackground(); }

void TSkinDock::DrawBackground(HDC DC, const TRect& DrawRect) {
  if (ComponentState().Contains(csDestroying)) return;
  TCanvas canvas;
  canvas.SetHandle(DC);
  bool paintDefault = true;
  DoDrawBackground(&canvas, DrawRect, pstPrePaint, paintDefault);
  if (paintDefault) TUiDock::DrawBackground(DC, DrawRect);
  paintDefault = true;
  DoDrawBackground(&canvas, DrawRect, pstPostPaint, paintDefault);
  canvas.SetHandle(nullptr);
}

void TSkinDock::DoDrawBackground(TCanvas* ACanvas, const TRect& ARect, TSkinPaintStage PaintStage, bool& PaintDefault) {
  if (OnDrawBackground) OnDrawBackground(this, ACanvas, ARect, PaintStage, PaintDefault);
}

void TSkinDock::Resize() {
  TUiDock::Resize();
  bool shrunk = Width() < prevWidth_ || Height() < prevHeight_;
  prevWidth_ = Width();
  prevHeight_ = Height();
  if (!shrunk) return;
  for (TBarCustomDockableWindow* w : WindowList())
    if (auto* t = dynamic_cast<TSkinToolbar*>(w)) t->AnchorItems(true);
}

// ---- stepping between viewers ----

TBarItemViewer* StepViewer(TBarView* View, TBarItemViewer* Start, bool Forward, bool VisibleOnly, bool ShownOnly,
                           bool SameRow, bool AdjacentOnly, const TSkinViewerFilter& Filter) {
  if (!View) return nullptr;
  View->ValidatePositions();
  int index = Start ? View->IndexOf(Start) : (Forward ? -1 : View->ViewerCount());
  while (true) {
    index += Forward ? 1 : -1;
    if (index < 0 || index >= View->ViewerCount()) return nullptr;
    TBarItemViewer* v = View->Viewers(index);
    bool passed =
        (!VisibleOnly || v->Item()->Visible()) &&
        (!SameRow || !Start || (v->BoundsRect().Top == Start->BoundsRect().Top && v->Clipped() == Start->Clipped())) &&
        (!ShownOnly || v->Show());
    bool stop = false;
    if (Filter) Filter(v, passed, stop);
    if (passed || stop) return passed ? v : nullptr;
    if (AdjacentOnly) return nullptr;
  }
}
