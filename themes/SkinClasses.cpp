// Registers every skinned and themed class that a form file may name, so that reading a form
// never depends on which units the linker happened to keep.
#include "themes/SkinControls.h"
#include "themes/SkinCustomizer.h"
#include "themes/SkinEditors.h"
#include "themes/SkinTabs.h"
#include "themes/SkinTitleBar.h"
#include "themes/SkinToolbar.h"
#include "themes/UiDkPanels.h"
#include "themes/UiExtItems.h"
#include "themes/UiStatusBars.h"
#include "themes/UiToolPals.h"

void RegisterSkinClasses() {
  RegisterClasses(
      {// items and bars
       &TSkinItem::StaticClassInfo(), &TSkinSubmenuItem::StaticClassInfo(), &TSkinLabelItem::StaticClassInfo(),
       &TSkinRightAlignSpacerItem::StaticClassInfo(), &TSkinSeparatorItem::StaticClassInfo(),
       &TSkinToolbar::StaticClassInfo(), &TSkinDock::StaticClassInfo(), &TSkinPopupMenu::StaticClassInfo(),
       &TSkinStatusToolbar::StaticClassInfo(), &TSkinCompoundItemsControl::StaticClassInfo(),
       &TSkinTitleBar::StaticClassInfo(), &TSkinCustomizer::StaticClassInfo(),
       // the themed layer beneath
       &TUiToolbar::StaticClassInfo(), &TUiDock::StaticClassInfo(), &TUiMultiDock::StaticClassInfo(),
       &TUiPopupMenu::StaticClassInfo(), &TUiSeparatorItem::StaticClassInfo(), &TUiMRUList::StaticClassInfo(),
       &TUiMRUListItem::StaticClassInfo(), &TUiCustomToolPalette::StaticClassInfo(),
       &TUiDefaultColorSet::StaticClassInfo(), &TUiStatusBar::StaticClassInfo(),
       // tabs
       &TSkinTabControl::StaticClassInfo(), &TSkinTabToolbar::StaticClassInfo(), &TSkinTabItem::StaticClassInfo(),
       &TSkinTabSheet::StaticClassInfo(),
       // controls
       &TSkinPanel::StaticClassInfo(), &TSkinGroupBox::StaticClassInfo(), &TSkinLabel::StaticClassInfo(),
       &TSkinCheckBox::StaticClassInfo(), &TSkinButton::StaticClassInfo(), &TSkinComboBox::StaticClassInfo(),
       &TSkinListBox::StaticClassInfo(), &TSkinCheckListBox::StaticClassInfo()});
}
