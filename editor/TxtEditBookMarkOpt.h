// The bookmark options of the editor's gutter.
#pragma once

#include "framework/Component.h"
#include "framework/Delegate.h"

class TCustomImageList;

// How bookmarks are shown in the gutter and whether their keys work.
class TTxtBookMarkOpt : public TPersistent {
  HV_CLASS(TTxtBookMarkOpt, TPersistent)
 public:
  // AOwner is told when the image list set here is freed.
  explicit TTxtBookMarkOpt(TComponent* AOwner) : owner_(AOwner) {}
  // From other bookmark options: every setting, then one OnChange.
  void Assign(TPersistent* Source) override;

  // Not owned.
  TCustomImageList* BookmarkImages() const { return bookmarkImages_; }
  void SetBookmarkImages(TCustomImageList* Value);
  bool DrawBookmarksFirst() const { return drawBookmarksFirst_; }
  void SetDrawBookmarksFirst(bool Value);
  bool EnableKeys() const { return enableKeys_; }
  void SetEnableKeys(bool Value) { enableKeys_ = Value; }
  bool GlyphsVisible() const { return glyphsVisible_; }
  void SetGlyphsVisible(bool Value);
  int LeftMargin() const { return leftMargin_; }
  void SetLeftMargin(int Value);
  int Xoffset() const { return xoffset_; }
  void SetXoffset(int Value);

  TNotifyEvent OnChange;

 protected:
  TPersistent* GetOwner() override { return owner_; }

 private:
  void Changed();
  TComponent* owner_;
  TCustomImageList* bookmarkImages_ = nullptr;
  bool drawBookmarksFirst_ = true;
  bool enableKeys_ = true;
  bool glyphsVisible_ = true;
  int leftMargin_ = 2;
  int xoffset_ = 12;
};
