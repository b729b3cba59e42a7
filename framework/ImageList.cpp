// Image lists: the native list, its operations, drawing and storage in form files.
#include "framework/ImageList.h"

#include <algorithm>
#include <cstring>
#include <vector>
#include <cwctype>

#include "framework/Bitmap.h"
#include "framework/Icon.h"
#include "framework/Streams.h"
#include "framework/UpdateBracket.h"

namespace {

// Drawing with the image's own alpha kept (a common-controls 6.0 flag).
constexpr UINT ildPreserveAlpha = 0x00001000;
// D xor (S and (P xor D)): the brush where the source is set, the destination elsewhere.
constexpr DWORD ropDSPDxax = 0x00E20746;
constexpr char dataMagic[4] = {'H', 'V', 'I', 'L'};
constexpr uint32_t dataVersion = 1;

COLORREF ListColor(TColor color) {
  if (color == clNone) return CLR_NONE;
  if (color == clDefault) return CLR_DEFAULT;
  return ColorToRGB(color);
}

[[noreturn]] void InvalidData() { throw EReadError("Invalid image list data"); }

}  // namespace

unsigned ComCtlVersion() {
  static const unsigned version = [] {
    struct TVersionInfo {
      DWORD cbSize, dwMajorVersion, dwMinorVersion, dwBuildNumber, dwPlatformID;
    };
    using TGetVersion = HRESULT(WINAPI*)(TVersionInfo*);
    // The library whose image lists this program calls (a process may hold both versions).
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(reinterpret_cast<void*>(&ImageList_Create)), &module);
    FARPROC proc = module ? GetProcAddress(module, "DllGetVersion") : nullptr;
    if (!proc) return 0u;
    auto getVersion = reinterpret_cast<TGetVersion>(reinterpret_cast<void (*)()>(proc));
    TVersionInfo info{sizeof(TVersionInfo), 0, 0, 0, 0};
    if (FAILED(getVersion(&info))) return 0u;
    unsigned reported = static_cast<unsigned>((info.dwMajorVersion << 16) | (info.dwMinorVersion & 0xFFFF));
    // Wine's copy in the side-by-side assembly of version 6 behaves as 6.0 but reports 5.81:
    // the assembly it was loaded from tells.
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(module, path, MAX_PATH);
    WideString file(path);
    for (wchar_t& c : file) c = static_cast<wchar_t>(towlower(c));
    if (file.find(L"microsoft.windows.common-controls_") != WideString::npos &&
        file.find(L"_6.0.") != WideString::npos && reported < ComCtlVersion6)
      reported = ComCtlVersion6;
    return reported;
  }();
  return version;
}

HV_PUBLISH(TCustomImageList) {}

HV_PUBLISH(TImageList) {
  p.Prop("AllocBy", &T::AllocBy, &T::SetAllocBy).Default(4);
  p.Prop("BkColor", &T::BkColor, &T::SetBkColor).Default(clNone);
  p.Prop("BlendColor", &T::BlendColor, &T::SetBlendColor).Default(clNone);
  p.Prop("ColorDepth", &T::ColorDepth, &T::SetColorDepth).Default(cd32Bit);
  p.Prop("DrawingStyle", &T::DrawingStyle, &T::SetDrawingStyle).Default(dsNormal);
  p.Prop("Height", &T::Height, &T::SetHeight).Default(16);
  p.Prop("ImageType", &T::ImageType, &T::SetImageType).Default(itImage);
  p.Prop("Masked", &T::Masked, &T::SetMasked).Default(true);
  p.Prop("Width", &T::Width, &T::SetWidth).Default(16);
  p.Event("OnChange", &T::OnChange);
}

TCustomImageList::TCustomImageList(TComponent* AOwner) : TComponent(AOwner) {}

TCustomImageList::~TCustomImageList() = default;

UINT TCustomImageList::CreateFlags() const {
  static const UINT depths[] = {ILC_COLORDDB, ILC_COLOR4, ILC_COLOR8, ILC_COLOR16, ILC_COLOR24, ILC_COLOR32};
  return depths[colorDepth_] | (masked_ ? ILC_MASK : 0);
}

HIMAGELIST TCustomImageList::Handle() { return handle_ ? handle_.Get() : RecreateHandle(CreateFlags()); }

HIMAGELIST TCustomImageList::RecreateHandle(UINT Flags) {
  TImageListHandle fresh(ImageList_Create(width_, height_, Flags, 0, allocBy_));
  if (!fresh) throw EOutOfResources("Out of system resources");
  ImageList_SetBkColor(fresh.Get(), ListColor(bkColor_));
  handle_ = std::move(fresh);
  return handle_.Get();
}

int TCustomImageList::Count() const { return handle_ ? ImageList_GetImageCount(handle_.Get()) : 0; }

void TCustomImageList::CheckIndex(int Index) const {
  if (Index < 0 || Index >= Count()) throw EInvalidOperation("Invalid ImageList Index");
}

// A new native list with the current settings; the images come along as strips of colours
// and masks.
void TCustomImageList::Recreate(bool keepImages) {
  if (!handle_) return;
  TBitmap colors, masks;
  int count = keepImages ? ExtractImages(colors, masks) : 0;
  handle_.Reset();
  HIMAGELIST fresh = Handle();
  if (count > 0) ImageList_Add(fresh, colors.Handle(), masked_ ? masks.Handle() : nullptr);
}

// All images side by side: their colours (32 bits, alpha kept) and their masks (1 bit, white
// where transparent). Gives the number of images.
int TCustomImageList::ExtractImages(TBitmap& colors, TBitmap& masks) {
  int count = Count();
  colors.SetPixelFormat(pf32bit);
  masks.SetPixelFormat(pf1bit);
  if (count == 0) return 0;
  colors.SetSize(width_ * count, height_);
  masks.SetSize(width_ * count, height_);
  HDC colorDC = colors.Canvas()->Handle();
  HDC maskDC = masks.Canvas()->Handle();
  PatBlt(colorDC, 0, 0, width_ * count, height_, BLACKNESS);
  PatBlt(maskDC, 0, 0, width_ * count, height_, WHITENESS);
  for (int i = 0; i < count; ++i) {
    ImageList_DrawEx(handle_.Get(), i, colorDC, i * width_, 0, 0, 0, CLR_NONE, CLR_NONE, ILD_IMAGE | ildPreserveAlpha);
    ImageList_DrawEx(handle_.Get(), i, maskDC, i * width_, 0, 0, 0, CLR_NONE, CLR_NONE, ILD_MASK);
  }
  return count;
}

void TCustomImageList::SetWidth(int value) {
  if (value < 1) value = 1;
  if (value == width_) return;
  width_ = value;
  Recreate(false);
  Change();
}

void TCustomImageList::SetHeight(int value) {
  if (value < 1) value = 1;
  if (value == height_) return;
  height_ = value;
  Recreate(false);
  Change();
}

void TCustomImageList::SetColorDepth(TColorDepth value) {
  if (value == colorDepth_) return;
  colorDepth_ = value;
  Recreate(true);
  Change();
}

void TCustomImageList::SetMasked(bool value) {
  if (value == masked_) return;
  masked_ = value;
  Recreate(true);
  Change();
}

void TCustomImageList::SetBkColor(TColor value) {
  if (value == bkColor_) return;
  bkColor_ = value;
  if (handle_) ImageList_SetBkColor(handle_.Get(), ListColor(value));
  Change();
}

void TCustomImageList::SetBlendColor(TColor value) {
  if (value == blendColor_) return;
  blendColor_ = value;
  Change();
}

void TCustomImageList::SetDrawingStyle(TDrawingStyle value) {
  if (value == drawingStyle_) return;
  drawingStyle_ = value;
  Change();
}

void TCustomImageList::SetImageType(TImageType value) {
  if (value == imageType_) return;
  imageType_ = value;
  Change();
}

void TCustomImageList::SetAllocBy(int value) { allocBy_ = value < 1 ? 1 : value; }

void TCustomImageList::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TCustomImageList*>(Source);
  if (!source) {
    TComponent::Assign(Source);
    return;
  }
  if (source == this) return;
  WithinUpdate(*this, [&] {
    handle_.Reset();
    width_ = source->width_;
    height_ = source->height_;
    colorDepth_ = source->colorDepth_;
    masked_ = source->masked_;
    bkColor_ = source->bkColor_;
    blendColor_ = source->blendColor_;
    drawingStyle_ = source->drawingStyle_;
    imageType_ = source->imageType_;
    allocBy_ = source->allocBy_;
    Change();
    AddImages(source);
  });
}

// ---- changes ----

void TCustomImageList::Change() {
  if (updateCount_ > 0) {
    changedInUpdate_ = true;
    return;
  }
  if (OnChange) OnChange(this);
  changeLinks_(this);
}

void TCustomImageList::BeginUpdate() { ++updateCount_; }

void TCustomImageList::EndUpdate() {
  if (updateCount_ == 0) return;
  if (--updateCount_ == 0 && changedInUpdate_) {
    changedInUpdate_ = false;
    Change();
  }
}

void TCustomImageList::RegisterChanges(const TNotifyEvent& Handler) { changeLinks_.Add(Handler); }

void TCustomImageList::UnRegisterChanges(const TNotifyEvent& Handler) { changeLinks_.Remove(Handler); }

// ---- the operations ----

int TCustomImageList::Add(TBitmap* Image, TBitmap* Mask) {
  if (!Image || Image->Empty()) return -1;
  HIMAGELIST list = Handle();
  int index = ImageList_Add(list, Image->Handle(), Mask && !Mask->Empty() ? Mask->Handle() : nullptr);
  if (index >= 0) Change();
  return index;
}

int TCustomImageList::AddIcon(TIcon* Image) {
  if (!Image || Image->Empty()) return -1;
  int index = ImageList_ReplaceIcon(Handle(), -1, Image->Handle());
  if (index >= 0) Change();
  return index;
}

int TCustomImageList::AddImage(TCustomImageList* Value, int Index) {
  if (!Value || Index < 0 || Index >= Value->Count()) return -1;
  TIconHandle icon(ImageList_GetIcon(Value->Handle(), Index, ILD_NORMAL));
  if (!icon) return -1;
  int index = ImageList_ReplaceIcon(Handle(), -1, icon.Get());
  if (index >= 0) Change();
  return index;
}

void TCustomImageList::AddImages(TCustomImageList* Value) {
  if (!Value) return;
  WithinUpdate(*this, [&] {
    int count = Value->Count();  // fixed first: a list may add its own images
    for (int i = 0; i < count; ++i) AddImage(Value, i);
  });
}

int TCustomImageList::AddMasked(TBitmap* Image, TColor MaskColor) {
  if (!Image || Image->Empty()) return -1;
  if (MaskColor == clNone) return Add(Image, nullptr);
  TColor key = MaskColor == clDefault ? Image->TransparentColor() : MaskColor;
  // The native call paints the masked pixels of the bitmap it gets black: give it a copy.
  TBitmap copy;
  copy.Assign(Image);
  int index = ImageList_AddMasked(Handle(), copy.Handle(), ColorToRGB(key) & 0xFFFFFF);
  if (index >= 0) Change();
  return index;
}

void TCustomImageList::Clear() {
  if (handle_) ImageList_Remove(handle_.Get(), -1);
  Change();
}

void TCustomImageList::Delete(int Index) {
  CheckIndex(Index);  // the native list would take -1 as "all of them"
  ImageList_Remove(handle_.Get(), Index);
  Change();
}

// Images are moved through a spare place at the end: the native swap of two images cannot be
// relied on (Wine's loses one of them).
void TCustomImageList::MoveImage(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  HIMAGELIST list = handle_.Get();
  int count = ImageList_GetImageCount(list);
  if (!ImageList_SetImageCount(list, static_cast<UINT>(count + 1))) return;
  ImageList_Copy(list, count, list, CurIndex, ILCF_MOVE);
  for (int i = CurIndex; i < NewIndex; ++i) ImageList_Copy(list, i, list, i + 1, ILCF_MOVE);
  for (int i = CurIndex; i > NewIndex; --i) ImageList_Copy(list, i, list, i - 1, ILCF_MOVE);
  ImageList_Copy(list, NewIndex, list, count, ILCF_MOVE);
  ImageList_SetImageCount(list, static_cast<UINT>(count));
}

void TCustomImageList::Move(int CurIndex, int NewIndex) {
  CheckIndex(CurIndex);
  CheckIndex(NewIndex);
  if (CurIndex == NewIndex) return;
  MoveImage(CurIndex, NewIndex);
  Change();
}

// Inserting is adding at the end and moving the new images to their place.
void TCustomImageList::Insert(int Index, TBitmap* Image, TBitmap* Mask) {
  if (Index < 0 || Index > Count()) throw EInvalidOperation("Invalid ImageList Index");
  WithinUpdate(*this, [&] {
    int before = Count();
    Add(Image, Mask);
    for (int i = before; i < Count(); ++i) MoveImage(i, Index + (i - before));
  });
}

void TCustomImageList::InsertIcon(int Index, TIcon* Image) {
  if (Index < 0 || Index > Count()) throw EInvalidOperation("Invalid ImageList Index");
  WithinUpdate(*this, [&] {
    int added = AddIcon(Image);
    if (added >= 0) MoveImage(added, Index);
  });
}

void TCustomImageList::InsertMasked(int Index, TBitmap* Image, TColor MaskColor) {
  if (Index < 0 || Index > Count()) throw EInvalidOperation("Invalid ImageList Index");
  WithinUpdate(*this, [&] {
    int before = Count();
    AddMasked(Image, MaskColor);
    for (int i = before; i < Count(); ++i) MoveImage(i, Index + (i - before));
  });
}

void TCustomImageList::Replace(int Index, TBitmap* Image, TBitmap* Mask) {
  CheckIndex(Index);
  if (!Image || Image->Empty()) return;
  if (ImageList_Replace(handle_.Get(), Index, Image->Handle(), Mask && !Mask->Empty() ? Mask->Handle() : nullptr))
    Change();
}

void TCustomImageList::ReplaceIcon(int Index, TIcon* Image) {
  CheckIndex(Index);
  if (!Image || Image->Empty()) return;
  if (ImageList_ReplaceIcon(handle_.Get(), Index, Image->Handle()) >= 0) Change();
}

// The masked image is made in a one-image list of the same kind and taken over as an icon.
void TCustomImageList::ReplaceMasked(int Index, TBitmap* NewImage, TColor MaskColor) {
  CheckIndex(Index);
  if (!NewImage || NewImage->Empty()) return;
  TCustomImageList single(nullptr);
  single.width_ = width_;
  single.height_ = height_;
  single.colorDepth_ = colorDepth_;
  single.masked_ = masked_;
  if (single.AddMasked(NewImage, MaskColor) < 0) return;
  TIconHandle icon(ImageList_GetIcon(single.Handle(), 0, ILD_NORMAL));
  if (icon && ImageList_ReplaceIcon(handle_.Get(), Index, icon.Get()) >= 0) Change();
}

// ---- reading images back ----

bool TCustomImageList::GetBitmap(int Index, TBitmap* Image) {
  if (!Image || Index < 0 || Index >= Count()) return false;
  Image->SetSize(width_, height_);
  TCanvas* canvas = Image->Canvas();
  canvas->Brush()->SetColor(clWhite);
  canvas->FillRect(Rect(0, 0, width_, height_));
  Draw(canvas, 0, 0, Index);
  return true;
}

void TCustomImageList::GetIcon(int Index, TIcon* Image) {
  if (!Image) return;
  if (Index < 0 || Index >= Count()) {
    Image->SetHandle(nullptr);
    return;
  }
  Image->SetHandle(ImageList_GetIcon(handle_.Get(), Index, ILD_NORMAL));
}

// ---- drawing ----

void TCustomImageList::Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled) {
  Draw(Canvas, X, Y, Index, drawingStyle_, imageType_, Enabled);
}

void TCustomImageList::Draw(TCanvas* Canvas, int X, int Y, int Index, TDrawingStyle ADrawingStyle,
                            TImageType AImageType, bool Enabled) {
  if (!Canvas || Index < 0 || Index >= Count()) return;
  static const UINT styles[] = {ILD_FOCUS, ILD_SELECTED, ILD_NORMAL, ILD_TRANSPARENT};
  UINT style = styles[ADrawingStyle] | (AImageType == itMask ? ILD_MASK : 0);
  DoDraw(Index, Canvas, X, Y, style, Enabled);
}

void TCustomImageList::DoDraw(int Index, TCanvas* Canvas, int X, int Y, UINT Style, bool Enabled) {
  HDC dc = Canvas->Handle();
  if (Enabled)
    ImageList_DrawEx(handle_.Get(), Index, dc, X, Y, 0, 0, ListColor(bkColor_), ListColor(blendColor_), Style);
  else
    DrawDisabled(dc, Index, X, Y);
}

// The image's shape (every pixel that is not white or transparent) embossed: once in the
// button highlight one pixel down and right, once in the button shadow on top.
void TCustomImageList::DrawDisabled(HDC dc, int Index, int X, int Y) {
  TCreatedDC monoDC(CreateCompatibleDC(dc));
  TBitmapHandle mono(CreateBitmap(width_, height_, 1, 1, nullptr));
  if (!monoDC || !mono) return;
  TSelectObject monoSelection(monoDC.Get(), mono.Get());
  PatBlt(monoDC.Get(), 0, 0, width_, height_, WHITENESS);
  ImageList_DrawEx(handle_.Get(), Index, monoDC.Get(), 0, 0, 0, 0, CLR_NONE, CLR_NONE, ILD_NORMAL);

  TSaveDC saved(dc);
  SetTextColor(dc, RGB(255, 255, 255));
  ::SetBkColor(dc, RGB(0, 0, 0));
  TBrushHandle highlight(CreateSolidBrush(ColorToRGB(clBtnHighlight)));
  TBrushHandle shadow(CreateSolidBrush(ColorToRGB(clBtnShadow)));
  TSelectObject brush(dc, highlight.Get());
  BitBlt(dc, X + 1, Y + 1, width_, height_, monoDC.Get(), 0, 0, ropDSPDxax);
  brush.Select(dc, shadow.Get());
  BitBlt(dc, X, Y, width_, height_, monoDC.Get(), 0, 0, ropDSPDxax);
}

// ---- form files ----

void TCustomImageList::DefineProperties(TFiler* Filer) {
  TComponent::DefineProperties(Filer);
  Filer->DefineBinaryProperty(
      "Bitmap", [this](TStream& stream) { ReadData(&stream); }, [this](TStream& stream) { WriteData(&stream); },
      Count() > 0);
}

void TCustomImageList::WriteData(TStream* Stream) {
  TBitmap colors, masks;
  int count = ExtractImages(colors, masks);
  int32_t header[4] = {static_cast<int32_t>(dataVersion), count, width_, height_};
  Stream->WriteBuffer(dataMagic, sizeof dataMagic);
  Stream->WriteBuffer(header, sizeof header);
  if (count == 0) return;
  colors.SaveToStream(Stream);
  masks.SaveToStream(Stream);
}

void TCustomImageList::ReadData(TStream* Stream) {
  char magic[4];
  int32_t header[4];
  if (Stream->Read(magic, 4) != 4 || std::memcmp(magic, dataMagic, 4) != 0) InvalidData();
  if (Stream->Read(header, sizeof header) != sizeof header) InvalidData();
  int count = header[1], width = header[2], height = header[3];
  if (header[0] != static_cast<int32_t>(dataVersion) || count < 0 || width < 1 || height < 1 || width > 4096 ||
      height > 4096 || count > 65535)
    InvalidData();
  TBitmap colors, masks;
  if (count > 0) {
    try {
      colors.LoadFromStream(Stream);
      masks.LoadFromStream(Stream);
    } catch (const EInvalidGraphic&) {
      InvalidData();
    }
    if (colors.Width() != width * count || colors.Height() != height || masks.Width() != colors.Width() ||
        masks.Height() != height)
      InvalidData();
  }
  WithinUpdate(*this, [&] {
    SetWidth(width);
    SetHeight(height);
    Clear();
    if (count > 0) ImageList_Add(Handle(), colors.Handle(), masked_ ? masks.Handle() : nullptr);
    Change();
  });
}
