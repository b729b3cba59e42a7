// Image lists over the common-controls image list: glyphs of one size added from bitmaps,
// masks, icons and other lists, drawn by index (normal, selected, masked or disabled), and
// stored in form files.
//
// The operations that change the images are virtual, so that an image list that keeps its
// images in another form (PNG images) can take them over and still reach the native list.
#pragma once

#include "framework/Component.h"
#include "framework/Graphics.h"

class TBitmap;
class TIcon;
class TStream;

HV_ENUM(TColorDepth, cdDeviceDependent, cd4Bit, cd8Bit, cd16Bit, cd24Bit, cd32Bit)
HV_ENUM(TDrawingStyle, dsFocus, dsSelected, dsNormal, dsTransparent)
HV_ENUM(TImageType, itImage, itMask)

// The version of the common-controls library in use, major << 16 | minor (0x00060000 for 6.0,
// which the application's manifest asks for); 0 when it cannot be told.
unsigned ComCtlVersion();
constexpr unsigned ComCtlVersion6 = 0x00060000;

class TCustomImageList : public TComponent {
  HV_CLASS(TCustomImageList, TComponent)
 public:
  // 16 x 16, 32 bits per pixel, masked, no background colour.
  explicit TCustomImageList(TComponent* AOwner);
  ~TCustomImageList() override;

  // Copies another image list's settings and images.
  void Assign(TPersistent* Source) override;

  // A new size empties the list (below 1 counts as 1).
  int Width() const { return width_; }
  void SetWidth(int value);
  int Height() const { return height_; }
  void SetHeight(int value);
  // A new colour depth or mask setting keeps the images.
  TColorDepth ColorDepth() const { return colorDepth_; }
  void SetColorDepth(TColorDepth value);
  bool Masked() const { return masked_; }
  void SetMasked(bool value);
  // Drawn behind the images (clNone: transparent; clDefault: the list's own).
  TColor BkColor() const { return bkColor_; }
  void SetBkColor(TColor value);
  // Blended over images drawn focused or selected (clNone: the highlight colour).
  TColor BlendColor() const { return blendColor_; }
  void SetBlendColor(TColor value);
  TDrawingStyle DrawingStyle() const { return drawingStyle_; }
  void SetDrawingStyle(TDrawingStyle value);
  TImageType ImageType() const { return imageType_; }
  void SetImageType(TImageType value);
  // How many places the native list grows by.
  int AllocBy() const { return allocBy_; }
  void SetAllocBy(int value);

  int Count() const;
  // The native list, made on first use; it stays the image list's.
  HIMAGELIST Handle();
  bool HandleAllocated() const { return static_cast<bool>(handle_); }

  // Each Add gives the index of the (first) image added, or -1 when nothing was given or the
  // list refused it. A bitmap wider than Width adds one image per Width pixels. Indexes of
  // existing images outside 0..Count-1 raise EInvalidOperation "Invalid ImageList Index".
  virtual int Add(TBitmap* Image, TBitmap* Mask);
  virtual int AddIcon(TIcon* Image);
  virtual int AddImage(TCustomImageList* Value, int Index);
  virtual void AddImages(TCustomImageList* Value);
  // Pixels of MaskColor become transparent (clDefault: the bitmap's transparent colour,
  // clNone: no mask). The bitmap given is not changed.
  virtual int AddMasked(TBitmap* Image, TColor MaskColor);
  virtual void Clear();
  virtual void Delete(int Index);
  // Index may be Count (the end).
  virtual void Insert(int Index, TBitmap* Image, TBitmap* Mask);
  virtual void InsertIcon(int Index, TIcon* Image);
  virtual void InsertMasked(int Index, TBitmap* Image, TColor MaskColor);
  virtual void Move(int CurIndex, int NewIndex);
  virtual void Replace(int Index, TBitmap* Image, TBitmap* Mask);
  virtual void ReplaceIcon(int Index, TIcon* Image);
  virtual void ReplaceMasked(int Index, TBitmap* NewImage, TColor MaskColor);

  // Draws an image with the list's DrawingStyle and ImageType, or embossed in the button
  // shadow and highlight colours when not enabled. Nothing for an index out of range.
  void Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled = true);
  void Draw(TCanvas* Canvas, int X, int Y, int Index, TDrawingStyle ADrawingStyle, TImageType AImageType,
            bool Enabled = true);
  // The image on a bitmap of the list's size (white behind it); false for a bad index.
  bool GetBitmap(int Index, TBitmap* Image);
  // The image as an icon; a bad index empties the icon.
  void GetIcon(int Index, TIcon* Image);

  // Changes inside an update bracket are announced once, when it closes.
  void BeginUpdate();
  void EndUpdate();
  // Further listeners besides OnChange (menus, toolbars showing the list).
  void RegisterChanges(const TNotifyEvent& Handler);
  void UnRegisterChanges(const TNotifyEvent& Handler);
  TNotifyEvent OnChange;

  // The images are stored as the binary property "Bitmap" (ReadData / WriteData).
  void DefineProperties(TFiler* Filer) override;

 protected:
  // Style: ILD_ flags. Draws the native image, or the disabled look.
  virtual void DoDraw(int Index, TCanvas* Canvas, int X, int Y, UINT Style, bool Enabled);
  virtual void Change();
  // Own format: "HVIL", version, count, width, height, then the images side by side as a
  // 32-bit BMP and their masks as a 1-bit BMP. Malformed data raises EReadError "Invalid image
  // list data" and leaves the list as it was.
  virtual void ReadData(TStream* Stream);
  virtual void WriteData(TStream* Stream);
  void CheckIndex(int Index) const;
  // The ILC_ flags of the list's colour depth and mask setting.
  UINT CreateFlags() const;
  // Gives up the native list and makes an empty one with Flags in its place (the list's size,
  // growth and background colour as they are).
  HIMAGELIST RecreateHandle(UINT Flags);

 private:
  void Recreate(bool keepImages);
  int ExtractImages(TBitmap& colors, TBitmap& masks);
  void MoveImage(int CurIndex, int NewIndex);
  void DrawDisabled(HDC dc, int Index, int X, int Y);

  TImageListHandle handle_;
  int width_ = 16;
  int height_ = 16;
  TColorDepth colorDepth_ = cd32Bit;
  bool masked_ = true;
  TColor bkColor_ = clNone;
  TColor blendColor_ = clNone;
  TDrawingStyle drawingStyle_ = dsNormal;
  TImageType imageType_ = itImage;
  int allocBy_ = 4;
  int updateCount_ = 0;
  bool changedInUpdate_ = false;
  TEventList<void(TObject*)> changeLinks_;
};

// The image list placed on forms and data modules; publishes the settings.
class TImageList : public TCustomImageList {
  HV_CLASS(TImageList, TCustomImageList)
 public:
  explicit TImageList(TComponent* AOwner) : TCustomImageList(AOwner) {}
};
