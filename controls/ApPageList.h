// A page container without tabs: an ordered list of pages of which exactly one, the active
// page, shows and fills the list. The main window keeps one page per open document in it.
#pragma once

#include <vector>

#include "controls/ApExControls.h"

class TApCustomPageList;

// Where a page's caption would be drawn for a designer.
HV_ENUM(TApShowDesignCaption, sdcNone, sdcTopLeft, sdcTopCenter, sdcTopRight, sdcLeftCenter, sdcCenter, sdcRightCenter,
        sdcBottomLeft, sdcBottomCenter, sdcBottomRight, sdcRunTime)

using TApPageChangingEvent = TEvent<void(TObject* Sender, int PageIndex, bool& AllowChange)>;
using TApPagePaintEvent = TEvent<void(TObject* Sender, TCanvas* ACanvas, const TRect& ARect)>;
using TApPageCanPaintEvent = TEvent<void(TObject* Sender, TCanvas* ACanvas, const TRect& ARect, bool& DefaultDraw)>;

class TApCustomPage : public TApExCustomControl {
  HV_CLASS(TApCustomPage, TApExCustomControl)
 public:
  explicit TApCustomPage(TComponent* AOwner);
  ~TApCustomPage() override;

  TApCustomPageList* PageList() const { return pageList_; }
  virtual void SetPageList(TApCustomPageList* Value);
  // The place in the list; without a list, the index last given to the page.
  virtual int GetPageIndex();
  virtual void SetPageIndex(int Value);
  int PageIndex() { return GetPageIndex(); }

  // A page read from a form file joins the page list it is read into.
  void SetParentComponent(TComponent* Value) override;

  TApPageCanPaintEvent OnBeforePaint;
  TApPagePaintEvent OnPaint;
  TApPagePaintEvent OnAfterPaint;
  TNotifyEvent OnHide;
  TNotifyEvent OnShow;

 protected:
  friend class TApCustomPageList;
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void TextChanged() override;
  bool DoEraseBackground(TCanvas* Canvas, LPARAM Param) override;
  void CMShowingChanged(TMessage& Message) override;
  void CMVisibleChanged(TMessage& Message) override;
  virtual void DoPaint(TCanvas* ACanvas, const TRect& ARect);
  virtual void DoShow();
  virtual void DoHide();
  virtual bool DoBeforePaint(TCanvas* ACanvas, const TRect& ARect);
  virtual void DoAfterPaint(TCanvas* ACanvas, const TRect& ARect);

 private:
  TApCustomPageList* pageList_ = nullptr;
  TApCustomPageList* hiddenIn_ = nullptr;  // the list that keeps it among its hidden pages
  int pageIndex_ = -1;
  bool destroying_ = false;
};

class TApStandardPage : public TApCustomPage {
  HV_CLASS(TApStandardPage, TApCustomPage)
 public:
  explicit TApStandardPage(TComponent* AOwner) : inherited(AOwner) {}
};

class TApCustomPageList : public TApExCustomControl {
  HV_CLASS(TApCustomPageList, TApExCustomControl)
 public:
  explicit TApCustomPageList(TComponent* AOwner);
  // The pages are not freed: they only lose their list.
  ~TApCustomPageList() override;

  // Whether the page at AIndex may become active: the index must be valid, then OnChanging
  // decides. The list itself does not ask; its users do.
  virtual bool CanChange(int AIndex);
  virtual int GetActivePageIndex();
  // A valid index activates that page; any other leaves no page active.
  virtual void SetActivePageIndex(int Value);
  virtual TApCustomPage* GetPageFromIndex(int Index);
  virtual int GetPageCount();
  virtual WideString GetPageCaption(int Index);
  virtual void SetPageCaption(int Index, const WideString& Value);
  // The class of the pages a designer would add.
  virtual const TClassInfo& GetPageClass();
  TApCustomPage* ActivePage() const { return activePage_; }
  virtual void SetActivePage(TApCustomPage* Page);
  virtual void InsertPage(TApCustomPage* Page);
  virtual void RemovePage(TApCustomPage* Page);
  // Takes a page out of the list and keeps it aside; ShowPage puts it back at Index (its old
  // place when Index is negative).
  virtual void HidePage(TApCustomPage* Page);
  virtual void ShowPage(TApCustomPage* Page, int Index = -1);
  int HiddenPageCount() const { return static_cast<int>(hidden_.size()); }

  // The next and previous page, wrapping round.
  void NextPage();
  void PrevPage();
  void MovePage(int FromIndex, int ToIndex);
  // Frees the page at Index.
  void DeletePage(int Index);
  // Adds a page of GetPageClass owned by the list's owner; a designer's page is named after
  // its class ("ApStandardPage1", the first number free among the owner's components).
  TApCustomPage* NewPage();

  // Whether Enabled is copied to every control inside the list.
  bool PropagateEnable() const { return propagateEnable_; }
  void SetPropagateEnable(bool Value);
  TApShowDesignCaption ShowDesignCaption() const { return showDesignCaption_; }
  void SetShowDesignCaption(TApShowDesignCaption Value);

  void Loaded() override;
  // Pages first, in page order, then the other controls.
  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;

  TNotifyEvent OnChange;
  TApPageChangingEvent OnChanging;

 protected:
  friend class TApCustomPage;
  void Paint() override;
  void CMEnabledChanged(TMessage& Message) override;
  // A page shown by its owner becomes the active page.
  void ShowControl(TApCustomPage* Page);

 private:
  // Hides the active page and leaves none active (OnChange when there was one).
  void DeactivatePage();
  void Change();
  void PropagateEnabled();

  std::vector<TApCustomPage*> pages_;
  TApCustomPage* activePage_ = nullptr;
  bool propagateEnable_ = false;
  TApShowDesignCaption showDesignCaption_ = sdcCenter;
  std::vector<TApCustomPage*> hidden_;
  bool activating_ = false;
};

class TApPageList : public TApCustomPageList {
  HV_CLASS(TApPageList, TApCustomPageList)
 public:
  explicit TApPageList(TComponent* AOwner) : inherited(AOwner) {}
  const TClassInfo& GetPageClass() override { return TApStandardPage::StaticClassInfo(); }
};
