// A title bar drawn with skinned items for forms without a system frame: the caption, the
// minimize, maximize and close buttons, the themed system menu and sizing from its border.
// No form of the program uses it.
#pragma once

#include "framework/Bitmap.h"
#include "themes/SkinToolbar.h"

// A compound control whose dock background its owner may draw, and whose height follows its
// dock.
class TSkinCompoundBar : public TSkinCompoundItemsControl {
  HV_CLASS(TSkinCompoundBar, TSkinCompoundItemsControl)
 public:
  explicit TSkinCompoundBar(TComponent* AOwner) : TSkinCompoundItemsControl(AOwner) {}
  TSkinDrawEvent OnDrawDockBackground;

 protected:
  TSkinDock* CreateDock() override;
  virtual void DoDrawDockBackground(TCanvas* ACanvas, const TRect& ARect, TSkinPaintStage PaintStage,
                                    bool& PaintDefault);

 private:
  void DockBackground(TObject* Sender, TCanvas* ACanvas, TRect ARect, TSkinPaintStage PaintStage, bool& PaintDefault);
  void DockResized(TObject* Sender);
};

class TSkinTitleToolbar : public TSkinToolbar {
  HV_CLASS(TSkinTitleToolbar, TSkinToolbar)
 public:
  explicit TSkinTitleToolbar(TComponent* AOwner) : TSkinToolbar(AOwner) {}
};

class TSkinTitleBar;

// Which window buttons the title bar shows and with which images.
class TSkinTitleBarButtonOptions : public TPersistent {
  HV_CLASS(TSkinTitleBarButtonOptions, TPersistent)
 public:
  explicit TSkinTitleBarButtonOptions(TSkinTitleBar* ATitleBar) : titleBar_(ATitleBar) {}
  bool Caption() const { return caption_; }
  void SetCaption(bool Value) { set(caption_, Value); }
  bool Close() const { return close_; }
  void SetClose(bool Value) { set(close_, Value); }
  bool Minimize() const { return minimize_; }
  void SetMinimize(bool Value) { set(minimize_, Value); }
  bool Maximize() const { return maximize_; }
  void SetMaximize(bool Value) { set(maximize_, Value); }
  bool SystemMenu() const { return systemMenu_; }
  void SetSystemMenu(bool Value) { set(systemMenu_, Value); }
  int CaptionImageIndex() const { return captionImage_; }
  void SetCaptionImageIndex(int Value) { set(captionImage_, Value); }
  int CloseImageIndex() const { return closeImage_; }
  void SetCloseImageIndex(int Value) { set(closeImage_, Value); }
  int MinimizeImageIndex() const { return minimizeImage_; }
  void SetMinimizeImageIndex(int Value) { set(minimizeImage_, Value); }
  int MaximizeImageIndex() const { return maximizeImage_; }
  void SetMaximizeImageIndex(int Value) { set(maximizeImage_, Value); }
  int RestoreImageIndex() const { return restoreImage_; }
  void SetRestoreImageIndex(int Value) { set(restoreImage_, Value); }
  int SystemImageIndex() const { return systemImage_; }
  void SetSystemImageIndex(int Value) { set(systemImage_, Value); }
  int TitleBarSize() const { return titleBarSize_; }
  void SetTitleBarSize(int Value) { set(titleBarSize_, Value); }
  bool ButtonBorders() const { return buttonBorders_; }
  void SetButtonBorders(bool Value) { set(buttonBorders_, Value); }

  // The items made for the buttons (null while not shown).
  TSkinItem* CaptionItem() const { return captionItem_; }
  TSkinItem* MinimizeItem() const { return minimizeItem_; }
  TSkinItem* MaximizeItem() const { return maximizeItem_; }
  TSkinItem* CloseItem() const { return closeItem_; }
  // Makes the items again after a change of the options.
  void Rebuild();
  // The image list and index a button shows: its own image when set, else the glyph.
  void ButtonImage(TSkinItem* Button, TCustomImageList*& List, int& Index);

 private:
  template <class T>
  void set(T& Field, T Value) {
    if (Field == Value) return;
    Field = Value;
    Rebuild();
  }
  TSkinItem* MakeButton();
  void ButtonClick(TObject* Sender);
  void ButtonDrawItem(TObject* Sender, TCanvas* ACanvas, TRect ARect, const TUiItemInfo& ItemInfo,
                      TSkinPaintStage PaintStage, bool& PaintDefault);
  void ButtonDrawImage(TObject* Sender, TCanvas* ACanvas, const TUiItemInfo& ItemInfo, TSkinPaintStage PaintStage,
                       TCustomImageList*& AImageList, int& AImageIndex, TRect& ARect, bool& PaintDefault);

  TSkinTitleBar* titleBar_;
  bool caption_ = true, close_ = true, minimize_ = true, maximize_ = true, systemMenu_ = true;
  int captionImage_ = -1, closeImage_ = -1, minimizeImage_ = -1, maximizeImage_ = -1, restoreImage_ = -1,
      systemImage_ = -1;
  int titleBarSize_ = 17;
  bool buttonBorders_ = false;
  TSkinItem* captionItem_ = nullptr;
  TSkinItem* minimizeItem_ = nullptr;
  TSkinItem* maximizeItem_ = nullptr;
  TSkinItem* closeItem_ = nullptr;
};

using TSkinSystemMenuPopupEvent = TEvent<void(TObject* Sender, TSkinPopupMenu* PopupMenu)>;

class TSkinTitleBar : public TSkinCompoundBar {
  HV_CLASS(TSkinTitleBar, TSkinCompoundBar)
 public:
  explicit TSkinTitleBar(TComponent* AOwner);
  ~TSkinTitleBar() override;

  bool Active() const { return active_; }
  void SetActive(bool Value);
  bool FixedSize() const { return fixedSize_; }
  void SetFixedSize(bool Value) { fixedSize_ = Value; }
  bool FullScreenMaximize() const { return fullScreenMaximize_; }
  void SetFullScreenMaximize(bool Value) { fullScreenMaximize_ = Value; }
  TSkinTitleBarButtonOptions* Options() const { return options_.get(); }
  TCustomForm* Form() const { return form_; }

  // The sizing command (SC_SIZE + WMSZ_*) for a point of the title bar on its border, 0 inside
  // (nothing with a fixed size or a maximized form), and the cursor that shows it.
  int SizingCommandAt(const TPoint& P, TCursor* Cursor = nullptr);
  // Pops up the themed system menu of the form at a screen point.
  void ShowSystemMenu(const TPoint& P);

  // Lays a dock background under the frame, under a theme other than "Default".
  bool UiStyleBackground() const { return uiStyleBackground_; }
  void SetUiStyleBackground(bool Value);
  // The caption painted by the system, kept until the caption's size changes.
  TBitmap* CaptionCache() const { return captionCache_.get(); }

  TSkinDrawEvent OnDrawBackground;
  TSkinSystemMenuPopupEvent OnSystemMenuPopup;

 protected:
  void DoDrawDockBackground(TCanvas* ACanvas, const TRect& ARect, TSkinPaintStage PaintStage,
                            bool& PaintDefault) override;
  virtual void DoDrawBackground(TCanvas* ACanvas, const TRect& ARect, TSkinPaintStage PaintStage, bool& PaintDefault);
  void WndProc(TMessage& Message) override;
  TSkinToolbar* CreateToolbar() override;
  void CreateWnd() override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;

 private:
  void Hook();
  void Unhook();
  void FormWndProc(TMessage& Message);
  TCustomForm* form_ = nullptr;
  TWndMethod savedProc_;
  bool active_ = true;
  bool fixedSize_ = false;
  bool fullScreenMaximize_ = false;
  std::unique_ptr<TSkinTitleBarButtonOptions> options_;
  bool uiStyleBackground_ = false;
  std::unique_ptr<TBitmap> captionCache_;
  int frameSize_ = GetSystemMetrics(SM_CYFRAME);
};
