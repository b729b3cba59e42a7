// The text drawer, its font stock and the shared register of style variants.
#include "editor/TxtEditTextDrawer.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

HV_PUBLISH(TheTextDrawer) {}

namespace {

const char kSetBaseFontMessage[] = "SetBaseFont: 'Value' must be specified.";

// Broken internal contracts of the drawing code: not reachable from user input.
void Require(bool condition, const char* what) {
  if (!condition) throw EAssertionFailed(what);
}

TFontStyles StyleOfIndex(int index) {
  TFontStyles style;
  if (index & 1) style.Include(fsBold);
  if (index & 2) style.Include(fsItalic);
  if (index & 4) style.Include(fsUnderline);
  if (index & 8) style.Include(fsStrikeOut);
  return style;
}

}  // namespace

int StyleIndex(TFontStyles Style) {
  return (Style.Contains(fsBold) ? 1 : 0) | (Style.Contains(fsItalic) ? 2 : 0) | (Style.Contains(fsUnderline) ? 4 : 0) |
         (Style.Contains(fsStrikeOut) ? 8 : 0);
}

// ---- TheFontsInfoManager ----

TheFontsInfoManager& GetFontsInfoManager() {
  static TheFontsInfoManager manager;
  return manager;
}

TheFontsInfoManager::~TheFontsInfoManager() = default;

LOGFONTW TheFontsInfoManager::LogFontForComparison(TFont* BaseFont) {
  LOGFONTW lf = BaseFont->LogFont();
  lf.lfItalic = 0;
  lf.lfUnderline = 0;
  lf.lfStrikeOut = 0;
  size_t used = wcsnlen(lf.lfFaceName, LF_FACESIZE);
  std::memset(lf.lfFaceName + used, 0, (LF_FACESIZE - used) * sizeof(wchar_t));
  return lf;
}

SharedFontsInfo* TheFontsInfoManager::FindFontsInfo(const LOGFONTW& LF) {
  for (auto& info : fontsInfo_)
    if (std::memcmp(&info->BaseLF, &LF, sizeof LF) == 0) return info.get();
  return nullptr;
}

SharedFontsInfo* TheFontsInfoManager::CreateFontsInfo(TFont* BaseFont, const LOGFONTW& LF) {
  auto info = std::make_unique<SharedFontsInfo>();
  info->BaseFont = std::make_unique<TFont>();
  info->BaseFont->Assign(BaseFont);
  info->BaseLF = LF;
  info->IsTrueType = (LF.lfPitchAndFamily & 4) != 0;
  {
    TWindowDC screen;
    TFontHandle probe(CreateFontIndirectW(&LF));
    TSelectObject selection(screen.Get(), probe.Get());
    info->IsDBCSFont = (GetFontLanguageInfo(screen.Get()) & GCP_DBCS) != 0;
  }
  fontsInfo_.push_back(std::move(info));
  return fontsInfo_.back().get();
}

SharedFontsInfo* TheFontsInfoManager::AcquireFontsInfo(TFont* BaseFont) {
  LOGFONTW lf = LogFontForComparison(BaseFont);
  SharedFontsInfo* info = FindFontsInfo(lf);
  if (!info) info = CreateFontsInfo(BaseFont, lf);
  ++info->RefCount;
  return info;
}

void TheFontsInfoManager::ReleaseFontsInfo(SharedFontsInfo* Info) {
  if (!Info) return;
  Require(Info->LockCount < Info->RefCount, "Call DeactivateFontsInfo before calling this.");
  if (Info->RefCount > 1) {
    --Info->RefCount;
    return;
  }
  auto it = std::find_if(fontsInfo_.begin(), fontsInfo_.end(), [Info](auto& p) { return p.get() == Info; });
  if (it != fontsInfo_.end()) fontsInfo_.erase(it);
}

void TheFontsInfoManager::LockFontHandles(SharedFontsInfo* Info) { ++Info->LockCount; }

void TheFontsInfoManager::UnlockFontHandles(SharedFontsInfo* Info) {
  if (Info->LockCount == 0) return;
  if (--Info->LockCount == 0)
    for (FontData& data : Info->FontsData) data.Handle.Reset();
}

// ---- TheFontStock ----

TheFontStock::TheFontStock(TFont* InitialFont) { SetBaseFont(InitialFont); }

TheFontStock::~TheFontStock() {
  ReleaseFontHandles();
  GetFontsInfoManager().ReleaseFontsInfo(fontsInfo_);
}

HDC TheFontStock::InternalGetDC() {
  if (dcRefCount_++ == 0) dc_ = TWindowDC();
  return dc_.Get();
}

void TheFontStock::InternalReleaseDC(HDC) {
  if (dcRefCount_ > 0 && --dcRefCount_ == 0) dc_.Reset();
}

HFONT TheFontStock::InternalCreateFont(TFontStyles Style) {
  baseLF_.lfWeight = Style.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
  baseLF_.lfItalic = Style.Contains(fsItalic) ? 1 : 0;
  baseLF_.lfUnderline = Style.Contains(fsUnderline) ? 1 : 0;
  baseLF_.lfStrikeOut = Style.Contains(fsStrikeOut) ? 1 : 0;
  return CreateFontIndirectW(&baseLF_);
}

// The cell of a variant is the whole advance of "M" (ABC widths and the overhang). Fonts that
// report no ABC widths use their average character width.
int TheFontStock::CalcFontAdvance(HDC DC, int* CharHeight, int* DBCharAdvance) {
  TEXTMETRICW tm{};
  GetTextMetricsW(DC, &tm);
  ABC abc{};
  bool hasABC = GetCharABCWidthsW(DC, L'M', L'M', &abc) != 0;
  int overhang = tm.tmOverhang;
  if (!hasABC) {
    abc = ABC{0, static_cast<UINT>(tm.tmAveCharWidth), 0};
    overhang = 0;
  }
  int advance = abc.abcA + static_cast<int>(abc.abcB) + abc.abcC + overhang;
  if (CharHeight) *CharHeight = std::abs(tm.tmHeight);
  if (DBCharAdvance) {
    *DBCharAdvance = INT_MAX;
    if (IsDBCSFont() && tm.tmCharSet == SHIFTJIS_CHARSET && hasABC) {
      ABC first{}, second{};
      if (GetCharABCWidthsA(DC, 0x8201, 0x8201, &first) && GetCharABCWidthsA(DC, 0x82A0, 0x82A0, &second)) {
        int w1 = first.abcA + static_cast<int>(first.abcB) + first.abcC;
        int w2 = second.abcA + static_cast<int>(second.abcB) + second.abcC;
        if (w1 * 2 >= advance * 3 && w1 == w2) *DBCharAdvance = w1;
      }
    }
  }
  return advance;
}

FontData* TheFontStock::GetFontData(int Index) { return &fontsInfo_->FontsData[static_cast<size_t>(Index)]; }

int TheFontStock::GetCharAdvance() const { return currentFontData_ ? currentFontData_->CharAdvance : 0; }
int TheFontStock::GetCharHeight() const { return currentFontData_ ? currentFontData_->CharHeight : 0; }
int TheFontStock::GetDBCharAdvance() const { return currentFontData_ ? currentFontData_->DBCharAdvance : 0; }
bool TheFontStock::IsDBCSFont() const { return fontsInfo_ && fontsInfo_->IsDBCSFont; }

void TheFontStock::SetBaseFont(TFont* Value) {
  if (!Value) throw EheFontStockException(kSetBaseFontMessage);
  TheFontsInfoManager& manager = GetFontsInfoManager();
  SharedFontsInfo* info = manager.AcquireFontsInfo(Value);
  if (info == fontsInfo_) {
    manager.ReleaseFontsInfo(info);
    return;
  }
  ReleaseFontHandles();
  manager.ReleaseFontsInfo(fontsInfo_);
  fontsInfo_ = info;
  baseLF_ = info->BaseLF;
  currentFontData_ = nullptr;
  currentFont_ = nullptr;
  SetStyle(Value->Style());
}

void TheFontStock::SetStyle(TFontStyles Value) {
  int index = StyleIndex(Value);
  if (!usingFontHandles_) {
    GetFontsInfoManager().LockFontHandles(fontsInfo_);
    usingFontHandles_ = true;
  }
  FontData* data = GetFontData(index);
  if (data == currentFontData_) return;
  currentFontData_ = data;
  currentStyle_ = StyleOfIndex(index);
  if (!data->Handle) {
    data->Style = currentStyle_;
    data->Handle.Reset(InternalCreateFont(currentStyle_));
    HDC dc = InternalGetDC();
    {
      TSelectObject selection(dc, data->Handle.Get());
      data->CharAdvance = CalcFontAdvance(dc, &data->CharHeight, &data->DBCharAdvance);
    }
    InternalReleaseDC(dc);
  }
  currentFont_ = data->Handle.Get();
}

// Forgets the current variant as well: its handle may be deleted once no stock uses it, and
// the next SetStyle has to make it again.
void TheFontStock::ReleaseFontHandles() {
  if (!usingFontHandles_) return;
  GetFontsInfoManager().UnlockFontHandles(fontsInfo_);
  usingFontHandles_ = false;
  currentFontData_ = nullptr;
  currentFont_ = nullptr;
}

// ---- TheTextDrawer ----

TheTextDrawer::TheTextDrawer(TFontStyles CalcExtentBaseStyle, TFont* BaseFont)
    : calcExtentBaseStyle_(CalcExtentBaseStyle) {
  // The stock is made first and refuses a missing font with its own exception.
  fontStock_ = std::make_unique<TheFontStock>(BaseFont);
  SetBaseFont(BaseFont);
}

TheTextDrawer::~TheTextDrawer() {
  if (dc_ && savedDC_) RestoreDC(dc_, savedDC_);
}

void TheTextDrawer::MeasureBase() {
  fontStock_->SetStyle(calcExtentBaseStyle_);
  baseCharWidth_ = fontStock_->GetCharAdvance();
  baseCharHeight_ = fontStock_->GetCharHeight();
}

void TheTextDrawer::SetBaseFont(TFont* Value) {
  if (!Value) throw EheTextDrawerException(kSetBaseFontMessage);
  Require(drawingCount_ == 0, "TheTextDrawer.SetBaseFont inside a drawing bracket");
  ReleaseSpacingArray();
  fontStock_->SetBaseFont(Value);
  MeasureBase();
  style_ = TFontStyles{};
  currentFont_ = nullptr;
  SetStyle(Value->Style());
}

void TheTextDrawer::SetBaseStyle(TFontStyles Value) {
  if (Value == calcExtentBaseStyle_) return;
  calcExtentBaseStyle_ = Value;
  ReleaseSpacingArray();
  MeasureBase();
  fontStock_->SetStyle(style_);
}

void TheTextDrawer::SetStyle(TFontStyles Value) {
  fontStock_->SetStyle(Value);
  style_ = Value;
  currentFont_ = fontStock_->FontHandle();
  AfterStyleSet();
}

void TheTextDrawer::AfterStyleSet() {
  if (dc_) SelectObject(dc_, currentFont_);
}

void TheTextDrawer::BeginDrawing(HDC DC) {
  if (dc_ && DC == dc_) {
    ++drawingCount_;
    return;
  }
  Require(DC != nullptr, "TheTextDrawer.BeginDrawing without a device context");
  Require(dc_ == nullptr && drawingCount_ == 0, "TheTextDrawer.BeginDrawing on a second device context");
  // The handles may have been given back since the last bracket.
  if (!currentFont_) SetStyle(style_);
  dc_ = DC;
  savedDC_ = SaveDC(DC);
  SelectObject(DC, currentFont_);
  SetTextColor(DC, ColorToRGB(foreColor_));
  SetBkColor(DC, ColorToRGB(backColor_));
  DoSetCharExtra(charExtra_);
  ++drawingCount_;
}

void TheTextDrawer::EndDrawing() {
  Require(drawingCount_ >= 1, "TheTextDrawer.EndDrawing without BeginDrawing");
  if (--drawingCount_ > 0) return;
  if (savedDC_) RestoreDC(dc_, savedDC_);
  savedDC_ = 0;
  dc_ = nullptr;
}

void TheTextDrawer::SetForeColor(TColor Value) {
  if (Value == foreColor_) return;
  foreColor_ = Value;
  if (dc_) SetTextColor(dc_, ColorToRGB(Value));
}

void TheTextDrawer::SetBackColor(TColor Value) {
  if (Value == backColor_) return;
  backColor_ = Value;
  if (dc_) SetBkColor(dc_, ColorToRGB(Value));
}

// The cell width changes with it, so the advances made for the old width must go too.
void TheTextDrawer::SetCharExtra(int Value) {
  if (Value == charExtra_) return;
  charExtra_ = Value;
  ReleaseSpacingArray();
  DoSetCharExtra(Value);
}

void TheTextDrawer::DoSetCharExtra(int Value) {
  if (dc_) SetTextCharacterExtra(dc_, Value);
}

void TheTextDrawer::TextOut(int X, int Y, const char* Text, int Length) {
  if (dc_) TextOutA(dc_, X, Y, Text, Length);
}

// The advances come from an array of cell widths that only grows, in steps of 64 entries.
// The cell width already holds the extra spacing, and the system would add the device
// context's own extra spacing on top of each advance: it is switched off for the call.
void TheTextDrawer::ExtTextOut(int X, int Y, UINT Options, const TRect& ARect, const char* Text, int Length) {
  if (!dc_ || Length < 0) return;
  if (SpacingArraySize() < Length) spacingArray_.resize(static_cast<size_t>(Length / 64 * 64 + 64), GetCharWidth());
  RECT r{ARect.Left, ARect.Top, ARect.Right, ARect.Bottom};
  if (charExtra_ != 0) SetTextCharacterExtra(dc_, 0);
  ExtTextOutA(dc_, X, Y, Options, &r, Text, static_cast<UINT>(Length), spacingArray_.data());
  if (charExtra_ != 0) SetTextCharacterExtra(dc_, charExtra_);
}

// Handles are given back only outside a bracket: a font still selected into a device context
// must not be deleted.
void TheTextDrawer::ReleaseTemporaryResources() {
  if (drawingCount_ > 0) return;
  fontStock_->ReleaseFontHandles();
  currentFont_ = nullptr;
}
