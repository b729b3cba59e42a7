// The themed recent-files list: entries that are themed items taking the container's font
// settings, a key shift for their numbering, and a placeholder that shows the list in a menu.
#pragma once

#include "themes/UiItems.h"
#include "toolbars/BarMRU.h"

extern const char* const SBarMRUListCaption;  // 65012

class TUiMRUList : public TBarMRUList {
  HV_CLASS(TUiMRUList, TBarMRUList)
 public:
  explicit TUiMRUList(TComponent* AOwner);

  int KeyShift() const { return keyShift_; }
  // Negative values are kept as 0; the entries are rebuilt.
  void SetKeyShift(int Value);

  int GetFirstKey() override { return keyShift_; }
  TBarCustomItem* CreateFileItem() override { return new TUiCustomItem(nullptr); }
  void RebuildItems() override;

 private:
  int keyShift_ = 0;
};

// Stands in a menu for the entries of a recent-files list.
class TUiMRUListItem : public TUiCustomItem {
  HV_CLASS(TUiMRUListItem, TUiCustomItem)
 public:
  explicit TUiMRUListItem(TComponent* AOwner);
  ~TUiMRUListItem() override;
  TBarMRUList* MRUList() const { return mruList_; }
  void SetMRUList(TBarMRUList* Value);

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TBarMRUList* mruList_ = nullptr;
};
