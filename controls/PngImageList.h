// TPngImageList: an image list whose images are PNG images with alpha, kept in a collection
// and mirrored into the native list as icons (32-bit alpha icons with common controls 6).
#pragma once
#include <memory>
#include "controls/PngFunctions.h"
#include "framework/ImageList.h"
#include "framework/Lists.h"

class TPngImageList;

// The data of an item, made before the item joins its collection (whose change notice makes
// the native list read every item's image).
struct TPngImageItemData {
  TPngImageItemData();
  ~TPngImageItemData();
  std::unique_ptr<TPngGraphic> png_;
  AnsiString name_;
  TColor background_ = clBtnFace;
};

class TPngImageCollectionItem : private TPngImageItemData, public TCollectionItem {
  HV_CLASS(TPngImageCollectionItem, TCollectionItem)
 public:
  explicit TPngImageCollectionItem(TCollection* Collection);
  ~TPngImageCollectionItem() override;
  void Assign(TPersistent* Source) override;
  std::string GetDisplayName() override;

  TPngGraphic* PngImage() const { return png_.get(); }
  void SetPngImage(TPngGraphic* Value);
  const AnsiString& Name() const { return name_; }
  void SetName(const AnsiString& Value) { name_ = Value; }
  TColor Background() const { return background_; }
  void SetBackground(TColor Value);
};

class TPngImageCollectionItems : public TCollection {
  HV_CLASS(TPngImageCollectionItems, TCollection)
 public:
  explicit TPngImageCollectionItems(TPersistent* Owner);
  void Assign(TPersistent* Source) override;
  TPngImageCollectionItem* Items(int Index) const {
    return static_cast<TPngImageCollectionItem*>(TCollection::Items(Index));
  }
  TPngImageCollectionItem* Add() { return TCollection::Add<TPngImageCollectionItem>(); }
  TPersistent* GetOwner() override { return owner_; }

 protected:
  void Update(TCollectionItem* Item) override;

 private:
  TPersistent* owner_;
};

class TPngImageList : public TImageList {
  HV_CLASS(TPngImageList, TImageList)
 public:
  explicit TPngImageList(TComponent* AOwner);
  ~TPngImageList() override;
  // From any image list: its settings and images (the list's own are dropped first); from a
  // PNG image list also the items' names and backgrounds.
  void Assign(TPersistent* Source) override;
  // A PNG image list takes this one's images and EnabledImages.
  void AssignTo(TPersistent* Dest) override;
  void DefineProperties(TFiler* Filer) override;
  void Loaded() override;

  TPngImageCollectionItems* PngImages() const { return images_.get(); }
  virtual void SetPngImages(TPngImageCollectionItems* Value);
  bool EnabledImages() const { return enabledImages_; }
  virtual void SetEnabledImages(bool Value);
  TPngOptions PngOptions() const { return options_; }
  void SetPngOptions(TPngOptions Value);
  // A new size empties the list, except while the list is read from a form file (the images
  // read before the size stay).
  void SetWidth(int Value);
  void SetHeight(int Value);
  int Width() const { return TImageList::Width(); }
  int Height() const { return TImageList::Height(); }

  // Makes the native list again from the images (one entry per item, a blank one for an item
  // without an image).
  virtual void RebuildNativeImages();

  int Add(TBitmap* Image, TBitmap* Mask) override;
  int AddIcon(TIcon* Image) override;
  int AddImage(TCustomImageList* Value, int Index) override;
  void AddImages(TCustomImageList* Value) override;
  int AddMasked(TBitmap* Image, TColor MaskColor) override;
  void Clear() override;
  void Delete(int Index) override;
  void Insert(int Index, TBitmap* Image, TBitmap* Mask) override;
  void InsertIcon(int Index, TIcon* Image) override;
  void InsertMasked(int Index, TBitmap* Image, TColor MaskColor) override;
  void Move(int CurIndex, int NewIndex) override;
  void Replace(int Index, TBitmap* Image, TBitmap* Mask) override;
  void ReplaceIcon(int Index, TIcon* Image) override;
  void ReplaceMasked(int Index, TBitmap* NewImage, TColor MaskColor) override;

  // The common-controls version that decides the kind of icons made (ComCtlVersion unless a
  // test puts another answer in).
  static unsigned (*ComCtlVersionSource)();
  // An icon of the list's size from the image over `background` (clNone: none).
  HICON MakeIcon(TPngGraphic* Png, TColor Background);

 protected:
  void DoDraw(int Index, TCanvas* Canvas, int X, int Y, UINT Style, bool Enabled) override;
  void ReadData(TStream*) override {}
  void WriteData(TStream*) override {}

 private:
  friend class TPngImageCollectionItems;
  // Runs `change` with native rebuilds held back, then announces one change.
  template <class F>
  auto Locked(F Change);
  int AddPng(const std::function<void(TPngGraphic*)>& Fill);
  void InsertPng(int Index, const std::function<void(TPngGraphic*)>& Fill);
  void ReplacePng(int Index, const std::function<void(TPngGraphic*)>& Fill);
  HICON ItemIcon(TPngImageCollectionItem* Item);
  std::unique_ptr<TPngImageCollectionItems> images_;
  bool enabledImages_ = true;
  TPngOptions options_{pngBlendOnDisabled};
  int lockCount_ = 0;
};
