// TIcon: an owned icon handle as a graphic (resources, .ico files, drawing).
#pragma once

#include "framework/Graphics.h"

class TIcon : public TGraphic {
  HV_CLASS(TIcon, TGraphic)
 public:
  TIcon();
  ~TIcon() override;

  // Copies another icon (null empties this one).
  void Assign(TPersistent* Source) override;

  bool Empty() const override { return !handle_; }
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  // An icon's size is its image's: both raise EInvalidGraphicOperation "Cannot change the size
  // of an icon".
  void SetWidth(int value) override;
  void SetHeight(int value) override;
  // Icons always carry their own transparency.
  bool Transparent() const override { return true; }

  // The icon stays the TIcon's.
  HICON Handle() const { return handle_.Get(); }
  // Takes ownership of an icon (null empties).
  void SetHandle(HICON icon);
  // Hands the icon over to the caller; the TIcon is empty afterwards.
  [[nodiscard]] HICON ReleaseHandle();

  // Icon resources at the system's icon size; EResNotFound "Resource %s not found".
  void LoadFromResourceName(HINSTANCE instance, const WideString& name);
  void LoadFromResourceID(HINSTANCE instance, int id);
  // .ico files: loading takes the image of the system's icon size with the most colours (else
  // the largest); a malformed file raises EInvalidGraphic "Icon image is not valid" and leaves
  // the icon as it was. Saving writes one 32-bit image; an empty icon writes nothing.
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;

 protected:
  void Draw(TCanvas* canvas, const TRect& rect) override;

 private:
  void Adopt(TIconHandle icon);

  TIconHandle handle_;
  int width_ = 0;
  int height_ = 0;
};
