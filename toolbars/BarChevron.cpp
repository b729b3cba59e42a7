// The chevron item and its viewer.
#include "toolbars/BarChevron.h"

#include "framework/Application.h"
#include "toolbars/BarCommon.h"
#include "toolbars/BarView.h"

const char* const SBarChevronHint = "More Buttons|";

HV_PUBLISH(TBarChevronItem) {}
HV_PUBLISH(TBarChevronItemViewer) {}

TBarChevronItem::TBarChevronItem(TComponent* AOwner) : TBarCustomItem(AOwner) {
  SetItemStyle(ItemStyle() | tbisHasSubmenu | tbisManualOpen);
  SetChevronHint(WideString(L"More Buttons|"));
}

void TBarChevronItem::SetChevronHint(const WideString& Value) {
  SetHint(Value);
  SetCaption(EscapeAmpersands(GetShortHint(Value)));
}

TBarItemViewerClass TBarChevronItem::ViewerClass(TBarView*) { return &MakeBarItemViewer<TBarChevronItemViewer>; }

namespace {

// The glyph, a row per byte, the high bit the left pixel.
const BYTE HorizontalGlyph[8] = {0xCC, 0x66, 0x33, 0x66, 0xCC, 0x00, 0x00, 0x00};
const BYTE VerticalGlyph[8] = {0x88, 0xD8, 0x70, 0x20, 0x88, 0xD8, 0x70, 0x20};

void DrawGlyph(HDC dc, const BYTE* rows, int x, int y, TColor color) {
  // A monochrome bitmap draws its 0 bits in the text colour: the set bits are the glyph.
  WORD words[8];
  for (int i = 0; i < 8; ++i) words[i] = static_cast<WORD>(0xFF00 | static_cast<BYTE>(~rows[i]));
  TBitmapHandle bits(CreateBitmap(8, 8, 1, 1, words));
  TCreatedDC glyph(CreateCompatibleDC(dc));
  TSelectObject select(glyph.Get(), bits.Get());
  DrawMonoGlyph(dc, glyph.Get(), x, y, 8, 8, color);
}

}  // namespace

void TBarChevronItemViewer::Paint(TCanvas* Canvas, const TRect& ClientAreaRect, bool IsSelected, bool IsPushed, bool) {
  HDC dc = Canvas->Handle();
  const TRect& r = ClientAreaRect;
  RECT rc{r.Left, r.Top, r.Right, r.Bottom};
  bool enabled = Item()->Enabled();
  if (enabled && IsPushed)
    DrawEdge(dc, &rc, BDR_SUNKENOUTER, BF_RECT);
  else if (IsSelected && !Item()->ComponentState().Contains(csDesigning))
    DrawEdge(dc, &rc, BDR_RAISEDINNER, BF_RECT);
  bool vertical = View()->Orientation() == orVertical;
  // The glyph's place is taken from the viewer's own rectangle, on every row alike.
  int x = vertical ? r.Right - 9 : r.Left + 2;
  int y = vertical ? r.Top + 2 : r.Top + 4;
  if (IsPushed) ++x, ++y;
  const BYTE* rows = vertical ? VerticalGlyph : HorizontalGlyph;
  if (enabled) {
    DrawGlyph(dc, rows, x, y, clBtnText);
  } else {
    DrawGlyph(dc, rows, x + 1, y + 1, clBtnHighlight);
    DrawGlyph(dc, rows, x, y, clBtnShadow);
  }
}
