// What kind of item a viewer shows, asked by the units of the view.
#pragma once

#include "toolbars/BarItemViewer.h"

inline bool HasSubmenu(const TBarItemViewer* v) { return v && (v->Item()->ItemStyle() & tbisHasSubmenu); }
inline bool IsSeparator(const TBarItemViewer* v) { return v->Item()->ItemStyle() & tbisDivider; }
inline bool IsControlItem(const TBarItemViewer* v) { return dynamic_cast<TBarControlItem*>(v->Item()) != nullptr; }
