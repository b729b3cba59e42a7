// The toolbar window and its view: sizing by where the toolbar is, the floating resize steps,
// keyboard access, control items and the application-wide shortcut routing.
#include "toolbars/BarToolbar.h"

#include <algorithm>

#include "framework/Application.h"
#include "framework/DesignFrame.h"
#include "framework/Format.h"
#include "framework/HintWindow.h"
#include "toolbars/BarAcc.h"
#include "toolbars/BarFloatingFrame.h"
#include "toolbars/BarHook.h"
#include "toolbars/BarPopup.h"

HV_PUBLISH(TBarToolbarView) {}
HV_PUBLISH(TBarCustomToolbar) {
  p.Prop("ChevronMoveItems", &T::ChevronMoveItems, &T::SetChevronMoveItems).Default(true);
  p.Prop("ChevronPriorityForNewItems", &T::ChevronPriorityForNewItems, &T::SetChevronPriorityForNewItems)
      .Default(tbcpHighest);
  p.Prop("ChevronHint", &T::ChevronHint, &T::SetChevronHint).Stored(&T::IsChevronHintStored);
  p.Prop("MenuBar", &T::MenuBar, &T::SetMenuBar).Default(false);
  p.Prop("ProcessShortCuts", &T::ProcessShortCuts, &T::SetProcessShortCuts).Default(false);
  p.Prop("ShrinkMode", &T::ShrinkMode, &T::SetShrinkMode).Default(tbsmChevron);
  p.Prop("SystemFont", &T::SystemFont, &T::SetSystemFont).Default(true);
  p.Prop("UpdateActions", &T::UpdateActions, &T::SetUpdateActions).Default(true);
  p.Prop("Options", &T::Options, &T::SetOptions).Default(TBarItemOptions{});
  p.Prop("Images", &T::Images, &T::SetImages);
}

namespace {

const TBarViewOrientation KindOrientation[4] = {orHorizontal, orFloating, orHorizontal, orVertical};

std::vector<TBarCustomToolbar*> shortCutList;

struct TShortCutHookOwner : TObject {
  bool Hook(TMessage& Message) { return ToolbarMainWindowHook(Message); }
};
TShortCutHookOwner shortCutHookOwner;

void MenuBarMessageHook(THookProcCode, HWND, WPARAM, LPARAM) {
  // The redirection of Alt+key messages concerns only the client windows of multiple-document
  // forms, which this program does not have.
}

bool IsSeparator(TBarItemViewer* V) { return dynamic_cast<TBarSeparatorItem*>(V->Item()) != nullptr; }

}  // namespace

// ---- the view ----

TBarToolbarView::TBarToolbarView(TComponent* AOwner, TBarView* AParentView, TBarCustomItem* AParentItem,
                                 TWinControl* AWindow, bool AIsToolbar, bool ACustomizing, bool AUsePriorityList)
    : TBarView(AOwner, AParentView, AParentItem, AWindow, AIsToolbar, ACustomizing, AUsePriorityList),
      toolbar_(dynamic_cast<TBarCustomToolbar*>(AOwner)) {
  RebuildViewers();
}

void TBarToolbarView::FitWindow(int AWidth, int AHeight) {
  if (!toolbar_) return;
  toolbar_->baseSize_ = BaseSize();
  toolbar_->lastFit_ = {AWidth, AHeight};
  if (!(toolbar_->AutoResize() || toolbar_->Docked() || toolbar_->Floating())) return;
  if (toolbar_->Docked()) {
    toolbar_->CurrentDock()->ArrangeToolbars();
    return;
  }
  TPoint nc = toolbar_->GetNCSize();
  toolbar_->SetBounds(toolbar_->Left(), toolbar_->Top(), AWidth + nc.X, AHeight + nc.Y);
}

void TBarToolbarView::LayoutViewers(TPoint& ASize) {
  if (!toolbar_) {
    TBarView::LayoutViewers(ASize);
    return;
  }
  toolbar_->SetAllottedLength(0);
  ASize = {};
  if (TBarDock* dock = toolbar_->CurrentDock()) {
    bool vertical = dock->Vertical();
    for (int i = 0; i < dock->GetWindowCount(); ++i) {
      TBarCustomDockableWindow* w = dock->GetWindow(i);
      if (w == toolbar_ || w->ComputedRow() != toolbar_->ComputedRow()) continue;
      (vertical ? ASize.X : ASize.Y) = std::max(vertical ? ASize.X : ASize.Y, w->RowThickness());
    }
  }
  if (toolbar_->FullSize()) {
    if (Orientation() == orHorizontal) ASize.X = std::max(ASize.X, WrapOffset());
    if (Orientation() == orVertical) ASize.Y = std::max(ASize.Y, WrapOffset());
  }
  ++toolbar_->updateNesting_;
  try {
    TBarView::LayoutViewers(ASize);
  } catch (...) {
    --toolbar_->updateNesting_;
    throw;
  }
  --toolbar_->updateNesting_;
}

TBarCustomItem* TBarToolbarView::GetOverflowItem() { return toolbar_ ? toolbar_->chevronItem_ : nullptr; }

TFont* TBarToolbarView::ViewFont() {
  if (toolbar_ && !toolbar_->SystemFont()) return toolbar_->Font();
  return TBarView::ViewFont();
}

void TBarToolbarView::InvalidateLayout() {
  if (toolbar_) toolbar_->SetAllottedLength(0);
  TBarView::InvalidateLayout();
}

// ---- the toolbar ----

namespace {
TBarToolbarView* makePlainView(TBarCustomToolbar* AToolbar, TBarRootItem* ARoot, bool AUsePriorityList) {
  return new TBarToolbarView(AToolbar, nullptr, ARoot, AToolbar, true, false, AUsePriorityList);
}
}  // namespace

TBarCustomToolbar::TBarCustomToolbar(TComponent* AOwner)
    : TBarCustomToolbar(AOwner, std::make_unique<TBarRootItem>(nullptr), std::make_unique<TBarChevronItem>(nullptr),
                        &makePlainView) {}

TBarCustomToolbar::TBarCustomToolbar(TComponent* AOwner, std::unique_ptr<TBarRootItem> ARoot,
                                     std::unique_ptr<TBarChevronItem> AChevron, TViewMaker MakeView)
    : TBarCustomDockableWindow(AOwner) {
  TControlStyle style = ControlStyle();
  style.Include(csAcceptsControls);
  style.Include(csActionClient);
  style.Exclude(csCaptureMouse);
  SetControlStyle(style);
  resizeCorners_ = false;
  clipCursor_ = false;
  items_ = ARoot.release();
  items_->SetParentComponentLink(this);
  chevronItem_ = AChevron.release();
  // The toolbar owns its chevron as a component, so that on a designed form the chevron is
  // designed too and draws no hot edge under the designer's mouse.
  InsertComponent(chevronItem_);
  // The chevron's menu shows the toolbar's own items.
  chevronItem_->SetLinkSubitems(items_);
  view_ = MakeView(this, items_, !ComponentState().Contains(csDesigning));
  chevronItem_->SetSourceView(view_);
  view_->SetBackgroundColor(clBtnFace);
  SetColor(clBtnFace);
  SetBounds(Left(), Top(), 23, 22);
}

TBarCustomToolbar::~TBarCustomToolbar() {
  processShortCuts_ = menuBar_ = false;
  UpdateShortCutRegistration();
  if (menuHookInstalled_) UninstallHookProc(this, &MenuBarMessageHook);
  delete view_;
  view_ = nullptr;
  delete chevronItem_;
  delete items_;
}

void TBarCustomToolbar::OffsetsFor(TBarDock* ADock, bool AFloating, int& Wrap, int& Available) {
  TPoint nc = GetNCSize();
  if (!ADock && !AFloating) {
    Wrap = Available = 0;
    if (AutoResize() && !(Anchors().Contains(akLeft) && Anchors().Contains(akRight))) return;
    if (shrinkMode_ == tbsmChevron) Available = Width() - nc.X;
    if (shrinkMode_ == tbsmWrap) Wrap = Width() - nc.X;
    return;
  }
  bool vertical = ADock && ADock->Vertical();
  Available = shrinkMode_ == tbsmChevron && Docked() && ADock == CurrentDock()
                  ? std::max(AllottedLength() - (vertical ? nc.Y : nc.X), 0)
                  : 0;
  if (!ADock) {
    // The floating width is the client width to keep to, the right margin included.
    TRect margins;
    view_->GetPadding(orFloating, margins);
    Wrap = floatRightX_ > 0 ? std::max(floatRightX_ - margins.Right, 1) : 0;
  } else if (shrinkMode_ != tbsmWrap)
    Wrap = 0;
  else {
    // The toolbar's own non-client size as it is (or would be) in that dock.
    TPoint dnc{4, 4};
    if (ADock->AllowDragging()) (vertical ? dnc.Y : dnc.X) += DragHandleSize();
    Wrap = vertical ? ADock->Height() - ADock->NonClientHeight() - dnc.Y
                    : ADock->Width() - ADock->NonClientWidth() - dnc.X;
  }
}

void TBarCustomToolbar::SetViewOffsets() {
  int kind = DockingKind(CurrentDock(), Floating());
  view_->SetOrientation(KindOrientation[kind]);
  view_->SetChevronSize(12);
  int wrap = 0, available = 0;
  OffsetsFor(CurrentDock(), Floating(), wrap, available);
  view_->SetWrapOffset(wrap);
  view_->SetChevronOffset(available);
}

TPoint TBarCustomToolbar::TrialSize(TBarDock* ADock, bool AFloating, int* Lines) {
  int wrap = 0, available = 0;
  OffsetsFor(ADock, AFloating, wrap, available);
  TBarLayoutResult r =
      view_->CalculatePositions(false, KindOrientation[DockingKind(ADock, AFloating)], wrap, available, 12);
  if (Lines) *Lines = r.WrappedLines;
  return r.TotalSize;
}

void TBarCustomToolbar::CalculateSize(bool Recalc, int, TPoint& NewSize, TBarDock* ADock, bool AFloating) {
  if (Recalc) {
    SetViewOffsets();
    view_->UpdatePositions();
    NewSize = lastFit_;
    return;
  }
  NewSize = TrialSize(ADock, AFloating, &lineCount_);
}

TPoint TBarCustomToolbar::GetBaseSize() {
  view_->ValidatePositions();
  return view_->BaseSize();
}

int TBarCustomToolbar::GetMinRowSize() {
  view_->ValidatePositions();
  bool vertical = CurrentDock() && CurrentDock()->Vertical();
  TBarItemViewer* first = nullptr;
  if (view_->UsePriorityList()) {
    for (TBarItemViewer* v : view_->PriorityList())
      if (v->Show() && !IsSeparator(v)) {
        first = v;
        break;
      }
  } else {
    for (int i = 0; i < view_->ViewerCount() && !first; ++i)
      if (view_->Viewers(i)->Show() && !IsSeparator(view_->Viewers(i))) first = view_->Viewers(i);
  }
  // A toolbar without a button to show claims no room at all.
  if (!first) return 0;
  const TRect& r = first->BoundsRect();
  TPoint nc = GetNCSize();
  return (vertical ? r.Height() + nc.Y : r.Width() + nc.X) + 12;
}

bool TBarCustomToolbar::PointOnChild(const TPoint& P) {
  if (TBarCustomDockableWindow::PointOnChild(P)) return true;
  if (ComponentState().Contains(csDesigning)) return false;
  POINT sp{P.X, P.Y};
  if (HandleAllocated()) ::ClientToScreen(Handle(), &sp);
  TPoint screen{sp.x, sp.y};
  view_->SelectFromMouse(&screen, true);
  TBarItemViewer* v = view_->Selected();
  return v && !(v->Item()->ItemStyle() & tbisIgnoresClicks);
}

void TBarCustomToolbar::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
  for (int i = 0; i < items_->Count(); ++i)
    if (items_->Items(i)->Owner() == Root) Proc(items_->Items(i));
  TBarCustomDockableWindow::GetChildren(Proc, Root);
}

void TBarCustomToolbar::Loaded() {
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    bool hosted = false;
    for (int k = 0; k < items_->Count() && !hosted; ++k)
      if (auto* ci = dynamic_cast<TBarControlItem*>(items_->Items(k))) hosted = ci->Control() == c;
    if (!hosted) CreateControlItem(items_->Count(), c);
  }
  TBarCustomDockableWindow::Loaded();
}

void TBarCustomToolbar::InitiateAction() {
  TBarCustomDockableWindow::InitiateAction();
  if (!updateActions_) return;
  for (int i = 0; i < view_->ViewerCount(); ++i) view_->Viewers(i)->Item()->InitiateAction();
}

void TBarCustomToolbar::AlignControls(TControl*, TRect&) {
  if (updateNesting_ == 0) Arrange();
}

void TBarCustomToolbar::Paint() {
  // A designer sees the bounds of a toolbar that no dock frames.
  if (ComponentState().Contains(csDesigning) && !Docked()) DrawDesignFrame(Canvas(), ClientRect(), psDot, clBtnShadow);
  view_->PaintViewers(Canvas());
}

TBarControlItem* TBarCustomToolbar::CreateControlItem(int Index, TControl* AControl) {
  auto* item = new TBarControlItem(Owner(), AControl);
  if (ComponentState().Contains(csDesigning) && Owner()) {
    for (int n = 1;; ++n) {
      std::string name = Format("BarControlItem%d", n);
      if (!Owner()->FindComponent(name)) {
        item->SetName(name);
        break;
      }
    }
  }
  items_->Insert(Index, item);
  return item;
}

void TBarCustomToolbar::ReArrange() {
  if (CurrentDock())
    CurrentDock()->ArrangeToolbars();
  else
    Arrange();
}

void TBarCustomToolbar::SetChevronMoveItems(bool Value) {
  if (chevronMoveItems_ == Value) return;
  chevronMoveItems_ = Value;
  view_->SetUsePriorityList(Value && !ComponentState().Contains(csDesigning));
  view_->RebuildViewers();
}

void TBarCustomToolbar::SetChevronPriorityForNewItems(TBarChevronPriorityForNewItems Value) {
  chevronPriority_ = Value;
  view_->SetNewViewersGetHighestPriority(Value == tbcpHighest);
}

bool TBarCustomToolbar::IsChevronHintStored() const { return chevronItem_->Hint() != WideString(L"More Buttons|"); }

void TBarCustomToolbar::SetFloatingWidth(int Value) {
  if (floatRightX_ == Value) return;
  floatRightX_ = Value;
  if (Floating()) {
    SetViewOffsets();
    Arrange();
  }
}

void TBarCustomToolbar::SetShrinkMode(TBarShrinkMode Value) {
  if (shrinkMode_ == Value) return;
  shrinkMode_ = Value;
  if (CurrentDock())
    CurrentDock()->ArrangeToolbars();
  else if (!Floating())
    Arrange();
}

void TBarCustomToolbar::SetSystemFont(bool Value) {
  if (systemFont_ == Value) return;
  systemFont_ = Value;
  view_->InvalidateLayout();
  Arrange();
}

void TBarCustomToolbar::SetMenuBar(bool Value) {
  if (menuBar_ == Value) return;
  menuBar_ = Value;
  TControlStyle style = ControlStyle();
  if (Value)
    style.Include(csMenuEvents);
  else
    style.Exclude(csMenuEvents);
  SetControlStyle(style);
  TBarViewStyle vs = view_->Style();
  if (Value)
    vs = vs + vsyMenuBar + vsyHideAccelsUntilKey;
  else
    vs = vs - vsyMenuBar - vsyHideAccelsUntilKey;
  view_->SetStyle(vs);
  if (!IsLoading()) {
    SetFullSize(Value);
    SetShrinkMode(Value ? tbsmWrap : tbsmChevron);
    SetCloseButton(!Value);
    SetProcessShortCuts(Value);
  }
  bool hook = Value && !ComponentState().Contains(csDesigning);
  if (hook && !menuHookInstalled_) InstallHookProc(this, &MenuBarMessageHook, THookProcCodes{hkGetMessage});
  if (!hook && menuHookInstalled_) UninstallHookProc(this, &MenuBarMessageHook);
  menuHookInstalled_ = hook;
  UpdateShortCutRegistration();
}

void TBarCustomToolbar::SetProcessShortCuts(bool Value) {
  if (processShortCuts_ == Value) return;
  processShortCuts_ = Value;
  UpdateShortCutRegistration();
}

void TBarCustomToolbar::UpdateShortCutRegistration() {
  bool want = (processShortCuts_ || menuBar_) && !ComponentState().Contains(csDesigning);
  if (want == shortCutRegistered_) return;
  shortCutRegistered_ = want;
  TWindowHook hook(&shortCutHookOwner, &TShortCutHookOwner::Hook);
  if (want) {
    shortCutList.push_back(this);
    if (shortCutList.size() == 1 && Application) Application->HookMainWindow(hook);
  } else {
    shortCutList.erase(std::remove(shortCutList.begin(), shortCutList.end(), this), shortCutList.end());
    if (shortCutList.empty() && Application) Application->UnhookMainWindow(hook);
  }
}

bool TBarCustomToolbar::IsShortCut(TWMKey& Msg) {
  bool handled = false;
  if (OnShortCut) OnShortCut(Msg, handled);
  if (handled) return true;
  return items_->DispatchShortCut(Msg);
}

bool TBarCustomToolbar::KeyboardOpen(wchar_t Key, bool RequirePrimaryAccel) {
  view_->ShowAccelerators(true);
  TBarItemViewer* v = nullptr;
  bool result = false;
  if (Key != 0) {
    bool unique = false;
    v = view_->FindByAccelerator(nullptr, Key, unique, RequirePrimaryAccel);
    if (v && v->Item()->Enabled()) {
      if (unique) {
        view_->Select(v);
        view_->RunToolbarMenuLoop(tbmlExecuteSelected);
        result = true;
      } else if (menuBar_) {
        view_->Select(v);
        view_->RunToolbarMenuLoop(0);
        result = true;
      }
    }
  } else {
    v = view_->FirstCandidate();
    if (v) {
      view_->Select(v);
      view_->RunToolbarMenuLoop(0);
      result = true;
    }
  }
  if (v) view_->ShowAccelerators(false);
  return result;
}

void TBarCustomToolbar::ClearHot() { view_->SelectFromMouse(nullptr, false); }

void TBarCustomToolbar::MouseMove(TShiftState Shift, int X, int Y) {
  if (!ComponentState().Contains(csDesigning)) {
    POINT sp{X, Y};
    if (HandleAllocated()) ::ClientToScreen(Handle(), &sp);
    TPoint screen{sp.x, sp.y};
    view_->SelectFromMouse(&screen, true);
    if (TBarItemViewer* v = view_->Selected())
      if (!v->Item()->EffectiveOptions().Contains(tboLongHintInMenuOnly)) SetHint(v->Item()->Hint());
    if (HandleAllocated()) CallTrackMouseEvent(Handle(), TME_LEAVE);
  }
  TBarCustomDockableWindow::MouseMove(Shift, X, Y);
}

void TBarCustomToolbar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TWinControl* parent = Parent();
  TBarFreeWatch watch({this});
  TBarCustomDockableWindow::MouseDown(Button, Shift, X, Y);
  if (watch.Gone() || Parent() != parent || ComponentState().Contains(csDesigning) || Button != mbLeft) return;
  TBarItemViewer* v = view_->ViewerFromPoint({X, Y});
  if (!v || (v->Item()->ItemStyle() & tbisIgnoresClicks)) return;
  mouseDown_ = true;
  try {
    view_->Select(v);
    view_->RunToolbarMenuLoop(tbmlMouseDown);
  } catch (...) {
    mouseDown_ = false;
    throw;
  }
  mouseDown_ = false;
}

void TBarCustomToolbar::DoContextPopup(TPoint MousePos, bool& Handled) {
  ClearHot();
  TBarCustomDockableWindow::DoContextPopup(MousePos, Handled);
}

void TBarCustomToolbar::GetTabOrderList(std::vector<TWinControl*>& List) {
  size_t first = List.size();
  TBarCustomDockableWindow::GetTabOrderList(List);
  std::vector<TWinControl*> hidden;
  view_->AddTabStops(hidden);
  auto behindChevron = [&](TWinControl* C) {
    return std::any_of(hidden.begin(), hidden.end(), [&](TWinControl* H) { return H == C || H->ContainsControl(C); });
  };
  List.erase(std::remove_if(List.begin() + static_cast<std::ptrdiff_t>(first), List.end(), behindChevron), List.end());
}

void TBarCustomToolbar::GetMinMaxSize(TPoint& AMin, TPoint& AMax) { AMin = AMax = TPoint{}; }

void TBarCustomToolbar::PositionDataExtra(const std::string& Name, TPositionData& Data) {
  if (Data.Reading) {
    auto read = reinterpret_cast<TBarPositionReadIntProc>(Data.IntProc);
    // Kept as read, so that it is written back unchanged; a width below 1 wraps nowhere.
    SetFloatingWidth(read(Name, "FloatRightX", 0, Data.ExtraData));
  } else {
    auto write = reinterpret_cast<TBarPositionWriteIntProc>(Data.IntProc);
    write(Name, "FloatRightX", floatRightX_, Data.ExtraData);
  }
}

// ---- floating resize ----

void TBarCustomToolbar::ResizeBegin(int Edge) {
  auto state = std::make_unique<TBarFloatingResizeState>();
  state->SizingEdge = Edge;
  TBarFloatingWindowParent* frame = FloatingParent();
  if (frame && frame->HandleAllocated()) {
    RECT r{};
    GetWindowRect(frame->Handle(), &r);
    state->OrigLeft = r.left;
    state->OrigTop = r.top;
    state->OrigWidth = r.right - r.left;
    state->OrigHeight = r.bottom - r.top;
    POINT origin{0, 0};
    ::ClientToScreen(frame->Handle(), &origin);
    state->LeftBorder = origin.x - r.left;
  }
  state->FloatingWidth = state->StartFloatingWidth = floatRightX_;
  int saved = floatRightX_;
  floatRightX_ = 0;
  TPoint nc = frame ? frame->NonClientSize() : TPoint{};
  int lines = 1;
  TPoint size = TrialSize(nullptr, true, &lines);
  struct Entry {
    TPoint Size;
    int Lines;
    bool Zero;
  };
  std::vector<Entry> entries{{size, 1, true}};
  TRect margins;
  view_->GetPadding(orFloating, margins);
  for (int w = size.X - 1; w >= margins.Left + margins.Right;) {
    floatRightX_ = w;
    TPoint s = TrialSize(nullptr, true, &lines);
    if (s.X > w) break;
    if (s.X < w) {
      w = s.X;
      continue;
    }
    if (lines == entries.back().Lines)
      entries.back() = {s, lines, false};
    else
      entries.push_back({s, lines, false});
    --w;
  }
  floatRightX_ = saved;
  bool byHeight = Edge == 2 || Edge == 5;
  std::stable_sort(entries.begin(), entries.end(), [&](const Entry& A, const Entry& B) {
    return byHeight ? A.Size.Y > B.Size.Y : A.Size.X > B.Size.X;
  });
  for (size_t i = 0; i < entries.size(); ++i) {
    state->Sizes.push_back({static_cast<uint16_t>(std::clamp(entries[i].Size.X + nc.X, 0, 65535)),
                            static_cast<uint16_t>(std::clamp(entries[i].Size.Y + nc.Y, 0, 65535))});
    if (entries[i].Zero) state->ZeroWidthCandidate = static_cast<int>(i);
  }
  int current = byHeight ? state->OrigHeight : state->OrigWidth;
  for (size_t i = 0; i < state->Sizes.size(); ++i) {
    int v = byHeight ? state->Sizes[i].Height : state->Sizes[i].Width;
    if (v != current) continue;
    for (size_t n : {i - 1, i + 1}) {
      if (n >= state->Sizes.size()) continue;
      int other = byHeight ? state->Sizes[n].Height : state->Sizes[n].Width;
      state->DeadZone = std::max(std::min(state->DeadZone, std::abs(other - current) - 1), 0);
    }
    break;
  }
  resize_ = std::move(state);
}

int ChooseFloatingCandidate(const TBarFloatingResizeState& S, int Raw, bool Vertical) {
  auto along = [&](size_t i) { return Vertical ? S.Sizes[i].Height : S.Sizes[i].Width; };
  int start = Vertical ? S.OrigHeight : S.OrigWidth;
  int n = static_cast<int>(S.Sizes.size());
  if (n == 0) return -1;
  // The list runs from the largest to the smallest.
  if (Raw > start) {
    for (int i = n - 1; i >= 0; --i)
      if (along(static_cast<size_t>(i)) > Raw) return i;
    return 0;
  }
  for (int i = 0; i < n; ++i)
    if (along(static_cast<size_t>(i)) <= Raw) return i;
  return n - 1;
}

bool TBarCustomToolbar::ResizeTrack(TRect& R, int Edge, const TPoint& Cursor) {
  if (!resize_) return false;
  TBarFloatingResizeState& s = *resize_;
  bool vertical = Edge == 2 || Edge == 5;
  int raw;
  switch (Edge) {
    case 0: raw = s.OrigWidth - (Cursor.X - s.OrigLeft); break;
    case 1: raw = Cursor.X - s.OrigLeft; break;
    case 2: raw = s.OrigHeight - (Cursor.Y - s.OrigTop); break;
    default: raw = Cursor.Y - s.OrigTop; break;
  }
  int start = vertical ? s.OrigHeight : s.OrigWidth;
  bool below = raw < start;
  if ((!s.LastChanged || below != s.LastBelow) && raw >= start - s.DeadZone && raw < start + s.DeadZone) raw = start;
  s.LastBelow = raw < start;
  int i = ChooseFloatingCandidate(s, raw, vertical);
  if (i < 0) return false;
  int w = s.Sizes[static_cast<size_t>(i)].Width, h = s.Sizes[static_cast<size_t>(i)].Height;
  TRect n{s.OrigLeft, s.OrigTop, s.OrigLeft + w, s.OrigTop + h};
  if (Edge == 0) n = {s.OrigLeft + s.OrigWidth - w, s.OrigTop, s.OrigLeft + s.OrigWidth, s.OrigTop + h};
  if (Edge == 2) n = {s.OrigLeft, s.OrigTop + s.OrigHeight - h, s.OrigLeft + w, s.OrigTop + s.OrigHeight};
  s.FloatingWidth = i == s.ZeroWidthCandidate ? 0 : w - 2 * s.LeftBorder;
  bool changed = n != R;
  s.LastChanged = changed;
  R = n;
  // A smooth resize shows each step's wrapping at once; an outline shows it when let go.
  if (changed && SmoothDrag()) {
    floatRightX_ = s.FloatingWidth;
    SetViewOffsets();
  }
  return changed;
}

void TBarCustomToolbar::ResizeEnd(bool Accepted) {
  if (!resize_) return;
  int width = Accepted || SmoothDrag() ? resize_->FloatingWidth : resize_->StartFloatingWidth;
  resize_.reset();
  floatRightX_ = -1;
  SetFloatingWidth(width);
}

// ---- messages ----

void TBarCustomToolbar::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case CM_COLORCHANGED: view_->SetBackgroundColor(Color()); break;
    case CM_FONTCHANGED:
      TBarCustomDockableWindow::WndProc(Message);
      if (!systemFont_) {
        view_->InvalidateLayout();
        Arrange();
      }
      return;
    case CM_WININICHANGE:
      if (Message.WParam == SPI_SETNONCLIENTMETRICS) {
        UpdateToolbarFont();
        view_->InvalidateLayout();
        Arrange();
      }
      break;
    case CM_CONTROLCHANGE:
      TBarCustomDockableWindow::WndProc(Message);
      if (Message.LParam && !IsLoading() && !view_->Updating()) {
        auto* c = reinterpret_cast<TControl*>(Message.WParam);
        for (int k = 0; k < items_->Count(); ++k)
          if (auto* ci = dynamic_cast<TBarControlItem*>(items_->Items(k)); ci && ci->Control() == c) return;
        CreateControlItem(items_->Count(), c);
      }
      return;
    case CM_CONTROLLISTCHANGE:
      TBarCustomDockableWindow::WndProc(Message);
      if (!Message.LParam) {
        auto* c = reinterpret_cast<TControl*>(Message.WParam);
        for (int k = items_->Count(); k-- > 0;)
          if (auto* ci = dynamic_cast<TBarControlItem*>(items_->Items(k)); ci && ci->Control() == c) {
            ci->SetDontFreeControl(true);
            delete ci;
          }
      }
      return;
    case CM_HINTSHOW: {
      auto* info = reinterpret_cast<THintInfo*>(Message.LParam);
      // The hint is the button's the mouse rests on, whichever the keyboard selected. Over no
      // button none shows: the toolbar's Hint still names the last button hovered.
      TBarItemViewer* v = info ? view_->ViewerFromPoint(info->CursorPos) : nullptr;
      if (info && v && !v->BoundsRect().IsEmpty()) {
        info->HintStr = v->GetHintText();
        info->CursorRect = v->BoundsRect();
        Message.Result = 0;
      } else {
        Message.Result = 1;
      }
      return;
    }
    case CM_SHOWHINTCHANGED:
      TBarCustomDockableWindow::WndProc(Message);
      view_->SetStyle(ShowHint() ? view_->Style() + vsyHintsAlways : view_->Style() - vsyHintsAlways);
      return;
    case WM_SETCURSOR:
      if (!ComponentState().Contains(csDesigning) && reinterpret_cast<HWND>(Message.WParam) == Handle() &&
          LOWORD(Message.LParam) == HTCLIENT) {
        POINT p{};
        GetCursorPos(&p);
        ::ScreenToClient(Handle(), &p);
        if (TBarItemViewer* v = view_->ViewerFromPoint({p.x, p.y})) {
          HCURSOR cursor = nullptr;
          v->CursorAt(v->PointInViewer({p.x, p.y}), cursor);
          if (cursor) {
            ::SetCursor(cursor);
            Message.Result = 1;
            return;
          }
        }
      }
      break;
    case WM_SYSCOMMAND:
      if (menuBar_ && Enabled() && Showing() && (Message.WParam & 0xFFF0) == SC_KEYMENU) {
        wchar_t key = static_cast<wchar_t>(Message.LParam);
        if (key == L' ' || GetCapture()) break;
        if (key) {
          char bytes[4];
          int n = WideCharToMultiByte(static_cast<UINT>(GetInputLocaleCodePage()), 0, &key, 1, bytes, sizeof bytes,
                                      nullptr, nullptr);
          // A key that is no single character of the keyboard's code page goes back unanswered to
          // its sender, which treats it as not taken.
          if (n != 1) {
            Message.Result = 0;
            return;
          }
        }
        if (KeyboardOpen(key, false)) {
          Message.Result = 1;
        } else if (key == L'-') {
          Message.Result = 0;
        } else {
          MessageBeep(0);
          Message.Result = 1;
        }
        return;
      }
      break;
    case CM_DIALOGKEY:
      if (menuBar_ && Message.WParam == VK_MENU) view_->ShowAccelerators(true);
      break;
    case CM_DIALOGCHAR:
      if (!menuBar_ && Enabled() && Showing() && Message.WParam != 0) {
        if (KeyboardOpen(static_cast<wchar_t>(Message.WParam), true)) {
          Message.Result = 1;
          return;
        }
      }
      break;
    case CM_MOUSELEAVE: ClearHot(); break;
    case WM_MOUSELEAVE:
      // While a press runs its loop, that loop follows the mouse.
      if (!mouseDown_) ClearHot();
      break;
    case WM_NCMOUSEMOVE:
      ClearHot();
      SetHint(L"");
      break;
    case WM_GETOBJECT:
      if (LRESULT r = AnswerBarGetObject(view_, Message.WParam, Message.LParam)) {
        Message.Result = r;
        return;
      }
      break;
    case WM_CANCELMODE:
      TBarCustomDockableWindow::WndProc(Message);
      if (view_->State().Contains(vstModal)) view_->CancelMenu();
      return;
    default: break;
  }
  TBarCustomDockableWindow::WndProc(Message);
}

// ---- shortcut routing ----

const std::vector<TBarCustomToolbar*>& ShortCutToolbars() { return shortCutList; }

namespace {

TCustomForm* ToolbarForm(TBarCustomToolbar* T) { return T->OwningForm(); }

bool TryForm(TCustomForm* Form, TMessage& Message) {
  if (!Form) return false;
  for (TBarCustomToolbar* t : std::vector<TBarCustomToolbar*>(shortCutList)) {
    if (!t->ProcessShortCuts() || ToolbarForm(t) != Form) continue;
    if (Form->HandleAllocated() && !IsWindowEnabled(Form->Handle())) continue;
    TWMKey key;
    key.Msg = WM_KEYDOWN;
    key.CharCode = static_cast<Word>(Message.WParam);
    key.KeyData = Message.LParam;
    if (t->IsShortCut(key)) {
      Message.Result = 1;
      return true;
    }
  }
  return false;
}

TWinControl* FindMenuControl(TWinControl* C) {
  for (int i = 0; i < C->ControlCount(); ++i) {
    auto* w = dynamic_cast<TWinControl*>(C->Controls(i));
    if (!w || !w->Visible() || !w->Enabled()) continue;
    if ((dynamic_cast<TBarDock*>(w) || dynamic_cast<TBarCustomToolbar*>(w)) && w->ControlStyle().Contains(csMenuEvents))
      return w;
    if (TWinControl* found = FindMenuControl(w)) return found;
  }
  return nullptr;
}

}  // namespace

bool ToolbarMainWindowHook(TMessage& Message) {
  auto* active = dynamic_cast<TCustomForm*>(FindControl(GetActiveWindow()));
  if (Message.Msg == CM_APPKEYDOWN) {
    if (TryForm(active, Message)) return true;
    TCustomForm* main = Application ? Application->MainForm() : nullptr;
    if (main && main != active && TryForm(main, Message)) return true;
    return false;
  }
  if (Message.Msg == CM_APPSYSCOMMAND && active && active->Enabled() && active->Visible()) {
    for (TWinControl* c = FindMenuControl(active); c;) {
      if (!c->HandleAllocated()) break;
      if (SendMessageW(c->Handle(), WM_SYSCOMMAND, Message.WParam, Message.LParam)) {
        Message.Result = 1;
        return true;
      }
      break;
    }
  }
  return false;
}
