// The dock: its window lists, its arrangement into rows, its bound lines and background, and
// the forwarding of menu keys to the floating menu bars that belong to it.
#include "toolbars/BarDock.h"

#include <algorithm>
#include <utility>

#include "framework/Application.h"
#include "framework/DesignFrame.h"

const char* const SBarDockParentNotAllowed =
    "A TBarDock control cannot be placed inside a tool window or another TBarDock";
const char* const SBarDockCannotChangePosition = "Cannot change Position of a TBarDock if it already contains controls";
const char* const SBarDockedToNameNotSet =
    "Cannot save dockable window's position because DockedTo's Name property not set";

HV_PUBLISH(TBarBasicBackground) {}

HV_PUBLISH(TBarDock) {
  p.Prop("Color", &T::Color, &T::SetColor).Default(clBtnFace).Stored(&T::IsColorStored);
  p.Prop("Position", &T::Position, &T::SetPosition).Default(dpTop);
  p.Prop("AllowDrag", &T::AllowDrag, &T::SetAllowDrag).Default(true);
  p.Prop("BoundLines", &T::BoundLines, &T::SetBoundLines).Default(TBarDockBoundLines{});
  p.Prop("Background", &T::Background, &T::SetBackground);
  p.Prop("BackgroundOnToolbars", &T::BackgroundOnToolbars, &T::SetBackgroundOnToolbars).Default(true);
  p.Prop("FixAlign", &T::FixAlign, &T::SetFixAlign).Default(false);
  p.Prop("LimitToOneRow", &T::LimitToOneRow, &T::SetLimitToOneRow).Default(false);
  p.Event("OnInsertRemoveBar", &T::OnInsertRemoveBar);
  p.Event("OnRequestDock", &T::OnRequestDock);
}

TBarDock::TBarDock(TComponent* AOwner) : TCustomControl(AOwner) {
  TControlStyle style = ControlStyle();
  style.Include(csAcceptsControls);
  style.Exclude(csCaptureMouse);
  style.Exclude(csClickEvents);
  SetControlStyle(style);
  SetColor(clBtnFace);
  SetAlign(alTop);
  SetBounds(0, 0, 100, 0);
}

TBarDock::~TBarDock() {
  if (background_) background_->UnregisterChanges(TNotifyEvent(this, &TBarDock::BackgroundChanged));
  for (auto* w : windows_) {
    if (w->currentDock_ == this) w->currentDock_ = nullptr;
    if (w->lastDock_ == this) w->lastDock_ = nullptr;
  }
}

void TBarDock::SetParent(TWinControl* AParent) {
  if (dynamic_cast<TBarCustomDockableWindow*>(AParent) || dynamic_cast<TBarDock*>(AParent))
    throw EInvalidOperation(SBarDockParentNotAllowed);
  TCustomControl::SetParent(AParent);
}

void TBarDock::SetPosition(TBarDockPosition Value) {
  if (position_ == Value) return;
  if (ControlCount() > 0) throw EInvalidOperation(SBarDockCannotChangePosition);
  position_ = Value;
  static const TAlign aligns[] = {alTop, alBottom, alLeft, alRight};
  SetAlign(aligns[static_cast<int>(Value)]);
}

void TBarDock::SetAllowDrag(bool Value) {
  if (allowDrag_ == Value) return;
  allowDrag_ = Value;
  for (auto* w : visible_)
    if (w->HandleAllocated())
      SetWindowPos(w->Handle(), nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ArrangeToolbars();
}

void TBarDock::SetBoundLines(TBarDockBoundLines Value) {
  if (boundLines_ == Value) return;
  boundLines_ = Value;
  ncWidth_ = Value.Contains(blLeft) + Value.Contains(blRight);
  ncHeight_ = Value.Contains(blTop) + Value.Contains(blBottom);
  if (HandleAllocated())
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ArrangeToolbars();
}

void TBarDock::SetBackground(TBarBasicBackground* Value) {
  if (background_ == Value) return;
  TNotifyEvent handler(this, &TBarDock::BackgroundChanged);
  if (background_) background_->UnregisterChanges(handler);
  background_ = Value;
  if (Value) {
    Value->FreeNotification(this);
    Value->RegisterChanges(handler);
  }
  BackgroundChanged(nullptr);
}

void TBarDock::BackgroundChanged(TObject*) {
  Invalidate();
  for (auto* w : visible_)
    if (w->HandleAllocated())
      RedrawWindow(w->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_NOCHILDREN);
}

void TBarDock::SetBackgroundOnToolbars(bool Value) {
  if (backgroundOnToolbars_ == Value) return;
  backgroundOnToolbars_ = Value;
  BackgroundChanged(nullptr);
}

void TBarDock::SetFixAlign(bool Value) {
  if (fixAlign_ == Value) return;
  fixAlign_ = Value;
  ArrangeToolbars();
}

void TBarDock::SetLimitToOneRow(bool Value) {
  if (limitToOneRow_ == Value) return;
  limitToOneRow_ = Value;
  ArrangeToolbars();
}

void TBarDock::DrawBackground(HDC DC, const TRect& DrawRect) {
  if (background_) background_->Draw(DC, DrawRect);
}

bool TBarDock::UsingBackground() { return background_ && background_->UsingBackground(); }

void TBarDock::PaintBackgroundAt(HDC DC, const TPoint& Origin, int W, int H) {
  TPoint start = Parent() ? Parent()->ClientOrigin() : TPoint{};
  TPoint at{Origin.X - start.X, Origin.Y - start.Y};
  TSaveDC save(DC);
  IntersectClipRect(DC, 0, 0, W, H);
  // The caller may have moved the origin already (a part of the window drawn off screen).
  POINT old{};
  GetWindowOrgEx(DC, &old);
  SetWindowOrgEx(DC, old.x + at.X, old.y + at.Y, nullptr);
  DrawBackground(DC, Rect(at.X, at.Y, at.X + W, at.Y + H));
}

void TBarDock::EndUpdate() {
  if (arrangeLock_ > 0) --arrangeLock_;
  if (arrangeLock_ == 0 && arrangePending_) ArrangeToolbars();
}

bool TBarDock::IsWindowShown(TBarCustomDockableWindow* W) const {
  return W->Parent() == this && (W->Visible() || W->ComponentState().Contains(csDesigning));
}

void TBarDock::CommitPositions() {
  for (auto* w : visible_) {
    w->dockRow_ = w->computedRow_;
    w->dockPos_ = w->computedPos_;
  }
}

void TBarDock::ChangeVisibleList(TBarCustomDockableWindow* W, bool ForceRemove) {
  bool belongs = !ForceRemove && IsWindowShown(W);
  auto it = std::find(visible_.begin(), visible_.end(), W);
  bool present = it != visible_.end();
  if (belongs == present) return;
  if (belongs)
    visible_.push_back(W);
  else
    visible_.erase(it);
  ArrangeToolbars();
  if (OnInsertRemoveBar) OnInsertRemoveBar(this, belongs, W);
}

void TBarDock::ChangeWindowList(bool Inserting, TBarCustomDockableWindow* W) {
  auto it = std::find(windows_.begin(), windows_.end(), W);
  if (Inserting && it == windows_.end()) {
    windows_.push_back(W);
    W->FreeNotification(this);
  } else if (!Inserting && it != windows_.end()) {
    windows_.erase(it);
  }
  ChangeVisibleList(W, false);
}

void TBarDock::RemoveWindow(TBarCustomDockableWindow* W) {
  windows_.erase(std::remove(windows_.begin(), windows_.end(), W), windows_.end());
  visible_.erase(std::remove(visible_.begin(), visible_.end(), W), visible_.end());
}

void TBarDock::Loaded() {
  TCustomControl::Loaded();
  ArrangeToolbars();
}

void TBarDock::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == background_) background_ = nullptr;
  if (auto* w = dynamic_cast<TBarCustomDockableWindow*>(AComponent)) RemoveWindow(w);
}

void TBarDock::AlignControls(TControl*, TRect&) { ArrangeToolbars(); }

void TBarDock::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  // A running dock shrinks without a repaint (it grows with a whole one, see WM_SIZE); a
  // designed one shows its frame again at every size.
  if (!ComponentState().Contains(csDesigning)) Params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

void TBarDock::Paint() {
  if (ComponentState().Contains(csDesigning)) DrawDesignFrame(Canvas(), ClientRect(), psDot, clBtnShadow);
}

TRect TBarDock::GetClientRect() {
  if (HandleAllocated()) return TCustomControl::GetClientRect();
  return Rect(0, 0, std::max(Width() - ncWidth_, 0), std::max(Height() - ncHeight_, 0));
}

std::vector<TBarDock::TRowInfo> TBarDock::RowInfo() {
  std::vector<TRowInfo> rows;
  for (auto* w : visible_) {
    if (w->computedRow_ < 0) continue;
    auto r = static_cast<size_t>(w->computedRow_);
    if (rows.size() <= r) rows.resize(r + 1, TRowInfo{0, false});
    rows[r].Thickness = std::max(rows[r].Thickness, w->rowThickness_ ? w->rowThickness_ + 4 : 0);
    rows[r].HasFullSize |= w->fullSize_;
  }
  return rows;
}

void TBarDock::SetThickness(int Value) {
  TAlign a = Align();
  if (a == alClient || a == alCustom) return;
  bool vertical = Vertical();
  int w = vertical ? Value : Width(), h = vertical ? Height() : Value;
  int left = Left(), top = Top();
  if (a == alBottom) top = Top() + Height() - h;
  if (a == alRight) left = Left() + Width() - w;
  if (w != Width() || h != Height()) SetBounds(left, top, w, h);
}

void TBarDock::ArrangeToolbars() {
  if (arrangeLock_ > 0 || IsLoading()) {
    arrangePending_ = true;
    return;
  }
  ++arrangeLock_;
  arranging_ = true;
  // The last step always runs, whatever way the arrangement ends.
  struct Epilogue {
    TBarDock* D;
    ~Epilogue() {
      --D->arrangeLock_;
      D->arranging_ = false;
      D->arrangePending_ = false;
      D->commitPending_ = false;
    }
  } epilogue{this};
  const bool vertical = Vertical();
  const bool designing = ComponentState().Contains(csDesigning);
  if (visible_.empty()) {
    SetThickness(designing ? 9 : fixAlign_ ? 1 : 0);
    return;
  }
  int available = std::max(vertical ? Height() - ncHeight_ : Width() - ncWidth_, 0);
  for (size_t i = windows_.size(); i-- > 0;)
    if (windows_[i]->IsDestroying()) RemoveWindow(windows_[i]);
  if (limitToOneRow_)
    for (auto* w : windows_) w->dockRow_ = 0;
  // The shown windows are listed in the order of their rows and places, as the arrangement
  // takes them.
  std::stable_sort(visible_.begin(), visible_.end(), [](TBarCustomDockableWindow* A, TBarCustomDockableWindow* B) {
    return A->dockRow_ != B->dockRow_ ? A->dockRow_ < B->dockRow_ : A->dockPos_ < B->dockPos_;
  });

  std::vector<TBarRowWindow> rows;
  for (auto* w : windows_) {
    TBarRowWindow r;
    r.DockRow = w->dockRow_;
    r.DockPos = w->dockPos_;
    r.Shown = IsWindowShown(w);
    r.FullSize = w->fullSize_;
    r.Stretch = w->stretch_;
    r.OwnRow = w->ownRow_;
    r.Dragging = w->dragging_;
    r.KeepOrder = w->keepOrder_;
    r.Tag = w;
    if (r.Shown) {
      TPoint base = w->GetBaseSize();
      TPoint nc = w->GetNCSize();
      r.FullLength = vertical ? base.Y + nc.Y : base.X + nc.X;
      r.ShrinkKind = w->GetShrinkMode();
      r.MinLength = w->GetMinRowSize();
    }
    rows.push_back(r);
  }
  int maxRow = ArrangeDockRows(rows, available, limitToOneRow_);

  for (auto& r : rows) {
    auto* w = static_cast<TBarCustomDockableWindow*>(r.Tag);
    w->computedRow_ = r.Shown ? r.Row : -1;
    w->computedPos_ = r.Position;
    if (r.ShrunkWhileDragging) w->shrunkWhileDragging_ = true;
    if (commitPending_) {
      w->dockRow_ = r.Row;
      w->dockPos_ = r.Position;
    }
  }
  if (commitPending_) {
    windows_.clear();
    for (auto& r : rows) windows_.push_back(static_cast<TBarCustomDockableWindow*>(r.Tag));
  }

  int offset = 0;
  for (int row = 0; row <= maxRow; ++row) {
    struct Placed {
      TBarCustomDockableWindow* W;
      int Length;
      int Allotted;
      bool Resized;
    };
    std::vector<Placed> placed;
    int thickest = 0;
    for (auto& r : rows) {
      if (r.EffectiveRow != row) continue;
      auto* w = static_cast<TBarCustomDockableWindow*>(r.Tag);
      int allotted = r.Allotted == r.FullLength ? 0 : r.Allotted;
      bool resized = false;
      TPoint size;
      // A wrapping window is measured whenever it is short of its full length: its own layout
      // cannot make the row thicker, since a docked window's size comes from here.
      if (r.ShrinkKind != BarShrinkNone && (allotted != w->allotted_ || (r.ShrinkKind == BarShrinkWrap && allotted))) {
        resized = allotted != w->allotted_;
        w->allotted_ = allotted;
        w->CalculateSize(false, 0, size, this, false);
      } else {
        size = w->GetBaseSize();
      }
      w->allotted_ = allotted;
      w->rowThickness_ = vertical ? size.X : size.Y;
      thickest = std::max(thickest, w->rowThickness_);
      placed.push_back({w, r.Allotted, allotted, resized});
    }
    int thickness = thickest ? thickest + 4 : 0;
    for (size_t k = 0; k < placed.size(); ++k) {
      auto& p = placed[k];
      auto* w = p.W;
      ++w->settingBounds_;
      if (p.Resized) w->arrangePending_ = true;
      int pos = w->computedPos_;
      if (vertical)
        w->SetBounds(offset, pos, thickness, p.Length);
      else
        w->SetBounds(pos, offset, p.Length, thickness);
      --w->settingBounds_;
      if (w->arrangePending_) w->Arrange();
      w->allotted_ = p.Allotted;
    }
    offset += thickness;
  }
  SetThickness(offset + (vertical ? ncWidth_ : ncHeight_));
  // Windows that moved over the background show their new part of it once every row stands
  // where it goes: drawn earlier, a row still to move away would hide part of them.
  arranging_ = false;
  for (auto* w : std::vector<TBarCustomDockableWindow*>(visible_))
    if (std::exchange(w->repaintPending_, false)) w->RepaintOverDockBackground();
}

void TBarDock::PaintBoundLines(HWND Wnd, HDC DC, void* AppData) {
  auto* dock = static_cast<TBarDock*>(AppData);
  RECT wr{};
  GetWindowRect(Wnd, &wr);
  TRect r{0, 0, wr.right - wr.left, wr.bottom - wr.top};
  TBrushHandle face(CreateSolidBrush(ColorToRGB(dock->Color())));
  RECT all{r.Left, r.Top, r.Right, r.Bottom};
  RECT client{r.Left + dock->boundLines_.Contains(blLeft), r.Top + dock->boundLines_.Contains(blTop),
              r.Right - dock->boundLines_.Contains(blRight), r.Bottom - dock->boundLines_.Contains(blBottom)};
  TSaveDC save(DC);
  ExcludeClipRect(DC, client.left, client.top, client.right, client.bottom);
  FillRect(DC, &all, face.Get());
  if (!dock->HasShownWindows() && !dock->ComponentState().Contains(csDesigning)) return;
  TPenHandle shadow(CreatePen(PS_SOLID, 1, ColorToRGB(clBtnShadow)));
  TPenHandle light(CreatePen(PS_SOLID, 1, ColorToRGB(clBtnHighlight)));
  auto line = [&](HPEN pen, int x1, int y1, int x2, int y2) {
    TSelectObject sel(DC, pen);
    MoveToEx(DC, x1, y1, nullptr);
    LineTo(DC, x2, y2);
  };
  if (dock->boundLines_.Contains(blTop)) line(shadow.Get(), 0, 0, r.Right, 0);
  if (dock->boundLines_.Contains(blLeft)) line(shadow.Get(), 0, 0, 0, r.Bottom);
  if (dock->boundLines_.Contains(blBottom)) line(light.Get(), 0, r.Bottom - 1, r.Right, r.Bottom - 1);
  if (dock->boundLines_.Contains(blRight)) line(light.Get(), r.Right - 1, 0, r.Right - 1, r.Bottom);
}

bool TBarDock::ForwardToFloating(TMessage& Message) {
  for (auto* w : std::vector<TBarCustomDockableWindow*>(windows_))
    if (w->ControlStyle().Contains(csMenuEvents) && w->Floating() && w->Showing() && w->Enabled()) {
      LRESULT r = w->Perform(Message.Msg, Message.WParam, Message.LParam);
      if (r) {
        Message.Result = r;
        return true;
      }
    }
  return false;
}

void TBarDock::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_NCCALCSIZE: {
      RECT* r = Message.WParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(Message.LParam)->rgrc[0]
                               : reinterpret_cast<RECT*>(Message.LParam);
      r->left += boundLines_.Contains(blLeft);
      r->top += boundLines_.Contains(blTop);
      r->right -= boundLines_.Contains(blRight);
      r->bottom -= boundLines_.Contains(blBottom);
      // An empty dock may be thinner than its lines: its client area is empty, never inverted.
      r->right = std::max(r->right, r->left);
      r->bottom = std::max(r->bottom, r->top);
      Message.Result = 0;
      return;
    }
    case WM_NCPAINT: {
      TWholeWindowDC dc(Handle());
      PaintBoundLines(Handle(), dc.Get(), this);
      Message.Result = 0;
      return;
    }
    case WM_PRINT: HandleWMPrint(Handle(), Message, &TBarDock::PaintBoundLines, this); return;
    case WM_ERASEBKGND:
      if (UsingBackground()) {
        RECT cr{};
        ::GetClientRect(Handle(), &cr);
        PaintBackgroundAt(reinterpret_cast<HDC>(Message.WParam), ClientOrigin(), cr.right, cr.bottom);
        Message.Result = 1;
        return;
      }
      break;
    case WM_MOVE:
      TCustomControl::WndProc(Message);
      if (UsingBackground()) BackgroundChanged(nullptr);
      return;
    case WM_SIZE: {
      // A dock that grows is painted anew whole, its bound lines and its rows' toolbars too: its
      // background spans its whole size, and the erase of what the new size uncovered comes
      // before the dock knows that size, so it leaves that part unpainted.
      const TPoint size{LOWORD(Message.LParam), HIWORD(Message.LParam)};
      const bool grew = size.X > clientSize_.X || size.Y > clientSize_.Y;
      clientSize_ = size;
      TCustomControl::WndProc(Message);
      if (grew) RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
      return;
    }
    case CM_SYSCOLORCHANGE:
      TCustomControl::WndProc(Message);
      if (background_) background_->SysColorChanged();
      return;
    case WM_SYSCOMMAND:
      // A menu key for the floating menu bars of the dock, or for nobody: a dock has no window
      // menu of its own to open.
      if (!ForwardToFloating(Message)) Message.Result = 0;
      return;
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR:
      if (ForwardToFloating(Message)) return;
      break;
    default: break;
  }
  TCustomControl::WndProc(Message);
}
