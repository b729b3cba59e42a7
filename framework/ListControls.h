// Combo boxes ("COMBOBOX") and list boxes ("LISTBOX"): their items live in the window and are
// reached through an item list (Items) that talks to it with the wide messages. Before the
// window exists, and while it is re-created, the items, the selection and the text wait in the
// control, so a style change that re-creates the window loses nothing.
#pragma once

#include <functional>
#include <memory>

#include "framework/Controls.h"
#include "framework/Menus.h"
#include "framework/StringLists.h"

class TCustomComboBox;
class TCustomListBox;

HV_ENUM(TComboBoxStyle, csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable)
HV_ENUM(TListBoxStyle, lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable, lbVirtual, lbVirtualOwnerDraw)

using TDrawItemEvent = TEvent<void(TWinControl* Control, int Index, const TRect& Rect, TOwnerDrawState State)>;
using TMeasureItemEvent = TEvent<void(TWinControl* Control, int Index, int& Height)>;
// The text of an item of a virtual list box.
using TLBGetDataEvent = TEvent<void(TWinControl* Control, int Index, WideString& Data)>;

// The messages an item list sends; combo and list boxes name them apart.
struct TItemMessages {
  UINT GetTextLen, GetText, AddString, InsertString, FindStringExact, DeleteString, ResetContent, GetCount, GetItemData,
      SetItemData;
};

// The items of a combo or list box: in its window when it has one, else in the control's
// waiting list. A window that refuses an item raises EOutOfResources "Unable to insert a line".
class TWindowItemStrings : public TStringsW {
  HV_CLASS(TWindowItemStrings, TStringsW)
 public:
  TWindowItemStrings(TWinControl* Control, const TItemMessages& Messages, TStringListW* Waiting)
      : control_(Control), msg_(Messages), waiting_(Waiting) {}

  int Add(const WideString& S) override;
  void Insert(int Index, const WideString& S) override;
  int IndexOf(const WideString& S) const override;
  void Delete(int Index) override;
  void Clear() override;

 protected:
  WideString Get(int Index) const override;
  int GetCount() const override;
  TObject* GetObject(int Index) const override;
  void PutObject(int Index, TObject* AObject) override;
  void SetUpdateState(bool Updating) override;
  // An item was added or inserted at Index.
  virtual void Inserted(int Index) { (void)Index; }

  bool InWindow() const { return control_->HandleAllocated(); }
  LRESULT Send(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0) const;
  TWinControl* Control() const { return control_; }
  TStringListW* Waiting() const { return waiting_; }

 private:
  TWinControl* control_;
  TItemMessages msg_;
  TStringListW* waiting_;
};

class TComboBoxStrings : public TWindowItemStrings {
  HV_CLASS(TComboBoxStrings, TWindowItemStrings)
 public:
  TComboBoxStrings(TCustomComboBox* Combo, TStringListW* Waiting);
  // Keeps the combo's text.
  void Clear() override;
};

class TListBoxStrings : public TWindowItemStrings {
  HV_CLASS(TListBoxStrings, TWindowItemStrings)
 public:
  TListBoxStrings(TCustomListBox* ListBox, TStringListW* Waiting);
  void Delete(int Index) override;
  void Clear() override;
  void Exchange(int Index1, int Index2) override;
  void Move(int CurIndex, int NewIndex) override;

 protected:
  // EStringListError "List index out of bounds (%d)" for an index the window does not have.
  WideString Get(int Index) const override;
  int GetCount() const override;
  // Keeps the item's object, its extra state and the selection.
  void Put(int Index, const WideString& S) override;
  void Inserted(int Index) override;

 private:
  TCustomListBox* listBox_;
};

class TCustomComboBox : public TWinControl {
  HV_CLASS(TCustomComboBox, TWinControl)
 public:
  explicit TCustomComboBox(TComponent* AOwner);
  ~TCustomComboBox() override;

  TStringsW* Items() const { return items_.get(); }
  void SetItems(TStringsW* Value) { items_->Assign(Value); }
  int ItemIndex();
  void SetItemIndex(int Value);
  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle Value);
  bool Sorted() const { return sorted_; }
  void SetSorted(bool Value);
  int DropDownCount() const { return dropDownCount_; }
  void SetDropDownCount(int Value) { dropDownCount_ = Value; }
  int ItemHeight() const { return itemHeight_; }
  void SetItemHeight(int Value);
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int Value);
  // Typing completes the text from the items; AutoDropDown opens the list at the first key,
  // AutoCloseUp closes it when the text is an item.
  bool AutoComplete() const { return autoComplete_; }
  void SetAutoComplete(bool Value) { autoComplete_ = Value; }
  bool AutoDropDown() const { return autoDropDown_; }
  void SetAutoDropDown(bool Value) { autoDropDown_ = Value; }
  bool AutoCloseUp() const { return autoCloseUp_; }
  void SetAutoCloseUp(bool Value) { autoCloseUp_ = Value; }
  bool DroppedDown();
  void SetDroppedDown(bool Value);
  // The selection of the edit part, in UTF-16 units.
  int SelStart();
  void SetSelStart(int Value);
  int SelLength();
  void SetSelLength(int Value);
  WideString SelText();
  void SelectAll();
  void Clear();
  // Adds an item with its object.
  virtual void AddItem(const WideString& Item, TObject* AObject);
  // The edit child of the editable styles, or null.
  HWND EditHandle() const { return editHandle_; }
  // The canvas an owner-drawn item is drawn on (while OnDrawItem or DrawItem runs).
  TCanvas* Canvas() const { return canvas_.get(); }
  HWND ListHandle() const { return listHandle_; }
  bool IsEditable() const { return style_ == csDropDown || style_ == csSimple; }

  TNotifyEvent OnChange;
  TNotifyEvent OnSelect;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;
  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Dispatch(TMessage& Message) override;
  virtual void Change();
  virtual void Select();
  virtual void DropDown();
  virtual void CloseUp();
  // CBN_SELCHANGE: the text becomes the item, then Click and Select.
  virtual void SelectionChanged();
  virtual void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State);
  virtual void MeasureItem(int Index, int& Height);
  // A message of the edit or list child; Previous is the child's own procedure.
  virtual void ChildMessage(HWND Child, WNDPROC Previous, TMessage& Message);
  // A character typed in the edit child that the key events left: true when consumed.
  virtual bool EditCharacter(TMessage& Message) {
    (void)Message;
    return false;
  }

 private:
  static LRESULT CALLBACK ChildProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  void HookChildren();

  std::unique_ptr<TStringListW> waiting_;
  std::unique_ptr<TComboBoxStrings> items_;
  std::unique_ptr<TCanvas> canvas_;
  int waitingIndex_ = -1;
  TComboBoxStyle style_ = csDropDown;
  bool sorted_ = false;
  int dropDownCount_ = 8;
  int itemHeight_ = 16;
  int maxLength_ = 0;
  bool autoComplete_ = true;
  bool autoDropDown_ = false;
  bool autoCloseUp_ = false;
  HWND editHandle_ = nullptr;
  HWND listHandle_ = nullptr;
};

class TComboBox : public TCustomComboBox {
  HV_CLASS(TComboBox, TCustomComboBox)
 public:
  explicit TComboBox(TComponent* AOwner) : TCustomComboBox(AOwner) {}
};

class TCustomListBox : public TWinControl {
  HV_CLASS(TCustomListBox, TWinControl)
 public:
  explicit TCustomListBox(TComponent* AOwner);
  ~TCustomListBox() override;

  TStringsW* Items() const { return items_.get(); }
  void SetItems(TStringsW* Value) { items_->Assign(Value); }
  // The selected item (the focused one with MultiSelect); -1 when none.
  int ItemIndex();
  void SetItemIndex(int Value);
  int TopIndex();
  void SetTopIndex(int Value);
  TListBoxStyle Style() const { return style_; }
  void SetStyle(TListBoxStyle Value);
  bool IsVirtual() const { return style_ == lbVirtual || style_ == lbVirtualOwnerDraw; }
  bool MultiSelect() const { return multiSelect_; }
  void SetMultiSelect(bool Value);
  // With MultiSelect: a click selects the item alone and Shift and Ctrl extend the selection;
  // without it a click toggles the one item clicked (a list of check marks).
  bool ExtendedSelect() const { return extendedSelect_; }
  void SetExtendedSelect(bool Value);
  bool Sorted() const { return sorted_; }
  void SetSorted(bool Value);
  int ItemHeight() const { return itemHeight_; }
  void SetItemHeight(int Value);
  bool IntegralHeight() const { return integralHeight_; }
  void SetIntegralHeight(bool Value);
  bool Selected(int Index);
  void SetSelected(int Index, bool Value);
  int SelCount();
  // The number of items (a virtual list box is told it).
  int Count();
  void SetCount(int Value);
  void Clear();
  void ClearSelection();
  // The item at a client point, or -1.
  int ItemAtPos(const TPoint& Pos, bool Existing);
  TRect ItemRect(int Index);
  virtual void AddItem(const WideString& Item, TObject* AObject);
  // The canvas an owner-drawn item is drawn on (while OnDrawItem or DrawItem runs).
  TCanvas* Canvas() const { return canvas_.get(); }

  TNotifyEvent OnChange;
  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;
  // The texts of a virtual list box.
  TLBGetDataEvent OnData;

 protected:
  friend class TListBoxStrings;
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Dispatch(TMessage& Message) override;
  virtual void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State);
  virtual void MeasureItem(int Index, int& Height);
  // The text of item Index of a virtual list box; false when none was given.
  virtual bool GetVirtualText(int Index, WideString& Text);
  virtual void DeleteString(int Index);
  virtual void ResetContent();
  // State of an item kept beside its text when items move (the check list's marks).
  virtual uint32_t ItemExtra(int Index) const {
    (void)Index;
    return 0;
  }
  virtual void SetItemExtra(int Index, uint32_t Value) {
    (void)Index;
    (void)Value;
  }
  // The item list tells of inserted and removed items.
  virtual void ItemInserted(int Index) { (void)Index; }
  virtual void ItemDeleted(int Index) { (void)Index; }
  virtual void ItemsCleared() {}
  // True while the item list moves an item (a delete and an insert that are one move).
  bool Moving() const { return moving_; }

 private:
  void AnswerVirtualText(TMessage& Message);

  std::unique_ptr<TStringListW> waiting_;
  std::unique_ptr<TListBoxStrings> items_;
  std::unique_ptr<TCanvas> canvas_;
  int waitingIndex_ = -1;
  int waitingTop_ = 0;
  int waitingCount_ = 0;
  TListBoxStyle style_ = lbStandard;
  bool multiSelect_ = false;
  bool extendedSelect_ = true;
  bool sorted_ = false;
  int itemHeight_ = 16;
  bool integralHeight_ = false;
  bool moving_ = false;
};

class TListBox : public TCustomListBox {
  HV_CLASS(TListBox, TCustomListBox)
 public:
  explicit TListBox(TComponent* AOwner) : TCustomListBox(AOwner) {}
};

// The published properties of combo and list boxes, shared by the framework's and their kin.
template <class T>
void PublishComboBox(TPublisher<T>& p) {
  p.Prop("AutoComplete", &T::AutoComplete, &T::SetAutoComplete).Default(1);
  p.Prop("AutoCloseUp", &T::AutoCloseUp, &T::SetAutoCloseUp).Default(0);
  p.Prop("AutoDropDown", &T::AutoDropDown, &T::SetAutoDropDown).Default(0);
  p.Prop("DropDownCount", &T::DropDownCount, &T::SetDropDownCount).Default(8);
  p.Prop("ItemHeight", &T::ItemHeight, &T::SetItemHeight).Default(16);
  p.Prop("MaxLength", &T::MaxLength, &T::SetMaxLength).Default(0);
  p.Prop("Sorted", &T::Sorted, &T::SetSorted).Default(0);
  p.Prop("Style", &T::Style, &T::SetStyle).Default(csDropDown);
  p.Prop("Items", &T::Items, &T::SetItems);
  p.Prop("ItemIndex", &T::ItemIndex, &T::SetItemIndex).Default(-1);
  p.Prop("Text", &T::Text, &T::SetText);
  p.Event("OnChange", &T::OnChange);
  p.Event("OnCloseUp", &T::OnCloseUp);
  p.Event("OnDrawItem", &T::OnDrawItem);
  p.Event("OnDropDown", &T::OnDropDown);
  p.Event("OnMeasureItem", &T::OnMeasureItem);
  p.Event("OnSelect", &T::OnSelect);
}

template <class T>
void PublishListBox(TPublisher<T>& p) {
  p.Prop("ExtendedSelect", &T::ExtendedSelect, &T::SetExtendedSelect).Default(1);
  p.Prop("IntegralHeight", &T::IntegralHeight, &T::SetIntegralHeight).Default(0);
  p.Prop("ItemHeight", &T::ItemHeight, &T::SetItemHeight).Default(16);
  p.Prop("MultiSelect", &T::MultiSelect, &T::SetMultiSelect).Default(0);
  p.Prop("Sorted", &T::Sorted, &T::SetSorted).Default(0);
  p.Prop("Style", &T::Style, &T::SetStyle).Default(lbStandard);
  p.Prop("Items", &T::Items, &T::SetItems);
  p.Event("OnData", &T::OnData);
  p.Event("OnDrawItem", &T::OnDrawItem);
  p.Event("OnMeasureItem", &T::OnMeasureItem);
}

// Draws an owner-drawn item on Canvas with the DC of the request: the canvas takes the
// control's font and the colours of the item's state first.
void DrawOwnerItem(TWinControl* Control, TCanvas* Canvas, const DRAWITEMSTRUCT& Item,
                   const std::function<void(int Index, const TRect& Rect, TOwnerDrawState State)>& Draw);

// The colours and state of an owner-drawn item, applied to a canvas the way the system draws
// a selected or normal item.
void PrepareItemCanvas(TCanvas* Canvas, TWinControl* Control, TOwnerDrawState State);
TOwnerDrawState OwnerDrawStateOf(UINT ItemState);
