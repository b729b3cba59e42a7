// Drop shadows around popup windows, built from layered tool windows.
#include "themes/UiShadows.h"

#include <algorithm>

#include "framework/Application.h"

TShadow::TShadow(const TRect& R, int Size, uint8_t Opacity, int FadeEdges, TShadowMode Mode, bool SaveBits)
    : TCustomControl(nullptr),
      size_(std::max(1, Size)),
      opacity_(Opacity),
      fadeEdges_(FadeEdges),
      mode_(Mode),
      saveBits_(SaveBits) {
  SetVisible(false);
  SetColor(clBtnShadow);
  SetBounds(R.Left, R.Top, R.Width(), R.Height());
}

TShadow::~TShadow() = default;

void TShadow::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style = (Params.Style & ~static_cast<DWORD>(WS_CHILD | WS_TABSTOP | WS_GROUP)) | WS_POPUP;
  Params.ExStyle |= WS_EX_TOOLWINDOW;
  if (mode_ == TShadowMode::Layered) Params.ExStyle |= WS_EX_LAYERED;
  if (saveBits_) Params.WindowClass.style |= CS_SAVEBITS;
  Params.WndParent = Application ? Application->Handle() : nullptr;
}

int TShadow::StraightAlpha(int i) const { return std::max(0, 255 - i * 256 / size_); }

int TShadow::CornerAlpha(int dx, int dy) const { return std::max(0, 255 - (std::max(dx, dy) + dx + dy) * 128 / size_); }

std::vector<uint8_t> TShadow::AlphaMap() {
  std::vector<uint8_t> alpha(static_cast<size_t>(std::max(0, Width())) * std::max(0, Height()), 0);
  if (!alpha.empty()) FillAlpha(alpha, Width(), Height());
  return alpha;
}

void TShadow::BuildBitmap() {
  int w = Width(), h = Height();
  bitmap_.Reset();
  if (w <= 0 || h <= 0) return;
  std::vector<uint8_t> alpha = AlphaMap();
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_.Reset(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap_) return;
  // Black with the strip's alpha: premultiplied, the colour channels stay 0.
  uint32_t* pixels = static_cast<uint32_t*>(bits);
  for (size_t i = 0; i < alpha.size(); ++i) pixels[i] = static_cast<uint32_t>(alpha[i]) << 24;
}

void TShadow::UpdateLayered() {
  auto update = UiOptionalFunctions().UpdateLayeredWindow;
  if (!update) return;
  BuildBitmap();
  if (!bitmap_) return;
  TWindowDC screen;
  TCreatedDC mem(CreateCompatibleDC(screen.Get()));
  TSelectObject sel(mem.Get(), bitmap_.Get());
  POINT pos{Left(), Top()}, src{0, 0};
  SIZE size{Width(), Height()};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, opacity_, AC_SRC_ALPHA};
  update(Handle(), screen.Get(), &pos, &size, mem.Get(), &src, 0, &blend, ULW_ALPHA);
  sel.Restore();
  // The layered window keeps its own copy of the picture.
  bitmap_.Reset();
}

void TShadow::WMEraseBkgnd(TMessage& Message) {
  auto alphaBlend = UiOptionalFunctions().AlphaBlend;
  if (mode_ != TShadowMode::AlphaBlended || !alphaBlend) {
    TCustomControl::WMEraseBkgnd(Message);
    return;
  }
  if (!bitmap_) BuildBitmap();
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  if (bitmap_) {
    TCreatedDC mem(CreateCompatibleDC(dc));
    TSelectObject sel(mem.Get(), bitmap_.Get());
    BLENDFUNCTION blend{AC_SRC_OVER, 0, opacity_, AC_SRC_ALPHA};
    alphaBlend(dc, 0, 0, Width(), Height(), mem.Get(), 0, 0, Width(), Height(), blend);
  }
  Message.Result = 1;
}

void TShadow::ShowUnder(HWND Popup) {
  HWND wnd = Handle();
  if (mode_ == TShadowMode::Layered) UpdateLayered();
  SetWindowPos(wnd, Popup ? Popup : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void TShadow::FillStrip(std::vector<uint8_t>& Alpha, int Width, int Height, bool Vertical) {
  // `along` runs the strip's length, `across` its thickness (0 next to the window).
  int length = Vertical ? Height : Width, s = size_;
  for (int y = 0; y < Height; ++y)
    for (int x = 0; x < Width; ++x) {
      int along = Vertical ? y : x, across = Vertical ? x : y;
      int a = StraightAlpha(across);
      if ((fadeEdges_ & sfStart) && along < s) a = std::min(a, CornerAlpha(s - 1 - along, across));
      if ((fadeEdges_ & sfEnd) && along >= length - s) a = std::min(a, CornerAlpha(along - (length - s), across));
      Alpha[static_cast<size_t>(y) * Width + x] = static_cast<uint8_t>(a);
    }
}

void THorzShadow::FillAlpha(std::vector<uint8_t>& Alpha, int Width, int Height) {
  FillStrip(Alpha, Width, Height, false);
}

void TVertShadow::FillAlpha(std::vector<uint8_t>& Alpha, int Width, int Height) {
  FillStrip(Alpha, Width, Height, true);
}

namespace {

// A stretch of strip along its length [From, To) with fades at its two ends.
struct TStripSpan {
  int From, To, Fades;
};

// Cuts the part of a strip that the rectangle `cut` covers out of it (the strip spans `across`
// in the other direction). The ends made by the cut do not fade.
std::vector<TStripSpan> CutStrip(TStripSpan span, int acrossFrom, int acrossTo, int cutFrom, int cutTo,
                                 int cutAcrossFrom, int cutAcrossTo) {
  if (cutAcrossTo <= acrossFrom || cutAcrossFrom >= acrossTo || cutTo <= span.From || cutFrom >= span.To) return {span};
  std::vector<TStripSpan> out;
  if (cutFrom > span.From) out.push_back({span.From, cutFrom, span.Fades & sfStart});
  if (cutTo < span.To) out.push_back({cutTo, span.To, span.Fades & sfEnd});
  return out;
}

}  // namespace

TShadows::TShadows(const TRect* ExcludeRect, const TRect& WindowRect, int Size, uint8_t Opacity, bool SaveBits,
                   bool Plain)
    : size_(Size) {
  const TUiOptionalFunctions& f = UiOptionalFunctions();
  TShadowMode mode = TShadowMode::Plain;
  if (!Plain && f.UpdateLayeredWindow)
    mode = TShadowMode::Layered;
  else if (!Plain && f.AlphaBlend)
    mode = TShadowMode::AlphaBlended;
  if (Plain || (!f.UpdateLayeredWindow && !f.AlphaBlend)) size_ = Size / 2;
  if (size_ < 1) return;
  const int s = size_;
  struct TShape {
    TRect R;
    const TRect* Other;
  };
  // The window casts its two strips; an item rectangle beside it casts its own, and each shape's
  // strips are cut where the other shape covers them.
  std::vector<TShape> shapes{{WindowRect, ExcludeRect}};
  if (ExcludeRect && !ExcludeRect->IsEmpty()) shapes.push_back({*ExcludeRect, &WindowRect});
  for (const TShape& shape : shapes) {
    const TRect& w = shape.R;
    std::vector<TStripSpan> right{{w.Top + s, w.Bottom, sfStart}};
    std::vector<TStripSpan> bottom{{w.Left + s, w.Right + s, sfStart | sfEnd}};
    if (shape.Other) {
      const TRect& o = *shape.Other;
      std::vector<TStripSpan> cut;
      for (const TStripSpan& p : right) {
        auto parts = CutStrip(p, w.Right, w.Right + s, o.Top, o.Bottom, o.Left, o.Right);
        cut.insert(cut.end(), parts.begin(), parts.end());
      }
      right.swap(cut);
      cut.clear();
      for (const TStripSpan& p : bottom) {
        auto parts = CutStrip(p, w.Bottom, w.Bottom + s, o.Left, o.Right, o.Top, o.Bottom);
        cut.insert(cut.end(), parts.begin(), parts.end());
      }
      bottom.swap(cut);
    }
    for (const TStripSpan& p : right)
      if (p.To > p.From) AddStrip(true, TRect{w.Right, p.From, w.Right + s, p.To}, p.Fades, Opacity, mode, SaveBits);
    for (const TStripSpan& p : bottom)
      if (p.To > p.From) AddStrip(false, TRect{p.From, w.Bottom, p.To, w.Bottom + s}, p.Fades, Opacity, mode, SaveBits);
  }
}

TShadows::~TShadows() = default;

void TShadows::AddStrip(bool Vertical, const TRect& R, int Fades, uint8_t Opacity, TShadowMode Mode, bool SaveBits) {
  if (strips_.size() >= 6) return;
  if (Vertical)
    strips_.push_back(std::make_unique<TVertShadow>(R, size_, Opacity, Fades, Mode, SaveBits));
  else
    strips_.push_back(std::make_unique<THorzShadow>(R, size_, Opacity, Fades, Mode, SaveBits));
}

void TShadows::Show(HWND Popup) {
  for (auto& strip : strips_) strip->ShowUnder(Popup);
}

HV_PUBLISH(TShadow) {}
HV_PUBLISH(THorzShadow) {}
HV_PUBLISH(TVertShadow) {}
