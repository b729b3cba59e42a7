// Drawing and measuring Unicode text for the skinned items, rotated text with its font cache,
// the caption layout of buttons and the choice of skin.
#include "themes/SkinText.h"

#include <cstring>
#include <list>
#include <memory>

#include "controls/ApThemes.h"
#include "framework/CodePages.h"
#include "framework/GdiHandles.h"
#include "framework/Graphics.h"
#include "framework/Mnemonics.h"
#include "themes/Ui.h"

HV_PUBLISH(TSpThemeNexus) {}

namespace {

const WideString kUtf8Prefix = L"utf8=";

// One code unit back to the byte it was widened from: the ANSI code page's byte when the unit
// stands for one exactly, else the unit itself when it is a byte value (text handed over one
// unit per byte), else no byte.
bool NarrowUnit(wchar_t Ch, unsigned CodePage, char& Byte) {
  if (Ch < 0x80) {
    Byte = static_cast<char>(Ch);
    return true;
  }
  char out[4];
  BOOL usedDefault = FALSE;
  int n = WideCharToMultiByte(CodePage, WC_NO_BEST_FIT_CHARS, &Ch, 1, out, sizeof(out), nullptr, &usedDefault);
  if (n == 1 && !usedDefault) {
    // The round trip must give the same unit back, or the byte stands for another character.
    wchar_t back = 0;
    if (MultiByteToWideChar(CodePage, 0, out, 1, &back, 1) == 1 && back == Ch) {
      Byte = out[0];
      return true;
    }
  }
  if (Ch <= 0xFF) {
    Byte = static_cast<char>(Ch);
    return true;
  }
  return false;
}

// The font a rotated text is drawn with, kept for each font and orientation asked for: looking
// up the vertical face enumerates the font families, which is too slow for every paint.
struct TRotatedFont {
  LOGFONTW Request{};
  int Orientation = 0;
  TFontHandle Font;
};

constexpr size_t kRotatedFontCacheSize = 8;

std::list<TRotatedFont>& RotatedFonts() {
  static std::list<TRotatedFont> fonts;
  return fonts;
}

int CALLBACK FoundFamily(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM Found) {
  *reinterpret_cast<bool*>(Found) = true;
  return 0;
}

bool FaceExists(HDC DC, const WideString& Face) {
  LOGFONTW lf{};
  lf.lfCharSet = DEFAULT_CHARSET;
  wcsncpy(lf.lfFaceName, Face.c_str(), LF_FACESIZE - 1);
  bool found = false;
  EnumFontFamiliesExW(DC, &lf, FoundFamily, reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

bool SameFaceIgnoringAsciiCase(const wchar_t* A, const wchar_t* B) {
  for (; *A && *B; ++A, ++B) {
    wchar_t a = *A, b = *B;
    if (a >= L'A' && a <= L'Z') a += 32;
    if (b >= L'A' && b <= L'Z') b += 32;
    if (a != b) return false;
  }
  return *A == *B;
}

// The rotated font for the font selected in DC (its record Request).
HFONT RotatedFont(HDC DC, const LOGFONTW& Request, int Orientation) {
  auto& fonts = RotatedFonts();
  for (auto it = fonts.begin(); it != fonts.end(); ++it)
    if (it->Orientation == Orientation && std::memcmp(&it->Request, &Request, sizeof(Request)) == 0) {
      fonts.splice(fonts.begin(), fonts, it);
      return fonts.front().Font.Get();
    }
  LOGFONTW lf = Request;
  lf.lfEscapement = lf.lfOrientation = Orientation == SkinTextRotated90 ? 900 : 2700;
  lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
  // The old bitmap sans-serif face cannot be turned: its outline successor can.
  if (SameFaceIgnoringAsciiCase(lf.lfFaceName, L"MS Sans Serif") ||
      SameFaceIgnoringAsciiCase(lf.lfFaceName, L"Microsoft Sans Serif")) {
    OSVERSIONINFOW v{};
    v.dwOSVersionInfoSize = sizeof(v);
    const wchar_t* face = GetVersionExW(&v) && v.dwMajorVersion >= 5 ? L"Tahoma" : L"Arial";
    std::memset(lf.lfFaceName, 0, sizeof(lf.lfFaceName));
    wcscpy(lf.lfFaceName, face);
    TEXTMETRICW tm{};
    GetTextMetricsW(DC, &tm);
    lf.lfHeight = lf.lfHeight < 0 ? tm.tmInternalLeading - tm.tmHeight : tm.tmHeight;
  }
  size_t faceLength = wcsnlen(lf.lfFaceName, LF_FACESIZE);
  if (faceLength > 0 && faceLength < 31) {
    WideString vertical = L"@" + WideString(lf.lfFaceName, faceLength);
    if (FaceExists(DC, vertical)) wcscpy(lf.lfFaceName, vertical.c_str());
  }
  fonts.push_front(TRotatedFont{Request, Orientation, TFontHandle(CreateFontIndirectW(&lf))});
  if (fonts.size() > kRotatedFontCacheSize) fonts.pop_back();
  return fonts.front().Font.Get();
}

TSize Extent(HDC DC, const WideString& Text) {
  SIZE s{0, 0};
  GetTextExtentPoint32W(DC, Text.c_str(), static_cast<int>(Text.size()), &s);
  return {s.cx, s.cy};
}

int DrawRotatedText(TCanvas* ACanvas, const WideString& AText, TRect& ARect, int Orientation, Cardinal Format) {
  if (AText.empty()) {
    if (Format & DT_CALCRECT) ARect = {ARect.Left, ARect.Top, ARect.Left, ARect.Top};
    return 0;
  }
  HDC dc = ACanvas->Handle();
  LOGFONTW request{};
  HFONT current = static_cast<HFONT>(GetCurrentObject(dc, OBJ_FONT));
  GetObjectW(current, sizeof(request), &request);
  TSelectObject select(dc, RotatedFont(dc, request, Orientation));

  int accel = -1;
  WideString text = (Format & DT_NOPREFIX) ? AText : StripAccelChars(AText, &accel);
  int height = ARect.Height();
  if ((Format & DT_END_ELLIPSIS) && text.size() > 1 && Extent(dc, text).cx > height) {
    if (height >= 3) {
      text.pop_back();
      while (text.size() >= 2 && Extent(dc, text + L"...").cx > height) text.pop_back();
    } else {
      text.resize(1);
    }
    if (accel >= static_cast<int>(text.size())) accel = -1;
    text += L"...";
  }
  TSize size = Extent(dc, text);
  if (Format & DT_CALCRECT) {
    ARect = {ARect.Left, ARect.Top, ARect.Left + size.cy, ARect.Top + size.cx};
    return size.cy;
  }
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  int x = ARect.Left + (ARect.Width() - tm.tmHeight) / 2;
  int y = (Format & DT_CENTER) ? ARect.Top + (ARect.Height() - size.cx) / 2 : ARect.Top;
  TSaveDC saved(dc);
  if (!(Format & DT_NOCLIP)) IntersectClipRect(dc, ARect.Left, ARect.Top, ARect.Right, ARect.Bottom);
  UINT oldAlign = SetTextAlign(dc, Orientation == SkinTextRotated90 ? TA_RIGHT : TA_BOTTOM);
  TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
  SetTextAlign(dc, oldAlign);
  if (accel >= 0 && !(Format & SkinDtHidePrefix)) {
    int before = Extent(dc, text.substr(0, static_cast<size_t>(accel))).cx;
    int width = Extent(dc, text.substr(static_cast<size_t>(accel), 1)).cx;
    // Read top to bottom, the text starts at y and its baseline is descent right of x; read
    // bottom to top it starts at y + its width and the baseline is descent left of the cell's
    // right edge, so the underline is mirrored.
    int lineX, from, to;
    if (Orientation == SkinTextRotated90) {
      lineX = x + tm.tmHeight - 1 - (tm.tmDescent - 2);
      from = y + size.cx - before - width;
      to = y + size.cx - before;
    } else {
      lineX = x + tm.tmDescent - 2;
      from = y + before;
      to = y + before + width;
    }
    TPenHandle pen(CreatePen(PS_SOLID, 1, GetTextColor(dc)));
    TSelectObject penSelect(dc, pen.Get());
    MoveToEx(dc, lineX, from, nullptr);
    LineTo(dc, lineX, to);
  }
  return size.cy;
}

int DrawOnce(TCanvas* ACanvas, const WideString& Text, TRect& ARect, int Orientation, Cardinal Format) {
  if (Orientation == SkinTextRotated90 || Orientation == SkinTextRotated270)
    return DrawRotatedText(ACanvas, Text, ARect, Orientation, Format);
  return ACanvas->DrawText(ARect, Text, Format);
}

}  // namespace

WideString DecodeUtf8Caption(const WideString& AText) {
  if (AText.compare(0, kUtf8Prefix.size(), kUtf8Prefix) != 0) return AText;
  unsigned cp = AnsiCodePage();
  std::string bytes;
  bytes.reserve(AText.size() - kUtf8Prefix.size());
  for (size_t i = kUtf8Prefix.size(); i < AText.size(); ++i) {
    char b;
    bytes += NarrowUnit(AText[i], cp, b) ? b : '?';
  }
  return Utf8ToWide(bytes);
}

int DrawWideText(TCanvas* ACanvas, const WideString& AText, TRect& ARect, int Orientation, TColor GlowColor,
                 TSpGlowDirection Glow, Cardinal Format) {
  TBrushStyle oldStyle = ACanvas->Brush()->Style();
  TColor oldColor = ACanvas->Brush()->Color();
  ACanvas->Brush()->SetStyle(bsClear);
  WideString text = DecodeUtf8Caption(AText);
  if (!(Format & DT_CALCRECT) && Glow != gldNone) {
    TColor fontColor = ACanvas->Font()->Color();
    ACanvas->Font()->SetColor(GlowColor);
    static constexpr TPoint kAll[] = {{0, -1}, {0, 1}, {-1, 0}, {1, 0}};
    static constexpr TPoint kTopLeft[] = {{-1, -1}};
    static constexpr TPoint kBottomRight[] = {{1, 1}};
    std::span<const TPoint> offsets = Glow == gldAll       ? std::span<const TPoint>(kAll)
                                      : Glow == gldTopLeft ? std::span<const TPoint>(kTopLeft)
                                                           : std::span<const TPoint>(kBottomRight);
    for (const TPoint& d : offsets) {
      TRect r{ARect.Left + d.X, ARect.Top + d.Y, ARect.Right + d.X, ARect.Bottom + d.Y};
      DrawOnce(ACanvas, text, r, Orientation, Format);
    }
    ACanvas->Font()->SetColor(fontColor);
  }
  int result = DrawOnce(ACanvas, text, ARect, Orientation, Format);
  if (ARect.IsEmpty())
    result = 0;
  else if ((Format & DT_CALCRECT) && ACanvas->Font()->Style().Contains(fsItalic))
    ARect.Right += 1 + (ACanvas->Font()->Size() / 8) * 2;
  ACanvas->Brush()->SetStyle(oldStyle);
  ACanvas->Brush()->SetColor(oldColor);
  return result;
}

void GetWideTextSize(HDC DC, const WideString& AText, bool RemoveAccelerators, TSize& Size) {
  Size = {0, 0};
  Size = Extent(DC, RemoveAccelerators ? RemoveAcceleratorMarks(AText) : AText);
}

WideString RemoveAcceleratorMarks(const WideString& AText) { return StripAccelChars(AText); }

WideString TextBeforeTab(const WideString& AText) { return AText.substr(0, AText.find(L'\t')); }

WideString RemoveTrailingColonOrDots(const WideString& AText) { return StripTrailingPunctuation(AText); }

int CalcCaptionLayout(TCanvas* Canvas, const TRect& ItemRect, const WideString& Caption, int Orientation,
                      TRect& ImageRect, TRect& CaptionRect, bool PushedOffset, bool GlyphTop, int ImageHeight,
                      int ImageWidth, Cardinal Format, TAlignment Alignment) {
  ImageRect = {};
  CaptionRect = {};
  bool hasImage = ImageWidth >= 1 && ImageHeight >= 1;
  bool rotated = Orientation != SkinTextHorizontal;
  TPoint gap{0, 0};
  if (!Caption.empty() && hasImage) gap = rotated ? TPoint{1, 4} : TPoint{4, 1};
  Format &= ~static_cast<Cardinal>(DT_CENTER | DT_VCENTER);
  if (Alignment == taRightJustify) Format |= DT_RIGHT;

  int available = ItemRect.Width();
  if (!GlyphTop && hasImage) available -= ImageWidth + gap.X;
  bool ellipsis = Format & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS);
  TRect measure = (Format & DT_WORDBREAK) || ellipsis ? TRect{0, 0, available, 1} : TRect{0, 0, 1, 1};
  TSize size{0, 0};
  bool measured = false;
  if (!Caption.empty() && ellipsis && Canvas->Font()->Style().Contains(fsBold)) {
    GetWideTextSize(Canvas->Handle(), Caption, true, size);
    measured = size.cx <= available;
  }
  if (!measured && !Caption.empty()) {
    DrawWideText(Canvas, Caption, measure, Orientation, clNone, gldNone, Format | DT_CALCRECT);
    size = {measure.Width(), measure.Height()};
  }
  if (size.cy <= 0 || Caption.empty()) return 0;

  CaptionRect.Top = (ItemRect.Top + ItemRect.Bottom - size.cy) / 2;
  CaptionRect.Bottom = CaptionRect.Top + size.cy;
  switch (Alignment) {
    case taLeftJustify: CaptionRect.Left = ItemRect.Left; break;
    case taRightJustify: CaptionRect.Left = ItemRect.Right - size.cx; break;
    default: CaptionRect.Left = (ItemRect.Left + ItemRect.Right - size.cx) / 2; break;
  }
  CaptionRect.Right = CaptionRect.Left + size.cx;

  if (hasImage) {
    TAlignment imageAlign = GlyphTop ? taCenter : Alignment;
    auto moveCaption = [&](int dx, int dy) {
      CaptionRect = {CaptionRect.Left + dx, CaptionRect.Top + dy, CaptionRect.Right + dx, CaptionRect.Bottom + dy};
    };
    // Horizontal place, from the caption's place before it moves.
    int left;
    if (imageAlign == taLeftJustify) {
      left = CaptionRect.Left;
      moveCaption(ImageWidth + gap.X, 0);
    } else if (imageAlign == taRightJustify) {
      left = CaptionRect.Right - ImageWidth;
      moveCaption(-(ImageWidth + gap.X), 0);
    } else if (!GlyphTop) {
      left = (CaptionRect.Left + CaptionRect.Right - (ImageWidth + gap.X + size.cx)) / 2;
      moveCaption((ImageWidth + gap.X) / 2, 0);
    } else {
      left = (CaptionRect.Left + CaptionRect.Right - ImageWidth) / 2;
    }
    int top;
    if (GlyphTop) {
      top = (CaptionRect.Top + CaptionRect.Bottom - (ImageHeight + gap.Y + size.cy)) / 2;
      moveCaption(0, (ImageHeight + gap.Y) / 2);
    } else {
      top = (CaptionRect.Top + CaptionRect.Bottom - ImageHeight) / 2;
    }
    ImageRect = Bounds(left, top, ImageWidth, ImageHeight);
  }
  // A pushed button moves both by one pixel; the image is placed from the unmoved caption so
  // that it does not move twice.
  if (PushedOffset) {
    CaptionRect = {CaptionRect.Left + 1, CaptionRect.Top + 1, CaptionRect.Right + 1, CaptionRect.Bottom + 1};
    if (hasImage) ImageRect = {ImageRect.Left + 1, ImageRect.Top + 1, ImageRect.Right + 1, ImageRect.Bottom + 1};
  }
  return size.cy;
}

TSkinThemeType GetSkinType(TSkinThemeType SkinType) {
  if (SkinType == thtUi && GetCurrentThemeName() == "Default") SkinType = thtWindows;
  if (SkinType == thtWindows && !ThemesActive()) SkinType = thtNone;
  return SkinType;
}

void ClearRotatedFontCache() { RotatedFonts().clear(); }
int RotatedFontCacheCount() { return static_cast<int>(RotatedFonts().size()); }

// ---- visual-style handles of the skinned controls ----

TSpThemeNexus::TSpThemeNexus() {
  Open();
  AddSystemChangeListener(this);
}

TSpThemeNexus::~TSpThemeNexus() {
  RemoveSystemChangeListener(this);
  Close();
}

void TSpThemeNexus::Dispatch(TMessage& Message) {
  if (Message.Msg != UM_SYSTEMCHANGE) return;
  if (Message.WParam == 1) Close();
  if (Message.WParam == 3) {
    Close();
    Open();
    ClearRotatedFontCache();
  }
}

HTHEME TSpThemeNexus::Handle(TClassId Id) {
  if (Id < 0 || Id >= tcCount) return nullptr;
  if (generation_ != ThemeGeneration()) {
    Close();
    Open();
  }
  return handles_[Id];
}

void TSpThemeNexus::Open() {
  static const wchar_t* const kClasses[tcCount] = {L"TAB", L"PROGRESS", L"TRACKBAR"};
  if (ThemesActive())
    for (int i = 0; i < tcCount; ++i) handles_[i] = UxTheme().OpenThemeData(nullptr, kClasses[i]);
  generation_ = ThemeGeneration();
}

void TSpThemeNexus::Close() {
  for (HTHEME& h : handles_) {
    if (h && UxTheme().CloseThemeData) UxTheme().CloseThemeData(h);
    h = nullptr;
  }
}

TSpThemeNexus* SpThemeNexus() {
  static std::unique_ptr<TSpThemeNexus> nexus = std::make_unique<TSpThemeNexus>();
  return nexus.get();
}
