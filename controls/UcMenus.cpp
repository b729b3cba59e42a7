// Unicode menu items, shortcut texts and hot keys.
#include "controls/UcMenus.h"

#include "framework/Exceptions.h"
#include "framework/Graphics.h"
#include "framework/ImageList.h"
#include "framework/Mnemonics.h"
#include "framework/StrRoutines.h"
#include "framework/Win.h"

WideString ShortCutToWideText(TShortCut ShortCut) {
  Word key = static_cast<Word>(ShortCut & 0xFF);
  bool framework = key == VK_BACK || key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE ||
                   (key >= VK_SPACE && key <= VK_DOWN) || key == VK_INSERT || key == VK_DELETE ||
                   (key >= VK_F1 && key <= VK_F24);
  if (framework) return ShortCutToText(ShortCut);
  WideString name;
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z') || (key >= VK_NUMPAD0 && key <= VK_NUMPAD9)) {
    auto ch = static_cast<wchar_t>(MapVirtualKeyW(key, MAPVK_VK_TO_CHAR) & 0xFFFF);
    if (ch) name = WideString(1, ch);
  } else {
    wchar_t buffer[256] = {};
    LONG scan = static_cast<LONG>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16;
    int n = GetKeyNameTextW(scan, buffer, 256);
    if (n > 0) name.assign(buffer, static_cast<size_t>(n));
  }
  if (name.empty()) return WideString();
  WideString text;
  if (ShortCut & scShift) text += L"Shift+";
  if (ShortCut & scCtrl) text += L"Ctrl+";
  if (ShortCut & scAlt) text += L"Alt+";
  return text + name;
}

WideString StripMenuHotKeys(const WideString& Caption) {
  return StripMenuHotKeys(Caption, GetSystemMetrics(SM_DBCSENABLED) != 0);
}

WideString StripMenuHotKeys(const WideString& Caption, bool FarEast) {
  return FarEast ? StripAccelCharsFarEast(Caption) : StripAccelChars(Caption);
}

bool SameMenuCaption(const WideString& A, const WideString& B) {
  return WideCompareText(StripMenuHotKeys(A), StripMenuHotKeys(B)) == 0;
}

bool SameMenuCaptionExact(const WideString& A, const WideString& B) {
  return WideCompareStr(StripMenuHotKeys(A), StripMenuHotKeys(B)) == 0;
}

void SyncHotKeyPosition(const WideString& Source, WideString& Destination) {
  // Equal once stripped, the captions differ only where Source has its hot keys.
  if (Source == Destination || !SameMenuCaptionExact(Source, Destination)) return;
  Destination = Source;
}

namespace {

// The native menu the item's entry is in, and the entry's position there; -1 when none.
int FindNativeEntry(TMenuItem* Item, HMENU Menu) {
  int count = GetMenuItemCount(Menu);
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_SUBMENU;
    if (!GetMenuItemInfoW(Menu, static_cast<UINT>(i), TRUE, &info)) continue;
    if (info.hSubMenu ? (Item->HandleAllocated() && info.hSubMenu == Item->Handle()) : info.wID == Item->Command())
      return i;
  }
  return -1;
}

bool IsMainMenuBarItem(TMenuItem* Item) {
  TMenuItem* parent = Item->Parent();
  return parent && !parent->Parent() && dynamic_cast<TMainMenu*>(Item->GetParentMenu()) != nullptr;
}

}  // namespace

void UpdateNativeMenuItemCaption(TMenuItem* Item, TMenu* Menu) {
  if (!Item->Parent() || !Menu || Item->IsLoading() || Item->IsDestroying() || !Item->Visible()) return;
  if (!Item->Parent()->HandleAllocated()) return;
  HMENU native = Item->Parent()->Handle();
  int position = FindNativeEntry(Item, native);
  if (position < 0) return;
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE;
  if (!GetMenuItemInfoW(native, static_cast<UINT>(position), TRUE, &info)) return;
  if (info.fType & (MFT_BITMAP | MFT_OWNERDRAW | MFT_SEPARATOR)) return;
  WideString text = Item->Caption();
  bool barItem = IsMainMenuBarItem(Item);
  if (Item->Count() == 0 && Item->ShortCut() != 0 && !barItem) text += L"\t" + ShortCutToWideText(Item->ShortCut());
  wchar_t current[1024] = {};
  int n = GetMenuStringW(native, static_cast<UINT>(position), current, 1024, MF_BYPOSITION);
  if (WideString(current, static_cast<size_t>(std::max(n, 0))) == text) return;
  MENUITEMINFOW write{};
  write.cbSize = sizeof write;
  write.fMask = MIIM_STRING;
  write.dwTypeData = text.data();
  if (!SetMenuItemInfoW(native, static_cast<UINT>(position), TRUE, &write)) RaiseLastOSError();
  if (barItem && Menu->WindowHandle()) DrawMenuBar(Menu->WindowHandle());
}

// ---- TUcMenuItem ----

HV_PUBLISH(TUcMenuItem) {}

void TUcMenuItem::Loaded() {
  inherited::Loaded();
  UpdateNativeMenuItemCaption(this, GetParentMenu());
}

void TUcMenuItem::MenuChanged(bool Rebuild) {
  if (ignoreChange_) return;
  inherited::MenuChanged(Rebuild);
  TMenu* menu = GetParentMenu();
  std::function<void(TMenuItem*)> update = [&](TMenuItem* item) {
    for (int i = item->Count(); i-- > 0;) update(item->Items(i));
    if (dynamic_cast<TUcMenuItem*>(item)) UpdateNativeMenuItemCaption(item, menu);
  };
  update(this);
  if (menu && GetSystemMetrics(SM_MIDEASTENABLED) && menu->Items()->Count() > 0)
    if (auto* first = dynamic_cast<TUcMenuItem*>(menu->Items()->Items(0))) UpdateNativeMenuItemCaption(first, menu);
}

void TUcMenuItem::ActionChange(TObject* Sender, bool CheckDefaults) {
  if (auto* action = dynamic_cast<TCustomAction*>(Sender)) {
    if (!CheckDefaults || Caption().empty()) SetCaption(action->Caption());
    if (!CheckDefaults || Hint().empty()) SetHint(action->Hint());
  }
  inherited::ActionChange(Sender, CheckDefaults);
}

TMenuActionLink* TUcMenuItem::CreateActionLink() { return new TUcMenuActionLink(this); }

void TUcMenuItem::MeasureItem(TCanvas* ACanvas, int& Width, int& Height) {
  if (IsLine()) {
    inherited::MeasureItem(ACanvas, Width, Height);
    return;
  }
  TMenuMeasureItemEvent held = OnMeasureItem;
  OnMeasureItem = TMenuMeasureItemEvent();
  try {
    inherited::MeasureItem(ACanvas, Width, Height);
  } catch (...) {
    OnMeasureItem = held;
    throw;
  }
  OnMeasureItem = held;
  if (ShortCut() != 0 && !IsTopLevelOfMainMenu()) {
    auto width = [&](const WideString& s) {
      TRect r{};
      ACanvas->DrawText(r, s, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS | DT_NOCLIP);
      return r.Width();
    };
    // The framework measured its own shortcut text, except beside a sub-menu, where it shows
    // none; this item draws the keyboard's text in both places.
    const int measured = Count() == 0 ? width(ShortCutToText(ShortCut())) : -MenuShortCutGap;
    Width += width(ShortCutToWideText(ShortCut())) - measured;
  }
  if (OnMeasureItem) OnMeasureItem(this, ACanvas, Width, Height);
}

TRect TUcMenuItem::CaptionRect(const TRect& ARect, bool TopLevel) {
  TMenu* menu = GetParentMenu();
  TCustomImageList* images = menu ? menu->Images() : nullptr;
  bool imageDrawn = (images && ImageIndex() >= 0 && ImageIndex() < images->Count()) || (Checked() && !HasBitmap());
  bool glyph = imageDrawn || HasBitmap();
  int left = ARect.Left + 1, width;
  if (glyph) {
    width = images && imageDrawn ? images->Width() : 16;
    if (Checked()) ++left;
  } else {
    width = !TopLevel && images ? images->Width() : 0;
  }
  int glyphRight = left + width + 2;  // the area widened by 2 on the right
  return TRect(glyphRight + 1 + 2, ARect.Top, ARect.Right - 1, ARect.Bottom);
}

void TUcMenuItem::AdvancedDrawItem(TCanvas* ACanvas, const TRect& ARect, TOwnerDrawState State, bool TopLevel) {
  TMenu* menu = GetParentMenu();
  if (IsLine() || !menu || !menu->IsOwnerDraw() || OnAdvancedDrawItem || OnDrawItem) {
    inherited::AdvancedDrawItem(ACanvas, ARect, State, TopLevel);
    return;
  }
  // The framework draws background, glyph and check; the caption and shortcut are ours.
  WideString caption = Caption();
  TShortCut shortCut = ShortCut();
  ignoreChange_ = true;
  try {
    SetCaption(WideString());
    SetShortCut(TShortCut(0));
    inherited::AdvancedDrawItem(ACanvas, ARect, State, TopLevel);
  } catch (...) {
    SetCaption(caption);
    SetShortCut(shortCut);
    ignoreChange_ = false;
    throw;
  }
  SetCaption(caption);
  SetShortCut(shortCut);
  ignoreChange_ = false;
  DrawCaption(ACanvas, ARect, State, TopLevel);
}

void TUcMenuItem::DrawCaption(TCanvas* ACanvas, const TRect& ARect, TOwnerDrawState State, bool TopLevel) {
  TRect r = CaptionRect(ARect, TopLevel);
  unsigned flags = DT_EXPANDTABS | DT_SINGLELINE;
  if (State.Contains(odNoAccel)) flags |= DT_HIDEPREFIX;
  if (Default()) ACanvas->Font()->SetStyle(ACanvas->Font()->Style() + fsBold);
  WideString text = Caption();
  TRect measured = r;
  ACanvas->DrawText(measured, text.empty() || text == L"&" ? text + L" " : text, flags | DT_CALCRECT | DT_NOCLIP);
  r.Top += (r.Height() - measured.Height()) / 2;
  r.Bottom = r.Top + measured.Height();
  bool selected = State.Contains(odSelected);
  bool disabled = State.Contains(odDisabled) || State.Contains(odGrayed) || !Enabled();
  ACanvas->Brush()->SetStyle(bsClear);
  TRect keys(r.Left + measured.Width(), r.Top, ARect.Right - 10, r.Bottom);
  WideString keyText = !TopLevel && ShortCut() != 0 ? ShortCutToWideText(ShortCut()) : WideString();
  auto draw = [&](TRect at, int dx) {
    at.Left += dx;
    at.Top += dx;
    at.Right += dx;
    at.Bottom += dx;
    TRect k = keys;
    k.Left += dx;
    k.Top += dx;
    k.Right += dx;
    k.Bottom += dx;
    ACanvas->DrawText(at, text, flags);
    if (!keyText.empty()) ACanvas->DrawText(k, keyText, flags | DT_RIGHT);
  };
  if (disabled && !selected) {
    ACanvas->Font()->SetColor(clBtnHighlight);
    draw(r, 1);
    ACanvas->Font()->SetColor(clBtnShadow);
  } else if (disabled) {
    ACanvas->Font()->SetColor(ColorToRGB(clHighlight) == ColorToRGB(clBtnShadow) ? clBtnHighlight : clBtnShadow);
  } else {
    ACanvas->Font()->SetColor(selected ? clHighlightText : clMenuText);
  }
  draw(r, 0);
}

// ---- TUcMenuActionLink ----

HV_PUBLISH(TUcMenuActionLink) {}

bool TUcMenuActionLink::IsCaptionLinked() {
  return inherited::IsCaptionLinked() && SameMenuCaption(Client()->Caption(), CustomAction()->Caption());
}

bool TUcMenuActionLink::IsHintLinked() {
  return inherited::IsHintLinked() && Client()->Hint() == CustomAction()->Hint();
}
