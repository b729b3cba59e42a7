// The page list and its pages.
#include "controls/ApPageList.h"

#include <algorithm>

#include "framework/DesignFrame.h"
#include "framework/FormFiles.h"
#include "framework/Forms.h"

HV_PUBLISH(TApCustomPage) {}

HV_PUBLISH(TApStandardPage) {
  p.Prop("BorderWidth", &T::BorderWidth, &T::SetBorderWidth).Default(0);
  p.Prop("Caption", &T::Caption, &T::SetCaption);
  p.Prop("ParentBackground", &T::ParentBackground, &T::SetParentBackground).Default(0);
  p.Prop("PageIndex", &T::GetPageIndex, &T::SetPageIndex).Default(-1);
  p.Event("OnHide", &T::OnHide);
  p.Event("OnShow", &T::OnShow);
  p.Event("OnBeforePaint", &T::OnBeforePaint);
  p.Event("OnPaint", &T::OnPaint);
  p.Event("OnAfterPaint", &T::OnAfterPaint);
  p.Event("OnMouseEnter", &T::OnMouseEnter);
  p.Event("OnMouseLeave", &T::OnMouseLeave);
  p.Event("OnParentColorChange", &T::OnParentColorChange);
  p.Event("OnEnter", &T::OnEnter);
  p.Event("OnExit", &T::OnExit);
}

HV_PUBLISH(TApCustomPageList) {}

HV_PUBLISH(TApPageList) {
  p.Prop("ActivePage", &T::ActivePage, &T::SetActivePage);
  p.Prop("PropagateEnable", &T::PropagateEnable, &T::SetPropagateEnable).Default(0);
  p.Prop("ShowDesignCaption", &T::ShowDesignCaption, &T::SetShowDesignCaption).Default(sdcCenter);
  p.Event("OnChange", &T::OnChange);
  p.Event("OnChanging", &T::OnChanging);
}

// ---- pages ----

TApCustomPage::TApCustomPage(TComponent* AOwner) : inherited(AOwner) {
  SetAlign(alClient);
  TControlStyle style = ControlStyle();
  style.Include(csAcceptsControls);
  style.Include(csOpaque);
  style.Include(csNoDesignVisible);
  SetControlStyle(style);
  SetVisible(false);
}

TApCustomPage::~TApCustomPage() {
  destroying_ = true;
  if (pageList_) pageList_->RemovePage(this);
  if (hiddenIn_) {
    auto& hidden = hiddenIn_->hidden_;
    hidden.erase(std::remove(hidden.begin(), hidden.end(), this), hidden.end());
  }
}

void TApCustomPage::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TApCustomPage::SetPageList(TApCustomPageList* Value) {
  if (Value == pageList_) return;
  if (pageList_) pageList_->RemovePage(this);
  pageList_ = Value;
  SetParent(Value);
  if (Value) Value->InsertPage(this);
}

void TApCustomPage::SetParentComponent(TComponent* Value) {
  if (auto* list = dynamic_cast<TApCustomPageList*>(Value)) {
    SetPageList(list);
    return;
  }
  inherited::SetParentComponent(Value);
}

int TApCustomPage::GetPageIndex() {
  if (!pageList_) return pageIndex_;
  const auto& pages = pageList_->pages_;
  auto it = std::find(pages.begin(), pages.end(), this);
  return it == pages.end() ? -1 : static_cast<int>(it - pages.begin());
}

void TApCustomPage::SetPageIndex(int Value) {
  if (pageList_ && Value != GetPageIndex() && Value >= 0 && Value < pageList_->GetPageCount())
    pageList_->MovePage(GetPageIndex(), Value);
  pageIndex_ = Value;
}

void TApCustomPage::TextChanged() {
  inherited::TextChanged();
  if (ComponentState().Contains(csDesigning)) Invalidate();
}

bool TApCustomPage::DoBeforePaint(TCanvas* ACanvas, const TRect& ARect) {
  bool defaultDraw = true;
  if (OnBeforePaint) OnBeforePaint(this, ACanvas, ARect, defaultDraw);
  return defaultDraw;
}

void TApCustomPage::DoAfterPaint(TCanvas* ACanvas, const TRect& ARect) {
  if (OnAfterPaint) OnAfterPaint(this, ACanvas, ARect);
}

void TApCustomPage::Paint() {
  TRect r = ClientRect();
  if (DoBeforePaint(Canvas(), r)) DoPaint(Canvas(), r);
  DoAfterPaint(Canvas(), r);
}

namespace {

// DrawText flags for a design caption at Where.
unsigned CaptionPlacement(TApShowDesignCaption Where) {
  switch (Where) {
    case sdcTopCenter: return DT_CENTER | DT_TOP;
    case sdcTopRight: return DT_RIGHT | DT_TOP;
    case sdcLeftCenter: return DT_LEFT | DT_VCENTER;
    case sdcCenter: return DT_CENTER | DT_VCENTER;
    case sdcRightCenter: return DT_RIGHT | DT_VCENTER;
    case sdcBottomLeft: return DT_LEFT | DT_BOTTOM;
    case sdcBottomCenter: return DT_CENTER | DT_BOTTOM;
    case sdcBottomRight: return DT_RIGHT | DT_BOTTOM;
    default: return DT_LEFT | DT_TOP;
  }
}

}  // namespace

void TApCustomPage::DoPaint(TCanvas* ACanvas, const TRect& ARect) {
  ACanvas->SetFont(Font());
  ACanvas->Brush()->SetStyle(bsSolid);
  ACanvas->Brush()->SetColor(Color());
  DrawThemedBackground(this, ACanvas, ARect, ParentBackground(), Color());
  if (ComponentState().Contains(csDesigning)) {
    DrawDesignFrame(ACanvas, ARect, psDot, clBlack);
    if (pageList_ && pageList_->ShowDesignCaption() != sdcNone) {
      WideString text = Caption().empty() ? WideString(Name().begin(), Name().end()) : Caption();
      TRect r{ARect.Left + 4, ARect.Top + 4, ARect.Right - 4, ARect.Bottom - 4};
      unsigned flags = DT_SINGLELINE | CaptionPlacement(pageList_->ShowDesignCaption());
      if (!Enabled()) {
        // Embossed: the grey text lies over the light one without hiding it.
        ACanvas->Brush()->SetStyle(bsClear);
        ACanvas->Font()->SetColor(clHighlightText);
        ACanvas->DrawText(r, text, flags);
        TRect up{r.Left - 1, r.Top - 1, r.Right - 1, r.Bottom - 1};
        ACanvas->Font()->SetColor(clGrayText);
        ACanvas->DrawText(up, text, flags);
      } else {
        ACanvas->DrawText(r, text, flags);
      }
    }
  }
  if (OnPaint) OnPaint(this, ACanvas, ARect);
}

bool TApCustomPage::DoEraseBackground(TCanvas* Canvas, LPARAM) {
  if (ThemesActive()) DrawThemedBackground(this, Canvas, ClientRect(), ParentBackground(), Color());
  return true;
}

void TApCustomPage::DoShow() {
  if (OnShow) OnShow(this);
}

void TApCustomPage::DoHide() {
  if (OnHide) OnHide(this);
}

void TApCustomPage::CMShowingChanged(TMessage& Message) {
  inherited::CMShowingChanged(Message);
  try {
    if (Showing())
      DoShow();
    else
      DoHide();
  } catch (...) {
    if (Application) Application->HandleException(this);
  }
}

void TApCustomPage::CMVisibleChanged(TMessage& Message) {
  inherited::CMVisibleChanged(Message);
  if (Visible() && pageList_ && !destroying_) pageList_->ShowControl(this);
}

// ---- the list ----

TApCustomPageList::TApCustomPageList(TComponent* AOwner) : inherited(AOwner) {
  TControlStyle style = ControlStyle();
  style.Include(csAcceptsControls);
  SetControlStyle(style);
  SetBounds(Left(), Top(), 300, 200);
}

TApCustomPageList::~TApCustomPageList() {
  for (TApCustomPage* page : pages_) page->pageList_ = nullptr;
  for (TApCustomPage* page : hidden_) page->hiddenIn_ = nullptr;
  pages_.clear();
  hidden_.clear();
  activePage_ = nullptr;
}

bool TApCustomPageList::CanChange(int AIndex) {
  bool allow = AIndex >= 0 && AIndex < GetPageCount();
  if (allow && OnChanging) OnChanging(this, AIndex, allow);
  return allow;
}

int TApCustomPageList::GetActivePageIndex() { return activePage_ ? activePage_->GetPageIndex() : -1; }

void TApCustomPageList::SetActivePageIndex(int Value) {
  if (TApCustomPage* page = GetPageFromIndex(Value))
    SetActivePage(page);
  else
    DeactivatePage();
}

TApCustomPage* TApCustomPageList::GetPageFromIndex(int Index) {
  return Index >= 0 && Index < GetPageCount() ? pages_[static_cast<size_t>(Index)] : nullptr;
}

int TApCustomPageList::GetPageCount() { return static_cast<int>(pages_.size()); }

WideString TApCustomPageList::GetPageCaption(int Index) {
  TApCustomPage* page = GetPageFromIndex(Index);
  return page ? page->Text() : WideString();
}

void TApCustomPageList::SetPageCaption(int Index, const WideString& Value) {
  if (TApCustomPage* page = GetPageFromIndex(Index)) page->SetText(Value);
}

const TClassInfo& TApCustomPageList::GetPageClass() { return TApCustomPage::StaticClassInfo(); }

void TApCustomPageList::Change() {
  if (!IsLoading() && OnChange) OnChange(this);
}

void TApCustomPageList::DeactivatePage() {
  TApCustomPage* old = activePage_;
  if (!old) return;
  activePage_ = nullptr;
  activating_ = true;
  if (!old->destroying_) old->SetVisible(false);
  activating_ = false;
  Change();
}

void TApCustomPageList::SetActivePage(TApCustomPage* Page) {
  // The last page has gone: no page is left to show, and nothing to announce.
  if (pages_.empty()) {
    activePage_ = nullptr;
    return;
  }
  if (!Page || Page->pageList_ != this) return;
  TCustomForm* form = GetParentForm(this);
  TApCustomPage* old = activePage_;
  // The focus leaves the old page first; a form that refuses keeps the old page.
  if (form && old && old != Page && form->ActiveControl() && old->ContainsControl(form->ActiveControl())) {
    TWinControl* before = form->ActiveControl();
    if (old->CanFocus()) form->SetActiveControl(old);
    if (form->ActiveControl() == before) {
      activating_ = true;
      old->SetVisible(true);
      activating_ = false;
      return;
    }
  }
  activating_ = true;
  Page->SetVisible(true);
  if (form && old && form->ActiveControl() == old) {
    TWinControl* target = Page->CanFocus() ? static_cast<TWinControl*>(Page) : this;
    if (target->CanFocus()) form->SetActiveControl(target);
  }
  Page->Update();
  for (TApCustomPage* other : pages_)
    if (other != Page) other->SetVisible(false);
  activating_ = false;
  if (activePage_ != Page) {
    activePage_ = Page;
    Change();
  }
  if (form && form->ActiveControl() == activePage_) activePage_->SelectNext(nullptr, true, true);
}

void TApCustomPageList::ShowControl(TApCustomPage* Page) {
  if (activating_ || Page == activePage_) return;
  SetActivePage(Page);
}

void TApCustomPageList::InsertPage(TApCustomPage* Page) {
  if (!Page || std::find(pages_.begin(), pages_.end(), Page) != pages_.end()) return;
  pages_.push_back(Page);
}

void TApCustomPageList::RemovePage(TApCustomPage* Page) {
  auto it = std::find(pages_.begin(), pages_.end(), Page);
  if (it == pages_.end()) return;
  TApCustomPage* next = it + 1 != pages_.end() ? *(it + 1) : nullptr;
  if (Page != activePage_) next = activePage_;
  if (!Page->destroying_) {
    activating_ = true;
    Page->SetVisible(false);
    activating_ = false;
  }
  Page->pageList_ = nullptr;
  pages_.erase(it);
  if (!next && !pages_.empty()) next = pages_.back();
  if (IsDestroying()) return;
  SetActivePage(next);
}

void TApCustomPageList::HidePage(TApCustomPage* Page) {
  if (!Page || Page->pageList_ != this) return;
  if (Page == activePage_) NextPage();
  if (Page == activePage_) activePage_ = nullptr;  // the only page: it goes without a successor
  int index = Page->GetPageIndex();
  Page->SetPageList(nullptr);
  Page->pageIndex_ = index;
  Page->hiddenIn_ = this;
  hidden_.push_back(Page);
}

void TApCustomPageList::ShowPage(TApCustomPage* Page, int Index) {
  if (!Page || Page->pageList_) return;
  int remembered = Page->pageIndex_;
  Page->SetPageList(this);
  if (Index >= 0)
    Page->SetPageIndex(Index);
  else if (remembered >= 0)
    Page->SetPageIndex(remembered);
  hidden_.erase(std::remove(hidden_.begin(), hidden_.end(), Page), hidden_.end());
  Page->hiddenIn_ = nullptr;
}

void TApCustomPageList::NextPage() {
  int count = GetPageCount();
  if (count == 0) {
    SetActivePageIndex(-1);
    return;
  }
  int i = GetActivePageIndex() + 1;
  SetActivePageIndex(i >= count ? 0 : i);
}

void TApCustomPageList::PrevPage() {
  int count = GetPageCount();
  int i = GetActivePageIndex();
  // With no page active the last one comes before the first.
  SetActivePageIndex(i <= 0 ? count - 1 : i - 1);
}

void TApCustomPageList::MovePage(int FromIndex, int ToIndex) {
  int count = GetPageCount();
  if (FromIndex < 0 || FromIndex >= count || ToIndex < 0 || ToIndex >= count || FromIndex == ToIndex) return;
  TApCustomPage* page = pages_[static_cast<size_t>(FromIndex)];
  pages_.erase(pages_.begin() + FromIndex);
  pages_.insert(pages_.begin() + ToIndex, page);
}

void TApCustomPageList::DeletePage(int Index) { delete GetPageFromIndex(Index); }

namespace {

// A designer's name for a new component of a class: the class name without its first letter
// and the first number from 1 that no component of the owner (of any root, without owner) has.
std::string NewComponentName(const std::string& ClassName, TComponent* Owner) {
  const std::string stem = ClassName.size() > 1 ? ClassName.substr(1) : ClassName;
  for (int i = 1;; ++i) {
    std::string name = stem + std::to_string(i);
    if (Owner ? !Owner->FindComponent(name) : !FindGlobalComponent(name)) return name;
  }
}

}  // namespace

TApCustomPage* TApCustomPageList::NewPage() {
  const TClassInfo& cls = GetPageClass();
  if (!cls.NewComponent) return nullptr;
  auto* page = dynamic_cast<TApCustomPage*>(cls.NewComponent(Owner()));
  if (!page) return nullptr;
  try {
    if (ComponentState().Contains(csDesigning)) page->SetName(NewComponentName(cls.Name, Owner()));
    page->SetPageList(this);
  } catch (...) {
    delete page;
    throw;
  }
  return page;
}

void TApCustomPageList::SetPropagateEnable(bool Value) {
  if (Value == propagateEnable_) return;
  propagateEnable_ = Value;
  PropagateEnabled();
}

void TApCustomPageList::SetShowDesignCaption(TApShowDesignCaption Value) {
  if (Value == showDesignCaption_) return;
  showDesignCaption_ = Value;
  if (ComponentState().Contains(csDesigning) && HandleAllocated())
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_ERASE | RDW_UPDATENOW);
}

namespace {

void CopyEnabled(TWinControl* Parent, bool Value) {
  for (int i = 0; i < Parent->ControlCount(); ++i) {
    TControl* child = Parent->Controls(i);
    child->SetEnabled(Value);
    if (auto* windowed = dynamic_cast<TWinControl*>(child)) CopyEnabled(windowed, Value);
  }
}

}  // namespace

void TApCustomPageList::PropagateEnabled() {
  if (propagateEnable_) CopyEnabled(this, Enabled());
}

void TApCustomPageList::CMEnabledChanged(TMessage& Message) {
  inherited::CMEnabledChanged(Message);
  PropagateEnabled();
}

void TApCustomPageList::Loaded() {
  inherited::Loaded();
  if (!pages_.empty() && !activePage_) SetActivePage(pages_.front());
}

void TApCustomPageList::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
  for (TApCustomPage* page : pages_) Proc(page);
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* child = Controls(i);
    if (!dynamic_cast<TApCustomPage*>(child) && child->Owner() == Root) Proc(child);
  }
}

void TApCustomPageList::Paint() {
  if (!ComponentState().Contains(csDesigning) || !pages_.empty()) return;
  DrawDesignFrame(Canvas(), ClientRect(), psDot, clBlack);
}
