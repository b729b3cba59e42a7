// A list box with a check box before each item: per item a state (unchecked, checked,
// grayed), an enabled flag and a header flag (a header is a caption line without a box).
#pragma once

#include <vector>

#include "framework/ListControls.h"
#include "framework/StdCtrls.h"

class TCheckListBox : public TCustomListBox {
  HV_CLASS(TCheckListBox, TCustomListBox)
 public:
  explicit TCheckListBox(TComponent* AOwner);

  bool AllowGrayed() const { return allowGrayed_; }
  void SetAllowGrayed(bool Value) { allowGrayed_ = Value; }
  // EStringListError "List index out of bounds (%d)" for an item that does not exist.
  TCheckBoxState State(int Index) const;
  void SetState(int Index, TCheckBoxState Value);
  bool Checked(int Index) const { return State(Index) == cbChecked; }
  void SetChecked(int Index, bool Value) { SetState(Index, Value ? cbChecked : cbUnchecked); }
  bool ItemEnabled(int Index) const;
  void SetItemEnabled(int Index, bool Value);
  bool Header(int Index) const;
  void SetHeader(int Index, bool Value);
  void CheckAll(TCheckBoxState AState, bool AllowDisabled = true, bool AllowHeader = false);
  // The next state of a click on an item's box.
  void Toggle(int Index);

  // The user changed an item's state.
  TNotifyEvent OnClickCheck;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;
  void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) override;
  // Draws the box of an item; the text goes right of CheckWidth.
  virtual void DrawCheck(TCanvas* Canvas, const TRect& Rect, TCheckBoxState AState, bool AEnabled);
  // The text of an item after the check box; overridden by list boxes that draw Unicode
  // text their own way.
  virtual void DrawItemText(TCanvas* Canvas, int Index, const TRect& Rect, TOwnerDrawState State);
  static int CheckWidth();
  uint32_t ItemExtra(int Index) const override;
  void SetItemExtra(int Index, uint32_t Value) override;
  void ItemInserted(int Index) override;
  void ItemDeleted(int Index) override;
  void ItemsCleared() override;
  virtual void ClickCheck();

 private:
  struct TItemState {
    TCheckBoxState State = cbUnchecked;
    bool Enabled = true;
    bool Header = false;
  };
  const TItemState& At(int Index) const;
  TItemState& At(int Index);
  void InvalidateItem(int Index);

  std::vector<TItemState> states_;
  bool allowGrayed_ = false;
};
