// The common controls of the system: the up-down control ("msctls_updown32"), two arrows that
// step a position between Min and Max, and the page control ("SysTabControl32"), a row of tabs
// over pages of which the one of the selected tab shows; the list view ("SysListView32"), the
// extended combo box ("ComboBoxEx32") and the tool button (a "ToolbarWindow32" of one button),
// each as thin as the action links that serve them need.
#pragma once

#include <vector>

#include "framework/Controls.h"

HV_ENUM(TUDBtnType, btNext, btPrev)
HV_ENUM(TUDOrientation, udHorizontal, udVertical)
HV_ENUM(TUDAlignButton, udLeft, udRight)

using TUDClickEvent = TEvent<void(TObject* Sender, TUDBtnType Button)>;
using TUDChangingEvent = TEvent<void(TObject* Sender, bool& AllowChange)>;

class TCustomUpDown : public TWinControl {
  HV_CLASS(TCustomUpDown, TWinControl)
 public:
  explicit TCustomUpDown(TComponent* AOwner);

  int Min() const { return min_; }
  void SetMin(int Value);
  int Max() const { return max_; }
  void SetMax(int Value);
  // Kept inside Min..Max.
  int Position();
  void SetPosition(int Value);
  int Increment() const { return increment_; }
  void SetIncrement(int Value);
  bool Wrap() const { return wrap_; }
  void SetWrap(bool Value);
  bool ArrowKeys() const { return arrowKeys_; }
  void SetArrowKeys(bool Value);
  bool Thousands() const { return thousands_; }
  void SetThousands(bool Value);
  TUDOrientation Orientation() const { return orientation_; }
  void SetOrientation(TUDOrientation Value);
  TUDAlignButton AlignButton() const { return alignButton_; }
  void SetAlignButton(TUDAlignButton Value);
  // The control whose text shows the position; the arrows sit beside it.
  TWinControl* Associate() const { return associate_; }
  void SetAssociate(TWinControl* Value);

  TUDClickEvent OnClick;
  TUDChangingEvent OnChanging;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  virtual bool CanChange();
  virtual void Click(TUDBtnType Button);

 private:
  void ApplyRange();

  int min_ = 0, max_ = 100, position_ = 0, increment_ = 1;
  bool wrap_ = false, arrowKeys_ = true, thousands_ = true;
  TUDOrientation orientation_ = udVertical;
  TUDAlignButton alignButton_ = udRight;
  TWinControl* associate_ = nullptr;
};

class TUpDown : public TCustomUpDown {
  HV_CLASS(TUpDown, TCustomUpDown)
 public:
  explicit TUpDown(TComponent* AOwner) : TCustomUpDown(AOwner) {}
};

class TPageControl;

// One page of a page control: its caption is the tab's text; only the active page shows.
class TTabSheet : public TWinControl {
  HV_CLASS(TTabSheet, TWinControl)
 public:
  explicit TTabSheet(TComponent* AOwner);
  ~TTabSheet() override;

  TPageControl* PageControl() const { return pageControl_; }
  // Moves the page to the end of another control's pages (null: out of any).
  void SetPageControl(TPageControl* Value);
  // The place among the pages; -1 without a page control.
  int PageIndex() const;
  void SetPageIndex(int Value);

  // A page read from a form file joins the page control it is read into.
  void SetParentComponent(TComponent* Value) override;
  TComponent* GetParentComponent() const override;

 protected:
  void CMTextChanged(TMessage& Message) override;

 private:
  friend class TPageControl;
  TPageControl* pageControl_ = nullptr;
};

using TTabChangingEvent = TEvent<void(TObject* Sender, bool& AllowChange)>;

class TPageControl : public TWinControl {
  HV_CLASS(TPageControl, TWinControl)
 public:
  explicit TPageControl(TComponent* AOwner);
  // The pages are not freed with the control's window: the owner frees them.
  ~TPageControl() override;

  int PageCount() const { return static_cast<int>(pages_.size()); }
  TTabSheet* Pages(int Index) const;
  TTabSheet* ActivePage() const { return activePage_; }
  // Shows the page and selects its tab (a page of another control is ignored); OnChange is
  // left to the user's choice of a tab.
  void SetActivePage(TTabSheet* Page);
  int ActivePageIndex() const;
  void SetActivePageIndex(int Value);
  // The next or previous page, wrapping round, as a user's choice (OnChanging, OnChange).
  void SelectNextPage(bool GoForward);
  // The area the pages fill, in client co-ordinates.
  TRect DisplayRect();

  // Pages first, in page order.
  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;

  // A tab chosen by the user: OnChanging may keep the current page, OnChange follows a change.
  TTabChangingEvent OnChanging;
  TNotifyEvent OnChange;

 protected:
  friend class TTabSheet;
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;
  void AdjustClientRect(TRect& Rect) override;
  void AlignControls(TControl* AControl, TRect& Rect) override;
  void CMDialogKey(TMessage& Message) override;
  virtual bool CanChange();
  virtual void Change();

 private:
  void InsertPage(TTabSheet* Page);
  void RemovePage(TTabSheet* Page);
  void UpdateTab(TTabSheet* Page);
  void UpdateTabs();
  void ChangeActivePage(TTabSheet* Page);

  std::vector<TTabSheet*> pages_;
  TTabSheet* activePage_ = nullptr;
};

// A list view in list style: a column of item captions.
class TListView : public TWinControl {
  HV_CLASS(TListView, TWinControl)
 public:
  explicit TListView(TComponent* AOwner);

  int ItemCount() const { return static_cast<int>(items_.size()); }
  // The caption of the item at Index; EListError outside the items.
  WideString Items(int Index) const;
  void AddItem(const WideString& Caption);
  void Clear();

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;

 private:
  void InsertIntoWindow(int Index);
  // Kept here, so that the items outlive a new window.
  std::vector<WideString> items_;
};

// An extended combo box: items of a caption and an image index, and an edit box for the text.
class TComboBoxEx : public TWinControl {
  HV_CLASS(TComboBoxEx, TWinControl)
 public:
  explicit TComboBoxEx(TComponent* AOwner);

  int ItemCount() const { return static_cast<int>(items_.size()); }
  // EListError outside the items.
  WideString Items(int Index) const;
  int ItemImageIndex(int Index) const;
  void AddItem(const WideString& Caption, int ImageIndex = -1);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;

 private:
  struct TItem {
    WideString Caption;
    int ImageIndex;
  };
  void InsertIntoWindow(int Index);
  const TItem& Item(int Index) const;
  std::vector<TItem> items_;
};

// A tool button: one button of a toolbar window, showing the control's text and the image
// ImageIndex of the toolbar's images (-1: none). An action gives it its image index too.
class TToolButton : public TWinControl {
  HV_CLASS(TToolButton, TWinControl)
 public:
  explicit TToolButton(TComponent* AOwner);

  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int Value);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void CMTextChanged(TMessage& Message) override;
  void ActionChange(TObject* Sender, bool CheckDefaults) override;

 private:
  void UpdateButton();
  int imageIndex_ = -1;
};
