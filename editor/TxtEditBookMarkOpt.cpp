// The bookmark options: each change is reported through OnChange.
#include "editor/TxtEditBookMarkOpt.h"

#include "editor/TxtEditTypes.h"
#include "framework/ImageList.h"

HV_PUBLISH(TTxtBookMarkOpt) {
  p.Prop("BookmarkImages", &T::BookmarkImages, &T::SetBookmarkImages);
  p.Prop("DrawBookmarksFirst", &T::DrawBookmarksFirst, &T::SetDrawBookmarksFirst).Default(true);
  p.Prop("EnableKeys", &T::EnableKeys, &T::SetEnableKeys).Default(true);
  p.Prop("GlyphsVisible", &T::GlyphsVisible, &T::SetGlyphsVisible).Default(true);
  p.Prop("LeftMargin", &T::LeftMargin, &T::SetLeftMargin).Default(2);
  p.Prop("Xoffset", &T::Xoffset, &T::SetXoffset).Default(12);
}

void TTxtBookMarkOpt::Changed() {
  if (OnChange) OnChange(this);
}

void TTxtBookMarkOpt::SetBookmarkImages(TCustomImageList* Value) {
  if (Value == bookmarkImages_) return;
  bookmarkImages_ = Value;
  if (Value && owner_) Value->FreeNotification(owner_);
  Changed();
}

void TTxtBookMarkOpt::SetDrawBookmarksFirst(bool Value) {
  if (TxtEditReplace(drawBookmarksFirst_, Value)) Changed();
}

void TTxtBookMarkOpt::SetGlyphsVisible(bool Value) {
  if (TxtEditReplace(glyphsVisible_, Value)) Changed();
}

void TTxtBookMarkOpt::SetLeftMargin(int Value) {
  if (TxtEditReplace(leftMargin_, Value)) Changed();
}

void TTxtBookMarkOpt::SetXoffset(int Value) {
  if (TxtEditReplace(xoffset_, Value)) Changed();
}

void TTxtBookMarkOpt::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TTxtBookMarkOpt*>(Source);
  if (!src) {
    inherited::Assign(Source);
    return;
  }
  bookmarkImages_ = src->bookmarkImages_;
  if (bookmarkImages_ && owner_) bookmarkImages_->FreeNotification(owner_);
  drawBookmarksFirst_ = src->drawBookmarksFirst_;
  enableKeys_ = src->enableKeys_;
  glyphsVisible_ = src->glyphsVisible_;
  leftMargin_ = src->leftMargin_;
  xoffset_ = src->xoffset_;
  Changed();
}
