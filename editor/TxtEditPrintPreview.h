// The print preview: a scrollable window showing one page of a print object as a sheet with a
// shadow, drawn by the print object itself in printer pixels mapped onto the sheet, at the whole
// page, the page width or a percentage of the true size.
#pragma once

#include <memory>

#include "framework/Controls.h"
#include "framework/Delegate.h"
#include "framework/TypeInfo.h"

class TTxtEditPrint;
class THintWindow;

HV_ENUM(TTxtPreviewScale, pscWholePage, pscPageWidth, pscUserScaled)
using TPreviewPageEvent = TEvent<void(TObject* Sender, int PageNumber)>;

class TTxtEditPrintPreview : public TCustomControl {
  HV_CLASS(TTxtEditPrintPreview, TCustomControl)
 public:
  explicit TTxtEditPrintPreview(TComponent* AOwner);
  ~TTxtEditPrintPreview() override;

  // Lays the print object out again and shows the current page, kept within the page count.
  void UpdatePreview();
  void FirstPage();
  void LastPage();
  void NextPage();
  void PreviousPage();
  // The print object's page count (1 without one).
  int GetPageCount();

  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle Value);
  TColor PageBGColor() const { return pageBGColor_; }
  void SetPageBGColor(TColor Value);
  TTxtEditPrint* TxtEditPrint() const { return print_; }
  void SetTxtEditPrint(TTxtEditPrint* Value);
  TTxtPreviewScale ScaleMode() const { return scaleMode_; }
  void SetScaleMode(TTxtPreviewScale Value);
  int ScalePercent() const { return scalePercent_; }
  void SetScalePercent(int Value);  // kept within 1..10000
  bool ShowScrollHint() const { return showScrollHint_; }
  void SetShowScrollHint(bool Value) { showScrollHint_ = Value; }
  int PageNumber() const { return pageNumber_; }
  void SetPageNumber(int Value);

  // The sheet in client pixels as last painted or laid out, the virtual size and the scroll
  // position (0 or negative).
  TRect SheetRect() const;
  TSize VirtualSize() const { return TSize{virtualWidth_, virtualHeight_}; }
  TPoint ScrollPosition() const { return TPoint{scrollX_, scrollY_}; }
  // The hint shown while the page is picked with the scroll box (null before the first).
  THintWindow* ScrollHint() const { return hint_; }

  TPreviewPageEvent OnPreviewPage;
  TNotifyEvent OnScaleChange;

 protected:
  virtual void ScrollHorzTo(int X);
  virtual void ScrollVertTo(int Y);
  virtual void UpdateScrollbars();
  virtual void SizeChanged();

  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void Dispatch(TMessage& Message) override;
  void WMEraseBkgnd(TMessage& Message) override;
  void WMSize(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void WMHScroll(TMessage& Message);
  void WMVScroll(TMessage& Message);
  void WMMouseWheel(TMessage& Message);
  int ThumbPosition(int Bar, WPARAM WParam);
  void PageChanged();
  void ShowPageHint(int Page);
  void HideHint();

  TBorderStyle borderStyle_ = bsSingle;
  TColor pageBGColor_ = clWhite;
  TTxtEditPrint* print_ = nullptr;
  TTxtPreviewScale scaleMode_ = pscUserScaled;
  int scalePercent_ = 100;
  bool showScrollHint_ = true;
  int pageNumber_ = 1;
  int sheetWidth_ = 0, sheetHeight_ = 0;
  int virtualWidth_ = 0, virtualHeight_ = 0;
  int sheetOffsetX_ = 12, sheetOffsetY_ = 12;
  int scrollX_ = 0, scrollY_ = 0;
  int wheelAccumulator_ = 0;
  THintWindow* hint_ = nullptr;
};
