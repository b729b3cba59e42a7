// Drop shadows around popup windows: strips of layered (or alpha-blended, or plain) tool windows
// placed beside and under the popup, fading out at their ends.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/Controls.h"
#include "themes/UiUtils.h"

// Fade edges of a strip: at its start (top or left), at its end (bottom or right).
constexpr int sfStart = 1;
constexpr int sfEnd = 2;

// How a strip shows its shadow.
enum class TShadowMode { Plain = 0, Layered = 1, AlphaBlended = 2 };

class TShadow : public TCustomControl {
  HV_CLASS(TShadow, TCustomControl)
 public:
  // A strip over the screen rectangle R, `Size` thick across, with the fades of FadeEdges.
  TShadow(const TRect& R, int Size, uint8_t Opacity, int FadeEdges, TShadowMode Mode, bool SaveBits);
  ~TShadow() override;

  uint8_t Opacity() const { return opacity_; }
  int FadeEdges() const { return fadeEdges_; }
  TShadowMode Mode() const { return mode_; }
  int Size() const { return size_; }
  // Places the strip just under Popup in z-order and shows it.
  void ShowUnder(HWND Popup);
  // The alpha of every pixel of a Width x Height strip, row by row; exposed for tests.
  std::vector<uint8_t> AlphaMap();

 protected:
  void CreateParams(TCreateParams& Params) override;
  void WMEraseBkgnd(TMessage& Message) override;
  // Fills the alpha of the strip (one byte per pixel, row by row) across its thickness.
  virtual void FillAlpha(std::vector<uint8_t>& Alpha, int Width, int Height) = 0;
  // The alpha of a corner pixel dx pixels into the fade and dy pixels across the strip.
  int CornerAlpha(int dx, int dy) const;
  int StraightAlpha(int i) const;
  // The fill of a strip running across (horizontal) or down (vertical).
  void FillStrip(std::vector<uint8_t>& Alpha, int Width, int Height, bool Vertical);

 private:
  void BuildBitmap();
  void UpdateLayered();

  int size_;
  uint8_t opacity_;
  int fadeEdges_;
  TShadowMode mode_;
  bool saveBits_;
  TBitmapHandle bitmap_;
};

// A strip under a window: thickness runs top to bottom, fades at its left and right ends.
class THorzShadow : public TShadow {
  HV_CLASS(THorzShadow, TShadow)
 public:
  using TShadow::TShadow;

 protected:
  void FillAlpha(std::vector<uint8_t>& Alpha, int Width, int Height) override;
};

// A strip right of a window: thickness runs left to right, fades at its top and bottom ends.
class TVertShadow : public TShadow {
  HV_CLASS(TVertShadow, TShadow)
 public:
  using TShadow::TShadow;

 protected:
  void FillAlpha(std::vector<uint8_t>& Alpha, int Width, int Height) override;
};

// Up to six strips around a popup's rectangle, cut around the rectangle of the item that opened
// it (null for none).
class TShadows {
 public:
  // Plain asks for plain shadows (half as thick, no transparency).
  TShadows(const TRect* ExcludeRect, const TRect& WindowRect, int Size, uint8_t Opacity, bool SaveBits,
           bool Plain = false);
  ~TShadows();
  TShadows(const TShadows&) = delete;
  TShadows& operator=(const TShadows&) = delete;

  // Shows every strip just under Popup.
  void Show(HWND Popup);
  const std::vector<std::unique_ptr<TShadow>>& Strips() const { return strips_; }
  int Size() const { return size_; }

 private:
  void AddStrip(bool Vertical, const TRect& R, int Fades, uint8_t Opacity, TShadowMode Mode, bool SaveBits);
  std::vector<std::unique_ptr<TShadow>> strips_;
  int size_;
};
