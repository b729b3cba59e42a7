// Menu items, menu bars and popup menus over native menus.
#include "framework/Menus.h"

#include <algorithm>
#include <bitset>

#include "framework/Bitmap.h"
#include "framework/GdiHandles.h"
#include "framework/Graphics.h"
#include "framework/ImageList.h"
#include "framework/ImageListLink.h"
#include "framework/Mnemonics.h"
#include "framework/UtilityWindow.h"

namespace {

// ---- command numbers ----

// WM_COMMAND carries 16 bits; 0 means "no command".
std::bitset<0x10000>& UsedCommands() {
  static std::bitset<0x10000> used;
  return used;
}

UINT AllocateCommand() {
  static UINT next = 1;
  auto& used = UsedCommands();
  for (UINT tries = 0; tries < 0xFFFF; ++tries) {
    UINT candidate = next;
    next = next >= 0xFFFF ? 1 : next + 1;
    if (!used[candidate]) {
      used[candidate] = true;
      return candidate;
    }
  }
  throw EMenuError("Too many menu items");
}

void FreeCommand(UINT command) {
  if (command > 0 && command < 0x10000) UsedCommands()[command] = false;
}

int liveMenuHandles = 0;

TMenuHintHandler menuHintHandler = nullptr;

void ShowMenuHint(const WideString& hint) {
  if (menuHintHandler) menuHintHandler(hint);
}

WideString LongHint(const WideString& hint) {
  size_t bar = hint.find(L'|');
  return bar == WideString::npos ? hint : hint.substr(bar + 1);
}

// The font the system draws menus with.
void SelectMenuFont(TCanvas* canvas, bool bold) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    if (bold) metrics.lfMenuFont.lfWeight = FW_BOLD;
    canvas->Font()->SetLogFont(metrics.lfMenuFont);
  } else if (bold) {
    canvas->Font()->SetStyle(canvas->Font()->Style() + fsBold);
  }
}

constexpr int glyphWidth = 16;

TOwnerDrawState StateOf(UINT itemState) {
  TOwnerDrawState s;
  if (itemState & ODS_SELECTED) s.Include(odSelected);
  if (itemState & ODS_GRAYED) s.Include(odGrayed);
  if (itemState & ODS_DISABLED) s.Include(odDisabled);
  if (itemState & ODS_CHECKED) s.Include(odChecked);
  if (itemState & ODS_FOCUS) s.Include(odFocused);
  if (itemState & ODS_DEFAULT) s.Include(odDefault);
  if (itemState & ODS_HOTLIGHT) s.Include(odHotLight);
  if (itemState & ODS_INACTIVE) s.Include(odInactive);
  if (itemState & ODS_NOACCEL) s.Include(odNoAccel);
  if (itemState & ODS_NOFOCUSRECT) s.Include(odNoFocusRect);
  return s;
}

}  // namespace

// ---- hot keys and captions ----

WideString StripHotkey(const WideString& Text) { return StripAccelChars(Text); }

wchar_t GetHotkey(const WideString& Text) {
  wchar_t accel = FindAccelChar(Text);
  return accel ? AccelCharUpper(accel) : 0;
}

bool SameCaption(const WideString& Text1, const WideString& Text2) {
  WideString a = StripHotkey(Text1), b = StripHotkey(Text2);
  return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                        static_cast<int>(b.size())) == CSTR_EQUAL;
}

TMenuHintHandler SetMenuHintHandler(TMenuHintHandler Handler) { return std::exchange(menuHintHandler, Handler); }

// ---- TMenuHandle ----

TMenuHandle& TMenuHandle::operator=(TMenuHandle&& other) noexcept {
  if (this != &other) {
    Reset();
    h_ = std::exchange(other.h_, nullptr);
  }
  return *this;
}

void TMenuHandle::Reset(HMENU handle) noexcept {
  if (h_ == handle) return;
  if (h_) {
    RemoveEntries();
    DestroyMenu(h_);
    --liveMenuHandles;
  }
  h_ = handle;
  if (h_) ++liveMenuHandles;
}

void TMenuHandle::RemoveEntries() noexcept {
  if (!h_) return;
  for (int n = GetMenuItemCount(h_); n > 0; --n)
    if (!RemoveMenu(h_, static_cast<UINT>(n - 1), MF_BYPOSITION)) break;
}

int TMenuHandle::LiveCount() noexcept { return liveMenuHandles; }

// ---- TMenuActionLink ----

HV_PUBLISH(TMenuActionLink) {}

TMenuActionLink::TMenuActionLink(TMenuItem* AClient) : TActionLink(AClient), client_(AClient) {}

#define HV_MENU_LINK(Name, Type, Same)                                          \
  bool TMenuActionLink::Is##Name##Linked() {                                    \
    TCustomAction* a = CustomAction();                                          \
    return TActionLink::Is##Name##Linked() && Same(client_->Name(), a->Name()); \
  }                                                                             \
  void TMenuActionLink::Set##Name(Type Value) {                                 \
    if (Is##Name##Linked()) client_->Set##Name(Value);                          \
  }

namespace {
template <class T>
bool Equal(const T& a, const T& b) {
  return a == b;
}
}  // namespace

HV_MENU_LINK(AutoCheck, bool, Equal)
HV_MENU_LINK(Caption, const WideString&, SameCaption)
HV_MENU_LINK(Checked, bool, Equal)
HV_MENU_LINK(Enabled, bool, Equal)
HV_MENU_LINK(HelpContext, int, Equal)
HV_MENU_LINK(Hint, const WideString&, Equal)
HV_MENU_LINK(ImageIndex, int, Equal)
HV_MENU_LINK(ShortCut, TShortCut, Equal)
HV_MENU_LINK(Visible, bool, Equal)

#undef HV_MENU_LINK

// Only radio items take part in the action's group.
bool TMenuActionLink::IsGroupIndexLinked() {
  TCustomAction* a = CustomAction();
  return client_->RadioItem() && TActionLink::IsGroupIndexLinked() && client_->GroupIndex() == a->GroupIndex();
}

void TMenuActionLink::SetGroupIndex(int Value) {
  if (IsGroupIndexLinked()) client_->SetGroupIndex(Value);
}

bool TMenuActionLink::IsOnExecuteLinked() {
  return TActionLink::IsOnExecuteLinked() && Action() && client_->OnClick == Action()->OnExecute();
}

void TMenuActionLink::SetOnExecute(const TNotifyEvent& Value) {
  if (IsOnExecuteLinked()) client_->OnClick = Value;
}

// ---- TMenuItem ----

HV_PUBLISH(TMenuItem) {
  p.Prop("Action", &T::Action, &T::SetAction);
  p.Prop("AutoCheck", &T::AutoCheck, &T::SetAutoCheck).Default(false).Stored(&T::IsAutoCheckStored);
  p.Prop("Bitmap", &T::Bitmap, &T::SetBitmap).Stored(&T::HasBitmap);
  p.Prop("Caption", &T::Caption, &T::SetCaption).Stored(&T::IsCaptionStored);
  p.Prop("Checked", &T::Checked, &T::SetChecked).Default(false).Stored(&T::IsCheckedStored);
  p.Prop("Default", &T::Default, &T::SetDefault).Default(false);
  p.Prop("Enabled", &T::Enabled, &T::SetEnabled).Default(true).Stored(&T::IsEnabledStored);
  p.Prop("GroupIndex", &T::GroupIndex, &T::SetGroupIndex).Default(0);
  p.Prop("HelpContext", &T::HelpContext, &T::SetHelpContext).Default(0).Stored(&T::IsHelpContextStored);
  p.Prop("Hint", &T::Hint, &T::SetHint).Stored(&T::IsHintStored);
  p.Prop("ImageIndex", &T::ImageIndex, &T::SetImageIndex).Default(-1).Stored(&T::IsImageIndexStored);
  p.Prop("RadioItem", &T::RadioItem, &T::SetRadioItem).Default(false);
  p.Prop("ShortCut", &T::ShortCut, &T::SetShortCut).Default(0).Stored(&T::IsShortCutStored);
  p.Prop("Visible", &T::Visible, &T::SetVisible).Default(true).Stored(&T::IsVisibleStored);
  p.Event("OnClick", &T::OnClick).Stored(&T::IsOnClickStored);
  p.Event("OnDrawItem", &T::OnDrawItem);
  p.Event("OnAdvancedDrawItem", &T::OnAdvancedDrawItem);
  p.Event("OnMeasureItem", &T::OnMeasureItem);
}

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner), command_(AllocateCommand()) {}

TMenuItem::~TMenuItem() {
  Destroying();
  if (parent_) parent_->Remove(this);
  handle_.RemoveEntries();
  while (!items_.empty()) delete items_.back();
  actionLink_.reset();
  handle_.Reset();
  FreeCommand(command_);
}

bool TMenuItem::Updating() const { return ComponentState().Contains(csDestroying); }

TMenuItem* TMenuItem::Items(int Index) const {
  if (Index < 0 || Index >= Count()) throw EMenuError("Menu index out of range");
  return items_[static_cast<size_t>(Index)];
}

void TMenuItem::Add(TMenuItem* Item) { Insert(Count(), Item); }

void TMenuItem::Insert(int Index, TMenuItem* Item) {
  if (!Item) return;
  if (Item->parent_) throw EMenuError("Menu inserted twice");
  if (Index < 0 || Index > Count()) throw EMenuError("Menu index out of range");
  for (const TMenuItem* p = this; p; p = p->parent_)
    if (p == Item) throw EMenuError("Menu inserted twice");
  items_.insert(items_.begin() + Index, Item);
  Item->parent_ = this;
  RebuildHandle();
  MenuChanged(true);
}

void TMenuItem::Delete(int Index) {
  TMenuItem* item = Items(Index);
  RemoveEntryOf(item);
  items_.erase(items_.begin() + Index);
  item->parent_ = nullptr;
  MenuChanged(true);
}

void TMenuItem::Remove(TMenuItem* Item) {
  int index = IndexOf(Item);
  if (index < 0) throw EMenuError("Sub-menu is not in menu");
  Delete(index);
}

void TMenuItem::Clear() {
  while (!items_.empty()) delete items_.back();
}

int TMenuItem::IndexOf(const TMenuItem* Item) const {
  auto it = std::find(items_.begin(), items_.end(), Item);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

TMenuItem* TMenuItem::Find(const WideString& ACaption) const {
  for (TMenuItem* item : items_)
    if (SameCaption(ACaption, item->caption_)) return item;
  return nullptr;
}

int TMenuItem::MenuIndex() const { return parent_ ? parent_->IndexOf(this) : -1; }

void TMenuItem::SetMenuIndex(int Value) {
  if (!parent_) return;
  TMenuItem* parent = parent_;
  int count = parent->Count();
  Value = std::clamp(Value, 0, count - 1);
  if (Value == MenuIndex()) return;
  parent->Remove(this);
  parent->Insert(Value, this);
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* item = this;
  while (item->parent_) item = item->parent_;
  return item->menu_;
}

bool TMenuItem::IsTopLevelOfMainMenu() const {
  return parent_ && parent_->menu_ && dynamic_cast<TMainMenu*>(parent_->menu_) != nullptr;
}

bool TMenuItem::IsOwnerDraw() const {
  TMenu* menu = GetParentMenu();
  return menu && menu->IsOwnerDraw();
}

// ---- properties ----

void TMenuItem::SetCaption(const WideString& Value) {
  if (caption_ == Value) return;
  bool wasLine = IsLine();
  caption_ = Value;
  MenuChanged(wasLine != IsLine());
}

void TMenuItem::SetChecked(bool Value) {
  if (checked_ == Value) return;
  checked_ = Value;
  if (Value && radioItem_) TurnSiblingsOff();
  MenuChanged(false);
}

void TMenuItem::TurnSiblingsOff() {
  if (!parent_) return;
  for (TMenuItem* sibling : parent_->items_)
    if (sibling != this && sibling->radioItem_ && sibling->groupIndex_ == groupIndex_) sibling->SetChecked(false);
}

void TMenuItem::SetEnabled(bool Value) {
  if (enabled_ == Value) return;
  enabled_ = Value;
  MenuChanged(false);
}

void TMenuItem::SetVisible(bool Value) {
  if (visible_ == Value) return;
  visible_ = Value;
  MenuChanged(true);
}

void TMenuItem::SetRadioItem(bool Value) {
  if (radioItem_ == Value) return;
  radioItem_ = Value;
  if (checked_ && radioItem_) TurnSiblingsOff();
  MenuChanged(false);
}

void TMenuItem::SetGroupIndex(int Value) {
  if (groupIndex_ == Value) return;
  groupIndex_ = Value;
  if (checked_ && radioItem_) TurnSiblingsOff();
  MenuChanged(false);
}

void TMenuItem::SetDefault(bool Value) {
  if (default_ == Value) return;
  if (Value && parent_)
    for (TMenuItem* sibling : parent_->items_)
      if (sibling != this) sibling->default_ = false;
  default_ = Value;
  MenuChanged(false);
}

void TMenuItem::SetAutoCheck(bool Value) { autoCheck_ = Value; }

void TMenuItem::SetHint(const WideString& Value) { hint_ = Value; }

void TMenuItem::SetImageIndex(int Value) {
  if (imageIndex_ == Value) return;
  imageIndex_ = Value;
  MenuChanged(false);
}

void TMenuItem::SetHelpContext(int Value) { helpContext_ = Value; }

void TMenuItem::SetShortCut(TShortCut Value) {
  if (shortCut_ == Value) return;
  shortCut_ = Value;
  MenuChanged(false);
}

TBitmap* TMenuItem::Bitmap() {
  if (!bitmap_) {
    bitmap_ = std::make_unique<TBitmap>();
    bitmap_->OnChange = TNotifyEvent(this, &TMenuItem::BitmapChanged);
  }
  return bitmap_.get();
}

void TMenuItem::SetBitmap(TBitmap* Value) {
  if (Value == bitmap_.get()) return;
  if (!Value && !bitmap_) return;
  Bitmap()->Assign(Value);
  if (!Value) BitmapChanged(nullptr);
}

bool TMenuItem::HasBitmap() const { return bitmap_ && !bitmap_->Empty(); }

void TMenuItem::BitmapChanged(TObject*) { MenuChanged(true); }

int TMenuItem::GlyphAreaWidth() const {
  TMenu* menu = GetParentMenu();
  if (menu && menu->Images()) return menu->Images()->Width();
  if (HasBitmap()) return std::max(glyphWidth, bitmap_->Width());
  return glyphWidth;
}

// ---- native menus ----

HMENU TMenuItem::Handle() {
  if (!handle_) {
    bool bar = !parent_ && menu_ && dynamic_cast<TMainMenu*>(menu_);
    HMENU h = bar ? CreateMenu() : CreatePopupMenu();
    if (!h) RaiseLastOSError();
    handle_.Reset(h);
    RebuildHandle();
  }
  return handle_.Get();
}

void TMenuItem::RebuildHandle() {
  if (!handle_ || Updating()) return;
  handle_.RemoveEntries();
  bool top = !parent_ && menu_ && dynamic_cast<TMainMenu*>(menu_);
  for (TMenuItem* item : items_)
    if (item->visible_) item->AppendTo(handle_.Get(), top);
}

void TMenuItem::AppendTo(HMENU Menu, bool TopLevel) {
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_DATA | MIIM_SUBMENU;
  info.wID = command_;
  info.dwItemData = reinterpret_cast<ULONG_PTR>(this);
  WideString text;
  if (IsLine()) {
    info.fType = MFT_SEPARATOR;
  } else {
    if (radioItem_) info.fType |= MFT_RADIOCHECK;
    if (IsOwnerDraw()) {
      info.fType |= MFT_OWNERDRAW;
    } else {
      text = caption_;
      // A menu bar shows no shortcuts; an item that opens a sub-menu has none to show.
      if (!TopLevel && shortCut_ != 0 && items_.empty()) {
        WideString keys = ShortCutToText(shortCut_);
        if (!keys.empty()) text += L"\t" + keys;
      }
      info.fMask |= MIIM_STRING;
      info.dwTypeData = text.data();
      info.cch = static_cast<UINT>(text.size());
    }
    if (checked_) info.fState |= MFS_CHECKED;
    if (!enabled_) info.fState |= MFS_DISABLED;
    if (default_) info.fState |= MFS_DEFAULT;
    if (!items_.empty()) info.hSubMenu = Handle();
    if (HasBitmap() && !IsOwnerDraw()) {
      info.fMask |= MIIM_BITMAP;
      info.hbmpItem = bitmap_->Handle();
    }
  }
  InsertMenuItemW(Menu, static_cast<UINT>(GetMenuItemCount(Menu)), TRUE, &info);
}

void TMenuItem::RemoveEntryOf(TMenuItem* Item) {
  if (!handle_) return;
  HMENU h = handle_.Get();
  for (int pos = GetMenuItemCount(h) - 1; pos >= 0; --pos) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_DATA;
    if (GetMenuItemInfoW(h, static_cast<UINT>(pos), TRUE, &info) &&
        info.dwItemData == reinterpret_cast<ULONG_PTR>(Item))
      RemoveMenu(h, static_cast<UINT>(pos), MF_BYPOSITION);
  }
}

void TMenuItem::MenuChanged(bool Rebuild) {
  if (Updating()) return;
  if (parent_ && !parent_->Updating()) parent_->RebuildHandle();
  if (TMenu* menu = GetParentMenu()) {
    TMenuItem* source = (!parent_ && menu_) ? nullptr : this;
    menu->MenuChanged(menu, source, Rebuild);
  }
}

// ---- actions ----

void TMenuItem::SetAction(TBasicAction* Value) {
  if (!Value) {
    actionLink_.reset();
    return;
  }
  if (!actionLink_) {
    actionLink_.reset(CreateActionLink());
    actionLink_->OnChange = TNotifyEvent(this, &TMenuItem::DoActionChange);
  }
  actionLink_->SetAction(Value);
  ActionChange(Value, IsLoading());
  Value->FreeNotification(this);
}

TMenuActionLink* TMenuItem::CreateActionLink() { return new TMenuActionLink(this); }

void TMenuItem::DoActionChange(TObject* Sender) {
  if (Sender && Sender == Action()) ActionChange(Sender, false);
}

void TMenuItem::ActionChange(TObject* Sender, bool CheckDefaults) {
  auto* a = dynamic_cast<TCustomAction*>(Sender);
  if (!a) return;
  if (!CheckDefaults || !autoCheck_) SetAutoCheck(a->AutoCheck());
  if (!CheckDefaults || caption_.empty()) SetCaption(a->Caption());
  if (!CheckDefaults || !checked_) SetChecked(a->Checked());
  if (!CheckDefaults || enabled_) SetEnabled(a->Enabled());
  if (!CheckDefaults || helpContext_ == 0) SetHelpContext(a->HelpContext());
  if (!CheckDefaults || hint_.empty()) SetHint(a->Hint());
  if (radioItem_ && (!CheckDefaults || groupIndex_ == 0)) SetGroupIndex(a->GroupIndex());
  if (!CheckDefaults || imageIndex_ == -1) SetImageIndex(a->ImageIndex());
  if (!CheckDefaults || shortCut_ == 0) SetShortCut(a->ShortCut());
  if (!CheckDefaults || visible_) SetVisible(a->Visible());
  if (!CheckDefaults || !OnClick) OnClick = a->OnExecute();
}

void TMenuItem::InitiateAction() {
  if (actionLink_) actionLink_->Update();
}

void TMenuItem::InitiateActions() {
  // An update may change the sub-items; walk by index and re-check the bound.
  for (size_t i = 0; i < items_.size(); ++i) items_[i]->InitiateAction();
}

void TMenuItem::Click() {
  if (!enabled_) return;
  if (autoCheck_ && !(actionLink_ && actionLink_->IsAutoCheckLinked())) SetChecked(!checked_);
  TBasicAction* action = Action();
  if (OnClick && action && !(OnClick == action->OnExecute()))
    OnClick(this);
  else if (action)
    actionLink_->Execute(this);
  else if (OnClick)
    OnClick(this);
}

void TMenuItem::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove || !actionLink_) return;
  // The action clears its links before its owner hears of its end; a link left without an
  // action serves nobody.
  if (actionLink_->Action() == AComponent || !actionLink_->Action()) actionLink_.reset();
}

// ---- stored tests ----

bool TMenuItem::IsAutoCheckStored() const { return !actionLink_ || !actionLink_->IsAutoCheckLinked(); }
bool TMenuItem::IsHelpContextStored() const { return !actionLink_ || !actionLink_->IsHelpContextLinked(); }
bool TMenuItem::IsCaptionStored() const { return !actionLink_ || !actionLink_->IsCaptionLinked(); }
bool TMenuItem::IsCheckedStored() const { return !actionLink_ || !actionLink_->IsCheckedLinked(); }
bool TMenuItem::IsEnabledStored() const { return !actionLink_ || !actionLink_->IsEnabledLinked(); }
bool TMenuItem::IsHintStored() const { return !actionLink_ || !actionLink_->IsHintLinked(); }
bool TMenuItem::IsImageIndexStored() const { return !actionLink_ || !actionLink_->IsImageIndexLinked(); }
bool TMenuItem::IsShortCutStored() const { return !actionLink_ || !actionLink_->IsShortCutLinked(); }
bool TMenuItem::IsVisibleStored() const { return !actionLink_ || !actionLink_->IsVisibleLinked(); }
bool TMenuItem::IsOnClickStored() const { return !actionLink_ || !actionLink_->IsOnExecuteLinked(); }

// ---- form files ----

TComponent* TMenuItem::GetParentComponent() const {
  if (parent_ && parent_->menu_) return parent_->menu_;
  return parent_;
}

void TMenuItem::SetParentComponent(TComponent* Value) {
  if (parent_) parent_->Remove(this);
  if (auto* menu = dynamic_cast<TMenu*>(Value))
    menu->Items()->Add(this);
  else if (auto* item = dynamic_cast<TMenuItem*>(Value))
    item->Add(this);
}

void TMenuItem::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent*) {
  for (size_t i = 0; i < items_.size(); ++i) Proc(items_[i]);
}

void TMenuItem::Loaded() {
  TComponent::Loaded();
  if (TBasicAction* action = Action()) ActionChange(action, true);
}

// ---- owner drawing ----

void TMenuItem::MeasureItem(TCanvas* ACanvas, int& Width, int& Height) {
  bool topLevel = IsTopLevelOfMainMenu();
  if (IsLine()) {
    Width = 10;
    Height = std::max(GetSystemMetrics(SM_CYMENU) / 2, 5);
  } else {
    TRect r{0, 0, 0, 0};
    ACanvas->DrawText(r, caption_.empty() ? WideString(L" ") : caption_, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS);
    int glyph = GlyphAreaWidth();
    int glyphHeight = glyphWidth;
    if (TMenu* menu = GetParentMenu(); menu && menu->Images())
      glyphHeight = menu->Images()->Height();
    else if (HasBitmap())
      glyphHeight = std::max(glyphHeight, bitmap_->Height());
    Width = r.Width() + (topLevel ? 8 : glyph + 2 + 4 + 8);
    Height = std::max(r.Height() + 4, glyphHeight + 2);
    if (!topLevel && shortCut_ != 0 && items_.empty())
      Width += ACanvas->TextWidth(ShortCutToText(shortCut_)) + MenuShortCutGap;
  }
  if (OnMeasureItem) OnMeasureItem(this, ACanvas, Width, Height);
}

void TMenuItem::AdvancedDrawItem(TCanvas* ACanvas, const TRect& ARect, TOwnerDrawState State, bool TopLevel) {
  if (OnAdvancedDrawItem)
    OnAdvancedDrawItem(this, ACanvas, ARect, State);
  else if (OnDrawItem)
    OnDrawItem(this, ACanvas, ARect, State.Contains(odSelected));
  else
    DrawItemDefault(ACanvas, ARect, State, TopLevel);
}

void TMenuItem::DrawItemDefault(TCanvas* ACanvas, const TRect& ARect, TOwnerDrawState State, bool TopLevel) {
  bool selected = State.Contains(odSelected);
  bool disabled = State.Contains(odDisabled) || State.Contains(odGrayed) || !enabled_;
  ACanvas->Brush()->SetColor(selected ? clHighlight : (TopLevel ? clMenuBar : clMenu));
  ACanvas->FillRect(ARect);
  if (IsLine()) {
    int y = (ARect.Top + ARect.Bottom) / 2;
    ACanvas->Pen()->SetColor(clBtnShadow);
    ACanvas->MoveTo(ARect.Left + 1, y);
    ACanvas->LineTo(ARect.Right - 1, y);
    ACanvas->Pen()->SetColor(clBtnHighlight);
    ACanvas->MoveTo(ARect.Left + 1, y + 1);
    ACanvas->LineTo(ARect.Right - 1, y + 1);
    return;
  }
  TColor textColor = disabled ? clGrayText : (selected ? clHighlightText : clMenuText);
  TRect glyph{ARect.Left + 1, ARect.Top, ARect.Left + 1 + (TopLevel ? 0 : GlyphAreaWidth()), ARect.Bottom};
  bool glyphDrawn = false;
  if (!TopLevel) {
    TMenu* menu = GetParentMenu();
    TCustomImageList* images = menu ? menu->Images() : nullptr;
    if (images && imageIndex_ >= 0 && imageIndex_ < images->Count()) {
      int y = glyph.Top + (glyph.Height() - images->Height()) / 2;
      images->Draw(ACanvas, glyph.Left, y, imageIndex_, !disabled);
      glyphDrawn = true;
    } else if (HasBitmap()) {
      int x = glyph.Left + (glyph.Width() - bitmap_->Width()) / 2;
      int y = glyph.Top + (glyph.Height() - bitmap_->Height()) / 2;
      ACanvas->Draw(x, y, bitmap_.get());
      glyphDrawn = true;
    }
    if (glyphDrawn && checked_) {
      // A checked item with a picture shows the check as a frame around it.
      ACanvas->Brush()->SetColor(textColor);
      ACanvas->FrameRect(glyph);
    }
  }
  if (!TopLevel && checked_ && !glyphDrawn) {
    // A check mark, or a dot for radio items, centred in the glyph area.
    int cx = (glyph.Left + glyph.Right) / 2, cy = (glyph.Top + glyph.Bottom) / 2;
    ACanvas->Pen()->SetColor(textColor);
    ACanvas->Brush()->SetColor(textColor);
    if (radioItem_) {
      ACanvas->Ellipse(cx - 3, cy - 3, cx + 3, cy + 3);
    } else {
      for (int d = 0; d < 2; ++d) {
        ACanvas->MoveTo(cx - 4, cy - 1 + d);
        ACanvas->LineTo(cx - 1, cy + 2 + d);
        ACanvas->LineTo(cx + 5, cy - 4 + d);
      }
    }
  }
  ACanvas->Brush()->SetStyle(bsClear);
  ACanvas->Font()->SetColor(textColor);
  unsigned flags = DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS;
  if (State.Contains(odNoAccel)) flags |= DT_HIDEPREFIX;
  TRect text{glyph.Right + (TopLevel ? 4 : 6), ARect.Top, ARect.Right - 4, ARect.Bottom};
  ACanvas->DrawText(text, caption_, flags | (TopLevel ? DT_CENTER : DT_LEFT));
  if (!TopLevel && shortCut_ != 0 && items_.empty()) {
    TRect keys{text.Left, text.Top, text.Right - 6, text.Bottom};
    ACanvas->DrawText(keys, ShortCutToText(shortCut_), flags | DT_RIGHT | DT_NOPREFIX);
  }
}

// ---- TMenu ----

HV_PUBLISH(TMenu) {}

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner) {
  items_ = new TMenuItem(this);
  items_->menu_ = this;
}

TMenu::~TMenu() {
  Destroying();
  if (images_) images_->UnRegisterChanges(TNotifyEvent(this, &TMenu::ImageListChange));
  delete items_;
  items_ = nullptr;
}

void TMenu::SetWindowHandle(HWND Value) { windowHandle_ = Value; }

void TMenu::SetOwnerDraw(bool Value) {
  if (ownerDraw_ == Value) return;
  ownerDraw_ = Value;
  RebuildAll();
  MenuChanged(this, nullptr, true);
}

void TMenu::RebuildAll() {
  std::function<void(TMenuItem*)> rebuild = [&](TMenuItem* item) {
    item->RebuildHandle();
    for (TMenuItem* child : item->items_) rebuild(child);
  };
  rebuild(items_);
}

void TMenu::SetImages(TCustomImageList* Value) {
  if (!LinkImageList(images_, Value, TNotifyEvent(this, &TMenu::ImageListChange), this)) return;
  RebuildAll();
  MenuChanged(this, nullptr, true);
}

void TMenu::ImageListChange(TObject* Sender) {
  // New sizes need a new measuring of every entry.
  if (Sender == images_) {
    RebuildAll();
    MenuChanged(this, nullptr, true);
  }
}

void TMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == images_ && images_) {
    images_ = nullptr;
    if (!ComponentState().Contains(csDestroying)) {
      RebuildAll();
      MenuChanged(this, nullptr, true);
    }
  }
}

void TMenu::MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild) {
  if (ComponentState().Contains(csDestroying) || IsLoading()) return;
  if (OnChange) OnChange(Sender, Source, Rebuild);
}

namespace {
TMenuItem* FindIn(TMenuItem* item, const std::function<bool(TMenuItem*)>& match) {
  for (int i = 0; i < item->Count(); ++i) {
    TMenuItem* child = item->Items(i);
    if (match(child)) return child;
    if (TMenuItem* found = FindIn(child, match)) return found;
  }
  return nullptr;
}
}  // namespace

TMenuItem* TMenu::FindItem(UINT_PTR Value, TFindItemKind Kind) const {
  switch (Kind) {
    case fkCommand: return FindIn(items_, [&](TMenuItem* i) { return i->Command() == Value; });
    case fkShortCut: return Value == 0 ? nullptr : FindIn(items_, [&](TMenuItem* i) { return i->ShortCut() == Value; });
    case fkHandle: {
      HMENU h = reinterpret_cast<HMENU>(Value);
      if (items_->handle_.Get() == h) return items_;
      return FindIn(items_, [&](TMenuItem* i) { return i->handle_.Get() == h; });
    }
  }
  return nullptr;
}

TMenuItem* TMenu::ItemOfDrawData(ULONG_PTR Data) const {
  auto* wanted = reinterpret_cast<TMenuItem*>(Data);
  return FindIn(items_, [&](TMenuItem* i) { return i == wanted; });
}

bool TMenu::DispatchCommand(WORD ACommand) {
  TMenuItem* item = FindItem(ACommand, fkCommand);
  if (!item) return false;
  item->Click();
  return true;
}

bool TMenu::DispatchPopup(HMENU AMenu) {
  TMenuItem* item = FindItem(reinterpret_cast<UINT_PTR>(AMenu), fkHandle);
  if (!item) return false;
  item->InitiateActions();
  if (item != items_) item->Click();
  return true;
}

bool TMenu::IsShortCut(TShortCut ShortCut) {
  if (ShortCut == 0) return false;
  // Each action on the way updates once, also the one the shortcut runs.
  TActionUpdatePass pass;
  // An update on the way may move the shortcut to another item; follow it a few times.
  for (int attempt = 0; attempt < 3; ++attempt) {
    TMenuItem* item = FindItem(ShortCut, fkShortCut);
    if (!item) return false;
    std::vector<TMenuItem*> path;
    for (TMenuItem* p = item->Parent(); p && p != items_; p = p->Parent()) path.insert(path.begin(), p);
    items_->InitiateActions();
    for (TMenuItem* level : path) {
      if (!level->Enabled()) return false;
      // As if its sub-menu opened: the sub-items update and the item hears its click.
      level->InitiateActions();
      level->Click();
    }
    if (item->ShortCut() != ShortCut || FindItem(ShortCut, fkShortCut) != item) continue;
    if (!item->Enabled()) return false;
    item->Click();
    return true;
  }
  return false;
}

bool TMenu::HandleMenuMessage(UINT Msg, WPARAM WParam, LPARAM LParam, LRESULT& Result) {
  switch (Msg) {
    case WM_COMMAND:
      if (HIWORD(WParam) != 0 || LParam != 0) return false;
      if (!DispatchCommand(LOWORD(WParam))) return false;
      Result = 0;
      return true;
    case WM_INITMENUPOPUP:
      if (!DispatchPopup(reinterpret_cast<HMENU>(WParam))) return false;
      Result = 0;
      return true;
    case WM_MENUSELECT: {
      UINT flags = HIWORD(WParam);
      HMENU menu = reinterpret_cast<HMENU>(LParam);
      if (flags == 0xFFFF && !menu) return false;
      TMenuItem* item = nullptr;
      if (flags & MF_POPUP) {
        HMENU sub = GetSubMenu(menu, LOWORD(WParam));
        if (sub) item = FindItem(reinterpret_cast<UINT_PTR>(sub), fkHandle);
      } else {
        item = FindItem(LOWORD(WParam), fkCommand);
      }
      if (!item) return false;
      ShowMenuHint(LongHint(item->Hint()));
      Result = 0;
      return true;
    }
    case WM_MEASUREITEM: {
      auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(LParam);
      if (!mis || mis->CtlType != ODT_MENU) return false;
      TMenuItem* item = ItemOfDrawData(mis->itemData);
      if (!item) return false;
      TWindowDC screen;
      TCanvas canvas;
      canvas.SetHandle(screen.Get());
      SelectMenuFont(&canvas, item->Default());
      int width = 0, height = 0;
      item->MeasureItem(&canvas, width, height);
      canvas.SetHandle(nullptr);
      mis->itemWidth = static_cast<UINT>(std::max(width, 0));
      mis->itemHeight = static_cast<UINT>(std::max(height, 0));
      Result = TRUE;
      return true;
    }
    case WM_DRAWITEM: {
      auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(LParam);
      if (!dis || dis->CtlType != ODT_MENU) return false;
      TMenuItem* item = ItemOfDrawData(dis->itemData);
      if (!item) return false;
      TSaveDC saved(dis->hDC);
      TCanvas canvas;
      canvas.SetHandle(dis->hDC);
      SelectMenuFont(&canvas, item->Default());
      item->AdvancedDrawItem(&canvas, ToTRect(dis->rcItem), StateOf(dis->itemState), item->IsTopLevelOfMainMenu());
      canvas.SetHandle(nullptr);
      Result = TRUE;
      return true;
    }
    case WM_MENUCHAR: {
      // Owner-drawn entries carry no text, so their hot keys are looked up here.
      if (!IsOwnerDraw()) return false;
      TMenuItem* parent = FindItem(static_cast<UINT_PTR>(LParam), fkHandle);
      if (!parent) return false;
      wchar_t key = static_cast<wchar_t>(LOWORD(WParam));
      int position = 0;
      for (TMenuItem* child : parent->items_) {
        if (!child->visible_) continue;
        if (child->enabled_ && IsAccelChar(key, child->caption_)) {
          Result = MAKELRESULT(position, MNC_EXECUTE);
          return true;
        }
        ++position;
      }
      return false;
    }
    default: return false;
  }
}

void TMenu::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
  items_->GetChildren(Proc, Root);
}

// ---- TMainMenu ----

HV_PUBLISH(TMainMenu) {
  p.Prop("Images", &T::Images, &T::SetImages);
  p.Prop("OwnerDraw", &T::OwnerDraw, &T::SetOwnerDraw).Default(false);
}

TMainMenu::TMainMenu(TComponent* AOwner) : TMenu(AOwner) {}

TMainMenu::~TMainMenu() { SetWindowHandle(nullptr); }

void TMainMenu::SetWindowHandle(HWND Value) {
  HWND old = WindowHandle();
  // A window destroys the menu bar it holds: the bar leaves its old window first.
  if (old && old != Value && IsWindow(old) && Items()->HandleAllocated() && GetMenu(old) == Handle())
    ::SetMenu(old, nullptr);
  TMenu::SetWindowHandle(Value);
  if (Value) {
    ::SetMenu(Value, Handle());
    DrawMenuBar(Value);
  }
}

void TMainMenu::MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild) {
  if (WindowHandle() && !ComponentState().Contains(csDestroying)) DrawMenuBar(WindowHandle());
  TMenu::MenuChanged(Sender, Source, Rebuild);
}

// ---- TPopupMenu ----

static bool PopupListGone();

HV_PUBLISH(TPopupMenu) {
  p.Prop("Alignment", &T::Alignment, &T::SetAlignment).Default(paLeft);
  p.Prop("AutoPopup", &T::AutoPopup, &T::SetAutoPopup).Default(true);
  p.Prop("Images", &T::Images, &T::SetImages);
  p.Prop("OwnerDraw", &T::OwnerDraw, &T::SetOwnerDraw).Default(false);
  p.Prop("TrackButton", &T::TrackButton, &T::SetTrackButton).Default(tbRightButton);
  p.Event("OnPopup", &T::OnPopup);
}

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) { PopupList().Add(this); }

TPopupMenu::~TPopupMenu() {
  // Menus of forms that the application frees at the very end may outlive the list.
  if (!PopupListGone()) PopupList().Remove(this);
}

void TPopupMenu::SetPopupComponent(TComponent* Value) {
  if (popupComponent_ == Value) return;
  popupComponent_ = Value;
  if (Value) Value->FreeNotification(this);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TMenu::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == popupComponent_) popupComponent_ = nullptr;
}

void TPopupMenu::DoPopup(TObject* Sender) {
  if (OnPopup) OnPopup(Sender);
}

void TPopupMenu::Popup(int X, int Y) {
  popupPoint_ = {X, Y};
  DoPopup(this);
  UINT flags = TPM_RETURNCMD;
  flags |= alignment_ == paRight ? TPM_RIGHTALIGN : alignment_ == paCenter ? TPM_CENTERALIGN : TPM_LEFTALIGN;
  flags |= trackButton_ == tbRightButton ? TPM_RIGHTBUTTON : TPM_LEFTBUTTON;
  UINT command = static_cast<UINT>(TrackPopupMenu(Handle(), flags, X, Y, 0, PopupList().Window(), nullptr));
  if (command) DispatchCommand(static_cast<WORD>(command));
}

// ---- TPopupList ----

TPopupList::TPopupList() = default;

TPopupList::~TPopupList() = default;

void TPopupList::Add(TPopupMenu* Menu) { menus_.push_back(Menu); }

void TPopupList::Remove(TPopupMenu* Menu) {
  auto it = std::find(menus_.begin(), menus_.end(), Menu);
  if (it != menus_.end()) menus_.erase(it);
}

HWND TPopupList::Window() {
  if (!window_)
    window_ = std::make_unique<TUtilityWindow>([this](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
      return WndProc(msg, wParam, lParam, result);
    });
  return window_->Handle();
}

bool TPopupList::WndProc(UINT Msg, WPARAM WParam, LPARAM LParam, LRESULT& Result) {
  switch (Msg) {
    case WM_COMMAND:
    case WM_INITMENUPOPUP:
    case WM_MENUSELECT:
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
    case WM_MENUCHAR: {
      // A handler may free menus of the list; walk a copy and skip the ones that went.
      std::vector<TPopupMenu*> menus = menus_;
      for (TPopupMenu* menu : menus)
        if (std::find(menus_.begin(), menus_.end(), menu) != menus_.end() &&
            menu->HandleMenuMessage(Msg, WParam, LParam, Result))
          return true;
      if (Msg == WM_MENUSELECT) ShowMenuHint(WideString());
      return false;
    }
    case WM_ENTERMENULOOP:
    case WM_EXITMENULOOP: ShowMenuHint(WideString()); return false;
    default: return false;
  }
}

namespace {
// The global list, and whether the end of the program has destroyed it already.
struct TPopupListHolder {
  TPopupList List;
  static inline bool Gone = false;
  ~TPopupListHolder() { Gone = true; }
};
}  // namespace

TPopupList& PopupList() {
  static TPopupListHolder holder;
  return holder.List;
}

static bool PopupListGone() { return TPopupListHolder::Gone; }

namespace {
// Form files create menus and their items by class name.
const bool registered = [] {
  RegisterClasses({&TMenuItem::StaticClassInfo(), &TMainMenu::StaticClassInfo(), &TPopupMenu::StaticClassInfo()});
  return true;
}();
}  // namespace
