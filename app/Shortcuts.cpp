// The command list and "Shortcuts.ini".
#include "app/Shortcuts.h"

#include <vector>

#include "framework/Actions.h"
#include "framework/CodePages.h"
#include "framework/IniFiles.h"
#include "framework/ShortCuts.h"
#include "themes/UiExtItems.h"
#include "toolbars/BarItem.h"

namespace {

const char* const section = "Shortcuts";

bool IsExcluded(TBarCustomItem* Item, const TClassInfo* Excluded) { return Item->ClassInfo().InheritsFrom(*Excluded); }

void Walk(TBarCustomItem* Item, TStrings* List, const TClassInfo* Excluded) {
  for (int i = 0; i < Item->Count(); ++i) {
    TBarCustomItem* sub = Item->Items(i);
    const bool skip = (sub->ItemStyle() & (tbisDivider | tbisInlineGroup | tbisIgnoresClicks)) ||
                      IsExcluded(sub, Excluded) || sub->Name() == "smnitmSyntaxHighlighting" ||
                      sub->Name() == "bmnitmEmpty";
    if (!skip) List->AddObject(sub->Name(), sub);
    if (sub->Count() > 0) Walk(sub, List, Excluded);
  }
}

TCustomAction* ActionOf(TStrings* Commands, int Index) {
  auto* item = dynamic_cast<TBarCustomItem*>(Commands->Objects(Index));
  return item ? dynamic_cast<TCustomAction*>(item->Action()) : nullptr;
}

AnsiString Trimmed(const AnsiString& S) {
  size_t first = 0, last = S.size();
  while (first < last && static_cast<unsigned char>(S[first]) <= 32) ++first;
  while (last > first && static_cast<unsigned char>(S[last - 1]) <= 32) --last;
  return S.substr(first, last - first);
}

std::vector<AnsiString> SplitEntry(const AnsiString& Value) {
  std::vector<AnsiString> fields;
  size_t start = 0;
  for (;;) {
    const size_t at = Value.find(", ", start);
    const AnsiString field = Trimmed(Value.substr(start, at == AnsiString::npos ? AnsiString::npos : at - start));
    if (!field.empty()) fields.push_back(field);
    if (at == AnsiString::npos) return fields;
    start = at + 2;
  }
}

}  // namespace

void BuildCommandList(TBarCustomItem* MenuRoot, TStrings* List, const TClassInfo* Excluded) {
  if (!Excluded) Excluded = &TUiMRUListItem::StaticClassInfo();
  List->Clear();
  if (!MenuRoot) return;
  for (int i = 0; i < MenuRoot->Count(); ++i) {
    TBarCustomItem* top = MenuRoot->Items(i);
    if (!(top->ItemStyle() & tbisHasSubmenu) || IsExcluded(top, Excluded)) continue;
    List->AddObject(top->Name(), top);
    Walk(top, List, Excluded);
  }
}

void SaveShortcuts(TStrings* Commands, const WideString& FileName) {
  TIniFile ini(FileName);
  ini.WriteInteger(section, "Count", Commands->Count());
  for (int i = 0; i < Commands->Count(); ++i) {
    TCustomAction* action = ActionOf(Commands, i);
    if (!action) continue;
    AnsiString value = Commands->Strings(i) + ", ";
    value += action->ShortCut() ? WideToAnsi(ShortCutToText(action->ShortCut())) : AnsiString("0");
    TShortCutList* more = action->SecondaryShortCuts();
    for (int k = 0; k < more->Count(); ++k)
      if (const TShortCut shortCut = more->ShortCuts(k)) value += ", " + WideToAnsi(ShortCutToText(shortCut));
    ini.WriteString(section, "Item" + std::to_string(i), value);
  }
}

void LoadShortcuts(TStrings* Commands, const WideString& FileName) {
  TMemIniFile ini(FileName);
  for (int i = 0; i < Commands->Count(); ++i) {
    TCustomAction* action = ActionOf(Commands, i);
    if (!action) continue;
    const std::vector<AnsiString> fields =
        SplitEntry(ini.ReadString(section, "Item" + std::to_string(i), AnsiString()));
    if (fields.empty() || fields[0] != Commands->Strings(i)) continue;
    const TShortCut main = fields.size() > 1 && fields[1] != "0" ? TextToShortCut(fields[1]) : TShortCut(0);
    action->SetShortCut(main);
    TShortCutList* more = action->SecondaryShortCuts();
    more->Clear();
    if (!main) continue;
    for (size_t k = 2; k < fields.size(); ++k)
      if (const TShortCut shortCut = TextToShortCut(fields[k])) more->Add(WideToAnsi(ShortCutToText(shortCut)));
  }
}
