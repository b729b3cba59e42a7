// Unicode combo, list and check-list boxes.
#include "controls/UcStdCtrls.h"

#include "controls/UcActnList.h"
#include "controls/UcControls.h"
#include "controls/UcMenus.h"
#include "framework/Application.h"

namespace {
// A character typed within this time of the one before continues the search.
constexpr DWORD SearchPause = 1250;
}  // namespace

int ComboFindString(TCustomComboBox* Combo, const WideString& Text, int Start) {
  if (auto* search = dynamic_cast<IUcComboSearch*>(Combo)) return search->FindString(Text, Start);
  // The system's prefix search, done here: Wine's ignores letter case only for ASCII.
  TStringsW* items = Combo->Items();
  int count = items->Count();
  if (count == 0) return -1;
  if (Start < -1 || Start >= count) Start = -1;
  for (int i = 1; i <= count; ++i) {
    int index = (Start + i) % count;
    WideString item = items->Strings(index);
    if (item.size() < Text.size()) continue;
    if (CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, item.c_str(), static_cast<int>(Text.size()), Text.c_str(),
                       static_cast<int>(Text.size())) == CSTR_EQUAL)
      return index;
  }
  return -1;
}

int ComboFindUniqueString(TCustomComboBox* Combo, const WideString& Text) {
  int first = ComboFindString(Combo, Text, -1);
  if (first == -1) return -1;
  // The search wraps around: from the first match it comes back to it when it is the only one.
  return ComboFindString(Combo, Text, first) == first ? first : -1;
}

void UcAddItemTo(TWinControl* Destination, const WideString& Item, TObject* AObject) {
  if (auto* list = dynamic_cast<IUcListControl*>(Destination))
    list->AddItem(Item, AObject);
  else if (auto* combo = dynamic_cast<TCustomComboBox*>(Destination))
    combo->AddItem(Item, AObject);
  else if (auto* box = dynamic_cast<TCustomListBox*>(Destination))
    box->AddItem(Item, AObject);
}

// ---- TUcCustomComboBox ----

HV_PUBLISH(TUcCustomComboBox) {}

HV_PUBLISH(TUcComboBox) { PublishComboBox(p); }

void TUcCustomComboBox::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  UnicodeClassParams(Params);
}

TUcCustomComboBox::TUcCustomComboBox(TComponent* AOwner)
    : TCustomComboBox(AOwner), tick_([] { return GetTickCount(); }) {}

void TUcCustomComboBox::AddItem(const WideString& Item, TObject* AObject) { TCustomComboBox::AddItem(Item, AObject); }

void TUcCustomComboBox::CopySelection(TWinControl* Destination) {
  int index = ItemIndex();
  if (index != -1) UcAddItemTo(Destination, Items()->Strings(index), Items()->Objects(index));
}

void TUcCustomComboBox::OpenKeepingText() {
  // Opening the list selects the matching item's text: the typed text and selection stay.
  WideString text = UcControl_GetText(this);
  int start = SelStart(), length = SelLength();
  SetDroppedDown(true);
  UcControl_SetText(this, text);
  SetSelStart(start);
  SetSelLength(length);
}

bool TUcCustomComboBox::AutoSelect(const WideString& SearchText, bool UniqueOnly, bool KeepTyped) {
  int index = UniqueOnly ? ComboFindUniqueString(this, SearchText) : ComboFindString(this, SearchText, -1);
  if (index == -1) return false;
  WideString item = Items()->Strings(index);
  bool changed = Style() == csDropDown ? UcControl_GetText(this) != item : index != ItemIndex();
  if (AutoCloseUp() && Items()->IndexOf(SearchText) != -1) SetDroppedDown(false);
  SetItemIndex(index);
  if (IsEditable()) {
    WideString text = KeepTyped ? SearchText + item.substr(std::min(SearchText.size(), item.size())) : item;
    UcControl_SetText(this, text);
    SetSelStart(static_cast<int>(SearchText.size()));
    SetSelLength(static_cast<int>(text.size() - std::min(SearchText.size(), text.size())));
  }
  if (changed) {
    Click();
    Select();
  }
  return true;
}

bool TUcCustomComboBox::EditCharacter(TMessage& Message) {
  if (!AutoComplete() || !IsEditable()) return false;
  wchar_t key = WideCharOfCharMessage(Message);
  switch (key) {
    case VK_BACK:
    case VK_ESCAPE: return false;
    case VK_TAB:
      if (AutoDropDown() && DroppedDown()) SetDroppedDown(false);
      return false;
    default: break;
  }
  if (AutoDropDown() && !DroppedDown()) OpenKeepingText();
  WideString text = UcControl_GetText(this);
  int start = SelStart(), length = SelLength();
  if (start + length != static_cast<int>(text.size())) return false;
  WideString search = text.substr(0, static_cast<size_t>(start)) + key;
  if (!AutoSelect(search, UniqueMatchOnly(), KeepTypedText())) return false;
  SetWideCharOfCharMessage(Message, 0);
  return true;
}

bool TUcCustomComboBox::IncrementalSearch(wchar_t Key) {
  switch (Key) {
    case VK_BACK:
      if (!searchText_.empty()) searchText_.pop_back();
      return false;
    case VK_TAB:
      if (AutoDropDown() && DroppedDown()) SetDroppedDown(false);
      return false;
    case VK_ESCAPE: return false;
    default: break;
  }
  if (AutoDropDown() && !DroppedDown()) SetDroppedDown(true);
  DWORD now = tick_();
  if (now - lastSearchKey_ >= SearchPause) searchText_.clear();
  lastSearchKey_ = now;
  if (!AutoSelect(searchText_ + Key, UniqueMatchOnly(), KeepTypedText())) return false;
  searchText_ += Key;
  return true;
}

void TUcCustomComboBox::WMChar(TMessage& Message) {
  if (IsEditable() || !AutoComplete()) {
    inherited::WMChar(Message);
    return;
  }
  // The search comes first; a character it did not take goes on as a typed one, key events
  // and all.
  if (IncrementalSearch(WideCharOfCharMessage(Message))) return;
  inherited::WMChar(Message);
}

void TUcCustomComboBox::ChildMessage(HWND Child, WNDPROC Previous, TMessage& Message) {
  // A character from the input method comes as a typed one, so that the key handlers and the
  // auto-complete see it too (the edit would otherwise take it in directly).
  if (Message.Msg == WM_IME_CHAR) {
    Message.Result = SendMessageW(Child, WM_CHAR, Message.WParam, Message.LParam);
    return;
  }
  inherited::ChildMessage(Child, Previous, Message);
}

void TUcCustomComboBox::ActionChange(TObject* Sender, bool CheckDefaults) {
  inherited::ActionChange(Sender, CheckDefaults);
  UcControl_ActionChange(this, Sender, CheckDefaults);
}

TControlActionLink* TUcCustomComboBox::CreateActionLink() { return UcControl_CreateActionLink(this); }

void TUcCustomComboBox::CMHintShow(TMessage& Message) {
  inherited::CMHintShow(Message);
  if (Message.Result == 0) UcControl_PrepareHint(this, *reinterpret_cast<THintInfo*>(Message.LParam));
}

// ---- TUcCustomListBox ----

HV_PUBLISH(TUcCustomListBox) {}

HV_PUBLISH(TUcListBox) { PublishListBox(p); }

void TUcCustomListBox::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  UnicodeClassParams(Params);
}

void TUcCustomListBox::AddItem(const WideString& Item, TObject* AObject) { TCustomListBox::AddItem(Item, AObject); }

namespace {
// A list's selection: every selected item with MultiSelect, else the item at the item index.
void CopyListSelection(TCustomListBox* List, TWinControl* Destination) {
  TStringsW* items = List->Items();
  if (List->MultiSelect()) {
    for (int i = 0; i < items->Count(); ++i)
      if (List->Selected(i)) UcAddItemTo(Destination, items->Strings(i), items->Objects(i));
  } else if (int index = List->ItemIndex(); index != -1) {
    UcAddItemTo(Destination, items->Strings(index), items->Objects(index));
  }
}
}  // namespace

void TUcCustomListBox::CopySelection(TWinControl* Destination) { CopyListSelection(this, Destination); }

void TUcCustomListBox::ActionChange(TObject* Sender, bool CheckDefaults) {
  inherited::ActionChange(Sender, CheckDefaults);
  UcControl_ActionChange(this, Sender, CheckDefaults);
}

TControlActionLink* TUcCustomListBox::CreateActionLink() { return UcControl_CreateActionLink(this); }

void TUcCustomListBox::CMHintShow(TMessage& Message) {
  inherited::CMHintShow(Message);
  if (Message.Result == 0) UcControl_PrepareHint(this, *reinterpret_cast<THintInfo*>(Message.LParam));
}

// ---- TUcCheckListBox ----

HV_PUBLISH(TUcCheckListBox) {
  p.Prop("AllowGrayed", &T::AllowGrayed, &T::SetAllowGrayed).Default(0);
  p.Prop("ItemHeight", &T::ItemHeight, &T::SetItemHeight).Default(16);
  p.Prop("Sorted", &T::Sorted, &T::SetSorted).Default(0);
  p.Prop("Items", &T::Items, &T::SetItems);
  p.Event("OnClickCheck", &T::OnClickCheck);
}

void TUcCheckListBox::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  UnicodeClassParams(Params);
}

void TUcCheckListBox::AddItem(const WideString& Item, TObject* AObject) { TCheckListBox::AddItem(Item, AObject); }

void TUcCheckListBox::CopySelection(TWinControl* Destination) { CopyListSelection(this, Destination); }

void TUcCheckListBox::ActionChange(TObject* Sender, bool CheckDefaults) {
  inherited::ActionChange(Sender, CheckDefaults);
  UcControl_ActionChange(this, Sender, CheckDefaults);
}

TControlActionLink* TUcCheckListBox::CreateActionLink() { return UcControl_CreateActionLink(this); }

void TUcCheckListBox::CMHintShow(TMessage& Message) {
  inherited::CMHintShow(Message);
  if (Message.Result == 0) UcControl_PrepareHint(this, *reinterpret_cast<THintInfo*>(Message.LParam));
}

void RegisterUnicodeControlClasses() {
  RegisterClasses({&TUcComboBox::StaticClassInfo(), &TUcListBox::StaticClassInfo(), &TUcCheckListBox::StaticClassInfo(),
                   &TUcMenuItem::StaticClassInfo(), &TUcAction::StaticClassInfo(), &TUcHintAction::StaticClassInfo()});
}
