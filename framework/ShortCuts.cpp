// Shortcut encoding and the texts of shortcuts.
#include "framework/ShortCuts.h"

#include <array>
#include <cwctype>
#include <string_view>

#include "framework/CodePages.h"
#include "framework/Win.h"

namespace {

constexpr uint16_t modifierBits = scShift | scCtrl | scAlt;

// The names the framework gives itself, so that texts of these keys do not depend on the
// keyboard layout (settings files and menus must read the same everywhere).
const wchar_t* FixedKeyName(Word key) {
  switch (key) {
    case 0x08: return L"BkSp";
    case 0x09: return L"Tab";
    case 0x0D: return L"Enter";
    case 0x1B: return L"Esc";
    case 0x20: return L"Space";
    case 0x21: return L"PgUp";
    case 0x22: return L"PgDn";
    case 0x23: return L"End";
    case 0x24: return L"Home";
    case 0x25: return L"Left";
    case 0x26: return L"Up";
    case 0x27: return L"Right";
    case 0x28: return L"Down";
    case 0x2D: return L"Ins";
    case 0x2E: return L"Del";
    default: return nullptr;
  }
}

WideString LayoutKeyName(Word key) {
  UINT scanCode = MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
  if (scanCode == 0) return {};
  wchar_t buffer[256] = {};
  int length = GetKeyNameTextW(static_cast<LONG>(scanCode << 16), buffer, 256);
  if (length <= 0) return {};
  return WideString(buffer, static_cast<size_t>(length));
}

WideString KeyName(Word key) {
  if (const wchar_t* fixed = FixedKeyName(key)) return fixed;
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return WideString(1, static_cast<wchar_t>(key));
  if (key >= VK_F1 && key <= VK_F24) return L"F" + std::to_wstring(key - VK_F1 + 1);
  if (key == 0 || key > 0xFF) return {};
  return LayoutKeyName(key);
}

WideString Upper(WideString s) {
  if (!s.empty()) CharUpperBuffW(s.data(), static_cast<DWORD>(s.size()));
  return s;
}

// Upper-cased names of the keys 0..255 for the current keyboard layout, made once per layout:
// reading a settings file turns hundreds of texts back into shortcuts.
const std::array<WideString, 256>& UpperKeyNames() {
  static std::array<WideString, 256> names;
  static HKL layout = nullptr;
  static bool built = false;
  HKL current = GetKeyboardLayout(0);
  if (!built || current != layout) {
    for (Word key = 0; key < 256; ++key) names[key] = key < 8 ? WideString() : Upper(KeyName(key));
    layout = current;
    built = true;
  }
  return names;
}

bool StartsWithAsciiNoCase(std::wstring_view text, std::wstring_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (std::towlower(text[i]) != std::towlower(prefix[i])) return false;
  return true;
}

std::wstring_view TrimBlanks(std::wstring_view s) {
  while (!s.empty() && s.front() <= L' ') s.remove_prefix(1);
  while (!s.empty() && s.back() <= L' ') s.remove_suffix(1);
  return s;
}

}  // namespace

TShortCut ShortCut(Word Key, TShiftState Shift) {
  if (Key > 0xFF) return TShortCut(0);
  uint16_t value = Key;
  if (Shift.Contains(ssShift)) value |= scShift;
  if (Shift.Contains(ssCtrl)) value |= scCtrl;
  if (Shift.Contains(ssAlt)) value |= scAlt;
  return TShortCut(value);
}

void ShortCutToKey(TShortCut ShortCut, Word& Key, TShiftState& Shift) {
  uint16_t value = ShortCut;
  Key = static_cast<Word>(value & ~modifierBits);
  Shift = {};
  if (value & scShift) Shift.Include(ssShift);
  if (value & scCtrl) Shift.Include(ssCtrl);
  if (value & scAlt) Shift.Include(ssAlt);
}

WideString ShortCutKeyName(Word Key) { return KeyName(Key); }

WideString ShortCutToText(TShortCut ShortCut) {
  uint16_t value = ShortCut;
  WideString name = KeyName(static_cast<Word>(value & 0xFF));
  if (name.empty()) return {};
  WideString text;
  if (value & scShift) text += L"Shift+";
  if (value & scCtrl) text += L"Ctrl+";
  if (value & scAlt) text += L"Alt+";
  return text + name;
}

TShortCut TextToShortCut(const WideString& Text) {
  std::wstring_view rest = TrimBlanks(Text);
  uint16_t modifiers = 0;
  for (;;) {
    if (StartsWithAsciiNoCase(rest, L"Shift+")) {
      modifiers |= scShift;
      rest.remove_prefix(6);
    } else if (StartsWithAsciiNoCase(rest, L"Ctrl+")) {
      modifiers |= scCtrl;
      rest.remove_prefix(5);
    } else if (StartsWithAsciiNoCase(rest, L"Alt+")) {
      modifiers |= scAlt;
      rest.remove_prefix(4);
    } else {
      break;
    }
  }
  if (rest.empty()) return TShortCut(0);
  WideString wanted = Upper(WideString(rest));
  const auto& names = UpperKeyNames();
  // Some layouts give an OEM key of a vendor range (0x92-0x96) the name of a common one ("=");
  // the common key is the one the keyboard sends.
  Word vendor = 0;
  for (Word key = 8; key < 256; ++key) {
    if (names[key] != wanted) continue;
    if (key >= 0x92 && key <= 0x96) {
      if (!vendor) vendor = key;
      continue;
    }
    return TShortCut(key | modifiers);
  }
  return vendor ? TShortCut(vendor | modifiers) : TShortCut(0);
}

TShortCut TextToShortCut(const AnsiString& Text) { return TextToShortCut(AnsiToWide(Text)); }
