// The command list (every command item of the main menu, by name) and the user's keyboard
// shortcuts of their actions, kept in "Shortcuts.ini" of the data folder.
#pragma once

#include "framework/StringLists.h"
#include "framework/Types.h"

class TBarCustomItem;
struct TClassInfo;

// Fills List with the Name of every command item under the menu bar's root item, the item as
// its object: each top-level submenu, then the walk of its sub-items, leaving out dividers,
// inline groups, items that ignore clicks, items of the Excluded class (the recent-files list
// by default), "smnitmSyntaxHighlighting" and "bmnitmEmpty". The sub-items of every item are
// walked, added or not.
void BuildCommandList(TBarCustomItem* MenuRoot, TStrings* List, const TClassInfo* Excluded = nullptr);

// [Shortcuts] Count, then ItemN = "Name, shortcut text or 0, secondary, ..." for every entry
// whose item has an action. Unreadable secondary shortcuts are not kept.
void SaveShortcuts(TStrings* Commands, const WideString& FileName);
// Applies the entries whose name matches the item at their index; a missing file or entry
// changes nothing. "0" (or a text naming no key) clears the shortcut and the secondary ones.
void LoadShortcuts(TStrings* Commands, const WideString& FileName);
