// The chevron of a toolbar: the item that opens a menu of the items that did not fit, and its
// viewer, which draws the double-arrow glyph.
#pragma once

#include "toolbars/BarItemViewer.h"

extern const char* const SBarChevronHint;  // 65011

class TBarChevronItem : public TBarCustomItem {
  HV_CLASS(TBarChevronItem, TBarCustomItem)
 public:
  explicit TBarChevronItem(TComponent* AOwner);
  // The view whose hidden items the chevron's menu shows (the toolbar's).
  TBarView* ChevronSourceView() override { return sourceView_; }
  void SetSourceView(TBarView* Value) { sourceView_ = Value; }
  TBarItemViewerClass ViewerClass(TBarView* AView) override;
  // The hint, whose short part (with every "&" doubled) becomes the caption.
  void SetChevronHint(const WideString& Value);

 private:
  TBarView* sourceView_ = nullptr;
};

class TBarChevronItemViewer : public TBarItemViewer {
  HV_CLASS(TBarChevronItemViewer, TBarItemViewer)
 public:
  using TBarItemViewer::TBarItemViewer;
  void Paint(TCanvas* Canvas, const TRect& ClientAreaRect, bool IsSelected, bool IsPushed,
             bool UseDisabledShadow) override;
};
