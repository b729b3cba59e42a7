// The themed recent-files list and its placeholder item.
#include "themes/UiExtItems.h"

#include <algorithm>

const char* const SBarMRUListCaption = "(MRU List)";

HV_PUBLISH(TUiMRUList) { p.Prop("KeyShift", &T::KeyShift, &T::SetKeyShift).Default(0); }
// The placeholder never shows: the list's entries stand in its place, so a form file gives it
// its list alone.
HV_PUBLISH(TUiMRUListItem) { p.Prop("MRUList", &T::MRUList, &T::SetMRUList); }

TUiMRUList::TUiMRUList(TComponent* AOwner) : TBarMRUList(AOwner, std::make_unique<TUiCustomItem>(nullptr)) {}

void TUiMRUList::SetKeyShift(int Value) {
  keyShift_ = std::max(Value, 0);
  RebuildItems();
}

void TUiMRUList::RebuildItems() {
  TBarMRUList::RebuildItems();
  auto* container = dynamic_cast<TUiCustomItem*>(Container());
  if (!container) return;
  for (int i = 0; i < container->Count(); ++i)
    if (auto* item = dynamic_cast<TUiCustomItem*>(container->Items(i)))
      item->FontSettings()->Assign(container->FontSettings());
}

TUiMRUListItem::TUiMRUListItem(TComponent* AOwner) : TUiCustomItem(AOwner) {
  SetItemStyle(ItemStyle() | tbisInlineGroup);
  // The caption seen in the designer: the list's name with "Ui " after its first character.
  std::string caption = SBarMRUListCaption;
  caption.insert(1, "Ui ");
  SetCaption(WideString(caption.begin(), caption.end()));
}

TUiMRUListItem::~TUiMRUListItem() {
  if (mruList_) mruList_->RemoveFreeNotification(this);
}

void TUiMRUListItem::SetMRUList(TBarMRUList* Value) {
  if (mruList_ == Value) return;
  if (mruList_) mruList_->RemoveFreeNotification(this);
  mruList_ = Value;
  if (Value) {
    Value->FreeNotification(this);
    SetLinkSubitems(Value->Container());
  } else {
    SetLinkSubitems(nullptr);
  }
}

void TUiMRUListItem::Notification(TComponent* AComponent, TOperation Operation) {
  TUiCustomItem::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == mruList_) SetMRUList(nullptr);
}
