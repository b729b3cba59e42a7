// The tab set, the tab sheets and the tab control that shows one sheet per tab.
#include "themes/SkinTabs.h"

#include <algorithm>
#include <memory>

#include "framework/Bitmap.h"
#include "framework/CodePages.h"
#include "framework/Colors.h"
#include "framework/Conversions.h"
#include "framework/FormFiles.h"
#include "framework/Screen.h"
#include "framework/ScopeGuards.h"
#include "framework/VisualStyles.h"
#include "themes/Ui.h"
#include "themes/UiUtils.h"

HV_PUBLISH(TSkinItemCacheEntry) {
  p.Field("Name", &T::ItemName);
  p.Field("Width", &T::Width).Default(0);
  p.Field("Position", &T::Position).Default(0);
}
HV_PUBLISH(TSkinItemCacheCollection) {}
HV_PUBLISH(TSkinCustomTabSet) {}
HV_PUBLISH(TSkinTabSheet) {
  p.Prop("Caption", &T::Caption, &T::SetCaption);
  p.Prop("ImageIndex", &T::ImageIndex, &T::SetImageIndex);
  p.Prop("TabVisible", &T::TabVisible, &T::SetTabVisible);
}
HV_PUBLISH(TSkinCustomTabControl) {}
HV_PUBLISH(TSkinTabControl) {
  p.Prop("ActiveTabIndex", &T::ActiveTabIndex, &T::SetActiveTabIndex);
  p.Prop("Margins", &T::Margins, &T::SetMargins);
  p.Prop("TabAutofit", &T::TabAutofit, &T::SetTabAutofit).Default(false);
  p.Prop("TabAutofitMaxSize", &T::TabAutofitMaxSize, &T::SetTabAutofitMaxSize);
  p.Prop("TabBackgroundColor", &T::TabBackgroundColor, &T::SetTabBackgroundColor);
  p.Prop("TabDragReorder", &T::TabDragReorder, &T::SetTabDragReorder).Default(false);
  p.Prop("TabPosition", &T::TabPosition, &T::SetTabPosition).Default(ttpTop);
  p.Prop("TabVisible", &T::TabVisible, &T::SetTabVisible).Default(true);
  p.Prop("ThemeType", &T::ThemeType, &T::SetThemeType);
  p.Event("OnActiveTabChange", &T::OnActiveTabChange);
  p.Event("OnActiveTabChanging", &T::OnActiveTabChanging);
  p.Event("OnActiveTabReorder", &T::OnActiveTabReorder);
  p.Event("OnActiveTabReordering", &T::OnActiveTabReordering);
  p.Event("OnDrawBackground", &T::OnDrawBackground);
}

namespace {

TColor sheetColorFor(TSkinTabThemeType Style) { return Style == tttWindows || Style == tttUi ? clNone : clBtnFace; }

}  // namespace

// ---- tab set ----

TSkinCustomTabSet::TSkinCustomTabSet(TComponent* AOwner) : TSkinCompoundItemsControl(AOwner) {
  SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls, csOpaque});
  MakeParts();
  SetWidth(289);
  SetHeight(Dock()->Height() + 2);
  SetParentColor(false);
  SetColor(sheetColorFor(GetTabThemeTypeInUse(tttWindows)));
  Items()->RegisterNotification(TBarItemChangeHandler(this, &TSkinCustomTabSet::ItemsChanged));
}

TSkinCustomTabSet::~TSkinCustomTabSet() {
  if (Items()) Items()->UnregisterNotification(TBarItemChangeHandler(this, &TSkinCustomTabSet::ItemsChanged));
}

TSkinToolbar* TSkinCustomTabSet::CreateToolbar() { return new TSkinTabToolbar(this); }

TSkinTabToolbar* TSkinCustomTabSet::TabToolbar() const {
  return static_cast<TSkinTabToolbar*>(const_cast<TSkinCustomTabSet*>(this)->Toolbar());
}

int TSkinCustomTabSet::ActiveTabIndex() const { return TabToolbar() ? TabToolbar()->ActiveTabIndex() : -1; }

void TSkinCustomTabSet::SetActiveTabIndex(int Value) {
  if (IsLoading()) {
    loadedActiveIndex_ = Value;
    return;
  }
  if (TabToolbar()) TabToolbar()->SetActiveTabIndex(Value);
}

void TSkinCustomTabSet::SetTabVisible(bool Value) {
  if (Value == tabVisible_) return;
  tabVisible_ = Value;
  Dock()->SetVisible(Value);
}

TSkinTabThemeType TSkinCustomTabSet::ThemeType() const { return TabToolbar() ? TabToolbar()->ThemeType() : tttNone; }

void TSkinCustomTabSet::SetThemeType(TSkinTabThemeType Value) {
  if (!TabToolbar()) return;
  TabToolbar()->SetThemeType(Value);
  SetColor(sheetColorFor(GetTabThemeTypeInUse(Value)));
  paneCache_.reset();
  Realign();
}

TSkinTabPosition TSkinCustomTabSet::TabPosition() const { return TabToolbar() ? TabToolbar()->TabPosition() : ttpTop; }

void TSkinCustomTabSet::SetTabPosition(TSkinTabPosition Value) {
  if (!TabToolbar() || Value == TabPosition()) return;
  TSkinTabToolbar* t = TabToolbar();
  t->SetVisible(false);
  t->SetParent(nullptr);
  t->SetTabPosition(Value);
  Dock()->SetAlign(Value == ttpTop ? alTop : alBottom);
  Dock()->SetPosition(Value == ttpTop ? dpTop : dpBottom);
  t->SetCurrentDock(Dock());
  t->SetParent(Dock());
  t->SetVisible(true);
  paneCache_.reset();
  Realign();
}

bool TSkinCustomTabSet::TabAutofit() const { return TabToolbar() && TabToolbar()->TabAutofit(); }
void TSkinCustomTabSet::SetTabAutofit(bool Value) {
  if (TabToolbar()) TabToolbar()->SetTabAutofit(Value);
}
int TSkinCustomTabSet::TabAutofitMaxSize() const { return TabToolbar() ? TabToolbar()->TabAutofitMaxSize() : -1; }
void TSkinCustomTabSet::SetTabAutofitMaxSize(int Value) {
  if (TabToolbar()) TabToolbar()->SetTabAutofitMaxSize(Value);
}
bool TSkinCustomTabSet::TabDragReorder() const { return TabToolbar() && TabToolbar()->TabDragReorder(); }
void TSkinCustomTabSet::SetTabDragReorder(bool Value) {
  if (TabToolbar()) TabToolbar()->SetTabDragReorder(Value);
}
TColor TSkinCustomTabSet::TabBackgroundColor() const { return TabToolbar() ? TabToolbar()->Color() : clNone; }
void TSkinCustomTabSet::SetTabBackgroundColor(TColor Value) {
  if (TabToolbar()) TabToolbar()->SetColor(Value);
}

void TSkinCustomTabSet::DoDrawBackground(TCanvas* ACanvas, const TRect& ARect, TSkinPaintStage PaintStage,
                                         bool& PaintDefault) {
  if (OnDrawBackground) OnDrawBackground(this, ACanvas, ARect, PaintStage, PaintDefault);
}

bool TSkinCustomTabSet::DoActiveTabChanging(int TabIndex, int NewTabIndex) {
  bool allow = true;
  if (!IsLoading() && OnActiveTabChanging) OnActiveTabChanging(this, TabIndex, NewTabIndex, allow);
  return allow;
}

void TSkinCustomTabSet::DoActiveTabChange(int TabIndex) {
  if (!IsLoading() && OnActiveTabChange) OnActiveTabChange(this, TabIndex);
}

bool TSkinCustomTabSet::DoActiveTabReordering(int TabIndex, int NewTabIndex) {
  bool allow = true;
  if (OnActiveTabReordering) OnActiveTabReordering(this, TabIndex, NewTabIndex, allow);
  return allow;
}

void TSkinCustomTabSet::DoActiveTabReorder(int TabIndex) {
  if (OnActiveTabReorder) OnActiveTabReorder(this, TabIndex);
}

void TSkinCustomTabSet::ItemsChanged(TBarCustomItem* Sender, bool Relayed, TBarItemChangedAction Action, int Index,
                                     TBarCustomItem* Item) {
  ItemNotification(Sender, Relayed, Action, Index, Item);
}

void TSkinCustomTabSet::ItemNotification(TBarCustomItem*, bool Relayed, TBarItemChangedAction Action, int Index,
                                         TBarCustomItem* Item) {
  TSkinTabToolbar* t = TabToolbar();
  if (!t || t->IsCustomizing() || Relayed) return;
  auto* tab = dynamic_cast<TSkinTabItem*>(Item);
  switch (Action) {
    case tbicInserted:
      if (Index <= t->activeTabIndex_ && t->activeTabIndex_ >= 0) {
        updating_ = true;
        ++t->activeTabIndex_;
        updating_ = false;
      }
      if (tab) TabInserted(tab);
      paneCache_.reset();
      bracket_ = 0;
      break;
    case tbicDeleting: {
      if (IsDestroying()) return;
      bool clicked = false;
      if (Index < t->activeTabIndex_) {
        --t->activeTabIndex_;
      } else if (Index == t->activeTabIndex_) {
        // The tab before takes over; the first one's follower when it was first.
        if (Index > 0) {
          t->activeTabIndex_ = -1;
          t->SetActiveTabIndex(Index - 1);
        } else if (t->Items()->Count() > 1 && dynamic_cast<TSkinTabItem*>(t->Items()->Items(1))) {
          auto* second = static_cast<TSkinTabItem*>(t->Items()->Items(1));
          t->activeTabIndex_ = -1;
          TabClick(second);
          clicked = true;
        } else {
          t->activeTabIndex_ = -1;
          DoActiveTabChange(-1);
        }
      }
      if (tab) {
        if (bracket_ == 1) {
          bracketDeleted_ = tab;
          bracket_ = 2;
        } else {
          TabDeleting(tab, true);
        }
      }
      if (!clicked && !ComponentState().Contains(csDesigning))
        Realign();
      else if (HandleAllocated())
        PostMessageW(Handle(), UM_TABDELETED, 0, 0);
      break;
    }
    case tbicSubitemsBeginUpdate:
      bracket_ = 1;
      bracketDeleted_ = nullptr;
      break;
    case tbicSubitemsEndUpdate:
      if (bracket_ == 2 && bracketDeleted_) TabDeleting(bracketDeleted_, true);
      bracket_ = 0;
      break;
    case tbicInvalidate:
      if (updating_ || !tab || !tab->Checked() || !tab->Enabled()) return;
      if (int i = t->Items()->IndexOf(tab); i >= 0 && i != t->activeTabIndex_) {
        updating_ = true;
        t->SetActiveTabIndex(i);
        updating_ = false;
      }
      break;
    default: break;
  }
}

void TSkinCustomTabSet::TabInserted(TSkinTabItem* Item) {
  if (!IsLoading() && Items()->Count() == 1) TabClick(Item);
}

void TSkinCustomTabSet::TabDeleting(TSkinTabItem*, bool) {
  if (!IsDestroying() && TabToolbar()) TabToolbar()->ScrollLeft();
}

void TSkinCustomTabSet::Loaded() {
  // Applied while still loading, so that the tab events stay silent for what the form file set.
  if (loadedActiveIndex_ >= 0 && TabToolbar()) TabToolbar()->SetActiveTabIndex(loadedActiveIndex_);
  TSkinCompoundItemsControl::Loaded();
  if (TSkinTabToolbar* t = TabToolbar()) {
    auto& hidden = t->HiddenTabs();
    for (TSkinHiddenTab& h : hidden)
      if (!h.Item && !h.Name.empty() && Owner()) h.Item = dynamic_cast<TBarCustomItem*>(Owner()->FindComponent(h.Name));
    hidden.erase(std::remove_if(hidden.begin(), hidden.end(), [](const TSkinHiddenTab& H) { return H.Name.empty(); }),
                 hidden.end());
    if (t->TabAutofit()) t->Autofit();
  }
}

void TSkinCustomTabSet::DefineProperties(TFiler* Filer) {
  TSkinCompoundItemsControl::DefineProperties(Filer);
  TSkinTabToolbar* t = TabToolbar();
  if (!t) return;
  Filer->DefineProperty(
      "HiddenItems",
      [t](TReader& Reader) {
        auto& hidden = t->HiddenTabs();
        hidden.clear();
        if (Reader.NextValue() == vaCollection) {
          TSkinItemCacheCollection entries;
          Reader.ReadCollection(&entries);
          for (int i = 0; i < entries.Count(); ++i) {
            const TSkinItemCacheEntry* e = entries.Entries(i);
            hidden.push_back({nullptr, e->ItemName, e->Width, e->Position});
          }
          return;
        }
        // Older files hold a list of name, width and place.
        Reader.ReadListBegin();
        while (!Reader.EndOfList()) {
          TSkinHiddenTab h;
          h.Name = Reader.ReadString();
          h.Width = Reader.ReadInteger();
          h.Position = Reader.ReadInteger();
          hidden.push_back(h);
        }
        Reader.ReadListEnd();
      },
      [t](TWriter& Writer) {
        TSkinItemCacheCollection entries;
        for (const TSkinHiddenTab& h : t->HiddenTabs()) {
          auto* e = entries.Add<TSkinItemCacheEntry>();
          e->ItemName = h.Item ? AnsiString(h.Item->Name()) : h.Name;
          e->Width = h.Width;
          e->Position = h.Position;
        }
        Writer.WriteCollection(&entries);
      },
      !t->HiddenTabs().empty());
}

void TSkinCustomTabSet::PaintPane(HDC DC, const TRect& ARect) {
  int w = ARect.Width(), h = ARect.Height();
  if (w <= 0 || h <= 0) return;
  bool fresh = !paneCache_ || paneCache_->Width() != w || paneCache_->Height() != h || OnDrawBackground;
  if (fresh) {
    if (!paneCache_) paneCache_ = std::make_unique<TBitmap>();
    paneCache_->SetSize(w, h);
    TCanvas* c = paneCache_->Canvas();
    TRect local(0, 0, w, h);
    c->Brush()->SetColor(clWhite);
    c->FillRect(local);
    bool paintDefault = true;
    DoDrawBackground(c, local, pstPrePaint, paintDefault);
    if (paintDefault) {
      TColor color = Color() == clNone ? clBtnFace : Color();
      DrawTabToolbarBackground(c, local, color, GetTabThemeTypeInUse(ThemeType()), TabPosition());
    }
    paintDefault = true;
    DoDrawBackground(c, local, pstPostPaint, paintDefault);
  }
  BitBlt(DC, ARect.Left, ARect.Top, w, h, paneCache_->Canvas()->Handle(), 0, 0, SRCCOPY);
}

void TSkinCustomTabSet::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_ERASEBKGND:
      if (CanPaintBackground()) {
        TRect r = ClientRect();
        int strip = tabVisible_ ? Dock()->Height() - 2 : 0;
        if (TabPosition() == ttpTop)
          r.Top += strip;
        else
          r.Bottom -= strip;
        PaintPane(reinterpret_cast<HDC>(Message.WParam), r);
        Message.Result = 1;
        return;
      }
      break;
    case UM_TABDELETED: {
      TSkinTabToolbar* t = TabToolbar();
      if (!t) break;
      TSkinTabItem* active = nullptr;
      for (int i = 0; i < t->Items()->Count() && !active; ++i)
        if (auto* tab = dynamic_cast<TSkinTabItem*>(t->Items()->Items(i)); tab && tab->Checked()) active = tab;
      int index = active ? t->Items()->IndexOf(active) : -1;
      t->activeTabIndex_ = -1;
      SetActiveTabIndex(index);
      if (HandleAllocated()) RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      return;
    }
    case CM_COLORCHANGED:
      if (TabToolbar() && Color() != clNone) TabToolbar()->SetTabColor(Color());
      paneCache_.reset();
      Realign();
      break;
    case WM_WINDOWPOSCHANGED: paneCache_.reset(); break;
    default: break;
  }
  TSkinCompoundItemsControl::WndProc(Message);
}

void TSkinCustomTabSet::Dispatch(TMessage& Message) {
  // Asked by dispatch, not through the window: the answer is given here.
  if (Message.Msg == UM_GETBACKGROUNDCOLOR && GetCurrentThemeName() == "OfficeXP") {
    Message.WParam = static_cast<WPARAM>(clBtnFace);
    Message.Result = 1;
    return;
  }
  TSkinCompoundItemsControl::Dispatch(Message);
}

// ---- tab sheet ----

TSkinTabSheet::TSkinTabSheet(TComponent* AOwner) : TCustomControl(AOwner) {
  SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls, csSetCaption, csOpaque});
  SetAlign(alClient);
  SetVisible(false);
  // The tab control may have no colour of its own; what sits on a page takes the face colour.
  SetParentColor(false);
  SetColor(clBtnFace);
}

TSkinTabSheet::~TSkinTabSheet() {
  if (tabControl_) {
    auto& pages = tabControl_->pages_;
    pages.erase(std::remove(pages.begin(), pages.end(), this), pages.end());
  }
  if (item_) {
    item_->RemoveFreeNotification(this);
    if (item_->Control() == this) item_->SetControl(nullptr);
  }
  if (lastFocused_) lastFocused_->RemoveFreeNotification(this);
}

void TSkinTabSheet::Link(TSkinCustomTabControl* AControl, TSkinTabItem* AItem) {
  tabControl_ = AControl;
  if (item_ == AItem) return;
  if (item_) item_->RemoveFreeNotification(this);
  item_ = AItem;
  if (item_) {
    item_->FreeNotification(this);
    item_->SetControl(this);
  }
}

WideString TSkinTabSheet::Caption() const { return item_ ? item_->Caption() : WideString(); }
void TSkinTabSheet::SetCaption(const WideString& Value) {
  if (item_) item_->SetCaption(Value);
}
int TSkinTabSheet::ImageIndex() const { return item_ ? item_->ImageIndex() : -1; }
void TSkinTabSheet::SetImageIndex(int Value) {
  if (item_) item_->SetImageIndex(Value);
}
bool TSkinTabSheet::TabVisible() const { return item_ && item_->Visible(); }
void TSkinTabSheet::SetTabVisible(bool Value) {
  if (item_) item_->SetVisible(Value);
}

void TSkinTabSheet::SetParent(TWinControl* AParent) {
  TCustomControl::SetParent(AParent);
  if (auto* control = dynamic_cast<TSkinCustomTabControl*>(AParent); control && !tabControl_) tabControl_ = control;
}

void TSkinTabSheet::AdjustClientRect(TRect& Rect) {
  TCustomControl::AdjustClientRect(Rect);
  bool windows = tabControl_ && GetTabThemeTypeInUse(tabControl_->ThemeType()) == tttWindows;
  bool top = !tabControl_ || tabControl_->TabPosition() == ttpTop;
  int inset = windows ? 4 : 2;
  Rect.Left += 2;
  Rect.Right -= inset;
  if (top)
    Rect.Bottom -= inset;
  else
    Rect.Top += inset;
  if (tabControl_) {
    const TUiControlMargins* m = tabControl_->Margins();
    Rect = TRect(Rect.Left + m->Left(), Rect.Top + m->Top(), Rect.Right - m->Right(), Rect.Bottom - m->Bottom());
  }
}

void TSkinTabSheet::DefineProperties(TFiler* Filer) {
  TCustomControl::DefineProperties(Filer);
  Filer->DefineProperty(
      "TabItem", [this](TReader& Reader) { itemName_ = WideToAnsi(Reader.ReadWideString()); },
      [this](TWriter& Writer) { Writer.WriteWideString(AnsiToWide(item_->Name())); }, item_ != nullptr);
}

void TSkinTabSheet::Loaded() {
  TCustomControl::Loaded();
  auto* control = dynamic_cast<TSkinCustomTabControl*>(Parent());
  if (!control || itemName_.empty() || !Owner()) return;
  if (auto* item = dynamic_cast<TSkinTabItem*>(Owner()->FindComponent(itemName_))) {
    Link(control, item);
    if (std::find(control->pages_.begin(), control->pages_.end(), this) == control->pages_.end())
      control->pages_.push_back(this);
  }
}

void TSkinTabSheet::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == item_) item_ = nullptr;
  if (AComponent == lastFocused_) lastFocused_ = nullptr;
}

void TSkinTabSheet::WMEraseBkgnd(TMessage& Message) {
  if (!tabControl_) {
    TCustomControl::WMEraseBkgnd(Message);
    return;
  }
  TRect r = ClientRect();
  // The pane reaches under the tabs, where the tab toolbar covers it.
  if (tabControl_->TabPosition() == ttpTop)
    r.Top -= 4;
  else
    r.Bottom += 4;
  // The tab control's own pane routine, with its background event.
  tabControl_->PaintPane(reinterpret_cast<HDC>(Message.WParam), r);
  Message.Result = 1;
}

void TSkinTabSheet::WndProc(TMessage& Message) {
  // A page remembers its focused control at run time only: a designer moves the focus itself.
  if (Message.Msg == CM_VISIBLECHANGED && !IsDestroying() && !ComponentState().Contains(csDesigning)) {
    TWinControl* focused = Screen ? Screen->ActiveControl() : nullptr;
    if (!Message.WParam && focused && ContainsControl(focused)) {
      if (lastFocused_) lastFocused_->RemoveFreeNotification(this);
      lastFocused_ = focused;
      lastFocused_->FreeNotification(this);
    } else if (Message.WParam && lastFocused_ && lastFocused_->CanFocus()) {
      lastFocused_->SetFocus();
    }
  }
  TCustomControl::WndProc(Message);
}

// ---- tab control ----

TSkinCustomTabControl::TSkinCustomTabControl(TComponent* AOwner)
    : TSkinCustomTabSet(AOwner), margins_(std::make_unique<TUiControlMargins>()) {
  margins_->OnChange = TNotifyEvent(this, &TSkinCustomTabControl::MarginsChanged);
  SetControlStyle(ControlStyle() - TControlStyle{csAcceptsControls});
  emptySheet_ = new TSkinTabSheet(this);
  emptySheet_->SetParent(this);
  emptySheet_->tabControl_ = this;
  emptySheet_->SetControlStyle(emptySheet_->ControlStyle() - TControlStyle{csAcceptsControls});
  emptySheet_->SetVisible(true);
  emptySheet_->BringToFront();
  SetWidth(289);
  SetHeight(193);
}

TSkinCustomTabControl::~TSkinCustomTabControl() {
  for (TSkinTabSheet* s : pages_) s->tabControl_ = nullptr;
  pages_.clear();
}

void TSkinCustomTabControl::MarginsChanged(TObject*) {
  for (TSkinTabSheet* s : pages_) s->Realign();
}

TSkinTabSheet* TSkinCustomTabControl::AddTab(const WideString& Caption) {
  auto* tab = new TSkinTabItem(Owner() ? Owner() : this);
  tab->SetCaption(Caption);
  Items()->Add(tab);
  return dynamic_cast<TSkinTabSheet*>(tab->Control());
}

bool TSkinCustomTabControl::CanPaintBackground() {
  TSkinTabItem* active = TabToolbar() ? TabToolbar()->ActiveTab() : nullptr;
  return !(active && active->Checked());
}

void TSkinCustomTabControl::DoActiveTabChange(int TabIndex) {
  if (TabIndex == -1) {
    emptySheet_->SetVisible(true);
    emptySheet_->BringToFront();
  } else {
    emptySheet_->SetVisible(false);
  }
  TSkinCustomTabSet::DoActiveTabChange(TabIndex);
}

void TSkinCustomTabControl::TabInserted(TSkinTabItem* Item) {
  for (TSkinTabSheet* s : pages_)
    if (s->Item() == Item) return;
  TComponent* owner = Owner() ? Owner() : this;
  auto* sheet = new TSkinTabSheet(owner);
  AnsiString name;
  for (int n = 1;; ++n) {
    name = "SkinTabSheet" + IntToStr(n);
    if (!owner->FindComponent(name)) break;
  }
  sheet->SetName(name);
  sheet->SetParent(this);
  sheet->Link(this, Item);
  sheet->SendToBack();
  pages_.push_back(sheet);
  if (pages_.size() == 1) TabClick(Item);
}

void TSkinCustomTabControl::TabDeleting(TSkinTabItem* Item, bool FreeSheet) {
  TSkinCustomTabSet::TabDeleting(Item, FreeSheet);
  auto it = std::find_if(pages_.begin(), pages_.end(), [&](TSkinTabSheet* S) { return S->Item() == Item; });
  if (it == pages_.end()) return;
  TSkinTabSheet* sheet = *it;
  pages_.erase(it);
  sheet->tabControl_ = nullptr;
  if (FreeSheet) {
    sheet->item_ = nullptr;
    Item->RemoveFreeNotification(sheet);
    Item->SetControl(nullptr);
    Free(sheet);
  } else {
    sheet->Link(nullptr, nullptr);
    Free(Item);
  }
}

void TSkinCustomTabControl::WndProc(TMessage& Message) {
  if (Message.Msg == UM_THEMECHANGE && Message.WParam == 3)
    for (TSkinTabSheet* s : pages_) s->Realign();
  TSkinCustomTabSet::WndProc(Message);
}
