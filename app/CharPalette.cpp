// The character palette of the "Character" submenu and the application's hint window.
#include "app/CharPalette.h"

#include "app/TextRoutines.h"
#include "editor/TxtEdit.h"
#include "foundation/ApAppStorage.h"
#include "framework/Application.h"
#include "framework/CodePages.h"
#include "framework/Conversions.h"
#include "framework/Format.h"
#include "themes/Ui.h"
#include "themes/UiThemes.h"

HV_PUBLISH(TCharPalette) { p.Prop("Chars", &T::Chars, &T::SetChars); }
HV_PUBLISH(TCharViewer) {}
HV_PUBLISH(TSafeHintWindow) {}

namespace {

constexpr int maxRecentChars = 15;
const char* const lastCharsSection = "LastChars";

// The code of a decimal text, 0 for anything else.
int CodeOf(const AnsiString& Text) {
  if (!IsInteger(Text)) return 0;
  const int code = StrToIntDef(Text, 0);
  return code >= 32 && code <= 255 ? code : 0;
}

DWORD SystemClock() { return GetTickCount(); }
TSafeHintWindow::TClock hintClock = SystemClock;

}  // namespace

TCharPalette::TCharPalette(TComponent* AOwner) : TUiCustomToolPalette(AOwner), chars_(std::make_unique<TStringList>()) {
  SetColCount(5);
  SetRowCount(1);
  SetOptions(Options() + tboShowHint + tboToolbarStyle);
  SetPaletteOptions(PaletteOptions() + tpoNoAutoSelect);
  SetStretch(true);
}

void TCharPalette::SetChars(TStrings* Value) {
  if (Value->Text() == chars_->Text()) return;
  chars_->Assign(Value);
  UpdateRows(this);
}

TBarItemViewerClass TCharPalette::ViewerClass(TBarView*) { return &MakeBarItemViewer<TCharViewer>; }

WideString TCharPalette::GetCellHint(int ACol, int ARow) {
  const int code = CharAt(this, ACol, ARow);
  if (code == 0 || CharCodeFormat.empty() || ShortcutFormat.empty()) return WideString();
  return FormatTranslated(CharCodeFormat, "sCharCode", {code, code}) + L"\r\n" +
         FormatTranslated(ShortcutFormat, "sShortcutKeys", {code});
}

void TCharPalette::DoGetCellHint(int ACol, int ARow, WideString& HintText) {
  HintText = GetCellHint(ACol, ARow);
  TUiCustomToolPalette::DoGetCellHint(ACol, ARow, HintText);
}

void SeedRecentChars(TCharPalette* Palette) {
  for (int code : {148, 147, 146, 167, 153, 174, 169, 133, 151, 187, 171}) AddRecentChar(Palette, code);
}

void AddRecentChar(TCharPalette* Palette, int Code) {
  if (Code < 32 || Code > 255) return;
  AddToHistory(Palette->Chars(), std::to_string(Code), maxRecentChars);
  UpdateRows(Palette);
}

int CharAt(TCharPalette* Palette, int Col, int Row) {
  if (Col < 0 || Row < 0 || Col >= Palette->ColCount()) return 0;
  const int index = Row * Palette->ColCount() + Col;
  return index < Palette->Chars()->Count() ? CodeOf(Palette->Chars()->Strings(index)) : 0;
}

void UpdateRows(TCharPalette* Palette) {
  const int cols = std::max(Palette->ColCount(), 1);
  Palette->SetRowCount((Palette->Chars()->Count() + cols - 1) / cols);
}

void LoadLastChars(TCharPalette* Palette, TApCustomAppStorage& Storage) {
  Storage.LimitList(lastCharsSection, maxRecentChars);
  if (Storage.ListStored(lastCharsSection)) {
    TStringList read, stored;
    Storage.ReadStoredStringList(lastCharsSection, read);
    for (int i = 0; i < read.Count(); ++i)
      if (IsInteger(read[i]) && stored.Count() < maxRecentChars) stored.Add(read[i]);
    Palette->SetChars(&stored);
    UpdateRows(Palette);
  }
  Storage.RecordStartingValues([&] { SaveLastChars(Palette, Storage); });
}

void SaveLastChars(TCharPalette* Palette, TApCustomAppStorage& Storage) {
  Storage.WriteStoredStringList(lastCharsSection, *Palette->Chars());
}

bool InsertPaletteChar(TCharPalette* Palette, int Col, int Row, TCustomTxtEdit* Editor) {
  if (!Palette->Enabled() || !Editor) return false;
  const int code = CharAt(Palette, Col, Row);
  if (code == 0) return false;
  Editor->SetSelText(AnsiString(1, static_cast<char>(code)));
  AddRecentChar(Palette, code);
  return true;
}

// ---- the viewer ----

TCharViewer::TCharViewer(TBarView* AView, TBarCustomItem* AItem, int AGroupLevel)
    : TUiToolViewer(AView, AItem, AGroupLevel) {}

TPoint TCharViewer::GetImageSize() { return {21, 21}; }

bool TCharViewer::IsCellVisible(const TPoint& Cell) {
  auto* palette = dynamic_cast<TCharPalette*>(Palette());
  return palette && Cell.X >= 0 && Cell.Y >= 0 && Cell.X < palette->ColCount() && Cell.Y < palette->RowCount() &&
         Cell.Y * palette->ColCount() + Cell.X < palette->Chars()->Count();
}

void TCharViewer::KeyDown(Word& Key, TShiftState Shift) {
  if (Item()->Enabled())
    TUiToolViewer::KeyDown(Key, Shift);
  else
    TUiItemViewer::KeyDown(Key, Shift);
}

bool TCharViewer::CellClickEndsMenu(const TPoint& Cell) {
  auto* palette = dynamic_cast<TCharPalette*>(Palette());
  return palette && palette->Enabled() && CharAt(palette, Cell.X, Cell.Y) != 0;
}

void TCharViewer::DrawCellImage(TCanvas* Canvas, const TRect& ARect, int ACol, int ARow, const TUiItemInfo& ItemInfo) {
  auto* palette = dynamic_cast<TCharPalette*>(Palette());
  const int code = palette ? CharAt(palette, ACol, ARow) : 0;
  if (code == 0) return;
  // The character is centred on one line in its place in the cell.
  TRect r = ARect;
  Canvas->Brush()->SetStyle(bsClear);
  if (CurrentTheme) Canvas->Font()->SetColor(CurrentTheme->GetItemTextColor(ItemInfo));
  Canvas->DrawText(r, AnsiToWide(AnsiString(1, static_cast<char>(code))),
                   DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

// ---- the hint window ----

TRect KeepOnDesktop(TRect Rect, const TRect& Desktop) {
  const int width = Rect.Width(), height = Rect.Height();
  if (Rect.Bottom > Desktop.Bottom) Rect.Top = Desktop.Bottom - height;
  if (Rect.Left + width > Desktop.Right) Rect.Left = Desktop.Right - width;
  if (Rect.Left < Desktop.Left) Rect.Left = Desktop.Left;
  if (Rect.Top < Desktop.Top) Rect.Top = Desktop.Top;
  return {Rect.Left, Rect.Top, Rect.Left + width, Rect.Top + height};
}

THintAnimation ChooseHintAnimation(const THintShowFacts& Facts) {
  if (Facts.Now - Facts.LastShown <= 250 || Facts.TextLength >= 100 || !Facts.CanAnimate || !Facts.TooltipAnimation)
    return THintAnimation::None;
  if (Facts.TooltipFade) return THintAnimation::Blend;
  return Facts.MouseAtOrAboveTop ? THintAnimation::SlideDown : THintAnimation::SlideUp;
}

DWORD HintAnimateFlags(THintAnimation Animation) {
  switch (Animation) {
    case THintAnimation::Blend: return AW_BLEND | AW_SLIDE;
    case THintAnimation::SlideDown: return AW_VER_POSITIVE | AW_SLIDE;
    case THintAnimation::SlideUp: return AW_VER_NEGATIVE | AW_SLIDE;
    case THintAnimation::None: break;
  }
  return 0;
}

TSafeHintWindow::TSafeHintWindow(TComponent* AOwner) : THintWindow(AOwner) {}

void TSafeHintWindow::SetClock(TClock Clock) { hintClock = Clock ? Clock : SystemClock; }

void TSafeHintWindow::CreateParams(TCreateParams& Params) {
  THintWindow::CreateParams(Params);
  Params.ExStyle |= WS_EX_TOPMOST;
}

void TSafeHintWindow::ActivateHint(TRect Rect, const WideString& AHint) {
  SetCaption(AHint);
  // Four blanks ask for a colour swatch in the colour the caller set.
  if (AHint != L"    ") Application->SetHintColor(clInfoBk);
  SetColor(Application->HintColor());
  Rect.Bottom += 4;
  const TRect desktop{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                      GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                      GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  const TRect r = KeepOnDesktop(Rect, desktop);
  SetBounds(r.Left, r.Top, r.Width(), r.Height());
  SetWindowPos(Handle(), HWND_TOPMOST, r.Left, r.Top, r.Width(), r.Height(), SWP_NOACTIVATE | SWP_NOOWNERZORDER);
  THintShowFacts facts;
  facts.Now = hintClock();
  facts.LastShown = shownOnce_ ? lastShown_ : facts.Now - 1000;
  facts.TextLength = AHint.size();
  BOOL on = FALSE;
  SystemParametersInfoW(SPI_GETTOOLTIPANIMATION, 0, &on, 0);
  facts.TooltipAnimation = on != FALSE;
  on = FALSE;
  SystemParametersInfoW(SPI_GETTOOLTIPFADE, 0, &on, 0);
  facts.TooltipFade = on != FALSE;
  POINT mouse{};
  GetCursorPos(&mouse);
  facts.MouseAtOrAboveTop = mouse.y <= r.Top;
  lastAnimation_ = ChooseHintAnimation(facts);
  SetWindowLongPtrW(Handle(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(Application->Handle()));
  const DWORD animate = HintAnimateFlags(lastAnimation_);
  const bool shown = animate && AnimateWindow(Handle(), 100, animate) != FALSE;
  if (!shown) ShowWindow(Handle(), SW_SHOWNOACTIVATE);
  Invalidate();
  lastShown_ = hintClock();
  shownOnce_ = true;
}
