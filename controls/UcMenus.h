// Unicode menu items: the shortcut text of a key, hot keys ("&") stripped and compared, the
// native entry of an item written with its caption, a tab and the shortcut, and the owner-drawn
// item measured and drawn with its text.
#pragma once

#include "framework/Menus.h"

// "Shift+", "Ctrl+", "Alt+" and the key's name: the framework's names for Backspace, Tab,
// Enter, Esc, Space, the page and arrow keys, Ins, Del and F1..F24; the keyboard's character
// for digits and letters; the keyboard's name for any other key. Empty when the key has no
// name.
WideString ShortCutToWideText(TShortCut ShortCut);

// The caption without hot-key marks: "&&" gives "&", any other "&" goes and the character
// after it stays. On a Far-East system a hot key in parentheses, "(&F)", goes as a whole.
WideString StripMenuHotKeys(const WideString& Caption);
WideString StripMenuHotKeys(const WideString& Caption, bool FarEast);
// Captions compared once stripped: without regard to letter case / exactly.
bool SameMenuCaption(const WideString& A, const WideString& B);
bool SameMenuCaptionExact(const WideString& A, const WideString& B);
// When the two captions differ only in their hot keys, Destination takes those of Source.
void SyncHotKeyPosition(const WideString& Source, WideString& Destination);

class TUcMenuItem;
// Writes the item's native entry: its caption and, for an item without sub-items that has a
// shortcut and is not in a menu bar, a tab and ShortCutToWideText. Raises the system's error
// when the entry cannot be written.
void UpdateNativeMenuItemCaption(TMenuItem* Item, TMenu* Menu);

class TUcMenuItem : public TMenuItem {
  HV_CLASS(TUcMenuItem, TMenuItem)
 public:
  explicit TUcMenuItem(TComponent* AOwner) : TMenuItem(AOwner) {}

  void Loaded() override;
  void MeasureItem(TCanvas* ACanvas, int& Width, int& Height) override;
  void AdvancedDrawItem(TCanvas* ACanvas, const TRect& ARect, TOwnerDrawState State, bool TopLevel) override;
  // Where the caption of an owner-drawn item goes in ARect.
  TRect CaptionRect(const TRect& ARect, bool TopLevel);

 protected:
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  TMenuActionLink* CreateActionLink() override;
  void MenuChanged(bool Rebuild) override;

 private:
  void DrawCaption(TCanvas* ACanvas, const TRect& ARect, TOwnerDrawState State, bool TopLevel);
  bool ignoreChange_ = false;
};

// Follows the action's caption while the item shows it (compared as SameMenuCaption does).
class TUcMenuActionLink : public TMenuActionLink {
  HV_CLASS(TUcMenuActionLink, TMenuActionLink)
 public:
  explicit TUcMenuActionLink(TMenuItem* AClient) : TMenuActionLink(AClient) {}
  bool IsCaptionLinked() override;
  bool IsHintLinked() override;
};
