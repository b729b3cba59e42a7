// The themed status bar and its panels.
#include "themes/UiStatusBars.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "framework/Application.h"
#include "framework/CodePages.h"
#include "framework/Exceptions.h"
#include "framework/Forms.h"
#include "framework/GdiHandles.h"
#include "framework/ImageListLink.h"
#include "themes/Ui.h"

namespace {

// The status-bar area of the simplified item infos.
constexpr int statusArea = 0x200;

// The panel under the mouse, one for every bar: a move onto another bar takes it over.
TUiStatusPanel* hotPanel = nullptr;

TRect inflated(const TRect& R, int DX, int DY) { return {R.Left - DX, R.Top - DY, R.Right + DX, R.Bottom + DY}; }

TRect shrunk(const TRect& R, const TUiMargins& M) {
  return {R.Left + M.Left, R.Top + M.Top, R.Right - M.Right, R.Bottom - M.Bottom};
}

UINT alignmentFormat(TAlignment A) {
  switch (A) {
    case taRightJustify: return DT_RIGHT;
    case taCenter: return DT_CENTER;
    default: return DT_LEFT;
  }
}

UINT truncationFormat(TTextTruncation T) {
  switch (T) {
    case twEndEllipsis: return DT_END_ELLIPSIS;
    case twPathEllipsis: return DT_PATH_ELLIPSIS;
    default: return 0;
  }
}

}  // namespace

// ---- TUiStatusPanel ----

// The panel joins its collection only when whole: joining lays the bar out.
TUiStatusPanel::TUiStatusPanel(TCollection* Collection)
    : TCollectionItem(nullptr), fontSettings_(std::make_unique<TFontSettings>()) {
  fontSettings_->OnChange = TNotifyEvent(this, &TUiStatusPanel::FontSettingsChanged);
  SetCollection(Collection);
}

TUiStatusPanel::~TUiStatusPanel() {
  if (hotPanel == this) hotPanel = nullptr;
  if (TUiCustomStatusBar* bar = StatusBar()) bar->PanelDestroying(this);
  SetCollection(nullptr);
}

TUiCustomStatusBar* TUiStatusPanel::StatusBar() const {
  auto* panels = dynamic_cast<TUiStatusPanels*>(Collection());
  return panels ? panels->StatusBar() : nullptr;
}

void TUiStatusPanel::Repaint() {
  if (TUiCustomStatusBar* bar = StatusBar()) bar->Invalidate();
}

void TUiStatusPanel::Relayout() { Changed(false); }

void TUiStatusPanel::FontSettingsChanged(TObject*) { Repaint(); }

void TUiStatusPanel::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TUiStatusPanel*>(Source);
  if (!src) {
    inherited::Assign(Source);
    return;
  }
  // Every setting travels, not only the view priority: a copied bar shows the same panels.
  asToolbarButton_ = src->asToolbarButton_;
  alignment_ = src->alignment_;
  caption_ = src->caption_;
  dropDownArrow_ = src->dropDownArrow_;
  enabled_ = src->enabled_;
  framed_ = src->framed_;
  fontSettings_->Assign(src->fontSettings_.get());
  hint_ = src->hint_;
  imageIndex_ = src->imageIndex_;
  maxSize_ = src->maxSize_;
  size_ = src->size_;
  stretchPriority_ = src->stretchPriority_;
  tag_ = src->tag_;
  textTruncation_ = src->textTruncation_;
  viewPriority_ = src->viewPriority_;
  // The source's control belongs to another bar: take the control of the same name here.
  if (src->control_) {
    TUiCustomStatusBar* bar = StatusBar();
    TComponent* owner = bar ? bar->Owner() : nullptr;
    if (owner)
      if (auto* c = dynamic_cast<TControl*>(owner->FindComponent(src->control_->Name())); c) SetControl(c);
  }
  Relayout();
}

std::string TUiStatusPanel::GetDisplayName() {
  if (!caption_.empty()) return WideToAnsi(caption_);
  if (control_) return "[ " + control_->Name() + " ]";
  return inherited::GetDisplayName();
}

void TUiStatusPanel::SetAsToolbarButton(bool Value) {
  if (Value == asToolbarButton_) return;
  asToolbarButton_ = Value;
  Relayout();
}

void TUiStatusPanel::SetAlignment(TAlignment Value) {
  if (Value == alignment_) return;
  alignment_ = Value;
  Repaint();
}

void TUiStatusPanel::SetCaption(const WideString& Value) {
  if (Value == caption_) return;
  caption_ = Value;
  Repaint();
}

void TUiStatusPanel::SetControl(TControl* Value) {
  if (Value == control_) return;
  TUiCustomStatusBar* bar = StatusBar();
  if (Value && bar) {
    for (TControl* p = bar; p; p = p->Parent())
      if (p == Value) throw EInvalidOperation("Can't insert own parent");
    if (TUiStatusPanel* other = bar->PanelOf(Value)) other->control_ = nullptr;
  }
  TControl* previous = control_;
  control_ = Value;
  if (Value && bar) {
    bar->assigningControl_ = true;
    try {
      Value->SetParent(bar);
    } catch (...) {
      bar->assigningControl_ = false;
      control_ = previous;
      throw;
    }
    bar->assigningControl_ = false;
    Value->FreeNotification(bar);
  }
  if (previous) previous->Perform(CM_SHOWINGCHANGED);
  Relayout();
}

void TUiStatusPanel::SetDropDownArrow(bool Value) {
  if (Value == dropDownArrow_) return;
  dropDownArrow_ = Value;
  Relayout();
}

void TUiStatusPanel::SetEnabled(bool Value) {
  if (Value == enabled_) return;
  enabled_ = Value;
  Repaint();
}

void TUiStatusPanel::SetFramed(bool Value) {
  if (Value == framed_) return;
  framed_ = Value;
  Repaint();
}

void TUiStatusPanel::SetImageIndex(int Value) {
  if (Value == imageIndex_) return;
  imageIndex_ = Value;
  if (TUiCustomStatusBar* bar = StatusBar(); bar && bar->Images()) Repaint();
}

void TUiStatusPanel::SetMaxSize(int Value) {
  if (Value == maxSize_) return;
  maxSize_ = Value;
  Relayout();
}

void TUiStatusPanel::SetSize(int Value) {
  if (Value == size_) return;
  size_ = Value;
  Relayout();
}

void TUiStatusPanel::SetStretchPriority(int Value) {
  if (Value == stretchPriority_) return;
  stretchPriority_ = Value;
  Relayout();
}

void TUiStatusPanel::SetTextTruncation(TTextTruncation Value) {
  if (Value == textTruncation_) return;
  textTruncation_ = Value;
  Repaint();
}

void TUiStatusPanel::SetViewPriority(int Value) {
  if (Value == viewPriority_) return;
  viewPriority_ = Value;
  Relayout();
}

HV_PUBLISH(TUiStatusPanel) {
  p.Prop("Alignment", &T::Alignment, &T::SetAlignment).Default(taLeftJustify);
  p.Prop("AsToolbarButton", &T::AsToolbarButton, &T::SetAsToolbarButton).Default(0);
  p.Prop("Caption", &T::Caption, &T::SetCaption);
  p.Prop("Control", &T::Control, &T::SetControl);
  p.Prop("DropDownArrow", &T::DropDownArrow, &T::SetDropDownArrow).Default(0);
  p.Prop("Enabled", &T::Enabled, &T::SetEnabled).Default(1);
  p.Prop("Framed", &T::Framed, &T::SetFramed).Default(1);
  p.Prop("FontSettings", &T::FontSettings, &T::SetFontSettings);
  p.Prop("Hint", &T::Hint, &T::SetHint);
  p.Prop("ImageIndex", &T::ImageIndex, &T::SetImageIndex).Default(-1);
  p.Prop("MaxSize", &T::MaxSize, &T::SetMaxSize).Default(0);
  p.Prop("Size", &T::Size, &T::SetSize).Default(50);
  p.Prop("StretchPriority", &T::StretchPriority, &T::SetStretchPriority).Default(0);
  p.Prop("Tag", &T::Tag, &T::SetTag).Default(0);
  p.Prop("TextTruncation", &T::TextTruncation, &T::SetTextTruncation).Default(twNone);
  p.Prop("ViewPriority", &T::ViewPriority, &T::SetViewPriority).Default(100);
}

// ---- TUiStatusPanels ----

TUiStatusPanels::TUiStatusPanels(TUiCustomStatusBar* AOwner)
    : TCollection(TUiStatusPanel::StaticClassInfo()), owner_(AOwner) {}

TPersistent* TUiStatusPanels::GetOwner() { return owner_; }

void TUiStatusPanels::Update(TCollectionItem*) {
  if (owner_) owner_->RealignPanels();
}

HV_PUBLISH(TUiStatusPanels) {}

// ---- layout ----

// Sums and edges are taken in 64 bits and clamped, so that no size, however large, wraps a
// rectangle around; a negative size takes no room.
void LayoutStatusPanels(TUiStatusPanels* Panels, const TRect& Content) {
  const int available = Content.Width();
  std::vector<TUiStatusPanel*> list;
  int64_t total = 0;
  for (int i = 0; i < Panels->Count(); ++i) {
    TUiStatusPanel* p = Panels->Items(i);
    p->last_ = false;
    p->visible_ = p->viewPriority_ != 0;
    if (!p->visible_) continue;
    p->width_ = std::max(p->size_, 0);
    list.push_back(p);
    total += p->width_;
  }
  // Highest view priority first; among equals the later panel goes first.
  std::stable_sort(list.begin(), list.end(),
                   [](TUiStatusPanel* A, TUiStatusPanel* B) { return A->viewPriority_ > B->viewPriority_; });
  while (total > available && list.size() >= 2 && list.back()->viewPriority_ < 100) {
    list.back()->visible_ = false;
    total -= list.back()->width_;
    list.pop_back();
  }
  int64_t spare = available - total;
  if (spare > 0) {
    std::erase_if(list, [](TUiStatusPanel* P) { return P->stretchPriority_ == 0; });
    // Highest stretch priority first; among equals the earlier panel.
    std::stable_sort(list.begin(), list.end(),
                     [](TUiStatusPanel* A, TUiStatusPanel* B) { return A->stretchPriority_ > B->stretchPriority_; });
    for (TUiStatusPanel* p : list) {
      if (spare < 1) break;
      int64_t take = std::min<int64_t>(spare, INT_MAX - p->width_);
      // A panel at or beyond its limit already takes nothing more.
      if (p->maxSize_ > 0) take = std::clamp<int64_t>(int64_t{p->maxSize_} - p->width_, 0, take);
      p->width_ += static_cast<int>(take);
      spare -= take;
    }
  }
  int64_t x = 0;
  for (int i = 0; i < Panels->Count(); ++i) {
    TUiStatusPanel* p = Panels->Items(i);
    if (p->visible_ && x >= available) p->visible_ = false;
    if (!p->visible_) {
      p->rect_ = TRect();
      continue;
    }
    const int64_t right = std::min<int64_t>(x + p->width_, INT_MAX);
    p->rect_ = Rect(static_cast<int>(x), Content.Top, static_cast<int>(right), Content.Bottom);
    x += p->width_;
    p->last_ = x == available;
  }
}

// ---- TUiCustomStatusBar ----

TFont* StatusBarSystemFont() {
  static const std::unique_ptr<TFont> font = [] {
    auto f = std::make_unique<TFont>();
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
      f->SetLogFont(metrics.lfStatusFont);
    return f;
  }();
  return font.get();
}

TUiCustomStatusBar::TUiCustomStatusBar(TComponent* AOwner)
    : TCustomControl(AOwner), panels_(std::make_unique<TUiStatusPanels>(this)) {
  SetControlStyle(ControlStyle() + csAcceptsControls + csCaptureMouse + csClickEvents + csDoubleClicks);
  SetBounds(Left(), Top(), 150, 22);
  SetAlign(alBottom);
  SetDoubleBuffered(true);
  RegisterThemeListener(this);
  FetchMargins();
}

TUiCustomStatusBar::~TUiCustomStatusBar() {
  UnregisterThemeListener(this);
  SetImages(nullptr);
  // The panels go first, so that none reaches back into a half-destroyed bar.
  TUiStatusPanels* panels = panels_.get();
  for (int i = 0; i < panels->Count(); ++i) {
    TUiStatusPanel* p = panels->Items(i);
    if (hotPanel == p) hotPanel = nullptr;
    p->control_ = nullptr;
  }
  auto doomed = std::move(panels_);
  doomed->BeginUpdate();
  doomed.reset();
}

void TUiCustomStatusBar::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

void TUiCustomStatusBar::FetchMargins() { margins_ = CurrentTheme ? CurrentTheme->GetMargins(3) : TUiMargins{}; }

void TUiCustomStatusBar::SetImages(TCustomImageList* Value) {
  if (!LinkImageList(images_, Value, TNotifyEvent(this, &TUiCustomStatusBar::ImagesChanged), this)) return;
  Invalidate();
}

void TUiCustomStatusBar::ImagesChanged(TObject*) { Invalidate(); }

void TUiCustomStatusBar::SetSimplePanel(bool Value) {
  if (Value == simplePanel_) return;
  simplePanel_ = Value;
  Invalidate();
}

void TUiCustomStatusBar::SetSimpleText(const WideString& Value) {
  if (Value == simpleText_) return;
  simpleText_ = Value;
  Invalidate();
}

void TUiCustomStatusBar::SetSizeGrip(bool Value) {
  if (Value == sizeGrip_) return;
  sizeGrip_ = Value;
  Invalidate();
}

void TUiCustomStatusBar::SetUseSystemFont(bool Value) {
  if (Value == useSystemFont_) return;
  useSystemFont_ = Value;
  RealignPanels();
}

TFont* TUiCustomStatusBar::DrawingFont() { return useSystemFont_ ? StatusBarSystemFont() : Font(); }

TUiStatusPanel* TUiCustomStatusBar::GetPanelAt(int X, int Y) const {
  if (!panels_) return nullptr;
  for (int i = 0; i < panels_->Count(); ++i) {
    TUiStatusPanel* p = panels_->Items(i);
    if (p->visible_ && p->rect_.Contains({X, Y})) return p;
  }
  return nullptr;
}

TUiStatusPanel* TUiCustomStatusBar::PanelOf(TControl* Control) const {
  if (!panels_ || !Control) return nullptr;
  for (int i = 0; i < panels_->Count(); ++i)
    if (panels_->Items(i)->control_ == Control) return panels_->Items(i);
  return nullptr;
}

TRect TUiCustomStatusBar::SizeGripRect() {
  if (!sizeGrip_ || !HandleAllocated()) return {};
  TCustomForm* form = GetParentForm(this);
  if (!form || !form->HandleAllocated() || form->WindowState() != wsNormal || IsZoomed(form->Handle()) ||
      IsIconic(form->Handle()))
    return {};
  TRect client = ClientRect();
  TPoint corner = ClientToScreen(client.BottomRight());
  TRect formClient = form->ClientRect();
  if (corner != form->ClientToScreen(formClient.BottomRight())) return {};
  return Rect(client.Right - GetSystemMetrics(SM_CXVSCROLL), client.Top + 3, client.Right, client.Bottom);
}

void TUiCustomStatusBar::UpdatePanels() {
  if (!panels_ || panels_->Count() == 0) return;
  FetchMargins();
  TRect content = ClientRect();
  content.Top += 2;
  LayoutStatusPanels(panels_.get(), content);
}

void TUiCustomStatusBar::RealignPanels() {
  if (!panels_) return;
  Invalidate();
  UpdatePanels();
  for (int i = 0; i < panels_->Count(); ++i) {
    TUiStatusPanel* p = panels_->Items(i);
    if (!p->control_) continue;
    if (!p->visible_)
      p->control_->SetBoundsRect(TRect());
    else
      p->control_->SetBoundsRect(p->framed_ ? shrunk(p->rect_, margins_) : p->rect_);
  }
}

void TUiCustomStatusBar::Loaded() {
  inherited::Loaded();
  RealignPanels();
}

void TUiCustomStatusBar::Resize() {
  inherited::Resize();
  RealignPanels();
}

void TUiCustomStatusBar::DoAdjustContentRect(TUiStatusPanel* Panel, TRect& Rect) {
  if (Panel->framed_) Rect = shrunk(Rect, margins_);
  if (OnAdjustContentRect) OnAdjustContentRect(this, Panel, Rect);
}

void TUiCustomStatusBar::DoAdjustFont(TUiStatusPanel* Panel, TFont* Font) {
  if (OnAdjustFont) OnAdjustFont(this, Panel, Font);
}

void TUiCustomStatusBar::DoPanelClick(TUiStatusPanel* Panel) {
  if (OnPanelClick) OnPanelClick(this, Panel);
}

void TUiCustomStatusBar::DoPanelDblClick(TUiStatusPanel* Panel) {
  if (OnPanelDblClick) OnPanelDblClick(this, Panel);
}

void TUiCustomStatusBar::Paint() {
  if (!CurrentTheme) return;
  TCanvas* canvas = Canvas();
  TRect client = ClientRect();
  CurrentTheme->PaintStatusBar(canvas, client, 0);
  TRect content = client;
  content.Top += 2;
  if (simplePanel_) {
    if (!simpleText_.empty()) {
      canvas->Font()->Assign(DrawingFont());
      canvas->Font()->SetColor(GetSimpleItemTextColor(statusArea | (Enabled() ? 0 : ISF_DISABLED)));
      canvas->Brush()->SetStyle(bsClear);
      TRect r = inflated(content, -4, 0);
      canvas->DrawText(r, simpleText_, DT_SINGLELINE | DT_VCENTER);
    }
  } else {
    HDC dc = canvas->Handle();
    for (int i = 0; i < panels_->Count(); ++i) {
      TUiStatusPanel* p = panels_->Items(i);
      if (!p->visible_ || p->rect_.IsEmpty()) continue;
      RECT r = ToRECT(p->rect_);
      if (!RectVisible(dc, &r)) continue;
      // The frame's end part follows the layout: the panel that reaches the right edge.
      if (p->framed_) CurrentTheme->PaintStatusBar(canvas, p->rect_, p->last_ ? 2 : 1);
      canvas->Font()->Assign(DrawingFont());
      canvas->Font()->SetColor(GetSimpleItemTextColor(statusArea | (p->enabled_ ? 0 : ISF_DISABLED)));
      p->fontSettings_->Apply(canvas->Font());
      DoAdjustFont(p, canvas->Font());
      TRect area = p->rect_;
      DoAdjustContentRect(p, area);
      DrawPanel(area, p, i == panels_->Count() - 1);
    }
  }
  TRect grip = SizeGripRect();
  if (!grip.IsEmpty()) CurrentTheme->PaintStatusBar(canvas, grip, 3);
}

void TUiCustomStatusBar::DrawPanel(const TRect& Rect, TUiStatusPanel* Panel, bool IsLast) {
  if (!CurrentTheme) return;
  TCanvas* canvas = Canvas();
  TRect r = Rect;
  if (ThemesUsable) r = inflated(r, -1, 0);
  // A button-like panel looks like a toolbar button; its caption stays status-bar text.
  TUiItemInfo info;
  info.ViewType = VT_TOOLBAR;
  info.Enabled = Panel->enabled_;
  info.Pushed = Panel->pushed_;
  info.HoverKind = Panel->hot_ ? 2 : 0;
  if (Panel->asToolbarButton_) {
    if (IsLast && Panel->stretchPriority_ > 0 && Panel->maxSize_ == 0) r.Right -= GetSystemMetrics(SM_CXVSCROLL);
    CurrentTheme->PaintButton(canvas, r, info);
  }
  TRect text = r;
  if (Panel->imageIndex_ >= 0 && images_) {
    int w = images_->Width();
    int h = images_->Height();
    int y = r.Top + (r.Height() - h) / 2;
    int x;
    switch (Panel->alignment_) {
      case taRightJustify:
        x = r.Right - w;
        text.Right = x - 4;
        break;
      case taCenter: x = r.Left + (r.Width() - w) / 2; break;
      default: x = r.Left; text.Left = x + w + 4;
    }
    if (Panel->enabled_)
      images_->Draw(canvas, x, y, Panel->imageIndex_, true);
    else
      CurrentTheme->PaintImage(canvas, Bounds(x, y, w, h), info, images_, Panel->imageIndex_);
  }
  UINT format =
      alignmentFormat(Panel->alignment_) | DT_SINGLELINE | DT_VCENTER | truncationFormat(Panel->textTruncation_);
  if (Panel->alignment_ == taLeftJustify) text.Left += 4;
  if (Panel->alignment_ == taRightJustify) text.Right -= 4;
  if (Panel->asToolbarButton_ && Panel->pushed_)
    text = Bounds(text.Left + 1, text.Top + 1, text.Width(), text.Height());
  PaintSimpleCaption(canvas, text, statusArea | (Panel->enabled_ ? 0 : ISF_DISABLED), Panel->caption_, format);
  if (Panel->enabled_ && Panel->dropDownArrow_) {
    TRect arrow = r;
    arrow.Left = arrow.Right - GetSystemMetrics(SM_CXVSCROLL);
    CurrentTheme->PaintDropDownArrow(canvas, arrow, info);
  }
}

void TUiCustomStatusBar::SetHotPanel(TUiStatusPanel* Panel, bool Pushed) {
  if (hotPanel == Panel && (!Panel || Panel->pushed_ == Pushed)) return;
  if (hotPanel) {
    hotPanel->hot_ = false;
    hotPanel->pushed_ = false;
    if (TUiCustomStatusBar* bar = hotPanel->StatusBar(); bar && bar != this) bar->Invalidate();
  }
  hotPanel = Panel;
  if (Panel) {
    Panel->hot_ = true;
    Panel->pushed_ = Pushed;
  }
  Invalidate();
}

void TUiCustomStatusBar::MouseMove(TShiftState Shift, int X, int Y) {
  inherited::MouseMove(Shift, X, Y);
  SetHotPanel(GetPanelAt(X, Y), Shift.Contains(ssLeft));
}

void TUiCustomStatusBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  inherited::MouseDown(Button, Shift, X, Y);
  if (Button == mbLeft) SetHotPanel(GetPanelAt(X, Y), true);
}

void TUiCustomStatusBar::CMMouseLeave(TMessage& Message) {
  inherited::CMMouseLeave(Message);
  if (hotPanel && hotPanel->StatusBar() == this) SetHotPanel(nullptr, false);
}

TUiStatusPanel* TUiCustomStatusBar::PanelUnderCursor() {
  if (!HandleAllocated()) return nullptr;
  TPoint p = ScreenToClient(MousePos());
  return GetPanelAt(p.X, p.Y);
}

void TUiCustomStatusBar::Click() {
  inherited::Click();
  if (TUiStatusPanel* p = PanelUnderCursor(); p && p->enabled_) DoPanelClick(p);
}

void TUiCustomStatusBar::DblClick() {
  inherited::DblClick();
  if (TUiStatusPanel* p = PanelUnderCursor()) DoPanelDblClick(p);
}

void TUiCustomStatusBar::CMHintShow(TMessage& Message) {
  auto& info = *reinterpret_cast<THintInfo*>(Message.LParam);
  if (TUiStatusPanel* p = GetPanelAt(info.CursorPos.X, info.CursorPos.Y)) {
    info.HintStr = p->hint_;
    info.CursorRect = p->rect_;
    Message.Result = 0;
    return;
  }
  inherited::CMHintShow(Message);
}

void TUiCustomStatusBar::CMFontChanged(TMessage& Message) {
  inherited::CMFontChanged(Message);
  RealignPanels();
}

void TUiCustomStatusBar::CMVisibleChanged(TMessage& Message) {
  inherited::CMVisibleChanged(Message);
  // Below every other bottom-aligned control of the parent.
  if (fixAlign_ && Visible() && Parent()) SetTop(Parent()->ClientHeight());
}

void TUiCustomStatusBar::CMControlChange(TMessage& Message) {
  inherited::CMControlChange(Message);
  auto* control = reinterpret_cast<TControl*>(Message.WParam);
  if (!panels_ || !control) return;
  if (Message.LParam) {
    if (assigningControl_ || IsLoading() || control->IsLoading() || PanelOf(control)) return;
    if (!dynamic_cast<TWinControl*>(control)) return;
    TUiStatusPanel* p = panels_->Add();
    p->SetControl(control);
  } else if (TUiStatusPanel* p = PanelOf(control)) {
    if (control->IsDestroying()) {
      p->control_ = nullptr;
    } else {
      p->control_ = nullptr;
      delete p;
    }
  }
}

void TUiCustomStatusBar::PanelDestroying(TUiStatusPanel* Panel) {
  // The control stays on the bar, out of the layout.
  if (TControl* c = Panel->control_) {
    Panel->control_ = nullptr;
    c->Perform(CM_SHOWINGCHANGED);
  }
}

void TUiCustomStatusBar::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == images_) images_ = nullptr;
  if (TUiStatusPanel* p = PanelOf(dynamic_cast<TControl*>(AComponent))) p->control_ = nullptr;
}

void TUiCustomStatusBar::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_ERASEBKGND: Message.Result = 1; return;
    case WM_NCHITTEST: {
      TRect grip = SizeGripRect();
      TPoint p =
          ScreenToClient({static_cast<short>(LOWORD(Message.LParam)), static_cast<short>(HIWORD(Message.LParam))});
      if (grip.Contains(p)) {
        Message.Result = HTBOTTOMRIGHT;
        return;
      }
      break;
    }
    case WM_NCLBUTTONDOWN:
      // The form sizes itself from its own corner.
      if (Message.WParam == HTBOTTOMRIGHT)
        if (TCustomForm* form = GetParentForm(this)) {
          PostMessageW(form->Handle(), WM_NCLBUTTONDOWN, HTBOTTOMRIGHT, Message.LParam);
          return;
        }
      break;
    case UM_THEMECHANGE:
      if (Message.WParam == 3) {
        FetchMargins();
        RealignPanels();
      }
      return;
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH: {
      // What the bar shows, for screen readers and other programs: the simple text, or the
      // captions of the panels separated by tabs.
      const WideString text = ShownText();
      if (Message.Msg == WM_GETTEXTLENGTH) {
        Message.Result = static_cast<LRESULT>(text.size());
        return;
      }
      auto* buffer = reinterpret_cast<wchar_t*>(Message.LParam);
      const size_t room = static_cast<size_t>(Message.WParam);
      if (!buffer || room == 0) {
        Message.Result = 0;
        return;
      }
      const size_t n = std::min(text.size(), room - 1);
      std::copy_n(text.data(), n, buffer);
      buffer[n] = L'\0';
      Message.Result = static_cast<LRESULT>(n);
      return;
    }
    default: break;
  }
  inherited::Dispatch(Message);
}

WideString TUiCustomStatusBar::ShownText() const {
  if (simplePanel_) return simpleText_;
  WideString text;
  for (int i = 0; i < panels_->Count(); ++i) text += (i ? L"\t" : L"") + panels_->Items(i)->Caption();
  return text;
}

HV_PUBLISH(TUiCustomStatusBar) {}

HV_PUBLISH(TUiStatusBar) {
  p.Prop("Height", &T::Height, &T::SetHeight).Default(22);
  p.Prop("Panels", &T::Panels, &T::SetPanels);
  p.Prop("Images", &T::Images, &T::SetImages);
  p.Prop("SimplePanel", &T::SimplePanel, &T::SetSimplePanel).Default(0);
  p.Prop("SimpleText", &T::SimpleText, &T::SetSimpleText);
  p.Prop("SizeGrip", &T::SizeGrip, &T::SetSizeGrip).Default(1);
  p.Prop("UseSystemFont", &T::UseSystemFont, &T::SetUseSystemFont).Default(0);
  p.Prop("FixAlign", &T::FixAlign, &T::SetFixAlign).Default(0);
  p.Event("OnAdjustContentRect", &T::OnAdjustContentRect);
  p.Event("OnPanelClick", &T::OnPanelClick);
  p.Event("OnPanelDblClick", &T::OnPanelDblClick);
}

namespace {
const bool registered = [] {
  RegisterClass(TUiStatusBar::StaticClassInfo());
  return true;
}();
}  // namespace
