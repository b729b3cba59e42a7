// TPngImageList: PNG images in a collection, mirrored into the native list as icons.
#include "controls/PngImageList.h"
#include <cstring>
#include <functional>
#include <vector>
#include "framework/Bitmap.h"
#include "framework/Icon.h"
#include "framework/UpdateBracket.h"

HV_PUBLISH(TPngImageCollectionItem) {
  p.Prop("PngImage", &T::PngImage, &T::SetPngImage);
  p.Prop("Name", &T::Name, &T::SetName);
  p.Prop("Background", &T::Background, &T::SetBackground).Default(clBtnFace);
}
HV_PUBLISH(TPngImageCollectionItems) {}
HV_PUBLISH(TPngImageList) {
  p.Prop("PngImages", &T::PngImages, &T::SetPngImages);
  p.Prop("PngOptions", &T::PngOptions, &T::SetPngOptions).Default(TPngOptions{pngBlendOnDisabled});
  p.Prop("EnabledImages", &T::EnabledImages, &T::SetEnabledImages).Default(true);
  p.Prop("Width", &T::Width, &T::SetWidth).Default(16);
  p.Prop("Height", &T::Height, &T::SetHeight).Default(16);
}

// ---- items ----

TPngImageItemData::TPngImageItemData() : png_(std::make_unique<TPngGraphic>()) {}
TPngImageItemData::~TPngImageItemData() = default;

TPngImageCollectionItem::TPngImageCollectionItem(TCollection* Collection) : TCollectionItem(Collection) {
  name_ = "PngImage" + std::to_string(Index());
}

TPngImageCollectionItem::~TPngImageCollectionItem() = default;

void TPngImageCollectionItem::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TPngImageCollectionItem*>(Source);
  if (!source) {
    TCollectionItem::Assign(Source);
    return;
  }
  png_->Assign(source->png_.get());
  background_ = source->background_;
  name_ = source->name_;
  Changed(false);
}

std::string TPngImageCollectionItem::GetDisplayName() {
  return name_.empty() ? TCollectionItem::GetDisplayName() : name_;
}

void TPngImageCollectionItem::SetPngImage(TPngGraphic* Value) {
  png_->Assign(Value);
  Changed(false);
}

void TPngImageCollectionItem::SetBackground(TColor Value) {
  if (Value == background_) return;
  background_ = Value;
  Changed(false);
}

// ---- the collection ----

TPngImageCollectionItems::TPngImageCollectionItems(TPersistent* Owner)
    : TCollection(TPngImageCollectionItem::StaticClassInfo()), owner_(Owner) {}

void TPngImageCollectionItems::Assign(TPersistent* Source) {
  TCollection::Assign(Source);
  Update(nullptr);
}

void TPngImageCollectionItems::Update(TCollectionItem* Item) {
  TCollection::Update(Item);
  if (auto* list = dynamic_cast<TPngImageList*>(owner_)) list->RebuildNativeImages();
}

// ---- the list ----

unsigned (*TPngImageList::ComCtlVersionSource)() = &ComCtlVersion;

TPngImageList::TPngImageList(TComponent* AOwner)
    : TImageList(AOwner), images_(std::make_unique<TPngImageCollectionItems>(this)) {}

TPngImageList::~TPngImageList() = default;

template <class F>
auto TPngImageList::Locked(F Change) {
  ++lockCount_;
  struct TUnlock {
    int& count;
    ~TUnlock() { --count; }
  } unlock{lockCount_};
  return Change();
}

void TPngImageList::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TCustomImageList*>(Source);
  if (!source || source == this) {
    TImageList::Assign(Source);
    return;
  }
  WithinUpdate(*this, [&] {
    Locked([&] { images_->Clear(); });
    TImageList::Assign(Source);  // the settings, and the images through AddImages
    // The items whole: with their names and the backgrounds their icons are made on.
    if (auto* png = dynamic_cast<TPngImageList*>(Source)) images_->Assign(png->images_.get());
  });
}

void TPngImageList::AssignTo(TPersistent* Dest) {
  if (auto* list = dynamic_cast<TPngImageList*>(Dest)) {
    list->Assign(this);
    list->SetEnabledImages(enabledImages_);
    return;
  }
  TImageList::AssignTo(Dest);
}

// Only the PNG images are stored; the native bitmap is made from them.
void TPngImageList::DefineProperties(TFiler* Filer) { TComponent::DefineProperties(Filer); }

void TPngImageList::Loaded() {
  TImageList::Loaded();
  RebuildNativeImages();
}

void TPngImageList::SetPngImages(TPngImageCollectionItems* Value) {
  images_->Assign(Value);
  Change();
}

void TPngImageList::SetEnabledImages(bool Value) {
  if (Value == enabledImages_) return;
  enabledImages_ = Value;
  RebuildNativeImages();
  Change();
}

void TPngImageList::SetPngOptions(TPngOptions Value) {
  if (Value == options_) return;
  options_ = Value;
  RebuildNativeImages();
  Change();
}

void TPngImageList::SetWidth(int Value) {
  if (Value == Width()) return;
  TImageList::SetWidth(Value);
  if (IsLoading()) return;  // Loaded makes the native list again at the new size
  Clear();
}

void TPngImageList::SetHeight(int Value) {
  if (Value == Height()) return;
  TImageList::SetHeight(Value);
  if (IsLoading()) return;
  Clear();
}

// ---- icons ----

HICON TPngImageList::MakeIcon(TPngGraphic* Png, TColor Background) {
  const int w = Width(), h = Height();
  const bool blank = !Png || Png->Empty();
  if (ComCtlVersionSource() >= ComCtlVersion6) {
    // A 32-bit image with its own alpha. The mask is set where alpha is 0: the system draws
    // through the mask when no pixel has any alpha (a blank or wholly clear image), which
    // would otherwise come out black.
    BITMAPV4HEADER v4 = AlphaBitmapHeader(w, h);
    void* bits = nullptr;
    TWindowDC screen;
    TBitmapHandle color(
        CreateDIBSection(screen.Get(), reinterpret_cast<BITMAPINFO*>(&v4), DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!color || !bits) return nullptr;
    auto* pixels = static_cast<uint32_t*>(bits);
    std::memset(pixels, 0, static_cast<size_t>(w) * h * 4);
    const int maskStride = (w + 15) / 16 * 2;
    std::vector<uint8_t> maskBits(static_cast<size_t>(maskStride) * h, 0xFF);
    if (!blank)
      for (int y = 0; y < std::min(h, Png->Height()); ++y)
        for (int x = 0; x < std::min(w, Png->Width()); ++x) {
          TPngPixel p = PngPixel(Png, x, y);
          pixels[y * w + x] = uint32_t(p.A) << 24 | uint32_t(p.R) << 16 | uint32_t(p.G) << 8 | p.B;
          if (p.A != 0)
            maskBits[static_cast<size_t>(y) * maskStride + x / 8] &= static_cast<uint8_t>(~(0x80 >> (x % 8)));
        }
    TBitmapHandle mask(CreateBitmap(w, h, 1, 1, maskBits.data()));
    if (!mask) return nullptr;
    ICONINFO info{TRUE, 0, 0, mask.Get(), color.Get()};
    return CreateIconIndirect(&info);
  }
  // Older lists: the image drawn over the background, and a mask of its transparent pixels.
  TBitmap color, mask;
  color.SetPixelFormat(pf24bit);
  color.SetSize(w, h);
  mask.SetPixelFormat(pf1bit);
  mask.SetSize(w, h);
  TCanvas* canvas = color.Canvas();
  canvas->Brush()->SetColor(Background == clNone ? clBlack : Background);
  canvas->FillRect(Rect(0, 0, w, h));
  mask.Canvas()->Brush()->SetColor(clWhite);
  mask.Canvas()->FillRect(Rect(0, 0, w, h));
  if (!blank) {
    DrawPngImage(Png, canvas, Rect(0, 0, Png->Width(), Png->Height()), TPngOptions{});
    for (int y = 0; y < std::min(h, Png->Height()); ++y)
      for (int x = 0; x < std::min(w, Png->Width()); ++x)
        if (PngPixel(Png, x, y).A != 0) mask.Canvas()->SetPixels(x, y, clBlack);
  }
  ICONINFO info{TRUE, 0, 0, mask.Handle(), color.Handle()};
  return CreateIconIndirect(&info);
}

HICON TPngImageList::ItemIcon(TPngImageCollectionItem* Item) {
  TPngGraphic* png = Item->PngImage();
  if (!enabledImages_ && !options_.Empty() && !png->Empty()) {
    TPngGraphic copy;
    copy.Assign(png);
    if (options_.Contains(pngBlendOnDisabled)) BlendPngImage(&copy, 127);
    if (options_.Contains(pngGrayscaleOnDisabled)) GreyPngImage(&copy, 255);
    return MakeIcon(&copy, clNone);
  }
  return MakeIcon(png, Item->Background());
}

void TPngImageList::RebuildNativeImages() {
  if (lockCount_ > 0) return;
  // Made anew with its flags and room for alpha, whatever colour depth the list was given: the
  // icons carry alpha. The depth given gives way to 32 bits, since the two together name a depth
  // the system does not know, and such a list draws half-clear pixels black.
  constexpr UINT depthBits = 0xFE;
  HIMAGELIST list = RecreateHandle((CreateFlags() & ~depthBits) | ILC_COLOR32);
  for (int i = 0; i < images_->Count(); ++i) {
    // Every item keeps its place, so that index i draws item i: an empty one gets a blank icon.
    TIconHandle icon(ItemIcon(images_->Items(i)));
    ImageList_ReplaceIcon(list, -1, icon.Get());
  }
}

// ---- the operations ----

int TPngImageList::AddPng(const std::function<void(TPngGraphic*)>& Fill) {
  int index = Locked([&] {
    TPngImageCollectionItem* item = images_->Add();
    Fill(item->PngImage());
    TIconHandle icon(ItemIcon(item));
    ImageList_ReplaceIcon(Handle(), -1, icon.Get());
    return item->Index();
  });
  Change();
  return index;
}

void TPngImageList::InsertPng(int Index, const std::function<void(TPngGraphic*)>& Fill) {
  if (Index < 0 || Index > images_->Count()) throw EInvalidOperation("Invalid ImageList Index");
  Locked([&] {
    TPngImageCollectionItem* item = images_->Add();
    Fill(item->PngImage());
    item->SetIndex(Index);
  });
  RebuildNativeImages();
  Change();
}

void TPngImageList::ReplacePng(int Index, const std::function<void(TPngGraphic*)>& Fill) {
  if (Index < 0 || Index >= images_->Count()) throw EInvalidOperation("Invalid ImageList Index");
  Locked([&] {
    TPngImageCollectionItem* item = images_->Items(Index);
    Fill(item->PngImage());
    TIconHandle icon(ItemIcon(item));
    ImageList_ReplaceIcon(Handle(), Index, icon.Get());
  });
  Change();
}

int TPngImageList::Add(TBitmap* Image, TBitmap* Mask) {
  if (!Image || Image->Empty()) return -1;
  return AddPng([&](TPngGraphic* png) { BitmapMaskToPng(Image, Mask, png, false); });
}

int TPngImageList::AddIcon(TIcon* Image) {
  if (!Image || Image->Empty()) return -1;
  return AddPng([&](TPngGraphic* png) { GraphicToPng(Image, png); });
}

int TPngImageList::AddImage(TCustomImageList* Value, int Index) {
  if (!Value || Index < 0 || Index >= Value->Count()) return -1;
  return AddPng([&](TPngGraphic* png) { ImageListEntryToPng(png, Value, Index); });
}

void TPngImageList::AddImages(TCustomImageList* Value) {
  if (!Value) return;
  WithinUpdate(*this, [&] {
    int count = Value->Count();  // fixed first: a list may add its own images
    for (int i = 0; i < count; ++i) AddImage(Value, i);
  });
}

int TPngImageList::AddMasked(TBitmap* Image, TColor MaskColor) {
  if (!Image || Image->Empty()) return -1;
  return AddPng([&](TPngGraphic* png) { BitmapColorKeyToPng(Image, MaskColor, png); });
}

void TPngImageList::Clear() {
  Locked([&] { images_->Clear(); });
  if (HandleAllocated()) ImageList_Remove(Handle(), -1);
  Change();
}

void TPngImageList::Delete(int Index) {
  if (Index < 0 || Index >= images_->Count()) return;
  Locked([&] { images_->Delete(Index); });
  ImageList_Remove(Handle(), Index);
  Change();
}

void TPngImageList::Insert(int Index, TBitmap* Image, TBitmap* Mask) {
  if (!Image || Image->Empty()) return;
  InsertPng(Index, [&](TPngGraphic* png) { BitmapMaskToPng(Image, Mask, png, false); });
}

void TPngImageList::InsertIcon(int Index, TIcon* Image) {
  if (!Image || Image->Empty()) return;
  InsertPng(Index, [&](TPngGraphic* png) { GraphicToPng(Image, png); });
}

void TPngImageList::InsertMasked(int Index, TBitmap* Image, TColor MaskColor) {
  if (!Image || Image->Empty()) return;
  InsertPng(Index, [&](TPngGraphic* png) { BitmapColorKeyToPng(Image, MaskColor, png); });
}

void TPngImageList::Move(int CurIndex, int NewIndex) {
  int count = images_->Count();
  if (CurIndex < 0 || CurIndex >= count || NewIndex < 0 || NewIndex >= count)
    throw EInvalidOperation("Invalid ImageList Index");
  if (CurIndex == NewIndex) return;
  Locked([&] { images_->Items(CurIndex)->SetIndex(NewIndex); });
  RebuildNativeImages();
  Change();
}

void TPngImageList::Replace(int Index, TBitmap* Image, TBitmap* Mask) {
  if (!Image || Image->Empty()) return;
  ReplacePng(Index, [&](TPngGraphic* png) { BitmapMaskToPng(Image, Mask, png, false); });
}

void TPngImageList::ReplaceIcon(int Index, TIcon* Image) {
  if (!Image || Image->Empty()) return;
  ReplacePng(Index, [&](TPngGraphic* png) { GraphicToPng(Image, png); });
}

void TPngImageList::ReplaceMasked(int Index, TBitmap* NewImage, TColor MaskColor) {
  if (!NewImage || NewImage->Empty()) return;
  ReplacePng(Index, [&](TPngGraphic* png) { BitmapColorKeyToPng(NewImage, MaskColor, png); });
}

void TPngImageList::DoDraw(int Index, TCanvas* Canvas, int X, int Y, UINT, bool Enabled) {
  if (Index < 0 || Index >= images_->Count()) return;
  DrawPngImage(images_->Items(Index)->PngImage(), Canvas, Rect(X, Y, X + Width(), Y + Height()),
               Enabled ? TPngOptions{} : options_);
}
